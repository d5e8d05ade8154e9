// The sixteen functions the host program exports for the plug-in, and what the host learns
// from the plug-in's calls during a batch.
//
// ISBNChkFunc checks a code (see isbn.h); InternetConnectFunc tests that the URL's host accepts
// a connection; HTTPDownloadFunc downloads a page into a file (no file on failure). The other
// thirteen exist so that the plug-in's binding finds them; they do nothing.
//
// Each ISBNChkFunc call begins the trace of one code: the plug-in checks every code once, in
// list order, so trace i belongs to code i.
#pragma once

#include <string>
#include <vector>

namespace tarvo::host {

struct CodeTrace {
  std::string listed;   // as the plug-in passed it to the check (Shift-JIS)
  std::string checked;  // the check's answer; empty for an invalid code
  int connectTests = 0;
  bool searchReachable = false;
  bool productTried = false;  // the plug-in followed a search hit
  bool productReachable = false;
  bool productDownloaded = false;
};

// Forgets the traces of the last batch.
void ResetTrace();
const std::vector<CodeTrace>& Trace();

}  // namespace tarvo::host
