// What the report benchmarks share: a company folder of the benchmark's
// own under /tmp, the application block pointed at it, the raw-SQLite reads
// the reports' figures are set beside, and the reporter that prints each
// report's time over the raw read.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "ravadodo.h"

namespace reportbench {

// The size a benchmark runs at: the environment variable `name`, else
// `fallback`.
inline int Size(const char* name, int fallback) {
  const char* env = std::getenv(name);
  return env ? std::atoi(env) : fallback;
}

// A folder of the benchmark's own: /tmp/<prefix>XXXXXX, and its company.
struct BenchFolder {
  std::string root, company;
  bool Make(const char* prefix) {
    std::string tmpl = std::string("/tmp/") + prefix + "XXXXXX";
    if (!mkdtemp(tmpl.data())) return false;
    root = tmpl;
    company = root + "/company";
    return true;
  }
  void Remove() const {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

// Points the application block at the company in `company` and at the
// source tree's base data; `command` becomes the command running, `today`
// today, and the script device takes no keys.
inline void PointAt(const std::string& company, int command, int today) {
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, QX_SOURCE_DIR "/data");
  AppBlockTextSet(app->companyPath, kFolderFieldSize, company.c_str());
  app->currentCommand = command;
  // The script device with nothing to type: no terminal is touched.
  ScreenResetForTest("", nullptr);
  DateSetToday(today);
}

// Writes `image` as the company in `company`; false after a message on
// standard error.
inline bool WriteImage(const fixture::CompanyImage& image, const std::string& company) {
  fixture::Problem problem;
  if (!fixture::WriteCompany(image, company, fixture::WriteOptions{true}, &problem)) {
    std::fprintf(stderr, "company: %s\n", problem.Text().c_str());
    return false;
  }
  return true;
}

// Writes `image` as the company of `folder` and points the application block
// at it (PointAt).  False after a message on standard error.
inline bool UseCompany(const fixture::CompanyImage& image, const BenchFolder& folder, int command, int today) {
  if (!WriteImage(image, folder.company)) return false;
  PointAt(folder.company, command, today);
  return true;
}

// Runs `body` (returning true when it did its work) in a child process of
// its own, so that what it allocates is measured apart from the benchmark
// and from whatever ran before it.  Returns the child's exit status (0 when
// the body returned true; −1 when it could not be run or died) and its peak
// resident memory in KiB.
template <class Body>
int InChild(Body body, long* peakKiB = nullptr) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) _exit(body() ? 0 : 1);
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return -1;
  if (peakKiB) *peakKiB = usage.ru_maxrss;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A record's byte image, for a company image.
template <class Record>
std::vector<std::uint8_t> Bytes(const Record& r) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&r);
  return std::vector<std::uint8_t>(p, p + sizeof r);
}

// Writes `text` into a record's text field, cut to the N - 1 it holds.
template <std::size_t N>
void SetText(char (&field)[N], const std::string& text) {
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// The size of the file at `path` in bytes; 0 when there is none.
inline long FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : static_cast<long>(size);
}

// Ends a benchmark whose runs wrote their report to the transcript `path`:
// counts `items` per run, gives the text's size, and fails it when the text
// holds fewer than 100 bytes an item (`what` was not written).
inline void EndTranscriptRuns(benchmark::State& state, const std::string& path, long items, const char* what) {
  ScreenResetForTest("", nullptr);
  state.SetItemsProcessed(state.iterations() * items);
  const long size = FileSize(path);
  if (size < items * 100L) state.SkipWithError((std::string(what) + " was not written").c_str());
  state.counters["text_MB"] = static_cast<double>(size) / 1e6;
}

// The table that holds the record file `file` ("customers") in a company's
// database; "" when there is none.
inline std::string TableOf(sqlite3* db, const char* file) {
  sqlite3_stmt* st = nullptr;
  std::string table;
  sqlite3_prepare_v2(db, "SELECT id FROM qx_catalog WHERE name = ?1", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, file, -1, SQLITE_STATIC);
  if (sqlite3_step(st) == SQLITE_ROW) table = "f" + std::to_string(sqlite3_column_int(st, 0));
  sqlite3_finalize(st);
  return table;
}

// Steps through every row of `sql` (its first column a record image): the
// bytes read, or −1 when the statement cannot be made.
inline long long ReadAll(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return -1;
  long long bytes = 0;
  while (sqlite3_step(st) == SQLITE_ROW) bytes += sqlite3_column_bytes(st, 0);
  sqlite3_finalize(st);
  return bytes;
}

// The raw read beside a report: each iteration reads every record of each
// (file, "ORDER BY" keys) pair straight from the company's database.
inline void RawRead(benchmark::State& state, const std::string& company,
                    const std::vector<std::pair<const char*, const char*>>& reads, long long items) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2((company + "/qxrecords.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    state.SkipWithError("cannot open the company database");
    return;
  }
  std::vector<std::string> sql;
  for (const auto& [file, order] : reads) {
    const std::string table = TableOf(db, file);
    if (table.empty()) {
      state.SkipWithError("the company database lacks a table");
      sqlite3_close(db);
      return;
    }
    sql.push_back("SELECT image FROM " + table + " ORDER BY " + order);
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
// (the benchmark named `rawName`, e.g. "BM_RawSqliteReadSameRecords/real_time").
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::string rawName) : rawName_(std::move(rawName)) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto raw = times_.find(rawName_);
    if (raw == times_.end() || raw->second <= 0) return;
    for (const auto& [name, time] : times_)
      if (name != raw->first) std::printf("%s / raw SQLite read: %.1f\n", name.c_str(), time / raw->second);
  }

 private:
  std::string rawName_;
  std::map<std::string, double> times_;
};

// The main program of a report benchmark: runs `before` (figures printed
// ahead of the timed runs, or null), makes its company (`make`), runs the
// benchmarks with a RatioReporter over the raw read named `rawName`, and
// removes the folder.
inline int RunReportBenchmarks(int argc, char** argv, bool (*make)(), const BenchFolder& folder,
                               const char* rawName = "BM_RawSqliteReadSameRecords/real_time",
                               void (*before)() = nullptr) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (before) before();
  if (!make()) return 1;
  RatioReporter reporter(rawName);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  BtrvReset();
  folder.Remove();
  return 0;
}

}  // namespace reportbench
