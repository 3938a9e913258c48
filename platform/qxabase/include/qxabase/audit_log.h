// The audit trail log: who changed which entity, when, and how.
//
// Each entry (file 75, records::AuditLogEntry) names its user, the date and
// time, the entity type (`ENTITY_TYPE`: its value modulo 100 is the entity
// id), the change type and a reference (a transaction number, a code).
// Entries are numbered in order from 1.
#pragma once

#include <cstdint>
#include <string>

#include "btrvc.h"

// Entity types; the value modulo 100 is the entity id that reports select by.
enum ENTITY_TYPE : std::int32_t {
  kEntityGLAccount = 1,
  kEntityPayablesTransaction = 4,
  kEntityReceivablesTransaction = 7,
  kEntityAssembly = 11,
  kEntityCashTransaction = 18,
  kEntityCustomer = 22,
  kEntityGLTransaction = 27,
  kEntitySettings = 29,
  kEntityBillingTransaction = 32,
  kEntityPhysicalInventory = 33,
  kEntityPurchasingTransaction = 41,
  kEntityProduct = 43,
  kEntityService = 52,
  kEntityInventoryTransaction = 62,
  kEntityVendor = 66,
};

// Change types.
enum AuditChangeType : std::int16_t {
  kChangeAdded = 1,
  kChangeModified = 2,  // a change of figures: a count posted into the products
  kChangeDeleted = 3,
  kChangePosted = 4,
  kChangePurged = 5,
  kChangeClosed = 6,
};

class AuditLog {
 public:
  AuditLog();
  ~AuditLog();
  AuditLog(const AuditLog&) = delete;
  AuditLog& operator=(const AuditLog&) = delete;
  // The user the entries are made under (at most 14 characters); the
  // session's user (SharedAppBlock::userName) until set.
  void SetUser(const char* user);
  const char* User() const { return user_; }

  // Appends an entry for `entityType`, `changeType` and `reference` (at most
  // 40 characters), dated now, to the company's audit log (file 75).  The
  // log is opened at the first entry and stays open until this object goes
  // (a run that logs each of many changes opens it once).  Returns 0, or the
  // record-manager status after the error box.
  int RegTransactionLog(int entityType, int changeType, const char* reference);

  // The texts of an entity type: its id (the type modulo 100, in decimal)
  // into `idText` and its name ("Physical Inventory") into `nameText`; each
  // at least 41 bytes.  An unknown id is named "Entity NN".
  void GetEntityStringNames(int entityType, char* idText, char* nameText) const;

  // The name of a change type ("Changed") into `text` (at least 11 bytes).
  void GetChangeType(int changeType, char* text) const;

 private:
  void Close();

  char user_[15] = {};
  BtrvHandle handle_ = 0;  // the log, once opened
  std::string path_;       // ... and the file it is
  // The number the next entry takes, known while the record-manager
  // transaction that wrote the last entry lasts (its write lock keeps every
  // other program out of the log meanwhile); 0 for none.
  std::uint64_t numberedIn_ = 0;
  std::int32_t nextNumber_ = 0;
};
