// How functions cross the boundary between the host program and the plug-in: C linkage, the
// platform's standard calling convention (stdcall on 32-bit Windows: arguments right to left,
// removed by the callee) and zero-terminated Shift-JIS strings.
#pragma once

#if defined(_WIN32)
#define TARVO_STDCALL __stdcall
#define TARVO_EXPORT extern "C" __declspec(dllexport)
#else
#define TARVO_STDCALL
#define TARVO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The host functions the plug-in calls; the other thirteen it binds are only looked up.
using ISBNChkFuncType = const char*(TARVO_STDCALL*)(const char* code);
using InternetConnectFuncType = unsigned char(TARVO_STDCALL*)(const char* url);
using HTTPDownloadFuncType = int(TARVO_STDCALL*)(const char* filePath, const char* url);

// The plug-in's two entry points, as the host looks them up.
using FuncGetInfoType = void(TARVO_STDCALL*)(int reserved, char* funcName, char* pluginTitle, char* pluginAuthor,
                                             char* pluginVersion, char* pluginCode, int bufferSize);
using DownlaodFuncType = void(TARVO_STDCALL*)(const char* dataDir, const char* outputFile, const char* codeList);
