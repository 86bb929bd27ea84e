// Paint times of the edit, combo-box and list skins on a skinned window: the edit's frame,
// the edit's washed background, the whole combo box and the list's frame, each against a
// plain BitBlt of the same size and the background capture every painter starts with, both
// measured in the same run.
// Usage: win_edit_paint [--quick]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_window.h"
#include "base/win32/scoped_win.h"
#include "skin/win32/edit_skin.h"
#include "skin/win32/frame_painting.h"
#include "skin/win32/gdiplus_session.h"
#include "skin/win32/list_skin.h"
#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_images.h"

namespace {

using namespace board;
using bench::Median;
using bench::NowUs;
using bench::Pump;

double MedianMs(int runs, const std::function<void()>& paint) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    const double t0 = NowUs();
    paint();
    t.push_back(NowUs() - t0);
  }
  return Median(t) / 1000;
}

// A plain copy of a control-sized block into the control's window DC.
double PlainCopyMs(HWND control, int runs) {
  RECT r;
  GetWindowRect(control, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  ScopedGetDc dc(control, ScopedGetDc::kWholeWindow);
  ScopedMemoryDc memory(CreateCompatibleDC(dc.get()));
  ScopedBitmap bitmap(CreateCompatibleBitmap(dc.get(), w, h));
  ScopedSelectObject select(memory.get(), bitmap.get());
  return MedianMs(runs, [&] { BitBlt(dc.get(), 0, 0, w, h, memory.get(), 0, 0, SRCCOPY); });
}

// What every painter pays first: the skin behind the control captured and freed again.
double CaptureMs(SkinEngine& engine, HWND control, int runs) {
  RECT r;
  GetWindowRect(control, &r);
  const RECT area{0, 0, r.right - r.left, r.bottom - r.top};
  return MedianMs(runs, [&] { engine.FreeBackground(engine.CaptureBackground(control, area)); });
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const int runs = quick ? 11 : 201;

  GdiPlusSession gdiPlus;
  SkinEngine engine(StoredSkinArt(nullptr));
  engine.SetSkinImage(nullptr, SkinImageFile(SkinImage::kBackground), Given(0), Given(0), Given(3));
  engine.SetControlSkinning(1, Given(160), NotGiven());
  HWND window = bench::BoardSizedWindow(L"Edit benchmark");
  HWND edit = bench::Child(window, L"Edit", L"", ES_MULTILINE | WS_VSCROLL, 40, 60, 200, 120, WS_EX_CLIENTEDGE);
  HWND combo = bench::Child(window, L"ComboBox", L"", CBS_DROPDOWNLIST, 280, 60, 160, 200, 0);
  HWND list = bench::Child(window, L"ListBox", L"", WS_BORDER | WS_VSCROLL, 480, 60, 200, 120, WS_EX_CLIENTEDGE);
  SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(L"a selection"));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  if (!window || !engine.AttachWindow(window, 25, 1, {})) return std::printf("FAIL: no skinned window\n"), 1;
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  Pump();

  ScopedGetDc editDc(edit), comboDc(combo);
  struct Row {
    const char* name;
    HWND control;
    std::function<void()> paint;
  } rows[] = {
      {"edit frame (200 x 120, scroll bar)", edit, [&] { PaintEditFrame(edit); }},
      {"edit background", edit, [&] { PaintEditBackground(edit, editDc.get()); }},
      {"combo box (160 x 20 or so)", combo, [&] { PaintComboBox(combo, comboDc.get()); }},
      {"list frame (200 x 120, scroll bar)", list, [&] { PaintListFrame(list); }},
  };
  for (const Row& row : rows) {
    const double baseline = PlainCopyMs(row.control, runs);
    const double capture = CaptureMs(engine, row.control, runs);
    const double painted = MedianMs(runs, row.paint);
    std::printf("%-36s median %.3f ms (goal < 2 ms); plain BitBlt of the same size %.3f ms (%.0f x); "
                "the background capture alone %.3f ms\n",
                row.name, painted, baseline, painted / std::max(baseline, 0.001), capture);
  }
  DestroyWindow(window);
  return 0;
}
