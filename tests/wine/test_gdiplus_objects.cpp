// The GDI+ wrappers against Wine's GDI+: images through memory streams and encoders,
// drawing that reaches the pixels, and no native object left behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "skin/colour.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/gdiplus_session.h"
#include "skin/win32/tooltip.h"

namespace board::gp {
namespace {

constexpr ARGB kRed = 0xFFFF0000;
constexpr ARGB kBlue = 0xFF0000FF;
constexpr ARGB kWhite = 0xFFFFFFFF;

// Every test starts GDI+ and must give back every object it made.
class GdiPlusObjects : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(session_.token(), 0u);
    liveBefore_ = LiveGdiPlusObjects();
    gdiBefore_ = LiveGdiObjects();
  }
  void TearDown() override {
    EXPECT_EQ(LiveGdiPlusObjects(), liveBefore_) << "a wrapper leaked its native object";
    EXPECT_EQ(LiveGdiObjects(), gdiBefore_) << "a GDI object was leaked";
  }
  static ARGB Pixel(Bitmap& b, int x, int y) {
    ARGB c = 0;
    EXPECT_TRUE(b.GetPixel(x, y, &c)) << x << "," << y;
    return c;
  }
  GdiPlusSession session_;
  long liveBefore_ = 0;
  long gdiBefore_ = 0;
};

TEST_F(GdiPlusObjects, PngSavedFromABitmapLoadsAgainWithTheSameSize) {
  Bitmap source = Bitmap::FromScan0(37, 23);
  ASSERT_TRUE(source) << source.status();
  ASSERT_TRUE(source.SetPixel(3, 4, 0xFF112233));
  std::vector<uint8_t> png = source.SaveToBytes(kPngFormat);
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);

  Image image = Image::FromByteSet(png);
  ASSERT_TRUE(image) << image.status();
  EXPECT_EQ(image.Width(), 37u);
  EXPECT_EQ(image.Height(), 23u);

  // The decoded image keeps its own copy: the caller's bytes may go at once.
  Bitmap decoded = Bitmap::FromByteSet(png);
  png.assign(png.size(), 0);
  png.clear();
  Bitmap target = Bitmap::FromScan0(37, 23);
  {
    Graphics g = Graphics::FromImage(target);
    ASSERT_TRUE(g.DrawImage(decoded, 0, 0));
  }
  EXPECT_EQ(Pixel(target, 3, 4), 0xFF112233u);
  EXPECT_EQ(Pixel(decoded, 3, 4), 0xFF112233u);

  // With no format given the image's own (PNG) is used again.
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  EXPECT_TRUE(image.Save(stream));
  STATSTG stat = {};
  stream->Stat(&stat, STATFLAG_NONAME);
  EXPECT_GT(stat.cbSize.QuadPart, 8u);
  stream->Release();
}

TEST_F(GdiPlusObjects, EmptyOrDamagedBytesFailCleanly) {
  Bitmap empty = Bitmap::FromByteSet({});
  EXPECT_FALSE(empty);
  EXPECT_NE(empty.status(), Gdiplus::Ok);
  EXPECT_NE(LastStatus(), Gdiplus::Ok);
  EXPECT_EQ(empty.Width(), 0u);
  EXPECT_NE(empty.status(), Gdiplus::Ok);
  ARGB c = 0;
  EXPECT_FALSE(empty.GetPixel(0, 0, &c));
  EXPECT_TRUE(empty.SaveToBytes().empty());
  EXPECT_FALSE(empty.Rotate(90));
  EXPECT_FALSE(Graphics::FromImage(empty));

  const uint8_t junk[] = {0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  Image damaged = Image::FromByteSet(junk);
  EXPECT_FALSE(damaged);
  EXPECT_NE(damaged.status(), Gdiplus::Ok);
  // (the fixture checks that the stream under the failed decode was released)
}

TEST_F(GdiPlusObjects, EncoderLookupAndSavingToAFile) {
  CLSID clsid;
  EXPECT_TRUE(FindEncoder(kPngFormat, &clsid));
  EXPECT_TRUE(FindEncoder(L"{b96b3caf-0728-11d3-9d7b-0000f81ef32e}", &clsid));
  EXPECT_FALSE(FindEncoder(L"{00000000-0000-0000-0000-000000000000}", &clsid));
  EXPECT_FALSE(FindEncoder(L"not a guid", &clsid));

  Bitmap b = Bitmap::FromScan0(5, 7);
  EXPECT_TRUE(b.SaveToBytes(L"{00000000-0000-0000-0000-000000000000}").empty());
  EXPECT_EQ(b.status(), Gdiplus::UnknownImageFormat);

  wchar_t dir[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, dir), 0u);
  const std::wstring path = std::wstring(dir) + L"board_gdiplus_save.bmp";
  ASSERT_TRUE(b.Save(path));  // BMP unless told otherwise
  {
    Image loaded = Image::FromFile(path);
    ASSERT_TRUE(loaded) << loaded.status();
    EXPECT_EQ(loaded.Width(), 5u);
    EXPECT_EQ(loaded.Height(), 7u);
    std::vector<uint8_t> bmp = loaded.SaveToBytes(kBmpFormat);
    ASSERT_GE(bmp.size(), 2u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
  }
  DeleteFileW(path.c_str());
}

TEST_F(GdiPlusObjects, RotateTurnsClockwiseIntoItsBoundingBox) {
  Bitmap b = Bitmap::FromScan0(20, 10);
  {
    Graphics g = Graphics::FromImage(b);
    SolidBrush red(kRed), blue(kBlue);
    ASSERT_TRUE(g.FillRectangle(red, RectF(0, 0, 10, 10)));
    ASSERT_TRUE(g.FillRectangle(blue, RectF(10, 0, 10, 10)));
  }
  Bitmap turned = b.Rotate(90);
  ASSERT_TRUE(turned) << turned.status();
  EXPECT_EQ(turned.Width(), 10u);
  EXPECT_EQ(turned.Height(), 20u);
  // Clockwise: the left half comes to the top.
  EXPECT_EQ(Pixel(turned, 5, 4), kRed);
  EXPECT_EQ(Pixel(turned, 5, 15), kBlue);

  Bitmap diagonal = b.Rotate(45);
  EXPECT_EQ(diagonal.Width(), 22u);  // (20 + 10) * cos 45° = 21.2
  EXPECT_EQ(diagonal.Height(), 22u);
  Bitmap same = b.Rotate(0);
  EXPECT_EQ(same.Width(), 20u);
  EXPECT_EQ(same.Height(), 10u);
}

TEST_F(GdiPlusObjects, ApplyEffectReportsWhatTheSystemDid) {
  // A sharp edge: white on the left, black on the right.
  Bitmap b = Bitmap::FromScan0(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) b.SetPixel(x, y, x < 4 ? kWhite : 0xFF000000);
  const GUID blur = {0x633C80A4, 0x1843, 0x482B, {0x9E, 0xF2, 0xBE, 0x28, 0x34, 0xC5, 0xFD, 0xD4}};
  struct {
    float radius;
    BOOL expandEdge;
  } params = {3.0f, FALSE};
  const bool applied = b.ApplyEffect(blur, &params, sizeof(params));
  std::printf("ApplyEffect (blur): status %d\n", int(b.status()));
  // Success must mean the edge softened; a system without effects (Wine) must say it failed
  // and leave the pixels alone.
  if (applied) {
    EXPECT_NE(Pixel(b, 3, 4), kWhite);
  } else {
    EXPECT_NE(b.status(), Gdiplus::Ok);
    EXPECT_EQ(Pixel(b, 3, 4), kWhite);
  }
}

TEST_F(GdiPlusObjects, DrawingReachesThePixels) {
  Bitmap b = Bitmap::FromScan0(60, 40);
  ASSERT_TRUE(b);
  Graphics g = Graphics::FromImage(b);
  ASSERT_TRUE(g);
  EXPECT_TRUE(g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias));
  EXPECT_TRUE(g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic));
  EXPECT_TRUE(g.SetCompositingMode(Gdiplus::CompositingModeSourceOver));
  EXPECT_TRUE(g.Clear(kWhite));

  // A clip to the left half keeps the right half white.
  ASSERT_TRUE(g.SetClip(RectF(0, 0, 30, 40)));
  SolidBrush red(ToArgb(0x0000FF));  // COLORREF red
  EXPECT_TRUE(g.FillRectangle(red, RectF(0, 0, 60, 40)));
  EXPECT_TRUE(g.ResetClip());
  g.Flush();
  EXPECT_EQ(Pixel(b, 10, 10), kRed);
  EXPECT_EQ(Pixel(b, 50, 10), kWhite);

  // A rounded path: its bounds, a gradient fill and an outline.
  GraphicsPath path;
  EXPECT_TRUE(path.AddArc(RectF(32, 2, 8, 8), 180, 90));
  EXPECT_TRUE(path.AddLine(36, 2, 54, 2));
  EXPECT_TRUE(path.AddArc(RectF(50, 2, 8, 8), 270, 90));
  EXPECT_TRUE(path.AddLine(58, 6, 58, 30));
  EXPECT_TRUE(path.AddLine(58, 30, 32, 30));
  EXPECT_TRUE(path.CloseFigure());
  RectF bounds;
  ASSERT_TRUE(path.GetBounds(&bounds));
  EXPECT_FLOAT_EQ(bounds.X, 32);
  EXPECT_FLOAT_EQ(bounds.Y, 2);
  EXPECT_FLOAT_EQ(bounds.Width, 26);
  EXPECT_FLOAT_EQ(bounds.Height, 28);
  LinearGradientBrush gradient =
      LinearGradientBrush::FromRect(bounds, kBlue, kBlue, Gdiplus::LinearGradientModeVertical);
  ASSERT_TRUE(gradient);
  EXPECT_TRUE(g.FillPath(gradient, path));
  Pen pen(0xFF00FF00, 1.0f);
  EXPECT_TRUE(g.DrawPath(pen, path));
  EXPECT_TRUE(g.DrawLine(pen, 0, 39, 10, 39));
  g.Flush();
  EXPECT_EQ(Pixel(b, 45, 15), kBlue);

  LinearGradientBrush line =
      LinearGradientBrush::FromPoints(PointF(0, 0), PointF(10, 0), kRed, kBlue);
  EXPECT_TRUE(line);
  EXPECT_TRUE(line.SetWrapMode(Gdiplus::WrapModeTileFlipX));
  PathGradientBrush glow = PathGradientBrush::FromPath(path);
  ASSERT_TRUE(glow);
  EXPECT_TRUE(glow.SetCenterColor(kWhite));
  const ARGB surround[] = {kRed};
  EXPECT_TRUE(glow.SetSurroundColors(surround));
  EXPECT_FALSE(glow.SetSurroundColors({}));
  EXPECT_TRUE(g.FillPath(glow, path));

  // Text: measured, then drawn in a box that was white.
  FontFamily family = FontFamily::FromName(L"宋体");
  ASSERT_TRUE(family) << family.status();
  Font font(family, 12, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
  ASSERT_TRUE(font);
  StringFormat format;
  EXPECT_TRUE(format.SetAlignment(Gdiplus::StringAlignmentCenter));
  EXPECT_TRUE(format.SetLineAlignment(Gdiplus::StringAlignmentCenter));
  EXPECT_TRUE(format.SetFlags(Gdiplus::StringFormatFlagsNoWrap));
  EXPECT_TRUE(format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter));
  RectF measured;
  EXPECT_TRUE(g.MeasureString(L"Hi", font, RectF(0, 0, 100, 100), &format, &measured));
  EXPECT_GT(measured.Width, 0);
  EXPECT_GT(measured.Height, 0);
  SolidBrush black(0xFF000000);
  EXPECT_TRUE(g.DrawString(L"Hi", font, RectF(30, 30, 30, 10), &format, black));
  g.Flush();
  int dark = 0;
  for (int y = 30; y < 40; ++y)
    for (int x = 30; x < 60; ++x) dark += (Pixel(b, x, y) & 0xFFFFFF) != 0xFFFFFF;
  EXPECT_GT(dark, 0) << "the text drew nothing";

  // Images drawn whole, stretched, and from part of a source.
  Bitmap dot = Bitmap::FromScan0(2, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) dot.SetPixel(x, y, kBlue);
  dot.SetPixel(1, 1, kRed);
  EXPECT_TRUE(g.DrawImage(dot, 0, 0));
  EXPECT_TRUE(g.DrawImage(dot, RectF(10, 20, 4, 4)));
  EXPECT_TRUE(g.DrawImage(dot, RectF(20, 20, 4, 4), RectF(1, 1, 1, 1)));
  g.Flush();
  EXPECT_EQ(Pixel(b, 0, 0), kBlue);
  EXPECT_EQ(Pixel(b, 22, 22), kRed);
}

TEST_F(GdiPlusObjects, RegionsAndGdiHandles) {
  Region region = Region::FromRect(RectF(0, 0, 10, 10));
  bool in = false;
  ASSERT_TRUE(region.IsVisible(5, 5, &in));
  EXPECT_TRUE(in);
  EXPECT_TRUE(region.Translate(20, 0));
  ASSERT_TRUE(region.IsVisible(5, 5, &in));
  EXPECT_FALSE(in);
  EXPECT_TRUE(region.Combine(RectF(0, 0, 10, 10), Gdiplus::CombineModeUnion));
  region.IsVisible(5, 5, &in);
  EXPECT_TRUE(in);
  GraphicsPath path;
  path.AddRectangle(RectF(100, 100, 5, 5));
  EXPECT_TRUE(region.Combine(path, Gdiplus::CombineModeUnion));
  region.IsVisible(102, 102, &in);
  EXPECT_TRUE(in);
  Region fromPath = Region::FromPath(path);
  EXPECT_TRUE(region.Combine(fromPath, Gdiplus::CombineModeExclude));
  region.IsVisible(102, 102, &in);
  EXPECT_FALSE(in);
  Region everything;
  ASSERT_TRUE(everything);
  everything.IsVisible(-1000, 5000, &in);
  EXPECT_TRUE(in);

  ScopedRegion hrgn(CreateRectRgn(0, 0, 4, 4));
  Region fromHrgn = Region::FromHrgn(hrgn.get());
  ASSERT_TRUE(fromHrgn);
  fromHrgn.IsVisible(2, 2, &in);
  EXPECT_TRUE(in);

  Bitmap b = Bitmap::FromScan0(12, 9);
  {
    ScopedBitmap gdi = b.ToHbitmap(kWhite);
    ASSERT_TRUE(gdi);
    BITMAP info = {};
    ASSERT_TRUE(GetObjectW(gdi.get(), sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 12);
    EXPECT_EQ(info.bmHeight, 9);
  }
  // A graphics over a memory DC, clipped to a region.
  ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
  Graphics g = Graphics::FromHdc(dc.get());
  ASSERT_TRUE(g);
  EXPECT_TRUE(g.SetClip(fromHrgn));
  EXPECT_TRUE(g.SetClip(path, Gdiplus::CombineModeIntersect));
  Font fromDc = Font::FromHdc(dc.get());
  EXPECT_TRUE(fromDc) << fromDc.status();
  LOGFONTW lf = {};
  lf.lfHeight = -16;
  wcscpy(lf.lfFaceName, L"Tahoma");
  Font fromLogfont = Font::FromLogfont(dc.get(), lf);
  EXPECT_TRUE(fromLogfont) << fromLogfont.status();
}

TEST_F(GdiPlusObjects, TooltipToolsAndColours) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 200, 100, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(owner);
  {
    Tooltip tip;
    ASSERT_TRUE(tip.Create(owner, true));
    EXPECT_EQ(LiveGdiPlusObjects(), liveBefore_ + 1);
    EXPECT_TRUE(GetWindowLongW(tip.window(), GWL_STYLE) & TTS_BALLOON);
    EXPECT_TRUE(tip.AddTool(1, RECT{0, 0, 26, 18}, L"帮助"));
    EXPECT_TRUE(tip.AddToolWithTextCallback(2, RECT{26, 0, 52, 18}));
    EXPECT_EQ(SendMessageW(tip.window(), TTM_GETTOOLCOUNT, 0, 0), 2);

    auto text = [&](UINT_PTR id) {
      wchar_t buffer[80] = {};
      TTTOOLINFOW info = {};
      info.cbSize = TTTOOLINFOW_V1_SIZE;
      info.hwnd = owner;
      info.uId = id;
      info.lpszText = buffer;
      SendMessageW(tip.window(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
      return std::wstring(buffer);
    };
    EXPECT_EQ(text(1), L"帮助");
    tip.UpdateTipText(1, L"关闭");
    EXPECT_EQ(text(1), L"关闭");

    tip.NewToolRect(1, RECT{100, 0, 138, 18});
    TTTOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.hwnd = owner;
    info.uId = 1;
    ASSERT_TRUE(SendMessageW(tip.window(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.rect.left, 100);
    EXPECT_EQ(info.rect.right, 138);

    tip.SetBackgroundColour(RGB(1, 2, 3));
    tip.SetTextColour(RGB(4, 5, 6));
    tip.SetMaxWidth(300);
    EXPECT_EQ(COLORREF(SendMessageW(tip.window(), TTM_GETTIPBKCOLOR, 0, 0)), RGB(1, 2, 3));
    EXPECT_EQ(COLORREF(SendMessageW(tip.window(), TTM_GETTIPTEXTCOLOR, 0, 0)), RGB(4, 5, 6));
    EXPECT_EQ(SendMessageW(tip.window(), TTM_GETMAXTIPWIDTH, 0, 0), 300);

    tip.DeleteTool(2);
    EXPECT_EQ(SendMessageW(tip.window(), TTM_GETTOOLCOUNT, 0, 0), 1);

    HWND window = tip.window();
    Tooltip moved = std::move(tip);
    EXPECT_EQ(moved.window(), window);
    moved.Destroy();
    EXPECT_FALSE(IsWindow(window));
  }
  DestroyWindow(owner);
}

}  // namespace
}  // namespace board::gp
