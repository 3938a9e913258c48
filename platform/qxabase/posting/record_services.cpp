// Record services of the posting runs: a master record stored back, the
// account interface checked, an account built from a segment, a stock
// activity record stored, and an open-invoice line of an account written.
#include <cstring>
#include <string>
#include <string_view>

#include "oemtext.h"
#include "posting_internal.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"

using namespace qxb::posting;

namespace {

constexpr int kMsgInterfaceAccountMissing = 1435;  // %1 which account, %2 its code
constexpr int kMsgInterfaceAccountSummary = 1437;  // %1 which account, %2 its code

// What each account of the interface is, by InterfaceRecord::Account's index.
constexpr const char* kInterfaceAccountNames[records::InterfaceRecord::kAccountCount] = {
    "cash",        "receivables",         "payables",         "inventory", "cost of goods",
    "sales",       "sales returns",       "finance charge",   "receivables discount",
    "payables discount", "closing",       "service component", "freight"};

// The journal code of the sequence activity records are numbered from.
constexpr char kActivityJournal[] = "IT";

std::string_view TrimmedText(const char* text, std::size_t n) {
  if (text == nullptr) return {};
  std::size_t len = strnlen(text, n);
  while (len > 0 && text[len - 1] == ' ') --len;
  return std::string_view(text, len);
}

}  // namespace

int PostRecordStore(BtrvHandle handle, int fileNo, const void* record, TagPostWork* work) {
  return Guarded(work, fileNo, kOpUpdate, [&]() -> int {
    Clear(work);
    if (record == nullptr) return Fail(work, fileNo, kOpUpdate, kStatusInvalidOperation);
    const int status = BtrvWriteOp(kOpUpdate, handle, nullptr, record, 0);
    return status == kStatusOk ? kStatusOk : Fail(work, fileNo, kOpUpdate, status);
  });
}

char* GLAccountWithSegment(char* out, const char* account, const char* segment) {
  if (out == nullptr) return out;
  std::string joined(TrimmedText(account, 11));
  joined += TrimmedText(segment, 6);
  if (joined.size() > 10) joined.resize(10);
  std::memset(out, 0, 11);
  std::memcpy(out, joined.data(), joined.size());
  return out;
}

int PostLedgersCheck(int /*mode*/, BtrvHandle accounts, records::GLAccount* account,
                     const records::InterfaceRecord* iface, TagPostWork* work,
                     std::initializer_list<int> interfaceAccounts) {
  return Guarded(work, records::kFileGLAccounts, kOpGetEqual, [&]() -> int {
    Clear(work);
    records::GLAccount scratch{};
    records::GLAccount* record = account ? account : &scratch;
    if (iface == nullptr) return Fail(work, records::kFileSettings, kOpGetEqual, kStatusInvalidOperation);
    for (const int index : interfaceAccounts) {
      if (index < 0 || index >= records::InterfaceRecord::kAccountCount) continue;
      const std::string code(TrimmedText(iface->Account(index), 11));
      const char* name = kInterfaceAccountNames[index];
      int status = code.empty() ? kStatusKeyNotFound : PostReadAccount(1, accounts, code.c_str(), record, work);
      if (status == kStatusOk && record->IsSummary()) status = kPostStatusSummaryAccount;
      if (status == kStatusOk) continue;
      SetKey(work, code);
      Fail(work, records::kFileGLAccounts, kOpGetEqual, status);
      work->result = kPostStop;
      const std::string shown = code.empty() ? "(none)" : code;
      if (status == kStatusKeyNotFound || status == kStatusEndOfFile)
        MsgShowArgs(kMsgInterfaceAccountMissing, 0, kButtonsStop, 1, name, shown.c_str(), 0);
      else if (status == kPostStatusSummaryAccount)
        MsgShowArgs(kMsgInterfaceAccountSummary, 0, kButtonsStop, 1, name, shown.c_str(), 0);
      else
        MsgRecordErrorPost(kButtonsStopOnly, 1, status, kOpGetEqual, records::kFileGLAccounts, 0);
      return status;
    }
    return kStatusOk;
  });
}

int PostAmountLine(BtrvHandle activity, records::TagProduct* product, int /*reserved*/,
                   records::InventoryTransaction* record, TagPostWork* work) {
  return Guarded(work, records::kFileInventoryTransactions, kOpInsert, [&]() -> int {
    if (work) Clear(work);
    if (record == nullptr)
      return Fail(work, records::kFileInventoryTransactions, kOpInsert, kStatusInvalidOperation);
    RunState& r = Run();
    if (r.activitySequences == 0) {
      const char* path = FilePathGet(records::kFileTranSequences);
      if (path == nullptr || *path == '\0') return Fail(work, records::kFileTranSequences, kOpGetEqual, kStatusFileNotFound);
      if (const int status = BtrvOpen(&r.activitySequences, path, kOpenNormal, 0); status != kStatusOk) {
        r.activitySequences = 0;
        return Fail(work, records::kFileTranSequences, kOpGetEqual, status);
      }
    }
    char number[11] = {};
    if (const int status = NextTranNumber(kOpUpdate, r.activitySequences, kActivityJournal, number);
        status != kStatusOk)
      return Fail(work, records::kFileTranSequences, kOpUpdate, status);
    std::memcpy(record->transactionNumber, number, sizeof record->transactionNumber);
    record->postedFlag = 'Y';
    if (const int status = BtrvWriteOp(kOpInsert, activity, nullptr, record, sizeof *record); status != kStatusOk)
      return Fail(work, records::kFileInventoryTransactions, kOpInsert, status);
    const bool purchase = record->source == 'M' || record->source == 'R';
    if (purchase && product != nullptr && product->CarriesStock()) {
      product->quantityOnHand = product->quantityOnHand + record->quantity;
      product->secondQuantityOnHand = product->secondQuantityOnHand + record->quantity;
      product->valueOnHand = NumRound(product->valueOnHand + record->extendedAmount, 2);
    }
    return kStatusOk;
  });
}

int RecordWriteOp(int op, BtrvHandle handle, records::TagOpenInvoice* line, const records::CustVendRecord* account,
                  const records::TagBiPoHeader* /*header*/, TagPostWork* work) {
  const RunState& r = Run();
  const BtrvHandle through = handle != 0 ? handle : r.openInvoiceHandle;
  const int fileNo = through == r.openInvoiceHandle ? r.openInvoiceFileNo : 0;
  return Guarded(work, fileNo, op, [&]() -> int {
    Clear(work);
    if (line == nullptr || account == nullptr || through == 0 || (op != kOpInsert && op != kOpUpdate))
      return Fail(work, fileNo, op, kStatusInvalidOperation);
    SetKey(work, Trim(line->code));
    // A line is written into its own account only.
    if (oem::CompareText(std::string(Trim(line->code)), std::string(Trim(account->code))) != 0)
      return Fail(work, fileNo, op, kStatusInvalidOperation);
    const int status = BtrvWriteOp(op, through, nullptr, line, sizeof *line);
    return status == kStatusOk ? kStatusOk : Fail(work, fileNo, op, status);
  });
}
