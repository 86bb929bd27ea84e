// The skin behind a control, captured for one paint and given back when the paint ends:
// every control painter composes on one of these and copies it out once.
#pragma once
#include <windows.h>

#include "skin/win32/gdiplus_objects.h"

namespace board {

class SkinEngine;

class BackgroundCanvas {
 public:
  // `rect` in `window`'s coordinates, as the engine's CaptureBackground takes it.
  BackgroundCanvas(SkinEngine& engine, HWND window, const RECT& rect);
  ~BackgroundCanvas();
  BackgroundCanvas(const BackgroundCanvas&) = delete;
  BackgroundCanvas& operator=(const BackgroundCanvas&) = delete;

  explicit operator bool() const { return dc_ != nullptr; }
  HDC get() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // GDI+ drawing on the captured pixels: straight into their memory, which is several times
  // cheaper under Wine than drawing through the DC. Any GDI drawing on get() done before
  // this call lands first.
  gp::Graphics Surface();
  // The composed picture onto `target` at its origin, in one copy.
  void CopyTo(HDC target) const;

 private:
  SkinEngine& engine_;
  HDC dc_;
  int width_ = 0, height_ = 0;
  gp::Bitmap pixels_;  // wraps the capture's memory; goes before the capture does
};

}  // namespace board
