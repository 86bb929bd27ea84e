// The one registry of skinned controls: which window's list a control is in, its place
// there and the procedure the skin replaced, found by the control's handle in this
// process's memory. The published properties (Hw_lbID, Hw_FuID, Hw_hProc and the Kj_ names
// of transparent controls) are still written for other programs, but never read back on
// the way of a message: under Wine every GetPropW is a round trip to the wineserver.
//
// A control leaves the registry on WM_NCDESTROY, through DestroyedControl: its record is
// emptied, its colour slot released and the properties the skin set removed, so a later
// window with the same handle is a new control to the skin.
#pragma once
#include <windows.h>

#include "skin/win32/control_records.h"
#include "skin/win32/skin_engine.h"

namespace board {

// Transparent controls carry their own set of properties, so a control may be in one
// family and be a transparent control as well, each with its own procedure.
enum class PropSlot : uint8_t { kMain = 0, kTransparent = 1 };
constexpr PropSlot SlotOf(Family family) {
  return family == Family::kTransparent ? PropSlot::kTransparent : PropSlot::kMain;
}

struct ControlLink {
  SkinControls* controls = nullptr;  // null once the lists are gone (the window released)
  Family family = Family::kButton;
  int listIndex = 0;
  WNDPROC own = nullptr;       // the skin's procedure on the control
  WNDPROC previous = nullptr;  // the one it replaced
};

// The control's link in `slot`, null when it has none.
const ControlLink* FindLink(HWND control, PropSlot slot = PropSlot::kMain);

// The 1-based index of the skinned window whose lists these are; 0 when none.
int WindowIndexOf(SkinEngine& engine, const SkinControls* controls);

// A registered control: the engine, its window's lists, its record and its indexes; empty
// when the engine, the lists or the record are gone.
template <class Record>
struct FoundControl {
  SkinEngine* engine = nullptr;
  SkinControls* controls = nullptr;
  Record* record = nullptr;
  int listIndex = 0;
  explicit operator bool() const { return record != nullptr; }
};

template <class Record>
FoundControl<Record> FindRecord(HWND control, Family family) {
  SkinEngine* engine = SkinEngine::Instance();
  const ControlLink* link = control && engine ? FindLink(control, SlotOf(family)) : nullptr;
  if (!link || !link->controls || link->family != family) return {};
  ControlList<Record>* list = link->controls->ListOf<Record>(family);
  Record* record = list ? list->At(link->listIndex) : nullptr;
  if (!record || record->window != control) return {};
  return {engine, link->controls, record, link->listIndex};
}

// Keeps `link` for the control, writes its published properties and puts `link.own` in
// front of the control's procedure (unless it is there from an earlier registration);
// returns the procedure it replaced.
WNDPROC LinkControl(HWND control, int windowIndex, ControlLink link);

// Registers `control` once in `family`'s list of window `windowIndex`: `record` (its window
// set here), the published properties, and `proc` in front of the control's own procedure.
// Returns the record's index; 0 when there is no such window, no control, or the control is
// registered in that family's slot already. A control still carrying the skin's procedure
// from a window released earlier keeps its first previous procedure.
template <class Record>
int RegisterControl(SkinEngine& engine, int windowIndex, Family family, HWND control, WNDPROC proc,
                    Record record = {});

// The procedure the skin replaced on the control, or DefWindowProc when there is none.
LRESULT CallPreviousProc(HWND control, UINT message, WPARAM wp, LPARAM lp, PropSlot slot = PropSlot::kMain);

// WM_NCDESTROY for a control in `slot`: forgets it (record, hover, colour slot, the skin's
// properties), gives it back the procedure the skin replaced and passes the message on.
LRESULT DestroyedControl(HWND control, PropSlot slot, WPARAM wp, LPARAM lp);


template <class Record>
int RegisterControl(SkinEngine& engine, int windowIndex, Family family, HWND control, WNDPROC proc,
                    Record record) {
  SkinControls* controls = engine.ControlsOf(windowIndex);
  ControlList<Record>* list = controls ? controls->ListOf<Record>(family) : nullptr;
  if (!list || !control) return 0;
  const ControlLink* known = FindLink(control, SlotOf(family));
  if (known && known->controls) return 0;  // registered, here or in another window's lists
  record.window = control;
  const int index = list->Add(std::move(record));
  list->At(index)->previousProc = LinkControl(control, windowIndex, {controls, family, index, proc, nullptr});
  return index;
}

}  // namespace board
