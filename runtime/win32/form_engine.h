// The form engine: creates a window and its controls from a stored form description,
// keeps their properties, dispatches their events to the program's handlers and runs the
// message loop.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "runtime/form_description.h"

namespace board {

class FormEngine;

// A handler is bound to (control, event) by the description's event entries; the entry's
// handler reference is an index into this table.
using EventHandler = std::function<void(FormEngine&)>;

// Common property indices; 8 and up are the kind's own.
enum PropertyIndex : uint32_t {
  kPropLeft, kPropTop, kPropWidth, kPropHeight, kPropTag, kPropVisible, kPropDisabled,
  kPropCursor, kPropTabCurrentPage = 12,
};

struct Form;

class FormEngine {
 public:
  FormEngine(HINSTANCE instance, std::vector<EventHandler> handlers);
  ~FormEngine();
  FormEngine(const FormEngine&) = delete;
  FormEngine& operator=(const FormEngine&) = delete;

  // Loads a form from the program's own resources (RCDATA "FORM_xxxxxxxx") and creates it,
  // owned by `owner` when one is given; its created event runs inside this call. False when
  // the description is missing, unreadable, or its window cannot be created.
  bool LoadForm(uint32_t formId, HWND owner = nullptr);
  // The same from description bytes in memory.
  bool LoadFormFromBytes(std::span<const uint8_t> description, HWND owner = nullptr);

  bool IsLoaded(uint32_t formId) const;
  // Window handle of a form's window (controlId 0 or the window's own id) or control.
  HWND WindowHandle(uint32_t formId, uint32_t controlId = 0) const;

  // Properties by index. `element` is the array index of an array property, -1 for none.
  bool SetProperty(uint32_t formId, uint32_t controlId, uint32_t index, int32_t element,
                   int32_t value);
  bool GetProperty(uint32_t formId, uint32_t controlId, uint32_t index, int32_t element,
                   int32_t& value) const;

  // Asks for the form's window to be destroyed; it happens when the request is handled.
  void RequestDestroy(uint32_t formId);
  // True while the form's close query runs, once its destruction has been asked for, and
  // when it is gone: a fade-in stops there instead of raising the alpha again.
  bool IsClosing(uint32_t formId) const;

  // Runs the message loop until the program's last form window is gone.
  int RunMessageLoop();
  // Handles every message already waiting, then returns.
  void ProcessPendingEvents();
  // Count of form windows alive.
  size_t LiveFormCount() const;

  // The start-up failure box: "运行时出错!", an empty line, "错误信息：" and the reason.
  static void ShowStartupFailure(const wchar_t* reason);

 private:
  friend LRESULT CALLBACK FormWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK ContainerSubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR,
                                                DWORD_PTR);
  Form* FindForm(uint32_t formId) const;
  HWND CreateFormWindow(Form& form, HWND owner);
  HWND CreateControl(Form& form, size_t record, std::vector<uint8_t>& state);
  void EraseForm(const Form* form);
  bool Translate(MSG& msg);
  // Runs the handler bound to the event; false when none is bound.
  bool RaiseEvent(Form& form, size_t record, uint32_t event);
  LRESULT HandleFormMessage(Form& form, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void OnCloseQuery(Form& form, HWND hwnd);
  void OnFormDestroyed(Form& form);

  HINSTANCE instance_;
  std::vector<EventHandler> handlers_;
  std::vector<std::unique_ptr<Form>> forms_;
};

}  // namespace board
