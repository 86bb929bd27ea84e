// libFuzzer target over the MIDI reader and the stream-event writer together: whatever file
// loads is converted to its end (and a while on with loop set) into buffers of a size the
// input picks; every buffer stays within its capacity in whole events, and nothing is read
// outside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "audio/midi_stream_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace board;
  if (size < 1) return 0;
  const uint8_t options = data[0];
  // The file is copied to a block of its own size, so ASan sees any read past its end.
  const std::vector<uint8_t> file(data + 1, data + size);
  MidiConverter c;
  if (!c.load(file.data(), file.size())) return 0;
  c.loop = options & 1;
  const uint32_t capacity = options & 2 ? kStreamBufferBytes : 12 + (options >> 2);
  std::vector<uint8_t> block(capacity);
  StreamBuffer buffer{block.data(), 0, capacity};
  for (int i = 0; i < 4000; ++i) {
    if (options & 0x80 && i % 7 == 3) c.insertTempo = true;
    const FillResult r = c.fill(buffer, i == 0);
    if (buffer.written > capacity || buffer.written % kStreamEventBytes) std::abort();
    for (const StreamEvent& e : ReadStreamEvents(block.data(), buffer.written)) {
      if (e.streamId != 0) std::abort();
      if ((e.event >> 24) == 1 && (e.event & 0xFFFFFF) == 0) std::abort();  // a zero tempo
    }
    if (r != FillResult::kFilled) break;
  }
  return 0;
}
