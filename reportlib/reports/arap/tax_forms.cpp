// The pieces the 1099 forms and the 1096 summary share.
#include "reports/arap/tax_forms.h"

#include <cstdio>
#include <cstring>

#include "qxabase/messages.h"
#include "records/dictionary.h"
#include "report_frame.h"

namespace taxforms {

namespace {

constexpr int kFormColumns = 80;
constexpr int kFormLinesPerInch = 6;

}  // namespace

int TaxFormFiles::Open() {
  const int status = FileSetOpen(&set, records::kFileVendors, records::kFileSettings, records::kFileVendor1099Amounts,
                                 records::kFile1099Batches);
  if (status != kStatusOk) return status;
  vendors = set.handle[0];
  settings = set.handle[1];
  amounts = set.handle[2];
  batches = set.handle[3];
  return kStatusOk;
}

int ReadCompanyRecord(records::CompanyRecord* company, BtrvHandle settings) {
  char key[255] = {};
  std::snprintf(key, sizeof key, "%-15s", "0Company");
  *company = records::CompanyRecord{};
  const int status = BtrvGetOp(kOpGetEqual, settings, key, company, sizeof *company);
  if (status != kStatusOk) {
    *company = records::CompanyRecord{};
    MsgRecordError(status, 1, kOpGetEqual, records::kFileSettings, 0);
  }
  return status;
}

void SetUpFormRun(TagRepInfo* info, const FormMargins& margins, ReportAlignmentCallback alignment, void* context) {
  info->reportPage = 0;
  info->linesPerInch = kFormLinesPerInch;
  info->lineWidth = kFormColumns;
  info->marginLeft = margins.left;
  info->marginTop = margins.top;
  info->marginRight = margins.right;
  info->marginBottom = margins.bottom;
  info->showProgress = 1;
  info->alignmentCallback = alignment;
  info->alignmentContext = context;
}

void SetUpAlignmentRun(TagRepInfo* info, const FormMargins& margins, const TagPrinterSettings* settings) {
  SetUpFormRun(info, margins, nullptr, nullptr);
  info->destinationGiven = 1;
  info->destination = kDestPrinter;
  info->alignmentSample = kAlignmentSample;
  if (settings) info->printerSettings = *settings;
  // The title of the run the test was asked from (a copy: the writer copies
  // it into the settings it came from).
  const std::string title = info->printerSettings.title[0] ? info->printerSettings.title : "Alignment Test";
  Report1096Title(info, title.c_str(), 0);
}

FormLine& FormLine::Text(int x, const char* format, const std::string& text) {
  if (used_ >= kCells) return *this;
  SetRowText(texts_[used_], text);
  columns_[used_] = MakeColumn(kColumnText, format, x, texts_[used_]);
  ++used_;
  return *this;
}

FormLine& FormLine::Amount(int x, const char* format, double amount) {
  if (used_ >= kCells) return *this;
  amounts_[used_] = amount;
  columns_[used_] = MakeColumn(kColumnAmount, format, x, &amounts_[used_], kAlignRight);
  ++used_;
  return *this;
}

void FormLine::Write() {
  columns_[used_] = TagReportColumn{};
  ReportWriteColumns(info_, columns_, 1);
}

}  // namespace taxforms
