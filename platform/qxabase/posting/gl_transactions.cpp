// General-ledger transactions of the posting runs: transaction numbers,
// headers and lines written, a transaction posted into the accounts, taken
// back or removed.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "../src/internal.h"
#include "posting_internal.h"
#include "qxabase/messages.h"
#include "qxabase/posting.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

using namespace qxb::posting;
using records::GLAccount;
using records::GLLine;
using records::TagGLHeader;
using records::TranSequence;

namespace {

// A conflicting rewrite of a sequence record (another program took a number
// meanwhile) is tried again from what is stored now.
constexpr int kSequenceAttempts = 5;
// How many numbers a header insert tries past one taken in entry.
constexpr int kTakenNumberAttempts = 1000;

std::string SequenceKey(std::string_view journal) {
  std::string key(255, '\0');
  std::memset(key.data(), ' ', 7);
  std::memcpy(key.data(), journal.data(), std::min<std::size_t>(journal.size(), 7));
  return key;
}

std::string Capitals(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// What a line does to an account kept in its natural sign.
double SignedFor(const GLAccount& account, const GLLine& line) {
  const bool raises = line.IsDebit() == account.IsDebitBalanceKind();
  return raises ? line.amount : -line.amount;
}

// Writes the G/L header through `handle`: in place when it is the header the
// walk is on, else found by key 0 with the handle's key and place kept.
int RewriteHeader(BtrvHandle handle, TagGLHeader* header, TagPostWork* work) {
  if (IsWalkedHeader(handle, *header)) {
    const int status = BtrvWriteOp(kOpUpdate, handle, nullptr, header, 0);
    return status ? Fail(work, records::kFileGLHeaders, kOpUpdate, status) : kStatusOk;
  }
  KeyLookup lookup(handle);
  TagGLHeader stored{};
  int status = lookup.Find(TransactionKey(*header), &stored);
  if (status != kStatusOk) return Fail(work, records::kFileGLHeaders, kOpGetEqual, status);
  status = BtrvWriteOp(kOpUpdate, handle, nullptr, header, 0);
  if (status != kStatusOk) return Fail(work, records::kFileGLHeaders, kOpUpdate, status);
  return kStatusOk;
}

}  // namespace

namespace qxb::posting {

int ReadTransactionLines(BtrvHandle handle, const std::string& tranKey, std::vector<GLLine>* lines,
                         TagPostWork* work) {
  RunState& r = Run();
  const bool walked = r.walked.valid && r.walked.key == tranKey;
  WalkedLines& known = r.walkedLines;
  if (walked && known.valid && known.handle == handle && known.key == tranKey) {
    *lines = known.lines;
    return kStatusOk;
  }
  known.valid = false;
  lines->clear();
  const int savedKey = BtrvGetKey(handle);
  if (savedKey != 0) BtrvSetKey(handle, 0, -1);
  std::string key = tranKey;
  key.resize(255, '\0');
  GLLine line{};
  int op = kOpGetGreaterOrEqual;
  int status = RecordRead(records::kFileGLLines, op, handle, key.data(), &line, sizeof line);
  while (status == kStatusOk && SameTransaction(line, tranKey)) {
    lines->push_back(line);
    op = kOpGetNext;
    status = RecordRead(records::kFileGLLines, op, handle, key.data(), &line, sizeof line);
  }
  if (savedKey > 0) BtrvSetKey(handle, savedKey, -1);
  if (status != kStatusOk && status != kStatusEndOfFile) return Fail(work, records::kFileGLLines, op, status);
  if (walked) {
    known.handle = handle;
    known.key = tranKey;
    known.lines = *lines;
    known.valid = true;
  }
  return kStatusOk;
}

}  // namespace qxb::posting

// --- Transaction numbers --------------------------------------------------------------

int NextTranNumber(int /*op*/, BtrvHandle sequences, const char* journal, char* numberOut) {
  return Guarded(nullptr, records::kFileTranSequences, kOpUpdate, [&]() -> int {
    if (journal == nullptr || numberOut == nullptr) return kStatusInvalidOperation;
    const std::string_view code = Trim(journal, strnlen(journal, 7));
    std::string key = SequenceKey(code);
    int status = kStatusOk;
    std::int32_t number = 0;
    for (int attempt = 0; attempt < kSequenceAttempts; ++attempt) {
      TranSequence seq{};
      status = BtrvGetOp(kOpGetEqual, sequences, key.data(), &seq, sizeof seq);
      if (status == kStatusKeyNotFound) {
        seq = TranSequence{};
        records::SetPadded(seq.journalCode, code);
        seq.lastNumber = number = 1;
        status = BtrvWriteOp(kOpInsert, sequences, nullptr, &seq, sizeof seq);
        if (status == kStatusDuplicateKey) continue;  // made meanwhile by another program
        break;
      }
      if (status != kStatusOk) break;
      // The sequence has handed out the largest number it holds.
      if (seq.lastNumber >= std::numeric_limits<std::int32_t>::max()) return kStatusInvalidOperation;
      number = seq.lastNumber + 1;
      seq.lastNumber = number;
      status = BtrvWriteOp(kOpUpdate, sequences, nullptr, &seq, sizeof seq);
      if (status != kStatusConflict) break;
    }
    if (status != kStatusOk) return status;
    char text[32];
    std::snprintf(text, sizeof text, "%10d", static_cast<int>(number));
    std::memcpy(numberOut, text, 11);  // ten digits at most, and the NUL
    return kStatusOk;
  });
}

int GLTranHeaderCreate(BtrvHandle sequences, TagGLHeader* header, char* number, TagPostWork* work) {
  return Guarded(work, records::kFileTranSequences, kOpUpdate, [&]() -> int {
    Clear(work);
    if (header == nullptr || number == nullptr)
      return Fail(work, records::kFileTranSequences, kOpUpdate, kStatusInvalidOperation);
    char journal[8] = {};
    std::memcpy(journal, header->journalCode, sizeof header->journalCode);
    SetKey(work, Trim(journal, 7));
    const int status = NextTranNumber(kOpUpdate, sequences, journal, number);
    if (status != kStatusOk) return Fail(work, records::kFileTranSequences, kOpUpdate, status);
    Run().sequenceOf[std::string(header->journalCode, 7)] = sequences;
    return kStatusOk;
  });
}

int GLTranHeaderCreate(BtrvHandle sequences, char* number, TagGLHeader* header, TagPostWork* work) {
  return GLTranHeaderCreate(sequences, header, number, work);
}

int GLTranDetailCreate(BtrvHandle headers, TagGLHeader* header, TagPostWork* work) {
  return Guarded(work, records::kFileGLHeaders, kOpInsert, [&]() -> int {
    Clear(work);
    if (header == nullptr) return Fail(work, records::kFileGLHeaders, kOpInsert, kStatusInvalidOperation);
    const RunState& r = Run();
    const auto sequence = r.sequenceOf.find(std::string(header->journalCode, 7));
    int status = BtrvWriteOp(kOpInsert, headers, nullptr, header, 0);
    // A number typed in entry may stand in the journal's sequence: the next
    // free one is taken (never reused: the sequence moves past it).
    for (int attempt = 0;
         status == kStatusDuplicateKey && sequence != r.sequenceOf.end() && attempt < kTakenNumberAttempts;
         ++attempt) {
      char journal[8] = {};
      std::memcpy(journal, header->journalCode, 7);
      const int drawn = NextTranNumber(kOpUpdate, sequence->second, journal, header->transactionNumber);
      if (drawn != kStatusOk) return Fail(work, records::kFileTranSequences, kOpUpdate, drawn);
      status = BtrvWriteOp(kOpInsert, headers, nullptr, header, 0);
    }
    SetKey(work, TransactionKey(*header));
    if (status != kStatusOk) return Fail(work, records::kFileGLHeaders, kOpInsert, status);
    return kStatusOk;
  });
}

// --- Lines ------------------------------------------------------------------------------

int PostGLLine(int mode, BtrvHandle lines, int* debitCounter, int* creditCounter, GLLine* line,
               TagPostWork* work) {
  return Guarded(work, records::kFileGLLines, kOpInsert, [&]() -> int {
    Clear(work);
    if (line == nullptr) return Fail(work, records::kFileGLLines, kOpInsert, kStatusInvalidOperation);
    if (line->amount < 0) {
      line->side = line->IsDebit() ? 'C' : 'D';
      line->amount = -line->amount;
    }
    line->amount = NumRound(line->amount, 2);
    const bool debit = line->IsDebit();
    SetKey(work, Trim(line->account));

    RunState& r = Run();
    r.walkedLines.valid = false;
    SummaryLineKey summaryKey;
    if (mode == 1) {
      summaryKey.transaction = std::string(line->journalCode, 7) + std::string(line->transactionNumber, 11);
      summaryKey.account = Capitals(Trim(line->account));
      summaryKey.side = debit ? 'D' : 'C';
      summaryKey.description = std::string(Trim(line->description));
      const auto found = r.summaryLines.find(summaryKey);
      if (found != r.summaryLines.end()) {
        // The place is checked: a line removed or taken back meanwhile is
        // written anew.
        GLLine stored{};
        std::memcpy(&stored, &found->second, 4);
        int status = BtrvGetOp(kOpGetDirect, lines, nullptr, &stored, sizeof stored);
        if (status == kStatusOk && Capitals(Trim(stored.account)) == summaryKey.account &&
            (stored.IsDebit() == debit) &&
            std::string(stored.journalCode, 7) + std::string(stored.transactionNumber, 11) ==
                summaryKey.transaction) {
          stored.amount = NumRound(stored.amount + line->amount, 2);
          stored.date = line->date;
          status = BtrvWriteOp(kOpUpdate, lines, nullptr, &stored, sizeof stored);
          if (status != kStatusOk) return Fail(work, records::kFileGLLines, kOpUpdate, status);
          *line = stored;
          return kStatusOk;
        }
        r.summaryLines.erase(found);
      }
    }

    int* counter = debit ? debitCounter : creditCounter;
    line->lineNumber = static_cast<std::uint16_t>(counter ? *counter : 0);
    const int status = BtrvWriteOp(kOpInsert, lines, nullptr, line, sizeof *line);
    if (status != kStatusOk) return Fail(work, records::kFileGLLines, kOpInsert, status);
    if (counter) ++*counter;
    if (mode == 1) {
      unsigned char place[4];
      if (BtrvPosition(kOpGetDirect, lines, place) == kStatusOk) {
        std::uint32_t position = 0;
        std::memcpy(&position, place, 4);
        r.summaryLines[summaryKey] = position;
      }
    }
    return kStatusOk;
  });
}

// --- Posting into the accounts ---------------------------------------------------------------

int PostGLBatch(BtrvHandle headers, BtrvHandle lines, BtrvHandle accounts, double* debitOut,
                double* creditOut, const records::FiscalPeriodInfo* period, TagGLHeader* header,
                TagPostWork* work, int /*reserved*/) {
  return Guarded(work, records::kFileGLLines, kOpGetGreaterOrEqual, [&]() -> int {
    Clear(work);
    if (debitOut) *debitOut = 0;
    if (creditOut) *creditOut = 0;
    if (header == nullptr) return Fail(work, records::kFileGLHeaders, 0, kStatusInvalidOperation);
    const std::string tranKey = TransactionKey(*header);
    SetKey(work, Trim(tranKey.data(), tranKey.size()));

    // Everything is read and checked before the first write, so that a refused
    // transaction leaves the books as they were.
    std::vector<GLLine> tranLines;
    if (int status = ReadTransactionLines(lines, tranKey, &tranLines, work)) return status;
    double debit = 0, credit = 0;
    for (const GLLine& l : tranLines) (l.IsDebit() ? debit : credit) += l.amount;
    debit = NumRound(debit, 2);
    credit = NumRound(credit, 2);
    if (debitOut) *debitOut = debit;
    if (creditOut) *creditOut = credit;
    if (!NumEqual(debit, credit)) return Fail(work, records::kFileGLLines, 0, kPostStatusOutOfBalance);
    const int entry = period ? static_cast<int>(period->entryIndex) : -1;
    if (entry < 0 || entry >= 26) return Fail(work, 0, 0, kPostStatusNoPeriod);

    // One change per account, in the account's natural sign.
    struct Change {
      std::string code;  // as the first line names it
      std::uint32_t position;
      double amount;
    };
    std::vector<Change> changes;
    for (const GLLine& l : tranLines) {
      GLAccount account{};
      const int status = PostReadAccount(0, accounts, l.account, &account, work);
      if (status != kStatusOk) return Fail(work, records::kFileGLAccounts, kOpGetEqual, status);
      unsigned char place[4];
      BtrvPosition(kOpGetDirect, accounts, place);
      std::uint32_t position = 0;
      std::memcpy(&position, place, 4);
      auto same = std::find_if(changes.begin(), changes.end(),
                               [&](const Change& c) { return c.position == position; });
      if (same == changes.end()) {
        changes.push_back({std::string(Trim(l.account)), position, 0});
        same = changes.end() - 1;
      }
      same->amount += SignedFor(account, l);
    }
    SetKey(work, Trim(tranKey.data(), tranKey.size()));

    ServiceUnit unit;
    if (int status = unit.Begin()) return Fail(work, 0, kOpBeginTransaction, status);
    for (const Change& c : changes) {
      GLAccount account{};
      std::memcpy(&account, &c.position, 4);
      int status = RecordRead(records::kFileGLAccounts, kOpGetDirect, accounts, nullptr, &account, sizeof account);
      if (status != kStatusOk) {
        SetKey(work, c.code);
        return Fail(work, records::kFileGLAccounts, kOpGetDirect, status);
      }
      account.currentBalance = NumRound(account.currentBalance + c.amount, 2);
      account.periodAmounts[entry] = NumRound(account.periodAmounts[entry] + c.amount, 2);
      status = BtrvWriteOp(kOpUpdate, accounts, nullptr, &account, sizeof account);
      if (status != kStatusOk) {
        SetKey(work, c.code);
        return Fail(work, records::kFileGLAccounts, kOpUpdate, status);
      }
    }
    header->postedFlag = 'Y';
    if (int status = RewriteHeader(headers, header, work)) return status;
    if (int status = unit.Commit()) return Fail(work, records::kFileGLHeaders, kOpEndTransaction, status);
    return kStatusOk;
  });
}

int PostOutOfBalance(double debit, double credit, const TagGLHeader* header, TagPostWork* work) {
  try {
    // Nothing of the transaction being worked on may stay.
    UnitAbandon();
    TagGLHeader none{};
    const HeaderTexts t = TextsOf(header ? *header : none);
    const int status = work ? work->status : kPostStatusOutOfBalance;
    if (status == kPostStatusOutOfBalance) {
      MsgShowArgs(1351, 0x100, kButtonsStop, 1, debit, credit, t.journal, t.number, 0);
    } else if (status == kStatusKeyNotFound && work && work->fileNo == records::kFileGLAccounts) {
      MsgShowArgs(1355, 0x100, kButtonsStop, 1, work->key, t.journal, t.number, 0);
    } else if (status == kPostStatusNoPeriod) {
      qxb::ShowBox(std::string("Transaction ") + t.number + " of journal " + t.journal +
                       " cannot be posted: the posting date lies in no fiscal period.",
                   kCaptionError, " Stop ", 1, 0);
    } else if (work) {
      MsgRecordErrorPost(kButtonsStopOnly, 1, work->status, work->operation, work->fileNo, 0);
    }
    if (work) work->result = kPostStop;
    return kPostStop;
  } catch (...) {
    // Telling failed; the run stops all the same.
    UnitAbandon();
    if (work) work->result = kPostStop;
    return kPostStop;
  }
}

// --- Removing a transaction ------------------------------------------------------------------

int PostGLTranRemove(int /*mode*/, BtrvHandle headers, BtrvHandle lines, const TagGLHeader* header,
                     TagPostWork* work) {
  return Guarded(work, records::kFileGLHeaders, kOpDelete, [&]() -> int {
    Clear(work);
    if (header == nullptr) return Fail(work, records::kFileGLHeaders, kOpDelete, kStatusInvalidOperation);
    const std::string tranKey = TransactionKey(*header);
    SetKey(work, Trim(tranKey.data(), tranKey.size()));
    ServiceUnit unit;
    if (int status = unit.Begin()) return Fail(work, 0, kOpBeginTransaction, status);
    Run().walkedLines.valid = false;

    const int savedKey = BtrvGetKey(lines);
    if (savedKey != 0) BtrvSetKey(lines, 0, -1);
    std::string key = tranKey;
    key.resize(255, '\0');
    GLLine line{};
    int op = kOpGetGreaterOrEqual;
    int status = BtrvGetOp(op, lines, key.data(), &line, sizeof line);
    while (status == kStatusOk && SameTransaction(line, tranKey)) {
      status = BtrvWriteOp(kOpDelete, lines, nullptr, nullptr, 0);
      if (status != kStatusOk) {
        op = kOpDelete;
        break;
      }
      // The walk goes on from the line just deleted.
      op = kOpGetNext;
      status = BtrvGetOp(op, lines, key.data(), &line, sizeof line);
    }
    if (savedKey > 0) BtrvSetKey(lines, savedKey, -1);
    if (status != kStatusOk && status != kStatusEndOfFile)
      return Fail(work, records::kFileGLLines, op, status);

    if (IsWalkedHeader(headers, *header)) {
      status = BtrvWriteOp(kOpDelete, headers, nullptr, nullptr, 0);
      if (status != kStatusOk) return Fail(work, records::kFileGLHeaders, kOpDelete, status);
    } else {
      KeyLookup lookup(headers);
      TagGLHeader stored{};
      status = lookup.Find(tranKey, &stored);
      if (status != kStatusOk) return Fail(work, records::kFileGLHeaders, kOpGetEqual, status);
      status = BtrvWriteOp(kOpDelete, headers, nullptr, nullptr, 0);
      if (status != kStatusOk) return Fail(work, records::kFileGLHeaders, kOpDelete, status);
    }
    // Summary lines of the transaction are gone with it.
    RunState& r = Run();
    for (auto it = r.summaryLines.begin(); it != r.summaryLines.end();)
      it = it->first.transaction == tranKey ? r.summaryLines.erase(it) : std::next(it);
    if (int st = unit.Commit()) return Fail(work, records::kFileGLHeaders, kOpEndTransaction, st);
    return kStatusOk;
  });
}
