// General-ledger posting's own steps: the pre-check of a transaction, and the
// check-register entry of a check transaction.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "posting_internal.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

using namespace qxb::posting;
using records::GLLine;
using records::TagCheckRegister;
using records::TagGLHeader;

namespace {

constexpr int kMsgOutOfBalance = 1351;    // %1 debits, %2 credits, %3 journal, %4 transaction
constexpr int kMsgAccountMissing = 1355;  // %1 account, %2 journal, %3 transaction

// A record-manager failure in a step the user cannot skip: shown, and the
// run stops.
int StopOnError(TagPostWork* work) {
  MsgRecordErrorPost(kButtonsStopOnly, 1, work->status, work->operation, work->fileNo, 0);
  work->result = kPostStop;
  return kPostStop;
}

// The number a check carries: its transaction number when that is a whole
// number, else 0.
std::int32_t CheckNumberOf(const TagGLHeader& header) {
  std::string_view n = Trim(header.transactionNumber);
  n.remove_prefix(std::min(n.find_first_not_of(' '), n.size()));
  if (n.empty() || n.size() > 9 ||
      !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  return static_cast<std::int32_t>(std::strtol(std::string(n).c_str(), nullptr, 10));
}

}  // namespace

int GLPostCheck(BtrvHandle lines, BtrvHandle accounts, const TagGLHeader* header, TagPostWork* work) {
  return Guarded(work, records::kFileGLLines, kOpGetGreaterOrEqual, [&]() -> int {
    Clear(work);
    if (header == nullptr) return kPostGoOn;
    const HeaderTexts t = TextsOf(*header);
    std::vector<GLLine> tranLines;
    if (ReadTransactionLines(lines, TransactionKey(*header), &tranLines, work)) return StopOnError(work);
    double debit = 0, credit = 0;
    for (const GLLine& l : tranLines) {
      records::GLAccount account{};
      const int status = PostReadAccount(1, accounts, l.account, &account, work);
      if (status == kStatusKeyNotFound) {
        work->result =
            MsgShowArgs(kMsgAccountMissing, 0x100, kButtonsStopSkip, 1, work->key, t.journal, t.number, 0);
        return work->result;
      }
      if (status != kStatusOk) return StopOnError(work);
      (l.IsDebit() ? debit : credit) += l.amount;
    }
    work->status = 0;
    debit = NumRound(debit, 2);
    credit = NumRound(credit, 2);
    if (!NumEqual(debit, credit)) {
      work->result =
          MsgShowArgs(kMsgOutOfBalance, 0x100, kButtonsStopSkip, 1, debit, credit, t.journal, t.number, 0);
      return work->result;
    }
    return kPostGoOn;
  });
}

int GLPostCheckRegister(BtrvHandle /*headers*/, BtrvHandle sequences, std::int32_t periodEnd,
                        TagGLHeader* checkHeader, const TagGLHeader* header, TagPostWork* work) {
  return Guarded(work, records::kFileTranSequences, kOpUpdate, [&]() -> int {
    Clear(work);
    if (checkHeader == nullptr || header == nullptr) return kPostGoOn;
    *checkHeader = *header;
    if (periodEnd > 0 && checkHeader->date > periodEnd) checkHeader->date = periodEnd;

    const std::int32_t number = CheckNumberOf(*header);
    if (number <= 0 || sequences == 0) return kPostGoOn;
    std::string key(255, '\0');
    std::memcpy(key.data(), header->journalCode, sizeof header->journalCode);
    records::TranSequence seq{};
    int status = BtrvGetOp(kOpGetEqual, sequences, key.data(), &seq, sizeof seq);
    // A journal without a sequence hands out no numbers to protect.
    if (status == kStatusKeyNotFound) return kPostGoOn;
    if (status == kStatusOk && seq.lastNumber < number) {
      seq.lastNumber = number;
      status = BtrvWriteOp(kOpUpdate, sequences, nullptr, &seq, sizeof seq);
      if (status != kStatusOk) {
        Fail(work, records::kFileTranSequences, kOpUpdate, status);
        return StopOnError(work);
      }
    } else if (status != kStatusOk) {
      Fail(work, records::kFileTranSequences, kOpGetEqual, status);
      return StopOnError(work);
    }
    return kPostGoOn;
  });
}

int GLPostDetail(BtrvHandle lines, TagGLHeader* checkHeader, const TagGLHeader* header, TagPostWork* work) {
  return Guarded(work, records::kFileGLLines, kOpGetGreaterOrEqual, [&]() -> int {
    Clear(work);
    if (checkHeader == nullptr || header == nullptr) return kPostGoOn;
    std::vector<GLLine> tranLines;
    if (ReadTransactionLines(lines, TransactionKey(*header), &tranLines, work)) return StopOnError(work);
    std::memset(checkHeader->holdText, 0, sizeof checkHeader->holdText);
    checkHeader->amount = 0.0;
    const auto bankLine =
        std::find_if(tranLines.begin(), tranLines.end(), [](const GLLine& l) { return !l.IsDebit(); });
    if (bankLine == tranLines.end()) return kPostGoOn;
    const std::string bank(Trim(bankLine->account));
    double amount = 0;
    for (const GLLine& l : tranLines) {
      std::string account(Trim(l.account));
      if (strcasecmp(account.c_str(), bank.c_str()) != 0) continue;
      amount += l.IsDebit() ? -l.amount : l.amount;
    }
    std::memcpy(checkHeader->holdText, bank.data(), std::min(bank.size(), sizeof checkHeader->holdText - 1));
    checkHeader->amount = NumRound(amount, 2);
    return kPostGoOn;
  });
}

// --- The check register ------------------------------------------------------------------------

CBaseCheckReg::~CBaseCheckReg() {
  if (handle_ != 0) BtrvClose(handle_);
}

int CBaseCheckReg::Open() {
  if (handle_ != 0) return kStatusOk;
  const char* path = FilePathGet(records::kFileCheckRegister);
  if (*path == '\0') return kStatusFileNotFound;
  return BtrvOpen(&handle_, path, kOpenNormal, 0);
}

bool CBaseCheckReg::InsertReg(const TagCheckRegister* entry) {
  if (entry == nullptr) return (result_ = kStatusInvalidOperation) == 0;
  result_ = Open();
  if (result_ == kStatusOk) result_ = BtrvWriteOp(kOpInsert, handle_, nullptr, entry, sizeof *entry);
  return result_ == kStatusOk;
}

bool CBaseCheckReg::Post(std::int32_t checkNumber, const char* bankAccount, char side) {
  try {
    result_ = Open();
    if (result_ != kStatusOk) return false;
    const std::string bank = bankAccount ? std::string(Trim(bankAccount, strnlen(bankAccount, 11))) : "";
    std::string key(255, '\0');
    std::memcpy(key.data(), bank.data(), bank.size());
    if (BtrvGetKey(handle_) != 0) BtrvSetKey(handle_, 0, -1);
    TagCheckRegister entry{};
    // Key 0 is the bank account, then the check number as text: with a bank
    // the walk stays within its entries, without one it reads them all.
    int status = BtrvGetOp(kOpGetGreaterOrEqual, handle_, key.data(), &entry, sizeof entry);
    while (status == kStatusOk) {
      if (!bank.empty() && strcasecmp(std::string(Trim(entry.bankAccount)).c_str(), bank.c_str()) != 0) break;
      std::string_view text = Trim(entry.checkNumber);
      text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
      const bool deposit = entry.entrySide == 'D';
      const bool sideFits = side == 0 || (side == 'D' ? deposit : !deposit && entry.entrySide != 'V');
      if (sideFits && !text.empty() && std::strtol(std::string(text).c_str(), nullptr, 10) == checkNumber &&
          text.find_first_not_of("0123456789") == std::string_view::npos) {
        entry.state = 'Y';
        result_ = BtrvWriteOp(kOpUpdate, handle_, nullptr, &entry, sizeof entry);
        return result_ == kStatusOk;
      }
      status = BtrvGetOp(kOpGetNext, handle_, key.data(), &entry, sizeof entry);
    }
    result_ = status == kStatusOk || status == kStatusEndOfFile ? kStatusKeyNotFound : status;
    return false;
  } catch (...) {
    result_ = kStatusIoError;
    return false;
  }
}

bool CBaseCheckReg::UpdateFromGLTran(const TagGLHeader* checkHeader) {
  try {
    result_ = kStatusOk;
    if (checkHeader == nullptr) return true;
    const std::string bank(Trim(checkHeader->holdText));
    if (bank.empty()) return true;
    result_ = Open();
    if (result_ != kStatusOk) return false;

    const HeaderTexts t = TextsOf(*checkHeader);
    TagCheckRegister entry{};
    records::SetText(entry.bankAccount, bank);
    // The register keeps eight characters of a check number: the number's last ones.
    std::string_view number(t.number);
    if (number.size() > sizeof entry.checkNumber - 1)
      number.remove_prefix(number.size() - (sizeof entry.checkNumber - 1));
    records::SetText(entry.checkNumber, number);

    std::string key(255, '\0');
    std::memcpy(key.data(), entry.bankAccount, sizeof entry.bankAccount);
    std::memcpy(key.data() + sizeof entry.bankAccount, entry.checkNumber, sizeof entry.checkNumber);
    if (BtrvGetKey(handle_) != 0) BtrvSetKey(handle_, 0, -1);
    TagCheckRegister stored{};
    int status = BtrvGetOp(kOpGetEqual, handle_, key.data(), &stored, sizeof stored);
    if (status == kStatusOk) {
      // Written by check printing, or registered by an earlier run: posted now.
      if (stored.state == 'Y') return true;
      stored.state = 'Y';
      result_ = BtrvWriteOp(kOpUpdate, handle_, nullptr, &stored, sizeof stored);
      return result_ == kStatusOk;
    }
    if (status != kStatusKeyNotFound) {
      result_ = status;
      return false;
    }
    std::string transaction = std::string(t.journal) + " " + t.number;
    records::SetText(entry.transactionNumber, transaction);
    records::SetText(entry.code, t.journal);
    records::SetText(entry.name, Trim(checkHeader->reference));
    records::SetText(entry.reference, t.number);
    entry.status = 'O';
    entry.entrySide = 'C';
    entry.date = checkHeader->date;
    entry.amount = NumRound(checkHeader->amount, 2);
    entry.kind = 'G';
    entry.state = 'Y';
    result_ = BtrvWriteOp(kOpInsert, handle_, nullptr, &entry, sizeof entry);
    return result_ == kStatusOk;
  } catch (...) {
    result_ = kStatusIoError;
    return false;
  }
}
