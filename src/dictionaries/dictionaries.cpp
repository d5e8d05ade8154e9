#include "dictionaries/dictionaries.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "page/charset.h"
#include "page/sjis_literal.h"
#include "platform/platform.h"
#include "record/book_record.h"

namespace tarvo {

LineList AuthorDictionary;
LineList LabelDictionary;

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Finds a key of the form "|" + piece + "|" + anything in a dictionary text without scanning the
// text. Such a key can only stand where a "|" begins a span up to the next "|" that holds
// exactly `piece`; the index lists, for each span content, every place it stands, first to
// last. Checking the whole key at those places, in order, gives the first occurrence that byte
// search would give. Other keys are searched in the text.
class KeyIndex {
 public:
  void Build(std::string_view text) {
    Clear();
    if (text.size() >= kNone) return;  // offsets are 32-bit; such a text is searched plainly
    bars_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '|')));
    for (std::size_t at = text.find('|'); at != npos; at = text.find('|', at + 1)) {
      bars_.push_back(static_cast<std::uint32_t>(at));
    }
    if (bars_.size() < 2) return;
    const std::size_t spans = bars_.size() - 1;
    std::size_t capacity = 16;
    while (capacity < spans * 2) capacity *= 2;
    slots_.assign(capacity, kNone);
    next_.assign(spans, kNone);
    // From the last span to the first, so that each content's list ends up in text order.
    for (std::size_t k = spans; k-- > 0;) {
      std::uint32_t& slot = slots_[SlotOf(text, Span(text, k))];
      next_[k] = slot;
      slot = static_cast<std::uint32_t>(k);
    }
    built_ = true;
  }

  void Clear() {
    std::vector<std::uint32_t>().swap(bars_);
    std::vector<std::uint32_t>().swap(next_);
    std::vector<std::uint32_t>().swap(slots_);
    built_ = false;
  }

  // FindBytes(text, key), for the text the index was built from.
  std::size_t Find(std::string_view text, std::string_view key) const {
    const std::size_t close = key.size() >= 2 && key.front() == '|' ? key.find('|', 1) : npos;
    if (!built_ || close == npos) return FindBytes(text, key);
    for (std::uint32_t k = slots_[SlotOf(text, key.substr(1, close - 1))]; k != kNone; k = next_[k]) {
      if (text.substr(bars_[k], key.size()) == key) return bars_[k];
    }
    return npos;
  }

 private:
  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

  // The bytes between bar k and bar k + 1.
  std::string_view Span(std::string_view text, std::size_t k) const {
    return text.substr(bars_[k] + 1, bars_[k + 1] - bars_[k] - 1);
  }

  // The table position of `content`: the one holding it, or the empty one where it belongs.
  std::size_t SlotOf(std::string_view text, std::string_view content) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = std::hash<std::string_view>()(content) & mask;
    while (slots_[i] != kNone && Span(text, slots_[i]) != content) i = (i + 1) & mask;
    return i;
  }

  bool built_ = false;
  std::vector<std::uint32_t> bars_;   // the offset of every "|", in text order
  std::vector<std::uint32_t> next_;   // next_[k]: the next span after span k with its content
  std::vector<std::uint32_t> slots_;  // open addressing by content: its first span, or kNone
};

// One dictionary file as last read in this batch, and what identified it then. A load whose
// file has the same path, presence, size and modification time reuses it.
struct CachedFile {
  bool valid = false;
  std::string path;
  bool present = false;
  std::uint64_t size = 0;
  std::int64_t mtime = 0;
  std::string text;  // the searched form: the lines, each followed by CR LF
  KeyIndex index;

  // Gives the memory back, not just the contents.
  void Drop() {
    valid = false;
    std::string().swap(path);
    std::string().swap(text);
    index.Clear();
  }
};

CachedFile author_file;
CachedFile label_file;
CachedFile publisher_file;
bool held = false;

// Makes `file` hold `path` as it is now, reading it only when its identity changed. `lines`, when given,
// receives the file's lines. A file that is not there gives no lines; FileError passes through
// and leaves nothing cached.
void Refresh(const std::string& path, CachedFile& file, LineList* lines) {
  held = true;
  std::uint64_t size = 0;
  std::int64_t mtime = 0;
  const bool present = platform::FileIdentity(path, size, mtime);
  if (file.valid && file.path == path && file.present == present && file.size == size && file.mtime == mtime) {
    return;
  }
  file.Drop();
  if (lines != nullptr) LineList().swap(*lines);
  if (present) {
    LineList read = SplitLines(platform::ReadWholeFile(path));
    file.text = JoinLines(read);
    file.index.Build(file.text);
    if (lines != nullptr) *lines = std::move(read);
  }
  file.path = path;
  file.present = present;
  file.size = size;
  file.mtime = mtime;
  file.valid = true;
}

// GetBetween(text, key, CR LF) for a key found at `at`: the rest of the key's line.
std::string RestOfLine(std::string_view text, std::size_t at, std::size_t keySize) {
  const std::string_view rest = text.substr(at + keySize);
  return std::string(rest.substr(0, FindBytes(rest, kLineEnd)));
}

// Publisher parts of 2 to 6 characters from `part`, shortest first. True when one was listed.
bool LookUpPublisherPart(const CachedFile& dictionary, std::string_view part) {
  for (std::size_t n = 2; n <= 6; ++n) {
    std::string key = "|";
    key.append(part.substr(0, n));
    key.push_back('|');
    const std::size_t at = dictionary.index.Find(dictionary.text, key);
    if (at != npos) {
      BookRecord.Publisher = RestOfLine(dictionary.text, at, key.size());
      return true;
    }
  }
  return false;
}

}  // namespace

const std::string& AuthorDictionaryText() { return author_file.text; }
const std::string& LabelDictionaryText() { return label_file.text; }
bool DictionariesHeld() { return held; }

std::size_t FindInAuthorDictionary(std::string_view key) { return author_file.index.Find(author_file.text, key); }

void LoadAuthorDictionary(const std::string& dataDir) {
  Refresh(dataDir + "AuthDB.dat", author_file, &AuthorDictionary);
}

void LoadLabelDictionary(const std::string& dataDir) {
  Refresh(dataDir + "LabelsDB.dat", label_file, &LabelDictionary);
}

void LookupPublisher(const std::string& dataDir) {
  Refresh(dataDir + "PubDB.dat", publisher_file, nullptr);
  if (publisher_file.text.empty()) return;
  const std::string_view code = BookRecord.ISBN;
  // ISBN-13 "978"/"979" + group "4": the publisher part starts at the fifth character.
  if (StartsWith(code, "9")) {
    LookUpPublisherPart(publisher_file, code.substr(std::min<std::size_t>(4, code.size())));
  }
  // ISBN-10 group "4": the publisher part starts at the second character.
  if (StartsWith(code, "4")) LookUpPublisherPart(publisher_file, code.substr(1));
}

void LookupLabel() {
  if (LabelDictionary.empty()) return;
  std::string key = "|";
  key.append(BookRecord.Publisher);
  key.push_back('|');
  key.append(ToDictionaryKey(BookRecord.Label));
  key.push_back('|');
  const std::size_t at = label_file.index.Find(label_file.text, key);
  if (at != npos) BookRecord.Label = RestOfLine(label_file.text, at, key.size());
}

void ReleaseDictionaries() {
  LineList().swap(AuthorDictionary);
  LineList().swap(LabelDictionary);
  author_file.Drop();
  label_file.Drop();
  publisher_file.Drop();
  held = false;
}

std::string ToDictionaryKey(std::string_view name) {
  std::string key(name);
  for (std::string_view mark : {"・"_sj, "☆"_sj, "★"_sj, "♪"_sj}) key = RemoveAll(key, mark);
  key = ReplaceAll(key, "ニ"_sj, "二"_sj);  // katakana ni filed as the kanji two
  key = ToHalfWidthLimited(key);
  key = RemoveAll(key, " ");
  key = ReplaceAll(key, "\xB0", "-");  // the half-width prolonged sound mark
  return Trim(key);
}

}  // namespace tarvo
