// A title line (Shift-JIS bytes) through the title analysis with its fallback.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "normalise/title.h"
#include "page/title_line.h"
#include "record/book_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  tarvo::ClearBookRecord();
  tarvo::ParseTitleLine(in, true);
  tarvo::ClearBookRecord();
  tarvo::NormaliseTitle(in);
  (void)tarvo::ToFullWidthUpper(in);
  return 0;
}
