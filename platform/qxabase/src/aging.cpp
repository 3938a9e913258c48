// Aging of open items: signed line amounts, the net of an invoice as of a
// date, and the account-aging block.
#include "qxabase/aging.h"

#include <cmath>
#include <cstring>

#include "qxabase/messages.h"
#include "ravadodo/text.h"
#include "records/amounts.h"
#include "records/dictionary.h"

namespace {

// The lines of one invoice: same account code and invoice number.
bool SameInvoice(const records::TagOpenInvoice& a, const records::TagOpenInvoice& b) {
  return records::Trimmed(a.code) == records::Trimmed(b.code) &&
         records::Trimmed(a.invoiceNumber) == records::Trimmed(b.invoiceNumber);
}

// Keeps a handle's current key and record across reads made on it, and puts
// them back on every way out.
class HandlePlace {
 public:
  explicit HandlePlace(BtrvHandle handle) : handle_(handle), key_(BtrvGetKey(handle)) {
    held_ = BtrvPosition(kOpGetDirect, handle_, position_) == kStatusOk;
  }
  ~HandlePlace() {
    if (key_ >= 0) BtrvSetKey(handle_, key_, -1);
    if (held_) BtrvPosition(0, handle_, position_);
  }
  HandlePlace(const HandlePlace&) = delete;
  HandlePlace& operator=(const HandlePlace&) = delete;

 private:
  BtrvHandle handle_;
  int key_;
  bool held_ = false;
  unsigned char position_[4] = {};
};

}  // namespace

bool AgingIsPayables(int openItemFileNo) { return openItemFileNo == records::kFilePayablesOpenInvoices; }

double AgingSignedAmount(int openItemFileNo, const records::TagOpenInvoice& item) {
  const double amount = item.amount;
  switch (item.lineType) {
    case 'P': return -amount;
    case 'C': return AgingIsPayables(openItemFileNo) ? amount : -amount;
    case 'D': return AgingIsPayables(openItemFileNo) ? -amount : amount;
    default: return amount;  // 'I', 'F' and anything else the ledger wrote as a charge
  }
}

double AgingLineEffect(int openItemFileNo, const records::TagOpenInvoice& item) {
  return AgingSignedAmount(openItemFileNo, item) - item.discount;
}

bool AgingIsPosted(const records::TagOpenInvoice& item) { return item.status == 'P' || item.status == 'F'; }

bool AgingRecordCheck(const records::TagOpenInvoice* item) {
  if (item == nullptr) return false;
  const std::string_view invoice = records::Trimmed(item->invoiceNumber);
  return invoice.find_first_not_of(' ') != std::string_view::npos;
}

std::int64_t AgingCents(double amount) {
  // Stored amounts are rounded to cents already; a double at cents lies
  // within far less than half a cent of its whole number of cents.  One
  // beyond what the system holds has no number of cents at all: the record
  // holding it is refused where it is read (RecordAmountsCheck).
  return records::IsSoundAmount(amount) ? std::llround(amount * 100.0) : 0;
}

void AgingDetailStep(AgingNet* net, const records::TagOpenInvoice* item, int openItemFileNo) {
  if (net == nullptr || item == nullptr) return;
  net->cents += AgingCents(AgingSignedAmount(openItemFileNo, *item)) - AgingCents(item->discount);
  net->net = static_cast<double>(net->cents) / 100.0;
  ++net->lines;
  switch (item->lineType) {
    case 'I': net->invoice = true; break;
    case 'P': net->payment = true; break;
    case 'C': net->credit = true; break;
    case 'D': net->debit = true; break;
    case 'F': net->finance = true; break;
    default: break;
  }
  if (!AgingIsPosted(*item)) net->notPosted = true;
}

int AgingItemAge(int openItemFileNo, BtrvHandle handle, std::int32_t asOfDate, void* keyBuffer,
                 records::TagOpenInvoice* item) {
  if (item == nullptr) return kStatusOk;
  HandlePlace place(handle);
  char ownKey[255];
  char* key = keyBuffer ? static_cast<char*>(keyBuffer) : ownKey;
  std::memset(key, 0, 255);
  std::memcpy(key, item->code, sizeof item->code);
  std::memcpy(key + sizeof item->code, item->invoiceNumber, sizeof item->invoiceNumber);
  BtrvSetKey(handle, 0, -1);
  records::TagOpenInvoice line{};
  AgingNet net;
  int op = kOpGetGreaterOrEqual;
  for (;; op = kOpGetNext) {
    const int status = BtrvGetOp(op, handle, key, &line, sizeof line);
    if (status == kStatusEndOfFile) break;
    if (status != kStatusOk) return MsgRecordError(status, 1, op, openItemFileNo, 0);
    if (!SameInvoice(line, *item)) break;
    if (line.invoiceDate <= asOfDate) AgingDetailStep(&net, &line, openItemFileNo);
  }
  item->amount = net.net;
  return kStatusOk;
}

// --- Balance-forward accounts -----------------------------------------------------------

void AgingApplyOldestFirst(const std::int64_t* charges, const std::int64_t* credits, std::int64_t* net, int count) {
  std::int64_t credit = 0;
  for (int i = 0; i < count; ++i) credit += credits[i];
  for (int i = 0; i < count; ++i) {
    const std::int64_t paid = charges[i] < credit ? charges[i] : credit;
    net[i] = charges[i] - paid;
    credit -= paid;
  }
  // Credits beyond every charge stay a credit where they were made.
  for (int i = count - 1; i >= 0 && credit > 0; --i) {
    const std::int64_t unspent = credits[i] < credit ? credits[i] : credit;
    net[i] -= unspent;
    credit -= unspent;
  }
}

// --- The account-aging block --------------------------------------------------------

int CustVendSelectInit(CustVendAccountBlock* block, std::int32_t asOfDate, int periodDays, int periodCount) {
  if (block == nullptr) return 1;
  std::memset(block, 0, sizeof *block);
  block->asOfDate = asOfDate;
  block->periodDays = static_cast<std::int16_t>(periodDays > 0 ? periodDays : 30);
  block->periodCount = static_cast<std::int16_t>(periodCount >= 1 && periodCount <= 3 ? periodCount : 3);
  return 0;
}

int CustVendSelectStep(CustVendAccountBlock* block, const records::CustVendRecord* record) {
  if (block == nullptr) return 1;
  const std::int16_t days = block->periodDays, count = block->periodCount;
  const std::int32_t asOf = block->asOfDate;
  std::memset(block, 0, sizeof *block);
  block->periodDays = days;
  block->periodCount = count;
  block->asOfDate = asOf;
  if (record != nullptr) {
    std::memcpy(block->code, record->code, sizeof block->code);
    block->balanceForward = record->IsBalanceForward() ? 1 : 0;
    block->creditLimit = static_cast<double>(record->creditLimit);
    block->lastSalesDate = static_cast<std::int32_t>(record->lastInvoiceDate);
    block->lastPaymentDate = static_cast<std::int32_t>(record->lastPaymentDate);
  }
  return 0;
}

namespace {

// The past-due amounts of a balance-forward account: its charges by age,
// paid by all its credits from the oldest on.  Slot 0 of the block's
// charges and credits is what is not yet due; the oldest comes first here.
void AgeBalanceForward(CustVendAccountBlock* block) {
  std::int64_t charges[4], credits[4], net[4];
  for (int i = 0; i < 4; ++i) {
    charges[i] = AgingCents(block->charges[3 - i]);
    credits[i] = AgingCents(block->credits[3 - i]);
  }
  AgingApplyOldestFirst(charges, credits, net, 4);
  block->pastDue3 = static_cast<double>(net[0]) / 100.0;
  block->pastDue2 = static_cast<double>(net[1]) / 100.0;
  block->pastDue1 = static_cast<double>(net[2]) / 100.0;
}

}  // namespace

int CustVendAccountStep(CustVendAccountBlock* block, const records::TagOpenInvoice* item, int openItemFileNo) {
  if (block == nullptr) return 1;
  if (item == nullptr) {
    if (block->balanceForward) AgeBalanceForward(block);
    const double pastDue = NumRound(block->pastDue1 + block->pastDue2 + block->pastDue3, 2);
    block->totalPastDue = pastDue;
    block->currentDue = NumRound(block->closingBalance - pastDue, 2);
    block->creditAvailable = NumRound(block->creditLimit - block->closingBalance, 2);
    block->finished = 1;
    return 0;
  }
  const double effect = AgingLineEffect(openItemFileNo, *item);
  block->balance = NumRound(block->balance + effect, 2);
  if (item->invoiceDate > block->asOfDate) return 0;
  block->closingBalance = NumRound(block->closingBalance + effect, 2);
  block->items = block->items + 1;
  const long days = static_cast<long>(block->asOfDate) - static_cast<long>(item->dueDate);
  const int length = block->periodDays > 0 ? block->periodDays : 30;
  const int last = block->periodCount >= 1 && block->periodCount <= 3 ? block->periodCount - 1 : 2;
  int period = days <= 0 ? -1 : static_cast<int>((days - 1) / length);
  if (period > last) period = last;
  // By age: slot 0 not yet due, slots 1-3 the periods past due.
  records::F64& slot = effect < 0 ? block->credits[period + 1] : block->charges[period + 1];
  slot = NumRound(slot + (effect < 0 ? -effect : effect), 2);
  switch (period) {
    case -1: break;
    case 0: block->pastDueItems1 = block->pastDueItems1 + 1; break;
    case 1: block->pastDueItems2 = block->pastDueItems2 + 1; break;
    default: block->pastDueItems3 = block->pastDueItems3 + 1; break;
  }
  if (block->balanceForward) {
    // What is past due follows every line: a later credit may pay an older charge.
    AgeBalanceForward(block);
    return 0;
  }
  if (period < 0) return 0;
  records::F64& pastDue = period == 0 ? block->pastDue1 : period == 1 ? block->pastDue2 : block->pastDue3;
  pastDue = NumRound(pastDue + effect, 2);
  return 0;
}
