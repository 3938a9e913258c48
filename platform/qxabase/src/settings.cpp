// Settings records of file 29, the system settings and the fiscal period of
// a date.
#include "qxabase/settings.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "internal.h"
#include "qxabase/app_block.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace {

constexpr int kMsgNoPeriods = 1951;        // the company has no "0Periods"
constexpr int kMsgPeriodsDamaged = 1953;   // %1 the period count
constexpr int kMsgDateOutside = 1955;      // %1 date, %2 first day, %3 last day of the periods
constexpr int kMsgPeriodClosed = 1957;     // %1 date, %2 period, %3 first day, %4 last day
constexpr int kMsgLockedReadNoHandle = 1959;

// The longest settings record the system reads.
constexpr unsigned kSettingsMax = 4096;

// "0SysPrefs" (records::SysPrefsRecord) keeps the settings by number; the
// fields it names must be the numbered settings of qxabase/settings.h.
using records::SysPrefsRecord;
static_assert(SysPrefsRecord::kSettingCount == kSysSettingCount);
static_assert(offsetof(SysPrefsRecord, sharedPosting) == SysPrefsRecord::kFlagsOffset + kSysFlagSharedPosting);
static_assert(offsetof(SysPrefsRecord, keepBackOrders) == SysPrefsRecord::kFlagsOffset + kSysFlagKeepBackOrders);
static_assert(offsetof(SysPrefsRecord, keepSalesHistory) ==
              SysPrefsRecord::kFlagsOffset + kSysFlagKeepSalesHistory);
static_assert(offsetof(SysPrefsRecord, rememberReportParams) ==
              SysPrefsRecord::kFlagsOffset + kSysFlagRememberReportParams);
static_assert(offsetof(SysPrefsRecord, purgeWarnings) == SysPrefsRecord::kFlagsOffset + kSysFlagPurgeWarnings);
static_assert(offsetof(SysPrefsRecord, costingMethod) == SysPrefsRecord::kCodesOffset + kSysCodeCosting);

struct Defaults {
  char flags[kSysSettingCount];
  char codes[kSysSettingCount];
};

constexpr Defaults MakeDefaults() {
  Defaults d{};
  for (char& f : d.flags) f = 'N';
  d.flags[kSysFlagKeepBackOrders] = 'Y';
  d.flags[kSysFlagKeepSalesHistory] = 'Y';
  d.flags[kSysFlagRememberReportParams] = 'Y';
  d.flags[kSysFlagPurgeWarnings] = 'Y';
  d.codes[kSysCodeCosting] = 'A';
  return d;
}
constexpr Defaults kDefaults = MakeDefaults();

struct SysCache {
  bool loaded = false;
  bool present = false;
  SysPrefsRecord record{};
};

SysCache& Cache() {
  static SysCache cache;
  return cache;
}

// Reads a settings record without showing anything.  `buffer` gets the
// record's bytes and zeros after them.
int ReadQuiet(int op, BtrvHandle handle, unsigned length, const char* key, void* buffer) {
  std::memset(buffer, 0, length);
  BtrvHandle own = 0;
  if (handle == 0) {
    const char* path = FilePathGet(records::kFileSettings);
    if (!*path) return kStatusFileNotFound;
    const int status = BtrvOpen(&own, path, kOpenNormal, 0);
    if (status != kStatusOk) return status;
    handle = own;
  }
  const records::SettingsKey k = records::MakeSettingsKey(key ? std::string_view(key) : std::string_view());
  char keyBuffer[255] = {};
  std::memcpy(keyBuffer, k.text, sizeof k.text);
  std::vector<std::uint8_t> record(kSettingsMax);
  unsigned read = 0;
  int status = BtrvGetOp(op, handle, keyBuffer, record.data(), kSettingsMax, &read);
  if (status == kStatusDataBufferTooShort) status = kStatusOk;  // a longer record: its first bytes are wanted
  if (status == kStatusOk) std::memcpy(buffer, record.data(), std::min<unsigned>(length, std::min(read, kSettingsMax)));
  if (own) BtrvClose(own);
  return status;
}

std::string DateText(int day) {
  char text[16];
  DateToTextLong(text, day);
  return text;
}

MsgArg Text(const std::string& s) { return MsgArg{MsgArg::Kind::kText, s.c_str(), 0, 0}; }

constexpr char kPendingPeriodKey[] = "0BiPoPeriod";

// The pending posting period of billing and purchasing: its number and its
// last day, when the company keeps one that lies in this year or next.  A
// pending period that has been closed since can take no posting: the first
// open period after it is pending instead (none when every later one is
// closed), so that billing and purchasing go on with the periods still open.
void FillPendingPeriod(const records::PeriodsRecord& periods, records::FiscalPeriodInfo* info) {
  info->pendingPeriod = 0;
  info->pendingDate = 0;
  records::PendingPeriodRecord pending{};
  if (ReadQuiet(kOpGetEqual, 0, sizeof pending, kPendingPeriodKey, &pending) != kStatusOk) return;
  if (pending.firstDay <= 0) return;
  const int entry = periods.EntryOfDate(pending.firstDay);
  if (entry < 0) return;
  for (int period = periods.PeriodOfEntry(entry); period >= 1; ++period) {
    const int e = periods.EntryOfPeriod(period);
    if (e < 0) return;
    if (!periods.entries[e].IsOpen()) continue;
    info->pendingPeriod = period;
    info->pendingDate = periods.entries[e].endDate;
    return;
  }
}

}  // namespace

namespace qxb {
void ForgetSystemSettings() { Cache().loaded = false; }
}  // namespace qxb

// --- Settings records -------------------------------------------------------------------

int SettingsRecordRead(int mode, BtrvHandle handle, int length, const char* key, void* buffer) {
  if (buffer == nullptr || length <= 0) return kStatusInvalidOperation;
  const bool locked = mode >= kSettingsReadLocked;
  const int op = locked ? kOpGetEqual + kLockBias : kOpGetEqual;
  if (locked && handle == 0) {
    std::memset(buffer, 0, static_cast<std::size_t>(length));
    MsgShow(kMsgLockedReadNoHandle, 1);
    return kStatusInvalidOperation;
  }
  const int status = ReadQuiet(op, handle, static_cast<unsigned>(length), key, buffer);
  if (status != kStatusOk && status != kStatusKeyNotFound) {
    MsgRecordError(status, 1, handle == 0 && status == kStatusFileNotFound ? kErrorOpOpen : op,
                   records::kFileSettings, 0);
  }
  return status;
}

int SettingsRecordRewrite(BtrvHandle handle, const char* key, int length, void (*change)(void* image, void* context),
                          void* context) {
  if (handle == 0 || change == nullptr || length <= 0 || static_cast<unsigned>(length) > kSettingsMax) {
    MsgShow(kMsgLockedReadNoHandle, 1);
    return kStatusInvalidOperation;
  }
  const records::SettingsKey k = records::MakeSettingsKey(key ? std::string_view(key) : std::string_view());
  char keyBuffer[255] = {};
  std::memcpy(keyBuffer, k.text, sizeof k.text);
  std::vector<std::uint8_t> image(kSettingsMax);
  unsigned read = 0;
  const int op = kOpGetEqual + kLockBias;
  int status = BtrvGetOp(op, handle, keyBuffer, image.data(), kSettingsMax, &read);
  const bool present = status == kStatusOk;
  if (status != kStatusOk && status != kStatusKeyNotFound) {
    MsgRecordError(status, 1, op, records::kFileSettings, 0);
    return status;
  }
  if (!present) {
    std::fill(image.begin(), image.end(), 0);
    std::memcpy(image.data(), k.text, sizeof k.text);
    read = 0;
  }
  change(image.data(), context);
  std::memcpy(image.data(), k.text, sizeof k.text);
  const unsigned written = std::max(read, static_cast<unsigned>(length));
  const int writeOp = present ? kOpUpdate : kOpInsert;
  status = BtrvWriteOp(writeOp, handle, keyBuffer, image.data(), written);
  if (present) BtrvUnlock(-1, handle);
  if (status != kStatusOk) MsgRecordError(status, 1, writeOp, records::kFileSettings, 0);
  return status;
}

int SystemRecordGet(int length, const char* key, void* buffer) {
  return SettingsRecordRead(kSettingsRead, 0, length, key, buffer);
}

// --- System settings -----------------------------------------------------------------------

namespace {
const SysCache& LoadedCache() {
  SysCache& c = Cache();
  if (!c.loaded) {
    c.loaded = true;
    c.present = ReadQuiet(kOpGetEqual, 0, sizeof c.record, "0SysPrefs", &c.record) == kStatusOk;
  }
  return c;
}
}  // namespace

int SysFlagGet(int number) {
  if (number < 0 || number >= kSysSettingCount) return 0;
  const SysCache& c = LoadedCache();
  const char stored = c.present ? c.record.Flag(number) : 0;
  const char value = stored != 0 ? stored : kDefaults.flags[number];
  return value == 'Y' || value == 'y' || value == 1 ? 1 : 0;
}

char SysCodeGet(int number) {
  if (number < 0 || number >= kSysSettingCount) return 0;
  const SysCache& c = LoadedCache();
  const char stored = c.present ? c.record.Code(number) : 0;
  return stored != 0 ? stored : kDefaults.codes[number];
}

// --- Fiscal periods ------------------------------------------------------------------------

int FiscalPeriodOfDateIn(const records::PeriodsRecord& periods, int kind, int day,
                         records::FiscalPeriodInfo* info) {
  const bool check = (kind & kPeriodCheckOpen) != 0;
  if (info) {
    info->period = -1;
    info->entryIndex = -1;
    info->startDate = 0;
    info->endDate = 0;
    info->yearFlag = 0;
    info->journalStartDate = 0;
    info->pendingPeriod = 0;
    info->pendingDate = 0;
  }
  const int n = periods.periodsPerYear;
  if (n < 1 || n > records::PeriodsRecord::kMaxPeriodsPerYear) {
    if (check) MsgShowArgsList(kMsgPeriodsDamaged, 0, 0, 1, {MsgArg{MsgArg::Kind::kNumber, nullptr, n, 0}});
    return 1;
  }
  const int entry = day > 0 ? periods.EntryOfDate(day) : -1;
  if (entry < 0) {
    if (check) {
      int first = 0, last = 0;
      for (int i = 0; i < 26; ++i) {
        if (periods.PeriodOfEntry(i) < 0 || periods.entries[i].startDate <= 0) continue;
        if (first == 0 || periods.entries[i].startDate < first) first = periods.entries[i].startDate;
        if (periods.entries[i].endDate > last) last = periods.entries[i].endDate;
      }
      const std::string d = DateText(day), f = DateText(first), l = DateText(last);
      MsgShowArgsList(kMsgDateOutside, 0, 0, 1, {Text(d), Text(f), Text(l)});
    }
    return 1;
  }
  const records::PeriodEntry& e = periods.entries[entry];
  const int period = periods.PeriodOfEntry(entry);
  if (info) {
    info->period = period;
    info->entryIndex = entry;
    info->startDate = e.startDate;
    info->endDate = e.endDate;
    info->yearFlag = entry >= records::PeriodsRecord::kNextYearFirstEntry ? 1 : 0;
    // The journal's default range starts at the first period still open,
    // so that work left unposted in an earlier open period is listed too.
    int firstOpenStart = 0;
    const int openEntry = periods.EntryOfPeriod(periods.nextOpenPeriod);
    if (openEntry >= 0) {
      firstOpenStart = periods.entries[openEntry].startDate;
    } else {
      for (int p = 1; p <= 2 * n && firstOpenStart == 0; ++p) {
        const int i = periods.EntryOfPeriod(p);
        if (i >= 0 && periods.entries[i].IsOpen()) firstOpenStart = periods.entries[i].startDate;
      }
    }
    info->journalStartDate = firstOpenStart > 0 && firstOpenStart < e.startDate ? firstOpenStart : e.startDate;
  }
  if (check && !e.IsOpen() && (kind & kPeriodAcceptClosed) == 0) {
    const std::string d = DateText(day), s = DateText(e.startDate), t = DateText(e.endDate);
    MsgShowArgsList(kMsgPeriodClosed, 0, 0, 1,
                    {Text(d), MsgArg{MsgArg::Kind::kNumber, nullptr, period, 0}, Text(s), Text(t)});
    return 1;
  }
  return 0;
}

int FiscalPeriodOfDate(int kind, int day, records::FiscalPeriodInfo* info) {
  records::PeriodsRecord periods{};
  const int status = ReadQuiet(kOpGetEqual, 0, sizeof periods, "0Periods", &periods);
  if (status != kStatusOk) {
    if (info) {
      info->period = -1;
      info->entryIndex = -1;
      info->startDate = info->endDate = 0;
      info->yearFlag = 0;
      info->journalStartDate = 0;
      info->pendingPeriod = info->pendingDate = 0;
    }
    if (status == kStatusKeyNotFound) {
      if (kind & kPeriodCheckOpen) MsgShow(kMsgNoPeriods, 1);
    } else {
      MsgRecordError(status, 1, status == kStatusFileNotFound ? kErrorOpOpen : kOpGetEqual,
                     records::kFileSettings, 0);
    }
    return status;
  }
  const int result = FiscalPeriodOfDateIn(periods, kind, day, info);
  if (info) FillPendingPeriod(periods, info);
  return result;
}

int PeriodStep441(BtrvHandle settings, int /*reserved*/, int entryIndex) {
  if (settings == 0) return kStatusInvalidOperation;
  records::PeriodsRecord periods{};
  int status = ReadQuiet(kOpGetEqual, settings, sizeof periods, "0Periods", &periods);
  if (status != kStatusOk) return status;
  if (entryIndex < 0 || entryIndex >= 26 || periods.PeriodOfEntry(entryIndex) < 0) return kStatusInvalidOperation;
  // A period is done only once it is over: transactions of its remaining
  // days may still come, and they must find it pending.
  if (DateToday() <= periods.entries[entryIndex].endDate) return kStatusOk;
  const std::int32_t next = periods.entries[entryIndex].endDate + 1;
  records::PendingPeriodRecord pending{};
  status = ReadQuiet(kOpGetEqual + kLockBias, settings, sizeof pending, kPendingPeriodKey, &pending);
  if (status == kStatusKeyNotFound) {
    const records::SettingsKey k = records::MakeSettingsKey(kPendingPeriodKey);
    std::memcpy(pending.key, k.text, sizeof k.text);
    pending.firstDay = next;
    return BtrvWriteOp(kOpInsert, settings, nullptr, &pending, sizeof pending);
  }
  if (status != kStatusOk) return status;
  // The pending period only moves on: a run of a period before it (the
  // first run of a company) leaves it alone.
  if (pending.firstDay >= next) {
    BtrvUnlock(-2, settings);
    return kStatusOk;
  }
  pending.firstDay = next;
  status = BtrvWriteOp(kOpUpdate, settings, nullptr, &pending, sizeof pending);
  BtrvUnlock(-2, settings);
  return status;
}

std::int32_t RecordStep446(int day, const records::PeriodsRecord* periods) {
  return periods ? records::PeriodKeyOf(*periods, day) : 0;
}

namespace {
template <class T>
void RollGroup(T* group) {
  if (group == nullptr) return;
  group[0] = group[1];
  group[1] = group[2];
  group[2] = group[4];
  group[4] = T{};
}
}  // namespace

void YearEndPairClose(std::int32_t* group) { RollGroup(group); }
void YearEndBlockClose(double* group) { RollGroup(group); }
