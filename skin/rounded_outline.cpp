#include "skin/rounded_outline.h"

#include <algorithm>

namespace board {

std::array<ArcSpec, 4> RoundRectArcs(float x, float y, float w, float h, float r) {
  r = std::clamp(r, 1.0f, 100.0f);
  return {{
      {x + w - r, y, r, r, 270, 90},
      {x + w - r - 1, y + h - r - 1, r + 1, r + 1, 0, 90},
      {x, y + h - r, r, r, 90, 90},
      {x, y, r, r, 180, 90},
  }};
}

}  // namespace board
