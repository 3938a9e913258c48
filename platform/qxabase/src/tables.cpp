// Table classes over record files, and the active-record tables.
#include "qxabase/tables.h"

#include <cstddef>

#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "records/dictionary.h"
#include "records/masters.h"

CDbTable::~CDbTable() { Close(); }

int CDbTable::Open(int fileNo, int mode, int) {
  Close();
  const int number = fileNo & ~kFileModeMask;
  int openMode = kOpenNormal;
  switch ((mode | fileNo) & kFileModeMask) {
    case kFileModeShared: openMode = kOpenShared; break;
    case kFileModeReadOnly: openMode = kOpenReadOnly; break;
    case kFileModeExclusive: openMode = kOpenExclusive; break;
    default: break;
  }
  const char* path = FilePathGet(number);
  if (!*path) return kStatusFileNotFound;
  BtrvHandle h = 0;
  const int status = BtrvOpen(&h, path, openMode, 0);
  if (status != kStatusOk) return status;
  handle_ = h;
  fileNo_ = number;
  owned_ = true;
  return kStatusOk;
}

void CDbTable::Close() {
  if (owned_ && handle_ != 0) BtrvClose(handle_);
  if (owned_) handle_ = 0;
  owned_ = false;
  lastRecord_ = nullptr;
  lastLength_ = 0;
}

int CDbTable::GetDefaults() const { return BtrvGetKey(handle_); }

int CDbTable::OverRideDef(int keyNumber, int setting) { return BtrvSetKey(handle_, keyNumber, setting); }

int CDbTable::Position(int op, void* position4) { return BtrvPosition(op, handle_, position4); }

int RecordRead(int fileNo, int op, BtrvHandle handle, void* key, void* record, unsigned length) {
  const int status = BtrvGetOp(op, handle, key, record, length);
  if (status != kStatusOk) return status;
  // A record whose amounts cannot be right is damage the caller must not
  // total: it answers as a failed read (the record is current all the same).
  const records::FileDef* file = records::FindFile(fileNo & ~kFileModeMask);
  const unsigned checked = length != 0 ? length : file ? file->recordLength : 0;
  return RecordAmountsCheck(fileNo, record, checked);
}

int CDbTable::Read(int op, void* key, void* record, unsigned length) {
  const int status = RecordRead(fileNo_, op, handle_, key, record, length);
  if (status == kStatusOk || status == kStatusDamagedRecord) {
    lastRecord_ = record;
    lastLength_ = length;
  }
  return status;
}

int CDbTable::Modify(int op, const void* record, unsigned length) {
  const void* what = record ? record : lastRecord_;
  if (what == nullptr && op != kOpDelete) return kStatusInvalidPositioning;
  char key[255] = {};
  return BtrvWriteOp(op, handle_, key, what, record ? length : lastLength_);
}

namespace {

// The walk that continues a read in its own direction.
int NextOpOf(int base) {
  switch (base) {
    case kOpGetPrevious:
    case kOpGetLast:
    case kOpGetLess:
    case kOpGetLessOrEqual: return kOpGetPrevious;
    default: return kOpGetNext;
  }
}

}  // namespace

int CDbTblActiveRecs::Read(int op, void* key, void* record, unsigned length) {
  const int bias = op >= kLockBias ? kLockBias : 0;
  const int base = op - bias;
  // Length 0 reads the file's whole record into the caller's buffer.
  const unsigned checked = length != 0 ? length : ~0u;
  int status = CDbTable::Read(op, key, record, length);
  while (status == kStatusOk) {
    if (IsActive(record, checked)) return kStatusOk;
    if (bias) BtrvUnlock(-1, handle_);
    if (base == kOpGetEqual || base == kOpGetDirect) return kStatusKeyNotFound;
    status = CDbTable::Read(NextOpOf(base) + bias, key, record, length);
  }
  return status;
}

bool CDbTblActiveCustVend::IsActive(const void*, unsigned) const { return true; }

bool CDbTblActiveProd::IsActive(const void*, unsigned) const { return true; }

bool CDbTblActiveServ::IsActive(const void*, unsigned) const { return true; }

bool CDbTblActiveAcct::IsActive(const void* record, unsigned length) const {
  if (length < offsetof(records::GLAccount, activeFlag) + 1) return true;
  return static_cast<const records::GLAccount*>(record)->MayBeUsed();
}
