#include "base/value_types.h"

#include "base/byte_io.h"

namespace board {

std::span<const uint8_t> ByteSetBytes(std::span<const uint8_t> stored) {
  if (stored.size() < kByteSetHeader || LoadU32(stored.data()) != kByteSetMarker) return {};
  uint32_t count = LoadU32(stored.data() + 4);
  if (count > stored.size() - kByteSetHeader) return {};
  return stored.subspan(kByteSetHeader, count);
}

}  // namespace board
