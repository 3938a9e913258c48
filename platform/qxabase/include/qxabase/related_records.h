// The records that belong to a master record (a customer, vendor, product or
// service) and go with it when it is removed: its user-defined data (files
// 67 customers, 68 vendors, 69 products, 70 services: one record per user
// field, found by the master record's code), a product's picture (file 105)
// and the note file its note field names; and whether a bill of materials
// still uses a product.
//
// Writes belong to the record-manager transaction the caller has open (a
// posting unit, qxabase/posting.h); nothing here opens one.  Everything runs
// on the UI thread; nothing here throws; nothing is shown.
#pragma once

#include <cstddef>
#include <string>

#include "btrvc.h"
#include "records/masters.h"

// --- Keys ---------------------------------------------------------------------------------

// The key (`key`, 255 bytes) by which the related records of master record
// `master` of file `masterFileNo` (22, 66, 43 or 52) are found: its code
// (10 characters for customers and vendors, 14 for products and services),
// NUL-padded to the 16 bytes the related files keep it in.  Returns false
// (the key then all zero) for a file that has no related records.
bool UdfKeyBuild(int masterFileNo, const void* master, char* key);

// Reads, through `handle` (its current key the related file's key 0), the
// record after the current one into `record` (`length` bytes).  Returns 0
// when it belongs to the master record of `key` (UdfKeyBuild), 9 when the
// next record is another's or there is none, or the failing status.
int UdfKeyNext(BtrvHandle handle, const char* key, void* record, unsigned length);

// Non-zero when the bills of materials (file 8, through `bills`) name the
// product as an assembly (key 0) or as a component (key 1): a product a bill
// still uses must stay.  A read that fails sets *status (when given) and
// answers non-zero too.  The handle's key is put back.
int UdfRecordTest(const records::TagProduct* product, BtrvHandle bills, int* status = nullptr);
// The same test for any product or service code: 1 when a bill of materials
// (file 8) names `code` as its assembly or as a component, else 0.
int UdfCodeInBills(const char (&code)[15], BtrvHandle bills, int* status = nullptr);

// --- Related tables ------------------------------------------------------------------------

// The records of one related file that belong to a master record, found by
// its code.  The file is opened by Open (and closed by Close or the
// destructor), or the caller's open handle is used (SetHandle).
class CQxRelatedTable {
 public:
  virtual ~CQxRelatedTable();
  CQxRelatedTable(const CQxRelatedTable&) = delete;
  CQxRelatedTable& operator=(const CQxRelatedTable&) = delete;

  // Opens the related file of the company.  False on failure (GetResult).
  bool Open();
  void Close();
  // Works through the caller's open handle of the related file instead.
  void SetHandle(BtrvHandle handle);

  // True when the master record `master` has records in the file: the first
  // of them is then the handle's current record.  False when it has none, or
  // on a failure (GetResult non-zero).
  bool Find(const void* master);
  // Deletes every record of the master record Find found.  False on failure
  // (GetResult): the deletes before it are the open transaction's to undo.
  bool Delete();

  // The record-manager status of the last failure (0 = none).
  int GetResult() const { return result_; }

 protected:
  CQxRelatedTable(int relatedFileNo, int masterFileNo);

 private:
  int relatedFileNo_;
  int masterFileNo_;
  BtrvHandle handle_ = 0;
  bool own_ = false;
  bool found_ = false;
  char key_[255] = {};
  int result_ = 0;
};

// User-defined data: of customers (22 → 67) and vendors (66 → 68), and of
// products (43 → 69) and services (52 → 70).  `SetHandle` gives the open
// user-data file.
class CQxUDFDBase : public CQxRelatedTable {
 protected:
  CQxUDFDBase(int userDataFileNo, int masterFileNo) : CQxRelatedTable(userDataFileNo, masterFileNo) {}
};
class CQxUDFDCV : public CQxUDFDBase {
 public:
  // `fileNo` 22 customers or 66 vendors.
  explicit CQxUDFDCV(int fileNo);
};
class CQxUDFDPS : public CQxUDFDBase {
 public:
  // `fileNo` 43 products or 52 services.
  explicit CQxUDFDPS(int fileNo);
};

// The pictures of products (file 105).
class CProductBitmapTbl : public CQxRelatedTable {
 public:
  CProductBitmapTbl();
};

// --- Note files -------------------------------------------------------------------------------
//
// A master record's note field names a text file below the company folder,
// written as the entry screens write it: '\' (or '/') between folders, each
// part matched without regard to letter case.  A name that would lead out
// of the company folder (a part "..", a drive or a leading separator, a
// link pointing elsewhere) is never followed.

enum class NoteFileState {
  kNone,     // the field is blank
  kPresent,  // the file is there (its path given)
  kMissing,  // no such file below the company folder
  kOutside,  // the name leads out of the company folder: not followed
};

// Where note `name` (a field of `width` bytes) stands; the file's path into
// `path` when it is present.
NoteFileState NoteFileFind(const char* name, std::size_t width, std::string* path);

// Deletes the note file `name` names when it is present below the company
// folder.  True when no such file is left (also for a blank name); false
// when it could not be deleted or the name leads outside (nothing deleted).
bool NoteFileDelete(const char* name, std::size_t width);
