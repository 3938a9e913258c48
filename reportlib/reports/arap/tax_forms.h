// What the 1099 forms (command 348) and the 1096 summary (command 375)
// share: their files, the company record that gives the payer, and the
// runs that print onto preprinted form stock.
//
// A form run prints pages exactly as written (nothing added by the
// writer: no heading, no footer) at 10 characters and 6 lines an inch, each
// text at the line and column where the stock has its box.  Its alignment
// test is a run of its own, straight to the printer with the printer
// settings the writer hands over, of blank forms.
#pragma once

#include <string>

#include "btrvc.h"
#include "qxabase/files.h"
#include "qxabase/report.h"
#include "records/settings.h"

namespace taxforms {

// Files 66 vendors, 29 settings, 63 vendor 1099 amounts and 84 1099 batches,
// opened as one set in that order.
struct TaxFormFiles {
  FileSet set;
  BtrvHandle vendors = 0, settings = 0, amounts = 0, batches = 0;
  // 0 when every file is open; the set's status otherwise (the error box
  // has been shown).
  int Open();
};

// Reads the company record "0Company" through the settings handle (get
// equal).  Returns 0, or the status after the record-manager error box.
int ReadCompanyRecord(records::CompanyRecord* company, BtrvHandle settings);

// The margins of a form run, in hundredths of an inch.
struct FormMargins {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Sets a zeroed run up for form stock: a form page of 80 columns at 6 lines
// an inch with the given margins, shown in the preview (the user prints it
// from there), with `alignment` (context `context`) as its alignment test.
void SetUpFormRun(TagRepInfo* info, const FormMargins& margins, ReportAlignmentCallback alignment, void* context);

// Sets a zeroed run up for the sample forms of an alignment test: a form
// run as above, marked as a sample, straight to the printer of `settings`
// with its title.
void SetUpAlignmentRun(TagRepInfo* info, const FormMargins& margins, const TagPrinterSettings* settings);

// One line of a form: up to five texts, each at its print column, written
// together with one ReportWriteColumns and one line feed.
class FormLine {
 public:
  explicit FormLine(TagRepInfo* info) : info_(info) {}
  // `text` by `format` ("%-31.31s") at column x.
  FormLine& Text(int x, const char* format, const std::string& text);
  // `amount` by `format` ("%11.2f") at column x, against the right of its field.
  FormLine& Amount(int x, const char* format, double amount);
  // An empty amount box: "0.00" ending in the box's last column.
  FormLine& Zero(int x) { return Text(x, "%11s", "      0.00"); }
  void Write();

 private:
  static constexpr int kCells = 5;
  TagRepInfo* info_;
  int used_ = 0;
  TagReportColumn columns_[kCells + 1] = {};
  char texts_[kCells][160] = {};
  double amounts_[kCells] = {};
};

}  // namespace taxforms
