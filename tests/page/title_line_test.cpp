#include "page/title_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "page/sjis_literal.h"
#include "record/book_record.h"

namespace tarvo {
namespace {

std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out.append(p);
  return out;
}

struct LineCase {
  std::string_view line;
  bool allowFallback;
  std::string_view labelBefore;
  std::string_view volumeBefore;
  // expected
  std::string_view title, subtitle, volume, label;
};

void Check(const LineCase* begin, const LineCase* end) {
  for (const LineCase* c = begin; c != end; ++c) {
    ClearBookRecord();
    BookRecord.Label = c->labelBefore;
    BookRecord.Volume = c->volumeBefore;
    ParseTitleLine(c->line, c->allowFallback);
    EXPECT_EQ(BookRecord.Title, c->title) << c->line;
    EXPECT_EQ(BookRecord.Subtitle, c->subtitle) << c->line;
    EXPECT_EQ(BookRecord.Volume, c->volume) << c->line;
    EXPECT_EQ(BookRecord.Label, c->label) << c->line;
  }
}

TEST(ParseTitleLine, GroupsWordsAndLabel) {
  const LineCase cases[] = {
      // a number word before the group; the group does not become the label
      {"物語 3 (講談社)"_sj, true, "", "", "物語"_sj, "", "3", ""},
      // a second group of digits
      {"物語 (講談社) (3)"_sj, true, "", "", "物語"_sj, "", "3", ""},
      {"物語 (講談社)(12)"_sj, true, "", "", "物語"_sj, "", "12", ""},
      // a second group of text is the label while the label is empty
      {"物語 (講談社)(文庫)"_sj, true, "", "", "物語"_sj, "", "", "文庫"_sj},
      {"物語 (講談社)(文庫)"_sj, true, "既存"_sj, "", "物語"_sj, "", "", "既存"_sj},
      {"物語 (3)(文庫)"_sj, true, "", "", "物語"_sj, "", "3", "文庫"_sj},
      // a group of two words: label and title, the text before it is the subtitle
      {"物語 (講談社 文庫)"_sj, true, "", "", "文庫"_sj, "物語 "_sj, "", "講談社"_sj},
      {"物語 (講談社 文庫)"_sj, true, "既存"_sj, "", "物語"_sj, "", "", "既存"_sj},
      {"物語 (講談社 青い 鳥)"_sj, true, "", "", "青い"_sj, "物語 "_sj, "", "講談社"_sj},
      // words 2 to 4 before the group
      {"物語 上 2 (講談社)"_sj, true, "", "", "物語"_sj, "上 "_sj, "2", ""},
      {"物語 2 3 (講談社)"_sj, true, "", "", "物語"_sj, "", "2", ""},  // the lowest word sets it last
      {"物語 ＡＢ 続 編 外 (講談社)"_sj, true, "", "", "物語"_sj, "AB 続 編 "_sj, "", ""},
      // words 2 and 3 of the subtitle come from the whole line, running into the group
      {"物語 上 下(講談社) 続"_sj, true, "", "", "物語"_sj, "上 下(講談社) "_sj, "", ""},
      // the first group is taken out wherever it stands again
      {"物語 (上)(上)(文庫)"_sj, true, "", "", "物語"_sj, "", "", "文庫"_sj},
      // an unclosed group
      {"物語 (講談社"_sj, true, "", "", "物語"_sj, "", "", "講談社"_sj},
      // a group of digits sets the volume; no group at all empties it
      {"物語(3)"_sj, false, "", "9", "物語"_sj, "", "3", ""},
      {"物語 (講談社)"_sj, false, "", "9", "物語"_sj, "", "9", ""},
      {"物語"_sj, false, "", "9", "", "", "", ""},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST(ParseTitleLine, FallbackOnlyWhenAllowed) {
  const LineCase cases[] = {
      {"物語 3"_sj, true, "", "", "物語"_sj, "", "3", ""},
      {"物語 3"_sj, false, "", "", "", "", "", ""},
      {"物語 第2巻"_sj, true, "", "9", "物語"_sj, "", "2", ""},
      {"(文庫)物語"_sj, false, "", "", "", "", "", ""},
      {"(文庫)物語"_sj, true, "", "", "(文庫)物語"_sj, "", "", ""},
      {"(3)"_sj, true, "", "", "", "", "3", ""},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST(ParseTitleLine, Cleaning) {
  const LineCase cases[] = {
      {"<h1 class=\"stTitle\"><b>物語</b> <span>(講談社)</span></h1>"_sj, true, "", "", "物語"_sj, "", "", ""},
      {"物語<br>(講談社 文庫)"_sj, true, "", "", "文庫"_sj, "物語 "_sj, "", "講談社"_sj},
      {"\t物語\r\n (3)"_sj, true, "", "", "物語"_sj, "", "3", ""},
      {"物語（3）"_sj, true, "", "", "物語"_sj, "", "3", ""},
      {"【入荷予約】 物語 (講談社)"_sj, true, "", "", "物語"_sj, "", "", ""},
      {"物語 【入荷予約】 2 (講談社)"_sj, true, "", "", "物語"_sj, "", "2", ""},
      {"【入荷予約】物語 (講談社)"_sj, true, "", "", "【入荷予約】物語"_sj, "", "", ""},
      {"物語 &lt;新版&gt; (講談社)"_sj, true, "", "", "物語"_sj, "<新版> "_sj, "", ""},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST(ParseTitleLine, FullWidthVolumeDigits) {
  const LineCase cases[] = {
      {"物語 ３ (講談社)"_sj, true, "", "", "物語"_sj, "", "3", ""},
      // without ASCII digits the whole word comes through, in half-width form
      {"物語 第３巻 (講談社)"_sj, true, "", "", "物語"_sj, "", "第3巻"_sj, ""},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST(ParseTitleLine, BadInput) {
  const std::string lead = Cat({"物語 (講談社)"_sj, "\x82"});
  const std::string bare = Cat({"物語"_sj, "\x82"});
  std::string longLine = Cat({"物語 (講談社)"_sj});
  for (int i = 0; i < 100000; ++i) longLine.append("あ(1)"_sj);
  const std::string openers(200000, '(');
  const std::string closers = Cat({"物語"_sj, std::string(200000, ')')});
  // The first group is long and the text after it repeats most of it: the second group (the
  // label here) is still found.
  std::string nested;
  for (int i = 0; i < 40000; ++i) nested.append("(a");
  nested.append(")");
  std::string after;
  for (int i = 0; i < 120000; ++i) after.append("(a");
  nested.append(after);
  const LineCase cases[] = {
      {"<h1 class=\"stTitle\"></h1>", true, "", "9", "", "", "", ""},
      {"<h1 class=\"stTitle\"><b></b></h1>", false, "", "", "", "", "", ""},
      {"", true, "", "", "", "", "", ""},
      {"\r\n", false, "", "", "", "", "", ""},
      {lead, true, "", "", "物語"_sj, "", "", ""},
      {bare, true, "", "", bare, "", "", ""},
      {"(", true, "", "", "(", "", "", ""},
      {")", true, "", "", ")", "", "", ""},
      {"()", true, "", "", "", "", "", ""},
      {longLine, true, "", "", "物語"_sj, "", "1", ""},
      {openers, true, "", "", openers, "", "", ""},
      {closers, true, "", "", closers, "", "", ""},
      {nested, true, "", "", nested, "", "", std::string_view(after).substr(1)},
  };
  Check(std::begin(cases), std::end(cases));
}

}  // namespace
}  // namespace tarvo
