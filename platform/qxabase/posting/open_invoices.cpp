// Open invoices of the posting runs: a line read by its item number and
// rewritten, and the header of its invoice kept in step.
#include "qxabase/open_invoices.h"

#include <cstring>
#include <string>
#include <tuple>

#include "posting_internal.h"
#include "qxabase/aging.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/tables.h"
#include "records/dictionary.h"

using namespace qxb::posting;
using records::OpenInvoiceHeader;
using records::TagOpenInvoice;

namespace {

constexpr int kItemNumberKey = 3;

// What a line adds to the header of its invoice, in cents: to what is still
// open, and to the invoice's original amount (the lines that add to what the
// account owes).
struct Effect {
  std::int64_t balance = 0;
  std::int64_t amount = 0;
};

Effect EffectOf(int lineFileNo, const TagOpenInvoice& line) {
  const std::int64_t signedCents = AgingCents(AgingSignedAmount(lineFileNo, line));
  return {signedCents - AgingCents(line.discount), signedCents > 0 ? signedCents : 0};
}

// Key 0 of the line and header files: the account code and the invoice number.
std::string InvoiceKey(const TagOpenInvoice& line) {
  std::string key(255, '\0');
  std::memcpy(key.data(), line.code, sizeof line.code);
  std::memcpy(key.data() + sizeof line.code, line.invoiceNumber, sizeof line.invoiceNumber);
  return key;
}

bool SameInvoice(const TagOpenInvoice& a, const TagOpenInvoice& b) {
  return InvoiceKey(a) == InvoiceKey(b);
}

double FromCents(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

int OpenOwn(int fileNo, BtrvHandle* handle) {
  const char* path = FilePathGet(fileNo);
  if (path == nullptr || *path == '\0') return kStatusFileNotFound;
  return BtrvOpen(handle, path, kOpenNormal, 0);
}

}  // namespace

// --- QxOIHeader --------------------------------------------------------------------------------

int QxOIHeader::GetHdrFileId(int lineFileNo) {
  if (lineFileNo == records::kFileReceivablesOpenInvoices) return records::kFileReceivablesOpenInvoiceHeaders;
  if (lineFileNo == records::kFilePayablesOpenInvoices) return records::kFilePayablesOpenInvoiceHeaders;
  return 0;
}

QxOIHeader::QxOIHeader(int headerFileNo, BtrvHandle headerHandle, BtrvHandle lineHandle)
    : headerFileNo_(headerFileNo), headers_(headerHandle), lines_(lineHandle) {}

QxOIHeader::~QxOIHeader() {
  if (ownHeaders_) BtrvClose(headers_);
  if (ownLines_) BtrvClose(lines_);
}

bool QxOIHeader::Fail(int status) {
  result_ = status;
  return false;
}

bool QxOIHeader::Init() {
  result_ = 0;
  if (ready_) return true;
  if (headerFileNo_ == records::kFileReceivablesOpenInvoiceHeaders)
    lineFileNo_ = records::kFileReceivablesOpenInvoices;
  else if (headerFileNo_ == records::kFilePayablesOpenInvoiceHeaders)
    lineFileNo_ = records::kFilePayablesOpenInvoices;
  else
    return Fail(kStatusInvalidOperation);
  for (auto [fileNo, handle, own] : {std::tuple{headerFileNo_, &headers_, &ownHeaders_},
                                     std::tuple{lineFileNo_, &lines_, &ownLines_}}) {
    if (*handle == m_iINVALID_FILE_ID) {
      if (const int status = OpenOwn(fileNo, handle); status != kStatusOk) return Fail(status);
      *own = true;
    } else if (BtrvGetKey(*handle) < 0) {
      return Fail(kStatusFileNotOpen);  // a handle that is not open
    }
  }
  ready_ = true;
  return true;
}

bool QxOIHeader::SaveDtlBeforeModification(const TagOpenInvoice* line, bool /*locked*/) {
  if (!ready_) return Fail(kStatusFileNotOpen);
  if (line == nullptr) return Fail(kStatusInvalidOperation);
  before_ = *line;
  saved_ = true;
  result_ = 0;
  return true;
}

bool QxOIHeader::UpdateDtlModification(const TagOpenInvoice* line) {
  if (!ready_) return Fail(kStatusFileNotOpen);
  if (line == nullptr) return Fail(kStatusInvalidOperation);
  result_ = 0;
  const Effect after = EffectOf(lineFileNo_, *line);
  int status = kStatusOk;
  if (!saved_) {
    // Nothing is known of the line before: only a missing header is made.
    status = Apply(*line, 0, 0);
  } else {
    const Effect before = EffectOf(lineFileNo_, before_);
    if (SameInvoice(before_, *line)) {
      status = Apply(*line, after.balance - before.balance, after.amount - before.amount);
    } else {
      // The line moved to another invoice: it leaves one header for the other.
      status = Apply(before_, -before.balance, -before.amount);
      if (status == kStatusOk) status = Apply(*line, after.balance, after.amount);
    }
  }
  saved_ = false;
  return status == kStatusOk || Fail(status);
}

// Moves the header of `line`'s invoice by the amounts given; an invoice
// without a header gets one from its lines.
int QxOIHeader::Apply(const TagOpenInvoice& line, std::int64_t balanceCents, std::int64_t amountCents) {
  KeyLookup lookup(headers_);
  OpenInvoiceHeader header{};
  int status = lookup.Find(InvoiceKey(line), &header);
  if (status == kStatusKeyNotFound) return RebuildHeader(line);
  if (status != kStatusOk) return status;
  if (status = RecordAmountsCheck(headerFileNo_, &header, sizeof header); status != kStatusOk) return status;
  if (balanceCents == 0 && amountCents == 0) return kStatusOk;
  header.balance = FromCents(AgingCents(header.balance) + balanceCents);
  header.amount = FromCents(AgingCents(header.amount) + amountCents);
  return BtrvWriteOp(kOpUpdate, headers_, nullptr, &header, sizeof header);
}

// Inserts the header of `line`'s invoice, summed from every line of the
// invoice as the file holds them now.  The line handle keeps its key and
// current record.
int QxOIHeader::RebuildHeader(const TagOpenInvoice& line) {
  OpenInvoiceHeader header{};
  std::memcpy(header.code, line.code, sizeof header.code);
  std::memcpy(header.invoiceNumber, line.invoiceNumber, sizeof header.invoiceNumber);
  header.invoiceDate = line.invoiceDate;
  header.dueDate = line.dueDate;
  Effect sum;
  {
    KeyLookup place(lines_);
    if (BtrvGetKey(lines_) != 0) BtrvSetKey(lines_, 0, -1);
    std::string key = InvoiceKey(line);
    TagOpenInvoice l{};
    bool invoiceSeen = false;
    int status = RecordRead(lineFileNo_, kOpGetGreaterOrEqual, lines_, key.data(), &l, sizeof l);
    while (status == kStatusOk && SameInvoice(l, line)) {
      const Effect e = EffectOf(lineFileNo_, l);
      sum.balance += e.balance;
      sum.amount += e.amount;
      // The invoice's dates are those of its invoice line.
      if (l.lineType == 'I' && !invoiceSeen) {
        header.invoiceDate = l.invoiceDate;
        header.dueDate = l.dueDate;
        invoiceSeen = true;
      }
      status = RecordRead(lineFileNo_, kOpGetNext, lines_, key.data(), &l, sizeof l);
    }
    if (status != kStatusOk && status != kStatusEndOfFile) return status;
  }
  header.balance = FromCents(sum.balance);
  header.amount = FromCents(sum.amount);
  KeyLookup keep(headers_);
  return BtrvWriteOp(kOpInsert, headers_, nullptr, &header, sizeof header);
}

// --- Reading and rewriting a line ---------------------------------------------------------------

int OpenInvoiceRead(BtrvHandle handle, int fileNo, std::int32_t itemNumber, TagOpenInvoice* line,
                    TagPostWork* work, const char* /*reference*/, int /*mode*/) {
  return Guarded(work, fileNo, kOpGetEqual, [&]() -> int {
    Clear(work);
    SetKey(work, std::to_string(itemNumber));
    if (line == nullptr) return Fail(work, fileNo, kOpGetEqual, kStatusInvalidOperation);
    // New lines carry 0 until entry numbers them: 0 names none of them.
    if (itemNumber < 1) return Fail(work, fileNo, kOpGetEqual, kStatusKeyNotFound);
    const int savedKey = BtrvGetKey(handle);
    if (savedKey != kItemNumberKey) BtrvSetKey(handle, kItemNumberKey, -1);
    char key[255] = {};
    std::memcpy(key, &itemNumber, sizeof itemNumber);
    const int status = BtrvGetOp(kOpGetEqual, handle, key, line, sizeof *line);
    if (savedKey >= 0 && savedKey != kItemNumberKey) BtrvSetKey(handle, savedKey, -1);
    if (status == kStatusOk) {
      Run().openInvoiceHandle = handle;
      Run().openInvoiceFileNo = fileNo;
    }
    return Fail(work, fileNo, kOpGetEqual, status);
  });
}

int OpenInvoiceUpdate(BtrvHandle handle, int fileNo, TagOpenInvoice* line, TagPostWork* work,
                      QxOIHeader* oiHeader, int mode, int /*reserved*/) {
  return Guarded(work, fileNo, kOpUpdate, [&]() -> int {
    Clear(work);
    if (line == nullptr) return Fail(work, fileNo, kOpUpdate, kStatusInvalidOperation);
    // The line as stored is what the header counts now.
    unsigned char place[4];
    int status = BtrvPosition(kOpGetDirect, handle, place);
    if (status != kStatusOk) return Fail(work, fileNo, kOpUpdate, status);
    TagOpenInvoice stored{};
    std::memcpy(&stored, place, sizeof place);
    status = BtrvGetOp(kOpGetDirect, handle, nullptr, &stored, sizeof stored);
    if (status != kStatusOk) return Fail(work, fileNo, kOpGetDirect, status);
    if (mode == 1) line->status = 'P';

    ServiceUnit unit;
    if (status = unit.Begin(); status != kStatusOk) return Fail(work, 0, kOpBeginTransaction, status);
    if (oiHeader != nullptr && !oiHeader->SaveDtlBeforeModification(&stored, false))
      return Fail(work, oiHeader->HeaderFileNo(), kOpUpdate, oiHeader->GetResultError());
    status = BtrvWriteOp(kOpUpdate, handle, nullptr, line, sizeof *line);
    if (status != kStatusOk) return Fail(work, fileNo, kOpUpdate, status);
    if (oiHeader != nullptr && !oiHeader->UpdateDtlModification(line))
      return Fail(work, oiHeader->HeaderFileNo(), kOpUpdate, oiHeader->GetResultError());
    if (status = unit.Commit(); status != kStatusOk) return Fail(work, fileNo, kOpEndTransaction, status);
    return kStatusOk;
  });
}
