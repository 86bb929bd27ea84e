// Trackbars, progress bars, up-downs, headers and transparent controls on real skinned
// windows: registration, what their painters put on the screen, hover across families,
// no GDI object left behind by many hovers, and every family forgetting a destroyed control.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <vector>

#include "skin/win32/button_skin.h"
#include "skin/win32/container_skin.h"
#include "skin/win32/control_registry.h"
#include "skin/win32/edit_skin.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/header_skin.h"
#include "skin/win32/list_skin.h"
#include "skin/win32/trackbar_skin.h"
#include "skin/win32/transparent_skin.h"
#include "skin/win32/updown_skin.h"
#include "tests/wine/skin_test_support.h"

namespace board {
namespace {

// A dark red picture: the theme colour's blue and the white thumb stand out on it.
constexpr COLORREF kPicture = RGB(120, 40, 40);

int Blueness(COLORREF c) { return int(GetBValue(c)) - int(GetRValue(c)); }
bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
         std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
         std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

// The pixels of a box of a control as the screen shows them.
std::vector<COLORREF> Pixels(HWND control, RECT box) {
  std::vector<COLORREF> out;
  ScopedGetDc dc(control);
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) out.push_back(GetPixel(dc.get(), x, y));
  return out;
}
int Differing(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
  int n = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += !Near(a[i], b[i], 8);
  return n;
}
RECT ClientOf(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  return r;
}

class ControlSkinTest : public SkinFixture {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    SkinFixture::SetUp();
    window = Window();
  }
  HWND Trackbar(int x, int y, int w, int h, DWORD style = 0, int pos = 75) {
    HWND t = MakeChild(window, TRACKBAR_CLASSW, L"", style | TBS_NOTICKS, x, y, w, h);
    SendMessageW(t, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    SendMessageW(t, TBM_SETPOS, TRUE, pos);
    return t;
  }
  HWND UpDown(int x, int y, int w, int h, DWORD style = 0) {
    return MakeChild(window, UPDOWN_CLASSW, L"", style, x, y, w, h);
  }
  HWND Header(int x, int y, int w, int h) {
    HWND header = MakeChild(window, WC_HEADERW, L"", HDS_BUTTONS | HDS_HORZ, x, y, w, h);
    const wchar_t* names[] = {L"Name", L"Size", L"Type"};
    for (int i = 0; i < 3; ++i) {
      HDITEMW item{};
      item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
      item.cxy = w / 3;
      item.fmt = HDF_LEFT | HDF_STRING;
      item.pszText = const_cast<wchar_t*>(names[i]);
      SendMessageW(header, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    return header;
  }
  void Repaint(HWND control) {
    InvalidateRect(control, nullptr, TRUE);
    UpdateWindow(control);
    Pump();
  }
  SkinControls& Controls() { return *engine.ControlsOf(1); }
  HWND window = nullptr;
};

TEST_F(ControlSkinTest, InstallersRegisterEachControlOnceWithItsPropertiesAndNothingWhenOff) {
  HWND track1 = Trackbar(10, 40, 200, 30), track2 = Trackbar(10, 80, 30, 150, TBS_VERT);
  HWND progress = MakeChild(window, PROGRESS_CLASSW, L"", 0, 250, 40, 200, 20);
  HWND upDown = UpDown(250, 80, 20, 40), upDownH = UpDown(280, 80, 40, 20, UDS_HORZ);
  HWND header = Header(350, 80, 300, 24);
  HWND list = MakeChild(window, WC_LISTVIEWW, L"", LVS_REPORT, 350, 120, 300, 120);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 100;
  column.pszText = const_cast<wchar_t*>(L"Column");
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  HWND listHeader = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  ASSERT_TRUE(listHeader);
  Skinned(window, kPicture);
  engine.InstallControls(1, window);  // a second pass registers nothing new

  struct Case {
    HWND control;
    ControlList<SkinControlRecord>* list;
    int index;
    WNDPROC proc;
  } cases[] = {
      {track1, &Controls().trackbars, 1, TrackbarWindowProc},
      {track2, &Controls().trackbars, 2, TrackbarWindowProc},
      {progress, &Controls().progressBars, 1, ProgressBarWindowProc},
      {upDown, &Controls().upDowns, 1, UpDownWindowProc},
      {upDownH, &Controls().upDowns, 2, UpDownWindowProc},
      {header, &Controls().headers, 1, HeaderWindowProc},
      {listHeader, &Controls().headers, 2, HeaderWindowProc},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.list->Find(c.control), c.index) << "registered once, in order";
    EXPECT_EQ(PropInt(c.control, kPropListIndex), c.index);
    EXPECT_EQ(PropInt(c.control, kPropWindowIndex), 1);
    ASSERT_TRUE(c.list->At(c.index));
    EXPECT_EQ(GetPropW(c.control, kPropPreviousProc), reinterpret_cast<HANDLE>(c.list->At(c.index)->previousProc));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(c.control, GWLP_WNDPROC)), c.proc);
  }
  EXPECT_EQ(Controls().trackbars.Count(), 2);
  EXPECT_EQ(Controls().headers.Count(), 2);

  // Control skinning off: a second window's controls are left alone.
  HWND other = Window(L"Off");
  HWND loose = MakeChild(other, TRACKBAR_CLASSW, L"", 0, 10, 40, 100, 30);
  engine.SetControlSkinning(0, NotGiven(), NotGiven());
  ASSERT_TRUE(engine.AttachWindow(other, 25, 1, {}));
  EXPECT_EQ(engine.ControlsOf(2)->trackbars.Find(loose), 0);
  EXPECT_EQ(GetPropW(loose, kPropListIndex), nullptr);
}

TEST_F(ControlSkinTest, TheThumbAndTheBarSitWhereTheControlSays) {
  HWND track = Trackbar(20, 60, 240, 30, 0, 75);
  HWND vertical = Trackbar(300, 40, 30, 200, TBS_VERT, 20);
  HWND progress = MakeChild(window, PROGRESS_CLASSW, L"", 0, 20, 120, 200, 20);
  HWND progressV = MakeChild(window, PROGRESS_CLASSW, L"", PBS_VERTICAL, 360, 40, 20, 200);
  for (HWND p : {progress, progressV}) {
    SendMessageW(p, PBM_SETRANGE32, 0, 200);
    SendMessageW(p, PBM_SETPOS, 50, 0);  // a quarter
  }
  Skinned(window, kPicture);
  for (HWND c : {track, vertical, progress, progressV}) Repaint(c);

  auto thumbCentre = [](HWND t) {
    RECT r{};
    SendMessageW(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  auto isWhite = [](COLORREF c) { return GetRValue(c) >= 230 && GetGValue(c) >= 230 && GetBValue(c) >= 230; };
  for (HWND t : {track, vertical}) {
    const POINT at = thumbCentre(t);
    const RECT client = ClientOf(t);
    EXPECT_TRUE(isWhite(PixelAt(t, at.x, at.y))) << "the white thumb sits on the control's thumb";
    // Mirrored along the axis the channel shows, not the thumb.
    const POINT mirror = t == track ? POINT{client.right - at.x, at.y} : POINT{at.x, client.bottom - at.y};
    EXPECT_FALSE(isWhite(PixelAt(t, mirror.x, mirror.y)));
  }
  // The control option shows the value: the channel up to the thumb in the theme colour,
  // plain when the option is 0.
  const POINT at = thumbCentre(track);
  EXPECT_GT(Blueness(PixelAt(track, at.x / 2, at.y)), 60) << "the channel before the thumb is tinted";
  EXPECT_LT(Blueness(PixelAt(track, (at.x + ClientOf(track).right) / 2, at.y)), 30) << "and after it plain";
  engine.SetControlSkinning(1, Given(0), Given(0));
  Repaint(track);
  EXPECT_LT(Blueness(PixelAt(track, at.x / 2, at.y)), 30) << "option 0: a plain channel";
  SendMessageW(track, TBM_SETPOS, TRUE, 10);
  Repaint(track);
  EXPECT_TRUE(isWhite(PixelAt(track, thumbCentre(track).x, thumbCentre(track).y))) << "the thumb follows";

  // The horizontal bar fills the first quarter of the trough (2 + 196 / 4 = 51), the
  // vertical one the bottom quarter; beyond it the trough shows.
  EXPECT_GT(Blueness(PixelAt(progress, 30, 15)), 60);
  EXPECT_LT(Blueness(PixelAt(progress, 70, 15)), 30);
  EXPECT_GT(Blueness(PixelAt(progressV, 5, 180)), 60);
  EXPECT_LT(Blueness(PixelAt(progressV, 5, 130)), 30);
  SendMessageW(progress, PBM_SETPOS, 200, 0);
  Repaint(progress);
  EXPECT_GT(Blueness(PixelAt(progress, 190, 15)), 60) << "a full bar reaches the end";
  // A range of nothing divides by nothing: the bar stays empty.
  SendMessageW(progress, PBM_SETRANGE32, 7, 7);
  Repaint(progress);
  EXPECT_LT(Blueness(PixelAt(progress, 30, 15)), 30);
}

TEST_F(ControlSkinTest, AnUpDownShowsItsPressedHalfAndAHeaderItsHotItem) {
  HWND upDown = UpDown(20, 60, 24, 44);
  HWND header = Header(100, 60, 300, 24);
  Skinned(window, kPicture);
  Repaint(upDown);
  const COLORREF upBefore = PixelAt(upDown, 4, 6), downBefore = PixelAt(upDown, 4, 38);
  SendMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 36));
  EXPECT_EQ(Controls().upDowns.At(1)->pressedPart, 2);
  EXPECT_GT(Blueness(PixelAt(upDown, 4, 38)), Blueness(downBefore) + 40) << "the pressed lower half in the theme colour";
  EXPECT_TRUE(Near(PixelAt(upDown, 4, 6), upBefore, 8)) << "the upper half stays";
  SendMessageW(upDown, WM_LBUTTONUP, 0, MAKELPARAM(12, 36));
  EXPECT_EQ(Controls().upDowns.At(1)->pressedPart, 0);
  EXPECT_TRUE(Near(PixelAt(upDown, 4, 38), downBefore, 8)) << "released, it looks as before";

  Repaint(header);
  const COLORREF first = PixelAt(header, 30, 3), second = PixelAt(header, 130, 3);
  EXPECT_TRUE(Near(first, second, 8)) << "items alike while none is hot";
  SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(150, 12));
  EXPECT_EQ(Controls().hotIndex, 1);
  EXPECT_EQ(Controls().hotClass, kHotHeader);
  EXPECT_EQ(Controls().headers.At(1)->hotPart, 2);
  EXPECT_GT(Blueness(PixelAt(header, 130, 3)), Blueness(second) + 15) << "the hot item is tinted";
  EXPECT_TRUE(Near(PixelAt(header, 30, 3), first, 8));
  int dark = 0;
  for (COLORREF c : Pixels(header, {0, 4, 100, 20})) dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 150;
  EXPECT_GT(dark, 8) << "the first item's caption is drawn";
  SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(50, 12));
  EXPECT_TRUE(Near(PixelAt(header, 130, 3), second, 8)) << "the hot item follows the pointer";
  EXPECT_GT(Blueness(PixelAt(header, 30, 3)), Blueness(first) + 15);
}

TEST_F(ControlSkinTest, HoverMovesAcrossFamiliesRedrawingTheControlsItLeavesAndEnters) {
  HWND track = Trackbar(20, 60, 200, 30);
  HWND upDown = UpDown(260, 60, 24, 44);
  HWND header = Header(320, 60, 300, 24);
  Skinned(window, kPicture);
  for (HWND c : {track, upDown, header}) Repaint(c);
  const RECT trackBox = ClientOf(track), upBox = ClientOf(upDown);
  const auto trackNormal = Pixels(track, trackBox), upNormal = Pixels(upDown, upBox);

  SendMessageW(track, WM_MOUSEMOVE, 0, MAKELPARAM(40, 15));
  EXPECT_EQ(Controls().hotClass, kHotTrackbar);
  EXPECT_EQ(Controls().hotIndex, 1);
  EXPECT_GT(Differing(Pixels(track, trackBox), trackNormal), 10) << "the trackbar drawn hot";

  // The pointer reaches the up-down before the trackbar hears that it left.
  SendMessageW(upDown, WM_MOUSEMOVE, 0, MAKELPARAM(12, 8));
  EXPECT_EQ(Controls().hotClass, kHotUpDown) << "same index, another family: the up-down is hot now";
  EXPECT_EQ(Controls().hotIndex, 1);
  EXPECT_GT(Differing(Pixels(upDown, upBox), upNormal), 10) << "the up-down drawn hot";
  SendMessageW(track, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Differing(Pixels(track, trackBox), trackNormal), 0) << "the trackbar back to normal";
  EXPECT_EQ(Controls().hotClass, kHotUpDown) << "a late leave does not take the up-down's hover";
  EXPECT_EQ(Controls().hotIndex, 1);

  SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(20, 12));
  EXPECT_EQ(Controls().hotClass, kHotHeader);
  SendMessageW(upDown, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Differing(Pixels(upDown, upBox), upNormal), 0) << "the up-down back to normal";
  SendMessageW(header, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Controls().hotIndex, 0);
}

TEST_F(ControlSkinTest, ATransparentControlShowsThePictureThroughItsFaceAndKeepsItsText) {
  HWND status = MakeChild(window, STATUSCLASSNAMEW, L"MMMMMMMM WWWWWWWW", 0, 0, 0, 0, 0);
  HWND label = MakeChild(window, L"Static", L"static", 0, 10, 40, 80, 20);
  Skinned(window, kPicture);
  ASSERT_TRUE(engine.SkinTransparentControl(status, NotGiven(), NotGiven()));
  EXPECT_FALSE(engine.SkinTransparentControl(status, NotGiven(), NotGiven())) << "once";
  EXPECT_FALSE(engine.SkinTransparentControl(label, NotGiven(), NotGiven())) << "not a keyable class";
  EXPECT_FALSE(engine.SkinTransparentControl(window, NotGiven(), NotGiven())) << "not a control";
  EXPECT_EQ(PropInt(status, kPropTransparentIndex), 1);
  EXPECT_EQ(PropInt(status, kPropTransparentWindow), 1);
  EXPECT_EQ(GetPropW(status, kPropTransparentProc), reinterpret_cast<HANDLE>(Controls().transparents.At(1)->previousProc));
  Repaint(status);

  // A check box paints itself through WM_PRINTCLIENT rather than WM_PAINT; laid over the
  // picture at half opacity, its text is blended but stays.
  HWND check = MakeChild(window, L"Button", L"MMMM WWWW", BS_AUTOCHECKBOX, 10, 70, 120, 24);
  ASSERT_TRUE(engine.SkinTransparentControl(check, NotGiven(), Given(128)));
  HWND track = MakeChild(window, TRACKBAR_CLASSW, L"", 0, 10, 100, 120, 30);
  ASSERT_TRUE(engine.SkinTransparentControl(track, Given(0xFFFFFF), Given(300)));
  EXPECT_EQ(Controls().transparents.At(3)->alpha, 255) << "an alpha beyond 255 is clamped";
  EXPECT_EQ(Controls().transparents.At(3)->keyColour, 0xFFFFFFu);
  Repaint(status);
  Repaint(check);

  const COLORREF faceColour = GetSysColor(COLOR_BTNFACE);
  for (HWND control : {status, check}) {
    const RECT box = ClientOf(control);
    int picture = 0, dark = 0, face = 0;
    for (COLORREF c : Pixels(control, box)) {
      picture += Near(c, kPicture, 3);
      dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 120;
      face += Near(c, faceColour, 0);
    }
    const int total = (box.right - box.left) * (box.bottom - box.top);
    EXPECT_GT(picture, total / 2) << "the face is keyed out: the picture shows through";
    EXPECT_EQ(face, 0) << "no pixel of the face colour is left";
    EXPECT_GT(dark, 20) << "the text stays";
  }
}

TEST_F(ControlSkinTest, NoGdiObjectGrowsOverTenThousandHoverAndFocusChanges) {
  HWND track = Trackbar(20, 60, 200, 30);
  HWND upDown = UpDown(260, 60, 24, 44);
  HWND header = Header(320, 60, 300, 24);
  HWND progress = MakeChild(window, PROGRESS_CLASSW, L"", 0, 20, 120, 200, 20);
  HWND status = MakeChild(window, STATUSCLASSNAMEW, L"Ready", 0, 0, 0, 0, 0);
  // A header with icons: the skin copies its image list and draws the icons.
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
  ImageList_AddIcon(images, LoadIconW(nullptr, IDI_APPLICATION));
  SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  HDITEMW item{};
  item.mask = HDI_IMAGE | HDI_FORMAT;
  item.fmt = HDF_LEFT | HDF_STRING | HDF_IMAGE;
  item.iImage = 0;
  SendMessageW(header, HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  Skinned(window, kPicture);
  engine.SkinTransparentControl(status, NotGiven(), NotGiven());
  for (HWND c : {track, upDown, header, progress, status}) Repaint(c);
  ASSERT_TRUE(Controls().headers.At(1)->headerImages) << "the header's image list is copied";

  const long gdiBefore = LiveGdiObjects(), gdiPlusBefore = gp::LiveGdiPlusObjects();
  const HWND hovered[] = {track, upDown, header};
  for (int i = 0; i < 10000; ++i) {
    HWND from = hovered[i % 3], to = hovered[(i + 1) % 3];
    SendMessageW(to, WM_MOUSEMOVE, 0, MAKELPARAM(10 + i % 7, 8));
    SendMessageW(from, WM_MOUSELEAVE, 0, 0);
    if (i % 10 == 0) {
      SetFocus(i % 20 ? track : upDown);
      Repaint(i % 20 ? status : progress);
    }
  }
  Pump();
  EXPECT_EQ(LiveGdiObjects(), gdiBefore);
  EXPECT_EQ(gp::LiveGdiPlusObjects(), gdiPlusBefore);

  DestroyWindow(header);
  EXPECT_FALSE(Controls().headers.At(1)->headerImages) << "the copy goes with the header";
  ImageList_Destroy(images);
}

// Sits in front of the skin's procedure and counts, once the skin has seen WM_NCDESTROY,
// the properties still on the window (the system would otherwise drop them unseen).
constexpr wchar_t kPropWatchedProc[] = L"Test_next";
int propsLeftAtNcDestroy = -1;
LRESULT CALLBACK WatchNcDestroy(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  auto next = reinterpret_cast<WNDPROC>(GetPropW(window, kPropWatchedProc));
  if (message != WM_NCDESTROY) return CallWindowProcW(next, window, message, wp, lp);
  RemovePropW(window, kPropWatchedProc);
  const LRESULT result = CallWindowProcW(next, window, message, wp, lp);
  propsLeftAtNcDestroy = 0;
  for (const wchar_t* name : {kPropListIndex, kPropWindowIndex, kPropPreviousProc, kPropTextColour, kPropBrush,
                              kPropBrushBitmap, kPropTransparentIndex, kPropTransparentWindow,
                              kPropTransparentProc, kPropFrameAncestor})
    propsLeftAtNcDestroy += GetPropW(window, name) != nullptr;
  return result;
}

TEST_F(ControlSkinTest, EveryFamilyForgetsADestroyedControlAndSkinsTheNextOneAsNew) {
  Skinned(window, kPicture, 160);  // a control alpha: edits and buttons get colour slots
  struct Case {
    const wchar_t* className;
    DWORD style;
    Family family;
    bool (*skin)(SkinEngine&, HWND);  // null: the installers find it
  } cases[] = {
      {L"Button", BS_PUSHBUTTON, Family::kButton, nullptr},
      {L"Button", BS_AUTOCHECKBOX, Family::kButton, nullptr},
      {L"Edit", 0, Family::kEdit, nullptr},
      {L"ComboBox", CBS_DROPDOWNLIST, Family::kCombo, nullptr},
      {L"ListBox", 0, Family::kList, nullptr},
      {TRACKBAR_CLASSW, 0, Family::kTrackbar, nullptr},
      {PROGRESS_CLASSW, 0, Family::kProgressBar, nullptr},
      {UPDOWN_CLASSW, 0, Family::kUpDown, nullptr},
      {WC_HEADERW, 0, Family::kHeader, nullptr},
      {STATUSCLASSNAMEW, 0, Family::kTransparent,
       [](SkinEngine& e, HWND c) { return e.SkinTransparentControl(c, NotGiven(), NotGiven()); }},
      {L"Button", BS_GROUPBOX, Family::kContainer,
       [](SkinEngine& e, HWND c) { return e.AttachContainer(c, NotGiven(), NotGiven(), NotGiven(), NotGiven()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.className << " style " << c.style);
    auto make = [&] {
      HWND control = MakeChild(window, c.className, L"text", c.style, 40, 60, 160, 60);
      if (c.skin)
        EXPECT_TRUE(c.skin(engine, control));
      else
        engine.InstallControls(1, window);
      return control;
    };
    HWND dead = make();
    const ControlLink* link = FindLink(dead, SlotOf(c.family));
    ASSERT_TRUE(link && link->controls == &Controls() && link->family == c.family);
    const int index = link->listIndex;
    Repaint(dead);  // asks the window for its colours
    SendMessageW(dead, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    if (HotClassOf(c.family) >= 0) ASSERT_EQ(Controls().hotIndex, index) << "drawn hot";
    SetPropW(dead, kPropWatchedProc,
             reinterpret_cast<HANDLE>(SetWindowLongPtrW(dead, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchNcDestroy))));
    propsLeftAtNcDestroy = -1;

    DestroyWindow(dead);
    EXPECT_EQ(propsLeftAtNcDestroy, 0) << "the skin removes every property it set";
    EXPECT_EQ(FindLink(dead, SlotOf(c.family)), nullptr);
    Controls().WithList(c.family, [&](auto& list) {
      ASSERT_TRUE(list.At(index));
      EXPECT_EQ(list.At(index)->window, nullptr) << "the record no longer names the handle";
    });
    if (HotClassOf(c.family) >= 0) EXPECT_EQ(Controls().hotIndex, 0) << "nothing is hot";

    HWND fresh = make();
    link = FindLink(fresh, SlotOf(c.family));
    ASSERT_TRUE(link && link->controls == &Controls());
    EXPECT_EQ(GetWindowLongPtrW(fresh, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(link->own)) << "skinned anew";
    DestroyWindow(fresh);
  }
}

// A static has no procedure of the skin's: its colour slot goes when its parent hears it go.
TEST_F(ControlSkinTest, ADestroyedStaticGivesBackItsColourSlot) {
  Skinned(window, kPicture, 160);
  HWND label = MakeChild(window, L"Static", L"label", 0, 40, 60, 160, 20);
  Repaint(label);  // asks the window for its colours
  ASSERT_NE(GetPropW(label, kPropBrush), nullptr) << "the static was answered with a brush";
  SetPropW(label, kPropWatchedProc,
           reinterpret_cast<HANDLE>(SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchNcDestroy))));
  propsLeftAtNcDestroy = -1;
  DestroyWindow(label);
  EXPECT_EQ(propsLeftAtNcDestroy, 0) << "the brush and its bitmap stayed with the dead static";
}

}  // namespace
}  // namespace board
