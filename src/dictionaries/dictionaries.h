// The host's dictionaries: authors (AuthDB.dat), publishers (PubDB.dat) and labels
// (LabelsDB.dat) in the data directory, the key form of names, and the publisher and label
// lookups. A missing file is an empty dictionary; a file that exists but cannot be read raises
// platform::FileError.
//
// Within a batch each file is read once: a load checks the file's size and modification time
// and reuses what it read last when neither changed (nor the path), so a lookup gives what
// reading the file afresh would give. ReleaseDictionaries, at the end of every batch, forgets
// it all. Lookups find the first occurrence of their key in the dictionary text, as a byte
// search over the text would, through an index of the "|"-delimited spans built per read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "page/text.h"

namespace tarvo {

// The lines of AuthDB.dat / LabelsDB.dat, loaded per code (replaced when the file changed),
// released at the end of a batch.
extern LineList AuthorDictionary;
extern LineList LabelDictionary;
// The dictionary text that lookups search: the lines, each followed by CR LF. Built when the
// file is loaded, so change the lists only through the loads below.
const std::string& AuthorDictionaryText();
const std::string& LabelDictionaryText();
// True from the first load until ReleaseDictionaries.
bool DictionariesHeld();
// FindBytes(AuthorDictionaryText(), key), without scanning the text for a key of the form
// "|" + name + "|".
std::size_t FindInAuthorDictionary(std::string_view key);

// `dataDir` ends in a path separator; the file names are appended to it as they are.
// Replace the held list with the file's lines (none when the file is missing).
void LoadAuthorDictionary(const std::string& dataDir);
void LoadLabelDictionary(const std::string& dataDir);
// Reads PubDB.dat (unless unchanged since its last read in this batch) and sets
// BookRecord.Publisher from the publisher part of BookRecord.ISBN ("|" + 2 to 6 characters +
// "|", shortest listed part first): from the fifth character of a code starting with "9", from
// the second of one starting with "4". Unlisted: Publisher is left alone.
void LookupPublisher(const std::string& dataDir);
// Replaces BookRecord.Label with the rest of the line after
// "|" + Publisher + "|" + ToDictionaryKey(Label) + "|" when the label dictionary holds it.
void LookupLabel();
// Frees both held lists and everything kept from reading the three files; harmless when none
// is held.
void ReleaseDictionaries();

// The form under which the dictionaries file a name: "・☆★♪" removed, katakana "ニ" as kanji
// "二", half-width (at most 255 bytes), no spaces, "ｰ" as "-", trimmed.
std::string ToDictionaryKey(std::string_view name);

}  // namespace tarvo
