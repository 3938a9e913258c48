// The pieces the period-end and periodic units share.
#include "periodic/periodic_frame.h"

#include <cstdio>
#include <string>

#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/settings.h"
#include "qxabase/unposted.h"
#include "records/dictionary.h"

namespace periodic {

namespace {

constexpr int kMsgInvalidDate = 13;

}  // namespace

int PostingOpenMode() { return SysFlagGet(kSysFlagSharedPosting) ? kFileModeShared : kFileModeExclusive; }

bool ReadPeriods(records::PeriodsRecord* periods) {
  const int read = SettingsRecordRead(kSettingsRead, 0, sizeof *periods, "0Periods", periods);
  // SettingsRecordRead leaves a missing record to its caller.
  if (read == kStatusKeyNotFound) MsgRecordError(read, 1, kOpGetEqual, records::kFileSettings, 0);
  return read == kStatusOk;
}

StatusBoxGuard::StatusBoxGuard(const StatusBoxLayout& layout) {
  StatusBoxOpen(layout.top, layout.left, -1, layout.lines, layout.width, 0);
  if (layout.title != 0) {
    StatusBoxTitle(layout.title);
  } else {
    StatusBoxTitleText(layout.titleText);
  }
  if (layout.reportId != nullptr) ProgressFormSet(layout.reportId);
  StatusBoxFields(layout.fields, 0);
  StatusBoxShow(0);
}

void StatusBoxGuard::Close() {
  if (open_) StatusBoxClose();
  open_ = false;
}

bool FormHasFields(int definition, const std::vector<TagFormField>& fields, const std::vector<int>& numbers) {
  for (int number : numbers) {
    bool found = false;
    for (const TagFormField& f : fields) found = found || f.number == number;
    if (!found) {
      const std::string text = "The form definition " + std::to_string(definition) + " has no field " +
                               std::to_string(number) + ".\nPlease re-install the application.";
      MsgBoxShowStyle(0, text.c_str(), nullptr, kMsgStyleError, 0);
      return false;
    }
  }
  return true;
}

bool OpenScreen(Form* form, Window* window, std::vector<TagFormField>* fields, const FormDef& definition,
                ScreenPlace place, const char* title, const char* reportId, void* context) {
  if (!FormFieldsCreate(form, fields->data(), 1)) return false;
  if (WinOpen(window, place.top, place.left, place.rows, place.columns, 1, 1, ' ', title) != 0) return false;
  FormAttachWindow(window, form, 1);
  FormDefUse(form, &definition);
  std::snprintf(form->reportId, sizeof form->reportId, "%s", reportId);
  form->context = context;
  FormSetup(form, 0, 0);
  return true;
}

void ShowPeriod(Form* form, int period) {
  char text[16] = "";
  if (period > 0) std::snprintf(text, sizeof text, "%d", period);
  FieldSetText(form, kPeriodField, text);
  FieldRedraw(form, kPeriodField);
}

bool TakeDate(Form* form, const records::PeriodsRecord& periods, EntryDateField* field,
              records::FiscalPeriodInfo* info, std::int32_t* date) {
  if (!field->Take(form, kDateField, &periods, info, date)) return false;
  ShowPeriod(form, info->period);
  return true;
}

bool TakeClosingDate(Form* form, const records::PeriodsRecord& periods, records::FiscalPeriodInfo* info,
                     std::int32_t* date) {
  char text[32] = "";
  FieldGetText(form, kDateField, text, sizeof text);
  if (!DateIsValid(text)) {
    MsgShow(kMsgInvalidDate, 1);
    return false;
  }
  const std::int32_t day = DateFromText(text);
  // Any period of this year or next, closed ones included; the base
  // library says why it refuses a day outside them.
  if (FiscalPeriodOfDateIn(periods, kPeriodCheckOpen | kPeriodAcceptClosed, day, info) != 0) return false;
  ShowPeriod(form, info->period);
  *date = day;
  return true;
}

void SuggestToday(Form* form, const records::PeriodsRecord& periods) {
  const int today = DateToday();
  char text[16] = "";
  FieldSetText(form, kDateField, DateToText(text, today));
  records::FiscalPeriodInfo info{};
  FiscalPeriodOfDateIn(periods, kPeriodFillOnly, today, &info);
  ShowPeriod(form, info.period);
  FormRedraw(form);
}

int CountUnpostedAdjustments(BtrvHandle adjustments, std::int32_t from, std::int32_t to,
                             CUnpostTransCount* counter, int statusLine) {
  constexpr int kPostedDateKey = 2;
  BtrvKeyScope keyScope(adjustments);
  int status = BtrvSetKey(adjustments, kPostedDateKey, -1);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetGreaterOrEqual, records::kFileInventoryTransactions, 0);
    return status;
  }
  char key[255] = {};
  key[0] = 'N';
  records::InventoryTransaction t{};
  int op = kOpGetGreaterOrEqual;
  for (status = BtrvGetOp(op, adjustments, key, &t, sizeof t); status == kStatusOk && t.postedFlag == 'N';
       status = BtrvGetOp(op, adjustments, key, &t, sizeof t)) {
    op = kOpGetNext;
    if (t.date < from) continue;
    if (t.date > to) break;
    if (statusLine > 0) StatusBoxRecord(statusLine, std::string(records::Trimmed(t.transactionNumber)).c_str());
    if (IsUnposted(t)) counter->AddUnpostTrans(t.date);
  }
  if (status != kStatusOk && status != kStatusEndOfFile && status != kStatusKeyNotFound) {
    MsgRecordError(status, 1, op, records::kFileInventoryTransactions, 0);
    return status;
  }
  return kStatusOk;
}

}  // namespace periodic
