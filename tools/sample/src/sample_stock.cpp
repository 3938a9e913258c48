// The sample company's older stock activity: months of posted history of
// the named products, before the weeks AddInventoryHistory covers, with a
// record of every source a product's stock moves by (setup, purchase
// receipts with their receipt numbers and returns, invoices and sales
// returns, entered adjustments of each kind that moves stock or value, and
// the other programs' letters).
#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "builder.h"
#include "records/dictionary.h"

namespace sample {
namespace {

// The kinds of entered adjustment ('T'): quantity in (1), transfers out and
// in (2, 6), quantity out (5), value up and down (7, 8).
constexpr char kAdjustmentKinds[] = {'1', '2', '5', '6', '7', '8'};
// The letters of the other programs and counts that move stock: converted
// data, physical inventory, job cost, remote stores, order entry, point of
// sale.
constexpr char kOtherSources[] = {'C', 'I', 'J', 'L', 'O', 'P'};

// A document number (at most 10 characters) and a purchase receipt's
// number after it, as the source-document field holds them: the number
// NUL-ended in its 11 bytes, the receipt number's digits in the last 4.
fixture::Json ReceiptDocument(const std::string& document, int receipt) {
  std::string bytes(15, '\0');
  bytes.replace(0, document.size(), document);
  const std::string digits = std::to_string(receipt);
  bytes.replace(11, digits.size(), digits);
  std::string hex;
  for (unsigned char c : bytes) hex += fmt::format("{:02x}", c);
  return fixture::Json{{"hex", hex}};
}

}  // namespace

void Builder::AddPostedActivity(Product& p, long number, std::int32_t date, char kind, char source, char second,
                                double quantity, double unitCost, double extended, const Json& document,
                                const std::string& reference) {
  Add(records::kFileInventoryTransactions, Json{{"productCode", p.number},
                                                {"transactionNumber", TranNo(number)},
                                                {"activityFlag", "P"},
                                                {"periodKey", PeriodKey(date)},
                                                {"date", DateText(date)},
                                                {"kind", std::string(1, kind)},
                                                {"source", std::string(1, source)},
                                                {"secondSource", std::string(1, second)},
                                                {"sourceTransaction", document},
                                                {"reference", reference},
                                                {"department", p.department},
                                                {"quantity", quantity},
                                                {"unitCost", unitCost},
                                                {"extendedAmount", extended},
                                                {"salesUnitFactor", p.salesFactor},
                                                {"unitDivisor", p.purchaseFactor},
                                                {"formattedQuantity", quantity},
                                                {"warehouse", p.warehouse},
                                                {"glAccount", acct::kInventory},
                                                {"postedFlag", "Y"}});
  p.historyQuantity += quantity;
  p.historyValue = Cents(p.historyValue + extended);
}

void Builder::AddActivityHistory() {
  const std::size_t named = std::min<std::size_t>(products_.size(), 22);
  long document = 6000;
  int index = 0;
  for (std::size_t i = 0; i < named; ++i) {
    Product& p = products_[i];
    if (p.type == 2 || p.assembly) continue;
    const double unit = p.purchaseFactor;  // stock units in one purchase unit
    const double cost = p.averageCost;
    double net = 0;
    auto add = [&](int daysBack, char source, char kind, double quantity, double value, const fixture::Json& doc,
                   const std::string& reference) {
      AddPostedActivity(p, ++document, Day(daysBack), kind, source, source == 'T' ? 'A' : 'I', quantity, cost,
                        Cents(value), doc, reference);
      net += quantity;
    };
    auto moved = [&](double purchaseUnits) { return Cents(purchaseUnits * cost); };
    const int step = index++;
    add(210 - step, 'U', '1', 4 * unit, moved(4), "SETUP", "Setup");
    add(180 - step, 'M', '1', 3 * unit, moved(3), ReceiptDocument(fmt::format("PO{}", 6100 + step), 1 + step % 3),
        "Receipt");
    add(176 - step, 'R', '5', -unit, -moved(1), fmt::format("PR{}", 6100 + step), "Return");
    add(150 - step, 'B', '5', -3 * unit, -moved(3), std::to_string(21000 + step), "Invoice");
    add(146 - step, 'S', '1', unit, moved(1), std::to_string(21500 + step), "Returned");
    const char kind = kAdjustmentKinds[static_cast<std::size_t>(step) % std::size(kAdjustmentKinds)];
    switch (kind) {
      case '1': case '6': add(130 - step, 'T', kind, unit, moved(1), "", "Found"); break;
      case '2': case '5': add(130 - step, 'T', kind, -unit, -moved(1), "", "Moved"); break;
      case '7': add(130 - step, 'T', kind, 0, moved(0.5), "", "Revalued"); break;
      default: add(130 - step, 'T', kind, 0, -moved(0.5), "", "Revalued"); break;
    }
    // The other sources bring the months back to what the product held
    // before them, so that its history still starts from what it has.
    const char other = kOtherSources[static_cast<std::size_t>(step) % std::size(kOtherSources)];
    add(120 - step, other, net > 0 ? '5' : '1', -net, -net / unit * cost, fmt::format("{}{}", other, 6200 + step),
        "Counted");
  }
}

}  // namespace sample

namespace sample {
namespace {

// A master item and the products that stand for it: the A4 paper of the
// main and the west store, the pens of the main store by colour, the
// markers of one store; the desk lamp has none yet.
struct MasterItemLine {
  const char* code;
  const char* description;
  const char* bin;
  const char* department;
  const char* vendor;
  const char* products[2];
};
constexpr MasterItemLine kMasterItems[] = {
    {"LAMP-DESK", "Desk lamp, LED", "E-09", "OF", "HARDLINE", {nullptr, nullptr}},
    {"PAPER-A4", "Copy paper A4, 500 sheets", "A-01", "OF", "PAPERMILL", {"PAP-A4-500", "PAP-A4-WST"}},
    {"PENS-12", "Ballpoint pens, box 12", "B-03", "OF", "INKWELL", {"PEN-BLK-12", "PEN-BLU-12"}},
    {"WB-MARKERS", "Whiteboard markers", "B-04", "OF", "INKWELL", {"MRK-WB-4", nullptr}},
};

}  // namespace

void Builder::AddMasterItems() {
  for (const MasterItemLine& m : kMasterItems) {
    bool any = m.products[0] == nullptr;
    for (const char* number : m.products) any = any || (number && FindProduct(number));
    if (!any) continue;
    Add(records::kFileMasterItems, Json{{"code", m.code},
                                        {"description", m.description},
                                        {"bin", m.bin},
                                        {"department", m.department},
                                        {"vendor", m.vendor}});
    for (const char* number : m.products)
      if (number && FindProduct(number))
        Add(records::kFileMasterItemMembers, Json{{"masterItem", m.code}, {"productNumber", number}});
  }
}

void Builder::AddBillingCodes(Json* record, const Party& party, bool customer, int index) {
  // Most accounts are billed the state tax; every fifth is exempt, the
  // walk-in trade pays the city's.
  (*record)["taxCode"] = party.accountType == 'C' ? "CT" : index % 5 == 4 ? "EX" : "ST";
  if (customer) (*record)["messageCode"] = party.accountType == 'B' ? "PAST" : "THANK";
}

void Builder::AddSaleFlags(Json* record, const Product& product) {
  (*record)["commissionable"] = product.type == 2 ? "N" : "Y";
  // Tools carry serial numbers; what the vendor numbers is recalled by both.
  (*record)["serialized"] = product.department == "WS" && product.purchaseFactor == 1 ? "Y" : "N";
  (*record)["recallBy"] = product.vendorPartNumber.empty() ? "Y" : "B";
}

void Builder::AddCommission(Json* record, int index) {
  static constexpr double kRates[] = {5.0, 4.5, 6.0, 5.5};
  (*record)["rate"] = kRates[static_cast<std::size_t>(index) % std::size(kRates)];
  (*record)["amount"] = index % 2 == 0 ? 25.0 : 0.0;
}

}  // namespace sample
