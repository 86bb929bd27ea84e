#include "clip_synth/level.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "clip_synth/clip_analysis.h"

namespace clipsynth {
namespace {

constexpr int kTaps = 8;  // each side of the interpolation point

// Windowed-sinc weights for the points a quarter, a half and three quarters past a sample.
struct Interpolator {
  std::array<std::array<double, 2 * kTaps>, 3> weights;
  Interpolator() {
    for (int p = 0; p < 3; ++p) {
      const double frac = (p + 1) / 4.0;
      for (int k = -kTaps + 1; k <= kTaps; ++k) {
        const double t = frac - k;  // distance from sample i + k to the point
        const double sinc = std::sin(kPi * t) / (kPi * t);
        const double u = t / kTaps;  // Blackman window over [-kTaps, kTaps]
        const double w = 0.42 + 0.5 * std::cos(kPi * u) + 0.08 * std::cos(2 * kPi * u);
        weights[size_t(p)][size_t(k + kTaps - 1)] = sinc * w;
      }
    }
  }
};

std::vector<float> Interleave(const Stereo& buf, int channels) {
  std::vector<float> out(buf.frames() * size_t(channels));
  for (size_t i = 0; i < buf.frames(); ++i) {
    out[i * size_t(channels)] = buf.left[i];
    if (channels == 2) out[i * 2 + 1] = buf.right[i];
  }
  return out;
}

double LoudnessOf(const Stereo& buf, int channels) {
  Loudness l;
  std::vector<float> samples = Interleave(buf, channels);
  return MeasureLoudness(samples, channels, buf.rate, l, false) ? l.integratedLufs : -1e9;
}

}  // namespace

std::vector<float> OversampledPeaks(const Stereo& buf, int channels) {
  static const Interpolator interp;
  const size_t n = buf.frames();
  std::vector<float> peaks(n, 0.0f);
  for (int c = 0; c < std::min(channels, 2); ++c) {
    const std::vector<float>& x = c ? buf.right : buf.left;
    for (size_t i = 0; i < n; ++i) {
      double peak = std::fabs(x[i]);
      for (const auto& w : interp.weights) {
        double v = 0;
        const long first = long(i) - kTaps + 1;
        if (first >= 0 && first + 2 * kTaps <= long(n)) {
          for (size_t k = 0; k < 2 * kTaps; ++k) v += w[k] * x[size_t(first) + k];
        } else {
          for (size_t k = 0; k < 2 * kTaps; ++k) {
            const long at = first + long(k);
            if (at >= 0 && at < long(n)) v += w[k] * x[size_t(at)];
          }
        }
        peak = std::max(peak, std::fabs(v));
      }
      peaks[i] = std::max(peaks[i], float(peak));
    }
  }
  return peaks;
}

MixLevels Measure(const Stereo& buf) {
  MixLevels m;
  double sum = 0;
  for (size_t i = 0; i < buf.frames(); ++i) {
    double a = buf.left[i], b = buf.right[i];
    m.peak = std::max({m.peak, std::fabs(a), std::fabs(b)});
    sum += a * a + b * b;
  }
  if (buf.frames()) m.rms = std::sqrt(sum / (2.0 * buf.frames()));
  return m;
}

void Master(Stereo& buf, int channels, const MasterSettings& s) {
  const size_t n = buf.frames();
  if (n == 0) return;
  channels = channels == 1 ? 1 : 2;
  const size_t fadeIn = Samples(s.fadeIn, buf.rate), fadeOut = Samples(s.fadeOut, buf.rate);
  for (std::vector<float>* ch : {&buf.left, &buf.right}) {
    OnePole dc(12, buf.rate);
    const double cut = s.highPassHz > 0 ? s.highPassHz : 1;  // Butterworth as two sections
    Biquad hp1(Biquad::kHighPass, cut, 0.54, buf.rate), hp2(Biquad::kHighPass, cut, 1.31, buf.rate);
    for (size_t i = 0; i < n; ++i) {
      double f = 1;
      if (i < fadeIn) f = double(i) / fadeIn;
      if (n - i <= fadeOut) f = std::min(f, double(n - 1 - i) / fadeOut);
      double x = dc.high((*ch)[i]);
      if (s.highPassHz > 0) x = hp2.tick(hp1.tick(x));
      (*ch)[i] = float(x * f);
    }
  }
  const double start = LoudnessOf(buf, channels);
  if (start < -150) {  // nothing passes the gate: leave silence silent
    buf.scale(0);
    return;
  }

  // One gain towards the target, both ways; the limiter's gain curve per frame falls ahead
  // of a peak over `attack` and recovers over `release`. Limiting takes some loudness away,
  // so the gain is corrected and the curve made again until the loudness sits on target.
  const std::vector<float> peaks = OversampledPeaks(buf, channels);
  const double ceiling = DbToGain(s.ceilingDb);
  if (s.peakOnly) {
    const double top = *std::max_element(peaks.begin(), peaks.end());
    buf.scale(std::min(DbToGain(s.targetLufs - start), top > 0 ? ceiling / top : 1.0));
    return;
  }
  const float attackStep = float(1.0 / std::max(1.0, s.attack * buf.rate));
  const float releaseStep = float(1.0 / std::max(1.0, s.release * buf.rate));
  const Stereo input = buf;
  std::vector<float> g(n);
  double gain = DbToGain(s.targetLufs - start);
  for (int pass = 0; pass < 12; ++pass) {
    for (size_t i = 0; i < n; ++i) {
      const double a = peaks[i] * gain;
      g[i] = float(a > ceiling ? ceiling / a : 1.0);
    }
    for (size_t i = n - 1; i-- > 0;) g[i] = std::min(g[i], g[i + 1] + attackStep);
    for (size_t i = 1; i < n; ++i) g[i] = std::min(g[i], g[i - 1] + releaseStep);
    for (size_t i = 0; i < n; ++i) {
      const double f = g[i] * gain;
      buf.left[i] = float(Clamp(input.left[i] * f, -ceiling, ceiling));
      buf.right[i] = float(Clamp(input.right[i] * f, -ceiling, ceiling));
    }
    const double miss = s.targetLufs - LoudnessOf(buf, channels);
    if (std::fabs(miss) < 0.05) break;
    gain *= DbToGain(miss);
  }
}

}  // namespace clipsynth
