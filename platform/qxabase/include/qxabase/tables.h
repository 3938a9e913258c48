// Table classes: a record file by number or over a handle the caller opened,
// and the "active records" tables that read only records in use.
//
// A table either opens its file itself (Open) and then closes it (Close or
// its destructor), or works over a handle of the caller's (the constructor
// with a handle), which it never closes.  Reads and writes pass the record
// manager's statuses through (RecordStatus).
//
// Active records: a G/L account whose active flag is 'N' may not be used and
// is passed over; customers, vendors, products and services carry no such
// mark in their records, so every one of them is active.  Reading by key
// (get equal) answers 4 for a record that is not active; walking (first,
// next, greater, ...) passes over them.
#pragma once

#include <cstdint>

#include "btrvc.h"

// Reads by `op` (BtrvGetOp) a record of file `fileNo` and checks its amounts
// (RecordAmountsCheck, messages.h): 0, a record-manager status, or
// kStatusDamagedRecord for a record read whose amounts or quantities cannot
// be right.  `length` 0 means the file's record length.  Read through it
// what you turn into cents or total.
int RecordRead(int fileNo, int op, BtrvHandle handle, void* key, void* record, unsigned length);

class CDbTable {
 public:
  CDbTable() = default;
  // Works over the caller's open handle (never closed here).
  explicit CDbTable(BtrvHandle handle, int fileNo = 0) : handle_(handle), fileNo_(fileNo) {}
  virtual ~CDbTable();
  CDbTable(const CDbTable&) = delete;
  CDbTable& operator=(const CDbTable&) = delete;

  // Opens file `fileNo` of the company (FilePathGet) with `mode` (0, 0x100
  // shared, 0x200 read only, 0x400 exclusive; mode bits in `fileNo` count
  // too).  `reserved` is kept for the callers (0).  Returns 0, or the
  // record-manager status (nothing shown; the callers decide).  A table open
  // already is closed first.
  int Open(int fileNo, int mode, int reserved);

  // Closes the file when this table opened it.  Safe to call twice.
  void Close();

  // The handle read and written (0 when none).
  BtrvHandle Handle() const { return handle_; }
  int FileNo() const { return fileNo_; }

  // The current key number (BtrvGetKey), to be put back with OverRideDef.
  int GetDefaults() const;
  // Chooses the key later reads follow (BtrvSetKey).  Returns the status.
  int OverRideDef(int keyNumber, int setting);
  // op 23 stores the current record's position into `position4`; op 0 makes
  // that record current again.  Returns the status.
  int Position(int op, void* position4);

  // Reads by `op` (BtrvGetOp); `length` 0 means the file's record length.
  // A record read whose amounts or quantities cannot be right answers
  // kStatusDamagedRecord (RecordAmountsCheck, messages.h) in place of 0.
  virtual int Read(int op, void* key, void* record, unsigned length = 0);

  // Writes by `op` (2 insert, 3 update, 4 delete): `record`, or when null
  // the record the last Read filled.  Returns the status.
  int Modify(int op, const void* record = nullptr, unsigned length = 0);

 protected:
  BtrvHandle handle_ = 0;
  int fileNo_ = 0;
  bool owned_ = false;
  void* lastRecord_ = nullptr;
  unsigned lastLength_ = 0;
};

// A table that reads only active records.
class CDbTblActiveRecs : public CDbTable {
 public:
  using CDbTable::CDbTable;
  // Reads by `op` as CDbTable::Read, passing over records that are not
  // active (get equal answers 4 for one; walks read on in their direction;
  // a lock taken on a passed-over record is released).
  int Read(int op, void* key, void* record, unsigned length = 0) override;

 protected:
  // True when the record (`length` bytes) is in use.
  virtual bool IsActive(const void* record, unsigned length) const = 0;
};

// Customers (22) or vendors (66), or a selection file of their records.
class CDbTblActiveCustVend : public CDbTblActiveRecs {
 public:
  using CDbTblActiveRecs::CDbTblActiveRecs;

 protected:
  bool IsActive(const void* record, unsigned length) const override;
};

// Products (43).
class CDbTblActiveProd : public CDbTblActiveRecs {
 public:
  using CDbTblActiveRecs::CDbTblActiveRecs;

 protected:
  bool IsActive(const void* record, unsigned length) const override;
};

// G/L accounts (1): an account whose active flag is 'N' is passed over.
class CDbTblActiveAcct : public CDbTblActiveRecs {
 public:
  using CDbTblActiveRecs::CDbTblActiveRecs;

 protected:
  bool IsActive(const void* record, unsigned length) const override;
};

// Services (52).
class CDbTblActiveServ : public CDbTblActiveRecs {
 public:
  using CDbTblActiveRecs::CDbTblActiveRecs;

 protected:
  bool IsActive(const void* record, unsigned length) const override;
};
