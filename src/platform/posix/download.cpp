// Page downloads with libcurl, and the reachability test.
//
// One easy handle serves every download until EndDownloadSession, so its connection (and TLS
// session) is reused from page to page. A page goes to "<path>.part" first and is renamed into
// place only when the transfer succeeded with a non-error status, so a failure never leaves a
// file at `path`. A refused connection, 429 and 5xx are tried again at most twice, after a short
// pause or the server's Retry-After (capped).
#include <curl/curl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace tarvo::platform {

namespace {

constexpr long kConnectTimeoutSeconds = 10;
constexpr long kTotalTimeoutSeconds = 60;
constexpr int kMaxRetries = 2;
constexpr std::chrono::milliseconds kFirstBackoff{250};
constexpr curl_off_t kRetryAfterCapSeconds = 5;
constexpr int kReachTimeoutMilliseconds = 5000;
constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/124.0.0.0 Safari/537.36";

CURL* session = nullptr;

CURL* Session() {
  if (session != nullptr) return session;
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!initialised) return nullptr;
  session = curl_easy_init();
  if (session == nullptr) return nullptr;
  curl_easy_setopt(session, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(session, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(session, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(session, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(session, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(session, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
  curl_easy_setopt(session, CURLOPT_USERAGENT, kUserAgent);
  // Compressed pages, but not brotli: a server that compresses on the fly spends far longer on
  // brotli's default level than the transfer of the page saves.
  curl_easy_setopt(session, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
  curl_easy_setopt(session, CURLOPT_NOSIGNAL, 1L);
  return session;
}

std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}

enum class Outcome { kSaved, kRetry, kFailed };

Outcome TryOnce(CURL* curl, const std::string& url, const std::string& part, const std::string& path,
                std::chrono::milliseconds& pause) {
  std::FILE* file = std::fopen(part.c_str(), "wb");
  if (file == nullptr) return Outcome::kFailed;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFile);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
  const CURLcode rc = curl_easy_perform(curl);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
  const bool written = std::fclose(file) == 0;
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (rc == CURLE_OK && written && status >= 200 && status < 400) {
    if (std::rename(part.c_str(), path.c_str()) == 0) return Outcome::kSaved;
    std::remove(part.c_str());
    return Outcome::kFailed;
  }
  std::remove(part.c_str());
  if (rc == CURLE_COULDNT_CONNECT) return Outcome::kRetry;
  if (rc != CURLE_OK || (status != 429 && status < 500)) return Outcome::kFailed;
  curl_off_t retryAfter = 0;
  if (curl_easy_getinfo(curl, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK && retryAfter > 0) {
    pause = std::chrono::seconds(std::min(retryAfter, kRetryAfterCapSeconds));
  }
  return Outcome::kRetry;
}

struct AddressList {
  addrinfo* head = nullptr;
  ~AddressList() {
    if (head != nullptr) ::freeaddrinfo(head);
  }
};

// A TCP connection to one address within the time left; closed again at once.
bool ConnectsWithin(const addrinfo& address, int milliseconds) {
  const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) return false;
  bool connected = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0;
  if (!connected && errno == EINPROGRESS) {
    pollfd pfd{fd, POLLOUT, 0};
    if (::poll(&pfd, 1, milliseconds) == 1) {
      int error = 0;
      socklen_t length = sizeof error;
      connected = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
  }
  ::close(fd);
  return connected;
}

}  // namespace

bool DownloadUrlToFile(const std::string& url, const std::string& path) {
  CURL* curl = Session();
  if (curl == nullptr || path.empty()) return false;
  const std::string part = path + ".part";
  std::chrono::milliseconds backoff = kFirstBackoff;
  for (int attempt = 0;; ++attempt) {
    std::chrono::milliseconds pause = backoff;
    const Outcome outcome = TryOnce(curl, url, part, path, pause);
    if (outcome == Outcome::kSaved) return true;
    if (outcome == Outcome::kFailed || attempt == kMaxRetries) return false;
    std::this_thread::sleep_for(pause);
    backoff *= 2;
  }
}

void EndDownloadSession() {
  if (session == nullptr) return;
  curl_easy_cleanup(session);
  session = nullptr;
}

bool CanReach(const std::string& url) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return false;
  char* rawHost = nullptr;
  char* rawPort = nullptr;
  if (curl_url_get(parsed.get(), CURLUPART_HOST, &rawHost, 0) != CURLUE_OK) return false;
  std::string host = rawHost;
  curl_free(rawHost);
  if (curl_url_get(parsed.get(), CURLUPART_PORT, &rawPort, CURLU_DEFAULT_PORT) != CURLUE_OK) return false;
  const std::string port = rawPort;
  curl_free(rawPort);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);

  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  AddressList addresses;
  if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &addresses.head) != 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReachTimeoutMilliseconds);
  for (const addrinfo* a = addresses.head; a != nullptr; a = a->ai_next) {
    using std::chrono::milliseconds;
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    if (ConnectsWithin(*a, static_cast<int>(left.count()))) return true;
  }
  return false;
}

}  // namespace tarvo::platform
