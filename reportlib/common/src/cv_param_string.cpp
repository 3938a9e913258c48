// The customer/vendor reports' parameter string and saved run.
#include "cv_param_string.h"

#include <cstring>
#include <string>
#include <string_view>

#include "qxabase/messages.h"
#include "ravadodo/text.h"
#include "param_dates.h"
#include "report_frame.h"
#include "selection_words.h"

namespace {

constexpr std::size_t kCodeChars = 10;

// A range end as entered: at most 40 characters, NUL-ended.
ParamStatus StoreRangeText(char (&field)[41], std::string_view value, std::int32_t* emptyFlag) {
  if (value.size() > sizeof field - 1) return ParamStatus::kValueTooLong;
  std::memset(field, 0, sizeof field);
  std::memcpy(field, value.data(), value.size());
  if (emptyFlag) *emptyFlag = StrIsBlank(field) ? 1 : 0;
  return ParamStatus::kOk;
}

}  // namespace

ParamStatus CCustVendParamString::SetParam(std::string_view key, std::string_view value) {
  CustVendReportParams* r = record();
  if (r == nullptr) return ParamStatus::kNoRecord;

  if (key == "input") return StoreKeyword(r->input, value);
  if (key == "output") return StoreText(r->output, value);

  if (key == "cvbeg" || key == "cvend") {
    if (value.size() > kCodeChars) return ParamStatus::kValueTooLong;
    RangeCriterion& range = r->sortRange;
    range.fieldId = kCvFieldCode;
    std::memset(range.caption, 0, sizeof range.caption);
    std::strcpy(range.caption, vendor_ ? "Vendor Code" : "Customer Code");
    // The code in key form: blank-padded to the key's 11 bytes.
    char code[kCodeChars + 2] = {};
    std::memset(code, ' ', kCodeChars + 1);
    std::memcpy(code, value.data(), value.size());
    if (key == "cvbeg") return StoreRangeText(range.fromText, code, &range.fromEmpty);
    return StoreRangeText(range.toText, code, &range.toEmpty);
  }

  RangeCriterion* range = key.starts_with("sort") ? &r->sortRange : key.starts_with("rank") ? &r->rankRange : nullptr;
  if (range != nullptr) {
    const std::string_view part = key.substr(4);
    if (part == "fld") return StoreRangeText(range->caption, value, nullptr);
    if (part == "from") return StoreRangeText(range->fromText, value, &range->fromEmpty);
    if (part == "to") return StoreRangeText(range->toText, value, &range->toEmpty);
    return ParamStatus::kUnknownKey;
  }

  if (key == "closedate") {
    std::int32_t day = 0;
    const ParamStatus status = ParseDate(value, day);
    if (status != ParamStatus::kOk) return status;
    if (day == 0) return ParamStatus::kBadValue;  // an aging date is required
    r->closedate = day;
    return ParamStatus::kOk;
  }

  std::int32_t number = 0;
  const bool numeric = key == "type" || key == "agedby" || key == "incfpaid" || key == "consadv" ||
                       key == "dayspast" || key == "dpdfrom" || key == "dpdto";
  if (!numeric) return ParamStatus::kUnknownKey;
  const ParamStatus status = ParseNumber(value, number);
  if (status != ParamStatus::kOk) return status;
  if (key == "type") {
    if (number < kAgingSummary || number > kAgingAudit) return ParamStatus::kBadValue;
    r->type = static_cast<std::uint8_t>(number);
  } else if (key == "agedby") {
    if (number != 'D' && number != 'T') return ParamStatus::kBadValue;
    r->agedby = static_cast<char>(number);
  } else if (key == "incfpaid") {
    r->incfpaid = number != 0 ? 1 : 0;
  } else if (key == "consadv") {
    r->consadv = number != 0 ? 1 : 0;
  } else if (key == "dayspast") {
    r->dayspast = number > 0 ? 1 : 0;
  } else if (key == "dpdfrom") {
    r->dpdfrom = number;
  } else {
    r->dpdto = number;
  }
  return ParamStatus::kOk;
}

int ResolveCustVendRanges(CustVendReportParams* params, const char** which) {
  const int vendorReport = !IsCustomerReport(params);
  struct Slot {
    RangeCriterion* range;
    const char* name;
  } slots[] = {{&params->sortRange, "sort"}, {&params->rankRange, "rank"}};
  for (const Slot& s : slots) {
    if (StrIsBlank(s.range->caption)) continue;
    const int id = vendorReport ? VendFieldIdByName(s.range->caption) : CustFieldIdByName(s.range->caption);
    if (which) *which = s.name;
    if (id < 0) return -1;
    const RangeCriterion entered = *s.range;
    const int result = SetRangeCriterion(params, s.range, id, entered.fromEmpty ? nullptr : entered.fromText,
                                         entered.toEmpty ? nullptr : entered.toText);
    if (result != kRangeOk) return result;
  }
  return kRangeOk;
}

bool WriteCustVendSavedRun(const CustVendReportParams* p, bool aging, CReportParamString* out) {
  auto text = [](const char (&field)[41]) { return std::string_view(field, strnlen(field, sizeof field)); };
  bool ok = out->WriteParam("input", "usersel", true) && out->WriteParam("sortfld", text(p->sortRange.caption), false) &&
            out->WriteParam("sortfrom", text(p->sortRange.fromText), false) &&
            out->WriteParam("sortto", text(p->sortRange.toText), false) &&
            out->WriteParam("rankfld", text(p->rankRange.caption), false) &&
            out->WriteParam("rankfrom", text(p->rankRange.fromText), false) &&
            out->WriteParam("rankto", text(p->rankRange.toText), false);
  if (ok && aging) {
    ok = out->WriteDateParam("closedate", p->closedate, false) && out->WriteIntParam("type", p->type, false) &&
         out->WriteIntParam("agedby", static_cast<unsigned char>(p->agedby), false) &&
         out->WriteIntParam("incfpaid", p->incfpaid, false) && out->WriteIntParam("consadv", p->consadv, false) &&
         out->WriteIntParam("dayspast", p->dayspast, false) && out->WriteIntParam("dpdfrom", p->dpdfrom, false) &&
         out->WriteIntParam("dpdto", p->dpdto, false);
  }
  return ok;
}

std::string CustVendSelectionWords(const CustVendReportParams* p, bool aging) {
  // The screens' forms and field numbers (cv_param_screen.cpp).
  SelectionWords words(aging ? 383 : 384);
  words.Range(1, p->sortRange).Range(14, p->rankRange);
  if (!aging) return words.Text();
  char date[16] = {};
  ParamDateToText(p->closedate, date, sizeof date);
  words.Item(30, date);
  words.Item(31, p->type == kAgingDetail ? "Detail" : p->type == kAgingSummary ? "Summary" : "Audit");
  words.Item(32, p->agedby == 'D' ? "Due Date" : "Invoice Date");
  words.Item(33, SelectionWords::YesNo(p->incfpaid != 0));
  words.Item(34, SelectionWords::YesNo(p->consadv != 0));
  words.Item(35, SelectionWords::YesNo(p->dayspast != 0));
  if (p->dayspast) {
    words.Item(36, std::to_string(p->dpdfrom));
    words.Item(37, std::to_string(p->dpdto));
  }
  return words.Text();
}

bool PrepareCustVendParams(int menuId, int vendor, const char* text, CustVendReportParams* params) {
  InitCustVendParams(menuId, params);
  CCustVendParamString parser(vendor);
  if (!ApplyReportPreset(&parser, text, params)) return false;
  const char* which = "sort";
  const int ranges = ResolveCustVendRanges(params, &which);
  // The days past due are a range too (a "to" of 0 has no end).
  if (ranges == kRangeOk && params->dayspast && params->dpdto != 0 && params->dpdfrom > params->dpdto) {
    RefuseReportRun(205);
    return false;
  }
  if (ranges == kRangeOk) return true;
  if (ranges == kRangeFromAfterTo) {
    RefuseReportRun(205);
  } else if (ranges == kRangeBadValue) {
    ShowBadParameters(std::string("the ") + which + " range holds a value that is not a date or a number.");
  } else {
    const RangeCriterion& r = std::string_view(which) == "sort" ? params->sortRange : params->rankRange;
    // The caption as typed, leading blanks and all: they may be why it names no field.
    std::string caption(r.caption, strnlen(r.caption, sizeof r.caption));
    while (!caption.empty() && caption.back() == ' ') caption.pop_back();
    ShowBadParameters(std::string("the ") + which + " field \"" + caption + "\" is not a field of this report.");
  }
  return false;
}
