// The backup of a screen's defaults, which Shift+F9 brings back.
#include <new>

#include "field_values.h"
#include "qxabase/report_mru.h"

CQxDataCopy::CQxDataCopy(Form* form, unsigned records) : form_(form), records_(records) {}

bool CQxDataCopy::Backup() {
  if (form_ == nullptr) return false;
  try {
    std::vector<Saved> saved;
    // Field numbers are one byte: a larger count covers every field.
    const unsigned last = records_ > 256 ? 255 : (records_ == 0 ? 0 : records_ - 1);
    for (unsigned field = 1; field <= last; ++field) {
      std::string value;
      if (qxmru::TakeFieldValue(form_, static_cast<int>(field), kMruKindText, &value)) {
        saved.push_back({static_cast<int>(field), std::move(value)});
      }
    }
    saved_ = std::move(saved);
    backedUp_ = true;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CQxDataCopy::Restore() {
  if (form_ == nullptr || !backedUp_) return false;
  for (const Saved& s : saved_) qxmru::PutFieldValue(form_, s.field, kMruKindText, s.value);
  return true;
}

bool CQxDataCopyCollection::Add(CQxDataCopy* copy) {
  if (copy == nullptr || count_ == kMaxCopies) return false;
  copies_[count_++] = copy;
  return true;
}

bool CQxDataCopyCollection::BackupAll() {
  bool all = true;
  for (int i = 0; i < count_; ++i) all = copies_[i]->Backup() && all;
  return all;
}

bool CQxDataCopyCollection::RestoreAll() {
  bool all = true;
  for (int i = 0; i < count_; ++i) all = copies_[i]->Restore() && all;
  return all;
}
