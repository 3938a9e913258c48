// The assembly journal (command 306): the entered assembly and disassembly
// transactions (headers file 11, components file 10) with their products
// (file 43) and services (file 52).
//
// Each transaction prints a heading block and its row (the item made or
// broken down, its quantity and its non-override dollars), then its
// components with the quantities available, needed, short and the new
// quantity on hand, and a line saying how many components it has and
// whether any is overridden or short.  A deleted transaction prints its
// row alone.  The run ends with the number of transactions and components
// printed and the total of the non-override dollars.
//
// "Journal" mode prints the unposted transactions of the journal date's
// period, tells of products and components not on file, and stamps each
// printed header with the day's date; "Listing" mode prints what the
// selection window's criteria choose and writes nothing.  The selection
// window, the readers and the "Select:" lines are the journal frame's
// (journal_frame.h).
#include "journals/assembly_journal.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "journals/journal_frame.h"
#include "journals/journal_print.h"
#include "qxabase.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"
#include "report_frame.h"

namespace {

using journals::Amount;
using journals::AmountHeading;
using journals::Column;
using journals::CopyField;
using journals::Heading;
using journals::Trim;
using records::AssemblyComponent;
using records::AssemblyHeader;
using records::ServiceRecord;
using records::TagProduct;

constexpr const char* kReportId = "RSJrnlAssembly";
constexpr const char* kReportTitle = "Assembly Journal";

// Screen texts (block 219).
constexpr int kTextBlock = 219;
constexpr int kTextCount = 42;
enum TextNumber : int {
  kTextJournalTitle = 0,
  kTextListingTitle = 1,
  kTextAssembly = 6,
  kTextDisassembly = 7,
  kTextComponentSummary = 14,  // %d components, %s any override, %s any shortage
  kTextRunSummary = 15,        // %d transactions, %d components, %.2f dollars
  kTextNotOnFile = 16,
};

constexpr int kMsgInUse = 551;
constexpr int kMsgItemMissing = 1369;  // %1 product or service, %2 transaction

constexpr char kQuantityFormat[] = "%11.4fF";

// ---- Report columns ----------------------------------------------------------------------

// The transaction block.  The two cells of row 2 over the quantity and the
// dollars say "Assembled" or "Disassembled".
enum TranHeading : int { kTranHeadQuantity = 8, kTranHeadDollars = 9 };
constexpr TagReportColumn kTranHeading1[] = {
    Heading("Tran.", "%-10s", 0),    Heading("Tran.", "%-8s", 11),     Heading("", "%-5s", 20),
    Heading("Product", "%-14s", 26), Heading("Product", "%-30s", 41),  Heading("Trans.", "%-10s", 72),
    Heading("Posted", "%-6s", 83),   Heading("Trans.", "%-11s", 90),
    AmountHeading("Quantity", "%12s", 102), Heading("Non Override Dollars", "%-20s", 115),
    {},
};
constexpr TagReportColumn kTranHeading2[] = {
    Heading("No.", "%-10s", 0),      Heading("Date", "%-8s", 11),       Heading("WHC", "%-5s", 20),
    Heading("Code", "%-14s", 26),    Heading("Description", "%-30s", 41), Heading("Reference", "%-10s", 72),
    Heading("", "%-6s", 83),         Heading("Type", "%-11s", 90),
    AmountHeading("", "%12s", 102),  AmountHeading("", "%12s", 115),
    {},
};

enum TranColumn : int {
  kTranNumber, kTranDate, kTranWarehouse, kTranProduct, kTranDescription, kTranReference, kTranPosted, kTranType,
  kTranQuantity, kTranDollars, kTranColumns
};
constexpr TagReportColumn kTranRow[] = {
    Column(kColumnText, "%-10s", 0),
    Column(kColumnDate, "%8s", 11),
    Column(kColumnText, "%-5s", 20),
    Column(kColumnText, "%-14s", 26),
    Column(kColumnText, "%-30.30s", 41),
    Column(kColumnText, "%-10s", 72),
    Column(kColumnText, "%-6s", 83),
    Column(kColumnText, "%-11s", 90),
    Amount("%12.2f", 102),
    Amount("%12.2f", 115),
    {},
};
static_assert(std::size(kTranRow) == kTranColumns + 1);

constexpr TagReportColumn kComponentHeading1[] = {
    Heading("Component", "%-14s", 5), Heading("Component", "%-30s", 20), Heading("", "%-5s", 51),
    Heading("Comp.", "%-5s", 57),     Heading("Buying", "%-8s", 63),     Heading("Quantity", "%-12s", 72),
    Heading("Quantity", "%-12s", 85), Heading("Quantity", "%-12s", 98),  Heading("New Quantity", "%-12s", 111),
    AmountHeading("Dollars", "%12s", 124),
    {},
};
constexpr TagReportColumn kComponentHeading2[] = {
    Heading("Code", "%-14s", 5),      Heading("Description", "%-30s", 20), Heading("WHC", "%-5s", 51),
    Heading("O.R.", "%-5s", 57),      Heading("Measure", "%-8s", 63),      Heading("Available", "%-12s", 72),
    Heading("Need", "%-12s", 85),     Heading("Short", "%-12s", 98),       Heading("On Hand", "%-12s", 111),
    AmountHeading("Shifted", "%12s", 124),
    {},
};

enum ComponentColumn : int {
  kCompCode, kCompDescription, kCompWarehouse, kCompOverride, kCompMeasure, kCompAvailable, kCompNeeded,
  kCompShort, kCompOnHand, kCompDollars, kComponentColumns
};
constexpr TagReportColumn kComponentRow[] = {
    Column(kColumnText, "%-14s", 5),
    Column(kColumnText, "%-30.30s", 20),
    Column(kColumnText, "%-5s", 51),
    Column(kColumnText, "%-5s", 57),
    Column(kColumnText, "%-8s", 63),
    Column(kColumnText, "%-12s", 72),
    Column(kColumnText, "%-12s", 85),
    Column(kColumnText, "%-12s", 98),
    Column(kColumnText, "%-12s", 111),
    Amount("%12.2f", 124),
    {},
};
static_assert(std::size(kComponentRow) == kComponentColumns + 1);

// ---- The run -------------------------------------------------------------------------------

struct TranValues {
  char number[12] = {};
  std::int32_t date = 0;
  char warehouse[5] = {};
  char product[16] = {};
  char description[32] = {};
  char reference[12] = {};
  char posted[4] = {};
  char type[32] = {};
  double quantity = 0, dollars = 0;
};

struct ComponentValues {
  char code[16] = {};
  char description[32] = {};
  char warehouse[5] = {};
  char override[4] = {};
  char measure[10] = {};
  char available[64] = {};
  char needed[64] = {};
  char shortage[64] = {};
  char onHand[64] = {};
  double dollars = 0;
};

// What the walk counts over the run.
struct RunTotals {
  int transactions = 0;
  int components = 0;
  double dollars = 0;
};

struct AssemblyJournalRun : journals::FrameJournalRun<kTextCount> {
  AssemblyHeader header{};  // the frame's readers read into it
  AssemblyComponent component{};
  TagProduct product{};
  ServiceRecord service{};
  std::string title;
  bool stopped = false;  // the user stopped the run
  bool inUse = false;    // a header was in use and stayed unstamped

  TagReportColumn tranHeading2[std::size(kTranHeading2)] = {};
  TagReportColumn tranRow[kTranColumns + 1] = {};
  TagReportColumn componentRow[kComponentColumns + 1] = {};
  TranValues tranValues;
  ComponentValues componentValues;
  RunTotals totals;

  BtrvHandle headers() const { return files.handle[0]; }
  BtrvHandle components() const { return files.handle[1]; }
  BtrvHandle products() const { return files.handle[2]; }
  BtrvHandle services() const { return files.handle[3]; }
};

void BindColumns(AssemblyJournalRun& run) {
  std::copy(std::begin(kTranHeading2), std::end(kTranHeading2), run.tranHeading2);

  TranValues& t = run.tranValues;
  std::copy(std::begin(kTranRow), std::end(kTranRow), run.tranRow);
  TagReportColumn* r = run.tranRow;
  r[kTranNumber].value = t.number;
  r[kTranDate].value = &t.date;
  r[kTranWarehouse].value = t.warehouse;
  r[kTranProduct].value = t.product;
  r[kTranDescription].value = t.description;
  r[kTranReference].value = t.reference;
  r[kTranPosted].value = t.posted;
  r[kTranType].value = t.type;
  r[kTranQuantity].value = &t.quantity;
  r[kTranDollars].value = &t.dollars;

  ComponentValues& c = run.componentValues;
  std::copy(std::begin(kComponentRow), std::end(kComponentRow), run.componentRow);
  r = run.componentRow;
  r[kCompCode].value = c.code;
  r[kCompDescription].value = c.description;
  r[kCompWarehouse].value = c.warehouse;
  r[kCompOverride].value = c.override;
  r[kCompMeasure].value = c.measure;
  r[kCompAvailable].value = c.available;
  r[kCompNeeded].value = c.needed;
  r[kCompShort].value = c.shortage;
  r[kCompOnHand].value = c.onHand;
  r[kCompDollars].value = &c.dollars;
}

// ---- Pages ----------------------------------------------------------------------------------

// The title and the "Select:" lines at the top of a page.  `mode` 1 at a
// transaction, 2 when a page breaks inside one.
void PageHead(AssemblyJournalRun& run, int mode) {
  TagRepInfo* report = &run.report;
  if (ReportColumnsActive(report)) ReportSetColumnLayout(report, run.tranRow, 2);
  ReportPageStart(report, 0, mode);
  ReportBlockBegin(report, kFontTitle);
  ReportWriteText(report, run.title.c_str(), kReportCentred, 1);
  ReportBlockEnd(report);
  journals::PrintJournalSelectionHeader(&run.context, report);
  if (ReportColumnsActive(report)) ReportSetHeadingEnd(report, report->lineCount);
}

// True when fewer than `lines` lines are left on the page.
bool PageNearlyFull(const AssemblyJournalRun& run, int lines) {
  return run.report.lineCount >= run.report.pageLength - lines;
}

void ComponentHeading(AssemblyJournalRun& run) {
  ReportBlockBegin(&run.report, kFontColumnHeading);
  ReportWriteColumns(&run.report, kComponentHeading1, 1);
  ReportWriteColumns(&run.report, kComponentHeading2, 1);
  ReportWriteRule(&run.report, kComponentRow, 1, '-');
  ReportBlockEnd(&run.report);
}

// ---- One transaction -------------------------------------------------------------------------

// The product made or broken down.  Not on file: blank fields; the user is
// told in "Journal" mode unless the transaction is posted already.
void LookUpProduct(AssemblyJournalRun& run) {
  const AssemblyHeader& h = run.header;
  char key[255] = {};
  std::memcpy(key, h.productCode, sizeof h.productCode);
  const int status = BtrvGetOp(kOpGetEqual, run.products(), key, &run.product, sizeof run.product);
  if (status == kStatusOk) return;
  run.product = TagProduct{};
  if (h.postedFlag == 'Y') return;
  if (status == kStatusKeyNotFound) {
    if (!run.Listing())
      MsgShowArgs(kMsgItemMissing, 269, 1, 1, Trim(h.productCode).c_str(), Trim(h.transactionNumber).c_str(), 0);
  } else {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileProducts, 0);
  }
}

void PrintTransactionBlock(AssemblyJournalRun& run) {
  const AssemblyHeader& h = run.header;
  TranValues& v = run.tranValues;
  v = TranValues{};
  CopyField(v.number, h.transactionNumber);
  v.date = h.date;
  CopyField(v.warehouse, run.product.warehouse);
  CopyField(v.product, h.productCode);
  CopyField(v.description, run.product.description);
  CopyField(v.reference, h.reference);
  std::snprintf(v.posted, sizeof v.posted, "%s", h.postedFlag == 'Y' ? "Yes" : "No");
  std::snprintf(v.type, sizeof v.type, "%s", run.Text(h.IsAssembly() ? kTextAssembly : kTextDisassembly));
  v.quantity = h.quantity;
  v.dollars = h.value;

  const char* made = h.IsAssembly() ? "Assembled" : "Disassembled";
  run.tranHeading2[kTranHeadQuantity].value = made;
  run.tranHeading2[kTranHeadDollars].value = made;
  ReportBlockBegin(&run.report, kFontColumnHeading);
  ReportWriteColumns(&run.report, kTranHeading1, 1);
  ReportWriteColumns(&run.report, run.tranHeading2, 1);
  ReportWriteRule(&run.report, run.tranHeading2, 1, '-');
  ReportBlockEnd(&run.report);
  ReportWriteColumns(&run.report, run.tranRow, 2);
}

// Reads a component with `op` (9 from the transaction's number, 6 the next)
// and the product or service it names.  *found is 43 or 52 for the file it
// was found in, 0 when in neither (the user told in "Journal" mode).
// Returns the status of the component read (after the error box for a
// failure other than the end of the file).
int ReadAssemblyComponent(AssemblyJournalRun& run, char* key, int op, int* found) {
  const int status = BtrvGetOp(op, run.components(), key, &run.component, sizeof run.component);
  if (status != kStatusOk) {
    if (status != kStatusEndOfFile) MsgRecordError(status, 1, op, records::kFileAssemblyComponents, 0);
    return status;
  }
  const AssemblyComponent& c = run.component;
  *found = 0;
  char itemKey[255] = {};
  std::memcpy(itemKey, c.componentCode, sizeof c.componentCode);
  int item = BtrvGetOp(kOpGetEqual, run.products(), itemKey, &run.product, sizeof run.product);
  if (item == kStatusOk) {
    *found = records::kFileProducts;
    return status;
  }
  int failedFile = records::kFileProducts;
  if (item == kStatusKeyNotFound) {
    // A component that is not a product is a service.
    std::memset(itemKey, 0, sizeof itemKey);
    std::memcpy(itemKey, c.componentCode, sizeof c.componentCode);
    item = BtrvGetOp(kOpGetEqual, run.services(), itemKey, &run.service, sizeof run.service);
    if (item == kStatusOk) {
      *found = records::kFileServices;
      return status;
    }
    failedFile = records::kFileServices;
  }
  if (item == kStatusKeyNotFound) {
    if (!run.Listing())
      MsgShowArgs(kMsgItemMissing, 269, 1, 1, Trim(c.componentCode).c_str(),
                  Trim(run.header.transactionNumber).c_str(), 0);
  } else {
    MsgRecordError(item, 1, kOpGetEqual, failedFile, 0);
  }
  return status;
}

void FillComponentLine(AssemblyJournalRun& run, int found, bool* anyOverride, bool* anyShort) {
  const AssemblyComponent& c = run.component;
  ComponentValues& v = run.componentValues;
  v = ComponentValues{};
  CopyField(v.code, c.componentCode);
  double available = c.quantityAvailable, shortage = c.quantityShort, onHand = c.newQuantityOnHand;
  if (found == records::kFileProducts) {
    CopyField(v.description, run.product.description);
    CopyField(v.measure, run.product.unitOfMeasure);
    CopyField(v.warehouse, run.product.warehouse);
  } else if (found == records::kFileServices) {
    CopyField(v.description, run.service.description);
    CopyField(v.measure, run.service.unitOfMeasure);
  } else {
    // Nothing of it is on hand: all that is needed is short.
    std::snprintf(v.description, sizeof v.description, "%s", run.Text(kTextNotOnFile));
    available = 0;
    shortage = c.quantityNeeded;
    onHand = 0;
  }
  const bool override = c.overrideFlag == 'Y';
  std::snprintf(v.override, sizeof v.override, "%s", override ? "Yes" : "No");
  const int decimals = c.quantityDecimals;
  StrFormatValue(v.available, kQuantityFormat, decimals, available);
  StrFormatValue(v.needed, kQuantityFormat, decimals, c.quantityNeeded);
  StrFormatValue(v.shortage, kQuantityFormat, decimals, shortage);
  StrFormatValue(v.onHand, kQuantityFormat, decimals, onHand);
  v.dollars = c.cost;
  *anyOverride = *anyOverride || override;
  *anyShort = *anyShort || !NumIsZero(shortage);
}

// The components of the transaction in hand, then their summary line.
// Sets run.stopped when the user stops the run.
void PrintAssemblyComponents(AssemblyJournalRun& run) {
  const AssemblyHeader& h = run.header;
  ComponentHeading(run);
  char key[255] = {};
  std::memcpy(key, h.transactionNumber, sizeof h.transactionNumber);
  int count = 0;
  bool anyOverride = false, anyShort = false;
  int found = 0;
  int userKey = 0;
  for (int status = ReadAssemblyComponent(run, key, kOpGetGreaterOrEqual, &found);
       status == kStatusOk &&
       std::memcmp(run.component.transactionNumber, h.transactionNumber, sizeof h.transactionNumber) == 0;
       status = ReadAssemblyComponent(run, key, kOpGetNext, &found)) {
    if (ReportCheckUserBreak(&run.report, &userKey)) {
      run.stopped = true;
      return;
    }
    if (PageNearlyFull(run, 6)) {
      PageHead(run, 2);
      ComponentHeading(run);
    }
    FillComponentLine(run, found, &anyOverride, &anyShort);
    ReportWriteColumns(&run.report, run.componentRow, 1);
    ++count;
  }
  ReportWriteRule(&run.report, kComponentRow, 1, '=');
  char summary[160];
  std::snprintf(summary, sizeof summary, run.Text(kTextComponentSummary), count, anyOverride ? "Yes" : "No",
                anyShort ? "Yes" : "No");
  ReportWriteText(&run.report, summary, 5, 2);
  run.totals.components += count;
}

// "Journal" mode: the header carries the day it was printed.  Returns false
// when the walk must end (after the error box).
bool StampHeader(AssemblyJournalRun& run) {
  run.header.journalPrinted = DateToday();
  const int status = BtrvWriteOp(kOpUpdate, run.headers(), nullptr, &run.header, sizeof run.header);
  if (status == kStatusConflict || status == kStatusRecordInUse) {
    // Another user has it: it stays unstamped; told once after the report.
    run.inUse = true;
    return true;
  }
  if (status == kStatusOk) return true;
  MsgRecordError(status, 1, kOpUpdate, records::kFileAssemblyHeaders, 0);
  return false;
}

// ---- The print walk --------------------------------------------------------------------------

bool ReadHeader(AssemblyJournalRun& run, int op) {
  return run.Listing() ? journals::ReadSelectedJournalRecord(&run.context, op, &run.header)
                       : journals::ReadJournalRecord(&run.context, op, &run.header);
}

void PrintAssemblyJournal(AssemblyJournalRun& run) {
  run.title = run.Text(run.Listing() ? kTextListingTitle : kTextJournalTitle);
  if (!ReadHeader(run, kOpGetFirst)) {
    MsgShow(kMsgNothingSelected, 1);
    return;
  }
  run.report = TagRepInfo{};
  run.report.reportPage = 1;
  run.report.showProgress = 1;
  run.report.landscape = 1;
  if (!ReportOpen(&run.report, kReportTitle)) return;
  ReportRunGuard guard(&run.report);
  ReportSelectionSet(&run.report, run.tranRow);

  int userKey = 0;
  bool got = true;
  for (; got; got = ReadHeader(run, kOpGetNext)) {
    if (ReportCheckUserBreak(&run.report, &userKey)) return;
    LookUpProduct(run);
    // A transaction starts on a page with room for its block and the head
    // of its components.
    if (run.totals.transactions == 0 || PageNearlyFull(run, 9)) PageHead(run, 1);
    ++run.totals.transactions;
    run.totals.dollars = NumRound(run.totals.dollars + run.header.value, 2);
    PrintTransactionBlock(run);
    if (!run.header.IsDeleted()) {
      if (PageNearlyFull(run, 4)) PageHead(run, 2);
      PrintAssemblyComponents(run);
      if (run.stopped) return;
    }
    if (!run.Listing() && !StampHeader(run)) break;
  }
  ReportWriteRule(&run.report, run.tranRow, 1, '=');
  char summary[200];
  std::snprintf(summary, sizeof summary, run.Text(kTextRunSummary), run.totals.transactions,
                run.totals.components, run.totals.dollars);
  ReportWriteText(&run.report, summary, 0, 1);
  CommandDone();
}

}  // namespace

int RunAssemblyJournal() {
  auto run = std::make_unique<AssemblyJournalRun>();
  BindColumns(*run);
  journals::JournalRunResources resources(*run);
  const journals::JournalStart start = journals::StartJournalRun(
      &resources, kTextBlock,
      {records::kFileAssemblyHeaders, records::kFileAssemblyComponents, records::kFileProducts, records::kFileServices},
      306, &run->header, kReportId);
  if (start == journals::JournalStart::kLeft) return 0;
  if (start != journals::JournalStart::kAccepted) return 27;
  PrintAssemblyJournal(*run);
  if (run->inUse) MsgShow(kMsgInUse, 1);
  return 0;
}
