// The purchase-order status report (command 308): for every open purchase
// order dated within a range, each order line with the quantities ordered,
// received and still backordered; on request, under each line, the receipts
// posted against it, each with what was still backordered after it.  A small
// screen asks for the order dates (this fiscal period's by default), whether
// fully received lines print too, and whether receipts print; F10 prints to
// the preview.
//
// An order line whose receipts print under it leaves its received and
// backordered columns to them: the receipts' running backorder ends where
// the line stands.
#include "reports/arap/po_status.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "btrvc.h"
#include "qxabase/bipo_lines.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "report_frame.h"
#include "selection_fields.h"

namespace {

constexpr const char* kReportId = "RSPOStatRepSel";
constexpr const char* kRunTitle = "Purchase Orders Status";

constexpr int kWindowTop = 6, kWindowLeft = 22, kWindowRows = 11, kWindowCols = 58;

// Screen texts of block 550: the title, the selection line's format (the
// from and to dates) and the pieces of the option line.
constexpr int kTextBlock = 550;
constexpr int kTextTitle = 0, kTextSelection = 1, kTextOptions = 2, kTextAllLines = 3, kTextAnd = 4,
              kTextReceipts = 5;
constexpr int kTextCount = 6;

constexpr int kFieldFrom = 1, kFieldTo = 2, kFieldAllLines = 3, kFieldReceipts = 4;
constexpr int kChoiceYes = 1, kChoiceNo = 2;

constexpr int kMsgInvalidDate = 13;
constexpr int kStay = 0x20;
constexpr int kRedisplayForm = 0x80;
constexpr int kAccept = 1;

// An empty to date: no upper limit.
constexpr std::int32_t kNoLastDate = 99999999;

// The key of the receipt lines by the order line they fill.
constexpr int kKeyReceiptLink = 5;

constexpr char kOpenOrder = 'O';
constexpr char kReceiptOfGoods = 'I';
constexpr char kClosed = 'Y';

constexpr const char* kQuantityFormat = "%11.4fF";
constexpr int kQuantityWidth = 11;
constexpr int kLineWidth = 132;

constexpr const char* kDatePicture = "nn/nn/nn";
constexpr const char kYesNo[] = "\x01Yes,No";

// What the screen chose.
struct POStatusOptions {
  std::int32_t fromDate = 0;
  std::int32_t toDate = 0;
  bool allLines = false;
  bool receipts = true;
};

// The screen's fields; the date checks are set on the run's copy.
// clang-format off
const TagFormField kFieldTable[] = {
    {.number = kFieldFrom, .row = 1, .column = 27, .mask = "nn/nn/nn", .label = "Orders dated from", .labelColumn = 2},
    {.number = kFieldTo, .row = 2, .column = 27, .mask = "nn/nn/nn", .label = "Orders dated to", .labelColumn = 2},
    {.number = kFieldAllLines, .row = 3, .column = 27, .mask = "%-10sm", .choices = kYesNo, .label = "Fully received lines", .labelColumn = 2},
    {.number = kFieldReceipts, .row = 4, .column = 27, .mask = "%-10sm", .choices = kYesNo, .label = "Receipts", .labelColumn = 2},
    {},
};
// clang-format on

// --- Column layout ------------------------------------------------------------------------

enum Column { kNumber, kMr, kItem, kDate, kVendor, kOrdered, kReceived, kBackordered, kColumnCount };
constexpr int kColumnX[kColumnCount] = {5, 22, 31, 58, 71, 86, 99, 112};
// clang-format off
constexpr const char* kHeading1[kColumnCount] = {"PO/Receipt", "",    "Item",   "Order", "Vendor", "Ordered",  "Received", "Backordered"};
constexpr const char* kHeading2[kColumnCount] = {"Number",     "MR#", "Number", "Date",  "Code",   "Quantity", "Quantity", "Quantity"};
// clang-format on

bool IsQuantity(int column) { return column >= kOrdered; }

void FormatQuantity(char (&out)[64], double value, int decimals) {
  if (StrFormatValue(out, kQuantityFormat, decimals > 0 ? decimals : 0, value) < 0) out[0] = '\0';
}

// One receipt line to print under its order line.
struct ReceiptRow {
  std::string number, vendor, item;
  std::int32_t mr = 0;
  std::int32_t date = 0;
  double quantity = 0;
};

class POStatusRun {
 public:
  POStatusRun() = default;
  POStatusRun(const POStatusRun&) = delete;
  POStatusRun& operator=(const POStatusRun&) = delete;
  ~POStatusRun() {
    ScreenTextFree(texts_);
    FormEnd(&form_);
  }

  int Run();

 private:
  // The screen.
  static POStatusRun* Of(Form* form) { return static_cast<POStatusRun*>(form->context); }
  static int StartHook(Form* form, int start);
  static int RestoreDefaults(Form* form, KeyCode key);
  static int DateExit(Form* form, int field);
  static int Accept(Form* form, KeyCode key);
  void FillScreen();
  // 0 when the date of `field` is empty or valid; otherwise kStay after the
  // message, the cursor on the field.
  int CheckDate(int field);
  // The date of `field`: 0 when empty.
  std::int32_t DateOf(int field);

  // The report.
  void Print();
  // 0 with the next open order in the range in header_ (op: the first read's
  // operation); 9 when there is none; another status after the error box.
  int NextOrder(int op);
  // 0 when the order's lines printed; another status after the error box.
  int PrintOrder();
  // Collects the receipts of the order line in line_ that print: 0, or
  // another status after the error box.
  int ReadReceipts(std::vector<ReceiptRow>* rows);
  void BuildLayouts();
  void BuildHeadingTexts();
  void PageCheck();
  void PageHeading();
  void WriteRow();

  const char* texts_[kTextCount] = {};
  records::FiscalPeriodInfo period_{};
  std::array<TagFormField, std::size(kFieldTable)> fields_{};
  POStatusOptions options_{};

  // Released in the reverse order: the report, the files, the window, then
  // the form and the texts (the destructor).
  Form form_{};
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  BtrvHandle headers_ = 0, lines_ = 0, receiptHeaders_ = 0, receiptLines_ = 0;
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  records::TagBiPoHeader header_{};
  records::BiPoLine line_{};
  char headerKey_[255] = {};
  std::string selection_, optionLine_;
  bool pageStarted_ = false;

  std::array<TagReportColumn, kColumnCount + 1> heading1_{}, heading2_{}, row_{};
  char number_[17] = {}, mr_[16] = {}, item_[27] = {}, vendor_[15] = {};
  std::int32_t date_ = 0;
  char ordered_[64] = {}, received_[64] = {}, backordered_[64] = {};
};

int POStatusRun::Run() {
  if (ScreenTextLoad(kTextBlock, texts_, kTextCount) != 0) return 0;
  std::copy(std::begin(kFieldTable), std::end(kFieldTable), fields_.begin());
  for (TagFormField& f : fields_)
    if (f.number == kFieldFrom || f.number == kFieldTo) f.exitCallback = DateExit;
  FiscalPeriodOfDate(kPeriodFillOnly, DateToday(), &period_);

  FormBegin(&form_);
  if (!FormFieldsCreate(&form_, fields_.data(), 1)) return 0;
  char caption[128] = {};
  GetCaption(caption, kCaptionWindow);
  const std::string title = caption[0] ? std::string(" ") + caption + " " : std::string(" ") + kRunTitle + " ";
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', title.c_str()) != 0) return 0;
  SetUpScreenForm(&form_, &window_, kReportId, this, StartHook);
  FormOnKey(&form_, kKeyShiftF9, RestoreDefaults, "Defaults");
  FormOnKey(&form_, kKeyF10, Accept, "Print");
  FormRun(&form_, 0);
  if (FormWasCancelled(&form_)) return 0;
  HideSelectionWindow(&window_);

  const int opened = options_.receipts
                         ? FileSetOpen(&files_, records::kFileOrderHeaders, records::kFileOrderLines,
                                       records::kFilePurchasingHeaders, records::kFilePurchasingLines)
                         : FileSetOpen(&files_, records::kFileOrderHeaders, records::kFileOrderLines);
  if (opened != kStatusOk) return 0;
  headers_ = files_.handle[0];
  lines_ = files_.handle[1];
  if (options_.receipts) {
    receiptHeaders_ = files_.handle[2];
    receiptLines_ = files_.handle[3];
  }
  Print();
  // The report is delivered before the files and the window are let go.
  reportGuard_.Close();
  return 0;
}

// --- The screen ----------------------------------------------------------------------------

void POStatusRun::FillScreen() {
  char date[16] = {};
  FieldSetText(&form_, kFieldFrom, period_.startDate > 0 ? DateToText(date, period_.startDate) : "");
  FieldSetText(&form_, kFieldTo, period_.endDate > 0 ? DateToText(date, period_.endDate) : "");
  FieldSetChoice(&form_, kFieldAllLines, kChoiceNo);
  FieldSetChoice(&form_, kFieldReceipts, kChoiceYes);
}

int POStatusRun::StartHook(Form* form, int) {
  Of(form)->FillScreen();
  return 0;
}

int POStatusRun::RestoreDefaults(Form* form, KeyCode) {
  Of(form)->FillScreen();
  FieldSetFocus(form, kFieldFrom);
  return kRedisplayForm;
}

std::int32_t POStatusRun::DateOf(int field) {
  char text[32] = {};
  FieldGetText(&form_, field, text, sizeof text);
  if (StrApplyMask(text, kDatePicture)) return 0;
  return DateFromText(text);
}

int POStatusRun::CheckDate(int field) {
  char text[32] = {};
  FieldGetText(&form_, field, text, sizeof text);
  if (StrApplyMask(text, kDatePicture)) {
    FieldFillDefault(&form_, "", field);
    return 0;
  }
  if (DateIsValid(text)) return 0;
  MsgShow(kMsgInvalidDate, 1);
  FieldSetFocus(&form_, field);
  return kStay;
}

int POStatusRun::DateExit(Form* form, int field) { return Of(form)->CheckDate(field); }

// F10: both dates are checked again (a field left by F10 alone was not),
// then the choices are taken and the screen closes.
int POStatusRun::Accept(Form* form, KeyCode) {
  POStatusRun* run = Of(form);
  for (int field : {kFieldFrom, kFieldTo})
    if (run->CheckDate(field) != 0) return kStay;
  POStatusOptions& o = run->options_;
  o.fromDate = run->DateOf(kFieldFrom);
  o.toDate = run->DateOf(kFieldTo);
  if (o.toDate == 0) o.toDate = kNoLastDate;
  o.allLines = FieldGetChoice(form, kFieldAllLines) == kChoiceYes;
  o.receipts = FieldGetChoice(form, kFieldReceipts) == kChoiceYes;
  return kAccept;
}

// --- The report ----------------------------------------------------------------------------

void POStatusRun::Print() {
  std::memset(headerKey_, 0, sizeof headerKey_);
  headerKey_[0] = kOpenOrder;
  int status = NextOrder(kOpGetGreaterOrEqual);
  if (status != kStatusOk) {
    if (status == kStatusEndOfFile) MsgShow(kMsgNothingSelected, 1);
    return;
  }
  if (options_.receipts) BtrvSetKey(receiptLines_, kKeyReceiptLink, 0);

  SetReportDestination(static_cast<const char*>(nullptr), &info_);
  info_.lineWidth = kLineWidth;
  if (!ReportOpen(&info_, kRunTitle)) return;
  BuildLayouts();
  BuildHeadingTexts();

  bool failed = false, stopped = false;
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) {
      stopped = true;
      break;
    }
    if (PrintOrder() != kStatusOk) {
      failed = true;
      break;
    }
    status = NextOrder(kOpGetNext);
    if (status != kStatusOk && status != kStatusEndOfFile) failed = true;
  }
  if (failed) {
    EndIncompleteReport(&info_);
  } else if (pageStarted_) {
    ReportNewPage(&info_);
    if (!stopped) CommandDone();
  } else if (!stopped) {
    MsgShow(kMsgNothingSelected, 1);
    reportGuard_.Discard();
  }
}

int POStatusRun::NextOrder(int op) {
  for (;; op = kOpGetNext) {
    const int status = BtrvGetOp(op, headers_, headerKey_, &header_, sizeof header_);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusEndOfFile;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFileOrderHeaders, 0);
      return status;
    }
    // The open orders stand together at the head of the key.
    if (header_.typeLetter != kOpenOrder) return kStatusEndOfFile;
    if (header_.closedFlag == kClosed) continue;
    if (options_.fromDate > 0 && header_.date < options_.fromDate) continue;
    if (options_.toDate >= 1 && header_.date > options_.toDate) continue;
    return kStatusOk;
  }
}

int POStatusRun::PrintOrder() {
  BiPoLineWalk walk(lines_, records::kFileOrderHeaders, header_);
  for (;;) {
    const int status = walk.Next(&line_);
    if (status == kStatusEndOfFile) return kStatusOk;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, walk.Op(), records::kFileOrderLines, 0);
      return status;
    }

    const double ordered = line_.secondQuantity, received = line_.quantity;
    if (NumIsZero(ordered)) continue;
    if (!options_.allLines && !(NumRound(ordered, 4) > NumRound(received, 4))) continue;

    std::vector<ReceiptRow> receipts;
    if (options_.receipts) {
      const int read = ReadReceipts(&receipts);
      if (read != kStatusOk) return read;
    }

    const int decimals = line_.quantityDecimals;
    const double backordered = std::max(0.0, ordered - received);
    SetRowText(number_, TrimField(header_.transactionNumber));
    SetRowText(item_, TrimField(line_.item));
    SetRowText(vendor_, TrimField(header_.custVendCode));
    date_ = header_.date;
    mr_[0] = '\0';
    FormatQuantity(ordered_, ordered, decimals);
    FormatQuantity(received_, received, decimals);
    FormatQuantity(backordered_, backordered, decimals);
    row_[kMr].hidden = 1;
    // Receipts that follow show what was received and what stays backordered.
    if (!receipts.empty() && !NumIsZero(received)) row_[kReceived].hidden = row_[kBackordered].hidden = 1;
    WriteRow();

    double remainder = ordered;
    for (const ReceiptRow& r : receipts) {
      remainder -= r.quantity;
      SetRowText(number_, r.number);
      SetRowText(item_, r.item);
      SetRowText(vendor_, r.vendor);
      std::snprintf(mr_, sizeof mr_, "%3ld", static_cast<long>(r.mr));
      date_ = r.date;
      FormatQuantity(received_, r.quantity, decimals);
      FormatQuantity(backordered_, std::max(0.0, remainder), decimals);
      row_[kOrdered].hidden = 1;
      WriteRow();
    }
  }
}

int POStatusRun::ReadReceipts(std::vector<ReceiptRow>* rows) {
  // A line without a link has no receipts: link 0 is every unlinked receipt's.
  if (line_.receiptLink == 0) return kStatusOk;
  char key[255] = {};
  std::memcpy(key, &line_.receiptLink, sizeof line_.receiptLink);
  records::BiPoLine receipt{};
  int op = kOpGetEqual;
  for (;; op = kOpGetNext) {
    int status = BtrvGetOp(op, receiptLines_, key, &receipt, sizeof receipt);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusOk;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFilePurchasingLines, 0);
      return status;
    }
    if (receipt.receiptLink != line_.receiptLink) return kStatusOk;
    if (receipt.typeLetter != kReceiptOfGoods || NumIsZero(receipt.quantity)) continue;

    char headerKey[255] = {};
    std::memcpy(headerKey, &receipt, 16);
    records::TagBiPoHeader header{};
    status = BtrvGetOp(kOpGetEqual, receiptHeaders_, headerKey, &header, sizeof header);
    if (status == kStatusKeyNotFound) continue;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, kOpGetEqual, records::kFilePurchasingHeaders, 0);
      return status;
    }
    if (header.closedFlag == kClosed) continue;
    ReceiptRow row;
    row.number = TrimField(receipt.transactionNumber);
    row.item = TrimField(receipt.item);
    row.vendor = TrimField(header.custVendCode);
    row.mr = receipt.keyPart;
    row.date = header.date;
    row.quantity = receipt.quantity;
    rows->push_back(std::move(row));
  }
}

void POStatusRun::BuildLayouts() {
  for (int i = 0; i < kColumnCount; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const std::int32_t align = IsQuantity(i) ? kAlignRight : kAlignLeft;
    const std::int32_t width = IsQuantity(i) ? kQuantityWidth : 0;
    heading1_[at] = MakeColumn(kColumnText, "%s", kColumnX[i], kHeading1[i], align, width);
    heading2_[at] = MakeColumn(kColumnText, "%s", kColumnX[i], kHeading2[i], align, width);
  }
  row_[kNumber] = MakeColumn(kColumnText, "%-16.16s", kColumnX[kNumber], number_);
  row_[kMr] = MakeColumn(kColumnText, "%-8.8s", kColumnX[kMr], mr_);
  row_[kItem] = MakeColumn(kColumnText, "%-26.26s", kColumnX[kItem], item_);
  row_[kDate] = MakeColumn(kColumnDate, "%-12s", kColumnX[kDate], &date_);
  row_[kVendor] = MakeColumn(kColumnText, "%-14.14s", kColumnX[kVendor], vendor_);
  row_[kOrdered] = MakeColumn(kColumnText, "%11.11s", kColumnX[kOrdered], ordered_);
  row_[kReceived] = MakeColumn(kColumnText, "%11.11s", kColumnX[kReceived], received_);
  row_[kBackordered] = MakeColumn(kColumnText, "%11.11s", kColumnX[kBackordered], backordered_);
}

void POStatusRun::BuildHeadingTexts() {
  char from[16] = {}, to[16] = {};
  if (options_.fromDate > 0) DateToText(from, options_.fromDate);
  if (options_.toDate > 0 && options_.toDate != kNoLastDate) DateToText(to, options_.toDate);
  char line[256] = {};
  std::snprintf(line, sizeof line, texts_[kTextSelection], from, to);
  selection_ = line;
  optionLine_.clear();
  if (options_.allLines || options_.receipts) {
    optionLine_ = texts_[kTextOptions];
    if (options_.allLines) optionLine_ += texts_[kTextAllLines];
    if (options_.allLines && options_.receipts) optionLine_ += texts_[kTextAnd];
    if (options_.receipts) optionLine_ += texts_[kTextReceipts];
  }
}

void POStatusRun::PageCheck() {
  if (pageStarted_ && !ReportPageFull(&info_, 1)) return;
  if (pageStarted_) ReportNewPage(&info_);
  PageHeading();
}

void POStatusRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, row_.data(), 2);
  ReportPageStart(&info_, 0, 2);
  const TagRepFont font = info_.font;
  ReportSetFont(&info_, kFontTitle);
  ReportWriteText(&info_, texts_[kTextTitle], kReportCentred, 1);
  ReportSetFont(&info_, kFontHeading);
  ReportWriteText(&info_, selection_.c_str(), kReportCentred, 1);
  if (!optionLine_.empty()) ReportWriteText(&info_, optionLine_.c_str(), kReportCentred, 1);
  ReportSkipLines(&info_, 1);
  ReportSetFont(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, heading1_.data(), 1);
  ReportWriteColumns(&info_, heading2_.data(), 1);
  ReportWriteRule(&info_, row_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount + 1);
  pageStarted_ = true;
}

void POStatusRun::WriteRow() {
  // The rule under the headings spans every column, whatever this row hides.
  std::array<std::uint8_t, kColumnCount> hidden{};
  for (std::size_t i = 0; i < hidden.size(); ++i) hidden[i] = std::exchange(row_[i].hidden, 0);
  PageCheck();
  for (std::size_t i = 0; i < hidden.size(); ++i) row_[i].hidden = hidden[i];
  ReportWriteColumns(&info_, row_.data(), 1);
  for (TagReportColumn& c : row_) c.hidden = 0;
}

}  // namespace

int RunPOStatusReport() {
  try {
    POStatusRun run;
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
