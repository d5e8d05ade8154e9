// Whatever a store serves and whatever a user's folders hold: whole batches through the real
// mardel program and plug-in library, two batches in one process each time, against a store
// on 127.0.0.1 that this test fills. For each situation: the message the user sees (one line on
// stderr), what the output file holds, and what the next batch in the same process does.
#if defined(TARVO_WITH_SAMPLE_STORE)

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "../plugin/store_fixture.h"
#include "host/comma_text.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "platform/platform.h"
#include "plugin/abi.h"

namespace tarvo::testing {
namespace {

// Each batch looks up a book the store has, the code under test, and another book.
constexpr char kBefore[] = "9784861203312";
constexpr char kCode[] = "9784833100496";
constexpr char kAfter[] = "9784792214043";
constexpr char kProductPath[] = "/product/2001.html";
const std::string kSearchPath = std::string("/netstore/search_10") + kCode + ".html";

// The book of kCode, whose author the data directory's author dictionary spells its own way.
constexpr char kHeading[] = "迷子の地図 4 (灯台文庫)";
constexpr char kAuthorLine[] =
    "<p class=\"stAuthor\"><span><a href=\"/search/author/shiozaki/\">汐崎 ことり</a>（著）</span></p>";

std::string Lines(std::initializer_list<std::string_view> lines, std::string_view end = "\n") {
  std::string text;
  for (std::string_view line : lines) text.append(line).append(end);
  return text;
}

std::string ProductOfCode(std::string_view end = "\n") {
  return Lines({"<!DOCTYPE html>", "<html lang=\"ja\">", "<body>", "<div class=\"stOverview\">",
                std::string("<h1 class=\"stTitle\">") + kHeading + "</h1>", kAuthorLine, "<!-- .stOverview--></div>",
                "<p>発売日：2021年3月5日</p>", "</body>", "</html>"},
               end);
}

// The author dictionary: the name in key form, the collection's spelling, its reading.
std::string AuthorDictionary(std::string_view reading = "シオザキコトリ") {
  std::string text = "|";
  text.append("汐崎ことり|汐崎 琴里|"_sj);
  text.append(platform::Utf8ToCp932(reading));
  text.append("||\r\n");
  return text;
}

// The page of kCode that a request gets, decided per request: `count` is 1 for the first
// request of `path`, 2 for the second (the next batch), and so on. Return true to answer with
// `reply`, false to let the store's files answer.
using Serve = std::function<bool(const std::string& path, int count, host::SampleStore::Reply& reply)>;

// Answers the first request of `path` (the first batch) with `body`; later ones from the files.
Serve FirstTime(std::string path, std::string body, int status = 200) {
  return [path, body, status](const std::string& p, int count, host::SampleStore::Reply& reply) {
    if (p != path || count != 1) return false;
    reply.status = status;
    reply.body = body;
    return true;
  };
}

// What a batch leaves: whether there is an output file, and its lines split into columns.
struct Output {
  bool exists = false;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> Isbns() const {
    std::vector<std::string> isbns;
    for (const auto& row : rows) isbns.push_back(row.empty() ? "" : row[0]);
    return isbns;
  }
};

class BadInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    install_ = std::make_unique<TempDir>();
    fs::copy_file(TARVO_MARDEL_PATH, install_->path() / "mardel");
    fs::copy_file(TARVO_PLUGIN_PATH, install_->path() / fs::path(TARVO_PLUGIN_PATH).filename());
  }
  static void TearDownTestSuite() { install_.reset(); }

  BadInput() {
    store_.AddBook(kBefore, "1001", "星の庭 3 (青葉文庫)");
    store_.AddBook(kAfter, "1003", "風の坂道 1 (白鷺文庫)");
    store_.AddSearch(kCode, SearchPage(kProductPath));
    store_.AddProduct("2001", ProductOfCode());
    WriteFile(data_.path() / "AuthDB.dat", AuthorDictionary());
    store_.server().SetHook([this](const std::string& path, host::SampleStore::Reply& reply) {
      int count;
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        count = ++requests_[path];
      }
      return serve_ && serve_(path, count, reply);
    });
    store_.Start();
  }
  void TearDown() override {
    std::error_code error;
    fs::remove(install_->path() / "Setting.ini", error);
  }

  static fs::path InstallDir() { return install_->path(); }
  fs::path OutFile() const { return work_.path() / "result.txt"; }

  // Two batches of the three codes in one mardel process; batch 2 writes `outFile`.2.
  RunResult RunTwoBatches(const std::string& outFile, const std::string& store) {
    const std::string args = "lookup --format json --batches 2 --data-dir " + Quote(data_.path().string()) +
                             " --out " + Quote(outFile) + " --store " + Quote(store) + " " + kBefore + " " + kCode +
                             " " + kAfter;
    return RunProgram((install_->path() / "mardel").string(), args);
  }

  static Output ReadOutput(const fs::path& file) {
    Output out;
    out.exists = fs::is_regular_file(file);
    if (out.exists) {
      for (const std::string& line : SplitLines(ReadFile(file))) out.rows.push_back(host::SplitCommaText(line));
    }
    return out;
  }

  TestStore store_;
  TempDir data_;
  TempDir work_;
  Serve serve_;
  std::mutex mutex_;
  std::map<std::string, int> requests_;

 private:
  static std::unique_ptr<TempDir> install_;
};

std::unique_ptr<TempDir> BadInput::install_;

// stderr of the two batches, split at mardel's "batch 2 of 2" line, keeping only the plug-in's
// messages (mardel's own lines begin with "mardel:", its summary with "found" or blanks).
std::array<std::vector<std::string>, 2> MessagesOfBatches(const std::string& err) {
  std::array<std::vector<std::string>, 2> messages;
  std::size_t batch = 0;
  for (const std::string& line : SplitLines(err)) {
    if (line == "mardel: batch 2 of 2") batch = 1;
    if (line.empty() || StartsWith(line, "mardel:") || StartsWith(line, "found ") || StartsWith(line, " ")) continue;
    messages[batch].push_back(line);
  }
  return messages;
}

// Column `column` of the book of kCode in a batch's output.
std::string ColumnOfCode(const Output& out, std::size_t column) {
  for (const auto& row : out.rows) {
    if (!row.empty() && row[0] == kCode) return row.size() > column ? row[column] : "";
  }
  return "";
}

// No two-byte character cut in half at the end.
bool IsWholeCharacters(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) i += IsLeadByte(text[i]) ? 2 : 1;
  return i == text.size();
}

const std::vector<std::string> kAll = {kBefore, kCode, kAfter};
const std::vector<std::string> kWithoutCode = {kBefore, kAfter};
const std::vector<std::string> kFirstOnly = {kBefore};

struct Case {
  const char* situation;
  std::function<void(const fs::path& data)> arrange{};  // breaks the data directory or Setting.ini
  Serve serve{};                                      // pages decided per request
  std::string store{};                                // the store's address; empty: the test's
  bool outputFolderMissing = false;                   // --out names a file in no folder
  const char* message = "";                           // the line the user sees ("" none)
  const char* secondMessage = "";                     // and in the next batch
  bool outputFile = true;                             // whether batch 1 leaves an output file
  std::vector<std::string> first = kAll;              // ISBNs of its lines
  std::vector<std::string> second = kAll;             // ISBNs of the next batch's lines
  int exitCode = 0;
  const char* author = "汐崎 琴里";                   // kCode's author when batch 1 found all
  std::size_t readingBytes = 8;                       // the bytes of its reading (half-width)
};

}  // namespace

// Every case runs two batches of the three codes in one mardel process.
TEST_F(BadInput, WholeBatchesSurviveBadPagesAndFiles) {
  const std::string longPage = [] {
    std::string page = ProductOfCode();
    std::string filler;
    const std::string row = "<li class=\"stRelated\"><a href=\"/product/9.html\">関連する本の題名がここに入ります</a></li>\n";
    while (filler.size() < 20u * 1024 * 1024) filler += row;
    page.insert(page.find("</body>"), filler);
    return page;
  }();
  // The text ends at the NUL: the author line becomes one of the last two lines, never read.
  std::string nulPage = ProductOfCode();
  nulPage.insert(nulPage.find("<p>発売日"), std::string("\0", 1));
  // The author block runs to the end of the page.
  std::string cutPage = ProductOfCode();
  cutPage = cutPage.substr(0, cutPage.find("<!-- .stOverview")) + "<ul class=\"stIcons\">\n<li>";
  std::string badUtf8Search = SearchPage(kProductPath);
  badUtf8Search.insert(badUtf8Search.find("<body>"), "<p>\x80\xBF</p>\n");
  std::string badUtf8Product = ProductOfCode();
  badUtf8Product.insert(badUtf8Product.find("<body>"), "<p>\xFE\xFF</p>\n");
  const std::string titleLine = std::string("<h1 class=\"stTitle\">") + kHeading + "</h1>";
  const fs::path authDb = data_.path() / "AuthDB.dat";
  const std::vector<std::string> none;

  const Case cases[] = {
      {.situation = "search page not UTF-8",
       .serve = FirstTime(kSearchPath, badUtf8Search),
       .message = "UTF-8 Unknown code.",
       .first = kFirstOnly,
       .exitCode = 1},
      {.situation = "product page not UTF-8",
       .serve = FirstTime(kProductPath, badUtf8Product),
       .message = "UTF-8 Unknown code.",
       .first = kFirstOnly,
       .exitCode = 1},
      {.situation = "page cut inside the author block", .serve = FirstTime(kProductPath, cutPage)},
      {.situation = "page of 0 lines", .serve = FirstTime(kProductPath, ""), .first = kWithoutCode},
      {.situation = "page of 1 line", .serve = FirstTime(kProductPath, titleLine), .first = kWithoutCode},
      {.situation = "page of 2 lines",
       .serve = FirstTime(kProductPath, titleLine + "\n</html>\n"),
       .first = kWithoutCode},
      {.situation = "page of 20 MB", .serve = FirstTime(kProductPath, longPage)},
      {.situation = "NUL byte after the author block", .serve = FirstTime(kProductPath, nulPage),
       .author = "",
       .readingBytes = 0},
      {.situation = "lines ended by CR alone", .serve = FirstTime(kProductPath, ProductOfCode("\r"))},
      {.situation = "no dictionaries",
       .arrange = [](const fs::path& data) { fs::remove(data / "AuthDB.dat"); },
       .author = "汐崎ことり",
       .readingBytes = 0},
      {.situation = "folders in place of the dictionaries",
       .arrange =
           [](const fs::path& data) {
             fs::remove(data / "AuthDB.dat");
             for (const char* name : {"AuthDB.dat", "PubDB.dat", "LabelsDB.dat"}) fs::create_directory(data / name);
           },
       .author = "汐崎ことり",
       .readingBytes = 0},
      // /proc/self/mem is a file that even root cannot read from its start. It takes the author
      // dictionary's place while the first book's product page is served.
      {.situation = "author dictionary that cannot be read",
       .serve =
           [authDb](const std::string& path, int count, host::SampleStore::Reply&) {
             if (path == "/product/1001.html" && count == 1) {
               fs::remove(authDb);
               fs::create_symlink("/proc/self/mem", authDb);
             }
             return false;
           },
       .message = "AuthDB.dat\": Input/output error",
       .secondMessage = "AuthDB.dat\": Input/output error",
       .first = kFirstOnly,
       .second = none,
       .exitCode = 1},
      {.situation = "reading of more than 255 bytes",
       .arrange =
           [](const fs::path& data) {
             std::string reading = "ア";  // then 150 two-byte characters: cut after the 127th
             for (int k = 0; k < 75; ++k) reading += "漢字";
             WriteFile(data / "AuthDB.dat", AuthorDictionary(reading));
           },
       .readingBytes = 255},
      {.situation = "garbled Setting.ini",
       .arrange =
           [](const fs::path&) {
             WriteFile(InstallDir() / "Setting.ini",
                       std::string("\xFF\xFE[Entry\0]\n=\n[Entry]]\nPurachaseSet\nTaxSet==\x81\n\x01ReadSet=\"\n", 43));
           }},
      {.situation = "store unreachable",
       .store = "http://127.0.0.1:1",
       .message = "インターネットに接続されていません",
       .secondMessage = "インターネットに接続されていません",
       .first = none,
       .second = none,
       .exitCode = 1},
      {.situation = "search page 404", .serve = FirstTime(kSearchPath, "", 404), .first = kWithoutCode},
      {.situation = "product link with a foreign scheme",
       .serve = FirstTime(kSearchPath, SearchPage("ftp://127.0.0.1/product/2001.html")),
       .first = kWithoutCode},
      {.situation = "output file in a folder that does not exist",
       .outputFolderMissing = true,
       .message = "検索結果を書き込めませんでした: ",
       .secondMessage = "検索結果を書き込めませんでした: ",
       .outputFile = false,
       .first = none,
       .second = none,
       .exitCode = 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    // Each case from the same start: the author dictionary in place, no Setting.ini.
    for (const char* name : {"AuthDB.dat", "PubDB.dat", "LabelsDB.dat"}) fs::remove_all(data_.path() / name);
    WriteFile(authDb, AuthorDictionary());
    fs::remove(InstallDir() / "Setting.ini");
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      requests_.clear();
    }
    serve_ = c.serve;
    if (c.arrange) c.arrange(data_.path());

    const fs::path outFile = c.outputFolderMissing ? work_.path() / "missing" / "result.txt" : OutFile();
    const RunResult r = RunTwoBatches(outFile.string(), c.store.empty() ? store_.BaseUrl() : c.store);
    const Output first = ReadOutput(outFile);
    const Output second = ReadOutput(outFile.string() + ".2");
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(first.exists, c.outputFile);
    EXPECT_EQ(second.exists, c.outputFile);
    EXPECT_EQ(first.Isbns(), c.first) << r.err;
    EXPECT_EQ(second.Isbns(), c.second) << r.err;
    for (const Output* out : {&first, &second}) {
      for (const auto& row : out->rows) EXPECT_EQ(row.size(), 68u);
    }
    if (first.Isbns() == kAll) {
      EXPECT_EQ(platform::Cp932ToUtf8(ColumnOfCode(first, 5)), c.author);
      EXPECT_EQ(ColumnOfCode(first, 6).size(), c.readingBytes);
      EXPECT_TRUE(IsWholeCharacters(ColumnOfCode(first, 6)));
    }
    const auto messages = MessagesOfBatches(r.err);
    for (std::size_t batch = 0; batch < 2; ++batch) {
      const std::string expected = batch == 0 ? c.message : c.secondMessage;
      if (expected.empty()) {
        EXPECT_TRUE(messages[batch].empty()) << r.err;
      } else {
        ASSERT_EQ(messages[batch].size(), 1u) << r.err;
        EXPECT_NE(messages[batch][0].find(expected), std::string::npos) << r.err;
      }
    }
    std::error_code error;
    fs::remove(outFile, error);
    fs::remove(outFile.string() + ".2", error);
  }
}

// funcGetInfo as a host calls it, with buffers of exactly the size it passes: nothing is
// written past them, and only the low 16 bits of the size count.
TEST_F(BadInput, GetInfoWithAnyBufferSize) {
  const auto getInfo = reinterpret_cast<FuncGetInfoType>(
      platform::FindFunction(platform::LoadPluginModule(TARVO_PLUGIN_PATH), "funcGetInfo"));
  ASSERT_NE(getInfo, nullptr);
  struct Size {
    int bufferSize;
    std::size_t room;     // the bytes the buffers may take
    const char* title;    // what the title buffer holds afterwards (nullptr: untouched)
  };
  const Size sizes[] = {
      {0, 0, nullptr},
      {1, 1, ""},
      {65536, 0, nullptr},  // low 16 bits 0
      {65541, 5, "ISBN"},   // low 16 bits 5
      {256, 256, "ISBN検索 tarvo"},
  };
  for (const Size& s : sizes) {
    SCOPED_TRACE(s.bufferSize);
    // Buffers as large as the size passed (one byte for 0, to see that it stays untouched),
    // on the heap so that AddressSanitizer sees a write past them.
    const std::size_t allocated = std::max<std::size_t>(static_cast<std::size_t>(s.bufferSize), 1);
    std::array<std::unique_ptr<char[]>, 5> b;
    for (auto& buffer : b) {
      buffer = std::make_unique<char[]>(allocated);
      std::memset(buffer.get(), 'Z', allocated);
    }
    getInfo(0, b[0].get(), b[1].get(), b[2].get(), b[3].get(), b[4].get(), s.bufferSize);
    if (s.title == nullptr) {
      for (auto& buffer : b) EXPECT_EQ(buffer[0], 'Z');
      continue;
    }
    EXPECT_EQ(std::string(b[1].get()), platform::Utf8ToCp932(s.title));
    for (auto& buffer : b) {
      EXPECT_LT(std::strlen(buffer.get()), s.room);
      // Past the terminating zero the buffer is as it was.
      const std::size_t end = std::strlen(buffer.get()) + 1;
      for (std::size_t k = end; k < std::min<std::size_t>(allocated, end + 8); ++k) EXPECT_EQ(buffer[k], 'Z');
    }
  }
}

}  // namespace tarvo::testing

#endif  // TARVO_WITH_SAMPLE_STORE
