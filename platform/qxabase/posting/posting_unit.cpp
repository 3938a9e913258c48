// The posting run and its units: the state one run keeps, the record-manager
// transaction of each posted transaction, and the helpers the other posting
// sources share.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "posting_internal.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "qxabase/posting.h"
#include "ravadodo.h"

namespace qxb::posting {

namespace {

// A run's units are committed in groups of at most this many, kept open at
// most this long (bench/posting measures both): a kill takes back at most
// the last group, and another program waits for the company's write lock at
// most this long before it is let in.
constexpr int kGroupUnits = 1000;
constexpr int kGroupMillis = 200;

// What a failure before the user is waited for leaves: the summary lines of
// the lost units are gone, and the run learns of it at its next commit.
void NoteGroupFailure(int status) {
  RunState& r = Run();
  r.summaryLines.clear();
  if (r.groupFailure == 0) r.groupFailure = status;
}

// The screen library calls this before it waits for the user: what the run
// has ended is committed first, so that neither a kill nor another program
// waiting for the books meanwhile finds it uncommitted.
void BeforeUserWaits() {
  if (!Run().grouping) return;
  if (const int status = BtrvGroupCommit(); status != kStatusOk) NoteGroupFailure(status);
}

int TakeGroupFailure() {
  RunState& r = Run();
  const int status = r.groupFailure;
  r.groupFailure = 0;
  return status;
}

}  // namespace

RunState& Run() {
  static RunState state;
  return state;
}

int UnitBegin() {
  RunState& r = Run();
  if (r.unitOpen) return kStatusOk;
  const int status = BtrvTransaction(kOpBeginTransaction);
  if (status == kStatusOk) {
    r.unitOpen = r.unitOwned = true;
    return kStatusOk;
  }
  if (status == kStatusTransactionActive) {
    // The caller opened a transaction itself: the unit is part of it and
    // ends with it.
    r.unitOpen = true;
    r.unitOwned = false;
    return kStatusOk;
  }
  return status;
}

int UnitCommit() {
  RunState& r = Run();
  if (!r.unitOpen) return kStatusOk;
  r.unitOpen = false;
  if (!r.unitOwned) return kStatusOk;
  r.unitOwned = false;
  // After a group was lost the unit is not kept either: the run stops.
  int status = TakeGroupFailure();
  if (status == kStatusOk) status = BtrvTransaction(kOpEndTransaction);
  if (status != kStatusOk) {
    // Nothing of the unit may stay open (the commit may have left it so).
    BtrvTransaction(kOpAbortTransaction);
    r.summaryLines.clear();
  }
  return status;
}

void UnitAbandon() {
  RunState& r = Run();
  if (!r.unitOpen) return;
  r.unitOpen = false;
  if (r.unitOwned) BtrvTransaction(kOpAbortTransaction);
  r.unitOwned = false;
  // Summary lines written in the abandoned unit are gone; the places of the
  // others are checked before use anyway.
  r.summaryLines.clear();
}

int GroupCommit() {
  if (const int status = TakeGroupFailure()) return status;
  if (!Run().grouping) return kStatusOk;
  const int status = BtrvGroupCommit();
  if (status != kStatusOk) Run().summaryLines.clear();
  return status;
}

int GroupEnd() {
  UnitAbandon();
  RunState& r = Run();
  int status = TakeGroupFailure();
  if (r.grouping) {
    r.grouping = false;
    const int committed = BtrvGroupEnd();
    if (status == kStatusOk) status = committed;
  }
  return status;
}

ServiceUnit::~ServiceUnit() {
  if (own_) UnitAbandon();
}

int ServiceUnit::Begin() {
  if (Run().unitOpen) return kStatusOk;
  const int status = UnitBegin();
  own_ = status == kStatusOk;
  return status;
}

int ServiceUnit::Commit() {
  if (!own_) return kStatusOk;
  own_ = false;
  return UnitCommit();
}

int Fail(TagPostWork* work, int fileNo, int operation, int status) {
  if (work != nullptr) {
    work->fileNo = fileNo;
    work->operation = operation;
    work->status = status;
  }
  return status;
}

void Clear(TagPostWork* work) {
  if (work == nullptr) return;
  work->status = 0;
  work->result = kPostGoOn;
}

void SetKey(TagPostWork* work, std::string_view text) {
  if (work == nullptr) return;
  std::memset(work->key, 0, sizeof work->key);
  std::memcpy(work->key, text.data(), std::min(text.size(), sizeof work->key - 1));
}

std::string_view Trim(const char* field, std::size_t n) {
  std::size_t len = 0;
  while (len < n && field[len] != '\0') ++len;
  while (len > 0 && field[len - 1] == ' ') --len;
  return std::string_view(field, len);
}

std::string TransactionKey(const records::TagGLHeader& header) {
  std::string key(header.journalCode, sizeof header.journalCode);
  key.append(header.transactionNumber, sizeof header.transactionNumber);
  return key;
}

namespace {
// Key segments compare as blank-padded text: a NUL and what follows it read
// as blanks.
std::string KeyText(const char* field, std::size_t n) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n && field[i] != '\0'; ++i) s[i] = field[i];
  return s;
}
}  // namespace

bool SameTransaction(const records::GLLine& line, const std::string& key) {
  return KeyText(line.journalCode, 7) == KeyText(key.data(), 7) &&
         KeyText(line.transactionNumber, 11) == KeyText(key.data() + 7, 11);
}

HeaderTexts TextsOf(const records::TagGLHeader& header) {
  HeaderTexts t{};
  const std::string_view j = Trim(header.journalCode);
  const std::string_view n = Trim(header.transactionNumber);
  std::memcpy(t.journal, j.data(), j.size());
  // Numbers are stored right-aligned; the messages show them without the blanks.
  const std::size_t lead = std::min(n.find_first_not_of(' '), n.size());
  std::memcpy(t.number, n.data() + lead, n.size() - lead);
  return t;
}

KeyLookup::KeyLookup(BtrvHandle handle) : handle_(handle), savedKey_(BtrvGetKey(handle)) {
  hadPlace_ = BtrvPosition(kOpGetDirect, handle_, position_) == kStatusOk;
}

KeyLookup::~KeyLookup() { Restore(); }

int KeyLookup::Find(const std::string& key, void* record) {
  if (BtrvGetKey(handle_) != 0) BtrvSetKey(handle_, 0, -1);
  std::string buffer = key;
  buffer.resize(255, '\0');
  return BtrvGetOp(kOpGetEqual, handle_, buffer.data(), record, 0);
}

void KeyLookup::Restore() {
  if (restored_) return;
  restored_ = true;
  if (savedKey_ >= 0 && BtrvGetKey(handle_) != savedKey_) BtrvSetKey(handle_, savedKey_, -1);
  // The place is gone when the record it named was deleted meanwhile; the
  // walk then goes on from the record just used, as the record manager does.
  if (hadPlace_) BtrvPosition(0, handle_, position_);
}

bool IsWalkedHeader(BtrvHandle handle, const records::TagGLHeader& header) {
  const WalkedHeader& w = Run().walked;
  if (!w.valid || w.handle != handle || w.fileNo != records::kFileGLHeaders) return false;
  if (w.key != TransactionKey(header)) return false;
  unsigned char place[4];
  if (BtrvPosition(kOpGetDirect, handle, place) != kStatusOk) return false;
  std::uint32_t position = 0;
  std::memcpy(&position, place, 4);
  return position == w.position;
}

bool IsWalkedPlace(BtrvHandle handle, int fileNo) {
  const WalkedHeader& w = Run().walked;
  if (!w.valid || w.handle != handle || w.fileNo != fileNo) return false;
  unsigned char place[4];
  if (BtrvPosition(kOpGetDirect, handle, place) != kStatusOk) return false;
  std::uint32_t position = 0;
  std::memcpy(&position, place, 4);
  return position == w.position;
}

}  // namespace qxb::posting

using namespace qxb::posting;

namespace {

// Ends what a run left: its open unit abandoned, the units it ended
// committed; a commit that failed is shown (nobody has been told yet).
void EndRun() {
  const int status = GroupEnd();
  RunState& r = Run();
  if (r.activitySequences != 0) BtrvClose(r.activitySequences);
  r.activitySequences = 0;
  r.openInvoiceHandle = 0;
  r.openInvoiceFileNo = 0;
  r.nextAsked = false;
  r.walked = WalkedHeader{};
  r.walkedLines = WalkedLines{};
  r.summaryLines.clear();
  r.sequenceOf.clear();
  r.accountAt.clear();
  if (status == kStatusOk) return;
  try {
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, kOpEndTransaction, 0, 0);
  } catch (...) {
    // Telling failed; the books are as the failed commit left them.
  }
}

}  // namespace

void PostRunStart() {
  EndRun();
  RunState& r = Run();
  r.grouping = true;
  BtrvGroupBegin(kGroupUnits, kGroupMillis);
  KeySetWaitHook(BeforeUserWaits);
}

bool PostTranNext() {
  RunState& r = Run();
  if (r.nextAsked) return false;
  r.nextAsked = true;
  return true;
}

int CommandFinish() {
  EndRun();
  SettingsRefresh(0, 0);
  return 0;
}

int PostingEnter(int) {
  PostRunStart();
  return 0;
}

void PostingLeave() { EndRun(); }

int PostUnitBegin(TagPostWork* work) {
  const int status = UnitBegin();
  if (status != kStatusOk) Fail(work, 0, kOpBeginTransaction, status);
  return status;
}

int PostUnitCommit(TagPostWork* work) {
  const int status = UnitCommit();
  if (status != kStatusOk) Fail(work, 0, kOpEndTransaction, status);
  return status;
}

void PostUnitAbandon() { UnitAbandon(); }

int PostGroupCommit(TagPostWork* work) {
  const int status = GroupCommit();
  if (status != kStatusOk) Fail(work, 0, kOpEndTransaction, status);
  return status;
}
