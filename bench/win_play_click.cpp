// What a click on a clip button costs: the GUI thread's time inside PlayMusic against a plain
// memcpy of the clip's samples, the delay to the first buffer at the device, the memory of a
// live player, and all 73 clips at once. Uses the real device when there is one (under Wine:
// PulseAudio with a null sink), else the fake device with a thread handing buffers back.
// --quick runs a few seconds (CI only proves it still runs).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "app/clip_catalogue.h"
#include "app/win32/clip_store.h"
#include "audio/win32/commands.h"
#include "audio/win32/host.h"
#include "audio/win32/sound_host.h"
#include "bench/bench_clock.h"
#include "tests/wine/wave_test_support.h"

namespace board {
namespace {

using bench::Median;
using bench::TicksToUs;

using testing::DeviceSpy;
using testing::FakeWaveOut;

// Called through a volatile pointer so the compiler can't drop a copy nobody reads.
void* (*volatile g_copy)(void*, const void*, size_t) = &std::memcpy;

PlayerList& Players() { return RunningHost()->wavPlayers(); }

bool Play(const uint8_t* stored, bool loop = false) {
  const ArgRecord args[] = {ArgByteSet(stored), loop ? ArgBool(true) : ArgOmitted()};
  ResultRecord result;
  PlayMusic(result, args);
  return result.value != 0;
}

// Stands in for the device when there is none: hands every queued buffer back at once.
class FakePump {
 public:
  FakePump() : thread_([this] {
      while (!stop_) {
        FakeWaveOut& fake = FakeWaveOut::Instance();
        for (int id = 0, n = fake.streamCount(); id < n; ++id) fake.returnOldest(id, kBufferCount);
        Sleep(1);
      }
    }) {}
  ~FakePump() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// PlayMusic on the GUI thread against a memcpy of the clip's samples, and the delay from the
// call to the first buffer written to the device. Two references explain the figures: the
// same copy into freshly allocated memory (what any private copy pays for its pages), and
// the device's own waveOutOpen.
void TimeClick(int id, int runs) {
  const ClipFormat& f = kClipFormats[size_t(id - 1)];
  std::vector<uint8_t> source(f.dataBytes, 0x5A), target(f.dataBytes, 0);
  std::vector<double> play, copy, freshCopy, open, firstWrite;
  DeviceSpy& spy = DeviceSpy::Instance();
  for (int i = 0; i < runs; ++i) {
    const LONGLONG t0 = bench::NowTicks();
    const bool ok = Play(ClipByteSet(id));
    const LONGLONG t1 = bench::NowTicks();
    if (!ok) {
      std::printf("ClipId %d: PlayMusic failed\n", id);
      return;
    }
    play.push_back(TicksToUs(t1 - t0));
    open.push_back(TicksToUs(spy.lastOpenTicks()));
    if (spy.waitUntil([t0](DeviceSpy& s) { return s.lastWrite() >= t0; }, 2000))
      firstWrite.push_back(TicksToUs(spy.firstWriteAfter(t0) - t0));
    Players().StopAllPlayers(1);

    const LONGLONG c0 = bench::NowTicks();
    g_copy(target.data(), source.data(), source.size());
    const LONGLONG c1 = bench::NowTicks();
    copy.push_back(TicksToUs(c1 - c0));
    const LONGLONG m0 = bench::NowTicks();
    void* fresh = std::malloc(source.size());
    if (fresh) g_copy(fresh, source.data(), source.size());
    std::free(fresh);
    freshCopy.push_back(TicksToUs(bench::NowTicks() - m0));
  }
  const double playUs = Median(play), copyUs = Median(copy), goalUs = 1.5 * copyUs + 100;
  std::printf("ClipId %d (%u data bytes), median of %d: PlayMusic %.1f us, memcpy %.1f us, "
              "ratio %.1f; goal <= 1.5 x memcpy + 100 us = %.1f us: %s\n",
              id, f.dataBytes, runs, playUs, copyUs, copyUs > 0 ? playUs / copyUs : 0.0, goalUs,
              playUs <= goalUs ? "met" : "NOT met");
  std::printf("  of which waveOutOpen %.1f us; malloc + memcpy + free into fresh memory %.1f us\n",
              Median(open), Median(freshCopy));
  const double firstUs = Median(firstWrite);
  std::printf("  PlayMusic to first waveOutWrite %.1f us (goal < 2000 us: %s)\n", firstUs,
              firstUs < 2000 ? "met" : "NOT met");
}

DWORD WINAPI IdleThread(void* event) {
  WaitForSingleObject(event, INFINITE);
  return 0;
}

// What a bare waiting thread costs here (Wine commits far more per thread than Windows).
double ThreadCost(int count) {
  UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::vector<UniqueHandle> threads;
  const size_t before = testing::PrivateBytes();
  for (int i = 0; i < count; ++i)
    threads.emplace_back(CreateThread(nullptr, 0, &IdleThread, release.get(), 0, nullptr));
  const size_t after = testing::PrivateBytes();
  SetEvent(release.get());
  for (const auto& t : threads) WaitForSingleObject(t.get(), INFINITE);
  return (double(after) - double(before)) / count;
}

// Private memory per live player: `count` looping copies of a clip alive at once.
void MemoryPerPlayer(int id, int count) {
  const ClipFormat& f = kClipFormats[size_t(id - 1)];
  Play(ClipByteSet(id));  // first use settles lazily created state
  Players().StopAllPlayers(1);
  const size_t before = testing::PrivateBytes();
  int started = 0;
  for (int i = 0; i < count; ++i) started += Play(ClipByteSet(id), true);
  const size_t alive = testing::PrivateBytes();
  const int live = Players().LivePlayerCount();
  Players().StopAllPlayers(1);
  if (started == 0) return;
  const double perPlayer = (double(alive) - double(before)) / started;
  const double budget = double(f.dataBytes) + double(BufferPoolBytes(kBufferStep, kBufferCount));
  std::printf("ClipId %d: %d players alive (%d listed), %.0f bytes each; data copy + pool = %.0f, "
              "overhead %.0f bytes (goal < 65536: %s)\n",
              id, started, live, perPlayer, budget, perPlayer - budget,
              perPlayer - budget < 65536 ? "met" : "NOT met");
}

// Every clip at once: all start and play and end, and handles and memory come back. The
// first round warms what the device keeps for reuse; the second is the one measured.
void AllClipsAtOnce(bool quick) {
  DeviceSpy& spy = DeviceSpy::Instance();
  double longest = 0;
  for (const ClipFormat& f : kClipFormats)
    longest = std::max(longest, double(f.dataBytes) / (f.sampleRate * f.channels * f.bitsPerSample / 8));
  for (int round = 1; round <= 2; ++round) {
    FakeWaveOut::Instance().Reset();  // the fake's call logs are not the players' memory
    const DWORD handlesBefore = testing::OpenHandleCount();
    const size_t memoryBefore = testing::PrivateBytes();
    const int opensBefore = spy.opens();
    int accepted = 0;
    const LONGLONG t0 = bench::NowTicks();
    for (int id = 1; id <= kClipCount; ++id) accepted += Play(ClipByteSet(id));
    const double startMs = TicksToUs(bench::NowTicks() - t0) / 1000;
    const bool allPlayed = spy.waitUntil(
        [&](DeviceSpy& s) { return s.streamsWritten() >= opensBefore + kClipCount; }, 20000);
    // The quick run stops them once every one is playing; the full run lets them end.
    const bool allEnded =
        quick || spy.waitUntil([&](DeviceSpy& s) { return s.closed() >= opensBefore + kClipCount; },
                               DWORD(longest * 1000) + 30000);
    Players().StopAllPlayers(1);
    FakeWaveOut::Instance().Reset();
    const long handleDelta = long(testing::OpenHandleCount()) - long(handlesBefore);
    const double memoryKiB = (double(testing::PrivateBytes()) - double(memoryBefore)) / 1024;
    std::printf("All %d clips at once, round %d: %d accepted in %.1f ms, all played: %s, "
                "all ended%s: %s, %d listed after; handles %+ld, private memory %+.0f KiB, "
                "abandoned to the device %d\n",
                kClipCount, round, accepted, startMs, allPlayed ? "yes" : "NO",
                quick ? " (stopped)" : " by themselves", allEnded ? "yes" : "NO",
                Players().LivePlayerCount(), handleDelta, memoryKiB,
                Players().AbandonedPlayerCount());
  }
}

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Routes new players to the real device or to the fake (with its pump), through the spy.
class Device {
 public:
  void useReal() {
    pump_.reset();
    Players().testSeam().settings.device = DeviceSpy::Instance().wrap(&RealWaveOutApi());
  }
  void useFake() {
    FakeWaveOut::Instance().Reset();
    Players().testSeam().settings.device =
        DeviceSpy::Instance().wrap(FakeWaveOut::Instance().api());
    if (!pump_) pump_ = std::make_unique<FakePump>();
  }
  ~Device() {
    pump_.reset();
    Players().testSeam().settings.device = &RealWaveOutApi();
  }

 private:
  std::unique_ptr<FakePump> pump_;
};

int Run(bool quick) {
  for (int id = 1; id <= kClipCount; ++id)
    if (!ClipByteSet(id)) {
      std::printf("clip %d is not embedded in this build\n", id);
      return 1;
    }
  HostStart();
  {
    const bool realDevice = waveOutGetNumDevs() > 0;
    Device device;
    realDevice ? device.useReal() : device.useFake();
    // Measured first, before any thread has ended and left memory for reuse.
    const double threadCost = ThreadCost(8);
    std::printf("device: %s; %s run\n", realDevice ? "real waveOut" : "fake (no device)",
                quick ? "quick" : "full");
    std::printf("reference: a bare waiting thread commits %.0f bytes here\n", threadCost);
    const int runs = quick ? 5 : 51;
    TimeClick(56, runs);  // the smallest clip
    TimeClick(33, runs);  // the largest
    MemoryPerPlayer(56, quick ? 4 : 20);
    MemoryPerPlayer(33, quick ? 2 : 10);
    if (realDevice && UnderWine()) {
      // Wine's winmm serves every stream from one thread that waits on one handle per open
      // stream; past 64 at once its wait fails and the next waveOutOpen never returns.
      std::printf("Under Wine more than 64 open waveOut streams hang winmm: the 73 clips go to "
                  "the fake device\n");
      device.useFake();
    }
    AllClipsAtOnce(quick);
  }
  HostEnd();
  return 0;
}

}  // namespace
}  // namespace board

int main(int argc, char** argv) {
  bool quick = false;
  for (int i = 1; i < argc; ++i) quick |= std::strcmp(argv[i], "--quick") == 0;
  return board::Run(quick);
}
