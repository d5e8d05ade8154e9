// The host's dictionaries: authors (AuthDB.dat), publishers (PubDB.dat) and labels
// (LabelsDB.dat) in the data directory, the key form of names, and the publisher and label
// lookups. A missing file is an empty dictionary; a file that exists but cannot be read raises
// platform::FileError.
#pragma once

#include <string>
#include <string_view>

#include "page/text.h"

namespace tarvo {

// The lines of AuthDB.dat / LabelsDB.dat, replaced per code, released at the end of a batch.
extern LineList AuthorDictionary;
extern LineList LabelDictionary;
// The dictionary text that lookups search: the lines, each followed by CR LF. Built when the
// file is loaded, so change the lists only through the loads below.
const std::string& AuthorDictionaryText();
const std::string& LabelDictionaryText();
// True from the first load until ReleaseDictionaries.
bool DictionariesHeld();

// `dataDir` ends in a path separator; the file names are appended to it as they are.
// Replace the held list with the file's lines (none when the file is missing).
void LoadAuthorDictionary(const std::string& dataDir);
void LoadLabelDictionary(const std::string& dataDir);
// Reads PubDB.dat afresh and sets BookRecord.Publisher from the publisher part of
// BookRecord.ISBN ("|" + 2 to 6 characters + "|", shortest listed part first): from the fifth
// character of a code starting with "9", from the second of one starting with "4". Unlisted:
// Publisher is left alone.
void LookupPublisher(const std::string& dataDir);
// Replaces BookRecord.Label with the rest of the line after
// "|" + Publisher + "|" + ToDictionaryKey(Label) + "|" when the label dictionary holds it.
void LookupLabel();
// Frees both held lists; harmless when none is held.
void ReleaseDictionaries();

// The form under which the dictionaries file a name: "・☆★♪" removed, katakana "ニ" as kanji
// "二", half-width (at most 255 bytes), no spaces, "ｰ" as "-", trimmed.
std::string ToDictionaryKey(std::string_view name);

}  // namespace tarvo
