// General-ledger posting against raw SQLite doing the same reads and writes.
//
// A generated company (the fixture loader's WriteCompany) holds 100,000 G/L
// transactions of three lines each in March 2025 over 50 accounts
// (QX_BENCH_TRANSACTIONS changes the count).  "post/qxa" runs command 320
// through its screen on the script device (F10, then the summary's Enter),
// with the ledger's pre-check off; "post_checked/qxa" with it on.  The raw
// side keeps the same records in tables of the same shape (position, image,
// one encoded column per key, an index on each key with the position, WAL,
// synchronous NORMAL) and, per transaction in date order, reads the header,
// its lines and their accounts, updates the accounts and the header, and
// commits; the checked variant reads the lines and accounts once more first.
// The ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "btrvc.h"
#include "fixture/company.h"
#include "posting/gl_posting.h"
#include "qxabase.h"
#include "qxabase/posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace {

using namespace benchsupport;

constexpr int kAccounts = 50;

int Transactions() { return CountFromEnv("QX_BENCH_TRANSACTIONS", 100000); }

std::string g_root;

std::string AccountCode(int i) { return std::to_string(1000 + 10 * i); }
bool DebitKind(int i) { return i % 3 != 1; }

// The generated company: periods, accounts and `count` transactions.
fixture::CompanyImage Company(int count, bool checkFirst) {
  fixture::CompanyImage c;
  c.files[records::kFileSettings].push_back(Image(OpenYear2025()));
  // The ledger's options: the pre-check as the run asks.
  std::vector<std::uint8_t> options(80, 0);
  std::memset(options.data(), ' ', 15);
  std::memcpy(options.data(), "0PostOptions", 12);
  options[16 + 1] = checkFirst ? 'Y' : 'N';
  c.files[records::kFileSettings].push_back(options);

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
    h.postedFlag = h.sourceFlag = h.checkFlag = 'N';
    h.journalPrinted = DateMake(2025, 3, 31);
    headers.push_back(Image(h));
    const double x = 10.00 + i % 997, y = 0.25 * (i % 41);
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

// ---- Command 320 -------------------------------------------------------------------------

void QxaPost(benchmark::State& state, bool checkFirst) {
  const int n = Transactions();
  const std::string folder = g_root + (checkFirst ? "/qxa-checked" : "/qxa");
  for (auto _ : state) {
    state.PauseTiming();
    if (!PrepareCommand(state, Company(n, checkFirst), folder, "F10 Enter", DateMake(2025, 3, 15), 320)) return;
    state.ResumeTiming();
    RunGLPost();
    state.PauseTiming();
    // The run posted every transaction: the last one is marked.
    BtrvHandle h = 0;
    records::TagGLHeader last{};
    char key[255] = {};
    const bool ok = BtrvOpen(&h, FilePathGet(records::kFileGLHeaders), 0, 0) == 0 &&
                    BtrvSetKey(h, 1, -1) == 0 && BtrvGetOp(kOpGetLast, h, key, &last) == 0 &&
                    last.postedFlag == 'Y';
    BtrvClose(h);
    state.ResumeTiming();
    if (!ok) state.SkipWithError("the run did not post every transaction");
  }
  state.SetItemsProcessed(n);
}

// ---- Raw SQLite -----------------------------------------------------------------------------

void RawLoad(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = OpenFresh(path);
  Exec(db,
       "CREATE TABLE accounts(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB);"
       "CREATE INDEX accounts_k0 ON accounts(k0, position);"
       "CREATE TABLE headers(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB, k1 BLOB);"
       "CREATE UNIQUE INDEX headers_k0 ON headers(k0);"
       "CREATE INDEX headers_k1 ON headers(k1, position);"
       "CREATE TABLE lines(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB, k1 BLOB, k2 BLOB);"
       "CREATE INDEX lines_k0 ON lines(k0, position);"
       "CREATE INDEX lines_k1 ON lines(k1, position);"
       "CREATE INDEX lines_k2 ON lines(k2, position);"
       "BEGIN");
  using records::GLLine;
  using records::TagGLHeader;
  InsertImages(db, "INSERT INTO accounts(image, k0) VALUES(?, ?)", c.files.at(records::kFileGLAccounts),
               [](const char* img) { return std::vector<std::string>{TextKey(img, 11, true)}; });
  InsertImages(db, "INSERT INTO headers(image, k0, k1) VALUES(?, ?, ?)", c.files.at(records::kFileGLHeaders),
               [](const char* img) {
                 TagGLHeader r;
                 std::memcpy(&r, img, sizeof r);
                 return std::vector<std::string>{TextKey(r.journalCode, 18, false), DateKey(r.date)};
               });
  InsertImages(db, "INSERT INTO lines(image, k0, k1, k2) VALUES(?, ?, ?, ?)", c.files.at(records::kFileGLLines),
               [](const char* img) {
                 GLLine r;
                 std::memcpy(&r, img, sizeof r);
                 const std::string tran = TextKey(r.journalCode, 18, false);
                 return std::vector<std::string>{
                     tran, tran + std::string(reinterpret_cast<const char*>(&r.lineNumber), 2),
                     TextKey(r.account, 11, false)};
               });
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

void RawPost(benchmark::State& state, bool checkFirst) {
  const int n = Transactions();
  const std::string path = g_root + (checkFirst ? "/raw-checked.sqlite" : "/raw.sqlite");
  long posted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RawLoad(path, Company(n, checkFirst));
    state.ResumeTiming();
    sqlite3* db = OpenForRun(path);
    // The headers of March in date order (key 1).
    DateWalk walk(db, "headers", "k1", DateMake(2025, 3, 1), DateMake(2025, 3, 31));
    sqlite3_stmt* linesOf = Prepare(db, "SELECT image FROM lines WHERE k0 = ? ORDER BY position");
    sqlite3_stmt* account = Prepare(db, "SELECT position, image FROM accounts WHERE k0 = ?");
    sqlite3_stmt* accountUpdate = Prepare(db, "UPDATE accounts SET image = ? WHERE position = ?");
    sqlite3_stmt* headerUpdate = Prepare(db, "UPDATE headers SET image = ? WHERE position = ?");
    std::vector<records::GLLine> tranLines;
    auto readLines = [&](const records::TagGLHeader& h) {
      tranLines.clear();
      Bind(linesOf, 1, TextKey(h.journalCode, 18, false));
      while (sqlite3_step(linesOf) == SQLITE_ROW) {
        records::GLLine l;
        std::memcpy(&l, sqlite3_column_blob(linesOf, 0), sizeof l);
        tranLines.push_back(l);
      }
      sqlite3_reset(linesOf);
    };
    auto readAccount = [&](const records::GLLine& l, records::GLAccount* a) {
      return ReadByKey(account, TextKey(l.account, 11, true), a, sizeof *a);
    };
    records::TagGLHeader h;
    while (walk.Next(&h, sizeof h)) {
      const sqlite3_int64 position = walk.position();
      Exec(db, "BEGIN IMMEDIATE");
      if (checkFirst) {
        readLines(h);
        records::GLAccount a;
        for (const auto& l : tranLines) readAccount(l, &a);
      }
      readLines(h);
      for (const auto& l : tranLines) {
        records::GLAccount a;
        const sqlite3_int64 at = readAccount(l, &a);
        const double signed_ = (l.side == 'D') == (a.kind == 1) ? double(l.amount) : -double(l.amount);
        a.currentBalance = NumRound(a.currentBalance + signed_, 2);
        a.periodAmounts[2] = NumRound(a.periodAmounts[2] + signed_, 2);
        UpdateImage(accountUpdate, &a, sizeof a, at);
      }
      h.postedFlag = 'Y';
      UpdateImage(headerUpdate, &h, sizeof h, position);
      Exec(db, "COMMIT");
      ++posted;
    }
    for (sqlite3_stmt* st : {linesOf, account, accountUpdate, headerUpdate})
      sqlite3_finalize(st);
    sqlite3_close(db);
  }
  if (posted != n) state.SkipWithError("the raw walk did not post every transaction");
  state.SetItemsProcessed(n);
}

}  // namespace

using benchsupport::BenchMain;

int main(int argc, char** argv) {
  return BenchMain(argc, argv, "gl-posting-bench", "posting", &g_root, [] {
    Register("post/qxa", [](benchmark::State& s) { QxaPost(s, false); });
    Register("post/raw", [](benchmark::State& s) { RawPost(s, false); });
    Register("post_checked/qxa", [](benchmark::State& s) { QxaPost(s, true); });
    Register("post_checked/raw", [](benchmark::State& s) { RawPost(s, true); });
  });
}
