#include "normalise/release_date.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "page/markup.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "record/book_record.h"

namespace tarvo {
namespace {

// A date notation, chosen by the first row whose year separator the text holds. The dot and
// slash notations have no day separator; "Dummy" stands in for one that never occurs in a date.
struct DateNotation {
  std::string_view year;
  std::string_view month;
  std::string_view day;
};
constexpr DateNotation kDateNotations[] = {
    {"年"_sj, "月"_sj, "日"_sj},
    {".", ".", "Dummy"},
    {"/", "/", "Dummy"},
};

// Years written with fewer digits than this are short years.
constexpr std::size_t kFullYearLength = 4;
constexpr std::string_view kNoValue = "00";

struct DateParts {
  std::string year;
  std::string month{kNoValue};
  std::string day{kNoValue};
};

// An optional sign followed by decimal digits whose value fits in 32 bits. A longer run of
// digits is not an integer, as is the empty text and anything else.
std::optional<std::int32_t> ReadInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kLimit) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// The four-digit form of a short year: below 60 is this century, the rest the last one.
std::string ExpandShortYear(std::int32_t value) { return std::to_string(value < 60 ? value + 2000 : value + 1900); }

std::string LastTwo(std::string_view text) { return std::string(text.substr(text.size() < 2 ? 0 : text.size() - 2)); }

// Year, then month, then day, each cut at its separator.
DateParts ReadSeparated(std::string_view text, const DateNotation& notation) {
  DateParts parts;
  const std::size_t yearEnd = FindChar(text, notation.year);
  parts.year = Trim(text.substr(0, yearEnd));
  std::string_view rest = text.substr(yearEnd + notation.year.size());
  const std::optional<std::int32_t> year = ReadInteger(parts.year);
  if (!year || *year < 0) {
    parts.year.clear();
  } else if (parts.year.size() < kFullYearLength) {
    parts.year = ExpandShortYear(*year);
  }

  const std::size_t monthEnd = FindChar(rest, notation.month);
  if (monthEnd != npos) {
    parts.month = std::string(kNoValue) + Trim(rest.substr(0, monthEnd));
    rest = rest.substr(monthEnd + notation.month.size());
    const std::size_t dayEnd = FindChar(rest, notation.day);
    parts.day = LastTwo(std::string(kNoValue) + Trim(rest.substr(0, dayEnd)));
  } else {
    parts.month = std::string(kNoValue) + Trim(rest);
  }
  parts.month = LastTwo(parts.month);
  return parts;
}

// A run of digits: eight are year, month and day; six are year and month when they begin with
// "19" or "20", otherwise a short year, month and day.
DateParts ReadDigits(std::string_view text) {
  DateParts parts;
  const std::string digits = Trim(text);
  const std::optional<std::int32_t> value = ReadInteger(digits);
  if (!value || *value <= 0) return parts;
  const std::string_view d = digits;
  if (d.size() == 8) {
    parts.year = d.substr(0, 4);
    parts.month = d.substr(4, 2);
    parts.day = d.substr(6, 2);
  } else if (d.size() == 6 && (StartsWith(d, "19") || StartsWith(d, "20"))) {
    parts.year = d.substr(0, 4);
    parts.month = d.substr(4, 2);
  } else if (d.size() == 6) {
    parts.year = ExpandShortYear(ReadInteger(d.substr(0, 2)).value_or(0));
    parts.month = d.substr(2, 2);
    parts.day = d.substr(4, 2);
  }
  return parts;
}

bool IsWritten(std::string_view value) {
  return value != kNoValue && value.size() == 2 && value[0] >= '0' && value[0] <= '9' && value[1] >= '0' &&
         value[1] <= '9';
}

}  // namespace

void ParseReleaseDate(std::string_view text) {
  const std::string date = ToHalfAlnum(text);
  DateParts parts;
  bool separated = false;
  for (const DateNotation& notation : kDateNotations) {
    if (FindChar(date, notation.year) != npos) {
      parts = ReadSeparated(date, notation);
      separated = true;
      break;
    }
  }
  if (!separated) parts = ReadDigits(date);

  TBase& book = BookRecord;
  book.PubYear = parts.year;
  if (IsWritten(parts.month)) book.PubMonth = parts.month;
  if (IsWritten(parts.day)) book.PubDay = parts.day;
}

}  // namespace tarvo
