// The board's click handlers: each is one command with constant arguments, taken from the
// layout table's action column.
#include "app/main_form_layout.h"
#include "app/win32/clip_store.h"
#include "app/win32/program.h"
#include "host/win32/key_press.h"
#include "audio/win32/commands.h"

namespace board {

std::vector<EventHandler> MakeBoardHandlers(SkinEngine& skin) {
  std::vector<EventHandler> handlers(HandlerOfControl(kMainFormControlCount));
  handlers[kHandlerFormCreated] = [&skin](FormEngine& e) { OnMainFormCreated(e, skin); };
  handlers[kHandlerFormCloseQuery] = &OnMainFormCloseQuery;
  for (size_t i = 0; i < kMainFormControlCount; ++i) {
    const LayoutControl& c = kMainFormControls[i];
    const int32_t arg = c.actionArg;
    EventHandler& h = handlers[HandlerOfControl(i)];
    switch (c.action) {
      case Action::PlayClip:
        h = [arg](FormEngine&) {
          const ArgRecord args[] = {ArgByteSet(ClipByteSet(arg)), ArgOmitted()};
          ResultRecord result;
          PlayMusic(result, args);
        };
        break;
      case Action::SelectPage:
        h = [arg](FormEngine& e) {
          e.SetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, arg);
        };
        break;
      case Action::StopPlayback:
        h = [](FormEngine&) { StopPlayback(); };
        break;
      case Action::PressKey:
        h = [arg](FormEngine&) {
          const ArgRecord args[] = {ArgInt(arg), ArgOmitted(), ArgOmitted()};
          SimulateKeys(args);
        };
        break;
      case Action::CloseProgram:
        h = [](FormEngine& e) { e.RequestDestroy(kMainFormId); };
        break;
      case Action::None:
        break;
    }
  }
  return handlers;
}

}  // namespace board
