#include "platform/platform.h"

namespace tarvo::platform {
std::u16string Cp932ToUtf16(std::string_view) { return {}; }
std::string Utf16ToCp932(std::u16string_view) { return {}; }
std::string Cp932ToUtf8(std::string_view) { return {}; }
std::string Utf8ToCp932(std::string_view) { return {}; }
}  // namespace tarvo::platform
