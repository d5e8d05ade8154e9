#include "record/book_record.h"

#include "page/charset.h"
#include "page/sjis_literal.h"
#include "page/text.h"

namespace tarvo {

TBase BookRecord;

namespace {

using Member = std::string TBase::*;

constexpr std::array<Member, TBase::kFieldCount> kFields = {
    &TBase::ISBN,      &TBase::Title,        &TBase::TitleKana,   &TBase::Subtitle,  &TBase::Volume,
    &TBase::Author1,   &TBase::Author1Kana,  &TBase::Author2,     &TBase::Author2Kana, &TBase::OtherAuthors,
    &TBase::CCode,     &TBase::Field11,      &TBase::Publisher,   &TBase::Label,     &TBase::Field14,
    &TBase::BookSize,  &TBase::PageURL,      &TBase::Field17,     &TBase::Field18,   &TBase::Purchase,
    &TBase::Price,     &TBase::Tax,          &TBase::Field22,     &TBase::TaxAgain,  &TBase::PubYear,
    &TBase::PubMonth,  &TBase::PubDay,       &TBase::Field27,     &TBase::Field28,   &TBase::Field29,
    &TBase::Field30,   &TBase::Field31,      &TBase::Field32,     &TBase::Field33,   &TBase::Pages,
    &TBase::Description, &TBase::ImageURL,   &TBase::Field37,     &TBase::Field38,   &TBase::Field39,
    &TBase::Field40,   &TBase::Field41,      &TBase::Field42,     &TBase::Field43,   &TBase::ReadState,
    &TBase::Field45,   &TBase::Field46,      &TBase::Field47,     &TBase::Field48,   &TBase::Field49,
    &TBase::Field50,   &TBase::Field51,      &TBase::Field52,     &TBase::Field53,   &TBase::Field54,
    &TBase::Field55,   &TBase::Field56,      &TBase::Field57,     &TBase::Field58,   &TBase::Field59,
    &TBase::Field60,   &TBase::Field61,      &TBase::Field62,     &TBase::Author1Note, &TBase::Field64,
    &TBase::Field65,
};

bool NeedsQuotes(std::string_view column) {
  for (std::size_t i = 0; i < column.size();) {
    const auto b = static_cast<unsigned char>(column[i]);
    if (IsLeadByte(b)) {
      i += 2;  // a two-byte character is stepped over whole
      continue;
    }
    if ((b >= 0x01 && b <= 0x20) || b == '"' || b == ',') return true;
    ++i;
  }
  return false;
}

}  // namespace

std::string& TBase::Field(int k) { return this->*kFields.at(static_cast<std::size_t>(k)); }
const std::string& TBase::Field(int k) const { return this->*kFields.at(static_cast<std::size_t>(k)); }

void ClearBookRecord() {
  for (Member m : kFields) (BookRecord.*m).clear();
}

std::string EscapeField(std::string_view value) {
  std::string v = ReplaceAll(value, "\r\n", "$$");
  v = ReplaceAll(v, "\"", "”"_sj);
  return ReplaceAll(v, ",", "，"_sj);
}

std::string JoinCommaText(const std::array<std::string, 68>& columns) {
  std::string line;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c > 0) line.push_back(',');
    const std::string& col = columns[c];
    if (!NeedsQuotes(col)) {
      line.append(col);
      continue;
    }
    line.push_back('"');
    for (char ch : col) {
      if (ch == '"') line.push_back('"');
      line.push_back(ch);
    }
    line.push_back('"');
  }
  return line;
}

std::string BuildResultLine() {
  std::array<std::string, 68> columns;
  std::size_t c = 0;
  for (int k = 0; k < TBase::kFieldCount; ++k) {
    std::string& field = BookRecord.Field(k);
    if (k == 2 || k == 6 || k == 8) field = ToHalfWidthLimited(field);
    // A value that ends in half a character (from a settings file or a dictionary) would take
    // the following comma as its second byte for a reader that steps over characters whole.
    columns[c++] = EscapeField(DropCutCharacter(field));
    if (k == 18 || k == 38) ++c;  // the inserted empty column
  }
  return JoinCommaText(columns);
}

}  // namespace tarvo
