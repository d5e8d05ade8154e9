#include "plugin/settings.h"

#include <array>

#include "page/markup.h"
#include "page/sjis_literal.h"
#include "platform/platform.h"
#include "record/book_record.h"

namespace tarvo {

namespace {

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// "scheme://host[:port]" of a URL: everything before the first "/" after the "//".
std::string_view OriginOf(std::string_view url) {
  const std::size_t authority = url.find("//");
  const std::size_t from = authority == std::string_view::npos ? 0 : authority + 2;
  const std::size_t path = url.find('/', from);
  return path == std::string_view::npos ? url : url.substr(0, path);
}

struct SettingDefault {
  std::string TBase::*field;
  const char* key;
  std::string_view fallback;
};

// In the order they are filled; "TaxSet" is read twice.
constexpr std::array<SettingDefault, 4> kSettingDefaults = {{
    {&TBase::Purchase, "PurachaseSet", "購入"_sj},
    {&TBase::Tax, "TaxSet", "0"},
    {&TBase::TaxAgain, "TaxSet", "0"},
    {&TBase::ReadState, "ReadSet", "既読"_sj},
}};

}  // namespace

std::string StoreBaseUrl() {
  std::string url = platform::EnvironmentVariable(std::string(kStoreUrlVariable).c_str());
  if (url.empty()) {
    const std::string ini = platform::LibraryFolder() + platform::PathSeparator() + "tarvo.ini";
    url = Trim(platform::ReadIniString(ini, "Store", "BaseUrl", ""));
  }
  if (url.empty()) url = kDefaultStoreUrl;
  while (EndsWith(url, "/")) url.pop_back();
  return url;
}

std::string SearchUrl(std::string_view baseUrl, std::string_view checkedCode) {
  std::string url(baseUrl);
  url.append("/netstore/search_10").append(checkedCode).append(".html?srchf=1&tbty=1");
  return url;
}

std::string FindProductLink(const LineList& searchPage) {
  for (std::size_t i = 0; i < searchPage.size(); ++i) {
    if (!ContainsBytes(searchPage[i], kSearchResultMarker)) continue;
    if (i + 2 >= searchPage.size()) return {};
    return GetBetween(searchPage[i + 2], "<a href=\"", "\"");
  }
  return {};
}

std::string ResolveProductLink(std::string_view link, std::string_view baseUrl) {
  if (StartsWithIgnoreCase(link, "http://") || StartsWithIgnoreCase(link, "https://")) return std::string(link);
  if (StartsWith(link, "/") && !StartsWith(link, "//")) return std::string(OriginOf(baseUrl)) + std::string(link);
  return {};
}

std::string HostSettingsPath() {
  return platform::ExecutableFolder() + platform::PathSeparator() + "Setting.ini";
}

void FillSettingsDefaults(const std::string& settingsPath) {
  for (const SettingDefault& s : kSettingDefaults) {
    std::string& field = BookRecord.*s.field;
    if (field.empty()) field = platform::ReadIniString(settingsPath, "Entry", s.key, std::string(s.fallback));
  }
}

}  // namespace tarvo
