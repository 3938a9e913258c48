// The customer aging report over the scaled sample company -- 10,000
// customers and 200,000 open items (QX_BENCH_CUSTOMERS, QX_BENCH_OPEN_ITEMS
// change the sizes) -- written to an HTML file, beside raw SQLite reading
// the same records (every customer in code order, every open item in the
// order the report reads them) from the company's database.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "reports/arap/aging.h"
#include "sample/sample_company.h"

namespace {

namespace fs = std::filesystem;

int Size(const char* name, int fallback) {
  const char* env = std::getenv(name);
  return env ? std::atoi(env) : fallback;
}

struct Company {
  std::string root, folder, output;
  int items = 0;
};
Company g;

// Builds the company once, before the benchmarks run.
bool MakeCompany() {
  char tmpl[] = "/tmp/qxagingbenchXXXXXX";
  if (!mkdtemp(tmpl)) return false;
  g.root = tmpl;
  g.folder = g.root + "/company";
  g.output = g.root + "/aging.htm";
  sample::Options options;
  options.today = DateMake(2025, 3, 31);
  options.customers = Size("QX_BENCH_CUSTOMERS", 10000);
  options.openItems = Size("QX_BENCH_OPEN_ITEMS", 200000);
  g.items = options.openItems;
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  fixture::Problem problem;
  if (!fixture::WriteCompany(image, g.folder, fixture::WriteOptions{true}, &problem)) {
    std::fprintf(stderr, "sample company: %s\n", problem.Text().c_str());
    return false;
  }
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, QX_SOURCE_DIR "/data");
  AppBlockTextSet(app->companyPath, kFolderFieldSize, g.folder.c_str());
  app->currentCommand = 337;
  // The script device with nothing to type: no terminal is touched.
  ScreenResetForTest("", nullptr);
  DateSetToday(options.today);
  return true;
}

void BM_AgingReportToHtml(benchmark::State& state, const char* type) {
  const std::string params = std::string("input='default' type='") + type + "' output='" + g.output + "'";
  for (auto _ : state) {
    fs::remove(g.output);
    RunCustVendAging(337, params.c_str());
    if (!fs::exists(g.output)) state.SkipWithError("no report was written");
  }
  state.SetItemsProcessed(state.iterations() * g.items);
  state.counters["html_MB"] = static_cast<double>(fs::exists(g.output) ? fs::file_size(g.output) : 0) / 1e6;
}

// The same records straight from SQLite: the customers by their code key,
// the open items by the key the report reads them in.
std::string TableOf(sqlite3* db, const char* file) {
  sqlite3_stmt* st = nullptr;
  std::string table;
  sqlite3_prepare_v2(db, "SELECT id FROM qx_catalog WHERE name = ?1", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, file, -1, SQLITE_STATIC);
  if (sqlite3_step(st) == SQLITE_ROW) table = "f" + std::to_string(sqlite3_column_int(st, 0));
  sqlite3_finalize(st);
  return table;
}

long long ReadAll(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return -1;
  long long bytes = 0;
  while (sqlite3_step(st) == SQLITE_ROW) bytes += sqlite3_column_bytes(st, 0);
  sqlite3_finalize(st);
  return bytes;
}

void BM_RawSqliteReadSameRecords(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2((g.folder + "/qxrecords.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
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
  state.SetItemsProcessed(state.iterations() * g.items);
  sqlite3_close(db);
}

BENCHMARK_CAPTURE(BM_AgingReportToHtml, detail, "1")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_AgingReportToHtml, summary, "0")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the usual table, then each report's time over the raw read.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto raw = times_.find("BM_RawSqliteReadSameRecords/real_time");
    if (raw == times_.end() || raw->second <= 0) return;
    for (const auto& [name, time] : times_)
      if (name != raw->first) std::printf("%s / raw SQLite read: %.1f\n", name.c_str(), time / raw->second);
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!MakeCompany()) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  BtrvReset();
  std::error_code ec;
  fs::remove_all(g.root, ec);
  return 0;
}
