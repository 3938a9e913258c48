// Services of the base library for the purge of old records: the removal of
// records keyed by their owner's key, of a serial-numbered unit, the
// AutoComplete entries, and the quotes' tables.
// (The removal of a ledger's transactions is with the posting services,
// qxabase/posting.h, recpay_posting.h, bipo_posting.h, cash_services.h; the
// records that go with a master record in qxabase/related_records.h.)
//
// Everything runs on the UI thread; nothing here throws; nothing is shown.
#pragma once

#include <cstddef>
#include <cstdint>

#include "btrvc.h"
#include "records/transactions.h"

struct TagPostWork;

// Deletes, through `handle` (file `fileNo`, read in its key 0), every record
// whose key 0 begins as the first `length` bytes of `owner` do, compared as
// the key compares them (texts with NULs as blanks, codes without letter
// case): a transaction's lines, a document's details.  The handle keeps its
// key number.  Returns 0, or the failing status with the work record (when
// given) filled.  The deletes belong to the transaction the caller has open.
int RelatedRecordsRemove(BtrvHandle handle, int fileNo, const void* owner, std::size_t length,
                         TagPostWork* work = nullptr);

// Deletes the record of file `fileNo` whose key 0 is its first `length`
// bytes, as `record` holds them: in place when `handle` stands on it (a walk
// in any key goes on after it), else found by key 0 (the handle's key and
// place put back).  Returns 0, or the failing status with the work record
// (when given) filled.
int KeyedRecordRemove(BtrvHandle handle, int fileNo, const void* record, std::size_t length,
                      TagPostWork* work = nullptr);

// Removes the serial-numbered unit `record` (file 54, through `serials`):
// its movements (file 55, through `movements`, key 0: the product and the
// serial number) and its record.  When `serials` stands on the unit's
// record (a walk in any key) it is deleted in place, so that the walk goes
// on after it; otherwise it is found by key 0.  `work`, `spare` and
// `reserved` are kept for the callers.  Returns 0, or the failing status.
// The deletes belong to the transaction the caller has open.
int SerialRecordRemove(BtrvHandle serials, BtrvHandle movements, const records::SerialNumber* record, void* work,
                       void* spare, int reserved);

// The AutoComplete entries of the company (file 104): texts typed before,
// offered again in the screens' fields.
class AutoComplete {
 public:
  // Removes every entry, in one record-manager transaction (all or none).
  // True when done; false on failure (GetResult; nothing removed).
  bool Purge();
  // The entries the last Purge removed.
  long GetPurgeCount() const { return purged_; }
  int GetResult() const { return result_; }

 private:
  long purged_ = 0;
  int result_ = 0;
};

namespace ns_BASEQUOTES {

// The quotes of the company: their headers (file 81, `TagBiPoHeader`) and
// lines (file 82, `BiPoLine`), which keep the layouts of billing
// transactions.  The object opens both files (TableOpen) and closes them
// (TableClose or its destructor).
class CBaseQuotes {
 public:
  CBaseQuotes() = default;
  ~CBaseQuotes();
  CBaseQuotes(const CBaseQuotes&) = delete;
  CBaseQuotes& operator=(const CBaseQuotes&) = delete;

  // Opens both files.  False on failure (GetResult; nothing left open).
  bool TableOpen();
  void TableClose();
  // The status of the last failure (0 = none).
  int GetResult() const { return result_; }

  // The header buffer the caller reads headers into.
  records::TagBiPoHeader* GetQteHdrPtr() { return &header_; }
  BtrvHandle HdrHdl() const { return headers_; }
  BtrvHandle DtlHdl() const { return lines_; }

 private:
  records::TagBiPoHeader header_{};
  BtrvHandle headers_ = 0;
  BtrvHandle lines_ = 0;
  int result_ = 0;
};

}  // namespace ns_BASEQUOTES
