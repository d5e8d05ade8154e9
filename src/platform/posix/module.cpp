// Dynamic loading. The host program is the executable itself on POSIX, so "loading the host"
// means a handle to the running program, whatever path the caller names.
#include <dlfcn.h>

#include "platform/platform.h"

namespace tarvo::platform {

ModuleHandle LoadModule(const std::string&) { return ::dlopen(nullptr, RTLD_NOW); }

ModuleHandle LoadPluginModule(const std::string& path) {
  // Local binding: the plug-in keeps its own copies of everything it links statically.
  return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindFunction(ModuleHandle module, const char* name) {
  if (module == nullptr) return nullptr;  // never the process-wide search of a null handle
  return ::dlsym(module, name);
}

void FreeModule(ModuleHandle module) {
  if (module != nullptr) ::dlclose(module);
}

}  // namespace tarvo::platform
