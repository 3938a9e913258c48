// The output options of statements, letters and labels: one screen (form
// 335) for the six commands.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cv_output.h"
#include "oemtext.h"
#include "qxabase/access.h"
#include "qxabase/app_block.h"
#include "qxabase/form_helpers.h"
#include "qxabase/letters.h"
#include "qxabase/messages.h"
#include "qxabase/pick_lists.h"
#include "qxabase/report_mru.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "selection_fields.h"

namespace {

constexpr int kForm = 335;
constexpr int kHelpTopic = 335;

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgFromAfterTo = 205;
constexpr int kMsgWhichText = 1103;
constexpr int kMsgCopies = 1433;
constexpr int kMsgNotANumber = 1567;
constexpr int kTextRight = 41;

// Fields.
constexpr int kFieldRunDate = 1;
constexpr int kFieldMode = 2;
constexpr int kFieldRange1 = 3;
constexpr int kFieldRange2 = 24;
constexpr int kSectionOffset = 21;  // a field of the second range = the first's + 21
constexpr int kFieldCopies = 45;
constexpr int kFieldOption = 46;
constexpr int kFieldPaidInvoices = 47;
constexpr int kFieldFirstMessage = 48;  // 48-55: lines 2-9 of "0Statements"
constexpr int kFieldLastMessage = 55;
constexpr int kFieldStock = 56;
constexpr int kFieldFonts = 57;
constexpr int kRecords = 58;  // ReportDefAndMRUInit: fields 1-57 and the closing record

constexpr int kFirstMessageLine = 2;

constexpr int kStateNormal = 0;
constexpr int kStateOutOfUse = 2;

constexpr const char* kChoicesMode = "\x01Range,Select";
constexpr const char* kChoicesYesNo = "\x01Yes,No";
constexpr const char* kChoicesFonts = "\x01Large fonts,Small fonts";

// clang-format off
const OptionTableEntry kCustomerRanges[] = {
    {'C', "Customer Code", kSelCode},              {'N', "Customer Name", kSelName},
    {'G', "G/L Department", kSelDepartment},       {'E', "Salesperson", kSelSalesperson},
    {'Z', "Zip Code", kSelZipCode},                {'L', "Credit Limit", kSelCreditLimit},
    {'R', "Credit Available", kSelCreditAvailable}, {'O', "Closing Date Balance", kSelClosingBalance},
    {'T', "Total Past Due Balance", kSelTotalPastDue}, {'1', "Past Due 1-30 Balance", kSelPastDue30},
    {'3', "Past Due 31-60 Balance", kSelPastDue60}, {'6', "Past Due >60 Balance", kSelPastDueOver60},
    {'S', "Last Sales Date", kSelLastSalesDate},   {'P', "Last Payment Date", kSelLastPaymentDate},
    {'I', "Invoice Count", kSelInvoiceCount},      {'D', "Sales Dollars", kSelSalesDollars},
    {'B', "Billing Group", kSelBillingGroup},      {'A', "Account", kSelAccount},
    {}};
const OptionTableEntry kVendorRanges[] = {
    {'C', "Vendor Code", kSelCode},                {'N', "Vendor Name", kSelName},
    {'E', "Territory", kSelTerritory},             {'V', "Vendor Type", kSelVendorType},
    {'Z', "Zip Code", kSelZipCode},                {'L', "Credit Limit", kSelCreditLimit},
    {'R', "Credit Available", kSelCreditAvailable}, {'O', "Closing Date Balance", kSelClosingBalance},
    {'T', "Total Past Due Balance", kSelTotalPastDue}, {'1', "Past Due 1-30 Balance", kSelPastDue30},
    {'3', "Past Due 31-60 Balance", kSelPastDue60}, {'6', "Past Due >60 Balance", kSelPastDueOver60},
    {'U', "Last Purchase Date", kSelLastSalesDate}, {'P', "Last Payment Date", kSelLastPaymentDate},
    {'I', "Invoice Count", kSelInvoiceCount},      {'D', "Purchase Dollars", kSelSalesDollars},
    {'A', "Account", kSelAccount},
    {}};
// clang-format on

// The first field of the from/to pair a range field id opens in the first
// section; 0 for an id outside the table.
int FromFieldOf(int id) {
  switch (id) {
    case kSelCode: return 4;
    case kSelName: return 6;
    case kSelDepartment: case kSelTerritory: return 8;
    case kSelSalesperson: case kSelVendorType: return 10;
    case kSelZipCode: return 12;
    case kSelBillingGroup: return 14;
    case kSelInvoiceCount: return 16;
    case kSelLastSalesDate: case kSelLastPaymentDate: return 18;
    case kSelCreditLimit: case kSelSalesDollars: case kSelClosingBalance: case kSelTotalPastDue:
    case kSelCreditAvailable: case kSelPastDue30: case kSelPastDue60: case kSelPastDueOver60:
      return 20;
    case kSelAccount: return 22;
    default: return 0;
  }
}

RangeKind KindOf(int id) {
  switch (FromFieldOf(id)) {
    case 16: return RangeKind::kCount;
    case 18: return RangeKind::kDate;
    case 20: return RangeKind::kAmount;
    default: return RangeKind::kText;
  }
}

// A blank from on these balances means "above zero".
bool BlankFromIsAboveZero(int id) {
  return id == kSelClosingBalance || id == kSelTotalPastDue || id == kSelPastDue30 || id == kSelPastDue60 ||
         id == kSelPastDueOver60;
}

int statementOptionFlag = 0;

const char* MruKeyOf(int menuId) {
  switch (menuId) {
    case kMenuCustomerStatements: return "CustStatement";
    case kMenuVendorStatements: return "VendStatement";
    case kMenuCustomerLabels: return "CustLabel";
    case kMenuVendorLabels: return "VendLabel";
    case kMenuCustomerLetters: return "CustLetter";
    case kMenuVendorLetters: return "VendLetter";
    default: return nullptr;
  }
}

std::uint32_t MruKindOf(int field) {
  switch (field) {
    case kFieldMode: case kFieldRange1: case kFieldRange2: case kFieldOption: case kFieldPaidInvoices:
    case kFieldStock: case kFieldFonts:
      return kMruKindChoice;
    case kFieldCopies: return kMruKindNumber;
    case kFieldRunDate: case 18: case 19: case 39: case 40: return kMruKindDate;
    default: return kMruKindText;
  }
}

// The remembered fields: every field but the statement messages, whose
// store is the settings record (a remembered message would put one user's
// old text over what another stored since).
struct OptionsMruTable {
  OptionsMruTable() {
    int n = 0;
    for (int f = 1; f < kRecords; ++f) {
      if (f >= kFieldFirstMessage && f <= kFieldLastMessage) continue;
      fields[n].fieldNumber = static_cast<std::uint8_t>(f);
      fields[n].valueCode = static_cast<std::uint32_t>(20 * f);
      fields[n].kind = MruKindOf(f);
      ++n;
    }
  }
  TAG_REPORT_MRU_FIELD fields[kRecords] = {};
};
const OptionsMruTable kMruTable;

class OptionsMru final : public CQxRepMRUParam {};

// What the callbacks share: one per screen run.
struct OptionsScreen {
  CustVendOutputParams* params = nullptr;
  const OptionTableEntry* ranges = nullptr;
  Form* form = nullptr;
  Window* window = nullptr;
  int rangeId[2] = {kSelCode, kSelCode};
  int fromField[2] = {4, 25};
  int result = 0;
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;
};

OptionsScreen* ScreenOf(Form* form) { return static_cast<OptionsScreen*>(form->context); }

LabelStockEntry& Stock(CustVendOutputParams* p) { return p->stockEntries[p->stockEntryIndex]; }

int SectionOf(int field) { return field >= kFieldRange2 + 1 && field <= kFieldRange2 + 20 ? 1 : 0; }

// Opens the pair of the section's chosen field and closes the others.
void ApplyRangeField(OptionsScreen* s, int section) {
  Form* form = s->form;
  const int rangeField = section == 0 ? kFieldRange1 : kFieldRange2;
  const int offset = section == 0 ? 0 : kSectionOffset;
  s->rangeId[section] = OptionTableValue(form, s->ranges, rangeField);
  for (int f = 4; f <= 23; ++f) FieldSetAccess(form, f + offset, kStateOutOfUse);
  const int from = FromFieldOf(s->rangeId[section]);
  s->fromField[section] = from ? from + offset : 0;
  if (from) {
    FieldSetAccess(form, from + offset, kStateNormal);
    FieldSetAccess(form, from + offset + 1, kStateNormal);
  }
}

int OnRangeFieldChosen(Form* form, int field) {
  ApplyRangeField(ScreenOf(form), field == kFieldRange1 ? 0 : 1);
  return 0x40;
}

int OnCopiesLeft(Form* form, int field) {
  const std::string text = FieldText(form, field);
  if (std::atoi(text.c_str()) > 0) return 0;
  MsgShow(kMsgCopies, 1);
  return 0x20;
}

int OnStockChosen(Form* form, int field) {
  OptionsScreen* s = ScreenOf(form);
  CustVendOutputParams* p = s->params;
  p->stockNumber = FieldGetChoice(form, field) - 1;
  CustVendOptionsStep(&Stock(p), p->stockNumber, &p->layoutBlock);
  return 0;
}

void MessagesToScreen(OptionsScreen* s) {
  const records::StatementsRecord& r = s->params->statementsRecord;
  for (int f = kFieldFirstMessage; f <= kFieldLastMessage; ++f) {
    const char* line = r.lines[kFirstMessageLine + f - kFieldFirstMessage];
    FieldSetText(s->form, f, std::string(line, strnlen(line, 40)).c_str());
  }
}

int ReadStatementsRecord(CustVendOutputParams* p) {
  const int status = SettingsRecordRead(kSettingsRead, p->settingsHandle, sizeof p->statementsRecord, "0Statements",
                                        &p->statementsRecord);
  // A company without the record starts with empty messages; F10 makes it.
  return status == kStatusKeyNotFound ? kStatusOk : status;
}

// The fields of the command: the messages for receivable statements, the
// fully paid invoices for statements, the stock and fonts for labels.  Set
// before the form runs, so that the window is only as tall as they need.
void ApplyFieldAccess(Form* form, const CustVendOutputParams* p) {
  const bool statementMessages = p->menuId == kMenuCustomerStatements;
  for (int f = kFieldFirstMessage; f <= kFieldLastMessage; ++f)
    FieldSetAccess(form, f, statementMessages ? kStateNormal : kStateOutOfUse);
  FieldSetAccess(form, kFieldStock, IsLabelOutput(p) ? kStateNormal : kStateOutOfUse);
  FieldSetAccess(form, kFieldFonts, IsLabelOutput(p) ? kStateNormal : kStateOutOfUse);
  // Only statements print invoices.
  FieldSetAccess(form, kFieldPaidInvoices, IsStatementOutput(p) ? kStateNormal : kStateOutOfUse);
  for (int f = 4; f <= 44; ++f)
    if (f != kFieldRange2) FieldSetAccess(form, f, kStateOutOfUse);
}

// Fills the screen from the parameters, then (at the form's start) the
// remembered values over them; Shift+F9 gives back the run's defaults.
int FillScreen(OptionsScreen* s, bool start) {
  Form* form = s->form;
  CustVendOutputParams* p = s->params;
  if (!start) FieldSetFocus(form, kFieldRunDate);
  WinWriteRow(s->window, 0, kFieldRange1, OptionTableText(s->ranges));
  WinWriteRow(s->window, 0, kFieldRange2, OptionTableText(s->ranges));
  LabelsPrintStep(p->settingsHandle, &p->formSettings);

  const bool statementMessages = p->menuId == kMenuCustomerStatements;
  ApplyFieldAccess(form, p);
  if (statementMessages) ReadStatementsRecord(p);

  char text[32] = {};
  FieldSetText(form, kFieldRunDate, DateToText(text, p->runDate));
  if (p->selectionMode != 'S') p->selectionMode = 'R';
  FieldSetChoice(form, kFieldMode, p->selectionMode == 'S' ? 2 : 1);
  std::snprintf(text, sizeof text, "%d", static_cast<int>(p->copies));
  FieldSetText(form, kFieldCopies, text);
  FieldSetChoice(form, kFieldOption, p->optionFlag == 'Y' ? 1 : 2);
  if (statementMessages) MessagesToScreen(s);
  if (IsStatementOutput(p)) FieldSetChoice(form, kFieldPaidInvoices, GetStatementOptionFlag() ? 1 : 2);
  if (IsLabelOutput(p)) {
    LabelStockEntry& entry = Stock(p);
    FieldSetChoice(form, kFieldFonts, entry.smallFonts ? 2 : 1);
    p->stockNumber = entry.stock;
    FieldSetChoice(form, kFieldStock, p->stockNumber + 1);
  }
  FieldSetChoice(form, kFieldRange1, 1);
  FieldSetChoice(form, kFieldRange2, 1);
  for (int f = 4; f <= 44; ++f)
    if (f != kFieldRange2) FieldSetText(form, f, "");

  if (start) {
    ShowRememberedValues<OptionsMru>(form, s->collection, &s->mru, MruKeyOf(p->menuId), kMruTable.fields);
  } else if (s->collection) {
    s->collection->RestoreAll();
    if (statementMessages) MessagesToScreen(s);
  }
  // The stock and fonts shown are the ones the run takes.
  if (IsLabelOutput(p)) {
    p->stockNumber = std::max(0, FieldGetChoice(form, kFieldStock) - 1);
    Stock(p).smallFonts = FieldGetChoice(form, kFieldFonts) == 2 ? 1 : 0;
    CustVendOptionsStep(&Stock(p), p->stockNumber, &p->layoutBlock);
  }

  for (int section = 0; section < 2; ++section) {
    const int offset = section == 0 ? 0 : kSectionOffset;
    for (int f = 4; f <= 22; f += 2) {
      WinWriteFromLabel(s->window, 0, f + offset);
      WinWriteToLabel(s->window, 0, f + offset + 1);
    }
    ApplyRangeField(s, section);
  }
  for (int f : {4, 6, 8, 10, 12, 14, 16, 20, 25, 27, 29, 31, 33, 35, 37, 41}) RangeFieldEnter(form, f);
  for (int f : {5, 7, 9, 11, 13, 15, 17, 21, 26, 28, 30, 32, 34, 36, 38, 42}) RangeFieldExit(form, f);
  return start ? 0 : 0x80;
}

int OnFormStart(Form* form, int) { return FillScreen(ScreenOf(form), true); }
int OnDefaults(Form* form, KeyCode) { return FillScreen(ScreenOf(form), false); }

// --- Keys --------------------------------------------------------------------------------

// The picked record's value for a field of the current pair.
std::string LookedUpValue(const OptionsScreen* s, const records::CustVendRecord& r, int field) {
  const int section = SectionOf(field);
  const int pairField = field - (section ? kSectionOffset : 0);
  const int id = s->rangeId[section];
  auto text = [](const char* f, std::size_t n) { return std::string(f, strnlen(f, n)); };
  char buffer[32] = {};
  switch (pairField) {
    case 4: case 5: return text(r.code, sizeof r.code);
    case 6: case 7: return text(r.name, sizeof r.name);
    case 8: case 9:
      return id == kSelDepartment ? text(r.department, sizeof r.department) : text(r.territory, sizeof r.territory);
    case 10: case 11:
      return id == kSelSalesperson ? text(r.salesperson, sizeof r.salesperson)
                                   : text(r.vendorType, sizeof r.vendorType);
    case 12: case 13: return text(r.zipCode, sizeof r.zipCode);
    case 14: case 15: return text(r.billingGroup, sizeof r.billingGroup);
    case 16: case 17:
      std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(r.invoiceCounts[2]));
      return buffer;
    case 18: case 19: {
      const std::int32_t day = id == kSelLastPaymentDate ? r.lastPaymentDate : r.lastInvoiceDate;
      return day ? DateToText(buffer, day) : "";
    }
    case 22: case 23: return text(r.glAccount, sizeof r.glAccount);
    default: return "";
  }
}

int OnLookUp(Form* form, KeyCode) {
  OptionsScreen* s = ScreenOf(form);
  CustVendOutputParams* p = s->params;
  const int field = FormCurrentField(form);
  const int section = SectionOf(field);
  const int pairField = field - (section ? kSectionOffset : 0);
  if (pairField < 4 || pairField > 23 || (section == 0 && field > 23)) return 0x20;
  // Amounts have nothing to look up.
  if (pairField == 20 || pairField == 21) return 0x20;
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  records::CustVendRecord picked{};
  int chosen = 0;
  if (IsCustomerOutput(p) && (pairField == 10 || pairField == 11)) {
    chosen = PickCustomerByKey(text, 0, p->fourthHandle, &picked, 6, 9, 8, 62, 0);
  } else if (IsCustomerOutput(p)) {
    chosen = PickCustomer(text, 0, p->custVendHandle, &picked, 4, 5, 13, 68, 0, 1);
  } else {
    chosen = PickVendor(text, 0, p->custVendHandle, &picked, 4, 5, 13, 68, 0, 1);
  }
  if (!chosen) return 0x20;
  FieldSetText(form, field, LookedUpValue(s, picked, field).c_str());
  FieldRedraw(form, field);
  return 0x40;
}

int OnEditText(Form* form, KeyCode) {
  OptionsScreen* s = ScreenOf(form);
  CustVendOutputParams* p = s->params;
  if (!UserAccessCheckRight(kTextRight, 0, SharedAppBlockGet()->userName, 1)) return 0x20;
  int kind = kTextLabels;
  if (IsStatementOutput(p)) {
    const int answer = MsgAsk(kMsgWhichText, 0, nullptr, nullptr, kCaptionQuestion);
    if (answer != 1 && answer != 2) return 0x20;
    kind = answer == 1 ? kTextStatementPage : kTextStatementInvoice;
  } else if (IsLetterOutput(p)) {
    kind = IsCustomerOutput(p) ? kTextCustomerLetter : kTextVendorLetter;
  }
  char name[33] = {};
  if (StatementOptionText(kind, name, &p->formSettings) != 0) return 0x20;
  int state = -1;
  CustVendF3Window(2, 1, 20, 77, 140, &state, name, 1, 0);
  return 0x80;
}

int OnFormSettings(Form* form, KeyCode) {
  CustVendOutputParams* p = ScreenOf(form)->params;
  CustVendKeyStep830(4, 15, &p->formSettings, p->settingsHandle);
  return 0x80;
}

int OnLabelLayout(Form* form, KeyCode) {
  CustVendOutputParams* p = ScreenOf(form)->params;
  Stock(p).smallFonts = FieldGetChoice(form, kFieldFonts) == 2 ? 1 : 0;
  CustVendKeyStep1420(p->settingsHandle, &Stock(p), &p->layoutBlock);
  return 0x80;
}

// --- F10 --------------------------------------------------------------------------------------

struct MessageLines {
  char lines[8][41];
};

void PutMessages(void* image, void* context) {
  auto* r = static_cast<records::StatementsRecord*>(image);
  const auto* m = static_cast<const MessageLines*>(context);
  for (int i = 0; i < 8; ++i) std::memcpy(r->lines[kFirstMessageLine + i], m->lines[i], sizeof m->lines[i]);
}

// Stores the messages: lines 2-9 of "0Statements", every other byte as
// the record holds it.  0 when stored.
int StoreMessages(OptionsScreen* s) {
  CustVendOutputParams* p = s->params;
  MessageLines m{};
  for (int i = 0; i < 8; ++i) {
    const std::string text = FieldText(s->form, kFieldFirstMessage + i);
    std::snprintf(m.lines[i], sizeof m.lines[i], "%s", text.c_str());
    std::memcpy(p->statementsRecord.lines[kFirstMessageLine + i], m.lines[i], sizeof m.lines[i]);
  }
  const int status = SettingsRecordRewrite(p->settingsHandle, "0Statements", sizeof(records::StatementsRecord),
                                           PutMessages, &m);
  if (status == kStatusOk) return status;
  // Another user holds or changed the record: show what it holds now.
  if (status == kStatusConflict || status == kStatusRecordInUse) {
    ReadStatementsRecord(p);
    MessagesToScreen(s);
    FieldSetFocus(s->form, kFieldRange1);
  }
  return status;
}

// Builds the criterion of one section.  0 when good; otherwise the message
// has been shown and the cursor put on the pair.
int ReadRange(OptionsScreen* s, int section, RangeCriterion* c) {
  Form* form = s->form;
  const int id = s->rangeId[section];
  const int from = s->fromField[section];
  char fromText[256] = {}, toText[256] = {};
  const bool fromOpen = from == 0 || FieldGetTyped(form, from, 0, fromText) == 1;
  const bool toOpen = from == 0 || FieldGetTyped(form, from + 1, 0, toText) == 1;
  if (!fromOpen) FieldGetText(form, from, fromText, sizeof fromText);
  if (!toOpen) FieldGetText(form, from + 1, toText, sizeof toText);
  // A zip code typed into its picture keeps the picture's dash.
  if (id == kSelZipCode) {
    std::snprintf(fromText, sizeof fromText, "%s", ZipRangeEnd(fromText).c_str());
    std::snprintf(toText, sizeof toText, "%s", ZipRangeEnd(toText).c_str());
  }
  const char* fromEnd = fromOpen ? nullptr : fromText;
  // A blank from on a balance selects the balances above zero; the end is
  // then given, so that the criterion tests it.
  if (fromOpen && BlankFromIsAboveZero(id)) fromEnd = "0.01";
  const char* caption = "";
  for (const OptionTableEntry* e = s->ranges; e->caption; ++e)
    if (e->value == id) caption = e->caption;
  const int result = RangeCriterionSet(c, id, caption, KindOf(id), fromEnd, toOpen ? nullptr : toText);
  if (result == kRangeOk) return 0;
  if (result == kRangeBadValue) MsgShow(KindOf(id) == RangeKind::kDate ? kMsgInvalidDate : kMsgNotANumber, 1);
  else MsgShow(kMsgFromAfterTo, 1);
  FieldSetFocus(form, from);
  return 0x20;
}

int OnAccept(Form* form, KeyCode) {
  OptionsScreen* s = ScreenOf(form);
  CustVendOutputParams* p = s->params;
  const std::string date = FieldText(form, kFieldRunDate);
  p->runDate = DateFromText(date.c_str());
  p->selectionMode = FieldGetChoice(form, kFieldMode) == 2 ? 'S' : 'R';
  p->copies = std::atoi(FieldText(form, kFieldCopies).c_str());
  p->optionFlag = FieldGetChoice(form, kFieldOption) == 1 ? 'Y' : 'N';
  if (IsStatementOutput(p)) SetStatementOptionFlag(FieldGetChoice(form, kFieldPaidInvoices) == 1 ? 1 : 0);
  if (IsLabelOutput(p)) {
    p->stockNumber = std::max(0, FieldGetChoice(form, kFieldStock) - 1);
    CustVendOptionsStep(&Stock(p), p->stockNumber, &p->layoutBlock);
    Stock(p).smallFonts = FieldGetChoice(form, kFieldFonts) == 2 ? 1 : 0;
  }
  if (!DateIsValid(date.c_str())) {
    MsgShow(kMsgInvalidDate, 1);
    FieldSetFocus(form, kFieldRunDate);
    return 0x20;
  }
  if (p->copies < 1) {
    MsgShow(kMsgCopies, 1);
    FieldSetFocus(form, kFieldCopies);
    return 0x20;
  }
  if (p->menuId == kMenuCustomerStatements && StoreMessages(s) != kStatusOk) return 0x20;
  // Labels that do not fit keep the screen open: its message says what
  // does not fit, and nothing is chosen or printed.
  if (IsLabelOutput(p) &&
      CustVendOptionsStep2(p->settingsHandle, FieldGetChoice(form, kFieldFonts), &Stock(p), &p->layoutBlock) != 0)
    return 0x20;
  p->range1.fieldId = -1;
  p->range2.fieldId = -1;
  if (const int r = ReadRange(s, 0, &p->range1)) return r;
  if (const int r = ReadRange(s, 1, &p->range2)) return r;
  s->result = SelectCustVendRecords(p);
  if (s->result != 0) CloseCustVendSelection(p);
  return 1;
}

// Everything one screen run holds, released on every way out.
struct ScreenRun {
  Form form{};
  FormDef def;
  std::vector<TagFormField> fields;
  char* rangeChoices = nullptr;
  OptionsScreen screen;
  bool begun = false;

  ~ScreenRun() {
    if (begun) FormEnd(&form);
    MemFree(rangeChoices);
    CQxBaseRepParam::ReportDefAndMRUFree(screen.copy, screen.collection, screen.mru);
  }
};

bool IsRangeFromField(int f) { return (f >= 4 && f <= 20 && f % 2 == 0) || (f >= 25 && f <= 41 && f % 2 == 1); }
bool IsRangeToField(int f) { return (f >= 5 && f <= 21 && f % 2 == 1) || (f >= 26 && f <= 42 && f % 2 == 0); }
bool IsDatePairField(int f) { return f == 18 || f == 19 || f == 39 || f == 40; }

}  // namespace

bool IsCustomerOutput(const CustVendOutputParams* p) {
  return p->menuId == kMenuCustomerStatements || p->menuId == kMenuCustomerLabels ||
         p->menuId == kMenuCustomerLetters;
}
bool IsStatementOutput(const CustVendOutputParams* p) {
  return p->menuId == kMenuCustomerStatements || p->menuId == kMenuVendorStatements;
}
bool IsLabelOutput(const CustVendOutputParams* p) {
  return p->menuId == kMenuCustomerLabels || p->menuId == kMenuVendorLabels;
}
bool IsLetterOutput(const CustVendOutputParams* p) {
  return p->menuId == kMenuCustomerLetters || p->menuId == kMenuVendorLetters;
}

void SetStatementOptionFlag(int flag) { statementOptionFlag = flag; }
int GetStatementOptionFlag() { return statementOptionFlag; }

int CustVendOutputOptions(CustVendOutputParams* p) {
  if (p->optionFlag == 0) p->optionFlag = 'N';
  if (p->selectionMode == 0) p->selectionMode = 'R';
  if (p->copies < 1) p->copies = 1;
  p->reserved = 0;
  if (p->stockEntryIndex < 0 || p->stockEntryIndex >= kLabelStockEntries) p->stockEntryIndex = kLabelStockEntryIndex;

  ScreenRun s;
  if (FormDefLoad(&s.def, kForm) != 0) return 1;
  s.fields = s.def.fields;
  const bool customers = p->custVendFileNo == records::kFileCustomers;
  s.screen.ranges = customers ? kCustomerRanges : kVendorRanges;
  if (OptionTableLoad(s.screen.ranges, &s.rangeChoices) != 0) {
    MsgShow(1, 1);
    return 1;
  }
  for (TagFormField& f : s.fields) {
    const int n = f.number;
    if (n == 0) break;
    if (n == kFieldRange1 || n == kFieldRange2) {
      SetChoiceFieldMask(f, s.rangeChoices);
      f.exitCallback = OnRangeFieldChosen;
    }
    if (n == kFieldMode) SetChoiceFieldMask(f, kChoicesMode);
    if (n == kFieldOption || n == kFieldPaidInvoices) SetChoiceFieldMask(f, kChoicesYesNo);
    if (n == kFieldFonts) SetChoiceFieldMask(f, kChoicesFonts);
    if (n == kFieldStock && p->stockChoices && *p->stockChoices) {
      SetChoiceFieldMask(f, p->stockChoices);
      f.exitCallback = OnStockChosen;
    }
    if (n == kFieldRunDate || IsDatePairField(n)) f.exitCallback = OpenDateFieldExit;
    else if (IsRangeFromField(n)) f.exitCallback = RangeFieldEnter;
    else if (IsRangeToField(n)) f.exitCallback = RangeFieldExit;
    if (IsRangeFromField(n) || IsRangeToField(n)) f.entryCallback = IsDatePairField(n) ? FieldEntryDateHook : RangeFieldFocus;
    if (n == kFieldCopies) f.exitCallback = OnCopiesLeft;
  }

  FormBegin(&s.form);
  s.begun = true;
  if (!FormFieldsCreate(&s.form, s.fields.data(), 1)) return 1;
  FormDefUse(&s.form, &s.def);
  ApplyFieldAccess(&s.form, p);

  OptionsScreen& screen = s.screen;
  screen.params = p;
  screen.form = &s.form;
  screen.window = p->window;
  s.form.context = &screen;
  s.form.startHook = OnFormStart;
  s.form.eventHook = FormStandardHook;
  if (Window* w = p->window) {
    std::snprintf(s.form.reportId, sizeof s.form.reportId, "%s", w->reportId);
    FormAttachWindow(w, &s.form, 1);
    // Letters and labels take the window's title; statements keep theirs.
    if (oem::CompareText(w->reportId, "RSCVLabels") == 0 || oem::CompareText(w->reportId, "RSCVLetters") == 0)
      WinSetTitle(w, w->title);
  }
  FormSetup(&s.form, 1, kHelpTopic);
  FormOnKey(&s.form, kKeyShiftF9, OnDefaults, "Defaults");
  FormOnKey(&s.form, kKeyF3, OnEditText, "Text");
  FormOnKey(&s.form, kKeyF9, OnFormSettings, "Settings");
  FormOnKey(&s.form, kKeyF5, OnLookUp, "Look up");
  FormOnKey(&s.form, kKeyF10, OnAccept, "Print");
  if (IsLabelOutput(p)) FormOnKey(&s.form, kKeyF7, OnLabelLayout, "Layout");

  const bool cancelled = !CQxBaseRepParam::RunRemembered(screen.copy, screen.collection, screen.mru, &s.form, kRecords);
  return cancelled ? 27 : screen.result;
}
