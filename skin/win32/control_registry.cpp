#include "skin/win32/control_registry.h"

#include <array>
#include <unordered_map>

#include "skin/win32/container_skin.h"

namespace board {

namespace {

using Links = std::unordered_map<HWND, std::array<ControlLink, 2>>;

// Never destroyed: control procedures and a static engine's window lists may run after
// any static of this file would be gone.
Links& AllLinks() {
  static Links& links = *new Links;
  return links;
}

struct SlotProps {
  const wchar_t* index;
  const wchar_t* window;
  const wchar_t* proc;
};
SlotProps PropsOf(PropSlot slot) {
  if (slot == PropSlot::kTransparent) return {kPropTransparentIndex, kPropTransparentWindow, kPropTransparentProc};
  return {kPropListIndex, kPropWindowIndex, kPropPreviousProc};
}

bool Linked(const ControlLink& link) { return link.own != nullptr; }

WNDPROC CurrentProc(HWND control) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
}

// Empties the control's record and its window-wide hover, and lets go of its colour slot.
void ForgetRecord(HWND control, const ControlLink& link) {
  SkinControls& controls = *link.controls;
  controls.WithList(link.family, [&](auto& list) {
    auto* record = list.At(link.listIndex);
    // The record keeps its place: the indexes of the others do not move.
    if (record && record->window == control) *record = std::decay_t<decltype(*record)>{};
  });
  const int32_t hotClass = HotClassOf(link.family);
  if (hotClass >= 0 && controls.hotIndex == link.listIndex && controls.hotClass == hotClass)
    controls.hotIndex = 0;
  if (SkinEngine* engine = SkinEngine::Instance())
    if (const int windowIndex = WindowIndexOf(*engine, &controls))
      engine->ReleaseControlColour(windowIndex, control);
}

}  // namespace

const ControlLink* FindLink(HWND control, PropSlot slot) {
  const Links& links = AllLinks();
  const auto it = links.find(control);
  if (it == links.end()) return nullptr;
  const ControlLink& link = it->second[size_t(slot)];
  return Linked(link) ? &link : nullptr;
}

int WindowIndexOf(SkinEngine& engine, const SkinControls* controls) {
  if (!controls) return 0;
  for (int i = 1; i <= int(engine.WindowCount()); ++i)
    if (engine.ControlsOf(i) == controls) return i;
  return 0;
}

WNDPROC LinkControl(HWND control, int windowIndex, ControlLink link) {
  ControlLink& kept = AllLinks()[control][size_t(SlotOf(link.family))];
  const SlotProps props = PropsOf(SlotOf(link.family));
  SetPropInt(control, props.index, link.listIndex);
  SetPropInt(control, props.window, windowIndex);
  if (Linked(kept)) {
    // Skinned before, by a window since released: the skin's procedure is still in the
    // control's chain, and wrapping it again would make it its own previous procedure.
    link.previous = kept.previous;
  } else {
    link.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link.own)));
    SetPropW(control, props.proc, reinterpret_cast<HANDLE>(link.previous));
  }
  kept = link;
  return link.previous;
}

LRESULT CallPreviousProc(HWND control, UINT message, WPARAM wp, LPARAM lp, PropSlot slot) {
  const ControlLink* link = FindLink(control, slot);
  // A control the registry does not know is no longer the skin's; its property is the last
  // word on what it had.
  const WNDPROC previous = link ? link->previous
                                : reinterpret_cast<WNDPROC>(GetPropW(control, PropsOf(slot).proc));
  return previous ? CallWindowProcW(previous, control, message, wp, lp)
                  : DefWindowProcW(control, message, wp, lp);
}

LRESULT DestroyedControl(HWND control, PropSlot slot, WPARAM wp, LPARAM lp) {
  ControlLink link;
  Links& links = AllLinks();
  if (const auto it = links.find(control); it != links.end()) {
    link = it->second[size_t(slot)];
    it->second[size_t(slot)] = {};
    if (!Linked(it->second[0]) && !Linked(it->second[1])) links.erase(it);
  }
  const SlotProps props = PropsOf(slot);
  const WNDPROC previous =
      Linked(link) ? link.previous : reinterpret_cast<WNDPROC>(GetPropW(control, props.proc));
  if (link.controls) ForgetRecord(control, link);
  // Windows asks for every property to go before the window does.
  for (const wchar_t* name : {props.index, props.window, props.proc}) RemovePropW(control, name);
  if (slot == PropSlot::kMain)
    for (const wchar_t* name : {kPropTextColour, kPropBrush, kPropBrushBitmap, kPropFrameAncestor})
      RemovePropW(control, name);
  if (Linked(link) && previous && CurrentProc(control) == link.own)
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  return previous ? CallWindowProcW(previous, control, WM_NCDESTROY, wp, lp)
                  : DefWindowProcW(control, WM_NCDESTROY, wp, lp);
}

SkinControls::~SkinControls() {
  // The window is released: its controls keep their previous procedures, not their lists.
  for (auto& [control, slots] : AllLinks())
    for (ControlLink& link : slots)
      if (link.controls == this) link.controls = nullptr;
}

}  // namespace board
