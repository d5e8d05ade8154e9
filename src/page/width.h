// Full-width and half-width forms of characters: our own tables, the same on every platform and
// in every locale.
//
// Covered, and nothing else: U+FF01-U+FF5E <-> U+0021-U+007E; the ideographic space <-> the
// space; katakana U+30A1-U+30F4 <-> half-width katakana, where a voiced or semi-voiced kana is
// the base kana followed by ﾞ or ﾟ (and is composed again on the way back; ヮ ヰ ヱ have no
// half-width form); ー ・ 、 。 「 」 ゛ ゜ <-> ｰ ･ ､ ｡ ｢ ｣ ﾞ ﾟ.
//
// Every character of the tables and its other form are in code page 932, so the mappings also
// exist straight on Shift-JIS bytes; those give exactly what "to UTF-16, map, back to code page
// 932" gives, or decline.
#pragma once

#include <string>
#include <string_view>

namespace tarvo::width {

// A katakana and its half-width form: `half` followed by `mark` (ﾞ or ﾟ) when `mark` is not 0.
struct KanaForm {
  char16_t full;
  char16_t half;
  char16_t mark;
};

inline constexpr KanaForm kKana[] = {
    {u'ァ', u'ｧ', 0},    {u'ア', u'ｱ', 0},    {u'ィ', u'ｨ', 0},    {u'イ', u'ｲ', 0},
    {u'ゥ', u'ｩ', 0},    {u'ウ', u'ｳ', 0},    {u'ェ', u'ｪ', 0},    {u'エ', u'ｴ', 0},
    {u'ォ', u'ｫ', 0},    {u'オ', u'ｵ', 0},    {u'カ', u'ｶ', 0},    {u'ガ', u'ｶ', u'ﾞ'},
    {u'キ', u'ｷ', 0},    {u'ギ', u'ｷ', u'ﾞ'}, {u'ク', u'ｸ', 0},    {u'グ', u'ｸ', u'ﾞ'},
    {u'ケ', u'ｹ', 0},    {u'ゲ', u'ｹ', u'ﾞ'}, {u'コ', u'ｺ', 0},    {u'ゴ', u'ｺ', u'ﾞ'},
    {u'サ', u'ｻ', 0},    {u'ザ', u'ｻ', u'ﾞ'}, {u'シ', u'ｼ', 0},    {u'ジ', u'ｼ', u'ﾞ'},
    {u'ス', u'ｽ', 0},    {u'ズ', u'ｽ', u'ﾞ'}, {u'セ', u'ｾ', 0},    {u'ゼ', u'ｾ', u'ﾞ'},
    {u'ソ', u'ｿ', 0},    {u'ゾ', u'ｿ', u'ﾞ'}, {u'タ', u'ﾀ', 0},    {u'ダ', u'ﾀ', u'ﾞ'},
    {u'チ', u'ﾁ', 0},    {u'ヂ', u'ﾁ', u'ﾞ'}, {u'ッ', u'ｯ', 0},    {u'ツ', u'ﾂ', 0},
    {u'ヅ', u'ﾂ', u'ﾞ'}, {u'テ', u'ﾃ', 0},    {u'デ', u'ﾃ', u'ﾞ'}, {u'ト', u'ﾄ', 0},
    {u'ド', u'ﾄ', u'ﾞ'}, {u'ナ', u'ﾅ', 0},    {u'ニ', u'ﾆ', 0},    {u'ヌ', u'ﾇ', 0},
    {u'ネ', u'ﾈ', 0},    {u'ノ', u'ﾉ', 0},    {u'ハ', u'ﾊ', 0},    {u'バ', u'ﾊ', u'ﾞ'},
    {u'パ', u'ﾊ', u'ﾟ'}, {u'ヒ', u'ﾋ', 0},    {u'ビ', u'ﾋ', u'ﾞ'}, {u'ピ', u'ﾋ', u'ﾟ'},
    {u'フ', u'ﾌ', 0},    {u'ブ', u'ﾌ', u'ﾞ'}, {u'プ', u'ﾌ', u'ﾟ'}, {u'ヘ', u'ﾍ', 0},
    {u'ベ', u'ﾍ', u'ﾞ'}, {u'ペ', u'ﾍ', u'ﾟ'}, {u'ホ', u'ﾎ', 0},    {u'ボ', u'ﾎ', u'ﾞ'},
    {u'ポ', u'ﾎ', u'ﾟ'}, {u'マ', u'ﾏ', 0},    {u'ミ', u'ﾐ', 0},    {u'ム', u'ﾑ', 0},
    {u'メ', u'ﾒ', 0},    {u'モ', u'ﾓ', 0},    {u'ャ', u'ｬ', 0},    {u'ヤ', u'ﾔ', 0},
    {u'ュ', u'ｭ', 0},    {u'ユ', u'ﾕ', 0},    {u'ョ', u'ｮ', 0},    {u'ヨ', u'ﾖ', 0},
    {u'ラ', u'ﾗ', 0},    {u'リ', u'ﾘ', 0},    {u'ル', u'ﾙ', 0},    {u'レ', u'ﾚ', 0},
    {u'ロ', u'ﾛ', 0},    {u'ワ', u'ﾜ', 0},    {u'ヲ', u'ｦ', 0},    {u'ン', u'ﾝ', 0},
    {u'ヴ', u'ｳ', u'ﾞ'},
};

// A sign (or the space) and its half-width form.
struct SignForm {
  char16_t full;
  char16_t half;
};

inline constexpr SignForm kSigns[] = {
    {u'　', u' '}, {u'、', u'､'}, {u'。', u'｡'}, {u'「', u'｢'}, {u'」', u'｣'},
    {u'゛', u'ﾞ'}, {u'゜', u'ﾟ'}, {u'・', u'･'}, {u'ー', u'ｰ'},
};

// Full-width ASCII: U+FF01-U+FF5E is U+0021-U+007E moved by this much.
inline constexpr char16_t kWideAsciiFirst = u'！';
inline constexpr char16_t kWideAsciiLast = u'～';
inline constexpr char16_t kWideAsciiOffset = kWideAsciiFirst - u'!';

// The mappings over UTF-16.
std::u16string ToHalfWidthUnits(std::u16string_view wide);
std::u16string ToFullWidthUnits(std::u16string_view wide);

// The same mappings over Shift-JIS bytes, into `out`. False (with `out` unspecified) when the
// text holds something that a conversion through UTF-16 would not give back unchanged: a byte
// that is not Shift-JIS, a lead byte without its trail, a code that is unassigned or a second
// code of a character. Such a text has to take the UTF-16 way.
bool ToHalfWidthSjis(std::string_view sjis, std::string& out);
bool ToFullWidthSjis(std::string_view sjis, std::string& out);

}  // namespace tarvo::width
