#include <gtest/gtest.h>

#include <vector>

#include "app/fade.h"

namespace board {
namespace {

std::vector<int> FadeIn(int delay) {
  FadePlan plan = PlanFade(delay);
  std::vector<int> alphas;
  for (int i = 1; i <= plan.steps; ++i) alphas.push_back(LayeredAlpha(kAlphaGiven, FadeInAlpha(plan, i)));
  return alphas;
}

std::vector<int> FadeOut(int delay) {
  FadePlan plan = PlanFade(delay);
  std::vector<int> alphas;
  for (int i = 1; i <= plan.steps; ++i) alphas.push_back(LayeredAlpha(kAlphaGiven, FadeOutAlpha(plan, i)));
  return alphas;
}

TEST(Fade, OpeningFadeRisesInStepsOfThreePointTwo) {
  std::vector<int> a = FadeIn(20);
  ASSERT_EQ(a.size(), 80u);
  EXPECT_EQ(std::vector<int>(a.begin(), a.begin() + 10),
            (std::vector<int>{2, 5, 8, 11, 15, 18, 21, 24, 27, 31}));
  EXPECT_EQ(std::vector<int>(a.end() - 4, a.end()), (std::vector<int>{245, 248, 251, 255}));
  EXPECT_EQ(PlanFade(20).stepDelay, 20);
}

TEST(Fade, ClosingFadeFallsToZero) {
  std::vector<int> a = FadeOut(30);
  ASSERT_EQ(a.size(), 120u);
  EXPECT_EQ(std::vector<int>(a.begin(), a.begin() + 8),
            (std::vector<int>{252, 250, 248, 246, 244, 242, 240, 237}));
  EXPECT_EQ(std::vector<int>(a.end() - 4, a.end()), (std::vector<int>{5, 3, 1, 0}));
  // The last raw value is -1; only the clamp makes it 0.
  EXPECT_EQ(FadeOutAlpha(PlanFade(30), 120), -1);
}

TEST(Fade, DelayIsClampedAndZeroMeansFourQuickSteps) {
  EXPECT_EQ(FadeIn(0), (std::vector<int>{63, 127, 191, 255}));
  EXPECT_EQ(FadeOut(0), (std::vector<int>{191, 127, 63, 0}));
  EXPECT_EQ(PlanFade(0).stepDelay, 0);
  EXPECT_EQ(FadeIn(-7), FadeIn(0));
  EXPECT_EQ(PlanFade(-7).stepDelay, 0);
  EXPECT_EQ(FadeIn(1000), FadeIn(64));
  EXPECT_EQ(PlanFade(1000).steps, 256);
  EXPECT_EQ(PlanFade(1000).stepDelay, 64);
}

TEST(Fade, LayeredAlphaByMode) {
  struct Case { int mode, alpha, expected; };
  for (Case c : {Case{2, 300, 255}, {2, -5, 0}, {2, 77, 77}, {1, 0, 192}, {1, 255, 192},
                 {0, 12, 255}, {3, 12, 255}, {-1, 0, 255}})
    EXPECT_EQ(LayeredAlpha(LayeredAlphaMode(c.mode), c.alpha), c.expected) << c.mode << "," << c.alpha;
}

}  // namespace
}  // namespace board
