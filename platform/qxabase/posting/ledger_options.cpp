// The posting options of each ledger ("0PostOptions"), and the summary of a
// completed run.
#include <cstring>

#include "posting_internal.h"
#include "qxabase/messages.h"
#include "qxabase/posting.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/settings.h"

namespace {

using records::LedgerPostOptions;
using records::PostOptionsRecord;
static_assert(PostOptionsRecord::kLedgerCount == kLedgerCount);

// What a company without the record (or with a zero byte) gets: problems are
// found before anything is written; nothing is asked or deleted.
constexpr LedgerPostOptions kDefaults = {'N', 'Y', 'N', 'N', 'N', {}};

// The option at `member` of `ledger`: 1 set, 0 not.
int Option(int ledger, char LedgerPostOptions::*member) {
  if (ledger < 0 || ledger >= kLedgerCount) return 0;
  // Room for a longer record of a later version: a short buffer would refuse it.
  unsigned char bytes[512] = {};
  char value = 0;
  if (SettingsRecordRead(kSettingsRead, 0, sizeof bytes, "0PostOptions", bytes) == 0) {
    PostOptionsRecord record;
    std::memcpy(&record, bytes, sizeof record);
    value = record.ledgers[ledger].*member;
  }
  if (value == 0) value = kDefaults.*member;
  return value == 'Y' || value == 'y' || value == 1 ? 1 : 0;
}

}  // namespace

int PostLedgerOption(int ledger) { return Option(ledger, &LedgerPostOptions::deleteAfterPosting); }
int LedgerCheckFlag(int ledger) { return Option(ledger, &LedgerPostOptions::checkFirst); }
int LedgerConfirmFlag(int ledger) { return Option(ledger, &LedgerPostOptions::confirmUnprinted); }
int PostOption557(int ledger) { return Option(ledger, &LedgerPostOptions::postInDetail); }
int PostOption559(int ledger) { return Option(ledger, &LedgerPostOptions::askIfUnflagged); }

namespace {

// Commits what the run left open, then shows text `textNumber` with `args`.
int CommitAndSummarize(int textNumber, const std::vector<MsgArg>& args) {
  try {
    // The run is complete: its units are kept for good before the user is
    // told so, and a failure to keep them is shown in place of the summary.
    int status = qxb::posting::UnitCommit();
    if (status == 0) status = qxb::posting::GroupCommit();
    if (status != 0) {
      MsgRecordErrorPost(kButtonsStopOnly, 1, status, 20, 0, 0);
      return status;
    }
    MsgShowArgsList(textNumber, 0, 0, 1, args);
    return 0;
  } catch (...) {
    // The run is kept; only its summary could not be shown.
    return 0;
  }
}

}  // namespace

int PostSummary(int textNumber, int /*reserved*/, long count, double debit, double credit) {
  return CommitAndSummarize(textNumber, MsgArgList(count, NumRound(debit, 2), NumRound(credit, 2), 0));
}

int PostSummaryLeft(int textNumber, long count, double debit, double credit, long left) {
  return CommitAndSummarize(textNumber, MsgArgList(count, NumRound(debit, 2), NumRound(credit, 2), left, 0));
}
