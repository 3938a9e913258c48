// The product activity report (command 354) run through its entry over
// small fixtures, read back from the HTML file it writes or the preview:
// its groups and totals, the unit cost by the costing method, the links to
// the activity detail, the saved run of a screen run, and the runs that are
// refused or stop part way.
#include <algorithm>
#include <string>
#include <vector>

#include "preview_report.h"
#include "product_test_support.h"
#include "reports/inventory/product_activity.h"
#include "reports/inventory/product_activity_detail.h"

namespace producttest {
namespace {

// Print columns: line 1, line 2 and the totals line.
constexpr int kNumberX = 0, kCountX = 29, kUnitCostX = 68;
constexpr int kAmountX[] = {80, 91, 102, 114, 125};  // on hand $, purchases, sales, cost, profit
constexpr int kAmountWidth[] = {10, 10, 11, 10, 10};

// A product with its year's figures; `value` is the whole of them.
Json Stocked(const std::string& number, const std::string& bin, double value, Json extra = Json::object()) {
  Json r = Product(number, "Product " + number,
                   Json{{"bin", bin},
                        {"valueOnHand", value},
                        {"quantityOnHand", 10},
                        {"averageCost", 1.25},
                        {"lastCost", 2.5},
                        {"standardCost", 3.75},
                        {"purchaseDollars", Json::array({0, 0, value / 2})},
                        {"salesDollars", Json::array({0, 0, value * 2})},
                        {"costOfSales", Json::array({0, 0, value / 4})},
                        {"grossProfit", Json::array({0, 0, value * 1.75})}});
  for (auto it = extra.begin(); it != extra.end(); ++it) r[it.key()] = it.value();
  return r;
}

// A printed product: its first line's index and its five amounts as
// printed (cost and profit on line 1, the others on line 2).
struct Printed {
  std::string number;
  int line = -1;
  std::vector<std::string> amounts;
};
struct Activity {
  std::vector<Printed> products;
  struct Total {
    std::string caption;
    int count = 0;
    std::vector<std::string> amounts;
    std::vector<std::string> members;
  };
  std::vector<Total> subtotals;
  Total total;
};

template <class Report>
Activity ActivityOf(const Report& r, const std::vector<std::string>& numbers) {
  Activity a;
  std::vector<std::string> members;
  const int rule = r.Find("--------------------");
  for (int i = rule + 1; rule >= 0 && i < static_cast<int>(r.lines.size()); ++i) {
    const std::string first = r.Cell(i, kNumberX, 20);
    if (std::find(numbers.begin(), numbers.end(), first) != numbers.end()) {
      Printed p{first, i, {}};
      for (int k = 0; k < 5; ++k) p.amounts.push_back(r.Cell(k >= 3 ? i : i + 1, kAmountX[k], kAmountWidth[k]));
      a.products.push_back(p);
      members.push_back(first);
      continue;
    }
    const std::string caption = r.Cell(i, 0, kCountX);
    if (caption.rfind("Subtotal ", 0) != 0 && caption.rfind("Total Products", 0) != 0) continue;
    Activity::Total t{caption, std::stoi(r.Cell(i, kCountX, 8)), {}, members};
    for (int k = 0; k < 5; ++k) t.amounts.push_back(r.Cell(i, kAmountX[k], kAmountWidth[k]));
    if (caption.rfind("Subtotal ", 0) == 0) {
      a.subtotals.push_back(t);
      members.clear();
    } else {
      a.total = t;
    }
  }
  return a;
}

class ActivityTest : public CompanyTest {
 protected:
  Report RunReport(const std::string& params, Run* run = nullptr, const std::string& keys = "") {
    const std::string out = File("activity-" + std::to_string(runs_ + 1) + ".htm");
    const std::string text = params + " output='" + out + "'";
    Run r = RunScripted(keys, [&] { return RunProductActivityReport(text.c_str()); });
    if (run) *run = r;
    return ReadReport(out);
  }
};

double Sum(const std::vector<Printed>& products, int amount) {
  double s = 0;
  for (const Printed& p : products) s += std::stod(p.amounts[static_cast<std::size_t>(amount)]);
  return s;
}

// Sorted by bin: one subtotal per bin, however a product not printed (of
// type 2) stands between the products of a bin; every subtotal and the
// total foot to the lines above them.
TEST_F(ActivityTest, ABinSortSubtotalsEachBinAndTheTotalsFootToTheLines) {
  Add("products", Stocked("P1", "A-01", 10.10));
  Add("products", Stocked("P2", "A-01", 99.99, Json{{"productType", 2}}));
  Add("products", Stocked("P3", "A-01", 20.20));
  Add("products", Stocked("P4", "B-01", 0.05));
  Add("products", Stocked("P5", "B-01", 1234.56));
  Run run;
  const Report r = RunReport("input='default' sortfld='Bin'", &run);
  const Activity a = ActivityOf(r, {"P1", "P2", "P3", "P4", "P5"});
  ASSERT_EQ(4u, a.products.size()) << run.transcript;
  ASSERT_EQ(2u, a.subtotals.size()) << r.html;
  EXPECT_EQ("Subtotal A-01", a.subtotals[0].caption);
  EXPECT_EQ((std::vector<std::string>{"P1", "P3"}), a.subtotals[0].members);
  EXPECT_EQ(2, a.subtotals[0].count);
  EXPECT_EQ("Subtotal B-01", a.subtotals[1].caption);
  EXPECT_EQ(2, a.subtotals[1].count);
  EXPECT_EQ(4, a.total.count);
  const std::vector<Printed> groups[] = {{a.products[0], a.products[1]}, {a.products[2], a.products[3]}};
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    for (int g = 0; g < 2; ++g)
      EXPECT_NEAR(Sum(groups[g], k), std::stod(a.subtotals[static_cast<std::size_t>(g)].amounts[k]), 0.001);
    EXPECT_NEAR(Sum(a.products, k), std::stod(a.total.amounts[static_cast<std::size_t>(k)]), 0.001);
  }
  // Sorted by number: no subtotal.
  const Activity plain = ActivityOf(RunReport("input='default'"), {"P1", "P3", "P4", "P5"});
  EXPECT_TRUE(plain.subtotals.empty());
  EXPECT_EQ(4, plain.total.count);
}

TEST_F(ActivityTest, TheUnitCostIsTheCostTheCostingMethodNames) {
  Add("products", Stocked("P1", "A-01", 10));
  const struct {
    const char* method;
    const char* cost;
  } cases[] = {{"A", "1.2500"}, {"L", "2.5000"}, {"S", "3.7500"}, {"X", "3.7500"}};
  for (const auto& c : cases) {
    fixture_["files"]["settings"] = Json::array({Json{{"key", "0SysPrefs"}, {"costingMethod", c.method}}});
    WriteCompany();
    const Report r = RunReport("input='default'");
    const int line = r.Find("P1 ");
    ASSERT_NE(-1, line) << c.method;
    EXPECT_EQ(c.cost, r.Cell(line + 1, kUnitCostX, 10)) << "costing " << c.method;
  }
}

// The product's number and description open its screen; its figures open
// the activity detail of that product alone, type-2 products kept as the
// run keeps them.
TEST_F(ActivityTest, TheFiguresLinkToTheDetailOfThatProductAlone) {
  Add("products", Stocked("P1", "A-01", 10));
  Add("products", Stocked("P2", "A-01", 20, Json{{"productType", 2}}));
  Add("products", Stocked("P3", "A-01", 30));
  const Report r = RunReport("input='default' incnoinv='1'");
  const int line = r.Find("P2 ");
  ASSERT_NE(-1, line);
  int toScreen = 0, toDetail = 0;
  std::string detail;
  for (int i : {line, line + 1}) {
    for (const Report::Link& l : r.LinksOn(i)) {
      if (l.command == 250) {
        ++toScreen;
        EXPECT_EQ("cdno='P2'", l.params);
      } else {
        ++toDetail;
        EXPECT_EQ(359, l.command);
        EXPECT_EQ(2, l.kind);
        detail = l.params;
      }
    }
  }
  EXPECT_EQ(2, toScreen);
  EXPECT_GE(toDetail, 10);
  EXPECT_EQ("input='default' psbeg='P2' psend='P2' incnoinv='1'", detail);
  const std::string out = File("linked.htm");
  const std::string text = detail + " output='" + out + "'";
  RunScripted("", [&] { return RunProductActivityDetail(text.c_str()); });
  const Report linked = ReadReport(out);
  EXPECT_NE(-1, linked.Find("    P2 ")) << linked.html;
  EXPECT_EQ(-1, linked.Find("    P1 "));
  EXPECT_EQ(-1, linked.Find("    P3 "));
}

// A screen run with "No" in the type-2 field: its saved run keeps the
// products of type 2 and gives the same report again.
TEST_F(ActivityTest, TheSavedRunOfAScreenRunGivesTheSameReport) {
  Add("products", Stocked("P1", "A-01", 10));
  Add("products", Stocked("P2", "B-01", 20, Json{{"productType", 2}}));
  // Sort by bin (fourth choice); field 27 "No" (the cursor reaches it after
  // the two pairs and the rank field).
  Run run;
  const Report first = RunReport("input='screen'", &run, "Space Space Space Down Down Down Down Down Down Space F10");
  ASSERT_FALSE(first.Empty()) << run.transcript;
  ASSERT_EQ(354, first.savedRun.command);
  EXPECT_EQ(
      "input='usersel' sortfld='Bin' sortfrom='' sortto='' rankfld='Product Number' rankfrom='' rankto='' "
      "incnoinv='1'",
      first.savedRun.params);
  const std::string saved = first.savedRun.params;
  const Run again = RunScripted("Esc", [&] { return RunProductActivityReport(saved.c_str()); });
  const PreviewReport preview = ReadPreview(again.transcript, "Product Activity");
  ASSERT_TRUE(preview.shown) << again.transcript;
  const Activity a = ActivityOf(first, {"P1", "P2"}), b = ActivityOf(preview, {"P1", "P2"});
  ASSERT_EQ(2u, a.products.size());
  ASSERT_EQ(2u, b.products.size());
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(first.lines[static_cast<std::size_t>(a.products[i].line)],
              preview.lines[static_cast<std::size_t>(b.products[i].line)]);
    EXPECT_EQ(a.products[i].amounts, b.products[i].amounts);
  }
  EXPECT_EQ(a.total.amounts, b.total.amounts);
}

TEST_F(ActivityTest, AParameterStringThatCannotBeUsedRunsNothing) {
  Add("products", Stocked("P1", "A-01", 10));
  for (const char* params : {"input='default' sortfld='Shoe Size'", "input='default' rankfld='Transaction Date'"}) {
    Run run;
    const Report r = RunReport(params, &run);
    EXPECT_EQ(std::vector<int>{2001}, run.messages) << params;
    EXPECT_TRUE(r.Empty()) << params;
  }
}

// A failing read of the product walk: the error box once, the "incomplete"
// line, no subtotal or total; nothing printed and a user break say so too.
TEST_F(ActivityTest, AWalkThatStopsPrintsNoTotals) {
  Add("products", Stocked("P1", "A-01", 10));
  Add("products", Stocked("P2", "A-01", 20));
  Add("products", Stocked("P3", "B-01", 30));
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:products:2:2"));
  const Run failed = RunScripted("Esc", [&] { return RunProductActivityReport("input='default'"); });
  const PreviewReport p = ReadPreview(failed.transcript, "Product Activity");
  ASSERT_TRUE(p.shown) << failed.transcript;
  EXPECT_TRUE(p.Contains("The report is incomplete"));
  EXPECT_FALSE(p.Contains("Subtotal"));
  EXPECT_FALSE(p.Contains("Total Products"));
  BtrvTestSwitch("");

  Run none;
  const Report nothing = RunReport("input='default' sortfld='Bin' sortfrom='X'", &none);
  EXPECT_EQ(std::vector<int>{197}, none.messages);
  EXPECT_TRUE(nothing.Empty());

  const Run stopped = RunScripted("Break Esc", [&] { return RunProductActivityReport("input='default'"); });
  const PreviewReport s = ReadPreview(stopped.transcript, "Product Activity");
  EXPECT_FALSE(s.Contains("Total Products")) << stopped.transcript;
}

// Every value stands whole in its own column: a description of 30
// characters stops before the warehouse, numbers too wide show '*'.
TEST_F(ActivityTest, NoValueOverwritesAnother) {
  // The largest amount the system holds, too wide for the value's column;
  // the year's figures kept within the bound.
  Add("products", Stocked("P1", "BIN-7890", 9999999999.99,
                          Json{{"salesDollars", Json::array({0, 0, 1})},
                               {"grossProfit", Json::array({0, 0, 1})},
                               {"description", "Description of thirty chars xx"},
                               {"warehouse", "WHS"},
                               {"quantityOnHand", 9999999999.99},
                               {"department", "DEPT5"},
                               {"vendor", "VENDOR-789"}}));
  const Report r = RunReport("input='default'");
  const int line = r.Find("P1 ");
  ASSERT_NE(-1, line);
  EXPECT_EQ("Description of thirty chars", r.Cell(line + 1, 0, 28));
  EXPECT_EQ("WHS", r.Cell(line + 1, 28, 5));
  EXPECT_EQ("VENDOR-789", r.Cell(line, 37, 10));
  // The quantity is too wide for its column: '*' across it.  The value is
  // an amount, which the HTML file shows whole (its column widened), never
  // rounded.
  const std::string& first = r.lines[static_cast<std::size_t>(line)];
  const std::string& second = r.lines[static_cast<std::size_t>(line + 1)];
  EXPECT_NE(std::string::npos, first.find(" ********** ")) << first;
  EXPECT_NE(std::string::npos, second.find(" 9999999999.99 ")) << second;
}

}  // namespace
}  // namespace producttest
