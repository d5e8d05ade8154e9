// Release date normalisation: free date text to PubYear, PubMonth and PubDay of BookRecord.
#pragma once

#include <string_view>

namespace tarvo {

// Always writes PubYear (possibly empty); writes PubMonth and PubDay only when they come out as
// two ASCII digits other than "00".
void ParseReleaseDate(std::string_view text);

}  // namespace tarvo
