#include "clip_synth/effects.h"

#include <algorithm>
#include <cmath>

namespace clipsynth {

Signal Gunshot(int rate, Rng& rng, const GunStyle& s) {
  Signal out(Samples(s.length, rate));
  Biquad band(Biquad::kBandPass, s.bodyHz, s.bodyQ, rate), under(Biquad::kLowPass, s.bodyHz * 0.5, 0.7, rate);
  Biquad floor(Biquad::kHighPass, 55, 0.7, rate);  // below this only small speakers' headroom is spent
  Svf reflections;
  OnePole slapTone(1600, rate);
  Osc thump;
  const size_t nWave = Samples(s.nWaveMs / 1000, rate), slapAt = std::max<size_t>(1, Samples(s.slapDelay, rate));
  const double norm = 1 / Saturate(s.drive);
  Signal blast(out.size());
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = double(i) / rate, w = rng.bipolar();
    double crack = w * std::exp(-t / 0.0008) * s.crack;
    // The N-wave: a jump up, a straight fall through zero, and a jump back to rest.
    if (nWave > 0 && i <= nWave) crack += 1.4 * s.crack * (1 - 2.0 * double(i) / double(nWave));
    const double body = (band.tick(w) * 2.5 + under.tick(w) * 0.7) * Strike(t, 0.0004, s.bodyDecay) * s.body;
    const double tb = s.blastMs > 0 ? t * 1000 / s.blastMs : 0;
    const double friedlander = s.blastMs > 0 ? (1 - tb) * std::exp(-tb) * 1.6 * s.body : 0;
    const double boom = thump.sine(s.boomHz * (0.65 + 0.35 * std::exp(-t / 0.02)), rate) *
                        Strike(t, 0.001, s.boomDecay) * s.boom;
    blast[i] = float(Saturate((crack + body + friedlander + boom) * s.drive) * norm);
    if (i % 16 == 0) reflections.set(250 + s.tailHz * std::exp(-t / s.tailDecay), 0.7, rate);
    const double tail = reflections.tick(rng.bipolar()).low * 1.5 * (1 - std::exp(-t / 0.006)) *
                        std::exp(-t / s.tailDecay) * s.tail;
    const double slap = i >= slapAt ? slapTone.low(blast[i - slapAt]) * s.slap : 0;
    out[i] = float(floor.tick(blast[i] + tail + slap));
  }
  return out;
}

Signal Explosion(int rate, Rng& rng, const BlastStyle& s) {
  Signal out(Samples(s.length, rate));
  Svf rumble;
  BrownNoise brown;
  OnePole roll(3, rate), crackFilter(900, rate);
  Biquad reportBand(Biquad::kBandPass, s.reportHz, 0.7, rate);
  Osc sub;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate, w = rng.bipolar();
    if (i % 32 == 0) rumble.set(s.rumbleHz * (0.25 + 0.75 * std::exp(-t / 0.7)), 0.8, rate);
    // Slow random swells make it roll like thunder rather than hiss.
    double swell = 1 + 1.8 * roll.low(rng.bipolar() * 12);
    double body = rumble.tick(0.6 * w + 1.2 * brown.tick(rng)).low;
    double level = Strike(t, 0.004, s.decay) * 0.7 + Strike(t, 0.05, s.decay * 2.5) * 0.3;
    double crack = (crackFilter.high(w) * 2 * std::exp(-t / 0.015) + w * std::exp(-t / 0.002)) * s.crack;
    // The report: a hard mid-band bang and its first echo off the ground.
    double report = reportBand.tick(w) * 3 *
                    (Strike(t, 0.0015, s.reportDecay) + 0.45 * Strike(t - 0.035, 0.003, s.reportDecay * 1.6)) * s.report;
    double boomHz = 28 + 35 * std::exp(-t / 0.15);
    double boom = sub.sine(boomHz, rate) * Strike(t, 0.004, 0.45) * s.sub;
    out[i] = float(body * level * swell * 2.5 + crack + report + boom);
  }
  // Debris: short ticks scattered after the blast, thinning out.
  int pieces = int(s.debris * 60 * s.length);
  for (int k = 0; k < pieces; ++k) {
    double t = 0.25 + std::pow(rng.uniform(), 1.6) * (s.length - 0.35);
    size_t at = Samples(t, rate);
    double amp = s.debris * rng.range(0.1, 0.6) * std::exp(-t / (s.length * 0.25));
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
  Signal out(Samples(decay * 7 + 0.006, rate));
  Biquad hollow(Biquad::kBandPass, toneHz, 1.8, rate);
  OnePole hp(std::min(2000.0, 0.2 * rate), rate);
  // Fingers meet first, the palms a moment later.
  const double second = rng.range(0.0008, 0.0025), level2 = rng.range(0.2, 0.5);
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate, w = rng.bipolar();
    double snap = std::exp(-t / 0.0012) + (t >= second ? level2 * std::exp(-(t - second) / 0.001) : 0);
    out[i] = float(hollow.tick(w) * 2.2 * Strike(t, 0.0002, decay) + (hp.high(w) * 0.8 + w * 0.35) * snap);
  }
  return out;
}

void AddApplause(Stereo& out, Rng& rng, double from, double to, int people, const Curve& swell,
                 double gain, double width) {
  for (int p = 0; p < people; ++p) {
    const double near = rng.uniform();
    const double level = 0.3 + 0.7 * near * near, pan = rng.bipolar() * width;
    const double period = 1 / rng.range(3.5, 6.2);
    const double eagerness = rng.range(0.05, 0.95);  // how high the swell must be to join in
    // The person's own hands, a few claps of them; far ones lose their top.
    const double tone = rng.range(800, 2400), decay = rng.range(0.006, 0.014);
    const double cutoff = std::min(0.45 * out.rate, 2500 + 9000 * near);
    std::vector<Signal> claps;
    for (int k = 0; k < 3; ++k) {
      Signal c = HandClap(out.rate, rng, tone * rng.range(0.93, 1.07), decay);
      OnePole lp(cutoff, out.rate);
      for (float& v : c) v = float(lp.low(v));
      claps.push_back(std::move(c));
    }
    for (double t = from + rng.uniform() * period; t < to; t += period * (1 + 0.04 * rng.normal())) {
      const double s = swell(t - from);
      if (s < eagerness * 0.9 || s <= 0.01) continue;
      out.mix(claps[size_t(rng.below(3))], t, gain * level * (0.55 + 0.45 * s) * rng.range(0.75, 1.0),
              Clamp(pan + 0.03 * rng.bipolar(), -1, 1));
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
