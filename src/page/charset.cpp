#include "page/charset.h"

namespace tarvo {
Utf8Error::Utf8Error() : std::runtime_error("UTF-8 Unknown code.") {}
std::string Utf8ToSjis(std::string_view) { return {}; }
std::string ToHalfWidth(std::string_view s) { return std::string(s); }
std::string ToFullWidth(std::string_view s) { return std::string(s); }
std::string ToHalfWidthLimited(std::string_view s) { return std::string(s.substr(0, 255)); }
}  // namespace tarvo
