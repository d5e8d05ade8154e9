// The rules on codes and links that decide what a batch searches for and follows.
#include <gtest/gtest.h>

#include <array>

#include "host/comma_text.h"
#include "host/isbn.h"
#include "page/sjis_literal.h"
#include "plugin/code_forms.h"
#include "plugin/driver.h"
#include "plugin/settings.h"
#include "record/book_record.h"

namespace tarvo {
namespace {

TEST(ShortBarcodeCode, SplitsIsbnClassificationAndPrice) {
  struct Case {
    const char* code;
    const char* price;
  };
  const Case cases[] = {
      {"481579840001930980", "980"},
      {"481579840001930098", "098"},  // one zero dropped, no more
      {"481579840001931200", "1200"},
      {"481579840001930000", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const BarcodeParts parts = SplitShortBarcodeCode(c.code);
    EXPECT_EQ(parts.isbn, "4815798400");
    EXPECT_EQ(parts.ccode, "0193");
    EXPECT_EQ(parts.price, c.price);
  }
}

TEST(LongBarcodeCode, PriceIsTheFiveDigitsBeforeTheCheckDigit) {
  struct Case {
    const char* code;
    const char* ccode;
    const char* price;
  };
  const Case cases[] = {
      {"97847706354881920193006803", "0193", "680"},  // not 6803: the last digit is the check digit
      {"97847706354881923079015005", "3079", "1500"},
      {"97847706354881920193000000", "0193", "0"},
      {"9784770635488192019300A803", "0193", "0"},  // not a number
      {"97847706354881920193 06803", "0193", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const BarcodeParts parts = SplitLongBarcodeCode(c.code);
    EXPECT_EQ(parts.isbn, "9784770635488");
    EXPECT_EQ(parts.ccode, c.ccode);
    EXPECT_EQ(parts.price, c.price);
  }
}

TEST(CheckBookCode, ReturnsTheIsbn13OfEveryValidForm) {
  struct Case {
    const char* code;
    const char* checked;
  };
  const Case cases[] = {
      {"9784861203312", "9784861203312"},
      {"9784861203313", ""},  // wrong check digit
      {"9774861203313", ""},  // an EAN-13, but no book prefix
      {"9798886450101", "9798886450101"},
      {"978-4-86120-331-2", "9784861203312"},
      {"978 4861 203312", "9784861203312"},
      {"4801541542", "9784801541542"},
      {"4801541543", ""},
      {"155404295X", "9781554042951"},
      {"155404295x", "9781554042951"},
      {"48015415X2", ""},
      {"481579840001930880", "9784815798406"},
      {"481579840101930880", ""},  // the ISBN-10 part is wrong
      {"48157984000193088A", ""},
      {"97847706354881920193006803", "9784770635488"},
      {"97847706354881920193006804", ""},  // second barcode's check digit
      {"97847706354881910193006804", ""},  // second barcode without "192"
      {"97847706354891920193006803", ""},  // the ISBN-13 part is wrong
      {"", ""},
      {"978486120331", ""},
      {"97848612033120", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(host::CheckBookCode(c.code), c.checked);
  }
}

TEST(ResolveProductLink, AbsoluteAsItStandsRootRelativeAgainstTheStore) {
  struct Case {
    const char* link;
    const char* base;
    const char* resolved;
  };
  const Case cases[] = {
      {"https://shop.example/product/1.html", "http://127.0.0.1:8080", "https://shop.example/product/1.html"},
      {"HTTP://shop.example/p/1", "http://127.0.0.1:8080", "HTTP://shop.example/p/1"},
      {"HtTpS://shop.example/p/1", "http://127.0.0.1:8080", "HtTpS://shop.example/p/1"},
      {"/product/1.html", "http://127.0.0.1:8080", "http://127.0.0.1:8080/product/1.html"},
      {"/product/1.html", "https://store.example/shop", "https://store.example/product/1.html"},
      {"//other.example/product/1.html", "http://127.0.0.1:8080", ""},
      {"product/1.html", "http://127.0.0.1:8080", ""},
      {"javascript:void(0)", "http://127.0.0.1:8080", ""},
      {"httpx://shop.example/", "http://127.0.0.1:8080", ""},
      {"", "http://127.0.0.1:8080", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    EXPECT_EQ(ResolveProductLink(c.link, c.base), c.resolved);
  }
}

TEST(FindProductLink, TakesTheLineTwoBelowTheFirstMarker) {
  const std::string marker(kSearchResultMarker);
  struct Case {
    const char* name;
    LineList page;
    const char* link;
  };
  const Case cases[] = {
      {"link two below", {"<html>", marker, "<div>", "<a href=\"/product/7.html\">x</a>", "</html>"}, "/product/7.html"},
      {"first marker wins", {marker, "", "<p>no link</p>", marker, "", "<a href=\"/p/2\">"}, ""},
      {"marker on the last line", {"<html>", "<a href=\"/p/1\">", marker}, ""},
      {"marker on the line before last", {"<html>", marker, "<a href=\"/p/1\">"}, ""},
      {"no marker", {"<a href=\"/p/1\">", "", "<a href=\"/p/2\">"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindProductLink(c.page), c.link);
  }
}

TEST(SearchUrl, PutsTheCheckedCodeBetweenPathAndQuery) {
  EXPECT_EQ(SearchUrl("https://store.invalid", "9784861203312"),
            "https://store.invalid/netstore/search_109784861203312.html?srchf=1&tbty=1");
}

TEST(CommaText, ReadsBackWhatTheResultLineWrites) {
  std::array<std::string, 68> columns;
  columns[0] = "9784861203312";
  columns[1] = "星の庭"_sj;
  columns[3] = "a \"quoted\" word";
  columns[5] = "x,y";
  columns[9] = "two\tparts";
  columns[16] = "http://127.0.0.1/p?a=1&b=2";
  columns[35] = "ソ"_sj;  // 0x83 0x5C: the trail byte is a backslash
  columns[67] = "\"";
  const std::vector<std::string> back = host::SplitCommaText(JoinCommaText(columns));
  ASSERT_EQ(back.size(), columns.size());
  for (std::size_t k = 0; k < columns.size(); ++k) EXPECT_EQ(back[k], columns[k]) << "column " << k;
}

TEST(CommaText, SplitsPlainAndQuotedColumns) {
  EXPECT_EQ(host::SplitCommaText(""), std::vector<std::string>{""});
  EXPECT_EQ(host::SplitCommaText("a,,\"b c\",\"\"\"\""), (std::vector<std::string>{"a", "", "b c", "\""}));
  EXPECT_EQ(host::SplitCommaText("a,"), (std::vector<std::string>{"a", ""}));
}

TEST(GetInfo, CutsEachTextToTheBufferAndNeverWritesPastIt) {
  struct Case {
    int bufferSize;
    std::size_t written;  // bytes of each text kept (the zero byte follows); npos: nothing written
  };
  const Case cases[] = {
      {0, npos}, {0x10000, npos}, {0x7FFF0000, npos}, {1, 0}, {5, 4}, {0x10005, 4}, {64, 64},
  };
  const std::string_view texts[] = {"DownlaodFunc", "ISBN検索 tarvo"_sj, "tarvo developers", "1.1.8", "3"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bufferSize);
    std::array<std::array<char, 80>, 5> buffers;
    for (auto& b : buffers) b.fill('Z');
    GetInfo(buffers[0].data(), buffers[1].data(), buffers[2].data(), buffers[3].data(), buffers[4].data(),
            c.bufferSize);
    for (std::size_t k = 0; k < 5; ++k) {
      if (c.written == npos) {
        EXPECT_EQ(buffers[k][0], 'Z');
        continue;
      }
      const std::size_t n = std::min(c.written, texts[k].size());
      EXPECT_EQ(std::string_view(buffers[k].data(), n), texts[k].substr(0, n));
      EXPECT_EQ(buffers[k][n], '\0');
      EXPECT_EQ(buffers[k][n + 1], 'Z');
    }
  }
}

}  // namespace
}  // namespace tarvo
