// The run that the one-screen product reports (price listing 352, product
// alert 355, count sheets 356) share: the product file and the report's
// window opened, the product selection screen, the walk of the selected
// products in the order of the sort field, a subtotal per group under a
// grouping sort (bin, G/L department, vendor, warehouse), the total and the
// close.  A report supplies its layouts, its page heading's column rows,
// its lines and, where it lists only some of the selected products, its
// rule.
//
// Every way out (Esc on the screen, nothing selected, a user break, a
// record-manager error) closes the report, drops the temporary index and
// closes the file and the window: the members are declared so that their
// destructors do it in that order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "qxabase/files.h"
#include "qxabase/report.h"
#include "ravadodo.h"
#include "records/masters.h"
#include "report_frame.h"
#include "reports/inventory/product_params.h"
#include "reports/inventory/product_selection.h"

// What tells one of these reports from another.
struct ProductReportKind {
  int menuId;                // 352, 355, 356
  const char* windowTitle;   // the selection window's title
  const char* runTitle;      // the report-writer run's title (the preview's)
  const char* pageTitle;     // the title on every page
  int lineWidth;             // print columns of a line
  int subtotalSkip;          // lines skipped before a subtotal
  int countX;                // the count column of the subtotal and total lines
  int amountX;               // the amount column of those lines; −1: the report totals no amount
};

class ProductReportRun {
 public:
  explicit ProductReportRun(const ProductReportKind& kind);
  virtual ~ProductReportRun() = default;
  ProductReportRun(const ProductReportRun&) = delete;
  ProductReportRun& operator=(const ProductReportRun&) = delete;

  // The whole run from the selection screen.  Returns 0; 27 when the user
  // left the screen with Esc or stopped the report.
  int Run();

 protected:
  // Sets the layouts up once the report is open (values bound to members).
  virtual void BuildLayouts() = 0;
  // Writes the column heading rows (font 13 is set) of a page.
  virtual void WriteColumnHeadings() = 0;
  // The layout the page's rule is drawn under and that a column-taking
  // destination is handed.
  virtual const TagReportColumn* RuleLayout() const = 0;
  // True when the current product is printed; *amount is what it adds to
  // the totals (0 when the report totals no amount).
  virtual bool Lists(double* amount) {
    *amount = 0;
    return true;
  }
  // The lines the current product takes (a new page first when they do not
  // fit).
  virtual int LinesOf() const { return 1; }
  // Writes the current product's lines.
  virtual void WriteProduct() = 0;

  const records::TagProduct& Product() const { return record_; }
  const ProductReportParams& Params() const { return params_; }
  TagRepInfo* Info() { return &info_; }

 private:
  int PrintProducts();
  void PageHeading();
  void WriteSubtotal(const ProductGroups& groups, double amount);
  void WriteTotal();
  void WriteTotalLine(const char* caption, int count, double amount, int skip);

  const ProductReportKind& kind_;
  ProductReportParams params_{};
  records::TagProduct record_{};
  char keyBuffer_[255] = {};

  // Released in the reverse order: the report, the index, the file, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  struct IndexGuard {
    ProductReportParams* params;
    ~IndexGuard() { ProductRunEnd(params); }
  } indexGuard_{&params_};
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  bool pageStarted_ = false;
  double totalAmount_ = 0;

  // The subtotal and total line: a caption column (left out: the caption is
  // written at x 1 before the line), the count, the amount.
  std::array<TagReportColumn, 4> totalLine_{};
  char totalText_[12] = {};
  std::int32_t countValue_ = 0;
  char amountText_[16] = {};
};

// Helpers of the product report lines.

// `value` right-aligned in `width` characters with `decimals` decimals, fewer
// when it is too wide, a run of '*' when even the whole number is: a column
// is never overrun.
void FitProductNumber(char* out, std::size_t size, double value, int width, int decimals);

// A quantity of stock units in the unit of `fraction` (the buying or selling
// fraction): whole units and the rest as a fraction of it ("2 6/12"), or
// four decimals when the unit is one stock unit; blanks trimmed.
std::string ProductQuantityText(double stockUnits, int fraction);
