// The final level stage every clip goes through: DC removal, the short anti-click fades at
// both ends, then one gain (up or down) that brings the integrated loudness to the target,
// with a look-ahead limiter that holds the true (4x oversampled) peak under a ceiling.
#pragma once
#include <vector>

#include "clip_synth/stereo.h"

namespace clipsynth {

struct MasterSettings {
  double targetLufs = -16;
  // Under the -1 dBTP limit by a margin for the quantization to 8 or 16 bits and for the
  // difference between our peak estimate and libebur128's.
  double ceilingDb = -1.6;
  double attack = 0.002;   // seconds for the limiter to reach full reduction
  double release = 0.06;   // seconds to recover
  double fadeIn = 0.001;
  double fadeOut = 0.01;   // the very end reaches digital silence
  // Above 0, a steep (4th-order) high-pass there: rumble below hearing spends loudness and
  // speaker travel a listener gets nothing for. 0 removes only DC.
  double highPassHz = 0;
  // Levelled by the peak alone: one gain up to the target or until the true peak meets the
  // ceiling, whichever comes first, and no limiter. A shot or a blow is heard by its peak
  // and the drop after it; a limiter working on it would flatten that drop.
  bool peakOnly = false;
};

// Levels `buf` in place; `channels` is the clip's (a mono clip is measured as dual mono:
// both sides of `buf` must then be equal). Deterministic.
void Master(Stereo& buf, int channels, const MasterSettings& settings = {});

// The largest magnitude of each frame and of the band-limited signal between it and the next
// (three points interpolated at quarter steps), over the first `channels` channels.
std::vector<float> OversampledPeaks(const Stereo& buf, int channels);

// Sample peak and RMS of a mix (both channels), linear.
struct MixLevels {
  double peak = 0, rms = 0;
};
MixLevels Measure(const Stereo& buf);

}  // namespace clipsynth
