// Batches run in this test program, which exports the host functions as mardel does: several
// batches in one process, and the entry points called directly.
#if defined(TARVO_WITH_SAMPLE_STORE)

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstring>

#include "host/lookup.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "platform/platform.h"
#include "plugin/abi.h"
#include "store_fixture.h"

namespace tarvo::testing {
namespace {

const char* const kCodes[] = {"9784861203312", "9784801541542", "9784792214043"};

class InProcessBatch : public ::testing::Test {
 protected:
  InProcessBatch() : plugin_(TARVO_PLUGIN_PATH) {
    store_.AddBook(kCodes[0], "1001", "星の庭 3 (青葉文庫)");
    store_.AddBook(kCodes[1], "1002", "月の舟 2 (ひだまりコミックス)");
    store_.AddBook(kCodes[2], "1003", "風の坂道 1 (白鷺文庫)");
  }
  void SetUp() override {
    ASSERT_TRUE(plugin_.Loaded()) << plugin_.Error();
    store_.Start();
    platform::SetEnvironmentValue("TARVO_STORE_URL", store_.BaseUrl());
  }

  // One batch of `codes`; the ISBN column of each line written.
  std::vector<std::string> Run(const std::vector<std::string>& codes) {
    const host::BatchOutcome outcome = host::RunLookup(plugin_, data_.AsDataDir(), OutFile(), codes);
    std::vector<std::string> isbns;
    for (const auto& row : outcome.rows) isbns.push_back(row.at(0));
    return isbns;
  }
  std::string OutFile() const { return (work_.path() / "result.txt").string(); }
  static std::vector<std::string> All() { return {std::begin(kCodes), std::end(kCodes)}; }

  TestStore store_;
  TempDir data_;
  TempDir work_;
  host::Plugin plugin_;
};

// Ctrl-C during a batch stops it after the current code and keeps what was found; the next
// batch in the same process runs in full.
TEST_F(InProcessBatch, StopEndsOneBatchOnly) {
  bool interrupt = true;
  store_.server().SetHook([&](const std::string& path, host::SampleStore::Reply&) {
    if (path == "/product/1001.html" && interrupt) {
      interrupt = false;
      std::raise(SIGINT);  // the plug-in's handler only raises its flag
    }
    return false;
  });
  EXPECT_EQ(Run(All()), std::vector<std::string>{kCodes[0]});
  EXPECT_FALSE(interrupt);
  EXPECT_EQ(Run(All()), All());
}

// A failure that ends a batch is shown as a message and leaves nothing behind that breaks the
// next batch.
TEST_F(InProcessBatch, FailureDoesNotBreakTheNextBatch) {
  const std::string bad = "9784833100496";
  std::string badSearch = SearchPage("/product/1001.html");
  badSearch.insert(badSearch.find("<body>"), "\xFE\n");
  const fs::path authorDictionary = data_.path() / "AuthDB.dat";
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::function<void()> repair;
    const char* message;
  };
  const Case cases[] = {
      {"page not UTF-8", [&] { store_.AddSearch(bad, badSearch); },
       [&] { store_.AddSearch(bad, SearchPage("/product/1001.html")); }, "UTF-8 Unknown code.\n"},
      {"dictionary cannot be read", [&] { fs::create_symlink("/proc/self/mem", authorDictionary); },
       [&] { fs::remove(authorDictionary); }, "AuthDB.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.arrange();
    ::testing::internal::CaptureStderr();
    const std::vector<std::string> first = Run({bad, kCodes[0]});
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(platform::FileExists(OutFile()));
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    c.repair();
    EXPECT_EQ(Run(All()), All());
  }
}

TEST_F(InProcessBatch, EmptyCodeLists) {
  DownlaodFuncType lookup =
      reinterpret_cast<DownlaodFuncType>(platform::FindFunction(platform::LoadPluginModule(TARVO_PLUGIN_PATH),
                                                                "DownlaodFunc"));
  ASSERT_NE(lookup, nullptr);
  struct Case {
    const char* name;
    const char* codeList;
    bool outputFile;
    const char* message;
  };
  const Case cases[] = {
      {"no list", nullptr, false, "検索するISBNを取得できませんでした"},
      {"empty list", "", false, "検索するISBNを取得できませんでした"},
      {"one empty line", "\r\n", true, ""},  // one pass, the check refuses the empty code
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(OutFile(), "from an earlier batch\r\n");
    ::testing::internal::CaptureStderr();
    lookup(data_.AsDataDir().c_str(), OutFile().c_str(), c.codeList);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(platform::FileExists(OutFile()), c.outputFile);
    if (c.outputFile) {
      EXPECT_EQ(ReadFile(OutFile()), "");
    }
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
  }
}

TEST_F(InProcessBatch, ExportedGetInfoRespectsTheBufferSize) {
  const auto getInfo = reinterpret_cast<FuncGetInfoType>(
      platform::FindFunction(platform::LoadPluginModule(TARVO_PLUGIN_PATH), "funcGetInfo"));
  ASSERT_NE(getInfo, nullptr);
  struct Case {
    int bufferSize;
    const char* version;  // nullptr: nothing written
  };
  const Case cases[] = {{0x10000, nullptr}, {0, nullptr}, {0x10004, "1.1"}, {32, "1.1.8"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bufferSize);
    std::array<std::array<char, 40>, 5> b;
    for (auto& buffer : b) buffer.fill('Z');
    getInfo(0, b[0].data(), b[1].data(), b[2].data(), b[3].data(), b[4].data(), c.bufferSize);
    if (c.version == nullptr) {
      for (auto& buffer : b) EXPECT_EQ(buffer[0], 'Z');
      continue;
    }
    EXPECT_STREQ(b[3].data(), c.version);
    EXPECT_EQ(b[3][std::strlen(c.version) + 1], 'Z');
  }
  std::array<std::array<char, 64>, 5> b{};
  getInfo(0, b[0].data(), b[1].data(), b[2].data(), b[3].data(), b[4].data(), 64);
  EXPECT_STREQ(b[0].data(), "DownlaodFunc");
  EXPECT_EQ(std::string(b[1].data()), "ISBN検索 tarvo"_sj);
  EXPECT_STREQ(b[4].data(), "3");
}

}  // namespace
}  // namespace tarvo::testing

#endif  // TARVO_WITH_SAMPLE_STORE
