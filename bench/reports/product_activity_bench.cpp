// The product activity detail report over a scaled sample company -- 10,000
// products and 200,000 inventory transactions (QX_BENCH_PRODUCTS,
// QX_BENCH_TRANSACTIONS change the sizes) -- over every date to an HTML
// file, beside raw SQLite reading the same records (every product in
// number order, every transaction in the order the report reads them) from
// the company's database.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "btrvc.h"
#include "fixture/company.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"
#include "report_bench.h"
#include "reports/inventory/product_activity_detail.h"
#include "sample/sample_company.h"

namespace {

namespace fs = std::filesystem;

struct Company : reportbench::BenchFolder {
  std::string output;
  long long transactions = 0;
};
Company g;

// The products' history: transactions spread over their products, each a
// receipt or a sale on a day of the last two years.
void AddHistory(fixture::CompanyImage* image, int wanted, std::int32_t today) {
  auto& history = image->files[records::kFileInventoryTransactions];
  const auto& products = image->files.at(records::kFileProducts);
  const int have = static_cast<int>(history.size());
  for (int i = have; i < wanted; ++i) {
    records::TagProduct p{};
    std::memcpy(&p, products[static_cast<std::size_t>(i) % products.size()].data(), sizeof p);
    records::InventoryTransaction t{};
    std::memcpy(t.productCode, p.number, sizeof t.productCode);
    std::snprintf(t.transactionNumber, sizeof t.transactionNumber, "%10d", (100000 + i) % 1000000000);
    const bool receipt = i % 3 == 0;
    t.date = today - 730 + (i * 7919) % 730;
    t.kind = receipt ? '1' : '5';
    t.source = receipt ? 'M' : 'B';
    std::snprintf(t.sourceTransaction, sizeof t.sourceTransaction, "D%d", i % 100000000);
    t.quantity = receipt ? 12.0 : -2.0;
    t.unitCost = 1.5;
    t.extendedAmount = t.quantity * 1.5;
    t.postedFlag = 'Y';
    std::vector<std::uint8_t> bytes(sizeof t);
    std::memcpy(bytes.data(), &t, sizeof t);
    history.push_back(std::move(bytes));
  }
}

// Builds the company once, before the benchmarks run.
bool MakeCompany() {
  sample::Options options;
  options.today = DateMake(2025, 3, 31);
  options.products = reportbench::Size("QX_BENCH_PRODUCTS", 10000);
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  AddHistory(&image, reportbench::Size("QX_BENCH_TRANSACTIONS", 200000), options.today);
  g.transactions = static_cast<long long>(image.files[records::kFileInventoryTransactions].size());
  if (!g.Make("qxactivitybench") || !reportbench::UseCompany(image, g, 359, options.today)) return false;
  g.output = g.root + "/detail.htm";
  return true;
}

void BM_ActivityDetailToHtml(benchmark::State& state) {
  const std::string params = "input='default' rankfrom='' rankto='' output='" + g.output + "'";
  for (auto _ : state) {
    fs::remove(g.output);
    RunProductActivityDetail(params.c_str());
    if (!fs::exists(g.output)) state.SkipWithError("no report was written");
  }
  state.SetItemsProcessed(state.iterations() * g.transactions);
  state.counters["html_MB"] = static_cast<double>(fs::exists(g.output) ? fs::file_size(g.output) : 0) / 1e6;
}

// The same records straight from SQLite: the products by their number, the
// transactions by product and date.
void BM_RawSqliteReadSameRecords(benchmark::State& state) {
  reportbench::RawRead(state, g.company, {{"products", "k0, pos"}, {"inventory_transactions", "k1, pos"}}, g.transactions);
}

BENCHMARK(BM_ActivityDetailToHtml)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return reportbench::RunReportBenchmarks(argc, argv, MakeCompany, g);
}
