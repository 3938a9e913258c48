// Open-invoice lines deleted, rewritten and added by the period-end
// processes, with the headers of their invoices kept in step.
#include "qxabase/open_invoice_lines.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "posting_internal.h"

using namespace qxb::posting;
using records::TagOpenInvoice;

namespace {

constexpr int kInvoiceKey = 0;     // code and invoice number
constexpr int kItemNumberKey = 3;  // the open item's number

std::string InvoiceKey(const TagOpenInvoice& line) {
  std::string key(255, '\0');
  std::memcpy(key.data(), line.code, sizeof line.code);
  std::memcpy(key.data() + sizeof line.code, line.invoiceNumber, sizeof line.invoiceNumber);
  return key;
}

// The line as the header counts nothing of it: same invoice, no amounts.
TagOpenInvoice WithoutAmounts(const TagOpenInvoice& line) {
  TagOpenInvoice empty = line;
  empty.amount = 0.0;
  empty.secondAmount = 0.0;
  empty.discount = 0.0;
  return empty;
}

// True when `line` is the only line of its invoice.  The handle's key and
// current record are put back, so the caller's walk is not disturbed.
int IsLastLineOfInvoice(BtrvHandle lines, const TagOpenInvoice& line, bool* last) {
  const int savedKey = BtrvGetKey(lines);
  unsigned char place[4];
  const bool hadPlace = BtrvPosition(kOpGetDirect, lines, place) == kStatusOk;
  if (savedKey != kInvoiceKey) BtrvSetKey(lines, kInvoiceKey, -1);
  std::string key = InvoiceKey(line);
  TagOpenInvoice l{};
  int count = 0;
  int status = BtrvGetOp(kOpGetEqual, lines, key.data(), &l, sizeof l);
  while (status == kStatusOk && count < 2) {
    ++count;
    status = BtrvGetOp(kOpGetNext, lines, key.data(), &l, sizeof l);
    if (status == kStatusOk && InvoiceKey(l) != InvoiceKey(line)) status = kStatusEndOfFile;
  }
  if (savedKey >= 0 && savedKey != kInvoiceKey) BtrvSetKey(lines, savedKey, -1);
  if (hadPlace) BtrvPosition(0, lines, place);
  if (status != kStatusOk && status != kStatusEndOfFile && status != kStatusKeyNotFound) return status;
  *last = count <= 1;
  return kStatusOk;
}

// The line RecPayTranWrite numbered last, and what made its number the
// file's highest.  While the process's transaction that added it lasts (its
// write lock keeps other programs out of the file) and the file's stamp says
// nothing in this process wrote the file since, the file's last line by key
// 3 is that line: the next number follows it without reading the file.
struct LastNumbered {
  BtrvHandle lines = 0;
  std::uint64_t transaction = 0;
  std::uint64_t stamp = 0;
  std::int32_t itemNumber = 0;
};
thread_local LastNumbered t_lastNumbered;

// The number of a new line: one past the file's highest.
int NextItemNumber(BtrvHandle lines, std::int32_t* number) {
  if (const int status = BtrvSetKey(lines, kItemNumberKey, -1); status != kStatusOk) return status;
  const LastNumbered& last = t_lastNumbered;
  const std::uint64_t transaction = BtrvTransactionNumber();
  if (transaction != 0 && last.transaction == transaction && last.lines == lines &&
      last.stamp == BtrvFileStamp(lines)) {
    *number = last.itemNumber + 1;
    return kStatusOk;
  }
  char key[255] = {};
  TagOpenInvoice highest{};
  const int status = BtrvGetOp(kOpGetLast, lines, key, &highest, sizeof highest);
  if (status == kStatusOk) {
    *number = highest.itemNumber + 1;
  } else if (status == kStatusEndOfFile || status == kStatusKeyNotFound) {
    *number = 1;
  } else {
    return status;
  }
  return kStatusOk;
}

// Notes the line just added with `number`.  Only a number that stays the
// highest whatever the key's order of signs is kept: one past a positive
// highest, short of the largest.
void NoteNumbered(BtrvHandle lines, std::int32_t number) {
  const std::uint64_t transaction = BtrvTransactionNumber();
  if (transaction == 0 || number < 2 || number == std::numeric_limits<std::int32_t>::max()) {
    t_lastNumbered = LastNumbered{};
    return;
  }
  t_lastNumbered = {lines, transaction, BtrvFileStamp(lines), number};
}

int HeaderFailure(QxOIHeader* oiHeader) {
  const int status = oiHeader->GetResultError();
  return status != kStatusOk ? status : kStatusInvalidOperation;
}

}  // namespace

int OpenInvoiceLineDelete(QxOIHeader* oiHeader, BtrvHandle headers, BtrvHandle lines, const TagOpenInvoice& line) {
  if (oiHeader == nullptr) return kStatusInvalidOperation;
  bool last = false;
  if (const int status = IsLastLineOfInvoice(lines, line, &last); status != kStatusOk) return status;
  if (last) {
    if (const int status = BtrvWriteOp(kOpDelete, lines, nullptr, nullptr, 0); status != kStatusOk) return status;
    // A settled invoice keeps no header.
    KeyLookup lookup(headers);
    records::OpenInvoiceHeader header{};
    int status = lookup.Find(InvoiceKey(line), &header);
    if (status == kStatusOk) status = BtrvWriteOp(kOpDelete, headers, nullptr, nullptr, 0);
    return status == kStatusKeyNotFound ? kStatusOk : status;
  }
  // The header is made first when the invoice has none, while the line is
  // still there to count and still current: making it after the delete would
  // read the other lines through `lines` and lose the caller's place.
  if (!oiHeader->SaveDtlBeforeModification(&line, true) || !oiHeader->UpdateDtlModification(&line))
    return HeaderFailure(oiHeader);
  if (!oiHeader->SaveDtlBeforeModification(&line, true)) return HeaderFailure(oiHeader);
  if (const int status = BtrvWriteOp(kOpDelete, lines, nullptr, nullptr, 0); status != kStatusOk) return status;
  const TagOpenInvoice gone = WithoutAmounts(line);
  if (!oiHeader->UpdateDtlModification(&gone)) return HeaderFailure(oiHeader);
  return kStatusOk;
}

int OpenInvoiceLineRewrite(QxOIHeader* oiHeader, BtrvHandle headers, BtrvHandle lines,
                           const TagOpenInvoice& stored, const TagOpenInvoice& line) {
  if (oiHeader == nullptr) return kStatusInvalidOperation;
  // A line moved to another invoice may leave its old invoice without lines.
  const bool moves = InvoiceKey(stored) != InvoiceKey(line);
  bool leavesNone = false;
  if (moves) {
    if (const int status = IsLastLineOfInvoice(lines, stored, &leavesNone); status != kStatusOk) return status;
  }
  if (!oiHeader->SaveDtlBeforeModification(&stored, true)) return HeaderFailure(oiHeader);
  if (const int status = BtrvWriteOp(kOpUpdate, lines, nullptr, &line, sizeof line); status != kStatusOk)
    return status;
  if (!oiHeader->UpdateDtlModification(&line)) return HeaderFailure(oiHeader);
  if (leavesNone) {
    KeyLookup lookup(headers);
    records::OpenInvoiceHeader header{};
    int status = lookup.Find(InvoiceKey(stored), &header);
    if (status == kStatusOk) status = BtrvWriteOp(kOpDelete, headers, nullptr, nullptr, 0);
    if (status != kStatusOk && status != kStatusKeyNotFound) return status;
  }
  return kStatusOk;
}

int RecPayTranWrite(int mode, BtrvHandle /*settings*/, BtrvHandle lines, int /*ledgerFileNo*/, TagOpenInvoice* line,
                    QxOIHeader* oiHeader) {
  if (mode != kOpInsert || line == nullptr || oiHeader == nullptr) return kStatusInvalidOperation;
  std::int32_t number = 0;
  if (const int status = NextItemNumber(lines, &number); status != kStatusOk) return status;
  line->itemNumber = number;
  const TagOpenInvoice before = WithoutAmounts(*line);
  if (!oiHeader->SaveDtlBeforeModification(&before, true)) return HeaderFailure(oiHeader);
  char key[255] = {};
  if (const int status = BtrvWriteOp(kOpInsert, lines, key, line, sizeof *line); status != kStatusOk) {
    t_lastNumbered = LastNumbered{};
    return status;
  }
  NoteNumbered(lines, number);
  if (!oiHeader->UpdateDtlModification(line)) return HeaderFailure(oiHeader);
  return kStatusOk;
}
