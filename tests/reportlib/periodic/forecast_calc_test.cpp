// Forecast calculation (commands 367, 372, 382): the four methods as a
// table of cases, then the screens driven by key scripts over the company
// of fixtures/forecast.json: exactly the records of the range get a new
// forecast (slot 3 of every group) and no other byte changes; the refusals
// write nothing; a record-manager failure anywhere in the run leaves every
// record as it was.
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/forecast_calc.h"
#include "periodic/statistics_groups.h"
#include "qxabase/app_block.h"
#include "qxtest/company_test.h"
#include "qxtest/transcript.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace {

using Image = std::vector<std::uint8_t>;
using periodic::GroupKind;

constexpr int kCustomers = records::kFileCustomers;
constexpr int kVendors = records::kFileVendors;
constexpr int kProducts = records::kFileProducts;
constexpr int kServices = records::kFileServices;

// --- The methods ---------------------------------------------------------------------------

struct CountCase {
  const char* name;
  int method;
  double percent;
  std::int32_t s0, s1, s2, s3;
  std::int32_t expected;
};

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

const CountCase kCounts[] = {
    {"previous year", 1, 0, 5, 10, 15, 99, 15},
    {"10 % of 15 adds 1.5, truncated", 2, 10, 0, 0, 15, 0, 16},
    {"10 % of -15 takes 1.5 off, truncated toward zero", 2, 10, 0, 0, -15, 0, -16},
    {"1.1 % of 1,000 is 11, not a hair under", 2, 1.1, 0, 0, 1000, 0, 1011},
    {"0.29 % of 10,000 is 29", 2, 0.29, 0, 0, 10000, 0, 10029},
    {"0.7 % of 1,000 is 7", 2, 0.7, 0, 0, 1000, 0, 1007},
    {"a negative percentage lowers", 2, -7.5, 0, 0, 200, 0, 185},
    {"trend: this year's change added", 3, 0, 0, 10, 20, 0, 30},
    {"trend never below 0", 3, 0, 0, 50, 20, 0, 0},
    {"trend line 1, 1, 2", 4, 0, 1, 1, 2, 0, 2},
    {"trend line may go below 0", 4, 0, 100, 10, 10, 0, -50},
    {"trend line's mean truncates toward zero", 4, 0, -1, -1, -2, 0, -2},
    {"an unknown method leaves the forecast", 5, 0, 1, 2, 3, 99, 99},
    {"a share past the int32 range is held at its end", 2, 10, 0, 0, kMax, 0, kMax},
    {"a trend past the int32 range is held at its end", 3, 0, 0, -kMax, kMax, 0, kMax},
};

TEST(ForecastMethods, CountGroups) {
  for (const CountCase& c : kCounts) {
    SCOPED_TRACE(c.name);
    const std::int32_t slots[4] = {c.s0, c.s1, c.s2, c.s3};
    EXPECT_EQ(ForecastCount(c.method, c.percent, slots), c.expected);
  }
}

struct AmountCase {
  const char* name;
  int method;
  double percent;
  GroupKind kind;
  double s0, s1, s2, s3;
  double expected;
};

const AmountCase kAmounts[] = {
    {"previous year", 1, 0, GroupKind::kDollars, 5, 10, 15, 0, 15},
    {"10 % of 1,000 units is exactly 100", 2, 10, GroupKind::kUnits, 0, 0, 1000, 0, 1100},
    {"dollars to the cent: 7.5 % of 123.45", 2, 7.5, GroupKind::kDollars, 0, 0, 123.45, 0, 132.71},
    {"units keep what the share gives", 2, 7.5, GroupKind::kUnits, 0, 0, 123.45, 0, 132.70875},
    // Dollars are stored to the cent even where the slot before holds less.
    {"previous year in dollars, to the cent", 1, 0, GroupKind::kDollars, 0, 0, 100.125, 0, 100.13},
    {"-12.5 % in dollars, to the cent", 2, -12.5, GroupKind::kDollars, 0, 0, 100.125, 0, 87.61},
    {"-12.5 % in units, as computed", 2, -12.5, GroupKind::kUnits, 0, 0, 100.125, 0, 87.609375},
    {"a share is taken to 6 decimals", 2, 1.1, GroupKind::kUnits, 0, 0, 0.123456, 0, 0.124814},
    {"trend", 3, 0, GroupKind::kDollars, 0, 10, 20, 0, 30},
    {"trend clamped at 0", 3, 0, GroupKind::kUnits, 0, 50.5, 20, 0, 0},
    {"trend line in dollars, to the cent", 4, 0, GroupKind::kDollars, 1, 1, 2, 0, 2.33},
    {"trend line in units, as computed", 4, 0, GroupKind::kUnits, 1, 1, 2, 0, 1 + 4.0 / 3.0},
    {"trend line may go below 0", 4, 0, GroupKind::kDollars, 100, 10, 10, 0, -50},
    {"an unknown method leaves the forecast", 0, 0, GroupKind::kDollars, 1, 2, 3, 4.567, 4.567},
};

TEST(ForecastMethods, DoubleGroups) {
  for (const AmountCase& c : kAmounts) {
    SCOPED_TRACE(c.name);
    const double slots[4] = {c.s0, c.s1, c.s2, c.s3};
    EXPECT_EQ(ForecastAmount(c.method, c.percent, slots, c.kind), c.expected);
  }
}

// --- The screens ---------------------------------------------------------------------------

// The keys of a screen: a choice moved `steps` entries on and left.
std::string Choose(int steps) {
  std::string keys;
  for (int i = 0; i < steps; ++i) keys += "Space ";
  return keys + "Enter";
}
std::string Typed(const std::string& text) { return text.empty() ? "" : "\"" + text + "\" "; }

// What a run chooses, in the order of the screen's fields.
struct Selection {
  int method = 1;
  std::string percent;  // typed when the method is 2
  int order = 1;
  std::string from, to;
};

std::string Keys(const Selection& s) {
  std::string keys = Choose(s.method - 1) + " ";
  if (s.method == 2) keys += Typed(s.percent) + "Enter ";
  keys += Choose(s.order - 1) + " " + Typed(s.from) + "Enter " + Typed(s.to) + "F10";
  return keys;
}

class ForecastCalcTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    LoadFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/forecast.json");
  }

  std::vector<Image> Records(int file) { return Snapshot({file}).files[file]; }

  Run Inventory(const std::string& keys) {
    SharedAppBlockGet()->currentCommand = 382;
    return RunScripted(keys, [] { return RunInventoryForecastCalc(382); });
  }
  Run Products(const Selection& s) { return Inventory("Enter " + Keys(s)); }
  Run Services(const Selection& s) { return Inventory("Space Enter " + Keys(s)); }
  Run CustVend(int command, const std::string& keys) {
    SharedAppBlockGet()->currentCommand = command;
    return RunScripted(keys, [command] { return RunCustVendForecastCalc(command); });
  }

  // `after` is `before` with the records whose codes are `touched` given
  // the forecast of `method` at `percent` in slot 3 of every group, and no
  // other byte changed.
  static void ExpectForecasts(int file, const std::vector<Image>& before, const std::vector<Image>& after,
                              const std::set<std::string>& touched, int method, double percent = 0) {
    const periodic::StatisticsFile& groups = *periodic::StatisticsFileOf(file);
    ASSERT_EQ(after.size(), before.size());
    std::set<std::string> seen;
    for (std::size_t i = 0; i < before.size(); ++i) {
      const std::string code(reinterpret_cast<const char*>(before[i].data()));
      SCOPED_TRACE(code);
      Image expected = before[i];
      if (touched.count(code)) {
        seen.insert(code);
        for (const periodic::StatisticsGroup& g : groups.groups) {
          if (g.IsCount()) {
            std::int32_t slots[4];
            std::memcpy(slots, expected.data() + g.offset, sizeof slots);
            slots[3] = ForecastCount(method, percent, slots);
            std::memcpy(expected.data() + g.offset, slots, sizeof slots);
          } else {
            double slots[4];
            std::memcpy(slots, expected.data() + g.offset, sizeof slots);
            slots[3] = ForecastAmount(method, percent, slots, g.kind);
            std::memcpy(expected.data() + g.offset, slots, sizeof slots);
          }
        }
      }
      EXPECT_EQ(after[i], expected) << (touched.count(code) ? "not forecast as the method says"
                                                            : "a record outside the range was changed");
    }
    EXPECT_EQ(seen, touched);
  }

  template <class T>
  static T Slot(const Image& record, std::size_t offset, int slot) {
    T v{};
    std::memcpy(&v, record.data() + offset + static_cast<std::size_t>(slot) * sizeof v, sizeof v);
    return v;
  }
};

struct RangeCase {
  const char* name;
  bool services;
  Selection selection;
  std::set<std::string> touched;
};

// Method 1 makes each forecast this year's figure, so every group of a
// touched record shows that it was reached.
const RangeCase kRanges[] = {
    {"both ends open: every product", false, {1, "", 1, "", ""}, {"A100", "B200", "C300", "D400", "E500"}},
    {"codes B to D", false, {1, "", 1, "B", "D400"}, {"B200", "C300", "D400"}},
    {"from a code on", false, {1, "", 1, "C", ""}, {"C300", "D400", "E500"}},
    {"up to a code", false, {1, "", 1, "", "b200"}, {"A100", "B200"}},
    {"department ab is AB, in any case", false, {1, "", 2, "ab", "ab"}, {"A100", "C300", "E500"}},
    {"departments up to CD", false, {1, "", 2, "", "CD"}, {"A100", "B200", "C300", "E500"}},
    {"vendor ACME", false, {1, "", 3, "ACME", "ACME"}, {"A100", "C300"}},
    {"bins A-02 to B-01", false, {1, "", 4, "A-02", "B-01"}, {"C300", "E500"}},
    {"bins from C", false, {1, "", 4, "C", ""}, {"D400"}},
    {"services of department ws", true, {1, "", 2, "ws", "ws"}, {"INSTALL", "REPAIR"}},
    {"services from R", true, {1, "", 1, "R", ""}, {"REPAIR", "TRAIN"}},
};

TEST_F(ForecastCalcTest, ExactlyTheRecordsOfTheRangeAreForecast) {
  for (const RangeCase& c : kRanges) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const int file = c.services ? kServices : kProducts;
    const int other = c.services ? kProducts : kServices;
    const std::vector<Image> before = Records(file);
    const std::vector<Image> otherBefore = Records(other);
    const Run run = c.services ? Services(c.selection) : Products(c.selection);
    EXPECT_EQ(run.result, 0);
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    ExpectForecasts(file, before, Records(file), c.touched, 1);
    EXPECT_EQ(Records(other), otherBefore) << "the other file of the screen was changed";
  }
}

TEST_F(ForecastCalcTest, EachMethodReachesEveryGroupOfTheRecord) {
  const struct {
    int method;
    const char* percent;
    double value;
  } methods[] = {{1, "", 0}, {2, "7.5", 7.5}, {2, "-7.5", -7.5}, {3, "", 0}, {4, "", 0}};
  for (const auto& m : methods) {
    SCOPED_TRACE(std::to_string(m.method) + " " + m.percent);
    WriteCompany();
    const std::vector<Image> before = Records(kProducts);
    const Run run = Products({m.method, m.percent, 1, "", ""});
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    ExpectForecasts(kProducts, before, Records(kProducts), {"A100", "B200", "C300", "D400", "E500"}, m.method,
                    m.value);
  }
}

// The percentage typed on the screen is the decimal number: 1.1 % of 1,000
// invoices is 11 more, and 123.45 dollars at 7.5 % are 132.71.
TEST_F(ForecastCalcTest, TheTypedPercentageIsTheDecimalNumber) {
  const std::vector<Image> before = Records(kCustomers);
  const Run run = CustVend(367, Keys({2, "1.1", 1, "ALPHA", "ALPHA"}));
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const std::vector<Image> after = Records(kCustomers);
  ExpectForecasts(kCustomers, before, after, {"ALPHA"}, 2, 1.1);
  EXPECT_EQ(Slot<std::int32_t>(after[0], offsetof(records::CustVendRecord, invoiceCounts), 3), 1011);

  WriteCompany();
  CustVend(367, Keys({2, "7.5", 1, "ALPHA", "ALPHA"}));
  EXPECT_EQ(Slot<double>(Records(kCustomers)[0], offsetof(records::CustVendRecord, grossAmounts), 3), 132.71);
}

TEST_F(ForecastCalcTest, CustomersAndVendorsByTheirOrders) {
  const struct {
    const char* name;
    int command;
    Selection selection;
    std::set<std::string> touched;
  } cases[] = {
      {"customers of department n", 367, {3, "", 2, "n", "n"}, {"ALPHA", "GAMMA"}},
      {"customers of salesperson AM", 367, {3, "", 3, "AM", "AM"}, {"BETA", "GAMMA"}},
      {"customers from B", 367, {4, "", 1, "B", ""}, {"BETA", "GAMMA"}},
      {"vendors of type SUP", 372, {3, "", 2, "sup", "SUP"}, {"ACME", "CRATE"}},
      {"vendors of territory W", 372, {3, "", 3, "W", "W"}, {"BOLTCO", "CRATE"}},
      {"every vendor", 372, {1, "", 1, "", ""}, {"ACME", "BOLTCO", "CRATE"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const int file = c.command == 372 ? kVendors : kCustomers;
    const std::vector<Image> before = Records(file);
    const Run run = CustVend(c.command, Keys(c.selection));
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    ExpectForecasts(file, before, Records(file), c.touched, c.selection.method);
  }
}

// Method 2 without a percentage keeps the screen with the cursor on the
// percentage: typing one there and F10 then runs.
TEST_F(ForecastCalcTest, APercentageIsRequiredForMethodTwo) {
  const std::vector<Image> before = Records(kCustomers);
  const Run refused = CustVend(367, "Space Enter Enter Enter Enter F10 Enter Esc");
  EXPECT_EQ(refused.messages, std::vector<int>{21}) << refused.transcript;
  EXPECT_EQ(Records(kCustomers), before);

  const Run corrected = CustVend(367, "Space Enter Enter Enter Enter F10 Enter \"10\" F10");
  EXPECT_EQ(corrected.messages, std::vector<int>{21}) << corrected.transcript;
  ExpectForecasts(kCustomers, before, Records(kCustomers), {"ALPHA", "BETA", "GAMMA"}, 2, 10);
}

TEST_F(ForecastCalcTest, RefusalsWriteNothing) {
  const std::vector<Image> before = Records(kProducts);
  const struct {
    const char* name;
    const char* failure;  // BtrvTestSwitch
    Selection selection;
    std::vector<int> messages;
    const char* shown;
  } cases[] = {
      {"nothing in range", "", {1, "", 1, "X", "Z"}, {197}, nullptr},
      {"a range ending before it starts", "", {1, "", 4, "C", "A"}, {197}, nullptr},
      {"the department index cannot be built", "fail=31:products:1:2", {1, "", 2, "AB", "AB"}, {}, "Error 2:"},
      {"Esc", "", {0, "", 1, "", ""}, {}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const Run run = c.selection.method == 0 ? Inventory("Esc") : Inventory("Enter " + Keys(c.selection) + " Esc");
    BtrvTestSwitch("");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    if (c.shown) {
      EXPECT_NE(qxtest::Flat(run.transcript).find(c.shown), std::string::npos) << run.transcript;
    }
    EXPECT_EQ(Records(kProducts), before);
  }
}

// A read or a write failing anywhere in the run (the walk reads the range,
// then each record is read again by its position and rewritten), or the
// commit, leaves every record as it was.
TEST_F(ForecastCalcTest, AFailureInTheRunLeavesEveryRecord) {
  const std::vector<Image> before = Records(kProducts);
  const struct {
    const char* name;
    const char* failure;
    const char* shown;
  } cases[] = {
      {"updating the third product", "fail=3:products:3:84", "Error 84:"},
      {"reading the next product", "fail=6:products:3:2", "Error 2:"},
      {"taking a product's position", "fail=22:products:2:2", "Error 2:"},
      {"reading a product again to rewrite it", "fail=23:products:4:2", "Error 2:"},
      {"committing", "fail=20:*:1:2", "Error 2:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const Run run = Products({1, "", 1, "", ""});
    BtrvTestSwitch("");
    EXPECT_NE(qxtest::Flat(run.transcript).find(c.shown), std::string::npos) << run.transcript;
    EXPECT_EQ(Records(kProducts), before);
  }
  // The same run without the failure writes every product.
  Products({1, "", 1, "", ""});
  ExpectForecasts(kProducts, before, Records(kProducts), {"A100", "B200", "C300", "D400", "E500"}, 1);
}

}  // namespace
