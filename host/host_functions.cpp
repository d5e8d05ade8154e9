#include "host/host_functions.h"

#include "host/isbn.h"
#include "platform/platform.h"
#include "plugin/abi.h"

namespace tarvo::host {

namespace {

std::vector<CodeTrace> traces;

CodeTrace* Current() { return traces.empty() ? nullptr : &traces.back(); }

}  // namespace

void ResetTrace() { traces.clear(); }

const std::vector<CodeTrace>& Trace() { return traces; }

}  // namespace tarvo::host

using tarvo::host::Current;

TARVO_EXPORT const char* TARVO_STDCALL ISBNChkFunc(const char* code) {
  static std::string checked;  // valid until the next call, as the plug-in copies it at once
  try {
    checked = tarvo::host::CheckBookCode(code != nullptr ? code : "");
    tarvo::host::traces.push_back({code != nullptr ? code : "", checked});
  } catch (...) {
    checked.clear();
  }
  return checked.c_str();
}

TARVO_EXPORT unsigned char TARVO_STDCALL InternetConnectFunc(const char* url) {
  try {
    const bool reachable = url != nullptr && tarvo::platform::CanReach(url);
    if (tarvo::host::CodeTrace* t = Current()) {
      if (t->connectTests++ == 0) {
        t->searchReachable = reachable;  // the search address comes first
      } else {
        t->productTried = true;
        t->productReachable = reachable;
      }
    }
    return reachable ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

TARVO_EXPORT int TARVO_STDCALL HTTPDownloadFunc(const char* filePath, const char* url) {
  try {
    const bool saved = filePath != nullptr && url != nullptr && tarvo::platform::DownloadUrlToFile(url, filePath);
    if (tarvo::host::CodeTrace* t = Current()) {
      t->productTried = true;
      t->productDownloaded = saved;
    }
    return saved ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// Looked up by the plug-in, never called.
TARVO_EXPORT int TARVO_STDCALL HTTPBinaryDownloadFunc() { return 0; }
TARVO_EXPORT int TARVO_STDCALL HTTPFlagDownloadFunc() { return 0; }
TARVO_EXPORT int TARVO_STDCALL RefreshFunc() { return 0; }
TARVO_EXPORT int TARVO_STDCALL ExportFunc() { return 0; }
TARVO_EXPORT int TARVO_STDCALL InportFunc() { return 0; }
TARVO_EXPORT int TARVO_STDCALL JANChkFunc() { return 0; }
TARVO_EXPORT int TARVO_STDCALL ASINChkFunc() { return 0; }
TARVO_EXPORT int TARVO_STDCALL PluginListFunc() { return 0; }
TARVO_EXPORT int TARVO_STDCALL AcquireCDShow() { return 0; }
TARVO_EXPORT int TARVO_STDCALL WaitWindowView() { return 0; }
TARVO_EXPORT int TARVO_STDCALL WaitBarView() { return 0; }
TARVO_EXPORT int TARVO_STDCALL WaitWindowClose() { return 0; }
TARVO_EXPORT int TARVO_STDCALL SelectExportFunc() { return 0; }
