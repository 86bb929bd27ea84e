// Presses that move or resize the window, and the resize cursors at its edges.
#include "skin/win32/skin_window.h"

namespace board {

namespace {

const wchar_t* CursorOfEdge(int edge) {
  switch (edge) {
    case 1: case 2: return IDC_SIZEWE;
    case 3: case 6: return IDC_SIZENS;
    case 4: case 8: return IDC_SIZENWSE;
    case 5: case 7: return IDC_SIZENESW;
  }
  return IDC_ARROW;
}

}  // namespace

void SkinEngine::BeginDragOrResize(SkinWindow& w, LPARAM lp) {
  RECT r;
  GetClientRect(w.window, &r);
  const int x = XOf(lp), y = YOf(lp);
  const PressResult press =
      DecidePress(x, y, {r.left, r.top, r.right, r.bottom}, w.strip, w.captionDrag, w.captionHeight);
  if (press.action == PressAction::kMove) {
    SendMessageW(w.window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  } else if (press.action == PressAction::kResize) {
    SetCursor(LoadCursorW(nullptr, CursorOfEdge(press.edge)));
    w.fullRepaint = true;
    SendMessageW(w.window, WM_SYSCOMMAND, SC_SIZE + press.edge, 0);
  }
}

void SkinEngine::UpdateResizeCursor(SkinWindow& w, LPARAM lp) {
  RECT r;
  GetClientRect(w.window, &r);
  const int edge = ResizeEdgeAt(XOf(lp), YOf(lp), {r.left, r.top, r.right, r.bottom});
  if (edge) SetCursor(LoadCursorW(nullptr, CursorOfEdge(edge)));
}

}  // namespace board
