// The skin's background picture: a twilight in pink and violet — a low sun in a glowing
// sky with stars and long clouds, a lake mirroring two misty ranges, a cherry tree on the
// near hill with someone sitting beside it, drifting petals and soft out-of-focus lights.
// The middle band stays light and calm, for the captions on the translucent buttons drawn
// over it.
#pragma once
#include <cstdint>
#include <vector>

namespace skinart {

// RGB rows (sRGB components 0..1, top-down) of the picture at the given size.
struct FloatPicture {
  int width = 0;
  int height = 0;
  std::vector<float> rgb;
};

FloatPicture RenderBackground(int width, int height);

// 8-bit RGB rows, with a fixed ordered dither so that the wide gradients do not band.
std::vector<uint8_t> QuantizeDithered(const FloatPicture& picture);

// The picture shrunk by an integer factor (box filter), as 8-bit RGB rows.
std::vector<uint8_t> Shrink(const FloatPicture& picture, int factor);

}  // namespace skinart
