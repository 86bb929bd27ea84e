// Presses that move or resize the window, and the resize cursors at its edges.
#include "skin/win32/skin_window.h"

#include <cstdlib>

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
    // The system's move loop starts only once the pointer moves with the button held, not
    // on the press itself: a press that begins a double-click never enters the loop, so
    // the loop cannot meet the double-click's maximise and undo part of it.
    w.dragArmed = true;
    w.dragFrom = {x, y};
    ClientToScreen(w.window, &w.dragFrom);
    SetCapture(w.window);
  } else if (press.action == PressAction::kResize) {
    SetCursor(LoadCursorW(nullptr, CursorOfEdge(press.edge)));
    w.fullRepaint = true;
    SendMessageW(w.window, WM_SYSCOMMAND, SC_SIZE + press.edge, 0);
  }
}

void SkinEngine::ContinueDrag(SkinWindow& w, WPARAM wp, LPARAM lp) {
  if (!w.dragArmed) return;
  if (!(wp & MK_LBUTTON)) return DisarmDrag(w);
  POINT at{XOf(lp), YOf(lp)};
  ClientToScreen(w.window, &at);
  const int dx = at.x - w.dragFrom.x, dy = at.y - w.dragFrom.y;
  if (std::abs(dx) <= GetSystemMetrics(SM_CXDRAG) && std::abs(dy) <= GetSystemMetrics(SM_CYDRAG)) return;
  DisarmDrag(w);
  // The window catches up with the pointer first, so the point pressed stays under it; the
  // loop then follows the pointer from where it is now.
  RECT r;
  GetWindowRect(w.window, &r);
  SetWindowPos(w.window, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(w.window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
}

void SkinEngine::DisarmDrag(SkinWindow& w) {
  if (!w.dragArmed) return;
  w.dragArmed = false;
  if (GetCapture() == w.window) ReleaseCapture();
}

void SkinEngine::UpdateResizeCursor(SkinWindow& w, LPARAM lp) {
  RECT r;
  GetClientRect(w.window, &r);
  const int edge = ResizeEdgeAt(XOf(lp), YOf(lp), {r.left, r.top, r.right, r.bottom});
  if (edge) SetCursor(LoadCursorW(nullptr, CursorOfEdge(edge)));
}

}  // namespace board
