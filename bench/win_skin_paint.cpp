// Figures of the skin: a full composition of the 786 × 315 board against a plain copy of
// the same pixels, an ordinary paint (one copy of the back buffer), one hover-fade tick,
// and the GDI objects and handles before and after many repaints and hover fades.
// Usage: win_skin_paint [--quick]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_window.h"
#include "base/win32/scoped_win.h"
#include "skin/win32/gdiplus_session.h"
#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_images.h"
#include "tests/wine/skin_engine_test_access.h"
#include "tests/wine/wave_test_support.h"

namespace {

using namespace board;
using bench::BoardSizedWindow;
using bench::Median;
using bench::NowUs;
using bench::Pump;

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const int runs = quick ? 5 : 101;
  const int rounds = quick ? 50 : 1000;

  GdiPlusSession gdiPlus;
  SkinEngine engine(StoredSkinArt(nullptr));
  engine.SetSkinImage(nullptr, SkinImageFile(SkinImage::kBackground), Given(0), Given(0), Given(3));
  HWND window = BoardSizedWindow(L"Skin benchmark");
  if (!window || !engine.AttachWindow(window, 25, 1, {}))
    return std::printf("FAIL: no skinned window\n"), 1;
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  Pump();

  ScopedGetDc dc(window);
  std::vector<double> full, plain, copy;
  for (int i = 0; i < runs; ++i) {
    double t0 = NowUs();
    engine.Repaint(1, dc.get());
    full.push_back(NowUs() - t0);
    t0 = NowUs();
    engine.PaintFromBuffer(1, dc.get());
    plain.push_back(NowUs() - t0);
  }
  std::printf("full repaint of the 786 x 315 window: median %.2f ms over %d runs (goal < 16 ms)\n",
              Median(full) / 1000, runs);
  // After a resize the background is composed again and the picture scaled anew.
  std::vector<double> resized;
  for (int i = 0; i < (quick ? 3 : 21); ++i) {
    SetWindowPos(window, nullptr, 0, 0, 786 + (i % 2), 315, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const double t0 = NowUs();
    engine.Repaint(1, dc.get());
    resized.push_back(NowUs() - t0);
  }
  SetWindowPos(window, nullptr, 0, 0, 786, 315, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  std::printf("full repaint after a resize (background composed, picture scaled again): median %.2f ms\n",
              Median(resized) / 1000);
  std::printf("ordinary paint, one copy of the back buffer: median %.3f ms (goal < 1 ms); "
              "the full repaint costs %.0f x it\n",
              Median(plain) / 1000, Median(full) / std::max(Median(plain), 0.01));

  // One hover tick: the pointer over the close box, then the timer's tick.
  const SkinWindowState state = WindowState(engine, 1);
  const LPARAM overClose = MAKELPARAM(state.strip.left + state.strip.width - 10, 8);
  std::vector<double> tick;
  for (int i = 0; i < runs; ++i) {
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 150));
    SendMessageW(window, WM_MOUSEMOVE, 0, overClose);
    const double t0 = NowUs();
    SendMessageW(window, WM_TIMER, WPARAM(window), 0);
    tick.push_back(NowUs() - t0);
  }
  std::printf("one hover-fade tick: median %.3f ms\n", Median(tick) / 1000);

  // Leaks: objects and handles before and after many repaints and whole hover fades.
  Pump();
  const long gdiBefore = LiveGdiObjects();
  const DWORD handlesBefore = testing::OpenHandleCount();
  for (int i = 0; i < rounds; ++i) engine.Repaint(1, dc.get());
  for (int i = 0; i < rounds; ++i) {
    SendMessageW(window, WM_MOUSEMOVE, 0, overClose);
    for (int t = 0; t < 8; ++t) SendMessageW(window, WM_TIMER, WPARAM(window), 0);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 150));
    for (int t = 0; t < 8; ++t) SendMessageW(window, WM_TIMER, WPARAM(window), 0);
  }
  Pump();
  std::printf("after %d full repaints and %d hover fades: GDI objects %+ld, handles %+ld\n", rounds,
              rounds, LiveGdiObjects() - gdiBefore, long(testing::OpenHandleCount()) - long(handlesBefore));
  DestroyWindow(window);
  return 0;
}
