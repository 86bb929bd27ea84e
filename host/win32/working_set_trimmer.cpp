#include "host/win32/working_set_trimmer.h"

#include <shlwapi.h>

#include "base/value_types.h"
#include "base/win32/resource_bytes.h"
#include "base/win32/scoped_win.h"

namespace board {
namespace {

std::wstring EnvironmentVariable(const wchar_t* name, const TrimmerApi& api) {
  std::wstring value(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {  // it may grow between two calls
    const DWORD n = api.getEnvironmentVariable(name, value.data(), DWORD(value.size()));
    if (n < value.size()) {
      value.resize(n);
      return value;
    }
    value.resize(n);
  }
  return {};
}

bool FileExists(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

// The tool is written whole under a name of this thread's own in the same directory, then
// renamed into place. The rename is atomic, so no other thread can find a partly written
// tool under the tool's name; and it never replaces a file that is already there, so when
// several threads race on the first run, the first rename wins and the rest delete their
// copies.
void WriteTool(const std::wstring& path, std::span<const uint8_t> tool, const TrimmerApi& api) {
  const std::wstring part = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(GetCurrentThreadId()) + L".part";
  bool whole = false;
  {
    UniqueHandle file(CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    whole = api.writeFile(file.get(), tool.data(), DWORD(tool.size()), &written, nullptr) &&
            written == tool.size();
  }
  if (!whole || !MoveFileExW(part.c_str(), path.c_str(), 0)) DeleteFileW(part.c_str());
}

}  // namespace

const TrimmerApi& RealTrimmerApi() {
  static const TrimmerApi api{&GetEnvironmentVariableW, &WriteFile, RealProcessApi()};
  return api;
}

std::span<const uint8_t> EmptyToolBytes() { return ByteSetBytes(ResourceBytes(L"EMPTY_TOOL")); }

std::wstring EmptyToolPath(const TrimmerApi& api) {
  return EnvironmentVariable(L"windir", api) + L"\\empty.exe";
}

bool TrimOwnWorkingSet(const TrimmerApi& api) {
  const std::wstring path = EmptyToolPath(api);
  const std::span<const uint8_t> tool = EmptyToolBytes();
  // A build without the tool embedded has nothing to write.
  if (!FileExists(path) && !tool.empty()) WriteTool(path, tool, api);
  // Quoted: unquoted, a space in the directory's path would start a different program
  // ("C:\My Windows\empty.exe" runs "C:\My.exe" when that exists).
  const std::wstring command = L"\"" + path + L"\" " + std::to_wstring(GetCurrentProcessId());
  return RunCommandLine(command, true, 1, api.process);
}

DWORD WINAPI TrimWorkingSet(void* data) {
  try {
    TrimOwnWorkingSet(data ? *static_cast<const TrimmerApi*>(data) : RealTrimmerApi());
  } catch (...) {
    // Out of memory for a path: this deactivation brings no trim.
  }
  return 0;
}

bool StartTrimmer() { return SHCreateThread(&TrimWorkingSet, nullptr, 0, nullptr); }

bool StartTrimmerWith(const TrimmerApi& api) {
  return SHCreateThread(&TrimWorkingSet, const_cast<TrimmerApi*>(&api), 0, nullptr);
}

}  // namespace board
