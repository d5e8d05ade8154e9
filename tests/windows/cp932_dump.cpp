// Prints what this platform layer makes of code page 932, for comparing the Linux and the
// Windows layer line by line:
//
//   pair XXYY U+AAAA[ U+BBBB] -> ZZZZ   every lead byte x trail byte, to UTF-16 and back
//   lone XXYY U+AAAA ... -> ZZ...       every lead byte before a byte that cannot follow it
//   byte XX U+AAAA -> ZZ                every single byte
//   unit U+AAAA -> ZZZZ                 every UTF-16 unit outside the surrogates, to code page 932
//   text U+AAAA ... -> ZZZZ             a few texts with surrogates, paired and alone
//
// Bytes are written in hexadecimal; "?" shows as 3F.
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace {

void PrintUnits(std::u16string_view units) {
  for (char16_t u : units) std::printf(" U+%04X", static_cast<unsigned>(u));
}

void PrintBytes(std::string_view bytes) {
  std::printf(" ->");
  if (bytes.empty()) std::printf(" (none)");
  std::printf(" ");
  for (char b : bytes) std::printf("%02X", static_cast<unsigned>(static_cast<unsigned char>(b)));
}

bool IsLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail(int b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

int main() {
  using tarvo::platform::Cp932ToUtf16;
  using tarvo::platform::Utf16ToCp932;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLead(lead)) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsTrail(trail)) continue;
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string wide = Cp932ToUtf16(bytes);
      std::printf("pair %02X%02X", lead, trail);
      PrintUnits(wide);
      PrintBytes(Utf16ToCp932(wide));
      std::printf("\n");
    }
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLead(lead)) continue;
    for (int next = 0; next <= 0xFF; ++next) {
      if (IsTrail(next)) continue;
      const std::string bytes{static_cast<char>(lead), static_cast<char>(next)};
      const std::u16string wide = Cp932ToUtf16(bytes);
      std::printf("lone %02X%02X", lead, next);
      PrintUnits(wide);
      PrintBytes(Utf16ToCp932(wide));
      std::printf("\n");
    }
  }
  for (int b = 0; b <= 0xFF; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::u16string wide = Cp932ToUtf16(byte);
    std::printf("byte %02X", b);
    PrintUnits(wide);
    PrintBytes(Utf16ToCp932(wide));
    std::printf("\n");
  }
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    const std::u16string unit(1, static_cast<char16_t>(u));
    std::printf("unit U+%04X", u);
    PrintBytes(Utf16ToCp932(unit));
    std::printf("\n");
  }
  const std::u16string texts[] = {
      {char16_t{0xD83D}, char16_t{0xDE00}},             // a pair: one character outside the BMP
      {char16_t{0xD800}},                               // a high surrogate alone
      {char16_t{0xDC00}},                               // a low surrogate alone
      {u'a', char16_t{0xD800}, u'b'},                   // a high surrogate before a letter
      {u'a', char16_t{0xDC00}, char16_t{0xD800}, u'b'}, // the two halves in the wrong order
  };
  for (const std::u16string& text : texts) {
    std::printf("text");
    PrintUnits(text);
    PrintBytes(Utf16ToCp932(text));
    std::printf("\n");
  }
  return 0;
}
