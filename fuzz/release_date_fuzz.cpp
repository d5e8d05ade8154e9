// Any date text: the three date fields come out defined.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "normalise/release_date.h"
#include "record/book_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarvo::ClearBookRecord();
  tarvo::ParseReleaseDate(std::string_view(reinterpret_cast<const char*>(data), size));
  const auto& r = tarvo::BookRecord;
  if (r.PubMonth.size() > 2 || r.PubDay.size() > 2) __builtin_trap();
  return 0;
}
