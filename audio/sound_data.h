// What kind of sound a block of bytes holds, judged by its first bytes.
#pragma once
#include <cstdint>

namespace board {

// RIFF/WAVE: at least 12 bytes, "RIFF" at 0 and "WAVE" at 8.
bool IsWaveData(const uint8_t* data, uint32_t length);
// Standard MIDI file: more than 4 bytes, "MThd" at 0.
bool IsMidiData(const uint8_t* data, uint32_t length);

}  // namespace board
