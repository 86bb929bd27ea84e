// Key presses as the system sees them: a low-level keyboard hook watches the real events.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <utility>
#include <vector>

#include "host/win32/key_press.h"
#include "tests/support/key_hook.h"

namespace board {
namespace {

using KeyEvent = std::pair<bool, DWORD>;  // (down, virtual key)

// Sends the keys from another thread while this one runs the hook, and returns what the
// hook saw once `expected` events have arrived (or two seconds have passed).
std::vector<KeyEvent> Watch(std::vector<ArgRecord> args, size_t expected) {
  testing::KeyHook hook;
  EXPECT_TRUE(hook) << "no low-level keyboard hook";
  std::thread sender([&] { SimulateKeys(args); });
  hook.waitFor(expected, 2000);
  sender.join();
  std::vector<KeyEvent> seen;
  for (const testing::KeyEvent& e : hook.events()) {
    EXPECT_TRUE(e.injected) << "key " << e.vk << " did not come from keybd_event";
    seen.push_back({e.down, e.vk});
  }
  return seen;
}

TEST(KeyPress, VolumeKeysGoDownThenUp) {
  for (int vk : {173, 174, 175})
    EXPECT_EQ(Watch({ArgInt(vk)}, 2), (std::vector<KeyEvent>{{true, DWORD(vk)}, {false, DWORD(vk)}}))
        << vk;
}

TEST(KeyPress, ChordsReleaseInPressOrder) {
  EXPECT_EQ(Watch({ArgInt(17), ArgInt(16), ArgInt(65)}, 6),
            (std::vector<KeyEvent>{{true, 17}, {true, 16}, {true, 65}, {false, 17}, {false, 16},
                                   {false, 65}}));
  // A zero second key is skipped while the third is still sent.
  EXPECT_EQ(Watch({ArgInt(17), ArgInt(0), ArgInt(66)}, 4),
            (std::vector<KeyEvent>{{true, 17}, {true, 66}, {false, 17}, {false, 66}}));
}

TEST(KeyPress, TextKeysUseTheLayoutWithoutShift) {
  for (const char* text : {"A", "a"})
    EXPECT_EQ(Watch({ArgText(text)}, 2), (std::vector<KeyEvent>{{true, 0x41}, {false, 0x41}}))
        << text;
}

// The exact calls, through the seam: the first key goes out even when it is 0, and a
// character the layout cannot type becomes key 255.
struct Recorder {
  static inline std::vector<std::pair<BYTE, DWORD>> calls;
  static void WINAPI Keybd(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
    EXPECT_EQ(scan, 0);
    EXPECT_EQ(extra, 0u);
    calls.push_back({vk, flags});
  }
  static SHORT WINAPI Scan(CHAR ch, HKL) { return ch == '~' ? SHORT(-1) : SHORT(0x0100 | 0x41); }
  static HKL WINAPI Layout(DWORD) { return nullptr; }
};

TEST(KeyPress, ExactCallsThroughTheSeam) {
  const KeyApi api{&Recorder::Keybd, &Recorder::Scan, &Recorder::Layout};
  struct Case {
    std::vector<ArgRecord> args;
    std::vector<std::pair<BYTE, DWORD>> calls;
  };
  const Case cases[] = {
      {{ArgInt(0)}, {{0, 0}, {0, KEYEVENTF_KEYUP}}},
      {{ArgOmitted(), ArgInt(5)}, {{0, 0}, {5, 0}, {0, KEYEVENTF_KEYUP}, {5, KEYEVENTF_KEYUP}}},
      {{ArgText("~")}, {{255, 0}, {255, KEYEVENTF_KEYUP}}},
      {{ArgText("x")}, {{0x41, 0}, {0x41, KEYEVENTF_KEYUP}}},  // the shift byte is dropped
      {{ArgInt(0x1AD)}, {{0xAD, 0}, {0xAD, KEYEVENTF_KEYUP}}},
  };
  for (const Case& c : cases) {
    Recorder::calls.clear();
    SimulateKeys(c.args, api);
    EXPECT_EQ(Recorder::calls, c.calls);
  }
}

}  // namespace
}  // namespace board
