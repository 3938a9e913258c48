// Cash transactions: the control account of an application, checks to print.
#include "qxabase/cash_services.h"

#include <cstring>
#include <string_view>

#include "qxabase/messages.h"
#include "records/dictionary.h"
#include "records/masters.h"

int CashJournalLineTest(char* account, const records::CashHeader* header, BtrvHandle custVendFile) {
  if (account == nullptr) return 0;
  account[0] = '\0';
  if (header == nullptr || custVendFile == 0 || records::IsBlank(header->paidToCode)) return 0;
  const int fileNo = header->distribution == 'R' ? records::kFileCustomers : records::kFileVendors;

  // The caller may be walking this file: its key and place are put back.
  const int keptKey = BtrvGetKey(custVendFile);
  std::uint32_t position = 0;
  const bool placed = BtrvPosition(kOpGetDirect, custVendFile, &position) == kStatusOk;
  BtrvSetKey(custVendFile, 0, -1);
  char key[255] = {};
  std::memcpy(key, header->paidToCode, sizeof header->paidToCode);
  records::CustVendRecord party{};
  const int status = BtrvGetOp(kOpGetEqual, custVendFile, key, &party, sizeof party);
  if (keptKey >= 0) BtrvSetKey(custVendFile, keptKey, -1);
  if (placed) BtrvPosition(0, custVendFile, &position);

  if (status != kStatusOk) {
    if (status != kStatusKeyNotFound) MsgRecordError(status, 1, kOpGetEqual, fileNo, 0);
    return 0;
  }
  const std::string_view own = records::Trimmed(party.glAccount);
  if (own.empty()) return 0;
  std::memcpy(account, own.data(), own.size());
  account[own.size()] = '\0';
  return 1;
}

int CashTranTest(const records::CashHeader* header) {
  if (header == nullptr) return 0;
  return header->typeLetter == 'C' && header->side != 'R' && header->checkPrinted == 0 && !header->IsDeleted();
}
