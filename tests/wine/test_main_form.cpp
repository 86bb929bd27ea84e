// The main window as the form engine creates it from the embedded description, checked
// against the layout table through the real Windows calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_form_layout.h"
#include "app/win32/window_fade.h"
#include "base/win32/resource_bytes.h"
#include "base/win32/scoped_win.h"
#include "runtime/win32/form_engine.h"
#include "runtime/win32/trans_label.h"

namespace board {
namespace {

std::wstring Wide(const char* utf8) {
  if (!utf8 || !*utf8) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring w(size_t(n - 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), n);
  return w;
}

std::wstring ClassOf(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  return name;
}

std::wstring TextOf(HWND h) {
  wchar_t text[256] = {};
  GetWindowTextW(h, text, 256);
  return text;
}

bool Shown(HWND h) { return (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0; }

// Drops whatever is queued, the quit message of a finished loop included.
void DrainQueue() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
}

// A form engine over the real description whose handlers only record what fired.
class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<EventHandler> handlers(HandlerOfControl(kMainFormControlCount));
    for (uint32_t i = 0; i < handlers.size(); ++i)
      handlers[i] = [this, i](FormEngine&) { fired.push_back(i); };
    engine = std::make_unique<FormEngine>(GetModuleHandleW(nullptr), std::move(handlers));
    ASSERT_TRUE(engine->LoadForm(kMainFormId)) << "the embedded main form did not load";
    window = engine->WindowHandle(kMainFormId);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (engine && engine->IsLoaded(kMainFormId)) DestroyWindow(window);
    DrainQueue();
    engine.reset();
  }
  HWND Control(const LayoutControl& c) { return engine->WindowHandle(kMainFormId, c.controlId); }
  // Controls that should be on screen with `page` current.
  void ExpectPageShown(int page) {
    for (const LayoutControl& c : kMainFormControls) {
      HWND h = Control(c);
      if (c.kind == kKindHtmlViewer) {
        EXPECT_TRUE(h == nullptr || !Shown(h)) << "the viewer must never show";
        continue;
      }
      ASSERT_NE(h, nullptr) << c.name;
      bool expected = c.visible && (c.container < 0 || c.container == page);
      EXPECT_EQ(Shown(h), expected) << c.name << " with page " << page;
    }
  }

  std::unique_ptr<FormEngine> engine;
  HWND window = nullptr;
  std::vector<uint32_t> fired;
};

TEST_F(MainFormTest, WindowIsBorderlessCentredAndSized) {
  RECT rc;
  GetWindowRect(window, &rc);
  EXPECT_EQ(rc.right - rc.left, 786);
  EXPECT_EQ(rc.bottom - rc.top, 315);
  EXPECT_EQ(rc.left, (GetSystemMetrics(SM_CXSCREEN) - 786) / 2);
  EXPECT_EQ(rc.top, (GetSystemMetrics(SM_CYSCREEN) - 315) / 2);
  LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_EQ(TextOf(window), Wide(kMainFormCaption));
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0) << "no window icon";
  // The created event ran exactly once, inside the load.
  EXPECT_EQ(fired, std::vector<uint32_t>{kHandlerFormCreated});
}

TEST_F(MainFormTest, EveryControlHasItsClassStyleContainerGeometryAndText) {
  for (const LayoutControl& c : kMainFormControls) {
    SCOPED_TRACE(c.name);
    HWND h = Control(c);
    if (c.kind == kKindHtmlViewer) continue;  // never created
    ASSERT_NE(h, nullptr);
    HWND container = c.container == kInWindow     ? window
                     : c.container == kInGroupBox ? engine->WindowHandle(kMainFormId, kGroupBoxControlId)
                                                  : engine->WindowHandle(kMainFormId, kTabControlId);
    EXPECT_EQ(GetParent(h), container);
    RECT rc;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, c.left);
    EXPECT_EQ(rc.top, c.top);
    EXPECT_EQ(rc.right - rc.left, c.width);
    EXPECT_EQ(rc.bottom - rc.top, c.height);

    DWORD style = DWORD(GetWindowLongW(h, GWL_STYLE));
    const DWORD common = WS_CHILD | WS_CLIPSIBLINGS;
    switch (c.kind) {
      case kKindButton:
        EXPECT_EQ(ClassOf(h), L"Button");
        EXPECT_EQ(style & ~WS_VISIBLE,
                  common | WS_TABSTOP | BS_MULTILINE | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER);
        EXPECT_EQ(TextOf(h), Wide(c.text));
        break;
      case kKindGroupBox:
        EXPECT_EQ(ClassOf(h), L"Button");
        EXPECT_EQ(style & ~WS_VISIBLE, common | BS_GROUPBOX | BS_LEFT);
        break;
      case kKindTab:
        EXPECT_EQ(ClassOf(h), WC_TABCONTROLW);
        // The tab control adds clip-siblings to itself when it is created.
        EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS), DWORD(WS_CHILD));
        ASSERT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), LRESULT(kPageCount));
        for (size_t p = 0; p < kPageCount; ++p) {
          wchar_t title[64] = {};
          TCITEMW item{};
          item.mask = TCIF_TEXT;
          item.pszText = title;
          item.cchTextMax = 64;
          SendMessageW(h, TCM_GETITEMW, p, LPARAM(&item));
          EXPECT_EQ(std::wstring(title), Wide(kTabPageTitles[p]));
        }
        break;
      case kKindTransLabel:
        EXPECT_EQ(ClassOf(h), TransLabel::kClassName);
        EXPECT_EQ(style & ~WS_VISIBLE, common);
        EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
        EXPECT_EQ(TextOf(h), Wide(c.text));
        break;
      default:
        ADD_FAILURE() << "unexpected kind";
    }
  }
}

TEST_F(MainFormTest, OnlyTheCurrentPageIsShownAndPagesSwitchByProperty) {
  ExpectPageShown(0);
  for (int page : {5, 1, 2, 3, 4, 0, 0}) {
    ASSERT_TRUE(engine->SetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, page));
    int32_t current = -1;
    ASSERT_TRUE(engine->GetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, current));
    EXPECT_EQ(current, page);
    ExpectPageShown(page);
  }
  // A page the control does not have leaves the current one.
  for (int page : {int(kPageCount), -1, 1000}) {
    EXPECT_FALSE(engine->SetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, page));
    int32_t current = -1;
    engine->GetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, current);
    EXPECT_EQ(current, 0) << "after page " << page;
  }
  ExpectPageShown(0);
}

TEST_F(MainFormTest, CategoryButtonsLieAboveTheTabControl) {
  HWND tab = engine->WindowHandle(kMainFormId, kTabControlId);
  for (const LayoutControl& c : kMainFormControls) {
    if (c.action != Action::SelectPage) continue;
    bool tabBelow = false;
    for (HWND w = GetWindow(Control(c), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
      tabBelow |= w == tab;
    EXPECT_TRUE(tabBelow) << c.name << " is under the tab control";
    // Where they overlap the header strip, a click lands on the button.
    POINT p{c.left + c.width / 2, 50};
    EXPECT_EQ(ChildWindowFromPointEx(window, p, CWP_SKIPINVISIBLE), Control(c)) << c.name;
  }
}

TEST_F(MainFormTest, EveryButtonClickRunsItsOwnHandler) {
  fired.clear();
  std::vector<uint32_t> expected;
  for (size_t i = 0; i < kMainFormControlCount; ++i) {
    const LayoutControl& c = kMainFormControls[i];
    if (c.kind != kKindButton) continue;
    // A click only reaches a button shown on screen: bring its page forward first.
    if (c.container >= 0)
      engine->SetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, c.container);
    SendMessageW(Control(c), BM_CLICK, 0, 0);
    expected.push_back(HandlerOfControl(i));
  }
  EXPECT_EQ(expected.size(), 84u);
  EXPECT_EQ(fired, expected);
}

TEST_F(MainFormTest, EscapeAndCloseRaiseTheCloseQueryWithoutClosing) {
  fired.clear();
  HWND button = Control(kMainFormControls[0]);
  SetFocus(button);
  PostMessageW(button, WM_KEYDOWN, VK_ESCAPE, 0);
  engine->ProcessPendingEvents();
  engine->ProcessPendingEvents();  // the close query is posted by the Esc key
  EXPECT_EQ(fired, std::vector<uint32_t>{kHandlerFormCloseQuery});
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(fired, (std::vector<uint32_t>{kHandlerFormCloseQuery, kHandlerFormCloseQuery}));
  EXPECT_TRUE(IsWindow(window)) << "the handler decides; the window stays";
}

TEST_F(MainFormTest, TabWalksTheFocusThroughTheButtonsOnScreenOnceEach) {
  ShowWindow(window, SW_SHOW);
  std::vector<HWND> expected;
  for (const LayoutControl& c : kMainFormControls) {
    HWND h = Control(c);
    const bool onScreen = c.visible && (c.container < 0 || c.container == 0);
    if (h && onScreen && (GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP)) expected.push_back(h);
  }
  ASSERT_GE(expected.size(), 28u) << "category, panel and page-0 buttons";
  HWND start = Control(kMainFormControls[20]);  // a clip button on page 0
  SetFocus(start);
  ASSERT_EQ(GetFocus(), start);
  std::vector<HWND> visited{start};
  for (size_t i = 0; i < expected.size() + 2; ++i) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    engine->ProcessPendingEvents();
    if (GetFocus() == start) break;
    visited.push_back(GetFocus());
  }
  EXPECT_EQ(GetFocus(), start) << "a full round comes back";
  std::sort(visited.begin(), visited.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(visited, expected) << "each tab stop on screen once, nothing hidden";
}

TEST(MainFormCloseQuery, IsNotRaisedAgainWhileItRuns) {
  int queries = 0;
  std::vector<EventHandler> handlers(HandlerOfControl(kMainFormControlCount));
  // Like the fade-out: while the handler pumps messages, a second close arrives.
  handlers[kHandlerFormCloseQuery] = [&](FormEngine& e) {
    ++queries;
    SendMessageW(e.WindowHandle(kMainFormId), WM_CLOSE, 0, 0);
    e.RequestDestroy(kMainFormId);
  };
  FormEngine engine(GetModuleHandleW(nullptr), std::move(handlers));
  ASSERT_TRUE(engine.LoadForm(kMainFormId));
  PostMessageW(engine.WindowHandle(kMainFormId), WM_CLOSE, 0, 0);
  EXPECT_EQ(engine.RunMessageLoop(), 0);
  EXPECT_EQ(queries, 1);
}

TEST_F(MainFormTest, DestroyRequestIsAsynchronousAndEndsTheLoop) {
  engine->RequestDestroy(kMainFormId);
  EXPECT_TRUE(IsWindow(window)) << "destroyed before the request was handled";
  EXPECT_EQ(engine->RunMessageLoop(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(engine->LiveFormCount(), 0u);
}

// Fades against a recording of every alpha written, with the pauses skipped.
struct FadeRecorder {
  static inline std::vector<int> alphas;
  static inline bool nt = true;
  static inline int sleeps = 0;
  static const FadeApi* Api() {
    static const FadeApi api{[] { return nt; }, [](DWORD) { ++sleeps; },
                             [](HWND, int a) { alphas.push_back(a); }};
    alphas.clear();
    sleeps = 0;
    return &api;
  }
};

TEST_F(MainFormTest, FadesWriteTheLayeredAlphaStepByStep) {
  SetFadeApi(FadeRecorder::Api());
  FadeInWindow(*engine, kMainFormId, 0, 20);
  ASSERT_EQ(FadeRecorder::alphas.size(), 82u);  // 0, 80 steps, then 255
  EXPECT_EQ(FadeRecorder::alphas[0], 0);
  EXPECT_EQ(FadeRecorder::alphas[1], 2);
  EXPECT_EQ(FadeRecorder::alphas[80], 255);
  EXPECT_EQ(FadeRecorder::sleeps, 80);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_TRUE(IsWindowVisible(window));

  SetFadeApi(FadeRecorder::Api());
  FadeOutWindow(*engine, kMainFormId, false, false, 30);
  EXPECT_EQ(FadeRecorder::alphas, std::vector<int>{255}) << "fade false only makes it opaque";
  engine->ProcessPendingEvents();
  EXPECT_TRUE(IsWindow(window));

  SetFadeApi(FadeRecorder::Api());
  FadeOutWindow(*engine, kMainFormId, true, false, 0);
  EXPECT_EQ(FadeRecorder::alphas, (std::vector<int>{255, 191, 127, 63, 0}));
  EXPECT_EQ(FadeRecorder::sleeps, 0);
  EXPECT_EQ(engine->RunMessageLoop(), 0) << "the fade-out's destroy request ends the loop";
  EXPECT_FALSE(IsWindow(window));
  SetFadeApi(nullptr);
}

TEST_F(MainFormTest, SetWindowAlphaClampsByModeAndSkipsNonNtSystems) {
  struct Case { int mode, alpha, expected; };
  for (Case c : {Case{2, 300, 255}, {2, -5, 0}, {1, 7, 192}, {0, 7, 255}, {2, 99, 99}}) {
    SetWindowAlpha(window, c.mode, c.alpha);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, c.expected) << c.mode << "," << c.alpha;
    EXPECT_EQ(flags, DWORD(LWA_ALPHA));
  }

  // Outside the NT family the style is never touched and the window shows at once.
  DestroyWindow(window);
  DrainQueue();
  ASSERT_TRUE(engine->LoadForm(kMainFormId));
  window = engine->WindowHandle(kMainFormId);
  SetFadeApi(FadeRecorder::Api());
  FadeRecorder::nt = false;
  FadeInWindow(*engine, kMainFormId, 0, 20);
  SetWindowAlpha(window, 2, 10);
  EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(FadeRecorder::alphas.empty());
  FadeRecorder::nt = true;
  SetFadeApi(nullptr);
}

// Esc during the fade-in runs the fade-out inside it; when that ends, the fade-in must not
// take the window back up.
TEST(MainFormFades, ACloseDuringTheFadeInStopsIt) {
  std::vector<EventHandler> handlers(HandlerOfControl(kMainFormControlCount));
  handlers[kHandlerFormCloseQuery] = [](FormEngine& e) {
    FadeOutWindow(e, kMainFormId, true, false, 0);
  };
  FormEngine engine(GetModuleHandleW(nullptr), std::move(handlers));
  ASSERT_TRUE(engine.LoadForm(kMainFormId));
  HWND window = engine.WindowHandle(kMainFormId);
  static HWND s_window;
  s_window = window;
  // The close arrives with the third step's pause: Esc pressed mid-fade.
  static const FadeApi api{[] { return true; },
                           [](DWORD) {
                             if (++FadeRecorder::sleeps == 3) PostMessageW(s_window, WM_CLOSE, 0, 0);
                           },
                           [](HWND, int a) { FadeRecorder::alphas.push_back(a); }};
  FadeRecorder::Api();
  SetFadeApi(&api);
  FadeInWindow(engine, kMainFormId, 0, 20);
  SetFadeApi(nullptr);
  // 0, three rising steps, the fade-in's fourth step, then the whole fade-out, and nothing after.
  const std::vector<int> expected{0, 2, 5, 8, 11, 255, 191, 127, 63, 0};
  EXPECT_EQ(FadeRecorder::alphas, expected);
  EXPECT_EQ(engine.RunMessageLoop(), 0);
  EXPECT_FALSE(IsWindow(window));
}

// A fade-in of a form not loaded yet loads it, owned by the owner form when that is loaded
// and on its own when it is not.
TEST(MainFormFades, AFormNotLoadedYetIsLoadedWithItsOwner) {
  std::span<const uint8_t> stored = ResourceBytes(L"FORM_52010001");
  FormDescription other;
  ASSERT_TRUE(ReadFormDescription(stored, other));
  const uint32_t kOwnerId = kMainFormId + 1;
  other.formId = kOwnerId;
  FormEngine engine(GetModuleHandleW(nullptr), {});
  ASSERT_TRUE(engine.LoadFormFromBytes(WriteFormDescription(other)));
  SetFadeApi(FadeRecorder::Api());

  FadeInWindow(engine, kMainFormId, kOwnerId, 0);
  HWND owned = engine.WindowHandle(kMainFormId);
  ASSERT_NE(owned, nullptr) << "not loaded with a loaded owner";
  EXPECT_EQ(GetWindow(owned, GW_OWNER), engine.WindowHandle(kOwnerId));
  EXPECT_TRUE(IsWindowVisible(owned));
  DestroyWindow(owned);

  FadeInWindow(engine, kMainFormId, kOwnerId + 1, 0);
  HWND alone = engine.WindowHandle(kMainFormId);
  ASSERT_NE(alone, nullptr) << "not loaded when its owner is not loaded";
  EXPECT_EQ(GetWindow(alone, GW_OWNER), nullptr);
  SetFadeApi(nullptr);
  DestroyWindow(alone);
  DestroyWindow(engine.WindowHandle(kOwnerId));
  DrainQueue();
}

// A destroyed form takes its fonts, icons, brush and labels with it: a board that opens
// and closes windows does not pile them up.
TEST(MainFormLifetime, ADestroyedFormFreesWhatItMade) {
  FormEngine engine(GetModuleHandleW(nullptr), {});
  const long before = LiveGdiObjects();
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(engine.LoadForm(kMainFormId));
    EXPECT_GT(LiveGdiObjects(), before + 4) << "fonts, icons and the brush are owned";
    engine.RequestDestroy(kMainFormId);
    EXPECT_EQ(engine.RunMessageLoop(), 0);
    EXPECT_EQ(LiveGdiObjects(), before) << "round " << i;
  }
  DrainQueue();
}

// A window whose creation fails after WM_NCCREATE (its WM_CREATE answers -1, as a
// subclass put on by a CBT hook may) has already seen WM_NCDESTROY when CreateWindowEx
// returns: the engine must lose no other form and post no quit message for it.
struct FailingCreation {
  static inline WNDPROC original = nullptr;
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CREATE) return -1;
    return CallWindowProcW(original, h, msg, wp, lp);
  }
  static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && !reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs->hwndParent)
      original = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(reinterpret_cast<HWND>(wp), GWLP_WNDPROC, LONG_PTR(&Proc)));
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static bool Load(FormEngine& engine) {
    HHOOK hook = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
    EXPECT_NE(hook, nullptr);
    const bool loaded = engine.LoadForm(kMainFormId);
    UnhookWindowsHookEx(hook);
    return loaded;
  }
};

TEST(MainFormDescription, AWindowFailingInItsCreationLeavesTheOtherFormsAlone) {
  FormEngine engine(GetModuleHandleW(nullptr), {});
  DrainQueue();
  EXPECT_FALSE(FailingCreation::Load(engine)) << "with no form loaded";
  EXPECT_EQ(engine.LiveFormCount(), 0u);

  ASSERT_TRUE(engine.LoadForm(kMainFormId));
  HWND first = engine.WindowHandle(kMainFormId);
  EXPECT_FALSE(FailingCreation::Load(engine)) << "beside a loaded form";
  EXPECT_EQ(engine.LiveFormCount(), 1u);
  EXPECT_EQ(engine.WindowHandle(kMainFormId), first) << "the loaded form was dropped";
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
      << "a failed creation posted a quit message";

  // A notification without its header is ignored, not read.
  EXPECT_EQ(SendMessageW(first, WM_NOTIFY, 0, 0), 0);
  EXPECT_EQ(SendMessageW(engine.WindowHandle(kMainFormId, kTabControlId), WM_NOTIFY, 0, 0), 0);
  engine.RequestDestroy(kMainFormId);
  EXPECT_EQ(engine.RunMessageLoop(), 0);
}

TEST(MainFormDescription, BrokenDescriptionsLoadNothing) {
  FormEngine engine(GetModuleHandleW(nullptr), {});
  const uint8_t garbage[] = {8, 0, 0, 0, 1, 0, 1, 0x52};
  EXPECT_FALSE(engine.LoadFormFromBytes(garbage));
  EXPECT_FALSE(engine.LoadFormFromBytes({}));
  EXPECT_EQ(engine.LiveFormCount(), 0u);
}

TEST(MainFormDescription, AControlWithUnreadableKindDataIsNotCreated) {
  std::span<const uint8_t> stored = ResourceBytes(L"FORM_52010001");
  ASSERT_FALSE(stored.empty());
  FormDescription form;
  ASSERT_TRUE(ReadFormDescription(stored, form));
  const uint32_t victim = kMainFormControls[0].controlId;
  std::get<ButtonKindData>(form.records[size_t(FindRecord(form, victim))].kindData).version = 2;
  std::vector<uint8_t> bytes = WriteFormDescription(form);

  FormEngine engine(GetModuleHandleW(nullptr), {});
  ASSERT_TRUE(engine.LoadFormFromBytes(bytes));
  EXPECT_EQ(engine.WindowHandle(kMainFormId, victim), nullptr);
  EXPECT_NE(engine.WindowHandle(kMainFormId, kMainFormControls[1].controlId), nullptr);
  DestroyWindow(engine.WindowHandle(kMainFormId));
  DrainQueue();
}

}  // namespace
}  // namespace board
