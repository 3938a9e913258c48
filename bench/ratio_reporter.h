// The reporter of the benchmarks that run the system beside the underlying
// library: the usual table, then each "<work>/<side>" run (the system's)
// beside its "<work>/raw" run (the library doing the same work directly),
// with their ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // `side`: the benchmark name's part of the system's runs ("qxa", "btrvc").
  explicit RatioReporter(std::string side) : side_("/" + std::move(side)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) seconds_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\n%-32s %12s %12s %8s\n", "work", side_.c_str() + 1, "raw SQLite", "ratio");
    for (const auto& [name, t] : seconds_) {
      const auto slash = name.find(side_);
      if (slash == std::string::npos) continue;
      std::string rawName = name;
      rawName.replace(slash, side_.size(), "/raw");
      const auto it = seconds_.find(rawName);
      if (it == seconds_.end()) continue;
      std::printf("%-32s %10.0fms %10.0fms %8.2f\n", name.substr(0, slash).c_str(), t, it->second, t / it->second);
    }
  }

 private:
  std::string side_;
  std::map<std::string, double> seconds_;
};

}  // namespace bench
