// Clips of people and animals: laughter, shouts, coughs, kisses, applause, dogs, a sheep.
#include <cmath>

#include "clip_synth/effects.h"
#include "clip_synth/recipes.h"
#include "clip_synth/speech.h"
#include "clip_synth/voice.h"

namespace clipsynth {
namespace {

// Renders syllables with one voice into a mono track as long as the clip.
Signal Say(const Take& k, uint64_t seed, const VoiceTraits& traits, const std::vector<Syllable>& syllables) {
  Signal s(k.frames);
  Voice voice(k.rate, seed, traits);
  Speak(s, k.rate, syllables, voice);
  return s;
}

// A dog's bark: a burst of rough, noisy voice that starts at once (2 ms), its pulses
// alternating in strength (a subharmonic an octave down) and its pitch falling, with a
// breath noise as strong as the voice.
Signal Bark(int rate, Rng& rng, double pitch, double formantScale, double length) {
  VoiceTraits traits{.jitter = 0.08, .shimmer = 0.45, .openQuotient = 0.5, .creak = 0.7};
  Voice voice(rate, rng.next(), traits);
  Syllable s{.onset = 0, .length = length, .pitchFrom = pitch * 1.25, .pitchTo = pitch * 0.75,
             .breath = 0.9, .attack = 0.002, .release = length * 0.5};
  s.vowel = Vowel('o', formantScale);
  s.vowelEnd = Vowel('a', formantScale);
  s.glide = length * 0.3;
  Signal out(Samples(length + 0.1, rate));
  Speak(out, rate, {s}, voice);
  // The throat's turbulence: noise in the vowel's band, following the voice's envelope.
  Biquad band(Biquad::kBandPass, 1100 * formantScale, 0.6, rate);
  OnePole follow(60, rate);
  for (float& v : out) {
    const double env = follow.low(std::fabs(v)) * 3;
    v = float(Saturate((v + band.tick(rng.bipolar()) * env * 0.8) * 4) / 2);
  }
  return out;
}

Stereo DogBark2(Take& k) {
  Stereo m = k.mix();
  m.mix(Bark(k.rate, k.rng, 520, 1.25, 0.13), 0.01);
  m.mix(Bark(k.rate, k.rng, 480, 1.25, 0.16), 0.33, 0.9);
  ApplyReverb(m, {.room = 0.5, .damping = 0.5, .wet = 0.15});
  return m;
}

Stereo DogBark(Take& k) {
  Stereo m = k.mix();
  m.mix(Bark(k.rate, k.rng, 270, 0.95, 0.2), 0.01);
  m.mix(Bark(k.rate, k.rng, 240, 0.95, 0.16), 0.4, 0.85);
  ApplyReverb(m, {.room = 0.5, .damping = 0.5, .wet = 0.15});
  return m;
}

// 救命 shouted again and again, each call higher, faster, louder and more strained than the
// last, with gasps for breath between: speech synthesis (espeak-ng) performed as a frightened
// woman calling out in the open, with wind and the street's echo.
Stereo CryForHelp(Take& k) {
  Stereo m = k.mix();
  const char* const words[] = {"救命！", "救命<prosody rate=\"x-slow\">啊</prosody>！", "救命！",
                               "救<prosody rate=\"slow\">命</prosody>！"};
  Signal gasps(k.frames);
  std::vector<Syllable> breaths;
  double t = 0.3;
  for (int n = 0; t < k.seconds - 2.4; ++n) {
    const double urgency = std::min(1.0, n / 8.0);
    // A cry for help starts high (near 400 Hz) and grows rougher, not smoother, as it grows
    // more urgent: more strain, more tremble, more breath.
    SpeechTake take{words[n % 4], "f3", 99, "x-high", int(150 + 70 * urgency)};
    Delivery d{.lift = 1.25 + 0.05 * urgency, .trembleHz = 5 + 2 * urgency, .trembleCents = 20 + 60 * urgency,
               .presenceDb = 4 + 3 * urgency, .drive = 1.5 + 4.5 * urgency, .breath = 0.12 + 0.2 * urgency};
    Signal call = Perform(take, d, k.rate, k.rng.next());
    // The caller turns about as she calls: each call from a slightly different place.
    m.mix(call, t, 0.55 + 0.45 * urgency, 0.4 * std::sin(1.7 * n));
    t += double(call.size()) / k.rate;
    const double gap = (1.0 - 0.55 * urgency) * k.rng.range(0.85, 1.15);
    if (n % 2 == 1) {  // a gasp for breath before the next call
      Syllable gasp{.start = t + gap * 0.2, .onset = gap * 0.5, .length = 0, .loudness = 0.35 + 0.25 * urgency};
      gasp.vowel = gasp.vowelEnd = Vowel('A', 1.15);
      breaths.push_back(gasp);
    }
    t += gap;
  }
  Voice breather(k.rate, k.rng.next());
  Speak(gasps, k.rate, breaths, breather);
  m.mix(gasps, 0, 0.8, 0.1);
  // Wind in the open.
  PinkNoise wl, wr;
  OnePole lpl(300, k.rate), lpr(300, k.rate), gust(0.3, k.rate);
  for (size_t i = 0; i < k.frames; ++i) {
    double g = 0.5 + 3 * std::fabs(gust.low(k.rng.bipolar() * 10));
    m.left[i] += float(lpl.low(wl.tick(k.rng)) * 0.05 * g);
    m.right[i] += float(lpr.low(wr.tick(k.rng)) * 0.05 * g);
  }
  ApplyEcho(m, {.delay = 0.31, .feedback = 0.25, .wet = 0.18, .toneHz = 2500});
  ApplyReverb(m, {.room = 0.75, .damping = 0.4, .wet = 0.25, .preDelay = 0.02});
  FadeOut(m, 1.2);
  return m;
}

// Lips parting: a click, then a puff of 1-4 kHz noise gone within about 4 ms.
Signal LipPop(int rate, Rng& rng, double decay) {
  Signal s(Samples(0.02, rate));
  Biquad low(Biquad::kHighPass, 1000, 0.7, rate), high(Biquad::kLowPass, 4000, 0.7, rate);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = double(i) / rate;
    const double click = i == 0 ? 1.0 : i == 1 ? -0.6 : 0.0;
    s[i] = float(click * 0.8 + high.tick(low.tick(rng.bipolar())) * 1.6 * std::exp(-t * 3.5 / decay));
  }
  return s;
}

Stereo Kiss(Take& k) {
  Stereo m = k.mix();
  m.mix(LipPop(k.rate, k.rng, 0.004), 0.01, 1, -0.3);
  m.mix(LipPop(k.rate, k.rng, 0.0035), 0.28, 0.9, 0.3);
  // "Mmm-wah!"
  std::vector<Syllable> mwah;
  Syllable hum{.start = 0.81, .onset = 0, .length = 0.4, .pitchFrom = 230, .pitchTo = 250,
               .loudness = 0.6, .breath = 0.2, .attack = 0.05, .release = 0.05};
  hum.vowel = hum.vowelEnd = Vowel('m', 1.15);
  Syllable wah{.start = 1.24, .onset = 0, .length = 0.45, .pitchFrom = 300, .pitchTo = 210,
               .loudness = 0.9, .breath = 0.35, .attack = 0.01, .release = 0.2};
  wah.vowel = Vowel('u', 1.15);
  wah.vowelEnd = Vowel('a', 1.15);
  wah.glide = 0.08;
  mwah = {hum, wah};
  m.mix(Say(k, k.rng.next(), {.nasal = 0.2}, mwah), 0, 0.8, 0.1);
  m.mix(LipPop(k.rate, k.rng, 0.005), 1.22, 1.1, 0.1);
  m.mix(LipPop(k.rate, k.rng, 0.003), 2.06, 0.7, -0.2);
  m.mix(LipPop(k.rate, k.rng, 0.004), 2.19, 0.6, 0.25);
  ApplyReverb(m, {.room = 0.45, .damping = 0.5, .wet = 0.15});
  return m;
}

// A hearty belly laugh: it starts as a chuckle, breaks into long bouts with a high, helpless
// peak and a wheeze, and settles with a few chuckles and a sigh.
Stereo BigLaugh(Take& k) {
  Stereo m = k.mix();
  std::vector<Syllable> laugh;
  // Laughing, a man's voice sits high: about 280 Hz, far over his speaking pitch.
  LaughStyle ha{.pitch = 280, .fall = 0.3, .syllableFall = 0.25, .syllableRate = 5.2, .timing = 0.3,
                .voicedShare = 0.6, .onset = 0.045, .breath = 0.25, .vowel = 'a', .fade = 0.3,
                .inhale = 0.45, .squeak = 0.15};
  LaughStyle ho = ha;
  ho.pitch = 220;
  ho.vowel = 'o';
  ho.syllableRate = 4.4;
  LaughStyle hee = ha;
  hee.pitch = 420;
  hee.vowel = 'i';
  hee.syllableRate = 6.5;
  hee.breath = 0.4;
  hee.squeak = 0.6;
  LaughStyle wheeze = ha;
  wheeze.breath = 0.9;
  wheeze.pitch = 330;
  wheeze.voicedShare = 0.4;
  LaughStyle chuckle = ho;
  chuckle.syllableRate = 5.5;
  chuckle.voicedShare = 0.45;
  chuckle.inhale = 0.3;
  chuckle.squeak = 0;
  double t = AddLaughBout(laugh, k.rng, chuckle, 0.05, 3, 0.6) + 0.1;
  const LaughStyle* const plan[] = {&ha, &ho, &ha, &hee, &ha, &wheeze, &ho, &ha, &hee, &ha, &ho};
  for (int bout = 0; t < k.seconds - 4.2; ++bout) {
    const LaughStyle& style = *plan[size_t(bout) % std::size(plan)];
    t = AddLaughBout(laugh, k.rng, style, t, 5 + k.rng.below(8), k.rng.range(0.75, 1.0));
    t += k.rng.range(0, 0.25);
  }
  t = AddLaughBout(laugh, k.rng, chuckle, t + 0.2, 4, 0.55);
  Syllable sigh{.start = t + 0.1, .onset = 0.12, .length = 0.7, .pitchFrom = 220, .pitchTo = 130,
                .loudness = 0.45, .breath = 0.6, .attack = 0.08, .release = 0.5};
  sigh.vowel = Vowel('a');
  sigh.vowelEnd = Vowel('@');
  laugh.push_back(sigh);
  VoiceTraits traits{.jitter = 0.025, .shimmer = 0.18, .creak = 0.15};
  m.mix(Say(k, k.rng.next(), traits, laugh), 0);
  ApplyReverb(m, {.room = 0.45, .damping = 0.5, .wet = 0.12});
  FadeOut(m, 0.3);
  return m;
}

// A cheeky snicker: short, breathy "heh"s through the nose, with a snort to start.
Stereo CheekySnicker(Take& k) {
  Stereo m = k.mix();
  std::vector<Syllable> s;
  LaughStyle st{.pitch = 250, .fall = 0.12, .syllableFall = 0.15, .syllableRate = 9, .timing = 0.3,
                .voicedShare = 0.32, .onset = 0.03, .breath = 0.7, .vowel = 'e', .fade = 0.25, .inhale = 0};
  AddLaughBout(s, k.rng, st, 0.09, 6, 1);
  m.mix(Say(k, k.rng.next(), {.jitter = 0.025, .shimmer = 0.2, .nasal = 0.65}, s), 0, 1, 0.15);
  Signal snort(Samples(0.07, k.rate));  // air forced out through the nose
  Biquad nose(Biquad::kBandPass, 700, 1.5, k.rate);
  for (size_t i = 0; i < snort.size(); ++i)
    snort[i] = float(nose.tick(k.rng.bipolar()) * Strike(double(i) / k.rate, 0.005, 0.015) * 1.5);
  m.mix(snort, 0.01, 0.8, 0.15);
  ApplyReverb(m, {.room = 0.35, .damping = 0.5, .wet = 0.12});
  FadeOut(m, 0.06);
  return m;
}

Stereo Sheep(Take& k) {
  Stereo m = k.mix();
  Syllable baa{.start = 0.03, .onset = 0, .length = 0.88, .pitchFrom = 340, .pitchTo = 290,
               .breath = 0.25, .attack = 0.02, .release = 0.2, .vibratoHz = 7.5,
               .vibratoSemitones = 0.8, .tremoloHz = 7.5, .tremoloDepth = 0.5};
  baa.vowel = Vowel('m', 1.15);  // lips closed for the b
  baa.vowelEnd = Vowel('A', 1.15);
  baa.glide = 0.05;
  VoiceTraits traits{.jitter = 0.03, .shimmer = 0.2, .creak = 0.2, .nasal = 0.3};
  m.mix(Say(k, k.rng.next(), traits, {baa}), 0);
  ApplyReverb(m, {.room = 0.5, .damping = 0.5, .wet = 0.12});
  return m;
}

// A silly giggle: high, fast "hihihi" that runs away with itself, a squeaky breath in, and
// another go.
Stereo SillyGiggle(Take& k) {
  Stereo m = k.mix();
  std::vector<Syllable> s;
  LaughStyle st{.pitch = 340, .pitchSpread = 0.12, .fall = -0.12, .syllableFall = 0.15, .syllableRate = 8.5,
                .timing = 0.3, .voicedShare = 0.45, .onset = 0.025, .breath = 0.35, .vowel = 'i',
                .formantScale = 1.15, .fade = 0.1, .inhale = 0.25, .squeak = 1};
  double t = AddLaughBout(s, k.rng, st, 0.04, 7, 1);
  st.vowel = 'e';
  st.pitch = 370;
  st.fall = 0.3;
  st.inhale = 0;
  AddLaughBout(s, k.rng, st, t + 0.05, 5, 0.9);
  m.mix(Say(k, k.rng.next(), {.jitter = 0.02, .shimmer = 0.15, .nasal = 0.2}, s), 0);
  ApplyReverb(m, {.room = 0.35, .damping = 0.5, .wet = 0.12});
  FadeOut(m, 0.1);
  return m;
}

// Crowd shouts of joy: "woo!" rising and "yeah!" falling.
void AddCheers(Stereo& m, Rng& rng, int shouts, double from, double to, double gain) {
  for (int n = 0; n < shouts; ++n) {
    bool woo = rng.chance(0.5);
    double pitch = rng.range(220, 420), at = rng.range(from, std::max(from, to - 0.8));
    Syllable s{.start = at, .onset = woo ? 0.02 : 0.0, .length = rng.range(0.4, 0.8),
               .pitchFrom = pitch * (woo ? 0.85 : 1.15), .pitchTo = pitch * (woo ? 1.3 : 0.8),
               .breath = 0.25, .attack = 0.04, .release = 0.2, .vibratoHz = 6, .vibratoSemitones = 0.3};
    double scale = rng.range(1.0, 1.2);
    s.vowel = Vowel(woo ? 'u' : 'i', scale);
    s.vowelEnd = Vowel(woo ? 'u' : 'A', scale);
    s.glide = 0.12;
    Signal v(Samples(s.onset + s.length + 0.05, m.rate));
    Voice voice(m.rate, rng.next(), {.jitter = 0.02, .shimmer = 0.1});
    s.start = 0;
    Speak(v, m.rate, {s}, voice);
    m.mix(v, at, gain * rng.range(0.5, 1), rng.bipolar() * 0.8);
  }
}

void AddWhistle(Stereo& m, Rng& rng, double at, double gain) {
  Signal w(Samples(0.9, m.rate));
  double f0 = rng.range(1300, 1700), phase = 0;
  // The two-part whistle of an enthusiast: up, then up again.
  const Curve pitch{{0, f0}, {0.2, f0 * 1.8}, {0.35, f0 * 0.9}, {0.75, f0 * 1.7}};
  for (size_t i = 0; i < w.size(); ++i) {
    double t = double(i) / m.rate;
    phase += std::min(pitch(t), 0.45 * m.rate) / m.rate;
    double env = SmoothStep(t / 0.03) * (t < 0.25 ? 1 : t < 0.33 ? 0.2 : 1) * SmoothStep((0.9 - t) / 0.1);
    w[i] = float(std::sin(kTwoPi * phase) * env * 0.3);
  }
  m.mix(w, at, gain, rng.bipolar() * 0.7);
}

// Cheers and applause that burst out, hold, and die away inside the clip.
Stereo CheeringApplause(Take& k) {
  Stereo m = k.mix();
  const Curve swell{{0, 0.5}, {0.25, 1}, {2.4, 0.9}, {3.2, 0.3}, {3.55, 0}};
  AddApplause(m, k.rng, 0, k.seconds, 40, swell, 0.45);
  AddCheers(m, k.rng, 12, 0, 2.9, 0.6);
  AddWhistle(m, k.rng, 0.35, 0.8);
  AddWhistle(m, k.rng, 1.6, 0.6);
  ApplyReverb(m, {.room = 0.6, .damping = 0.5, .wet = 0.18});
  FadeOut(m, 0.25);
  return m;
}

// A hall on its feet: a long ovation in waves, whistles and shouts, then it thins out to a
// last few hands.
Stereo IntenseApplause(Take& k) {
  Stereo m = k.mix();
  const Curve swell{{0, 0.3}, {1.5, 1}, {12, 0.85}, {20, 1}, {30, 0.9}, {38, 1}, {44, 0.85}, {47.2, 0.2}, {48.7, 0}};
  AddApplause(m, k.rng, 0, k.seconds, 110, swell, 0.3);
  AddCheers(m, k.rng, 70, 0, 45.5, 0.45);
  for (int n = 0; n < 12; ++n) AddWhistle(m, k.rng, k.rng.range(0.5, 44), 0.5);
  // The roar of the crowd under it all.
  PinkNoise pl, pr;
  Biquad bl(Biquad::kBandPass, 700, 0.6, k.rate), br(Biquad::kBandPass, 700, 0.6, k.rate);
  for (size_t i = 0; i < k.frames; ++i) {
    double level = swell(double(i) / k.rate) * 0.12;
    m.left[i] += float(bl.tick(pl.tick(k.rng)) * level);
    m.right[i] += float(br.tick(pr.tick(k.rng)) * level);
  }
  ApplyReverb(m, {.room = 0.75, .damping = 0.5, .wet = 0.22});
  FadeOut(m, 0.5);
  return m;
}

// Xiaoxian's laugh: one man, bright and a little nasal, delighted with himself: a quick run
// of "ha"s, a squeaky breath in, a last few; a studio audience laughs along behind him.
Stereo XiaoxianLaugh(Take& k) {
  Stereo m = k.mix();
  std::vector<Syllable> s;
  LaughStyle st{.pitch = 300, .pitchSpread = 0.06, .fall = 0.3, .syllableFall = 0.2, .syllableRate = 7,
                .timing = 0.2, .voicedShare = 0.55, .onset = 0.03, .breath = 0.3, .vowel = 'A',
                .formantScale = 1.05, .fade = 0.25, .inhale = 0.3, .squeak = 1};
  double t = AddLaughBout(s, k.rng, st, 0.05, 9, 1);
  st.pitch = 260;
  st.inhale = 0;
  AddLaughBout(s, k.rng, st, t + 0.05, 4, 0.8);
  m.mix(Say(k, k.rng.next(), {.jitter = 0.02, .shimmer = 0.15, .creak = 0.1, .nasal = 0.25}, s), 0, 1, -0.1);
  Stereo audience = k.mix();
  AddCrowdLaughter(audience, k.rng, 10, 0.2, k.seconds - 0.2, Curve{{0, 0.4}, {0.6, 1}, {1.8, 0.7}, {2.5, 0}},
                   110, 300, 1.05, 0.25, 0.9);
  ApplyReverb(audience, {.room = 0.6, .damping = 0.5, .wet = 0.3});
  m.mix(audience, 0);
  ApplyReverb(m, {.room = 0.4, .damping = 0.5, .wet = 0.1});
  FadeOut(m, 0.15);
  return m;
}

Stereo CrowdLaughter(Take& k) {
  Stereo m = k.mix();
  // A crowd laughs in bursts, each set off by a line, with lulls of a few stragglers between.
  const Curve waves{{0, 0.9}, {1, 1}, {2.5, 0.6}, {3.5, 0.12}, {5.5, 0.1}, {6.2, 1}, {8.5, 0.8}, {10, 0.15},
                    {12.5, 0.1}, {13.2, 0.9}, {15, 0.6}, {16, 0.12}, {17.5, 0.1}, {18.2, 1}, {21, 0.7},
                    {22.5, 0.12}, {23.5, 0.1}, {24.2, 1}, {27, 0.6}, {29, 0.1}};
  AddCrowdLaughter(m, k.rng, 22, 0, k.seconds - 0.3, waves, 100, 340, 1.05, 0.5);
  AddApplause(m, k.rng, 0, k.seconds, 8, Curve{{0, 0}, {8, 0}, {9, 0.8}, {11, 0}, {23.5, 0}, {24.5, 0.8}, {27, 0}}, 0.3);
  ApplyReverb(m, {.room = 0.65, .damping = 0.5, .wet = 0.2});
  FadeOut(m, 0.3);
  return m;
}

// Children: higher voices, faster laughs, a few of them around the listener in a room.
Stereo ChildrenLaughing(Take& k) {
  Stereo m = k.mix();
  AddCrowdLaughter(m, k.rng, 4, 0, k.seconds - 0.15, Curve{{0, 1}, {1.6, 0.9}, {2.2, 0.4}}, 320, 480, 1.32, 0.6, 0.8);
  ApplyReverb(m, {.room = 0.45, .damping = 0.5, .wet = 0.15});
  FadeOut(m, 0.15);
  return m;
}

// A sly, villain's laugh: low and slow, creaky, breathy "heh ... hah ... huh", no two
// syllables alike in vowel, pitch or spacing.
Stereo SlyLaugh(Take& k) {
  Stereo m = k.mix();
  std::vector<Syllable> s;
  LaughStyle st{.pitch = 105, .pitchSpread = 0.05, .fall = 0.12, .syllableFall = 0.3, .syllableRate = 4.4,
                .timing = 0.1, .voicedShare = 0.5, .onset = 0.05, .breath = 0.2, .vowel = 'e', .fade = 0.15,
                .inhale = 0};
  const double each[][2] = {{'e', 1.0}, {'a', 1.18}, {'@', 0.9}};  // vowel, pitch ratio
  double t = 0.01;
  for (const auto& e : each) {
    LaughStyle one = st;
    one.vowel = char(e[0]);
    one.pitch = st.pitch * e[1] * k.rng.range(0.95, 1.05);
    one.voicedShare = k.rng.range(0.4, 0.6);
    t = AddLaughBout(s, k.rng, one, t, 1, k.rng.range(0.8, 1.0)) + k.rng.range(-0.04, 0.03);
  }
  m.mix(Say(k, k.rng.next(), {.jitter = 0.03, .shimmer = 0.2, .creak = 0.55, .nasal = 0.25}, s), 0);
  ApplyReverb(m, {.room = 0.35, .damping = 0.5, .wet = 0.12});
  FadeOut(m, 0.08);
  return m;
}

Stereo Fart(Take& k) {
  Stereo m = k.mix();
  // The same voice model, with a low, wobbly, very rough source and a dull tube.
  Formants tube{{300, 900, 1800, 3000}, {120, 200, 300, 400}};
  std::vector<Syllable> s;
  auto add = [&](double at, double length, double from, double to, double loud) {
    Syllable x{.start = at, .onset = 0.01, .length = length, .pitchFrom = from, .pitchTo = to,
               .loudness = loud, .breath = 0.4, .attack = 0.02, .release = std::min(0.1, length / 3),
               .vibratoHz = 9, .vibratoSemitones = 1.5, .tremoloHz = 13, .tremoloDepth = 0.4};
    x.vowel = x.vowelEnd = tube;
    s.push_back(x);
  };
  add(0.08, 1.5, 95, 70, 1);
  add(1.9, 0.45, 170, 250, 0.7);  // squeaky
  for (int i = 0; i < 4; ++i) add(2.6 + i * 0.28, 0.16, k.rng.range(80, 120), 75, 0.8);
  add(3.75, 0.28, 110, 60, 0.6);
  VoiceTraits traits{.jitter = 0.12, .shimmer = 0.45, .openQuotient = 0.7, .creak = 0.5};
  m.mix(Say(k, k.rng.next(), traits, s), 0);
  ApplyReverb(m, {.room = 0.3, .damping = 0.6, .wet = 0.1});
  return m;
}

Stereo Cough(Take& k) {
  Stereo m = k.mix();
  std::vector<Syllable> s;
  const double coughs[][3] = {{0.02, 0.17, 1.0}, {0.32, 0.14, 0.8}};
  for (const auto& c : coughs) {
    Syllable x{.start = c[0], .onset = 0.0, .length = c[1], .pitchFrom = 180, .pitchTo = 130,
               .loudness = c[2], .breath = 0.9, .attack = 0.003, .release = c[1] * 0.6};
    x.vowel = Vowel('V');
    x.vowelEnd = Vowel('@');
    s.push_back(x);
  }
  m.mix(Say(k, k.rng.next(), {.jitter = 0.05, .shimmer = 0.2, .creak = 0.4}, s), 0);
  OnePole lp(2000, k.rate);
  for (const auto& c : coughs) {  // the burst as the glottis opens
    Signal burst(Samples(0.08, k.rate));
    for (size_t i = 0; i < burst.size(); ++i)
      burst[i] = float(lp.low(k.rng.bipolar()) * 0.6 * Strike(double(i) / k.rate, 0.001, 0.03));
    m.mix(burst, c[0], c[2]);
  }
  ApplyReverb(m, {.room = 0.3, .damping = 0.5, .wet = 0.1});
  return m;
}

}  // namespace

Recipe VoiceRecipe(int clipId) {
  switch (clipId) {
    case 2: return DogBark2;
    case 8: return CryForHelp;
    case 11: return Kiss;
    case 12: return BigLaugh;
    case 13: return CheekySnicker;
    case 15: return Sheep;
    case 18: return DogBark;
    case 21: return SillyGiggle;
    case 23: return CheeringApplause;
    case 24: return XiaoxianLaugh;
    case 29: return CrowdLaughter;
    case 32: return Fart;
    case 33: return IntenseApplause;
    case 35: return Cough;
    case 49: return ChildrenLaughing;
    case 50: return SlyLaugh;
    default: return nullptr;
  }
}

}  // namespace clipsynth
