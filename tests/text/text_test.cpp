#include "page/text.h"

#include <gtest/gtest.h>

#include "page/markup.h"
#include "page/sjis_literal.h"

namespace tarvo {
namespace {

// A Shift-JIS literal as a string. (clang 14 cannot print a literal operator template taking a
// class type, which it tries when it evaluates std::string("..."_sj) as a constant and fails.)
std::string Str(std::string_view text) { return std::string(text); }

TEST(CharacterSearch, NeverMatchesOnATrailByte) {
  // ポ is 83 7C: its second byte is "|".
  const std::string text = Str("ポ"_sj) + "|x";
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

TEST(Trim, ControlBytesAndSpacesButNeverTheFullWidthSpace) {
  struct Case {
    std::string_view in, both, left, right;
  } cases[] = {
      {" \t\r\na b\x01 ", "a b", "a b\x01 ", " \t\r\na b"},
      {"　x　"_sj, "　x　"_sj, "　x　"_sj, "　x　"_sj},
      {"   ", "", "", ""},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Trim(c.in), c.both) << c.in;
    EXPECT_EQ(TrimLeft(c.in), c.left) << c.in;
    EXPECT_EQ(TrimRight(c.in), c.right) << c.in;
  }
}

TEST(CopyRange, ClippedToTheText) {
  EXPECT_EQ(CopyRange("abcdef", 2, 3), "cde");
  EXPECT_EQ(CopyRange("abcdef", 4, 100), "ef");
  EXPECT_EQ(CopyRange("abcdef", 6, 1), "");
  EXPECT_EQ(CopyRange("abcdef", 100, 1), "");
  EXPECT_EQ(CopyRange("abcdef", 0), "abcdef");
}

TEST(CutToCharacters, NeverSplitsATwoByteCharacter) {
  const std::string a = Str("あい"_sj);  // 82 A0 82 A2
  struct Case {
    std::string text;
    std::size_t max;
    std::string cut, dropped;
  } cases[] = {
      {a, 4, a, a},
      {a, 3, Str("あ"_sj), a},
      {a, 1, "", a},
      {"x" + a, 2, "x", "x" + a},
      {"x\x82", 5, "x", "x"},  // a lone lead byte at the end is half a character
      {"\x82", 1, "", ""},
      {"", 0, "", ""},
      {"\xB1\xB2", 1, "\xB1", "\xB1\xB2"},  // half-width katakana are one byte each
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutToCharacters(c.text, c.max), c.cut) << c.text << " " << c.max;
    EXPECT_EQ(DropCutCharacter(c.text), c.dropped) << c.text;
  }
}

}  // namespace
}  // namespace tarvo
