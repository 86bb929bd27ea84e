#include "clip_synth/music.h"

#include <algorithm>
#include <cmath>

namespace clipsynth {
namespace {

// Gate that closes `release` seconds after `held`.
double Gate(double t, double held, double release) {
  return t < held ? 1 : std::max(0.0, 1 - (t - held) / release);
}

double Cents(double c) { return std::pow(2.0, c / 1200); }

Signal Pad(int rate, double f, double held, double vel, Rng& rng) {
  Signal out(Samples(held + 0.9, rate));
  Osc a(rng.uniform()), b(rng.uniform()), c(rng.uniform());
  Svf lp;
  const double cut = Clamp(f * 3 + 500, 400, 3000) * (0.6 + 0.4 * vel), lfo = rng.uniform();
  const double attack = std::min(0.35, held * 0.4 + 0.01);
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    if (i % 32 == 0) lp.set(cut * (1 + 0.15 * std::sin(kTwoPi * (0.3 * t + lfo))), 0.8, rate);
    double x = a.saw(f * Cents(-8), rate) + b.saw(f, rate) + c.saw(f * Cents(7), rate);
    out[i] = float(lp.tick(x).low * Adsr(t, held, attack, 0.4, 0.75, 0.9) * vel * 0.2);
  }
  return out;
}

Signal Strings(int rate, double f, double held, double vel, Rng& rng) {
  Signal out(Samples(held + 0.4, rate));
  Osc o[4] = {Osc(rng.uniform()), Osc(rng.uniform()), Osc(rng.uniform()), Osc(rng.uniform())};
  const double detune[4] = {Cents(-11), Cents(-4), Cents(5), Cents(12)};
  Svf lp;
  lp.set(std::min(3200.0, f * 6), 0.7, rate);
  const double attack = std::min(0.12, held * 0.25) + 0.006;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    double vib = 1 + (t > 0.25 ? 0.0065 * std::sin(kTwoPi * 5.3 * t) : 0);
    double x = 0;
    for (int k = 0; k < 4; ++k) x += o[k].saw(f * detune[k] * vib, rate);
    out[i] = float(lp.tick(x).low * Adsr(t, held, attack, 0.2, 0.85, 0.4) * vel * 0.15);
  }
  return out;
}

Signal EPiano(int rate, double f, double held, double vel, Rng&) {
  Signal out(Samples(held + 0.5, rate));
  const double tau = 1.4 * std::pow(200 / f, 0.3);
  Fm fm;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    double index = (1.5 * vel + 0.3) * std::exp(-t / 0.35) + 0.25;  // bright attack, mellow ring
    double y = fm.tick(f, 1, index, rate);
    if (f * 7 < 0.45 * rate) y += 0.15 * vel * std::exp(-t / 0.03) * std::sin(kTwoPi * f * 7 * t);
    out[i] = float(y * Strike(t, 0.002, tau) * Gate(t, held, 0.5) * vel * 0.4);
  }
  return out;
}

Signal Pluck(int rate, double f, double held, double vel, Rng& rng, double decay) {
  Signal out(Samples(held + 0.12, rate));
  Osc a(rng.uniform()), b(rng.uniform());
  Svf lp;
  const double tau = decay * (0.35 + 0.5 * Clamp(200 / f, 0, 2));
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    if (i % 16 == 0) lp.set(f * (2 + 10 * vel * std::exp(-t / 0.08)), 0.9, rate);
    double x = 0.6 * a.saw(f, rate) + 0.4 * b.pulse(f, rate, 0.3);
    out[i] = float(lp.tick(x).low * Strike(t, 0.001, tau) * Gate(t, held, 0.1) * vel * 0.4);
  }
  return out;
}

Signal Struck(int rate, double f, double length, double vel, const std::vector<Mode>& shape) {
  Signal out(Samples(length, rate));
  std::vector<Mode> modes;
  for (const Mode& m : shape) modes.push_back({f * m.freq, m.amp * vel, m.decay});
  AddModes(out, 0, rate, modes);
  return out;
}

Signal Vibes(int rate, double f, double held, double vel) {
  Signal out = Struck(rate, f, held + 0.3, vel * 0.35, {{1, 1, 2.0}, {4.0, 0.3, 0.6}, {10, 0.1, 0.2}});
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    out[i] = float(out[i] * (1 - 0.35 * (0.5 + 0.5 * std::sin(kTwoPi * 5.5 * t))) * Gate(t, held, 0.3));
  }
  return out;
}

Signal Marimba(int rate, double f, double held, double vel, Rng& rng) {
  Signal out = Struck(rate, f, std::max(held, 0.5) + 0.2, vel * 0.5,
                      {{1, 1, 0.45}, {3.93, 0.35, 0.12}, {9.2, 0.12, 0.04}});
  OnePole lp(2500, rate);
  for (size_t i = 0; i < out.size() && i < size_t(rate / 100); ++i)
    out[i] += float(lp.low(rng.bipolar()) * vel * 0.4 * std::exp(-double(i) / rate / 0.002));
  return out;
}

Signal Bass(int rate, double f, double held, double vel, Rng& rng) {
  Signal out(Samples(held + 0.08, rate));
  Osc s(rng.uniform()), w(rng.uniform());
  OnePole lp(std::min(f * 4, 0.4 * rate), rate);
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    double x = 0.7 * s.sine(f, rate) + 0.35 * lp.low(w.saw(f, rate));
    out[i] = float(Saturate(x * 1.3) * Adsr(t, held, 0.004, 0.25, 0.65, 0.07) * vel * 0.5);
  }
  return out;
}

Signal SynthBass(int rate, double f, double held, double vel, Rng& rng) {
  Signal out(Samples(held + 0.05, rate));
  Osc a(rng.uniform()), b(rng.uniform());
  Svf lp;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    if (i % 16 == 0) lp.set(f * 1.5 + 2500 * vel * std::exp(-t / 0.12), 2.5, rate);
    double x = a.saw(f, rate) + 0.5 * b.pulse(f * 0.5, rate, 0.5);
    out[i] = float(lp.tick(x).low * Adsr(t, held, 0.003, 0.2, 0.55, 0.05) * vel * 0.4);
  }
  return out;
}

Signal Lead(int rate, double f, double held, double vel, Rng& rng, bool chip) {
  Signal out(Samples(held + (chip ? 0.05 : 0.12), rate));
  Osc a(rng.uniform()), b(rng.uniform());
  Svf lp;
  lp.set(std::min(f * 6, 4000.0), 0.7, rate);
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    double vib = 1 + (t > 0.22 ? (chip ? 0.004 : 0.008) * std::sin(kTwoPi * 5.6 * t) : 0);
    if (chip) {
      double x = a.pulse(f * vib, rate, 0.5);
      out[i] = float(x * Adsr(t, held, 0.004, 0.08, 0.7, 0.05) * vel * 0.22);
    } else {
      double x = 0.6 * a.pulse(f * vib, rate, 0.35) + 0.4 * b.saw(f * vib, rate);
      out[i] = float(lp.tick(x).low * Adsr(t, held, 0.012, 0.15, 0.8, 0.12) * vel * 0.3);
    }
  }
  return out;
}

Signal Brass(int rate, double f, double held, double vel, Rng& rng) {
  Signal out(Samples(held + 0.15, rate));
  Osc a(rng.uniform()), b(rng.uniform());
  Svf lp;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    if (i % 16 == 0) {
      double open = std::min(1.0, t / 0.07) * (0.7 + 0.3 * std::exp(-t / 0.3));
      lp.set(f * (1.2 + 5 * open * vel), 1.0, rate);
    }
    double x = a.saw(f * Cents(-5), rate) + b.saw(f * Cents(5), rate);
    out[i] = float(lp.tick(x).low * Adsr(t, held, 0.04, 0.2, 0.8, 0.15) * vel * 0.28);
  }
  return out;
}

Signal Organ(int rate, double f, double held, double vel) {
  Signal out(Samples(held + 0.06, rate));
  const double harmonics[] = {1, 2, 3, 4, 6, 8}, amps[] = {1, 0.7, 0.4, 0.3, 0.2, 0.1};
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate, x = 0;
    for (int k = 0; k < 6; ++k)
      if (f * harmonics[k] < 0.45 * rate) x += amps[k] * std::sin(kTwoPi * f * harmonics[k] * t);
    double trem = 1 - 0.1 * (0.5 + 0.5 * std::sin(kTwoPi * 6 * t));
    out[i] = float(x * trem * Adsr(t, held, 0.008, 0.01, 1, 0.06) * vel * 0.16);
  }
  return out;
}

Signal Flute(int rate, double f, double held, double vel, Rng& rng) {
  Signal out(Samples(held + 0.12, rate));
  Biquad breath(Biquad::kBandPass, f * 2, 3, rate);
  double phase = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    double vib = 1 + (t > 0.2 ? 0.009 * std::sin(kTwoPi * 5 * t) : 0);
    phase += f * vib / rate;
    double p = kTwoPi * phase;
    double x = std::sin(p) + 0.2 * std::sin(2 * p) + 0.05 * std::sin(3 * p);
    x += 0.5 * breath.tick(rng.bipolar());
    out[i] = float(x * Adsr(t, held, 0.07, 0.1, 0.85, 0.12) * vel * 0.3);
  }
  return out;
}

Signal Wah(int rate, double f, double held, double vel, Rng& rng) {
  Signal out(Samples(held + 0.1, rate));
  Osc a(rng.uniform());
  Svf band;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = double(i) / rate;
    if (i % 16 == 0) band.set(f * (1.3 + 4 * SmoothStep(t / 0.15)), 3.5, rate);
    Svf::Out o = band.tick(a.saw(f, rate));
    out[i] = float((o.band * 0.9 + o.low * 0.25) * Adsr(t, held, 0.02, 0.1, 0.8, 0.1) * vel * 0.45);
  }
  return out;
}

// Six detuned square waves: the metallic ring of cymbals and hats.
double Metal(Osc* osc, int rate, double tune) {
  static const double freqs[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  double x = 0;
  for (int k = 0; k < 6; ++k) x += osc[k].pulse(freqs[k] * tune, rate);
  return x / 6;
}

}  // namespace

Signal RenderNote(Instrument instrument, int rate, double f, double held, double vel, Rng& rng) {
  switch (instrument) {
    case Instrument::kPad: return Pad(rate, f, held, vel, rng);
    case Instrument::kStrings: return Strings(rate, f, held, vel, rng);
    case Instrument::kEPiano: return EPiano(rate, f, held, vel, rng);
    case Instrument::kPluck: return Pluck(rate, f, held, vel, rng, 1);
    case Instrument::kBell:
      return Struck(rate, f, std::max(held, 1.6), vel * 0.35,
                    {{1, 1, 1.4}, {2.76, 0.45, 0.5}, {5.4, 0.25, 0.25}, {8.93, 0.12, 0.12}});
    case Instrument::kVibes: return Vibes(rate, f, held, vel);
    case Instrument::kMarimba: return Marimba(rate, f, held, vel, rng);
    case Instrument::kBass: return Bass(rate, f, held, vel, rng);
    case Instrument::kSynthBass: return SynthBass(rate, f, held, vel, rng);
    case Instrument::kLead: return Lead(rate, f, held, vel, rng, false);
    case Instrument::kChipLead: return Lead(rate, f, held, vel, rng, true);
    case Instrument::kBrass: return Brass(rate, f, held, vel, rng);
    case Instrument::kOrgan: return Organ(rate, f, held, vel);
    case Instrument::kFlute: return Flute(rate, f, held, vel, rng);
    case Instrument::kWah: return Wah(rate, f, held, vel, rng);
  }
  return {};
}

Signal RenderDrum(Drum drum, int rate, double vel, double tune, Rng& rng) {
  auto make = [&](double seconds) { return Signal(Samples(seconds, rate)); };
  Signal out;
  switch (drum) {
    case Drum::kKick: {
      out = make(0.45);
      Osc body;
      for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / rate;
        double f = (48 + 110 * std::exp(-t / 0.035)) * tune;
        double x = body.sine(f, rate) * Strike(t, 0.001, 0.2) + rng.bipolar() * 0.3 * std::exp(-t / 0.002);
        out[i] = float(Saturate(x * 1.5) * vel * 0.8);
      }
      break;
    }
    case Drum::kSnare: {
      out = make(0.35);
      Osc a, b;
      Biquad hp(Biquad::kHighPass, std::min(1200.0, 0.3 * rate), 0.7, rate);
      for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / rate;
        double tone = 0.5 * a.sine(180 * tune, rate) * std::exp(-t / 0.05) +
                      0.3 * b.sine(330 * tune, rate) * std::exp(-t / 0.04);
        double noise = hp.tick(rng.bipolar()) * 0.8 * Strike(t, 0.0005, 0.11);
        out[i] = float((tone + noise) * vel * 0.7);
      }
      break;
    }
    case Drum::kClap: {
      out = make(0.3);
      Biquad band(Biquad::kBandPass, 1100 * tune, 1.3, rate);
      for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / rate;
        double env = Strike(t, 0.0005, 0.006) + Strike(t - 0.011, 0.0005, 0.006) +
                     Strike(t - 0.022, 0.0005, 0.006) + 0.8 * Strike(t - 0.03, 0.001, 0.09);
        out[i] = float(band.tick(rng.bipolar()) * 3 * env * vel * 0.6);
      }
      break;
    }
    case Drum::kClosedHat:
    case Drum::kOpenHat: {
      bool open = drum == Drum::kOpenHat;
      out = make(open ? 0.6 : 0.12);
      Osc metal[6];
      Biquad hp(Biquad::kHighPass, std::min(7000.0, 0.3 * rate), 0.7, rate);
      for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / rate;
        double x = 0.5 * rng.bipolar() + 0.6 * Metal(metal, rate, 2 * tune);
        out[i] = float(hp.tick(x) * Strike(t, 0.0005, open ? 0.22 : 0.03) * vel * 0.55);
      }
      break;
    }
    case Drum::kTom: {
      out = make(0.6);
      Osc body;
      OnePole lp(1500, rate);
      for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / rate;
        double f = 110 * tune * (1 + 0.5 * std::exp(-t / 0.05));
        double x = body.sine(f, rate) * Strike(t, 0.001, 0.25) + lp.low(rng.bipolar()) * std::exp(-t / 0.02);
        out[i] = float(x * vel * 0.7);
      }
      break;
    }
    case Drum::kCrash: {
      out = make(2.2);
      Osc metal[6];
      Biquad hp(Biquad::kHighPass, 0.2 * rate, 0.7, rate);
      for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / rate;
        double x = 0.7 * rng.bipolar() + 0.5 * Metal(metal, rate, 3.3 * tune);
        out[i] = float(hp.tick(x) * Strike(t, 0.001, 0.8) * vel * 0.45);
      }
      break;
    }
    case Drum::kShaker: {
      out = make(0.12);
      Biquad band(Biquad::kBandPass, std::min(5500.0, 0.38 * rate), 1, rate);
      for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / rate;
        out[i] = float(band.tick(rng.bipolar()) * Strike(t, 0.012, 0.035) * vel * 0.6);
      }
      break;
    }
    case Drum::kTimpani: {
      out = make(1.6);
      AddModes(out, 0, rate,
               {{98 * tune, 0.8 * vel, 0.9}, {147 * tune, 0.4 * vel, 0.6},
                {194 * tune, 0.25 * vel, 0.45}, {239 * tune, 0.15 * vel, 0.35}});
      OnePole lp(600, rate);
      for (size_t i = 0; i < out.size(); ++i)
        out[i] += float(lp.low(rng.bipolar()) * 2 * vel * std::exp(-double(i) / rate / 0.015));
      break;
    }
    case Drum::kSnap: {
      out = make(0.06);
      Biquad band(Biquad::kBandPass, std::min(2200 * tune, 0.4 * rate), 2, rate);
      for (size_t i = 0; i < out.size(); ++i)
        out[i] = float(band.tick(rng.bipolar()) * 4 * vel * std::exp(-double(i) / rate / 0.008));
      break;
    }
  }
  return out;
}

namespace {

struct MelodyNote {
  int step, length, degree;  // degree relative to the tonic, before fitting to the chord
};

// Lays a piece out on the beat grid and renders every part into the mix and reverb send.
class Arranger {
 public:
  Arranger(int rate, size_t frames, const Piece& piece)
      : p_(piece), out_(rate, frames), send_(rate, frames), rng_(piece.seed) {
    int bars = 0;
    for (const Section& s : p_.sections) bars += s.bars;
    totalBeats_ = bars * p_.beatsPerBar;
    beatSeconds_ = std::max(0.05, (out_.seconds() - p_.tail) / std::max(1, totalBeats_));
  }

  Stereo render() {
    int bar = 0;
    for (const Section& s : p_.sections) {
      renderSection(s, bar);
      bar += s.bars;
    }
    finalChord();
    ReverbSettings r = p_.reverb;
    double wet = r.wet;
    r.wet = 1;
    r.dry = 0;
    ApplyReverb(send_, r);
    out_.mix(send_, 0, wet * 4);
    FadeOut(out_, p_.tail * 0.6);  // the last chord and the room die away inside the clip
    return std::move(out_);
  }

 private:
  int stepsPerBar() const { return p_.beatsPerBar * p_.stepsPerBeat; }

  int degreeMidi(int degree) const {
    int octave = degree >= 0 ? degree / 7 : -((6 - degree) / 7);
    return p_.tonic + 12 * octave + p_.scale.steps[size_t(degree - 7 * octave)];
  }
  // The MIDI note of `midi`'s pitch class within [low, low + 12).
  static int Fold(int midi, int low) {
    int d = (midi - low) % 12;
    return low + (d < 0 ? d + 12 : d);
  }
  static int Register(int octave) { return 12 * (octave + 1); }

  const Chord& chordAt(const Section& s, int step) const {
    const Progression& prog = p_.progressions[size_t(s.progression) % p_.progressions.size()];
    int index = step / (p_.chordBeats * p_.stepsPerBeat);
    return prog[size_t(index) % prog.size()];
  }
  // Chord tones ascending from the root placed in the register of `octave`.
  std::vector<int> chordMidi(const Chord& c, int octave) const {
    int root = Fold(degreeMidi(c.degree), Register(octave));
    std::vector<int> tones;
    for (int k = 0; k < c.tones; ++k) tones.push_back(root + degreeMidi(c.degree + 2 * k) - degreeMidi(c.degree));
    return tones;
  }

  // Seconds of a position on the grid, with swing on the off-beat eighth.
  double stepTime(int globalStep) const {
    double beat = double(globalStep) / p_.stepsPerBeat;
    double frac = beat - std::floor(beat);
    if (std::fabs(frac - 0.5) < 1e-9) beat += p_.swing;
    else if (std::fabs(frac - 0.25) < 1e-9 || std::fabs(frac - 0.75) < 1e-9) beat += p_.swing / 2;
    return beat * beatSeconds_;
  }

  void note(const PartSound& ps, int midi, double at, double seconds, double vel) {
    Signal s = RenderNote(ps.instrument, out_.rate, MidiToHz(midi), seconds, vel * rng_.range(0.9, 1.0), rng_);
    double when = std::max(0.0, at + rng_.range(-0.003, 0.003));
    out_.mix(s, when, ps.gain, ps.pan);
    if (ps.send > 0) send_.mix(s, when, ps.gain * ps.send, ps.pan);
  }
  void drum(Drum d, double at, double vel, double tune = 1, double pan = 0) {
    Signal s = RenderDrum(d, out_.rate, vel * rng_.range(0.9, 1.0), tune, rng_);
    out_.mix(s, at, p_.drumGain, pan);
    send_.mix(s, at, p_.drumGain * p_.drumSend, pan);
  }

  // Onsets of a pattern over a section: (step, length in steps, character).
  struct Onset {
    int step, length;
    char symbol;
  };
  std::vector<Onset> onsets(const std::string& pattern, int steps) const {
    std::vector<Onset> result;
    if (pattern.empty()) return result;
    for (int i = 0; i < steps; ++i) {
      char c = pattern[size_t(i) % pattern.size()];
      if (c == '-' && !result.empty() && result.back().step + result.back().length == i) {
        ++result.back().length;
      } else if (c != '.' && c != '-' && c != ' ') {
        result.push_back({i, 1, c});
      }
    }
    return result;
  }

  static double Velocity(char c) { return c == 'X' ? 1.0 : c == 'o' ? 0.45 : 0.75; }

  void renderSection(const Section& s, int firstBar) {
    const int steps = s.bars * stepsPerBar(), first = firstBar * stepsPerBar();
    const double lv = s.level;
    auto at = [&](int step) { return stepTime(first + step); };
    auto seconds = [&](int length) { return length * beatSeconds_ / p_.stepsPerBeat; };

    if (s.parts & kPad) {
      int span = p_.chordBeats * p_.stepsPerBeat;
      for (int step = 0; step < steps; step += span) {
        const Chord& c = chordAt(s, step);
        int center = Register(p_.pad.octave) + 6;
        for (int k = 0; k < c.tones; ++k)
          note(p_.pad, Fold(degreeMidi(c.degree + 2 * k), center - 6), at(step), seconds(span) * 0.97, 0.7 * lv);
      }
    }
    if (s.parts & kArp)
      for (const Onset& o : onsets(p_.arpPattern, steps)) {
        std::vector<int> tones = chordMidi(chordAt(s, o.step), p_.arp.octave);
        int k = o.symbol - '0';
        if (k < 0 || k > 9) continue;
        int midi = tones[size_t(k) % tones.size()] + 12 * (k / int(tones.size()));
        note(p_.arp, midi, at(o.step), seconds(o.length), (o.step % p_.stepsPerBeat ? 0.6 : 0.8) * lv);
      }
    if (s.parts & kBassLine)
      for (const Onset& o : onsets(p_.bassPattern, steps)) {
        const Chord& c = chordAt(s, o.step);
        int root = Fold(degreeMidi(c.degree), Register(p_.bass.octave));
        int midi = root;
        switch (o.symbol) {
          case 'T': midi = root + degreeMidi(c.degree + 2) - degreeMidi(c.degree); break;
          case 'F': midi = root + degreeMidi(c.degree + 4) - degreeMidi(c.degree); break;
          case 'O': midi = root + 12; break;
          case 'W': {
            const Chord& next = chordAt(s, o.step + p_.chordBeats * p_.stepsPerBeat);
            midi = Fold(degreeMidi(next.degree - 1), root - 5);
            break;
          }
          default: break;
        }
        note(p_.bass, midi, at(o.step), seconds(o.length) * 0.9, (o.step % p_.stepsPerBeat ? 0.7 : 0.9) * lv);
      }
    if (s.parts & kStabs)
      for (const Onset& o : onsets(p_.stabPattern, steps))
        for (int midi : chordMidi(chordAt(s, o.step), p_.stabs.octave))
          note(p_.stabs, midi, at(o.step), seconds(o.length) * 0.9, Velocity(o.symbol) * lv);

    const int fillFrom = (s.parts & kFill) ? steps - 2 * p_.stepsPerBeat : steps;
    auto drums = [&](const std::string& pattern, Drum d, double pan) {
      for (const Onset& o : onsets(pattern, steps))
        if (o.step < fillFrom) drum(d, at(o.step), Velocity(o.symbol) * lv, 1, pan);
    };
    if (s.parts & kBeat) {
      bool half = (s.parts & kHalfTime) && !p_.halfKick.empty();
      drums(half ? p_.halfKick : p_.kick, Drum::kKick, 0);
      drums(half ? p_.halfSnare : p_.snare, p_.snareDrum, 0.05);
    }
    if (s.parts & kHats) drums(p_.hats, p_.hatDrum, 0.3);
    if (s.parts & kClaps) drums(p_.claps, Drum::kClap, -0.15);
    if (s.parts & kExtra) drums(p_.extra, p_.extraDrum, -0.35);
    if (s.parts & kFill)
      for (int step = fillFrom, k = 0; step < steps; ++step, ++k) {
        double rise = 0.5 + 0.5 * double(k) / (steps - fillFrom);
        if (k % 2) drum(p_.snareDrum, at(step), rise * lv, 1, 0.05);
        else drum(Drum::kTom, at(step), rise * lv, 1.5 - 0.7 * double(k) / (steps - fillFrom), 0.4 - 0.1 * k);
      }
    if (s.parts & kCrashIn) {
      drum(Drum::kCrash, at(0), 0.8 * lv, 1, -0.3);
      drum(Drum::kKick, at(0), lv);
    }
    if (s.parts & kMelody)
      for (const MelodyNote& m : melody(s, steps)) {
        int deg = fitToChord(m.degree, chordAt(s, m.step), m.step % p_.stepsPerBeat == 0);
        int midi = degreeMidi(deg) + Register(p_.melody.octave) - Register(4);
        note(p_.melody, midi, at(m.step), seconds(m.length) * 0.92, (m.step % stepsPerBar() == 0 ? 0.9 : 0.75) * lv);
      }
    if (s.parts & kCounter) {
      int half = stepsPerBar() / 2, prev = Register(p_.counter.octave) + 4;
      for (int step = 0; step < steps; step += half) {
        // Guide tones: the third or seventh nearest to the previous note.
        std::vector<int> tones = chordMidi(chordAt(s, step), p_.counter.octave);
        int best = tones[1 % tones.size()];
        for (int t : tones)
          for (int o = -12; o <= 12; o += 12)
            if (std::abs(t + o - prev) < std::abs(best - prev)) best = t + o;
        prev = best;
        note(p_.counter, best, at(step), seconds(half) * 0.95, 0.65 * lv);
      }
    }
  }

  // The tune of a section: its theme's four-bar phrase, repeated, the second time of
  // every eight bars ending on the tonic.
  std::vector<MelodyNote> melody(const Section& s, int steps) {
    Rng themeRng(p_.seed * 7919 + uint64_t(s.theme) * 104729 + 17);
    std::array<std::vector<MelodyNote>, 5> bars;  // four bars and the closing variant of the last
    int degree = std::array<int, 3>{2, 4, 7}[size_t(themeRng.below(3))];
    for (int b = 0; b < 5; ++b) {
      const std::string& rhythm = p_.melodyRhythm[size_t(b == 4 ? 3 : b)];
      if (b == 2 && p_.melodyRhythm[2] == p_.melodyRhythm[0]) {
        // A sequence: the first bar again, a step or two higher or lower.
        int shift = std::array<int, 3>{1, 2, -1}[size_t(themeRng.below(3))];
        for (MelodyNote m : bars[0]) bars[2].push_back({m.step, m.length, m.degree + shift});
        degree = bars[2].empty() ? degree : bars[2].back().degree;
        continue;
      }
      if (b == 4) degree = bars[2].empty() ? degree : bars[2].back().degree;
      std::vector<Onset> on = onsets(rhythm, stepsPerBar());
      for (size_t k = 0; k < on.size(); ++k) {
        bool last = k + 1 == on.size();
        if (last && b == 3) degree = 4;                      // half close on the dominant
        else if (last && b == 4) degree = degree > 3 ? 7 : 0;  // full close on the tonic
        else if (k > 0 || b > 0) {
          bool rising = b < 2;
          int stepSize = themeRng.chance(0.6) ? 1 : themeRng.chance(0.6) ? 2 : themeRng.chance(0.5) ? 0 : 3;
          degree += (themeRng.chance(rising ? 0.62 : 0.38) ? 1 : -1) * stepSize;
          if (degree > 10) degree -= 2 * stepSize;
          if (degree < 0) degree += 2 * stepSize;
        }
        bars[size_t(b)].push_back({on[k].step, on[k].length, degree});
      }
    }
    std::vector<MelodyNote> result;
    const int barsCount = steps / stepsPerBar();
    for (int bar = 0; bar < barsCount; ++bar) {
      int slot = bar % 4;
      if (slot == 3 && (bar / 4) % 2 == 1) slot = 4;
      if (slot == 3 && bar == barsCount - 1) slot = 4;
      for (const MelodyNote& m : bars[size_t(slot)])
        result.push_back({bar * stepsPerBar() + m.step, m.length, m.degree});
    }
    return result;
  }

  // Strong beats land on a chord tone (the nearest one); other notes pass freely.
  static int fitToChord(int degree, const Chord& c, bool strong) {
    if (!strong) return degree;
    for (int d = 0; d <= 3; ++d)
      for (int sign : {1, -1}) {
        int cand = degree + sign * d;
        int rel = ((cand - c.degree) % 7 + 7) % 7;
        if (rel == 0 || rel == 2 || rel == 4 || (c.tones > 3 && rel == 6)) return cand;
      }
    return degree;
  }

  void finalChord() {
    const Section& last = p_.sections.back();
    double at = stepTime(totalBeats_ * p_.stepsPerBeat);
    double ring = std::max(0.3, p_.tail - 0.5);
    Chord tonic{0, 3};
    int center = Register(p_.pad.octave) + 6;
    for (int k = 0; k < 3; ++k) note(p_.pad, Fold(degreeMidi(2 * k), center - 6), at, ring, 0.75);
    if (last.parts & kArp)
      for (int midi : chordMidi(tonic, p_.arp.octave)) note(p_.arp, midi, at, ring, 0.7);
    if (last.parts & kBassLine) note(p_.bass, Fold(p_.tonic, Register(p_.bass.octave)), at, ring * 0.8, 0.9);
    if (last.parts & kStabs)
      for (int midi : chordMidi(tonic, p_.stabs.octave)) note(p_.stabs, midi, at, ring * 0.6, 0.9);
    if (last.parts & kMelody)
      note(p_.melody, p_.tonic + Register(p_.melody.octave) - Register(4) + 12, at, ring * 0.7, 0.8);
    if (last.parts & (kBeat | kCrashIn)) {
      drum(Drum::kCrash, at, 0.9, 1, 0.3);
      drum(Drum::kKick, at, 1);
    }
  }

  const Piece& p_;
  Stereo out_, send_;
  Rng rng_;
  int totalBeats_ = 0;
  double beatSeconds_ = 0.5;
};

}  // namespace

Stereo RenderPiece(int rate, size_t frames, const Piece& piece) {
  if (piece.sections.empty() || piece.progressions.empty()) return Stereo(rate, frames);
  return Arranger(rate, frames, piece).render();
}

}  // namespace clipsynth
