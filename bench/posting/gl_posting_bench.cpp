// General-ledger posting at 10,000, 100,000 and 1,000,000 transactions,
// beside raw SQLite doing the same books' work.
//
// A generated company (the fixture loader's WriteCompany) holds n G/L
// transactions of three lines each in March 2025 over 50 accounts
// (QX_BENCH_TRANSACTIONS="10000,100000,1000000" chooses the sizes).  For each
// size:
//   - "qxa": command 320 through its screen on the script device (F10, then
//     the summary's Enter), with the ledger's pre-check off; "qxa_checked"
//     (100,000 only) with it on;
//   - "nav": raw SQLite walking the same records as the posting does (tables
//     of the same shape: position, image, one encoded column per key, an
//     index on each key with the position; WAL, synchronous NORMAL): per
//     transaction in date order the header, its lines and their accounts are
//     read and the accounts and the header updated, each transaction a
//     savepoint, committed in groups of 1000 as the posting commits;
//   - "floor": raw SQLite posting the same books set-based, the fewest steps
//     SQLite can take: one UPDATE of the accounts from the lines' sums and
//     one of the headers, in one transaction, over tables of plain columns.
// Each run is a child process of a parent that holds no company, so that
// the child's peak resident memory (wait4) is the run's own.  The table at
// the end gives, per size, the time per transaction and the peak memory of
// each, and the posting's ratio to the floor and to the navigational walk.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
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

namespace fs = std::filesystem;
using namespace benchsupport;

constexpr int kAccounts = 50;
constexpr int kCheckedSize = 100000;  // the pre-checked run is measured at this size only
constexpr int kNavGroup = 1000;       // transactions per commit of the navigational walk

std::vector<int> Sizes() {
  const char* env = std::getenv("QX_BENCH_TRANSACTIONS");
  std::vector<int> sizes;
  std::istringstream in(env ? env : "10000,100000,1000000");
  for (std::string item; std::getline(in, item, ',');) {
    if (const int n = std::atoi(item.c_str()); n > 0) sizes.push_back(n);
  }
  return sizes;
}

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

// ---- Runs in child processes ---------------------------------------------------------------

struct ChildResult {
  bool ok = false;
  double seconds = 0;    // as the child measured its work
  double peakMiB = 0;    // the child's peak resident memory
};

// Runs `work` (returning its seconds, negative on a failure) in a child
// process, which shares no record-manager connection with this one.
ChildResult InChild(const std::function<double()>& work) {
  BtrvReset();
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const double seconds = work();
    const ssize_t written = write(fds[1], &seconds, sizeof seconds);
    _exit(written == sizeof seconds && seconds >= 0 ? 0 : 1);
  }
  close(fds[1]);
  ChildResult r;
  double seconds = -1;
  const bool got = read(fds[0], &seconds, sizeof seconds) == sizeof seconds;
  close(fds[0]);
  int status = 0;
  struct rusage usage{};
  wait4(pid, &status, 0, &usage);
  r.ok = got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  r.seconds = seconds;
  r.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB on Linux
  return r;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---- Raw SQLite ---------------------------------------------------------------------------

using Bytes = std::vector<std::uint8_t>;

template <class Record>
Record As(const Bytes& image) {
  Record r;
  std::memcpy(&r, image.data(), sizeof r);
  return r;
}

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

// The navigational walk's tables: the client's shape.
void LoadNavigational(const std::string& path, const fixture::CompanyImage& c) {
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

// The set-based floor's tables: plain columns.
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

double NavigationalPost(const std::string& path, int n) {
  sqlite3* db = OpenForRun(path);
  const auto start = std::chrono::steady_clock::now();
  // The headers of March in date order (key 1).
  DateWalk walk(db, "headers", "k1", DateMake(2025, 3, 1), DateMake(2025, 3, 31));
  sqlite3_stmt* linesOf = Prepare(db, "SELECT image FROM lines WHERE k0 = ? ORDER BY position");
  sqlite3_stmt* account = Prepare(db, "SELECT position, image FROM accounts WHERE k0 = ?");
  sqlite3_stmt* accountUpdate = Prepare(db, "UPDATE accounts SET image = ? WHERE position = ?");
  sqlite3_stmt* headerUpdate = Prepare(db, "UPDATE headers SET image = ? WHERE position = ?");
  sqlite3_stmt* begin = Prepare(db, "BEGIN IMMEDIATE");
  sqlite3_stmt* commit = Prepare(db, "COMMIT");
  sqlite3_stmt* savepoint = Prepare(db, "SAVEPOINT unit");
  sqlite3_stmt* release = Prepare(db, "RELEASE unit");
  long posted = 0;
  int inGroup = 0;
  std::vector<records::GLLine> tranLines;
  records::TagGLHeader h;
  while (walk.Next(&h, sizeof h)) {
    if (inGroup == 0) StepReset(begin);
    StepReset(savepoint);
    tranLines.clear();
    Bind(linesOf, 1, TextKey(h.journalCode, 18, false));
    while (sqlite3_step(linesOf) == SQLITE_ROW) {
      records::GLLine l;
      std::memcpy(&l, sqlite3_column_blob(linesOf, 0), sizeof l);
      tranLines.push_back(l);
    }
    sqlite3_reset(linesOf);
    for (const auto& l : tranLines) {
      records::GLAccount a;
      const sqlite3_int64 at = ReadByKey(account, TextKey(l.account, 11, true), &a, sizeof a);
      if (at == 0) return -1;
      const double signed_ = (l.side == 'D') == (a.kind == 1) ? double(l.amount) : -double(l.amount);
      a.currentBalance = NumRound(a.currentBalance + signed_, 2);
      a.periodAmounts[2] = NumRound(a.periodAmounts[2] + signed_, 2);
      UpdateImage(accountUpdate, &a, sizeof a, at);
    }
    h.postedFlag = 'Y';
    UpdateImage(headerUpdate, &h, sizeof h, walk.position());
    StepReset(release);
    if (++inGroup == kNavGroup) {
      StepReset(commit);
      inGroup = 0;
    }
    ++posted;
  }
  if (inGroup > 0) StepReset(commit);
  const double seconds = SecondsSince(start);
  for (sqlite3_stmt* st : {linesOf, account, accountUpdate, headerUpdate, begin, commit, savepoint, release})
    sqlite3_finalize(st);
  sqlite3_close(db);
  return posted == n ? seconds : -1;
}

// ---- Command 320 -------------------------------------------------------------------------

double QxaPost(const std::string& folder) {
  SetUpCommand(folder, "F10 Enter", DateMake(2025, 3, 15), 320);
  const auto start = std::chrono::steady_clock::now();
  RunGLPost();
  const double seconds = SecondsSince(start);
  // The run posted every transaction: the last one is marked.
  BtrvHandle h = 0;
  records::TagGLHeader last{};
  char key[255] = {};
  const bool ok = BtrvOpen(&h, FilePathGet(records::kFileGLHeaders), 0, 0) == 0 && BtrvSetKey(h, 1, -1) == 0 &&
                  BtrvGetOp(kOpGetLast, h, key, &last) == 0 && last.postedFlag == 'Y';
  BtrvClose(h);
  return ok ? seconds : -1;
}

// ---- The sizes -----------------------------------------------------------------------------

struct Figures {
  ChildResult qxa, checked, nav, floor;
};
std::map<int, Figures> g_figures;

std::string Folder(int n, const char* what) { return g_root + "/" + std::to_string(n) + "-" + what; }

const char* const kParts[] = {"qxa", "qxa-checked", "nav.sqlite", "floor.sqlite"};

void Remove(int n) {
  std::error_code ec;
  for (const char* part : kParts) {
    fs::remove_all(Folder(n, part), ec);
    for (const char* suffix : {"-wal", "-shm"}) fs::remove(Folder(n, part) + suffix, ec);
  }
}

// Writes the companies and raw databases of size `n` (removing those of the
// size before), in a child so that this process never holds them.
bool Generate(int n) {
  static int generated = 0;
  if (generated == n) return true;
  if (generated != 0) Remove(generated);
  generated = 0;
  const bool ok = InChild([n]() -> double {
                    fixture::Problem problem;
                    {
                      const fixture::CompanyImage c = Company(n, false);
                      if (!fixture::WriteCompany(c, Folder(n, "qxa"), fixture::WriteOptions{true}, &problem)) {
                        std::fprintf(stderr, "%s\n", problem.Text().c_str());
                        return -1;
                      }
                      LoadNavigational(Folder(n, "nav.sqlite"), c);
                      LoadFloor(Folder(n, "floor.sqlite"), c);
                    }
                    if (n == kCheckedSize && !fixture::WriteCompany(Company(n, true), Folder(n, "qxa-checked"),
                                                                    fixture::WriteOptions{true}, &problem)) {
                      std::fprintf(stderr, "%s\n", problem.Text().c_str());
                      return -1;
                    }
                    return 0;
                  }).ok;
  if (ok) generated = n;
  return ok;
}

void Report(benchmark::State& state, const ChildResult& r, int n) {
  if (!r.ok) {
    state.SkipWithError("the run did not post every transaction");
    return;
  }
  state.SetIterationTime(r.seconds);
  state.counters["us_per_txn"] = r.seconds * 1e6 / n;
  state.counters["peak_MiB"] = r.peakMiB;
  state.SetItemsProcessed(n);
}

// One run of one size (the size generated first when it is not yet).
void RunSize(benchmark::State& state, int n, const std::string& what) {
  for (auto _ : state) {
    if (!Generate(n)) {
      state.SkipWithError("the company could not be generated");
      return;
    }
    Figures& f = g_figures[n];
    ChildResult r;
    if (what == "qxa") {
      r = f.qxa = InChild([n] { return QxaPost(Folder(n, "qxa")); });
    } else if (what == "qxa_checked") {
      r = f.checked = InChild([n] { return QxaPost(Folder(n, "qxa-checked")); });
    } else if (what == "nav") {
      r = f.nav = InChild([n] { return NavigationalPost(Folder(n, "nav.sqlite"), n); });
    } else {
      r = f.floor = InChild([n] { return FloorPost(Folder(n, "floor.sqlite"), n); });
    }
    Report(state, r, n);
  }
}

void PrintTable() {
  std::printf("\n%12s %14s %10s %14s %10s %14s %10s %8s %8s\n", "transactions", "posting us/tx", "peak MiB",
              "nav us/tx", "peak MiB", "floor us/tx", "peak MiB", "/floor", "/nav");
  for (const auto& [n, f] : g_figures) {
    auto per = [n](const ChildResult& r) { return r.ok ? r.seconds * 1e6 / n : 0.0; };
    std::printf("%12d %14.2f %10.1f %14.2f %10.1f %14.2f %10.1f %8.1f %8.2f\n", n, per(f.qxa), f.qxa.peakMiB,
                per(f.nav), f.nav.peakMiB, per(f.floor), f.floor.peakMiB,
                f.floor.ok && f.floor.seconds > 0 ? f.qxa.seconds / f.floor.seconds : 0.0,
                f.nav.ok && f.nav.seconds > 0 ? f.qxa.seconds / f.nav.seconds : 0.0);
    if (f.checked.ok)
      std::printf("%12s %14.2f %10.1f   (the ledger's pre-check on)\n", "", per(f.checked), f.checked.peakMiB);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // QX_BENCH_KEEP=<folder>: the companies are made there and left (to run
  // the program on them by hand).
  const char* keep = std::getenv("QX_BENCH_KEEP");
  char tmpl[] = "/tmp/gl-posting-bench-XXXXXX";
  g_root = keep ? keep : mkdtemp(tmpl);
  for (const int n : Sizes()) {
    auto reg = [n](const char* what) {
      const std::string name = std::string("post/") + what + "/" + std::to_string(n);
      benchmark::RegisterBenchmark(name.c_str(), [n, w = std::string(what)](benchmark::State& s) { RunSize(s, n, w); })
          ->Iterations(1)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    };
    reg("qxa");
    if (n == kCheckedSize) reg("qxa_checked");
    reg("nav");
    reg("floor");
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  PrintTable();
  if (!keep) {
    std::error_code ec;
    fs::remove_all(g_root, ec);
  }
  return 0;
}
