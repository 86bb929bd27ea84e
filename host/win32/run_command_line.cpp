#include "host/win32/run_command_line.h"

#include <algorithm>

#include "base/win32/scoped_win.h"

namespace board {
namespace {

std::wstring WideFromAnsi(const char* text) {
  const int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (count <= 1) return {};
  std::wstring wide(size_t(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), count);
  wide.resize(size_t(count - 1));  // the conversion counted the terminator
  return wide;
}

}  // namespace

const ProcessApi& RealProcessApi() {
  static const ProcessApi api{&CreateProcessW};
  return api;
}

WORD ShowWindowForMode(std::optional<int32_t> mode) {
  static constexpr WORD kShow[] = {SW_HIDE,           SW_SHOWNORMAL,     SW_SHOWMINIMIZED,
                                   SW_SHOWMAXIMIZED,  SW_SHOWNOACTIVATE, SW_MINIMIZE};
  return kShow[std::clamp(mode.value_or(2), 1, 6) - 1];
}

bool RunCommandLine(const std::wstring& commandLine, bool wait, std::optional<int32_t> showMode,
                    const ProcessApi& api) {
  if (commandLine.empty()) return false;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = ShowWindowForMode(showMode);
  PROCESS_INFORMATION info{};
  std::wstring line = commandLine;  // CreateProcessW may write into its command line
  if (!api.createProcess(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info))
    return false;
  UniqueHandle process(info.hProcess), thread(info.hThread);
  if (wait)
    WaitForSingleObject(process.get(), INFINITE);
  else
    WaitForInputIdle(process.get(), 1000);
  return true;
}

void RunCommandLine(ResultRecord& result, std::span<const ArgRecord> args, const ProcessApi& api) {
  result = {0, kArgBool};
  if (args.empty() || args[0].type != kArgText) return;
  const char* text = reinterpret_cast<const char*>(uintptr_t(args[0].value));
  if (!text) return;
  const bool wait = args.size() > 1 && args[1].type != kArgOmitted && args[1].value != 0;
  std::optional<int32_t> show;
  if (args.size() > 2 && args[2].type != kArgOmitted) show = int32_t(uint32_t(args[2].value));
  result.value = RunCommandLine(WideFromAnsi(text), wait, show, api) ? 1 : 0;
}

}  // namespace board
