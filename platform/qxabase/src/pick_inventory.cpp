// The pick lists of inventory transactions and master items.
#include "qxabase/pick_inventory.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "qxabase/file_list.h"
#include "ravadodo.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace {

constexpr int kKeyTransactionNumber = 3;
constexpr int kKeyItemDate = 1;

std::string Text(const char* field, std::size_t n) {
  std::string_view v(field, strnlen(field, n));
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  return std::string(v);
}

std::string MasterItemRow(const void* record) {
  const auto* r = static_cast<const records::TagMasterItem*>(record);
  char line[80];
  std::snprintf(line, sizeof line, "%-10.10s %-30.30s", Text(r->code, sizeof r->code).c_str(),
                Text(r->description, sizeof r->description).c_str());
  return line;
}

// Master item codes are keyed blank-padded.
void MasterItemSeekKey(int, const char* text, char* buffer) {
  char typed[64] = {};
  std::snprintf(typed, sizeof typed, "%s", text ? text : "");
  StrPad(typed, sizeof records::TagMasterItem::code);
  std::memcpy(buffer, typed, sizeof records::TagMasterItem::code);
}

}  // namespace

std::string InventoryTransactionRow(const void* record) {
  const auto* r = static_cast<const records::InventoryTransaction*>(record);
  char date[16] = {};
  char line[120];
  std::snprintf(line, sizeof line, "%-10.10s %-8s %-14.14s %-10.10s",
                Text(r->transactionNumber, sizeof r->transactionNumber).c_str(),
                r->date ? DateToText(date, r->date) : "", Text(r->productCode, sizeof r->productCode).c_str(),
                Text(r->reference, sizeof r->reference).c_str());
  return line;
}

void InventoryTransactionSeekKey(int key, const char* text, char* buffer) {
  char typed[64] = {};
  std::snprintf(typed, sizeof typed, "%s", text ? text : "");
  if (key == kKeyTransactionNumber) {
    // Transaction numbers are kept right-justified in 10.
    constexpr std::size_t width = sizeof records::InventoryTransaction::transactionNumber;
    StrTrim(5, typed);
    StrJustify(typed, static_cast<int>(width - 1));
    StrPad(typed, static_cast<int>(width));
    std::memcpy(buffer, typed, width);
  } else {
    constexpr std::size_t width = sizeof records::InventoryTransaction::productCode;
    StrPad(typed, static_cast<int>(width));
    std::memcpy(buffer, typed, width);
    const std::int32_t lowest = INT32_MIN;
    std::memcpy(buffer + width, &lowest, sizeof lowest);
  }
}

int PickCode1161(const char* text, int, BtrvHandle transactions, void* record, int top, int left, int rows,
                 int cols) {
  if (record == nullptr) return 0;
  records::InventoryTransaction chosen{};
  FileList list{transactions, &chosen, sizeof chosen, {kKeyTransactionNumber, kKeyItemDate},
                InventoryTransactionRow, InventoryTransactionSeekKey};
  if (!RunFileList(list, " Inventory Transactions ", kInventoryTransactionHeading, text, top, left, rows, cols))
    return 0;
  std::memcpy(record, &chosen, sizeof chosen);
  return 1;
}

int PickMasterItem(const char* text, int, BtrvHandle masterItems, void* record, int top, int left, int rows,
                   int cols) {
  if (record == nullptr) return 0;
  records::TagMasterItem chosen{};
  FileList list{masterItems, &chosen, sizeof chosen, {0, 0}, MasterItemRow, MasterItemSeekKey};
  if (!RunFileList(list, "Master Items", "Code       Description", text, top, left, rows, cols)) return 0;
  std::memcpy(record, &chosen, sizeof chosen);
  return 1;
}
