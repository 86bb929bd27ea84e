#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/clip_catalogue.h"
#include "audio/wave_chunks.h"
#include "clip_synth/recipes.h"
#include "clip_synth/wave_file.h"
#include "generated_files.h"
#include "base/byte_io.h"
#include "base/value_types.h"

namespace board {
namespace {

const std::vector<uint8_t>& Catalogue() { return GeneratedFile("clips.bin"); }

// The RIFF file of a clip (the ByteSet without its header).
std::span<const uint8_t> File(int id) {
  std::span<const uint8_t> stored = FindClip(Catalogue(), id);
  return stored.size() < kByteSetHeader ? stored : stored.subspan(kByteSetHeader);
}

std::string IdAt(std::span<const uint8_t> file, size_t at) {
  return std::string(reinterpret_cast<const char*>(file.data() + at), 4);
}

TEST(ClipCatalogue, TableHoldsTheDescribedFormats) {
  std::map<std::tuple<int, int, int>, int> formats;
  std::set<int> odd, trailing;
  for (int id = 1; id <= kClipCount; ++id) {
    const ClipFormat& f = kClipFormats[size_t(id - 1)];
    ++formats[{f.channels, int(f.sampleRate), f.bitsPerSample}];
    if (f.dataBytes % 2) odd.insert(id);
    if (*f.extraChunks) trailing.insert(id);
    EXPECT_EQ(f.dataBytes % (f.channels * f.bitsPerSample / 8), 0u) << "clip " << id;
  }
  const std::map<std::tuple<int, int, int>, int> described = {
      {{1, 11025, 8}, 20}, {{1, 22050, 8}, 19}, {{2, 11025, 16}, 12}, {{1, 22050, 16}, 10},
      {{2, 22050, 16}, 6}, {{2, 44100, 16}, 2},  {{1, 11025, 16}, 1},  {{2, 11025, 8}, 1},
      {{1, 44100, 16}, 1}, {{2, 22050, 8}, 1}};
  EXPECT_EQ(formats, described);
  EXPECT_EQ(odd, (std::set<int>{18, 21, 26, 35, 38, 41, 43, 46, 57, 58}));
  EXPECT_EQ(trailing, (std::set<int>{5, 7, 36, 39, 47, 50, 62}));
}

TEST(ClipCatalogue, EveryStoredClipMatchesItsRow) {
  ASSERT_FALSE(Catalogue().empty()) << "no clips.bin in " << GENERATED_DIR;
  for (int id = 1; id <= kClipCount; ++id) {
    SCOPED_TRACE("clip " + std::to_string(id));
    const ClipFormat& f = kClipFormats[size_t(id - 1)];
    std::span<const uint8_t> stored = FindClip(Catalogue(), id);
    ASSERT_GE(stored.size(), kByteSetHeader + 44);
    std::span<const uint8_t> file = stored.subspan(kByteSetHeader);
    EXPECT_EQ(LoadU32(stored.data()), kByteSetMarker);
    EXPECT_EQ(LoadU32(stored.data() + 4), file.size());
    EXPECT_EQ(IdAt(file, 0), "RIFF");
    EXPECT_EQ(LoadU32(file.data() + 4), file.size() - 8);
    EXPECT_EQ(IdAt(file, 8), "WAVE");

    WaveChunks c;
    ASSERT_TRUE(FindWaveChunks(file, c));
    ASSERT_EQ(c.formatOffset, 20u);
    EXPECT_EQ(c.formatSize, 16u);
    const uint8_t* fmt = file.data() + c.formatOffset;
    const uint16_t block = uint16_t(f.channels * f.bitsPerSample / 8);
    EXPECT_EQ(LoadU16(fmt), 1);
    EXPECT_EQ(LoadU16(fmt + 2), f.channels);
    EXPECT_EQ(LoadU32(fmt + 4), f.sampleRate);
    EXPECT_EQ(LoadU32(fmt + 8), f.sampleRate * block);
    EXPECT_EQ(FormatByteRate(file, c), f.sampleRate * block);
    EXPECT_EQ(LoadU16(fmt + 12), block);
    EXPECT_EQ(LoadU16(fmt + 14), f.bitsPerSample);
    ASSERT_EQ(c.dataOffset, 44u);
    ASSERT_EQ(c.dataSize, f.dataBytes);

    // After the data (and its pad byte): the listed chunks, in order, and nothing else.
    size_t at = c.dataOffset + c.dataSize;
    if (c.dataSize % 2) {
      ASSERT_LT(at, file.size());
      EXPECT_EQ(file[at], 0);
      ++at;
    }
    for (const std::string& expected : clipsynth::ExtraChunkIds(f)) {
      ASSERT_LE(at + 8, file.size()) << expected;
      EXPECT_EQ(IdAt(file, at), expected);
      const uint32_t size = LoadU32(file.data() + at + 4);
      ASSERT_LE(at + 8 + size, file.size()) << expected << " runs past the end";
      const uint8_t* body = file.data() + at + 8;
      if (expected == "LIST") EXPECT_EQ(IdAt(file, at + 8), "INFO");
      if (expected == "smpl") EXPECT_EQ(size, 36u);
      if (expected == "cue ") EXPECT_EQ(size == 4 ? LoadU32(body) : 1u, 0u) << "cue points";
      if (expected == "bext") EXPECT_EQ(size, 602u);
      if (expected == "DISP") EXPECT_EQ(size >= 4 ? LoadU32(body) : 0u, 1u) << "text type";
      at += 8 + size + size % 2;
      ASSERT_LE(at, file.size()) << expected << " runs past the end";
    }
    EXPECT_EQ(at, file.size());
  }
}

TEST(ClipCatalogue, SizesAddUp) {
  size_t riffBytes = 0, smallest = SIZE_MAX, largest = 0;
  int smallestId = 0, largestId = 0;
  for (int id = 1; id <= kClipCount; ++id) {
    size_t n = File(id).size();
    riffBytes += n;
    if (n < smallest) smallest = n, smallestId = id;
    if (n > largest) largest = n, largestId = id;
  }
  // Every chunk is padded to an even size, so every file and the total are even.
  EXPECT_EQ(riffBytes, 27633032u);
  EXPECT_EQ(Catalogue().size(), 27633032u + kClipCount * kByteSetHeader);
  EXPECT_EQ(smallestId, 56);
  EXPECT_EQ(smallest, 5804u);
  EXPECT_EQ(largestId, 33);
  EXPECT_EQ(largest, 4360044u);
}

TEST(ClipCatalogue, ClipsHaveNoLongGapsAndRealStereo) {
  // A sound may finish early and leave silence, but not fall silent in the middle for long.
  // Loudness, peaks and endings are held in test_clip_sound.cpp.
  for (int id = 1; id <= kClipCount; ++id) {
    SCOPED_TRACE("clip " + std::to_string(id));
    const ClipFormat& f = kClipFormats[size_t(id - 1)];
    WaveChunks c;
    ASSERT_TRUE(FindWaveChunks(File(id), c));
    clipsynth::PcmLevels lv =
        clipsynth::MeasurePcm(File(id).subspan(c.dataOffset, c.dataSize), f.channels, f.sampleRate, f.bitsPerSample);
    const double seconds = double(f.dataBytes) / (f.sampleRate * f.channels * f.bitsPerSample / 8);
    EXPECT_LT(lv.longestGap, 0.25 * seconds);
    EXPECT_LT(lv.quietEnd, 0.6 * seconds) << "the clip is mostly silence";
    if (f.channels == 2) {
      EXPECT_GT(lv.side, 0.05) << "stereo is only a copy of mono";
    }
  }
}

TEST(ClipCatalogue, StoredClipsAreReproducible) {
  // Rendered again in this process, a clip is byte for byte what the generator stored.
  for (int id : {56, 35, 13, 50}) {
    SCOPED_TRACE("clip " + std::to_string(id));
    std::vector<uint8_t> again = clipsynth::ClipFile(id);
    std::span<const uint8_t> stored = File(id);
    ASSERT_EQ(again.size(), stored.size());
    EXPECT_TRUE(std::equal(again.begin(), again.end(), stored.begin()));
  }
}

TEST(ClipCatalogue, FindClipRefusesBadIdsAndDamagedCatalogues) {
  const std::vector<uint8_t>& whole = Catalogue();
  for (int id : {0, 74, -1}) EXPECT_TRUE(FindClip(whole, id).empty()) << id;
  EXPECT_EQ(FindClip(whole, 1).size(), kByteSetHeader + kClipFormats[0].dataBytes + 44);

  // Cut short by one byte: the last ByteSet is incomplete, so the catalogue is refused.
  std::vector<uint8_t> cut(whole.begin(), whole.end() - 1);
  EXPECT_TRUE(FindClip(cut, 1).empty());
  EXPECT_TRUE(FindClip(cut, 73).empty());
  std::vector<uint8_t> headerOnly(whole.begin(), whole.begin() + 6);
  EXPECT_TRUE(FindClip(headerOnly, 1).empty());
  EXPECT_TRUE(FindClip({}, 1).empty());

  std::vector<uint8_t> badMarker = whole;
  badMarker[0] = 2;
  EXPECT_TRUE(FindClip(badMarker, 5).empty());
  std::vector<uint8_t> hugeCount = whole;
  const size_t second = kByteSetHeader + File(1).size();
  hugeCount[second + 4] = hugeCount[second + 5] = hugeCount[second + 6] = hugeCount[second + 7] = 0xFF;
  EXPECT_TRUE(FindClip(hugeCount, 1).empty());
}

}  // namespace
}  // namespace board
