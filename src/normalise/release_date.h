// Release date normalisation: free date text to PubYear, PubMonth and PubDay of BookRecord.
#pragma once

#include <string_view>

namespace tarvo {

// Reads "2009/05/01", "2009.5.1", "2009年5月1日", "20090501", "200905" or "090501" (full-width
// digits too). Always writes PubYear (possibly empty); writes PubMonth and PubDay only when they
// come out as two ASCII digits other than "00". A year of fewer than four bytes is 2000 + y below
// 60 and 1900 + y otherwise; a year that is not an optional sign and digits fitting in 32 bits,
// or is negative, is empty.
void ParseReleaseDate(std::string_view text);

}  // namespace tarvo
