// The remembered values of one user and report, and the three steps that a
// selection screen takes around its run.
#include <cstring>
#include <new>

#include "field_values.h"
#include "mru_store.h"
#include "btrvc.h"  // settings.h names BtrvHandle
#include "qxabase/report_mru.h"
#include "qxabase/settings.h"

namespace {

// The user name and the report key are stored in 32-byte texts.
constexpr std::size_t kMaxNameLength = 31;
constexpr std::size_t kMaxTableFields = 255;

}  // namespace

bool CQxRepMRUParam::m_IsSysPrefsMRU = true;

CQxRepMRUParam::CQxRepMRUParam() = default;
CQxRepMRUParam::~CQxRepMRUParam() = default;

bool CQxRepMRUParam::Initialize(const char* user, const char* key, const TAG_REPORT_MRU_FIELD* table) {
  ready_ = false;
  user_.clear();
  key_.clear();
  fields_.clear();
  hasValue_.clear();
  if (user == nullptr) user = "";
  if (key == nullptr || key[0] == 0 || table == nullptr) return false;
  if (std::strlen(user) > kMaxNameLength || std::strlen(key) > kMaxNameLength) return false;
  try {
    user_ = user;
    key_ = key;
    for (std::size_t i = 0; i < kMaxTableFields && table[i].fieldNumber != 0; ++i) {
      bool seen = false;
      for (const TAG_REPORT_MRU_FIELD& f : fields_) seen = seen || f.fieldNumber == table[i].fieldNumber;
      if (seen) continue;
      TAG_REPORT_MRU_FIELD field = table[i];
      std::memset(field.value, 0, sizeof field.value);
      fields_.push_back(field);
    }
    hasValue_.assign(fields_.size(), false);
  } catch (const std::bad_alloc&) {
    user_.clear();
    key_.clear();
    fields_.clear();
    hasValue_.clear();
    return false;
  }
  ready_ = true;
  return true;
}

bool CQxRepMRUParam::LoadAllFields() {
  if (!ready_) return false;
  hasValue_.assign(fields_.size(), false);
  try {
    std::vector<qxmru::StoredValue> stored;
    if (qxmru::StoreLoad(user_, key_, &stored) != 0) return false;
    bool found = false;
    for (const qxmru::StoredValue& s : stored) {
      for (std::size_t i = 0; i < fields_.size(); ++i) {
        TAG_REPORT_MRU_FIELD& f = fields_[i];
        // A value of another kind was kept for an earlier layout of the screen.
        if (f.fieldNumber != s.field || f.kind != s.kind || s.value.size() > qxmru::kMaxValueLength) {
          continue;
        }
        std::memset(f.value, 0, sizeof f.value);
        std::memcpy(f.value, s.value.data(), s.value.size());
        hasValue_[i] = true;
        found = true;
      }
    }
    return found;
  } catch (const std::bad_alloc&) {
    hasValue_.assign(fields_.size(), false);
    return false;
  }
}

void CQxRepMRUParam::StructToScreen(Form* form) {
  if (!ready_ || form == nullptr) return;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (!hasValue_[i]) continue;
    const TAG_REPORT_MRU_FIELD& f = fields_[i];
    qxmru::PutFieldValue(form, f.fieldNumber, f.kind, std::string(f.value));
  }
}

bool CQxRepMRUParam::ScreenToStruct(Form* form) {
  if (!ready_ || form == nullptr) return false;
  try {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      TAG_REPORT_MRU_FIELD& f = fields_[i];
      std::string value;
      // A field the form lacks, or a value too long to keep, is not remembered.
      const bool taken = qxmru::TakeFieldValue(form, f.fieldNumber, f.kind, &value) &&
                         value.size() <= qxmru::kMaxValueLength;
      std::memset(f.value, 0, sizeof f.value);
      if (taken) std::memcpy(f.value, value.data(), value.size());
      hasValue_[i] = taken;
    }
  } catch (const std::bad_alloc&) {
    hasValue_.assign(fields_.size(), false);
    return false;
  }
  return true;
}

int CQxRepMRUParam::SaveAllFields() {
  if (!ready_) return 1;
  try {
    std::vector<qxmru::StoredValue> values;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      if (hasValue_[i]) values.push_back({fields_[i].fieldNumber, fields_[i].kind, fields_[i].value});
    }
    return qxmru::StoreReplace(user_, key_, values);
  } catch (const std::bad_alloc&) {
    return 1;
  }
}

bool CQxRepMRUParam::IsSysPrefsSaveRepMRUParams() {
  m_IsSysPrefsMRU = SysFlagGet(kSysFlagRememberReportParams) != 0;
  return m_IsSysPrefsMRU;
}

bool CQxBaseRepParam::ReportDefAndMRUInit(CQxDataCopy*& copy, CQxDataCopyCollection*& collection,
                                          CQxRepMRUParam*& mru, Form* form, unsigned records) {
  ReportDefAndMRUFree(copy, collection, mru);
  CQxRepMRUParam::IsSysPrefsSaveRepMRUParams();
  copy = new (std::nothrow) CQxDataCopy(form, records);
  collection = new (std::nothrow) CQxDataCopyCollection;
  if (copy == nullptr || collection == nullptr) {
    ReportDefAndMRUFree(copy, collection, mru);
    return false;
  }
  collection->Add(copy);
  return true;
}

int CQxBaseRepParam::ReportMRUSave(CQxRepMRUParam*& mru, Form* form) {
  if (mru == nullptr || !mru->ScreenToStruct(form)) return 0;
  return mru->SaveAllFields();
}

bool CQxBaseRepParam::RunRemembered(CQxDataCopy*& copy, CQxDataCopyCollection*& collection, CQxRepMRUParam*& mru,
                                    Form* form, unsigned records) {
  ReportDefAndMRUInit(copy, collection, mru, form, records);
  FormRun(form, 0);
  if (FormWasCancelled(form)) return false;
  ReportMRUSave(mru, form);
  return true;
}

void CQxBaseRepParam::ReportDefAndMRUFree(CQxDataCopy*& copy, CQxDataCopyCollection*& collection,
                                          CQxRepMRUParam*& mru) {
  delete mru;
  delete collection;
  delete copy;
  mru = nullptr;
  collection = nullptr;
  copy = nullptr;
}

void ReportMruSaveStepHookForTest(void (*hook)(int recordsWritten)) { qxmru::SetSaveStepHook(hook); }
