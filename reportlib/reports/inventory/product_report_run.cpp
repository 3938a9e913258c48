// The shared run of the one-screen product reports: screen, walk, groups,
// totals and the close on every way out.
#include "reports/inventory/product_report_run.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "btrvc.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "records/dictionary.h"

namespace {

constexpr const char* kReportId = "RSProdReport";

// The selection window: row 5, column 14, 14 rows by 66 columns.
constexpr int kWindowTop = 5, kWindowLeft = 14, kWindowRows = 14, kWindowCols = 66;

constexpr int kAmountWidth = 10;

enum TotalColumn { kTotalCaption, kTotalCount, kTotalAmount };

}  // namespace

void WriteStackedPageHeading(TagRepInfo* info, const char* title, std::initializer_list<std::string> lines) {
  ReportPageStart(info, 0, 1);
  const TagRepFont font = info->font;
  ReportBlockBegin(info, kFontTitle);
  ReportWriteText(info, title, kReportCentred, 1);
  ReportBlockEnd(info);
  ReportBlockBegin(info, kFontHeading);
  for (const std::string& line : lines) ReportWriteText(info, line.c_str(), kReportCentred, 1);
  ReportBlockEnd(info);
  ReportSkipLines(info, 1);
  ReportSetFont(info, &font);
}

std::string CriterionHeadingLine(const char* verb, const RangeCriterion& c) {
  const std::string from = c.fromEmpty ? "FIRST" : TrimText(c.fromText);
  const std::string to = c.toEmpty ? "LAST" : TrimText(c.toText);
  return std::string(verb) + " by " + TrimText(c.caption) + " From " + from + " To " + to;
}

std::string ProductQuantityText(double stockUnits, int fraction, bool decimal) {
  const int divisor = fraction > 0 ? fraction : 1;
  char text[64] = {};
  if (StrFormatQuantity(text, "%11.4fF", decimal ? 1 : 0, divisor, NumDivide(stockUnits, divisor)) < 0) return "";
  return TrimText(text);
}

void FitProductQuantity(char* out, std::size_t size, double stockUnits, int fraction, int width, bool decimal) {
  const std::string text = ProductQuantityText(stockUnits, fraction, decimal);
  const std::size_t n = std::min(static_cast<std::size_t>(width), size - 1);
  if (text.size() > n) {
    std::memset(out, '*', n);
    out[n] = '\0';
    return;
  }
  std::snprintf(out, size, "%*s", static_cast<int>(n), text.c_str());
}

ProductRunFrame::ProductRunFrame(ProductReportParams& params) : params_(params) {
  params_.keyBuffer = keyBuffer_;
  params_.record = &record_;
  params_.window = &window_;
}

bool ProductRunFrame::Open(const ProductRunSetup& setup) {
  const int opened = setup.secondFile ? FileSetOpen(&files_, records::kFileProducts, setup.secondFile)
                                      : FileSetOpen(&files_, records::kFileProducts);
  if (opened != kStatusOk) return false;
  params_.fileHandle = files_.handle[0];
  params_.fileId = records::kFileProducts;

  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", setup.reportId);
  if (IsScreenOutput(params_.input)) {
    if (WinOpen(&window_, kWindowTop, kWindowLeft, setup.windowRows, kWindowCols, 1, 1, ' ', setup.windowTitle) != 0)
      return false;
    screenResult_ = Selection();
    if (screenResult_ != 0) return false;
  }
  if (ProductRunStart(&params_) != kStatusOk) return false;
  if (SetProductReportDestination(&params_, &info_) != 0) return false;
  info_.lineWidth = setup.lineWidth;
  return ReportOpen(&info_, setup.runTitle) != 0;
}

ProductReportRun::ProductReportRun(const ProductReportKind& kind) : ProductRunFrame(ownParams), kind_(kind) {
  InitProductRanges(kind_.menuId, &params_);
}

int ProductReportRun::Run() {
  const ProductRunSetup setup{kind_.menuId, kReportId, kind_.windowTitle, kWindowRows, kind_.runTitle,
                              kind_.lineWidth, 0};
  // These reports keep no saved run: they always start from their screen.
  if (!Start(setup, [](CReportParamString*) { return false; }, [] { return std::string(); }))
    return ScreenResult() == 27 ? 27 : 0;

  totalLine_[kTotalCaption] = MakeColumn(kColumnText, "%11s", kind_.countX - 12, totalText_);
  totalLine_[kTotalCaption].hidden = 1;  // the caption is written at x 1 before the line
  totalLine_[kTotalCount] = MakeColumn(kColumnLong, "%-8d", kind_.countX, &countValue_);
  totalLine_[kTotalAmount] = MakeColumn(kColumnDouble, "%10.2f", std::max(kind_.amountX, 0), &totalLineAmount_);
  totalLine_[kTotalAmount].hidden = kind_.amountX < 0 ? 1 : 0;
  BuildLayouts();
  const int result = PrintProducts();
  // The report is delivered before the index, the file and the window go.
  reportGuard_.Close();
  return result;
}

// --- The walk ------------------------------------------------------------------------------

int ProductReportRun::PrintProducts() {
  ProductGroups groups(params_.sortRange.fieldId);
  double groupAmount = 0;
  for (;;) {
    int key = 0;
    if (ReportCheckUserBreak(&info_, &key)) return 27;
    int pastEnd = 0;
    const bool selected = ProductPassesSelection(&params_, &pastEnd);
    if (pastEnd) break;
    double amount = 0;
    if (selected && Lists(&amount)) {
      // Only printed products carry a group: a group none of whose
      // products is printed gets no subtotal.
      if (groups.Changes(record_)) {
        WriteSubtotal(groups, groupAmount);
        groups.Restart();
        groupAmount = 0;
      }
      groups.Add(record_);
      groupAmount += amount;
      totalAmount_ += amount;
      ++params_.productCount;
      if (!pageStarted_ || ReportPageFull(&info_, LinesOf() + 1)) PageHeading();
      WriteProduct();
    }
    const int status = ReadNextSelectedProduct(&params_);
    if (status == kStatusEndOfFile) break;
    if (status != kStatusOk) {
      // The error box has been shown; what was printed is marked incomplete
      // and carries no total.
      EndIncompleteReport(&info_);
      return 0;
    }
  }
  if (params_.productCount == 0) {
    MsgShow(kMsgNothingSelected, 1);
    reportGuard_.Discard();
    return 0;
  }
  if (groups.Grouping() && groups.Count() > 0) WriteSubtotal(groups, groupAmount);
  WriteTotal();
  ReportNewPage(&info_);
  CommandDone();
  return 0;
}

// --- Pages -----------------------------------------------------------------------------------

void ProductReportRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, RuleLayout(), 2);
  WritePageHeading(
      &info_,
      [this](TagRepInfo* info) {
        WriteSortRankLines(info, params_.sortRange.caption, params_.rankRange.caption, 1);
      },
      [this](TagRepInfo* info) { ReportWriteText(info, kind_.pageTitle, kReportCentred, 1); }, nullptr);
  HeadingRows([this] { WriteColumnHeadings(); }, RuleLayout());
  pageStarted_ = true;
}

// --- Subtotals and totals ----------------------------------------------------------------------

void ProductReportRun::WriteSubtotal(const ProductGroups& groups, double amount) {
  const std::string value = groups.Value().empty() ? "(none)" : groups.Value();
  const std::string caption = "Subtotal " + value + ":";
  WriteTotalLine(caption.c_str(), groups.Count(), amount, kind_.subtotalSkip);
}

void ProductReportRun::WriteTotal() { WriteTotalLine("Total Products : ", params_.productCount, totalAmount_, 1); }

void ProductReportRun::WriteTotalLine(const char* caption, int count, double amount, int skip) {
  // A total is never the first line of a page: the page's heading comes
  // first, and the line is not split from the skip before it.
  if (!pageStarted_ || ReportPageFull(&info_, 5)) {
    PageHeading();
  } else if (skip > 0) {
    ReportSkipLines(&info_, skip);
  }
  ReportWriteText(&info_, caption, 1, 0);
  countValue_ = count;
  totalLineAmount_ = amount;
  ReportWriteColumns(&info_, totalLine_.data(), 2);
}
