#include "clip_synth/clip_shape.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "clip_synth/dsp.h"

namespace clipsynth {
namespace {

double ToDb(double linear) { return linear > 0 ? 20 * std::log10(linear) : -200; }

// The loudest short-term loudness, sampled every 100 ms.
double MaxShortTermLufs(std::span<const float> x, int channels, int rate) {
  std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> st(
      ebur128_init(unsigned(channels), unsigned(rate), EBUR128_MODE_S),
      [](ebur128_state* s) { ebur128_destroy(&s); });
  if (!st) return -200;
  if (channels == 1) ebur128_set_channel(st.get(), 0, EBUR128_DUAL_MONO);
  const size_t frames = x.size() / size_t(channels), step = size_t(std::max(1, rate / 10));
  double loudest = -200;
  for (size_t at = 0; at < frames; at += step) {
    const size_t n = std::min(step, frames - at);
    if (ebur128_add_frames_float(st.get(), x.data() + at * size_t(channels), n) != EBUR128_SUCCESS) break;
    double lufs = 0;
    if (ebur128_loudness_shortterm(st.get(), &lufs) == EBUR128_SUCCESS && std::isfinite(lufs))
      loudest = std::max(loudest, lufs);
  }
  return loudest;
}

// The largest magnitude of each frame over its channels.
std::vector<float> FramePeaks(std::span<const float> x, int channels) {
  std::vector<float> m(x.size() / size_t(channels), 0.0f);
  for (size_t i = 0; i < m.size(); ++i)
    for (size_t c = 0; c < size_t(channels); ++c) m[i] = std::max(m[i], std::fabs(x[i * size_t(channels) + c]));
  return m;
}

// Share of the energy a 4th-order low-pass at 20 Hz lets through.
double InfrasoundShare(std::span<const float> x, int channels, int rate) {
  double all = 0, low = 0;
  for (size_t c = 0; c < size_t(channels); ++c) {
    Biquad a(Biquad::kLowPass, 20, 0.54, rate), b(Biquad::kLowPass, 20, 1.31, rate);
    for (size_t i = c; i < x.size(); i += size_t(channels)) {
      const double y = b.tick(a.tick(x[i]));
      all += double(x[i]) * x[i];
      low += y * y;
    }
  }
  return all > 0 ? low / all : 0;
}

}  // namespace

ClipShape MeasureShape(std::span<const float> x, int channels, int rate) {
  ClipShape s;
  if (channels < 1 || channels > 2 || rate <= 0 || x.size() < size_t(channels)) return s;
  const std::vector<float> m = FramePeaks(x, channels);
  const size_t frames = m.size();
  const float peak = *std::max_element(m.begin(), m.end());
  s.crestDb = ToDb(peak) - MaxShortTermLufs(x, channels, rate);
  const float onset = peak * 0.01f;
  s.leadInSeconds = double(std::find_if(m.begin(), m.end(), [&](float v) { return v >= onset && v > 0; }) - m.begin()) / rate;
  if (channels == 2) {
    double l = 0, r = 0;
    for (size_t i = 0; i < frames; ++i) l += double(x[2 * i]) * x[2 * i], r += double(x[2 * i + 1]) * x[2 * i + 1];
    s.balanceDb = l > 0 && r > 0 ? 10 * std::log10(l / r) : 0;
  }
  // Runs of exact silence long enough to be the gate shut, not a zero crossing.
  const size_t window = std::max<size_t>(1, size_t(rate) / 100);
  size_t silent = 0, firstSound = frames;
  for (size_t i = 0; i <= frames; ++i) {
    if (i < frames && m[i] == 0) {
      ++silent;
      continue;
    }
    if (i < frames && firstSound == frames) firstSound = i;
    if (silent >= window && i - silent > firstSound && i - silent >= window) {
      const size_t start = i - silent;
      double sum = 0;
      for (size_t k = (start - window) * size_t(channels); k < start * size_t(channels); ++k) sum += double(x[k]) * x[k];
      const double before = std::max(kSilenceFloorDb, ToDb(std::sqrt(sum / double(window * size_t(channels)))));
      s.steepestFallDb = std::max(s.steepestFallDb, before - kSilenceFloorDb);
      if (i < frames) {
        ++s.ditherSwitches;
        const double gap = double(silent) / rate;
        s.shortestGap = s.shortestGap > 0 ? std::min(s.shortestGap, gap) : gap;
      }
    }
    if (silent >= window) s.soundSeconds -= double(silent) / rate;
    silent = 0;
  }
  s.soundSeconds += double(frames) / rate;
  s.infrasound = InfrasoundShare(x, channels, rate);
  return s;
}

double LevelAfterShotsDb(std::span<const float> x, int channels, int rate) {
  if (channels < 1 || channels > 2 || rate <= 0 || x.size() < size_t(channels)) return 0;
  const std::vector<float> m = FramePeaks(x, channels);
  const float peak = *std::max_element(m.begin(), m.end());
  const size_t gap = size_t(0.06 * rate), from = size_t(0.02 * rate), to = size_t(0.05 * rate);
  std::vector<double> levels;
  for (size_t i = 0; i < m.size();) {
    if (peak <= 0 || m[i] < peak * 0.5f) {
      ++i;
      continue;
    }
    // The shot's peak is the loudest sample of the next 60 ms.
    const size_t end = std::min(m.size(), i + gap);
    const size_t top = size_t(std::max_element(m.begin() + long(i), m.begin() + long(end)) - m.begin());
    if (top + to > m.size()) break;
    const float after = *std::max_element(m.begin() + long(top + from), m.begin() + long(top + to));
    levels.push_back(ToDb(after) - ToDb(m[top]));
    i = top + gap;
  }
  if (levels.empty()) return 0;
  std::nth_element(levels.begin(), levels.begin() + long(levels.size() / 2), levels.end());
  return levels[levels.size() / 2];
}

}  // namespace clipsynth
