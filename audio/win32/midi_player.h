// The MIDI stream player the host owns: one piece at a time, read from the host's copy of
// the file. Not built yet: open refuses every piece, so nothing plays.
#pragma once
#include <windows.h>

#include <cstdint>

namespace board {

class MidiPlayer {
 public:
  // Loads a piece (closing any loaded one) and leaves the stream paused; 1 or 0. The data
  // stays the caller's and must outlive the piece.
  int32_t open(const uint8_t* data, int32_t length, HWND notifyWindow);
  // Starts the loaded piece; 1 or 0.
  int32_t play(int32_t loop);
  // Stops and forgets the loaded piece.
  void close();
};

}  // namespace board
