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

}  // namespace board::bench
