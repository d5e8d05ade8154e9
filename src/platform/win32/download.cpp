// Page downloads with URLDownloadToFileA, and the reachability test with a short winsock
// connect.
//
// The download goes to "<path>.part" and is moved into place only when the server answered
// with a status below 400, so a failure never leaves a file at `path`. A bind callback of ours
// reads the status and Retry-After from the response; a failed connection, 429 and 5xx are tried
// again at most twice, after a short pause or the server's Retry-After (capped). The cache entry
// of the address is dropped first so that every download asks the server. The system keeps its
// own connections between downloads, so there is no session to end.
#include "platform/win32/windows_api.h"

#include <wininet.h>
#include <urlmon.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tarvo::platform {

namespace {

constexpr int kMaxRetries = 2;
constexpr DWORD kFirstBackoffMilliseconds = 250;
constexpr DWORD kRetryAfterCapSeconds = 5;
constexpr int kReachTimeoutMilliseconds = 5000;

// Sees the response of one download: its status code and Retry-After. Everything else is left
// to the system.
class ResponseWatcher final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  DWORD status = 0;
  DWORD retryAfterSeconds = 0;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
      *object = static_cast<IHttpNegotiate*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IBindStatusCallback
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) override {
    if (flags != nullptr) *flags |= BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  // IHttpNegotiate
  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional) override {
    if (additional != nullptr) *additional = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR headers, LPCWSTR, LPWSTR* additional) override {
    if (additional != nullptr) *additional = nullptr;
    status = code;
    if (headers != nullptr) retryAfterSeconds = RetryAfter(headers);
    return S_OK;
  }

 private:
  ~ResponseWatcher() = default;

  // The seconds of a "Retry-After: <seconds>" header line; 0 when there is none (a date counts
  // as none).
  static DWORD RetryAfter(std::wstring_view headers) {
    constexpr std::wstring_view kName = L"retry-after:";
    for (std::size_t start = 0; start < headers.size();) {
      std::size_t end = headers.find(L'\n', start);
      if (end == std::wstring_view::npos) end = headers.size();
      std::wstring_view line = headers.substr(start, end - start);
      start = end + 1;
      if (line.size() <= kName.size()) continue;
      bool match = true;
      for (std::size_t i = 0; i < kName.size() && match; ++i) match = std::towlower(line[i]) == kName[i];
      if (!match) continue;
      DWORD seconds = 0;
      for (wchar_t c : line.substr(kName.size())) {
        if (c == L' ' || c == L'\t') continue;
        if (c < L'0' || c > L'9') break;
        seconds = std::min<DWORD>(seconds * 10 + static_cast<DWORD>(c - L'0'), 86400);
      }
      return seconds;
    }
    return 0;
  }

  std::atomic<ULONG> references_{1};
};

enum class Outcome { kSaved, kRetry, kFailed };

Outcome TryOnce(const std::string& url, const std::string& part, const std::string& path, DWORD& pauseMilliseconds) {
  ::DeleteUrlCacheEntryA(url.c_str());
  ResponseWatcher* watcher = new ResponseWatcher;
  const HRESULT hr = ::URLDownloadToFileA(nullptr, url.c_str(), part.c_str(), 0, watcher);
  const DWORD status = watcher->status;
  const DWORD retryAfter = watcher->retryAfterSeconds;
  watcher->Release();
  ::DeleteUrlCacheEntryA(url.c_str());

  if (SUCCEEDED(hr) && status < 400 && FileExists(part)) {
    if (::MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return Outcome::kSaved;
    ::DeleteFileA(part.c_str());
    return Outcome::kFailed;
  }
  ::DeleteFileA(part.c_str());
  if (status == 0) {
    // No answer at all: a refused or failed connection is worth another try, a bad address is not.
    const bool connectFailure = hr == INET_E_CANNOT_CONNECT || hr == INET_E_RESOURCE_NOT_FOUND ||
                                hr == INET_E_CONNECTION_TIMEOUT || hr == INET_E_DOWNLOAD_FAILURE;
    return connectFailure ? Outcome::kRetry : Outcome::kFailed;
  }
  if (status != 429 && status < 500) return Outcome::kFailed;
  if (retryAfter > 0) pauseMilliseconds = std::min(retryAfter, kRetryAfterCapSeconds) * 1000;
  return Outcome::kRetry;
}

// Winsock for the life of the process, started on first use.
bool SocketsReady() {
  static const bool ready = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

struct AddressList {
  addrinfo* head = nullptr;
  ~AddressList() {
    if (head != nullptr) ::freeaddrinfo(head);
  }
};

// A TCP connection to one address within the time given; closed again at once.
bool ConnectsWithin(const addrinfo& address, int milliseconds) {
  const SOCKET s = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
  if (s == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  bool connected = false;
  if (::ioctlsocket(s, FIONBIO, &nonBlocking) == 0) {
    connected = ::connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0;
    if (!connected && ::WSAGetLastError() == WSAEWOULDBLOCK) {
      fd_set writable;
      fd_set failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(s, &writable);
      FD_SET(s, &failed);
      timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000};
      connected = ::select(0, nullptr, &writable, &failed, &timeout) > 0 && FD_ISSET(s, &writable) != 0 &&
                  FD_ISSET(s, &failed) == 0;
    }
  }
  ::closesocket(s);
  return connected;
}

}  // namespace

bool DownloadUrlToFile(const std::string& url, const std::string& path) {
  if (url.empty() || path.empty()) return false;
  const std::string part = path + ".part";
  DWORD backoff = kFirstBackoffMilliseconds;
  for (int attempt = 0;; ++attempt) {
    DWORD pause = backoff;
    const Outcome outcome = TryOnce(url, part, path, pause);
    if (outcome == Outcome::kSaved) return true;
    if (outcome == Outcome::kFailed || attempt == kMaxRetries) return false;
    ::Sleep(pause);
    backoff *= 2;
  }
}

void EndDownloadSession() {}

bool CanReach(const std::string& url) {
  char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts) || host[0] == '\0') return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  std::string name = host;
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  const std::string port = std::to_string(parts.nPort);
  if (!SocketsReady()) return false;

  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  AddressList addresses;
  if (::getaddrinfo(name.c_str(), port.c_str(), &hints, &addresses.head) != 0) return false;
  const ULONGLONG deadline = ::GetTickCount64() + kReachTimeoutMilliseconds;
  for (const addrinfo* a = addresses.head; a != nullptr; a = a->ai_next) {
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) break;
    if (ConnectsWithin(*a, static_cast<int>(deadline - now))) return true;
  }
  return false;
}

}  // namespace tarvo::platform
