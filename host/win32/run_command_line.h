// Starting another program: the command layer's RunCommandLine.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/value_types.h"

namespace board {

// Process creation; tests swap in a recorder.
struct ProcessApi {
  BOOL(WINAPI* createProcess)(LPCWSTR application, LPWSTR commandLine,
                              LPSECURITY_ATTRIBUTES processAttributes,
                              LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                              DWORD flags, LPVOID environment, LPCWSTR directory,
                              LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info);
};
const ProcessApi& RealProcessApi();

// The window state of a show mode: 1 hidden, 2 normal, 3 minimised, 4 maximised, 5 shown
// without activation, 6 minimised without activation. Above 6 counts as 6, below 1 as 1, a
// left-out mode as 2.
WORD ShowWindowForMode(std::optional<int32_t> mode);

// Starts the command line without inherited handles, in the caller's environment and
// directory. With wait it blocks until the program has ended, without a time limit;
// otherwise until the program is idle for input, at most one second. False when the
// program could not be started.
bool RunCommandLine(const std::wstring& commandLine, bool wait, std::optional<int32_t> showMode,
                    const ProcessApi& api = RealProcessApi());

// The command: RunCommandLine(command line (ANSI text), [wait], [show mode]) -> bool.
void RunCommandLine(ResultRecord& result, std::span<const ArgRecord> args,
                    const ProcessApi& api = RealProcessApi());

}  // namespace board
