#include "plugin/driver.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

#include "dictionaries/dictionaries.h"
#include "page/charset.h"
#include "page/markup.h"
#include "page/product_page.h"
#include "page/sjis_literal.h"
#include "page/text.h"
#include "platform/platform.h"
#include "plugin/code_forms.h"
#include "plugin/host.h"
#include "plugin/settings.h"
#include "plugin/wait.h"
#include "record/book_record.h"

namespace tarvo {

std::string DataDir;

namespace {

struct PluginIdentity {
  std::string_view funcName = "DownlaodFunc";
  std::string_view title = "ISBN検索 tarvo"_sj;
  std::string_view author = "tarvo developers";
  std::string_view version = "1.1.8";
  std::string_view code = "3";
};

// One batch: the codes (each replaced by its checked form as the batch goes), the lines found.
struct Batch {
  std::string outputFile;
  std::string baseUrl;
  LineList codes;
  LineList results;
  std::string_view endMessage;  // why the batch ended early, when it did
};

enum class PassEnd { kNextCode, kStopped, kBatchEnded };

// Released on every way out of a batch once it has begun.
class BatchResources {
 public:
  BatchResources() = default;
  BatchResources(const BatchResources&) = delete;
  BatchResources& operator=(const BatchResources&) = delete;
  ~BatchResources() {
    WaitEnd();
    ReleaseHost();
    ReleaseDictionaries();
    platform::EndDownloadSession();
  }
};

// A result file that cannot be written is said, not passed over: the host would import nothing.
void WriteResults(const Batch& batch) {
  if (platform::WriteWholeFile(batch.outputFile, JoinLines(batch.results))) return;
  platform::ShowMessage(std::string("検索結果を書き込めませんでした: "_sj) + batch.outputFile);
}

// The text of a downloaded page in Shift-JIS, as lines. Raises Utf8Error.
LineList LoadPage(const std::string& path) {
  return SplitLines(Utf8ToSjis(JoinLines(SplitLines(platform::ReadWholeFile(path)))));
}

PassEnd RunPass(Batch& batch, std::size_t i) {
  WaitStep(static_cast<int>(i + 1), static_cast<int>(batch.codes.size()), batch.codes[i]);
  if (StopFlag.load()) return PassEnd::kStopped;

  ClearBookRecord();
  BookRecord.ISBN = batch.codes[i];
  LoadAuthorDictionary(DataDir);
  LookupPublisher(DataDir);
  LoadLabelDictionary(DataDir);
  if (BookRecord.ISBN.size() == kShortBarcodeCodeLength) {
    BarcodeParts parts = SplitShortBarcodeCode(batch.codes[i]);
    BookRecord.ISBN = std::move(parts.isbn);
    BookRecord.CCode = std::move(parts.ccode);
    BookRecord.Price = std::move(parts.price);
  }

  batch.codes[i] = HostCheckCode(BookRecord.ISBN);
  if (batch.codes[i].empty()) return PassEnd::kNextCode;

  const std::string searchUrl = SearchUrl(batch.baseUrl, batch.codes[i]);
  if (!HostCanReach(searchUrl)) {
    batch.endMessage = "インターネットに接続されていません"_sj;
    return PassEnd::kBatchEnded;
  }
  const std::string scratch = DataDir + kScratchFileName;
  platform::DeleteFileAt(scratch);  // a failed download must not leave the last code's page
  platform::DownloadUrlToFile(searchUrl, scratch);
  if (!platform::FileExists(scratch)) return PassEnd::kNextCode;

  const std::string link = ResolveProductLink(FindProductLink(LoadPage(scratch)), batch.baseUrl);
  if (!link.empty()) {
    if (!HostCanReach(link)) {
      batch.endMessage = "インターネットに接続されていません2"_sj;
      return PassEnd::kBatchEnded;
    }
    BookRecord.PageURL = link;
    platform::DeleteFileAt(scratch);
    HostDownload(scratch, link);
    if (!platform::FileExists(scratch)) return PassEnd::kNextCode;
  }
  // Without a link the search page itself goes to the parser.
  if (!ParseProductPage(scratch)) return PassEnd::kNextCode;

  if (BookRecord.ISBN.size() == kLongBarcodeCodeLength) {
    BarcodeParts parts = SplitLongBarcodeCode(BookRecord.ISBN);
    if (BookRecord.CCode.empty()) BookRecord.CCode = std::move(parts.ccode);
    if (BookRecord.Price.empty()) BookRecord.Price = std::move(parts.price);
    BookRecord.ISBN = std::move(parts.isbn);
  }
  LookupLabel();
  BookRecord.Volume = DigitsOf(BookRecord.Volume);
  FillSettingsDefaults(HostSettingsPath());
  batch.results.push_back(BuildResultLine());
  return PassEnd::kNextCode;
}

void CopyOut(char* buffer, std::string_view text, std::size_t size) {
  if (buffer == nullptr || size == 0) return;  // no room even for the terminating zero
  const std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

void RunBatch(const char* dataDir, const char* outputFile, const char* codeList) {
  StopFlag.store(false);  // one stop ends one batch, not every later one
  DataDir = dataDir != nullptr ? dataDir : "";
  Batch batch;
  batch.outputFile = outputFile != nullptr ? outputFile : "";
  if (platform::FileExists(batch.outputFile)) platform::DeleteFileAt(batch.outputFile);
  if (codeList == nullptr || *codeList == '\0') {
    platform::ShowMessage("検索するISBNを取得できませんでした"_sj);
    return;
  }
  batch.baseUrl = StoreBaseUrl();
  batch.codes = SplitLines(codeList);

  BatchResources resources;
  if (!BindHost()) return;
  WaitStart();
  try {
    for (std::size_t i = 0; i < batch.codes.size(); ++i) {
      switch (RunPass(batch, i)) {
        case PassEnd::kNextCode:
          continue;
        case PassEnd::kStopped:
          WriteResults(batch);
          WaitEnd();
          return;
        case PassEnd::kBatchEnded:
          WaitEnd();
          WriteResults(batch);  // the books found so far are kept
          platform::ShowMessage(batch.endMessage);
          return;
      }
    }
  } catch (const std::exception& e) {
    // A page that is not UTF-8 or a dictionary that cannot be read ends the batch, keeping the
    // books found so far.
    WaitEnd();
    WriteResults(batch);
    platform::ShowMessage(e.what());
    return;
  }
  WriteResults(batch);
  WaitEnd();
}

void GetInfo(char* funcName, char* pluginTitle, char* pluginAuthor, char* pluginVersion, char* pluginCode,
             int bufferSize) {
  const std::size_t size = static_cast<unsigned>(bufferSize) & 0xFFFFu;
  const PluginIdentity identity;
  CopyOut(funcName, identity.funcName, size);
  CopyOut(pluginTitle, identity.title, size);
  CopyOut(pluginAuthor, identity.author, size);
  CopyOut(pluginVersion, identity.version, size);
  CopyOut(pluginCode, identity.code, size);
}

}  // namespace tarvo
