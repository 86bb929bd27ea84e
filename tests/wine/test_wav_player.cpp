// The WAV player against the fake device: buffer order and sizes, the end of playback, the
// loop, the stop and timeout paths, the stop-and-wait, failed starts and leaks.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "audio/win32/player_list.h"
#include "tests/wine/wave_test_support.h"

namespace board {
namespace {

using testing::Call;
using testing::FakeStream;
using testing::FakeWaveOut;
using testing::MakeWav;
using testing::OpenHandleCount;
using testing::PrivateBytes;
using testing::WavShape;

constexpr DWORD kWaitMs = 5000;
constexpr uint32_t kStep = kBufferStep;

class WavPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { fake().Reset(); }
  void TearDown() override {
    players.StopAllPlayers(1);
    EXPECT_EQ(players.LivePlayerCount(), 0);
    EXPECT_EQ(fake().faults(), std::vector<std::string>{});
  }
  static FakeWaveOut& fake() { return FakeWaveOut::Instance(); }

  int32_t Start(const std::vector<uint8_t>& wav, bool loop = false) {
    return players.StartWavPlayer(wav, loop);
  }

  static void WaitWrites(int stream, size_t n) {
    ASSERT_TRUE(fake().waitUntil([&](FakeWaveOut& f) { return f.writesOf(stream) >= n; }, kWaitMs))
        << "stream " << stream << " did not get " << n << " buffers; it has "
        << fake().stream(stream).writes.size();
  }
  // The worker of a stream that still has buffers at the device, so it is alive.
  static UniqueHandle Worker(int stream) {
    UniqueHandle thread(OpenThread(SYNCHRONIZE, FALSE, fake().stream(stream).workerThread));
    EXPECT_TRUE(thread) << "no worker thread for stream " << stream;
    return thread;
  }
  // Starts a player on `bytes` of samples and waits until `queued` buffers are at the
  // device; returns its worker.
  UniqueHandle StartQueued(uint32_t bytes, size_t queued) {
    const auto wav = MakeWav({.dataBytes = bytes});
    EXPECT_EQ(Start(wav), 1);
    WaitWrites(0, queued);
    return Worker(0);
  }
  static void WaitEnded(const UniqueHandle& thread, const char* what) {
    ASSERT_EQ(WaitForSingleObject(thread.get(), kWaitMs), WAIT_OBJECT_0) << what;
  }
  // The calls after the last write (or after the open when nothing was written).
  static std::vector<Call> Tail(const FakeStream& s) {
    auto last = std::find(s.calls.rbegin(), s.calls.rend(), Call::kWrite);
    std::vector<Call> tail(last.base(), s.calls.end());
    tail.erase(std::remove(tail.begin(), tail.end(), Call::kDone), tail.end());
    return tail;
  }

  PlayerList players{*FakeWaveOut::Instance().api()};
};

TEST_F(WavPlayerTest, PoolIsHeadersThenAreasInOneZeroedBlock) {
  WAVEHDR* pool = AllocBufferPool(kStep, kBufferCount);
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, pool), BufferPoolBytes(kStep, kBufferCount));
  const char* areas = reinterpret_cast<const char*>(pool + kBufferCount);
  for (int i = 0; i < kBufferCount; ++i) {
    EXPECT_EQ(pool[i].lpData, areas + size_t(i) * kStep) << "header " << i;
    EXPECT_EQ(pool[i].dwBufferLength, kStep);
    EXPECT_EQ(pool[i].dwFlags | pool[i].dwUser | pool[i].dwLoops | pool[i].dwBytesRecorded, 0u);
    EXPECT_EQ(pool[i].lpNext, nullptr);
  }
  const size_t areaBytes = size_t(kBufferCount) * kStep;
  EXPECT_EQ(size_t(std::count(areas, areas + areaBytes, 0)), areaBytes);
  FreeBufferPool(pool);
}

// Plays `dataBytes` through, handing buffers back one at a time; checks every buffer's size,
// pool slot and content, then that the player ends with all headers unprepared.
struct SizeCase {
  const char* name;
  uint32_t dataBytes;
};
class BufferOrderTest : public WavPlayerTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(BufferOrderTest, FillsBuffersInOrderAndEndsAfterTheLast) {
  const uint32_t bytes = GetParam().dataBytes;
  const auto wav = MakeWav({.dataBytes = bytes});
  ASSERT_EQ(Start(wav), 1);
  const size_t total = (bytes + kStep - 1) / kStep;
  const size_t first = std::min<size_t>(total, kBufferCount);
  WaitWrites(0, first);
  EXPECT_EQ(fake().stream(0).writes.size(), first) << "more than the first 20 before any came back";
  UniqueHandle worker = Worker(0);
  for (size_t next = first; next < total; ++next) {
    ASSERT_EQ(fake().returnOldest(0), 1);
    WaitWrites(0, next + 1);
  }
  ASSERT_EQ(fake().returnOldest(0, kBufferCount), int(first));
  WaitEnded(worker, "the player did not end after its last buffer came back");

  const FakeStream s = fake().stream(0);
  ASSERT_EQ(s.writes.size(), total) << "an empty or extra buffer was written";
  for (size_t k = 0; k < total; ++k) {
    const auto& w = s.writes[k];
    EXPECT_EQ(w.header, int(k % kBufferCount)) << "buffer " << k;
    EXPECT_EQ(w.startOffset, k * kStep) << "buffer " << k;
    EXPECT_EQ(w.length, std::min<uint32_t>(kStep, bytes - uint32_t(k * kStep))) << "buffer " << k;
    EXPECT_TRUE(w.patternIntact) << "buffer " << k;
  }
  EXPECT_TRUE(s.closed);
  const auto tail = Tail(s);
  EXPECT_EQ(std::count(tail.begin(), tail.end(), Call::kPause), 0) << "an ended player needs no pause";
  EXPECT_EQ(tail.back(), Call::kClose);
  EXPECT_EQ(players.LivePlayerCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BufferOrderTest,
    ::testing::Values(SizeCase{"UnderOneBuffer", 1000}, SizeCase{"OneByte", 1},
                      SizeCase{"ExactlyThreeBuffers", 3 * kStep},
                      SizeCase{"ThreeAndABit", 3 * kStep + 4},
                      SizeCase{"ExactlyTwenty", 20 * kStep},
                      SizeCase{"TwentyFiveWrapping", 25 * kStep - 400},
                      SizeCase{"FortyThreeWrappingTwice", 43 * kStep}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WavPlayerTest, AcceptsOtherChunkOrdersAndClipsADataChunkPastTheEnd) {
  struct Case {
    WavShape shape;
    uint32_t expectBytes;
  };
  const Case cases[] = {
      {{.dataBytes = 3000, .dataFirst = true, .otherChunks = true}, 3000},
      {{.dataBytes = 3000, .otherChunks = true}, 3000},
      {{.dataBytes = 3000, .declaredData = 100000}, 3000},
  };
  for (int i = 0; i < 3; ++i) {
    const auto wav = MakeWav(cases[i].shape);
    ASSERT_EQ(Start(wav), 1) << "case " << i;
    WaitWrites(i, 1);
    fake().returnOldest(i);
    ASSERT_TRUE(fake().waitUntil([&](FakeWaveOut& f) { return f.closedOf(i); }, kWaitMs)) << "case " << i;
    const FakeStream s = fake().stream(i);
    ASSERT_EQ(s.writes.size(), 1u) << "case " << i;
    EXPECT_EQ(s.writes[0].length, cases[i].expectBytes) << "case " << i;
    EXPECT_TRUE(s.writes[0].patternIntact) << "case " << i;
  }
}

TEST_F(WavPlayerTest, OpensWithAFormatThatStaysInsideTheChunk) {
  struct Case {
    uint32_t fmtSize;
    uint16_t cbSize;
    uint16_t expectCbSize;
  };
  // A 16-byte body gets cbSize 0; a cbSize promising more than the chunk holds is cut.
  const Case cases[] = {{16, 0, 0}, {18, 0, 0}, {18, 22, 0}, {40, 22, 22}, {30, 22, 12}};
  for (int i = 0; i < 5; ++i) {
    const auto wav = MakeWav({.dataBytes = 100, .fmtSize = cases[i].fmtSize, .cbSize = cases[i].cbSize});
    ASSERT_EQ(Start(wav), 1) << "case " << i;
    players.StopAllPlayers(1);
    const FakeStream s = fake().stream(i);
    ASSERT_GE(s.format.size(), sizeof(WAVEFORMATEX));
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(s.format.data());
    EXPECT_EQ(format->cbSize, cases[i].expectCbSize) << "case " << i;
    EXPECT_EQ(format->nSamplesPerSec, 22050u);
    EXPECT_EQ(format->wBitsPerSample, 16);
  }
}

TEST_F(WavPlayerTest, LoopRestartsOnlyWhenAllBuffersAreBackAndNeverEndsByItself) {
  const uint32_t bytes = 25 * kStep;
  const auto wav = MakeWav({.dataBytes = bytes});
  ASSERT_EQ(Start(wav, true), 1);
  WaitWrites(0, 20);
  UniqueHandle worker = Worker(0);
  for (int pass = 0; pass < 3; ++pass) {
    const size_t before = size_t(pass) * 25;
    for (size_t k = before + 20; k < before + 25; ++k) {
      ASSERT_EQ(fake().returnOldest(0), 1);
      WaitWrites(0, k + 1);
    }
    ASSERT_EQ(fake().returnOldest(0, kBufferCount), kBufferCount);
    WaitWrites(0, before + 45);
  }
  EXPECT_EQ(players.LivePlayerCount(), 1);
  const FakeStream s = fake().stream(0);
  // The first buffer of each pass is written only after the 20th buffer came back.
  size_t writes = 0, doneSinceRestart = 0;
  for (Call c : s.calls) {
    if (c == Call::kDone) ++doneSinceRestart;
    if (c != Call::kWrite) continue;
    const auto& w = s.writes[writes];
    const size_t k = writes % 25;
    EXPECT_EQ(w.startOffset, k * kStep) << "write " << writes;
    EXPECT_EQ(w.header, int(k % kBufferCount)) << "write " << writes;
    if (k == 0 && writes > 0) {
      EXPECT_EQ(doneSinceRestart, 25u) << "pass restarted before every buffer was back";
      doneSinceRestart = 0;
    }
    ++writes;
  }
  players.StopAllPlayers(0);
  WaitEnded(worker, "the looping player did not end after a stop");
}

TEST_F(WavPlayerTest, RestartWithWakeupsStillPendingQueuesAllTwentyBuffers) {
  const auto wav = MakeWav({.dataBytes = 20 * kStep});
  ASSERT_EQ(Start(wav, true), 1);
  WaitWrites(0, 20);
  // Hold the worker in its first unprepare while every buffer comes back, so that their
  // wake-ups are still pending when it finds the pass complete.
  UniqueHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  fake().SetGate(Call::kUnprepare, gate.get());
  ASSERT_EQ(fake().returnOldest(0), 1);
  ASSERT_TRUE(fake().waitUntil([](FakeWaveOut& f) { return f.gated() == 1; }, kWaitMs))
      << "the worker did not look at the returned buffer";
  ASSERT_EQ(fake().returnOldest(0, kBufferCount), kBufferCount - 1);
  fake().SetGate(Call::kUnprepare, nullptr);
  SetEvent(gate.get());
  WaitWrites(0, 40);
}

TEST_F(WavPlayerTest, StopPausesResetsThenUnpreparesBeforeClosing) {
  UniqueHandle worker = StartQueued(30 * kStep, 20);
  players.StopAllPlayers(0);
  WaitEnded(worker, "the player did not end after a stop");
  const FakeStream s = fake().stream(0);
  std::vector<Call> expected{Call::kPause, Call::kReset};
  expected.insert(expected.end(), kBufferCount, Call::kUnprepare);
  expected.push_back(Call::kClose);
  EXPECT_EQ(Tail(s), expected);
  EXPECT_EQ(s.writes.size(), 20u);
}

TEST_F(WavPlayerTest, TimeoutEndsAPlayerWhoseBufferNeverComesBack) {
  players.testSeam().settings.idleTimeoutMs = 200;
  UniqueHandle worker = StartQueued(500, 1);
  WaitEnded(worker, "the idle timeout did not end the player");
  EXPECT_EQ(Tail(fake().stream(0)),
            (std::vector<Call>{Call::kPause, Call::kReset, Call::kUnprepare, Call::kClose}));
}

// A device that keeps its buffers past the stop's bounded wait: the player is kept with
// whatever the device may still write to and the record its callback reaches, and a late
// hand-back lands on that live memory, after which the list can release it.
TEST_F(WavPlayerTest, BuffersTheDeviceKeepsAreNeverFreedUnderIt) {
  players.testSeam().settings.idleTimeoutMs = 200;
  fake().SetHold(true);
  UniqueHandle worker = StartQueued(3 * kStep, 3);
  players.StopAllPlayers(0);
  WaitEnded(worker, "the stop did not end the worker once its bounded wait ran out");
  EXPECT_EQ(players.LivePlayerCount(), 0);
  ASSERT_TRUE(fake().heldIntact(0)) << "the player freed buffers the device still holds";
  EXPECT_EQ(players.AbandonedPlayerCount(), 1);
  EXPECT_FALSE(fake().closedOf(0));
  EXPECT_EQ(players.ReclaimAbandoned(), 1) << "released while the device still holds buffers";
  EXPECT_EQ(fake().returnOldest(0, kBufferCount), 3);
  EXPECT_EQ(players.ReclaimAbandoned(), 0) << "not released once every buffer came back";
  EXPECT_TRUE(fake().closedOf(0));
}

// The one test at the real timeout: a silent device ends the player after 8,888 ms.
TEST_F(WavPlayerTest, RealIdleTimeoutIs8888Ms) {
  const auto wav = MakeWav({.dataBytes = 500});
  const ULONGLONG start = GetTickCount64();
  ASSERT_EQ(Start(wav), 1);
  WaitWrites(0, 1);
  UniqueHandle worker = Worker(0);
  ASSERT_EQ(WaitForSingleObject(worker.get(), kPlayerIdleTimeoutMs + 6000), WAIT_OBJECT_0)
      << "the player did not end within the idle timeout and 6 s";
  EXPECT_GE(GetTickCount64() - start, kPlayerIdleTimeoutMs - 50) << "ended before the timeout";
  EXPECT_TRUE(fake().stream(0).closed);
}

TEST_F(WavPlayerTest, StopWithoutWaitReturnsAtOnceAndWaitingStopOutlastsEveryExitPath) {
  UniqueHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  fake().SetGate(Call::kPause, gate.get());
  const auto wav = MakeWav({.dataBytes = 40 * kStep});
  std::vector<UniqueHandle> workers;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(Start(wav, true), 1);
    WaitWrites(i, 20);
    workers.push_back(Worker(i));
  }
  players.StopAllPlayers(0);  // returns although every worker is about to block in its pause
  ASSERT_TRUE(fake().waitUntil([](FakeWaveOut& f) { return f.gated() == 3; }, kWaitMs))
      << "not every player took its stop path";
  EXPECT_EQ(players.LivePlayerCount(), 3);

  UniqueHandle stopped(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread waiter([&] {
    players.StopAllPlayers(1);
    SetEvent(stopped.get());
  });
  EXPECT_EQ(WaitForSingleObject(stopped.get(), 300), DWORD(WAIT_TIMEOUT))
      << "the waiting stop returned while players were still stopping";
  SetEvent(gate.get());
  const bool returned = WaitForSingleObject(stopped.get(), kWaitMs) == WAIT_OBJECT_0;
  EXPECT_TRUE(returned) << "the waiting stop did not return after the players ended";
  if (returned) {
    EXPECT_EQ(players.LivePlayerCount(), 0);
    for (auto& w : workers)
      EXPECT_EQ(WaitForSingleObject(w.get(), 0), WAIT_OBJECT_0) << "returned before a worker ended";
  }
  waiter.join();
  fake().SetGate(Call::kPause, nullptr);
}

// The device hands buffers back from a thread of its own, as winmm does, while the worker
// ends by itself or is stopped at the same moment. A callback still on its way when the
// worker frees its player would touch freed memory and closed handles; the worker must wait
// for every buffer to be counted back, and then for the counting callback to leave.
TEST_F(WavPlayerTest, CallbacksFromTheDeviceThreadNeverOutliveTheirPlayer) {
  const auto wav = MakeWav({.dataBytes = 3 * kStep});
  const DWORD handlesBefore = testing::OpenHandleCount();
  constexpr int kRounds = 150;
  for (int i = 0; i < kRounds; ++i) {
    ASSERT_EQ(Start(wav), 1);
    WaitWrites(i, 3);
    std::thread device([i] { fake().returnOldest(i, 3); });
    if (i % 2) players.StopAllPlayers(0);  // every other round a stop races the last buffer
    device.join();
    ASSERT_TRUE(fake().waitUntil([i](FakeWaveOut& f) { return f.closedOf(i); }, kWaitMs))
        << "round " << i << ": the player did not end";
  }
  players.StopAllPlayers(1);
  EXPECT_EQ(players.LivePlayerCount(), 0);
  EXPECT_LE(testing::OpenHandleCount(), handlesBefore + 2) << "handles leaked over the rounds";
}

// The window the old callback left open: the last buffer is counted, the stop arrives, and
// the worker must not free its player while that callback is still inside it.
TEST_F(WavPlayerTest, NoPlayerIsReleasedWhileItsCallbackRuns) {
  static HANDLE s_inCallback, s_stopSent;
  static long s_releasedDuring;
  static std::atomic<long>* s_released;
  UniqueHandle inCallback(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  UniqueHandle stopSent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  s_inCallback = inCallback.get();
  s_stopSent = stopSent.get();
  s_released = &players.testSeam().released;
  players.testSeam().settings.bufferCounted = [] {
    const long before = s_released->load();
    SetEvent(s_inCallback);
    WaitForSingleObject(s_stopSent, kWaitMs);
    Sleep(50);  // room for a worker that does not wait for the callback to free its player
    s_releasedDuring = s_released->load() - before;
  };
  const auto wav = MakeWav({.dataBytes = 500});
  ASSERT_EQ(Start(wav), 1);
  WaitWrites(0, 1);
  std::thread device([] { fake().returnOldest(0); });
  ASSERT_EQ(WaitForSingleObject(inCallback.get(), kWaitMs), WAIT_OBJECT_0) << "no callback came";
  players.StopAllPlayers(0);
  SetEvent(stopSent.get());
  device.join();
  EXPECT_EQ(s_releasedDuring, 0) << "the player was freed while its callback ran";
  ASSERT_TRUE(fake().waitUntil([](FakeWaveOut& f) { return f.closedOf(0); }, kWaitMs));
}

TEST_F(WavPlayerTest, StopRightAfterStartReachesTheNewPlayer) {
  const auto wav = MakeWav({.dataBytes = 40 * kStep});
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(Start(wav, true), 1);
    players.StopAllPlayers(1);
    ASSERT_EQ(players.LivePlayerCount(), 0) << "cycle " << i;
    ASSERT_TRUE(fake().closedOf(i)) << "cycle " << i;
  }
  players.StopAllPlayers(1);  // with an empty list it has nothing to wait for
  players.StopAllPlayers(0);
}

TEST_F(WavPlayerTest, TwoStartsOfTheSameDataAreIndependentPlayers) {
  const auto wav = MakeWav({.dataBytes = 2 * kStep});
  ASSERT_EQ(Start(wav), 1);
  ASSERT_EQ(Start(wav), 1);
  WaitWrites(0, 2);
  WaitWrites(1, 2);
  EXPECT_EQ(players.LivePlayerCount(), 2);
  EXPECT_NE(fake().stream(0).firstHeader, fake().stream(1).firstHeader);
  fake().returnOldest(0, 2);
  ASSERT_TRUE(fake().waitUntil([](FakeWaveOut& f) { return f.closedOf(0); }, kWaitMs));
  EXPECT_EQ(players.LivePlayerCount(), 1) << "ending one player touched the other";
  fake().returnOldest(1, 2);
  ASSERT_TRUE(fake().waitUntil([](FakeWaveOut& f) { return f.closedOf(1); }, kWaitMs));
}

TEST_F(WavPlayerTest, RefusedStartsLeaveNothingBehind) {
  const auto good = MakeWav({.dataBytes = 1000});
  auto notWave = good;
  std::memcpy(notWave.data() + 8, "WAVX", 4);
  auto noData = MakeWav({.dataBytes = 0});
  auto fmtPastEnd = good;
  fmtPastEnd[18] = 0x01;  // "fmt " size 0x10010, far past the end
  struct Case {
    const char* name;
    const std::vector<uint8_t>* data;
    int32_t length;
    UINT devices;
    bool failOpen;
  };
  const Case cases[] = {
      {"no device", &good, int32_t(good.size()), 0, false},
      {"open refused", &good, int32_t(good.size()), 1, true},
      {"35 bytes", &good, 35, 1, false},
      {"not WAVE", &notWave, int32_t(notWave.size()), 1, false},
      {"empty data chunk", &noData, int32_t(noData.size()), 1, false},
      {"fmt runs past the end", &fmtPastEnd, int32_t(fmtPastEnd.size()), 1, false},
  };
  Start(good);  // first use creates lazy state
  players.StopAllPlayers(1);
  const DWORD handlesBefore = OpenHandleCount();
  for (const Case& c : cases) {
    fake().Reset();
    fake().SetNumDevs(c.devices);
    fake().SetFailOpen(c.failOpen);
    EXPECT_EQ(players.StartWavPlayer({c.data->data(), size_t(c.length)}, false), 0) << c.name;
    EXPECT_EQ(players.LivePlayerCount(), 0) << c.name;
    EXPECT_EQ(fake().streamCount(), 0) << c.name;
  }
  EXPECT_EQ(players.StartWavPlayer({}, false), 0);
  EXPECT_EQ(OpenHandleCount(), handlesBefore) << "a refused start kept handles";
}

TEST_F(WavPlayerTest, NoHandleOrMemoryGrowthOver2000StartsAndStops) {
  const auto wav = MakeWav({.dataBytes = 40 * kStep});
  auto cycle = [&](int i) {
    fake().Reset();
    fake().SetNumDevs(i % 10 == 9 ? 0 : 1);  // every tenth start fails for want of a device
    const int32_t started = Start(wav, i % 2);
    players.StopAllPlayers(1);
    return started == (i % 10 == 9 ? 0 : 1) && players.LivePlayerCount() == 0;
  };
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(cycle(i)) << "warm-up cycle " << i;
  const DWORD handlesBefore = OpenHandleCount();
  const size_t memoryBefore = PrivateBytes();
  ASSERT_GT(handlesBefore, 0u) << "handles can't be counted here";
  ASSERT_GT(memoryBefore, 0u) << "private memory can't be measured here";
  for (int i = 0; i < 2000; ++i) ASSERT_TRUE(cycle(i)) << "cycle " << i;
  const DWORD handlesAfter = OpenHandleCount();
  const size_t memoryAfter = PrivateBytes();
  EXPECT_LE(handlesAfter, handlesBefore) << "handles grew over 2,000 cycles";
  // One leaked pool alone is 300 KiB; allow only the heap's own slack.
  EXPECT_LT(memoryAfter, memoryBefore + 1024 * 1024)
      << "private memory grew from " << memoryBefore << " to " << memoryAfter;
}

}  // namespace
}  // namespace board
