// Picking one image out of an ICO file held in memory.
#pragma once
#include <cstdint>
#include <span>

namespace board {

// The image data (BITMAPINFOHEADER and bits, or PNG) of the ICO entry whose width is `size`,
// else of the smallest entry wider than `size`, else of the widest entry. Empty when the
// file is malformed or an entry lies outside it.
std::span<const uint8_t> FindIconImage(std::span<const uint8_t> ico, int size);

}  // namespace board
