// The record-manager client against raw SQLite doing the same work.
//
// 1,000,000 records of 100 bytes (QX_BENCH_RECORDS changes the count) with two
// keys: a unique int32 id and a 20-byte case-insensitive name with duplicates.
// Each figure is paired with raw SQLite on the same table shape (position,
// image, one encoded column per key, the same indexes, WAL, synchronous
// NORMAL) through plain prepared statements; the ratios are printed at the end.
//
// "rewrite_under_index" rewrites 2,000 records picked at random while a
// supplementary index (BtrvCreateIndex, as the reports' temporary sort
// orders make them) stands over the whole file: every write keeps that index
// in step.  The raw side keeps the same temporary table of (key, position)
// and rewrites its entry with each record.
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
#include <random>
#include <string>
#include <vector>

#include "btrvc.h"

namespace {

constexpr unsigned kRecord = 100;
constexpr int kBatch = 10000;  // records per transaction of the insert runs
constexpr int kOnePerCommit = 20000;
constexpr int kLookups = 200000;
constexpr int kRewrites = 2000;

int Records() {
  const char* env = std::getenv("QX_BENCH_RECORDS");
  return env ? std::atoi(env) : 1000000;
}

struct Folders {
  std::string root, btrvc, raw, btrvcSmall, rawSmall;
};
Folders g;

std::string MakeFolder(const std::string& name) {
  const std::string p = g.root + "/" + name;
  std::filesystem::create_directories(p);
  return p;
}

void Fill(std::int32_t id, char* r) {
  std::memset(r, 0, kRecord);
  std::memcpy(r, &id, 4);
  // 5,000 distinct names in mixed case, so the name key has duplicates.
  std::snprintf(r + 4, 21, "%s%05d", (id % 2) ? "Name" : "NAME", static_cast<int>((id * 7919u) % 5000));
  for (unsigned i = 32; i < kRecord; ++i) r[i] = static_cast<char>(id + i);
}

// The raw side's key encoding: the same bytes the client stores.
void RawKeys(const char* r, unsigned char* k0, unsigned char* k1) {
  for (int i = 0; i < 4; ++i) k0[i] = static_cast<unsigned char>(r[3 - i]);
  k0[0] ^= 0x80;
  int end = 20;
  while (end > 0 && (r[4 + end - 1] == 0 || r[4 + end - 1] == ' ')) --end;
  for (int i = 0; i < 20; ++i)
    k1[i] = i < end ? static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(r[4 + i]))) : ' ';
}

// ---- btrvc -----------------------------------------------------------------------------

std::string Spec() {
  std::string s(16 + 32, '\0');
  auto put = [&](std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
  };
  put(0, kRecord);
  put(2, 4096);
  s[4] = 2;
  put(16, 1);
  put(18, 4);
  put(20, kKeyFlagExtendedType);
  s[26] = kKeyTypeInteger;
  put(32, 5);
  put(34, 20);
  put(36, kKeyFlagExtendedType | kKeyFlagDuplicates | kKeyFlagNoCase | kKeyFlagModifiable);
  s[42] = kKeyTypeString;
  return s;
}

BtrvHandle OpenBtrvc(const std::string& folder, bool create) {
  const std::string path = folder + "/BENCH.DAT";
  if (create) {
    const std::string spec = Spec();
    if (BtrvCreate(path.c_str(), spec.data(), spec.data() + 16, true) != 0) std::abort();
  }
  BtrvHandle h = 0;
  if (BtrvOpen(&h, path.c_str(), 0, 0) != 0) std::abort();
  return h;
}

void BtrvcInsert(benchmark::State& state, const std::string& folder, int count, int batch) {
  for (auto _ : state) {
    BtrvHandle h = OpenBtrvc(folder, true);
    char r[kRecord];
    for (int i = 0; i < count; ++i) {
      if (batch > 1 && i % batch == 0) BtrvTransaction(kOpBeginTransaction);
      Fill(i + 1, r);
      if (BtrvWriteOp(kOpInsert, h, nullptr, r, kRecord) != 0) std::abort();
      if (batch > 1 && (i % batch == batch - 1 || i == count - 1))
        BtrvTransaction(kOpEndTransaction);
    }
    BtrvClose(h);
  }
  state.SetItemsProcessed(count);
}

void BtrvcWalk(benchmark::State& state, int key) {
  BtrvHandle h = OpenBtrvc(g.btrvc, false);
  BtrvSetKey(h, key, -1);
  char r[kRecord], k[255];
  long n = 0;
  for (auto _ : state) {
    for (int st = BtrvGetOp(kOpGetFirst, h, k, r); st == 0; st = BtrvGetOp(kOpGetNext, h, k, r)) ++n;
  }
  if (n != Records()) state.SkipWithError("walk missed records");
  state.SetItemsProcessed(n);
  BtrvClose(h);
}

void BtrvcLookup(benchmark::State& state) {
  BtrvHandle h = OpenBtrvc(g.btrvc, false);
  std::mt19937 random(7);
  char r[kRecord], k[255];
  for (auto _ : state) {
    for (int i = 0; i < kLookups; ++i) {
      const std::int32_t id = static_cast<std::int32_t>(random() % Records()) + 1;
      std::memcpy(k, &id, 4);
      if (BtrvGetOp(kOpGetEqual, h, k, r) != 0) std::abort();
    }
  }
  state.SetItemsProcessed(kLookups);
  BtrvClose(h);
}

// A supplementary index on the last 8 bytes of the record (which every
// rewrite changes), then `kRewrites` records picked at random rewritten in
// one transaction.
void BtrvcRewriteUnderIndex(benchmark::State& state) {
  BtrvHandle h = OpenBtrvc(g.btrvc, false);
  std::string spec(kKeySegmentSize, '\0');
  const unsigned offset = kRecord - 8 + 1, length = 8,
                 flags = kKeyFlagExtendedType | kKeyFlagDuplicates | kKeyFlagModifiable;
  spec[0] = static_cast<char>(offset);
  spec[2] = static_cast<char>(length);
  spec[4] = static_cast<char>(flags & 0xFF);
  spec[5] = static_cast<char>(flags >> 8);
  spec[10] = kKeyTypeString;
  if (BtrvCreateIndex(h, static_cast<unsigned>(spec.size()), spec.data()) != 0) std::abort();
  std::mt19937 random(11);
  char r[kRecord], k[255];
  for (auto _ : state) {
    BtrvTransaction(kOpBeginTransaction);
    for (int i = 0; i < kRewrites; ++i) {
      const std::int32_t id = static_cast<std::int32_t>(random() % Records()) + 1;
      std::memcpy(k, &id, 4);
      if (BtrvGetOp(kOpGetEqual, h, k, r) != 0) std::abort();
      r[kRecord - 1] = static_cast<char>(r[kRecord - 1] + 1);
      if (BtrvWriteOp(kOpUpdate, h, nullptr, r, kRecord) != 0) std::abort();
    }
    BtrvTransaction(kOpEndTransaction);
  }
  state.SetItemsProcessed(kRewrites);
  BtrvClose(h);
}

// ---- raw SQLite ----------------------------------------------------------------------------

sqlite3* OpenRaw(const std::string& folder, bool create) {
  const std::string path = folder + "/raw.sqlite";
  if (create) std::filesystem::remove(path);
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                  nullptr);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
  if (create)
    sqlite3_exec(db,
                 "CREATE TABLE f(pos INTEGER PRIMARY KEY, image BLOB NOT NULL, k0 BLOB, k1 BLOB);"
                 "CREATE UNIQUE INDEX f_k0 ON f(k0); CREATE INDEX f_k1 ON f(k1);",
                 nullptr, nullptr, nullptr);
  return db;
}

void RawInsert(benchmark::State& state, const std::string& folder, int count, int batch) {
  for (auto _ : state) {
    sqlite3* db = OpenRaw(folder, true);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO f(image, k0, k1) VALUES(?1, ?2, ?3)", -1, &ins, nullptr);
    char r[kRecord];
    unsigned char k0[4], k1[20];
    for (int i = 0; i < count; ++i) {
      if (batch > 1 && i % batch == 0) sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
      Fill(i + 1, r);
      RawKeys(r, k0, k1);
      sqlite3_bind_blob(ins, 1, r, kRecord, SQLITE_STATIC);
      sqlite3_bind_blob(ins, 2, k0, 4, SQLITE_STATIC);
      sqlite3_bind_blob(ins, 3, k1, 20, SQLITE_STATIC);
      if (sqlite3_step(ins) != SQLITE_DONE) std::abort();
      sqlite3_reset(ins);
      if (batch > 1 && (i % batch == batch - 1 || i == count - 1))
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(ins);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(count);
}

void RawWalk(benchmark::State& state, int key) {
  sqlite3* db = OpenRaw(g.raw, false);
  sqlite3_stmt* st = nullptr;
  const std::string col = key == 0 ? "k0" : "k1";
  sqlite3_prepare_v2(db, ("SELECT pos, image, " + col + " FROM f WHERE " + col +
                          " IS NOT NULL ORDER BY " + col + ", pos").c_str(),
                     -1, &st, nullptr);
  char r[kRecord], k[255];
  long n = 0;
  for (auto _ : state) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::memcpy(r, sqlite3_column_blob(st, 1), sqlite3_column_bytes(st, 1));
      std::memcpy(k, r + (key == 0 ? 0 : 4), key == 0 ? 4 : 20);
      benchmark::DoNotOptimize(sqlite3_column_int64(st, 0));
      ++n;
    }
    sqlite3_reset(st);
  }
  benchmark::DoNotOptimize(r);
  benchmark::DoNotOptimize(k);
  state.SetItemsProcessed(n);
  sqlite3_finalize(st);
  sqlite3_close(db);
}

void RawLookup(benchmark::State& state) {
  sqlite3* db = OpenRaw(g.raw, false);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT pos, image, k0 FROM f WHERE k0 = ?1", -1, &st, nullptr);
  std::mt19937 random(7);
  char r[kRecord];
  for (auto _ : state) {
    for (int i = 0; i < kLookups; ++i) {
      const std::int32_t id = static_cast<std::int32_t>(random() % Records()) + 1;
      const auto u = static_cast<std::uint32_t>(id) ^ 0x80000000u;
      const unsigned char k0[4] = {static_cast<unsigned char>(u >> 24), static_cast<unsigned char>(u >> 16),
                                   static_cast<unsigned char>(u >> 8), static_cast<unsigned char>(u)};
      sqlite3_bind_blob(st, 1, k0, 4, SQLITE_STATIC);
      if (sqlite3_step(st) != SQLITE_ROW) std::abort();
      std::memcpy(r, sqlite3_column_blob(st, 1), kRecord);
      sqlite3_reset(st);
    }
  }
  benchmark::DoNotOptimize(r);
  state.SetItemsProcessed(kLookups);
  sqlite3_finalize(st);
  sqlite3_close(db);
}

void RawRewriteUnderIndex(benchmark::State& state) {
  sqlite3* db = OpenRaw(g.raw, false);
  sqlite3_exec(db,
               "CREATE TEMP TABLE sup(k BLOB NOT NULL, pos INTEGER PRIMARY KEY);"
               "INSERT INTO sup SELECT substr(image, 93, 8), pos FROM f;"
               "CREATE INDEX temp.sup_k ON sup(k, pos);",
               nullptr, nullptr, nullptr);
  sqlite3_stmt *get = nullptr, *update = nullptr, *drop = nullptr, *add = nullptr;
  sqlite3_prepare_v2(db, "SELECT pos, image FROM f WHERE k0 = ?1", -1, &get, nullptr);
  sqlite3_prepare_v2(db, "UPDATE f SET image = ?1 WHERE pos = ?2", -1, &update, nullptr);
  sqlite3_prepare_v2(db, "DELETE FROM sup WHERE pos = ?1", -1, &drop, nullptr);
  sqlite3_prepare_v2(db, "INSERT INTO sup(k, pos) VALUES(?1, ?2)", -1, &add, nullptr);
  std::mt19937 random(11);
  char r[kRecord];
  for (auto _ : state) {
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int i = 0; i < kRewrites; ++i) {
      const std::int32_t id = static_cast<std::int32_t>(random() % Records()) + 1;
      const auto u = static_cast<std::uint32_t>(id) ^ 0x80000000u;
      const unsigned char k0[4] = {static_cast<unsigned char>(u >> 24), static_cast<unsigned char>(u >> 16),
                                   static_cast<unsigned char>(u >> 8), static_cast<unsigned char>(u)};
      sqlite3_bind_blob(get, 1, k0, 4, SQLITE_STATIC);
      if (sqlite3_step(get) != SQLITE_ROW) std::abort();
      const sqlite3_int64 pos = sqlite3_column_int64(get, 0);
      std::memcpy(r, sqlite3_column_blob(get, 1), kRecord);
      sqlite3_reset(get);
      r[kRecord - 1] = static_cast<char>(r[kRecord - 1] + 1);
      sqlite3_bind_blob(update, 1, r, kRecord, SQLITE_STATIC);
      sqlite3_bind_int64(update, 2, pos);
      sqlite3_step(update);
      sqlite3_reset(update);
      sqlite3_bind_int64(drop, 1, pos);
      sqlite3_step(drop);
      sqlite3_reset(drop);
      sqlite3_bind_blob(add, 1, r + kRecord - 8, 8, SQLITE_STATIC);
      sqlite3_bind_int64(add, 2, pos);
      sqlite3_step(add);
      sqlite3_reset(add);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }
  state.SetItemsProcessed(kRewrites);
  for (sqlite3_stmt* st : {get, update, drop, add}) sqlite3_finalize(st);
  sqlite3_close(db);
}

// Keeps each run's time to print the btrvc/raw ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) seconds_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\n%-32s %12s %12s %8s\n", "work", "btrvc", "raw SQLite", "ratio");
    for (const auto& [name, t] : seconds_) {
      const auto slash = name.find("/btrvc");
      if (slash == std::string::npos) continue;
      const std::string work = name.substr(0, slash);
      std::string rawName = name;
      rawName.replace(slash, 6, "/raw");
      auto it = seconds_.find(rawName);
      if (it == seconds_.end()) continue;
      std::printf("%-32s %10.0fms %10.0fms %8.2f\n", work.c_str(), t, it->second, t / it->second);
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/btrvc-bench-XXXXXX";
  g.root = mkdtemp(tmpl);
  g.btrvc = MakeFolder("btrvc");
  g.raw = MakeFolder("raw");
  g.btrvcSmall = MakeFolder("btrvc-small");
  g.rawSmall = MakeFolder("raw-small");
  const int n = Records();

  auto reg = [](const std::string& name, auto fn) {
    benchmark::RegisterBenchmark(name.c_str(), fn)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
  };
  reg("insert_in_transactions/btrvc", [n](benchmark::State& s) { BtrvcInsert(s, g.btrvc, n, kBatch); });
  reg("insert_in_transactions/raw", [n](benchmark::State& s) { RawInsert(s, g.raw, n, kBatch); });
  reg("insert_one_per_commit/btrvc", [](benchmark::State& s) { BtrvcInsert(s, g.btrvcSmall, kOnePerCommit, 1); });
  reg("insert_one_per_commit/raw", [](benchmark::State& s) { RawInsert(s, g.rawSmall, kOnePerCommit, 1); });
  reg("walk_id_key_get_next/btrvc", [](benchmark::State& s) { BtrvcWalk(s, 0); });
  reg("walk_id_key_get_next/raw", [](benchmark::State& s) { RawWalk(s, 0); });
  reg("walk_name_key_get_next/btrvc", [](benchmark::State& s) { BtrvcWalk(s, 1); });
  reg("walk_name_key_get_next/raw", [](benchmark::State& s) { RawWalk(s, 1); });
  reg("random_get_equal/btrvc", [](benchmark::State& s) { BtrvcLookup(s); });
  reg("random_get_equal/raw", [](benchmark::State& s) { RawLookup(s); });
  reg("rewrite_under_index/btrvc", [](benchmark::State& s) { BtrvcRewriteUnderIndex(s); });
  reg("rewrite_under_index/raw", [](benchmark::State& s) { RawRewriteUnderIndex(s); });

  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  BtrvReset();
  std::filesystem::remove_all(g.root);
  return 0;
}
