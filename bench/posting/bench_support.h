// What the posting benchmarks share: the generated company's record images,
// the raw-SQLite side's helpers (statements, key columns encoded as the
// record-manager client encodes them, a record file kept as the client keeps
// it, the walk of a header file in date order), the command run on the
// script device, and the reporter that prints each figure beside its
// raw-SQLite figure.
//
// Header only, for the programs of bench/posting.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace benchsupport {

// A count from the environment variable `name`, else `fallback`.
inline int CountFromEnv(const char* name, int fallback) {
  const char* env = std::getenv(name);
  return env ? std::atoi(env) : fallback;
}

template <class Record>
std::vector<std::uint8_t> Image(const Record& r) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&r);
  return std::vector<std::uint8_t>(p, p + sizeof r);
}

// The twelve monthly periods of 2025, every one open.
inline records::PeriodsRecord OpenYear2025() {
  records::PeriodsRecord periods{};
  records::SetPadded(periods.key, "0Periods");
  periods.periodsPerYear = 12;
  periods.nextOpenPeriod = 1;
  for (int m = 0; m < 12; ++m) {
    records::PeriodEntry& e = periods.entries[m];
    e.status = 'O';
    records::SetText(e.label, "2025");
    e.startDate = DateMake(2025, m + 1, 1);
    e.endDate = DateAddDays(DateMake(m == 11 ? 2026 : 2025, m == 11 ? 1 : m + 2, 1), -1);
  }
  return periods;
}

// A fixed sequence of numbers that look random (the same on every run).
inline std::uint32_t Scatter(std::uint32_t i) {
  std::uint32_t x = i * 2654435761u;
  x ^= x >> 15;
  x *= 2246822519u;
  x ^= x >> 13;
  return x;
}

// The day (1..days) a user dated the `i`-th of `count` transactions of a
// period of `days` days that they entered in that order, as QX_BENCH_ORDER
// says: "late" (the default) the day of its entry or up to six days before
// (entered late), "random" any day, "entry" the day of its entry (the file
// in date order).
inline int DatedDay(int i, int count, int days) {
  const int entered = 1 + static_cast<int>(static_cast<long>(i) * days / count);
  const char* order = std::getenv("QX_BENCH_ORDER");
  const std::string o = order ? order : "late";
  if (o == "entry") return entered;
  if (o == "random") return 1 + static_cast<int>(Scatter(static_cast<std::uint32_t>(i)) % days);
  return std::max(1, entered - static_cast<int>(Scatter(static_cast<std::uint32_t>(i)) % 7));
}

// The order QX_BENCH_ORDER asks for, as the tables name it.
inline const char* DatedOrder() {
  const char* order = std::getenv("QX_BENCH_ORDER");
  return order ? order : "late";
}

// The `i`-th of `count` generated G/L transaction headers: journal "GJ",
// numbers from 1000000 right-aligned as entry numbers them, dates spread over
// March 2025; the flags are the caller's.
inline records::TagGLHeader GeneratedGLHeader(int i, int count) {
  records::TagGLHeader h{};
  records::SetPadded(h.journalCode, "GJ");
  char number[16];
  std::snprintf(number, sizeof number, "%10d", 1000000 + i);
  records::SetText(h.transactionNumber, number);
  h.date = DateMake(2025, 3, 1 + static_cast<int>(static_cast<long>(i) * 31 / count));
  records::SetText(h.reference, "Generated entry");
  return h;
}

// Makes the company in `folder` the company of a command run on the script
// device with `keys`, today `today`.
inline void SetUpCommand(const std::string& folder, const char* keys, std::int32_t today, int command) {
  *SharedAppBlockGet() = SharedAppBlock{};
  const std::string data = std::string(QX_SOURCE_DIR) + "/data";
  AppBlockTextSet(SharedAppBlockGet()->baseDataFolder, kFolderFieldSize, data.c_str());
  AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, folder.c_str());
  AppPathsSet(nullptr, nullptr, data.c_str());
  SettingsRefresh(0, 0);
  ScreenResetForTest(keys, nullptr);
  DateSetToday(today);
  SharedAppBlockGet()->currentCommand = command;
}

// Writes `company` into `folder` and makes it the company of a command run
// on the script device with `keys`, today `today`.  False (the benchmark
// told) when the company cannot be written.
inline bool PrepareCommand(benchmark::State& state, const fixture::CompanyImage& company, const std::string& folder,
                           const char* keys, std::int32_t today, int command) {
  fixture::Problem problem;
  if (!fixture::WriteCompany(company, folder, fixture::WriteOptions{true}, &problem)) {
    state.SkipWithError(problem.Text().c_str());
    return false;
  }
  SetUpCommand(folder, keys, today, command);
  return true;
}

// ---- Raw SQLite -------------------------------------------------------------------------------

inline void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s (%s)\n", error ? error : "?", sql);
    sqlite3_free(error);
    std::exit(1);
  }
}

inline sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s (%s)\n", sqlite3_errmsg(db), sql);
    std::exit(1);
  }
  return st;
}

// A fresh database at `path` in WAL mode (its old files removed).
inline sqlite3* OpenFresh(const std::string& path) {
  std::filesystem::remove(path);
  std::filesystem::remove(path + "-wal");
  std::filesystem::remove(path + "-shm");
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
  return db;
}

// Key columns as the client encodes them: texts blank-padded (codes in
// capitals), day numbers sign-flipped big-endian.
inline std::string TextKey(const char* p, std::size_t n, bool capitals) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n && p[i]; ++i)
    s[i] = capitals ? static_cast<char>(std::toupper(static_cast<unsigned char>(p[i]))) : p[i];
  return s;
}
inline std::string DateKey(std::int32_t day) {
  const std::uint32_t u = static_cast<std::uint32_t>(day) ^ 0x80000000u;
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(u >> (24 - 8 * i));
  return s;
}

inline void Bind(sqlite3_stmt* st, int i, const std::string& s) {
  sqlite3_bind_blob(st, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// Runs a statement that returns no rows and makes it ready again.
inline void StepReset(sqlite3_stmt* st) {
  sqlite3_step(st);
  sqlite3_reset(st);
}

// Opens the database of a raw run as the client keeps its own: synchronous
// NORMAL, the log checkpointed once it holds 10,000 pages, and statement
// journals in memory (the client keeps them there up to 1 MiB).
inline sqlite3* OpenForRun(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db, "PRAGMA synchronous=NORMAL; PRAGMA wal_autocheckpoint=10000; PRAGMA temp_store=MEMORY");
  return db;
}

// The grouping of commits of the posting runs: each unit but a group's first
// a savepoint, the write transaction committed every kGroupUnits units.
constexpr int kGroupUnits = 1000;

// Brackets raw units as the client groups the program's: BEGIN IMMEDIATE at
// a group's first unit, a savepoint for each unit after it, COMMIT after
// kGroupUnits and at the end.
class RawGroups {
 public:
  explicit RawGroups(sqlite3* db)
      : begin_(Prepare(db, "BEGIN IMMEDIATE")), commit_(Prepare(db, "COMMIT")),
        savepoint_(Prepare(db, "SAVEPOINT unit")), release_(Prepare(db, "RELEASE unit")) {}
  ~RawGroups() {
    End();
    for (sqlite3_stmt* st : {begin_, commit_, savepoint_, release_}) sqlite3_finalize(st);
  }
  RawGroups(const RawGroups&) = delete;
  RawGroups& operator=(const RawGroups&) = delete;

  void UnitBegin() {
    if (inGroup_ == 0) StepReset(begin_);
    else StepReset(savepoint_);
  }
  // Ends a unit; true when it ended its group (the caller's kept writes go
  // before, through `beforeCommit`).
  template <class BeforeCommit>
  bool UnitEnd(BeforeCommit beforeCommit) {
    if (inGroup_ > 0) StepReset(release_);
    if (++inGroup_ < kGroupUnits) return false;
    beforeCommit();
    StepReset(commit_);
    inGroup_ = 0;
    return true;
  }
  bool UnitEnd() {
    return UnitEnd([] {});
  }
  // Commits the group in hand (after the caller's kept writes).
  template <class BeforeCommit>
  void End(BeforeCommit beforeCommit) {
    if (inGroup_ == 0) return;
    beforeCommit();
    StepReset(commit_);
    inGroup_ = 0;
  }
  void End() {
    End([] {});
  }

 private:
  sqlite3_stmt *begin_, *commit_, *savepoint_, *release_;
  int inGroup_ = 0;
};

// Inserts each record image of `images` with `sql`: the image, then the key
// columns that `keys(image bytes)` gives, in their order.
template <class Keys>
void InsertImages(sqlite3* db, const char* sql, const std::vector<std::vector<std::uint8_t>>& images, Keys keys) {
  sqlite3_stmt* st = Prepare(db, sql);
  for (const auto& img : images) {
    sqlite3_bind_blob(st, 1, img.data(), static_cast<int>(img.size()), SQLITE_STATIC);
    int column = 2;
    for (const std::string& key : keys(reinterpret_cast<const char*>(img.data()))) Bind(st, column++, key);
    StepReset(st);
  }
  sqlite3_finalize(st);
}

// Reads the record `key` finds with `st` (SELECT position, image ... WHERE
// k = ?) into `out`.  Returns its position, 0 when there is none.
inline sqlite3_int64 ReadByKey(sqlite3_stmt* st, const std::string& key, void* out, std::size_t size) {
  Bind(st, 1, key);
  sqlite3_int64 at = 0;
  if (sqlite3_step(st) == SQLITE_ROW) {
    at = sqlite3_column_int64(st, 0);
    std::memcpy(out, sqlite3_column_blob(st, 1), size);
  }
  sqlite3_reset(st);
  return at;
}

// Rewrites the image of the record at `at` with `st` (UPDATE ... SET image
// = ? WHERE position = ?).
inline void UpdateImage(sqlite3_stmt* st, const void* image, std::size_t size, sqlite3_int64 at) {
  sqlite3_bind_blob(st, 1, image, static_cast<int>(size), SQLITE_STATIC);
  sqlite3_bind_int64(st, 2, at);
  StepReset(st);
}

// ---- Record files as the client keeps them -------------------------------------------------

// The encoded value of key `key` of a record image.
inline std::string EncodeKey(const records::KeyDef& key, const std::uint8_t* image) {
  std::string out;
  for (const records::KeySegment& s : key.Segments()) {
    const std::uint8_t* p = image + s.offset;
    if (s.type == 0) {  // text
      out += TextKey(reinterpret_cast<const char*>(p), s.length, s.noCase);
      continue;
    }
    std::uint64_t v = 0;
    for (int i = s.length - 1; i >= 0; --i) v = (v << 8) | p[i];
    if (s.type == 1) v ^= std::uint64_t{1} << (8 * s.length - 1);  // signed: sign-flipped
    for (int i = s.length - 1; i >= 0; --i) out += static_cast<char>(v >> (8 * i));
  }
  return out;
}

// A record file as the record manager keeps it, in a raw database: made
// (`create`) or found there.
class Table {
 public:
  Table(sqlite3* db, int fileNo, bool create) : db_(db), file_(*records::FindFile(fileNo)) {
    name_ = std::string("t") + std::to_string(fileNo);
    std::string table = "CREATE TABLE " + name_ + "(position INTEGER PRIMARY KEY, image BLOB";
    std::string insert = "INSERT INTO " + name_ + "(image", values = "VALUES(?", update = "UPDATE " + name_ + " SET image = ?";
    for (std::size_t k = 0; k < file_.keys.size(); ++k) {
      const std::string column = "k" + std::to_string(k);
      table += ", " + column + " BLOB";
      insert += ", " + column;
      values += ", ?";
      update += ", " + column + " = ?";
    }
    for (std::size_t k = 0; create && k <= file_.keys.size(); ++k) {
      if (k == 0) {
        Exec(db_, (table + ")").c_str());
        continue;
      }
      const std::string index = "CREATE INDEX " + name_ + "_k" + std::to_string(k - 1) + " ON " + name_ + "(k" +
                                std::to_string(k - 1) + ", position)";
      Exec(db_, index.c_str());
    }
    insert_ = Prepare(db_, (insert + ") " + values + ")").c_str());
    update_ = Prepare(db_, (update + " WHERE position = ?").c_str());
    direct_ = Prepare(db_, ("SELECT image FROM " + name_ + " WHERE position = ?").c_str());
  }
  ~Table() {
    for (sqlite3_stmt* st : {insert_, update_, direct_}) sqlite3_finalize(st);
    for (auto& [k, st] : equal_) sqlite3_finalize(st);
    for (auto& [k, st] : rewrites_) sqlite3_finalize(st);
  }
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  sqlite3_int64 Insert(const void* image) {
    BindKeys(insert_, 2, image);
    sqlite3_bind_blob(insert_, 1, image, file_.recordLength, SQLITE_STATIC);
    sqlite3_step(insert_);
    sqlite3_reset(insert_);
    return sqlite3_last_insert_rowid(db_);
  }
  void Update(sqlite3_int64 position, const void* image) {
    sqlite3_bind_blob(update_, 1, image, file_.recordLength, SQLITE_STATIC);
    BindKeys(update_, 2, image);
    sqlite3_bind_int64(update_, 2 + static_cast<int>(file_.keys.size()), position);
    sqlite3_step(update_);
    sqlite3_reset(update_);
  }
  // Rewrites the record at `position` from `before` to `after`: its image and
  // the key columns whose value changes, as the client writes an update.
  void Rewrite(sqlite3_int64 position, const void* before, const void* after) {
    std::uint64_t mask = 0;
    std::vector<std::string> changed(file_.keys.size());
    for (std::size_t k = 0; k < file_.keys.size() && k < 64; ++k) {
      changed[k] = EncodeKey(file_.keys[k], static_cast<const std::uint8_t*>(after));
      if (changed[k] != EncodeKey(file_.keys[k], static_cast<const std::uint8_t*>(before))) mask |= std::uint64_t{1} << k;
    }
    sqlite3_stmt*& st = rewrites_[mask];
    if (st == nullptr) {
      std::string sql = "UPDATE " + name_ + " SET image = ?1";
      for (std::size_t k = 0; k < file_.keys.size(); ++k)
        if (mask >> k & 1) sql += ", k" + std::to_string(k) + " = ?" + std::to_string(k + 2);
      sql += " WHERE position = ?" + std::to_string(file_.keys.size() + 2);
      st = Prepare(db_, sql.c_str());
    }
    sqlite3_bind_blob(st, 1, after, file_.recordLength, SQLITE_STATIC);
    for (std::size_t k = 0; k < file_.keys.size(); ++k)
      if (mask >> k & 1) Bind(st, static_cast<int>(k) + 2, changed[k]);
    sqlite3_bind_int64(st, static_cast<int>(file_.keys.size()) + 2, position);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  bool Direct(sqlite3_int64 position, void* image) {
    sqlite3_bind_int64(direct_, 1, position);
    const bool found = sqlite3_step(direct_) == SQLITE_ROW;
    if (found) std::memcpy(image, sqlite3_column_blob(direct_, 0), file_.recordLength);
    sqlite3_reset(direct_);
    return found;
  }
  // The first record whose key `key` is `value` (encoded); its position, 0 none.
  sqlite3_int64 Equal(int key, const std::string& value, void* image) {
    sqlite3_stmt*& st = equal_[key];
    if (st == nullptr) {
      const std::string k = "k" + std::to_string(key);
      st = Prepare(db_, ("SELECT position, image FROM " + name_ + " WHERE " + k + " = ? ORDER BY " + k +
                         ", position LIMIT 1")
                            .c_str());
    }
    Bind(st, 1, value);
    sqlite3_int64 position = 0;
    if (sqlite3_step(st) == SQLITE_ROW) {
      position = sqlite3_column_int64(st, 0);
      std::memcpy(image, sqlite3_column_blob(st, 1), file_.recordLength);
    }
    sqlite3_reset(st);
    return position;
  }
  const std::string& name() const { return name_; }
  const records::FileDef& file() const { return file_; }

 private:
  void BindKeys(sqlite3_stmt* st, int first, const void* image) {
    for (std::size_t k = 0; k < file_.keys.size(); ++k)
      Bind(st, first + static_cast<int>(k), EncodeKey(file_.keys[k], static_cast<const std::uint8_t*>(image)));
  }

  sqlite3* db_;
  const records::FileDef& file_;
  std::string name_;
  sqlite3_stmt *insert_ = nullptr, *update_ = nullptr, *direct_ = nullptr;
  std::map<int, sqlite3_stmt*> equal_;
  std::map<std::uint64_t, sqlite3_stmt*> rewrites_;
};

// Walks the records of `table` in the order of its date column `column`
// (a key's encoded day number) from `firstDay` to `lastDay`, seeking again
// after each record as the record manager does after a write: from the last
// key and position, the next record of the same date, else the first of a
// later date.
class DateWalk {
 public:
  DateWalk(sqlite3* db, const std::string& table, const std::string& column, std::int32_t firstDay,
           std::int32_t lastDay)
      : key_(DateKey(firstDay)), last_(DateKey(lastDay)) {
    const std::string select = "SELECT position, image, " + column + " FROM " + table + " WHERE ";
    const std::string order = " ORDER BY " + column + ", position LIMIT 1";
    sameDate_ = Prepare(db, (select + column + " = ? AND position > ?" + order).c_str());
    laterDate_ = Prepare(db, (select + column + " > ?" + order).c_str());
  }
  ~DateWalk() {
    sqlite3_finalize(sameDate_);
    sqlite3_finalize(laterDate_);
  }
  DateWalk(const DateWalk&) = delete;
  DateWalk& operator=(const DateWalk&) = delete;

  // The next record into `image` (`length` bytes); false after the last day.
  bool Next(void* image, std::size_t length) {
    Bind(sameDate_, 1, key_);
    sqlite3_bind_int64(sameDate_, 2, position_);
    sqlite3_stmt* next = sameDate_;
    if (sqlite3_step(sameDate_) != SQLITE_ROW) {
      sqlite3_reset(sameDate_);
      next = laterDate_;
      Bind(laterDate_, 1, key_);
      if (sqlite3_step(laterDate_) != SQLITE_ROW) {
        sqlite3_reset(laterDate_);
        return false;
      }
    }
    position_ = sqlite3_column_int64(next, 0);
    std::memcpy(image, sqlite3_column_blob(next, 1), length);
    key_.assign(static_cast<const char*>(sqlite3_column_blob(next, 2)), 4);
    sqlite3_reset(next);
    return key_ <= last_;
  }
  // The position of the record Next read last.
  sqlite3_int64 position() const { return position_; }

 private:
  std::string key_, last_;
  sqlite3_int64 position_ = 0;
  sqlite3_stmt *sameDate_ = nullptr, *laterDate_ = nullptr;
};

// ---- Reporting --------------------------------------------------------------------------------

// Prints, after the usual table, each "<work>/qxa" figure beside its
// "<work>/raw" figure and their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(const char* what = "posting") : what_(what) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) seconds_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\n%-24s %12s %12s %8s\n", "work", what_, "raw SQLite", "ratio");
    for (const auto& [name, t] : seconds_) {
      const auto slash = name.find("/qxa");
      if (slash == std::string::npos) continue;
      std::string rawName = name;
      rawName.replace(slash, 4, "/raw");
      const auto it = seconds_.find(rawName);
      if (it == seconds_.end()) continue;
      std::printf("%-24s %10.0fms %10.0fms %8.2f\n", name.substr(0, slash).c_str(), t, it->second,
                  t / it->second);
    }
  }

 private:
  const char* what_;
  std::map<std::string, double> seconds_;
};

// Registers a benchmark of one timed iteration in real time, in milliseconds.
template <class Fn>
void Register(const char* name, Fn fn) {
  benchmark::RegisterBenchmark(name, fn)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
}

// Runs the registered benchmarks and prints the ratios.
inline void RunAndReport(int* argc, char** argv, const char* what = "posting") {
  benchmark::Initialize(argc, argv);
  RatioReporter reporter(what);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
}

// The program of a posting benchmark: a temporary folder for its companies
// (its path in *root), the benchmarks that `registerAll()` registers, the
// ratios, then the client and the screen reset and the folder removed.
// Returns 0.
template <class RegisterAll>
int BenchMain(int argc, char** argv, const char* name, const char* what, std::string* root, RegisterAll registerAll) {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/" + name + "-XXXXXX";
  *root = mkdtemp(pattern.data());
  registerAll();
  RunAndReport(&argc, argv, what);
  BtrvReset();
  ScreenResetForTest("", nullptr);
  std::filesystem::remove_all(*root);
  return 0;
}

}  // namespace benchsupport
