// The stored description of a window and its controls: reader and writer, field for field.
// All integers are 32-bit little-endian; texts are kept as their stored GBK bytes.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace board {

// Control kinds (UnitTypeId: library number high, kind number low).
constexpr uint32_t kKindWindow = 0x00010001;
constexpr uint32_t kKindButton = 0x0001000B;
constexpr uint32_t kKindGroupBox = 0x00010009;
constexpr uint32_t kKindTab = 0x00010015;
constexpr uint32_t kKindTransLabel = 0x00020005;
constexpr uint32_t kKindHtmlViewer = 0x00040001;

// Record flag bits.
constexpr uint32_t kFlagVisible = 1;
constexpr uint32_t kFlagDisabled = 2;
constexpr uint32_t kFlagTabStop = 4;

// Event indices.
constexpr uint32_t kEventWindowCreated = 0;
constexpr uint32_t kEventWindowCloseQuery = 1;
constexpr uint32_t kEventButtonClick = 0;
constexpr uint32_t kEventTabPageChanged = 2;

using Blob = std::vector<uint8_t>;

// Window settings in stored order (the integer block of version 6).
enum WindowSetting {
  kWinBorder, kWinPictureMode, kWinBackColour, kWinMaxButton, kWinMinButton, kWinControlBox,
  kWinStartPosition, kWinMovable, kWinMusicPlayCount, kWinEnterMovesFocus, kWinEscCloses,
  kWinF1Help, kWinHelpId, kWinInTaskbar, kWinDragAnywhere, kWinShape, kWinTopMost,
  kWinKeepCaptionActive, kWindowSettingCount
};

struct WindowKindData {
  uint32_t version = 6;
  int32_t settings[kWindowSettingCount] = {};
  std::string className;  // version 6 only
  Blob picture, icon, music;
  std::string caption, helpFile;
  bool operator==(const WindowKindData&) const = default;
};

struct ButtonKindData {
  uint32_t version = 1;
  int32_t type = 0, hAlign = 1, vAlign = 1;
  Blob picture, font;
  std::string caption;
  bool operator==(const ButtonKindData&) const = default;
};

struct TabKindData {
  uint32_t version = 3;
  int32_t headerPosition = 0, multiLine = 0, currentPage = 0;
  int32_t flag1 = 0, flag2 = 1;  // version 2 and up / version 3
  int32_t backColour = 0;        // version 3
  Blob font;
  std::vector<std::string> pageTitles;
  bool operator==(const TabKindData&) const = default;
};

struct LabelKindData {
  uint32_t version = 1;
  int32_t setting0 = 0, textColour = 0, setting2 = 0, flag = 1, setting4 = 1;
  Blob font;  // a 60-byte LOGFONTA, or empty for the default font
  std::string text;
  bool operator==(const LabelKindData&) const = default;
};

using KindData =
    std::variant<std::monostate, WindowKindData, ButtonKindData, TabKindData, LabelKindData>;

struct EventBinding {
  uint32_t event = 0;
  uint32_t handler = 0;
  bool operator==(const EventBinding&) const = default;
};

struct ControlRecord {
  uint32_t controlId = 0;
  uint32_t kind = 0;
  std::string name, secondText;
  uint32_t objectSlot = 0;
  int32_t left = 0, top = 0, width = 0, height = 0;
  uint32_t container = 0;          // ControlId of the container, 0 = the window
  std::vector<uint32_t> children;  // a tab control's pages end with 0 each
  Blob cursor;                     // 4 bytes, uint32 0 = default cursor
  std::string tag;
  uint32_t flags = 0;
  std::vector<EventBinding> events;
  KindData kindData;      // parsed settings of the kinds this program knows
  Blob otherKindData;     // kept as stored for any other kind
  bool kindDataOk = true;  // false: unreadable kind data (the control is not created)
  bool operator==(const ControlRecord&) const = default;
};

struct FormDescription {
  uint32_t headerValue = 8;
  uint32_t formId = 0;
  uint32_t formWords[3] = {};
  std::vector<ControlRecord> records;  // records[0] is the window itself
  bool operator==(const FormDescription&) const = default;
};

// Reads a whole description. False (and `out` unspecified) when the header, id table,
// offset table or any record is malformed or runs outside `data`. A record whose kind
// data is unreadable (for example a version above the kind's own) is kept with
// kindDataOk = false. Never reads outside `data`.
bool ReadFormDescription(std::span<const uint8_t> data, FormDescription& out);

// Writes the description; ReadFormDescription(WriteFormDescription(d)) == d.
std::vector<uint8_t> WriteFormDescription(const FormDescription& form);

// Position of the record with this ControlId, or -1.
int FindRecord(const FormDescription& form, uint32_t controlId);

// Page index (0-based) of a control inside a tab control's child list, or -1.
int PageOfChild(const ControlRecord& tab, uint32_t controlId);

}  // namespace board
