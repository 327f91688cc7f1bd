// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hex fixture files: bytes as pairs of hex digits separated by white space; '#' starts a comment.

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace hidtest {

inline std::vector<std::uint8_t> ParseHex(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line.substr(0, line.find('#')));
    for (std::string word; words >> word;) bytes.push_back(std::uint8_t(std::stoul(word, nullptr, 16)));
  }
  return bytes;
}

inline std::vector<std::uint8_t> LoadHexFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return ParseHex(text.str());
}

}  // namespace hidtest
