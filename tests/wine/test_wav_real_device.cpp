// The WAV player on the real waveOut device. Under Wine the device is a PulseAudio null sink
// whose monitor is the default recording source, so the test hears what it plays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

#include "audio/win32/wav_player.h"
#include "tests/wine/wave_test_support.h"

namespace board {
namespace {

using testing::DeviceSpy;

constexpr uint32_t kRate = 22050;
constexpr DWORD kWaitMs = 8000;
constexpr const char* kNoSource =
    "nothing to record from: make the null sink's monitor the default source";

// A loud 16-bit mono sine clip.
std::vector<uint8_t> ToneWav(double seconds, double hz) {
  const uint32_t samples = uint32_t(seconds * kRate);
  auto wav = testing::MakeWav({.dataBytes = samples * 2, .rate = kRate});
  int16_t* pcm = reinterpret_cast<int16_t*>(wav.data() + 44);
  for (uint32_t i = 0; i < samples; ++i)
    pcm[i] = int16_t(20000 * std::sin(2 * 3.141592653589793 * hz * i / kRate));
  return wav;
}

double NowMs() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

// Records the default source in 20 ms blocks and keeps each block's peak with the time it
// arrived: the monitor may deliver nothing while the sink is idle, so only arrival times
// say when a block was heard.
class Recorder {
 public:
  struct Block {
    double arrivedMs;
    int peak;
  };

  // Starts recording and waits until the first block arrives (the first open of the source
  // takes more than a second under Wine).
  bool start() { return open() && waitLoud(0, 5000); }

  bool open() {
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
    if (waveInOpen(&in_, WAVE_MAPPER, &format, DWORD_PTR(ready_.get()), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR)
      return false;
    for (int i = 0; i < kBlocks; ++i) {
      headers_[i] = WAVEHDR{};
      headers_[i].lpData = reinterpret_cast<LPSTR>(samples_[i]);
      headers_[i].dwBufferLength = sizeof samples_[i];
      waveInPrepareHeader(in_, &headers_[i], sizeof(WAVEHDR));
      waveInAddBuffer(in_, &headers_[i], sizeof(WAVEHDR));
    }
    thread_ = std::thread([this] { collect(); });
    return waveInStart(in_) == MMSYSERR_NOERROR;
  }
  ~Recorder() {
    if (!in_) return;
    stopping_ = true;
    waveInReset(in_);
    SetEvent(ready_.get());
    if (thread_.joinable()) thread_.join();
    for (auto& h : headers_) waveInUnprepareHeader(in_, &h, sizeof(WAVEHDR));
    waveInClose(in_);
  }
  // Waits until a block at least `peak` loud has arrived (peak 0: any block).
  bool waitLoud(int peak, DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    while (loudest_.load() < peak || blockCount_.load() == 0) {
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) return false;
      WaitForSingleObject(arrived_.get(), DWORD(deadline - now));
    }
    return true;
  }
  // The loudest block that arrived in [fromMs, toMs], or -1 when none arrived.
  int peakBetween(double fromMs, double toMs) {
    std::lock_guard<std::mutex> hold(mutex_);
    int peak = -1;
    for (const Block& b : blocks_)
      if (b.arrivedMs >= fromMs && b.arrivedMs <= toMs) peak = std::max(peak, b.peak);
    return peak;
  }

 private:
  static constexpr int kBlocks = 8;
  static constexpr int kSamples = kRate / 50;

  void collect() {
    int next = 0;
    while (!stopping_) {
      WaitForSingleObject(ready_.get(), 1000);
      while (!stopping_ && (headers_[next].dwFlags & WHDR_DONE)) {
        WAVEHDR& h = headers_[next];
        const auto* pcm = reinterpret_cast<const int16_t*>(h.lpData);
        int peak = 0;
        for (DWORD i = 0; i < h.dwBytesRecorded / 2; ++i) peak = std::max(peak, std::abs(int(pcm[i])));
        {
          std::lock_guard<std::mutex> hold(mutex_);
          blocks_.push_back({NowMs(), peak});
        }
        if (peak > loudest_.load()) loudest_.store(peak);  // this thread alone writes it
        ++blockCount_;
        SetEvent(arrived_.get());
        h.dwFlags &= ~DWORD(WHDR_DONE);
        waveInAddBuffer(in_, &h, sizeof(WAVEHDR));
        next = (next + 1) % kBlocks;
      }
    }
  }

  HWAVEIN in_ = nullptr;
  UniqueHandle ready_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  UniqueHandle arrived_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  WAVEHDR headers_[kBlocks];
  int16_t samples_[kBlocks][kSamples];
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<int> loudest_{0};
  std::atomic<int> blockCount_{0};
  std::mutex mutex_;
  std::vector<Block> blocks_;
};

// Without a device these tests skip; the test script provides one and sets
// BOARD_REQUIRE_AUDIO, and there a missing device or source is a failure.
#define REQUIRE_AUDIO(present, why)               \
  if (!(present)) {                               \
    if (std::getenv("BOARD_REQUIRE_AUDIO")) FAIL() << why; \
    GTEST_SKIP() << why;                          \
  }

class RealDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_AUDIO(waveOutGetNumDevs() != 0,
                  "no waveOut device: start PulseAudio with a null sink (the test script "
                  "does) to run the real-device tests");
    SetWaveOutApi(spy().wrap(&RealWaveOutApi()));
  }
  void TearDown() override {
    StopAllPlayers(1);
    EXPECT_EQ(LivePlayerCount(), 0);
    SetWaveOutApi(nullptr);
  }
  static DeviceSpy& spy() { return DeviceSpy::Instance(); }
  static bool WaitAllClosed(int n) {
    return spy().waitUntil([n](DeviceSpy& s) { return s.closed() >= n; }, kWaitMs);
  }
};

TEST_F(RealDeviceTest, ToneIsHeardAndThePlayerEndsByItself) {
  Recorder recorder;
  REQUIRE_AUDIO(recorder.start(), kNoSource);
  const auto tone = ToneWav(0.6, 1000);
  ASSERT_EQ(StartWavPlayer(tone.data(), int32_t(tone.size()), 0), 1);
  ASSERT_TRUE(WaitAllClosed(1)) << "the player did not end by itself after its clip";
  EXPECT_EQ(LivePlayerCount(), 0);
  EXPECT_EQ(spy().opens(), 1);
  EXPECT_TRUE(recorder.waitLoud(8000, 2000)) << "the tone never reached the sink";
}

TEST_F(RealDeviceTest, TwoClipsPlayAtOnce) {
  const auto low = ToneWav(0.8, 500);
  const auto high = ToneWav(0.8, 1500);
  ASSERT_EQ(StartWavPlayer(low.data(), int32_t(low.size()), 0), 1);
  ASSERT_EQ(StartWavPlayer(high.data(), int32_t(high.size()), 0), 1);
  EXPECT_EQ(LivePlayerCount(), 2);
  EXPECT_EQ(spy().opens(), 2) << "two streams open together";
  ASSERT_TRUE(WaitAllClosed(2)) << "the two players did not both end by themselves";
  EXPECT_EQ(LivePlayerCount(), 0);
}

TEST_F(RealDeviceTest, WaitingStopSilencesAndEmptiesTheList) {
  Recorder recorder;
  REQUIRE_AUDIO(recorder.start(), kNoSource);
  const auto tone = ToneWav(0.3, 800);
  ASSERT_EQ(StartWavPlayer(tone.data(), int32_t(tone.size()), 1), 1);
  ASSERT_TRUE(recorder.waitLoud(8000, 3000)) << "the looping tone never reached the sink";
  const double loudAt = NowMs();
  StopAllPlayers(1);
  const double stoppedAt = NowMs();
  EXPECT_EQ(LivePlayerCount(), 0);
  EXPECT_TRUE(spy().waitUntil([](DeviceSpy& s) { return s.closed() == 1; }, 0))
      << "the stream was not closed when the waiting stop returned";
  Sleep(700);  // listen to what follows the stop
  EXPECT_GE(recorder.peakBetween(loudAt - 100, stoppedAt), 8000);
  EXPECT_LT(recorder.peakBetween(stoppedAt + 300, NowMs()), 500) << "sound went on after the stop";
}

}  // namespace
}  // namespace board
