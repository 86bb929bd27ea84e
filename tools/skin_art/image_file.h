// Pixel buffers of the skin's pictures and their encoding as stored ByteSets.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace skinart {

// Straight (not premultiplied) 8-bit RGBA, rows top-down.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  RgbaImage(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h) * 4, 0) {}
  uint8_t* at(int x, int y) { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
  void set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    uint8_t* p = at(x, y);
    p[0] = r, p[1] = g, p[2] = b, p[3] = a;
  }
};

// A 32-bit RGBA PNG file.
std::vector<uint8_t> EncodePng(const RgbaImage& image);
// An 8-bit RGB PNG file from RGB rows.
std::vector<uint8_t> EncodeRgbPng(const std::vector<uint8_t>& rgb, int width, int height);
// A baseline JPEG (JFIF) file from RGB rows.
std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& rgb, int width, int height, int quality);

// The file bytes as a stored ByteSet: marker 1, byte count, the bytes.
std::vector<uint8_t> StoredByteSet(const std::vector<uint8_t>& file);

}  // namespace skinart
