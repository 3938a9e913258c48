// The customer/vendor aging report: what each customer owes (command 337)
// or what is owed to each vendor (344) as of an aging date, each open item's
// balance spread over the seven periods of the company's aging schedule.
// A balance-forward account's payments and credits pay its oldest amounts
// first: its periods show what is left unpaid.
//
// Types: detail (the account line, one line per open item and the account's
// total), summary (the account line and its total) and audit (one line per
// item with its discount date, reference, salesperson, status and order).
// Subtotals follow the sort field when it groups accounts (department,
// salesperson, territory, vendor type, billing group, zip code); a grand
// total ends the report.
#include "reports/arap/aging.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "aging_schedule.h"
#include "btrvc.h"
#include "cv_param_screen.h"
#include "cv_param_string.h"
#include "cv_params.h"
#include "qxabase/aging.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "report_frame.h"

namespace {

constexpr const char* kReportId = "RSCVAging";
constexpr const char* kReportTitle = "Customer/Vendor Aging";

// Drill-down targets.
constexpr int kCommandGLAccount = 120;
constexpr int kCommandCustomer = 121;
constexpr int kCommandVendor = 122;
constexpr int kCommandGLJournal = 301;

// The selection window: row 1, column 14, 23 rows by 66 columns.
constexpr int kWindowTop = 1, kWindowLeft = 14, kWindowRows = 23, kWindowCols = 66;

// The key of the open-item files that reads an account's items invoice by
// invoice, each invoice's own line before its payments and credits.
constexpr int kOpenItemKey = 1;

// Days-past-due filter without a highest day: everything from the lowest.
constexpr int kNoHighestDay = 9999;

constexpr int kPeriods = kAgingPeriods;

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  std::string s(field, strnlen(field, N));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// --- Accumulators ---------------------------------------------------------------------

// A balance and its seven periods, in cents: the account's, the sort
// group's or the report's.
struct Totals {
  std::int64_t balance = 0;
  std::int64_t periods[kPeriods] = {};

  // `amount` goes into the balance, `periodAmount` (what of it is still
  // owed in its period) into the period.
  void Add(double amount, double periodAmount, int period) {
    balance += AgingCents(amount);
    if (period >= 0) periods[period] += AgingCents(periodAmount);
  }
  bool IsZero() const { return balance == 0; }
};

// The amounts of a total line as the report writer reads them.
struct TotalAmounts {
  double balance = 0;
  double periods[kPeriods] = {};

  TotalAmounts& operator=(const Totals& t) {
    balance = static_cast<double>(t.balance) / 100.0;
    for (int i = 0; i < kPeriods; ++i) periods[i] = static_cast<double>(t.periods[i]) / 100.0;
    return *this;
  }
};

// --- Lines ------------------------------------------------------------------------------

// One line of an account as the report prints it.
struct AgingLine {
  records::TagOpenInvoice item{};  // the open item (a netted item: its invoice's first line)
  char kind = 0;                   // the kind letter printed
  double amount = 0;               // signed: negative shows a credit
  // What of the amount its period shows: the amount itself, or, on a
  // balance-forward account, what is left of it once the credits have paid
  // the oldest charges.
  double periodAmount = 0;
  int period = -1;                 // 0..6, −1 when no period holds its days
  bool discount = false;           // the discount taken on the item before it ('T')
};

// --- Column layouts -------------------------------------------------------------------------

// A column whose value is bound when the layout is built.
TagReportColumn Column(ReportColumnKind kind, const char* format, int x) { return MakeColumn(kind, format, x, nullptr); }

TagReportColumn Heading(const char* caption, int x, std::int32_t align = kAlignLeft, std::int32_t width = 0) {
  return MakeColumn(kColumnText, "%s", x, caption, align, width);
}

// The item line: item number, date, due date, kind, mark, amount, then the
// seven periods (each showing what the item's period takes of it; only the
// item's own is printed).
enum ItemColumn {
  kItemNumber, kItemDate, kItemDue, kItemKind, kItemMark, kItemAmount, kItemPeriod0,
  kItemCount = kItemPeriod0 + kPeriods
};
constexpr int kItemX[kItemCount] = {0, 14, 25, 36, 38, 41, 53, 65, 77, 89, 101, 113, 125};
constexpr int kAmountWidth = 11;

// The account line: code, name, first address line, phone, G/L account.
enum AccountColumn { kAcctCode, kAcctName, kAcctAddress, kAcctPhone, kAcctGLAccount, kAcctCount };

// The total lines: caption, balance, seven periods.
enum TotalColumn { kTotalCaption, kTotalBalance, kTotalPeriod0, kTotalCount = kTotalPeriod0 + kPeriods };

// The audit line.
enum AuditColumn {
  kAuditNumber, kAuditDate, kAuditDue, kAuditDiscDate, kAuditKind, kAuditMark, kAuditAmount, kAuditReference,
  kAuditSalesperson, kAuditStatus, kAuditOrder, kAuditCount
};
constexpr int kAuditX[kAuditCount] = {0, 12, 22, 32, 42, 44, 46, 59, 71, 84, 97};

// --- The run ---------------------------------------------------------------------------------

class AgingRun {
 public:
  explicit AgingRun(int commandId);
  AgingRun(const AgingRun&) = delete;
  AgingRun& operator=(const AgingRun&) = delete;

  int Run(const char* parameterText);

 private:
  bool Receivables() const { return menuId_ == kMenuCustomerAging; }
  int OpenItemFile() const {
    return Receivables() ? records::kFileReceivablesOpenInvoices : records::kFilePayablesOpenInvoices;
  }
  int CustVendFile() const { return Receivables() ? records::kFileCustomers : records::kFileVendors; }

  bool Prepare(const char* parameterText);
  int Body();
  int PrintAccounts();
  void BuildLayouts();

  int ReadItems(std::vector<records::TagOpenInvoice>* items);
  void BuildLines(const std::vector<records::TagOpenInvoice>& items, std::vector<AgingLine>* lines) const;
  bool Keep(const records::TagOpenInvoice& item, std::int64_t invoiceNet, AgingLine* line) const;
  void ApplyToOldest(std::vector<AgingLine>* lines) const;
  int DaysPastOf(const records::TagOpenInvoice& item) const;
  int PeriodOf(int days) const;

  void PageHeading();
  void WriteHeadingBlock();
  void WriteTitleBlock();
  void WriteAccountLine();
  void ContinueAccount();
  void PrintItems(const std::vector<AgingLine>& lines);
  void PrintAudit(const std::vector<AgingLine>& lines);
  void WriteItemLine(const AgingLine& line);
  void WriteAuditLine(const AgingLine& line);
  void WriteTotalLine(const char* caption, const Totals& totals, const TagDrillDownInfo* link);
  void Accumulate(const AgingLine& line);
  void EndGroup();
  void SetItemLink(const AgingLine& line);

  std::string GroupValue() const;

  const int menuId_;
  CustVendReportParams params_{};
  records::AgingSchedule schedule_{};
  records::CustVendRecord record_{};
  char keyBuffer_[255] = {};

  // Released in the reverse order: the report, the index, the files, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  BtrvHandle openItems_ = 0;
  CustVendIndexGuard indexGuard_{&params_};
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  // Totals of the account, the sort group and the report.
  Totals account_, group_, report_;
  bool groupOpen_ = false;
  std::string groupValue_;
  int accountsPrinted_ = 0;

  // Layouts and the values their columns point at.
  std::array<TagReportColumn, kItemCount + 1> itemHeadings_{};
  std::array<TagReportColumn, kItemCount + 1> itemLine_{};
  std::array<TagReportColumn, kAcctCount + 1> accountLine_{};
  std::array<TagReportColumn, kTotalCount + 1> totalLine_{};
  std::array<TagReportColumn, kAuditCount + 1> auditHeadings_{};
  std::array<TagReportColumn, kAuditCount + 1> auditLine_{};
  std::array<TagReportColumn, 3> auditTotalLine_{};
  char periodCaptions_[kPeriods][12] = {};

  // The values of the line being written.
  char kindText_ = 0, markText_ = 0;
  double amountValue_ = 0, periodValue_ = 0;
  std::int32_t itemDate_ = 0, itemDue_ = 0, itemDiscDate_ = 0;
  char itemNumber_[12] = {};
  char reference_[12] = {}, salesperson_[8] = {}, status_[16] = {}, orderText_[16] = {};
  char accountCode_[12] = {}, accountName_[42] = {}, accountAddress_[42] = {}, accountPhone_[17] = {},
       accountGL_[12] = {};
  char totalCaption_[48] = {};
  TotalAmounts totalValues_;

  // Drill-down descriptors, rewritten before each row that carries them.
  TagDrillDownInfo accountLink_ = MakeDrillDown(kDrillOpenScreen, kCommandCustomer);
  TagDrillDownInfo glLink_ = MakeDrillDown(kDrillOpenScreen, kCommandGLAccount);
  TagDrillDownInfo summaryLink_ = MakeDrillDown(kDrillRunReport, kMenuCustomerAging);
  TagDrillDownInfo itemLink_ = MakeDrillDown(kDrillOpenScreen, 0);
};

AgingRun::AgingRun(int commandId) : menuId_(commandId == kMenuVendorAging ? kMenuVendorAging : kMenuCustomerAging) {
  params_.keyBuffer = keyBuffer_;
  params_.record = &record_;
  params_.schedule = &schedule_;
  params_.window = &window_;
  accountLink_.commandId = static_cast<std::uint16_t>(Receivables() ? kCommandCustomer : kCommandVendor);
  summaryLink_.commandId = static_cast<std::uint16_t>(menuId_);
}

int AgingRun::Run(const char* parameterText) {
  if (!Prepare(parameterText)) return 0;
  const int result = Body();
  // The report is delivered (the preview shown, the file written) before
  // the index, the files and the window are let go.
  reportGuard_.Close();
  return result;
}

// Defaults, the preset over them, and the ranges it names.
bool AgingRun::Prepare(const char* parameterText) {
  return PrepareCustVendParams(menuId_, Receivables() ? 0 : 1, parameterText, &params_);
}

int AgingRun::Body() {
  if (FileSetOpen(&files_, OpenItemFile(), CustVendFile(), records::kFileSalespersons) != kStatusOk) return 0;
  openItems_ = files_.handle[0];
  params_.fileHandle = files_.handle[1];
  params_.fileId = static_cast<std::int16_t>(CustVendFile());
  params_.lookupHandle = files_.handle[2];

  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", kReportId);
  const char* title = Receivables() ? " Receivables Aging Report " : " Payables Aging Report ";
  if (IsScreenOutput(params_.input)) {
    if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', title) != 0) return 0;
    if (CustVendParamScreen(&params_) != 0) return 0;
  }
  // The schedule shown (or preset) is the company's from now on.
  AgingScheduleRecord(&params_, true);
  if (CustVendRunStart(&params_) != kStatusOk) return 0;

  if (SetReportDestination(&params_, &info_) != 0) return 0;
  if (params_.dayspast && params_.dpdto == 0) params_.dpdto = kNoHighestDay;
  if (!ReportOpen(&info_, kReportTitle)) return 0;
  OfferSavedRun(&info_, menuId_, &window_,
                [this](CReportParamString* text) { return WriteCustVendSavedRun(&params_, true, text); },
                [this] { return CustVendSelectionWords(&params_, true); });
  BuildLayouts();
  return PrintAccounts();
}

// --- The walk ------------------------------------------------------------------------------

int AgingRun::PrintAccounts() {
  BtrvSetKey(openItems_, kOpenItemKey, -1);
  std::vector<records::TagOpenInvoice> items;
  std::vector<AgingLine> lines;
  int status = kStatusOk;
  bool failed = false;
  while (status == kStatusOk) {
    int key = 0;
    if (ReportCheckUserBreak(&info_, &key)) return 27;
    int pastEnd = 0;
    const bool selected = CustVendMatchesSelection(&params_, &pastEnd);
    if (pastEnd) break;
    if (selected) {
      if (ReadItems(&items) != kStatusOk) {
        failed = true;
        break;
      }
      BuildLines(items, &lines);
      if (!lines.empty()) {
        const std::string group = GroupValue();
        if (groupOpen_ && group != groupValue_) EndGroup();
        groupOpen_ = true;
        groupValue_ = group;
        if (accountsPrinted_ == 0) PageHeading();
        if (params_.type == kAgingAudit) {
          PrintAudit(lines);
        } else {
          PrintItems(lines);
        }
        ++accountsPrinted_;
      }
    }
    status = CustVendReadNext(&params_);
    if (status != kStatusOk && status != kStatusEndOfFile) failed = true;
  }
  if (failed) {
    EndIncompleteReport(&info_);
    return 0;
  }
  if (groupOpen_) EndGroup();
  if (accountsPrinted_ == 0) {
    MsgShow(kMsgNothingSelected, 1);
    info_.discard = 1;
    return 0;
  }
  if (ReportPageFull(&info_, 1)) PageHeading();
  if (params_.type == kAgingAudit) {
    std::snprintf(totalCaption_, sizeof totalCaption_, "Grand Total");
    totalValues_ = report_;
    ReportWriteColumns(&info_, auditTotalLine_.data(), 2);
  } else {
    WriteTotalLine("Grand Total", report_, nullptr);
  }
  ReportNewPage(&info_);
  CommandDone();
  return 0;
}

// The account's open items dated on or before the aging date, in key order.
int AgingRun::ReadItems(std::vector<records::TagOpenInvoice>* items) {
  items->clear();
  char key[255] = {};
  std::memcpy(key, record_.code, sizeof record_.code);
  records::TagOpenInvoice item{};
  int op = kOpGetGreaterOrEqual;
  for (;; op = kOpGetNext) {
    const int status = RecordRead(OpenItemFile(), op, openItems_, key, &item, sizeof item);
    if (status == kStatusEndOfFile) return kStatusOk;
    if (status != kStatusOk) return MsgRecordError(status, 1, op, OpenItemFile(), 0);
    // The first item of another account ends this one's.
    if (Trimmed(item.code) != Trimmed(record_.code)) return kStatusOk;
    if (item.invoiceDate > params_.closedate) continue;
    items->push_back(item);
  }
}

int AgingRun::DaysPastOf(const records::TagOpenInvoice& item) const {
  const std::int32_t date = params_.agedby == 'T' ? item.invoiceDate : item.dueDate;
  return static_cast<int>(DateToDays(params_.closedate) - DateToDays(date));
}

// The schedule's last period holding the days wins; −1 when none does.
int AgingRun::PeriodOf(int days) const {
  const records::AgingPeriod* periods = AgingPeriodsOf(&schedule_, menuId_);
  int found = -1;
  for (int i = 0; i < kPeriods; ++i) {
    const int a = periods[i].fromDays, b = periods[i].toDays;
    const int low = a < b ? a : b, high = a < b ? b : a;
    if (low <= days && days <= high) found = i;
  }
  return found;
}

// The fully paid and days-past-due tests; fills the line of a kept item.
bool AgingRun::Keep(const records::TagOpenInvoice& item, std::int64_t invoiceNet, AgingLine* line) const {
  const int days = DaysPastOf(item);
  if (!params_.incfpaid) {
    if (invoiceNet == 0) return false;
    if (params_.dayspast && (days < params_.dpdfrom || days > params_.dpdto)) return false;
  }
  line->period = PeriodOf(days);
  return true;
}

void AgingRun::BuildLines(const std::vector<records::TagOpenInvoice>& items, std::vector<AgingLine>* lines) const {
  lines->clear();
  const int file = OpenItemFile();
  // Each invoice's balance as of the aging date: the items read are exactly
  // those dated on or before it.
  std::map<std::string, AgingNet> invoices;
  for (const records::TagOpenInvoice& item : items) AgingDetailStep(&invoices[Trimmed(item.invoiceNumber)], &item, file);

  // The lines of the account, each with the balance of its invoice (0:
  // fully paid) and the number of the group it goes with: an item and the
  // discount taken with it are kept or left out together.
  std::vector<AgingLine> all;
  std::vector<std::int64_t> nets;
  std::vector<std::size_t> groups;
  std::size_t i = 0;
  while (i < items.size()) {
    const records::TagOpenInvoice& first = items[i];
    AgingLine line;
    line.item = first;
    std::size_t end = i + 1;
    if (params_.consadv && AgingRecordCheck(&first))
      while (end < items.size() && Trimmed(items[end].invoiceNumber) == Trimmed(first.invoiceNumber)) ++end;
    // An invoice of several items is netted into one; an item alone keeps
    // its own kind (a finance charge stays one).
    if (end - i > 1) {
      AgingNet net;
      for (std::size_t j = i; j < end; ++j) AgingDetailStep(&net, &items[j], file);
      // The netted item is not posted when any of its items is not: it
      // takes the letter of the first such item, which names its source.
      for (std::size_t j = i; j < end; ++j) {
        if (!AgingIsPosted(items[j])) {
          line.item.status = items[j].status ? items[j].status : 'O';
          break;
        }
      }
      i = end;
      line.item.discount = 0;
      const bool receivables = Receivables();
      if (net.cents <= 0) {
        line.kind = net.payment ? 'P' : receivables ? 'C' : 'D';
      } else {
        line.kind = net.invoice ? 'I' : receivables ? 'D' : 'C';
      }
      line.item.lineType = line.kind;
      line.item.amount = static_cast<double>(net.cents < 0 ? -net.cents : net.cents) / 100.0;
      line.amount = net.cents == 0 ? 0.0 : AgingSignedAmount(file, line.item);
      line.periodAmount = line.amount;
      all.push_back(line);
      nets.push_back(net.cents);
      groups.push_back(all.size());
      continue;
    }
    ++i;
    line.kind = first.lineType;
    line.amount = line.periodAmount = AgingSignedAmount(file, first);
    const std::int64_t invoiceNet = invoices[Trimmed(first.invoiceNumber)].cents;
    all.push_back(line);
    nets.push_back(invoiceNet);
    groups.push_back(all.size());
    if (AgingCents(first.discount) != 0) {
      AgingLine discount = line;
      discount.kind = 'T';
      discount.amount = discount.periodAmount = -static_cast<double>(first.discount);
      discount.discount = true;
      all.push_back(discount);
      nets.push_back(invoiceNet);
      groups.push_back(groups.back());
    }
  }
  if (record_.IsBalanceForward()) {
    ApplyToOldest(&all);
    // What the credits paid off is fully paid; a group is paid when
    // nothing is left of any of its lines.
    std::map<std::size_t, bool> owing;
    for (std::size_t k = 0; k < all.size(); ++k) owing[groups[k]] = owing[groups[k]] || AgingCents(all[k].periodAmount) != 0;
    for (std::size_t k = 0; k < all.size(); ++k) nets[k] = owing[groups[k]] ? 1 : 0;
  }
  for (std::size_t k = 0; k < all.size(); ++k) {
    AgingLine& line = all[k];
    const bool kept = Keep(line.item, nets[k], &line);
    if (kept) lines->push_back(line);
  }
}

// A balance-forward account's credits pay its charges from the oldest on:
// each line's period takes what is left of it.
void AgingRun::ApplyToOldest(std::vector<AgingLine>* lines) const {
  const std::size_t n = lines->size();
  std::vector<std::size_t> order(n);
  for (std::size_t k = 0; k < n; ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return DaysPastOf((*lines)[a].item) > DaysPastOf((*lines)[b].item);
  });
  std::vector<std::int64_t> charges(n), credits(n), net(n);
  for (std::size_t k = 0; k < n; ++k) {
    const std::int64_t cents = AgingCents((*lines)[order[k]].amount);
    charges[k] = cents > 0 ? cents : 0;
    credits[k] = cents < 0 ? -cents : 0;
  }
  AgingApplyOldestFirst(charges.data(), credits.data(), net.data(), static_cast<int>(n));
  for (std::size_t k = 0; k < n; ++k) (*lines)[order[k]].periodAmount = static_cast<double>(net[k]) / 100.0;
}

std::string AgingRun::GroupValue() const {
  const records::CustVendRecord& r = record_;
  switch (params_.sortRange.fieldId) {
    case kCvFieldDepartment: return Trimmed(r.department);
    case kCvFieldSalesperson: return Trimmed(r.salesperson);
    case kCvFieldTerritory: return Trimmed(r.territory);
    case kCvFieldVendorType: return Trimmed(r.vendorType);
    case kCvFieldBillingGroup: return Trimmed(r.billingGroup);
    case kCvFieldZipCode: return Trimmed(r.zipCode);
    default: return {};  // code, name and the others give no groups
  }
}

bool SortGroups(int fieldId) {
  return (fieldId >= kCvFieldDepartment && fieldId <= kCvFieldBillingGroup) || fieldId == kCvFieldZipCode;
}

// The subtotal of the finished group, when it owes anything; the group's
// totals start again at every change of group either way.
void AgingRun::EndGroup() {
  if (SortGroups(params_.sortRange.fieldId) && !group_.IsZero()) {
    if (ReportPageFull(&info_, 1)) PageHeading();
    char caption[48];
    std::snprintf(caption, sizeof caption, "SubTotal %s", groupValue_.c_str());
    if (params_.type == kAgingAudit) {
      std::snprintf(totalCaption_, sizeof totalCaption_, "%s", caption);
      totalValues_ = group_;
      ReportWriteColumns(&info_, auditTotalLine_.data(), 2);
    } else {
      WriteTotalLine(caption, group_, nullptr);
    }
  }
  group_ = Totals{};
}

void AgingRun::Accumulate(const AgingLine& line) {
  account_.Add(line.amount, line.periodAmount, line.period);
  group_.Add(line.amount, line.periodAmount, line.period);
  report_.Add(line.amount, line.periodAmount, line.period);
}

// --- Pages ---------------------------------------------------------------------------------

void AgingRun::WriteHeadingBlock() {
  char text[96];
  char date[16] = {};
  std::snprintf(text, sizeof text, "Closing Date : %s", DateToText(date, params_.closedate));
  ReportWriteText(&info_, text, 1, 0);
  ReportWriteText(&info_, "Codes:", 96, 1);
  std::snprintf(text, sizeof text, "Sorted by... : %s", params_.sortRange.caption);
  ReportWriteText(&info_, text, 1, 0);
  ReportWriteText(&info_, "I Invoice", 96, 0);
  ReportWriteText(&info_, "P Payment", 116, 1);
  std::snprintf(text, sizeof text, "Ranked by... : %s", params_.rankRange.caption);
  ReportWriteText(&info_, text, 1, 0);
  ReportWriteText(&info_, "D Debit", 96, 0);
  ReportWriteText(&info_, "C Credit", 116, 1);
  ReportWriteText(&info_, "* Not Posted", 1, 0);
  ReportWriteText(&info_, "F Finance Charge", 96, 0);
  ReportWriteText(&info_, "T Discount Taken", 116, 1);
}

void AgingRun::WriteTitleBlock() {
  const char* title = params_.type == kAgingSummary ? "AGING SUMMARY REPORT"
                      : params_.type == kAgingAudit ? "AGING AUDIT REPORT"
                                                    : "AGING DETAIL REPORT";
  ReportWriteText(&info_, title, kReportCentred, 1);
  ReportWriteText(&info_, Receivables() ? "ACCOUNTS RECEIVABLE" : "ACCOUNTS PAYABLE", kReportCentred, 1);
}

void AgingRun::PageHeading() {
  WritePageHeading(
      &info_, [this](TagRepInfo*) { WriteHeadingBlock(); }, [this](TagRepInfo*) { WriteTitleBlock(); },
      params_.type == kAgingAudit ? auditHeadings_.data() : itemHeadings_.data());
}

void AgingRun::BuildLayouts() {
  const records::AgingPeriod* periods = AgingPeriodsOf(&schedule_, menuId_);
  for (int i = 0; i < kPeriods; ++i)
    std::snprintf(periodCaptions_[i], sizeof periodCaptions_[i], "%.*s",
                  static_cast<int>(strnlen(periods[i].label, sizeof periods[i].label)), periods[i].label);

  itemHeadings_[kItemNumber] = Heading("Invoice No.", kItemX[kItemNumber]);
  itemHeadings_[kItemDate] = Heading("Date", kItemX[kItemDate]);
  itemHeadings_[kItemDue] = Heading("Due Date", kItemX[kItemDue]);
  itemHeadings_[kItemKind] = Heading("Code", kItemX[kItemKind]);
  itemHeadings_[kItemMark] = Heading("", kItemX[kItemMark]);
  itemHeadings_[kItemAmount] = Heading("Amount", kItemX[kItemAmount], kAlignRight, kAmountWidth);
  for (int i = 0; i < kPeriods; ++i)
    itemHeadings_[kItemPeriod0 + i] = Heading(periodCaptions_[i], kItemX[kItemPeriod0 + i], kAlignRight, kAmountWidth);
  itemHeadings_[kItemMark].hidden = 1;

  itemLine_[kItemNumber] = Column(kColumnText, "%-10s", kItemX[kItemNumber]);
  itemLine_[kItemNumber].value = itemNumber_;
  itemLine_[kItemDate] = Column(kColumnDate, "%-8s", kItemX[kItemDate]);
  itemLine_[kItemDate].value = &itemDate_;
  itemLine_[kItemDue] = Column(kColumnDate, "%-8s", kItemX[kItemDue]);
  itemLine_[kItemDue].value = &itemDue_;
  itemLine_[kItemKind] = Column(kColumnChar, "%c", kItemX[kItemKind]);
  itemLine_[kItemKind].value = &kindText_;
  itemLine_[kItemMark] = Column(kColumnChar, "%c", kItemX[kItemMark]);
  itemLine_[kItemMark].value = &markText_;
  itemLine_[kItemAmount] = Column(kColumnAmount, "%11.2f", kItemX[kItemAmount]);
  itemLine_[kItemAmount].value = &amountValue_;
  for (int i = 0; i < kPeriods; ++i) {
    TagReportColumn& c = itemLine_[kItemPeriod0 + i];
    c = Column(kColumnAmount, "%11.2f", kItemX[kItemPeriod0 + i]);
    c.value = &periodValue_;
    c.hidden = 1;
  }

  accountLine_[kAcctCode] = Column(kColumnText, "%-10s", 0);
  accountLine_[kAcctCode].value = accountCode_;
  accountLine_[kAcctName] = Column(kColumnText, "%-40s", 12);
  accountLine_[kAcctName].value = accountName_;
  accountLine_[kAcctAddress] = Column(kColumnText, "%-40s", 53);
  accountLine_[kAcctAddress].value = accountAddress_;
  accountLine_[kAcctPhone] = Column(kColumnText, "%-15s", 95);
  accountLine_[kAcctPhone].value = accountPhone_;
  accountLine_[kAcctGLAccount] = Column(kColumnText, "%-10s", 112);
  accountLine_[kAcctGLAccount].value = accountGL_;

  totalLine_[kTotalCaption] = Column(kColumnText, "%-24s", 14);
  totalLine_[kTotalCaption].value = totalCaption_;
  totalLine_[kTotalBalance] = Column(kColumnAmount, "%11.2f", kItemX[kItemAmount]);
  totalLine_[kTotalBalance].value = &totalValues_.balance;
  for (int i = 0; i < kPeriods; ++i) {
    TagReportColumn& c = totalLine_[kTotalPeriod0 + i];
    c = Column(kColumnAmount, "%11.2f", kItemX[kItemPeriod0 + i]);
    c.value = &totalValues_.periods[i];
  }

  const bool receivables = Receivables();
  auditHeadings_[kAuditNumber] = Heading("Invoice No.", kAuditX[kAuditNumber]);
  auditHeadings_[kAuditDate] = Heading("Date", kAuditX[kAuditDate]);
  auditHeadings_[kAuditDue] = Heading("Due Date", kAuditX[kAuditDue]);
  auditHeadings_[kAuditDiscDate] = Heading("DiscDate", kAuditX[kAuditDiscDate]);
  auditHeadings_[kAuditKind] = Heading("Code", kAuditX[kAuditKind]);
  auditHeadings_[kAuditMark] = Heading("", kAuditX[kAuditMark]);
  auditHeadings_[kAuditMark].hidden = 1;
  auditHeadings_[kAuditAmount] = Heading("Amount", kAuditX[kAuditAmount], kAlignRight, kAmountWidth);
  auditHeadings_[kAuditReference] = Heading("Reference", kAuditX[kAuditReference]);
  auditHeadings_[kAuditSalesperson] = Heading(receivables ? "Salesperson" : "Vendor Type", kAuditX[kAuditSalesperson]);
  auditHeadings_[kAuditStatus] = Heading("Status", kAuditX[kAuditStatus]);
  auditHeadings_[kAuditOrder] = Heading("Order No", kAuditX[kAuditOrder], kAlignRight, 10);

  auditLine_[kAuditNumber] = Column(kColumnText, "%-10s", kAuditX[kAuditNumber]);
  auditLine_[kAuditNumber].value = itemNumber_;
  auditLine_[kAuditDate] = Column(kColumnDate, "%-8s", kAuditX[kAuditDate]);
  auditLine_[kAuditDate].value = &itemDate_;
  auditLine_[kAuditDue] = Column(kColumnDate, "%-8s", kAuditX[kAuditDue]);
  auditLine_[kAuditDue].value = &itemDue_;
  auditLine_[kAuditDiscDate] = Column(kColumnDate, "%-8s", kAuditX[kAuditDiscDate]);
  auditLine_[kAuditDiscDate].value = &itemDiscDate_;
  auditLine_[kAuditKind] = Column(kColumnChar, "%c", kAuditX[kAuditKind]);
  auditLine_[kAuditKind].value = &kindText_;
  auditLine_[kAuditMark] = Column(kColumnChar, "%c", kAuditX[kAuditMark]);
  auditLine_[kAuditMark].value = &markText_;
  auditLine_[kAuditAmount] = Column(kColumnAmount, "%11.2f", kAuditX[kAuditAmount]);
  auditLine_[kAuditAmount].value = &amountValue_;
  auditLine_[kAuditReference] = Column(kColumnText, "%-10s", kAuditX[kAuditReference]);
  auditLine_[kAuditReference].value = reference_;
  auditLine_[kAuditSalesperson] = Column(kColumnText, "%-5s", kAuditX[kAuditSalesperson]);
  auditLine_[kAuditSalesperson].value = salesperson_;
  auditLine_[kAuditStatus] = Column(kColumnText, "%-11s", kAuditX[kAuditStatus]);
  auditLine_[kAuditStatus].value = status_;
  auditLine_[kAuditOrder] = Column(kColumnText, "%10s", kAuditX[kAuditOrder]);
  auditLine_[kAuditOrder].value = orderText_;

  auditTotalLine_[0] = Column(kColumnText, "%-24s", 14);
  auditTotalLine_[0].value = totalCaption_;
  auditTotalLine_[1] = Column(kColumnAmount, "%11.2f", kAuditX[kAuditAmount]);
  auditTotalLine_[1].value = &totalValues_.balance;
}

// --- Accounts ----------------------------------------------------------------------------------

void AgingRun::WriteAccountLine() {
  const records::CustVendRecord& r = record_;
  std::snprintf(accountCode_, sizeof accountCode_, "%s", Trimmed(r.code).c_str());
  std::snprintf(accountName_, sizeof accountName_, "%s", Trimmed(r.name).c_str());
  std::snprintf(accountAddress_, sizeof accountAddress_, "%s", Trimmed(r.addressLines[0]).c_str());
  std::snprintf(accountPhone_, sizeof accountPhone_, "%s", Trimmed(r.phone1).c_str());
  std::snprintf(accountGL_, sizeof accountGL_, "%s", Trimmed(r.glAccount).c_str());
  // A phone nothing was entered into is left out.
  accountLine_[kAcctPhone].hidden = StrApplyMask(accountPhone_, "(nnn) nnnnnnnn") ? 1 : 0;
  ClearLinks(accountLine_.data());
  if (info_.links) {
    CReportParamString account(accountLink_.params, kLinkParamCapacity);
    if (account.WriteParam("cdno", Trimmed(r.code), true))
      LinkColumns(accountLine_.data(), {kAcctCode, kAcctName}, &accountLink_);
    CReportParamString gl(glLink_.params, kLinkParamCapacity);
    if (gl.WriteParam("cdno", Trimmed(r.glAccount), true)) LinkColumns(accountLine_.data(), {kAcctGLAccount}, &glLink_);
  }
  ReportWriteColumns(&info_, accountLine_.data(), 1);
  accountLine_[kAcctPhone].hidden = 0;
}

void AgingRun::PrintItems(const std::vector<AgingLine>& lines) {
  if (ReportPageFull(&info_, 2)) PageHeading();
  WriteAccountLine();
  for (const AgingLine& line : lines) {
    Accumulate(line);
    if (params_.type != kAgingDetail) continue;
    if (ReportPageFull(&info_, 0)) ContinueAccount();
    WriteItemLine(line);
  }
  // The account's total follows its last item, whatever it comes to (an
  // account whose items net to nothing shows its 0.00).
  const TagDrillDownInfo* link = nullptr;
  if (params_.type == kAgingSummary && info_.links) {
    // The detail of this one account, as of the same date, on the same
    // basis and with the same options: its totals are this line's.
    CReportParamString text(summaryLink_.params, kLinkParamCapacity);
    const std::string code = Trimmed(record_.code);
    const bool ok = text.WriteParam("input", "default", true) && text.WriteParam("cvbeg", code, false) &&
                    text.WriteParam("cvend", code, false) &&
                    text.WriteDateParam("closedate", params_.closedate, false) &&
                    text.WriteIntParam("type", kAgingDetail, false) &&
                    text.WriteIntParam("agedby", static_cast<unsigned char>(params_.agedby), false) &&
                    text.WriteIntParam("incfpaid", params_.incfpaid, false) &&
                    text.WriteIntParam("consadv", params_.consadv, false) &&
                    text.WriteIntParam("dayspast", params_.dayspast, false) &&
                    text.WriteIntParam("dpdfrom", params_.dpdfrom, false) &&
                    text.WriteIntParam("dpdto", params_.dpdto, false);
    const std::string title = std::string("Aging detail of ") + (Receivables() ? "customer " : "vendor ") + code;
    DrillDownSetTitle(&summaryLink_, title.c_str());
    if (ok) link = &summaryLink_;
  }
  if (ReportPageFull(&info_, 1)) ContinueAccount();
  WriteTotalLine("Total", account_, link);
  account_ = Totals{};
}

void AgingRun::PrintAudit(const std::vector<AgingLine>& lines) {
  if (ReportPageFull(&info_, 2)) PageHeading();
  WriteAccountLine();
  for (const AgingLine& line : lines) {
    Accumulate(line);
    if (ReportPageFull(&info_, 0)) ContinueAccount();
    WriteAuditLine(line);
  }
  if (ReportPageFull(&info_, 1)) ContinueAccount();
  std::snprintf(totalCaption_, sizeof totalCaption_, "Total");
  totalValues_ = account_;
  ReportWriteColumns(&info_, auditTotalLine_.data(), 2);
  account_ = Totals{};
}

// A new page in the middle of an account: the page heading, then the
// account's line again, so that no item or total stands on a page without
// the account it belongs to.
void AgingRun::ContinueAccount() {
  PageHeading();
  WriteAccountLine();
}

char MarkOf(const records::TagOpenInvoice& item, const TagRepInfo& info) {
  if (!AgingIsPosted(item)) return '*';
  return info.markBlanksVisibly ? '_' : ' ';
}

void AgingRun::WriteItemLine(const AgingLine& line) {
  const records::TagOpenInvoice& item = line.item;
  std::snprintf(itemNumber_, sizeof itemNumber_, "%s", Trimmed(item.invoiceNumber).c_str());
  itemDate_ = item.invoiceDate;
  itemDue_ = item.dueDate;
  kindText_ = line.kind;
  markText_ = MarkOf(item, info_);
  amountValue_ = line.amount;
  periodValue_ = line.periodAmount;
  if (line.period >= 0) itemLine_[kItemPeriod0 + line.period].hidden = 0;
  ClearLinks(itemLine_.data());
  if (info_.links) SetItemLink(line);
  ReportWriteColumns(&info_, itemLine_.data(), 1);
  if (line.period >= 0) itemLine_[kItemPeriod0 + line.period].hidden = 1;
}

// The entry behind an item, by the source of its entry.
void AgingRun::SetItemLink(const AgingLine& line) {
  const records::TagOpenInvoice& item = line.item;
  const bool receivables = Receivables();
  const std::string reference = Trimmed(item.sourceReference);
  CReportParamString text(itemLink_.params, kLinkParamCapacity);
  bool ok = false;
  itemLink_.kind = kDrillOpenScreen;
  DrillDownSetTitle(&itemLink_, nullptr);
  switch (item.origin) {
    case 'A':
      itemLink_.commandId = static_cast<std::uint16_t>(receivables ? 202 : 203);
      ok = text.WriteParam("cdno", reference, true);
      break;
    case 'C':
      if (line.kind == 'P' || line.kind == 'T') {
        const bool negative = line.amount < 0;
        itemLink_.commandId = static_cast<std::uint16_t>(receivables ? (negative ? 210 : 211) : (negative ? 211 : 210));
      } else {
        itemLink_.commandId = 212;
      }
      ok = text.WriteParam("cdno", reference, true);
      break;
    case 'I':
    case 'O':
      if (line.kind == 'C' || line.kind == 'D') {
        itemLink_.commandId = static_cast<std::uint16_t>(receivables ? 233 : 222);
      } else {
        itemLink_.commandId = static_cast<std::uint16_t>(receivables ? 230 : 221);
      }
      ok = text.WriteParam("tranno", reference, true) && text.WriteIntParam("mrno", item.recordNumber, false);
      break;
    case 'S':
      itemLink_.kind = kDrillRunReport;
      itemLink_.commandId = kCommandGLJournal;
      ok = text.WriteParam("input", "default", true) && text.WriteParam("type", "1", false) &&
           text.WriteParam("tran", reference, false) && text.WriteParam("jrnlbeg", "SU", false) &&
           text.WriteParam("jrnlend", "SU", false);
      DrillDownSetTitle(&itemLink_, ("General-ledger journal of transaction " + reference).c_str());
      break;
    default:
      return;  // no entry to open
  }
  if (ok)
    LinkColumns(itemLine_.data(), {kItemNumber, kItemDate, kItemDue, kItemKind, kItemMark, kItemAmount}, &itemLink_);
}

const char* SourceText(const records::TagOpenInvoice& item, bool receivables) {
  switch (item.status) {
    case 'A': return receivables ? "A/R" : "A/P";
    case 'B': return item.orderNumber != 0 ? "Order Entry" : receivables ? "Billing" : "PO";
    case 'C': return "Cash";
    case 'O': return "P.O.S";
    case 'F':
    case 'P': return "Posted";
    default: return "";
  }
}

void AgingRun::WriteAuditLine(const AgingLine& line) {
  const records::TagOpenInvoice& item = line.item;
  std::snprintf(itemNumber_, sizeof itemNumber_, "%s", Trimmed(item.invoiceNumber).c_str());
  itemDate_ = item.invoiceDate;
  itemDue_ = item.dueDate;
  itemDiscDate_ = item.secondDate;
  kindText_ = line.kind;
  markText_ = MarkOf(item, info_);
  amountValue_ = line.amount;
  std::snprintf(reference_, sizeof reference_, "%s", Trimmed(item.reference).c_str());
  const std::string person = Receivables() ? Trimmed(record_.salesperson) : Trimmed(record_.vendorType);
  std::snprintf(salesperson_, sizeof salesperson_, "%s", person.c_str());
  std::snprintf(status_, sizeof status_, "%s", SourceText(item, Receivables()));
  const std::int32_t order = item.orderNumber;
  if (order != 0) {
    std::snprintf(orderText_, sizeof orderText_, "%10ld", static_cast<long>(order));
  } else {
    orderText_[0] = '\0';
  }
  ReportWriteColumns(&info_, auditLine_.data(), 1);
}

void AgingRun::WriteTotalLine(const char* caption, const Totals& totals, const TagDrillDownInfo* link) {
  std::snprintf(totalCaption_, sizeof totalCaption_, "%s", caption);
  totalValues_ = totals;
  ClearLinks(totalLine_.data());
  if (link) {
    LinkColumns(totalLine_.data(), {kTotalBalance}, link);
    for (int i = 0; i < kPeriods; ++i) totalLine_[kTotalPeriod0 + i].link = link;
  }
  ReportWriteColumns(&info_, totalLine_.data(), 2);
}

}  // namespace

int RunCustVendAging(int commandId, const char* parameterText) {
  try {
    AgingRun run(commandId);
    return run.Run(parameterText);
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
