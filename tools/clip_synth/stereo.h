// The stereo mix every clip is rendered into, and what is done to a whole mix:
// placing sounds, reverb and echo (the final level stage is in level.h).
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "clip_synth/dsp.h"

namespace clipsynth {

// Constant-power gains for a position from -1 (left) to +1 (right); both 1 in the centre.
struct PanGains {
  double left, right;
};
inline PanGains Pan(double pan) {
  const double angle = (Clamp(pan, -1, 1) + 1) * kPi / 4;
  return {std::cos(angle) * 1.41421356, std::sin(angle) * 1.41421356};
}

struct Stereo {
  Stereo(int rate, size_t frames) : rate(rate), left(frames, 0.0f), right(frames, 0.0f) {}
  size_t frames() const { return left.size(); }
  double seconds() const { return double(frames()) / rate; }
  size_t frameAt(double second) const { return second <= 0 ? 0 : size_t(second * rate + 0.5); }

  // Adds a mono sound from `at` seconds on, constant-power panned (-1 left .. +1 right).
  // Whatever runs past the end is dropped.
  void mix(std::span<const float> mono, double at, double gain = 1, double pan = 0);
  void mix(const Stereo& other, double at, double gain = 1);
  // Adds one sample at `frame`, panned like `mix` (for sources that move).
  void add(size_t frame, double x, double pan) {
    const PanGains g = Pan(pan);
    left[frame] += float(x * g.left);
    right[frame] += float(x * g.right);
  }
  void scale(double gain);
  // Left and right become their average (mono clips).
  void foldToMono();

  int rate;
  std::vector<float> left, right;
};

// Stereo reverb (parallel damped combs into series allpasses, left and right detuned).
struct ReverbSettings {
  double room = 0.7;     // 0..1, decay length
  double damping = 0.4;  // 0..1, high-frequency loss
  double wet = 0.25;
  double dry = 1;
  double width = 1;      // 0 mono .. 1 full stereo
  double preDelay = 0;   // seconds
};
void ApplyReverb(Stereo& buf, const ReverbSettings& settings);

// Feedback echo; with `pingPong` repeats alternate between the sides.
struct EchoSettings {
  double delay = 0.3;  // seconds
  double feedback = 0.4;
  double wet = 0.5;
  double toneHz = 3000;  // low-pass in the loop: each repeat is duller
  bool pingPong = true;
};
void ApplyEcho(Stereo& buf, const EchoSettings& settings);

// Fades the last `seconds` of the mix out along (1 - u)^3: the sound has finished, and what
// is left of its room dies away before the clip ends.
void FadeOut(Stereo& buf, double seconds);

}  // namespace clipsynth
