#include "page/title_line.h"

namespace tarvo {

void ParseTitleLine(std::string_view, bool) {}  // filled in with the title line analysis

}  // namespace tarvo
