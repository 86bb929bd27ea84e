#include "skin/win32/back_buffer.h"

namespace board {

bool BackBuffer::Ensure(HWND window, int width, int height) {
  if (dc_ && width == width_ && height == height_) return true;
  if (!dc_) {
    ScopedGetDc screen(window);
    dc_.reset(CreateCompatibleDC(screen.get()));
    if (!dc_) return false;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  ScopedBitmap next(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!next) return false;
  HGDIOBJ previous = SelectObject(dc_.get(), next.get());
  if (!original_) {
    original_ = previous;
    SetPropW(window, kPropOriginalBitmap, original_);
  }
  bitmap_ = std::move(next);  // the previous back-buffer bitmap is deleted here
  SetPropW(window, kPropBufferBitmap, bitmap_.get());
  bits_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;
  surface_ = std::make_unique<gp::Bitmap>(gp::Bitmap::FromScan0(
      width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(bits_)));
  return true;
}

void BackBuffer::Free() {
  surface_.reset();
  if (dc_ && original_) SelectObject(dc_.get(), original_);
  bitmap_.reset();
  dc_.reset();
  original_ = nullptr;
  bits_ = nullptr;
}

}  // namespace board
