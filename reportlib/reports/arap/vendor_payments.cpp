// The vendor payments report (command 347): the payables open items that
// fall due, or reach their discount date, within a date range, so that the
// user can decide which invoices to pay.  Each line shows the discount still
// available, the amount to pay by the discount date (net) and by the due
// date (gross), and a blank remarks line; subtotals per vendor or per date,
// then grand totals.  A small screen asks for the sort and the two dates
// (remembered per user); F5 lists the vendors; F10 prints to the preview.
//
// Debit memos and payments print as negative amounts.  On an invoice the net
// is the gross less the discount still available; a payment shows the
// discount taken as a negative discount, the amount paid as its net and the
// amount with the discount taken as its gross, so net = gross − discount
// holds on it too.  A debit memo shows the discount available on it beside a
// net of its amount and a gross of its amount with any discount taken: on a
// memo with a discount, and on a total that holds one, net = gross − discount
// does not hold.  Every total adds exactly what its column shows on the
// lines, so that each column foots.
#include "reports/arap/vendor_payments.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "btrvc.h"
#include "qxabase/aging.h"
#include "qxabase/app_block.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_lists.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "report_frame.h"
#include "selection_fields.h"

namespace {

constexpr const char* kReportId = "RSPaymentsReport";
constexpr const char* kReportTitle = "Vendor Payments";
constexpr const char* kMruKey = "VendPmt";

constexpr int kFormNumber = 347;
constexpr int kFieldSort = 1, kFieldFrom = 2, kFieldTo = 3;
constexpr int kMruRecords = 4;  // fields 1-3 and the closing record
constexpr int kWindowTop = 5, kWindowLeft = 15, kWindowRows = 10, kWindowCols = 65;

enum Sort { kSortVendor = 1, kSortDueDate = 2, kSortDiscountDate = 3 };

// Screen texts of block 188.
constexpr int kTextBlock = 188;
constexpr int kTextTitle = 0, kTextVendorTotal = 1, kTextDateTotal = 2, kTextGrandTotal = 3;
constexpr int kTextSortedByDiscountDate = 4, kTextSortedByDueDate = 5, kTextSortedByVendor = 6;
constexpr int kTextRange = 9, kTextNotOnFile = 10;
constexpr int kTextCount = 11;

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgFromAfterTo = 205;

constexpr int kPickTop = 5, kPickLeft = 10, kPickRows = 8, kPickCols = 60;

constexpr int kStay = 0x20;
constexpr int kRedisplay = 0x40;
constexpr int kRedraw = 0x80;
constexpr int kAccept = 1;

// Offsets of the open-invoice fields the sort index is made on.
constexpr int kOffsetCode = 0, kOffsetInvoice = 11, kOffsetDueDate = 46, kOffsetDiscountDate = 50;

// The dictionary field of the open-invoice table at `offset`; −1 when none.
int OpenInvoiceField(int offset) {
  const char* table = DictTableOf(records::kFilePayablesOpenInvoices);
  for (int n = 1; n < 64; ++n) {
    const DictFieldDef* def = DictFieldFind(table, n);
    if (def && def->offset == offset) return n;
  }
  return -1;
}

std::int64_t Cents(double amount) { return AgingCents(amount); }
double Amount(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

// --- Date ends -------------------------------------------------------------------------------

// An end of the date range as typed: open (blank, "FIRST", "LAST "), a
// date, or not a date.
struct DateEnd {
  bool valid = true;
  std::int32_t day = 0;  // 0: open
};

DateEnd ReadDateEnd(Form* form, int field) {
  char text[32] = {};
  FieldGetText(form, field, text, sizeof text);
  const std::string t = TrimText(text);
  DateEnd end;
  if (t.empty() || t == TrimText(kRangeFirst) || t == TrimText(kRangeLast)) return end;
  if (t.find_first_of("0123456789") == std::string::npos) return end;  // "  /  /  "
  if (!DateIsValid(t.c_str())) {
    end.valid = false;
    return end;
  }
  end.day = DateFromText(t.c_str());
  return end;
}

// --- Remembered fields ------------------------------------------------------------------------

std::uint32_t MruKindOf(int field) { return field == kFieldSort ? kMruKindChoice : kMruKindDate; }
const MruFieldTable<kMruRecords> kMruTable(MruKindOf);

class VendPmtMruParam final : public CQxRepMRUParam {};

// --- Columns ---------------------------------------------------------------------------------

enum DetailColumn { kCode, kName, kInvoice, kDiscount, kDiscountDate, kNet, kDueDate, kGross, kRemarks, kColumns };
constexpr int kX[kColumns] = {1, 14, 39, 51, 64, 74, 88, 98, 112};
constexpr int kWidth[kColumns] = {10, 23, 10, 11, 8, 12, 8, 12, 17};
// clang-format off
constexpr const char* kHeading1[kColumns] = {"Vendor", "",     "Invoice", "Discount",  "Discount", "Payment by", "Due",  "Payment by", ""};
constexpr const char* kHeading2[kColumns] = {"Code",   "Name", "No.",     "Available", "Date",     "Disc.Date",  "Date", "Due Date",   "Remarks"};
// clang-format on
constexpr const char* kRemarksLine = "________________";

// --- The run -----------------------------------------------------------------------------------

class VendorPaymentsRun {
 public:
  VendorPaymentsRun() = default;
  VendorPaymentsRun(const VendorPaymentsRun&) = delete;
  VendorPaymentsRun& operator=(const VendorPaymentsRun&) = delete;
  ~VendorPaymentsRun() {
    ScreenTextFree(texts_);
    FormEnd(&form_);
    CQxBaseRepParam::ReportDefAndMRUFree(copy_, collection_, mru_);
  }

  int Run();

 private:
  // The screen.
  static VendorPaymentsRun* Of(Form* form) { return static_cast<VendorPaymentsRun*>(form->context); }
  static int Defaults(Form* form, int start);
  static int RestoreDefaults(Form* form, KeyCode key);
  static int DateExit(Form* form, int field);
  static int PrintKey(Form* form, KeyCode key);
  static int LookUpKey(Form* form, KeyCode key);
  int CheckDate(int field);

  // The report.
  void Print();
  void BuildLayouts();
  // 0 with the next item of the range in item_; 9 past the last; another
  // status after the error box.
  int ReadItem(bool first);
  std::int32_t DateOf(const records::TagOpenInvoice& item) const {
    return sort_ == kSortDiscountDate ? item.secondDate : item.dueDate;
  }
  // 0 with the vendor's name in name_ (the not-on-file text when it is not
  // on file); another status after the error box.
  int ReadVendorName();
  void PrintLine();
  void PageHeading();
  void PrintTotal(const char* label, std::int64_t discount, std::int64_t net, std::int64_t gross, bool grand);

  const char* texts_[24] = {};
  FormDef def_;
  std::vector<TagFormField> fields_;
  CQxDataCopy* copy_ = nullptr;
  CQxDataCopyCollection* collection_ = nullptr;
  CQxRepMRUParam* mru_ = nullptr;
  // Released in the reverse order: the window, then the files, then the
  // form, the remembered values and the texts (the destructor).
  Form form_{};
  FileSet files_;
  BtrvHandle vendors_ = 0, items_ = 0;
  Window window_{};
  WindowGuard windowGuard_{&window_};

  // The selection.
  int sort_ = kSortVendor;
  std::int32_t from_ = 0, to_ = 0;  // 0: open

  TagRepInfo info_{};
  records::TagOpenInvoice item_{};
  char key_[255] = {};
  bool printed_ = false, stopped_ = false, failed_ = false;
  bool showAll_ = true;  // the next line shows its vendor and dates whatever came before
  std::string prevCode_, prevInvoice_;
  std::int32_t prevDate_ = 0;
  std::int64_t groupDiscount_ = 0, groupNet_ = 0, groupGross_ = 0;
  std::int64_t totalDiscount_ = 0, totalNet_ = 0, totalGross_ = 0;

  std::vector<TagReportColumn> heading1_, heading2_, detail_, amounts_, remarksRule_;
  char code_[11] = {}, name_[41] = {}, invoice_[41] = {};
  double discount_ = 0, net_ = 0, gross_ = 0;
  std::int32_t discountDate_ = 0, dueDate_ = 0;
};

int VendorPaymentsRun::Run() {
  if (FormDefLoad(&def_, kFormNumber) != 0) return 0;
  fields_ = def_.fields;
  for (TagFormField& f : fields_) {
    if (f.number == kFieldFrom || f.number == kFieldTo) {
      f.exitCallback = DateExit;
      f.entryCallback = FieldEntryDateHook;
    }
  }
  FormBegin(&form_);
  if (FileSetOpen(&files_, records::kFileVendors, records::kFilePayablesOpenInvoices) != kStatusOk) return 0;
  vendors_ = files_.handle[0];
  items_ = files_.handle[1];
  if (!FormFieldsCreate(&form_, fields_.data(), 1)) return 0;
  FormDefUse(&form_, &def_);
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', nullptr) != 0) return 0;

  SetUpScreenForm(&form_, &window_, kReportId, this, Defaults);
  FormOnKey(&form_, kKeyShiftF9, RestoreDefaults, "Defaults");
  FormOnKey(&form_, kKeyF5, LookUpKey, "Look up");
  FormOnKey(&form_, kKeyF10, PrintKey, "Print");
  CQxBaseRepParam::RunRemembered(copy_, collection_, mru_, &form_, kMruRecords);
  return 0;
}

// --- The screen --------------------------------------------------------------------------------

// The defaults: sorted by vendor, both dates open (left blank: the date
// fields take no text); at the start the user's
// remembered values then replace them.
int VendorPaymentsRun::Defaults(Form* form, int start) {
  VendorPaymentsRun* run = Of(form);
  if (start) {
    FieldSetChoice(form, kFieldSort, kSortVendor);
    FieldSetText(form, kFieldFrom, "");
    FieldSetText(form, kFieldTo, "");
    ShowRememberedValues<VendPmtMruParam>(form, run->collection_, &run->mru_, kMruKey, kMruTable.fields);
  } else {
    FieldSetFocus(form, kFieldSort);
    if (run->collection_) run->collection_->RestoreAll();
  }
  return start ? 0 : kRedraw;
}

int VendorPaymentsRun::RestoreDefaults(Form* form, KeyCode) { return Defaults(form, 0); }

// A date field may be left blank (an open end) or hold a valid date.
int VendorPaymentsRun::CheckDate(int field) {
  const DateEnd end = ReadDateEnd(&form_, field);
  if (!end.valid) {
    MsgShow(kMsgInvalidDate, 1);
    return kStay;
  }
  if (end.day == 0) FieldFillDefault(&form_, "", field);
  return 0;
}

int VendorPaymentsRun::DateExit(Form* form, int field) { return Of(form)->CheckDate(field); }

// F10: both dates are checked again (and from must not lie after to), then
// the report prints and the screen closes.
int VendorPaymentsRun::PrintKey(Form* form, KeyCode) {
  VendorPaymentsRun* run = Of(form);
  for (int field : {kFieldFrom, kFieldTo}) {
    if (run->CheckDate(field) != 0) {
      FieldSetFocus(form, field);
      return kStay;
    }
  }
  const DateEnd from = ReadDateEnd(form, kFieldFrom), to = ReadDateEnd(form, kFieldTo);
  if (from.day != 0 && to.day != 0 && from.day > to.day) {
    MsgShow(kMsgFromAfterTo, 1);
    FieldSetFocus(form, kFieldFrom);
    return kStay;
  }
  const int sort = FieldGetChoice(form, kFieldSort);
  run->sort_ = sort >= kSortVendor && sort <= kSortDiscountDate ? sort : kSortVendor;
  run->from_ = from.day;
  run->to_ = to.day;
  run->Print();
  return kAccept;
}

// F5: the vendor pick list.  No field of this screen holds a vendor code (it
// asks for a sort and two dates), so the list is a look-up only: a vendor
// chosen in it changes no field.
int VendorPaymentsRun::LookUpKey(Form* form, KeyCode) {
  records::CustVendRecord chosen{};
  PickVendor("", 0, Of(form)->vendors_, &chosen, kPickTop, kPickLeft, kPickRows, kPickCols);
  return kRedisplay;
}

// --- The report --------------------------------------------------------------------------------

void VendorPaymentsRun::Print() {
  if (ScreenTextLoad(kTextBlock, texts_, kTextCount) != 0) return;

  const int code = OpenInvoiceField(kOffsetCode), invoice = OpenInvoiceField(kOffsetInvoice);
  const int due = OpenInvoiceField(kOffsetDueDate), discountDate = OpenInvoiceField(kOffsetDiscountDate);
  int status = kStatusOk;
  switch (sort_) {
    case kSortVendor: status = TempIndexCreate(records::kFilePayablesOpenInvoices, items_, code, invoice, due); break;
    case kSortDueDate: status = TempIndexCreate(records::kFilePayablesOpenInvoices, items_, due, code, invoice); break;
    default: status = TempIndexCreate(records::kFilePayablesOpenInvoices, items_, discountDate, code, invoice); break;
  }
  if (status != kStatusOk) return;  // the index's message has been shown
  const ScopeExit dropIndex([this] { TempIndexDrop(records::kFilePayablesOpenInvoices, items_); });

  SetReportDestination(static_cast<const char*>(nullptr), &info_);
  if (!ReportOpen(&info_, kReportTitle)) return;
  ReportRunGuard guard(&info_);
  BuildLayouts();

  printed_ = stopped_ = failed_ = false;
  showAll_ = true;
  groupDiscount_ = groupNet_ = groupGross_ = totalDiscount_ = totalNet_ = totalGross_ = 0;
  status = ReadItem(true);
  prevCode_ = TrimField(item_.code);
  prevDate_ = DateOf(item_);
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) {
      stopped_ = true;
      break;
    }
    const std::string itemCode(TrimField(item_.code));
    const bool newGroup = sort_ == kSortVendor ? itemCode != prevCode_ : DateOf(item_) != prevDate_;
    if (newGroup && printed_) {
      PrintTotal(texts_[sort_ == kSortVendor ? kTextVendorTotal : kTextDateTotal], groupDiscount_, groupNet_,
                 groupGross_, false);
      groupDiscount_ = groupNet_ = groupGross_ = 0;
    }
    if (ReadVendorName() != kStatusOk) {
      failed_ = true;
      break;
    }
    PrintLine();
    status = ReadItem(false);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) failed_ = true;

  if (EndReportRun(&info_, failed_, stopped_, printed_)) {
    PrintTotal(texts_[sort_ == kSortVendor ? kTextVendorTotal : kTextDateTotal], groupDiscount_, groupNet_,
               groupGross_, false);
    PrintTotal(texts_[kTextGrandTotal], totalDiscount_, totalNet_, totalGross_, true);
    ReportNewPage(&info_);
  }
  guard.Close();
}

void VendorPaymentsRun::BuildLayouts() {
  heading1_ = HeadingRow(kHeading1, kX, kWidth, kColumns);
  heading2_ = HeadingRow(kHeading2, kX, kWidth, kColumns);

  detail_.assign(kColumns + 1, TagReportColumn{});
  detail_[kCode] = MakeColumn(kColumnText, "%-10.10s", kX[kCode], code_);
  detail_[kName] = MakeColumn(kColumnText, "%-23.23s", kX[kName], name_);
  detail_[kInvoice] = MakeColumn(kColumnText, "%-10.10s", kX[kInvoice], invoice_);
  detail_[kDiscount] = MakeColumn(kColumnAmount, "%11.2f", kX[kDiscount], &discount_);
  detail_[kDiscountDate] = MakeColumn(kColumnDate, "%8s", kX[kDiscountDate], &discountDate_);
  detail_[kNet] = MakeColumn(kColumnAmount, "%12.2f", kX[kNet], &net_);
  detail_[kDueDate] = MakeColumn(kColumnDate, "%8s", kX[kDueDate], &dueDate_);
  detail_[kGross] = MakeColumn(kColumnAmount, "%12.2f", kX[kGross], &gross_);
  detail_[kRemarks] = MakeColumn(kColumnText, "%-17s", kX[kRemarks], kRemarksLine);

  // The rules over the amounts of a total line, and under the remarks.
  amounts_ = {detail_[kDiscount], detail_[kNet], detail_[kGross], TagReportColumn{}};
  remarksRule_ = {detail_[kRemarks], TagReportColumn{}};
}

int VendorPaymentsRun::ReadItem(bool first) {
  int op = first ? kOpGetFirst : kOpGetNext;
  if (first) std::memset(key_, 0, sizeof key_);
  const std::int32_t to = to_ == 0 ? std::numeric_limits<std::int32_t>::max() : to_;
  for (;; op = kOpGetNext) {
    const int status = RecordRead(records::kFilePayablesOpenInvoices, op, items_, key_, &item_, sizeof item_);
    if (status == kStatusEndOfFile) return kStatusEndOfFile;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFilePayablesOpenInvoices, 0);
      return status;
    }
    const std::int32_t date = DateOf(item_);
    if (date >= from_ && date <= to) return kStatusOk;
  }
}

int VendorPaymentsRun::ReadVendorName() {
  char key[255] = {};
  const std::string code(TrimField(item_.code));
  std::memcpy(key, code.data(), std::min(code.size(), sizeof item_.code - 1));
  records::CustVendRecord vendor{};
  const int status = BtrvGetOp(kOpGetEqual, vendors_, key, &vendor, sizeof vendor);
  if (status == kStatusKeyNotFound) {
    std::snprintf(name_, sizeof name_, "%s", texts_[kTextNotOnFile]);
    return kStatusOk;
  }
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileVendors, 0);
    return status;
  }
  std::snprintf(name_, sizeof name_, "%s", TrimField(vendor.name).c_str());
  return kStatusOk;
}

void VendorPaymentsRun::PrintLine() {
  const records::TagOpenInvoice& it = item_;
  const std::string itemCode(TrimField(it.code)), itemInvoice(TrimField(it.invoiceNumber));

  if (!printed_ || ReportPageFull(&info_, 0)) {
    if (printed_) ReportNewPage(&info_);
    PageHeading();
  }
  for (TagReportColumn& c : detail_) c.hidden = 0;
  const bool sameVendor = !showAll_ && itemCode == prevCode_;
  if (sameVendor) detail_[kCode].hidden = detail_[kName].hidden = 1;
  bool hideDates = sameVendor && itemInvoice == prevInvoice_;

  std::snprintf(code_, sizeof code_, "%s", itemCode.c_str());
  std::snprintf(invoice_, sizeof invoice_, "%s", itemInvoice.c_str());
  discountDate_ = it.secondDate;
  dueDate_ = it.dueDate;

  // The discount still available (stored after the amount) never counts
  // below 0; a payment or a debit memo carries the discount taken in the
  // field after it, which its gross includes.
  const double available = it.secondAmount > 0 ? it.secondAmount : 0.0;
  std::int64_t discount = 0, net = 0, gross = 0;
  if (it.lineType == 'D' || it.lineType == 'P') {
    const std::int64_t amount = Cents(it.amount);
    const std::int64_t taken = it.discount > 0 ? Cents(it.discount) : 0;
    net = -amount;
    gross = -(amount + taken);
    if (it.lineType == 'P') {
      discount = -taken;
    } else {
      discount = Cents(available);
      hideDates = true;
    }
  } else {
    discount = Cents(available);
    gross = Cents(it.amount);
    net = gross - discount;
  }
  if (hideDates) detail_[kDiscountDate].hidden = detail_[kDueDate].hidden = 1;
  discount_ = Amount(discount);
  net_ = Amount(net);
  gross_ = Amount(gross);
  groupDiscount_ += discount;
  groupNet_ += net;
  groupGross_ += gross;
  totalDiscount_ += discount;
  totalNet_ += net;
  totalGross_ += gross;

  ReportWriteColumns(&info_, detail_.data(), 1);
  prevCode_ = itemCode;
  prevInvoice_ = itemInvoice;
  prevDate_ = DateOf(it);
  showAll_ = false;
}

void VendorPaymentsRun::PageHeading() {
  ReportPageStart(&info_, 0, 1);
  const TagRepFont font = info_.font;
  ReportBlockBegin(&info_, kFontTitle);
  ReportWriteText(&info_, texts_[kTextTitle], kReportCentred, 1);
  ReportBlockEnd(&info_);
  ReportBlockBegin(&info_, kFontHeading);
  const int sortText = sort_ == kSortVendor     ? kTextSortedByVendor
                       : sort_ == kSortDueDate ? kTextSortedByDueDate
                                               : kTextSortedByDiscountDate;
  ReportWriteText(&info_, texts_[sortText], kReportCentred, 1);
  char from[16] = {}, to[16] = {}, range[160] = {};
  if (from_ == 0) std::snprintf(from, sizeof from, "%s", kRangeFirst);
  else DateToText(from, from_);
  if (to_ == 0) std::snprintf(to, sizeof to, "%s", TrimText(kRangeLast).c_str());
  else DateToText(to, to_);
  // The range format is the screen texts' own: it takes the two ends.
  const std::string format = texts_[kTextRange];
  const std::size_t at = format.find("%s"), at2 = at == std::string::npos ? at : format.find("%s", at + 2);
  if (at2 != std::string::npos)
    std::snprintf(range, sizeof range, "%s%s%s%s%s", format.substr(0, at).c_str(), from,
                  format.substr(at + 2, at2 - at - 2).c_str(), to, format.substr(at2 + 2).c_str());
  else
    std::snprintf(range, sizeof range, "%s %s - %s", format.c_str(), from, to);
  ReportWriteText(&info_, range, kReportCentred, 1);
  ReportBlockEnd(&info_);
  ReportSkipLines(&info_, 1);
  ReportBlockBegin(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, heading1_.data(), 1);
  ReportWriteColumns(&info_, heading2_.data(), 1);
  ReportBlockEnd(&info_);
  for (TagReportColumn& c : detail_) c.hidden = 0;
  ReportWriteRule(&info_, detail_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) {
    ReportSetColumnLayout(&info_, detail_.data(), 2);
    ReportSetHeadingEnd(&info_, info_.lineCount);
  }
  printed_ = true;
  showAll_ = true;
}

void VendorPaymentsRun::PrintTotal(const char* label, std::int64_t discount, std::int64_t net, std::int64_t gross,
                                   bool grand) {
  // The rule, the line and the empty line after it stay on one page.
  if (ReportPageFull(&info_, 3)) {
    ReportNewPage(&info_);
    PageHeading();
  }
  for (TagReportColumn& c : detail_) c.hidden = 1;
  detail_[kInvoice].hidden = detail_[kDiscount].hidden = detail_[kNet].hidden = detail_[kGross].hidden = 0;
  ReportWriteRule(&info_, amounts_.data(), 1, grand ? '=' : '-');
  std::snprintf(invoice_, sizeof invoice_, "%s", label);
  discount_ = Amount(discount);
  net_ = Amount(net);
  gross_ = Amount(gross);
  // The label may run past the invoice column: it is printed whole.
  std::snprintf(detail_[kInvoice].format, sizeof detail_[kInvoice].format, "%%s");
  ReportWriteColumns(&info_, detail_.data(), grand ? 0 : 2);
  std::snprintf(detail_[kInvoice].format, sizeof detail_[kInvoice].format, "%%-10.10s");
  // The grand total's remarks column is a line to sign on.
  if (grand) ReportWriteRule(&info_, remarksRule_.data(), 2, '_');
  for (TagReportColumn& c : detail_) c.hidden = 0;
  showAll_ = true;
}

}  // namespace

int RunVendorPaymentsReport() {
  try {
    VendorPaymentsRun run;
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
