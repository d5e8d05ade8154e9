// Character-set conversion: the one UTF-8 decoder for downloaded pages, and the conversions
// between full-width and half-width forms. Shift-JIS (code page 932) text in and out.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tarvo {

// Raised by Utf8ToSjis when a byte in 0x80-0xBF or 0xF8-0xFF stands where a sequence begins.
// what() is "UTF-8 Unknown code.".
class Utf8Error : public std::runtime_error {
 public:
  Utf8Error();
};

// A whole page from UTF-8 to Shift-JIS in one pass. Continuation bytes are taken as they come
// (only their low six bits count); decoding stops at a NUL where a sequence begins; a four-byte
// sequence yields one "?"; a character without a code page 932 form becomes "?".
std::string Utf8ToSjis(std::string_view utf8);

// Full-width Latin letters, digits, signs, the ideographic space and katakana (with their
// signs) to their half-width forms; everything else unchanged. Never longer than its input.
// The tables are our own (page/width.h), the same on every platform. Bytes that are not valid
// Shift-JIS come out as code page 932 conversion reads them (an invalid byte as "・", then
// mapped like any "・").
std::string ToHalfWidth(std::string_view sjis);
// The reverse mapping for the same classes of characters; a half-width kana followed by ﾞ or ﾟ
// becomes the one voiced or semi-voiced katakana where there is one.
std::string ToFullWidth(std::string_view sjis);
// ToHalfWidth of the text up to its first NUL, cut to at most 255 bytes at the last whole
// character that fits.
std::string ToHalfWidthLimited(std::string_view sjis);

}  // namespace tarvo
