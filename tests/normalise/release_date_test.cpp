#include "normalise/release_date.h"

#include <gtest/gtest.h>

#include <string>

#include "page/sjis_literal.h"
#include "record/book_record.h"

namespace tarvo {
namespace {

// The fields hold "old" values before each call, so a field that is not written shows them.
constexpr std::string_view kOldYear = "yyyy";
constexpr std::string_view kOldMonth = "mm";
constexpr std::string_view kOldDay = "dd";

struct DateCase {
  std::string_view text;
  std::string_view year, month, day;
};

void Check(const DateCase* begin, const DateCase* end) {
  for (const DateCase* c = begin; c != end; ++c) {
    ClearBookRecord();
    BookRecord.PubYear = kOldYear;
    BookRecord.PubMonth = kOldMonth;
    BookRecord.PubDay = kOldDay;
    ParseReleaseDate(c->text);
    EXPECT_EQ(BookRecord.PubYear, c->year) << c->text;
    EXPECT_EQ(BookRecord.PubMonth, c->month) << c->text;
    EXPECT_EQ(BookRecord.PubDay, c->day) << c->text;
  }
}

TEST(ParseReleaseDate, SeparatorNotations) {
  const DateCase cases[] = {
      {"2009/05/01", "2009", "05", "01"},
      {"2009.05.01", "2009", "05", "01"},
      {"2009/5/1", "2009", "05", "01"},
      {"2009年5月10日"_sj, "2009", "05", "10"},
      {"2009年05月"_sj, "2009", "05", kOldDay},
      {"2009/05", "2009", "05", kOldDay},
      {"2009年"_sj, "2009", kOldMonth, kOldDay},
      {"２００９年５月"_sj, "2009", "05", kOldDay},
      {" 2009 / 5 / 1 ", "2009", "05", "01"},
      {"2009.05/01", "2009", "01", kOldDay},  // the dot notation wins; "0005/01" ends in "01"
      {"2009/05/01Dummy", "2009", "05", "01"},
      {"2009年13月40日"_sj, "2009", "13", "40"},   // no range check
      {"2009年5月上旬"_sj, "2009", "05", kOldDay},  // the day ends in a kanji
      {"2009/0a/01", "2009", kOldMonth, "01"},
      {"2009/00/00", "2009", kOldMonth, kOldDay},
      {"2009/123/1", "2009", "23", "01"},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST(ParseReleaseDate, ShortAndUnreadableYears) {
  const DateCase cases[] = {
      {"09/05/01", "2009", "05", "01"},
      {"98.3.1", "1998", "03", "01"},
      {"59/1/1", "2059", "01", "01"},
      {"60/1/1", "1960", "01", "01"},
      {"123/1/1", "2023", "01", "01"},
      {"0/1/1", "2000", "01", "01"},
      {"+5/1/1", "2005", "01", "01"},
      {"0009/1/1", "0009", "01", "01"},  // four bytes or more stay as written
      {"平成21年5月"_sj, "", "05", kOldDay},
      {"-1/5/1", "", "05", "01"},
      {"/5/1", "", "05", "01"},
      {"20 09/5/1", "", "05", "01"},
      // a year that does not fit in 32 bits is not an integer
      {"2147483647/1/1", "2147483647", "01", "01"},
      {"2147483648/1/1", "", "01", "01"},
      {"99999999999999999999999/1/1", "", "01", "01"},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST(ParseReleaseDate, DigitsOnly) {
  const DateCase cases[] = {
      {"20090501", "2009", "05", "01"},
      {" 20090501 ", "2009", "05", "01"},
      {"２００９０５０１"_sj, "2009", "05", "01"},
      {"200905", "2009", "05", kOldDay},
      {"090501", "2009", "05", "01"},
      {"990501", "1999", "05", "01"},
      {"190501", "1905", "01", kOldDay},  // begins with "19": a four-digit year
      {"2009", "", kOldMonth, kOldDay},
      {"2009050", "", kOldMonth, kOldDay},
      {"00000000", "", kOldMonth, kOldDay},
      {"-20090501", "", kOldMonth, kOldDay},
      {"未定"_sj, "", kOldMonth, kOldDay},
      {"", "", kOldMonth, kOldDay},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST(ParseReleaseDate, BadInput) {
  const std::string longYear = std::string(1 << 20, '1') + "/05/01";
  const std::string longDigits(1 << 20, '1');
  std::string longKanji;
  for (int i = 0; i < 100000; ++i) longKanji += "月"_sj;
  const DateCase cases[] = {
      {longYear, "", "05", "01"},
      {longDigits, "", kOldMonth, kOldDay},
      {longKanji, "", kOldMonth, kOldDay},
      {std::string_view("2009/05\0/01", 11), "2009", "05", kOldDay},  // the text ends at a NUL
      {"2009/05/0\x81", "2009", "05", kOldDay},
      {"2009/05\x81", "2009", kOldMonth, kOldDay},
      {"\x94", "", kOldMonth, kOldDay},
      {"2009\x94", "", kOldMonth, kOldDay},
  };
  Check(std::begin(cases), std::end(cases));
}

}  // namespace
}  // namespace tarvo
