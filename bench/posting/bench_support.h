// What the posting benchmarks share: the generated company's record images,
// the raw-SQLite side's helpers (statements, key columns encoded as the
// record-manager client encodes them), the command run on the script device,
// and the reporter that prints each figure beside its raw-SQLite figure.
//
// Header only, for the programs of bench/posting.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
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
#include "qxabase.h"
#include "ravadodo.h"
#include "records/settings.h"

namespace benchsupport {

// A count from the environment variable `name`, else `fallback`.
inline int CountFromEnv(const char* name, int fallback) {
  const char* env = std::getenv(name);
  return env ? std::atoi(env) : fallback;
}

template <class Record>
std::vector<std::uint8_t> Image(const Record& r) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&r);
  return std::vector<std::uint8_t>(p, p + sizeof r);
}

// The twelve monthly periods of 2025, every one open.
inline records::PeriodsRecord OpenYear2025() {
  records::PeriodsRecord periods{};
  records::SetPadded(periods.key, "0Periods");
  periods.periodsPerYear = 12;
  periods.nextOpenPeriod = 1;
  for (int m = 0; m < 12; ++m) {
    records::PeriodEntry& e = periods.entries[m];
    e.status = 'O';
    records::SetText(e.label, "2025");
    e.startDate = DateMake(2025, m + 1, 1);
    e.endDate = DateAddDays(DateMake(m == 11 ? 2026 : 2025, m == 11 ? 1 : m + 2, 1), -1);
  }
  return periods;
}

// Writes `company` into `folder` and makes it the company of a command run
// on the script device with `keys`, today `today`.  False (the benchmark
// told) when the company cannot be written.
inline bool PrepareCommand(benchmark::State& state, const fixture::CompanyImage& company, const std::string& folder,
                           const char* keys, std::int32_t today, int command) {
  fixture::Problem problem;
  if (!fixture::WriteCompany(company, folder, fixture::WriteOptions{true}, &problem)) {
    state.SkipWithError(problem.Text().c_str());
    return false;
  }
  *SharedAppBlockGet() = SharedAppBlock{};
  const std::string data = std::string(QX_SOURCE_DIR) + "/data";
  AppBlockTextSet(SharedAppBlockGet()->baseDataFolder, kFolderFieldSize, data.c_str());
  AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, folder.c_str());
  AppPathsSet(nullptr, nullptr, data.c_str());
  SettingsRefresh(0, 0);
  ScreenResetForTest(keys, nullptr);
  DateSetToday(today);
  SharedAppBlockGet()->currentCommand = command;
  return true;
}

// ---- Raw SQLite -------------------------------------------------------------------------------

inline void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s (%s)\n", error ? error : "?", sql);
    sqlite3_free(error);
    std::exit(1);
  }
}

inline sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s (%s)\n", sqlite3_errmsg(db), sql);
    std::exit(1);
  }
  return st;
}

// A fresh database at `path` in WAL mode (its old files removed).
inline sqlite3* OpenFresh(const std::string& path) {
  std::filesystem::remove(path);
  std::filesystem::remove(path + "-wal");
  std::filesystem::remove(path + "-shm");
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
  return db;
}

// Key columns as the client encodes them: texts blank-padded (codes in
// capitals), day numbers sign-flipped big-endian.
inline std::string TextKey(const char* p, std::size_t n, bool capitals) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n && p[i]; ++i)
    s[i] = capitals ? static_cast<char>(std::toupper(static_cast<unsigned char>(p[i]))) : p[i];
  return s;
}
inline std::string DateKey(std::int32_t day) {
  const std::uint32_t u = static_cast<std::uint32_t>(day) ^ 0x80000000u;
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(u >> (24 - 8 * i));
  return s;
}

inline void Bind(sqlite3_stmt* st, int i, const std::string& s) {
  sqlite3_bind_blob(st, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// Runs a statement that returns no rows and makes it ready again.
inline void StepReset(sqlite3_stmt* st) {
  sqlite3_step(st);
  sqlite3_reset(st);
}

// Opens the database of a raw run, synchronous NORMAL as the client keeps it.
inline sqlite3* OpenForRun(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db, "PRAGMA synchronous=NORMAL");
  return db;
}

// Inserts each record image of `images` with `sql`: the image, then the key
// columns that `keys(image bytes)` gives, in their order.
template <class Keys>
void InsertImages(sqlite3* db, const char* sql, const std::vector<std::vector<std::uint8_t>>& images, Keys keys) {
  sqlite3_stmt* st = Prepare(db, sql);
  for (const auto& img : images) {
    sqlite3_bind_blob(st, 1, img.data(), static_cast<int>(img.size()), SQLITE_STATIC);
    int column = 2;
    for (const std::string& key : keys(reinterpret_cast<const char*>(img.data()))) Bind(st, column++, key);
    StepReset(st);
  }
  sqlite3_finalize(st);
}

// Reads the record `key` finds with `st` (SELECT position, image ... WHERE
// k = ?) into `out`.  Returns its position, 0 when there is none.
inline sqlite3_int64 ReadByKey(sqlite3_stmt* st, const std::string& key, void* out, std::size_t size) {
  Bind(st, 1, key);
  sqlite3_int64 at = 0;
  if (sqlite3_step(st) == SQLITE_ROW) {
    at = sqlite3_column_int64(st, 0);
    std::memcpy(out, sqlite3_column_blob(st, 1), size);
  }
  sqlite3_reset(st);
  return at;
}

// Rewrites the image of the record at `at` with `st` (UPDATE ... SET image
// = ? WHERE position = ?).
inline void UpdateImage(sqlite3_stmt* st, const void* image, std::size_t size, sqlite3_int64 at) {
  sqlite3_bind_blob(st, 1, image, static_cast<int>(size), SQLITE_STATIC);
  sqlite3_bind_int64(st, 2, at);
  StepReset(st);
}

// ---- Reporting --------------------------------------------------------------------------------

// Prints, after the usual table, each "<work>/qxa" figure beside its
// "<work>/raw" figure and their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(const char* what = "posting") : what_(what) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) seconds_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\n%-24s %12s %12s %8s\n", "work", what_, "raw SQLite", "ratio");
    for (const auto& [name, t] : seconds_) {
      const auto slash = name.find("/qxa");
      if (slash == std::string::npos) continue;
      std::string rawName = name;
      rawName.replace(slash, 4, "/raw");
      const auto it = seconds_.find(rawName);
      if (it == seconds_.end()) continue;
      std::printf("%-24s %10.0fms %10.0fms %8.2f\n", name.substr(0, slash).c_str(), t, it->second,
                  t / it->second);
    }
  }

 private:
  const char* what_;
  std::map<std::string, double> seconds_;
};

// Registers a benchmark of one timed iteration in real time, in milliseconds.
template <class Fn>
void Register(const char* name, Fn fn) {
  benchmark::RegisterBenchmark(name, fn)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
}

// Runs the registered benchmarks and prints the ratios.
inline void RunAndReport(int* argc, char** argv, const char* what = "posting") {
  benchmark::Initialize(argc, argv);
  RatioReporter reporter(what);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
}

// The program of a posting benchmark: a temporary folder for its companies
// (its path in *root), the benchmarks that `registerAll()` registers, the
// ratios, then the client and the screen reset and the folder removed.
// Returns 0.
template <class RegisterAll>
int BenchMain(int argc, char** argv, const char* name, const char* what, std::string* root, RegisterAll registerAll) {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/" + name + "-XXXXXX";
  *root = mkdtemp(pattern.data());
  registerAll();
  RunAndReport(&argc, argv, what);
  BtrvReset();
  ScreenResetForTest("", nullptr);
  std::filesystem::remove_all(*root);
  return 0;
}

}  // namespace benchsupport
