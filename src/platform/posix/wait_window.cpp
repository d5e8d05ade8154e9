// The POSIX stand-in for the wait window. While a batch runs, Ctrl-C plays the stop button:
// the signal handler only raises an atomic flag, and the next PumpWaitWindow (on the batch's
// own thread) calls the stop callback. A second Ctrl-C ends the program as usual. When stderr
// is a terminal, one progress line shows position, total and the current code.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "platform/platform.h"
#include "platform/posix/terminal.h"

namespace tarvo::platform {

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

StopCallback stop_callback = nullptr;
bool window_open = false;
bool progress_shown = false;
struct sigaction previous_action {};

void OnInterrupt(int) {
  interrupted.store(true);
  ::signal(SIGINT, SIG_DFL);  // async-signal-safe; the next Ctrl-C is not caught
}

}  // namespace

namespace posix {

void WriteToStderr(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

void ClearProgressLine() {
  if (!progress_shown) return;
  progress_shown = false;
  WriteToStderr("\r\x1b[K");
}

}  // namespace posix

void CreateWaitWindow(StopCallback onStop) {
  CloseWaitWindow();
  stop_callback = onStop;
  interrupted.store(false);
  struct sigaction action {};
  action.sa_handler = &OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  window_open = ::sigaction(SIGINT, &action, &previous_action) == 0;
}

void PumpWaitWindow(int position, int total, std::string_view code) {
  if (!window_open) return;
  if (interrupted.exchange(false)) {
    posix::ClearProgressLine();
    if (stop_callback != nullptr) stop_callback();
    return;
  }
  if (::isatty(STDERR_FILENO) != 1) return;
  std::string line = "\r\x1b[Ktarvo: " + std::to_string(position) + "/" + std::to_string(total) + "  " +
                     Cp932ToUtf8(code) + "  (Ctrl-C stops)";
  posix::WriteToStderr(line);
  progress_shown = true;
}

void CloseWaitWindow() {
  posix::ClearProgressLine();
  if (!window_open) return;
  window_open = false;
  ::sigaction(SIGINT, &previous_action, nullptr);
}

}  // namespace tarvo::platform
