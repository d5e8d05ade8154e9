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
// The dictionary text that lookups search: the lines, each followed by CR LF.
const std::string& AuthorDictionaryText();
const std::string& LabelDictionaryText();

void LoadAuthorDictionary(const std::string& dataDir);
void LookupPublisher(const std::string& dataDir);  // sets BookRecord.Publisher from the code
void LoadLabelDictionary(const std::string& dataDir);
void LookupLabel();                                 // replaces BookRecord.Label when listed
void ReleaseDictionaries();

// The form under which the dictionaries file a name: marks removed, half-width, no spaces.
std::string ToDictionaryKey(std::string_view name);

}  // namespace tarvo
