// Receivables and payables posting's own services: a G/L line posted into
// its account, and a posted transaction removed.
#include "qxabase/recpay_posting.h"

#include <cstring>
#include <string>

#include "posting_internal.h"
#include "qxabase/posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"

using namespace qxb::posting;
using records::RecPayDetail;
using records::TagRecPayHeader;

namespace {

// True when `handle`'s current record is the header PostTranRead handed out
// last and holds transaction `number`.
bool IsWalkedRecPayHeader(BtrvHandle handle, int fileNo, const TagRecPayHeader& header) {
  const WalkedHeader& w = Run().walked;
  if (!w.valid || w.handle != handle || w.fileNo != fileNo) return false;
  unsigned char place[4];
  if (BtrvPosition(kOpGetDirect, handle, place) != kStatusOk) return false;
  std::uint32_t position = 0;
  std::memcpy(&position, place, sizeof place);
  if (position != w.position) return false;
  TagRecPayHeader stored{};
  std::memcpy(&stored, place, sizeof place);
  return BtrvGetOp(kOpGetDirect, handle, nullptr, &stored, sizeof stored) == kStatusOk &&
         records::Trimmed(stored.transactionNumber) == records::Trimmed(header.transactionNumber);
}

}  // namespace

int PostGLLineToAccount(BtrvHandle accounts, const records::GLLine* line, const records::FiscalPeriodInfo* period,
                        TagPostWork* work) {
  return Guarded(work, records::kFileGLAccounts, kOpUpdate, [&]() -> int {
    Clear(work);
    if (line == nullptr) return Fail(work, records::kFileGLAccounts, kOpUpdate, kStatusInvalidOperation);
    const int entry = period ? static_cast<int>(period->entryIndex) : -1;
    if (entry < 0 || entry >= 26) return Fail(work, 0, 0, kPostStatusNoPeriod);
    records::GLAccount account{};
    int status = PostReadAccount(0, accounts, line->account, &account, work);
    if (status != kStatusOk) return Fail(work, records::kFileGLAccounts, kOpGetEqual, status);
    bool debit = line->IsDebit();
    double amount = line->amount;
    if (amount < 0) {
      debit = !debit;
      amount = -amount;
    }
    const double change = debit == account.IsDebitBalanceKind() ? amount : -amount;

    ServiceUnit unit;
    if (status = unit.Begin(); status != kStatusOk) return Fail(work, 0, kOpBeginTransaction, status);
    account.currentBalance = NumRound(account.currentBalance + change, 2);
    account.periodAmounts[entry] = NumRound(account.periodAmounts[entry] + change, 2);
    status = BtrvWriteOp(kOpUpdate, accounts, nullptr, &account, sizeof account);
    if (status != kStatusOk) return Fail(work, records::kFileGLAccounts, kOpUpdate, status);
    if (status = unit.Commit(); status != kStatusOk)
      return Fail(work, records::kFileGLAccounts, kOpEndTransaction, status);
    return kStatusOk;
  });
}

int PostRecPayTranRemove(int /*mode*/, BtrvHandle headers, BtrvHandle details, BtrvHandle /*openInvoices*/,
                         int headerFileNo, const TagRecPayHeader* header, TagPostWork* work,
                         QxOIHeader* /*oiHeader*/) {
  return Guarded(work, headerFileNo, kOpDelete, [&]() -> int {
    Clear(work);
    const bool receivables = headerFileNo == records::kFileReceivablesHeaders;
    if (header == nullptr || (!receivables && headerFileNo != records::kFilePayablesHeaders))
      return Fail(work, headerFileNo, kOpDelete, kStatusInvalidOperation);
    const int detailFileNo = receivables ? records::kFileReceivablesDetails : records::kFilePayablesDetails;
    const char* ledger = receivables ? "AR" : "AP";
    SetKey(work, Trim(header->transactionNumber));
    ServiceUnit unit;
    if (int status = unit.Begin(); status != kStatusOk) return Fail(work, 0, kOpBeginTransaction, status);

    // The detail lines: the ledger code blank-padded to 7, then the number.
    std::string key(255, '\0');
    std::memset(key.data(), ' ', 7);
    std::memcpy(key.data(), ledger, 2);
    std::memcpy(key.data() + 7, header->transactionNumber, sizeof header->transactionNumber);
    const int savedKey = BtrvGetKey(details);
    if (savedKey != 0) BtrvSetKey(details, 0, -1);
    RecPayDetail detail{};
    int op = kOpGetGreaterOrEqual;
    int status = BtrvGetOp(op, details, key.data(), &detail, sizeof detail);
    while (status == kStatusOk && records::Trimmed(detail.ledgerCode) == ledger &&
           records::Trimmed(detail.transactionNumber) == records::Trimmed(header->transactionNumber)) {
      op = kOpDelete;
      status = BtrvWriteOp(kOpDelete, details, nullptr, nullptr, 0);
      if (status != kStatusOk) break;
      // The walk goes on from the line just deleted.
      op = kOpGetNext;
      status = BtrvGetOp(op, details, key.data(), &detail, sizeof detail);
    }
    if (savedKey > 0) BtrvSetKey(details, savedKey, -1);
    if (status != kStatusOk && status != kStatusEndOfFile) return Fail(work, detailFileNo, op, status);

    if (!IsWalkedRecPayHeader(headers, headerFileNo, *header)) {
      KeyLookup lookup(headers);
      TagRecPayHeader stored{};
      status = lookup.Find(std::string(header->transactionNumber, sizeof header->transactionNumber), &stored);
      if (status != kStatusOk) return Fail(work, headerFileNo, kOpGetEqual, status);
      status = BtrvWriteOp(kOpDelete, headers, nullptr, nullptr, 0);
    } else {
      status = BtrvWriteOp(kOpDelete, headers, nullptr, nullptr, 0);
    }
    if (status != kStatusOk) return Fail(work, headerFileNo, kOpDelete, status);
    if (status = unit.Commit(); status != kStatusOk) return Fail(work, headerFileNo, kOpEndTransaction, status);
    return kStatusOk;
  });
}
