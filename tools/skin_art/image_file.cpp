#include "skin_art/image_file.h"

#include <stb_image_write.h>

#include <utility>

#include "base/byte_io.h"
#include "base/value_types.h"

namespace skinart {

namespace {

void Append(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<uint8_t> EncodePng(const RgbaImage& image) {
  std::vector<uint8_t> out;
  if (!stbi_write_png_to_func(Append, &out, image.width, image.height, 4, image.pixels.data(),
                              image.width * 4))
    out.clear();
  return out;
}

std::vector<uint8_t> EncodeRgbPng(const std::vector<uint8_t>& rgb, int width, int height) {
  std::vector<uint8_t> out;
  if (!stbi_write_png_to_func(Append, &out, width, height, 3, rgb.data(), width * 3)) out.clear();
  return out;
}

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& rgb, int width, int height, int quality) {
  std::vector<uint8_t> out;
  if (!stbi_write_jpg_to_func(Append, &out, width, height, 3, rgb.data(), quality)) out.clear();
  return out;
}

std::vector<uint8_t> StoredByteSet(const std::vector<uint8_t>& file) {
  board::ByteWriter w;
  w.u32(board::kByteSetMarker);
  w.u32(uint32_t(file.size()));
  w.bytes(file);
  return std::move(w.data());
}

}  // namespace skinart
