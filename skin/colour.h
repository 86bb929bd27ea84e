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

// White and black at an alpha, as GDI+ ARGB.
constexpr uint32_t White(int alpha) { return ToArgb(0xFFFFFF, alpha); }
constexpr uint32_t Black(int alpha) { return ToArgb(0, alpha); }

}  // namespace board
