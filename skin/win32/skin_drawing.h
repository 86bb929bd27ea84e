// Drawing routines every skinned control shares: rounded outlines, a soft glow, a
// control's font.
#pragma once
#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "skin/win32/gdiplus_objects.h"

namespace board {

// A closed rounded rectangle: four arcs of the corner size r (clamped to 1..100), from the
// top right clockwise; the bottom-right arc a pixel larger and further in.
void AddRoundRect(gp::GraphicsPath& path, float x, float y, float w, float h, float r);
// The top half of one: up the left side, round the two top corners, down the right side,
// left open at the bottom.
void AddTopRoundedPath(gp::GraphicsPath& path, float x, float y, float w, float h, float r);
// Strokes the path n times with pens 1..n wide, so translucent strokes build up towards it.
void DrawGlow(gp::Graphics& graphics, const gp::GraphicsPath& path, int n, gp::ARGB colour);
// The same, each stroke on the surface `next()` gives.
template <class Next>
void DrawGlowOn(Next&& next, const gp::GraphicsPath& path, int n, gp::ARGB colour) {
  for (int i = 1; i <= n; ++i) next().DrawPath(gp::Pen(colour, float(i)), path);
}

struct ControlFont {
  std::wstring family;
  int size = 0;   // in the font's own unit, rounded
  int style = 0;  // Gdiplus::FontStyle bits
};
// The font a control draws with (WM_GETFONT), or its DC's when it has none.
ControlFont ReadControlFont(HWND control);
// A caption font of `size` pixels by family name; a face GDI+ cannot use (a raster font,
// say) falls back to the skin's own, so a caption never silently vanishes.
gp::Font CaptionFont(const std::wstring& family, int size, int style);

// Caption fonts and string formats, each made once and kept by the one that owns this (the
// engine, which lets them go before GDI+ stops): under Wine a font costs a family lookup and
// a font and a format cost a few objects made and freed on every caption drawn otherwise.
class CaptionTexts {
 public:
  // CaptionFont(family, size, style), kept; valid until the next call.
  const gp::Font& Font(const std::wstring& family, int size, int style);
  // A format centring its lines vertically, with `alignment` across them.
  const gp::StringFormat& LineCentred(Gdiplus::StringAlignment alignment);

 private:
  struct KeptFont {
    std::wstring family;
    int size, style;
    gp::Font font;
  };
  static constexpr size_t kMaxFonts = 32;
  std::vector<KeptFont> fonts_;
  std::array<std::optional<gp::StringFormat>, 3> formats_;  // by alignment: near, centre, far
};

}  // namespace board
