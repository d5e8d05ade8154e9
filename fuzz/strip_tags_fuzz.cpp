// The markup routines on any text: results never longer than they can be.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "page/markup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in = tarvo::fuzz::AsText(data, size);
  // Removing tags and decoding entities only ever shortens a text.
  if (tarvo::StripTags(in).size() > in.size()) __builtin_trap();
  // Markers from the front of the input, searched in the rest.
  const std::string_view head = in.substr(0, in.size() / 4);
  const std::string_view rest = in.substr(head.size());
  const std::string_view start = head.substr(0, head.size() / 2);
  const std::string_view end = head.substr(start.size());
  if (tarvo::GetBetween(rest, start, end).size() > rest.size()) __builtin_trap();
  const int index = static_cast<int>(size % 9) - 1;
  if (tarvo::GetField(rest, start.substr(0, 1), index).size() > rest.size()) __builtin_trap();
  if (tarvo::ToHalfAlnum(in).size() > in.size()) __builtin_trap();
  if (tarvo::DigitsOf(in).size() > in.size()) __builtin_trap();
  return 0;
}
