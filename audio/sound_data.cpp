#include "audio/sound_data.h"

#include <cstring>

namespace board {

bool IsWaveData(const uint8_t* data, uint32_t length) {
  return data && length >= 12 && std::memcmp(data, "RIFF", 4) == 0 &&
         std::memcmp(data + 8, "WAVE", 4) == 0;
}

bool IsMidiData(const uint8_t* data, uint32_t length) {
  return data && length > 4 && std::memcmp(data, "MThd", 4) == 0;
}

}  // namespace board
