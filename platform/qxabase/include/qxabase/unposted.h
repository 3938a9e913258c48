// Unposted transactions counted per ledger, and the list that shows them.
//
// A command that must not run while a ledger holds unposted transactions
// (period end, billing posting, physical counts) makes one counter per
// ledger, named by the ledger's transaction header file, records each
// unposted transaction it finds, and, when any counter holds one, shows the
// list so that the user knows which ledgers to post first.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

class CUnpostTransCount {
 public:
  // `ledgerFileNo`: the ledger's header file (27 G/L, 7 receivables,
  // 4 payables, 18 cash, 32 billing, 41 purchasing, 11 assembly, 62 inventory).
  explicit CUnpostTransCount(int ledgerFileNo) : ledger_(ledgerFileNo) {}

  // Records one unposted transaction dated `date` (a day number; 0 = none).
  void AddUnpostTrans(std::int32_t date);
  // Non-zero when at least one was recorded.
  int UnpostedTransactionsExists() const { return count_ > 0 ? 1 : 0; }
  // The file number given at construction.
  int GetLedgerID() const { return ledger_; }

  long Count() const { return count_; }
  std::int32_t FirstDate() const { return first_; }  // 0 when none was dated
  std::int32_t LastDate() const { return last_; }

 private:
  int ledger_;
  long count_ = 0;
  std::int32_t first_ = 0;
  std::int32_t last_ = 0;
};

// The name of a ledger by its header file ("General Ledger", "Receivables").
const char* LedgerName(int ledgerFileNo);

// Shows, in one box, every counter that holds unposted transactions: the
// ledger, how many, and the dates of the first and last.  Counters that hold
// none are left out.  Returns the number of ledgers listed.
int UnpostedListShowList(const std::vector<const CUnpostTransCount*>& counters);

// UnpostedListShow(&gl, &ar, &ap, 0): the counters as the callers write
// them, ended by a null pointer (or 0).
template <class... Counters>
int UnpostedListShow(Counters... counters) {
  std::vector<const CUnpostTransCount*> list;
  bool ended = false;
  (
      [&](auto c) {
        if constexpr (std::is_pointer_v<decltype(c)>) {
          if (c == nullptr) ended = true;
          if (!ended) list.push_back(c);
        } else {
          static_assert(std::is_integral_v<decltype(c)> || std::is_null_pointer_v<decltype(c)>,
                        "counters are passed by pointer");
          ended = true;
        }
      }(counters),
      ...);
  return UnpostedListShowList(list);
}
