// Keeps the program's footprint small while it sits in the background: each time the
// application is deactivated, a short-lived thread runs the embedded console tool empty.exe
// against the program's own process. The tool is written to the Windows directory the
// first time it is needed and reused from there by every later run.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "host/win32/run_command_line.h"

namespace board {

// What the trimmer asks of the system; tests swap parts for their own.
struct TrimmerApi {
  DWORD(WINAPI* getEnvironmentVariable)(LPCWSTR name, LPWSTR buffer, DWORD size);
  BOOL(WINAPI* writeFile)(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                          LPOVERLAPPED overlapped);
  ProcessApi process;
};
const TrimmerApi& RealTrimmerApi();

// The tool's bytes, from the ByteSet EMPTY_TOOL embedded in the exe; empty when missing.
std::span<const uint8_t> EmptyToolBytes();

// The "windir" variable followed by "\empty.exe"; an unset variable gives "\empty.exe", the
// root of the current drive.
std::wstring EmptyToolPath(const TrimmerApi& api = RealTrimmerApi());

// One trim, on the calling thread: writes the tool when no file of its name exists (an
// existing file is used as it is, whatever it holds, and never rewritten), then runs it
// hidden against this process and waits for it to end, without a time limit. False when the
// tool did not start.
bool TrimOwnWorkingSet(const TrimmerApi& api = RealTrimmerApi());

// The trimmer thread's procedure. data: a TrimmerApi that outlives the thread, or null for
// the real system. Everything it creates it releases itself.
DWORD WINAPI TrimWorkingSet(void* data);

// Starts one trimmer thread and returns at once; the skin calls it each time the application
// is deactivated. False when the thread could not be created: that deactivation brings no
// trim.
bool StartTrimmer();
bool StartTrimmerWith(const TrimmerApi& api);

}  // namespace board
