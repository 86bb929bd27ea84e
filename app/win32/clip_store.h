// The 73 clips embedded in the exe, read in place and never changed.
#pragma once
#include <cstdint>

namespace board {

// The stored ByteSet of a clip (marker, byte count, RIFF file), or nullptr for an id
// outside 1..73 or a missing catalogue.
const uint8_t* ClipByteSet(int clipId);

}  // namespace board
