// What the skin's tests and benchmarks read of a skinned window's record and no caller of
// the engine needs: its caption height and state, its caption strip, its back buffer.
#pragma once
#include <cstdint>

#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_window.h"

namespace board {

struct SkinWindowState {
  bool exists = false;
  int captionHeight = 0;
  bool maximised = false, minimised = false, fullRepaint = false;
  StripRect strip;
};

struct SkinEngineTestAccess {
  static const SkinWindow* Window(const SkinEngine& engine, int index) { return engine.Window(index); }
};

inline SkinWindowState WindowState(const SkinEngine& engine, int index) {
  const SkinWindow* w = SkinEngineTestAccess::Window(engine, index);
  if (!w) return {};
  return {true, w->captionHeight, w->maximised, w->minimised, w->fullRepaint, w->strip};
}

// A pixel of a window's back buffer (0xAARRGGBB as stored); 0 when there is none.
inline uint32_t BackBufferPixel(const SkinEngine& engine, int index, int x, int y) {
  const SkinWindow* w = SkinEngineTestAccess::Window(engine, index);
  if (!w || !w->buffer.bits() || x < 0 || y < 0 || x >= w->buffer.width() || y >= w->buffer.height())
    return 0;
  return w->buffer.bits()[size_t(y) * w->buffer.width() + x];
}

}  // namespace board
