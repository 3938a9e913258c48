// Master items and their sub-items.
#include "qxabase/master_item.h"

#include <cstring>
#include <string_view>

#include "oemtext.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace {

enum FileIndex { kItems, kMembers, kProducts };

// A code in key form: blank-padded to `width`.
void PutKey(char* key, const char* text, std::size_t width) {
  std::memset(key, ' ', width);
  if (text) std::memcpy(key, text, strnlen(text, width));
}

}  // namespace

int CMasterItem::TableOpen() {
  return FileSetOpen(&files_, records::kFileMasterItems, records::kFileMasterItemMembers, records::kFileProducts);
}

int CMasterItem::Fail(int status, int op, int file) {
  failedOp_ = op;
  failedFile_ = file;
  return status;
}

int CMasterItem::QueryMasterItems(const char* fromCode, const char* toCode) {
  subitems_.clear();
  next_ = 0;
  const BtrvHandle members = files_.handle[kMembers], products = files_.handle[kProducts];
  if (members == 0 || products == 0) return Fail(kStatusFileNotOpen, kOpGetGreaterOrEqual, records::kFileMasterItemMembers);
  BtrvKeyScope memberKey(members);
  BtrvKeyScope productKey(products);
  BtrvSetKey(members, 0, -1);
  BtrvSetKey(products, 0, -1);
  records::MasterItemMember member{};
  char key[255] = {};
  // The first member at or after the from code, its products from the lowest.
  PutKey(key, fromCode, sizeof member.masterItem);
  PutKey(key + sizeof member.masterItem, nullptr, sizeof member.productNumber);
  int op = kOpGetGreaterOrEqual;
  for (;;) {
    const int status = BtrvGetOp(op, members, key, &member, sizeof member);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusOk;
    if (status != kStatusOk) return Fail(status, op, records::kFileMasterItemMembers);
    op = kOpGetNext;
    if (toCode && oem::CompareText(records::Trimmed(member.masterItem), std::string_view(toCode)) > 0)
      return kStatusOk;
    records::TagProduct product{};
    char productKeyBuffer[255] = {};
    PutKey(productKeyBuffer, member.productNumber, sizeof member.productNumber);
    const int read =
        RecordRead(records::kFileProducts, kOpGetEqual, products, productKeyBuffer, &product, sizeof product);
    if (read == kStatusKeyNotFound) continue;  // a member whose product is gone
    if (read != kStatusOk) return Fail(read, kOpGetEqual, records::kFileProducts);
    subitems_.push_back(product);
  }
}

void CMasterItem::ConsolidateSubitems() {
  consolidated_ = records::TagProduct{};
  if (subitems_.empty()) return;
  consolidated_ = subitems_.front();
  double onHand = 0, committed = 0, available = 0, value = 0;
  for (const records::TagProduct& p : subitems_) {
    onHand += p.quantityOnHand;
    committed += p.secondQuantityOnHand;
    available += p.quantityAvailable;
    value += p.valueOnHand;
  }
  consolidated_.quantityOnHand = onHand;
  consolidated_.secondQuantityOnHand = committed;
  consolidated_.quantityAvailable = available;
  consolidated_.valueOnHand = NumRound(value, 2);
  consolidated_.averageCost = GetProductAvg();
}

const records::TagProduct* CMasterItem::GetFirstProd() {
  next_ = 0;
  return GetNextProd();
}

const records::TagProduct* CMasterItem::GetNextProd() {
  if (next_ >= subitems_.size()) return nullptr;
  return &subitems_[next_++];
}

double CMasterItem::GetProductAvg() const {
  const double onHand = consolidated_.quantityOnHand;
  if (NumIsZero(onHand)) return 0;
  const int fraction = consolidated_.purchaseUnitFactor > 0 ? consolidated_.purchaseUnitFactor : 1;
  return NumRound(consolidated_.valueOnHand / (onHand / fraction), 4);
}

double CMasterItem::GetProductCurBal() const { return NumRound(consolidated_.valueOnHand, 2); }
