// The inventory transaction journal (command 399): the entered inventory
// adjustments of the inventory transaction file (file 62, source 'T'), with
// the products' descriptions (file 43).
//
// Its own selection window chooses the field the list is sorted on and a
// from/to range on it, a second field (the rank field) with its range, and
// whether quantities show as decimals or as fractions of the product's
// unit.  F5 looks up a value for the range field under the cursor, F10
// prints and leaves the window open for another run, Shift+F9 puts the
// defaults back, Esc leaves (the values are remembered per user under
// "InventoryTrn").  The journal writes nothing.
#include "journals/inventory_journal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <string>

#include "adjustment_kinds.h"
#include "journals/journal_print.h"
#include "oemtext.h"
#include "qxabase.h"
#include "qxabase/file_list.h"
#include "qxabase/form_helpers.h"
#include "qxabase/pick_inventory.h"
#include "qxabase/pick_product.h"
#include "qxabase/report_mru.h"
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
using records::InventoryTransaction;
using records::TagProduct;

constexpr const char* kReportId = "RSJrnlTran";
constexpr const char* kReportTitle = "Inventory Transaction";
constexpr const char* kMruKey = "InventoryTrn";
constexpr int kMsgInvalidDate = 13;

// ---- The selection window ----------------------------------------------------------------

constexpr int kFieldQuantities = 1;  // "Decimal,Fraction"
constexpr int kFieldSort = 2;
constexpr int kFieldRank = 19;
constexpr int kFieldLast = 35;
constexpr int kMruRecords = kFieldLast + 1;  // the 35 fields and the closing record

constexpr int kStateNormal = 0;
constexpr int kStateOutOfUse = 2;

// The eight fields a run sorts and ranks on.
enum SortChoice : std::int16_t {
  kSortItem = 1, kSortTransaction, kSortDate, kSortReference, kSortDepartment, kSortMasterItem, kSortAccount,
  kSortWarehouse,
};

struct SortField {
  int dictField;        // the field of file 62 in the data dictionary (the sort index's)
  int offset, width;    // in the record; the key is the field padded to `width`
  const char* mask;     // of its from/to fields
  const char* caption;  // in the page head
};
// By SortChoice - 1.
constexpr SortField kSortFields[] = {
    {1, offsetof(InventoryTransaction, productCode), 15, "%-14sC", "Item No"},
    {2, offsetof(InventoryTransaction, transactionNumber), 11, "%-10sC", "Tran No"},
    {5, offsetof(InventoryTransaction, date), 4, "nn/nn/nn", "Tran Date"},
    {10, offsetof(InventoryTransaction, reference), 11, "%-10s", "Reference"},
    {11, offsetof(InventoryTransaction, department), 6, "%-5s", "Department"},
    {18, offsetof(InventoryTransaction, masterItem), 11, "%-10sC", "Master Itm"},
    {21, offsetof(InventoryTransaction, glAccount), 11, "%-10sC", "GL Account"},
    {19, offsetof(InventoryTransaction, warehouse), 4, "%-3sC", "Warehouse"},
};
constexpr int kSortChoices = static_cast<int>(std::size(kSortFields));

const OptionTableEntry kSortOptions[] = {
    {'I', "Item Number", kSortItem},     {'T', "Transaction Number", kSortTransaction},
    {'D', "Transaction Date", kSortDate}, {'R', "Reference", kSortReference},
    {'P', "Department", kSortDepartment}, {'M', "Master Item", kSortMasterItem},
    {'G', "GL Account", kSortAccount},   {'W', "Warehouse", kSortWarehouse},
    {}};

// The from field of choice `choice` in the sort block (3-17) or the rank
// block (20-34).
int PairOf(int choiceField, int choice) { return choiceField + 1 + 2 * (choice - 1); }
// The choice a range field belongs to, and whether it is in the rank block.
int ChoiceOfField(int field) { return field <= 18 ? (field - 3) / 2 + 1 : (field - 20) / 2 + 1; }
bool IsRangeField(int field) { return (field >= 3 && field <= 18) || (field >= 20 && field <= 35); }
bool IsDateField(int field) { return IsRangeField(field) && ChoiceOfField(field) == kSortDate; }
bool IsTransactionField(int field) { return IsRangeField(field) && ChoiceOfField(field) == kSortTransaction; }

constexpr char kQuantityChoices[] = "\x01" "Decimal,Fraction";

// The window: the quantities on row 1, the sort field on row 3 with its
// from/to pair on rows 4 and 5, the rank field on row 7 with its pair on
// rows 8 and 9.  Only the pair of the chosen field is in use; the others of
// its block stand in the same place, out of use.
constexpr int kWindowTop = 2, kWindowLeft = 12, kWindowRows = 15, kWindowCols = 66;
constexpr int kValueColumn = 20;

struct FormTable {
  TagFormField fields[kFieldLast + 1] = {};
  FormTable() {
    fields[0] = {.number = kFieldQuantities, .row = 1, .column = kValueColumn, .mask = "%-17sm",
                 .choices = kQuantityChoices, .label = "Quantities as"};
    for (int block : {kFieldSort, kFieldRank}) {
      const int row = block == kFieldSort ? 3 : 7;
      fields[block - 1] = {.number = static_cast<std::uint8_t>(block), .row = static_cast<std::uint8_t>(row),
                           .column = kValueColumn, .label = block == kFieldSort ? "Sort on" : "Rank on"};
      for (int choice = 1; choice <= kSortChoices; ++choice) {
        const int from = PairOf(block, choice);
        for (int end = 0; end < 2; ++end) {
          TagFormField& f = fields[from + end - 1];
          f.number = static_cast<std::uint8_t>(from + end);
          f.row = static_cast<std::uint8_t>(row + 1 + end);
          f.column = kValueColumn;
          std::snprintf(f.mask, sizeof f.mask, "%s", kSortFields[choice - 1].mask);
          f.label = end == 0 ? "From" : "To";
        }
      }
    }
  }
};

// The remembered fields: the three choices, the dates, texts otherwise.
struct MruTable {
  TAG_REPORT_MRU_FIELD fields[kMruRecords] = {};
  MruTable() {
    for (int f = 1; f <= kFieldLast; ++f) {
      TAG_REPORT_MRU_FIELD& r = fields[f - 1];
      r.fieldNumber = static_cast<std::uint8_t>(f);
      r.valueCode = static_cast<std::uint32_t>(20 * f);
      r.kind = f == kFieldQuantities || f == kFieldSort || f == kFieldRank ? kMruKindChoice
               : IsDateField(f)                                            ? kMruKindDate
                                                                           : kMruKindText;
    }
  }
};

class InventoryTrnMru final : public CQxRepMRUParam {};

// ---- Report columns ----------------------------------------------------------------------

constexpr TagReportColumn kHeadingRow[] = {
    Heading("Trans. #", "%-12s", 0),   Heading("Date", "%-10s", 13),      Heading("Type", "%-10s", 24),
    Heading("WHC", "%-6s", 35),        Heading("Item No", "%-15s", 42),   Heading("Item Description", "%-21s", 58),
    Heading("Reference", "%-11s", 80), Heading("GL Acct.", "%-10s", 93),  Heading("Qty", "%-11s", 104),
    Heading("Cost", "%-11s", 116),     Heading("Extended", "%-11s", 128),
    {},
};
enum RowColumn : int {
  kRowTransaction, kRowDate, kRowType, kRowWarehouse, kRowItem, kRowDescription, kRowReference, kRowAccount,
  kRowQuantity, kRowCost, kRowExtended, kRowColumns
};
constexpr TagReportColumn kRow[] = {
    Column(kColumnText, "%-12s", 0),   Column(kColumnText, "%-10s", 13),  Column(kColumnText, "%-10s", 24),
    Column(kColumnText, "%-6s", 35),   Column(kColumnText, "%-15s", 42),  Column(kColumnText, "%-21.21s", 58),
    Column(kColumnText, "%-11s", 80),  Column(kColumnText, "%-10s", 93),  Column(kColumnText, "%-11s", 103),
    Column(kColumnText, "%11s", 116),  Column(kColumnText, "%11s", 128),
    {},
};
static_assert(std::size(kRow) == kRowColumns + 1);

struct RowValues {
  char transaction[12] = {};
  char date[12] = {};
  char type[12] = {};
  char warehouse[5] = {};
  char item[16] = {};
  char description[32] = {};
  char reference[12] = {};
  char account[12] = {};
  char quantity[64] = {};
  char cost[32] = {};
  char extended[32] = {};
};

// ---- The run ---------------------------------------------------------------------------------

// A from/to range on one field: the bounds as typed (for the page head) and
// as compared ("" bounds nothing).
struct Bounds {
  int choice = kSortItem;
  std::string fromShown, toShown;
  std::string from, to;
  std::int32_t fromDate = 0, toDate = 0;  // the date choice
};

struct InventoryJournalRun {
  FileSet files;
  Form form{};
  bool formBegun = false;
  Window window{};
  FormTable table;
  char* sortChoices = nullptr;
  char* rankChoices = nullptr;
  records::InterfaceRecord iface{};
  int lastSort = kSortItem, lastRank = kSortItem;  // the choices whose pairs are open
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;

  // One print run.
  TagRepInfo report{};
  InventoryTransaction record{};
  TagProduct product{};
  TagReportColumn row[kRowColumns + 1] = {};
  RowValues values;
  Bounds sort, rank;
  bool decimal = true;

  ~InventoryJournalRun() {
    WinClose(&window, 1);
    FileSetClose(&files);
    if (formBegun) FormEnd(&form);
    MemFree(sortChoices);
    MemFree(rankChoices);
    CQxBaseRepParam::ReportDefAndMRUFree(copy, collection, mru);
    CommandFinish();
  }

  BtrvHandle transactions() const { return files.handle[0]; }
  BtrvHandle products() const { return files.handle[1]; }
  BtrvHandle masterItems() const { return files.handle[4]; }
};

InventoryJournalRun* RunOf(Form* form) { return static_cast<InventoryJournalRun*>(form->context); }

void BindColumns(InventoryJournalRun& run) {
  RowValues& v = run.values;
  std::copy(std::begin(kRow), std::end(kRow), run.row);
  TagReportColumn* r = run.row;
  r[kRowTransaction].value = v.transaction;
  r[kRowDate].value = v.date;
  r[kRowType].value = v.type;
  r[kRowWarehouse].value = v.warehouse;
  r[kRowItem].value = v.item;
  r[kRowDescription].value = v.description;
  r[kRowReference].value = v.reference;
  r[kRowAccount].value = v.account;
  r[kRowQuantity].value = v.quantity;
  r[kRowCost].value = v.cost;
  r[kRowExtended].value = v.extended;
}

// ---- Window callbacks -----------------------------------------------------------------------

// Opens the pair of the choice in `block` and puts the others of the block
// out of use.
void OpenPair(Form* form, int block, int choice) {
  for (int f = block + 1; f <= block + 2 * kSortChoices; ++f) FieldSetAccess(form, f, kStateNormal);
  for (int c = 1; c <= kSortChoices; ++c) {
    if (c == choice) continue;
    FieldSetAccess(form, PairOf(block, c), kStateOutOfUse);
    FieldSetAccess(form, PairOf(block, c) + 1, kStateOutOfUse);
  }
}

int ChoiceOf(Form* form, int block) {
  const int choice = OptionTableValue(form, kSortOptions, block);
  return choice >= 1 && choice <= kSortChoices ? choice : kSortItem;
}

int ChoiceChanged(Form* form, int field) {
  InventoryJournalRun* run = RunOf(form);
  int& last = field == kFieldSort ? run->lastSort : run->lastRank;
  const int choice = ChoiceOf(form, field);
  if (choice == last) return 0;
  last = choice;
  OpenPair(form, field, choice);
  return 0x80;
}

// A range date: empty, or a valid date.
int DateExit(Form* form, int field) {
  const KeyCode key = FormLastKey(form);
  if (key == kKeyUp || key == kKeyShiftTab) return 0;
  char text[32] = {};
  FieldGetText(form, field, text, sizeof text);
  StrTrim(7, text);
  if (text[0] == '\0' || std::strcmp(text, "//") == 0) return 0;
  FieldGetText(form, field, text, sizeof text);
  if (DateIsValid(text)) return 0;
  MsgShow(kMsgInvalidDate, 1);
  return 0x20;
}

// Transaction numbers are stored right-justified in 10: a number typed
// shorter is put the same way.
int TransactionExit(Form* form, int field) {
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  StrTrim(5, text);
  if (text[0] == '\0' || std::strlen(text) >= 11) return 0;
  StrJustify(text, 10);
  FieldSetText(form, field, text);
  FieldRedraw(form, field);
  return 0;
}

// Puts every choice back to the item number, the pairs following.
int Reset(Form* form, bool start) {
  InventoryJournalRun* run = RunOf(form);
  if (!start) {
    FieldSetFocus(form, kFieldQuantities);
    if (run->collection) run->collection->RestoreAll();
  }
  for (int block : {kFieldSort, kFieldRank}) {
    WinWriteRow(&run->window, 0, block, OptionTableText(kSortOptions));
    if (start) FieldSetChoice(form, block, kSortItem);
  }
  Window* w = &run->window;
  WinWriteAt(w, 11, 2, "F10 prints the adjustments in the ranges; the window stays");
  WinWriteAt(w, 12, 2, "open for another run.  F5 looks up a value.");
  if (start) {
    if (run->collection) run->collection->BackupAll();
    if (CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) {
      run->mru = new (std::nothrow) InventoryTrnMru;
      if (run->mru) {
        run->mru->Initialize(SharedAppBlockGet()->userName, kMruKey, MruTable().fields);
        if (run->mru->LoadAllFields()) run->mru->StructToScreen(form);
      }
    }
  }
  // The pairs follow the choices as they now stand.
  run->lastSort = run->lastRank = 0;
  ChoiceChanged(form, kFieldSort);
  ChoiceChanged(form, kFieldRank);
  return start ? 0 : 0x80;
}

int FormStart(Form* form, int) { return Reset(form, true); }
int ResetKey(Form* form, KeyCode) { return Reset(form, false); }

// ---- Look-ups -----------------------------------------------------------------------------------

std::string Text(const char* field, std::size_t n) { return Trim(std::string_view(field, strnlen(field, n))); }

std::string DepartmentLine(const void* record) {
  const auto* r = static_cast<const InventoryTransaction*>(record);
  char line[120];
  std::snprintf(line, sizeof line, "%-10.10s %-5.5s  %-10.10s %-3.3s  %-14.14s", Text(r->transactionNumber, 11).c_str(),
                Text(r->department, 6).c_str(), Text(r->glAccount, 11).c_str(), Text(r->warehouse, 4).c_str(),
                Text(r->productCode, 15).c_str());
  return line;
}

// The value field `field` takes from a record of file 62.
std::string TransactionValue(const InventoryTransaction& r, int field) {
  char date[16] = {};
  switch (ChoiceOfField(field)) {
    case kSortTransaction: return Text(r.transactionNumber, 11);
    case kSortDate: return r.date ? DateToText(date, r.date) : "";
    case kSortReference: return Text(r.reference, 11);
    case kSortDepartment: return Text(r.department, 6);
    case kSortAccount: return Text(r.glAccount, 11);
    case kSortWarehouse: return Text(r.warehouse, 4);
    default: return "";
  }
}

int LookUpKey(Form* form, KeyCode) {
  InventoryJournalRun* run = RunOf(form);
  const int field = FormCurrentField(form);
  if (!IsRangeField(field)) return 0x20;
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  std::string value;
  switch (ChoiceOfField(field)) {
    case kSortItem: {
      TagProduct picked{};
      if (!PickProduct(text, 0, run->products(), &picked, 4, 9, 13, 60)) return 0x20;
      value = Text(picked.number, sizeof picked.number);
      break;
    }
    case kSortTransaction:
    case kSortDate:
    case kSortReference: {
      InventoryTransaction r{};
      FileList list{run->transactions(), &r, sizeof r, {3, 1}, InventoryTransactionRow, InventoryTransactionSeekKey};
      const bool byNumber = ChoiceOfField(field) == kSortTransaction;
      if (!RunFileList(list, "Inventory Transactions - JrnlTran", kInventoryTransactionHeading,
                       byNumber ? text : nullptr))
        return 0x20;
      value = TransactionValue(r, field);
      break;
    }
    case kSortDepartment:
    case kSortAccount:
    case kSortWarehouse: {
      InventoryTransaction r{};
      FileList list{run->transactions(), &r, sizeof r, {3, 1}, DepartmentLine, InventoryTransactionSeekKey};
      if (!RunFileList(list, "Departments and Accounts - JrnlDept", "Tran. No.  Dept.  GL Acct.   WHC  Item",
                       nullptr))
        return 0x20;
      value = TransactionValue(r, field);
      break;
    }
    case kSortMasterItem: {
      records::TagMasterItem r{};
      if (!PickMasterItem(text, 0, run->masterItems(), &r, 4, 9, 13, 60)) return 0x20;
      value = Text(r.code, sizeof r.code);
      break;
    }
    default: return 0x20;
  }
  FieldSetText(form, field, value.c_str());
  FieldRedraw(form, field);
  if (IsTransactionField(field)) TransactionExit(form, field);
  return 0x40;
}

// ---- Print --------------------------------------------------------------------------------------

// A text as the selection compares it: without its trailing blanks and NULs,
// letters without case, as the sort index orders them.
std::string Comparable(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
  return std::string(text);
}

int CompareText(const std::string& a, const std::string& b) { return oem::CompareText(a, b); }

// Reads the from/to pair of `choice` in `block` into *bounds.
void ReadBounds(Form* form, int block, int choice, Bounds* bounds) {
  *bounds = Bounds{};
  bounds->choice = choice;
  const int from = PairOf(block, choice);
  for (int end = 0; end < 2; ++end) {
    char text[256] = {};
    FieldGetText(form, from + end, text, sizeof text);
    char trimmed[256];
    std::snprintf(trimmed, sizeof trimmed, "%s", text);
    StrTrim(7, trimmed);
    const bool empty = trimmed[0] == '\0' || (choice == kSortDate && std::strcmp(trimmed, "//") == 0);
    char bound[256];
    std::snprintf(bound, sizeof bound, "%s", empty ? (end == 0 ? "FIRST" : "LAST ") : text);
    // A transaction number is compared as stored, right-justified in 10,
    // however it was typed.
    if (!empty && choice == kSortTransaction && std::strlen(trimmed) < 11) {
      std::snprintf(bound, sizeof bound, "%s", trimmed);
      StrJustify(bound, 10);
    }
    (end == 0 ? bounds->fromShown : bounds->toShown) = bound;
    RangeBoundConvert(bound);
    std::string& value = end == 0 ? bounds->from : bounds->to;
    value = Comparable(bound);
    if (choice == kSortDate && !value.empty()) {
      const std::int32_t day = DateIsValid(value.c_str()) ? DateFromText(value.c_str()) : 0;
      (end == 0 ? bounds->fromDate : bounds->toDate) = day;
    }
  }
}

// The field of `choice` in a record, as text.
std::string FieldOf(const InventoryTransaction& r, int choice) {
  const SortField& f = kSortFields[choice - 1];
  return Comparable(std::string_view(reinterpret_cast<const char*>(&r) + f.offset, static_cast<std::size_t>(f.width)));
}

// True when the record's field lies within the bounds (an empty bound tests
// nothing).
bool InBounds(const InventoryTransaction& r, const Bounds& b) {
  if (b.choice == kSortDate) {
    if (!b.from.empty() && r.date < b.fromDate) return false;
    if (!b.to.empty() && r.date > b.toDate) return false;
    return true;
  }
  const std::string value = FieldOf(r, b.choice);
  if (!b.from.empty() && CompareText(value, b.from) < 0) return false;
  if (!b.to.empty() && CompareText(value, b.to) > 0) return false;
  return true;
}

// The key the walk starts from: the sort from-bound as the field stores it.
void StartKey(const Bounds& b, char* key) {
  const SortField& f = kSortFields[b.choice - 1];
  if (b.choice == kSortDate) {
    const std::int32_t day = b.fromDate;
    std::memcpy(key, &day, sizeof day);
    return;
  }
  // A blank warehouse is the lowest key there is.
  if (b.from.empty()) return;
  char text[64] = {};
  std::snprintf(text, sizeof text, "%s", b.from.c_str());
  StrPad(text, f.width);
  std::memcpy(key, text, static_cast<std::size_t>(f.width));
}

void PageHead(InventoryJournalRun& run) {
  TagRepInfo* report = &run.report;
  if (ReportTestReady(report) != 0) return;
  if (report->lineCount > 0) ReportNewPage(report);
  if (ReportColumnsActive(report)) ReportSetColumnLayout(report, run.row, 2);
  ReportPageStart(report, 0, 2);
  ReportBlockBegin(report, kFontTitle);
  ReportWriteText(report, "INVENTORY ADJUSTMENTS LISTING", kReportCentred, 1);
  ReportBlockEnd(report);
  ReportBlockBegin(report, kFontHeading);
  char line[200];
  std::snprintf(line, sizeof line, "Sort on: %s   From: %s   To: %s", kSortFields[run.sort.choice - 1].caption,
                run.sort.fromShown.c_str(), run.sort.toShown.c_str());
  ReportWriteText(report, line, kReportCentred, 1);
  std::snprintf(line, sizeof line, "Rank on: %s   From: %s   To: %s", kSortFields[run.rank.choice - 1].caption,
                run.rank.fromShown.c_str(), run.rank.toShown.c_str());
  ReportWriteText(report, line, kReportCentred, 1);
  ReportBlockEnd(report);
  ReportSkipLines(report, 1);
  ReportBlockBegin(report, kFontColumnHeading);
  ReportWriteColumns(report, kHeadingRow, 1);
  ReportWriteRule(report, kHeadingRow, 1, '-');
  ReportBlockEnd(report);
  if (ReportColumnsActive(report)) ReportSetHeadingEnd(report, report->lineCount + 1);
}

void FillRow(InventoryJournalRun& run) {
  const InventoryTransaction& r = run.record;
  RowValues& v = run.values;
  v = RowValues{};
  CopyField(v.transaction, r.transactionNumber);
  if (r.date) DateToText(v.date, r.date);
  std::snprintf(v.type, sizeof v.type, "%s", AdjustmentKindName(r.kind));
  CopyField(v.warehouse, r.warehouse);
  CopyField(v.item, r.productCode);
  CopyField(v.reference, r.reference);
  CopyField(v.account, r.glAccount);
  // The product of the record itself: another product's description or unit
  // would misstate the line.
  char key[255] = {};
  std::memcpy(key, r.productCode, sizeof r.productCode);
  const int status = BtrvGetOp(kOpGetEqual, run.products(), key, &run.product, sizeof run.product);
  if (status != kStatusOk) {
    if (status != kStatusKeyNotFound) MsgRecordError(status, 1, kOpGetEqual, records::kFileProducts, 0);
    run.product = TagProduct{};
    std::snprintf(run.product.description, sizeof run.product.description, "%s", "* Not on file *");
  }
  CopyField(v.description, run.product.description, 21);
  // Kept in stock units, shown in the product's measure.
  const int divisor = run.product.purchaseUnitFactor;
  StrFormatQuantity(v.quantity, "%11.4fF", run.decimal ? 1 : 0, divisor,
                    divisor > 0 ? NumDivide(r.quantity, divisor) : static_cast<double>(r.quantity));
  NumToText(v.cost, r.unitCost, 4);
  NumToText(v.extended, r.extendedAmount, 2);
}

void PrintInventoryJournal(InventoryJournalRun& run) {
  Form* form = &run.form;
  BtrvHandle handle = run.transactions();
  ReadBounds(form, kFieldSort, ChoiceOf(form, kFieldSort), &run.sort);
  ReadBounds(form, kFieldRank, ChoiceOf(form, kFieldRank), &run.rank);
  run.decimal = FieldGetChoice(form, kFieldQuantities) != 2;

  const int keptKey = BtrvGetKey(handle);
  ScopeExit restoreKey([&] { BtrvSetKey(handle, keptKey, -1); });
  run.report = TagRepInfo{};
  run.report.reportPage = 1;
  run.report.showProgress = 1;
  run.report.landscape = 1;
  if (!ReportOpen(&run.report, kReportTitle)) return;
  ReportRunGuard guard(&run.report);
  const SortField& sortField = kSortFields[run.sort.choice - 1];
  const bool indexed = TempIndexCreate(records::kFileInventoryTransactions, handle, sortField.dictField, -1, -1) == 0;
  ScopeExit dropIndex([&] {
    if (indexed) TempIndexDrop(records::kFileInventoryTransactions, handle);
  });
  if (!indexed) return;
  ReportSelectionSet(&run.report, run.row);

  char key[255] = {};
  StartKey(run.sort, key);
  int status = BtrvGetOp(kOpGetGreaterOrEqual, handle, key, &run.record, sizeof run.record);
  if (status != kStatusOk) {
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) MsgShow(kMsgNothingSelected, 1);
    else MsgRecordError(status, 1, kOpGetFirst, records::kFileInventoryTransactions, 0);
    return;
  }
  int listed = 0;
  int userKey = 0;
  for (; status == kStatusOk; status = BtrvGetOp(kOpGetNext, handle, key, &run.record, sizeof run.record)) {
    if (ReportCheckUserBreak(&run.report, &userKey)) break;
    if (!run.record.IsEntered() || !InBounds(run.record, run.sort) || !InBounds(run.record, run.rank)) continue;
    if (listed == 0 || run.report.lineCount >= run.report.pageLength) PageHead(run);
    FillRow(run);
    ReportWriteColumns(&run.report, run.row, 2);
    ++listed;
  }
  if (status != kStatusOk && status != kStatusEndOfFile)
    MsgRecordError(status, 1, kOpGetNext, records::kFileInventoryTransactions, 0);
  if (listed == 0 && userKey != 27) {
    guard.Close();
    MsgShow(kMsgNothingSelected, 1);
  } else if (userKey != 27) {
    CommandDone();
  }
}

int PrintKey(Form* form, KeyCode) {
  InventoryJournalRun* run = RunOf(form);
  // The rank dates are checked like the sort dates: a date that cannot be
  // read would otherwise select nothing, or everything.
  for (int block : {kFieldSort, kFieldRank}) {
    if (ChoiceOf(form, block) != kSortDate) continue;
    for (int field : {PairOf(block, kSortDate), PairOf(block, kSortDate) + 1}) {
      char text[32] = {};
      FieldGetText(form, field, text, sizeof text);
      char trimmed[32];
      std::snprintf(trimmed, sizeof trimmed, "%s", text);
      StrTrim(7, trimmed);
      if (trimmed[0] == '\0' || std::strcmp(trimmed, "//") == 0 || DateIsValid(text)) continue;
      MsgShow(kMsgInvalidDate, 1);
      FieldSetFocus(form, field);
      return 0x80;
    }
  }
  PrintInventoryJournal(*run);
  // The window stays open and is left with Esc: what was printed from is
  // what the user means to have remembered.
  CQxBaseRepParam::ReportMRUSave(run->mru, form);
  return 0x80;
}

}  // namespace

int RunInventoryTransactionJournal() {
  auto run = std::make_unique<InventoryJournalRun>();
  BindColumns(*run);
  FormBegin(&run->form);
  run->formBegun = true;
  if (FileSetOpen(&run->files, records::kFileInventoryTransactions, records::kFileProducts, records::kFileGLAccounts,
                  records::kFileMasterItemMembers, records::kFileMasterItems) != 0)
    return 0;
  if (SettingsRecordRead(kSettingsRead, 0, sizeof run->iface, "0Interface", &run->iface) != 0) return 0;

  TagFormField* fields = run->table.fields;
  for (int f = 1; f <= kFieldLast; ++f) {
    TagFormField& field = fields[f - 1];
    if (f == kFieldSort || f == kFieldRank) field.exitCallback = ChoiceChanged;
    else if (IsDateField(f)) field.exitCallback = DateExit;
    else if (IsTransactionField(f)) field.exitCallback = TransactionExit;
  }
  if (OptionTableLoad(kSortOptions, &run->sortChoices) != 0) return 0;
  if (OptionTableLoad(kSortOptions, &run->rankChoices) != 0) return 1;
  for (int block : {kFieldSort, kFieldRank}) {
    TagFormField& field = fields[block - 1];
    field.choices = block == kFieldSort ? run->sortChoices : run->rankChoices;
    int widest = 0;
    for (const OptionTableEntry* e = kSortOptions; e->caption; ++e)
      widest = std::max(widest, static_cast<int>(std::strlen(e->caption)));
    std::snprintf(field.mask, sizeof field.mask, "%%%dsm", widest);
  }
  if (!FormFieldsCreate(&run->form, fields, 1)) return 0;
  char title[81];
  GetCaption(title, kCaptionWindow);
  if (WinOpen(&run->window, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, 32, title) != 0) return 0;
  run->form.context = run.get();
  FormSetup(&run->form, 1, -1);
  FormOnKey(&run->form, kKeyShiftF9, ResetKey, "Defaults");
  FormOnKey(&run->form, kKeyF5, LookUpKey, "Look up");
  FormOnKey(&run->form, kKeyF10, PrintKey, "Print");
  std::snprintf(run->form.reportId, sizeof run->form.reportId, "%s", kReportId);
  run->form.startHook = FormStart;
  run->form.eventHook = StandardReportCallback;
  FormAttachWindow(&run->window, &run->form, 1);
  CQxBaseRepParam::RunRemembered(run->copy, run->collection, run->mru, &run->form, kMruRecords);
  return 0;
}
