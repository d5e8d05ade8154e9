// GoogleTest on the win32-thread mingw-w64 compilers, which have no std::mutex: the one class of
// GoogleTest that needs it, made of an atomic flag instead. GoogleTest uses it only in its own
// thread tests. Found before GoogleTest's empty header of the same name (tests/CMakeLists.txt).
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
