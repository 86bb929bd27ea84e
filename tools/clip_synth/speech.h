// Spoken words for the spoken captions: speech synthesis by eSpeak NG (Debian's espeak-ng
// program, one run per take), Mandarin read from Hanzi by the "cmn-latn-pinyin" voice. Its
// output depends only on the text, the settings and the engine's version and data, so the
// clips stay byte-identical from build to build; another espeak-ng version may say them
// differently.
#pragma once
#include <string>

#include "clip_synth/dsp.h"

namespace clipsynth {

// The engine the spoken clips were made and checked with.
constexpr const char* kPinnedEspeakVersion = "1.51";
constexpr const char* kSpeechVoice = "cmn-latn-pinyin";

struct SpeechTake {
  std::string text;         // UTF-8, may hold SSML <prosody> and <break> elements
  std::string variant;      // voice variant appended with '+' ("f3"), or "" for the plain voice
  int pitch = 50;           // espeak-ng's 0..99 scale
  std::string range = "medium";  // pitch range, SSML: x-low, low, medium, high, x-high
  int wordsPerMinute = 175;
};

struct SpeechAudio {
  int rate = 0;    // espeak-ng's own rate (22050 Hz)
  Signal samples;  // full scale 1; empty when the engine or the voice is missing
};

// Thread-safe (one take at a time) and deterministic.
SpeechAudio Synthesize(const SpeechTake& take);

// How the synthesized words are performed, so that they sound like a person calling rather
// than a reading machine: read faster by `lift` (formants and pitch rise together, as in a
// smaller or a strained voice), a trembling pitch, vocal effort (presence and drive) and
// breath that follows the voice.
struct Delivery {
  double lift = 1.05;
  double trembleHz = 5.5;
  double trembleCents = 20;
  double presenceDb = 4;    // a peak around 2.5 kHz
  double drive = 1;         // 1 clean; more strains the voice
  double breath = 0.1;      // level of the breath noise riding on the voice
};

// The take spoken, shaped as `delivery` says, at `rate`; peak about 0.7; empty when the
// engine cannot speak. Deterministic for a given `seed`.
Signal Perform(const SpeechTake& take, const Delivery& delivery, int rate, uint64_t seed);

// The engine's version ("1.51"), or "" when it cannot be run.
std::string SpeechEngineVersion();

}  // namespace clipsynth
