#include "page/markup.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "page/sjis_literal.h"

namespace tarvo {
namespace {

// A Shift-JIS literal as a string. (clang 14 cannot print a literal operator template taking a
// class type, which it tries when it evaluates std::string("..."_sj) as a constant and fails.)
std::string Str(std::string_view text) { return std::string(text); }

TEST(GetBetween, CutsAfterTheFirstStartMarker) {
  struct Case {
    std::string_view text, start, end, want;
  } cases[] = {
      {"a(b)c", "(", ")", "b"},
      {"a(b)c", "(", "", "b)c"},
      {"a(b)c", "(", "]", "b)c"},
      {"a(b)c", "[", ")", ""},
      {"a(b)c", "", ")", ""},
      {"a()", "(", ")", ""},
      {"x<b>1</b><b>2</b>", "<b>", "</b>", "1"},
      {"<td>a</td>", "<td>", "<td>", "a</td>"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetBetween(c.text, c.start, c.end), c.want) << c.text << " " << c.start;
}

TEST(GetBetween, SearchesBytes) {
  // ポ is 83 7C: its second byte is "|".
  const std::string text = Str("アポ"_sj) + "x|y";
  EXPECT_EQ(GetBetween(text, "|", "|"), "x");
}

TEST(GetField, SplitsAtADelimiterOnCharacterBoundaries) {
  struct Case {
    std::string_view text;
    int index;
    std::string_view want;
  } cases[] = {
      {"a|b|c", 1, "a"}, {"a|b|c", 2, "b"}, {"a|b|c", 3, "c"}, {"a|b|c", 4, ""},
      {"a|b|c", 0, ""},  {"a|b|c", -1, ""}, {"a|b|", 3, ""},   {"abc", 1, "abc"},
      {"abc", 2, ""},    {"x|", 1, "x"},    {"|a", 1, ""},     {"", 1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetField(c.text, "|", c.index), c.want) << c.text << " " << c.index;

  // The "|" inside ポ is not a delimiter.
  const std::string text = Str("ポ"_sj) + "|" + Str("ソ"_sj);
  EXPECT_EQ(GetField(text, "|", 1), "ポ"_sj);
  EXPECT_EQ(GetField(text, "|", 2), "ソ"_sj);
  EXPECT_EQ(GetField(text, "|", 3), "");
}

TEST(ToHalfAlnum, OnlyFullWidthDigitsAndLatinLetters) {
  struct Case {
    std::string_view in, want;
  } cases[] = {
      {"ＡＢＣ１２３ａｂｃ"_sj, "ABC123abc"},
      {"０９ＡＺａｚ"_sj, "09AZaz"},
      {"　！＃（）＿ー"_sj, "　！＃（）＿ー"_sj},
      {"あア漢ﾊﾝｶｸ"_sj, "あア漢ﾊﾝｶｸ"_sj},
      {"第３巻"_sj, "第3巻"_sj},
      {"abc", "abc"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHalfAlnum(c.in), c.want) << c.in;
}

TEST(ToHalfAlnum, StopsAtNulAndKeepsATrailingLeadByte) {
  EXPECT_EQ(ToHalfAlnum(Str("１"_sj) + '\0' + Str("２"_sj)), "1");
  EXPECT_EQ(ToHalfAlnum("a\x82"), "a\x82");
}

TEST(StripTags, RemovesTagsKeepsCommentsDecodesThreeEntities) {
  struct Case {
    std::string_view in, want;
  } cases[] = {
      {"<b>x</b>y", "xy"},
      {"a<br>b", "ab"},
      {"abc>def", "def"},
      {"abc<def", "abc"},
      {"x>y<z", "y"},
      {"a<!-- c -->b", "a<!-- c -->b"},
      {"a<!--<i>c</i>-->b", "a<!--c-->b"},
      {"&lt;b&gt;", "<b>"},
      {"1&nbsp;2", "1 2"},
      {"&amp;&quot;", "&amp;&quot;"},
      {"", ""},
      {"<a href=\"x\">著者</a>：<b>山田</b>"_sj, "著者：山田"_sj},
  };
  for (const auto& c : cases) EXPECT_EQ(StripTags(c.in), c.want) << c.in;
}

TEST(Digits, TestBytesOnly) {
  EXPECT_TRUE(IsAllDigits("2009"));
  EXPECT_TRUE(IsAllDigits(""));
  EXPECT_FALSE(IsAllDigits("20a9"));
  EXPECT_FALSE(IsAllDigits("１"_sj));
  EXPECT_TRUE(HasDigit("vol3"));
  EXPECT_FALSE(HasDigit(""));
  EXPECT_FALSE(HasDigit("１"_sj));

  struct Case {
    std::string_view in, want;
  } cases[] = {
      {"第3巻"_sj, "3"}, {"1-2", "12"}, {"上"_sj, "上"_sj}, {"３"_sj, "３"_sj}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DigitsOf(c.in), c.want) << c.in;
}

}  // namespace
}  // namespace tarvo
