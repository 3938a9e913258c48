// The billing journal (command 305: customer invoices and returns, headers
// file 32, lines file 31) and the purchasing journal (command 304: purchases
// and returns, files 41 and 40).  One unit serves both; the entry chooses
// the page layout (billing carries a Freight column) and the command id the
// files, texts and the columns shown.
//
// The journal prints two sections.  First one row per transaction header
// (type, department or document code, number, customer or vendor, name,
// date, gross, freight, tax, total, amount paid, net to pay) with subtotals
// by type within each department, department subtotals and the journal's
// totals; returns count negative in every total but amount paid, which is
// money received or paid either way.  Then, on a new page, the
// transactions' lines summed per item within kind and department, with the
// average unit price and its variance from the item's price (the selling
// price in billing, the last cost in purchasing).
//
// "Journal" mode prints the unposted transactions of the journal date's
// period, warns of items not on file, and marks each printed header as
// printed.  "Listing" mode prints what the selection window's criteria
// choose, marks the unposted headers in a column of their own, and writes
// nothing.
//
// The selection window, the readers and the "Select:" lines are the journal
// frame's (journal_frame.h); the column builders and the run's resources are
// shared with the other journals (journal_print.h).
#include "journals/billing_purchasing_journal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "journals/journal_frame.h"
#include "journals/journal_print.h"
#include "qxabase.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/record_image.h"
#include "records/transactions.h"
#include "report_frame.h"

namespace {

using records::BiPoLine;
using records::PricedCode;
using records::ServiceRecord;
using records::TagBiPoHeader;
using records::TagProduct;

using journals::Amount;
using journals::AmountHeading;
using journals::Column;
using journals::CopyField;
using journals::Heading;
using journals::RoundCents;
using journals::ShowAllColumns;
using journals::Trim;

constexpr int kBilling = 305;
constexpr int kPurchasing = 304;

// Screen texts of the header section (block 218).
constexpr int kHeaderTextBlock = 218;
constexpr int kHeaderTextCount = 46;
enum HeaderText : int {
  kTextPurchasingListing = 0,
  kTextPurchasingJournal = 1,
  kTextBillingListing = 4,
  kTextBillingJournal = 5,
  kTextItemSubtitle = 8,
  kTextUnpostedMark = 12,        // its first character marks an unposted header; the whole is the legend
  kTextOtherType = 13,           // the type of a header that is not 'I'
  kTextBillingInvoice = 14,      // 'I' in billing
  kTextPurchasingInvoice = 15,   // 'I' in purchasing
  kTextPurchasingSubtotal = 16,  // a type subtotal after purchases; 17 after returns
  kTextPurchasingReturns = 17,
  kTextBillingSubtotal = 18,     // after invoices; 19 after returns
  kTextBillingReturns = 19,
  kTextDepartmentSubtotal = 20,
  kTextGrandTotal = 21,
};

// Screen texts of the item section (block 549).
constexpr int kItemTextBlock = 549;
constexpr int kItemTextCount = 32;
enum ItemText : int {
  kTextDepartmentTotal = 0,
  kTextItemGrandTotal = 1,
  kTextProductNotOnFile = 12,  // the name of a product or service not on file
  kTextCodeNotOnFile = 13,     // the name of a priced code not on file
  kTextBillingSide = 14,       // the transaction as the messages name it
  kTextPurchasingSide = 15,
};

constexpr int kMsgProductMissing = 1395;  // %1 product, %2 side, %3 transaction
constexpr int kMsgServiceMissing = 1397;
constexpr int kMsgBillingCodeMissing = 1399;
constexpr int kMsgPurchasingCodeMissing = 1401;

// What tells the two journals apart.
struct Ledger {
  int commandId;
  int headerFile, lineFile, codeFile;
  int listingLineKey;  // the line file's key in "Listing" mode: department, kind, item
  const char* reportId;
  int journalTitle, listingTitle;
  int invoiceType;      // type text of an 'I' header
  int subtotal, returnsSubtotal;
  int codeMissingMessage;
  int sideText;
};

// Purchasing prices kind-4 lines from its own codes (file 37), billing from
// file 12.
constexpr Ledger kBillingLedger{kBilling, records::kFileBillingHeaders, records::kFileBillingLines,
                                records::kFileBillingCodes, 5, "RSJrnlBill", kTextBillingJournal,
                                kTextBillingListing, kTextBillingInvoice, kTextBillingSubtotal,
                                kTextBillingReturns, kMsgBillingCodeMissing, kTextBillingSide};
constexpr Ledger kPurchasingLedger{kPurchasing, records::kFilePurchasingHeaders, records::kFilePurchasingLines,
                                   records::kFilePurchasingCodes, 4, "RSJrnlPurch", kTextPurchasingJournal,
                                   kTextPurchasingListing, kTextPurchasingInvoice, kTextPurchasingSubtotal,
                                   kTextPurchasingReturns, kMsgPurchasingCodeMissing, kTextPurchasingSide};

constexpr const char* kReportTitle = "Billing/Purchasing Journal";

// ---- Header section columns ------------------------------------------------------------------
// One column order for both layouts; the purchasing layout keeps its
// Freight column hidden.

enum HeaderColumn : int {
  kColType, kColFirst, kColMarker, kColNumber, kColCode, kColName, kColDate,
  kColGross, kColFreight, kColTax, kColSecondTax, kColTotal, kColPaid, kColNet, kHeaderColumns
};
enum Heading1Column : int { kHead1First, kHead1Number, kHead1Code, kHeading1Columns };

// Where the columns stand and how wide the name prints in one layout.
struct Layout {
  TagReportColumn heading1[kHeading1Columns + 1];
  TagReportColumn heading2[kHeaderColumns + 1];
  TagReportColumn row[kHeaderColumns + 1];
  int nameWidth;
  int captionX;  // the caption of a total row
  bool freight;
};

constexpr TagReportColumn Hidden(TagReportColumn c) {
  c.hidden = 1;
  return c;
}

// Billing: the name is cut to its column, which ends before the date.
constexpr Layout kBillingLayout{
    {Heading("", "%-5s", 6), Heading("Inv/Ret", "%-10s", 15), Heading("Customer", "%-10s", 26), {}},
    {Heading("Type", "%-5s", 0), Heading("", "%-5s", 6), Hidden(Heading("", "%c", 12)),
     Heading("Number", "%-10s", 13), Heading("Code", "%-10s", 24), Heading("Name", "%-21s", 35),
     Heading("Date", "%-8s", 57), AmountHeading("Gross", "%11s", 66), AmountHeading("Freight", "%10s", 78),
     AmountHeading("Tax", "%10s", 89), Hidden(AmountHeading("", "%10s", 89)), AmountHeading("Total", "%11s", 100),
     AmountHeading("Amount Paid", "%11s", 112), AmountHeading("Net to Pay", "%11s", 125), {}},
    {Column(kColumnText, "%-5s", 0),            // type
     Column(kColumnText, "%-5.5s", 6),          // department (billing) or document code
     Column(kColumnChar, "%c", 12),             // unposted mark ("Listing" mode)
     Column(kColumnText, "%-10.10s", 13),       // number
     Column(kColumnText, "%-10.10s", 24),       // customer or vendor
     Column(kColumnText, "%-21.21s", 35),       // name
     Column(kColumnDate, "nn/nn/nn", 57),       // date
     Amount("%11.2f", 66), Amount("%10.2f", 78), Amount("%10.2f", 89), Amount("%10.2f", 89),
     Amount("%11.2f", 100), Amount("%11.2f", 112), Amount("%11.2f", 125), {}},
    21,
    35,
    true};

constexpr Layout kPurchasingLayout{
    {Heading("", "%-5s", 7), Heading("MR/Ret", "%-10s", 16), Heading("Vendor", "%-10s", 27), {}},
    {Heading("Type", "%-6s", 0), Heading("", "%-5s", 7), Hidden(Heading("", "%c", 13)),
     Heading("Number", "%-10s", 16), Heading("Code", "%-10s", 27), Heading("Name", "%-26s", 40),
     Heading("Date", "%-8s", 67), AmountHeading("Gross", "%11s", 76), Hidden(AmountHeading("", "%11s", 76)),
     AmountHeading("Tax", "%11s", 88), Hidden(AmountHeading("", "%11s", 88)), AmountHeading("Total", "%11s", 100),
     AmountHeading("Amount Paid", "%11s", 112), AmountHeading("Net to Pay", "%10s", 126), {}},
    {Column(kColumnText, "%-6s", 0),
     Column(kColumnText, "%-5.5s", 7),
     Column(kColumnChar, "%c", 13),
     Column(kColumnText, "%-10.10s", 16),
     Column(kColumnText, "%-10.10s", 27),
     Column(kColumnText, "%-25.25s", 40),
     Column(kColumnDate, "nn/nn/nn", 67),
     Amount("%11.2f", 76), Amount("%11.2f", 76), Amount("%11.2f", 88), Amount("%11.2f", 88),
     Amount("%11.2f", 100), Amount("%11.2f", 112), Amount("%10.2f", 126), {}},
    25,
    40,
    false};

// ---- Item section columns --------------------------------------------------------------------

enum ItemColumn : int {
  kItemDept, kItemKind, kItemWarehouse, kItemNumber, kItemDescription, kItemUnits, kItemAmount, kItemAverage,
  kItemPrice, kItemVariance, kItemColumns
};
constexpr TagReportColumn kItemHeadingRow[] = {
    Heading("Dept.", "%-5s", 0),
    Heading("Type", "%-8s", 6),
    Heading("WHC", "%-5s", 15),
    Heading("Item Number", "%-20s", 21),
    Heading("Description", "%-38s", 42),
    AmountHeading("Units", "%7s", 81),
    AmountHeading("Amount", "%11s", 89),
    AmountHeading("Avg./Unit", "%11s", 101),
    AmountHeading("", "%11s", 113),  // the price: selling price or last purchase price
    AmountHeading("% Variance", "%11s", 125),
    {},
};
constexpr TagReportColumn kItemRow[] = {
    Column(kColumnText, "%-5.5s", 0),
    Column(kColumnText, "%-8.8s", 6),
    Column(kColumnText, "%-5.5s", 15),
    Column(kColumnText, "%-20.20s", 21),
    Column(kColumnText, "%-38.38s", 42),
    Column(kColumnText, "%7s", 81, nullptr, kAlignRight),
    Amount("%11.2f", 89),
    Amount("%11.2f", 101),
    Amount("%11.2f", 113),
    Amount("%11.2f", 125),
    {},
};
static_assert(std::size(kItemRow) == kItemColumns + 1);

enum ItemTotalColumn : int { kItemTotalCaption, kItemTotalAmount, kItemTotalColumns };
constexpr TagReportColumn kItemTotalRow[] = {
    Column(kColumnText, "%-14s", 42),
    Amount("%11.2f", 89),
    {},
};

// ---- The run ---------------------------------------------------------------------------------

// The amounts a header row shows, and the totals that add them up.
struct Amounts {
  double gross = 0, freight = 0, tax = 0, secondTax = 0, total = 0, paid = 0, net = 0;

  void Add(const Amounts& a) {
    gross = RoundCents(gross + a.gross);
    freight = RoundCents(freight + a.freight);
    tax = RoundCents(tax + a.tax);
    secondTax = RoundCents(secondTax + a.secondTax);
    total = RoundCents(total + a.total);
    paid = RoundCents(paid + a.paid);
    net = RoundCents(net + a.net);
  }
  // Nothing to show: the amounts a subtotal at the end is tested on.
  bool Empty(bool withFreight) const {
    return NumIsZero(gross) && NumIsZero(tax) && NumIsZero(total) && NumIsZero(paid) &&
           (!withFreight || NumIsZero(freight));
  }
};

struct HeaderValues {
  char type[16] = {};
  char first[8] = {};
  char marker = ' ';
  char number[12] = {};
  char code[12] = {};
  char name[26] = {};
  char caption[48] = {};  // of a total row
  std::int32_t date = 0;
  Amounts amounts;
};

struct ItemValues {
  char department[8] = {};
  char kind[16] = {};
  char warehouse[8] = {};
  char number[24] = {};
  char description[48] = {};
  char units[64] = {};
  double amount = 0, average = 0, price = 0, variance = 0;
};

// The item whose lines are being summed.
struct ItemGroup {
  bool open = false;
  std::string department;
  int kind = 0;
  std::string item;
  bool found = false;   // its record is on file
  std::string description;
  std::string warehouse;
  double price = 0;
  int unit = 1;         // the pricing unit: stock units per unit priced
  double amount = 0, quantity = 0;
};

struct BiPoJournalRun : journals::FrameJournalRun<kHeaderTextCount> {
  BiPoJournalRun(const Ledger& l, const Layout& layout) : ledger(l), layout(layout) {}

  const Ledger& ledger;
  const Layout& layout;
  const char* itemTexts[kItemTextCount] = {};
  TagBiPoHeader header{};  // the frame's readers read into it
  std::string title;

  TagReportColumn heading1[kHeading1Columns + 1] = {};
  TagReportColumn heading2[kHeaderColumns + 1] = {};
  TagReportColumn headerRow[kHeaderColumns + 1] = {};
  TagReportColumn totalRow[kHeaderColumns + 1] = {};
  HeaderValues headerValues;
  HeaderValues totalValues;

  TagReportColumn itemHeading[std::size(kItemHeadingRow)] = {};
  TagReportColumn itemRow[kItemColumns + 1] = {};
  TagReportColumn itemTotalRow[kItemTotalColumns + 1] = {};
  ItemValues itemValues;
  char itemTotalCaption[48] = {};
  double itemTotalAmount = 0;

  bool Billing() const { return ledger.commandId == kBilling; }
  BtrvHandle headers() const { return files.handle[0]; }
  BtrvHandle lines() const { return files.handle[1]; }
  BtrvHandle codes() const { return files.handle[2]; }
  BtrvHandle products() const { return files.handle[4]; }
  BtrvHandle services() const { return files.handle[5]; }
  const char* ItemText(int n) const { return itemTexts[n] ? itemTexts[n] : ""; }
};

// ---- Binding the rows -------------------------------------------------------------------------

// The columns a journal never shows: the second tax always; for the
// purchasing journal amount paid and net to pay, and freight everywhere but
// in billing.
void HideUnusedColumns(const BiPoJournalRun& run, TagReportColumn* row) {
  row[kColSecondTax].hidden = 1;
  if (!run.layout.freight || !run.Billing()) row[kColFreight].hidden = 1;
  if (!run.Billing()) row[kColPaid].hidden = row[kColNet].hidden = 1;
}

void BindColumns(BiPoJournalRun& run) {
  const Layout& layout = run.layout;
  std::copy(std::begin(layout.heading1), std::end(layout.heading1), run.heading1);
  std::copy(std::begin(layout.heading2), std::end(layout.heading2), run.heading2);
  run.heading1[kHead1First].value = run.Billing() ? "Cust." : "Vendor";
  run.heading2[kColFirst].value = run.Billing() ? "Dept" : "Type";
  HideUnusedColumns(run, run.heading2);

  HeaderValues& h = run.headerValues;
  std::copy(std::begin(layout.row), std::end(layout.row), run.headerRow);
  TagReportColumn* r = run.headerRow;
  r[kColType].value = h.type;
  r[kColFirst].value = h.first;
  r[kColMarker].value = &h.marker;
  r[kColNumber].value = h.number;
  r[kColCode].value = h.code;
  r[kColName].value = h.name;
  r[kColDate].value = &h.date;
  r[kColGross].value = &h.amounts.gross;
  r[kColFreight].value = &h.amounts.freight;
  r[kColTax].value = &h.amounts.tax;
  r[kColSecondTax].value = &h.amounts.secondTax;
  r[kColTotal].value = &h.amounts.total;
  r[kColPaid].value = &h.amounts.paid;
  r[kColNet].value = &h.amounts.net;
  HideUnusedColumns(run, r);

  // A total row: the caption, then the amounts under their columns.
  HeaderValues& t = run.totalValues;
  std::copy(std::begin(layout.row), std::end(layout.row), run.totalRow);
  r = run.totalRow;
  for (const int c : {kColType, kColFirst, kColMarker, kColNumber, kColCode, kColDate}) r[c].hidden = 1;
  r[kColName] = Column(kColumnText, "%-40s", static_cast<std::uint16_t>(layout.captionX));
  r[kColName].value = t.caption;
  r[kColGross].value = &t.amounts.gross;
  r[kColFreight].value = &t.amounts.freight;
  r[kColTax].value = &t.amounts.tax;
  r[kColSecondTax].value = &t.amounts.secondTax;
  r[kColTotal].value = &t.amounts.total;
  r[kColPaid].value = &t.amounts.paid;
  r[kColNet].value = &t.amounts.net;
  HideUnusedColumns(run, r);

  std::copy(std::begin(kItemHeadingRow), std::end(kItemHeadingRow), run.itemHeading);
  run.itemHeading[kItemPrice].value = run.Billing() ? "Sales Price" : "Last P.Price";
  ItemValues& v = run.itemValues;
  std::copy(std::begin(kItemRow), std::end(kItemRow), run.itemRow);
  r = run.itemRow;
  r[kItemDept].value = v.department;
  r[kItemKind].value = v.kind;
  r[kItemWarehouse].value = v.warehouse;
  r[kItemNumber].value = v.number;
  r[kItemDescription].value = v.description;
  r[kItemUnits].value = v.units;
  r[kItemAmount].value = &v.amount;
  r[kItemAverage].value = &v.average;
  r[kItemPrice].value = &v.price;
  r[kItemVariance].value = &v.variance;
  std::copy(std::begin(kItemTotalRow), std::end(kItemTotalRow), run.itemTotalRow);
  run.itemTotalRow[kItemTotalCaption].value = run.itemTotalCaption;
  run.itemTotalRow[kItemTotalAmount].value = &run.itemTotalAmount;
}

// ---- The header section ------------------------------------------------------------------------

void PageHeading(BiPoJournalRun& run) {
  journals::WriteJournalPageHeading(&run.report, run.title.c_str(), run.heading1, run.heading2,
                                    [&run](TagRepInfo* report) {
                                      PrintJournalSelectionHeader(&run.context, report);
                                      // The legend of the unposted mark stands over its column.
                                      ReportBlockBegin(report, kFontColumnHeading);
                                      if (run.Listing())
                                        ReportWriteText(report, run.Text(kTextUnpostedMark),
                                                        run.headerRow[kColMarker].x, 1);
                                      else
                                        ReportSkipLines(report, 1);
                                      ReportBlockEnd(report);
                                    });
}

// A new page with its heading when the page is full.
void PageCheck(BiPoJournalRun& run) {
  if (run.report.lineCount < run.report.pageLength) return;
  ReportNewPage(&run.report);
  PageHeading(run);
}

// The header's amounts as the totals add them: a return's negative, but for
// the amount paid.
Amounts SignedAmounts(const TagBiPoHeader& h, bool withFreight) {
  const double sign = h.typeLetter == 'R' ? -1.0 : 1.0;
  Amounts a;
  a.gross = sign * h.grossAmount;
  a.freight = withFreight ? sign * h.freight : 0.0;
  a.tax = sign * h.tax;
  a.secondTax = sign * h.secondTax;
  a.total = sign * h.total;
  a.paid = h.amountPaid;
  a.net = sign * h.netToPay;
  return a;
}

void PrintHeaderRow(BiPoJournalRun& run, const TagBiPoHeader& h) {
  HeaderValues& v = run.headerValues;
  v = HeaderValues{};
  const int type = h.typeLetter == 'I' ? run.ledger.invoiceType : kTextOtherType;
  std::snprintf(v.type, sizeof v.type, "%s", run.Text(type));
  if (run.Billing()) CopyField(v.first, h.department, 5);
  else CopyField(v.first, h.documentCode, 5);
  // The mark shows which headers of a listing are still to be posted.
  const bool posted = !records::UnpostedForPosting(h.postedFlag);
  const char* mark = run.Text(kTextUnpostedMark);
  v.marker = run.Listing() && !posted && mark[0] ? mark[0] : ' ';
  CopyField(v.number, h.transactionNumber, 10);
  CopyField(v.code, h.custVendCode, 10);
  CopyField(v.name, h.name, static_cast<std::size_t>(run.layout.nameWidth));
  v.date = h.date;
  v.amounts.gross = h.grossAmount;
  v.amounts.freight = h.freight;
  v.amounts.tax = h.tax;
  v.amounts.secondTax = h.secondTax;
  v.amounts.total = h.total;
  v.amounts.paid = h.amountPaid;
  v.amounts.net = h.netToPay;
  ReportWriteColumns(&run.report, run.headerRow, 1);
}

// Writes a total row with `caption` and zeroes its totals.
void PrintTotalRow(BiPoJournalRun& run, const char* caption, Amounts* totals) {
  PageCheck(run);
  std::snprintf(run.totalValues.caption, sizeof run.totalValues.caption, "%s", caption);
  run.totalValues.amounts = *totals;
  ReportWriteColumns(&run.report, run.totalRow, 2);
  *totals = Amounts{};
}

// The caption of the type subtotal that ends a run of headers of `type`.
const char* TypeCaption(const BiPoJournalRun& run, char type) {
  return run.Text(type == 'R' ? run.ledger.returnsSubtotal : run.ledger.subtotal);
}

// The three totals of the header section.
struct HeaderTotals {
  Amounts type, department, grand;
};

// Marks the header printed.  Returns the record-manager status.
int StampHeader(BiPoJournalRun& run) {
  run.header.journalPrinted = 'Y';
  return BtrvWriteOp(kOpUpdate, run.headers(), nullptr, &run.header, sizeof run.header);
}

bool ReadHeader(BiPoJournalRun& run, int op) { return journals::ReadJournalHeader(&run.context, op); }

// The header section: the rows, their subtotals and the journal's totals.
// False when nothing was selected (the run is then dropped) or the run ended
// early (a user break, a header that could not be marked): the item section
// is left out.
bool PrintHeaderSection(BiPoJournalRun& run, ReportRunGuard* guard) {
  if (run.Listing()) BtrvSetKey(run.headers(), 6, -1);  // department, type, number
  if (!ReadHeader(run, kOpGetFirst)) {
    MsgShow(kMsgNothingSelected, 1);
    guard->Discard();
    return false;
  }
  PageHeading(run);
  HeaderTotals totals;
  const bool withFreight = run.layout.freight && run.Billing();
  int userKey = 0;
  bool more = true;
  while (more) {
    if (ReportCheckUserBreak(&run.report, &userKey)) return false;
    const TagBiPoHeader& h = run.header;
    PrintHeaderRow(run, h);
    const Amounts signedAmounts = SignedAmounts(h, withFreight);
    totals.type.Add(signedAmounts);
    totals.department.Add(signedAmounts);
    totals.grand.Add(signedAmounts);
    PageCheck(run);
    if (!run.Listing()) {
      // A header that cannot be marked ends the run: what was printed stands,
      // and the rest stays unmarked for the next journal.
      if (const int status = StampHeader(run); status != kStatusOk) {
        MsgRecordError(status, 1, kOpUpdate, run.ledger.headerFile, 0);
        return false;
      }
    }
    const TagBiPoHeader previous = h;
    more = ReadHeader(run, kOpGetNext);
    const std::string department = Trim(previous.department);
    const bool sameDepartment = more && Trim(run.header.department) == department;
    if (sameDepartment && run.header.typeLetter == previous.typeLetter) continue;
    if (more) {
      PrintTotalRow(run, TypeCaption(run, previous.typeLetter), &totals.type);
      if (!sameDepartment) PrintTotalRow(run, run.Text(kTextDepartmentSubtotal), &totals.department);
    } else {
      // The last department's subtotals, unless there is nothing to show.
      if (!totals.type.Empty(withFreight)) PrintTotalRow(run, TypeCaption(run, previous.typeLetter), &totals.type);
      if (!totals.department.Empty(withFreight))
        PrintTotalRow(run, run.Text(kTextDepartmentSubtotal), &totals.department);
    }
  }
  PrintTotalRow(run, run.Text(kTextGrandTotal), &totals.grand);
  return true;
}

// ---- The item section ----------------------------------------------------------------------------

void ItemPageHeading(BiPoJournalRun& run) {
  TagRepInfo* report = &run.report;
  const TagRepFont kept = report->font;
  if (ReportColumnsActive(report)) ReportSetColumnLayout(report, run.itemRow, 2);
  ReportPageStart(report, 0, 1);
  ReportBlockBegin(report, kFontTitle);
  ReportWriteText(report, run.title.c_str(), kReportCentred, 1);
  ReportBlockEnd(report);
  ReportBlockBegin(report, kFontHeading);
  ReportWriteText(report, run.Text(kTextItemSubtitle), kReportCentred, 1);
  ReportBlockEnd(report);
  ReportSkipLines(report, 1);
  ReportBlockBegin(report, kFontColumnHeading);
  ReportWriteColumns(report, run.itemHeading, 1);
  ReportWriteRule(report, run.itemHeading, 1, '-');
  ReportBlockEnd(report);
  ReportSetFont(report, &kept);
  if (ReportColumnsActive(report)) ReportSetHeadingEnd(report, report->lineCount + 1);
}

void ItemPageCheck(BiPoJournalRun& run) {
  if (run.report.lineCount < run.report.pageLength) return;
  ReportNewPage(&run.report);
  ItemPageHeading(run);
}

// The text of a line kind, and the caption of its subtotal.
int KindText(int kind) {
  switch (kind) {
    case 1: return 8;
    case 2: return 10;
    case 3: return 11;
    case 6: return 9;
    default: return 7;
  }
}
int KindCaption(int kind) {
  switch (kind) {
    case 1: return 2;
    case 2: return 4;
    case 3: return 5;
    case 6: return 3;
    default: return 6;
  }
}

void PrintItemTotal(BiPoJournalRun& run, const char* caption, double* amount) {
  ItemPageCheck(run);
  std::snprintf(run.itemTotalCaption, sizeof run.itemTotalCaption, "%s", caption);
  run.itemTotalAmount = *amount;
  ReportWriteColumns(&run.report, run.itemTotalRow, 2);
  *amount = 0;
}

// The item row of the group: its sums, the average price of a unit priced
// and how far that lies from the item's price, in percent.
void PrintItemRow(BiPoJournalRun& run, const ItemGroup& g) {
  ItemPageCheck(run);
  ItemValues& v = run.itemValues;
  v = ItemValues{};
  TagReportColumn* row = run.itemRow;
  ShowAllColumns(row);
  std::snprintf(v.department, sizeof v.department, "%s", g.department.c_str());
  std::snprintf(v.kind, sizeof v.kind, "%s", run.ItemText(KindText(g.kind)));
  std::snprintf(v.warehouse, sizeof v.warehouse, "%s", g.warehouse.c_str());
  std::snprintf(v.number, sizeof v.number, "%s", g.item.c_str());
  std::snprintf(v.description, sizeof v.description, "%s", g.description.c_str());
  v.amount = RoundCents(g.amount);
  if (g.kind == BiPoLine::kCodeLine) {
    // A priced code is a charge, not a quantity of anything.
    for (const int c : {kItemUnits, kItemAverage, kItemPrice, kItemVariance}) row[c].hidden = 1;
  } else {
    const int unit = g.unit > 0 ? g.unit : 1;
    const double units = NumDivide(g.quantity, unit);
    char text[64] = {};
    StrFormatQuantity(text, "%11.4fF", 0, unit, units);
    std::snprintf(v.units, sizeof v.units, "%s", Trim(text).c_str());
    v.average = RoundCents(NumDivide(g.amount, units));
    if (g.found) {
      v.price = g.price;
      v.variance = NumRound(NumDivide(v.average - g.price, g.price) * 100.0, 2);
    } else {
      row[kItemPrice].hidden = row[kItemVariance].hidden = 1;
    }
  }
  ReportWriteColumns(&run.report, row, 1);
}

// Looks the line's item up and fills the group's description, price, unit
// and warehouse from it.  An item not on file shows the not-on-file name,
// and "Journal" mode says which transaction names it.
void LookUpItem(BiPoJournalRun& run, const BiPoLine& line, ItemGroup* g) {
  g->found = false;
  g->description.clear();
  g->warehouse.clear();
  g->price = 0;
  g->unit = 1;
  char key[255] = {};
  int status = kStatusKeyNotFound;
  int missingText = kTextProductNotOnFile;
  int missingMessage = kMsgProductMissing;
  if (line.IsProductLine()) {
    std::memcpy(key, line.item, sizeof line.item);
    TagProduct product{};
    status = BtrvGetOp(kOpGetEqual, run.products(), key, &product, sizeof product);
    if (status == kStatusOk) {
      g->description = Trim(product.description);
      g->warehouse = Trim(product.warehouse);
      g->price = run.Billing() ? product.sellingPrice : product.lastCost;
      g->unit = run.Billing() ? product.salesUnitFactor : product.purchaseUnitFactor;
    }
  } else if (line.lineKind == BiPoLine::kCodeLine) {
    missingText = kTextCodeNotOnFile;
    missingMessage = run.ledger.codeMissingMessage;
    const std::string_view code = line.CodeOfKindFour();
    std::memcpy(key, code.data(), code.size());
    PricedCode record{};
    status = BtrvGetOp(kOpGetEqual, run.codes(), key, &record, sizeof record);
    if (status == kStatusOk) {
      g->description = Trim(record.description);
      g->price = record.price;
    }
  } else {
    missingMessage = kMsgServiceMissing;
    std::memcpy(key, line.item, sizeof line.item);
    ServiceRecord service{};
    status = BtrvGetOp(kOpGetEqual, run.services(), key, &service, sizeof service);
    if (status == kStatusOk) {
      g->description = Trim(service.description);
      g->price = service.price;
    }
  }
  if (status == kStatusOk) {
    g->found = true;
    return;
  }
  g->description = run.ItemText(missingText);
  if (status != kStatusKeyNotFound && status != kStatusEndOfFile) {
    const int file = line.IsProductLine() ? records::kFileProducts
                     : line.lineKind == BiPoLine::kCodeLine ? run.ledger.codeFile
                                                            : records::kFileServices;
    MsgRecordError(status, 1, kOpGetEqual, file, 0);
  } else if (!run.Listing()) {
    MsgShowArgs(missingMessage, 0x101, 0, 1, g->item.c_str(), run.ItemText(run.ledger.sideText),
                Trim(line.transactionNumber).c_str(), 0);
  }
}

// The header a line belongs to, kept while consecutive lines share it.
class LineHeaders {
 public:
  explicit LineHeaders(BiPoJournalRun& run) : run_(run) { BtrvSetKey(run.headers(), 0, -1); }

  // The line's header into *header; false when it is not on file (or could
  // not be read: the error box has said so).  The lines of an 'O' header are
  // stored under 'I': a line of 'I' whose number has no 'I' header is its
  // order's.
  bool Find(const BiPoLine& line, const TagBiPoHeader** header) {
    const std::string key(reinterpret_cast<const char*>(&line), 16);
    if (key != key_) {
      key_ = key;
      found_ = Read(key);
      if (!found_ && key[0] == 'I') found_ = Read('O' + key.substr(1));
    }
    *header = &header_;
    return found_;
  }

 private:
  bool Read(const std::string& key) {
    char buffer[255] = {};
    std::memcpy(buffer, key.data(), key.size());
    const int status = BtrvGetOp(kOpGetEqual, run_.headers(), buffer, &header_, sizeof header_);
    if (status != kStatusOk && status != kStatusKeyNotFound && status != kStatusEndOfFile)
      MsgRecordError(status, 1, kOpGetEqual, run_.ledger.headerFile, 0);
    return status == kStatusOk;
  }

  BiPoJournalRun& run_;
  std::string key_;
  TagBiPoHeader header_{};
  bool found_ = false;
};

// Whether a header passes the selection window's three criteria, tested as
// the frame's listing reader tests them (the two texts blank-padded).
bool PassesCriteria(const BiPoJournalRun& run, const TagBiPoHeader& h) {
  TagBiPoHeader copy = h;
  records::SetPadded(copy.criterionText1, records::Text(copy.criterionText1));
  records::SetPadded(copy.criterionText2, records::Text(copy.criterionText2));
  for (const journals::JournalCriterion& criterion : run.context.criteria)
    if (!CriterionMatch(&criterion.block, &copy)) return false;
  return !(run.ledger.commandId == kPurchasing && copy.typeLetter == 'O');
}

// Whether the item section takes a line: one with an effect, of a header
// the run covers ("Journal" mode: not posted; "Listing" mode: passing the
// criteria).
bool TakesLine(BiPoJournalRun& run, LineHeaders& headers, const BiPoLine& line) {
  if (line.HasNoEffect()) return false;
  const TagBiPoHeader* h = nullptr;
  if (!headers.Find(line, &h)) return false;
  if (run.Listing()) return PassesCriteria(run, *h);
  // A purchase order of the purchasing file is never printed, nor its lines.
  if (run.ledger.commandId == kPurchasing && h->typeLetter == 'O') return false;
  const char posted = h->postedFlag;
  return posted != 'Y' && posted != 'y' && posted != 1;
}

// The lines of the transactions summed per item, within kind and
// department: "Journal" mode the lines of the journal's period key in the
// period-key order (department, kind, item), "Listing" mode every line in
// department, kind and item order.  False when its texts cannot be loaded.
bool PrintItemSection(BiPoJournalRun& run) {
  const char** texts = run.itemTexts;
  if (ScreenTextLoad(kItemTextBlock, texts, kItemTextCount) != 0) return false;
  ScopeExit freeTexts([texts] { ScreenTextFree(texts); });
  ReportNewPage(&run.report);
  ItemPageHeading(run);

  LineHeaders headers(run);
  const bool listing = run.Listing();
  BtrvSetKey(run.lines(), listing ? run.ledger.listingLineKey : 1, -1);
  char key[255] = {};
  int op = kOpGetFirst;
  if (!listing) {
    std::int32_t periodKey = run.context.periodKey;
    std::memcpy(key, &periodKey, sizeof periodKey);
    op = kOpGetGreaterOrEqual;
  }
  BiPoLine line{};
  ItemGroup group;
  double kindTotal = 0, departmentTotal = 0, grandTotal = 0;
  int status = BtrvGetOp(op, run.lines(), key, &line, sizeof line);
  while (status == kStatusOk && (listing || line.periodKey == run.context.periodKey)) {
    if (TakesLine(run, headers, line)) {
      if (line.lineKind == records::BiPoLine::kServiceLine) {
        ServiceRecord service{};
        char serviceKey[255] = {};
        std::memcpy(serviceKey, line.item, sizeof line.item);
        if (BtrvGetOp(kOpGetEqual, run.services(), serviceKey, &service, sizeof service) == kStatusOk)
          JournalFieldDefault(&line, &service);
      }
      const std::string department = Trim(line.department);
      const int kind = line.lineKind;
      const std::string item =
          kind == BiPoLine::kCodeLine ? Trim(std::string(line.CodeOfKindFour())) : Trim(line.item);
      if (group.open) {
        const bool newDepartment = department != group.department;
        const bool newKind = newDepartment || kind != group.kind;
        if (newKind || item != group.item) PrintItemRow(run, group);
        if (newKind) PrintItemTotal(run, run.ItemText(KindCaption(group.kind)), &kindTotal);
        if (newDepartment) PrintItemTotal(run, run.ItemText(kTextDepartmentTotal), &departmentTotal);
        if (newKind || item != group.item) group.open = false;
      }
      if (!group.open) {
        group = ItemGroup{};
        group.open = true;
        group.department = department;
        group.kind = kind;
        group.item = item;
      }
      LookUpItem(run, line, &group);
      const double sign = line.typeLetter == 'R' ? -1.0 : 1.0;
      const double amount = sign * line.amount;
      group.amount = RoundCents(group.amount + amount);
      group.quantity += sign * line.quantity;
      kindTotal = RoundCents(kindTotal + amount);
      departmentTotal = RoundCents(departmentTotal + amount);
      grandTotal = RoundCents(grandTotal + amount);
    }
    op = kOpGetNext;
    status = BtrvGetOp(op, run.lines(), key, &line, sizeof line);
  }
  if (status != kStatusOk && status != kStatusEndOfFile && status != kStatusKeyNotFound)
    MsgRecordError(status, 1, op, run.ledger.lineFile, 0);
  if (group.open) {
    PrintItemRow(run, group);
    PrintItemTotal(run, run.ItemText(KindCaption(group.kind)), &kindTotal);
    PrintItemTotal(run, run.ItemText(kTextDepartmentTotal), &departmentTotal);
  }
  PrintItemTotal(run, run.ItemText(kTextItemGrandTotal), &grandTotal);
  return true;
}

// ---- The run -------------------------------------------------------------------------------------

void PrintBiPoJournal(BiPoJournalRun& run) {
  const records::FiscalPeriodInfo& period = run.context.period;
  if (!run.Listing()) {
    // Whether the period holds anything to print, before a report is opened.
    long count = 0;
    const bool read = JournalSelectRun(run.headers(), 0, run.Billing() ? 1 : 0, &count, period.startDate,
                                       period.endDate);
    if (!read || count == 0) {
      if (count == 0) MsgShow(kMsgNothingSelected, 1);
      return;
    }
  }
  run.title = run.Text(run.Listing() ? run.ledger.listingTitle : run.ledger.journalTitle);
  run.report = TagRepInfo{};
  run.report.reportPage = 1;
  run.report.showProgress = 1;
  run.report.landscape = 1;
  if (!ReportOpen(&run.report, kReportTitle)) return;
  ReportRunGuard guard(&run.report);
  ReportSelectionSet(&run.report, run.headerRow);
  if (PrintHeaderSection(run, &guard) && PrintItemSection(run)) CommandDone();
}

int RunBiPoJournal(int commandId, const Layout& layout) {
  const Ledger& ledger = commandId == kBilling ? kBillingLedger : kPurchasingLedger;
  auto run = std::make_unique<BiPoJournalRun>(ledger, layout);
  BindColumns(*run);
  journals::JournalRunResources resources(*run);
  // The vendor file is part of the set but not read here.
  const journals::JournalStart start = journals::StartJournalRun(
      &resources, kHeaderTextBlock,
      {ledger.headerFile, ledger.lineFile, ledger.codeFile, records::kFileVendors, records::kFileProducts,
       records::kFileServices},
      ledger.commandId, &run->header, ledger.reportId);
  if (start != journals::JournalStart::kAccepted) return 27;
  PrintBiPoJournal(*run);
  return 0;
}

}  // namespace

int RunBillingJournal(int commandId) { return RunBiPoJournal(commandId, kBillingLayout); }

int RunPurchasingJournal(int commandId) { return RunBiPoJournal(commandId, kPurchasingLayout); }
