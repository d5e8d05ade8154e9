#include "normalise/authors.h"

#include <string>

#include "dictionaries/dictionaries.h"
#include "normalise/credits.h"
#include "page/markup.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "record/book_record.h"

namespace tarvo {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// One credit item as assignment sees it.
struct Credit {
  std::string name;
  std::string bracket_reading;  // from "［...］" in the item
  std::string dictionary_reading;
  std::string dictionary_note;
};

// The name of an item without its role code. A reading in "［" "］" is taken out, and with it
// everything after the reading, a role label included. Both brackets are found on character
// boundaries, so a name is never cut inside a two-byte character.
Credit ReadItem(std::string_view item) {
  Credit credit;
  credit.name = CopyRange(item, 1);
  constexpr std::string_view kOpen = "［"_sj;
  const std::size_t open = FindChar(credit.name, kOpen);
  if (open != npos) {
    const std::string_view after = std::string_view(credit.name).substr(open + kOpen.size());
    credit.bracket_reading = std::string(after.substr(0, FindChar(after, "］"_sj)));
    credit.name.resize(open);
  }
  return credit;
}

// Takes name, reading and note from the first place where "|" + key form + "|" stands in the
// author dictionary, whatever its column. The entry is read up to the end of its own line, so a
// line that lacks its closing "|" gives its own columns and nothing of the next line. A name
// whose key form is empty (only marks, or no name at all) is not looked up: its key "||" would
// match any empty column of an unrelated entry.
void LookUpAuthor(Credit& credit) {
  if (AuthorDictionary.empty()) return;
  const std::string form = ToDictionaryKey(credit.name);
  if (form.empty()) return;
  const std::string key = "|" + form + "|";
  const std::string& text = AuthorDictionaryText();
  const std::size_t at = FindInAuthorDictionary(key);
  if (at == npos) return;
  const std::size_t from = at + key.size();
  const std::string entry = CopyRange(text, from, FindBytes(text, kLineEnd, from) - from);
  credit.name = GetField(entry, "|", 1);
  credit.dictionary_reading = GetField(entry, "|", 2);
  credit.dictionary_note = GetField(entry, "|", 3);
}

}  // namespace

void AssignAuthors(bool fillFirst, bool fillSecond, bool fillOthers, std::string_view otherPrefix) {
  TBase& book = BookRecord;
  for (const std::string& item : AuthorList) {
    // Names placed by earlier items, of this call too, count as assigned.
    const std::string assigned = book.Author1 + std::string(kLineEnd) + book.Author2 + std::string(kLineEnd) +
                                 book.OtherAuthors;
    Credit credit = ReadItem(item);
    LookUpAuthor(credit);
    if (ContainsBytes(assigned, credit.name)) continue;  // an empty name never occurs

    const std::string& reading =
        credit.dictionary_reading.empty() ? credit.bracket_reading : credit.dictionary_reading;
    if (fillFirst && book.Author1.empty()) {
      book.Author1 = credit.name;
      book.Author1Kana = reading;
      book.Author1Note = credit.dictionary_note;
    } else if (fillSecond && book.Author2.empty()) {
      book.Author2 = credit.name;
      book.Author2Kana = reading;
    } else if (fillOthers) {
      book.OtherAuthors.append(kLineEnd);
      book.OtherAuthors.append(otherPrefix);
      book.OtherAuthors.append(credit.name);
    }
  }
  book.OtherAuthors = Trim(book.OtherAuthors);
}

}  // namespace tarvo
