// Where the background picture goes in a window's client area, and the one colour that
// stands for a picture. Pure arithmetic over sizes and a pixel source.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace board {

struct DestRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const DestRect&) const = default;
};

// How a picture is laid out in a client area; the number is what the skin's operations take.
enum ImageMode : int {
  kImageTopLeft = 0,
  kImageTopRight = 1,
  kImageCentred = 2,
  kImageStretched = 3,
  kImageTiled = 4,
};

// The copies of a W × H picture that image mode `mode` draws into a CW × CH client area:
// 0 at the top left, 1 at the top right, 2 centred, each at natural size; 3 stretched over
// the client; 4 side by side from the left while x < CW. An empty picture or client, or an
// unknown mode, draws nothing.
std::vector<DestRect> PlaceBackground(ImageMode mode, int pictureWidth, int pictureHeight,
                                      int clientWidth, int clientHeight);

// A picture read pixel by pixel: 0xAARRGGBB.
struct PixelSource {
  int width = 0, height = 0;
  std::function<uint32_t(int x, int y)> pixel;
};

// The average of `count` pixels picked at random, as a COLORREF (0x00BBGGRR) with 0xFF in
// its high byte. The generator is seeded once per call, so a picture always gets the same
// colour. 0 for an empty picture or a count below 1.
uint32_t RepresentativeColour(const PixelSource& source, int count = 2000, uint32_t seed = 1);

}  // namespace board
