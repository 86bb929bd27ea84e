// Step arithmetic of the window fades. Double precision, truncation toward zero.
#pragma once

namespace board {

struct FadePlan {
  int stepDelay;  // pause after each step, ms: the requested delay clamped to 0..64
  double unit;    // stepDelay, or 1 when it is 0
  int steps;      // trunc(4 * unit)
};

FadePlan PlanFade(int delay);
// Alpha at step i (1-based) of a fade-in and of a fade-out; not yet clamped.
int FadeInAlpha(const FadePlan& plan, int step);
int FadeOutAlpha(const FadePlan& plan, int step);

// How a window's layered alpha is chosen; the number is what SetWindowAlpha takes.
enum LayeredAlphaMode : int {
  kAlphaOpaque = 0,  // 255 (so is any number not named here)
  kAlphaDimmed = 1,  // 192, whatever alpha is given
  kAlphaGiven = 2,   // the given alpha, clamped to 0..255
};

// Layered alpha for a mode.
int LayeredAlpha(LayeredAlphaMode mode, int alpha);

}  // namespace board
