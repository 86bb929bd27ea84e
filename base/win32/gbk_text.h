// Stored texts (form descriptions, captions, face names) are GBK; the program works in
// UTF-16 through the W API, so every stored text passes through here.
#pragma once
#include <string>

namespace board {

// Decodes with code page 936 explicitly, whatever the system's ANSI code page is.
std::wstring FromGbk(const std::string& text);

}  // namespace board
