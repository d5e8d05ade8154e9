// Dynamic loading with LoadLibraryA. The host binding loads the host program's executable as a
// library; when that executable is the running process, the system hands back its own module.
#include "platform/win32/windows_api.h"

#include <cstring>
#include <string>

#include "platform/platform.h"

namespace tarvo::platform {

ModuleHandle LoadModule(const std::string& path) { return ::LoadLibraryA(path.c_str()); }

ModuleHandle LoadPluginModule(const std::string& path) { return ::LoadLibraryA(path.c_str()); }

void* FindFunction(ModuleHandle module, const char* name) {
  if (module == nullptr) return nullptr;  // never the search of the calling module
  const FARPROC entry = ::GetProcAddress(static_cast<HMODULE>(module), name);
  void* address = nullptr;
  static_assert(sizeof address == sizeof entry);
  std::memcpy(&address, &entry, sizeof address);
  return address;
}

void FreeModule(ModuleHandle module) {
  if (module != nullptr) ::FreeLibrary(static_cast<HMODULE>(module));
}

}  // namespace tarvo::platform
