// btrvc: the record-manager client.
//
// A record file is a set of fixed- (or variable-) length records, each with a
// 4-byte position, reachable in the order of any of its keys.  A key is one or
// more segments (offset, length, type, flags) of the record; records with equal
// keys follow in position order.  The client keeps all the record files of one
// folder in one SQLite database in that folder (`qxrecords.sqlite`, WAL
// journal); a path handed to the client names a folder and a file name (either
// slash separates them), and file names compare without regard to ASCII case.
// Beside the database, `qxrecords.lock` carries what the processes sharing the
// folder tell each other: record locks and open modes are kernel byte-range
// locks on it (so a killed process never leaves anything locked), and a
// commit counter lets each process notice another's changes.
//
// Every call returns a record-manager status (RecordStatus: 0 = success).  No
// exception leaves this library.  A handle is only used by the thread that
// opened it (the system has one UI thread); the client serialises its calls.
// A child made by fork starts with no handles and no transaction.
//
// Positioning follows the record manager's rules: a handle has a current key
// (BtrvSetKey) and, after a successful read, insert or update, a current
// record.  Get next/previous continue from the current record in the current
// key's order, also when the current record was deleted or its key changed
// meanwhile (through any handle: the walk goes on from the record's new place).
// A read that fails (4, 9, 22, 84, ...) leaves the handle where it was.
#pragma once

#include <cstddef>
#include <cstdint>

// The name of the database file the client keeps in each folder it uses.
inline constexpr char kRecordDatabaseName[] = "qxrecords.sqlite";

// A handle of an open record file; 0 is never a valid handle.
using BtrvHandle = std::uint16_t;

// Operation codes.
enum RecordOp : int {
  kOpOpen = 0,
  kOpClose = 1,
  kOpInsert = 2,
  kOpUpdate = 3,
  kOpDelete = 4,
  kOpGetEqual = 5,
  kOpGetNext = 6,
  kOpGetPrevious = 7,
  kOpGetGreater = 8,
  kOpGetGreaterOrEqual = 9,
  kOpGetLess = 10,
  kOpGetLessOrEqual = 11,
  kOpGetFirst = 12,
  kOpGetLast = 13,
  kOpCreate = 14,
  kOpStat = 15,
  kOpBeginTransaction = 19,
  kOpEndTransaction = 20,
  kOpAbortTransaction = 21,
  kOpGetPosition = 22,
  kOpGetDirect = 23,  // read the record at a stored position (see BtrvGetOp)
  kOpVersion = 26,
  kOpUnlock = 27,
  kOpReset = 28,
  kOpCreateIndex = 31,
  kOpDropIndex = 32,
};

// Added to a read operation: lock the record read (multiple no-wait lock).
// A record locked through another handle or process answers 84 to a locked
// read, an update or a delete; a plain read of it is allowed.  A handle keeps
// its locks (also across its own updates) until BtrvUnlock, the record's
// delete or its close; transactions do not release them.
constexpr int kLockBias = 400;

// Statuses.
enum RecordStatus : int {
  kStatusOk = 0,
  kStatusInvalidOperation = 1,
  kStatusIoError = 2,
  kStatusFileNotOpen = 3,
  kStatusKeyNotFound = 4,
  kStatusDuplicateKey = 5,
  kStatusInvalidKeyNumber = 6,
  kStatusInvalidPositioning = 8,  // update/delete without a current record
  kStatusEndOfFile = 9,
  kStatusModifiableKey = 10,       // update changed a key that may not change
  kStatusInvalidFileName = 11,
  kStatusFileNotFound = 12,
  kStatusKeyBufferTooShort = 21,
  kStatusDataBufferTooShort = 22,  // record longer than the caller's buffer
  kStatusInvalidRecordLength = 28,
  kStatusInvalidKeyLength = 29,
  kStatusNotARecordFile = 30,
  kStatusTransactionActive = 37,
  kStatusNoTransaction = 39,       // end/abort without a begin
  kStatusInvalidPosition = 43,     // stored position names no record
  kStatusInconsistentKeyFlags = 45,
  kStatusAccessDenied = 46,
  kStatusTooManyFiles = 47,
  kStatusInvalidCollatingSequence = 48,
  kStatusKeyTypeError = 49,
  kStatusFileExists = 59,
  kStatusConflict = 80,            // changed by another user since it was read
  kStatusRecordInUse = 84,         // locked by another handle or process
  kStatusFileInUse = 85,           // opened exclusively elsewhere
  kStatusPermissionError = 94,
};

// Open modes (BtrvOpen).  0 and 0x100 open for shared use; 0x400 asks for
// exclusive use and fails with 85 while another process has the file open;
// -2 (0xFFFE as u16) opens read-only (writes answer 46).  Handles of one
// process never exclude each other.  Any other mode answers 1.
constexpr int kOpenNormal = 0;
constexpr int kOpenShared = 0x100;
constexpr int kOpenExclusive = 0x400;
constexpr int kOpenReadOnly = -2;

// Key segment specification, 16 bytes, little-endian:
//   u16 position (1-based byte offset in the record) at 0
//   u16 length at 2
//   u16 flags at 4 (kKeyFlag...)
//   u32 number of distinct key values at 6 (filled by BtrvStat, else 0)
//   u8  extended type at 10 (kKeyType...)
//   u8  null value at 11 (with kKeyFlagNullKey)
//   u8  reserved[4] at 12
// A key's segments follow one another; every segment but the key's last
// carries kKeyFlagSegmented.  The duplicates, modifiable and null-key flags
// of a key's segments must agree (else 45).  Without kKeyFlagExtendedType a
// segment is a string, or with kKeyFlagBinary an unsigned little-endian
// number of any length.  Integer and unsigned types take 1, 2, 4 or 8 bytes,
// floats 4 or 8, a key at most 255 bytes.  Keys sort as their type (negative
// numbers first, -0.0 equal to 0.0); a descending segment sorts backwards.
constexpr std::size_t kKeySegmentSize = 16;
enum KeyFlag : std::uint16_t {
  kKeyFlagDuplicates = 0x0001,
  kKeyFlagModifiable = 0x0002,
  kKeyFlagBinary = 0x0004,
  kKeyFlagNullKey = 0x0008,      // records whose segments are all null value are not indexed
  kKeyFlagSegmented = 0x0010,    // another segment of the same key follows
  kKeyFlagAltCollating = 0x0020, // compared through the alternate collating sequence
  kKeyFlagDescending = 0x0040,
  kKeyFlagSupplemental = 0x0080, // made by BtrvCreateIndex
  kKeyFlagExtendedType = 0x0100, // the extended type byte is meaningful
  kKeyFlagNoCase = 0x0400,       // string segment compared without case
};
enum KeyType : std::uint8_t {
  kKeyTypeString = 0,    // blank-padded text; trailing NULs equal blanks
  kKeyTypeInteger = 1,   // signed little-endian, 1, 2, 4 or 8 bytes (day numbers are 4)
  kKeyTypeFloat = 2,     // IEEE double (8) or float (4)
  kKeyTypeZString = 11,  // NUL-terminated text
  kKeyTypeUnsigned = 14, // unsigned little-endian, 1, 2, 4 or 8 bytes
};

// File specification for BtrvCreate, 16 bytes:
//   u16 record length at 0, u16 page size at 2, u8 number of keys at 4,
//   u8 file-format version at 5 (0 = current, kFormatVersionCurrent),
//   u32 record count at 6 (filled by BtrvStat), u16 file flags at 10,
//   4 reserved bytes.  BtrvStat fills the same 16 bytes followed by the key
//   segments.
constexpr std::size_t kFileSpecSize = 16;
constexpr std::uint8_t kFormatVersionCurrent = 0x70;  // 112
enum FileFlag : std::uint16_t {
  kFileFlagVariableLength = 0x0001,  // records may be shorter or longer than the record length
};

// The alternate collating sequence: 0xAC, an 8-character name, 256 bytes.
constexpr std::size_t kCollatingSequenceSize = 265;

// The record-manager paths block: four 144-byte folders (program, base data,
// data dictionary, company) at 0, 144, 288, 432; zeros to 864; i32 0 at 864;
// i32 1 at 868.
constexpr std::size_t kPathsBlockSize = 872;
constexpr std::size_t kPathsFolderSize = 144;

// ---- Presence and session ----------------------------------------------

// 0 when the record manager can be used from `programFolder`; 20 when it is
// not resident (only the test switch makes it so).
int BtrvCheckResident(const char* programFolder);

// The record manager's version.  The interface level this client offers is
// reported as its version: 7.0 (third 0), unless a test switch says otherwise.
int BtrvGetVersion(int* major, int* minor, int* third);

// Closes every handle of the process, releases every lock and aborts an open
// transaction.  Always 0.
int BtrvReset();

// Keeps the four folders of the paths block.  A path given to BtrvOpen or
// BtrvCreate that names no folder is taken from the company folder (the
// current folder while none is set).
int BtrvSetPaths(const void* block872);

// ---- Files -------------------------------------------------------------

// Opens `path` (folder + file name).  12 when the file or its folder does not
// exist or the folder has no database, 85 when `mode` is exclusive and
// another process has it open or when another process has it open
// exclusively, 30 when the folder's database is damaged or not one of ours
// (any call may answer 30 when it meets a damaged part of the database).
// `owner` is reserved (pass 0).
int BtrvOpen(BtrvHandle* handle, const char* path, int mode, int owner);

// Closes a handle, releasing its locks.  Closing 0 or a closed handle gives 3.
int BtrvClose(BtrvHandle handle);

// Creates an empty record file: a 16-byte file specification, then the key
// segments (16 bytes each, as many as the keys need), then, when a segment
// carries kKeyFlagAltCollating, the 265-byte collating sequence.  59 when the
// file exists (unless `replace` is true; 85 when it is open anywhere),
// 28/29/45/48/49 for a bad specification, 12 when the folder does not exist.
// The database is made in the folder when it has none.  Byte 5 of the file
// specification is stored as the file's format version (0 = current); the
// client reads and writes every version alike.  Record positions are never
// reused while the file's last record remains.
int BtrvCreate(const char* path, const void* fileSpec, const void* keySpecs, bool replace = false);

// File statistics into `buffer` (capacity `length`): the 16-byte file
// specification with the record count, then every key segment with its key's
// number of distinct values, then the collating sequence when the file has
// one.  22 when the buffer is too short.  Counting reads the whole file.
int BtrvStat(BtrvHandle handle, void* buffer, unsigned length);

// Whether a record file exists (0) or not (12); 30 when the folder's
// database is damaged or not one of ours.
int BtrvFileExists(const char* path);
// Deletes a record file that no handle has open (85 otherwise, also when
// another process has it open).  12 when there is none.
int BtrvFileDelete(const char* path);
// Renames a record file, replacing `to` in one step when it exists (the
// replaced file is gone only once the rename is complete).  Both paths must
// name the same folder (else 11); neither file may be open (85).
int BtrvFileRename(const char* from, const char* to);

// ---- Keys and positions ------------------------------------------------

// Chooses the key that later reads of `handle` follow.  `setting` is kept for
// callers (−1 or 0) and does not change the behaviour.  The current record
// stays current: get next continues from it in the new key's order.
int BtrvSetKey(BtrvHandle handle, int keyNumber, int setting);
// The handle's current key number, or −1 for a closed handle.
int BtrvGetKey(BtrvHandle handle);

// op 23: stores the current record's position into `position4` (8 without a
// current record).
// op 0: makes the record at that position current again (for get next and
// update), on the handle's current key; 43 when no such record exists.
int BtrvPosition(int op, BtrvHandle handle, void* position4);

// ---- Reads and writes -----------------------------------------------------

// Reads by `op` (5, 6, 7, 8, 9, 10, 11, 12, 13, 23, each optionally plus
// kLockBias).  For 5 and 8-11 the key buffer holds the key to look for (21
// without one); on success the key buffer receives the found record's key
// image on the current key, and the record buffer the record.  For 23 the
// first 4 bytes of the record buffer hold the position to read (43 when no
// record is there).  Among equal keys 5, 8 and 9 find the first in position
// order, 10, 11 and 13 the last.  Not found: 4 for 5, 9 for the others; 6 and
// 7 answer 8 before the handle has a place on the key.  `length` is the
// capacity of the record buffer; 0 means the file's record length.  A longer
// record answers 22 with as much as fits.  `lengthRead`, when given, receives
// the record's length (variable-length files), also with 22.
int BtrvGetOp(int op, BtrvHandle handle, void* keyBuffer, void* record, unsigned length = 0,
              unsigned* lengthRead = nullptr);

// Writes by `op`: 2 inserts `record` (the key buffer, when given, receives its
// key), 3 updates the current record, 4 deletes the current record.  `length`
// 0 means the file's record length.  A fixed-length file stores exactly its
// record length (22 when `length` is shorter); a variable-length file stores
// `length` bytes, which must hold every key (else 22).  5 for a duplicate on
// a unique key, 8 without a current record (also after its delete), 10 when
// an update changes a key without kKeyFlagModifiable, 46 on a read-only
// handle, 84 when another handle or process locks the record, 80 when the
// record was changed or deleted since this handle read it.  A refused write
// changes nothing.
int BtrvWriteOp(int op, BtrvHandle handle, void* keyBuffer, const void* record, unsigned length = 0);

// Releases the handle's locks: −2 every lock, −1 the current record's lock.
int BtrvUnlock(int mode, BtrvHandle handle);

// 19 begins, 20 commits, 21 aborts a transaction over every file the process
// has open.  A committed transaction is whole after a crash; an uncommitted
// one leaves nothing.  37 for a second begin, 39 for an end or abort without
// a begin.  A folder's database joins the transaction at its first write and
// then keeps other processes' writes to that folder waiting (84 after 5
// seconds); each folder commits as a unit, one after another.  Creating,
// deleting and renaming files are part of the transaction.  While grouping
// is on (below), 20 ends the transaction and its group commits it later.
int BtrvTransaction(int op);

// The number of the process's transaction in hand (19 ... 20 or 21), each
// begin counted from 1; 0 outside one.  While one number lasts, the process
// holds the write lock of each folder it has written in it, so what it wrote
// there stays as it wrote it until the transaction ends.
std::uint64_t BtrvTransactionNumber();

// A stamp of the file `handle` has open: given anew whenever this process
// writes the file, through any handle, or an abort puts it back, and never
// given to another file or again to this one; 0 for a handle not open.  It
// does not see other processes' writes: while the transaction number in
// which this process last wrote the file and the stamp both stay the same,
// the file is as this process left it.
std::uint64_t BtrvFileStamp(BtrvHandle handle);

// ---- Grouped commits --------------------------------------------------------------
//
// A run that ends many small transactions one after another (a posting run)
// may have them committed in groups.  While grouping is on, each transaction
// (19 ... 20) is a savepoint inside one longer write transaction of each
// folder it writes; that write transaction commits once it holds `units`
// ended transactions or has been open `millis` milliseconds (looked at as
// each transaction ends), and whenever BtrvGroupCommit or BtrvGroupEnd asks.
// Each transaction stays whole: 21 takes back its own writes only, and a
// crash leaves every transaction either whole or absent.  What changes is
// when an ended transaction becomes durable: when its group commits.  A crash
// before that takes the whole group back, every transaction in it and none
// in part.  A group commit that fails takes its whole group back too, and
// the call that made it (20, BtrvGroupCommit, BtrvGroupEnd, or a write
// outside a transaction, which commits the group before it) answers its
// status.  Other processes see a group's transactions when it commits, and
// their writes to the folder wait meanwhile; a process that waits is let in
// between two groups.  A write outside a transaction commits the folder's
// group first, so that it is kept as surely as without grouping.

// Turns grouping on with these bounds, clamped to 1..100000 transactions
// and 1..1000 ms (a test switch may put its own in their place).  Returns 0.
int BtrvGroupBegin(int units, int millis);
// Commits the group of every folder.  A folder that the transaction in hand
// has written keeps its group open, and commits it as that transaction ends
// (20 or 21).  0, or the status of a failed commit.
int BtrvGroupCommit();
// BtrvGroupCommit, then grouping off.  0, or the status of a failed commit.
int BtrvGroupEnd();

// Puts a handle's key of reference back when the scope ends, however it
// ends (the handle's position is not kept).
class BtrvKeyScope {
 public:
  explicit BtrvKeyScope(BtrvHandle handle) : handle_(handle), key_(BtrvGetKey(handle)) {}
  ~BtrvKeyScope() {
    if (key_ >= 0) BtrvSetKey(handle_, key_, -1);
  }
  BtrvKeyScope(const BtrvKeyScope&) = delete;
  BtrvKeyScope& operator=(const BtrvKeyScope&) = delete;

 private:
  BtrvHandle handle_;
  int key_;
};

// The process's transaction for one scope: Begin starts it, Commit ends it,
// and it is aborted on every other way out (a failed commit included).
class BtrvTransactionScope {
 public:
  BtrvTransactionScope() = default;
  BtrvTransactionScope(const BtrvTransactionScope&) = delete;
  BtrvTransactionScope& operator=(const BtrvTransactionScope&) = delete;
  ~BtrvTransactionScope() {
    if (open_) BtrvTransaction(kOpAbortTransaction);
  }
  // The record manager's status of the begin.
  int Begin() {
    const int status = BtrvTransaction(kOpBeginTransaction);
    open_ = status == kStatusOk;
    return status;
  }
  // The record manager's status of the end; on a failure the transaction
  // is still aborted when the scope ends.
  int Commit() {
    const int status = BtrvTransaction(kOpEndTransaction);
    if (status == kStatusOk) open_ = false;
    return status;
  }

 private:
  bool open_ = false;
};

// ---- Supplementary indexes ------------------------------------------------

// Adds a key to an open file from key segments (and a collating sequence when
// a segment asks for one), `length` bytes in all.  The new key's number is
// one past the file's last key (and past the handle's other added keys).  The
// index belongs to the handle: other handles answer 6 for its number; it is
// dropped by BtrvDropIndex, when the handle is closed, and never outlives the
// process (it lives in the process's temporary storage).  Duplicates are
// always allowed on it.  Writes through any handle of the process keep it
// current; records another process adds meanwhile are not on it.
int BtrvCreateIndex(BtrvHandle handle, unsigned length, const void* specification);
// Drops a key that BtrvCreateIndex made on this handle (6 for any other).
// When it was the current key, key 0 becomes current.
int BtrvDropIndex(BtrvHandle handle, int keyNumber);

// The client's case-folding collating sequence (265 bytes): compares as the
// system's one text rule (ASCII and code-page-437 letters without case).
int BtrvGetCollatingSequence(void* buffer265);

// ---- Test switches ----------------------------------------------------------

// Makes the client answer as a test needs, until switched off.  `spec` is a
// blank-separated list of settings, the same as the QX_BTRV_TEST environment
// variable that the client reads when it first runs:
//   resident=0            BtrvCheckResident fails
//   version=6.1           BtrvGetVersion reports that version
//   fail=<op>:<file>:<n>:<status>
//                         the n-th call (from 1) of operation op on the file
//                         named <file> answers <status> and changes nothing;
//                         op is the code as the caller passes it (405 is not
//                         5), with 0 open, 1 close, 14 create, 15 stat, 22
//                         BtrvPosition(23), 27 unlock, 31/32 index; <file> is
//                         the name without folder, any case, or * for every
//                         file (and for 19/20/21, which name none)
//   commit=<n>:<status>   the n-th commit of a folder's write transaction
//                         (from 1) fails with <status>: its writes are rolled
//                         back as a full disk would leave them
//   group=<units>:<ms>    the bounds of every group, whatever BtrvGroupBegin
//                         asks (not clamped)
// An empty or null spec switches everything off.  0, or 1 for a bad spec
// (the settings stay as they were).
int BtrvTestSwitch(const char* spec);
