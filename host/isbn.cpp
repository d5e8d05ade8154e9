#include "host/isbn.h"

namespace tarvo::host {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view s) {
  for (char c : s) {
    if (!IsDigit(c)) return false;
  }
  return !s.empty();
}

// The EAN-13 check digit of twelve digits.
char Ean13CheckDigit(std::string_view twelve) {
  int sum = 0;
  for (std::size_t i = 0; i < 12; ++i) sum += (twelve[i] - '0') * (i % 2 == 0 ? 1 : 3);
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool IsEan13(std::string_view s) { return s.size() == 13 && AllDigits(s) && Ean13CheckDigit(s) == s[12]; }

bool IsIsbn13(std::string_view s) { return IsEan13(s) && (s.substr(0, 3) == "978" || s.substr(0, 3) == "979"); }

bool IsIsbn10(std::string_view s) {
  if (s.size() != 10 || !AllDigits(s.substr(0, 9))) return false;
  int sum = 0;
  for (std::size_t i = 0; i < 9; ++i) sum += (s[i] - '0') * static_cast<int>(10 - i);
  const char last = s[9];
  if (last == 'X' || last == 'x') {
    sum += 10;
  } else if (IsDigit(last)) {
    sum += last - '0';
  } else {
    return false;
  }
  return sum % 11 == 0;
}

std::string Isbn10To13(std::string_view isbn10) {
  std::string isbn13 = "978";
  isbn13.append(isbn10.substr(0, 9));
  isbn13.push_back(Ean13CheckDigit(isbn13));
  return isbn13;
}

}  // namespace

std::string WithoutSeparators(std::string_view code) {
  std::string s;
  for (char c : code) {
    if (c != '-' && c != ' ') s.push_back(c);
  }
  return s;
}

std::string CheckBookCode(std::string_view code) {
  const std::string s = WithoutSeparators(code);
  const std::string_view v = s;
  switch (v.size()) {
    case 10:
      return IsIsbn10(v) ? Isbn10To13(v) : std::string();
    case 13:
      return IsIsbn13(v) ? s : std::string();
    case 18:
      return IsIsbn10(v.substr(0, 10)) && AllDigits(v.substr(10)) ? Isbn10To13(v) : std::string();
    case 26:
      return IsIsbn13(v.substr(0, 13)) && v.substr(13, 3) == "192" && IsEan13(v.substr(13))
                 ? std::string(v.substr(0, 13))
                 : std::string();
    default:
      return {};
  }
}

}  // namespace tarvo::host
