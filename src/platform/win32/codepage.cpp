// Code page 932 with the system's own conversion functions, always code page 932 whatever the
// system's ANSI code page is. Invalid bytes become U+30FB on the way in (the system's default
// character for this code page); units without a form, and unpaired surrogates, become "?" on
// the way out, without "best fit" look-alikes.
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

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

std::u16string Cp932ToUtf16(std::string_view sjis) {
  bool ok;
  return ToWide(kCodePage, 0, sjis, ok);
}

std::string Utf16ToCp932(std::u16string_view wide) { return FromWide(kCodePage, wide); }

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
  return FromWide(kCodePage, ToWide(CP_UTF8, 0, utf8, ok));
}

}  // namespace tarvo::platform
