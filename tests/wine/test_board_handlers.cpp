// The board's real handler table on the real main window: every button does its one action.
// A recording service entry stands in for the playback host.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "app/clip_catalogue.h"
#include "app/main_form_layout.h"
#include "app/win32/clip_store.h"
#include "app/win32/program.h"
#include "base/byte_io.h"
#include "audio/win32/commands.h"
#include "audio/win32/host.h"

namespace board {
namespace {

struct Request {
  int32_t code;
  const uint8_t* data;
  int32_t length;
  int32_t loop;
};
std::vector<Request> g_requests;

int32_t RecordingService(int32_t code, intptr_t first, intptr_t) {
  const auto* play = reinterpret_cast<const PlayRequest*>(first);
  g_requests.push_back({code, play ? play->data : nullptr, play ? play->length : 0,
                        play ? play->loop : 0});
  return code == kServicePlay ? 1 : 0;
}

class BoardHandlersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetHostService(&RecordingService);
    g_requests.clear();
    std::vector<EventHandler> handlers = MakeBoardHandlers(skin);
    // The window's own events are the lifecycle's; here the window only has to exist.
    handlers[kHandlerFormCreated] = nullptr;
    handlers[kHandlerFormCloseQuery] = nullptr;
    engine = std::make_unique<FormEngine>(GetModuleHandleW(nullptr), std::move(handlers));
    ASSERT_TRUE(engine->LoadForm(kMainFormId));
  }
  void TearDown() override {
    if (engine->IsLoaded(kMainFormId)) DestroyWindow(engine->WindowHandle(kMainFormId));
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    engine.reset();
    SetHostService(nullptr);
  }
  void Click(const LayoutControl& c) {
    if (c.container >= 0)
      engine->SetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, c.container);
    SendMessageW(engine->WindowHandle(kMainFormId, c.controlId), BM_CLICK, 0, 0);
  }
  SkinEngine skin;
  std::unique_ptr<FormEngine> engine;
};

TEST_F(BoardHandlersTest, EachClipButtonPlaysItsOwnClipOnceWithoutLoop) {
  std::vector<int> played(kClipCount + 1, 0);
  for (const LayoutControl& c : kMainFormControls) {
    if (c.action != Action::PlayClip) continue;
    g_requests.clear();
    Click(c);
    ASSERT_EQ(g_requests.size(), 1u) << c.name;
    const uint8_t* stored = ClipByteSet(c.actionArg);
    ASSERT_NE(stored, nullptr) << "clip " << c.actionArg << " is missing";
    EXPECT_EQ(g_requests[0].code, kServicePlay);
    EXPECT_EQ(g_requests[0].data, stored + kByteSetHeader) << "the clip is passed in place";
    EXPECT_EQ(uint32_t(g_requests[0].length), LoadU32(stored + 4));
    EXPECT_EQ(g_requests[0].loop, 0);
    EXPECT_EQ(std::memcmp(g_requests[0].data, "RIFF", 4), 0);
    ++played[size_t(c.actionArg)];
  }
  for (int id = 1; id <= kClipCount; ++id) EXPECT_EQ(played[size_t(id)], 1) << "clip " << id;
}

TEST_F(BoardHandlersTest, CategoryStopAndCloseButtons) {
  for (const LayoutControl& c : kMainFormControls) {
    if (c.action != Action::SelectPage) continue;
    // The category row lies on the window, so its clicks need no page switch first.
    SendMessageW(engine->WindowHandle(kMainFormId, c.controlId), BM_CLICK, 0, 0);
    int32_t page = -1;
    engine->GetProperty(kMainFormId, kTabControlId, kTabCurrentPageProperty, -1, page);
    EXPECT_EQ(page, c.actionArg) << c.name;
  }
  g_requests.clear();
  for (const LayoutControl& c : kMainFormControls)
    if (c.action == Action::StopPlayback) Click(c);
  ASSERT_EQ(g_requests.size(), 1u);
  EXPECT_EQ(g_requests[0].code, kServiceStop);

  for (const LayoutControl& c : kMainFormControls)
    if (c.action == Action::CloseProgram) Click(c);
  EXPECT_TRUE(engine->IsLoaded(kMainFormId)) << "the close request is handled later";
  EXPECT_EQ(engine->RunMessageLoop(), 0);
  EXPECT_FALSE(engine->IsLoaded(kMainFormId));
}

}  // namespace
}  // namespace board
