// Runs beside SoundBoard.exe in the same Wine session and watches it the way a user's
// senses would: where its buttons are, what the speakers play, which keys reach the system,
// how its window fades. The end-to-end script clicks with the real X pointer and asks this
// probe what happened. Every command prints its findings and exits 0 when they hold.
//
//   board_probe wait-window MS          wait for the board to show, fully faded in
//   board_probe where ACTION            screen centre of a button: clip:N page:N stop key:VK close
//   board_probe listen MS               record the speakers, the mouse and the keys; per click
//                                       or key press report when sound started and stopped,
//                                       then the onsets heard (sudden rises in loudness)
//   board_probe skinned                 whether the skin draws the clip buttons
//   board_probe focus                   the button that has the keyboard focus, as ACTION
//   board_probe page                    the tab control's current page
//   board_probe watch-keys MS           report the key events that reach a low-level hook
//   board_probe escape-fade MS          press Esc on the board and watch its alpha fall
//   board_probe watch-fade MS           once ready, watch the alpha fall after someone else's
//                                       click, then wait for the process to end
//   board_probe rect                    the board's client area on the screen
//   board_probe frame                   the board's window rectangle and whether it is zoomed
//   board_probe close MS                send WM_CLOSE and wait for the process to end
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "app/main_form_layout.h"
#include "base/win32/scoped_win.h"
#include "tests/support/key_hook.h"
#include "tests/support/wave_in_recorder.h"

namespace {

using namespace board;
using testing::NowMs;

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

std::vector<double> g_clicks;  // presses of the mouse button and of keys

LRESULT CALLBACK MouseHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == WM_LBUTTONDOWN) g_clicks.push_back(NowMs());
  return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == WM_KEYDOWN) g_clicks.push_back(NowMs());
  return CallNextHookEx(nullptr, code, wp, lp);
}

// Sudden rises: a loud block at least three times as loud as every block of the 50 ms
// before it, each at least 60 ms after the last; what a clip starting sounds like, and a
// second copy of a short clip starting over the first's tail.
std::vector<double> Onsets(const std::vector<testing::WaveInRecorder::Block>& blocks, double loud) {
  std::vector<double> onsets;
  for (size_t i = 0; i < blocks.size(); ++i) {
    double before = 0;
    for (size_t j = i >= 5 ? i - 5 : 0; j < i; ++j) before = std::max(before, blocks[j].rms);
    if (blocks[i].rms > loud && blocks[i].rms > 3 * before &&
        (onsets.empty() || blocks[i].arrivedMs - onsets.back() >= 60))
      onsets.push_back(blocks[i].arrivedMs);
  }
  return onsets;
}

int Listen(int ms) {
  testing::WaveInRecorder recorder;
  if (!recorder.open()) return Fail("could not record the speakers");
  testing::ScopedHook hook(SetWindowsHookExW(WH_MOUSE_LL, MouseHook, GetModuleHandleW(nullptr), 0));
  testing::ScopedHook keys(SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleW(nullptr), 0));
  if (!hook || !keys) return Fail("could not watch the mouse and the keys");
  testing::PumpMessagesFor(1500);  // the monitor delivers late at first: let the recording settle
  std::printf("ready\n");
  std::fflush(stdout);
  testing::PumpMessagesFor(DWORD(ms));
  hook.reset();
  keys.reset();
  const std::vector<testing::WaveInRecorder::Block> blocks = recorder.blocks();

  constexpr double kLoud = 0.02, kQuiet = 0.002;
  std::printf("%zu blocks, %zu clicks\n", blocks.size(), g_clicks.size());
  for (size_t i = 0; i < g_clicks.size(); ++i) {
    const double t = g_clicks[i];
    const double until = i + 1 < g_clicks.size() ? g_clicks[i + 1] : 1e300;
    double loud = -1, quiet = -1;
    // Blocks stop arriving when the sink falls idle: that is silence too.
    double lastArrival = 0;
    for (const auto& b : blocks) {
      if (b.arrivedMs < t || b.arrivedMs >= until) continue;
      if (loud < 0 && b.rms > kLoud) loud = b.arrivedMs - t;
      if (quiet < 0 && b.rms < kQuiet) quiet = b.arrivedMs - t;
      lastArrival = b.arrivedMs;
    }
    std::printf("click %zu: loud_after_ms=%.0f quiet_after_ms=%.0f last_block_ms=%.0f\n", i + 1,
                loud, quiet, lastArrival ? lastArrival - t : -1.0);
  }
  // Onsets after the first press only: the recording's own start is no clip.
  std::vector<double> onsets;
  for (double o : Onsets(blocks, kLoud))
    if (!g_clicks.empty() && o >= g_clicks.front()) onsets.push_back(o - g_clicks.front());
  std::printf("onsets %zu:", onsets.size());
  for (double o : onsets) std::printf(" %.0f", o);
  std::printf("\n");
  return 0;
}

// --- keys ------------------------------------------------------------------------------

int WatchKeys(int ms) {
  testing::KeyHook hook;
  if (!hook) return Fail("could not watch the keyboard");
  std::printf("ready\n");
  std::fflush(stdout);
  testing::PumpMessagesFor(DWORD(ms));
  for (const testing::KeyEvent& e : hook.events())
    std::printf("%s %lu\n", e.down ? "down" : "up", e.vk);
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

// Watches the alpha from its first fall until the window is gone, then the exit code.
int WatchFadeOut(HWND board, HANDLE process, int ms) {
  std::vector<int> alphas;
  double fallStart = 0;
  const double start = NowMs();
  while (IsWindow(board) && NowMs() - start < ms) {
    BYTE alpha = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(board, nullptr, &alpha, &flags) &&
        (alphas.empty() || alphas.back() != alpha)) {
      if (alpha < 255 && fallStart == 0) fallStart = NowMs();
      alphas.push_back(alpha);
    }
    Sleep(1);
  }
  if (IsWindow(board)) return Fail("the window did not go");
  bool falling = std::is_sorted(alphas.rbegin(), alphas.rend());
  std::printf("alpha fell through %zu values from %d to %d in %.0f ms%s\n", alphas.size(),
              alphas.empty() ? -1 : alphas.front(), alphas.empty() ? -1 : alphas.back(),
              fallStart ? NowMs() - fallStart : -1.0, falling ? "" : " (not monotonic)");
  if (alphas.size() < 20 || !falling || alphas.back() > 10) return Fail("no fade-out seen");
  return AwaitExit(process, ms);
}

int EscapeFade(int ms) {
  HWND board = BoardWindow();
  if (!board) return Fail("no board window");
  UniqueHandle process = OpenBoardProcess(board);
  PostMessageW(board, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  return WatchFadeOut(board, process.get(), ms);
}

// The script clicks once this has said "ready".
int WatchFade(int ms) {
  HWND board = BoardWindow();
  if (!board) return Fail("no board window");
  UniqueHandle process = OpenBoardProcess(board);
  if (!process) return Fail("cannot open the board's process");
  std::printf("ready\n");
  std::fflush(stdout);
  return WatchFadeOut(board, process.get(), ms);
}

// The action of a board button, as `where` takes it; "none" for anything else.
std::string ActionOf(HWND board, HWND control) {
  if (!board || !control || GetAncestor(control, GA_ROOT) != board) return "none";
  const int id = GetDlgCtrlID(control);
  for (const LayoutControl& c : kMainFormControls) {
    if (int(c.controlId & 0xFFFF) != id) continue;
    switch (c.action) {
      case Action::PlayClip: return "clip:" + std::to_string(c.actionArg);
      case Action::SelectPage: return "page:" + std::to_string(c.actionArg);
      case Action::PressKey: return "key:" + std::to_string(c.actionArg);
      case Action::StopPlayback: return "stop";
      case Action::CloseProgram: return "close";
      default: return "none";
    }
  }
  return "none";
}

// Skinned clip buttons are owner-drawn and carry the skin's index.
int Skinned() {
  HWND board = BoardWindow();
  const LayoutControl* c = ControlOfAction("clip:1");
  HWND h = (c && board) ? ControlOf(board, c->controlId) : nullptr;
  if (!h) return Fail("no clip button");
  const bool skinned = GetPropW(h, L"Hw_lbID") && (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
  std::printf("skinned %s\n", skinned ? "yes" : "no");
  return 0;
}

int Focus() {
  HWND board = BoardWindow();
  GUITHREADINFO info{sizeof(info)};
  if (!board || !GetGUIThreadInfo(GetWindowThreadProcessId(board, nullptr), &info))
    return Fail("no board window");
  std::printf("focus %s\n", ActionOf(board, info.hwndFocus).c_str());
  return 0;
}

int Page() {
  HWND board = BoardWindow();
  HWND tab = board ? ControlOf(board, kTabControlId) : nullptr;
  if (!tab) return Fail("no tab control");
  std::printf("page %d\n", int(SendMessageW(tab, TCM_GETCURSEL, 0, 0)));
  return 0;
}

int Rect() {
  HWND board = BoardWindow();
  RECT rc;
  POINT origin{0, 0};
  if (!board || !GetClientRect(board, &rc) || !ClientToScreen(board, &origin))
    return Fail("no board window");
  std::printf("rect %ld %ld %ld %ld\n", origin.x, origin.y, rc.right, rc.bottom);
  return 0;
}

int Frame() {
  HWND board = BoardWindow();
  RECT rc;
  if (!board || !GetWindowRect(board, &rc)) return Fail("no board window");
  std::printf("frame %ld %ld %ld %ld zoomed %d\n", rc.left, rc.top, rc.right - rc.left,
              rc.bottom - rc.top, IsZoomed(board) ? 1 : 0);
  return 0;
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
  if (argc < 2) return Fail("usage: board_probe COMMAND [ARG]");
  std::wstring cmd = argv[1];
  char arg[64] = {};
  if (argc > 2) std::wcstombs(arg, argv[2], sizeof arg - 1);
  const int ms = std::atoi(arg);
  if (cmd == L"wait-window") return WaitWindow(ms);
  if (cmd == L"where") return Where(arg);
  if (cmd == L"listen") return Listen(ms);
  if (cmd == L"watch-keys") return WatchKeys(ms);
  if (cmd == L"escape-fade") return EscapeFade(ms);
  if (cmd == L"watch-fade") return WatchFade(ms);
  if (cmd == L"rect") return Rect();
  if (cmd == L"frame") return Frame();
  if (cmd == L"skinned") return Skinned();
  if (cmd == L"focus") return Focus();
  if (cmd == L"page") return Page();
  if (cmd == L"close") return Close(ms);
  return Fail("unknown command");
}
