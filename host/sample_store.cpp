#include "host/sample_store.h"

#include <httplib.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

namespace tarvo::host {

namespace {

bool IsSafeName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
    if (!ok) return false;
  }
  return true;
}

bool ReadFile(const std::string& path, std::string& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  data = s.str();
  return true;
}

bool Between(const std::string& path, const std::string& prefix, const std::string& suffix, std::string& middle) {
  if (path.size() <= prefix.size() + suffix.size()) return false;
  if (path.compare(0, prefix.size(), prefix) != 0) return false;
  if (path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  middle = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
  return true;
}

}  // namespace

std::string NoHitsPage(const std::string& code) {
  return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n"
         "<title>「" + code + "」の検索結果</title>\n</head>\n<body class=\"pageSearch\">\n"
         "<h1 class=\"srHeading\">「" + code + "」の検索結果</h1>\n"
         "<p class=\"srNoHit\">該当する商品は見つかりませんでした。</p>\n</body>\n</html>\n";
}

struct SampleStore::Impl {
  std::string root;
  std::string host;
  int port = 0;
  httplib::Server server;
  std::thread thread;
  std::atomic<bool> refused{false};
  std::atomic<bool> running{false};

  mutable std::mutex mutex;  // guards everything below
  std::chrono::milliseconds delay{0};
  Hook hook;
  int requests = 0;
  std::set<std::pair<std::string, int>> connections;
  std::vector<std::string> paths;

  void Answer(const httplib::Request& request, httplib::Response& response) {
    Hook currentHook;
    std::chrono::milliseconds currentDelay;
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++requests;
      connections.emplace(request.remote_addr, request.remote_port);
      paths.push_back(request.path);
      currentHook = hook;
      currentDelay = delay;
    }
    if (currentDelay.count() > 0) std::this_thread::sleep_for(currentDelay);
    Reply reply;
    if (!(currentHook && currentHook(request.path, reply))) reply = FromFiles(request.path);
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) response.set_header(name, value);
    response.set_content(reply.body, reply.contentType.c_str());
  }

  Reply FromFiles(const std::string& path) const {
    Reply reply;
    std::string name;
    if (Between(path, "/netstore/search_10", ".html", name) && IsSafeName(name)) {
      if (!ReadFile(root + "/search/" + name + ".html", reply.body)) reply.body = NoHitsPage(name);
      return reply;
    }
    if (Between(path, "/product/", ".html", name) && IsSafeName(name) &&
        ReadFile(root + "/product/" + name + ".html", reply.body)) {
      return reply;
    }
    reply.status = 404;
    reply.body = "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head><body>Not Found</body></html>\n";
    return reply;
  }
};

SampleStore::SampleStore(std::string rootDir) : impl_(std::make_unique<Impl>()) {
  impl_->root = std::move(rootDir);
  Impl* impl = impl_.get();
  impl->server.Get(".*", [impl](const httplib::Request& request, httplib::Response& response) {
    impl->Answer(request, response);
  });
  // Keep a client's connection for a whole batch: that is what a real store allows, and what
  // the connection count measures.
  impl->server.set_keep_alive_max_count(100000);
  impl->server.set_keep_alive_timeout(30);
  // Headers and body go out in two writes; without this each answer waits for the client's
  // delayed acknowledgement.
  impl->server.set_tcp_nodelay(true);
}

SampleStore::~SampleStore() { Stop(); }

bool SampleStore::Start(const std::string& host, int port) {
  if (impl_->running) return false;
  impl_->host = host;
  impl_->port = port == 0 ? impl_->server.bind_to_any_port(host.c_str())
                          : (impl_->server.bind_to_port(host.c_str(), port) ? port : -1);
  if (impl_->port <= 0) return false;
  impl_->running = true;
  impl_->refused = false;
  impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
  // Until the server runs, a stop request would go unheard.
  while (!impl_->server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void SampleStore::Stop() {
  if (!impl_->running) return;
  RefuseConnections();
  if (impl_->thread.joinable()) impl_->thread.join();
  impl_->running = false;
}

int SampleStore::Port() const { return impl_->port; }

std::string SampleStore::BaseUrl() const { return "http://" + impl_->host + ":" + std::to_string(impl_->port); }

void SampleStore::SetDelay(std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->delay = delay;
}

void SampleStore::SetHook(Hook hook) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->hook = std::move(hook);
}

void SampleStore::RefuseConnections() {
  if (impl_->refused.exchange(true)) return;  // the listening socket is closed once
  impl_->server.stop();
}

int SampleStore::RequestCount() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->requests;
}

int SampleStore::ConnectionCount() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return static_cast<int>(impl_->connections.size());
}

std::vector<std::string> SampleStore::RequestedPaths() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->paths;
}

}  // namespace tarvo::host
