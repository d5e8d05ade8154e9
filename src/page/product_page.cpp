#include "page/product_page.h"

namespace tarvo {

bool ParseProductPage(const std::string&) { return false; }  // filled in with the parser

bool ApplyPrivateMode(const std::string&, std::string_view, std::string_view) { return true; }

}  // namespace tarvo
