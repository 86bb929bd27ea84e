// What every build-time generator does last: write its bytes to a file, whole or not at all
// reported as written.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace board::tools {

inline bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  return bool(out);
}

}  // namespace board::tools
