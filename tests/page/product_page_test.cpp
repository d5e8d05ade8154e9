#include "page/product_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

#include "normalise/credits.h"
#include "page/charset.h"
#include "page/sjis_literal.h"
#include "platform/platform.h"
#include "plugin/wait.h"
#include "record/book_record.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

// Shift-JIS shown as UTF-8 in failure messages.
std::string Show(std::string_view sjis) { return platform::Cp932ToUtf8(sjis); }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A page of the given lines (UTF-8, LF) followed by two closing lines, so that every given line
// is one the parser examines.
std::string Page(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (std::string_view l : lines) out.append(l).append("\n");
  return out + "</body>\n</html>\n";
}

constexpr std::string_view kTitleLine = "<h1 class=\"stTitle\">星の栞 (青嵐文庫) (3)</h1>";

class ProductPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device seed;
    dir_ = fs::path(::testing::TempDir()) / ("tarvo_page_" + std::to_string(seed()));
    fs::create_directories(dir_);
    ClearBookRecord();
    StopFlag.store(false);
  }
  void TearDown() override {
    StopFlag.store(false);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string PagePath() const { return (dir_ / "Temp.html").string(); }

  bool Parse(std::string_view bytes) {
    std::ofstream(PagePath(), std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return ParseProductPage(PagePath());
  }

  void SetPrivateMode() { std::ofstream(PagePath() + ".pembra_private") << "x"; }

  fs::path dir_;
};

// ---- Lines examined ---------------------------------------------------------------------------

TEST_F(ProductPageTest, OnlyLinesBeforeTheLastTwoAreExamined) {
  const std::string title(kTitleLine);
  struct Case {
    const char* name;
    std::string page;
    bool found;
  } cases[] = {
      {"empty file", "", false},
      {"one line", title, false},
      {"two lines", title + "\n</html>\n", false},
      {"title in the second-to-last line", "<html>\n" + title + "\n</html>", false},
      {"title in the last line", "<html>\n<body>\n" + title + "\n", false},
      {"title in the third-to-last line", title + "\n</body>\n</html>", true},
      {"a line end at the very end adds no line", "<html>\n" + title + "\n</html>\n", false},
      {"empty lines count", title + "\n\n\n", true},
      {"lone CR ends a line", title + "\r</body>\r</html>\r", true},
      {"NUL ends the text", title + std::string(1, '\0') + "\n</body>\n</html>\n", false},
      {"NUL after the lines that matter", title + "\n</body>\n</html>" + std::string(1, '\0') + "junk", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearBookRecord();
    EXPECT_EQ(Parse(c.page), c.found);
    EXPECT_EQ(BookRecord.Title.empty(), !c.found) << Show(BookRecord.Title);
  }
}

TEST_F(ProductPageTest, MissingFileWritesNothing) {
  BookRecord.Price = "1";
  EXPECT_FALSE(ParseProductPage((dir_ / "absent.html").string()));
  EXPECT_EQ(BookRecord.Price, "1");
}

TEST_F(ProductPageTest, StopFlagSetBeforehandExaminesNoLine) {
  StopFlag.store(true);
  EXPECT_FALSE(Parse(Page({kTitleLine, "<span class=\"stPrice\">880</span>"})));
  EXPECT_EQ(BookRecord.Title, "");
  EXPECT_EQ(BookRecord.Price, "");
}

TEST_F(ProductPageTest, TitleOnTheLineAfterTheTag) {
  struct Case {
    const char* name;
    std::string page;
    std::string_view title, volume;
  } cases[] = {
      {"title after an empty tag", Page({"<h1 class=\"stTitle\">", "星の栞 (青嵐文庫) (3)", "</h1>"}),
       "星の栞"_sj, "3"},
      {"tag that holds only markup",
       Page({"<h1 class=\"stTitle\"><img src=\"t.png\"></h1>", "<span></span>"}), "", ""},
      {"a title on the tag's line wins", Page({kTitleLine, "月の栞 (青嵐文庫) (4)"}), "星の栞"_sj, "3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearBookRecord();
    EXPECT_TRUE(Parse(c.page));
    EXPECT_EQ(BookRecord.Title, c.title) << Show(BookRecord.Title);
    EXPECT_EQ(BookRecord.Volume, c.volume);
  }
}

// ---- Loading ----------------------------------------------------------------------------------

TEST_F(ProductPageTest, EntitiesAreDecodedInOrderOverTheWholePage) {
  struct Case {
    std::string_view text;
    std::string_view price;
  } cases[] = {
      {"A&amp;B", "A&B"},           {"&quot;x&quot;", "”x”"_sj},
      {"&amp;quot;", "”"_sj},                                // the escaped ampersand is decoded first
      {"&amp;lt;1&amp;gt;", "<1>"}, {"&amp;amp;", "&amp;"},  // one pass per entity
      {"&lt;&gt;", "<>"},           {"&#39;&nbsp;", "&#39;&nbsp;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ClearBookRecord();
    const std::string line = "<span class=\"stPrice\">" + std::string(c.text) + "</span>";
    EXPECT_TRUE(Parse(Page({kTitleLine, line})));
    EXPECT_EQ(BookRecord.Price, c.price) << Show(BookRecord.Price);
  }
}

TEST_F(ProductPageTest, LineEndsOfAnyKindGiveTheSameRecord) {
  const std::string lf = Page({kTitleLine, "<li>発売日：2024/05/17</li>", "<dt>出版社：</dt>",
                               "<dd>北斗書房</dd>", "<p class=\"stText\">あらすじ</p>"});
  auto with = [&](std::string_view end) {
    std::string out;
    for (char ch : lf) {
      if (ch == '\n') {
        out.append(end);
      } else {
        out.push_back(ch);
      }
    }
    return out;
  };
  for (std::string_view end : {"\n", "\r\n", "\r"}) {
    ClearBookRecord();
    EXPECT_TRUE(Parse(with(end)));
    EXPECT_EQ(BookRecord.Title, "星の栞"_sj);
    EXPECT_EQ(BookRecord.PubDay, "17");
    EXPECT_EQ(BookRecord.Publisher, "北斗書房"_sj);
    EXPECT_EQ(BookRecord.Description, "あらすじ"_sj);
  }
}

// The decoder sees the lines each ended by CR LF: a sequence cut short before a lone LF takes
// the CR as its last byte, and the LF still ends the line.
TEST_F(ProductPageTest, CutSequenceBeforeALineEndKeepsTheLine) {
  EXPECT_TRUE(Parse(std::string(kTitleLine) + "\n\xE3\x81\n</html>\n"));
  EXPECT_EQ(BookRecord.Title, "星の栞"_sj);
}

TEST_F(ProductPageTest, NulFromTheDecoderEndsTheText) {
  // C0 80 decodes to U+0000: the text ends there, so the title line is among the last two.
  EXPECT_FALSE(Parse(std::string(kTitleLine) + "\n\xC0\x80\n</body>\n</html>\n"));
}

TEST_F(ProductPageTest, InvalidUtf8ThrowsAndReleasesTheCreditList) {
  AuthorList = {"0left over"};
  EXPECT_THROW(Parse(Page({kTitleLine, "<p>\x80</p>"})), Utf8Error);
  EXPECT_TRUE(AuthorList.empty());
}

// ---- The cart rule ------------------------------------------------------------------------------

TEST_F(ProductPageTest, CartMarkerStopsDetailMarkersFromTheNextLine) {
  struct Case {
    const char* name;
    std::string_view first, second;  // the marker line and, when the check reads it, the line after
    std::string TBase::*field;
    std::string_view value;
    bool guarded;
  } cases[] = {
      {"label", "<dt>レーベル</dt>", "<dd>青嵐文庫</dd>", &TBase::Label, "青嵐文庫"_sj, true},
      {"price", "<span class=\"stPrice\">880</span>", "", &TBase::Price, "880", true},
      {"release date", "<li>発売日：2024/05/17</li>", "", &TBase::PubYear, "2024", true},
      {"publisher", "<dt>出版社：</dt>", "<dd>北斗書房</dd>", &TBase::Publisher, "北斗書房"_sj, true},
      {"size", "<li>サイズ：B6判/320p</li>", "", &TBase::Pages, "320", true},
      {"cover", "<source type=\"image/webp\">", "<img src=\"c.jpg\" width=\"9\">", &TBase::ImageURL, "c.jpg",
       false},
      {"paragraph", "<p class=\"stText\">あらすじ</p>", "", &TBase::Description, "あらすじ"_sj, false},
      {"description block", "<h2>商品説明</h2>", "<td>本文</td>", &TBase::Description, "本文"_sj, false},
  };
  const std::string cart = "<button id=\"dy_put_cart\"></button>";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The marker on the cart line itself is still read.
    ClearBookRecord();
    EXPECT_TRUE(Parse(Page({kTitleLine, cart + std::string(c.first), c.second})));
    EXPECT_EQ(BookRecord.*c.field, c.value) << Show(BookRecord.*c.field);
    // On the line after it only the unguarded markers are.
    ClearBookRecord();
    EXPECT_TRUE(Parse(Page({kTitleLine, cart, c.first, c.second})));
    EXPECT_EQ(BookRecord.*c.field, c.guarded ? std::string_view() : c.value) << Show(BookRecord.*c.field);
  }
}

// ---- Details ----------------------------------------------------------------------------------

TEST_F(ProductPageTest, SizeLineSplitsIntoSizeAndPages) {
  struct Case {
    std::string_view line, size, pages;
  } cases[] = {
      {"<li><span>サイズ：</span>B6判/320p</li>", "B6判"_sj, "320"},
      {"<li>サイズ：416p</li>", "", "416"},
      {"<li>サイズ：文庫／352ページ</li>", "文庫"_sj, "352"},
      {"<li>\tサイズ：Ａ５判／１２８ｐ</li>", "A5判"_sj, "128"},
      {"<li>サイズ：19cm/1p/2p</li>", "19cm", "1/2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.line));
    ClearBookRecord();
    EXPECT_TRUE(Parse(Page({kTitleLine, c.line})));
    EXPECT_EQ(BookRecord.BookSize, c.size) << Show(BookRecord.BookSize);
    EXPECT_EQ(BookRecord.Pages, c.pages) << Show(BookRecord.Pages);
  }
}

TEST_F(ProductPageTest, ReleaseDateAndPublisherTakeTheTextAfterTheColon) {
  struct Case {
    std::string_view first, second;
    std::string_view year, month, day, publisher;
  } cases[] = {
      {"<li><span>発売日：</span>2023年11月8日</li>", "", "2023", "11", "08", ""},
      {"<li>発売日:２０２４年１２月</li>", "", "2024", "12", "", ""},
      {"<li>発売日未定</li>", "", "", "", "", ""},
      {"<dt>出版社：</dt>", "\t<a href=\"/p/\">北斗 書房</a></dd>", "", "", "", "北斗書房"_sj},
      {"<dt>出版社：</dt>", "<dd>発行：北斗書房 / 発売：南風社</dd>", "", "", "", "北斗書房/発売:南風社"_sj},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.first));
    ClearBookRecord();
    EXPECT_TRUE(Parse(Page({kTitleLine, c.first, c.second})));
    EXPECT_EQ(BookRecord.PubYear, c.year);
    EXPECT_EQ(BookRecord.PubMonth, c.month);
    EXPECT_EQ(BookRecord.PubDay, c.day);
    EXPECT_EQ(BookRecord.Publisher, c.publisher) << Show(BookRecord.Publisher);
  }
}

TEST_F(ProductPageTest, CutsTo100BytesKeepWholeCharacters) {
  // A cut inside a two-byte character would leave half of it at the end of the column, and a
  // reader that steps over characters whole would take the next comma as its second byte.
  std::string kanji, odd;
  for (int k = 0; k < 60; ++k) kanji.append("北");
  odd = std::string(99, 'A') + "社";
  std::string fifty;
  for (int k = 0; k < 50; ++k) fifty.append("北"_sj);
  struct Case {
    std::string publisher, size;
    std::string wantPublisher, wantPages;
  } cases[] = {
      {kanji, kanji, fifty, fifty},
      {odd, odd, std::string(99, 'A'), std::string(99, 'A')},
  };
  for (const Case& c : cases) {
    ClearBookRecord();
    EXPECT_TRUE(Parse(Page({kTitleLine, "<dt>出版社：</dt>", "<dd>" + c.publisher + "</dd>",
                            "<li>サイズ：" + c.size + "</li>"})));
    EXPECT_EQ(BookRecord.Publisher, c.wantPublisher) << Show(BookRecord.Publisher);
    EXPECT_EQ(BookRecord.Pages, c.wantPages) << Show(BookRecord.Pages);
  }
}

TEST_F(ProductPageTest, LabelIsTheTextOfTheNextLinesFirstElement) {
  struct Case {
    std::string_view next, label;
  } cases[] = {
      {"<a href=\"/label/\">青嵐文庫</a></li>", "青嵐文庫"_sj},
      {"\t<dd><a href=\"/label/\">青嵐文庫</a></dd>", ""},  // the text between <dd> and <a>
      {"青嵐文庫", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.next));
    ClearBookRecord();
    EXPECT_TRUE(Parse(Page({kTitleLine, "<dt>レーベル</dt>", c.next})));
    EXPECT_EQ(BookRecord.Label, c.label) << Show(BookRecord.Label);
  }
}

TEST_F(ProductPageTest, CoverComesFromTheImageLineWithAWidth) {
  const std::string_view webp = "<source type=\"image/webp\" srcset=\"a.webp\">";
  struct Case {
    const char* name;
    std::string page;
    std::string_view url;
  } cases[] = {
      {"image with width", Page({kTitleLine, webp, "<img src=\"https://x/a.jpg\" width=\"240\">"}),
       "https://x/a.jpg"},
      {"image without width", Page({kTitleLine, webp, "<img src=\"https://x/a.jpg\" loading=\"lazy\">"}), ""},
      {"width without image", Page({kTitleLine, webp, "<div width=\"240\">"}), ""},
      {"a later cover replaces",
       Page({kTitleLine, webp, "<img src=\"a.jpg\" width=\"1\">", webp, "<img src=\"b.jpg\" width=\"1\">"}),
       "b.jpg"},
      {"a later one without width does not",
       Page({kTitleLine, webp, "<img src=\"a.jpg\" width=\"1\">", webp, "<img src=\"b.jpg\">"}), "a.jpg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearBookRecord();
    EXPECT_TRUE(Parse(c.page));
    EXPECT_EQ(BookRecord.ImageURL, c.url);
  }
}

// ---- Description ------------------------------------------------------------------------------

std::string Paragraph(int bytes) {  // "<p class="stText">" and `bytes` bytes of full-width text
  std::string text = "<p class=\"stText\">";
  for (int k = 0; k < bytes / 2; ++k) text.append("あ");
  return text + "</p>";
}

std::string SjisText(int bytes) {
  std::string text;
  for (int k = 0; k < bytes / 2; ++k) text.append("あ"_sj);
  return text;
}

TEST_F(ProductPageTest, ParagraphIsKeptOnlyWhenLongerThanTheDescription) {
  struct Case {
    const char* name;
    std::string page;
    std::string description;
  } cases[] = {
      {"40, 20, 60 bytes", Page({kTitleLine, Paragraph(40), Paragraph(20), Paragraph(60)}),
       SjisText(40) + "\r\n" + SjisText(60)},
      {"as long as the description so far", Page({kTitleLine, Paragraph(40), Paragraph(42)}), SjisText(40)},
      {"block replaces paragraphs",
       Page({kTitleLine, Paragraph(40), "<h2>商品説明</h2>", "<td>本文</td>", "<div class=\"pbNested\">"}),
       std::string("本文"_sj)},
      {"paragraph after a block is measured against the whole",
       Page({kTitleLine, "<h2>商品説明</h2>", "<td>本文</td>", "<div class=\"pbNested\">", Paragraph(4),
             Paragraph(10)}),
       std::string("本文\r\n\r\n"_sj) + SjisText(10)},
      {"full-width spaces and the ends", Page({kTitleLine, "<p class=\"stText\">　あ　い　</p>"}),
       std::string("あ い"_sj)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearBookRecord();
    EXPECT_TRUE(Parse(c.page));
    EXPECT_EQ(BookRecord.Description, c.description) << Show(BookRecord.Description);
  }
}

TEST_F(ProductPageTest, DescriptionBlockCleaning) {
  struct Case {
    const char* name;
    std::string page;
    std::string_view description;
  } cases[] = {
      {"breaks of either case",
       Page({kTitleLine, "<h2>商品説明</h2>", "<td>一<BR>二<br>三</TD><td>四</td>",
             "<div class=\"pbNested\">"}),
       "一\r\n二\r\n三\r\n四"_sj},
      {"blank lines collapse once",
       Page({kTitleLine, "<h2>商品説明</h2>", "一<br><br>二<br><br><br>三", "<div class=\"pbNested\">"}),
       "一\r\n二\r\n\r\n三"_sj},
      {"spaces go, full-width spaces become spaces",
       Page({kTitleLine, "<h2>商品説明</h2>", "\tA B　C", "<div class=\"pbNested\">"}), "AB C"},
      {"lines are joined with nothing between",
       Page({kTitleLine, "<h2>商品説明</h2>", "一", "二", "<div class=\"pbNested\">", "三"}), "一二"_sj},
      {"nothing when the next line is the end",
       Page({kTitleLine, "<h2>商品説明</h2>", "<div class=\"pbNested\">", "一"}), ""},
      {"at most ten lines",
       Page({kTitleLine, "<h2>商品説明</h2>", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "X"}),
       "1234567890"},
      {"ends with the page", std::string(kTitleLine) + "\n<h2>商品説明</h2>\n一\n二\n", "一二"_sj},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearBookRecord();
    EXPECT_TRUE(Parse(c.page));
    EXPECT_EQ(BookRecord.Description, c.description) << Show(BookRecord.Description);
  }
}

// ---- Author block -----------------------------------------------------------------------------

constexpr std::string_view kBlockEnd = "<!-- .stOverview--></div>";

TEST_F(ProductPageTest, AuthorBlockRunsToTheOverviewEnd) {
  struct Case {
    const char* name;
    std::string page;
    std::string_view author1, author2, others, price;
  } cases[] = {
      {"credit lines up to the end marker",
       Page({kTitleLine, "<p class=\"stAuthor\"><span><a href=\"/a\">月城 遥</a>（著）</span></p>",
             "<p><a href=\"/b\">七瀬 ひなた</a>（イラスト）</p>", kBlockEnd,
             "<p><a href=\"/c\">その後</a></p>"}),
       "月城遥"_sj, "七瀬ひなた"_sj, "", ""},
      {"end marker on the marker line",
       Page({kTitleLine, "<p class=\"stAuthor\"><span><a href=\"/a\">月城 遥</a>" + std::string(kBlockEnd)}),
       "", "", "", ""},
      {"names joined by commas",
       Page({kTitleLine,
             "<p class=\"stAuthor\"><span><a href=\"/a\">甲</a>, <a href=\"/b\">乙</a>, "
             "<a href=\"/c\">丙</a></span>",
             kBlockEnd}),
       "甲"_sj, "乙"_sj, "丙"_sj, ""},
      {"paragraphs and lines without links are no credits",
       Page({kTitleLine, "<p class=\"stAuthor\"><span>",
             "<p class=\"stText\">本文 <a href=\"/x\">続き</a></p>", "<p>著者 月城遥</p>", kBlockEnd}),
       "", "", "", ""},
      {"price from stPrice02",
       Page({kTitleLine, "<p class=\"stAuthor\"><span>",
             "<p class=\"stPrice02\">定価<span>1,540</span>円</p>", kBlockEnd}),
       "", "", "", "1,540"},
      {"stPrice replaces stPrice02",
       Page({kTitleLine, "<p class=\"stAuthor\"><span>", "<p class=\"stPrice02\"><span>1400</span></p>",
             kBlockEnd, "<span class=\"stPrice\">1540</span>"}),
       "", "", "", "1540"},
      {"a block ending with the page",
       std::string(kTitleLine) +
           "\n<p class=\"stAuthor\"><span><a href=\"/a\">月城 遥</a></span>\n"
           "</p>\n<p><a href=\"/b\">七瀬 ひなた</a></p>\n",
       "月城遥"_sj, "七瀬ひなた"_sj, "", ""},
      {"each marker line starts the block again; names are assigned once",
       Page({kTitleLine, "<p class=\"stAuthor\"><span><a href=\"/a\">甲</a></span>",
             "<p class=\"stAuthor\"><span><a href=\"/b\">乙</a></span>",
             "<p class=\"stAuthor\"><span><a href=\"/c\">丙</a></span>", kBlockEnd}),
       "甲"_sj, "乙"_sj, "丙"_sj, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearBookRecord();
    EXPECT_TRUE(Parse(c.page));
    EXPECT_EQ(BookRecord.Author1, c.author1) << Show(BookRecord.Author1);
    EXPECT_EQ(BookRecord.Author2, c.author2) << Show(BookRecord.Author2);
    EXPECT_EQ(BookRecord.OtherAuthors, c.others) << Show(BookRecord.OtherAuthors);
    EXPECT_EQ(BookRecord.Price, c.price);
    EXPECT_TRUE(AuthorList.empty());
  }
}

// ---- Private mode ------------------------------------------------------------------------------

TEST_F(ProductPageTest, PrivateModeFollowsTheMarkerFile) {
  struct Case {
    std::string_view size;
    bool marker;
    std::string_view bookSize, pageUrl;
  } cases[] = {
      {"文庫／320p", true, "A6", ""},
      {"文庫／320p", false, "文庫"_sj, "https://s/p.html"},
      // The size text is half-width by now: "comic" goes in that form too.
      {"B6判コミック／160p", true, "B6判"_sj, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.size));
    fs::remove(PagePath() + ".pembra_private");
    if (c.marker) SetPrivateMode();
    ClearBookRecord();
    BookRecord.PageURL = "https://s/p.html";
    BookRecord.Field17 = "17";
    EXPECT_TRUE(Parse(Page({kTitleLine, "<li>サイズ：" + std::string(c.size) + "</li>"})));
    EXPECT_EQ(BookRecord.BookSize, c.bookSize) << Show(BookRecord.BookSize);
    EXPECT_EQ(BookRecord.PageURL, c.pageUrl);
    EXPECT_EQ(BookRecord.Field17, c.marker ? "" : "17");
  }
}

TEST_F(ProductPageTest, PrivateModeAdjustsTheSize) {
  struct Case {
    std::string_view before, after;
  } cases[] = {
      {"文庫"_sj, "A6"},
      {"コミック文庫"_sj, "A6"},
      {"ｺﾐｯｸ文庫"_sj, "A6"},
      {"文庫コミック 文庫"_sj, "A6 A6"},
      {"B6判"_sj, "B6判"_sj},
  };
  SetPrivateMode();
  for (const Case& c : cases) {
    ClearBookRecord();
    BookRecord.BookSize = std::string(c.before);
    BookRecord.Field18 = "18";
    EXPECT_TRUE(ApplyPrivateMode(PagePath() + ".pembra_private", "", ""));
    EXPECT_EQ(BookRecord.BookSize, c.after) << Show(c.before);
    EXPECT_EQ(BookRecord.Field18, "");
  }
}

TEST_F(ProductPageTest, PrivateModeIsNotAppliedWithoutATitle) {
  SetPrivateMode();
  BookRecord.PageURL = "https://s/p.html";
  EXPECT_FALSE(Parse(Page({"<li>サイズ：文庫／320p</li>"})));
  EXPECT_EQ(BookRecord.BookSize, "文庫"_sj);
  EXPECT_EQ(BookRecord.PageURL, "https://s/p.html");
}

// ---- Whole pages --------------------------------------------------------------------------------

struct Fields {
  std::string_view title, subtitle, volume, label;
  std::string_view author1, author1Kana, author2, author2Kana, others;
  std::string_view publisher, price, year, month, day, bookSize, pages, imageUrl;
  std::string_view description;  // not compared when empty
};

void ExpectRecord(const Fields& f) {
  const TBase& b = BookRecord;
  const std::pair<const char*, std::pair<const std::string*, std::string_view>> rows[] = {
      {"Title", {&b.Title, f.title}},
      {"Subtitle", {&b.Subtitle, f.subtitle}},
      {"Volume", {&b.Volume, f.volume}},
      {"Label", {&b.Label, f.label}},
      {"Author1", {&b.Author1, f.author1}},
      {"Author1Kana", {&b.Author1Kana, f.author1Kana}},
      {"Author2", {&b.Author2, f.author2}},
      {"Author2Kana", {&b.Author2Kana, f.author2Kana}},
      {"OtherAuthors", {&b.OtherAuthors, f.others}},
      {"Publisher", {&b.Publisher, f.publisher}},
      {"Price", {&b.Price, f.price}},
      {"PubYear", {&b.PubYear, f.year}},
      {"PubMonth", {&b.PubMonth, f.month}},
      {"PubDay", {&b.PubDay, f.day}},
      {"BookSize", {&b.BookSize, f.bookSize}},
      {"Pages", {&b.Pages, f.pages}},
      {"ImageURL", {&b.ImageURL, f.imageUrl}},
  };
  for (const auto& [name, pair] : rows) {
    EXPECT_EQ(*pair.first, pair.second)
        << name << ": " << Show(*pair.first) << " / expected " << Show(pair.second);
  }
  if (!f.description.empty()) {
    EXPECT_EQ(b.Description, f.description) << Show(b.Description);
  }
}

TEST_F(ProductPageTest, NovelPageWithLineFeeds) {
  ASSERT_TRUE(Parse(ReadFile(fs::path(TARVO_TEST_DATA) / "page_novel_lf.html")));
  ExpectRecord({"灯火の魔導書店"_sj, "", "3", "北斗ノベルス"_sj, "宵町カナタ"_sj, "", "ふゆの"_sj, "",
                "魔導史研究会 [監修]"_sj, "北斗書房"_sj, "1430", "2024", "05", "17", "B6判"_sj, "320",
                "https://img.tarvo.example/cover/9784861209871.jpg",
                "路地裏の小さな書店「灯火堂」。\r\n"
                "店主のミナが売るのは、読むと魔法が使えるようになる本だった。\r\n\r\n"
                "”禁書”を求める客が現れた夜、店の灯が消える――。"_sj});
}

TEST_F(ProductPageTest, ComicPageWithCrLf) {
  ASSERT_TRUE(Parse(ReadFile(fs::path(TARVO_TEST_DATA) / "page_comic_crlf.html")));
  ExpectRecord({"竜とパン屋の七日間"_sj, "特装版 "_sj, "2", "ひだまりコミックス"_sj, "麦野こむぎ"_sj, "",
                "ささめゆき"_sj, "", "灰原ミオ [キャラクター原案]"_sj, "株式会社月舟出版"_sj, "880", "2024",
                "12", "", "B6判"_sj, "160", "https://img.tarvo.example/cover/sample/9784801549876_01.jpg",
                "小さなパン屋に竜がやってきた！ 特設ページはこちら\r\n"
                "町いちばんのパン屋を目指すトマのもとに、人の姿に化けた竜のルルが弟子入りを志願してきた。 "
                "ふたりの騒がしくも温かい七日間を描く、ほのぼの異種族ベーカリーコメディ第２巻。"_sj});
}

// The sample store's product pages give the fields its README promises.
TEST_F(ProductPageTest, SampleStorePages) {
  struct Book {
    const char* id;
    Fields fields;
  } books[] = {
      {"30418276",
       {"星渡りの図書館"_sj, "", "3", "北斗ノベルス"_sj, "月城遥"_sj, "", "七瀬ひなた"_sj, "", "",
        "北斗書房"_sj, "1430", "2024", "05", "17", "B6判"_sj, "320",
        "https://img.tarvo.example/cover/9784861203312.jpg", ""}},
      {"30522914",
       {"霧の港町"_sj, "", "上"_sj, "青藍海外ミステリ"_sj, "エリック・ヴァルデン"_sj, "",
        "水無瀬透 [翻訳]"_sj, "", "", "青藍社"_sj, "1210", "2023", "11", "08", "文庫"_sj, "448",
        "https://img.tarvo.example/cover/9784877359706.jpg",
        "北海に面した港町ハルスタッドで、灯台守の老人が姿を消した。\r\n"
        "残されたのは濡れた航海日誌と、十三年前の日付が記された一枚の切符だけ。\r\n\r\n"
        "北欧ミステリの新鋭による長編、待望の邦訳。"_sj}},
      {"29877031",
       {"猫とまどろむ午後"_sj, "", "2", "ひだまりコミックス"_sj, "柚木こはる"_sj, "", "森野すず"_sj, "", "",
        "月舟出版"_sj, "748", "2023", "09", "27", "B6判"_sj, "176",
        "https://img.tarvo.example/cover/9784801541542.jpg", ""}},
      {"31055608",
       {"星降る坂の喫茶店"_sj, "新装版 "_sj, "", "ミモザ文庫"_sj, "椎名まどか"_sj, "シイナマドカ"_sj,
        "朝霧ユウ"_sj, "", "", "白鷺書院"_sj, "902", "2024", "03", "01", "文庫"_sj, "352",
        "https://img.tarvo.example/cover/9784792214043.jpg",
        "坂の上の小さな喫茶店。\r\n"
        "星の降る夜にだけ開く喫茶店「ほしみ」には、言えなかった言葉を抱えたお客さんが訪れる。"
        "店主の澪が淹れる一杯が、止まっていた時間をそっと動かしていく。"_sj}},
      {"31290044",
       {"はじまりの鍵と七つの扉"_sj, "", "4", "灯台舎ファンタジア"_sj, "真白リツ"_sj, "",
        "灰原ミオ [キャラクター原案]"_sj, "", "", "灯台舎"_sj, "1540", "2025", "03", "", "四六判"_sj, "304",
        "https://img.tarvo.example/cover/9784884326661.jpg", ""}},
      {"28734115",
       {"やさしい発酵食の教科書"_sj, "", "", "", "小野寺紗枝 [監修]"_sj, "", "桜庭出版編集部 [編]"_sj, "", "",
        "桜庭出版"_sj, "1650", "2021", "07", "01", "A5判"_sj, "128",
        "https://img.tarvo.example/cover/9784833100496.jpg",
        "毎日のごはんに取り入れやすい発酵食のレシピを、\r\n"
        "基本の仕込み方からアレンジ料理まで写真つきで紹介します。\r\n"
        "【収録内容】\r\n１章 発酵のきほん\r\n２章 塩麹と醤油麹\r\n３章 ぬか漬けと甘酒"_sj}},
      {"30066352",
       {"数理パズルの迷宮"_sj, "", "2", "ことのは新書"_sj, "三枝航"_sj, "", "葛城玲奈"_sj, "", "北条勇人"_sj,
        "萌黄書店"_sj, "1100", "2024", "01", "25", "新書判"_sj, "256",
        "https://img.tarvo.example/cover/9784754060749.jpg",
        "魔方陣、覆面算、ハノイの塔&ナンバーリンク。\r\n"
        "数学オリンピック経験者の三人が、「ひらめき」を鍛える全60問を出題。"_sj}},
      {"31500827",
       {"錆びた王冠の騎士団"_sj, "", "5", "汐見ファンタジー文庫"_sj, "黒羽蓮"_sj, "クロバレン"_sj,
        "碧井ソラ"_sj, "", "", "汐見社"_sj, "968", "2022", "12", "09", "", "416",
        "https://img.tarvo.example/cover/9784815798406.jpg", ""}},
      {"27611950",
       {"風の街のレシピ帖"_sj, "", "2", "こもれび文庫"_sj, "汐崎ことり"_sj, "", "日向夏彦 [解説]"_sj, "", "",
        "花筏書房"_sj, "748", "2019", "04", "", "文庫"_sj, "272",
        "https://img.tarvo.example/cover/9784770635488.jpg", ""}},
      {"31733469",
       {"海辺の測量士"_sj, "", "1", "潮騒コミックス"_sj, "八雲千尋"_sj, "", "瀬川灯"_sj, "", "", "霧笛堂"_sj,
        "792", "2024", "10", "10", "B6判"_sj, "192", "https://img.tarvo.example/cover/9784846280963.jpg",
        ""}},
  };
  for (const Book& book : books) {
    SCOPED_TRACE(book.id);
    ClearBookRecord();
    ASSERT_TRUE(
        Parse(ReadFile(fs::path(TARVO_SAMPLE_DIR) / "store" / "product" / (std::string(book.id) + ".html"))));
    ExpectRecord(book.fields);
    EXPECT_FALSE(BookRecord.Description.empty());
  }
}

// ---- Large input --------------------------------------------------------------------------------

// A 20 MB page: the novel page over and over. Every later copy comes after a cart marker, so its
// details do not count, but its author block does: its stPrice02 is the last price read. Names
// repeat and are assigned once.
TEST_F(ProductPageTest, TwentyMegabytePage) {
  const std::string one = ReadFile(fs::path(TARVO_TEST_DATA) / "page_novel_lf.html");
  ASSERT_FALSE(one.empty());
  std::string page;
  page.reserve(20u << 20);
  while (page.size() < (20u << 20)) page.append(one);
  ASSERT_TRUE(Parse(page));
  EXPECT_EQ(BookRecord.Title, "灯火の魔導書店"_sj);
  EXPECT_EQ(BookRecord.Price, "1300");
  EXPECT_EQ(BookRecord.Author1, "宵町カナタ"_sj);
  EXPECT_EQ(BookRecord.OtherAuthors, "魔導史研究会 [監修]"_sj);
  EXPECT_EQ(BookRecord.PubYear, "2024");  // later copies' date lines all follow a cart marker
  EXPECT_EQ(BookRecord.PubMonth, "05");
}

}  // namespace
}  // namespace tarvo
