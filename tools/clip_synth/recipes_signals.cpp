// Signals and everyday things: alarms, sirens, horns, bells, beeps, machines, water.
#include <cmath>
#include <string>

#include "clip_synth/effects.h"
#include "clip_synth/recipes.h"

namespace clipsynth {
namespace {

// A tone of time-varying pitch through a shaping function of the oscillator.
template <typename Pitch, typename Wave>
Signal Tone(const Take& k, double seconds, Pitch pitch, Wave wave) {
  Signal s(Samples(seconds, k.rate));
  Osc o;
  for (size_t i = 0; i < s.size(); ++i) s[i] = float(wave(o, pitch(double(i) / k.rate)));
  return s;
}

// Gain with soft edges: rises over `edge` seconds, falls over `edge` before `length`.
double Edges(double t, double length, double edge) {
  return SmoothStep(t / edge) * SmoothStep((length - t) / edge);
}

// A loudspeaker horn: no lows, resonant mids.
void HornSpeaker(Signal& s, int rate) {
  Biquad body(Biquad::kPeak, 1500, 0.8, rate, 8), hp(Biquad::kHighPass, 350, 0.7, rate);
  for (float& v : s) v = float(body.tick(hp.tick(v)) * 0.5);
}

Stereo CardDealing(Take& k) {
  Stereo m = k.mix();
  for (double t : {0.0, 0.17, 0.34}) {
    m.mix(MechClick(k.rate, k.rng, 2200, 0.004, 0.2), t, 0.5);                  // off the deck
    m.mix(Whoosh(k.rate, k.rng, 0.09, 4500, 1800, 1.2, 0.3), t + 0.005, 0.9);  // flying
    m.mix(HandClap(k.rate, k.rng, 1400, 0.01), t + 0.1, 0.7);                  // on the table
  }
  return m;
}

Stereo LargeBell(Take& k) {
  Stereo m = k.mix();
  // A temple bell struck once: a bright strike whose ring dies away within the clip (the
  // clip is too short for a big bell's minute-long hum).
  for (double pan : {-0.7, 0.7}) {  // each side its own beating partials: a wide ring
    Signal s(k.frames);
    AddModes(s, Samples(0.01, k.rate), k.rate, BellModes(262, 0.17, k.rng));
    m.mix(s, 0, 0.5, pan);
  }
  m.mix(MechClick(k.rate, k.rng, 1200, 0.01, 0.3), 0.01, 0.4);  // the clapper
  ApplyReverb(m, {.room = 0.55, .damping = 0.3, .wet = 0.2});
  FadeOut(m, 0.35);
  return m;
}

Stereo Alarm2(Take& k) {
  Stereo m = k.mix();
  const double length = 0.5;  // three hi-lo cycles, then the room
  Signal s = Tone(k, length, [](double t) { return std::fmod(t, 0.16) < 0.08 ? 960.0 : 770.0; },
                  [&, tone = Additive()](Osc&, double f) mutable { return tone.tick(f, k.rate, true); });
  for (size_t i = 0; i < s.size(); ++i) s[i] = float(s[i] * Edges(double(i) / k.rate, length, 0.01));
  HornSpeaker(s, k.rate);
  m.mix(s, 0);
  ApplyReverb(m, {.room = 0.3, .damping = 0.5, .wet = 0.1});
  FadeOut(m, 0.1);
  return m;
}

Stereo Radar(Take& k) {
  Stereo m = k.mix();
  for (double at : {0.0, 0.7}) {
    Signal ping(Samples(0.8, k.rate));
    AddModes(ping, 0, k.rate, {{1500, 0.6, 0.16}, {3000, 0.12, 0.06}});
    m.mix(ping, at + 0.01);
  }
  for (double at : {0.45, 1.1}) {  // contacts on the screen
    Signal blip(Samples(0.05, k.rate));
    AddModes(blip, 0, k.rate, {{2400, 0.2, 0.02}});
    m.mix(blip, at);
  }
  // The sweep: a faint rotating hiss.
  Signal sweep(k.frames);
  Biquad band(Biquad::kBandPass, 900, 1.5, k.rate);
  for (size_t i = 0; i < sweep.size(); ++i)
    sweep[i] = float(band.tick(k.rng.bipolar()) * 0.1 * (0.5 + 0.5 * std::sin(kTwoPi * 1.2 * i / k.rate)));
  m.mix(sweep, 0);
  ApplyEcho(m, {.delay = 0.21, .feedback = 0.4, .wet = 0.4, .toneHz = 3000});
  ApplyReverb(m, {.room = 0.7, .damping = 0.3, .wet = 0.4});
  FadeOut(m, 0.45);
  return m;
}

Stereo CameraShutter(Take& k) {
  Stereo m = k.mix();
  m.mix(MechClick(k.rate, k.rng, 3000, 0.012, 0.8), 0.02, 0.8);  // shutter
  m.mix(MechClick(k.rate, k.rng, 1800, 0.02, 1.0), 0.09, 1.0);   // mirror
  m.mix(Thud(k.rate, k.rng, 300, 0.02, 0.3), 0.09, 0.4);
  // Film advance: a small geared motor.
  Signal motor(Samples(0.37, k.rate));
  Osc o, wob;
  Biquad gear(Biquad::kBandPass, 2000, 3, k.rate);
  for (size_t i = 0; i < motor.size(); ++i) {
    double t = double(i) / k.rate;
    double f = 180 * (1 + 0.05 * wob.sine(23, k.rate));
    motor[i] = float((o.saw(f, k.rate) * 0.3 + gear.tick(k.rng.bipolar()) * 0.6) * Edges(t, 0.37, 0.04));
  }
  m.mix(motor, 0.18, 0.6);
  m.mix(MechClick(k.rate, k.rng, 2200, 0.015, 0.6), 0.56, 0.6);
  ApplyReverb(m, {.room = 0.3, .damping = 0.5, .wet = 0.08});
  return m;
}

Stereo Pager(Take& k) {
  Stereo m = k.mix();
  for (int n = 0; n < 4; ++n) {
    Signal s = Tone(k, 0.07, [](double) { return 2900.0; },
                    [&](Osc& o, double f) { return o.pulse(f, k.rate, 0.5) * 0.4; });
    Biquad piezo(Biquad::kBandPass, 2900, 2, k.rate);
    for (size_t i = 0; i < s.size(); ++i) s[i] = float(piezo.tick(s[i]) * Edges(double(i) / k.rate, 0.07, 0.004));
    m.mix(s, 0.01 + n * 0.1);
  }
  FadeOut(m, 0.05);
  return m;
}

Stereo KaCha(Take& k) {
  Stereo m = k.mix();
  const double stamps[][2] = {{0.04, -0.25}, {0.6, 0.3}};
  for (const auto& s : stamps) {
    m.mix(MechClick(k.rate, k.rng, 2400, 0.015, 0.9), s[0], 0.8, s[1]);  // "ka": the spring
    m.mix(Thud(k.rate, k.rng, 140, 0.05, 1.0), s[0] + 0.12, 1.0, s[1]);  // "cha": onto paper
    m.mix(HandClap(k.rate, k.rng, 1800, 0.015), s[0] + 0.12, 0.6, s[1]);
  }
  ApplyReverb(m, {.room = 0.4, .damping = 0.5, .wet = 0.15});
  return m;
}

Stereo PoliceSiren(Take& k) {
  Stereo m = k.mix();
  const double passAt = 5.2, wailUntil = 4.6, offAt = 9.0;
  Additive o;
  PinkNoise road;
  OnePole roadLp(250, k.rate);
  double phase = 0;
  Signal s(k.frames);
  for (size_t i = 0; i < k.frames; ++i) {
    double t = double(i) / k.rate, d = (t - passAt) / 1.2;
    double f;
    if (t < wailUntil) {  // wail: slow rise and fall
      f = 650 + 750 * (0.5 - 0.5 * std::cos(kTwoPi * t / 4.2));
    } else {  // yelp: fast sweeps
      phase = std::fmod(t - wailUntil, 0.3) / 0.3;
      f = 700 + 800 * (phase < 0.75 ? phase / 0.75 : (1 - phase) / 0.25);
    }
    f *= 1 - 0.035 * std::tanh(d);  // Doppler as the car passes
    // Switched off down the road: the siren winds down as its level falls.
    double off = SmoothStep((offAt + 0.6 - t) / 0.6);
    f *= 0.6 + 0.4 * off;
    s[i] = float(o.tick(f, k.rate, false) * off);
  }
  HornSpeaker(s, k.rate);
  for (size_t i = 0; i < k.frames; ++i) {
    double t = double(i) / k.rate, d = (t - passAt) / 2.5;
    double level = (0.35 + 0.65 / (1 + d * d)) * SmoothStep((k.seconds - 0.2 - t) / 3);  // driving away
    m.add(i, (s[i] + roadLp.low(road.tick(k.rng)) * 0.3) * level, std::tanh((t - passAt) / 2) * 0.8);
  }
  ApplyReverb(m, {.room = 0.7, .damping = 0.4, .wet = 0.22});
  FadeOut(m, 0.3);
  return m;
}

Stereo AirRaidSiren(Take& k) {
  Stereo m = k.mix();
  // Spins up, holds its howl, and winds down as the rotor slows.
  const Curve pitch{{0, 120}, {0.4, 260}, {0.9, 430}, {1.2, 480}, {1.5, 485}, {2.2, 250}, {2.45, 150}};
  const Curve level{{0, 0}, {0.1, 1}, {1.5, 1}, {2.2, 0.35}, {2.42, 0}};
  Signal s(k.frames);
  Osc a, b;
  Biquad air(Biquad::kBandPass, 500, 3, k.rate);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate, f = pitch(t);
    if (i % 32 == 0) air = Biquad(Biquad::kBandPass, f * 2, 3, k.rate);
    // Two rotors a minor third apart, rounded square waves, and the rush of air.
    double x = Saturate(3 * a.sine(f, k.rate)) + 0.8 * Saturate(3 * b.sine(f * 1.19, k.rate));
    x += air.tick(k.rng.bipolar()) * 0.6;
    s[i] = float(x * 0.4 * (0.25 + 0.75 * (f - 120) / 365) * level(t));
  }
  HornSpeaker(s, k.rate);
  m.mix(s, 0);
  ApplyReverb(m, {.room = 0.6, .damping = 0.4, .wet = 0.22});
  FadeOut(m, 0.15);
  return m;
}

Stereo ElectricShock(Take& k) {
  Stereo m = k.mix();
  Osc a, b;
  OnePole jump(25, k.rate);
  Biquad band(Biquad::kBandPass, 1200, 0.7, k.rate);
  Signal buzz(k.frames);
  const double length = 1.32;
  for (size_t i = 0; i < buzz.size(); ++i) {
    double t = double(i) / k.rate;
    if (t < 0.04 || t > length) continue;
    double chaos = 0.6 + 2.5 * std::fabs(jump.low(k.rng.bipolar() * 6));
    double x = Saturate(8 * (a.saw(100, k.rate) + 0.6 * b.saw(150.5, k.rate))) * chaos;
    buzz[i] = float(band.tick(x) * 0.6 * Edges(t - 0.04, length - 0.04, 0.01));
  }
  m.mix(buzz, 0, 1, -0.1);
  // Sparks jumping about, left and right.
  for (int n = 0; n < 55; ++n) {
    double at = k.rng.range(0.04, length);
    Signal spark(Samples(k.rng.range(0.002, 0.009), k.rate));
    OnePole hp(3000, k.rate);
    for (size_t i = 0; i < spark.size(); ++i)
      spark[i] = float(hp.high(k.rng.bipolar()) * (i == 0 ? 2.0 : 1.0) * std::exp(-double(i) / spark.size() * 3));
    m.mix(spark, at, k.rng.range(0.4, 1.0), k.rng.bipolar());
  }
  ApplyReverb(m, {.room = 0.4, .damping = 0.5, .wet = 0.12});
  return m;
}

// Air horn: two brassy tones a third apart with a scoop into pitch.
Signal AirHorn(const Take& k, double seconds, double low, double high, double drive) {
  Signal s(Samples(seconds, k.rate));
  Osc a, b, c, d;
  Biquad f1(Biquad::kPeak, 500, 1.5, k.rate, 10), f2(Biquad::kPeak, 1300, 2, k.rate, 8),
      f3(Biquad::kPeak, 2500, 2, k.rate, 6);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate, scoop = 0.92 + 0.08 * SmoothStep(t / 0.04);
    double x = a.pulse(low * scoop, k.rate, 0.3) + b.saw(low * scoop, k.rate) +
               c.pulse(high * scoop, k.rate, 0.3) + d.saw(high * scoop, k.rate);
    x = f3.tick(f2.tick(f1.tick(x * 0.25)));
    s[i] = float(Saturate(x * drive) * Edges(t, seconds, 0.03));
  }
  return s;
}

Stereo BusHorn(Take& k) {
  Stereo m = k.mix();
  m.mix(AirHorn(k, 0.5, 185, 233, 1.5), 0.02);
  ApplyReverb(m, {.room = 0.35, .damping = 0.5, .wet = 0.12});
  FadeOut(m, 0.12);
  return m;
}

Stereo HornHonk(Take& k) {
  Stereo m = k.mix();
  const double honks[][2] = {{0.04, 0.26}, {0.45, 0.82}};
  for (const auto& h : honks) {
    Signal s(Samples(h[1], k.rate));
    Additive a, b;
    for (size_t i = 0; i < s.size(); ++i)
      s[i] = float((a.tick(400, k.rate, true) + b.tick(500, k.rate, true)) * Edges(double(i) / k.rate, h[1], 0.015));
    HornSpeaker(s, k.rate);
    m.mix(s, h[0]);
  }
  ApplyReverb(m, {.room = 0.4, .damping = 0.5, .wet = 0.1});
  return m;
}

Stereo TrainWhistle(Take& k) {
  Stereo m = k.mix();
  const double chord[] = {415.3, 523.3, 622.3};
  const double length = 0.85;
  Signal s(Samples(length, k.rate));
  for (double f : chord) {
    Biquad breath(Biquad::kBandPass, f, 8, k.rate);
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      double t = double(i) / k.rate;
      double bend = 0.9 + 0.1 * SmoothStep(t / 0.12), vib = 1 + 0.003 * std::sin(kTwoPi * 6 * t);
      phase += f * bend * vib / k.rate;
      double x = std::sin(kTwoPi * phase) + 0.3 * std::sin(2 * kTwoPi * phase) + breath.tick(k.rng.bipolar()) * 1.5;
      s[i] += float(x * 0.25 * Edges(t, length, 0.08));
    }
  }
  OnePole hp(2500, k.rate);  // steam hiss
  for (size_t i = 0; i < s.size(); ++i) s[i] += float(hp.high(k.rng.bipolar()) * 0.1 * Edges(double(i) / k.rate, length, 0.08));
  m.mix(s, 0.02);
  ApplyReverb(m, {.room = 0.55, .damping = 0.4, .wet = 0.2});
  FadeOut(m, 0.2);
  return m;
}

// Drives a bank of two-pole ringing modes from an excitation signal.
class Ringer {
 public:
  Ringer(int rate, const std::vector<Mode>& modes) {
    for (const Mode& md : modes) {
      if (md.freq >= 0.48 * rate) continue;
      double w = kTwoPi * md.freq / rate, r = std::exp(-1.0 / (md.decay * rate));
      bank_.push_back({2 * r * std::cos(w), r * r, md.amp * std::sin(w), 0, 0});
    }
  }
  double tick(double x) {
    double sum = 0;
    for (State& s : bank_) {
      double y = s.c * s.y1 - s.r2 * s.y2 + s.gain * x;
      s.y2 = s.y1;
      s.y1 = y;
      sum += y;
    }
    return sum;
  }

 private:
  struct State {
    double c, r2, gain, y1, y2;
  };
  std::vector<State> bank_;
};

Stereo SchoolBell(Take& k) {
  Stereo m = k.mix();
  // An electric bell: a hammer buzzing against a small dome.
  Ringer dome(k.rate, {{1050, 1, 0.7}, {1063, 0.6, 0.6}, {2660, 0.5, 0.3}, {4860, 0.3, 0.15},
                       {7200, 0.2, 0.08}, {9650, 0.1, 0.05}});
  const double ringing[][2] = {{0.005, 7.75}, {8.4, 16.15}};
  double hammer = 0.99;  // the first strike comes at once
  Signal s(k.frames);
  for (size_t i = 0; i < k.frames; ++i) {
    double t = double(i) / k.rate, x = 0;
    bool on = false;
    for (const auto& r : ringing) on = on || (t >= r[0] && t < r[1]);
    if (on) {
      double before = hammer;
      hammer += 21.5 * (1 + 0.02 * k.rng.bipolar()) / k.rate;
      if (std::floor(hammer) != std::floor(before)) x = k.rng.range(0.7, 1.0);  // a strike
    }
    s[i] = float(dome.tick(x) * 0.25);
  }
  m.mix(s, 0, 1, 0.1);
  // A second, farther bell down the corridor gives the hall its width.
  Signal far(k.frames);
  OnePole dull(3000, k.rate);
  for (size_t i = 0; i < k.frames; ++i) far[i] = float(dull.low(s[i]));
  m.mix(far, 0.045, 0.45, 0.8);
  ApplyReverb(m, {.room = 0.85, .damping = 0.4, .wet = 0.3});
  return m;
}

Stereo LightsOut(Take& k) {
  Stereo m = k.mix();
  m.mix(MechClick(k.rate, k.rng, 2500, 0.01, 0.6), 0.02, 0.8);  // the switch
  m.mix(Thud(k.rate, k.rng, 200, 0.02, 0.4), 0.02, 0.5);
  // Power draining away: a buzz sliding down, filter closing, flickering out.
  const double from = 0.05, length = 0.95;
  for (double side : {-1.0, 1.0}) {
    Signal buzz(Samples(length, k.rate));
    Osc a, b;
    Svf lp;
    OnePole flicker(40, k.rate);
    for (size_t i = 0; i < buzz.size(); ++i) {
      double t = double(i) / k.rate, u = t / length;
      double f = 120 * std::pow(25.0 / 120, u) * (1 + 0.004 * side);
      if (i % 32 == 0) lp.set(4000 * std::pow(0.05, u), 1.5, k.rate);
      double drop = flicker.low(k.rng.chance(0.3 * u) ? -3.0 : 0.0);
      double level = (1 - u) * std::max(0.0, 1 + drop);
      buzz[i] = float(lp.tick(a.saw(f, k.rate) + 0.5 * b.pulse(f * 2.01, k.rate, 0.5)).low * level * 0.6);
    }
    m.mix(buzz, from, 1, side * 0.5);
  }
  for (int n = 0; n < 12; ++n) m.mix(MechClick(k.rate, k.rng, 4000, 0.003, 0.2), k.rng.range(0.05, 0.5), 0.25, k.rng.bipolar());
  m.mix(Thud(k.rate, k.rng, 90, 0.04, 0.6), 0.97, 0.8);  // the relay drops
  m.mix(MechClick(k.rate, k.rng, 800, 0.02, 0.6), 0.97, 0.6);
  ApplyReverb(m, {.room = 0.45, .damping = 0.5, .wet = 0.15});
  FadeOut(m, 0.12);
  return m;
}

// A disc squeals in several modes at once, none of them a pure tone: stick and slip shake
// each mode's pitch and strength at random, over the scrub of the pads.
Stereo Brakes(Take& k) {
  Stereo m = k.mix();
  Signal s(k.frames);
  struct Squeal {
    double ratio, level;
    Osc osc;
    OnePole fm, am;
  };
  std::vector<Squeal> modes;
  const double ratios[][2] = {{1, 1}, {1.47, 0.55}, {2.09, 0.35}, {2.93, 0.2}, {0.62, 0.3}};
  for (const auto& r : ratios) modes.push_back({r[0], r[1], Osc{}, OnePole(k.rng.range(15, 30), k.rate), OnePole(6, k.rate)});
  Biquad scrub(Biquad::kBandPass, 1300, 0.8, k.rate);
  const double length = 0.95;  // the car has stopped; the street rings a moment
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate;
    if (t > length) break;
    const double f = 2000 - 320 * t / length;
    double x = 0;
    for (Squeal& md : modes) {
      const double hz = f * md.ratio * (1 + 0.25 * md.fm.low(k.rng.bipolar()));
      if (hz < k.rate * 0.45) x += md.osc.sine(hz, k.rate) * md.level * (0.5 + 4 * std::fabs(md.am.low(k.rng.bipolar())));
    }
    x = x * 0.4 + scrub.tick(k.rng.bipolar()) * (0.6 + 0.4 * std::sin(kTwoPi * 7 * t));
    s[i] = float(x * Edges(t, length, 0.05));
  }
  m.mix(s, 0);
  ApplyReverb(m, {.room = 0.5, .damping = 0.5, .wet = 0.15});
  FadeOut(m, 0.12);
  return m;
}

Stereo Telegraph(Take& k) {
  Stereo m = k.mix();
  static const char* const kMorse[] = {".-",   "-...", "-.-.", "-..",  ".",    "..-.", "--.",
                                       "....", "..",   ".---", "-.-",  ".-..", "--",   "-.",
                                       "---",  ".--.", "--.-", ".-.",  "...",  "-",    "..-",
                                       "...-", ".--",  "-..-", "-.--", "--.."};
  const std::string message = "CQ CQ DE BOARD K";
  // Lay the message out in dot units first to fit it to the clip.
  std::vector<std::pair<int, int>> marks;  // start unit, length in units
  int unit = 0;
  for (char c : message) {
    if (c == ' ') {
      unit += 4;  // word gap (7) minus the letter gap already added
      continue;
    }
    for (const char* p = kMorse[c - 'A']; *p; ++p) {
      int len = *p == '.' ? 1 : 3;
      marks.push_back({unit, len});
      unit += len + 1;
    }
    unit += 2;
  }
  const double dot = (k.seconds - 0.25) / unit;
  for (const auto& [start, len] : marks) {
    double length = len * dot;
    Signal s = Tone(k, length, [](double) { return 750.0; }, [&](Osc& o, double f) { return o.sine(f, k.rate) * 0.6; });
    for (size_t i = 0; i < s.size(); ++i) s[i] = float(s[i] * Edges(double(i) / k.rate, length, 0.005));
    m.mix(s, 0.1 + start * dot);
    m.mix(MechClick(k.rate, k.rng, 1800, 0.006, 0.4), 0.1 + start * dot, 0.25);  // the key
  }
  PinkNoise hiss;
  for (size_t i = 0; i < k.frames; ++i) {
    float h = float(hiss.tick(k.rng) * 0.04);
    m.left[i] += h;
    m.right[i] += h;
  }
  FadeOut(m, 0.15);  // the line goes quiet after the last mark
  return m;
}

Stereo Beep(Take& k) {
  Stereo m = k.mix();
  const double length = 0.9;
  Signal s = Tone(k, length, [](double) { return 1000.0; },
                  [&](Osc& o, double f) { return o.sine(f, k.rate) * 0.8; });
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate;
    s[i] = float((s[i] + 0.08 * std::sin(kTwoPi * 2000 * t)) * Edges(t, length, 0.006));
  }
  m.mix(s, 0.03);
  return m;
}

Stereo CameraShutter2(Take& k) {
  Stereo m = k.mix();
  for (double at : {0.0, 0.08}) {  // focus confirmation
    Signal beep = Tone(k, 0.045, [](double) { return 3100.0; }, [&](Osc& o, double f) { return o.sine(f, k.rate) * 0.35; });
    for (size_t i = 0; i < beep.size(); ++i) beep[i] = float(beep[i] * Edges(double(i) / k.rate, 0.045, 0.003));
    m.mix(beep, at + 0.005);
  }
  m.mix(MechClick(k.rate, k.rng, 3500, 0.012, 0.7), 0.19, 1.0);
  m.mix(MechClick(k.rate, k.rng, 2500, 0.015, 0.8), 0.235, 0.9);
  m.mix(Whoosh(k.rate, k.rng, 0.14, 2500, 4000, 3, 0.3), 0.26, 0.2);  // a tiny motor resets
  ApplyReverb(m, {.room = 0.3, .damping = 0.5, .wet = 0.1});
  return m;
}

Stereo PoundingDoor(Take& k) {
  Stereo m = k.mix();
  for (double at : {0.0, 0.16, 0.32}) {
    m.mix(Thud(k.rate, k.rng, 95, 0.06, 1.0), at + 0.005);
    Signal panel(Samples(0.3, k.rate));
    AddModes(panel, 0, k.rate, {{180, 0.4, 0.06}, {310, 0.3, 0.05}, {470, 0.2, 0.04}});
    m.mix(panel, at + 0.005, 0.8);
    m.mix(MechClick(k.rate, k.rng, 700, 0.02, 0.4), at + 0.01, 0.4);  // the door rattles in its frame
  }
  ApplyReverb(m, {.room = 0.35, .damping = 0.5, .wet = 0.15});
  FadeOut(m, 0.12);
  return m;
}

Stereo Photocopier(Take& k) {
  Stereo m = k.mix();
  Signal s(k.frames);
  Osc hum, hum2, ballast, slide;
  Biquad carriage(Biquad::kBandPass, 1800, 1.2, k.rate);
  OnePole lp(600, k.rate);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate;
    // Up to speed, the copy made, then the motor runs down.
    double run = SmoothStep(t / 0.2) * SmoothStep((1.8 - t) / 0.3), spin = 0.55 + 0.45 * run;
    double motor = lp.low(hum.saw(100 * spin, k.rate) + 0.5 * hum2.saw(200 * spin, k.rate)) * run * 0.5;
    double buzz = ballast.pulse(120, k.rate, 0.5) * 0.04 * run;
    double scan = 0;
    if (t > 0.2 && t < 1.3) {  // the lamp carriage runs out and back
      double u = (t - 0.2) / 1.1, speed = u < 0.6 ? u / 0.6 : (1 - u) / 0.4;
      scan = (carriage.tick(k.rng.bipolar()) * 0.5 + slide.sine(1500 + 700 * speed, k.rate) * 0.1) *
             Edges(t - 0.2, 1.1, 0.05);
    }
    s[i] = float(motor + buzz + scan);
  }
  m.mix(s, 0);
  m.mix(MechClick(k.rate, k.rng, 1200, 0.03, 0.6), 1.25, 0.7);        // feed rollers engage
  m.mix(Whoosh(k.rate, k.rng, 0.3, 3000, 1500, 1.5, 0.4), 1.3, 0.6);   // the sheet slides out
  m.mix(Thud(k.rate, k.rng, 160, 0.04, 0.6), 1.62, 0.7);
  ApplyReverb(m, {.room = 0.4, .damping = 0.5, .wet = 0.1});
  FadeOut(m, 0.06);
  return m;
}

Stereo Water(Take& k) {
  Stereo m = k.mix();
  Signal s(k.frames);
  PinkNoise pink;
  Svf rush;
  OnePole swirl(0.5, k.rate);
  const Curve flow{{0, 0}, {0.3, 1}, {6.6, 1}, {7.8, 0}};  // the stream eases off at the end
  for (size_t i = 0; i < s.size(); ++i) {
    if (i % 32 == 0) rush.set(1200 * (1 + 0.5 * swirl.low(k.rng.bipolar() * 40)), 0.8, k.rate);
    s[i] = float(rush.tick(pink.tick(k.rng)).band * 0.35 * flow(double(i) / k.rate));
  }
  // Bubbles of the stream: many small, rising chirps.
  for (double t = 0; t < k.seconds - 0.1; t += k.rng.range(0.005, 0.03)) {
    double hz = 400 * std::pow(5.5, k.rng.uniform());
    AddBubble(s, Samples(t, k.rate), k.rate, hz, k.rng.range(0.01, 0.04), k.rng.range(0.05, 0.3) * flow(t));
  }
  // A splash, a burst of bubbles and drips after it.
  const double splash = 4.6;
  OnePole lp(3000, k.rate);
  for (size_t i = 0; i < Samples(0.8, k.rate); ++i) {
    size_t at = Samples(splash, k.rate) + i;
    if (at < s.size()) s[at] += float(lp.low(k.rng.bipolar()) * 1.2 * Strike(double(i) / k.rate, 0.005, 0.25));
  }
  for (int n = 0; n < 100; ++n)
    AddBubble(s, Samples(splash + k.rng.range(0, 0.5), k.rate), k.rate, 300 * std::pow(6.0, k.rng.uniform()),
              k.rng.range(0.01, 0.05), k.rng.range(0.1, 0.35));
  for (int n = 0; n < 10; ++n)
    AddBubble(s, Samples(splash + 0.6 + k.rng.range(0, 2.5), k.rate), k.rate, k.rng.range(1500, 3000), 0.03, 0.4);
  m.mix(s, 0);
  ApplyReverb(m, {.room = 0.5, .damping = 0.5, .wet = 0.1});
  FadeOut(m, 0.2);
  return m;
}

Stereo DangerAlarm(Take& k) {
  Stereo m = k.mix();
  Signal s(k.frames);
  Additive o;
  OnePole lp(3000, k.rate);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate, u = std::fmod(t, 0.55);
    if (u > 0.47 || t > 3.9) continue;  // seven whoops, then the hall rings out
    double f = 400 * std::pow(2.75, u / 0.47);  // a rising whoop, again and again
    s[i] = float(lp.low(o.tick(f, k.rate, false)) * Edges(u, 0.47, 0.01));
  }
  // A second horn farther down the corridor, on the other side: quieter, but not so much
  // quieter that the hall leans to the near one.
  m.mix(s, 0, 1, -0.35);
  m.mix(s, 0.07, 0.75, 0.7);
  ApplyReverb(m, {.room = 0.75, .damping = 0.4, .wet = 0.3});
  FadeOut(m, 0.5);
  return m;
}

Stereo RadioSignal(Take& k) {
  Stereo m = k.mix();
  Signal s(k.frames);
  Biquad band(Biquad::kBandPass, 1200, 0.5, k.rate);
  Osc tune, beep;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate;
    // Tuned in, the message, then the set is switched off.
    double fading = (0.7 + 0.3 * std::sin(kTwoPi * 0.3 * t)) * SmoothStep((4.95 - t) / 0.08);
    double x = band.tick(k.rng.bipolar()) * 0.25 + (k.rng.chance(0.002) ? k.rng.bipolar() : 0);
    if (t < 0.8) x += tune.sine(3000 * std::pow(800.0 / 3000, t / 0.8), k.rate) * 0.3;  // tuning in
    bool on = false;
    double f = 1000;
    if (t >= 1.0 && t < 4.0) on = std::fmod(t - 1.0, 0.35) < 0.1;
    else if (t >= 4.3 && t < 4.8) on = true, f = 1500;
    double b = beep.sine(f, k.rate);
    if (on) x += b * 0.6;
    s[i] = float(x * fading);
  }
  m.mix(s, 0);
  m.mix(MechClick(k.rate, k.rng, 1500, 0.01, 0.5), 4.95, 0.3);  // the switch
  return m;
}

Stereo CarAlarm(Take& k) {
  Stereo m = k.mix();
  Signal s(k.frames);
  Additive o;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate, f;
    if (t < 0.78) f = 600 + 1000 * std::fmod(t, 0.13) / 0.13;  // whoops
    else f = std::fmod(t, 0.1) < 0.05 ? 1500 : 1050;           // warble
    s[i] = float(o.tick(f, k.rate, true) * Edges(t, 1.3, 0.01));  // until the owner stops it
  }
  HornSpeaker(s, k.rate);
  m.mix(s, 0);
  ApplyReverb(m, {.room = 0.4, .damping = 0.5, .wet = 0.12});
  FadeOut(m, 0.15);
  return m;
}

}  // namespace

Recipe SignalRecipe(int clipId) {
  switch (clipId) {
    case 1: return CardDealing;
    case 4: return LargeBell;
    case 7: return Alarm2;
    case 19: return Radar;
    case 22: return CameraShutter;
    case 25: return Pager;
    case 27: return KaCha;
    case 28: return PoliceSiren;
    case 30: return AirRaidSiren;
    case 37: return ElectricShock;
    case 39: return BusHorn;
    case 40: return HornHonk;
    case 42: return TrainWhistle;
    case 45: return SchoolBell;
    case 47: return LightsOut;
    case 48: return Brakes;
    case 52: return Telegraph;
    case 53: return Beep;
    case 58: return CameraShutter2;
    case 59: return PoundingDoor;
    case 61: return Photocopier;
    case 65: return Water;
    case 66: return DangerAlarm;
    case 69: return RadioSignal;
    case 70: return CarAlarm;
    default: return nullptr;
  }
}

}  // namespace clipsynth
