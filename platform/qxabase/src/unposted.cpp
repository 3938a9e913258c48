// Unposted transactions per ledger and the list that shows them.
#include "qxabase/unposted.h"

#include <cstdio>
#include <string>

#include "internal.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace {
constexpr int kTextListHeading = 1971;
constexpr int kTextListCaption = 1972;
}  // namespace

void CUnpostTransCount::AddUnpostTrans(std::int32_t date) {
  ++count_;
  if (date <= 0) return;
  if (first_ == 0 || date < first_) first_ = date;
  if (date > last_) last_ = date;
}

const char* LedgerName(int ledgerFileNo) {
  switch (ledgerFileNo) {
    case records::kFileGLHeaders: return "General Ledger";
    case records::kFileReceivablesHeaders: return "Receivables";
    case records::kFilePayablesHeaders: return "Payables";
    case records::kFileCashHeaders: return "Cash";
    case records::kFileBillingHeaders: return "Billing";
    case records::kFilePurchasingHeaders: return "Purchasing";
    case records::kFileAssemblyHeaders: return "Assembly";
    case records::kFileInventoryTransactions: return "Inventory";
    case records::kFilePhysicalCounts: return "Physical Inventory";
    default: return "Ledger";
  }
}

int UnpostedListShowList(const std::vector<const CUnpostTransCount*>& counters) {
  std::string text = TextGet(kTextListHeading);
  if (text.empty()) text = "Unposted transactions:";
  int listed = 0;
  for (const CUnpostTransCount* c : counters) {
    if (c == nullptr || !c->UnpostedTransactionsExists()) continue;
    char line[128];
    char first[16] = "", last[16] = "";
    DateToText(first, c->FirstDate());
    DateToText(last, c->LastDate());
    std::string dates = first;
    if (c->LastDate() != c->FirstDate()) dates += std::string(" - ") + last;
    std::snprintf(line, sizeof line, "\n  %-20s %6ld   %s", LedgerName(c->GetLedgerID()), c->Count(), dates.c_str());
    text += line;
    ++listed;
  }
  if (listed == 0) return 0;
  std::string caption = TextGet(kTextListCaption);
  if (caption.empty()) caption = "Unposted Transactions";
  MsgBoxAsk(text.c_str(), caption.c_str(), " Ok ", 1);
  return listed;
}
