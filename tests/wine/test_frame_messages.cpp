// The skinned frame's message wiring on real windows: the hover fade's timer, position and
// size changes, the title, deactivation, minimise and restore, a resize loop, the caption
// tooltips and buttons, and the operations that change the frame's look at run time.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/wine/skin_engine_test_access.h"
#include "tests/wine/skin_test_support.h"

namespace board {
namespace {

using Pixels = std::vector<uint32_t>;

// The back buffer's pixels in a box of the client area.
Pixels BufferBox(const SkinEngine& engine, int index, int x, int y, int w, int h) {
  Pixels out;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) out.push_back(BackBufferPixel(engine, index, i, j));
  return out;
}

Pixels ButtonBox(const SkinEngine& engine, int index, int button, CaptionKind kind) {
  const BoxF b = CaptionButtonBox(WindowState(engine, index).strip, button, kind);
  return BufferBox(engine, index, int(b.x), int(b.y), int(b.width), int(b.height));
}

// How far two equal-sized boxes are apart: the sum of their channel differences.
long Distance(const Pixels& a, const Pixels& b) {
  long sum = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    for (int shift : {0, 8, 16}) sum += std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
  return sum;
}

// Pixels of the caption band left of the strip near one pure colour (0xRRGGBB).
int CaptionPixelsNear(const SkinEngine& engine, int index, uint32_t rgb) {
  int n = 0;
  for (uint32_t p : BufferBox(engine, index, 0, 0, WindowState(engine, index).strip.left - 2, 25)) {
    int d = 0;
    for (int shift : {0, 8, 16}) d += std::abs(int((p >> shift) & 0xFF) - int((rgb >> shift) & 0xFF));
    n += d < 60;
  }
  return n;
}

LPARAM ClientPoint(const BoxF& b) { return MAKELPARAM(int(b.x + b.width / 2), int(b.y + b.height / 2)); }

class FrameMessages : public SkinFixture {
 protected:
  // A shown skinned window over a blue picture; its index in the engine.
  int Open(const AttachWindowOptions& options = {}, DWORD extraStyle = 0) {
    HWND window = Window();
    if (extraStyle) SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | extraStyle);
    engine.SetSkinImage(nullptr, SolidBmp(64, 64, RGB(40, 90, 160)), Given(int32_t(GetSysColor(COLOR_BTNFACE))),
                        NotGiven(), Given(3));
    engine.SetControlSkinning(1, Given(0), NotGiven());
    engine.AttachWindow(window, 25, 1, options);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    Pump();
    return engine.IndexOf(window);
  }
  HWND At(int index) const { return engine.WindowAt(index); }
  void Tick(HWND window, int times) {
    for (int i = 0; i < times; ++i) SendMessageW(window, WM_TIMER, reinterpret_cast<WPARAM>(window), 0);
  }
};

}  // namespace

TEST_F(FrameMessages, TheFadeTimerLightsTheHotButtonStepByStepAndStopsOnceItHasFadedOut) {
  const int index = Open();
  HWND window = At(index);
  const BoxF close = CaptionButtonBox(WindowState(engine, index).strip, 5, CaptionKind::kClose);
  const Pixels normal = ButtonBox(engine, index, 5, CaptionKind::kClose);

  SendMessageW(window, WM_MOUSEMOVE, 0, ClientPoint(close));
  SendMessageW(window, WM_MOUSEHOVER, 0, ClientPoint(close));  // the pointer rests in the window
  EXPECT_EQ(ButtonBox(engine, index, 5, CaptionKind::kClose), normal) << "the fade waits for its timer";
  SendMessageW(window, WM_TIMER, reinterpret_cast<WPARAM>(window) + 1, 0);
  EXPECT_EQ(ButtonBox(engine, index, 5, CaptionKind::kClose), normal) << "another timer is not the fade's";
  Tick(window, 1);
  const long firstStep = Distance(ButtonBox(engine, index, 5, CaptionKind::kClose), normal);
  Tick(window, 7);
  const long lastStep = Distance(ButtonBox(engine, index, 5, CaptionKind::kClose), normal);
  EXPECT_GT(firstStep, 0);
  EXPECT_GT(lastStep, 4 * firstStep) << "the highlight grows over the eight steps";

  // Out of the strip: eight more ticks fade it out, and the last one stops the timer.
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  Tick(window, 8);
  EXPECT_EQ(ButtonBox(engine, index, 5, CaptionKind::kClose), normal);
  EXPECT_FALSE(KillTimer(window, reinterpret_cast<UINT_PTR>(window))) << "the fade's timer still runs";
}

TEST_F(FrameMessages, PositionChangesLayTheStripOutAndAnyMaximiseShowsTheRestoreGlyph) {
  const int index = Open();
  HWND window = At(index);
  const int left = WindowState(engine, index).strip.left;
  SetWindowPos(window, nullptr, 0, 0, kWidth + 100, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(WindowState(engine, index).strip.left, left + 100) << "the strip keeps to the right edge";
  SetWindowPos(window, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateWindow(window);
  const Pixels maximiseGlyph = ButtonBox(engine, index, 4, CaptionKind::kMaximize);

  // A maximise that does not come through the caption, on a screen without a taskbar.
  ShowWindow(window, SW_MAXIMIZE);
  UpdateWindow(window);
  Pump();
  EXPECT_TRUE(WindowState(engine, index).maximised);
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_GT(Distance(ButtonBox(engine, index, 4, CaptionKind::kMaximize), maximiseGlyph), 0)
      << "the maximise box still shows the maximise glyph";

  ShowWindow(window, SW_RESTORE);
  UpdateWindow(window);
  Pump();
  EXPECT_FALSE(WindowState(engine, index).maximised);
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, kWidth);
  EXPECT_EQ(ButtonBox(engine, index, 4, CaptionKind::kMaximize), maximiseGlyph);
}

TEST_F(FrameMessages, TheTitleFollowsItsStyleAndATitleChangeRedrawsItOnlyWhenShowTitleIsOn) {
  constexpr uint32_t kGreen = 0x00FF00;
  for (int showTitle : {1, 0}) {
    SCOPED_TRACE(showTitle);
    AttachWindowOptions options;
    options.showTitle = Given(showTitle);
    const int index = Open(options);
    HWND window = At(index);
    EXPECT_EQ(CaptionPixelsNear(engine, index, kGreen), 0);
    TitleStyle style;
    style.titleColour = Given(int32_t(kGreen));  // a COLORREF: green sits in the middle either way
    ASSERT_TRUE(engine.SetTitleStyle(window, style));
    EXPECT_GT(CaptionPixelsNear(engine, index, kGreen), 20) << "the title is shown in its new colour";

    SetWindowTextW(window, L"");
    const int afterChange = CaptionPixelsNear(engine, index, kGreen);
    if (showTitle)
      EXPECT_EQ(afterChange, 0) << "the caption was not redrawn with the new title";
    else
      EXPECT_GT(afterChange, 20) << "with showTitle off a title change leaves the caption alone";
    DestroyWindow(window);
  }
}

TEST_F(FrameMessages, DeactivationRunsTheHandlerOnlyWhenTheApplicationLosesTheActivation) {
  const int index = Open();
  int ran = 0;
  engine.SetDeactivateHandler([&ran] { ++ran; });
  SendMessageW(At(index), WM_ACTIVATEAPP, 1, 0);
  EXPECT_EQ(ran, 0);
  SendMessageW(At(index), WM_ACTIVATEAPP, 0, 0);
  EXPECT_EQ(ran, 1);
}

TEST_F(FrameMessages, MinimiseAndRestoreCommandsKeepTheStateAndRebuildTheBuffer) {
  const int index = Open();
  HWND window = At(index);
  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Pump();
  EXPECT_TRUE(WindowState(engine, index).minimised);
  EXPECT_TRUE(IsIconic(window));
  SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(WindowState(engine, index).minimised);
  EXPECT_FALSE(IsIconic(window));
  UpdateWindow(window);
  Pump();
  EXPECT_FALSE(WindowState(engine, index).fullRepaint) << "the restored window was not painted again";
  EXPECT_NE(BackBufferPixel(engine, index, kWidth / 2, kHeight / 2), 0u);
}

HWND g_looping;
POINT g_target;
int g_seen, g_ticks;

LRESULT CALLBACK LoopFilter(int code, WPARAM wp, LPARAM lp) {
  constexpr int kSizeLoop = 4;  // MSGF_SIZE, which the headers here lack; moves use it too
  if (code == kSizeLoop) {
    ++g_seen;
    if (reinterpret_cast<const MSG*>(lp)->message == WM_MOUSEMOVE) PostMessageW(g_looping, WM_KEYDOWN, VK_RETURN, 0);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

void CALLBACK LoopTick(HWND, UINT, UINT_PTR, DWORD) {
  if (++g_ticks == 1 && g_seen) SetCursorPos(g_target.x, g_target.y);
  if (g_ticks == 60) PostMessageW(g_looping, WM_KEYDOWN, VK_RETURN, 0);
}

// Runs `start`, which may enter the system's move or size loop. Once the loop runs, the
// pointer goes to `to` (screen coordinates), and the loop ends with Return when it has seen
// the pointer move, or after 3 s. Returns how many messages the loop took.
int RunSystemLoop(HWND window, POINT to, void (*start)(HWND)) {
  g_looping = window;
  g_target = to;
  g_seen = g_ticks = 0;
  HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, LoopFilter, nullptr, GetCurrentThreadId());
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, LoopTick);
  start(window);
  KillTimer(nullptr, timer);
  UnhookWindowsHookEx(hook);
  return g_seen;
}

struct TooltipSearch {
  HWND owner, tooltip;
};

BOOL CALLBACK FindTooltipOf(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<TooltipSearch*>(lp);
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && SendMessageW(h, TTM_ENUMTOOLSW, 0, LPARAM(&tool)) &&
      tool.hwnd == s->owner)
    s->tooltip = h;
  return s->tooltip == nullptr;
}

TEST_F(FrameMessages, APressOnTheLeftEdgeResizesAndTheWindowIsPaintedAtItsNewSize) {
  const int index = Open();
  HWND window = At(index);
  SetForegroundWindow(window);  // the pointer's moves go to the active window's loop
  RECT before;
  GetWindowRect(window, &before);
  // The size loop starts where the last message was: the pointer on the left edge.
  SetCursorPos(before.left + 1, before.top + 40);
  PostMessageW(window, WM_NULL, 0, 0);
  Pump();
  RunSystemLoop(window, {before.left - 39, before.top + 40},
                [](HWND w) { SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 40)); });
  UpdateWindow(window);
  Pump();
  RECT after, client;
  GetWindowRect(window, &after);
  GetClientRect(window, &client);
  EXPECT_EQ(after.right, before.right);
  ASSERT_LT(after.left, before.left - 30) << "the left edge did not move out";
  EXPECT_EQ(WindowState(engine, index).strip.left + WindowState(engine, index).strip.width + kResizeBorder + 2,
            int(client.right));
  // The border's outer line runs along the new bottom edge, all the way to the new width.
  const uint32_t border = BackBufferPixel(engine, index, client.right - 20, client.bottom - 1);
  const uint32_t inside = BackBufferPixel(engine, index, client.right - 20, client.bottom / 2);
  EXPECT_NE(border & 0xFFFFFF, inside & 0xFFFFFF) << "no border at the new size";
  EXPECT_EQ(PixelAt(window, client.right - 20, client.bottom / 2), COLORREF(RGB(40, 90, 160)))
      << "the screen shows the picture at the new size";
}

TEST_F(FrameMessages, ACaptionPressMovesOnlyOnceThePointerMovesSoADoubleClickMaximisesWhole) {
  const int index = Open();
  HWND window = At(index);
  SetForegroundWindow(window);
  RECT before;
  GetWindowRect(window, &before);
  EXPECT_EQ(RunSystemLoop(window, {0, 0}, [](HWND w) {
              SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(450, 12));
            }), 0) << "a press alone entered the move loop";
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(450, 12));
  // The pointer's double-click: press, release, double-click, release.
  for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    SendMessageW(window, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(450, 12));
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(IsZoomed(window));
  for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    SendMessageW(window, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(450, 12));
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, before.left);
  EXPECT_EQ(r.right, before.right);
  EXPECT_FALSE(IsZoomed(window));

  // A press, then a move of (20, 10) with the button held: the window catches up at once
  // and the move loop follows the pointer on, here by (20, 20).
  // The pointer is where the press is, and the loop starts from there.
  const POINT cursor{before.left + 450, before.top + 12};
  SetCursorPos(cursor.x, cursor.y);
  Pump();
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(450, 12));
  EXPECT_GT(RunSystemLoop(window, {cursor.x + 20, cursor.y + 20}, [](HWND w) {
              PostMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(470, 22));
              Pump();
            }), 0) << "the move loop did not start";
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, before.left + 40);
  EXPECT_EQ(r.top, before.top + 30);
  EXPECT_EQ(r.right - r.left, before.right - before.left);
}

TEST_F(FrameMessages, CaptionTooltipsNameEachButtonOverItsBox) {
  const int index = Open();
  HWND window = At(index);
  ASSERT_TRUE(engine.AddCaptionButton(window, SolidBmp(26, 18, RGB(0, 200, 0)), L"mine", [] {}));
  // The tooltip window watching this window's tools.
  TooltipSearch search{window, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindTooltipOf, LPARAM(&search));
  ASSERT_TRUE(search.tooltip);
  const wchar_t* texts[] = {L"mine", L"帮助", L"主菜单", L"最小化", L"最大化", L"关闭"};
  ASSERT_EQ(SendMessageW(search.tooltip, TTM_GETTOOLCOUNT, 0, 0), 6);
  for (int i = 0; i < 6; ++i) {
    wchar_t text[80] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageW(search.tooltip, TTM_ENUMTOOLSW, i, LPARAM(&tool)));
    const int button = int(tool.uId);
    ASSERT_GE(button, 1);
    ASSERT_LE(button, 6);
    EXPECT_STREQ(text, texts[button - 1]);
    const BoxF box = CaptionButtonBox(WindowState(engine, index).strip, button,
                                      button == 6 ? CaptionKind::kClose : CaptionKind::kHelp);
    EXPECT_EQ(tool.rect.left, LONG(box.x));
    EXPECT_EQ(tool.rect.right, LONG(box.x + box.width));
  }
  // The pointer resting on the close box brings its tip up.
  SetForegroundWindow(window);
  const BoxF close = CaptionButtonBox(WindowState(engine, index).strip, 6, CaptionKind::kClose);
  POINT at{int(close.x + close.width / 2), int(close.y + close.height / 2)};
  ClientToScreen(window, &at);
  SetCursorPos(at.x - 3, at.y);
  Pump();
  SetCursorPos(at.x, at.y);
  for (int i = 0; i < 300 && !IsWindowVisible(search.tooltip); ++i) {
    Pump();
    Sleep(10);
  }
  ASSERT_TRUE(IsWindowVisible(search.tooltip)) << "no tip within 3 s of resting on the close box";
  wchar_t shown[80] = {};
  GetWindowTextW(search.tooltip, shown, 80);
  EXPECT_STREQ(shown, L"关闭");
}

TEST_F(FrameMessages, ACaptionButtonRunsOnlyWhenReleasedOverItself) {
  const int index = Open();
  HWND window = At(index);
  int ran = 0;
  engine.SetHelpHandler(window, [&ran] { ++ran; });
  const BoxF help = CaptionButtonBox(WindowState(engine, index).strip, 1, CaptionKind::kHelp);
  const BoxF menu = CaptionButtonBox(WindowState(engine, index).strip, 2, CaptionKind::kMainMenu);
  const Pixels normal = ButtonBox(engine, index, 1, CaptionKind::kHelp);

  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(help));
  EXPECT_NE(ButtonBox(engine, index, 1, CaptionKind::kHelp), normal) << "the pressed look";
  SendMessageW(window, WM_LBUTTONUP, 0, ClientPoint(menu));
  EXPECT_EQ(ran, 0) << "slid off the button: nothing runs";
  EXPECT_EQ(ButtonBox(engine, index, 1, CaptionKind::kHelp), normal) << "and the pressed look goes";

  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(help));
  SendMessageW(window, WM_LBUTTONUP, 0, ClientPoint(help));
  EXPECT_EQ(ran, 1);
}

TEST_F(FrameMessages, WindowPicturesAndCaptionGlyphsReplaceTheSharedOnes) {
  const int index = Open();
  HWND window = At(index);
  const uint32_t shared = BackBufferPixel(engine, index, kWidth / 2, kHeight / 2) & 0xFFFFFF;
  EXPECT_EQ(shared, 0x285AA0u) << "the shared blue picture";
  ASSERT_TRUE(engine.SetWindowImage(window, SolidBmp(32, 32, RGB(200, 30, 30)), Given(3)));
  UpdateWindow(window);
  EXPECT_EQ(BackBufferPixel(engine, index, kWidth / 2, kHeight / 2) & 0xFFFFFF, 0xC81E1Eu);
  EXPECT_EQ(PixelAt(window, kWidth / 2, kHeight / 2), RGB(200, 30, 30)) << "and on the screen";

  const std::vector<uint8_t> green = SolidBmp(26, 18, RGB(0, 200, 0));
  SkinArt glyphs;
  glyphs.help = glyphs.menu = glyphs.minimise = glyphs.maximise = glyphs.restore = glyphs.close = green;
  ASSERT_TRUE(engine.SetCaptionButtonImages(window, glyphs));
  UpdateWindow(window);
  for (uint32_t p : ButtonBox(engine, index, 2, CaptionKind::kMainMenu)) EXPECT_EQ(p & 0xFFFFFF, 0x00C800u);

  // A picture given at attach time is the window's own from the start.
  AttachWindowOptions own;
  const std::vector<uint8_t> yellow = SolidBmp(32, 32, RGB(220, 200, 20));
  own.image = yellow;
  const int second = Open(own);
  EXPECT_EQ(BackBufferPixel(engine, second, kWidth / 2, kHeight / 2) & 0xFFFFFF, 0xDCC814u);

  EXPECT_FALSE(engine.SetWindowImage(nullptr, green, NotGiven()));
  EXPECT_FALSE(engine.SetCaptionButtonImages(GetDesktopWindow(), glyphs));
}

TEST_F(FrameMessages, ANewPictureAtRunTimeLeavesNoControlOnTheOldOne) {
  HWND window = Window();
  SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_CLIPCHILDREN);
  HWND controls[] = {MakeChild(window, L"BUTTON", L"Play", BS_PUSHBUTTON, 40, 60, 100, 30),
                     MakeChild(window, L"EDIT", L"", 0, 40, 110, 160, 24)};
  Skinned(window, RGB(200, 30, 30));
  // Pixels of a control on the screen within a small distance of a colour.
  auto pixelsNear = [](HWND control, COLORREF colour) {
    RECT rc;
    GetClientRect(control, &rc);
    int n = 0;
    for (int y = 0; y < rc.bottom; y += 2)
      for (int x = 0; x < rc.right; x += 2) {
        const COLORREF p = PixelAt(control, x, y);
        n += std::abs(GetRValue(p) - GetRValue(colour)) + std::abs(GetGValue(p) - GetGValue(colour)) +
                 std::abs(GetBValue(p) - GetBValue(colour)) < 40;
      }
    return n;
  };
  for (HWND c : controls) ASSERT_GT(pixelsNear(c, RGB(200, 30, 30)), 0) << "the first picture behind each control";
  COLORREF before = RGB(200, 30, 30);
  for (COLORREF after : {RGB(20, 170, 40), RGB(30, 40, 200)}) {
    engine.SetSkinImage(nullptr, SolidBmp(64, 64, after), Given(int32_t(GetSysColor(COLOR_BTNFACE))),
                        NotGiven(), Given(3));
    Pump();
    EXPECT_EQ(PixelAt(window, kWidth / 2, kHeight - 40), after) << "the window shows the new picture";
    for (HWND c : controls) {
      EXPECT_EQ(pixelsNear(c, before), 0) << "a control keeps the old picture";
      EXPECT_GT(pixelsNear(c, after), 0) << "a control does not show the new picture";
    }
    before = after;
  }
}

}  // namespace board
