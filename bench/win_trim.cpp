// Figures of the working-set trimmer: the working set before and after a trim, the time of a
// trim against a bare start of the same tool, and the bytes
// the embedded tool adds to the exe. The tool goes to a temporary "windir".
// Usage: win_trim [--quick]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "host/win32/working_set_trimmer.h"

namespace {

using namespace board;
using bench::Median;
using bench::NowUs;

double WorkingSetMiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return double(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

// Writes to every page, so all of them are in the working set.
void Touch(std::vector<char>& memory) {
  for (size_t i = 0; i < memory.size(); i += 4096) memory[i] = char(i);
}

// The baseline: the same tool started the same way, hidden and waited for, with no argument
// and no output handle, so it only fails to print its usage line.
bool BareStart(const std::wstring& tool) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  std::wstring line = L"\"" + tool + L"\"";
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return false;
  WaitForSingleObject(info.hProcess, INFINITE);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const int runs = quick ? 3 : 11;

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring windir =
      std::wstring(temp) + L"board-trim-bench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(windir.c_str(), nullptr);
  SetEnvironmentVariableW(L"windir", windir.c_str());
  const std::wstring tool = EmptyToolPath();

  std::vector<char> memory(size_t(64) << 20);
  std::vector<double> before, after, trim, bare;
  double first = 0;
  bool ok = true;
  for (int i = 0; i < runs; ++i) {
    Touch(memory);
    before.push_back(WorkingSetMiB());
    double t0 = NowUs();
    ok &= TrimOwnWorkingSet();
    const double took = NowUs() - t0;
    after.push_back(WorkingSetMiB());
    if (i == 0)
      first = took;  // includes writing the tool
    else
      trim.push_back(took);
    t0 = NowUs();
    ok &= BareStart(tool);
    bare.push_back(NowUs() - t0);
  }
  DeleteFileW(tool.c_str());
  RemoveDirectoryW(windir.c_str());
  if (!ok) return std::printf("FAIL: the tool did not run\n"), 1;

  const double b = Median(before), a = Median(after);
  std::printf("working set with 64 MiB touched: median %.1f MiB before a trim, %.1f MiB after "
              "(%.2f x)\n",
              b, a, a / std::max(b, 0.01));
  std::printf("one trim: median %.1f ms (%.2f x a bare start of the tool, %.1f ms); the first, "
              "which writes the tool, %.1f ms\n",
              Median(trim) / 1000, Median(trim) / std::max(Median(bare), 1.0),
              Median(bare) / 1000, first / 1000);

  const size_t toolBytes = EmptyToolBytes().size();
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(self, GetFileExInfoStandard, &data);
  const double exeBytes = double(data.nFileSizeLow);
  std::printf("the embedded tool: %zu bytes as a ByteSet of %zu (%.1f %% of this exe's %.0f "
              "bytes)\n",
              toolBytes + 8, toolBytes, 100.0 * double(toolBytes + 8) / std::max(exeBytes, 1.0),
              exeBytes);
  return 0;
}
