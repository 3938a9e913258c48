// The customer aging report over the scaled sample company -- 10,000
// customers and 200,000 open items (QX_BENCH_CUSTOMERS, QX_BENCH_OPEN_ITEMS
// change the sizes) -- written to an HTML file, beside raw SQLite reading
// the same records (every customer in code order, every open item in the
// order the report reads them) from the company's database.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "report_bench_support.h"
#include "reports/arap/aging.h"
#include "sample/sample_company.h"

namespace {

namespace fs = std::filesystem;

struct Company : reportbench::Company {
  std::string output;
  int items = 0;
};
Company g;

// Builds the company once, before the benchmarks run.
bool MakeCompany() {
  sample::Options options;
  options.today = DateMake(2025, 3, 31);
  options.customers = reportbench::Size("QX_BENCH_CUSTOMERS", 10000);
  options.openItems = reportbench::Size("QX_BENCH_OPEN_ITEMS", 200000);
  g.items = options.openItems;
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  if (!reportbench::WriteCompany("qxagingbench", image, options.today, 337, &g)) return false;
  g.output = g.root + "/aging.htm";
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
void BM_RawSqliteReadSameRecords(benchmark::State& state) {
  reportbench::RawRead(state, g.folder, {{"customers", 0}, {"ar_open_invoices", 1}}, g.items);
}

BENCHMARK_CAPTURE(BM_AgingReportToHtml, detail, "1")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_AgingReportToHtml, summary, "0")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return reportbench::Main(argc, argv, MakeCompany, "BM_RawSqliteReadSameRecords", g);
}
