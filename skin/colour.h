// Colour conversion shared by the skin's painters.
#pragma once
#include <cstdint>

namespace board {

// The key colour: pixels of it are cut from the window's shape and left alone by keyed copies.
inline constexpr uint32_t kKeyMagenta = 0xFF00FF;

// A COLORREF (0x00BBGGRR) as a GDI+ ARGB (0xAARRGGBB): red and blue change places and the
// alpha goes into the high byte. An alpha outside 0..255 is clamped, so a stray value
// never bleeds into the colour bytes or wraps to a different opacity.
constexpr uint32_t ToArgb(uint32_t colour, int alpha = 255) {
  const uint32_t a = alpha < 0 ? 0u : alpha > 255 ? 255u : uint32_t(alpha);
  return (a << 24) | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

// The same with the alpha used only when `useAlpha` is set; otherwise the colour is opaque.
constexpr uint32_t ToArgb(uint32_t colour, int alpha, bool useAlpha) {
  return ToArgb(colour, useAlpha ? alpha : 255);
}

// A premultiplied ARGB colour laid over another as GDI+ lays one: each channel the source's
// plus the destination's share left by the source's alpha, truncated, at most 255.
constexpr uint32_t PremultipliedOver(uint32_t dst, uint32_t src) {
  const uint32_t keep = 255 - (src >> 24);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t sum = ((src >> shift) & 0xFF) + ((dst >> shift) & 0xFF) * keep / 255;
    out |= (sum > 255 ? 255 : sum) << shift;
  }
  return out;
}

// A straight ARGB colour laid over an opaque one as GDI+ draws it there: each channel the
// two weighed by the colour's alpha in one sum, truncated; the result is opaque.
constexpr uint32_t StraightOverOpaque(uint32_t dst, uint32_t src) {
  const uint32_t a = src >> 24;
  if (a == 255) return src;
  if (a == 0) return dst;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8)
    out |= (((dst >> shift) & 0xFF) * (255 - a) + ((src >> shift) & 0xFF) * a) / 255 << shift;
  return out;
}

// White and black at an alpha, as GDI+ ARGB.
constexpr uint32_t White(int alpha) { return ToArgb(0xFFFFFF, alpha); }
constexpr uint32_t Black(int alpha) { return ToArgb(0, alpha); }

}  // namespace board
