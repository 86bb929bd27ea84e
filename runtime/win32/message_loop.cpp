// The form engine's message loop: Tab and Shift+Tab walk a form's tab stops, Esc raises the
// close query of a form that closes on it.
#include <algorithm>

#include "runtime/win32/form_internal.h"

namespace board {
namespace {

BOOL CALLBACK CollectTabStop(HWND h, LPARAM lp) {
  if ((GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h))
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

// The next (or previous) tab stop of the form after `from`, those inside its containers
// included, in creation order; the first when the focus is on none of them.
HWND NextTabStop(HWND root, HWND from, bool back) {
  std::vector<HWND> stops;
  EnumChildWindows(root, CollectTabStop, LPARAM(&stops));
  if (stops.empty()) return nullptr;
  const size_t n = stops.size();
  const size_t at = size_t(std::find(stops.begin(), stops.end(), from) - stops.begin());
  if (at == n) return stops[back ? n - 1 : 0];
  return stops[back ? (at + n - 1) % n : (at + 1) % n];
}

}  // namespace

bool FormEngine::Translate(MSG& msg) {
  // Tab and Shift+Tab move the focus through a form's tab stops.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (auto& f : forms_)
      if (f->alive && f->hwnd == root) {
        if (HWND next = NextTabStop(root, GetFocus(), GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
        return true;
      }
  }
  // Esc anywhere in a form whose Esc-closes setting is on raises its close query.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (auto& f : forms_)
      if (f->alive && f->hwnd == root && f->escCloses) {
        PostMessageW(root, WM_CLOSE, 0, 0);
        return true;
      }
  }
  return false;
}

void FormEngine::ProcessPendingEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));  // leave it for the message loop
      return;
    }
    if (Translate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int FormEngine::RunMessageLoop() {
  if (LiveFormCount() == 0) return 0;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (Translate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}

}  // namespace board
