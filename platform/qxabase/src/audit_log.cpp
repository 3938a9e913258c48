// The audit trail log.
#include "qxabase/audit_log.h"

#include <ctime>
#include <cstdio>
#include <cstring>

#include "internal.h"
#include "qxabase/app_block.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/support.h"

namespace {

struct EntityName {
  int id;
  const char* name;
};
constexpr EntityName kEntities[] = {
    {kEntityGLAccount, "G/L Account"},
    {kEntityPayablesTransaction, "Payables Transaction"},
    {kEntityReceivablesTransaction, "Receivables Transaction"},
    {kEntityAssembly, "Assembly"},
    {kEntityCashTransaction, "Cash Transaction"},
    {kEntityCustomer, "Customer"},
    {kEntityGLTransaction, "G/L Transaction"},
    {kEntitySettings, "Company Settings"},
    {kEntityBillingTransaction, "Billing Transaction"},
    {kEntityPhysicalInventory, "Physical Inventory"},
    {kEntityPurchasingTransaction, "Purchasing Transaction"},
    {kEntityProduct, "Product"},
    {kEntityService, "Service"},
    {kEntityInventoryTransaction, "Inventory Transaction"},
    {kEntityVendor, "Vendor"},
};

// Two programs may add an entry at the same moment; the later one finds
// its number taken (status 5) and takes the next.
constexpr int kNumberAttempts = 5;

int SecondsOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

}  // namespace

AuditLog::AuditLog() { SetUser(SharedAppBlockGet()->userName); }

void AuditLog::SetUser(const char* user) {
  std::memset(user_, 0, sizeof user_);
  if (user) std::strncpy(user_, user, sizeof user_ - 1);
}

AuditLog::~AuditLog() { Close(); }

void AuditLog::Close() {
  if (handle_ != 0) BtrvClose(handle_);
  handle_ = 0;
  path_.clear();
  numberedIn_ = 0;
}

int AuditLog::RegTransactionLog(int entityType, int changeType, const char* reference) {
  // The log of the company open now: another company's log is closed first.
  const char* path = FilePathGet(records::kFileAuditLog);
  if (handle_ != 0 && path_ != path) Close();
  if (handle_ == 0) {
    const int status = BtrvOpen(&handle_, path, kOpenNormal, 0);
    if (status != kStatusOk) {
      handle_ = 0;
      MsgRecordError(status, 1, kErrorOpOpen, records::kFileAuditLog, 0);
      return status;
    }
    path_ = path;
  }
  records::AuditLogEntry entry{};
  records::SetText(entry.userId, user_);
  entry.date = DateToday();
  entry.time = SecondsOfDay();
  entry.entityType = entityType;
  entry.changeType = static_cast<std::int16_t>(changeType);
  records::SetText(entry.reference, reference ? reference : "");
  auto insert = [&](std::int32_t number) {
    entry.entryNumber = number;
    char key[255] = {};
    return BtrvWriteOp(kOpInsert, handle_, key, &entry, sizeof entry);
  };
  // Inside the transaction that wrote the last entry the next number is
  // known; elsewhere it follows the last entry of the log.  Should the number
  // be taken (another object of this program logged meanwhile), the log's
  // last entry says again.
  const std::uint64_t transaction = BtrvTransactionNumber();
  int status = transaction != 0 && transaction == numberedIn_ ? insert(nextNumber_) : kStatusDuplicateKey;
  for (int attempt = 0; status == kStatusDuplicateKey && attempt < kNumberAttempts; ++attempt) {
    char key[255] = {};
    records::AuditLogEntry last{};
    status = BtrvGetOp(kOpGetLast, handle_, key, &last, sizeof last);
    if (status != kStatusOk && status != kStatusEndOfFile) break;
    status = insert(status == kStatusOk ? last.entryNumber + 1 : 1);
  }
  if (status != kStatusOk) {
    numberedIn_ = 0;
    MsgRecordError(status, 1, kOpInsert, records::kFileAuditLog, 0);
    return status;
  }
  numberedIn_ = transaction;
  nextNumber_ = entry.entryNumber + 1;
  return status;
}

void AuditLog::GetEntityStringNames(int entityType, char* idText, char* nameText) const {
  const int id = entityType % 100;
  if (idText) std::snprintf(idText, 41, "%d", id);
  if (nameText == nullptr) return;
  for (const EntityName& e : kEntities) {
    if (e.id == id) {
      std::snprintf(nameText, 41, "%s", e.name);
      return;
    }
  }
  std::snprintf(nameText, 41, "Entity %d", id);
}

void AuditLog::GetChangeType(int changeType, char* text) const {
  if (text == nullptr) return;
  const char* name = nullptr;
  switch (changeType) {
    case kChangeAdded: name = "Added"; break;
    case kChangeModified: name = "Changed"; break;
    case kChangeDeleted: name = "Deleted"; break;
    case kChangePosted: name = "Posted"; break;
    case kChangePurged: name = "Purged"; break;
    case kChangeClosed: name = "Closed"; break;
    default: break;
  }
  if (name) std::snprintf(text, 11, "%s", name);
  else std::snprintf(text, 11, "Change %d", changeType);
}
