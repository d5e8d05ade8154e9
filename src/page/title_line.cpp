#include "page/title_line.h"

#include <algorithm>
#include <string>

#include "normalise/title.h"
#include "page/charset.h"
#include "page/markup.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "record/book_record.h"

namespace tarvo {
namespace {

struct Replacement {
  std::string_view from;
  std::string_view to;
};

// Applied to the raw heading line in this order, before the remaining tags are stripped. The
// pre-order mark is removed only together with the half-width space that follows it.
constexpr Replacement kLineCleaning[] = {
    {"\t", ""},
    {"\r\n", ""},
    {"<b>", ""},
    {"</b>", ""},
    {"<br>", " "},
    {"【入荷予約】 "_sj, ""},
    {"（"_sj, "("},
    {"）"_sj, ")"},
};

std::string CleanLine(std::string_view line) {
  std::string s(line);
  for (const Replacement& r : kLineCleaning) s = ReplaceAll(s, r.from, r.to);
  return StripTags(s);
}

// `s` with every "(" + `group` + ")" removed, as a left-to-right replace-all by character
// search would remove it. `group` holds no ")" (it was cut at the first one), so occurrences
// never overlap and each ends at a ")" of `s`; comparing backwards from each ")" stops at the
// ")" before it, which keeps the work linear however long the group is.
std::string RemoveGroup(std::string_view s, std::string_view group) {
  const std::size_t length = group.size() + 2;
  std::string out;
  std::size_t done = 0;  // bytes of `s` before this are copied or removed
  std::size_t walk = 0;  // character boundary reached so far, counting from `done`
  for (std::size_t close = s.find(')'); close != npos; close = s.find(')', close + 1)) {
    if (close + 1 < done + length) continue;
    const std::size_t open = close + 1 - length;
    std::size_t k = group.size();
    while (k > 0 && s[open + k] == group[k - 1]) --k;
    if (k > 0 || s[open] != '(') continue;
    walk = std::max(walk, done);
    while (walk < open) walk += IsLeadByte(s[walk]) ? 2 : 1;
    if (walk != open) continue;  // begins on the second byte of a character
    out.append(s.substr(done, open - done));
    done = close + 1;
  }
  out.append(s.substr(done));
  return out;
}

}  // namespace

void ParseTitleLine(std::string_view line, bool allowFallback) {
  TBase& book = BookRecord;
  const std::string s = CleanLine(line);

  // The first group: "(label title)" names the imprint and the title, a group of digits is the
  // volume.
  const std::string g1 = GetBetween(s, "(", ")");
  if (g1.find(' ') != npos && book.Label.empty()) {
    book.Title = GetBetween(g1, " ", ")");
    book.Label = GetBetween(s, "(", " ");
  }
  if (IsAllDigits(g1)) book.Volume = ToHalfWidth(g1);  // no group at all empties the volume

  // The group that comes first once the first one is taken out: a volume or the imprint.
  if (!GetField(s, "(", 2).empty()) {
    const std::string r = RemoveGroup(s, g1);
    const std::string g2 = GetBetween(r, "(", ")");
    if (!g2.empty() && IsAllDigits(g2)) {
      book.Volume = ToHalfWidth(g2);
    } else if (!g2.empty() && book.Label.empty()) {
      book.Label = g2;
    }
  }

  const std::string beforeGroup = BeforeFirst(s, "(");
  if (!book.Title.empty()) {
    book.Subtitle = beforeGroup;
  } else {
    book.Title = beforeGroup;
  }
  if (book.Title.find(' ') != npos) book.Title = BeforeFirst(book.Title, " ");

  // Words 2 to 4 before the first group: a word with a digit is the volume, the others go in
  // front of the subtitle in page order. Words 2 and 3 are taken again from the whole line for
  // the subtitle, so the last word before the group keeps whatever joins it up to the next space.
  const std::string& t = beforeGroup;
  for (int k = 4; k >= 2; --k) {
    const std::string word = GetField(t, " ", k);
    if (word.empty()) continue;
    if (HasDigit(ToHalfAlnum(word))) {
      book.Volume = ToHalfWidth(DigitsOf(word));
    } else {
      const std::string v = GetField(k == 4 ? std::string_view(t) : std::string_view(s), " ", k);
      book.Subtitle = ToHalfAlnum(v) + " " + book.Subtitle;
    }
  }

  if (allowFallback && book.Title.empty()) NormaliseTitle(s);
}

}  // namespace tarvo
