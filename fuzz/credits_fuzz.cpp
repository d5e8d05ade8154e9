// A credit line through role parsing and assignment against a small author dictionary.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dictionaries/dictionaries.h"
#include "normalise/authors.h"
#include "normalise/credits.h"
#include "page/sjis_literal.h"
#include "platform/platform.h"
#include "record/book_record.h"

using tarvo::operator""_sj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool written = false;
  if (!written) {
    // A handful of entries, one without its closing mark.
    std::string auth = std::string("|山田太郎|山田 太郎|ﾔﾏﾀﾞﾀﾛｳ|メモ|\r\n"_sj) + std::string("||空|ｶﾗ||\r\n"_sj) +
                       std::string("|ｽｽﾞｷ|鈴木|ｽｽﾞｷ\r\n"_sj);
    tarvo::platform::WriteWholeFile("/tmp/tarvo_fuzz_credits_AuthDB.dat", auth);
    written = true;
  }
  tarvo::LoadAuthorDictionary("/tmp/tarvo_fuzz_credits_");
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  tarvo::ClearBookRecord();
  tarvo::AuthorList.clear();
  tarvo::ParseAuthorCredits(in);
  tarvo::AssignAuthors(true, true, true, "");
  tarvo::AuthorList.clear();
  (void)tarvo::ToDictionaryKey(in);
  tarvo::ReleaseDictionaries();
  return 0;
}
