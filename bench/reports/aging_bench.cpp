// The customer aging report over the scaled sample company -- 10,000
// customers and 200,000 open items (QX_BENCH_CUSTOMERS, QX_BENCH_OPEN_ITEMS
// change the sizes) -- written to an HTML file, beside raw SQLite reading
// the same records (every customer in code order, every open item in the
// order the report reads them) from the company's database.
#include <cstdio>
#include <filesystem>
#include <string>

#include "report_bench.h"
#include "reports/arap/aging.h"
#include "sample/sample_company.h"

namespace {

namespace fs = std::filesystem;
using reportbench::Size;

reportbench::BenchFolder g;
std::string g_output;
int g_items = 0;

// Builds the company once, before the benchmarks run.
bool MakeCompany() {
  if (!g.Make("qxagingbench")) return false;
  g_output = g.root + "/aging.htm";
  sample::Options options;
  options.today = DateMake(2025, 3, 31);
  options.customers = Size("QX_BENCH_CUSTOMERS", 10000);
  options.openItems = Size("QX_BENCH_OPEN_ITEMS", 200000);
  g_items = options.openItems;
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  return reportbench::UseCompany(image, g, 337, options.today);
}

void BM_AgingReportToHtml(benchmark::State& state, const char* type) {
  const std::string params = std::string("input='default' type='") + type + "' output='" + g_output + "'";
  for (auto _ : state) {
    fs::remove(g_output);
    RunCustVendAging(337, params.c_str());
    if (!fs::exists(g_output)) state.SkipWithError("no report was written");
  }
  state.SetItemsProcessed(state.iterations() * g_items);
  state.counters["html_MB"] = static_cast<double>(fs::exists(g_output) ? fs::file_size(g_output) : 0) / 1e6;
}

// The same records straight from SQLite: the customers by their code key,
// the open items by the key the report reads them in.
void BM_RawSqliteReadSameRecords(benchmark::State& state) {
  reportbench::RawRead(state, g.company, {{"customers", "k0, pos"}, {"ar_open_invoices", "k1, pos"}}, g_items);
}

BENCHMARK_CAPTURE(BM_AgingReportToHtml, detail, "1")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_AgingReportToHtml, summary, "0")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return reportbench::RunReportBenchmarks(argc, argv, MakeCompany, g); }
