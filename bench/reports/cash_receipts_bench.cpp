// The cash receipts report (command 311) over 100,000 cash receipts of the
// period (QX_BENCH_CASH changes the number), one to three lines each, in
// four bank accounts and deposits of ten, added to the small sample company:
// the whole report written as text (the preview's text, as the key script's
// transcript and the printer get it), beside raw SQLite reading the same
// records (the headers in the order of the side-and-bank key, the lines by
// their transaction key) from the company's database.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qxabase/report.h"
#include "records/dictionary.h"
#include "records/transactions.h"
#include "report_bench.h"
#include "reports/arap/cash_receipts_disbursements.h"
#include "sample/sample_company.h"

namespace {

using reportbench::Size;

reportbench::BenchFolder g;
int g_receipts = 0;
std::int32_t g_today = 0;

// The receipts, numbered from 500000 so that none meets the sample's own.
void AddReceipts(fixture::CompanyImage* image, int count, std::int32_t firstDay) {
  static const char* const kBanks[] = {"1010", "1020", "1030", "1040"};
  auto& headers = image->files[records::kFileCashHeaders];
  auto& lines = image->files[records::kFileCashLines];
  for (int n = 0; n < count; ++n) {
    records::CashHeader h{};
    reportbench::SetText(h.journalCode, "CR");
    reportbench::SetText(h.transactionNumber, std::to_string(500000 + n));
    reportbench::SetText(h.bankAccount, kBanks[n % 4]);
    reportbench::SetText(h.depositNumber, "D" + std::to_string(n / 40));
    reportbench::SetText(h.reference, "Deposit");
    reportbench::SetText(h.paidToCode, "C" + std::to_string(100 + n % 900));
    h.side = 'R';
    h.typeLetter = 'D';
    h.paidToType = 'C';
    h.distribution = 'R';
    h.postedFlag = 'N';
    h.date = firstDay + n % 28;
    reportbench::SetText(h.payeeName, "Customer " + std::to_string(100 + n % 900));
    double total = 0;
    for (int l = 0; l <= n % 3; ++l) {
      records::CashLine line{};
      std::memcpy(line.journalCode, h.journalCode, sizeof line.journalCode);
      std::memcpy(line.transactionNumber, h.transactionNumber, sizeof line.transactionNumber);
      reportbench::SetText(line.invoiceNumber, "INV-" + std::to_string(n) + "-" + std::to_string(l));
      line.side = 'R';
      line.amount = 10.0 + (n % 97) + l * 0.25;
      line.invoiceAmount = static_cast<double>(line.amount);
      total += line.amount;
      lines.push_back(reportbench::Bytes(line));
    }
    h.amount = total;
    headers.push_back(reportbench::Bytes(h));
  }
}

bool MakeCompany() {
  if (!g.Make("qxcashbench")) return false;
  sample::Options options;
  options.today = g_today = DateMake(2025, 3, 31);
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  g_receipts = Size("QX_BENCH_CASH", 100000);
  AddReceipts(&image, g_receipts, DateMake(2025, 3, 1));
  return reportbench::UseCompany(image, g, 311, options.today);
}

// F10 takes the screen's defaults (every bank account, this period's dates)
// and prints; the preview writes the report's text to the transcript.
void BM_CashReceiptsReportToText(benchmark::State& state) {
  const std::string transcript = g.root + "/receipts.txt";
  for (auto _ : state) {
    // A new script device takes the clock's today again.
    ScreenResetForTest("F10", transcript.c_str());
    DateSetToday(g_today);
    RunCashRecDisReport('R');
  }
  reportbench::EndTranscriptRuns(state, transcript, g_receipts, "the report's text");
}

void BM_RawSqliteReadSameRecords(benchmark::State& state) {
  reportbench::RawRead(state, g.company, {{"cash_headers", "k4, pos"}, {"cash_lines", "k0, pos"}}, g_receipts);
}

BENCHMARK(BM_CashReceiptsReportToText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawSqliteReadSameRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return reportbench::RunReportBenchmarks(argc, argv, MakeCompany, g); }
