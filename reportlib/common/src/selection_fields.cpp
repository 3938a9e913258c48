// The pieces the report selection screens share.
#include "selection_fields.h"

#include <cstdio>

#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"

namespace {

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgFromAfterTo = 205;
constexpr int kStay = 0x20;

}  // namespace

void FillMruFields(TAG_REPORT_MRU_FIELD* fields, int lastField, std::uint32_t (*kindOf)(int field)) {
  for (int f = 1; f <= lastField; ++f) {
    TAG_REPORT_MRU_FIELD& r = fields[f - 1];
    r.fieldNumber = static_cast<std::uint8_t>(f);
    r.valueCode = static_cast<std::uint32_t>(20 * f);
    r.kind = kindOf ? kindOf(f) : kMruKindText;
  }
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

void SetChoiceField(TagFormField& field, const char* choices) {
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
