// The built clips as a listener meets them: all about equally loud (shots and blows as loud as
// their peak allows), none over the true-peak limit, each ending quietly, and no dither hiss
// where the sound is digital silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/clip_catalogue.h"
#include "audio/wave_chunks.h"
#include "clip_synth/clip_analysis.h"
#include "clip_synth/clip_shape.h"
#include "clip_synth/recipes.h"
#include "clip_synth/wave_file.h"
#include "generated_files.h"
#include "base/value_types.h"

namespace board {
namespace {

constexpr double kTargetLufs = -16, kToleranceLu = 1, kMaxTruePeakDb = -1, kQuietEndDb = 30, kPeakLevelledDb = 1.6;

struct BuiltClip {
  int id;
  const ClipFormat* format;
  std::vector<float> samples;  // interleaved, full scale 1
  double seconds;
};

const std::vector<BuiltClip>& Clips() {
  static const std::vector<BuiltClip> clips = [] {
    std::vector<BuiltClip> out;
    for (int id = 1; id <= kClipCount; ++id) {
      std::span<const uint8_t> stored = FindClip(GeneratedFile("clips.bin"), id);
      WaveChunks c;
      if (stored.size() < kByteSetHeader || !FindWaveChunks(stored.subspan(kByteSetHeader), c)) continue;
      const ClipFormat& f = kClipFormats[size_t(id - 1)];
      std::vector<float> samples =
          clipsynth::DecodePcm(stored.subspan(kByteSetHeader + c.dataOffset, c.dataSize), f.bitsPerSample);
      const double seconds = double(samples.size() / f.channels) / f.sampleRate;
      out.push_back({id, &f, std::move(samples), seconds});
    }
    return out;
  }();
  return clips;
}

TEST(ClipSound, EveryClipIsInTheLoudnessWindowUnderTheTruePeakLimit) {
  ASSERT_EQ(Clips().size(), size_t(kClipCount)) << "clips.bin is missing or damaged";
  double loudest = -1e9, quietest = 1e9;
  for (const BuiltClip& c : Clips()) {
    SCOPED_TRACE("clip " + std::to_string(c.id));
    clipsynth::Loudness l;
    ASSERT_TRUE(clipsynth::MeasureLoudness(c.samples, c.format->channels, int(c.format->sampleRate), l));
    if (clipsynth::IsImpulsive(c.id) && l.integratedLufs < kTargetLufs - kToleranceLu) {
      // Levelled by its peak, which then sits just under the limit.
      EXPECT_GE(l.truePeakDb, kMaxTruePeakDb - kPeakLevelledDb);
    } else if (c.seconds >= 0.4) {
      EXPECT_NEAR(l.integratedLufs, kTargetLufs, kToleranceLu);
      loudest = std::max(loudest, l.integratedLufs);
      quietest = std::min(quietest, l.integratedLufs);
    }
    EXPECT_LE(l.truePeakDb, kMaxTruePeakDb);
  }
  EXPECT_LE(loudest - quietest, 2 * kToleranceLu);
}

// A clip sounds when its button is clicked, and has died away when it ends.
TEST(ClipSound, EveryClipStartsAtTheClickAndEndsQuietly) {
  for (const BuiltClip& c : Clips()) {
    SCOPED_TRACE("clip " + std::to_string(c.id));
    // About 20 ms, with room for a siren or a bell that swells in from nothing.
    EXPECT_LE(clipsynth::MeasureShape(c.samples, c.format->channels, int(c.format->sampleRate)).leadInSeconds, 0.05)
        << "silence before the sound";
    clipsynth::Loudness l;
    ASSERT_TRUE(clipsynth::MeasureLoudness(c.samples, c.format->channels, int(c.format->sampleRate), l, false));
    const double end = clipsynth::EndLevelDb(c.samples, c.format->channels, int(c.format->sampleRate), 0.05);
    EXPECT_LE(end, l.samplePeakDb - kQuietEndDb) << "the last 50 ms are too loud: the sound is cut off";
    EXPECT_EQ(c.samples.back(), 0.0f) << "the last sample is not silence";
  }
}

// Dither moves a silent sample by one step at most. Every sample that is not zero must be
// near a sample of two steps or more (within the gate's hold, a bridged pause and its fade):
// real sound, not hiss alone.
TEST(ClipSound, NoDitherInDigitalSilence) {
  for (const BuiltClip& c : Clips()) {
    SCOPED_TRACE("clip " + std::to_string(c.id));
    const size_t channels = c.format->channels, frames = c.samples.size() / channels;
    const double steps = c.format->bitsPerSample == 16 ? 32768 : 128;
    const long hold = long(clipsynth::Samples(
        clipsynth::kDitherHoldSeconds + clipsynth::kDitherBridgeSeconds + clipsynth::kDitherFadeSeconds,
        int(c.format->sampleRate)));
    std::vector<long> lastLoud(frames);
    long last = -1 - hold;
    auto frameSteps = [&](size_t i) {
      double m = 0;
      for (size_t k = 0; k < channels; ++k) m = std::max(m, std::fabs(c.samples[i * channels + k] * steps));
      return m;
    };
    for (size_t i = 0; i < frames; ++i) lastLoud[i] = last = frameSteps(i) >= 2 ? long(i) : last;
    long next = long(frames) + hold, lonely = 0;
    for (size_t i = frames; i-- > 0;) {
      const double m = frameSteps(i);
      if (m >= 2) next = long(i);
      if (m > 0 && long(i) - lastLoud[i] > hold && next - long(i) > hold) ++lonely;
    }
    EXPECT_EQ(lonely, 0) << "samples of dither hiss far from any sound";
  }
}

// Where an 8-bit clip's sound sinks into digital silence it fades: the 10 ms before the
// silence lie close to the silence floor, not at the gate level. And the dither hiss does
// not drop out for a moment amid a sound, nor switch more than a few times a second.
TEST(ClipSound, QuietPassagesFadeIntoSilenceWithoutFlicker) {
  for (const BuiltClip& c : Clips()) {
    SCOPED_TRACE("clip " + std::to_string(c.id));
    const clipsynth::ClipShape s = clipsynth::MeasureShape(c.samples, c.format->channels, int(c.format->sampleRate));
    EXPECT_LE(s.steepestFallDb, 12) << "a sound stops dead instead of fading";
    EXPECT_LE(s.ditherSwitches, 3 * s.soundSeconds);
    if (s.ditherSwitches > 0) EXPECT_GE(s.shortestGap, 0.04) << "the hiss drops out for a moment";
  }
}

// A gun's blast is over in a few milliseconds: 20 to 50 ms after each shot's peak the clip
// lies well under it, with neither the blast's body nor the levelling bringing it back up.
TEST(ClipSound, ShotsDropAwayAfterTheirPeak) {
  for (int id : {3, 17, 55, 64}) {
    const BuiltClip& c = Clips().at(size_t(id - 1));
    EXPECT_LE(clipsynth::LevelAfterShotsDb(c.samples, c.format->channels, int(c.format->sampleRate)), -6)
        << "clip " << id;
  }
}

}  // namespace
}  // namespace board
