// The customer aging report over the scaled sample company -- 10,000
// customers and 200,000 open items (QX_BENCH_CUSTOMERS, QX_BENCH_OPEN_ITEMS
// change the sizes) -- written to an HTML file, beside raw SQLite reading
// the same records (every customer in code order, every open item in the
// order the report reads them) from the company's database.
#include <filesystem>
#include <string>

#include "report_bench.h"
#include "reports/arap/aging.h"

namespace {

namespace fs = std::filesystem;

reportbench::Company g;
std::string output;

void BM_AgingReportToHtml(benchmark::State& state, const char* type) {
  const std::string params = std::string("input='default' type='") + type + "' output='" + output + "'";
  for (auto _ : state) {
    fs::remove(output);
    RunCustVendAging(337, params.c_str());
    if (!fs::exists(output)) state.SkipWithError("no report was written");
  }
  state.SetItemsProcessed(state.iterations() * g.items);
  state.counters["html_MB"] = static_cast<double>(fs::exists(output) ? fs::file_size(output) : 0) / 1e6;
}

void BM_RawSqliteReadSameRecords(benchmark::State& state) { reportbench::RawSqliteReadCustomersAndItems(state, g); }

BENCHMARK_CAPTURE(BM_AgingReportToHtml, detail, "1")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_AgingReportToHtml, summary, "0")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!reportbench::MakeCompany("qxagingbench", 337, &g)) return 1;
  output = g.root + "/aging.htm";
  reportbench::RatioReporter reporter("BM_RawSqliteReadSameRecords/real_time");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reportbench::RemoveCompany(g);
  return 0;
}
