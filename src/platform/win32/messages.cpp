// Message boxes on the calling thread. Both wait for the user's OK.
#include "platform/win32/windows_api.h"

#include <string>

#include "platform/platform.h"

namespace tarvo::platform {

namespace {

// The application's title: the executable's file name without its extension.
std::string ApplicationTitle() {
  char path[MAX_PATH] = {};
  const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, n < MAX_PATH ? n : 0);
  const std::size_t separator = name.find_last_of("\\/");
  if (separator != std::string::npos) name.erase(0, separator + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

void ShowMessage(std::string_view sjis) {
  const std::string text(sjis);
  const std::string title = ApplicationTitle();
  ::MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
}

void ShowErrorBox(std::string_view sjis) {
  const std::string text(sjis);
  ::MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONERROR);  // nullptr: the system's "Error"
}

}  // namespace tarvo::platform
