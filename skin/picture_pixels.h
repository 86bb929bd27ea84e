// The skin's pictures as plain pixels: decoding the program's own stored JPEG and PNG files,
// and scaling a picture.
//
// The skin decodes its own pictures here rather than through the system's image codecs: on
// the way to the first paint those cost a library load and a slower decode (about 55 + 70 ms
// under Wine against 40 ms here), and the system's scaler reads the whole picture for every
// size (40 ms for the board's). The pixels are handed to GDI+ as bitmaps over this memory.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace board {

// 32-bit pixels 0xAARRGGBB with straight alpha, top row first, `width` to a row: the layout
// of a GDI+ 32bppARGB bitmap.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
  bool empty() const { return argb.empty(); }
};

// The largest side a picture may have; anything larger is refused before it is allocated.
inline constexpr int kMaxPictureSide = 16384;

// The pixels of one of the program's own stored pictures, a JPEG or PNG file its build made;
// an empty picture for bytes that are no such file or one larger than kMaxPictureSide on a
// side. The decoder is fast but not hardened against hostile files (a damaged Huffman table
// writes past its array), so bytes from anywhere else go to the system's decoder instead.
Picture DecodeStoredPicture(std::span<const uint8_t> file);

// Each 2 × 2 block averaged into one pixel (an odd last row or column with itself); a
// picture of one pixel on a side stays as it is on that side.
Picture HalvePicture(const Picture& source);

enum class ScaleQuality {
  kFast,  // bilinear (a tent filter below half) from the smallest halving as large as the target
  kHigh,  // Catmull-Rom from the picture itself
};

// `source` resized to width × height (each at least 1); an empty picture for an empty
// source or a size outside 1..kMaxPictureSide. `halvings` are HalvePicture(source),
// HalvePicture of that, and so on, which kFast may start from.
Picture ScalePicture(const Picture& source, std::span<const Picture> halvings, int width, int height,
                     ScaleQuality quality);

}  // namespace board
