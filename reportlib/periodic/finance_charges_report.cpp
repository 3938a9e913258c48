// The "Finance Charges" report of command 364.
#include "periodic/finance_charges_report.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "records/record_image.h"

namespace {

constexpr int kLineWidth = 136;
constexpr int kTitleText = 0;
constexpr int kCustomerTotalText = 2;
constexpr int kGrandTotalText = 3;
constexpr int kStoppedText = 5;
constexpr int kCaptionX = 13;

constexpr int kColumns = 8;
constexpr int kX[kColumns] = {1, 12, 53, 69, 80, 91, 104, 117};
constexpr const char* kCaptions[kColumns] = {"Cust.#",    "Name",      "Invoice #",   "Inv. Date",
                                             "Due Date",  "Prev. Bal", "Fin. Charge", "Balance"};
constexpr const char* kHeadingFormats[kColumns] = {"%-10s", "%-40s", "%-15s", "%-10s",
                                                   "%-10s", "%-12s", "%-12s", "%-12s"};

double FromCents(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

}  // namespace

FinanceChargeReport::FinanceChargeReport(const char* const* texts) : texts_(texts) {
  for (int i = 0; i < kColumns; ++i) headings_[i] = MakeColumn(kColumnText, kHeadingFormats[i], kX[i], kCaptions[i]);
  detail_[0] = MakeColumn(kColumnText, "%-10s", kX[0], code_);
  detail_[1] = MakeColumn(kColumnText, "%-40s", kX[1], name_);
  detail_[2] = MakeColumn(kColumnText, "%-15s", kX[2], invoice_);
  detail_[3] = MakeColumn(kColumnDate, "%-10s", kX[3], &invoiceDate_);
  detail_[4] = MakeColumn(kColumnDate, "%-10s", kX[4], &dueDate_);
  detail_[5] = MakeColumn(kColumnAmount, "%12.2f", kX[5], &previous_);
  detail_[6] = MakeColumn(kColumnAmount, "%12.2f", kX[6], &charge_);
  detail_[7] = MakeColumn(kColumnAmount, "%12.2f", kX[7], &balance_);
  totals_[0] = detail_[5];
  totals_[1] = detail_[6];
  totals_[2] = detail_[7];
}

bool FinanceChargeReport::Open() {
  SetReportDestination("", &info_);
  info_.lineWidth = kLineWidth;
  return ReportOpen(&info_, texts_[kTitleText]) != 0;
}

// A page heading before the first line and whenever the page is full.
void FinanceChargeReport::BeforeLine(int lines) {
  if (pageStarted_ && !ReportPageFull(&info_, lines)) return;
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, detail_, 2);
  WritePageHeading(
      &info_, [](TagRepInfo*) {},
      [&](TagRepInfo* info) { ReportWriteText(info, texts_[kTitleText], kReportCentred, 1); }, headings_);
  if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount);
  pageStarted_ = true;
}

void FinanceChargeReport::Detail(const records::CustVendRecord& customer, const char* invoice,
                                 std::int32_t invoiceDate, std::int32_t dueDate, std::int64_t previous,
                                 std::int64_t charge) {
  SetRowText(code_, records::Trimmed(customer.code));
  SetRowText(name_, records::Trimmed(customer.name));
  SetRowText(invoice_, std::string(invoice, strnlen(invoice, 11)));
  invoiceDate_ = invoiceDate;
  dueDate_ = dueDate;
  previous_ = FromCents(previous);
  charge_ = FromCents(charge);
  balance_ = FromCents(previous + charge);
  BeforeLine(1);
  ReportWriteColumns(&info_, detail_, 1);
}

// A rule over the three amounts, then the caption and the amounts.
void FinanceChargeReport::Totals(int caption, char rule, std::int64_t previous, std::int64_t charges) {
  previous_ = FromCents(previous);
  charge_ = FromCents(charges);
  balance_ = FromCents(previous + charges);
  BeforeLine(3);
  ReportWriteRule(&info_, totals_, 1, rule);
  ReportWriteText(&info_, texts_[caption], kCaptionX, 0);
  ReportWriteColumns(&info_, totals_, 2);
}

void FinanceChargeReport::CustomerTotal(std::int64_t previous, std::int64_t charges) {
  Totals(kCustomerTotalText, '-', previous, charges);
}

void FinanceChargeReport::GrandTotal(std::int64_t previous, std::int64_t charges) {
  Totals(kGrandTotalText, '=', previous, charges);
}

void FinanceChargeReport::Stopped() {
  BeforeLine(2);
  ReportSkipLines(&info_, 1);
  ReportWriteText(&info_, texts_[kStoppedText], kX[0], 1);
}

void FinanceChargeReport::Discard() {
  guard_.Discard();
  guard_.Close();
}

void FinanceChargeReport::Close() { guard_.Close(); }
