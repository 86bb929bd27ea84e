#include "runtime/form_description.h"

#include <algorithm>
#include <type_traits>

#include "base/byte_io.h"

namespace board {
namespace {

// Each kind's own kind-data version; a higher one is refused (the control is not created).
constexpr uint32_t kWindowVersion = 6;
constexpr uint32_t kButtonVersion = 1;
constexpr uint32_t kTabVersion = 3;
constexpr uint32_t kLabelVersion = 1;

constexpr size_t kHeaderSize = 36;     // up to and including the byte count field
constexpr size_t kCountFieldEnd = 36;  // the byte count covers everything after this offset
constexpr size_t kReservedBlock = 20;

// Integers of the window's integer block stored by a kind-data version: version 6 has all
// eighteen; each version below drops one more from the end (version 1: thirteen).
int WindowIntCount(uint32_t version) {
  return version >= kWindowVersion ? int(kWindowSettingCount) : 12 + int(version);
}
// Integers of the tab's block: version 1 three, version 2 four, version 3 six.
int TabIntCount(uint32_t version) { return version >= 3 ? 6 : version == 2 ? 4 : 3; }

bool SkipZeros(ByteReader& r, size_t n) {
  auto b = r.bytes(n);
  if (!r.ok()) return false;
  return std::all_of(b.begin(), b.end(), [](uint8_t v) { return v == 0; });
}

bool ParseWindow(ByteReader& r, WindowKindData& w) {
  w = WindowKindData();
  w.version = r.u32();
  if (!r.ok() || w.version == 0 || w.version > kWindowVersion) return false;
  for (int i = 0; i < WindowIntCount(w.version); ++i) w.settings[i] = r.i32();
  if (w.version >= kWindowVersion) w.className = r.countedText();
  w.picture = r.countedBlob();
  w.icon = r.countedBlob();
  w.music = r.countedBlob();
  w.caption = r.countedText();
  w.helpFile = r.countedText();
  return r.ok();
}

bool ParseButton(ByteReader& r, ButtonKindData& b) {
  b = ButtonKindData();
  b.version = r.u32();
  if (!r.ok() || b.version == 0 || b.version > kButtonVersion) return false;
  b.type = r.i32();
  b.hAlign = r.i32();
  b.vAlign = r.i32();
  b.picture = r.countedBlob();
  b.font = r.countedBlob();
  b.caption = r.countedText();
  return r.ok();
}

bool ParseTab(ByteReader& r, TabKindData& t) {
  t = TabKindData();
  t.version = r.u32();
  if (!r.ok() || t.version == 0 || t.version > kTabVersion) return false;
  int n = TabIntCount(t.version);
  t.headerPosition = r.i32();
  t.multiLine = r.i32();
  t.currentPage = r.i32();
  if (n >= 4) t.flag1 = r.i32();
  if (n >= 6) {
    t.flag2 = r.i32();
    t.backColour = r.i32();
  }
  t.font = r.countedBlob();
  uint16_t pages = r.u16();
  if (!r.ok() || pages > r.remaining() / 4) return false;  // each title takes at least 4 bytes
  t.pageTitles.reserve(pages);
  for (uint16_t i = 0; i < pages && r.ok(); ++i) t.pageTitles.push_back(r.countedText());
  return r.ok();
}

bool ParseLabel(ByteReader& r, LabelKindData& l) {
  l = LabelKindData();
  l.version = r.u32();
  if (!r.ok() || l.version == 0 || l.version > kLabelVersion) return false;
  l.setting0 = r.i32();
  l.textColour = r.i32();
  l.setting2 = r.i32();
  l.flag = r.i32();
  l.setting4 = r.i32();
  l.font = r.countedBlob();
  l.text = r.countedText();
  return r.ok();
}

// Parses the kind data of the kinds this program knows; the data must be used up exactly.
// Other kinds, and unreadable data, keep their bytes as stored.
void ReadKindData(std::span<const uint8_t> raw, ControlRecord& rec) {
  rec.kindData = std::monostate();
  rec.otherKindData.clear();
  rec.kindDataOk = true;
  bool known = rec.kind == kKindWindow || rec.kind == kKindButton || rec.kind == kKindTab ||
               rec.kind == kKindTransLabel;
  if (!known || raw.empty()) {  // empty kind data: the kind's defaults
    rec.otherKindData.assign(raw.begin(), raw.end());
    return;
  }
  ByteReader r(raw);
  bool ok = false;
  switch (rec.kind) {
    case kKindWindow: ok = ParseWindow(r, rec.kindData.emplace<WindowKindData>()); break;
    case kKindButton: ok = ParseButton(r, rec.kindData.emplace<ButtonKindData>()); break;
    case kKindTab: ok = ParseTab(r, rec.kindData.emplace<TabKindData>()); break;
    case kKindTransLabel: ok = ParseLabel(r, rec.kindData.emplace<LabelKindData>()); break;
  }
  if (!ok || !r.atEnd()) {
    rec.kindData = std::monostate();
    rec.otherKindData.assign(raw.begin(), raw.end());
    rec.kindDataOk = false;
  }
}

// One record's L bytes (the length field already taken off).
bool ReadRecord(std::span<const uint8_t> body, uint32_t controlId, ControlRecord& rec) {
  ByteReader r(body);
  rec.controlId = controlId;
  rec.kind = r.u32();
  if (!SkipZeros(r, kReservedBlock)) return false;
  rec.name = r.cstring();
  rec.secondText = r.cstring();
  rec.objectSlot = r.u32();
  rec.left = r.i32();
  rec.top = r.i32();
  rec.width = r.i32();
  rec.height = r.i32();
  if (r.u32() != 0) return false;
  rec.container = r.u32();
  uint32_t children = r.u32();
  if (!r.ok() || children > r.remaining() / 4) return false;
  rec.children.reserve(children);
  for (uint32_t i = 0; i < children; ++i) rec.children.push_back(r.u32());
  uint32_t cursorLength = r.u32();
  auto cursor = r.bytes(cursorLength);
  if (!r.ok()) return false;
  rec.cursor.assign(cursor.begin(), cursor.end());
  rec.tag = r.cstring();
  if (r.u32() != 0) return false;
  rec.flags = r.u32();
  if (r.u32() != 0) return false;
  uint32_t events = r.u32();
  if (!r.ok() || events > r.remaining() / 8) return false;
  rec.events.reserve(events);
  for (uint32_t i = 0; i < events; ++i) {
    EventBinding e;
    e.event = r.u32();
    e.handler = r.u32();
    rec.events.push_back(e);
  }
  if (!SkipZeros(r, kReservedBlock)) return false;
  ReadKindData(body.subspan(r.position()), rec);
  return true;
}

void WriteKindData(ByteWriter& w, const ControlRecord& rec) {
  std::visit(
      [&](const auto& k) {
        using T = std::decay_t<decltype(k)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          w.bytes(rec.otherKindData);
        } else if constexpr (std::is_same_v<T, WindowKindData>) {
          w.u32(k.version);
          int n = std::min(WindowIntCount(k.version), int(kWindowSettingCount));
          for (int i = 0; i < n; ++i) w.i32(k.settings[i]);
          if (k.version >= kWindowVersion) w.countedText(k.className);
          w.countedBlob(k.picture);
          w.countedBlob(k.icon);
          w.countedBlob(k.music);
          w.countedText(k.caption);
          w.countedText(k.helpFile);
        } else if constexpr (std::is_same_v<T, ButtonKindData>) {
          w.u32(k.version);
          w.i32(k.type);
          w.i32(k.hAlign);
          w.i32(k.vAlign);
          w.countedBlob(k.picture);
          w.countedBlob(k.font);
          w.countedText(k.caption);
        } else if constexpr (std::is_same_v<T, TabKindData>) {
          w.u32(k.version);
          int n = TabIntCount(k.version);
          w.i32(k.headerPosition);
          w.i32(k.multiLine);
          w.i32(k.currentPage);
          if (n >= 4) w.i32(k.flag1);
          if (n >= 6) {
            w.i32(k.flag2);
            w.i32(k.backColour);
          }
          w.countedBlob(k.font);
          size_t pages = std::min<size_t>(k.pageTitles.size(), 0xFFFF);
          w.u16(uint16_t(pages));
          for (size_t i = 0; i < pages; ++i) w.countedText(k.pageTitles[i]);
        } else if constexpr (std::is_same_v<T, LabelKindData>) {
          w.u32(k.version);
          w.i32(k.setting0);
          w.i32(k.textColour);
          w.i32(k.setting2);
          w.i32(k.flag);
          w.i32(k.setting4);
          w.countedBlob(k.font);
          w.countedText(k.text);
        }
      },
      rec.kindData);
}

void WriteRecordBody(ByteWriter& w, const ControlRecord& rec) {
  w.u32(rec.kind);
  w.zeros(kReservedBlock);
  w.cstring(rec.name);
  w.cstring(rec.secondText);
  w.u32(rec.objectSlot);
  w.i32(rec.left);
  w.i32(rec.top);
  w.i32(rec.width);
  w.i32(rec.height);
  w.u32(0);
  w.u32(rec.container);
  w.u32(uint32_t(rec.children.size()));
  for (uint32_t c : rec.children) w.u32(c);
  w.countedBlob(rec.cursor);
  w.cstring(rec.tag);
  w.u32(0);
  w.u32(rec.flags);
  w.u32(0);
  w.u32(uint32_t(rec.events.size()));
  for (const EventBinding& e : rec.events) {
    w.u32(e.event);
    w.u32(e.handler);
  }
  w.zeros(kReservedBlock);
  WriteKindData(w, rec);
}

}  // namespace

bool ReadFormDescription(std::span<const uint8_t> data, FormDescription& out) {
  ByteReader r(data);
  out = FormDescription();
  out.headerValue = r.u32();
  out.formId = r.u32();
  for (uint32_t& word : out.formWords) word = r.u32();
  if (r.u32() != 0 || r.u32() != 0) return false;
  uint32_t count = r.u32();
  uint32_t byteCount = r.u32();
  if (!r.ok() || r.position() != kCountFieldEnd || byteCount != r.remaining()) return false;
  // Each record takes an id, an offset and at least its length field.
  if (count == 0 || count > r.remaining() / 12) return false;
  std::vector<uint32_t> ids(count), offsets(count);
  for (uint32_t& id : ids) id = r.u32();
  for (uint32_t& offset : offsets) offset = r.u32();
  if (!r.ok()) return false;
  const size_t area = kHeaderSize + 8 * size_t(count);
  std::span<const uint8_t> records = data.subspan(area);
  out.records.resize(count);
  size_t at = 0;  // position of the next record inside the record area
  for (uint32_t i = 0; i < count; ++i) {
    if (offsets[i] != at || records.size() - at < 4) return false;
    uint32_t length = LoadU32(records.data() + at);
    at += 4;
    if (length > records.size() - at) return false;
    if (!ReadRecord(records.subspan(at, length), ids[i], out.records[i])) return false;
    at += length;
  }
  if (at != records.size()) return false;
  return out.records[0].kind == kKindWindow;
}

std::vector<uint8_t> WriteFormDescription(const FormDescription& form) {
  std::vector<std::vector<uint8_t>> bodies;
  bodies.reserve(form.records.size());
  size_t recordBytes = 0;
  for (const ControlRecord& rec : form.records) {
    ByteWriter body;
    WriteRecordBody(body, rec);
    recordBytes += 4 + body.size();
    bodies.push_back(std::move(body.data()));
  }
  const uint32_t count = uint32_t(form.records.size());
  ByteWriter w;
  w.data().reserve(kHeaderSize + 8 * size_t(count) + recordBytes);
  w.u32(form.headerValue);
  w.u32(form.formId);
  for (uint32_t word : form.formWords) w.u32(word);
  w.u32(0);
  w.u32(0);
  w.u32(count);
  w.u32(uint32_t(8 * size_t(count) + recordBytes));
  for (const ControlRecord& rec : form.records) w.u32(rec.controlId);
  size_t offset = 0;
  for (const auto& body : bodies) {
    w.u32(uint32_t(offset));
    offset += 4 + body.size();
  }
  for (const auto& body : bodies) {
    w.u32(uint32_t(body.size()));
    w.bytes(body);
  }
  return std::move(w.data());
}

int FindRecord(const FormDescription& form, uint32_t controlId) {
  for (size_t i = 0; i < form.records.size(); ++i)
    if (form.records[i].controlId == controlId) return int(i);
  return -1;
}

int PageOfChild(const ControlRecord& tab, uint32_t controlId) {
  if (controlId == 0) return -1;
  int page = 0;
  for (uint32_t child : tab.children) {
    if (child == 0)
      ++page;
    else if (child == controlId)
      return page;
  }
  return -1;
}

}  // namespace board
