// The binder against the real loader: entries bind once, by name or by ordinal, from the
// program's directory, the system libraries or a full path; failures say so once and call
// nothing. GDI+ start-up and shut-down keep each token to one shutdown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/win32/gdiplus_api.h"
#include "skin/win32/gdiplus_session.h"

namespace board::gp {
namespace {

// What the fake loader saw.
struct LoaderLog {
  std::vector<std::wstring> loaded;  // every name asked for, in order
  int freed = 0;
  std::vector<std::wstring> messages;
};
LoaderLog* g_log = nullptr;

HMODULE WINAPI CountingLoad(LPCWSTR name) {
  g_log->loaded.push_back(name);
  return LoadLibraryW(name);
}
BOOL WINAPI CountingFree(HMODULE module) {
  ++g_log->freed;
  return FreeLibrary(module);
}
int WINAPI RecordingMessageBox(HWND, LPCWSTR text, LPCWSTR, UINT) {
  g_log->messages.push_back(text);
  return IDOK;
}

class Binding : public testing::Test {
 protected:
  void SetUp() override {
    g_log = &log_;
    CurrentBindingCalls() = {&CountingLoad, &GetProcAddress, &CountingFree, &RecordingMessageBox};
  }
  void TearDown() override {
    CurrentBindingCalls() = RealBindingCalls();
    g_log = nullptr;
  }
  static std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L'\\'));
  }
  LoaderLog log_;
};

using AnswerFn = int(WINAPI*)();
using OrdinalFn = int(WINAPI*)(int);

TEST_F(Binding, EntryBindsOnceFromBesideTheProgram) {
  Entry<AnswerFn> answer{L"board_ordinal_test.dll", "NamedAnswer"};
  EXPECT_EQ(answer.module(), nullptr);
  EXPECT_EQ(answer(), 42);
  ASSERT_EQ(log_.loaded.size(), 1u);
  EXPECT_EQ(log_.loaded[0], ProgramDirectory() + L"\\board_ordinal_test.dll");
  EXPECT_EQ(answer.module(), GetModuleHandleW(L"board_ordinal_test.dll"));
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(log_.loaded.size(), 1u) << "a second call loaded the library again";
  EXPECT_TRUE(log_.messages.empty());
}

TEST_F(Binding, OrdinalEntriesFindTheFunctionByNumber) {
  Entry<OrdinalFn> twelve{L"board_ordinal_test.dll", "#12"};
  EXPECT_EQ(twelve(5), 22);
  // The number is masked to 16 bits: 65548 is ordinal 12 too.
  Entry<OrdinalFn> masked{L"board_ordinal_test.dll", "#65548"};
  EXPECT_EQ(masked(1), 14);
  // A full path is loaded as it is.
  const std::wstring full = ProgramDirectory() + L"\\board_ordinal_test.dll";
  log_.loaded.clear();
  Entry<OrdinalFn> byPath{full.c_str(), "#12"};
  EXPECT_EQ(byPath(0), 12);
  EXPECT_EQ(log_.loaded, std::vector<std::wstring>{full});
  EXPECT_TRUE(log_.messages.empty());
}

TEST_F(Binding, EntryWithoutLibraryKeepsTheFirstSystemLibraryThatHasIt) {
  Entry<decltype(&GetSysColor)> sysColor{L"", "GetSysColor"};
  EXPECT_EQ(sysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(log_.loaded, (std::vector<std::wstring>{L"Kernel32.dll", L"Gdi32.dll", L"User32.dll"}));
  EXPECT_EQ(log_.freed, 2) << "the libraries without the export are given back";
  EXPECT_EQ(sysColor.module(), GetModuleHandleW(L"user32.dll"));
}

TEST_F(Binding, UnboundEntrySaysSoOnceAndCallsNothing) {
  Entry<AnswerFn> missing{L"board_ordinal_test.dll", "NoSuchExport"};
  EXPECT_EQ(missing(), 0);
  EXPECT_EQ(missing(), 0);
  ASSERT_EQ(log_.messages.size(), 1u);
  EXPECT_EQ(log_.messages[0],
            L"无法找到指定DLL库文件“board_ordinal_test.dll”中的输出命令“NoSuchExport”");
  EXPECT_EQ(log_.loaded.size(), 1u);
  EXPECT_EQ(log_.freed, 1);

  // A GDI+ entry that cannot be bound reports a failed status, never Ok.
  log_ = {};
  Entry<decltype(&Gdiplus::DllExports::GdipCreatePath)> noPath{L"", "GdipNoSuchFunction"};
  Gdiplus::GpPath* path = nullptr;
  EXPECT_NE(noPath(Gdiplus::FillModeAlternate, &path), Gdiplus::Ok);
  EXPECT_EQ(path, nullptr);
  EXPECT_EQ(log_.loaded.size(), 6u);
  ASSERT_EQ(log_.messages.size(), 1u);
  EXPECT_EQ(log_.messages[0], L"无法找到指定DLL库文件中的输出命令“GdipNoSuchFunction”");

  // "#0" can name nothing: refused before any library is touched.
  log_ = {};
  Entry<AnswerFn> zero{L"board_ordinal_test.dll", "#0"};
  EXPECT_EQ(zero(), 0);
  EXPECT_TRUE(log_.loaded.empty());
  EXPECT_EQ(log_.messages.size(), 1u);
}

TEST_F(Binding, TableEntriesBindToGdiPlus) {
  GdiPlusSession session;
  ASSERT_NE(session.token(), 0u);
  Gdiplus::GpPath* path = nullptr;
  ASSERT_EQ(Api().GdipCreatePath(Gdiplus::FillModeAlternate, &path), Gdiplus::Ok);
  Api().GdipDeletePath(path);
  EXPECT_EQ(Api().GdipCreatePath.module(), GetModuleHandleW(L"gdiplus.dll"));
}

// Start-up and shut-down against fakes, which hand out distinct tokens (Wine's GDI+ gives
// every start the same one) and count the shutdowns.
struct FakeGdiPlus {
  ULONG_PTR next = 100;
  UINT32 version = 0;
  bool othersZero = false;
  std::vector<ULONG_PTR> shutdowns;
};
FakeGdiPlus* g_fake = nullptr;

Gdiplus::Status WINAPI FakeStartup(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput* in,
                                   Gdiplus::GdiplusStartupOutput* out) {
  g_fake->version = in->GdiplusVersion;
  g_fake->othersZero = !in->DebugEventCallback && !in->SuppressBackgroundThread &&
                       !in->SuppressExternalCodecs && !out;
  *token = ++g_fake->next;
  return Gdiplus::Ok;
}
void WINAPI FakeShutdown(ULONG_PTR token) { g_fake->shutdowns.push_back(token); }

class StartStop : public testing::Test {
 protected:
  void SetUp() override {
    g_fake = &fake_;
    realStartup_ = Api().GdiplusStartup.Bind();
    realShutdown_ = Api().GdiplusShutdown.Bind();
    Api().GdiplusStartup.BindTo(reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeStartup)));
    Api().GdiplusShutdown.BindTo(reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeShutdown)));
  }
  void TearDown() override {
    Api().GdiplusStartup.BindTo(realStartup_, GetModuleHandleW(L"gdiplus.dll"));
    Api().GdiplusShutdown.BindTo(realShutdown_, GetModuleHandleW(L"gdiplus.dll"));
    g_fake = nullptr;
  }
  FakeGdiPlus fake_;
  FARPROC realStartup_ = nullptr;
  FARPROC realShutdown_ = nullptr;
};

TEST_F(StartStop, EachTokenIsShutDownOnce) {
  {
    GdiPlusSession session;
    EXPECT_EQ(session.token(), 101u);
    EXPECT_EQ(fake_.version, 1u);
    EXPECT_TRUE(fake_.othersZero);
    StopGdiPlus(session.token());  // another owner stops it first
    EXPECT_FALSE(GdiPlusRunning());
  }  // the session's own stop finds nothing left to do
  EXPECT_EQ(fake_.shutdowns, std::vector<ULONG_PTR>{101});

  const ULONG_PTR first = StartGdiPlus(2);
  EXPECT_EQ(fake_.version, 2u);
  const ULONG_PTR second = StartGdiPlus();
  StopGdiPlus();  // the module's own token: the latest
  StopGdiPlus();  // cleared: nothing
  StopGdiPlus(second);
  StopGdiPlus(0);
  StopGdiPlus(12345);  // never started here
  EXPECT_TRUE(GdiPlusRunning());
  StopGdiPlus(first);
  StopGdiPlus(first);
  EXPECT_FALSE(GdiPlusRunning());
  EXPECT_EQ(fake_.shutdowns, (std::vector<ULONG_PTR>{101, second, first}));
}

}  // namespace
}  // namespace board::gp
