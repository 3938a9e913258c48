// The cash receipts report (command 311) over 10,000 and 100,000 cash
// receipts of the period (QX_BENCH_CASH="10000,100000" chooses the sizes),
// one to three lines each, in four bank accounts and deposits of ten, added
// to the small sample company: the whole report written as text (the
// preview's text, as the key script's transcript and the printer get it).
// Beside it:
//   - "floor": raw SQLite reading the same records in the same order (the
//     headers by the side-and-bank key, each one's lines by its transaction
//     key) and writing the same report's text (a line per receipt line, the
//     deposits' and banks' totals, pages under their headings) to a file;
//   - "read": raw SQLite reading the same records, and nothing more.
#include <sqlite3.h>

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

bool MakeCompany(int receipts, const reportbench::BenchFolder& folder) {
  sample::Options options;
  options.today = g_today = DateMake(2025, 3, 31);
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  AddReceipts(&image, receipts, DateMake(2025, 3, 1));
  return reportbench::UseCompany(image, folder, 311, options.today);
}

// F10 takes the screen's defaults (every bank account, this period's dates)
// and prints; the preview writes the report's text to the transcript.
void ReportToText(benchmark::State& state, int receipts) {
  const std::string transcript = reportbench::SizedFolder().root + "/receipts.txt";
  for (auto _ : state) {
    // A new script device takes the clock's today again.
    ScreenResetForTest("F10", transcript.c_str());
    DateSetToday(g_today);
    RunCashRecDisReport('R');
  }
  reportbench::EndTranscriptRuns(state, transcript, receipts, "the report's text");
}

// ---- The floor -------------------------------------------------------------------------

// The receipts of the period in the order the report reads them (the
// headers by side and bank, each one's lines by its key), one text line per
// line with the deposit's and the bank's totals, in pages of 60 lines
// under their headings, written to a file.
void Floor(benchmark::State& state, int receipts) {
  const reportbench::BenchFolder& folder = reportbench::SizedFolder();
  sqlite3* db = nullptr;
  sqlite3_open_v2((folder.company + "/qxrecords.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  const std::string headerTable = reportbench::TableOf(db, "cash_headers");
  const std::string lineTable = reportbench::TableOf(db, "cash_lines");
  sqlite3_stmt* walk = nullptr;
  sqlite3_stmt* linesOf = nullptr;
  sqlite3_prepare_v2(db, ("SELECT image FROM " + headerTable + " WHERE k4 >= X'52' AND k4 < X'53' ORDER BY k4, pos").c_str(),
                     -1, &walk, nullptr);
  sqlite3_prepare_v2(db, ("SELECT image FROM " + lineTable + " WHERE k0 >= ?1 AND k0 < ?2 ORDER BY k0, pos").c_str(),
                     -1, &linesOf, nullptr);
  const std::string path = folder.root + "/floor.txt";
  const std::int32_t from = DateMake(2025, 3, 1), to = DateMake(2025, 3, 31);
  long printed = 0;
  for (auto _ : state) {
    std::string out;
    int lineOnPage = 60, page = 0;
    char text[256];
    auto put = [&](const std::string& line) {
      if (lineOnPage >= 60) {
        out += "--- page " + std::to_string(++page) + " ---\n";
        out += "                                                        Cash Receipts Report\n";
        out += " From Date: 03/01/25                                                                                     "
               "From Account: FIRST\n To Date:   03/31/25                                                              "
               "                       To Account:   LAST\n\n";
        out += "Bank       Deposit  Tran  Cust/GL/Vdr                            Tran       Invoice      Deposit      "
               "Invoice    Discount     Deposit\nAccount    Number   Type  Code        Received From              Number "
               "    Number       Date          Amount       Taken      Amount\n";
        out += std::string(131, '-') + "\n";
        lineOnPage = 8;
      }
      out += line;
      out += '\n';
      ++lineOnPage;
    };
    std::string bank, deposit;
    double depositTotal = 0, bankTotal = 0;
    int depositCount = 0;
    auto endDeposit = [&] {
      if (depositCount == 0) return;
      std::snprintf(text, sizeof text, "%38sNumber of Receipts : %6d %13s Deposit Totals: %24.2f %11.2f", "",
                    depositCount, "", 0.0, depositTotal);
      put(text);
      put("");
      depositTotal = 0;
      depositCount = 0;
    };
    printed = 0;
    while (sqlite3_step(walk) == SQLITE_ROW) {
      records::CashHeader h;
      std::memcpy(&h, sqlite3_column_blob(walk, 0), sizeof h);
      if (h.date < from || h.date > to || h.IsDeleted()) continue;
      const std::string b = reportbench::PaddedField(h.bankAccount, 10), d = reportbench::PaddedField(h.depositNumber, 8);
      if (b != bank || d != deposit) {
        endDeposit();
        if (b != bank && !bank.empty()) {
          std::snprintf(text, sizeof text, "%12sBank Account %s Totals: %11.2f", "", bank.c_str(), bankTotal);
          put(text);
          put("");
          bankTotal = 0;
        }
        bank = b;
        deposit = d;
      }
      // The lines' key: the header's first 18 bytes, trailing NULs read as blanks.
      std::string key(reinterpret_cast<const char*>(h.journalCode), 18);
      std::size_t used = key.size();
      while (used > 0 && (key[used - 1] == '\0' || key[used - 1] == ' ')) --used;
      key.replace(used, key.size() - used, key.size() - used, ' ');
      const std::string past = key + '\xff';
      sqlite3_bind_blob(linesOf, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
      sqlite3_bind_blob(linesOf, 2, past.data(), static_cast<int>(past.size()), SQLITE_STATIC);
      int day = 0, month = 0, year = 0;
      DateSplit(h.date, &year, &month, &day);
      while (sqlite3_step(linesOf) == SQLITE_ROW) {
        records::CashLine l;
        std::memcpy(&l, sqlite3_column_blob(linesOf, 0), sizeof l);
        std::snprintf(text, sizeof text, "%s %s Rcpt  %s %s %10.10s %s %02d/%02d/%02d %11.2f %11.2f %11.2f", b.c_str(),
                      d.c_str(), reportbench::PaddedField(h.paidToCode, 11).c_str(), reportbench::PaddedField(h.payeeName, 26).c_str(),
                      reportbench::PaddedField(h.transactionNumber, 10).c_str(), reportbench::PaddedField(l.invoiceNumber, 12).c_str(), month, day,
                      year % 100, double(l.invoiceAmount), double(l.discount), double(l.amount));
        put(text);
        depositTotal += l.amount;
        bankTotal += l.amount;
      }
      sqlite3_reset(linesOf);
      ++depositCount;
      ++printed;
    }
    sqlite3_reset(walk);
    endDeposit();
    if (!reportbench::WriteWhole(path, out)) state.SkipWithError("the floor's text was not written");
  }
  if (printed < receipts) state.SkipWithError("the floor printed too few receipts");
  sqlite3_finalize(walk);
  sqlite3_finalize(linesOf);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * receipts);
  state.counters["text_MB"] = static_cast<double>(reportbench::FileSize(path)) / 1e6;
}

void Read(benchmark::State& state, int receipts) {
  reportbench::RawRead(state, reportbench::SizedFolder().company, {{"cash_headers", "k4, pos"}, {"cash_lines", "k0, pos"}},
                       receipts);
}

}  // namespace

int main(int argc, char** argv) {
  reportbench::SizedReports spec;
  spec.prefix = "qxcashbench";
  spec.unit = "receipt";
  spec.sizes = reportbench::Sizes("QX_BENCH_CASH", "10000,100000");
  spec.make = MakeCompany;
  spec.items = [](int n) { return static_cast<long long>(n); };
  spec.runs = {{"report", ReportToText}, {"floor", Floor}, {"read", Read}};
  spec.floor = "floor";
  return reportbench::RunSizedReports(argc, argv, spec);
}
