// The lines of one billing, purchasing, purchase-order or quote transaction.
//
// A transaction's lines are the records of its line file (31 billing, 40
// purchasing, 38 purchase orders, 82 quotes; records::BiPoLineFileOf) whose
// first 16 bytes repeat the header's line key: its line type letter
// (TagBiPoHeader::LineTypeLetter: the header's own, 'I' for an 'O' header of
// billing or purchasing), its transaction number and its third key part.
// Key 0 of a line file is those 16 bytes and then the line's sequence, so a
// transaction's lines stand together in it.
//
// BiPoLineWalk is the one way the system finds a header's lines.  It seeks
// the line key in key 0 (get-greater-or-equal, then get-next) and takes each
// line read while its first 16 bytes, compared as the key compares them
// (texts with NULs as blanks), equal a copy of the key it seeks: the record
// manager writes every found record's key over the key buffer, so the buffer
// itself cannot tell whether the line belongs.
//
// The walk reads through the caller's handle and leaves its current record
// where the last read left it, so the caller may update or delete the line in
// hand and read on (get-next goes on from a deleted record's place).  The
// handle's key number is put back when the walk is destroyed.  Everything
// runs on the UI thread; nothing here throws; nothing is shown.
#pragma once

#include <string>

#include "btrvc.h"
#include "records/transactions.h"

namespace records {
struct FileDef;
}

class BiPoLineWalk {
 public:
  // The lines of `header`, a header of file `headerFileNo` (32, 41, 39 or
  // 81), read through `lines`, an open handle of that file's line file.
  BiPoLineWalk(BtrvHandle lines, int headerFileNo, const records::TagBiPoHeader& header);
  ~BiPoLineWalk();
  BiPoLineWalk(const BiPoLineWalk&) = delete;
  BiPoLineWalk& operator=(const BiPoLineWalk&) = delete;

  // Reads the transaction's first line (first call), then each next one,
  // into *line.  Returns 0 with a line of the transaction; kStatusEndOfFile
  // past its last line (also when it has none, and on every later call); or
  // the failing status of the read, whose operation Op() names.
  int Next(records::BiPoLine* line);
  // The read operation of the last call (get-greater-or-equal or get-next).
  int Op() const { return op_; }
  // The line file (0 when `headerFileNo` has none: Next answers
  // kStatusInvalidOperation).
  int LineFileNo() const;

 private:
  BtrvHandle lines_;
  int savedKey_;
  const records::FileDef* file_ = nullptr;  // the line file
  std::string sought_;                      // the line key as key 0 compares it
  char key_[255] = {};                      // the record manager's key buffer
  int op_ = kOpGetGreaterOrEqual;
  bool started_ = false;
  bool done_ = false;
};
