#include "plugin/host.h"

#include <array>

#include "page/sjis_literal.h"
#include "platform/platform.h"

namespace tarvo {

namespace {

// The host's exports, in the order they are looked up.
constexpr std::array<const char*, 16> kHostFunctionNames = {
    "InternetConnectFunc", "HTTPDownloadFunc", "HTTPBinaryDownloadFunc", "HTTPFlagDownloadFunc",
    "RefreshFunc",         "ExportFunc",       "InportFunc",             "ISBNChkFunc",
    "JANChkFunc",          "ASINChkFunc",      "PluginListFunc",         "AcquireCDShow",
    "WaitWindowView",      "WaitBarView",      "WaitWindowClose",        "SelectExportFunc",
};
enum HostFunction { kInternetConnect = 0, kHttpDownload = 1, kIsbnCheck = 7 };

platform::ModuleHandle HostModule = nullptr;
std::array<void*, kHostFunctionNames.size()> HostFunctionTable{};

template <typename Function>
Function Entry(HostFunction which) {
  return reinterpret_cast<Function>(HostFunctionTable[which]);
}

}  // namespace

bool BindHost() {
  HostFunctionTable.fill(nullptr);
  try {
    const std::string hostPath = platform::ExecutableFolder() + platform::PathSeparator() + "mardel.exe";
    HostModule = platform::LoadModule(hostPath);
    if (HostModule == nullptr) platform::ShowErrorBox(hostPath + std::string("がありません。"_sj));
    for (std::size_t k = 0; k < kHostFunctionNames.size(); ++k) {
      HostFunctionTable[k] = platform::FindFunction(HostModule, kHostFunctionNames[k]);
      if (HostFunctionTable[k] == nullptr) {
        platform::ShowErrorBox("関数がありません。Mardel、または、プラグインのバージョンが古い可能性があります。"_sj);
        return false;
      }
    }
    return true;
  } catch (...) {
    ReleaseHost();
    return false;
  }
}

void ReleaseHost() {
  HostFunctionTable.fill(nullptr);
  if (HostModule == nullptr) return;
  platform::FreeModule(HostModule);
  HostModule = nullptr;
}

std::string HostCheckCode(const std::string& code) {
  const char* checked = Entry<ISBNChkFuncType>(kIsbnCheck)(code.c_str());
  return checked != nullptr ? std::string(checked) : std::string();
}

bool HostCanReach(const std::string& url) {
  return Entry<InternetConnectFuncType>(kInternetConnect)(url.c_str()) != 0;
}

void HostDownload(const std::string& filePath, const std::string& url) {
  Entry<HTTPDownloadFuncType>(kHttpDownload)(filePath.c_str(), url.c_str());
}

}  // namespace tarvo
