// Spoken words for the spoken captions: speech synthesis by eSpeak NG (Debian's espeak-ng,
// through its library), Mandarin read from Hanzi by the "cmn-latn-pinyin" voice. Its output
// depends only on the text, the settings and the engine's version and data, so the clips stay
// byte-identical from build to build; another espeak-ng version may say them differently.
#pragma once
#include <string>

#include "clip_synth/dsp.h"

namespace clipsynth {

// The engine the spoken clips were made and checked with.
constexpr const char* kPinnedEspeakVersion = "1.51";
constexpr const char* kSpeechVoice = "cmn-latn-pinyin";

struct SpeechTake {
  std::string text;        // UTF-8; SSML when it starts with "<speak>"
  std::string variant;     // voice variant appended with '+' ("f3"), or "" for the plain voice
  int pitch = 50;          // espeak-ng's 0..99 scale
  int range = 50;          // pitch range, 0..99
  int wordsPerMinute = 175;
};

struct SpeechAudio {
  int rate = 0;    // espeak-ng's own rate (22050 Hz)
  Signal samples;  // full scale 1; empty when the engine or the voice is missing
};

// Thread-safe (the engine is used by one caller at a time) and deterministic.
SpeechAudio Synthesize(const SpeechTake& take);

// The engine's version string, or "" when it cannot be started.
std::string SpeechEngineVersion();

}  // namespace clipsynth
