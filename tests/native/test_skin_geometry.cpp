// The skin's pure geometry: the caption strip, where a press moves or resizes, the hover
// fade, the background placements and the representative colour.
#include <gtest/gtest.h>

#include <array>

#include "skin/background_layout.h"
#include "skin/caption_strip.h"
#include "skin/colour.h"
#include "skin/rounded_outline.h"

namespace board {
namespace {

constexpr std::array<CaptionKind, 5> kDefaultKinds = {
    CaptionKind::kHelp, CaptionKind::kMainMenu, CaptionKind::kMinimize, CaptionKind::kMaximize,
    CaptionKind::kClose};
constexpr std::array<int, 5> kDefaultWidths = {26, 26, 26, 26, 38};

std::vector<BoxF> DefaultBoxes(const StripRect& strip) {
  std::vector<BoxF> boxes;
  for (int i = 0; i < 5; ++i) boxes.push_back(CaptionButtonBox(strip, i + 1, kDefaultKinds[size_t(i)]));
  return boxes;
}

TEST(CaptionStrip, FiveButtonsSitInsideTheClientAndClearOfTheResizeBand) {
  const int width = CaptionStripWidth(kDefaultWidths);
  EXPECT_EQ(width, 142 + 4 + 3);
  for (int clientWidth : {786, 400, 1920}) {
    const StripRect strip = PlaceCaptionStrip(clientWidth, width);
    EXPECT_EQ(strip.height, 22);
    const auto boxes = DefaultBoxes(strip);
    for (size_t i = 1; i < boxes.size(); ++i)
      EXPECT_EQ(boxes[i].x - boxes[i - 1].x, 27.0f) << "button " << i + 1;
    const BoxF& close = boxes.back();
    EXPECT_EQ(close.width, 40.0f);
    EXPECT_LE(close.x + close.width, float(clientWidth - kResizeBorder))
        << "the close box reaches into the resize band at width " << clientWidth;
    EXPECT_GE(boxes.front().x, float(strip.left));
  }
}

TEST(CaptionStrip, HitTestingFindsTheFirstBoxAndTheStripReachesALittleLeft) {
  const StripRect strip = PlaceCaptionStrip(786, CaptionStripWidth(kDefaultWidths));
  const auto boxes = DefaultBoxes(strip);
  EXPECT_EQ(HitCaptionBox(boxes, boxes[0].x, 0), 1);
  EXPECT_EQ(HitCaptionBox(boxes, boxes[0].x + 25.5f, 17.5f), 1);
  EXPECT_EQ(HitCaptionBox(boxes, boxes[0].x + 26, 5), 0) << "the gap between two buttons";
  EXPECT_EQ(HitCaptionBox(boxes, boxes[4].x + 39, 5), 5) << "the close box is 40 wide";
  EXPECT_EQ(HitCaptionBox(boxes, boxes[2].x, 18), 0) << "below the 18-pixel buttons";
  EXPECT_EQ(HitCaptionBox({}, 0, 0), 0);
  EXPECT_TRUE(InsideCaptionStrip(strip, strip.left - 2, 0));
  EXPECT_FALSE(InsideCaptionStrip(strip, strip.left - 3, 0));
  EXPECT_TRUE(InsideCaptionStrip(strip, strip.left + strip.width, 22));
  EXPECT_FALSE(InsideCaptionStrip(strip, strip.left, 23));
}

TEST(CaptionStrip, PressesMoveResizeOrLeaveTheButtonsAlone) {
  const ClientRect client{0, 0, 786, 315};
  const StripRect strip = PlaceCaptionStrip(786, CaptionStripWidth(kDefaultWidths));
  auto press = [&](int x, int y, bool drag) { return DecidePress(x, y, client, strip, drag, 25); };
  EXPECT_EQ(press(5, 5, true).action, PressAction::kMove);
  EXPECT_EQ(press(5, 5, false).action, PressAction::kResize);
  EXPECT_EQ(press(5, 5, false).edge, 4) << "top-left corner";
  EXPECT_EQ(press(2, 40, true).edge, 1) << "left edge";
  EXPECT_EQ(press(strip.left + 10, 5, true).action, PressAction::kNothing) << "a caption button";
  EXPECT_EQ(press(400, 150, true).action, PressAction::kNothing) << "the middle of the window";
  // The eight zones in their order; the corners are wider than the edge bands.
  struct Case { int x, y, edge; };
  for (Case c : {Case{3, 100, 1}, {783, 100, 2}, {100, 3, 3}, {100, 312, 6}, {10, 10, 4},
                 {776, 10, 5}, {10, 305, 7}, {776, 305, 8}, {4, 100, 0}, {2, 11, 1},
                 {2, 10, 4}, {2, 305, 7}, {100, 311, 0}})
    EXPECT_EQ(ResizeEdgeAt(c.x, c.y, client), c.edge) << c.x << "," << c.y;
}

TEST(HoverFade, FadesInOverEightTicksAndOutWhenThePointerMovesOn) {
  HoverFade fade;
  fade.mouseTracked = true;
  bool start = false, stop = false;
  EXPECT_TRUE(fade.MouseMove(true, 2, start).empty());
  EXPECT_TRUE(start);
  std::vector<int> alphas;
  for (int i = 0; i < 9; ++i)
    for (const ButtonPaint& p : fade.Tick(stop)) alphas.push_back(p.alpha);
  EXPECT_EQ(alphas, (std::vector<int>{30, 60, 90, 120, 150, 180, 210, 240}));
  EXPECT_FALSE(stop) << "the pointer is still over the strip";

  // On to button 3: 2 fades out while 3 fades in, tick by tick.
  EXPECT_TRUE(fade.MouseMove(true, 3, start).empty());
  EXPECT_FALSE(start) << "the timer is already running";
  std::vector<ButtonPaint> first = fade.Tick(stop);
  EXPECT_EQ(first, (std::vector<ButtonPaint>{{3, true, 30}, {2, true, 210}}));
  alphas.clear();
  for (int i = 0; i < 7; ++i)
    for (const ButtonPaint& p : fade.Tick(stop))
      if (p.button == 2) alphas.push_back(p.alpha);
  EXPECT_EQ(alphas, (std::vector<int>{180, 150, 120, 90, 60, 30, 0}));

  // The pointer leaves the window: 3 fades out, then the timer stops and all is reset.
  fade.MouseLeave(true);
  int ticks = 0;
  do {
    fade.Tick(stop);
    ++ticks;
  } while (!stop && ticks < 20);
  EXPECT_EQ(ticks, 8);
  EXPECT_EQ(fade.lastHot, 0);
  EXPECT_FALSE(fade.timerRunning);
}

TEST(HoverFade, AFadeOutCutShortShowsItsButtonNormalAtOnce) {
  HoverFade fade;
  fade.mouseTracked = true;
  bool start = false, stop = false;
  fade.MouseMove(true, 1, start);
  fade.Tick(stop);
  fade.MouseMove(true, 2, start);  // 1 starts fading out
  fade.Tick(stop);
  EXPECT_EQ(fade.MouseMove(true, 3, start), (std::vector<ButtonPaint>{{1, false, 0}}));
  fade.MouseMove(false, 0, start);  // off the strip: the timer may stop once 3 has faded
  int ticks = 0;
  do {
    fade.Tick(stop);
  } while (!stop && ++ticks < 20);
  EXPECT_TRUE(stop);
}

TEST(BackgroundLayout, EachModePlacesThePictureItsOwnWay) {
  using V = std::vector<DestRect>;
  EXPECT_EQ(PlaceBackground(kImageTopLeft, 300, 200, 786, 315), (V{{0, 0, 300, 200}}));
  EXPECT_EQ(PlaceBackground(kImageTopRight, 300, 200, 786, 315), (V{{486, 0, 300, 200}}));
  EXPECT_EQ(PlaceBackground(kImageCentred, 300, 200, 786, 315), (V{{243, 57, 300, 200}}));
  EXPECT_EQ(PlaceBackground(kImageCentred, 1920, 1200, 786, 315), (V{{-567, -442, 1920, 1200}}));
  EXPECT_EQ(PlaceBackground(kImageStretched, 1920, 1200, 786, 315), (V{{0, 0, 786, 315}}));
  EXPECT_EQ(PlaceBackground(kImageTiled, 300, 200, 786, 315),
            (V{{0, 0, 300, 200}, {300, 0, 300, 200}, {600, 0, 300, 200}}));
  EXPECT_TRUE(PlaceBackground(kImageTiled, 0, 200, 786, 315).empty()) << "a zero-width tile never ends";
  EXPECT_TRUE(PlaceBackground(ImageMode(5), 300, 200, 786, 315).empty());
  EXPECT_TRUE(PlaceBackground(kImageStretched, 300, 200, 0, 315).empty());
}

TEST(Colour, ToArgbSwapsRedAndBlueAndPlacesTheAlpha) {
  EXPECT_EQ(ToArgb(0xDDCA22, 60, true), 0x3C22CADDu);
  EXPECT_EQ(ToArgb(0xDDCA22, 60, false), 0xFF22CADDu) << "no alpha: opaque";
}

TEST(RoundedOutline, FourQuarterArcsClockwiseFromTheTopRightWithTheCornerClamped) {
  using A = std::array<ArcSpec, 4>;
  EXPECT_EQ(RoundRectArcs(10, 20, 100, 30, 5),
            (A{{{105, 20, 5, 5, 270, 90}, {104, 44, 6, 6, 0, 90}, {10, 45, 5, 5, 90, 90},
                {10, 20, 5, 5, 180, 90}}}))
      << "the bottom-right arc is a pixel larger and a pixel further in";
  EXPECT_EQ(RoundRectArcs(0, 0, 50, 50, 0), RoundRectArcs(0, 0, 50, 50, 1)) << "no corner below 1";
  EXPECT_EQ(RoundRectArcs(0, 0, 50, 50, 500)[0], (ArcSpec{-50, 0, 100, 100, 270, 90}))
      << "no corner above 100, even past the box";
}

TEST(RepresentativeColour, AveragesRandomPixelsIntoAColourref) {
  const PixelSource plain{40, 30, [](int, int) { return 0xFF336699u; }};
  EXPECT_EQ(RepresentativeColour(plain), 0xFF996633u) << "red and blue swap places";
  // Left half black, right half white: about mid grey, the same every time.
  const PixelSource halves{100, 10, [](int x, int) { return x < 50 ? 0xFF000000u : 0xFFFFFFFFu; }};
  const uint32_t grey = RepresentativeColour(halves);
  EXPECT_EQ(grey, RepresentativeColour(halves));
  EXPECT_NEAR(double(grey & 0xFF), 127.5, 8.0);
  EXPECT_EQ(grey & 0xFF, (grey >> 8) & 0xFF);
  EXPECT_EQ(RepresentativeColour({0, 10, plain.pixel}), 0u);
  EXPECT_EQ(RepresentativeColour(plain, 0), 0u);
  EXPECT_EQ(RepresentativeColour({40, 30, nullptr}), 0u);
}

}  // namespace
}  // namespace board
