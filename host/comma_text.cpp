#include "host/comma_text.h"

namespace tarvo::host {

std::vector<std::string> SplitCommaText(std::string_view line) {
  std::vector<std::string> columns;
  std::size_t i = 0;
  for (;;) {
    std::string column;
    if (i < line.size() && line[i] == '"') {
      for (++i; i < line.size(); ++i) {
        if (line[i] != '"') {
          column.push_back(line[i]);
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          column.push_back('"');
          ++i;
        } else {
          ++i;  // the closing quote
          break;
        }
      }
      // Anything between a closing quote and the next comma belongs to the column as it stands.
      while (i < line.size() && line[i] != ',') column.push_back(line[i++]);
    } else {
      while (i < line.size() && line[i] != ',') column.push_back(line[i++]);
    }
    columns.push_back(std::move(column));
    if (i >= line.size()) break;
    ++i;  // the comma
  }
  return columns;
}

}  // namespace tarvo::host
