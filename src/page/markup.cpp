#include "page/markup.h"

#include "page/sjis_literal.h"
#include "page/text.h"

namespace tarvo {

std::string GetBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker) {
  const std::size_t s = FindBytes(text, startMarker);
  if (s == npos) return {};
  const std::string_view rest = text.substr(s + startMarker.size());
  const std::size_t e = FindBytes(rest, endMarker);
  return std::string(e == npos ? rest : rest.substr(0, e));
}

std::string GetField(std::string_view text, std::string_view delimiter, int index) {
  std::string_view remainder = text;
  std::string_view field;
  for (int counter = index; counter > 0;) {
    const std::size_t p = FindChar(remainder, delimiter);
    if (p == npos) {
      field = counter == 1 ? remainder : std::string_view();
      break;
    }
    field = remainder.substr(0, p);
    remainder = remainder.substr(p + 1);
    --counter;
  }
  return std::string(field);
}

std::string ToHalfAlnum(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == 0) break;
    if (!IsLeadByte(b)) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) {  // a lead byte at the very end is copied and ends the walk
      out.push_back(static_cast<char>(b));
      break;
    }
    const auto t = static_cast<unsigned char>(text[i + 1]);
    if (b == 0x82 && t >= 0x4F && t <= 0x79) {
      out.push_back(static_cast<char>(t - 0x1F));
    } else if (b == 0x82 && t >= 0x81 && t <= 0x9A) {
      out.push_back(static_cast<char>(t - 0x20));
    } else {
      out.push_back(static_cast<char>(b));
      out.push_back(static_cast<char>(t));
    }
    i += 2;
  }
  return out;
}

std::string StripTags(std::string_view text) {
  // Comment markers get full-width brackets so that tag removal does not see them.
  std::string work = ReplaceAll(ReplaceAll(text, "<!--", "＜!--"_sj), "-->", "--＞"_sj);
  std::string out;
  out.reserve(work.size());
  // Offsets into `work`; the next "<" is remembered until the text moves past it, so a line of
  // many ">" is still one pass.
  const std::string_view all = work;
  std::size_t rest = 0;
  std::size_t a = all.find('<');
  while (true) {
    if (a != npos && a < rest) a = all.find('<', rest);
    const std::size_t b = all.find('>', rest);
    if (a == npos && b == npos) break;
    if (a != npos && (b == npos || a < b)) out.append(all.substr(rest, a - rest));
    rest = b != npos ? b + 1 : all.size();
  }
  out.append(all.substr(rest));
  out = ReplaceAll(ReplaceAll(out, "＜!--"_sj, "<!--"), "--＞"_sj, "-->");
  out = ReplaceAll(out, "&lt;", "<");
  out = ReplaceAll(out, "&gt;", ">");
  return ReplaceAll(out, "&nbsp;", " ");
}

bool IsAllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool HasDigit(std::string_view text) {
  for (char c : text) {
    if (c >= '0' && c <= '9') return true;
  }
  return false;
}

std::string DigitsOf(std::string_view text) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits.push_back(c);
  }
  return digits.empty() ? std::string(text) : digits;
}

}  // namespace tarvo
