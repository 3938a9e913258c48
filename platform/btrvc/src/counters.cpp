#include "counters.h"

#include <cstdio>
#include <cstdlib>

namespace btrvc {

void Counters::Start() {
  const char* target = std::getenv("QX_BTRV_COUNTERS");
  on_ = target != nullptr && *target != '\0';
  if (on_) target_ = target;
}

void Counters::AddConnection(sqlite3* db) {
  if (!on_ || db == nullptr) return;
  int current = 0, high = 0;
  if (sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_HIT, &current, &high, 0) == SQLITE_OK) process_.cacheHits += current;
  if (sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_MISS, &current, &high, 0) == SQLITE_OK)
    process_.cacheMisses += current;
  if (sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_WRITE, &current, &high, 0) == SQLITE_OK)
    process_.pagesWritten += current;
}

void Counters::Write() {
  if (!on_) return;
  std::FILE* out = target_ == "-" ? stderr : std::fopen(target_.c_str(), "a");
  if (out == nullptr) return;
  std::fprintf(out, "%-14s %9s %9s %9s %9s %9s %9s %9s %9s %6s\n", "file", "reads", "known", "steps", "inserts",
               "updates", "unchanged", "deferred", "deletes", "opens");
  for (const auto& [name, c] : files_) {
    std::fprintf(out, "%-14s %9llu %9llu %9llu %9llu %9llu %9llu %9llu %9llu %6llu\n", name.c_str(),
                 static_cast<unsigned long long>(c.reads), static_cast<unsigned long long>(c.readsKnown),
                 static_cast<unsigned long long>(c.steps), static_cast<unsigned long long>(c.inserts),
                 static_cast<unsigned long long>(c.updates), static_cast<unsigned long long>(c.unchanged),
                 static_cast<unsigned long long>(c.deferred), static_cast<unsigned long long>(c.deletes),
                 static_cast<unsigned long long>(c.opens));
  }
  const ProcessCounters& p = process_;
  std::fprintf(out,
               "units %llu  savepoints %llu  rollbacks to %llu  write transactions %llu  commits %llu  "
               "checkpoints %llu  pages: hit %llu  missed %llu  written %llu\n",
               static_cast<unsigned long long>(p.units), static_cast<unsigned long long>(p.savepoints),
               static_cast<unsigned long long>(p.rollbacksTo), static_cast<unsigned long long>(p.writeTransactions),
               static_cast<unsigned long long>(p.commits), static_cast<unsigned long long>(p.checkpoints),
               static_cast<unsigned long long>(p.cacheHits), static_cast<unsigned long long>(p.cacheMisses),
               static_cast<unsigned long long>(p.pagesWritten));
  if (out != stderr) std::fclose(out);
}

}  // namespace btrvc
