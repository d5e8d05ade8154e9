// Any field values: the result line has exactly 68 columns and gives every value back, escaped,
// whether it is read byte by byte or character by character.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "host/comma_text.h"
#include "record/book_record.h"

namespace {

// Fields that reach the result line from pages, dictionaries and settings, the reading fields
// among them; the input is spread over them at its NUL bytes.
constexpr int kFilled[] = {0, 1, 3, 4, 5, 6, 8, 9, 12, 13, 15, 16, 19, 20, 35, 36, 44, 63};

// The column of field k.
std::size_t ColumnOf(int k) { return static_cast<std::size_t>(k) + (k > 38 ? 2 : k > 18 ? 1 : 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = tarvo::fuzz::SplitAtNul(tarvo::fuzz::AsText(data, size), std::size(kFilled));
  tarvo::ClearBookRecord();
  // Well-formed Shift-JIS in which CR and LF only come as pairs, as the parser leaves every field;
  // the readings (fields 6 and 8) come from one line of a page or dictionary and hold neither.
  for (std::size_t i = 0; i < std::size(kFilled); ++i) {
    std::string value = tarvo::fuzz::WellFormed(parts[i]);
    const bool oneLine = kFilled[i] == 6 || kFilled[i] == 8;
    std::string paired;
    for (std::size_t p = 0; p < value.size(); ++p) {
      if (!oneLine && value[p] == '\r' && p + 1 < value.size() && value[p + 1] == '\n') {
        paired.append("\r\n");
        ++p;
      } else if (value[p] != '\r' && value[p] != '\n') {
        paired.push_back(value[p]);
      }
    }
    tarvo::BookRecord.Field(kFilled[i]) = paired;
  }
  const std::string line = tarvo::BuildResultLine();
  if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();  // one line in the file
  for (int k : {2, 6, 8}) {
    if (tarvo::BookRecord.Field(k).size() > 255) __builtin_trap();
  }
  const std::vector<std::string> byByte = tarvo::host::SplitCommaText(line);
  const std::vector<std::string> byCharacter = tarvo::fuzz::ReadColumnsByCharacter(line);
  if (byByte.size() != 68 || byCharacter != byByte) __builtin_trap();
  for (int k = 0; k < tarvo::TBase::kFieldCount; ++k) {
    if (byByte[ColumnOf(k)] != tarvo::EscapeField(tarvo::BookRecord.Field(k))) __builtin_trap();
  }
  if (!byByte[19].empty() || !byByte[40].empty()) __builtin_trap();
  return 0;
}
