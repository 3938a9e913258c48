// The aging schedule: the settings record, the screen transfer and the
// check that the periods follow one another.
#include "aging_schedule.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cv_params.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace {

constexpr int kMsgPeriodsNotContiguous = 251;
constexpr int kMsgScheduleNotSaved = 252;
constexpr int kDaysLimit = 9999;

// Stores the report's set of `params.schedule` into "0Schedule" of the open
// settings file.  The record is read again with a lock, so that nobody
// changes it between the read and the write, and only the report's own set
// is written: the other set, the key and every other byte stay as stored
// (another user may have changed them).  A company whose files may only be
// read keeps its schedule: the report says so and runs with the periods it
// was given.
int StoreSchedule(BtrvHandle settings, char* key, const CustVendReportParams& params) {
  records::AgingSchedule stored{};
  int status = BtrvGetOp(kOpGetEqual + kLockBias, settings, key, &stored, sizeof stored);
  if (status == kStatusOk) {
    std::memcpy(AgingPeriodsOf(&stored, params.menuId), AgingPeriodsOf(params.schedule, params.menuId),
                sizeof stored.customerPeriods);
    status = BtrvWriteOp(kOpUpdate, settings, key, &stored, sizeof stored);
    BtrvUnlock(-2, settings);
  }
  if (status == kStatusAccessDenied || status == kStatusPermissionError) {
    MsgShow(kMsgScheduleNotSaved, 1);
  } else if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpUpdate, records::kFileSettings, 0);
  }
  return status;
}

}  // namespace

records::AgingPeriod* AgingPeriodsOf(records::AgingSchedule* schedule, int menuId) {
  return menuId == kMenuCustomerAging ? schedule->customerPeriods : schedule->vendorPeriods;
}

const records::AgingPeriod* AgingPeriodsOf(const records::AgingSchedule* schedule, int menuId) {
  return menuId == kMenuCustomerAging ? schedule->customerPeriods : schedule->vendorPeriods;
}

int AgingScheduleRecord(CustVendReportParams* params, bool write) {
  if (params->schedule == nullptr) return kStatusOk;
  FileSet files;
  int status = FileSetOpen(&files, records::kFileSettings);
  if (status != kStatusOk) return status;
  const records::SettingsKey name = records::MakeSettingsKey("0Schedule");
  char key[255] = {};
  std::memcpy(key, name.text, sizeof name.text);
  records::AgingSchedule stored{};
  status = BtrvGetOp(kOpGetEqual, files.handle[0], key, &stored, sizeof stored);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileSettings, 0);
  } else if (!write) {
    *params->schedule = stored;
  } else if (std::memcmp(AgingPeriodsOf(&stored, params->menuId), AgingPeriodsOf(params->schedule, params->menuId),
                         sizeof stored.customerPeriods) != 0) {
    status = StoreSchedule(files.handle[0], key, *params);
  }
  FileSetClose(&files);
  return status;
}

int AgingPeriodsBadIndex(const records::AgingPeriod* periods) {
  const bool ascending = periods[0].fromDays < periods[0].toDays;
  for (int i = 0; i < kAgingPeriods; ++i) {
    const int from = periods[i].fromDays, to = periods[i].toDays;
    if (ascending ? !(from < to) : !(from > to)) return i;
    if (i == 0) continue;
    const int previousTo = periods[i - 1].toDays;
    if (from != (ascending ? previousTo + 1 : previousTo - 1)) return i;
  }
  return -1;
}

namespace {

// Puts `days` into a day field; `shown` gets the text the field then holds.
void ShowDays(Form* form, int field, std::int16_t days, std::string* shown) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(days));
  FieldSetText(form, field, text);
  if (shown) *shown = FieldText(form, field);
}

// The days of a field: the value as stored when the field still shows what
// it was given (`shown`), else the number typed, kept within the days limit.
std::int16_t DaysOf(Form* form, int field, std::int16_t stored, const std::string* shown) {
  const std::string text = FieldText(form, field);
  if (shown && text == *shown) return stored;
  long days = std::strtol(text.c_str(), nullptr, 10);
  if (days > kDaysLimit) days = kDaysLimit;
  if (days < -kDaysLimit) days = -kDaysLimit;
  return static_cast<std::int16_t>(days);
}

}  // namespace

void AgingScheduleToScreen(Form* form, const records::AgingSchedule* schedule, int menuId, AgingDaysShown* shown) {
  const records::AgingPeriod* periods = AgingPeriodsOf(schedule, menuId);
  for (int i = 0; i < kAgingPeriods; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "%.*s", static_cast<int>(strnlen(periods[i].label, sizeof periods[i].label)),
                  periods[i].label);
    FieldSetText(form, AgingLabelField(i), text);
    ShowDays(form, AgingFromField(i), periods[i].fromDays, shown ? &shown->from[i] : nullptr);
    ShowDays(form, AgingToField(i), periods[i].toDays, shown ? &shown->to[i] : nullptr);
  }
}

void AgingScheduleFromScreen(Form* form, records::AgingSchedule* schedule, int menuId, const AgingDaysShown* shown) {
  records::AgingPeriod* periods = AgingPeriodsOf(schedule, menuId);
  for (int i = 0; i < kAgingPeriods; ++i) {
    char label[64] = {};
    FieldGetText(form, AgingLabelField(i), label, sizeof label);
    records::SetText(periods[i].label, label);
    periods[i].fromDays = DaysOf(form, AgingFromField(i), periods[i].fromDays, shown ? &shown->from[i] : nullptr);
    periods[i].toDays = DaysOf(form, AgingToField(i), periods[i].toDays, shown ? &shown->to[i] : nullptr);
  }
}

bool ValidateAgingPeriods(Form* form, const records::AgingSchedule* schedule, int menuId) {
  const int bad = AgingPeriodsBadIndex(AgingPeriodsOf(schedule, menuId));
  if (bad < 0) return true;
  MsgShow(kMsgPeriodsNotContiguous, 1);
  FieldSetFocus(form, AgingFromField(bad));
  return false;
}
