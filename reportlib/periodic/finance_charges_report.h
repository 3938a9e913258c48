// The "Finance Charges" report: a line per charged invoice (the customer,
// the invoice, its dates, its balance, the charge and the new balance), a
// total line per customer and the run's grand total, on pages of 136
// columns with the title and the column headings on each.
#pragma once

#include <cstdint>

#include "qxabase/report.h"
#include "records/masters.h"
#include "report_frame.h"

class FinanceChargeReport {
 public:
  // `texts`: screen text block 208 (0 the title, 2 and 3 the captions of
  // the customer and grand total lines, 5 the line of a stopped run).
  explicit FinanceChargeReport(const char* const* texts);

  // Opens the run to the preview.  False when it could not be opened.
  bool Open();
  // A charged invoice: `previous` is its balance, `charge` its charge (in
  // cents); the new balance is their sum.
  void Detail(const records::CustVendRecord& customer, const char* invoice, std::int32_t invoiceDate,
              std::int32_t dueDate, std::int64_t previous, std::int64_t charge);
  // A customer's total line and the grand total line (in cents).
  void CustomerTotal(std::int64_t previous, std::int64_t charges);
  void GrandTotal(std::int64_t previous, std::int64_t charges);
  // The line that ends a report whose run was stopped: nothing was charged.
  void Stopped();
  // Drops the run (nothing was charged) and closes it.
  void Discard();
  // Closes the run: the preview shows it.
  void Close();

 private:
  void BeforeLine(int lines);
  void Totals(int caption, char rule, std::int64_t previous, std::int64_t charges);

  const char* const* texts_;
  TagRepInfo info_{};
  ReportRunGuard guard_{&info_};
  bool pageStarted_ = false;
  TagReportColumn headings_[9] = {};
  TagReportColumn detail_[9] = {};
  TagReportColumn totals_[4] = {};
  char code_[11] = {};
  char name_[41] = {};
  char invoice_[16] = {};
  std::int32_t invoiceDate_ = 0;
  std::int32_t dueDate_ = 0;
  double previous_ = 0, charge_ = 0, balance_ = 0;
};
