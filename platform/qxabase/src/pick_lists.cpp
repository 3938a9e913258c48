// Pick lists of customers, vendors and salespeople over the caller's handle.
#include "qxabase/pick_lists.h"

#include <cstddef>
#include <cstring>

#include "code_pick_list.h"
#include "records/masters.h"

namespace {

int PickCustVend(const char* title, const char* heading, const char* text, BtrvHandle handle, void* record,
                 int top, int left, int rows, int cols) {
  qxb::CodePickList list;
  list.title = title;
  list.heading = heading;
  list.codeSize = sizeof records::CustVendRecord::code;
  list.nameOffset = offsetof(records::CustVendRecord, name);
  list.nameSize = sizeof records::CustVendRecord::name;
  list.recordLength = sizeof(records::CustVendRecord);
  return qxb::RunCodePickList(list, handle, text, top, left, rows, cols, record) ? 1 : 0;
}

}  // namespace

int PickCustomer(const char* text, int, BtrvHandle customers, void* record, int top, int left, int rows,
                 int cols, int, int) {
  return PickCustVend(" Customers ", "Code        Name", text, customers, record, top, left, rows, cols);
}

int PickVendor(const char* text, int, BtrvHandle vendors, void* record, int top, int left, int rows, int cols,
               int, int) {
  return PickCustVend(" Vendors ", "Code        Name", text, vendors, record, top, left, rows, cols);
}

int PickCustomerByKey(const char* text, int, BtrvHandle salespeople, void* record, int top, int left, int rows,
                      int cols, int) {
  if (record == nullptr) return 0;
  qxb::CodePickList list;
  list.title = " Salespeople ";
  list.heading = "Code   Name";
  list.codeSize = sizeof records::Salesperson::code;
  list.nameOffset = offsetof(records::Salesperson, name);
  list.nameSize = sizeof records::Salesperson::name;
  list.recordLength = sizeof(records::Salesperson);
  records::Salesperson chosen{};
  if (!qxb::RunCodePickList(list, salespeople, text, top, left, rows, cols, &chosen)) return 0;
  auto* customer = static_cast<records::CustVendRecord*>(record);
  std::memcpy(customer->salesperson, &chosen, sizeof customer->salesperson);
  return 1;
}
