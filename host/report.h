// Showing a batch's books and outcome: a table for the terminal, JSON or CSV with named fields,
// and the closing summary. All output is UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/lookup.h"

namespace tarvo::host {

// The record fields shown by name, in column order, with their field numbers.
struct NamedField {
  const char* name;
  int field;
};
const std::vector<NamedField>& NamedFields();

// The column of an output row that holds field `field` (0-65): an empty column follows fields
// 18 and 38.
std::size_t ColumnOfField(int field);
// Field `field` of a row in UTF-8 (empty when the row is short).
std::string FieldText(const std::vector<std::string>& row, int field);

std::string FormatTable(const BatchOutcome& outcome);
std::string FormatJson(const BatchOutcome& outcome);
std::string FormatCsv(const BatchOutcome& outcome);
// "found N of M" and one line for each code not found, with its reason.
std::string FormatSummary(const BatchOutcome& outcome);

// Display width in terminal columns of UTF-8 text (East Asian wide characters count 2).
std::size_t DisplayWidth(std::string_view utf8);

}  // namespace tarvo::host
