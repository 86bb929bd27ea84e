// The WAV player on the real waveOut device. Under Wine the device is a PulseAudio null sink
// whose monitor is the default recording source, so the test hears what it plays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <vector>

#include "audio/win32/player_list.h"
#include "tests/support/wave_in_recorder.h"
#include "tests/wine/wave_test_support.h"

namespace board {
namespace {

using testing::DeviceSpy;
using testing::NowMs;
using Recorder = testing::WaveInRecorder;

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
  }
  void TearDown() override {
    players.StopAllPlayers(1);
    EXPECT_EQ(players.LivePlayerCount(), 0);
  }
  static DeviceSpy& spy() { return DeviceSpy::Instance(); }
  static bool WaitAllClosed(int n) {
    return spy().waitUntil([n](DeviceSpy& s) { return s.closed() >= n; }, kWaitMs);
  }

  PlayerList players{*DeviceSpy::Instance().wrap(&RealWaveOutApi())};
};

TEST_F(RealDeviceTest, ToneIsHeardAndThePlayerEndsByItself) {
  Recorder recorder;
  REQUIRE_AUDIO(recorder.start(), kNoSource);
  const auto tone = ToneWav(0.6, 1000);
  ASSERT_EQ(players.StartWavPlayer(tone, false), 1);
  ASSERT_TRUE(WaitAllClosed(1)) << "the player did not end by itself after its clip";
  EXPECT_EQ(players.LivePlayerCount(), 0);
  EXPECT_EQ(spy().opens(), 1);
  EXPECT_TRUE(recorder.waitLoud(8000, 2000)) << "the tone never reached the sink";
}

TEST_F(RealDeviceTest, TwoClipsPlayAtOnce) {
  const auto low = ToneWav(0.8, 500);
  const auto high = ToneWav(0.8, 1500);
  ASSERT_EQ(players.StartWavPlayer(low, false), 1);
  ASSERT_EQ(players.StartWavPlayer(high, false), 1);
  EXPECT_EQ(players.LivePlayerCount(), 2);
  EXPECT_EQ(spy().opens(), 2) << "two streams open together";
  ASSERT_TRUE(WaitAllClosed(2)) << "the two players did not both end by themselves";
  EXPECT_EQ(players.LivePlayerCount(), 0);
}

TEST_F(RealDeviceTest, WaitingStopSilencesAndEmptiesTheList) {
  Recorder recorder;
  REQUIRE_AUDIO(recorder.start(), kNoSource);
  const auto tone = ToneWav(0.3, 800);
  ASSERT_EQ(players.StartWavPlayer(tone, true), 1);
  ASSERT_TRUE(recorder.waitLoud(8000, 3000)) << "the looping tone never reached the sink";
  const double loudAt = NowMs();
  players.StopAllPlayers(1);
  const double stoppedAt = NowMs();
  EXPECT_EQ(players.LivePlayerCount(), 0);
  EXPECT_TRUE(spy().waitUntil([](DeviceSpy& s) { return s.closed() == 1; }, 0))
      << "the stream was not closed when the waiting stop returned";
  Sleep(700);  // listen to what follows the stop
  EXPECT_GE(recorder.peakBetween(loudAt - 100, stoppedAt), 8000);
  EXPECT_LT(recorder.peakBetween(stoppedAt + 300, NowMs()), 500) << "sound went on after the stop";
}

}  // namespace
}  // namespace board
