// Runs beside SoundBoard.exe in the same Wine session and watches it the way a user's
// senses would: where its buttons are, what the speakers play, which keys reach the system,
// how its window fades. The end-to-end script clicks with the real X pointer and asks this
// probe what happened. Every command prints its findings and exits 0 when they hold.
//
//   board_probe wait-window MS          wait for the board to show, fully faded in
//   board_probe where ACTION            screen centre of a button: clip:N page:N stop key:VK close
//   board_probe listen MS               record the speakers and the mouse; per click report
//                                       when sound started and when it stopped
//   board_probe watch-keys MS           report the key events that reach a low-level hook
//   board_probe escape-fade MS          press Esc on the board and watch its alpha fall
//   board_probe close MS                send WM_CLOSE and wait for the process to end
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "app/main_form_layout.h"
#include "base/win32/scoped_win.h"

namespace {

using namespace board;

double NowMs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

int Fail(const char* what) {
  std::printf("FAIL: %s\n", what);
  std::fflush(stdout);
  return 1;
}

HWND BoardWindow() { return FindWindowW(L"BoardForm", nullptr); }

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<ControlSearch*>(lp);
  if (GetDlgCtrlID(h) == s->id) s->found = h;
  return s->found == nullptr;
}

HWND ControlOf(HWND board, uint32_t controlId) {
  ControlSearch s{int(controlId & 0xFFFF), nullptr};
  EnumChildWindows(board, MatchControl, LPARAM(&s));
  return s.found;
}

const LayoutControl* ControlOfAction(const char* what) {
  Action action = Action::None;
  int arg = 0;
  if (std::sscanf(what, "clip:%d", &arg) == 1) action = Action::PlayClip;
  else if (std::sscanf(what, "page:%d", &arg) == 1) action = Action::SelectPage;
  else if (std::sscanf(what, "key:%d", &arg) == 1) action = Action::PressKey;
  else if (std::strcmp(what, "stop") == 0) action = Action::StopPlayback;
  else if (std::strcmp(what, "close") == 0) action = Action::CloseProgram;
  if (action == Action::None) return nullptr;
  for (const LayoutControl& c : kMainFormControls)
    if (c.action == action && (c.actionArg == arg || action == Action::StopPlayback ||
                               action == Action::CloseProgram))
      return &c;
  return nullptr;
}

int WaitWindow(int ms) {
  const double end = NowMs() + ms;
  std::vector<int> alphas;
  while (NowMs() < end) {
    HWND w = BoardWindow();
    BYTE alpha = 0;
    DWORD flags = 0;
    if (w && IsWindowVisible(w) && GetLayeredWindowAttributes(w, nullptr, &alpha, &flags)) {
      if (alphas.empty() || alphas.back() != alpha) alphas.push_back(alpha);
      if (alpha == 255 && alphas.size() > 1) {
        RECT rc;
        GetWindowRect(w, &rc);
        std::printf("window %ld %ld %ld %ld, alpha rose through %zu values\n", rc.left, rc.top,
                    rc.right - rc.left, rc.bottom - rc.top, alphas.size());
        return 0;
      }
    }
    Sleep(2);
  }
  return Fail("the board did not show and fade in");
}

int Where(const char* what) {
  const LayoutControl* c = ControlOfAction(what);
  HWND board = BoardWindow();
  HWND h = (c && board) ? ControlOf(board, c->controlId) : nullptr;
  if (!h) return Fail("no such button on the board");
  RECT rc;
  GetWindowRect(h, &rc);
  std::printf("%ld %ld\n", (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  return 0;
}

// --- listening -------------------------------------------------------------------------

std::vector<double> g_clicks;

LRESULT CALLBACK MouseHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == WM_LBUTTONDOWN) g_clicks.push_back(NowMs());
  return CallNextHookEx(nullptr, code, wp, lp);
}

struct Block {
  double arrival;  // ms, when the recorded block reached us
  double rms;      // of 16-bit samples, full scale 32768
};

// Records the default source (the sink's monitor) in 10 ms blocks until `stop` is set.
void Record(std::atomic<bool>& stop, std::vector<Block>& blocks, std::atomic<bool>& opened) {
  WAVEFORMATEX fmt{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  UniqueHandle ready(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  HWAVEIN in = nullptr;
  if (waveInOpen(&in, WAVE_MAPPER, &fmt, DWORD_PTR(ready.get()), 0, CALLBACK_EVENT) !=
      MMSYSERR_NOERROR)
    return;
  opened = true;
  constexpr int kBuffers = 16, kFrames = 441;
  std::vector<int16_t> samples(kBuffers * kFrames);
  WAVEHDR headers[kBuffers] = {};
  for (int i = 0; i < kBuffers; ++i) {
    headers[i].lpData = reinterpret_cast<LPSTR>(&samples[size_t(i) * kFrames]);
    headers[i].dwBufferLength = kFrames * 2;
    waveInPrepareHeader(in, &headers[i], sizeof(WAVEHDR));
    waveInAddBuffer(in, &headers[i], sizeof(WAVEHDR));
  }
  waveInStart(in);
  int next = 0;
  while (!stop) {
    if (WaitForSingleObject(ready.get(), 50) != WAIT_OBJECT_0) continue;
    while (headers[next].dwFlags & WHDR_DONE) {
      WAVEHDR& h = headers[next];
      const auto* s = reinterpret_cast<const int16_t*>(h.lpData);
      size_t n = h.dwBytesRecorded / 2;
      double sum = 0;
      for (size_t i = 0; i < n; ++i) sum += double(s[i]) * s[i];
      blocks.push_back({NowMs(), n ? std::sqrt(sum / double(n)) / 32768.0 : 0.0});
      h.dwFlags &= ~WHDR_DONE;
      waveInAddBuffer(in, &h, sizeof(WAVEHDR));
      next = (next + 1) % kBuffers;
    }
  }
  waveInReset(in);
  for (auto& h : headers) waveInUnprepareHeader(in, &h, sizeof(WAVEHDR));
  waveInClose(in);
}

// Pumps this thread's messages (the low-level hooks run here) for `ms`.
void PumpFor(int ms) {
  const double end = NowMs() + ms;
  while (NowMs() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

int Listen(int ms) {
  std::atomic<bool> stop{false}, opened{false};
  std::vector<Block> blocks;
  std::thread recorder(Record, std::ref(stop), std::ref(blocks), std::ref(opened));
  HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, MouseHook, GetModuleHandleW(nullptr), 0);
  PumpFor(1500);  // the monitor delivers late at first: let the recording settle
  std::printf("ready\n");
  std::fflush(stdout);
  PumpFor(ms);
  UnhookWindowsHookEx(hook);
  stop = true;
  recorder.join();
  if (!opened) return Fail("could not record the speakers");
  if (!hook) return Fail("could not watch the mouse");

  constexpr double kLoud = 0.02, kQuiet = 0.002;
  std::printf("%zu blocks, %zu clicks\n", blocks.size(), g_clicks.size());
  for (size_t i = 0; i < g_clicks.size(); ++i) {
    const double t = g_clicks[i];
    const double until = i + 1 < g_clicks.size() ? g_clicks[i + 1] : 1e300;
    double loud = -1, quiet = -1;
    for (const Block& b : blocks) {
      if (b.arrival < t || b.arrival >= until) continue;
      if (loud < 0 && b.rms > kLoud) loud = b.arrival - t;
      if (quiet < 0 && b.rms < kQuiet) quiet = b.arrival - t;
    }
    // Blocks stop arriving when the sink falls idle: that is silence too.
    double lastArrival = 0;
    for (const Block& b : blocks)
      if (b.arrival >= t && b.arrival < until) lastArrival = b.arrival;
    std::printf("click %zu: loud_after_ms=%.0f quiet_after_ms=%.0f last_block_ms=%.0f\n", i + 1,
                loud, quiet, lastArrival ? lastArrival - t : -1.0);
  }
  return 0;
}

// --- keys ------------------------------------------------------------------------------

std::vector<std::pair<bool, DWORD>> g_keys;

LRESULT CALLBACK KeyHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    g_keys.push_back({wp == WM_KEYDOWN || wp == WM_SYSKEYDOWN, k->vkCode});
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

int WatchKeys(int ms) {
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyHook, GetModuleHandleW(nullptr), 0);
  if (!hook) return Fail("could not watch the keyboard");
  std::printf("ready\n");
  std::fflush(stdout);
  PumpFor(ms);
  UnhookWindowsHookEx(hook);
  for (auto [down, vk] : g_keys) std::printf("%s %lu\n", down ? "down" : "up", vk);
  return 0;
}

// --- closing ---------------------------------------------------------------------------

// Waits for the board's process to end; prints its exit code.
int AwaitExit(HANDLE process, int ms) {
  if (WaitForSingleObject(process, DWORD(ms)) != WAIT_OBJECT_0) return Fail("the board did not end");
  DWORD code = 1;
  GetExitCodeProcess(process, &code);
  std::printf("exit code %lu\n", code);
  return 0;
}

UniqueHandle OpenBoardProcess(HWND board) {
  DWORD pid = 0;
  GetWindowThreadProcessId(board, &pid);
  return UniqueHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
}

int EscapeFade(int ms) {
  HWND board = BoardWindow();
  if (!board) return Fail("no board window");
  UniqueHandle process = OpenBoardProcess(board);
  PostMessageW(board, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  std::vector<int> alphas;
  const double start = NowMs();
  while (IsWindow(board) && NowMs() - start < ms) {
    BYTE alpha = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(board, nullptr, &alpha, &flags) &&
        (alphas.empty() || alphas.back() != alpha))
      alphas.push_back(alpha);
    Sleep(1);
  }
  if (IsWindow(board)) return Fail("the window did not go after Esc");
  bool falling = std::is_sorted(alphas.rbegin(), alphas.rend());
  std::printf("alpha fell through %zu values from %d to %d in %.0f ms%s\n", alphas.size(),
              alphas.empty() ? -1 : alphas.front(), alphas.empty() ? -1 : alphas.back(),
              NowMs() - start, falling ? "" : " (not monotonic)");
  if (alphas.size() < 20 || !falling || alphas.back() > 10) return Fail("no fade-out seen");
  return AwaitExit(process.get(), ms);
}

int Close(int ms) {
  HWND board = BoardWindow();
  if (!board) return Fail("no board window");
  UniqueHandle process = OpenBoardProcess(board);
  PostMessageW(board, WM_CLOSE, 0, 0);
  return AwaitExit(process.get(), ms);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return Fail("usage: board_probe COMMAND ARG");
  std::wstring cmd = argv[1];
  char arg[64] = {};
  std::wcstombs(arg, argv[2], sizeof arg - 1);
  const int ms = std::atoi(arg);
  if (cmd == L"wait-window") return WaitWindow(ms);
  if (cmd == L"where") return Where(arg);
  if (cmd == L"listen") return Listen(ms);
  if (cmd == L"watch-keys") return WatchKeys(ms);
  if (cmd == L"escape-fade") return EscapeFade(ms);
  if (cmd == L"close") return Close(ms);
  return Fail("unknown command");
}
