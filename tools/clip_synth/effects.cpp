#include "clip_synth/effects.h"

#include <algorithm>
#include <cmath>

namespace clipsynth {

Signal Gunshot(int rate, Rng& rng, const GunStyle& s) {
  Signal out(Samples(s.length, rate));
  OnePole crackFilter(1500, rate), tailFilter(900, rate), tailLow(200, rate);
  Biquad body(Biquad::kLowPass, s.bodyHz, 0.8, rate);
  Osc thump;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate, w = rng.bipolar();
    double crack = crackFilter.high(w) * std::exp(-t / 0.003) * s.crack;
    double blast = body.tick(w) * 2 * Strike(t, 0.0003, s.decay) * s.body;
    blast = Saturate(blast * s.grit) / s.grit;  // the muzzle blast overdrives the air
    double f = s.boomHz * (0.45 + 0.55 * std::exp(-t / 0.03));
    double boom = thump.sine(f, rate) * Strike(t, 0.001, s.decay * 2) * s.boom;
    // Reflections from the surroundings: a dull, slowly dying wash well below the blast.
    double tail = (tailFilter.low(w) * 2 + tailLow.low(w) * 4) * (1 - std::exp(-t / 0.01)) *
                  std::exp(-t / s.tail) * s.tailLevel;
    out[i] = float(crack + blast + boom + tail);
  }
  if (!out.empty()) out[0] = 0.9f;  // the report begins at once
  return out;
}

Signal Explosion(int rate, Rng& rng, const BlastStyle& s) {
  Signal out(Samples(s.length, rate));
  Svf rumble;
  BrownNoise brown;
  OnePole roll(3, rate), crackFilter(900, rate);
  Osc sub;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate, w = rng.bipolar();
    if (i % 32 == 0) rumble.set(s.rumbleHz * (0.25 + 0.75 * std::exp(-t / 0.7)), 0.8, rate);
    // Slow random swells make it roll like thunder rather than hiss.
    double swell = 1 + 1.8 * roll.low(rng.bipolar() * 12);
    double body = rumble.tick(0.6 * w + 1.2 * brown.tick(rng)).low;
    double level = Strike(t, 0.004, s.decay) * 0.7 + Strike(t, 0.05, s.decay * 2.5) * 0.3;
    double crack = crackFilter.high(w) * std::exp(-t / 0.015) * s.crack * 2;
    double boomHz = 28 + 35 * std::exp(-t / 0.15);
    double boom = sub.sine(boomHz, rate) * Strike(t, 0.004, 0.45) * s.sub;
    out[i] = float(body * level * swell * 2.5 + crack + boom);
  }
  // Debris: short ticks scattered after the blast, thinning out.
  int pieces = int(s.debris * 60 * s.length);
  for (int k = 0; k < pieces; ++k) {
    double t = 0.25 + std::pow(rng.uniform(), 1.6) * (s.length - 0.35);
    size_t at = Samples(t, rate);
    double amp = s.debris * rng.range(0.1, 0.6) * std::exp(-t / (s.length * 0.6));
    OnePole hp(rng.range(600, 2500), rate);
    size_t len = Samples(rng.range(0.004, 0.02), rate);
    for (size_t j = 0; j < len && at + j < out.size(); ++j)
      out[at + j] += float(hp.high(rng.bipolar()) * amp * std::exp(-double(j) / (len * 0.3)));
  }
  for (float& v : out) v = float(Saturate(v * 1.3));
  return out;
}

Signal Whoosh(int rate, Rng& rng, double seconds, double fromHz, double toHz, double q,
              double peakAt) {
  Signal out(Samples(seconds, rate));
  Svf band;
  peakAt = Clamp(peakAt, 0.01, 0.99);
  for (size_t i = 0; i < out.size(); ++i) {
    double u = double(i) / out.size();
    if (i % 16 == 0) band.set(fromHz * std::pow(toHz / fromHz, u), q, rate);
    double env = u < peakAt ? SmoothStep(u / peakAt) : SmoothStep((1 - u) / (1 - peakAt));
    out[i] = float(band.tick(rng.bipolar()).band * env * 1.5);
  }
  return out;
}

Signal MechClick(int rate, Rng& rng, double toneHz, double decay, double ring) {
  Signal out(Samples(decay * 7 + 0.012, rate));
  OnePole hp(std::min(toneHz, 0.3 * rate), rate);
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    out[i] = float(hp.high(rng.bipolar()) * std::exp(-t / 0.0012) * 1.2);
  }
  if (!out.empty()) out[0] += 0.8f;
  std::vector<Mode> modes;
  const double ratios[] = {1, 1.47, 2.09, 2.71};
  for (int k = 0; k < 4; ++k)
    modes.push_back({toneHz * ratios[k] * rng.range(0.96, 1.04), ring * 0.5 / (k + 1),
                     decay * (1.0 - 0.18 * k)});
  AddModes(out, 0, rate, modes);
  return out;
}

Signal HandClap(int rate, Rng& rng, double toneHz, double decay) {
  Signal out(Samples(decay * 6 + 0.01, rate));
  Biquad band(Biquad::kBandPass, toneHz, 1.1, rate);
  OnePole hp(400, rate);
  // Hands meet in a few quick slaps a couple of milliseconds apart.
  double second = rng.range(0.0015, 0.004), level2 = rng.range(0.3, 0.7);
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    double env = Strike(t, 0.0003, decay) + level2 * Strike(t - second, 0.0003, decay * 0.8);
    double w = rng.bipolar();
    out[i] = float((band.tick(w) * 3 + hp.high(w) * 0.4) * env);
  }
  return out;
}

void AddApplause(Stereo& out, Rng& rng, double from, double to, int people, const Curve& swell,
                 double gain, double width) {
  // A bank of claps shared by the crowd keeps dense applause cheap to render.
  std::vector<Signal> bank;
  for (int k = 0; k < 40; ++k)
    bank.push_back(HandClap(out.rate, rng, rng.range(700, 2300), rng.range(0.008, 0.02)));
  for (int p = 0; p < people; ++p) {
    double period = 1 / rng.range(3.2, 6.0);
    double pan = rng.bipolar() * width, level = rng.range(0.4, 1.0);
    double t = from + rng.uniform() * period;
    while (t < to) {
      double s = swell(t - from);
      if (s > 0.02 && rng.uniform() < std::min(1.0, s * 1.6))
        out.mix(bank[size_t(rng.below(int(bank.size())))], t, gain * level * s * rng.range(0.6, 1.0),
                Clamp(pan + 0.05 * rng.bipolar(), -1, 1));
      t += period * (1 + 0.07 * rng.normal());
    }
  }
}

Signal Thud(int rate, Rng& rng, double hz, double decay, double noise) {
  Signal out(Samples(decay * 6 + 0.02, rate));
  Osc body;
  OnePole lp(900, rate);
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    double f = hz * (0.6 + 0.4 * std::exp(-t / 0.025));
    double tone = body.sine(f, rate) * Strike(t, 0.0008, decay);
    double hit = lp.low(rng.bipolar()) * 3 * Strike(t, 0.0003, decay * 0.35) * noise;
    out[i] = float(tone + hit);
  }
  return out;
}

Signal Ricochet(int rate, Rng& rng) {
  double len = rng.range(0.45, 0.8);
  Signal out(Samples(len, rate));
  double f0 = std::min(rng.range(2400, 4200), 0.4 * rate), vib = rng.range(25, 60);
  Osc whine, wobble;
  OnePole hp(2000, rate);
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate, u = t / len;
    double f = f0 * (1 - 0.45 * u) * (1 + 0.04 * wobble.sine(vib, rate));
    double env = Strike(t, 0.006, len * 0.35) * (1 - u);
    out[i] = float(whine.sine(f, rate) * env * 0.55 + hp.high(rng.bipolar()) * 0.7 * std::exp(-t / 0.006));
  }
  Signal tick = MechClick(rate, rng, 3000, 0.01, 0.6);
  for (size_t i = 0; i < tick.size() && i < out.size(); ++i) out[i] += tick[i];
  return out;
}

std::vector<Mode> BellModes(double hz, double decayScale, Rng& rng) {
  struct Partial {
    double ratio, amp, decay;
  };
  // Hum, prime, minor third, fifth, nominal and the upper partials of a church bell.
  const Partial partials[] = {{0.5, 0.45, 3.2}, {1.0, 0.55, 2.2}, {1.19, 0.5, 1.7},
                              {1.5, 0.25, 1.2}, {2.0, 0.9, 1.1},  {2.51, 0.35, 0.7},
                              {2.66, 0.3, 0.6}, {3.01, 0.28, 0.5}, {4.07, 0.22, 0.35},
                              {5.2, 0.16, 0.25}, {6.4, 0.12, 0.18}, {7.8, 0.08, 0.12}};
  std::vector<Mode> modes;
  for (const Partial& p : partials) {
    double f = hz * p.ratio * rng.range(0.997, 1.003);
    // Each partial is a close pair: the slow beat gives the bell its shimmer.
    double split = rng.range(0.4, 1.6);
    modes.push_back({f, p.amp * 0.5, p.decay * decayScale});
    modes.push_back({f + split, p.amp * 0.5, p.decay * decayScale * 0.9});
  }
  return modes;
}

void AddBubble(Signal& out, size_t at, int rate, double hz, double decay, double amp) {
  size_t len = Samples(decay * 5, rate);
  double phase = 0;
  for (size_t j = 0; j < len && at + j < out.size(); ++j) {
    double t = double(j) / rate;
    phase += hz * (1 + 0.6 * t / decay) / rate;
    out[at + j] += float(std::sin(kTwoPi * phase) * amp * std::exp(-t / decay));
  }
}

}  // namespace clipsynth
