// The dictionary work of one code (three loads, the publisher lookup, three author lookups, one
// label lookup) with an AuthDB.dat of 100,000 entries (about 5 MB), a LabelsDB.dat of 10,000 and
// a PubDB.dat of 5,000: as the plug-in does it (files read once per batch, indexed lookups),
// beside reading the three files afresh and searching their whole text for every code.
#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench_util.h"
#include "dictionaries/dictionaries.h"
#include "normalise/authors.h"
#include "normalise/credits.h"
#include "page/markup.h"
#include "page/text.h"
#include "platform/platform.h"
#include "record/book_record.h"

namespace tarvo::bench {
namespace {

constexpr int kAuthors = 100000;
constexpr int kLabels = 10000;
constexpr int kPublishers = 5000;
constexpr int kCodes = 64;  // the codes of one benchmark, used in turn

constexpr std::array<std::string_view, 40> kKanji = {
    "山", "田", "川", "本", "中", "村", "小", "林", "高", "橋", "佐", "藤", "伊", "野", "木", "井", "松", "清", "水", "森",
    "月", "城", "星", "海", "花", "雪", "春", "夏", "秋", "冬", "遥", "律", "光", "真", "美", "子", "太", "郎", "一", "香"};
constexpr std::array<std::string_view, 30> kKana = {"ｱ", "ｲ", "ｳ", "ｴ", "ｵ", "ｶ", "ｷ", "ｸ", "ｹ", "ｺ",
                                                    "ｻ", "ｼ", "ｽ", "ｾ", "ｿ", "ﾀ", "ﾁ", "ﾂ", "ﾃ", "ﾄ",
                                                    "ﾅ", "ﾆ", "ﾇ", "ﾈ", "ﾉ", "ﾊ", "ﾋ", "ﾌ", "ﾍ", "ﾎ"};

constexpr std::array<std::string_view, 6> kNotes = {"", "漫画家・イラストレーター", "翻訳家（英米文学）",
                                                    "小説家・脚本家", "監修者／大学教授", "写真家・エッセイスト"};

// One code's questions: the code, three names as the page credits them, the page's label.
struct CodeCase {
  std::string isbn;
  std::array<std::string, 3> names;
  std::string label;
};

struct Dictionaries {
  TempDir dir;
  std::string dataDir = dir.AsDataDir();
  std::vector<CodeCase> codes;
  std::size_t authorBytes = 0;
};

std::string Pick(std::mt19937& random, const auto& list, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += list[random() % list.size()];
  return out;
}

// Writes the three files (Shift-JIS) and chooses the codes: each code's publisher is listed,
// two of its names are in the author dictionary (anywhere in it), one is not, and its label
// is listed for its publisher.
Dictionaries* Make() {
  auto* d = new Dictionaries;
  std::mt19937 random(2024);

  std::vector<std::string> names;  // as a page credits them: family name, space, given name
  std::string authors;
  std::set<std::string> seen;
  while (static_cast<int>(names.size()) < kAuthors) {
    const std::string family = Pick(random, kKanji, 2 + static_cast<int>(random() % 2));
    const std::string given = Pick(random, kKanji, 1 + static_cast<int>(random() % 2));
    if (!seen.insert(family + given).second) continue;
    names.push_back(family + " " + given);
    authors += "|" + family + given + "|" + family + " " + given + "|" +
               Pick(random, kKana, 4 + static_cast<int>(random() % 3)) + " " +
               Pick(random, kKana, 3 + static_cast<int>(random() % 3)) + "|" +
               std::string(kNotes[random() % kNotes.size()]) + "|\r\n";
  }

  std::vector<std::string> publishers, parts;
  std::string pubdb;
  std::set<std::string> partSeen;
  // Publisher parts as group 4 assigns them, so that no part begins with a shorter one:
  // 00-19, 200-699, 7000-8499, 85000-89999, 900000-949999.
  struct Range {
    int digits, from, to;
  };
  constexpr Range kRanges[] = {{2, 0, 19}, {3, 200, 699}, {4, 7000, 8499}, {5, 85000, 89999}, {6, 900000, 949999}};
  auto addPart = [&](int digits, int value) {
    std::string part = std::to_string(value);
    part.insert(0, static_cast<std::size_t>(digits) - part.size(), '0');
    if (!partSeen.insert(part).second) return;
    parts.push_back(part);
    publishers.push_back(Pick(random, kKanji, 2) + "書房" + std::to_string(publishers.size()));
    pubdb += "|" + part + "|" + publishers.back() + "\r\n";
  };
  for (const Range& r : {kRanges[0], kRanges[1]}) {
    for (int v = r.from; v <= r.to; ++v) addPart(r.digits, v);
  }
  while (static_cast<int>(publishers.size()) < kPublishers) {
    const Range& r = kRanges[2 + random() % 3];
    addPart(r.digits, r.from + static_cast<int>(random() % static_cast<unsigned>(r.to - r.from + 1)));
  }

  std::vector<std::pair<std::string, std::string>> labels;  // publisher, label
  std::string labeldb;
  for (int i = 0; i < kLabels; ++i) {
    const std::string& publisher = publishers[random() % publishers.size()];
    const std::string kana = Pick(random, kKana, 4 + static_cast<int>(random() % 4)) + std::to_string(i);
    labels.emplace_back(publisher, kana);
    labeldb += "|" + publisher + "|" + kana + "|" + Pick(random, kKanji, 2) + "文庫" + std::to_string(i) + "\r\n";
  }

  WriteFile(d->dir.path() / "AuthDB.dat", platform::Utf8ToCp932(authors));
  WriteFile(d->dir.path() / "PubDB.dat", platform::Utf8ToCp932(pubdb));
  WriteFile(d->dir.path() / "LabelsDB.dat", platform::Utf8ToCp932(labeldb));
  d->authorBytes = fs::file_size(d->dir.path() / "AuthDB.dat");

  for (int i = 0; i < kCodes; ++i) {
    const auto& [publisher, label] = labels[random() % labels.size()];
    const std::size_t p = static_cast<std::size_t>(std::find(publishers.begin(), publishers.end(), publisher) -
                                                   publishers.begin());
    std::string isbn = "9784" + parts[p];
    while (isbn.size() < 13) isbn.push_back(static_cast<char>('0' + random() % 10));
    CodeCase c;
    c.isbn = isbn;
    c.names = {platform::Utf8ToCp932(names[random() % names.size()]),
               platform::Utf8ToCp932(names[random() % names.size()]),
               platform::Utf8ToCp932("未登録 作家" + std::to_string(i))};
    c.label = platform::Utf8ToCp932(label);
    d->codes.push_back(c);
  }
  return d;
}

const Dictionaries& TheDictionaries() {
  static const Dictionaries* d = Make();
  return *d;
}

// The three author lookups as author assignment makes them.
void LookUpAuthors(const CodeCase& c) {
  for (const std::string& name : c.names) {
    const std::string key = "|" + ToDictionaryKey(name) + "|";
    const std::size_t at = FindInAuthorDictionary(key);
    if (at == npos) continue;
    const std::string& text = AuthorDictionaryText();
    const std::size_t from = at + key.size();
    const std::string entry = CopyRange(text, from, FindBytes(text, "\r\n", from) - from);
    benchmark::DoNotOptimize(GetField(entry, "|", 1));
    benchmark::DoNotOptimize(GetField(entry, "|", 2));
    benchmark::DoNotOptimize(GetField(entry, "|", 3));
  }
}

// One code's dictionary work, as the driver and the parser do it.
void DictionaryWork(const std::string& dataDir, const CodeCase& c) {
  ClearBookRecord();
  BookRecord.ISBN = c.isbn;
  LoadAuthorDictionary(dataDir);
  LookupPublisher(dataDir);
  LoadLabelDictionary(dataDir);
  LookUpAuthors(c);
  BookRecord.Label = c.label;
  LookupLabel();
}

// The same work reading the three files for every code and searching their whole text.
void DictionaryWorkAfresh(const std::string& dataDir, const CodeCase& c) {
  auto load = [](const std::string& path) {
    return platform::FileExists(path) ? JoinLines(SplitLines(platform::ReadWholeFile(path))) : std::string();
  };
  ClearBookRecord();
  BookRecord.ISBN = c.isbn;
  const std::string authors = load(dataDir + "AuthDB.dat");
  const std::string publishers = load(dataDir + "PubDB.dat");
  for (std::size_t n = 2; n <= 6; ++n) {
    const std::string key = "|" + BookRecord.ISBN.substr(4, n) + "|";
    if (ContainsBytes(publishers, key)) {
      BookRecord.Publisher = GetBetween(publishers, key, "\r\n");
      break;
    }
  }
  const std::string labels = load(dataDir + "LabelsDB.dat");
  for (const std::string& name : c.names) {
    const std::string key = "|" + ToDictionaryKey(name) + "|";
    const std::size_t at = FindBytes(authors, key);
    if (at == npos) continue;
    const std::size_t from = at + key.size();
    const std::string entry = CopyRange(authors, from, FindBytes(authors, "\r\n", from) - from);
    benchmark::DoNotOptimize(GetField(entry, "|", 1));
  }
  const std::string key = "|" + BookRecord.Publisher + "|" + ToDictionaryKey(c.label) + "|";
  if (ContainsBytes(labels, key)) BookRecord.Label = GetBetween(labels, key, "\r\n");
}

// Both ways must give the same record.
bool SameAnswers(const Dictionaries& d) {
  for (const CodeCase& c : d.codes) {
    DictionaryWorkAfresh(d.dataDir, c);
    const std::string publisher = BookRecord.Publisher, label = BookRecord.Label;
    DictionaryWork(d.dataDir, c);
    if (publisher.empty() || publisher != BookRecord.Publisher || label != BookRecord.Label ||
        label == c.label) {
      return false;
    }
  }
  ReleaseDictionaries();
  return true;
}

void SetCounters(benchmark::State& state, const Dictionaries& d) {
  state.counters["AuthDB_MB"] = static_cast<double>(d.authorBytes) / 1e6;
}

// The plug-in's way, once the batch has read the files: per code a size-and-time check of each
// file and indexed lookups.
void BM_PerCode_Cached(benchmark::State& state) {
  const Dictionaries& d = TheDictionaries();
  if (!SameAnswers(d)) {
    state.SkipWithError("the cached lookups answer differently");
    return;
  }
  DictionaryWork(d.dataDir, d.codes[0]);  // the batch's first code reads the files
  std::size_t i = 0;
  for (auto _ : state) DictionaryWork(d.dataDir, d.codes[i++ % d.codes.size()]);
  ReleaseDictionaries();
  SetCounters(state, d);
}
BENCHMARK(BM_PerCode_Cached)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);

// The first code of a batch: the plug-in's way, reading the three files and indexing them.
void BM_FirstCodeOfBatch(benchmark::State& state) {
  const Dictionaries& d = TheDictionaries();
  std::size_t i = 0;
  for (auto _ : state) {
    ReleaseDictionaries();
    DictionaryWork(d.dataDir, d.codes[i++ % d.codes.size()]);
  }
  ReleaseDictionaries();
  SetCounters(state, d);
}
BENCHMARK(BM_FirstCodeOfBatch)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

// Reading the three files afresh for every code and searching the whole text each time.
void BM_PerCode_Afresh(benchmark::State& state) {
  const Dictionaries& d = TheDictionaries();
  std::size_t i = 0;
  for (auto _ : state) DictionaryWorkAfresh(d.dataDir, d.codes[i++ % d.codes.size()]);
  SetCounters(state, d);
}
BENCHMARK(BM_PerCode_Afresh)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

// The cached loads with the author lookups made by author assignment itself, three credits of
// one credit line, as the parser hands them over.
void BM_PerCode_CachedThroughAssignAuthors(benchmark::State& state) {
  const Dictionaries& d = TheDictionaries();
  DictionaryWork(d.dataDir, d.codes[0]);
  std::size_t i = 0;
  for (auto _ : state) {
    const CodeCase& c = d.codes[i++ % d.codes.size()];
    ClearBookRecord();
    BookRecord.ISBN = c.isbn;
    LoadAuthorDictionary(d.dataDir);
    LookupPublisher(d.dataDir);
    LoadLabelDictionary(d.dataDir);
    AuthorList.clear();
    for (const std::string& name : c.names) AuthorList.push_back("0" + name);
    AssignAuthors(true, true, true, "");
    BookRecord.Label = c.label;
    LookupLabel();
  }
  AuthorList.clear();
  ReleaseDictionaries();
  SetCounters(state, d);
}
BENCHMARK(BM_PerCode_CachedThroughAssignAuthors)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tarvo::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tarvo::bench::RatioReporter reporter;
  reporter.AddRatio("afresh vs cached", "BM_PerCode_Afresh", "BM_PerCode_Cached");
  reporter.AddRatio("through AssignAuthors vs cached", "BM_PerCode_CachedThroughAssignAuthors", "BM_PerCode_Cached");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
