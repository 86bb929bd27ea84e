#include "skin/background_layout.h"

#include <random>

namespace board {

std::vector<DestRect> PlaceBackground(ImageMode mode, int w, int h, int cw, int ch) {
  if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0) return {};
  switch (mode) {
    case kImageTopLeft: return {{0, 0, w, h}};
    case kImageTopRight: return {{cw - w, 0, w, h}};
    case kImageCentred: return {{(cw - w) / 2, (ch - h) / 2, w, h}};
    case kImageStretched: return {{0, 0, cw, ch}};
    case kImageTiled: {
      std::vector<DestRect> tiles;
      for (int x = 0; x < cw; x += w) tiles.push_back({x, 0, w, h});
      return tiles;
    }
  }
  return {};
}

uint32_t RepresentativeColour(const PixelSource& source, int count, uint32_t seed) {
  if (count < 1 || source.width <= 0 || source.height <= 0 || !source.pixel) return 0;
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> xs(0, source.width - 1), ys(0, source.height - 1);
  uint64_t red = 0, green = 0, blue = 0;
  for (int i = 0; i < count; ++i) {
    const int x = xs(random);
    const int y = ys(random);
    const uint32_t argb = source.pixel(x, y);
    red += (argb >> 16) & 0xFF;
    green += (argb >> 8) & 0xFF;
    blue += argb & 0xFF;
  }
  const auto mean = [count](uint64_t sum) { return uint32_t(sum / uint64_t(count)); };
  return 0xFF000000u | (mean(blue) << 16) | (mean(green) << 8) | mean(red);
}

}  // namespace board
