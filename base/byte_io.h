// Little-endian reading and writing of stored data. The reader never reads outside its
// span: once a read would run past the end it fails, stays failed, and yields zeros.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace board {

inline uint32_t LoadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t LoadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  bool ok() const { return ok_; }
  size_t position() const { return pos_; }
  size_t remaining() const { return ok_ ? data_.size() - pos_ : 0; }
  bool atEnd() const { return ok_ && pos_ == data_.size(); }

  uint32_t u32() { return Take(4) ? LoadU32(data_.data() + pos_ - 4) : 0; }
  int32_t i32() { return int32_t(u32()); }
  uint16_t u16() { return Take(2) ? LoadU16(data_.data() + pos_ - 2) : 0; }
  bool skip(size_t n) { return Take(n); }

  // A view of the next n bytes, or an empty span after a failed read.
  std::span<const uint8_t> bytes(size_t n) {
    return Take(n) ? data_.subspan(pos_ - n, n) : std::span<const uint8_t>();
  }
  // NUL-terminated text; the terminator is consumed, not returned.
  std::string cstring() {
    if (!ok_) return {};
    const void* nul = std::memchr(data_.data() + pos_, 0, data_.size() - pos_);
    if (!nul) return Fail(), std::string();
    size_t len = static_cast<const uint8_t*>(nul) - (data_.data() + pos_);
    std::string s(reinterpret_cast<const char*>(data_.data() + pos_), len);
    pos_ += len + 1;
    return s;
  }
  // A uint32 byte count followed by that many bytes (texts and blobs of kind data).
  std::vector<uint8_t> countedBlob() {
    uint32_t n = u32();
    auto b = bytes(n);
    return std::vector<uint8_t>(b.begin(), b.end());
  }
  std::string countedText() {
    auto b = countedBlob();
    return std::string(b.begin(), b.end());
  }

 private:
  bool Take(size_t n) {
    if (!ok_ || n > data_.size() - pos_) return Fail(), false;
    pos_ += n;
    return true;
  }
  void Fail() { ok_ = false; }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  bool ok_ = true;
};

class ByteWriter {
 public:
  void u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(uint8_t(v >> (8 * i)));
  }
  void i32(int32_t v) { u32(uint32_t(v)); }
  void u16(uint16_t v) {
    out_.push_back(uint8_t(v));
    out_.push_back(uint8_t(v >> 8));
  }
  void bytes(std::span<const uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void zeros(size_t n) { out_.insert(out_.end(), n, 0); }
  void cstring(const std::string& s) {
    out_.insert(out_.end(), s.begin(), s.end());
    out_.push_back(0);
  }
  void countedBlob(std::span<const uint8_t> b) {
    u32(uint32_t(b.size()));
    bytes(b);
  }
  void countedText(const std::string& s) {
    countedBlob({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
  }
  void patchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = uint8_t(v >> (8 * i));
  }
  size_t size() const { return out_.size(); }
  std::vector<uint8_t>& data() { return out_; }

 private:
  std::vector<uint8_t> out_;
};

}  // namespace board
