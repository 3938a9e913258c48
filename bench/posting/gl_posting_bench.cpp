// General-ledger posting (command 320) at several sizes, beside raw SQLite
// doing the same books' work and a plain-text accounting tool's balance
// report of the same journal.
//
// The company: n G/L transactions of three lines each over 200 accounts, all
// in March 2025, numbered as entry numbers them and dated as a user dates
// them (bench_support.h DatedDay: QX_BENCH_ORDER "late", the default, each
// dated up to six days before the day it was entered; "random"; "entry"),
// so that the posting's walk in date order meets them out of their order on
// file; the ledger's options as a new company has them (the pre-check on).
// QX_BENCH_TRANSACTIONS="10000,100000" chooses the sizes (1,000,000 runs as
// well: the memory of every run stays flat).  The runs (sized_posting_bench.h):
//   - "cmd": qxa15 <company> /only /cmd:320 on a company written by qxload,
//     keys F10 (post) and Enter (the summary);
//   - "qxa": the same command in this program;
//   - "nav": raw SQLite walking the same records as the posting (tables of
//     the client's shape: position, image, one encoded column per key, an
//     index on each; WAL, synchronous NORMAL): per transaction in date order
//     the header, its lines and their accounts are read and the header
//     marked, each transaction after a group's first a savepoint (its
//     journal in memory), committed in groups of 1000;
//     each account is written once a group, as the client writes the
//     records a group rewrites;
//   - "floor": raw SQLite posting the same books set-based, the fewest steps
//     SQLite can take: one UPDATE of the accounts from the lines' sums and
//     one of the headers, in one transaction, over tables of plain columns;
//   - "ledger": `ledger -f <journal> bal`, the balance report of the same
//     transactions written as a ledger journal, when ledger is installed.
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "btrvc.h"
#include "fixture/company.h"
#include "posting/gl_posting.h"
#include "qxabase.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "sized_posting_bench.h"

namespace {

using namespace benchsupport;
using Bytes = std::vector<std::uint8_t>;

constexpr int kAccounts = 200;

std::string AccountCode(int i) { return std::to_string(1000 + 10 * i); }
bool DebitKind(int i) { return i % 3 != 1; }

fixture::CompanyImage Company(int count) {
  fixture::CompanyImage c;
  c.files[records::kFileSettings].push_back(Image(OpenYear2025()));
  for (int i = 0; i < kAccounts; ++i) {
    records::GLAccount a{};
    records::SetText(a.code, AccountCode(i));
    records::SetText(a.name, "Account " + AccountCode(i));
    a.level = '1';
    a.kind = DebitKind(i) ? 1 : 4;
    a.type = 'D';
    a.currentBalance = 100000.00;
    c.files[records::kFileGLAccounts].push_back(Image(a));
  }
  auto& headers = c.files[records::kFileGLHeaders];
  auto& lines = c.files[records::kFileGLLines];
  headers.reserve(count);
  lines.reserve(3 * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    records::TagGLHeader h = GeneratedGLHeader(i, count);
    h.date = DateMake(2025, 3, DatedDay(i, count, 31));
    h.postedFlag = h.sourceFlag = h.checkFlag = 'N';
    h.journalPrinted = DateMake(2025, 3, 31);
    headers.push_back(Image(h));
    const double x = 10.00 + i % 997, y = 0.25 * (1 + i % 41);
    const int accounts[3] = {i % kAccounts, (i * 7 + 1) % kAccounts, (i * 13 + 2) % kAccounts};
    const char sides[3] = {'D', 'C', 'C'};
    const double amounts[3] = {x + y, x, y};
    for (int k = 0; k < 3; ++k) {
      records::GLLine l{};
      std::memcpy(l.journalCode, h.journalCode, 7);
      std::memcpy(l.transactionNumber, h.transactionNumber, 11);
      l.lineNumber = static_cast<std::uint16_t>(k == 0 ? 1 : 1000 + k);
      records::SetText(l.account, AccountCode(accounts[k]));
      records::SetText(l.description, "Generated line");
      l.side = sides[k];
      l.amount = amounts[k];
      l.date = h.date;
      lines.push_back(Image(l));
    }
  }
  return c;
}

template <class Record>
Record As(const Bytes& image) {
  Record r;
  std::memcpy(&r, image.data(), sizeof r);
  return r;
}

// ---- Command 320 in this program -------------------------------------------------------

double QxaPost(const std::string&, int) {
  const auto start = std::chrono::steady_clock::now();
  RunGLPost();
  const double seconds = SecondsSince(start);
  // The run posted every transaction: the last one in date order is marked.
  BtrvHandle h = 0;
  records::TagGLHeader last{};
  char key[255] = {};
  const bool posted = BtrvOpen(&h, FilePathGet(records::kFileGLHeaders), 0, 0) == 0 && BtrvSetKey(h, 1, -1) == 0 &&
                      BtrvGetOp(kOpGetLast, h, key, &last) == 0 && last.postedFlag == 'Y';
  BtrvClose(h);
  return posted ? seconds : -1;
}

// ---- The navigational walk ------------------------------------------------------------

// Inserts a row through `sql` for each image, its columns bound by `bind`.
template <class BindRow>
void InsertEach(sqlite3* db, const char* sql, const std::vector<Bytes>& images, BindRow bind) {
  sqlite3_stmt* st = Prepare(db, sql);
  for (const Bytes& image : images) {
    bind(st, image);
    StepReset(st);
  }
  sqlite3_finalize(st);
}

void LoadNavigational(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = OpenFresh(path);
  Exec(db,
       "CREATE TABLE accounts(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB);"
       "CREATE UNIQUE INDEX accounts_k0 ON accounts(k0);"
       "CREATE TABLE headers(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB, k1 BLOB);"
       "CREATE UNIQUE INDEX headers_k0 ON headers(k0);"
       "CREATE INDEX headers_k1 ON headers(k1);"
       "CREATE TABLE lines(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB, k1 BLOB, k2 BLOB);"
       "CREATE INDEX lines_k0 ON lines(k0);"
       "CREATE UNIQUE INDEX lines_k1 ON lines(k1);"
       "CREATE INDEX lines_k2 ON lines(k2);"
       "BEGIN");
  const auto& files = c.files;
  InsertImages(db, "INSERT INTO accounts(image, k0) VALUES(?, ?)", files.at(records::kFileGLAccounts),
               [](const char* p) { return std::vector<std::string>{TextKey(p, 11, true)}; });
  InsertImages(db, "INSERT INTO headers(image, k0, k1) VALUES(?, ?, ?)", files.at(records::kFileGLHeaders),
               [](const char* p) {
                 records::TagGLHeader r;
                 std::memcpy(&r, p, sizeof r);
                 return std::vector<std::string>{TextKey(r.journalCode, 18, false), DateKey(r.date)};
               });
  InsertImages(db, "INSERT INTO lines(image, k0, k1, k2) VALUES(?, ?, ?, ?)", files.at(records::kFileGLLines),
               [](const char* p) {
                 records::GLLine r;
                 std::memcpy(&r, p, sizeof r);
                 const std::string tran = TextKey(r.journalCode, 18, false);
                 return std::vector<std::string>{
                     tran, tran + std::string(reinterpret_cast<const char*>(&r.lineNumber), 2),
                     TextKey(r.account, 11, false)};
               });
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

double NavigationalPost(const std::string& path, int n) {
  sqlite3* db = OpenForRun(path);
  const auto start = std::chrono::steady_clock::now();
  long posted = 0;
  {
    DateWalk walk(db, "headers", "k1", DateMake(2025, 3, 1), DateMake(2025, 3, 31));
    sqlite3_stmt* linesOf = Prepare(db, "SELECT image FROM lines WHERE k0 = ? ORDER BY position");
    sqlite3_stmt* account = Prepare(db, "SELECT position, image FROM accounts WHERE k0 = ?");
    sqlite3_stmt* accountUpdate = Prepare(db, "UPDATE accounts SET image = ? WHERE position = ?");
    sqlite3_stmt* headerUpdate = Prepare(db, "UPDATE headers SET image = ? WHERE position = ?");
    RawGroups groups(db);
    // The accounts a group moved, written once as it commits.
    struct Kept {
      sqlite3_int64 at;
      records::GLAccount image;
      bool changed;
    };
    std::map<std::string, Kept> accounts;
    auto writeAccounts = [&] {
      for (auto& [code, k] : accounts) {
        if (!k.changed) continue;
        UpdateImage(accountUpdate, &k.image, sizeof k.image, k.at);
        k.changed = false;
      }
      accounts.clear();
    };
    std::vector<records::GLLine> tranLines;
    records::TagGLHeader h;
    while (walk.Next(&h, sizeof h)) {
      groups.UnitBegin();
      tranLines.clear();
      Bind(linesOf, 1, TextKey(h.journalCode, 18, false));
      while (sqlite3_step(linesOf) == SQLITE_ROW) {
        records::GLLine l;
        std::memcpy(&l, sqlite3_column_blob(linesOf, 0), sizeof l);
        tranLines.push_back(l);
      }
      sqlite3_reset(linesOf);
      for (const auto& l : tranLines) {
        const std::string code = TextKey(l.account, 11, true);
        auto it = accounts.find(code);
        if (it == accounts.end()) {
          Kept k{};
          k.at = ReadByKey(account, code, &k.image, sizeof k.image);
          if (k.at == 0) return -1;
          it = accounts.emplace(code, k).first;
        }
        records::GLAccount& a = it->second.image;
        const double signed_ = (l.side == 'D') == (a.kind == 1) ? double(l.amount) : -double(l.amount);
        a.currentBalance = NumRound(a.currentBalance + signed_, 2);
        a.periodAmounts[2] = NumRound(a.periodAmounts[2] + signed_, 2);
        it->second.changed = true;
      }
      h.postedFlag = 'Y';
      UpdateImage(headerUpdate, &h, sizeof h, walk.position());
      groups.UnitEnd(writeAccounts);
      ++posted;
    }
    groups.End(writeAccounts);
    for (sqlite3_stmt* st : {linesOf, account, accountUpdate, headerUpdate}) sqlite3_finalize(st);
  }
  const double seconds = SecondsSince(start);
  sqlite3_close(db);
  return posted == n ? seconds : -1;
}

// ---- The set-based floor -----------------------------------------------------------------

void LoadFloor(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = OpenFresh(path);
  Exec(db,
       "CREATE TABLE accounts(code TEXT PRIMARY KEY, kind INTEGER, balance REAL, march REAL);"
       "CREATE TABLE headers(number TEXT PRIMARY KEY, date INTEGER, posted TEXT);"
       "CREATE INDEX headers_date ON headers(date);"
       "CREATE TABLE lines(number TEXT, account TEXT, side TEXT, amount REAL);"
       "CREATE INDEX lines_number ON lines(number);"
       "BEGIN");
  const auto& files = c.files;
  InsertEach(db, "INSERT INTO accounts VALUES(?, ?, ?, 0)", files.at(records::kFileGLAccounts),
             [](sqlite3_stmt* st, const Bytes& img) {
               const auto r = As<records::GLAccount>(img);
               Bind(st, 1, TextKey(r.code, 11, true));
               sqlite3_bind_int(st, 2, r.kind);
               sqlite3_bind_double(st, 3, r.currentBalance);
             });
  InsertEach(db, "INSERT INTO headers VALUES(?, ?, 'N')", files.at(records::kFileGLHeaders),
             [](sqlite3_stmt* st, const Bytes& img) {
               const auto r = As<records::TagGLHeader>(img);
               Bind(st, 1, TextKey(r.journalCode, 18, false));
               sqlite3_bind_int(st, 2, r.date);
             });
  InsertEach(db, "INSERT INTO lines VALUES(?, ?, ?, ?)", files.at(records::kFileGLLines),
             [](sqlite3_stmt* st, const Bytes& img) {
               const auto r = As<records::GLLine>(img);
               Bind(st, 1, TextKey(r.journalCode, 18, false));
               Bind(st, 2, TextKey(r.account, 11, true));
               sqlite3_bind_text(st, 3, &r.side, 1, SQLITE_TRANSIENT);
               sqlite3_bind_double(st, 4, r.amount);
             });
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

double FloorPost(const std::string& path, int n) {
  sqlite3* db = OpenForRun(path);
  const auto start = std::chrono::steady_clock::now();
  const std::string from = std::to_string(DateMake(2025, 3, 1));
  const std::string to = std::to_string(DateMake(2025, 3, 31));
  const std::string sql =
      "BEGIN IMMEDIATE;"
      "UPDATE accounts SET balance = round(balance + d.delta, 2), march = round(march + d.delta, 2)"
      " FROM (SELECT l.account AS account,"
      "              total(CASE WHEN (l.side = 'D') = (a.kind = 1) THEN l.amount ELSE -l.amount END) AS delta"
      "       FROM headers h JOIN lines l ON l.number = h.number JOIN accounts a ON a.code = l.account"
      "       WHERE h.date BETWEEN " + from + " AND " + to + " AND h.posted = 'N'"
      "       GROUP BY l.account) AS d"
      " WHERE accounts.code = d.account;"
      "UPDATE headers SET posted = 'Y' WHERE date BETWEEN " + from + " AND " + to + " AND posted = 'N';";
  Exec(db, sql.c_str());
  const int marked = sqlite3_changes(db);
  Exec(db, "COMMIT");
  const double seconds = SecondsSince(start);
  sqlite3_close(db);
  return marked == n ? seconds : -1;
}

// ---- The plain-text tool ---------------------------------------------------------------

// The transactions as a ledger journal: each with its date and number, its
// lines' accounts and signed amounts.
void WriteJournal(const std::string& path, const fixture::CompanyImage& c) {
  std::ofstream out(path);
  const auto& headers = c.files.at(records::kFileGLHeaders);
  const auto& lines = c.files.at(records::kFileGLLines);
  char text[96];
  for (std::size_t i = 0; i < headers.size(); ++i) {
    const auto h = As<records::TagGLHeader>(headers[i]);
    int y = 0, m = 0, d = 0;
    DateSplit(h.date, &y, &m, &d);
    std::snprintf(text, sizeof text, "%04d/%02d/%02d * %.10s\n", y, m, d, h.transactionNumber);
    out << text;
    for (std::size_t k = 3 * i; k < 3 * i + 3; ++k) {
      const auto l = As<records::GLLine>(lines[k]);
      std::snprintf(text, sizeof text, "    A:%.10s  $%.2f\n", l.account, l.side == 'D' ? l.amount : -l.amount);
      out << text;
    }
    out << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  PostingBench bench;
  bench.label = "post";
  bench.unit = "transaction";
  bench.command = 320;
  bench.keys = "F10 Enter";
  bench.today = "2025-03-15";
  bench.todayDate = DateMake(2025, 3, 15);
  bench.company = Company;
  bench.summary = [](int n) { return std::to_string(n) + " transactions posted."; };
  bench.inProcess = QxaPost;
  bench.raws = {{"nav", LoadNavigational, NavigationalPost}, {"floor", LoadFloor, FloorPost}};
  const std::string ledger = OnPath("ledger");
  bench.tools = {{"ledger", ledger, WriteJournal, [ledger](const std::string& path) {
                    return std::vector<std::string>{ledger, "-f", path, "bal"};
                  }}};
  return RunSizedBenches(argc, argv, "gl-posting-bench", {bench}, "QX_BENCH_TRANSACTIONS", "10000,100000");
}
