#include "normalise/authors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "dictionaries/dictionaries.h"
#include "normalise/credits.h"
#include "page/sjis_literal.h"
#include "platform/platform.h"
#include "record/book_record.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

// The six fields assignment writes.
struct Authors {
  std::string_view author1, kana1, author2, kana2, others, note1;
};

std::string Show(std::string_view sjis) { return "\"" + platform::Cp932ToUtf8(sjis) + "\""; }

void ExpectAuthors(const Authors& want, const std::string& context) {
  EXPECT_EQ(BookRecord.Author1, want.author1) << context << " Author1 " << Show(BookRecord.Author1);
  EXPECT_EQ(BookRecord.Author1Kana, want.kana1) << context << " Author1Kana " << Show(BookRecord.Author1Kana);
  EXPECT_EQ(BookRecord.Author2, want.author2) << context << " Author2 " << Show(BookRecord.Author2);
  EXPECT_EQ(BookRecord.Author2Kana, want.kana2) << context << " Author2Kana " << Show(BookRecord.Author2Kana);
  EXPECT_EQ(BookRecord.OtherAuthors, want.others) << context << " OtherAuthors " << Show(BookRecord.OtherAuthors);
  EXPECT_EQ(BookRecord.Author1Note, want.note1) << context << " Author1Note " << Show(BookRecord.Author1Note);
}

// Fixed arrays rather than vectors: clang 14 fails on "..."_sj inside a vector's braces.
// Empty entries are unused.
struct AssignCase {
  std::string_view dictionary[2];  // AuthDB.dat lines; none: no file
  std::string_view items[5];       // AuthorList
  Authors want;
};

// A data directory whose AuthDB.dat each case writes afresh.
class AssignAuthorsTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("tarvo_authors_") + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    data_dir_ = dir_.string() + platform::PathSeparator();
  }
  void TearDown() override {
    ReleaseDictionaries();
    AuthorList.clear();
    ClearBookRecord();
    fs::remove_all(dir_);
  }

  void UseDictionary(std::string_view bytes) {
    std::ofstream out(dir_ / "AuthDB.dat", std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    LoadAuthorDictionary(data_dir_);
  }

  void Run(const AssignCase& c) {
    fs::remove(dir_ / "AuthDB.dat");
    std::string text;
    for (std::string_view line : c.dictionary) {
      if (!line.empty()) text.append(line).append("\r\n");
    }
    if (text.empty()) {
      LoadAuthorDictionary(data_dir_);
    } else {
      UseDictionary(text);
    }
    ClearBookRecord();
    AuthorList.clear();
    for (std::string_view item : c.items) {
      if (!item.empty()) AuthorList.emplace_back(item);
    }
    AssignAuthors(true, true, true, "");
    ExpectAuthors(c.want, Show(c.items[0]));
  }

  fs::path dir_;
  std::string data_dir_;
};

TEST_F(AssignAuthorsTest, FirstTwoDistinctNamesThenFurtherCredits) {
  const AssignCase cases[] = {
      {{}, {}, {}},
      {{}, {"0山田"_sj, "2鈴木"_sj}, {"山田"_sj, "", "鈴木"_sj, "", "", ""}},
      {{}, {"0山田"_sj, "2鈴木"_sj, "3佐藤 [脚本]"_sj}, {"山田"_sj, "", "鈴木"_sj, "", "佐藤 [脚本]"_sj, ""}},
      {{},
       {"0山田"_sj, "2鈴木"_sj, "3佐藤 [脚本]"_sj, "4高橋 [監修]"_sj},
       {"山田"_sj, "", "鈴木"_sj, "", "佐藤 [脚本]\r\n高橋 [監修]"_sj, ""}},
      // A bracket reading; anything after it, the role label included, goes.
      {{}, {"1山田［やまだ］"_sj}, {"山田"_sj, "やまだ"_sj, "", "", "", ""}},
      {{}, {"0山田"_sj, "5鈴木［すずき］ [訳]"_sj}, {"山田"_sj, "", "鈴木"_sj, "すずき"_sj, "", ""}},
      {{}, {"1山田［やまだ"_sj}, {"山田"_sj, "やまだ"_sj, "", "", "", ""}},  // runs to the end
  };
  for (const auto& c : cases) Run(c);
}

TEST_F(AssignAuthorsTest, DictionaryNameReadingAndNote) {
  const std::string_view entry = "|山田|山田 太郎|ﾔﾏﾀﾞ ﾀﾛｳ|漫画家|"_sj;
  const AssignCase cases[] = {
      {{entry}, {"1山田［やまだ］"_sj}, {"山田 太郎"_sj, "ﾔﾏﾀﾞ ﾀﾛｳ"_sj, "", "", "", "漫画家"_sj}},
      // No dictionary reading: the bracket reading stays.
      {{"|山田|山田 太郎||漫画家|"_sj}, {"1山田［やまだ］"_sj}, {"山田 太郎"_sj, "やまだ"_sj, "", "", "", "漫画家"_sj}},
      // The second item has no entry: its own bracket reading, never the first one's.
      {{entry}, {"1山田"_sj, "0鈴木［すずき］"_sj}, {"山田 太郎"_sj, "ﾔﾏﾀﾞ ﾀﾛｳ"_sj, "鈴木"_sj, "すずき"_sj, "", "漫画家"_sj}},
      {{entry}, {"1山田"_sj, "0鈴木"_sj}, {"山田 太郎"_sj, "ﾔﾏﾀﾞ ﾀﾛｳ"_sj, "鈴木"_sj, "", "", "漫画家"_sj}},
      // The note belongs to the first author only.
      {{"|鈴木|鈴木|ｽｽﾞｷ|作家|"_sj}, {"0山田"_sj, "0鈴木"_sj}, {"山田"_sj, "", "鈴木"_sj, "ｽｽﾞｷ"_sj, "", ""}},
      {{"|鈴木|鈴木 一|ｽｽﾞｷ|作家|"_sj},
       {"0山田"_sj, "0佐藤"_sj, "3鈴木 [脚本]"_sj},
       {"山田"_sj, "", "佐藤"_sj, "", "鈴木 [脚本]"_sj, ""}},  // the label is part of the name
      // The key is found in another column first: that place wins.
      {{"|x|y|山田|z|"_sj, entry}, {"0山田"_sj}, {"z", "", "", "", "", ""}},
      // Key forms: marks, katakana "ニ", full-width letters.
      {{"|山田太郎|山田太郎|ﾔﾏﾀﾞ|"_sj}, {"0山田・太郎☆"_sj}, {"山田太郎"_sj, "ﾔﾏﾀﾞ"_sj, "", "", "", ""}},
      {{"|二ｼ|西|ﾆｼ|"_sj}, {"0ニシ"_sj}, {"西"_sj, "ﾆｼ"_sj, "", "", "", ""}},
      {{"|ABC|エービーシー|ｴ-ﾋﾞ-ｼ-|"_sj}, {"0ＡＢＣ"_sj}, {"エービーシー"_sj, "ｴ-ﾋﾞ-ｼ-"_sj, "", "", "", ""}},
      {{"|ﾆｼ|x|y|"_sj}, {"0ニシ"_sj}, {"ニシ"_sj, "", "", "", "", ""}},  // not filed under "ﾆ"
  };
  for (const auto& c : cases) Run(c);
}

// Duplicates are tested by byte search against everything assigned so far.
TEST_F(AssignAuthorsTest, DuplicatesAndContainedNames) {
  const AssignCase cases[] = {
      {{}, {"0山田"_sj, "1山田"_sj}, {"山田"_sj, "", "", "", "", ""}},
      {{}, {"0山田太郎"_sj, "0山田"_sj}, {"山田太郎"_sj, "", "", "", "", ""}},
      {{}, {"0山田"_sj, "0山田太郎"_sj}, {"山田"_sj, "", "山田太郎"_sj, "", "", ""}},
      {{}, {"0山田"_sj, "4山田 [監修]"_sj}, {"山田"_sj, "", "山田 [監修]"_sj, "", "", ""}},
      {{}, {"4山田 [監修]"_sj, "0山田"_sj}, {"山田 [監修]"_sj, "", "", "", "", ""}},
      {{}, {"0a", "0b", "0c", "0c", "0bc"}, {"a", "", "b", "", "c\r\nbc", ""}},
      // Two page spellings of one dictionary name are assigned once.
      {{"|山田|山田太郎|やまだ|"_sj, "|ﾔﾏﾀﾞ|山田太郎|やまだ|"_sj},
       {"0山田"_sj, "0ヤマダ"_sj, "0鈴木"_sj},
       {"山田太郎"_sj, "やまだ"_sj, "鈴木"_sj, "", "", ""}},
  };
  for (const auto& c : cases) Run(c);
}

TEST_F(AssignAuthorsTest, EmptyNamesAndMarks) {
  const AssignCase cases[] = {
      // Only a reading: Author1 stays empty, so the next name overwrites name and reading.
      {{}, {"1［やまだ］"_sj}, {"", "やまだ"_sj, "", "", "", ""}},
      {{}, {"1［やまだ］"_sj, "0鈴木"_sj}, {"鈴木"_sj, "", "", "", "", ""}},
      // An empty key form is not looked up, so no empty column of another entry is taken.
      {{"|x|y||z|"}, {"1［やまだ］"_sj}, {"", "やまだ"_sj, "", "", "", ""}},
      {{"|x|y||z|"}, {"0☆★"_sj}, {"☆★"_sj, "", "", "", "", ""}},
      {{"|x|y||z|"}, {"0"}, {"", "", "", "", "", ""}},
  };
  for (const auto& c : cases) Run(c);
  AuthorList = {""};  // not even a role code
  AssignAuthors(true, true, true, "");
  ExpectAuthors({}, "empty item");
}

// An entry is read up to the end of its own line, whether or not the line ends in "|".
TEST_F(AssignAuthorsTest, DictionaryLinesWithoutClosingMark) {
  const AssignCase cases[] = {
      {{"|ｽｽﾞｷ|鈴木|ｽｽﾞｷ"_sj, "|next|N|R|X|"}, {"0ｽｽﾞｷ"_sj}, {"鈴木"_sj, "ｽｽﾞｷ"_sj, "", "", "", ""}},
      {{"|ｽｽﾞｷ|鈴木"_sj, "|next|N|R|X|"}, {"0ｽｽﾞｷ"_sj}, {"鈴木"_sj, "", "", "", "", ""}},
      {{"|a|A|"}, {"0x"}, {"x", "", "", "", "", ""}},
      {{"|a|A|ra|na|more|columns|"}, {"0a"}, {"A", "ra", "", "", "", "na"}},
      {{"|a|"}, {"0a"}, {"", "", "", "", "", ""}},  // an empty entry gives an empty name
  };
  for (const auto& c : cases) Run(c);
  // The last line of a file without a line break.
  UseDictionary("|a|A|ra");
  ClearBookRecord();
  AuthorList = {"0a"};
  AssignAuthors(true, true, true, "");
  ExpectAuthors({"A", "ra", "", "", "", ""}, "last line");
}

TEST_F(AssignAuthorsTest, FlagsAndPrefix) {
  AuthorList = {"0a", "0b", "0c"};
  AssignAuthors(false, true, true, "* ");
  ExpectAuthors({"", "", "a", "", "* b\r\n* c", ""}, "no first");
  ClearBookRecord();
  AssignAuthors(true, false, false, "");
  ExpectAuthors({"a", "", "", "", "", ""}, "first only");
}

TEST_F(AssignAuthorsTest, AccumulatesOverCreditLinesAndTrimsFurtherCredits) {
  ClearBookRecord();
  BookRecord.OtherAuthors = "\r\n kept \t";
  AuthorList.clear();
  AssignAuthors(true, true, true, "");
  ExpectAuthors({"", "", "", "", "kept", ""}, "empty list");

  ClearBookRecord();
  UseDictionary("|山田|山田 太郎|ﾔﾏﾀﾞ|メモ|\r\n"_sj);
  for (std::string_view line : {"山田著［やまだ］／鈴木イラスト"_sj, "佐藤〔訳〕／山田"_sj, "高橋：編"_sj}) {
    AuthorList.clear();
    ParseAuthorCredits(line);
    AssignAuthors(true, true, true, "");
  }
  ExpectAuthors({"山田 太郎"_sj, "ﾔﾏﾀﾞ"_sj, "鈴木"_sj, "", "佐藤 [訳]\r\n高橋 [編]"_sj, "メモ"_sj}, "page");
}

TEST_F(AssignAuthorsTest, LongNamesAndLargeDictionary) {
  std::string text;
  text.reserve(100000 * 24);
  for (int i = 0; i < 99999; ++i) {
    const std::string n = std::to_string(i);
    text += "|k" + n + "|name" + n + "|r" + n + "|\r\n";
  }
  std::string long_name;
  for (int i = 0; i < 300; ++i) long_name.append("あ"_sj);
  text += "|" + long_name.substr(0, 254) + std::string("|long|ﾛﾝｸﾞ|\r\n"_sj);
  UseDictionary(text);
  ClearBookRecord();
  // Beyond 255 bytes the key form is cut at a whole character, and the cut key is what is found.
  AuthorList = {"0k99998", "0" + long_name};
  AssignAuthors(true, true, true, "");
  ExpectAuthors({"name99998", "r99998", "long", "ﾛﾝｸﾞ"_sj, "", ""}, "large");
}

}  // namespace
}  // namespace tarvo
