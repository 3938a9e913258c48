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
#include <initializer_list>
#include <string>

#include "qxabase/files.h"
#include "qxabase/report.h"
#include "ravadodo.h"
#include "records/masters.h"
#include "report_frame.h"
#include "reports/inventory/product_params.h"
#include "reports/inventory/product_selection.h"

// The frame of the product reports that run over their entry's parameters
// (the product listing 350, the product activity 354 and its detail 359):
// the product file (and a second file the report reads) opened, the
// report's window and selection screen when the input asks for it, the
// walk started, the destination set and the report opened; then the
// report's own pages.  Every way out closes the report, drops the
// temporary index and closes the files and the window: the members are
// declared so that their destructors do it in that order.
struct ProductRunSetup {
  int menuId;               // the report's command (its saved run's)
  const char* reportId;     // the screen's report id
  const char* windowTitle;  // the selection window's title
  int windowRows;           // its height (it opens at row 5, column 14, 66 wide)
  const char* runTitle;     // the report-writer run's title
  int lineWidth;            // print columns of a line; 0: as wide as the widest line
  int secondFile;           // a file opened with the products (its handle SecondFile()); 0: none
};

// The column headings of a page: `rows` writes them (font 13 is set), a
// rule of '-' goes under the columns of `rule`, the detail font is set,
// and a destination that keeps columns learns where the page's heading
// ends.
template <class Rows>
void WriteColumnHeadingBlock(TagRepInfo* info, Rows rows, const TagReportColumn* rule) {
  ReportBlockBegin(info, kFontColumnHeading);
  rows();
  ReportBlockEnd(info);
  ReportWriteRule(info, rule, 1, '-');
  ReportSetFont(info, kFontDetail);
  if (ReportColumnsActive(info)) ReportSetHeadingEnd(info, info->lineCount);
}

// The same with the two heading rows laid out by `row1` and `row2`.
inline void WriteHeadingRows(TagRepInfo* info, const TagReportColumn* row1, const TagReportColumn* row2,
                             const TagReportColumn* rule) {
  WriteColumnHeadingBlock(
      info,
      [&] {
        ReportWriteColumns(info, row1, 1);
        ReportWriteColumns(info, row2, 1);
      },
      rule);
}

class ProductRunFrame {
 public:
  ProductRunFrame(const ProductRunFrame&) = delete;
  ProductRunFrame& operator=(const ProductRunFrame&) = delete;

 protected:
  explicit ProductRunFrame(ProductReportParams& params);
  virtual ~ProductRunFrame() = default;

  // The report's selection screen: 0 accepted (the run goes on), any other
  // result ends it.  The product reports' screen unless a report has its own.
  virtual int Selection() { return ProductReportSelection(&params_); }

  // Everything up to the open report, and the saved run offered (`save`
  // writes it, `describe` gives the selection in words).  False when the
  // run ends there: the files could not be opened, the screen was left,
  // nothing was selected, or the report could not be opened (each after its
  // message).
  template <class Save, class Describe>
  bool Start(const ProductRunSetup& setup, Save save, Describe describe);

  // The column headings of a page: `rows` writes them (in font 13), a rule
  // of '-' goes under the columns of `rule`, the detail font is set, and a
  // destination that keeps columns learns where the page's heading ends.
  template <class Rows>
  void HeadingRows(Rows rows, const TagReportColumn* rule);
  // The same with two heading rows laid out by `row1` and `row2`.
  void HeadingRows(const TagReportColumn* row1, const TagReportColumn* row2, const TagReportColumn* rule) {
    WriteHeadingRows(&info_, row1, row2, rule);
  }

  // What the selection screen answered (0 when none ran).
  int ScreenResult() const { return screenResult_; }
  BtrvHandle SecondFile() const { return files_.handle[1]; }
  // True when `lines` more lines do not fit the usable page, one line
  // shorter than the writer's.
  bool PageFull(int lines) const { return ReportPageFull(&info_, lines + 1); }

  ProductReportParams& params_;
  records::TagProduct record_{};

 private:
  bool Open(const ProductRunSetup& setup);

  char keyBuffer_[255] = {};
  int screenResult_ = 0;
  // Released in the reverse order: the report, the index, the files, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  struct IndexGuard {
    ProductReportParams* params;
    ~IndexGuard() { ProductRunEnd(params); }
  } indexGuard_{&params_};

 protected:
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};
};

template <class Save, class Describe>
bool ProductRunFrame::Start(const ProductRunSetup& setup, Save save, Describe describe) {
  if (!Open(setup)) return false;
  OfferSavedRun(&info_, setup.menuId, &window_, save, describe);
  return true;
}

template <class Rows>
void ProductRunFrame::HeadingRows(Rows rows, const TagReportColumn* rule) {
  WriteColumnHeadingBlock(&info_, rows, rule);
}

// The parameters a run owns, constructed before the frame that works on
// them.
struct OwnedProductParams {
  ProductReportParams ownParams{};
};

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

class ProductReportRun : private OwnedProductParams, public ProductRunFrame {
 public:
  explicit ProductReportRun(const ProductReportKind& kind);

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
  bool pageStarted_ = false;
  double totalAmount_ = 0;

  // The subtotal and total line: a caption column (left out: the caption is
  // written at x 1 before the line), the count, the amount.
  std::array<TagReportColumn, 4> totalLine_{};
  char totalText_[12] = {};
  std::int32_t countValue_ = 0;
  double totalLineAmount_ = 0;
};

// Helpers of the product report lines.

// The top of a page of the activity reports: a new page, the title block
// (font 8) and under it the heading block (font 9) with `lines`, each
// centred, then an empty line.  The font in use before is put back.
void WriteStackedPageHeading(TagRepInfo* info, const char* title, std::initializer_list<std::string> lines);

// A range criterion as a heading line: "<verb> by <caption> From <from> To
// <to>", an open end shown as "FIRST" or "LAST", each text trimmed.
std::string CriterionHeadingLine(const char* verb, const RangeCriterion& criterion);

// A quantity of stock units in the unit of `fraction` (the buying or selling
// fraction; 0 counts as 1): whole units and the rest as a fraction of it
// ("2 6/12"), or four decimals when the unit is one stock unit or `decimal`
// is set ("2.5000"); blanks trimmed.
std::string ProductQuantityText(double stockUnits, int fraction, bool decimal = false);

// ProductQuantityText into a column of `width` characters, right-aligned; a
// text wider than the column is a run of '*' across it, so that a quantity
// is never cut into a number it is not, nor runs into the next column.
void FitProductQuantity(char* out, std::size_t size, double stockUnits, int fraction, int width,
                        bool decimal = false);
