// Year-end roll: every statistics group of every customer, vendor, product
// and service moves one year on (the base library's roll of a group), the
// rest of each record written back as it was read.
//
// A command's whole roll is one record-manager transaction.  Nothing records
// that a year was rolled, so a roll left half done could not be finished: a
// rerun would roll the records already rolled a second time.  A failure, a
// crash or a kill therefore leaves every record as it was, and the roll can
// simply be run again.
#include "periodic/year_end_roll.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "btrvc.h"
#include "periodic/periodic_frame.h"
#include "periodic/statistics_groups.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/settings.h"
#include "qxabase/status_box.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"

using periodic::Failure;

namespace {

constexpr int kMsgRollYear = 1503;    // roll the year's statistics?
constexpr int kMsgYearEndDone = 1267;
constexpr int kStatusTitle = 530;     // "Year-End Statistics"
constexpr int kHelpCustVend = 381;
constexpr int kHelpInventory = 392;

// The status box: one line, the code of the record being rolled.
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = 2, .mask = "%-15s"},
    {},
};
constexpr periodic::StatusBoxLayout kStatusBox{.title = kStatusTitle, .fields = kStatusLines};

bool AskToRoll(int helpId) { return MsgAsk(kMsgRollYear, helpId, nullptr, nullptr, kCaptionQuestion) == 1; }

// The roll is committed: the command has done its work.
void ShowDone() {
  CommandDone();
  MsgAsk(kMsgYearEndDone, 0, nullptr, " Continue,F1 Help", kCaptionQuestion);
}

Failure RollFile(CDbTable* table, const periodic::StatisticsFile& groups);
void RollRecord(unsigned char* record, const periodic::StatisticsFile& groups);

}  // namespace

int RunCustVendYearEnd(int fileNo) {
  if (fileNo != records::kFileCustomers && fileNo != records::kFileVendors) return 0;
  if (!AskToRoll(kHelpCustVend)) return 0;

  CDbTblActiveCustVend table;
  if (const int status = table.Open(fileNo, 0, 0); status != kStatusOk) {
    Failure{status, kErrorOpOpen, fileNo}.Show();
    return 0;
  }
  periodic::StatusBoxGuard box(kStatusBox);
  BtrvTransactionScope transaction;
  Failure failure;
  if (const int status = transaction.Begin(); status != kStatusOk) {
    failure = {status, kOpBeginTransaction, fileNo};
  } else {
    failure = RollFile(&table, *periodic::StatisticsFileOf(fileNo));
    if (!failure.Failed()) {
      if (const int status = transaction.Commit(); status != kStatusOk)
        failure = {status, kOpEndTransaction, fileNo};
    }
  }
  box.Close();
  if (failure.Failed()) {
    failure.Show();
  } else {
    ShowDone();
  }
  table.Close();
  return 0;
}

int RunInventoryYearEnd() {
  if (!AskToRoll(kHelpInventory)) return 0;

  FileSet files;
  if (FileSetOpen(&files, records::kFileProducts) != 0) return 0;
  CDbTblActiveProd products(files.HandleOf(records::kFileProducts), records::kFileProducts);
  periodic::StatusBoxGuard box(kStatusBox);
  BtrvTransactionScope transaction;
  if (const int status = transaction.Begin(); status != kStatusOk) {
    box.Close();
    Failure{status, kOpBeginTransaction, records::kFileProducts}.Show();
    return status;
  }

  // Services are rolled only after every product was: a failure among the
  // products leaves the services alone (and the transaction, the products).
  Failure failure = RollFile(&products, *periodic::StatisticsFileOf(records::kFileProducts));
  if (failure.Failed()) {
    box.Close();
    failure.Show();
    return failure.status;
  }

  const int mode = periodic::PostingOpenMode();
  CDbTblActiveServ services;
  if (const int status = services.Open(records::kFileServices, mode, 0); status != kStatusOk) {
    failure = {status, kErrorOpOpen, records::kFileServices};
  } else {
    failure = RollFile(&services, *periodic::StatisticsFileOf(records::kFileServices));
    services.Close();
  }
  if (!failure.Failed()) {
    if (const int status = transaction.Commit(); status != kStatusOk)
      failure = {status, kOpEndTransaction, records::kFileServices};
  }
  box.Close();
  if (failure.Failed()) {
    failure.Show();
    return 0;
  }
  ShowDone();
  return 0;
}

namespace {

// Rolls and rewrites every record of `table`, first to last.  Returns the
// failing step (none at the end of the file).
Failure RollFile(CDbTable* table, const periodic::StatisticsFile& groups) {
  std::vector<unsigned char> record(groups.recordLength);
  char key[255] = {};
  int op = kOpGetFirst;
  int status = table->Read(op, key, record.data(), groups.recordLength);
  while (status == kStatusOk) {
    // The record's code starts it (NUL-ended when shorter than its field).
    char code[16] = {};
    std::memcpy(code, record.data(), groups.codeLength);
    StatusBoxRecord(0, code);
    RollRecord(record.data(), groups);
    status = table->Modify(kOpUpdate, record.data(), groups.recordLength);
    if (status != kStatusOk) return {status, kOpUpdate, groups.fileNo};
    AppIdle();
    op = kOpGetNext;
    status = table->Read(op, key, record.data(), groups.recordLength);
  }
  if (status != kStatusEndOfFile) return {status, op, groups.fileNo};
  return {};
}

// Rolls each group of the record in place.  The groups stand at odd offsets
// of a packed record, so each is rolled in an aligned copy.
void RollRecord(unsigned char* record, const periodic::StatisticsFile& groups) {
  for (const periodic::StatisticsGroup& g : groups.groups) {
    if (g.IsCount()) {
      std::int32_t group[records::kStatisticsSlots];
      std::memcpy(group, record + g.offset, sizeof group);
      YearEndPairClose(group);
      std::memcpy(record + g.offset, group, sizeof group);
    } else {
      double group[records::kStatisticsSlots];
      std::memcpy(group, record + g.offset, sizeof group);
      YearEndBlockClose(group);
      std::memcpy(record + g.offset, group, sizeof group);
    }
  }
}

}  // namespace
