// Billing posting against raw SQLite doing the same reads and writes.
//
// A generated company (the fixture loader's WriteCompany) holds 20,000
// billing invoices of five lines each (four products and a service) in March
// 2025 over 100 customers, 200 products and 5 services, taxed by one tax
// code (QX_BENCH_INVOICES changes the count).  "post/qxa" runs command 325
// through its screen on the script device (F10, then the summary's Enter),
// with the ledger's pre-check off.  The raw side keeps the same records in
// tables of the same shape (position, image, one encoded column per key of
// the file, an index on each key with the position, WAL, synchronous
// NORMAL) and, per invoice in date order and in one transaction: reads the
// header, its customer and its lines; for each line reads and rewrites its
// product or service, numbers and inserts the activity record of a product,
// inserts the sales history and rewrites the line; reads and rewrites the
// tax code; adds the invoice's five G/L lines to the run's summary lines and
// its accounts; rewrites the customer and the header.  The ratio is printed
// at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "btrvc.h"
#include "fixture/company.h"
#include "posting/billing_purchasing_posting.h"
#include "qxabase.h"
#include "qxabase/posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace {

using benchsupport::Bind;
using benchsupport::Exec;
using benchsupport::Image;
using benchsupport::Prepare;
using benchsupport::Table;
using benchsupport::TextKey;

constexpr int kCustomers = 100, kProducts = 200, kServices = 5, kProductLines = 4;
constexpr double kTaxRate = 6.5;

int Invoices() { return benchsupport::CountFromEnv("QX_BENCH_INVOICES", 20000); }

std::string g_root;

std::string Code(const char* prefix, int i) { return prefix + std::to_string(1000 + i); }

records::GLAccount Account(const char* code, int kind, double balance) {
  records::GLAccount a{};
  records::SetText(a.code, code);
  records::SetText(a.name, std::string("Account ") + code);
  a.level = '1';
  a.kind = static_cast<std::uint8_t>(kind);
  a.type = 'D';
  a.currentBalance = balance;
  return a;
}

// The generated company: settings, accounts, customers, products, services,
// the tax code and `count` invoices.
fixture::CompanyImage Company(int count) {
  fixture::CompanyImage c;
  auto& settings = c.files[records::kFileSettings];
  settings.push_back(Image(benchsupport::OpenYear2025()));
  records::InterfaceRecord iface{};
  records::SetPadded(iface.key, "0Interface");
  iface.glMode = ' ';
  for (auto [field, code] : {std::pair{iface.cashAccount, "1000"}, std::pair{iface.receivablesAccount, "1100"},
                             std::pair{iface.payablesAccount, "2000"}, std::pair{iface.inventoryAccount, "1300"},
                             std::pair{iface.costOfGoodsAccount, "5000"}, std::pair{iface.salesAccount, "4000"},
                             std::pair{iface.salesReturnsAccount, "4100"}, std::pair{iface.freightAccount, "4200"}})
    std::memcpy(field, code, 4);
  settings.push_back(Image(iface));
  records::PostOptionsRecord options{};
  records::SetPadded(options.key, "0PostOptions");
  options.ledgers[kLedgerBilling].checkFirst = 'N';
  settings.push_back(Image(options));

  double stock = 0;
  for (int i = 0; i < kProducts; ++i) {
    records::TagProduct p{};
    records::SetText(p.number, Code("P", i));
    records::SetText(p.description, "Product " + Code("P", i));
    records::SetText(p.department, "01");
    p.productType = 1;
    p.purchaseUnitFactor = 1;
    p.salesUnitFactor = 1;
    p.quantityOnHand = p.secondQuantityOnHand = 1000000.0;
    p.averageCost = 2.00 + i % 17;
    p.valueOnHand = p.quantityOnHand * p.averageCost;
    stock += p.valueOnHand;
    c.files[records::kFileProducts].push_back(Image(p));
  }
  for (int i = 0; i < kServices; ++i) {
    records::ServiceRecord s{};
    records::SetText(s.code, Code("S", i));
    records::SetText(s.description, "Service " + Code("S", i));
    records::SetText(s.department, "01");
    c.files[records::kFileServices].push_back(Image(s));
  }
  for (int i = 0; i < kCustomers; ++i) {
    records::CustVendRecord r{};
    records::SetText(r.code, Code("C", i));
    records::SetText(r.name, "Customer " + Code("C", i));
    r.accountType = 'O';
    c.files[records::kFileCustomers].push_back(Image(r));
  }
  records::TaxCode tax{};
  records::SetText(tax.code, "ST");
  tax.billingRate = static_cast<float>(kTaxRate);
  records::SetText(tax.billingAccounts[0].account, "2300");
  tax.billingAccounts[0].rate = static_cast<float>(kTaxRate);
  c.files[records::kFileTaxCodes].push_back(Image(tax));
  for (auto [code, kind, balance] : {std::tuple{"1000", 1, 100000.0}, std::tuple{"1100", 1, 0.0},
                                     std::tuple{"1300", 1, stock}, std::tuple{"2000", 2, 0.0},
                                     std::tuple{"2300", 2, 0.0}, std::tuple{"4000", 4, 0.0},
                                     std::tuple{"4100", 4, 0.0}, std::tuple{"4200", 4, 0.0},
                                     std::tuple{"5000", 5, 0.0}})
    c.files[records::kFileGLAccounts].push_back(Image(Account(code, kind, balance)));

  auto& headers = c.files[records::kFileBillingHeaders];
  auto& lines = c.files[records::kFileBillingLines];
  headers.reserve(count);
  lines.reserve(5 * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    records::TagBiPoHeader h{};
    h.typeLetter = 'I';
    records::SetText(h.transactionNumber, std::to_string(100000 + i));
    records::SetText(h.custVendCode, Code("C", i % kCustomers));
    h.closedFlag = h.postedFlag = 'N';
    h.entryFlag = h.journalPrinted = 'Y';
    h.date = DateMake(2025, 3, 1 + static_cast<int>(static_cast<long>(i) * 31 / count));
    h.periodKey = DateMake(2025, 3, 1);
    records::SetText(h.taxCode, "ST");
    double gross = 0;
    for (int k = 0; k < 5; ++k) {
      records::BiPoLine l{};
      l.typeLetter = 'I';
      std::memcpy(l.transactionNumber, h.transactionNumber, sizeof l.transactionNumber);
      l.sequence = static_cast<std::uint16_t>(k + 1);
      const bool service = k == kProductLines;
      l.lineKind = service ? 6 : 1;
      records::SetText(l.item, service ? Code("S", i % kServices) : Code("P", (i * 7 + k * 31) % kProducts));
      records::SetText(l.description, "Line");
      records::SetText(l.department, "01");
      l.quantity = 1 + (i + k) % 5;
      l.amount = l.quantity * (service ? 25.00 : 4.75 + k);
      gross += l.amount;
      l.postedFlag = 'N';
      lines.push_back(Image(l));
    }
    h.grossAmount = gross;
    h.taxableAmount = gross;
    h.tax = NumRound(gross * kTaxRate / 100, 2);
    h.total = NumRound(gross + h.tax, 2);
    h.netToPay = h.total;
    headers.push_back(Image(h));
  }
  return c;
}

// ---- Command 325 -------------------------------------------------------------------------

void QxaPost(benchmark::State& state) {
  const int n = Invoices();
  const std::string folder = g_root + "/qxa";
  for (auto _ : state) {
    state.PauseTiming();
    if (!benchsupport::PrepareCommand(state, Company(n), folder, "F10 Enter", DateMake(2025, 3, 31), 325)) return;
    state.ResumeTiming();
    RunBiPoPost(0);
    state.PauseTiming();
    // The run posted every invoice: the last one is marked.
    BtrvHandle h = 0;
    records::TagBiPoHeader last{};
    char key[255] = {};
    const bool ok = BtrvOpen(&h, FilePathGet(records::kFileBillingHeaders), 0, 0) == 0 &&
                    BtrvSetKey(h, 2, -1) == 0 && BtrvGetOp(kOpGetLast, h, key, &last) == 0 &&
                    last.postedFlag == 'Y';
    BtrvClose(h);
    state.ResumeTiming();
    if (!ok) state.SkipWithError("the run did not post every invoice");
  }
  state.SetItemsProcessed(n);
}

// ---- Raw SQLite -----------------------------------------------------------------------------

constexpr int kRawFiles[] = {records::kFileBillingHeaders, records::kFileBillingLines, records::kFileCustomers,
                             records::kFileProducts,       records::kFileServices,     records::kFileTaxCodes,
                             records::kFileTranSequences,  records::kFileInventoryTransactions,
                             records::kFileSalesHistory,   records::kFileGLHeaders,    records::kFileGLLines,
                             records::kFileGLAccounts};

void RawLoad(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = benchsupport::OpenFresh(path);
  Exec(db, "BEGIN");
  for (int f : kRawFiles) {
    Table table(db, f, true);
    const auto it = c.files.find(f);
    if (it == c.files.end()) continue;
    for (const auto& image : it->second) table.Insert(image.data());
  }
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

void RawPost(benchmark::State& state) {
  const int n = Invoices();
  const std::string path = g_root + "/raw.sqlite";
  long posted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RawLoad(path, Company(n));
    state.ResumeTiming();
    sqlite3* db = benchsupport::OpenForRun(path);
    {
      std::map<int, std::unique_ptr<Table>> t;
      for (int f : kRawFiles) t[f] = std::make_unique<Table>(db, f, false);
      Table &headers = *t[records::kFileBillingHeaders], &lines = *t[records::kFileBillingLines],
            &customers = *t[records::kFileCustomers], &products = *t[records::kFileProducts],
            &services = *t[records::kFileServices], &taxCodes = *t[records::kFileTaxCodes],
            &sequences = *t[records::kFileTranSequences], &activity = *t[records::kFileInventoryTransactions],
            &history = *t[records::kFileSalesHistory], &glHeaders = *t[records::kFileGLHeaders],
            &glLines = *t[records::kFileGLLines], &accounts = *t[records::kFileGLAccounts];
      // The invoices of March in date order (key 2).
      benchsupport::DateWalk walk(db, headers.name(), "k2", DateMake(2025, 3, 1), DateMake(2025, 3, 31));
      sqlite3_stmt* linesOf = Prepare(db, ("SELECT position, image FROM " + lines.name() +
                                           " WHERE k0 >= ? AND k0 < ? ORDER BY k0, position")
                                              .c_str());
      bool glMade = false;
      std::map<std::pair<std::string, char>, sqlite3_int64> summary;
      struct LineAt {
        sqlite3_int64 position;
        records::BiPoLine line;
      };
      std::vector<LineAt> tranLines;

      // Numbers one record from a sequence of file 23.
      auto draw = [&](const char* journal) {
        records::TranSequence seq{};
        const sqlite3_int64 at = sequences.Equal(0, TextKey(journal, 7, false), &seq);
        if (at == 0) {
          records::SetPadded(seq.journalCode, journal);
          seq.lastNumber = 1;
          sequences.Insert(&seq);
        } else {
          seq.lastNumber = seq.lastNumber + 1;
          sequences.Update(at, &seq);
        }
        return static_cast<int>(seq.lastNumber);
      };
      // Adds a G/L line to the run's summary line of its account and side,
      // and to its account.
      auto book = [&](const char* account, char side, double amount) {
        const auto at = summary.find({account, side});
        records::GLLine l{};
        if (at == summary.end()) {
          records::SetPadded(l.journalCode, "BI");
          records::SetText(l.account, account);
          l.side = side;
          l.amount = amount;
          summary[{account, side}] = glLines.Insert(&l);
        } else {
          glLines.Direct(at->second, &l);
          l.amount = NumRound(l.amount + amount, 2);
          glLines.Update(at->second, &l);
        }
        records::GLAccount a{};
        const sqlite3_int64 where = accounts.Equal(0, TextKey(account, 11, true), &a);
        a.currentBalance = NumRound(a.currentBalance + amount, 2);
        a.periodAmounts[2] = NumRound(a.periodAmounts[2] + amount, 2);
        accounts.Update(where, &a);
      };

      records::TagBiPoHeader h;
      while (walk.Next(&h, sizeof h)) {
        const sqlite3_int64 position = walk.position();
        Exec(db, "BEGIN IMMEDIATE");
        records::CustVendRecord customer{};
        const sqlite3_int64 customerAt = customers.Equal(0, TextKey(h.custVendCode, 11, true), &customer);

        records::BiPoLine bound{};
        std::memcpy(&bound, &h, 16);
        const std::string from = benchsupport::EncodeKey(lines.file().keys[0], reinterpret_cast<const std::uint8_t*>(&bound));
        bound.sequence = 0xFFFF;
        const std::string to =
            benchsupport::EncodeKey(lines.file().keys[0], reinterpret_cast<const std::uint8_t*>(&bound)) + "\xff";
        Bind(linesOf, 1, from);
        Bind(linesOf, 2, to);
        tranLines.clear();
        while (sqlite3_step(linesOf) == SQLITE_ROW) {
          LineAt l{sqlite3_column_int64(linesOf, 0), {}};
          std::memcpy(&l.line, sqlite3_column_blob(linesOf, 1), sizeof l.line);
          tranLines.push_back(l);
        }
        sqlite3_reset(linesOf);

        double cost = 0, sales = 0;
        for (LineAt& l : tranLines) {
          if (l.line.IsProductLine()) {
            records::TagProduct p{};
            const sqlite3_int64 at = products.Equal(0, TextKey(l.line.item, 15, true), &p);
            const double c = NumRound(p.averageCost * l.line.quantity, 2);
            p.quantityOnHand = p.quantityOnHand - l.line.quantity;
            p.valueOnHand = NumRound(p.valueOnHand - c, 2);
            records::InventoryTransaction a{};
            std::memcpy(a.productCode, l.line.item, sizeof a.productCode);
            std::snprintf(a.transactionNumber, sizeof a.transactionNumber, "%10d", draw("IT"));
            a.quantity = -l.line.quantity;
            a.extendedAmount = -c;
            a.postedFlag = 'Y';
            activity.Insert(&a);
            products.Update(at, &p);
            l.line.extendedCost = c;
            cost += c;
          } else {
            records::ServiceRecord s{};
            const sqlite3_int64 at = services.Equal(0, TextKey(l.line.item, 15, true), &s);
            s.salesDollars[2] = NumRound(s.salesDollars[2] + l.line.amount, 2);
            services.Update(at, &s);
          }
          sales += l.line.amount;
          records::SalesHistory s{};
          s.typeLetter = 'I';
          std::memcpy(s.transactionNumber, h.transactionNumber, sizeof s.transactionNumber);
          s.sequence = l.line.sequence;
          s.amount = l.line.amount;
          history.Insert(&s);
          l.line.postedFlag = 'Y';
          lines.Update(l.position, &l.line);
        }
        records::TaxCode tax{};
        const sqlite3_int64 taxAt = taxCodes.Equal(0, TextKey(h.taxCode, 6, true), &tax);
        tax.billingTax[2] = NumRound(tax.billingTax[2] + h.tax, 2);
        taxCodes.Update(taxAt, &tax);
        if (!glMade) {
          records::TagGLHeader g{};
          records::SetPadded(g.journalCode, "BI");
          std::snprintf(g.transactionNumber, sizeof g.transactionNumber, "%10d", draw("BI"));
          g.postedFlag = 'Y';
          glHeaders.Insert(&g);
          glMade = true;
        }
        book("2300", 'C', h.tax);
        book("1100", 'D', h.total);
        book("1300", 'C', cost);
        book("4000", 'C', sales);
        book("5000", 'D', cost);
        customer.balance = NumRound(customer.balance + h.total, 2);
        customers.Update(customerAt, &customer);
        h.postedFlag = 'Y';
        h.costOfGoods = cost;
        headers.Update(position, &h);
        Exec(db, "COMMIT");
        ++posted;
      }
      sqlite3_finalize(linesOf);
    }
    sqlite3_close(db);
  }
  if (posted != n) state.SkipWithError("the raw walk did not post every invoice");
  state.SetItemsProcessed(n);
}

}  // namespace

int main(int argc, char** argv) {
  return benchsupport::BenchMain(argc, argv, "bipo-posting-bench", "posting", &g_root, [] {
    benchsupport::Register("post/qxa", QxaPost);
    benchsupport::Register("post/raw", RawPost);
  });
}
