// The working-set trimmer against a temporary "windir": what it writes, what it starts and
// with which command line, and the embedded tool's own behaviour.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <climits>
#include <mutex>
#include <string>
#include <vector>

#include "base/win32/resource_bytes.h"
#include "base/win32/scoped_win.h"
#include "host/win32/working_set_trimmer.h"

namespace board {
namespace {

constexpr DWORD kWaitMs = 15000;  // a Wine process start can take two seconds

std::vector<uint8_t> ToolBytes() {
  const auto tool = EmptyToolBytes();
  return {tool.begin(), tool.end()};
}

std::vector<uint8_t> ReadAll(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  std::vector<uint8_t> bytes;
  uint8_t chunk[4096];
  DWORD n = 0;
  while (file && ReadFile(file.get(), chunk, sizeof(chunk), &n, nullptr) && n)
    bytes.insert(bytes.end(), chunk, chunk + n);
  return bytes;
}

bool WriteAll(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD n = 0;
  return file && WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &n, nullptr) &&
         n == bytes.size();
}

std::vector<std::wstring> FilesIn(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// The program a command line names: the quoted part, or everything up to the first blank.
std::wstring ProgramOf(const std::wstring& line) {
  if (!line.empty() && line[0] == L'"') return line.substr(1, line.find(L'"', 1) - 1);
  return line.substr(0, line.find(L' '));
}

// One process start the trimmer asked for.
struct ToolStart {
  std::wstring commandLine;
  bool sawWholeTool = false;  // the named file held the whole tool at that moment
  WORD showWindow = 0xFFFF;
  DWORD startFlags = 0, startSize = 0, creationFlags = ~0u;
  BOOL inherit = TRUE;
  bool systemDefaults = false;  // no application name, attributes, environment or directory
  std::wstring image;           // the program the system really started
  UniqueHandle process;         // kept to read its exit code
};

// Plain function pointers for the seam, so the state lives here.
struct Seam {
  static inline std::wstring windir;
  static inline bool startForReal = false, refuse = false, pauseFirstWrite = false;
  static inline std::atomic<int> writes{0};
  static inline std::mutex mutex;
  static inline std::vector<ToolStart> runs;
  static inline UniqueHandle runStarted, firstWriteHalfDone, finishFirstWrite;

  static DWORD WINAPI GetEnv(LPCWSTR name, LPWSTR buffer, DWORD size) {
    if (lstrcmpiW(name, L"windir") != 0) return 0;
    if (windir.size() >= size) return DWORD(windir.size() + 1);
    lstrcpyW(buffer, windir.c_str());
    return DWORD(windir.size());
  }

  // The first write stops halfway until the test lets it go, so every other trimmer runs
  // while one copy of the tool is half written.
  static BOOL WINAPI Write(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                           LPOVERLAPPED overlapped) {
    if (!pauseFirstWrite || writes++ != 0) return WriteFile(file, bytes, count, written, overlapped);
    const DWORD half = count / 2;
    DWORD first = 0, second = 0;
    BOOL ok = WriteFile(file, bytes, half, &first, overlapped);
    SetEvent(firstWriteHalfDone.get());
    WaitForSingleObject(finishFirstWrite.get(), kWaitMs);
    ok = ok && WriteFile(file, static_cast<const uint8_t*>(bytes) + half, count - half, &second,
                         overlapped);
    *written = first + second;
    return ok;
  }

  static BOOL WINAPI Create(LPCWSTR app, LPWSTR line, LPSECURITY_ATTRIBUTES pa,
                            LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID env,
                            LPCWSTR dir, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info) {
    ToolStart run;
    run.commandLine = line;
    run.sawWholeTool = ReadAll(ProgramOf(line)) == ToolBytes();
    run.showWindow = startup->wShowWindow;
    run.startFlags = startup->dwFlags;
    run.startSize = startup->cb;
    run.inherit = inherit;
    run.creationFlags = flags;
    run.systemDefaults = !app && !pa && !ta && !env && !dir;
    BOOL ok = !refuse;
    if (ok && startForReal) {
      ok = CreateProcessW(app, line, pa, ta, inherit, flags, env, dir, startup, info);
      if (ok) {
        wchar_t image[MAX_PATH];
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(info->hProcess, 0, image, &size)) run.image = image;
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), info->hProcess, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        run.process.reset(copy);
      }
    } else if (ok) {
      // A program that has already ended: set events stand in for its handles.
      info->hProcess = CreateEventW(nullptr, TRUE, TRUE, nullptr);
      info->hThread = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      runs.push_back(std::move(run));
    }
    ReleaseSemaphore(runStarted.get(), 1, nullptr);
    return ok;
  }

  static const TrimmerApi& Api() {
    static const TrimmerApi api{&GetEnv, &Write, {&Create}};
    return api;
  }
};

class TrimmerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    root_ = std::wstring(temp) + L"board-trim-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++serial);
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr)) << "no temporary directory";
    UseWindir(L"windows");
    Seam::startForReal = Seam::refuse = Seam::pauseFirstWrite = false;
    Seam::writes = 0;
    Seam::runs.clear();
    Seam::runStarted.reset(CreateSemaphoreW(nullptr, 0, 100, nullptr));
    Seam::firstWriteHalfDone.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Seam::finishFirstWrite.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  }
  void TearDown() override {
    SetEvent(Seam::finishFirstWrite.get());  // a failed test may have left a writer waiting
    dirs_.push_back(root_);
    for (const std::wstring& dir : dirs_) {
      for (const std::wstring& name : FilesIn(dir)) DeleteFileW((dir + L"\\" + name).c_str());
      RemoveDirectoryW(dir.c_str());
    }
  }

  void UseWindir(const std::wstring& leaf) {
    Seam::windir = root_ + L"\\" + leaf;
    ASSERT_TRUE(CreateDirectoryW(Seam::windir.c_str(), nullptr));
    dirs_.push_back(Seam::windir);
  }
  std::wstring ToolPath() const { return Seam::windir + L"\\empty.exe"; }
  std::wstring ExpectedCommand() const {
    return L"\"" + ToolPath() + L"\" " + std::to_wstring(GetCurrentProcessId());
  }

  static ::testing::AssertionResult RunsStarted(size_t count) {
    for (size_t i = 0; i < count; ++i)
      if (WaitForSingleObject(Seam::runStarted.get(), kWaitMs) != WAIT_OBJECT_0)
        return ::testing::AssertionFailure() << "only " << i << " of " << count << " tool starts";
    return ::testing::AssertionSuccess();
  }
  static DWORD ExitCodeOf(const ToolStart& run) {
    if (!run.process) return ~0u;
    EXPECT_EQ(WaitForSingleObject(run.process.get(), kWaitMs), WAIT_OBJECT_0)
        << "the tool did not end";
    DWORD code = ~0u;
    GetExitCodeProcess(run.process.get(), &code);
    return code;
  }

  std::wstring root_;
  std::vector<std::wstring> dirs_;  // inside root_
};

TEST_F(TrimmerTest, TheEmbeddedToolIsAConsoleProgramOfThisBuildsWidth) {
  const auto stored = ResourceBytes(L"EMPTY_TOOL");
  const auto tool = EmptyToolBytes();
  ASSERT_GT(tool.size(), 1024u) << "no EMPTY_TOOL ByteSet in the exe";
  EXPECT_LE(stored.size() - tool.size(), 8u + 1u);  // the header, and a pad byte at most
  ASSERT_EQ(tool[0], 'M');
  ASSERT_EQ(tool[1], 'Z');
  const uint32_t pe = tool[0x3C] | tool[0x3D] << 8;
  ASSERT_LT(pe + 0x60u, tool.size());
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(tool.data() + pe);
  EXPECT_EQ(headers->Signature, DWORD(IMAGE_NT_SIGNATURE));
  EXPECT_EQ(headers->FileHeader.Machine, sizeof(void*) == 4 ? IMAGE_FILE_MACHINE_I386
                                                            : IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(headers->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_CUI);
}

TEST_F(TrimmerTest, FirstTrimWritesTheToolAndRunsItOnThisProcessLaterOnesNeverRewrite) {
  Seam::startForReal = true;
  ASSERT_TRUE(StartTrimmerWith(Seam::Api()));
  ASSERT_TRUE(RunsStarted(1)) << "the first trim";
  const ToolStart& first = Seam::runs[0];
  EXPECT_EQ(first.commandLine, ExpectedCommand());
  EXPECT_TRUE(first.sawWholeTool);
  EXPECT_EQ(first.showWindow, SW_HIDE);
  EXPECT_EQ(ExitCodeOf(first), 0u) << "the tool could not empty this process's working set";
  EXPECT_EQ(ReadAll(ToolPath()), ToolBytes());
  EXPECT_EQ(FilesIn(Seam::windir), std::vector<std::wstring>{L"empty.exe"}) << "a copy was left";

  // The tool already there keeps its bytes and its time stamp.
  FILETIME old{0xC89DC000, 0x01C07385};  // 1 January 2001
  {
    UniqueHandle file(CreateFileW(ToolPath().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file && SetFileTime(file.get(), nullptr, nullptr, &old));
  }
  EXPECT_TRUE(TrimOwnWorkingSet(Seam::Api()));
  ASSERT_TRUE(RunsStarted(1)) << "the second trim";
  EXPECT_EQ(ExitCodeOf(Seam::runs[1]), 0u);
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  ASSERT_TRUE(GetFileAttributesExW(ToolPath().c_str(), GetFileExInfoStandard, &attributes));
  EXPECT_EQ(CompareFileTime(&attributes.ftLastWriteTime, &old), 0) << "the tool was rewritten";

  // Any file of that name is used as it is: running it fails, and it stays unchanged.
  const std::vector<uint8_t> foreign = {'n', 'o', 't', ' ', 'a', ' ', 't', 'o', 'o', 'l'};
  ASSERT_TRUE(WriteAll(ToolPath(), foreign));
  EXPECT_FALSE(TrimOwnWorkingSet(Seam::Api()));
  ASSERT_TRUE(RunsStarted(1)) << "the trim over a foreign file";
  EXPECT_EQ(Seam::runs[2].commandLine, ExpectedCommand());
  EXPECT_EQ(ReadAll(ToolPath()), foreign);
}

TEST_F(TrimmerTest, TenTrimmersOnTheFirstRunNeverStartAPartialTool) {
  Seam::pauseFirstWrite = true;
  constexpr size_t kTrimmers = 10;
  for (size_t i = 0; i < kTrimmers; ++i) ASSERT_TRUE(StartTrimmerWith(Seam::Api()));
  ASSERT_EQ(WaitForSingleObject(Seam::firstWriteHalfDone.get(), kWaitMs), WAIT_OBJECT_0)
      << "no trimmer wrote the tool";
  // Nine trimmers get to their start while one copy is still half written...
  ASSERT_TRUE(RunsStarted(kTrimmers - 1)) << "while one copy was half written";
  SetEvent(Seam::finishFirstWrite.get());
  ASSERT_TRUE(RunsStarted(1)) << "after the slow copy was finished";  // ...and the slow one
  std::lock_guard<std::mutex> lock(Seam::mutex);
  ASSERT_EQ(Seam::runs.size(), kTrimmers);
  for (const ToolStart& run : Seam::runs) {
    EXPECT_TRUE(run.sawWholeTool) << "a trimmer started a partly written tool";
    EXPECT_EQ(run.commandLine, ExpectedCommand());
  }
  EXPECT_EQ(ReadAll(ToolPath()), ToolBytes());
  EXPECT_EQ(FilesIn(Seam::windir), std::vector<std::wstring>{L"empty.exe"}) << "copies were left";
}

TEST_F(TrimmerTest, AWindowsDirectoryWithASpaceRunsTheToolNotAProgramBesideIt) {
  UseWindir(L"Win Dir");
  // Unquoted, "...\Win Dir\empty.exe 12" would start "...\Win.exe" with "Dir\empty.exe 12".
  ASSERT_TRUE(WriteAll(root_ + L"\\Win.exe", ToolBytes()));
  Seam::startForReal = true;
  EXPECT_TRUE(TrimOwnWorkingSet(Seam::Api()));
  ASSERT_TRUE(RunsStarted(1)) << "the trim";
  const ToolStart& run = Seam::runs[0];
  EXPECT_EQ(run.commandLine, ExpectedCommand());
  EXPECT_EQ(lstrcmpiW(run.image.c_str(), ToolPath().c_str()), 0)
      << "the system started another program";
  EXPECT_EQ(ExitCodeOf(run), 0u);
}

TEST_F(TrimmerTest, RunCommandLineMapsShowModesAndReportsFailures) {
  struct Case {
    ArgRecord wait, show;
    WORD expected;
  } cases[] = {
      {ArgBool(true), ArgOmitted(), SW_SHOWNORMAL}, {ArgBool(true), ArgInt(INT_MIN), SW_HIDE},
      {ArgBool(true), ArgInt(0), SW_HIDE},          {ArgBool(true), ArgInt(1), SW_HIDE},
      {ArgOmitted(), ArgInt(2), SW_SHOWNORMAL},     {ArgOmitted(), ArgInt(3), SW_SHOWMINIMIZED},
      {ArgBool(false), ArgInt(4), SW_SHOWMAXIMIZED}, {ArgBool(true), ArgInt(5), SW_SHOWNOACTIVATE},
      {ArgBool(true), ArgInt(6), SW_MINIMIZE},      {ArgBool(true), ArgInt(7), SW_MINIMIZE},
  };
  for (const Case& c : cases) {
    const ArgRecord args[] = {ArgText("prog.exe /x"), c.wait, c.show};
    ResultRecord result;
    RunCommandLine(result, args, Seam::Api().process);
    EXPECT_EQ(result.type, uint32_t(kArgBool));
    EXPECT_EQ(result.value, 1u);
    ASSERT_FALSE(Seam::runs.empty());
    const ToolStart& run = Seam::runs.back();
    EXPECT_EQ(run.showWindow, c.expected) << "show mode " << int32_t(c.show.value);
    EXPECT_EQ(run.commandLine, L"prog.exe /x");
    EXPECT_EQ(run.startFlags, DWORD(STARTF_USESHOWWINDOW));
    EXPECT_EQ(run.startSize, DWORD(sizeof(STARTUPINFOW)));
    EXPECT_FALSE(run.inherit);
    EXPECT_EQ(run.creationFlags, 0u);
    EXPECT_TRUE(run.systemDefaults);
  }
  // A program that cannot start, and a command line that is no text, give false.
  Seam::refuse = true;
  Seam::runs.clear();
  for (const ArgRecord& line : {ArgText("prog.exe"), ArgText(""), ArgInt(5), ArgOmitted()}) {
    const ArgRecord args[] = {line, ArgBool(true)};
    ResultRecord result{1, kArgBool};
    RunCommandLine(result, args, Seam::Api().process);
    EXPECT_EQ(result.value, 0u);
  }
  EXPECT_EQ(Seam::runs.size(), 1u) << "only a real text reaches the system";
}

// The tool on its own, with its output captured.
struct ToolResult {
  DWORD exitCode = ~0u;
  std::string output;
};

ToolResult RunTool(const std::wstring& exe, const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  HANDLE r = nullptr, w = nullptr;
  if (!CreatePipe(&r, &w, &inheritable, 0)) return {};
  UniqueHandle read(r), write(w);
  SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = w;
  std::wstring line = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info))
    return {};
  UniqueHandle process(info.hProcess), thread(info.hThread);
  write.reset();  // the read below ends when the tool's copy closes
  ToolResult result;
  if (WaitForSingleObject(process.get(), kWaitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 99);
    ADD_FAILURE() << "the tool did not end";
    return result;
  }
  GetExitCodeProcess(process.get(), &result.exitCode);
  char chunk[256];
  DWORD n = 0;
  while (ReadFile(read.get(), chunk, sizeof(chunk), &n, nullptr) && n) result.output.append(chunk, n);
  return result;
}

TEST_F(TrimmerTest, TheToolsOwnLines) {
  const std::wstring exe = Seam::windir + L"\\empty.exe";
  ASSERT_TRUE(WriteAll(exe, ToolBytes()));
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring task = self;
  task = task.substr(task.find_last_of(L"\\/") + 1);
  const struct {
    std::wstring arguments;
    DWORD exitCode;
    std::string output;
  } cases[] = {
      {L"", 2, "USAGE: empty.exe {pid | task-name}\n"},
      {L"1 2", 2, "USAGE: empty.exe {pid | task-name}\n"},
      {L"2147483644", 1, "could not empty working set for process #2147483644\n"},
      {std::to_wstring(GetCurrentProcessId()), 0, ""},
      {task, 0, ""},
      {task.substr(0, task.size() - 4), 0, ""},  // without ".exe"
      {L"no-such-task", 1, "no process named no-such-task\n"},
  };
  for (const auto& c : cases) {
    const ToolResult result = RunTool(exe, c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << "arguments: " << std::string(c.arguments.begin(), c.arguments.end());
    EXPECT_EQ(result.output, c.output);
  }
}

}  // namespace
}  // namespace board
