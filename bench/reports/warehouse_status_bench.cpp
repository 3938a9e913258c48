// The master item activity (command 398) over a scaled sample company --
// 5,000 master items of four sub-items each (QX_BENCH_MASTER_ITEMS changes
// the number) -- run from its screen (F10) to the preview, beside raw
// SQLite reading the same records (the master items, their members and the
// products, each in the order the report reads them) from the company's
// database.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "btrvc.h"
#include "fixture/company.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "report_bench.h"
#include "reports/inventory/warehouse_status.h"
#include "sample/sample_company.h"

namespace {

constexpr int kSubItems = 4;

struct Company : reportbench::BenchFolder {
  long long items = 0;
};
Company g;

template <class Record>
std::vector<std::uint8_t> Image(const Record& r) {
  std::vector<std::uint8_t> bytes(sizeof r);
  std::memcpy(bytes.data(), &r, sizeof r);
  return bytes;
}

// Master items over the company's products, four products each.
void AddMasterItems(fixture::CompanyImage* image, int count) {
  auto& items = image->files[records::kFileMasterItems];
  auto& members = image->files[records::kFileMasterItemMembers];
  items.clear();
  members.clear();
  const auto& products = image->files.at(records::kFileProducts);
  for (int i = 0; i < count; ++i) {
    records::TagMasterItem m{};
    std::snprintf(m.code, sizeof m.code, "M%07d", i % 10000000);
    std::snprintf(m.description, sizeof m.description, "Master item %d", i % 10000000);
    std::snprintf(m.bin, sizeof m.bin, "B-%03d", i % 1000);
    items.push_back(Image(m));
    for (int k = 0; k < kSubItems; ++k) {
      records::TagProduct p{};
      const std::size_t at = static_cast<std::size_t>(i * kSubItems + k) % products.size();
      std::memcpy(&p, products[at].data(), sizeof p);
      records::MasterItemMember member{};
      std::memcpy(member.masterItem, m.code, sizeof member.masterItem);
      std::memcpy(member.productNumber, p.number, sizeof member.productNumber);
      members.push_back(Image(member));
    }
  }
}

// Builds the company once, before the benchmarks run.
bool MakeCompany() {
  const int count = reportbench::Size("QX_BENCH_MASTER_ITEMS", 5000);
  sample::Options options;
  options.today = DateMake(2025, 3, 31);
  options.products = count * kSubItems;
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  AddMasterItems(&image, count);
  g.items = count;
  return g.Make("qxwarehousebench") && reportbench::UseCompany(image, g, 398, options.today);
}

void BM_MasterItemActivity(benchmark::State& state) {
  for (auto _ : state) {
    // The screen accepted as it stands; the preview closes when the keys
    // run out.
    ScreenResetForTest("F10", nullptr);
    RunWarehouseStatusReport();
  }
  state.SetItemsProcessed(state.iterations() * g.items);
}

// The same records straight from SQLite.
void BM_RawSqliteReadSameRecords(benchmark::State& state) {
  reportbench::RawRead(state, g.company, {{"master_items", "k0, pos"}, {"master_item_members", "k0, pos"}, {"products", "k0, pos"}}, g.items);
}

BENCHMARK(BM_MasterItemActivity)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return reportbench::RunReportBenchmarks(argc, argv, MakeCompany, g);
}
