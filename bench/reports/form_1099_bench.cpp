// The 1099 forms (command 348) over 20,000 1099 vendors (QX_BENCH_1099
// changes the number), each with an amount for the tax year, added to the
// small sample company: every form written as text (the preview's text, as
// the key script's transcript and the printer get it) and its batch
// recorded, beside raw SQLite reading the same vendors and amounts from the
// company's database.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "records/dictionary.h"
#include "records/masters.h"
#include "records/support.h"
#include "report_bench.h"
#include "reports/arap/form_1099.h"
#include "sample/sample_company.h"

namespace {

using reportbench::Size;

reportbench::BenchFolder g;
int g_vendors = 0;
std::int32_t g_today = 0;

// The vendors, coded from Z00000 so that none meets the sample's own, and
// their amounts of 2024 (every fourth below the minimum of 600).
void AddVendors(fixture::CompanyImage* image, int count) {
  auto& vendors = image->files[records::kFileVendors];
  auto& amounts = image->files[records::kFileVendor1099Amounts];
  for (int n = 0; n < count; ++n) {
    char code[16];
    std::snprintf(code, sizeof code, "Z%05d", n);
    records::CustVendRecord v{};
    reportbench::SetText(v.code, code);
    reportbench::SetText(v.idNumber, "90-" + std::to_string(1000000 + n));
    v.form1099 = 'Y';
    v.accountType = 'O';
    reportbench::SetText(v.name, std::string("Contractor ") + code);
    reportbench::SetText(v.addressLines[0], std::to_string(n % 900 + 1) + " Mill Road");
    reportbench::SetText(v.addressLines[1], "Port Alden, WA");
    reportbench::SetText(v.zipCode, "98370");
    vendors.push_back(reportbench::Bytes(v));
    records::Vendor1099AmountRecord a{};
    reportbench::SetText(a.vendorCode, code);
    a.taxYear = 2024;
    a.amount = n % 4 == 0 ? 450.0 : 600.0 + (n % 500) * 10.25;
    amounts.push_back(reportbench::Bytes(a));
  }
}

bool MakeCompany() {
  if (!g.Make("qx1099bench")) return false;
  sample::Options options;
  options.today = g_today = DateMake(2025, 3, 31);
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  g_vendors = Size("QX_BENCH_1099", 20000);
  AddVendors(&image, g_vendors);
  return reportbench::UseCompany(image, g, 348, options.today);
}

// Each run names a batch of its own: a batch printed before prints nothing.
void BM_Form1099RunToText(benchmark::State& state) {
  const std::string transcript = g.root + "/forms.txt";
  int run = 0;
  for (auto _ : state) {
    const std::string keys =
        "Enter Enter \"2024\" Enter \"600\" Enter \"N\" Enter \"BENCH" + std::to_string(++run) + "\" F10";
    // A new script device takes the clock's today again.
    ScreenResetForTest(keys, transcript.c_str());
    DateSetToday(g_today);
    RunPrint1099();
  }
  reportbench::EndTranscriptRuns(state, transcript, g_vendors, "the forms' text");
}

void BM_RawSqliteReadSameRecords(benchmark::State& state) {
  reportbench::RawRead(state, g.company, {{"vendors", "k0, pos"}, {"vendor_1099_amounts", "k0, pos"}}, g_vendors);
}

BENCHMARK(BM_Form1099RunToText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return reportbench::RunReportBenchmarks(argc, argv, MakeCompany, g); }
