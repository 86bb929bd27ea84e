#include "audio/win32/host.h"

#include <new>
#include <optional>
#include <vector>

#include "audio/sound_data.h"
#include "audio/win32/midi_player.h"
#include "audio/win32/wav_player.h"
#include "audio/win32/commands.h"

namespace board {
namespace {

class Host {
 public:
  int32_t playData(const uint8_t* data, int32_t length, int32_t loop) {
    // A negative length would pass the unsigned kind tests as a huge size.
    if (!data || length <= 0) return 0;
    if (IsWaveData(data, uint32_t(length))) return StartWavPlayer(data, length, loop);
    if (!IsMidiData(data, uint32_t(length))) return 0;
    stopMidi();
    try {
      midiData_.assign(data, data + length);
    } catch (const std::bad_alloc&) {
      return 0;
    }
    if (midi_.open(midiData_.data(), length, nullptr) == 1) midi_.play(loop);
    return 1;
  }

  void stopSound(int32_t wait) {
    stopMidi();
    StopAllPlayers(wait);
  }

 private:
  void stopMidi() {
    if (!midiData_.empty()) midi_.close();
    midiData_ = {};
  }

  MidiPlayer midi_;
  std::vector<uint8_t> midiData_;  // the piece the MIDI player reads; empty when none
};

std::optional<Host> g_host;

}  // namespace

int32_t PlayData(const uint8_t* data, int32_t length, int32_t loop) {
  return g_host ? g_host->playData(data, length, loop) : 0;
}

int32_t HostService(int32_t code, intptr_t first, intptr_t) {
  if (!g_host) return 0;
  switch (code) {
    case kServicePlay: {
      const auto* request = reinterpret_cast<const PlayRequest*>(first);
      if (!request) return 0;
      return g_host->playData(request->data, request->length, request->loop) == 1 ? 1 : 0;
    }
    case kServiceStop:
      g_host->stopSound(0);
      return 0;
    default:
      return 0;
  }
}

void HostStart() {
  InitPlayerList();
  g_host.emplace();
  SetHostService(&HostService);
}

void HostEnd() {
  SetHostService(nullptr);
  if (g_host) g_host->stopSound(1);
  g_host.reset();
  ShutdownPlayerList();
}

}  // namespace board
