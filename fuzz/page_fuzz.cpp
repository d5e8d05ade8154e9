// Raw page bytes through the whole parser, via the scratch file it reads, then into a result
// line that must keep its 68 columns however the page was made.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "host/comma_text.h"
#include "page/charset.h"
#include "page/product_page.h"
#include "platform/platform.h"
#include "record/book_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = tarvo::fuzz::ScratchPath("page") + "Temp.html";
  tarvo::platform::WriteWholeFile(path, tarvo::fuzz::AsText(data, size));
  tarvo::ClearBookRecord();
  try {
    if (!tarvo::ParseProductPage(path)) return 0;
  } catch (const tarvo::Utf8Error&) {
    return 0;
  }
  const std::string line = tarvo::BuildResultLine();
  if (tarvo::host::SplitCommaText(line).size() != 68) __builtin_trap();
  // Read character by character too: no column may end in half a character, or it would take
  // the comma after it as its second byte.
  if (tarvo::fuzz::ReadColumnsByCharacter(line).size() != 68) __builtin_trap();
  return 0;
}
