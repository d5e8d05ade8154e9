// Code page 932 with the system's own conversion functions, always code page 932 whatever the
// system's ANSI code page is. Invalid bytes become U+30FB on the way in (the system's default
// character for this code page); units without a form, and unpaired surrogates, become "?" on
// the way out, without the system's "best fit" look-alikes (which turn "é" into "e"), but with
// the nine look-alikes of the JIS mapping that the Linux layer writes too (see kLookAlikes).
#include "platform/win32/windows_api.h"

#include <climits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tarvo::platform {

namespace {

constexpr UINT kCodePage = 932;

int Length(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long to convert");
  return static_cast<int>(size);
}

std::u16string ToWide(UINT codePage, DWORD flags, std::string_view bytes, bool& ok) {
  ok = true;
  if (bytes.empty()) return {};
  const int n = Length(bytes.size());
  const int units = ::MultiByteToWideChar(codePage, flags, bytes.data(), n, nullptr, 0);
  if (units <= 0) {
    ok = false;
    return {};
  }
  std::u16string out(static_cast<std::size_t>(units), u'\0');
  ::MultiByteToWideChar(codePage, flags, bytes.data(), n, reinterpret_cast<wchar_t*>(out.data()), units);
  return out;
}

std::string FromWide(UINT codePage, std::u16string_view wide) {
  if (wide.empty()) return {};
  const int n = Length(wide.size());
  const auto* src = reinterpret_cast<const wchar_t*>(wide.data());
  // UTF-8 takes neither flags nor a default character.
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
  const int bytes = ::WideCharToMultiByte(codePage, flags, src, n, nullptr, 0, fallback, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(codePage, flags, src, n, out.data(), bytes, fallback, nullptr);
  return out;
}

// Characters of the JIS mapping that code page 932 holds under a neighbouring code point: a
// page written with the JIS forms ("〜" U+301C, "−" U+2212, "—" U+2014 are common) gets the
// code page 932 character that looks the same, as it does on Linux, instead of "?".
struct LookAlike {
  char16_t from;
  char16_t to;
};
constexpr LookAlike kLookAlikes[] = {
    {0x00A2, 0xFFE0},  // CENT SIGN -> FULLWIDTH CENT SIGN (81 91)
    {0x00A3, 0xFFE1},  // POUND SIGN -> FULLWIDTH POUND SIGN (81 92)
    {0x00A5, 0x005C},  // YEN SIGN -> the single byte 5C
    {0x00AC, 0xFFE2},  // NOT SIGN -> FULLWIDTH NOT SIGN (81 CA)
    {0x2014, 0x2015},  // EM DASH -> HORIZONTAL BAR (81 5C)
    {0x2016, 0x2225},  // DOUBLE VERTICAL LINE -> PARALLEL TO (81 61)
    {0x203E, 0x007E},  // OVERLINE -> the single byte 7E
    {0x2212, 0xFF0D},  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS (81 7C)
    {0x301C, 0xFF5E},  // WAVE DASH -> FULLWIDTH TILDE (81 60)
};

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// A unit the system would not write as this layer means it: a surrogate or a look-alike.
bool NeedsPreparing(char16_t u) {
  if (u >= 0xD800 && u <= 0xDFFF) return true;
  for (const LookAlike& l : kLookAlikes) {
    if (u == l.from) return true;
  }
  return false;
}

// The text as the system should see it: look-alikes replaced, and a surrogate pair (one
// character outside the Basic Multilingual Plane, which code page 932 lacks) as one "?"; the
// system would write one "?" for each half.
std::u16string Prepared(std::u16string_view wide) {
  std::u16string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char16_t u = wide[i];
    if (IsHighSurrogate(u) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      u = u'?';
      ++i;
    }
    for (const LookAlike& l : kLookAlikes) {
      if (u == l.from) u = l.to;
    }
    out.push_back(u);
  }
  return out;
}

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

std::u16string Cp932ToUtf16(std::string_view sjis) {
  // The system reads a lead byte and whatever byte follows it as one invalid character, so "\x81 "
  // would lose its space. A lead byte without a trail byte after it is one U+30FB here, and the
  // next byte is read on its own.
  std::u16string out;
  bool ok;
  std::size_t start = 0;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    if (!IsLead(static_cast<unsigned char>(sjis[i]))) continue;
    if (i + 1 < sjis.size() && IsTrail(static_cast<unsigned char>(sjis[i + 1]))) {
      ++i;
      continue;
    }
    out += ToWide(kCodePage, 0, sjis.substr(start, i - start), ok);
    out.push_back(u'\u30FB');
    start = i + 1;
  }
  if (start == 0) return ToWide(kCodePage, 0, sjis, ok);
  out += ToWide(kCodePage, 0, sjis.substr(start), ok);
  return out;
}

std::string Utf16ToCp932(std::u16string_view wide) {
  for (char16_t u : wide) {
    if (u >= 0xA2 && NeedsPreparing(u)) return FromWide(kCodePage, Prepared(wide));
  }
  return FromWide(kCodePage, wide);
}

std::string Cp932ToUtf8(std::string_view sjis) {
  bool ok;
  std::u16string wide = ToWide(kCodePage, MB_ERR_INVALID_CHARS, sjis, ok);
  if (ok) return FromWide(CP_UTF8, wide);
  // Some bytes do not read: one character at a time, "?" for each that does not.
  std::string out;
  out.reserve(sjis.size() * 3);
  for (std::size_t i = 0; i < sjis.size();) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    const std::size_t n = IsLead(b) && i + 1 < sjis.size() && IsTrail(static_cast<unsigned char>(sjis[i + 1])) ? 2 : 1;
    wide = ToWide(kCodePage, MB_ERR_INVALID_CHARS, sjis.substr(i, n), ok);
    out += ok ? FromWide(CP_UTF8, wide) : std::string("?");
    i += n;
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  bool ok;
  // Malformed UTF-8 becomes U+FFFD here, which code page 932 writes as "?".
  return Utf16ToCp932(ToWide(CP_UTF8, 0, utf8, ok));
}

}  // namespace tarvo::platform
