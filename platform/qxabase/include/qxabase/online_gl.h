// The general ledger on line: when the company posts on line, each
// receivables or payables transaction a posting run posts gets a G/L
// transaction of its own at once (CBaseGL), instead of a share of one batch
// transaction for the whole run.
//
// CBaseGL writes the G/L transaction of a receivables or payables
// transaction: its header in file 27 (journal "AR" or "AP", the next number
// of that journal's sequence in file 23, the transaction's date, the run's
// reference, not yet posted) and one G/L line per detail line of the
// transaction with an account on file, each with its own description.  A
// detail line whose account is a comment code (a code beginning with 'C'
// that is not in the chart of accounts) describes the transaction and moves
// no account: it is left out.  The checks the detail lines name are marked
// posted in the check register.  The caller then posts the G/L transaction
// into the accounts (PostGLBatch).  Every write belongs to the posting unit
// that is open (qxabase/posting.h), so that a transaction that is not posted
// after all leaves nothing behind.
//
// For a billing or purchasing transaction (UpdateFromBiTran,
// UpdateFromPoTran) the G/L transaction (journal "BI" or "PO") takes the
// lines the batch posting books for it (qxabase/bipo_posting.h,
// BiPoLedgerLines): its customer or vendor side, payment, freight,
// inventory, cost of goods, sales, returns, tax and priced codes, and in
// distribution mode 'I' each product and service line.  The transaction's
// lines are read as posting left them: a billing product line's cost is its
// extended cost, which the posting of its lines wrote.
//
// The object opens the files it needs itself, on first use, and closes them
// when it is destroyed.  Everything runs on the UI thread; nothing throws.
#pragma once

#include <cstdint>
#include <string>

#include "btrvc.h"
#include "records/transactions.h"

struct TagPostWork;

// The system setting (SysFlagGet) that makes the general ledger run on line.
inline constexpr int kSysFlagGLOnLine = 13;

class CBaseGL {
 public:
  CBaseGL() = default;
  ~CBaseGL();
  CBaseGL(const CBaseGL&) = delete;
  CBaseGL& operator=(const CBaseGL&) = delete;

  // True when the company posts the general ledger on line (system setting
  // kSysFlagGLOnLine).
  bool IsOnLine() const;

  // The reference the next G/L transactions carry: at most 26 characters
  // (a G/L header's reference), a longer one cut.
  void SetPostRef(const char* reference);

  // Writes the G/L transaction of a receivables (file 7) or payables (file 4)
  // transaction, as above.  False on failure (GetResult tells the status);
  // what was written is the open unit's to abandon.
  bool UpdateFromArTran(const records::TagRecPayHeader* header);
  bool UpdateFromApTran(const records::TagRecPayHeader* header);

  // Writes the G/L transaction of a billing (file 32) or purchasing (file
  // 41) transaction, as above.  False on failure (GetResult tells the
  // status: 4 when a record the lines name is not on file; 1 for a kind that
  // is never posted); what was written is the open unit's to abandon.
  bool UpdateFromBiTran(const records::TagBiPoHeader* header);
  bool UpdateFromPoTran(const records::TagBiPoHeader* header);

  // The key of the G/L transaction written last: its journal code and
  // number, the 18 bytes of key 0 as stored (the number may end in a NUL);
  // "" before the first.
  const char* GetTranKey() const { return key_.c_str(); }

  // Reads the G/L header of `key` (as GetTranKey gives it) into `header`.
  // False when there is none or the read fails (GetResult).
  bool ReadGLHeader(const char* key, records::TagGLHeader* header);

  // The record-manager status of the last failure (0 = none).
  int GetResult() const { return result_; }

 private:
  bool UpdateFromTran(int ledger, const records::TagRecPayHeader* header);
  bool UpdateFromBiPoTran(bool purchasing, const records::TagBiPoHeader* header);
  int Open();
  int OpenBiPo(bool purchasing);
  // Writes the header of a new G/L transaction of `journal`, dated `date`,
  // not yet posted; its key becomes GetTranKey.  0, or the status with the
  // work record filled.
  int WriteHeader(const char* journal, std::int32_t date, records::TagGLHeader* gl, TagPostWork* work);

  BtrvHandle glHeaders_ = 0;
  BtrvHandle glLines_ = 0;
  BtrvHandle sequences_ = 0;
  BtrvHandle accounts_ = 0;
  BtrvHandle details_[2] = {};  // receivables (6), payables (3)
  // Billing [0] and purchasing [1]: lines (31, 40), priced codes (12, 37),
  // customers or vendors (22, 66); products (43), services (52), tax codes (58).
  BtrvHandle biPoLines_[2] = {}, codes_[2] = {}, parties_[2] = {};
  BtrvHandle products_ = 0, services_ = 0, taxCodes_ = 0;
  char reference_[27] = {};  // as long as a G/L header's reference
  std::string key_;
  int result_ = 0;
};
