// A product page of about 300 KB, mostly markup with some Japanese text, from its UTF-8 bytes on
// disk to a filled record, beside converting the same bytes to code page 932 with iconv alone.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <array>
#include <cerrno>
#include <string>

#include "bench_util.h"
#include "dictionaries/dictionaries.h"
#include "page/charset.h"
#include "page/product_page.h"
#include "record/book_record.h"

namespace tarvo::bench {
namespace {

constexpr std::size_t kPageSize = 300 * 1024;

// Made-up words for the generated parts of the page.
constexpr std::array<std::string_view, 12> kWords = {
    "星渡り", "図書館", "霧の港", "猫と", "午後", "騎士団", "風の街", "レシピ帖", "迷宮", "測量士", "鍵", "扉"};
constexpr std::array<std::string_view, 6> kNames = {"南条 いずみ", "早瀬 ゆう", "高遠 ひろみ",
                                                    "水城 律",     "月城 遥",   "七瀬 ひなた"};
constexpr std::array<std::string_view, 4> kLabels = {"ほしぞら文庫", "北斗ノベルス", "こもれび文庫", "潮騒コミックス"};

// One entry of the "other products" list below the cart, like those of the sample pages.
std::string OtherProduct(int i) {
  const std::string id = std::to_string(26000000 + i * 7919);
  const std::string title = std::string(kWords[i % kWords.size()]) + std::string(kWords[(i * 5 + 3) % kWords.size()]) +
                            " " + std::to_string(1 + i % 9);
  std::string s;
  s += "\t\t\t<li class=\"stItem\">\n\t\t\t\t<a href=\"/product/" + id + ".html\">\n\t\t\t\t<picture>\n";
  s += "\t\t\t\t\t<source type=\"image/webp\" srcset=\"https://img.tarvo.example/cover/s/" + id + ".webp\">\n";
  s += "\t\t\t\t\t<img src=\"https://img.tarvo.example/cover/s/" + id + ".jpg\" alt=\"\" loading=\"lazy\">\n";
  s += "\t\t\t\t</picture>\n\t\t\t\t</a>\n";
  s += "\t\t\t\t<p class=\"stItemTitle\"><a href=\"/product/" + id + ".html\">" + title + "</a></p>\n";
  s += "\t\t\t\t<p class=\"stItemAuthor\">" + std::string(kNames[i % kNames.size()]) + "</p>\n";
  s += "\t\t\t\t<dl class=\"stItemSpec\">\n\t\t\t\t\t<dt>レーベル</dt>\n\t\t\t\t\t<dd>" +
       std::string(kLabels[i % kLabels.size()]) + "</dd>\n";
  s += "\t\t\t\t\t<dt>出版社：</dt>\n\t\t\t\t\t<dd>北斗書房</dd>\n";
  s += "\t\t\t\t\t<dt>発売日：</dt><dd>2022/0" + std::to_string(1 + i % 9) + "/1" + std::to_string(i % 10) + "</dd>\n";
  s += "\t\t\t\t\t<dt>サイズ：</dt><dd>文庫/" + std::to_string(200 + i % 300) + "p</dd>\n\t\t\t\t</dl>\n";
  s += "\t\t\t\t<p class=\"stItemPrice\"><span class=\"stPrice\">" + std::to_string(600 + (i * 37) % 1200) +
       "</span>円（税込）</p>\n";
  s += "\t\t\t\t<div class=\"stItemAction\"><form action=\"/cart/add\" method=\"post\"><input type=\"hidden\" "
       "name=\"pid\" value=\"" + id + "\"><button type=\"submit\" class=\"btnCartS\">カートに入れる</button>"
       "</form><a class=\"btnWishS\" href=\"/wishlist/add?pid=" + id + "\">ほしい本</a></div>\n";
  s += "\t\t\t</li>\n";
  return s;
}

// One line of the tracking script in the page head: long, ASCII, with product names.
std::string ScriptLine(int i) {
  return "\tdataLayer.push({\"event\":\"impression\",\"list\":\"recommend\",\"position\":" + std::to_string(i) +
         ",\"items\":[{\"item_id\":\"" + std::to_string(27000000 + i * 104729) + "\",\"item_name\":\"" +
         std::string(kWords[i % kWords.size()]) + "\",\"price\":" + std::to_string(700 + i % 900) +
         ",\"currency\":\"JPY\",\"item_category\":\"book\",\"item_list_id\":\"rec_" + std::to_string(i % 17) +
         "\",\"index\":" + std::to_string(i) + "}]});\n";
}

// The first sample product page with a long script in its head and a long list of other
// products, until it is about kPageSize bytes.
std::string BuildPage() {
  std::string page = ReadFile(std::string(TARVO_SAMPLE_DIR) + "/store/product/30418276.html");
  if (page.empty()) return page;
  std::string script = "<script>\n";
  for (int i = 0; script.size() < kPageSize / 5; ++i) script += ScriptLine(i);
  script += "</script>\n";
  page.insert(page.find("</head>"), script);
  const std::string listStart = "<ul class=\"stItemList\">\n";
  std::string list;
  for (int i = 0; page.size() + list.size() < kPageSize; ++i) list += OtherProduct(i);
  page.insert(page.find(listStart) + listStart.size(), list);
  return page;
}

struct Page {
  TempDir dir;
  std::string bytes;
  std::string path;
  Page() : bytes(BuildPage()), path((dir.path() / "Temp.html").string()) { WriteFile(path, bytes); }
};

const Page& ThePage() {
  static const Page page;
  return page;
}

void BM_ParseProductPage(benchmark::State& state) {
  const Page& page = ThePage();
  LoadAuthorDictionary(std::string(TARVO_SAMPLE_DIR) + "/data/");
  ClearBookRecord();
  if (!ParseProductPage(page.path) || BookRecord.Title.empty() || BookRecord.Author1.empty() ||
      BookRecord.Publisher.empty()) {
    state.SkipWithError("the page did not fill the record");
    return;
  }
  for (auto _ : state) {
    ClearBookRecord();
    benchmark::DoNotOptimize(ParseProductPage(page.path));
  }
  ReleaseDictionaries();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.bytes.size()));
  state.counters["page_KB"] = static_cast<double>(page.bytes.size()) / 1024;
}
BENCHMARK(BM_ParseProductPage)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_IconvUtf8ToCp932(benchmark::State& state) {
  const Page& page = ThePage();
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    state.SkipWithError("iconv has no CP932");
    return;
  }
  std::string out(page.bytes.size() + 16, '\0');
  std::size_t written = 0;
  for (auto _ : state) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(page.bytes.data());
    std::size_t inLeft = page.bytes.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
      if (iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1)) break;
      if (errno != EILSEQ && errno != EINVAL) break;
      ++in;  // not expected on this page: skip the byte, as a converter with a replacement would
      --inLeft;
    }
    written = out.size() - outLeft;
    benchmark::DoNotOptimize(written);
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.bytes.size()));
  state.counters["out_KB"] = static_cast<double>(written) / 1024;
}
BENCHMARK(BM_IconvUtf8ToCp932)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The plug-in's own conversion of the same bytes, one part of the parse above.
void BM_Utf8ToSjis(benchmark::State& state) {
  const Page& page = ThePage();
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToSjis(page.bytes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.bytes.size()));
}
BENCHMARK(BM_Utf8ToSjis)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tarvo::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tarvo::bench::RatioReporter reporter;
  reporter.AddRatio("page parse vs iconv", "BM_ParseProductPage", "BM_IconvUtf8ToCp932", 4);
  reporter.AddRatio("own conversion vs iconv", "BM_Utf8ToSjis", "BM_IconvUtf8ToCp932");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
