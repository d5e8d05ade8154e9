// Shared by the POSIX message and wait-window code: the one-line progress display on stderr.
#pragma once

#include <string_view>

namespace tarvo::platform::posix {

// Erases the progress line when one is shown, so that the next text starts on a clean line.
void ClearProgressLine();
// Writes all of `text` to stderr.
void WriteToStderr(std::string_view text);

}  // namespace tarvo::platform::posix
