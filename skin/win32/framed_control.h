// What the procedures of the framed controls (edits, combo boxes, lists) do alike: the
// steps before a message reaches the family's handler, and the frame messages an edit and
// a list answer the same way.
#pragma once
#include <windows.h>

#include <optional>

#include "skin/win32/frame_painting.h"

namespace board {

// A family's handler for a control the skin knows, with the control's record.
using FramedHandler = LRESULT (*)(const ControlRef& ref, HWND control, UINT message, WPARAM wp, LPARAM lp);

// WM_NCDESTROY forgets the control; a control the skin does not know (any more) gets its
// own procedure; every other message goes to `handle`.
template <class Record>
LRESULT FramedControlProc(HWND control, Family family, UINT message, WPARAM wp, LPARAM lp,
                          FramedHandler handle) {
  if (message == WM_NCDESTROY) return DestroyedControl(control, PropSlot::kMain, wp, lp);
  const ControlRef ref = FindControl<Record>(control, family);
  if (!ref) return CallPreviousProc(control, message, wp, lp);
  return handle(ref, control, message, wp, lp);
}

// WM_ERASEBKGND: a see-through control's background is the washed skin behind it.
// WM_NCPAINT: the skin's frame, then the system's scroll bars. nullopt for anything else,
// and for the background of a control that is not see-through.
inline std::optional<LRESULT> FrameMessage(const ControlRef& ref, HWND control, UINT message, WPARAM wp,
                                           LPARAM lp, void (*paintFrame)(HWND)) {
  switch (message) {
    case WM_ERASEBKGND: {
      if (!Transparent(*ref.engine)) return std::nullopt;
      const auto dc = reinterpret_cast<HDC>(wp);
      SetBkMode(dc, TRANSPARENT);
      PaintWashedBackground(*ref.engine, control, dc);
      return 1;
    }
    case WM_NCPAINT:
      paintFrame(control);
      return LetSystemPaintScrollBars(control, lp);
  }
  return std::nullopt;
}

}  // namespace board
