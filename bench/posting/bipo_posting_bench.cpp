// Billing posting (command 325) and purchasing posting (command 324) at
// several sizes, beside raw SQLite doing the same record work.
//
// Each company holds n transactions of five lines in March 2025, numbered as
// entry numbers them and dated as a user dates them (bench_support.h
// DatedDay, QX_BENCH_ORDER):
// billing invoices of four products and a service over 100 customers, taxed
// by one tax code; purchases of five products over 100 vendors; 200
// products, 5 services; the ledger's options as a new company has them (the
// pre-check on).  QX_BENCH_INVOICES="2000,20000" chooses the sizes
// (200,000 runs as well: the cost per transaction stays the same).  The runs
// (sized_posting_bench.h):
//   - "cmd": qxa15 <company> /only /cmd:325 (324) on a company written by
//     qxload, keys F10 (post) and Enter (the summary);
//   - "qxa": the same command in this program;
//   - "raw": raw SQLite doing the same record work in tables of the client's
//     shape (position, image, one encoded column per key of the file, an
//     index on each; WAL, synchronous NORMAL), with the program's grouping:
//     each transaction after a group's first a savepoint (its journal in
//     memory), committed in groups of 1000.  Per
//     transaction in date order: its header, its customer or vendor and its
//     lines are read; each line's product (or service) is moved, a product's
//     activity record numbered from the "IT" sequence and inserted, a sales
//     history record inserted (billing) and the line marked; the tax code's
//     period total moved (billing); the G/L lines of the run's one batch
//     transaction summed per account and side, and their accounts moved; the
//     customer or vendor moved and the header marked.  The records a group
//     rewrites again and again (products, services, customers or vendors, the
//     tax code, the sequence, the G/L summary lines and accounts) are written
//     once a group, as the client writes them;
//   - "floor": the same books posted set-based over tables of plain columns,
//     the fewest steps SQLite can take: the activity and history records
//     inserted from the lines in one statement each, the products, services,
//     parties, tax code and accounts moved by one UPDATE each from the lines'
//     sums, lines and headers marked by one UPDATE each.
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
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
#include "sized_posting_bench.h"

namespace {

using namespace benchsupport;
using Bytes = std::vector<std::uint8_t>;

constexpr int kParties = 100, kProducts = 200, kServices = 5, kLines = 5;
constexpr double kTaxRate = 6.5;

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

// The generated company of billing (`purchasing` false) or purchasing.
fixture::CompanyImage Company(int count, bool purchasing) {
  fixture::CompanyImage c;
  auto& settings = c.files[records::kFileSettings];
  settings.push_back(Image(OpenYear2025()));
  records::InterfaceRecord iface{};
  records::SetPadded(iface.key, "0Interface");
  iface.glMode = ' ';
  for (auto [field, code] : {std::pair{iface.cashAccount, "1000"}, std::pair{iface.receivablesAccount, "1100"},
                             std::pair{iface.payablesAccount, "2000"}, std::pair{iface.inventoryAccount, "1300"},
                             std::pair{iface.costOfGoodsAccount, "5000"}, std::pair{iface.salesAccount, "4000"},
                             std::pair{iface.salesReturnsAccount, "4100"}, std::pair{iface.freightAccount, "4200"}})
    std::memcpy(field, code, 4);
  settings.push_back(Image(iface));

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
    p.averageCost = p.lastCost = 2.00 + i % 17;
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
  for (int i = 0; i < kParties; ++i) {
    records::CustVendRecord r{};
    records::SetText(r.code, Code(purchasing ? "V" : "C", i));
    records::SetText(r.name, (purchasing ? "Vendor " : "Customer ") + Code("", i));
    r.accountType = 'O';
    c.files[purchasing ? records::kFileVendors : records::kFileCustomers].push_back(Image(r));
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

  auto& headers = c.files[purchasing ? records::kFilePurchasingHeaders : records::kFileBillingHeaders];
  auto& lines = c.files[purchasing ? records::kFilePurchasingLines : records::kFileBillingLines];
  headers.reserve(count);
  lines.reserve(kLines * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    records::TagBiPoHeader h{};
    h.typeLetter = 'I';
    records::SetText(h.transactionNumber, std::to_string(100000 + i));
    records::SetText(h.custVendCode, Code(purchasing ? "V" : "C", i % kParties));
    h.closedFlag = h.postedFlag = 'N';
    h.entryFlag = h.journalPrinted = 'Y';
    h.date = DateMake(2025, 3, DatedDay(i, count, 31));
    h.periodKey = DateMake(2025, 3, 1);
    if (purchasing) h.onAccountFlag = 'Y';
    else records::SetText(h.taxCode, "ST");
    double gross = 0;
    for (int k = 0; k < kLines; ++k) {
      records::BiPoLine l{};
      l.typeLetter = 'I';
      std::memcpy(l.transactionNumber, h.transactionNumber, sizeof l.transactionNumber);
      l.sequence = static_cast<std::uint16_t>(k + 1);
      const bool service = !purchasing && k == kLines - 1;
      l.lineKind = service ? 6 : 1;
      records::SetText(l.item, service ? Code("S", i % kServices) : Code("P", (i * 7 + k * 31) % kProducts));
      records::SetText(l.description, "Line");
      records::SetText(l.department, "01");
      l.quantity = l.secondQuantity = 1 + (i + k) % 5;
      l.salesFraction = 1;
      l.periodKey = h.periodKey;
      l.amount = l.quantity * (service ? 25.00 : 4.75 + k);
      if (purchasing) l.purchaseUnitCost = 4.75 + k;
      gross += l.amount;
      l.postedFlag = 'N';
      lines.push_back(Image(l));
    }
    h.grossAmount = gross;
    if (!purchasing) {
      h.taxableAmount = gross;
      h.tax = NumRound(gross * kTaxRate / 100, 2);
    }
    h.total = NumRound(gross + h.tax, 2);
    h.netToPay = h.total;
    headers.push_back(Image(h));
  }
  return c;
}

// ---- The command in this program ----------------------------------------------------------

double QxaPost(bool purchasing) {
  const auto start = std::chrono::steady_clock::now();
  RunBiPoPost(purchasing ? 1 : 0);
  const double seconds = SecondsSince(start);
  // The run posted every transaction: none is left unposted (key 4: the
  // posted flag first).
  BtrvHandle h = 0;
  records::TagBiPoHeader first{};
  char key[255] = {'N'};
  const int file = purchasing ? records::kFilePurchasingHeaders : records::kFileBillingHeaders;
  const bool open = BtrvOpen(&h, FilePathGet(file), 0, 0) == 0 && BtrvSetKey(h, 4, -1) == 0;
  const int status = open ? BtrvGetOp(kOpGetGreaterOrEqual, h, key, &first) : -1;
  BtrvClose(h);
  return open && (status == kStatusEndOfFile || (status == kStatusOk && first.postedFlag == 'Y')) ? seconds : -1;
}

// ---- Raw SQLite: the same record work -------------------------------------------------------

std::vector<int> RawFiles(bool purchasing) {
  if (purchasing)
    return {records::kFilePurchasingHeaders, records::kFilePurchasingLines, records::kFileVendors,
            records::kFileProducts, records::kFileTranSequences, records::kFileInventoryTransactions,
            records::kFileGLHeaders, records::kFileGLLines, records::kFileGLAccounts};
  return {records::kFileBillingHeaders, records::kFileBillingLines, records::kFileCustomers, records::kFileProducts,
          records::kFileServices, records::kFileTaxCodes, records::kFileTranSequences,
          records::kFileInventoryTransactions, records::kFileSalesHistory, records::kFileGLHeaders,
          records::kFileGLLines, records::kFileGLAccounts};
}

void RawLoad(const std::string& path, const fixture::CompanyImage& c, bool purchasing) {
  sqlite3* db = OpenFresh(path);
  Exec(db, "BEGIN");
  for (int f : RawFiles(purchasing)) {
    Table table(db, f, true);
    const auto it = c.files.find(f);
    if (it == c.files.end()) continue;
    for (const auto& image : it->second) table.Insert(image.data());
  }
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

// Records of one table a group rewrites, kept by key 0 and written as the
// group commits.
template <class Record>
class KeptRecords {
 public:
  explicit KeptRecords(Table& t) : t_(t) {}
  // The record whose key 0 is `key` (encoded); null when there is none.
  Record* Find(const std::string& key) {
    auto it = kept_.find(key);
    if (it == kept_.end()) {
      Entry e{};
      e.at = t_.Equal(0, key, &e.record);
      if (e.at == 0) return nullptr;
      e.read = e.record;
      it = kept_.emplace(key, e).first;
    }
    return &it->second.record;
  }
  void Write() {
    for (auto& [key, e] : kept_) t_.Rewrite(e.at, &e.read, &e.record);
    kept_.clear();
  }

 private:
  struct Entry {
    sqlite3_int64 at;
    Record record, read;
  };
  Table& t_;
  std::map<std::string, Entry> kept_;
};

double RawPost(const std::string& path, int n, bool purchasing) {
  sqlite3* db = OpenForRun(path);
  const auto start = std::chrono::steady_clock::now();
  long posted = 0;
  {
    std::map<int, std::unique_ptr<Table>> t;
    for (int f : RawFiles(purchasing)) t[f] = std::make_unique<Table>(db, f, false);
    Table& headers = *t[purchasing ? records::kFilePurchasingHeaders : records::kFileBillingHeaders];
    Table& lines = *t[purchasing ? records::kFilePurchasingLines : records::kFileBillingLines];
    Table& activity = *t[records::kFileInventoryTransactions];
    Table& glLines = *t[records::kFileGLLines];
    KeptRecords<records::CustVendRecord> parties(*t[purchasing ? records::kFileVendors : records::kFileCustomers]);
    KeptRecords<records::TagProduct> products(*t[records::kFileProducts]);
    KeptRecords<records::TranSequence> sequences(*t[records::kFileTranSequences]);
    KeptRecords<records::GLAccount> accounts(*t[records::kFileGLAccounts]);
    std::unique_ptr<KeptRecords<records::ServiceRecord>> services;
    std::unique_ptr<KeptRecords<records::TaxCode>> taxCodes;
    if (!purchasing) {
      services = std::make_unique<KeptRecords<records::ServiceRecord>>(*t[records::kFileServices]);
      taxCodes = std::make_unique<KeptRecords<records::TaxCode>>(*t[records::kFileTaxCodes]);
    }
    // The summary lines of the run's G/L transaction by account and side.
    std::map<std::pair<std::string, char>, std::pair<sqlite3_int64, records::GLLine>> summary;
    auto writeGroup = [&] {
      parties.Write();
      products.Write();
      sequences.Write();
      accounts.Write();
      if (services) services->Write();
      if (taxCodes) taxCodes->Write();
      for (auto& [key, line] : summary) glLines.Rewrite(line.first, &line.second, &line.second);
    };
    const char* journal = purchasing ? "PO" : "BI";
    auto draw = [&](const char* code) {
      records::TranSequence* seq = sequences.Find(TextKey(code, 7, false));
      if (seq == nullptr) {
        records::TranSequence s{};
        records::SetPadded(s.journalCode, code);
        s.lastNumber = 1;
        Table(db, records::kFileTranSequences, false).Insert(&s);
        return 1;
      }
      return static_cast<int>(++seq->lastNumber);
    };
    auto book = [&](const char* account, char side, double amount) {
      auto at = summary.find({account, side});
      if (at == summary.end()) {
        records::GLLine l{};
        records::SetPadded(l.journalCode, journal);
        records::SetText(l.account, account);
        l.side = side;
        l.amount = amount;
        at = summary.emplace(std::pair{std::string(account), side}, std::pair{glLines.Insert(&l), l}).first;
      } else {
        at->second.second.amount = NumRound(at->second.second.amount + amount, 2);
      }
      records::GLAccount* a = accounts.Find(TextKey(account, 11, true));
      a->currentBalance = NumRound(a->currentBalance + amount, 2);
      a->periodAmounts[2] = NumRound(a->periodAmounts[2] + amount, 2);
    };
    {
      records::TagGLHeader g{};
      records::SetPadded(g.journalCode, journal);
      std::snprintf(g.transactionNumber, sizeof g.transactionNumber, "%10d", draw(journal));
      g.postedFlag = 'Y';
      Table(db, records::kFileGLHeaders, false).Insert(&g);
    }

    // The transactions of March in date order (key 2).
    DateWalk walk(db, headers.name(), "k2", DateMake(2025, 3, 1), DateMake(2025, 3, 31));
    sqlite3_stmt* linesOf = Prepare(db, ("SELECT position, image FROM " + lines.name() +
                                         " WHERE k0 >= ? AND k0 < ? ORDER BY k0, position")
                                            .c_str());
    RawGroups groups(db);
    struct LineAt {
      sqlite3_int64 position;
      records::BiPoLine line;
    };
    std::vector<LineAt> tranLines;
    records::TagBiPoHeader h;
    while (walk.Next(&h, sizeof h)) {
      const sqlite3_int64 position = walk.position();
      groups.UnitBegin();
      records::CustVendRecord* party = parties.Find(TextKey(h.custVendCode, 11, true));
      if (party == nullptr) return -1;
      records::BiPoLine bound{};
      std::memcpy(&bound, &h, 16);
      const auto& key0 = lines.file().keys[0];
      const std::string from = EncodeKey(key0, reinterpret_cast<const std::uint8_t*>(&bound));
      bound.sequence = 0xFFFF;
      const std::string to = EncodeKey(key0, reinterpret_cast<const std::uint8_t*>(&bound)) + "\xff";
      Bind(linesOf, 1, from);
      Bind(linesOf, 2, to);
      tranLines.clear();
      while (sqlite3_step(linesOf) == SQLITE_ROW) {
        LineAt l{sqlite3_column_int64(linesOf, 0), {}};
        std::memcpy(&l.line, sqlite3_column_blob(linesOf, 1), sizeof l.line);
        tranLines.push_back(l);
      }
      sqlite3_reset(linesOf);

      double cost = 0, amount = 0;
      for (LineAt& l : tranLines) {
        if (l.line.IsProductLine()) {
          records::TagProduct* p = products.Find(TextKey(l.line.item, 15, true));
          if (p == nullptr) return -1;
          records::InventoryTransaction a{};
          std::memcpy(a.productCode, l.line.item, sizeof a.productCode);
          std::snprintf(a.transactionNumber, sizeof a.transactionNumber, "%10d", draw("IT"));
          a.postedFlag = 'Y';
          a.date = h.date;
          if (purchasing) {
            p->quantityOnHand += l.line.quantity;
            p->secondQuantityOnHand += l.line.quantity;
            p->valueOnHand = NumRound(p->valueOnHand + l.line.amount, 2);
            p->lastCost = NumRound(l.line.amount / l.line.quantity, 4);
            a.quantity = l.line.quantity;
            a.extendedAmount = l.line.amount;
          } else {
            const double c = NumRound(p->averageCost * l.line.quantity, 2);
            p->quantityOnHand -= l.line.quantity;
            p->secondQuantityOnHand -= l.line.quantity;
            p->valueOnHand = NumRound(p->valueOnHand - c, 2);
            p->salesDollars[2] = NumRound(p->salesDollars[2] + l.line.amount, 2);
            p->costOfSales[2] = NumRound(p->costOfSales[2] + c, 2);
            a.quantity = -l.line.quantity;
            a.extendedAmount = -c;
            l.line.extendedCost = c;
            cost += c;
          }
          activity.Insert(&a);
        } else {
          records::ServiceRecord* s = services->Find(TextKey(l.line.item, 15, true));
          if (s == nullptr) return -1;
          s->salesDollars[2] = NumRound(s->salesDollars[2] + l.line.amount, 2);
        }
        amount += l.line.amount;
        if (!purchasing) {
          records::SalesHistory s{};
          s.typeLetter = 'I';
          std::memcpy(s.transactionNumber, h.transactionNumber, sizeof s.transactionNumber);
          s.sequence = l.line.sequence;
          s.amount = l.line.amount;
          s.date = h.date;
          t[records::kFileSalesHistory]->Insert(&s);
        }
        const records::BiPoLine read = l.line;
        l.line.postedFlag = 'Y';
        lines.Rewrite(l.position, &read, &l.line);
      }
      if (purchasing) {
        book("1300", 'D', amount);
        book("2000", 'C', h.total);
        party->balance = NumRound(party->balance + h.total, 2);
      } else {
        records::TaxCode* tax = taxCodes->Find(TextKey(h.taxCode, 6, true));
        if (tax == nullptr) return -1;
        tax->billingTax[2] = NumRound(tax->billingTax[2] + h.tax, 2);
        book("2300", 'C', h.tax);
        book("1100", 'D', h.total);
        book("1300", 'C', cost);
        book("4000", 'C', amount);
        book("5000", 'D', cost);
        party->balance = NumRound(party->balance + h.total, 2);
      }
      const records::TagBiPoHeader read = h;
      h.postedFlag = 'Y';
      h.costOfGoods = cost;
      headers.Rewrite(position, &read, &h);
      groups.UnitEnd(writeGroup);
      ++posted;
    }
    groups.End(writeGroup);
    sqlite3_finalize(linesOf);
  }
  const double seconds = SecondsSince(start);
  sqlite3_close(db);
  return posted == n ? seconds : -1;
}

// ---- The set-based floor --------------------------------------------------------------------

void FloorLoad(const std::string& path, const fixture::CompanyImage& c, bool purchasing) {
  sqlite3* db = OpenFresh(path);
  Exec(db,
       "CREATE TABLE headers(number TEXT PRIMARY KEY, date INTEGER, party TEXT, tax REAL, total REAL,"
       " cost REAL, posted TEXT);"
       "CREATE INDEX headers_date ON headers(date);"
       "CREATE TABLE lines(number TEXT, sequence INTEGER, item TEXT, product INTEGER, quantity REAL,"
       " amount REAL, cost REAL, posted TEXT, PRIMARY KEY(number, sequence));"
       "CREATE TABLE products(code TEXT PRIMARY KEY, average REAL, quantity REAL, value REAL, sales REAL,"
       " costs REAL, last REAL);"
       "CREATE TABLE services(code TEXT PRIMARY KEY, sales REAL);"
       "CREATE TABLE parties(code TEXT PRIMARY KEY, balance REAL);"
       "CREATE TABLE taxes(code TEXT PRIMARY KEY, total REAL);"
       "CREATE TABLE accounts(code TEXT PRIMARY KEY, balance REAL, march REAL);"
       "CREATE TABLE activity(number INTEGER PRIMARY KEY, product TEXT, date INTEGER, quantity REAL,"
       " amount REAL);"
       "CREATE INDEX activity_product ON activity(product, date);"
       "CREATE TABLE history(number TEXT, sequence INTEGER, date INTEGER, amount REAL);"
       "CREATE INDEX history_key ON history(number, sequence);"
       "BEGIN");
  auto each = [&](int file, const char* sql, auto bind) {
    const auto it = c.files.find(file);
    if (it == c.files.end()) return;
    sqlite3_stmt* st = Prepare(db, sql);
    for (const Bytes& image : it->second) {
      bind(st, image.data());
      StepReset(st);
    }
    sqlite3_finalize(st);
  };
  each(purchasing ? records::kFilePurchasingHeaders : records::kFileBillingHeaders,
       "INSERT INTO headers VALUES(?, ?, ?, ?, ?, 0, 'N')", [](sqlite3_stmt* st, const std::uint8_t* p) {
         records::TagBiPoHeader h;
         std::memcpy(&h, p, sizeof h);
         Bind(st, 1, TextKey(h.transactionNumber, 11, false));
         sqlite3_bind_int(st, 2, h.date);
         Bind(st, 3, TextKey(h.custVendCode, 11, true));
         sqlite3_bind_double(st, 4, h.tax);
         sqlite3_bind_double(st, 5, h.total);
       });
  each(purchasing ? records::kFilePurchasingLines : records::kFileBillingLines,
       "INSERT INTO lines VALUES(?, ?, ?, ?, ?, ?, 0, 'N')", [](sqlite3_stmt* st, const std::uint8_t* p) {
         records::BiPoLine l;
         std::memcpy(&l, p, sizeof l);
         Bind(st, 1, TextKey(l.transactionNumber, 11, false));
         sqlite3_bind_int(st, 2, l.sequence);
         Bind(st, 3, TextKey(l.item, 15, true));
         sqlite3_bind_int(st, 4, l.IsProductLine() ? 1 : 0);
         sqlite3_bind_double(st, 5, l.quantity);
         sqlite3_bind_double(st, 6, l.amount);
       });
  each(records::kFileProducts, "INSERT INTO products VALUES(?, ?, ?, ?, 0, 0, ?)",
       [](sqlite3_stmt* st, const std::uint8_t* p) {
         records::TagProduct r;
         std::memcpy(&r, p, sizeof r);
         Bind(st, 1, TextKey(r.number, 15, true));
         sqlite3_bind_double(st, 2, r.averageCost);
         sqlite3_bind_double(st, 3, r.quantityOnHand);
         sqlite3_bind_double(st, 4, r.valueOnHand);
         sqlite3_bind_double(st, 5, r.lastCost);
       });
  each(records::kFileServices, "INSERT INTO services VALUES(?, 0)", [](sqlite3_stmt* st, const std::uint8_t* p) {
    records::ServiceRecord r;
    std::memcpy(&r, p, sizeof r);
    Bind(st, 1, TextKey(r.code, 15, true));
  });
  each(purchasing ? records::kFileVendors : records::kFileCustomers, "INSERT INTO parties VALUES(?, ?)",
       [](sqlite3_stmt* st, const std::uint8_t* p) {
         records::CustVendRecord r;
         std::memcpy(&r, p, sizeof r);
         Bind(st, 1, TextKey(r.code, 11, true));
         sqlite3_bind_double(st, 2, r.balance);
       });
  each(records::kFileTaxCodes, "INSERT INTO taxes VALUES(?, 0)", [](sqlite3_stmt* st, const std::uint8_t* p) {
    records::TaxCode r;
    std::memcpy(&r, p, sizeof r);
    Bind(st, 1, TextKey(r.code, 6, true));
  });
  each(records::kFileGLAccounts, "INSERT INTO accounts VALUES(?, ?, 0)", [](sqlite3_stmt* st, const std::uint8_t* p) {
    records::GLAccount r;
    std::memcpy(&r, p, sizeof r);
    Bind(st, 1, TextKey(r.code, 11, true));
    sqlite3_bind_double(st, 2, r.currentBalance);
  });
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

double FloorPost(const std::string& path, int n, bool purchasing) {
  sqlite3* db = OpenForRun(path);
  const auto start = std::chrono::steady_clock::now();
  const std::string period = " h.date BETWEEN " + std::to_string(DateMake(2025, 3, 1)) + " AND " +
                             std::to_string(DateMake(2025, 3, 31)) + " AND h.posted = 'N'";
  const std::string ofPeriod = "FROM lines l JOIN headers h ON h.number = l.number WHERE" + period;
  std::string sql = "BEGIN IMMEDIATE;";
  if (purchasing) {
    sql += "INSERT INTO activity(product, date, quantity, amount) SELECT l.item, h.date, l.quantity, l.amount " +
           ofPeriod + " AND l.product = 1;"
           "UPDATE products SET quantity = quantity + d.q, value = round(value + d.a, 2), last = d.last"
           " FROM (SELECT l.item AS item, total(l.quantity) AS q, total(l.amount) AS a,"
           "       round(max(l.amount / l.quantity), 4) AS last " + ofPeriod + " GROUP BY l.item) AS d"
           " WHERE products.code = d.item;"
           "UPDATE parties SET balance = round(balance + d.t, 2) FROM (SELECT party, total(total) AS t"
           " FROM headers h WHERE" + period + " GROUP BY party) AS d WHERE parties.code = d.party;"
           "UPDATE accounts SET balance = round(balance + d.a, 2), march = round(march + d.a, 2) FROM"
           " (SELECT 'I' AS k, total(l.amount) AS a " + ofPeriod + ") AS d WHERE accounts.code IN ('1300', '2000');";
  } else {
    sql += "UPDATE lines SET cost = round((SELECT p.average FROM products p WHERE p.code = lines.item) * quantity, 2)"
           " WHERE product = 1 AND number IN (SELECT number FROM headers h WHERE" + period + ");"
           "INSERT INTO activity(product, date, quantity, amount) SELECT l.item, h.date, -l.quantity, -l.cost " +
           ofPeriod + " AND l.product = 1;"
           "INSERT INTO history SELECT l.number, l.sequence, h.date, l.amount " + ofPeriod + ";"
           "UPDATE products SET quantity = quantity - d.q, value = round(value - d.c, 2),"
           " sales = round(sales + d.a, 2), costs = round(costs + d.c, 2)"
           " FROM (SELECT l.item AS item, total(l.quantity) AS q, total(l.cost) AS c, total(l.amount) AS a " +
           ofPeriod + " AND l.product = 1 GROUP BY l.item) AS d WHERE products.code = d.item;"
           "UPDATE services SET sales = round(sales + d.a, 2) FROM (SELECT l.item AS item, total(l.amount) AS a " +
           ofPeriod + " AND l.product = 0 GROUP BY l.item) AS d WHERE services.code = d.item;"
           "UPDATE parties SET balance = round(balance + d.t, 2) FROM (SELECT party, total(total) AS t"
           " FROM headers h WHERE" + period + " GROUP BY party) AS d WHERE parties.code = d.party;"
           "UPDATE taxes SET total = round(total + (SELECT total(tax) FROM headers h WHERE" + period + "), 2);"
           "UPDATE headers SET cost = (SELECT total(cost) FROM lines l WHERE l.number = headers.number)"
           " WHERE number IN (SELECT number FROM headers h WHERE" + period + ");"
           "UPDATE accounts SET balance = round(balance + d.a, 2), march = round(march + d.a, 2) FROM"
           " (SELECT total(l.cost) AS a " + ofPeriod + ") AS d WHERE accounts.code IN ('1300', '5000');"
           "UPDATE accounts SET balance = round(balance + d.a, 2), march = round(march + d.a, 2) FROM"
           " (SELECT total(total) AS a FROM headers h WHERE" + period + ") AS d WHERE accounts.code = '1100';";
  }
  sql += "UPDATE lines SET posted = 'Y' WHERE number IN (SELECT number FROM headers h WHERE" + period + ");"
         "UPDATE headers SET posted = 'Y' WHERE number IN (SELECT number FROM headers h WHERE" + period + ");";
  Exec(db, sql.c_str());
  const int marked = sqlite3_changes(db);
  Exec(db, "COMMIT");
  const double seconds = SecondsSince(start);
  sqlite3_close(db);
  return marked == n ? seconds : -1;
}

PostingBench Bench(bool purchasing) {
  PostingBench b;
  b.label = purchasing ? "purchasing" : "billing";
  b.unit = purchasing ? "purchase" : "invoice";
  b.command = purchasing ? 324 : 325;
  b.keys = "F10 Enter";
  b.today = "2025-03-31";
  b.todayDate = DateMake(2025, 3, 31);
  b.company = [purchasing](int n) { return Company(n, purchasing); };
  b.summary = [](int n) { return std::to_string(n) + " transactions posted."; };
  b.inProcess = [purchasing](const std::string&, int) { return QxaPost(purchasing); };
  b.raws = {{"raw", [purchasing](const std::string& path, const fixture::CompanyImage& c) { RawLoad(path, c, purchasing); },
             [purchasing](const std::string& path, int n) { return RawPost(path, n, purchasing); }},
            {"floor", [purchasing](const std::string& path, const fixture::CompanyImage& c) { FloorLoad(path, c, purchasing); },
             [purchasing](const std::string& path, int n) { return FloorPost(path, n, purchasing); }}};
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  return RunSizedBenches(argc, argv, "bipo-posting-bench", {Bench(false), Bench(true)}, "QX_BENCH_INVOICES",
                         "2000,20000");
}
