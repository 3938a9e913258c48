// The product alert report (command 355) run on key scripts over the sample
// company and small fixtures, read back from the preview: exactly the
// products at or under their minimum once what is committed is taken off,
// how far under, what is on order, the reorder and its cost, the counts and
// amounts per group and in total, and the ways a run ends early.
//
// The selection screen's fields in cursor order: 1 sort field, 2/3 its
// range, 14 rank field, 15/16 its range.  Sort choices: Product Number,
// Description, G/L Department, Bin, Vendor, Warehouse.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "records/dictionary.h"
#include "records/masters.h"
#include "reports/inventory/product_alert.h"
#include "stock_reports_support.h"

namespace producttest {
namespace {

constexpr int kCountX = 30, kAmountX = 125;

class AlertTest : public StockReportTest {
 protected:
  Run Alert(const std::string& keys) { return Scripted(keys, [] { return RunProductAlertReport(); }); }
};

// One listed product as printed: the cells of its two lines.
struct AlertRow {
  std::string number, department, warehouse, bin, vendor, measure, available, minimum, under, onOrder, reorder,
      price, amount, description, fraction;
};
struct Alerts {
  std::vector<AlertRow> rows;
  std::vector<std::pair<std::string, std::string>> subtotals;  // "caption count", amount
  std::string total, totalAmount;
  std::vector<std::string> Numbers() const {
    std::vector<std::string> out;
    for (const AlertRow& r : rows) out.push_back(r.number);
    return out;
  }
  const AlertRow* Find(const std::string& number) const {
    for (const AlertRow& r : rows)
      if (r.number == number) return &r;
    return nullptr;
  }
};

Alerts AlertsOf(const PreviewReport& r) {
  Alerts a;
  const int rule = r.Find("------");
  for (int i = rule + 1; rule >= 0 && i < static_cast<int>(r.lines.size()); ++i) {
    const std::string caption = r.Cell(i, 0, kCountX);
    if (caption.rfind("Subtotal ", 0) == 0) {
      a.subtotals.emplace_back(caption + " " + r.Cell(i, kCountX, 8), r.Cell(i, kAmountX, 10));
    } else if (caption.rfind("Total Products", 0) == 0) {
      a.total = r.Cell(i, kCountX, 8);
      a.totalAmount = r.Cell(i, kAmountX, 10);
    } else if (!r.Cell(i, 60, 10).empty() && i + 1 < static_cast<int>(r.lines.size())) {
      AlertRow row{r.Cell(i, 0, 14),   r.Cell(i, 18, 5),   r.Cell(i, 24, 5),    r.Cell(i, 30, 8),
                   r.Cell(i, 39, 10),  r.Cell(i, 50, 9),   r.Cell(i, 60, 10),   r.Cell(i, 72, 8),
                   r.Cell(i, 81, 10),  r.Cell(i, 92, 10),  r.Cell(i, 103, 10),  r.Cell(i, 114, 10),
                   r.Cell(i, 125, 10), r.Cell(i + 1, 0, 30), r.Cell(i + 1, 50, 9)};
      a.rows.push_back(row);
      ++i;
    }
  }
  return a;
}

// --- The sample company -------------------------------------------------------------------

// The sample's toner, drill, screws and gloves are at or under their
// minimum once what is committed is taken off; nothing else is.
TEST_F(AlertTest, TheSampleListsExactlyTheProductsAtOrUnderTheirMinimum) {
  LoadSampleCompany();
  const Run run = Alert("F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Product Alert");
  ASSERT_TRUE(r.shown) << run.transcript;
  EXPECT_TRUE(r.Contains("Product Alert Report"));
  EXPECT_TRUE(r.Contains("Buy Meas."));
  const Alerts a = AlertsOf(r);
  EXPECT_EQ((std::vector<std::string>{"DRL-18V", "GLV-NIT-100", "SCR-ASST-200", "TNR-LJ-85A"}), a.Numbers())
      << run.transcript;

  // The same set by the rule, from the records as stored: available (on
  // hand less committed, in selling units) at or under the minimum, a
  // minimum or a reorder quantity, not a non-inventory product.
  std::vector<std::string> byRule;
  for (const records::TagProduct& p : SampleProducts()) {
    const double available = (p.quantityOnHand - p.secondQuantityOnHand) / p.salesUnitFactor;
    if (available <= p.minimumQuantity && (p.minimumQuantity != 0 || p.reorderQuantity != 0) &&
        p.productType != 2)
      byRule.push_back(qxtest::Trim(std::string(p.number, strnlen(p.number, sizeof p.number))));
  }
  std::sort(byRule.begin(), byRule.end());
  EXPECT_EQ(byRule, a.Numbers());

  // Toner: 12 on hand, 2 committed, minimum 15: 5 under; 8 on order of a
  // reorder of 20 leaves 12 to order at 48.00.
  const AlertRow* toner = a.Find("TNR-LJ-85A");
  ASSERT_NE(nullptr, toner);
  EXPECT_EQ("10.00", toner->available);
  EXPECT_EQ("15", toner->minimum);
  EXPECT_EQ("5.0", toner->under);
  EXPECT_EQ("8.0000", toner->onOrder);
  EXPECT_EQ("12.0000", toner->reorder);
  EXPECT_EQ("48.0000", toner->price);
  EXPECT_EQ("576.00", toner->amount);
  EXPECT_EQ("Laser toner cartridge 85A", toner->description);
  EXPECT_EQ("INKWELL", toner->vendor);
  // Screws: 36 on hand less 24 committed is exactly the minimum of 12: listed,
  // none under; 30 on order is more than the reorder of 4 boxes of 6.
  const AlertRow* screws = a.Find("SCR-ASST-200");
  ASSERT_NE(nullptr, screws);
  EXPECT_EQ("12.00", screws->available);
  EXPECT_EQ("0.0", screws->under);
  EXPECT_EQ("5", screws->onOrder);
  EXPECT_EQ("0", screws->reorder) << "never a negative reorder";
  EXPECT_EQ("0.00", screws->amount);
  EXPECT_EQ("6", screws->fraction);
  // Gloves, bought in boxes of 10: 5 boxes to reorder less 25 gloves on
  // order is 2 boxes and 5 gloves, which cost 2.5 × 65.00.
  const AlertRow* gloves = a.Find("GLV-NIT-100");
  ASSERT_NE(nullptr, gloves);
  EXPECT_EQ("2 5/10", gloves->onOrder);
  EXPECT_EQ("2 5/10", gloves->reorder);
  EXPECT_EQ("162.50", gloves->amount);
  const AlertRow* drill = a.Find("DRL-18V");
  ASSERT_NE(nullptr, drill);
  EXPECT_EQ("384.00", drill->amount);

  EXPECT_EQ("4", a.total);
  EXPECT_EQ("1122.50", a.totalAmount) << "576.00 + 162.50 + 0.00 + 384.00";
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
}

TEST_F(AlertTest, ByVendorOnlyGroupsWithListedProductsHaveASubtotal) {
  LoadSampleCompany();
  // Sort by vendor (fifth choice).
  const Run run = Alert("Space Space Space Space F10 Esc");
  const Alerts a = AlertsOf(ReadPreview(run.transcript, "Product Alert"));
  EXPECT_EQ((std::vector<std::string>{"GLV-NIT-100", "DRL-18V", "SCR-ASST-200", "TNR-LJ-85A"}), a.Numbers())
      << run.transcript;
  // PAPERMILL's products are all well stocked: no subtotal for it.
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Subtotal CLEANPRO: 1", "162.50"}, {"Subtotal HARDLINE: 2", "384.00"}, {"Subtotal INKWELL: 1", "576.00"}};
  EXPECT_EQ(expected, a.subtotals) << run.transcript;
  EXPECT_EQ("4", a.total);
  EXPECT_EQ("1122.50", a.totalAmount);
}

// --- The rule, product by product ------------------------------------------------------------

TEST_F(AlertTest, TheRuleListsWhatIsAtOrUnderItsMinimumAndNothingElse) {
  const struct {
    const char* number;
    Json fields;
    bool listed;
    const char* under;
    const char* reorder;
    const char* amount;
  } cases[] = {
      {"EQUAL", Json{{"quantityOnHand", 10}, {"minimumQuantity", 10}, {"reorderQuantity", 5}, {"lastCost", 2.0}},
       true, "0.0", "5.0000", "10.00"},
      {"ABOVE", Json{{"quantityOnHand", 11}, {"minimumQuantity", 10}, {"reorderQuantity", 5}}, false, "", "", ""},
      // Neither a minimum nor a reorder quantity: never listed, even short.
      {"NOMINIMUM", Json{{"quantityOnHand", -4}}, false, "", "", ""},
      // A reorder quantity alone lists a product with nothing available.
      {"REORDERONLY", Json{{"quantityOnHand", 0}, {"reorderQuantity", 3}, {"lastCost", 1.5}}, true, "0.0",
       "3.0000", "4.50"},
      {"NEGATIVE", Json{{"quantityOnHand", -2}, {"reorderQuantity", 3}}, true, "2.0", "3.0000", "0.00"},
      // Non-inventory products carry no stock.
      {"SERVICE", Json{{"productType", 2}, {"quantityOnHand", 0}, {"minimumQuantity", 5}}, false, "", "", ""},
      // Sold by the dozen: 30 units less 6 committed is 2 dozen.
      {"DOZENS", Json{{"salesUnitFactor", 12}, {"quantityOnHand", 30}, {"secondQuantityOnHand", 6},
                      {"minimumQuantity", 3}, {"reorderQuantity", 1}, {"lastCost", 10.0}},
       true, "1.0", "1.0000", "10.00"},
      // More on order than the reorder quantity.
      {"ORDERED", Json{{"quantityOnHand", 1}, {"minimumQuantity", 4}, {"reorderQuantity", 2},
                       {"quantityOnOrder", 5}, {"lastCost", 3.0}},
       true, "3.0", "0.0000", "0.00"},
  };
  Json products = Json::array();
  for (const auto& c : cases) products.push_back(Product(c.number, std::string("Case ") + c.number, c.fields));
  LoadFixture(Json{{"files", {{"products", products}}}});
  const Run run = Alert("F10 Esc");
  const Alerts a = AlertsOf(ReadPreview(run.transcript, "Product Alert"));
  int listed = 0;
  for (const auto& c : cases) {
    const AlertRow* row = a.Find(c.number);
    EXPECT_EQ(c.listed, row != nullptr) << c.number << "\n" << run.transcript;
    if (row == nullptr || !c.listed) continue;
    ++listed;
    EXPECT_EQ(c.under, row->under) << c.number;
    EXPECT_EQ(c.reorder, row->reorder) << c.number;
    EXPECT_EQ(c.amount, row->amount) << c.number;
  }
  EXPECT_EQ(std::to_string(listed), a.total);
  EXPECT_EQ("24.50", a.totalAmount) << "10.00 + 4.50 + 0.00 + 10.00 + 0.00";
}

TEST_F(AlertTest, NothingListedAUserBreakAndARecordManagerErrorEndCleanly) {
  // Everything well stocked: every product is read, none listed.
  LoadFixture(Json{{"files",
                    {{"products", Json::array({Product("A1", "Plenty", Json{{"quantityOnHand", 50},
                                                                           {"minimumQuantity", 5}}),
                                               Product("B1", "Also plenty", Json{{"quantityOnHand", 9},
                                                                                {"minimumQuantity", 8}})})}}}});
  const Run nothing = Alert("F10");
  EXPECT_EQ(std::vector<int>{197}, nothing.messages) << nothing.transcript;
  EXPECT_EQ(std::string::npos, nothing.transcript.find("preview:"));
  ExpectReleased(records::kFileProducts);

  LoadSampleCompany();
  const Run stopped = Alert("Space Space Space F10 Break");
  EXPECT_TRUE(ReadPreview(stopped.transcript, "Product Alert").Contains("stopped by the user"))
      << stopped.transcript;
  ExpectReleased(records::kFileProducts);

  ASSERT_EQ(0, BtrvTestSwitch("fail=6:products:3:2"));
  const Run failed = Alert("F10 Esc");
  BtrvTestSwitch("");
  EXPECT_NE(std::string::npos, failed.transcript.find("products")) << failed.transcript;
  const PreviewReport f = ReadPreview(failed.transcript, "Product Alert");
  EXPECT_TRUE(f.Contains("report is incomplete")) << failed.transcript;
  EXPECT_EQ("", AlertsOf(f).total) << "no total under an incomplete report";
  ExpectReleased(records::kFileProducts);
}

}  // namespace
}  // namespace producttest
