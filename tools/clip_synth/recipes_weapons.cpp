// Battlefield clips: guns, blasts, missiles, aircraft, arrows, lasers.
#include <cmath>

#include "clip_synth/effects.h"
#include "clip_synth/recipes.h"

namespace clipsynth {
namespace {

// Brown noise and slow swells put much of a roar's energy below hearing.
void CutInfrasound(Take& k) { k.master.highPassHz = 30; }

// Brass and a spring: what follows a shot from a bolt or a slide.
void AddCasing(Stereo& m, Rng& rng, double at, double gain, double pan = 0) {
  Signal s(Samples(0.25, m.rate));
  double hz = rng.range(2600, 3600);
  AddModes(s, 0, m.rate, {{hz, 0.4, 0.05}, {hz * 1.63, 0.25, 0.035}, {hz * 0.71, 0.2, 0.04}});
  AddModes(s, Samples(0.09, m.rate), m.rate, {{hz * 1.05, 0.2, 0.03}, {hz * 1.7, 0.1, 0.02}});
  m.mix(s, at, gain, pan);
}

void AddBolt(Stereo& m, Rng& rng, double at, double gain) {
  const double parts[][3] = {{0, 1900, 0.7}, {0.1, 2300, 0.9}, {0.27, 2100, 1.0}, {0.37, 1700, 0.8}};
  // Steel on steel: each click is over in a few milliseconds.
  for (const auto& p : parts) m.mix(MechClick(m.rate, rng, p[1], 0.005, 0.5), at + p[0], gain * p[2]);
  m.mix(Whoosh(m.rate, rng, 0.08, 3000, 2000, 4, 0.4), at + 0.12, gain * 0.3);
}

// The five guns share one model (effects.h) but not one recipe: a pistol snaps in a room, a
// rifle cracks and rolls off a hillside, a sniper's crack arrives before its far thump, a
// machine gun pounds low and fast, an automatic rifle fires crisp bursts.
GunStyle AutomaticRifleShot() {
  return {.crack = 1.2, .nWaveMs = 0.4, .body = 1.0, .blastMs = 2.5, .bodyHz = 1400, .bodyDecay = 0.005,
          .boom = 0.4, .boomHz = 115, .boomDecay = 0.02, .drive = 2.5, .tail = 0.2, .tailDecay = 0.09,
          .tailHz = 3200, .slap = 0.15, .slapDelay = 0.11, .length = 0.5};
}

Stereo AutomaticRifle(Take& k) {
  Stereo m = k.mix();
  const GunStyle g = AutomaticRifleShot();
  // Three bursts at about eleven rounds a second, the last well before the end.
  const double bursts[][2] = {{0.02, 6}, {0.95, 9}, {2.05, 5}};
  for (const auto& b : bursts)
    for (int i = 0; i < int(b[1]); ++i) {
      double at = b[0] + i * 0.09 + k.rng.range(-0.004, 0.004);
      m.mix(Gunshot(k.rate, k.rng, g), at, k.rng.range(0.85, 1.0), k.rng.range(-0.2, 0.2));
      if (k.rng.chance(0.6)) AddCasing(m, k.rng, at + k.rng.range(0.25, 0.45), 0.12, 0.5);
    }
  ApplyEcho(m, {.delay = 0.19, .feedback = 0.2, .wet = 0.12, .toneHz = 1500});
  ApplyReverb(m, {.room = 0.5, .damping = 0.5, .wet = 0.1});
  FadeOut(m, 0.3);
  return m;
}

Stereo Punch(Take& k) {
  Stereo m = k.mix();
  const double hits[][2] = {{0.2, 0.85}, {0.78, 1.0}};
  for (const auto& h : hits) {
    m.mix(Whoosh(k.rate, k.rng, 0.15, 300, 1400, 1.5, 0.75), h[0] - 0.15, 0.5 * h[1]);
    m.mix(Thud(k.rate, k.rng, 90, 0.11, 1.0), h[0], h[1]);
    m.mix(HandClap(k.rate, k.rng, 900, 0.02), h[0], 0.7 * h[1]);
  }
  ApplyReverb(m, {.room = 0.35, .damping = 0.6, .wet = 0.12});
  return m;
}

Stereo LoadingBullets(Take& k) {
  Stereo m = k.mix();
  for (double at : {0.03, 0.22, 0.41, 0.6}) {  // rounds pressed into the magazine
    m.mix(MechClick(k.rate, k.rng, 2600, 0.02, 0.6), at, 0.7);
    m.mix(MechClick(k.rate, k.rng, 1500, 0.015, 0.4), at + 0.05, 0.4);
  }
  m.mix(Thud(k.rate, k.rng, 180, 0.05, 0.8), 0.85, 0.8);  // magazine slapped home
  m.mix(MechClick(k.rate, k.rng, 1500, 0.03, 1.0), 0.85, 0.9);
  m.mix(MechClick(k.rate, k.rng, 2000, 0.03, 0.8), 1.08, 0.8);  // slide back
  m.mix(Whoosh(k.rate, k.rng, 0.1, 3200, 2200, 4, 0.5), 1.1, 0.35);
  m.mix(MechClick(k.rate, k.rng, 1700, 0.045, 1.0), 1.3, 1.0);  // and forward
  m.mix(Thud(k.rate, k.rng, 220, 0.04, 0.6), 1.3, 0.6);
  ApplyReverb(m, {.room = 0.3, .damping = 0.5, .wet = 0.12});
  return m;
}

Stereo LaserCannon(Take& k) {
  Stereo m = k.mix();
  Signal s(k.frames);
  Osc charge, trem;
  Fm zap;
  Additive buzz;
  OnePole lp(1800, k.rate);
  const double fire = 0.9;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate;
    double x = 0;
    if (t < fire) {  // charging: rising whine, throbbing faster and faster
      double u = t / fire;
      double f = 150 * std::pow(12.0, u);
      double am = 0.6 + 0.4 * trem.sine(8 + 30 * u, k.rate);
      x = (0.6 * charge.sine(f, k.rate) + 0.3 * buzz.tick(f * 0.5, k.rate, false)) * am * (0.2 + 0.6 * u);
    } else {  // the blast: an FM zap falling away over a burst of noise
      double u = t - fire;
      double f = 80 + 2400 * std::exp(-u / 0.18);
      x = zap.tick(f, 0.5, 3, k.rate) * Strike(u, 0.002, 0.22) + lp.low(k.rng.bipolar()) * 1.5 * Strike(u, 0.001, 0.12);
    }
    s[i] = float(Saturate(x * 1.5));
  }
  m.mix(s, 0);
  m.mix(Thud(k.rate, k.rng, 60, 0.15, 0.6), fire, 0.8);
  ApplyEcho(m, {.delay = 0.12, .feedback = 0.3, .wet = 0.3, .toneHz = 2000});
  FadeOut(m, 0.25);
  return m;
}

// Jet engine: a roar whose brightness and level follow the curves, with the turbine's whine
// as narrow bands of noise (blade passes jitter, so no pure tone) gliding with the Doppler.
Stereo JetTakeoff(Take& k, const Curve& whineHz, const Curve& whineLevel, const Curve& roarHz,
                  const Curve& roarLevel, double burnerAt) {
  Stereo m = k.mix();
  CutInfrasound(k);
  Signal s(k.frames);
  PinkNoise pink;
  BrownNoise brown;
  Svf roar, blade1, blade2, blade3;
  OnePole wobble(2, k.rate), crackle(300, k.rate), jitter(30, k.rate);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate;
    if (i % 16 == 0) {
      double wf = whineHz(t) * (1 + 0.01 * jitter.low(k.rng.bipolar() * 20));
      roar.set(roarHz(t), 0.7, k.rate);
      blade1.set(wf, 9, k.rate);
      blade2.set(wf * 1.51, 7, k.rate);
      blade3.set(wf * 0.5, 5, k.rate);
    }
    double rumble = 1 + 1.5 * wobble.low(k.rng.bipolar() * 8);
    double noise = roar.tick(pink.tick(k.rng) + 0.8 * brown.tick(k.rng)).low * roarLevel(t) * rumble;
    double w = k.rng.bipolar();
    double whine = (blade1.tick(w).band + 0.6 * blade2.tick(w).band + 0.5 * blade3.tick(w).band) * whineLevel(t);
    double pops = 0;
    if (burnerAt > 0 && t > burnerAt && k.rng.chance(0.004))
      pops = k.rng.bipolar() * 2;  // afterburner crackle, smoothed below
    s[i] = float(noise * 1.4 + whine * 0.8 + crackle.low(pops) * 4 * roarLevel(t));
  }
  m.mix(s, 0);
  if (burnerAt > 0) m.mix(Thud(k.rate, k.rng, 55, 0.3, 0.8), burnerAt, 0.6);
  ApplyReverb(m, {.room = 0.6, .damping = 0.6, .wet = 0.15});
  FadeOut(m, 0.3);
  return m;
}

// Spooling up on the runway, the afterburner, then climbing away until it is gone.
Stereo FighterJet(Take& k) {
  return JetTakeoff(k, Curve{{0, 1400}, {1.5, 2600}, {3.2, 3800}, {4.0, 3500}, {5.3, 2300}},
                    Curve{{0, 0.35}, {1.5, 0.6}, {3.5, 0.4}, {4.6, 0.15}, {5.0, 0}},
                    Curve{{0, 400}, {1.5, 1200}, {2.6, 3500}, {3.6, 4200}, {5.0, 900}},
                    Curve{{0, 0.25}, {1.5, 0.55}, {2.6, 1.0}, {3.6, 1.0}, {4.6, 0.3}, {5.05, 0}}, 2.6);
}

Stereo FighterJet2(Take& k) {
  return JetTakeoff(k,
                    Curve{{0, 500}, {2.5, 1800}, {5, 3000}, {7, 3600}, {9, 3000}, {11.2, 2000}},
                    Curve{{0, 0.5}, {2.5, 0.7}, {5, 0.55}, {8, 0.35}, {10.5, 0.1}, {11.1, 0}},
                    Curve{{0, 250}, {3, 700}, {5.5, 1800}, {6.3, 4500}, {8.5, 3500}, {11.1, 700}},
                    Curve{{0, 0.2}, {3, 0.4}, {5.5, 0.7}, {6.3, 1.0}, {8.5, 0.9}, {10.4, 0.25}, {11.15, 0}}, 6.3);
}

// A sniper heard from downrange: the bullet's crack arrives first, bright and dry, then the
// far muzzle's heavy thump, rolling back off the hills.
Stereo Sniper(Take& k) {
  Stereo m = k.mix();
  GunStyle crack{.crack = 1.5, .nWaveMs = 0.35, .body = 0.5, .bodyHz = 2500, .bodyQ = 0.7, .bodyDecay = 0.006,
                 .boom = 0, .drive = 3, .tail = 0.15, .tailDecay = 0.05, .tailHz = 4000, .length = 0.3};
  GunStyle thump{.crack = 0.25, .body = 1.3, .blastMs = 4, .bodyHz = 700, .bodyQ = 0.7, .bodyDecay = 0.012,
                 .boom = 0.8, .boomHz = 80, .boomDecay = 0.06, .drive = 2, .tail = 0.3, .tailDecay = 0.3, .tailHz = 1200,
                 .slap = 0.35, .slapDelay = 0.38, .length = 1.0};
  m.mix(Gunshot(k.rate, k.rng, crack), 0.02, 1, -0.15);
  m.mix(Gunshot(k.rate, k.rng, thump), 0.15, 0.9, 0.1);
  ApplyReverb(m, {.room = 0.6, .damping = 0.5, .wet = 0.15});
  AddBolt(m, k.rng, 1.05, 0.35);
  AddCasing(m, k.rng, 1.45, 0.12, 0.4);
  FadeOut(m, 0.15);
  return m;
}

// A rocket: ignition, roar and a whistle that falls as it passes.
Stereo Rocket(Take& k, double passAt, double ignition, double goneAt, double blastAt) {
  Stereo m = k.mix();
  CutInfrasound(k);
  Signal s(k.frames);
  PinkNoise pink;
  Svf roar;
  Osc whistle;
  OnePole motor(40, k.rate);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate, d = (t - passAt) / 0.35;
    double near = 1 / (1 + d * d);
    if (i % 32 == 0) roar.set(600 + 2600 * near, 0.8, k.rate);
    double motorFlutter = 1 + 2.5 * motor.low(k.rng.bipolar());
    // Louder as it comes, then gone into the distance (or into its target).
    double away = SmoothStep((goneAt - t) / (goneAt - passAt));
    double level = SmoothStep((t - ignition) / 0.15) * (0.3 + 0.7 * near) * away;
    double pitch = 1800 * (1 - 0.22 * std::tanh(d));  // Doppler fall
    s[i] = float(roar.tick(pink.tick(k.rng)).low * 1.6 * level * motorFlutter +
                 whistle.sine(pitch, k.rate) * 0.25 * level * near);
  }
  m.mix(s, 0);
  if (ignition > 0.01) m.mix(Thud(k.rate, k.rng, 60, 0.2, 1.0), ignition, 0.7);
  if (blastAt > 0) {  // far off, it finds its target
    Signal blast = Explosion(k.rate, k.rng, {.length = 0.6, .rumbleHz = 400, .decay = 0.15, .report = 0.6, .debris = 0});
    m.mix(blast, blastAt, 0.45);
  }
  ApplyReverb(m, {.room = 0.6, .damping = 0.5, .wet = 0.18});
  FadeOut(m, 0.2);
  return m;
}

Stereo Missile2(Take& k) { return Rocket(k, 0.7, 0, 1.2, 1.05); }
Stereo Missile(Take& k) { return Rocket(k, 1.0, 0.05, 2.0, 0); }

Stereo Bombing(Take& k) {
  Stereo m = k.mix();
  CutInfrasound(k);
  // Aircraft drone overhead, two engines beating.
  Signal drone(k.frames);
  Osc e1, e2;
  OnePole lp(400, k.rate);
  for (size_t i = 0; i < drone.size(); ++i)  // the bombers pass over and on
    drone[i] = float(lp.low(e1.saw(88, k.rate) + e2.saw(91.5, k.rate)) * 0.12 *
                     SmoothStep((k.seconds - 0.6 - double(i) / k.rate) / 2.5));
  m.mix(drone, 0, 1, 0.2);
  const double drops[][3] = {{0.0, 1.0, -0.35}, {1.3, 0.95, 0.45}};
  for (const auto& d : drops) {
    Signal whistle(Samples(d[1], k.rate));
    Osc o;
    for (size_t i = 0; i < whistle.size(); ++i) {
      double u = double(i) / whistle.size();
      whistle[i] = float(o.sine(1700 * std::pow(0.35, u), k.rate) * (0.2 + 0.5 * u));
    }
    m.mix(whistle, d[0], 0.6, d[2]);
    m.mix(Explosion(k.rate, k.rng, {.length = 2.6, .rumbleHz = 650, .decay = 0.55}), d[0] + d[1], 1, d[2]);
  }
  m.mix(Explosion(k.rate, k.rng, {.length = 1.6, .rumbleHz = 350, .decay = 0.35, .crack = 0.2, .report = 0.5}), 3.0, 0.5, 0);
  ApplyReverb(m, {.room = 0.7, .damping = 0.5, .wet = 0.2});
  FadeOut(m, 0.9);
  return m;
}

Stereo BigExplosion(Take& k) {
  Stereo m = k.mix();
  BlastStyle b{.length = 5.0, .rumbleHz = 900, .decay = 0.8, .sub = 1, .crack = 0.8, .report = 1.0,
               .reportHz = 1000, .reportDecay = 0.11, .debris = 0.5};
  m.mix(Explosion(k.rate, k.rng, b), 0.02, 0.8, -0.6);  // two decorrelated sides: width
  m.mix(Explosion(k.rate, k.rng, b), 0.025, 0.8, 0.6);
  ApplyReverb(m, {.room = 0.8, .damping = 0.4, .wet = 0.25});
  FadeOut(m, 1.2);
  return m;
}

Stereo Cannon(Take& k) {
  Stereo m = k.mix();
  // The report is the overdriven mid band over the sub-bass; the hills answer it.
  GunStyle g{.crack = 0.9, .body = 1.6, .bodyHz = 650, .bodyQ = 0.6, .bodyDecay = 0.07, .boom = 1.6,
             .boomHz = 55, .boomDecay = 0.18, .drive = 3, .tail = 0.4, .tailDecay = 0.35, .tailHz = 1500,
             .length = 1.6};
  BlastStyle b{.length = 1.5, .rumbleHz = 450, .decay = 0.3, .sub = 1.0, .crack = 0.2, .report = 0.5,
               .reportHz = 500, .debris = 0};
  for (double at : {0.03, 1.55}) {
    m.mix(Gunshot(k.rate, k.rng, g), at, at > 1 ? 0.9 : 1);
    m.mix(Explosion(k.rate, k.rng, b), at, at > 1 ? 0.45 : 0.5);
  }
  ApplyEcho(m, {.delay = 0.42, .feedback = 0.3, .wet = 0.3, .toneHz = 900});
  ApplyReverb(m, {.room = 0.7, .damping = 0.5, .wet = 0.15});
  FadeOut(m, 0.5);
  return m;
}

Stereo PistolShot(Take& k) {
  Stereo m = k.mix();
  // A snappy, higher blast in a room with a near wall; the slide cycles right after.
  GunStyle g{.crack = 1.1, .body = 1.2, .bodyHz = 1700, .bodyQ = 0.9, .bodyDecay = 0.011, .boom = 0.5,
             .boomHz = 160, .boomDecay = 0.03, .drive = 2.5, .tail = 0.3, .tailDecay = 0.13, .tailHz = 4500,
             .slap = 0.25, .slapDelay = 0.03, .length = 0.55};
  m.mix(Gunshot(k.rate, k.rng, g), 0.01);
  m.mix(MechClick(k.rate, k.rng, 3200, 0.008, 0.5), 0.045, 0.25);
  ApplyReverb(m, {.room = 0.5, .damping = 0.5, .wet = 0.15});
  FadeOut(m, 0.1);
  return m;
}

Stereo Rifle(Take& k) {
  Stereo m = k.mix();
  // Supersonic crack over a heavy blast, a long roll off the hillside, then the bolt.
  GunStyle g{.crack = 1.3, .nWaveMs = 0.5, .body = 1.3, .blastMs = 3, .bodyHz = 1000, .bodyDecay = 0.006,
             .boom = 0.6, .boomHz = 100, .boomDecay = 0.025, .drive = 2.5, .tail = 0.15, .tailDecay = 0.22,
             .tailHz = 2200, .slap = 0.3, .slapDelay = 0.23, .length = 1.0};
  m.mix(Gunshot(k.rate, k.rng, g), 0.01);
  AddBolt(m, k.rng, 0.7, 0.45);
  FadeOut(m, 0.12);
  return m;
}

Stereo MachineGun(Take& k) {
  Stereo m = k.mix();
  // Heavy and low, twelve rounds a second, the belt rattling through.
  GunStyle g{.crack = 1.0, .nWaveMs = 0.45, .body = 1.4, .blastMs = 3, .bodyHz = 800, .bodyQ = 0.7,
             .bodyDecay = 0.006, .boom = 0.7, .boomHz = 95, .boomDecay = 0.025, .drive = 3, .tail = 0.12,
             .tailDecay = 0.09, .tailHz = 1800, .length = 0.45};
  for (int i = 0; i < 8; ++i) {
    double at = 0.01 + i * 0.082 + k.rng.range(-0.003, 0.003);
    m.mix(Gunshot(k.rate, k.rng, g), at, k.rng.range(0.88, 1));
    m.mix(MechClick(k.rate, k.rng, 2300, 0.01, 0.6), at + 0.03, 0.15);  // links of the belt
  }
  ApplyEcho(m, {.delay = 0.11, .feedback = 0.15, .wet = 0.15, .toneHz = 1500});
  FadeOut(m, 0.15);
  return m;
}

Signal BowTwang(int rate, Rng& rng) {
  Signal s(Samples(0.25, rate));
  double f = rng.range(95, 140);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / rate, x = 0;
    double bend = 1 + 0.06 * std::exp(-t / 0.01);  // tension lets go
    for (int n = 1; n <= 6; ++n) x += std::sin(kTwoPi * f * n * bend * t) * std::exp(-t * n / 0.12) / n;
    s[i] = float(x * 0.8);
  }
  Signal click = MechClick(rate, rng, 1500, 0.01, 0.3);
  for (size_t i = 0; i < click.size() && i < s.size(); ++i) s[i] += 0.5f * click[i];
  return s;
}

Signal ArrowFlight(int rate, Rng& rng, double seconds) {
  Signal s = Whoosh(rate, rng, seconds, rng.range(1800, 2600), rng.range(600, 900), 2.5, 0.55);
  double flutter = rng.range(30, 60);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = float(s[i] * (1 - 0.3 * (0.5 + 0.5 * std::sin(kTwoPi * flutter * i / rate))));
  return s;
}

void AddArrowHit(Stereo& m, Rng& rng, double at, double gain) {
  m.mix(Thud(m.rate, rng, rng.range(180, 260), 0.04, 0.8), at, gain);
  m.mix(MechClick(m.rate, rng, 900, 0.03, 0.5), at, gain * 0.6);
  // The shaft quivers in the wood.
  Signal quiver(Samples(0.3, m.rate));
  double f = rng.range(70, 110);
  for (size_t i = 0; i < quiver.size(); ++i) {
    double t = double(i) / m.rate;
    quiver[i] = float(std::sin(kTwoPi * f * t) * (0.5 + 0.5 * std::sin(kTwoPi * 28 * t)) * std::exp(-t / 0.08) * 0.4);
  }
  m.mix(quiver, at + 0.005, gain);
}

Stereo ArrowVolley(Take& k) {
  Stereo m = k.mix();
  for (double volley : {0.005, 3.25, 6.4}) {
    for (int i = 0; i < 20; ++i) {
      double release = volley + (i == 0 ? 0 : k.rng.range(0, 0.7));  // the first bow sets the pace
      m.mix(BowTwang(k.rate, k.rng), release, 0.35);
      double flight = k.rng.range(1.0, 2.2);
      m.mix(ArrowFlight(k.rate, k.rng, flight), release + 0.05, 0.55);
      if (k.rng.chance(0.7)) AddArrowHit(m, k.rng, release + 0.05 + flight * 0.95, k.rng.range(0.3, 0.7));
    }
  }
  ApplyReverb(m, {.room = 0.7, .damping = 0.5, .wet = 0.2});
  return m;
}

Stereo ArrowShot(Take& k) {
  Stereo m = k.mix();
  m.mix(BowTwang(k.rate, k.rng), 0.0, 0.8);
  m.mix(ArrowFlight(k.rate, k.rng, 0.33), 0.04, 0.9);
  AddArrowHit(m, k.rng, 0.37, 1.0);
  ApplyReverb(m, {.room = 0.4, .damping = 0.5, .wet = 0.12});
  return m;
}

Stereo LaserZap(Take& k) {
  Stereo m = k.mix();
  for (double at : {0.0, 0.2}) {
    Signal s(Samples(0.2, k.rate));
    Osc a, b;
    for (size_t i = 0; i < s.size(); ++i) {
      double t = double(i) / k.rate;
      double f = 180 + 2600 * std::exp(-t / 0.06);
      s[i] = float((a.pulse(f, k.rate, 0.3) * 0.5 + b.sine(f * 1.01, k.rate) * 0.5) * Strike(t, 0.002, 0.05));
    }
    m.mix(s, at, at > 0 ? 0.8 : 1);
  }
  ApplyEcho(m, {.delay = 0.07, .feedback = 0.25, .wet = 0.3, .toneHz = 2500});
  FadeOut(m, 0.06);
  return m;
}

Stereo Gunfight(Take& k) {
  Stereo m = k.mix();
  GunStyle pistol{.crack = 1.1, .body = 1.2, .bodyHz = 1700, .bodyQ = 0.9, .bodyDecay = 0.011, .boom = 0.5,
                  .boomHz = 160, .boomDecay = 0.03, .tail = 0.3, .tailDecay = 0.12, .tailHz = 4000, .length = 0.5};
  GunStyle rifle{.crack = 1.3, .nWaveMs = 0.5, .body = 1.3, .bodyHz = 1000, .bodyDecay = 0.025, .boom = 0.6,
                 .boomHz = 100, .boomDecay = 0.08, .tail = 0.4, .tailDecay = 0.22, .tailHz = 2200, .length = 0.9};
  const GunStyle automatic = AutomaticRifleShot();
  double t = 0.02;
  while (t < k.seconds - 1.6) {
    int kind = k.rng.below(10);
    double distance = k.rng.range(0.35, 1.0), pan = k.rng.bipolar() * 0.8;
    auto shot = [&](const GunStyle& g, double at, double gain) {
      Signal s = Gunshot(k.rate, k.rng, g);
      OnePole dull(1500 + 9000 * distance, k.rate);  // far shots lose their edge
      for (float& v : s) v = float(dull.low(v));
      m.mix(s, at, gain * distance, pan);
    };
    if (kind < 3) {
      shot(pistol, t, 1);
      t += k.rng.range(0.12, 0.45);
    } else if (kind < 5) {
      shot(rifle, t, 1.1);
      t += k.rng.range(0.25, 0.6);
    } else if (kind < 8) {
      int n = 3 + k.rng.below(5);
      for (int i = 0; i < n; ++i) shot(automatic, t + i * 0.09, 0.9);
      t += n * 0.09 + k.rng.range(0.1, 0.4);
    } else {
      m.mix(Ricochet(k.rate, k.rng), t, 0.5 * distance, pan);
      t += k.rng.range(0.1, 0.3);
    }
    if (k.rng.chance(0.3)) AddCasing(m, k.rng, t + 0.1, 0.1, k.rng.bipolar());
  }
  ApplyReverb(m, {.room = 0.6, .damping = 0.5, .wet = 0.2});
  FadeOut(m, 0.8);
  return m;
}

// Rotor slap passing overhead from left to right and on into the distance. The turbine and
// the gearbox are bands of noise with a wandering pitch rather than steady tones.
Stereo Helicopter(Take& k) {
  Stereo m = k.mix();
  BrownNoise brown;
  Biquad slapBand(Biquad::kBandPass, 500, 0.8, k.rate), tailBand(Biquad::kBandPass, 1500, 2, k.rate);
  Svf turbine, gearbox;
  OnePole drift(3, k.rate);
  double rotor = 0, tailRotor = 0;
  for (size_t i = 0; i < k.frames; ++i) {
    double t = double(i) / k.rate, d = (t - 2.6) / 1.3;
    double near = 1 / (1 + d * d);
    double doppler = 1 - 0.04 * std::tanh(d);
    rotor += 11.5 * doppler / k.rate;  // blade passes per second
    tailRotor += 48.0 * doppler / k.rate;
    if (i % 16 == 0) {
      double wander = 1 + 0.015 * drift.low(k.rng.bipolar() * 30);
      turbine.set(1900 * doppler * wander, 7, k.rate);
      gearbox.set(420 * doppler * wander, 6, k.rate);
    }
    double ph = rotor - std::floor(rotor), tph = tailRotor - std::floor(tailRotor);
    double w = k.rng.bipolar();
    double slap = slapBand.tick(w) * std::exp(-ph / 0.12) * 3 + brown.tick(k.rng) * std::exp(-ph / 0.2) * 1.2;
    double tail = tailBand.tick(w) * std::exp(-tph / 0.3) * 0.5;
    double engine = turbine.tick(k.rng.bipolar()).band * 0.2 * (0.4 + 0.6 * near) + gearbox.tick(w).band * 0.3;
    m.add(i, (slap + tail + engine) * near * std::sqrt(near), std::tanh(d) * 0.8);
  }
  ApplyReverb(m, {.room = 0.55, .damping = 0.5, .wet = 0.15});
  FadeOut(m, 0.8);
  return m;
}

Stereo Spaceship(Take& k) {
  Stereo m = k.mix();
  Signal s(k.frames);
  Osc a, b, c, lfo;
  Fm shimmer;
  Svf lp;
  const Curve power{{0, 0.5}, {1.5, 1}, {9.2, 1}};
  const Curve pass{{0, 0.5}, {4.5, 0.6}, {6.2, 1.0}, {7.4, 0.6}, {8.7, 0.03}, {8.9, 0}};
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / k.rate, p = power(t), near = pass(t);
    if (i % 32 == 0) lp.set((300 + 700 * (0.5 + 0.5 * std::sin(kTwoPi * 0.2 * t))) * (0.6 + 0.8 * near), 4, k.rate);
    double drone = a.saw(55 * p, k.rate) + b.saw(55.4 * p, k.rate) + 0.7 * c.saw(82.6 * p, k.rate);
    double throb = 0.7 + 0.3 * lfo.sine(4, k.rate);
    double sh = shimmer.tick(1320, 0.5, 1 + std::sin(kTwoPi * 0.3 * t), k.rate);
    s[i] = float(lp.tick(drone).low * throb * near * 0.5 + sh * 0.05 * near);
  }
  // Computer bleeps now and then.
  for (int n = 0; n < 10; ++n) {
    double at = k.rng.range(1.5, 7.2), f = k.rng.range(1000, 2200);
    Signal beep(Samples(0.06, k.rate));
    for (size_t i = 0; i < beep.size(); ++i) beep[i] = float(std::sin(kTwoPi * f * i / k.rate) * 0.12);
    m.mix(beep, at);
  }
  m.mix(s, 0);
  ApplyReverb(m, {.room = 0.7, .damping = 0.3, .wet = 0.2});
  FadeOut(m, 0.25);
  return m;
}

}  // namespace

Recipe WeaponRecipe(int clipId) {
  switch (clipId) {
    case 3: return AutomaticRifle;
    case 5: return Punch;
    case 6: return LoadingBullets;
    case 9: return LaserCannon;
    case 14: return FighterJet;
    case 16: return Spaceship;
    case 17: return Sniper;
    case 20: return Helicopter;
    case 26: return Missile2;
    case 31: return Bombing;
    case 34: return Missile;
    case 36: return BigExplosion;
    case 43: return Cannon;
    case 44: return FighterJet2;
    case 46: return PistolShot;
    case 54: return ArrowVolley;
    case 55: return MachineGun;
    case 56: return LaserZap;
    case 57: return ArrowShot;
    case 64: return Rifle;
    case 73: return Gunfight;
    default: return nullptr;
  }
}

}  // namespace clipsynth
