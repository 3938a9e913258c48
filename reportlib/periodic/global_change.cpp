// Global change: one field set to one value in every customer, vendor,
// product or salesperson whose second field lies in a range.  A table describes each
// changeable field and the condition fields offered with it; the record
// offsets come from the data dictionary.
//
// A run is one record-manager transaction.  A run stopped half way would
// leave some matching records changed and others not, with nothing telling
// which; so a failure leaves every record as it was, and the run can simply
// be made again.
//
// Nothing is written that the system cannot hold: a number beyond what its
// field and the money bound hold is refused on the screen, and an area-code
// change touches only a phone number that begins with an area code.
#include "periodic/global_change.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "btrvc.h"
#include "oemtext.h"
#include "periodic/periodic_frame.h"
#include "qxabase/commands.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_account.h"
#include "qxabase/pick_codes.h"
#include "qxabase/pick_lists.h"
#include "qxabase/pick_product.h"
#include "qxabase/status_box.h"
#include "ravadodo.h"
#include "records/amounts.h"
#include "records/dictionary.h"
#include "records/masters.h"

using periodic::Failure;

namespace {

constexpr int kMsgEmpty = 21;
constexpr int kMsgAccountMissing = 69;
constexpr int kMsgSummaryAccount = 145;
constexpr int kMsgNothingChanged = 197;
constexpr int kMsgNegativeAmount = 487;
constexpr int kMsgCodeMissing = 1549;
constexpr int kMsgChangeMade = 1551;
constexpr int kMsgNegativeRate = 1553;
constexpr int kMsgAreaCodeRequired = 1563;
constexpr int kMsgChangeToEmpty = 1565;
constexpr int kMsgNotANumber = 1567;
constexpr int kMsgAreaCodeDigits = 1569;
constexpr int kMsgPassedOverNoTerms = 1571;
constexpr int kMsgPassedOverOpenItems = 1573;
constexpr int kMsgPassedOverStock = 1575;
constexpr int kMsgPhonesWithoutAreaCode = 1577;
constexpr int kMsgRateTooLarge = 1579;
constexpr int kMsgAmountTooLow = 1581;
constexpr int kMsgAmountTooLarge = 1807;

// --- The changeable fields ------------------------------------------------------------

// What a value must be beyond what its field can hold (every number is
// also held within what its stored field and the money bound allow).
enum class Check {
  kNone,
  kNotNegativeRate,    // message 1553
  kNotNegativeAmount,  // message 487
  kCodeFile,           // must be on file `codeFile`
  kDetailAccount,      // a G/L detail account
  kAreaCode,           // may not be empty (1563)
};

struct ConditionField {
  const char* name;
  int fieldNo;
  int compareLength;  // 0 = the whole text
  bool group;
};

struct ChangeField {
  const char* name;
  int fieldNo;
  int valueKind;        // GlobalValueKind
  const char* choices;  // choice values: the entries; null for a typed value
  const char* codes;    // a choice's stored letters; null: the entry's number is stored
  Check check;
  int codeFile;
  int copyBytes;
  bool group;
  std::span<const ConditionField> conditions;
};

struct Entity {
  const char* name;
  int fileNo;
  const char* reportId;  // the screen's id while the entity is chosen
  std::span<const ChangeField> fields;
};

constexpr ConditionField kCustomerCode{"Customer Code", 1, 0, false};
constexpr ConditionField kVendorCode{"Vendor Code", 1, 0, false};
constexpr ConditionField kProductCode{"Product Code", 1, 0, false};
constexpr ConditionField kSalespersonCode{"Salesperson Code", 1, 0, false};
constexpr ConditionField kZipCode{"Zip Code", 60, 0, false};
constexpr ConditionField kAreaCode{"Area Code", 61, 5, true};
constexpr ConditionField kTaxCode{"Tax Code", 2, 0, false};
constexpr ConditionField kMessageCode{"Message Code", 4, 0, false};

constexpr ConditionField kCondCustomer[] = {kCustomerCode};
constexpr ConditionField kCondFinance[] = {kCustomerCode, {"Finance Charge", 18, 0, false}};
constexpr ConditionField kCondMinimum[] = {
    kCustomerCode, {"Finance Charge Rate", 18, 0, false}, {"Minimum Finance Charge", 72, 0, false}};
constexpr ConditionField kCondCustArea[] = {kZipCode, kAreaCode};
constexpr ConditionField kCondTax[] = {kZipCode, kCustomerCode, kTaxCode};
constexpr ConditionField kCondCustMessage[] = {kCustomerCode, kMessageCode};
constexpr ConditionField kCondSalesperson[] = {kZipCode, kAreaCode, kCustomerCode, {"Salesperson Code", 7, 0, false}};
constexpr ConditionField kCondTerms[] = {kCustomerCode, {"Term Code", 3, 0, false}};
constexpr ConditionField kCondReceivables[] = {kCustomerCode, {"A/R Account", 67, 0, false}};
constexpr ConditionField kCondCredit[] = {kCustomerCode, {"Credit Limit", 21, 0, false}};
constexpr ConditionField kCondVendor[] = {kVendorCode};
constexpr ConditionField kCondVendArea[] = {kVendorCode, kZipCode, kAreaCode};
constexpr ConditionField kCondPayables[] = {kVendorCode, {"A/P Account", 67, 0, false}};
constexpr ConditionField kCondVendMessage[] = {kVendorCode, kMessageCode};
constexpr ConditionField kCondProduct[] = {kProductCode};
constexpr ConditionField kCondRate[] = {kSalespersonCode, {"Rate", 10, 0, false}};
constexpr ConditionField kCondAmount[] = {kSalespersonCode, {"Amount", 11, 0, false}};

constexpr const char* kAccountTypes = "Open,Balance Forward,Cash";

constexpr ChangeField kCustomerFields[] = {
    {"Account Type", 14, kGlobalCode, kAccountTypes, "OBC", Check::kNone, 0, 0, false, kCondCustomer},
    {"Finance Charge", 18, kGlobalNumber, nullptr, nullptr, Check::kNotNegativeRate, 0, 0, false, kCondFinance},
    {"Minimum Finance Charge", 72, kGlobalNumber, nullptr, nullptr, Check::kNotNegativeAmount, 0, 0, false,
     kCondMinimum},
    {"Area Code", 61, kGlobalText, nullptr, nullptr, Check::kAreaCode, 0, 5, true, kCondCustArea},
    {"Tax Code", 2, kGlobalText, nullptr, nullptr, Check::kCodeFile, records::kFileTaxCodes, 0, false, kCondTax},
    {"Salesperson", 7, kGlobalText, nullptr, nullptr, Check::kCodeFile, records::kFileSalespersons, 0, false,
     kCondSalesperson},
    {"Term Code", 3, kGlobalText, nullptr, nullptr, Check::kCodeFile, records::kFileTerms, 0, false, kCondTerms},
    {"A/R Account", 67, kGlobalText, nullptr, nullptr, Check::kDetailAccount, records::kFileGLAccounts, 0, false,
     kCondReceivables},
    {"Message Code", 4, kGlobalText, nullptr, nullptr, Check::kCodeFile, records::kFileMessageCodes, 0, false,
     kCondCustMessage},
    {"Credit Limit", 21, kGlobalNumber, nullptr, nullptr, Check::kNone, 0, 0, false, kCondCredit},
};
constexpr ChangeField kVendorFields[] = {
    {"Account Type", 14, kGlobalCode, kAccountTypes, "OBC", Check::kNone, 0, 0, false, kCondVendor},
    {"Area Code", 61, kGlobalText, nullptr, nullptr, Check::kAreaCode, 0, 5, true, kCondVendArea},
    {"A/P Account", 67, kGlobalText, nullptr, nullptr, Check::kDetailAccount, records::kFileGLAccounts, 0, false,
     kCondPayables},
    {"Message Code", 4, kGlobalText, nullptr, nullptr, Check::kCodeFile, records::kFileMessageCodes, 0, false,
     kCondVendMessage},
};
constexpr const char* kYesNo = "Yes,No";
constexpr ChangeField kProductFields[] = {
    {"Inventory Type", 31, kGlobalCode, "Normal,Non-Inventory,Negative", nullptr, Check::kNone, 0, 0, false,
     kCondProduct},
    {"Recall By", 32, kGlobalCode, "Your code,Vendor's code,Both", "YVB", Check::kNone, 0, 0, false, kCondProduct},
    {"Commissionable", 27, kGlobalCode, kYesNo, "YN", Check::kNone, 0, 0, false, kCondProduct},
    {"Serialized", 29, kGlobalCode, kYesNo, "YN", Check::kNone, 0, 0, false, kCondProduct},
};
constexpr ChangeField kSalespersonFields[] = {
    {"Rate", 10, kGlobalNumber, nullptr, nullptr, Check::kNotNegativeRate, 0, 0, false, kCondRate},
    {"Amount", 11, kGlobalNumber, nullptr, nullptr, Check::kNone, 0, 0, false, kCondAmount},
};

constexpr Entity kEntities[] = {
    {"Customer", records::kFileCustomers, "RSGLOBALCHANGECUST", kCustomerFields},
    {"Vendor", records::kFileVendors, "RSGLOBALCHANGEVEND", kVendorFields},
    {"Product", records::kFileProducts, "RSGLOBALCHANGEPROD", kProductFields},
    {"Salesperson", records::kFileSalespersons, "RSGLOBALCHANGESALP", kSalespersonFields},
};

// Members of the phone group of customers and vendors, changed pairwise.
constexpr int kPhoneGroup[] = {61, 62, 63};

// --- Record tests and changes ------------------------------------------------------------

struct Place {
  int offset = 0;
  int length = 0;
  int type = 0;  // DictValueType
  int decimals = 0;
  int width = 0;  // a number: the width its print format shows it in ("%6.2f": 6); 0 when none
};

std::string_view TextAt(const unsigned char* record, const Place& p, int limit) {
  const char* text = reinterpret_cast<const char*>(record + p.offset);
  std::size_t n = 0;
  const std::size_t width = static_cast<std::size_t>(p.length);
  while (n < width && text[n] != '\0') ++n;
  std::string_view v(text, n);
  if (limit > 0 && v.size() > static_cast<std::size_t>(limit)) v = v.substr(0, static_cast<std::size_t>(limit));
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v;
}

double NumberAt(const unsigned char* record, const Place& p) {
  if (p.type == kDictFloat) {
    float f = 0;
    std::memcpy(&f, record + p.offset, sizeof f);
    return f;
  }
  double d = 0;
  std::memcpy(&d, record + p.offset, sizeof d);
  return d;
}

double RoundTo(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(v * scale) / scale;
}

std::string_view Cut(std::string_view v, int limit) {
  if (limit > 0 && v.size() > static_cast<std::size_t>(limit)) v = v.substr(0, static_cast<std::size_t>(limit));
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v;
}

// Texts compare as the files order them (the system's one text comparison:
// letter case and trailing blanks do not count), so that a range of codes
// holds every code the file keeps between its bounds.
bool Passes(const GlobalChangeRequest& r, const unsigned char* record, const Place& p) {
  if (r.conditionKind == kGlobalText) {
    const std::string_view field = TextAt(record, p, r.compareLength);
    if (!r.fromOpen && oem::CompareText(field, Cut(r.fromText, r.compareLength)) < 0) return false;
    if (!r.toOpen && oem::CompareText(field, Cut(r.toText, r.compareLength)) > 0) return false;
    return true;
  }
  double v = NumberAt(record, p), from = r.fromNumber, to = r.toNumber;
  if (p.type == kDictFloat) {
    v = RoundTo(v, p.decimals);
    from = RoundTo(from, p.decimals);
    to = RoundTo(to, p.decimals);
  }
  return (r.fromOpen || from <= v) && (r.toOpen || v <= to);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when the phone number begins with an area code in parentheses,
// "(212)": the only part of a phone an area-code change may replace.
bool HasAreaCode(std::string_view phone) {
  return phone.size() >= 5 && phone[0] == '(' && IsDigit(phone[1]) && IsDigit(phone[2]) && IsDigit(phone[3]) &&
         phone[4] == ')';
}

void Store(const GlobalChangeRequest& r, unsigned char* record, const Place& p) {
  if (r.valueKind == kGlobalCode) {
    record[p.offset] = static_cast<unsigned char>(r.newText.empty() ? 0 : r.newText[0]);
  } else if (r.valueKind == kGlobalNumber) {
    if (p.type == kDictFloat) {
      const float f = static_cast<float>(r.newNumber);
      std::memcpy(record + p.offset, &f, sizeof f);
    } else {
      std::memcpy(record + p.offset, &r.newNumber, sizeof r.newNumber);
    }
  } else if (r.copyBytes > 0) {
    // The area code at the start of a phone number (its caller has seen
    // that there is one): the rest of the number stands.
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(r.copyBytes), static_cast<std::size_t>(p.length));
    std::memcpy(record + p.offset, r.newText.data(), std::min(n, r.newText.size()));
  } else {
    // The whole field, NUL-ended.
    std::memset(record + p.offset, 0, static_cast<std::size_t>(p.length));
    std::memcpy(record + p.offset, r.newText.data(),
                std::min(r.newText.size(), static_cast<std::size_t>(p.length - 1)));
  }
}

// True when file `fileNo` holds a record whose key 0 begins with the
// `length` bytes at `code`; *status is set to a read failure (4 and 9 are
// none).
bool HasKeyPrefix(BtrvHandle handle, const unsigned char* code, std::size_t length, int* status) {
  char key[255] = {};
  std::memcpy(key, code, length);
  std::vector<unsigned char> buffer(4096);
  BtrvSetKey(handle, 0, -1);
  const int s = BtrvGetOp(kOpGetGreaterOrEqual, handle, key, buffer.data(), static_cast<unsigned>(buffer.size()));
  if (s == kStatusKeyNotFound || s == kStatusEndOfFile) return false;
  if (s != kStatusOk) {
    *status = s;
    return false;
  }
  const std::string_view want = TextAt(code, {0, static_cast<int>(length), kDictText, 0}, 0);
  const std::string_view got = TextAt(buffer.data(), {0, static_cast<int>(length), kDictText, 0}, 0);
  return want == got;
}

// The rule that kept a record in range as it was: the end message says how
// many records each rule passed over.
enum class Rule {
  kNone,
  kNoTerms,       // account type: an account that carries a balance needs terms
  kOpenItems,     // receivables or payables account: open items keep theirs
  kStock,         // inventory type: stock, commitments or a bill of materials
};

// The rule that keeps record `record` from taking the change, or kNone.
// *failure is set when a look-up fails.
Rule RuleAgainst(const GlobalChangeRequest& r, const unsigned char* record, const FileSet& files, Failure* failure) {
  const bool custVend = r.fileNo == records::kFileCustomers || r.fileNo == records::kFileVendors;
  if (custVend && r.fieldNo == 14) {
    // Cash needs nothing more.  An open-item or balance-forward account
    // carries a balance whose items fall due by its terms: it needs a terms
    // code.
    if (r.newText == "C") return Rule::kNone;
    records::CustVendRecord account{};
    std::memcpy(&account, record, sizeof account);
    return records::IsBlank(account.termsCode) ? Rule::kNoTerms : Rule::kNone;
  }
  if (custVend && r.fieldNo == 67) {
    // The open items were posted to the account they name: the account of a
    // customer or vendor with open items stays.
    const int linesFile = r.fileNo == records::kFileCustomers ? records::kFileReceivablesOpenInvoices
                                                              : records::kFilePayablesOpenInvoices;
    int status = kStatusOk;
    const bool hasLines =
        HasKeyPrefix(files.HandleOf(linesFile), record, sizeof(records::CustVendRecord::code), &status);
    if (status != kStatusOk) *failure = {status, kOpGetGreaterOrEqual, linesFile};
    return hasLines ? Rule::kOpenItems : Rule::kNone;
  }
  if (r.fileNo == records::kFileProducts && r.fieldNo == 31) {
    records::TagProduct p{};
    std::memcpy(&p, record, sizeof p);
    const int type = r.newText.empty() ? 0 : static_cast<unsigned char>(r.newText[0]);
    // A negative-stock product leaves its type only when its stock is not
    // negative and covers what is committed; this holds for non-inventory
    // as for normal.
    if (p.productType == 3 && (type == 1 || type == 2) &&
        (p.quantityOnHand < 0.0 || p.secondQuantityOnHand > p.quantityOnHand))
      return Rule::kStock;
    if (type == records::TagProduct::kNonInventory) {
      // A product without stock: none on hand, and no assembly of it.
      if (p.quantityOnHand != 0.0) return Rule::kStock;
      int status = kStatusOk;
      const bool inBill = HasKeyPrefix(files.HandleOf(records::kFileBillsOfMaterials), record,
                                       sizeof(records::TagProduct::number), &status);
      if (status != kStatusOk) *failure = {status, kOpGetGreaterOrEqual, records::kFileBillsOfMaterials};
      return inBill ? Rule::kStock : Rule::kNone;
    }
    return Rule::kNone;
  }
  return Rule::kNone;
}

void AfterChange(const GlobalChangeRequest& r, unsigned char* record) {
  if (r.fileNo == records::kFileProducts && r.fieldNo == 31 && !r.newText.empty() &&
      static_cast<unsigned char>(r.newText[0]) == records::TagProduct::kNonInventory) {
    // A product without stock has no cost.
    const double zero = 0.0;
    for (std::size_t offset : {offsetof(records::TagProduct, lastCost), offsetof(records::TagProduct, standardCost),
                               offsetof(records::TagProduct, averageCost)})
      std::memcpy(record + offset, &zero, sizeof zero);
  }
}

bool PlaceOf(int fileNo, int fieldNo, Place* place) {
  const DictFieldDef* def = DictFieldFind(DictTableOf(fileNo), fieldNo);
  if (!def) return false;
  *place = {def->offset, def->length, def->valueType, def->decimals, 0};
  // A number's width and a float's decimals are those its print format
  // shows ("%6.2f").
  if (def->format[0] == '%') place->width = std::atoi(def->format + 1);
  if (const char* dot = std::strchr(def->format, '.'); dot && def->valueType == kDictFloat)
    place->decimals = std::atoi(dot + 1);
  return true;
}

// The progress box: the record being read, the counts read and changed.
constexpr TagFormField kProgressLines[] = {
    {.number = 1, .row = 1, .column = 2, .mask = "%-40s"},
    {.number = 2, .row = 2, .column = 2, .mask = "%-15s"},
    {.number = 3, .row = 3, .column = 2, .mask = "%-30s"},
    {},
};

class ProgressBox {
 public:
  explicit ProgressBox(const GlobalChangeRequest& r)
      : box_({.top = 4, .left = 14, .width = 66, .titleText = "Global Change", .fields = kProgressLines}),
        title_(r.entityName + ": " + r.fieldName) {}
  void Show(std::string_view key, int read, int changed) {
    const std::string code(key);
    const std::string counts = std::to_string(read) + " read, " + std::to_string(changed) + " changed";
    StatusBoxRecordList(0, {title_.c_str(), code.c_str(), counts.c_str()});
  }
  void Close() { box_.Close(); }

 private:
  periodic::StatusBoxGuard box_;
  std::string title_;
};

// A pass: the file walked, the places of the field (or its group) and of
// the condition.  `owners`, when set, stands for the condition: a record
// passes when its code (at 0) is among them.  `passed`, when set, collects
// the codes of the records that met the condition.
struct Pass {
  int fileNo = 0;
  unsigned recordLength = 0;
  std::vector<Place> fieldPlaces, conditionPlaces;
  const std::set<std::string>* owners = nullptr;
  std::set<std::string>* passed = nullptr;
};

// What a run did, over all its passes.
struct Counts {
  int changed = 0;     // records rewritten
  int passedOver = 0;  // records in range that a rule kept as they were
  Rule rule = Rule::kNone;  // the rule that passed them over
  int noAreaCode = 0;  // phone numbers in range left as they were: no area code to replace
};

// Every record of the pass's file, first to last: tested, changed and
// rewritten.  Returns the failing step.
Failure Walk(const GlobalChangeRequest& request, const Pass& pass, const FileSet& files, ProgressBox* box,
             Counts* counts) {
  GlobalChangeRequest r = request;
  r.fileNo = pass.fileNo;
  const std::vector<Place>& fieldPlaces = pass.fieldPlaces;
  const std::vector<Place>& conditionPlaces = pass.conditionPlaces;
  const BtrvHandle handle = files.HandleOf(r.fileNo);
  std::vector<unsigned char> record(pass.recordLength);
  const unsigned length = static_cast<unsigned>(record.size());
  char key[255] = {};
  int read = 0;
  BtrvSetKey(handle, 0, -1);
  int op = kOpGetFirst;
  for (int status = BtrvGetOp(op, handle, key, record.data(), length); status != kStatusEndOfFile;
       status = BtrvGetOp(op, handle, key, record.data(), length)) {
    if (status != kStatusOk) return {status, op, r.fileNo};
    op = kOpGetNext;
    ++read;
    bool any = false, kept = false;
    for (std::size_t i = 0; i < fieldPlaces.size(); ++i) {
      const std::string code(TextAt(record.data(), {0, 11, kDictText, 0}, 0));
      if (pass.owners) {
        if (!pass.owners->contains(code)) continue;
      } else {
        const Place& condition = conditionPlaces[conditionPlaces.size() == 1 ? 0 : i];
        if (!Passes(r, record.data(), condition)) continue;
      }
      if (pass.passed) pass.passed->insert(code);
      Failure failure;
      if (const Rule rule = RuleAgainst(r, record.data(), files, &failure); rule != Rule::kNone || failure.Failed()) {
        if (failure.Failed()) return failure;
        counts->rule = rule;
        kept = true;
        continue;
      }
      if (r.valueKind == kGlobalText && r.copyBytes > 0) {
        // A phone that is not there has no area code to change; one that
        // does not begin with an area code keeps its number whole.
        const std::string_view phone = TextAt(record.data(), fieldPlaces[i], 0);
        if (phone.empty()) continue;
        if (!HasAreaCode(phone)) {
          ++counts->noAreaCode;
          continue;
        }
      }
      Store(r, record.data(), fieldPlaces[i]);
      AfterChange(r, record.data());
      any = true;
    }
    if (any) {
      if (const int s = BtrvWriteOp(kOpUpdate, handle, nullptr, record.data(), length); s != kStatusOk)
        return {s, kOpUpdate, r.fileNo};
      ++counts->changed;
    } else if (kept) {
      ++counts->passedOver;
    }
    box->Show(TextAt(record.data(), {0, 15, kDictText, 0}, 0), read, counts->changed);
    AppIdle();
  }
  return {};
}

// The end of a run: what changed, and what was kept as it was and why.
void ShowOutcome(const Counts& counts) {
  // The run is complete: what it changed is committed, and what its rules
  // passed over is told.
  CommandDone();
  if (counts.passedOver > 0) {
    const int message = counts.rule == Rule::kNoTerms     ? kMsgPassedOverNoTerms
                        : counts.rule == Rule::kOpenItems ? kMsgPassedOverOpenItems
                                                          : kMsgPassedOverStock;
    MsgShowArgs(message, 0, 0, 1, counts.changed, counts.passedOver, nullptr);
  } else if (counts.noAreaCode > 0) {
    MsgShowArgs(kMsgPhonesWithoutAreaCode, 0, 0, 1, counts.changed, counts.noAreaCode, nullptr);
  } else if (counts.changed == 0) {
    MsgShow(kMsgNothingChanged, 1);
  } else {
    MsgAsk(kMsgChangeMade, 0, nullptr, " Continue", kCaptionNotice);
  }
}

}  // namespace

int ApplyGlobalChange(const GlobalChangeRequest& r) {
  const bool custVend = r.fileNo == records::kFileCustomers || r.fileNo == records::kFileVendors;
  const bool phoneGroup = r.fieldGroup && custVend;
  Pass first;
  first.fileNo = r.fileNo;
  const std::span<const int> single(&r.fieldNo, 1);
  for (int number : phoneGroup ? std::span<const int>(kPhoneGroup) : single) {
    Place p;
    if (!PlaceOf(r.fileNo, number, &p)) return 0;
    first.fieldPlaces.push_back(p);
  }
  const std::span<const int> singleCondition(&r.conditionNo, 1);
  for (int number : (r.conditionGroup && phoneGroup) ? std::span<const int>(kPhoneGroup) : singleCondition) {
    Place p;
    if (!PlaceOf(r.fileNo, number, &p)) return 0;
    first.conditionPlaces.push_back(p);
  }

  // The phone group is kept in the alternate addresses too: a second pass
  // over them with the same condition.  They hold no zip code: under a zip
  // condition an address follows its customer or vendor.
  const int companion = r.fileNo == records::kFileCustomers ? records::kFileCustomerAddresses
                                                            : records::kFileVendorAddresses;
  std::set<std::string> owners;
  Pass second;
  if (phoneGroup) {
    second.fileNo = companion;
    constexpr int kPhone = sizeof(records::AlternateAddress::phones[0]);
    for (int i = 0; i < 3; ++i)
      second.fieldPlaces.push_back(
          {static_cast<int>(offsetof(records::AlternateAddress, phones)) + i * kPhone, kPhone, kDictText, 0});
    if (r.conditionNo == 61) {
      second.conditionPlaces = second.fieldPlaces;
    } else if (r.conditionNo == 1) {
      second.conditionPlaces.push_back({0, sizeof(records::AlternateAddress::code), kDictText, 0});
    } else {
      first.passed = &owners;
      second.owners = &owners;
    }
  }

  FileSet files;
  const int status = phoneGroup ? FileSetOpen(&files, r.fileNo, records::kFileBillsOfMaterials,
                                              records::kFileReceivablesOpenInvoices,
                                              records::kFilePayablesOpenInvoices, companion)
                                : FileSetOpen(&files, r.fileNo, records::kFileBillsOfMaterials,
                                              records::kFileReceivablesOpenInvoices,
                                              records::kFilePayablesOpenInvoices);
  if (status != 0) return 0;
  first.recordLength = files.recordLength[0];
  if (phoneGroup) second.recordLength = files.recordLength[4];
  ProgressBox box(r);
  BtrvTransactionScope transaction;
  Counts counts;
  Failure failure;
  if (const int status = transaction.Begin(); status != kStatusOk) {
    failure = {status, kOpBeginTransaction, r.fileNo};
  } else {
    failure = Walk(r, first, files, &box, &counts);
    if (!failure.Failed() && phoneGroup) failure = Walk(r, second, files, &box, &counts);
    if (!failure.Failed()) {
      if (const int status = transaction.Commit(); status != kStatusOk) failure = {status, kOpEndTransaction, r.fileNo};
    }
  }
  box.Close();
  if (failure.Failed()) {
    failure.Show();
    return 1;
  }
  ShowOutcome(counts);
  return 1;
}

// --- The selection screen ---------------------------------------------------------------

namespace {

constexpr int kFieldEntity = 1;
constexpr int kFieldChange = 2;
constexpr int kFieldValue = 3;        // a typed value
constexpr int kFieldValueChoice = 4;  // a choice value
constexpr int kFieldAreaCode = 5;     // an area code: three digits
constexpr int kFieldCondition = 6;
constexpr int kFieldFrom = 7;
constexpr int kFieldTo = 8;

// The pick lists' window.
constexpr int kPickTop = 4, kPickLeft = 9, kPickRows = 13, kPickCols = 60;

struct ScreenRun {
  FileSet codes;  // the files the codes are looked up in
  GlobalChangeRequest request;
};

ScreenRun& RunOf(Form* form) { return *static_cast<ScreenRun*>(form->context); }

std::string ChoiceList(std::string_view entries) { return "\x01" + std::string(entries); }

const Entity& EntityOf(Form* form) {
  const int choice = FieldGetChoice(form, kFieldEntity);
  return kEntities[(choice >= 1 && choice <= static_cast<int>(std::size(kEntities))) ? choice - 1 : 0];
}

const ChangeField& ChangeOf(Form* form) {
  const Entity& e = EntityOf(form);
  const int choice = FieldGetChoice(form, kFieldChange);
  return e.fields[(choice >= 1 && choice <= static_cast<int>(e.fields.size())) ? choice - 1 : 0];
}

const ConditionField& ConditionOf(Form* form) {
  const ChangeField& c = ChangeOf(form);
  const int choice = FieldGetChoice(form, kFieldCondition);
  return c.conditions[(choice >= 1 && choice <= static_cast<int>(c.conditions.size())) ? choice - 1 : 0];
}

// True when the condition field holds a number (its bounds are numbers).
bool NumberCondition(const Entity& e, const ConditionField& c) {
  Place p;
  return PlaceOf(e.fileNo, c.fieldNo, &p) &&
         (p.type == kDictFloat || p.type == kDictAmount || p.type == kDictDouble);
}

// The bounds' labels: a number bound of 0 is open, and the screen says so,
// since a number field shows 0 where a text field shows nothing.
void ShowConditionBounds(Form* form) {
  const bool number = NumberCondition(EntityOf(form), ConditionOf(form));
  FieldSetLabel(form, kFieldFrom, number ? "From (0: no limit)" : "From");
  FieldSetLabel(form, kFieldTo, number ? "To (0: no limit)" : "To");
}

// The value field and the condition list that follow the field to change.
void ShowChangeField(Form* form) {
  const ChangeField& c = ChangeOf(form);
  const int valueField = c.choices ? kFieldValueChoice : c.check == Check::kAreaCode ? kFieldAreaCode : kFieldValue;
  for (int f : {kFieldValue, kFieldValueChoice, kFieldAreaCode}) FieldSetAccess(form, f, f == valueField ? 0 : 2);
  if (c.choices) FieldSetChoices(form, kFieldValueChoice, ChoiceList(c.choices).c_str());
  std::string conditions;
  for (const ConditionField& f : c.conditions) conditions += (conditions.empty() ? "" : ",") + std::string(f.name);
  FieldSetChoices(form, kFieldCondition, ChoiceList(conditions).c_str());
  ShowConditionBounds(form);
}

void ShowEntity(Form* form) {
  std::snprintf(form->reportId, sizeof form->reportId, "%s", EntityOf(form).reportId);
  std::string fields;
  for (const ChangeField& f : EntityOf(form).fields) fields += (fields.empty() ? "" : ",") + std::string(f.name);
  FieldSetChoices(form, kFieldChange, ChoiceList(fields).c_str());
  ShowChangeField(form);
}

int EntityExit(Form* form, int) {
  ShowEntity(form);
  return 0x40;
}

int ChangeExit(Form* form, int) {
  ShowChangeField(form);
  return 0x40;
}

int ConditionExit(Form* form, int) {
  ShowConditionBounds(form);
  return 0x40;
}

std::string Trim(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(text.begin());
  return text;
}

// The number in `text`, written as a decimal (a sign, digits, a point, an
// exponent): false when there is something else.
bool NumberOf(const std::string& text, double* value) {
  const std::string t = Trim(text);
  if (t.empty()) {
    *value = 0;
    return true;
  }
  if (t.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

// The largest value a number field holds.  An amount: the money bound.  A
// rate is kept single-precision and shown by its print format: what that
// format shows ("%6.2f": 999.99), within the money bound.
double LargestValue(const Place& p) {
  if (p.type != kDictFloat || p.width <= p.decimals + 1) return records::kLargestAmount;
  const double largest = std::pow(10.0, p.width - p.decimals - 1) - std::pow(10.0, -p.decimals);
  return std::min(largest, records::kLargestAmount);
}

// The typed value of number field `c` as it is stored (an amount to the
// cent), checked against what the field may hold; false after the message
// that says why not.
bool CheckedNumber(const Entity& e, const ChangeField& c, const std::string& text, double* value) {
  Place p;
  if (!PlaceOf(e.fileNo, c.fieldNo, &p)) return false;
  double v = 0;
  if (!NumberOf(text, &v)) {
    MsgShow(kMsgNotANumber, 1);
    return false;
  }
  const bool amount = p.type != kDictFloat;
  const int decimals = amount ? 2 : p.decimals;
  const double largest = LargestValue(p);
  // Rounded only when near the bound: a vast number is refused as typed.
  if (amount && std::fabs(v) <= 2 * largest) v = NumRound(v, 2);
  if (v < 0 && c.check == Check::kNotNegativeRate) {
    MsgShow(kMsgNegativeRate, 1);
    return false;
  }
  if (v < 0 && c.check == Check::kNotNegativeAmount) {
    MsgShow(kMsgNegativeAmount, 1);
    return false;
  }
  char bound[64];
  if (v > largest) {
    MsgShowArgs(amount ? kMsgAmountTooLarge : kMsgRateTooLarge, 0, 0, 1, NumToText(bound, largest, decimals),
                nullptr);
    return false;
  }
  if (v < -largest) {
    MsgShowArgs(kMsgAmountTooLow, 0, 0, 1, NumToText(bound, -largest, decimals), nullptr);
    return false;
  }
  *value = v == 0.0 ? 0.0 : v;  // "-0.001" is stored as zero, not as a negative zero
  return true;
}

// An area code as typed: three digits, alone or in parentheses; written
// back as phones hold it, "(646)".  False for anything else.
bool AreaCodeOf(const std::string& typed, std::string* code) {
  std::string digits = Trim(typed);
  if (digits.size() == 5 && digits.front() == '(' && digits.back() == ')') digits = digits.substr(1, 3);
  if (digits.size() != 3 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  *code = "(" + digits + ")";
  return true;
}

// Exit of the area code field: an area code shows as the phones hold it;
// anything else but an empty field is refused at once.
int AreaCodeExit(Form* form, int field) {
  const std::string typed = Trim(FieldText(form, field));
  if (typed.empty()) return 0;
  std::string code;
  if (!AreaCodeOf(typed, &code)) {
    MsgShow(kMsgAreaCodeDigits, 1);
    return 0x20;
  }
  FieldSetText(form, field, code.c_str());
  return 0x40;
}

// Reads `code` from file `fileNo` by key 0 into `record` (at least 4096 bytes).
int ReadCode(const FileSet& files, int fileNo, const std::string& code, std::vector<unsigned char>* record) {
  char key[255] = {};
  std::memcpy(key, code.data(), std::min(code.size(), sizeof key - 1));
  const BtrvHandle handle = files.HandleOf(fileNo);
  BtrvSetKey(handle, 0, -1);
  return BtrvGetOp(kOpGetEqual, handle, key, record->data(), static_cast<unsigned>(record->size()));
}

// The G/L account check: true for a detail account on file; otherwise the
// message has been shown.
bool CheckAccount(const FileSet& files, const std::string& code) {
  std::vector<unsigned char> record(4096);
  const int status = ReadCode(files, records::kFileGLAccounts, code, &record);
  if (status == kStatusKeyNotFound || status == kStatusEndOfFile) {
    MsgShow(kMsgAccountMissing, 1);
    return false;
  }
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
    return false;
  }
  if (record[offsetof(records::GLAccount, type)] == 'G') {
    MsgShow(kMsgSummaryAccount, 1);
    return false;
  }
  return true;
}

int ValueExit(Form* form, int field) {
  const ChangeField& c = ChangeOf(form);
  const std::string text = Trim(FieldText(form, field));
  if (c.check == Check::kDetailAccount && !text.empty() && !CheckAccount(RunOf(form).codes, text)) return 0x20;
  double v = 0;
  if (c.valueKind == kGlobalNumber && !CheckedNumber(EntityOf(form), c, text, &v)) return 0x20;
  return 0;
}

// The value from the screen into the request; false after a message, the
// cursor on the field to mend.
bool TakeValue(Form* form, GlobalChangeRequest* r) {
  const Entity& e = EntityOf(form);
  const ChangeField& c = ChangeOf(form);
  r->fileNo = e.fileNo;
  r->entityName = e.name;
  r->fieldName = c.name;
  r->fieldNo = c.fieldNo;
  r->valueKind = c.valueKind;
  r->copyBytes = c.copyBytes;
  r->fieldGroup = c.group;
  if (c.choices) {
    const int choice = FieldGetChoice(form, kFieldValueChoice);
    // A letter of the code string, or the entry's number.
    r->newText = c.codes ? std::string(1, c.codes[choice - 1]) : std::string(1, static_cast<char>(choice));
    return true;
  }
  const int valueField = c.check == Check::kAreaCode ? kFieldAreaCode : kFieldValue;
  const std::string text = Trim(FieldText(form, valueField));
  auto back = [&](int message) {
    MsgShow(message, 1);
    FieldSetFocus(form, valueField);
    return false;
  };
  if (c.check == Check::kAreaCode) {
    if (text.empty()) return back(kMsgAreaCodeRequired);
    if (!AreaCodeOf(text, &r->newText)) return back(kMsgAreaCodeDigits);
    return true;
  }
  if (c.check == Check::kCodeFile || c.check == Check::kDetailAccount) {
    if (text.empty()) return back(kMsgEmpty);
    std::vector<unsigned char> record(4096);
    const int status = ReadCode(RunOf(form).codes, c.codeFile, text, &record);
    if (status == kStatusKeyNotFound || status == kStatusEndOfFile) return back(kMsgCodeMissing);
    if (status != kStatusOk) {
      MsgRecordError(status, 1, kOpGetEqual, c.codeFile, 0);
      FieldSetFocus(form, kFieldValue);
      return false;
    }
    if (c.check == Check::kDetailAccount && !CheckAccount(RunOf(form).codes, text)) {
      FieldSetFocus(form, kFieldValue);
      return false;
    }
    r->newText = text;
    return true;
  }
  if (c.valueKind == kGlobalNumber) {
    if (!CheckedNumber(e, c, text, &r->newNumber)) {
      FieldSetFocus(form, valueField);
      return false;
    }
  } else {
    r->newText = text;
  }
  const bool empty = c.valueKind == kGlobalNumber ? r->newNumber == 0.0 : text.empty();
  if (!empty) return true;
  int choice = 1;
  if (MsgAsk(kMsgChangeToEmpty, 0, &choice, "\x01No,Yes", kCaptionQuestion) == 2) return true;
  FieldSetFocus(form, kFieldValue);
  return false;
}

// The condition from the screen into the request; false after a message.
bool TakeCondition(Form* form, GlobalChangeRequest* r) {
  const ConditionField& cf = ConditionOf(form);
  Place p;
  if (!PlaceOf(r->fileNo, cf.fieldNo, &p)) return false;
  r->conditionNo = cf.fieldNo;
  r->conditionGroup = cf.group;
  r->compareLength = cf.compareLength;
  const bool number = p.type == kDictFloat || p.type == kDictAmount || p.type == kDictDouble;
  r->conditionKind = number ? kGlobalNumber : kGlobalText;
  const std::string from = Trim(FieldText(form, kFieldFrom));
  const std::string to = Trim(FieldText(form, kFieldTo));
  if (!number) {
    r->fromText = from;
    r->toText = to;
    // An area code is taken as the value takes it, "646" or "(646)", and
    // compared as the phones hold it.
    if (cf.fieldNo == kAreaCode.fieldNo) {
      for (auto [text, field] : {std::pair{&r->fromText, kFieldFrom}, std::pair{&r->toText, kFieldTo}}) {
        if (text->empty() || AreaCodeOf(*text, text)) continue;
        MsgShow(kMsgAreaCodeDigits, 1);
        FieldSetFocus(form, field);
        return false;
      }
    }
    r->fromOpen = from.empty();
    r->toOpen = to.empty();
    return true;
  }
  struct Bound {
    const std::string* text;
    double* value;
    int field;
  };
  for (const Bound& b : {Bound{&from, &r->fromNumber, kFieldFrom}, Bound{&to, &r->toNumber, kFieldTo}}) {
    if (!NumberOf(*b.text, b.value)) {
      MsgShow(kMsgNotANumber, 1);
      FieldSetFocus(form, b.field);
      return false;
    }
  }
  // A zero bound is an open one.
  r->fromOpen = r->fromNumber == 0.0;
  r->toOpen = r->toNumber == 0.0;
  return true;
}

// F5: the pick list of the code file behind the field under the cursor --
// the value of a code field, or the bounds of a code condition.
int LookUpKey(Form* form, KeyCode) {
  const FileSet& files = RunOf(form).codes;
  const int field = FormCurrentField(form);
  int fileNo = 0;
  if (field == kFieldValue) {
    const ChangeField& c = ChangeOf(form);
    if (c.check == Check::kCodeFile || c.check == Check::kDetailAccount) fileNo = c.codeFile;
  } else if (field == kFieldFrom || field == kFieldTo) {
    const Entity& e = EntityOf(form);
    switch (ConditionOf(form).fieldNo) {
      case 1: fileNo = e.fileNo; break;  // the entity's own code
      case 2: fileNo = records::kFileTaxCodes; break;
      case 3: fileNo = records::kFileTerms; break;
      case 4: fileNo = records::kFileMessageCodes; break;
      case 7: fileNo = records::kFileSalespersons; break;
      case 67: fileNo = records::kFileGLAccounts; break;
      default: break;
    }
  }
  if (fileNo == 0) return 0x20;
  const std::string text = Trim(FieldText(form, field));
  const BtrvHandle handle = files.HandleOf(fileNo);
  std::vector<unsigned char> record(4096);
  std::string code;
  int picked = 0;
  switch (fileNo) {
    case records::kFileCustomers:
    case records::kFileVendors: {
      auto pick = fileNo == records::kFileCustomers ? PickCustomer : PickVendor;
      picked = pick(text.c_str(), 0, handle, record.data(), kPickTop, kPickLeft, kPickRows, kPickCols, 0, 1);
      break;
    }
    case records::kFileProducts:
      picked = PickProduct(text.c_str(), 0, handle, record.data(), kPickTop, kPickLeft, kPickRows, kPickCols);
      break;
    case records::kFileSalespersons: {
      // The salesperson list fills the salesperson field of a customer.
      records::CustVendRecord customer{};
      picked = PickCustomerByKey(text.c_str(), 0, handle, &customer, kPickTop, kPickLeft, kPickRows, kPickCols, 0);
      if (picked) code = std::string(records::Trimmed(customer.salesperson));
      break;
    }
    case records::kFileTaxCodes:
      picked = PickCode1200(text.c_str(), 0, handle, record.data(), kPickTop, kPickLeft, kPickRows, kPickCols);
      break;
    case records::kFileTerms:
      picked = PickCode1210(text.c_str(), 0, handle, record.data(), kPickTop, kPickLeft, kPickRows, kPickCols);
      break;
    case records::kFileMessageCodes:
      picked = PickCode1130(text.c_str(), 0, handle, record.data(), kPickTop, kPickLeft, kPickRows, kPickCols);
      break;
    case records::kFileGLAccounts:
      picked = PickCode1050(text.c_str(), 0, handle, record.data(), kPickTop, kPickLeft, kPickRows, kPickCols, 0, 1);
      break;
    default: return 0x20;
  }
  if (!picked) return 0x20;
  // Every code stands at the start of its record, NUL-ended.
  if (code.empty()) code = TextAt(record.data(), {0, 15, kDictText, 0}, 0);
  FieldSetText(form, field, code.c_str());
  FieldRedraw(form, field);
  // A picked account is checked at once, as when it is typed.
  if (field == kFieldValue && fileNo == records::kFileGLAccounts && !CheckAccount(files, code)) return 0x20;
  return 0x40;
}

int AcceptKey(Form* form, KeyCode) {
  GlobalChangeRequest request;
  if (!TakeValue(form, &request) || !TakeCondition(form, &request)) return 0x20;
  RunOf(form).request = request;
  return 1;
}

constexpr TagFormField kScreenFields[] = {
    {.number = kFieldEntity, .row = 1, .column = 24, .mask = "%-12sm",
     .choices = "\x01" "Customer,Vendor,Product,Salesperson",
     .exitCallback = EntityExit, .label = "Change records of", .labelColumn = 2},
    {.number = kFieldChange, .row = 3, .column = 24, .mask = "%-24sm", .choices = "\x01-",
     .exitCallback = ChangeExit, .label = "Field to change", .labelColumn = 2},
    {.number = kFieldValue, .row = 5, .column = 24, .mask = "%-15sC", .exitCallback = ValueExit,
     .label = "New value", .labelColumn = 2},
    {.number = kFieldValueChoice, .row = 5, .column = 24, .mask = "%-16sm", .choices = "\x01-",
     .label = "New value", .labelColumn = 2},
    {.number = kFieldAreaCode, .row = 5, .column = 24, .mask = "%-5s", .exitCallback = AreaCodeExit,
     .label = "New area code", .labelColumn = 2},
    {.number = kFieldCondition, .row = 7, .column = 24, .mask = "%-24sm", .choices = "\x01-",
     .exitCallback = ConditionExit, .label = "Where", .labelColumn = 2},
    {.number = kFieldFrom, .row = 9, .column = 24, .mask = "%-15sC", .label = "From", .labelColumn = 2},
    {.number = kFieldTo, .row = 10, .column = 24, .mask = "%-15sC", .label = "To", .labelColumn = 2},
    {},
};

int StartScreen(Form* form, int) {
  ShowEntity(form);
  FormRedraw(form);
  return 0;
}

}  // namespace

int RunGlobalChange() {
  ScreenRun run;
  if (FileSetOpen(&run.codes, records::kFileCustomers, records::kFileVendors, records::kFileProducts,
                  records::kFileSalespersons, records::kFileTaxCodes, records::kFileTerms, records::kFileGLAccounts,
                  records::kFileMessageCodes) != 0)
    return 0;
  std::vector<TagFormField> fields(std::begin(kScreenFields), std::end(kScreenFields));
  Form form{};
  Window window{};
  FormBegin(&form);
  int result = 27;
  if (FormFieldsCreate(&form, fields.data(), 1) && WinOpen(&window, 4, 9, 17, 71, 1, 1, ' ', "Global Change") == 0) {
    FormAttachWindow(&window, &form, 1);
    form.context = &run;
    FormSetup(&form, 0, 0);
    FormOnKey(&form, kKeyF5, LookUpKey, "Look up");
    FormOnKey(&form, kKeyF10, AcceptKey, "Change");
    form.startHook = StartScreen;
    result = FormRun(&form, 0);
    WinClose(&window, 1);
  }
  FormEnd(&form);
  if (result != 0) return 0;
  return ApplyGlobalChange(run.request);
}
