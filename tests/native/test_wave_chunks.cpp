#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/wave_chunks.h"
#include "base/byte_io.h"

namespace board {
namespace {

// Input copied into a heap block of exactly its size, so ASan flags any read past the end.
class Exact {
 public:
  explicit Exact(const std::vector<uint8_t>& bytes)
      : size_(bytes.size()), data_(new uint8_t[bytes.size() ? bytes.size() : 1]) {
    if (size_) std::memcpy(data_.get(), bytes.data(), size_);
  }
  std::span<const uint8_t> span() const { return {data_.get(), size_}; }

 private:
  size_t size_;
  std::unique_ptr<uint8_t[]> data_;
};

struct Chunk {
  std::string id;
  uint32_t declared;  // the size field
  size_t body;        // bytes actually written
};

constexpr uint32_t kRightSize = 0xFFFFFFFF;  // stands for "patch in the true size"

// RIFF/WAVE file of the chunks; a "fmt " body is a 16-bit stereo 22050 Hz PCM header.
std::vector<uint8_t> Riff(const std::vector<Chunk>& chunks, uint32_t riffSize = kRightSize) {
  ByteWriter w;
  auto id = [&](const std::string& s) { w.bytes({reinterpret_cast<const uint8_t*>(s.data()), 4}); };
  id("RIFF");
  w.u32(0);
  id("WAVE");
  for (const Chunk& c : chunks) {
    id(c.id);
    w.u32(c.declared);
    if (c.id == "fmt " && c.body >= 16) {
      w.u16(1);
      w.u16(2);
      w.u32(22050);
      w.u32(88200);
      w.u16(4);
      w.u16(16);
      w.zeros(c.body - 16);
    } else {
      for (size_t i = 0; i < c.body; ++i) w.bytes(std::vector<uint8_t>{uint8_t(i * 7 + 1)});
    }
  }
  w.patchU32(4, riffSize == kRightSize ? uint32_t(w.size() - 8) : riffSize);
  return w.data();
}

struct Case {
  const char* name;
  std::vector<uint8_t> input;
  bool accepted;
  uint32_t dataSize;  // when accepted
};

TEST(WaveChunks, AcceptsOrRefusesAsTheChunksSay) {
  std::vector<uint8_t> headerOnly = Riff({{"fmt ", 16, 16}});
  std::vector<uint8_t> cut = headerOnly;
  cut.pop_back();
  std::vector<uint8_t> notWave = Riff({{"fmt ", 16, 16}, {"data", 4, 4}});
  notWave[8] = 'A';
  const std::vector<Case> cases = {
      {"35 bytes", cut, false, 0},
      {"36-byte header with fmt and no data", headerOnly, false, 0},
      {"not WAVE", notWave, false, 0},
      {"empty data", Riff({{"fmt ", 16, 16}, {"data", 0, 0}}), false, 0},
      {"data header at the very end", Riff({{"fmt ", 16, 16}, {"data", 8, 0}}), false, 0},
      {"plain", Riff({{"fmt ", 16, 16}, {"data", 6, 6}}), true, 6},
      {"data before fmt", Riff({{"data", 6, 6}, {"fmt ", 16, 16}}), true, 6},
      {"LIST and fact skipped", Riff({{"LIST", 10, 10}, {"fmt ", 18, 18}, {"fact", 4, 4}, {"data", 8, 8}}), true, 8},
      {"fmt shorter than PCM", Riff({{"fmt ", 14, 14}, {"data", 6, 6}}), false, 0},
      {"fmt past the end", Riff({{"data", 6, 6}, {"fmt ", 40, 16}}), false, 0},
      {"chunk size past the end", Riff({{"LIST", 0x7FFFFFF0, 4}, {"fmt ", 16, 16}, {"data", 6, 6}}), false, 0},
      {"data past the end is clipped", Riff({{"fmt ", 16, 16}, {"data", 1000, 10}}), true, 10},
      {"huge data size is clipped", Riff({{"fmt ", 16, 16}, {"data", 0xFFFFFFF0, 3}}), true, 3},
      {"huge RIFF size", Riff({{"fmt ", 16, 16}, {"LIST", 2, 2}, {"data", 4, 4}}, 0xFFFFFFFE), true, 4},
      {"tiny RIFF size ends the walk", Riff({{"fmt ", 16, 16}, {"data", 4, 4}}, 4), false, 0},
      {"second data replaces the first before fmt",
       Riff({{"data", 2, 2}, {"data", 4, 4}, {"fmt ", 16, 16}}), true, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Exact in(c.input);
    WaveChunks chunks;
    ASSERT_EQ(FindWaveChunks(in.span(), chunks), c.accepted);
    if (!c.accepted) continue;
    EXPECT_EQ(chunks.dataSize, c.dataSize);
    EXPECT_LE(chunks.dataOffset + chunks.dataSize, c.input.size());
    EXPECT_LE(chunks.formatOffset + chunks.formatSize, c.input.size());
    EXPECT_GE(chunks.formatSize, kMinFormatBytes);
    EXPECT_EQ(FormatByteRate(in.span(), chunks), 88200u);
  }
}

TEST(WaveChunks, DataBeforeFormatReportsBothBodies) {
  Exact in(Riff({{"data", 6, 6}, {"LIST", 4, 4}, {"fmt ", 16, 16}}));
  WaveChunks c;
  ASSERT_TRUE(FindWaveChunks(in.span(), c));
  EXPECT_EQ(c.dataOffset, 20u);
  EXPECT_EQ(c.formatOffset, 20u + 6 + 8 + 4 + 8);
  EXPECT_EQ(in.span()[c.dataOffset], 1);  // first body byte written
}

// Every prefix of a file, and every single-byte corruption of its sizes, stays inside the
// input; whatever is accepted lies inside it.
TEST(WaveChunks, NeverReadsOutsideTruncatedOrCorruptedInput) {
  const std::vector<uint8_t> whole =
      Riff({{"LIST", 9, 9}, {"fmt ", 16, 16}, {"fact", 4, 4}, {"data", 11, 11}});
  std::vector<std::vector<uint8_t>> inputs;
  for (size_t n = 0; n <= whole.size(); ++n) inputs.emplace_back(whole.begin(), whole.begin() + long(n));
  for (size_t at : {4u, 5u, 7u, 16u, 17u, 19u, 33u, 34u, 36u, 57u, 60u, 69u, 70u, 72u})
    for (uint8_t v : {0x00, 0x01, 0x7F, 0xFF}) {
      std::vector<uint8_t> bad = whole;
      bad[at] = v;
      inputs.push_back(bad);
    }
  for (const auto& input : inputs) {
    Exact in(input);
    WaveChunks c;
    if (!FindWaveChunks(in.span(), c)) continue;
    EXPECT_LE(c.dataOffset + c.dataSize, input.size());
    EXPECT_LE(c.formatOffset + c.formatSize, input.size());
    EXPECT_GT(c.dataSize, 0u);
  }
}

}  // namespace
}  // namespace board
