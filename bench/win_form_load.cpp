// Figures of the main window: parsing its stored description, creating the window with all
// its controls, and the time from starting SoundBoard.exe to its window on screen.
// Usage: win_form_load [--quick] [path\to\SoundBoard.exe]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "app/main_form_layout.h"
#include "base/win32/resource_bytes.h"
#include "runtime/win32/form_engine.h"

namespace {

using namespace board;
using bench::Median;
using bench::NowUs;

std::span<const uint8_t> StoredForm() {
  return ResourceBytes(L"FORM_52010001");
}

void DrainQueue() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const int runs = quick ? 5 : 41;
  std::span<const uint8_t> stored = StoredForm();

  std::vector<double> parse, copy, create;
  for (int i = 0; i < runs * 10; ++i) {
    FormDescription form;
    double t0 = NowUs();
    bool ok = ReadFormDescription(stored, form);
    parse.push_back(NowUs() - t0);
    if (!ok) return std::printf("FAIL: the stored description does not read\n"), 1;
    std::vector<uint8_t> bytes(stored.size());
    t0 = NowUs();
    std::copy(stored.begin(), stored.end(), bytes.begin());
    copy.push_back(NowUs() - t0);
  }
  FormEngine engine(GetModuleHandleW(nullptr), {});
  for (int i = 0; i < runs; ++i) {
    double t0 = NowUs();
    if (!engine.LoadForm(kMainFormId)) return std::printf("FAIL: the main form does not load\n"), 1;
    create.push_back(NowUs() - t0);
    DestroyWindow(engine.WindowHandle(kMainFormId));
    DrainQueue();
  }
  std::printf("parse the stored description (%zu bytes): median %.1f us (%.1f x a plain copy)\n",
              stored.size(), Median(parse), Median(parse) / std::max(Median(copy), 0.01));
  std::printf("create the window and its controls: median %.2f ms over %d runs\n",
              Median(create) / 1000, runs);

  // From process start to the window on screen.
  const char* exe = nullptr;
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] != '-') exe = argv[i];
  if (!exe) return 0;
  std::vector<double> show;
  for (int i = 0; i < (quick ? 1 : 5); ++i) {
    std::string cmd = std::string("\"") + exe + "\"";
    STARTUPINFOA si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    double t0 = NowUs();
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return std::printf("FAIL: cannot start %s\n", exe), 1;
    HWND w = nullptr;
    while (NowUs() - t0 < 30e6) {
      w = FindWindowW(L"BoardForm", nullptr);
      // Skinned (the engine has numbered it) and shown: the first skinned paint is under way.
      if (w && IsWindowVisible(w) && GetPropW(w, L"Hw_lbID")) break;
      Sleep(1);
    }
    show.push_back(NowUs() - t0);
    if (w) PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
      std::printf("FAIL: the board did not end within 30 s of WM_CLOSE\n");
      TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  std::printf("process start to the skinned window on screen: median %.0f ms\n", Median(show) / 1000);
  return 0;
}
