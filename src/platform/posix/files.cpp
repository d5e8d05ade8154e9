// Plain file access over POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

namespace tarvo::platform {

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw FileError("Cannot read file \"" + path + "\": " + std::strerror(error));
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFileAt(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool FileIdentity(const std::string& path, std::uint64_t& size, std::int64_t& mtime) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  mtime = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + static_cast<std::int64_t>(st.st_mtim.tv_nsec);
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail(path, errno);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    Fail(path, EISDIR);
  }
  std::string data;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      Fail(path, error);
    }
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return data;
}

bool WriteWholeFile(const std::string& path, std::string_view data) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = true;
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return ::close(fd) == 0 && ok;
}

}  // namespace tarvo::platform
