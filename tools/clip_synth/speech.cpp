#include "clip_synth/speech.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>
#ifdef _WIN32
#include <process.h>
#define SPEECH_PID _getpid()
#else
#include <unistd.h>
#define SPEECH_PID getpid()
#endif

#include "audio/wave_chunks.h"
#include "base/byte_io.h"

#ifndef ESPEAK_NG_PROGRAM
#define ESPEAK_NG_PROGRAM "espeak-ng"
#endif

namespace clipsynth {
namespace {

namespace fs = std::filesystem;

// One take at a time: the engine runs as its own process for each take. In one process its
// library carries state from one utterance into the next, so the same words came out
// different the second time; a fresh process says them the same way every time.
std::mutex gEngine;
std::atomic<int> gCounter{0};

// A file name in the temporary folder that no other generator run uses at the same time.
fs::path TempFile(const char* suffix) {
  std::error_code ec;
  fs::path dir = fs::temp_directory_path(ec);
  if (ec) dir = ".";
  return dir / ("soundboard-speech-" + std::to_string(SPEECH_PID) + "-" + std::to_string(gCounter++) + suffix);
}

std::string Quoted(const fs::path& p) { return "\"" + p.string() + "\""; }

int Run(std::string command) {
#ifdef _WIN32
  command = "\"" + command + "\"";  // cmd.exe takes off one outer pair of quotes
#endif
  return std::system(command.c_str());
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

SpeechAudio Synthesize(const SpeechTake& take) {
  std::lock_guard<std::mutex> lock(gEngine);
  SpeechAudio audio;
  const fs::path text = TempFile(".ssml"), wave = TempFile(".wav");
  {
    std::ofstream out(text, std::ios::binary);
    out << "<speak><prosody range=\"" << take.range << "\">" << take.text << "</prosody></speak>\n";
  }
  std::string voice = kSpeechVoice;
  if (!take.variant.empty()) voice += "+" + take.variant;
  // -m: SSML; -z: no pause after the last sentence.
  const std::string command = std::string("\"") + ESPEAK_NG_PROGRAM + "\" -m -z -v " + voice + " -p " +
                              std::to_string(take.pitch) + " -s " + std::to_string(take.wordsPerMinute) + " -f " +
                              Quoted(text) + " -w " + Quoted(wave);
  const int status = Run(command);
  const std::vector<uint8_t> file = ReadAll(wave);
  std::error_code ec;
  fs::remove(text, ec);
  fs::remove(wave, ec);
  board::WaveChunks c;
  if (status != 0 || !board::FindWaveChunks(file, c) || c.formatSize < 16) return audio;
  const uint8_t* fmt = file.data() + c.formatOffset;
  if (board::LoadU16(fmt) != 1 || board::LoadU16(fmt + 2) != 1 || board::LoadU16(fmt + 14) != 16) return audio;
  audio.rate = int(board::LoadU32(fmt + 4));
  for (size_t i = 0; i + 1 < c.dataSize; i += 2)
    audio.samples.push_back(float(int16_t(board::LoadU16(file.data() + c.dataOffset + i)) / 32768.0));
  return audio;
}

Signal Perform(const SpeechTake& take, const Delivery& d, int rate, uint64_t seed) {
  SpeechAudio audio = Synthesize(take);
  if (audio.samples.empty() || rate <= 0) return {};
  Signal x = Resample(audio.samples, d.lift * audio.rate / rate);
  Rng rng(seed);
  // Tremble: a delay swept a little faster and slower bends the pitch up and down.
  const double depth = (std::pow(2.0, d.trembleCents / 1200) - 1) * rate / (kTwoPi * std::max(0.1, d.trembleHz));
  DelayLine line(size_t(4 * depth) + 8);
  OnePole wander(2, rate);
  double phase = 0;
  Signal out(x.size() + size_t(2 * depth) + 4);
  for (size_t i = 0; i < out.size(); ++i) {
    line.push(i < x.size() ? x[i] : 0.0f);
    phase += d.trembleHz * (1 + 0.3 * wander.low(rng.bipolar() * 8)) / rate;
    out[i] = float(line.tap(1 + depth * (1 + std::sin(kTwoPi * phase))));
  }
  // Effort: presence, then drive; breath noise rides on the voice's envelope.
  Biquad presence(Biquad::kPeak, std::min(2500.0, 0.4 * rate), 0.8, rate, d.presenceDb);
  OnePole follower(25, rate), breathTone(1500, rate);
  double peak = 1e-9;
  for (float& v : out) {
    v = float(presence.tick(v));
    peak = std::max(peak, double(std::fabs(v)));
  }
  const double norm = 1 / Saturate(d.drive);
  for (float& v : out) {
    const double y = Saturate(v / peak * d.drive) * norm;
    const double envelope = follower.low(std::fabs(y));
    v = float(0.7 * (y + breathTone.high(rng.bipolar()) * envelope * d.breath * 4));
  }
  return out;
}

std::string SpeechEngineVersion() {
  std::lock_guard<std::mutex> lock(gEngine);
  const fs::path out = TempFile(".txt");
  const std::string command = std::string("\"") + ESPEAK_NG_PROGRAM + "\" --version > " + Quoted(out);
  const int status = Run(command);
  const std::vector<uint8_t> bytes = ReadAll(out);
  std::error_code ec;
  fs::remove(out, ec);
  // "eSpeak NG text-to-speech: 1.51  Data at: ..."
  const std::string text(bytes.begin(), bytes.end());
  const size_t at = text.find("text-to-speech: ");
  if (status != 0 || at == std::string::npos) return "";
  const size_t from = at + 16, to = text.find_first_of(" \r\n", from);
  return text.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

}  // namespace clipsynth
