// The host program's services, bound by name at the start of each batch and released at its end.
//
// BindHost loads the host executable (on POSIX: the running program) and looks its sixteen
// functions up in a fixed order; a missing executable or function is shown in an error box.
// Only the three functions below are ever called; the other thirteen are looked up so that an
// outdated host is refused before a batch begins.
#pragma once

#include <string>
#include <string_view>

#include "plugin/abi.h"

namespace tarvo {

// True when all sixteen names were found. The module stays held, also after a false result,
// until ReleaseHost.
bool BindHost();
// Releases the host module when held; a second call does nothing.
void ReleaseHost();

// The checked form of `code`, copied at once; empty means the code is to be skipped.
std::string HostCheckCode(const std::string& code);
// True when the host can reach `url`.
bool HostCanReach(const std::string& url);
// Has the host download `url` into `filePath`; the file exists afterwards only on success.
void HostDownload(const std::string& filePath, const std::string& url);

}  // namespace tarvo
