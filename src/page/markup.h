// Markup and text routines: cutting values out of page lines by markers, splitting at
// delimiters, removing tags and bringing full-width letters and digits to ASCII.
// Shift-JIS text in, new text out; no state, no errors.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// The text after the first `startMarker` (byte search) up to the first `endMarker` after it, or
// the rest when `endMarker` is empty or absent. Empty when `startMarker` is empty or absent.
std::string GetBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker);

// Field number `index` (1-based) of `text` split at the one-byte `delimiter` (character search);
// the last field is everything after the last delimiter. Empty for index 0 or less, or when the
// text has fewer fields.
std::string GetField(std::string_view text, std::string_view delimiter, int index);

// Full-width digits and Latin letters (lead byte 0x82) to ASCII; everything else unchanged.
// Stops at a NUL byte.
std::string ToHalfAlnum(std::string_view text);

// Tags removed (comments keep their markers), then "&lt;", "&gt;" and "&nbsp;" decoded.
std::string StripTags(std::string_view text);

// Every byte an ASCII digit (true for the empty text).
bool IsAllDigits(std::string_view text);
// At least one ASCII digit.
bool HasDigit(std::string_view text);
// The ASCII digits of the text in order, or the text unchanged when it has none.
std::string DigitsOf(std::string_view text);

}  // namespace tarvo
