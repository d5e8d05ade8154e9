// The product page parser: the downloaded page file read line by line into BookRecord.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// True when the file exists and a line with the title marker was handled. Raises Utf8Error for
// a page that is not UTF-8 (after releasing what it holds).
bool ParseProductPage(const std::string& pagePath);

// With a file at `markerPath`: BookSize "文庫" -> "A6", "コミック" removed, fields 17 and 18 set,
// PageURL emptied. Always true.
bool ApplyPrivateMode(const std::string& markerPath, std::string_view value17, std::string_view value18);

}  // namespace tarvo
