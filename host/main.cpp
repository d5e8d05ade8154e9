// mardel: the stand-in for the host application. It exports the host functions the plug-in
// binds, loads the plug-in found beside it and runs lookups from the command line.
//
//   mardel lookup [--data-dir DIR] [--out FILE] [--store URL] [--format table|json|csv]
//                 [--batches N] [CODE... | --codes FILE | -]
//   mardel info
//   mardel demo [--sample-dir DIR] [--format ...]   (the bundled sample store and codes)
//   mardel serve [--port N] [--delay-ms N] [--sample-dir DIR]
//
// Exit status: 0 when every code was looked up, 1 when the batch could not run or ended early,
// 2 on bad usage.
#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host/isbn.h"
#include "host/lookup.h"
#include "host/report.h"
#include "page/text.h"
#include "platform/platform.h"
#include "plugin/settings.h"

#if defined(TARVO_WITH_SAMPLE_STORE)
#include "host/sample_store.h"
#endif

namespace fs = std::filesystem;

namespace tarvo::host {
namespace {

constexpr int kExitIncomplete = 1;
constexpr int kExitUsage = 2;

// A usage error: shown as "mardel: <message>", exit status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string ToSjis(std::string_view utf8) {
  for (char c : utf8) {
    if (static_cast<unsigned char>(c) >= 0x80) return platform::Utf8ToCp932(utf8);
  }
  return std::string(utf8);
}

// The codes of a text, one per line: trimmed, without hyphens and spaces; blank lines and lines
// beginning with '#' skipped.
void AddCodes(std::string_view text, std::vector<std::string>& codes) {
  for (const std::string& line : SplitLines(text)) {
    const std::string code = WithoutSeparators(Trim(line));
    if (!code.empty() && code.front() != '#') codes.push_back(ToSjis(code));
  }
}

// A folder of its own in the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      fs::path candidate = fs::temp_directory_path() / ("mardel-" + std::to_string(random()));
      std::error_code error;
      if (fs::create_directory(candidate, error)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("cannot create a temporary folder");
  }
  ~TempFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string AsDataDir(const fs::path& folder) {
  std::string dir = folder.string();
  if (dir.empty() || dir.back() != platform::PathSeparator()) dir.push_back(platform::PathSeparator());
  return dir;
}

std::string Render(const BatchOutcome& outcome, const std::string& format) {
  if (format == "json") return FormatJson(outcome);
  if (format == "csv") return FormatCsv(outcome);
  return FormatTable(outcome);
}

struct LookupOptions {
  std::string dataDir;
  std::string outFile;
  std::string store;
  std::string format = "table";
  std::string codesFile;
  std::vector<std::string> codes;
  int batches = 1;
};

// Runs the batch `batches` times in this process with the plug-in loaded once, as the host runs
// batch after batch, and shows each. Batch k > 1 writes `outFile` + "." + k. The summary goes to
// stdout after a table, to stderr after JSON or CSV (so that stdout stays machine-readable).
int RunBatchAndShow(const std::vector<std::string>& codes, const std::string& dataDir, const std::string& outFile,
                    const std::string& format, int batches = 1) {
  Plugin plugin(DefaultPluginPath());
  if (!plugin.Loaded()) {
    std::cerr << "mardel: " << plugin.Error() << "\n";
    return kExitIncomplete;
  }
  int status = 0;
  for (int k = 1; k <= batches; ++k) {
    if (batches > 1) std::cerr << "mardel: batch " << k << " of " << batches << "\n";
    const std::string file = k == 1 ? outFile : outFile + "." + std::to_string(k);
    const BatchOutcome outcome = RunLookup(plugin, dataDir, file, codes);
    std::cout << Render(outcome, format);
    (format == "table" ? std::cout : std::cerr) << FormatSummary(outcome);
    std::cout.flush();
    if (!outcome.outputWritten) std::cerr << "mardel: the plug-in wrote no output file\n";
    if (!outcome.Complete()) status = kExitIncomplete;
  }
  return status;
}

int Lookup(LookupOptions& o) {
  std::vector<std::string> codes;
  const bool fromStdin = o.codes.size() == 1 && o.codes[0] == "-";
  if (!o.codesFile.empty() && !o.codes.empty()) {
    throw UsageError("give codes either as arguments or with --codes, not both");
  }
  if (fromStdin) {
    AddCodes(std::string(std::istreambuf_iterator<char>(std::cin), {}), codes);
  } else if (!o.codesFile.empty()) {
    if (!platform::FileExists(o.codesFile)) throw UsageError("no codes file " + o.codesFile);
    AddCodes(platform::ReadWholeFile(o.codesFile), codes);
  } else {
    for (const std::string& code : o.codes) AddCodes(code, codes);
  }
  if (codes.empty()) throw UsageError("no codes to look up (give CODE..., --codes FILE or - for stdin)");
  if (!o.store.empty()) {
    if (o.store.rfind("http://", 0) != 0 && o.store.rfind("https://", 0) != 0) {
      throw UsageError("--store needs an http:// or https:// address, not " + o.store);
    }
    platform::SetEnvironmentValue(std::string(kStoreUrlVariable).c_str(), o.store);
  }
  if (!o.dataDir.empty() && !fs::is_directory(o.dataDir)) throw UsageError("no data directory " + o.dataDir);

  TempFolder scratch;
  const std::string dataDir = AsDataDir(o.dataDir.empty() ? scratch.path() : fs::path(o.dataDir));
  const std::string outFile = o.outFile.empty() ? (scratch.path() / "result.txt").string() : o.outFile;
  return RunBatchAndShow(codes, dataDir, outFile, o.format, o.batches);
}

// The store the plug-in will use, found the way the plug-in finds it.
std::string StoreUrlForInfo() {
  std::string url = platform::EnvironmentVariable(std::string(kStoreUrlVariable).c_str());
  if (!url.empty()) return url + "  (" + std::string(kStoreUrlVariable) + ")";
  const std::string ini = platform::ExecutableFolder() + platform::PathSeparator() + "tarvo.ini";
  url = Trim(platform::ReadIniString(ini, "Store", "BaseUrl", ""));
  if (!url.empty()) return url + "  (" + ini + ")";
  return std::string(kDefaultStoreUrl) + "  (placeholder: set " + std::string(kStoreUrlVariable) + " or tarvo.ini)";
}

int Info() {
  const std::string path = DefaultPluginPath();
  Plugin plugin(path);
  if (!plugin.Loaded()) {
    std::cerr << "mardel: " << plugin.Error() << "\n";
    return kExitIncomplete;
  }
  const Plugin::Info info = plugin.GetInfo();
  std::cout << "Plug-in:   " << path << "\n"
            << "Function:  " << platform::Cp932ToUtf8(info.funcName) << "\n"
            << "Title:     " << platform::Cp932ToUtf8(info.title) << "\n"
            << "Author:    " << platform::Cp932ToUtf8(info.author) << "\n"
            << "Version:   " << platform::Cp932ToUtf8(info.version) << "\n"
            << "Code:      " << platform::Cp932ToUtf8(info.code) << "\n"
            << "Store:     " << StoreUrlForInfo() << "\n";
  return 0;
}

#if defined(TARVO_WITH_SAMPLE_STORE)

// The sample folder: --sample-dir, else "sample" beside the program, else the source tree's.
fs::path SampleDir(const std::string& option) {
  if (!option.empty()) return option;
  const fs::path beside = fs::path(platform::ExecutableFolder()) / "sample";
  if (fs::is_directory(beside / "store")) return beside;
  return TARVO_SOURCE_SAMPLE_DIR;
}

int Demo(const std::string& sampleOption, const std::string& format) {
  const fs::path sample = SampleDir(sampleOption);
  if (!fs::is_directory(sample / "store")) throw UsageError("no sample store in " + sample.string());
  SampleStore store((sample / "store").string());
  if (!store.Start()) {
    std::cerr << "mardel: cannot start the sample store on 127.0.0.1\n";
    return kExitIncomplete;
  }
  platform::SetEnvironmentValue(std::string(kStoreUrlVariable).c_str(), store.BaseUrl());

  TempFolder scratch;  // the sample dictionaries are copied, as the plug-in writes Temp.html there
  const fs::path data = scratch.path() / "data";
  fs::create_directory(data);
  if (fs::is_directory(sample / "data")) fs::copy(sample / "data", data, fs::copy_options::recursive);
  std::vector<std::string> codes;
  if (platform::FileExists((sample / "codes.txt").string())) {
    AddCodes(platform::ReadWholeFile((sample / "codes.txt").string()), codes);
  }
  if (codes.empty()) throw UsageError("no codes in " + (sample / "codes.txt").string());
  if (format == "table") std::cout << "Sample store at " << store.BaseUrl() << ", " << codes.size() << " codes\n\n";
  const int status = RunBatchAndShow(codes, AsDataDir(data), (scratch.path() / "result.txt").string(), format);
  store.Stop();
  return status;
}

std::atomic<bool> serve_stop{false};
extern "C" void OnServeSignal(int) { serve_stop.store(true); }

int Serve(const std::string& sampleOption, int port, int delayMs) {
  const fs::path sample = SampleDir(sampleOption);
  const fs::path root = fs::is_directory(sample / "store") ? sample / "store" : sample;
  SampleStore store(root.string());
  if (!store.Start("127.0.0.1", port)) {
    std::cerr << "mardel: cannot listen on 127.0.0.1:" << port << "\n";
    return kExitIncomplete;
  }
  store.SetDelay(std::chrono::milliseconds(delayMs));
  std::signal(SIGINT, &OnServeSignal);
  std::signal(SIGTERM, &OnServeSignal);
  std::cout << "Serving " << root.string() << " at " << store.BaseUrl() << " (Ctrl-C ends)" << std::endl;
  while (!serve_stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  store.Stop();
  std::cout << store.RequestCount() << " requests on " << store.ConnectionCount() << " connections" << std::endl;
  return 0;
}

#endif  // TARVO_WITH_SAMPLE_STORE

}  // namespace
}  // namespace tarvo::host

int main(int argc, char** argv) {
  using namespace tarvo::host;
  CLI::App app{"mardel: looks books up through the tarvo plug-in"};
  app.require_subcommand(1);

  LookupOptions lookup;
  CLI::App* lookupCommand = app.add_subcommand("lookup", "Look codes up through the plug-in beside this program");
  lookupCommand->add_option("--data-dir", lookup.dataDir,
                            "Data directory: dictionaries AuthDB.dat, PubDB.dat, LabelsDB.dat; the plug-in writes "
                            "Temp.html there (default: a temporary folder, no dictionaries)");
  lookupCommand->add_option("--out", lookup.outFile, "Keep the plug-in's output file (Shift-JIS, 68 columns a line)");
  lookupCommand->add_option("--store", lookup.store, "Store base URL (sets TARVO_STORE_URL for the plug-in)");
  lookupCommand->add_option("--format", lookup.format, "Output: table, json or csv")
      ->check(CLI::IsMember({"table", "json", "csv"}));
  lookupCommand->add_option("--codes", lookup.codesFile, "File with one code a line");
  lookupCommand->add_option("--batches", lookup.batches,
                            "Run the batch this many times in one process; batch k > 1 writes --out FILE.k")
      ->check(CLI::Range(1, 100));
  lookupCommand->add_option("codes", lookup.codes, "ISBN-13, ISBN-10, 18- or 26-character codes; - reads stdin");

  CLI::App* infoCommand = app.add_subcommand("info", "Show what the plug-in reports about itself");

#if defined(TARVO_WITH_SAMPLE_STORE)
  std::string sampleDir;
  std::string demoFormat = "table";
  int port = 0;
  int delayMs = 0;
  CLI::App* demoCommand = app.add_subcommand("demo", "Look the sample codes up in the bundled sample store");
  demoCommand->add_option("--sample-dir", sampleDir, "Sample folder (store/, data/, codes.txt)");
  demoCommand->add_option("--format", demoFormat, "Output: table, json or csv")
      ->check(CLI::IsMember({"table", "json", "csv"}));
  CLI::App* serveCommand = app.add_subcommand("serve", "Serve the sample store on 127.0.0.1 until Ctrl-C");
  serveCommand->add_option("--sample-dir", sampleDir, "Sample folder, or a store folder (search/, product/)");
  serveCommand->add_option("--port", port, "Port (default: any free port)")->check(CLI::Range(0, 65535));
  serveCommand->add_option("--delay-ms", delayMs, "Delay before every answer")->check(CLI::NonNegativeNumber);
#endif

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : kExitUsage;
  }
  try {
    if (lookupCommand->parsed()) return Lookup(lookup);
    if (infoCommand->parsed()) return Info();
#if defined(TARVO_WITH_SAMPLE_STORE)
    if (demoCommand->parsed()) return Demo(sampleDir, demoFormat);
    if (serveCommand->parsed()) return Serve(sampleDir, port, delayMs);
#endif
  } catch (const UsageError& e) {
    std::cerr << "mardel: " << e.what() << "\n";
    return kExitUsage;
  } catch (const std::exception& e) {
    std::cerr << "mardel: " << e.what() << "\n";
    return 1;
  }
  return kExitUsage;
}
