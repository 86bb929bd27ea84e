// PlayMusic and StopPlayback through the host's service entry, against the fake device.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "audio/win32/commands.h"
#include "audio/win32/host.h"
#include "audio/win32/sound_host.h"
#include "tests/wine/wave_test_support.h"

namespace board {
namespace {

using testing::FakeWaveOut;
using testing::MakeWav;

constexpr DWORD kWaitMs = 5000;

// The host lives for the whole test program, as it does for the whole board.
class HostEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { HostStart(); }
  void TearDown() override { HostEnd(); }
};
const auto* const kHostEnvironment = ::testing::AddGlobalTestEnvironment(new HostEnvironment);

// A stored ByteSet: marker 1, byte count, bytes.
std::vector<uint8_t> Stored(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> out;
  testing::PutU32(out, kByteSetMarker);
  testing::PutU32(out, uint32_t(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

class PlayCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake().Reset();
    players().testSeam().settings.device = fake().api();
    SetHostService(&HostService);  // other suites install recorders of their own
  }
  void TearDown() override {
    players().StopAllPlayers(1);
    EXPECT_EQ(fake().faults(), std::vector<std::string>{});
    players().testSeam().settings.device = &RealWaveOutApi();
    SetHostService(&HostService);
  }
  static FakeWaveOut& fake() { return FakeWaveOut::Instance(); }
  static PlayerList& players() { return RunningHost()->wavPlayers(); }

  static bool Play(const ArgRecord& sound, ArgRecord loop = ArgOmitted()) {
    const ArgRecord args[] = {sound, loop};
    ResultRecord result;
    result.value = 77;
    PlayMusic(result, args);
    EXPECT_EQ(result.type, uint32_t(kArgBool));
    return result.value != 0;
  }
  static bool PlayBytes(const std::vector<uint8_t>& bytes, ArgRecord loop = ArgOmitted()) {
    const auto stored = Stored(bytes);
    return Play(ArgByteSet(stored.data()), loop);
  }
  static void WaitClosed(int stream, const char* what) {
    ASSERT_TRUE(fake().waitUntil([&](FakeWaveOut& f) { return f.closedOf(stream); }, kWaitMs)) << what;
  }
};

TEST_F(PlayCommandsTest, ByteSetPlaysOnceAndEndsByItself) {
  const auto wav = MakeWav({.dataBytes = 2 * kBufferStep});
  EXPECT_TRUE(PlayBytes(wav));
  EXPECT_TRUE(PlayBytes(wav)) << "a second play while the first sounds";
  ASSERT_TRUE(fake().waitUntil([](FakeWaveOut& f) { return f.writesOf(0) == 2 && f.writesOf(1) == 2; },
                               kWaitMs))
      << "the two clips were not both queued";
  EXPECT_EQ(players().LivePlayerCount(), 2);
  fake().returnOldest(0, 2);
  fake().returnOldest(1, 2);
  WaitClosed(0, "the first clip did not end after playing once");
  WaitClosed(1, "the second clip did not end after playing once");
  EXPECT_EQ(fake().stream(0).writes.size(), 2u);
}

TEST_F(PlayCommandsTest, LoopRepeatsUntilStopPlaybackAndANewPlayWorksAfter) {
  const auto wav = MakeWav({.dataBytes = 1000});
  ASSERT_TRUE(PlayBytes(wav, ArgBool(true)));
  for (size_t pass = 1; pass <= 3; ++pass) {
    ASSERT_TRUE(fake().waitUntil([&](FakeWaveOut& f) { return f.writesOf(0) >= pass; }, kWaitMs))
        << "pass " << pass << " was not played";
    fake().returnOldest(0);
  }
  EXPECT_EQ(players().LivePlayerCount(), 1);
  StopPlayback();
  WaitClosed(0, "StopPlayback did not end the looping clip");

  ASSERT_TRUE(PlayBytes(wav));
  ASSERT_TRUE(fake().waitUntil([](FakeWaveOut& f) { return f.writesOf(1) == 1; }, kWaitMs))
      << "nothing played after StopPlayback";
  fake().returnOldest(1);
  WaitClosed(1, "the clip after StopPlayback did not end");
}

TEST_F(PlayCommandsTest, StopPlaybackWithNothingPlayingChangesNothing) {
  StopPlayback();
  EXPECT_EQ(players().LivePlayerCount(), 0);
  EXPECT_EQ(CallHostService(kServiceStop, 0, 0), 0);
}

TEST_F(PlayCommandsTest, RefusedSoundsGiveFalseAndPlayNothing) {
  auto notWave = MakeWav({.dataBytes = 100});
  std::memcpy(notWave.data() + 8, "WAVX", 4);
  std::vector<uint8_t> header20 = MakeWav({.dataBytes = 100});
  header20.resize(20);
  const std::vector<uint8_t> midi4 = {'M', 'T', 'h', 'd'};
  const std::vector<uint8_t> noise(64, 0x55);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } byteCases[] = {
      {"empty byte set", {}},
      {"RIFF without WAVE", notWave},
      {"20-byte RIFF/WAVE header", header20},
      {"4 bytes MThd", midi4},
      {"neither kind", noise},
  };
  for (const auto& c : byteCases) EXPECT_FALSE(PlayBytes(c.bytes)) << c.name;

  std::vector<uint8_t> badMarker = Stored(MakeWav({.dataBytes = 100}));
  badMarker[0] = 2;
  EXPECT_FALSE(Play(ArgByteSet(badMarker.data()))) << "a byte set without its marker";
  EXPECT_FALSE(Play(ArgByteSet(nullptr))) << "null byte set";
  EXPECT_FALSE(Play(ArgText(""))) << "empty text";
  EXPECT_FALSE(Play(ArgText(nullptr))) << "null text";
  EXPECT_FALSE(Play(ArgText("Z:\\no\\such\\clip.wav"))) << "missing file";
  EXPECT_FALSE(Play(ArgInt(5))) << "an int";
  EXPECT_FALSE(Play(ArgOmitted())) << "no sound";
  ResultRecord result;
  PlayMusic(result, {});
  EXPECT_EQ(result.value, 0u) << "no arguments at all";
  EXPECT_EQ(fake().streamCount(), 0);
  EXPECT_EQ(HostService(kServicePlay, 0, 0), 0) << "null request address";
  const auto wav = MakeWav({.dataBytes = 100});
  const PlayRequest negative{wav.data(), -5, 0};
  EXPECT_EQ(HostService(kServicePlay, reinterpret_cast<intptr_t>(&negative), 0), 0)
      << "negative length";
  EXPECT_EQ(HostService(1234, 0, 0), 0);
}

TEST_F(PlayCommandsTest, MidiDataIsAcceptedWithoutPlayingAnyWave) {
  std::vector<uint8_t> midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96};
  EXPECT_TRUE(PlayBytes(midi));
  EXPECT_TRUE(PlayBytes({'M', 'T', 'h', 'd', 0})) << "five bytes are enough to be MIDI";
  EXPECT_EQ(fake().streamCount(), 0);
  StopPlayback();
}

TEST_F(PlayCommandsTest, MissingHostServiceMakesEveryCallFail) {
  SetHostService(nullptr);
  EXPECT_FALSE(PlayBytes(MakeWav({.dataBytes = 100})));
  StopPlayback();
  EXPECT_EQ(fake().streamCount(), 0);
}

class TempFile {
 public:
  explicit TempFile(const std::vector<uint8_t>& bytes) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "snd", 0, path_);
    UniqueHandle f(CreateFileA(path_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
  }
  ~TempFile() { DeleteFileA(path_); }
  const char* path() const { return path_; }

 private:
  char path_[MAX_PATH] = {};
};

TEST_F(PlayCommandsTest, FileOnDiskPlaysAndEmptyOrWriteLockedFilesFail) {
  const auto wav = MakeWav({.dataBytes = 3000});
  TempFile clip(wav);
  ASSERT_TRUE(Play(ArgText(clip.path())));
  ASSERT_TRUE(fake().waitUntil([](FakeWaveOut& f) { return f.writesOf(0) == 1; }, kWaitMs))
      << "the file's clip did not play";
  const auto written = fake().stream(0).writes[0];
  EXPECT_EQ(written.length, 3000u);
  EXPECT_TRUE(written.patternIntact);
  fake().returnOldest(0);
  WaitClosed(0, "the file's clip did not end");

  TempFile empty({});
  EXPECT_FALSE(Play(ArgText(empty.path()))) << "empty file";
  // Someone holding the file open for writing keeps the command out.
  UniqueHandle writer(CreateFileA(clip.path(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  EXPECT_FALSE(Play(ArgText(clip.path()))) << "a file open for writing elsewhere";
  EXPECT_EQ(fake().streamCount(), 1);
}

}  // namespace
}  // namespace board
