// Where the plug-in finds its store and its defaults.
//
// The store's base URL (scheme and host, no path at the end) comes from the environment
// variable TARVO_STORE_URL, else from key BaseUrl of section [Store] in tarvo.ini beside the
// plug-in library, else the placeholder kDefaultStoreUrl, which names no real store. The fields
// a page never gives (purchase state, tax setting, read state) come from the host's Setting.ini.
#pragma once

#include <string>
#include <string_view>

#include "page/text.h"

namespace tarvo {

inline constexpr std::string_view kDefaultStoreUrl = "https://store.invalid";
inline constexpr std::string_view kStoreUrlVariable = "TARVO_STORE_URL";
inline constexpr std::string_view kSearchResultMarker = "<div class=\"stContents\">";

// The configured base URL, any "/" at its end removed.
std::string StoreBaseUrl();

// base + "/netstore/search_10" + code + ".html?srchf=1&tbty=1".
std::string SearchUrl(std::string_view baseUrl, std::string_view checkedCode);

// The href of the line two below the first search result marker line; empty when there is no
// marker line or it is one of the last two lines.
std::string FindProductLink(const LineList& searchPage);

// The address to download a product link from: the link itself when it begins with "http://"
// or "https://" (any case); the base URL's scheme and host followed by the link when it begins
// with a single "/"; empty (no link) for anything else.
std::string ResolveProductLink(std::string_view link, std::string_view baseUrl);

// Setting.ini in the folder of the running program.
std::string HostSettingsPath();

// Fills Purchase, Tax, TaxAgain and ReadState of BookRecord, each only while empty, from
// section "Entry" of the settings file, or with the defaults when a key or the file is absent.
void FillSettingsDefaults(const std::string& settingsPath);

}  // namespace tarvo
