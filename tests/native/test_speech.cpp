// The speech engine behind the spoken clips: the pinned espeak-ng, speaking the same words
// the same way every time, and the resampler that performs its output at a clip's rate.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "clip_synth/dsp.h"
#include "clip_synth/speech.h"

namespace clipsynth {
namespace {

uint64_t Fingerprint(const Signal& samples) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a over the 16-bit samples
  for (float f : samples) h = (h ^ uint16_t(int16_t(std::lround(f * 32768)))) * 1099511628211ull;
  return h;
}

TEST(Speech, ThePinnedEngineSaysTheSameWordsTheSameWay) {
  const std::string version = SpeechEngineVersion();
  ASSERT_FALSE(version.empty()) << "espeak-ng cannot be run; scripts/deps.sh installs it";
  EXPECT_EQ(version, kPinnedEspeakVersion) << "the spoken clips were made with another espeak-ng (README)";
  const SpeechTake take{"救命", "", 50, "medium", 175};
  const SpeechAudio a = Synthesize(take), b = Synthesize(take);
  EXPECT_EQ(a.rate, 22050);
  EXPECT_GT(a.samples.size(), size_t(a.rate / 4)) << "no words came out";
  EXPECT_EQ(a.samples, b.samples);
  // As espeak-ng 1.51 of Debian 12 says it. Other engine code or voice data says it
  // differently, and the two spoken clips change with it.
  EXPECT_EQ(Fingerprint(a.samples), 0x491becbbbf82d606ull);
}

TEST(Speech, ResamplingRaisesThePitchWithoutAliases) {
  const int rate = 11025;
  auto toneLevel = [&](const Signal& s, double hz) {  // amplitude of one frequency in s
    double re = 0, im = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      re += s[i] * std::cos(kTwoPi * hz * double(i) / rate);
      im += s[i] * std::sin(kTwoPi * hz * double(i) / rate);
    }
    return 2 * std::hypot(re, im) / double(s.size());
  };
  Signal low(rate), high(rate);
  for (size_t i = 0; i < low.size(); ++i) {
    low[i] = float(std::sin(kTwoPi * 1000 * double(i) / rate));
    high[i] = float(std::sin(kTwoPi * 4000 * double(i) / rate));
  }
  // Read twice as fast: 1 kHz becomes 2 kHz; 4 kHz would be 8 kHz, above the limit, and
  // must not fold back to 3025 Hz.
  const Signal up = Resample(low, 2), folded = Resample(high, 2);
  EXPECT_NEAR(up.size(), low.size() / 2, 1);
  EXPECT_NEAR(toneLevel(up, 2000), 1, 0.05);
  EXPECT_LT(toneLevel(folded, 3025), 0.01);
}

}  // namespace
}  // namespace clipsynth
