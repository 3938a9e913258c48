// The cash journal (command 310): the entered cash transactions (headers
// file 18, lines file 17): receipts and deposits, checks and other payments,
// each with its lines (invoices paid, or G/L distribution lines) and its
// comments.
//
// "Journal" mode prints the unposted transactions of the journal date's
// period, warns of accounts not on file and of lines that do not add up to
// the transaction's amount, stamps each printed header with the journal date,
// and ends with the G/L distribution summary: what posting will debit and
// credit, per bank account, control account, discount account and G/L
// account.  "Listing" mode prints the transactions the selection window's
// criteria choose and writes nothing.
//
// The selection window, the readers, the "Select:" lines and the print walk
// are the journal frame's (journal_frame.h); the column builders, the page
// heading and the comments are shared with the other journals
// (journal_print.h).
#include "journals/cash_journal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "journals/journal_frame.h"
#include "journals/journal_print.h"
#include "qxabase.h"
#include "qxabase/cash_services.h"
#include "qxabase/tran_comments.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace {

using records::CashHeader;
using records::CashLine;
using records::GLAccount;

using journals::Amount;
using journals::AmountHeading;
using journals::Column;
using journals::CopyField;
using journals::Heading;
using journals::RoundCents;
using journals::ShowAllColumns;
using journals::Trim;

constexpr const char* kReportId = "RSJrnlCash";
constexpr const char* kReportTitle = "Cash Journal";

// Screen texts (block 217).
constexpr int kTextBlock = 217;
constexpr int kTextCount = 42;
enum TextNumber : int {
  kTextJournalTitle = 0,
  kTextListingTitle = 1,
  kTextCheck = 9,            // type 'C'
  kTextManualCheck = 10,     // type 'M'
  kTextDeposit = 11,         // type 'D'
  kTextApplication = 12,     // class 'A'
  kTextPaidToCustomer = 13,
  kTextPaidToVendor = 14,
  kTextPaidToAccount = 15,
  kTextInvoiceDistribution = 16,  // 'R' and 'P'
  kTextGLDistribution = 17,
  kTextDeleted = 18,
  kTextNoAccountName = 19,   // the name of a blank summary account
  kTextSummaryTitle = 20,
  kTextNotOnFile = 22,
  kTextBlankAccount = 23,
  kTextReceipts = 24,
  kTextPayments = 25,
  kTextCheckToPrint = 26,    // CashTranTest
};

constexpr int kMsgAccountNotOnFile = 1361;  // %1 account
constexpr int kMsgAccountMissing = 1385;    // %1 account, %2 side, %3 transaction
constexpr int kMsgLinesDiffer = 1425;       // %1 lines, %2 amount, %3 side, %4 transaction

// ---- Report columns ----------------------------------------------------------------------

// The header block: two heading rows and the transaction's row.
//   caption          format   x
constexpr TagReportColumn kHeadingRow1[] = {
    Heading("Tran", "%-10s", 1),
    Heading("Tran", "%-4s", 12),
    Heading("Paid to", "%-10s", 29),
    Heading("Paid to", "%-8s", 40),
    Heading("Paid to", "%-20s", 50),
    Heading("Trans.", "%-8s", 71),
    Heading("Bank", "%-10s", 91),
    AmountHeading("Total", "%12s", 102),
    AmountHeading("Total", "%10s", 115),
    Heading("Dist", "%-5s", 126),
    {},
};
constexpr TagReportColumn kHeadingRow2[] = {
    Heading("No.", "%-10s", 1),
    Heading("Type", "%-4s", 12),
    Heading("Dep/Chk#", "%-10s", 18),
    Heading("Code", "%-10s", 29),
    Heading("Type", "%-8s", 40),
    Heading("Name", "%-20s", 50),
    Heading("Date", "%-8s", 71),
    Heading("Reference", "%-10s", 80),
    Heading("Account", "%-10s", 91),
    AmountHeading("Amount", "%12s", 102),
    AmountHeading("Discount", "%10s", 115),
    Heading("Type", "%-5s", 126),
    Heading("Posted", "%-6s", 132),
    {},
};

enum HeaderColumn : int {
  kHdrTran, kHdrType, kHdrDeposit, kHdrPaidTo, kHdrPaidToType, kHdrName, kHdrDate, kHdrReference, kHdrBank,
  kHdrAmount, kHdrDiscount, kHdrDistribution, kHdrPosted, kHeaderColumns
};
constexpr TagReportColumn kHeaderRow[] = {
    Column(kColumnText, "%-10.10s", 1),
    Column(kColumnText, "%-4.4s", 12),
    Column(kColumnText, "%-8.8s", 18),
    Column(kColumnText, "%-10.10s", 29),
    Column(kColumnText, "%-8.8s", 40),
    Column(kColumnText, "%-20.20s", 50),
    Column(kColumnDate, "nn/nn/nn", 71),
    Column(kColumnText, "%-10.10s", 80),
    Column(kColumnText, "%-10.10s", 91),
    Amount("%12.2f", 102),
    Amount("%10.2f", 115),
    Column(kColumnText, "%-5.5s", 126),
    Column(kColumnText, "%-6s", 132),
    {},
};
static_assert(std::size(kHeaderRow) == kHeaderColumns + 1);

// The line block: heading and rows share x and width.
constexpr TagReportColumn kLineHeading[] = {
    Heading("Acct. No.", "%-10s", 14),
    Heading("Account Name", "%-25s", 25),
    Heading("Invoice #", "%-10s", 51),
    AmountHeading("Invoice Amt", "%12s", 62),
    Heading("Reference", "%-10s", 75),
    AmountHeading("Paid Amount", "%12s", 86),
    AmountHeading("Disc. Taken", "%12s", 99),
    {},
};
enum LineColumn : int {
  kLineAccount, kLineName, kLineInvoice, kLineInvoiceAmount, kLineReference, kLinePaid, kLineDiscount, kLineColumns
};
constexpr TagReportColumn kLineRow[] = {
    Column(kColumnText, "%-10.10s", 14),
    Column(kColumnText, "%-25.25s", 25),
    Column(kColumnText, "%-10.10s", 51),
    Amount("%12.2f", 62),
    Column(kColumnText, "%-10.10s", 75),
    Amount("%12.2f", 86),
    Amount("%12.2f", 99),
    {},
};
static_assert(std::size(kLineRow) == kLineColumns + 1);
constexpr TagReportColumn kCommentLineRow[] = {
    Column(kColumnText, "%-10s", 14, "*COMMENT"),
    Column(kColumnText, "%-25s", 25),
    {},
};

// The summary block.
constexpr TagReportColumn kSummaryHeading[] = {
    Heading("Acct. No.", "%-10s", 1),
    Heading("Account Name", "%-25s", 12),
    AmountHeading("Debits", "%11s", 38),
    AmountHeading("Credits", "%11s", 50),
    {},
};
enum SummaryColumn : int { kSumAccount, kSumName, kSumDebit, kSumCredit, kSummaryColumns };
constexpr TagReportColumn kSummaryRow[] = {
    Column(kColumnText, "%-10.10s", 1),
    Column(kColumnText, "%-25.25s", 12),
    Amount("%11.2f", 38),
    Amount("%11.2f", 50),
    {},
};

// ---- The run -----------------------------------------------------------------------------

struct HeaderValues {
  char tran[12] = {};
  const char* type = "";
  char deposit[10] = {};
  char paidTo[12] = {};
  const char* paidToType = "";
  char name[42] = {};
  std::int32_t date = 0;
  char reference[12] = {};
  char bank[12] = {};
  double amount = 0, discount = 0;
  const char* distribution = "";
  const char* posted = "";
};

struct LineValues {
  char account[12] = {};
  char name[42] = {};
  char invoice[12] = {};
  double invoiceAmount = 0;
  char reference[26] = {};
  double paid = 0, discount = 0;
};

struct SummaryValues {
  char account[12] = {};
  char name[42] = {};
  double debit = 0, credit = 0;
};

// A summary line's record context for its message: the side caption and the
// transaction it was met in.
struct MessageContext {
  char side = 0;
  std::string transaction;
};

struct CashJournalRun : journals::FrameJournalRun<kTextCount> {
  CashHeader header{};  // the frame's readers read into it
  CashLine line{};
  CBaseCashTranComments comments;

  TagReportColumn headerRow[kHeaderColumns + 1] = {};
  TagReportColumn lineRow[kLineColumns + 1] = {};
  TagReportColumn commentLineRow[std::size(kCommentLineRow)] = {};
  TagReportColumn summaryRow[kSummaryColumns + 1] = {};
  HeaderValues headerValues;
  LineValues lineValues;
  SummaryValues summaryValues;
  journals::JournalCommentRows commentRows;
  double debitTotal = 0, creditTotal = 0;  // of the summary

  BtrvHandle headers() const { return files.handle[0]; }
  BtrvHandle lines() const { return files.handle[1]; }
  BtrvHandle accounts() const { return files.handle[2]; }
  BtrvHandle customers() const { return files.handle[3]; }
  BtrvHandle vendors() const { return files.handle[4]; }
};

// ---- Small helpers ------------------------------------------------------------------------

bool InPeriod(const CashJournalRun& run, std::int32_t date) {
  return date >= run.context.period.startDate && date <= run.context.period.endDate;
}

// The caption of a side in the messages: receipts for 'R', payments otherwise.
const char* SideCaption(const CashJournalRun& run, char side) {
  return run.Text(side == 'R' ? kTextReceipts : kTextPayments);
}

// Reads G/L account `code` into *account.  Returns the status.
int ReadAccount(CashJournalRun& run, const std::string& code, GLAccount* account) {
  return journals::ReadGLAccount(run.accounts(), code, account);
}

// The name of account `code` into `name` (text 22 when it cannot be read).
// Returns false only when the account is not on file; another failure has
// shown the record-manager error box.
template <std::size_t N>
bool AccountName(CashJournalRun& run, const std::string& code, char (&name)[N]) {
  GLAccount account{};
  const int status = ReadAccount(run, code, &account);
  if (status == kStatusOk) {
    CopyField(name, account.name);
    return true;
  }
  std::snprintf(name, N, "%s", run.Text(kTextNotOnFile));
  if (status == kStatusKeyNotFound) return false;
  MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
  return true;
}

// The control account of an application transaction's receivables or
// payables side: the customer's or vendor's own, else the company's.
std::string ControlAccount(CashJournalRun& run, const CashHeader& h) {
  char own[12] = {};
  const bool receivables = h.distribution == 'R';
  if (CashJournalLineTest(own, &h, receivables ? run.customers() : run.vendors())) return own;
  const records::InterfaceRecord& iface = run.context.interfaceSettings;
  return Trim(receivables ? iface.receivablesAccount : iface.payablesAccount);
}

// ---- Binding the rows ---------------------------------------------------------------------

void BindColumns(CashJournalRun& run) {
  HeaderValues& h = run.headerValues;
  std::copy(std::begin(kHeaderRow), std::end(kHeaderRow), run.headerRow);
  TagReportColumn* r = run.headerRow;
  r[kHdrTran].value = h.tran;
  r[kHdrDeposit].value = h.deposit;
  r[kHdrPaidTo].value = h.paidTo;
  r[kHdrName].value = h.name;
  r[kHdrDate].value = &h.date;
  r[kHdrReference].value = h.reference;
  r[kHdrBank].value = h.bank;
  r[kHdrAmount].value = &h.amount;
  r[kHdrDiscount].value = &h.discount;

  LineValues& l = run.lineValues;
  std::copy(std::begin(kLineRow), std::end(kLineRow), run.lineRow);
  r = run.lineRow;
  r[kLineAccount].value = l.account;
  r[kLineName].value = l.name;
  r[kLineInvoice].value = l.invoice;
  r[kLineInvoiceAmount].value = &l.invoiceAmount;
  r[kLineReference].value = l.reference;
  r[kLinePaid].value = &l.paid;
  r[kLineDiscount].value = &l.discount;
  std::copy(std::begin(kCommentLineRow), std::end(kCommentLineRow), run.commentLineRow);
  run.commentLineRow[1].value = l.reference;

  SummaryValues& s = run.summaryValues;
  std::copy(std::begin(kSummaryRow), std::end(kSummaryRow), run.summaryRow);
  run.summaryRow[kSumAccount].value = s.account;
  run.summaryRow[kSumName].value = s.name;
  run.summaryRow[kSumDebit].value = &s.debit;
  run.summaryRow[kSumCredit].value = &s.credit;
}

// ---- Pages ------------------------------------------------------------------------------------

void PageHead(CashJournalRun& run) {
  journals::WriteJournalPageHeading(&run.report, &run.context,
                                    run.Text(run.Listing() ? kTextListingTitle : kTextJournalTitle), kHeadingRow1,
                                    kHeadingRow2);
}

void NewPage(CashJournalRun& run) {
  ReportNewPage(&run.report);
  PageHead(run);
}

// The heading of a transaction's lines; the Reference column keeps its rule
// even on a G/L transaction, whose rows leave it out.
void LineHeading(CashJournalRun& run) {
  ReportWriteColumns(&run.report, kLineHeading, 1);
  ReportWriteRule(&run.report, kLineHeading, 1, '-');
}

// ---- One transaction ----------------------------------------------------------------------------

const char* TypeText(const CashJournalRun& run, const CashHeader& h) {
  if (h.side == 'A') return run.Text(kTextApplication);
  if (CashTranTest(&h)) return run.Text(kTextCheckToPrint);
  switch (h.typeLetter) {
    case 'C': return run.Text(kTextCheck);
    case 'M': return run.Text(kTextManualCheck);
    case 'D': return run.Text(kTextDeposit);
    default: return "";
  }
}

const char* PaidToTypeText(const CashJournalRun& run, const CashHeader& h) {
  switch (h.paidToType) {
    case 'C': return run.Text(kTextPaidToCustomer);
    case 'V': return run.Text(kTextPaidToVendor);
    case 'G': return run.Text(kTextPaidToAccount);
    default: return "";
  }
}

void FillHeaderRow(CashJournalRun& run, const CashHeader& h) {
  HeaderValues& v = run.headerValues;
  v = HeaderValues{};
  CopyField(v.tran, h.transactionNumber);
  v.type = TypeText(run, h);
  CopyField(v.deposit, h.depositNumber);
  CopyField(v.paidTo, h.paidToCode);
  v.paidToType = PaidToTypeText(run, h);
  if (h.IsDeleted()) std::snprintf(v.name, sizeof v.name, "%s", run.Text(kTextDeleted));
  else CopyField(v.name, h.payeeName);
  v.date = h.date;
  CopyField(v.reference, h.reference);
  if (records::IsBlank(h.bankAccount)) std::snprintf(v.bank, sizeof v.bank, "%s", run.Text(kTextBlankAccount));
  else CopyField(v.bank, h.bankAccount);
  v.amount = h.amount;
  v.discount = h.discount;
  v.distribution = run.Text(h.distribution == 'G' ? kTextGLDistribution : kTextInvoiceDistribution);
  v.posted = h.postedFlag == 'Y' ? "Yes" : "No";

  TagReportColumn* r = run.headerRow;
  ShowAllColumns(r);
  r[kHdrType].value = v.type;
  r[kHdrPaidToType].value = v.paidToType;
  r[kHdrDistribution].value = v.distribution;
  r[kHdrPosted].value = v.posted;
  // An application moves no money through a bank.
  r[kHdrBank].hidden = h.side == 'A' ? 1 : 0;
}

// Account `code` of a transaction was not found: in "Journal" mode the user
// is told, with the side and the transaction.
void TellAccountMissing(CashJournalRun& run, const std::string& code, char side, const CashHeader& h) {
  if (run.Listing()) return;
  MsgShowArgs(kMsgAccountMissing, 0x120, 0, 1, code.c_str(), SideCaption(run, side),
              Trim(h.transactionNumber).c_str(), 0);
}

// The lines of one transaction.  An application line shows the control
// account it goes to; a G/L line its own account and description, and a G/L
// line whose account marks a comment (AccountCodeMissing) is a comment line,
// not summed.  In "Journal" mode lines that do not add up to the header's
// amount are told.
void PrintCashDetailLines(CashJournalRun& run, const CashHeader& h) {
  LineValues& v = run.lineValues;
  TagReportColumn* row = run.lineRow;
  const bool glLines = h.distribution == 'G';
  ShowAllColumns(row);
  row[kLineReference].hidden = glLines ? 1 : 0;
  std::string control;
  char controlName[42] = {};
  if (!glLines) {
    // The control account depends on the transaction alone: looked up once.
    control = ControlAccount(run, h);
    if (!AccountName(run, control, controlName)) TellAccountMissing(run, control, h.side, h);
  }

  double sum = 0;
  char key[255] = {};
  std::memcpy(key, &h, 18);
  CashLine& l = run.line;
  int op = kOpGetGreaterOrEqual;
  int status = BtrvGetOp(op, run.lines(), key, &l, sizeof l);
  while (status == kStatusOk && std::memcmp(&l, &h, 18) == 0) {
    if (run.report.lineCount >= run.report.pageLength) {
      NewPage(run);
      LineHeading(run);
    }
    v = LineValues{};
    CopyField(v.invoice, l.invoiceNumber);
    v.invoiceAmount = l.invoiceAmount;
    CopyField(v.reference, l.text);
    v.paid = l.amount;
    v.discount = l.discount;
    if (glLines) {
      CopyField(v.account, l.glAccount);
      CopyField(v.name, l.text);
      if (journals::AccountCodeMissing(v.account, run.accounts())) {
        ReportWriteColumns(&run.report, run.commentLineRow, 1);
        op = kOpGetNext;
        status = BtrvGetOp(op, run.lines(), key, &l, sizeof l);
        continue;
      }
    } else {
      std::snprintf(v.account, sizeof v.account, "%s", control.c_str());
      std::snprintf(v.name, sizeof v.name, "%s", controlName);
    }
    sum = RoundCents(sum + l.amount);
    ReportWriteColumns(&run.report, row, 1);
    op = kOpGetNext;
    status = BtrvGetOp(op, run.lines(), key, &l, sizeof l);
  }
  if (status != kStatusOk && status != kStatusEndOfFile && status != kStatusKeyNotFound)
    MsgRecordError(status, 1, op, records::kFileCashLines, 0);
  if (!run.Listing() && !NumEqual(sum, h.amount))
    MsgShowArgs(kMsgLinesDiffer, 0x134, 0, 1, sum, static_cast<double>(h.amount), SideCaption(run, h.side),
                Trim(h.transactionNumber).c_str(), 0);
  ReportSkipLines(&run.report, 1);
}

// The transaction's comments between two rules, when they are asked for and
// it has some.
void PrintCashTranComments(CashJournalRun& run, const CashHeader& h) {
  if (!run.context.printComments) return;
  run.comments.FormCashNoteName(h.transactionNumber);
  if (!run.comments.NoteExist()) return;
  journals::PrintJournalComments(&run.report, &run.comments, &run.commentRows, Trim(h.transactionNumber), [&run] {
    if (run.report.lineCount >= run.report.pageLength) NewPage(run);
  });
}

// Stamps a printed header with the journal date.  Returns the status.
int StampHeader(CashJournalRun& run) {
  run.header.journalPrinted = run.context.journalDate;
  return BtrvWriteOp(kOpUpdate, run.headers(), nullptr, &run.header, sizeof run.header);
}

// ---- The G/L distribution summary ---------------------------------------------------------------

void SummaryHeading(CashJournalRun& run) {
  TagRepInfo* report = &run.report;
  const TagRepFont kept = report->font;
  ReportPageStart(report, 0, 1);
  ReportBlockBegin(report, kFontTitle);
  ReportWriteText(report, run.Text(kTextJournalTitle), -4, 1);
  ReportBlockEnd(report);
  ReportBlockBegin(report, kFontHeading);
  ReportWriteText(report, run.Text(kTextSummaryTitle), -4, 1);
  ReportBlockEnd(report);
  ReportSetFont(report, kFontColumnHeading);
  ReportWriteColumns(report, kSummaryHeading, 1);
  ReportWriteRule(report, kSummaryHeading, 1, '-');
  ReportSetFont(report, &kept);
}

// One summary line: a non-negative amount in the column of `side` ('D'
// debits, 'C' credits), a negative one as its absolute value in the other.
// Nothing for a zero amount.  An account not on file is told with the side
// and transaction of `context` when there is one.
void PrintCashSummaryLine(CashJournalRun& run, char side, const std::string& account, double amount,
                          const MessageContext* context = nullptr) {
  amount = RoundCents(amount);
  if (NumIsZero(amount)) return;
  const bool debit = (side == 'D') == (amount >= 0);
  SummaryValues& v = run.summaryValues;
  v = SummaryValues{};
  TagReportColumn* row = run.summaryRow;
  ShowAllColumns(row);
  if (debit) {
    v.debit = std::fabs(amount);
    row[kSumCredit].hidden = 1;
    run.debitTotal = RoundCents(run.debitTotal + v.debit);
  } else {
    v.credit = std::fabs(amount);
    row[kSumDebit].hidden = 1;
    run.creditTotal = RoundCents(run.creditTotal + v.credit);
  }
  if (account.empty()) {
    std::snprintf(v.account, sizeof v.account, "%s", run.Text(kTextBlankAccount));
    std::snprintf(v.name, sizeof v.name, "%s", run.Text(kTextNoAccountName));
  } else {
    std::snprintf(v.account, sizeof v.account, "%s", account.c_str());
    if (!AccountName(run, account, v.name)) {
      if (context)
        MsgShowArgs(kMsgAccountMissing, 0x120, 0, 1, account.c_str(), SideCaption(run, context->side),
                    context->transaction.c_str(), 0);
      else
        MsgShowArgs(kMsgAccountNotOnFile, 0x120, 0, 1, account.c_str(), 0);
    }
  }
  ReportWriteColumns(&run.report, row, 1);
  if (run.report.lineCount >= run.report.pageLength) {
    ReportNewPage(&run.report);
    SummaryHeading(run);
  }
}

// Amounts per account, in the order the accounts were met.
struct AccountAmount {
  std::string account;
  double amount = 0;
};

void AddTo(std::vector<AccountAmount>* list, const std::string& account, double amount) {
  for (AccountAmount& a : *list) {
    if (a.account == account) {
      a.amount = RoundCents(a.amount + amount);
      return;
    }
  }
  list->push_back({account, RoundCents(amount)});
}

// What the period's transactions do to each bank account (the bank lines, per
// run of headers of one bank account in bank-account order), to the
// receivables and payables control accounts and to the discount accounts.
// A G/L transaction moves only its bank here; its lines follow in the G/L
// line summary.
void PrintBankSummary(CashJournalRun& run) {
  const records::InterfaceRecord& iface = run.context.interfaceSettings;
  std::vector<AccountAmount> receivables, payables;
  double receivablesDiscount = 0, payablesDiscount = 0;
  std::string bank;
  double bankTotal = 0;
  bool first = true;

  BtrvSetKey(run.headers(), 3, -1);
  CashHeader& h = run.header;
  char key[255] = {};
  int op = kOpGetFirst;
  int status = BtrvGetOp(op, run.headers(), key, &h, sizeof h);
  while (status == kStatusOk) {
    const std::string headerBank = Trim(h.bankAccount);
    if (first) {
      bank = headerBank;
      first = false;
    } else if (headerBank != bank) {
      PrintCashSummaryLine(run, 'D', bank, bankTotal);
      bank = headerBank;
      bankTotal = 0;
    }
    if (records::UnpostedForPosting(h.postedFlag) && InPeriod(run, h.date) && !h.IsDeleted()) {
      const double amount = h.amount, discount = h.discount;
      const bool deposit = h.typeLetter == 'D';
      bankTotal = RoundCents(bankTotal + (deposit ? amount : -amount));
      if (h.distribution == 'R') {
        receivablesDiscount = RoundCents(receivablesDiscount + (deposit ? discount : -discount));
        AddTo(&receivables, ControlAccount(run, h), deposit ? -(amount + discount) : amount + discount);
      } else if (h.distribution == 'P') {
        payablesDiscount = RoundCents(payablesDiscount + (deposit ? -discount : discount));
        AddTo(&payables, ControlAccount(run, h), deposit ? amount + discount : -(amount + discount));
      }
    }
    op = kOpGetNext;
    status = BtrvGetOp(op, run.headers(), key, &h, sizeof h);
  }
  if (status != kStatusEndOfFile) MsgRecordError(status, 1, op, records::kFileCashHeaders, 0);
  if (!first) PrintCashSummaryLine(run, 'D', bank, bankTotal);
  for (const AccountAmount& a : receivables) PrintCashSummaryLine(run, 'D', a.account, a.amount);
  PrintCashSummaryLine(run, 'D', Trim(iface.receivablesDiscountAccount), receivablesDiscount);
  for (const AccountAmount& a : payables) PrintCashSummaryLine(run, 'C', a.account, a.amount);
  PrintCashSummaryLine(run, 'C', Trim(iface.payablesDiscountAccount), payablesDiscount);
}

// What a G/L line's transaction does in the summary: whether it counts (a
// G/L transaction, unposted, not deleted, dated in the period) and whether it
// is a deposit.  Known per transaction once read.
struct LineTransaction {
  bool counts = false;
  bool deposit = false;
};

LineTransaction TransactionOf(CashJournalRun& run, const CashLine& l,
                              std::map<std::string, LineTransaction>* known) {
  const std::string key(reinterpret_cast<const char*>(&l), 18);
  if (const auto it = known->find(key); it != known->end()) return it->second;
  char keyBuffer[255] = {};
  std::memcpy(keyBuffer, &l, 18);
  CashHeader& h = run.header;
  const int status = BtrvGetOp(kOpGetEqual, run.headers(), keyBuffer, &h, sizeof h);
  LineTransaction t;
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileCashHeaders, 0);
  } else {
    // Posting marks a deleted transaction without posting its lines.
    t.counts = h.distribution == 'G' && records::UnpostedForPosting(h.postedFlag) && !h.IsDeleted() &&
               InPeriod(run, h.date);
    t.deposit = h.typeLetter == 'D';
  }
  known->emplace(key, t);
  return t;
}

// The lines of the period's G/L transactions netted per account, in account
// order.  On a deposit a line's amount is a credit (a negative one a debit);
// on any other transaction a debit (a negative one a credit).  A comment
// line carries nothing.
void PrintGLLineSummary(CashJournalRun& run) {
  BtrvSetKey(run.lines(), 2, -1);
  BtrvSetKey(run.headers(), 0, -1);
  CashLine& l = run.line;
  std::map<std::string, LineTransaction> known;

  std::string account;
  double debits = 0, credits = 0;
  MessageContext context;
  bool grouped = false;
  auto printGroup = [&] {
    if (!grouped) return;
    if (debits <= credits) PrintCashSummaryLine(run, 'C', account, credits - debits, &context);
    else PrintCashSummaryLine(run, 'D', account, debits - credits, &context);
  };

  char key[255] = {};
  int op = kOpGetFirst;
  int status = BtrvGetOp(op, run.lines(), key, &l, sizeof l);
  while (status == kStatusOk) {
    const std::string lineAccount = Trim(l.glAccount);
    if (!grouped || lineAccount != account) {
      printGroup();
      account = lineAccount;
      debits = credits = 0;
      grouped = true;
    }
    const LineTransaction t = TransactionOf(run, l, &known);
    if (t.counts && !journals::AccountCodeMissing(lineAccount.c_str(), run.accounts())) {
      const double amount = l.amount;
      if ((amount >= 0) == t.deposit) credits = RoundCents(credits + std::fabs(amount));
      else debits = RoundCents(debits + std::fabs(amount));
      context.side = l.side;
      context.transaction = Trim(l.transactionNumber);
    }
    op = kOpGetNext;
    status = BtrvGetOp(op, run.lines(), key, &l, sizeof l);
  }
  if (status != kStatusEndOfFile) MsgRecordError(status, 1, op, records::kFileCashLines, 0);
  printGroup();
}

void PrintSummary(CashJournalRun& run) {
  run.debitTotal = run.creditTotal = 0;
  ReportNewPage(&run.report);
  SummaryHeading(run);
  PrintBankSummary(run);
  PrintGLLineSummary(run);
  TagReportColumn* row = run.summaryRow;
  ShowAllColumns(row);
  row[kSumAccount].hidden = row[kSumName].hidden = 1;
  ReportWriteRule(&run.report, row, 1, '-');
  run.summaryValues.debit = run.debitTotal;
  run.summaryValues.credit = run.creditTotal;
  ReportWriteColumns(&run.report, row, 1);
}

// ---- The print loop ------------------------------------------------------------------------------

// The cash journal in the frame's print walk.
class CashPrinter final : public journals::JournalPrinter {
 public:
  explicit CashPrinter(CashJournalRun& run) : run_(run) {}

  void PageHeading() override { PageHead(run_); }

  void PrintHeader() override {
    CashJournalRun& run = run_;
    const CashHeader& h = run.header;
    FillHeaderRow(run, h);
    ReportWriteColumns(&run.report, run.headerRow, 1);
    if (h.IsDeleted()) return;
    ReportSkipLines(&run.report, 1);
    if (run.report.lineCount >= run.report.pageLength - 2) NewPage(run);
    LineHeading(run);
    PrintCashDetailLines(run, h);
    PrintCashTranComments(run, h);
  }

  int StampHeader() override { return ::StampHeader(run_); }

  void PrintEnd() override {
    if (!run_.Listing()) PrintSummary(run_);
  }

 private:
  CashJournalRun& run_;
};

void PrintCashJournal(CashJournalRun& run) {
  CashPrinter printer(run);
  journals::PrintJournalWalk(&run.context, &run.report, kReportTitle, run.headerRow, &printer);
}

}  // namespace

int RunCashJournal() {
  auto run = std::make_unique<CashJournalRun>();
  BindColumns(*run);
  journals::JournalRunResources resources(*run);
  const journals::JournalStart start = journals::StartJournalRun(
      &resources, kTextBlock,
      {records::kFileCashHeaders, records::kFileCashLines, records::kFileGLAccounts, records::kFileCustomers,
       records::kFileVendors},
      310, &run->header, kReportId);
  if (start == journals::JournalStart::kNoContext) return 27;
  if (start == journals::JournalStart::kAccepted) PrintCashJournal(*run);
  return 0;
}
