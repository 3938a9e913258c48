// The date field of a command that writes entries dated on it.
#include "entry_date.h"

#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "qxabase/settings.h"

namespace {

constexpr int kMsgInvalidDate = 13;

}  // namespace

EntryDateField::~EntryDateField() {
  if (refused_) CommandNotDone();
}

bool EntryDateField::Take(Form* form, int field, const records::PeriodsRecord* periods,
                          records::FiscalPeriodInfo* info, std::int32_t* day) {
  char text[32] = "";
  FieldGetText(form, field, text, sizeof text);
  refused_ = !DateIsValid(text);
  if (refused_) {
    MsgShow(kMsgInvalidDate, 1);
  } else {
    const std::int32_t date = DateFromText(text);
    // An open period only: the base library says why it refuses any other day.
    refused_ = (periods != nullptr ? FiscalPeriodOfDateIn(*periods, kPeriodCheckOpen, date, info)
                                   : FiscalPeriodOfDate(kPeriodCheckOpen, date, info)) != 0;
    if (!refused_) *day = date;
  }
  // An exit callback that refuses keeps the cursor on its field anyway; a
  // key handler (F10) puts it back there by this.
  if (refused_) FieldSetFocus(form, field);
  return !refused_;
}
