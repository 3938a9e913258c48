// Inventory posting (command 328) at several sizes, beside raw SQLite doing
// the same record work.
//
// The company holds n entered inventory adjustments over the twelve periods
// of 2025, numbered as entry numbers them and dated as a user dates them
// (bench_support.h DatedDay, QX_BENCH_ORDER), stock-outs priced from the
// product and stock-ins with their cost in turn, over 500 products.
// QX_BENCH_TRANSACTIONS="10000,100000" chooses the sizes.  The runs
// (sized_posting_bench.h):
//   - "cmd": qxa15 <company> /only /cmd:328 on a company written by qxload,
//     keys: the posting date 12/31/25, F10 (post) and Enter (the summary);
//   - "qxa": the same command in this program;
//   - "raw": raw SQLite doing the same record work in tables of the client's
//     shape (position, image, one encoded column per key with its index, WAL,
//     synchronous NORMAL), with the program's grouping (each adjustment
//     after a group's first a savepoint, its journal in memory, committed
//     in groups of 1000): the check pass reads the
//     unposted adjustments in key order with each one's account and
//     product; then, per adjustment: it reads the adjustment and its product,
//     moves the product, writes or moves its period's "IA" header, merges its
//     two lines, moves the two accounts and marks the adjustment.  The
//     records a group rewrites again and again (products, accounts, headers
//     and lines of the "IA" transactions) are written once a group, as the
//     client writes them.
// An adjustment's cost is the product's average cost as the adjustments
// before it left it: the work is a sequence, and has no set-based form.
#include <benchmark/benchmark.h>

#include <chrono>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bench_support.h"
#include "btrvc.h"
#include "fixture/company.h"
#include "posting/inventory_posting.h"
#include "qxabase.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "sized_posting_bench.h"

namespace {

using namespace benchsupport;
using records::GLAccount;
using records::GLLine;
using records::InventoryTransaction;
using records::TagGLHeader;
using records::TagProduct;

constexpr int kProducts = 500;
const char* const kAccounts[] = {"1300", "5100", "5200"};


std::string ProductCode(int i) {
  char code[16];
  std::snprintf(code, sizeof code, "P%05d", i);
  return code;
}

fixture::CompanyImage Company(int count) {
  fixture::CompanyImage c;
  c.files[records::kFileSettings].push_back(Image(OpenYear2025()));
  records::InterfaceRecord iface{};
  records::SetPadded(iface.key, "0Interface");
  records::SetText(iface.inventoryAccount, "1300");
  c.files[records::kFileSettings].push_back(Image(iface));
  for (const char* code : kAccounts) {
    GLAccount a{};
    records::SetText(a.code, code);
    records::SetText(a.name, std::string("Account ") + code);
    a.level = '1';
    a.kind = code[0] == '1' ? 1 : 5;
    a.type = 'D';
    a.currentBalance = code[0] == '1' ? kProducts * 1e7 : 0;
    c.files[records::kFileGLAccounts].push_back(Image(a));
  }
  for (int i = 0; i < kProducts; ++i) {
    TagProduct p{};
    records::SetText(p.number, ProductCode(i));
    records::SetText(p.description, "Generated product");
    p.productType = 1;
    p.purchaseUnitFactor = p.salesUnitFactor = 1;
    p.averageCost = p.lastCost = p.standardCost = 10.0;
    p.quantityOnHand = p.secondQuantityOnHand = 1e6;
    p.valueOnHand = 1e7;
    c.files[records::kFileProducts].push_back(Image(p));
  }
  auto& adjustments = c.files[records::kFileInventoryTransactions];
  adjustments.reserve(static_cast<std::size_t>(count));
  const std::int32_t first = DateMake(2025, 1, 1);
  for (int i = 0; i < count; ++i) {
    InventoryTransaction t{};
    records::SetText(t.productCode, ProductCode(i % kProducts));
    char number[16];
    std::snprintf(number, sizeof number, "%10d", 100000 + i);
    records::SetText(t.transactionNumber, number);
    t.date = first + DatedDay(i, count, 365) - 1;
    t.source = 'T';
    records::SetText(t.reference, "Generated");
    const bool out = i % 2 == 0;
    t.kind = out ? '5' : '1';
    t.quantity = out ? -2 : 3;
    t.extendedAmount = out ? 0 : 30.0;
    t.unitDivisor = 1;
    records::SetText(t.glAccount, out ? "5100" : "5200");
    t.postedFlag = 'N';
    adjustments.push_back(Image(t));
  }
  return c;
}

// ---- Command 328 -------------------------------------------------------------------------

// True when no adjustment is left unposted.
bool AllPosted() {
  BtrvHandle h = 0;
  InventoryTransaction t{};
  char key[255] = {'N'};
  const bool open = BtrvOpen(&h, FilePathGet(records::kFileInventoryTransactions), 0, 0) == 0;
  const int status = open && BtrvSetKey(h, 2, -1) == 0 ? BtrvGetOp(kOpGetGreaterOrEqual, h, key, &t) : -1;
  BtrvClose(h);
  return open && (status == kStatusEndOfFile || (status == kStatusOk && t.postedFlag == 'Y'));
}

// ---- Raw SQLite -----------------------------------------------------------------------------

std::string AdjustmentKey2(const InventoryTransaction& t) {
  return std::string(1, t.postedFlag) + DateKey(t.date);
}

void RawLoad(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = OpenFresh(path);
  Exec(db,
       "CREATE TABLE accounts(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB);"
       "CREATE INDEX accounts_k0 ON accounts(k0, position);"
       "CREATE TABLE products(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB);"
       "CREATE UNIQUE INDEX products_k0 ON products(k0);"
       "CREATE TABLE adjustments(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB, k1 BLOB, k2 BLOB, k3 BLOB);"
       "CREATE INDEX adjustments_k0 ON adjustments(k0, position);"
       "CREATE INDEX adjustments_k1 ON adjustments(k1, position);"
       "CREATE INDEX adjustments_k2 ON adjustments(k2, position);"
       "CREATE INDEX adjustments_k3 ON adjustments(k3, position);"
       "CREATE TABLE headers(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB, k1 BLOB);"
       "CREATE UNIQUE INDEX headers_k0 ON headers(k0);"
       "CREATE INDEX headers_k1 ON headers(k1, position);"
       "CREATE TABLE lines(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB, k1 BLOB, k2 BLOB);"
       "CREATE INDEX lines_k0 ON lines(k0, position);"
       "CREATE INDEX lines_k1 ON lines(k1, position);"
       "CREATE INDEX lines_k2 ON lines(k2, position);"
       "CREATE TABLE sequences(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB);"
       "CREATE UNIQUE INDEX sequences_k0 ON sequences(k0);"
       "BEGIN");
  InsertImages(db, "INSERT INTO accounts(image, k0) VALUES(?, ?)", c.files.at(records::kFileGLAccounts),
               [](const char* img) { return std::vector<std::string>{TextKey(img, 11, true)}; });
  InsertImages(db, "INSERT INTO products(image, k0) VALUES(?, ?)", c.files.at(records::kFileProducts),
               [](const char* img) { return std::vector<std::string>{TextKey(img, 15, true)}; });
  InsertImages(db, "INSERT INTO adjustments(image, k0, k1, k2, k3) VALUES(?, ?, ?, ?, ?)",
               c.files.at(records::kFileInventoryTransactions), [](const char* img) {
                 InventoryTransaction r;
                 std::memcpy(&r, img, sizeof r);
                 return std::vector<std::string>{TextKey(r.productCode, 15, true) + TextKey(r.transactionNumber, 11, false),
                                                 TextKey(r.productCode, 15, true) + DateKey(r.date), AdjustmentKey2(r),
                                                 TextKey(r.transactionNumber, 11, false)};
               });
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

// One "IA" transaction of the raw run: its header's position and its merged
// lines' positions by account and side.
struct RawPeriod {
  sqlite3_int64 header = 0;
  TagGLHeader image{};
  std::map<std::pair<std::string, char>, sqlite3_int64> lines;
  int debitLine = 1, creditLine = 10000;
};

// Records of one raw table a group rewrites, kept by position and written
// as the group commits.
template <class Record>
struct Kept {
  sqlite3_stmt* update;
  std::map<sqlite3_int64, Record> records;
  void Write() {
    for (auto& [at, r] : records) UpdateImage(update, &r, sizeof r, at);
    records.clear();
  }
};

double RawPost(const std::string& path, int n) {
  sqlite3* db = OpenForRun(path);
  const auto start = std::chrono::steady_clock::now();
  long posted = 0;
  sqlite3_stmt* walk = Prepare(db, "SELECT position, image FROM adjustments WHERE k2 >= ? ORDER BY k2, position");
  sqlite3_stmt* account = Prepare(db, "SELECT position, image FROM accounts WHERE k0 = ?");
  sqlite3_stmt* product = Prepare(db, "SELECT position, image FROM products WHERE k0 = ?");
  sqlite3_stmt* adjustment = Prepare(db, "SELECT image FROM adjustments WHERE position = ?");
  sqlite3_stmt* mark = Prepare(db, "UPDATE adjustments SET image = ?, k2 = ? WHERE position = ?");
  sqlite3_stmt* sequence = Prepare(db, "SELECT position, image FROM sequences WHERE k0 = ?");
  sqlite3_stmt* sequenceInsert = Prepare(db, "INSERT INTO sequences(image, k0) VALUES(?, ?)");
  sqlite3_stmt* headerInsert = Prepare(db, "INSERT INTO headers(image, k0, k1) VALUES(?, ?, ?)");
  sqlite3_stmt* lineInsert = Prepare(db, "INSERT INTO lines(image, k0, k1, k2) VALUES(?, ?, ?, ?)");
  Kept<GLAccount> accounts{Prepare(db, "UPDATE accounts SET image = ? WHERE position = ?"), {}};
  Kept<TagProduct> products{Prepare(db, "UPDATE products SET image = ? WHERE position = ?"), {}};
  Kept<TagGLHeader> headers{Prepare(db, "UPDATE headers SET image = ? WHERE position = ?"), {}};
  Kept<GLLine> lines{Prepare(db, "UPDATE lines SET image = ? WHERE position = ?"), {}};
  Kept<records::TranSequence> sequences{Prepare(db, "UPDATE sequences SET image = ? WHERE position = ?"), {}};
  {
    const std::int32_t endDate = DateMake(2025, 12, 31);
    // Where each product and account is (read once), and the records a
    // group keeps.
    std::map<std::string, sqlite3_int64> productAt, accountAt;
    auto keptProduct = [&](const char* code) -> TagProduct& {
      const std::string key = TextKey(code, 15, true);
      auto at = productAt.find(key);
      if (at == productAt.end()) {
        TagProduct p;
        at = productAt.emplace(key, ReadByKey(product, key, &p, sizeof p)).first;
      }
      auto it = products.records.find(at->second);
      if (it == products.records.end()) {
        TagProduct p;
        ReadByKey(product, key, &p, sizeof p);
        it = products.records.emplace(at->second, p).first;
      }
      return it->second;
    };
    auto keptAccount = [&](const std::string& code) -> GLAccount& {
      const std::string key = TextKey(code.c_str(), 11, true);
      auto at = accountAt.find(key);
      if (at == accountAt.end()) {
        GLAccount a;
        at = accountAt.emplace(key, ReadByKey(account, key, &a, sizeof a)).first;
      }
      auto it = accounts.records.find(at->second);
      if (it == accounts.records.end()) {
        GLAccount a;
        ReadByKey(account, key, &a, sizeof a);
        it = accounts.records.emplace(at->second, a).first;
      }
      return it->second;
    };

    // The check pass.
    std::vector<sqlite3_int64> candidates;
    Bind(walk, 1, std::string("N"));
    while (sqlite3_step(walk) == SQLITE_ROW) {
      InventoryTransaction t;
      std::memcpy(&t, sqlite3_column_blob(walk, 1), sizeof t);
      if (t.postedFlag != 'N' || t.date > endDate) break;
      GLAccount a;
      TagProduct p;
      ReadByKey(account, TextKey(t.glAccount, 11, true), &a, sizeof a);
      ReadByKey(product, TextKey(t.productCode, 15, true), &p, sizeof p);
      candidates.push_back(sqlite3_column_int64(walk, 0));
    }
    sqlite3_reset(walk);

    // The posting pass.
    struct Period {
      sqlite3_int64 header = 0;
      std::map<std::pair<std::string, char>, sqlite3_int64> lines;
      int debitLine = 1, creditLine = 10000;
    };
    std::map<int, Period> periods;
    std::map<sqlite3_int64, TagGLHeader> headerImage;
    std::map<sqlite3_int64, GLLine> lineImage;
    auto postLine = [&](Period& period, const TagGLHeader& h, const std::string& code, char side, double amount) {
      auto found = period.lines.find({code, side});
      if (found != period.lines.end()) {
        GLLine& l = lineImage[found->second];
        l.amount = NumRound(l.amount + amount, 2);
        lines.records[found->second] = l;
      } else {
        GLLine l{};
        std::memcpy(l.journalCode, h.journalCode, sizeof l.journalCode);
        std::memcpy(l.transactionNumber, h.transactionNumber, sizeof l.transactionNumber);
        l.lineNumber = static_cast<std::uint16_t>(side == 'D' ? period.debitLine++ : period.creditLine++);
        records::SetText(l.account, code);
        records::SetText(l.description, "Summary Inventory Post");
        l.side = side;
        l.amount = amount;
        l.date = h.date;
        sqlite3_bind_blob(lineInsert, 1, &l, sizeof l, SQLITE_STATIC);
        Bind(lineInsert, 2, TextKey(l.journalCode, 18, false));
        Bind(lineInsert, 3,
             TextKey(l.journalCode, 18, false) + std::string(reinterpret_cast<const char*>(&l.lineNumber), 2));
        Bind(lineInsert, 4, TextKey(l.account, 11, false));
        StepReset(lineInsert);
        const sqlite3_int64 at = sqlite3_last_insert_rowid(db);
        period.lines[{code, side}] = at;
        lineImage[at] = l;
      }
      GLAccount& a = keptAccount(code);
      const double signed_ = (side == 'D') == (a.kind == 1) ? amount : -amount;
      a.currentBalance = NumRound(a.currentBalance + signed_, 2);
    };
    RawGroups groups(db);
    auto writeGroup = [&] {
      accounts.Write();
      products.Write();
      headers.Write();
      lines.Write();
      sequences.Write();
    };
    for (const sqlite3_int64 at : candidates) {
      groups.UnitBegin();
      InventoryTransaction t;
      sqlite3_bind_int64(adjustment, 1, at);
      sqlite3_step(adjustment);
      std::memcpy(&t, sqlite3_column_blob(adjustment, 0), sizeof t);
      sqlite3_reset(adjustment);
      TagProduct& p = keptProduct(t.productCode);
      double value = t.extendedAmount;
      if (t.kind == '5') {
        t.unitCost = p.averageCost;
        t.extendedAmount = value = NumRound(p.averageCost * t.quantity, 2);
      }
      p.valueOnHand = NumRound(p.valueOnHand + value, 2);
      p.quantityOnHand += t.quantity;
      p.secondQuantityOnHand += t.quantity;
      p.averageCost = NumRound(p.valueOnHand / p.quantityOnHand, 4);

      int year = 0, month = 0, day = 0;
      DateSplit(t.date, &year, &month, &day);
      Period& period = periods[month];
      const double amount = value < 0 ? -value : value;
      const bool in = t.kind == '1';
      if (period.header == 0) {
        records::TranSequence s{};
        const std::string seqKey = TextKey("IA", 7, false);
        const sqlite3_int64 seqAt = ReadByKey(sequence, seqKey, &s, sizeof s);
        ++s.lastNumber;
        if (seqAt == 0) {
          records::SetPadded(s.journalCode, "IA");
          sqlite3_bind_blob(sequenceInsert, 1, &s, sizeof s, SQLITE_STATIC);
          Bind(sequenceInsert, 2, seqKey);
          StepReset(sequenceInsert);
        } else {
          sequences.records[seqAt] = s;
        }
        TagGLHeader h{};
        records::SetPadded(h.journalCode, "IA");
        char number[16];
        std::snprintf(number, sizeof number, "%10d", static_cast<int>(s.lastNumber));
        records::SetText(h.transactionNumber, number);
        h.date = DateAddDays(DateMake(month == 12 ? 2026 : 2025, month == 12 ? 1 : month + 1, 1), -1);
        h.postedFlag = 'Y';
        h.amount = in ? amount : 0;
        sqlite3_bind_blob(headerInsert, 1, &h, sizeof h, SQLITE_STATIC);
        Bind(headerInsert, 2, TextKey(h.journalCode, 18, false));
        Bind(headerInsert, 3, DateKey(h.date));
        StepReset(headerInsert);
        period.header = sqlite3_last_insert_rowid(db);
        headerImage[period.header] = h;
      } else if (in) {
        TagGLHeader& h = headerImage[period.header];
        h.amount = NumRound(h.amount + amount, 2);
        headers.records[period.header] = h;
      }
      const TagGLHeader& h = headerImage[period.header];
      postLine(period, h, "1300", in ? 'D' : 'C', amount);
      postLine(period, h, std::string(records::Trimmed(t.glAccount)), in ? 'C' : 'D', amount);

      t.postedFlag = 'Y';
      sqlite3_bind_blob(mark, 1, &t, sizeof t, SQLITE_STATIC);
      Bind(mark, 2, AdjustmentKey2(t));
      sqlite3_bind_int64(mark, 3, at);
      StepReset(mark);
      groups.UnitEnd(writeGroup);
      ++posted;
    }
    groups.End(writeGroup);
  }
  const double seconds = SecondsSince(start);
  for (sqlite3_stmt* st : {walk, account, product, adjustment, mark, sequence, sequenceInsert, headerInsert,
                           lineInsert, accounts.update, products.update, headers.update, lines.update,
                           sequences.update})
    sqlite3_finalize(st);
  sqlite3_close(db);
  return posted == n ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  PostingBench bench;
  bench.label = "post";
  bench.unit = "adjustment";
  bench.command = 328;
  bench.keys = "\"123125\" F10 Enter";
  bench.today = "2025-12-15";
  bench.todayDate = DateMake(2025, 12, 15);
  bench.company = Company;
  bench.summary = [](int n) { return std::to_string(n) + " transactions posted."; };
  bench.inProcess = [](const std::string&, int) {
    const auto start = std::chrono::steady_clock::now();
    RunInventoryPost();
    const double seconds = SecondsSince(start);
    return AllPosted() ? seconds : -1;
  };
  bench.raws = {{"raw", RawLoad, RawPost}};
  return RunSizedBenches(argc, argv, "inventory-posting-bench", {bench}, "QX_BENCH_TRANSACTIONS", "10000,100000");
}
