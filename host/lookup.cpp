#include "host/lookup.h"

#include <cstring>

#include "host/comma_text.h"
#include "host/host_functions.h"
#include "page/text.h"
#include "platform/platform.h"

namespace tarvo::host {

namespace {

#if defined(_WIN32)
constexpr char kPluginFileName[] = "tarvo.dll";
#else
constexpr char kPluginFileName[] = "libtarvo.so";
#endif

constexpr int kInfoBufferSize = 256;

// Whether an output row is the book of `code`: the row holds the code as listed, or its ISBN
// part for the forms that carry the second barcode.
bool RowIsCode(const std::vector<std::string>& row, std::string_view code) {
  if (row.empty()) return false;
  const std::string& isbn = row[0];
  if (isbn == code) return true;
  if (code.size() == 18) return isbn == code.substr(0, 10);
  if (code.size() == 26) return isbn == code.substr(0, 13);
  return false;
}

CodeStatus NotFoundReason(const CodeTrace& t) {
  if (t.checked.empty()) return CodeStatus::kInvalidCode;
  if (!t.searchReachable || (t.productTried && !t.productReachable)) return CodeStatus::kUnreachable;
  if (!t.productTried) return CodeStatus::kNoHit;
  if (!t.productDownloaded) return CodeStatus::kProductNotLoaded;
  return CodeStatus::kNoTitle;
}

}  // namespace

std::string DefaultPluginPath() {
  return platform::ExecutableFolder() + platform::PathSeparator() + kPluginFileName;
}

Plugin::Plugin(const std::string& path) {
  module_ = platform::LoadPluginModule(path);
  if (module_ == nullptr) {
    error_ = "cannot load the plug-in " + path;
    return;
  }
  getInfo_ = reinterpret_cast<FuncGetInfoType>(platform::FindFunction(module_, "funcGetInfo"));
  lookup_ = reinterpret_cast<DownlaodFuncType>(platform::FindFunction(module_, "DownlaodFunc"));
  if (!Loaded()) error_ = "the plug-in " + path + " lacks funcGetInfo or DownlaodFunc";
}

Plugin::~Plugin() { platform::FreeModule(module_); }

Plugin::Info Plugin::GetInfo() const {
  char buffers[5][kInfoBufferSize] = {};
  getInfo_(0, buffers[0], buffers[1], buffers[2], buffers[3], buffers[4], kInfoBufferSize);
  return {buffers[0], buffers[1], buffers[2], buffers[3], buffers[4]};
}

void Plugin::Lookup(const std::string& dataDir, const std::string& outputFile, const std::string& codeList) const {
  lookup_(dataDir.c_str(), outputFile.c_str(), codeList.c_str());
}

std::string_view StatusText(CodeStatus status) {
  switch (status) {
    case CodeStatus::kFound:
      return "found";
    case CodeStatus::kInvalidCode:
      return "invalid code";
    case CodeStatus::kNoHit:
      return "no hit in the store";
    case CodeStatus::kProductNotLoaded:
      return "product page could not be downloaded";
    case CodeStatus::kNoTitle:
      return "page without a title";
    case CodeStatus::kNotWritten:
      return "no output file to read it from";
    case CodeStatus::kUnreachable:
      return "store unreachable";
    case CodeStatus::kNotLookedUp:
      return "not looked up (the batch ended before it)";
  }
  return "";
}

bool BatchOutcome::Complete() const {
  for (const CodeOutcome& c : codes) {
    if (c.status == CodeStatus::kNotLookedUp || c.status == CodeStatus::kUnreachable) return false;
  }
  return outputWritten;
}

BatchOutcome RunLookup(const Plugin& plugin, const std::string& dataDir, const std::string& outputFile,
                       const std::vector<std::string>& codes) {
  ResetTrace();
  std::string codeList;
  for (const std::string& code : codes) codeList.append(code).append("\r\n");
  plugin.Lookup(dataDir, outputFile, codeList);
  platform::EndDownloadSession();  // the session of this program's own downloads

  BatchOutcome outcome;
  outcome.outputWritten = platform::FileExists(outputFile);
  if (outcome.outputWritten) {
    for (const std::string& line : SplitLines(platform::ReadWholeFile(outputFile))) {
      outcome.rows.push_back(SplitCommaText(line));
    }
  }
  const std::vector<CodeTrace>& traces = Trace();
  std::size_t next = 0;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    CodeOutcome& c = outcome.codes.emplace_back();
    c.code = codes[i];
    if (i >= traces.size()) continue;  // not looked up
    if (!traces[i].checked.empty() && next < outcome.rows.size() && RowIsCode(outcome.rows[next], codes[i])) {
      c.status = CodeStatus::kFound;
      c.row = next++;
    } else {
      c.status = NotFoundReason(traces[i]);
      if (c.status == CodeStatus::kNoTitle && !outcome.outputWritten) c.status = CodeStatus::kNotWritten;
    }
  }
  return outcome;
}

}  // namespace tarvo::host
