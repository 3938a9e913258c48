// The customer balance listing of the report-writer tests.
#include "sample_report.h"

#include <cstdio>
#include <cstring>

#include "ravadodo/text.h"

namespace sample {

namespace {

// The record a row is bound to, as a report unit binds its record buffer.
struct Row {
  char code[11];
  char name[41];
  char phone[15];
  int lastSale;
  double balance;
};

Row gRow;
double gTotal;
const char* const kTotalCaption = "Total of all customers";

TagDrillDownInfo gScreenLink{kDrillOpenScreen, 1, kCustomerScreen, {}, {}};
TagDrillDownInfo gHistoryLink{kDrillRunReport, 1, kPurchaseHistory, {}, {}};
TagDrillDownInfo gAgingLink{kDrillRunReport, 1, kAgingReport, {}, {}};
TagSavedRunInfo gSavedRun{kDrillRunReport, 1, kAgingReport, {}, {}};

TagReportColumn Col(ReportColumnKind kind, const char* format, int x, const void* value,
                    int align = kAlignAsFormatted) {
  TagReportColumn c;
  c.kind = kind;
  std::snprintf(c.format, sizeof c.format, "%s", format);
  c.x = static_cast<std::uint16_t>(x);
  c.value = value;
  c.align = align;
  return c;
}

//                    kind         format    x   value
TagReportColumn gHeading[] = {
    Col(kColumnText, "%-10s", 0, "Code"),
    Col(kColumnText, "%-30s", 11, "Name"),
    Col(kColumnText, "%-14s", 42, "Phone"),
    Col(kColumnText, "%-8s", 57, "Last Sale"),
    Col(kColumnText, "%12s", 67, "Balance", kAlignRight),
    TagReportColumn{},
};

TagReportColumn gDetail[] = {
    Col(kColumnText, "%-10s", 0, gRow.code),
    Col(kColumnText, "%-30.30s", 11, gRow.name),
    Col(kColumnText, "%-14s", 42, gRow.phone),
    Col(kColumnDate, "%8s", 57, &gRow.lastSale),
    Col(kColumnAmount, "%12.2f", 67, &gRow.balance, kAlignRight),
    TagReportColumn{},
};

TagReportColumn gTotals[] = {
    Col(kColumnText, "%-30s", 11, kTotalCaption),
    Col(kColumnAmount, "%12.2f", 67, &gTotal, kAlignRight),
    TagReportColumn{},
};

void PageHeading(TagRepInfo* info) {
  if (ReportColumnsActive(info)) ReportSetColumnLayout(info, gDetail, 2);
  ReportPageStart(info, 0, 1);
  const TagRepFont kept = info->font;
  const int start = info->lineCount;

  ReportBlockBegin(info, kFontHeading);
  ReportWriteText(info, "Sorted by: Customer Code", 1, 1);
  char asOf[32];
  char date[16];
  std::snprintf(asOf, sizeof asOf, "As of: %s", DateToText(date, DateMake(2025, 3, 15)));
  ReportWriteText(info, asOf, 1, 0);
  ReportWriteText(info, "Codes: * Not Posted", 60, 1);
  const int headingLines = ReportBlockEnd(info);

  // The title stands beside the heading, not under it.
  info->lineCount = start;
  ReportBlockBegin(info, kFontTitle);
  ReportWriteText(info, "CUSTOMER BALANCES", -4, 1);
  const int titleLines = ReportBlockEnd(info);
  info->lineCount = start + 1 + (headingLines > titleLines ? headingLines : titleLines);

  ReportBlockBegin(info, kFontColumnHeading);
  ReportWriteColumns(info, gHeading, 1);
  ReportBlockEnd(info);
  ReportWriteRule(info, gHeading, 1, '-');
  ReportSetFont(info, &kept);
  if (ReportColumnsActive(info)) ReportSetHeadingEnd(info, info->lineCount);
}

void SetLinks() {
  for (TagReportColumn* c = gDetail; c->kind; ++c) c->link = nullptr;
  std::snprintf(gScreenLink.params, sizeof gScreenLink.params, "cdno='%s'", gRow.code);
  std::snprintf(gHistoryLink.params, sizeof gHistoryLink.params, "input='default' cdno='%s'", gRow.code);
  std::snprintf(gAgingLink.params, sizeof gAgingLink.params, "input='default' cvbeg='%s' cvend='%s'", gRow.code,
                gRow.code);
  gDetail[0].link = &gScreenLink;
  gDetail[1].link = &gHistoryLink;
  gDetail[4].link = &gAgingLink;
}

}  // namespace

const std::vector<Customer>& Customers() {
  static const std::vector<Customer> customers = {
      {"ACME", "Acme Supply Co", "(555) 0101234", DateMake(2025, 2, 28), 1250.00},
      {"BAKER", "Baker Brothers Bakery", "(555) 0104455", DateMake(2025, 3, 3), 310.45},
      {"CAFE", "Caf\x82 Z\x81rich", "", 0, 0.00},
      {"DELTA", "Delta Freight Lines", "(555) 0107788", DateMake(2024, 12, 19), -75.20},
      {"OBRIEN", "O'Brien & Sons <Wholesale>", "(555) 0109911", DateMake(2025, 1, 7), 4890.10},
      {"PIONEER", "Pioneer Hardware", "(555) 0102020", DateMake(2025, 3, 14), 1.05},
      {"QUILL", "Quill & Ink \"Stationers\"", "(555) 0103030", DateMake(2025, 2, 2), 642.00},
      {"ZENITH", "Zenith Garden Centre", "(555) 0104040", DateMake(2025, 3, 10), 12000.99},
  };
  return customers;
}

int WriteCustomerBalances(TagRepInfo* info, BeforeRow beforeRow) {
  gTotal = 0;
  int lastKey = 0;
  const std::vector<Customer>& customers = Customers();
  for (int i = 0; i < static_cast<int>(customers.size()); ++i) {
    if (beforeRow) beforeRow(i);
    if (ReportCheckUserBreak(info, &lastKey)) return 27;
    const Customer& c = customers[static_cast<std::size_t>(i)];
    std::snprintf(gRow.code, sizeof gRow.code, "%s", c.code);
    std::snprintf(gRow.name, sizeof gRow.name, "%s", c.name);
    std::snprintf(gRow.phone, sizeof gRow.phone, "%s", c.phone);
    gRow.lastSale = c.lastSale;
    gRow.balance = c.balance;
    if (i == 0 || info->lineCount + 1 >= info->pageLength) {
      if (i > 0) ReportNewPage(info);
      PageHeading(info);
    }
    if (info->links) SetLinks();
    gDetail[3].hidden = c.lastSale == 0 ? 1 : 0;
    ReportWriteColumns(info, gDetail, 1);
    gTotal += c.balance;
  }
  if (info->lineCount + 3 >= info->pageLength) {
    ReportNewPage(info);
    PageHeading(info);
  }
  gTotals[0].hidden = 1;
  ReportWriteRule(info, gTotals, 1, '=');
  gTotals[0].hidden = 0;
  ReportWriteColumns(info, gTotals, 2);
  ReportNewPage(info);
  return 0;
}

int OpenCustomerBalances(TagRepInfo* info, int destination, const char* path, BeforeRow beforeRow) {
  *info = TagRepInfo{};
  info->reportPage = 1;
  info->showProgress = 1;
  info->pageLength = 12;
  if (destination != kDestPreview || path) {
    info->destinationGiven = 1;
    info->quiet = 1;
    info->destination = static_cast<std::uint8_t>(destination);
    if (path) std::snprintf(info->filePath, sizeof info->filePath, "%s", path);
  }
  if (!ReportOpen(info, "Customer Balances")) return 0;
  if (ReportTestMode(info, 4)) {
    std::snprintf(gSavedRun.params, sizeof gSavedRun.params,
                  "input='usersel' sortfld='Customer Code' closedate='03/15/25' output='' type='0'");
    ReportWriteSelParams(info, &gSavedRun);
  }
  WriteCustomerBalances(info, beforeRow);
  return 1;
}

}  // namespace sample
