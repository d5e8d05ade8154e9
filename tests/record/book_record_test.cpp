#include "record/book_record.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "page/sjis_literal.h"

namespace tarvo {
namespace {

// A Shift-JIS literal as a string. (clang 14 cannot print a literal operator template taking a
// class type, which it tries when it evaluates std::string("..."_sj) as a constant and fails.)
std::string Str(std::string_view text) { return std::string(text); }

// The columns of a result line, split at the commas outside quotes and unquoted.
std::vector<std::string> Columns(std::string_view line) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        out.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        out.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

class ResultLine : public testing::Test {
 protected:
  void SetUp() override { ClearBookRecord(); }
  void TearDown() override { ClearBookRecord(); }
};

TEST_F(ResultLine, EmptyRecordIs67Commas) {
  EXPECT_EQ(BuildResultLine(), std::string(67, ','));
}

TEST_F(ResultLine, ClearEmptiesEveryFieldButNotTheLeadingInteger) {
  BookRecord.Reserved = 7;
  for (int k = 0; k < TBase::kFieldCount; ++k) BookRecord.Field(k) = "x";
  ClearBookRecord();
  for (int k = 0; k < TBase::kFieldCount; ++k) EXPECT_EQ(BookRecord.Field(k), "") << k;
  EXPECT_EQ(BookRecord.Reserved, 7);
  BookRecord.Reserved = 0;
}

TEST_F(ResultLine, EachFieldHasItsOwnColumn) {
  // Field k lands in column k+1 up to 18, k+2 up to 38 and k+3 after that; columns 20 and 41
  // stay empty.
  std::set<const std::string*> distinct;
  for (int k = 0; k < TBase::kFieldCount; ++k) {
    distinct.insert(&BookRecord.Field(k));
    BookRecord.Field(k) = "f" + std::to_string(k);
  }
  EXPECT_EQ(distinct.size(), 66u);
  const std::vector<std::string> columns = Columns(BuildResultLine());
  ASSERT_EQ(columns.size(), 68u);
  for (int k = 0; k < TBase::kFieldCount; ++k) {
    const int column = k + (k <= 18 ? 1 : k <= 38 ? 2 : 3);
    EXPECT_EQ(columns[static_cast<std::size_t>(column - 1)], "f" + std::to_string(k)) << "field " << k;
  }
  EXPECT_EQ(columns[19], "");
  EXPECT_EQ(columns[40], "");
}

TEST_F(ResultLine, NamedFieldsAreInTheirPlaces) {
  struct Named {
    std::string TBase::*member;
    int field;
  } named[] = {
      {&TBase::ISBN, 0},         {&TBase::Title, 1},      {&TBase::TitleKana, 2},    {&TBase::Subtitle, 3},
      {&TBase::Volume, 4},       {&TBase::Author1, 5},    {&TBase::Author1Kana, 6},  {&TBase::Author2, 7},
      {&TBase::Author2Kana, 8},  {&TBase::OtherAuthors, 9}, {&TBase::CCode, 10},     {&TBase::Publisher, 12},
      {&TBase::Label, 13},       {&TBase::BookSize, 15},  {&TBase::PageURL, 16},     {&TBase::Purchase, 19},
      {&TBase::Price, 20},       {&TBase::Tax, 21},       {&TBase::TaxAgain, 23},    {&TBase::PubYear, 24},
      {&TBase::PubMonth, 25},    {&TBase::PubDay, 26},    {&TBase::Pages, 34},       {&TBase::Description, 35},
      {&TBase::ImageURL, 36},    {&TBase::ReadState, 44}, {&TBase::Author1Note, 63},
  };
  for (const Named& n : named) EXPECT_EQ(&(BookRecord.*n.member), &BookRecord.Field(n.field)) << n.field;
}

TEST_F(ResultLine, QuotingAndEscaping) {
  struct Case {
    const char* what;
    std::string_view value;
    std::string_view column;  // as written in the line
  } cases[] = {
      {"plain", "abc", "abc"},
      {"half-width space quotes", "Hello World", "\"Hello World\""},
      {"single space", " ", "\" \""},
      {"quote becomes full-width, space quotes", "say \"hi\"", "\"say ”hi”\""_sj},
      {"quote becomes full-width, unquoted", "a\"b", "a”b"_sj},
      {"comma becomes full-width, unquoted", "1,200", "1，200"_sj},
      {"CR LF becomes $$", "first\r\nsecond", "first$$second"},
      {"paragraphs with a space", "one two\r\nthree", "\"one two$$three\""},
      {"lone LF kept raw and quoted", "a\nb", "\"a\nb\""},
      {"lone CR kept raw and quoted", "a\rb", "\"a\rb\""},
      {"TAB quotes", "a\tb", "\"a\tb\""},
      {"full-width space does not quote", "山田　太郎"_sj, "山田　太郎"_sj},
  };
  for (const Case& c : cases) {
    ClearBookRecord();
    BookRecord.Title = std::string(c.value);
    const std::string line = BuildResultLine();
    const std::string want = "," + std::string(c.column) + std::string(66, ',');
    EXPECT_EQ(line, want) << c.what;
  }
}

TEST_F(ResultLine, EscapedTextsInShiftJis) {
  BookRecord.Title = "“ケース”と\"引用\""_sj;
  BookRecord.Price = "1,980";
  BookRecord.Description = Str("第一段落。"_sj) + "\r\n" + Str("第二段落。"_sj);
  const std::vector<std::string> columns = Columns(BuildResultLine());
  ASSERT_EQ(columns.size(), 68u);
  EXPECT_EQ(columns[1], "“ケース”と”引用”"_sj);
  EXPECT_EQ(columns[21], "1，980"_sj);
  EXPECT_EQ(columns[36], "第一段落。$$第二段落。"_sj);
}

TEST(EscapeField, ReplacesInOrder) {
  struct Case {
    std::string_view in, want;
  } cases[] = {
      {"", ""},
      {"\r\n\r\n", "$$$$"},
      {"\n\r", "\n\r"},
      {"\r\r\n", "\r$$"},
      {"\",\"", "”，”"_sj},
      {"$$", "$$"},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeField(c.in), c.want) << c.in;
}

TEST_F(ResultLine, ReadingsAreWrittenHalfWidthAndKeptSo) {
  BookRecord.TitleKana = "ユキノフルマチデ"_sj;
  BookRecord.Author1Kana = "ヤマダ　ハナコ"_sj;
  BookRecord.Author2Kana = "ガッコウ"_sj;
  BookRecord.Title = "ユキ"_sj;       // not a reading: stays full-width
  BookRecord.Author1 = "ヤマダ"_sj;
  const std::vector<std::string> columns = Columns(BuildResultLine());
  ASSERT_EQ(columns.size(), 68u);
  EXPECT_EQ(columns[2], "ﾕｷﾉﾌﾙﾏﾁﾃﾞ"_sj);
  EXPECT_EQ(columns[6], "ﾔﾏﾀﾞ ﾊﾅｺ"_sj);
  EXPECT_EQ(columns[8], "ｶﾞｯｺｳ"_sj);
  EXPECT_EQ(columns[1], "ユキ"_sj);
  EXPECT_EQ(columns[5], "ヤマダ"_sj);
  EXPECT_EQ(BookRecord.TitleKana, "ﾕｷﾉﾌﾙﾏﾁﾃﾞ"_sj);
  EXPECT_EQ(BookRecord.Author1Kana, "ﾔﾏﾀﾞ ﾊﾅｺ"_sj);
  EXPECT_EQ(BookRecord.Author2Kana, "ｶﾞｯｺｳ"_sj);
  EXPECT_EQ(BookRecord.Title, "ユキ"_sj);
  // The half-width space of the reading makes the column quoted.
  EXPECT_NE(BuildResultLine().find(std::string("\"") + Str("ﾔﾏﾀﾞ ﾊﾅｺ"_sj) + "\""), std::string::npos);
}

TEST_F(ResultLine, LongReadingIsCutTo255Bytes) {
  std::string reading;
  for (int k = 0; k < 300; ++k) reading += "ア"_sj;
  BookRecord.Author1Kana = reading;
  BuildResultLine();
  EXPECT_EQ(BookRecord.Author1Kana, std::string(255, '\xB1'));
}

TEST_F(ResultLine, ValueEndingInHalfACharacterLosesIt) {
  // "=" + a lone lead byte, as a garbled settings file can give: the lead byte would pair with
  // the comma after the column for a reader that steps over two-byte characters whole.
  BookRecord.Tax = "=\x81";
  BookRecord.Publisher = Str("北"_sj) + "\x82";
  const std::string line = BuildResultLine();
  EXPECT_EQ(Columns(line)[22], "=");
  EXPECT_EQ(Columns(line)[12], Str("北"_sj));
  EXPECT_EQ(BookRecord.Tax, "=\x81");  // the record keeps what it was given
}

TEST_F(ResultLine, UnnamedFieldsAndInsertedColumnsStayEmptyWhenNamedOnesAreFull) {
  // Filling every named field leaves the never-filled columns empty.
  for (std::string* f : {&BookRecord.ISBN, &BookRecord.Title, &BookRecord.Subtitle, &BookRecord.Volume,
                         &BookRecord.Author1, &BookRecord.Author2, &BookRecord.OtherAuthors, &BookRecord.CCode,
                         &BookRecord.Publisher, &BookRecord.Label, &BookRecord.BookSize, &BookRecord.PageURL,
                         &BookRecord.Purchase, &BookRecord.Price, &BookRecord.Tax, &BookRecord.TaxAgain,
                         &BookRecord.PubYear, &BookRecord.PubMonth, &BookRecord.PubDay, &BookRecord.Pages,
                         &BookRecord.Description, &BookRecord.ImageURL, &BookRecord.ReadState,
                         &BookRecord.Author1Note}) {
    *f = "v";
  }
  const std::vector<std::string> columns = Columns(BuildResultLine());
  ASSERT_EQ(columns.size(), 68u);
  const int emptyFields[] = {2, 6, 8, 11, 14, 17, 18, 22, 27, 28, 29, 30, 31, 32, 33, 37, 38, 39, 40, 41, 42, 43,
                             45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 64, 65};
  std::set<int> emptyColumns = {20, 41};
  for (int k : emptyFields) emptyColumns.insert(k + (k <= 18 ? 1 : k <= 38 ? 2 : 3));
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const bool empty = emptyColumns.count(static_cast<int>(c + 1)) > 0;
    EXPECT_EQ(columns[c].empty(), empty) << "column " << c + 1;
  }
}

TEST(JoinCommaText, QuotesAndDoublesQuotes) {
  std::array<std::string, 68> columns;
  columns[0] = "a\"b";
  columns[1] = "x,y";
  columns[67] = "\x01";
  const std::string line = JoinCommaText(columns);
  EXPECT_EQ(line, "\"a\"\"b\",\"x,y\"" + std::string(65, ',') + ",\"\x01\"");
}

}  // namespace
}  // namespace tarvo
