// Assembly posting: the assembly transactions of file 11 dated in the fiscal
// period of the posting date are walked in date order (key 2).  Each
// unposted one moves quantities and values between its component products
// and its assembled product (file 43), adds the cost of its service
// components (file 52), writes an activity record (file 62) for every
// product it touches and is marked posted or deleted.  The run books one
// G/L transaction of journal "AS": the inventory account is debited with the
// assembled value, the service account credited with the service cost, and
// the inventory account credited with the rest.
//
// Each transaction is one posting unit (qxabase/posting.h): its product
// updates, activity records, header mark, its share of the G/L lines and
// that share's effect on the accounts and period amounts are committed
// together.  The G/L lines are summary lines that every transaction adds
// to; the "AS" header is written posted with the first transaction, as each
// unit posts its own share into the accounts.  So the run's G/L transaction
// always holds exactly the transactions committed so far, the inventory
// account moves with the products' values, nothing is left for the
// general-ledger posting, and a stop or a kill at any moment leaves every
// transaction wholly posted or untouched; a rerun posts nothing twice.
//
// Every account a transaction's share posts to is checked before its unit
// writes anything: the inventory account as the run starts, the service
// account for each transaction with a service cost (until it is found).  A
// transaction whose account cannot take its share, or that would move a
// product carrying no stock (its assembled product or a product component),
// is asked about and, unless the run is stopped, left untouched.  The
// summary shows the debits and credits of the lines written.
#include "posting/assembly_posting.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
using records::AssemblyComponent;
using records::AssemblyHeader;
using records::TagProduct;

constexpr int kFormAssemblyPost = 90;
constexpr int kReferenceField = 3;
constexpr int kDeleteField = 4;
constexpr int kFiles[] = {records::kFileAssemblyHeaders | kPostingMode,  // walked in date order
                          records::kFileAssemblyComponents | kPostingMode,
                          records::kFileProducts | kPostingMode,
                          records::kFileInventoryTransactions | kPostingMode,  // the activity records
                          records::kFileServices | kFileModeExclusive,
                          records::kFileGLAccounts | kFileModeExclusive,
                          records::kFileGLHeaders | kFileModeExclusive,
                          records::kFileGLLines | kFileModeExclusive,
                          records::kFileTranSequences | kFileModeExclusive,
                          0};
constexpr int kDateKey = 2;

constexpr int kTitleAssemblyPost = 518;
constexpr int kMsgNothingToPost = 197;
constexpr int kMsgSummary = 511;          // %1 posted, %2 debits, %3 credits
constexpr int kMsgNotPrinted = 1367;      // %1 transaction
constexpr int kMsgNotOnFile = 1369;       // %1 product or service, %2 transaction
constexpr int kMsgAccountMissing = 1371;  // %1 account, %2 transaction
constexpr int kMsgShort = 1373;           // %1 component, %2 transaction
constexpr int kMsgNoStock = 1381;         // %1 product, %2 transaction
constexpr int kMsgValueDiffers = 1429;    // %1 transaction, %2 its value, %3 its components' costs

constexpr char kJournal[] = "AS";
constexpr char kLineText[] = "Summary Assembly Post";

constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = 16, .mask = "%-10s"},
    {},
};

int PostAssemblyRun(PostingFrame* frame);

constexpr posting::PostingScreen kScreen = {kFormAssemblyPost, "RSAssmPost", kLedgerAssembly, kDeleteField,
                                            kFiles, PostAssemblyRun, nullptr};

}  // namespace

int RunAssemblyPost() {
  if (!ModulesAvailable(0, 3)) return 0;
  records::InterfaceRecord iface{};
  if (SettingsRecordRead(kSettingsRead, 0, sizeof iface, "0Interface", &iface) != 0) return 0;
  posting::RunPostingScreen(kScreen, &iface);
  return 0;
}

namespace {

enum class Step { kGoOn, kStop, kSkip };

bool Unflagged(char flag) { return flag == 'N' || flag == 'n' || flag == 0; }

// One F10: the files, the options and what the run has done so far.
struct Run {
  PostingFrame* frame = nullptr;
  const records::InterfaceRecord* iface = nullptr;
  BtrvHandle headers = 0, components = 0, products = 0, activity = 0, services = 0, accounts = 0,
             glHeaders = 0, glLines = 0, sequences = 0;
  std::int32_t postingDate = 0;
  char reference[27] = {};
  bool checkFirst = false;
  TagPostWork work{};
  records::TagGLHeader gl{};
  bool glMade = false;  // the G/L transaction was written in a unit of this run
  bool serviceAccountChecked = false;  // found on file in this run
  int debitLine = 1, creditLine = 1000;
  long candidates = 0, posted = 0;
  double debitTotal = 0, creditTotal = 0;  // of the lines written, as the "AS" transaction holds them
  char number[12] = {};       // the transaction in hand, trimmed, for the messages
};

// The answer to a question about the transaction in hand: 1 stop, else skip.
Step Answer(int answer) { return answer == kPostStop ? Step::kStop : Step::kSkip; }

// Reports a failed record-manager step and stops.
Step RecordError(int status, int operation, int fileNo) {
  MsgRecordErrorPost(kButtonsStopOnly, 1, status, operation, fileNo, 0);
  return Step::kStop;
}

std::string Trimmed(const char* text, std::size_t width) {
  std::string s(text, strnlen(text, width));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  s.erase(0, s.find_first_not_of(' '));
  return s;
}

// Checks the G/L account `account` once: missing, the user chooses (1 stop,
// else the transaction is skipped); another failure stops.
Step CheckAccount(Run& r, const char* account) {
  records::GLAccount record{};
  const int status = PostReadAccount(1, r.accounts, account, &record, &r.work);
  if (status == kStatusOk) return Step::kGoOn;
  if (status == kStatusKeyNotFound || status == kStatusEndOfFile) {
    const std::string code = Trimmed(account, 11);
    return Answer(MsgShowArgs(kMsgAccountMissing, 268, kButtonsStopSkip, 1, code.c_str(), r.number, 0));
  }
  return RecordError(status, kOpGetEqual, records::kFileGLAccounts);
}

// Reads the component lines of the header in hand, calling `each` with
// every line; `each` returns kGoOn to read on.  kSkip when the header has no
// lines (and `each` did not end the walk otherwise).
template <class Each>
Step ForEachComponent(Run& r, const AssemblyHeader& header, Each each) {
  char key[255] = {};
  std::memcpy(key, header.transactionNumber, sizeof header.transactionNumber);
  AssemblyComponent line{};
  int op = kOpGetGreaterOrEqual;
  int status = BtrvGetOp(op, r.components, key, &line, sizeof line);
  bool any = false;
  Step result = Step::kGoOn;
  while (status == kStatusOk &&
         std::memcmp(line.transactionNumber, header.transactionNumber, sizeof line.transactionNumber) == 0) {
    any = true;
    const Step s = each(line);
    if (s == Step::kStop) return s;
    if (s == Step::kSkip) result = Step::kSkip;
    op = kOpGetNext;
    status = BtrvGetOp(op, r.components, key, &line, sizeof line);
  }
  if (status != kStatusOk && status != kStatusEndOfFile)
    return RecordError(status, op, records::kFileAssemblyComponents);
  return any ? result : Step::kSkip;
}

bool ShortAndNoOverride(const AssemblyComponent& line) {
  return line.quantityShort > 0 && Unflagged(line.overrideFlag);
}

// The pre-check of the ledger's check option: every component can be posted.
Step CheckComponents(Run& r, const AssemblyHeader& header) {
  return ForEachComponent(r, header, [&](const AssemblyComponent& line) {
    const std::string code = Trimmed(line.componentCode, sizeof line.componentCode);
    TagProduct product{};
    int status = PostReadRecordWork(r.products, records::kFileProducts, code.c_str(), &product, &r.work);
    if (status == kStatusOk) {
      if (!ShortAndNoOverride(line)) return Step::kGoOn;
      return Answer(MsgShowArgs(kMsgShort, 270, kButtonsStopSkip, 1, code.c_str(), r.number, 0));
    }
    if (status != kStatusKeyNotFound) return RecordError(status, kOpGetEqual, records::kFileProducts);
    records::ServiceRecord service{};
    status = PostReadRecordWork(r.services, records::kFileServices, code.c_str(), &service, &r.work);
    if (status == kStatusKeyNotFound)
      return Answer(MsgShowArgs(kMsgNotOnFile, 269, kButtonsStopSkip, 1, code.c_str(), r.number, 0));
    if (status != kStatusOk) return RecordError(status, kOpGetEqual, records::kFileServices);
    if (r.serviceAccountChecked) return Step::kGoOn;
    const Step s = CheckAccount(r, r.iface->serviceComponentAccount);
    if (s == Step::kGoOn) r.serviceAccountChecked = true;
    return s;
  });
}

// The signed service cost of the transaction's service components (those
// not on file as products), read before anything of it is written.  A
// component on neither file is left for the posting to report.
Step ServiceCost(Run& r, const AssemblyHeader& header, double* total) {
  *total = 0;
  const Step s = ForEachComponent(r, header, [&](const AssemblyComponent& line) {
    const std::string code = Trimmed(line.componentCode, sizeof line.componentCode);
    TagProduct product{};
    int status = PostReadRecordWork(r.products, records::kFileProducts, code.c_str(), &product, &r.work);
    if (status == kStatusOk) return Step::kGoOn;
    if (status != kStatusKeyNotFound) return RecordError(status, kOpGetEqual, records::kFileProducts);
    records::ServiceRecord service{};
    status = PostReadRecordWork(r.services, records::kFileServices, code.c_str(), &service, &r.work);
    if (status == kStatusOk) *total += line.consumeLetter == 'A' ? line.cost : -line.cost;
    else if (status != kStatusKeyNotFound) return RecordError(status, kOpGetEqual, records::kFileServices);
    return Step::kGoOn;
  });
  return s == Step::kStop ? Step::kStop : Step::kGoOn;
}

// Every product the transaction moves must carry stock: the assembled
// product and its product components go in and out of stock, and their
// value in and out of the inventory account.  One that carries none is
// named and asked about (1 stop, else skip).  A code on neither file is
// left for the posting to report.
Step CheckStockCarried(Run& r, const AssemblyHeader& header) {
  const auto carries = [&](const std::string& code) {
    TagProduct product{};
    const int status = PostReadRecordWork(r.products, records::kFileProducts, code.c_str(), &product, &r.work);
    if (status == kStatusKeyNotFound || (status == kStatusOk && product.CarriesStock())) return Step::kGoOn;
    if (status != kStatusOk) return RecordError(status, kOpGetEqual, records::kFileProducts);
    return Answer(MsgShowArgs(kMsgNoStock, 269, kButtonsStopSkip, 1, code.c_str(), r.number, 0));
  };
  if (const Step s = carries(Trimmed(header.productCode, sizeof header.productCode)); s != Step::kGoOn) return s;
  Step answer = Step::kGoOn;
  ForEachComponent(r, header, [&](const AssemblyComponent& line) {
    const Step s = carries(Trimmed(line.componentCode, sizeof line.componentCode));
    if (s != Step::kGoOn) answer = s;
    return s;
  });
  return answer;
}

// The assembled product takes the header's value and the inventory account
// the header's value less the service cost, while the product components
// give up (or take back) their own costs: the books tie only when the value
// is what the components cost.  A header that says otherwise would set the
// inventory account apart from the products; it is asked about (1 stop,
// else skip), and nothing of it is kept.
Step CheckValue(Run& r, const AssemblyHeader& header) {
  double costs = 0;
  const Step s = ForEachComponent(r, header, [&](const AssemblyComponent& line) {
    costs += NumRound(line.cost, 2);
    return Step::kGoOn;
  });
  if (s == Step::kStop) return s;
  const double value = NumRound(header.value, 2);
  costs = NumRound(costs, 2);
  if (NumEqual(value, costs)) return Step::kGoOn;
  return Answer(MsgShowArgs(kMsgValueDiffers, 269, kButtonsStopSkip, 1, r.number, value, costs, 0));
}

// The accounts the transaction's share posts to, before its unit writes
// anything.  The inventory account takes every share and was checked as the
// run began; the service account is read for a share with a service cost
// until it is found.  A missing one is asked about (1 stop, else skip).
Step CheckShareAccounts(Run& r, const AssemblyHeader& header) {
  if (r.serviceAccountChecked) return Step::kGoOn;
  double service = 0;
  if (ServiceCost(r, header, &service) == Step::kStop) return Step::kStop;
  if (NumIsZero(service)) return Step::kGoOn;
  const Step s = CheckAccount(r, r.iface->serviceComponentAccount);
  if (s == Step::kGoOn) r.serviceAccountChecked = true;
  return s;
}

// Writes the activity record of a product the transaction moved.
Step WriteActivity(Run& r, const AssemblyHeader& header, const TagProduct& product, char kind, double quantity,
                   double value) {
  records::InventoryTransaction a{};
  std::memcpy(a.productCode, product.number, sizeof a.productCode);
  a.activityFlag = 'P';
  a.periodKey = header.periodKey;
  a.date = header.date;
  a.kind = kind;
  a.source = 'A';
  a.secondSource = 'A';
  std::memcpy(a.sourceTransaction, header.transactionNumber, sizeof header.transactionNumber);
  std::memcpy(a.reference, header.reference, sizeof a.reference - 1);
  std::memcpy(a.department, product.department, sizeof a.department);
  const int divisor = product.purchaseUnitFactor < 1 ? 1 : product.purchaseUnitFactor;
  a.quantity = quantity;
  a.unitCost = NumRound(NumDivide(value, quantity) * divisor, 4);
  a.extendedAmount = NumRound(value, 2);
  a.salesUnitFactor = static_cast<std::uint16_t>(product.salesUnitFactor);
  a.unitDivisor = static_cast<std::int16_t>(divisor);
  char shown[64] = "";
  StrFormatQuantity(shown, "%11.4fF", 1, divisor, quantity);
  a.formattedQuantity = std::strtod(shown, nullptr);
  if (PostAmountLine(r.activity, nullptr, 0, &a, &r.work) != kStatusOk)
    return RecordError(r.work.status, r.work.operation, r.work.fileNo);
  return Step::kGoOn;
}

Step UpdateProduct(Run& r, TagProduct* product) {
  const int status = BtrvWriteOp(kOpUpdate, r.products, nullptr, product, sizeof *product);
  if (status != kStatusOk) return RecordError(status, kOpUpdate, records::kFileProducts);
  return Step::kGoOn;
}

double AverageCost(const TagProduct& p) {
  const int divisor = p.purchaseUnitFactor < 1 ? 1 : p.purchaseUnitFactor;
  return NumRound(NumDivide(p.valueOnHand, NumDivide(p.quantityOnHand, divisor)), 4);
}

// Posts the component lines: products give up (or take back) their stock
// and value; services add their cost to *serviceTotal.
Step PostComponents(Run& r, const AssemblyHeader& header, double* serviceTotal) {
  *serviceTotal = 0;
  const Step s = ForEachComponent(r, header, [&](const AssemblyComponent& line) {
    const std::string code = Trimmed(line.componentCode, sizeof line.componentCode);
    TagProduct product{};
    int status = PostReadRecordWork(r.products, records::kFileProducts, code.c_str(), &product, &r.work);
    if (status == kStatusOk) {
      if (ShortAndNoOverride(line)) {
        MsgShowArgs(kMsgShort, 270, kButtonsStop, 1, code.c_str(), r.number, 0);
        return Step::kStop;
      }
      const bool consumed = line.consumeLetter == 'A';
      char kind;
      double quantity;
      if (consumed) {
        quantity = Unflagged(line.overrideFlag) ? line.quantityNeeded : line.quantityNeeded - line.quantityShort;
        product.quantityOnHand -= quantity;
        product.secondQuantityOnHand -= quantity;
        product.valueOnHand = NumRound(product.valueOnHand - line.cost, 2);
        kind = '5';
        quantity = -quantity;
      } else {
        quantity = line.quantityNeeded;
        product.quantityOnHand += quantity;
        product.valueOnHand = NumRound(product.valueOnHand + line.cost, 2);
        if (product.quantityOnHand != 0) product.averageCost = AverageCost(product);
        kind = '1';
      }
      if (UpdateProduct(r, &product) == Step::kStop) return Step::kStop;
      return WriteActivity(r, header, product, kind, quantity, consumed ? -line.cost : line.cost);
    }
    if (status != kStatusKeyNotFound) return RecordError(status, kOpGetEqual, records::kFileProducts);
    records::ServiceRecord service{};
    status = PostReadRecordWork(r.services, records::kFileServices, code.c_str(), &service, &r.work);
    if (status == kStatusKeyNotFound) {
      MsgShowArgs(kMsgNotOnFile, 269, kButtonsStop, 1, code.c_str(), r.number, 0);
      return Step::kStop;
    }
    if (status != kStatusOk) return RecordError(status, kOpGetEqual, records::kFileServices);
    *serviceTotal += line.consumeLetter == 'A' ? line.cost : -line.cost;
    return Step::kGoOn;
  });
  // A transaction without lines still moves its assembled product.
  return s == Step::kStop ? Step::kStop : Step::kGoOn;
}

// Moves the assembled product by the header's quantity and value.
Step PostAssembled(Run& r, const AssemblyHeader& header) {
  const std::string code = Trimmed(header.productCode, sizeof header.productCode);
  TagProduct product{};
  const int status = PostReadRecordWork(r.products, records::kFileProducts, code.c_str(), &product, &r.work);
  if (status == kStatusKeyNotFound) {
    MsgShowArgs(kMsgNotOnFile, 269, kButtonsStop, 1, code.c_str(), r.number, 0);
    return Step::kStop;
  }
  if (status != kStatusOk) return RecordError(status, kOpGetEqual, records::kFileProducts);
  const int divisor = product.purchaseUnitFactor < 1 ? 1 : product.purchaseUnitFactor;
  const double q = divisor * header.quantity;
  const double v = header.value;
  const bool assembled = header.IsAssembly();
  if (assembled) {
    product.quantityOnHand += q;
    product.valueOnHand = NumRound(product.valueOnHand + v, 2);
    if (product.lastPurchaseDate <= header.date) {
      product.lastCost = NumRound(NumDivide(v, header.quantity), 4);
      product.lastPurchaseDate = header.date;
    }
  } else {
    product.quantityOnHand -= q;
    product.secondQuantityOnHand -= q;
    product.valueOnHand = NumRound(product.valueOnHand - v, 2);
  }
  if (product.quantityOnHand != 0) product.averageCost = AverageCost(product);
  if (UpdateProduct(r, &product) == Step::kStop) return Step::kStop;
  return WriteActivity(r, header, product, assembled ? '1' : '5', assembled ? q : -q, assembled ? v : -v);
}

// Makes the run's G/L transaction (in the unit of its first transaction),
// written posted: each unit posts its own share into the accounts.
Step MakeGLTransaction(Run& r) {
  r.gl = {};
  records::SetPadded(r.gl.journalCode, kJournal);
  r.gl.date = r.postingDate;
  std::memcpy(r.gl.reference, r.reference, sizeof r.gl.reference);
  r.gl.postedFlag = 'Y';
  r.gl.sourceFlag = 'N';
  r.gl.checkFlag = 'N';
  r.gl.journalPrinted = r.postingDate;
  if (GLTranHeaderCreate(r.sequences, &r.gl, r.gl.transactionNumber, &r.work) != 0 ||
      GLTranDetailCreate(r.glHeaders, &r.gl, &r.work) != 0)
    return RecordError(r.work.status, r.work.operation, r.work.fileNo);
  r.glMade = true;
  r.debitLine = 1;
  r.creditLine = 1000;
  return Step::kGoOn;
}

// Adds the transaction's share to the summary lines of the G/L transaction
// and posts it into the accounts: debit inventory `assembled`, credit
// services `service`, credit inventory the rest.  A negative share lands on
// the other side.
Step PostShare(Run& r, double assembled, double service) {
  const auto line = [&](const char* account, char side, double amount) {
    amount = NumRound(amount, 2);
    if (NumIsZero(amount)) return Step::kGoOn;
    if (amount < 0) {
      side = side == 'D' ? 'C' : 'D';
      amount = -amount;
    }
    records::GLLine l{};
    std::memcpy(l.journalCode, r.gl.journalCode, sizeof l.journalCode);
    std::memcpy(l.transactionNumber, r.gl.transactionNumber, sizeof l.transactionNumber);
    std::snprintf(l.account, sizeof l.account, "%s", Trimmed(account, 11).c_str());
    std::snprintf(l.description, sizeof l.description, "%s", kLineText);
    l.side = side;
    l.amount = amount;
    l.date = r.gl.date;
    const records::GLLine share = l;  // PostGLLine hands back the summed line
    if (PostGLLine(1, r.glLines, &r.debitLine, &r.creditLine, &l, &r.work) != 0 ||
        PostGLLineToAccount(r.accounts, &share, &r.frame->period, &r.work) != 0)
      return RecordError(r.work.status, r.work.operation, r.work.fileNo);
    double& total = side == 'D' ? r.debitTotal : r.creditTotal;
    total = NumRound(total + amount, 2);
    return Step::kGoOn;
  };
  if (line(r.iface->inventoryAccount, 'D', assembled) == Step::kStop) return Step::kStop;
  if (line(r.iface->serviceComponentAccount, 'C', service) == Step::kStop) return Step::kStop;
  return line(r.iface->inventoryAccount, 'C', assembled - service);
}

// Posts the transaction in hand.
Step PostTransaction(Run& r, const AssemblyHeader& header) {
  if (!r.glMade && MakeGLTransaction(r) == Step::kStop) return Step::kStop;
  double service = 0;
  if (PostComponents(r, header, &service) == Step::kStop) return Step::kStop;
  if (PostAssembled(r, header) == Step::kStop) return Step::kStop;
  const double assembled = header.IsAssembly() ? header.value : -header.value;
  return PostShare(r, assembled, service);
}

// Removes an assembly transaction: its component lines and its header (the
// one the walk is on, so that the walk goes on after it).
Step RemoveTransaction(Run& r, const AssemblyHeader& header) {
  if (PostAssemblyTranRemove(4, r.headers, r.components, &header, &r.work) != kStatusOk)
    return RecordError(r.work.status, r.work.operation, r.work.fileNo);
  return Step::kGoOn;
}

Step Mark(Run& r, bool deleteAfter, AssemblyHeader* header) {
  header->postedFlag = 'Y';
  if (deleteAfter) return RemoveTransaction(r, *header);
  const int status = BtrvWriteOp(kOpUpdate, r.headers, nullptr, header, 0);
  if (status != kStatusOk) return RecordError(status, kOpUpdate, records::kFileAssemblyHeaders);
  return Step::kGoOn;
}

// Ends the run's command work on every way out.
struct RunEnd {
  ~RunEnd() { CommandFinish(); }
};

// F10: the posting run.  Returns 1 (the screen is left), or 0x20 when the
// posting date is refused.
int PostAssemblyRun(PostingFrame* frame) {
  Run r;
  r.frame = frame;
  r.iface = static_cast<const records::InterfaceRecord*>(frame->unit);
  r.postingDate = posting::PostingDateChecked(frame);
  if (r.postingDate == 0) return 0x20;
  FieldGetText(&frame->form, kReferenceField, r.reference, sizeof r.reference);
  const bool deleteAfter = records::IsYes(FormYesNoGet(&frame->form, kDeleteField));
  r.checkFirst = LedgerCheckFlag(kLedgerAssembly) != 0;
  const bool confirmUnprinted = LedgerConfirmFlag(kLedgerAssembly) != 0;
  r.headers = frame->Handle(records::kFileAssemblyHeaders);
  r.components = frame->Handle(records::kFileAssemblyComponents);
  r.products = frame->Handle(records::kFileProducts);
  r.activity = frame->Handle(records::kFileInventoryTransactions);
  r.services = frame->Handle(records::kFileServices);
  r.accounts = frame->Handle(records::kFileGLAccounts);
  r.glHeaders = frame->Handle(records::kFileGLHeaders);
  r.glLines = frame->Handle(records::kFileGLLines);
  r.sequences = frame->Handle(records::kFileTranSequences);
  const records::FiscalPeriodInfo& period = frame->period;

  AssemblyHeader header{};
  PostRunStart();
  RunEnd runEnd;
  BtrvSetKey(r.headers, kDateKey, -1);
  BtrvSetKey(r.components, 0, -1);
  const int deleteFlag = deleteAfter ? 'Y' : 'N';
  char key[255] = {};
  int status = PostTranRead(deleteFlag, kOpGetGreaterOrEqual, r.headers, records::kFileAssemblyHeaders, key,
                            &header, &period, &r.work);
  if (status != kStatusOk) {
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound)
      MsgShow(kMsgNothingToPost, 1);
    else
      RecordError(status, r.work.operation, records::kFileAssemblyHeaders);
    return 1;
  }
  // The inventory account takes every line of the run.
  if (CheckAccount(r, r.iface->inventoryAccount) != Step::kGoOn) return 1;

  StatusBoxOpen(5, -1, -1, 3, 48, 0);
  StatusBoxTitle(kTitleAssemblyPost);
  StatusBoxFields(kStatusLines, sizeof kStatusLines);
  StatusBoxShow(0);
  StatusBoxLabel(1, "Transaction");
  bool stopped = false;
  auto next = [&] {
    status = PostTranRead(deleteFlag, kOpGetNext, r.headers, records::kFileAssemblyHeaders, key, &header,
                          &period, &r.work);
  };
  while (status == kStatusOk) {
    const std::string shown = Trimmed(header.transactionNumber, sizeof header.transactionNumber);
    std::snprintf(r.number, sizeof r.number, "%s", shown.c_str());
    StatusBoxRecord(-1, r.number, 0);
    if (header.date < period.startDate || header.date > period.endDate) break;
    const bool postable = records::UnpostedForPosting(header.postedFlag) && !header.IsDeleted();
    if (postable) {
      ++r.candidates;
      if (confirmUnprinted && header.journalPrinted == 0) {
        if (MsgShowArgs(kMsgNotPrinted, 267, kButtonsStopSkip, 1, r.number, 0) == kPostStop) {
          stopped = true;
          break;
        }
        next();
        continue;
      }
      Step checked = r.checkFirst ? CheckComponents(r, header) : Step::kGoOn;
      if (checked == Step::kGoOn) checked = CheckStockCarried(r, header);
      if (checked == Step::kGoOn) checked = CheckValue(r, header);
      if (checked == Step::kGoOn) checked = CheckShareAccounts(r, header);
      if (checked == Step::kStop) {
        stopped = true;
        break;
      }
      if (checked == Step::kSkip) {
        next();
        continue;
      }
      if (PostTransaction(r, header) == Step::kStop) {
        stopped = true;
        break;
      }
      ++r.posted;
    }
    if (Mark(r, deleteAfter, &header) == Step::kStop) {
      stopped = true;
      break;
    }
    next();
  }
  if (!stopped && status != kStatusOk && status != kStatusEndOfFile) {
    RecordError(status, r.work.operation, r.work.fileNo ? r.work.fileNo : records::kFileAssemblyHeaders);
    stopped = true;
  }
  if (stopped) {
    // The transaction in hand is left as it was; what was committed before
    // it stays posted, its share of the ledger with it.
    PostUnitAbandon();
    StatusBoxClose();
    return 1;
  }
  CommandDone();
  if (r.candidates == 0)
    MsgShow(kMsgNothingToPost, 1);
  else if (r.posted != 0)
    PostSummary(kMsgSummary, 0, r.posted, r.debitTotal, r.creditTotal);
  StatusBoxClose();
  return 1;
}

}  // namespace
