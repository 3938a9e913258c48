// Open invoices of the posting runs: an open-invoice line read by its item
// number and rewritten, with the open-invoice header of its invoice kept in
// step (QxOIHeader).
//
// The open items of an account are the lines of the open-invoice files
// (records::TagOpenInvoice: file 5 receivables, file 2 payables); entry
// writes a transaction's line when it enters the transaction, with the
// source letter (TagOpenInvoice::status) 'N', and numbers it (itemNumber,
// key 3).  Each invoice of an account also has one header (file 72
// receivables, 71 payables: records::OpenInvoiceHeader) holding the
// invoice's original amount and what is still open.  The header counts every
// line of its invoice, posted or not, with the signs of qxabase/aging.h
// (AgingLineEffect); its amount is the sum of the lines that add to what the
// account owes.  Whoever changes a line tells the
// invoice's QxOIHeader before and after, so that the header moves by exactly
// what the line's change moves it.
//
// Writes belong to the posting unit that is open (qxabase/posting.h).
// Everything runs on the UI thread; nothing here throws.
#pragma once

#include <cstdint>

#include "btrvc.h"
#include "qxabase/posting.h"
#include "records/masters.h"

// Keeps the open-invoice headers of one ledger in step with its lines.
class QxOIHeader {
 public:
  // Given for a handle: the object opens the file itself (Init) and closes
  // it when it is destroyed.
  static constexpr BtrvHandle m_iINVALID_FILE_ID = 0;

  // The header file of an open-invoice line file: 72 for 5, 71 for 2, 0 for
  // any other number.
  static int GetHdrFileId(int lineFileNo);

  // `headerFileNo` 72 or 71; the handles of that file and of its line file
  // (5 or 2), or m_iINVALID_FILE_ID for a file the object opens itself.
  // Nothing is read or opened before Init.
  QxOIHeader(int headerFileNo, BtrvHandle headerHandle, BtrvHandle lineHandle);
  ~QxOIHeader();
  QxOIHeader(const QxOIHeader&) = delete;
  QxOIHeader& operator=(const QxOIHeader&) = delete;

  // Makes the object ready: the header file number must be 72 or 71, and
  // the files it was not given are opened.  False on failure (GetResultError
  // tells the status; 1 for a header file number of no ledger).  Nothing is
  // shown.
  bool Init();

  // Remembers `line` as it stands before the caller rewrites it.  `locked`
  // is kept for the callers.  False when Init has not succeeded.
  bool SaveDtlBeforeModification(const records::TagOpenInvoice* line, bool locked);

  // After the rewrite of the line remembered last: its invoice's header
  // moves by what the line's change moves the invoice (nothing when the
  // change leaves its effect alone, a status letter for one).  An invoice
  // without a header gets one, made from all its lines as they now stand.
  // False on failure (GetResultError).  The line handle keeps its key and
  // current record.
  bool UpdateDtlModification(const records::TagOpenInvoice* line);

  // The record-manager status of the last failure (0 = none).
  int GetResultError() const { return result_; }

  // The header file (72 or 71) and the line file (5 or 2) of the object's
  // ledger; the line file is 0 before Init.
  int HeaderFileNo() const { return headerFileNo_; }
  int LineFileNo() const { return lineFileNo_; }

 private:
  bool Fail(int status);
  int Apply(const records::TagOpenInvoice& line, std::int64_t balanceCents, std::int64_t amountCents);
  int RebuildHeader(const records::TagOpenInvoice& line);

  int headerFileNo_;
  int lineFileNo_ = 0;
  BtrvHandle headers_;
  BtrvHandle lines_;
  bool ownHeaders_ = false;
  bool ownLines_ = false;
  bool ready_ = false;
  bool saved_ = false;
  records::TagOpenInvoice before_{};
  int result_ = 0;
};

// Reads the open-invoice line numbered `itemNumber` (key 3) of file
// `fileNo` (5 or 2) into `line` through `handle`, which then has it as its
// current record (for OpenInvoiceUpdate) and keeps its current key.  The
// number goes into work->key.  A number below 1 names no line (new lines
// carry 0 until they are numbered): 4.  `reference` and `mode` are kept for
// the callers.  Returns the status (0, 4 not found, ...), also left in the
// work record with `fileNo` and operation 5.  Nothing is shown.
int OpenInvoiceRead(BtrvHandle handle, int fileNo, std::int32_t itemNumber, records::TagOpenInvoice* line,
                    TagPostWork* work, const char* reference = nullptr, int mode = 0);

// Rewrites the line that OpenInvoiceRead read last through `handle`: mode 1
// (posting) marks it posted first (source letter 'P'); mode 0 writes it as
// the caller changed it.  `oiHeader`, when given (and ready), keeps the
// invoice's header in step.  Returns 0, or the status with the work record
// filled (`fileNo` and operation 3, or the header file's step).
int OpenInvoiceUpdate(BtrvHandle handle, int fileNo, records::TagOpenInvoice* line, TagPostWork* work,
                      QxOIHeader* oiHeader, int mode, int reserved = 0);
