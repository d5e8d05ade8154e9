// The book record: everything learnt about the book being looked up, and its result line.
//
// One global TBase, BookRecord, holds the book of the current code. Its 66 text fields are
// Shift-JIS byte strings; their order is the column order of the result line (68 columns: an
// empty column follows field 18 and field 38).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo {

struct TBase {
  std::int32_t Reserved = 0;  // never read or written; not part of the result line
  std::string ISBN;           // 0
  std::string Title;          // 1
  std::string TitleKana;      // 2 (half-width on output)
  std::string Subtitle;       // 3
  std::string Volume;         // 4
  std::string Author1;        // 5
  std::string Author1Kana;    // 6 (half-width on output)
  std::string Author2;        // 7
  std::string Author2Kana;    // 8 (half-width on output)
  std::string OtherAuthors;   // 9, one credit per line
  std::string CCode;          // 10
  std::string Field11;
  std::string Publisher;      // 12
  std::string Label;          // 13
  std::string Field14;
  std::string BookSize;       // 15
  std::string PageURL;        // 16
  std::string Field17;        // written only by private mode
  std::string Field18;        // written only by private mode
  std::string Purchase;       // 19
  std::string Price;          // 20
  std::string Tax;            // 21
  std::string Field22;
  std::string TaxAgain;       // 23
  std::string PubYear;        // 24
  std::string PubMonth;       // 25
  std::string PubDay;         // 26
  std::string Field27, Field28, Field29, Field30, Field31, Field32, Field33;
  std::string Pages;          // 34
  std::string Description;    // 35, paragraphs separated by CR LF
  std::string ImageURL;       // 36
  std::string Field37, Field38;
  std::string Field39, Field40, Field41, Field42, Field43;
  std::string ReadState;      // 44
  std::string Field45, Field46, Field47, Field48, Field49, Field50, Field51, Field52, Field53;
  std::string Field54, Field55, Field56, Field57, Field58, Field59, Field60, Field61, Field62;
  std::string Author1Note;    // 63
  std::string Field64, Field65;

  static constexpr int kFieldCount = 66;
  // Field k (0 to 65) in column order.
  std::string& Field(int k);
  const std::string& Field(int k) const;
};

// The book of the current code; lives as long as the library is loaded.
extern TBase BookRecord;

// Empties all 66 text fields of BookRecord; the leading integer is left alone.
void ClearBookRecord();

// CR LF -> "$$", '"' -> "”", ',' -> "，", in this order.
std::string EscapeField(std::string_view value);

// The 68-column result line of BookRecord. Fields 2, 6 and 8 are left holding their half-width
// form (at most 255 bytes).
std::string BuildResultLine();

// The comma-text rule: a column holding a byte 0x01-0x20, a quote or a comma is quoted, quotes
// inside doubled; columns joined by commas.
std::string JoinCommaText(const std::array<std::string, 68>& columns);

}  // namespace tarvo
