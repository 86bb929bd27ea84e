// What the edit, combo-box and list skins share: finding a control's record, the geometry of
// its non-client frame, the frame painter and the washed background behind the client area.
#pragma once
#include <windows.h>

#include "skin/colour.h"
#include "skin/win32/control_records.h"
#include "skin/win32/control_registry.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/skin_engine.h"

namespace board {



// A registered control of one family: the engine, its window's control lists and its own
// index. Empty (engine null) when the control is not, or no longer, registered.
struct ControlRef {
  SkinEngine* engine = nullptr;
  SkinControls* controls = nullptr;
  int listIndex = 0;
  explicit operator bool() const { return engine != nullptr; }
};
template <class Record>
ControlRef FindControl(HWND control, Family family) {
  const FoundControl<Record> found = FindRecord<Record>(control, family);
  if (!found) return {};
  return {found.engine, found.controls, found.listIndex};
}

// Whether the pointer is inside the window's rectangle (over it or one of its children).
bool PointerOver(HWND window);

// Where the client area and the scroll bars lie inside the window rectangle.
struct FrameGeometry {
  int width = 0, height = 0;  // the window
  RECT client{};              // in window coordinates
  RECT vscroll{}, hscroll{};  // in window coordinates; empty when the style has no such bar
};
// The frame is as wide on each side: (window size − client size − scroll-bar size) / 2.
FrameGeometry MeasureFrame(HWND control);

bool HasScrollBars(HWND control);
// One rectangle per present scroll bar, in window coordinates; null when there is none.
ScopedRegion ScrollBarRegion(HWND control);

// The answer to WM_NCPAINT once the skin has painted the frame: the system draws the scroll
// bars, and nothing else. The region handed on is in screen coordinates, as the message's
// own; the update region in wParam belongs to the system and is left alone.
LRESULT LetSystemPaintScrollBars(HWND control, LPARAM lp);

// The outermost ring of a w × h area, `width` pixels wide: the pixels a pen of that width
// strokes round the rectangle (0, 0, w − 1, h − 1) at one pixel, (1, 1, w − 2, h − 2) at
// two. Drawn as four bars, which Wine fills far faster than it strokes a path.
void DrawBorderRing(gp::Graphics& graphics, float w, float h, float width, gp::ARGB colour);

struct FrameLook {
  gp::ARGB border = 0;
  float penWidth = 1;
  // Copied with magenta keyed out; otherwise copied with the client area cut out.
  bool keyed = false;
};
// Paints the control's frame into its window DC over the skin behind it: a white wash
// (`ControlAlpha` when given, else opaque) and the border. The client area and the scroll
// bars are left to the control and the system.
void PaintControlFrame(SkinEngine& engine, HWND control, const FrameLook& look);

// The skin behind the control's client area washed with white at `ControlAlpha`, into `dc`.
void PaintWashedBackground(SkinEngine& engine, HWND control, HDC dc);

// Whether control colours and backgrounds are drawn see-through (an alpha was given).
bool Transparent(const SkinEngine& engine);

}  // namespace board
