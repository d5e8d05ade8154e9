// A host program for the stop-button test under Wine, built as "mardel.exe" in a folder of its
// own so that the plug-in's binding finds it as the running host. It exports the sixteen host
// functions, loads the plug-in and runs two batches of the same codes in one process:
//
//   1. while the plug-in checks the second code, the host presses the wait window's stop button
//      by posting BM_CLICK to it, as a user's click would arrive; the batch must stop before the
//      third code and write the lines found so far;
//   2. the next batch must not be stopped by that press and look every code up.
//
// Usage: mardel.exe <plug-in> <data folder> <first output> <second output> <code> <code> <code>...
// The store comes from TARVO_STORE_URL, as for the real host. Prints what went wrong, if anything.
#include "platform/win32/windows_api.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "plugin/abi.h"

namespace {

int batch = 0;
int checks = 0;
std::set<HWND> known_windows;
HWND pressed_window = nullptr;
std::vector<std::string> failures;

void Fail(const std::string& what) { failures.push_back(what); }

// The wait window the running batch made: the one this thread had not seen before.
HWND NewWaitWindow() {
  struct Search {
    HWND found = nullptr;
    int count = 0;
  } search;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        char name[32] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "TfrmWait" && known_windows.count(window) == 0) {
          s->found = window;
          ++s->count;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (search.count != 1) Fail("batch " + std::to_string(batch) + ": " + std::to_string(search.count) + " new wait windows");
  if (search.found != nullptr) known_windows.insert(search.found);
  return search.found;
}

}  // namespace

TARVO_EXPORT const char* TARVO_STDCALL ISBNChkFunc(const char* code) {
  static std::string checked;
  checked = code != nullptr ? code : "";
  if (++checks == 1) {
    HWND form = NewWaitWindow();
    if (form != nullptr && ::IsWindowVisible(form)) Fail("the wait window is shown");
    if (batch == 1 && form != nullptr) pressed_window = form;
  }
  if (batch == 1 && checks == 2 && pressed_window != nullptr) {
    HWND button = ::FindWindowExA(pressed_window, nullptr, "Button", nullptr);
    if (button == nullptr) Fail("no stop button");
    ::PostMessageA(button, BM_CLICK, 0, 0);
  }
  return checked.c_str();
}

TARVO_EXPORT unsigned char TARVO_STDCALL InternetConnectFunc(const char* url) {
  return url != nullptr && tarvo::platform::CanReach(url) ? 1 : 0;
}

TARVO_EXPORT int TARVO_STDCALL HTTPDownloadFunc(const char* filePath, const char* url) {
  return filePath != nullptr && url != nullptr && tarvo::platform::DownloadUrlToFile(url, filePath) ? 1 : 0;
}

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

int main(int argc, char** argv) {
  if (argc < 8) {
    std::fprintf(stderr, "usage: mardel.exe <plug-in> <data folder> <first output> <second output> <codes>...\n");
    return 2;
  }
  HMODULE plugin = ::LoadLibraryA(argv[1]);
  if (plugin == nullptr) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  DownlaodFuncType lookup = nullptr;
  const FARPROC entry = ::GetProcAddress(plugin, "DownlaodFunc");
  static_assert(sizeof lookup == sizeof entry);
  std::memcpy(&lookup, &entry, sizeof lookup);
  if (lookup == nullptr) {
    std::fprintf(stderr, "no DownlaodFunc in %s\n", argv[1]);
    return 1;
  }
  std::string codes;
  for (int i = 5; i < argc; ++i) codes += std::string(argv[i]) + "\r\n";

  for (batch = 1; batch <= 2; ++batch) {
    checks = 0;
    lookup(argv[2], argv[2 + batch], codes.c_str());
    const int expected = batch == 1 ? 2 : argc - 5;
    if (checks != expected) {
      Fail("batch " + std::to_string(batch) + " checked " + std::to_string(checks) + " codes, not " +
           std::to_string(expected));
    }
  }
  if (pressed_window == nullptr || !::IsWindow(pressed_window)) Fail("the pressed window is gone");
  if (pressed_window != nullptr && ::IsWindowVisible(pressed_window)) Fail("the pressed window is shown");
  ::FreeLibrary(plugin);
  if (pressed_window != nullptr && ::IsWindow(pressed_window)) Fail("the wait window outlives the plug-in");

  for (const std::string& f : failures) std::fprintf(stderr, "stop host: %s\n", f.c_str());
  return failures.empty() ? 0 : 1;
}
