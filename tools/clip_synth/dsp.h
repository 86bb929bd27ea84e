// Signal-processing building blocks of the clip synthesizer: a seeded integer PRNG,
// oscillators, noise colours, envelopes and curves, filters and delay lines.
// Everything is deterministic: the same calls give the same samples on every run.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace clipsynth {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

using Signal = std::vector<float>;

// xorshift64* seeded through splitmix64; our own so no library distribution is involved.
class Rng {
 public:
  explicit Rng(uint64_t seed);
  uint32_t next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return uint32_t((state_ * 0x2545F4914F6CDD1Dull) >> 32);
  }
  double uniform() { return next() * (1.0 / 4294967296.0); }  // [0, 1)
  double bipolar() { return 2 * uniform() - 1; }               // [-1, 1)
  double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
  int below(int n) { return int((uint64_t(next()) * uint64_t(n)) >> 32); }
  bool chance(double p) { return uniform() < p; }
  // Roughly normal (sum of four uniforms), unit variance.
  double normal() { return (uniform() + uniform() + uniform() + uniform() - 2) * 1.7320508; }

 private:
  uint64_t state_;
};

double MidiToHz(double midi);
double DbToGain(double db);
double Clamp(double x, double lo, double hi);
double Lerp(double a, double b, double t);
// Smooth 0..1 step over [0, 1].
double SmoothStep(double t);

// Phase-accumulating oscillator; frequency may change every sample. Saw and pulse are
// band-limited with polyBLEP so low sample rates do not fold harmonics back.
class Osc {
 public:
  explicit Osc(double phase = 0) : phase_(phase) {}
  double sine(double freq, int rate) { return std::sin(kTwoPi * advance(freq / rate)); }
  double saw(double freq, int rate);
  double pulse(double freq, int rate, double width = 0.5);
  double triangle(double freq, int rate);

 private:
  double advance(double dt) {
    double p = phase_;
    phase_ += dt;
    if (phase_ >= 1) phase_ -= std::floor(phase_);
    return p;
  }
  double phase_;
};

// Two-operator FM: a sine carrier whose phase a sine modulator at `ratio` times its
// frequency pushes by up to `index` radians. Bells, electric pianos, zaps.
class Fm {
 public:
  double tick(double carrierHz, double ratio, double index, int rate) {
    double y = std::sin(kTwoPi * carrier_ + index * std::sin(kTwoPi * modulator_));
    carrier_ += carrierHz / rate;
    modulator_ += carrierHz * ratio / rate;
    carrier_ -= std::floor(carrier_);
    modulator_ -= std::floor(modulator_);
    return y;
  }

 private:
  double carrier_ = 0, modulator_ = 0;
};

// Band-limited additive tone: partials 1, 2, 3... (odd ones only for a square-like tone)
// of amplitude 1/n, each under 0.45 of the rate, so sweeping tones stay clean at any rate.
class Additive {
 public:
  double tick(double freq, int rate, bool oddOnly);

 private:
  double phase_ = 0;
};

// Pink (-3 dB/octave) and brown (-6 dB/octave) noise from white draws.
class PinkNoise {
 public:
  double tick(Rng& rng);

 private:
  double b0_ = 0, b1_ = 0, b2_ = 0;
};
class BrownNoise {
 public:
  double tick(Rng& rng) {
    value_ = (value_ + 0.02 * rng.bipolar()) / 1.02;
    return value_ * 3.5;
  }

 private:
  double value_ = 0;
};

// Piecewise-linear curve through (time, value) points; holds the end values outside them.
class Curve {
 public:
  using Point = std::pair<double, double>;
  Curve(std::initializer_list<Point> points) : points_(points) {}
  explicit Curve(std::vector<Point> points) : points_(std::move(points)) {}
  double operator()(double t) const;

 private:
  std::vector<Point> points_;
};

// Level of a note held for `hold` seconds at time t (attack, decay, sustain, release).
double Adsr(double t, double hold, double attack, double decay, double sustain, double release);
// A struck sound: linear attack, then exponential decay with time constant `decay`.
double Strike(double t, double attack, double decay);

// RBJ biquad, transposed direct form II.
class Biquad {
 public:
  enum Type { kLowPass, kHighPass, kBandPass, kPeak };
  Biquad() = default;
  Biquad(Type type, double freq, double q, int rate, double gainDb = 0) {
    set(type, freq, q, rate, gainDb);
  }
  void set(Type type, double freq, double q, int rate, double gainDb = 0);
  double tick(double x) {
    double y = b0_ * x + z1_;
    z1_ = b1_ * x - a1_ * y + z2_;
    z2_ = b2_ * x - a2_ * y;
    return y;
  }

 private:
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0, z1_ = 0, z2_ = 0;
};

// Topology-preserving state-variable filter: stays stable when swept every sample.
class Svf {
 public:
  struct Out {
    double low, band, high;
  };
  void set(double freq, double q, int rate);
  Out tick(double x) {
    double v3 = x - ic2_;
    double v1 = a1_ * ic1_ + a2_ * v3;
    double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2 * v1 - ic1_;
    ic2_ = 2 * v2 - ic2_;
    return {v2, v1, x - k_ * v1 - v2};
  }

 private:
  double a1_ = 1, a2_ = 0, a3_ = 0, k_ = 1, ic1_ = 0, ic2_ = 0;
};

class OnePole {
 public:
  OnePole() = default;
  OnePole(double freq, int rate) { set(freq, rate); }
  void set(double freq, int rate);
  double low(double x) { return y_ = x + a_ * (y_ - x); }
  double high(double x) { return x - low(x); }

 private:
  double a_ = 0, y_ = 0;
};

// Two-pole resonator with unit gain at 0 Hz; cascaded they shape vowels.
class Resonator {
 public:
  void set(double freq, double bandwidth, int rate);
  double tick(double x) {
    double y = a_ * x + b_ * y1_ + c_ * y2_;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double a_ = 1, b_ = 0, c_ = 0, y1_ = 0, y2_ = 0;
};

// A decaying sinusoid computed by recursion (no trig per sample): bells, metal, bubbles.
struct Mode {
  double freq, amp, decay;  // Hz, linear, seconds to fall by 1/e
};
// Adds the modes, starting at sample `start`, into `out` (clipped to its length).
void AddModes(Signal& out, size_t start, int rate, const std::vector<Mode>& modes);

// Fixed-capacity delay line read at fractional delays.
class DelayLine {
 public:
  explicit DelayLine(size_t capacity) : buffer_(capacity + 2, 0.0f) {}
  void push(double x) {
    buffer_[pos_] = float(x);
    pos_ = pos_ + 1 == buffer_.size() ? 0 : pos_ + 1;
  }
  // The sample pushed `delay` samples ago (1 = the last one), linearly interpolated.
  double tap(double delay) const;

 private:
  std::vector<float> buffer_;
  size_t pos_ = 0;
};

// Reads `in` at positions 0, step, 2 step, ... (step > 1 plays it faster and higher) through
// a windowed-sinc interpolator whose cut-off also keeps a faster reading free of aliases.
Signal Resample(const Signal& in, double step);

// Soft saturation with unit slope at 0.
inline double Saturate(double x) { return std::tanh(x); }

// Length in samples of `seconds` at `rate`.
inline size_t Samples(double seconds, int rate) {
  return seconds <= 0 ? 0 : size_t(seconds * rate + 0.5);
}

}  // namespace clipsynth
