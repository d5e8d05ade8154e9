#include "plugin/code_forms.h"

#include "page/markup.h"
#include "page/text.h"

namespace tarvo {

BarcodeParts SplitShortBarcodeCode(std::string_view code) {
  BarcodeParts parts{CopyRange(code, 0, 10), CopyRange(code, 10, 4), CopyRange(code, 14, 4)};
  if (parts.price == "0000") {
    parts.price.clear();
  } else if (StartsWith(parts.price, "0")) {
    parts.price.erase(0, 1);  // one zero only
  }
  return parts;
}

BarcodeParts SplitLongBarcodeCode(std::string_view code) {
  BarcodeParts parts{CopyRange(code, 0, 13), CopyRange(code, 16, 4), CopyRange(code, 20, 5)};
  if (parts.price.empty() || !IsAllDigits(parts.price)) {
    parts.price = "0";
    return parts;
  }
  const std::size_t first = parts.price.find_first_not_of('0');
  parts.price = first == std::string::npos ? "0" : parts.price.substr(first);
  return parts;
}

}  // namespace tarvo
