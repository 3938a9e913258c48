// The AutoComplete entries and the quotes' tables.
#include "qxabase/purge_services.h"

#include "qxabase/files.h"
#include "records/dictionary.h"
#include "records/support.h"

bool AutoComplete::Purge() {
  purged_ = 0;
  BtrvHandle h = 0;
  result_ = BtrvOpen(&h, FilePathGet(records::kFileAutoComplete), kOpenNormal, 0);
  if (result_ != kStatusOk) return false;
  long removed = 0;
  {
    BtrvTransactionScope transaction;
    result_ = transaction.Begin();
    char key[255] = {};
    records::AutoCompleteEntry entry{};
    int status = result_;
    while (status == kStatusOk) {
      status = BtrvGetOp(kOpGetFirst, h, key, &entry, sizeof entry);
      if (status == kStatusOk) status = BtrvWriteOp(kOpDelete, h, nullptr, nullptr, 0);
      if (status == kStatusOk) ++removed;
    }
    if (result_ == kStatusOk) result_ = status == kStatusEndOfFile ? transaction.Commit() : status;
  }
  BtrvClose(h);
  if (result_ == kStatusOk) purged_ = removed;
  return result_ == kStatusOk;
}

namespace ns_BASEQUOTES {

CBaseQuotes::~CBaseQuotes() { TableClose(); }

bool CBaseQuotes::TableOpen() {
  TableClose();
  result_ = BtrvOpen(&headers_, FilePathGet(records::kFileQuoteHeaders), kOpenNormal, 0);
  if (result_ == kStatusOk) result_ = BtrvOpen(&lines_, FilePathGet(records::kFileQuoteLines), kOpenNormal, 0);
  if (result_ != kStatusOk) TableClose();
  return result_ == kStatusOk;
}

void CBaseQuotes::TableClose() {
  if (headers_ != 0) BtrvClose(headers_);
  if (lines_ != 0) BtrvClose(lines_);
  headers_ = lines_ = 0;
}

}  // namespace ns_BASEQUOTES
