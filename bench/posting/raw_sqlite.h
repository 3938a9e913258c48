// What the posting benchmarks share: the raw-SQLite side's statements and key
// encoding, record files kept as the record manager keeps them (position,
// image, one encoded column per key, an index on each key with the
// position), the fiscal year 2025 of the generated companies, and the
// reporter that prints each posting's time beside the raw figure.
//
// Header only; the benchmarks link SQLite and the records library.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace rawbench {

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

// Prints the usual table, then each "<work>/qxa" run beside its "<work>/raw" run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) seconds_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\n%-24s %12s %12s %8s\n", "work", "posting", "raw SQLite", "ratio");
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
  std::map<std::string, double> seconds_;
};

}  // namespace rawbench
