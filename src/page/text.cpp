#include "page/text.h"

#include <algorithm>

namespace tarvo {

std::size_t FindBytes(std::string_view text, std::string_view pattern, std::size_t from) {
  if (pattern.empty() || from > text.size()) return npos;
  return text.find(pattern, from);
}

std::size_t FindLastBytes(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return npos;
  return text.rfind(pattern);
}

std::size_t FindChar(std::string_view text, std::string_view pattern, std::size_t from) {
  if (pattern.empty()) return npos;
  std::size_t boundary = from;  // an offset known to start a character, at or before `hit`
  std::size_t hit = text.find(pattern, from);
  while (hit != npos) {
    // A byte that cannot lead a character ends one, so only the run of lead-byte values right
    // before `hit` (back to the known boundary) decides: an even run ends on a boundary.
    std::size_t run = hit;
    while (run > boundary && IsLeadByte(text[run - 1])) --run;
    if ((hit - run) % 2 == 0) return hit;
    boundary = hit + 1;  // `hit` is the trail byte of a character
    hit = text.find(pattern, hit + 1);
  }
  return npos;
}

namespace {

bool EqualIgnoreCaseAt(std::string_view text, std::size_t at, std::string_view pattern) {
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    unsigned char a = static_cast<unsigned char>(text[at + k]);
    unsigned char b = static_cast<unsigned char>(pattern[k]);
    if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b + 32);
    if (a != b) return false;
  }
  return true;
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view with) {
  std::size_t hit = FindChar(text, pattern);
  if (hit == npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t done = 0;
  while (hit != npos) {
    out.append(text.substr(done, hit - done));
    out.append(with);
    done = hit + pattern.size();
    hit = FindChar(text, pattern, done);
  }
  out.append(text.substr(done));
  return out;
}

std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view pattern, std::string_view with) {
  if (pattern.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + pattern.size() <= text.size() && EqualIgnoreCaseAt(text, i, pattern)) {
      out.append(with);
      i += pattern.size();
      continue;
    }
    const std::size_t step = IsLeadByte(text[i]) ? 2 : 1;
    out.append(text.substr(i, step));
    i += step;
  }
  return out;
}

std::string RemoveAll(std::string_view text, std::string_view pattern) { return ReplaceAll(text, pattern, {}); }

namespace {
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }
}  // namespace

std::string Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

std::string TrimLeft(std::string_view text) {
  std::size_t b = 0;
  while (b < text.size() && IsTrimmed(text[b])) ++b;
  return std::string(text.substr(b));
}

std::string TrimRight(std::string_view text) {
  std::size_t e = text.size();
  while (e > 0 && IsTrimmed(text[e - 1])) --e;
  return std::string(text.substr(0, e));
}

std::string CopyRange(std::string_view text, std::size_t from, std::size_t count) {
  if (from >= text.size()) return {};
  return std::string(text.substr(from, count));
}

namespace {
// The end of the last whole character within the first `maxBytes` bytes.
std::size_t WholeCharactersEnd(std::string_view text, std::size_t maxBytes) {
  const std::size_t limit = std::min(maxBytes, text.size());
  std::size_t i = 0;
  while (i < limit) {
    const std::size_t next = i + (IsLeadByte(text[i]) ? 2 : 1);
    if (next > limit) break;
    i = next;
  }
  return i;
}
}  // namespace

std::string CutToCharacters(std::string_view text, std::size_t maxBytes) {
  return std::string(text.substr(0, WholeCharactersEnd(text, maxBytes)));
}

std::string DropCutCharacter(std::string_view text) { return CutToCharacters(text, text.size()); }

std::string BeforeFirst(std::string_view text, std::string_view sep) {
  const std::size_t p = FindBytes(text, sep);
  return p == npos ? std::string() : std::string(text.substr(0, p));
}

std::string AfterFirst(std::string_view text, std::string_view sep) {
  const std::size_t p = FindBytes(text, sep);
  return p == npos ? std::string(text) : std::string(text.substr(p + sep.size()));
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

LineList SplitLines(std::string_view text) {
  LineList lines;
  std::size_t start = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const LineList& lines) {
  std::size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& l : lines) {
    out.append(l);
    out.append("\r\n");
  }
  return out;
}

}  // namespace tarvo
