// The customer aging report over the scaled sample company -- 10,000
// customers and 200,000 open items (QX_BENCH_CUSTOMERS, QX_BENCH_OPEN_ITEMS
// change the sizes) -- written to an HTML file, beside raw SQLite reading
// the same records (every customer in code order, every open item in the
// order the report reads them) from the company's database.
//
// Before the timed runs, the growth of the books: for 200,000 and 1,000,000
// open items (QX_BENCH_MEMORY_ITEMS, a comma-separated list, changes them;
// "0" leaves it out) each kind of the report -- summary, detail, audit -- is
// written to HTML once in a process of its own, and its time and peak memory
// (the process's maximum resident set) are printed, so that whether memory
// stays flat as the books grow reads off one run.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "report_bench.h"
#include "reports/arap/aging.h"
#include "sample/sample_company.h"

namespace {

namespace fs = std::filesystem;
using reportbench::Size;

reportbench::BenchFolder g;
std::string g_output;
int g_items = 0;

int Today() { return DateMake(2025, 3, 31); }

// The scaled sample company of `customers` and `openItems`.
bool BuildImage(int customers, int openItems, fixture::CompanyImage* image) {
  sample::Options options;
  options.today = Today();
  options.customers = customers;
  options.openItems = openItems;
  std::string error;
  if (!sample::BuildSampleCompany(options, image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  return true;
}

// Builds the company once, before the benchmarks run.
bool MakeCompany() {
  if (!g.Make("qxagingbench")) return false;
  g_output = g.root + "/aging.htm";
  g_items = Size("QX_BENCH_OPEN_ITEMS", 200000);
  fixture::CompanyImage image;
  return BuildImage(Size("QX_BENCH_CUSTOMERS", 10000), g_items, &image) &&
         reportbench::UseCompany(image, g, 337, Today());
}

// --- Growth of the books: time and peak memory, each run in a process of its own ---

std::vector<int> GrowthSizes() {
  const char* env = std::getenv("QX_BENCH_MEMORY_ITEMS");
  const std::string list = env ? env : "200000,1000000";
  std::vector<int> sizes;
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t comma = list.find(',', at);
    const int n = std::atoi(list.substr(at, comma - at).c_str());
    if (n > 0) sizes.push_back(n);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return sizes;
}

// One report run in a child: its time goes back through `timing`.
bool TimedRun(const std::string& company, const std::string& params, const std::string& output,
              const std::string& timing) {
  reportbench::PointAt(company, 337, Today());
  const auto start = std::chrono::steady_clock::now();
  RunCustVendAging(337, params.c_str());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  BtrvReset();
  std::FILE* f = std::fopen(timing.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "%.3f\n", took.count());
  std::fclose(f);
  return fs::exists(output);
}

void PrintGrowth() {
  const std::vector<int> sizes = GrowthSizes();
  if (sizes.empty()) return;
  reportbench::BenchFolder folder;
  if (!folder.Make("qxaginggrowth")) return;
  const int customers = Size("QX_BENCH_CUSTOMERS", 10000);
  std::printf("Aging report to HTML as the books grow (%d customers; each run in a process of its own)\n", customers);
  std::printf("%-8s %12s %10s %14s %10s\n", "type", "open items", "time (s)", "peak (MiB)", "HTML (MB)");
  const std::string timing = folder.root + "/seconds";
  for (const int items : sizes) {
    // The company is built in a child too, so that its image never adds
    // to the memory of the runs that follow.
    const int built = reportbench::InChild([&] {
      fixture::CompanyImage image;
      return BuildImage(customers, items, &image) && reportbench::WriteImage(image, folder.company);
    });
    if (built != 0) {
      std::printf("%d open items: the company could not be built\n", items);
      continue;
    }
    const struct {
      const char* name;
      const char* type;
    } kinds[] = {{"summary", "0"}, {"detail", "1"}, {"audit", "2"}};
    for (const auto& kind : kinds) {
      const std::string output = folder.root + "/aging-" + kind.type + ".htm";
      const std::string params = std::string("input='default' type='") + kind.type + "' output='" + output + "'";
      long peak = 0;
      const int status = reportbench::InChild([&] { return TimedRun(folder.company, params, output, timing); }, &peak);
      double seconds = 0;
      if (std::FILE* f = std::fopen(timing.c_str(), "r")) {
        if (std::fscanf(f, "%lf", &seconds) != 1) seconds = 0;
        std::fclose(f);
      }
      if (status != 0) std::printf("%-8s %12d   no report was written\n", kind.name, items);
      else
        std::printf("%-8s %12d %10.2f %14.1f %10.1f\n", kind.name, items, seconds, peak / 1024.0,
                    static_cast<double>(reportbench::FileSize(output)) / 1e6);
      std::error_code ec;
      fs::remove(output, ec);
    }
    std::error_code ec;
    fs::remove_all(folder.company, ec);
  }
  std::printf("\n");
  folder.Remove();
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

int main(int argc, char** argv) {
  return reportbench::RunReportBenchmarks(argc, argv, MakeCompany, g, "BM_RawSqliteReadSameRecords/real_time",
                                          PrintGrowth);
}
