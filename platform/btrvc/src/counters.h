// The client's own counters of what it asked of SQLite: per record file the
// operations and the statements they took, per process the transactions,
// savepoints, commits and the pages SQLite read, missed and wrote.  Kept only
// when QX_BTRV_COUNTERS names a file ("-": standard error) when the client
// first runs; the table is written there when the process ends.  They tell
// where a run's time goes (how many statements a posted unit costs) without
// a profiler.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <string>

namespace btrvc {

struct FileCounters {
  std::uint64_t reads = 0;        // get operations answered with a record
  std::uint64_t readsKnown = 0;   // ... of them, without a statement (image known)
  std::uint64_t steps = 0;        // statements stepped for reads
  std::uint64_t inserts = 0;
  std::uint64_t updates = 0;      // update statements run
  std::uint64_t unchanged = 0;    // updates that wrote nothing (image as stored)
  std::uint64_t deferred = 0;     // updates kept to be written later
  std::uint64_t deletes = 0;
  std::uint64_t opens = 0;
};

struct ProcessCounters {
  std::uint64_t units = 0;        // the process's transactions begun (19)
  std::uint64_t savepoints = 0;
  std::uint64_t rollbacksTo = 0;
  std::uint64_t writeTransactions = 0;  // BEGIN IMMEDIATE
  std::uint64_t commits = 0;
  std::uint64_t checkpoints = 0;
  std::uint64_t cacheHits = 0, cacheMisses = 0, pagesWritten = 0;
};

class Counters {
 public:
  // Reads QX_BTRV_COUNTERS; from then on `on` says whether to count.
  void Start();
  bool on() const { return on_; }
  FileCounters& File(const std::string& folded) { return files_[folded]; }
  ProcessCounters& Process() { return process_; }
  // Adds what a connection's pager counted (before it is closed).
  void AddConnection(sqlite3* db);
  // Writes the table (at the process's end).
  void Write();

 private:
  bool on_ = false;
  std::string target_;
  std::map<std::string, FileCounters> files_;
  ProcessCounters process_;
};

}  // namespace btrvc
