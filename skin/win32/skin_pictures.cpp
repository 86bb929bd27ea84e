// The skin's pictures: the shared one and a window's own, decoded, given their
// representative colour and prepared (edge-blended) as the image mode asks.
#include "skin/win32/skin_window.h"

#include <algorithm>

#include "skin/background_layout.h"
#include "skin/win32/skin_images.h"

namespace board {

using gp::PointF;
using gp::RectF;

namespace {

// The colour that stands for a picture: what its edges blend into and the theme follows.
// Kept without the 0xFF high byte, which GDI would read as a palette-index flag.
COLORREF PictureColour(const DecodedImage& picture) {
  gp::Bitmap& b = picture.get();
  return COLORREF(RepresentativeColour({picture.width(), picture.height(), [&b](int x, int y) {
                                          gp::ARGB c = 0;
                                          b.GetPixel(x, y, &c);
                                          return uint32_t(c);
                                        }}) & 0xFFFFFF);
}

}  // namespace

bool SkinEngine::SetSkinImage(const wchar_t* fileName, std::span<const uint8_t> image,
                              OptInt faceColour, OptInt themeColour, OptInt mode) {
  if (themeColour.value_or(0) != kThemeFollowsFace) settings_.themeColour = COLORREF(themeColour.value_or(0xDDCA22));
  // The caller's bytes are decoded where they lie, so that the program's own stored picture
  // is known as one (by its address) and decoded without the system's codecs.
  std::span<const uint8_t> source = image;
  std::vector<uint8_t> fileBytes;
  // A file's bytes are kept as read, like given bytes, not re-encoded as PNG: the decoder
  // takes JPEG and PNG alike, and a re-encode would only cost time and memory.
  if (fileName && *fileName && source.empty()) {
    UniqueHandle file(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (file && GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart < (1 << 28)) {
      fileBytes.resize(size_t(size.QuadPart));
      DWORD read = 0;
      if (!ReadFile(file.get(), fileBytes.data(), DWORD(fileBytes.size()), &read, nullptr) || read != fileBytes.size())
        fileBytes.clear();
    }
    source = fileBytes;
  }
  const bool hasSource = !source.empty();
  if (!hasSource && !faceColour) return true;
  pendingBackground_ = {};
  const bool preloaded =
      preload_.valid() && source.data() == preloadBytes_.data() && source.size() == preloadBytes_.size();
  const ImageMode imageMode = ImageMode(mode.value_or(kImageTiled));
  // The pixels are needed here only to find the face colour or to blend the picture's edge;
  // otherwise a preload goes on beside the caller's attaching, and the first paint takes it.
  const bool takeLater =
      hasSource && preloaded && faceColour && imageMode != kImageTopLeft && imageMode != kImageTopRight;
  std::unique_ptr<DecodedImage> decoded;
  if (hasSource && !takeLater) {
    if (preloaded) decoded = TakePicture(preload_);
    if (!decoded) decoded = DecodedImage::FromBytes(source);
  }
  if (faceColour) {
    settings_.faceColour = COLORREF(*faceColour);
  } else if (decoded) {
    settings_.faceColour = PictureColour(*decoded);
  }
  if (themeColour.value_or(0) == kThemeFollowsFace) settings_.themeColour = settings_.faceColour;
  if (hasSource) {
    settings_.imageMode = imageMode;
    settings_.skinImage = PreparePicture(source, settings_.faceColour, settings_.imageMode);
    if (takeLater) {
      background_.reset();
      pendingBackground_ = std::move(preload_);
    } else {
      background_ = std::ranges::equal(settings_.skinImage, source) ? std::move(decoded)
                                                                     : DecodedImage::FromBytes(settings_.skinImage);
    }
  } else {
    settings_.skinImage.clear();
    background_.reset();
  }
  ++pictureGeneration_;
  // The new picture shows at once, and no control keeps the old one behind it: the
  // children and the containers with theirs paint again over the new back buffer.
  for (size_t i = 0; i < windows_.size(); ++i) {
    SkinWindow& w = *windows_[i];
    w.scaled.reset();
    w.fullRepaint = true;
    if (!IsWindowVisible(w.window)) continue;
    {
      ScopedGetDc dc(w.window);
      Repaint(int(i) + 1, dc.get());
      w.fullRepaint = false;
    }
    InvalidateRect(w.window, nullptr, FALSE);
    ForEachChild(w.window, [](HWND child) {
      if (IsWindowVisible(child)) InvalidateRect(child, nullptr, TRUE);
    });
    for (ContainerRecord& c : w.controls.containers) {
      if (!c.window) continue;
      c.dirty = true;
      RedrawWindow(c.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
  }
  return true;
}

bool SkinEngine::SetWindowImage(HWND window, std::span<const uint8_t> image, OptInt mode) {
  const int index = IndexOf(window);
  if (!index || !PrepareWindowPicture(*windows_[size_t(index) - 1], image, mode)) return false;
  windows_[size_t(index) - 1]->fullRepaint = true;
  InvalidateRect(window, nullptr, FALSE);
  return true;
}

bool SkinEngine::PrepareWindowPicture(SkinWindow& w, std::span<const uint8_t> image, OptInt mode) {
  auto decoded = DecodedImage::FromBytes(image);
  if (!decoded) return false;
  w.windowColour = PictureColour(*decoded);
  w.imageMode = mode ? ImageMode(*mode) : settings_.imageMode;
  const std::vector<uint8_t> prepared = PreparePicture(image, w.windowColour, w.imageMode);
  w.windowImage = std::ranges::equal(prepared, image) ? std::move(decoded) : DecodedImage::FromBytes(prepared);
  w.scaled.reset();
  w.composedKey = {};
  return true;
}

std::unique_ptr<DecodedImage> SkinEngine::TakePicture(std::future<std::unique_ptr<DecodedImage>>& pending) {
  try {
    return pending.get();
  } catch (...) {
    return nullptr;  // a thread that could not finish (no memory, say): the caller decodes
  }
}

const DecodedImage* SkinEngine::Background() {
  if (pendingBackground_.valid()) {
    background_ = TakePicture(pendingBackground_);
    if (!background_) background_ = DecodedImage::FromBytes(settings_.skinImage);
  }
  return background_.get();
}

bool SkinEngine::BackgroundPending() const {
  return pendingBackground_.valid() &&
         pendingBackground_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

void SkinEngine::PreloadPicture(std::span<const uint8_t> image, int width, int height) {
  if (preload_.valid() || !IsStoredSkinPicture(image)) return;
  preloadBytes_ = image;
  preload_ = std::async(std::launch::async, [image, width, height] {
    auto decoded = DecodedImage::FromBytes(image);
    if (decoded) decoded->Scaled(width, height, ScaleQuality::kHigh);
    return decoded;
  });
}

std::vector<uint8_t> SkinEngine::PreparePicture(std::span<const uint8_t> source, COLORREF colour,
                                                ImageMode mode) const {
  if (mode == kImageTopLeft || mode == kImageTopRight) {
    // The edge that faces the open client fades into the colour.
    std::vector<uint8_t> blended = BlendImageEdge(source, colour, 0, mode == kImageTopRight);
    if (!blended.empty()) return blended;
  }
  return {source.begin(), source.end()};
}

std::vector<uint8_t> SkinEngine::BlendImageEdge(std::span<const uint8_t> image, COLORREF colour,
                                                int band, bool leftSide) {
  gp::Bitmap source = gp::Bitmap::FromByteSet(image);
  const int w = int(source.Width()), h = int(source.Height());
  if (w <= 0 || h <= 0) return {};
  gp::Bitmap out = gp::Bitmap::FromScan0(w, h);
  {
    gp::Graphics g = gp::Graphics::FromImage(out);
    g.DrawImage(source, RectF(0, 0, float(w), float(h)));
    const float b = float(band > 0 ? band : int(0.3 * w));
    const float fw = float(w), fh = float(h);
    // The gradients start a pixel early so that their first row is not wrapped round.
    if (leftSide)
      g.FillRectangle(gp::LinearGradientBrush::FromPoints(PointF(-1, 0), PointF(b, 0), ToArgb(colour, 255), White(0)),
                      RectF(0, 0, b, fh));
    else
      g.FillRectangle(gp::LinearGradientBrush::FromPoints(PointF(fw - b - 1, 0), PointF(fw + 1, 0), White(0), ToArgb(colour, 255)),
                      RectF(fw - b, 0, b, fh));
    g.FillRectangle(gp::LinearGradientBrush::FromPoints(PointF(0, fh - b - 1), PointF(0, fh + 1), ToArgb(colour, 0), ToArgb(colour, 255)),
                    RectF(0, fh - b, fw, b));
    g.Flush();
  }
  return out.SaveToBytes(gp::kPngFormat);
}

}  // namespace board
