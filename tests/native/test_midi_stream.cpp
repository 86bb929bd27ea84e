// MIDI file reading and stream-event conversion: the header and track checks, the event
// reader, the merge of tracks, the buffer span rule, tempo handling and the loop.
#include <gtest/gtest.h>

#include <vector>

#include "audio/midi_stream_writer.h"
#include "tests/native/midi_builder.h"

namespace board {
namespace {

using testing::MidiFile;
using testing::ScalePiece;
using testing::Track;

// Every buffer a piece fills, in order, until the fill stops filling.
struct Converted {
  std::vector<std::vector<StreamEvent>> buffers;
  FillResult last = FillResult::kFilled;
  std::vector<StreamEvent> all() const {
    std::vector<StreamEvent> out;
    for (const auto& b : buffers) out.insert(out.end(), b.begin(), b.end());
    return out;
  }
};

Converted Convert(MidiConverter& c, int maxBuffers = 1000) {
  Converted out;
  std::vector<uint8_t> block(kStreamBufferBytes);
  StreamBuffer buffer{block.data(), 0, kStreamBufferBytes};
  for (int i = 0; i < maxBuffers; ++i) {
    out.last = c.fill(buffer, i == 0);
    if (out.last != FillResult::kFilled) break;
    EXPECT_LE(buffer.written, kStreamBufferBytes);
    EXPECT_EQ(buffer.written % kStreamEventBytes, 0u);
    out.buffers.push_back(ReadStreamEvents(block.data(), buffer.written));
  }
  return out;
}

Converted ConvertFile(const std::vector<uint8_t>& file, bool loop = false, int maxBuffers = 1000) {
  MidiConverter c;
  EXPECT_TRUE(c.load(file.data(), file.size()));
  c.loop = loop;
  return Convert(c, maxBuffers);
}

StreamEvent Short(uint32_t delta, uint8_t status, uint8_t d1, uint8_t d2 = 0) {
  return {delta, 0, kMevtShortMsg | status | uint32_t(d1) << 8 | uint32_t(d2) << 16};
}
StreamEvent Tempo(uint32_t delta, uint32_t us) { return {delta, 0, kMevtTempo | us}; }

TEST(MidiFileTest, RefusesBrokenHeadersAndTracksThatLieAboutTheirSize) {
  const auto good = MidiFile(96, {Track().on(0, 0, 60).end(), Track().end()});
  auto with = [&](size_t at, std::initializer_list<uint8_t> bytes) {
    auto f = good;
    std::copy(bytes.begin(), bytes.end(), f.begin() + long(at));
    return f;
  };
  auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + long(n)); };
  const size_t track2 = 14 + 8 + Track().on(0, 0, 60).end().body().size();
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } refused[] = {
      {"no MThd", with(0, {'M', 'T', 'h', 'x'})},
      {"header length 7", with(4, {0, 0, 0, 7})},
      {"header cut short", cut(13)},
      {"second track not MTrk", with(track2, {'X', 'T', 'r', 'k'})},
      {"second track missing", cut(track2)},
      {"first track one byte past the data", with(18, {0, 0, 0, uint8_t(good.size() - 22 + 1)})},
      {"first track size 0xFFFFFFFF", with(18, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"last track cut by one byte", cut(good.size() - 1)},
      {"first delta never ends", with(22, {0x81, 0x81, 0x81, 0x81})},
  };
  MidiHeader header;
  std::vector<MidiTrack> tracks;
  for (const auto& c : refused) {
    EXPECT_FALSE(ReadMidiFile(c.bytes.data(), c.bytes.size(), header, tracks)) << c.name;
    MidiConverter converter;
    EXPECT_FALSE(converter.load(c.bytes.data(), c.bytes.size())) << c.name;
  }

  ASSERT_TRUE(ReadMidiFile(good.data(), good.size(), header, tracks));
  EXPECT_EQ(header.format, 1);
  EXPECT_EQ(header.trackCount, 2);
  EXPECT_EQ(header.timeDivision, 96);
  // A size-0 track is ended from the start; bytes after the last track are ignored.
  auto extra = MidiFile(96, {Track().on(5, 0, 60).end(), Track()});
  extra.push_back(0x42);
  ASSERT_TRUE(ReadMidiFile(extra.data(), extra.size(), header, tracks));
  EXPECT_EQ(tracks[0].nextTick, 5u);
  EXPECT_FALSE(tracks[0].ended());
  EXPECT_TRUE(tracks[1].ended());
}

TEST(MidiFileTest, TypeZeroEventsComeOutInOrderWithTheirDeltas) {
  Track t;
  t.tempo(0, 400000).on(0, 0, 60).raw(10, {0xC3, 5}).on(0x81, 1, 62).off(20, 0, 60).end(7);
  const auto events = ConvertFile(MidiFile(96, {t}, 0)).all();
  const std::vector<StreamEvent> expected = {
      Tempo(0, 400000), Short(0, 0x90, 60, 100), Short(10, 0xC3, 5),
      Short(0x81, 0x91, 62, 100), Short(20, 0x80, 60)};
  EXPECT_EQ(events, expected);
}

TEST(MidiFileTest, EqualTicksTakeTheLowerTrackFirst) {
  Track a, b, c;
  a.on(10, 0, 60).on(10, 0, 61).end();  // ticks 10, 20
  b.on(0, 1, 70).on(10, 1, 71).on(10, 1, 72).end();  // ticks 0, 10, 20
  c.on(20, 2, 80).end();  // tick 20
  const auto events = ConvertFile(MidiFile(96, {a, b, c})).all();
  const std::vector<StreamEvent> expected = {
      Short(0, 0x91, 70, 100), Short(10, 0x90, 60, 100), Short(0, 0x91, 71, 100),
      Short(10, 0x90, 61, 100), Short(0, 0x91, 72, 100), Short(0, 0x92, 80, 100)};
  EXPECT_EQ(events, expected);
}

TEST(MidiFileTest, RunningStatusCarriesAcrossNotesAndItsAbsenceFailsTheRead) {
  Track t;
  t.raw(0, {0x92, 60, 100}).raw(1, {62, 101}).raw(1, {0xC2, 9}).raw(1, {10}).raw(1, {64});
  t.end();
  const auto events = ConvertFile(MidiFile(96, {t})).all();
  const std::vector<StreamEvent> expected = {Short(0, 0x92, 60, 100), Short(1, 0x92, 62, 101),
                                             Short(1, 0xC2, 9), Short(1, 0xC2, 10),
                                             Short(1, 0xC2, 64)};
  EXPECT_EQ(events, expected) << "one-byte messages keep their running status too";

  const struct {
    const char* name;
    Track track;
  } broken[] = {
      {"data byte before any status", Track().raw(0, {60, 100}).end()},
      {"status 0xF1", Track().on(0, 0, 60).raw(0, {0xF1, 1}).end()},
      {"status 0xFE", Track().on(0, 0, 60).raw(0, {0xFE}).end()},
      {"note cut by the track end", Track().raw(0, {0x90, 60})},
      {"meta length past the track", Track().raw(0, {0xFF, 0x01, 0x10, 'a'})},
      {"sysex length past the track", Track().raw(0, {0xF0, 0x8F, 0x7F})},
  };
  for (const auto& c : broken) {
    const auto file = MidiFile(96, {c.track});
    MidiConverter converter;
    ASSERT_TRUE(converter.load(file.data(), file.size())) << c.name;
    const Converted out = Convert(converter);
    EXPECT_EQ(out.last, FillResult::kError) << c.name;
    EXPECT_TRUE(converter.fillFlags() & kReadError) << c.name;
    std::vector<uint8_t> block(kStreamBufferBytes);
    StreamBuffer again{block.data(), 0, kStreamBufferBytes};
    EXPECT_EQ(converter.fill(again, false), FillResult::kError) << c.name << ": nothing follows";
  }
}

TEST(MidiFileTest, WritesChannelMessagesFlagsVolumeAndDropsTheRestWithoutLosingTime) {
  Track t;
  t.raw(0, {0xB3, 7, 90})                          // channel volume: reported back
      .raw(0, {0xB3, 10, 64})                      // pan: no callback
      .raw(100, {0xF0, 0x03, 0x43, 0x12, 0xF7})    // system exclusive
      .raw(50, {0xFF, 0x01, 0x02, 'h', 'i'})       // text meta
      .raw(50, {0xE0, 0x00, 0x40})
      .end();
  const auto events = ConvertFile(MidiFile(96, {t})).all();
  const std::vector<StreamEvent> expected = {
      {0, 0, kMevtFCallback | 0xB3 | 7 << 8 | 90 << 16}, Short(0, 0xB3, 10, 64),
      Short(200, 0xE0, 0x00, 0x40)};
  EXPECT_EQ(events, expected);
}

// One note-on per tick; with the span limit s a buffer holds the events of s + 2 ticks.
TEST(MidiFileTest, TempoChangeMidPieceChangesTheSpanFromThatPoint) {
  Track t;
  t.tempo(0, 500000).raw(1, {0x90, 1, 1});
  for (int i = 0; i < 200; ++i) t.raw(1, {uint8_t(i % 100), 1});
  t.tempo(0, 250000);
  for (int i = 0; i < 200; ++i) t.raw(1, {uint8_t(i % 100), 1});
  t.end();
  MidiConverter c;
  const auto file = MidiFile(96, {t});
  ASSERT_TRUE(c.load(file.data(), file.size()));
  const Converted out = Convert(c);
  EXPECT_EQ(c.spanLimit(), 96u * 60000 / 250000);
  size_t tempoAt = 0;
  for (size_t i = 0; i < out.buffers.size(); ++i)
    for (const auto& e : out.buffers[i])
      if (e.event == (kMevtTempo | 250000)) tempoAt = i;
  ASSERT_GT(tempoAt, 2u);
  const size_t before = 96 * 60000 / 500000, after = 96 * 60000 / 250000;
  for (size_t i = 1; i + 1 < tempoAt; ++i)
    EXPECT_EQ(out.buffers[i].size(), before + 2) << "buffer " << i << " at 500,000 µs";
  for (size_t i = tempoAt + 1; i + 1 < out.buffers.size(); ++i)
    EXPECT_EQ(out.buffers[i].size(), after + 2) << "buffer " << i << " at 250,000 µs";
}

TEST(MidiFileTest, WithoutTempoTheSpanIsZeroAndABufferClosesAtTheSecondChangeOfTick) {
  Track t;
  t.on(0, 0, 60).on(0, 0, 61).on(10, 0, 62).on(0, 0, 63).on(10, 0, 64).on(10, 0, 65).end();
  const Converted out = ConvertFile(MidiFile(96, {t}));
  ASSERT_EQ(out.buffers.size(), 2u);
  const std::vector<StreamEvent> first = {Short(0, 0x90, 60, 100), Short(0, 0x90, 61, 100),
                                          Short(10, 0x90, 62, 100), Short(0, 0x90, 63, 100)};
  const std::vector<StreamEvent> second = {Short(10, 0x90, 64, 100), Short(10, 0x90, 65, 100)};
  EXPECT_EQ(out.buffers[0], first);
  EXPECT_EQ(out.buffers[1], second) << "the event that did not fit opens the next buffer";
}

TEST(MidiFileTest, LoopRestartsAtTickZeroRightAfterTheLastEvent) {
  const auto file = ScalePiece(3);
  const auto once = ConvertFile(file).all();
  ASSERT_EQ(once.size(), 7u);
  const Converted looped = ConvertFile(file, true, 20);
  EXPECT_EQ(looped.last, FillResult::kFilled);
  const auto events = looped.all();
  ASSERT_GE(events.size(), 3 * once.size());
  for (size_t i = 0; i < events.size(); ++i)
    EXPECT_EQ(events[i], once[i % once.size()]) << "event " << i;

  const Converted ended = ConvertFile(file, false);
  EXPECT_EQ(ended.last, FillResult::kEnd);
  // A looping piece with nothing to play ends rather than spinning on empty buffers.
  const Converted empty = ConvertFile(MidiFile(96, {Track().raw(0, {0xFF, 1, 1, 'x'}).end(), Track()}), true);
  EXPECT_EQ(empty.last, FillResult::kEnd);
}

TEST(MidiFileTest, ZeroAndShortTempoEventsAreRefused) {
  Track t;
  t.tempo(0, 0).on(1, 0, 60).tempo(1, 250000).tempo(1, 0).on(1, 0, 61);
  t.raw(1, {0xFF, 0x51, 0x00}).raw(1, {0xFF, 0x51, 0x02, 0x07, 0xA1});  // the last bytes of the file
  MidiConverter c;
  const auto file = MidiFile(96, {t});
  ASSERT_TRUE(c.load(file.data(), file.size()));
  const std::vector<StreamEvent> expected = {Tempo(0, kDefaultTempo), Short(1, 0x90, 60, 100),
                                             Tempo(1, 250000), Tempo(1, 250000),
                                             Short(1, 0x90, 61, 100)};
  EXPECT_EQ(Convert(c).all(), expected);
  EXPECT_EQ(c.tempo(), 250000u);
  EXPECT_EQ(c.spanLimit(), 96u * 60000 / 250000);
}

TEST(MidiFileTest, InsertedTempoLeadsTheNextEventAndWaitsWhenOnlyTheEventFits) {
  const auto file = ScalePiece(200, 0);  // every event on tick 0: only space closes a buffer
  MidiConverter c;
  ASSERT_TRUE(c.load(file.data(), file.size()));
  std::vector<uint8_t> block(kStreamBufferBytes);
  StreamBuffer buffer{block.data(), 0, kStreamBufferBytes};
  ASSERT_EQ(c.fill(buffer, true), FillResult::kFilled);
  c.insertTempo = true;
  buffer.capacity = 2 * kStreamEventBytes - 1;  // room for the event only
  ASSERT_EQ(c.fill(buffer, false), FillResult::kFilled);
  EXPECT_EQ(buffer.written, 0u) << "the tempo must not be dropped for lack of room";
  buffer.capacity = kStreamBufferBytes;
  ASSERT_EQ(c.fill(buffer, false), FillResult::kFilled);
  const auto events = ReadStreamEvents(block.data(), buffer.written);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0], Tempo(0, 500000));
  EXPECT_EQ(events[1].event >> 24, 0u) << "the pending note follows its tempo";
  EXPECT_FALSE(c.insertTempo);
}

}  // namespace
}  // namespace board
