#include "app/fade.h"

#include <algorithm>

namespace board {

FadePlan PlanFade(int delay) {
  FadePlan plan;
  plan.stepDelay = std::clamp(delay, 0, 64);
  plan.unit = plan.stepDelay == 0 ? 1.0 : double(plan.stepDelay);
  plan.steps = int(4.0 * plan.unit);
  return plan;
}

int FadeInAlpha(const FadePlan& plan, int step) { return int((64.0 / plan.unit) * step - 1.0); }

int FadeOutAlpha(const FadePlan& plan, int step) {
  return int(255.0 - (step * 64.0) / plan.unit);
}

int LayeredAlpha(LayeredAlphaMode mode, int alpha) {
  switch (mode) {
    case kAlphaDimmed: return 192;
    case kAlphaGiven: return std::clamp(alpha, 0, 255);
    case kAlphaOpaque: break;
  }
  return 255;
}

}  // namespace board
