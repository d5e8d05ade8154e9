#include "page/width.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "page/charset.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "platform/platform.h"

namespace tarvo {
namespace {

// A Shift-JIS literal as a string. (clang 14 cannot print a literal operator template taking a
// class type, which it tries when it evaluates std::string("..."_sj) as a constant and fails.)
std::string Str(std::string_view text) { return std::string(text); }

std::string Hex(std::string_view bytes) {
  std::string out;
  char buf[4];
  for (unsigned char b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    out += buf;
  }
  return out;
}

std::string Sjis(std::u16string_view wide) { return platform::Utf16ToCp932(wide); }

struct Case {
  std::string_view in;
  std::string_view want;
};

TEST(ToHalfWidth, MapsExactlyTheCoveredCharacters) {
  const Case cases[] = {
      {"", ""},
      {"ＡＢＣ１２３ａｂｃ"_sj, "ABC123abc"},
      {"！＃＄％＆（）＊＋，－．／：；＜＝＞？＠［＼］＾＿｀｛｜｝～"_sj, "!#$%&()*+,-./:;<=>?@[\\]^_`{|}~"},
      {"ガ"_sj, "\xB6\xDE"},
      {"パピプペポ"_sj, "ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"_sj},
      {"ヴァイオリン"_sj, "ｳﾞｧｲｵﾘﾝ"_sj},
      {"ァィゥェォッャュョ"_sj, "ｧｨｩｪｫｯｬｭｮ"_sj},
      {"ヲン"_sj, "ｦﾝ"_sj},
      {"　ー・、。「」゛゜"_sj, " ｰ･､｡｢｣ﾞﾟ"_sj},
      {"ひらがなと漢字"_sj, "ひらがなと漢字"_sj},
      {"ヮヰヱヵヶ"_sj, "ヮヰヱヵヶ"_sj},  // no half-width forms
      {"“”‘’※℃①Ⅰ"_sj, "“”‘’※℃①Ⅰ"_sj},
      {"ｶﾀｶﾅ abc\t\r\n"_sj, "ｶﾀｶﾅ abc\t\r\n"_sj},
      {"第１２巻（下）"_sj, "第12巻(下)"_sj},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(ToHalfWidth(c.in)), Hex(c.want)) << Hex(c.in);
}

TEST(ToFullWidth, MapsExactlyTheCoveredCharacters) {
  const Case cases[] = {
      {"", ""},
      {"ab1", "\x82\x81\x82\x82\x82\x50"},
      {"A Z", "Ａ　Ｚ"_sj},
      {"\\~", "＼～"_sj},
      {"\"'", "\xFA\x57\xFA\x56"},  // written with their IBM extension codes, as conversion does
      {"ｶﾞｷﾞｳﾞﾊﾟﾎﾟ"_sj, "ガギヴパポ"_sj},
      {"ﾜﾞｱﾞﾏﾟ"_sj, "ワ゛ア゛マ゜"_sj},  // no composed form: the marks stay separate
      {"ﾞﾟｰ･､｡｢｣"_sj, "゛゜ー・、。「」"_sj},
      {"ｧｯｮｦﾝ"_sj, "ァッョヲン"_sj},
      {"ﾊ"_sj, "ハ"_sj},
      {"\t\r\n\x7F", "\t\r\n\x7F"},
      {"漢字ガ"_sj, "漢字ガ"_sj},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(ToFullWidth(c.in)), Hex(c.want)) << Hex(c.in);
}

// Every entry of the tables, both ways round.
TEST(WidthTables, RoundTrips) {
  for (const width::KanaForm& k : width::kKana) {
    const std::string full = Sjis(std::u16string(1, k.full));
    std::u16string halfUnits(1, k.half);
    if (k.mark != 0) halfUnits.push_back(k.mark);
    const std::string half = Sjis(halfUnits);
    EXPECT_EQ(ToHalfWidth(full), half) << Hex(full);
    EXPECT_EQ(ToFullWidth(half), full) << Hex(half);
    EXPECT_EQ(ToFullWidth(ToHalfWidth(full)), full) << Hex(full);
    EXPECT_EQ(ToHalfWidth(ToFullWidth(half)), half) << Hex(half);
  }
  for (const width::SignForm& s : width::kSigns) {
    const std::string full = Sjis(std::u16string(1, s.full));
    const std::string half = Sjis(std::u16string(1, s.half));
    EXPECT_EQ(ToHalfWidth(full), half) << Hex(full);
    EXPECT_EQ(ToFullWidth(half), full) << Hex(half);
  }
  for (char16_t u = width::kWideAsciiFirst; u <= width::kWideAsciiLast; ++u) {
    const std::string full = Sjis(std::u16string(1, u));
    const std::string half(1, static_cast<char>(u - width::kWideAsciiOffset));
    EXPECT_EQ(ToHalfWidth(full), half) << Hex(full);
    EXPECT_EQ(ToFullWidth(half), full) << half;
  }
  // Every one-byte character that has a full-width form comes back from it.
  for (int b = 0x20; b <= 0xDF; ++b) {
    if (b >= 0x7F && b <= 0xA0) continue;
    const std::string half(1, static_cast<char>(b));
    EXPECT_EQ(ToHalfWidth(ToFullWidth(half)), half) << Hex(half);
  }
}

bool Covered(char16_t u) {
  if (u >= u'！' && u <= u'～') return true;
  if (u >= u'ァ' && u <= u'ヴ') return u != u'ヮ' && u != u'ヰ' && u != u'ヱ';
  return std::u16string_view(u"　ー・、。「」゛゜").find(u) != std::u16string_view::npos;
}

bool CoveredHalf(char16_t u) { return (u >= u' ' && u <= u'~') || (u >= u'｡' && u <= u'ﾟ'); }

TEST(WidthTables, NothingElseChanges) {
  for (unsigned v = 0; v <= 0xFFFF; ++v) {
    const auto u = static_cast<char16_t>(v);
    const std::u16string one(1, u);
    EXPECT_EQ(width::ToHalfWidthUnits(one) != one, Covered(u)) << std::hex << v;
    EXPECT_EQ(width::ToFullWidthUnits(one) != one, CoveredHalf(u)) << std::hex << v;
  }
}

// The mappings on Shift-JIS bytes give what the way through UTF-16 gives, for every one- and
// two-byte sequence (invalid ones included) and every half-width kana with a sound mark.
TEST(WidthTables, BytesAgreeWithUtf16) {
  auto check = [](const std::string& s) {
    const std::u16string wide = platform::Cp932ToUtf16(s);
    EXPECT_EQ(Hex(ToHalfWidth(s)), Hex(Sjis(width::ToHalfWidthUnits(wide)))) << Hex(s);
    EXPECT_EQ(Hex(ToFullWidth(s)), Hex(Sjis(width::ToFullWidthUnits(wide)))) << Hex(s);
  };
  for (int a = 0; a < 256; ++a) {
    check(std::string(1, static_cast<char>(a)));
    if (!IsLeadByte(static_cast<unsigned char>(a))) continue;
    for (int b = 0; b < 256; ++b) check(std::string{static_cast<char>(a), static_cast<char>(b)});
  }
  for (int a = 0xA1; a <= 0xDF; ++a) {
    check(std::string{static_cast<char>(a), '\xDE'});
    check(std::string{static_cast<char>(a), '\xDF'});
  }
}

TEST(ToHalfWidthLimited, CutsAtTheLastWholeCharacterWithin255Bytes) {
  const std::string a254(254, 'a');
  const std::string a255(255, 'a');
  std::string hiragana200;
  std::string katakana200;
  for (int k = 0; k < 200; ++k) {
    hiragana200 += "あ"_sj;
    katakana200 += "ア"_sj;
  }
  struct LimitCase {
    const char* what;
    std::string in;
    std::string want;
  } cases[] = {
      {"kana", Str("カナ"_sj), "\xB6\xC5"},
      {"255 ASCII bytes", a255, a255},
      {"256 ASCII bytes", a255 + "b", a255},
      {"two-byte character at 255", a254 + Str("あ"_sj), a254},
      {"voiced kana split into its two characters", a254 + Str("ガ"_sj), a254 + "\xB6"},
      {"voiced kana fits whole", a254.substr(1) + Str("ガ"_sj), a254.substr(1) + "\xB6\xDE"},
      {"long two-byte text", hiragana200, hiragana200.substr(0, 254)},
      {"cut after mapping", katakana200, std::string(200, '\xB1')},
      {"ends at a NUL", std::string("ab\0cd", 5), "ab"},
      {"empty", "", ""},
  };
  for (const LimitCase& c : cases) EXPECT_EQ(Hex(ToHalfWidthLimited(c.in)), Hex(c.want)) << c.what;
}

TEST(ToHalfWidthLimited, NeverSplitsACharacter) {
  // Mixed texts around the limit: the result is a prefix of the half-width form, at most 255
  // bytes, ends on a character boundary, and the next character would not have fitted.
  const std::string_view pieces[] = {"a"_sj, "漢"_sj, "カ"_sj, "ガ"_sj, "Ａ"_sj, "ｱ"_sj, "ひ"_sj};
  for (std::size_t seed = 0; seed < 40; ++seed) {
    std::string in;
    for (std::size_t k = seed; in.size() < 300 + seed; k = k * 7 + 3) in += pieces[k % std::size(pieces)];
    const std::string half = ToHalfWidth(in);
    const std::string cut = ToHalfWidthLimited(in);
    ASSERT_LE(cut.size(), 255u);
    ASSERT_EQ(half.compare(0, cut.size(), cut), 0);
    std::size_t boundary = 0;
    while (boundary < cut.size()) boundary += IsLeadByte(half[boundary]) ? 2 : 1;
    EXPECT_EQ(boundary, cut.size()) << "seed " << seed;
    if (cut.size() == half.size()) continue;
    const std::size_t next = boundary + (IsLeadByte(half[boundary]) ? 2 : 1);
    EXPECT_GT(next, 255u) << "seed " << seed;
  }
}

}  // namespace
}  // namespace tarvo
