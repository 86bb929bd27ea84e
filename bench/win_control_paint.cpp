// Figures of the control painters: one paint of a trackbar, a progress bar, an up-down, a
// header and a transparent status bar, each against a plain BitBlt of the same size made
// in the same run, and the GDI objects before and after many hovers.
// Usage: win_control_paint [--quick]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_window.h"
#include "base/win32/scoped_win.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/header_skin.h"
#include "skin/win32/skin_globals.h"
#include "skin/win32/skin_images.h"
#include "skin/win32/trackbar_skin.h"
#include "skin/win32/transparent_skin.h"
#include "skin/win32/updown_skin.h"

namespace {

using namespace board;
using bench::Median;
using bench::NowUs;
using bench::Child;
using bench::Pump;


// Median time of `paint` into the control's DC, and of a plain copy of as many pixels.
void Measure(const char* name, HWND control, int runs, const std::function<void(HDC)>& paint) {
  RECT r;
  GetClientRect(control, &r);
  ScopedGetDc dc(control);
  ScopedMemoryDc source(CreateCompatibleDC(dc.get()));
  ScopedBitmap bitmap(CreateCompatibleBitmap(dc.get(), r.right, r.bottom));
  ScopedSelectObject select(source.get(), bitmap.get());
  std::vector<double> painted, copied;
  for (int i = 0; i < runs; ++i) {
    double t0 = NowUs();
    paint(dc.get());
    painted.push_back(NowUs() - t0);
    t0 = NowUs();
    BitBlt(dc.get(), 0, 0, r.right, r.bottom, source.get(), 0, 0, SRCCOPY);
    copied.push_back(NowUs() - t0);
  }
  std::printf("%-28s %3ld x %3ld: median %.3f ms (goal < 2 ms), plain BitBlt %.3f ms, ratio %.0f\n", name,
              r.right, r.bottom, Median(painted) / 1000, Median(copied) / 1000,
              Median(painted) / std::max(Median(copied), 0.01));
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const int runs = quick ? 5 : 101;
  const int hovers = quick ? 200 : 10000;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);

  SkinGlobals globals;
  SkinEngine& engine = globals.skin;
  HWND window = bench::BoardSizedWindow(L"Control benchmark");
  HWND track = Child(window, TRACKBAR_CLASSW, L"", TBS_NOTICKS, 20, 40, 200, 30);
  HWND progress = Child(window, PROGRESS_CLASSW, L"", 0, 20, 90, 200, 20);
  HWND upDown = Child(window, UPDOWN_CLASSW, L"", 0, 260, 40, 24, 44);
  HWND header = Child(window, WC_HEADERW, L"", HDS_BUTTONS, 320, 40, 300, 24);
  HWND status = Child(window, STATUSCLASSNAMEW, L"Ready", 0, 0, 0, 0, 0);
  SendMessageW(status, WM_SIZE, 0, 0);
  SendMessageW(progress, PBM_SETPOS, 40, 0);
  const wchar_t* names[] = {L"Name", L"Size", L"Type"};
  for (int i = 0; i < 3; ++i) {
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.cxy = 100;
    item.pszText = const_cast<wchar_t*>(names[i]);
    SendMessageW(header, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  // The first item with an icon from the header's image list.
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
  ImageList_AddIcon(images, LoadIconW(nullptr, IDI_INFORMATION));
  SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  HDITEMW iconItem{};
  iconItem.mask = HDI_IMAGE | HDI_FORMAT;
  iconItem.fmt = HDF_LEFT | HDF_STRING | HDF_IMAGE;
  SendMessageW(header, HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&iconItem));
  SkinMainWindow(engine, {.window = window,
                          .image = SkinImageFile(SkinImage::kBackground),
                          .faceColour = int32_t(GetSysColor(COLOR_BTNFACE)),
                          .themeColour = 0xDDCA22,
                          .controlAlpha = 160});
  if (!engine.SkinTransparentControl(status, NotGiven(), NotGiven())) return std::printf("FAIL: no skinned window\n"), 1;
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  Pump();

  Measure("trackbar", track, runs, [&](HDC dc) { PaintTrackbar(engine, track, dc); });
  Measure("progress bar", progress, runs, [&](HDC dc) { PaintProgressBar(engine, progress, dc); });
  Measure("up-down", upDown, runs, [&](HDC dc) { PaintUpDown(engine, upDown, dc); });
  Measure("header (3 items, 1 icon)", header, runs, [&](HDC dc) { PaintHeader(engine, header, dc); });
  Measure("transparent status bar", status, runs, [&](HDC dc) { PaintTransparentControl(engine, status, dc); });
  // What the status bar's own painting costs, into a memory DC, of the figure above.
  {
    RECT r;
    GetClientRect(status, &r);
    ScopedGetDc screen(status);
    ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
    ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get(), r.right, r.bottom));
    ScopedSelectObject select(memory.get(), bitmap.get());
    auto own = reinterpret_cast<WNDPROC>(GetPropW(status, L"Kj_hProc"));
    Measure("  of which its own paint", status, runs, [&](HDC) {
      CallWindowProcW(own, status, WM_PAINT, reinterpret_cast<WPARAM>(memory.get()), 0);
    });
  }

  // The soak: hovers from one family to the next, each a repaint on entering and leaving.
  Pump();
  const long gdiBefore = LiveGdiObjects(), gdiPlusBefore = gp::LiveGdiPlusObjects();
  const HWND hovered[] = {track, upDown, header};
  const double t0 = NowUs();
  for (int i = 0; i < hovers; ++i) {
    SendMessageW(hovered[(i + 1) % 3], WM_MOUSEMOVE, 0, MAKELPARAM(10, 8));
    SendMessageW(hovered[i % 3], WM_MOUSELEAVE, 0, 0);
  }
  Pump();
  std::printf("%d hovers across three families in %.1f s: GDI objects %ld before, %ld after; GDI+ objects %+ld\n",
              hovers, (NowUs() - t0) / 1e6, gdiBefore, LiveGdiObjects(), gp::LiveGdiPlusObjects() - gdiPlusBefore);
  DestroyWindow(window);
  ImageList_Destroy(images);
  return 0;
}
