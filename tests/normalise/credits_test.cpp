#include "normalise/credits.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "page/sjis_literal.h"
#include "platform/platform.h"

namespace tarvo {
namespace {

// Fixed arrays rather than vectors: clang 14 fails on "..."_sj inside a vector's braces.
struct CreditCase {
  std::string_view line;     // one prepared credit line
  std::string_view want[2];  // role code + name + role label; empty entries are unused
};

void ExpectCredits(const CreditCase& c) {
  AuthorList.clear();
  ParseAuthorCredits(c.line);
  CreditList want;
  for (std::string_view item : c.want) {
    if (!item.empty()) want.emplace_back(item);
  }
  EXPECT_EQ(AuthorList, want) << platform::Cp932ToUtf8(c.line) << " gave "
                              << (AuthorList.empty() ? "nothing" : platform::Cp932ToUtf8(AuthorList.front()));
}

// Each notation: a word inside the name, after a colon (start anchor), in 〔〕 (end anchor),
// in parentheses, and before a reading in ［］.
TEST(ParseAuthorCredits, RoleWordsInEachNotation) {
  const CreditCase cases[] = {
      {"山田"_sj, {"0山田"_sj}},
      {"山田著者"_sj, {"1山田"_sj}},
      {"著：山田"_sj, {"1山田"_sj}},                       // row 4: the colon became a space
      {"山田著"_sj, {"1山田"_sj}},                         // row 5
      {"山田著［やまだ］"_sj, {"1山田［やまだ］"_sj}},       // row 6 keeps the bracket
      {"山田漫画"_sj, {"1山田"_sj}},
      {"画：山田"_sj, {"1山田"_sj}},
      {"山田〔画〕"_sj, {"1山田"_sj}},
      {"山田(文)"_sj, {"1山田"_sj}},
      {"山田（著）"_sj, {"1山田"_sj}},                     // wide parentheses become ASCII first
      {"山田【著】"_sj, {"1山田"_sj}},
      {"山田画［やまだ］"_sj, {"1山田［やまだ］"_sj}},
      {"作：山田"_sj, {"2山田"_sj}},
      {"山田〔作〕"_sj, {"2山田"_sj}},
      {"山田作［やまだ］"_sj, {"2山田［やまだ］"_sj}},
      {"山田(イラスト)"_sj, {"2山田"_sj}},                 // the "()" left behind goes
      {"イ：山田"_sj, {"2山田"_sj}},
      {"山田イ［やまだ］"_sj, {"2山田［やまだ］"_sj}},
      {"山田(画)"_sj, {"2山田"_sj}},
      {"山田(絵)"_sj, {"2山田"_sj}},
      {"山田執筆"_sj, {"3山田 [執筆]"_sj}},
      {"山田脚本"_sj, {"3山田 [脚本]"_sj}},
      {"山田シナリオ"_sj, {"3山田 [シナリオ]"_sj}},
      {"案：山田"_sj, {"3山田 [案]"_sj}},
      {"山田案［やまだ］"_sj, {"3山田［やまだ］ [案]"_sj}},
      {"山田監修"_sj, {"4山田 [監修]"_sj}},
      {"山田監訳"_sj, {"4山田 [監訳]"_sj}},
      {"山田翻訳"_sj, {"5山田 [翻訳]"_sj}},
      {"訳：山田"_sj, {"5山田 [訳]"_sj}},
      {"山田〔訳〕"_sj, {"5山田 [訳]"_sj}},                // the space left by "〕" is trimmed
      {"山田(訳)"_sj, {"5山田 [訳]"_sj}},
      {"山田訳［やまだ］"_sj, {"5山田［やまだ］ [訳]"_sj}},
      {"山田解説"_sj, {"9山田 [解説]"_sj}},
      {"編集：山田"_sj, {"9山田 [編集]"_sj}},
      {"山田編集"_sj, {"9山田 [編集]"_sj}},
      {"編：山田"_sj, {"9山田 [編]"_sj}},
      {"山田〔編〕"_sj, {"9山田 [編]"_sj}},
      {"山田(編)"_sj, {"9山田 [編]"_sj}},
      {"山田その他"_sj, {"9山田その他"_sj}},
      {"漫画太郎"_sj, {"1太郎"_sj}},  // unanchored words go wherever they stand
  };
  for (const auto& c : cases) ExpectCredits(c);
}

// The first row that matches decides, so longer words must win over the words they contain.
TEST(ParseAuthorCredits, OrderDecidesOverlappingWords) {
  const CreditCase cases[] = {
      {"山田編・著"_sj, {"9山田[編・著]"_sj}},
      {"山田編著"_sj, {"9山田[編著]"_sj}},
      {"山田イラスト/作画"_sj, {"2山田"_sj}},
      {"山田作画"_sj, {"1山田"_sj}},
      {"山田原作者"_sj, {"2山田"_sj}},
      {"山田原作"_sj, {"2山田"_sj}},
      {"山田キャラクター原案"_sj, {"3山田 [キャラクター原案]"_sj}},
      {"山田ストーリー原案"_sj, {"3山田 [ストーリー原案]"_sj}},
      {"山田原案"_sj, {"3山田 [原案]"_sj}},
      {"山田(監修他)"_sj, {"4山田 [監修他]"_sj}},
      {"山田責任編集"_sj, {"9山田 [責任編集]"_sj}},
      {"山田構成・編集"_sj, {"9山田 [構成・編集]"_sj}},
      {"山田(画)著"_sj, {"1山田(画)"_sj}},  // every group-1 row before any group-2 row
  };
  for (const auto& c : cases) ExpectCredits(c);
}

// A reading after the role word: most rows keep the "［", row 51 takes it away, and a space
// between "編" and "［" matches no row at all.
TEST(ParseAuthorCredits, ReadingBrackets) {
  const CreditCase cases[] = {
      {"山田：編［やまだ］"_sj, {"9山田やまだ］ [編]"_sj}},
      {"山田〔編〕［やまだ］"_sj, {"0山田 編 ［やまだ］"_sj}},
  };
  for (const auto& c : cases) ExpectCredits(c);
}

TEST(ParseAuthorCredits, SplittingAndCleanUp) {
  const CreditCase cases[] = {
      {"", {}},
      {"山田／鈴木"_sj, {"0山田"_sj, "0鈴木"_sj}},
      {"山田著／鈴木イラスト"_sj, {"1山田"_sj, "2鈴木"_sj}},
      {"山田／／鈴木"_sj, {"0山田"_sj, "0鈴木"_sj}},
      {"山田／ほか"_sj, {"0山田"_sj}},
      {"山田／他"_sj, {"0山田"_sj}},
      {"山田他"_sj, {"0山田他"_sj}},
      {"山田ほか"_sj, {"0山田ほか"_sj}},
      {"・山田"_sj, {"0山田"_sj}},
      {"山田・"_sj, {"0山田"_sj}},
      {"・・山田・・"_sj, {"0・山田・"_sj}},  // one dot from each end only
      {"山田・太郎"_sj, {"0山田・太郎"_sj}},
      {"山田￥太郎"_sj, {"0山田\\太郎"_sj}},   // the page's own yen sign is no boundary
      {"山田　太郎"_sj, {"0山田 太郎"_sj}},
      {"ＡＢＣ！"_sj, {"0ABC!"}},
      {"<b>山田</b>"_sj, {"0山田"_sj}},
      {"メＥ"_sj, {"0メE"_sj}},  // 83 81 45 ends in the bytes of "・" but not in the character
      // Only separators and marks.
      {"／／／"_sj, {}},
      {"・／・・／()"_sj, {}},
      {"　／〔〕／："_sj, {}},
      {"著"_sj, {}},
      {"(イラスト)"_sj, {}},
  };
  for (const auto& c : cases) ExpectCredits(c);
}

// The test is a byte search: "画［" (89 E6 81 6D) found across ラ (83 89), 諱 (E6 81) and "m"
// still decides the role, and the replacement, a character search, removes nothing.
TEST(ParseAuthorCredits, PatternAcrossCharactersEndsTheChainUnchanged) {
  ExpectCredits({"ラ諱ｍ"_sj, {"1ラ諱m"_sj}});
}

TEST(ParseAuthorCredits, AppendsToTheList) {
  AuthorList = {"0before"};
  ParseAuthorCredits("山田"_sj);
  EXPECT_EQ(AuthorList, (CreditList{"0before", std::string("0山田"_sj)}));
  AuthorList.clear();
}

}  // namespace
}  // namespace tarvo
