// The reader and writer of stored window descriptions: round trips of the real description,
// every truncation, random corruption, and hand-made malformed descriptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "runtime/form_description.h"
#include "app/main_form_layout.h"
#include "form_builder/main_form_builder.h"
#include "base/byte_io.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BOARD_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define BOARD_ASAN 1
#endif
#ifdef BOARD_ASAN
#include <sanitizer/asan_interface.h>
#endif

#include "generated_files.h"

namespace board {
namespace {

const std::vector<uint8_t>& RealDescription() { return GeneratedFile("main_form.bin"); }
const std::vector<uint8_t>& RealIcon() { return GeneratedFile("app.ico"); }

void Store32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// ---- An independent encoder of records, so that malformed records can be made by hand.

struct RawRecord {
  uint32_t kind = kKindButton;
  std::string name = "b";
  std::vector<uint32_t> children;
  uint32_t cursorLength = 4;
  std::vector<std::pair<uint32_t, uint32_t>> events;
  std::vector<uint8_t> kindData;
  // Counts as stored, when they should lie.
  int64_t storedChildCount = -1;
  int64_t storedEventCount = -1;
  uint32_t reservedAfterGeometry = 0;
};

std::vector<uint8_t> Encode(const RawRecord& r) {
  ByteWriter w;
  w.u32(r.kind);
  w.zeros(20);
  w.cstring(r.name);
  w.cstring("");
  w.u32(0);
  for (int32_t v : {1, 2, 3, 4}) w.i32(v);
  w.u32(r.reservedAfterGeometry);
  w.u32(0);
  w.u32(r.storedChildCount >= 0 ? uint32_t(r.storedChildCount) : uint32_t(r.children.size()));
  for (uint32_t c : r.children) w.u32(c);
  w.u32(r.cursorLength);
  w.zeros(r.cursorLength);
  w.cstring("");
  w.u32(0);
  w.u32(kFlagVisible);
  w.u32(0);
  w.u32(r.storedEventCount >= 0 ? uint32_t(r.storedEventCount) : uint32_t(r.events.size()));
  for (auto [e, h] : r.events) {
    w.u32(e);
    w.u32(h);
  }
  w.zeros(20);
  w.bytes(r.kindData);
  return std::move(w.data());
}

// A whole description of the given record bodies (the first should be a window).
std::vector<uint8_t> Assemble(const std::vector<std::vector<uint8_t>>& bodies) {
  ByteWriter w;
  w.u32(8);
  w.u32(kMainFormId);
  w.u32(1);
  w.u32(2);
  w.u32(3);
  w.u32(0);
  w.u32(0);
  w.u32(uint32_t(bodies.size()));
  size_t countAt = w.size();
  w.u32(0);
  for (size_t i = 0; i < bodies.size(); ++i) w.u32(uint32_t(0x16010000 + i));
  size_t offset = 0;
  for (const auto& b : bodies) {
    w.u32(uint32_t(offset));
    offset += 4 + b.size();
  }
  for (const auto& b : bodies) {
    w.u32(uint32_t(b.size()));
    w.bytes(b);
  }
  w.patchU32(countAt, uint32_t(w.size() - 36));
  return std::move(w.data());
}

RawRecord WindowRaw() {
  RawRecord r;
  r.kind = kKindWindow;
  r.name = "";
  return r;
}

std::vector<uint8_t> WindowAndOne(const RawRecord& second) {
  return Assemble({Encode(WindowRaw()), Encode(second)});
}

// Reads `data` from an allocation of exactly its size, so that AddressSanitizer sees any
// read past its end.
bool ReadExact(std::span<const uint8_t> data, FormDescription& out) {
  std::vector<uint8_t> copy(data.begin(), data.end());
  return ReadFormDescription(copy, out);
}

// ---- The real description.

TEST(FormDescription, RealDescriptionReads) {
  const auto& bytes = RealDescription();
  ASSERT_EQ(bytes.size(), kMainFormDescriptionSize);
  FormDescription form;
  ASSERT_TRUE(ReadFormDescription(bytes, form));
  ASSERT_EQ(form.records.size(), kMainFormRecordCount);
  for (const ControlRecord& r : form.records) {
    EXPECT_TRUE(r.kindDataOk) << r.controlId;
    EXPECT_TRUE(r.otherKindData.empty()) << r.controlId;
  }
}

TEST(FormDescription, TableToBytesToTableIsIdentical) {
  FormDescription built = BuildMainFormDescription(RealIcon());
  std::vector<uint8_t> bytes = WriteFormDescription(built);
  EXPECT_EQ(bytes, RealDescription());  // the generated file is this very description
  FormDescription back;
  ASSERT_TRUE(ReadFormDescription(bytes, back));
  EXPECT_TRUE(back == built);
}

TEST(FormDescription, BytesToTableToBytesIsIdentical) {
  FormDescription form;
  ASSERT_TRUE(ReadFormDescription(RealDescription(), form));
  EXPECT_EQ(WriteFormDescription(form), RealDescription());
}

// Reads the first `len` bytes of `buffer` with the rest made unreadable (poisoned under
// AddressSanitizer), so any read beyond the prefix is caught.
bool ReadPrefix(std::vector<uint8_t>& buffer, size_t len) {
#ifdef BOARD_ASAN
  ASAN_POISON_MEMORY_REGION(buffer.data() + len, buffer.size() - len);
#endif
  FormDescription form;
  bool ok = ReadFormDescription(std::span<const uint8_t>(buffer.data(), len), form);
#ifdef BOARD_ASAN
  ASAN_UNPOISON_MEMORY_REGION(buffer.data() + len, buffer.size() - len);
#endif
  return ok;
}

TEST(FormDescription, EveryTruncationIsRefused) {
  std::vector<uint8_t> buffer = RealDescription();
  for (size_t len = 0; len < buffer.size(); ++len) ASSERT_FALSE(ReadPrefix(buffer, len)) << len;
}

// The same, with the header's byte count rewritten to fit each prefix, so that the reader
// walks into the records and must find the cut there.
TEST(FormDescription, EveryTruncationWithMatchingByteCountIsRefused) {
  std::vector<uint8_t> buffer = RealDescription();
  for (size_t len = 36; len < buffer.size(); ++len) {
    Store32(buffer, 32, uint32_t(len - 36));
    ASSERT_FALSE(ReadPrefix(buffer, len)) << len;
  }
}

TEST(FormDescription, RandomByteFlipsAreReadOrRefused) {
  const auto& real = RealDescription();
  FormDescription form;
  ASSERT_TRUE(ReadFormDescription(real, form));
  // The icon takes most of the bytes; aim half the flips at the rest.
  const auto& icon = std::get<WindowKindData>(form.records[0].kindData).icon;
  const size_t iconStart = size_t(std::search(real.begin(), real.end(), icon.begin(), icon.end()) -
                                  real.begin());
  const size_t iconEnd = iconStart + icon.size();
  std::mt19937 rng(20240611);
  int read = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> data = real;
    int flips = 1 + int(rng() % 4);
    for (int f = 0; f < flips; ++f) {
      size_t at = rng() % data.size();
      if (round % 2 == 0) {
        at = rng() % (data.size() - icon.size());
        if (at >= iconStart) at += iconEnd - iconStart;
      }
      data[at] ^= uint8_t(1u << (rng() % 8));
    }
    FormDescription out;
    if (ReadFormDescription(data, out)) {
      ++read;
      // What reads is written back to the very same bytes, and reads the same again.
      std::vector<uint8_t> again = WriteFormDescription(out);
      ASSERT_EQ(again, data) << "round " << round;
      FormDescription twice;
      ASSERT_TRUE(ReadFormDescription(again, twice));
      ASSERT_TRUE(twice == out);
    } else {
      ++refused;
    }
  }
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 0);
}

// ---- Hand-made descriptions.

TEST(FormDescription, MinimalDescriptionReads) {
  RawRecord button;
  button.events = {{0, 7}};
  auto bytes = WindowAndOne(button);
  FormDescription form;
  ASSERT_TRUE(ReadExact(bytes, form));
  ASSERT_EQ(form.records.size(), 2u);
  EXPECT_EQ(form.records[1].controlId, 0x16010001u);
  EXPECT_EQ(form.records[1].name, "b");
  EXPECT_EQ(form.records[1].left, 1);
  EXPECT_EQ(form.records[1].height, 4);
  EXPECT_EQ(form.records[1].cursor, Blob(4, 0));
  ASSERT_EQ(form.records[1].events.size(), 1u);
  EXPECT_EQ(form.records[1].events[0].handler, 7u);
  EXPECT_TRUE(form.records[1].kindDataOk);  // empty kind data: the defaults
  EXPECT_TRUE(std::holds_alternative<std::monostate>(form.records[1].kindData));
  EXPECT_EQ(WriteFormDescription(form), bytes);
}

TEST(FormDescription, BadOffsetTableIsRefused) {
  auto good = WindowAndOne(RawRecord());
  FormDescription form;
  ASSERT_TRUE(ReadExact(good, form));
  const size_t offsets = 36 + 8;  // two records: ids at 36, offsets at 44
  for (uint32_t bad : {1u, 4u, 0xFFFFFFF0u, uint32_t(good.size())}) {
    auto b = good;
    Store32(b, offsets + 4, bad);  // the second record's offset
    EXPECT_FALSE(ReadExact(b, form)) << bad;
  }
  auto b = good;
  Store32(b, offsets, 4);  // the first record must start at 0
  EXPECT_FALSE(ReadExact(b, form));
}

TEST(FormDescription, RecordRunningPastTheEndIsRefused) {
  auto good = WindowAndOne(RawRecord());
  FormDescription form;
  // The last record's length one byte too long: it would end past the description.
  const size_t lastLengthAt = 36 + 16 + 4 + Encode(WindowRaw()).size();
  auto b = good;
  Store32(b, lastLengthAt, LoadU32(&b[lastLengthAt]) + 1);
  EXPECT_FALSE(ReadExact(b, form));
  Store32(b, lastLengthAt, 0xFFFFFFFF);
  EXPECT_FALSE(ReadExact(b, form));
  // A trailing byte after the last record, counted by the header: the last record does not
  // end at the end.
  b = good;
  b.push_back(0);
  Store32(b, 32, LoadU32(&b[32]) + 1);
  EXPECT_FALSE(ReadExact(b, form));
  // The header's byte count not matching the data.
  b = good;
  Store32(b, 32, LoadU32(&b[32]) - 1);
  EXPECT_FALSE(ReadExact(b, form));
}

TEST(FormDescription, RecordFieldsRunningPastTheirLengthAreRefused) {
  // Record bodies cut short inside their fields, with consistent lengths and offsets: the
  // fields run past the record's own length L (into the next record or the end).
  std::vector<uint8_t> full = Encode(RawRecord());
  const size_t fixedPart = full.size();  // no kind data: every byte is a field
  FormDescription form;
  for (size_t cut = 0; cut < fixedPart; ++cut) {
    std::vector<uint8_t> body(full.begin(), full.begin() + ptrdiff_t(cut));
    auto alone = Assemble({Encode(WindowRaw()), body});
    EXPECT_FALSE(ReadExact(alone, form)) << cut;
    auto followed = Assemble({Encode(WindowRaw()), body, Encode(RawRecord())});
    EXPECT_FALSE(ReadExact(followed, form)) << cut;
  }
}

TEST(FormDescription, LyingCountsAreRefused) {
  FormDescription form;
  // (Small lies can make another valid reading of the same bytes; these cannot fit.)
  for (uint32_t lie : {1000u, 0x7FFFFFFFu, 0x40000000u, 0xFFFFFFFFu}) {
    RawRecord r;
    r.children = {1, 2};
    r.storedChildCount = lie;
    EXPECT_FALSE(ReadExact(WindowAndOne(r), form)) << lie;
    RawRecord e;
    e.events = {{0, 1}};
    e.storedEventCount = lie;
    EXPECT_FALSE(ReadExact(WindowAndOne(e), form)) << lie;
    RawRecord c;
    c.cursorLength = 4;
    auto bytes = WindowAndOne(c);
    // The cursor length field of the second record.
    const size_t second = 36 + 16 + 4 + Encode(WindowRaw()).size() + 4;
    const size_t cursorAt = second + 4 + 20 + 2 + 1 + 4 + 16 + 4 + 4 + 4;  // name "b", empty text
    ASSERT_EQ(LoadU32(&bytes[cursorAt]), 4u);
    Store32(bytes, cursorAt, lie);
    EXPECT_FALSE(ReadExact(bytes, form)) << lie;
  }
  // A record count that cannot fit.
  auto bytes = WindowAndOne(RawRecord());
  for (uint32_t lie : {0u, 3u, 0x10000000u, 0xFFFFFFFFu}) {
    auto b = bytes;
    Store32(b, 28, lie);
    EXPECT_FALSE(ReadExact(b, form)) << lie;
  }
}

TEST(FormDescription, NonZeroReservedFieldsAreRefused) {
  RawRecord r;
  r.reservedAfterGeometry = 1;
  FormDescription form;
  EXPECT_FALSE(ReadExact(WindowAndOne(r), form));
  auto b = WindowAndOne(RawRecord());
  b[20] = 1;  // the header's first zero word
  EXPECT_FALSE(ReadExact(b, form));
}

TEST(FormDescription, FirstRecordMustBeTheWindow) {
  FormDescription form;
  EXPECT_FALSE(ReadExact(Assemble({Encode(RawRecord())}), form));
  EXPECT_TRUE(ReadExact(Assemble({Encode(WindowRaw())}), form));
}

// Kind data encoders.
std::vector<uint8_t> WindowData(uint32_t version, int ints, bool className) {
  ByteWriter w;
  w.u32(version);
  for (int i = 0; i < ints; ++i) w.i32(100 + i);
  if (className) w.countedText("Cls");
  w.countedBlob(std::vector<uint8_t>{});
  w.countedBlob(std::vector<uint8_t>{9, 9});
  w.countedBlob(std::vector<uint8_t>{});
  w.countedText("cap");
  w.countedText("");
  return std::move(w.data());
}

std::vector<uint8_t> TabData(uint32_t version, int ints, uint16_t pages) {
  ByteWriter w;
  w.u32(version);
  for (int i = 0; i < ints; ++i) w.i32(10 + i);
  w.countedBlob(std::vector<uint8_t>{});
  w.u16(pages);
  for (int i = 0; i < pages; ++i) w.countedText("p" + std::to_string(i));
  return std::move(w.data());
}

std::vector<uint8_t> ButtonData(uint32_t version) {
  ByteWriter w;
  w.u32(version);
  w.i32(0);
  w.i32(1);
  w.i32(1);
  w.countedBlob(std::vector<uint8_t>{});
  w.countedBlob(std::vector<uint8_t>{});
  w.countedText("ok");
  return std::move(w.data());
}

std::vector<uint8_t> LabelData(uint32_t version) {
  ByteWriter w;
  w.u32(version);
  for (int32_t v : {0, 0x8000, 0, 1, 1}) w.i32(v);
  w.countedBlob(MakeLogFont(16, 400, 134, ""));
  w.countedText("text");
  return std::move(w.data());
}

// Reads a form of the window (with `windowData`) and one record of `kind` with `data`.
FormDescription ReadWith(uint32_t kind, std::vector<uint8_t> data,
                         std::vector<uint8_t> windowData = {}) {
  RawRecord window = WindowRaw();
  window.kindData = std::move(windowData);
  RawRecord r;
  r.kind = kind;
  r.kindData = std::move(data);
  auto bytes = Assemble({Encode(window), Encode(r)});
  FormDescription form;
  EXPECT_TRUE(ReadExact(bytes, form));
  if (form.records.size() == 2) EXPECT_EQ(WriteFormDescription(form), bytes);  // raw kept
  return form;
}

TEST(FormDescription, KindDataOfTheOwnVersionsReads) {
  auto f = ReadWith(kKindTab, TabData(3, 6, 6), WindowData(6, 18, true));
  ASSERT_EQ(f.records.size(), 2u);
  ASSERT_TRUE(f.records[0].kindDataOk);
  const auto& w = std::get<WindowKindData>(f.records[0].kindData);
  EXPECT_EQ(w.className, "Cls");
  EXPECT_EQ(w.settings[kWinKeepCaptionActive], 117);
  EXPECT_EQ(w.icon, (Blob{9, 9}));
  EXPECT_EQ(w.caption, "cap");
  const auto& t = std::get<TabKindData>(f.records[1].kindData);
  EXPECT_EQ(t.backColour, 15);
  EXPECT_EQ(t.pageTitles.size(), 6u);
  EXPECT_EQ(t.pageTitles[5], "p5");
  auto b = ReadWith(kKindButton, ButtonData(1));
  EXPECT_EQ(std::get<ButtonKindData>(b.records[1].kindData).caption, "ok");
  auto l = ReadWith(kKindTransLabel, LabelData(1));
  EXPECT_EQ(std::get<LabelKindData>(l.records[1].kindData).textColour, 0x8000);
  EXPECT_EQ(std::get<LabelKindData>(l.records[1].kindData).font.size(), 60u);
}

TEST(FormDescription, VersionAboveTheKindsOwnKeepsTheRecordUnreadable) {
  struct Case {
    uint32_t kind;
    std::vector<uint8_t> data;
  };
  std::vector<Case> cases = {{kKindTab, TabData(4, 6, 6)},
                             {kKindButton, ButtonData(2)},
                             {kKindTransLabel, LabelData(2)},
                             {kKindButton, ButtonData(0)}};
  for (const Case& c : cases) {
    auto f = ReadWith(c.kind, c.data);
    ASSERT_EQ(f.records.size(), 2u);
    EXPECT_FALSE(f.records[1].kindDataOk) << c.kind;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(f.records[1].kindData));
    EXPECT_EQ(f.records[1].otherKindData, c.data);
    EXPECT_TRUE(f.records[0].kindDataOk);
  }
  auto w = ReadWith(kKindButton, ButtonData(1), WindowData(7, 18, true));
  ASSERT_EQ(w.records.size(), 2u);
  EXPECT_FALSE(w.records[0].kindDataOk);
  EXPECT_TRUE(w.records[1].kindDataOk);
}

TEST(FormDescription, LowerVersionsReadWithDefaults) {
  // Window: version 5 has seventeen integers and no class name; version 1 thirteen.
  auto w5 = ReadWith(kKindButton, ButtonData(1), WindowData(5, 17, false));
  ASSERT_TRUE(w5.records[0].kindDataOk);
  const auto& k5 = std::get<WindowKindData>(w5.records[0].kindData);
  EXPECT_EQ(k5.version, 5u);
  EXPECT_EQ(k5.settings[kWinTopMost], 116);
  EXPECT_EQ(k5.settings[kWinKeepCaptionActive], 0);
  EXPECT_EQ(k5.className, "");
  EXPECT_EQ(k5.caption, "cap");
  auto w1 = ReadWith(kKindButton, ButtonData(1), WindowData(1, 13, false));
  ASSERT_TRUE(w1.records[0].kindDataOk);
  const auto& k1 = std::get<WindowKindData>(w1.records[0].kindData);
  EXPECT_EQ(k1.settings[kWinHelpId], 112);
  EXPECT_EQ(k1.settings[kWinInTaskbar], 0);
  EXPECT_EQ(k1.icon, (Blob{9, 9}));
  // A version-5 block that carries a class name does not parse.
  auto bad = ReadWith(kKindButton, ButtonData(1), WindowData(5, 18, true));
  EXPECT_FALSE(bad.records[0].kindDataOk);

  // Tab: version 2 has four integers, version 1 three.
  auto t2 = ReadWith(kKindTab, TabData(2, 4, 3));
  ASSERT_TRUE(t2.records[1].kindDataOk);
  const auto& k2 = std::get<TabKindData>(t2.records[1].kindData);
  EXPECT_EQ(k2.currentPage, 12);
  EXPECT_EQ(k2.flag1, 13);
  EXPECT_EQ(k2.flag2, 1);
  EXPECT_EQ(k2.backColour, 0);
  EXPECT_EQ(k2.pageTitles.size(), 3u);
  auto t1 = ReadWith(kKindTab, TabData(1, 3, 2));
  ASSERT_TRUE(t1.records[1].kindDataOk);
  const auto& kt1 = std::get<TabKindData>(t1.records[1].kindData);
  EXPECT_EQ(kt1.currentPage, 12);
  EXPECT_EQ(kt1.flag1, 0);
  EXPECT_EQ(kt1.pageTitles.size(), 2u);
}

TEST(FormDescription, UnparsableKindDataKeepsTheRecord) {
  // Trailing bytes, a lying page count, a lying text count, cut short.
  auto trailing = ButtonData(1);
  trailing.push_back(0);
  auto pages = TabData(3, 6, 2);
  pages[4 + 24 + 4] = 0xFF;  // page count 0x..FF
  pages[4 + 24 + 5] = 0xFF;
  auto text = LabelData(1);
  Store32(text, text.size() - 8, 0xFFFFFFF0);  // the text's count
  auto cut = LabelData(1);
  cut.resize(cut.size() - 1);
  for (const auto& [kind, data] : std::vector<std::pair<uint32_t, std::vector<uint8_t>>>{
           {kKindButton, trailing}, {kKindTab, pages}, {kKindTransLabel, text},
           {kKindTransLabel, cut}}) {
    auto f = ReadWith(kind, data);
    ASSERT_EQ(f.records.size(), 2u);
    EXPECT_FALSE(f.records[1].kindDataOk) << kind;
    EXPECT_EQ(f.records[1].otherKindData, data);
  }
}

TEST(FormDescription, OtherKindsKeepTheirBytes) {
  std::vector<uint8_t> data = {1, 2, 3, 4, 5};
  auto f = ReadWith(0x00030007, data);
  ASSERT_EQ(f.records.size(), 2u);
  EXPECT_TRUE(f.records[1].kindDataOk);
  EXPECT_EQ(f.records[1].otherKindData, data);
  auto g = ReadWith(kKindGroupBox, data);
  EXPECT_TRUE(g.records[1].kindDataOk);
  EXPECT_EQ(g.records[1].otherKindData, data);
}

TEST(FormDescription, FindRecordAndPageOfChild) {
  FormDescription form;
  ASSERT_TRUE(ReadFormDescription(RealDescription(), form));
  EXPECT_EQ(FindRecord(form, kMainWindowControlId), 0);
  int tab = FindRecord(form, kTabControlId);
  ASSERT_EQ(tab, 91);
  EXPECT_EQ(FindRecord(form, kGroupBoxControlId), 17);
  EXPECT_EQ(FindRecord(form, 0x160113AA), 1);
  EXPECT_EQ(FindRecord(form, 0x12345678), -1);
  const ControlRecord& t = form.records[size_t(tab)];
  EXPECT_EQ(PageOfChild(t, 0x160112DB), 0);  // 透明标签5
  EXPECT_EQ(PageOfChild(t, 0x1601003F), 1);  // 按钮12
  EXPECT_EQ(PageOfChild(t, 0x16010065), 2);  // 按钮21
  EXPECT_EQ(PageOfChild(t, 0x160100AB), 3);  // 按钮41
  EXPECT_EQ(PageOfChild(t, 0x160101BC), 4);  // 透明标签1
  EXPECT_EQ(PageOfChild(t, 0x160112D3), 5);  // 透明标签3
  EXPECT_EQ(PageOfChild(t, kGroupBoxControlId), -1);
  EXPECT_EQ(PageOfChild(t, 0), -1);
}

}  // namespace
}  // namespace board
