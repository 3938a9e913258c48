// Physical-inventory count entry against raw SQLite doing the same reads and
// writes.
//
// A generated company holds 51,000 products, 50,000 of them counted already
// (QX_BENCH_COUNTS changes the number of counts).  "entry/qxa" runs command
// 391 on the script device: the grid loads every count, then a key script
// enters 1,000 new rows (a product, Enter, a quantity, Enter) and F10 leaves.
// The raw side keeps the same records in tables of the same shape and reads
// the count file in key order, then, for each new row, reads the product
// and looks its count up, and inserts the count.  The ratio is printed at
// the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "btrvc.h"
#include "fixture/company.h"
#include "posting/physical_inventory_count.h"
#include "qxabase.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace {

using namespace benchsupport;
using records::PhysicalCount;
using records::TagProduct;

constexpr int kNewRows = 1000;

int Counts() { return CountFromEnv("QX_BENCH_COUNTS", 50000); }

std::string g_root;

std::string ProductCode(int i) {
  char code[16];
  std::snprintf(code, sizeof code, "P%06d", i);
  return code;
}

fixture::CompanyImage Company(int counts) {
  fixture::CompanyImage c;
  c.files[records::kFileSettings].push_back(Image(OpenYear2025()));
  for (int i = 0; i < counts + kNewRows; ++i) {
    TagProduct p{};
    records::SetText(p.number, ProductCode(i));
    records::SetText(p.description, "Generated product");
    p.productType = 1;
    p.purchaseUnitFactor = p.salesUnitFactor = i % 4 == 0 ? 12 : 1;
    p.quantityOnHand = 100;
    c.files[records::kFileProducts].push_back(Image(p));
    if (i >= counts) continue;
    PhysicalCount count{};
    records::SetText(count.productCode, ProductCode(i));
    count.printedFlag = 'N';
    count.countedQuantity = 90 + i % 20;
    c.files[records::kFilePhysicalCounts].push_back(Image(count));
  }
  return c;
}

// The key script: 1,000 new rows for the products not counted yet.
std::string Keys(int counts) {
  std::string keys;
  for (int i = 0; i < kNewRows; ++i) keys += "\"" + ProductCode(counts + i) + "\" Enter \"7\" Enter ";
  return keys + "F10";
}

// ---- Command 391 -------------------------------------------------------------------------

long CountsOnFile() {
  BtrvHandle h = 0;
  long n = 0;
  if (BtrvOpen(&h, FilePathGet(records::kFilePhysicalCounts), 0, 0) != 0) return -1;
  char key[255] = {};
  PhysicalCount c{};
  for (int op = kOpGetFirst; BtrvGetOp(op, h, key, &c) == kStatusOk; op = kOpGetNext) ++n;
  BtrvClose(h);
  return n;
}

void QxaEntry(benchmark::State& state) {
  const int n = Counts();
  const std::string folder = g_root + "/qxa";
  const std::string keys = Keys(n);
  for (auto _ : state) {
    state.PauseTiming();
    if (!PrepareCommand(state, Company(n), folder, keys.c_str(), DateMake(2025, 3, 15), 391)) return;
    state.ResumeTiming();
    RunPhysicalInventoryEntry();
    state.PauseTiming();
    const bool ok = CountsOnFile() == n + kNewRows;
    state.ResumeTiming();
    if (!ok) state.SkipWithError("the grid did not write every new row");
  }
  state.SetItemsProcessed(n + kNewRows);
}

// ---- Raw SQLite -----------------------------------------------------------------------------

void RawLoad(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = OpenFresh(path);
  Exec(db,
       "CREATE TABLE products(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB, k1 BLOB);"
       "CREATE UNIQUE INDEX products_k0 ON products(k0);"
       "CREATE INDEX products_k1 ON products(k1, position);"
       "CREATE TABLE counts(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB);"
       "CREATE UNIQUE INDEX counts_k0 ON counts(k0);"
       "BEGIN");
  InsertImages(db, "INSERT INTO products(image, k0, k1) VALUES(?, ?, ?)", c.files.at(records::kFileProducts),
               [](const char* img) {
                 TagProduct r;
                 std::memcpy(&r, img, sizeof r);
                 return std::vector<std::string>{TextKey(r.number, 15, true), TextKey(r.description, 31, true)};
               });
  InsertImages(db, "INSERT INTO counts(image, k0) VALUES(?, ?)", c.files.at(records::kFilePhysicalCounts),
               [](const char* img) { return std::vector<std::string>{TextKey(img, 15, true)}; });
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

void RawEntry(benchmark::State& state) {
  const int n = Counts();
  const std::string path = g_root + "/raw.sqlite";
  long rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RawLoad(path, Company(n));
    state.ResumeTiming();
    sqlite3* db = OpenForRun(path);
    sqlite3_stmt* walk = Prepare(db, "SELECT position, image FROM counts ORDER BY k0, position");
    sqlite3_stmt* product = Prepare(db, "SELECT position, image FROM products WHERE k0 = ?");
    sqlite3_stmt* count = Prepare(db, "SELECT position, image FROM counts WHERE k0 = ?");
    sqlite3_stmt* insert = Prepare(db, "INSERT INTO counts(image, k0) VALUES(?, ?)");
    struct Row {
      sqlite3_int64 position;
      double counted;
    };
    std::vector<Row> grid;
    while (sqlite3_step(walk) == SQLITE_ROW) {
      PhysicalCount c;
      std::memcpy(&c, sqlite3_column_blob(walk, 1), sizeof c);
      grid.push_back({sqlite3_column_int64(walk, 0), c.countedQuantity});
    }
    sqlite3_reset(walk);
    for (int i = 0; i < kNewRows; ++i) {
      const std::string code = ProductCode(n + i);
      const std::string key = TextKey(code.c_str(), 15, true);
      TagProduct p{};
      ReadByKey(product, key, &p, sizeof p);
      PhysicalCount onFile{};
      if (ReadByKey(count, key, &onFile, sizeof onFile) != 0) continue;
      PhysicalCount c{};
      records::SetText(c.productCode, code);
      c.printedFlag = 'N';
      c.countedQuantity = 7.0 * (p.purchaseUnitFactor > 1 ? p.purchaseUnitFactor : 1);
      sqlite3_bind_blob(insert, 1, &c, sizeof c, SQLITE_STATIC);
      Bind(insert, 2, key);
      StepReset(insert);  // each row is written by itself, as the grid writes it
      grid.push_back({sqlite3_last_insert_rowid(db), c.countedQuantity});
      ++rows;
    }
    for (sqlite3_stmt* st : {walk, product, count, insert}) sqlite3_finalize(st);
    sqlite3_close(db);
    if (static_cast<long>(grid.size()) != n + kNewRows) state.SkipWithError("the raw grid is not complete");
  }
  if (rows != kNewRows) state.SkipWithError("the raw side did not write every new row");
  state.SetItemsProcessed(n + kNewRows);
}

}  // namespace

using benchsupport::BenchMain;

int main(int argc, char** argv) {
  return BenchMain(argc, argv, "count-entry-bench", "count entry", &g_root, [] {
    Register("entry/qxa", QxaEntry);
    Register("entry/raw", RawEntry);
  });
}
