#include "audio/win32/commands.h"

#include <windows.h>

#include <atomic>
#include <climits>
#include <new>
#include <string>
#include <vector>

#include "base/byte_io.h"
#include "audio/win32/host.h"
#include "base/win32/scoped_win.h"

namespace board {
namespace {

std::atomic<HostServiceEntry> g_service{nullptr};

std::wstring WideFromAnsi(const char* text) {
  const int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (count <= 0) return {};
  std::wstring wide(size_t(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), count);
  wide.resize(size_t(count - 1));  // drop the terminator the conversion counted
  return wide;
}

// The whole file, read with writers shut out; empty when it can't be opened or read.
std::vector<uint8_t> ReadWholeFile(const char* ansiName) {
  const std::wstring name = WideFromAnsi(ansiName);
  if (name.empty()) return {};
  UniqueHandle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  // The play request carries a 32-bit length: a larger file can't be played.
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      size.QuadPart > INT_MAX)
    return {};
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(size_t(size.QuadPart));
  } catch (const std::bad_alloc&) {
    return {};
  }
  size_t got = 0;
  while (got < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + got, DWORD(bytes.size() - got), &read, nullptr))
      return {};
    if (read == 0) break;  // the file shrank: keep what arrived
    got += read;
  }
  bytes.resize(got);
  return bytes;
}

}  // namespace

void SetHostService(HostServiceEntry entry) { g_service.store(entry); }

int32_t CallHostService(int32_t code, intptr_t first, intptr_t second) {
  const HostServiceEntry entry = g_service.load();
  return entry ? entry(code, first, second) : 0;
}

void PlayMusic(ResultRecord& result, std::span<const ArgRecord> args) {
  result = {0, kArgBool};
  if (args.empty()) return;
  const ArgRecord& sound = args[0];
  std::vector<uint8_t> fileBytes;  // the command's own copy of a named file
  std::span<const uint8_t> data;
  if (sound.type == kArgText) {
    const char* name = reinterpret_cast<const char*>(uintptr_t(sound.value));
    if (!name || !*name) return;
    fileBytes = ReadWholeFile(name);
    data = fileBytes;
  } else if (sound.type == kArgByteSet) {
    const uint8_t* stored = reinterpret_cast<const uint8_t*>(uintptr_t(sound.value));
    if (!stored) return;
    // Without its marker the value is no byte set: its count can't be trusted, so it is
    // refused rather than read by it.
    data = ByteSetBytes({stored, kByteSetHeader + LoadU32(stored + 4)});
  } else {
    return;
  }
  if (data.empty() || data.size() > size_t(INT_MAX)) return;

  const bool loop = args.size() > 1 && args[1].type != kArgOmitted && args[1].value != 0;
  const PlayRequest request{data.data(), int32_t(data.size()), loop ? 1 : 0};
  if (CallHostService(kServicePlay, reinterpret_cast<intptr_t>(&request), 0) != 0)
    result.value = 1;
}

void StopPlayback() { CallHostService(kServiceStop, 0, 0); }

}  // namespace board
