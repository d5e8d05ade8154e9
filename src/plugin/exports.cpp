// The plug-in's two exported entry points. No exception leaves them: the host is not C++.
#include "plugin/abi.h"
#include "plugin/driver.h"

TARVO_EXPORT void TARVO_STDCALL funcGetInfo(int Reserved, char* FuncName, char* PluginTitle, char* PluginAuthor,
                                            char* PluginVersion, char* PluginCode, int BufferSize) {
  (void)Reserved;
  try {
    tarvo::GetInfo(FuncName, PluginTitle, PluginAuthor, PluginVersion, PluginCode, BufferSize);
  } catch (...) {
  }
}

TARVO_EXPORT void TARVO_STDCALL DownlaodFunc(const char* DataDir, const char* OutputFile, const char* CodeList) {
  try {
    tarvo::RunBatch(DataDir, OutputFile, CodeList);
  } catch (...) {
    // RunBatch handles every failure it can name; this only keeps, say, an exhausted heap
    // inside the library. Its resources were released on the way out.
  }
}
