// <windows.h> for the Win32 platform files, without the macros that would rename names of
// platform.h (windows.h defines FreeModule as FreeLibrary).
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#undef FreeModule
