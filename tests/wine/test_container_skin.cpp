// Containers on real windows: one record and one subclass per container, the tab control
// shown as the bare window picture, the group box's caption placed by its alignment, the two
// painting paths and what they do to opaque and transparent children, the control colours
// answered for children, and the tint in captured backgrounds.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "skin/win32/container_skin.h"
#include "skin/win32/control_records.h"
#include "tests/wine/skin_engine_test_access.h"
#include "tests/wine/skin_test_support.h"

namespace board {
namespace {

constexpr COLORREF kPicture = RGB(40, 90, 160);

// A child that paints a red square at its top left and nothing else, counting its paints.
int g_probePaints = 0;
LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_PAINT) {
    ++g_probePaints;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT square{0, 0, 6, 6};
    FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wp, lp);
}
const wchar_t* ProbeClass() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ContainerProbe";
    RegisterClassExW(&wc);
    registered = true;
  }
  return L"ContainerProbe";
}

HWND MakeTab(HWND parent, int x, int y, int w, int h, DWORD style = 0) {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)initialised;
  HWND tab = MakeChild(parent, WC_TABCONTROLW, L"", style, x, y, w, h);
  for (const wchar_t* title : {L"First page", L"Second", L"Third"}) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(title);
    SendMessageW(tab, TCM_INSERTITEMW, SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), LPARAM(&item));
  }
  return tab;
}

COLORREF ArgbToColorref(uint32_t argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}
int Distance(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
         std::abs(GetBValue(a) - GetBValue(b));
}

class ContainerSkinTest : public SkinFixture {
 protected:
  const ContainerRecord* Record(HWND container) {
    SkinControls* controls = engine.ControlsOf(1);
    return controls ? controls->containers.At(controls->containers.Find(container)) : nullptr;
  }
  // Shows the window with the container registered and everything painted.
  void AttachAndPaint(HWND window, HWND container, OptInt colour = Given(0), OptInt alpha = Given(0)) {
    Skinned(window, kPicture);
    ASSERT_TRUE(engine.AttachContainer(container, Given(1), colour, alpha, NotGiven()));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
  }
};

TEST_F(ContainerSkinTest, AContainerIsRegisteredAndSubclassedOnceWithItsSettings) {
  HWND window = Window();
  HWND loose = MakeTab(window, 10, 40, 300, 200);
  // No skinned window above: nothing is registered and nothing changes.
  const LONG_PTR ownProc = GetWindowLongPtrW(loose, GWLP_WNDPROC);
  EXPECT_FALSE(engine.AttachContainer(loose, Given(1), NotGiven(), NotGiven(), NotGiven()));
  EXPECT_EQ(GetWindowLongPtrW(loose, GWLP_WNDPROC), ownProc);
  EXPECT_EQ(GetPropW(loose, L"Hw_lbID"), nullptr);

  HWND button = MakeChild(loose, L"BUTTON", L"Play", BS_PUSHBUTTON, 20, 40, 96, 40);
  Skinned(window, kPicture);
  ASSERT_TRUE(engine.AttachContainer(loose, NotGiven(), Given(0x123456), Given(0x1234), NotGiven()));
  const HANDLE previous = GetPropW(loose, L"Hw_hProc");
  EXPECT_FALSE(engine.AttachContainer(loose, Given(0), Given(1), Given(1), Given(1)))
      << "a second registration does nothing";
  engine.InstallControls(1, loose);

  SkinControls* controls = engine.ControlsOf(1);
  ASSERT_NE(controls, nullptr);
  EXPECT_EQ(controls->containers.Count(), 1) << "the empty first record was filled";
  const ContainerRecord* r = Record(loose);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->type, 1);
  EXPECT_EQ(r->colour, COLORREF(0x123456));
  EXPECT_EQ(r->alpha, 0x34) << "only the low byte of the alpha";
  EXPECT_EQ(r->frame, 0);
  EXPECT_FALSE(r->isGroupBox);
  EXPECT_EQ(GetWindowLongPtrW(loose, GWLP_WNDPROC), LONG_PTR(&ContainerWindowProc));
  EXPECT_EQ(GetPropW(loose, L"Hw_hProc"), previous) << "subclassed once: no procedure calls itself";
  EXPECT_EQ(LONG_PTR(previous), ownProc);
  EXPECT_EQ(PropInt(loose, L"Hw_lbID"), 1);
  EXPECT_EQ(PropInt(loose, L"Hw_FuID"), 1);
  EXPECT_EQ(GetPropW(loose, L"Mb_zpf"), nullptr) << "no window above marks itself";
  const int buttonRecords = int(std::count_if(controls->buttons.begin(), controls->buttons.end(),
                                              [button](const ButtonRecord& b) { return b.window == button; }));
  EXPECT_EQ(buttonRecords, 1) << "the button is skinned once, by the container's installers";

  // The alpha changes only on a tinted container.
  EXPECT_TRUE(engine.SetContainerAlpha(loose, 0x1FF));
  EXPECT_EQ(Record(loose)->alpha, 0xFF);
  HWND plain = MakeTab(window, 320, 40, 200, 100);
  ASSERT_TRUE(engine.AttachContainer(plain, Given(1), NotGiven(), NotGiven(), NotGiven()));
  EXPECT_EQ(Record(plain)->alpha, 255) << "an alpha not given is opaque";
  EXPECT_FALSE(engine.SetContainerAlpha(plain, 10)) << "no colour, no tint to change";
  EXPECT_FALSE(engine.SetContainerAlpha(window, 10));
  EXPECT_FALSE(engine.SetContainerAlpha(nullptr, 10));

  // A destroyed container takes its properties with it; its procedure is the system's again.
  DestroyWindow(loose);
  EXPECT_EQ(controls->containers.Find(loose), 0);
}

TEST_F(ContainerSkinTest, ATabControlWithNoTintShowsOnlyTheWindowPicture) {
  HWND window = Window();
  HWND tab = MakeTab(window, 8, 38, 400, 240);
  AttachAndPaint(window, tab, Given(int32_t(GetSysColor(COLOR_BTNFACE))), Given(0));
  RECT client;
  GetClientRect(tab, &client);
  // The tab strip along the top, its frame along every edge, the page inside.
  int differing = 0, checked = 0;
  for (int y : {0, 1, 2, 5, 10, 15, 20, 25, 30, 120, int(client.bottom) - 2, int(client.bottom) - 1})
    for (int x = 0; x < client.right; x += (y < 30 || y >= client.bottom - 2) ? 3 : 133) {
      const COLORREF screen = PixelAt(tab, x, y);
      const COLORREF buffer = ArgbToColorref(BackBufferPixel(engine, 1, 8 + x, 38 + y));
      ++checked;
      if (Distance(screen, buffer) > 6) {
        if (++differing <= 5) ADD_FAILURE() << "at (" << x << ", " << y << ") the screen shows "
                                            << std::hex << screen << ", the picture " << buffer;
      }
    }
  for (int x : {0, 1, int(client.right) - 2, int(client.right) - 1})
    for (int y = 0; y < client.bottom; y += 7) {
      ++checked;
      if (Distance(PixelAt(tab, x, y), ArgbToColorref(BackBufferPixel(engine, 1, 8 + x, 38 + y))) > 6) ++differing;
    }
  EXPECT_EQ(differing, 0) << "of " << checked << " pixels: a tab strip or a frame shows";
  EXPECT_FALSE(Record(tab)->dirty) << "the first paint was the full one";

  // A parent printing the tab control gets the picture too, not a tab strip.
  ScopedGetDc screen(tab);
  ScopedMemoryDc print(CreateCompatibleDC(screen.get()));
  ScopedBitmap pixels(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
  ScopedSelectObject select(print.get(), pixels.get());
  SendMessageW(tab, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(print.get()), PRF_CLIENT);
  differing = 0;
  for (int y = 0; y < client.bottom; y += 5)
    for (int x = 0; x < client.right; x += 3) differing += Distance(GetPixel(print.get(), x, y), PixelAt(tab, x, y)) > 6;
  EXPECT_EQ(differing, 0) << "the print differs from the screen";
}

TEST_F(ContainerSkinTest, AButtonInAContainerIsDrawnByTheSkinOverThePicture) {
  HWND window = Window();
  HWND tab = MakeTab(window, 8, 38, 400, 240);
  HWND button = MakeChild(tab, L"BUTTON", L"", BS_PUSHBUTTON, 20, 40, 96, 40);
  AttachAndPaint(window, tab);
  EXPECT_EQ(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  // The glass face: the blue picture, lightened. The system's face would be grey, and a
  // button nobody draws would show the bare picture.
  const COLORREF face = PixelAt(button, 48, 30);
  EXPECT_GT(GetBValue(face), GetRValue(face) + 20) << std::hex << face;
  EXPECT_GT(GetRValue(face), GetRValue(kPicture) + 40) << std::hex << face;
}

TEST_F(ContainerSkinTest, AGroupBoxCaptionIsPlacedByItsAlignmentOverADoubleFrame) {
  struct Case {
    DWORD align;
    const char* name;
    int fontHeight = -13;
    DWORD quality = 0;
  };
  // The last font's line is taller than its size + 3, the caption band: it must show all
  // the same.
  for (const Case& c : {Case{BS_CENTER, "centre"}, Case{BS_LEFT, "left"}, Case{BS_RIGHT, "right"},
                        Case{0, "no alignment"}, Case{0, "a tall line", -12, CLEARTYPE_QUALITY}}) {
    HWND window = Window();
    HWND box = MakeChild(window, L"BUTTON", L"Volume", BS_GROUPBOX | c.align, 100, 60, 200, 120);
    ScopedFont font(CreateFontW(c.fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, c.quality, 0, L"Tahoma"));
    SendMessageW(box, WM_SETFONT, WPARAM(font.get()), 0);
    AttachAndPaint(window, box);
    const ContainerRecord* r = Record(box);
    ASSERT_NE(r, nullptr) << c.name;
    EXPECT_TRUE(r->isGroupBox);
    EXPECT_NEAR(r->fontSize, -c.fontHeight, 1);
    EXPECT_EQ(r->fontName, L"Tahoma");
    // The caption's ink: pixels far darker than the picture, in the caption band.
    int first = -1, last = -1;
    for (int x = 0; x < 200; ++x)
      for (int y = 1; y < 1 + r->fontSize + 3; ++y) {
        const COLORREF p = PixelAt(box, x, y);
        if (GetRValue(p) + GetGValue(p) + GetBValue(p) < 150) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    ASSERT_GE(first, 0) << c.name << ": no caption drawn";
    if (c.align == BS_CENTER) {
      EXPECT_NEAR((first + last) / 2.0, 100.0, 3.0) << c.name;
    } else if (c.align == BS_LEFT) {
      EXPECT_GE(first, 10) << c.name;
      EXPECT_LE(first, 13) << c.name;
    } else {
      EXPECT_LE(last, 190) << c.name;
      EXPECT_GE(last, 186) << c.name;
    }
    // The frame: a dark outer line at the left edge, a light inner one beside it, and no
    // line through the caption.
    const COLORREF outer = PixelAt(box, 0, 60), inner = PixelAt(box, 1, 60), inside = PixelAt(box, 50, 60);
    EXPECT_LT(GetBValue(outer), GetBValue(inside)) << c.name << ": no dark outer line";
    EXPECT_GT(GetRValue(inner), GetRValue(inside)) << c.name << ": no light inner line";
    const int mid = (first + last) / 2;
    EXPECT_EQ(Distance(PixelAt(box, mid, 1), kPicture), 0) << c.name << ": a frame line above the caption";
    DestroyWindow(window);
  }
}

TEST_F(ContainerSkinTest, TheFirstPaintAfterAResizeIsTheFullOneAndLaterOnesSpareTheChildren) {
  HWND window = Window();
  // Clipping its children, the tab control gets its own paints, not theirs.
  HWND tab = MakeTab(window, 8, 38, 400, 240, WS_CLIPCHILDREN);
  HWND label = MakeChild(tab, ProbeClass(), L"", 0, 30, 60, 40, 30, WS_EX_TRANSPARENT);
  HWND opaque = MakeChild(tab, ProbeClass(), L"", 0, 200, 60, 40, 30);
  AttachAndPaint(window, tab);
  ASSERT_FALSE(Record(tab)->dirty);

  // A later paint: the transparent label is asked to draw itself over the new background.
  g_probePaints = 0;
  RedrawWindow(tab, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
  Pump();
  EXPECT_GE(g_probePaints, 1) << "the transparent child was not repainted";
  EXPECT_EQ(PixelAt(label, 2, 2), RGB(0, 0, 0)) << "its drawing is on screen again";
  EXPECT_EQ(Distance(PixelAt(label, 20, 20), kPicture), 0) << "the picture around it";

  // A resize: the next paint is the full one through the paint DC, which leaves the
  // children to the system.
  SetWindowPos(tab, nullptr, 0, 0, 420, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  EXPECT_TRUE(Record(tab)->dirty);
  g_probePaints = 0;
  RedrawWindow(tab, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
  EXPECT_FALSE(Record(tab)->dirty);
  Pump();
  EXPECT_EQ(g_probePaints, 0) << "the full paint asked a child to repaint";

  // Called directly, the direct repaint leaves the opaque child's pixels alone.
  PaintContainerDirect(engine, 1, 1);
  EXPECT_EQ(PixelAt(opaque, 2, 2), RGB(0, 0, 0)) << "the opaque child was painted over";
  EXPECT_EQ(Distance(PixelAt(label, 2, 2), kPicture), 0) << "the transparent one is painted over";
  Pump();
  EXPECT_EQ(PixelAt(label, 2, 2), RGB(0, 0, 0)) << "and then draws itself again";
}

TEST_F(ContainerSkinTest, ChildrenGetTheirControlColoursFromTheContainer) {
  HWND window = Window();
  HWND tab = MakeTab(window, 8, 38, 400, 240);
  HWND edit = MakeChild(tab, L"EDIT", L"text", 0, 20, 40, 100, 24);
  HWND combo = MakeChild(tab, L"COMBOBOX", L"", CBS_DROPDOWN, 20, 80, 100, 200);
  HWND comboEdit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
  HWND list = MakeChild(tab, L"LISTBOX", L"", 0, 150, 40, 100, 60);
  HWND drawnList = MakeChild(tab, L"LISTBOX", L"", LBS_OWNERDRAWFIXED, 150, 110, 100, 60);
  HWND button = MakeChild(tab, L"BUTTON", L"b", BS_PUSHBUTTON, 260, 40, 80, 30);
  AttachAndPaint(window, tab);
  ASSERT_NE(comboEdit, nullptr);
  HDC dc = GetDC(tab);
  auto ask = [&](UINT message, HWND child) { return SendMessageW(tab, message, WPARAM(dc), LPARAM(child)); };
  const LRESULT nullBrush = LRESULT(GetStockObject(NULL_BRUSH));

  const LRESULT pattern = ask(WM_CTLCOLOREDIT, edit);
  EXPECT_NE(pattern, 0);
  EXPECT_NE(pattern, nullBrush);
  EXPECT_EQ(HANDLE(pattern), GetPropW(edit, L"Kj_dxjb")) << "the brush is named on the child";
  EXPECT_NE(GetPropW(edit, L"Kj_wtjb"), nullptr);
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_NE(ask(WM_CTLCOLORSTATIC, edit), nullBrush) << "statics get the picture too";

  EXPECT_EQ(GetPropW(comboEdit, L"Kj_dxjb"), nullptr);
  ask(WM_CTLCOLOREDIT, comboEdit);
  EXPECT_EQ(GetPropW(comboEdit, L"Kj_dxjb"), nullptr) << "a combo box's edit keeps its own colours";

  EXPECT_EQ(ask(WM_CTLCOLORBTN, button), nullBrush);
  EXPECT_EQ(ask(WM_CTLCOLORLISTBOX, list), nullBrush);
  EXPECT_NE(ask(WM_CTLCOLORLISTBOX, drawnList), nullBrush) << "an owner-drawn list draws its own";

  // Without a control alpha nothing is answered.
  engine.SetControlSkinning(1, NotGiven(), NotGiven());
  EXPECT_NE(ask(WM_CTLCOLORBTN, button), nullBrush);
  ReleaseDC(tab, dc);
}

TEST_F(ContainerSkinTest, CapturedBackgroundsCarryTheContainersTint) {
  HWND window = Window();
  HWND tab = MakeTab(window, 8, 38, 400, 240);
  HWND control = MakeChild(tab, L"STATIC", L"", 0, 50, 60, 40, 30);
  HWND box = MakeChild(window, L"BUTTON", L"", BS_GROUPBOX, 500, 60, 120, 120);
  Skinned(window, kPicture);
  ASSERT_TRUE(engine.AttachContainer(tab, Given(1), Given(RGB(255, 0, 0)), Given(128), NotGiven()));
  ASSERT_TRUE(engine.AttachContainer(box, Given(1), Given(RGB(0, 255, 0)), Given(255), NotGiven()));
  Pump();
  const COLORREF halfRed = RGB(148, 45, 80);  // the picture under red at alpha 128

  HDC behindControl = engine.CaptureBackground(control, RECT{0, 0, 40, 30});
  ASSERT_NE(behindControl, nullptr);
  EXPECT_LE(Distance(GetPixel(behindControl, 10, 10), halfRed), 6) << "a control on a tinted page";
  EXPECT_EQ(engine.FreeBackground(behindControl), 1);

  RECT boxClient;
  GetClientRect(box, &boxClient);
  HDC behindBox = engine.CaptureBackground(box, boxClient);
  ASSERT_NE(behindBox, nullptr);
  EXPECT_EQ(GetPixel(behindBox, 60, 60) & 0xFFFFFF, RGB(0, 255, 0)) << "inside the rounded shape";
  EXPECT_EQ(Distance(GetPixel(behindBox, 60, 2), kPicture), 0) << "above the frame's top edge";
  EXPECT_EQ(engine.FreeBackground(behindBox), 1);
  EXPECT_EQ(engine.FreeBackground(nullptr), 0);

  // The tint is on screen too, and follows SetContainerAlpha.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  EXPECT_LE(Distance(PixelAt(tab, 300, 200), halfRed), 6);
  ASSERT_TRUE(engine.SetContainerAlpha(tab, 0));
  UpdateWindow(tab);
  EXPECT_EQ(Distance(PixelAt(tab, 300, 200), kPicture), 0);
}

}  // namespace
}  // namespace board
