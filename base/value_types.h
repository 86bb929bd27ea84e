// Value types of the command layer shared by the program, the generators and the tests.
#pragma once
#include <cstdint>
#include <span>

namespace board {

// A ByteSet as stored: uint32 marker 1, uint32 byte count, then the bytes.
constexpr uint32_t kByteSetMarker = 1;
constexpr size_t kByteSetHeader = 8;

// The bytes of a stored ByteSet, or an empty span when `stored` does not hold a whole one.
std::span<const uint8_t> ByteSetBytes(std::span<const uint8_t> stored);

// Argument records of a command: a 64-bit value and a 32-bit type tag (0 = left out).
enum ArgType : uint32_t {
  kArgOmitted = 0,
  kArgBool = 0x80000002,
  kArgText = 0x80000004,
  kArgByteSet = 0x80000005,
  kArgInt = 0x80000301,
};

#pragma pack(push, 4)
struct ArgRecord {
  uint64_t value;
  uint32_t type;
};
#pragma pack(pop)

// A command writes its result here.
struct ResultRecord {
  uint64_t value = 0;
  uint32_t type = kArgOmitted;
};

// Argument builders (the value of a text or byte set argument is a pointer).
inline ArgRecord ArgInt(int32_t v) { return {uint64_t(uint32_t(v)), kArgInt}; }
inline ArgRecord ArgBool(bool v) { return {uint64_t(v ? 1 : 0), kArgBool}; }
inline ArgRecord ArgText(const char* s) { return {uint64_t(uintptr_t(s)), kArgText}; }
inline ArgRecord ArgByteSet(const uint8_t* stored) {
  return {uint64_t(uintptr_t(stored)), kArgByteSet};
}
inline ArgRecord ArgOmitted() { return {0, kArgOmitted}; }

}  // namespace board
