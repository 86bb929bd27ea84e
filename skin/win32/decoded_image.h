// A picture decoded once and kept with its size: the shared background, a window's own
// picture and the caption glyphs.
#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <span>
#include <vector>

#include "skin/picture_pixels.h"
#include "skin/win32/gdiplus_objects.h"

namespace board {

// A picture at one size. A bitmap scaled here reads `pixels`, declared first so that they
// outlive it; one the system scaled owns its own.
// An opaque picture scaled here has no bitmap: its pixels are copied as they are.
struct ScaledPicture {
  Picture pixels;
  std::unique_ptr<gp::Bitmap> bitmap;
  ScaleQuality quality = ScaleQuality::kHigh;
  int width = 0, height = 0;
};

class DecodedImage {
 public:
  // The program's own stored pictures are decoded to pixels here, without the system's
  // codecs (a library load and a slower decode on the way to the first paint); any other
  // bytes go to the system's decoder, which is hardened against damaged files. Null for
  // bytes that are no picture.
  static std::unique_ptr<DecodedImage> FromBytes(std::span<const uint8_t> bytes);

  gp::Bitmap& get() const { return *bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // The picture resized to width × height (null on failure): kHigh by the system's bicubic
  // filter, kFast bilinear from a halved copy, cheap enough for every step of a live resize
  // (a picture the system decoded is always scaled by the system). The last kHigh result is
  // kept and shared: a window made again at a size already seen scales nothing.
  std::shared_ptr<const ScaledPicture> Scaled(int width, int height, ScaleQuality quality) const;

 private:
  DecodedImage() = default;

  Picture pixels_;  // the decoded pixels, for a stored picture; the bitmap reads them
  bool opaque_ = false;  // every one of pixels_ has alpha 255
  mutable std::vector<Picture> halvings_;  // made on the first fast scale
  mutable std::shared_ptr<const ScaledPicture> lastHigh_;
  std::unique_ptr<gp::Bitmap> bitmap_;
  int width_ = 0, height_ = 0;
};

}  // namespace board
