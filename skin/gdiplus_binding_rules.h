// How a named external entry finds its function: the export (a name or "#n", an ordinal)
// and the libraries to try, in order. Pure functions; the Win32 binder applies them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace board {

struct ExportRef {
  enum Kind { kName, kOrdinal, kInvalid } kind = kInvalid;
  uint16_t ordinal = 0;  // for kOrdinal
};

// "#n" is ordinal n (decimal) masked to 16 bits; any other non-empty name is looked up by
// name. Empty names, "#" without digits, anything but digits after "#", and ordinals that
// mask to 0 (which the loader would read as a null name) are invalid.
ExportRef ParseExport(std::string_view exportName);

// The system libraries tried, in order, for an entry that names no library.
const std::vector<std::wstring>& DefaultLibraries();

// The libraries to load for `library`, in order: the defaults when it is empty; the name
// as given when it is a full path (contains ':'); otherwise the program's directory joined
// with the name, then the bare name for the system's search order.
std::vector<std::wstring> LibraryCandidates(std::wstring_view library,
                                            std::wstring_view programDirectory);

// The directory part of a program's path ("C:\\a\\b.exe" -> "C:\\a"); empty when the path
// has no separator.
std::wstring_view DirectoryOf(std::wstring_view path);

// The message shown when an entry cannot be bound: with the library named when there is
// one, else the export alone.
std::wstring BindFailureMessage(std::wstring_view library, std::string_view exportName);

}  // namespace board
