#include "clip_synth/dsp.h"

#include <algorithm>

namespace clipsynth {

Rng::Rng(uint64_t seed) {
  uint64_t z = seed + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  state_ = z ^ (z >> 31);
  if (state_ == 0) state_ = 0x2545F4914F6CDD1Dull;
}

double MidiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12); }
double DbToGain(double db) { return std::pow(10.0, db / 20); }
double Clamp(double x, double lo, double hi) { return x < lo ? lo : x > hi ? hi : x; }
double Lerp(double a, double b, double t) { return a + (b - a) * t; }
double SmoothStep(double t) {
  t = Clamp(t, 0, 1);
  return t * t * (3 - 2 * t);
}

namespace {
// Correction around a discontinuity at phase 0 for a step of height 2.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1;
  }
  if (t > 1 - dt) {
    t = (t - 1) / dt;
    return t * t + t + t + 1;
  }
  return 0;
}
}  // namespace

double Osc::saw(double freq, int rate) {
  double dt = Clamp(freq / rate, 0, 0.5);
  double p = advance(dt);
  return 2 * p - 1 - PolyBlep(p, dt);
}

double Osc::pulse(double freq, int rate, double width) {
  double dt = Clamp(freq / rate, 0, 0.5);
  double p = advance(dt);
  double v = p < width ? 1 : -1;
  double q = p + 1 - width;
  if (q >= 1) q -= 1;
  return v + PolyBlep(p, dt) - PolyBlep(q, dt);
}

double Osc::triangle(double freq, int rate) {
  double p = advance(Clamp(freq / rate, 0, 0.5));
  return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
}

double Additive::tick(double freq, int rate, bool oddOnly) {
  double w = kTwoPi * phase_;
  phase_ += Clamp(freq / rate, 0, 0.5);
  if (phase_ >= 1) phase_ -= std::floor(phase_);
  // sin(n w) by the Chebyshev recursion: one sine and one cosine per sample.
  const double s1 = std::sin(w), c2 = 2 * std::cos(w);
  double prev = 0, cur = s1, x = 0;
  for (int n = 1; n * freq < 0.45 * rate; ++n) {
    if (!oddOnly || n % 2) x += cur / n;
    double next = c2 * cur - prev;
    prev = cur;
    cur = next;
  }
  return x;
}

double PinkNoise::tick(Rng& rng) {
  double w = rng.bipolar();
  b0_ = 0.99765 * b0_ + w * 0.0990460;
  b1_ = 0.96300 * b1_ + w * 0.2965164;
  b2_ = 0.57000 * b2_ + w * 1.0526913;
  return (b0_ + b1_ + b2_ + w * 0.1848) * 0.3;
}

double Curve::operator()(double t) const {
  if (points_.empty()) return 0;
  if (t <= points_.front().first) return points_.front().second;
  if (t >= points_.back().first) return points_.back().second;
  auto hi = std::upper_bound(points_.begin(), points_.end(), t,
                             [](double v, const Point& p) { return v < p.first; });
  auto lo = hi - 1;
  double span = hi->first - lo->first;
  return span <= 0 ? hi->second : Lerp(lo->second, hi->second, (t - lo->first) / span);
}

double Adsr(double t, double hold, double attack, double decay, double sustain, double release) {
  auto held = [&](double u) {
    if (u < attack) return u / attack;
    u -= attack;
    return u < decay ? 1 - (1 - sustain) * u / decay : sustain;
  };
  if (t < 0) return 0;
  if (t < hold) return held(t);
  double after = t - hold;
  return after >= release ? 0 : held(hold) * (1 - after / release);
}

double Strike(double t, double attack, double decay) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / decay);
}

void Biquad::set(Type type, double freq, double q, int rate, double gainDb) {
  freq = Clamp(freq, 5, 0.49 * rate);
  double w = kTwoPi * freq / rate, cw = std::cos(w), sw = std::sin(w);
  double alpha = sw / (2 * q), a = std::pow(10.0, gainDb / 40);
  double b0, b1, b2, a0, a1, a2;
  switch (type) {
    case kLowPass:
      b0 = (1 - cw) / 2, b1 = 1 - cw, b2 = b0, a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
      break;
    case kHighPass:
      b0 = (1 + cw) / 2, b1 = -(1 + cw), b2 = b0, a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
      break;
    case kBandPass:
      b0 = alpha, b1 = 0, b2 = -alpha, a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
      break;
    case kPeak:
      b0 = 1 + alpha * a, b1 = -2 * cw, b2 = 1 - alpha * a;
      a0 = 1 + alpha / a, a1 = -2 * cw, a2 = 1 - alpha / a;
      break;
    default:
      b0 = a0 = 1, b1 = b2 = a1 = a2 = 0;
  }
  b0_ = b0 / a0, b1_ = b1 / a0, b2_ = b2 / a0, a1_ = a1 / a0, a2_ = a2 / a0;
}

void Svf::set(double freq, double q, int rate) {
  double g = std::tan(kPi * Clamp(freq, 5, 0.45 * rate) / rate);
  k_ = 1 / q;
  a1_ = 1 / (1 + g * (g + k_));
  a2_ = g * a1_;
  a3_ = g * a2_;
}

void OnePole::set(double freq, int rate) { a_ = std::exp(-kTwoPi * Clamp(freq, 1, 0.49 * rate) / rate); }

void Resonator::set(double freq, double bandwidth, int rate) {
  double t = 1.0 / rate;
  freq = Clamp(freq, 20, 0.47 * rate);
  c_ = -std::exp(-kTwoPi * bandwidth * t);
  b_ = 2 * std::exp(-kPi * bandwidth * t) * std::cos(kTwoPi * freq * t);
  a_ = 1 - b_ - c_;
}

void AddModes(Signal& out, size_t start, int rate, const std::vector<Mode>& modes) {
  for (const Mode& m : modes) {
    if (m.freq <= 0 || m.freq >= 0.48 * rate) continue;  // would alias
    double w = kTwoPi * m.freq / rate, r = std::exp(-1.0 / (m.decay * rate));
    double c = 2 * r * std::cos(w), r2 = r * r;
    // y[n] = c y[n-1] - r^2 y[n-2] with y[0] = 0, y[1] = amp sin(w): a decaying sine.
    double y2 = 0, y1 = m.amp * std::sin(w) * r;
    size_t end = std::min(out.size(), start + size_t(m.decay * rate * 9.0) + 2);
    for (size_t i = start + 1; i < end; ++i) {
      out[i] += float(y1);
      double y = c * y1 - r2 * y2;
      y2 = y1;
      y1 = y;
    }
  }
}

Signal Resample(const Signal& in, double step) {
  if (step <= 0 || in.empty()) return {};
  constexpr int kHalf = 12;
  const double cutoff = 0.45 * std::min(1.0, 1 / step);  // of the input rate
  Signal out(size_t(double(in.size() - 1) / step) + 1);
  for (size_t j = 0; j < out.size(); ++j) {
    const double at = double(j) * step;
    const long centre = long(std::floor(at));
    double sum = 0;
    for (long k = centre - kHalf + 1; k <= centre + kHalf; ++k) {
      if (k < 0 || k >= long(in.size())) continue;
      const double d = at - double(k), x = 2 * cutoff * d;
      const double sinc = std::fabs(x) < 1e-9 ? 1 : std::sin(kPi * x) / (kPi * x);
      const double w = 0.5 + 0.5 * std::cos(kPi * d / kHalf);  // Hann over the taps
      sum += in[size_t(k)] * 2 * cutoff * sinc * w;
    }
    out[j] = float(sum);
  }
  return out;
}

double DelayLine::tap(double delay) const {
  size_t n = buffer_.size();
  delay = Clamp(delay, 1, double(n - 2));
  size_t whole = size_t(delay);
  double frac = delay - double(whole);
  size_t a = (pos_ + n - whole) % n, b = (pos_ + n - whole - 1) % n;
  return buffer_[a] * (1 - frac) + buffer_[b] * frac;
}

}  // namespace clipsynth
