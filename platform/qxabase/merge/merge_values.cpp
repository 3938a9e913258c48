// The values of the merge fields.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "../src/internal.h"
#include "qxabase/text_merge.h"
#include "ravadodo.h"

namespace {

// Record fields (kind 1) and the line controls among them.
enum RecordFieldId {
  kRecNoFooter = 4, kRecLastPage = 7, kRecSameLine = 8, kRecHide = 9, kRecContinued = 10, kRecByRow = 11,
  kRecCode = 20, kRecName, kRecAddress1, kRecAddress2, kRecAddress3, kRecContact, kRecPhone, kRecFax, kRecZip,
  kRecAccount, kRecTerms, kRecSalesperson, kRecTerritory, kRecVendorType, kRecBillingGroup, kRecDepartment,
};

// Statement fields (kind 2).
enum StatementFieldId { kStmCompany = 1, kStmAddress1, kStmAddress2, kStmCity, kStmPhone, kStmDate, kStmPage };

// Computed fields (kind 4).
enum ComputedFieldId {
  kCmpCreditLimit = 1, kCmpCreditAvailable = 2, kCmpAddressApart = 3, kCmpDate = 5, kCmpDateLong = 6,
  kCmpCityLine = 8, kCmpAddressBottom = 15,
  kCmpBalance = 22, kCmpCurrent, kCmpPastDue30, kCmpPastDue60, kCmpPastDueOver60, kCmpPastDue,
};

// Item fields (kind 9) and summary fields (kind 10).
enum AmountFieldId {
  kItemType = 1, kItemDate = 2, kItemInvoice = 3, kItemAmount = 4, kItemReference = 5, kItemDueDate = 6,
  kItemCharge = 7, kItemPayment = 8, kItemInvoiceBalance = 10, kItemRunningBalance = 11,
  kSumBalance = 15, kSumCurrent, kSumPastDue30, kSumPastDue60, kSumPastDueOver60, kSumPastDue,
  kMessage1 = 30, kMessage2 = 31,
};

constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

void Put(char* text, int length, const std::string& value) {
  if (text == nullptr) return;
  const std::size_t n = std::min<std::size_t>(value.size(), static_cast<std::size_t>(std::max(length, 0)));
  std::memcpy(text, value.data(), n);
  text[n] = '\0';
}

template <std::size_t N>
std::string Field(const char (&f)[N]) {
  return qxb::FieldText(f, N);
}

std::string ZipText(const std::string& zip) {
  if (zip.size() != 9) return zip;
  for (char c : zip)
    if (!std::isdigit(static_cast<unsigned char>(c))) return zip;
  return zip.substr(0, 5) + "-" + zip.substr(5);
}

std::string DateText(std::int32_t day) {
  char text[16] = {};
  return day ? DateToText(text, day) : "";
}

std::string LongDateText(std::int32_t day) {
  int y = 0, m = 0, d = 0;
  DateSplit(day, &y, &m, &d);
  if (m < 1 || m > 12) return "";
  return std::string(kMonths[m - 1]) + " " + std::to_string(d) + ", " + std::to_string(y);
}

// An amount as its field shows it: two decimals, '*' when it does not fit.
std::string AmountText(double amount, int length) {
  char text[64] = {};
  NumToText(text, NumRound(amount, 2), 2);
  std::string s = text;
  if (s == "-0.00") s = "0.00";
  if (length > 0 && static_cast<int>(s.size()) > length) s.assign(static_cast<std::size_t>(length), '*');
  return s;
}

std::string ItemTypeText(char type) {
  switch (type) {
    case 'I': return "Invoice";
    case 'P': return "Payment";
    case 'C': return "Credit";
    case 'D': return "Debit";
    case 'F': return "Fin. Chg.";
    case 'T': return "Discount";
    default: return std::string(1, type ? type : ' ');
  }
}

}  // namespace

bool MergeFieldFromRecord(const MergeRun* run, char* text, int length, const MergeField* field) {
  Put(text, length, "");
  if (field == nullptr) return false;
  // The line controls have nothing of the record to print; they are never
  // missing.
  switch (field->id) {
    case kRecNoFooter: case kRecLastPage: case kRecSameLine: case kRecHide: case kRecContinued: case kRecByRow:
      return true;
    default: break;
  }
  if (run == nullptr || run->account == nullptr) return false;
  const records::CustVendRecord& r = run->account->record;
  std::string value;
  switch (field->id) {
    case kRecCode: value = Field(r.code); break;
    case kRecName: value = Field(r.name); break;
    case kRecAddress1: value = Field(r.addressLines[0]); break;
    case kRecAddress2: value = Field(r.addressLines[1]); break;
    case kRecAddress3: value = Field(r.addressLines[2]); break;
    case kRecContact: value = Field(r.contact); break;
    case kRecPhone: value = StrApplyMask(Field(r.phone1).c_str(), "(nnn) nnnnnnnn") ? "" : Field(r.phone1); break;
    case kRecFax: value = StrApplyMask(Field(r.fax).c_str(), "(nnn) nnnnnnnn") ? "" : Field(r.fax); break;
    case kRecZip: value = ZipText(Field(r.zipCode)); break;
    case kRecAccount: value = Field(r.glAccount); break;
    case kRecTerms: value = Field(r.termsCode); break;
    case kRecSalesperson: value = Field(r.salesperson); break;
    case kRecTerritory: value = Field(r.territory); break;
    case kRecVendorType: value = Field(r.vendorType); break;
    case kRecBillingGroup: value = Field(r.billingGroup); break;
    case kRecDepartment: value = Field(r.department); break;
    default: break;
  }
  const std::size_t first = value.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  Put(text, length, value.substr(first));
  return true;
}

int MergeFieldStatement(char* text, int length, const StatementBlock* statement, const MergeField* field) {
  Put(text, length, "");
  if (statement == nullptr || field == nullptr) return 0;
  switch (field->id) {
    case kStmCompany: Put(text, length, Field(statement->company)); break;
    case kStmAddress1: Put(text, length, Field(statement->address1)); break;
    case kStmAddress2: Put(text, length, Field(statement->address2)); break;
    case kStmCity: Put(text, length, Field(statement->cityLine)); break;
    case kStmPhone:
      if (!StrApplyMask(Field(statement->phone).c_str(), "(nnn) nnnnnnnn")) Put(text, length, Field(statement->phone));
      break;
    case kStmDate: Put(text, length, DateText(statement->date)); break;
    case kStmPage: Put(text, length, std::to_string(statement->page)); break;
    default: break;
  }
  return 0;
}

int MergeFieldCompute(char* text, int length, const MergeAccount* account, const CustVendAccountBlock* summary,
                      const MergeField* field) {
  Put(text, length, "");
  if (field == nullptr) return 0;
  switch (field->id) {
    case kCmpCityLine:
      if (account) Put(text, length, Field(account->closingLine));
      return 0;
    case kCmpAddressApart:
    case kCmpAddressBottom:
      return 0;
    default: break;
  }
  if (summary == nullptr) return 0;
  switch (field->id) {
    case kCmpCreditLimit: Put(text, length, AmountText(summary->creditLimit, length)); break;
    case kCmpCreditAvailable: Put(text, length, AmountText(summary->creditAvailable, length)); break;
    case kCmpDate: Put(text, length, DateText(summary->asOfDate)); break;
    case kCmpDateLong: Put(text, length, LongDateText(summary->asOfDate)); break;
    case kCmpBalance: Put(text, length, AmountText(summary->closingBalance, length)); break;
    case kCmpCurrent: Put(text, length, AmountText(summary->currentDue, length)); break;
    case kCmpPastDue30: Put(text, length, AmountText(summary->pastDue1, length)); break;
    case kCmpPastDue60: Put(text, length, AmountText(summary->pastDue2, length)); break;
    case kCmpPastDueOver60: Put(text, length, AmountText(summary->pastDue3, length)); break;
    case kCmpPastDue: Put(text, length, AmountText(summary->totalPastDue, length)); break;
    default: break;
  }
  return 0;
}

int MergeFieldAmount(char* text, int length, const CustVendAccountBlock* summary, const char* messageBlock,
                     const StatementItem* item, const MergeField* field) {
  Put(text, length, "");
  if (field == nullptr) return 0;
  switch (field->id) {
    case kMessage1:
    case kMessage2:
      if (messageBlock) {
        const char* line = messageBlock + (field->id == kMessage1 ? 16 : 57);
        Put(text, length, qxb::FieldText(line, 41));
      }
      return 0;
    case kSumBalance: case kSumCurrent: case kSumPastDue30: case kSumPastDue60: case kSumPastDueOver60:
    case kSumPastDue: {
      if (summary == nullptr) return 0;
      const double amounts[] = {summary->closingBalance, summary->currentDue, summary->pastDue1,
                                summary->pastDue2,       summary->pastDue3,   summary->totalPastDue};
      Put(text, length, AmountText(amounts[field->id - kSumBalance], length));
      return 0;
    }
    default: break;
  }
  if (item == nullptr) return 0;
  const records::TagOpenInvoice& line = item->line;
  const double amount = line.amount;
  switch (field->id) {
    case kItemType: Put(text, length, ItemTypeText(line.lineType)); break;
    case kItemDate: Put(text, length, DateText(line.invoiceDate)); break;
    case kItemInvoice: Put(text, length, Field(line.invoiceNumber)); break;
    case kItemAmount: Put(text, length, AmountText(amount, length)); break;
    case kItemReference: Put(text, length, Field(line.reference)); break;
    case kItemDueDate: Put(text, length, DateText(line.dueDate)); break;
    case kItemCharge:
      if (amount > 0 && !NumIsZero(amount)) Put(text, length, AmountText(amount, length));
      break;
    case kItemPayment:
      if (amount < 0 && !NumIsZero(amount)) Put(text, length, AmountText(-amount, length));
      break;
    case kItemInvoiceBalance: Put(text, length, AmountText(item->invoiceBalance, length)); break;
    case kItemRunningBalance: Put(text, length, AmountText(item->accountBalance, length)); break;
    default: break;
  }
  return 0;
}

void MergeHardBlanks(char* text) {
  if (text == nullptr) return;
  for (char* p = text; *p; ++p)
    if (*p == ' ') *p = static_cast<char>(0xB7);
}
