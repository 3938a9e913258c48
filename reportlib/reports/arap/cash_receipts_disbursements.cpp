// The cash receipts (command 311) and cash disbursements (command 312)
// reports: every cash transaction of the kind, within a range of bank
// accounts and dates, with its lines, by bank account and by deposit (or
// check) number.  A deposit or check of two lines or more gets a totals
// line, each bank account its totals, and the run a grand total.  A small
// screen asks for the two ranges (this fiscal period's dates by default);
// F10 prints to the preview.
//
// Transactions are read by side letter and bank account, so each bank's
// transactions come together; within a bank they come in the order they
// were entered, and consecutive ones with the same deposit or check number
// make one group.  A transaction without a number is a group of its own
// value (the empty number), never part of the next.  A check still to be
// printed shows its first line under its own type text and counts nothing.
// Deleted transactions never print.  A run stopped by the user or by a
// record-manager error prints no totals.
#include "reports/arap/cash_receipts_disbursements.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "btrvc.h"
#include "oemtext.h"
#include "qxabase/cash_services.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_account.h"
#include "qxabase/report.h"
#include "qxabase/settings.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "report_frame.h"
#include "selection_fields.h"

namespace {

constexpr const char* kReceiptsReportId = "RSCashRecReport";
constexpr const char* kPaymentsReportId = "RSCashDisReport";

constexpr int kFormNumber = 311;
constexpr int kFieldAccountFrom = 1, kFieldAccountTo = 2, kFieldDateFrom = 3, kFieldDateTo = 4;
constexpr int kWindowTop = 5, kWindowLeft = 20, kWindowRows = 11, kWindowCols = 60;
// The account pick list of F5.
constexpr int kPickTop = 4, kPickLeft = 31, kPickRows = 8, kPickCols = 45;

// Screen texts of block 222.
constexpr int kTextBlock = 222;
constexpr int kTextWindowReceipts = 0, kTextWindowPayments = 1, kTextTitleReceipts = 2, kTextTitlePayments = 3;
constexpr int kTextDateFrom = 4, kTextDateTo = 5, kTextAccountFrom = 6, kTextAccountTo = 7;
constexpr int kTextReceipt = 12, kTextCheck = 13, kTextOtherPayment = 14, kTextCheckToPrint = 21;
constexpr int kTextCount = 22;

constexpr int kMsgFromAfterTo = 205;

constexpr int kStay = 0x20;
constexpr int kRedisplay = 0x40;
constexpr int kAccept = 1;

// Index 4 of the headers: the side letter, then the bank account.
constexpr int kKeySideBank = 4;
// The lines of a group's or a bank's totals, kept together on a page.
constexpr int kTotalsLines = 3;
// The characters of the received-from or paid-to name the report shows.
constexpr int kNameChars = 26;

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  return std::string(records::Trimmed(field));
}

double Amount(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

// The words of each kind of report.
struct KindWords {
  const char* reportId;
  int windowText, titleText;
  const char* document;     // "Deposit" / "Check": headings 1 of the number, date and amount
  const char* codeHeading;  // heading 1 of the code column
  const char* nameHeading;  // heading 2 of the name column
  const char* countCaption;
  const char* groupTotal;
  const char* bankTotal;
  const char* grandTotal;
};
// clang-format off
constexpr KindWords kReceiptWords = {
    kReceiptsReportId, kTextWindowReceipts, kTextTitleReceipts, "Deposit", "Cust/GL/Vdr", "Received From",
    "Number of Receipts : %6d", "Deposit Totals:", "Bank Account %s Totals: %4d Receipts %4d Deposits",
    "Grand Total Cash Receipts"};
constexpr KindWords kPaymentWords = {
    kPaymentsReportId, kTextWindowPayments, kTextTitlePayments, "Check", "Vend/GL/Cust", "Paid To",
    "Number of Payments : %6d", "Check Totals:", "Bank Account %s Totals: %4d Payments %4d Checks",
    "Grand Total Cash Payments"};
// clang-format on

// --- Column layouts ---------------------------------------------------------------------
//
// Two heading rows and the detail row, all at the same x positions; every
// value is bounded to its column.

enum Column {
  kBank, kNumber, kType, kCode, kName, kTran, kInvoice, kDate, kInvoiceAmount, kDiscount, kAmount, kColumns
};
constexpr int kX[kColumns] = {0, 11, 20, 26, 38, 65, 76, 89, 98, 110, 122};
constexpr int kWidth[kColumns] = {10, 8, 5, 11, 26, 10, 12, 8, 11, 11, 11};

// The selection lines of the page heading: the dates at x 1, the accounts
// at x 105.
constexpr int kSelectionDateX = 1, kSelectionAccountX = 105;
// The captions of the totals lines.
constexpr int kCountX = 38, kTotalCaptionX = 78, kBankCaptionX = 12;

// A group's or a bank's two sums and its count.
struct Totals {
  std::int64_t discount = 0, amount = 0;
};

// --- The run -------------------------------------------------------------------------------

class CashReportRun {
 public:
  explicit CashReportRun(char kind) : kind_(kind == 'P' ? 'P' : 'R'), words_(kind == 'P' ? kPaymentWords : kReceiptWords) {}
  CashReportRun(const CashReportRun&) = delete;
  CashReportRun& operator=(const CashReportRun&) = delete;
  ~CashReportRun() {
    ScreenTextFree(texts_);
    FormEnd(&form_);
  }

  int Run();

 private:
  // The screen.
  static CashReportRun* Of(Form* form) { return static_cast<CashReportRun*>(form->context); }
  static int StartHook(Form* form, int start);
  static int AccountExit(Form* form, int field);
  static int DateExit(Form* form, int field);
  static int LookUp(Form* form, KeyCode key);
  static int PrintKey(Form* form, KeyCode key);
  // 0 when the account field is blank (an open end) or names an account of
  // the chart, and on the to field the range is in order; otherwise kStay
  // after the message.
  int CheckAccount(int field);
  // 0 when the date of `field` is valid (and, on the to field, not before
  // the from date); otherwise kStay after the message.
  int CheckDate(int field);
  std::string AccountText(int field);

  // The report.
  void Print();
  void BuildLayouts();
  // 0 with the next header of the kind in header_, 9 past the last; another
  // status after the error box.
  int ReadHeader(bool first);
  bool Selected() const;
  void PrintHeader();
  // False when the run is to end (a record-manager error on the lines).
  bool PrintLines(bool checkToPrint);
  void SetHeaderColumns();
  void PageCheck(int extraLines);
  void PageHeading();
  void WriteGroupTotals();
  void WriteBankTotals();
  void WriteGrandTotals();
  void WriteTotalsRow(const char* caption, const Totals& sums);

  const char kind_;
  const KindWords& words_;
  const char* texts_[kTextCount] = {};
  records::FiscalPeriodInfo period_{};
  FormDef def_;
  std::vector<TagFormField> fields_;
  // Released in the reverse order: the window, then the files, then the
  // form and the texts (the destructor).
  Form form_{};
  FileSet files_;
  BtrvHandle headers_ = 0, lines_ = 0, accounts_ = 0;
  Window window_{};
  WindowGuard windowGuard_{&window_};

  // The selection of the run being printed.
  std::string accountFrom_, accountTo_;  // "" an open end
  std::int32_t dateFrom_ = 0, dateTo_ = 0;
  std::string selection_[4];              // date from, date to, account from, account to

  TagRepInfo info_{};
  records::CashHeader header_{};
  records::CashLine line_{};
  char key_[255] = {};
  bool printed_ = false, failed_ = false, stopped_ = false;
  bool firstHeader_ = true;
  std::string groupNumber_, bank_;
  int groupItems_ = 0, bankItems_ = 0, bankGroups_ = 0;
  Totals group_, bankSums_, grand_;

  std::vector<TagReportColumn> heading1_, heading2_, detail_, totals_, countRow_, bankRow_;
  char bankText_[11] = {}, number_[9] = {}, type_[6] = {}, code_[12] = {}, name_[kNameChars + 1] = {};
  char tran_[11] = {}, invoice_[13] = {};
  std::int32_t date_ = 0;
  double invoiceAmount_ = 0, discount_ = 0, amount_ = 0;
  char caption_[64] = {}, countText_[48] = {}, bankCaption_[80] = {};
  double totalDiscount_ = 0, totalAmount_ = 0;
};

int CashReportRun::Run() {
  if (ScreenTextLoad(kTextBlock, texts_, kTextCount) != 0) return 0;
  if (FormDefLoad(&def_, kFormNumber) != 0) return 0;
  fields_ = def_.fields;
  for (TagFormField& f : fields_) {
    if (f.number == kFieldAccountFrom || f.number == kFieldAccountTo) f.exitCallback = AccountExit;
    if (f.number == kFieldDateFrom || f.number == kFieldDateTo) f.exitCallback = DateExit;
  }
  FiscalPeriodOfDate(kPeriodFillOnly, DateToday(), &period_);

  FormBegin(&form_);
  if (FileSetOpen(&files_, records::kFileCashHeaders, records::kFileCashLines, records::kFileGLAccounts) !=
      kStatusOk)
    return 0;
  headers_ = files_.handle[0];
  lines_ = files_.handle[1];
  accounts_ = files_.handle[2];
  if (!FormFieldsCreate(&form_, fields_.data(), 1)) return 0;
  FormDefUse(&form_, &def_);
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', texts_[words_.windowText]) != 0)
    return 0;

  SetUpScreenForm(&form_, &window_, words_.reportId, this, StartHook);
  FormOnKey(&form_, kKeyF5, LookUp, "Look up");
  FormOnKey(&form_, kKeyF10, PrintKey, "Print");
  FormRun(&form_, 0);
  return 0;
}

// --- The screen ----------------------------------------------------------------------------

// The dates of this fiscal period, and the From/To prompts of the ranges.
int CashReportRun::StartHook(Form* form, int) {
  CashReportRun* run = Of(form);
  char date[16] = {};
  FieldSetText(form, kFieldDateFrom, DateToText(date, run->period_.startDate));
  FieldSetText(form, kFieldDateTo, DateToText(date, run->period_.endDate));
  Window* window = FormWindow(form);
  for (int field : {kFieldAccountFrom, kFieldDateFrom}) WinWriteFromLabel(window, 0, field);
  for (int field : {kFieldAccountTo, kFieldDateTo}) WinWriteToLabel(window, 0, field);
  FormRedraw(form);
  return 0;
}

std::string CashReportRun::AccountText(int field) { return TrimText(FieldText(&form_, field)); }

int CashReportRun::CheckAccount(int field) {
  const std::string typed = AccountText(field);
  if (typed.empty()) {
    FieldFillDefault(&form_, "", field);
    return 0;
  }
  records::GLAccount account{};
  if (const int check = CheckAccountOnFile(accounts_, typed, &account)) return check;
  if (field == kFieldAccountTo) {
    const std::string from = AccountText(kFieldAccountFrom);
    if (!from.empty() && oem::CompareText(from, typed) > 0) {
      MsgShow(kMsgFromAfterTo, 1);
      return kStay;
    }
  }
  return 0;
}

int CashReportRun::CheckDate(int field) { return CheckRangeDate(&form_, field, kFieldDateFrom, kFieldDateTo); }

int CashReportRun::AccountExit(Form* form, int field) { return Of(form)->CheckAccount(field); }

int CashReportRun::DateExit(Form* form, int field) { return Of(form)->CheckDate(field); }

int CashReportRun::LookUp(Form* form, KeyCode) {
  CashReportRun* run = Of(form);
  const int field = FormCurrentField(form);
  if (field != kFieldAccountFrom && field != kFieldAccountTo) return 0;
  char code[64] = {};
  SetRowText(code, run->AccountText(field));
  records::GLAccount account{};
  if (!PickAccount(code, run->accounts_, &account, kPickTop, kPickLeft, kPickRows, kPickCols, 0)) return kStay;
  FieldSetText(form, field, Trimmed(account.code).c_str());
  FieldRedraw(form, field);
  const int check = run->CheckAccount(field);
  return check == 0 ? kRedisplay : check;
}

// F10: every field is checked again (a field passed over by F10 alone was
// never left), then the report prints and the screen closes.
int CashReportRun::PrintKey(Form* form, KeyCode) {
  CashReportRun* run = Of(form);
  for (int field : {kFieldAccountFrom, kFieldAccountTo}) {
    if (run->CheckAccount(field) != 0) {
      FieldSetFocus(form, field);
      return kStay;
    }
  }
  for (int field : {kFieldDateFrom, kFieldDateTo}) {
    if (run->CheckDate(field) != 0) {
      FieldSetFocus(form, field);
      return kStay;
    }
  }
  run->accountFrom_ = run->AccountText(kFieldAccountFrom);
  run->accountTo_ = run->AccountText(kFieldAccountTo);
  run->dateFrom_ = DateFromText(FieldText(form, kFieldDateFrom).c_str());
  run->dateTo_ = DateFromText(FieldText(form, kFieldDateTo).c_str());
  run->Print();
  return kAccept;
}

// --- The report ----------------------------------------------------------------------------

void CashReportRun::Print() {
  char from[16] = {}, to[16] = {};
  DateToText(from, dateFrom_);
  DateToText(to, dateTo_);
  selection_[0] = std::string(texts_[kTextDateFrom]) + (dateFrom_ ? from : "FIRST");
  selection_[1] = std::string(texts_[kTextDateTo]) + (dateTo_ ? to : "LAST");
  selection_[2] = std::string(texts_[kTextAccountFrom]) + (accountFrom_.empty() ? "FIRST" : accountFrom_);
  selection_[3] = std::string(texts_[kTextAccountTo]) + (accountTo_.empty() ? "LAST" : accountTo_);

  SetReportDestination(static_cast<const char*>(nullptr), &info_);
  if (!ReportOpen(&info_, texts_[words_.titleText])) return;
  ReportRunGuard guard(&info_);
  BuildLayouts();

  printed_ = failed_ = stopped_ = false;
  firstHeader_ = true;
  groupItems_ = bankItems_ = bankGroups_ = 0;
  group_ = bankSums_ = grand_ = Totals{};
  BtrvSetKey(headers_, kKeySideBank, -1);
  int status = ReadHeader(true);
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) {
      stopped_ = true;
      break;
    }
    if (Selected()) {
      PrintHeader();
      if (failed_) break;
    }
    status = ReadHeader(false);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) failed_ = true;

  if (EndReportRun(&info_, failed_, stopped_, printed_)) {
    for (auto write : {&CashReportRun::WriteGroupTotals, &CashReportRun::WriteBankTotals,
                       &CashReportRun::WriteGrandTotals}) {
      PageCheck(kTotalsLines);
      (this->*write)();
    }
    ReportNewPage(&info_);
  }
  guard.Close();
}

void CashReportRun::BuildLayouts() {
  // clang-format off
  const char* const heading1[kColumns] = {"Bank",    words_.document, "Tran", words_.codeHeading, "",
                                          "Tran",    "Invoice",       words_.document, "Invoice", "Discount", words_.document};
  const char* const heading2[kColumns] = {"Account", "Number",        "Type", "Code",             words_.nameHeading,
                                          "Number",  "Number",        "Date", "Amount",  "Taken",    "Amount"};
  // clang-format on
  // The amounts' captions stand against the right of their fields.
  constexpr std::uint32_t kAmounts = (1u << kInvoiceAmount) | (1u << kDiscount) | (1u << kAmount);
  heading1_ = HeadingRow(heading1, kX, kWidth, kColumns, kAmounts);
  heading2_ = HeadingRow(heading2, kX, kWidth, kColumns, kAmounts);

  detail_.assign(kColumns + 1, TagReportColumn{});
  detail_[kBank] = MakeColumn(kColumnText, "%-10.10s", kX[kBank], bankText_);
  detail_[kNumber] = MakeColumn(kColumnText, "%-8.8s", kX[kNumber], number_);
  detail_[kType] = MakeColumn(kColumnText, "%-5.5s", kX[kType], type_);
  detail_[kCode] = MakeColumn(kColumnText, "%-11.11s", kX[kCode], code_);
  detail_[kName] = MakeColumn(kColumnText, "%-26.26s", kX[kName], name_);
  detail_[kTran] = MakeColumn(kColumnText, "%-10.10s", kX[kTran], tran_);
  detail_[kInvoice] = MakeColumn(kColumnText, "%-12.12s", kX[kInvoice], invoice_);
  detail_[kDate] = MakeColumn(kColumnDate, "%-8s", kX[kDate], &date_);
  detail_[kInvoiceAmount] = MakeColumn(kColumnAmount, "%11.2f", kX[kInvoiceAmount], &invoiceAmount_);
  detail_[kDiscount] = MakeColumn(kColumnAmount, "%11.2f", kX[kDiscount], &discount_);
  detail_[kAmount] = MakeColumn(kColumnAmount, "%11.2f", kX[kAmount], &amount_);

  // A totals line: its caption and the two sums, under the last two columns.
  totals_.assign(4, TagReportColumn{});
  totals_[0] = MakeColumn(kColumnText, "%-31.31s", kTotalCaptionX, caption_);
  totals_[1] = MakeColumn(kColumnAmount, "%11.2f", kX[kDiscount], &totalDiscount_);
  totals_[2] = MakeColumn(kColumnAmount, "%11.2f", kX[kAmount], &totalAmount_);
  countRow_.assign(2, TagReportColumn{});
  countRow_[0] = MakeColumn(kColumnText, "%-39.39s", kCountX, countText_);
  bankRow_.assign(2, TagReportColumn{});
  bankRow_[0] = MakeColumn(kColumnText, "%-65.65s", kBankCaptionX, bankCaption_);
}

int CashReportRun::ReadHeader(bool first) {
  int op = kOpGetNext;
  if (first) {
    std::memset(key_, 0, sizeof key_);
    key_[0] = kind_;
    op = kOpGetGreaterOrEqual;
  }
  const int status = BtrvGetOp(op, headers_, key_, &header_, sizeof header_);
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusEndOfFile;
  if (status != kStatusOk) {
    MsgRecordError(status, 1, op, records::kFileCashHeaders, 0);
    return status;
  }
  // The first header of the other side ends the run.
  if (header_.side != kind_) return kStatusEndOfFile;
  return kStatusOk;
}

// Within the ranges and not deleted.  The bank accounts compare by the one
// text rule, as the screen checks them; the key orders them as stored, so
// the scan goes on past the to account rather than stopping at the first
// above it.
bool CashReportRun::Selected() const {
  if (header_.IsDeleted()) return false;
  const std::string bank = Trimmed(header_.bankAccount);
  if (!accountFrom_.empty() && oem::CompareText(bank, accountFrom_) < 0) return false;
  if (!accountTo_.empty() && oem::CompareText(bank, accountTo_) > 0) return false;
  return header_.date >= dateFrom_ && header_.date <= dateTo_;
}

void CashReportRun::PrintHeader() {
  PageCheck(0);
  printed_ = true;

  // The deposit or check groups and the bank accounts: a header with another
  // number, or of another bank, ends the group; one of another bank ends the
  // bank's totals too.
  const std::string number = Trimmed(header_.depositNumber), bank = Trimmed(header_.bankAccount);
  if (firstHeader_) {
    firstHeader_ = false;
  } else {
    const bool newBank = oem::CompareText(bank, bank_) != 0;
    if (newBank || oem::CompareText(number, groupNumber_) != 0) {
      PageCheck(kTotalsLines);
      WriteGroupTotals();
    }
    if (newBank) {
      PageCheck(kTotalsLines);
      WriteBankTotals();
    }
  }
  groupNumber_ = number;
  bank_ = bank;
  PageCheck(0);

  const bool checkToPrint = kind_ == 'P' && CashTranTest(&header_) != 0;
  int typeText = kTextReceipt;
  if (kind_ == 'P') typeText = checkToPrint ? kTextCheckToPrint : header_.typeLetter == 'C' ? kTextCheck : kTextOtherPayment;
  SetRowText(type_, texts_[typeText]);
  SetHeaderColumns();
  if (!PrintLines(checkToPrint)) failed_ = true;
}

void CashReportRun::SetHeaderColumns() {
  SetRowText(bankText_, Trimmed(header_.bankAccount));
  SetRowText(number_, Trimmed(header_.depositNumber));
  SetRowText(code_, Trimmed(header_.paidToCode));
  SetRowText(name_, Trimmed(header_.payeeName));
  SetRowText(tran_, Trimmed(header_.transactionNumber));
  date_ = header_.date;
}

bool CashReportRun::PrintLines(bool checkToPrint) {
  // The lines share the header's first 18 bytes.
  constexpr std::size_t kTranKey = sizeof header_.journalCode + sizeof header_.transactionNumber;
  const bool glLines = header_.distribution == 'G';
  char key[255] = {};
  std::memcpy(key, &header_, kTranKey);
  for (int op = kOpGetGreaterOrEqual;; op = kOpGetNext) {
    const int status = RecordRead(records::kFileCashLines, op, lines_, key, &line_, sizeof line_);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return true;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFileCashLines, 0);
      return false;
    }
    if (std::memcmp(&line_, &header_, kTranKey) != 0) return true;
    PageCheck(0);
    if (glLines) {
      SetRowText(code_, Trimmed(line_.glAccount));
      SetRowText(name_, Trimmed(line_.text));
    }
    SetRowText(invoice_, Trimmed(line_.invoiceNumber));
    invoiceAmount_ = NumRound(line_.invoiceAmount, 2);
    discount_ = NumRound(line_.discount, 2);
    amount_ = NumRound(line_.amount, 2);
    ReportWriteColumns(&info_, detail_.data(), 1);
    // A check still to be printed shows its first line only, and counts
    // nothing: it is not paid yet.
    if (checkToPrint) return true;
    ++groupItems_;
    group_.discount += AmountCents(line_.discount);
    group_.amount += AmountCents(line_.amount);
  }
}

// A full page is ended and the heading starts the next; the first heading
// goes on the first page without a break.
void CashReportRun::PageCheck(int extraLines) {
  if (printed_ && !ReportPageFull(&info_, extraLines)) return;
  if (printed_) ReportNewPage(&info_);
  PageHeading();
}

void CashReportRun::PageHeading() {
  ReportPageStart(&info_, 0, 2);
  const TagRepFont font = info_.font;
  ReportBlockBegin(&info_, kFontTitle);
  ReportWriteText(&info_, texts_[words_.titleText], kReportCentred, 1);
  ReportBlockEnd(&info_);
  ReportBlockBegin(&info_, kFontHeading);
  for (int i = 0; i < 2; ++i) {
    ReportWriteText(&info_, selection_[i].c_str(), kSelectionDateX, 0);
    ReportWriteText(&info_, selection_[2 + i].c_str(), kSelectionAccountX, 1);
  }
  ReportBlockEnd(&info_);
  ReportSkipLines(&info_, 1);
  ReportBlockBegin(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, heading1_.data(), 1);
  ReportWriteColumns(&info_, heading2_.data(), 1);
  ReportBlockEnd(&info_);
  ReportWriteRule(&info_, heading2_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) {
    ReportSetColumnLayout(&info_, detail_.data(), 2);
    ReportSetHeadingEnd(&info_, info_.lineCount);
  }
}

void CashReportRun::WriteTotalsRow(const char* caption, const Totals& sums) {
  SetRowText(caption_, caption);
  totalDiscount_ = Amount(sums.discount);
  totalAmount_ = Amount(sums.amount);
  ReportWriteColumns(&info_, totals_.data(), 2);
}

// The totals of the group just ended when it holds two items or more (one
// item is its own total: an empty line instead); its count and sums then
// go to the bank's and the grand totals.  A group that counted nothing (a
// check still to be printed, a transaction without lines) is no deposit
// or check of the bank's count.
void CashReportRun::WriteGroupTotals() {
  if (groupItems_ >= 2) {
    ReportWriteRule(&info_, totals_.data() + 1, 1, '-');
    std::snprintf(countText_, sizeof countText_, words_.countCaption, groupItems_);
    ReportWriteColumns(&info_, countRow_.data(), 0);
    WriteTotalsRow(words_.groupTotal, group_);
  } else {
    ReportSkipLines(&info_, 1);
  }
  bankItems_ += groupItems_;
  if (groupItems_ > 0) ++bankGroups_;
  bankSums_.discount += group_.discount;
  bankSums_.amount += group_.amount;
  grand_.discount += group_.discount;
  grand_.amount += group_.amount;
  groupItems_ = 0;
  group_ = Totals{};
}

void CashReportRun::WriteBankTotals() {
  ReportWriteRule(&info_, totals_.data() + 1, 1, '-');
  std::snprintf(bankCaption_, sizeof bankCaption_, words_.bankTotal, bank_.c_str(), bankItems_, bankGroups_);
  ReportWriteColumns(&info_, bankRow_.data(), 0);
  WriteTotalsRow("Bank Totals:", bankSums_);
  bankItems_ = bankGroups_ = 0;
  bankSums_ = Totals{};
}

void CashReportRun::WriteGrandTotals() {
  ReportWriteRule(&info_, totals_.data() + 1, 1, '-');
  WriteTotalsRow(words_.grandTotal, grand_);
}

}  // namespace

int RunCashRecDisReport(char kind) {
  try {
    CashReportRun run(kind);
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
