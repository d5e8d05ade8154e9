#include "dictionaries/dictionaries.h"

#include <algorithm>
#include <string>

#include "page/charset.h"
#include "page/markup.h"
#include "page/sjis_literal.h"
#include "platform/platform.h"
#include "record/book_record.h"

namespace tarvo {

LineList AuthorDictionary;
LineList LabelDictionary;

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The searched form of each held list, built once per load.
std::string author_text;
std::string label_text;
bool held = false;

// The lines of `path`, or none when no file is there. FileError passes through.
LineList LoadLines(const std::string& path) {
  if (!platform::FileExists(path)) return {};
  return SplitLines(platform::ReadWholeFile(path));
}

// Gives the memory back, not just the contents.
void Release(LineList& lines, std::string& text) {
  LineList().swap(lines);
  std::string().swap(text);
}

void Load(const std::string& path, LineList& lines, std::string& text) {
  Release(lines, text);
  held = true;
  lines = LoadLines(path);
  text = JoinLines(lines);
}

// Publisher parts of 2 to 6 characters from `part`, shortest first. True when one was listed.
bool LookUpPublisherPart(std::string_view dictionary, std::string_view part) {
  for (std::size_t n = 2; n <= 6; ++n) {
    std::string key = "|";
    key.append(part.substr(0, n));
    key.push_back('|');
    if (ContainsBytes(dictionary, key)) {
      BookRecord.Publisher = GetBetween(dictionary, key, kLineEnd);
      return true;
    }
  }
  return false;
}

}  // namespace

const std::string& AuthorDictionaryText() { return author_text; }
const std::string& LabelDictionaryText() { return label_text; }
bool DictionariesHeld() { return held; }

void LoadAuthorDictionary(const std::string& dataDir) {
  Load(dataDir + "AuthDB.dat", AuthorDictionary, author_text);
}

void LoadLabelDictionary(const std::string& dataDir) {
  Load(dataDir + "LabelsDB.dat", LabelDictionary, label_text);
}

void LookupPublisher(const std::string& dataDir) {
  const std::string text = JoinLines(LoadLines(dataDir + "PubDB.dat"));
  if (text.empty()) return;
  const std::string_view code = BookRecord.ISBN;
  // ISBN-13 "978"/"979" + group "4": the publisher part starts at the fifth character.
  if (StartsWith(code, "9")) LookUpPublisherPart(text, code.substr(std::min<std::size_t>(4, code.size())));
  // ISBN-10 group "4": the publisher part starts at the second character.
  if (StartsWith(code, "4")) LookUpPublisherPart(text, code.substr(1));
}

void LookupLabel() {
  if (LabelDictionary.empty()) return;
  std::string key = "|";
  key.append(BookRecord.Publisher);
  key.push_back('|');
  key.append(ToDictionaryKey(BookRecord.Label));
  key.push_back('|');
  if (ContainsBytes(label_text, key)) BookRecord.Label = GetBetween(label_text, key, kLineEnd);
}

void ReleaseDictionaries() {
  Release(AuthorDictionary, author_text);
  Release(LabelDictionary, label_text);
  held = false;
}

std::string ToDictionaryKey(std::string_view name) {
  std::string key(name);
  for (std::string_view mark : {"・"_sj, "☆"_sj, "★"_sj, "♪"_sj}) key = RemoveAll(key, mark);
  key = ReplaceAll(key, "ニ"_sj, "二"_sj);  // katakana ni filed as the kanji two
  key = ToHalfWidthLimited(key);
  key = RemoveAll(key, " ");
  key = ReplaceAll(key, "\xB0", "-");  // the half-width prolonged sound mark
  return Trim(key);
}

}  // namespace tarvo
