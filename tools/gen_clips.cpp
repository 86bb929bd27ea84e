// gen_clips CLIPS_OUT SEEDS_DIR: synthesizes the 73 clips from their recipes, writes the
// catalogue (73 ByteSets back to back, in ClipId order) and a few small clips as fuzz seeds.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/clip_catalogue.h"
#include "audio/wave_chunks.h"
#include "clip_synth/recipes.h"
#include "base/byte_io.h"
#include "base/value_types.h"
#include "clip_synth/speech.h"
#include "clip_synth/wave_file.h"
#include "generator_output.h"

namespace {

using board::tools::WriteFile;

using namespace clipsynth;

int Fail(const std::string& what) {
  std::fprintf(stderr, "gen_clips: %s\n", what.c_str());
  return 1;
}

// Small clips covering an odd data size, trailing chunks and both sample widths.
constexpr int kSeedClips[] = {56, 35, 50, 7};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: gen_clips CLIPS_OUT SEEDS_DIR");
  // Two clips are spoken by espeak-ng; without it they cannot be made.
  const std::string speech = SpeechEngineVersion();
  if (speech.empty()) return Fail("espeak-ng cannot be run (scripts/deps.sh installs it)");
  if (speech != kPinnedEspeakVersion)
    std::fprintf(stderr, "gen_clips: espeak-ng %s, not %s: the spoken clips will differ from the reference\n",
                 speech.c_str(), kPinnedEspeakVersion);
  std::vector<std::vector<uint8_t>> files(board::kClipCount);
  // Clips are independent and each is deterministic, so rendering them on two threads
  // leaves the output unchanged. The longest go first, so neither thread is left with a
  // long clip at the end while the other waits.
  std::vector<int> order(board::kClipCount);
  for (int id = 1; id <= board::kClipCount; ++id) order[size_t(id - 1)] = id;
  std::stable_sort(order.begin(), order.end(), [](int a, int b) {
    return ClipFrames(board::kClipFormats[size_t(a - 1)]) > ClipFrames(board::kClipFormats[size_t(b - 1)]);
  });
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t n = next++; n < order.size(); n = next++) files[size_t(order[n] - 1)] = ClipFile(order[n]);
  };
  std::thread helper(worker);
  worker();
  helper.join();

  board::ByteWriter catalogue;
  for (int id = 1; id <= board::kClipCount; ++id) {
    const std::vector<uint8_t>& file = files[size_t(id - 1)];
    board::WaveChunks chunks;
    if (!board::FindWaveChunks(file, chunks) ||
        chunks.dataSize != board::kClipFormats[size_t(id - 1)].dataBytes)
      return Fail("clip " + std::to_string(id) + " does not read back");
    catalogue.u32(board::kByteSetMarker);
    catalogue.u32(uint32_t(file.size()));
    catalogue.bytes(file);
  }
  if (!WriteFile(argv[1], catalogue.data())) return Fail("cannot write the catalogue");

  std::error_code ec;
  std::filesystem::create_directories(argv[2], ec);
  for (int id : kSeedClips)
    if (!WriteFile(std::filesystem::path(argv[2]) / ("clip" + std::to_string(id) + ".wav"), files[size_t(id - 1)]))
      return Fail("cannot write the fuzz seeds");
  return 0;
}
