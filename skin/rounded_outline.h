// The arcs of the skin's rounded rectangle, worked out without GDI+ so they can be checked
// anywhere.
#pragma once
#include <array>

namespace board {

struct ArcSpec {
  float x, y, width, height;  // the ellipse's bounding box
  float startAngle, sweepAngle;
  bool operator==(const ArcSpec&) const = default;
};

// The four corners from the top right, clockwise, each a quarter turn of corner size r
// (clamped to 1..100). The bottom-right one is a pixel larger and a pixel further in, which
// keeps the right and bottom edges inside a w × h box drawn with one-pixel pens.
std::array<ArcSpec, 4> RoundRectArcs(float x, float y, float w, float h, float r);

}  // namespace board
