// The build's generated resources, read once per test run.
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace board {

// The whole file GENERATED_DIR/name (empty when missing), cached for the run.
inline const std::vector<uint8_t>& GeneratedFile(const std::string& name) {
  static std::map<std::string, std::vector<uint8_t>> files;
  auto it = files.find(name);
  if (it == files.end()) {
    std::ifstream in(std::string(GENERATED_DIR) + "/" + name, std::ios::binary);
    it = files.emplace(name, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})).first;
  }
  return it->second;
}

}  // namespace board
