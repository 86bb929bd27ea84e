// Figures of the container skin: one direct repaint of a page-sized tab control holding a
// page of buttons and a transparent label, against one plain copy of the same pixels; a page
// switch on the real, skinned board from the category button's click to the last control
// painted, against the same switch on the board without the skin; and the counted GDI
// objects, GDI+ objects and handles before and after many page switches.
// Usage: win_container_paint [--quick]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/main_form_layout.h"
#include "app/win32/program.h"
#include "bench/bench_clock.h"
#include "bench/bench_window.h"
#include "base/win32/scoped_win.h"
#include "skin/win32/container_skin.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/skin_images.h"
#include "tests/wine/wave_test_support.h"

namespace {

using namespace board;
using bench::Median;
using bench::NowUs;
using bench::Pump;

// Every paint the switch caused, done now: the window and all its controls.
void PaintEverythingNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
}

HWND CategoryButton(const FormEngine& form, int page) {
  for (const LayoutControl& c : kMainFormControls)
    if (c.action == Action::SelectPage && c.actionArg == page) return form.WindowHandle(kMainFormId, c.controlId);
  return nullptr;
}

// Paints and owner-draw requests while one switch is painted: each control once, the page once.
int g_paints = 0, g_tabPaints = 0;
HWND g_tab = nullptr;
LRESULT CALLBACK CountPaints(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && m->message == WM_PAINT) {
    ++g_paints;
    if (m->hwnd == g_tab) ++g_tabPaints;
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

struct Leaks {
  long gdi, gdiPlus, handles;
};
Leaks Count() {
  return {LiveGdiObjects(), gp::LiveGdiPlusObjects(), long(testing::OpenHandleCount())};
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const int runs = quick ? 5 : 101;
  const int switches = quick ? 30 : 1000;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);

  // 1. One direct repaint of a page-sized container with a page of controls on it.
  std::vector<double> direct, plain;
  {
    GdiPlusSession gdiPlus;
    SkinEngine skin(StoredSkinArt(nullptr));
    skin.SetSkinImage(nullptr, SkinImageFile(SkinImage::kBackground), Given(0), Given(0), Given(3));
    skin.SetControlSkinning(1, Given(0), NotGiven());
    HWND window = bench::BoardSizedWindow(L"Container benchmark");
    HWND tab = bench::Child(window, WC_TABCONTROLW, L"按钮", 0, 8, 38, 632, 264);
    for (int row = 0; row < 4; ++row)
      for (int col = 0; col < 5; ++col)
        bench::Child(tab, L"BUTTON", L"按钮", BS_PUSHBUTTON, 20 + 122 * col, 30 + 60 * row, 96, 40);
    bench::Child(tab, L"STATIC", L"按钮", 0, 500, 144, 120, 112, WS_EX_TRANSPARENT);
    if (!skin.AttachWindow(window, 25, 1, {}) ||
        !skin.AttachContainer(tab, Given(1), Given(int32_t(GetSysColor(COLOR_BTNFACE))), Given(0), NotGiven()))
      return std::printf("FAIL: no skinned container\n"), 1;
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    Pump();
    ScopedGetDc screen(tab);
    ScopedMemoryDc source(CreateCompatibleDC(screen.get()));
    ScopedBitmap pixels(CreateCompatibleBitmap(screen.get(), 632, 264));
    ScopedSelectObject select(source.get(), pixels.get());
    for (int i = 0; i < runs; ++i) {
      double t0 = NowUs();
      PaintContainerDirect(skin, 1, 1);
      GdiFlush();
      direct.push_back(NowUs() - t0);
      Pump();
      t0 = NowUs();
      BitBlt(screen.get(), 0, 0, 632, 264, source.get(), 0, 0, SRCCOPY);
      GdiFlush();
      plain.push_back(NowUs() - t0);
    }
    DestroyWindow(window);
    Pump();
  }
  std::printf("direct repaint of a 632 x 264 container with 21 controls: median %.3f ms over %d runs "
              "(goal < 2 ms); %.1f x one plain copy of its pixels (%.3f ms)\n",
              Median(direct) / 1000, runs, Median(direct) / std::max(Median(plain), 0.01), Median(plain) / 1000);

  // 2. The page switch on the real board, unskinned first (the baseline), then skinned.
  std::vector<double> bare;
  {
    FormEngine form(GetModuleHandleW(nullptr), {});
    if (!form.LoadForm(kMainFormId)) return std::printf("FAIL: the main form does not load\n"), 1;
    HWND window = form.WindowHandle(kMainFormId);
    ShowWindow(window, SW_SHOWNA);
    PaintEverythingNow(window);
    Pump();
    for (int i = 0; i < runs; ++i) {
      const double t0 = NowUs();
      form.SetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, i % 6);
      PaintEverythingNow(window);
      bare.push_back(NowUs() - t0);
      Pump();
    }
    DestroyWindow(window);
    Pump();
  }

  std::optional<SkinGlobals> globals(std::in_place);
  FormEngine form(GetModuleHandleW(nullptr), MakeBoardHandlers(globals->skin));
  // The created event skins the window and its containers and fades it in (1.6 s).
  if (!form.LoadForm(kMainFormId)) return std::printf("FAIL: the main form does not load\n"), 1;
  HWND window = form.WindowHandle(kMainFormId);
  HWND categories[6];
  for (int p = 0; p < 6; ++p)
    if (!(categories[p] = CategoryButton(form, p))) return std::printf("FAIL: no category button %d\n", p), 1;
  PaintEverythingNow(window);
  Pump();
  std::vector<double> skinned;
  for (int i = 0; i < runs; ++i) {
    const double t0 = NowUs();
    SendMessageW(categories[i % 6], BM_CLICK, 0, 0);
    PaintEverythingNow(window);
    skinned.push_back(NowUs() - t0);
    Pump();
  }
  // One switch to page 1 (20 clip buttons), its paints counted.
  SendMessageW(categories[0], BM_CLICK, 0, 0);
  PaintEverythingNow(window);
  Pump();
  g_tab = form.WindowHandle(kMainFormId, kTabControlId);
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountPaints, nullptr, GetCurrentThreadId());
  SendMessageW(categories[1], BM_CLICK, 0, 0);
  PaintEverythingNow(window);
  Pump();
  UnhookWindowsHookEx(hook);
  SendMessageW(categories[(runs - 1) % 6], BM_CLICK, 0, 0);
  Pump();
  int32_t page = -1;
  form.GetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, page);
  if (page != (runs - 1) % 6) return std::printf("FAIL: the category buttons do not switch pages\n"), 1;
  std::printf("page switch on the skinned board, click to the last control painted: median %.2f ms "
              "over %d runs (goal < 30 ms); %.1f x the board without the skin (%.2f ms)\n",
              Median(skinned) / 1000, runs, Median(skinned) / std::max(Median(bare), 0.01), Median(bare) / 1000);
  std::printf("a switch to a page of 20 clip buttons paints %d windows, the page %d time(s)\n", g_paints, g_tabPaints);

  // 3. Leaks over many switches.
  const Leaks before = Count();
  const double t0 = NowUs();
  for (int i = 0; i < switches; ++i) {
    SendMessageW(categories[i % 6], BM_CLICK, 0, 0);
    PaintEverythingNow(window);
    Pump();
  }
  const Leaks after = Count();
  std::printf("after %d page switches (%.1f s): counted GDI objects %ld -> %ld (%+ld), GDI+ objects %+ld, "
              "handles %+ld (goal: no growth)\n",
              switches, (NowUs() - t0) / 1e6, before.gdi, after.gdi, after.gdi - before.gdi,
              after.gdiPlus - before.gdiPlus, after.handles - before.handles);
  DestroyWindow(window);
  Pump();
  return 0;
}
