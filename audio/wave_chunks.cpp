#include "audio/wave_chunks.h"

#include <cstring>

#include "base/byte_io.h"

namespace board {
namespace {
bool IdIs(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }
}  // namespace

bool FindWaveChunks(std::span<const uint8_t> riff, WaveChunks& out) {
  out = WaveChunks{};
  const size_t length = riff.size();
  if (length < 36) return false;
  const uint8_t* p = riff.data();
  if (!IdIs(p, "RIFF") || !IdIs(p + 8, "WAVE")) return false;
  const uint32_t riffSize = LoadU32(p + 4);

  bool haveFormat = false, haveData = false;
  uint64_t at = 12;
  while (at + 8 <= length) {
    const uint32_t size = LoadU32(p + at + 4);
    const uint64_t body = at + 8;
    const uint64_t present = length - body;
    if (IdIs(p + at, "fmt ")) {
      if (size < kMinFormatBytes || size > present) return false;
      out.formatOffset = size_t(body);
      out.formatSize = size;
      haveFormat = true;
      if (haveData) break;
    } else if (IdIs(p + at, "data")) {
      out.dataOffset = size_t(body);
      out.dataSize = uint32_t(size < present ? size : present);
      haveData = true;
      if (haveFormat) break;
    }
    at = body + size;  // no pad byte is skipped after an odd size
    if (at - 12 >= riffSize) break;
  }
  return haveFormat && haveData && out.dataSize > 0;
}

uint32_t FormatByteRate(std::span<const uint8_t> riff, const WaveChunks& chunks) {
  if (chunks.formatSize < kMinFormatBytes || chunks.formatOffset + 12 > riff.size()) return 0;
  return LoadU32(riff.data() + chunks.formatOffset + 8);
}

}  // namespace board
