#include "normalise/title.h"

#include <algorithm>
#include <cstdint>

#include "page/charset.h"
#include "page/markup.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "record/book_record.h"

namespace tarvo {
namespace {

struct Replacement {
  std::string_view from;
  std::string_view to;
};

// Full-width brackets, signs and the full-width space brought to ASCII before the title is cut,
// in this order.
constexpr Replacement kTitleForms[] = {
    {"（"_sj, "("}, {"）"_sj, ")"}, {"！"_sj, "!"}, {"．"_sj, "."}, {"　"_sj, " "},
};

// Words dropped from a parenthesised group before it is tested as a volume number.
constexpr std::string_view kGroupVolumeWords[] = {"第"_sj, "巻"_sj, "集"_sj};

// A volume word that may follow the number at the end of a title.
constexpr std::string_view kVolumeWords[] = {"巻"_sj, "集"_sj};

// Volumes named by position in a set.
constexpr std::string_view kPositionWords[] = {"上"_sj, "中"_sj, "下"_sj};

constexpr std::string_view kKanjiNumerals[] = {
    "一"_sj, "二"_sj, "三"_sj, "四"_sj, "五"_sj, "六"_sj, "七"_sj, "八"_sj,
    "九"_sj, "十"_sj, "百"_sj, "壱"_sj, "弐"_sj, "参"_sj, "拾"_sj,
};

constexpr std::string_view kRomanLetters = "IVXivx";

// Markers after which a volume number follows: "第" (the number's ordinal prefix) and "編" (a
// part of a work). The later of the two in the title counts.
constexpr std::string_view kOrdinalMarkers[] = {"第"_sj, "編"_sj};
// The same for the Latin "VOL" and "NO", looked for in the upper-cased title.
constexpr std::string_view kLatinMarkers[] = {"VOL", "NO"};

constexpr std::string_view kAngleOpen = "〈"_sj;
constexpr std::string_view kAngleClose = "〉"_sj;
constexpr std::string_view kOrdinal = "第"_sj;

// Lower-case two-byte letters whose upper-case form is one code page 932 character: the range
// [first, last] maps onto [upper, upper + (last - first)].
struct UpperRange {
  std::uint16_t first, last, upper;
};
constexpr UpperRange kUpperRanges[] = {
    {0x8281, 0x829A, 0x8260},  // full-width a-z
    {0x83BF, 0x83D6, 0x839F},  // Greek alpha-omega
    {0x8470, 0x847E, 0x8440},  // Cyrillic a-n (0x847F is no character)
    {0x8480, 0x8491, 0x844F},  // Cyrillic o-ya
    {0xEEEF, 0xEEF8, 0x8754},  // small roman numerals i-x (NEC-selected row)
    {0xFA40, 0xFA49, 0x8754},  // small roman numerals i-x (IBM row)
};

std::string ReplaceEach(std::string_view text, const Replacement* begin, const Replacement* end) {
  std::string out(text);
  for (const Replacement* r = begin; r != end; ++r) out = ReplaceAll(out, r->from, r->to);
  return out;
}

std::string RemoveEach(std::string_view text, const std::string_view* begin, const std::string_view* end) {
  std::string out(text);
  for (const std::string_view* w = begin; w != end; ++w) out = RemoveAll(out, *w);
  return out;
}

std::string WithoutGroupVolumeWords(std::string_view text) {
  return RemoveEach(text, std::begin(kGroupVolumeWords), std::end(kGroupVolumeWords));
}

std::string_view TrimRightView(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when `pos` begins a character: the walk from the first byte, stepping over two-byte
// characters, lands on it.
bool IsCharStart(std::string_view text, std::size_t pos) {
  std::size_t i = 0;
  while (i < pos) i += IsLeadByte(text[i]) ? 2 : 1;
  return i == pos;
}

// `text` ends in the character(s) `suffix`; a match that begins on the second byte of a
// two-byte character does not count.
bool EndsWithChar(std::string_view text, std::string_view suffix) {
  return EndsWith(text, suffix) && IsCharStart(text, text.size() - suffix.size());
}

// The offset of the later of the markers' first occurrences, or npos when none occurs.
std::size_t LaterMarker(std::string_view text, const std::string_view* begin, const std::string_view* end) {
  std::size_t later = npos;
  for (const std::string_view* m = begin; m != end; ++m) {
    const std::size_t p = FindChar(text, *m);
    if (p != npos && (later == npos || p > later)) later = p;
  }
  return later;
}

std::uint16_t UpperOf(std::uint16_t code) {
  for (const UpperRange& r : kUpperRanges) {
    if (code >= r.first && code <= r.last) return static_cast<std::uint16_t>(r.upper + (code - r.first));
  }
  return code;
}

// Letters upper-cased the way the Japanese locale does it for a code page 932 byte string.
std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size();) {
    const auto b = static_cast<unsigned char>(out[i]);
    if (!IsLeadByte(b)) {
      if (b >= 'a' && b <= 'z') out[i] = static_cast<char>(b - ('a' - 'A'));
      ++i;
      continue;
    }
    if (i + 1 >= out.size()) break;  // a lead byte without its second byte stays as it is
    const auto code = static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(out[i + 1]));
    const std::uint16_t upper = UpperOf(code);
    out[i] = static_cast<char>(upper >> 8);
    out[i + 1] = static_cast<char>(upper & 0xFF);
    i += 2;
  }
  return out;
}

// Takes the volume designation off `w` into `volume` (only while `volume` is empty) and returns
// what is left as the title.
std::string CutVolume(std::string w, std::string& volume) {
  // Angle brackets at the end hold an edition note, never the volume: dropped.
  if (EndsWithChar(w, kAngleClose)) {
    const std::size_t open = FindChar(w, kAngleOpen);
    if (open != npos) w = TrimRight(std::string_view(w).substr(0, open));
  }

  // Every parenthesised group at the end is removed; the last one (counted from the end) that
  // is a volume number becomes the volume. A group holding ")" is taken one level wider. A ")"
  // with no "(" to open its group ends the removal: the title is not thrown away with it.
  std::string_view rest = w;
  while (!rest.empty() && rest.back() == ')') {
    std::size_t open = rest.rfind('(');
    if (open == npos) break;
    if (rest.find(')', open) != rest.size() - 1) {
      open = open == 0 ? npos : rest.rfind('(', open - 1);
      if (open == npos) break;
    }
    const std::string v = WithoutGroupVolumeWords(rest.substr(open + 1, rest.size() - open - 2));
    rest = TrimRightView(rest.substr(0, open));
    if (IsVolumeNumber(v) && volume.empty()) volume = v;
  }
  w = std::string(rest);
  if (!volume.empty()) return w;

  // A volume group inside the title: the text after it is dropped. A ")" with no "(" before it
  // opens no group.
  const std::size_t close = w.rfind(')');
  if (close != npos && close > 0 && w.find('(') != npos) {
    const std::size_t open = w.rfind('(', close - 1);
    if (open != npos) {
      std::string v = WithoutGroupVolumeWords(std::string_view(w).substr(open + 1, close - open - 1));
      if (IsVolumeNumber(v)) {
        volume = std::move(v);
        return TrimRight(std::string_view(w).substr(0, open));
      }
    }
  }

  std::string_view volumeWord;
  for (std::string_view word : kVolumeWords) {
    if (EndsWithChar(w, word)) {
      volumeWord = word;
      w.resize(w.size() - word.size());
      break;
    }
  }

  // The last word, when it is a volume number (the empty word after a trailing space is one).
  const std::size_t space = w.rfind(' ');
  if (space != npos) {
    std::string v = w.substr(space + 1);
    if (IsVolumeNumber(v)) {
      volume = std::move(v);
      return TrimRight(std::string_view(w).substr(0, space));
    }
  }

  // A number after "第" or "編"; "第" goes with the number, "編" stays in the title.
  const std::size_t ordinal = LaterMarker(w, std::begin(kOrdinalMarkers), std::end(kOrdinalMarkers));
  if (ordinal != npos) {
    const std::size_t after = std::min(w.size(), ordinal + 2);
    std::string v = w.substr(after);
    if (IsVolumeNumber(v)) {
      volume = std::move(v);
      w.resize(after);
      if (EndsWithChar(w, kOrdinal)) w = TrimRight(std::string_view(w).substr(0, w.size() - kOrdinal.size()));
      return w;
    }
  }

  // "VOL" or "NO" in any letter case, with digits at the end: the title keeps its upper-case,
  // full-width form.
  const std::string upper = ToHalfAlnum(ToFullWidthUpper(w));
  const std::size_t marker = LaterMarker(upper, std::begin(kLatinMarkers), std::end(kLatinMarkers));
  if (marker != npos) {
    std::string v = TrailingDigits(upper);
    if (IsVolumeNumber(v)) {
      volume = std::move(v);
      return TrimRight(std::string_view(upper).substr(0, marker));
    }
  }

  // Digits right before the volume word: the number, and neither stays in the title.
  if (!volumeWord.empty()) {
    std::size_t digits = w.size();
    while (digits > 0 && IsDigit(w[digits - 1])) --digits;
    if (digits < w.size()) {
      volume = w.substr(digits);
      w.resize(digits);
      return w;
    }
    w.append(volumeWord);
  }
  return w;
}

}  // namespace

void NormaliseTitle(std::string_view text) {
  std::string w = ReplaceEach(text, std::begin(kTitleForms), std::end(kTitleForms));
  w = Trim(ToHalfAlnum(w));
  BookRecord.Title = CutVolume(std::move(w), BookRecord.Volume);
}

bool IsVolumeNumber(std::string_view text) {
  if (IsAllDigits(text)) return true;
  if (std::find(std::begin(kPositionWords), std::end(kPositionWords), text) != std::end(kPositionWords)) {
    return true;
  }
  return IsKanjiNumeral(text) || IsRomanNumeral(text);
}

bool IsKanjiNumeral(std::string_view text) {
  if (text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const std::string_view unit = text.substr(i, 2);
    if (std::find(std::begin(kKanjiNumerals), std::end(kKanjiNumerals), unit) == std::end(kKanjiNumerals)) {
      return false;
    }
  }
  return true;
}

bool IsRomanNumeral(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return kRomanLetters.find(c) != npos; });
}

std::string TrailingDigits(std::string_view text) {
  std::size_t digits = text.size();
  while (digits > 0 && IsDigit(text[digits - 1])) --digits;
  return std::string(digits == text.size() ? text : text.substr(digits));
}

std::string ToFullWidthUpper(std::string_view text) { return ToFullWidth(UpperCase(text)); }

}  // namespace tarvo
