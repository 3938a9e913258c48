// The receivables and payables journals (commands 302 and 303): the entered
// transactions of the receivables ledger (headers file 7, details file 6,
// customers file 22) or of the payables ledger (files 4, 3, vendors 66), with
// the names of their G/L accounts (file 1).  One unit serves both; the
// ledger decides files, captions and messages.
//
// Each transaction prints a header line (number, customer or vendor, invoice,
// dates, discount available, type), its distribution lines (account, name,
// description, debit or credit), then its comments when they are asked for
// and it has some, or else its totals.  A deleted transaction prints one
// line.  The journal ends with its totals.
//
// "Journal" mode prints the unposted transactions of the journal date's
// period, warns of a transaction out of balance and of customers, vendors
// and accounts not on file, stamps each printed header with the journal
// date, and ends with the G/L summary: the period's unposted distribution
// netted per account, the control account first, which is what posting will
// carry to the general ledger.  "Listing" mode prints the transactions the
// selection window's criteria choose and writes nothing.
//
// The selection window, the readers, the "Select:" lines and the print walk
// are the journal frame's (journal_frame.h); the column builders, the page
// heading and the comments are shared with the other journals
// (journal_print.h).
#include "journals/arap_journal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "journals/journal_frame.h"
#include "journals/journal_print.h"
#include "qxabase.h"
#include "qxabase/tran_comments.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace {

using records::CustVendRecord;
using records::GLAccount;
using records::RecPayDetail;
using records::TagRecPayHeader;

using journals::Amount;
using journals::AmountHeading;
using journals::Column;
using journals::CopyField;
using journals::Filled;
using journals::Heading;
using journals::RoundCents;
using journals::ShowAllColumns;
using journals::Trim;

// Screen texts (block 214).
constexpr int kTextBlock = 214;
constexpr int kTextCount = 42;
enum TextNumber : int {
  kTextReceivablesTitle = 0,  // "Receivables %s"
  kTextPayablesTitle = 1,     // "Payables %s"
  kTextJournal = 2,
  kTextListing = 3,
  kTextNotOnFile = 14,        // the name of a customer, vendor or account not on file
  kTextTranTotals = 15,
  kTextGrandTotals = 16,
  kTextSummaryTitle = 17,
  kTextReceivablesDistribution = 19,
  kTextPayablesDistribution = 20,
  kTextSummaryTotals = 21,
};

constexpr int kMsgCustomerMissing = 1343;  // %1 code, %2 ledger, %3 transaction
constexpr int kMsgVendorMissing = 1345;
constexpr int kMsgAccountMissing = 1377;   // %1 account, %2 ledger, %3 transaction
constexpr int kMsgOutOfBalance = 1379;     // %1 debits, %2 credits, %3 ledger, %4 transaction

// What tells the two journals apart.
struct Ledger {
  int commandId;
  int headerFile, detailFile, openInvoiceFile, partyFile;
  const char* reportId;
  const char* reportTitle;
  int titleText;
  const char* ledgerCode;       // of the detail lines, blank-padded to 7 in their key
  const char* partyHeading;     // heading row 1
  const char* partyNameHeading; // heading row 2
  int partyMissingMessage;
  // The ledger as the messages name it.  The stored label is "Accounts
  // Receivable :" (padded for a box of its own); the texts here put it into
  // a sentence, so it is passed without the padding and the colon.
  const char* messageLabel;
  int distributionText;         // description of the summary lines
};

constexpr Ledger kReceivables{302, records::kFileReceivablesHeaders, records::kFileReceivablesDetails,
                              records::kFileReceivablesOpenInvoices, records::kFileCustomers, "RSJrnlAR",
                              "Receivables Journal", kTextReceivablesTitle, "AR", "Customer", "Customer Name",
                              kMsgCustomerMissing, "Accounts Receivable", kTextReceivablesDistribution};
constexpr Ledger kPayables{303, records::kFilePayablesHeaders, records::kFilePayablesDetails,
                           records::kFilePayablesOpenInvoices, records::kFileVendors, "RSJrnlAP",
                           "Payables Journal", kTextPayablesTitle, "AP", "Vendor", "Vendor Name",
                           kMsgVendorMissing, "Accounts Payable", kTextPayablesDistribution};

// ---- Report columns ----------------------------------------------------------------------

// Heading rows; the party's captions are put in per ledger.
enum HeadingColumn : int { kHeadParty1 = 1, kHeadPartyName2 = 2 };
//   caption          format   x
constexpr TagReportColumn kHeadingRow1[] = {
    Heading("Tran", "%-5s", 0),
    Heading("", "%-10s", 6),         // "Customer" or "Vendor"
    Heading("Trans.", "%-8s", 61),
    Heading("Invoice", "%-8s", 71),
    Heading("Due", "%-8s", 81),
    Heading("Disct.", "%-8s", 90),
    Heading("Tran", "%-4s", 99),
    {},
};
constexpr TagReportColumn kHeadingRow2[] = {
    Heading("No.", "%-10s", 0),
    Heading("Code", "%-10s", 11),
    Heading("", "%-25s", 22),        // "Customer Name" or "Vendor Name"
    Heading("Invoice #", "%-12s", 48),
    Heading("Date", "%-8s", 61),
    Heading("Date", "%-8s", 71),
    Heading("Date", "%-8s", 81),
    Heading("Avail.", "%-8s", 90),
    Heading("Type", "%-4s", 99),
    AmountHeading("Debit", "%11s", 104),
    AmountHeading("Credit", "%11s", 116),
    Heading("Posted", "%-6s", 128),
    {},
};

enum HeaderColumn : int {
  kHdrTran, kHdrCode, kHdrName, kHdrInvoice, kHdrDate, kHdrInvoiceDate, kHdrDueDate, kHdrDiscount, kHdrType,
  kHeaderColumns
};
constexpr TagReportColumn kHeaderRow[] = {
    Column(kColumnText, "%-10.10s", 0),   // transaction number
    Column(kColumnText, "%-10.10s", 11),  // customer or vendor code ("DELETED" for a deleted one)
    Column(kColumnText, "%-25.25s", 22),  // name
    Column(kColumnText, "%-10.10s", 48),  // invoice number
    Column(kColumnDate, "nn/nn/nn", 61),  // transaction date
    Column(kColumnDate, "nn/nn/nn", 71),  // invoice date
    Column(kColumnDate, "nn/nn/nn", 81),  // due date
    Amount("%8.2f", 90),                  // discount available
    Column(kColumnText, "%-4s", 99),      // type letter
    {},
};
static_assert(std::size(kHeaderRow) == kHeaderColumns + 1);

enum DetailColumn : int { kDetAccount, kDetName, kDetDescription, kDetDebit, kDetCredit, kDetPosted, kDetailColumns };
constexpr TagReportColumn kDetailRow[] = {
    Column(kColumnText, "%-10.10s", 11),  // account
    Column(kColumnText, "%-25.25s", 22),  // account name
    Column(kColumnText, "%-24.24s", 48),  // description
    Amount("%11.2f", 104),                // debit
    Amount("%11.2f", 116),                // credit
    Column(kColumnText, "%-4s", 128),     // posted: "Yes" or "No"
    {},
};
static_assert(std::size(kDetailRow) == kDetailColumns + 1);

enum TotalsColumn : int { kTotCount, kTotDebit, kTotCredit, kTotalsColumns };
constexpr TagReportColumn kTotalsRow[] = {
    Column(kColumnLong, "%4u", 104),      // the number of lines, kept hidden
    Amount("%11.2f", 104),
    Amount("%11.2f", 116),
    {},
};

constexpr TagReportColumn kSummaryHeading[] = {
    Heading("Acct#", "%-10s", 1),
    Heading("Account Name", "%-25s", 12),
    Heading("Description", "%-24s", 38),
    AmountHeading("Debit", "%11s", 63),
    AmountHeading("Credit", "%11s", 77),
    {},
};
enum SummaryColumn : int { kSumAccount, kSumName, kSumDescription, kSumDebit, kSumCredit, kSummaryColumns };
constexpr TagReportColumn kSummaryRow[] = {
    Column(kColumnText, "%-10.10s", 1),
    Column(kColumnText, "%-25.25s", 12),
    Column(kColumnText, "%-24.24s", 38),
    Amount("%11.2f", 63),
    Amount("%11.2f", 77),
    {},
};

// ---- The run -----------------------------------------------------------------------------

struct HeaderValues {
  char tran[12] = {};
  char code[12] = {};
  char name[26] = {};
  char invoice[12] = {};
  std::int32_t date = 0, invoiceDate = 0, dueDate = 0;
  double discount = 0;
  char type[5] = {};
};

struct DetailValues {
  char account[12] = {};
  char name[26] = {};
  char description[26] = {};
  double debit = 0, credit = 0;
  char posted[4] = {};
};

// A transaction's totals, or the journal's.
struct Sums {
  std::int32_t count = 0;
  double debit = 0, credit = 0;
};

struct SummaryValues {
  char account[12] = {};
  char name[26] = {};
  const char* description = "";
  double debit = 0, credit = 0;
};

struct ArApJournalRun : journals::FrameJournalRun<kTextCount> {
  explicit ArApJournalRun(const Ledger& l) : ledger(l), comments(l.detailFile) {}

  const Ledger& ledger;
  TagRecPayHeader header{};  // the frame's readers read into it
  RecPayDetail detail{};
  CustVendRecord party{};
  CBaseRPTranComments comments;
  std::string title;

  TagReportColumn headingRow1[std::size(kHeadingRow1)] = {};
  TagReportColumn headingRow2[std::size(kHeadingRow2)] = {};
  TagReportColumn headerRow[kHeaderColumns + 1] = {};
  TagReportColumn detailRow[kDetailColumns + 1] = {};
  TagReportColumn totalsRow[kTotalsColumns + 1] = {};
  TagReportColumn summaryRow[kSummaryColumns + 1] = {};
  HeaderValues headerValues;
  DetailValues detailValues;
  Sums totalValues;
  SummaryValues summaryValues;
  journals::JournalCommentRows commentRows;

  BtrvHandle headers() const { return files.handle[0]; }
  BtrvHandle details() const { return files.handle[1]; }
  BtrvHandle parties() const { return files.handle[3]; }
  BtrvHandle accounts() const { return files.handle[4]; }
};

// ---- Small helpers ------------------------------------------------------------------------

// Reads G/L account `code` into *account.  Returns the status.
int ReadAccount(ArApJournalRun& run, const std::string& code, GLAccount* account) {
  return journals::ReadGLAccount(run.accounts(), code, account);
}

// ---- Binding the rows ---------------------------------------------------------------------

void BindColumns(ArApJournalRun& run) {
  std::copy(std::begin(kHeadingRow1), std::end(kHeadingRow1), run.headingRow1);
  std::copy(std::begin(kHeadingRow2), std::end(kHeadingRow2), run.headingRow2);
  run.headingRow1[kHeadParty1].value = run.ledger.partyHeading;
  run.headingRow2[kHeadPartyName2].value = run.ledger.partyNameHeading;

  HeaderValues& h = run.headerValues;
  std::copy(std::begin(kHeaderRow), std::end(kHeaderRow), run.headerRow);
  TagReportColumn* r = run.headerRow;
  r[kHdrTran].value = h.tran;
  r[kHdrCode].value = h.code;
  r[kHdrName].value = h.name;
  r[kHdrInvoice].value = h.invoice;
  r[kHdrDate].value = &h.date;
  r[kHdrInvoiceDate].value = &h.invoiceDate;
  r[kHdrDueDate].value = &h.dueDate;
  r[kHdrDiscount].value = &h.discount;
  r[kHdrType].value = h.type;

  DetailValues& d = run.detailValues;
  std::copy(std::begin(kDetailRow), std::end(kDetailRow), run.detailRow);
  r = run.detailRow;
  r[kDetAccount].value = d.account;
  r[kDetName].value = d.name;
  r[kDetDescription].value = d.description;
  r[kDetDebit].value = &d.debit;
  r[kDetCredit].value = &d.credit;
  r[kDetPosted].value = d.posted;

  std::copy(std::begin(kTotalsRow), std::end(kTotalsRow), run.totalsRow);
  run.totalsRow[kTotCount].value = &run.totalValues.count;
  run.totalsRow[kTotCount].hidden = 1;
  run.totalsRow[kTotDebit].value = &run.totalValues.debit;
  run.totalsRow[kTotCredit].value = &run.totalValues.credit;

  SummaryValues& s = run.summaryValues;
  std::copy(std::begin(kSummaryRow), std::end(kSummaryRow), run.summaryRow);
  r = run.summaryRow;
  r[kSumAccount].value = s.account;
  r[kSumName].value = s.name;
  r[kSumDescription].value = s.description;
  r[kSumDebit].value = &s.debit;
  r[kSumCredit].value = &s.credit;
}

// ---- Pages ------------------------------------------------------------------------------------

void PageHeading(ArApJournalRun& run) {
  journals::WriteJournalPageHeading(&run.report, &run.context, run.title.c_str(), run.headingRow1, run.headingRow2);
}

// A new page with its heading when the page is full.
void PageCheck(ArApJournalRun& run) {
  if (run.report.lineCount < run.report.pageLength) return;
  ReportNewPage(&run.report);
  PageHeading(run);
}

// ---- One transaction ----------------------------------------------------------------------------

// The customer or vendor of the header, for its name.
void LookUpParty(ArApJournalRun& run, const TagRecPayHeader& h) {
  HeaderValues& v = run.headerValues;
  char key[255] = {};
  std::memcpy(key, h.custVendCode, sizeof h.custVendCode);
  run.party = CustVendRecord{};
  const int status = BtrvGetOp(kOpGetEqual, run.parties(), key, &run.party, sizeof run.party);
  if (status == kStatusOk) {
    CopyField(v.name, run.party.name, 25);
  } else if (status == kStatusKeyNotFound) {
    std::snprintf(v.name, sizeof v.name, "%s", run.Text(kTextNotOnFile));
    if (!run.Listing())
      MsgShowArgs(run.ledger.partyMissingMessage, 273, 0, 1, Trim(h.custVendCode).c_str(), run.ledger.messageLabel,
                  Trim(h.transactionNumber).c_str(), 0);
  } else {
    v.name[0] = '\0';
    MsgRecordError(status, 1, kOpGetEqual, run.ledger.partyFile, 0);
  }
}

void FillHeaderLine(ArApJournalRun& run, const TagRecPayHeader& h) {
  HeaderValues& v = run.headerValues;
  v = HeaderValues{};
  CopyField(v.tran, h.transactionNumber);
  CopyField(v.code, h.custVendCode);
  CopyField(v.invoice, h.invoiceNumber);
  v.date = h.date;
  v.invoiceDate = h.invoiceDate;
  v.dueDate = h.dueDate;
  v.discount = h.discountAvailable;
  // The type letter stands under the middle of its heading.
  std::snprintf(v.type, sizeof v.type, "  %c", h.typeLetter ? h.typeLetter : ' ');
}

// The distribution lines of one transaction, from the detail file's key of
// ledger code and transaction number.  A line whose account marks a comment
// (AccountCodeMissing) shows its description alone and is not summed.
Sums PrintDetailLines(ArApJournalRun& run, const TagRecPayHeader& h) {
  Sums sums;
  DetailValues& v = run.detailValues;
  TagReportColumn* row = run.detailRow;
  std::snprintf(v.posted, sizeof v.posted, "%s", h.postedFlag == 'Y' ? "Yes" : "No");
  char code[8];
  std::snprintf(code, sizeof code, "%-7s", run.ledger.ledgerCode);
  char key[255] = {};
  std::memcpy(key, code, 7);
  std::memcpy(key + 7, h.transactionNumber, sizeof h.transactionNumber);
  RecPayDetail& d = run.detail;
  int op = kOpGetGreaterOrEqual;
  int status = BtrvGetOp(op, run.details(), key, &d, sizeof d);
  while (status == kStatusOk && std::memcmp(d.ledgerCode, code, 7) == 0 &&
         std::memcmp(d.transactionNumber, h.transactionNumber, sizeof h.transactionNumber) == 0) {
    ++sums.count;
    ShowAllColumns(row);
    CopyField(v.account, d.account);
    CopyField(v.description, d.description);
    v.name[0] = '\0';
    if (journals::AccountCodeMissing(v.account, run.accounts())) {
      for (const int c : {kDetAccount, kDetName, kDetDebit, kDetCredit, kDetPosted}) row[c].hidden = 1;
    } else {
      if (d.IsDebit()) {
        v.debit = d.amount;
        row[kDetCredit].hidden = 1;
        sums.debit = RoundCents(sums.debit + d.amount);
      } else {
        v.credit = d.amount;
        row[kDetDebit].hidden = 1;
        sums.credit = RoundCents(sums.credit + d.amount);
      }
      GLAccount account{};
      const int found = ReadAccount(run, Trim(d.account), &account);
      if (found == kStatusOk) {
        CopyField(v.name, account.name, 25);
      } else if (found == kStatusKeyNotFound) {
        std::snprintf(v.name, sizeof v.name, "%s", run.Text(kTextNotOnFile));
        if (!run.Listing())
          MsgShowArgs(kMsgAccountMissing, 274, 0, 1, Trim(d.account).c_str(), run.ledger.messageLabel,
                      Trim(h.transactionNumber).c_str(), 0);
      } else {
        MsgRecordError(found, 1, kOpGetEqual, records::kFileGLAccounts, 0);
      }
    }
    ReportWriteColumns(&run.report, row, 1);
    PageCheck(run);
    op = kOpGetNext;
    status = BtrvGetOp(op, run.details(), key, &d, sizeof d);
  }
  if (status != kStatusOk && status != kStatusEndOfFile && status != kStatusKeyNotFound)
    MsgRecordError(status, 1, op, run.ledger.detailFile, 0);
  return sums;
}

// A transaction's comments between two rules, when they are asked for and
// it has some; its totals otherwise.  The journal's totals (`h` null) never
// show comments.
void PrintTotals(ArApJournalRun& run, const Sums& sums, const TagRecPayHeader* h) {
  if (h != nullptr) {
    run.comments.FormRPNoteName(h->transactionNumber);
    if (run.context.printComments && run.comments.NoteExist()) {
      ReportSkipLines(&run.report, 1);
      journals::PrintJournalComments(&run.report, &run.comments, &run.commentRows, Trim(h->transactionNumber),
                                     [&run] { PageCheck(run); });
      return;
    }
  }
  // The caption stands on the totals' own line.
  ReportWriteText(&run.report, run.Text(h ? kTextTranTotals : kTextGrandTotals), 73, 0);
  run.totalValues = sums;
  ReportWriteColumns(&run.report, run.totalsRow, 2);
}

// Stamps a printed header with the journal date.  Returns the status.
int StampHeader(ArApJournalRun& run) {
  run.header.journalPrinted = run.context.journalDate;
  return BtrvWriteOp(kOpUpdate, run.headers(), nullptr, &run.header, sizeof run.header);
}

// ---- The G/L summary -------------------------------------------------------------------------------

void SummaryHeading(ArApJournalRun& run) {
  TagRepInfo* report = &run.report;
  const TagRepFont kept = report->font;
  ReportPageStart(report, 0, 1);
  ReportBlockBegin(report, kFontTitle);
  ReportWriteText(report, run.title.c_str(), -4, 1);
  ReportBlockEnd(report);
  ReportBlockBegin(report, kFontHeading);
  ReportWriteText(report, run.Text(kTextSummaryTitle), -4, 1);
  ReportBlockEnd(report);
  ReportSkipLines(report, 1);
  ReportBlockBegin(report, kFontColumnHeading);
  ReportWriteColumns(report, kSummaryHeading, 1);
  ReportWriteRule(report, kSummaryHeading, 1, '-');
  ReportBlockEnd(report);
  ReportSetFont(report, &kept);
}

void SummaryPageCheck(ArApJournalRun& run) {
  if (run.report.lineCount < run.report.pageLength) return;
  ReportNewPage(&run.report);
  SummaryHeading(run);
}

// Whether the transaction of a detail line belongs in the summary: its
// header unposted, not deleted, dated within the journal's period.  The
// answer is kept per transaction.
class PeriodTransactions {
 public:
  explicit PeriodTransactions(ArApJournalRun& run) : run_(run) {}

  bool Counts(const RecPayDetail& d) {
    const std::string number(d.transactionNumber, sizeof d.transactionNumber);
    if (const auto it = known_.find(number); it != known_.end()) return it->second;
    char key[255] = {};
    std::memcpy(key, d.transactionNumber, sizeof d.transactionNumber);
    TagRecPayHeader h{};
    const int status = BtrvGetOp(kOpGetEqual, run_.headers(), key, &h, sizeof h);
    bool counts = false;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, kOpGetEqual, run_.ledger.headerFile, 0);
    } else {
      // Posting marks a deleted transaction without posting it, so its lines
      // are not part of what posting carries to the ledger.
      const records::FiscalPeriodInfo& p = run_.context.period;
      counts = records::UnpostedForPosting(h.postedFlag) && !h.IsDeleted() && h.date >= p.startDate &&
               h.date <= p.endDate;
    }
    known_.emplace(number, counts);
    return counts;
  }

 private:
  ArApJournalRun& run_;
  std::map<std::string, bool> known_;
};

struct AccountSums {
  double debit = 0, credit = 0;
};

// Adds up the run of details of the account of the detail in hand, reading
// on with get next.  Leaves the next account's first detail in hand and
// returns 0, or 9 at the end of the file, or the failing status (after the
// error box).
int SumAccountRun(ArApJournalRun& run, PeriodTransactions& period, AccountSums* sums) {
  RecPayDetail& d = run.detail;
  const std::string account(d.account, sizeof d.account);
  char key[255] = {};
  int status = kStatusOk;
  while (status == kStatusOk && std::string(d.account, sizeof d.account) == account) {
    if (period.Counts(d)) {
      if (d.IsDebit()) sums->debit = RoundCents(sums->debit + d.amount);
      else sums->credit = RoundCents(sums->credit + d.amount);
    }
    status = BtrvGetOp(kOpGetNext, run.details(), key, &d, sizeof d);
  }
  if (status != kStatusOk && status != kStatusEndOfFile)
    MsgRecordError(status, 1, kOpGetNext, run.ledger.detailFile, 0);
  return status;
}

// Prints one account's net: credit less debit as a credit when the debits
// do not exceed the credits, else debit less credit as a debit.  A net of
// zero prints only when `always`.
void PrintSummaryLine(ArApJournalRun& run, const std::string& account, const AccountSums& sums, bool always,
                      Sums* totals) {
  SummaryValues& v = run.summaryValues;
  TagReportColumn* row = run.summaryRow;
  ShowAllColumns(row);
  v.debit = v.credit = 0;
  if (sums.debit <= sums.credit) {
    v.credit = RoundCents(sums.credit - sums.debit);
    row[kSumDebit].hidden = 1;
  } else {
    v.debit = RoundCents(sums.debit - sums.credit);
    row[kSumCredit].hidden = 1;
  }
  if (!always && NumIsZero(v.debit) && NumIsZero(v.credit)) return;
  std::snprintf(v.account, sizeof v.account, "%s", account.c_str());
  GLAccount record{};
  if (ReadAccount(run, account, &record) == kStatusOk) {
    CopyField(v.name, record.name, 25);
  } else {
    std::snprintf(v.name, sizeof v.name, "%s", run.Text(kTextNotOnFile));
  }
  v.description = run.Text(run.ledger.distributionText);
  row[kSumDescription].value = v.description;
  ReportWriteColumns(&run.report, row, 1);
  totals->debit = RoundCents(totals->debit + v.debit);
  totals->credit = RoundCents(totals->credit + v.credit);
}

// The period's unposted distribution netted per account, in account order,
// the ledger's control account first (printed even when it nets to zero).
// Lines whose account marks a comment are left out, as they are from the
// transactions' totals.
void PrintGLSummary(ArApJournalRun& run) {
  BtrvSetKey(run.headers(), 0, -1);
  ReportNewPage(&run.report);
  SummaryHeading(run);
  BtrvSetKey(run.details(), 1, -1);
  const records::InterfaceRecord& iface = run.context.interfaceSettings;
  std::string control = Trim(run.ledger.commandId == 302 ? iface.receivablesAccount : iface.payablesAccount);
  PeriodTransactions period(run);
  Sums totals;
  RecPayDetail& d = run.detail;

  char key[255] = {};
  std::memcpy(key, control.data(), std::min<std::size_t>(control.size(), sizeof d.account));
  int status = control.empty() ? kStatusKeyNotFound
                               : BtrvGetOp(kOpGetGreaterOrEqual, run.details(), key, &d, sizeof d);
  bool controlPrinted = false;
  if (status != kStatusOk && status != kStatusKeyNotFound && status != kStatusEndOfFile) {
    MsgRecordError(status, 1, kOpGetGreaterOrEqual, run.ledger.detailFile, 0);
    return;
  }
  if (status == kStatusOk && Trim(d.account) == control) {
    AccountSums sums;
    status = SumAccountRun(run, period, &sums);
    if (status != kStatusOk && status != kStatusEndOfFile) return;
    PrintSummaryLine(run, control, sums, true, &totals);
    controlPrinted = true;
  }

  std::memset(key, 0, sizeof key);
  status = BtrvGetOp(kOpGetFirst, run.details(), key, &d, sizeof d);
  if (status != kStatusOk && status != kStatusEndOfFile) {
    MsgRecordError(status, 1, kOpGetFirst, run.ledger.detailFile, 0);
    return;
  }
  while (status == kStatusOk) {
    SummaryPageCheck(run);
    const std::string account = Trim(d.account);
    AccountSums sums;
    status = SumAccountRun(run, period, &sums);
    if (status != kStatusOk && status != kStatusEndOfFile) break;
    if (controlPrinted && account == control) continue;
    if (journals::AccountCodeMissing(account.c_str(), run.accounts())) continue;
    PrintSummaryLine(run, account, sums, false, &totals);
  }

  SummaryPageCheck(run);
  ReportWriteText(&run.report, run.Text(kTextSummaryTotals), 38, 0);
  SummaryValues& v = run.summaryValues;
  v.debit = totals.debit;
  v.credit = totals.credit;
  ShowAllColumns(run.summaryRow);
  for (const int c : {kSumAccount, kSumName, kSumDescription}) run.summaryRow[c].hidden = 1;
  ReportWriteColumns(&run.report, run.summaryRow, 1);
}

// ---- The print walk ----------------------------------------------------------------------------

// The receivables or payables journal in the frame's print walk.
class ArApPrinter final : public journals::JournalPrinter {
 public:
  explicit ArApPrinter(ArApJournalRun& run) : run_(run) {}

  void PageHeading() override { ::PageHeading(run_); }

  void PrintHeader() override {
    ArApJournalRun& run = run_;
    const TagRecPayHeader& h = run.header;
    FillHeaderLine(run, h);
    ShowAllColumns(run.headerRow);
    if (h.IsDeleted()) {
      std::snprintf(run.headerValues.code, sizeof run.headerValues.code, "%s", "DELETED");
      for (int c = kHdrName; c < kHeaderColumns; ++c) run.headerRow[c].hidden = 1;
      ReportWriteColumns(&run.report, run.headerRow, 2);
    } else {
      LookUpParty(run, h);
      ReportWriteColumns(&run.report, run.headerRow, 1);
      const Sums sums = PrintDetailLines(run, h);
      if (!run.Listing() && !NumEqual(sums.debit, sums.credit))
        MsgShowArgs(kMsgOutOfBalance, 275, 0, 1, sums.debit, sums.credit, run.ledger.messageLabel,
                    Trim(h.transactionNumber).c_str(), 0);
      PageCheck(run);
      PrintTotals(run, sums, &h);
      grand_.count += sums.count;
      grand_.debit = RoundCents(grand_.debit + sums.debit);
      grand_.credit = RoundCents(grand_.credit + sums.credit);
    }
    ReportSkipLines(&run.report, 1);
  }

  int StampHeader() override { return ::StampHeader(run_); }

  void PrintEnd() override {
    PageCheck(run_);
    PrintTotals(run_, grand_, nullptr);
    if (!run_.Listing()) PrintGLSummary(run_);
  }

 private:
  ArApJournalRun& run_;
  Sums grand_;
};

void PrintArApJournal(ArApJournalRun& run) {
  run.title = Filled(run.Text(run.ledger.titleText), run.Text(run.Listing() ? kTextListing : kTextJournal));
  ArApPrinter printer(run);
  journals::PrintJournalWalk(&run.context, &run.report, run.ledger.reportTitle, run.detailRow, &printer);
}

}  // namespace

int RunArApJournal(int commandId) {
  auto run = std::make_unique<ArApJournalRun>(commandId == kPayables.commandId ? kPayables : kReceivables);
  const Ledger& ledger = run->ledger;
  BindColumns(*run);
  journals::JournalRunResources resources(*run);
  const journals::JournalStart start = journals::StartJournalRun(
      &resources, kTextBlock,
      {ledger.headerFile, ledger.detailFile, ledger.openInvoiceFile, ledger.partyFile, records::kFileGLAccounts},
      ledger.commandId, &run->header, ledger.reportId);
  if (start == journals::JournalStart::kLeft) return 0;
  if (start != journals::JournalStart::kAccepted) return 27;
  PrintArApJournal(*run);
  return 0;
}
