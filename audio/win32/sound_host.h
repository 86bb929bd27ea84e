// What the host does with sound, in typed calls: play these bytes, once or looping; stop
// all. The integer-coded service entry (host.h) decodes its requests into these calls.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "audio/win32/midi_player.h"
#include "audio/win32/player_list.h"

namespace board {

class SoundHost {
 public:
  SoundHost() = default;
  SoundHost(const SoundHost&) = delete;
  SoundHost& operator=(const SoundHost&) = delete;

  // Plays a sound held in memory. RIFF/WAVE data starts one more WAV player (nothing already
  // playing is stopped); MIDI data replaces the MIDI piece and is accepted once recognised,
  // even when it can't be opened. False for anything else, or WAV data the player refuses.
  bool PlayData(std::span<const uint8_t> sound, bool loop);
  // Stops the MIDI piece and asks every WAV player to stop; with `wait`, returns only once
  // every WAV player's thread has ended.
  void StopAllSound(bool wait);

  PlayerList& wavPlayers() { return wav_; }
  MidiPlayer& midiPlayer() { return midi_; }

 private:
  void stopMidi();

  PlayerList wav_;
  std::vector<uint8_t> midiData_;  // the piece the MIDI player reads; empty when none
  MidiPlayer midi_;                // declared after its data, so it goes first
};

}  // namespace board
