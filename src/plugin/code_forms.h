// The two code forms that carry the digits of a book's second barcode behind the ISBN.
//
// 18 characters: ISBN-10, the four-digit classification code and a four-digit price.
// 26 characters: ISBN-13 and the whole second barcode ("192", classification code, a five-digit
// price and the barcode's check digit). Positions count bytes.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

inline constexpr std::size_t kShortBarcodeCodeLength = 18;
inline constexpr std::size_t kLongBarcodeCodeLength = 26;

struct BarcodeParts {
  std::string isbn;
  std::string ccode;
  std::string price;
};

// An 18-character code split: characters 1-10, 11-14, and the price from characters 15-18 with
// one leading "0" dropped ("0000" gives an empty price).
BarcodeParts SplitShortBarcodeCode(std::string_view code);

// A 26-character code split: characters 1-13, 17-20, and the five-digit price of characters
// 21-25 as a decimal number without leading zeros ("0" when they are not all digits).
BarcodeParts SplitLongBarcodeCode(std::string_view code);

}  // namespace tarvo
