// What the posting services share among themselves (not exported): the
// state of the run, the posting unit, and small helpers over the records.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "btrvc.h"
#include "qxabase/posting.h"
#include "records/dictionary.h"
#include "records/transactions.h"

namespace qxb::posting {

// The header that PostTranRead handed out last: the header file's handle and
// the record's position, so that the services that rewrite or delete that
// header do it in place and the walk goes on from it.
struct WalkedHeader {
  BtrvHandle handle = 0;
  int fileNo = 0;
  std::uint32_t position = 0;
  std::string key;  // G/L headers: journal code and number (TransactionKey)
  bool valid = false;
};

// A summary line written by PostGLLine in mode 1, by what it sums.
struct SummaryLineKey {
  std::string transaction;  // journal code and number, 18 bytes
  std::string account;      // trimmed, in capitals (the account key ignores case)
  char side = 0;
  std::string description;  // trimmed
  auto operator<=>(const SummaryLineKey&) const = default;
};

// The lines of the header PostTranRead handed out last, as read for it
// (ReadTransactionLines): its pre-check, its posting and its check
// register read them once.  The services that write lines forget them.
struct WalkedLines {
  BtrvHandle handle = 0;
  std::string key;
  std::vector<records::GLLine> lines;
  bool valid = false;
};

struct RunState {
  bool unitOpen = false;   // a posting unit is open
  bool unitOwned = false;  // ... and its record-manager transaction is ours to end
  bool grouping = false;   // the run's units are committed in groups
  // A group commit that failed while nobody could be told (before the user
  // was waited for): the next service that begins or commits a unit answers
  // it, or the command's end shows it.
  int groupFailure = 0;
  bool nextAsked = false;  // PostTranNext has answered true
  WalkedHeader walked;
  WalkedLines walkedLines;
  std::map<SummaryLineKey, std::uint32_t> summaryLines;  // position of each summary line
  // The sequence GLTranHeaderCreate drew a journal's numbers from, for
  // GLTranDetailCreate's retry after a number taken in entry.
  std::map<std::string, BtrvHandle> sequenceOf;  // journal code (7 bytes) -> handle of file 23
  // The open-invoice line OpenInvoiceRead read last: the handle and file it
  // read it through (RecordWriteOp writes through them).
  BtrvHandle openInvoiceHandle = 0;
  int openInvoiceFileNo = 0;
  // The transaction sequences (file 23) PostAmountLine numbers activity
  // from: opened on first use, closed when the run is forgotten.
  BtrvHandle activitySequences = 0;
  // Where PostReadAccount found each account code (as the caller gave it,
  // trimmed): read there first, and taken when the record there still has
  // that code.
  std::unordered_map<std::string, std::uint32_t> accountAt;
};

RunState& Run();

// Opens a unit when none is open.  0, or the status of the begin.
int UnitBegin();
// Commits the open unit (nothing when none is).  0, or the status; a failed
// commit leaves nothing of the unit.
int UnitCommit();
// Abandons the open unit (nothing when none is).
void UnitAbandon();
// Commits the units ended so far for good (their group).  0, or the status
// of the failed commit, after which none of them is kept.
int GroupCommit();
// Ends grouping: the open unit is abandoned, the units ended before it are
// committed.  0, or the status of a failed commit not told yet (also one
// kept from before).
int GroupEnd();

// Makes a service's writes one unit: joins the unit that is open, otherwise
// opens one that Commit ends (and that is abandoned when Commit is never
// reached).
class ServiceUnit {
 public:
  ServiceUnit() = default;
  ServiceUnit(const ServiceUnit&) = delete;
  ServiceUnit& operator=(const ServiceUnit&) = delete;
  ~ServiceUnit();
  // 0, or the status of the begin.
  int Begin();
  // 0, or the status of the commit.
  int Commit();

 private:
  bool own_ = false;
};

// Fills the failure fields of the work record and returns `status`.
int Fail(TagPostWork* work, int fileNo, int operation, int status);

// Runs a service's body so that no exception leaves the library: memory
// running out is reported as the record manager reports its own failures
// (status 2 of the step named), and the run stops.
template <class F>
int Guarded(TagPostWork* work, int fileNo, int operation, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    UnitAbandon();
    if (work != nullptr) work->result = kPostStop;
    return Fail(work, fileNo, operation, kStatusIoError);
  }
}
// Clears status and result of the work record (the key and the last failing
// step stay for the caller to read until the next failure).
void Clear(TagPostWork* work);
// Copies a text into work->key.
void SetKey(TagPostWork* work, std::string_view text);

// The text of a field up to its first NUL, trailing blanks removed.
std::string_view Trim(const char* field, std::size_t n);
template <std::size_t N>
std::string_view Trim(const char (&field)[N]) {
  return Trim(field, N);
}

// Key 0 of the G/L header and lines files: journal code and number, 18 bytes.
std::string TransactionKey(const records::TagGLHeader& header);
bool SameTransaction(const records::GLLine& line, const std::string& key);

// Reads the lines of the transaction `tranKey` (file 26, key 0 order).  The
// handle keeps its key number.  0, or the failing status with the work record
// filled.
int ReadTransactionLines(BtrvHandle lines, const std::string& tranKey, std::vector<records::GLLine>* out,
                         TagPostWork* work);

// The journal code and number of a header as NUL-ended texts (messages).
struct HeaderTexts {
  char journal[8];
  char number[12];
};
HeaderTexts TextsOf(const records::TagGLHeader& header);

// Reads key 0 of `handle` for `key` (get-equal), keeping the handle's key
// number and, when it had one, its current record for the walk: the saved
// place is put back by Restore.
class KeyLookup {
 public:
  explicit KeyLookup(BtrvHandle handle);
  ~KeyLookup();
  KeyLookup(const KeyLookup&) = delete;
  KeyLookup& operator=(const KeyLookup&) = delete;
  // Get-equal on key 0 into `record`; the status.
  int Find(const std::string& key, void* record);
  // Puts the key number and place back (the destructor does it too).
  void Restore();

 private:
  BtrvHandle handle_;
  int savedKey_;
  unsigned char position_[4] = {};
  bool hadPlace_ = false;
  bool restored_ = false;
};

// The image of the first `n` bytes of a record as key 0 of `file` compares
// them: texts with NULs read as blanks, and without letter case where the
// key says so.  Two records whose images are equal stand under one key.
std::string KeyPrefixImage(const records::FileDef& file, const void* record, std::size_t n);

// True when `handle`'s current record is the header PostTranRead handed out
// last (so that it may be rewritten or deleted in place).
bool IsWalkedHeader(BtrvHandle handle, const records::TagGLHeader& header);
// The same for a header of any file by its place alone: `handle` is the one
// the walk read file `fileNo` through, and its current record stands where
// the header handed out last stood.
bool IsWalkedPlace(BtrvHandle handle, int fileNo);

}  // namespace qxb::posting
