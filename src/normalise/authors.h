// Author assignment: credit items of AuthorList into the author fields of BookRecord, spelled
// as the host's author dictionary has them.
#pragma once

#include <string_view>

namespace tarvo {

// The first two distinct names go to Author1 / Author2 (with readings; Author1Note from the
// dictionary), every further distinct name becomes a line of OtherAuthors.
// Per item: a reading in "［］" is taken out of the name (with anything after it); a name the
// author dictionary lists under its key form takes the dictionary's name, reading and note; a
// name already contained in Author1, Author2 or OtherAuthors is skipped. The fill flags allow
// each destination; `otherPrefix` goes before each further credit. OtherAuthors ends trimmed.
void AssignAuthors(bool fillFirst, bool fillSecond, bool fillOthers, std::string_view otherPrefix);

}  // namespace tarvo
