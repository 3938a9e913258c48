// Billing and purchasing posting's own services: the kinds of transaction,
// the distribution slots and G/L lines of one transaction, and the removal
// of a transaction.
#include "qxabase/bipo_posting.h"

#include <cstring>
#include <string>

#include "posting_internal.h"
#include "qxabase/bipo_lines.h"
#include "qxabase/posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/record_image.h"

using namespace qxb::posting;
using records::BiPoLine;
using records::GLLine;
using records::InterfaceRecord;
using records::TagBiPoHeader;

namespace {

char Other(char side) { return side == 'D' ? 'C' : 'D'; }

// The account texts of the interface, by the index InterfaceRecord::Account takes.
constexpr int kCashIndex = 0, kReceivablesIndex = 1, kPayablesIndex = 2, kInventoryIndex = 3, kFreightIndex = 12;

void SetAccount(GLLine& line, const char* account) {
  std::memset(line.account, 0, sizeof line.account);
  if (account != nullptr) std::memcpy(line.account, account, strnlen(account, sizeof line.account - 1));
}

bool Blank(const char* text, std::size_t n) {
  for (std::size_t i = 0; i < n && text[i] != '\0'; ++i)
    if (text[i] != ' ') return false;
  return true;
}

}  // namespace

int BiPoKindOf(bool purchasing, char typeLetter) {
  if (purchasing) return typeLetter == 'I' ? kBiPoPurchase : typeLetter == 'R' ? kBiPoPurchaseReturn : kBiPoNotPosted;
  return typeLetter == 'I' ? kBiPoInvoice : kBiPoBillingReturn;
}

bool BiPoOffAccount(int kind, const TagBiPoHeader& header) {
  return (kind == kBiPoPurchase || kind == kBiPoPurchaseReturn) && header.onAccountFlag == 'N';
}

// --- Distribution slots -------------------------------------------------------------------------

void InitBiPoDistribution(bool purchasing, BiPoDistribution* d, const InterfaceRecord* iface) {
  if (d == nullptr) return;
  if (iface == nullptr) {
    for (GLLine& slot : d->slot) {
      slot.side = ' ';
      slot.amount = 0.0;
    }
    return;
  }
  *d = BiPoDistribution{};
  for (GLLine& slot : d->slot) slot.side = ' ';
  SetAccount(d->slot[kSlotParty], iface->Account(purchasing ? kPayablesIndex : kReceivablesIndex));
  SetAccount(d->slot[kSlotCash], iface->Account(kCashIndex));
  SetAccount(d->slot[kSlotInventory], iface->Account(kInventoryIndex));
  SetAccount(d->slot[kSlotCostOfGoods], iface->Account(InterfaceRecord::kCostOfGoodsIndex));
  SetAccount(d->slot[kSlotReturns], iface->Account(InterfaceRecord::kSalesReturnsIndex));
  SetAccount(d->slot[kSlotSales], iface->Account(InterfaceRecord::kSalesIndex));
  SetAccount(d->slot[kSlotFreight], iface->Account(kFreightIndex));
}

void AddToDistSlot(BiPoDistribution* d, char side, double amount, int slot) {
  if (d == nullptr || slot < 0 || slot >= kBiPoSlotCount) return;
  if (amount < 0) {
    side = Other(side);
    amount = -amount;
  }
  GLLine& s = d->slot[slot];
  if (s.side != 'D' && s.side != 'C') {
    s.side = side;
    s.amount = amount;
  } else if (s.side == side) {
    s.amount = s.amount + amount;
  } else {
    double rest = s.amount - amount;
    if (rest < 0) {
      s.side = Other(s.side);
      rest = -rest;
    }
    s.amount = rest;
    if (NumIsZero(rest)) {
      s.side = ' ';
      s.amount = 0.0;
    }
  }
}

// --- The G/L lines of one transaction -------------------------------------------------------------

BiPoLedgerLines::BiPoLedgerLines(bool purchasing, const InterfaceRecord& iface)
    : purchasing_(purchasing), iface_(iface) {
  InitBiPoDistribution(purchasing_, &slots_, &iface_);
}

void BiPoLedgerLines::Begin(int kind, const TagBiPoHeader& header, const records::CustVendRecord* party) {
  kind_ = kind;
  header_ = header;
  lines_.clear();
  InitBiPoDistribution(purchasing_, &slots_, nullptr);
  booked_ = 0;
  std::memset(partyAccount_, 0, sizeof partyAccount_);
  if (party != nullptr && !records::IsBlank(party->glAccount))
    std::memcpy(partyAccount_, party->glAccount, sizeof party->glAccount - 1);
  if (!purchasing_ && iface_.glMode == 'C' && party != nullptr) {
    const std::array<char, 6> segment = party->AccountSegment();
    GLAccountWithSegment(slots_.slot[kSlotSales].account, iface_.salesAccount, segment.data());
    GLAccountWithSegment(slots_.slot[kSlotReturns].account, iface_.salesReturnsAccount, segment.data());
    GLAccountWithSegment(slots_.slot[kSlotCostOfGoods].account, iface_.costOfGoodsAccount, segment.data());
  }
  if (BiPoOffAccount(kind_, header_)) SetAccount(slots_.slot[kSlotOffAccount], header_.offsetAccount);
}

int BiPoLedgerLines::PartySlot() const { return BiPoOffAccount(kind_, header_) ? kSlotOffAccount : kSlotParty; }

const char* BiPoLedgerLines::Text(const char* billing, const char* purchasing) const {
  return purchasing_ ? purchasing : billing;
}

char* BiPoLedgerLines::ItemAccount(char* out, int index, const char* segment) const {
  return GLAccountWithSegment(out, iface_.Account(index), segment);
}

int BiPoLedgerLines::ItemSalesIndex() const {
  return kind_ == kBiPoInvoice ? InterfaceRecord::kSalesIndex : InterfaceRecord::kSalesReturnsIndex;
}

void BiPoLedgerLines::Add(const char* account, const char* description, char side, double amount) {
  amount = NumRound(amount, 2);
  if (NumIsZero(amount)) return;
  GLLine line{};
  SetAccount(line, account);
  records::SetText(line.description, description);
  line.side = amount < 0 ? Other(side) : side;
  line.amount = amount < 0 ? -amount : amount;
  lines_.push_back(line);
}

void BiPoLedgerLines::AddSlot(int slot, const char* account, const char* description) {
  const GLLine& s = slots_.slot[slot];
  if (s.side != 'D' && s.side != 'C') return;
  Add(account, description, s.side, s.amount);
}

void BiPoLedgerLines::ProductLine(const BiPoLine& line, double cost, const records::TagProduct& product) {
  if (!product.CarriesStock()) {
    NonStockProductLine(line, product);
    return;
  }
  const double a = line.amount;
  const int party = PartySlot();
  if (kind_ >= kBiPoPurchase && kind_ <= kBiPoBillingReturn) booked_ += a;
  switch (kind_) {
    case kBiPoPurchase:
      AddToDistSlot(&slots_, 'C', a, party);
      AddToDistSlot(&slots_, 'D', a, kSlotInventory);
      return;
    case kBiPoPurchaseReturn:
      AddToDistSlot(&slots_, 'D', a, party);
      AddToDistSlot(&slots_, 'C', a, kSlotInventory);
      return;
    case kBiPoInvoice:
      AddToDistSlot(&slots_, 'D', a, kSlotParty);
      AddToDistSlot(&slots_, 'D', cost, kSlotCostOfGoods);
      AddToDistSlot(&slots_, 'C', cost, kSlotInventory);
      AddToDistSlot(&slots_, 'C', a, kSlotSales);
      break;
    case kBiPoBillingReturn:
      AddToDistSlot(&slots_, 'D', a, kSlotReturns);
      AddToDistSlot(&slots_, 'D', cost, kSlotInventory);
      AddToDistSlot(&slots_, 'C', cost, kSlotCostOfGoods);
      AddToDistSlot(&slots_, 'C', a, kSlotParty);
      break;
    default: return;
  }
  if (!PerItem()) return;
  // The item's own accounts take the sales (or returns) and the cost; the
  // kind gives the sides, as the party slot took the other ones.
  const bool invoice = kind_ == kBiPoInvoice;
  const std::array<char, 6> segment = product.AccountSegment();
  char account[11];
  Add(ItemAccount(account, ItemSalesIndex(), segment.data()), "Billing Summary", invoice ? 'C' : 'D', a);
  Add(ItemAccount(account, InterfaceRecord::kCostOfGoodsIndex, segment.data()), "Billing Summary",
      invoice ? 'D' : 'C', cost);
}

// A product that carries no stock: bought, it is a cost (the vendor's side
// against the interface's cost of goods, as a purchased service); sold, its
// sales (or returns) against the customer, with no cost and no inventory.
void BiPoLedgerLines::NonStockProductLine(const BiPoLine& line, const records::TagProduct& product) {
  const double a = line.amount;
  switch (kind_) {
    case kBiPoPurchase:
    case kBiPoPurchaseReturn: {
      const char side = kind_ == kBiPoPurchase ? 'D' : 'C';
      booked_ += a;
      AddToDistSlot(&slots_, Other(side), a, PartySlot());
      Add(iface_.costOfGoodsAccount, "PO Summary - Non-stock", side, a);
      return;
    }
    case kBiPoInvoice:
    case kBiPoBillingReturn: {
      const bool invoice = kind_ == kBiPoInvoice;
      booked_ += a;
      AddToDistSlot(&slots_, invoice ? 'D' : 'C', a, kSlotParty);
      if (!PerItem()) {
        AddToDistSlot(&slots_, invoice ? 'C' : 'D', a, invoice ? kSlotSales : kSlotReturns);
        return;
      }
      const std::array<char, 6> segment = product.AccountSegment();
      char account[11];
      Add(ItemAccount(account, ItemSalesIndex(), segment.data()), "Billing Summary", invoice ? 'C' : 'D', a);
      return;
    }
    default: return;
  }
}

void BiPoLedgerLines::ServiceLine(const BiPoLine& line, const char* segment) {
  const double a = line.amount;
  if (kind_ >= kBiPoPurchase && kind_ <= kBiPoBillingReturn) booked_ += a;
  if (kind_ == kBiPoInvoice) {
    AddToDistSlot(&slots_, 'D', a, kSlotParty);
    AddToDistSlot(&slots_, 'C', a, kSlotSales);
  } else if (kind_ == kBiPoBillingReturn) {
    AddToDistSlot(&slots_, 'D', a, kSlotReturns);
    AddToDistSlot(&slots_, 'C', a, kSlotParty);
  } else if (kind_ == kBiPoPurchase || kind_ == kBiPoPurchaseReturn) {
    // A purchased service is owed to the vendor like the rest of the
    // purchase (the vendor takes the header's total) and is a cost, not
    // stock: the vendor's side as a code line's, the cost-of-goods account
    // on the other, so that payables keep equal to the vendors' balances.
    const char side = kind_ == kBiPoPurchase ? 'D' : 'C';
    AddToDistSlot(&slots_, Other(side), a, PartySlot());
    Add(iface_.costOfGoodsAccount, "PO Summary - Service", side, a);
    return;
  } else {
    return;
  }
  if (!PerItem()) return;
  char account[11];
  Add(ItemAccount(account, ItemSalesIndex(), segment), "Billing Summary", kind_ == kBiPoInvoice ? 'C' : 'D', a);
}

void BiPoLedgerLines::CodeLine(const BiPoLine& line, const char* account) {
  const double a = line.amount;
  char side = 0;  // of the code's own line
  switch (kind_) {
    case kBiPoPurchase: side = 'D'; break;
    case kBiPoPurchaseReturn: side = 'C'; break;
    case kBiPoInvoice: side = 'C'; break;
    case kBiPoBillingReturn: side = 'D'; break;
    default: return;
  }
  booked_ += a;
  AddToDistSlot(&slots_, Other(side), a, PartySlot());
  Add(account, Text("Billing Summary - Code", "PO Summary - Code"), side, a);
}

void BiPoLedgerLines::Tax(const records::TaxCode* tax) {
  double t = header_.tax;
  if (NumIsZero(t)) return;
  booked_ += t;
  // The party side: billing invoices and purchase returns debit it.
  const bool partyDebit = kind_ == kBiPoInvoice || kind_ == kBiPoPurchaseReturn;
  AddToDistSlot(&slots_, partyDebit ? 'D' : 'C', t, PartySlot());
  if (tax == nullptr) return;

  struct Share {
    const char* account;
    double rate;
  };
  std::vector<Share> shares;
  double totalRate = 0;
  char side;
  if (purchasing_) {
    if (!records::IsBlank(tax->purchasingAccount.account))
      shares.push_back({tax->purchasingAccount.account, tax->purchasingAccount.rate});
    totalRate = tax->purchasingRate;
    side = header_.typeLetter == 'I' ? 'D' : 'C';
  } else {
    for (const records::TaxAccount& a : tax->billingAccounts)
      if (!records::IsBlank(a.account)) shares.push_back({a.account, a.rate});
    totalRate = tax->billingRate;
    side = header_.typeLetter == 'I' ? 'C' : 'D';
  }
  if (t < 0) {
    t = -t;
    side = Other(side);
  }
  if (shares.empty()) return;
  const char* text = Text("Billing Summary  - Tax", "PO Summary - Tax");
  const double base = totalRate == 0 ? 0.0 : NumRound(t / (totalRate / 100.0), 2);
  // The last account of a rate takes what makes the lines sum to the tax,
  // wherever accounts of rate 0 stand after it.
  std::size_t last = shares.size();
  for (std::size_t i = 0; i < shares.size(); ++i)
    if (shares[i].rate != 0) last = i;
  double sum = 0;
  for (std::size_t i = 0; i < shares.size(); ++i) {
    if (shares[i].rate == 0) continue;
    double amount = NumRound(base * shares[i].rate / 100.0, 2);
    if (i == last) amount = NumRound(amount + (t - NumRound(sum + amount, 2)), 2);
    sum = NumRound(sum + amount, 2);
    Add(shares[i].account, text, side, amount);
  }
  if (NumIsZero(sum)) Add(shares.front().account, text, side, t);
}

void BiPoLedgerLines::PaymentAndFreight() {
  const double paid = header_.amountPaid;
  if (!NumIsZero(paid)) {
    if (purchasing_) {
      AddToDistSlot(&slots_, 'D', paid, PartySlot());
      AddToDistSlot(&slots_, 'C', paid, kSlotCash);
    } else {
      AddToDistSlot(&slots_, 'D', paid, kSlotCash);
      AddToDistSlot(&slots_, 'C', paid, kSlotParty);
    }
  }
  const double freight = header_.freight;
  if (purchasing_ || NumIsZero(freight)) return;
  const bool invoice = kind_ == kBiPoInvoice;
  booked_ += freight;
  AddToDistSlot(&slots_, invoice ? 'C' : 'D', freight, kSlotFreight);
  AddToDistSlot(&slots_, invoice ? 'D' : 'C', freight, kSlotParty);
}

void BiPoLedgerLines::Summary() {
  // A blank payment account is the interface's cash account.
  const char* cash = Blank(header_.paymentAccount, sizeof header_.paymentAccount) ? iface_.cashAccount
                                                                                   : header_.paymentAccount;
  AddSlot(kSlotCash, cash, "Billing Summary  - PMT");
  AddSlot(kSlotFreight, iface_.freightAccount, "Billing Summary  - FRT");
  const char* summary = Text("Billing Summary", "Purchase Order Summary");
  if (PartySlot() == kSlotOffAccount) {
    AddSlot(kSlotOffAccount, header_.offsetAccount, summary);
  } else {
    // The customer's or vendor's own account; one without it takes the
    // interface's receivables or payables account.
    const char* party = partyAccount_[0] != '\0' && !Blank(partyAccount_, sizeof partyAccount_)
                            ? partyAccount_
                            : iface_.Account(purchasing_ ? kPayablesIndex : kReceivablesIndex);
    AddSlot(kSlotParty, party, summary);
  }
  AddSlot(kSlotInventory, slots_.slot[kSlotInventory].account, summary);
  if (purchasing_ || PerItem()) return;
  for (int slot : {kSlotSales, kSlotReturns, kSlotCostOfGoods}) AddSlot(slot, slots_.slot[slot].account, summary);
}

double BiPoLedgerLines::Debits() const {
  double sum = 0;
  for (const GLLine& l : lines_)
    if (l.IsDebit()) sum += l.amount;
  return NumRound(sum, 2);
}

double BiPoLedgerLines::Booked() const { return NumRound(booked_, 2); }

double BiPoLedgerLines::Credits() const {
  double sum = 0;
  for (const GLLine& l : lines_)
    if (!l.IsDebit()) sum += l.amount;
  return NumRound(sum, 2);
}

// --- Removing a transaction ---------------------------------------------------------------------

int PostBiPoTranRemove(int /*mode*/, BtrvHandle headers, BtrvHandle lines, BtrvHandle /*openInvoices*/,
                       BtrvHandle /*products*/, int headerFileNo, int /*reserved*/, const TagBiPoHeader* header,
                       TagPostWork* work, QxOIHeader* /*oiHeader*/) {
  return Guarded(work, headerFileNo, kOpDelete, [&]() -> int {
    Clear(work);
    const int lineFileNo = records::BiPoLineFileOf(headerFileNo);
    if (header == nullptr || lineFileNo == 0 || headerFileNo == records::kFileQuoteHeaders)
      return Fail(work, headerFileNo, kOpDelete, kStatusInvalidOperation);
    SetKey(work, Trim(header->transactionNumber));
    ServiceUnit unit;
    if (int status = unit.Begin(); status != kStatusOk) return Fail(work, 0, kOpBeginTransaction, status);

    int status = kStatusOk;
    {
      BiPoLineWalk walk(lines, headerFileNo, *header);
      BiPoLine line{};
      while ((status = walk.Next(&line)) == kStatusOk) {
        // The walk goes on from the line just deleted.
        if (status = BtrvWriteOp(kOpDelete, lines, nullptr, nullptr, 0); status != kStatusOk)
          return Fail(work, lineFileNo, kOpDelete, status);
      }
      if (status != kStatusEndOfFile) return Fail(work, lineFileNo, walk.Op(), status);
    }
    const std::int32_t part = header->keyPart;
    if (IsWalkedPlace(headers, headerFileNo)) {
      status = BtrvWriteOp(kOpDelete, headers, nullptr, nullptr, 0);
    } else {
      KeyLookup lookup(headers);
      TagBiPoHeader stored{};
      std::string headerKey(16, '\0');
      headerKey[0] = header->typeLetter;
      std::memcpy(headerKey.data() + 1, header->transactionNumber, sizeof header->transactionNumber);
      std::memcpy(headerKey.data() + 12, &part, sizeof part);
      status = lookup.Find(headerKey, &stored);
      if (status != kStatusOk) return Fail(work, headerFileNo, kOpGetEqual, status);
      status = BtrvWriteOp(kOpDelete, headers, nullptr, nullptr, 0);
    }
    if (status != kStatusOk) return Fail(work, headerFileNo, kOpDelete, status);
    if (status = unit.Commit(); status != kStatusOk) return Fail(work, headerFileNo, kOpEndTransaction, status);
    return kStatusOk;
  });
}
