// The customer/vendor report parameters and the walk of the selected
// accounts.
#include "cv_params.h"

#include <cstring>
#include <string>
#include <string_view>

#include "aging_schedule.h"
#include "qxabase/dictionary.h"
#include "qxabase/messages.h"
#include "qxabase/tables.h"
#include "ravadodo/text.h"

namespace {

constexpr int kMsgNothingSelected = 197;

// clang-format off
// id, customer caption, vendor caption, kind
struct CustVendField {
  int id;
  const char* customerCaption;
  const char* vendorCaption;
  RangeKind kind;
};
constexpr CustVendField kFields[] = {
    {kCvFieldCode,            "Customer Code",     "Vendor Code",        RangeKind::kText},
    {kCvFieldDepartment,      "G/L Department",    "G/L Department",     RangeKind::kText},
    {kCvFieldSalesperson,     "Salesperson",       "Salesperson",        RangeKind::kText},
    {kCvFieldTerritory,       "Territory",         "Territory",          RangeKind::kText},
    {kCvFieldVendorType,      "Vendor Type",       "Vendor Type",        RangeKind::kText},
    {kCvFieldBillingGroup,    "Billing Group",     "Billing Group",      RangeKind::kText},
    {kCvFieldLastSalesDate,   "Last Sales Date",   "Last Purchase Date", RangeKind::kDate},
    {kCvFieldLastPaymentDate, "Last Payment Date", "Last Payment Date",  RangeKind::kDate},
    {kCvFieldCreditLimit,     "Credit Limit",      "Credit Limit",       RangeKind::kAmount},
    {kCvFieldBalance,         "Current Balance",   "Current Balance",    RangeKind::kAmount},
    {kCvFieldInvoiceCount,    "Invoice Count",     "Invoice Count",      RangeKind::kCount},
    {kCvFieldSalesDollars,    "Sales Dollars",     "Purchase Dollars",   RangeKind::kAmount},
    {kCvFieldName,            "Customer Name",     "Vendor Name",        RangeKind::kText},
    {kCvFieldZipCode,         "Zip Code",          "Zip Code",           RangeKind::kText},
    {kCvFieldAccount,         "Account",           "Account",            RangeKind::kText},
};
// clang-format on

const CustVendField* FieldOf(int id) {
  for (const CustVendField& f : kFields)
    if (f.id == id) return &f;
  return nullptr;
}

// The statistics slot of the current year: the invoice count and the sales
// (purchase) dollars the criteria test.
constexpr int kCurrentYearSlot = 2;

template <std::size_t N>
std::string_view TextOf(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

// The text value of a text field of the record; false for another field.
bool TextValue(const records::CustVendRecord& r, int id, std::string_view* out) {
  switch (id) {
    case kCvFieldCode: *out = TextOf(r.code); return true;
    case kCvFieldDepartment: *out = TextOf(r.department); return true;
    case kCvFieldSalesperson: *out = TextOf(r.salesperson); return true;
    case kCvFieldTerritory: *out = TextOf(r.territory); return true;
    case kCvFieldVendorType: *out = TextOf(r.vendorType); return true;
    case kCvFieldBillingGroup: *out = TextOf(r.billingGroup); return true;
    case kCvFieldName: *out = TextOf(r.name); return true;
    case kCvFieldZipCode: *out = TextOf(r.zipCode); return true;
    case kCvFieldAccount: *out = TextOf(r.glAccount); return true;
    default: return false;
  }
}

// The criterion whose field orders the walk, and the other one.
const RangeCriterion& Leading(const CustVendReportParams& p) { return p.rankLeads ? p.rankRange : p.sortRange; }
const RangeCriterion& Second(const CustVendReportParams& p) { return p.rankLeads ? p.sortRange : p.rankRange; }

bool IsCodeOrName(int id) { return id == kCvFieldCode || id == kCvFieldName; }

}  // namespace

// clang-format off
const OptionTableEntry CustSortFields[] = {
    {'C', "Customer Code", kCvFieldCode},   {'N', "Customer Name", kCvFieldName},
    {'G', "G/L Department", kCvFieldDepartment}, {'S', "Salesperson", kCvFieldSalesperson},
    {'Z', "Zip Code", kCvFieldZipCode},     {'A', "Account", kCvFieldAccount},
    {}};
const OptionTableEntry CustRankFields[] = {
    {'C', "Customer Code", kCvFieldCode},   {'N', "Customer Name", kCvFieldName},
    {'L', "Credit Limit", kCvFieldCreditLimit}, {'B', "Current Balance", kCvFieldBalance},
    {'T', "Last Sales Date", kCvFieldLastSalesDate}, {'P', "Last Payment Date", kCvFieldLastPaymentDate},
    {'I', "Invoice Count", kCvFieldInvoiceCount}, {'D', "Sales Dollars", kCvFieldSalesDollars},
    {'B', "Billing Group", kCvFieldBillingGroup},
    {}};
const OptionTableEntry VendSortFields[] = {
    {'C', "Vendor Code", kCvFieldCode},     {'N', "Vendor Name", kCvFieldName},
    {'T', "Territory", kCvFieldTerritory},  {'V', "Vendor Type", kCvFieldVendorType},
    {'Z', "Zip Code", kCvFieldZipCode},     {'A', "Account", kCvFieldAccount},
    {}};
const OptionTableEntry VendRankFields[] = {
    {'C', "Vendor Code", kCvFieldCode},     {'N', "Vendor Name", kCvFieldName},
    {'L', "Credit Limit", kCvFieldCreditLimit}, {'B', "Current Balance", kCvFieldBalance},
    {'U', "Last Purchase Date", kCvFieldLastSalesDate}, {'P', "Last Payment Date", kCvFieldLastPaymentDate},
    {'I', "Invoice Count", kCvFieldInvoiceCount}, {'D', "Purchase Dollars", kCvFieldSalesDollars},
    {}};
// clang-format on

bool IsCustomerReport(const CustVendReportParams* params) {
  return params->menuId == kMenuCustomerAging || params->menuId == kMenuCustomerDirectory;
}

const char* CustVendFieldCaption(const CustVendReportParams* params, int fieldId) {
  const CustVendField* f = FieldOf(fieldId);
  if (f == nullptr) return "undefined";
  return IsCustomerReport(params) ? f->customerCaption : f->vendorCaption;
}

RangeKind CustVendFieldKind(int fieldId) {
  const CustVendField* f = FieldOf(fieldId);
  return f ? f->kind : RangeKind::kText;
}

int CustFieldIdByName(const char* caption) {
  const int id = FieldIdByName(CustSortFields, caption);
  return id != -1 ? id : FieldIdByName(CustRankFields, caption);
}

int VendFieldIdByName(const char* caption) {
  const int id = FieldIdByName(VendSortFields, caption);
  return id != -1 ? id : FieldIdByName(VendRankFields, caption);
}

int InitCustVendParams(int menuId, CustVendReportParams* params) {
  char* keyBuffer = params->keyBuffer;
  records::CustVendRecord* record = params->record;
  records::AgingSchedule* schedule = params->schedule;
  Window* window = params->window;
  std::memset(params, 0, sizeof *params);
  params->keyBuffer = keyBuffer;
  params->record = record;
  params->window = window;
  params->menuId = menuId;
  SetRangeCriterion(params, &params->sortRange, kCvFieldCode, nullptr, nullptr);
  SetRangeCriterion(params, &params->rankRange, kCvFieldCode, nullptr, nullptr);
  if (menuId == kMenuCustomerAging || menuId == kMenuVendorAging) {
    params->schedule = schedule;
    AgingScheduleRecord(params, false);
    params->closedate = DateToday();
    params->type = kAgingDetail;
    params->incfpaid = 0;
    params->consadv = 1;
    params->agedby = 'D';
  }
  return 0;
}

int SetRangeCriterion(const CustVendReportParams* params, RangeCriterion* criterion, int fieldId,
                      const char* fromText, const char* toText) {
  // A zip code typed into its picture keeps the picture's dash.
  std::string zipFrom, zipTo;
  if (fieldId == kCvFieldZipCode) {
    zipFrom = ZipRangeEnd(fromText);
    zipTo = ZipRangeEnd(toText);
    if (fromText) fromText = zipFrom.c_str();
    if (toText) toText = zipTo.c_str();
  }
  return RangeCriterionSet(criterion, fieldId, CustVendFieldCaption(params, fieldId), CustVendFieldKind(fieldId),
                           fromText, toText);
}

bool CustVendFieldMatches(int* pastEnd, const records::CustVendRecord* r, const RangeCriterion* c) {
  *pastEnd = 0;
  const int id = c->fieldId;
  std::string_view text;
  if (TextValue(*r, id, &text)) return RangeMatchText(*c, text, pastEnd);
  switch (id) {
    case kCvFieldLastSalesDate: return RangeMatchDate(*c, r->lastInvoiceDate, pastEnd);
    case kCvFieldLastPaymentDate: return RangeMatchDate(*c, r->lastPaymentDate, pastEnd);
    case kCvFieldCreditLimit: return RangeMatchAmount(*c, r->creditLimit, pastEnd);
    case kCvFieldBalance: return RangeMatchAmount(*c, r->balance, pastEnd);
    case kCvFieldSalesDollars: return RangeMatchAmount(*c, r->grossAmounts[kCurrentYearSlot], pastEnd);
    case kCvFieldInvoiceCount: return RangeMatchCount(*c, r->invoiceCounts[kCurrentYearSlot], pastEnd);
    default: return false;
  }
}

bool CustVendMatchesSelection(const CustVendReportParams* params, int* pastEnd) {
  if (!CustVendFieldMatches(pastEnd, params->record, &Leading(*params))) return false;
  int ignored = 0;
  return CustVendFieldMatches(&ignored, params->record, &Second(*params));
}

int CreateCustVendSortIndex(CustVendReportParams* params, int) {
  const int sort = params->sortRange.fieldId, rank = params->rankRange.fieldId;
  // Ordering by code or name says little when a rank field is chosen: the
  // rank field then orders the report, and code or name the accounts within
  // each of its values.
  params->rankLeads = IsCodeOrName(sort) && !IsCodeOrName(rank) ? 1 : 0;
  const int first = params->rankLeads ? rank : sort;
  const int second = params->rankLeads ? sort : rank;
  params->indexMade = 0;
  if (first == kCvFieldCode) {
    BtrvSetKey(params->fileHandle, 0, -1);
    return kStatusOk;  // the file's own key 0
  }
  const int status = TempIndexCreate(params->fileId, params->fileHandle, first, second, -1);
  if (status == kStatusOk) params->indexMade = 1;
  return status;
}

int ReadFirstCustVend(CustVendReportParams* params) {
  CDbTblActiveCustVend table(params->fileHandle, params->fileId);
  std::memset(params->keyBuffer, 0, 255);
  int op = kOpGetFirst;
  // A walk by code from a given first code starts there (a drill-down to
  // one account need not read every account before it).
  const RangeCriterion& leading = Leading(*params);
  if (!params->indexMade && leading.fieldId == kCvFieldCode && !leading.fromEmpty) {
    std::memset(params->keyBuffer, ' ', sizeof params->record->code - 1);
    std::memcpy(params->keyBuffer, leading.fromText,
                strnlen(leading.fromText, sizeof params->record->code - 1));
    op = kOpGetGreaterOrEqual;
  }
  int status = table.Read(op, params->keyBuffer, params->record, sizeof *params->record);
  if (status == kStatusOk) {
    int pastEnd = 0;
    CustVendMatchesSelection(params, &pastEnd);
    return pastEnd ? 1 : kStatusOk;
  }
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return status;
  MsgRecordError(status, 1, op, params->fileId, 0);
  return status;
}

int CustVendRunStart(CustVendReportParams* params) {
  int status = CreateCustVendSortIndex(params, 0);
  if (status != kStatusOk) return status;
  status = ReadFirstCustVend(params);
  if (status == kStatusOk) return status;
  CustVendRunEnd(params);
  // Nothing lies in the selection: an empty file, or a first account
  // already past the end of the range.
  if (status == kStatusEndOfFile || status == 1) MsgShow(kMsgNothingSelected, 1);
  return status;
}

int CustVendReadNext(CustVendReportParams* params) {
  CDbTblActiveCustVend table(params->fileHandle, params->fileId);
  const int status = table.Read(kOpGetNext, params->keyBuffer, params->record, sizeof *params->record);
  if (status != kStatusOk && status != kStatusEndOfFile) MsgRecordError(status, 1, kOpGetNext, params->fileId, 0);
  return status;
}

void CustVendRunEnd(CustVendReportParams* params) {
  if (params->indexMade) TempIndexDrop(params->fileId, params->fileHandle);
  params->indexMade = 0;
}
