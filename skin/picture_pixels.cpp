#include "skin/picture_pixels.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The decoder writes its output straight into the picture's own pixels. Under Wine every
// page of fresh memory costs a fault, and a second 9 MB buffer with a copy out of it cost
// more than the decoding itself. The one allocation of exactly the size given here takes
// the memory set aside; every other one is the heap's, and the set-aside memory is never
// freed or resized by the decoder.
struct OutputSlot {
  void* memory = nullptr;
  size_t bytes = 0;
  bool taken = false;
};
thread_local OutputSlot t_outputSlot;

void* DecoderMalloc(size_t bytes) {
  OutputSlot& slot = t_outputSlot;
  if (slot.memory && !slot.taken && bytes == slot.bytes) {
    slot.taken = true;
    return slot.memory;
  }
  return std::malloc(bytes);
}
void DecoderFree(void* p) {
  if (p && p != t_outputSlot.memory) std::free(p);
}
void* DecoderRealloc(void* p, size_t bytes) {
  if (!p || p != t_outputSlot.memory) return std::realloc(p, bytes);
  void* moved = std::malloc(bytes);
  if (moved) std::memcpy(moved, p, std::min(bytes, t_outputSlot.bytes));
  return moved;
}

}  // namespace

// stb's decoder and resampler, built here once; only what the skin stores is compiled in.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wshadow"
#endif
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#define STBI_MALLOC(bytes) DecoderMalloc(bytes)
#define STBI_FREE(p) DecoderFree(p)
#define STBI_REALLOC(p, bytes) DecoderRealloc(p, bytes)
#include <stb/stb_image.h>
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace board {

namespace {

bool SizeInRange(int width, int height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

// Where each output column or row samples the source: the two neighbours and the second
// one's weight out of 256, pixel centres matched.
struct Tap {
  int first, second, weight;
};
std::vector<Tap> Taps(int from, int to) {
  std::vector<Tap> taps(static_cast<size_t>(to));
  for (int i = 0; i < to; ++i) {
    const double at = std::clamp((i + 0.5) * from / to - 0.5, 0.0, double(from - 1));
    const int first = int(at);
    taps[size_t(i)] = {first, std::min(first + 1, from - 1), int((at - first) * 256 + 0.5)};
  }
  return taps;
}

// Bilinear resampling with the colours weighed by their alpha: cheap enough for every step
// of a live resize when `source` is less than twice the target on a side.
Picture Bilinear(const Picture& source, int width, int height) {
  Picture out;
  out.width = width;
  out.height = height;
  out.argb.resize(size_t(width) * size_t(height));
  const std::vector<Tap> columns = Taps(source.width, width), rows = Taps(source.height, height);
  for (int y = 0; y < height; ++y) {
    const Tap& r = rows[size_t(y)];
    const uint32_t* top = source.argb.data() + size_t(r.first) * size_t(source.width);
    const uint32_t* bottom = source.argb.data() + size_t(r.second) * size_t(source.width);
    uint32_t* line = out.argb.data() + size_t(y) * size_t(width);
    for (int x = 0; x < width; ++x) {
      const Tap& c = columns[size_t(x)];
      const uint32_t corners[4] = {top[c.first], top[c.second], bottom[c.first], bottom[c.second]};
      const int weights[4] = {(256 - c.weight) * (256 - r.weight), c.weight * (256 - r.weight),
                              (256 - c.weight) * r.weight, c.weight * r.weight};
      if ((corners[0] & corners[1] & corners[2] & corners[3]) >> 24 == 0xFF) {
        // Four opaque pixels: the alpha weighting below cancels out, and no division is needed
        // for the same result (the common case, and most of a live resize's time).
        uint32_t px = 0xFF000000u;
        for (int ch = 0; ch < 3; ++ch) {
          uint32_t sum = 32768;
          for (int k = 0; k < 4; ++k) sum += uint32_t(weights[k]) * ((corners[k] >> (8 * ch)) & 0xFF);
          px |= (sum >> 16) << (8 * ch);
        }
        line[x] = px;
        continue;
      }
      uint64_t alpha = 0, sums[3] = {0, 0, 0};
      for (int k = 0; k < 4; ++k) {
        const uint64_t a = uint64_t(weights[k]) * (corners[k] >> 24);
        alpha += a;
        for (int ch = 0; ch < 3; ++ch) sums[ch] += a * ((corners[k] >> (8 * ch)) & 0xFF);
      }
      uint32_t px = uint32_t((alpha + 32768) >> 16) << 24;
      if (alpha)
        for (int ch = 0; ch < 3; ++ch) px |= uint32_t((sums[ch] + alpha / 2) / alpha) << (8 * ch);
      line[x] = px;
    }
  }
  return out;
}

}  // namespace

Picture DecodeStoredPicture(std::span<const uint8_t> file) {
  if (file.empty() || file.size() > size_t(INT_MAX)) return {};
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(file.data(), int(file.size()), &width, &height, &channels) ||
      !SizeInRange(width, height))
    return {};
  Picture p;
  const size_t count = size_t(width) * size_t(height);
  // The JPEG decoder's output is its RGBA pixels and one byte more: the picture's memory,
  // one pixel longer until the decode is done. Other files are decoded, then copied.
  const bool jpeg = file.size() > 2 && file[0] == 0xFF && file[1] == 0xD8;
  if (jpeg) {
    p.argb.resize(count + 1);
    t_outputSlot = {p.argb.data(), count * 4 + 1, false};
  }
  int w = 0, h = 0;
  stbi_uc* rgba = stbi_load_from_memory(file.data(), int(file.size()), &w, &h, &channels, 4);
  t_outputSlot = {};
  const bool inPlace = rgba == reinterpret_cast<stbi_uc*>(p.argb.data());
  auto release = [&] {
    if (!inPlace) stbi_image_free(rgba);
  };
  if (!rgba || w != width || h != height) {
    release();
    return {};
  }
  p.width = width;
  p.height = height;
  p.argb.resize(count);
  // RGBA bytes to 0xAARRGGBB, in place when the decoder wrote into the picture.
  const stbi_uc* s = rgba;
  for (uint32_t& px : p.argb) {
    px = uint32_t(s[3]) << 24 | uint32_t(s[0]) << 16 | uint32_t(s[1]) << 8 | s[2];
    s += 4;
  }
  release();
  return p;
}

Picture HalvePicture(const Picture& source) {
  if (source.empty()) return {};
  Picture out;
  out.width = (source.width + 1) / 2;
  out.height = (source.height + 1) / 2;
  out.argb.resize(size_t(out.width) * size_t(out.height));
  for (int y = 0; y < out.height; ++y) {
    const uint32_t* row0 = source.argb.data() + size_t(2 * y) * size_t(source.width);
    const uint32_t* row1 = 2 * y + 1 < source.height ? row0 + source.width : row0;
    for (int x = 0; x < out.width; ++x) {
      const int x0 = 2 * x, x1 = 2 * x + 1 < source.width ? 2 * x + 1 : 2 * x;
      const uint32_t q[4] = {row0[x0], row0[x1], row1[x0], row1[x1]};
      uint32_t px = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 2;  // rounds to nearest
        for (uint32_t c : q) sum += (c >> shift) & 0xFF;
        px |= (sum / 4) << shift;
      }
      out.argb[size_t(y) * size_t(out.width) + size_t(x)] = px;
    }
  }
  return out;
}

Picture ScalePicture(const Picture& source, std::span<const Picture> halvings, int width, int height,
                     ScaleQuality quality) {
  if (source.empty() || !SizeInRange(width, height)) return {};
  const Picture* from = &source;
  if (quality == ScaleQuality::kFast)
    for (const Picture& h : halvings)
      if (!h.empty() && h.width >= width && h.height >= height) from = &h;
  // Bilinear sampling skips pixels beyond a halving: a smaller target takes the tent filter.
  if (quality == ScaleQuality::kFast && from->width <= 2 * width && from->height <= 2 * height)
    return Bilinear(*from, width, height);
  Picture out;
  out.width = width;
  out.height = height;
  out.argb.resize(size_t(width) * size_t(height));
  // Byte order in memory is blue, green, red, alpha: the alpha is channel 3 either way, and
  // the resampler weighs the colours by it.
  const int ok = stbir_resize_uint8_generic(
      reinterpret_cast<const unsigned char*>(from->argb.data()), from->width, from->height, 0,
      reinterpret_cast<unsigned char*>(out.argb.data()), width, height, 0, 4, 3, 0, STBIR_EDGE_CLAMP,
      quality == ScaleQuality::kFast ? STBIR_FILTER_TRIANGLE : STBIR_FILTER_CATMULLROM, STBIR_COLORSPACE_LINEAR,
      nullptr);
  if (!ok) return {};
  return out;
}

}  // namespace board
