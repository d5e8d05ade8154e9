// The host's book-code check: which codes the store's search takes.
#pragma once

#include <string>
#include <string_view>

namespace tarvo::host {

// Hyphens and spaces removed, then one of these forms:
//   10: ISBN-10 (check digit 0-9 or X);       13: ISBN-13 (978/979, check digit);
//   18: ISBN-10 + classification code (4 digits) + price (4 digits);
//   26: ISBN-13 + second barcode ("192", classification code, 5-digit price, check digit).
// Returns the book's ISBN-13, or the empty text when the code is none of these or a check
// digit is wrong.
std::string CheckBookCode(std::string_view code);

// `code` without hyphens and spaces.
std::string WithoutSeparators(std::string_view code);

}  // namespace tarvo::host
