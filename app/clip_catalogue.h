// The 73 clips: their formats (what the generator must produce and the tests check) and
// the lookup of a clip's stored ByteSet inside the embedded catalogue.
#pragma once
#include <array>
#include <cstdint>
#include <span>

namespace board {

constexpr int kClipCount = 73;

struct ClipFormat {
  uint16_t channels;
  uint32_t sampleRate;
  uint16_t bitsPerSample;
  uint32_t dataBytes;       // size of the "data" chunk
  const char* extraChunks;  // ids of the chunks after "data", comma-separated, "" for none
};

// Index ClipId - 1.
extern const std::array<ClipFormat, kClipCount> kClipFormats;

// The catalogue is stored as 73 ByteSets one after another, in ClipId order.
// Returns the stored ByteSet (header included) of `clipId`, or an empty span when the id is
// outside 1..73 or the catalogue is malformed.
std::span<const uint8_t> FindClip(std::span<const uint8_t> catalogue, int clipId);

}  // namespace board
