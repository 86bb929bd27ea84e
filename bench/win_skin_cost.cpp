// What the skin costs a user, each figure beside the board without the skin measured in the
// same run: a page switch, the start of the process to its first painted window, a repaint
// during and after a resize, creating the window with its controls, and a hover transition;
// and the process's memory after start and after many page switches.
// Usage: win_skin_cost [--quick]
// The program starts copies of itself as the board under test: `--board skinned` runs the
// product's own start-up, `--board plain` the same window with no skin.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/main_form_layout.h"
#include "app/win32/program.h"
#include "base/win32/scoped_win.h"
#include "bench/bench_clock.h"
#include "bench/bench_window.h"
#include "skin/win32/gdiplus_session.h"
#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_images.h"

namespace {

using namespace board;
using bench::Median;
using bench::NowUs;
using bench::Pump;

// Every paint a change caused, done now: the window and all its controls.
void PaintEverythingNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
}

HWND CategoryButton(const FormEngine& form, int page) {
  for (const LayoutControl& c : kMainFormControls)
    if (c.action == Action::SelectPage && c.actionArg == page) return form.WindowHandle(kMainFormId, c.controlId);
  return nullptr;
}

std::vector<HWND> ClipButtonsOfPage(const FormEngine& form, int page) {
  std::vector<HWND> buttons;
  for (const LayoutControl& c : kMainFormControls)
    if (c.action == Action::PlayClip && c.container == page) buttons.push_back(form.WindowHandle(kMainFormId, c.controlId));
  return buttons;
}

// The skin's part of the main window's created event, without the fade-in that follows it.
void SkinTheBoard(FormEngine& form, SkinEngine& skin) { SkinMainForm(form, skin); }

// The same with the picture already prepared: the window and its controls attached.
void AttachTheBoard(FormEngine& form, SkinEngine& skin) {
  skin.SetControlSkinning(1, Given(0), NotGiven());
  AttachWindowOptions options;
  options.showTitle = Given(1);
  skin.AttachWindow(form.WindowHandle(kMainFormId), 25, 1, options);
  SkinContainerWithFace(skin, form.WindowHandle(kMainFormId, kTabControlId));
  SkinContainerWithFace(skin, form.WindowHandle(kMainFormId, kGroupBoxControlId));
}

struct Memory {
  double privateMiB = 0, workingSetMiB = 0;
};
Memory ProcessMemory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters,
                               sizeof(counters)))
    return {};
  // The commit charge: the process's private bytes (Wine leaves PrivateUsage at 0).
  return {double(counters.PagefileUsage) / 1048576, double(counters.WorkingSetSize) / 1048576};
}

// `count` page switches through the six pages in turn, each painted at once.
std::vector<double> TimeSwitches(int count, const std::function<void(int)>& select, HWND window) {
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    const double t0 = NowUs();
    select(i % 6);
    PaintEverythingNow(window);
    times.push_back(NowUs() - t0);
    Pump();
  }
  return times;
}

// The board without the skin: the same form, no handler bound.
double PlainPageSwitch(int runs) {
  FormEngine form(GetModuleHandleW(nullptr), {});
  if (!form.LoadForm(kMainFormId)) return -1;
  HWND window = form.WindowHandle(kMainFormId);
  ShowWindow(window, SW_SHOWNA);
  PaintEverythingNow(window);
  Pump();
  const auto times = TimeSwitches(
      runs, [&form](int page) { form.SetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, page); },
      window);
  DestroyWindow(window);
  Pump();
  return Median(times);
}

// The screen's pixels of `rect`, hashed: equal hashes, the same picture.
uint64_t ScreenHash(HDC screen, const RECT& rect) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return 0;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
  void* bits = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ScopedMemoryDc dc(CreateCompatibleDC(screen));
  if (!bitmap || !dc) return 0;
  ScopedSelectObject select(dc.get(), bitmap.get());
  BitBlt(dc.get(), 0, 0, w, h, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  uint64_t hash = 1469598103934665603ull;
  const auto* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < size_t(w) * size_t(h); ++i) hash = (hash ^ (p[i] & 0xFFFFFF)) * 1099511628211ull;
  return hash;
}

// Starts this program as a board and watches the screen: the time from the process's start
// to the moment its window first shows the picture it settles on (the last change of the
// window's pixels); -1 when it did not come up.
double StartToFirstPaint(const char* variant) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(self) + L"\" --board " + (variant[0] == 's' ? L"skinned" : L"plain");
  STARTUPINFOW si{sizeof(si)};
  PROCESS_INFORMATION pi{};
  const double t0 = NowUs();
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  ScopedGetDc screen(nullptr);
  struct Sample {
    double at;
    uint64_t hash;
  };
  std::vector<Sample> samples;
  HWND window = nullptr;
  double shown = 0;
  // The skinned board fades in over 1.6 s; its pixels have settled well before 2.5 s.
  while (NowUs() - t0 < 20e6 && (!shown || NowUs() - shown < 2.5e6)) {
    if (!window) {
      for (HWND w = FindWindowW(L"BoardForm", nullptr); w; w = FindWindowExW(nullptr, w, L"BoardForm", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == pi.dwProcessId) window = w;
      }
    }
    if (window && IsWindowVisible(window)) {
      if (!shown) shown = NowUs();
      RECT r;
      GetWindowRect(window, &r);
      samples.push_back({NowUs() - t0, ScreenHash(screen.get(), r)});
    }
    Sleep(1);
  }
  TerminateProcess(process.get(), 0);
  WaitForSingleObject(process.get(), 10000);
  if (samples.empty()) return -1;
  // The first sample of the last run of samples equal to the final one.
  size_t first = samples.size() - 1;
  while (first > 0 && samples[first - 1].hash == samples.back().hash) --first;
  return samples[first].at;
}

// A skinned window of the board's size with the board's picture, resized: the repaint right
// after each size change, and what the window does on its own in the 400 ms after the last
// one (the settled picture), timed per message it handles.
struct ResizeFigures {
  double fast = 0, settled = 0, settledAfter = 0;
};
ResizeFigures ResizeRepaint(int runs) {
  GdiPlusSession gdiPlus;
  SkinEngine engine(StoredSkinArt(nullptr));
  engine.SetSkinImage(nullptr, SkinImageFile(SkinImage::kBackground), Given(0), Given(0), Given(3));
  HWND window = bench::BoardSizedWindow(L"Resize benchmark");
  if (!window || !engine.AttachWindow(window, 25, 1, {})) return {};
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  Pump();
  std::vector<double> fast, settled, after;
  for (int i = 0; i < runs; ++i) {
    // A live resize (inside the system's move-and-size loop): a few frames one after
    // another, then the pointer rests, then the loop ends.
    SendMessageW(window, WM_ENTERSIZEMOVE, 0, 0);
    for (int frame = 0; frame < 4; ++frame) {
      SetWindowPos(window, nullptr, 0, 0, 786 + 8 * frame + (i % 2), 315 + 4 * frame,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      const double t0 = NowUs();
      UpdateWindow(window);
      GdiFlush();
      fast.push_back(NowUs() - t0);
    }
    const double rest = NowUs();
    double busy = 0, last = 0;
    while (NowUs() - rest < 400e3) {
      MSG m;
      if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        Sleep(1);
        continue;
      }
      const double t0 = NowUs();
      DispatchMessageW(&m);
      GdiFlush();
      if (m.hwnd == window && (m.message == WM_TIMER || m.message == WM_PAINT)) {
        busy += NowUs() - t0;
        last = NowUs() - rest;
      }
    }
    SendMessageW(window, WM_EXITSIZEMOVE, 0, 0);
    settled.push_back(busy);
    after.push_back(last);
  }
  DestroyWindow(window);
  Pump();
  return {Median(fast), Median(settled), Median(after)};
}

int RunBoard(const std::string& variant) {
  if (variant == "skinned") return RunProgram(GetModuleHandleW(nullptr));
  FormEngine form(GetModuleHandleW(nullptr), {});
  if (!form.LoadForm(kMainFormId)) return 1;
  ShowWindow(form.WindowHandle(kMainFormId), SW_SHOW);
  return form.RunMessageLoop();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "--board") return RunBoard(argv[2]);
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const int runs = quick ? 5 : 41;
  const int starts = quick ? 1 : 5;
  const int switches = quick ? 30 : 1000;

  // Process start to the first painted window, skinned and plain taking turns.
  std::vector<double> skinnedStart, plainStart;
  for (int i = 0; i < starts; ++i) {
    skinnedStart.push_back(StartToFirstPaint("skinned"));
    plainStart.push_back(StartToFirstPaint("plain"));
  }

  const ResizeFigures resize = ResizeRepaint(quick ? 3 : 15);

  // Creating the window and its controls: plain, and with the skin attached.
  std::vector<double> createPlain, createSkinned;
  {
    FormEngine form(GetModuleHandleW(nullptr), {});
    for (int i = 0; i < runs; ++i) {
      const double t0 = NowUs();
      if (!form.LoadForm(kMainFormId)) return std::printf("FAIL: the main form does not load\n"), 1;
      createPlain.push_back(NowUs() - t0);
      DestroyWindow(form.WindowHandle(kMainFormId));
      Pump();
    }
  }
  std::optional<SkinGlobals> globals(std::in_place);
  {
    globals->skin.SetSkinImage(nullptr, SkinImageFile(SkinImage::kBackground), Given(0), Given(0), Given(3));
    std::vector<EventHandler> handlers = MakeBoardHandlers(globals->skin);
    handlers[kHandlerFormCreated] = [&globals](FormEngine& e) { AttachTheBoard(e, globals->skin); };
    FormEngine form(GetModuleHandleW(nullptr), handlers);
    for (int i = 0; i < runs; ++i) {
      const double t0 = NowUs();
      if (!form.LoadForm(kMainFormId)) return std::printf("FAIL: the main form does not load\n"), 1;
      createSkinned.push_back(NowUs() - t0);
      DestroyWindow(form.WindowHandle(kMainFormId));
      Pump();
    }
  }

  // The page switch: plain first, then the real, skinned board, clicked.
  const double plainSwitch = PlainPageSwitch(runs);
  std::vector<EventHandler> handlers = MakeBoardHandlers(globals->skin);
  handlers[kHandlerFormCreated] = [&globals](FormEngine& e) { SkinTheBoard(e, globals->skin); };
  FormEngine form(GetModuleHandleW(nullptr), handlers);
  if (!form.LoadForm(kMainFormId)) return std::printf("FAIL: the main form does not load\n"), 1;
  HWND window = form.WindowHandle(kMainFormId);
  ShowWindow(window, SW_SHOWNA);
  HWND categories[6];
  for (int p = 0; p < 6; ++p)
    if (!(categories[p] = CategoryButton(form, p))) return std::printf("FAIL: no category button %d\n", p), 1;
  PaintEverythingNow(window);
  Pump();
  const Memory started = ProcessMemory();
  auto click = [&categories](int page) { SendMessageW(categories[page], BM_CLICK, 0, 0); };
  const double skinnedSwitch = Median(TimeSwitches(runs, click, window));

  // A hover transition on the first page of clips: leave one button, enter the next.
  click(1);
  PaintEverythingNow(window);
  Pump();
  const std::vector<HWND> clips = ClipButtonsOfPage(form, 1);
  std::vector<double> hover;
  for (int i = 0; i < runs * 4 && clips.size() > 1; ++i) {
    HWND from = clips[size_t(i) % clips.size()], to = clips[size_t(i + 1) % clips.size()];
    const double t0 = NowUs();
    SendMessageW(from, WM_MOUSELEAVE, 0, 0);
    SendMessageW(to, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    GdiFlush();
    hover.push_back(NowUs() - t0);
  }

  // Memory: after one round of the pages, and after many switches.
  TimeSwitches(6, click, window);
  const Memory firstRound = ProcessMemory();
  TimeSwitches(switches, click, window);
  const Memory many = ProcessMemory();
  DestroyWindow(window);
  Pump();

  std::printf("page switch: skinned %.2f ms, plain %.2f ms, ratio %.2f\n", skinnedSwitch / 1000,
              plainSwitch / 1000, skinnedSwitch / std::max(plainSwitch, 1.0));
  std::printf("start to first skinned paint: %.0f ms, plain board %.0f ms, difference %.0f ms\n",
              Median(skinnedStart) / 1000, Median(plainStart) / 1000,
              (Median(skinnedStart) - Median(plainStart)) / 1000);
  std::printf("resize repaint: fast %.2f ms, settled %.2f ms\n", resize.fast / 1000, resize.settled / 1000);
  std::printf("  (the settled picture's last paint %.0f ms after the last size change; 0: no settling pass)\n",
              resize.settledAfter / 1000);
  std::printf("window and controls: %.2f ms\n", Median(createSkinned) / 1000);
  std::printf("  (the same window and controls without the skin: %.2f ms)\n", Median(createPlain) / 1000);
  std::printf("hover transition: %.3f ms\n", Median(hover) / 1000);
  std::printf("memory: after start private %.1f MiB, working set %.1f MiB; after one round of pages %.1f / %.1f MiB; "
              "after %d more switches %.1f / %.1f MiB (goal: no growth after the first round)\n",
              started.privateMiB, started.workingSetMiB, firstRound.privateMiB, firstRound.workingSetMiB, switches,
              many.privateMiB, many.workingSetMiB);
  return 0;
}
