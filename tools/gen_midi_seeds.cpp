// gen_midi_seeds SEEDS_DIR: a few small MIDI files for the MIDI fuzzer to start from: two
// tracks with running status, tempo changes, system-exclusive, volume and other meta events.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/native/midi_builder.h"
#include "generator_output.h"

namespace {

using board::tools::WriteFile;

using board::testing::MidiFile;
using board::testing::Track;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: gen_midi_seeds SEEDS_DIR\n"), 1;
  Track lead, bass;
  lead.tempo(0, 500000).raw(0, {0xB0, 7, 100}).on(0, 0, 60).raw(12, {62, 90}).raw(12, {64, 80});
  lead.raw(0, {0xF0, 0x02, 0x7E, 0xF7}).tempo(24, 300000).raw(0, {0xFF, 0x03, 0x01, 'x'});
  lead.off(48, 0, 60).end(4);
  bass.raw(0, {0xC1, 33}).on(6, 1, 36).raw(6, {0xE1, 0, 64}).off(40, 1, 36).end();
  const std::vector<std::vector<uint8_t>> seeds = {
      MidiFile(96, {lead, bass}),
      MidiFile(480, {lead}, 0),
      MidiFile(24, {Track().on(0, 9, 36).on(1, 9, 38).raw(0, {0xFF, 0x51, 0x03, 0, 0, 0}).end(), Track()}),
  };
  std::error_code ec;
  std::filesystem::create_directories(argv[1], ec);
  for (size_t i = 0; i < seeds.size(); ++i)
    if (!WriteFile(std::filesystem::path(argv[1]) / ("seed" + std::to_string(i) + ".mid"), seeds[i]))
      return std::fprintf(stderr, "gen_midi_seeds: cannot write the seeds\n"), 1;
  return 0;
}
