// Inventory posting: the entered inventory adjustments of file 62 (source
// 'T') that are unposted and dated up to the posting date are posted in date
// order (key 2).  A stock-out (kind '5') is priced from its product by the
// costing method; every adjustment moves its product's quantity and value;
// its amount goes to the general ledger against the inventory account of the
// interface settings: a kind that brings stock or value in ('1' quantity
// in, '6' a transfer in, '7' the value raised) debits inventory and credits
// the transaction's account, any other kind the other way round.  Each fiscal
// period gets one G/L transaction of journal "IA", dated the period's last
// day, whose lines are merged per account and side.  An adjustment entered
// with second source 'D' is marked posted without being posted.
//
// The run makes two passes.  The check pass reads every candidate and asks
// about a transaction whose account or product is not on file, whose product
// carries no stock (its value would reach the inventory account but no
// product's stock), or whose date lies in a closed fiscal period or in none:
// "stop" ends the run with nothing posted, "skip" leaves the transaction
// unposted and unmarked.  The posting pass then posts the candidates that
// passed.  The summary shows the debits and credits of the lines written.
//
// Each transaction is one posting unit (qxabase/posting.h): its mark, its
// pricing and product update, its lines merged into its period's "IA"
// transaction and their effect on the accounts and period amounts are
// committed together.  The "IA" header is written posted with the first
// transaction of its period, and its amount is kept current in each unit.
// So after a stop or a kill at any moment every transaction is wholly
// posted or untouched, the inventory account moves with the products'
// values, no "IA" transaction waits for the general-ledger posting, and a
// rerun posts nothing twice.
#include "posting/inventory_posting.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "adjustment_kinds.h"
#include "periodic/periodic_frame.h"
#include "posting/posting_frame.h"
#include "qxabase.h"
#include "qxabase/posting.h"
#include "qxabase/recpay_posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace {

using posting::kPostingMode;
using posting::PostingFrame;
using posting::ShownText;
using records::GLLine;
using records::InventoryTransaction;
using records::TagGLHeader;
using records::TagProduct;

constexpr int kFormInventoryPost = 328;
constexpr int kReferenceField = 3;
constexpr int kFiles[] = {records::kFileInventoryTransactions | kPostingMode,  // walked by posted flag and date
                          records::kFileProducts | kFileModeExclusive,
                          records::kFileGLHeaders,
                          records::kFileGLLines,
                          records::kFileTranSequences,
                          records::kFileGLAccounts,
                          0};
constexpr int kPostedDateKey = 2;  // posted flag, date

constexpr int kTitleInventoryPost = 685;
constexpr int kMsgNothingToPost = 197;
constexpr int kMsgSummary = 511;                // %1 posted, %2 debits, %3 credits
constexpr int kMsgAccountMissing = 1665;        // %1 account, %2 transaction
constexpr int kMsgProductMissing = 1667;        // %1 product, %2 transaction
constexpr int kMsgInventoryMissing = 1669;      // %1 account
constexpr int kMsgInventorySummary = 1671;      // %1 account
constexpr int kMsgNoInventoryAccount = 1673;
constexpr int kMsgPeriodClosed = 1675;          // %1 transaction, %2 kind, %3 product, %4 date, %5 period
constexpr int kMsgNoPeriod = 1677;              // %1 transaction, %2 kind, %3 product, %4 date
constexpr int kMsgNoStock = 1679;               // %1 product, %2 transaction, %3 kind

constexpr char kJournal[] = "IA";
constexpr char kLineDescription[] = "Summary Inventory Post";

// The status box: the transaction in hand.
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = 40, .mask = "%-10s"},
    {},
};

struct Unit {
  records::InterfaceRecord iface{};
};

int PostInventory(PostingFrame* frame);

constexpr posting::PostingScreen kScreen = {kFormInventoryPost, "RSInventoryPost", kLedgerGeneral, 0, kFiles,
                                            PostInventory, nullptr};

}  // namespace

int RunInventoryPost() {
  if (!ModulesAvailable(0, 3)) return 0;
  Unit unit;
  posting::RunPostingScreen(kScreen, &unit);
  return 0;
}

namespace {

// Stock units per cost unit: costs are per this many units; below 1 counts as 1.
int Divisor(const TagProduct& p) { return p.purchaseUnitFactor < 1 ? 1 : p.purchaseUnitFactor; }

// A transaction that the check pass let through, by its record position.
struct Candidate {
  std::uint8_t position[4];
};

// The "IA" transaction of one fiscal period in this run.
struct PeriodTransaction {
  TagGLHeader header{};
  bool written = false;
  int debitLine = 1, creditLine = 10000;
};

// One F10: the files of the screen, the candidates the check pass let
// through, the "IA" transaction of each period the posting pass wrote, and
// the debits and credits of the lines it wrote.
class CInventoryPost {
 public:
  CInventoryPost(PostingFrame* frame, const records::InterfaceRecord& iface, std::int32_t endDate)
      : adjustments_(frame->Handle(records::kFileInventoryTransactions)),
        products_(frame->Handle(records::kFileProducts)),
        headers_(frame->Handle(records::kFileGLHeaders)),
        lines_(frame->Handle(records::kFileGLLines)),
        sequences_(frame->Handle(records::kFileTranSequences)),
        accounts_(frame->Handle(records::kFileGLAccounts)),
        endDate_(endDate),
        inventory_(ShownText(iface.inventoryAccount)),
        costing_(SysCodeGet(kSysCodeCosting)) {
    char text[32] = "";
    FieldGetText(&frame->form, kReferenceField, text, sizeof text);
    reference_ = ShownText(text, sizeof text);
  }

  void Run();

 private:
  enum class Check { kPost, kSkip, kStop };

  // The walk of key 2 from the first unposted record; the key buffer
  // carries the walk's place from one read to the next.
  int ReadFirst() {
    BtrvSetKey(adjustments_, kPostedDateKey, -1);
    std::memset(key_, 0, sizeof key_);
    key_[0] = 'N';
    return BtrvGetOp(kOpGetGreaterOrEqual, adjustments_, key_, &tran_, sizeof tran_);
  }
  int ReadNext() { return BtrvGetOp(kOpGetNext, adjustments_, key_, &tran_, sizeof tran_); }
  // True while the record read is an unposted one dated up to the posting date.
  bool InRange() const { return tran_.postedFlag == 'N' && tran_.date <= endDate_; }
  std::string Number() const { return ShownText(tran_.transactionNumber); }

  bool CheckPass();
  bool CheckInventoryAccount();
  Check CheckTransaction();
  Check CheckPeriod();
  bool PostingPass();
  bool PostTransaction();
  bool PeriodOf(std::int32_t date);
  bool PriceAndMove(TagProduct* product, double* value);
  // The adjustment in hand brings stock or value in: quantity in ('1'), a
  // transfer in ('6'), the value raised ('7').
  bool StocksIn() const { return tran_.kind == '1' || tran_.kind == '6' || tran_.kind == '7'; }
  bool PostLines(double value);
  bool PostLine(PeriodTransaction& t, const std::string& account, char side, double amount);
  bool Fail(int status, int op, int fileNo) {
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, op, fileNo, 0);
    return false;
  }
  bool FailWork() { return Fail(work_.status, work_.operation, work_.fileNo); }

  const BtrvHandle adjustments_, products_, headers_, lines_, sequences_, accounts_;
  const std::int32_t endDate_;
  const std::string inventory_;
  const char costing_;
  std::string reference_;

  TagPostWork work_{};
  char key_[255] = {};
  InventoryTransaction tran_{};
  records::FiscalPeriodInfo period_{};  // of the transaction in hand
  bool periodKnown_ = false;
  bool inventoryChecked_ = false;
  records::PeriodsRecord fiscalPeriods_{};  // "0Periods", read once by the check pass
  int periodsStatus_ = -1;                  // of that read; -1 not read yet
  std::optional<periodic::StatusBoxGuard> box_;  // from the first transaction on
  std::vector<Candidate> candidates_;
  std::map<std::int32_t, PeriodTransaction> periods_;  // by the period's last day
  long postedCount_ = 0;
  double debits_ = 0, credits_ = 0;
};

void CInventoryPost::Run() {
  if (!CheckPass()) return;
  if (candidates_.empty()) {
    MsgShow(kMsgNothingToPost, 1);
    return;
  }
  if (!PostingPass()) return;
  CommandDone();
  if (postedCount_ == 0)
    MsgShow(kMsgNothingToPost, 1);
  else
    PostSummary(kMsgSummary, 0, postedCount_, debits_, credits_);
}

// Reads every candidate and keeps those to post.  False when the run stops
// (the user has been told why); nothing is written.
bool CInventoryPost::CheckPass() {
  int op = kOpGetGreaterOrEqual;
  int status = ReadFirst();
  for (; status == kStatusOk && InRange(); op = kOpGetNext, status = ReadNext()) {
    // Activity that other postings wrote is theirs, whatever it holds.
    if (!tran_.IsEntered()) continue;
    if (!box_) {
      box_.emplace(periodic::StatusBoxLayout{.width = 54, .title = kTitleInventoryPost, .fields = kStatusLines});
      StatusBoxLabel(1, "Transaction");
    }
    const std::string number = Number();
    StatusBoxRecord(-1, number.c_str(), 0);
    if (tran_.secondSource != 'D') {
      const Check check = CheckTransaction();
      if (check == Check::kStop) return false;
      if (check == Check::kSkip) continue;
    }
    Candidate c{};
    if (const int s = BtrvPosition(kOpGetDirect, adjustments_, c.position); s != kStatusOk)
      return Fail(s, kOpGetDirect, records::kFileInventoryTransactions);
    candidates_.push_back(c);
  }
  if (status != kStatusOk && status != kStatusEndOfFile && status != kStatusKeyNotFound)
    return Fail(status, op, records::kFileInventoryTransactions);
  return true;
}

// The inventory account must be a detail account of the chart.  Asked once.
bool CInventoryPost::CheckInventoryAccount() {
  if (inventoryChecked_) return true;
  if (inventory_.empty()) {
    MsgShow(kMsgNoInventoryAccount, 1);
    return false;
  }
  records::GLAccount account{};
  const int status = PostReadAccount(1, accounts_, inventory_.c_str(), &account, &work_);
  if (status == kStatusKeyNotFound || status == kStatusEndOfFile) {
    MsgShowArgs(kMsgInventoryMissing, 0, kButtonsStop, 1, inventory_.c_str(), 0);
    return false;
  }
  if (status != kStatusOk) return FailWork();
  if (!account.IsDetail()) {
    MsgShowArgs(kMsgInventorySummary, 0, kButtonsStop, 1, inventory_.c_str(), 0);
    return false;
  }
  inventoryChecked_ = true;
  return true;
}

// The check of one transaction: the inventory account, an open period for
// its date, its account and its product, which must carry stock.
CInventoryPost::Check CInventoryPost::CheckTransaction() {
  if (!CheckInventoryAccount()) return Check::kStop;
  bool skip = false;
  switch (CheckPeriod()) {
    case Check::kStop: return Check::kStop;
    case Check::kSkip: skip = true; break;
    case Check::kPost: break;
  }
  const std::string number = Number();
  records::GLAccount account{};
  int status = PostReadAccount(1, accounts_, tran_.glAccount, &account, &work_);
  if (status == kStatusKeyNotFound || status == kStatusEndOfFile) {
    const std::string code = ShownText(tran_.glAccount);
    if (MsgShowArgs(kMsgAccountMissing, 403, kButtonsStopSkip, 1, code.c_str(), number.c_str(), 0) == kPostStop)
      return Check::kStop;
    skip = true;
  } else if (status != kStatusOk) {
    FailWork();
    return Check::kStop;
  }
  TagProduct product{};
  const std::string code = ShownText(tran_.productCode);
  status = PostReadRecordWork(products_, records::kFileProducts, code.c_str(), &product, &work_);
  if (status == kStatusKeyNotFound || status == kStatusEndOfFile) {
    if (MsgShowArgs(kMsgProductMissing, 404, kButtonsStopSkip, 1, code.c_str(), number.c_str(), 0) == kPostStop)
      return Check::kStop;
    skip = true;
  } else if (status != kStatusOk) {
    FailWork();
    return Check::kStop;
  } else if (!product.CarriesStock()) {
    // Its value would reach the inventory account but no product's stock.
    if (MsgShowArgs(kMsgNoStock, 404, kButtonsStopSkip, 1, code.c_str(), number.c_str(),
                    AdjustmentKindName(tran_.kind), 0) == kPostStop)
      return Check::kStop;
    skip = true;
  }
  return skip ? Check::kSkip : Check::kPost;
}

// The transaction's date must lie in an open fiscal period.  One dated in a
// closed period, or in none, is named and asked about (stop, or skip it and
// post the others).
CInventoryPost::Check CInventoryPost::CheckPeriod() {
  if (periodsStatus_ < 0)
    periodsStatus_ = SettingsRecordRead(kSettingsRead, 0, sizeof fiscalPeriods_, "0Periods", &fiscalPeriods_);
  // Without the periods the base library tells why.
  if (periodsStatus_ != kStatusOk) return PeriodOf(tran_.date) ? Check::kPost : Check::kStop;
  records::FiscalPeriodInfo info{};
  const bool inPeriod = FiscalPeriodOfDateIn(fiscalPeriods_, kPeriodFillOnly, tran_.date, &info) == 0;
  if (inPeriod && fiscalPeriods_.entries[info.entryIndex].IsOpen()) return Check::kPost;
  const std::string number = Number(), code = ShownText(tran_.productCode);
  char date[16] = "";
  DateToText(date, tran_.date);
  const char* kind = AdjustmentKindName(tran_.kind);
  const int answer =
      inPeriod ? MsgShowArgs(kMsgPeriodClosed, 405, kButtonsStopSkip, 1, number.c_str(), kind, code.c_str(), date,
                             static_cast<int>(info.period), 0)
               : MsgShowArgs(kMsgNoPeriod, 405, kButtonsStopSkip, 1, number.c_str(), kind, code.c_str(), date, 0);
  return answer == kPostStop ? Check::kStop : Check::kSkip;
}

// The fiscal period of `date` into period_, checked open (the cause of a
// refusal is shown).  The period of the last date asked is kept.
bool CInventoryPost::PeriodOf(std::int32_t date) {
  if (periodKnown_ && date >= period_.startDate && date <= period_.endDate) return true;
  periodKnown_ = false;
  if (FiscalPeriodOfDate(kPeriodCheckOpen, date, &period_) != 0) return false;
  periodKnown_ = true;
  return true;
}

// Posts each candidate in a unit of its own.  False when the run stops.
bool CInventoryPost::PostingPass() {
  for (const Candidate& c : candidates_) {
    if (PostUnitBegin(&work_) != kStatusOk) return FailWork();
    std::memcpy(&tran_, c.position, sizeof c.position);
    const int status = BtrvGetOp(kOpGetDirect, adjustments_, nullptr, &tran_, sizeof tran_);
    if (status != kStatusOk) return Fail(status, kOpGetDirect, records::kFileInventoryTransactions);
    // Posted meanwhile (another program sharing the file): nothing to do.
    if (tran_.postedFlag != 'N') {
      PostUnitAbandon();
      continue;
    }
    StatusBoxRecord(-1, Number().c_str(), 0);
    const bool post = tran_.secondSource != 'D';
    if (post && !PostTransaction()) return false;
    tran_.postedFlag = 'Y';
    if (const int s = BtrvWriteOp(kOpUpdate, adjustments_, nullptr, &tran_, sizeof tran_); s != kStatusOk)
      return Fail(s, kOpUpdate, records::kFileInventoryTransactions);
    if (PostUnitCommit(&work_) != kStatusOk) return FailWork();
    if (post) ++postedCount_;
  }
  return true;
}

// The transaction in hand: its product and its general-ledger lines.
bool CInventoryPost::PostTransaction() {
  if (!PeriodOf(tran_.date)) return false;
  TagProduct product{};
  const std::string code = ShownText(tran_.productCode);
  const int status = PostReadRecordWork(products_, records::kFileProducts, code.c_str(), &product, &work_);
  if (status == kStatusKeyNotFound || status == kStatusEndOfFile) {
    MsgShowArgs(kMsgProductMissing, 404, kButtonsStop, 1, code.c_str(), Number().c_str(), 0);
    return false;
  }
  if (status != kStatusOk) return FailWork();
  if (!product.CarriesStock()) {  // made so since the check pass
    MsgShowArgs(kMsgNoStock, 404, kButtonsStop, 1, code.c_str(), Number().c_str(), AdjustmentKindName(tran_.kind), 0);
    return false;
  }
  double value = 0;
  if (!PriceAndMove(&product, &value)) return false;
  return PostLines(value);
}

// Prices a stock-out from the product and moves the product by the
// transaction: its quantity (both quantities on hand) and its value, and the
// average cost that follows from them.  `moved` receives what the product's
// value moved by.
bool CInventoryPost::PriceAndMove(TagProduct* product, double* moved) {
  const int divisor = Divisor(*product);
  double value = 0;  // what the product's value moves by
  if (tran_.kind == '5') {
    const double cost = product->CostByMethod(costing_);
    tran_.unitCost = cost;
    tran_.extendedAmount = NumRound(NumDivide(cost, divisor) * tran_.quantity, 2);
    value = tran_.extendedAmount;
  } else {
    const double stored = NumRound(tran_.extendedAmount, 2);
    value = StocksIn() ? (stored < 0 ? -stored : stored) : (stored < 0 ? stored : -stored);
  }
  *moved = value;
  product->valueOnHand = NumRound(product->valueOnHand + value, 2);
  product->quantityOnHand += tran_.quantity;
  product->secondQuantityOnHand += tran_.quantity;
  // An emptied product keeps its average, so that the next stock-out is
  // still priced at it.
  if (!NumIsZero(product->quantityOnHand))
    product->averageCost =
        NumRound(NumDivide(product->valueOnHand, NumDivide(product->quantityOnHand, divisor)), 4);
  const int status = BtrvWriteOp(kOpUpdate, products_, nullptr, product, sizeof *product);
  if (status != kStatusOk) return Fail(status, kOpUpdate, records::kFileProducts);
  return true;
}

// The transaction's two lines in its period's "IA" transaction, each posted
// into its account; the header is made with the period's first transaction
// and its amount (what the period's stock-ins added) kept current.
bool CInventoryPost::PostLines(double value) {
  PeriodTransaction& t = periods_[period_.endDate];
  TagGLHeader& h = t.header;
  // The inventory account moves as the product's value did, so that the
  // two always agree (a stock-out entered with a positive quantity too).
  const bool stockIn = value > 0 || (value == 0 && StocksIn());
  const double amount = value < 0 ? -value : value;
  if (!t.written) {
    h = TagGLHeader{};
    records::SetPadded(h.journalCode, kJournal);
    h.date = period_.endDate;
    records::SetText(h.reference, reference_);
    // Each unit posts its own lines into the accounts: nothing is left for
    // the general-ledger posting.
    h.postedFlag = 'Y';
    h.sourceFlag = 'N';
    h.checkFlag = 'N';
    h.amount = stockIn ? amount : 0;
    if (GLTranHeaderCreate(sequences_, &h, h.transactionNumber, &work_) != kStatusOk ||
        GLTranDetailCreate(headers_, &h, &work_) != kStatusOk)
      return FailWork();
  } else if (stockIn) {
    h.amount = NumRound(h.amount + amount, 2);
    char key[255] = {};
    std::memcpy(key, h.journalCode, sizeof h.journalCode);
    std::memcpy(key + sizeof h.journalCode, h.transactionNumber, sizeof h.transactionNumber);
    TagGLHeader stored{};
    int status = BtrvGetOp(kOpGetEqual, headers_, key, &stored, sizeof stored);
    if (status != kStatusOk) return Fail(status, kOpGetEqual, records::kFileGLHeaders);
    stored.amount = h.amount;
    status = BtrvWriteOp(kOpUpdate, headers_, nullptr, &stored, 0);
    if (status != kStatusOk) return Fail(status, kOpUpdate, records::kFileGLHeaders);
  }
  // The header is on file from here on, in this unit.
  t.written = true;
  const std::string account = ShownText(tran_.glAccount);
  if (!PostLine(t, inventory_, stockIn ? 'D' : 'C', amount)) return false;
  return PostLine(t, account, stockIn ? 'C' : 'D', amount);
}

bool CInventoryPost::PostLine(PeriodTransaction& t, const std::string& account, char side, double amount) {
  GLLine line{};
  std::memcpy(line.journalCode, t.header.journalCode, sizeof line.journalCode);
  std::memcpy(line.transactionNumber, t.header.transactionNumber, sizeof line.transactionNumber);
  records::SetText(line.account, account);
  records::SetText(line.description, kLineDescription);
  line.side = side;
  line.amount = amount;
  line.date = t.header.date;
  const GLLine booked = line;  // PostGLLine hands back the merged line
  if (PostGLLine(1, lines_, &t.debitLine, &t.creditLine, &line, &work_) != kStatusOk) return FailWork();
  if (PostGLLineToAccount(accounts_, &booked, &period_, &work_) != kStatusOk) return FailWork();
  // What the summary shows: the lines as the "IA" transactions hold them.
  double& total = side == 'D' ? debits_ : credits_;
  total = NumRound(total + NumRound(amount, 2), 2);
  return true;
}

// F10: the posting run.  Returns 1 (the screen is left), or 0x20 when the
// posting date is refused.
int PostInventory(PostingFrame* frame) {
  Unit& unit = *static_cast<Unit*>(frame->unit);
  const std::int32_t date = posting::PostingDateChecked(frame);
  if (date == 0) return 0x20;
  if (SettingsRecordRead(kSettingsRead, 0, sizeof unit.iface, "0Interface", &unit.iface) != 0) {
    MsgShow(kMsgNoInventoryAccount, 1);
    return 1;
  }
  PostRunStart();
  posting::RunEnd runEnd;
  CInventoryPost run(frame, unit.iface, date);
  run.Run();
  return 1;
}

}  // namespace
