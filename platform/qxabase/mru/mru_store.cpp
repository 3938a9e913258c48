#include "mru_store.h"

#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>

#include "btrvc.h"
#include "field_values.h"
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/files.h"
#include "ravadodo/dialogs.h"
#include "records/dictionary.h"
#include "qxsys/user_folders.h"
#include "records/report_mru.h"

namespace qxmru {
namespace {

using records::ReportMruRecord;

// A file's status when its layout is not the dictionary's (a file of that
// name made by something else, or by an older layout).
constexpr int kStatusWrongLayout = kStatusInvalidRecordLength;

void (*g_saveStepHook)(int) = nullptr;

// --- Messages -----------------------------------------------------------------------

const char* ReasonOf(int status) {
  switch (status) {
    case kStatusIoError: return "the disk could not be read or written";
    case kStatusFileNotFound: return "its folder cannot be found";
    case kStatusWrongLayout: return "its records are not laid out as this program expects";
    case kStatusNotARecordFile: return "the company's record database is damaged";
    case kStatusAccessDenied:
    case kStatusPermissionError: return "it may only be read";
    case kStatusConflict:
    case kStatusRecordInUse:
    case kStatusFileInUse: return "another program is using it; try again later";
    default: return nullptr;
  }
}

// Once per company folder and run: a store that fails once will fail on
// every screen, and one box says all there is to say.
void ShowFailure(int status, bool saving) {
  static std::optional<std::string> shownFor;
  const std::string company = SharedAppBlockGet()->companyPath;
  if (shownFor == company) return;
  shownFor = company;

  std::string text = saving ? "The values of this screen could not be remembered"
                            : "The remembered values of this screen could not be read";
  text += " (file \"" + std::string(records::FindFile(records::kFileReportMru)->name) + "\"): ";
  const char* reason = ReasonOf(status);
  text += reason ? reason : "the record manager answered status " + std::to_string(status);
  text += reason ? " (status " + std::to_string(status) + ")." : ".";
  text += saving ? "\nThe report runs with the values you entered." : "\nThe screen shows its defaults.";
  MsgBoxShow(text.c_str(), "Remembered Report Settings");
}

// --- The file -------------------------------------------------------------------------

struct HandleGuard {
  BtrvHandle handle = 0;
  ~HandleGuard() {
    if (handle) BtrvClose(handle);
  }
};

// Aborts the transaction on every way out that did not commit it.
struct TransactionGuard {
  bool open = false;
  ~TransactionGuard() {
    if (open) BtrvTransaction(kOpAbortTransaction);
  }
  int Commit() {
    open = false;
    const int status = BtrvTransaction(kOpEndTransaction);
    if (status != kStatusOk) BtrvTransaction(kOpAbortTransaction);
    return status;
  }
};

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// 0 when the open file has the dictionary's record length and keys.
int CheckLayout(BtrvHandle handle, const std::vector<std::uint8_t>& expected) {
  std::vector<std::uint8_t> stat(kFileSpecSize + 24 * 8 * kKeySegmentSize + kCollatingSequenceSize);
  const int status = BtrvStat(handle, stat.data(), static_cast<unsigned>(stat.size()));
  if (status == kStatusDataBufferTooShort) return kStatusWrongLayout;
  if (status != kStatusOk) return status;
  if (U16(&stat[0]) != U16(&expected[0]) || stat[4] != expected[4]) return kStatusWrongLayout;
  for (std::size_t at = kFileSpecSize; at < expected.size(); at += kKeySegmentSize) {
    // Position, length and flags, and the type; the distinct-value count differs.
    if (std::memcmp(&stat[at], &expected[at], 6) != 0 || stat[at + 10] != expected[at + 10]) {
      return kStatusWrongLayout;
    }
  }
  return kStatusOk;
}

// Opens the store; with `create`, makes it first when it does not exist.
int OpenStore(HandleGuard* guard, bool create) {
  const records::FileDef& def = *records::FindFile(records::kFileReportMru);
  const std::vector<std::uint8_t> spec = records::CreateSpecification(def);
  const std::string path = FilePathGet(records::kFileReportMru);
  if (path.empty()) return kStatusFileNotFound;  // no company is open
  int status = BtrvOpen(&guard->handle, path.c_str(), kOpenNormal, 0);
  if (status == kStatusFileNotFound && create) {
    // The store lives in the user's state folder, made at the first save.
    if (!qxsys::MakeFolders(path.substr(0, path.rfind('/'))).empty()) return kStatusPermissionError;
    status = BtrvCreate(path.c_str(), spec.data(), spec.data() + kFileSpecSize);
    // Another program may have made it since the open.
    if (status == kStatusOk || status == kStatusFileExists) {
      status = BtrvOpen(&guard->handle, path.c_str(), kOpenNormal, 0);
    }
  }
  if (status != kStatusOk) {
    guard->handle = 0;
    return status;
  }
  return CheckLayout(guard->handle, spec);
}

// The key image of (user, key, field): the record's first 65 bytes.
struct KeyImage {
  ReportMruRecord record{};
  char buffer[255] = {};
};

void FillKey(KeyImage* k, const std::string& user, const std::string& key, int field) {
  records::SetText(k->record.userName, user);
  records::SetText(k->record.reportKey, key);
  k->record.fieldNumber = static_cast<std::uint8_t>(field);
  constexpr std::size_t kKeyLength = offsetof(ReportMruRecord, fieldNumber) + 1;
  std::memcpy(k->buffer, &k->record, kKeyLength);
}

bool BelongsTo(const ReportMruRecord& r, const std::string& user, const std::string& key) {
  return oem::CompareText(records::Text(r.userName), user) == 0 &&
         oem::CompareText(records::Text(r.reportKey), key) == 0;
}

// Reads a record of the set of (user, key) by `op`: get-greater-or-equal
// reads the set's first, get-next the one after the current record.  0 with
// the record, 4 when the set has no (more) records, or a failing status.
int ReadFrom(BtrvHandle handle, int op, const std::string& user, const std::string& key,
             ReportMruRecord* record) {
  KeyImage k;
  FillKey(&k, user, key, 0);
  unsigned length = 0;
  const int status = BtrvGetOp(op, handle, k.buffer, record, sizeof *record, &length);
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusKeyNotFound;
  if (status == kStatusDataBufferTooShort) return kStatusWrongLayout;
  if (status != kStatusOk) return status;
  if (length != sizeof *record) return kStatusWrongLayout;
  return BelongsTo(*record, user, key) ? kStatusOk : kStatusKeyNotFound;
}

}  // namespace

int StoreLoad(const std::string& user, const std::string& key, std::vector<StoredValue>* values) {
  values->clear();
  HandleGuard store;
  int status = OpenStore(&store, false);
  if (status == kStatusFileNotFound) return kStatusOk;  // nothing remembered yet
  ReportMruRecord record{};
  if (status == kStatusOk) status = ReadFrom(store.handle, kOpGetGreaterOrEqual, user, key, &record);
  while (status == kStatusOk) {
    // A value without its NUL was not written by this store: the field keeps its default.
    if (std::memchr(record.value, 0, sizeof record.value) != nullptr) {
      values->push_back({record.fieldNumber, record.kind, record.value});
    }
    status = ReadFrom(store.handle, kOpGetNext, user, key, &record);
  }
  if (status == kStatusKeyNotFound) return kStatusOk;
  values->clear();
  ShowFailure(status, false);
  return status;
}

int StoreReplace(const std::string& user, const std::string& key,
                 const std::vector<StoredValue>& values) {
  HandleGuard store;
  TransactionGuard transaction;
  int status = OpenStore(&store, true);
  if (status == kStatusOk) {
    status = BtrvTransaction(kOpBeginTransaction);
    // Inside a caller's transaction the set becomes part of it.
    transaction.open = status == kStatusOk;
    if (status == kStatusTransactionActive) status = kStatusOk;
  }
  // The old set goes first, so the new one never meets a duplicate key.
  ReportMruRecord record{};
  while (status == kStatusOk) {
    status = ReadFrom(store.handle, kOpGetGreaterOrEqual, user, key, &record);
    if (status == kStatusOk) status = BtrvWriteOp(kOpDelete, store.handle, nullptr, &record);
  }
  if (status == kStatusKeyNotFound) status = kStatusOk;
  int written = 0;
  for (const StoredValue& v : values) {
    if (status != kStatusOk) break;
    KeyImage k;
    FillKey(&k, user, key, v.field);
    k.record.kind = static_cast<std::uint8_t>(v.kind);
    records::SetText(k.record.value, v.value);
    status = BtrvWriteOp(kOpInsert, store.handle, k.buffer, &k.record, sizeof k.record);
    if (status == kStatusOk && g_saveStepHook) g_saveStepHook(++written);
  }
  if (status == kStatusOk && transaction.open) status = transaction.Commit();
  if (status != kStatusOk) ShowFailure(status, true);
  return status;
}

void SetSaveStepHook(void (*hook)(int)) { g_saveStepHook = hook; }

}  // namespace qxmru
