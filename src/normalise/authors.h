// Author assignment: credit items of AuthorList into the author fields of BookRecord, spelled
// as the host's author dictionary has them.
#pragma once

#include <string_view>

namespace tarvo {

// The first two distinct names go to Author1 / Author2 (with readings; Author1Note from the
// dictionary), every further distinct name becomes a line of OtherAuthors.
void AssignAuthors(bool fillFirst, bool fillSecond, bool fillOthers, std::string_view otherPrefix);

}  // namespace tarvo
