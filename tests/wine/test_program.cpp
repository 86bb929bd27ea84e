// The program's wiring on the real main window: what its created event hands the skin, the
// volume buttons' keys as the system sees them, and the start-up failure.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "app/main_form_layout.h"
#include "app/win32/program.h"
#include "app/win32/window_fade.h"
#include "audio/win32/host.h"
#include "base/win32/scoped_win.h"
#include "skin/win32/skin_globals.h"
#include "tests/support/key_hook.h"
#include "tests/wine/skin_engine_test_access.h"

namespace board {
namespace {

void DrainQueue() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
}

// The fades' alphas, with the pauses skipped.
std::vector<int> g_alphas;
const FadeApi kQuickFades{[] { return true; }, [](DWORD) {},
                          [](HWND, int a) { g_alphas.push_back(a); }};

// The main window with the board's own handler table and skin.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_alphas.clear();
    SetFadeApi(&kQuickFades);
    engine = std::make_unique<FormEngine>(GetModuleHandleW(nullptr), MakeBoardHandlers(globals.skin));
    ASSERT_TRUE(engine->LoadForm(kMainFormId));
    window = engine->WindowHandle(kMainFormId);
  }
  void TearDown() override {
    SetFadeApi(nullptr);
    if (engine->IsLoaded(kMainFormId)) DestroyWindow(window);
    DrainQueue();
    engine.reset();
  }
  HWND Control(uint32_t controlId) { return engine->WindowHandle(kMainFormId, controlId); }

  SkinGlobals globals;
  std::unique_ptr<FormEngine> engine;
  HWND window = nullptr;
};

TEST_F(ProgramTest, TheCreatedEventSkinsTheWindowAndItsContainersThenFadesIn) {
  const SkinSettings& s = globals.skin.settings();
  EXPECT_EQ(s.faceColour, 0u);
  EXPECT_EQ(s.themeColour, 0u);
  EXPECT_EQ(s.imageMode, 3);
  EXPECT_EQ(s.controlAlpha, 0);
  EXPECT_EQ(s.controlsEnabled, 1);
  const int index = globals.skin.IndexOf(window);
  ASSERT_GT(index, 0) << "the window is not skinned";
  EXPECT_EQ(WindowState(globals.skin, index).captionHeight, 25);
  // Each container is attached to the window, the tab control first.
  int listIndex = 0;
  for (uint32_t id : {kTabControlId, kGroupBoxControlId}) {
    EXPECT_EQ(intptr_t(GetPropW(Control(id), L"Hw_FuID")), index) << std::hex << id;
    EXPECT_EQ(intptr_t(GetPropW(Control(id), L"Hw_lbID")), ++listIndex) << std::hex << id;
  }
  // Then the fade-in: hidden at alpha 0, 80 rising steps of delay 20, opaque at the end.
  ASSERT_EQ(g_alphas.size(), 82u);
  EXPECT_EQ(g_alphas.front(), 0);
  EXPECT_EQ(g_alphas[1], 2);
  EXPECT_EQ(g_alphas.back(), 255);
  EXPECT_TRUE(IsWindowVisible(window));
}

// Each volume button presses and releases its key; a hook on another thread sees them, as
// the system's volume control would.
TEST_F(ProgramTest, TheVolumeButtonsSendTheirKeys) {
  std::vector<DWORD> keys;
  for (const LayoutControl& c : kMainFormControls) {
    if (c.action != Action::PressKey) continue;
    const DWORD vk = DWORD(c.actionArg);
    keys.push_back(vk);
    std::vector<testing::KeyEvent> seen;
    UniqueHandle hooked(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread watcher([&] {
      testing::KeyHook hook;
      SetEvent(hooked.get());
      if (hook) hook.waitFor(2, 3000);
      seen = hook.events();
    });
    ASSERT_EQ(WaitForSingleObject(hooked.get(), 5000), WAIT_OBJECT_0) << "the watcher did not start";
    SendMessageW(Control(c.controlId), BM_CLICK, 0, 0);
    watcher.join();
    ASSERT_EQ(seen.size(), 2u) << c.name << ": the hook saw " << seen.size() << " key events";
    EXPECT_TRUE(seen[0].down && seen[0].vk == vk && seen[0].injected) << c.name;
    EXPECT_TRUE(!seen[1].down && seen[1].vk == vk) << c.name;
  }
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<DWORD>{VK_VOLUME_MUTE, VK_VOLUME_DOWN, VK_VOLUME_UP}));
}

int g_trims = 0;
bool CountTrim() {
  ++g_trims;
  return true;
}

// A deactivation starts the trimmer; one that comes while the window closes does not: during
// the close query's fade-out, nor once the window is to be destroyed, nor as it goes.
TEST_F(ProgramTest, DeactivationStartsTheTrimmerButNotWhileTheWindowCloses) {
  g_trims = 0;
  TrimOnDeactivation(*engine, globals.skin, &CountTrim);
  SendMessageW(window, WM_ACTIVATEAPP, 1, 0);
  SendMessageW(window, WM_ACTIVATEAPP, 0, 0);
  ASSERT_EQ(g_trims, 1) << "a deactivation started no trim";

  SetForegroundWindow(window);  // so that its destruction takes the activation away
  PostMessageW(window, WM_ACTIVATEAPP, 0, 0);
  SendMessageW(window, WM_CLOSE, 0, 0);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, window, WM_ACTIVATEAPP, WM_ACTIVATEAPP, PM_NOREMOVE))
      << "the fade-out did not take the queued deactivation";
  ASSERT_TRUE(IsWindow(window)) << "the window went before its destroy request";
  SendMessageW(window, WM_ACTIVATEAPP, 0, 0);
  for (int pass = 0; pass < 100 && IsWindow(window); ++pass) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  EXPECT_FALSE(IsWindow(window)) << "the destroy request was not carried out";
  EXPECT_EQ(g_trims, 1) << "a deactivation while closing started a trim";
}

BOOL CALLBACK AppendText(HWND h, LPARAM lp) {
  wchar_t text[256] = {};
  GetWindowTextW(h, text, 256);
  *reinterpret_cast<std::wstring*>(lp) += text;
  return TRUE;
}

// The texts of a window's children, joined.
std::wstring TextsOf(HWND box) {
  std::wstring texts;
  EnumChildWindows(box, AppendText, LPARAM(&texts));
  return texts;
}

// A module without the form description: the program shows its one message box and ends
// with -1.
TEST(ProgramStart, AMissingFormShowsTheFailureBoxAndEndsWithMinusOne) {
  HMODULE noForm = LoadLibraryW(L"board_ordinal_test.dll");
  ASSERT_NE(noForm, nullptr);
  // Neither icon resource is there either: no icon, and no failure for it.
  EXPECT_EQ(LoadAppIcon(noForm), nullptr);
  ScopedIcon own(LoadAppIcon(GetModuleHandleW(nullptr)));
  EXPECT_NE(own.get(), nullptr) << "the program's named icon group";
  std::wstring boxText;
  std::thread closer([&] {
    for (int i = 0; i < 1000 && boxText.empty(); ++i) {
      if (HWND box = FindWindowW(L"#32770", L"SoundBoard")) {
        boxText = TextsOf(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      } else {
        Sleep(10);
      }
    }
  });
  const int code = RunProgram(noForm);
  HostStart();  // the program ended the playback host that the other tests share
  closer.join();
  EXPECT_EQ(code, -1);
  EXPECT_NE(boxText.find(L"运行时出错!"), std::wstring::npos) << "no failure box within 10 s";
  EXPECT_NE(boxText.find(L"错误信息：载入启动窗口失败"), std::wstring::npos);
  DrainQueue();
  FreeLibrary(noForm);
}

}  // namespace
}  // namespace board
