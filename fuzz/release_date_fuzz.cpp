// Any date text: the year comes out as an integer as written (a sign kept) or empty, month and
// day as two digits or not at all.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "normalise/release_date.h"
#include "page/markup.h"
#include "record/book_record.h"

namespace {

// Empty, or two ASCII digits other than "00".
bool IsMonthOrDay(std::string_view v) { return v.empty() || (v.size() == 2 && tarvo::IsAllDigits(v) && v != "00"); }

// Empty, or an optional sign and digits: a year of four bytes or more stays as written.
bool IsYear(std::string_view v) {
  if (!v.empty() && (v.front() == '+' || v.front() == '-')) v.remove_prefix(1);
  return tarvo::IsAllDigits(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarvo::ClearBookRecord();
  tarvo::ParseReleaseDate(tarvo::fuzz::AsText(data, size));
  const tarvo::TBase& r = tarvo::BookRecord;
  if (!IsYear(r.PubYear)) __builtin_trap();
  if (!IsMonthOrDay(r.PubMonth) || !IsMonthOrDay(r.PubDay)) __builtin_trap();
  return 0;
}
