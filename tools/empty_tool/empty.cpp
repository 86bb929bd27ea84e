// empty.exe: empties the working set of one process, named by its decimal id or by its task
// name (the executable's file name; ".exe" may be left off). The board writes this program
// to the Windows directory and runs it hidden against itself when it goes to the background.
// A Windows console program of its own: it shares no code with the board, so it stays small.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace {

// Lines go straight to the output handle: the runtime's printf family would bring its whole
// formatting library into this small program.
void Out(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  const int n = _vsnprintf(line, sizeof(line) - 1, format, args);
  va_end(args);
  DWORD written = 0;
  if (n > 0) WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, DWORD(n), &written, nullptr);
}

// Digits only, up to INT_MAX (the failure line prints the id as a signed int).
bool ParsePid(const wchar_t* text, DWORD& pid) {
  if (!*text) return false;
  unsigned long long value = 0;
  for (const wchar_t* p = text; *p; ++p) {
    if (*p < L'0' || *p > L'9') return false;
    value = value * 10 + unsigned(*p - L'0');
    if (value > 0x7FFFFFFF) return false;
  }
  pid = DWORD(value);
  return true;
}

bool EmptyProcess(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION, FALSE, pid);
  // Both limits -1 asks the system to page out everything it can.
  const bool ok = process && SetProcessWorkingSetSize(process, SIZE_T(-1), SIZE_T(-1));
  if (process) CloseHandle(process);
  if (!ok) Out("could not empty working set for process #%d\n", int(pid));
  return ok;
}

bool IsTask(const wchar_t* exeFile, const wchar_t* name) {
  if (_wcsicmp(exeFile, name) == 0) return true;
  const size_t n = std::wcslen(name);
  return std::wcslen(exeFile) == n + 4 && _wcsnicmp(exeFile, name, n) == 0 &&
         _wcsicmp(exeFile + n, L".exe") == 0;
}

// Every process of that name is emptied; 0 only when there was one and all succeeded.
int EmptyTask(const wchar_t* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 1;
  int found = 0, failed = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (!IsTask(entry.szExeFile, name)) continue;
    ++found;
    if (!EmptyProcess(entry.th32ProcessID)) ++failed;
  }
  CloseHandle(snapshot);
  if (!found) Out("no process named %ls\n", name);
  return found && !failed ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 || !*argv[1]) {
    Out("USAGE: empty.exe {pid | task-name}\n");
    return 2;
  }
  DWORD pid = 0;
  if (ParsePid(argv[1], pid)) return EmptyProcess(pid) ? 0 : 1;
  return EmptyTask(argv[1]);
}
