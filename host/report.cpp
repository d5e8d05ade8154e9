#include "host/report.h"

#include <nlohmann/json.hpp>

#include "page/text.h"
#include "platform/platform.h"

namespace tarvo::host {

namespace {

enum Field {
  kIsbn = 0, kTitle = 1, kVolume = 4, kAuthor1 = 5, kPublisher = 12, kLabel = 13, kPrice = 20,
  kYear = 24, kMonth = 25, kDay = 26,
};

// Code points of the next UTF-8 character; advances `i`.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t n = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
  char32_t c = n == 0 ? b : n == 1 ? (b & 0x1Fu) : n == 2 ? (b & 0x0Fu) : (b & 0x07u);
  ++i;
  for (; n > 0 && i < s.size(); --n, ++i) c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3Fu);
  return c;
}

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// At most `width` columns of `text`, "…" marking a cut, padded with spaces to `width`.
std::string Fit(std::string_view text, std::size_t width) {
  std::string out;
  std::size_t used = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const std::size_t w = IsWide(NextCodePoint(text, i)) ? 2 : 1;
    if (used + w > width || (used + w == width && i < text.size())) {
      if (used + 1 <= width) {
        out += "…";
        ++used;
      }
      break;
    }
    out.append(text.substr(start, i - start));
    used += w;
  }
  out.append(width - std::min(width, used), ' ');
  return out;
}

// Field `field` of a row in UTF-8, line breaks restored: the result line wrote them as "$$".
std::string UnescapedFieldText(const std::vector<std::string>& row, int field) {
  const std::size_t column = ColumnOfField(field);
  if (column >= row.size()) return {};
  return platform::Cp932ToUtf8(ReplaceAll(row[column], "$$", "\n"));  // a Shift-JIS search
}

std::string CsvQuoted(std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

}  // namespace

const std::vector<NamedField>& NamedFields() {
  static const std::vector<NamedField> fields = {
      {"ISBN", 0},         {"Title", 1},      {"TitleKana", 2},    {"Subtitle", 3},      {"Volume", 4},
      {"Author1", 5},      {"Author1Kana", 6}, {"Author2", 7},     {"Author2Kana", 8},   {"OtherAuthors", 9},
      {"CCode", 10},       {"Publisher", 12}, {"Label", 13},       {"BookSize", 15},     {"PageURL", 16},
      {"Purchase", 19},    {"Price", 20},     {"Tax", 21},         {"TaxAgain", 23},     {"PubYear", 24},
      {"PubMonth", 25},    {"PubDay", 26},    {"Pages", 34},       {"Description", 35},  {"ImageURL", 36},
      {"ReadState", 44},   {"Author1Note", 63},
  };
  return fields;
}

std::size_t ColumnOfField(int field) {
  return static_cast<std::size_t>(field) + (field > 18 ? 1 : 0) + (field > 38 ? 1 : 0);
}

std::string FieldText(const std::vector<std::string>& row, int field) {
  const std::size_t column = ColumnOfField(field);
  return column < row.size() ? platform::Cp932ToUtf8(row[column]) : std::string();
}

std::size_t DisplayWidth(std::string_view utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) width += IsWide(NextCodePoint(utf8, i)) ? 2 : 1;
  return width;
}

std::string FormatTable(const BatchOutcome& outcome) {
  struct Column {
    const char* heading;
    std::size_t width;
  };
  static constexpr Column kColumns[] = {{"ISBN", 13}, {"Title", 34}, {"Vol", 3},   {"Author", 18},
                                        {"Publisher", 12}, {"Label", 16}, {"Released", 10}, {"Price", 6}};
  std::string out;
  auto line = [&out](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t k = 0; k < cells.size(); ++k) {
      if (k > 0) text += "  ";
      text += Fit(cells[k], kColumns[k].width);
    }
    out += TrimRight(text) + "\n";
  };
  std::vector<std::string> headings;
  for (const Column& c : kColumns) headings.emplace_back(c.heading);
  line(headings);
  std::string rule;
  for (const Column& c : kColumns) rule += std::string(c.width, '-') + "  ";
  out += TrimRight(rule) + "\n";
  for (const std::vector<std::string>& row : outcome.rows) {
    std::string released = FieldText(row, kYear);
    for (int f : {kMonth, kDay}) {
      if (const std::string part = FieldText(row, f); !part.empty()) released += "-" + part;
    }
    line({FieldText(row, kIsbn), FieldText(row, kTitle), FieldText(row, kVolume), FieldText(row, kAuthor1),
          FieldText(row, kPublisher), FieldText(row, kLabel), released, FieldText(row, kPrice)});
  }
  return out;
}

std::string FormatJson(const BatchOutcome& outcome) {
  nlohmann::ordered_json books = nlohmann::ordered_json::array();
  for (const std::vector<std::string>& row : outcome.rows) {
    nlohmann::ordered_json book = nlohmann::ordered_json::object();
    for (const NamedField& f : NamedFields()) book[f.name] = UnescapedFieldText(row, f.field);
    books.push_back(std::move(book));
  }
  return books.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string FormatCsv(const BatchOutcome& outcome) {
  std::string out;
  const std::vector<NamedField>& fields = NamedFields();
  for (std::size_t k = 0; k < fields.size(); ++k) out += (k > 0 ? "," : "") + std::string(fields[k].name);
  out += "\r\n";
  for (const std::vector<std::string>& row : outcome.rows) {
    for (std::size_t k = 0; k < fields.size(); ++k) {
      out += (k > 0 ? "," : "") + CsvQuoted(UnescapedFieldText(row, fields[k].field));
    }
    out += "\r\n";
  }
  return out;
}

std::string FormatSummary(const BatchOutcome& outcome) {
  std::size_t found = 0;
  for (const CodeOutcome& c : outcome.codes) found += c.status == CodeStatus::kFound ? 1 : 0;
  std::string out = "found " + std::to_string(found) + " of " + std::to_string(outcome.codes.size()) + "\n";
  for (const CodeOutcome& c : outcome.codes) {
    if (c.status == CodeStatus::kFound) continue;
    out += "  not found: " + platform::Cp932ToUtf8(c.code) + ": " + std::string(StatusText(c.status)) + "\n";
  }
  return out;
}

}  // namespace tarvo::host
