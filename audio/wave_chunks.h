// The chunk walk over in-memory RIFF/WAVE data: where the "fmt " and "data" bodies lie.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace board {

struct WaveChunks {
  size_t formatOffset = 0;  // body of "fmt ", at least kMinFormatBytes long
  uint32_t formatSize = 0;
  size_t dataOffset = 0;  // body of "data"
  uint32_t dataSize = 0;  // clipped to the bytes actually present
};

// PCM WAVEFORMAT without cbSize: what a "fmt " body must hold at least. A shorter body
// names no complete format, and the open would read past it.
constexpr uint32_t kMinFormatBytes = 16;

// True when `riff` is RIFF/WAVE data at least 36 bytes long with a whole "fmt " chunk and
// a non-empty "data" chunk. Never reads outside `riff`: a "fmt " chunk that runs past the
// end refuses the data; a "data" chunk that runs past the end is clipped to what is there.
bool FindWaveChunks(std::span<const uint8_t> riff, WaveChunks& out);

// The byte rate (bytes per second) a PCM "fmt " body declares, 0 when it has none.
uint32_t FormatByteRate(std::span<const uint8_t> riff, const WaveChunks& chunks);

}  // namespace board
