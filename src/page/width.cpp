#include "page/width.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "page/sjis_literal.h"
#include "page/text.h"

namespace tarvo::width {
namespace {

// ---- UTF-16 --------------------------------------------------------------------------------

constexpr char16_t kKatakanaFirst = u'ァ';
constexpr char16_t kKatakanaLast = u'ヴ';
constexpr char16_t kHalfKanaFirst = u'｡';  // U+FF61, the first half-width katakana sign
constexpr char16_t kHalfKanaLast = u'ﾟ';   // U+FF9F
constexpr char16_t kVoicedMark = u'ﾞ';
constexpr char16_t kSemiVoicedMark = u'ﾟ';

struct Half {
  char16_t unit;  // 0: no half-width form
  char16_t mark;  // 0 or the sound mark that follows `unit`
};

constexpr bool IsCoveredKatakana(char16_t u) { return u >= kKatakanaFirst && u <= kKatakanaLast; }
constexpr bool IsHalfKana(char16_t u) { return u >= kHalfKanaFirst && u <= kHalfKanaLast; }

using KatakanaTable = std::array<Half, kKatakanaLast - kKatakanaFirst + 1>;
using HalfKanaTable = std::array<char16_t, kHalfKanaLast - kHalfKanaFirst + 1>;

// The kana table lists the katakana in code order, each once.
constexpr bool KanaTableInOrder() {
  for (std::size_t k = 1; k < std::size(kKana); ++k) {
    if (kKana[k - 1].full >= kKana[k].full) return false;
  }
  return kKana[0].full == kKatakanaFirst && kKana[std::size(kKana) - 1].full == kKatakanaLast;
}
static_assert(KanaTableInOrder());
static_assert(std::size(kKana) == (kKatakanaLast - kKatakanaFirst + 1) - 3, "all but ヮ ヰ ヱ");

constexpr KatakanaTable kHalfOfKatakana = [] {
  KatakanaTable t{};
  for (const KanaForm& k : kKana) t[k.full - kKatakanaFirst] = {k.half, k.mark};
  return t;
}();

// Full-width form of each half-width katakana or sign alone, and of a base followed by ﾞ / ﾟ.
constexpr HalfKanaTable FullOfHalfKana(char16_t mark) {
  HalfKanaTable t{};
  for (const KanaForm& k : kKana) {
    if (k.mark == mark) t[k.half - kHalfKanaFirst] = k.full;
  }
  if (mark == 0) {
    for (const SignForm& s : kSigns) {
      if (IsHalfKana(s.half)) t[s.half - kHalfKanaFirst] = s.full;
    }
  }
  return t;
}
constexpr HalfKanaTable kFullOfHalfKana = FullOfHalfKana(0);
constexpr HalfKanaTable kVoicedOf = FullOfHalfKana(kVoicedMark);
constexpr HalfKanaTable kSemiVoicedOf = FullOfHalfKana(kSemiVoicedMark);

constexpr Half HalfOf(char16_t u) {
  if (u >= kWideAsciiFirst && u <= kWideAsciiLast) return {static_cast<char16_t>(u - kWideAsciiOffset), 0};
  if (IsCoveredKatakana(u)) return kHalfOfKatakana[u - kKatakanaFirst];
  for (const SignForm& s : kSigns) {
    if (s.full == u) return {s.half, 0};
  }
  return {0, 0};
}

// The full-width form of `u`, composed with `next` when `next` is a sound mark that composes
// with it; `*used` tells how many units the form stands for. 0: `u` has no full-width form.
constexpr char16_t FullOf(char16_t u, char16_t next, int* used) {
  *used = 1;
  if (u >= kWideAsciiFirst - kWideAsciiOffset && u <= kWideAsciiLast - kWideAsciiOffset) {
    return static_cast<char16_t>(u + kWideAsciiOffset);
  }
  if (IsHalfKana(u)) {
    const std::size_t at = u - kHalfKanaFirst;
    const char16_t composed = next == kVoicedMark ? kVoicedOf[at] : next == kSemiVoicedMark ? kSemiVoicedOf[at] : 0;
    if (composed != 0) {
      *used = 2;
      return composed;
    }
    return kFullOfHalfKana[at];
  }
  for (const SignForm& s : kSigns) {
    if (s.half == u) return s.full;
  }
  return 0;
}

// ---- Shift-JIS -----------------------------------------------------------------------------

// The code page 932 code of a character of the tables, as the system conversions write it.
// Full-width apostrophe and quotation mark exist twice in the code page; conversion writes the
// IBM extension codes.
constexpr std::uint16_t SjisOf(char16_t u) {
  if (u == u'＇') return 0xFA56;
  if (u == u'＂') return 0xFA57;
  if (u < 0x80) return u;
  if (IsHalfKana(u)) return static_cast<std::uint16_t>(0xA1 + (u - kHalfKanaFirst));
  const std::uint16_t code = sjis_literal_detail::LookUp(u);
  if ((code >> 8) == 0xED || (code >> 8) == 0xEE) throw "a second code of a character";
  return code;
}

constexpr bool IsSingleByteChar(unsigned char b) { return b < 0x80 || (b >= 0xA1 && b <= 0xDF); }

// Two-byte codes that a conversion to UTF-16 and back gives back unchanged: the code page's
// characters at the codes conversion writes for them. The second codes of the NEC-selected IBM
// extensions (lead bytes 0xED and 0xEE) convert back to the IBM extension codes; the IBM
// extension codes themselves are taken only where the tables use them. Anything else declines
// the byte mapping, which is correct, only slower.
constexpr std::uint16_t kTwoByteFirst = 0x8100;
constexpr std::size_t kTwoByteCount = 0xFD00 - kTwoByteFirst;
using CodeSet = std::array<std::uint64_t, kTwoByteCount / 64>;

constexpr void Add(CodeSet& set, std::uint16_t code) {
  const std::size_t at = code - kTwoByteFirst;
  set[at / 64] |= std::uint64_t{1} << (at % 64);
}

constexpr CodeSet kStable = [] {
  CodeSet set{};
  for (const auto& pair : sjis_literal_detail::kCp932) {
    const int lead = pair.sjis >> 8;
    if (pair.sjis >= kTwoByteFirst && lead != 0xED && lead != 0xEE) Add(set, pair.sjis);
  }
  for (char16_t u = kWideAsciiFirst; u <= kWideAsciiLast; ++u) Add(set, SjisOf(u));
  for (const KanaForm& k : kKana) Add(set, SjisOf(k.full));
  for (const SignForm& s : kSigns) Add(set, SjisOf(s.full));
  return set;
}();

bool IsStable(unsigned char lead, unsigned char trail) {
  const std::size_t at = (static_cast<std::size_t>(lead) << 8 | trail) - kTwoByteFirst;
  return (kStable[at / 64] >> (at % 64)) & 1;
}

// Lead bytes of the full-width characters of the tables, each with a row of 256 entries.
constexpr int RowOf(int lead) {
  switch (lead) {
    case 0x81: return 0;
    case 0x82: return 1;
    case 0x83: return 2;
    case 0xFA: return 3;
    default: return -1;
  }
}
constexpr int kRows = 4;

// Half-width bytes of a two-byte character: first byte << 8 | sound mark byte (or 0); 0 when
// the character has no half-width form.
constexpr auto kHalfBytes = [] {
  std::array<std::array<std::uint16_t, 256>, kRows> t{};
  auto put = [&](char16_t full, char16_t half, char16_t mark) {
    const std::uint16_t code = SjisOf(full);
    const int row = RowOf(code >> 8);
    if (row < 0) throw "a full-width character outside the rows";
    const std::uint16_t markByte = mark == 0 ? 0 : SjisOf(mark);
    t[static_cast<std::size_t>(row)][code & 0xFF] = static_cast<std::uint16_t>(SjisOf(half) << 8 | markByte);
  };
  for (char16_t u = kWideAsciiFirst; u <= kWideAsciiLast; ++u) put(u, HalfOf(u).unit, 0);
  for (const KanaForm& k : kKana) put(k.full, k.half, k.mark);
  for (const SignForm& s : kSigns) put(s.full, s.half, 0);
  return t;
}();

// Full-width code of each one-byte character (0: none), and of a half-width kana followed by ﾞ
// or ﾟ.
constexpr auto kFullCode = [] {
  std::array<std::uint16_t, 256> t{};
  for (int b = 0; b < 256; ++b) {
    if (!IsSingleByteChar(static_cast<unsigned char>(b))) continue;
    const char16_t u = b < 0x80 ? static_cast<char16_t>(b) : static_cast<char16_t>(kHalfKanaFirst + (b - 0xA1));
    int used = 0;
    const char16_t full = FullOf(u, 0, &used);
    if (full != 0) t[static_cast<std::size_t>(b)] = SjisOf(full);
  }
  return t;
}();

constexpr auto ComposedCodes(const HalfKanaTable& composed) {
  std::array<std::uint16_t, 256> t{};
  for (std::size_t k = 0; k < composed.size(); ++k) {
    if (composed[k] != 0) t[0xA1 + k] = SjisOf(composed[k]);
  }
  return t;
}
constexpr auto kVoicedCode = ComposedCodes(kVoicedOf);
constexpr auto kSemiVoicedCode = ComposedCodes(kSemiVoicedOf);
constexpr unsigned char kVoicedByte = 0xDE;
constexpr unsigned char kSemiVoicedByte = 0xDF;
static_assert(SjisOf(kVoicedMark) == kVoicedByte && SjisOf(kSemiVoicedMark) == kSemiVoicedByte);

void PutCode(std::string& out, std::uint16_t code) {
  out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

}  // namespace

std::u16string ToHalfWidthUnits(std::u16string_view wide) {
  std::u16string out;
  out.reserve(wide.size());
  for (char16_t u : wide) {
    const Half h = HalfOf(u);
    if (h.unit == 0) {
      out.push_back(u);
      continue;
    }
    out.push_back(h.unit);
    if (h.mark != 0) out.push_back(h.mark);
  }
  return out;
}

std::u16string ToFullWidthUnits(std::u16string_view wide) {
  std::u16string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size();) {
    const char16_t next = i + 1 < wide.size() ? wide[i + 1] : u'\0';
    int used = 1;
    const char16_t full = FullOf(wide[i], next, &used);
    out.push_back(full != 0 ? full : wide[i]);
    i += static_cast<std::size_t>(used);
  }
  return out;
}

bool ToHalfWidthSjis(std::string_view sjis, std::string& out) {
  out.clear();
  out.reserve(sjis.size());  // a half-width form is never longer
  const std::size_t n = sjis.size();
  for (std::size_t i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (IsSingleByteChar(b)) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    if (!IsLeadByte(b) || i + 1 == n) return false;
    const auto t = static_cast<unsigned char>(sjis[i + 1]);
    if (!IsStable(b, t)) return false;
    const int row = RowOf(b);
    const std::uint16_t half = row < 0 ? 0 : kHalfBytes[static_cast<std::size_t>(row)][t];
    if (half == 0) {
      out.push_back(static_cast<char>(b));
      out.push_back(static_cast<char>(t));
    } else {
      out.push_back(static_cast<char>(half >> 8));
      if ((half & 0xFF) != 0) out.push_back(static_cast<char>(half & 0xFF));
    }
    i += 2;
  }
  return true;
}

bool ToFullWidthSjis(std::string_view sjis, std::string& out) {
  out.clear();
  out.reserve(sjis.size() * 2);
  const std::size_t n = sjis.size();
  for (std::size_t i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (IsSingleByteChar(b)) {
      const auto next = i + 1 < n ? static_cast<unsigned char>(sjis[i + 1]) : 0;
      const std::uint16_t composed = next == kVoicedByte       ? kVoicedCode[b]
                                     : next == kSemiVoicedByte ? kSemiVoicedCode[b]
                                                               : 0;
      if (composed != 0) {
        PutCode(out, composed);
        i += 2;
        continue;
      }
      if (kFullCode[b] != 0) {
        PutCode(out, kFullCode[b]);
      } else {
        out.push_back(static_cast<char>(b));
      }
      ++i;
      continue;
    }
    if (!IsLeadByte(b) || i + 1 == n) return false;
    const auto t = static_cast<unsigned char>(sjis[i + 1]);
    if (!IsStable(b, t)) return false;
    out.push_back(static_cast<char>(b));
    out.push_back(static_cast<char>(t));
    i += 2;
  }
  return true;
}

}  // namespace tarvo::width
