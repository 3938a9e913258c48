// Customer statements of the scaled sample company -- 10,000 customers and
// 200,000 open items (QX_BENCH_CUSTOMERS, QX_BENCH_OPEN_ITEMS change the
// sizes) -- every account with open items, merged from the installation's
// statement text and written to a text file, beside raw SQLite reading the
// same records (every customer in code order, every open item in the order
// the statements read them) from the company's database.
#include <filesystem>
#include <string>

#include "report_bench.h"
#include "reports/arap/statements.h"

namespace {

namespace fs = std::filesystem;

reportbench::Company g;
std::string output;

void BM_StatementsToText(benchmark::State& state, const char* keys) {
  for (auto _ : state) {
    fs::remove(output);
    // The options screen takes its defaults: every customer, as of today.
    ScreenResetForTest(keys, nullptr);
    RunCustVendStatementsTo(336, output.c_str());
    if (!fs::exists(output)) state.SkipWithError("no statements were written");
  }
  state.SetItemsProcessed(state.iterations() * g.items);
  state.counters["text_MB"] = static_cast<double>(fs::exists(output) ? fs::file_size(output) : 0) / 1e6;
}

void BM_RawSqliteReadSameRecords(benchmark::State& state) { reportbench::RawSqliteReadCustomersAndItems(state, g); }

// Range mode, and the selection file of a computed value (balances above
// zero).
BENCHMARK_CAPTURE(BM_StatementsToText, every_customer, "F10")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_StatementsToText, balance_above_zero, "Down Down \"O\" F10")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!reportbench::MakeCompany("qxstatementsbench", 336, &g)) return 1;
  output = g.root + "/statements.txt";
  reportbench::RatioReporter reporter("BM_RawSqliteReadSameRecords/real_time");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reportbench::RemoveCompany(g);
  return 0;
}
