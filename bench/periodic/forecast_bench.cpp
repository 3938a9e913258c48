// The inventory forecast calculation against raw SQLite doing the same reads
// and writes.
//
// A generated company holds 100,000 products (QX_BENCH_PRODUCTS changes the
// count) in 20 G/L departments, every twentieth product in the same one.  "department/qxa" runs command 382 on the script device:
// Previous +/- Pct at 10 %, ordered by department, From and To the one
// department: the temporary index over the whole file is built, then the
// department's 5,000 products are read in it, forecast and rewritten in
// one transaction.  "whole/qxa" forecasts every product in code order
// (Previous Year, both ends open).  The raw side keeps the same records in a
// table of the same shape (position, image, the code's key column with its
// index, WAL, synchronous NORMAL) and does what the run does: for the
// department it adds a temporary index on the department and the code,
// walks that stretch and rewrites each image in one transaction, then drops
// the index; for the whole file it walks the code order.  The ratios are
// printed at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/forecast_calc.h"
#include "qxabase.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace {

using namespace benchsupport;
using records::TagProduct;

constexpr int kDepartments = 20;
constexpr const char* kDepartment = "D07";

int Products() { return CountFromEnv("QX_BENCH_PRODUCTS", 100000); }

std::string g_root;

std::string Department(int i) {
  char code[8];
  std::snprintf(code, sizeof code, "D%02d", i % kDepartments);
  return code;
}

fixture::CompanyImage Company(int count) {
  fixture::CompanyImage c;
  auto& products = c.files[records::kFileProducts];
  products.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    TagProduct p{};
    char number[16];
    std::snprintf(number, sizeof number, "P%06d", i);
    records::SetText(p.number, number);
    records::SetText(p.description, "Generated product");
    records::SetText(p.department, Department(i));
    p.productType = 1;
    p.purchaseUnitFactor = p.salesUnitFactor = 1;
    for (int s = 0; s < 3; ++s) {
      p.purchaseUnits[s] = 10 + s + i % 7;
      p.salesUnits[s] = 20 + s + i % 5;
      p.purchaseDollars[s] = 100.25 + s;
      p.salesDollars[s] = 150.75 + s;
      p.costOfSales[s] = 90.5 + s;
      p.grossProfit[s] = 60.25 + s;
    }
    products.push_back(Image(p));
  }
  return c;
}

// The whole department, or every product, by the method the keys choose.
constexpr const char* kDepartmentKeys = "Enter Space Enter \"10\" Enter Space Enter \"D07\" Enter \"D07\" F10";
constexpr const char* kWholeKeys = "Enter Enter Enter Enter F10";

// The number of products whose sales-units forecast is expected(p).
template <class Expected>
int Forecast(Expected expected) {
  BtrvHandle h = 0;
  if (BtrvOpen(&h, FilePathGet(records::kFileProducts), 0, 0) != 0) return -1;
  TagProduct p{};
  char key[255] = {};
  int n = 0;
  for (int op = kOpGetFirst; BtrvGetOp(op, h, key, &p) == kStatusOk; op = kOpGetNext)
    if (p.salesUnits[3] == expected(p)) ++n;
  BtrvClose(h);
  return n;
}

// ---- Command 382 -------------------------------------------------------------------------

// Runs command 382 on `keys`; every product must then hold the forecast
// `expected` gives; `items` products are forecast.
void QxaRun(benchmark::State& state, const char* keys, int items, double (*expected)(const TagProduct&)) {
  const int n = Products();
  const std::string folder = g_root + "/qxa";
  for (auto _ : state) {
    state.PauseTiming();
    if (!PrepareCommand(state, Company(n), folder, keys, DateMake(2025, 12, 15), 382)) return;
    state.ResumeTiming();
    RunInventoryForecastCalc(382);
    state.PauseTiming();
    const int done = Forecast(expected);
    state.ResumeTiming();
    if (done != n) state.SkipWithError("the run did not forecast the products it should");
  }
  state.SetItemsProcessed(items);
}

// The sales-units forecast each run should leave.
double TenPercentUp(const TagProduct& p) {
  if (std::string(p.department) != kDepartment) return 0.0;
  const double slots[4] = {p.salesUnits[0], p.salesUnits[1], p.salesUnits[2], 0};
  return ForecastAmount(kForecastPreviousPercent, 10, slots, periodic::GroupKind::kUnits);
}
double ThisYear(const TagProduct& p) { return p.salesUnits[2]; }

void QxaDepartment(benchmark::State& state) {
  QxaRun(state, kDepartmentKeys, Products() / kDepartments, TenPercentUp);
}
void QxaWhole(benchmark::State& state) { QxaRun(state, kWholeKeys, Products(), ThisYear); }

// ---- Raw SQLite -----------------------------------------------------------------------------

void RawLoad(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = OpenFresh(path);
  Exec(db,
       "CREATE TABLE products(position INTEGER PRIMARY KEY, image BLOB, k0 BLOB);"
       "CREATE UNIQUE INDEX products_k0 ON products(k0);"
       "BEGIN");
  InsertImages(db, "INSERT INTO products(image, k0) VALUES(?, ?)", c.files.at(records::kFileProducts),
               [](const char* img) { return std::vector<std::string>{TextKey(img, 15, true)}; });
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

// Rewrites each product `walk` gives with `forecast` applied, in one
// transaction.  Returns the products rewritten.
long RawRewrite(sqlite3* db, sqlite3_stmt* walk, void (*forecast)(TagProduct*)) {
  sqlite3_stmt* update = Prepare(db, "UPDATE products SET image = ? WHERE position = ?");
  Exec(db, "BEGIN IMMEDIATE");
  long rewritten = 0;
  while (sqlite3_step(walk) == SQLITE_ROW) {
    TagProduct p;
    std::memcpy(&p, sqlite3_column_blob(walk, 1), sizeof p);
    forecast(&p);
    UpdateImage(update, &p, sizeof p, sqlite3_column_int64(walk, 0));
    ++rewritten;
  }
  Exec(db, "COMMIT");
  sqlite3_finalize(update);
  return rewritten;
}

void RawRun(benchmark::State& state, bool department) {
  const int n = Products();
  const std::string path = g_root + "/raw.sqlite";
  long rewritten = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RawLoad(path, Company(n));
    state.ResumeTiming();
    sqlite3* db = OpenForRun(path);
    if (department) {
      // The temporary index: the department, then the code, of each record.
      sqlite3_create_function(
          db, "dept", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
          [](sqlite3_context* ctx, int, sqlite3_value** v) {
            const auto* img = static_cast<const char*>(sqlite3_value_blob(v[0]));
            const std::string key = TextKey(img + offsetof(TagProduct, department), 6, true);
            sqlite3_result_blob(ctx, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
          },
          nullptr, nullptr);
      Exec(db, "CREATE TEMP TABLE by_dept(position INTEGER PRIMARY KEY, k BLOB);"
               "INSERT INTO by_dept SELECT position, CAST(dept(image) || k0 AS BLOB) FROM products;"
               "CREATE INDEX by_dept_k ON by_dept(k, position)");
      sqlite3_stmt* walk = Prepare(db,
                                   "SELECT p.position, p.image FROM by_dept d JOIN products p ON p.position = d.position"
                                   " WHERE d.k >= ? AND d.k < ? ORDER BY d.k, d.position");
      Bind(walk, 1, TextKey(kDepartment, 6, true));
      Bind(walk, 2, TextKey("D08", 6, true));
      rewritten += RawRewrite(db, walk, [](TagProduct* p) {
        ForecastRecord(kForecastPreviousPercent, 10, *periodic::StatisticsFileOf(records::kFileProducts),
                       reinterpret_cast<unsigned char*>(p));
      });
      sqlite3_finalize(walk);
      Exec(db, "DROP TABLE by_dept");
    } else {
      sqlite3_stmt* walk = Prepare(db, "SELECT position, image FROM products ORDER BY k0");
      rewritten += RawRewrite(db, walk, [](TagProduct* p) {
        ForecastRecord(kForecastPreviousYear, 0, *periodic::StatisticsFileOf(records::kFileProducts),
                       reinterpret_cast<unsigned char*>(p));
      });
      sqlite3_finalize(walk);
    }
    sqlite3_close(db);
  }
  state.SetItemsProcessed(rewritten);
}

void RawDepartment(benchmark::State& state) { RawRun(state, true); }
void RawWhole(benchmark::State& state) { RawRun(state, false); }

}  // namespace

int main(int argc, char** argv) {
  return BenchMain(argc, argv, "forecast-bench", "forecast", &g_root, [] {
    Register("department/qxa", QxaDepartment);
    Register("department/raw", RawDepartment);
    Register("whole/qxa", QxaWhole);
    Register("whole/raw", RawWhole);
  });
}
