// Any bytes: either a Shift-JIS text or Utf8Error, never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "page/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  try {
    (void)tarvo::Utf8ToSjis(in);
  } catch (const tarvo::Utf8Error&) {
  }
  (void)tarvo::ToHalfWidth(in);
  (void)tarvo::ToFullWidth(in);
  if (tarvo::ToHalfWidthLimited(in).size() > 255) __builtin_trap();
  return 0;
}
