// The parameters of the customer/vendor reports (the aging report, commands
// 337 and 344, and the directory, 338 and 345) and the selection of their
// accounts: two range criteria on fields of the customer or vendor record,
// the walk of the selected accounts in the order of the sort field.
//
// A run:
//   CustVendReportParams params;  InitCustVendParams(menuId, &params);
//   (parse a preset, run the screen: cv_param_string.h, cv_param_screen.h)
//   params.fileHandle/fileId = the open customer (22) or vendor (66) file;
//   CustVendRunStart(&params)            -> 0: the first selected account read
//   for (;;) { CustVendMatchesSelection(&params, &pastEnd) ...;
//              CustVendReadNext(&params) }
//   CustVendRunEnd(&params)              on every way out (drops the index)
//
// The sort criterion orders the report; the rank criterion is a second
// selection.  When the sort field is the code or the name and the rank
// field is neither, the walk reads in the rank field's order (a sorted
// temporary index on rank, then sort): the two criteria are never moved
// from where the user put them, so the headings and the saved run always
// show what was entered.
#pragma once

#include <cstdint>
#include <type_traits>

#include "btrvc.h"
#include "qxabase/form_helpers.h"
#include "range_criteria.h"
#include "records/masters.h"
#include "records/settings.h"

struct Window;

inline constexpr int kMenuCustomerAging = 337;
inline constexpr int kMenuCustomerDirectory = 338;
inline constexpr int kMenuVendorAging = 344;
inline constexpr int kMenuVendorDirectory = 345;

// Field ids of the customer/vendor record that the criteria name.
enum CustVendFieldId : int {
  kCvFieldCode = 1,
  kCvFieldDepartment = 6,
  kCvFieldSalesperson = 7,
  kCvFieldTerritory = 8,
  kCvFieldVendorType = 9,
  kCvFieldBillingGroup = 10,
  kCvFieldLastSalesDate = 19,
  kCvFieldLastPaymentDate = 20,
  kCvFieldCreditLimit = 21,
  kCvFieldBalance = 25,
  kCvFieldInvoiceCount = 30,
  kCvFieldSalesDollars = 40,
  kCvFieldName = 53,
  kCvFieldZipCode = 60,
  kCvFieldAccount = 67,
};

// Aging report types.
inline constexpr std::uint8_t kAgingSummary = 0;
inline constexpr std::uint8_t kAgingDetail = 1;
inline constexpr std::uint8_t kAgingAudit = 2;

struct CustVendReportParams {
  std::uint8_t type;      // aging: 1 detail (default), 0 summary, 2 audit
  std::uint8_t option1;   // fields 28 and 29 of the third screen: 0 "Yes", 1 otherwise
  std::uint8_t option2;
  std::uint8_t incfpaid;  // 1: include fully paid items
  std::uint8_t consadv;   // 1: consolidate advances (default)
  char agedby;            // 'D' by due date (default), 'T' by invoice date
  std::int32_t menuId;    // 337, 338, 344, 345
  BtrvHandle fileHandle;  // the open customer (22) or vendor (66) file
  BtrvHandle lookupHandle;  // file 56, the F5 look-up of a customer report's salesperson fields
  std::int16_t fileId;    // 22 or 66
  std::int32_t number27;  // field 27 of the third screen
  std::int32_t indexMade;  // 1 while a temporary sort index is made on fileHandle
  std::int32_t closedate;  // the aging date (day number); default today
  char* keyBuffer;        // the run's 255-byte key buffer
  records::CustVendRecord* record;    // the run's record buffer: the current account
  records::AgingSchedule* schedule;   // the aging schedule, null for the directory
  Window* window;         // the report's selection window (its reportId and title)
  RangeCriterion sortRange;
  RangeCriterion rankRange;
  std::uint8_t dayspast;  // 1: the days-past-due filter is on
  std::int32_t dpdfrom, dpdto;  // its lowest and highest days past due
  // The walk leads with the rank criterion (its field orders the records):
  // set by CreateCustVendSortIndex.
  std::int32_t rankLeads;
  char input[256];        // the parameter string's "input" and "output"
  char output[256];
};
static_assert(std::is_trivially_copyable_v<CustVendReportParams>);

// The sort and rank choices of the screen, with their captions and ids.
extern const OptionTableEntry CustSortFields[];
extern const OptionTableEntry CustRankFields[];
extern const OptionTableEntry VendSortFields[];
extern const OptionTableEntry VendRankFields[];

// True for the customer reports, 337 and 338.
bool IsCustomerReport(const CustVendReportParams* params);

// The caption of a field id, in customer wording for the customer reports
// and vendor wording otherwise; "undefined" for an id of no field.
const char* CustVendFieldCaption(const CustVendReportParams* params, int fieldId);

// The kind of a field's value (kText for an id of no field).
RangeKind CustVendFieldKind(int fieldId);

// The id of a caption ("Customer Name" -> 53): the sort table first, then the
// rank table, captions compared exactly; −1 when neither holds it.
int CustFieldIdByName(const char* caption);
int VendFieldIdByName(const char* caption);

// Fills the defaults for `menuId`: both criteria on the code and open at
// both ends, no index; for the aging reports (337, 344) the schedule read
// into params->schedule (which the caller points at its buffer first; left
// as it was when the settings record cannot be read, after the message),
// today as the aging date, detail, fully paid items left out, advances
// consolidated, aged by due date.  Everything else is zeroed except the
// buffers and the window the caller set.  Returns 0.
int InitCustVendParams(int menuId, CustVendReportParams* params);

// Sets a criterion on a field of the report (caption and kind from the
// field id) with the ends as entered (null: open).  Returns kRangeOk,
// kRangeFromAfterTo or kRangeBadValue (range_criteria.h).
int SetRangeCriterion(const CustVendReportParams* params, RangeCriterion* criterion, int fieldId,
                      const char* fromText, const char* toText);

// True when `record` passes `criterion` (*pastEnd as range_criteria.h).
// An id of no field never passes.
bool CustVendFieldMatches(int* pastEnd, const records::CustVendRecord* record, const RangeCriterion* criterion);

// True when the current account (params->record) passes both criteria.
// *pastEnd is that of the criterion whose field orders the walk, so the
// caller stops when it is set.
bool CustVendMatchesSelection(const CustVendReportParams* params, int* pastEnd);

// Makes the temporary index the walk needs (none when its leading field is
// the code, the file's own order).  Returns 0, or the status of the failure
// (after its message).
int CreateCustVendSortIndex(CustVendReportParams* params, int reserved = 0);

// Reads the first account of the walk into params->record.  Returns 0 when
// one was read and does not lie past the end of the leading criterion; 1
// when it does; 9 when the file holds none; another status after the error
// box.
int ReadFirstCustVend(CustVendReportParams* params);

// The index, then the first account.  0: go on.  Otherwise the run stops:
// message 197 has been shown when nothing lies in the selection (the file
// is empty, or its first account lies past the end), another failure has
// shown its own message, and the index is dropped.
int CustVendRunStart(CustVendReportParams* params);

// Reads the next account of the walk into params->record: 0, 9 at the end,
// another status after the error box.
int CustVendReadNext(CustVendReportParams* params);

// Drops the temporary index when one was made.  Safe to call twice.
void CustVendRunEnd(CustVendReportParams* params);

// Drops the run's temporary index (CustVendRunEnd) on every way out.
struct CustVendIndexGuard {
  CustVendReportParams* params;
  ~CustVendIndexGuard() { CustVendRunEnd(params); }
};
