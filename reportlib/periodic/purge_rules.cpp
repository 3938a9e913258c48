// The purge rules per file: what each kind removes, and how.
#include "periodic/purge_rules.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "oemtext.h"
#include "qxabase/bipo_lines.h"
#include "qxabase/bipo_posting.h"
#include "qxabase/cash_services.h"
#include "qxabase/messages.h"
#include "qxabase/open_invoices.h"
#include "qxabase/posting.h"
#include "qxabase/purge_services.h"
#include "qxabase/recpay_posting.h"
#include "qxabase/related_records.h"
#include "qxabase/status_box.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/support.h"
#include "records/transactions.h"

using records::TagBiPoHeader;

namespace {

// Success as the routines' int results carry it.
constexpr int kOk = kStatusOk;
// The results of objects that could not be set up.
constexpr int kHeaderObjectFailed = 3;
constexpr int kPictureTableFailed = -1;

// The date keys of the files the header traits do not describe.
constexpr int kSalesHistoryDateKey = 2;
constexpr int kSerialNumberDateKey = 2;
constexpr int kHistoryDateKey = 1;
constexpr int kQuoteDateKey = 2;

// The serial numbers no longer in stock come first in their date key.
constexpr char kNotInStock = 'N';

int DateKeyOf(int fileNo) { return records::HeaderTraitsOf(fileNo)->dateKey; }

// --- Failures and units -----------------------------------------------------------------------

int Shown(int status, int op, int fileNo) {
  MsgRecordError(status, 1, op, fileNo, 0);
  return status;
}
int Shown(const TagPostWork& work) { return Shown(work.status, work.operation, work.fileNo); }

// Runs `remove` (returning 0 or a failing status it has shown) as one
// record-manager transaction: committed when it succeeds, abandoned
// otherwise.
template <class Remove>
int AsOneUnit(int fileNo, Remove remove) {
  TagPostWork work;
  if (const int status = PostUnitBegin(&work); status != kStatusOk) return Shown(status, kOpBeginTransaction, fileNo);
  if (const int status = remove(); status != kStatusOk) {
    PostUnitAbandon();
    return status;
  }
  if (const int status = PostUnitCommit(&work); status != kStatusOk) {
    // A failed commit is rolled back; should the transaction still be open,
    // nothing of it may reach the next removal's commit.
    BtrvTransaction(kOpAbortTransaction);
    return Shown(status, kOpEndTransaction, fileNo);
  }
  return kOk;
}

// --- The status box ---------------------------------------------------------------------------

template <std::size_t N>
std::string Shown(const char (&field)[N]) {
  std::string text(records::Trimmed(field));
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

// The record in hand: on the box's second row, and a second value on its
// third.
void ShowRecord(const std::string& first, const std::string& second = {}) {
  StatusBoxRecord(0, first.c_str(), second.empty() ? nullptr : second.c_str());
}

// --- Walks ----------------------------------------------------------------------------------------

// Walks file `fileNo` through `handle` in the order of key `keyNumber`: the
// first record from `seek` (a 255-byte key image; null: from the first
// record), then the next, while `within(record)`.  `visit(record,
// &removed)` returns 0 to go on or a failing status it has shown, which ends
// the walk.  The handle's key is put back.  Returns kPurged when a visit
// removed something, kNothingPurged when none did, or the failing status.
template <class Record, class Within, class Visit>
int Walk(BtrvHandle handle, int fileNo, int keyNumber, const char* seek, Within within, Visit visit) {
  BtrvKeyScope keyScope(handle);
  BtrvSetKey(handle, keyNumber, -1);
  char key[255] = {};
  if (seek) std::memcpy(key, seek, sizeof key);
  Record record{};
  int op = seek ? kOpGetGreaterOrEqual : kOpGetFirst;
  int status = BtrvGetOp(op, handle, key, &record, sizeof record);
  bool purged = false;
  while (status == kStatusOk && within(record)) {
    AppIdle();
    bool removed = false;
    if (const int failed = visit(record, &removed); failed != kStatusOk) return failed;
    purged = purged || removed;
    op = kOpGetNext;
    status = BtrvGetOp(op, handle, key, &record, sizeof record);
  }
  if (status != kStatusOk && status != kStatusEndOfFile && status != kStatusKeyNotFound)
    return Shown(status, op, fileNo);
  return purged ? kPurged : kNothingPurged;
}

// The key a date-window walk starts at: the From date's four bytes after
// `prefix` (the serial numbers' flag).
std::string WindowSeek(std::int32_t from, std::string_view prefix = {}) {
  std::string key(255, '\0');
  key.replace(0, prefix.size(), prefix);
  std::memcpy(key.data() + prefix.size(), &from, sizeof from);
  return key;
}

// A date-window walk of the headers of a ledger: each header of the window
// that `qualifies` is removed by `remove` (returning 0 or a status it has
// shown) as one unit.
template <class Header, class Qualifies, class ShowIt, class Remove>
int WindowPurge(BtrvHandle headers, int fileNo, int dateKey, PurgeWindow window, Qualifies qualifies, ShowIt show,
                Remove remove) {
  const std::string seek = WindowSeek(window.from);
  return Walk<Header>(
      headers, fileNo, dateKey, seek.data(), [&](const Header& h) { return h.date <= window.through; },
      [&](const Header& h, bool* removed) {
        show(h);
        if (!qualifies(h)) return kOk;
        *removed = true;
        return AsOneUnit(fileNo, [&] { return remove(h); });
      });
}

// A walk of a master file, first to last: each record that `qualifies` is
// removed by `remove` as one unit; `after` runs once its removal is
// committed (a note file goes then).
template <class Record, class Qualifies, class Remove, class After>
int MasterPurge(BtrvHandle handle, int fileNo, Qualifies qualifies, Remove remove, After after) {
  return Walk<Record>(
      handle, fileNo, 0, nullptr, [](const Record&) { return true; },
      [&](const Record& r, bool* removed) {
        ShowRecord(Shown(r.code));
        int status = kStatusOk;
        if (!qualifies(r, &status)) return status;
        *removed = true;
        if (status = AsOneUnit(fileNo, [&] { return remove(r); }); status != kStatusOk) return status;
        after(r);
        return kOk;
      });
}

// Removes the current record of a walk.
int RemoveCurrent(BtrvHandle handle, int fileNo) {
  const int status = BtrvWriteOp(kOpDelete, handle, nullptr, nullptr, 0);
  return status == kStatusOk ? kOk : Shown(status, kOpDelete, fileNo);
}

// The open-invoice header objects the removals of a ledger are handed.
class InvoiceHeaders {
 public:
  InvoiceHeaders(bool receivables, bool payables)
      : receivables_(records::kFileReceivablesOpenInvoiceHeaders, QxOIHeader::m_iINVALID_FILE_ID,
                     QxOIHeader::m_iINVALID_FILE_ID),
        payables_(records::kFilePayablesOpenInvoiceHeaders, QxOIHeader::m_iINVALID_FILE_ID,
                  QxOIHeader::m_iINVALID_FILE_ID),
        ready_((!receivables || receivables_.Init()) && (!payables || payables_.Init())) {}
  bool Ready() const { return ready_; }
  // Shows why the objects are not ready.  Returns 3.
  int Failed() const {
    const QxOIHeader& failed = receivables_.GetResultError() != kStatusOk ? receivables_ : payables_;
    MsgRecordError(failed.GetResultError(), 1, kErrorOpOpen, failed.HeaderFileNo(), 0);
    return kHeaderObjectFailed;
  }
  QxOIHeader* Receivables() { return &receivables_; }
  QxOIHeader* Payables() { return &payables_; }

 private:
  QxOIHeader receivables_;
  QxOIHeader payables_;
  bool ready_;
};


bool PostedOrDeleted(char postedFlag, bool deleted) { return records::PostedForPurge(postedFlag) || deleted; }

}  // namespace

// --- Transactions in a window of dates ----------------------------------------------------------

int PurgeGLTransactions(BtrvHandle headers, BtrvHandle lines, PurgeWindow window) {
  using records::TagGLHeader;
  const int file = records::kFileGLHeaders;
  return WindowPurge<TagGLHeader>(
      headers, file, DateKeyOf(file), window,
      [](const TagGLHeader& h) { return PostedOrDeleted(h.postedFlag, h.IsDeleted()); },
      [](const TagGLHeader& h) { ShowRecord(Shown(h.journalCode) + " " + Shown(h.transactionNumber)); },
      [&](const TagGLHeader& h) {
        TagPostWork work;
        return PostGLTranRemove(4, headers, lines, &h, &work) == kStatusOk ? kOk : Shown(work);
      });
}

int PurgeRecPayTransactions(int fileNo, BtrvHandle headers, BtrvHandle details, PurgeWindow window) {
  using records::TagRecPayHeader;
  const bool receivables = fileNo == records::kFileReceivablesHeaders;
  InvoiceHeaders oi(receivables, !receivables);
  if (!oi.Ready()) return oi.Failed();
  return WindowPurge<TagRecPayHeader>(
      headers, fileNo, DateKeyOf(fileNo), window,
      [](const TagRecPayHeader& h) { return PostedOrDeleted(h.postedFlag, h.IsDeleted()); },
      [](const TagRecPayHeader& h) { ShowRecord(Shown(h.transactionNumber)); },
      [&](const TagRecPayHeader& h) {
        TagPostWork work;
        return PostRecPayTranRemove(4, headers, details, 0, fileNo, &h, &work,
                                    receivables ? oi.Receivables() : oi.Payables()) == kStatusOk
                   ? kOk
                   : Shown(work);
      });
}

int PurgeCashTransactions(BtrvHandle headers, BtrvHandle lines, PurgeWindow window) {
  using records::CashHeader;
  const int file = records::kFileCashHeaders;
  InvoiceHeaders oi(true, true);
  if (!oi.Ready()) return oi.Failed();
  return WindowPurge<CashHeader>(
      headers, file, DateKeyOf(file), window,
      [](const CashHeader& h) { return PostedOrDeleted(h.postedFlag, h.IsDeleted()); },
      [](const CashHeader& h) { ShowRecord(Shown(h.transactionNumber)); },
      [&](const CashHeader& h) {
        TagPostWork work;
        records::CashLine line{};
        return OpenInvoiceRemove(4, headers, lines, 0, 0, &h, &line, nullptr, &work) == kStatusOk ? kOk
                                                                                                  : Shown(work);
      });
}

namespace {

// A purchase order is complete when none of its lines still waits for
// receipts (also when it has none).  *status is set when its lines cannot be
// read.
bool OrderComplete(BtrvHandle lines, const TagBiPoHeader& order, int* status) {
  BiPoLineWalk walk(lines, records::kFileOrderHeaders, order);
  records::BiPoLine line{};
  int read = kStatusOk;
  while ((read = walk.Next(&line)) == kStatusOk)
    if (line.AwaitsReceipts()) return false;
  if (read != kStatusEndOfFile) *status = Shown(read, walk.Op(), records::kFileOrderLines);
  return true;
}

}  // namespace

int PurgeBiPoTransactions(int fileNo, BtrvHandle headers, BtrvHandle lines, PurgeWindow window) {
  const bool billing = fileNo == records::kFileBillingHeaders;
  const bool orders = fileNo == records::kFileOrderHeaders;
  InvoiceHeaders oi(billing, !billing);
  if (!oi.Ready()) return oi.Failed();
  int lineFailure = kStatusOk;
  const int result = WindowPurge<TagBiPoHeader>(
      headers, fileNo, DateKeyOf(fileNo), window,
      [&](const TagBiPoHeader& h) {
        // Billing and purchasing count 'Y' alone.
        if (h.closedFlag == 'Y') return true;
        if (!orders) return h.postedFlag == 'Y';
        return OrderComplete(lines, h, &lineFailure) && lineFailure == kStatusOk;
      },
      [](const TagBiPoHeader& h) { ShowRecord(Shown(h.transactionNumber)); },
      [&](const TagBiPoHeader& h) {
        TagPostWork work;
        return PostBiPoTranRemove(4, headers, lines, 0, 0, fileNo, 0, &h, &work,
                                  billing ? oi.Receivables() : oi.Payables()) == kStatusOk
                   ? kOk
                   : Shown(work);
      });
  return lineFailure != kStatusOk ? lineFailure : result;
}

int PurgeAssemblyTransactions(BtrvHandle headers, BtrvHandle components, PurgeWindow window) {
  using records::AssemblyHeader;
  const int file = records::kFileAssemblyHeaders;
  return WindowPurge<AssemblyHeader>(
      headers, file, DateKeyOf(file), window,
      [](const AssemblyHeader& h) { return PostedOrDeleted(h.postedFlag, h.IsDeleted()); },
      [](const AssemblyHeader& h) { ShowRecord(Shown(h.transactionNumber)); },
      [&](const AssemblyHeader& h) {
        TagPostWork work;
        return PostAssemblyTranRemove(4, headers, components, &h, &work) == kStatusOk ? kOk : Shown(work);
      });
}

int PurgeSalesAnalysis(BtrvHandle history, PurgeWindow window) {
  using records::SalesHistory;
  const int file = records::kFileSalesHistory;
  return WindowPurge<SalesHistory>(
      history, file, kSalesHistoryDateKey, window, [](const SalesHistory&) { return true; },
      [](const SalesHistory& h) { ShowRecord(Shown(h.transactionNumber)); },
      [&](const SalesHistory&) { return RemoveCurrent(history, file); });
}

int PurgeSerialNumbers(BtrvHandle serials, BtrvHandle movements, PurgeWindow window) {
  using records::SerialNumber;
  const int file = records::kFileSerialNumbers;
  const std::string seek = WindowSeek(window.from, std::string_view(&kNotInStock, 1));
  return Walk<SerialNumber>(
      serials, file, kSerialNumberDateKey, seek.data(),
      [&](const SerialNumber& s) { return s.inStock == kNotInStock && s.date <= window.through; },
      [&](const SerialNumber& s, bool* removed) {
        ShowRecord(Shown(s.serialNumber));
        *removed = true;
        return AsOneUnit(file, [&] {
          const int status = SerialRecordRemove(serials, movements, &s, nullptr, nullptr, 0);
          return status == kStatusOk ? kOk : Shown(status, kOpDelete, file);
        });
      });
}

int PurgeCustVendHistory(int fileNo, BtrvHandle headers, BtrvHandle details, PurgeWindow window) {
  using records::HistoryHeader;
  const int detailFile = fileNo == records::kFileVendorHistory ? records::kFileVendorHistoryDetails
                                                               : records::kFileCustomerHistoryDetails;
  constexpr std::size_t kDocumentKey = sizeof HistoryHeader::code + sizeof HistoryHeader::documentNumber;
  return WindowPurge<HistoryHeader>(
      headers, fileNo, kHistoryDateKey, window, [](const HistoryHeader&) { return true; },
      [](const HistoryHeader& h) { ShowRecord(Shown(h.code), Shown(h.documentNumber)); },
      [&](const HistoryHeader& h) {
        // The details first: a document never loses its header before them.
        TagPostWork work;
        if (RelatedRecordsRemove(details, detailFile, &h, kDocumentKey, &work) != kStatusOk) return Shown(work);
        return RemoveCurrent(headers, fileNo);
      });
}

int PurgeQuotes(PurgeWindow window) {
  ns_BASEQUOTES::CBaseQuotes quotes;
  if (!quotes.TableOpen()) return Shown(quotes.GetResult(), kErrorOpOpen, records::kFileQuoteHeaders);
  const BtrvHandle headers = quotes.HdrHdl();
  const BtrvHandle lines = quotes.DtlHdl();
  const int result = WindowPurge<TagBiPoHeader>(
      headers, records::kFileQuoteHeaders, kQuoteDateKey, window, [](const TagBiPoHeader&) { return true; },
      [](const TagBiPoHeader& h) { ShowRecord(Shown(h.transactionNumber)); },
      [&](const TagBiPoHeader& h) {
        {
          // The lines first: a quote never loses its header before them.
          BiPoLineWalk walk(lines, records::kFileQuoteHeaders, h);
          records::BiPoLine line{};
          int read = kStatusOk;
          while ((read = walk.Next(&line)) == kStatusOk)
            if (const int status = RemoveCurrent(lines, records::kFileQuoteLines); status != kOk) return status;
          if (read != kStatusEndOfFile) return Shown(read, walk.Op(), records::kFileQuoteLines);
        }
        return RemoveCurrent(headers, records::kFileQuoteHeaders);
      });
  quotes.TableClose();
  return result;
}

// --- Work not yet posted ------------------------------------------------------------------------

namespace {

std::string Folded(std::string_view code) {
  std::string out(code.substr(0, oem::TrimmedLength(code)));
  for (char& c : out) c = static_cast<char>(oem::ToUpper(static_cast<unsigned char>(c)));
  return out;
}

// Reads every record of file `fileNo` by key 0, handing each to `visit`.
template <class Record, class Visit>
int ReadAll(BtrvHandle handle, int fileNo, Visit visit) {
  if (handle == 0) return kStatusOk;
  const int status = Walk<Record>(handle, fileNo, 0, nullptr, [](const Record&) { return true; },
                                  [&](const Record& r, bool*) { return visit(r); });
  return status == kPurged || status == kNothingPurged ? kStatusOk : status;
}

// The lines of billing, purchasing or purchase-order headers still to
// post (still open): their products and services, or, with `accounts`,
// their customer or vendor.
int GatherBiPo(int headerFileNo, BtrvHandle headers, BtrvHandle lines, bool accounts, PendingCodes* out) {
  const bool orders = headerFileNo == records::kFileOrderHeaders;
  return ReadAll<TagBiPoHeader>(headers, headerFileNo, [&](const TagBiPoHeader& h) -> int {
    if (h.closedFlag == 'Y' || (!orders && h.postedFlag == 'Y')) return kStatusOk;
    if (orders) {
      int status = kStatusOk;
      if (OrderComplete(lines, h, &status)) return status;
    }
    if (accounts) {
      out->Add(records::Trimmed(h.custVendCode));
      return kStatusOk;
    }
    if (lines == 0) return kStatusOk;
    BiPoLineWalk walk(lines, headerFileNo, h);
    records::BiPoLine line{};
    int read = kStatusOk;
    while ((read = walk.Next(&line)) == kStatusOk)
      if (line.IsProductLine() || line.lineKind == 6) out->Add(records::Trimmed(line.item));
    return read == kStatusEndOfFile ? kStatusOk : Shown(read, walk.Op(), walk.LineFileNo());
  });
}

}  // namespace

void PendingCodes::Add(std::string_view code) {
  std::string folded = Folded(code);
  if (!folded.empty()) codes_.insert(std::move(folded));
}

bool PendingCodes::Names(std::string_view code) const { return codes_.count(Folded(code)) != 0; }

int GatherPendingCodes(int accounts, const PendingFiles& f, PendingCodes* out) {
  using records::AssemblyComponent;
  using records::AssemblyHeader;
  using records::TagRecPayHeader;
  const bool custVend = accounts == records::kFileCustomers || accounts == records::kFileVendors;
  int status = kStatusOk;
  auto ledger = [&](BtrvHandle headers, int fileNo) {
    return ReadAll<TagRecPayHeader>(headers, fileNo, [&](const TagRecPayHeader& h) {
      if (!PostedOrDeleted(h.postedFlag, h.IsDeleted())) out->Add(records::Trimmed(h.custVendCode));
      return kStatusOk;
    });
  };
  if (custVend) {
    if (status == kStatusOk) status = ledger(f.receivables, records::kFileReceivablesHeaders);
    if (status == kStatusOk) status = ledger(f.payables, records::kFilePayablesHeaders);
  }
  if (status == kStatusOk)
    status = GatherBiPo(records::kFileBillingHeaders, f.billing, f.billingLines, custVend, out);
  if (status == kStatusOk)
    status = GatherBiPo(records::kFilePurchasingHeaders, f.purchasing, f.purchasingLines, custVend, out);
  if (status == kStatusOk) status = GatherBiPo(records::kFileOrderHeaders, f.orders, f.orderLines, custVend, out);
  if (custVend || status != kStatusOk) return status;

  // Assemblies not posted: the item they make and each component.
  std::set<std::string> assemblies;
  status = ReadAll<AssemblyHeader>(f.assemblies, records::kFileAssemblyHeaders, [&](const AssemblyHeader& h) {
    if (PostedOrDeleted(h.postedFlag, h.IsDeleted())) return kStatusOk;
    out->Add(records::Trimmed(h.productCode));
    assemblies.insert(std::string(records::Trimmed(h.transactionNumber)));
    return kStatusOk;
  });
  if (status == kStatusOk && !assemblies.empty())
    status = ReadAll<AssemblyComponent>(f.components, records::kFileAssemblyComponents,
                                        [&](const AssemblyComponent& c) {
                                          if (assemblies.count(std::string(records::Trimmed(c.transactionNumber))))
                                            out->Add(records::Trimmed(c.componentCode));
                                          return kStatusOk;
                                        });
  if (status == kStatusOk)
    status = ReadAll<records::InventoryTransaction>(
        f.activity, records::kFileInventoryTransactions, [&](const records::InventoryTransaction& t) {
          if (records::UnpostedForPosting(t.postedFlag)) out->Add(records::Trimmed(t.productCode));
          return kStatusOk;
        });
  return status;
}

// --- Master records up to a cut-off date ----------------------------------------------------------

namespace {

bool NoAmount(double a) { return NumIsZero(a); }

// True when the open-invoice file holds a line of the account.
bool HasOpenItems(BtrvHandle openItems, int openItemsFile, const records::CustVendRecord& account, int* status) {
  if (openItems == 0) return false;
  BtrvKeyScope keyScope(openItems);
  BtrvSetKey(openItems, 0, -1);
  char key[255] = {};
  std::memcpy(key, account.code, sizeof account.code);
  records::TagOpenInvoice line{};
  const int read = BtrvGetOp(kOpGetGreaterOrEqual, openItems, key, &line, sizeof line);
  if (read == kStatusEndOfFile || read == kStatusKeyNotFound) return false;
  if (read != kStatusOk) {
    *status = Shown(read, kOpGetGreaterOrEqual, openItemsFile);
    return true;
  }
  return oem::CompareText(records::Trimmed(line.code), records::Trimmed(account.code)) == 0;
}

// Removes the current record of a master walk with its user-defined data.
template <class Record>
int RemoveWithUserData(BtrvHandle handle, int fileNo, CQxRelatedTable* userData, const Record& r,
                       int userDataFile) {
  if (const int status = RemoveCurrent(handle, fileNo); status != kStatusOk) return status;
  if (userData->Find(&r) && !userData->Delete()) return Shown(userData->GetResult(), kOpDelete, userDataFile);
  if (userData->GetResult() != kStatusOk) return Shown(userData->GetResult(), kOpGetGreaterOrEqual, userDataFile);
  return kOk;
}

}  // namespace

int PurgeCustVendAccounts(int fileNo, BtrvHandle accounts, BtrvHandle userData, BtrvHandle openItems,
                          const PendingCodes& pending, std::int32_t cutOff) {
  using records::CustVendRecord;
  CQxUDFDCV data(fileNo);
  data.SetHandle(userData);
  const int dataFile = fileNo == records::kFileVendors ? records::kFileVendorUserData : records::kFileCustomerUserData;
  return MasterPurge<CustVendRecord>(
      accounts, fileNo,
      [&](const CustVendRecord& c, int* status) {
        if (c.lastInvoiceDate == 0 || c.lastInvoiceDate > cutOff) return false;
        if (!NoAmount(c.periodStartBalance) || !NoAmount(c.periodDebits) || !NoAmount(c.periodCredits) ||
            !NoAmount(c.balance))
          return false;
        if (pending.Names(records::Trimmed(c.code))) return false;
        // Open items still name the account: they would be left without it.
        const int itemsFile = fileNo == records::kFileVendors ? records::kFilePayablesOpenInvoices
                                                              : records::kFileReceivablesOpenInvoices;
        return !HasOpenItems(openItems, itemsFile, c, status);
      },
      [&](const CustVendRecord& c) { return RemoveWithUserData(accounts, fileNo, &data, c, dataFile); },
      [](const CustVendRecord& c) { NoteFileDelete(c.noteFile, sizeof c.noteFile); });
}

int PurgeServices(int fileNo, BtrvHandle services, BtrvHandle bills, BtrvHandle userData,
                  const PendingCodes& pending, std::int32_t cutOff) {
  using records::ServiceRecord;
  CQxUDFDPS data(fileNo);
  data.SetHandle(userData);
  return MasterPurge<ServiceRecord>(
      services, fileNo,
      [&](const ServiceRecord& s, int* status) {
        if (s.lastSaleDate == 0 || s.lastSaleDate > cutOff || pending.Names(records::Trimmed(s.code))) return false;
        // A bill of materials that uses the service would be left without it.
        if (bills == 0 || UdfCodeInBills(s.code, bills, status) == 0) return true;
        if (*status != kStatusOk) *status = Shown(*status, kOpGetGreaterOrEqual, records::kFileBillsOfMaterials);
        return false;
      },
      [&](const ServiceRecord& s) {
        return RemoveWithUserData(services, fileNo, &data, s, records::kFileServiceUserData);
      },
      [](const ServiceRecord& s) { NoteFileDelete(s.noteFile, sizeof s.noteFile); });
}

int PurgeProducts(int fileNo, BtrvHandle products, BtrvHandle bills, BtrvHandle userData,
                  const PendingCodes& pending, std::int32_t cutOff, ProductPurgeDate by) {
  using records::TagProduct;
  CQxUDFDPS data(fileNo);
  data.SetHandle(userData);
  CProductBitmapTbl pictures;
  if (!pictures.Open()) {
    MsgRecordError(pictures.GetResult(), 1, kErrorOpOpen, records::kFileProductPictures, 0);
    return kPictureTableFailed;
  }
  const int result = Walk<TagProduct>(
      products, fileNo, 0, nullptr, [](const TagProduct&) { return true; },
      [&](const TagProduct& p, bool* removed) {
        ShowRecord(Shown(p.number));
        const std::int32_t date = by == ProductPurgeDate::kLastPurchase ? p.lastPurchaseDate : p.lastSaleDate;
        if (date == 0 || date > cutOff) return kOk;
        if (!NoAmount(p.valueOnHand) || p.quantityOnHand != 0.0 || p.secondQuantityOnHand != 0.0 ||
            p.purgeHold != 0.0 || p.assemblyFlag == 'Y' || pending.Names(records::Trimmed(p.number)))
          return kOk;
        int status = kStatusOk;
        if (UdfRecordTest(&p, bills, &status) != 0)
          return status == kStatusOk ? kOk : Shown(status, kOpGetGreaterOrEqual, records::kFileBillsOfMaterials);
        *removed = true;
        status = AsOneUnit(fileNo, [&] {
          if (const int st = RemoveWithUserData(products, fileNo, &data, p, records::kFileProductUserData);
              st != kStatusOk)
            return st;
          if (pictures.Find(&p) && !pictures.Delete())
            return Shown(pictures.GetResult(), kOpDelete, records::kFileProductPictures);
          if (pictures.GetResult() != kStatusOk)
            return Shown(pictures.GetResult(), kOpGetGreaterOrEqual, records::kFileProductPictures);
          return kOk;
        });
        if (status == kStatusOk) NoteFileDelete(p.noteFile, sizeof p.noteFile);
        return status;
      });
  pictures.Close();
  return result;
}

int PurgeProductHistoryDetail(int fileNo, BtrvHandle details, BtrvHandle products, std::int32_t cutOff) {
  using records::InventoryTransaction;
  return Walk<InventoryTransaction>(
      details, fileNo, 0, nullptr, [](const InventoryTransaction&) { return true; },
      [&](const InventoryTransaction& t, bool* removed) {
        ShowRecord(Shown(t.productCode), Shown(t.transactionNumber));
        // An entered transaction not yet posted is no history: it stays for
        // its posting.
        if (records::UnpostedForPosting(t.postedFlag) || t.date > cutOff) return kOk;
        *removed = true;
        return AsOneUnit(fileNo, [&] {
          // The product keeps what its purged history moved.
          BtrvKeyScope keyScope(products);
          BtrvSetKey(products, 0, -1);
          char key[255] = {};
          std::memcpy(key, t.productCode, sizeof t.productCode);
          records::TagProduct p{};
          const int read = BtrvGetOp(kOpGetEqual, products, key, &p, sizeof p);
          if (read == kStatusOk) {
            p.purgedQuantity = p.purgedQuantity + t.quantity;
            p.purgedAmount = NumRound(p.purgedAmount + t.extendedAmount, 2);
            if (const int status = BtrvWriteOp(kOpUpdate, products, nullptr, &p, sizeof p); status != kStatusOk)
              return Shown(status, kOpUpdate, records::kFileProducts);
          } else if (read != kStatusKeyNotFound) {
            return Shown(read, kOpGetEqual, records::kFileProducts);
          }
          return RemoveCurrent(details, fileNo);
        });
      });
}

int PurgeAuditTrailLog(int fileNo, BtrvHandle log, std::int32_t cutOff) {
  using records::AuditLogEntry;
  return Walk<AuditLogEntry>(
      log, fileNo, 0, nullptr, [](const AuditLogEntry&) { return true; },
      [&](const AuditLogEntry& e, bool* removed) {
        ShowRecord(std::to_string(static_cast<std::int32_t>(e.entryNumber)));
        if (e.date > cutOff) return kOk;
        *removed = true;
        return AsOneUnit(fileNo, [&] { return RemoveCurrent(log, fileNo); });
      });
}

// --- Promotions ------------------------------------------------------------------------------------

namespace {

template <class Record>
std::string Entry(const Record& r) {
  char text[48];
  std::snprintf(text, sizeof text, "%s - %d", Shown(r.code).c_str(), static_cast<int>(r.number));
  return text;
}

bool Inside(std::int32_t first, std::int32_t last, PurgeWindow w) { return first >= w.from && last <= w.through; }

class PromotionPurge {
 public:
  PromotionPurge(BtrvHandle headers, BtrvHandle details, BtrvHandle customers, PurgeWindow window)
      : headers_(headers), details_(details), customers_(customers), window_(window) {}

  int Run() {
    if (const int status = Details(); status != kStatusOk) return status;
    if (const int status = Headers(); status != kStatusOk) return status;
    return changed_ ? kPurged : kNothingPurged;
  }

 private:
  // Each promotion's details, then (all gone) its customers and its mark,
  // as one unit.
  int Details() {
    BtrvKeyScope keyScope(details_);
    BtrvSetKey(details_, 0, -1);
    char key[255] = {};
    records::PromotionDetail d{};
    int status = BtrvGetOp(kOpGetFirst, details_, key, &d, sizeof d);
    if (status != kStatusOk) return status == kStatusEndOfFile ? kOk : Shown(status, kOpGetFirst, kDetails);
    while (status == kStatusOk) {
      const records::PromotionDetail first = d;
      int next = kStatusOk;
      const int done = AsOneUnit(kDetails, [&] {
        bool allGone = true;
        ShowRecord("Deleting... ", Entry(first));
        while (next == kStatusOk && SameCode(d.code, first.code)) {
          if (Inside(d.firstDate, d.lastDate, window_)) {
            if (const int st = RemoveCurrent(details_, kDetails); st != kStatusOk) return st;
            changed_ = true;
          } else {
            allGone = false;
          }
          next = BtrvGetOp(kOpGetNext, details_, key, &d, sizeof d);
        }
        if (next != kStatusOk && next != kStatusEndOfFile) return Shown(next, kOpGetNext, kDetails);
        return allGone ? Customers(first) : kStatusOk;
      });
      if (done != kStatusOk) return done;
      status = next;
    }
    return kOk;
  }

  // The promotion's customers inside the window go; with none left, the
  // promotion is marked for the header pass.
  int Customers(const records::PromotionDetail& promotion) {
    ShowRecord("Searching Header...", Entry(promotion));
    records::Promotion header{};
    const int found = ReadHeader(promotion.code, &header);
    // Details without their promotion: there is nothing to mark.
    if (found == kStatusKeyNotFound) return kOk;
    if (found != kStatusOk) return found;
    ShowRecord("Searching Customer Detail...", Entry(promotion));
    BtrvKeyScope keyScope(customers_);
    BtrvSetKey(customers_, 0, -1);
    char key[255] = {};
    std::memcpy(key, promotion.code, sizeof promotion.code);
    records::PromotionCustomer c{};
    bool allGone = true;
    int op = kOpGetGreaterOrEqual;
    int status = BtrvGetOp(op, customers_, key, &c, sizeof c);
    while (status == kStatusOk && SameCode(c.code, promotion.code)) {
      if (Inside(header.startDate, header.endDate, window_)) {
        if (const int st = RemoveCurrent(customers_, kCustomers); st != kStatusOk) return st;
        changed_ = true;
      } else {
        allGone = false;
      }
      op = kOpGetNext;
      status = BtrvGetOp(op, customers_, key, &c, sizeof c);
    }
    if (status != kStatusOk && status != kStatusEndOfFile) return Shown(status, op, kCustomers);
    if (!allGone) return kOk;
    header.purgeMark = 'Y';
    if (const int st = BtrvWriteOp(kOpUpdate, headers_, nullptr, &header, sizeof header); st != kStatusOk)
      return Shown(st, kOpUpdate, kHeaders);
    changed_ = true;
    return kOk;
  }

  // The marked promotions inside the window go.
  int Headers() {
    const int result = Walk<records::Promotion>(
        headers_, kHeaders, 0, nullptr, [](const records::Promotion&) { return true; },
        [&](const records::Promotion& h, bool* removed) {
          ShowRecord("Searching Header...", Shown(h.code));
          if (h.purgeMark != 'Y' || !Inside(h.startDate, h.endDate, window_)) return kOk;
          *removed = true;
          return AsOneUnit(kHeaders, [&] { return RemoveCurrent(headers_, kHeaders); });
        });
    if (result == kPurged) changed_ = true;
    return result == kPurged || result == kNothingPurged ? kOk : result;
  }

  int ReadHeader(const char (&code)[11], records::Promotion* header) {
    BtrvSetKey(headers_, 0, -1);
    char key[255] = {};
    std::memcpy(key, code, sizeof code);
    const int status = BtrvGetOp(kOpGetEqual, headers_, key, header, sizeof *header);
    if (status == kStatusOk || status == kStatusKeyNotFound) return status;
    return Shown(status, kOpGetEqual, kHeaders);
  }

  static bool SameCode(const char (&a)[11], const char (&b)[11]) {
    return oem::CompareText(records::Trimmed(a), records::Trimmed(b)) == 0;
  }

  static constexpr int kHeaders = records::kFilePromotions;
  static constexpr int kDetails = records::kFilePromotionDetails;
  static constexpr int kCustomers = records::kFilePromotionCustomers;
  BtrvHandle headers_, details_, customers_;
  PurgeWindow window_;
  bool changed_ = false;
};

}  // namespace

int PurgePromotionalPrices(int, BtrvHandle headers, BtrvHandle details, BtrvHandle customers, PurgeWindow window) {
  return PromotionPurge(headers, details, customers, window).Run();
}

// --- Empty notes ------------------------------------------------------------------------------------

namespace {

// Clears the note names of `Record`s of file `fileNo` whose files are
// missing; *read counts the records read.
template <class Record, std::size_t N, std::size_t M>
int ClearMissingNotes(BtrvHandle handle, int fileNo, char (Record::*code)[N], char (Record::*note)[M], long* read) {
  const int result = Walk<Record>(
      handle, fileNo, 0, nullptr, [](const Record&) { return true; },
      [&](const Record& r, bool*) {
        ++*read;
        ShowRecord(Shown(r.*code));
        if (NoteFileFind(r.*note, M, nullptr) != NoteFileState::kMissing) return kOk;
        Record cleared = r;
        std::memset(cleared.*note, 0, M);
        return AsOneUnit(fileNo, [&] {
          const int status = BtrvWriteOp(kOpUpdate, handle, nullptr, &cleared, sizeof cleared);
          return status == kStatusOk ? kOk : Shown(status, kOpUpdate, fileNo);
        });
      });
  return result == kNothingPurged ? kOk : result;
}

}  // namespace

int PurgeEmptyNotes(const BtrvHandle* handles, const int* fileNos) {
  long read = 0;
  for (int i = 0; handles[i] != 0 && fileNos[i] != 0; ++i) {
    int status = kStatusOk;
    switch (fileNos[i]) {
      case records::kFileCustomers:
      case records::kFileVendors:
        status = ClearMissingNotes(handles[i], fileNos[i], &records::CustVendRecord::code,
                                   &records::CustVendRecord::noteFile, &read);
        break;
      case records::kFileProducts:
        status = ClearMissingNotes(handles[i], fileNos[i], &records::TagProduct::number,
                                   &records::TagProduct::noteFile, &read);
        break;
      case records::kFileServices:
        status = ClearMissingNotes(handles[i], fileNos[i], &records::ServiceRecord::code,
                                   &records::ServiceRecord::noteFile, &read);
        break;
      case records::kFileNotes:
        status = ClearMissingNotes(handles[i], fileNos[i], &records::NoteRecord::code, &records::NoteRecord::noteFile,
                                   &read);
        break;
      default: break;
    }
    if (status != kStatusOk) return status;
  }
  return read > 0 ? kPurged : kNothingPurged;
}
