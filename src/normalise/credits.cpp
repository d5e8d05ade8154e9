#include "normalise/credits.h"

#include <string>
#include <utility>

#include "page/markup.h"
#include "page/sjis_literal.h"
#include "page/text.h"

namespace tarvo {

CreditList AuthorList;

namespace {

// Ends every name in the working text; a yen sign of the page itself is made "\" first.
constexpr std::string_view kBoundary = "￥"_sj;

// One role rule: when `pattern` occurs in the segment (byte search), every occurrence of it
// (character search) becomes `replacement`, and the item takes `code` and `label`. Rows are
// grouped; the role code is set to the group's code before the group's first row is tried.
struct RoleRule {
  std::string_view pattern;
  std::string_view replacement;
  char group;
  char code;
  std::string_view label;
};

// The first row whose pattern occurs decides, so the order settles overlapping words: the longer
// or more specific word always comes before the shorter one it contains. "￥" at either end of a
// pattern anchors it at the start or end of the name; the ASCII spaces come from "〔〕：　".
// Rows ending in "［" keep the bracket of a reading that follows the role word.
constexpr RoleRule kRoleRules[] = {
    {"著者"_sj, "", '1', '1', ""},
    {"編・著"_sj, "", '1', '9', "[編・著]"_sj},
    {"編著"_sj, "", '1', '9', "[編著]"_sj},
    {"￥著 "_sj, "", '1', '1', ""},
    {"著￥"_sj, "", '1', '1', ""},
    {"著［"_sj, "［"_sj, '1', '1', ""},
    {"漫画"_sj, "", '1', '1', ""},
    {"￥画 "_sj, "", '1', '1', ""},
    {" 画￥"_sj, "", '1', '1', ""},
    {"イラスト/作画"_sj, "", '1', '2', ""},
    {"作画"_sj, "", '1', '1', ""},
    {"小説"_sj, "", '1', '1', ""},
    {"(文)"_sj, "", '1', '1', ""},
    {"(著)"_sj, "", '1', '1', ""},
    {"【著】"_sj, "", '1', '1', ""},
    {"画［"_sj, "［"_sj, '1', '1', ""},

    {"原作者"_sj, "", '2', '2', ""},
    {"原作"_sj, "", '2', '2', ""},
    {"￥作 "_sj, "", '2', '2', ""},
    {" 作￥"_sj, "", '2', '2', ""},
    {"作［"_sj, "［"_sj, '2', '2', ""},
    {"イラスト"_sj, "", '2', '2', ""},
    {"￥イ "_sj, "", '2', '2', ""},
    {"イ［"_sj, "［"_sj, '2', '2', ""},
    {"(画)"_sj, "", '2', '2', ""},
    {"(絵)"_sj, "", '2', '2', ""},

    {"執筆"_sj, "", '3', '3', " [執筆]"_sj},
    {"脚本"_sj, "", '3', '3', " [脚本]"_sj},
    {"シナリオ"_sj, "", '3', '3', " [シナリオ]"_sj},
    {"キャラクター原案"_sj, "", '3', '3', " [キャラクター原案]"_sj},
    {"ストーリー原案"_sj, "", '3', '3', " [ストーリー原案]"_sj},
    {"原案"_sj, "", '3', '3', " [原案]"_sj},
    {"￥案 "_sj, "", '3', '3', " [案]"_sj},
    {"案［"_sj, "［"_sj, '3', '3', " [案]"_sj},

    {"監修他"_sj, "", '4', '4', " [監修他]"_sj},
    {"監修"_sj, "", '4', '4', " [監修]"_sj},
    {"監訳"_sj, "", '4', '4', " [監訳]"_sj},

    {"翻訳"_sj, "", '5', '5', " [翻訳]"_sj},
    {"￥訳 "_sj, "", '5', '5', " [訳]"_sj},
    {"訳￥"_sj, "", '5', '5', " [訳]"_sj},
    {"(訳)"_sj, "", '5', '5', " [訳]"_sj},
    {"訳［"_sj, "［"_sj, '5', '5', " [訳]"_sj},

    {"解説"_sj, "", '9', '9', " [解説]"_sj},
    {"責任編集"_sj, "", '9', '9', " [責任編集]"_sj},
    {"構成・編集"_sj, "", '9', '9', " [構成・編集]"_sj},
    {"￥編集 "_sj, "", '9', '9', " [編集]"_sj},
    {"編集￥"_sj, "", '9', '9', " [編集]"_sj},
    {"￥編 "_sj, "", '9', '9', " [編]"_sj},
    {" 編￥"_sj, "", '9', '9', " [編]"_sj},
    {"(編)"_sj, "", '9', '9', " [編]"_sj},
    {" 編［"_sj, "", '9', '9', " [編]"_sj},  // unlike the rows above, the bracket goes too
    {"その他"_sj, "", '9', '9', "その他"_sj},
};

// No rule fired.
constexpr char kUnknownRole = '0';

struct Role {
  char code = '1';
  std::string_view label;
};

// Runs the rule chain on `segment` (a trimmed name between two boundary marks) in place.
Role ApplyRoleRules(std::string& segment) {
  Role role;
  char group = 0;
  for (const RoleRule& rule : kRoleRules) {
    if (rule.group != group) {
      group = rule.group;
      role.code = group;
    }
    if (!ContainsBytes(segment, rule.pattern)) continue;
    segment = ReplaceAll(segment, rule.pattern, rule.replacement);
    role.code = rule.code;
    role.label = rule.label;
    return role;
  }
  role.code = kUnknownRole;
  return role;
}

// True when `text` ends in the character `suffix`: the match must begin on a character boundary,
// so "メE" (83 81 45) does not end in "・" (81 45).
bool EndsWithChar(std::string_view text, std::string_view suffix) {
  if (!EndsWith(text, suffix)) return false;
  const std::size_t at = text.size() - suffix.size();
  std::size_t i = 0;
  while (i < at) i += IsLeadByte(text[i]) ? 2 : 1;
  return i == at;
}

// The name left in a segment once its role word has gone.
std::string CleanName(std::string_view segment) {
  std::string name = Trim(RemoveAll(RemoveAll(segment, kBoundary), "()"));
  constexpr std::string_view kDot = "・"_sj;
  if (StartsWith(name, kDot)) name = TrimLeft(std::string_view(name).substr(kDot.size()));
  if (EndsWithChar(name, kDot)) name = TrimRight(std::string_view(name).substr(0, name.size() - kDot.size()));
  return name;
}

// The credit line with its separators made boundary marks and its brackets, colons and wide
// spaces in the forms the rules test for.
std::string PrepareCredits(std::string_view text) {
  std::string work = ReplaceAll(text, kBoundary, "\\");
  work = ReplaceAll(work, "／"_sj, kBoundary);
  work.append(kBoundary);
  work = ReplaceAll(work, "（"_sj, "(");
  work = ReplaceAll(work, "）"_sj, ")");
  work = ReplaceAll(work, "！"_sj, "!");
  for (std::string_view spacer : {"〔"_sj, "〕"_sj, "："_sj, "　"_sj}) work = ReplaceAll(work, spacer, " ");
  return StripTags(ToHalfAlnum(work));
}

}  // namespace

void ParseAuthorCredits(std::string_view text) {
  const std::string work = PrepareCredits(text);
  std::string_view rest = work;
  for (std::size_t mark = FindChar(rest, kBoundary); mark != npos; mark = FindChar(rest, kBoundary)) {
    std::string segment(kBoundary);
    segment.append(Trim(rest.substr(0, mark)));
    segment.append(kBoundary);
    rest = rest.substr(mark + kBoundary.size());

    const Role role = ApplyRoleRules(segment);
    const std::string name = CleanName(segment);
    if (name.empty() || name == "他"_sj || name == "ほか"_sj) continue;
    std::string item(1, role.code);
    item.append(name);
    item.append(role.label);
    AuthorList.push_back(std::move(item));
  }
}

}  // namespace tarvo
