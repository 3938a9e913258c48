// The customer (command 338) and vendor (345) directory: every selected
// account with its code, name, address, contact, phones, department or
// territory, salesperson or vendor type, terms, account type, credit limit
// and balance, its alternate addresses under it, in the order of the sort
// field.  A sort field that groups accounts (department, salesperson,
// territory, vendor type, zip code, account) gives a subtotal of each group's
// accounts and balance; a count and balance total ends the report.
//
// The selection (sort and rank ranges) is the customer/vendor screen's
// (cv_param_screen.h), remembered as "CustDirectory" / "VendDirectory".
#include "reports/arap/directory.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "btrvc.h"
#include "cv_param_screen.h"
#include "cv_param_string.h"
#include "cv_params.h"
#include "oemtext.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "address_lines.h"
#include "report_frame.h"

namespace {

constexpr const char* kReportId = "RSCVDirectory";
constexpr const char* kReportTitle = "Customer/Vendor Directory";

// Drill-down targets.
constexpr int kCommandGLAccount = 120;
constexpr int kCommandCustomer = 121;
constexpr int kCommandVendor = 122;
constexpr int kCommandPurchaseHistory = 329;

// The selection window: row 5, column 14, 13 rows by 66 columns.
constexpr int kWindowTop = 5, kWindowLeft = 14, kWindowRows = 13, kWindowCols = 66;

// A terms day count that means "the last day of the month" under terms of
// type 'D'.
constexpr int kLastDayCount = 99;

constexpr const char* kPhonePicture = "(nnn) nnnnnnnn";

// A phone as stored, or "" when nothing was entered into it.
template <std::size_t N>
std::string PhoneOf(const char (&field)[N]) {
  const std::string phone = TrimField(field);
  return StrApplyMask(phone.c_str(), kPhonePicture) ? std::string() : phone;
}

// The sort fields that put accounts into groups with a subtotal each.
bool IsDirectoryGroupField(int fieldId) {
  switch (fieldId) {
    case kCvFieldDepartment:
    case kCvFieldSalesperson:
    case kCvFieldTerritory:
    case kCvFieldVendorType:
    case kCvFieldZipCode:
    case kCvFieldAccount:
      return true;
    default:
      return false;
  }
}

// The account's value of a group field; "" for any other field.
std::string DirectoryGroupText(const records::CustVendRecord& r, int fieldId) {
  switch (fieldId) {
    case kCvFieldDepartment: return TrimField(r.department);
    case kCvFieldSalesperson: return TrimField(r.salesperson);
    case kCvFieldTerritory: return TrimField(r.territory);
    case kCvFieldVendorType: return TrimField(r.vendorType);
    case kCvFieldZipCode: return TrimField(r.zipCode);
    case kCvFieldAccount: return TrimField(r.glAccount);
    default: return {};
  }
}

// The account type as the directory prints it: the system treats every
// account that is neither balance forward nor cash as an open-item account.
const char* AccountTypeText(const records::CustVendRecord& r) {
  if (r.IsBalanceForward()) return "Bal Fwd";
  if (r.IsCash()) return "Cash";
  return "Open";
}

// --- Column layouts ---------------------------------------------------------------------
//
// Every value is bounded to its width (texts by a precision), so no value
// runs into the next column.

// The account line.
enum AccountColumn {
  kCode, kName, kPhone, kDepartment, kSales, kTermsText, kDiscountDays, kDueDays, kAccountType, kCreditLimit,
  kBalance, kAccountCount
};
constexpr int kAccountX[kAccountCount] = {0, 11, 52, 67, 73, 79, 84, 89, 99, 108, 120};

// The lines under the account and under an alternate address: a code
// column, an address column, a phone column.
enum MoreColumn { kMoreCode, kMoreText, kMorePhone, kMoreCount };

// The subtotal and total lines: caption, count, balance.
enum TotalColumn { kTotalCaption, kTotalCount, kTotalBalance, kTotalColumns };

TagReportColumn Heading(const char* caption, int x, std::int32_t align = kAlignLeft, std::int32_t width = 0) {
  return MakeColumn(kColumnText, "%s", x, caption, align, width);
}

// One heading row: the captions over the account line's columns ("" none).
using HeadingRow = std::array<const char*, kAccountCount>;

// The three heading rows over the code, name, phone, department (vendors:
// territory), salesperson (vendors: vendor type), the terms' discount, its
// days and the due days, the account type, the credit limit and the balance.
// clang-format off
constexpr HeadingRow kHeading1         = {"Code",    "",                     "Phone No. 1", "",      "",       "Terms", "",     "",         "Acct.", "Credit", ""};
constexpr HeadingRow kCustomerHeading2 = {"",        "",                     "Phone No. 2", "Dept.", "Sales",  "",      "",     "",         "",      "",       ""};
constexpr HeadingRow kCustomerHeading3 = {"Account", "Name/Contact/Address", "Fax No.",     "",      "Person", "Disc.", "Days", "Due Days", "Type",  "Limit",  "Balance"};
constexpr HeadingRow kVendorHeading2   = {"",        "",                     "Phone No. 2", "Terr.", "Vendor", "",      "",     "",         "",      "",       ""};
constexpr HeadingRow kVendorHeading3   = {"Account", "Name/Contact/Address", "Fax No.",     "",      "Type",   "Disc.", "Days", "Due Days", "Type",  "Limit",  "Balance"};
// clang-format on

// Columns whose values are right-aligned carry their captions the same way.
constexpr int kAccountWidth[kAccountCount] = {10, 40, 14, 5, 5, 4, 4, 8, 7, 11, 12};
constexpr bool kRightAligned[kAccountCount] = {false, false, false, false, false, false, true, true, false, true, true};

// --- The run -------------------------------------------------------------------------------

class DirectoryRun {
 public:
  explicit DirectoryRun(int menuId);
  DirectoryRun(const DirectoryRun&) = delete;
  DirectoryRun& operator=(const DirectoryRun&) = delete;

  int Run(const char* parameterText);

 private:
  bool Customers() const { return menuId_ == kMenuCustomerDirectory; }
  int AccountFile() const { return Customers() ? records::kFileCustomers : records::kFileVendors; }
  int AddressFile() const { return Customers() ? records::kFileCustomerAddresses : records::kFileVendorAddresses; }

  bool Prepare(const char* parameterText);
  void Body();
  void BuildLayouts();
  void PrintAccounts();

  bool ReadTerms(records::TermsRecord* terms);
  void SetAccountColumns(const records::TermsRecord* terms);
  void SetAccountLinks();
  std::vector<std::array<std::string, kMoreCount>> MoreRows() const;
  void WriteAccount();
  // 0 when every alternate address was printed; 27 after a user break;
  // another status after the error box.
  int WriteAlternateAddresses();
  void WriteMoreRow(const std::array<std::string, kMoreCount>& row, const TagDrillDownInfo* codeLink);
  void WriteSubtotal();
  void WriteTotal();
  void PageHeading();
  // A new page with its heading when `lines` more lines do not fit (or no
  // page has been started yet).
  void MakeRoom(int lines);

  const int menuId_;
  CustVendReportParams params_{};
  records::CustVendRecord record_{};
  char keyBuffer_[255] = {};

  // Released in the reverse order: the report, the index, the files, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  BtrvHandle addresses_ = 0, terms_ = 0;
  CustVendIndexGuard indexGuard_{&params_};
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  bool pageStarted_ = false;
  bool termsErrorShown_ = false;

  // Counters: the report's and the current group's accounts and balance (cents).
  int accounts_ = 0, groupAccounts_ = 0;
  std::int64_t balanceCents_ = 0, groupCents_ = 0;
  std::string groupText_;

  // Layouts.
  std::array<TagReportColumn, kAccountCount + 1> heading1_{}, heading2_{}, heading3_{};
  std::array<TagReportColumn, kAccountCount + 1> account_{};
  std::array<TagReportColumn, kMoreCount + 1> more_{};
  std::array<TagReportColumn, kTotalColumns + 1> total_{};

  // The values the layouts point at.
  char code_[11] = {}, name_[41] = {}, phone_[16] = {}, department_[6] = {}, sales_[6] = {};
  char termsText_[5] = {}, discountDays_[8] = {}, dueDays_[12] = {};
  char accountType_[8] = {};
  double creditLimit_ = 0, balance_ = 0;
  char moreCode_[11] = {}, moreText_[42] = {}, morePhone_[16] = {};
  char totalCaption_[48] = {};
  std::int32_t totalCount_ = 0;
  double totalBalance_ = 0;

  // Drill-down descriptors, rewritten before each account.
  TagDrillDownInfo accountLink_ = MakeDrillDown(kDrillOpenScreen, kCommandCustomer);
  TagDrillDownInfo glLink_ = MakeDrillDown(kDrillOpenScreen, kCommandGLAccount);
  TagDrillDownInfo historyLink_ = MakeDrillDown(kDrillRunReport, kCommandPurchaseHistory);
  TagDrillDownInfo agingLink_ = MakeDrillDown(kDrillRunReport, kMenuCustomerAging);
};

DirectoryRun::DirectoryRun(int menuId)
    : menuId_(menuId == kMenuVendorDirectory ? kMenuVendorDirectory : kMenuCustomerDirectory) {
  params_.keyBuffer = keyBuffer_;
  params_.record = &record_;
  params_.window = &window_;
  accountLink_.commandId = static_cast<std::uint16_t>(Customers() ? kCommandCustomer : kCommandVendor);
  agingLink_.commandId = static_cast<std::uint16_t>(Customers() ? kMenuCustomerAging : kMenuVendorAging);
}

int DirectoryRun::Run(const char* parameterText) {
  if (!Prepare(parameterText)) return 0;
  Body();
  // The report is delivered (the preview shown, the file written) before
  // the index, the files and the window are let go.
  reportGuard_.Close();
  return 0;
}

// Defaults, the preset over them, and the ranges it names.
bool DirectoryRun::Prepare(const char* parameterText) {
  return PrepareCustVendParams(menuId_, Customers() ? 0 : 1, parameterText, &params_);
}

void DirectoryRun::Body() {
  // Only the files of this run: a customer directory does not depend on the
  // vendor files, nor the other way round.
  if (FileSetOpen(&files_, AccountFile(), AddressFile(), records::kFileTerms, records::kFileSalespersons) !=
      kStatusOk)
    return;
  params_.fileHandle = files_.handle[0];
  params_.fileId = static_cast<std::int16_t>(AccountFile());
  addresses_ = files_.handle[1];
  terms_ = files_.handle[2];
  params_.lookupHandle = files_.handle[3];

  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", kReportId);
  if (IsScreenOutput(params_.input)) {
    const char* title = Customers() ? " Customer Directory " : " Vendor Directory ";
    if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', title) != 0) return;
    if (CustVendParamScreen(&params_) != 0) return;
  }
  // Nothing selected: message 197 has been shown.
  if (CustVendRunStart(&params_) != kStatusOk) return;

  if (SetReportDestination(&params_, &info_) != 0) return;
  if (!ReportOpen(&info_, kReportTitle)) return;
  OfferSavedRun(&info_, menuId_, &window_,
                [this](CReportParamString* text) { return WriteCustVendSavedRun(&params_, false, text); },
                [this] { return CustVendSelectionWords(&params_, false); });
  BuildLayouts();
  PrintAccounts();
}

void DirectoryRun::BuildLayouts() {
  const HeadingRow& row2 = Customers() ? kCustomerHeading2 : kVendorHeading2;
  const HeadingRow& row3 = Customers() ? kCustomerHeading3 : kVendorHeading3;
  for (int i = 0; i < kAccountCount; ++i) {
    const auto s = static_cast<std::size_t>(i);
    const std::int32_t align = kRightAligned[i] ? kAlignRight : kAlignLeft;
    heading1_[s] = Heading(kHeading1[s], kAccountX[i], align, kAccountWidth[i]);
    heading2_[s] = Heading(row2[s], kAccountX[i], align, kAccountWidth[i]);
    heading3_[s] = Heading(row3[s], kAccountX[i], align, kAccountWidth[i]);
  }
  // "Terms" stands over the three columns of the terms.
  heading1_[kTermsText].width = 0;

  account_[kCode] = MakeColumn(kColumnText, "%-10.10s", kAccountX[kCode], code_);
  account_[kName] = MakeColumn(kColumnText, "%-40.40s", kAccountX[kName], name_);
  account_[kPhone] = MakeColumn(kColumnText, "%-14.14s", kAccountX[kPhone], phone_);
  account_[kDepartment] = MakeColumn(kColumnText, "%-5.5s", kAccountX[kDepartment], department_);
  account_[kSales] = MakeColumn(kColumnText, "%-5.5s", kAccountX[kSales], sales_);
  account_[kTermsText] = MakeColumn(kColumnText, "%-4.4s", kAccountX[kTermsText], termsText_);
  account_[kDiscountDays] = MakeColumn(kColumnText, "%4.4s", kAccountX[kDiscountDays], discountDays_);
  account_[kDueDays] = MakeColumn(kColumnText, "%8.8s", kAccountX[kDueDays], dueDays_);
  account_[kAccountType] = MakeColumn(kColumnText, "%-7.7s", kAccountX[kAccountType], accountType_);
  account_[kCreditLimit] = MakeColumn(kColumnAmount, "%11.2f", kAccountX[kCreditLimit], &creditLimit_);
  account_[kBalance] = MakeColumn(kColumnAmount, "%12.2f", kAccountX[kBalance], &balance_);

  more_[kMoreCode] = MakeColumn(kColumnText, "%-10.10s", kAccountX[kCode], moreCode_);
  more_[kMoreText] = MakeColumn(kColumnText, "%-40.40s", kAccountX[kName], moreText_);
  more_[kMorePhone] = MakeColumn(kColumnText, "%-14.14s", kAccountX[kPhone], morePhone_);

  total_[kTotalCaption] = MakeColumn(kColumnText, "%-30.30s", 1, totalCaption_);
  total_[kTotalCount] = MakeColumn(kColumnLong, "%6d", 32, &totalCount_);
  total_[kTotalBalance] = MakeColumn(kColumnAmount, "%12.2f", kAccountX[kBalance], &totalBalance_);
}

// --- The walk ------------------------------------------------------------------------------

void DirectoryRun::PrintAccounts() {
  const int sortField = params_.sortRange.fieldId;
  const bool grouped = IsDirectoryGroupField(sortField);
  bool stopped = false, failed = false;
  int status = kStatusOk;
  while (status == kStatusOk) {
    int key = 0;
    if (ReportCheckUserBreak(&info_, &key)) {
      stopped = true;
      break;
    }
    int pastEnd = 0;
    const bool selected = CustVendMatchesSelection(&params_, &pastEnd);
    if (pastEnd) break;
    if (selected) {
      records::TermsRecord terms{};
      const bool hasTerms = ReadTerms(&terms);
      SetAccountColumns(hasTerms ? &terms : nullptr);
      const std::int64_t cents = AmountCents(record_.balance);
      ++accounts_;
      balanceCents_ += cents;
      if (grouped) {
        // Only printed accounts open a group: an account read but not
        // selected never ends the group before it.
        const std::string group = DirectoryGroupText(record_, sortField);
        if (groupAccounts_ > 0 && oem::CompareText(group, groupText_) != 0) WriteSubtotal();
        if (groupAccounts_ == 0) groupText_ = group;
        ++groupAccounts_;
        groupCents_ += cents;
      }
      WriteAccount();
      const int addresses = WriteAlternateAddresses();
      if (addresses == 27) {
        stopped = true;
        break;
      }
      if (addresses != kStatusOk) {
        failed = true;
        break;
      }
    }
    status = CustVendReadNext(&params_);
    if (status != kStatusOk && status != kStatusEndOfFile) failed = true;
  }
  if (failed) {
    EndIncompleteReport(&info_);
    return;
  }
  if (stopped) {
    ReportNewPage(&info_);
    return;
  }
  if (accounts_ == 0) {
    MsgShow(kMsgNothingSelected, 1);
    info_.discard = 1;
    return;
  }
  if (grouped && groupAccounts_ > 0) WriteSubtotal();
  WriteTotal();
  ReportNewPage(&info_);
  CommandDone();
}

// The account's terms: false when it names none, or none is on file (and
// after the error box, shown once a run, when the terms cannot be read).
bool DirectoryRun::ReadTerms(records::TermsRecord* terms) {
  const std::string code = TrimField(record_.termsCode);
  if (code.empty()) return false;
  char key[255] = {};
  std::memcpy(key, code.data(), code.size());
  const int status = BtrvGetOp(kOpGetEqual, terms_, key, terms, sizeof *terms);
  if (status == kStatusOk) return true;
  if (status != kStatusKeyNotFound && !termsErrorShown_) {
    termsErrorShown_ = true;
    MsgRecordError(status, 1, kOpGetEqual, records::kFileTerms, 0);
  }
  return false;
}

void DirectoryRun::SetAccountColumns(const records::TermsRecord* terms) {
  const records::CustVendRecord& r = record_;
  SetRowText(code_, TrimField(r.code));
  SetRowText(name_, TrimField(r.name));
  SetRowText(phone_, PhoneOf(r.phone1));
  SetRowText(department_, Customers() ? TrimField(r.department) : TrimField(r.territory));
  SetRowText(sales_, Customers() ? TrimField(r.salesperson) : TrimField(r.vendorType));
  SetRowText(accountType_, AccountTypeText(r));
  creditLimit_ = r.creditLimit;
  balance_ = r.balance;
  termsText_[0] = discountDays_[0] = dueDays_[0] = '\0';
  if (terms != nullptr) {
    SetRowText(termsText_, TrimField(terms->termsText));
    // Under terms of type 'D' a count of 99 is the last day of the month.
    auto days = [&](int count, char* out, std::size_t size) {
      if (count == kLastDayCount && terms->type == 'D') {
        std::snprintf(out, size, "Last");
      } else {
        std::snprintf(out, size, "%d", count);
      }
    };
    days(terms->discountDays, discountDays_, sizeof discountDays_);
    days(terms->dueDays, dueDays_, sizeof dueDays_);
  }
}

// The texts under the account line: its G/L account with the address lines
// after the name and the second phone; the fax; the rest of the address; the
// contact.  Rows without any text are left out.
std::vector<std::array<std::string, kMoreCount>> DirectoryRun::MoreRows() const {
  const records::CustVendRecord& r = record_;
  const std::vector<std::string> lines = AddressLines(r);
  std::vector<std::array<std::string, kMoreCount>> rows;
  std::size_t next = 0;
  auto nextLine = [&]() { return next < lines.size() ? lines[next++] : std::string(); };
  rows.push_back({TrimField(r.glAccount), nextLine(), PhoneOf(r.phone2)});
  rows.push_back({std::string(), nextLine(), PhoneOf(r.fax)});
  while (next < lines.size()) rows.push_back({std::string(), nextLine(), std::string()});
  const std::string contact = TrimField(r.contact);
  if (!contact.empty()) rows.push_back({std::string(), contact, std::string()});
  std::vector<std::array<std::string, kMoreCount>> kept;
  for (auto& row : rows)
    if (!row[kMoreCode].empty() || !row[kMoreText].empty() || !row[kMorePhone].empty()) kept.push_back(row);
  return kept;
}

void DirectoryRun::SetAccountLinks() {
  ClearLinks(account_.data());
  if (!info_.links) return;
  const std::string code = TrimField(record_.code);
  CReportParamString account(accountLink_.params, kLinkParamCapacity);
  const bool accountLinked = account.WriteParam("cdno", code, true);
  if (accountLinked) LinkColumns(account_.data(), {kCode}, &accountLink_);
  // A customer's name opens its purchase history; a vendor's its screen.
  if (Customers()) {
    CReportParamString history(historyLink_.params, kLinkParamCapacity);
    DrillDownSetTitle(&historyLink_, ("Purchase history of customer " + code).c_str());
    if (history.WriteParam("cdno", code, true)) LinkColumns(account_.data(), {kName}, &historyLink_);
  } else if (accountLinked) {
    LinkColumns(account_.data(), {kName}, &accountLink_);
  }
  // The balance opens the detail aging of this one account.
  CReportParamString aging(agingLink_.params, kLinkParamCapacity);
  DrillDownSetTitle(&agingLink_, ((Customers() ? "Aging of customer " : "Aging of vendor ") + code).c_str());
  if (aging.WriteParam("input", "default", true) && aging.WriteParam("cvbeg", code, false) &&
      aging.WriteParam("cvend", code, false))
    LinkColumns(account_.data(), {kBalance}, &agingLink_);
  CReportParamString gl(glLink_.params, kLinkParamCapacity);
  if (!gl.WriteParam("cdno", TrimField(record_.glAccount), true)) glLink_.params[0] = '\0';
}

void DirectoryRun::WriteAccount() {
  const auto rows = MoreRows();
  // The account's lines stay together on one page, with the empty line after them.
  MakeRoom(1 + static_cast<int>(rows.size()) + 1);
  SetAccountLinks();
  account_[kPhone].hidden = phone_[0] == '\0' ? 1 : 0;
  ReportWriteColumns(&info_, account_.data(), 1);
  account_[kPhone].hidden = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const bool glRow = i == 0 && !rows[i][kMoreCode].empty();
    WriteMoreRow(rows[i], glRow && info_.links && glLink_.params[0] ? &glLink_ : nullptr);
  }
  ReportSkipLines(&info_, 1);
}

void DirectoryRun::WriteMoreRow(const std::array<std::string, kMoreCount>& row, const TagDrillDownInfo* codeLink) {
  SetRowText(moreCode_, row[kMoreCode]);
  SetRowText(moreText_, row[kMoreText]);
  SetRowText(morePhone_, row[kMorePhone]);
  ClearLinks(more_.data());
  if (codeLink) LinkColumns(more_.data(), {kMoreCode}, codeLink);
  ReportWriteColumns(&info_, more_.data(), 1);
}

int DirectoryRun::WriteAlternateAddresses() {
  const std::string code = TrimField(record_.code);
  char key[255] = {};
  std::memcpy(key, record_.code, sizeof record_.code);
  records::AlternateAddress address{};
  int op = kOpGetGreaterOrEqual;
  for (;; op = kOpGetNext) {
    const int status = BtrvGetOp(op, addresses_, key, &address, sizeof address);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusOk;
    if (status != kStatusOk) return MsgRecordError(status, 1, op, AddressFile(), 0);
    // The first address of another account ends this one's.
    if (oem::CompareText(TrimField(address.code), code) != 0) return kStatusOk;
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) return 27;

    std::vector<std::array<std::string, kMoreCount>> rows;
    for (int i = 0; i < 4; ++i) {
      std::string phone = i < 3 ? PhoneOf(address.phones[i]) : std::string();
      std::string line = TrimField(address.addressLines[i]);
      if (!line.empty() || !phone.empty()) rows.push_back({std::string(), std::move(line), std::move(phone)});
    }
    if (rows.empty()) continue;
    MakeRoom(1 + static_cast<int>(rows.size()) + 1);
    WriteMoreRow({std::string(), "Alternate Address", std::string()}, nullptr);
    for (const auto& row : rows) WriteMoreRow(row, nullptr);
    ReportSkipLines(&info_, 1);
  }
}

void DirectoryRun::WriteSubtotal() {
  MakeRoom(2);
  std::string group = groupText_;
  if (params_.sortRange.fieldId == kCvFieldZipCode) group = ZipCodeText(group);
  // The accounts that hold no value of the field form a group too.
  if (group.empty()) group = "(none)";
  std::snprintf(totalCaption_, sizeof totalCaption_, "%s %s:", "Subtotal", group.c_str());
  totalCount_ = groupAccounts_;
  totalBalance_ = static_cast<double>(groupCents_) / 100.0;
  ReportWriteColumns(&info_, total_.data(), 2);
  groupAccounts_ = 0;
  groupCents_ = 0;
}

void DirectoryRun::WriteTotal() {
  MakeRoom(1);
  std::snprintf(totalCaption_, sizeof totalCaption_, "%s", Customers() ? "Total Customers: " : "Total Vendors: ");
  totalCount_ = accounts_;
  totalBalance_ = static_cast<double>(balanceCents_) / 100.0;
  ReportWriteColumns(&info_, total_.data(), 1);
}

// --- Pages ---------------------------------------------------------------------------------

void DirectoryRun::MakeRoom(int lines) {
  if (!pageStarted_ || ReportPageFull(&info_, lines)) PageHeading();
}

void DirectoryRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, account_.data(), 2);
  ReportPageStart(&info_, 0, 1);
  const TagRepFont font = info_.font;
  ReportBlockBegin(&info_, kFontTitle);
  ReportWriteText(&info_, Customers() ? "Customer Directory" : "Vendor Directory", kReportCentred, 1);
  ReportBlockEnd(&info_);
  ReportBlockBegin(&info_, kFontHeading);
  WriteSortRankLines(&info_, params_.sortRange.caption, params_.rankRange.caption, kReportCentred);
  ReportBlockEnd(&info_);
  ReportSkipLines(&info_, 1);
  ReportBlockBegin(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, heading1_.data(), 1);
  ReportWriteColumns(&info_, heading2_.data(), 1);
  ReportWriteColumns(&info_, heading3_.data(), 1);
  ReportBlockEnd(&info_);
  ReportWriteRule(&info_, account_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount);
  pageStarted_ = true;
}

}  // namespace

int RunCustVendDirectory(int commandId, const char* parameterText) {
  try {
    DirectoryRun run(commandId);
    return run.Run(parameterText);
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
