#include "skin/gdiplus_binding_rules.h"

namespace board {

ExportRef ParseExport(std::string_view name) {
  if (name.empty()) return {};
  if (name[0] != '#') return {ExportRef::kName, 0};
  if (name.size() == 1) return {};
  uint32_t value = 0;
  for (char c : name.substr(1)) {
    if (c < '0' || c > '9') return {};
    // Masking each step keeps any length of digits from overflowing and gives the same
    // low 16 bits as the whole number would.
    value = (value * 10 + uint32_t(c - '0')) & 0xFFFFu;
  }
  if (value == 0) return {};
  return {ExportRef::kOrdinal, uint16_t(value)};
}

const std::vector<std::wstring>& DefaultLibraries() {
  static const std::vector<std::wstring> names = {L"Kernel32.dll", L"Gdi32.dll",
                                                  L"User32.dll",   L"Advapi32.dll",
                                                  L"Mpr.dll",      L"Shell32.dll"};
  return names;
}

std::vector<std::wstring> LibraryCandidates(std::wstring_view library,
                                            std::wstring_view programDirectory) {
  if (library.empty()) return DefaultLibraries();
  if (library.find(L':') != std::wstring_view::npos) return {std::wstring(library)};
  std::vector<std::wstring> out;
  if (!programDirectory.empty()) {
    std::wstring beside(programDirectory);
    if (beside.back() != L'\\' && beside.back() != L'/') beside += L'\\';
    beside += library;
    out.push_back(std::move(beside));
  }
  out.emplace_back(library);
  return out;
}

std::wstring_view DirectoryOf(std::wstring_view path) {
  const size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring_view::npos) return {};
  return path.substr(0, cut);
}

std::wstring BindFailureMessage(std::wstring_view library, std::string_view exportName) {
  // Export names are ASCII (C identifiers or "#n"); each byte widens as it is.
  std::wstring name;
  for (char c : exportName) name += wchar_t(static_cast<unsigned char>(c));
  if (library.empty()) return L"无法找到指定DLL库文件中的输出命令“" + name + L"”";
  return L"无法找到指定DLL库文件“" + std::wstring(library) + L"”中的输出命令“" + name + L"”";
}

}  // namespace board
