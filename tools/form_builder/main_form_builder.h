// Builds the stored description of the main window from the layout table.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "runtime/form_description.h"

namespace board {

constexpr size_t kMainFormDescriptionSize = 115952;  // the whole description
constexpr uint32_t kMainFormByteCount = 115916;      // its header's byte count field
constexpr uint32_t kMainFormHeaderValue = 8;
constexpr uint32_t kMainFormWords[3] = {0x01314100, 0x00008056, 0x19010007};
constexpr size_t kMainFormRecordCount = 92;

// UTF-8 to GBK through iconv; throws std::runtime_error when a character has no GBK form.
std::string Utf8ToGbk(std::string_view utf8);

// A 60-byte LOGFONTA: lfHeight = -pixelHeight, the given weight and character set, and the
// face (GBK, at most 31 bytes; empty = default), little-endian.
Blob MakeLogFont(int pixelHeight, int weight, uint8_t charSet, std::string_view faceGbk);

// The whole description of the main window, holding `icoFile` as the window's icon.
// Throws std::runtime_error when a text cannot be converted.
FormDescription BuildMainFormDescription(std::span<const uint8_t> icoFile);

}  // namespace board
