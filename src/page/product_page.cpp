#include "page/product_page.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "normalise/authors.h"
#include "normalise/credits.h"
#include "normalise/release_date.h"
#include "page/charset.h"
#include "page/markup.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "page/title_line.h"
#include "platform/platform.h"
#include "plugin/wait.h"
#include "record/book_record.h"

namespace tarvo {

// The stop flag lives here, with its first reader below the driver, so that the page library
// links on its own; the wait window sets it and the driver reads it too.
std::atomic<bool> StopFlag{false};

namespace {

// ---- Loading --------------------------------------------------------------------------------

// The text of a line list ends at its first NUL byte.
std::string_view UpToNul(std::string_view text) {
  const std::size_t nul = text.find('\0');
  return nul == npos ? text : text.substr(0, nul);
}

// Calls `emit` with each line of `text`, split at CR LF, lone CR and lone LF; a line end at the
// very end adds no empty line.
template <class Emit>
void ForEachLine(std::string_view text, Emit&& emit) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == npos ? text.size() : lf;
    // Lone CRs before `end` end lines too; a CR right before the LF belongs to it.
    for (std::size_t cr = text.substr(start, end - start).find('\r'); cr != npos;
         cr = text.substr(start, end - start).find('\r')) {
      cr += start;
      if (lf != npos && cr + 1 == end) break;
      emit(text.substr(start, cr - start));
      start = cr + 1;
    }
    if (lf == npos) {
      if (start < end) emit(text.substr(start));
      return;
    }
    const bool crlf = end > start && text[end - 1] == '\r';
    emit(text.substr(start, end - start - (crlf ? 1 : 0)));
    start = lf + 1;
  }
}

// The text of the page's line list: the file's text up to its first NUL, each line followed by
// CR LF. The UTF-8 decoder sees exactly this text, so a sequence cut short by a line end takes
// the CR as its continuation byte.
std::string PageListText(std::string_view raw) {
  const std::string_view text = UpToNul(raw);
  std::string out;
  out.reserve(text.size() + text.size() / 32 + 2);
  ForEachLine(text, [&out](std::string_view line) { out.append(line).append("\r\n"); });
  return out;
}

struct Replacement {
  std::string_view from;
  std::string_view to;
};

// Decoded over the whole page, one after the other. "&amp;" goes first, so "&amp;lt;" ends as "<".
constexpr Replacement kEntities[] = {
    {"&amp;", "&"},
    {"&quot;", "”"_sj},
    {"&lt;", "<"},
    {"&gt;", ">"},
};

// The page as Shift-JIS text: converted as a whole, cut at a NUL the conversion produced, and
// with its entities decoded. None of this creates or removes a line end.
std::string LoadPage(const std::string& path) {
  std::string text = Utf8ToSjis(PageListText(platform::ReadWholeFile(path)));
  text.resize(UpToNul(text).size());
  for (const Replacement& r : kEntities) {
    if (ContainsBytes(text, r.from)) text = ReplaceAll(text, r.from, r.to);
  }
  return text;
}

// The lines of `text` as views into it.
std::vector<std::string_view> SplitLineViews(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(text.size() / 48 + 1);
  ForEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
  return lines;
}

// ---- Markers --------------------------------------------------------------------------------

// Each marker's bit is 1 << its index in kMarkers.
enum MarkerBit : std::uint16_t {
  kTitleMarker = 1u << 0,
  kLabelMarker = 1u << 1,
  kAuthorMarker = 1u << 2,
  kPriceMarker = 1u << 3,
  kDateMarker = 1u << 4,
  kPublisherMarker = 1u << 5,
  kSizeMarker = 1u << 6,
  kCoverMarker = 1u << 7,
  kParagraphMarker = 1u << 8,
  kDescriptionMarker = 1u << 9,
  kCartMarker = 1u << 10,
  kAuthorBlockEnd = 1u << 11,
  kDescriptionBlockEnd = 1u << 12,
};

constexpr std::string_view kMarkers[] = {
    "<h1 class=\"stTitle\">",
    "レーベル"_sj,
    "<p class=\"stAuthor\"><span>",
    "<span class=\"stPrice\">",
    "発売日"_sj,
    "出版社："_sj,
    "サイズ"_sj,
    "image/webp",
    "<p class=\"stText\">",
    "商品説明"_sj,
    "dy_put_cart",
    "<!-- .stOverview--></div>",
    "pbNested",
};
static_assert(std::size(kMarkers) == 13 && kDescriptionBlockEnd == 1u << 12);

// For each byte value, the markers that begin with it.
constexpr std::array<std::uint16_t, 256> MakeFirstByteTable() {
  std::array<std::uint16_t, 256> table{};
  for (std::size_t k = 0; k < std::size(kMarkers); ++k) {
    table[static_cast<unsigned char>(kMarkers[k][0])] |= static_cast<std::uint16_t>(1u << k);
  }
  return table;
}
constexpr std::array<std::uint16_t, 256> kFirstByte = MakeFirstByteTable();

// The markers that `line` contains (byte search), found in one pass over it: a byte that begins
// no marker costs one table look-up.
std::uint16_t MarkersIn(std::string_view line) {
  std::uint16_t found = 0;
  const char* s = line.data();
  const std::size_t n = line.size();
  for (std::size_t p = 0; p + 1 < n; ++p) {  // every marker has two bytes or more
    for (unsigned candidates = kFirstByte[static_cast<unsigned char>(s[p])]; candidates != 0;
         candidates &= candidates - 1) {
      const int k = std::countr_zero(candidates);
      const std::string_view m = kMarkers[k];
      if (s[p + 1] == m[1] && n - p >= m.size() && std::memcmp(s + p, m.data(), m.size()) == 0) {
        found = static_cast<std::uint16_t>(found | (1u << k));
      }
    }
  }
  return found;
}

// ---- Cleaning -------------------------------------------------------------------------------

std::string RemoveEach(std::string_view text, std::initializer_list<std::string_view> patterns) {
  std::string out(text);
  for (std::string_view p : patterns) out = RemoveAll(out, p);
  return out;
}

// The bytes after the first ":" (all of the text without one), at most 100 of them, cut at a
// whole character: half a character would swallow the comma after its column in the result line.
std::string AfterColon(std::string_view text) { return CutToCharacters(AfterFirst(text, ":"), 100); }

// ---- The line loop --------------------------------------------------------------------------

class PageReader {
 public:
  explicit PageReader(std::string_view text) : lines_(SplitLineViews(text)) {}

  // Runs the checks over every line but the last two; true when a title line was handled.
  bool Read() {
    if (lines_.size() < 3) return false;
    markers_.reserve(lines_.size());
    for (std::string_view line : lines_) markers_.push_back(MarkersIn(line));
    for (std::size_t i = 0; i + 2 < lines_.size(); ++i) {
      if (StopFlag.load()) break;
      CheckLine(i);
    }
    return title_seen_;
  }

 private:
  void CheckLine(std::size_t i) {
    const std::uint16_t m = markers_[i];
    if (m == 0) return;
    TBase& book = BookRecord;
    const std::string_view line = lines_[i];
    const std::string_view next = lines_[i + 1];
    if (m & kTitleMarker) {
      ParseTitleLine(line, true);
      title_seen_ = true;
      if (book.Title.empty()) ParseTitleLine(next, false);  // the title on the line after the tag
    }
    if ((m & kLabelMarker) && !cart_seen_) book.Label = GetBetween(next, ">", "<");
    if (m & kAuthorMarker) ReadAuthorBlock(i);
    if ((m & kPriceMarker) && !cart_seen_)
      book.Price = GetBetween(line, "<span class=\"stPrice\">", "</span>");
    if ((m & kDateMarker) && !cart_seen_) ParseReleaseDate(AfterColon(ToHalfWidth(StripTags(line))));
    if ((m & kPublisherMarker) && !cart_seen_) ReadPublisher(next);
    if ((m & kSizeMarker) && !cart_seen_) ReadSize(line);
    if ((m & kCoverMarker) && ContainsBytes(next, "width")) {
      book.ImageURL = GetBetween(next, "<img src=\"", "\" width");
    }
    if (m & kParagraphMarker) AddParagraph(StripTags(line));
    if (m & kDescriptionMarker) ReadDescriptionBlock(i + 1);
    if (m & kCartMarker) cart_seen_ = true;  // from the next line on
  }

  // From line `first` up to, not including, the line that closes the overview, or to the last
  // line of the page when none does.
  void ReadAuthorBlock(std::size_t first) {
    for (std::size_t k = first; k < lines_.size() && !(markers_[k] & kAuthorBlockEnd); ++k) {
      const std::string_view line = lines_[k];
      std::string x = RemoveEach(line, {"\t", "\r\n", "<br>"});
      if (ContainsBytes(x, "stPrice02")) {
        x = GetBetween(x, "<span>", "</span>");
        BookRecord.Price = x;
      }
      if (!ContainsBytes(x, "stText") && ContainsBytes(x, "<a href=\"")) ReadCreditLine(line);
    }
  }

  static void ReadCreditLine(std::string_view line) {
    std::string c = RemoveEach(line, {"\t", "\r\n", "<br>", " ", "（著）"_sj});
    c = StripTags(ReplaceAll(c, ",", "／"_sj));
    AuthorList.clear();
    ParseAuthorCredits(c);
    AssignAuthors(true, true, true, "");
  }

  static void ReadPublisher(std::string_view line) {
    std::string x = StripTags(RemoveEach(line, {"\t", "\r\n"}));
    x = AfterColon(ReplaceAll(x, "："_sj, ":"));
    BookRecord.Publisher = RemoveAll(x, " ");
  }

  // "size/pages", or only the pages when there is no "/".
  static void ReadSize(std::string_view line) {
    const std::string x = AfterColon(ToHalfAlnum(ToHalfWidth(StripTags(RemoveEach(line, {"\t", "\r\n"})))));
    TBase& book = BookRecord;
    book.BookSize = BeforeFirst(x, "/");
    book.Pages = RemoveEach(CutToCharacters(AfterFirst(x, "/"), 100), {"p", "ﾍﾟｰｼﾞ"_sj});
  }

  // A paragraph is kept only when it is longer than the whole description so far.
  static void AddParagraph(const std::string& paragraph) {
    std::string& description = BookRecord.Description;
    if (paragraph.size() > description.size()) description.append("\r\n").append(paragraph);
  }

  // Up to ten lines from `first`, ending before a "pbNested" line or after the last line.
  void ReadDescriptionBlock(std::size_t first) {
    std::string x;
    const std::size_t end = std::min(first + 10, lines_.size());
    for (std::size_t k = first; k < end && !(markers_[k] & kDescriptionBlockEnd); ++k) x.append(lines_[k]);
    x = RemoveEach(x, {"\t", "\r\n"});
    x = ReplaceAllIgnoreCase(x, "<br>", "\r\n");
    x = ReplaceAllIgnoreCase(x, "</td>", "\r\n");
    x = RemoveAll(StripTags(x), " ");
    x = ReplaceAll(x, "　"_sj, " ");
    BookRecord.Description = ReplaceAll(x, "\r\n\r\n", "\r\n");
  }

  const std::vector<std::string_view> lines_;
  std::vector<std::uint16_t> markers_;
  bool title_seen_ = false;
  bool cart_seen_ = false;
};

// AuthorList belongs to one page: empty when the parse starts, released however it ends.
class AuthorListScope {
 public:
  AuthorListScope() { Release(); }
  ~AuthorListScope() { Release(); }
  AuthorListScope(const AuthorListScope&) = delete;
  AuthorListScope& operator=(const AuthorListScope&) = delete;

 private:
  static void Release() { CreditList().swap(AuthorList); }
};

}  // namespace

bool ParseProductPage(const std::string& pagePath) {
  const AuthorListScope credits;
  if (!platform::FileExists(pagePath)) return false;
  const std::string text = LoadPage(pagePath);
  if (!PageReader(text).Read()) return false;
  TBase& book = BookRecord;
  book.Description = Trim(ReplaceAll(book.Description, "　"_sj, " "));
  ApplyPrivateMode(pagePath + ".pembra_private", "", "");
  return true;
}

bool ApplyPrivateMode(const std::string& markerPath, std::string_view value17, std::string_view value18) {
  if (!platform::FileExists(markerPath)) return true;
  TBase& book = BookRecord;
  // The size text reaches here in half-width form, so the word "comic" goes in both widths.
  book.BookSize = RemoveAll(RemoveAll(ReplaceAll(book.BookSize, "文庫"_sj, "A6"), "コミック"_sj), "ｺﾐｯｸ"_sj);
  book.Field17 = std::string(value17);
  book.Field18 = std::string(value18);
  book.PageURL.clear();
  return true;
}

}  // namespace tarvo
