// A small HTTP server on 127.0.0.1 for the download tests: answers each request from a script
// of replies per path, one connection per request ("Connection: close"), on a thread of its own.
#pragma once

#include "platform/win32/windows_api.h"

#include <map>
#include <string>
#include <vector>

namespace tarvo::testing {

class LoopbackServer {
 public:
  struct Reply {
    int status = 200;
    std::string body;
    std::string headers;  // extra header lines, each ending in CR LF
  };

  LoopbackServer() {
    ::InitializeCriticalSection(&lock_);
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(listener_, 8) == 0 &&
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port_ = ::ntohs(address.sin_port);
      thread_ = ::CreateThread(nullptr, 0, &Serve, this, 0, nullptr);
    }
  }
  ~LoopbackServer() {
    ::closesocket(listener_);  // ends the accept loop
    if (thread_ != nullptr) {
      ::WaitForSingleObject(thread_, 5000);
      ::CloseHandle(thread_);
    }
    ::DeleteCriticalSection(&lock_);
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

  // The replies for `path`, one per request in turn; the last one repeats.
  void Script(const std::string& path, std::vector<Reply> replies) {
    ::EnterCriticalSection(&lock_);
    scripts_[path] = std::move(replies);
    requests_[path] = 0;
    ::LeaveCriticalSection(&lock_);
  }
  int Requests(const std::string& path) {
    ::EnterCriticalSection(&lock_);
    const int n = requests_[path];
    ::LeaveCriticalSection(&lock_);
    return n;
  }

 private:
  static DWORD WINAPI Serve(void* self) {
    auto* server = static_cast<LoopbackServer*>(self);
    for (;;) {
      const SOCKET client = ::accept(server->listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return 0;
      server->Answer(client);
      ::shutdown(client, SD_SEND);
      ::closesocket(client);
    }
  }

  void Answer(SOCKET client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    Reply reply{404, "not here", ""};
    ::EnterCriticalSection(&lock_);
    auto script = scripts_.find(path);
    if (script != scripts_.end() && !script->second.empty()) {
      const std::size_t n = static_cast<std::size_t>(requests_[path]++);
      reply = script->second[n < script->second.size() ? n : script->second.size() - 1];
    }
    ::LeaveCriticalSection(&lock_);
    const std::string response = "HTTP/1.1 " + std::to_string(reply.status) + " Scripted\r\n" +
                                 "Content-Type: text/html\r\nContent-Length: " + std::to_string(reply.body.size()) +
                                 "\r\nConnection: close\r\n" + reply.headers + "\r\n" + reply.body;
    for (std::size_t sent = 0; sent < response.size();) {
      const int n = ::send(client, response.data() + sent, static_cast<int>(response.size() - sent), 0);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  HANDLE thread_ = nullptr;
  CRITICAL_SECTION lock_;
  std::map<std::string, std::vector<Reply>> scripts_;
  std::map<std::string, int> requests_;
};

}  // namespace tarvo::testing
