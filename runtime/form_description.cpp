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

// Every stored layout below is one field list, walked by the reader and by the writer
// alike, so a format change is a single edit. The reader fails on the first field that runs
// outside the data or breaks a rule; the writer writes what it is given.
class FieldReader {
 public:
  explicit FieldReader(ByteReader& r) : r_(r) {}
  static constexpr bool kReading = true;
  bool ok() const { return r_.ok() && !bad_; }
  void u32(uint32_t& v) { v = r_.u32(); }
  void i32(int32_t& v) { v = r_.i32(); }
  void blob(Blob& v) { v = r_.countedBlob(); }
  void text(std::string& v) { v = r_.countedText(); }
  void cstring(std::string& v) { v = r_.cstring(); }
  void zeros(size_t n) {
    auto b = r_.bytes(n);
    if (!std::all_of(b.begin(), b.end(), [](uint8_t v) { return v == 0; })) bad_ = true;
  }
  void zeroWord() { zeros(4); }
  // A count, then that many items; a count the remaining bytes can't hold fails at once.
  template <typename Count, typename T, typename Item>
  void list(std::vector<T>& items, size_t minItemBytes, Item&& item) {
    const Count n = sizeof(Count) == 2 ? Count(r_.u16()) : Count(r_.u32());
    if (!r_.ok() || n > r_.remaining() / minItemBytes) {
      bad_ = true;
      return;
    }
    items.assign(n, T{});
    for (T& t : items) item(t);
  }
  // A kind's version: 1 up to the kind's own; a higher one is not read.
  bool version(uint32_t& v, uint32_t highest) {
    u32(v);
    return ok() && v != 0 && v <= highest;
  }

 private:
  ByteReader& r_;
  bool bad_ = false;
};

class FieldWriter {
 public:
  explicit FieldWriter(ByteWriter& w) : w_(w) {}
  static constexpr bool kReading = false;
  bool ok() const { return true; }
  void u32(uint32_t v) { w_.u32(v); }
  void i32(int32_t v) { w_.i32(v); }
  void blob(const Blob& v) { w_.countedBlob(v); }
  void text(const std::string& v) { w_.countedText(v); }
  void cstring(const std::string& v) { w_.cstring(v); }
  void zeros(size_t n) { w_.zeros(n); }
  void zeroWord() { w_.u32(0); }
  template <typename Count, typename T, typename Item>
  void list(const std::vector<T>& items, size_t, Item&& item) {
    const size_t n = std::min<size_t>(items.size(), Count(~Count(0)));
    if (sizeof(Count) == 2) w_.u16(uint16_t(n)); else w_.u32(uint32_t(n));
    for (size_t i = 0; i < n; ++i) item(items[i]);
  }
  bool version(uint32_t v, uint32_t) {
    u32(v);
    return true;
  }

 private:
  ByteWriter& w_;
};

// K is the kind data, const for the writer.
template <typename IO, typename K>
bool WindowFields(IO& io, K& w) {
  if (!io.version(w.version, kWindowVersion)) return false;
  const int n = std::min(WindowIntCount(w.version), int(kWindowSettingCount));
  for (int i = 0; i < n; ++i) io.i32(w.settings[i]);
  if (w.version >= kWindowVersion) io.text(w.className);
  io.blob(w.picture);
  io.blob(w.icon);
  io.blob(w.music);
  io.text(w.caption);
  io.text(w.helpFile);
  return io.ok();
}

template <typename IO, typename K>
bool ButtonFields(IO& io, K& b) {
  if (!io.version(b.version, kButtonVersion)) return false;
  io.i32(b.type);
  io.i32(b.hAlign);
  io.i32(b.vAlign);
  io.blob(b.picture);
  io.blob(b.font);
  io.text(b.caption);
  return io.ok();
}

template <typename IO, typename K>
bool TabFields(IO& io, K& t) {
  if (!io.version(t.version, kTabVersion)) return false;
  const int n = TabIntCount(t.version);
  io.i32(t.headerPosition);
  io.i32(t.multiLine);
  io.i32(t.currentPage);
  if (n >= 4) io.i32(t.flag1);
  if (n >= 6) {
    io.i32(t.flag2);
    io.i32(t.backColour);
  }
  io.blob(t.font);
  // Each title takes at least its 4-byte length.
  io.template list<uint16_t>(t.pageTitles, 4, [&](auto& title) { io.text(title); });
  return io.ok();
}

template <typename IO, typename K>
bool LabelFields(IO& io, K& l) {
  if (!io.version(l.version, kLabelVersion)) return false;
  io.i32(l.setting0);
  io.i32(l.textColour);
  io.i32(l.setting2);
  io.i32(l.flag);
  io.i32(l.setting4);
  io.blob(l.font);
  io.text(l.text);
  return io.ok();
}

// The fields of a record before its kind data.
template <typename IO, typename R>
bool RecordFields(IO& io, R& rec) {
  io.u32(rec.kind);
  io.zeros(kReservedBlock);
  io.cstring(rec.name);
  io.cstring(rec.secondText);
  io.u32(rec.objectSlot);
  io.i32(rec.left);
  io.i32(rec.top);
  io.i32(rec.width);
  io.i32(rec.height);
  io.zeroWord();
  io.u32(rec.container);
  io.template list<uint32_t>(rec.children, 4, [&](auto& child) { io.u32(child); });
  io.blob(rec.cursor);
  io.cstring(rec.tag);
  io.zeroWord();
  io.u32(rec.flags);
  io.zeroWord();
  io.template list<uint32_t>(rec.events, 8, [&](auto& e) {
    io.u32(e.event);
    io.u32(e.handler);
  });
  io.zeros(kReservedBlock);
  return io.ok();
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
  FieldReader io(r);
  bool ok = false;
  switch (rec.kind) {
    case kKindWindow: ok = WindowFields(io, rec.kindData.emplace<WindowKindData>()); break;
    case kKindButton: ok = ButtonFields(io, rec.kindData.emplace<ButtonKindData>()); break;
    case kKindTab: ok = TabFields(io, rec.kindData.emplace<TabKindData>()); break;
    case kKindTransLabel: ok = LabelFields(io, rec.kindData.emplace<LabelKindData>()); break;
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
  FieldReader io(r);
  rec.controlId = controlId;
  if (!RecordFields(io, rec)) return false;
  ReadKindData(body.subspan(r.position()), rec);
  return true;
}

void WriteRecordBody(ByteWriter& w, const ControlRecord& rec) {
  FieldWriter io(w);
  RecordFields(io, rec);
  std::visit(
      [&](const auto& k) {
        using T = std::decay_t<decltype(k)>;
        if constexpr (std::is_same_v<T, std::monostate>) w.bytes(rec.otherKindData);
        if constexpr (std::is_same_v<T, WindowKindData>) WindowFields(io, k);
        if constexpr (std::is_same_v<T, ButtonKindData>) ButtonFields(io, k);
        if constexpr (std::is_same_v<T, TabKindData>) TabFields(io, k);
        if constexpr (std::is_same_v<T, LabelKindData>) LabelFields(io, k);
      },
      rec.kindData);
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
