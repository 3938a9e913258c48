// The parameter string of the customer/vendor reports (aging 337/344,
// directory 338/345), and the saved run they write at their top.
//
// Keys (any other key is unknown; see ParseMode):
//   "input", "output"       at most 255 characters; input is lower-cased,
//                           output (a file path) keeps its case
//   "cvbeg", "cvend"        the sort range on the account code: the from or
//                           to code, at most 10 characters (blank: open);
//                           sets the range's field and its caption
//                           ("Customer Code", or "Vendor Code" for a vendor
//                           report)
//   "sortfld", "sortfrom", "sortto"   the sort range as entered: the field's
//                           caption and the two ends, at most 40 characters
//                           each (a blank end is open)
//   "rankfld", "rankfrom", "rankto"   the same for the rank range
//   "closedate"             the aging date (date text; a blank date is refused)
//   "type"                  0 summary, 1 detail, 2 audit
//   "agedby"                the character code of the aging basis: 68 'D'
//                           due date, 84 'T' invoice date
//   "incfpaid", "consadv"   0 or 1 (any other number is 1)
//   "dayspast"              the days-past-due filter: on when above 0
//   "dpdfrom", "dpdto"      its lowest and highest days (whole numbers)
// A value that is too long, not a number or date, or out of its range
// fails the parse at that pair; the field keeps what it held.
//
// After a parse the ranges hold their caption and texts only: the caller
// turns each caption into its field id and sets the range again
// (ResolveCustVendRanges).
#pragma once

#include <string>

#include "cv_params.h"
#include "report_param_string.h"

class CCustVendParamString final : public CParamStringFor<CustVendReportParams> {
 public:
  // `vendor` non-zero for the payables reports (344, 345): "cvbeg" and
  // "cvend" then name the range "Vendor Code".
  explicit CCustVendParamString(int vendor) : vendor_(vendor) {}
  CCustVendParamString(int vendor, char* buffer, int capacity)
      : CParamStringFor(buffer, capacity), vendor_(vendor) {}
  CCustVendParamString(int vendor, const char* text, int capacity)
      : CParamStringFor(text, capacity), vendor_(vendor) {}

  ParamStatus SetParam(std::string_view key, std::string_view value) override;

 private:
  int vendor_;
};

// Turns the captions that a parse left in the two ranges into field ids of
// the report's tables and sets each range again from its texts.  A range
// with a blank caption keeps what it holds.  Returns kRangeOk, or the first
// failure: kRangeFromAfterTo, kRangeBadValue, or −1 for a caption that names
// no field of the report (*which then names the range: "sort" or "rank").
int ResolveCustVendRanges(CustVendReportParams* params, const char** which);

// Prepares the parameters of a customer/vendor report run: the defaults of
// `menuId` (InitCustVendParams), then the preset `text` over them
// (ApplyReportPreset; `vendor` as for CCustVendParamString), then the ranges
// it names (ResolveCustVendRanges).  True when the report may run; false
// after the message that says why not: 205 for a range whose from lies after
// its to, 2001 for a range value that is neither a date nor a number or a
// field the report does not have, and a refused preset's own.
bool PrepareCustVendParams(int menuId, int vendor, const char* text, CustVendReportParams* params);

// Writes the saved run of a customer/vendor report into `out` (cleared
// first): input='usersel', then both ranges as entered (caption, from, to),
// and, when `aging`, the aging date, type, basis, options and the
// days-past-due filter.  The output is never saved.  False when the whole
// selection does not fit: the caller then offers no saved run (one is never
// cut).
bool WriteCustVendSavedRun(const CustVendReportParams* params, bool aging, CReportParamString* out);

// The same selection in words, with the labels of the report's screen
// (SelectionWords): "Sort by: Customer Code, from A to B; Rank by: ...; Aged
// by: Due Date; ...".
std::string CustVendSelectionWords(const CustVendReportParams* params, bool aging);
