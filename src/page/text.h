// Shift-JIS text primitives over byte strings.
//
// A text is a std::string of code page 932 bytes: 0x81-0x9F and 0xE0-0xFC are lead bytes that
// begin a two-byte character, every other byte is a character of its own. Positions count bytes.
// All functions take views and return new strings; none keeps state. Offsets are 0-based here;
// npos means "not found".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

inline constexpr std::size_t npos = std::string_view::npos;

constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsLeadByte(char b) { return IsLeadByte(static_cast<unsigned char>(b)); }

// First offset of `pattern` in `text`, byte by byte (may start on a trail byte). Empty pattern: npos.
std::size_t FindBytes(std::string_view text, std::string_view pattern, std::size_t from = 0);
// Last offset of `pattern` in `text`, byte by byte. Empty pattern: npos.
std::size_t FindLastBytes(std::string_view text, std::string_view pattern);
inline bool ContainsBytes(std::string_view text, std::string_view pattern) {
  return FindBytes(text, pattern) != npos;
}

// First offset of `pattern` that begins on a character boundary, at or after `from` (which must
// itself be a boundary). Empty pattern: npos.
std::size_t FindChar(std::string_view text, std::string_view pattern, std::size_t from = 0);

// Every non-overlapping occurrence found by FindChar, left to right, replaced; the inserted text
// is not searched again.
std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view with);
// Same, comparing ASCII letters without regard to case.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view pattern, std::string_view with);
// ReplaceAll(text, pattern, "").
std::string RemoveAll(std::string_view text, std::string_view pattern);

// Bytes of value 0x20 or less removed at both ends / the left end / the right end. A full-width
// space (0x81 0x40) is never removed.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// The bytes [from, from + count) of `text`, clipped to the text: never reads outside it.
std::string CopyRange(std::string_view text, std::size_t from, std::size_t count = npos);

// At most `maxBytes` bytes of `text`, cut at the last whole character that fits: a two-byte
// character is never split.
std::string CutToCharacters(std::string_view text, std::size_t maxBytes);
// The text without a last lead byte that has no second byte (a character cut in two).
std::string DropCutCharacter(std::string_view text);

// Bytes before / after the first occurrence (byte search) of `sep`. Before: the empty text when
// `sep` is absent. After: the whole text when `sep` is absent.
std::string BeforeFirst(std::string_view text, std::string_view sep);
std::string AfterFirst(std::string_view text, std::string_view sep);

bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);

// A text split into lines at CR LF, lone CR and lone LF; a terminator at the very end adds no
// empty line, an empty line in the middle is a line of its own.
using LineList = std::vector<std::string>;
LineList SplitLines(std::string_view text);
// The text of a line list: each line followed by CR LF.
std::string JoinLines(const LineList& lines);

}  // namespace tarvo
