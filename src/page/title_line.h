// Title line analysis: the product page's heading line split into Title, Subtitle, Volume and
// Label of BookRecord.
#pragma once

#include <string_view>

namespace tarvo {

// The line is cleaned of markup first. Label is written only while it is empty; Volume is
// emptied by a line without any parenthesised group. `allowFallback`: when the analysis finds no
// title, hand the cleaned line to NormaliseTitle.
void ParseTitleLine(std::string_view line, bool allowFallback);

}  // namespace tarvo
