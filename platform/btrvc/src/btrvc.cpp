// The record-manager client over SQLite.
//
// One connection per folder per process serves every handle of that folder.
// A handle walks a key with a live statement that stays stepping along the
// key's index for as long as nothing invalidates it (a write to the file, a
// change of key or position, a commit by another process); it then seeks
// again from the current record's (key, position), so get next/previous go on
// from the right place whatever happened to the record meanwhile.
//
// The process's transaction is a savepoint inside a write transaction of each
// folder it writes (BEGIN IMMEDIATE at the first write).  Without grouping the
// write transaction commits when the process's transaction ends; with it, the
// write transaction stays open over several of them and commits as a group.
#include "btrvc.h"

#include <pthread.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "counters.h"
#include "key_spec.h"
#include "lock_file.h"
#include "sub_journal_vfs.h"
#include "test_switch.h"

namespace btrvc {
namespace {

constexpr const char* kDatabaseName = kRecordDatabaseName;
constexpr int kApplicationId = 0x51585243;  // "QXRC"
constexpr int kSchemaVersion = 1;
constexpr int kBusyMillis = 5000;
// Pages in the write-ahead log that make a commit checkpoint it (SQLite's
// default is 1000).
constexpr int kCheckpointPages = 10000;
// Bounds of a group of transactions committed together (BtrvGroupBegin): the
// folder's write lock is held for a group at most this long, well inside the
// time another process waits for it.
constexpr int kGroupMaxUnits = 100000;
constexpr int kGroupMaxMillis = 1000;
// After committing a group while another process waits for the write lock,
// the process lets it in before it begins the next group.
constexpr auto kYieldToWaiter = std::chrono::milliseconds(3);
constexpr std::int64_t kMaxPosition = 0xFFFFFFFF;
constexpr int kVersionMajor = 7;
constexpr int kVersionMinor = 0;
constexpr int kStatusInactive = 20;  // the record manager is not resident

// ---- SQLite helpers ---------------------------------------------------------

int StatusOf(int rc, int busy = kStatusRecordInUse) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return kStatusOk;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return busy;
    case SQLITE_CONSTRAINT: return kStatusDuplicateKey;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return kStatusPermissionError;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return kStatusNotARecordFile;
    case SQLITE_CANTOPEN: return kStatusFileNotFound;
    default: return kStatusIoError;
  }
}

int Exec(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return nullptr;
  }
  return st;
}

// Use of a kept statement: reset, with its bindings cleared, on every way out.
class Use {
 public:
  explicit Use(sqlite3_stmt* st) : st_(st) {}
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;
  ~Use() {
    if (st_ != nullptr) {
      sqlite3_reset(st_);
      sqlite3_clear_bindings(st_);
    }
  }
  sqlite3_stmt* get() const { return st_; }

 private:
  sqlite3_stmt* st_;
};

void Finalize(sqlite3_stmt*& st) {
  sqlite3_finalize(st);
  st = nullptr;
}

void BindBlob(sqlite3_stmt* st, int i, const void* data, std::size_t n) {
  sqlite3_bind_blob64(st, i, n ? data : "", n, SQLITE_STATIC);
}

void BindBlob(sqlite3_stmt* st, int i, const std::string& s) { BindBlob(st, i, s.data(), s.size()); }

std::string_view ColumnBlob(sqlite3_stmt* st, int i) {
  const void* p = sqlite3_column_blob(st, i);
  const int n = sqlite3_column_bytes(st, i);
  return {static_cast<const char*>(p), static_cast<std::size_t>(n)};
}

std::string FoldName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::uint32_t GetU32(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

void PutU16(unsigned char* p, unsigned v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void PutU32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// ---- State ------------------------------------------------------------------

// The statements a handle walks a key with.
enum CursorKind {
  kFirst,
  kLast,
  kGreaterOrEqual,
  kGreater,
  kLessOrEqual,
  kLess,
  kSameAfter,   // equal key, later position
  kSameBefore,  // equal key, earlier position
  kCursorKinds
};

// A key made by BtrvCreateIndex: a temporary table of (encoded key, position)
// of this connection, kept current by every write of the process.  The
// position is the table's rowid, so that a write finds the record's entry
// without a scan; walks use its index on (key, position).
struct SupIndex {
  int number = 0;
  BtrvHandle owner = 0;
  Key key;
  std::string table;  // name in the temp schema
  sqlite3_stmt* insert = nullptr;
  sqlite3_stmt* remove = nullptr;
  sqlite3_stmt* keyAt = nullptr;
  ~SupIndex() {
    Finalize(insert);
    Finalize(remove);
    Finalize(keyAt);
  }
};

// A record as the connection knows it inside a write transaction: its image
// and whether that image still waits to be written (an update kept back).
// `noted` is the savepoint (Database::unitSerial) that changed it last; the
// undo list holds its pending image from before that savepoint, if it had one.
struct KnownImage {
  std::string image;
  bool pending = false;
  std::uint64_t noted = 0;
};

// The last value given to a file's Table::changes; read and written under
// the state's lock, as every call runs.
std::uint64_t g_lastChange = 0;
std::uint64_t NextChange() { return ++g_lastChange; }

// A record file as one connection sees it.
struct Table {
  std::int64_t id = 0;
  std::string name;
  std::string folded;
  std::string sqlName;  // "f<id>"
  FileLayout layout;
  // Given anew at each write through this connection and each rollback,
  // and never given to another file or again to this one: whoever kept it
  // knows the file is as it was while it stays (BtrvFileStamp).
  std::uint64_t changes = NextChange();
  // Per key, the writes that changed its index (an insert or a delete, an
  // update that changed the key's value): a live walk along a key stays live
  // over writes that left its index alone.  Walks on supplementary keys
  // follow `changes`.
  std::vector<std::uint64_t> keyChanges;
  // Records known inside the write transaction `rowsSerial` (whose write
  // lock keeps every other process out), by position: read by position or
  // found by a unique key, kept current by this connection's own writes; a
  // pending one holds an update not yet handed to SQLite ("Records known").
  std::unordered_map<std::int64_t, KnownImage> rows;
  std::uint64_t rowsSerial = 0;
  std::vector<std::int64_t> pending;  // positions of the pending records
  // Per unique key, the position of the known record an encoded value
  // found (checked against the record before it is used).
  std::vector<std::unordered_map<std::string, std::int64_t>> byKey;
  int handles = 0;
  int exclusiveHandles = 0;
  int lockedRecords = 0;  // record locks held by this process's handles
  std::vector<std::unique_ptr<SupIndex>> sups;
  sqlite3_stmt* insert = nullptr;
  // Updates by the set of keys whose encoded value changes (bit k: key k;
  // files of more than 64 keys always write every key column): a key column
  // left alone leaves its index alone.  `updates` checks that the record is
  // still as the handle read it; `knownUpdates` serve when that is certain.
  std::unordered_map<std::uint64_t, sqlite3_stmt*> updates;
  std::unordered_map<std::uint64_t, sqlite3_stmt*> knownUpdates;
  sqlite3_stmt* remove = nullptr;
  sqlite3_stmt* byPosition = nullptr;
  std::vector<sqlite3_stmt*> keyAt;
  // Scratch for the encoded keys of a write.
  std::vector<std::string> encoded;
  std::vector<char> present;
  std::string before;
  // This file's counters, when the process counts (Counters).
  FileCounters* counts = nullptr;
  // Walk statements of closed handles, by key number and kind, for the next
  // handle to take instead of preparing its own.
  std::map<int, std::array<std::vector<sqlite3_stmt*>, kCursorKinds>> idleStmts;

  ~Table() {
    for (auto& [key, kinds] : idleStmts)
      for (auto& stmts : kinds)
        for (sqlite3_stmt* st : stmts) sqlite3_finalize(st);
    Finalize(insert);
    for (auto& [mask, st] : updates) Finalize(st);
    for (auto& [mask, st] : knownUpdates) Finalize(st);
    Finalize(remove);
    Finalize(byPosition);
    for (auto& st : keyAt) Finalize(st);
  }
};

// The statements that begin and end transactions, prepared once.
enum TxStatement { kBegin, kCommit, kRollback, kSavepoint, kRelease, kRollbackTo, kTxStatements };
constexpr const char* kTxSql[kTxStatements] = {"BEGIN IMMEDIATE",   "COMMIT",         "ROLLBACK",
                                               "SAVEPOINT qx_unit", "RELEASE qx_unit", "ROLLBACK TO qx_unit"};

struct Database {
  std::string folder;
  sqlite3* db = nullptr;
  // A folder whose database this process may not write (an installed,
  // read-only tree): every handle is read-only and nothing is locked.
  bool readOnly = false;
  LockFile lock;
  std::map<std::int64_t, std::unique_ptr<Table>> tables;
  bool inTransaction = false;  // a write transaction (BEGIN IMMEDIATE) is open
  bool inUnit = false;         // ... and the process's transaction is in it
  // ... with a savepoint of its own.  The first transaction of a write
  // transaction needs none: its abort is the rollback of the whole.  SQLite
  // then journals nothing for it, which spares a transaction that changes
  // many records (and every transaction that is not grouped) a copy of each
  // page it changes.
  bool unitSavepoint = false;
  int units = 0;               // the process's transactions ended inside it, kept
  bool commitSoon = false;     // commit it as soon as the transaction in hand ends
  std::chrono::steady_clock::time_point opened;  // when it began
  std::uint64_t serial = 0;    // write transactions begun so far
  std::uint64_t seen = 0;      // the folder's commit count our snapshot reflects
  int handles = 0;
  std::vector<std::string> droppedInTransaction;
  std::size_t droppedBeforeUnit = 0;  // of them, those before the savepoint
  // What the process's transaction in hand changed of the known records:
  // their state before it (so that its abort puts back theirs and no other).
  struct Undo {
    std::int64_t table = 0;
    std::int64_t position = 0;
    std::string image;  // its pending image
  };
  std::vector<Undo> undo;
  std::uint64_t unitSerial = 0;  // savepoints set so far
  // Waiting for the write lock: since when, and whether this process says so.
  std::chrono::steady_clock::time_point waitStart;
  bool waiting = false;
  std::array<sqlite3_stmt*, kTxStatements> tx{};
  sqlite3_stmt* findFile = nullptr;  // a file's catalogue entry by folded name
  // Catalogue entries found inside the write transaction `catalogSerial`
  // (no other process changes the catalogue meanwhile; this process's own
  // changes forget them): a file opened again and again is looked up once.
  std::unordered_map<std::string, std::pair<std::int64_t, std::string>> catalog;
  std::uint64_t catalogSerial = 0;

  Database() = default;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database();

  // Runs one of the transaction statements; the SQLite result.
  int Step(TxStatement which);
  int StepStatement(TxStatement which) {
    if (tx[which] == nullptr) tx[which] = Prepare(db, kTxSql[which]);
    if (tx[which] == nullptr) return sqlite3_errcode(db) == SQLITE_OK ? SQLITE_ERROR : sqlite3_errcode(db);
    const int rc = sqlite3_step(tx[which]);
    sqlite3_reset(tx[which]);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  }

  // Ends every statement still stepping, so that the connection holds no read
  // snapshot (before writes and after another process committed).
  void ResetAll() {
    for (sqlite3_stmt* st = sqlite3_next_stmt(db, nullptr); st; st = sqlite3_next_stmt(db, st)) {
      if (sqlite3_stmt_busy(st)) sqlite3_reset(st);
    }
  }

  // Called at the start of each operation: live walks must not go on reading
  // a snapshot older than another process's commit.
  void Refresh() {
    if (inTransaction || readOnly) return;
    const std::uint64_t now = lock.Commits();
    if (now != seen) {
      ResetAll();
      seen = now;
    }
  }
};

struct Cursor {
  sqlite3_stmt* stmt = nullptr;
  int key = -1;
  bool forward = true;
  std::uint64_t changes = 0;
  std::int64_t position = 0;
  // Walking the records of one key value after a seek; when they run out the
  // walk goes on with the strictly greater (or smaller) keys.
  bool inGroup = false;
  std::string group;
  // A forward walk knows the encoded key of the record it is on, and of the
  // records before it that their keys are below `before` (`beforeStrict`)
  // or at most `before`: a get-equal or get-greater-or-equal that the
  // record it is on answers is answered without a seek.  `imageChanges` is
  // the file's change count when it read that record.
  bool knowsBefore = false;
  bool beforeStrict = false;
  std::string before;
  std::string current;
  std::uint64_t imageChanges = 0;
};

struct Handle {
  BtrvHandle number = 0;
  Database* db = nullptr;
  Table* table = nullptr;
  bool readOnly = false;
  bool exclusive = false;
  int lockFd = -1;
  std::set<std::int64_t> locks;
  int key = 0;
  bool positioned = false;  // has a place in the file to walk on from
  bool current = false;     // that place is a record (false after its delete)
  // The current record was looked up (by key or position), not reached by
  // a walk: its updates may be kept back although its statement is live.
  bool lookedUp = false;
  std::int64_t position = 0;
  std::string image;        // the current record as this handle read or wrote it
  // The write transaction (Database::serial) and the file's change count
  // (Table::changes) when `image` was read or written inside a write
  // transaction: while both still hold, `image` is what is stored.
  std::uint64_t imageSerial = 0;
  std::uint64_t imageChanges = 0;
  Cursor cursor;
  std::map<int, std::array<sqlite3_stmt*, kCursorKinds>> stmts;
  std::string probe;        // scratch for an encoded search key
};

struct State {
  std::mutex mutex;
  Counters counters;
  std::vector<std::unique_ptr<Handle>> handles = std::vector<std::unique_ptr<Handle>>(1);  // index = handle number; 0 unused
  std::map<std::string, std::unique_ptr<Database>> databases;
  std::array<std::string, 4> folders;
  bool transaction = false;
  std::uint64_t transactions = 0;  // begun so far (BtrvTransactionNumber)
  // Grouped commits (BtrvGroupBegin): on, and the bounds of a group.
  bool grouping = false;
  int groupUnits = 1;
  std::chrono::milliseconds groupTime{0};
  bool waiting = false;  // some connection marked this process as waiting for a write lock
  TestSwitches switches;
  std::uint64_t supSerial = 0;
};

State* g_state = nullptr;
std::atomic<bool> g_forked{false};

Database::~Database() {
  tables.clear();
  for (auto& st : tx) Finalize(st);
  Finalize(findFile);
  if (g_state != nullptr) g_state->counters.AddConnection(db);
  if (db != nullptr) sqlite3_close_v2(db);
}

int Database::Step(TxStatement which) {
  if (g_state != nullptr && g_state->counters.on()) {
    ProcessCounters& p = g_state->counters.Process();
    switch (which) {
      case kBegin: ++p.writeTransactions; break;
      case kCommit: ++p.commits; break;
      case kSavepoint: ++p.savepoints; break;
      case kRollbackTo: ++p.rollbacksTo; break;
      default: break;
    }
  }
  return StepStatement(which);
}

// Writes the counters when the process ends (QX_BTRV_COUNTERS).
void WriteCounters() {
  if (g_state == nullptr || !g_state->counters.on()) return;
  for (auto& [folder, d] : g_state->databases) g_state->counters.AddConnection(d->db);
  g_state->counters.Write();
}

void OnFork() { g_forked.store(true); }

// A child of fork must not use its parent's connections or descriptors: it
// closes its copies of the lock descriptors (the parent's locks stay the
// parent's) and leaves the inherited connections untouched, then starts anew.
void AbandonAfterFork() {
  if (g_state == nullptr) return;
  for (auto& [folder, d] : g_state->databases) {
    d->lock.AbandonAfterFork();
    (void)d.release();
  }
  for (auto& h : g_state->handles) {
    if (h && h->lockFd >= 0) close(h->lockFd);
    (void)h.release();
  }
  TestSwitches switches = g_state->switches;
  std::array<std::string, 4> folders = g_state->folders;
  g_state = new State;  // the parent's state is left behind on purpose
  g_state->switches = switches;
  g_state->folders = folders;
}

State& Global() {
  // Made once, on the first call (every call asks: keep it cheap).
  static const bool made = [] {
    g_state = new State;
    if (const char* env = std::getenv("QX_BTRV_TEST")) g_state->switches.Set(env);
    g_state->counters.Start();
    if (g_state->counters.on()) std::atexit(WriteCounters);
    pthread_atfork(nullptr, nullptr, OnFork);
    return true;
  }();
  (void)made;
  if (g_forked.load(std::memory_order_relaxed) && g_forked.exchange(false)) AbandonAfterFork();
  return *g_state;
}

// Ends this process's waiting mark once the call that waited is over.
void StopWaiting(State& s) {
  s.waiting = false;
  for (auto& [folder, d] : s.databases) {
    if (!d->waiting) continue;
    d->lock.SetWaiting(false);
    d->waiting = false;
  }
}

// Runs an operation under the client's lock; no exception leaves the client.
template <class F>
int Run(F&& f) {
  try {
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.mutex);
    const int status = f(s);
    if (s.waiting) StopWaiting(s);
    return status;
  } catch (...) {
    return kStatusIoError;
  }
}

// SQLite's busy handler: waits for a lock another process holds, up to the
// busy timeout, and says meanwhile in the lock file that this process waits.
int BusyWait(void* arg, int count) {
  auto* d = static_cast<Database*>(arg);
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) {
    d->waitStart = now;
    if (!d->waiting) {
      d->lock.SetWaiting(true);
      d->waiting = true;
      if (g_state != nullptr) g_state->waiting = true;
    }
  }
  if (now - d->waitStart >= std::chrono::milliseconds(kBusyMillis)) return 0;
  std::this_thread::sleep_for(count < 10 ? std::chrono::microseconds(100) : std::chrono::microseconds(1000));
  return 1;
}

Handle* Find(State& s, BtrvHandle n) {
  if (n == 0 || n >= s.handles.size()) return nullptr;
  return s.handles[n].get();
}

// ---- Paths and databases ----------------------------------------------------

struct FilePath {
  std::string folder;  // resolved, without a trailing slash
  std::string name;
  std::string folded;
};

std::string TrimFolder(std::string f) {
  for (char& c : f) {
    if (c == '\\') c = '/';
  }
  while (!f.empty() && (f.back() == ' ' || f.back() == '/')) f.pop_back();
  return f;
}

int ResolvePath(const State& s, const char* path, FilePath& out) {
  if (path == nullptr) return kStatusInvalidFileName;
  std::string p(path);
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  while (!p.empty() && p.back() == ' ') p.pop_back();
  const auto slash = p.rfind('/');
  std::string folder;
  if (slash == std::string::npos) {
    folder = s.folders[3].empty() ? "." : s.folders[3];
    out.name = p;
  } else {
    folder = slash == 0 ? "/" : p.substr(0, slash);
    out.name = p.substr(slash + 1);
  }
  if (out.name.empty()) return kStatusInvalidFileName;
  char resolved[PATH_MAX];
  if (realpath(folder.c_str(), resolved) == nullptr) return kStatusFileNotFound;
  out.folder = resolved;
  if (out.folder.size() > 1 && out.folder.back() == '/') out.folder.pop_back();
  out.folded = FoldName(out.name);
  return kStatusOk;
}

int QueryInt(sqlite3* db, const char* sql, int& value) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(st);
    value = rc == SQLITE_ROW ? sqlite3_column_int(st, 0) : 0;
    rc = rc == SQLITE_ROW ? SQLITE_OK : rc;
  }
  sqlite3_finalize(st);
  return rc;
}

int CreateSchema(sqlite3* db) {
  int rc = Exec(db, "BEGIN IMMEDIATE");
  if (rc != SQLITE_OK) return StatusOf(rc, kStatusFileInUse);
  int appId = 0, objects = 0;
  rc = QueryInt(db, "PRAGMA application_id", appId);
  if (rc == SQLITE_OK) rc = QueryInt(db, "SELECT count(*) FROM sqlite_master", objects);
  int status = StatusOf(rc);
  if (status == 0 && appId == 0 && objects > 0) status = kStatusNotARecordFile;
  if (status == 0 && appId != 0 && appId != kApplicationId) status = kStatusNotARecordFile;
  if (status == 0 && appId == 0) {
    rc = Exec(db,
              "CREATE TABLE qx_catalog("
              " id INTEGER PRIMARY KEY AUTOINCREMENT,"
              " name TEXT NOT NULL,"
              " folded TEXT NOT NULL UNIQUE,"
              " record_length INTEGER NOT NULL,"
              " page_size INTEGER NOT NULL,"
              " format_version INTEGER NOT NULL,"
              " file_flags INTEGER NOT NULL,"
              " key_count INTEGER NOT NULL,"
              " key_segments BLOB NOT NULL,"
              " collating BLOB);"
              "PRAGMA application_id=" + std::to_string(kApplicationId) + ";"
              "PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";");
    status = StatusOf(rc);
  }
  rc = Exec(db, status == 0 ? "COMMIT" : "ROLLBACK");
  return status ? status : StatusOf(rc);
}

// Opens `file` for reading only: as a live database when another process
// may be writing it (its shared-memory file is there to join), else, where
// no file can be made beside it, as an unchanging one.
int OpenReadOnly(Database& d, const std::string& file) {
  const std::string uri = "file:" + file;
  for (const char* mode : {"?mode=ro", "?immutable=1"}) {
    if (d.db != nullptr) sqlite3_close_v2(d.db);
    d.db = nullptr;
    int rc = sqlite3_open_v2((uri + mode).c_str(), &d.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
                             SubJournalVfsName());
    if (rc != SQLITE_OK) return StatusOf(rc);
    sqlite3_extended_result_codes(d.db, 1);
    sqlite3_busy_timeout(d.db, kBusyMillis);
    int appId = 0;
    rc = QueryInt(d.db, "PRAGMA application_id", appId);
    if (rc == SQLITE_OK) return appId == kApplicationId ? kStatusOk : appId == 0 ? kStatusFileNotFound
                                                                                   : kStatusNotARecordFile;
    if ((rc & 0xFF) != SQLITE_CANTOPEN && (rc & 0xFF) != SQLITE_READONLY) return StatusOf(rc, kStatusFileInUse);
  }
  return kStatusPermissionError;
}

// The connection of `folder`, opened when the process has none.  Without
// `create`, a folder without a record database answers 12.  A database this
// process may not write (its file or its folder is read-only) is opened for
// reading only; creating files in it answers 46.
int OpenDatabase(State& s, const std::string& folder, bool create, Database*& out) {
  if (auto it = s.databases.find(folder); it != s.databases.end()) {
    out = it->second.get();
    return kStatusOk;
  }
  const std::string file = folder + "/" + kDatabaseName;
  const bool exists = access(file.c_str(), F_OK) == 0;
  if (!create && !exists) return kStatusFileNotFound;
  auto d = std::make_unique<Database>();
  d->folder = folder;
  if (exists && (access(file.c_str(), W_OK) != 0 || access(folder.c_str(), W_OK) != 0)) {
    if (int st = OpenReadOnly(*d, file)) return st;
    d->readOnly = true;
    out = d.get();
    s.databases.emplace(folder, std::move(d));
    return kStatusOk;
  }
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  int rc = sqlite3_open_v2(file.c_str(), &d->db, flags, SubJournalVfsName());
  if (rc != SQLITE_OK) return errno == EACCES ? kStatusPermissionError : StatusOf(rc);
  sqlite3_extended_result_codes(d->db, 1);
  sqlite3_busy_handler(d->db, BusyWait, d.get());
  if (create) Exec(d->db, "PRAGMA journal_mode=WAL");
  // WAL with synchronous=NORMAL: a commit is whole or absent after any crash;
  // after a power loss the last commits before a checkpoint may be lost.
  Exec(d->db, "PRAGMA synchronous=NORMAL");
  // A checkpoint copies the log's pages into the database and waits for the
  // disk twice.  A posting group rewrites pages all over the file: one
  // checkpoint every few groups instead of one after each copies a page once
  // for many groups and waits far less (the log grows to 40 MB at most).
  Exec(d->db, "PRAGMA wal_autocheckpoint=" + std::to_string(kCheckpointPages));
  int appId = 0;
  rc = QueryInt(d->db, "PRAGMA application_id", appId);
  if (rc != SQLITE_OK) {
    // The file is there: a database that cannot be opened (its journal
    // files cannot be made in a read-only folder) is a refusal, not "no file".
    const int status = StatusOf(rc, kStatusFileInUse);
    if (status != kStatusFileNotFound) return status;
    return access(folder.c_str(), W_OK) != 0 ? kStatusPermissionError : kStatusIoError;
  }
  if (appId != kApplicationId) {
    // The folder has a database file, and it is not one of ours: damaged
    // (cut short, overwritten) or another program's.  Never "no file": a
    // damaged company must not pass for a folder that holds none.
    if (!create) return kStatusNotARecordFile;
    if (int st = CreateSchema(d->db)) return st;
  }
  if (int err = d->lock.Open(folder))
    return err == EACCES || err == EROFS ? kStatusPermissionError : kStatusIoError;
  d->seen = d->lock.Commits();
  out = d.get();
  s.databases.emplace(folder, std::move(d));
  return kStatusOk;
}

// Closes a connection that no handle and no transaction needs.
void ReleaseIfIdle(State& s, Database* d) {
  if (d != nullptr && d->handles == 0 && !d->inTransaction) s.databases.erase(d->folder);
}

// Releases an idle connection at the end of a file operation.
class IdleRelease {
 public:
  IdleRelease(State& s, Database*& d) : s_(s), d_(d) {}
  IdleRelease(const IdleRelease&) = delete;
  IdleRelease& operator=(const IdleRelease&) = delete;
  ~IdleRelease() { ReleaseIfIdle(s_, d_); }

 private:
  State& s_;
  Database*& d_;
};

struct CatalogEntry {
  std::int64_t id = 0;
  std::string name;
};

// Looks a file up by folded name: 0 found, 12 not found, else an error.
int FindFile(Database& d, const std::string& folded, CatalogEntry& out) {
  const bool cached = d.inTransaction && d.catalogSerial == d.serial;
  if (cached) {
    if (const auto it = d.catalog.find(folded); it != d.catalog.end()) {
      out.id = it->second.first;
      out.name = it->second.second;
      return kStatusOk;
    }
  } else if (d.inTransaction) {
    d.catalog.clear();
    d.catalogSerial = d.serial;
  }
  if (d.findFile == nullptr) d.findFile = Prepare(d.db, "SELECT id, name FROM qx_catalog WHERE folded = ?1");
  int rc = d.findFile == nullptr ? sqlite3_errcode(d.db) : SQLITE_OK;
  if (rc == SQLITE_OK) {
    Use use(d.findFile);
    sqlite3_bind_text(d.findFile, 1, folded.c_str(), -1, SQLITE_STATIC);
    rc = sqlite3_step(d.findFile);
    if (rc == SQLITE_ROW) {
      out.id = sqlite3_column_int64(d.findFile, 0);
      out.name = reinterpret_cast<const char*>(sqlite3_column_text(d.findFile, 1));
    }
  }
  if (rc == SQLITE_OK) rc = SQLITE_ERROR;
  if (rc == SQLITE_ROW) {
    if (d.inTransaction) d.catalog[folded] = {out.id, out.name};
    return kStatusOk;
  }
  if (rc == SQLITE_DONE) return kStatusFileNotFound;
  return StatusOf(rc, kStatusFileInUse);
}

std::string KeyColumn(int n) { return "k" + std::to_string(n); }

int LoadTable(Database& d, const std::string& folded, Table*& out) {
  CatalogEntry entry;
  if (int st = FindFile(d, folded, entry)) return st;
  if (auto it = d.tables.find(entry.id); it != d.tables.end()) {
    // Known already (open, or closed and kept): under the name it has now.
    it->second->name = entry.name;
    it->second->folded = folded;
    out = it->second.get();
    return kStatusOk;
  }
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(d.db,
                              "SELECT record_length, page_size, format_version, file_flags,"
                              " key_count, key_segments, collating FROM qx_catalog WHERE id = ?1",
                              -1, &st, nullptr);
  auto t = std::make_unique<Table>();
  int status = kStatusOk;
  if (rc == SQLITE_OK) {
    sqlite3_bind_int64(st, 1, entry.id);
    rc = sqlite3_step(st);
  }
  if (rc == SQLITE_ROW) {
    const auto segments = ColumnBlob(st, 5);
    const auto collating = ColumnBlob(st, 6);
    status = LoadLayout(static_cast<std::uint16_t>(sqlite3_column_int(st, 0)),
                        static_cast<std::uint16_t>(sqlite3_column_int(st, 1)),
                        static_cast<std::uint8_t>(sqlite3_column_int(st, 2)),
                        static_cast<std::uint16_t>(sqlite3_column_int(st, 3)),
                        sqlite3_column_int(st, 4), std::string(segments), std::string(collating),
                        t->layout);
    if (status != 0) status = kStatusNotARecordFile;
  } else {
    status = rc == SQLITE_DONE ? kStatusFileNotFound : StatusOf(rc, kStatusFileInUse);
  }
  sqlite3_finalize(st);
  if (status != 0) return status;

  t->id = entry.id;
  t->name = entry.name;
  t->folded = folded;
  t->sqlName = "f" + std::to_string(entry.id);
  if (g_state != nullptr && g_state->counters.on()) t->counts = &g_state->counters.File(folded);
  const std::size_t keys = t->layout.keys.size();
  std::string cols, params;
  for (std::size_t k = 0; k < keys; ++k) {
    cols += ", " + KeyColumn(static_cast<int>(k));
    params += ", ?" + std::to_string(k + 2);
  }
  t->insert = Prepare(d.db, "INSERT INTO " + t->sqlName + "(image" + cols + ") VALUES(?1" + params + ")");
  t->remove = Prepare(d.db, "DELETE FROM " + t->sqlName + " WHERE pos = ?1 AND image = ?2");
  t->byPosition = Prepare(d.db, "SELECT image FROM " + t->sqlName + " WHERE pos = ?1");
  if (!t->insert || !t->remove || !t->byPosition) return kStatusNotARecordFile;
  t->keyAt.assign(keys, nullptr);
  t->keyChanges.assign(keys, 0);
  t->byKey.resize(keys);
  t->encoded.resize(keys);
  t->present.resize(keys);
  out = t.get();
  d.tables.emplace(t->id, std::move(t));
  return kStatusOk;
}

// ---- Keys and walks ----------------------------------------------------------

const Key* KeyOf(const Handle& h, int n, const SupIndex** sup) {
  *sup = nullptr;
  const auto& keys = h.table->layout.keys;
  if (n >= 0 && static_cast<std::size_t>(n) < keys.size()) return &keys[n];
  for (const auto& s : h.table->sups) {
    if (s->owner == h.number && s->number == n) {
      *sup = s.get();
      return &s->key;
    }
  }
  return nullptr;
}

std::string CursorSql(const Table& t, int keyNumber, const SupIndex* sup, CursorKind kind) {
  std::string from, k, p;
  if (sup != nullptr) {
    from = "temp." + sup->table + " AS s JOIN main." + t.sqlName + " AS f ON f.pos = s.pos";
    k = "s.k";
    p = "s.pos";
  } else {
    from = "main." + t.sqlName + " AS f";
    k = "f." + KeyColumn(keyNumber);
    p = "f.pos";
  }
  const std::string head = "SELECT " + p + ", f.image, " + k + " FROM " + from + " WHERE ";
  const std::string up = " ORDER BY " + k + ", " + p;
  const std::string down = " ORDER BY " + k + " DESC, " + p + " DESC";
  switch (kind) {
    case kFirst: return head + k + " IS NOT NULL" + up;
    case kLast: return head + k + " IS NOT NULL" + down;
    case kGreaterOrEqual: return head + k + " >= ?1" + up;
    case kGreater: return head + k + " > ?1" + up;
    case kLessOrEqual: return head + k + " <= ?1" + down;
    case kLess: return head + k + " < ?1" + down;
    // Row values (k, pos) > (?, ?) do not seek on the rowid; these do.
    case kSameAfter: return head + k + " = ?1 AND " + p + " > ?2 ORDER BY " + p;
    case kSameBefore: return head + k + " = ?1 AND " + p + " < ?2 ORDER BY " + p + " DESC";
    case kCursorKinds: break;
  }
  return {};
}

sqlite3_stmt* CursorStmt(Handle& h, int keyNumber, CursorKind kind) {
  auto& slots = h.stmts[keyNumber];  // value-initialised: all null
  if (slots[kind] == nullptr) {
    const SupIndex* sup = nullptr;
    if (KeyOf(h, keyNumber, &sup) == nullptr) return nullptr;
    if (sup == nullptr) {
      if (const auto idle = h.table->idleStmts.find(keyNumber); idle != h.table->idleStmts.end()) {
        auto& stmts = idle->second[kind];
        if (!stmts.empty()) {
          slots[kind] = stmts.back();
          stmts.pop_back();
          return slots[kind];
        }
      }
    }
    slots[kind] = Prepare(h.db->db, CursorSql(*h.table, keyNumber, sup, kind));
  }
  return slots[kind];
}

void FinalizeKeyStmts(Handle& h, int keyNumber) {
  auto it = h.stmts.find(keyNumber);
  if (it == h.stmts.end()) return;
  for (auto& st : it->second) Finalize(st);
  h.stmts.erase(it);
}

void DropCursor(Handle& h) {
  if (h.cursor.stmt != nullptr) sqlite3_reset(h.cursor.stmt);
  h.cursor.stmt = nullptr;
  h.cursor.inGroup = false;
  h.cursor.knowsBefore = false;
}

// What a live walk along key `key` compares to know that its index is as it
// was when the walk stepped last.
std::uint64_t WalkStamp(const Handle& h, int key) {
  const Table& t = *h.table;
  if (key >= 0 && static_cast<std::size_t>(key) < t.keyChanges.size()) return t.keyChanges[key];
  return t.changes;
}

bool CursorLive(const Handle& h, bool forward) {
  const Cursor& c = h.cursor;
  return c.stmt != nullptr && sqlite3_stmt_busy(c.stmt) && c.key == h.key &&
         c.forward == forward && c.changes == WalkStamp(h, c.key) && h.positioned &&
         c.position == h.position;
}

// Starts a walk with `st` (bound by the caller afterwards).
void StartCursor(Handle& h, sqlite3_stmt* st, bool forward, bool inGroup) {
  DropCursor(h);
  sqlite3_reset(st);
  sqlite3_clear_bindings(st);
  h.cursor.stmt = st;
  h.cursor.key = h.key;
  h.cursor.forward = forward;
  h.cursor.inGroup = inGroup;
}

int StepCursor(Handle& h) {
  if (h.table->counts) ++h.table->counts->steps;
  int rc = sqlite3_step(h.cursor.stmt);
  if (rc == SQLITE_DONE && h.cursor.inGroup) {
    // The records of the current key value ran out: on to the next values.
    sqlite3_reset(h.cursor.stmt);
    h.cursor.inGroup = false;
    sqlite3_stmt* next = CursorStmt(h, h.key, h.cursor.forward ? kGreater : kLess);
    if (next == nullptr) return SQLITE_ERROR;
    sqlite3_reset(next);
    BindBlob(next, 1, h.cursor.group);
    h.cursor.stmt = next;
    rc = sqlite3_step(next);
  }
  return rc;
}

sqlite3_stmt* KeyAtStmt(Handle& h, int keyNumber, const SupIndex* sup) {
  if (sup != nullptr) {
    auto* s = const_cast<SupIndex*>(sup);
    if (s->keyAt == nullptr)
      s->keyAt = Prepare(h.db->db, "SELECT k FROM temp." + s->table + " WHERE pos = ?1");
    return s->keyAt;
  }
  sqlite3_stmt*& st = h.table->keyAt[keyNumber];
  if (st == nullptr)
    st = Prepare(h.db->db, "SELECT " + KeyColumn(keyNumber) + " FROM " + h.table->sqlName +
                               " WHERE pos = ?1");
  return st;
}

// The current record's encoded key on the handle's key: as stored when the
// record still exists (another handle may have changed it), else from the
// image this handle last had.  8 when the record has no place on the key.
int CurrentKey(Handle& h, const Key& key, const SupIndex* sup, std::string& out) {
  out.clear();
  sqlite3_stmt* st = KeyAtStmt(h, h.key, sup);
  if (st == nullptr) return kStatusIoError;
  Use use(st);
  sqlite3_bind_int64(st, 1, h.position);
  if (h.table->counts) ++h.table->counts->steps;
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) {
    if (sqlite3_column_type(st, 0) == SQLITE_NULL) return kStatusInvalidPositioning;
    out.assign(ColumnBlob(st, 0));
    return kStatusOk;
  }
  if (rc != SQLITE_DONE) return StatusOf(rc);
  if (h.image.size() < key.Extent()) return kStatusInvalidPositioning;
  if (!key.EncodeRecord(reinterpret_cast<const unsigned char*>(h.image.data()), out))
    return kStatusInvalidPositioning;
  return kStatusOk;
}

// ---- Locks ---------------------------------------------------------------------

bool TryLock(Handle& h, std::int64_t position) {
  if (h.locks.count(position) || h.db->readOnly) return true;
  if (h.lockFd < 0) {
    h.lockFd = h.db->lock.OpenHandleDescriptor();
    if (h.lockFd < 0) return false;
  }
  if (!LockFile::LockRecord(h.lockFd, h.table->id, position)) return false;
  h.locks.insert(position);
  ++h.table->lockedRecords;
  return true;
}

bool LockedByOther(const Handle& h, std::int64_t position) {
  if (h.locks.count(position) || h.db->readOnly) return false;
  // While this process holds the file exclusively no other process has it
  // open, so only this process's other handles could hold the lock; when
  // they hold none, asking the kernel would tell nothing.
  const Table& t = *h.table;
  if (t.exclusiveHandles > 0 && t.lockedRecords == static_cast<int>(h.locks.size())) return false;
  return h.db->lock.RecordLocked(t.id, position);
}

void Unlock(Handle& h, std::int64_t position) {
  if (!h.locks.erase(position)) return;
  --h.table->lockedRecords;
  if (h.lockFd >= 0) LockFile::UnlockRecord(h.lockFd, h.table->id, position);
}

void UnlockAll(Handle& h) {
  if (h.lockFd >= 0) LockFile::UnlockAllRecords(h.lockFd, h.table->id);
  h.table->lockedRecords -= static_cast<int>(h.locks.size());
  h.locks.clear();
}

// ---- What a handle knows of its current record ------------------------------------

// Notes that the handle's image was read or written now.
void NoteImage(Handle& h) {
  h.imageSerial = h.db->inTransaction ? h.db->serial : 0;
  h.imageChanges = h.table->changes;
}

// True when the handle's image is certainly what is stored: it was read or
// written inside the write transaction still open (whose write lock keeps
// other processes out) and nothing of this process wrote the file since.
bool ImageStored(const Handle& h) {
  return h.db->inTransaction && h.imageSerial == h.db->serial && h.imageChanges == h.table->changes;
}

// ---- Records known --------------------------------------------------------------------
//
// Inside a write transaction, whose write lock keeps every other process
// out, the connection keeps the records it read by position or found by a
// unique key, so that reading them again asks SQLite nothing.  While
// grouping, an update of a known record that changes none of its keys is
// kept there too, pending, and handed to SQLite only when SQLite must see
// it: before the record is written or deleted otherwise (those statements
// compare what SQLite holds), before a supplementary index is built from the
// file, before a change of the catalogue, and before the write transaction
// commits.  A walk or look-up that SQLite answers with a known record
// delivers the known image (its keys are as SQLite has them, so SQLite
// finds it in its place).  A record that every transaction of a run rewrites
// (an account, a product, a sequence) then costs one statement per group
// instead of one per transaction.  The first change to a known record inside
// the process's transaction marks it and notes its pending image, if it has
// one (Database::undo), so that an abort of that transaction puts back what
// it changed, pending updates of the transactions before it included, and
// nothing else.

// A file's known records are few (the accounts, products and sequences a
// posting run moves); past this many they are written and forgotten.
constexpr std::size_t kMaxKnownRows = 1024;

// The known record at `position`, else null.
const KnownImage* KnownRow(const Database& d, const Table& t, std::int64_t position) {
  if (!d.inTransaction || t.rowsSerial != d.serial) return nullptr;
  const auto it = t.rows.find(position);
  return it == t.rows.end() ? nullptr : &it->second;
}

// Notes the state of a known record before the process's transaction in
// hand first changes it.  Only a pending image is noted: an abort forgets
// every other record the transaction changed (RestoreKnown), so that a
// transaction that changes many records keeps no note of each.
void NoteUndo(Database& d, const Table& t, std::int64_t position, KnownImage* known) {
  if (!d.inUnit || known->noted == d.unitSerial) return;
  known->noted = d.unitSerial;
  if (!known->pending) return;
  Database::Undo u;
  u.table = t.id;
  u.position = position;
  u.image = known->image;
  d.undo.push_back(std::move(u));
}

void ForgetKnown(Table& t) {
  t.rows.clear();
  t.pending.clear();
  for (auto& keys : t.byKey) keys.clear();
}

// Hands the file's pending updates to SQLite.  0, or the status of the
// update that failed (it and those after it stay pending).
int WritePending(Database& d, Table& t);

// A known record entry for `position` in the write transaction in hand,
// made room for: null when the file's pending records cannot be written.
KnownImage* KnownEntry(Database& d, Table& t, std::int64_t position) {
  if (t.rowsSerial != d.serial) {
    ForgetKnown(t);
    t.rowsSerial = d.serial;
  }
  auto it = t.rows.find(position);
  if (it != t.rows.end()) return &it->second;
  if (t.rows.size() >= kMaxKnownRows) {
    if (WritePending(d, t) != kStatusOk) return nullptr;
    ForgetKnown(t);
  }
  return &t.rows[position];
}

void RememberRow(Database& d, Table& t, std::int64_t position, std::string_view image) {
  if (!d.inTransaction) return;
  KnownImage* known = KnownEntry(d, t, position);
  if (known == nullptr || known->pending) return;
  known->image.assign(image);
}

// After a write of the record at `position` through SQLite: its new image
// (null: none).  Only a record known already is remembered anew.
void RowWritten(Database& d, Table& t, std::int64_t position, const unsigned char* image, std::size_t n) {
  const auto it = t.rows.find(position);
  if (it == t.rows.end()) return;
  NoteUndo(d, t, position, &it->second);
  if (image != nullptr && d.inTransaction && t.rowsSerial == d.serial) {
    it->second.image.assign(reinterpret_cast<const char*>(image), n);
    it->second.pending = false;
  } else {
    t.rows.erase(it);
  }
}

bool HasPending(const Table& t) { return !t.pending.empty(); }

// Keeps an update of a known record back (see above).
void DeferUpdate(Database& d, Table& t, std::int64_t position, KnownImage& known, const unsigned char* image,
                 std::size_t n) {
  NoteUndo(d, t, position, &known);
  if (!known.pending) t.pending.push_back(position);
  known.pending = true;
  known.image.assign(reinterpret_cast<const char*>(image), n);
  if (t.counts) ++t.counts->deferred;
}

// The position of the known record whose unique key `keyNumber` is
// `encoded`, or 0.
std::int64_t KnownByKey(const Database& d, const Table& t, int keyNumber, const std::string& encoded,
                        std::string& scratch) {
  if (!d.inTransaction || t.rowsSerial != d.serial || static_cast<std::size_t>(keyNumber) >= t.byKey.size())
    return 0;
  const auto& keys = t.byKey[keyNumber];
  const auto at = keys.find(encoded);
  if (at == keys.end()) return 0;
  const auto row = t.rows.find(at->second);
  if (row == t.rows.end()) return 0;
  // The record may have been given another key since: it must still be
  // the one the value finds.
  const Key& key = t.layout.keys[keyNumber];
  scratch.clear();
  if (row->second.image.size() < key.Extent() ||
      !key.EncodeRecord(reinterpret_cast<const unsigned char*>(row->second.image.data()), scratch) ||
      scratch != encoded)
    return 0;
  return at->second;
}

// ---- Reads ------------------------------------------------------------------------

void CopyKeyImage(Handle& h, unsigned char* keyBuffer) {
  if (keyBuffer == nullptr) return;
  const SupIndex* sup = nullptr;
  if (const Key* key = KeyOf(h, h.key, &sup))
    key->CopyImage(reinterpret_cast<const unsigned char*>(h.image.data()), keyBuffer);
}

// Hands a found record to the caller and makes it current.  A record longer
// than the buffer (22) or locked elsewhere (84) leaves the handle where it was.
int Deliver(Handle& h, bool lock, std::int64_t position, std::string_view image,
            unsigned char* keyBuffer, unsigned char* record, unsigned capacity,
            unsigned* lengthRead) {
  if (lengthRead != nullptr) *lengthRead = static_cast<unsigned>(image.size());
  if (image.size() > capacity) {
    std::memcpy(record, image.data(), capacity);
    DropCursor(h);
    return kStatusDataBufferTooShort;
  }
  if (lock && !TryLock(h, position)) {
    DropCursor(h);
    return kStatusRecordInUse;
  }
  std::memcpy(record, image.data(), image.size());
  if (h.table->counts) ++h.table->counts->reads;
  h.image.assign(image);
  NoteImage(h);
  h.position = position;
  h.positioned = h.current = true;
  CopyKeyImage(h, keyBuffer);
  return kStatusOk;
}

int ReadAt(Handle& h, std::int64_t position, bool lock, unsigned char* keyBuffer,
           unsigned char* record, unsigned capacity, unsigned* lengthRead) {
  DropCursor(h);
  if (const KnownImage* known = KnownRow(*h.db, *h.table, position)) {
    if (h.table->counts) ++h.table->counts->readsKnown;
    return Deliver(h, lock, position, known->image, keyBuffer, record, capacity, lengthRead);
  }
  sqlite3_stmt* st = h.table->byPosition;
  Use use(st);
  sqlite3_bind_int64(st, 1, position);
  if (h.table->counts) ++h.table->counts->steps;
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_DONE) return kStatusInvalidPosition;
  if (rc != SQLITE_ROW) return StatusOf(rc);
  RememberRow(*h.db, *h.table, position, ColumnBlob(st, 0));
  return Deliver(h, lock, position, ColumnBlob(st, 0), keyBuffer, record, capacity, lengthRead);
}

int GetRecord(Handle& h, int op, bool lock, unsigned char* keyBuffer, unsigned char* record,
              unsigned capacity, unsigned* lengthRead) {
  if (op == kOpGetDirect) {
    return ReadAt(h, GetU32(record), lock, keyBuffer, record, capacity, lengthRead);
  }
  const SupIndex* sup = nullptr;
  const Key* key = KeyOf(h, h.key, &sup);
  if (key == nullptr) return kStatusInvalidKeyNumber;

  bool forward = true;
  CursorKind kind = kFirst;
  switch (op) {
    case kOpGetFirst: kind = kFirst; break;
    case kOpGetLast: kind = kLast; forward = false; break;
    case kOpGetEqual:
    case kOpGetGreaterOrEqual: kind = kGreaterOrEqual; break;
    case kOpGetGreater: kind = kGreater; break;
    case kOpGetLessOrEqual: kind = kLessOrEqual; forward = false; break;
    case kOpGetLess: kind = kLess; forward = false; break;
    case kOpGetNext: kind = kSameAfter; break;
    case kOpGetPrevious: kind = kSameBefore; forward = false; break;
    default: return kStatusInvalidOperation;
  }

  const bool walking = op == kOpGetNext || op == kOpGetPrevious;
  if (walking && !h.positioned) return kStatusInvalidPositioning;
  // A look-up of the key of the record a forward walk has just reached (the
  // lines of the next transaction, read after those of the one before).
  if ((op == kOpGetEqual || op == kOpGetGreaterOrEqual) && keyBuffer != nullptr && CursorLive(h, true) &&
      h.cursor.knowsBefore && h.cursor.imageChanges == h.table->changes && h.current) {
    h.probe.clear();
    key->EncodeImage(keyBuffer, h.probe);
    const Cursor& c = h.cursor;
    const int vsBefore = c.before.compare(h.probe);
    const int vsCurrent = c.current.compare(h.probe);
    if ((c.beforeStrict ? vsBefore <= 0 : vsBefore < 0) &&
        (op == kOpGetEqual ? vsCurrent == 0 : vsCurrent >= 0)) {
      const std::string image = h.image;
      if (h.table->counts) ++h.table->counts->readsKnown;
      return Deliver(h, lock, h.position, image, keyBuffer, record, capacity, lengthRead);
    }
  }
  // A look-up of a unique key that a known record answers.
  Table& t = *h.table;
  const bool uniqueLookup = (op == kOpGetEqual || op == kOpGetGreaterOrEqual) && keyBuffer != nullptr &&
                            sup == nullptr && !key->duplicates;
  if (uniqueLookup && h.db->inTransaction) {
    h.probe.clear();
    key->EncodeImage(keyBuffer, h.probe);
    if (const std::int64_t at = KnownByKey(*h.db, t, h.key, h.probe, t.before)) {
      DropCursor(h);
      if (t.counts) ++t.counts->readsKnown;
      return Deliver(h, lock, at, t.rows.find(at)->second.image, keyBuffer, record, capacity, lengthRead);
    }
  }
  const bool wasLive = walking && CursorLive(h, forward);
  if (wasLive) {
    // The live statement is still on the current record: just step it.
  } else if (walking) {
    std::string group;
    if (int st = CurrentKey(h, *key, sup, group)) return st;
    sqlite3_stmt* st = CursorStmt(h, h.key, kind);
    if (st == nullptr) return kStatusIoError;
    StartCursor(h, st, forward, true);
    h.cursor.group = std::move(group);
    BindBlob(st, 1, h.cursor.group);
    sqlite3_bind_int64(st, 2, h.position);
  } else {
    sqlite3_stmt* st = CursorStmt(h, h.key, kind);
    if (st == nullptr) return kStatusIoError;
    StartCursor(h, st, forward, false);
    if (kind != kFirst && kind != kLast) {
      if (keyBuffer == nullptr) {
        DropCursor(h);
        return kStatusKeyBufferTooShort;
      }
      h.probe.clear();
      key->EncodeImage(keyBuffer, h.probe);
      BindBlob(st, 1, h.probe);
    }
  }

  const int rc = StepCursor(h);
  if (rc != SQLITE_ROW) {
    DropCursor(h);
    if (rc == SQLITE_DONE) return op == kOpGetEqual ? kStatusKeyNotFound : kStatusEndOfFile;
    return StatusOf(rc);
  }
  sqlite3_stmt* st = h.cursor.stmt;
  if (op == kOpGetEqual && ColumnBlob(st, 2) != std::string_view(h.probe)) {
    DropCursor(h);
    return kStatusKeyNotFound;
  }
  const std::int64_t position = sqlite3_column_int64(st, 0);
  // A record known here is delivered as known: SQLite has not seen its
  // pending update (its keys are as SQLite has them).
  const KnownImage* known = KnownRow(*h.db, t, position);
  const int status = Deliver(h, lock, position, known ? std::string_view(known->image) : ColumnBlob(st, 1),
                             keyBuffer, record, capacity, lengthRead);
  if (status == kStatusOk) {
    Cursor& c = h.cursor;
    c.changes = WalkStamp(h, h.key);
    c.position = position;
    c.imageChanges = h.table->changes;
    c.knowsBefore = forward;
    if (forward) {
      // What the records before this one are known to be below.
      if (wasLive) {
        c.before.swap(c.current);
        c.beforeStrict = false;
      } else if (walking) {
        c.before = c.group;  // the walk went on from a record of this key
        c.beforeStrict = false;
      } else if (kind == kFirst) {
        c.before.clear();
        c.beforeStrict = true;
      } else {
        c.before = h.probe;
        c.beforeStrict = kind == kGreaterOrEqual;
      }
      c.current.assign(ColumnBlob(st, 2));
    }
    // A record a unique key found is known from now on (its next look-up,
    // and its update, ask SQLite nothing).
    if (uniqueLookup && op == kOpGetEqual && h.db->inTransaction) {
      RememberRow(*h.db, t, position, h.image);
      if (t.rows.count(position)) t.byKey[h.key][h.probe] = position;
    }
  }
  return status;
}

// ---- Write transactions -------------------------------------------------------------

// How many files no handle has open the connection keeps, with their
// statements, for the next open (a run that opens and closes a file for each
// entry it writes prepares nothing again).
constexpr std::size_t kMaxClosedTables = 16;

// Forgets files no handle has open beyond the few kept; none while the write
// transaction holds their pending updates or what an abort would put back.
void DropClosedTables(Database& d) {
  const bool keepAll = d.inTransaction && !d.undo.empty();
  std::size_t closed = 0;
  for (auto it = d.tables.begin(); it != d.tables.end();) {
    Table& t = *it->second;
    const bool drop = t.handles == 0 && !keepAll && !(d.inTransaction && HasPending(t)) &&
                      ++closed > kMaxClosedTables;
    it = drop ? d.tables.erase(it) : std::next(it);
  }
}

void AfterRollback(Database& d, std::size_t droppedFrom, bool whole);
void RollbackWrite(Database& d);


// Hands every pending update of the folder to SQLite.  0, or the status of
// the update that failed.
int WriteAllPending(Database& d) {
  for (auto& [id, t] : d.tables) {
    if (int st = WritePending(d, *t)) return st;
  }
  return kStatusOk;
}

// Commits the folder's write transaction (every transaction ended in it).
// A commit that fails takes the whole write transaction back; its status.
int CommitWrite(State& s, Database& d) {
  if (int st = WriteAllPending(d)) {
    RollbackWrite(d);
    return st;
  }
  d.ResetAll();
  // A test may make the commit fail as a full disk would.
  const int injected = s.switches.FailCommit();
  const int rc = injected ? SQLITE_IOERR : d.Step(kCommit);
  d.inTransaction = false;
  d.units = 0;
  d.commitSoon = false;
  if (rc != SQLITE_OK) {
    RollbackWrite(d);
    return injected ? injected : StatusOf(rc);
  }
  d.seen = d.lock.CountCommit();
  d.droppedInTransaction.clear();
  d.droppedBeforeUnit = 0;
  d.undo.clear();
  DropClosedTables(d);
  // Another process kept waiting for the write lock gets it before the
  // next group begins.
  if (s.grouping && d.lock.OthersWaiting()) std::this_thread::sleep_for(kYieldToWaiter);
  return kStatusOk;
}

// Rolls the folder's whole write transaction back.
void RollbackWrite(Database& d) {
  d.ResetAll();
  if (!sqlite3_get_autocommit(d.db)) d.Step(kRollback);
  d.inTransaction = d.inUnit = false;
  d.units = 0;
  d.commitSoon = false;
  AfterRollback(d, 0, true);
}

// Ends the process's transaction in the folder: its savepoint released
// (`keep`) or rolled back; then the write transaction commits when it is
// not grouping, when its group is full or old enough, or when a commit was
// asked for; one that keeps nothing is rolled back.  0, or the status of a
// failed commit (everything of the write transaction is then gone).
int EndUnit(State& s, Database& d, bool keep) {
  if (d.inUnit) {
    d.inUnit = false;
    if (keep && (!d.unitSavepoint || d.Step(kRelease) == SQLITE_OK)) {
      ++d.units;
      d.undo.clear();
    } else if (keep || d.units == 0) {
      // Nothing else to keep; or a savepoint that could not be released,
      // after which nothing of the write transaction can be trusted.
      RollbackWrite(d);
      return keep ? kStatusIoError : kStatusOk;
    } else {
      // Statements still reading would see the rollback half done.
      d.ResetAll();
      d.Step(kRollbackTo);
      d.Step(kRelease);
      AfterRollback(d, d.droppedBeforeUnit, false);
    }
  }
  if (!d.inTransaction) return kStatusOk;
  if (d.units == 0) {
    RollbackWrite(d);
    return kStatusOk;
  }
  const bool due = !s.grouping || d.commitSoon || d.units >= s.groupUnits ||
                   std::chrono::steady_clock::now() - d.opened >= s.groupTime;
  return due ? CommitWrite(s, d) : kStatusOk;
}

// Prepares the connection for a write.  Inside the process's transaction the
// first write takes the folder's write lock (BEGIN IMMEDIATE, unless a group
// holds it already) and sets the transaction's savepoint.  Outside it every
// write is its own commit, made from a fresh snapshot; a group still open is
// committed first, so that the write is never kept longer than it alone.
int BeginWrite(State& s, Database& d) {
  if (d.readOnly) return kStatusAccessDenied;
  if (s.transaction) {
    if (!d.inTransaction) {
      d.ResetAll();
      const int rc = d.Step(kBegin);
      if (rc != SQLITE_OK) return StatusOf(rc);
      d.inTransaction = true;
      d.units = 0;
      d.opened = std::chrono::steady_clock::now();
      ++d.serial;
    }
    if (!d.inUnit) {
      d.unitSavepoint = d.units > 0;
      if (d.unitSavepoint) {
        if (int rc = d.Step(kSavepoint)) return StatusOf(rc);
      }
      d.inUnit = true;
      d.droppedBeforeUnit = d.droppedInTransaction.size();
      ++d.unitSerial;
      d.undo.clear();
    }
    return kStatusOk;
  }
  if (d.inTransaction) {
    if (int st = CommitWrite(s, d)) return st;
  }
  d.ResetAll();
  return kStatusOk;
}

// ---- Writes -------------------------------------------------------------------------

constexpr std::uint64_t kEveryKey = ~std::uint64_t{0};

// Counts a write that changed the index of every key in `keys` (bit k: key
// k; keys past 64 count as changed).
void EndWrite(State& s, Database& d, Table& t, std::uint64_t keys) {
  t.changes = NextChange();
  for (std::size_t k = 0; k < t.keyChanges.size(); ++k) {
    if (k >= 64 || (keys >> k & 1)) ++t.keyChanges[k];
  }
  if (!s.transaction) d.seen = d.lock.CountCommit();
}

// The length a write stores, or 22 when the record is too short for the file.
int WriteLength(const FileLayout& layout, unsigned length, std::size_t& n) {
  n = length ? length : layout.recordLength;
  if (!layout.VariableLength()) {
    if (n < layout.recordLength) return kStatusDataBufferTooShort;
    n = layout.recordLength;
  } else if (n < layout.MinimumRecord()) {
    return kStatusDataBufferTooShort;
  }
  return kStatusOk;
}

void EncodeKeys(Table& t, const unsigned char* record) {
  for (std::size_t k = 0; k < t.layout.keys.size(); ++k) {
    t.encoded[k].clear();
    t.present[k] = t.layout.keys[k].EncodeRecord(record, t.encoded[k]);
  }
}

// Binds the encoded keys of `keys` (bit k: key k; keys past 64 always),
// as EncodeKeys or Update left them.
void BindKeys(Table& t, sqlite3_stmt* st, std::uint64_t keys) {
  for (std::size_t k = 0; k < t.layout.keys.size(); ++k) {
    if (k < 64 && !(keys >> k & 1)) continue;
    const int i = static_cast<int>(k) + 2;
    if (t.present[k]) {
      BindBlob(st, i, t.encoded[k]);
    } else {
      sqlite3_bind_null(st, i);
    }
  }
}

// Keeps the process's supplementary indexes of the file in step with a write:
// removes the record's old entry and adds its new one (`record` null: none).
void UpdateSups(Database& d, Table& t, std::int64_t position, const unsigned char* record,
                bool existed) {
  std::string encoded;
  for (auto& sup : t.sups) {
    if (existed) {
      if (sup->remove == nullptr)
        sup->remove = Prepare(d.db, "DELETE FROM temp." + sup->table + " WHERE pos = ?1");
      if (sup->remove != nullptr) {
        Use use(sup->remove);
        sqlite3_bind_int64(sup->remove, 1, position);
        sqlite3_step(sup->remove);
      }
    }
    encoded.clear();
    if (record == nullptr || !sup->key.EncodeRecord(record, encoded)) continue;
    if (sup->insert == nullptr)
      sup->insert = Prepare(d.db, "INSERT INTO temp." + sup->table + "(k, pos) VALUES(?1, ?2)");
    if (sup->insert != nullptr) {
      Use use(sup->insert);
      BindBlob(sup->insert, 1, encoded);
      sqlite3_bind_int64(sup->insert, 2, position);
      sqlite3_step(sup->insert);
    }
  }
}

int Insert(State& s, Handle& h, unsigned char* keyBuffer, const unsigned char* record,
           unsigned length) {
  Table& t = *h.table;
  Database& d = *h.db;
  if (h.readOnly) return kStatusAccessDenied;
  std::size_t n = 0;
  if (int st = WriteLength(t.layout, length, n)) return st;
  EncodeKeys(t, record);
  if (int st = BeginWrite(s, d)) return st;
  if (t.counts) ++t.counts->inserts;
  std::int64_t position = 0;
  {
    Use use(t.insert);
    BindBlob(t.insert, 1, record, n);
    BindKeys(t, t.insert, kEveryKey);
    const int rc = sqlite3_step(t.insert);
    if (rc != SQLITE_DONE) return StatusOf(rc);
    position = sqlite3_last_insert_rowid(d.db);
  }
  if (position > kMaxPosition) {
    // Positions are 4 bytes: a file that ran out of them takes no more records.
    Use use(t.remove);
    sqlite3_bind_int64(t.remove, 1, position);
    BindBlob(t.remove, 2, record, n);
    sqlite3_step(t.remove);
    return kStatusIoError;
  }
  UpdateSups(d, t, position, record, false);
  EndWrite(s, d, t, kEveryKey);
  RowWritten(d, t, position, nullptr, 0);
  DropCursor(h);
  h.image.assign(reinterpret_cast<const char*>(record), n);
  NoteImage(h);
  h.position = position;
  h.positioned = h.current = true;
  CopyKeyImage(h, keyBuffer);
  return kStatusOk;
}

// The update statement that writes the image and the key columns of `mask`,
// where the record still holds the image the handle read (`checked`), or
// whatever it holds.
sqlite3_stmt* UpdateStmt(Database& d, Table& t, std::uint64_t mask, bool checked) {
  sqlite3_stmt*& st = (checked ? t.updates : t.knownUpdates)[mask];
  if (st != nullptr) return st;
  const std::size_t keys = t.layout.keys.size();
  std::string sql = "UPDATE " + t.sqlName + " SET image = ?1";
  for (std::size_t k = 0; k < keys; ++k) {
    if (k < 64 && !(mask >> k & 1)) continue;
    sql += ", " + KeyColumn(static_cast<int>(k)) + " = ?" + std::to_string(k + 2);
  }
  sql += " WHERE pos = ?" + std::to_string(keys + 2);
  if (checked) sql += " AND image = ?" + std::to_string(keys + 3);
  st = Prepare(d.db, sql);
  return st;
}

// Writes the pending update of the record at `position`, when it has one.
int WritePendingRow(Database& d, Table& t, std::int64_t position) {
  const auto it = t.rows.find(position);
  if (it == t.rows.end() || !it->second.pending || t.rowsSerial != d.serial) return kStatusOk;
  sqlite3_stmt* update = UpdateStmt(d, t, 0, false);
  if (update == nullptr) return kStatusIoError;
  NoteUndo(d, t, position, &it->second);
  Use use(update);
  BindBlob(update, 1, it->second.image);
  sqlite3_bind_int64(update, static_cast<int>(t.layout.keys.size()) + 2, position);
  const int rc = sqlite3_step(update);
  if (rc != SQLITE_DONE) return StatusOf(rc);
  it->second.pending = false;
  if (t.counts) ++t.counts->updates;
  return kStatusOk;
}

int WritePending(Database& d, Table& t) {
  if (t.pending.empty()) return kStatusOk;
  sqlite3_stmt* update = UpdateStmt(d, t, 0, false);
  if (update == nullptr) return kStatusIoError;
  const int keys = static_cast<int>(t.layout.keys.size());
  for (std::size_t i = 0; i < t.pending.size(); ++i) {
    const auto it = t.rows.find(t.pending[i]);
    if (it == t.rows.end() || !it->second.pending) continue;
    NoteUndo(d, t, it->first, &it->second);
    Use use(update);
    BindBlob(update, 1, it->second.image);
    sqlite3_bind_int64(update, keys + 2, it->first);
    const int rc = sqlite3_step(update);
    if (rc != SQLITE_DONE) {
      t.pending.erase(t.pending.begin(), t.pending.begin() + static_cast<std::ptrdiff_t>(i));
      return StatusOf(rc);
    }
    it->second.pending = false;
    if (t.counts) ++t.counts->updates;
  }
  t.pending.clear();
  return kStatusOk;
}

int Update(State& s, Handle& h, unsigned char* keyBuffer, const unsigned char* record,
           unsigned length) {
  Table& t = *h.table;
  Database& d = *h.db;
  if (h.readOnly) return kStatusAccessDenied;
  if (!h.current) return kStatusInvalidPositioning;
  std::size_t n = 0;
  if (int st = WriteLength(t.layout, length, n)) return st;
  // The record as it is stored already: nothing to write.
  if (n == h.image.size() && std::memcmp(record, h.image.data(), n) == 0 && ImageStored(h)) {
    if (LockedByOther(h, h.position)) return kStatusRecordInUse;
    if (t.counts) ++t.counts->unchanged;
    CopyKeyImage(h, keyBuffer);
    return kStatusOk;
  }
  // The keys whose value changes: only those are encoded and written.
  const auto* old = reinterpret_cast<const unsigned char*>(h.image.data());
  std::uint64_t changed = 0;
  for (std::size_t k = 0; k < t.layout.keys.size(); ++k) {
    const Key& key = t.layout.keys[k];
    bool sameBytes = k < 64;
    for (std::size_t i = 0; sameBytes && i < key.segments.size(); ++i) {
      const Segment& seg = key.segments[i];
      sameBytes = std::memcmp(old + seg.offset, record + seg.offset, seg.length) == 0;
    }
    if (sameBytes) continue;
    t.encoded[k].clear();
    t.present[k] = key.EncodeRecord(record, t.encoded[k]);
    t.before.clear();
    const bool had = key.EncodeRecord(old, t.before);
    if (had == bool(t.present[k]) && t.before == t.encoded[k]) continue;
    if (!key.modifiable) return kStatusModifiableKey;
    if (k < 64) changed |= std::uint64_t{1} << k;
  }
  if (LockedByOther(h, h.position)) return kStatusRecordInUse;
  // Whether the record still is as this handle read it needs no asking when
  // nothing could have changed it since.
  const bool checked = !ImageStored(h);
  if (int st = BeginWrite(s, d)) return st;
  // Kept back while grouping (Records known): an update that moves no key of
  // a record this write transaction knows, on a file without supplementary
  // indexes, by a handle that is not walking the file.
  if (!checked && changed == 0 && s.grouping && s.transaction && d.inTransaction && t.sups.empty() &&
      (h.cursor.stmt == nullptr || h.lookedUp)) {
    if (KnownImage* known = KnownEntry(d, t, h.position)) {
      DeferUpdate(d, t, h.position, *known, record, n);
      EndWrite(s, d, t, 0);
      h.image.assign(reinterpret_cast<const char*>(record), n);
      NoteImage(h);
      CopyKeyImage(h, keyBuffer);
      return kStatusOk;
    }
  }
  // The statement compares or replaces what SQLite holds: a pending update
  // of the record goes first.
  if (int st = WritePendingRow(d, t, h.position)) return st;
  if (t.counts) ++t.counts->updates;
  {
    sqlite3_stmt* update = UpdateStmt(d, t, changed, checked);
    if (update == nullptr) return kStatusIoError;
    Use use(update);
    const int keys = static_cast<int>(t.layout.keys.size());
    BindBlob(update, 1, record, n);
    BindKeys(t, update, changed);
    sqlite3_bind_int64(update, keys + 2, h.position);
    if (checked) BindBlob(update, keys + 3, h.image);
    const int rc = sqlite3_step(update);
    if (rc != SQLITE_DONE) return StatusOf(rc);
    // Nothing matched: the record was changed or deleted since this handle read it.
    if (sqlite3_changes(d.db) == 0) return kStatusConflict;
  }
  UpdateSups(d, t, h.position, record, true);
  // A walk along a key whose index the update left alone goes on stepping
  // (this handle's own too: its place has not moved).
  EndWrite(s, d, t, changed);
  RowWritten(d, t, h.position, record, n);
  h.image.assign(reinterpret_cast<const char*>(record), n);
  NoteImage(h);
  CopyKeyImage(h, keyBuffer);
  return kStatusOk;
}

int Delete(State& s, Handle& h) {
  Table& t = *h.table;
  Database& d = *h.db;
  if (h.readOnly) return kStatusAccessDenied;
  if (!h.current) return kStatusInvalidPositioning;
  if (LockedByOther(h, h.position)) return kStatusRecordInUse;
  if (int st = BeginWrite(s, d)) return st;
  // The statement compares what SQLite holds: a pending update goes first.
  if (int st = WritePendingRow(d, t, h.position)) return st;
  if (t.counts) ++t.counts->deletes;
  {
    Use use(t.remove);
    sqlite3_bind_int64(t.remove, 1, h.position);
    BindBlob(t.remove, 2, h.image);
    const int rc = sqlite3_step(t.remove);
    if (rc != SQLITE_DONE) return StatusOf(rc);
    if (sqlite3_changes(d.db) == 0) return kStatusConflict;
  }
  UpdateSups(d, t, h.position, nullptr, true);
  EndWrite(s, d, t, kEveryKey);
  RowWritten(d, t, h.position, nullptr, 0);
  DropCursor(h);
  Unlock(h, h.position);
  // The handle keeps its place: get next/previous go on from the deleted record.
  h.current = false;
  return kStatusOk;
}

// ---- Supplementary indexes ------------------------------------------------------------

int BuildSup(Database& d, Table& t, SupIndex& sup) {
  d.ResetAll();
  Finalize(sup.insert);
  Finalize(sup.remove);
  Finalize(sup.keyAt);
  std::string sql = "SAVEPOINT qx_index;"
                    "DROP TABLE IF EXISTS temp." + sup.table + ";"
                    "CREATE TEMP TABLE " + sup.table + "(k BLOB NOT NULL, pos INTEGER PRIMARY KEY);";
  int rc = Exec(d.db, sql);
  if (rc == SQLITE_OK) {
    sqlite3_stmt* scan = Prepare(d.db, "SELECT pos, image FROM main." + t.sqlName);
    sqlite3_stmt* add = Prepare(d.db, "INSERT INTO temp." + sup.table + "(k, pos) VALUES(?1, ?2)");
    std::string encoded;
    rc = scan && add ? SQLITE_ROW : SQLITE_ERROR;
    while (rc == SQLITE_ROW && (rc = sqlite3_step(scan)) == SQLITE_ROW) {
      const auto image = ColumnBlob(scan, 1);
      if (image.size() < sup.key.Extent()) continue;
      encoded.clear();
      if (!sup.key.EncodeRecord(reinterpret_cast<const unsigned char*>(image.data()), encoded))
        continue;
      BindBlob(add, 1, encoded);
      sqlite3_bind_int64(add, 2, sqlite3_column_int64(scan, 0));
      const int added = sqlite3_step(add);
      sqlite3_reset(add);
      if (added != SQLITE_DONE) rc = added;
    }
    sqlite3_finalize(scan);
    sqlite3_finalize(add);
    if (rc == SQLITE_DONE)
      rc = Exec(d.db, "CREATE INDEX temp." + sup.table + "_k ON " + sup.table + "(k, pos)");
  }
  Exec(d.db, rc == SQLITE_OK ? "RELEASE qx_index" : "ROLLBACK TO qx_index; RELEASE qx_index");
  return StatusOf(rc);
}

void DropSupTable(Database& d, const std::string& table) {
  d.ResetAll();
  Exec(d.db, "DROP TABLE IF EXISTS temp." + table);
  if (d.inTransaction) d.droppedInTransaction.push_back(table);
}

// After the rollback of the process's transaction (to its savepoint): the
// known records it changed are put back as they were before it, pending
// updates of the transactions before it included; every other known record
// it changed, and every one that is not pending, is forgotten (SQLite has it
// as it was).
void RestoreKnown(Database& d) {
  for (auto u = d.undo.rbegin(); u != d.undo.rend(); ++u) {
    const auto it = d.tables.find(u->table);
    if (it == d.tables.end()) continue;
    KnownImage& known = it->second->rows[u->position];
    known.image = std::move(u->image);
    known.pending = true;
    known.noted = 0;
  }
  d.undo.clear();
  for (auto& [id, t] : d.tables) {
    t->pending.clear();
    for (auto it = t->rows.begin(); it != t->rows.end();) {
      if (!it->second.pending || it->second.noted == d.unitSerial) {
        it = t->rows.erase(it);
        continue;
      }
      it->second.noted = 0;
      t->pending.push_back(it->first);
      ++it;
    }
    for (auto& keys : t->byKey) keys.clear();
  }
}

// After a rollback the temp schema is as it was at BEGIN (or at the
// savepoint): indexes made since are gone and dropped ones are back.  Rebuild
// what the handles own and drop again what they gave up since
// (droppedInTransaction from `droppedFrom` on).  The known records are
// forgotten after a `whole` rollback, else put back (RestoreKnown).
void AfterRollback(Database& d, std::size_t droppedFrom, bool whole) {
  d.catalog.clear();
  for (std::size_t i = droppedFrom; i < d.droppedInTransaction.size(); ++i)
    Exec(d.db, "DROP TABLE IF EXISTS temp." + d.droppedInTransaction[i]);
  d.droppedInTransaction.resize(std::min(droppedFrom, d.droppedInTransaction.size()));
  if (d.droppedBeforeUnit > d.droppedInTransaction.size()) d.droppedBeforeUnit = d.droppedInTransaction.size();
  if (whole) {
    d.undo.clear();
    for (auto& [id, t] : d.tables) ForgetKnown(*t);
    DropClosedTables(d);
  } else {
    RestoreKnown(d);
  }
  for (auto& [id, t] : d.tables) {
    t->changes = NextChange();
    for (auto& k : t->keyChanges) ++k;
    // A supplementary index is built from what SQLite holds.
    if (!t->sups.empty()) WritePending(d, *t);
    for (auto& sup : t->sups) BuildSup(d, *t, *sup);
  }
}

// ---- Handles ------------------------------------------------------------------------------

void CloseHandle(State& s, Handle& h) {
  Database* d = h.db;
  Table* t = h.table;
  DropCursor(h);
  // The walk statements of the file's own keys serve the next handle.
  for (auto& [key, slots] : h.stmts) {
    const bool own = key >= 0 && static_cast<std::size_t>(key) < t->layout.keys.size();
    for (int kind = 0; kind < kCursorKinds; ++kind) {
      sqlite3_stmt*& st = slots[kind];
      if (st == nullptr) continue;
      if (own) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        t->idleStmts[key][kind].push_back(st);
        st = nullptr;
      } else {
        Finalize(st);
      }
    }
  }
  h.stmts.clear();
  for (auto it = t->sups.begin(); it != t->sups.end();) {
    if ((*it)->owner == h.number) {
      DropSupTable(*d, (*it)->table);
      it = t->sups.erase(it);
    } else {
      ++it;
    }
  }
  if (h.lockFd >= 0) close(h.lockFd);  // releases every record lock of the handle
  t->lockedRecords -= static_cast<int>(h.locks.size());
  --t->handles;
  t->exclusiveHandles -= h.exclusive;
  --d->handles;
  if (t->handles == 0) {
    d->lock.SetOpenMode(t->id, 0);
    // The file stays known with its statements for the next open, a few
    // files at most (DropClosedTables).
    DropClosedTables(*d);
  } else {
    d->lock.SetOpenMode(t->id, t->exclusiveHandles > 0 ? 2 : 1);
  }
  s.handles[h.number].reset();
  ReleaseIfIdle(s, d);
}

bool FileOpenAnywhere(Database& d, std::int64_t id) {
  auto it = d.tables.find(id);
  if (it != d.tables.end() && it->second->handles > 0) return true;
  return d.lock.OpenElsewhere(id);
}

// A change of the catalogue as one unit: its own transaction outside the
// process's transaction, a savepoint inside it.
class CatalogChange {
 public:
  CatalogChange(State& s, Database& d) : s_(s), d_(d) {}
  CatalogChange(const CatalogChange&) = delete;
  CatalogChange& operator=(const CatalogChange&) = delete;
  ~CatalogChange() {
    if (open_) {
      Exec(d_.db, inside_ ? "ROLLBACK TO qx_file; RELEASE qx_file" : "ROLLBACK");
      d_.catalog.clear();
    }
  }
  int Begin() {
    if (int st = BeginWrite(s_, d_)) return st;
    // A file dropped, made or renamed: SQLite holds every pending update
    // first, and the catalogue is read anew.
    if (int st = WriteAllPending(d_)) return st;
    d_.catalog.clear();
    inside_ = d_.inTransaction;
    const int rc = Exec(d_.db, inside_ ? "SAVEPOINT qx_file" : "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return StatusOf(rc, kStatusFileInUse);
    open_ = true;
    return kStatusOk;
  }
  int Commit() {
    // What the change looked up is not what it left.
    d_.catalog.clear();
    const int rc = Exec(d_.db, inside_ ? "RELEASE qx_file" : "COMMIT");
    if (rc != SQLITE_OK) return StatusOf(rc);
    open_ = false;
    if (!inside_) d_.seen = d_.lock.CountCommit();
    return kStatusOk;
  }

 private:
  State& s_;
  Database& d_;
  bool inside_ = false;  // inside the folder's open write transaction
  bool open_ = false;
};

int DropFile(Database& d, std::int64_t id) {
  const std::string n = std::to_string(id);
  const int rc = Exec(d.db, "DROP TABLE f" + n + "; DELETE FROM qx_catalog WHERE id = " + n);
  return StatusOf(rc);
}

int CreateFile(Database& d, const FilePath& fp, const FileLayout& layout) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(d.db,
                              "INSERT INTO qx_catalog(name, folded, record_length, page_size,"
                              " format_version, file_flags, key_count, key_segments, collating)"
                              " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
                              -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_bind_text(st, 1, fp.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, fp.folded.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 3, layout.recordLength);
    sqlite3_bind_int(st, 4, layout.pageSize);
    sqlite3_bind_int(st, 5, layout.formatVersion);
    sqlite3_bind_int(st, 6, layout.fileFlags);
    sqlite3_bind_int(st, 7, static_cast<int>(layout.keys.size()));
    BindBlob(st, 8, layout.segmentBytes);
    if (layout.collating.empty()) {
      sqlite3_bind_null(st, 9);
    } else {
      BindBlob(st, 9, layout.collating);
    }
    rc = sqlite3_step(st);
  }
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) return StatusOf(rc);
  const std::string table = "f" + std::to_string(sqlite3_last_insert_rowid(d.db));
  // Each key's index also holds the rowid, so it orders by (key, position).
  std::string sql = "CREATE TABLE " + table + "(pos INTEGER PRIMARY KEY, image BLOB NOT NULL";
  for (std::size_t k = 0; k < layout.keys.size(); ++k) sql += ", " + KeyColumn(static_cast<int>(k)) + " BLOB";
  sql += ");";
  for (std::size_t k = 0; k < layout.keys.size(); ++k) {
    const std::string col = KeyColumn(static_cast<int>(k));
    sql += std::string("CREATE ") + (layout.keys[k].duplicates ? "" : "UNIQUE ") + "INDEX " +
           table + "_" + col + " ON " + table + "(" + col + ");";
  }
  return StatusOf(Exec(d.db, sql));
}

}  // namespace
}  // namespace btrvc

using namespace btrvc;

// ---- Presence and session -------------------------------------------------------------

int BtrvCheckResident(const char* /*programFolder*/) {
  return Run([&](State& s) -> int { return s.switches.NotResident() ? kStatusInactive : kStatusOk; });
}

int BtrvGetVersion(int* major, int* minor, int* third) {
  return Run([&](State& s) -> int {
    int ma = kVersionMajor, mi = kVersionMinor;
    s.switches.Version(ma, mi);
    if (major) *major = ma;
    if (minor) *minor = mi;
    if (third) *third = 0;
    return kStatusOk;
  });
}

int BtrvReset() {
  return Run([&](State& s) -> int {
    for (auto& h : s.handles) {
      if (h) CloseHandle(s, *h);
    }
    // The transaction in hand is aborted; transactions ended in a group are
    // kept as its commit keeps them.
    for (auto& [folder, d] : s.databases) {
      if (d->inTransaction) EndUnit(s, *d, false);
      if (d->inTransaction) CommitWrite(s, *d);
    }
    s.transaction = false;
    s.grouping = false;
    s.databases.clear();
    return kStatusOk;
  });
}

int BtrvSetPaths(const void* block872) {
  return Run([&](State& s) -> int {
    if (block872 == nullptr) return kStatusInvalidOperation;
    const char* p = static_cast<const char*>(block872);
    for (std::size_t i = 0; i < s.folders.size(); ++i) {
      const char* f = p + i * kPathsFolderSize;
      s.folders[i] = TrimFolder(std::string(f, strnlen(f, kPathsFolderSize)));
    }
    return kStatusOk;
  });
}

// ---- Files ------------------------------------------------------------------------------------

int BtrvOpen(BtrvHandle* handle, const char* path, int mode, int /*owner*/) {
  return Run([&](State& s) -> int {
    if (handle == nullptr) return kStatusInvalidOperation;
    if (mode == 0xFFFE) mode = kOpenReadOnly;
    if (mode != kOpenNormal && mode != kOpenShared && mode != kOpenExclusive && mode != kOpenReadOnly)
      return kStatusInvalidOperation;
    FilePath fp;
    if (int st = ResolvePath(s, path, fp)) return st;
    if (int st = s.switches.Fail(kOpOpen, fp.folded)) return st;
    Database* d = nullptr;
    if (int st = OpenDatabase(s, fp.folder, false, d)) return st;
    IdleRelease release(s, d);
    d->Refresh();
    std::size_t number = 1;
    while (number < s.handles.size() && s.handles[number]) ++number;
    if (number > 0xFFFF) return kStatusTooManyFiles;
    Table* t = nullptr;
    if (int st = LoadTable(*d, fp.folded, t)) return st;
    const bool exclusive = mode == kOpenExclusive;
    if (!d->readOnly && !d->lock.SetOpenMode(t->id, t->exclusiveHandles + exclusive > 0 ? 2 : 1)) {
      if (t->handles == 0) d->tables.erase(t->id);
      return kStatusFileInUse;
    }
    if (t->counts) ++t->counts->opens;
    auto h = std::make_unique<Handle>();
    h->number = static_cast<BtrvHandle>(number);
    h->db = d;
    h->table = t;
    h->readOnly = mode == kOpenReadOnly || d->readOnly;
    h->exclusive = exclusive;
    ++t->handles;
    t->exclusiveHandles += exclusive;
    ++d->handles;
    if (number == s.handles.size()) s.handles.emplace_back();
    s.handles[number] = std::move(h);
    *handle = static_cast<BtrvHandle>(number);
    return kStatusOk;
  });
}

int BtrvClose(BtrvHandle handle) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    if (h == nullptr) return kStatusFileNotOpen;
    if (int st = s.switches.Fail(kOpClose, h->table->folded)) return st;
    CloseHandle(s, *h);
    return kStatusOk;
  });
}

int BtrvCreate(const char* path, const void* fileSpec, const void* keySpecs, bool replace) {
  return Run([&](State& s) -> int {
    if (fileSpec == nullptr) return kStatusInvalidRecordLength;
    FilePath fp;
    if (int st = ResolvePath(s, path, fp)) return st;
    FileLayout layout;
    if (int st = ParseFileSpec(static_cast<const unsigned char*>(fileSpec),
                               static_cast<const unsigned char*>(keySpecs), layout))
      return st;
    if (int st = s.switches.Fail(kOpCreate, fp.folded)) return st;
    Database* d = nullptr;
    if (int st = OpenDatabase(s, fp.folder, true, d)) return st;
    IdleRelease release(s, d);
    d->Refresh();
    CatalogChange change(s, *d);
    if (int st = change.Begin()) return st;
    CatalogEntry existing;
    const int found = FindFile(*d, fp.folded, existing);
    if (found == kStatusOk) {
      if (!replace) return kStatusFileExists;
      if (FileOpenAnywhere(*d, existing.id)) return kStatusFileInUse;
      if (int st = DropFile(*d, existing.id)) return st;
    } else if (found != kStatusFileNotFound) {
      return found;
    }
    if (int st = CreateFile(*d, fp, layout)) return st;
    return change.Commit();
  });
}

int BtrvStat(BtrvHandle handle, void* buffer, unsigned length) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    if (h == nullptr) return kStatusFileNotOpen;
    if (int st = s.switches.Fail(kOpStat, h->table->folded)) return st;
    const FileLayout& layout = h->table->layout;
    const std::size_t need = kFileSpecSize + layout.segmentBytes.size() + layout.collating.size();
    if (buffer == nullptr || length < need) return kStatusDataBufferTooShort;
    h->db->Refresh();
    const std::string& table = h->table->sqlName;
    std::string sql = "SELECT count(*)";
    for (std::size_t k = 0; k < layout.keys.size(); ++k)
      sql += ", count(DISTINCT " + KeyColumn(static_cast<int>(k)) + ")";
    sql += " FROM " + table;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(h->db->db, sql.c_str(), -1, &st, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) {
      sqlite3_finalize(st);
      return StatusOf(rc);
    }
    auto* out = static_cast<unsigned char*>(buffer);
    std::memset(out, 0, need);
    PutU16(out, layout.recordLength);
    PutU16(out + 2, layout.pageSize);
    out[4] = static_cast<unsigned char>(layout.keys.size());
    out[5] = layout.formatVersion;
    PutU32(out + 6, static_cast<std::uint32_t>(sqlite3_column_int64(st, 0)));
    PutU16(out + 10, layout.fileFlags);
    unsigned char* seg = out + kFileSpecSize;
    std::memcpy(seg, layout.segmentBytes.data(), layout.segmentBytes.size());
    for (std::size_t k = 0; k < layout.keys.size(); ++k) {
      const auto distinct = static_cast<std::uint32_t>(sqlite3_column_int64(st, static_cast<int>(k) + 1));
      for (std::size_t i = 0; i < layout.keys[k].segments.size(); ++i, seg += kKeySegmentSize)
        PutU32(seg + 6, distinct);
    }
    std::memcpy(seg, layout.collating.data(), layout.collating.size());
    sqlite3_finalize(st);
    return kStatusOk;
  });
}

int BtrvFileExists(const char* path) {
  return Run([&](State& s) -> int {
    FilePath fp;
    if (int st = ResolvePath(s, path, fp)) return st;
    Database* d = nullptr;
    if (int st = OpenDatabase(s, fp.folder, false, d)) return st;
    IdleRelease release(s, d);
    d->Refresh();
    CatalogEntry entry;
    return FindFile(*d, fp.folded, entry);
  });
}

int BtrvFileDelete(const char* path) {
  return Run([&](State& s) -> int {
    FilePath fp;
    if (int st = ResolvePath(s, path, fp)) return st;
    Database* d = nullptr;
    if (int st = OpenDatabase(s, fp.folder, false, d)) return st;
    IdleRelease release(s, d);
    d->Refresh();
    CatalogChange change(s, *d);
    if (int st = change.Begin()) return st;
    CatalogEntry entry;
    if (int st = FindFile(*d, fp.folded, entry)) return st;
    if (FileOpenAnywhere(*d, entry.id)) return kStatusFileInUse;
    if (int st = DropFile(*d, entry.id)) return st;
    return change.Commit();
  });
}

int BtrvFileRename(const char* from, const char* to) {
  return Run([&](State& s) -> int {
    FilePath src, dst;
    if (int st = ResolvePath(s, from, src)) return st;
    if (int st = ResolvePath(s, to, dst)) return st;
    if (src.folder != dst.folder) return kStatusInvalidFileName;
    Database* d = nullptr;
    if (int st = OpenDatabase(s, src.folder, false, d)) return st;
    IdleRelease release(s, d);
    d->Refresh();
    CatalogChange change(s, *d);
    if (int st = change.Begin()) return st;
    CatalogEntry source, target;
    if (int st = FindFile(*d, src.folded, source)) return st;
    if (FileOpenAnywhere(*d, source.id)) return kStatusFileInUse;
    const int found = FindFile(*d, dst.folded, target);
    if (found == kStatusOk && target.id != source.id) {
      if (FileOpenAnywhere(*d, target.id)) return kStatusFileInUse;
      if (int st = DropFile(*d, target.id)) return st;
    } else if (found != kStatusOk && found != kStatusFileNotFound) {
      return found;
    }
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(d->db, "UPDATE qx_catalog SET name = ?1, folded = ?2 WHERE id = ?3",
                                -1, &st, nullptr);
    if (rc == SQLITE_OK) {
      sqlite3_bind_text(st, 1, dst.name.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 2, dst.folded.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int64(st, 3, source.id);
      rc = sqlite3_step(st);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return StatusOf(rc);
    return change.Commit();
  });
}

// ---- Keys and positions ----------------------------------------------------------------

int BtrvSetKey(BtrvHandle handle, int keyNumber, int /*setting*/) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    if (h == nullptr) return kStatusFileNotOpen;
    const SupIndex* sup = nullptr;
    if (KeyOf(*h, keyNumber, &sup) == nullptr) return kStatusInvalidKeyNumber;
    if (h->key != keyNumber) DropCursor(*h);
    h->key = keyNumber;
    return kStatusOk;
  });
}

int BtrvGetKey(BtrvHandle handle) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    return h == nullptr ? -1 : h->key;
  });
}

int BtrvPosition(int op, BtrvHandle handle, void* position4) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    if (h == nullptr) return kStatusFileNotOpen;
    if (position4 == nullptr) return kStatusInvalidOperation;
    if (op == kOpGetDirect) {
      if (int st = s.switches.Fail(kOpGetPosition, h->table->folded)) return st;
      if (!h->current) return kStatusInvalidPositioning;
      PutU32(static_cast<unsigned char*>(position4), static_cast<std::uint32_t>(h->position));
      return kStatusOk;
    }
    if (op != 0) return kStatusInvalidOperation;
    h->db->Refresh();
    DropCursor(*h);
    const std::int64_t position = GetU32(position4);
    if (const KnownImage* known = KnownRow(*h->db, *h->table, position)) {
      h->image = known->image;
    } else {
      sqlite3_stmt* st = h->table->byPosition;
      Use use(st);
      sqlite3_bind_int64(st, 1, position);
      const int rc = sqlite3_step(st);
      if (rc == SQLITE_DONE) return kStatusInvalidPosition;
      if (rc != SQLITE_ROW) return StatusOf(rc);
      h->image.assign(ColumnBlob(st, 0));
      RememberRow(*h->db, *h->table, position, h->image);
    }
    NoteImage(*h);
    h->position = position;
    h->positioned = h->current = true;
    return kStatusOk;
  });
}

// ---- Reads and writes -------------------------------------------------------------------

int BtrvGetOp(int op, BtrvHandle handle, void* keyBuffer, void* record, unsigned length,
              unsigned* lengthRead) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    if (h == nullptr) return kStatusFileNotOpen;
    const bool lock = op >= kLockBias;
    const int base = lock ? op - kLockBias : op;
    if (base < kOpGetEqual || (base > kOpGetLast && base != kOpGetDirect))
      return kStatusInvalidOperation;
    if (record == nullptr) return kStatusDataBufferTooShort;
    if (int st = s.switches.Fail(op, h->table->folded)) return st;
    h->db->Refresh();
    const unsigned capacity = length ? length : h->table->layout.recordLength;
    const int status = GetRecord(*h, base, lock, static_cast<unsigned char*>(keyBuffer),
                                 static_cast<unsigned char*>(record), capacity, lengthRead);
    if (status == kStatusOk) h->lookedUp = base == kOpGetEqual || base == kOpGetDirect;
    return status;
  });
}

int BtrvWriteOp(int op, BtrvHandle handle, void* keyBuffer, const void* record, unsigned length) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    if (h == nullptr) return kStatusFileNotOpen;
    if (op != kOpInsert && op != kOpUpdate && op != kOpDelete) return kStatusInvalidOperation;
    if (op != kOpDelete && record == nullptr) return kStatusDataBufferTooShort;
    if (int st = s.switches.Fail(op, h->table->folded)) return st;
    h->db->Refresh();
    auto* key = static_cast<unsigned char*>(keyBuffer);
    const auto* rec = static_cast<const unsigned char*>(record);
    switch (op) {
      case kOpInsert: return Insert(s, *h, key, rec, length);
      case kOpUpdate: return Update(s, *h, key, rec, length);
      default: return Delete(s, *h);
    }
  });
}

int BtrvUnlock(int mode, BtrvHandle handle) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    if (h == nullptr) return kStatusFileNotOpen;
    if (int st = s.switches.Fail(kOpUnlock, h->table->folded)) return st;
    if (mode == -2) {
      UnlockAll(*h);
      return kStatusOk;
    }
    if (mode == -1) {
      if (h->positioned) Unlock(*h, h->position);
      return kStatusOk;
    }
    return kStatusInvalidOperation;
  });
}

int BtrvTransaction(int op) {
  return Run([&](State& s) -> int {
    if (op != kOpBeginTransaction && op != kOpEndTransaction && op != kOpAbortTransaction)
      return kStatusInvalidOperation;
    if (int st = s.switches.Fail(op, "")) return st;
    if (op == kOpBeginTransaction) {
      if (s.transaction) return kStatusTransactionActive;
      if (s.counters.on()) ++s.counters.Process().units;
      s.transaction = true;
      ++s.transactions;
      return kStatusOk;
    }
    if (!s.transaction) return kStatusNoTransaction;
    int status = kStatusOk;
    std::vector<Database*> idle;
    for (auto& [folder, d] : s.databases) {
      if (!d->inTransaction) continue;
      const int st = EndUnit(s, *d, op == kOpEndTransaction);
      if (status == kStatusOk) status = st;
      if (!d->inTransaction) idle.push_back(d.get());
    }
    s.transaction = false;
    for (Database* d : idle) ReleaseIfIdle(s, d);
    return status;
  });
}

std::uint64_t BtrvTransactionNumber() {
  std::uint64_t number = 0;
  Run([&](State& s) -> int {
    number = s.transaction ? s.transactions : 0;
    return kStatusOk;
  });
  return number;
}

std::uint64_t BtrvFileStamp(BtrvHandle handle) {
  std::uint64_t stamp = 0;
  Run([&](State& s) -> int {
    if (Handle* h = Find(s, handle); h != nullptr && h->table != nullptr) stamp = h->table->changes;
    return kStatusOk;
  });
  return stamp;
}

// ---- Grouped commits -----------------------------------------------------------------------

int BtrvGroupBegin(int units, int millis) {
  return Run([&](State& s) -> int {
    units = std::clamp(units, 1, kGroupMaxUnits);
    millis = std::clamp(millis, 1, kGroupMaxMillis);
    // A test may take the group's age out of play.
    s.switches.GroupBounds(units, millis);
    s.grouping = true;
    s.groupUnits = units;
    s.groupTime = std::chrono::milliseconds(millis);
    return kStatusOk;
  });
}

namespace {
// Commits every folder's group that holds no part of the transaction in
// hand; a folder the transaction in hand has written commits as it ends.
int CommitGroups(State& s) {
  int status = kStatusOk;
  std::vector<Database*> idle;
  for (auto& [folder, d] : s.databases) {
    if (!d->inTransaction) continue;
    if (d->inUnit) {
      d->commitSoon = true;
      continue;
    }
    const int st = CommitWrite(s, *d);
    if (status == kStatusOk) status = st;
    idle.push_back(d.get());
  }
  for (Database* d : idle) ReleaseIfIdle(s, d);
  return status;
}
}  // namespace

int BtrvGroupCommit() {
  return Run([&](State& s) -> int { return CommitGroups(s); });
}

int BtrvGroupEnd() {
  return Run([&](State& s) -> int {
    const int status = CommitGroups(s);
    s.grouping = false;
    return status;
  });
}

// ---- Supplementary indexes ----------------------------------------------------------------

int BtrvCreateIndex(BtrvHandle handle, unsigned length, const void* specification) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    if (h == nullptr) return kStatusFileNotOpen;
    if (int st = s.switches.Fail(kOpCreateIndex, h->table->folded)) return st;
    auto sup = std::make_unique<SupIndex>();
    std::string segments;
    if (int st = ParseIndexSpec(static_cast<const unsigned char*>(specification), length,
                                h->table->layout.recordLength, sup->key, segments))
      return st;
    h->db->Refresh();
    int number = static_cast<int>(h->table->layout.keys.size());
    for (const auto& other : h->table->sups) {
      if (other->owner == h->number) number = std::max(number, other->number + 1);
    }
    sup->number = number;
    sup->owner = h->number;
    sup->table = "qx_sx" + std::to_string(++s.supSerial);
    // The index is built from what SQLite holds.
    if (int st = WritePending(*h->db, *h->table)) return st;
    if (int st = BuildSup(*h->db, *h->table, *sup)) return st;
    h->table->sups.push_back(std::move(sup));
    return kStatusOk;
  });
}

int BtrvDropIndex(BtrvHandle handle, int keyNumber) {
  return Run([&](State& s) -> int {
    Handle* h = Find(s, handle);
    if (h == nullptr) return kStatusFileNotOpen;
    if (int st = s.switches.Fail(kOpDropIndex, h->table->folded)) return st;
    auto& sups = h->table->sups;
    for (auto it = sups.begin(); it != sups.end(); ++it) {
      if ((*it)->owner != h->number || (*it)->number != keyNumber) continue;
      if (h->key == keyNumber) {
        DropCursor(*h);
        h->key = 0;
      }
      FinalizeKeyStmts(*h, keyNumber);
      DropSupTable(*h->db, (*it)->table);
      sups.erase(it);
      return kStatusOk;
    }
    return kStatusInvalidKeyNumber;
  });
}

int BtrvGetCollatingSequence(void* buffer265) {
  return Run([&](State&) -> int {
    if (buffer265 == nullptr) return kStatusInvalidOperation;
    const std::string seq = CaseFoldingSequence();
    std::memcpy(buffer265, seq.data(), seq.size());
    return kStatusOk;
  });
}

int BtrvTestSwitch(const char* spec) {
  return Run([&](State& s) -> int {
    return s.switches.Set(spec ? spec : "") ? kStatusOk : kStatusInvalidOperation;
  });
}
