// The checks-to-print listing (command 313): every cash disbursement still
// waiting for its check (a check header of type 'C', not printed, not
// deleted), by bank account, each with the invoices it pays, a total per
// check, per bank account and for the whole listing.  It asks nothing and
// prints at once to the preview.
//
// The bank, transaction and code of a check stand on its first line, and
// again on the first line of a new page; a check without lines still shows
// them on a line of its own, so that every check listed can be told.
#include "reports/arap/checks_to_print.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "btrvc.h"
#include "oemtext.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/transactions.h"
#include "report_frame.h"

namespace {

constexpr const char* kReportTitle = "Checks to Print";

constexpr int kTextBlock = 277;
constexpr int kTextTitle = 0;
constexpr int kTextCount = 1;

// The header file's index whose order begins with the bank account.
constexpr int kKeyBankAccount = 3;
// The characters of the paid-to name the listing shows.
constexpr std::size_t kPaidToChars = 36;

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  return std::string(records::Trimmed(field));
}

double Amount(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

bool IsWaitingCheck(const records::CashHeader& h) {
  return h.typeLetter == 'C' && h.checkPrinted == 0 && !h.IsDeleted();
}

// The three amounts every line and total carries.
struct Sums {
  std::int64_t invoice = 0, discount = 0, toPay = 0;
  Sums& operator+=(const Sums& o) {
    invoice += o.invoice;
    discount += o.discount;
    toPay += o.toPay;
    return *this;
  }
};

// --- Column layouts ---------------------------------------------------------------------

enum DetailColumn { kBank, kTran, kCode, kPaidTo, kInvoice, kInvoiceAmount, kDiscount, kToPay, kDetailCount };
constexpr int kHeadingX[kDetailCount] = {2, 15, 26, 37, 75, 92, 107, 122};
constexpr int kDetailX[kDetailCount] = {2, 15, 26, 37, 75, 92, 107, 122};
constexpr int kAmountWidth = 12;
// clang-format off
constexpr const char* kHeadings[kDetailCount] = {
    "Bank Acct.", "Tran.", "Code", "Paid to", "Invoice#", "Inv. Amount", "Disc. Taken", "Amt. to Pay"};
// clang-format on
constexpr int kFirstAmount = kInvoiceAmount;

// A total line: a label, a right-aligned text, then the three amounts.
enum TotalColumn { kLabel, kSecond, kTotalInvoice, kTotalDiscount, kTotalToPay, kTotalCount };
constexpr int kLabelX = 5, kSecondX = 45;

// --- The run -------------------------------------------------------------------------------

class ChecksToPrintRun {
 public:
  ChecksToPrintRun() = default;
  ChecksToPrintRun(const ChecksToPrintRun&) = delete;
  ChecksToPrintRun& operator=(const ChecksToPrintRun&) = delete;
  ~ChecksToPrintRun() { ScreenTextFree(texts_); }

  int Run();

 private:
  // 0 at the first waiting check (in header_); 9 when there is none;
  // another status after the error box.
  int FindFirst();
  void BuildLayouts();
  // Lists the check in header_: false when the run is to end (a user break
  // or a record-manager error).
  bool PrintCheck();
  void SetHeaderColumns();
  void WriteCheckTotal();
  void WriteBankTotal();
  void WriteGrandTotal();
  void WriteTotal(const std::string& label, const std::string& second, const Sums& sums);
  // A new page with the heading when `lines` more lines do not fit (or no
  // page is started yet).
  void PageCheck(int lines = 1);
  void PageHeading();

  const char* texts_[kTextCount] = {};
  // Released in the reverse order: the report, then the files.
  FileSet files_;
  BtrvHandle headers_ = 0, lines_ = 0;
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  records::CashHeader header_{};
  records::CashLine line_{};
  bool pageStarted_ = false;
  bool newPage_ = false;  // a page began since the check's last line
  bool stopped_ = false, failed_ = false;

  std::string bank_;
  int checkLines_ = 0, totalLines_ = 0;
  Sums check_, bankSums_, grand_;

  std::array<TagReportColumn, kDetailCount + 1> heading_{}, detail_{}, amountRule_{};
  std::array<TagReportColumn, kTotalCount + 1> total_{};
  char bankText_[11] = {}, tran_[12] = {}, code_[12] = {}, paidTo_[kPaidToChars + 1] = {}, invoice_[12] = {};
  double invoiceAmount_ = 0, discount_ = 0, toPay_ = 0;
  char label_[48] = {}, second_[32] = {};
  double totalInvoice_ = 0, totalDiscount_ = 0, totalToPay_ = 0;
};

int ChecksToPrintRun::Run() {
  if (ScreenTextLoad(kTextBlock, texts_, kTextCount) != 0) return 0;
  if (FileSetOpen(&files_, records::kFileCashHeaders, records::kFileCashLines) != kStatusOk) return 0;
  headers_ = files_.handle[0];
  lines_ = files_.handle[1];
  BtrvSetKey(headers_, kKeyBankAccount, -1);

  const int first = FindFirst();
  if (first != kStatusOk) {
    if (first == kStatusEndOfFile) MsgShow(kMsgNothingSelected, 1);
    return 0;
  }
  bank_ = Trimmed(header_.bankAccount);
  SetReportDestination(static_cast<const char*>(nullptr), &info_);
  if (!ReportOpen(&info_, kReportTitle)) return 0;
  BuildLayouts();
  PageCheck();

  char key[255] = {};
  int status = kStatusOk;
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) {
      stopped_ = true;
      break;
    }
    if (IsWaitingCheck(header_)) {
      const std::string bank = Trimmed(header_.bankAccount);
      if (oem::CompareText(bank, bank_) != 0) {
        WriteBankTotal();
        bankSums_ = Sums{};
      }
      bank_ = bank;
      if (!PrintCheck()) break;
    }
    status = BtrvGetOp(kOpGetNext, headers_, key, &header_, sizeof header_);
    if (status != kStatusOk && status != kStatusEndOfFile) {
      MsgRecordError(status, 1, kOpGetNext, records::kFileCashHeaders, 0);
      failed_ = true;
    }
  }
  if (failed_) {
    // What was printed is shown for what it is: no totals that look final.
    ReportWriteText(&info_, "*** The listing is incomplete: the company's files could not be read ***", 0, 1);
  } else if (stopped_) {
    ReportNewPage(&info_);
  } else {
    WriteBankTotal();
    WriteGrandTotal();
    ReportNewPage(&info_);
    CommandDone();
  }
  reportGuard_.Close();
  return 0;
}

int ChecksToPrintRun::FindFirst() {
  char key[255] = {};
  for (int op = kOpGetFirst;; op = kOpGetNext) {
    const int status = BtrvGetOp(op, headers_, key, &header_, sizeof header_);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusEndOfFile;
    if (status != kStatusOk) return MsgRecordError(status, 1, op, records::kFileCashHeaders, 0);
    if (IsWaitingCheck(header_)) return kStatusOk;
  }
}

void ChecksToPrintRun::BuildLayouts() {
  for (int i = 0; i < kDetailCount; ++i) {
    const bool amount = i >= kFirstAmount;
    const std::int32_t align = amount ? kAlignRight : kAlignLeft;
    const std::int32_t width = amount ? kAmountWidth : kDetailX[i + 1] - kDetailX[i] - 1;
    heading_[static_cast<std::size_t>(i)] = MakeColumn(kColumnText, "%s", kHeadingX[i], kHeadings[i], align, width);
  }
  detail_[kBank] = MakeColumn(kColumnText, "%-10.10s", kDetailX[kBank], bankText_);
  detail_[kTran] = MakeColumn(kColumnText, "%-10.10s", kDetailX[kTran], tran_);
  detail_[kCode] = MakeColumn(kColumnText, "%-10.10s", kDetailX[kCode], code_);
  detail_[kPaidTo] = MakeColumn(kColumnText, "%-37.36s", kDetailX[kPaidTo], paidTo_);
  detail_[kInvoice] = MakeColumn(kColumnText, "%-10.10s", kDetailX[kInvoice], invoice_);
  detail_[kInvoiceAmount] = MakeColumn(kColumnAmount, "%12.2f", kDetailX[kInvoiceAmount], &invoiceAmount_);
  detail_[kDiscount] = MakeColumn(kColumnAmount, "%12.2f", kDetailX[kDiscount], &discount_);
  detail_[kToPay] = MakeColumn(kColumnAmount, "%12.2f", kDetailX[kToPay], &toPay_);
  // The rule above a check's total: under the amounts only.
  amountRule_ = detail_;
  for (int i = 0; i < kFirstAmount; ++i) amountRule_[static_cast<std::size_t>(i)].hidden = 1;

  total_[kLabel] = MakeColumn(kColumnText, "%-40.40s", kLabelX, label_);
  total_[kSecond] = MakeColumn(kColumnText, "%22s", kSecondX, second_);
  total_[kTotalInvoice] = MakeColumn(kColumnAmount, "%12.2f", kDetailX[kInvoiceAmount], &totalInvoice_);
  total_[kTotalDiscount] = MakeColumn(kColumnAmount, "%12.2f", kDetailX[kDiscount], &totalDiscount_);
  total_[kTotalToPay] = MakeColumn(kColumnAmount, "%12.2f", kDetailX[kToPay], &totalToPay_);
}

void ChecksToPrintRun::SetHeaderColumns() {
  SetRowText(bankText_, Trimmed(header_.bankAccount));
  SetRowText(tran_, Trimmed(header_.transactionNumber));
  SetRowText(code_, Trimmed(header_.paidToCode));
  SetRowText(paidTo_, Trimmed(header_.payeeName));
}

bool ChecksToPrintRun::PrintCheck() {
  SetHeaderColumns();
  checkLines_ = 0;
  check_ = Sums{};
  newPage_ = false;

  // The check's lines share the header's first 18 bytes.
  constexpr std::size_t kTranKey = sizeof header_.journalCode + sizeof header_.transactionNumber;
  char key[255] = {};
  std::memcpy(key, &header_, kTranKey);
  for (int op = kOpGetGreaterOrEqual;; op = kOpGetNext) {
    const int status = RecordRead(records::kFileCashLines, op, lines_, key, &line_, sizeof line_);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) break;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFileCashLines, 0);
      failed_ = true;
      return false;
    }
    if (std::memcmp(&line_, &header_, kTranKey) != 0) break;
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) {
      stopped_ = true;
      return false;
    }
    const Sums sums{AmountCents(line_.invoiceAmount), AmountCents(line_.discount), AmountCents(line_.amount)};
    PageCheck();
    // The check's bank, transaction and code stand on its first line, and
    // again at the top of a new page.
    const bool repeat = checkLines_ > 0 && !newPage_;
    for (int c : {kBank, kTran, kCode}) detail_[static_cast<std::size_t>(c)].hidden = repeat ? 1 : 0;
    detail_[kPaidTo].hidden = 0;
    for (int c = kInvoice; c < kDetailCount; ++c) detail_[static_cast<std::size_t>(c)].hidden = 0;
    SetRowText(invoice_, Trimmed(line_.invoiceNumber));
    invoiceAmount_ = Amount(sums.invoice);
    discount_ = Amount(sums.discount);
    toPay_ = Amount(sums.toPay);
    ReportWriteColumns(&info_, detail_.data(), 1);
    newPage_ = false;
    ++checkLines_;
    check_ += sums;
  }
  if (checkLines_ == 0) {
    // A check without lines is still named.
    PageCheck();
    for (int c = 0; c < kDetailCount; ++c) detail_[static_cast<std::size_t>(c)].hidden = c >= kInvoice ? 1 : 0;
    ReportWriteColumns(&info_, detail_.data(), 1);
  }
  for (TagReportColumn& c : detail_) c.hidden = 0;
  totalLines_ += checkLines_;
  bankSums_ += check_;
  grand_ += check_;
  WriteCheckTotal();
  return true;
}

void ChecksToPrintRun::WriteTotal(const std::string& label, const std::string& second, const Sums& sums) {
  SetRowText(label_, label);
  SetRowText(second_, second);
  totalInvoice_ = Amount(sums.invoice);
  totalDiscount_ = Amount(sums.discount);
  totalToPay_ = Amount(sums.toPay);
  ReportWriteColumns(&info_, total_.data(), 1);
}

void ChecksToPrintRun::WriteCheckTotal() {
  // The rule and the total stay together.
  PageCheck(2);
  ReportWriteRule(&info_, amountRule_.data(), 1, '-');
  char second[32];
  std::snprintf(second, sizeof second, "%d Total(s) for Check :", checkLines_);
  WriteTotal("Number of Check Transaction(s):", second, check_);
  ReportSkipLines(&info_, 1);
}

void ChecksToPrintRun::WriteBankTotal() {
  PageCheck();
  WriteTotal("Total for Bank Acct. " + bank_, ":", bankSums_);
  ReportSkipLines(&info_, 1);
}

void ChecksToPrintRun::WriteGrandTotal() {
  PageCheck();
  char second[32];
  std::snprintf(second, sizeof second, "%d Grand Total(s)    :", totalLines_);
  WriteTotal("Total Number of Transaction(s) :", second, grand_);
}

void ChecksToPrintRun::PageCheck(int lines) {
  if (pageStarted_ && !ReportPageFull(&info_, lines)) return;
  if (pageStarted_) ReportNewPage(&info_);
  PageHeading();
}

void ChecksToPrintRun::PageHeading() {
  ReportPageStart(&info_, 0, 1);
  const TagRepFont font = info_.font;
  ReportBlockBegin(&info_, kFontTitle);
  ReportWriteText(&info_, texts_[kTextTitle], kReportCentred, 1);
  ReportBlockEnd(&info_);
  ReportSkipLines(&info_, 1);
  ReportBlockBegin(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, heading_.data(), 1);
  ReportBlockEnd(&info_);
  ReportWriteRule(&info_, heading_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) {
    ReportSetColumnLayout(&info_, detail_.data(), 2);
    ReportSetHeadingEnd(&info_, info_.lineCount);
  }
  pageStarted_ = true;
  newPage_ = true;
}

}  // namespace

int RunChecksToPrint() {
  try {
    ChecksToPrintRun run;
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
