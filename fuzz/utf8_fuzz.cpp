// Any bytes through the character-set conversions: a Shift-JIS text or Utf8Error, never a crash,
// and the width conversions within the lengths they promise.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "page/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in = tarvo::fuzz::AsText(data, size);
  try {
    const std::string sjis = tarvo::Utf8ToSjis(in);
    // The decoder writes whole characters only: no lead byte without its trail byte.
    if (!tarvo::fuzz::IsWellFormedSjis(sjis)) __builtin_trap();
    if (tarvo::ToHalfWidth(sjis).size() > sjis.size()) __builtin_trap();
  } catch (const tarvo::Utf8Error&) {
  }
  // The same bytes taken as Shift-JIS, well-formed or not.
  if (tarvo::ToHalfWidth(in).size() > in.size()) __builtin_trap();
  (void)tarvo::ToFullWidth(in);
  if (tarvo::ToHalfWidthLimited(in).size() > 255) __builtin_trap();
  return 0;
}
