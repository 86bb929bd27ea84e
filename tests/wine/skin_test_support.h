// What the skin's tests on real windows share: a picture of one colour, a top-level test
// window, a message pump, pixels read back from the screen, and a fixture that owns GDI+,
// the engine and the windows and checks that no counted GDI object outlives a test.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/win32/scoped_win.h"
#include "skin/win32/gdiplus_session.h"
#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_images.h"

namespace board {

constexpr int kWidth = 786, kHeight = 315;

// A 24-bit BMP file of one colour, which GDI+ decodes like any picture.
inline std::vector<uint8_t> SolidBmp(int width, int height, COLORREF colour) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t pixels = uint32_t(stride * height), size = 54 + pixels;
  std::vector<uint8_t> f(size, 0);
  auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i)); };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(width));
  put32(22, uint32_t(height));
  f[26] = 1;
  f[28] = 24;
  put32(34, pixels);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &f[54 + size_t(y) * stride + size_t(x) * 3];
      p[0] = GetBValue(colour);
      p[1] = GetGValue(colour);
      p[2] = GetRValue(colour);
    }
  return f;
}

inline HWND MakeWindow(const wchar_t* title = L"Skinned") {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SkinTestWindow";
    RegisterClassExW(&wc);
    registered = true;
  }
  return CreateWindowExW(0, L"SkinTestWindow", title, WS_POPUP | WS_MAXIMIZEBOX | WS_MINIMIZEBOX,
                         50, 50, kWidth, kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

inline void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

// A child control of `parent` (client coordinates).
inline HWND MakeChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style,
                      int x, int y, int w, int h, DWORD exStyle = 0) {
  return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                         parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A pixel of a window's client area as it is on the screen now.
inline COLORREF PixelAt(HWND window, int x, int y) {
  ScopedGetDc dc(window);
  return GetPixel(dc.get(), x, y);
}

class SkinFixture : public ::testing::Test {
 protected:
  void SetUp() override { gdiBefore_ = LiveGdiObjects(); }
  void TearDown() override {
    for (HWND w : windows)
      if (IsWindow(w)) DestroyWindow(w);
    Pump();
    // The engine still holds what it keeps per window for the windows' lifetime only.
    EXPECT_EQ(LiveGdiObjects(), gdiBefore_) << "a GDI object the skin created was not deleted";
  }
  HWND Window(const wchar_t* title = L"Skinned") {
    windows.push_back(MakeWindow(title));
    return windows.back();
  }
  // A shown top-level window skinned over a picture of one colour, with control skinning
  // on (`controlAlpha` given, as the board gives it). Add children before calling this, or
  // run the installers yourself, as AttachWindow skins the children it finds.
  HWND Skinned(HWND window, COLORREF picture = RGB(40, 90, 160), int controlAlpha = 0) {
    engine.SetSkinImage(nullptr, SolidBmp(64, 64, picture), Given(int32_t(GetSysColor(COLOR_BTNFACE))),
                        NotGiven(), Given(3));
    engine.SetControlSkinning(1, Given(controlAlpha), NotGiven());
    engine.AttachWindow(window, 25, 1, {});
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    Pump();
    return window;
  }
  GdiPlusSession gdiPlus;
  SkinEngine engine{StoredSkinArt(nullptr)};
  std::vector<HWND> windows;

 private:
  long gdiBefore_ = 0;
};

}  // namespace board
