// The pick lists of tax, terms and message codes over the caller's handle.
#include "qxabase/pick_codes.h"

#include <cstddef>
#include <cstdio>
#include <string>

#include "code_pick_list.h"
#include "records/masters.h"

namespace {

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return std::string(records::Trimmed(field));
}

void TaxCodeRow(const void* record, char* line, int size) {
  const auto* t = static_cast<const records::TaxCode*>(record);
  std::snprintf(line, static_cast<std::size_t>(size), "%-5s  %7.3f%%  %7.3f%%", Text(t->code).c_str(),
                static_cast<double>(t->billingRate), static_cast<double>(t->purchasingRate));
}

void TermsRow(const void* record, char* line, int size) {
  const auto* t = static_cast<const records::TermsRecord*>(record);
  const std::string discount = Text(t->termsText);
  std::snprintf(line, static_cast<std::size_t>(size), "%-5s  %-4s %3d  due in %d days", Text(t->code).c_str(),
                discount.c_str(), static_cast<int>(t->discountDays), static_cast<int>(t->dueDays));
}

}  // namespace

int PickCode1200(const char* text, int, BtrvHandle taxCodes, void* record, int top, int left, int rows, int cols) {
  qxb::CodePickList list;
  list.title = " Tax Codes ";
  list.heading = "Code   Billing  Purchasing";
  list.codeSize = sizeof records::TaxCode::code;
  list.recordLength = sizeof(records::TaxCode);
  list.formatRow = TaxCodeRow;
  return qxb::RunCodePickList(list, taxCodes, text, top, left, rows, cols, record) ? 1 : 0;
}

int PickCode1210(const char* text, int, BtrvHandle terms, void* record, int top, int left, int rows, int cols) {
  qxb::CodePickList list;
  list.title = " Terms Codes ";
  list.heading = "Code   Discount  Due";
  list.codeSize = sizeof records::TermsRecord::code;
  list.recordLength = sizeof(records::TermsRecord);
  list.formatRow = TermsRow;
  return qxb::RunCodePickList(list, terms, text, top, left, rows, cols, record) ? 1 : 0;
}

int PickCode1130(const char* text, int, BtrvHandle messages, void* record, int top, int left, int rows, int cols) {
  qxb::CodePickList list;
  list.title = " Message Codes ";
  list.heading = "Code   Message";
  list.codeSize = sizeof records::MessageCode::code;
  list.nameOffset = offsetof(records::MessageCode, text);
  list.nameSize = sizeof records::MessageCode::text;
  list.recordLength = sizeof(records::MessageCode);
  return qxb::RunCodePickList(list, messages, text, top, left, rows, cols, record) ? 1 : 0;
}
