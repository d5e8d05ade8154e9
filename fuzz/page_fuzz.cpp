// Raw page bytes through the whole parser, via the scratch file it reads.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "page/charset.h"
#include "page/product_page.h"
#include "platform/platform.h"
#include "record/book_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/tarvo_fuzz_page_" + std::to_string(reinterpret_cast<std::uintptr_t>(&path)) + ".html";
  tarvo::platform::WriteWholeFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
  tarvo::ClearBookRecord();
  try {
    (void)tarvo::ParseProductPage(path);
  } catch (const tarvo::Utf8Error&) {
  }
  (void)tarvo::BuildResultLine();
  return 0;
}
