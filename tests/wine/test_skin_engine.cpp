// The skin engine on real windows: records and their numbering, the settings, the control
// colours, the composed back buffer, the caption's commands and the maximise limits.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "skin/win32/back_buffer.h"
#include "skin/win32/gdiplus_session.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_drawing.h"
#include "skin/win32/skin_images.h"
#include "skin/win32/skin_window.h"
#include "tests/wine/skin_engine_test_access.h"
#include "tests/wine/skin_test_support.h"

namespace board {
namespace {

using gp::RectF;

constexpr int kWidth = 786, kHeight = 315;

intptr_t IndexProp(HWND w) { return reinterpret_cast<intptr_t>(GetPropW(w, L"Hw_lbID")); }

// GdipDisposeImage passed through to GDI+, noting whether a watched bitmap still existed
// at the first disposal after the watch began.
struct DisposeWatch {
  static inline FARPROC real = nullptr;
  static inline HBITMAP watched = nullptr;
  static inline bool seen = false, aliveWhenSeen = false;
  static Gdiplus::GpStatus WINAPI Dispose(Gdiplus::GpImage* image) {
    if (watched && !seen) {
      seen = true;
      aliveWhenSeen = GetObjectType(watched) == OBJ_BITMAP;
    }
    return reinterpret_cast<decltype(&Gdiplus::DllExports::GdipDisposeImage)>(
        reinterpret_cast<void*>(real))(image);
  }
};

class SkinEngineTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HWND w : windows)
      if (IsWindow(w)) DestroyWindow(w);
    Pump();
  }
  HWND Window(const wchar_t* title = L"Skinned") {
    windows.push_back(MakeWindow(title));
    return windows.back();
  }
  GdiPlusSession gdiPlus;
  SkinEngine engine{StoredSkinArt(nullptr)};
  std::vector<HWND> windows;
};

TEST_F(SkinEngineTest, AttachKeepsTheFirstRecordRaisesTheCaptionAndRenumbersOnDestroy) {
  HWND first = Window(), second = Window();
  ASSERT_TRUE(engine.AttachWindow(first, 20, 1, {}));
  EXPECT_EQ(WindowState(engine, 1).captionHeight, 25) << "below 25 becomes 25";
  EXPECT_FALSE(engine.AttachWindow(first, 40, 1, {})) << "a second attach changes nothing";
  EXPECT_EQ(engine.WindowCount(), 1u);
  EXPECT_EQ(WindowState(engine, 1).captionHeight, 25);
  ASSERT_TRUE(engine.AttachWindow(second, 40, 1, {}));
  EXPECT_EQ(WindowState(engine, 2).captionHeight, 40);
  EXPECT_EQ(IndexProp(second), 2);
  EXPECT_TRUE(GetWindowLongPtrW(first, GWL_STYLE) & WS_SYSMENU);

  DestroyWindow(first);
  EXPECT_EQ(engine.WindowCount(), 1u);
  EXPECT_EQ(IndexProp(second), 1) << "the index properties follow the list";
  EXPECT_EQ(engine.IndexOf(second), 1);
  EXPECT_EQ(GetPropW(first, L"Hw_lbID"), nullptr);
}

TEST_F(SkinEngineTest, SettingsTakeTheirDefaultsAndTheThemeCanFollowTheFace) {
  engine.SetControlSkinning(1, NotGiven(), NotGiven());
  EXPECT_EQ(engine.settings().controlAlpha, 160);
  EXPECT_EQ(engine.settings().controlAlphaGiven, 0);
  EXPECT_EQ(engine.settings().controlOption, 1);
  engine.SetControlSkinning(0, Given(0), Given(3));
  EXPECT_EQ(engine.settings().controlAlpha, 0);
  EXPECT_EQ(engine.settings().controlAlphaGiven, 1);
  EXPECT_EQ(engine.settings().controlsEnabled, 0);

  engine.SetSkinImage(nullptr, {}, NotGiven(), NotGiven(), NotGiven());
  EXPECT_EQ(engine.settings().themeColour, 0xDDCA22u) << "nothing to apply: only the theme";
  engine.SetSkinImage(nullptr, {}, Given(0x123456), Given(-1), NotGiven());
  EXPECT_EQ(engine.settings().themeColour, 0x123456u);
  // With a picture and no face colour, the face is the picture's own colour.
  const auto bmp = SolidBmp(40, 30, RGB(0x20, 0x80, 0xC0));
  engine.SetSkinImage(nullptr, bmp, NotGiven(), Given(-1), Given(3));
  EXPECT_EQ(engine.faceColour(), RGB(0x20, 0x80, 0xC0));
  EXPECT_EQ(engine.settings().themeColour, RGB(0x20, 0x80, 0xC0));
  EXPECT_EQ(engine.settings().imageMode, 3);
}

TEST_F(SkinEngineTest, ControlColoursAreAnsweredOnlyWhenAnAlphaWasGiven) {
  HWND window = Window();
  HWND button = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, 10, 40, 80, 30, window,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(engine.AttachWindow(window, 25, 1, {}));
  HDC dc = GetDC(button);
  engine.SetControlSkinning(1, NotGiven(), NotGiven());
  const LRESULT passed = SendMessageW(window, WM_CTLCOLORBTN, WPARAM(dc), LPARAM(button));
  EXPECT_NE(passed, LRESULT(GetStockObject(NULL_BRUSH))) << "answered without an alpha";
  engine.SetControlSkinning(1, Given(0), NotGiven());
  EXPECT_EQ(SendMessageW(window, WM_CTLCOLORBTN, WPARAM(dc), LPARAM(button)),
            LRESULT(GetStockObject(NULL_BRUSH)));
  ReleaseDC(button, dc);
}

TEST_F(SkinEngineTest, TheBackBufferHoldsShapeBorderPictureAndTitle) {
  const COLORREF blue = RGB(0x20, 0x60, 0xC0);
  const auto bmp = SolidBmp(64, 48, blue);
  engine.SetSkinImage(nullptr, bmp, Given(0), Given(0), Given(3));
  HWND window = Window(L"WWWWWWWW");
  ASSERT_TRUE(engine.AttachWindow(window, 25, 1, {}));
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  Pump();
  auto rgb = [](uint32_t argb) { return argb & 0xFFFFFF; };
  EXPECT_EQ(rgb(BackBufferPixel(engine, 1, 0, 0)), 0xFF00FFu) << "magenta outside the rounded shape";
  EXPECT_EQ(rgb(BackBufferPixel(engine, 1, kWidth - 1, kHeight - 1)), 0xFF00FFu);
  const uint32_t inside = rgb(BackBufferPixel(engine, 1, 400, 200));
  EXPECT_EQ(inside, 0x2060C0u) << "the stretched picture (0xRRGGBB)";
  // The outer line darkens the picture, the inner one lightens it.
  const uint32_t outer = BackBufferPixel(engine, 1, 0, 150), inner = BackBufferPixel(engine, 1, 1, 150);
  EXPECT_LT(outer & 0xFF, 0xC0u / 2) << std::hex << outer;
  EXPECT_GT(inner & 0xFF, 0xC0u) << std::hex << inner;
  // The white title with its grey outline lies right of the icon.
  int white = 0;
  for (int y = 4; y < 22; ++y)
    for (int x = 30; x < 120; ++x) white += rgb(BackBufferPixel(engine, 1, x, y)) == 0xFFFFFFu;
  EXPECT_GT(white, 20) << "no title pixels";
}

TEST_F(SkinEngineTest, CaptionDoubleClickMaximisesAndRestoresAndTheCloseButtonCloses) {
  HWND window = Window();
  ASSERT_TRUE(engine.AttachWindow(window, 25, 1, {}));
  ShowWindow(window, SW_SHOWNA);
  Pump();
  SendMessageW(window, WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 10));
  Pump();
  EXPECT_TRUE(WindowState(engine, 1).maximised);
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
  MINMAXINFO info{};
  SendMessageW(window, WM_GETMINMAXINFO, 0, LPARAM(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 200);
  EXPECT_EQ(info.ptMinTrackSize.y, 150);
  EXPECT_EQ(info.ptMaxTrackSize.x, GetSystemMetrics(SM_CXSCREEN));

  SendMessageW(window, WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 10));
  Pump();
  EXPECT_FALSE(WindowState(engine, 1).maximised);
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, kWidth) << "restored to its size";
  SendMessageW(window, WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 60));
  Pump();
  EXPECT_FALSE(WindowState(engine, 1).maximised) << "below the caption a double-click does nothing";

  // The strip's last button closes: the close command reaches the window.
  engine.RunCaptionButton(1, 99);  // out of range: nothing
  EXPECT_TRUE(IsWindow(window));
  engine.RunCaptionButton(1, 5);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(engine.WindowCount(), 0u);
}

// White pixels of a caption button's box in the back buffer: the glyph's strokes.
int GlyphPixels(const SkinEngine& engine, int button, CaptionKind kind) {
  const BoxF box = CaptionButtonBox(WindowState(engine, 1).strip, button, kind);
  int white = 0;
  for (int y = int(box.y); y < int(box.y + box.height); ++y)
    for (int x = int(box.x); x < int(box.x + box.width); ++x)
      white += (BackBufferPixel(engine, 1, x, y) & 0xFFFFFF) == 0xFFFFFF;
  return white;
}

TEST_F(SkinEngineTest, MaximisedWindowsShowTheRestoreGlyphAndCustomButtonsComeFirst) {
  HWND window = Window();
  ASSERT_TRUE(engine.AttachWindow(window, 25, 1, {}));
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  Pump();
  const int maximiseGlyph = GlyphPixels(engine, 4, CaptionKind::kMaximize);
  EXPECT_GT(maximiseGlyph, 20);
  engine.RunCaptionButton(1, 4);
  Pump();
  UpdateWindow(window);
  ASSERT_TRUE(WindowState(engine, 1).maximised);
  EXPECT_FALSE(WindowState(engine, 1).fullRepaint) << "the maximised window was not painted again";
  const int restoreGlyph = GlyphPixels(engine, 4, CaptionKind::kMaximize);
  EXPECT_GT(restoreGlyph, 20);
  EXPECT_NE(restoreGlyph, maximiseGlyph) << "the maximise box still shows the maximise glyph";
  engine.RunCaptionButton(1, 4);
  Pump();
  EXPECT_FALSE(WindowState(engine, 1).maximised);

  const int widthBefore = engine.GetCaptionStripRect(window).width;
  int ran = 0;
  ASSERT_TRUE(engine.AddCaptionButton(window, SkinImageFile(SkinImage::kHelpGlyph), L"mine", [&] { ++ran; }));
  EXPECT_EQ(engine.GetCaptionStripRect(window).width, widthBefore + 27);
  const BoxF first = CaptionButtonBox(WindowState(engine, 1).strip, 1, CaptionKind::kCustom);
  EXPECT_EQ(engine.HitCaptionButton(1, int(first.x) + 3, 5), 1);
  engine.RunCaptionButton(1, 1);
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(engine.FindMaximizeButton(1), 5) << "the default buttons moved one place right";
}

TEST_F(SkinEngineTest, EdgeBlendingFadesThePictureIntoTheColour) {
  const auto red = SolidBmp(100, 50, RGB(255, 0, 0));
  for (bool left : {false, true}) {
    const std::vector<uint8_t> png = SkinEngine::BlendImageEdge(red, RGB(0, 0, 255), 0, left);
    gp::Bitmap blended = gp::Bitmap::FromByteSet(png);
    ASSERT_EQ(blended.Width(), 100u);
    ASSERT_EQ(blended.Height(), 50u);
    gp::ARGB faded = 0, kept = 0, bottom = 0;
    blended.GetPixel(left ? 0 : 99, 0, &faded);
    blended.GetPixel(left ? 99 : 0, 0, &kept);
    blended.GetPixel(50, 49, &bottom);
    EXPECT_GT(faded & 0xFF, 0xC0u) << "the faded edge takes the colour (left " << left << ")";
    EXPECT_EQ(kept & 0xFFFFFF, 0xFF0000u) << "the far side keeps the picture";
    EXPECT_GT(bottom & 0xFF, 0xC0u) << "the bottom edge fades too";
  }
  EXPECT_TRUE(SkinEngine::BlendImageEdge({}, 0, 0, false).empty());
}

TEST_F(SkinEngineTest, TheItemStripShowsItsTextsAndFillWindowsFollowTheSize) {
  HWND window = Window();
  HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 40, 50, 50, window,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  AttachWindowOptions options;
  options.itemCount = Given(2);
  options.itemTexts = {L"WWWW", L"MMMM"};
  ASSERT_TRUE(engine.AttachWindow(window, 25, 1, options));
  ASSERT_TRUE(engine.AddToFillList(window, child));
  const RECT strip = engine.ItemStripRect(1);
  EXPECT_EQ(strip.bottom, kHeight - 3);
  EXPECT_EQ(strip.bottom - strip.top, 22);
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  Pump();
  int white = 0;
  for (int y = strip.top; y < strip.bottom; ++y)
    for (int x = strip.left; x < 120; ++x) white += (BackBufferPixel(engine, 1, x, y) & 0xFFFFFF) == 0xFFFFFF;
  EXPECT_GT(white, 20) << "no item text in the strip";

  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.right, kWidth - 2);
  EXPECT_EQ(r.bottom, strip.top);
  SetWindowPos(window, nullptr, 0, 0, kWidth + 100, kHeight + 50, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.right, kWidth + 100 - 2) << "the fill window did not follow the width";
  EXPECT_EQ(r.bottom, kHeight + 50 - 3 - 22) << "nor the height";
}

// A resize scales the stretched picture fast; once the size stands still the picture is
// scaled again at high quality, so the window ends as one made at that size to begin with.
TEST_F(SkinEngineTest, AResizedPictureSettlesToTheHighQualityScale) {
  engine.SetSkinImage(nullptr, SkinImageFile(SkinImage::kBackground), NotGiven(), NotGiven(), Given(3));
  HWND resized = Window(), fresh = Window();
  SetWindowPos(fresh, nullptr, 0, 0, 600, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND w : {resized, fresh}) {
    ASSERT_TRUE(engine.AttachWindow(w, 25, 1, {}));
    ShowWindow(w, SW_SHOWNA);
    UpdateWindow(w);
  }
  Pump();
  // The engine leaves the first size change of all as it is; the second one is a resize,
  // inside the system's move-and-size loop as a drag of an edge would be.
  SendMessageW(resized, WM_ENTERSIZEMOVE, 0, 0);
  for (SIZE size : {SIZE{700, 290}, SIZE{600, 260}}) {
    SetWindowPos(resized, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(resized, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  // Points of the picture away from the caption, the border and the shape's corners.
  auto differing = [this] {
    int count = 0;
    for (int y = 40; y < 250; y += 23)
      for (int x = 10; x < 590; x += 37) count += BackBufferPixel(engine, 1, x, y) != BackBufferPixel(engine, 2, x, y);
    return count;
  };
  const DWORD start = GetTickCount();
  while (differing() > 0 && GetTickCount() - start < 3000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  EXPECT_EQ(differing(), 0) << "the resized window never got the high-quality picture";
}

// A picture decoded and scaled ahead on its own thread shows exactly as one decoded when
// set; bytes that are not the program's own are left to the set, which still takes them.
// A window shown before the picture is ready gives a child that paints first the picture
// behind it, not an empty buffer.
TEST_F(SkinEngineTest, APreloadedPictureShowsAsOneDecodedWhenSet) {
  const auto stored = SkinImageFile(SkinImage::kBackground);
  // The board's way, its colour given: the set leaves the preload running, the first paint takes it.
  engine.PreloadPicture(stored, kWidth, kHeight);
  engine.SetSkinImage(nullptr, stored, Given(0), Given(0), Given(3));
  HWND window = Window();
  HWND child = MakeChild(window, L"STATIC", L"", 0, 300, 150, 40, 30);
  ASSERT_TRUE(engine.AttachWindow(window, 25, 1, {}));
  ShowWindow(window, SW_SHOWNA);
  HDC behind = engine.CaptureBackground(child, RECT{0, 0, 40, 30});
  ASSERT_NE(behind, nullptr);
  const COLORREF captured = GetPixel(behind, 7, 9);
  engine.FreeBackground(behind);
  UpdateWindow(window);
  Pump();
  const uint32_t painted = BackBufferPixel(engine, 1, 307, 159);
  EXPECT_EQ(captured, RGB((painted >> 16) & 0xFF, (painted >> 8) & 0xFF, painted & 0xFF));
  auto samples = [this] {
    std::vector<uint32_t> s;
    for (int y = 30; y < kHeight - 5; y += 17)
      for (int x = 5; x < kWidth - 5; x += 29) s.push_back(BackBufferPixel(engine, 1, x, y));
    return s;
  };
  const std::vector<uint32_t> preloaded = samples();
  engine.SetSkinImage(nullptr, stored, Given(0), Given(0), Given(3));  // decoded here, now
  EXPECT_EQ(samples(), preloaded);
  // The colour to be found in the picture: the set takes the preload at once.
  engine.PreloadPicture(stored, kWidth, kHeight);
  engine.SetSkinImage(nullptr, stored, NotGiven(), Given(0), Given(3));
  const std::vector<uint32_t> found = samples();
  engine.SetSkinImage(nullptr, stored, NotGiven(), Given(0), Given(3));
  EXPECT_EQ(samples(), found);

  const auto bmp = SolidBmp(64, 48, RGB(0x30, 0x90, 0x50));
  engine.PreloadPicture(bmp, kWidth, kHeight);
  engine.SetSkinImage(nullptr, bmp, Given(0), Given(0), Given(3));
  EXPECT_EQ(BackBufferPixel(engine, 1, 300, 150) & 0xFFFFFF, 0x309050u);
}

TEST_F(SkinEngineTest, CapturedBackgroundsShowTheSkinBehindAControlAndAreFreedOnce) {
  const auto bmp = SolidBmp(64, 48, RGB(0x30, 0x90, 0x50));
  engine.SetSkinImage(nullptr, bmp, Given(0), Given(0), Given(3));
  HWND window = Window();
  HWND child = MakeChild(window, L"STATIC", L"", 0, 100, 80, 40, 30);
  ASSERT_TRUE(engine.AttachWindow(window, 25, 1, {}));
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  Pump();
  EXPECT_EQ(engine.FreeBackground(nullptr), 0);
  EXPECT_EQ(engine.FreeBackground(GetDC(child)), 0) << "a DC that was never captured";
  const long gdiBefore = LiveGdiObjects();
  const RECT area{0, 0, 40, 30};
  HDC background = engine.CaptureBackground(child, area);
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(GetPixel(background, 5, 5) & 0xFFFFFF, RGB(0x30, 0x90, 0x50) & 0xFFFFFFu)
      << "the picture behind the control";
  EXPECT_EQ(engine.FreeBackground(background), 1);
  EXPECT_EQ(engine.FreeBackground(background), 0) << "freed twice";
  EXPECT_EQ(LiveGdiObjects(), gdiBefore);

  // The rounded outline clamps its corner to 1..100.
  auto bounds = [](float r) {
    gp::GraphicsPath path;
    AddRoundRect(path, 0, 0, 300, 300, r);
    RectF b;
    path.GetBounds(&b);
    return b;
  };
  EXPECT_EQ(bounds(0).Width, bounds(1).Width);
  EXPECT_EQ(bounds(500).Width, bounds(100).Width);
}

// Growing the back buffer lets go of the surface over the old pixels before the bitmap
// that holds them, and a window's caption tooltip is its record's alone: the system does
// not destroy it with the window, so the record never destroys a stale handle.
TEST_F(SkinEngineTest, ResourcesGoBeforeWhatTheyDependOnAndNeverTwice) {
  HWND window = Window();
  {
    auto& entry = gp::Api().GdipDisposeImage;
    DisposeWatch::real = entry.Bind();
    ASSERT_NE(DisposeWatch::real, nullptr);
    const HMODULE module = entry.module();
    BackBuffer buffer;
    ASSERT_TRUE(buffer.Ensure(window, 40, 30));
    DisposeWatch::watched = static_cast<HBITMAP>(GetPropW(window, L"Ck_wtjbdx"));
    ASSERT_NE(DisposeWatch::watched, nullptr);
    entry.BindTo(reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&DisposeWatch::Dispose)));
    const bool grown = buffer.Ensure(window, 80, 60);
    entry.BindTo(DisposeWatch::real, module);
    ASSERT_TRUE(grown);
    ASSERT_TRUE(DisposeWatch::seen) << "the old surface was never disposed";
    EXPECT_TRUE(DisposeWatch::aliveWhenSeen) << "the bitmap went before the surface over it";
    RemovePropW(window, L"Ck_wtjbdx");
    RemovePropW(window, L"Ck_Ycjdx");
  }

  const long liveBefore = gp::LiveGdiPlusObjects();
  HWND owner = Window();
  HWND tip = nullptr;
  {
    SkinWindow record;
    record.window = owner;
    ASSERT_TRUE(record.tooltip.Create(owner));
    tip = record.tooltip.window();
    DestroyWindow(owner);
    EXPECT_TRUE(IsWindow(tip)) << "the system destroyed the tooltip with the window";
  }
  EXPECT_FALSE(IsWindow(tip)) << "the record left its tooltip";
  EXPECT_EQ(gp::LiveGdiPlusObjects(), liveBefore);
}

}  // namespace
}  // namespace board
