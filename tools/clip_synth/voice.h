// Formant voice synthesis: a glottal pulse train with aspiration noise through a cascade of
// vowel resonances (and a fifth one where the rate allows), with the breath also reaching the
// top of the band through a parallel path, scripted as syllables. Laughter, shouts, coughs and
// animal calls are built from it.
#pragma once
#include <array>
#include <vector>

#include "clip_synth/dsp.h"
#include "clip_synth/stereo.h"

namespace clipsynth {

struct Formants {
  std::array<double, 4> freq;   // Hz
  std::array<double, 4> width;  // bandwidths, Hz
};

// Vowels of an adult male: 'a' father, 'A' cat, 'e' bed, 'i' see, 'I' sit, 'o' law,
// 'u' boot, '@' schwa, 'V' cup; also 'm' (nasal murmur) and 'l'.
// `scale` raises every formant (about 1.15 for a woman, 1.3 for a child).
Formants Vowel(char name, double scale = 1);
Formants Blend(const Formants& a, const Formants& b, double t);

// Qualities of one speaker.
struct VoiceTraits {
  double jitter = 0.01;        // random variation of each pitch period
  double shimmer = 0.08;       // random variation of each pulse's strength
  double openQuotient = 0.6;   // share of the period the glottis is open
  double creak = 0;            // 0..1: alternate pulses weakened (rough, growly voice)
  double nasal = 0;            // 0..1: damped, murmur-like colour
};

class Voice {
 public:
  Voice(int rate, uint64_t seed, const VoiceTraits& traits = {});
  // One sample: `voicing` and `aspiration` are levels (0..1) of pulses and breath noise.
  double tick(double pitchHz, double voicing, double aspiration, const Formants& f);

 private:
  double pulse(double phase) const;
  int rate_;
  Rng rng_;
  VoiceTraits traits_;
  double phase_ = 0, periodScale_ = 1, pulseGain_ = 1, lastFlow_ = 0;
  int pulseCount_ = 0, countdown_ = 0;
  std::array<Resonator, 5> resonators_;
  std::array<bool, 5> active_{};
  OnePole nasalFilter_, hiss_;
  Biquad hissPeak_;
};

// One scripted syllable: an optional breathy /h/ onset, then a voiced vowel whose pitch
// glides geometrically from `pitchFrom` to `pitchTo` and whose vowel glides to `vowelEnd`.
struct Syllable {
  double start = 0;      // seconds, where the onset begins
  double onset = 0.03;   // seconds of /h/ breath before voicing
  double length = 0.2;   // seconds of voicing
  double pitchFrom = 200, pitchTo = 180;
  double loudness = 1;
  double breath = 0.1;   // breath noise mixed into the voiced part
  double attack = 0.012, release = 0.05;
  double vibratoHz = 0, vibratoSemitones = 0;
  double tremoloHz = 0, tremoloDepth = 0;
  Formants vowel = Vowel('a'), vowelEnd = Vowel('a');
  double glide = 0;      // seconds to move from `vowel` to `vowelEnd`; 0 = the whole length
};

// Renders syllables one after another with one voice into `out` from sample 0.
void Speak(Signal& out, int rate, const std::vector<Syllable>& syllables, Voice& voice);

// A laughing speaker. Every "ha" begins with breath, and its pitch falls; over a bout the
// pitch falls further and the syllables fade and slow; the spacing is never even; a bout ends
// with a breath in (now and then a squeaky voiced one).
struct LaughStyle {
  double pitch = 180;          // Hz of the first syllable of a bout
  double pitchSpread = 0.08;   // random variation of syllable pitch (ratio)
  double fall = 0.25;          // how far pitch falls over a bout (ratio)
  double syllableFall = 0.2;   // how far pitch falls within one syllable (ratio)
  double syllableRate = 5;     // syllables per second
  double timing = 0.25;        // irregularity of the spacing (ratio)
  double voicedShare = 0.55;   // part of each syllable that is voiced
  double onset = 0.035;        // /h/ before each syllable
  double breath = 0.15;
  char vowel = 'a';
  double formantScale = 1;
  double fade = 0.35;          // how much quieter the last syllable of a bout is
  double inhale = 0.35;        // seconds of breath in after a bout (0 for none)
  double squeak = 0.2;         // chance that the breath in is voiced
};

// Appends a bout of `count` laugh syllables from `start`; returns where the next bout may
// begin (after the breath in).
double AddLaughBout(std::vector<Syllable>& out, Rng& rng, const LaughStyle& style, double start,
                    int count, double loudness = 1);

// A laughing crowd: `people` laughers with their own voices, pitch and timing, placed across
// the stereo field up to `width`; each laughs in bouts whose loudness follows `swell` (0..1
// over the clip's time), and every bout has ended by `to`.
void AddCrowdLaughter(Stereo& out, Rng& rng, int people, double from, double to,
                      const Curve& swell, double pitchLow, double pitchHigh, double formantScale,
                      double gain, double width = 0.85);

}  // namespace clipsynth
