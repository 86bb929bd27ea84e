// PlayMusic and StopPlayback with MIDI data: the host's one MIDI player against the fake
// stream device. A new piece replaces the old one, the loop flag reaches the player, WAV
// clips are not touched, and StopPlayback closes the stream.
#include <gtest/gtest.h>
#include <windows.h>

#include "audio/win32/commands.h"
#include "audio/win32/host.h"
#include "audio/win32/sound_host.h"
#include "tests/native/midi_builder.h"
#include "tests/wine/midi_test_support.h"

namespace board {
namespace {

using testing::FakeMidiStream;
using testing::FakeWaveOut;
using testing::MidiCall;

constexpr DWORD kWaitMs = 5000;

bool PlayBytes(const std::vector<uint8_t>& bytes, bool loop) {
  std::vector<uint8_t> stored;
  testing::PutU32(stored, kByteSetMarker);
  testing::PutU32(stored, uint32_t(bytes.size()));
  stored.insert(stored.end(), bytes.begin(), bytes.end());
  const ArgRecord args[] = {ArgByteSet(stored.data()), loop ? ArgBool(true) : ArgOmitted()};
  ResultRecord result;
  PlayMusic(result, args);
  return result.value != 0;  // the host keeps its own copy: `stored` may go now
}

class MidiHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    midi().Reset();
    FakeWaveOut::Instance().Reset();
    host().midiPlayer().testSeam().device = midi().api();
    host().wavPlayers().testSeam().settings.device = FakeWaveOut::Instance().api();
    SetHostService(&HostService);
  }
  void TearDown() override {
    host().StopAllSound(true);
    EXPECT_TRUE(midi().waitUntil([](FakeMidiStream& f) { return f.idle(); }, kWaitMs));
    EXPECT_EQ(midi().faults(), std::vector<std::string>{});
    host().midiPlayer().testSeam().device = &RealMidiStreamApi();
    host().wavPlayers().testSeam().settings.device = &RealWaveOutApi();
  }
  static SoundHost& host() { return *RunningHost(); }
  static FakeMidiStream& midi() { return FakeMidiStream::Instance(); }
  static bool Restarted(int id) {
    const auto calls = midi().stream(id).calls;
    return std::count(calls.begin(), calls.end(), MidiCall::kRestart) == 1;
  }
};

TEST_F(MidiHostTest, NewPieceReplacesTheOldAndStopPlaybackClosesIt) {
  ASSERT_TRUE(PlayBytes(testing::ScalePiece(50), false));
  EXPECT_EQ(midi().streamCount(), 1);
  EXPECT_TRUE(Restarted(0)) << "the piece was opened but not played";

  ASSERT_TRUE(PlayBytes(testing::ScalePiece(3), true));
  EXPECT_TRUE(midi().stream(0).closed) << "the first piece still sounds beside the second";
  ASSERT_EQ(midi().streamCount(), 2);
  EXPECT_TRUE(Restarted(1));
  // Looping: the short piece keeps coming round.
  for (size_t n = 3; n <= 8; ++n) {
    ASSERT_EQ(midi().returnOldest(1), 1);
    ASSERT_TRUE(midi().waitUntil([&](FakeMidiStream& f) { return f.outsOf(1) >= n; }, kWaitMs))
        << "the looping piece stopped after " << n - 1 << " buffers";
  }
  EXPECT_EQ(midi().streamCount(), 2) << "a loop reopened its stream";

  // A WAV clip plays beside the piece and leaves it alone.
  ASSERT_TRUE(PlayBytes(testing::MakeWav({.dataBytes = 1000}), false));
  EXPECT_FALSE(midi().stream(1).closed);

  StopPlayback();
  EXPECT_TRUE(midi().stream(1).closed);
  EXPECT_EQ(midi().stream(1).prepared, 0);
  StopPlayback();  // nothing loaded: nothing to do
  EXPECT_EQ(midi().streamCount(), 2);

  // Data that only looks like MIDI is accepted, opens no stream, and later plays still work.
  EXPECT_TRUE(PlayBytes({'M', 'T', 'h', 'd', 0, 0, 0, 6}, false));
  EXPECT_EQ(midi().streamCount(), 2);
  ASSERT_TRUE(PlayBytes(testing::ScalePiece(5), false));
  EXPECT_TRUE(Restarted(2));
}

}  // namespace
}  // namespace board
