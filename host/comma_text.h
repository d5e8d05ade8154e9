// Reading back the host's result lines: columns joined by commas, a column quoted when it holds
// a byte 0x01-0x20, a quote or a comma, quotes inside doubled.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvo::host {

// The columns of one line, quotes removed. Shift-JIS is safe here: neither '"' nor ',' is ever
// the second byte of a two-byte character.
std::vector<std::string> SplitCommaText(std::string_view line);

}  // namespace tarvo::host
