// How fast the stream-event writer converts a MIDI file: events per second through
// 1,024-byte buffers, for one track and for sixteen merged tracks, against a plain copy of
// the same number of ready-made 12-byte events into buffers of the same size (the floor any
// writer pays). --quick runs a small piece a few times (CI only proves it still runs).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/midi_stream_writer.h"
#include "tests/native/midi_builder.h"

namespace {

using namespace board;
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// `tracks` tracks of `notesPerTrack` note pairs with running status, a tempo change every
// 500 notes, volume changes and a little meta text to drop.
std::vector<uint8_t> Piece(int tracks, int notesPerTrack) {
  std::vector<testing::Track> all(static_cast<size_t>(tracks));
  for (int t = 0; t < tracks; ++t) {
    auto& track = all[size_t(t)];
    const uint8_t ch = uint8_t(t % 16);
    track.raw(0, {uint8_t(0xB0 | ch), 7, 100}).raw(0, {0xFF, 0x01, 0x02, 'h', 'i'});
    track.raw(0, {uint8_t(0x90 | ch), 60, 90});
    for (int i = 1; i < notesPerTrack * 2; ++i) {
      if (t == 0 && i % 1000 == 0) track.tempo(0, 400000 + uint32_t(i % 3) * 50000);
      track.raw(uint32_t(3 + (i + t) % 5), {uint8_t(40 + (i * 7 + t) % 50), uint8_t(i % 2 ? 0 : 90)});
    }
    track.end();
  }
  return testing::MidiFile(480, all);
}

struct Pass {
  double seconds;
  uint64_t events;
};

Pass Convert(const std::vector<uint8_t>& file) {
  MidiConverter c;
  c.load(file.data(), file.size());
  std::vector<uint8_t> block(kStreamBufferBytes);
  StreamBuffer buffer{block.data(), 0, kStreamBufferBytes};
  uint64_t events = 0;
  const auto t0 = Clock::now();
  for (bool first = true; c.fill(buffer, first) == FillResult::kFilled; first = false)
    events += buffer.written / kStreamEventBytes;
  return {std::chrono::duration<double>(Clock::now() - t0).count(), events};
}

// Called through a volatile pointer so the compiler can't drop a copy nobody reads.
void* (*volatile g_copy)(void*, const void*, size_t) = &std::memcpy;

double CopyFloor(uint64_t events) {
  std::vector<uint8_t> source(size_t(events) * kStreamEventBytes, 0x5A);
  std::vector<uint8_t> block(kStreamBufferBytes);
  const size_t perBuffer = kStreamBufferBytes / kStreamEventBytes * kStreamEventBytes;
  const auto t0 = Clock::now();
  for (size_t at = 0; at < source.size(); at += perBuffer)
    g_copy(block.data(), source.data() + at, std::min(perBuffer, source.size() - at));
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

void Measure(const char* name, const std::vector<uint8_t>& file, int runs) {
  std::vector<double> convert, copy;
  uint64_t events = 0;
  for (int i = 0; i < runs; ++i) {
    const Pass p = Convert(file);
    events = p.events;
    convert.push_back(p.seconds);
    copy.push_back(CopyFloor(events));
  }
  const double c = Median(convert), f = Median(copy);
  std::printf("%s: %zu bytes, %llu events, median of %d: %.2f ms = %.1f M events/s; "
              "plain copy of as many events %.3f ms; ratio %.1fx the copy\n",
              name, file.size(), static_cast<unsigned long long>(events), runs, c * 1e3,
              double(events) / c / 1e6, f * 1e3, c / f);
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false;
  for (int i = 1; i < argc; ++i) quick |= std::strcmp(argv[i], "--quick") == 0;
  const int runs = quick ? 3 : 15;
  const int notes = quick ? 2000 : 50000;
  std::printf("stream-event writer, %s run\n", quick ? "quick" : "full");
  Measure("1 track", Piece(1, notes * 4), runs);
  Measure("16 tracks", Piece(16, notes / 4), runs);
  return 0;
}
