// What the report benchmarks share: the scaled sample company -- 10,000
// customers and 200,000 open items (QX_BENCH_CUSTOMERS, QX_BENCH_OPEN_ITEMS
// change the sizes) -- built once in a folder of its own, raw SQLite reads
// of its tables, and a reporter that prints each report's time over the raw
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
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "sample/sample_company.h"

namespace reportbench {

inline int Size(const char* name, int fallback) {
  const char* env = std::getenv(name);
  return env ? std::atoi(env) : fallback;
}

struct Company {
  std::string root, folder;
  int items = 0;
};

// Builds the company in a new folder under /tmp (`prefix` starts its name)
// and points the application block at it, as command `command` with today
// 03/31/25 and the script device typing nothing.  False after a message on
// standard error.
inline bool MakeCompany(const char* prefix, int command, Company* company) {
  std::string tmpl = std::string("/tmp/") + prefix + "XXXXXX";
  if (!mkdtemp(tmpl.data())) return false;
  company->root = tmpl;
  company->folder = company->root + "/company";
  sample::Options options;
  options.today = DateMake(2025, 3, 31);
  options.customers = Size("QX_BENCH_CUSTOMERS", 10000);
  options.openItems = Size("QX_BENCH_OPEN_ITEMS", 200000);
  company->items = options.openItems;
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  fixture::Problem problem;
  if (!fixture::WriteCompany(image, company->folder, fixture::WriteOptions{true}, &problem)) {
    std::fprintf(stderr, "sample company: %s\n", problem.Text().c_str());
    return false;
  }
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, QX_SOURCE_DIR "/data");
  AppBlockTextSet(app->companyPath, kFolderFieldSize, company->folder.c_str());
  app->currentCommand = command;
  ScreenResetForTest("", nullptr);
  DateSetToday(options.today);
  return true;
}

// Removes the company's folder.
inline void RemoveCompany(const Company& company) {
  BtrvReset();
  std::error_code ec;
  std::filesystem::remove_all(company.root, ec);
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

// Steps through `sql`; the bytes of the first column read, −1 for a query
// that cannot run.
inline long long ReadAll(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return -1;
  long long bytes = 0;
  while (sqlite3_step(st) == SQLITE_ROW) bytes += sqlite3_column_bytes(st, 0);
  sqlite3_finalize(st);
  return bytes;
}

// The same records straight from SQLite: every customer by its code key,
// every open item by the key the reports read them in (key 1: code,
// invoice, precedence).
inline void RawSqliteReadCustomersAndItems(benchmark::State& state, const Company& company) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2((company.folder + "/qxrecords.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) !=
      SQLITE_OK) {
    state.SkipWithError("cannot open the company database");
    return;
  }
  const std::string customers = TableOf(db, "customers"), items = TableOf(db, "ar_open_invoices");
  if (customers.empty() || items.empty()) {
    state.SkipWithError("the company database holds no customer or open-item table");
    sqlite3_close(db);
    return;
  }
  for (auto _ : state) {
    const long long bytes = ReadAll(db, "SELECT image FROM " + customers + " ORDER BY k0, pos") +
                            ReadAll(db, "SELECT image FROM " + items + " ORDER BY k1, pos");
    if (bytes <= 0) state.SkipWithError("the raw read failed");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * company.items);
  sqlite3_close(db);
}

// Prints the usual table, then each benchmark's time over that of `raw`.
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
    const auto raw = times_.find(raw_);
    if (raw == times_.end() || raw->second <= 0) return;
    for (const auto& [name, time] : times_)
      if (name != raw->first) std::printf("%s / raw SQLite read: %.1f\n", name.c_str(), time / raw->second);
  }

 private:
  std::string raw_;
  std::map<std::string, double> times_;
};

}  // namespace reportbench
