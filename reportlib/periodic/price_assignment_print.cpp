// The "Price Assignments" print: column headings and a rule on each page,
// then a line per product.
#include "periodic/price_assignment_print.h"

#include <array>
#include <cstdio>
#include <string>

#include "qxabase/report.h"
#include "report_frame.h"

namespace {

constexpr const char* kTitle = "Price Assignments";
constexpr int kLineWidth = 136;
constexpr int kColumns = 7;

class PricePrint {
 public:
  int Run(const std::vector<PriceAssignmentLine>& lines, bool complete) {
    SetReportDestination("", &info_);
    info_.lineWidth = kLineWidth;
    if (!ReportOpen(&info_, kTitle)) return 1;
    BuildLayouts();
    bool pageStarted = false;
    for (const PriceAssignmentLine& line : lines) {
      int key = 0;
      if (ReportCheckUserBreak(&info_, &key)) return 0;
      Fill(line);
      if (!pageStarted || ReportPageFull(&info_, 1)) {
        PageHeading();
        pageStarted = true;
      }
      ReportWriteColumns(&info_, line_.data(), 1);
    }
    if (!complete) EndIncompleteReport(&info_);
    guard_.Close();
    return 0;
  }

 private:
  void BuildLayouts() {
    constexpr int x[kColumns] = {1, 27, 68, 84, 100, 105, 121};
    constexpr const char* captions[kColumns] = {"Product Code", "Description", "Last Cost", "Current Price",
                                                "Sign",         "% or $",      "New Price"};
    constexpr const char* headingFormats[kColumns] = {"%-25s", "%-40s", "%-15s", "%-15s", "%-4s", "%-15s", "%-15s"};
    for (int i = 0; i < kColumns; ++i)
      headings_[static_cast<std::size_t>(i)] = MakeColumn(kColumnText, headingFormats[i], x[i], captions[i]);
    line_[0] = MakeColumn(kColumnText, "%-25s", x[0], number_);
    line_[1] = MakeColumn(kColumnText, "%-40s", x[1], description_);
    line_[2] = MakeColumn(kColumnDouble, "%15.3f", x[2], &cost_);
    line_[3] = MakeColumn(kColumnDouble, "%15.3f", x[3], &price_);
    line_[4] = MakeColumn(kColumnText, "%-4s", x[4], sign_);
    line_[5] = MakeColumn(kColumnDouble, "%15.3f", x[5], &amount_);
    line_[6] = MakeColumn(kColumnDouble, "%15.3f", x[6], &newPrice_);
  }

  void Fill(const PriceAssignmentLine& line) {
    std::snprintf(number_, sizeof number_, "%s", TrimField(line.product.number).c_str());
    std::snprintf(description_, sizeof description_, "%s", TrimField(line.product.description).c_str());
    cost_ = line.product.lastCost;
    price_ = line.product.sellingPrice;
    sign_[0] = ' ';
    sign_[1] = line.sign;
    amount_ = line.amount;
    newPrice_ = line.newPrice;
  }

  void PageHeading() {
    if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, headings_.data(), 2);
    ReportPageStart(&info_, 0, 1);
    const TagRepFont font = info_.font;
    ReportBlockBegin(&info_, kFontColumnHeading);
    ReportWriteColumns(&info_, headings_.data(), 1);
    ReportBlockEnd(&info_);
    ReportWriteRule(&info_, headings_.data(), 1, '-');
    ReportSetFont(&info_, &font);
    if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount + 1);
  }

  TagRepInfo info_{};
  ReportRunGuard guard_{&info_};
  std::array<TagReportColumn, kColumns + 1> headings_{};
  std::array<TagReportColumn, kColumns + 1> line_{};
  char number_[16] = {};
  char description_[32] = {};
  char sign_[3] = {};
  double cost_ = 0;
  double price_ = 0;
  double amount_ = 0;
  double newPrice_ = 0;
};

}  // namespace

int PrintPriceAssignments(const std::vector<PriceAssignmentLine>& lines, bool complete) {
  PricePrint print;
  return print.Run(lines, complete);
}
