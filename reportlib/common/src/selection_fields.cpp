// The pieces the report selection screens share.
#include "selection_fields.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "records/dictionary.h"

namespace {

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgAccountNotOnFile = 89;
constexpr int kMsgFromAfterTo = 205;
constexpr int kStay = 0x20;
constexpr int kStateNormal = 0;
constexpr int kStateOutOfUse = 2;

}  // namespace

void FillMruFields(TAG_REPORT_MRU_FIELD* fields, int lastField, std::uint32_t (*kindOf)(int field)) {
  for (int f = 1; f <= lastField; ++f) {
    TAG_REPORT_MRU_FIELD& r = fields[f - 1];
    r.fieldNumber = static_cast<std::uint8_t>(f);
    r.valueCode = static_cast<std::uint32_t>(20 * f);
    r.kind = kindOf ? kindOf(f) : kMruKindText;
  }
}

void SetUpScreenForm(Form* form, Window* window, const char* reportId, void* context, FormStartHook start) {
  std::snprintf(form->reportId, sizeof form->reportId, "%s", reportId);
  form->context = context;
  form->startHook = start;
  form->eventHook = FormStandardHook;
  if (window) FormAttachWindow(window, form, 1);
  FormSetup(form, 1, 0);
}

void OpenOnePair(Form* form, int first, int last, int open) {
  for (int f = first; f <= last; ++f) FieldSetAccess(form, f, kStateOutOfUse);
  if (open) {
    FieldSetAccess(form, open, kStateNormal);
    FieldSetAccess(form, open + 1, kStateNormal);
  }
}

int OptionEntryOf(const OptionTableEntry* table, int id) {
  int index = 1;
  for (const OptionTableEntry* e = table; e->caption; ++e, ++index)
    if (e->value == id) return index;
  return 1;
}

void PutRangeEnd(Form* form, int field, const RangeCriterion& range, bool from) {
  if (field == 0) return;
  const bool open = from ? range.fromEmpty : range.toEmpty;
  const char* text = from ? range.fromText : range.toText;
  std::string value = open ? "" : std::string(text, strnlen(text, sizeof range.fromText));
  while (!value.empty() && value.back() == ' ') value.pop_back();
  FieldSetText(form, field, value.c_str());
}

void ShowOpenEnds(Form* form, int pair) {
  if (pair == 0) return;
  RangeFieldEnter(form, pair);
  RangeFieldExit(form, pair + 1);
}

void SetChoiceFieldMask(TagFormField& field, const char* choices) {
  int widest = 0, current = 0;
  for (const char* c = choices + 1; *c; ++c) {
    if (*c == ',') {
      current = 0;
    } else if (++current > widest) {
      widest = current;
    }
  }
  std::snprintf(field.mask, sizeof field.mask, "%%-%dsm", widest);
  field.choices = choices;
}

int OpenDateFieldExit(Form* form, int field) {
  if (FieldFillDefault(form, "", field)) return 0;
  char text[32] = {};
  FieldGetText(form, field, text, sizeof text);
  if (DateIsValid(text)) return 0;
  MsgShow(kMsgInvalidDate, 1);
  return kStay;
}

int CheckRangeDate(Form* form, int field, int fromField, int toField) {
  char text[32] = {};
  FieldGetText(form, field, text, sizeof text);
  if (!DateIsValid(text)) {
    MsgShow(kMsgInvalidDate, 1);
    return kStay;
  }
  if (field == toField) {
    char from[32] = {};
    FieldGetText(form, fromField, from, sizeof from);
    if (DateIsValid(from) && DateFromText(from) > DateFromText(text)) {
      MsgShow(kMsgFromAfterTo, 1);
      return kStay;
    }
  }
  return 0;
}

int CheckAccountOnFile(BtrvHandle accounts, const std::string& code, records::GLAccount* account) {
  char key[255] = {};
  std::memcpy(key, code.data(), std::min(code.size(), sizeof records::GLAccount::code - 1));
  const int status = BtrvGetOp(kOpGetEqual, accounts, key, account, sizeof *account);
  if (status == kStatusKeyNotFound) {
    MsgShow(kMsgAccountNotOnFile, 1);
    return kStay;
  }
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
    return kStay;
  }
  return 0;
}
