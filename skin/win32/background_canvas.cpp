#include "skin/win32/background_canvas.h"

#include "skin/win32/skin_engine.h"

namespace board {

BackgroundCanvas::BackgroundCanvas(SkinEngine& engine, HWND window, const RECT& rect)
    : engine_(engine), dc_(engine.CaptureBackground(window, rect)) {
  if (const SkinEngine::BackgroundPixels p = engine.PixelsOf(dc_); p.bits) {
    width_ = p.width;
    height_ = p.height;
  }
}

BackgroundCanvas::~BackgroundCanvas() {
  pixels_ = gp::Bitmap();  // nothing may point into the pixels once they are freed
  if (dc_) engine_.FreeBackground(dc_);
}

gp::Graphics BackgroundCanvas::Surface() {
  GdiFlush();  // GDI's writes into the pixels are complete before GDI+ draws on them
  const SkinEngine::BackgroundPixels p = engine_.PixelsOf(dc_);
  if (!p.bits) return gp::Graphics::FromHdc(dc_);
  // Premultiplied: the skin's pixels may carry any alpha, and colours composed over them
  // must not depend on it.
  if (!pixels_)
    pixels_ = gp::Bitmap::FromScan0(p.width, p.height, p.width * 4, PixelFormat32bppPARGB,
                                    reinterpret_cast<BYTE*>(p.bits));
  return pixels_ ? gp::Graphics::FromImage(pixels_) : gp::Graphics::FromHdc(dc_);
}

void BackgroundCanvas::CopyTo(HDC target) const {
  if (dc_ && target) BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
}

}  // namespace board
