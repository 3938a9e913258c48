// Physical-inventory posting: every count of file 36 whose quantity differs
// from the product's quantity on hand sets that quantity to the count, moves
// the product's value by the difference at the product's cost, leaves an
// activity record (file 62), and adds to one general-ledger transaction of
// journal "IN"; the counts are then cleared and the run is entered in the
// audit log.
//
// The G/L entry is the one the physical-inventory journal prints for the
// counts.  With "0Interface" mode 'I' each product's difference goes to the
// adjustment account joined with the product's department and the net to
// the inventory account; in any other mode the net goes to the inventory
// account against the company's adjustment account.
//
// The whole run is one posting unit: the products, their activity records,
// the G/L transaction posted into the accounts, the cleared counts and the
// audit entry are committed together.  A stop, a record-manager error or a
// kill leaves the books as before the run with every count still on file,
// so the counts can be corrected and posted again, and a rerun after a
// completed run finds nothing to post.
#include "posting/physical_inventory_posting.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "posting/posting_frame.h"
#include "qxabase.h"
#include "qxabase/accounts.h"
#include "qxabase/audit_log.h"
#include "qxabase/posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace {

using posting::kPostingMode;
using posting::PostingFrame;
using records::GLLine;
using records::InventoryTransaction;
using records::PhysicalCount;
using records::TagGLHeader;
using records::TagProduct;

constexpr int kFormPhysicalInventoryPost = 91;
constexpr int kReferenceField = 3;
constexpr int kFiles[] = {records::kFilePhysicalCounts | kPostingMode,
                          records::kFileProducts | kPostingMode,
                          records::kFileGLAccounts | kPostingMode,
                          records::kFileGLHeaders,
                          records::kFileGLLines,
                          records::kFileTranSequences,
                          records::kFileInventoryTransactions | kPostingMode,
                          0};

constexpr int kTitlePhysicalInventoryPost = 517;
constexpr int kMsgNothingToPost = 197;
constexpr int kMsgSummary = 511;               // %1 counted, %2 debits, %3 credits
constexpr int kMsgNotPrinted = 1357;
constexpr int kMsgProductMissing = 1359;         // %1 product
constexpr int kMsgAccountMissing = 1361;         // %1 account
constexpr int kMsgProductAccountMissing = 1363;  // %1 account, %2 product
constexpr int kMsgBelowCommitted = 1365;         // %1 product
constexpr int kMsgNoStock = 1383;                // %1 product
constexpr int kCostingSetting = 8;
constexpr int kUserLevelController = 5;

constexpr char kJournal[] = "IN";
constexpr char kLineDescription[] = "Summary PI Post";
constexpr char kQuantityFormat[] = "%11.4fF";

// The status box: the product in hand.
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = 26, .mask = "%-14s"},
    {},
};

// What the screen keeps between its entry and its run.
struct Unit {
  records::InterfaceRecord iface{};
  AuditLog audit;
};

int PostPhysicalInventory(PostingFrame* frame);

constexpr posting::PostingScreen kScreen = {kFormPhysicalInventoryPost, "RSPIPost", kLedgerPhysicalInventory,
                                            0, kFiles, PostPhysicalInventory, nullptr};

}  // namespace

int RunPhysicalInventoryPost() {
  Unit unit;
  // Without its interface record the company cannot say where the entry goes.
  if (SettingsRecordRead(kSettingsRead, 0, sizeof unit.iface, "0Interface", &unit.iface) != 0) return 0;
  const SharedAppBlock* app = SharedAppBlockGet();
  unit.audit.SetUser(app->userLevel == kUserLevelController ? "CONTROLLER" : app->userName);
  return posting::RunPostingScreen(kScreen, &unit);
}

namespace {

struct Files {
  BtrvHandle counts, products, accounts, headers, lines, sequences, activity;
};

// A stored text field as a string, without its trailing blanks.
std::string Trimmed(const char* field, std::size_t n) {
  std::size_t len = 0;
  while (len < n && field[len] != '\0') ++len;
  while (len > 0 && field[len - 1] == ' ') --len;
  return std::string(field, len);
}
template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  return Trimmed(field, N);
}

template <std::size_t N>
void Put(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// Ends the run's command work on every way out: a unit still open is
// abandoned, so nothing of a stopped run is kept.
struct RunEnd {
  ~RunEnd() { CommandFinish(); }
};
struct StatusBox {
  StatusBox() {
    StatusBoxOpen(5, -1, -1, 3, 45, 0);
    StatusBoxTitle(kTitlePhysicalInventoryPost);
    StatusBoxFields(kStatusLines, sizeof kStatusLines);
    StatusBoxShow(0);
    StatusBoxLabel(1, "Product");
  }
  ~StatusBox() { StatusBoxClose(); }
  StatusBox(const StatusBox&) = delete;
  StatusBox& operator=(const StatusBox&) = delete;
};

}  // namespace

double PhysicalCountValue(const TagProduct& product, double units, char costing) {
  return NumRound(NumDivide(units, product.purchaseUnitFactor) * product.CostByMethod(costing), 2);
}

namespace {

bool NotPrinted(const PhysicalCount& c) { return c.printedFlag == 'N' || c.printedFlag == 'n' || c.printedFlag == 0; }


class PhysicalInventoryRun {
 public:
  PhysicalInventoryRun(PostingFrame* frame, Unit& unit, std::int32_t date)
      : unit_(unit),
        f_{frame->Handle(records::kFilePhysicalCounts), frame->Handle(records::kFileProducts),
           frame->Handle(records::kFileGLAccounts),     frame->Handle(records::kFileGLHeaders),
           frame->Handle(records::kFileGLLines),        frame->Handle(records::kFileTranSequences),
           frame->Handle(records::kFileInventoryTransactions)},
        period_(frame->period),
        date_(date) {
    char text[32] = "";
    FieldGetText(&frame->form, kReferenceField, text, sizeof text);
    reference_ = Trimmed(text, sizeof text);
    costing_ = SysCodeGet(kCostingSetting);
    confirm_ = LedgerConfirmFlag(kLedgerPhysicalInventory) != 0;
    check_ = LedgerCheckFlag(kLedgerPhysicalInventory) != 0;
    inventory_ = Trimmed(unit.iface.inventoryAccount);
    adjustment_ = Trimmed(unit.iface.costOfGoodsAccount);
  }

  bool PerProduct() const { return unit_.iface.glMode == 'I'; }
  void SetAdjustmentAccount(const std::string& account) { adjustment_ = account; }

  void Run();

 private:
  int ReadCount(int op) {
    char key[255] = {};
    return BtrvGetOp(op, f_.counts, key, &count_, sizeof count_);
  }
  std::string CountCode() const { return Trimmed(count_.productCode); }
  bool Checks();
  bool CheckPass();
  bool ReadAccountChecked(const std::string& account);
  bool PostCount();
  bool WriteActivity(double quantity, double value);
  bool PostLine(const std::string& account, char side, double amount);
  bool Fail(int status, int op, int fileNo) {
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, op, fileNo, 0);
    return false;
  }
  bool FailWork() { return Fail(work_.status, work_.operation, work_.fileNo); }

  Unit& unit_;
  const Files f_;
  const records::FiscalPeriodInfo period_;
  const std::int32_t date_;
  std::string reference_, inventory_, adjustment_;
  char costing_ = 0;
  bool confirm_ = false, check_ = false;

  TagPostWork work_{};
  TagGLHeader header_{};
  PhysicalCount count_{};
  TagProduct product_{};
  std::int32_t periodKey_ = 0;
  int debitLine_ = 2, creditLine_ = 10000;
  double debit_ = 0, credit_ = 0;
  long counted_ = 0;
};

// The checks before anything is written.  False when the run stops (the
// user has been told why).
bool PhysicalInventoryRun::Checks() {
  if (!check_) {
    if (!confirm_) return true;
    for (int status = ReadCount(kOpGetFirst); status == kStatusOk; status = ReadCount(kOpGetNext)) {
      if (NotPrinted(count_)) {
        MsgShowArgs(kMsgNotPrinted, 0, kButtonsStopOnly, 1, 0);
        return false;
      }
    }
    return true;
  }
  if (!CheckPass()) return false;
  if (!ReadAccountChecked(inventory_)) return false;
  return PerProduct() || ReadAccountChecked(adjustment_);
}

bool PhysicalInventoryRun::ReadAccountChecked(const std::string& account) {
  records::GLAccount record{};
  const int status = PostReadAccount(0, f_.accounts, account.c_str(), &record, &work_);
  if (status == kStatusOk) return true;
  if (status == kStatusKeyNotFound) MsgShowArgs(kMsgAccountMissing, 261, kButtonsStopOnly, 1, account.c_str(), 0);
  else FailWork();
  return false;
}

// Every count is looked at before the first is posted; each problem is
// shown, the user may stop at once, and any problem stops the run.
bool PhysicalInventoryRun::CheckPass() {
  bool problem = false, confirm = confirm_;
  int status = ReadCount(kOpGetFirst);
  int op = kOpGetFirst;
  for (; status == kStatusOk; op = kOpGetNext, status = ReadCount(kOpGetNext)) {
    const std::string code = CountCode();
    StatusBoxLine(0, -1, code.c_str());
    if (confirm && NotPrinted(count_)) {
      problem = true;
      if (MsgShowArgs(kMsgNotPrinted, 0, kButtonsStopSkip, 1, 0) == kPostStop) return false;
      confirm = false;  // asked once
    }
    const int found = PostReadRecordWork(f_.products, records::kFileProducts, code.c_str(), &product_, &work_);
    if (found == kStatusKeyNotFound || found == kStatusEndOfFile) {
      problem = true;
      if (MsgShowArgs(kMsgProductMissing, 262, kButtonsStopSkip, 1, code.c_str(), 0) == kPostStop) return false;
      continue;
    }
    if (found != kStatusOk) return FailWork();
    if (!product_.CarriesStock()) {
      problem = true;
      if (MsgShowArgs(kMsgNoStock, 262, kButtonsStopSkip, 1, code.c_str(), 0) == kPostStop) return false;
      continue;
    }
    if (count_.countedQuantity < product_.secondQuantityOnHand) {
      problem = true;
      if (MsgShowArgs(kMsgBelowCommitted, 264, kButtonsStopSkipContinue, 3, code.c_str(), 0) == kPostStop) return false;
    }
    if (PerProduct()) {
      // The adjustment account joined with the product's department.
      char joined[11];
      const std::string account = GLAccountWithSegment(joined, unit_.iface.costOfGoodsAccount, product_.department);
      records::GLAccount record{};
      const int read = PostReadAccount(1, f_.accounts, account.c_str(), &record, &work_);
      if (read == kStatusKeyNotFound) {
        problem = true;
        if (MsgShowArgs(kMsgProductAccountMissing, 263, kButtonsStopSkip, 1, account.c_str(), code.c_str(), 0) ==
            kPostStop)
          return false;
      } else if (read != kStatusOk) {
        return FailWork();
      }
    }
  }
  if (status != kStatusEndOfFile) return Fail(status, op, records::kFilePhysicalCounts);
  return !problem;
}

bool PhysicalInventoryRun::PostLine(const std::string& account, char side, double amount) {
  GLLine line{};
  std::memcpy(line.journalCode, header_.journalCode, sizeof line.journalCode);
  std::memcpy(line.transactionNumber, header_.transactionNumber, sizeof line.transactionNumber);
  Put(line.account, account);
  Put(line.description, kLineDescription);
  line.side = side;
  line.amount = amount;
  line.date = date_;
  if (PostGLLine(1, f_.lines, &debitLine_, &creditLine_, &line, &work_) != kStatusOk) return FailWork();
  return true;
}

// The activity record of the count in hand: `quantity` counted less on hand
// and `value`, the change of the product's value.  Its kind follows the
// quantity: a loss is a stock-out even where it changes no value.
bool PhysicalInventoryRun::WriteActivity(double quantity, double value) {
  InventoryTransaction a{};
  std::memcpy(a.productCode, count_.productCode, sizeof a.productCode);
  a.activityFlag = 'P';
  a.periodKey = periodKey_;
  a.date = date_;
  a.kind = quantity < 0 ? '5' : '1';
  a.source = 'I';
  a.secondSource = 'P';
  Put(a.reference, reference_);
  std::memcpy(a.department, product_.department, sizeof a.department);
  a.quantity = quantity;
  const int divisor = product_.purchaseUnitFactor < 1 ? 1 : product_.purchaseUnitFactor;
  a.unitCost = NumDivide(value < 0 ? -value : value, quantity < 0 ? -quantity : quantity) * divisor;
  a.extendedAmount = value;
  a.salesUnitFactor = static_cast<std::uint16_t>(product_.salesUnitFactor);
  a.unitDivisor = product_.purchaseUnitFactor;
  char text[64] = "";
  StrFormatValue(text, kQuantityFormat, 0, quantity);
  a.formattedQuantity = std::strtod(text, nullptr);
  // Numbered and stored posted: its value is in the G/L entry of this run.
  if (PostAmountLine(f_.activity, nullptr, 0, &a, &work_) != kStatusOk) return FailWork();
  return true;
}

// Posts the count in hand: its G/L line (per product), the product and its
// activity.  False when the run stops.
bool PhysicalInventoryRun::PostCount() {
  const std::string code = CountCode();
  StatusBoxLine(0, -1, code.c_str());
  const int found = PostReadRecordWork(f_.products, records::kFileProducts, code.c_str(), &product_, &work_);
  if (found == kStatusKeyNotFound || found == kStatusEndOfFile) {
    MsgShowArgs(kMsgProductMissing, 262, kButtonsStopOnly, 1, code.c_str(), 0);
    return false;
  }
  if (found != kStatusOk) return FailWork();
  // A product without stock has no count to post, and no value for the
  // inventory account.
  if (!product_.CarriesStock()) {
    MsgShowArgs(kMsgNoStock, 262, kButtonsStopOnly, 1, code.c_str(), 0);
    return false;
  }
  ++counted_;
  const double onHand = product_.quantityOnHand, counted = count_.countedQuantity;
  if (NumEqual(onHand, counted)) return true;
  const bool loss = onHand > counted;
  const double amount = PhysicalCountValue(product_, loss ? onHand - counted : counted - onHand, costing_);
  if (loss) debit_ += amount;
  else credit_ += amount;
  if (PerProduct() && amount != 0) {
    char joined[11];
    const std::string account = GLAccountWithSegment(joined, unit_.iface.costOfGoodsAccount, product_.department);
    records::GLAccount record{};
    const int read = PostReadAccount(0, f_.accounts, account.c_str(), &record, &work_);
    if (read == kStatusKeyNotFound) {
      MsgShowArgs(kMsgProductAccountMissing, 263, kButtonsStopOnly, 1, account.c_str(), code.c_str(), 0);
      return false;
    }
    if (read != kStatusOk) return FailWork();
    if (!PostLine(account, loss ? 'D' : 'C', amount)) return false;
  }
  // A loss lowers the value (never to a value of -0.00).
  const double value = loss && amount != 0 ? -amount : amount;
  product_.valueOnHand = NumRound(product_.valueOnHand + value, 2);
  product_.quantityOnHand = counted;
  const int status = BtrvWriteOp(kOpUpdate, f_.products, nullptr, &product_, sizeof product_);
  if (status != kStatusOk) return Fail(status, kOpUpdate, records::kFileProducts);
  return WriteActivity(counted - onHand, value);
}

void PhysicalInventoryRun::Run() {
  int status = ReadCount(kOpGetFirst);
  if (status != kStatusOk) {
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) MsgShow(kMsgNothingToPost, 1);
    else Fail(status, kOpGetFirst, records::kFilePhysicalCounts);
    return;
  }
  StatusBox box;
  if (!Checks()) return;

  records::PeriodsRecord periods{};
  if (SettingsRecordRead(kSettingsRead, 0, sizeof periods, "0Periods", &periods) != 0) return;
  periodKey_ = RecordStep446(date_, &periods);

  // Everything from here on is one unit; a stop abandons it (RunEnd).
  if (PostUnitBegin(&work_) != kStatusOk) {
    FailWork();
    return;
  }
  records::SetPadded(header_.journalCode, kJournal);
  header_.date = date_;
  Put(header_.reference, reference_);
  header_.postedFlag = header_.sourceFlag = header_.checkFlag = 'N';
  header_.journalPrinted = date_;
  if (GLTranHeaderCreate(f_.sequences, &header_, header_.transactionNumber, &work_) != kStatusOk ||
      GLTranDetailCreate(f_.headers, &header_, &work_) != kStatusOk) {
    FailWork();
    return;
  }

  int op = kOpGetFirst;
  for (status = ReadCount(op); status == kStatusOk; status = ReadCount(op)) {
    if (!PostCount()) return;
    op = kOpGetNext;
  }
  if (status != kStatusEndOfFile) {
    Fail(status, op, records::kFilePhysicalCounts);
    return;
  }

  // The net change goes to the inventory account (a gain on the debit
  // side), and in company mode against the adjustment account.
  const char inventorySide = debit_ <= credit_ || NumEqual(debit_, credit_) ? 'D' : 'C';
  const double net = NumRound(inventorySide == 'D' ? credit_ - debit_ : debit_ - credit_, 2);
  if (!PostLine(inventory_, inventorySide, net)) return;
  if (!PerProduct() && !PostLine(adjustment_, inventorySide == 'D' ? 'C' : 'D', net)) return;

  double debit = 0, credit = 0;
  PostGLBatch(f_.headers, f_.lines, f_.accounts, &debit, &credit, &period_, &header_, &work_, 0);
  if (work_.status != kStatusOk) {
    if (work_.status == kStatusKeyNotFound)
      MsgShowArgs(kMsgAccountMissing, 261, kButtonsStopOnly, 1, work_.key, 0);
    else
      PostOutOfBalance(debit, credit, &header_, &work_);
    return;
  }

  // The counts are spent: cleared in the same unit, so a count is never
  // posted twice.
  for (status = ReadCount(kOpGetFirst); status == kStatusOk; status = ReadCount(kOpGetFirst)) {
    status = BtrvWriteOp(kOpDelete, f_.counts, nullptr, nullptr, 0);
    if (status != kStatusOk) {
      Fail(status, kOpDelete, records::kFilePhysicalCounts);
      return;
    }
  }
  if (status != kStatusEndOfFile) {
    Fail(status, kOpGetFirst, records::kFilePhysicalCounts);
    return;
  }
  const std::string number = Trimmed(header_.transactionNumber);
  const std::size_t lead = std::min(number.find_first_not_of(' '), number.size());
  unit_.audit.RegTransactionLog(kEntityPhysicalInventory, kChangeModified, number.c_str() + lead);
  // The summary commits the unit.  It names the entry as posted: in company
  // mode the products' gains and losses are netted into two lines, so the
  // run's gross totals are not the transaction's.
  PostSummary(kMsgSummary, 0, counted_, debit, credit);
  CommandDone();
}

// F10: the posting run.  Returns 1 (the screen is left), or 0x20 when the
// posting date is refused.
int PostPhysicalInventory(PostingFrame* frame) {
  Unit& unit = *static_cast<Unit*>(frame->unit);
  const std::int32_t date = posting::PostingDateChecked(frame);
  if (date == 0) return 0x20;
  PhysicalInventoryRun run(frame, unit, date);
  if (unit.iface.glMode == 'C') {
    char account[12];
    std::memset(account, ' ', sizeof account - 1);
    account[sizeof account - 1] = '\0';
    if (!AccountExists(account)) return 1;
    run.SetAdjustmentAccount(Trimmed(account, sizeof account));
  }
  PostRunStart();
  RunEnd runEnd;
  run.Run();
  return 1;
}

}  // namespace
