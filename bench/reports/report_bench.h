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
#include <functional>
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
  // QX_BENCH_KEEP=1 leaves the company and what the runs wrote.
  if (std::getenv("QX_BENCH_KEEP"))
    std::printf("kept in %s\n", folder.root.c_str());
  else
    folder.Remove();
  return 0;
}

// ---- Several sizes ----------------------------------------------------------------
//
// A report benchmark at several sizes: each size's company is made (by
// `make`, into a folder of its own) before the first run of that size and
// removed after its last; every run is a benchmark "<run>/<size>" of real
// time, and the table at the end gives per size each run's time, its time
// per item, and its ratio to the size's floor run (raw SQLite reading the
// same records in the same order and writing the same text, the least work
// the report can be done with).

struct SizedRun {
  std::string name;
  std::function<void(benchmark::State&, int size)> body;
};

struct SizedReports {
  std::string prefix;  // of the folders: "qx1099bench"
  std::string unit;    // what the items are: "vendor"
  std::vector<int> sizes;
  // Makes the company of `size` in folder.company (the folder is made);
  // false after a message on standard error.
  std::function<bool(int size, const BenchFolder& folder)> make;
  std::function<long long(int size)> items;
  std::vector<SizedRun> runs;
  std::string floor;  // the run the others are set beside
};

// The folder of the size being run.
inline BenchFolder& SizedFolder() {
  static BenchFolder folder;
  return folder;
}

// The sizes of `variable` ("2000,20000"), else `fallback`.
inline std::vector<int> Sizes(const char* variable, const char* fallback) {
  const char* env = std::getenv(variable);
  std::vector<int> sizes;
  std::string list = env ? env : fallback;
  for (std::size_t at = 0; at <= list.size();) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    if (const int n = std::atoi(list.substr(at, comma - at).c_str()); n > 0) sizes.push_back(n);
    at = comma + 1;
  }
  return sizes;
}

class SizedReporter : public benchmark::ConsoleReporter {
 public:
  explicit SizedReporter(const SizedReports& spec) : spec_(spec) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration)
        times_[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%10s", (spec_.unit + "s").c_str());
    for (const SizedRun& r : spec_.runs) std::printf(" %14s %10s", (r.name + " ms").c_str(), "us each");
    for (const SizedRun& r : spec_.runs)
      if (r.name != spec_.floor) std::printf(" %12s", (r.name + "/" + spec_.floor).c_str());
    std::printf("\n");
    for (const int n : spec_.sizes) {
      const long long items = spec_.items(n);
      std::printf("%10lld", items);
      auto timeOf = [&](const std::string& run) {
        const auto it = times_.find(run + "/" + std::to_string(n) + "/real_time");
        return it == times_.end() ? -1.0 : it->second;
      };
      for (const SizedRun& r : spec_.runs) {
        const double t = timeOf(r.name);
        if (t < 0) std::printf(" %14s %10s", "-", "-");
        else std::printf(" %14.1f %10.2f", t, t * 1000.0 / static_cast<double>(items));
      }
      const double floor = timeOf(spec_.floor);
      for (const SizedRun& r : spec_.runs) {
        if (r.name == spec_.floor) continue;
        const double t = timeOf(r.name);
        if (t < 0 || floor <= 0) std::printf(" %12s", "-");
        else std::printf(" %12.1f", t / floor);
      }
      std::printf("\n");
    }
  }

 private:
  const SizedReports& spec_;
  std::map<std::string, double> times_;
};

// The program of a sized report benchmark; QX_BENCH_KEEP=1 leaves the
// folder of the last size.  Returns 0.
inline int RunSizedReports(int argc, char** argv, const SizedReports& spec) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  static int current = 0;
  for (const int n : spec.sizes) {
    for (const SizedRun& run : spec.runs) {
      const std::string name = run.name + "/" + std::to_string(n);
      benchmark::RegisterBenchmark(name.c_str(), [&spec, &run, n](benchmark::State& state) {
        if (current != n) {
          BtrvReset();
          if (current != 0) SizedFolder().Remove();
          current = 0;
          if (!SizedFolder().Make(spec.prefix.c_str()) || !spec.make(n, SizedFolder())) {
            state.SkipWithError("the company could not be made");
            return;
          }
          current = n;
        }
        run.body(state, n);
      })->Unit(benchmark::kMillisecond)->UseRealTime();
    }
  }
  SizedReporter reporter(spec);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  BtrvReset();
  if (std::getenv("QX_BENCH_KEEP"))
    std::printf("kept in %s\n", SizedFolder().root.c_str());
  else if (current != 0)
    SizedFolder().Remove();
  return 0;
}

// A record's text field without its trailing blanks and NULs.
template <std::size_t N>
std::string TrimmedField(const char (&field)[N]) {
  std::size_t n = strnlen(field, N);
  while (n > 0 && (field[n - 1] == ' ' || field[n - 1] == '\0')) --n;
  return std::string(field, n);
}

// The same cut or blank-padded to `width` characters.
template <std::size_t N>
std::string PaddedField(const char (&field)[N], std::size_t width) {
  std::string s = TrimmedField(field);
  s.resize(width, ' ');
  return s;
}

// Writes `text` as the file `path`, whole; false when it cannot.
inline bool WriteWhole(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace reportbench
