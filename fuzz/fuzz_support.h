// Helpers shared by the fuzz targets: cutting the input into parts, a scratch file of the
// target's own, and reading a result line back the way the host's comma-text rule writes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "page/text.h"

namespace tarvo::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut at its NUL bytes into at most `parts` pieces (the last one keeps any further NUL).
inline std::vector<std::string_view> SplitAtNul(std::string_view in, std::size_t parts) {
  std::vector<std::string_view> pieces;
  while (pieces.size() + 1 < parts) {
    const std::size_t nul = in.find('\0');
    if (nul == npos) break;
    pieces.push_back(in.substr(0, nul));
    in.remove_prefix(nul + 1);
  }
  pieces.push_back(in);
  pieces.resize(parts);
  return pieces;
}

// A file name in the temporary folder that no other fuzzing process uses: `stem` and a random
// number, fixed for the life of the process.
inline std::string ScratchPath(std::string_view stem) {
  std::random_device random;
  return (std::filesystem::temp_directory_path() /
          ("tarvo-fuzz-" + std::string(stem) + "-" + std::to_string(random()) + "-"))
      .string();
}

// Every lead byte is followed by a valid trail byte (0x40-0x7E, 0x80-0xFC).
inline bool IsWellFormedSjis(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsLeadByte(text[i])) continue;
    if (i + 1 == text.size()) return false;
    const auto t = static_cast<unsigned char>(text[++i]);
    if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
  }
  return true;
}

// `text` with every byte removed that would make it not well-formed: lead bytes without a
// valid trail byte.
inline std::string WellFormed(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsLeadByte(text[i])) {
      out.push_back(text[i]);
      continue;
    }
    if (i + 1 < text.size() && IsWellFormedSjis(text.substr(i, 2))) {
      out.append(text.substr(i, 2));
      ++i;
    }
  }
  return out;
}

// The columns of a result line as a reader that steps over two-byte characters whole sees them
// (the host's own reading of the comma-text rule).
inline std::vector<std::string> ReadColumnsByCharacter(std::string_view line) {
  std::vector<std::string> columns;
  std::size_t i = 0;
  const auto take = [&](std::string& column) {
    const std::size_t n = IsLeadByte(line[i]) && i + 1 < line.size() ? 2 : 1;
    column.append(line.substr(i, n));
    i += n;
  };
  for (;;) {
    std::string column;
    if (i < line.size() && line[i] == '"') {
      for (++i; i < line.size();) {
        if (line[i] != '"') {
          take(column);
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          column.push_back('"');
          i += 2;
        } else {
          ++i;
          break;
        }
      }
    }
    while (i < line.size() && line[i] != ',') take(column);
    columns.push_back(std::move(column));
    if (i >= line.size()) return columns;
    ++i;
  }
}

}  // namespace tarvo::fuzz
