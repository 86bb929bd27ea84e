#include "audio/win32/midi_player.h"

namespace board {

int32_t MidiPlayer::open(const uint8_t*, int32_t, HWND) { return 0; }

int32_t MidiPlayer::play(int32_t) { return 0; }

void MidiPlayer::close() {}

}  // namespace board
