// Scratch folders and whole-file helpers shared by the tests and the benchmarks.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

namespace tarvo::testing {

namespace fs = std::filesystem;

// A folder of its own under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("tarvo-" + std::to_string(random()) + std::to_string(random()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  // The folder as the plug-in takes a data directory: with a separator at the end.
  std::string AsDataDir() const { return path_.string() + "/"; }

 private:
  fs::path path_;
};

inline void WriteFile(const fs::path& path, std::string_view data) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace tarvo::testing
