#include "audio/win32/sound_host.h"

#include <new>

#include "audio/sound_data.h"

namespace board {

bool SoundHost::PlayData(std::span<const uint8_t> sound, bool loop) {
  if (sound.empty() || sound.size() > size_t(INT32_MAX)) return false;
  const auto length = uint32_t(sound.size());
  if (IsWaveData(sound.data(), length)) return wav_.StartWavPlayer(sound, loop) == 1;
  if (!IsMidiData(sound.data(), length)) return false;
  stopMidi();
  try {
    midiData_.assign(sound.begin(), sound.end());
  } catch (const std::bad_alloc&) {
    return false;  // no room for the host's copy: nothing can play
  }
  if (midi_.open(midiData_.data(), int32_t(length), nullptr) == 1) midi_.play(loop ? 1 : 0);
  return true;
}

void SoundHost::StopAllSound(bool wait) {
  stopMidi();
  wav_.StopAllPlayers(wait ? 1 : 0);
}

void SoundHost::stopMidi() {
  if (!midiData_.empty()) midi_.close();
  midiData_ = {};
}

}  // namespace board
