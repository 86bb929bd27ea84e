// A skinned window's back buffer: everything the engine paints is composed here first.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/win32/scoped_win.h"
#include "skin/win32/gdiplus_objects.h"

namespace board {

// The back buffer's bitmaps are named on the window, so other programs can find them.
constexpr wchar_t kPropOriginalBitmap[] = L"Ck_Ycjdx";
constexpr wchar_t kPropBufferBitmap[] = L"Ck_wtjbdx";

// A 32-bit top-down DIB of `dc`'s kind, its pixels' address in `bits`; null on failure.
HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits);

// A window's back buffer: a 32-bit top-down DIB in a memory DC, the bitmap first selected
// in the DC kept to be put back before either goes. GDI+ draws on the DIB's pixels in place
// (the surface), so no GDI+ bitmap is turned into an HBITMAP on each repaint, and the DC and
// bitmap are kept while the size stands.
class BackBuffer {
 public:
  ~BackBuffer() { Free(); }
  bool Ensure(HWND window, int width, int height);
  void Free();
  HDC dc() const { return dc_.get(); }
  gp::Bitmap& surface() const { return *surface_; }
  uint32_t* bits() const { return bits_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  ScopedMemoryDc dc_;
  ScopedBitmap bitmap_;
  HGDIOBJ original_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_ = 0, height_ = 0;
  std::unique_ptr<gp::Bitmap> surface_;
};

}  // namespace board
