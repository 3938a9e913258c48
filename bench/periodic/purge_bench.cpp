// The purge of posted G/L transactions against raw SQLite doing the same
// reads and deletes.
//
// A generated company holds 100,000 posted G/L transactions of three lines
// each in March 2025 (QX_BENCH_TRANSACTIONS changes the count).
// "gl/qxa" runs command 390 on the script device with the general ledger
// chosen and the window of March (F10, then Enter on the completion
// message, Esc to leave): every transaction goes, each with its lines as one
// record-manager transaction.  The raw side keeps the same records in
// tables of the same shape (position, image, one encoded column per key
// with an index on each, WAL, synchronous NORMAL) and, per header in date
// order, deletes its lines and the header in a transaction of its own.  The
// ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/purge_files.h"
#include "qxabase.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/transactions.h"

namespace {

using namespace benchsupport;
using records::GLLine;
using records::TagGLHeader;

int Transactions() { return CountFromEnv("QX_BENCH_TRANSACTIONS", 100000); }

std::string g_root;

fixture::CompanyImage Company(int count) {
  fixture::CompanyImage c;
  c.files[records::kFileSettings].push_back(Image(OpenYear2025()));
  auto& headers = c.files[records::kFileGLHeaders];
  auto& lines = c.files[records::kFileGLLines];
  headers.reserve(static_cast<std::size_t>(count));
  lines.reserve(3 * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    TagGLHeader h = GeneratedGLHeader(i, count);
    h.postedFlag = 'Y';
    h.sourceFlag = h.checkFlag = 'N';
    headers.push_back(Image(h));
    for (int k = 0; k < 3; ++k) {
      GLLine l{};
      std::memcpy(l.journalCode, h.journalCode, sizeof l.journalCode);
      std::memcpy(l.transactionNumber, h.transactionNumber, sizeof l.transactionNumber);
      l.lineNumber = static_cast<std::uint16_t>(k);
      records::SetText(l.account, k == 0 ? "1010" : "4000");
      l.side = k == 0 ? 'D' : 'C';
      l.amount = k == 0 ? 20.0 : 10.0;
      l.date = h.date;
      lines.push_back(Image(l));
    }
  }
  return c;
}

// The records left in a file.
int Left(int fileNo) {
  BtrvHandle h = 0;
  if (BtrvOpen(&h, FilePathGet(fileNo), 0, 0) != 0) return -1;
  std::vector<unsigned char> record(records::FindFile(fileNo)->recordLength);
  char key[255] = {};
  int n = 0;
  for (int op = kOpGetFirst; BtrvGetOp(op, h, key, record.data()) == kStatusOk; op = kOpGetNext) ++n;
  BtrvClose(h);
  return n;
}

// ---- Command 390 -----------------------------------------------------------------------------

void QxaPurge(benchmark::State& state) {
  const int n = Transactions();
  const std::string folder = g_root + "/qxa";
  for (auto _ : state) {
    state.PauseTiming();
    if (!PrepareCommand(state, Company(n), folder, "F10 Enter Esc", DateMake(2025, 3, 15), 390)) return;
    state.ResumeTiming();
    RunPurgeFiles();
    state.PauseTiming();
    const bool done = Left(records::kFileGLHeaders) == 0 && Left(records::kFileGLLines) == 0;
    state.ResumeTiming();
    if (!done) state.SkipWithError("the run did not purge every transaction");
  }
  state.SetItemsProcessed(n);
}

// ---- Raw SQLite ----------------------------------------------------------------------------

void RawLoad(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = OpenFresh(path);
  Exec(db, "BEGIN");
  for (int fileNo : {records::kFileGLHeaders, records::kFileGLLines}) {
    Table t(db, fileNo, true);
    for (const auto& image : c.files.at(fileNo)) t.Insert(image.data());
  }
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

void RawPurge(benchmark::State& state) {
  const int n = Transactions();
  const std::string path = g_root + "/raw.sqlite";
  long purged = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RawLoad(path, Company(n));
    state.ResumeTiming();
    sqlite3* db = OpenForRun(path);
    {
      // The headers of March in date order (key 1), each with its lines (key 0).
      DateWalk walk(db, "t27", "k1", DateMake(2025, 3, 1), DateMake(2025, 3, 31));
      sqlite3_stmt* deleteLines = Prepare(db, "DELETE FROM t26 WHERE k0 = ?");
      sqlite3_stmt* deleteHeader = Prepare(db, "DELETE FROM t27 WHERE position = ?");
      TagGLHeader h;
      while (walk.Next(&h, sizeof h)) {
        if (h.postedFlag != 'Y') continue;
        Exec(db, "BEGIN IMMEDIATE");
        Bind(deleteLines, 1, TextKey(h.journalCode, 18, false));
        StepReset(deleteLines);
        sqlite3_bind_int64(deleteHeader, 1, walk.position());
        StepReset(deleteHeader);
        Exec(db, "COMMIT");
        ++purged;
      }
      sqlite3_finalize(deleteLines);
      sqlite3_finalize(deleteHeader);
    }
    sqlite3_close(db);
  }
  state.SetItemsProcessed(purged);
}

}  // namespace

int main(int argc, char** argv) {
  return BenchMain(argc, argv, "purge-bench", "purge", &g_root, [] {
    Register("gl/qxa", QxaPurge);
    Register("gl/raw", RawPurge);
  });
}
