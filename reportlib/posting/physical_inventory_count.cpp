// Physical-inventory count entry: the full-screen grid in which counted
// quantities are entered into the count file (file 36), one count record per
// product.  The counts already on file are listed read-only; on the blank row
// at the bottom a product is named (F5 picks it from the list), the quantity
// counted so far is shown, a quantity to add is typed, and the new total is
// written as the row is left.  F6 empties the count file; Esc and F10 leave
// (nothing is left to write then).  The physical-inventory journal prints
// the counts and the physical-inventory posting posts and clears them.
//
// Counting is refused while billing, purchasing or assembly transactions are
// unposted: their postings still move the quantities the count is set
// against.
//
// Quantities are doubles from the record to the screen and back, read and
// shown in the product's measure (whole units and a fraction of the unit
// divisor, "2 6/12"); a new total is the sum of what was on file and what was
// added, never a figure read back from the screen.
#include "posting/physical_inventory_count.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qxabase.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_product.h"
#include "qxabase/settings.h"
#include "qxabase/tables.h"
#include "qxabase/unposted.h"
#include "ravadodo.h"
#include "periodic/periodic_frame.h"
#include "posting/posting_frame.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace {

using records::PhysicalCount;
using records::TagProduct;

constexpr const char* kReportId = "RSPITran";
constexpr const char* kWaitKey = "RSMsgReadPhysInv";
constexpr int kFieldCode = 1, kFieldDescription = 2, kFieldSoFar = 3, kFieldAdded = 4, kFieldTotal = 5;
constexpr char kQuantityFormat[] = "%11.4fF";

constexpr int kMsgEntryRequired = 21;
constexpr int kMsgUnposted = 193;
constexpr int kMsgNegativeTotal = 249;
constexpr int kMsgCountedAlready = 277;
constexpr int kMsgNoProduct = 279;
constexpr int kMsgLookUpNewLine = 281;
constexpr int kMsgNonInventory = 283;
constexpr int kMsgNotAQuantity = 345;
constexpr int kMsgCountFileInUse = 555;
constexpr int kMsgLeave = 1053;
constexpr int kMsgClearCounts = 1229;

// The grid line: the row of fields that shows one count.
constexpr TagFormField kLineFields[] = {
    {.number = kFieldCode, .row = 3, .column = 2, .mask = "%-14sC"},
    {.number = kFieldDescription, .row = 3, .column = 16, .mask = "%-24s"},
    {.number = kFieldSoFar, .row = 3, .column = 41, .mask = "%11.4fF"},
    {.number = kFieldAdded, .row = 3, .column = 54, .mask = "%11.4fF"},
    {.number = kFieldTotal, .row = 3, .column = 67, .mask = "%11.4fF"},
    {},
};
// Over the grid's columns: the quantities right-aligned above theirs.
constexpr char kHeading[] = "Product       Description           Counted so far        Added    New total";
constexpr int kWindowTop = 1, kWindowLeft = 0, kWindowRows = 24, kWindowCols = 79;
constexpr int kHeadingRow = 2, kGridTop = 3, kGridRows = 19;

// One count on file, as the grid lists it: the record by its position, and
// what the rows show of it (the product's, read when the row is first shown).
struct CountRow {
  std::uint8_t position[4];
  char code[15];
  double counted;
  bool productRead;
  char description[24];
  std::int16_t divisor;
};

// The count being entered on the blank row.
struct Entry {
  std::string code;    // the code accepted in field 1; empty while none is
  char number[15] = {};  // the product's number as its record holds it
  bool exists = false;  // the product has a count on file
  double soFar = 0, added = 0;
  int divisor = 1;
  char description[24] = {};
};

struct CountEntry {
  FileSet files;
  BtrvHandle counts = 0;  // file 36, opened here (F6 opens it again exclusively)
  BtrvHandle products = 0;
  Form form{};
  Window window{};
  PickList list{};
  std::vector<TagFormField> line{std::begin(kLineFields), std::end(kLineFields)};
  Entry entry;
  bool ended = false;  // the count file could not be opened again: the grid ends
};

CountEntry* EntryOf(PickList* list) { return static_cast<CountEntry*>(list->context); }
CountEntry* EntryOfLine(Form* line) { return EntryOf(PickListOf(line)); }

int Divisor(int stored) { return stored < 1 ? 1 : stored; }

// A quantity in stock units as the grid shows it: in the product's measure,
// whole measures and the rest as a fraction of the units in one ("2 6/12"),
// as the physical-inventory journal prints it.
std::string Quantity(int divisor, double units) {
  char text[64] = "";
  divisor = Divisor(divisor);
  StrFormatQuantity(text, kQuantityFormat, 0, divisor, divisor > 1 ? NumDivide(units, divisor) : units);
  return text;
}

bool UnpostedHeadersExist();
bool OpenCounts(CountEntry* run, int mode);
bool LoadCounts(CountEntry* run);
void RunGrid(CountEntry* run);

// Closes what the run opened on every way out.
struct Closer {
  CountEntry& run;
  bool windowOpen = false;
  ~Closer() {
    if (windowOpen) WinClose(&run.window, 1);
    FormEnd(&run.form);
    if (run.counts) BtrvClose(run.counts);
    FileSetClose(&run.files);
  }
};

}  // namespace

int RunPhysicalInventoryEntry() {
  if (!ModulesAvailable(0, 3, 4)) return 0;
  // The base library tells why today lies in no fiscal period.
  records::FiscalPeriodInfo period{};
  constexpr int kAnyPeriodOfTheYears = 7;
  if (FiscalPeriodOfDate(kAnyPeriodOfTheYears, DateToday(), &period) != 0) return 0;
  if (UnpostedHeadersExist()) return 0;

  CountEntry run;
  FormBegin(&run.form);
  Closer closer{run};
  if (FileSetOpen(&run.files, records::kFileProducts) != 0) return 0;
  run.products = run.files.HandleOf(records::kFileProducts);
  if (!OpenCounts(&run, 0)) return 0;
  if (WinOpen(&run.window, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 0, 32,
              "Physical Inventory Count Entry") != 0)
    return 0;
  closer.windowOpen = true;
  RunGrid(&run);
  return 0;
}

namespace {

// Any billing, purchasing or assembly transaction that their postings would
// still post keeps the count closed: message 193 and the list of them.  Every
// header is read, whatever its key says.  True when the count may not open
// (the user has been told why).
bool UnpostedHeadersExist() {
  CUnpostTransCount billing(records::kFileBillingHeaders), purchasing(records::kFilePurchasingHeaders),
      assembly(records::kFileAssemblyHeaders);
  for (CUnpostTransCount* counter : {&billing, &purchasing, &assembly}) {
    const int fileNo = counter->GetLedgerID();
    BtrvHandle handle = 0;
    int status = BtrvOpen(&handle, FilePathGet(fileNo), 0, 0);
    if (status == kStatusFileNotFound) continue;  // a company that keeps no such ledger
    if (status != kStatusOk) {
      MsgRecordError(status, 1, -100, fileNo, 0);
      return true;
    }
    char key[255] = {};
    int op = kOpGetFirst;
    for (;; op = kOpGetNext) {
      if (fileNo == records::kFileAssemblyHeaders) {
        records::AssemblyHeader h{};
        status = BtrvGetOp(op, handle, key, &h, sizeof h);
        if (status != kStatusOk) break;
        if (records::UnpostedForPosting(h.postedFlag) && !h.IsDeleted()) counter->AddUnpostTrans(h.date);
      } else {
        records::TagBiPoHeader h{};
        status = BtrvGetOp(op, handle, key, &h, sizeof h);
        if (status != kStatusOk) break;
        if (periodic::IsUnposted(h)) counter->AddUnpostTrans(h.date);
      }
    }
    BtrvClose(handle);
    if (status != kStatusEndOfFile && status != kStatusKeyNotFound) {
      MsgRecordError(status, 1, op, fileNo, 0);
      return true;
    }
  }
  if (!billing.UnpostedTransactionsExists() && !purchasing.UnpostedTransactionsExists() &&
      !assembly.UnpostedTransactionsExists())
    return false;
  MsgShow(kMsgUnposted, 1);
  UnpostedListShow(&billing, &purchasing, &assembly, 0);
  return true;
}

// Opens the count file with `mode`.  False after the cause was shown.
bool OpenCounts(CountEntry* run, int mode) {
  const int status = BtrvOpen(&run->counts, FilePathGet(records::kFilePhysicalCounts), mode, 0);
  if (status == kStatusOk) return true;
  run->counts = 0;
  MsgRecordError(status, 1, -100, records::kFilePhysicalCounts, 0);
  return false;
}

// Lists every count on file.  False after a read error was shown.
bool LoadCounts(CountEntry* run) {
  char key[255] = {};
  PhysicalCount count{};
  int op = kOpGetFirst;
  int status = BtrvGetOp(op, run->counts, key, &count, sizeof count);
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return true;  // no count yet
  const int wait = MsgWaitOpen(kWaitKey, 0);
  for (; status == kStatusOk; op = kOpGetNext, status = BtrvGetOp(op, run->counts, key, &count, sizeof count)) {
    auto* row = static_cast<CountRow*>(PickRowAlloc(&run->list, sizeof(CountRow)));
    if (row == nullptr) {
      MsgWaitClose(wait);
      MsgShow(1, 1);
      return false;
    }
    status = BtrvPosition(kOpGetDirect, run->counts, row->position);
    if (status != kStatusOk) {
      op = kOpGetDirect;
      break;
    }
    std::memcpy(row->code, count.productCode, sizeof row->code);
    row->counted = count.countedQuantity;
    PickRowInsert(&run->list, row, -1, 0x200000);
    MsgWaitStep(wait, 0);
  }
  MsgWaitClose(wait);
  if (status != kStatusEndOfFile && status != kStatusKeyNotFound) {
    MsgRecordError(status, 1, op, records::kFilePhysicalCounts, 0);
    return false;
  }
  return true;
}

// The product of a listed count, read once.  A product no longer on file
// shows no description and counts in single units.
void ReadRowProduct(CountEntry* run, CountRow* row) {
  if (row->productRead) return;
  row->productRead = true;
  row->divisor = 1;
  CDbTblActiveProd table(run->products, records::kFileProducts);
  TagProduct product{};
  char key[255] = {};
  std::memcpy(key, row->code, sizeof row->code);
  if (table.Read(kOpGetEqual, key, &product, sizeof product) != kStatusOk) return;
  std::memcpy(row->description, product.description, sizeof row->description - 1);
  row->divisor = static_cast<std::int16_t>(Divisor(product.purchaseUnitFactor));
}

int DisplayRow(PickList* list, void* data, int) {
  if (data == nullptr) return 0;  // the blank row
  CountEntry* run = EntryOf(list);
  auto* row = static_cast<CountRow*>(data);
  ReadRowProduct(run, row);
  Form* line = &list->line;
  FieldSetText(line, kFieldCode, posting::ShownText(row->code, sizeof row->code).c_str());
  FieldSetText(line, kFieldDescription, posting::ShownText(row->description, sizeof row->description).c_str());
  FieldSetText(line, kFieldSoFar, Quantity(row->divisor, row->counted).c_str());
  FieldSetText(line, kFieldAdded, "");
  FieldSetText(line, kFieldTotal, Quantity(row->divisor, row->counted).c_str());
  return 0;
}

// A listed count is shown, not changed; the blank row takes a new one.
int EnterRow(PickList* list, void* data, int index) {
  CountEntry* run = EntryOf(list);
  run->entry = Entry{};
  FieldSetProtect(&list->line, kFieldAdded, data != nullptr ? 1 : 0);
  return DisplayRow(list, data, index);
}

// Field 1: the product.  On a listed row the code cannot change.
int CodeExit(Form* line, int) {
  CountEntry* run = EntryOfLine(line);
  PickList* list = PickListOf(line);
  const std::string code = FieldText(line, kFieldCode);
  if (auto* row = static_cast<CountRow*>(PickRowGet(list, PickListCurrent(list)))) {
    const std::string listed = posting::ShownText(row->code, sizeof row->code);
    if (code == listed) return 0;
    MsgShow(kMsgCountedAlready, 1);
    FieldSetText(line, kFieldCode, listed.c_str());
    return 0x20;
  }
  Entry& e = run->entry;
  if (StrIsBlank(code.c_str())) {
    e = Entry{};
    // Leaving the blank row upwards, or leaving the grid, needs no product.
    const KeyCode key = FormLastKey(line);
    if (key == kKeyUp || key == kKeyPgUp || key == kKeyCtrlHome || key == kKeyF10 || key == kKeyF6) return 0;
    MsgShow(kMsgEntryRequired, 1);
    return 0x20;
  }
  if (code == e.code) return 0;
  e = Entry{};
  CDbTblActiveProd table(run->products, records::kFileProducts);
  TagProduct product{};
  char key[255] = {};
  std::memcpy(key, code.data(), std::min(code.size(), sizeof product.number - 1));
  int status = table.Read(kOpGetEqual, key, &product, sizeof product);
  if (status != kStatusOk || product.productType == TagProduct::kNonInventory) {
    if (status == kStatusKeyNotFound)
      MsgShow(kMsgNoProduct, 1);
    else if (status != kStatusOk)
      MsgRecordError(status, 1, kOpGetEqual, records::kFileProducts, 0);
    else
      MsgShow(kMsgNonInventory, 1);
    FieldSetText(line, kFieldCode, "");
    return 0x20;
  }
  PhysicalCount count{};
  std::memset(key, 0, sizeof key);
  std::memcpy(key, product.number, sizeof product.number);
  status = BtrvGetOp(kOpGetEqual, run->counts, key, &count, sizeof count);
  if (status != kStatusOk && status != kStatusKeyNotFound) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFilePhysicalCounts, 0);
    return 0x20;
  }
  e.code = code;
  std::memcpy(e.number, product.number, sizeof e.number);
  e.exists = status == kStatusOk;
  e.soFar = e.exists ? count.countedQuantity : 0;
  e.divisor = Divisor(product.purchaseUnitFactor);
  std::memcpy(e.description, product.description, sizeof e.description - 1);
  FieldSetText(line, kFieldDescription, posting::ShownText(e.description, sizeof e.description).c_str());
  FieldSetText(line, kFieldSoFar, Quantity(e.divisor, e.soFar).c_str());
  FieldSetText(line, kFieldTotal, Quantity(e.divisor, e.soFar + e.added).c_str());
  return 0x40;
}

// Field 4: the quantity to add, in the product's measure.
int AddedExit(Form* line, int) {
  Entry& e = EntryOfLine(line)->entry;
  double measures = 0;
  if (TextToValue(FieldText(line, kFieldAdded).c_str(), e.divisor, &measures) != 0) {
    MsgShow(kMsgNotAQuantity, 1);
    return 0x20;
  }
  const double added = e.divisor > 1 ? measures * e.divisor : measures;
  FieldSetText(line, kFieldAdded, Quantity(e.divisor, added).c_str());
  const double total = e.soFar + added;
  if (total < 0) {
    MsgShow(kMsgNegativeTotal, 1);
    return 0x20;
  }
  e.added = added;
  FieldSetText(line, kFieldTotal, Quantity(e.divisor, total).c_str());
  return 0x40;
}

// Leaving the blank row writes its count: the total on file and the quantity
// added, as the record's new total.  A failure keeps the row for correction.
int LeaveRow(PickList* list, void* data, int) {
  if (data != nullptr) return 0;  // a listed count is never written here
  CountEntry* run = EntryOf(list);
  const Entry& e = run->entry;
  if (FormLastKey(PickListForm(list)) == kKeyF6 || e.code.empty()) return 0;
  PhysicalCount count{};
  char key[255] = {};
  std::memcpy(count.productCode, e.number, sizeof count.productCode);
  std::memcpy(key, count.productCode, sizeof count.productCode);
  count.printedFlag = 'N';
  count.countedQuantity = e.soFar + e.added;
  int op = kOpInsert;
  int status = kStatusOk;
  if (e.exists) {
    PhysicalCount stored{};
    op = kOpGetEqual;
    status = BtrvGetOp(op, run->counts, key, &stored, sizeof stored);
    // Counted meanwhile elsewhere: the sum is taken over what is on file now.
    if (status == kStatusOk) {
      count = stored;
      count.printedFlag = 'N';
      count.countedQuantity = stored.countedQuantity + e.added;
      op = kOpUpdate;
    }
  }
  if (status == kStatusOk) status = BtrvWriteOp(op, run->counts, nullptr, &count, sizeof count);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, op, records::kFilePhysicalCounts, 0);
    return 0x20;
  }
  CommandDone();  // a count is on file
  std::uint8_t position[4] = {};
  status = BtrvPosition(kOpGetDirect, run->counts, position);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetDirect, records::kFilePhysicalCounts, 0);
    return 0x20;
  }
  // A product listed already shows its new total on its own row.
  for (int i = 0, n = PickRowCount(list); i < n; ++i) {
    auto* row = static_cast<CountRow*>(PickRowGet(list, i));
    if (std::memcmp(row->position, position, sizeof position) == 0) {
      row->counted = count.countedQuantity;
      run->entry = Entry{};
      return 0;
    }
  }
  auto* row = static_cast<CountRow*>(PickRowAlloc(list, sizeof(CountRow)));
  if (row == nullptr) {
    MsgShow(1, 1);
    return 0x20;
  }
  std::memcpy(row->position, position, sizeof position);
  std::memcpy(row->code, count.productCode, sizeof row->code);
  row->counted = count.countedQuantity;
  row->productRead = true;
  std::memcpy(row->description, e.description, sizeof row->description);
  row->divisor = static_cast<std::int16_t>(e.divisor);
  PickRowInsert(list, row, PickRowCount(list), 0x200000);
  run->entry = Entry{};
  return 0;
}

int Escape(PickList*) {
  int choice = 1;
  MsgAsk(kMsgLeave, 1, &choice, "Yes,No", kCaptionQuestion);
  return choice != 2 ? 1 : 0;
}

// F5: the product list, on the blank row.
int LookUp(Form* form, KeyCode) {
  CountEntry* run = static_cast<CountEntry*>(form->context);
  PickList* list = &run->list;
  if (PickListCurrent(list) >= 0) {
    MsgShow(kMsgLookUpNewLine, 1);
    return 0;
  }
  Form* line = &list->line;
  TagProduct product{};
  const std::string typed = FieldText(line, kFieldCode);
  if (PickProduct(typed.c_str(), 0, run->products, &product, 4, 9, 13, 60) != 1) return 0;
  FieldSetText(line, kFieldCode, posting::ShownText(product.number, sizeof product.number).c_str());
  CodeExit(line, kFieldCode);
  return 0;
}

// F6: every count goes, or none.
int ClearCounts(Form* form, KeyCode) {
  CountEntry* run = static_cast<CountEntry*>(form->context);
  int choice = 1;
  MsgAsk(kMsgClearCounts, 1, &choice, "Yes,No", kCaptionQuestion);
  if (choice == 2) return 0;
  BtrvClose(run->counts);
  run->counts = 0;
  int status = BtrvOpen(&run->counts, FilePathGet(records::kFilePhysicalCounts), kFileModeExclusive, 0);
  if (status == kStatusFileInUse || status == kStatusPermissionError) {
    run->counts = 0;
    MsgShow(kMsgCountFileInUse, 1);
    if (!OpenCounts(run, 0)) run->ended = true;
    return run->ended ? 1 : 0;
  }
  if (status != kStatusOk) {
    run->counts = 0;
    MsgRecordError(status, 1, -100, records::kFilePhysicalCounts, 0);
    run->ended = true;
    return 1;
  }
  bool cleared = false;
  {
    BtrvTransactionScope scope;
    int op = kOpBeginTransaction;
    status = scope.Begin();
    char key[255] = {};
    PhysicalCount count{};
    while (status == kStatusOk) {
      op = kOpGetFirst;
      status = BtrvGetOp(op, run->counts, key, &count, sizeof count);
      if (status != kStatusOk) break;
      op = kOpDelete;
      status = BtrvWriteOp(op, run->counts, nullptr, nullptr, 0);
    }
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) {
      op = kOpEndTransaction;
      status = scope.Commit();
    }
    if (status == kStatusOk) {
      cleared = true;
      CommandDone();
    } else
      MsgRecordError(status, 1, op, records::kFilePhysicalCounts, 0);
  }
  BtrvClose(run->counts);
  run->counts = 0;
  if (!OpenCounts(run, 0)) {
    run->ended = true;
    return 1;
  }
  if (cleared) {
    PickListClear(&run->list);
    PickListFocus(&run->list, -1);
  }
  FormRefresh(form);
  return 0;
}

int LeaveGrid(Form*, KeyCode) { return 1; }

void RunGrid(CountEntry* run) {
  run->form.context = run;
  std::snprintf(run->form.reportId, sizeof run->form.reportId, "%s", kReportId);
  FormAttachWindow(&run->window, &run->form, 1);
  FormSetup(&run->form, 0x1023, 0);
  WinWriteAt(&run->window, kHeadingRow, 2, kHeading);

  PickListInit(&run->list, kGridTop, 1, kGridRows, kWindowCols - 2);
  for (TagFormField& f : run->line) {
    if (f.number == kFieldCode) f.exitCallback = CodeExit;
    if (f.number == kFieldAdded) f.exitCallback = AddedExit;
  }
  if (FormFieldsCreate(&run->list.line, run->line.data(), 1) != 1) return;
  for (int f : {kFieldDescription, kFieldSoFar, kFieldTotal}) FieldSetProtect(&run->list.line, f, 1);
  run->list.display = DisplayRow;
  run->list.enter = EnterRow;
  run->list.leave = LeaveRow;
  run->list.escape = Escape;
  run->list.appendRow = true;
  run->list.context = run;
  PickListAttach(&run->form, &run->list);
  if (!LoadCounts(run)) return;
  PickListFocus(&run->list, -1);

  FormOnKey(&run->form, kKeyF5, LookUp, "Look up");
  FormOnKey(&run->form, kKeyF6, ClearCounts, "Clear counts");
  FormOnKey(&run->form, kKeyF10, LeaveGrid, "Done");
  FormRun(&run->form, 0);
}

}  // namespace
