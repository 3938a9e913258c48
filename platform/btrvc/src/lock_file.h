// The folder's lock file (`qxrecords.lock`): what the processes sharing a
// folder tell each other outside the database.
//
// - Record locks and open modes are kernel byte-range locks on this file
//   (open-file-description locks), so they conflict between handles and
//   processes alike and vanish with the process that held them: a killed
//   process never leaves a record or file locked.  Record locks are taken
//   through each handle's own descriptor; open modes through the one
//   descriptor of the process (handles of one process never exclude each
//   other).
// - Its first 8 bytes, mapped into every process, count the commits made in the
//   folder, so a process sees at the start of each call whether another one
//   changed the database since its live statements began.
// - A process waiting for the folder's write lock holds a shared lock on one
//   byte while it waits, so that a process committing transactions in groups
//   sees it and lets it in between two groups.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace btrvc {

class LockFile {
 public:
  LockFile() = default;
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;
  ~LockFile();

  // Opens (creating when needed) the lock file of `folder`; errno on failure.
  int Open(const std::string& folder);
  const std::string& path() const { return path_; }

  // The folder's commit counter, and one more commit (returns the new value).
  std::uint64_t Commits() const;
  std::uint64_t CountCommit();

  // The process's open mode of a record file: 0 none, 1 shared, 2 exclusive.
  // False when another process holds a conflicting mode.
  bool SetOpenMode(std::int64_t fileId, int mode);
  // True when another process has the record file open.
  bool OpenElsewhere(std::int64_t fileId) const;
  // True when anyone (any handle of any process) holds a lock on the record.
  bool RecordLocked(std::int64_t fileId, std::int64_t position) const;

  // Marks this process as waiting for the folder's write lock (or no longer).
  void SetWaiting(bool waiting);
  // True when another process waits for the folder's write lock.
  bool OthersWaiting() const;

  // A descriptor of the lock file for one handle's record locks.
  int OpenHandleDescriptor() const;
  // Locks or unlocks a record through a handle's descriptor.  Lock: false
  // when another handle or process holds it.
  static bool LockRecord(int fd, std::int64_t fileId, std::int64_t position);
  static void UnlockRecord(int fd, std::int64_t fileId, std::int64_t position);
  static void UnlockAllRecords(int fd, std::int64_t fileId);

  // Forgets the descriptor and mapping after fork: the child closes its
  // copies so that the parent's locks stay the parent's alone.
  void AbandonAfterFork();

 private:
  std::string path_;
  int fd_ = -1;
  std::atomic<std::uint64_t>* commits_ = nullptr;
};

}  // namespace btrvc
