#include "skin/win32/skin_images.h"

#include "base/value_types.h"
#include "base/win32/resource_bytes.h"

namespace board {

std::span<const uint8_t> SkinImageByteSet(SkinImage image, HMODULE module) {
  const SkinImageInfo* info = FindSkinImage(image);
  if (!info) return {};
  std::span<const uint8_t> stored = ResourceBytes(info->resource, MAKEINTRESOURCEW(10), module);
  std::span<const uint8_t> file = ByteSetBytes(stored);
  // A resource padded past its ByteSet is cut to the ByteSet itself.
  return file.empty() ? file : stored.first(kByteSetHeader + file.size());
}

std::span<const uint8_t> SkinImageFile(SkinImage image, HMODULE module) {
  return ByteSetBytes(SkinImageByteSet(image, module));
}

}  // namespace board
