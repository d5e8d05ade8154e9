// Title and volume normalisation: takes a volume designation ("3", "第3巻", "上", "IV", "Vol.3"
// and their kin) out of a title text. Works on BookRecord.Title and BookRecord.Volume.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// Sets BookRecord.Title to the title without its volume designation; sets BookRecord.Volume
// when it is empty and a designation is found. Parenthesised groups at the end of the title are
// removed even when Volume was already set; a ")" that closes no group stays in the title.
// Marker words are found only where a character begins. Touches no other field.
void NormaliseTitle(std::string_view text);

bool IsVolumeNumber(std::string_view text);   // digits (or empty), "上"/"中"/"下", kanji or roman numeral
bool IsKanjiNumeral(std::string_view text);   // only 一..十 百 壱 弐 参 拾 (empty holds)
bool IsRomanNumeral(std::string_view text);   // only I V X i v x (empty holds)
std::string TrailingDigits(std::string_view text);  // the ASCII digits at the end, or the text unchanged
// Upper-cased as the Japanese locale does it (ASCII letters, full-width Latin, Greek and Cyrillic
// letters, the small roman numerals), then ToFullWidth.
std::string ToFullWidthUpper(std::string_view text);

}  // namespace tarvo
