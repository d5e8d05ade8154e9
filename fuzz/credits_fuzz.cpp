// A credit line through role parsing and author assignment against a small author dictionary,
// as the page parser runs them for each credit line of a page.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dictionaries/dictionaries.h"
#include "fuzz/fuzz_support.h"
#include "normalise/authors.h"
#include "normalise/credits.h"
#include "page/sjis_literal.h"
#include "platform/platform.h"
#include "record/book_record.h"

using tarvo::operator""_sj;

namespace {

// A name with a reading and a note, one without a reading, a key that is a prefix of another
// key, an empty key and a last line without its closing mark.
std::string AuthorDictionaryText() {
  std::string text;
  text.append("|山田太郎|山田 太郎|ﾔﾏﾀﾞﾀﾛｳ|メモ|\r\n"_sj);
  text.append("|山田|山田|ﾔﾏﾀﾞ||\r\n"_sj);
  text.append("|ｽｽﾞｷ|鈴木||\r\n"_sj);
  text.append("||空|ｶﾗ||\r\n"_sj);
  text.append("|ﾆｼ|西|ﾆｼ"_sj);
  return text;
}

const std::string& DataDir() {
  static const std::string dir = [] {
    std::string d = tarvo::fuzz::ScratchPath("credits");
    tarvo::platform::WriteWholeFile(d + "AuthDB.dat", AuthorDictionaryText());
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in = tarvo::fuzz::AsText(data, size);
  tarvo::LoadAuthorDictionary(DataDir());  // read once, then kept while the file is unchanged
  tarvo::ClearBookRecord();
  // Two credit lines, as a page with two author lines gives them.
  const auto lines = tarvo::fuzz::SplitAtNul(in, 2);
  for (std::string_view line : lines) {
    tarvo::AuthorList.clear();
    tarvo::ParseAuthorCredits(line);
    for (const std::string& item : tarvo::AuthorList) {
      if (item.empty() || item[0] < '0' || item[0] > '9') __builtin_trap();  // a role digit first
    }
    tarvo::AssignAuthors(true, true, true, "");
  }
  tarvo::AuthorList.clear();
  tarvo::ParseAuthorCredits(in);
  tarvo::AssignAuthors(false, true, true, "／"_sj);
  tarvo::AuthorList.clear();
  if (tarvo::ToDictionaryKey(in).size() > 255) __builtin_trap();
  return 0;
}
