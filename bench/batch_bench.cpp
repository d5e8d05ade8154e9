// Whole batches through the plug-in library against the sample store on 127.0.0.1:
//   - the plug-in's own time per code: the CPU time of the calling thread between one code's
//     search request and the next (waiting on the store takes none), with a store that answers
//     at once; this includes the host functions the plug-in calls (code check, reachability
//     tests, the product page download), so it bounds the plug-in's own time from above;
//   - peak memory of the host program running a batch of 1, 100 and 500 codes;
//   - a store that answers every request after 20 ms: the batch's time and the connections
//     the store saw.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "bench_util.h"
#include "host/lookup.h"
#include "host/sample_store.h"
#include "platform/platform.h"

namespace tarvo::bench {
namespace {

constexpr int kProducts = 10;
constexpr const char* kProductIds[kProducts] = {"30418276", "30522914", "29877031", "31055608", "31290044",
                                                "28734115", "30066352", "31500827", "27611950", "31733469"};

std::string SearchPage(const std::string& link) {
  return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head><meta charset=\"UTF-8\"><title>検索結果</title></head>\n"
         "<body>\n<div class=\"srList\">\n<div class=\"stContents\">\n<div class=\"srItem\">\n<a href=\"" +
         link + "\"><img src=\"/img/s.jpg\" alt=\"\"></a>\n</div>\n</div>\n</div>\n</body>\n</html>\n";
}

// The i-th ISBN-13 of group 4, with its check digit.
std::string Isbn(int i) {
  std::string code = "97848" + std::to_string(1000000 + i);  // 12 digits
  int sum = 0;
  for (std::size_t k = 0; k < code.size(); ++k) sum += (code[k] - '0') * (k % 2 == 0 ? 1 : 3);
  code.push_back(static_cast<char>('0' + (10 - sum % 10) % 10));
  return code;
}

// A store folder with `codes` search pages, each leading to one of the sample product pages,
// and a data folder with the sample dictionaries.
struct Setup {
  TempDir root;
  TempDir data;
  TempDir work;
  std::vector<std::string> codes;
  std::string codesFile;

  explicit Setup(int count) {
    const fs::path sample = TARVO_SAMPLE_DIR;
    for (const char* id : kProductIds) {
      fs::create_directories(root.path() / "product");
      fs::copy_file(sample / "store" / "product" / (std::string(id) + ".html"),
                    root.path() / "product" / (std::string(id) + ".html"));
    }
    std::string list;
    for (int i = 0; i < count; ++i) {
      codes.push_back(Isbn(i));
      WriteFile(root.path() / "search" / (codes.back() + ".html"),
                SearchPage("/product/" + std::string(kProductIds[i % kProducts]) + ".html"));
      list += codes.back() + "\n";
    }
    for (const char* name : {"AuthDB.dat", "PubDB.dat", "LabelsDB.dat"}) {
      fs::copy_file(sample / "data" / name, data.path() / name);
    }
    codesFile = (work.path() / "codes.txt").string();
    WriteFile(codesFile, list);
  }
  std::string OutFile() const { return (work.path() / "result.txt").string(); }
};

// Answers from the setup's files, as the store does, but with a content type that the server
// does not compress: the sample store compresses text/html when asked (with brotli, at a cost of
// several milliseconds per product page on the store's side), which a measurement of the
// plug-in's own waiting should not include.
bool AnswerUncompressed(const fs::path& root, const std::string& path, host::SampleStore::Reply& reply) {
  std::string file;
  if (path.rfind("/netstore/search_10", 0) == 0) {
    file = (root / "search" / path.substr(19)).string();
  } else if (path.rfind("/product/", 0) == 0) {
    file = (root / "product" / path.substr(9)).string();
  }
  if (file.empty() || !fs::exists(file)) return false;
  reply.body = ReadFile(file);
  reply.contentType = "application/xhtml+xml; charset=UTF-8";
  return true;
}

const host::Plugin& ThePlugin() {
  static const host::Plugin plugin(TARVO_PLUGIN_PATH);
  return plugin;
}

double Seconds(const timespec& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9; }

// Per code: the calling thread's CPU time and the wall time from one search request to the next.
void BM_Batch(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const bool uncompressed = state.range(1) != 0;
  const host::Plugin& plugin = ThePlugin();
  if (!plugin.Loaded()) {
    state.SkipWithError(plugin.Error().c_str());
    return;
  }
  Setup setup(count);
  host::SampleStore store(setup.root.path().string());
  if (!store.Start()) {
    state.SkipWithError("cannot start the sample store");
    return;
  }
  platform::SetEnvironmentValue("TARVO_STORE_URL", store.BaseUrl());
  clockid_t callerClock;
  pthread_getcpuclockid(pthread_self(), &callerClock);
  std::mutex mutex;
  std::vector<double> cpu, wall, heap;
  const fs::path root = setup.root.path();
  store.SetHook([&](const std::string& path, host::SampleStore::Reply& reply) {
    if (path.rfind("/netstore/search_10", 0) == 0) {
      timespec t{};
      clock_gettime(callerClock, &t);
      const std::lock_guard<std::mutex> lock(mutex);
      cpu.push_back(Seconds(t));
      wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count());
      heap.push_back(static_cast<double>(mallinfo2().uordblks));
    }
    return uncompressed && AnswerUncompressed(root, path, reply);
  });

  std::vector<double> cpuPerCode, wallPerCode;
  double heapGrowth = 0;  // bytes in use per code, from the 100th code to the last
  std::size_t found = 0;
  for (auto _ : state) {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      cpu.clear();
      wall.clear();
      heap.clear();
    }
    const auto start = std::chrono::steady_clock::now();
    const host::BatchOutcome outcome = host::RunLookup(plugin, setup.data.AsDataDir(), setup.OutFile(), setup.codes);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    found = outcome.rows.size();
    const std::lock_guard<std::mutex> lock(mutex);
    if (heap.size() > 200) heapGrowth = (heap.back() - heap[99]) / static_cast<double>(heap.size() - 100);
    for (std::size_t k = 1; k < cpu.size(); ++k) {
      cpuPerCode.push_back(cpu[k] - cpu[k - 1]);
      wallPerCode.push_back(wall[k] - wall[k - 1]);
    }
  }
  store.Stop();
  if (found != setup.codes.size()) state.SkipWithError("not every code was found");
  state.counters["found"] = static_cast<double>(found);
  state.counters["cpu_per_code_median_ms"] = Median(cpuPerCode) * 1e3;
  state.counters["cpu_per_code_p90_ms"] = Percentile(cpuPerCode, 0.9) * 1e3;
  state.counters["wall_per_code_median_ms"] = Median(wallPerCode) * 1e3;
  // The whole process's heap (plug-in, host functions, the store's threads) at each search
  // request: what stays per code once the batch runs.
  state.counters["heap_growth_per_code_KB"] = heapGrowth / 1024;
}
BENCHMARK(BM_Batch)
    ->ArgNames({"codes", "uncompressed"})
    ->Args({500, 0})
    ->Args({500, 1})
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Runs `mardel lookup` on the setup's codes in a child process; its peak resident memory in KB,
// or -1 when the batch did not complete.
long PeakMemoryOfBatch(const Setup& setup, const std::string& storeUrl) {
  const std::string program = TARVO_MARDEL_PATH;
  const std::string dataDir = setup.data.path().string();
  const std::string out = setup.OutFile();
  const pid_t child = fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl(program.c_str(), program.c_str(), "lookup", "--data-dir", dataDir.c_str(), "--out", out.c_str(), "--store",
          storeUrl.c_str(), "--format", "csv", "--codes", setup.codesFile.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return -1;
  }
  return usage.ru_maxrss;
}

void BM_PeakMemory(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  Setup setup(count);
  host::SampleStore store(setup.root.path().string());
  if (!store.Start()) {
    state.SkipWithError("cannot start the sample store");
    return;
  }
  long peak = 0;
  for (auto _ : state) peak = PeakMemoryOfBatch(setup, store.BaseUrl());
  store.Stop();
  if (peak < 0) {
    state.SkipWithError("mardel lookup failed");
    return;
  }
  state.counters["peak_MB"] = static_cast<double>(peak) / 1024;
  state.counters["result_lines_KB"] = static_cast<double>(fs::file_size(setup.OutFile())) / 1024;
}
BENCHMARK(BM_PeakMemory)->Arg(1)->Arg(100)->Arg(500)->Iterations(1)->Unit(benchmark::kMillisecond);

// Every answer 20 ms late: the batch should take little more than the 2 x 20 ms per code it
// waits, over one connection per downloader.
void BM_SlowStore(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const bool uncompressed = state.range(1) != 0;
  constexpr int kDelayMs = 20;
  const host::Plugin& plugin = ThePlugin();
  Setup setup(count);
  host::SampleStore store(setup.root.path().string());
  if (!plugin.Loaded() || !store.Start()) {
    state.SkipWithError("cannot load the plug-in or start the store");
    return;
  }
  store.SetDelay(std::chrono::milliseconds(kDelayMs));
  const fs::path root = setup.root.path();
  if (uncompressed) {
    store.SetHook([root](const std::string& path, host::SampleStore::Reply& reply) {
      return AnswerUncompressed(root, path, reply);
    });
  }
  platform::SetEnvironmentValue("TARVO_STORE_URL", store.BaseUrl());
  double seconds = 0;
  std::size_t found = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    found = host::RunLookup(plugin, setup.data.AsDataDir(), setup.OutFile(), setup.codes).rows.size();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
  }
  store.Stop();
  const double limit = 1.1 * count * 2 * kDelayMs / 1000.0;
  state.counters["found"] = static_cast<double>(found);
  state.counters["seconds"] = seconds;
  state.counters["limit_s"] = limit;
  state.counters["over_wait_pct"] = (seconds / (count * 2 * kDelayMs / 1000.0) - 1) * 100;
  state.counters["connections"] = store.ConnectionCount();
  state.counters["requests"] = store.RequestCount();
}
BENCHMARK(BM_SlowStore)
    ->ArgNames({"codes", "uncompressed"})
    ->Args({100, 0})
    ->Args({100, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvo::bench

BENCHMARK_MAIN();
