// Customer statements (command 336) of the scaled sample company -- 1,000
// customers with 20,000 open items, and 10,000 with 200,000
// (QX_BENCH_OPEN_ITEMS="20000,200000" chooses the sizes, a customer for each
// 20) -- every account with open items (or those whose balance is above
// zero, through the selection file), merged from the installation's
// statement text and written to a text file.  Beside them:
//   - "floor": raw SQLite reading the same records in the same order (every
//     customer in code order, each one's open items by its code-and-invoice
//     key) and writing statements of the same shape (the company's and the
//     customer's block, a line per item, each invoice's balance, the aging
//     footer, pages of 45 lines) to a file;
//   - "read": raw SQLite reading the same records, and nothing more.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "report_bench.h"
#include "reports/arap/statements.h"
#include "sample/sample_company.h"

namespace {

namespace fs = std::filesystem;

long long g_items = 0;
std::int32_t g_today = 0;

bool MakeCompany(int items, const reportbench::BenchFolder& folder) {
  sample::Options options;
  options.today = g_today = DateMake(2025, 3, 31);
  options.customers = items / 20;
  options.openItems = items;
  g_items = items;
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  return reportbench::UseCompany(image, folder, 336, options.today);
}

// `keys` answer the options screen: its defaults (every customer, as of
// today), or the balances above zero through the selection file.
void StatementsToText(benchmark::State& state, const char* keys) {
  const std::string output = reportbench::SizedFolder().root + "/statements.txt";
  for (auto _ : state) {
    fs::remove(output);
    ScreenResetForTest(keys, nullptr);
    DateSetToday(g_today);
    RunCustVendStatementsTo(336, output.c_str());
    if (!fs::exists(output)) state.SkipWithError("no statements were written");
  }
  state.SetItemsProcessed(state.iterations() * g_items);
  state.counters["text_MB"] = static_cast<double>(reportbench::FileSize(output)) / 1e6;
}

// ---- The floor -------------------------------------------------------------------------

void Floor(benchmark::State& state, int) {
  const reportbench::BenchFolder& folder = reportbench::SizedFolder();
  sqlite3* db = nullptr;
  sqlite3_open_v2((folder.company + "/qxrecords.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* walk = nullptr;
  sqlite3_stmt* items = nullptr;
  sqlite3_stmt* settings = nullptr;
  sqlite3_prepare_v2(db, ("SELECT image FROM " + reportbench::TableOf(db, "customers") + " ORDER BY k0, pos").c_str(), -1,
                     &walk, nullptr);
  sqlite3_prepare_v2(db,
                     ("SELECT image FROM " + reportbench::TableOf(db, "ar_open_invoices") +
                      " WHERE k1 >= ?1 AND k1 < ?2 ORDER BY k1, pos")
                         .c_str(),
                     -1, &items, nullptr);
  sqlite3_prepare_v2(db, ("SELECT image FROM " + reportbench::TableOf(db, "settings") + " WHERE k0 = ?").c_str(), -1,
                     &settings, nullptr);
  const std::string path = folder.root + "/floor.txt";
  long long lines = 0;
  for (auto _ : state) {
    records::CompanyRecord c{};
    std::string key(15, ' ');
    key.replace(0, 8, "0Company");
    sqlite3_bind_blob(settings, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    if (sqlite3_step(settings) == SQLITE_ROW)
      std::memcpy(&c, sqlite3_column_blob(settings, 0),
                  std::min<std::size_t>(sizeof c, static_cast<std::size_t>(sqlite3_column_bytes(settings, 0))));
    sqlite3_reset(settings);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::string out;
    char text[640];
    lines = 0;
    while (sqlite3_step(walk) == SQLITE_ROW) {
      records::CustVendRecord v;
      std::memcpy(&v, sqlite3_column_blob(walk, 0), sizeof v);
      std::string code = reportbench::TrimmedField(v.code);
      code.resize(sizeof v.code, ' ');
      for (char& ch : code) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      const std::string past = code + '\xff';
      sqlite3_bind_blob(items, 1, code.data(), static_cast<int>(code.size()), SQLITE_STATIC);
      sqlite3_bind_blob(items, 2, past.data(), static_cast<int>(past.size()), SQLITE_STATIC);
      int page = 0, onPage = 45;
      double balance = 0, invoiceBalance = 0;
      double aging[4] = {};
      std::string invoice;
      auto heading = [&] {
        if (page > 0) out += "\nContinued on the next page.\n" + std::string(78, '-') + "\n\n";
        std::snprintf(text, sizeof text,
                      "%-60sS T A T E M E N T\n%s\n%-52sDate      03/31/25\n%-52sAccount   %s\n%-52sPage      %d\n\n\n",
                      reportbench::TrimmedField(c.name).c_str(), reportbench::TrimmedField(c.addressLine1).c_str(), reportbench::TrimmedField(c.addressLine2).c_str(),
                      reportbench::TrimmedField(c.cityStateZip).c_str(), reportbench::TrimmedField(v.code).c_str(), reportbench::TrimmedField(c.phone).c_str(), ++page);
        out += text;
        out += "      " + reportbench::TrimmedField(v.name) + "\n      " + reportbench::TrimmedField(v.addressLines[0]) + "\n      " + reportbench::TrimmedField(v.addressLines[1]) +
               "\n\n\n\nDate      Invoice     Type        Due                     Amount       Balance\n"
               "--------  ----------  ----------  --------          ------------  ------------\n";
        onPage = 18;
      };
      auto endInvoice = [&] {
        if (invoice.empty()) return;
        std::snprintf(text, sizeof text, "\n                      Balance of invoice %-10s %25.2f\n\n", invoice.c_str(),
                      invoiceBalance);
        out += text;
        onPage += 3;
        invoiceBalance = 0;
      };
      bool any = false;
      while (sqlite3_step(items) == SQLITE_ROW) {
        records::TagOpenInvoice l;
        std::memcpy(&l, sqlite3_column_blob(items, 0), sizeof l);
        if (!any) heading();
        any = true;
        const std::string number = reportbench::TrimmedField(l.invoiceNumber);
        if (number != invoice) {
          endInvoice();
          invoice = number;
        }
        if (onPage >= 45) heading();
        const double amount = l.lineType == 'P' || l.lineType == 'C' ? -double(l.amount) : double(l.amount);
        balance += amount;
        invoiceBalance += amount;
        const long late = g_today - l.dueDate;
        aging[late <= 0 ? 0 : late <= 30 ? 1 : late <= 60 ? 2 : 3] += amount;
        int y = 0, m = 0, d = 0, dy = 0, dm = 0, dd = 0;
        DateSplit(l.invoiceDate, &y, &m, &d);
        DateSplit(l.dueDate, &dy, &dm, &dd);
        std::snprintf(text, sizeof text, "%02d/%02d/%02d  %-10.10s  %-10s  %02d/%02d/%02d          %12.2f  %12.2f\n", m, d,
                      y % 100, number.c_str(), l.lineType == 'P' ? "Payment" : l.lineType == 'C' ? "Credit" : "Invoice",
                      dm, dd, dy % 100, amount, balance);
        out += text;
        ++onPage;
        ++lines;
      }
      sqlite3_reset(items);
      if (!any) continue;
      endInvoice();
      std::snprintf(text, sizeof text,
                    "%s\n     Current      1-30 Days     31-60 Days   Over 60 Days          Balance Due\n"
                    "%12.2f   %12.2f   %12.2f   %12.2f         %12.2f\n\f\n",
                    std::string(78, '-').c_str(), aging[0], aging[1], aging[2], aging[3], balance);
      out += text;
      if (out.size() > (1 << 20)) {
        std::fwrite(out.data(), 1, out.size(), file);
        out.clear();
      }
    }
    sqlite3_reset(walk);
    const bool written = file != nullptr && std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (file == nullptr || std::fclose(file) != 0 || !written) state.SkipWithError("the floor's text was not written");
  }
  if (lines < g_items) state.SkipWithError("the floor printed too few items");
  for (sqlite3_stmt* st : {walk, items, settings}) sqlite3_finalize(st);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * g_items);
  state.counters["text_MB"] = static_cast<double>(reportbench::FileSize(path)) / 1e6;
}

void Read(benchmark::State& state, int) {
  reportbench::RawRead(state, reportbench::SizedFolder().company,
                       {{"customers", "k0, pos"}, {"ar_open_invoices", "k1, pos"}}, g_items);
}

}  // namespace

int main(int argc, char** argv) {
  reportbench::SizedReports spec;
  spec.prefix = "qxstatementsbench";
  spec.unit = "open item";
  spec.sizes = reportbench::Sizes("QX_BENCH_OPEN_ITEMS", "20000,200000");
  spec.make = MakeCompany;
  spec.items = [](int n) { return static_cast<long long>(n); };
  spec.runs = {{"every", [](benchmark::State& s, int) { StatementsToText(s, "F10"); }},
               {"above_zero", [](benchmark::State& s, int) { StatementsToText(s, "Down Down \"O\" F10"); }},
               {"floor", Floor},
               {"read", Read}};
  spec.floor = "floor";
  return reportbench::RunSizedReports(argc, argv, spec);
}
