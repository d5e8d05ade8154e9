// Paths of the running program and of this module, and the environment.
#include "platform/win32/windows_api.h"

#include <string>

#include "platform/platform.h"

namespace tarvo::platform {

namespace {

// The full path of a module (nullptr: the process's executable).
std::string ModulePath(HMODULE module) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // cut off: try a larger buffer
  }
}

std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return ".";
  return path.substr(0, separator);
}

}  // namespace

char PathSeparator() { return '\\'; }

std::string ExecutableFolder() { return FolderOf(ModulePath(nullptr)); }

std::string LibraryFolder() {
  // The module that holds this very function: the plug-in DLL, or the program it is linked into.
  HMODULE self = nullptr;
  if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&LibraryFolder), &self)) {
    return ExecutableFolder();
  }
  return FolderOf(ModulePath(self));
}

std::string EnvironmentVariable(const char* name) {
  std::string value(256, '\0');
  for (;;) {
    const DWORD n = ::GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return {};  // unset (or set to the empty text)
    if (n < value.size()) {
      value.resize(n);
      return value;
    }
    value.resize(n);  // n is the size needed, terminating zero included
  }
}

bool SetEnvironmentValue(const char* name, const std::string& value) {
  return ::SetEnvironmentVariableA(name, value.c_str()) != 0;
}

}  // namespace tarvo::platform
