// Figures of the button skin on a board-sized window holding 84 push buttons in a 12 x 7
// grid: one push-button paint against a plain copy of the same size, one hover transition
// (leave one button, enter the next), and the GDI and GDI+ objects and handles before and
// after many hover transitions across all the buttons.
// Usage: win_button_paint [--quick]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/win32/scoped_win.h"
#include "bench/bench_clock.h"
#include "bench/bench_window.h"
#include "skin/win32/button_skin.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/gdiplus_session.h"
#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_images.h"
#include "tests/wine/wave_test_support.h"

namespace {

using namespace board;
using bench::BoardSizedWindow;
using bench::Median;
using bench::NowUs;
using bench::Pump;

constexpr int kColumns = 12, kRows = 7, kButtonW = 58, kButtonH = 32;

// Leaves `from` and enters `to`, as the pointer crossing from one button to the next does.
void Transition(HWND from, HWND to) {
  SendMessageW(from, WM_MOUSELEAVE, 0, 0);
  SendMessageW(to, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const int runs = quick ? 21 : 201;
  const int transitions = quick ? 840 : 10000;

  GdiPlusSession gdiPlus;
  SkinEngine engine(StoredSkinArt(nullptr));
  engine.SetSkinImage(nullptr, SkinImageFile(SkinImage::kBackground), Given(0), Given(0), Given(3));
  engine.SetControlSkinning(1, Given(0), NotGiven());
  HWND window = BoardSizedWindow(L"Button benchmark");
  std::vector<HWND> buttons;
  ScopedFont font(CreateFontW(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体"));
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column) {
      const std::wstring caption = L"音效 " + std::to_wstring(row * kColumns + column + 1);
      HWND b = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                               8 + column * 64, 34 + row * 40, kButtonW, kButtonH, window, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
      SendMessageW(b, WM_SETFONT, WPARAM(font.get()), 0);
      buttons.push_back(b);
    }
  if (!window || !engine.AttachWindow(window, 25, 1, {}))
    return std::printf("FAIL: no skinned window\n"), 1;
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  Pump();

  // One paint of a button, and a plain copy of the same size into the same DC.
  HWND first = buttons[0];
  RECT rect;
  GetClientRect(first, &rect);
  std::vector<double> paint, copy, hover;
  {
    ScopedGetDc dc(first);
    ScopedMemoryDc source(CreateCompatibleDC(dc.get()));
    ScopedBitmap bitmap(CreateCompatibleBitmap(dc.get(), rect.right, rect.bottom));
    ScopedSelectObject select(source.get(), bitmap.get());
    for (int i = 0; i < runs; ++i) {
      double t0 = NowUs();
      PaintPushButton(first, dc.get(), i % 2 ? ODS_HOTLIGHT : 0, rect);
      paint.push_back(NowUs() - t0);
      t0 = NowUs();
      BitBlt(dc.get(), 0, 0, rect.right, rect.bottom, source.get(), 0, 0, SRCCOPY);
      copy.push_back(NowUs() - t0);
    }
  }
  for (int i = 0; i < runs; ++i) {
    HWND from = buttons[size_t(i) % buttons.size()], to = buttons[size_t(i + 1) % buttons.size()];
    const double t0 = NowUs();
    Transition(from, to);
    hover.push_back(NowUs() - t0);
  }
  std::printf("one push-button paint (%d x %d): median %.3f ms over %d runs (goal < 2 ms); "
              "a plain copy of the same size: %.3f ms, the paint costs %.0f x it\n",
              int(rect.right), int(rect.bottom), Median(paint) / 1000, runs, Median(copy) / 1000,
              Median(paint) / std::max(Median(copy), 0.01));
  std::printf("one hover transition (leave one button, enter the next; two paints): median %.3f ms\n",
              Median(hover) / 1000);

  // Leaks: nothing the skin counts may grow over many transitions.
  Pump();
  const long gdiBefore = LiveGdiObjects();
  const long gdiPlusBefore = gp::LiveGdiPlusObjects();
  const DWORD handlesBefore = testing::OpenHandleCount();
  for (int i = 0; i < transitions; ++i)
    Transition(buttons[size_t(i) % buttons.size()], buttons[size_t(i + 1) % buttons.size()]);
  Pump();
  std::printf("after %d hover transitions across %zu buttons: GDI objects %+ld, GDI+ objects %+ld, "
              "handles %+ld (goal: no growth)\n",
              transitions, buttons.size(), LiveGdiObjects() - gdiBefore,
              gp::LiveGdiPlusObjects() - gdiPlusBefore,
              long(testing::OpenHandleCount()) - long(handlesBefore));
  DestroyWindow(window);
  return 0;
}
