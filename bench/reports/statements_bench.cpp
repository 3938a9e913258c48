// Customer statements of the scaled sample company -- 10,000 customers and
// 200,000 open items (QX_BENCH_CUSTOMERS, QX_BENCH_OPEN_ITEMS change the
// sizes) -- every account with open items, merged from the installation's
// statement text and written to a text file, beside raw SQLite reading the
// same records (every customer in code order, every open item in the order
// the statements read them) from the company's database.
#include <cstdio>
#include <filesystem>
#include <string>

#include "report_bench.h"
#include "reports/arap/statements.h"
#include "sample/sample_company.h"

namespace {

namespace fs = std::filesystem;
using reportbench::Size;

reportbench::BenchFolder g;
std::string g_output;
int g_items = 0;

bool MakeCompany() {
  if (!g.Make("qxstatementsbench")) return false;
  g_output = g.root + "/statements.txt";
  sample::Options options;
  options.today = DateMake(2025, 3, 31);
  options.customers = Size("QX_BENCH_CUSTOMERS", 10000);
  options.openItems = g_items = Size("QX_BENCH_OPEN_ITEMS", 200000);
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  return reportbench::UseCompany(image, g, 336, options.today);
}

// `keys` answer the options screen: its defaults (every customer, as of
// today), or the balances above zero through the selection file.
void BM_StatementsToText(benchmark::State& state, const char* keys) {
  for (auto _ : state) {
    fs::remove(g_output);
    ScreenResetForTest(keys, nullptr);
    RunCustVendStatementsTo(336, g_output.c_str());
    if (!fs::exists(g_output)) state.SkipWithError("no statements were written");
  }
  state.SetItemsProcessed(state.iterations() * g_items);
  state.counters["text_MB"] = static_cast<double>(reportbench::FileSize(g_output)) / 1e6;
}

void BM_RawSqliteReadSameRecords(benchmark::State& state) {
  reportbench::RawRead(state, g.company, {{"customers", "k0, pos"}, {"ar_open_invoices", "k1, pos"}}, g_items);
}

BENCHMARK_CAPTURE(BM_StatementsToText, every_customer, "F10")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_StatementsToText, balance_above_zero, "Down Down \"O\" F10")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return reportbench::RunReportBenchmarks(argc, argv, MakeCompany, g); }
