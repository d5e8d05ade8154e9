#include "page/charset.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "page/sjis_literal.h"
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

struct Conversion {
  const char* what;
  std::string_view in;
  std::string_view want;
};

TEST(Utf8ToSjis, DecodesSequencesAsTheyCome) {
  using namespace std::string_view_literals;
  const Conversion cases[] = {
      {"empty", "", ""},
      {"NUL first", "\0abc"sv, ""},
      {"NUL where a sequence begins ends the text", "a\0b"sv, "a"},
      {"ASCII with CR LF unchanged", "<p>ISBN 978-4-00</p>\r\n\r\nend\r\n", "<p>ISBN 978-4-00</p>\r\n\r\nend\r\n"},
      {"three bytes", "\xE3\x81\x82", "あ"_sj},
      {"continuation bytes taken as they come", "\xE3\x41\x42\x43", "あC"_sj},
      {"two-byte lead swallows ASCII", "\xC3\x41\x42", "?B"},
      {"overlong slash", "\xC0\xAF", "/"},
      {"overlong NUL ends the text", "A\xC0\x80" "B", "A"},
      {"byte-order mark has no form", "\xEF\xBB\xBF" "A", "?A"},
      {"cut short: missing bytes are zero bits", "A\xE3", "A　"_sj},
      {"cut short two-byte lead", "A\xC3", "A?"},
      {"four bytes are one character", "\xF0\x9F\x98\x80" "A", "?A"},
      {"four-byte lead at the end", "A\xF0", "A?"},
      {"lone surrogate from three bytes", "a\xED\xA0\x80" "b", "a?b"},
      {"no code page 932 form", "caf\xC3\xA9", "caf?"},
      {"half-width katakana", "\xEF\xBD\xB1\xEF\xBE\x9E", "ｱﾞ"_sj},
      {"full-width tilde", "\xEF\xBD\x9E", "～"_sj},
  };
  for (const Conversion& c : cases) {
    EXPECT_EQ(Hex(Utf8ToSjis(c.in)), Hex(c.want)) << c.what;
  }
}

TEST(Utf8ToSjis, FailsOnAByteThatCannotBeginASequence) {
  using namespace std::string_view_literals;
  const std::string_view cases[] = {
      "A\x80" "B",
      "\xBF",
      "\xF8\x80\x80\x80\x80",
      "abc\xFF",
      "\xE3\x81\x82\x80",     // a stray continuation byte after a whole character
      "\xC0\x80\x80"sv,       // still decoded after the zero unit that ends the text
      "日本の本"_sj,            // Shift-JIS: lead bytes 0x81-0x9F
  };
  for (std::string_view in : cases) {
    try {
      const std::string out = Utf8ToSjis(in);
      ADD_FAILURE() << "no error for " << Hex(in) << "-> " << Hex(out);
    } catch (const Utf8Error& e) {
      EXPECT_STREQ(e.what(), "UTF-8 Unknown code.");
    }
  }
}

// Text as a store's pages hold it. Each paragraph is written once in UTF-8 and once as its
// Shift-JIS literal.
#define PARAGRAPH_1 \
  "【新装版】雪の降る町で　第３巻（文庫）／著者：山田 花子、イラスト：ｶﾜｲ ﾄﾓｺ\r\n"
#define PARAGRAPH_2                                                                         \
  "<div class=\"description\">北国の小さな町に暮らす少女・ミナは、ある冬の朝、"          \
  "駅のホームで不思議な手紙を拾う。「この手紙を読んだ人へ――」で始まるその文面は、"  \
  "五十年前に書かれたものだった。</div>\r\n"
#define PARAGRAPH_3                                                                       \
  "発売日：2024年03月15日　定価：７９２円（本体７２０円＋税）　ページ数：２５６ページ\r\n" \
  "<td>ISBN-13</td><td>9784000000000</td>\r\n"                                            \
  "サイズ：Ａ６判 ～ 文庫判、ヴァイオリン・パーティー・ガイドブック付き。\r\n"

TEST(Utf8ToSjis, ConvertsJapaneseParagraphs) {
  const std::string utf8 = PARAGRAPH_1 PARAGRAPH_2 PARAGRAPH_3;
  const std::string want =
      Str(PARAGRAPH_1 ""_sj) + Str(PARAGRAPH_2 ""_sj) + Str(PARAGRAPH_3 ""_sj);
  EXPECT_EQ(Utf8ToSjis(utf8), want);
}

TEST(Utf8ToSjis, WholePageAtEveryAlignment) {
  // ASCII runs are taken in blocks; every offset of the text against the blocks must give the
  // same result.
  std::string utf8;
  std::string want;
  for (int k = 0; k < 400; ++k) {
    utf8 += PARAGRAPH_2 PARAGRAPH_3 PARAGRAPH_1;
    want += Str(PARAGRAPH_2 ""_sj) + Str(PARAGRAPH_3 ""_sj) + Str(PARAGRAPH_1 ""_sj);
  }
  for (std::size_t shift = 0; shift < 16; ++shift) {
    const std::string pad(shift, 'x');
    EXPECT_EQ(Utf8ToSjis(pad + utf8), pad + want) << "shift " << shift;
  }
}

TEST(Utf8ToSjis, NulInsideABlockOfAscii) {
  using namespace std::string_view_literals;
  for (std::size_t at = 0; at < 20; ++at) {
    std::string in(24, 'a');
    in[at] = '\0';
    EXPECT_EQ(Utf8ToSjis(in), std::string(at, 'a')) << "NUL at " << at;
  }
}

TEST(CodePage, InvalidShiftJisReadsAsMiddleDot) {
  struct Case {
    std::string_view sjis;
    std::u16string_view want;
  } cases[] = {
      {"", u""},
      {"あA"_sj, u"あA"},
      {"\x85\x40", u"・"},      // an unassigned two-byte code is one character
      {"A\x81 B", u"A・ B"},    // a lead byte without a trail byte stands alone
      {"AB\x81", u"AB・"},      // so does one at the very end
      {"ｶﾞ"_sj, u"ｶﾞ"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::Cp932ToUtf16(c.sjis), c.want) << Hex(c.sjis);
  }
  // For the terminal the same bytes become "?".
  EXPECT_EQ(platform::Cp932ToUtf8("\x85\x40" "A\x81 B\x81"), "?A? B?");
}

TEST(CodePage, UnitsWithoutAFormBecomeQuestionMarks) {
  using namespace std::string_view_literals;
  struct Case {
    std::u16string_view wide;
    std::string_view want;
  } cases[] = {
      {u"", ""},
      {u"漢字とカナ、ＡＢＣ", "漢字とカナ、ＡＢＣ"_sj},
      {u"a\0b"sv, "a\0b"sv},
      {u"caf\u00E9", "caf?"},
      {u"\uFEFFA", "?A"},
      {u"a\xD800", "a?"},        // unpaired high surrogate at the end
      {u"a\xD800" u"b", "a?b"},  // and in the middle
      {u"a\xDC00" u"b", "a?b"},  // unpaired low surrogate
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(platform::Utf16ToCp932(c.wide)), Hex(c.want));
}

TEST(CodePage, TerminalConversions) {
  EXPECT_EQ(platform::Utf8ToCp932("書名：ｱｲｳ"), "書名：ｱｲｳ"_sj);
  EXPECT_EQ(platform::Cp932ToUtf8("書名：ｱｲｳ"_sj), "書名：ｱｲｳ");
  EXPECT_EQ(platform::Utf8ToCp932("a\xFF" "b"), "a?b");
  EXPECT_EQ(platform::Utf8ToCp932("caf\xC3\xA9!"), "caf?!");     // one "?" per character
  EXPECT_EQ(platform::Utf8ToCp932("\xF0\x9F\x98\x80!"), "?!");
  EXPECT_EQ(platform::Utf8ToCp932("a\xE3\x81"), "a?");            // cut short
}

}  // namespace
}  // namespace tarvo
