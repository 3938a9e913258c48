#include "sub_journal_vfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace btrvc {
namespace {

// A statement journal past this size moves to a temporary file.  A
// posting's transaction journals a few dozen pages (an invoice of five lines
// about 200 KiB); a bound of 256 pages keeps the process's memory small
// whatever one transaction does.
constexpr std::size_t kMemoryBound = std::size_t{1} << 20;
constexpr std::size_t kSpillPiece = 65536;  // SQLite's largest page

sqlite3_vfs* g_base = nullptr;  // the machine's file system, which does the rest

// The buffer of the last journal closed on this thread, kept for the next
// one: SQLite opens a journal for each write transaction that sets a
// savepoint, and a posting commits thousands of them.
thread_local std::vector<char> t_spare;

// A statement journal: in `data` until it outgrows the bound, then in `real`.
// SQLite rewrites it from its start after each savepoint it releases, so it
// needs random writes, reads and a size, nothing else (no locks, no syncs
// while in memory).
struct JournalFile {
  sqlite3_file base;  // first: SQLite sees a JournalFile as a sqlite3_file
  std::vector<char> data;
  sqlite3_file* real = nullptr;
  int flags = 0;
};

JournalFile& Of(sqlite3_file* f) { return *reinterpret_cast<JournalFile*>(f); }

// Moves the journal to a temporary file of the machine's file system.
int Spill(JournalFile& j) {
  auto* real = static_cast<sqlite3_file*>(sqlite3_malloc(g_base->szOsFile));
  if (real == nullptr) return SQLITE_IOERR_NOMEM;
  std::memset(real, 0, static_cast<std::size_t>(g_base->szOsFile));
  int rc = g_base->xOpen(g_base, nullptr, real, j.flags, nullptr);
  // The machine's file system takes writes of a page at most (it cuts longer
  // ones short and calls that a full disk): the journal goes in pieces.
  for (std::size_t at = 0; rc == SQLITE_OK && at < j.data.size(); at += kSpillPiece) {
    const std::size_t n = std::min(kSpillPiece, j.data.size() - at);
    rc = real->pMethods->xWrite(real, j.data.data() + at, static_cast<int>(n), static_cast<sqlite3_int64>(at));
  }
  if (rc != SQLITE_OK) {
    // The journal stays in memory, whole: the write that needed the file fails.
    if (real->pMethods != nullptr) real->pMethods->xClose(real);
    sqlite3_free(real);
    return rc;
  }
  j.real = real;
  std::vector<char>().swap(j.data);
  return SQLITE_OK;
}

int Close(sqlite3_file* f) {
  JournalFile& j = Of(f);
  int rc = SQLITE_OK;
  if (j.real != nullptr) {
    rc = j.real->pMethods->xClose(j.real);
    sqlite3_free(j.real);
  } else if (j.data.capacity() > t_spare.capacity()) {
    j.data.clear();
    t_spare.swap(j.data);
  }
  j.~JournalFile();
  return rc;
}

int Read(sqlite3_file* f, void* out, int amount, sqlite3_int64 offset) {
  JournalFile& j = Of(f);
  if (j.real != nullptr) return j.real->pMethods->xRead(j.real, out, amount, offset);
  const auto n = static_cast<std::size_t>(amount);
  const auto at = static_cast<std::size_t>(offset);
  const std::size_t have = at < j.data.size() ? std::min(n, j.data.size() - at) : 0;
  if (have > 0) std::memcpy(out, j.data.data() + at, have);
  if (have == n) return SQLITE_OK;
  // SQLite's contract for a read past the end: zeros, and a short read.
  std::memset(static_cast<char*>(out) + have, 0, n - have);
  return SQLITE_IOERR_SHORT_READ;
}

int Write(sqlite3_file* f, const void* in, int amount, sqlite3_int64 offset) {
  JournalFile& j = Of(f);
  const auto end = static_cast<std::size_t>(offset) + static_cast<std::size_t>(amount);
  if (j.real == nullptr && end > kMemoryBound) {
    if (int rc = Spill(j)) return rc;
  }
  if (j.real != nullptr) return j.real->pMethods->xWrite(j.real, in, amount, offset);
  try {
    if (end > j.data.size()) j.data.resize(end);
  } catch (const std::bad_alloc&) {
    return SQLITE_IOERR_NOMEM;
  }
  std::memcpy(j.data.data() + offset, in, static_cast<std::size_t>(amount));
  return SQLITE_OK;
}

int Truncate(sqlite3_file* f, sqlite3_int64 size) {
  JournalFile& j = Of(f);
  if (j.real != nullptr) return j.real->pMethods->xTruncate(j.real, size);
  if (static_cast<std::size_t>(size) < j.data.size()) j.data.resize(static_cast<std::size_t>(size));
  return SQLITE_OK;
}

int Sync(sqlite3_file* f, int flags) {
  JournalFile& j = Of(f);
  return j.real != nullptr ? j.real->pMethods->xSync(j.real, flags) : SQLITE_OK;
}

int FileSize(sqlite3_file* f, sqlite3_int64* size) {
  JournalFile& j = Of(f);
  if (j.real != nullptr) return j.real->pMethods->xFileSize(j.real, size);
  *size = static_cast<sqlite3_int64>(j.data.size());
  return SQLITE_OK;
}

// A journal is the connection's alone: it is never locked.
int Lock(sqlite3_file*, int) { return SQLITE_OK; }
int CheckReservedLock(sqlite3_file*, int* out) {
  *out = 0;
  return SQLITE_OK;
}

int FileControl(sqlite3_file* f, int op, void* arg) {
  JournalFile& j = Of(f);
  return j.real != nullptr ? j.real->pMethods->xFileControl(j.real, op, arg) : SQLITE_NOTFOUND;
}

int SectorSize(sqlite3_file* f) {
  JournalFile& j = Of(f);
  return j.real != nullptr ? j.real->pMethods->xSectorSize(j.real) : 4096;
}

int DeviceCharacteristics(sqlite3_file* f) {
  JournalFile& j = Of(f);
  return j.real != nullptr ? j.real->pMethods->xDeviceCharacteristics(j.real) : 0;
}

const sqlite3_io_methods kJournalMethods = {
    1, Close, Read, Write, Truncate, Sync, FileSize, Lock, Lock, CheckReservedLock,
    FileControl, SectorSize, DeviceCharacteristics,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

// Statement journals are made here; every other file is the machine's, opened
// by its own file system (which expects to be called as itself).
int Open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
  if ((flags & SQLITE_OPEN_SUBJOURNAL) == 0) return g_base->xOpen(g_base, name, f, flags, outFlags);
  auto* j = new (f) JournalFile;
  j->base.pMethods = &kJournalMethods;
  j->flags = flags;
  j->data.swap(t_spare);
  j->data.clear();
  if (outFlags != nullptr) *outFlags = flags;
  return SQLITE_OK;
}

int Delete(sqlite3_vfs*, const char* name, int syncDir) { return g_base->xDelete(g_base, name, syncDir); }
int Access(sqlite3_vfs*, const char* name, int flags, int* out) { return g_base->xAccess(g_base, name, flags, out); }
int FullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
  return g_base->xFullPathname(g_base, name, n, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) { return g_base->xDlOpen(g_base, name); }
void DlError(sqlite3_vfs*, int n, char* out) { g_base->xDlError(g_base, n, out); }
void (*DlSym(sqlite3_vfs*, void* lib, const char* symbol))(void) { return g_base->xDlSym(g_base, lib, symbol); }
void DlClose(sqlite3_vfs*, void* lib) { g_base->xDlClose(g_base, lib); }
int Randomness(sqlite3_vfs*, int n, char* out) { return g_base->xRandomness(g_base, n, out); }
int Sleep(sqlite3_vfs*, int micros) { return g_base->xSleep(g_base, micros); }
int CurrentTime(sqlite3_vfs*, double* out) { return g_base->xCurrentTime(g_base, out); }
int GetLastError(sqlite3_vfs*, int n, char* out) { return g_base->xGetLastError(g_base, n, out); }
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) { return g_base->xCurrentTimeInt64(g_base, out); }

sqlite3_vfs g_vfs{};

bool Register() {
  g_base = sqlite3_vfs_find(nullptr);
  // Version 2 is all this file system offers (no system-call overrides).
  if (g_base == nullptr || g_base->iVersion < 2) return false;
  g_vfs.iVersion = 2;
  g_vfs.szOsFile = std::max(g_base->szOsFile, static_cast<int>(sizeof(JournalFile)));
  g_vfs.mxPathname = g_base->mxPathname;
  g_vfs.zName = "qx-records";
  g_vfs.xOpen = Open;
  g_vfs.xDelete = Delete;
  g_vfs.xAccess = Access;
  g_vfs.xFullPathname = FullPathname;
  g_vfs.xDlOpen = DlOpen;
  g_vfs.xDlError = DlError;
  g_vfs.xDlSym = DlSym;
  g_vfs.xDlClose = DlClose;
  g_vfs.xRandomness = Randomness;
  g_vfs.xSleep = Sleep;
  g_vfs.xCurrentTime = CurrentTime;
  g_vfs.xGetLastError = GetLastError;
  g_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
  return sqlite3_vfs_register(&g_vfs, 0) == SQLITE_OK;
}

}  // namespace

const char* SubJournalVfsName() {
  static const bool registered = Register();
  return registered ? g_vfs.zName : nullptr;
}

}  // namespace btrvc
