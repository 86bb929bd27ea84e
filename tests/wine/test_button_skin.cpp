// The button skin on real windows: which buttons are taken and how they are numbered, the
// clicks and double clicks that still work, the hover look moving between buttons, the
// composed faces of a push button in each state, check boxes, radio buttons and picture
// buttons, and stale properties left on a button whose window is gone.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "skin/win32/button_skin.h"
#include "skin/win32/control_records.h"
#include "skin/win32/gdiplus_objects.h"
#include "tests/wine/skin_test_support.h"

namespace board {
namespace {

constexpr COLORREF kPicture = RGB(40, 90, 160);
constexpr int kButtonW = 100, kButtonH = 40;

HWND Button(HWND parent, const wchar_t* text, DWORD style, int x, int y = 60) {
  return MakeChild(parent, L"BUTTON", text, style, x, y, kButtonW, kButtonH);
}

// ---- the composition a face should show, computed independently of the painter

struct Rgb {
  double r, g, b;
};
struct Argb {
  double a, r, g, b;
};
// A gradient's colour at t: GDI+ weighs each end's colour by its alpha, so a transparent
// end lends no colour.
Argb Mix(Argb from, Argb to, double t) {
  t = std::clamp(t, 0.0, 1.0);
  const double wf = from.a * (1 - t), wt = to.a * t, a = wf + wt;
  if (a <= 0) return {0, 0, 0, 0};
  auto m = [&](double p, double q) { return (p * wf + q * wt) / a; };
  return {a, m(from.r, to.r), m(from.g, to.g), m(from.b, to.b)};
}
Rgb Over(Rgb d, Argb s) {
  const double a = s.a / 255;
  return {d.r + (s.r - d.r) * a, d.g + (s.g - d.g) * a, d.b + (s.b - d.b) * a};
}
Rgb FromRef(COLORREF c) { return {double(GetRValue(c)), double(GetGValue(c)), double(GetBValue(c))}; }
Argb Theme(double a) { return {a, 34, 202, 221}; }

// The glass at an interior point (x away from the rounded corners and the caption).
Rgb ExpectedFace(UINT state, int y, int h = kButtonH) {
  if (state & ODS_DISABLED) {
    const Argb top{50, 255, 255, 255}, middle{10, 0, 0, 0};
    const double t = double(y) / h;
    return Over({192, 192, 192}, t < 0.6 ? Mix(top, middle, t / 0.6) : Mix(middle, top, (t - 0.6) / 0.4));
  }
  Rgb c = Over(FromRef(kPicture), {120, 255, 255, 255});
  c = Over(c, Mix({0, 255, 255, 255}, {60, 128, 128, 128}, double(y) / (h - 1)));
  if (y < h / 2) c = Over(c, Mix({50, 255, 255, 255}, {10, 255, 255, 255}, y / (h * 0.5)));
  if (state & ODS_HOTLIGHT) c = Over(c, Mix(Theme(60), Theme(10), double(y) / (h - 1)));
  if ((state & ODS_SELECTED) && y >= 2)
    c = Over(c, Mix(Theme(60), {100, 255, 255, 255}, (y - 2.0) / (h - 4)));
  return c;
}

::testing::AssertionResult Near(COLORREF actual, Rgb expected, int tolerance = 5) {
  const double d = std::max({std::abs(GetRValue(actual) - expected.r), std::abs(GetGValue(actual) - expected.g),
                             std::abs(GetBValue(actual) - expected.b)});
  if (d <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got RGB(" << int(GetRValue(actual)) << ", " << int(GetGValue(actual))
                                       << ", " << int(GetBValue(actual)) << "), expected about (" << expected.r
                                       << ", " << expected.g << ", " << expected.b << ")";
}

// A face painted into a memory DC of the button's size, as the painters serve any DC.
class PaintedFace {
 public:
  explicit PaintedFace(HWND button) {
    GetClientRect(button, &rect_);
    ScopedGetDc screen(nullptr);
    dc_.reset(CreateCompatibleDC(screen.get()));
    bitmap_.reset(CreateCompatibleBitmap(screen.get(), rect_.right, rect_.bottom));
    select_.emplace(dc_.get(), bitmap_.get());
  }
  PaintedFace& Paint(HWND button, UINT state,
                     void (*painter)(HWND, HDC, UINT, const RECT&) = PaintPushButton) {
    painter(button, dc_.get(), state, rect_);
    return *this;
  }
  COLORREF At(int x, int y) const { return GetPixel(dc_.get(), x, y); }

 private:
  RECT rect_{};
  ScopedMemoryDc dc_;
  ScopedBitmap bitmap_;
  std::optional<ScopedSelectObject> select_;
};

// Pumps messages until `done` holds; false after `ms` without it.
bool PumpUntil(const std::function<bool()>& done, int ms = 2000) {
  for (int waited = 0; waited < ms; waited += 10) {
    Pump();
    if (done()) return true;
    Sleep(10);
  }
  Pump();
  return done();
}

// The parent's record of button notifications.
int g_clicked = 0, g_doubleClicked = 0;
LRESULT CALLBACK CountingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COMMAND && lp) {
    if (HIWORD(wp) == BN_CLICKED) ++g_clicked;
    if (HIWORD(wp) == BN_DOUBLECLICKED) ++g_doubleClicked;
  }
  return DefWindowProcW(w, m, wp, lp);
}

class ButtonSkinTest : public SkinFixture {
 protected:
  int ListIndex(HWND button) { return PropInt(button, kPropListIndex); }
  const ButtonRecord* Record(HWND button) { return FindButtonRecord(engine, button); }
  SkinControls& Controls(int window = 1) { return *engine.ControlsOf(window); }
};

TEST_F(ButtonSkinTest, InstallersTakeTheirKindsOnceNumberedFromTheEmptyFirstRecord) {
  HWND window = Window();
  HWND push = Button(window, L"push", BS_PUSHBUTTON, 10);
  HWND def = Button(window, L"default", BS_DEFPUSHBUTTON, 120);
  HWND owner = Button(window, L"owner", BS_OWNERDRAW, 230);
  HWND group = Button(window, L"group", BS_GROUPBOX, 340);
  HWND check = Button(window, L"check", BS_AUTOCHECKBOX, 10, 120);
  HWND radio = Button(window, L"radio", BS_AUTORADIOBUTTON, 120, 120);
  HWND plainRadio = Button(window, L"plain", BS_RADIOBUTTON, 230, 120);
  ScopedFont font(CreateFontW(-15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
  SendMessageW(push, WM_SETFONT, WPARAM(font.get()), 0);
  SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
  Skinned(window, kPicture);

  EXPECT_EQ(ListIndex(push), 1) << "the first button fills the empty first record";
  EXPECT_EQ(ListIndex(def), 2);
  EXPECT_EQ(PropInt(push, kPropWindowIndex), 1);
  for (HWND b : {push, def}) {
    EXPECT_EQ(GetWindowLongPtrW(b, GWL_STYLE) & 0xF, BS_OWNERDRAW) << "push buttons become owner-drawn";
    EXPECT_EQ(GetWindowLongPtrW(b, GWLP_WNDPROC), LONG_PTR(&ButtonWindowProc));
    EXPECT_NE(GetPropW(b, kPropPreviousProc), nullptr);
  }
  for (HWND b : {owner, group, plainRadio}) {
    EXPECT_EQ(ListIndex(b), 0) << "not taken";
    EXPECT_NE(GetWindowLongPtrW(b, GWLP_WNDPROC), LONG_PTR(&ButtonWindowProc));
  }
  ASSERT_TRUE(Record(check) && Record(radio));
  EXPECT_EQ(Record(check)->kind, ButtonKind::kCheck);
  EXPECT_EQ(Record(check)->checkState, 1);
  EXPECT_EQ(Record(check)->parent, window);
  EXPECT_EQ(Record(radio)->kind, ButtonKind::kRadio);
  EXPECT_EQ(GetWindowLongPtrW(check, GWL_STYLE) & 0xF, BS_AUTOCHECKBOX) << "check boxes keep their type";
  EXPECT_EQ(Record(push)->text, L"push");
  EXPECT_EQ(Record(push)->fontName, L"Tahoma");
  EXPECT_NEAR(Record(push)->fontSize, 15, 1) << "the em size in pixels";
  EXPECT_EQ(Record(push)->fontStyle & 1, 1) << "bold";

  // A second pass over the same tree (a container attached over it) adds nothing.
  const int count = Controls().buttons.Count();
  engine.InstallControls(1, window);
  EXPECT_EQ(Controls().buttons.Count(), count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(ListIndex(check), 3);

  // With control skinning off, a new window's buttons are left alone.
  HWND other = Window();
  HWND untouched = Button(other, L"x", BS_PUSHBUTTON, 10);
  engine.SetControlSkinning(0, NotGiven(), NotGiven());
  ASSERT_TRUE(engine.AttachWindow(other, 25, 1, {}));
  EXPECT_EQ(ListIndex(untouched), 0);
  EXPECT_EQ(GetWindowLongPtrW(untouched, GWL_STYLE) & 0xF, BS_PUSHBUTTON);
}

TEST_F(ButtonSkinTest, ADoubleClickIsOneClickAndOneToggle) {
  HWND window = Window();
  HWND push = Button(window, L"push", BS_PUSHBUTTON, 10);
  HWND check = Button(window, L"check", BS_AUTOCHECKBOX, 10, 120);
  SetWindowLongPtrW(window, GWLP_WNDPROC, LONG_PTR(&CountingProc));
  Skinned(window, kPicture);
  g_clicked = g_doubleClicked = 0;
  const LPARAM at = MAKELPARAM(10, 10);
  for (HWND b : {push, check})
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
      SendMessageW(b, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
  EXPECT_EQ(g_clicked, 2) << "one click of each, the second press dropped";
  EXPECT_EQ(g_doubleClicked, 0);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED) << "toggled once, not back again";
}

TEST_F(ButtonSkinTest, HoverFollowsThePointerFromOneButtonToTheNext) {
  HWND window = Window();
  HWND a = Button(window, L"", BS_PUSHBUTTON, 20), b = Button(window, L"", BS_PUSHBUTTON, 140);
  Skinned(window, kPicture);
  SetCursorPos(5, 5);
  Pump();
  const int y = 30;
  auto centre = [](HWND button) {
    POINT p{kButtonW / 2, kButtonH / 2};
    ClientToScreen(button, &p);
    return p;
  };
  ASSERT_TRUE(Near(PixelAt(a, 10, y), ExpectedFace(0, y)));

  POINT pa = centre(a);
  SetCursorPos(pa.x, pa.y);
  ASSERT_TRUE(PumpUntil([&] { return Controls().hotIndex == ListIndex(a); })) << "a never turned hot";
  EXPECT_EQ(Controls().hotClass, kHotButton);
  EXPECT_TRUE(Near(PixelAt(a, 10, y), ExpectedFace(ODS_HOTLIGHT, y)));
  EXPECT_EQ(PixelAt(a, 50, 0), RGB(34, 202, 221)) << "the theme's outline";

  POINT pb = centre(b);
  SetCursorPos(pb.x, pb.y);
  EXPECT_TRUE(PumpUntil([&] {
    return Near(PixelAt(a, 10, y), ExpectedFace(0, y)) && Near(PixelAt(b, 10, y), ExpectedFace(ODS_HOTLIGHT, y));
  })) << "a did not go back to normal or b did not turn hot";
  EXPECT_EQ(Controls().pointerIndex, ListIndex(b));
  SetCursorPos(5, 5);
  EXPECT_TRUE(PumpUntil([&] { return Near(PixelAt(b, 10, y), ExpectedFace(0, y)); })) << "b stayed hot";
}

TEST_F(ButtonSkinTest, APushButtonFaceIsTheGlassOverThePictureInEachState) {
  HWND window = Window();
  HWND button = Button(window, L"", BS_PUSHBUTTON, 20);
  Skinned(window, kPicture);
  PaintedFace face(button);
  const long gdiPlusBefore = gp::LiveGdiPlusObjects();
  const struct {
    UINT state;
    const char* name;
  } states[] = {{0, "normal"}, {ODS_HOTLIGHT, "hot"}, {ODS_FOCUS, "focused"}, {ODS_SELECTED, "pressed"},
                {ODS_DISABLED, "disabled"}, {ODS_DISABLED | ODS_HOTLIGHT | ODS_FOCUS, "disabled, asked hot"}};
  for (const auto& s : states)
    for (int y : {6, 15, 24, 33}) {
      face.Paint(button, s.state);
      EXPECT_TRUE(Near(face.At(12, y), ExpectedFace(s.state, y))) << s.name << " at y " << y;
    }
  EXPECT_EQ(gp::LiveGdiPlusObjects(), gdiPlusBefore) << "a painter kept a GDI+ object";

  // The outlines: dark when plain, the theme when hot, a cyan glow inside when focused.
  const COLORREF plainEdge = face.Paint(button, 0).At(0, 20);
  EXPECT_LT(GetBValue(plainEdge), ExpectedFace(0, 20).b - 20) << "the plain outline darkens";
  EXPECT_EQ(face.Paint(button, ODS_HOTLIGHT).At(0, 20), RGB(34, 202, 221));
  const COLORREF normalInside = face.Paint(button, 0).At(1, 20), focusInside = face.Paint(button, ODS_FOCUS).At(1, 20);
  EXPECT_GT(GetGValue(focusInside), GetGValue(normalInside) + 10) << "no cyan glow inside the focused outline";
  // The disabled band is darkest at 60 % of the height.
  face.Paint(button, ODS_DISABLED);
  EXPECT_LT(GetRValue(face.At(12, 24)), GetRValue(face.At(12, 4)));
  EXPECT_LT(GetRValue(face.At(12, 24)), GetRValue(face.At(12, 36)));
  // The background is never erased, and the button says it is done (not a colour, which
  // reads as "not erased" whenever it is black).
  SetPropInt(button, kPropTextColour, 0);
  ScopedGetDc dc(button);
  EXPECT_EQ(SendMessageW(button, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0), 1);
}

// A look painted again comes from the faces already composed: pixel for pixel the face
// composed afresh, and never one composed over another picture or in another theme.
TEST_F(ButtonSkinTest, AFacePaintedAgainIsTheOneComposedAfreshForWhatLiesBehindIt) {
  HWND window = Window();
  HWND button = Button(window, L"Again", BS_PUSHBUTTON, 20);
  Skinned(window, kPicture);
  PaintedFace face(button);
  auto pixels = [&face] {
    std::vector<COLORREF> all;
    for (int y = 0; y < kButtonH; ++y)
      for (int x = 0; x < kButtonW; ++x) all.push_back(face.At(x, y));
    return all;
  };
  face.Paint(button, ODS_HOTLIGHT);
  const std::vector<COLORREF> first = pixels();
  face.Paint(button, 0).Paint(button, ODS_HOTLIGHT);
  EXPECT_EQ(pixels(), first);
  engine.SetSkinImage(nullptr, SolidBmp(64, 64, RGB(160, 40, 40)), Given(0), Given(0), Given(3));
  Pump();
  EXPECT_NE(face.Paint(button, ODS_HOTLIGHT).At(12, 24), first[24 * kButtonW + 12]) << "the old picture behind";
  engine.SetSkinImage(nullptr, SolidBmp(64, 64, kPicture), Given(0), Given(0xFF00FF), Given(3));
  Pump();
  EXPECT_NE(face.Paint(button, ODS_HOTLIGHT).At(0, 20), first[20 * kButtonW]) << "the old theme's outline";
}

TEST_F(ButtonSkinTest, ADisabledButtonIsGreyOnScreenAndNeverHot) {
  HWND window = Window();
  HWND button = Button(window, L"", BS_PUSHBUTTON, 20);
  Skinned(window, kPicture);
  EnableWindow(button, FALSE);  // the button asks its parent for the disabled face
  Pump();
  EXPECT_TRUE(Near(PixelAt(button, 12, 24), ExpectedFace(ODS_DISABLED, 24)));
  SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  EXPECT_TRUE(Near(PixelAt(button, 12, 24), ExpectedFace(ODS_DISABLED, 24))) << "tinted hot";
}

TEST_F(ButtonSkinTest, SetTextChangesTheCaptionDrawn) {
  HWND window = Window();
  HWND button = Button(window, L"", BS_PUSHBUTTON, 20);
  Skinned(window, kPicture);
  auto countPixels = [&](auto&& counts) {
    int n = 0;
    for (int y = 8; y < kButtonH - 6; ++y)
      for (int x = 6; x < kButtonW - 6; ++x) n += counts(PixelAt(button, x, y));
    return n;
  };
  auto darkPixels = [&] { return countPixels([](COLORREF c) { return GetRValue(c) < 80; }); };
  EXPECT_EQ(darkPixels(), 0);
  SetWindowTextW(button, L"WWWW");
  Pump();
  EXPECT_EQ(Record(button)->text, L"WWWW");
  const int four = darkPixels();
  EXPECT_GT(four, 20) << "no black caption";
  SetWindowTextW(button, L"W");
  Pump();
  EXPECT_LT(darkPixels(), four) << "the old caption is still drawn";
  // The caption colour is the control's own when it has one.
  SetPropInt(button, kPropTextColour, RGB(230, 0, 0));
  InvalidateRect(button, nullptr, FALSE);
  UpdateWindow(button);
  EXPECT_EQ(darkPixels(), 0);
  EXPECT_GT(countPixels([](COLORREF c) { return GetRValue(c) > 180 && GetGValue(c) < 90; }), 5) << "no red caption";
}

TEST_F(ButtonSkinTest, CheckBoxesAndRadioButtonsDrawTheirGlyphsAndFollowTheirState) {
  HWND window = Window();
  HWND check = Button(window, L"check", BS_AUTOCHECKBOX, 20);
  HWND radio = Button(window, L"radio", BS_AUTORADIOBUTTON, 140);
  Skinned(window, kPicture);
  const int boxTop = (kButtonH - 13) / 2;
  // The stored box: a near-black border and a light interior.
  EXPECT_LT(GetRValue(PixelAt(check, 2, boxTop + 6)), 40);
  EXPECT_GT(GetRValue(PixelAt(check, 5, boxTop + 3)), 200);
  SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(Near(PixelAt(check, 2, boxTop + 6), {24, 81, 132}, 12)) << "the ticked box's blue border";
  // The radio's well is white until checked, then the teal rim of the dot darkens it.
  const int middleY = (kButtonH - 12) / 2 + 6;
  const COLORREF well = PixelAt(radio, 6, middleY);
  EXPECT_GT(GetRValue(well), 180);
  SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
  const COLORREF dot = PixelAt(radio, 6, middleY);
  EXPECT_LT(GetRValue(dot) + 60, GetRValue(well)) << "no dot";
  EXPECT_GT(GetBValue(dot), GetRValue(dot) + 40) << "the dot is not teal";
  // Disabled: the grey face and no glyph, not the standard procedure's disabled box.
  EnableWindow(check, FALSE);
  Pump();
  EXPECT_TRUE(Near(PixelAt(check, 5, 24), ExpectedFace(ODS_DISABLED, 24)));

  // A parent printing the radio button gets the skin's face, as on the screen.
  InvalidateRect(radio, nullptr, TRUE);
  UpdateWindow(radio);
  ScopedGetDc screen(radio);
  ScopedMemoryDc print(CreateCompatibleDC(screen.get()));
  ScopedBitmap pixels(CreateCompatibleBitmap(screen.get(), kButtonW, kButtonH));
  ScopedSelectObject select(print.get(), pixels.get());
  SendMessageW(radio, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(print.get()), PRF_CLIENT);
  int differing = 0;
  for (int y = 0; y < kButtonH; ++y)
    for (int x = 0; x < kButtonW; ++x) differing += GetPixel(print.get(), x, y) != GetPixel(screen.get(), x, y);
  EXPECT_EQ(differing, 0);
}

// A picture of vertical stripes, one colour each, as a 24-bit BMP.
std::vector<uint8_t> StripesBmp(std::initializer_list<COLORREF> colours, int stripe = 10, int height = 8) {
  const int width = stripe * int(colours.size());
  std::vector<uint8_t> file = SolidBmp(width, height, 0);
  const int stride = (width * 3 + 3) & ~3;
  int i = 0;
  for (COLORREF c : colours) {
    for (int y = 0; y < height; ++y)
      for (int x = i * stripe; x < (i + 1) * stripe; ++x) {
        uint8_t* p = &file[54 + size_t(y) * stride + size_t(x) * 3];
        p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
      }
    ++i;
  }
  return file;
}

// The push face's glass, laid from the layers kept for its look, is to the pixel the glass
// drawn in place: a picture button whose picture does not decode draws it there, over the
// same skin, in every look.
TEST_F(ButtonSkinTest, ThePushFaceLaidFromItsLayersIsTheFaceDrawnInPlace) {
  HWND window = Window();
  HWND push = Button(window, L"", BS_PUSHBUTTON, 40, 50);
  const auto stripes = StripesBmp({RGB(200, 30, 30), RGB(20, 180, 60), RGB(30, 40, 200), RGB(240, 240, 240), 0}, 3);
  engine.SetSkinImage(nullptr, stripes, NotGiven(), Given(int32_t(RGB(250, 120, 20))), Given(3));
  engine.SetControlSkinning(1, Given(0), NotGiven());
  ASSERT_TRUE(engine.AttachWindow(window, 25, 1, {}));
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  Pump();
  HWND drawn = Button(window, L"", BS_PUSHBUTTON, 40, 50);  // made after the attach: not a push button of the skin's
  const std::vector<uint8_t> noPicture = {'n', 'o', 'n', 'e'};
  ASSERT_TRUE(engine.SkinImageButton(drawn, noPicture, 1, L""));
  for (UINT state : {0u, UINT(ODS_HOTLIGHT), UINT(ODS_SELECTED | ODS_HOTLIGHT), UINT(ODS_FOCUS), UINT(ODS_DISABLED)}) {
    PaintedFace laid(push), inPlace(drawn);
    laid.Paint(push, state);
    inPlace.Paint(drawn, state, PaintImageButton);
    int differing = 0;
    for (int y = 0; y < kButtonH; ++y)
      for (int x = 0; x < kButtonW; ++x) differing += laid.At(x, y) != inPlace.At(x, y);
    EXPECT_EQ(differing, 0) << "state " << state;
    EXPECT_NE(laid.At(kButtonW / 2, 3), inPlace.At(0, 0)) << "state " << state << ": no glass at all";
  }
}

TEST_F(ButtonSkinTest, PictureButtonsShowTheirStatesPicture) {
  HWND window = Window();
  HWND taken = Button(window, L"", BS_PUSHBUTTON, 260, 120);
  Skinned(window, kPicture);
  // Made after the window was attached, so no installer took them as push buttons.
  HWND four = Button(window, L"", BS_PUSHBUTTON, 20), sliced = Button(window, L"", BS_PUSHBUTTON, 140);
  HWND group = Button(window, L"", BS_GROUPBOX, 260);
  const COLORREF red = RGB(200, 0, 0), green = RGB(0, 200, 0), blue = RGB(0, 0, 200), grey = RGB(90, 90, 90);
  const auto r = SolidBmp(8, 8, red), g = SolidBmp(8, 8, green), b = SolidBmp(8, 8, blue), k = SolidBmp(8, 8, grey);
  ASSERT_TRUE(engine.SkinFourStateButton(four, {r, g, b, k}, L""));
  EXPECT_FALSE(engine.SkinFourStateButton(four, {r, g, b, k}, L"")) << "registered twice";
  EXPECT_FALSE(engine.SkinImageButton(group, r, 1, L"")) << "a group box cannot become owner-drawn";
  EXPECT_FALSE(engine.SkinImageButton(taken, r, 1, L"")) << "already skinned as a push button";
  const auto stripes = StripesBmp({red, green, blue, grey});
  ASSERT_TRUE(engine.SkinImageButton(sliced, stripes, 4, L"caption"));
  EXPECT_EQ(Record(sliced)->kind, ButtonKind::kImage);
  EXPECT_EQ(Record(sliced)->text, L"caption");
  EXPECT_EQ(GetWindowLongPtrW(sliced, GWL_STYLE) & 0xF, BS_OWNERDRAW);

  const struct {
    UINT state;
    COLORREF colour;
  } looks[] = {{0, red}, {ODS_HOTLIGHT, green}, {ODS_SELECTED | ODS_HOTLIGHT, blue}, {ODS_DISABLED, grey},
               {ODS_FOCUS, red}};
  for (HWND button : {four, sliced}) {
    PaintedFace face(button);
    for (const auto& look : looks)
      EXPECT_TRUE(Near(face.Paint(button, look.state, PaintImageButton).At(12, 6), FromRef(look.colour)))
          << "state " << look.state << (button == four ? " of the four pictures" : " of the stripes");
  }
  // Through the button's own route: hovering shows the hot picture on screen.
  RedrawButtonState(four, 0, true);
  EXPECT_TRUE(Near(PixelAt(four, 12, 6), FromRef(green)));
}

TEST_F(ButtonSkinTest, AButtonWhoseWindowIsGoneIsLeftToItsOwnProcedure) {
  HWND first = Window(), second = Window(), plain = Window();
  HWND stale = Button(first, L"stale", BS_PUSHBUTTON, 20);
  HWND kept = Button(second, L"kept", BS_PUSHBUTTON, 20);
  Skinned(first, kPicture);
  Skinned(second, kPicture);
  ASSERT_EQ(ListIndex(stale), 1);
  ASSERT_EQ(ListIndex(kept), 1);
  SetParent(stale, plain);
  DestroyWindow(first);  // the second window becomes number 1, as the stale button still says
  Pump();
  ASSERT_EQ(PropInt(kept, kPropWindowIndex), 1);
  ASSERT_EQ(PropInt(stale, kPropWindowIndex), 1);
  EXPECT_EQ(Record(stale), nullptr);
  SendMessageW(stale, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Controls().hotIndex, 0) << "the stale button took the other window's record";
  // Its own procedure still clicks.
  SetWindowLongPtrW(plain, GWLP_WNDPROC, LONG_PTR(&CountingProc));
  g_clicked = 0;
  SendMessageW(stale, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(stale, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(g_clicked, 1);
}

}  // namespace
}  // namespace board
