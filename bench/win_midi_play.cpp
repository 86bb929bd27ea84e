// What MIDI costs the GUI thread: PlayMusic with a 100 KiB MIDI file (the host's copy, the
// parse, the stream open and the first two buffers) against a plain copy of the file, and
// the time from StopPlayback until the stream is closed against one hand-off to another
// thread and back (a stop can't end before the callback thread reports both buffers). Uses
// the real MIDI device when Wine offers one, else the fake device handing buffers back from
// its own thread at once. --quick runs a few rounds (CI only proves it still runs).
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "audio/win32/commands.h"
#include "audio/win32/host.h"
#include "audio/win32/sound_host.h"
#include "bench/bench_clock.h"
#include "tests/native/midi_builder.h"
#include "tests/wine/midi_test_support.h"

namespace board {
namespace {

using bench::Median;
using bench::TicksToUs;

using testing::FakeMidiStream;

void* (*volatile g_copy)(void*, const void*, size_t) = &std::memcpy;

// A stored ByteSet of a type-0 piece of at least 100 KiB.
std::vector<uint8_t> StoredPiece() {
  int notes = 11000;
  std::vector<uint8_t> piece;
  while ((piece = testing::ScalePiece(notes, 12)).size() < 100 * 1024) notes += 500;
  std::vector<uint8_t> stored;
  testing::PutU32(stored, kByteSetMarker);
  testing::PutU32(stored, uint32_t(piece.size()));
  stored.insert(stored.end(), piece.begin(), piece.end());
  return stored;
}

bool Play(const std::vector<uint8_t>& stored) {
  const ArgRecord args[] = {ArgByteSet(stored.data()), ArgOmitted()};
  ResultRecord result;
  PlayMusic(result, args);
  return result.value != 0;
}

// One SetEvent to a waiting thread and its answer back.
double HandOffUs(int runs) {
  UniqueHandle ping(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  UniqueHandle pong(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  std::thread echo([&] {
    for (int i = 0; i < runs; ++i) {
      WaitForSingleObject(ping.get(), INFINITE);
      SetEvent(pong.get());
    }
  });
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const LONGLONG t0 = bench::NowTicks();
    SetEvent(ping.get());
    WaitForSingleObject(pong.get(), INFINITE);
    times.push_back(TicksToUs(bench::NowTicks() - t0));
  }
  echo.join();
  return Median(times);
}

int Run(bool quick) {
  HostStart();
  MidiPlayer& player = RunningHost()->midiPlayer();
  const bool realDevice = midiOutGetNumDevs() > 0;
  FakeMidiStream& fake = FakeMidiStream::Instance();
  if (!realDevice) {
    fake.Reset();
    fake.SetPump(true);
    player.testSeam().device = fake.api();
  }
  const auto stored = StoredPiece();
  const size_t bytes = stored.size() - 8;
  std::printf("MIDI device: %s; piece %zu bytes; %s run\n",
              realDevice ? "real midiStream" : "fake (Wine offers none), handing buffers back at once",
              bytes, quick ? "quick" : "full");
  const int runs = quick ? 5 : 41;
  std::vector<double> play, copy, stop;
  std::vector<uint8_t> target(bytes);
  int failed = 0;
  Play(stored);  // the first play settles what the device and the player create once
  StopPlayback();
  const DWORD handlesBefore = testing::OpenHandleCount();
  for (int i = 0; i < runs; ++i) {
    LONGLONG t0 = bench::NowTicks();
    const bool ok = Play(stored);
    play.push_back(TicksToUs(bench::NowTicks() - t0));
    failed += !ok;
    t0 = bench::NowTicks();
    g_copy(target.data(), stored.data() + 8, bytes);
    copy.push_back(TicksToUs(bench::NowTicks() - t0));
    Sleep(30);  // let it play a few buffers, so the stop meets a running stream
    const int streams = realDevice ? 0 : fake.streamCount();
    t0 = bench::NowTicks();
    StopPlayback();  // closes the piece: returns once the stream is closed
    stop.push_back(TicksToUs(bench::NowTicks() - t0));
    if (!realDevice && !fake.stream(streams - 1).closed) ++failed;
  }
  const double p = Median(play), c = Median(copy), s = Median(stop), h = HandOffUs(runs);
  std::printf("PlayMusic (GUI thread), median of %d: %.1f us; memcpy of the file %.1f us; "
              "ratio %.1fx\n", runs, p, c, p / c);
  std::printf("StopPlayback until the stream is closed, median of %d: %.1f us; thread "
              "hand-off and back %.1f us; ratio %.1fx\n", runs, s, h, s / h);
  std::printf("After %d rounds: handles %+ld, streams abandoned to the device %d\n", runs,
              long(testing::OpenHandleCount()) - long(handlesBefore), player.abandonedStreams());
  if (failed) std::printf("%d rounds failed to play or to close their stream\n", failed);
  player.testSeam().device = &RealMidiStreamApi();
  HostEnd();
  return failed ? 1 : 0;
}

}  // namespace
}  // namespace board

int main(int argc, char** argv) {
  bool quick = false;
  for (int i = 1; i < argc; ++i) quick |= std::strcmp(argv[i], "--quick") == 0;
  return board::Run(quick);
}
