#include "dictionaries/dictionaries.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "page/markup.h"
#include "page/sjis_literal.h"
#include "platform/platform.h"
#include "record/book_record.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

// A dictionary file's bytes: each non-empty entry of `lines` followed by CR LF. (Fixed arrays
// rather than vectors: clang 14 fails on "..."_sj inside a vector's braces.)
template <std::size_t N>
std::string Lines(const std::string_view (&lines)[N]) {
  std::string text;
  for (std::string_view line : lines) {
    if (line.empty()) continue;
    text.append(line);
    text.append("\r\n");
  }
  return text;
}

// A fresh data directory per test, holding only the files a test writes.
class DictionaryTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("tarvo_dict_") + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    data_dir_ = dir_.string() + platform::PathSeparator();
    ClearBookRecord();
  }
  void TearDown() override {
    ReleaseDictionaries();
    ClearBookRecord();
    fs::remove_all(dir_);
  }

  void Write(const char* name, std::string_view bytes) {
    std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  void Remove(const char* name) { fs::remove(dir_ / name); }

  fs::path dir_;
  std::string data_dir_;
};

TEST(ToDictionaryKey, MarksWidthSpacesAndProlongedSoundMark) {
  struct Case {
    std::string_view name, want;
  } cases[] = {
      {"スーパー・ブックス☆"_sj, "ｽ-ﾊﾟ-ﾌﾞｯｸｽ"_sj},
      {"山田・太郎"_sj, "山田太郎"_sj},
      {"★☆♪・"_sj, ""},
      {"ニシ"_sj, "二ｼ"_sj},             // katakana ni is filed as the kanji two
      {"ＡＢＣ　１２３"_sj, "ABC123"},    // the wide space becomes a space, then goes
      {" a b \t", "ab"},
      {"ｰ"_sj, "-"},
      {"芦"_sj, "芦"_sj},                 // 88 B0: a trail byte 0xB0 is not the sound mark
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ToDictionaryKey(c.name), c.want) << platform::Cp932ToUtf8(c.name);
}

TEST(ToDictionaryKey, LongNamesAreCutAtAWholeCharacter) {
  EXPECT_EQ(ToDictionaryKey(std::string(300, 'a')), std::string(255, 'a'));
  std::string kana;
  for (int i = 0; i < 300; ++i) kana.append("あ"_sj);
  const std::string key = ToDictionaryKey(kana);
  EXPECT_EQ(key.size(), 254u);
  EXPECT_TRUE(key == kana.substr(0, 254));
}

TEST_F(DictionaryTest, PublisherFromTheCodesPublisherPart) {
  struct Case {
    std::string_view lines[3];
    std::string_view code, want;
  } cases[] = {
      // ISBN-13: the part starts at the fifth character; the shortest listed part wins.
      {{"|061|Y", "|06|X"}, "9784061234567", "X"},
      {{"|061|Y"}, "9784061234567", "Y"},
      {{"|0612|V"}, "9784061234567", "V"},
      {{"|06123|W"}, "9784061234567", "W"},
      {{"|061234|U"}, "9784061234567", "U"},
      {{"|0612345|T"}, "9784061234567", ""},  // seven digits are never tried
      // ISBN-10: from the second character.
      {{"|06|X"}, "4061234567", "X"},
      {{"|061|Y"}, "4061234567", "Y"},
      {{"|061234|U"}, "4061234567", "U"},
      // Long codes reach the keys with their leading characters only.
      {{"|06123|W"}, "406123456X1920079009500", "W"},
      {{"|061|Y"}, "97840612345671920079009500", "Y"},
      // Other first characters leave the publisher alone.
      {{"|06|X"}, "0061234567", ""},
      {{"|06|X"}, "X061234567", ""},
      {{"||E"}, "", ""},
      // Short codes give short keys.
      {{"|0|S"}, "97840", "S"},
      {{"|06|X"}, "978406", "X"},
      // The value runs to the end of its line, wherever the key stands in it.
      {{"|06|X|"}, "9784061234567", "X|"},
      {{"note|06|X"}, "9784061234567", "X"},
      {{"|062|A", "|06|講談出版"_sj, "|06|B"}, "9784061234567", "講談出版"_sj},
  };
  for (const auto& c : cases) {
    Write("PubDB.dat", Lines(c.lines));
    BookRecord.Publisher.clear();
    BookRecord.ISBN = std::string(c.code);
    LookupPublisher(data_dir_);
    EXPECT_EQ(BookRecord.Publisher, c.want) << c.code << " " << c.lines[0];
  }
}

TEST_F(DictionaryTest, PublisherKeptWhenUnlistedOrNoFile) {
  BookRecord.ISBN = "9784061234567";
  BookRecord.Publisher = "page";
  LookupPublisher(data_dir_);
  EXPECT_EQ(BookRecord.Publisher, "page");
  Write("PubDB.dat", Lines({"|07|X"}));
  LookupPublisher(data_dir_);
  EXPECT_EQ(BookRecord.Publisher, "page");
  // Lone LF and CR end lines as well; a last line without a break is read too.
  Write("PubDB.dat", "|07|X\n|08|Y\r|06|Z");
  LookupPublisher(data_dir_);
  EXPECT_EQ(BookRecord.Publisher, "Z");
}

TEST_F(DictionaryTest, LabelThroughItsKeyForm) {
  struct Case {
    std::string_view publisher, label, want;
  } cases[] = {
      {"X", "スーパー・ブックス☆"_sj, "Y"},
      {"X", "Books", "Books Label"},
      {"X", "", "E"},                                 // empty label column
      {"Z", "スーパー・ブックス☆"_sj, "スーパー・ブックス☆"_sj},  // other publisher
      {"Ｘ"_sj, "Books", "Books"},                    // the publisher enters the key unchanged
      {"", "Books", "Books"},
  };
  Write("LabelsDB.dat", Lines({"|X|ｽ-ﾊﾟ-ﾌﾞｯｸｽ|Y"_sj, "|X|Books|Books Label", "|X||E"}));
  LoadLabelDictionary(data_dir_);
  for (const auto& c : cases) {
    BookRecord.Publisher = std::string(c.publisher);
    BookRecord.Label = std::string(c.label);
    LookupLabel();
    EXPECT_EQ(BookRecord.Label, c.want) << platform::Cp932ToUtf8(c.publisher) << "/" << platform::Cp932ToUtf8(c.label);
  }
}

TEST_F(DictionaryTest, LabelUnchangedWithoutLabelDictionary) {
  LoadLabelDictionary(data_dir_);
  EXPECT_TRUE(LabelDictionary.empty());
  BookRecord.Publisher = "X";
  BookRecord.Label = "";
  LookupLabel();  // an empty dictionary has no "|X||" either
  EXPECT_EQ(BookRecord.Label, "");
  BookRecord.Label = "Books";
  LookupLabel();
  EXPECT_EQ(BookRecord.Label, "Books");
}

TEST_F(DictionaryTest, LoadKeepsLinesAndTheirText) {
  Write("AuthDB.dat", "|a|A|\n|b|B|\r|c|C|");
  LoadAuthorDictionary(data_dir_);
  EXPECT_EQ(AuthorDictionary, (LineList{"|a|A|", "|b|B|", "|c|C|"}));
  EXPECT_EQ(AuthorDictionaryText(), "|a|A|\r\n|b|B|\r\n|c|C|\r\n");
  EXPECT_TRUE(DictionariesHeld());
}

TEST_F(DictionaryTest, EachCodeReadsTheFilesAfresh) {
  Write("AuthDB.dat", Lines({"|a|first|"}));
  Write("LabelsDB.dat", Lines({"|X|L|first"}));
  LoadAuthorDictionary(data_dir_);
  LoadLabelDictionary(data_dir_);

  Write("AuthDB.dat", Lines({"|a|second|"}));
  Write("LabelsDB.dat", Lines({"|X|L|second"}));
  LoadAuthorDictionary(data_dir_);
  LoadLabelDictionary(data_dir_);
  EXPECT_EQ(AuthorDictionary, LineList{"|a|second|"});
  EXPECT_EQ(AuthorDictionaryText(), "|a|second|\r\n");
  BookRecord.Publisher = "X";
  BookRecord.Label = "L";
  LookupLabel();
  EXPECT_EQ(BookRecord.Label, "second");

  // A file gone by the next code leaves an empty list, not the old one.
  Remove("AuthDB.dat");
  Remove("LabelsDB.dat");
  LoadAuthorDictionary(data_dir_);
  LoadLabelDictionary(data_dir_);
  EXPECT_TRUE(AuthorDictionary.empty());
  EXPECT_TRUE(LabelDictionary.empty());
  EXPECT_EQ(AuthorDictionaryText(), "");
  EXPECT_EQ(LabelDictionaryText(), "");
}

TEST_F(DictionaryTest, ReleaseFreesBothListsAndCanBeRepeated) {
  ReleaseDictionaries();  // none held: nothing happens
  EXPECT_FALSE(DictionariesHeld());

  Write("AuthDB.dat", Lines({"|a|A|"}));
  Write("LabelsDB.dat", Lines({"|X|L|M"}));
  LoadAuthorDictionary(data_dir_);
  LoadLabelDictionary(data_dir_);
  ReleaseDictionaries();
  EXPECT_FALSE(DictionariesHeld());
  EXPECT_EQ(AuthorDictionary.capacity(), 0u);
  EXPECT_EQ(LabelDictionary.capacity(), 0u);
  EXPECT_EQ(AuthorDictionaryText().capacity(), std::string().capacity());
  EXPECT_EQ(LabelDictionaryText(), "");
  ReleaseDictionaries();

  // After a release the label lookup has nothing to find; a new batch loads cleanly.
  BookRecord.Publisher = "X";
  BookRecord.Label = "L";
  LookupLabel();
  EXPECT_EQ(BookRecord.Label, "L");
  LoadLabelDictionary(data_dir_);
  LookupLabel();
  EXPECT_EQ(BookRecord.Label, "M");
}

TEST_F(DictionaryTest, HundredThousandLines) {
  std::string text;
  text.reserve(100000 * 24);
  for (int i = 0; i < 99999; ++i) {
    const std::string n = std::to_string(i);
    text += "|P" + n + "|X|L" + n + "|name" + n + "\r\n";
  }
  text += "|X|Last|Final\r\n|999999|Far";  // the publisher line has no line break at all
  Write("LabelsDB.dat", text);
  Write("PubDB.dat", text);
  LoadLabelDictionary(data_dir_);
  EXPECT_EQ(LabelDictionary.size(), 100001u);
  BookRecord.Publisher = "X";
  BookRecord.Label = "Last";
  LookupLabel();
  EXPECT_EQ(BookRecord.Label, "Final");

  BookRecord.ISBN = "9784999999999";
  LookupPublisher(data_dir_);
  EXPECT_EQ(BookRecord.Publisher, "Far");
}

// Within a batch a file is read again only when its size or modification time changed; a new
// batch always reads it again.
TEST_F(DictionaryTest, FilesAreReadOncePerBatchUnlessTheyChange) {
  Write("AuthDB.dat", Lines({"|a|first|"}));
  Write("PubDB.dat", Lines({"|06|first"}));
  // Whole seconds: on Windows the standard library sets file times to the second only.
  const auto authorTime = std::chrono::floor<std::chrono::seconds>(fs::last_write_time(dir_ / "AuthDB.dat"));
  const auto publisherTime = std::chrono::floor<std::chrono::seconds>(fs::last_write_time(dir_ / "PubDB.dat"));
  fs::last_write_time(dir_ / "AuthDB.dat", authorTime);
  fs::last_write_time(dir_ / "PubDB.dat", publisherTime);
  BookRecord.ISBN = "9784061234567";
  LoadAuthorDictionary(data_dir_);
  LookupPublisher(data_dir_);
  EXPECT_EQ(BookRecord.Publisher, "first");

  // Same size, same time: the batch keeps what it read.
  Write("AuthDB.dat", Lines({"|a|other|"}));
  Write("PubDB.dat", Lines({"|06|other"}));
  fs::last_write_time(dir_ / "AuthDB.dat", authorTime);
  fs::last_write_time(dir_ / "PubDB.dat", publisherTime);
  LoadAuthorDictionary(data_dir_);
  LookupPublisher(data_dir_);
  EXPECT_EQ(AuthorDictionaryText(), "|a|first|\r\n");
  EXPECT_EQ(BookRecord.Publisher, "first");

  // The next batch reads the files as they are now.
  ReleaseDictionaries();
  LoadAuthorDictionary(data_dir_);
  LookupPublisher(data_dir_);
  EXPECT_EQ(AuthorDictionaryText(), "|a|other|\r\n");
  EXPECT_EQ(BookRecord.Publisher, "other");

  // Within a batch, another size or another time is another file; so is another folder.
  Write("AuthDB.dat", Lines({"|a|longer|"}));
  LoadAuthorDictionary(data_dir_);
  EXPECT_EQ(AuthorDictionary, LineList{"|a|longer|"});
  Write("AuthDB.dat", Lines({"|a|newer|"}));
  fs::last_write_time(dir_ / "AuthDB.dat", authorTime + std::chrono::seconds(5));
  LoadAuthorDictionary(data_dir_);
  EXPECT_EQ(AuthorDictionary, LineList{"|a|newer|"});
  const fs::path other = dir_ / "other";
  fs::create_directories(other);
  std::ofstream(other / "AuthDB.dat", std::ios::binary) << "|a|elsewhere|";
  LoadAuthorDictionary(other.string() + platform::PathSeparator());
  EXPECT_EQ(AuthorDictionary, LineList{"|a|elsewhere|"});

  // A file that appears or goes within a batch is seen at the next load.
  Write("LabelsDB.dat", Lines({"|X|L|found"}));
  LoadLabelDictionary(data_dir_);
  BookRecord.Publisher = "X";
  BookRecord.Label = "L";
  LookupLabel();
  EXPECT_EQ(BookRecord.Label, "found");
  Remove("LabelsDB.dat");
  LoadLabelDictionary(data_dir_);
  BookRecord.Label = "L";
  LookupLabel();
  EXPECT_EQ(BookRecord.Label, "L");
}

// The lookups answer what a byte search over the dictionary text answers, for keys of every
// shape: a key in any column, over a line break, across several columns, on a trail byte,
// without the bars the index knows.
TEST_F(DictionaryTest, IndexedSearchFindsTheFirstByteSearchOccurrence) {
  const std::string_view text = "|a|b|\r\nx|a|\r\n|b|a|c|\r\n|d\r\n|e|\r\n||\r\n|f|g|\r\n|\x81|\x81\x7C|";
  Write("AuthDB.dat", text);
  LoadAuthorDictionary(data_dir_);
  const std::string_view keys[] = {
      "|a|", "|b|", "|c|", "|a|c|", "|b|a|c|", "|d\r\n|e|", "|e|", "||", "|", "", "a|", "|a", "|x|",
      "|g|\r\n|", "|f|g|\r\n|\x81|", "|\x81|", "|\x81\x7C|", "\x7C|", "|z|", "|a|b|\r\nx|a|",
  };
  for (std::string_view key : keys) {
    EXPECT_EQ(FindInAuthorDictionary(key), FindBytes(AuthorDictionaryText(), key)) << key;
  }

  // Random dictionaries of few byte values, so that keys are found in many places.
  std::mt19937 random(7);
  const char alphabet[] = {'|', '|', 'a', 'b', '\r', '\n', '\x81'};
  auto randomText = [&](std::size_t maxSize) {
    std::string out(random() % maxSize, ' ');
    for (char& c : out) c = alphabet[random() % sizeof alphabet];
    return out;
  };
  for (int round = 0; round < 200; ++round) {
    ReleaseDictionaries();
    Write("AuthDB.dat", randomText(200));
    LoadAuthorDictionary(data_dir_);
    const std::string& loaded = AuthorDictionaryText();
    for (int k = 0; k < 50; ++k) {
      std::string key = "|" + randomText(6);
      if (k % 2 == 0) key.push_back('|');
      if (k % 3 == 0 && !loaded.empty()) key = loaded.substr(random() % loaded.size(), 1 + random() % 8);
      ASSERT_EQ(FindInAuthorDictionary(key), FindBytes(loaded, key)) << "round " << round << " key " << key;
    }
  }
}

// The demo's dictionaries are edited by hand: a key not in key form, or a demo code without a
// publisher part, is silently never found.
TEST(SampleDictionaries, KeysInKeyFormAndAPublisherForEveryDemoCode) {
  const std::string dir = std::string(TARVO_SAMPLE_DIR) + "/data/";
  LoadAuthorDictionary(dir);
  LoadLabelDictionary(dir);
  ASSERT_FALSE(AuthorDictionary.empty());
  ASSERT_FALSE(LabelDictionary.empty());
  for (const std::string& line : AuthorDictionary) {
    const std::string key = GetField(line, "|", 2);
    EXPECT_EQ(ToDictionaryKey(key), key) << platform::Cp932ToUtf8(line);
  }
  for (const std::string& line : LabelDictionary) {
    const std::string key = GetField(line, "|", 3);
    EXPECT_EQ(ToDictionaryKey(key), key) << platform::Cp932ToUtf8(line);
  }
  ReleaseDictionaries();

  const LineList codes = SplitLines(platform::ReadWholeFile(std::string(TARVO_SAMPLE_DIR) + "/codes.txt"));
  ASSERT_FALSE(codes.empty());
  for (const std::string& code : codes) {
    ClearBookRecord();
    BookRecord.ISBN = code;
    LookupPublisher(dir);
    EXPECT_NE(BookRecord.Publisher, "") << code;
  }
  ClearBookRecord();
}

}  // namespace
}  // namespace tarvo
