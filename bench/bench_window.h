// What the skin benchmarks share: a message pump and a shown-size window like the board's.
#pragma once
#include <windows.h>

namespace board::bench {

inline void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

// A borderless 786 x 315 top-level window, the board's size, not yet shown.
inline HWND BoardSizedWindow(const wchar_t* title) {
  static const ATOM registered = [] {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SkinBenchWindow";
    return RegisterClassExW(&wc);
  }();
  (void)registered;
  return CreateWindowExW(0, L"SkinBenchWindow", title, WS_POPUP | WS_MAXIMIZEBOX | WS_MINIMIZEBOX, 100, 100,
                         786, 315, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A shown child control of `parent`.
inline HWND Child(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                  int w, int h, DWORD exStyle = 0) {
  return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace board::bench
