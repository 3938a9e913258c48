// What the report benchmarks share: sizes from the environment, a company
// folder written from a generated image, the raw-SQLite reads they are
// measured against, and the reporter that prints each figure over the raw
// read's.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "ravadodo.h"

namespace reportbench {

// The number in environment variable `name`, or `fallback`.
inline int Size(const char* name, int fallback) {
  const char* env = std::getenv(name);
  return env ? std::atoi(env) : fallback;
}

// A company folder of the benchmark's own under /tmp.
struct Company {
  std::string root, folder;
};

// Writes `image` into a new folder and points the application block and the
// screen at it (the script device with nothing to type: no terminal is
// touched), `today` the run's date and `command` the command running.
inline bool WriteCompany(const char* name, const fixture::CompanyImage& image, std::int32_t today, int command,
                         Company* company) {
  std::string tmpl = std::string("/tmp/") + name + "XXXXXX";
  std::vector<char> buffer(tmpl.begin(), tmpl.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) return false;
  company->root = buffer.data();
  company->folder = company->root + "/company";
  fixture::Problem problem;
  if (!fixture::WriteCompany(image, company->folder, fixture::WriteOptions{true}, &problem)) {
    std::fprintf(stderr, "company: %s\n", problem.Text().c_str());
    return false;
  }
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, QX_SOURCE_DIR "/data");
  AppBlockTextSet(app->companyPath, kFolderFieldSize, company->folder.c_str());
  app->currentCommand = command;
  ScreenResetForTest("", nullptr);
  DateSetToday(today);
  return true;
}

// The table of record file `file` in the company's database ("" when none).
inline std::string TableOf(sqlite3* db, const char* file) {
  sqlite3_stmt* st = nullptr;
  std::string table;
  sqlite3_prepare_v2(db, "SELECT id FROM qx_catalog WHERE name = ?1", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, file, -1, SQLITE_STATIC);
  if (sqlite3_step(st) == SQLITE_ROW) table = "f" + std::to_string(sqlite3_column_int(st, 0));
  sqlite3_finalize(st);
  return table;
}

// Steps through `sql`, adding up the bytes of its first column; −1 when it
// cannot be prepared.
inline long long ReadAll(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return -1;
  long long bytes = 0;
  while (sqlite3_step(st) == SQLITE_ROW) bytes += sqlite3_column_bytes(st, 0);
  sqlite3_finalize(st);
  return bytes;
}

// The raw read: each (file, key) pair's records read in that key's order,
// straight from SQLite.
inline void RawRead(benchmark::State& state, const std::string& folder,
                    const std::vector<std::pair<const char*, int>>& reads, long long items) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2((folder + "/qxrecords.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    state.SkipWithError("cannot open the company database");
    return;
  }
  std::vector<std::string> sql;
  for (const auto& [file, key] : reads) {
    const std::string table = TableOf(db, file);
    if (table.empty()) {
      state.SkipWithError("the company database lacks a table the report reads");
      sqlite3_close(db);
      return;
    }
    sql.push_back("SELECT image FROM " + table + " ORDER BY k" + std::to_string(key) + ", pos");
  }
  for (auto _ : state) {
    long long bytes = 0;
    for (const std::string& s : sql) bytes += ReadAll(db, s);
    if (bytes <= 0) state.SkipWithError("the raw read failed");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * items);
  sqlite3_close(db);
}

// Prints the usual table, then each benchmark's time over the raw read's
// (the benchmark named `raw`).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::string raw) : raw_(std::move(raw)) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto raw = times_.find(raw_ + "/real_time");
    if (raw == times_.end() || raw->second <= 0) return;
    for (const auto& [name, time] : times_)
      if (name != raw->first) std::printf("%s / raw SQLite read: %.1f\n", name.c_str(), time / raw->second);
  }

 private:
  std::string raw_;
  std::map<std::string, double> times_;
};

// The benchmark program: builds the company with `make` once, runs the
// benchmarks with the ratio to `raw` printed, and removes the company.
inline int Main(int argc, char** argv, bool (*make)(), const char* raw, const Company& company) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!make()) return 1;
  RatioReporter reporter(raw);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  BtrvReset();
  std::error_code ec;
  std::filesystem::remove_all(company.root, ec);
  return 0;
}

}  // namespace reportbench
