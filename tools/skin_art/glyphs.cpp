#include "skin_art/glyphs.h"

#include <cmath>

#include "skin_art/shapes.h"

namespace skinart {

namespace {

// White everywhere; the alpha is the shape's coverage of each pixel, from 16 x 16 samples.
// Straight edges sit on pixel boundaries, so only slanted and rounded edges are soft.
template <typename Inside>
RgbaImage WhiteShape(int width, int height, Inside inside) {
  constexpr int kSamples = 16;
  RgbaImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int hits = 0;
      for (int j = 0; j < kSamples; ++j)
        for (int i = 0; i < kSamples; ++i)
          hits += inside(Vec{x + (i + 0.5) / kSamples, y + (j + 0.5) / kSamples}) ? 1 : 0;
      image.set(x, y, 255, 255, 255, ToByte(double(hits) / (kSamples * kSamples)));
    }
  }
  return image;
}

// A window outline: 1-pixel sides and bottom, a 2-pixel title bar.
bool WindowFrame(Vec p, double x0, double y0, double x1, double y1) {
  return InBox(p, x0, y0, x1, y1) && !InBox(p, x0 + 1, y0 + 2, x1 - 1, y1 - 1);
}

bool Help(Vec p) {
  // A speech bubble (rounded box with a tail at its lower left), outlined; the tail's
  // triangle reaches into the box so that the outline runs around the union.
  double bubble = RoundBox(p, 6.5, 2.5, 19.5, 12.5, 2.5);
  const Vec tail[] = {{8.5, 8.0}, {13.5, 8.0}, {8.5, 16.0}};
  double outline = std::min(bubble, Polygon(p, tail));
  if (std::fabs(outline) <= 0.55) return true;
  // A small arrow inside, pointing right.
  const Vec arrow[] = {{11.5, 5.0}, {15.5, 7.5}, {11.5, 10.0}};
  return Polygon(p, arrow) <= 0;
}

bool Menu(Vec p) {
  // A pointer arrow at the window's lower right, kept apart from the window by a
  // 1-pixel gap so that both read as separate shapes.
  const Vec pointer[] = {{14.0, 7.2}, {14.0, 16.0}, {16.2, 13.9}, {17.9, 16.8},
                         {19.3, 16.1}, {17.7, 13.2}, {20.6, 13.0}};
  double d = Polygon(p, pointer);
  if (d <= 0) return true;
  if (d < 1.2) return false;
  if (WindowFrame(p, 5, 2, 19, 14)) return true;
  for (double row : {6.0, 8.0, 10.0})
    if (InBox(p, 7, row, 13, row + 1)) return true;
  return false;
}

bool Minimise(Vec p) { return InBox(p, 8, 12, 18, 14); }

bool Maximise(Vec p) { return WindowFrame(p, 8, 3, 18, 14); }

bool Restore(Vec p) {
  // The back window shows only where the front one does not cover it.
  if (WindowFrame(p, 8, 6, 16, 15)) return true;
  return WindowFrame(p, 10, 3, 18, 12) && !InBox(p, 8, 6, 16, 15);
}

bool Close(Vec p) {
  const double half = 1.55 / 2;
  return Segment(p, {14.5, 4.5}, {23.5, 13.5}) <= half ||
         Segment(p, {23.5, 4.5}, {14.5, 13.5}) <= half;
}

struct Rgb {
  int r, g, b;
};

// The interior gradient of both check boxes, from the top-left to the bottom-right corner.
Rgb CheckInterior(int x, int y) {
  const Rgb from{222, 223, 214}, to{247, 244, 240};
  double t = ((x - 1) + (y - 1)) / 20.0;
  auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
  return {mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b)};
}

// The tick, 7 x 7, placed at (3, 3) inside the box.
constexpr const char* kTick[7] = {
    "......X",
    ".....XX",
    "X...XXX",
    "XX.XXX.",
    "XXXXX..",
    ".XXX...",
    "..X....",
};

}  // namespace

RgbaImage DrawCaptionGlyph(CaptionGlyph glyph) {
  switch (glyph) {
    case CaptionGlyph::kHelp: return WhiteShape(26, 18, Help);
    case CaptionGlyph::kMenu: return WhiteShape(26, 18, Menu);
    case CaptionGlyph::kMinimise: return WhiteShape(26, 18, Minimise);
    case CaptionGlyph::kMaximise: return WhiteShape(26, 18, Maximise);
    case CaptionGlyph::kRestore: return WhiteShape(26, 18, Restore);
    case CaptionGlyph::kClose: return WhiteShape(38, 18, Close);
  }
  return RgbaImage(0, 0);
}

RgbaImage DrawCheckBox(bool ticked) {
  const Rgb border = ticked ? Rgb{24, 81, 132} : Rgb{3, 3, 3};
  const Rgb tick{36, 110, 117};
  RgbaImage image(13, 13);
  for (int y = 0; y < 13; ++y) {
    for (int x = 0; x < 13; ++x) {
      Rgb c = CheckInterior(x, y);
      if (x == 0 || y == 0 || x == 12 || y == 12)
        c = border;
      else if (ticked && x >= 3 && x < 10 && y >= 3 && y < 10 && kTick[y - 3][x - 3] == 'X')
        c = tick;
      image.set(x, y, uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), 255);
    }
  }
  return image;
}

RgbaImage DrawArrow(ArrowDirection direction) {
  const bool vertical = direction == ArrowDirection::kDown || direction == ArrowDirection::kUp;
  RgbaImage image(vertical ? 7 : 4, vertical ? 4 : 7);
  // Step k from the base holds 7 - 2k pixels, centred on the middle one.
  for (int k = 0; k < 4; ++k) {
    for (int i = k; i < 7 - k; ++i) {
      switch (direction) {
        case ArrowDirection::kDown: image.set(i, k, 0, 0, 0, 255); break;
        case ArrowDirection::kUp: image.set(i, 3 - k, 0, 0, 0, 255); break;
        case ArrowDirection::kRight: image.set(k, i, 0, 0, 0, 255); break;
        case ArrowDirection::kLeft: image.set(3 - k, i, 0, 0, 0, 255); break;
      }
    }
  }
  return image;
}

}  // namespace skinart
