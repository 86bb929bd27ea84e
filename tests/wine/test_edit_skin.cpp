// Edits, combo boxes and lists on real skinned windows: registration, the frame pixels in
// each state, the scroll bars left to the system, the repaints a see-through edit needs,
// hover moving between controls, and the control-colour objects' lifetime.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include "skin/colour.h"
#include "skin/win32/edit_skin.h"
#include "skin/win32/frame_painting.h"
#include "skin/win32/list_skin.h"
#include "tests/wine/skin_test_support.h"

namespace board {
namespace {

constexpr COLORREF kPicture = RGB(40, 90, 160);
constexpr int kAlpha = 160;

// A pixel of a window's whole rectangle (frame included) as it is on the screen now.
COLORREF WindowPixel(HWND window, int x, int y) {
  ScopedGetDc dc(window, ScopedGetDc::kWholeWindow);
  return GetPixel(dc.get(), x, y);
}

// `over` at `alpha` on `under`, one channel at a time.
COLORREF Over(COLORREF under, COLORREF over, int alpha) {
  auto mix = [alpha](int u, int o) { return (o * alpha + u * (255 - alpha) + 127) / 255; };
  return RGB(mix(GetRValue(under), GetRValue(over)), mix(GetGValue(under), GetGValue(over)),
             mix(GetBValue(under), GetBValue(over)));
}

::testing::AssertionResult Near(COLORREF actual, COLORREF expected, int tolerance = 3) {
  const bool ok = std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
                    std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
                    std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
  if (ok) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::hex << "pixel 0x" << actual << ", expected 0x" << expected;
}

LONG_PTR ProcOf(HWND w) { return GetWindowLongPtrW(w, GWLP_WNDPROC); }
LONG_PTR Proc(WNDPROC p) { return reinterpret_cast<LONG_PTR>(p); }

HWND ComboEdit(HWND combo) { return FindWindowExW(combo, nullptr, L"Edit", nullptr); }

void AddItems(HWND combo, UINT message = CB_ADDSTRING) {
  for (const wchar_t* item : {L"alpha", L"beta", L"gamma"})
    SendMessageW(combo, message, 0, LPARAM(item));
}

// Pumps until `done` holds or two seconds pass.
template <class F>
bool PumpUntil(F&& done) {
  for (int i = 0; i < 200; ++i) {
    Pump();
    if (done()) return true;
    Sleep(10);
  }
  return false;
}

void MovePointerTo(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(in));
}

class EditSkinTest : public SkinFixture {
 protected:
  void SetUp() override {
    SkinFixture::SetUp();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&icc);
  }
  // The window of one picture colour, control alpha 160, with the controls made by `add`.
  template <class F>
  HWND Board(F&& add, int alpha = kAlpha) {
    HWND window = Window();
    add(window);
    Skinned(window, kPicture, alpha);
    return window;
  }
  COLORREF Theme() const { return engine.settings().themeColour; }
  COLORREF Washed() const { return Over(kPicture, RGB(255, 255, 255), kAlpha); }
};

TEST_F(EditSkinTest, InstallersRegisterEachControlOnceWithItsPropertiesAndNothingWhenOff) {
  HWND edit = nullptr, dropDown = nullptr, dropList = nullptr, listBox = nullptr;
  std::vector<HWND> lists;
  HWND window = Board([&](HWND w) {
    edit = MakeChild(w, L"Edit", L"text", 0, 20, 40, 120, 24, WS_EX_CLIENTEDGE);
    dropDown = MakeChild(w, L"ComboBox", L"", CBS_DROPDOWN, 160, 40, 120, 200);
    dropList = MakeChild(w, L"ComboBox", L"", CBS_DROPDOWNLIST, 300, 40, 120, 200);
    listBox = MakeChild(w, L"ListBox", L"", WS_BORDER, 20, 80, 120, 80);
    lists = {listBox};
    for (const wchar_t* c : {L"SysTreeView32", L"SysListView32", L"SysDateTimePick32", L"SysIPAddress32"})
      lists.push_back(MakeChild(w, c, L"", WS_BORDER, 160 + 130 * int(lists.size() - 1), 180, 120, 60));
    SetPropInt(ComboEdit(dropDown), kPropTextColour, 0x123456);
  });
  SkinControls* controls = engine.ControlsOf(1);
  ASSERT_NE(controls, nullptr);
  auto expectRegistered = [&](HWND control, WNDPROC proc, int index) {
    EXPECT_EQ(PropInt(control, kPropListIndex), index);
    EXPECT_EQ(PropInt(control, kPropWindowIndex), 1);
    EXPECT_NE(GetPropW(control, kPropPreviousProc), nullptr);
    EXPECT_EQ(ProcOf(control), Proc(proc));
  };
  expectRegistered(edit, EditWindowProc, 1);
  expectRegistered(ComboEdit(dropDown), EditWindowProc, 2);
  EXPECT_EQ(PropInt(ComboEdit(dropDown), kPropTextColour), 0) << "the combo box's edit writes black";
  expectRegistered(dropDown, ComboWindowProc, 1);
  expectRegistered(dropList, ComboWindowProc, 2);
  for (size_t i = 0; i < lists.size(); ++i) expectRegistered(lists[i], ListWindowProc, int(i) + 1);
  EXPECT_EQ(controls->edits.Count(), 2);
  EXPECT_EQ(controls->combos.Count(), 2);
  EXPECT_EQ(controls->lists.Count(), int(lists.size()));

  // A second pass (a container attached over the same children) registers nothing again.
  engine.InstallControls(1, window);
  EXPECT_EQ(controls->edits.Count(), 2);
  EXPECT_EQ(controls->combos.Count(), 2);
  EXPECT_EQ(controls->lists.Count(), int(lists.size()));
  EXPECT_EQ(ProcOf(edit), Proc(EditWindowProc));
  EXPECT_NE(GetPropW(edit, kPropPreviousProc), reinterpret_cast<HANDLE>(&EditWindowProc))
      << "subclassed twice: its own procedure would call itself";

  // Windows that are no registered control of the family are left alone.
  PaintEditFrame(dropDown);
  PaintComboBox(edit, nullptr);
  PaintListFrame(GetDesktopWindow());
  EXPECT_FALSE(HasScrollBars(nullptr));
  EXPECT_FALSE(ScrollBarRegion(nullptr));
  EXPECT_FALSE(engine.SetComboTextColour(nullptr, 0));

  // With control skinning off nothing is touched.
  engine.SetControlSkinning(0, NotGiven(), NotGiven());
  HWND later = MakeChild(window, L"Edit", L"", 0, 20, 250, 100, 20);
  engine.InstallControls(1, window);
  EXPECT_EQ(GetPropW(later, kPropListIndex), nullptr);
  EXPECT_NE(ProcOf(later), Proc(EditWindowProc));
}

TEST_F(EditSkinTest, ComboBoxesShowTheirSelectionAndItsTextInTheTextColour) {
  HWND dropDown = nullptr, dropList = nullptr, none = nullptr;
  Board([&](HWND w) {
    dropDown = MakeChild(w, L"ComboBox", L"", CBS_DROPDOWN, 40, 60, 140, 200);
    dropList = MakeChild(w, L"ComboBox", L"", CBS_DROPDOWNLIST, 220, 60, 140, 200);
    none = MakeChild(w, L"ComboBox", L"", CBS_DROPDOWN, 400, 60, 140, 200);
    for (HWND c : {dropDown, dropList, none}) AddItems(c);
    SendMessageW(dropDown, CB_SETCURSEL, 1, 0);
    SetWindowTextW(ComboEdit(dropDown), L"typed over");  // the selection stays "beta"
    SendMessageW(dropList, CB_SETCURSEL, 2, 0);
    SetWindowTextW(none, L"kept");  // no selection: its text stays
  });
  wchar_t text[32] = {};
  GetWindowTextW(dropDown, text, 32);
  EXPECT_STREQ(text, L"beta");
  GetWindowTextW(dropList, text, 32);
  EXPECT_STREQ(text, L"gamma");
  GetWindowTextW(none, text, 32);
  EXPECT_STREQ(text, L"kept");

  // The drop-down list's selection is drawn by the skin in the control's text colour.
  const COLORREF red = RGB(230, 0, 0);
  ASSERT_TRUE(engine.SetComboTextColour(dropList, red));
  UpdateWindow(dropList);
  Pump();
  COMBOBOXINFO info{sizeof(info)};
  ASSERT_TRUE(GetComboBoxInfo(dropList, &info));
  int reddish = 0;
  for (int y = info.rcItem.top; y < info.rcItem.bottom; ++y)
    for (int x = info.rcItem.left; x < info.rcItem.right; ++x) {
      const COLORREF c = PixelAt(dropList, x, y);
      reddish += GetRValue(c) > 150 && GetGValue(c) < 100 && GetBValue(c) < 100;
    }
  EXPECT_GT(reddish, 15) << "no text in the text colour";
  // The button shows the arrow: its darkest pixels lie in the middle of the button.
  const int cx = (info.rcButton.left + info.rcButton.right) / 2, cy = (info.rcButton.top + info.rcButton.bottom) / 2;
  int dark = 0;
  for (int y = cy - 3; y <= cy + 3; ++y)
    for (int x = cx - 4; x <= cx + 4; ++x) dark += GetRValue(PixelAt(dropList, x, y)) < 40;
  EXPECT_GE(dark, 10) << "no arrow";
}

TEST_F(EditSkinTest, TheEditInAComboBoxDoesNotInvalidateItselfOnLosingFocusAPlainEditDoes) {
  HWND edit = nullptr, combo = nullptr;
  Board([&](HWND w) {
    edit = MakeChild(w, L"Edit", L"plain", 0, 20, 40, 120, 24, WS_EX_CLIENTEDGE);
    combo = MakeChild(w, L"ComboBox", L"", CBS_DROPDOWN, 200, 40, 140, 200);
  });
  HWND inner = ComboEdit(combo);
  ASSERT_EQ(ProcOf(inner), Proc(EditWindowProc));
  for (HWND e : {edit, inner}) {
    ValidateRect(e, nullptr);
    SendMessageW(e, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(GetUpdateRect(e, nullptr, FALSE) != 0, e == edit) << (e == edit ? "plain edit" : "combo's edit");
    Pump();
  }
}

TEST_F(EditSkinTest, TheFramesOfAnEditAndAListInTheirStates) {
  HWND edit = nullptr, list = nullptr;
  HWND window = Board([&](HWND w) {
    edit = MakeChild(w, L"Edit", L"", 0, 60, 60, 160, 26, WS_EX_CLIENTEDGE);
    list = MakeChild(w, L"ListBox", L"", 0, 260, 60, 160, 80, WS_EX_CLIENTEDGE);
  });
  const COLORREF washed = Washed(), theme = Theme();
  // The list's focus is drawn by the frame repaint it posts itself.
  auto focusList = [&](bool focused) {
    SetFocus(focused ? list : window);
    Pump();
  };
  struct State {
    const char* name;
    HWND control;
    std::function<void()> enter;
    COLORREF outer, second;  // the outermost ring and the one inside it
  } states[] = {
      {"edit normal", edit, [&] { PaintEditFrame(edit, Given(0), Given(0)); }, Over(washed, 0, 80), washed},
      {"edit focused", edit, [&] { PaintEditFrame(edit, Given(1), Given(0)); }, Over(washed, theme, 180), washed},
      {"edit hot", edit, [&] { PaintEditFrame(edit, Given(0), Given(1)); }, Over(washed, theme, 180),
       Over(washed, theme, 180)},
      {"list focused", list, [&] { focusList(true); }, Over(washed, theme, 200), Over(washed, theme, 200)},
      {"list normal", list, [&] { focusList(false); }, Over(washed, 0, 90), washed},
  };
  for (const State& s : states) {
    s.enter();
    RECT r;
    GetWindowRect(s.control, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    for (POINT p : {POINT{w / 2, 0}, POINT{0, h / 2}, POINT{w - 1, h / 2}, POINT{w / 2, h - 1}})
      EXPECT_TRUE(Near(WindowPixel(s.control, p.x, p.y), s.outer)) << s.name << " at " << p.x << "," << p.y;
    EXPECT_TRUE(Near(WindowPixel(s.control, w / 2, 1), s.second)) << s.name;
    EXPECT_TRUE(Near(WindowPixel(s.control, w - 2, h / 2), s.second)) << s.name;
  }
  // The client is the edit's own: erased to the washed picture, not to the frame's look.
  EXPECT_TRUE(Near(WindowPixel(edit, 80, 13), washed));
}

TEST_F(EditSkinTest, AnEditWithScrollBarsKeepsTheSystemsBarsWhileItsBorderIsSkinned) {
  HWND edit = nullptr;
  Board([&](HWND w) {
    edit = MakeChild(w, L"Edit", L"one\r\ntwo\r\nthree", ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, 60, 50, 200, 120,
                     WS_EX_CLIENTEDGE);
  });
  ASSERT_TRUE(HasScrollBars(edit));
  const FrameGeometry g = MeasureFrame(edit);
  ASSERT_FALSE(IsRectEmpty(&g.vscroll));
  ASSERT_FALSE(IsRectEmpty(&g.hscroll));
  EXPECT_EQ(g.client.left, 2) << "a client edge is two pixels wide";
  EXPECT_EQ(g.client.top, 2);

  // Scribble over the bars; a frame repaint through the message must bring them back.
  auto scribble = [&] {
    ScopedGetDc dc(edit, ScopedGetDc::kWholeWindow);
    ScopedBrush red(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(dc.get(), &g.vscroll, red.get());
    FillRect(dc.get(), &g.hscroll, red.get());
  };
  auto barPixels = [&](COLORREF colour) {
    int n = 0;
    for (const RECT& bar : {g.vscroll, g.hscroll})
      for (int y = bar.top; y < bar.bottom; y += 2)
        for (int x = bar.left; x < bar.right; x += 2) n += WindowPixel(edit, x, y) == colour;
    return n;
  };
  // The whole frame (wParam 1) and a region of the system's own, in screen coordinates,
  // which stays the system's: it is not deleted.
  ScopedRegion update(CreateRectRgn(-4000, -4000, 4000, 4000));
  for (WPARAM which : {WPARAM(1), reinterpret_cast<WPARAM>(update.get())}) {
    scribble();
    ASSERT_GT(barPixels(RGB(255, 0, 0)), 50);
    SendMessageW(edit, WM_NCPAINT, which, 0);
    EXPECT_EQ(barPixels(RGB(255, 0, 0)), 0) << "the system did not draw its scroll bars (wParam " << which << ")";
    EXPECT_EQ(barPixels(Washed()), 0) << "the skin painted over the scroll bars";
  }
  RECT box;
  EXPECT_NE(GetRgnBox(update.get(), &box), 0) << "the update region was deleted";
  // The border is the skin's, and painting the edit leaves the bars alone.
  EXPECT_TRUE(Near(WindowPixel(edit, g.width / 3, 0), Over(Washed(), 0, 80)));
  InvalidateRect(edit, nullptr, TRUE);
  UpdateWindow(edit);
  EXPECT_EQ(barPixels(Washed()), 0);
}

TEST_F(EditSkinTest, DraggingASelectionInASeeThroughEditRepaintsItOnEveryMove) {
  HWND edit = nullptr, scrolled = nullptr;
  Board([&](HWND w) {
    edit = MakeChild(w, L"Edit", L"some text to select", 0, 40, 50, 200, 24, WS_EX_CLIENTEDGE);
    scrolled = MakeChild(w, L"Edit", L"more text", ES_MULTILINE | WS_VSCROLL, 300, 50, 200, 80, WS_EX_CLIENTEDGE);
  });
  SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  for (int i = 0; i < 5; ++i) {
    SendMessageW(edit, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(GetUpdateRect(edit, nullptr, FALSE)) << "move " << i;
    Pump();
    EXPECT_FALSE(GetUpdateRect(edit, nullptr, FALSE)) << "painted";
  }
  SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  SendMessageW(edit, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(GetUpdateRect(edit, nullptr, FALSE)) << "a move without the button repainted";
  Pump();
  // With scroll bars, the bars would be scrolled over: the edit keeps its own repaints.
  SendMessageW(scrolled, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  SendMessageW(scrolled, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_FALSE(GetUpdateRect(scrolled, nullptr, FALSE));
  SendMessageW(scrolled, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
}

TEST_F(EditSkinTest, HoverMovingBetweenAnEditAComboBoxAndAListRedrawsTheRightOnes) {
  HWND edit = nullptr, combo = nullptr, list = nullptr, editable = nullptr;
  Board([&](HWND w) {
    edit = MakeChild(w, L"Edit", L"", 0, 40, 60, 160, 26, WS_EX_CLIENTEDGE);
    combo = MakeChild(w, L"ComboBox", L"", CBS_DROPDOWNLIST, 240, 60, 160, 200);
    list = MakeChild(w, L"ListBox", L"", WS_BORDER, 440, 60, 160, 120);
    editable = MakeChild(w, L"ComboBox", L"", CBS_DROPDOWN, 240, 200, 160, 200);
  });
  RECT er, cr;
  GetWindowRect(edit, &er);
  GetClientRect(combo, &cr);
  const COLORREF hotEdge = Over(Washed(), Theme(), 180);
  auto editHot = [&] { return Near(WindowPixel(edit, (er.right - er.left) / 2, 1), hotEdge); };
  auto comboHot = [&] { return Near(PixelAt(combo, cr.right / 3, 0), Over(Washed(), Theme(), 200)); };
  SkinControls& c = *engine.ControlsOf(1);

  MovePointerTo(edit);
  ASSERT_TRUE(PumpUntil([&] { return c.hotClass == kHotEdit && c.hotIndex == 1; })) << "the edit never went hot";
  EXPECT_TRUE(editHot());
  EXPECT_FALSE(comboHot());

  MovePointerTo(combo);
  ASSERT_TRUE(PumpUntil([&] { return comboHot(); })) << "the combo never went hot";
  EXPECT_EQ(c.hotClass, kHotCombo);
  EXPECT_FALSE(editHot()) << "the edit kept its hover look";

  MovePointerTo(list);
  ASSERT_TRUE(PumpUntil([&] { return !comboHot(); })) << "the combo kept its hover look";
  EXPECT_EQ(c.hotIndex, 0);
  EXPECT_FALSE(editHot());

  MovePointerTo(edit);
  ASSERT_TRUE(PumpUntil([&] { return c.hotClass == kHotEdit && c.hotIndex == 1; }));
  EXPECT_TRUE(editHot());
  EXPECT_FALSE(comboHot());

  // Over the edit inside an editable combo box, the combo box shows the hover look.
  GetClientRect(editable, &cr);
  auto editableHot = [&] { return Near(PixelAt(editable, cr.right / 3, 0), Over(Washed(), Theme(), 200)); };
  MovePointerTo(ComboEdit(editable));
  ASSERT_TRUE(PumpUntil(editableHot)) << "the editable combo box never went hot";
  EXPECT_EQ(c.hotParent, editable);
  MovePointerTo(list);
  EXPECT_TRUE(PumpUntil([&] { return !editableHot(); })) << "the editable combo box kept its hover look";
}

TEST_F(EditSkinTest, TheControlColourBrushIsReplacedOnTheNextRequestAndFreedWithTheControl) {
  HWND edit = nullptr;
  HWND window = Board([&](HWND w) { edit = MakeChild(w, L"Edit", L"text", 0, 40, 60, 160, 26, WS_EX_CLIENTEDGE); });
  HDC dc = GetDC(edit);
  const LRESULT first = SendMessageW(window, WM_CTLCOLOREDIT, WPARAM(dc), LPARAM(edit));
  ASSERT_NE(first, 0);
  EXPECT_EQ(GetPropW(edit, kPropBrush), reinterpret_cast<HANDLE>(first));
  const long held = LiveGdiObjects();  // this brush and its bitmap, any earlier ones replaced
  for (int i = 0; i < 20; ++i) SendMessageW(window, WM_CTLCOLOREDIT, WPARAM(dc), LPARAM(edit));
  const LRESULT last = SendMessageW(window, WM_CTLCOLOREDIT, WPARAM(dc), LPARAM(edit));
  EXPECT_EQ(LiveGdiObjects(), held) << "the earlier brushes were kept";
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(last)), DWORD(OBJ_BRUSH));
  EXPECT_EQ(GetPropW(edit, kPropBrush), reinterpret_cast<HANDLE>(last));
  ReleaseDC(edit, dc);
  DestroyWindow(edit);
  EXPECT_EQ(LiveGdiObjects(), held - 2) << "destroying the edit left its brush or bitmap";
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(last)), 0u);
}

TEST_F(EditSkinTest, TenThousandHoverAndFocusChangesLeaveNoGdiObjectBehind) {
  HWND edit = nullptr, combo = nullptr, list = nullptr, scrolled = nullptr;
  Board([&](HWND w) {
    edit = MakeChild(w, L"Edit", L"", 0, 40, 60, 160, 26, WS_EX_CLIENTEDGE);
    scrolled = MakeChild(w, L"Edit", L"", ES_MULTILINE | WS_VSCROLL, 40, 120, 160, 80, WS_EX_CLIENTEDGE);
    combo = MakeChild(w, L"ComboBox", L"", CBS_DROPDOWN, 240, 60, 160, 200);
    list = MakeChild(w, L"ListBox", L"", WS_BORDER | WS_VSCROLL, 440, 60, 160, 120);
  });
  AddItems(list, LB_ADDSTRING);
  Pump();
  const long before = LiveGdiObjects();
  const long gdiPlusBefore = gp::LiveGdiPlusObjects();
  HWND hovered[] = {edit, combo, scrolled, ComboEdit(combo)};
  HWND focused[] = {edit, list, ComboEdit(combo), scrolled};
  for (int i = 0; i < 2500; ++i) {
    SendMessageW(hovered[i % 4], WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    SendMessageW(hovered[i % 4], WM_MOUSELEAVE, 0, 0);
    SetFocus(focused[i % 4]);
    SetFocus(focused[(i + 1) % 4]);
    if (i % 50 == 0) Pump();
  }
  Pump();
  EXPECT_EQ(LiveGdiObjects(), before);
  EXPECT_EQ(gp::LiveGdiPlusObjects(), gdiPlusBefore);
}

}  // namespace
}  // namespace board
