// The year close's general-ledger services: the year's total of an account
// kind and a posting straight into an account's period.
#include "qxabase/gl_year.h"

#include <algorithm>
#include <cstring>

#include "ravadodo.h"
#include "records/masters.h"
#include "records/settings.h"

namespace {

double Cents(double value) { return NumRound(value, 2); }

}  // namespace

int GLKindYearTotal(int kind, BtrvHandle accounts, int lastEntry, int periods, double* total, double* second) {
  if (total) *total = 0;
  if (second) *second = 0;
  const int entries = std::clamp(std::min(lastEntry + 1, periods), 0, records::PeriodsRecord::kMaxPeriodsPerYear);
  BtrvKeyScope keeper(accounts);
  int status = BtrvSetKey(accounts, 0, -1);
  if (status != kStatusOk) return status;
  double year = 0, next = 0;
  char key[255] = {};
  records::GLAccount a{};
  int op = kOpGetFirst;
  for (status = BtrvGetOp(op, accounts, key, &a, sizeof a); status == kStatusOk;
       status = BtrvGetOp(op, accounts, key, &a, sizeof a)) {
    op = kOpGetNext;
    if (a.kind != kind || a.IsSummary()) continue;
    for (int i = 0; i < entries; ++i) {
      year += a.periodAmounts[i];
      next += a.periodAmounts[records::PeriodsRecord::kNextYearFirstEntry + i];
    }
  }
  if (status != kStatusEndOfFile) return status;
  if (total) *total = Cents(year);
  if (second) *second = Cents(next);
  return kStatusOk;
}

int GLPostToPeriod(BtrvHandle accounts, const char* code, char side, int, int entry, double amount) {
  if (entry < 0 || entry >= 26) return 1;
  BtrvKeyScope keeper(accounts);
  int status = BtrvSetKey(accounts, 0, -1);
  if (status != kStatusOk) return status;
  char key[255] = {};
  if (code != nullptr) {
    std::size_t n = strnlen(code, sizeof records::GLAccount::code - 1);
    while (n > 0 && code[n - 1] == ' ') --n;
    std::memcpy(key, code, n);
  }
  records::GLAccount a{};
  status = BtrvGetOp(kOpGetEqual, accounts, key, &a, sizeof a);
  if (status != kStatusOk) return status;
  const bool raises = (side == 'D') == a.IsDebitBalanceKind();
  const double move = Cents(raises ? amount : -amount);
  a.currentBalance = Cents(a.currentBalance + move);
  a.periodAmounts[entry] = Cents(a.periodAmounts[entry] + move);
  return BtrvWriteOp(kOpUpdate, accounts, key, &a, sizeof a);
}
