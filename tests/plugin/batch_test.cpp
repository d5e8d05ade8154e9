// Whole batches through the real mardel program and plug-in library, against a store of pages
// written by each test and served on 127.0.0.1.
#if defined(TARVO_WITH_SAMPLE_STORE)

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>

#include "host/comma_text.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "store_fixture.h"

namespace tarvo::testing {
namespace {

using nlohmann::json;

// Books of the test store: the code, its product page id, the heading and what the parser reads
// from it.
struct Book {
  const char* isbn13;
  const char* id;
  const char* heading;
  const char* title;
  const char* volume;
};
const Book kStar{"9784861203312", "1001", "星の庭 3 (青葉文庫)", "星の庭", "3"};
const Book kMoon{"9784801541542", "1002", "月の舟 2 (ひだまりコミックス)", "月の舟", "2"};
const Book kWind{"9784792214043", "1003", "風の坂道 1 (白鷺文庫)", "風の坂道", "1"};
const Book kKnight{"9784815798406", "1004", "錆びた騎士 5 (汐見文庫)", "錆びた騎士", "5"};
const Book kRecipe{"9784770635488", "1005", "風の街の台所 2 (こもれび文庫)", "風の街の台所", "2"};
// Valid codes the store knows nothing about unless a test adds pages for them.
const char* const kSpareCodes[] = {"9784833100496", "9784754060749", "9784846280963", "9784884326661"};

class MardelBatch : public ::testing::Test {
 protected:
  // mardel and the plug-in copied to a folder of their own, so that Setting.ini and tarvo.ini
  // can be put beside them.
  static void SetUpTestSuite() {
    install_ = std::make_unique<TempDir>();
    fs::copy_file(TARVO_MARDEL_PATH, install_->path() / "mardel");
    fs::copy_file(TARVO_PLUGIN_PATH, install_->path() / fs::path(TARVO_PLUGIN_PATH).filename());
  }
  static void TearDownTestSuite() { install_.reset(); }

  void TearDown() override {
    std::error_code error;
    fs::remove(install_->path() / "Setting.ini", error);
    fs::remove(install_->path() / "tarvo.ini", error);
  }

  static fs::path InstallDir() { return install_->path(); }
  static std::string Mardel() { return (install_->path() / "mardel").string(); }

  void AddBook(const Book& b) { store_.AddBook(b.isbn13, b.id, b.heading); }

  // `mardel lookup --format json` of `codes` against the test store.
  RunResult Lookup(const std::vector<std::string>& codes, const std::string& extra = "") {
    std::string args = "lookup --format json --data-dir " + Quote(data_.path().string()) + " --out " +
                       Quote(OutFile().string()) + " --store " + Quote(store_.BaseUrl()) + " " + extra;
    for (const std::string& code : codes) args += " " + Quote(code);
    return RunProgram(Mardel(), args);
  }

  static json Books(const RunResult& r) {
    json books = json::parse(r.out, nullptr, false);
    EXPECT_TRUE(books.is_array()) << "stdout: " << r.out << "\nstderr: " << r.err;
    return books.is_array() ? books : json::array();
  }

  fs::path OutFile() const { return work_.path() / "result.txt"; }
  // The output file's lines, split into columns.
  std::vector<std::vector<std::string>> OutputRows() const {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : SplitLines(ReadFile(OutFile()))) rows.push_back(host::SplitCommaText(line));
    return rows;
  }
  std::string ProductUrl(const Book& b) const { return store_.BaseUrl() + "/product/" + b.id + ".html"; }

  static bool HasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
  }

  TestStore store_;
  TempDir data_;
  TempDir work_;

 private:
  static std::unique_ptr<TempDir> install_;
};

std::unique_ptr<TempDir> MardelBatch::install_;

TEST_F(MardelBatch, LooksUpABatchOfCodesInOrder) {
  for (const Book& b : {kStar, kMoon, kWind}) AddBook(b);
  store_.AddProduct(kStar.id, ProductPage(kStar.heading, "一段落目です。<br>二段落目です。"));
  store_.Start();
  const RunResult r = Lookup({kStar.isbn13, "9784861203313", "4801541542", kSpareCodes[0], kWind.isbn13});
  EXPECT_EQ(r.exitCode, 0) << r.err;

  struct Expected {
    const Book& book;
    const char* isbn;  // as listed
  };
  const Expected expected[] = {{kStar, kStar.isbn13}, {kMoon, "4801541542"}, {kWind, kWind.isbn13}};
  const json books = Books(r);
  ASSERT_EQ(books.size(), std::size(expected));
  for (std::size_t k = 0; k < std::size(expected); ++k) {
    SCOPED_TRACE(expected[k].isbn);
    const json& book = books[k];
    EXPECT_EQ(book["ISBN"], expected[k].isbn);
    EXPECT_EQ(book["Title"], expected[k].book.title);
    EXPECT_EQ(book["Volume"], expected[k].book.volume);
    EXPECT_EQ(book["PageURL"], ProductUrl(expected[k].book));
    EXPECT_EQ(book["Purchase"], "購入");
    EXPECT_EQ(book["Tax"], "0");
    EXPECT_EQ(book["TaxAgain"], "0");
    EXPECT_EQ(book["ReadState"], "既読");
  }
  EXPECT_EQ(books[0]["Description"], "一段落目です。\n二段落目です。");  // "$$" in the host's file
  EXPECT_TRUE(HasLine(r.err, "  not found: 9784861203313: invalid code")) << r.err;
  EXPECT_TRUE(HasLine(r.err, std::string("  not found: ") + kSpareCodes[0] + ": no hit in the store")) << r.err;
  EXPECT_TRUE(HasLine(r.err, "found 3 of 5")) << r.err;

  // The host's file: one line a book, CR LF after each, 68 columns, fields in their columns.
  const std::string file = ReadFile(OutFile());
  EXPECT_EQ(SplitLines(file).size(), 3u);
  EXPECT_TRUE(EndsWith(file, "\r\n"));
  const auto rows = OutputRows();
  ASSERT_EQ(rows.size(), 3u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 68u);
    EXPECT_EQ(row[19], "");
    EXPECT_EQ(row[20], "購入"_sj);
    EXPECT_EQ(row[40], "");
    EXPECT_EQ(row[46], "既読"_sj);
  }
  EXPECT_EQ(rows[1][16], ProductUrl(kMoon));
  EXPECT_EQ(rows[0][36], "一段落目です。$$二段落目です。"_sj);

  // The invalid code is never searched; each program keeps one connection for its downloads.
  for (const std::string& path : store_.server().RequestedPaths()) EXPECT_EQ(path.find("9784861203313"), npos);
  EXPECT_LE(store_.server().ConnectionCount(), 2);
}

TEST_F(MardelBatch, CodesWithTheSecondBarcodeCarryClassificationAndPrice) {
  AddBook(kKnight);
  AddBook(kRecipe);
  store_.Start();
  struct Case {
    const char* code;
    const char* isbn;
    const char* ccode;
    const char* price;
  };
  const Case cases[] = {
      {"481579840001930880", "4815798400", "0193", "880"},
      {"481579840001930098", "4815798400", "0193", "098"},
      {"481579840001931200", "4815798400", "0193", "1200"},
      {"481579840001930000", "4815798400", "0193", ""},
      {"97847706354881920193006803", "9784770635488", "0193", "680"},
      {"97847706354881923079015005", "9784770635488", "3079", "1500"},
  };
  std::vector<std::string> codes;
  for (const Case& c : cases) codes.emplace_back(c.code);
  const RunResult r = Lookup(codes);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const json books = Books(r);
  ASSERT_EQ(books.size(), std::size(cases)) << r.err;
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    SCOPED_TRACE(cases[k].code);
    EXPECT_EQ(books[k]["ISBN"], cases[k].isbn);
    EXPECT_EQ(books[k]["CCode"], cases[k].ccode);
    EXPECT_EQ(books[k]["Price"], cases[k].price);
  }
  EXPECT_EQ(books[0]["Title"], kKnight.title);
  EXPECT_EQ(books[4]["Title"], kRecipe.title);
}

TEST_F(MardelBatch, SettingsComeFromSettingIniBesideTheHost) {
  AddBook(kStar);
  store_.Start();
  struct Case {
    const char* name;
    std::string settingIni;  // empty: no file
    const char* purchase;
    const char* tax;
    const char* readState;
  };
  const Case cases[] = {
      {"no Setting.ini", "", "購入", "0", "既読"},
      {"UTF-8 file", "[Entry]\nPurachaseSet=未購入\nTaxSet=1\n", "未購入", "1", "既読"},
      {"Shift-JIS file", "[entry]\r\nreadset=" + std::string("未読"_sj) + "\r\n", "購入", "0", "未読"},
      {"keys of another section", "[Other]\nTaxSet=5\nReadSet=x\n", "購入", "0", "既読"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code error;
    fs::remove(InstallDir() / "Setting.ini", error);
    if (!c.settingIni.empty()) WriteFile(InstallDir() / "Setting.ini", c.settingIni);
    const json books = Books(Lookup({kStar.isbn13}));
    ASSERT_EQ(books.size(), 1u);
    EXPECT_EQ(books[0]["Purchase"], c.purchase);
    EXPECT_EQ(books[0]["Tax"], c.tax);
    EXPECT_EQ(books[0]["TaxAgain"], c.tax);
    EXPECT_EQ(books[0]["ReadState"], c.readState);
  }
}

TEST_F(MardelBatch, StoreUrlFromEnvironmentThenTarvoIni) {
  AddBook(kStar);
  store_.Start();
  const std::string dead = "http://127.0.0.1:1";
  struct Case {
    const char* name;
    std::string environment;
    std::string tarvoIni;
    bool found;
  };
  const Case cases[] = {
      {"environment", store_.BaseUrl(), "", true},
      {"tarvo.ini, slash at the end", "", "[Store]\nBaseUrl = " + store_.BaseUrl() + "/\n", true},
      {"environment before tarvo.ini", store_.BaseUrl(), "[Store]\nBaseUrl=" + dead + "\n", true},
      {"tarvo.ini when the environment has none", "", "[Store]\nBaseUrl=" + dead + "\n", false},
      {"placeholder default", "", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code error;
    fs::remove(InstallDir() / "tarvo.ini", error);
    if (!c.tarvoIni.empty()) WriteFile(InstallDir() / "tarvo.ini", c.tarvoIni);
    const std::string env = c.environment.empty() ? "" : "TARVO_STORE_URL=" + Quote(c.environment);
    const RunResult r = RunProgram(Mardel(), "lookup --format json " + std::string(kStar.isbn13), env);
    EXPECT_EQ(Books(r).size(), c.found ? 1u : 0u) << r.err;
    EXPECT_EQ(r.exitCode, c.found ? 0 : 1);
    if (!c.found) {
      EXPECT_TRUE(HasLine(r.err, "インターネットに接続されていません")) << r.err;
      EXPECT_TRUE(HasLine(r.err, std::string("  not found: ") + kStar.isbn13 + ": store unreachable")) << r.err;
    }
  }
}

// A failure that ends the batch after a book was found writes that book first, then shows its
// message; the codes after it are not looked up.
TEST_F(MardelBatch, FailureAfterBooksWereFoundKeepsThem) {
  const std::string second = kSpareCodes[1];
  const fs::path authorDictionary = data_.path() / "AuthDB.dat";
  struct Case {
    const char* name;
    std::function<void()> arrange;  // run when the first book's product page is served
    std::string secondSearch;
    std::string message;
  };
  std::string badUtf8Search = SearchPage("/product/2001.html");
  badUtf8Search.insert(badUtf8Search.find("<body>"), "\x80\n");
  std::string badUtf8Product = ProductPage("壊れた頁 1 (文庫)");
  badUtf8Product.insert(badUtf8Product.find("<body>"), "\xBF\xBF\n");
  const Case cases[] = {
      {"product address unreachable", nullptr, SearchPage("http://127.0.0.1:1/product/2001.html"),
       "インターネットに接続されていません2"},
      {"search page not UTF-8", nullptr, badUtf8Search, "UTF-8 Unknown code."},
      {"product page not UTF-8", nullptr, SearchPage("/product/2002.html"), "UTF-8 Unknown code."},
      // /proc/self/mem is a regular file that even root cannot read from its start.
      {"dictionary cannot be read",
       [&] { fs::create_symlink("/proc/self/mem", authorDictionary); }, SearchPage("/product/2001.html"),
       "AuthDB.dat\": Input/output error"},
      // Last: the store stays closed afterwards.
      {"store stops answering", [this] { store_.server().RefuseConnections(); }, SearchPage("/product/2001.html"),
       "インターネットに接続されていません"},
  };
  AddBook(kStar);
  AddBook(kWind);
  store_.AddProduct("2001", ProductPage("二番目の本 1 (文庫)"));
  store_.AddProduct("2002", badUtf8Product);
  Case const* current = nullptr;
  store_.server().SetHook([&](const std::string& path, host::SampleStore::Reply&) {
    if (path == "/product/1001.html" && current->arrange) current->arrange();
    return false;
  });
  store_.Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    current = &c;
    std::error_code error;
    fs::remove(authorDictionary, error);
    store_.AddSearch(second, c.secondSearch);
    const RunResult r = Lookup({kStar.isbn13, second, kWind.isbn13});
    EXPECT_EQ(r.exitCode, 1);
    const auto rows = OutputRows();
    ASSERT_EQ(rows.size(), 1u) << r.err;
    EXPECT_EQ(rows[0][0], kStar.isbn13);
    EXPECT_NE(r.err.find(c.message + "\n"), std::string::npos) << r.err;
    EXPECT_TRUE(HasLine(r.err, std::string("  not found: ") + kWind.isbn13 +
                                   ": not looked up (the batch ended before it)"))
        << r.err;
  }
  std::error_code error;
  fs::remove(authorDictionary, error);
}

// Before each download the scratch page is deleted: a failed download yields nothing rather
// than the page of the code before.
TEST_F(MardelBatch, FailedDownloadNeverReadsTheLastPage) {
  const std::string second = kSpareCodes[2];
  AddBook(kStar);
  // Also a page the parser would take for a book, should it be read in place of the product.
  std::string searchWithTitle = SearchPage("/product/missing.html");
  searchWithTitle.insert(searchWithTitle.find("</body>"), "<h1 class=\"stTitle\">罠の本 9 (罠文庫)</h1>\n<p></p>\n");
  struct Case {
    const char* name;
    int searchStatus;
    std::string secondSearch;
    const char* reason;
  };
  const Case cases[] = {
      {"search page not downloaded", 404, SearchPage("/product/1001.html"), "no hit in the store"},
      {"product page not downloaded", 200, searchWithTitle, "product page could not be downloaded"},
  };
  int searchStatus = 200;
  store_.server().SetHook([&](const std::string& path, host::SampleStore::Reply& reply) {
    if (path != "/netstore/search_10" + second + ".html" || searchStatus == 200) return false;
    reply.status = searchStatus;
    return true;
  });
  store_.Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    searchStatus = c.searchStatus;
    store_.AddSearch(second, c.secondSearch);
    const RunResult r = Lookup({kStar.isbn13, second});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto rows = OutputRows();
    ASSERT_EQ(rows.size(), 1u) << r.err;
    EXPECT_EQ(rows[0][0], kStar.isbn13);
    EXPECT_TRUE(HasLine(r.err, "  not found: " + second + ": " + c.reason)) << r.err;
  }
}

TEST_F(MardelBatch, ProductLinkFormsAndSearchPagesWithoutAHit) {
  store_.AddProduct(kStar.id, ProductPage(kStar.heading));
  std::string markerAtTheEnd = SearchPage("/product/1001.html");
  markerAtTheEnd = markerAtTheEnd.substr(0, markerAtTheEnd.find("<div class=\"srItem\">"));  // ends on the marker
  struct Case {
    const char* name;
    const char* code;
    std::string search;  // no search page when empty
    bool found;
    std::string pageUrl;
    const char* reason;
  };
  std::vector<Case> cases = {
      {"root-relative link", "9784861203312", SearchPage("/product/1001.html"), true, "/product/1001.html", ""},
      {"absolute link, upper-case scheme", "9784801541542", "", true, "", ""},
      {"link that redirects", "9784792214043", SearchPage("/go/1001"), true, "/go/1001", ""},
      {"relative link", "9784833100496", SearchPage("product/1001.html"), false, "", "no hit in the store"},
      {"scheme-relative link", "9784754060749", "", false, "", "no hit in the store"},
      {"marker on the last line", "9784846280963", markerAtTheEnd, false, "", "no hit in the store"},
      {"search page that is the product page", "9784884326661", ProductPage(kStar.heading), true, "", ""},
      {"no search page", "9784815798406", "", false, "", "no hit in the store"},
  };
  store_.server().SetHook([](const std::string& path, host::SampleStore::Reply& reply) {
    if (path != "/go/1001") return false;
    reply.status = 302;
    reply.headers.emplace_back("Location", "/product/1001.html");
    return true;
  });
  store_.Start();
  const std::string hostPart = store_.BaseUrl().substr(std::string("http:").size());  // "//127.0.0.1:port"
  cases[1].search = SearchPage("HTTP:" + hostPart + "/product/1001.html");
  cases[1].pageUrl = "HTTP:" + hostPart + "/product/1001.html";
  cases[4].search = SearchPage(hostPart + "/product/1001.html");
  std::vector<std::string> codes;
  for (Case& c : cases) {
    if (!c.search.empty()) store_.AddSearch(c.code, c.search);
    if (c.found && c.pageUrl.front() == '/') c.pageUrl = store_.BaseUrl() + c.pageUrl;
    codes.emplace_back(c.code);
  }
  const RunResult r = Lookup(codes);
  const json books = Books(r);
  std::size_t next = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.found) {
      EXPECT_TRUE(HasLine(r.err, std::string("  not found: ") + c.code + ": " + c.reason)) << r.err;
      continue;
    }
    ASSERT_LT(next, books.size());
    EXPECT_EQ(books[next]["ISBN"], c.code);
    EXPECT_EQ(books[next]["Title"], kStar.title);
    EXPECT_EQ(books[next]["PageURL"], c.pageUrl);
    ++next;
  }
  EXPECT_EQ(next, books.size());
}

TEST_F(MardelBatch, TransientFailuresAreTriedAgainTwiceAtMost) {
  AddBook(kStar);
  const std::string searchPath = std::string("/netstore/search_10") + kStar.isbn13 + ".html";
  struct Case {
    const char* name;
    std::vector<int> failures;  // statuses of the first answers for the search page
    const char* retryAfter;
    bool found;
    int searchRequests;
    std::chrono::milliseconds atLeast;
  };
  const Case cases[] = {
      {"429 then 503", {429, 503}, nullptr, true, 3, std::chrono::milliseconds(700)},
      {"Retry-After honoured", {503}, "1", true, 2, std::chrono::milliseconds(1000)},
      {"three 5xx", {500, 502, 503}, nullptr, false, 3, std::chrono::milliseconds(0)},
      {"404 is final", {404}, nullptr, false, 1, std::chrono::milliseconds(0)},
  };
  const Case* current = nullptr;
  int searchRequests = 0;
  store_.server().SetHook([&](const std::string& path, host::SampleStore::Reply& reply) {
    if (path != searchPath) return false;
    const std::size_t k = static_cast<std::size_t>(searchRequests++);
    if (k >= current->failures.size()) return false;
    reply.status = current->failures[k];
    if (current->retryAfter != nullptr) reply.headers.emplace_back("Retry-After", current->retryAfter);
    return true;
  });
  store_.Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    current = &c;
    searchRequests = 0;
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = Lookup({kStar.isbn13});
    EXPECT_GE(std::chrono::steady_clock::now() - start, c.atLeast);
    EXPECT_EQ(Books(r).size(), c.found ? 1u : 0u) << r.err;
    EXPECT_EQ(searchRequests, c.searchRequests);
  }
}

TEST_F(MardelBatch, CodesFileAndCsv) {
  AddBook(kStar);
  store_.Start();
  WriteFile(work_.path() / "codes.txt", "# my books\r\n978-4-86120-331-2\r\n\r\n  9784861203313  \r\n");
  const RunResult r = RunProgram(Mardel(), "lookup --format csv --codes " + Quote((work_.path() / "codes.txt").string()) +
                                               " --store " + Quote(store_.BaseUrl()));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const LineList lines = SplitLines(r.out);
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_TRUE(StartsWith(lines[0], "ISBN,Title,"));
  EXPECT_TRUE(StartsWith(lines[1], "9784861203312,星の庭,")) << lines[1];
  EXPECT_TRUE(HasLine(r.err, "  not found: 9784861203313: invalid code")) << r.err;
}

TEST_F(MardelBatch, BadUsageExitsWithTwo) {
  WriteFile(work_.path() / "codes.txt", "9784861203312\n");
  const std::string codesFile = Quote((work_.path() / "codes.txt").string());
  struct Case {
    std::string args;
    const char* says;
  };
  const Case cases[] = {
      {"", ""},
      {"frobnicate", ""},
      {"lookup", "no codes to look up"},
      {"lookup --format xml 9784861203312", "--format"},
      {"lookup --store ftp://x 9784861203312", "--store needs an http:// or https:// address"},
      {"lookup --data-dir /nonexistent/dir 9784861203312", "no data directory"},
      {"lookup --codes /nonexistent/codes.txt", "no codes file"},
      {"lookup --codes " + codesFile + " 9784861203312", "not both"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const RunResult r = RunProgram(Mardel(), c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

TEST_F(MardelBatch, InfoShowsWhatThePluginReports) {
  const RunResult r = RunProgram(Mardel(), "info");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  for (const char* text : {"DownlaodFunc", "ISBN検索 tarvo", "1.1.8", "https://store.invalid"}) {
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  }
}

TEST_F(MardelBatch, DemoFindsEverySampleBook) {
  const std::size_t codes = SplitLines(ReadFile(fs::path(TARVO_SAMPLE_DIR) / "codes.txt")).size();
  const RunResult r = RunProgram(TARVO_MARDEL_PATH, "demo");
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  const std::string all = std::to_string(codes);
  EXPECT_TRUE(HasLine(r.out, "found " + all + " of " + all)) << r.out;
}

}  // namespace
}  // namespace tarvo::testing

#endif  // TARVO_WITH_SAMPLE_STORE
