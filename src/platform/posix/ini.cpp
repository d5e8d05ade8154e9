// A small INI reader with the lookup rules of the Windows profile functions: section and key
// names compare without regard to ASCII case, the first section of a name is the one searched,
// the first key in it wins, values are trimmed and lose one pair of surrounding quotes, lines
// beginning with ';' or '#' are comments.
//
// Values come back as Shift-JIS. A file that is valid UTF-8 and holds non-ASCII text (the way
// files are written on Linux) is converted; any other file is taken as Shift-JIS bytes.
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace tarvo::platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Well-formed UTF-8 with at least one multi-byte sequence.
bool IsUtf8Text(std::string_view s) {
  bool wide = false;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF) {
      n = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      n = 2;
    } else if (b >= 0xF0 && b <= 0xF4) {
      n = 3;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;  // sequence cut off at the end
    for (std::size_t k = 1; k <= n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    wide = true;
    i += n + 1;
  }
  return wide;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  return lines;
}

// The raw value, or nothing when the section or key is absent.
bool FindValue(std::string_view text, std::string_view section, std::string_view key, std::string_view& value) {
  bool inSection = false, sectionSeen = false;
  for (std::string_view line : Lines(text)) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name = TrimBlanks(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
      if (sectionSeen && inSection) return false;  // only the first section of the name counts
      inSection = EqualsIgnoreCase(name, section);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (!inSection) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || !EqualsIgnoreCase(TrimBlanks(line.substr(0, eq)), key)) continue;
    value = TrimBlanks(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return true;
  }
  return false;
}

}  // namespace

std::string ReadIniString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& fallback) {
  if (!FileExists(path)) return fallback;
  std::string text;
  try {
    text = ReadWholeFile(path);
  } catch (const FileError&) {
    return fallback;
  }
  std::string_view body = text;
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  std::string_view value;
  if (!FindValue(body, section, key, value)) return fallback;
  return IsUtf8Text(body) ? Utf8ToCp932(value) : std::string(value);
}

}  // namespace tarvo::platform
