// A title line (Shift-JIS bytes) through the title line analysis, with and without its
// fallback, and through the title rules on their own.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "normalise/title.h"
#include "page/title_line.h"
#include "record/book_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in = tarvo::fuzz::AsText(data, size);
  tarvo::ClearBookRecord();
  tarvo::ParseTitleLine(in, true);
  tarvo::ClearBookRecord();
  tarvo::ParseTitleLine(in, false);
  tarvo::ClearBookRecord();
  tarvo::NormaliseTitle(in);
  (void)tarvo::ToFullWidthUpper(in);
  (void)tarvo::IsVolumeNumber(in);
  (void)tarvo::TrailingDigits(in);
  return 0;
}
