// Title line analysis: the product page's heading line split into Title, Subtitle, Volume and
// Label of BookRecord.
#pragma once

#include <string_view>

namespace tarvo {

// `allowFallback`: when the analysis finds no title, hand the cleaned line to NormaliseTitle.
void ParseTitleLine(std::string_view line, bool allowFallback);

}  // namespace tarvo
