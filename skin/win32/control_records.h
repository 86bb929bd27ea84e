// The records the skin keeps for the controls it paints, one list per family in each skinned
// window's record, and the window properties that name a control's record for others.
//
// A control carries three published properties: Hw_FuID, the 1-based index of its skinned
// top-level window, Hw_lbID, its 1-based index in that window's list of its family, and
// Hw_hProc, the procedure the skin replaced. Other programs read them; the skin itself finds
// a control through the registry in control_registry.h, which holds the same facts.
//
// Pointers into a list are good only until the next registration: a control's procedure
// looks its record up again after anything that may register controls (the previous
// procedure, a message sent elsewhere).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace board {

inline constexpr wchar_t kPropListIndex[] = L"Hw_lbID";
inline constexpr wchar_t kPropWindowIndex[] = L"Hw_FuID";
inline constexpr wchar_t kPropPreviousProc[] = L"Hw_hProc";
inline constexpr wchar_t kPropTextColour[] = L"Kj_Ztys";
inline constexpr wchar_t kPropBrush[] = L"Kj_dxjb";
inline constexpr wchar_t kPropBrushBitmap[] = L"Kj_wtjb";
// The same roles for controls skinned one at a time as transparent controls.
inline constexpr wchar_t kPropTransparentIndex[] = L"Kj_lbID";
inline constexpr wchar_t kPropTransparentWindow[] = L"Kj_FuID";
inline constexpr wchar_t kPropTransparentProc[] = L"Kj_hProc";

inline int PropInt(HWND window, const wchar_t* name) {
  return int(reinterpret_cast<intptr_t>(GetPropW(window, name)));
}
inline void SetPropInt(HWND window, const wchar_t* name, intptr_t value) {
  SetPropW(window, name, reinterpret_cast<HANDLE>(value));
}

// A list numbered from 1, as the controls' Hw_lbID properties are. A new list holds one
// empty record (window 0), which the first registration fills.
template <class Record>
class ControlList {
 public:
  ControlList() : records_(1) {}
  // The index of the control's record, 0 when it has none.
  int Find(HWND window) const {
    if (!window) return 0;
    for (size_t i = 0; i < records_.size(); ++i)
      if (records_[i].window == window) return int(i) + 1;
    return 0;
  }
  // Fills the empty first record or appends; returns the record's index.
  int Add(Record record) {
    if (records_.size() == 1 && !records_[0].window) {
      records_[0] = std::move(record);
      return 1;
    }
    records_.push_back(std::move(record));
    return int(records_.size());
  }
  Record* At(int index) {
    return index >= 1 && size_t(index) <= records_.size() ? &records_[size_t(index) - 1] : nullptr;
  }
  const Record* At(int index) const {
    return index >= 1 && size_t(index) <= records_.size() ? &records_[size_t(index) - 1] : nullptr;
  }
  // Records, the empty first one included.
  int Count() const { return int(records_.size()); }
  auto begin() { return records_.begin(); }
  auto end() { return records_.end(); }
  auto begin() const { return records_.begin(); }
  auto end() const { return records_.end(); }

 private:
  std::vector<Record> records_;
};

enum class ButtonKind : int32_t {
  kPush = 0,
  kImage = 1,       // one picture, a number and a caption
  kImageFour = 3,   // four pictures and a caption
  kRadio = 4,
  kCheck = 5,
};

// No scratch object per button: each paint makes its GDI+ objects on the stack and frees them.
struct ButtonRecord {
  HWND window = nullptr;
  WNDPROC previousProc = nullptr;
  ButtonKind kind = ButtonKind::kPush;
  std::array<std::vector<uint8_t>, 5> images;  // the image buttons' own copies
  int32_t number = 0;                          // the one-picture button's number
  std::wstring text;
  bool focused = false;
  int32_t checkState = 0;
  HWND parent = nullptr;  // check boxes and radio buttons: the window they were found in
  std::wstring fontName;
  int32_t fontSize = 12;
  int32_t fontStyle = 0;
};

struct ContainerRecord {
  HWND window = nullptr;
  COLORREF colour = 0;
  uint8_t alpha = 255;
  int32_t frame = 0;
  WNDPROC previousProc = nullptr;
  bool dirty = true;
  bool isGroupBox = false;
  int32_t type = 1;  // 0: the container keeps its own painting
  HWND frameAncestor = nullptr;  // as named in its Mb_zpf property
  std::wstring fontName;
  int32_t fontSize = 0;
  int32_t fontStyle = 0;
};

struct EditRecord {
  HWND window = nullptr;
  WNDPROC previousProc = nullptr;
  bool focused = false;
  bool hot = false;
  bool mouseDown = false;
};

struct HeaderImages;  // header_skin.cpp

// Every other family: combo boxes, lists, trackbars, progress bars, up-downs, headers and
// transparent controls. A family uses the fields it needs.
struct SkinControlRecord {
  HWND window = nullptr;
  WNDPROC previousProc = nullptr;
  bool focused = false;
  bool hot = false;
  bool mouseDown = false;
  int32_t hotPart = 0;      // the item or half under the pointer (headers, up-downs)
  int32_t pressedPart = 0;  // the item or half pressed
  COLORREF keyColour = 0;   // transparent controls: the face colour that vanishes
  int32_t alpha = 255;
  // Headers: the skin's own copy of the header's image list and its icons as pixels,
  // dropped when the header goes.
  std::shared_ptr<HeaderImages> headerImages;
};

// Hover classes: which list a window's hot index refers to.
enum HotClass : int32_t {
  kHotButton = 0,
  kHotEdit = 1,
  kHotTrackbar = 2,
  kHotCombo = 3,
  kHotUpDown = 8,
  kHotHeader = 9,
};

// The lists of SkinControls, one per family.
enum class Family : uint8_t {
  kButton, kEdit, kList, kTrackbar, kProgressBar, kCombo, kUpDown, kHeader, kTransparent, kContainer,
};

// The hover class a family's hot index is kept under; -1 for families with no hover look.
constexpr int32_t HotClassOf(Family family) {
  switch (family) {
    case Family::kButton: return kHotButton;
    case Family::kEdit: return kHotEdit;
    case Family::kTrackbar: return kHotTrackbar;
    case Family::kCombo: return kHotCombo;
    case Family::kUpDown: return kHotUpDown;
    case Family::kHeader: return kHotHeader;
    default: return -1;
  }
}

// What one skinned window keeps of its controls. Its controls are found through the
// registry, which forgets them when the lists go.
struct SkinControls {
  SkinControls() = default;
  SkinControls(const SkinControls&) = delete;
  SkinControls& operator=(const SkinControls&) = delete;
  ~SkinControls();

  ControlList<ButtonRecord> buttons;
  ControlList<EditRecord> edits;
  ControlList<SkinControlRecord> lists, trackbars, progressBars, combos, upDowns, headers, transparents;
  ControlList<ContainerRecord> containers;
  // The window-wide hover state: the control drawn hot (0: none), the one that saw the last
  // mouse move, which list the hot index is in, and the parent of the edit last drawn hot
  // (edits in different combo boxes may share an index only with different parents).
  int32_t hotIndex = 0;
  int32_t pointerIndex = 0;
  int32_t hotClass = kHotButton;
  HWND hotParent = nullptr;

  // Calls f(window, propertyForTheWindowIndex) for every registered control.
  template <class F>
  void ForEachControl(F&& f) const {
    auto each = [&f](const auto& list, const wchar_t* windowProp) {
      for (const auto& r : list)
        if (r.window) f(r.window, windowProp);
    };
    each(buttons, kPropWindowIndex);
    each(edits, kPropWindowIndex);
    for (const auto* list : {&lists, &trackbars, &progressBars, &combos, &upDowns, &headers})
      each(*list, kPropWindowIndex);
    each(transparents, kPropTransparentWindow);
    each(containers, kPropWindowIndex);
  }

  // Calls f(list) with the family's list, typed.
  template <class F>
  void WithList(Family family, F&& f) {
    switch (family) {
      case Family::kButton: f(buttons); break;
      case Family::kEdit: f(edits); break;
      case Family::kList: f(lists); break;
      case Family::kTrackbar: f(trackbars); break;
      case Family::kProgressBar: f(progressBars); break;
      case Family::kCombo: f(combos); break;
      case Family::kUpDown: f(upDowns); break;
      case Family::kHeader: f(headers); break;
      case Family::kTransparent: f(transparents); break;
      case Family::kContainer: f(containers); break;
    }
  }
  // The family's list when it holds `Record`s, else null.
  template <class Record>
  ControlList<Record>* ListOf(Family family) {
    ControlList<Record>* out = nullptr;
    WithList(family, [&out](auto& list) {
      if constexpr (std::is_same_v<std::decay_t<decltype(list)>, ControlList<Record>>) out = &list;
    });
    return out;
  }
};

// A window's class name compared without case, as the system compares them.
inline bool HasClass(HWND window, const wchar_t* name) {
  wchar_t buffer[64] = {};
  return window && GetClassNameW(window, buffer, 64) && _wcsicmp(buffer, name) == 0;
}

// Calls f(child) for each direct child of `parent`, top of the z-order first.
template <class F>
void ForEachChild(HWND parent, F&& f) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) f(child);
}

// Calls f(child) for each direct child of `parent` of class `className`.
template <class F>
void ForEachChildOfClass(HWND parent, const wchar_t* className, F&& f) {
  for (HWND child = FindWindowExW(parent, nullptr, className, nullptr); child;
       child = FindWindowExW(parent, child, className, nullptr))
    f(child);
}

// A child's window rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND child, HWND parent) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Asks for one WM_MOUSELEAVE when the pointer leaves the control.
inline void TrackMouseLeave(HWND window) {
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
  TrackMouseEvent(&track);
}

}  // namespace board
