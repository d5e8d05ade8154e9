#include "normalise/title.h"

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

struct TitleCase {
  std::string_view text;
  std::string_view volumeBefore;
  std::string_view title;
  std::string_view volume;
};

class NormaliseTitleTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearBookRecord(); }

  void Check(const TitleCase* begin, const TitleCase* end) {
    for (const TitleCase* c = begin; c != end; ++c) {
      ClearBookRecord();
      BookRecord.Volume = c->volumeBefore;
      BookRecord.Subtitle = "sub";
      BookRecord.Label = "label";
      NormaliseTitle(c->text);
      EXPECT_EQ(BookRecord.Title, c->title) << c->text;
      EXPECT_EQ(BookRecord.Volume, c->volume) << c->text;
      EXPECT_EQ(BookRecord.Subtitle, "sub") << c->text;
      EXPECT_EQ(BookRecord.Label, "label") << c->text;
    }
  }
};

TEST_F(NormaliseTitleTest, VolumeDesignations) {
  const TitleCase cases[] = {
      // the last word
      {"物語 3"_sj, "", "物語"_sj, "3"},
      {"物語 10"_sj, "", "物語"_sj, "10"},
      {"物語 上"_sj, "", "物語"_sj, "上"_sj},
      {"物語 IV"_sj, "", "物語"_sj, "IV"},
      {"物語 x"_sj, "", "物語"_sj, "x"},
      {"物語 上巻"_sj, "", "物語"_sj, "上"_sj},
      {"物語 巻"_sj, "", "物語"_sj, ""},  // the empty last word is a volume number
      {"Plan B", "", "Plan B", ""},
      {"物語上"_sj, "", "物語上"_sj, ""},
      // a volume word after the number
      {"物語 3巻"_sj, "", "物語"_sj, "3"},
      {"物語3巻"_sj, "", "物語"_sj, "3"},
      {"物語12集"_sj, "", "物語"_sj, "12"},
      {"3巻"_sj, "", "", "3"},
      {"12集"_sj, "", "", "12"},
      {"巻"_sj, "", "巻"_sj, ""},
      {"集"_sj, "", "集"_sj, ""},
      {"物語巻"_sj, "", "物語巻"_sj, ""},
      // "第" and "編"
      {"物語 第3巻"_sj, "", "物語"_sj, "3"},
      {"物語 第三巻"_sj, "", "物語"_sj, "三"_sj},
      {"物語編2"_sj, "", "物語編"_sj, "2"},
      {"物語第2編3"_sj, "", "物語第2編"_sj, "3"},  // the later marker counts
      {"物語 第2部"_sj, "", "物語 第2部"_sj, ""},
      // "VOL" and "NO"
      {"NOTE7", "", "", "7"},
      {"物語no5"_sj, "", "物語"_sj, "5"},
      {"Novel", "", "Novel", ""},  // no digits at the end: the title keeps its own form
      // angle brackets
      {"物語〈上〉"_sj, "", "物語"_sj, ""},
      {"物語 〈新装版〉"_sj, "", "物語"_sj, ""},
      {"物語〉"_sj, "", "物語〉"_sj, ""},
      // parenthesised groups
      {"物語(文庫版)(2)"_sj, "", "物語"_sj, "2"},
      {"物語(2)(3)"_sj, "", "物語"_sj, "3"},
      {"物語(1)(特装版)"_sj, "", "物語"_sj, "1"},
      {"物語(第2巻)"_sj, "", "物語"_sj, "2"},
      {"物語（上）"_sj, "", "物語"_sj, "上"_sj},
      {"物語(上(2))"_sj, "", "物語"_sj, ""},  // taken one level wider, then not a number
      {"物語(2)特装版"_sj, "", "物語"_sj, "2"},
      {"物語()続"_sj, "", "物語"_sj, ""},  // the empty group is a volume number too
      {"物語(文庫版)続"_sj, "", "物語(文庫版)続"_sj, ""},
      {"(物語)"_sj, "", "", ""},
      // a volume set before is kept
      {"物語(上)"_sj, "5", "物語"_sj, "5"},
      {"物語 3"_sj, "5", "物語 3"_sj, "5"},
      {"物語(2)特装版"_sj, "5", "物語(2)特装版"_sj, "5"},
      // full-width forms and spacing
      {"物語　３"_sj, "", "物語"_sj, "3"},
      {"  物語  ３  "_sj, "", "物語"_sj, "3"},
      {"物語！．"_sj, "", "物語!."_sj, ""},
      {"", "", "", ""},
      {"   ", "", "", ""},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST_F(NormaliseTitleTest, LatinVolumeMarkerKeepsTheUpperCaseFullWidthTitle) {
  const TitleCase cases[] = {
      {"Story Vol.3", "", "STORY　"_sj, "3"},
      {"物語 vol.12"_sj, "", "物語　"_sj, "12"},
  };
  Check(std::begin(cases), std::end(cases));
}

// A ")" that opens no group does not take the title with it.
TEST_F(NormaliseTitleTest, UnmatchedClosingBracketKeepsTheTitle) {
  const TitleCase cases[] = {
      {"物語)"_sj, "", "物語)"_sj, ""},
      {"物語(a)b)"_sj, "", "物語(a)b)"_sj, ""},
      {"3)物語("_sj, "", "3)物語("_sj, ""},
      {"物語 2)"_sj, "", "物語 2)"_sj, ""},
  };
  Check(std::begin(cases), std::end(cases));
}

// The volume words and markers are two-byte characters; bytes that only look like one, the
// second byte of a character followed by the first byte of the next, are not that word.
TEST_F(NormaliseTitleTest, MarkersNeverStartInsideACharacter) {
  const std::string kagi = Cat({"物語 3"_sj, "炎"_sj, "\xAA"});          // 炎 = 89 8A, ｪ = AA: "巻" is 8A AA
  const std::string dai = Cat({"物語"_sj, "苑"_sj, "覈"_sj});             // 苑 = 89 91, 覈 = E6 49: "第" is 91 E6
  const std::string no = Cat({"物語"_sj, "丑"_sj, "O5"});                 // 丑 = 89 4E: "N"
  const std::string angle = Cat({"物語"_sj, "堰"_sj, "q", "〉"_sj});      // 堰 = 89 81: "〈" is 81 71
  const TitleCase cases[] = {
      {kagi, "", kagi, ""},
      {dai, "", dai, ""},
      {no, "", no, ""},
      {angle, "", angle, ""},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST_F(NormaliseTitleTest, LoneLeadByteAtTheEnd) {
  const std::string a = Cat({"物語"_sj, "\x8A"});
  const std::string b = Cat({"物語 3"_sj, "\x91"});
  const TitleCase cases[] = {
      {a, "", a, ""},
      {b, "", b, ""},
      {"\x81", "", "\x81", ""},
      {"(\x82)", "", "", ""},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST_F(NormaliseTitleTest, LongTitles) {
  std::string groups = Cat({"物語"_sj});
  for (int i = 0; i < 200000; ++i) groups += "(2)";
  std::string kana;
  for (int i = 0; i < 200000; ++i) kana += "あ"_sj;
  const std::string closers(400000, ')');
  const std::string digits = Cat({"物語 "_sj, std::string(400000, '7')});
  const TitleCase cases[] = {
      {groups, "", "物語"_sj, "2"},
      {kana, "", kana, ""},
      {closers, "", closers, ""},
      {digits, "", "物語"_sj, std::string_view(digits).substr(5)},
  };
  Check(std::begin(cases), std::end(cases));
}

TEST(VolumeNumber, Forms) {
  const struct {
    std::string_view text;
    bool volume, kanji, roman;
  } cases[] = {
      {"", true, true, true},
      {"12", true, false, false},
      {"上"_sj, true, false, false},
      {"中"_sj, true, false, false},
      {"下"_sj, true, false, false},
      {"上下"_sj, false, false, false},
      {"一二三四五六七八九十百"_sj, true, true, false},
      {"壱弐参拾"_sj, true, true, false},
      {"十十"_sj, true, true, false},
      {"零"_sj, false, false, false},
      {"三a"_sj, false, false, false},  // a byte left over
      {"IVXivx", true, false, true},
      {"XIV", true, false, true},
      {"MCL", false, false, false},
      {"１"_sj, false, false, false},
      {"3a", false, false, false},
      {"第"_sj, false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsVolumeNumber(c.text), c.volume) << c.text;
    EXPECT_EQ(IsKanjiNumeral(c.text), c.kanji) << c.text;
    EXPECT_EQ(IsRomanNumeral(c.text), c.roman) << c.text;
  }
}

TEST(TrailingDigits, RunAtTheEndOrTheTextUnchanged) {
  const struct {
    std::string_view text, want;
  } cases[] = {
      {"NO12", "12"}, {"1a2", "2"}, {"12", "12"}, {"abc", "abc"}, {"", ""}, {"３"_sj, "３"_sj},
  };
  for (const auto& c : cases) EXPECT_EQ(TrailingDigits(c.text), c.want) << c.text;
}

TEST(ToFullWidthUpper, UpperCasesTwoByteLetters) {
  const struct {
    std::string_view text, want;
  } cases[] = {
      {"ａｂｚ"_sj, "ＡＢＺ"_sj},
      {"αβω"_sj, "ΑΒΩ"_sj},
      {"аёнопя"_sj, "АЁНОПЯ"_sj},
      {"ⅰⅴⅹ"_sj, "ⅠⅤⅩ"_sj},
      {"\xFA\x40\xFA\x49", "ⅠⅩ"_sj},           // the same numerals in their second row
      {"ＡΩЯⅩ"_sj, "ＡΩЯⅩ"_sj},
      {"ヂ益漢字かな"_sj, "ヂ益漢字かな"_sj},  // second bytes 0x61 and 0x76 are not letters
  };
  for (const auto& c : cases) EXPECT_EQ(ToFullWidthUpper(c.text), c.want) << c.text;
}

TEST(ToFullWidthUpper, AsciiBecomesFullWidthUpperCase) {
  EXPECT_EQ(ToFullWidthUpper("ab1 z."), "ＡＢ１　Ｚ．"_sj);
}

}  // namespace
}  // namespace tarvo
