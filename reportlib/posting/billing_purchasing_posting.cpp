// Billing posting (command 325: customer invoices and returns, headers file
// 32, lines file 31) and purchasing posting (command 324: purchases and
// returns, files 41 and 40).  The transactions dated in the fiscal period of
// the posting date are walked in date order (key 2).  Each unposted one
// moves its products (stock, costs, statistics, with an activity record in
// file 62) and services, writes back orders and sales history (billing),
// adds its taxes to its tax code's period totals, takes its customer's or
// vendor's balance and statistics, enters a payment taken at entry in the
// check register, marks its linked open invoices posted and books its G/L
// lines; then it is marked posted or deleted.  Purchase orders ('O' in the
// purchasing file) are passed over.  Billing does not run while purchasing
// transactions of the period are unposted.
//
// The general ledger takes the lines in one of two ways.  Batch: every
// transaction adds its lines to one G/L transaction of the run (journal "BI"
// or "PO", numbered from the journal's sequence, dated the posting date),
// summed per account, side and kind of line, and posts them into their
// accounts at once.  On line (CBaseGL::IsOnLine): each transaction gets a G/L
// transaction of its own, posted at once.  Both book the same lines
// (qxabase/bipo_posting.h).
//
// Each transaction is posted as one unit (qxabase/posting.h): its products,
// services, activity, back orders, history, tax totals, customer or vendor,
// check-register entry, open invoices, its G/L lines and account amounts and
// its mark are committed together.  A transaction whose lines do not balance,
// whose total is not what its lines, tax and freight book, a record missing
// or a failed write leaves it exactly as it was; a stop keeps what was posted
// before it (with its share of the batch transaction, which is written
// posted and never taken back); a kill leaves the books as after the last
// completed transaction; a rerun finds the posted ones marked.  A run that posts every transaction of its period moves the
// pending posting period on (PeriodStep441).
#include "posting/billing_purchasing_posting.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>

#include "posting/posting_frame.h"
#include "qxabase.h"
#include "qxabase/bipo_lines.h"
#include "qxabase/bipo_posting.h"
#include "qxabase/online_gl.h"
#include "qxabase/open_invoices.h"
#include "qxabase/posting.h"
#include "qxabase/prompt_answers.h"
#include "qxabase/recpay_posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace {

using posting::kPostingMode;
using posting::PostingFrame;
using posting::RunEnd;
using posting::ShownText;
using records::BiPoLine;
using records::CustVendRecord;
using records::GLLine;
using records::InterfaceRecord;
using records::InventoryTransaction;
using records::TagBiPoHeader;
using records::TagGLHeader;
using records::TagOpenInvoice;
using records::TagProduct;
using records::TaxCode;

// What tells the two runs apart.
struct Ledger {
  bool purchasing;
  int ledger;  // kLedgerBilling / kLedgerPurchasing: posting options
  int headerFile, otherHeaderFile, lineFile, codeFile, partyFile, openInvoiceFile, oiHeaderFile;
  int statusTitle;
  const char* journal;       // of the run's G/L transaction
  int msgPartyMissing;       // %1 code, %2 kind, %3 transaction
  int msgCodeMissing;        // %1 code, %2 kind, %3 transaction
  int msgCodeAccountMissing; // %1 code, %2 kind, %3 transaction
  int msgPartyAccountMissing;  // %1 code, %2 kind, %3 transaction
  int msgOpenInvoiceMissing;   // %1 kind, %2 transaction
};

constexpr Ledger kBilling = {false,
                             kLedgerBilling,
                             records::kFileBillingHeaders,
                             records::kFilePurchasingHeaders,
                             records::kFileBillingLines,
                             records::kFileBillingCodes,
                             records::kFileCustomers,
                             records::kFileReceivablesOpenInvoices,
                             records::kFileReceivablesOpenInvoiceHeaders,
                             538,
                             "BI",
                             1413,
                             1399,
                             1405,
                             1709,
                             1347};
constexpr Ledger kPurchasing = {true,
                                kLedgerPurchasing,
                                records::kFilePurchasingHeaders,
                                records::kFileBillingHeaders,
                                records::kFilePurchasingLines,
                                records::kFilePurchasingCodes,
                                records::kFileVendors,
                                records::kFilePayablesOpenInvoices,
                                records::kFilePayablesOpenInvoiceHeaders,
                                539,
                                "PO",
                                1415,
                                1401,
                                1407,
                                1711,
                                1427};

constexpr int kExclusive = kFileModeExclusive;
// The file set, as both runs open it; the lines, codes, customers or
// vendors and open invoices are the run's own.
constexpr int kBillingFiles[] = {records::kFileBillingHeaders | kExclusive,  // walked in date order
                                 records::kFilePurchasingHeaders | kExclusive,
                                 records::kFileBillingLines | kPostingMode,
                                 records::kFileBillingCodes | kExclusive,
                                 records::kFileGLAccounts | kPostingMode,
                                 records::kFileProducts | kPostingMode,
                                 records::kFileServices,
                                 records::kFileCustomers | kExclusive,
                                 records::kFileReceivablesOpenInvoices | kExclusive,
                                 records::kFileReceivablesOpenInvoiceHeaders | kExclusive,
                                 records::kFileTaxCodes | kExclusive,
                                 records::kFileSalesHistory | kExclusive,
                                 records::kFileTranSequences,
                                 records::kFileGLHeaders,
                                 records::kFileGLLines | kPostingMode,
                                 records::kFileBackOrders,
                                 records::kFileSettings,
                                 records::kFileCheckRegister,
                                 records::kFileInventoryTransactions,
                                 0};
constexpr int kPurchasingFiles[] = {records::kFileBillingHeaders | kExclusive,
                                    records::kFilePurchasingHeaders | kExclusive,  // walked in date order
                                    records::kFilePurchasingLines | kPostingMode,
                                    records::kFilePurchasingCodes | kExclusive,
                                    records::kFileGLAccounts | kPostingMode,
                                    records::kFileProducts | kPostingMode,
                                    records::kFileServices,
                                    records::kFileVendors | kExclusive,
                                    records::kFilePayablesOpenInvoices | kExclusive,
                                    records::kFilePayablesOpenInvoiceHeaders | kExclusive,
                                    records::kFileTaxCodes | kExclusive,
                                    records::kFileSalesHistory | kExclusive,
                                    records::kFileTranSequences,
                                    records::kFileGLHeaders,
                                    records::kFileGLLines | kPostingMode,
                                    records::kFileBackOrders,
                                    records::kFileSettings,
                                    records::kFileCheckRegister,
                                    records::kFileInventoryTransactions,
                                    0};

constexpr int kFormBiPoPost = 88;
constexpr int kReferenceField = 3;
constexpr int kDeleteField = 4;
constexpr int kDateKey = 2;        // headers in date order
constexpr int kGLLineKey = 1;      // G/L lines in the order postings number them
constexpr int kItemNumberKey = 3;  // open invoices by item number

constexpr int kKindTextBlock = 537;
constexpr int kKindTextCount = 8;

constexpr int kMsgNothingToPost = 197;
constexpr int kMsgPurchasingUnposted = 331;
constexpr int kMsgSummary = 511;
constexpr int kMsgPurgeWarning = 1250;
constexpr int kMsgPendingPeriod = 1389;   // %1 period, %2 its last day
constexpr int kMsgNotPrinted = 1391;      // %1 kind, %2 transaction
constexpr int kMsgNotReady = 1393;        // %1 kind, %2 transaction
constexpr int kMsgProductMissing = 1395;  // %1 code, %2 kind, %3 transaction
constexpr int kMsgServiceMissing = 1397;
constexpr int kMsgTaxCodeMissing = 1403;
constexpr int kMsgProductAccount = 1409;  // %1 account, %2 kind, %3 transaction
constexpr int kMsgServiceAccount = 1411;
constexpr int kMsgTotalDiffers = 1417;    // %1 kind, %2 transaction, %3 its total, %4 what it books
constexpr int kMsgTaxWithoutAccount = 1419;  // %1 tax code, %2 kind, %3 transaction, %4 "billing" or "purchasing"
constexpr int kMsgInterfaceAccount = 1421;
constexpr int kMsgTaxAccount = 1431;
constexpr int kMsgOwnAccount = 1783;
constexpr int kMsgFreightAccount = 1787;
constexpr int kMsgNotPosted = 1813;       // %1 kind, %2 transaction
constexpr int kMsgNotReadBack = 1815;

constexpr char kPromptProgram[] = "RSPOPOST";
constexpr char kPromptPurge[] = "RSWARNPURGINGPURCHTRANS";

// The interface accounts every transaction of a run may book to.
constexpr std::initializer_list<int> kBillingInterfaceAccounts = {0, 3, 1, 5, 6, 4};
constexpr std::initializer_list<int> kPurchasingInterfaceAccounts = {3, 2};

// The status box: the transaction in hand (and the third part of its key).
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = 16, .mask = "%-10s"},
    {.number = 2, .row = 2, .column = 16, .mask = "%-3ld"},
    {},
};

// What the screen and its runs share for the command.
struct BiPoUnit {
  const Ledger* ledger;
  InterfaceRecord iface{};
  const char* kindNames[kKindTextCount] = {};
  std::optional<QxOIHeader> oiHeader{};  // lives while the files are open
};

int PrepareOpenInvoices(PostingFrame* frame);
int PostBiPoBatch(PostingFrame* frame);

constexpr posting::PostingScreen kBillingScreen = {kFormBiPoPost,         "RSBIPost",  kLedgerBilling,
                                                   kDeleteField,          kBillingFiles, PostBiPoBatch,
                                                   PrepareOpenInvoices,   true};
constexpr posting::PostingScreen kPurchasingScreen = {kFormBiPoPost,        "RSPOPost",  kLedgerPurchasing,
                                                      kDeleteField,         kPurchasingFiles, PostBiPoBatch,
                                                      PrepareOpenInvoices,  true};

// Frees the kind names on every way out.
struct KindNames {
  const char** texts;
  ~KindNames() { ScreenTextFree(texts); }
};

}  // namespace

int RunBiPoPost(int purchasing) {
  const Ledger& l = purchasing ? kPurchasing : kBilling;
  const bool available = purchasing ? ModulesAvailable(0, 3, 2) : ModulesAvailable(1, 3, 1, 5, 6, 4);
  if (!available) return 1;
  BiPoUnit unit{&l};
  if (SettingsRecordRead(kSettingsRead, 0, sizeof unit.iface, "0Interface", &unit.iface) != 0) return 0;
  if (ScreenTextLoad(kKindTextBlock, unit.kindNames, kKindTextCount) != 0) return 0;
  KindNames names{unit.kindNames};
  PostingEnter(l.ledger);
  posting::RunPostingScreen(purchasing ? kPurchasingScreen : kBillingScreen, &unit);
  unit.oiHeader.reset();
  PostingLeave();
  return 0;
}

namespace {

// Once the files are open: the walk's keys, and the open-invoice headers
// kept in step by an object over them.  Non-zero: the screen is not shown.
int PrepareOpenInvoices(PostingFrame* frame) {
  BiPoUnit& unit = *static_cast<BiPoUnit*>(frame->unit);
  const Ledger& l = *unit.ledger;
  BtrvSetKey(frame->Handle(records::kFileBillingHeaders), kDateKey, -1);
  BtrvSetKey(frame->Handle(records::kFilePurchasingHeaders), kDateKey, -1);
  BtrvSetKey(frame->Handle(l.openInvoiceFile), kItemNumberKey, -1);
  unit.oiHeader.emplace(QxOIHeader::GetHdrFileId(l.openInvoiceFile), frame->Handle(l.oiHeaderFile),
                        frame->Handle(l.openInvoiceFile));
  if (!unit.oiHeader->Init()) {
    MsgRecordError(unit.oiHeader->GetResultError(), 1, kErrorOpOpen, l.oiHeaderFile);
    return 1;
  }
  return 0;
}

// How a step of a transaction ended.
enum class Step {
  kGoOn,  // go on with the transaction
  kStop,  // the run stops (the cause was shown); the transaction stays as it was
  kSkip,  // the transaction stays unposted and unmarked; the walk goes on
};

Step Answer(int answer) { return answer == kPostStop ? Step::kStop : Step::kSkip; }

bool Unflagged(char flag) { return records::UnpostedForPosting(flag); }

// One run of F10: the screen's options, the files and the running totals.
struct Run {
  Run(PostingFrame* f, std::int32_t date, CBaseGL* gl)
      : frame(f), unit(*static_cast<BiPoUnit*>(f->unit)), l(*unit.ledger), period(f->period), postingDate(date),
        onLine(gl), ledger(l.purchasing, unit.iface) {}

  PostingFrame* frame;
  BiPoUnit& unit;
  const Ledger& l;
  const records::FiscalPeriodInfo& period;
  std::int32_t postingDate;
  CBaseGL* onLine;  // null: the batch path

  BtrvHandle headers = 0, otherHeaders = 0, lines = 0, codes = 0, accounts = 0, products = 0, services = 0,
             parties = 0, openInvoices = 0, taxCodes = 0, history = 0, sequences = 0, glHeaders = 0, glLines = 0,
             backOrders = 0, settings = 0, activity = 0;
  bool deleteAfter = false, checkFirst = false, askUnprinted = false, askUnflagged = false;
  bool keepBackOrders = false, keepHistory = false;
  char costing = 'A';
  char reference[11] = {};
  int statsSlot = 2;
  bool billingPending = false;

  TagPostWork work{};
  TagBiPoHeader header{};
  CustVendRecord party{};
  bool partyFound = false;
  int kind = 0;
  BiPoLedgerLines ledger;
  std::set<std::string> checkedTaxCodes;  // tax codes whose accounts the check pass found

  TagGLHeader glHeader{};
  bool glMade = false;
  int debitCounter = 1, creditCounter = 1000;
  double debitTotal = 0, creditTotal = 0;
  long candidates = 0, posted = 0;
  std::string tran;  // the transaction number as shown
  std::string partyCode;

  const char* KindName() const {
    static constexpr int kEntry[] = {0, 4, 5, 6, 1, 2};  // by kind
    return kind >= 1 && kind <= 5 ? unit.kindNames[kEntry[kind]] : "";
  }
  int Ask(int message, int format, const char* code) {
    return code ? MsgShowArgs(message, format, kButtonsStopSkip, 1, code, KindName(), tran.c_str(), 0)
                : MsgShowArgs(message, format, kButtonsStopSkip, 1, KindName(), tran.c_str(), 0);
  }
};

int Walk(Run& r);
Step PostTransaction(Run& r);
Step CheckBiPoTransaction(Run& r);
Step ReadBiPoCustVend(Run& r, bool checkMode);
Step PostBiPoLines(Run& r);
Step PostTax(Run& r);
Step CheckHeaderTotal(Run& r);
Step WriteBiPoGLLines(Run& r);
Step PostOnLineGL(Run& r);
Step InsertCheckRegisterEntry(Run& r);
Step UpdateBiPoCustVend(Run& r);
Step UpdateLinkedInvoices(Run& r);
Step Mark(Run& r);
void EndStep(Run& r);
bool PurgeWarningAccepted();

// F10: the posting run.  Returns 1 (the screen is left), or 0x20 when the
// posting date is refused or the purge warning declined.
int PostBiPoBatch(PostingFrame* frame) {
  const std::int32_t postingDate = posting::PostingDateChecked(frame);
  if (postingDate == 0) return 0x20;
  CBaseGL gl;
  Run r(frame, postingDate, gl.IsOnLine() ? &gl : nullptr);
  return Walk(r);
}

int Walk(Run& r) {
  const Ledger& l = r.l;
  const PostingFrame& f = *r.frame;
  r.headers = f.Handle(l.headerFile);
  r.otherHeaders = f.Handle(l.otherHeaderFile);
  r.lines = f.Handle(l.lineFile);
  r.codes = f.Handle(l.codeFile);
  r.accounts = f.Handle(records::kFileGLAccounts);
  r.products = f.Handle(records::kFileProducts);
  r.services = f.Handle(records::kFileServices);
  r.parties = f.Handle(l.partyFile);
  r.openInvoices = f.Handle(l.openInvoiceFile);
  r.taxCodes = f.Handle(records::kFileTaxCodes);
  r.history = f.Handle(records::kFileSalesHistory);
  r.sequences = f.Handle(records::kFileTranSequences);
  r.glHeaders = f.Handle(records::kFileGLHeaders);
  r.glLines = f.Handle(records::kFileGLLines);
  r.backOrders = f.Handle(records::kFileBackOrders);
  r.settings = f.Handle(records::kFileSettings);
  r.activity = f.Handle(records::kFileInventoryTransactions);
  PostRunStart();
  RunEnd runEnd;

  // Billing and purchasing post one period after the other.
  const records::FiscalPeriodInfo& p = r.period;
  if (p.pendingPeriod >= 1 && p.period != p.pendingPeriod) {
    char last[16] = "";
    DateToText(last, p.pendingDate);
    MsgShowArgs(kMsgPendingPeriod, 296, kButtonsStop, 1, static_cast<int>(p.pendingPeriod), last, 0);
    return 1;
  }
  if (!l.purchasing) {
    // The period's purchases come first: they set the costs its sales take.
    CUnpostTransCount unposted(records::kFilePurchasingHeaders);
    if (BiPoEndCheck(r.otherHeaders, records::kFilePurchasingHeaders, p.startDate, p.endDate, &unposted)) {
      if (unposted.UnpostedTransactionsExists()) {
        MsgShow(kMsgPurchasingUnposted, 1);
        UnpostedListShow(&unposted, 0);
      }
      return 1;
    }
  } else {
    r.billingPending = BiPoEndCheck(r.otherHeaders, records::kFileBillingHeaders, p.startDate, p.endDate, nullptr);
  }
  r.statsSlot = p.StatisticsSlot();

  FieldGetText(&r.frame->form, kReferenceField, r.reference, sizeof r.reference);
  StrTrim(5, r.reference);
  r.deleteAfter = records::IsYes(FormYesNoGet(&r.frame->form, kDeleteField));
  r.checkFirst = LedgerCheckFlag(l.ledger) != 0;
  r.askUnprinted = LedgerConfirmFlag(l.ledger) != 0;
  r.askUnflagged = PostOption559(l.ledger) != 0;
  r.costing = SysCodeGet(kSysCodeCosting);
  r.keepBackOrders = SysFlagGet(kSysFlagKeepBackOrders) != 0;
  r.keepHistory = SysFlagGet(kSysFlagKeepSalesHistory) != 0;
  BtrvSetKey(r.glLines, kGLLineKey, -1);
  BtrvSetKey(r.lines, 0, -1);
  BtrvSetKey(r.headers, kDateKey, -1);

  const int deleteFlag = r.deleteAfter ? 'Y' : 'N';
  char key[255] = {};
  int status = PostTranRead(deleteFlag, kOpGetGreaterOrEqual, r.headers, l.headerFile, key, &r.header, &r.period,
                            &r.work);
  if (posting::FirstHeaderRead(status, r.work, l.headerFile) != kStatusOk) {
    if (posting::NothingToPost(status)) EndStep(r);
    return 1;
  }
  records::GLAccount account{};
  if (PostLedgersCheck(1, r.accounts, &account, &r.unit.iface, &r.work,
                       l.purchasing ? kPurchasingInterfaceAccounts : kBillingInterfaceAccounts) != kStatusOk)
    return 1;
  if (l.purchasing && r.deleteAfter && !PurgeWarningAccepted()) return 0x20;

  // The purchasing journal numbers a purchase's parts: the box shows which
  // (nothing for a purchase of one part, whose number is 0).
  posting::PostingStatusBox box(l.statusTitle, 63, kStatusLines, sizeof kStatusLines, "Transaction",
                                l.purchasing ? "Part" : nullptr);
  bool stopped = false;
  auto next = [&] {
    status = PostTranRead(deleteFlag, kOpGetNext, r.headers, l.headerFile, key, &r.header, &r.period, &r.work);
  };
  while (status == kStatusOk) {
    r.tran = ShownText(r.header.transactionNumber);
    r.partyCode = ShownText(r.header.custVendCode);
    const std::int32_t part = r.header.keyPart;
    StatusBoxRecord(-1, r.tran.c_str(), l.purchasing && part > 0 ? &part : nullptr, 0);
    if (r.header.date < p.startDate || r.header.date > p.endDate) break;
    r.kind = BiPoKindOf(l.purchasing, r.header.typeLetter);
    if (r.kind == kBiPoNotPosted) {  // an order: neither posted nor marked
      next();
      continue;
    }
    // Posted already, or closed in entry: marked (or removed) again, no effects.
    if (r.header.IsUnposted()) {
      ++r.candidates;
      const Step step = PostTransaction(r);
      if (step == Step::kStop) {
        stopped = true;
        break;
      }
      if (step == Step::kSkip) {
        // Nothing the transaction wrote so far may stay.
        PostUnitAbandon();
        next();
        continue;
      }
      ++r.posted;
    }
    if (!posting::MarkAndCommit([&] { return Mark(r) != Step::kStop; }, &r.work, l.headerFile)) {
      stopped = true;
      break;
    }
    next();
  }
  if (stopped || posting::WalkReadFailed(status, r.work)) return 1;
  CommandDone();
  if (r.candidates == 0)
    MsgShow(kMsgNothingToPost, 1);
  else if (r.posted != 0)
    PostSummary(kMsgSummary, 0, r.posted, r.debitTotal, r.creditTotal);
  if (r.posted == r.candidates) EndStep(r);
  return 1;
}

// Every transaction of the period is posted: the pending period moves on.
// Purchasing leaves it while billing of the period is unposted, so that
// billing still takes this period.
void EndStep(Run& r) {
  if (r.l.purchasing && r.billingPending) return;
  const int status = PeriodStep441(r.settings, 4, r.period.entryIndex);
  if (status != kStatusOk) MsgRecordError(status, 1, kOpUpdate, records::kFileSettings, 0);
}

// The warning before purchasing transactions are deleted, unless the user
// asked not to be warned again.  True to go on.
bool PurgeWarningAccepted() {
  BtrvStore* store = PromptAnswerOpen();
  PromptAnswerBlock answer;
  const bool known = store != nullptr && PromptAnswerGet(kPromptProgram, kPromptPurge, store, &answer, 0) == 0 &&
                     answer.answer[0] != '\0';
  bool goOn = known;
  if (!known) {
    goOn = PromptAsk(kMsgPurgeWarning, &answer) == 0;
    if (goOn && answer.remember && store != nullptr) PromptAnswerSet(kPromptProgram, kPromptPurge, store, &answer);
  }
  BtrvStoreClose(store);
  BtrvStoreFree(store);
  return goOn;
}

// The effects of one unposted transaction, in the order they are written.
Step PostTransaction(Run& r) {
  r.partyFound = false;
  const bool unflaggedAsked = r.askUnflagged && Unflagged(r.header.entryFlag);
  const int before = posting::CheckBeforePosting(
      r.askUnprinted, Unflagged(r.header.journalPrinted) ? 0 : 1, [&] { return r.Ask(kMsgNotPrinted, 297, nullptr); },
      unflaggedAsked || r.checkFirst, [&] {
        if (unflaggedAsked) return r.Ask(kMsgNotReady, 298, nullptr) == kPostStop ? kPostStop : kPostSkip;
        const Step s = CheckBiPoTransaction(r);
        return s == Step::kStop ? kPostStop : s == Step::kSkip ? kPostSkip : kPostGoOn;
      });
  if (before == kPostStop) return Step::kStop;
  if (before == kPostSkip) return Step::kSkip;
  if (!r.partyFound) {
    if (const Step s = ReadBiPoCustVend(r, false); s != Step::kGoOn) return s;
  }
  r.ledger.Begin(r.kind, r.header, &r.party);

  for (auto step : {PostBiPoLines, PostTax}) {
    if (const Step s = step(r); s != Step::kGoOn) return s;
  }
  r.ledger.PaymentAndFreight();
  if (const Step s = CheckHeaderTotal(r); s != Step::kGoOn) return s;
  r.ledger.Summary();
  if (!r.onLine) {
    if (const Step s = WriteBiPoGLLines(r); s != Step::kGoOn) return s;
  }
  if (!NumIsZero(r.header.amountPaid)) {
    if (records::IsBlank(r.header.paymentAccount))
      std::memcpy(r.header.paymentAccount, r.unit.iface.cashAccount, sizeof r.header.paymentAccount);
    if (const Step s = InsertCheckRegisterEntry(r); s != Step::kGoOn) return s;
  }
  if (!BiPoOffAccount(r.kind, r.header)) {
    if (const Step s = UpdateBiPoCustVend(r); s != Step::kGoOn) return s;
    if (const Step s = UpdateLinkedInvoices(r); s != Step::kGoOn) return s;
  }
  if (r.onLine) return PostOnLineGL(r);
  return Step::kGoOn;
}

// --- Looking records up -------------------------------------------------------------------

// A record-manager failure of a step: shown, and the run stops.
Step RecordError(int status, int operation, int fileNo) {
  MsgRecordErrorPost(kButtonsStopOnly, 1, status, operation, fileNo, 0);
  return Step::kStop;
}

bool Missing(int status) { return status == kStatusKeyNotFound || status == kStatusEndOfFile; }

// Reads a master record by code for the transaction in hand: a missing one
// is asked about (`message`, 1 stop, 2 skip), another failure stops.
Step ReadMaster(Run& r, BtrvHandle handle, int fileNo, const char* code, void* record, int message, int format) {
  const int status = PostReadRecordWork(handle, fileNo, code, record, &r.work);
  if (status == kStatusOk) return Step::kGoOn;
  if (Missing(status)) return Answer(r.Ask(message, format, code));
  return RecordError(status, kOpGetEqual, fileNo);
}

// Reads a G/L account the transaction books to: missing (or blank), or a
// summary account where `detailOnly`, it is asked about.
Step ReadAccount(Run& r, const char* account, int message, int format, bool detailOnly, const char* shown = nullptr) {
  char code[12] = {};
  std::memcpy(code, account, strnlen(account, 11));
  StrTrim(5, code);
  records::GLAccount record{};
  const int status = code[0] == '\0' ? kStatusKeyNotFound : PostReadAccount(1, r.accounts, code, &record, &r.work);
  if (status == kStatusOk && !(detailOnly && record.IsSummary())) return Step::kGoOn;
  if (status == kStatusOk || Missing(status)) return Answer(r.Ask(message, format, shown ? shown : code));
  return RecordError(status, kOpGetEqual, records::kFileGLAccounts);
}

// The account a purchased service, or a purchased product that carries no
// stock, is booked to: the interface's cost of goods.
Step ReadPurchasedServiceAccount(Run& r) {
  return ReadAccount(r, r.unit.iface.costOfGoodsAccount, kMsgInterfaceAccount, 0, false);
}

Step ReadBiPoCustVend(Run& r, bool /*checkMode*/) {
  const Step s = ReadMaster(r, r.parties, r.l.partyFile, r.partyCode.c_str(), &r.party, r.l.msgPartyMissing, 304);
  r.partyFound = s == Step::kGoOn;
  return s;
}

// The accounts a billing item line books to in mode 'I': the sales or
// returns account and, for a line with a cost (`withCost`: a product that
// carries stock), the cost-of-goods account, each joined with the item's
// segment; a summary account is refused like a missing one (`message`).
Step CheckItemAccounts(Run& r, const char* segment, int message, bool withCost) {
  char account[11];
  if (const Step s = ReadAccount(r, r.ledger.ItemAccount(account, r.ledger.ItemSalesIndex(), segment), message, 303,
                                 true, account);
      s != Step::kGoOn)
    return s;
  if (!withCost) return Step::kGoOn;
  return ReadAccount(r, r.ledger.ItemAccount(account, InterfaceRecord::kCostOfGoodsIndex, segment), message, 303, true,
                     account);
}

// Reads the lines of the transaction in hand (BiPoLineWalk), calling `each`
// with every line; `each` returns kGoOn to read on.  A failed read stops.
// *count receives the lines read.
template <class Each>
Step ForEachLine(Run& r, Each each, long* count = nullptr) {
  BiPoLineWalk walk(r.lines, r.l.headerFile, r.header);
  BiPoLine line{};
  int status = kStatusOk;
  long n = 0;
  while ((status = walk.Next(&line)) == kStatusOk) {
    ++n;
    if (const Step s = each(line); s != Step::kGoOn) return s;
  }
  if (count) *count = n;
  if (status != kStatusEndOfFile) return RecordError(status, walk.Op(), r.l.lineFile);
  return Step::kGoOn;
}

// True when the transaction names a tax to book.
bool HasTax(const TagBiPoHeader& h) {
  return !records::IsBlank(h.taxCode) || !NumIsZero(h.tax) || !NumIsZero(h.taxableAmount);
}

// The pre-check of the ledger's check option: every record and account the
// transaction needs, before anything is written.  Each problem is asked
// about; 1 stops at once, any other answer skips the transaction once every
// problem is told.  A transaction without lines is skipped.
Step CheckBiPoTransaction(Run& r) {
  const Ledger& l = r.l;
  bool skip = false;
  auto note = [&](Step s) {
    if (s == Step::kSkip) skip = true;
    return s == Step::kStop;
  };
  if (note(ReadBiPoCustVend(r, true))) return Step::kStop;
  if (r.partyFound) {
    r.ledger.Begin(r.kind, r.header, &r.party);
    if (!records::IsBlank(r.party.glAccount) &&
        note(ReadAccount(r, r.party.glAccount, l.msgPartyAccountMissing, 0, false)))
      return Step::kStop;
  }
  if (BiPoOffAccount(r.kind, r.header) && note(ReadAccount(r, r.header.offsetAccount, kMsgOwnAccount, 0, false)))
    return Step::kStop;
  if (!l.purchasing && !NumIsZero(r.header.freight) &&
      note(ReadAccount(r, r.unit.iface.freightAccount, kMsgFreightAccount, 0, false)))
    return Step::kStop;
  if (!l.purchasing && !r.ledger.PerItem() && r.partyFound) {
    for (int slot : {kSlotSales, kSlotReturns, kSlotCostOfGoods}) {
      if (note(ReadAccount(r, r.ledger.Distribution().slot[slot].account, kMsgInterfaceAccount, 0, false)))
        return Step::kStop;
    }
  }
  const std::string taxCode(records::Trimmed(r.header.taxCode));
  if (HasTax(r.header) && !r.checkedTaxCodes.count(taxCode)) {
    TaxCode tax{};
    const Step found = ReadMaster(r, r.taxCodes, records::kFileTaxCodes, taxCode.c_str(), &tax, kMsgTaxCodeMissing, 301);
    if (note(found)) return Step::kStop;
    if (found == Step::kGoOn) {
      bool missing = false;
      auto check = [&](const char* account) {
        if (StrIsBlank(account)) return Step::kGoOn;
        const Step s = ReadAccount(r, account, kMsgTaxAccount, 0, false);
        if (s == Step::kSkip) missing = true;
        return s;
      };
      if (l.purchasing) {
        if (check(tax.purchasingAccount.account) == Step::kStop) return Step::kStop;
      } else {
        for (const records::TaxAccount& a : tax.billingAccounts)
          if (check(a.account) == Step::kStop) return Step::kStop;
      }
      if (missing)
        skip = true;
      else
        r.checkedTaxCodes.insert(taxCode);
    }
  }
  if (!BiPoOffAccount(r.kind, r.header)) {
    for (const std::int32_t number : {static_cast<std::int32_t>(r.header.firstLinkedInvoice),
                                      static_cast<std::int32_t>(r.header.secondLinkedInvoice)}) {
      if (number == 0) continue;
      TagOpenInvoice invoice{};
      const int status = OpenInvoiceRead(r.openInvoices, l.openInvoiceFile, number, &invoice, &r.work, r.reference, 1);
      if (status == kStatusOk) continue;
      if (!Missing(status)) return RecordError(status, kOpGetEqual, l.openInvoiceFile);
      if (note(Answer(r.Ask(l.msgOpenInvoiceMissing, 305, nullptr)))) return Step::kStop;
      break;
    }
  }
  long count = 0;
  const Step lines = ForEachLine(
      r,
      [&](const BiPoLine& line) {
        const std::string item(records::Trimmed(line.item));
        if (line.IsProductLine()) {
          TagProduct product{};
          Step s = ReadMaster(r, r.products, records::kFileProducts, item.c_str(), &product, kMsgProductMissing, 299);
          if (s == Step::kGoOn && r.ledger.PerItem())
            s = CheckItemAccounts(r, product.AccountSegment().data(), kMsgProductAccount, product.CarriesStock());
          else if (s == Step::kGoOn && l.purchasing && !product.CarriesStock())
            s = ReadPurchasedServiceAccount(r);
          return note(s) ? Step::kStop : Step::kGoOn;
        }
        if (line.lineKind == BiPoLine::kCodeLine) {
          records::PricedCode code{};
          const std::string text(line.CodeOfKindFour());
          Step s = ReadMaster(r, r.codes, l.codeFile, text.c_str(), &code, l.msgCodeMissing, 300);
          if (s == Step::kGoOn) s = ReadAccount(r, code.glAccount, l.msgCodeAccountMissing, 302, false, text.c_str());
          return note(s) ? Step::kStop : Step::kGoOn;
        }
        if (line.lineKind == BiPoLine::kServiceLine) {
          records::ServiceRecord service{};
          Step s = ReadMaster(r, r.services, records::kFileServices, item.c_str(), &service, kMsgServiceMissing, 299);
          if (s == Step::kGoOn && r.ledger.PerItem())
            return note(CheckItemAccounts(r, service.AccountSegment().data(), kMsgServiceAccount, false)) ? Step::kStop
                                                                                                       : Step::kGoOn;
          if (s == Step::kGoOn && l.purchasing) s = ReadPurchasedServiceAccount(r);
          return note(s) ? Step::kStop : Step::kGoOn;
        }
        return Step::kGoOn;  // kinds 5, 7, 8: counted only
      },
      &count);
  if (lines == Step::kStop) return Step::kStop;
  return skip || count == 0 ? Step::kSkip : Step::kGoOn;
}

// --- Lines and the records they update ---------------------------------------------------

// The stock activity of a product line and the product's own figures.
// Billing prices the line at the product's cost by the costing method
// (stored in the line's unit cost and extended cost); purchasing takes its
// last cost and date.  Returns the line's cost (billing), 0 for purchasing.
double UpdateProductForLine(Run& r, BiPoLine& line, TagProduct& product, InventoryTransaction& a) {
  const TagBiPoHeader& h = r.header;
  const bool invoiceType = h.typeLetter == 'I';
  const double s = invoiceType ? 1.0 : -1.0;
  const int divisor = product.purchaseUnitFactor < 1 ? 1 : static_cast<int>(product.purchaseUnitFactor);
  const double quantity = line.quantity;

  a = InventoryTransaction{};
  std::memcpy(a.productCode, line.item, sizeof a.productCode);
  a.activityFlag = 'P';
  a.periodKey = h.periodKey;
  a.date = h.date;
  // Into stock: purchases and billing returns; out of stock: sales and purchase returns.
  const bool intoStock = r.l.purchasing == invoiceType;
  a.kind = intoStock ? '1' : '5';
  a.source = r.l.purchasing ? (r.kind == kBiPoPurchase ? 'M' : 'R') : (r.kind == kBiPoInvoice ? 'B' : 'S');
  a.secondSource = h.typeLetter;
  std::string source = ShownText(h.transactionNumber);
  if (h.keyPart > 0) {
    char part[16];
    std::snprintf(part, sizeof part, "-%-3ld", static_cast<long>(h.keyPart));
    source += part;
  }
  records::SetPadded(a.sourceTransaction, source);
  records::SetText(a.reference, r.reference);
  std::memcpy(a.department, product.department, sizeof a.department);
  const double signedUnit = intoStock ? 1.0 : -1.0;
  a.quantity = signedUnit * quantity;
  a.salesUnitFactor = static_cast<std::uint16_t>(product.salesUnitFactor);
  a.unitDivisor = product.purchaseUnitFactor;
  char shown[64] = "";
  StrFormatValue(shown, "%11.4fF", 0, a.quantity);
  a.formattedQuantity = std::strtod(shown, nullptr);

  if (r.l.purchasing) {
    if (invoiceType && h.date >= product.lastPurchaseDate && !NumIsZero(quantity)) {
      product.lastPurchaseDate = h.date;
      product.lastCost = NumRound(line.amount / (quantity / divisor), 4);
    }
    const double unitCost = line.purchaseUnitCost;
    a.unitCost = unitCost < 0 ? -unitCost : unitCost;
    a.extendedAmount = NumRound(signedUnit * line.amount, 2);
    return 0.0;
  }
  // A product line of kind 2 is costed at 0, and so is a product that
  // carries no stock: it has no stock to take a cost from.
  const double chosen = line.lineKind == 2 || !product.CarriesStock() ? 0.0 : product.CostByMethod(r.costing);
  const double unitCost = NumDivide(chosen, divisor);
  line.unitCost = unitCost;
  const double cost = NumRound(unitCost * quantity, 2);
  line.extendedCost = cost;
  if (invoiceType && h.date > product.lastSaleDate) product.lastSaleDate = h.date;
  if (product.CarriesStock()) {
    product.valueOnHand = NumRound(product.valueOnHand - s * cost, 2);
    product.secondQuantityOnHand = product.secondQuantityOnHand - s * quantity;
    product.quantityOnHand = product.quantityOnHand - s * quantity;
  }
  const int slot = r.statsSlot;
  product.salesUnits[slot] = product.salesUnits[slot] + NumRound(s * quantity, 2);
  product.salesDollars[slot] = NumRound(product.salesDollars[slot] + NumRound(s * line.amount, 2), 2);
  product.costOfSales[slot] = NumRound(product.costOfSales[slot] + s * cost, 2);
  product.grossProfit[slot] = NumRound(product.salesDollars[slot] - product.costOfSales[slot], 2);
  a.unitCost = chosen < 0 ? -chosen : chosen;
  a.extendedAmount = signedUnit * cost;
  return cost;
}

void UpdateServiceForLine(Run& r, const BiPoLine& line, records::ServiceRecord& service) {
  const bool invoiceType = r.header.typeLetter == 'I';
  const double s = invoiceType ? 1.0 : -1.0;
  if (invoiceType && r.header.date > service.lastSaleDate) service.lastSaleDate = r.header.date;
  const int slot = r.statsSlot;
  service.salesDollars[slot] = NumRound(service.salesDollars[slot] + NumRound(s * line.amount, 2), 2);
  service.salesUnits[slot] = NumRound(service.salesUnits[slot] + NumRound(s * line.quantity, 2), 2);
}

Step InsertBackOrder(Run& r, const BiPoLine& line) {
  records::BackOrder b{};
  std::memcpy(b.transactionNumber, r.header.transactionNumber, sizeof b.transactionNumber);
  std::memcpy(b.productCode, line.item, sizeof b.productCode);
  std::memcpy(b.description, line.description, sizeof b.description);
  std::memcpy(b.customerCode, r.header.custVendCode, sizeof b.customerCode);
  std::memcpy(b.documentCode, r.header.documentCode, sizeof b.documentCode);
  b.salesFraction = line.salesFraction;
  b.quantityDecimals = line.quantityDecimals;
  b.date = r.header.date;
  std::memcpy(b.entryCode, line.entryCode, sizeof b.entryCode);
  b.secondQuantity = line.secondQuantity;
  b.quantity = line.quantity;
  b.backOrderedQuantity = line.backOrderedQuantity;
  b.purchaseUnitCost = line.purchaseUnitCost;
  const int status = BtrvWriteOp(kOpInsert, r.backOrders, nullptr, &b, sizeof b);
  return status == kStatusOk ? Step::kGoOn : RecordError(status, kOpInsert, records::kFileBackOrders);
}

Step InsertSalesHistory(Run& r, const BiPoLine& line) {
  const TagBiPoHeader& h = r.header;
  records::SalesHistory s{};
  s.typeLetter = h.typeLetter;
  std::memcpy(s.transactionNumber, h.transactionNumber, sizeof s.transactionNumber);
  s.sequence = line.sequence;
  s.lineKind = line.lineKind;
  std::memcpy(s.item, line.item, sizeof s.item);
  std::memcpy(s.description, line.description, sizeof s.description);
  std::memcpy(s.department, line.department, sizeof s.department);
  std::memcpy(s.customerCode, h.custVendCode, sizeof s.customerCode);
  if (line.lineKind == BiPoLine::kCodeLine) records::SetText(s.kindCode, line.CodeOfKindFour());
  std::memcpy(s.documentCode, h.documentCode, sizeof s.documentCode);
  std::memcpy(s.name, h.name, sizeof s.name);
  s.salesFraction = line.salesFraction;
  s.entryMark1 = line.entryMark1;
  s.entryMark2 = line.entryMark2;
  s.historyMark = h.historyMark;
  s.date = h.date;
  std::memcpy(s.entryText1, line.entryText1, sizeof s.entryText1);
  std::memcpy(s.entryText2, line.entryText2, sizeof s.entryText2);
  std::memcpy(s.entryCode, line.entryCode, sizeof s.entryCode);
  s.extendedCost = line.extendedCost;
  s.amount = line.amount;
  s.secondQuantity = line.secondQuantity;
  s.quantity = line.quantity;
  s.backOrderedQuantity = line.backOrderedQuantity;
  s.purchaseUnitCost = line.purchaseUnitCost;
  s.unitCost = line.unitCost;
  const int status = BtrvWriteOp(kOpInsert, r.history, nullptr, &s, sizeof s);
  return status == kStatusOk ? Step::kGoOn : RecordError(status, kOpInsert, records::kFileSalesHistory);
}

// A product line: the product priced, moved and stored, its activity
// written, and its share of the G/L lines.
Step PostProductLine(Run& r, BiPoLine& line, double* costTotal) {
  const std::string item(records::Trimmed(line.item));
  TagProduct product{};
  if (const Step s = ReadMaster(r, r.products, records::kFileProducts, item.c_str(), &product, kMsgProductMissing, 299);
      s != Step::kGoOn)
    return s;
  InventoryTransaction activity{};
  const double cost = UpdateProductForLine(r, line, product, activity);
  if (PostAmountLine(r.activity, &product, 0, &activity, &r.work) != kStatusOk)
    return RecordError(r.work.status, r.work.operation, r.work.fileNo);
  if (r.l.purchasing && !NumIsZero(product.quantityOnHand)) {
    // The average takes the purchase just added to stock.
    const int divisor = product.purchaseUnitFactor < 1 ? 1 : static_cast<int>(product.purchaseUnitFactor);
    product.averageCost = NumRound(product.valueOnHand / (product.quantityOnHand / divisor), 4);
  }
  *costTotal += cost;
  if (r.l.purchasing && !product.CarriesStock() && !r.onLine) {
    if (const Step s = ReadPurchasedServiceAccount(r); s != Step::kGoOn) return s;
  }
  r.ledger.ProductLine(line, cost, product);
  if (PostRecordStore(r.products, records::kFileProducts, &product, &r.work) != kStatusOk)
    return RecordError(r.work.status, kOpUpdate, records::kFileProducts);
  if (r.ledger.PerItem() && !r.onLine)
    return CheckItemAccounts(r, product.AccountSegment().data(), kMsgProductAccount, product.CarriesStock());
  return Step::kGoOn;
}

Step PostServiceLine(Run& r, const BiPoLine& line) {
  const std::string item(records::Trimmed(line.item));
  records::ServiceRecord service{};
  if (const Step s = ReadMaster(r, r.services, records::kFileServices, item.c_str(), &service, kMsgServiceMissing, 299);
      s != Step::kGoOn)
    return s;
  if (r.l.purchasing && !r.onLine) {
    if (const Step s = ReadPurchasedServiceAccount(r); s != Step::kGoOn) return s;
  }
  UpdateServiceForLine(r, line, service);
  r.ledger.ServiceLine(line, service.AccountSegment().data());
  if (PostRecordStore(r.services, records::kFileServices, &service, &r.work) != kStatusOk)
    return RecordError(r.work.status, kOpUpdate, records::kFileServices);
  if (r.ledger.PerItem() && !r.onLine)
    return CheckItemAccounts(r, service.AccountSegment().data(), kMsgServiceAccount, false);
  return Step::kGoOn;
}

Step PostCodeLine(Run& r, const BiPoLine& line) {
  records::PricedCode code{};
  const std::string text(line.CodeOfKindFour());
  if (const Step s = ReadMaster(r, r.codes, r.l.codeFile, text.c_str(), &code, r.l.msgCodeMissing, 300);
      s != Step::kGoOn)
    return s;
  if (!r.onLine) {
    if (const Step s = ReadAccount(r, code.glAccount, r.l.msgCodeAccountMissing, 302, false, text.c_str());
        s != Step::kGoOn)
      return s;
  }
  r.ledger.CodeLine(line, code.glAccount);
  return Step::kGoOn;
}

// The line walk: each line's own effects, its back order and history, and
// its posted mark.  The header takes the cost of its product lines.
Step PostBiPoLines(Run& r) {
  double costTotal = 0;
  const Step walked = ForEachLine(r, [&](BiPoLine line) {
    Step s = Step::kGoOn;
    if (line.IsProductLine())
      s = PostProductLine(r, line, &costTotal);
    else if (line.lineKind == BiPoLine::kCodeLine)
      s = PostCodeLine(r, line);
    else if (line.lineKind == BiPoLine::kServiceLine)
      s = PostServiceLine(r, line);
    if (s != Step::kGoOn) return s;
    if (r.keepBackOrders && r.kind == kBiPoInvoice && line.IsProductLine() && !NumIsZero(line.backOrderedQuantity)) {
      if (const Step b = InsertBackOrder(r, line); b != Step::kGoOn) return b;
    }
    if (r.keepHistory && !r.l.purchasing) {
      if (const Step h = InsertSalesHistory(r, line); h != Step::kGoOn) return h;
    }
    line.postedFlag = 'Y';
    const int status = BtrvWriteOp(kOpUpdate, r.lines, nullptr, &line, sizeof line);
    return status == kStatusOk ? Step::kGoOn : RecordError(status, kOpUpdate, r.l.lineFile);
  });
  // A skip answered for a line ends the walk as well: the transaction is left whole.
  if (walked != Step::kGoOn) return walked;
  r.header.costOfGoods = r.l.purchasing ? 0.0 : NumRound(costTotal, 2);
  return Step::kGoOn;
}

// True when tax code `tax` names a tax account of the run's ledger.
bool HasTaxAccount(const Ledger& l, const TaxCode& tax) {
  if (l.purchasing) return !records::IsBlank(tax.purchasingAccount.account);
  for (const records::TaxAccount& a : tax.billingAccounts)
    if (!records::IsBlank(a.account)) return true;
  return false;
}

// The header's taxes: the tax code's period totals, and its G/L lines.
Step PostTax(Run& r) {
  if (!HasTax(r.header)) {
    r.ledger.Tax(nullptr);
    return Step::kGoOn;
  }
  const std::string code(records::Trimmed(r.header.taxCode));
  TaxCode tax{};
  if (const Step s = ReadMaster(r, r.taxCodes, records::kFileTaxCodes, code.c_str(), &tax, kMsgTaxCodeMissing, 301);
      s != Step::kGoOn)
    return s;
  // Without an account of the code the tax would reach only the customer's
  // or vendor's side, and the transaction could not balance.
  if (!NumIsZero(r.header.tax) && !HasTaxAccount(r.l, tax))
    return Answer(MsgShowArgs(kMsgTaxWithoutAccount, 301, kButtonsStopSkip, 1, code.c_str(), r.KindName(),
                              r.tran.c_str(), r.l.purchasing ? "purchasing" : "billing", 0));
  const int entry = r.period.entryIndex;
  if (entry >= 0 && entry < 26) {
    // The totals take the tax as the G/L does: an invoice or purchase ('I')
    // adds, every other kind (returns, credit memos) takes off.
    const double t = r.header.typeLetter == 'I' ? 1.0 : -1.0;
    records::F64* taxable = r.l.purchasing ? tax.purchasingTaxable : tax.billingTaxable;
    records::F64* amount = r.l.purchasing ? tax.purchasingTax : tax.billingTax;
    taxable[entry] = NumRound(taxable[entry] + t * r.header.taxableAmount, 2);
    amount[entry] = NumRound(amount[entry] + t * r.header.tax, 2);
  }
  if (PostRecordStore(r.taxCodes, records::kFileTaxCodes, &tax, &r.work) != kStatusOk)
    return RecordError(r.work.status, kOpUpdate, records::kFileTaxCodes);
  r.ledger.Tax(&tax);
  return Step::kGoOn;
}

// The customer or vendor takes the header's total, the ledger what the
// lines, tax and freight book: a header whose total says otherwise would set
// receivables (or payables) apart from the customers (or vendors).  It is
// asked about, and nothing of it is kept.  A purchase not on the vendor's
// account leaves the vendor alone, and its total with it.
Step CheckHeaderTotal(Run& r) {
  if (BiPoOffAccount(r.kind, r.header)) return Step::kGoOn;
  const double total = NumRound(r.header.total, 2), booked = r.ledger.Booked();
  if (NumEqual(total, booked)) return Step::kGoOn;
  return Answer(
      MsgShowArgs(kMsgTotalDiffers, 306, kButtonsStopSkip, 1, r.KindName(), r.tran.c_str(), total, booked, 0));
}

// The run's G/L transaction, dated the posting date.  It is written posted:
// each transaction posts its lines into the accounts as it adds them.
void BuildBiPoGLHeader(Run& r) {
  r.glHeader = TagGLHeader{};
  records::SetPadded(r.glHeader.journalCode, r.l.journal);
  records::SetText(r.glHeader.reference, r.reference);
  r.glHeader.date = r.postingDate;
  r.glHeader.journalPrinted = r.postingDate;
  r.glHeader.postedFlag = 'Y';
  r.glHeader.sourceFlag = 'N';
  r.glHeader.checkFlag = 'N';
}

// The transaction named as the messages of the G/L name a transaction: its
// journal and its own number.
TagGLHeader Named(const Run& r) {
  TagGLHeader named{};
  records::SetPadded(named.journalCode, r.l.journal);
  std::memcpy(named.transactionNumber, r.header.transactionNumber, sizeof named.transactionNumber);
  return named;
}

// Batch: the transaction's lines, which must balance on their own, go into
// the run's G/L transaction (made with the first transaction that has
// lines) and into their accounts.
Step WriteBiPoGLLines(Run& r) {
  const std::vector<GLLine>& lines = r.ledger.Lines();
  if (lines.empty()) return Step::kGoOn;
  const double debit = r.ledger.Debits(), credit = r.ledger.Credits();
  const TagGLHeader named = Named(r);
  if (!NumEqual(debit, credit)) {
    r.work.status = kPostStatusOutOfBalance;
    PostOutOfBalance(debit, credit, &named, &r.work);
    return Step::kStop;
  }
  if (!r.glMade) {
    BuildBiPoGLHeader(r);
    int status = GLTranHeaderCreate(r.sequences, r.glHeader.transactionNumber, &r.glHeader, &r.work);
    if (status == kStatusOk) status = GLTranDetailCreate(r.glHeaders, &r.glHeader, &r.work);
    if (status != kStatusOk) return RecordError(r.work.status, r.work.operation, r.work.fileNo);
    r.glMade = true;
  }
  for (GLLine line : lines) {
    std::memcpy(line.journalCode, r.glHeader.journalCode, sizeof line.journalCode);
    std::memcpy(line.transactionNumber, r.glHeader.transactionNumber, sizeof line.transactionNumber);
    line.date = r.glHeader.date;
    const GLLine booked = line;  // PostGLLine hands back the summed line
    if (PostGLLine(1, r.glLines, &r.debitCounter, &r.creditCounter, &line, &r.work) != kStatusOk)
      return RecordError(r.work.status, r.work.operation, r.work.fileNo);
    if (PostGLLineToAccount(r.accounts, &booked, &r.period, &r.work) != kStatusOk) {
      // An account not on file is named with the transaction.
      PostOutOfBalance(debit, credit, &named, &r.work);
      return Step::kStop;
    }
  }
  r.debitTotal = NumRound(r.debitTotal + debit, 2);
  r.creditTotal = NumRound(r.creditTotal + credit, 2);
  return Step::kGoOn;
}

// On line: the transaction's own G/L transaction, posted at once.  One that
// cannot be written or read back is asked about: stopped or skipped,
// nothing of the transaction stays.
Step PostOnLineGL(Run& r) {
  CBaseGL& gl = *r.onLine;
  gl.SetPostRef(r.KindName());
  int failed = 0;
  if (!(r.l.purchasing ? gl.UpdateFromPoTran(&r.header) : gl.UpdateFromBiTran(&r.header)))
    failed = kMsgNotPosted;
  else if (!gl.ReadGLHeader(gl.GetTranKey(), &r.glHeader))
    failed = kMsgNotReadBack;
  if (failed != 0) return Answer(r.Ask(failed, 298, nullptr));
  double debit = 0, credit = 0;
  PostGLBatch(r.glHeaders, r.glLines, r.accounts, &debit, &credit, &r.period, &r.glHeader, &r.work, 0);
  if (r.work.status != kStatusOk) {
    PostOutOfBalance(debit, credit, &r.glHeader, &r.work);
    return Step::kStop;
  }
  r.debitTotal = NumRound(r.debitTotal + debit, 2);
  r.creditTotal = NumRound(r.creditTotal + credit, 2);
  return Step::kGoOn;
}

// A payment taken at entry: the check it was paid by posted in the check
// register when the register holds it (a customer's among the deposits, a
// vendor's among the checks); otherwise (no check number, or a check the
// register does not hold) a customer's deposit ('D') or a payment to a
// vendor ('C') entered in it, so that every payment reaches the bank
// reconciliation.
Step InsertCheckRegisterEntry(Run& r) {
  const TagBiPoHeader& h = r.header;
  CBaseCheckReg checks;
  if (h.checkNumber >= 1) {
    if (checks.Post(h.checkNumber, nullptr, r.l.purchasing ? 'C' : 'D')) return Step::kGoOn;
    if (checks.GetResult() != kStatusKeyNotFound)
      return RecordError(checks.GetResult(), kOpUpdate, records::kFileCheckRegister);
  }
  records::TagCheckRegister e{};
  std::memcpy(e.bankAccount, h.paymentAccount, sizeof e.bankAccount);
  std::memcpy(e.checkNumber, h.checkNumberText, sizeof e.checkNumber);
  if (h.checkNumber >= 1 && records::IsBlank(e.checkNumber))
    records::SetText(e.checkNumber, std::to_string(h.checkNumber));
  std::memcpy(e.transactionNumber, h.transactionNumber, sizeof h.transactionNumber);
  std::memcpy(e.code, h.custVendCode, sizeof e.code);
  std::memcpy(e.name, h.name, sizeof e.name);
  std::memcpy(e.reference, h.paymentReference, sizeof e.reference);
  e.status = 'O';
  e.entrySide = r.l.purchasing ? 'C' : 'D';
  e.date = h.date;
  e.amount = NumRound(h.amountPaid, 2);
  e.kind = 'B';
  e.state = 'Y';
  if (!checks.InsertReg(&e)) return RecordError(checks.GetResult(), kOpInsert, records::kFileCheckRegister);
  return Step::kGoOn;
}

// The customer's or vendor's figures: latest invoice and payment, the
// period's debits and credits, the balance, the year's statistics.
Step UpdateBiPoCustVend(Run& r) {
  const TagBiPoHeader& h = r.header;
  CustVendRecord& c = r.party;
  const bool invoiceType = h.typeLetter == 'I';
  const double s = invoiceType ? 1.0 : -1.0;
  const int slot = r.statsSlot;
  if (invoiceType && h.date >= c.lastInvoiceDate) {
    c.lastInvoiceDate = h.date;
    c.lastInvoiceAmount = h.grossAmount;
  }
  const double paid = h.amountPaid, total = h.total;
  if (!NumIsZero(paid)) {
    // The latest payment's date and amount go together: a payment dated
    // before the one on record leaves both (as a receivables payment does).
    if (h.date >= c.lastPaymentDate) {
      c.lastPaymentDate = h.date;
      c.lastPaymentAmount = paid;
    }
    c.payments[slot] = NumRound(c.payments[slot] + s * paid, 2);
  }
  auto add = [](records::F64& field, double value) { field = NumRound(field + value, 2); };
  if (r.l.purchasing) {
    // A vendor's purchases are credits; its returns and the payments made
    // at entry are debits, as the G/L books them against payables.
    add(invoiceType ? c.periodCredits : c.periodDebits, total);
    add(c.periodDebits, paid);
    c.balance = NumRound(c.periodStartBalance + c.periodCredits - c.periodDebits, 2);
  } else {
    // A customer's invoices are debits; its returns and every payment taken
    // at entry credits, as the G/L books them against receivables.
    add(invoiceType ? c.periodDebits : c.periodCredits, total);
    add(c.periodCredits, paid);
    c.balance = NumRound(c.periodStartBalance + c.periodDebits - c.periodCredits, 2);
  }
  ++(invoiceType ? c.invoiceCounts[slot] : c.otherCounts[slot]);
  c.grossAmounts[slot] = NumRound(c.grossAmounts[slot] + s * h.grossAmount, 2);
  c.costOfGoods[slot] = NumRound(c.costOfGoods[slot] + NumRound(s * h.costOfGoods, 4), 4);
  if (PostRecordStore(r.parties, r.l.partyFile, &c, &r.work) != kStatusOk)
    return RecordError(r.work.status, kOpUpdate, r.l.partyFile);
  return Step::kGoOn;
}

// The open invoices the transaction was entered with are marked posted; the
// first takes the transaction's cost of goods.
Step UpdateLinkedInvoices(Run& r) {
  const Ledger& l = r.l;
  bool first = true;
  for (const std::int32_t number : {static_cast<std::int32_t>(r.header.firstLinkedInvoice),
                                    static_cast<std::int32_t>(r.header.secondLinkedInvoice)}) {
    const bool isFirst = first;
    first = false;
    if (number == 0) continue;
    TagOpenInvoice invoice{};
    int status = OpenInvoiceRead(r.openInvoices, l.openInvoiceFile, number, &invoice, &r.work, r.reference, 1);
    if (status == kStatusOk && isFirst) {
      invoice.costOfGoods = r.header.costOfGoods;
      if (RecordWriteOp(kOpUpdate, 0, &invoice, &r.party, &r.header, &r.work) != kStatusOk)
        MsgRecordError(r.work.status, 1, r.work.operation, r.work.fileNo, 0);
    }
    if (status == kStatusOk)
      status = OpenInvoiceUpdate(r.openInvoices, l.openInvoiceFile, &invoice, &r.work, &*r.unit.oiHeader, 1);
    if (status == kStatusOk) continue;
    if (Missing(status))
      MsgShowArgs(l.msgOpenInvoiceMissing, 305, kButtonsStop, 1, r.KindName(), r.tran.c_str(), 0);
    else
      MsgRecordErrorPost(kButtonsStopOnly, 1, status, r.work.operation, r.work.fileNo, 0);
    return Step::kStop;
  }
  return Step::kGoOn;
}

// Marks a handled header posted, or deletes it with its lines.
Step Mark(Run& r) {
  r.header.postedFlag = 'Y';
  if (r.deleteAfter) {
    if (PostBiPoTranRemove(kOpDelete, r.headers, r.lines, r.openInvoices, r.products, r.l.headerFile, 0, &r.header,
                           &r.work, &*r.unit.oiHeader) != kStatusOk)
      return RecordError(r.work.status, r.work.operation, r.work.fileNo);
    return Step::kGoOn;
  }
  const int status = BtrvWriteOp(kOpUpdate, r.headers, nullptr, &r.header, 0);
  return status == kStatusOk ? Step::kGoOn : RecordError(status, kOpUpdate, r.l.headerFile);
}

}  // namespace
