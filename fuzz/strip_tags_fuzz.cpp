// The markup routines on any text: results never longer than they can be.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "page/markup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::string_view half = in.substr(0, in.size() / 2);
  const std::string_view rest = in.substr(in.size() / 2);
  (void)tarvo::StripTags(in);
  if (tarvo::GetBetween(rest, half.substr(0, 2), half.substr(2, 1)).size() > rest.size()) __builtin_trap();
  (void)tarvo::GetField(rest, "|", static_cast<int>(size % 7) - 1);
  if (tarvo::ToHalfAlnum(in).size() > in.size()) __builtin_trap();
  (void)tarvo::DigitsOf(in);
  return 0;
}
