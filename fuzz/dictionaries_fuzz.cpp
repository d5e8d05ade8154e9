// Any dictionary files and any code / label: the lookups stay inside the texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dictionaries/dictionaries.h"
#include "platform/platform.h"
#include "record/book_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::size_t a = in.find('\0');
  const std::string_view code = in.substr(0, std::min<std::size_t>(a, 30));
  const std::string_view dict = a == std::string_view::npos ? std::string_view() : in.substr(a + 1);
  const std::string dir = "/tmp/tarvo_fuzz_dict_";
  tarvo::platform::WriteWholeFile(dir + "PubDB.dat", dict);
  tarvo::platform::WriteWholeFile(dir + "LabelsDB.dat", dict);
  tarvo::ClearBookRecord();
  tarvo::BookRecord.ISBN = std::string(code);
  tarvo::LookupPublisher(dir);
  tarvo::LoadLabelDictionary(dir);
  tarvo::BookRecord.Label = std::string(code);
  tarvo::LookupLabel();
  tarvo::ReleaseDictionaries();
  return 0;
}
