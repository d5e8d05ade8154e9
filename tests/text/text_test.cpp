#include "page/text.h"

#include <gtest/gtest.h>

#include "page/markup.h"
#include "page/sjis_literal.h"

namespace tarvo {
namespace {

TEST(CharacterSearch, NeverMatchesOnATrailByte) {
  // ポ is 83 7C: its second byte is "|".
  const std::string text = std::string("ポ"_sj) + "|x";
  EXPECT_EQ(FindBytes(text, "|"), 1u);
  EXPECT_EQ(FindChar(text, "|"), 2u);
  EXPECT_EQ(GetField(text, "|", 1), "ポ"_sj);
  EXPECT_EQ(GetBetween(text, "|", "x"), "|");  // byte search: starts inside the katakana
}

TEST(ReplaceAll, LeftToRightWithoutOverlapOrRescan) {
  struct Case {
    std::string_view text, pattern, with, want;
  } cases[] = {
      {"aaa", "aa", "b", "ba"},
      {"abab", "ab", "abab", "abababab"},
      {"", "a", "b", ""},
      {"abc", "", "x", "abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.with), c.want) << c.text;
}

TEST(SplitLines, AllTerminatorsAndNoTrailingEmptyLine) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (LineList{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (LineList{"a"}));
  EXPECT_EQ(SplitLines("\r\n"), (LineList{""}));
  EXPECT_EQ(SplitLines("a\n\nb"), (LineList{"a", "", "b"}));
  EXPECT_EQ(SplitLines(""), LineList{});
  EXPECT_EQ(JoinLines({"a", ""}), "a\r\n\r\n");
}

}  // namespace
}  // namespace tarvo
