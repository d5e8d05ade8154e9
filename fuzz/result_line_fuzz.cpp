// Any field values: the result line has exactly 68 columns when read back by the comma-text rule.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "record/book_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarvo::ClearBookRecord();
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  // Spread the input over a few fields, the reading fields among them.
  const int fields[] = {1, 2, 6, 8, 9, 35};
  std::size_t chunk = size / 6 + 1;
  for (std::size_t i = 0; i < 6; ++i) tarvo::BookRecord.Field(fields[i]) = std::string(in.substr(std::min(size, i * chunk), chunk));
  const std::string line = tarvo::BuildResultLine();
  if (tarvo::BookRecord.Author1Kana.size() > 255) __builtin_trap();
  // Count columns: commas outside quotes.
  int columns = 1;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    else if (c == ',' && !quoted) ++columns;
  }
  if (columns != 68 || quoted) __builtin_trap();
  return 0;
}
