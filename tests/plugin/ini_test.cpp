// The INI reader behind Setting.ini and tarvo.ini.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "page/sjis_literal.h"
#include "platform/platform.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

class IniFile : public ::testing::Test {
 protected:
  IniFile() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("tarvo-ini-" + std::to_string(random()) + ".ini");
  }
  ~IniFile() override {
    std::error_code error;
    fs::remove(path_, error);
  }
  void Write(std::string_view text) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  std::string Read(const char* section, const char* key) {
    return platform::ReadIniString(path_.string(), section, key, "fallback");
  }
  fs::path path_;
};

TEST_F(IniFile, FindsKeysByTheProfileRules) {
  struct Case {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::string expected;
  };
  const Case cases[] = {
      {"plain", "[Entry]\nTaxSet=1\n", "Entry", "TaxSet", "1"},
      {"names ignore case", "[entry]\r\ntaxset=2\r\n", "Entry", "TaxSet", "2"},
      {"blanks around name and value", "  [ Entry ]  \n\t TaxSet \t=\t 3 \t\n", "Entry", "TaxSet", "3"},
      {"quotes removed", "[Entry]\nReadSet=\" spaced \"\n", "Entry", "ReadSet", " spaced "},
      {"single quotes removed", "[Entry]\nReadSet='x'\n", "Entry", "ReadSet", "x"},
      {"unmatched quote kept", "[Entry]\nReadSet=\"x\n", "Entry", "ReadSet", "\"x"},
      {"empty value is a value", "[Entry]\nTaxSet=\n", "Entry", "TaxSet", ""},
      {"first key wins", "[Entry]\nTaxSet=1\nTaxSet=2\n", "Entry", "TaxSet", "1"},
      {"key of another section", "[Other]\nTaxSet=1\n[Entry]\nReadSet=x\n", "Entry", "TaxSet", "fallback"},
      {"only the first section of a name", "[Entry]\nA=1\n[X]\n[Entry]\nTaxSet=9\n", "Entry", "TaxSet", "fallback"},
      {"comments", "[Entry]\n;TaxSet=1\n#TaxSet=2\nTaxSet=3\n", "Entry", "TaxSet", "3"},
      {"before any section", "TaxSet=1\n[Entry]\n", "Entry", "TaxSet", "fallback"},
      {"no section", "", "Entry", "TaxSet", "fallback"},
      {"equals sign in the value", "[Store]\nBaseUrl=http://h/?a=b\n", "Store", "BaseUrl", "http://h/?a=b"},
      {"lone CR line ends", "[Entry]\rTaxSet=4\r", "Entry", "TaxSet", "4"},
      {"Shift-JIS bytes as they are", "[Entry]\r\nPurachaseSet=" + std::string("未購入"_sj) + "\r\n", "Entry",
       "PurachaseSet", std::string("未購入"_sj)},
#if !defined(_WIN32)
      {"UTF-8 file converted", "[Entry]\nPurachaseSet=未購入\n", "Entry", "PurachaseSet", std::string("未購入"_sj)},
      {"UTF-8 with a byte order mark", "\xEF\xBB\xBF[Entry]\nReadSet=未読\n", "Entry", "ReadSet",
       std::string("未読"_sj)},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(c.text);
    EXPECT_EQ(Read(c.section, c.key), c.expected);
  }
}

TEST_F(IniFile, MissingFileGivesTheFallback) { EXPECT_EQ(Read("Entry", "TaxSet"), "fallback"); }

TEST_F(IniFile, FolderInPlaceOfTheFileGivesTheFallback) {
  fs::create_directory(path_);
  EXPECT_EQ(Read("Entry", "TaxSet"), "fallback");
}

}  // namespace
}  // namespace tarvo
