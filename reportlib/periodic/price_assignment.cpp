// Price assignment: a selection screen of two criteria over the products, a
// list of the matching products, one line each, where the user gives each a
// new price by a rule, and F10 writing the new prices.
//
// The new prices are written in one record-manager transaction: a failure
// part way leaves every price as it was, so that F10 can simply be pressed
// again (or the screen left) without the list being half applied.
#include "periodic/price_assignment.h"

#include <strings.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "btrvc.h"
#include "periodic/price_assignment_print.h"
#include "qxabase/commands.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_product.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace {

constexpr int kFile = records::kFileProducts;
constexpr int kThisYear = 2;  // the slot of this year in a statistics group

constexpr int kMsgBadDate = 13;
constexpr int kMsgNothingSelected = 197;
constexpr int kMsgBadSign = 435;
constexpr int kMsgLeaveUnsaved = 2231;
constexpr int kMsgMarginTooLarge = 2233;

// --- Criteria ------------------------------------------------------------------------

// The two criteria: each entry its hot letter (typed on the choice field to
// choose it), its name and its kind.
constexpr OptionTableEntry kFirstCriteria[] = {
    {'N', "Product Number", kPriceByNumber}, {'D', "Description", kPriceByDescription},
    {'G', "G/L Department", kPriceByDepartment}, {'B', "Bin", kPriceByBin},
    {'V', "Vendor", kPriceByVendor}, {},
};
constexpr OptionTableEntry kSecondCriteria[] = {
    {'N', "Product Number", kPriceByNumber},       {'D', "Description", kPriceByDescription},
    {'T', "Sales Units", kPriceBySalesUnits},      {'S', "Sales Dollars", kPriceBySalesDollars},
    {'L', "Last Sales Date", kPriceByLastSaleDate}, {'P', "Purchase Units", kPriceByPurchaseUnits},
    {'H', "Purchase Dollars", kPriceByPurchaseDollars}, {'U', "Last Purchase Date", kPriceByLastPurchaseDate},
    {},
};

// The choice list of a criterion table: byte 1, then the names joined by ",".
std::string ChoiceList(const OptionTableEntry* table) {
  std::string list(1, '\x01');
  for (const OptionTableEntry* e = table; e->caption; ++e) {
    if (e != table) list += ',';
    list += e->caption;
  }
  return list;
}

std::size_t LongestName(const OptionTableEntry* table) {
  std::size_t width = 0;
  for (const OptionTableEntry* e = table; e->caption; ++e) width = std::max(width, std::strlen(e->caption));
  return width;
}

// The first field of the From/To pair that a kind of the first criterion opens.
int FirstPairOf(int kind) {
  switch (kind) {
    case kPriceByDescription: return 4;
    case kPriceByDepartment: return 6;
    case kPriceByBin: return 8;
    case kPriceByVendor: return 10;
    default: return 2;
  }
}
int SecondPairOf(int kind) {
  switch (kind) {
    case kPriceByDescription: return 15;
    case kPriceByLastSaleDate:
    case kPriceByLastPurchaseDate: return 19;
    case kPriceByPurchaseUnits:
    case kPriceBySalesUnits:
    case kPriceByPurchaseDollars:
    case kPriceBySalesDollars: return 17;
    default: return 13;
  }
}

// --- Range test ----------------------------------------------------------------------------

bool Blank(const char* text) {
  for (; text && *text; ++text)
    if (*text != ' ' && *text != '/') return false;
  return true;
}

bool IsTextKind(int kind) {
  switch (kind) {
    case kPriceByNumber:
    case kPriceByDescription:
    case kPriceByBin:
    case kPriceByDepartment:
    case kPriceByVendor: return true;
    default: return false;
  }
}

// The field of a text kind, NUL-ended.
std::string TextField(const records::TagProduct& p, int kind) {
  auto text = [](const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); };
  switch (kind) {
    case kPriceByNumber: return text(p.number, sizeof p.number);
    case kPriceByDescription: return text(p.description, sizeof p.description);
    case kPriceByBin: return text(p.bin, sizeof p.bin);
    case kPriceByDepartment: return text(p.department, sizeof p.department);
    case kPriceByVendor: return text(p.vendor, sizeof p.vendor);
    default: return {};
  }
}

double PerFactor(double units, int factor) { return factor == 0 ? units : units / factor; }

bool NumberField(const records::TagProduct& p, int kind, double* value) {
  switch (kind) {
    case kPriceByPurchaseUnits: *value = PerFactor(p.purchaseUnits[kThisYear], p.purchaseUnitFactor); return true;
    case kPriceBySalesUnits: *value = PerFactor(p.salesUnits[kThisYear], p.salesUnitFactor); return true;
    case kPriceByPurchaseDollars: *value = p.purchaseDollars[kThisYear]; return true;
    case kPriceBySalesDollars: *value = p.salesDollars[kThisYear]; return true;
    default: return false;
  }
}

// --- The run --------------------------------------------------------------------------------

// One line of the list: the product by its record position and the user's rule.
struct PriceRow {
  char sign = '%';
  std::uint8_t position[4] = {};
  float amount = 0;
  float newPrice = 0;
  std::int16_t purchaseFactor = 0;
  std::int16_t salesFactor = 0;
};

struct PriceRun {
  FileSet files;
  BtrvHandle handle = 0;
  Form form{};
  Window window{};
  PickList list{};
  std::vector<TagFormField> fields;
  std::vector<TagFormField> line;
  std::string firstChoices = ChoiceList(kFirstCriteria);
  std::string secondChoices = ChoiceList(kSecondCriteria);
  char firstMask[16] = {};
  char secondMask[16] = {};
  int firstKind = kPriceByNumber;
  int secondKind = kPriceByNumber;
  bool indexMade = false;
  // The price computed for the line under the cursor, at 4 decimals (the
  // line shows 3): taken when the line is accepted and still shows it.
  double pendingPrice = 0;
  bool pending = false;
  records::TagProduct product{};

  void DropIndex() {
    if (indexMade) TempIndexDrop(kFile, handle);
    indexMade = false;
  }
};

PriceRun* RunOf(Form* form) { return static_cast<PriceRun*>(form->context); }
PriceRun* RunOfLine(Form* line) { return static_cast<PriceRun*>(PickListOf(line)->context); }

// Reads the product of a row into the run's buffer.  Returns the status.
int ReadRowProduct(PriceRun* run, const PriceRow& row) {
  std::uint8_t buffer[sizeof(records::TagProduct)] = {};
  std::memcpy(buffer, row.position, sizeof row.position);
  char key[255] = {};
  const int status = BtrvGetOp(kOpGetDirect, run->handle, key, buffer, sizeof buffer);
  if (status == kStatusOk) {
    std::memcpy(&run->product, buffer, sizeof buffer);
  } else {
    run->product = records::TagProduct{};
  }
  return status;
}

std::string Fixed3(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

double FieldNumber(Form* form, int field) { return std::strtod(FieldText(form, field).c_str(), nullptr); }

// --- Selection screen ---------------------------------------------------------------------

void OpenFirstPair(PriceRun* run) {
  for (int f = 2; f <= 11; ++f) FieldSetAccess(&run->form, f, 2);
  const int pair = FirstPairOf(run->firstKind);
  FieldSetAccess(&run->form, pair, 0);
  FieldSetAccess(&run->form, pair + 1, 0);
}
void OpenSecondPair(PriceRun* run) {
  for (int f = 13; f <= 20; ++f) FieldSetAccess(&run->form, f, 2);
  const int pair = SecondPairOf(run->secondKind);
  FieldSetAccess(&run->form, pair, 0);
  FieldSetAccess(&run->form, pair + 1, 0);
}

void EnableListKeys(Form* form, int enable) {
  FormKeyEnable(form, kKeyF10, enable);
  FormKeyEnable(form, kKeyF7, enable);
  FormKeyEnable(form, kKeyF3, enable);
}

int OnStart(Form* form, int) {
  PriceRun* run = RunOf(form);
  WinWriteRow(&run->window, 0, 1, OptionTableText(kFirstCriteria));
  WinWriteRow(&run->window, 0, 12, OptionTableText(kSecondCriteria));
  EnableListKeys(form, 0);
  OpenFirstPair(run);
  OpenSecondPair(run);
  return 0;
}

int OnFirstCriterion(Form* form, int) {
  PriceRun* run = RunOf(form);
  run->firstKind = OptionTableValue(form, kFirstCriteria, 1);
  OpenFirstPair(run);
  return 0x40;
}
int OnSecondCriterion(Form* form, int) {
  PriceRun* run = RunOf(form);
  run->secondKind = OptionTableValue(form, kSecondCriteria, 12);
  OpenSecondPair(run);
  return 0x40;
}

int BuildList(PriceRun* run);

int OnSecondTo(Form* form, int field) {
  FieldFillDefault(form, "", field);
  return FormLastKey(form) == kKeyEnter ? BuildList(RunOf(form)) : 0;
}
int OnDateTo(Form* form, int field) {
  const std::string text = FieldText(form, field);
  if (!Blank(text.c_str()) && !DateIsValid(text.c_str())) {
    MsgShow(kMsgBadDate);
    return 0x20;
  }
  return OnSecondTo(form, field);
}
int OnDateFrom(Form* form, int field) {
  const std::string text = FieldText(form, field);
  if (!Blank(text.c_str()) && !DateIsValid(text.c_str())) {
    MsgShow(kMsgBadDate);
    return 0x20;
  }
  return 0;
}

// Builds the list of the products within both ranges, in the first
// criterion's order.  Returns the exit result of the To field.
int BuildList(PriceRun* run) {
  PickListClear(&run->list);
  EnableListKeys(&run->form, 0);
  run->DropIndex();

  if (run->firstKind == kPriceByNumber && run->secondKind == kPriceByNumber) {
    BtrvSetKey(run->handle, 0, -1);
  } else if (run->firstKind == kPriceByDescription && run->secondKind == kPriceByDescription) {
    BtrvSetKey(run->handle, 1, -1);
  } else {
    if (TempIndexCreate(kFile, run->handle, run->firstKind, run->secondKind, -1) != 0) return 0x20;
    run->indexMade = true;
  }

  const int firstPair = FirstPairOf(run->firstKind);
  const int secondPair = SecondPairOf(run->secondKind);
  const std::string texts[4] = {FieldText(&run->form, firstPair), FieldText(&run->form, firstPair + 1),
                                FieldText(&run->form, secondPair), FieldText(&run->form, secondPair + 1)};
  const PriceRange first{run->firstKind, texts[0].c_str(), texts[1].c_str()};
  const PriceRange second{run->secondKind, texts[2].c_str(), texts[3].c_str()};

  std::uint8_t buffer[sizeof(records::TagProduct)] = {};
  char key[255] = {};
  int op = kOpGetFirst;
  int status = BtrvGetOp(op, run->handle, key, buffer, sizeof buffer);
  if (status != kStatusOk) {
    if (status == 4 || status == kStatusEndOfFile) {
      MsgShow(kMsgNothingSelected);
    } else {
      MsgRecordError(status, 1, op, kFile, 0);
    }
    run->DropIndex();
    return 0x20;
  }

  bool failed = false;
  while (status == kStatusOk) {
    records::TagProduct product;
    std::memcpy(&product, buffer, sizeof product);
    bool firstPast = false;
    bool secondPast = false;
    if (ProductInPriceRange(first, product, &firstPast) && ProductInPriceRange(second, product, &secondPast)) {
      auto* row = static_cast<PriceRow*>(PickRowAlloc(&run->list, sizeof(PriceRow)));
      if (row == nullptr) {
        failed = true;
        break;
      }
      *row = PriceRow{};
      if (const int s = BtrvPosition(kOpGetDirect, run->handle, row->position); s != kStatusOk) {
        MsgRecordError(s, 1, kOpGetDirect, kFile, 0);
        failed = true;
        break;
      }
      row->newPrice = static_cast<float>(product.sellingPrice);
      row->purchaseFactor = product.purchaseUnitFactor;
      row->salesFactor = product.salesUnitFactor;
      PickRowInsert(&run->list, row, -1, 0x200000);
    }
    if (firstPast) break;
    op = kOpGetNext;
    status = BtrvGetOp(op, run->handle, key, buffer, sizeof buffer);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) {
    MsgRecordError(status, 1, op, kFile, 0);
    failed = true;
  }

  // A list cut short by an error is not offered for pricing.
  if (failed || PickRowCount(&run->list) == 0) {
    if (!failed) MsgShow(kMsgNothingSelected);
    PickListClear(&run->list);
    run->DropIndex();
    return 0x20;
  }
  EnableListKeys(&run->form, 1);
  PickListFocus(&run->list, 0);
  return kPickEnterGrid;
}

// --- The list ----------------------------------------------------------------------------

int DisplayRow(PickList* list, void* data, int) {
  if (data == nullptr) return 0;
  PriceRun* run = static_cast<PriceRun*>(list->context);
  const auto& row = *static_cast<const PriceRow*>(data);
  if (const int status = ReadRowProduct(run, row); status != kStatusOk)
    MsgRecordError(status, 1, kOpGetDirect, kFile, 0);
  const records::TagProduct& p = run->product;
  Form* line = &list->line;
  FieldSetText(line, 1, TextField(p, kPriceByNumber).c_str());
  FieldSetText(line, 2, TextField(p, kPriceByDescription).substr(0, 14).c_str());
  FieldSetText(line, 3, Fixed3(p.sellingPrice).c_str());
  FieldSetText(line, 4, Fixed3(p.lastCost).c_str());
  const char sign[2] = {row.sign, 0};
  FieldSetText(line, 5, sign);
  FieldSetText(line, 6, Fixed3(row.amount).c_str());
  FieldSetText(line, 7, Fixed3(row.newPrice).c_str());
  return 0;
}

int EnterRow(PickList* list, void* data, int index) {
  static_cast<PriceRun*>(list->context)->pending = false;
  return DisplayRow(list, data, index);
}

// Computes the line's new price from its sign, cost and amount.  Returns
// false when the rule gives no price.
bool ComputeLine(Form* line) {
  PriceRun* run = RunOfLine(line);
  PickList* list = PickListOf(line);
  const auto* row = static_cast<const PriceRow*>(PickRowGet(list, PickListCurrent(list)));
  if (row == nullptr) return true;
  const std::string sign = FieldText(line, 5);
  bool refused = false;
  const double price = ComputeNewPrice(sign.empty() ? ' ' : sign[0], FieldNumber(line, 4), row->purchaseFactor,
                                       row->salesFactor, FieldNumber(line, 6), FieldNumber(line, 7), &refused);
  if (refused) return false;
  run->pendingPrice = price;
  run->pending = true;
  FieldSetText(line, 7, Fixed3(price).c_str());
  FieldRedraw(line, 7);
  return true;
}

int OnSign(Form* line, int) {
  const std::string sign = FieldText(line, 5);
  if (sign != "%" && sign != "$") {
    MsgShow(kMsgBadSign);
    return 0x20;
  }
  if (!ComputeLine(line)) {
    MsgShow(kMsgMarginTooLarge);
    return 0x20;
  }
  return 0;
}

int OnAmount(Form* line, int) {
  if (!ComputeLine(line)) {
    MsgShow(kMsgMarginTooLarge);
    return 0x20;
  }
  return 0;
}

// The line's edits go into its row.  The price computed at 4 decimals is
// kept while the line still shows it; a price typed over it is taken as typed.
int LeaveRow(PickList* list, void* data, int index) {
  if (data == nullptr) return 0;
  PriceRun* run = static_cast<PriceRun*>(list->context);
  auto& row = *static_cast<PriceRow*>(data);
  Form* line = &list->line;
  const std::string sign = FieldText(line, 5);
  if (sign != "%" && sign != "$") {
    MsgShow(kMsgBadSign);
    return 0x20;
  }
  row.sign = sign[0];
  row.amount = static_cast<float>(FieldNumber(line, 6));
  const double shown = FieldNumber(line, 7);
  const bool keepPending = run->pending && Fixed3(run->pendingPrice) == Fixed3(shown);
  row.newPrice = static_cast<float>(keepPending ? run->pendingPrice : shown);
  run->pending = false;
  // On the last line Enter and Down have nowhere to go: the line is kept
  // and the cursor stays.
  const KeyCode key = FormLastKey(PickListForm(list));
  if (index == PickRowCount(list) - 1 && (key == kKeyEnter || key == kKeyDown)) return 0x20;
  return 0;
}

int OnListEscape(PickList* list) {
  if (MsgAsk(kMsgLeaveUnsaved, 0, nullptr, "Yes,No") != 1) return 0;
  static_cast<PriceRun*>(list->context)->DropIndex();
  return 1;
}

// --- Keys ----------------------------------------------------------------------------------

int OnSwitch(Form* form, KeyCode) {
  PriceRun* run = RunOf(form);
  if (PickListCurrent(&run->list) < 0) return 0;
  Form* line = &run->list.line;
  FieldSetText(line, 5, FieldText(line, 5) == "%" ? "$" : "%");
  if (!ComputeLine(line)) MsgShow(kMsgMarginTooLarge);
  FieldRedraw(line, 5);
  return 0x40;
}

// Writes the new price of every listed product.  A failure writes none of
// them and keeps the list on screen.
int OnSave(Form* form, KeyCode) {
  PriceRun* run = RunOf(form);
  BtrvTransactionScope transaction;
  if (const int status = transaction.Begin(); status != kStatusOk) {
    MsgRecordError(status, 1, kOpBeginTransaction, kFile, 0);
    return 0x20;
  }
  const int rows = PickRowCount(&run->list);
  for (int i = 0; i < rows; ++i) {
    const auto& row = *static_cast<const PriceRow*>(PickRowGet(&run->list, i));
    std::uint8_t buffer[sizeof(records::TagProduct)] = {};
    std::memcpy(buffer, row.position, sizeof row.position);
    char key[255] = {};
    if (const int status = BtrvGetOp(kOpGetDirect, run->handle, key, buffer, sizeof buffer); status != kStatusOk) {
      MsgRecordError(status, 1, kOpGetDirect, kFile, 0);
      return 0x20;
    }
    records::TagProduct product;
    std::memcpy(&product, buffer, sizeof product);
    product.sellingPrice = static_cast<double>(row.newPrice);
    if (const int status = BtrvWriteOp(kOpUpdate, run->handle, key, &product, sizeof product);
        status != kStatusOk) {
      MsgRecordError(status, 1, kOpUpdate, kFile, 0);
      return 0x20;
    }
  }
  if (const int status = transaction.Commit(); status != kStatusOk) {
    MsgRecordError(status, 1, kOpEndTransaction, kFile, 0);
    return 0x20;
  }
  CommandDone();
  run->DropIndex();
  return 1;
}

int OnPrint(Form* form, KeyCode) {
  PriceRun* run = RunOf(form);
  const int rows = PickRowCount(&run->list);
  if (rows == 0) {
    MsgShow(kMsgNothingSelected);
    return 0x20;
  }
  std::vector<PriceAssignmentLine> lines;
  bool complete = true;
  for (int i = 0; i < rows; ++i) {
    const auto& row = *static_cast<const PriceRow*>(PickRowGet(&run->list, i));
    if (const int status = ReadRowProduct(run, row); status != kStatusOk) {
      MsgRecordError(status, 1, kOpGetDirect, kFile, 0);
      complete = false;
      break;
    }
    lines.push_back({run->product, row.sign, row.amount, row.newPrice});
  }
  PrintPriceAssignments(lines, complete);
  return 0x20;
}

// The text of a picked product for a range field of `kind`: its text for the
// text kinds, its figure for the units and dollars kinds and its date for
// the date kinds, each as the range test reads it back (a zero date leaves
// the end open).
std::string PickedText(const records::TagProduct& p, int kind) {
  double value = 0;
  if (NumberField(p, kind, &value)) return Fixed3(value);
  if (kind == kPriceByLastSaleDate || kind == kPriceByLastPurchaseDate) {
    const std::int32_t date = kind == kPriceByLastSaleDate ? p.lastSaleDate : p.lastPurchaseDate;
    char text[16] = {};
    if (date != 0) DateToText(text, date);
    return text;
  }
  return TextField(p, kind);
}

// F5: the product look-up on a field of the ranges; the picked product's
// value for the field's criterion fills it.
int OnLookUp(Form* form, KeyCode) {
  PriceRun* run = RunOf(form);
  const int field = FormCurrentField(form);
  int kind = 0;
  if (field >= 2 && field <= 11) kind = run->firstKind;
  if (field >= 13 && field <= 20) kind = run->secondKind;
  if (kind == 0) return 0x20;
  // The list is in product-number order: it starts from the field's text
  // when that is a text, from the first product when it is a figure or a date.
  std::uint8_t buffer[sizeof(records::TagProduct)] = {};
  const std::string text = IsTextKind(kind) ? FieldText(form, field) : std::string();
  if (PickProduct(text.c_str(), 0, run->handle, buffer, 4, 9, 13, 60) != 1) return 0x20;
  records::TagProduct picked;
  std::memcpy(&picked, buffer, sizeof picked);
  FieldSetText(form, field, PickedText(picked, kind).c_str());
  FieldRedraw(form, field);
  return 0x40;
}

TagFormField Field(int number, int row, int column, const char* mask, const char* label = nullptr) {
  TagFormField f{};
  f.number = static_cast<std::uint8_t>(number);
  f.row = static_cast<std::uint8_t>(row);
  f.column = static_cast<std::uint8_t>(column);
  std::snprintf(f.mask, sizeof f.mask, "%s", mask);
  f.label = label;
  return f;
}

void BuildFields(PriceRun* run) {
  std::snprintf(run->firstMask, sizeof run->firstMask, "%%-%zusm", LongestName(kFirstCriteria));
  std::snprintf(run->secondMask, sizeof run->secondMask, "%%-%zusm", LongestName(kSecondCriteria));
  constexpr int kCol = 14;
  auto& f = run->fields;
  f.push_back(Field(1, 1, kCol, run->firstMask, "Select by"));
  f.back().choices = run->firstChoices.c_str();
  f.back().exitCallback = OnFirstCriterion;
  const char* masks[] = {"%-14sC", "%-30s", "%-5s", "%-8s", "%-10sC"};
  for (int i = 0; i < 5; ++i) {
    f.push_back(Field(2 + 2 * i, 2, kCol, masks[i], "From"));
    f.back().exitCallback = RangeFieldEnter;
    f.back().entryCallback = RangeFieldFocus;
    f.push_back(Field(3 + 2 * i, 3, kCol, masks[i], "To"));
    f.back().exitCallback = RangeFieldExit;
    f.back().entryCallback = RangeFieldFocus;
  }
  f.push_back(Field(12, 5, kCol, run->secondMask, "Then by"));
  f.back().choices = run->secondChoices.c_str();
  f.back().exitCallback = OnSecondCriterion;
  f.push_back(Field(13, 6, kCol, "%-14sC", "From"));
  f.push_back(Field(14, 7, kCol, "%-14sC", "To"));
  f.back().exitCallback = OnSecondTo;
  f.push_back(Field(15, 6, kCol, "%-30s", "From"));
  f.push_back(Field(16, 7, kCol, "%-30s", "To"));
  f.back().exitCallback = OnSecondTo;
  f.push_back(Field(17, 6, kCol, "%12.3f", "From"));
  f.push_back(Field(18, 7, kCol, "%12.3f", "To"));
  f.back().exitCallback = OnSecondTo;
  f.push_back(Field(19, 6, kCol, "nn/nn/nn", "From"));
  f.back().exitCallback = OnDateFrom;
  f.push_back(Field(20, 7, kCol, "nn/nn/nn", "To"));
  f.back().exitCallback = OnDateTo;
  f.push_back(TagFormField{});

  auto& l = run->line;
  l.push_back(Field(1, 0, 1, "%-14sC"));
  l.push_back(Field(2, 0, 16, "%-15s"));
  l.push_back(Field(3, 0, 31, "%10.3f"));
  l.push_back(Field(4, 0, 42, "%10.3f"));
  l.push_back(Field(5, 0, 54, "C"));
  l.back().exitCallback = OnSign;
  l.push_back(Field(6, 0, 56, "%10.3f"));
  l.back().exitCallback = OnAmount;
  l.push_back(Field(7, 0, 67, "%10.3f"));
  l.push_back(TagFormField{});
}

// Releases the screen on every way out.
struct ScreenGuard {
  PriceRun* run;
  bool windowOpen = false;
  ~ScreenGuard() {
    run->DropIndex();
    if (windowOpen) WinClose(&run->window, 1);
    FormEnd(&run->form);
  }
};

}  // namespace

// --- Exported pieces ------------------------------------------------------------------------

bool ProductInPriceRange(const PriceRange& range, const records::TagProduct& product, bool* pastEnd) {
  const bool fromBlank = Blank(range.from);
  const bool toBlank = Blank(range.to);
  if (fromBlank && toBlank) return true;
  if (IsTextKind(range.kind)) {
    const std::string field = TextField(product, range.kind);
    if (!fromBlank && strcasecmp(range.from, field.c_str()) > 0) return false;
    if (!toBlank && strcasecmp(range.to, field.c_str()) < 0) {
      *pastEnd = true;
      return false;
    }
    return true;
  }
  switch (range.kind) {
    case kPriceByLastSaleDate:
    case kPriceByLastPurchaseDate: {
      const int date = range.kind == kPriceByLastSaleDate ? product.lastSaleDate : product.lastPurchaseDate;
      const int from = fromBlank ? 0 : DateFromText(range.from);
      const int to = toBlank ? 0 : DateFromText(range.to);
      if (from != 0 && from > date) return false;
      if (to != 0 && to < date) {
        *pastEnd = true;
        return false;
      }
      return true;
    }
    default: {
      double value = 0;
      if (!NumberField(product, range.kind, &value)) return false;
      if (!fromBlank && value < std::strtod(range.from, nullptr)) return false;
      if (!toBlank && value > std::strtod(range.to, nullptr)) {
        *pastEnd = true;
        return false;
      }
      return true;
    }
  }
}

double ComputeNewPrice(char sign, double cost, int purchaseFactor, int salesFactor, double amount, double shown,
                       bool* refused) {
  if (refused) *refused = false;
  if (NumIsZero(amount)) return NumRound(shown, 4);
  const double base = cost / (purchaseFactor == 0 ? 1 : purchaseFactor) * (salesFactor == 0 ? 1 : salesFactor);
  double price = 0;
  if (sign == '%') {
    // The margin is a share of the price: 100% or more leaves no cost in it.
    if (amount >= 100.0) {
      if (refused) *refused = true;
      return shown;
    }
    price = NumDivide(base, 1.0 - amount / 100.0);
  } else {
    price = base + amount;
  }
  return NumRound(price, 4);
}

int RunPriceAssignment() {
  PriceRun run;
  BuildFields(&run);
  if (FileSetOpen(&run.files, kFile | kFileModeExclusive) != 0) return 0;
  run.handle = run.files.HandleOf(kFile);

  FormBegin(&run.form);
  ScreenGuard guard{&run};
  run.form.context = &run;
  std::snprintf(run.form.reportId, sizeof run.form.reportId, "RSPriceAssignment");
  if (FormFieldsCreate(&run.form, run.fields.data(), 1) != 1) return 1;
  if (WinOpen(&run.window, 1, 0, 24, 80, 1, 0, 32, "Price Assignment") != 0) return 1;
  guard.windowOpen = true;
  FormAttachWindow(&run.window, &run.form, 1);
  WinWriteAt(&run.window, 9, 1, "Product        Description       Price      Cost   Sign  % or $   New Price");

  PickListInit(&run.list, 10, 1, 11, 77);
  if (FormFieldsCreate(&run.list.line, run.line.data(), 1) != 1) return 1;
  for (int f = 1; f <= 4; ++f) FieldSetProtect(&run.list.line, f, 1);
  run.list.display = DisplayRow;
  run.list.enter = EnterRow;
  run.list.leave = LeaveRow;
  run.list.escape = OnListEscape;
  run.list.context = &run;
  PickListAttach(&run.form, &run.list);

  run.form.startHook = OnStart;
  FormOnKey(&run.form, kKeyF5, OnLookUp, "Look up");
  FormOnKey(&run.form, kKeyF3, OnSwitch, "Switch");
  FormOnKey(&run.form, kKeyF7, OnPrint, "Print");
  FormOnKey(&run.form, kKeyF10, OnSave, "Save");
  FormRun(&run.form, 0);
  return 0;
}
