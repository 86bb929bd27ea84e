// The MIDI player on winmm's own midiStream calls, with whatever MIDI device Wine offers.
// Without one, open must fail at once, and nothing may hang or stay behind; with one, the
// piece must play through its first buffers and close cleanly.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <thread>

#include "audio/win32/midi_player.h"
#include "tests/native/midi_builder.h"
#include "tests/wine/wave_test_support.h"

namespace board {
namespace {

constexpr DWORD kWaitMs = 8000;

// Runs `work` on a thread of its own and says whether it finished within `ms`.
template <typename Work>
bool FinishesWithin(DWORD ms, Work work) {
  UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread worker([&] {
    work();
    SetEvent(done.get());
  });
  const bool finished = WaitForSingleObject(done.get(), ms) == WAIT_OBJECT_0;
  if (finished) worker.join();
  else worker.detach();  // the failure is reported; joining would hang the test program
  return finished;
}

TEST(MidiRealDeviceTest, PlaysOnTheDeviceWineOffersOrFailsCleanlyWithoutOne) {
  const UINT devices = midiOutGetNumDevs();
  std::printf("[ MIDI     ] midiOutGetNumDevs() = %u\n", devices);
  for (UINT i = 0; i < devices; ++i) {
    MIDIOUTCAPSW caps{};
    if (midiOutGetDevCapsW(i, &caps, sizeof caps) == MMSYSERR_NOERROR)
      std::printf("[ MIDI     ] device %u: %ls (technology %u)\n", i, caps.szPname, caps.wTechnology);
  }
  const auto piece = testing::ScalePiece(40, 12);
  {
    MidiPlayer warmUp;  // winmm loads its drivers on first use; that is not a leak
    FinishesWithin(kWaitMs, [&] { warmUp.open(piece.data(), int32_t(piece.size()), nullptr); });
  }
  const DWORD handlesBefore = testing::OpenHandleCount();
  {
    MidiPlayer player;
    int32_t opened = -1;
    ASSERT_TRUE(FinishesWithin(kWaitMs, [&] { opened = player.open(piece.data(), int32_t(piece.size()), nullptr); }))
        << "midiStreamOpen did not return";
    std::printf("[ MIDI     ] open on the MIDI mapper returned %d\n", opened);
    if (devices == 0) {
      EXPECT_EQ(opened, 0) << "no device, yet the open succeeded";
      EXPECT_FALSE(player.loaded());
    } else if (opened == 1) {
      ASSERT_EQ(player.play(0), 1);
      const ULONGLONG deadline = GetTickCount64() + kWaitMs;
      while (player.bytesPlayed() == 0 && GetTickCount64() < deadline) Sleep(20);  // polled: no event to wait for
      EXPECT_GT(player.bytesPlayed(), 0) << "the device never handed a buffer back";
      EXPECT_TRUE(FinishesWithin(kWaitMs, [&] { player.close(); })) << "close did not return";
    }
  }
  EXPECT_EQ(testing::OpenHandleCount(), handlesBefore) << "the real device's open kept handles";
}

}  // namespace
}  // namespace board
