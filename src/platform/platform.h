// The operating system, as the rest of the plug-in and the host program see it.
//
// This header is the only contract between the portable code and the OS. posix/ implements it
// with iconv, libcurl, dlopen and stderr; win32/ with the Win32 API. Texts crossing it are
// Shift-JIS (code page 932) byte strings unless a name says otherwise; paths are byte strings in
// the system's narrow encoding. Nothing here keeps state beyond what a name says (the download
// session, the wait window).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarvo::platform {

// ---- Code page 932 ------------------------------------------------------------------------
// Always code page 932, whatever the system's ANSI code page. Invalid bytes become U+30FB on
// the way in ("・", as the system conversion does); units without a code page 932 form become
// "?" on the way out, and so does an unpaired surrogate.
std::u16string Cp932ToUtf16(std::string_view sjis);
std::string Utf16ToCp932(std::u16string_view wide);
// Conversions for the terminal and for logs. Invalid input bytes become "?".
std::string Cp932ToUtf8(std::string_view sjis);
std::string Utf8ToCp932(std::string_view utf8);

// ---- Files ---------------------------------------------------------------------------------
// Raised when a file that exists cannot be read; what() names the file.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

bool FileExists(const std::string& path);      // a regular file (not a folder) is there
bool DeleteFileAt(const std::string& path);    // false when it could not be deleted
// The whole file. Throws FileError when it exists but cannot be read (a folder in its place,
// no permission).
std::string ReadWholeFile(const std::string& path);
// Replaces the file with `data`. False when it cannot be written.
bool WriteWholeFile(const std::string& path, std::string_view data);
// The size in bytes and the last modification time of a regular file, to tell whether it
// changed since it was last read. `mtime` counts the system's finest file time units from an
// epoch of its own: compare it only with other values from this call. False (and both left
// alone) when `path` is no regular file.
bool FileIdentity(const std::string& path, std::uint64_t& size, std::int64_t& mtime);

// [section] key= value of an INI file; `fallback` when the file, section or key is absent.
// Names compare without regard to case; the value is trimmed and loses surrounding quotes.
// POSIX: a file that is valid UTF-8 and holds non-ASCII text is converted to Shift-JIS.
std::string ReadIniString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& fallback);

// ---- Paths ---------------------------------------------------------------------------------
char PathSeparator();                 // '\\' or '/'
std::string ExecutableFolder();       // folder of the running process's executable, no separator at the end
std::string LibraryFolder();          // folder of the plug-in module itself, no separator at the end
std::string EnvironmentVariable(const char* name);  // empty when unset
// Sets a variable of this process's environment (the host program passes options to the
// plug-in this way). False when it could not be set.
bool SetEnvironmentValue(const char* name, const std::string& value);

// ---- Messages ------------------------------------------------------------------------------
// The plain message dialog with one OK button; waits for the user. POSIX: one UTF-8 line on stderr.
void ShowMessage(std::string_view sjis);
// A message box with no owner, the default title, the error icon and one OK button.
void ShowErrorBox(std::string_view sjis);

// ---- Host executable as a library -----------------------------------------------------------
using ModuleHandle = void*;
// Loads `path` as a library; nullptr on failure. POSIX: the running program itself (the host
// program is the executable there), whatever the path.
ModuleHandle LoadModule(const std::string& path);
// Loads the library at `path` itself (the host program loading the plug-in); nullptr on failure.
ModuleHandle LoadPluginModule(const std::string& path);
void* FindFunction(ModuleHandle module, const char* name);  // nullptr when absent or module is null
void FreeModule(ModuleHandle module);

// ---- Downloads -----------------------------------------------------------------------------
// Downloads `url` into the file `path`. True when the file now holds the page; on any failure
// (unreachable, HTTP error status) no file is left. One connection is kept open across calls
// until EndDownloadSession; connect failures, 429 and 5xx are retried at most twice.
bool DownloadUrlToFile(const std::string& url, const std::string& path);
void EndDownloadSession();
// True when the host of `url` accepts a connection within a short time.
bool CanReach(const std::string& url);

// ---- Wait window ---------------------------------------------------------------------------
// The small hidden window with a stop button. The callback runs on the calling thread when the
// button is pressed (Win32) or Ctrl-C arrives (POSIX).
using StopCallback = void (*)();
void CreateWaitWindow(StopCallback onStop);  // a new window each call; the previous one is kept hidden
void PumpWaitWindow(int position, int total, std::string_view code);  // one pass over pending messages
void CloseWaitWindow();                      // ends the progress display; the window stays (hidden)

}  // namespace tarvo::platform
