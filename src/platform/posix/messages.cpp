// Messages as single UTF-8 lines on stderr: the POSIX form of the plain message dialog and of
// the error box (a host program or a test reads them there).
#include <string>

#include "platform/platform.h"
#include "platform/posix/terminal.h"

namespace tarvo::platform {

namespace {

void WriteMessageLine(std::string_view sjis) {
  std::string line = Cp932ToUtf8(sjis);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';  // one message, one line
  }
  line.push_back('\n');
  posix::ClearProgressLine();
  posix::WriteToStderr(line);
}

}  // namespace

void ShowMessage(std::string_view sjis) { WriteMessageLine(sjis); }

void ShowErrorBox(std::string_view sjis) { WriteMessageLine(sjis); }

}  // namespace tarvo::platform
