// Paths of the running program and of this module, and the environment.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace tarvo::platform {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Any address inside this module, for dladdr.
void Anchor() {}

}  // namespace

char PathSeparator() { return '/'; }

std::string ExecutableFolder() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  return FolderOf(std::string(buffer, static_cast<std::size_t>(n)));
}

std::string LibraryFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&Anchor), &info) == 0 || info.dli_fname == nullptr) {
    return ExecutableFolder();
  }
  char resolved[PATH_MAX];
  if (::realpath(info.dli_fname, resolved) == nullptr) return FolderOf(info.dli_fname);
  return FolderOf(resolved);
}

std::string EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool SetEnvironmentValue(const char* name, const std::string& value) {
  return ::setenv(name, value.c_str(), 1) == 0;
}

}  // namespace tarvo::platform
