// The bundled sample store: an HTTP server on a loopback address that answers the two paths the
// plug-in asks for, from a folder of UTF-8 pages.
//
//   GET /netstore/search_10<code>.html  ->  <root>/search/<code>.html, or a page without hits
//   GET /product/<id>.html              ->  <root>/product/<id>.html, or 404
//
// For measurements and tests it counts requests and the connections that carried them, can
// delay every answer, and takes a hook that decides a request before the files do. Requests are
// served on the server's own threads; the hook runs there too.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarvo::host {

class SampleStore {
 public:
  struct Reply {
    int status = 200;
    std::string body;
    std::string contentType = "text/html; charset=UTF-8";
    std::vector<std::pair<std::string, std::string>> headers;
  };
  // Return true to answer the request at `path` (no query) with `reply`.
  using Hook = std::function<bool(const std::string& path, Reply& reply)>;

  explicit SampleStore(std::string rootDir);
  ~SampleStore();  // stops the server
  SampleStore(const SampleStore&) = delete;
  SampleStore& operator=(const SampleStore&) = delete;

  // Listens on `host` at `port` (0: any free port) on a thread of its own. False when it cannot.
  bool Start(const std::string& host = "127.0.0.1", int port = 0);
  void Stop();
  int Port() const;
  std::string BaseUrl() const;  // "http://host:port"

  void SetDelay(std::chrono::milliseconds delay);
  void SetHook(Hook hook);
  // Closes the listening socket: later connections are refused. Safe to call from the hook.
  void RefuseConnections();

  int RequestCount() const;
  int ConnectionCount() const;  // distinct client connections that sent a request
  std::vector<std::string> RequestedPaths() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The answer for a search that finds nothing: a page without the search result marker.
std::string NoHitsPage(const std::string& code);

}  // namespace tarvo::host
