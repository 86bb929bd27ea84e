#include "clip_synth/voice.h"

#include <algorithm>
#include <cmath>

namespace clipsynth {

Formants Vowel(char name, double scale) {
  Formants f;
  switch (name) {
    case 'a': f = {{730, 1090, 2440, 3400}, {90, 110, 160, 250}}; break;
    case 'A': f = {{660, 1720, 2410, 3400}, {80, 100, 150, 250}}; break;
    case 'e': f = {{530, 1840, 2480, 3500}, {70, 100, 150, 250}}; break;
    case 'i': f = {{270, 2290, 3010, 3700}, {60, 100, 150, 250}}; break;
    case 'I': f = {{390, 1990, 2550, 3600}, {60, 100, 150, 250}}; break;
    case 'o': f = {{570, 840, 2410, 3400}, {80, 90, 150, 250}}; break;
    case 'u': f = {{300, 870, 2240, 3300}, {60, 90, 150, 250}}; break;
    case 'V': f = {{640, 1190, 2390, 3400}, {80, 100, 150, 250}}; break;
    case 'm': f = {{250, 1100, 2200, 3300}, {60, 300, 300, 400}}; break;
    case 'l': f = {{360, 1300, 2700, 3500}, {70, 150, 200, 300}}; break;
    default: f = {{500, 1500, 2500, 3500}, {80, 100, 150, 250}}; break;  // schwa
  }
  for (double& v : f.freq) v *= scale;
  return f;
}

Formants Blend(const Formants& a, const Formants& b, double t) {
  Formants f;
  for (size_t k = 0; k < 4; ++k) {
    f.freq[k] = Lerp(a.freq[k], b.freq[k], t);
    f.width[k] = Lerp(a.width[k], b.width[k], t);
  }
  return f;
}

Voice::Voice(int rate, uint64_t seed, const VoiceTraits& traits)
    : rate_(rate), rng_(seed), traits_(traits), nasalFilter_(900, rate), hiss_(1800, rate),
      hissPeak_(Biquad::kPeak, std::min(5000.0, 0.4 * rate), 0.7, rate, 6) {}

// Rosenberg glottal flow over one period (0..1).
double Voice::pulse(double p) const {
  double open = traits_.openQuotient * 0.7, closing = traits_.openQuotient * 0.3;
  if (p < open) return 0.5 * (1 - std::cos(kPi * p / open));
  if (p < open + closing) return std::cos(kPi / 2 * (p - open) / closing);
  return 0;
}

double Voice::tick(double pitchHz, double voicing, double aspiration, const Formants& f) {
  if (countdown_-- <= 0) {
    countdown_ = 16;  // formants move slowly; refreshing every 16 samples is plenty
    for (size_t k = 0; k < 5; ++k) {
      // The fifth resonance sits above the fourth as in an adult tract; one near the top of
      // the band would only add a huge, harsh boost there.
      const double freq = k < 4 ? f.freq[k] : f.freq[3] * 1.3, width = k < 4 ? f.width[k] : 350;
      active_[k] = freq < 0.42 * rate_;
      resonators_[k].set(freq, width * (1 + traits_.nasal), rate_);
    }
  }
  double dt = Clamp(pitchHz * periodScale_ / rate_, 1e-5, 0.45);
  phase_ += dt;
  if (phase_ >= 1) {
    phase_ -= std::floor(phase_);
    periodScale_ = 1 + traits_.jitter * rng_.normal();
    pulseGain_ = std::max(0.0, 1 + traits_.shimmer * rng_.normal());
    if (++pulseCount_ % 2 && traits_.creak > 0) pulseGain_ *= 1 - 0.85 * traits_.creak;
  }
  double flow = pulse(phase_) * pulseGain_;
  // The flow's derivative (per unit phase) excites the tract, like air leaving the lips.
  double source = (flow - lastFlow_) / dt * 0.12;
  lastFlow_ = flow;
  const double noise = rng_.bipolar() * (0.6 + 0.4 * flow);
  double x = voicing * source + aspiration * noise;
  for (size_t k = 0; k < 5; ++k)
    if (active_[k]) x = resonators_[k].tick(x);
  x *= 0.08;
  // Breath is turbulence at the glottis and in the mouth: it reaches far above the formants.
  x += aspiration * hissPeak_.tick(hiss_.high(noise)) * 0.05;
  if (traits_.nasal > 0) x = Lerp(x, nasalFilter_.low(x) * 2, traits_.nasal);
  return x;
}

void Speak(Signal& out, int rate, const std::vector<Syllable>& syllables, Voice& voice) {
  for (const Syllable& s : syllables) {
    const size_t start = Samples(s.start, rate);
    const double rise = std::max(0.004, s.onset * 0.3);
    const double fadeAfter = s.length > 0 ? std::max(s.attack * 2, 0.01) : rise;
    // Long enough for the breath to fade and the resonances to ring out.
    const size_t n = Samples(s.onset + std::max(s.length, fadeAfter) + 0.03, rate);
    for (size_t j = 0; j < n && start + j < out.size(); ++j) {
      double t = double(j) / rate, u = t - s.onset;
      // The breath of the onset rises, holds, and hands over to the voice.
      double h = 0;
      if (s.onset > 0) h = u < 0 ? SmoothStep(t / rise) : std::max(0.0, 1 - u / fadeAfter);
      double voiced = 0;
      if (u >= 0 && u < s.length) {
        voiced = std::min(1.0, u / s.attack);
        if (u > s.length - s.release) voiced *= (s.length - u) / s.release;
        if (s.tremoloDepth > 0)
          voiced *= 1 - s.tremoloDepth * (0.5 + 0.5 * std::sin(kTwoPi * s.tremoloHz * u));
      }
      double along = s.length > 0 ? Clamp(u / s.length, 0, 1) : 0;
      double glide = s.glide > 0 ? Clamp(u / s.glide, 0, 1) : along;
      double pitch = s.pitchFrom * std::pow(s.pitchTo / s.pitchFrom, along);
      if (s.vibratoSemitones > 0)
        pitch *= std::pow(2.0, s.vibratoSemitones * std::sin(kTwoPi * s.vibratoHz * u) / 12);
      double asp = h * 0.55 + voiced * s.breath;
      out[start + j] += float(s.loudness * voice.tick(pitch, voiced, asp, Blend(s.vowel, s.vowelEnd, glide)));
    }
  }
}

double AddLaughBout(std::vector<Syllable>& out, Rng& rng, const LaughStyle& st, double start,
                    int count, double loudness) {
  double t = start;
  for (int k = 0; k < count; ++k) {
    const double u = count > 1 ? double(k) / (count - 1) : 0;
    // Irregular spacing that slows towards the end of the bout.
    const double period = (1 + st.timing * Clamp(rng.normal(), -2, 2) * 0.5 + 0.3 * u * u) / st.syllableRate;
    Syllable s;
    s.start = t;
    s.onset = st.onset * rng.range(0.7, 1.4);
    s.length = period * st.voicedShare * rng.range(0.8, 1.2);
    const double p = st.pitch * (1 - st.fall * u) * (1 + st.pitchSpread * 0.5 * rng.normal());
    s.pitchFrom = p * (1 + 0.4 * st.syllableFall);
    s.pitchTo = p * (1 - 0.6 * st.syllableFall);
    s.loudness = loudness * (1 - st.fade * u) * rng.range(0.75, 1.0);
    s.breath = st.breath * rng.range(0.8, 1.3);
    s.attack = rng.range(0.008, 0.02);
    s.release = s.length * 0.45;
    s.vowel = Vowel(st.vowel, st.formantScale * rng.range(0.97, 1.03));
    s.vowelEnd = Blend(s.vowel, Vowel('@', st.formantScale), 0.4);
    out.push_back(s);
    t += std::max(period, s.onset + s.length * 0.9);
  }
  if (st.inhale > 0) {
    Syllable in;
    in.start = t + rng.range(0, 0.08);
    if (rng.chance(st.squeak)) {  // a voiced, squeaky breath in, rising
      in.onset = 0.04;
      in.length = st.inhale * rng.range(0.4, 0.6);
      in.pitchFrom = st.pitch * 1.8;
      in.pitchTo = st.pitch * 2.3;
      in.breath = 0.7;
      in.attack = 0.04;
      in.release = in.length * 0.5;
      in.loudness = loudness * 0.3;
      in.vowel = in.vowelEnd = Vowel('i', st.formantScale * 1.1);
      t = in.start + in.onset + in.length + 0.08;
    } else {  // air drawn in through the open mouth: noise only
      in.onset = st.inhale * rng.range(0.8, 1.2);
      in.length = 0;
      in.loudness = loudness * 0.5;
      in.vowel = in.vowelEnd = Vowel('A', st.formantScale * 1.15);
      t = in.start + in.onset + 0.06;
    }
    out.push_back(in);
  }
  return t;
}

void AddCrowdLaughter(Stereo& out, Rng& rng, int people, double from, double to,
                      const Curve& swell, double pitchLow, double pitchHigh, double formantScale,
                      double gain, double width) {
  const char vowels[] = "aAeV@oi";
  Signal voiceTrack(out.frames());
  for (int p = 0; p < people; ++p) {
    LaughStyle st;
    st.pitch = pitchLow * std::pow(pitchHigh / pitchLow, rng.uniform());
    st.syllableRate = rng.range(4, 6.8) * std::pow(st.pitch / 180, 0.25);  // higher voices laugh faster
    st.vowel = vowels[rng.below(7)];
    st.formantScale = formantScale * rng.range(0.9, 1.12);
    st.breath = rng.range(0.15, 0.45);
    st.fall = rng.range(0.1, 0.35);
    st.syllableFall = rng.range(0.1, 0.3);
    st.timing = rng.range(0.15, 0.35);
    st.onset = rng.range(0.02, 0.05);
    st.inhale = rng.range(0.2, 0.45);
    st.squeak = rng.range(0, 0.3);
    VoiceTraits traits;
    traits.jitter = rng.range(0.01, 0.035);
    traits.shimmer = rng.range(0.08, 0.25);
    traits.creak = rng.chance(0.3) ? rng.range(0.1, 0.4) : 0;
    traits.nasal = rng.chance(0.2) ? rng.range(0.1, 0.4) : 0;
    std::vector<Syllable> syllables;
    double t = from + rng.range(0, 0.4);
    while (t < to) {
      const double level = swell(t);
      const int count = 3 + rng.below(8);
      // A bout starts only if it can end, breath and all, before `to`.
      const double needs = (count + 1.5) / st.syllableRate + st.inhale * 1.2 + 0.1;
      if (t + needs > to) break;
      if (level < 0.08 || !rng.chance(0.3 + 0.7 * level)) {
        t += rng.range(0.2, 0.6);
        continue;
      }
      t = AddLaughBout(syllables, rng, st, t, count, level * rng.range(0.7, 1.0));
      t += rng.range(0, 0.35);
    }
    std::fill(voiceTrack.begin(), voiceTrack.end(), 0.0f);
    Voice voice(out.rate, rng.next(), traits);
    Speak(voiceTrack, out.rate, syllables, voice);
    out.mix(voiceTrack, 0, gain * rng.range(0.6, 1.0), rng.range(-width, width));
  }
}

}  // namespace clipsynth
