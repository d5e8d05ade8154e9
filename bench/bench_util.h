// Shared by the benchmark programs: scratch folders, files, and a console report that ends with
// the ratios between benchmarks of the same run.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/temp_files.h"

namespace tarvo::bench {

namespace fs = std::filesystem;

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

template <typename T>
T Median(std::vector<T> values) {
  if (values.empty()) return T();
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename T>
T Percentile(std::vector<T> values, double p) {
  if (values.empty()) return T();
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

// The console report, remembering the median CPU time of each benchmark (the single run's time
// when it has no repetitions) to print ratios after the last one. CPU time, not real time: the
// benchmarks compared this way run on one thread, and on a shared machine the real time also
// holds the time other programs had the core.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, as the library's own report does.
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

  // After the run: "label: numerator / denominator = x (target: at most limit)".
  void AddRatio(std::string label, std::string numerator, std::string denominator, double limit = 0) {
    ratios_.push_back({std::move(label), std::move(numerator), std::move(denominator), limit});
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string name =
          run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") medians_[name] = run.GetAdjustedCPUTime() * Scale(run.time_unit);
      } else if (medians_.count(name) == 0 || run.repetitions <= 1) {
        medians_[name] = run.GetAdjustedCPUTime() * Scale(run.time_unit);
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const Ratio& r : ratios_) {
      const auto n = medians_.find(r.numerator);
      const auto d = medians_.find(r.denominator);
      if (n == medians_.end() || d == medians_.end() || d->second <= 0) continue;
      std::printf("%s: %s / %s = %.2f", r.label.c_str(), r.numerator.c_str(), r.denominator.c_str(),
                  n->second / d->second);
      if (r.limit > 0) std::printf(" (target: at most %.2f)", r.limit);
      std::printf("\n");
    }
    std::fflush(stdout);
  }

 private:
  struct Ratio {
    std::string label, numerator, denominator;
    double limit;
  };
  static double Scale(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kNanosecond:
        return 1e-9;
      case benchmark::kMicrosecond:
        return 1e-6;
      case benchmark::kMillisecond:
        return 1e-3;
      default:
        return 1;
    }
  }
  std::vector<Ratio> ratios_;
  std::map<std::string, double> medians_;
};

}  // namespace tarvo::bench
