// Feeds arbitrary bytes to the chunk walk and the catalogue lookup. Whatever they accept is
// read in full, so ASan reports any range that reaches outside the input.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/clip_catalogue.h"
#include "audio/wave_chunks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  volatile uint8_t sink = 0;
  board::WaveChunks chunks;
  if (board::FindWaveChunks(input, chunks)) {
    for (size_t i = 0; i < chunks.formatSize; ++i) sink = sink ^ data[chunks.formatOffset + i];
    for (size_t i = 0; i < chunks.dataSize; ++i) sink = sink ^ data[chunks.dataOffset + i];
    sink = sink ^ uint8_t(board::FormatByteRate(input, chunks));
  }
  std::span<const uint8_t> clip = board::FindClip(input, size % board::kClipCount + 1);
  for (uint8_t b : clip) sink = sink ^ b;
  return 0;
}
