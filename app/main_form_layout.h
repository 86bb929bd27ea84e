// The main window's layout, written once: the form generator, the program's handlers and
// the tests all read this table.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace board {

constexpr uint32_t kMainFormId = 0x52010001;
constexpr uint32_t kMainWindowControlId = 0x06010000;
constexpr uint32_t kTabControlId = 0x1601003B;
constexpr uint32_t kGroupBoxControlId = 0x1601015D;
constexpr uint32_t kTabCurrentPageProperty = 12;
// The main window's size; it has no frame, so this is its client too.
constexpr int kMainWindowWidth = 786;
constexpr int kMainWindowHeight = 315;
// The program icon as an ICO file of five 32-bit images (128, 64, 48, 32, 16 pixels): the
// icon group and the main window's stored icon are both this file.
constexpr size_t kAppIconFileSize = 99678;

// Where a control lives: the window, the group box, or a tab page 0..5.
constexpr int kInWindow = -1;
constexpr int kInGroupBox = -2;

enum class Action : uint8_t { None, PlayClip, SelectPage, StopPlayback, PressKey, CloseProgram };

struct LayoutControl {
  const char* name;  // designer name, UTF-8
  uint32_t kind;
  uint32_t controlId;
  int container;  // kInWindow, kInGroupBox or a page index
  int left, top, width, height;
  bool visible;
  const char* text;  // button caption or label text, UTF-8; nullptr for none
  Action action;     // what a click does (buttons only)
  int32_t actionArg; // ClipId, page index or virtual-key code
  // Labels only: text colour (COLORREF), font height in pixels and face (UTF-8, "" = default).
  uint32_t textColour;
  int fontHeight;
  const char* fontFace;
};

constexpr size_t kMainFormControlCount = 91;
extern const std::array<LayoutControl, kMainFormControlCount> kMainFormControls;  // stored order

constexpr size_t kPageCount = 6;
extern const std::array<const char*, kPageCount> kTabPageTitles;  // UTF-8
extern const char* const kMainFormCaption;                         // UTF-8

// Handler references stored in the event entries: an index into the program's handler
// table, which is this layout: 0 and 1 are the window's events, 2 + i the click of control i.
constexpr uint32_t kHandlerFormCreated = 0;
constexpr uint32_t kHandlerFormCloseQuery = 1;
constexpr uint32_t HandlerOfControl(size_t index) { return uint32_t(2 + index); }
// The control whose click a handler reference names, or nullptr.
const LayoutControl* ControlOfHandler(uint32_t handler);

}  // namespace board
