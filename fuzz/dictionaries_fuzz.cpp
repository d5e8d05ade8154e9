// Any dictionary text and any code, label or name: the lookups stay inside the texts and give
// what a plain byte search over the dictionary text gives.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dictionaries/dictionaries.h"
#include "fuzz/fuzz_support.h"
#include "page/text.h"
#include "platform/platform.h"
#include "record/book_record.h"

namespace {

const std::string& DataDir() {
  static const std::string dir = tarvo::fuzz::ScratchPath("dictionaries");
  return dir;
}

// What the lookups promise, found by byte search: the rest of the key's line, or nothing.
bool RestOfLine(std::string_view text, std::string_view key, std::string& rest) {
  const std::size_t at = tarvo::FindBytes(text, key);
  if (at == tarvo::npos) return false;
  const std::string_view after = text.substr(at + key.size());
  rest = std::string(after.substr(0, tarvo::FindBytes(after, "\r\n")));
  return true;
}

}  // namespace

// Input: code NUL label NUL name NUL dictionary text (the same text in all three files).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = tarvo::fuzz::SplitAtNul(tarvo::fuzz::AsText(data, size), 4);
  const std::string_view code = parts[0], label = parts[1], name = parts[2], dictionary = parts[3];
  for (const char* file : {"AuthDB.dat", "PubDB.dat", "LabelsDB.dat"}) {
    tarvo::platform::WriteWholeFile(DataDir() + file, dictionary);
  }
  tarvo::ClearBookRecord();
  tarvo::BookRecord.ISBN = std::string(code);
  tarvo::LoadAuthorDictionary(DataDir());
  tarvo::LookupPublisher(DataDir());
  tarvo::LoadLabelDictionary(DataDir());
  const std::string text = tarvo::AuthorDictionaryText();
  if (text != tarvo::JoinLines(tarvo::SplitLines(dictionary)) || tarvo::LabelDictionaryText() != text) {
    __builtin_trap();
  }

  // The publisher: the shortest listed part of 2 to 6 characters, from where the code's group
  // leaves off.
  std::string expected;
  const std::size_t from = code.starts_with("9") ? 4 : code.starts_with("4") ? 1 : tarvo::npos;
  if (from != tarvo::npos && !text.empty()) {
    const std::string_view part = code.substr(std::min(from, code.size()));
    for (std::size_t n = 2; n <= 6; ++n) {
      if (RestOfLine(text, "|" + std::string(part.substr(0, n)) + "|", expected)) break;
    }
  }
  if (tarvo::BookRecord.Publisher != expected) __builtin_trap();

  // The label, under the publisher just found.
  tarvo::BookRecord.Label = std::string(label);
  std::string key = "|" + tarvo::BookRecord.Publisher + "|" + tarvo::ToDictionaryKey(label) + "|";
  expected = std::string(label);
  if (!tarvo::LabelDictionary.empty()) RestOfLine(text, key, expected);
  tarvo::LookupLabel();
  if (tarvo::BookRecord.Label != expected) __builtin_trap();

  // An author key as the assignment builds it, and any key at all.
  key = "|" + tarvo::ToDictionaryKey(name) + "|";
  if (tarvo::FindInAuthorDictionary(key) != tarvo::FindBytes(text, key)) __builtin_trap();
  if (tarvo::FindInAuthorDictionary(name) != tarvo::FindBytes(text, name)) __builtin_trap();

  tarvo::ReleaseDictionaries();
  return 0;
}
