#include "app/win32/program.h"

#include <optional>

#include "app/main_form_layout.h"
#include "app/win32/window_fade.h"
#include "audio/win32/host.h"
#include "host/win32/working_set_trimmer.h"
#include "skin/win32/skin_images.h"

namespace board {

void SkinMainForm(FormEngine& engine, SkinEngine& skin) {
  SkinMainWindow(skin, {.window = engine.WindowHandle(kMainFormId),
                        .image = SkinImageFile(SkinImage::kBackground),
                        .faceColour = 0,
                        .themeColour = 0,
                        .controlAlpha = 0,
                        .captionHeight = 25,
                        .optionA = 0,
                        .optionB = 0,
                        .showTitle = 1});
  SkinContainerWithFace(skin, engine.WindowHandle(kMainFormId, kTabControlId));
  SkinContainerWithFace(skin, engine.WindowHandle(kMainFormId, kGroupBoxControlId));
}

void OnMainFormCreated(FormEngine& engine, SkinEngine& skin) {
  SkinMainForm(engine, skin);
  FadeInWindow(engine, kMainFormId, 0, 20);
}

void OnMainFormCloseQuery(FormEngine& engine) {
  FadeOutWindow(engine, kMainFormId, true, false, 30);
}

// Not the deactivation that closing the window causes: a tool started against a process on
// its way out is pointless, and under Wine it can be left hanging with the board's
// inherited handles.
void TrimOnDeactivation(FormEngine& engine, SkinEngine& skin, bool (*start)()) {
  skin.SetDeactivateHandler([&engine, start] {
    if (!engine.IsClosing(kMainFormId)) start();
  });
}

int RunProgram(HINSTANCE instance) {
  // The playback host first: the player list and the command layer's service entry.
  HostStart();
  // The skin globals live until the exit routine; the form engine, declared after them, is
  // gone before them, so no window outlives the skin that paints it. Their constructor does
  // the work of InitSkinGlobals, and the end-program routine below that of ExitRoutine.
  std::optional<SkinGlobals> skin(std::in_place);
  // The background picture decodes and scales on a thread of its own while the form builds
  // its 91 controls; the created event's SetSkinImage takes it from there.
  skin->skin.PreloadPicture(SkinImageFile(SkinImage::kBackground), kMainWindowWidth, kMainWindowHeight);
  FormEngine engine(instance, MakeBoardHandlers(skin->skin));
  // Each deactivation trims the board's working set on a thread of its own.
  TrimOnDeactivation(engine, skin->skin, &StartTrimmer);
  // The exit routine, whichever way the program ends: the host stops every player and waits
  // for their threads; the skin globals go, GDI+ last. Ending at once (the fade's end-program
  // path) runs it before the process goes.
  SetEndProgram([&skin] {
    HostEnd();
    skin.reset();
  });
  int code = 0;
  if (!engine.LoadForm(kMainFormId)) {
    FormEngine::ShowStartupFailure(L"载入启动窗口失败");
    code = -1;
  } else {
    engine.RunMessageLoop();
  }
  HostEnd();
  SetEndProgram(nullptr);  // it reaches the skin globals, which go with this call
  return code;
}

}  // namespace board
