// A picture decoded once and kept with its size: the shared background, a window's own
// picture and the caption glyphs.
#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "skin/win32/gdiplus_objects.h"

namespace board {

// A picture decoded once and kept with its size.
class DecodedImage {
 public:
  static std::unique_ptr<DecodedImage> FromBytes(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return nullptr;
    // The bitmap keeps the stream it was decoded from; drawing it decodes nothing again.
    auto bitmap = std::make_unique<gp::Bitmap>(gp::Bitmap::FromByteSet(bytes));
    const int w = int(bitmap->Width()), h = int(bitmap->Height());
    if (w <= 0 || h <= 0) return nullptr;
    return std::unique_ptr<DecodedImage>(new DecodedImage(std::move(bitmap), w, h));
  }
  gp::Bitmap& get() const { return *bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  DecodedImage(std::unique_ptr<gp::Bitmap> bitmap, int width, int height)
      : bitmap_(std::move(bitmap)), width_(width), height_(height) {}
  std::unique_ptr<gp::Bitmap> bitmap_;
  int width_, height_;
};

}  // namespace board
