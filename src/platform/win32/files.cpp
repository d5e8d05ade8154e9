// Plain file access with the Win32 file functions, and INI files through the system's profile
// reader. Paths are byte strings in the system's ANSI code page.
#include "platform/win32/windows_api.h"

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tarvo::platform {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (Valid()) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  // Closes now and says whether closing worked (a write may fail only here).
  bool Close() {
    const bool ok = ::CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

// The system's text for an error code, without the line break it ends with.
std::string SystemMessage(DWORD error) {
  char* text = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n > 0 && text != nullptr ? std::string(text, n) : "error " + std::to_string(error);
  if (text != nullptr) ::LocalFree(text);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}

[[noreturn]] void Fail(const std::string& path, DWORD error) {
  throw FileError("Cannot read file \"" + path + "\": " + SystemMessage(error));
}

}  // namespace

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DeleteFileAt(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool FileIdentity(const std::string& path, std::uint64_t& size, std::int64_t& mtime) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty() || !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  // 100-nanosecond units since 1601.
  mtime = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                    data.ftLastWriteTime.dwLowDateTime);
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) Fail(path, ::GetLastError());
  // A folder opens only with backup semantics, so anything that opened here is a file.
  std::string data;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < (LONGLONG{1} << 31)) {
    data.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file.Get(), buffer, sizeof buffer, &n, nullptr)) Fail(path, ::GetLastError());
    if (n == 0) break;
    data.append(buffer, n);
  }
  return data;
}

bool WriteWholeFile(const std::string& path, std::string_view data) {
  Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  bool ok = true;
  while (!data.empty()) {
    const DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!::WriteFile(file.Get(), data.data(), chunk, &written, nullptr) || written == 0) {
      ok = false;
      break;
    }
    data.remove_prefix(written);
  }
  return file.Close() && ok;
}

std::string ReadIniString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& fallback) {
  // The profile reader returns the default for an absent file, section or key, trims the value
  // and drops one pair of surrounding quotes. It cuts values that do not fit, so grow until one does.
  std::string buffer(256, '\0');
  for (;;) {
    const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                               static_cast<DWORD>(buffer.size()), path.c_str());
    if (n + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace tarvo::platform
