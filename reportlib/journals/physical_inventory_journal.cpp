// The physical-inventory journal (command 307): the edit list of the
// physical counts (file 36) before they are posted.  One line per count, in
// product order, with the product (file 43) as the books hold it: its
// perpetual quantity, the quantity counted, the difference and the unit
// cost; then the G/L entry that posting the counts will make for the value
// of the differences (accounts of file 1).  There is no selection window:
// the whole count file prints, and every count printed is marked 'Y'.
//
// The G/L entry follows "0Interface":
//   'I'  per product: each product's difference goes to the adjustment
//        account joined with the product's department, and the net to the
//        inventory account;
//   else one line each for the inventory and the company's adjustment
//        account (for 'C' the adjustment account must exist, AccountExists).
#include "journals/physical_inventory_journal.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "journals/journal_print.h"
#include "posting/physical_inventory_posting.h"
#include "qxabase.h"
#include "qxabase/accounts.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "report_frame.h"

namespace {

using journals::Column;
using journals::CopyField;
using journals::Heading;
using journals::Trim;
using records::GLAccount;
using records::PhysicalCount;
using records::TagProduct;

// Screen texts (block 215).
constexpr int kTextBlock = 215;
constexpr int kTextCount = 43;
enum TextNumber : int {
  kTextTitle = 0,
  kTextSummaryTitle = 4,
  kTextSummaryDescription = 6,
  kTextAccountNotOnFile = 7,
  kTextProductNotOnFile = 8,
};

constexpr int kMsgProductMissing = 1359;         // %1 product
constexpr int kMsgAccountMissing = 1361;         // %1 account
constexpr int kMsgProductAccountMissing = 1363;  // %1 account, %2 product

constexpr char kQuantityFormat[] = "%11.4fF";

// ---- Report columns ----------------------------------------------------------------------

constexpr TagReportColumn kHeadingRow1[] = {
    Heading("Perpetual", "%-12s", 81),
    Heading("Physical", "%-12s", 94),
    Heading("Difference", "%-12s", 107),
    {},
};
constexpr TagReportColumn kHeadingRow2[] = {
    Heading("WHC", "%-5s", 0),          Heading("Inventory #", "%-14s", 6), Heading("Description", "%-30s", 21),
    Heading("Measure", "%-8s", 52),     Heading("Frac", "%-4s", 61),        Heading("Dept", "%-4s", 66),
    Heading("Bin", "%-8s", 72),         Heading("Units Frac", "%-12s", 81), Heading("Units Frac", "%-12s", 94),
    Heading("Units Frac", "%-12s", 107), Heading("Unit Cost", "%-12s", 121),
    {},
};

enum CountColumn : int {
  kCntWarehouse, kCntProduct, kCntDescription, kCntMeasure, kCntFraction, kCntDepartment, kCntBin,
  kCntPerpetual, kCntPhysical, kCntDifference, kCntUnitCost, kCountColumns
};
constexpr TagReportColumn kCountRow[] = {
    Column(kColumnText, "%-5s", 0),
    Column(kColumnText, "%-14s", 6),
    Column(kColumnText, "%-30.30s", 21),
    Column(kColumnText, "%-8s", 52),
    Column(kColumnLong, "%4d", 61),
    Column(kColumnText, "%-4s", 66),
    Column(kColumnText, "%-8s", 72),
    // The quantities come right-aligned in 11 places, under headings that
    // begin one column to the left.
    Column(kColumnText, "%-12s", 82),
    Column(kColumnText, "%-12s", 95),
    Column(kColumnText, "%-12s", 108),
    Column(kColumnAmount, "%-12.4f", 121),
    {},
};
static_assert(std::size(kCountRow) == kCountColumns + 1);

constexpr TagReportColumn kSummaryHeading[] = {
    Heading("Account #", "%-10s", 0),   Heading("Account Name", "%-30s", 11), Heading("Description", "%-30s", 42),
    journals::AmountHeading("Debit", "%12s", 73), journals::AmountHeading("Credit", "%12s", 86),
    Heading("Product No", "%-14s", 99),
    {},
};
enum SummaryColumn : int { kSumAccount, kSumName, kSumDescription, kSumDebit, kSumCredit, kSumProduct, kSummaryColumns };
constexpr TagReportColumn kSummaryRow[] = {
    Column(kColumnText, "%-10.10s", 0),
    Column(kColumnText, "%-30.30s", 11),
    Column(kColumnText, "%-30.30s", 42),
    journals::Amount("%12.2f", 73),
    journals::Amount("%12.2f", 86),
    Column(kColumnText, "%-14s", 99),
    {},
};
static_assert(std::size(kSummaryRow) == kSummaryColumns + 1);

// ---- The run -------------------------------------------------------------------------------

struct CountValues {
  char warehouse[5] = {};
  char product[16] = {};
  char description[32] = {};
  char measure[10] = {};
  std::int32_t fraction = 0;
  char department[7] = {};
  char bin[10] = {};
  char perpetual[64] = {};
  char physical[64] = {};
  char difference[64] = {};
  double unitCost = 0;
};

struct SummaryValues {
  char account[12] = {};
  char name[42] = {};
  double debit = 0, credit = 0;
  char product[16] = {};
};

struct PhysicalInventoryRun {
  const char* texts[kTextCount] = {};
  bool textsLoaded = false;
  Form form{};
  bool formBegun = false;
  FileSet files;
  records::InterfaceRecord iface{};
  PhysicalCount count{};
  TagProduct product{};
  char costing = 'A';
  TagRepInfo report{};
  TagReportColumn countRow[kCountColumns + 1] = {};
  TagReportColumn summaryRow[kSummaryColumns + 1] = {};
  CountValues countValues;
  SummaryValues summaryValues;

  ~PhysicalInventoryRun() {
    FileSetClose(&files);
    if (formBegun) FormEnd(&form);
    if (textsLoaded) ScreenTextFree(texts);
    CommandFinish();
  }

  BtrvHandle counts() const { return files.handle[0]; }
  BtrvHandle products() const { return files.handle[1]; }
  BtrvHandle accounts() const { return files.handle[2]; }
  const char* Text(int n) const { return texts[n] ? texts[n] : ""; }
  bool PerProduct() const { return iface.glMode == 'I'; }

  // The product's unit cost by the system's costing code, as posting
  // takes it: 'L' last, 'S' standard, any other the average cost.
  double UnitCost() const { return product.CostByMethod(costing); }
  // The value of `quantity` stock units, as posting books it.
  double ValueOf(double quantity) const { return PhysicalCountValue(product, quantity, costing); }
};

void BindColumns(PhysicalInventoryRun& run) {
  CountValues& c = run.countValues;
  std::copy(std::begin(kCountRow), std::end(kCountRow), run.countRow);
  TagReportColumn* r = run.countRow;
  r[kCntWarehouse].value = c.warehouse;
  r[kCntProduct].value = c.product;
  r[kCntDescription].value = c.description;
  r[kCntMeasure].value = c.measure;
  r[kCntFraction].value = &c.fraction;
  r[kCntDepartment].value = c.department;
  r[kCntBin].value = c.bin;
  r[kCntPerpetual].value = c.perpetual;
  r[kCntPhysical].value = c.physical;
  r[kCntDifference].value = c.difference;
  r[kCntUnitCost].value = &c.unitCost;

  SummaryValues& s = run.summaryValues;
  std::copy(std::begin(kSummaryRow), std::end(kSummaryRow), run.summaryRow);
  r = run.summaryRow;
  r[kSumAccount].value = s.account;
  r[kSumName].value = s.name;
  r[kSumDescription].value = run.Text(kTextSummaryDescription);
  r[kSumDebit].value = &s.debit;
  r[kSumCredit].value = &s.credit;
  r[kSumProduct].value = s.product;
}

// Reads a count with `op` (12 the first, 6 the next), then its product.  A
// product not on file reads as a zeroed record described by text 8; when
// `tell` the user is told of it.  Returns the status of the count read
// (after the error box, or message 197 for an empty file).
int ReadCount(PhysicalInventoryRun& run, int op, bool tell) {
  char key[255] = {};
  const int status = BtrvGetOp(op, run.counts(), key, &run.count, sizeof run.count);
  if (status != kStatusOk) {
    if (status == kStatusEndOfFile && op == kOpGetFirst) MsgShow(kMsgNothingSelected, 1);
    else if (status != kStatusEndOfFile) MsgRecordError(status, 1, op, records::kFilePhysicalCounts, 0);
    return status;
  }
  char productKey[255] = {};
  std::memcpy(productKey, run.count.productCode, sizeof run.count.productCode);
  const int found = BtrvGetOp(kOpGetEqual, run.products(), productKey, &run.product, sizeof run.product);
  if (found != kStatusOk) {
    if (found == kStatusKeyNotFound) {
      if (tell) MsgShowArgs(kMsgProductMissing, 262, 1, 1, Trim(run.count.productCode).c_str(), 0);
    } else {
      MsgRecordError(found, 1, kOpGetEqual, records::kFileProducts, 0);
    }
    run.product = TagProduct{};
    std::snprintf(run.product.description, sizeof run.product.description, "%s", run.Text(kTextProductNotOnFile));
  }
  return kStatusOk;
}

// ---- Pages ----------------------------------------------------------------------------------

void PageHeading(PhysicalInventoryRun& run) {
  TagRepInfo* report = &run.report;
  if (ReportColumnsActive(report)) ReportSetColumnLayout(report, run.countRow, 2);
  ReportPageStart(report, 0, 2);
  const TagRepFont kept = report->font;
  ReportSetFont(report, kFontTitle);
  ReportWriteText(report, run.Text(kTextTitle), kReportCentred, 1);
  ReportSkipLines(report, 1);
  ReportBlockBegin(report, kFontColumnHeading);
  ReportWriteColumns(report, kHeadingRow1, 1);
  ReportWriteColumns(report, kHeadingRow2, 1);
  ReportWriteRule(report, kCountRow, 1, '-');
  ReportBlockEnd(report);
  ReportSetFont(report, &kept);
  if (ReportColumnsActive(report)) ReportSetHeadingEnd(report, report->lineCount + 1);
}

void SummaryHeading(PhysicalInventoryRun& run) {
  TagRepInfo* report = &run.report;
  if (ReportColumnsActive(report)) ReportSetColumnLayout(report, run.summaryRow, 2);
  ReportPageStart(report, 0, 2);
  const TagRepFont kept = report->font;
  ReportSetFont(report, kFontTitle);
  ReportWriteText(report, run.Text(kTextTitle), kReportCentred, 1);
  ReportSetFont(report, kFontHeading);
  ReportWriteText(report, run.Text(kTextSummaryTitle), kReportCentred, 2);
  ReportBlockBegin(report, kFontColumnHeading);
  ReportWriteColumns(report, kSummaryHeading, 1);
  ReportWriteRule(report, kSummaryHeading, 1, '-');
  ReportBlockEnd(report);
  ReportSetFont(report, &kept);
  if (ReportColumnsActive(report)) ReportSetHeadingEnd(report, report->lineCount + 1);
}

// ---- The count lines ----------------------------------------------------------------------

void FillCountLine(PhysicalInventoryRun& run) {
  const TagProduct& p = run.product;
  CountValues& v = run.countValues;
  v = CountValues{};
  CopyField(v.warehouse, p.warehouse);
  CopyField(v.product, run.count.productCode);
  CopyField(v.description, p.description);
  CopyField(v.measure, p.unitOfMeasure);
  v.fraction = p.purchaseUnitFactor;
  CopyField(v.department, p.department);
  CopyField(v.bin, p.bin);
  const double onHand = p.quantityOnHand, counted = run.count.countedQuantity;
  // Quantities are kept in stock units and shown in the product's measure:
  // whole measures and the rest as a fraction of the units in one.
  auto quantity = [&](char* out, double units) {
    StrFormatQuantity(out, kQuantityFormat, 0, v.fraction, v.fraction > 0 ? NumDivide(units, v.fraction) : units);
  };
  quantity(v.perpetual, onHand);
  // Quantities that are not valued count for nothing.
  quantity(v.physical, v.fraction == 0 ? 0 : counted);
  quantity(v.difference, v.fraction == 0 ? 0 : onHand - counted);
  v.unitCost = run.UnitCost();
}

// ---- The G/L entry --------------------------------------------------------------------------

// Reads account `code` for a summary line: its name, or text 7 and the
// user told with `message` (1361, or 1363 naming the product too).
void LookUpAccount(PhysicalInventoryRun& run, const std::string& code, int message) {
  SummaryValues& v = run.summaryValues;
  std::snprintf(v.account, sizeof v.account, "%s", code.c_str());
  GLAccount account{};
  if (journals::ReadGLAccount(run.accounts(), code, &account) == kStatusOk) {
    CopyField(v.name, account.name, 30);
    return;
  }
  std::snprintf(v.name, sizeof v.name, "%s", run.Text(kTextAccountNotOnFile));
  if (message == kMsgAccountMissing) MsgShowArgs(message, 261, 1, 1, code.c_str(), 0);
  else MsgShowArgs(message, 263, 1, 1, code.c_str(), v.product, 0);
}

void SummaryPageCheck(PhysicalInventoryRun& run) {
  if (run.report.lineCount < run.report.pageLength) return;
  ReportNewPage(&run.report);
  SummaryHeading(run);
}

// One line of the entry: `amount` on the debit or the credit side.
void WriteSummaryLine(PhysicalInventoryRun& run, const std::string& account, double amount, bool debit,
                      const char* product, int message) {
  SummaryValues& v = run.summaryValues;
  TagReportColumn* row = run.summaryRow;
  journals::ShowAllColumns(row);
  std::snprintf(v.product, sizeof v.product, "%s", product ? product : "");
  if (product == nullptr) row[kSumProduct].hidden = 1;
  LookUpAccount(run, account, message);
  v.debit = debit ? amount : 0;
  v.credit = debit ? 0 : amount;
  row[debit ? kSumCredit : kSumDebit].hidden = 1;
  SummaryPageCheck(run);
  ReportWriteColumns(&run.report, row, 1);
}


// The per-product lines of one side: losses (counted below on hand) as
// debits, then gains as credits.  False when the user stopped the run.
bool ProductPass(PhysicalInventoryRun& run, bool debits) {
  int key = 0;
  for (int status = ReadCount(run, kOpGetFirst, false); status == kStatusOk;
       status = ReadCount(run, kOpGetNext, false)) {
    if (CheckUserBreak(&key)) return false;
    // A product whose quantities are not valued changes no value.
    if (run.product.purchaseUnitFactor == 0) continue;
    const double difference = run.product.quantityOnHand - run.count.countedQuantity;
    if (debits ? !(difference > 0) : !(difference < 0)) continue;
    const double amount = run.ValueOf(debits ? difference : -difference);
    char product[16] = {};
    CopyField(product, run.count.productCode);
    // The account a product's difference goes to: the adjustment account
    // joined with the product's department.
    char account[11];
    WriteSummaryLine(run, GLAccountWithSegment(account, run.iface.costOfGoodsAccount, run.product.department),
                     amount, debits, product, kMsgProductAccountMissing);
  }
  return true;
}

// The G/L entry of the value change `total` (gains less losses).
void PrintGLSummary(PhysicalInventoryRun& run, double total) {
  ReportNewPage(&run.report);
  SummaryHeading(run);
  const std::string inventory = Trim(run.iface.inventoryAccount);
  const std::string adjustment = Trim(run.iface.costOfGoodsAccount);
  if (!run.PerProduct()) {
    const bool gain = total >= 0;
    const double amount = gain ? total : -total;
    WriteSummaryLine(run, gain ? inventory : adjustment, amount, true, nullptr, kMsgAccountMissing);
    WriteSummaryLine(run, gain ? adjustment : inventory, amount, false, nullptr, kMsgAccountMissing);
    return;
  }
  if (total >= 0) WriteSummaryLine(run, inventory, total, true, nullptr, kMsgAccountMissing);
  if (!ProductPass(run, true) || !ProductPass(run, false)) return;
  if (total < 0) WriteSummaryLine(run, inventory, -total, false, nullptr, kMsgAccountMissing);
}

// ---- The print walk --------------------------------------------------------------------------

void PrintPhysicalInventoryJournal(PhysicalInventoryRun& run) {
  run.costing = SysCodeGet(8);
  run.report = TagRepInfo{};
  run.report.reportPage = 1;
  run.report.showProgress = 1;
  run.report.landscape = 1;
  if (!ReportOpen(&run.report, "Journal")) return;
  ReportRunGuard guard(&run.report);
  // The first count's product is told of like every other's.
  if (ReadCount(run, kOpGetFirst, true) != kStatusOk) return;
  ReportSelectionSet(&run.report, run.countRow);
  PageHeading(run);

  double total = 0;  // the value change: gains less losses
  int key = 0;
  for (int status = kStatusOk; status == kStatusOk; status = ReadCount(run, kOpGetNext, true)) {
    if (ReportCheckUserBreak(&run.report, &key)) return;
    if (run.report.pageLength <= run.report.lineCount) {
      ReportNewPage(&run.report);
      PageHeading(run);
    }
    FillCountLine(run);
    if (run.product.purchaseUnitFactor != 0)
      total -= run.ValueOf(run.product.quantityOnHand - run.count.countedQuantity);
    ReportWriteColumns(&run.report, run.countRow, 1);
    run.count.printedFlag = 'Y';
    const int written = BtrvWriteOp(kOpUpdate, run.counts(), nullptr, &run.count, sizeof run.count);
    if (written != kStatusOk) {
      // The entry still shows for what was printed.
      MsgRecordError(written, 1, kOpUpdate, records::kFilePhysicalCounts, 0);
      break;
    }
  }
  PrintGLSummary(run, NumRound(total, 2));
  ReportNewPage(&run.report);
  CommandDone();
}

}  // namespace

int RunPhysicalInventoryJournal() {
  auto run = std::make_unique<PhysicalInventoryRun>();
  if (SettingsRecordRead(kSettingsRead, 0, sizeof run->iface, "0Interface", &run->iface) != 0) return 0;
  if (ScreenTextLoad(kTextBlock, run->texts, kTextCount) != 0) return 0;
  run->textsLoaded = true;
  BindColumns(*run);
  FormBegin(&run->form);
  run->formBegun = true;
  if (FileSetOpen(&run->files, records::kFilePhysicalCounts, records::kFileProducts, records::kFileGLAccounts) != 0)
    return 0;
  if (ReadCount(*run, kOpGetFirst, false) != kStatusOk) return 0;
  if (run->iface.glMode == 'C') {
    char account[12];
    std::memset(account, ' ', sizeof account - 1);
    account[sizeof account - 1] = '\0';
    if (!AccountExists(account)) return 0;
    std::memset(run->iface.costOfGoodsAccount, 0, sizeof run->iface.costOfGoodsAccount);
    std::memcpy(run->iface.costOfGoodsAccount, account,
                std::min(std::strlen(account), sizeof run->iface.costOfGoodsAccount));
  }
  PrintPhysicalInventoryJournal(*run);
  return 0;
}
