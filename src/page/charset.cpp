#include "page/charset.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "page/text.h"
#include "page/width.h"
#include "platform/platform.h"

namespace tarvo {
namespace {

constexpr std::size_t kLimitedSize = 255;

// Eight bytes that are all ASCII and none of them NUL.
bool AllPlainAscii(const unsigned char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHighs = 0x8080808080808080;
  const std::uint64_t hasZero = (w - kOnes) & ~w;
  return ((w | hasZero) & kHighs) == 0;
}

}  // namespace

Utf8Error::Utf8Error() : std::runtime_error("UTF-8 Unknown code.") {}

std::string Utf8ToSjis(std::string_view utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  // Every sequence writes one unit and consumes at least one byte.
  const auto units = std::make_unique_for_overwrite<char16_t[]>(n);
  // A byte after a lead byte that lies beyond the input reads as 0.
  auto at = [&](std::size_t k) -> unsigned { return k < n ? s[k] : 0u; };
  std::size_t o = 0;
  std::size_t end = npos;  // the first zero unit ends the text
  std::size_t i = 0;
  while (i < n) {
    // The common case, a run of plain ASCII: its length first, then one widening copy.
    std::size_t run = i;
    while (run + 8 <= n && AllPlainAscii(s + run)) run += 8;
    const std::size_t len = run - i;
    char16_t* dst = units.get() + o;
    for (std::size_t k = 0; k < len; ++k) dst[k] = s[i + k];
    o += len;
    i = run;
    if (i == n) break;
    const unsigned b = s[i];
    unsigned unit;
    if (b < 0x80) {
      if (b == 0) break;
      unit = b;
      i += 1;
    } else if (b < 0xC0) {
      throw Utf8Error();
    } else if (b < 0xE0) {
      unit = (b & 0x1F) << 6 | (at(i + 1) & 0x3F);
      i += 2;
    } else if (b < 0xF0) {
      unit = (b & 0x0F) << 12 | (at(i + 1) & 0x3F) << 6 | (at(i + 2) & 0x3F);
      i += 3;
    } else if (b < 0xF8) {
      unit = '?';  // beyond the 16-bit range, and no code page 932 form anyway
      i += 4;
    } else {
      throw Utf8Error();
    }
    if (unit == 0 && end == npos) end = o;
    units[o++] = static_cast<char16_t>(unit);
  }
  return platform::Utf16ToCp932({units.get(), end == npos ? o : end});
}

std::string ToHalfWidth(std::string_view sjis) {
  std::string out;
  if (width::ToHalfWidthSjis(sjis, out)) return out;
  return platform::Utf16ToCp932(width::ToHalfWidthUnits(platform::Cp932ToUtf16(sjis)));
}

std::string ToFullWidth(std::string_view sjis) {
  std::string out;
  if (width::ToFullWidthSjis(sjis, out)) return out;
  return platform::Utf16ToCp932(width::ToFullWidthUnits(platform::Cp932ToUtf16(sjis)));
}

std::string ToHalfWidthLimited(std::string_view sjis) {
  sjis = sjis.substr(0, sjis.find('\0'));  // the text ends at its first NUL
  std::string half = ToHalfWidth(sjis);
  if (half.size() <= kLimitedSize) return half;
  std::size_t end = 0;
  while (end < kLimitedSize) {
    const std::size_t next = end + (IsLeadByte(half[end]) ? 2 : 1);
    if (next > kLimitedSize) break;
    end = next;
  }
  half.resize(end);
  return half;
}

}  // namespace tarvo
