#include "gl_journal_params.h"

#include <algorithm>
#include <iterator>

ParamStatus CGLJournalParamString::SetParam(std::string_view key, std::string_view value) {
  GLJournalParams* r = record();
  if (r == nullptr) return ParamStatus::kNoRecord;

  if (key == "input") return StoreKeyword(r->input, value);
  if (key == "output") return StoreText(r->output, value);
  if (key == "type") {
    std::int32_t type = 0;
    const ParamStatus status = ParseNumber(value, type);
    if (status == ParamStatus::kOk) r->listingFlag = type == 1 ? 1 : 0;
    return status;
  }
  if (key == "tran") {
    const ParamStatus status = StoreCode(r->tranNoFrom, sizeof r->tranNoFrom, 10, value);
    if (status == ParamStatus::kOk) {
      std::copy(std::begin(r->tranNoFrom), std::end(r->tranNoFrom), r->tranNoTo);
    }
    return status;
  }
  if (key == "jrnlbeg" || key == "jrnlend") {
    char* field = key == "jrnlbeg" ? r->journalCodeFrom : r->journalCodeTo;
    if (value.empty()) return ParamStatus::kOk;
    return StoreCode(field, sizeof r->journalCodeFrom, 6, value);
  }
  if (key == "datebeg") return ParseDate(value, r->dateFrom);
  if (key == "dateend") return ParseDate(value, r->dateTo);
  return ParamStatus::kUnknownKey;
}
