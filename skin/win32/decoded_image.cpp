#include "skin/win32/decoded_image.h"

#include <algorithm>

#include "skin/win32/pixel_cache.h"
#include "skin/win32/skin_images.h"

namespace board {

namespace {

bool Opaque(const Picture& picture) {
  return std::ranges::all_of(picture.argb, [](uint32_t c) { return c >> 24 == 0xFF; });
}

}  // namespace

std::unique_ptr<DecodedImage> DecodedImage::FromBytes(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return nullptr;
  std::unique_ptr<DecodedImage> image(new DecodedImage);
  if (IsStoredSkinPicture(bytes)) image->pixels_ = DecodeStoredPicture(bytes);
  if (!image->pixels_.empty()) {
    image->opaque_ = Opaque(image->pixels_);
    image->bitmap_ = std::make_unique<gp::Bitmap>(BitmapOver(image->pixels_));
  } else {
    // The bitmap keeps the stream it was decoded from; drawing it decodes nothing again.
    image->bitmap_ = std::make_unique<gp::Bitmap>(gp::Bitmap::FromByteSet(bytes));
  }
  image->width_ = int(image->bitmap_->Width());
  image->height_ = int(image->bitmap_->Height());
  if (image->width_ <= 0 || image->height_ <= 0) return nullptr;
  return image;
}

std::shared_ptr<const ScaledPicture> DecodedImage::Scaled(int width, int height, ScaleQuality quality) const {
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return nullptr;
  if (quality == ScaleQuality::kHigh && lastHigh_ && lastHigh_->width == width && lastHigh_->height == height)
    return lastHigh_;
  auto scaled = std::make_shared<ScaledPicture>();
  if (quality == ScaleQuality::kFast && !pixels_.empty()) {
    if (halvings_.empty())
      for (const Picture* p = &pixels_; p->width >= 128 || p->height >= 128;) {
        halvings_.push_back(HalvePicture(*p));
        p = &halvings_.back();
      }
    scaled->pixels = ScalePicture(pixels_, halvings_, width, height, ScaleQuality::kFast);
    if (scaled->pixels.empty()) return nullptr;
    if (!opaque_) scaled->bitmap = std::make_unique<gp::Bitmap>(BitmapOver(scaled->pixels));
    scaled->quality = ScaleQuality::kFast;
    scaled->width = width;
    scaled->height = height;
    return scaled;
  }
  scaled->width = width;
  scaled->height = height;
  // The system scales into pixels of ours: where every one came out opaque they are the
  // picture as it is (premultiplied and straight alpha agree at 255), copied into the back
  // buffer with no draw.
  scaled->pixels.width = width;
  scaled->pixels.height = height;
  scaled->pixels.argb.assign(size_t(width) * size_t(height), 0);
  scaled->bitmap = std::make_unique<gp::Bitmap>(gp::Bitmap::FromScan0(
      width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(scaled->pixels.argb.data())));
  {
    gp::Graphics s = gp::Graphics::FromImage(*scaled->bitmap);
    s.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    s.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    s.DrawImage(*bitmap_, gp::RectF(0, 0, float(width), float(height)));
    s.Flush();
  }
  if (Opaque(scaled->pixels)) scaled->bitmap.reset();
  lastHigh_ = scaled;
  return scaled;
}

}  // namespace board
