#include "clip_synth/speech.h"

#include <espeak-ng/speak_lib.h>

#include <cstdlib>
#include <mutex>

namespace clipsynth {
namespace {

std::mutex gEngine;
int gRate = 0;  // 0: not started; -1: cannot be started

int Collect(short* wav, int count, espeak_EVENT* events) {
  if (wav && count > 0 && events && events->user_data) {
    Signal& out = *static_cast<Signal*>(events->user_data);
    for (int i = 0; i < count; ++i) out.push_back(float(wav[i] / 32768.0));
  }
  return 0;  // go on
}

// Starts the engine once; the caller holds gEngine.
bool Start() {
  if (gRate == 0) {
    gRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (gRate <= 0) gRate = -1;
    else espeak_SetSynthCallback(Collect);
  }
  return gRate > 0;
}

}  // namespace

SpeechAudio Synthesize(const SpeechTake& take) {
  std::lock_guard<std::mutex> lock(gEngine);
  SpeechAudio audio;
  if (!Start()) return audio;
  std::string voice = kSpeechVoice;
  if (!take.variant.empty()) voice += "+" + take.variant;
  if (espeak_SetVoiceByName(voice.c_str()) != EE_OK) return audio;
  espeak_SetParameter(espeakRATE, take.wordsPerMinute, 0);
  espeak_SetParameter(espeakPITCH, take.pitch, 0);
  espeak_SetParameter(espeakRANGE, take.range, 0);
  espeak_SetParameter(espeakVOLUME, 100, 0);
  espeak_SetParameter(espeakWORDGAP, 0, 0);
  // The engine draws on rand() for some of its noise: the same seed for every take keeps the
  // output independent of what was spoken before (nothing else in the generator uses rand()).
  std::srand(1);
  unsigned flags = espeakCHARS_UTF8 | (take.text.rfind("<speak>", 0) == 0 ? espeakSSML : 0);
  Signal samples;
  if (espeak_Synth(take.text.c_str(), take.text.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr, &samples) != EE_OK ||
      espeak_Synchronize() != EE_OK)
    return audio;
  audio.rate = gRate;
  audio.samples = std::move(samples);
  return audio;
}

std::string SpeechEngineVersion() {
  std::lock_guard<std::mutex> lock(gEngine);
  if (!Start()) return "";
  const char* path = nullptr;
  const char* version = espeak_Info(&path);
  return version ? version : "";
}

}  // namespace clipsynth
