// Running the plug-in from the host program: loading it, one batch, and reading its output back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "plugin/abi.h"

namespace tarvo::host {

// The plug-in's file beside the host program.
std::string DefaultPluginPath();

// The loaded plug-in library with both entry points found.
class Plugin {
 public:
  explicit Plugin(const std::string& path);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  bool Loaded() const { return getInfo_ != nullptr && lookup_ != nullptr; }
  const std::string& Error() const { return error_; }

  struct Info {  // Shift-JIS texts, as funcGetInfo reports them
    std::string funcName, title, author, version, code;
  };
  Info GetInfo() const;
  // One batch: `dataDir` ends in a path separator, `codeList` holds one code a line.
  void Lookup(const std::string& dataDir, const std::string& outputFile, const std::string& codeList) const;

 private:
  void* module_ = nullptr;
  FuncGetInfoType getInfo_ = nullptr;
  DownlaodFuncType lookup_ = nullptr;
  std::string error_;
};

// What became of one code, as far as the host can tell from the plug-in's calls.
enum class CodeStatus {
  kFound,
  kInvalidCode,        // the code check refused it
  kNoHit,              // the search page named no product
  kProductNotLoaded,   // the product page could not be downloaded
  kNoTitle,            // the page had no title
  kNotWritten,         // the page was read, but the plug-in wrote no output file to show it
  kUnreachable,        // the store could not be reached; the batch ended here
  kNotLookedUp,        // the batch ended (stopped, or failed) before this code
};
std::string_view StatusText(CodeStatus status);

struct CodeOutcome {
  std::string code;
  CodeStatus status = CodeStatus::kNotLookedUp;
  std::size_t row = 0;  // the row of a found code
};

struct BatchOutcome {
  bool outputWritten = false;
  std::vector<std::vector<std::string>> rows;  // the output file's lines, 68 Shift-JIS columns each
  std::vector<CodeOutcome> codes;              // in the order given
  bool Complete() const;                       // every code was looked up
};

// Runs one batch of `codes` (Shift-JIS, one per item) and reads the output file back.
BatchOutcome RunLookup(const Plugin& plugin, const std::string& dataDir, const std::string& outputFile,
                       const std::vector<std::string>& codes);

}  // namespace tarvo::host
