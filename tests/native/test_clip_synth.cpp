#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/clip_catalogue.h"
#include "clip_synth/clip_analysis.h"
#include "clip_synth/dsp.h"
#include "clip_synth/level.h"
#include "clip_synth/music.h"
#include "clip_synth/stereo.h"
#include "clip_synth/voice.h"
#include "clip_synth/wave_file.h"
#include "base/byte_io.h"

namespace clipsynth {
namespace {

TEST(ClipSynth, PcmLayoutFollowsTheFormat) {
  Stereo mix(11025, 3);
  mix.left = {0.5f, 1.5f, 0.0f};
  mix.right = {-0.5f, -1.5f, 0.0f};
  struct Row {
    uint16_t channels, bits;
    std::vector<int> expected;  // samples as stored, per frame and channel
  };
  // Mono is the average of the sides; out-of-range samples are clamped, not wrapped.
  const std::vector<Row> rows = {
      {1, 8, {128, 128, 128}},
      {2, 8, {128 + 64, 128 - 64, 255, 1, 128, 128}},
      {1, 16, {0, 0, 0}},
      {2, 16, {16384, -16384, 32767, -32767, 0, 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.channels << " ch " << r.bits << " bit");
    const uint32_t bytes = uint32_t(r.expected.size() * r.bits / 8 + r.bits / 8 * r.channels);
    board::ClipFormat f{r.channels, 11025, r.bits, bytes, ""};
    std::vector<uint8_t> pcm = EncodePcm(mix, f, 7);
    ASSERT_EQ(pcm.size(), bytes);  // one frame more than the mix: filled with silence
    for (size_t i = 0; i < r.expected.size() + r.channels; ++i) {
      int v = r.bits == 16 ? int(int16_t(board::LoadU16(&pcm[2 * i]))) : int(pcm[i]);
      int want = i < r.expected.size() ? r.expected[i] : (r.bits == 16 ? 0 : 128);
      EXPECT_NEAR(v, want, 1) << "sample " << i;  // dither moves a sample by at most one step
    }
  }
}

TEST(ClipSynth, MasterLowersAndRaisesToTheTargetUnderTheCeiling) {
  const int rate = 22050;
  Stereo loud(rate, rate), quiet(rate, rate), spiky(rate, rate), silent(rate, rate);
  for (size_t i = 0; i < loud.frames(); ++i) {
    double s = std::sin(kTwoPi * 220 * double(i) / rate);
    loud.left[i] = float(3 * s);
    loud.right[i] = float(-2 * s);
    quiet.left[i] = quiet.right[i] = float(0.001 * s);
    // Bright spikes far above a quiet bed: only a limiter can bring this to the target.
    spiky.left[i] = spiky.right[i] = float(0.01 * s + (i % 2000 == 0 ? 0.9 : 0) - (i % 2000 == 1 ? 0.9 : 0));
  }
  MasterSettings settings;
  Master(loud, 2, settings);
  Master(quiet, 1, settings);
  Master(spiky, 1, settings);
  Master(silent, 2, settings);
  struct Row {
    const Stereo* mix;
    int channels;
  };
  for (const Row& r : {Row{&loud, 2}, Row{&quiet, 1}, Row{&spiky, 1}}) {
    std::vector<float> samples;
    for (size_t i = 0; i < r.mix->frames(); ++i) {
      samples.push_back(r.mix->left[i]);
      if (r.channels == 2) samples.push_back(r.mix->right[i]);
    }
    Loudness l;
    ASSERT_TRUE(MeasureLoudness(samples, r.channels, rate, l));
    EXPECT_NEAR(l.integratedLufs, settings.targetLufs, 0.1);
    EXPECT_LE(l.truePeakDb, settings.ceilingDb + 0.3);
    EXPECT_EQ(r.mix->left.back(), 0.0f);  // faded out: no click at the end
  }
  EXPECT_EQ(Measure(silent).peak, 0);
}

TEST(ClipSynth, OversampledPeaksFindTheCrestBetweenSamples) {
  // A sine at a quarter of the rate, sampled 45 degrees off its crests: every sample is at
  // 0.707 of the true peak, which lies halfway between two of them (every other interval).
  const int rate = 8000;
  Stereo m(rate, 400);
  for (size_t i = 0; i < m.frames(); ++i) m.left[i] = m.right[i] = float(std::sin(kPi / 2 * double(i) + kPi / 4));
  std::vector<float> peaks = OversampledPeaks(m, 1);
  EXPECT_NEAR(Measure(m).peak, std::sqrt(0.5), 1e-6);
  for (size_t i = 50; i < 350; ++i) EXPECT_NEAR(std::max(peaks[i - 1], peaks[i]), 1.0, 0.02) << i;
}

TEST(ClipSynth, DitherStaysOutOfDigitalSilence) {
  for (uint16_t bits : {uint16_t(8), uint16_t(16)}) {
    SCOPED_TRACE(testing::Message() << bits << " bit");
    const int rate = 11025;
    const double step = bits == 16 ? 1 / 32767.0 : 1 / 127.0;
    Stereo mix(rate, rate);
    // Silence, a tone, silence, then a tone under the gate level (a fading tail).
    for (size_t i = 0; i < mix.frames(); ++i) {
      double t = double(i) / rate, x = 0;
      if (t >= 0.2 && t < 0.4) x = 0.3 * std::sin(kTwoPi * 440 * t);
      if (t >= 0.7) x = 2 * step * std::sin(kTwoPi * 440 * t);
      mix.left[i] = mix.right[i] = float(x);
    }
    board::ClipFormat f{1, uint32_t(rate), bits, uint32_t(rate * bits / 8), ""};
    std::vector<uint8_t> pcm = EncodePcm(mix, f, 9);
    std::vector<float> out = DecodePcm(pcm, bits);
    const size_t hold = Samples(kDitherHoldSeconds, rate);
    size_t dithered = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      const bool nearTone = i + hold >= size_t(0.2 * rate) && i < size_t(0.4 * rate) + hold;
      if (!nearTone) {
        ASSERT_EQ(out[i], 0.0f) << "sample " << i;
      } else if (i >= size_t(0.2 * rate) && i < size_t(0.4 * rate)) {
        const double plain = std::floor(double(mix.left[i]) / step + 0.5);
        dithered += std::fabs(out[i] * (bits == 16 ? 32768 : 128) - plain) > 0.5;
      }
    }
    EXPECT_GT(dithered, size_t(0.05 * rate));  // the tone itself is dithered
  }
}

TEST(ClipSynth, AdditiveToneHasOnlyPartialsBelowTheLimit) {
  const int rate = 11025;
  Additive high, square;
  // 3 kHz at 11025 Hz: its second partial would fold back, so only the sine remains.
  double worst = 0, phase = 0;
  for (int n = 0; n < 2000; ++n) {
    worst = std::max(worst, std::fabs(high.tick(3000, rate, false) - std::sin(kTwoPi * phase)));
    phase += 3000.0 / rate;
  }
  EXPECT_LT(worst, 1e-6);
  // A low square wave: sum of odd partials / n is pi/4 a quarter period in.
  const int quarter = 441 / 4;  // 25 Hz at 11025 Hz: 441 samples a period
  double v = 0;
  for (int n = 0; n <= quarter; ++n) v = square.tick(25, rate, true);
  EXPECT_NEAR(v, kPi / 4, 0.03);
}

TEST(ClipSynth, VoiceStaysStableAtTheEdges) {
  // Formants beyond the Nyquist limit, extreme pitches, full breath: no blow-up, no NaN.
  Voice voice(11025, 3, {.jitter = 0.2, .shimmer = 0.9, .creak = 1, .nasal = 1});
  Formants f = Vowel('i', 2.5);
  double peak = 0;
  for (int n = 0; n < 11025; ++n) {
    double pitch = n % 2000 < 1000 ? 20 : 4000;
    double y = voice.tick(pitch, 1, 1, f);
    ASSERT_TRUE(std::isfinite(y));
    peak = std::max(peak, std::fabs(y));
  }
  EXPECT_LT(peak, 50);
}

TEST(ClipSynth, PieceFillsTheClipAndRepeatsExactly) {
  Piece p;
  p.progressions = {{{0}, {3}, {4}, {0}}};
  p.pad = {Instrument::kPad, 4, 0.5, 0, 0.3};
  p.bass = {Instrument::kBass, 2, 0.5, 0, 0};
  p.melody = {Instrument::kLead, 4, 0.5, 0, 0.2};
  p.bassPattern = "R.F.";
  p.kick = "X...";
  p.melodyRhythm = {"x-x-", "x---", "x-x-", "x---"};
  p.sections = {{2, 0, kPad | kBassLine | kBeat}, {4, 0, kPad | kMelody | kBeat | kFill}};
  p.tail = 1;
  const size_t frames = 11025 * 9 + 17;
  Stereo a = RenderPiece(11025, frames, p), b = RenderPiece(11025, frames, p);
  ASSERT_EQ(a.frames(), frames);
  EXPECT_EQ(a.left, b.left);
  // Sound until the final chord rings: the second before the tail is not quiet.
  double sum = 0;
  for (size_t i = frames - 2 * 11025; i < frames - 11025; ++i) sum += a.left[i] * a.left[i];
  EXPECT_GT(std::sqrt(sum / 11025), 1e-3);

  p.sections.clear();  // nothing to play: silence of the right length, no crash
  EXPECT_EQ(RenderPiece(11025, 100, p).frames(), 100u);
}

TEST(ClipSynth, MixingPastTheEndIsDropped) {
  Stereo m(8000, 100);
  Signal s(300, 1.0f);
  m.mix(s, 0.01, 1, -1);     // starts at frame 80: 20 frames land
  m.mix(s, 5.0, 1, 1);       // starts beyond the end: nothing lands
  EXPECT_EQ(std::count(m.left.begin(), m.left.end(), 0.0f), 80);
  EXPECT_NEAR(m.left[99], std::sqrt(2.0), 1e-6);
  EXPECT_NEAR(m.right[99], 0, 1e-6);
}

}  // namespace
}  // namespace clipsynth
