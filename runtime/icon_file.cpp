#include "runtime/icon_file.h"

#include "base/byte_io.h"

namespace board {

std::span<const uint8_t> FindIconImage(std::span<const uint8_t> ico, int size) {
  ByteReader r(ico);
  if (r.u16() != 0 || r.u16() != 1) return {};
  const uint16_t count = r.u16();
  std::span<const uint8_t> best;
  int bestWidth = 0;
  auto better = [size](int w, int than) {
    if (than == 0) return true;
    if (w == size || than == size) return w == size && than != size;
    if ((w > size) != (than > size)) return w > size;  // larger images shrink better
    return w > size ? w < than : w > than;
  };
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t width = uint8_t(r.u16() & 0xFF);  // width byte, then height byte
    r.skip(6);
    const uint32_t bytes = r.u32(), offset = r.u32();
    if (!r.ok() || offset > ico.size() || bytes > ico.size() - offset || bytes == 0) return {};
    const int w = width == 0 ? 256 : width;
    if (better(w, bestWidth)) {
      bestWidth = w;
      best = ico.subspan(offset, bytes);
    }
  }
  return best;
}

}  // namespace board
