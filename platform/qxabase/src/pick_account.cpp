// Pick lists of G/L accounts over the caller's handle.
#include "qxabase/pick_account.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "code_pick_list.h"
#include "records/masters.h"

namespace {

const char* KindName(std::uint8_t kind) {
  switch (kind) {
    case 1: return "Asset";
    case 2: return "Liability";
    case 3: return "Equity";
    case 4: return "Income";
    case 5: return "Expense";
    default: return "";
  }
}

void AccountRow(const void* record, char* line, int lineSize) {
  const auto& a = *static_cast<const records::GLAccount*>(record);
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%-10s  %-30.30s  %-9s  %s",
                std::string(records::Trimmed(a.code)).c_str(), std::string(records::Trimmed(a.name)).c_str(),
                KindName(a.kind), a.IsSummary() ? "Summary" : "Detail");
}

}  // namespace

int PickCode1050(const char* text, int, BtrvHandle accounts, void* record, int top, int left, int rows, int cols,
                 int, int) {
  qxb::CodePickList list;
  list.title = " Accounts ";
  list.heading = "Account     Name                            Kind       Type";
  list.codeSize = sizeof records::GLAccount::code;
  list.recordLength = sizeof(records::GLAccount);
  list.blankPaddedKey = false;  // a typed account code is sought NUL-padded
  list.startTextMax = sizeof records::GLAccount::code - 1;
  list.formatRow = AccountRow;
  return qxb::RunCodePickList(list, accounts, text, top, left, rows, cols, record) ? 1 : 0;
}

int PickAccount(char* code, BtrvHandle accounts, void* record, int top, int left, int rows, int cols, int) {
  records::GLAccount chosen{};
  if (!PickCode1050(code, 0, accounts, &chosen, top, left, rows, cols)) return 0;
  if (record) std::memcpy(record, &chosen, sizeof chosen);
  if (code) {
    const std::string_view c = records::Trimmed(chosen.code);
    std::memcpy(code, c.data(), c.size());
    code[c.size()] = '\0';
  }
  return 1;
}
