// What the posting benchmarks share: the command run on the script device,
// the program of each benchmark (its folder, its runs and the ratios), the
// raw-SQLite side's statements and key encoding, record files kept as the
// record manager keeps them (position, image, one encoded column per key,
// an index on each key with the position), the walk of a header file in
// date order, and the fiscal year 2025 of the generated companies.
//
// Header only; the benchmarks link SQLite, the base library and the
// records library.
#pragma once

#include <sqlite3.h>

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "btrvc.h"
#include "qxabase.h"
#include "ratio_reporter.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace rawbench {

// The folder the benchmark's companies are written in (made by Main).
inline std::string& Root() {
  static std::string root;
  return root;
}

// Makes ready command `command` on company `folder`: the application block
// and the base data of the source tree `sourceDir`, the system settings
// read afresh, the script device on the key script `keys`, today `today`.
inline void PrepareCommand(const std::string& folder, const std::string& sourceDir, const char* keys,
                           std::int32_t today, int command) {
  *SharedAppBlockGet() = SharedAppBlock{};
  const std::string data = sourceDir + "/data";
  AppBlockTextSet(SharedAppBlockGet()->baseDataFolder, kFolderFieldSize, data.c_str());
  AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, folder.c_str());
  AppPathsSet(nullptr, nullptr, data.c_str());
  SettingsRefresh(0, 0);
  ScreenResetForTest(keys, nullptr);
  DateSetToday(today);
  SharedAppBlockGet()->currentCommand = command;
}

// The program of a posting benchmark: the folder Root() under /tmp, each
// run (name, body) once in real time, the ratios of the "/qxa" runs to the
// "/raw" ones, and everything dropped at the end.  Returns main's status.
inline int Main(int argc, char** argv, const char* name,
                const std::vector<std::pair<const char*, std::function<void(benchmark::State&)>>>& runs) {
  std::string pattern = std::string("/tmp/") + name + "-XXXXXX";
  Root() = mkdtemp(pattern.data());
  for (const auto& [run, body] : runs)
    benchmark::RegisterBenchmark(run, body)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter("qxa");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  BtrvReset();
  ScreenResetForTest("", nullptr);
  std::filesystem::remove_all(Root());
  return 0;
}

template <class Record>
std::vector<std::uint8_t> Image(const Record& r) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&r);
  return std::vector<std::uint8_t>(p, p + sizeof r);
}

// "0Periods" of the generated companies: the twelve months of 2025, open.
inline records::PeriodsRecord Periods2025() {
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

inline void Bind(sqlite3_stmt* st, int i, const std::string& s) {
  sqlite3_bind_blob(st, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
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

}  // namespace rawbench
