// The MIDI player against the fake stream device, which calls back from a thread of its
// own: the buffer sequence, the end of a piece, stop during play, the loop, the done-event
// timeout, channel volumes, refused opens and what close leaves behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <thread>

#include "audio/win32/midi_player.h"
#include "tests/native/midi_builder.h"
#include "tests/wine/midi_test_support.h"

namespace board {
namespace {

using testing::FakeMidiStream;
using testing::FakeMidiStreamRecord;
using testing::MidiCall;
using testing::MidiFile;
using testing::ScalePiece;
using testing::Track;

constexpr DWORD kWaitMs = 5000;

// The buffers the player should send for `file`: the first two as a fresh stream fills
// them, then the refills, the first of which follows a play and so leads with the tempo.
std::vector<std::vector<StreamEvent>> ExpectedBuffers(const std::vector<uint8_t>& file) {
  MidiConverter c;
  EXPECT_TRUE(c.load(file.data(), file.size()));
  std::vector<uint8_t> block(kStreamBufferBytes);
  StreamBuffer b{block.data(), 0, kStreamBufferBytes};
  std::vector<std::vector<StreamEvent>> out;
  for (int i = 0; i < 10000; ++i) {
    if (i == 2) c.insertTempo = true;
    if (c.fill(b, i == 0) != FillResult::kFilled) break;
    out.push_back(ReadStreamEvents(block.data(), b.written));
  }
  return out;
}

bool IsTempo(const StreamEvent& e) { return (e.event >> 24) == 1; }

class MidiPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { fake().Reset(); }
  void TearDown() override {
    player.close();
    EXPECT_TRUE(fake().waitUntil([](FakeMidiStream& f) { return f.idle(); }, kWaitMs))
        << "the fake still had callbacks to deliver";
    EXPECT_EQ(fake().faults(), std::vector<std::string>{});
    for (int id = 0; id < fake().streamCount(); ++id) {
      const FakeMidiStreamRecord s = fake().stream(id);
      EXPECT_TRUE(s.closed) << "stream " << id << " left open";
      EXPECT_EQ(s.prepared, 0) << "stream " << id << " kept prepared headers";
    }
  }
  static FakeMidiStream& fake() { return FakeMidiStream::Instance(); }

  void Open(const std::vector<uint8_t>& file) {
    file_ = file;
    ASSERT_EQ(player.open(file_.data(), int32_t(file_.size()), nullptr), 1);
  }
  static void WaitOuts(int stream, size_t n) {
    ASSERT_TRUE(fake().waitUntil([&](FakeMidiStream& f) { return f.outsOf(stream) >= n; }, kWaitMs))
        << "stream " << stream << " did not get " << n << " buffers; it has "
        << fake().stream(stream).outs.size();
  }
  static void WaitOpened(int n, const char* what) {
    ASSERT_TRUE(fake().waitUntil([&](FakeMidiStream& f) { return f.opened() >= n; }, kWaitMs)) << what;
  }
  static void WaitClosed(int stream, const char* what) {
    ASSERT_TRUE(fake().waitUntil([&](FakeMidiStream& f) { return f.closedOf(stream); }, kWaitMs)) << what;
  }
  static void WaitIdle() {
    ASSERT_TRUE(fake().waitUntil([](FakeMidiStream& f) { return f.idle(); }, kWaitMs))
        << "the player did not take its callbacks";
  }
  // Hands buffers of `stream` back one at a time, each as soon as the player sent the one
  // before it, until `outs` buffers were sent in all.
  static void PlayThrough(int stream, size_t outs) {
    for (size_t sent = fake().stream(stream).outs.size(); sent < outs; ++sent) {
      ASSERT_EQ(fake().returnOldest(stream), 1) << "nothing queued after buffer " << sent;
      WaitOuts(stream, sent + 1);
    }
  }

  MidiPlayer player{*FakeMidiStream::Instance().api()};
  std::vector<uint8_t> file_;
};

TEST_F(MidiPlayerTest, SendsTheConvertedBuffersInTurnAndEndsWithAFreshRewoundStream) {
  Open(ScalePiece(120));
  const auto expected = ExpectedBuffers(file_);
  ASSERT_GT(expected.size(), 6u);
  FakeMidiStreamRecord s = fake().stream(0);
  EXPECT_EQ(s.timeDivision, 96u);
  ASSERT_EQ(s.outs.size(), 2u) << "open queues exactly two buffers";
  EXPECT_FALSE(s.running) << "the stream waits for play";

  ASSERT_EQ(player.play(0), 1);
  PlayThrough(0, expected.size());
  // The fill after the last event reports the end, so the buffer stays; the other one
  // coming back ends the piece.
  ASSERT_EQ(fake().returnOldest(0, 2), 2);
  WaitOpened(2, "no fresh stream after the end of the piece");
  WaitClosed(0, "the ended stream was not closed");
  WaitIdle();

  s = fake().stream(0);
  ASSERT_EQ(s.outs.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(s.outs[i].header, s.outs[i % 2].header) << "buffer " << i << " is not in turn";
    EXPECT_EQ(s.outs[i].events, expected[i]) << "buffer " << i;
  }
  EXPECT_NE(s.outs[0].header, s.outs[1].header);
  EXPECT_EQ(player.stopState(), kMidiRunning);
  EXPECT_FALSE(player.playing());
  EXPECT_GT(player.bytesPlayed(), 0);

  // The fresh stream is paused with both (empty) buffers; played again, it starts over.
  const FakeMidiStreamRecord fresh = fake().stream(1);
  EXPECT_FALSE(fresh.running);
  EXPECT_EQ(fresh.queued.size(), 2u);
  ASSERT_EQ(player.play(0), 1);
  ASSERT_EQ(fake().returnOldest(1), 1);
  WaitOuts(1, 3);
  auto again = fake().stream(1).outs[2].events;
  ASSERT_FALSE(again.empty());
  EXPECT_TRUE(IsTempo(again[0])) << "the replay leads with the tempo";
  again.erase(again.begin());
  auto first = expected[0];
  first.resize(std::min(first.size(), again.size()));
  again.resize(first.size());
  EXPECT_EQ(again, first) << "the replay does not start at the beginning";
}

TEST_F(MidiPlayerTest, StopDuringPlayReturnsTheBuffersAndClosesOrReloads) {
  for (int reload : {0, 1}) {
    SCOPED_TRACE(reload ? "stop with reload" : "stop");
    fake().Reset();
    Open(ScalePiece(200));
    const auto expected = ExpectedBuffers(file_);
    ASSERT_EQ(player.play(0), 1);
    PlayThrough(0, 5);
    ASSERT_EQ(player.stop(reload), 1);
    const FakeMidiStreamRecord s = fake().stream(0);
    EXPECT_TRUE(s.closed);
    EXPECT_EQ(s.prepared, 0);
    EXPECT_TRUE(s.queued.empty());
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(fake().stream(1).outs.size(), reload ? 2u : 0u);
    if (reload) {
      EXPECT_EQ(fake().stream(1).outs[0].events, expected[5])
          << "a reload goes on where the piece was (the rewind follows for the next fill)";
      ASSERT_EQ(player.play(0), 1) << "a reloaded piece plays again";
      ASSERT_EQ(fake().returnOldest(1), 1);
      WaitOuts(1, 3);
      const auto replay = fake().stream(1).outs[2].events;
      ASSERT_GE(replay.size(), 2u);
      EXPECT_EQ(replay[1], expected[0][0]) << "after the reload the piece starts over";
    }
    player.close();
    WaitIdle();
  }
}

TEST_F(MidiPlayerTest, LoopCarriesOnAcrossTheEndWithoutAGap) {
  Open(ScalePiece(4));
  const auto once = ExpectedBuffers(file_);
  std::vector<StreamEvent> notes;
  for (const auto& b : once)
    for (const auto& e : b)
      if (!IsTempo(e)) notes.push_back(e);
  ASSERT_EQ(notes.size(), 8u);

  ASSERT_EQ(player.play(1), 1);
  PlayThrough(0, 4 * once.size());
  const FakeMidiStreamRecord s = fake().stream(0);
  EXPECT_EQ(fake().stream(1).calls.size(), 0u) << "a loop must not reopen the stream";
  std::vector<StreamEvent> played;
  for (size_t i = 0; i < s.outs.size(); ++i) {
    EXPECT_FALSE(s.outs[i].events.empty()) << "empty buffer " << i << ": a gap in the loop";
    for (const auto& e : s.outs[i].events)
      if (!IsTempo(e)) played.push_back(e);
  }
  ASSERT_GE(played.size(), 3 * notes.size());
  for (size_t i = 0; i < played.size(); ++i)
    EXPECT_EQ(played[i], notes[i % notes.size()]) << "note " << i;
  EXPECT_TRUE(player.playing());
  EXPECT_EQ(player.stopState(), kMidiRunning);
}

TEST_F(MidiPlayerTest, DoneTimeoutEndsAStopWhenTheDeviceKeepsItsBuffers) {
  for (DWORD timeout : {DWORD(50), kMidiDoneTimeoutMs}) {
    SCOPED_TRACE(timeout);
    fake().Reset();
    player.testSeam().doneTimeoutMs = timeout;
    Open(ScalePiece(200));
    ASSERT_EQ(player.play(0), 1);
    fake().SetDeaf(true);
    UniqueHandle stopped(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread stopper([&] {
      player.stop(0);
      SetEvent(stopped.get());
    });
    const DWORD waited = WaitForSingleObject(stopped.get(), timeout + kWaitMs);
    if (waited != WAIT_OBJECT_0) ADD_FAILURE() << "stop still waits for buffers the device keeps";
    stopper.join();
    EXPECT_TRUE(fake().stream(0).closed);
    EXPECT_FALSE(player.loaded());
    player.close();
  }
}

// A device that keeps both buffers past the stop's bounded wait and refuses to close: the
// stream is kept with its headers and blocks, and a late hand-back finds them there and
// reaches no player; then the stream can be closed and freed.
TEST_F(MidiPlayerTest, BuffersTheDeviceKeepsAreNeverFreedUnderIt) {
  player.testSeam().doneTimeoutMs = 50;
  fake().SetHold(true);
  Open(ScalePiece(200));
  ASSERT_EQ(player.play(0), 1);
  EXPECT_EQ(player.stop(1), 1);
  ASSERT_TRUE(fake().heldIntact(0)) << "the player freed or cleared buffers the device holds";
  EXPECT_EQ(player.abandonedStreams(), 1);
  EXPECT_EQ(player.reclaimAbandoned(), 1) << "freed while the device still holds buffers";
  const int32_t played = player.bytesPlayed();
  fake().SetHold(false);
  EXPECT_EQ(fake().handBack(0), 2);
  WaitIdle();
  EXPECT_EQ(player.bytesPlayed(), played) << "a late buffer of the old stream reached the player";
  EXPECT_EQ(player.reclaimAbandoned(), 0);
  EXPECT_TRUE(fake().stream(0).closed);
}

TEST_F(MidiPlayerTest, VolumeEventsAreReportedPerChannelAndPostedToTheNotifyWindow) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
  ASSERT_TRUE(window);
  Track t;
  t.raw(0, {0xB3, 7, 127}).raw(0, {0xB5, 7, 0}).raw(0, {0xB5, 10, 64}).on(1, 0, 60).end();
  file_ = MidiFile(96, {t});
  ASSERT_EQ(player.open(file_.data(), int32_t(file_.size()), window), 1);
  EXPECT_EQ(player.channelVolume(3), 100);
  ASSERT_EQ(player.play(0), 1);
  ASSERT_EQ(fake().returnOldest(0), 1);
  WaitIdle();
  EXPECT_EQ(player.channelVolume(3), 100);
  EXPECT_EQ(player.channelVolume(5), 0);
  EXPECT_EQ(player.channelVolume(4), 100);
  std::vector<LPARAM> posted;
  MSG msg;
  while (PeekMessageW(&msg, window, kMidiVolumeMessage, kMidiVolumeMessage, PM_REMOVE)) {
    EXPECT_EQ(msg.wParam, WPARAM(&player));
    posted.push_back(msg.lParam);
  }
  EXPECT_EQ(posted, (std::vector<LPARAM>{100 << 16 | 3, 0 << 16 | 5}));
  player.close();
  DestroyWindow(window);
}

TEST_F(MidiPlayerTest, RefusedOpensAndCloseLeaveNothingBehind) {
  const auto good = ScalePiece(300);
  auto lying = good;  // the track claims a byte more than there is
  const uint32_t size = uint32_t(good[18]) << 24 | good[19] << 16 | good[20] << 8 | good[21];
  for (int i = 0; i < 4; ++i) lying[18 + size_t(i)] = uint8_t((size + 1) >> (24 - 8 * i));
  auto zeroTempo = ScalePiece(3, 24, 96, 0);
  Open(ScalePiece(1));  // the player's first resources, so they are not counted below
  player.close();
  WaitIdle();
  fake().Reset();

  const DWORD handlesBefore = testing::OpenHandleCount();
  for (int round = 0; round < 8; ++round) {
    EXPECT_EQ(player.open(lying.data(), int32_t(lying.size()), nullptr), 0);
    EXPECT_EQ(player.open(nullptr, 100, nullptr), 0);
    EXPECT_EQ(player.open(good.data(), 4, nullptr), 0);
    EXPECT_EQ(player.play(0), 0) << "nothing loaded";
    fake().SetFailOpen(true);
    EXPECT_EQ(player.open(good.data(), int32_t(good.size()), nullptr), 0);
    fake().SetFailOpen(false);

    ASSERT_EQ(player.open(good.data(), int32_t(good.size()), nullptr), 1);
    ASSERT_EQ(player.play(round % 2), 1);
    const int id = fake().opened() - 1;
    ASSERT_EQ(fake().returnOldest(id), 1);
    WaitOuts(id, 3);
    // Opening the next piece closes this one.
    ASSERT_EQ(player.open(zeroTempo.data(), int32_t(zeroTempo.size()), nullptr), 1);
    EXPECT_TRUE(fake().stream(id).closed);
    ASSERT_EQ(player.play(0), 1);
    player.close();
    WaitIdle();
  }
  EXPECT_EQ(testing::OpenHandleCount(), handlesBefore) << "close kept handles";
  EXPECT_FALSE(player.loaded());
  EXPECT_EQ(player.channelVolume(0), 0);
}

}  // namespace
}  // namespace board
