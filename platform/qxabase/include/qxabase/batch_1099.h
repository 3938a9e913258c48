// The 1099 batches (file 84): one record per printing of the year's 1099
// forms, named by the user, with the number of forms and their total; the
// 1096 summary of a batch transmits it and keeps its contact person there.
//
// `QxaBatchFileForm1099` reads and writes batches over the caller's open
// file 84 (key 0, the name, compared without regard to case); it keeps the
// record its last read found.  `PickBatchFile1099` is the F5 list of the
// batches.  Everything runs on the UI thread; nothing here throws, and no
// message is shown: the caller shows the record-manager box for a failing
// status.
#pragma once

#include "btrvc.h"
#include "records/support.h"

class QxaBatchFileForm1099 {
 public:
  // Over the caller's open handle of file 84 (never closed here).
  explicit QxaBatchFileForm1099(BtrvHandle batches) : handle_(batches) {}

  // Reads the batch named `name` (its first 11 characters; blanks at its
  // ends do not count) by `op` (5, get equal).  Returns 0 with the record
  // kept (CopyData), 4 when there is no such batch, or another status.
  int TableRead(const char* name, int op);

  // Copies the record the last successful TableRead kept.
  void CopyData(records::TagBatchForm1099* record) const { *record = record_; }

  // Writes `record`: inserted when `isNew` is non-zero (5 when a batch of
  // that name exists), otherwise the stored batch of its name is read again
  // with a lock and replaced (4 when it is gone, 84 when another user holds
  // it); the lock is let go again, whatever the rewrite answered.  Byte 11
  // of the name is made 0.  Returns the status.
  int TableWrite(const records::TagBatchForm1099* record, int isNew);

 private:
  BtrvHandle handle_;
  records::TagBatchForm1099 record_{};
};

// The batches of the caller's open file 84 in a search list, by name, each
// with its number of forms, total and 1096 mark; typing finds the first
// name at or after the text typed.  Starts at `text` (null or blank: the
// first).  Returns 1 when a batch was chosen with Enter (its record in
// `record`), 0 after Esc or when there is none.  The window is `top`,
// `left`, `rows`, `cols`; the other arguments are kept for the callers
// (0, 0, 1 and 0).
int PickBatchFile1099(const char* text, int reserved, int showTotals, BtrvHandle batches,
                      records::TagBatchForm1099* record, int top, int left, int rows, int cols, int = 0);
