// The vendor payments report (command 347), run through its entry on key
// scripts over the payables of fixtures/vendor_payments.json, read back from
// the preview in the transcript: the items of each sort and date range with
// subtotals and grand totals that foot, payments and debits as negative
// amounts, the screen's checks and remembered values, and clean ends.
#include <string>
#include <vector>

#include "checks_test_support.h"
#include "records/dictionary.h"
#include "reports/arap/vendor_payments.h"

namespace vendpaytest {
namespace {

using checkstest::Cell;
using checkstest::Json;
using checkstest::OnlyPreview;
using checkstest::Preview;

// Print columns of the lines.
constexpr int kCodeX = 1, kNameX = 14, kInvoiceX = 39, kDiscountX = 51, kDiscountDateX = 64, kNetX = 74,
              kDueDateX = 88, kGrossX = 98, kRemarksX = 112;

std::string FixtureFile() {
  return qxtest::SourceDir() + "/tests/reportlib/reports/arap/fixtures/vendor_payments.json";
}

bool IsAmount(const std::string& text) {
  return !text.empty() && text.find_first_not_of("-0123456789.") == std::string::npos &&
         text.find('.') != std::string::npos;
}

// A line of the report: the item lines as "code|name|invoice|discount|
// discount date|net|due date|gross", the total lines as "label|discount|net|gross".
struct Listing {
  std::vector<std::string> lines, totals;
};

Listing ListingOf(const Preview& r) {
  Listing l;
  for (const std::string& line : r.Lines()) {
    if (!IsAmount(Cell(line, kGrossX, 12))) continue;
    const std::string label = Cell(line, kInvoiceX, 12);
    if (label.find("Total") != std::string::npos) {
      l.totals.push_back(label + "|" + Cell(line, kDiscountX, 11) + "|" + Cell(line, kNetX, 12) + "|" +
                         Cell(line, kGrossX, 12));
    } else {
      l.lines.push_back(Cell(line, kCodeX, 10) + "|" + Cell(line, kNameX, 23) + "|" + Cell(line, kInvoiceX, 10) +
                        "|" + Cell(line, kDiscountX, 11) + "|" + Cell(line, kDiscountDateX, 8) + "|" +
                        Cell(line, kNetX, 12) + "|" + Cell(line, kDueDateX, 8) + "|" + Cell(line, kGrossX, 12));
    }
  }
  return l;
}

// The keys that choose the sort (0, 1 or 2 presses of Space from the
// default or remembered one), type the dates ("" leaves an end open),
// print, and close the preview.
std::string Keys(int spaces, const std::string& from, const std::string& to) {
  std::string keys;
  for (int i = 0; i < spaces; ++i) keys += "Space ";
  keys += "Enter ";
  keys += from.empty() ? "Enter " : "\"" + from + "\" Enter ";
  keys += to.empty() ? "" : "\"" + to + "\" ";
  return keys + "F10 Esc";
}

class VendorPaymentsTest : public listingtest::ListingTest {
 protected:
  VendorPaymentsTest() : ListingTest(347) {}

  void SetUp() override {
    ListingTest::SetUp();
    UseFixtureFile(FixtureFile());
  }

  // Each run is a user of its own unless `user` is given, so that nothing
  // remembered from one case changes the next.
  Run RunReport(const std::string& keys, const std::string& user = "") {
    const std::string name = user.empty() ? "USER" + std::to_string(runs_ + 1) : user;
    AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, name.c_str());
    return RunScripted(keys, [] { return RunVendorPaymentsReport(); });
  }

  void ExpectFilesClosed() {
    listingtest::ExpectFilesClosed({records::kFileVendors, records::kFilePayablesOpenInvoices});
  }
};

// The lines of the whole fixture, as the vendor sort prints them.
const std::string kInv101 = "V100|Acme Paper Supply|INV-101|20.00|04/01/25|980.00|04/10/25|1000.00";
// A payment of 100.00 with 2.00 discount taken: every amount negative; the
// vendor and the dates of its invoice are not repeated.
const std::string kInv101Payment = "||INV-101|-2.00||-100.00||-102.00";
// A negative stored discount counts as none.
const std::string kB7 = "V200|Blue River Freight and|B-7|0.00|03/25/25|250.50|04/15/25|250.50";
// A debit memo: negative, without dates.
const std::string kB9 = "||B-9|0.00||-40.00||-40.00";
const std::string kX1 = "V300|*** Not on file ***|X-1|0.00|04/25/25|300.00|05/05/25|300.00";

TEST_F(VendorPaymentsTest, EachSortAndRangeListsItsItemsWithTotalsThatFoot) {
  const struct {
    const char* what;
    int spaces;
    const char* from;
    const char* to;
    const char* sortHeading;
    const char* range;
    std::vector<std::string> lines, totals;
  } cases[] = {
      {"every item by vendor", 0, "", "", "Sorted by Vendor", "Items due from FIRST to LAST",
       {kInv101, kInv101Payment, "||INV-102|10.00|04/05/25|490.00|04/20/25|500.00", kB7, kB9, kX1},
       {"Vendor Total|28.00|1370.00|1398.00", "Vendor Total|0.00|210.50|210.50", "Vendor Total|0.00|300.00|300.00",
        "Grand Total|28.00|1880.50|1908.50"}},
      {"due 04/10 to 04/15 by vendor", 0, "04/10/25", "04/15/25", "Sorted by Vendor",
       "Items due from 04/10/25 to 04/15/25",
       {kInv101, kInv101Payment, kB7, kB9},
       {"Vendor Total|18.00|880.00|898.00", "Vendor Total|0.00|210.50|210.50", "Grand Total|18.00|1090.50|1108.50"}},
      {"every item by due date", 1, "", "", "Sorted by Due Date", "Items due from FIRST to LAST",
       {kInv101, kInv101Payment, kB7, kB9, "V100|Acme Paper Supply|INV-102|10.00|04/05/25|490.00|04/20/25|500.00",
        kX1},
       {"Date Total|18.00|880.00|898.00", "Date Total|0.00|210.50|210.50", "Date Total|10.00|490.00|500.00",
        "Date Total|0.00|300.00|300.00", "Grand Total|28.00|1880.50|1908.50"}},
      {"discount dates 04/01 to 04/05", 2, "04/01/25", "04/05/25", "Sorted by Discount Date",
       "Items due from 04/01/25 to 04/05/25",
       {kInv101, kInv101Payment, "V100|Acme Paper Supply|INV-102|10.00|04/05/25|490.00|04/20/25|500.00"},
       {"Date Total|18.00|880.00|898.00", "Date Total|10.00|490.00|500.00", "Grand Total|28.00|1370.00|1398.00"}},
      {"one day, open start", 1, "", "04/10/25", "Sorted by Due Date", "Items due from FIRST to 04/10/25",
       {kInv101, kInv101Payment},
       {"Date Total|18.00|880.00|898.00", "Grand Total|18.00|880.00|898.00"}},
  };
  for (const auto& c : cases) {
    const Run run = RunReport(Keys(c.spaces, c.from, c.to));
    EXPECT_EQ(0, run.result) << c.what;
    EXPECT_TRUE(run.messages.empty()) << c.what << "\n" << run.transcript;
    const Preview r = OnlyPreview(run.transcript, "Vendor Payments");
    ASSERT_FALSE(r.Empty()) << c.what << "\n" << run.transcript;
    const Listing l = ListingOf(r);
    EXPECT_EQ(c.lines, l.lines) << c.what << "\n" << run.transcript;
    EXPECT_EQ(c.totals, l.totals) << c.what;
    EXPECT_TRUE(r.Contains(c.sortHeading)) << c.what;
    EXPECT_TRUE(r.Contains(c.range)) << c.what << "\n" << run.transcript;
    ExpectFilesClosed();
  }
}

// A debit memo shows the discount available on it; its net is its amount and
// its gross its amount with the discount taken, both negative, without dates.
// A payment shows the discount taken as a negative discount.
TEST_F(VendorPaymentsTest, DebitMemosAndPaymentsWithDiscounts) {
  const struct {
    const char* what;
    const char* kind;
    double amount, available, taken;
    std::string line, total;
  } cases[] = {
      {"a debit memo with a discount available", "D", 40.00, 5.00, 0,
       "V200|Blue River Freight and|M-1|5.00||-40.00||-40.00", "5.00|-40.00|-40.00"},
      {"a debit memo with a discount taken", "D", 40.00, 0, 1.50,
       "V200|Blue River Freight and|M-1|0.00||-40.00||-41.50", "0.00|-40.00|-41.50"},
      {"a debit memo with both", "D", 40.00, 5.00, 1.50,
       "V200|Blue River Freight and|M-1|5.00||-40.00||-41.50", "5.00|-40.00|-41.50"},
      {"a payment with a discount taken", "P", 100.00, 0, 2.00,
       "V200|Blue River Freight and|M-1|-2.00|06/20/25|-100.00|07/01/25|-102.00", "-2.00|-100.00|-102.00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UseFixtureFile(FixtureFile());
    Add("ap_open_invoices", Json{{"code", "V200"},
                                 {"invoiceNumber", "M-1"},
                                 {"precedence", "1"},
                                 {"lineType", c.kind},
                                 {"dueDate", "2025-07-01"},
                                 {"secondDate", "2025-06-20"},
                                 {"amount", c.amount},
                                 {"secondAmount", c.available},
                                 {"discount", c.taken}});
    WriteCompany();
    const Run run = RunReport(Keys(1, "07/01/25", "07/01/25"));
    const Listing l = ListingOf(OnlyPreview(run.transcript, "Vendor Payments"));
    EXPECT_EQ(std::vector<std::string>{c.line}, l.lines) << run.transcript;
    EXPECT_EQ((std::vector<std::string>{"Date Total|" + c.total, "Grand Total|" + c.total}), l.totals);
  }
}

// F5 opens the vendor list on any field.  The screen asks for no vendor, so
// a vendor chosen (or the list left with Esc) changes neither the sort nor
// the dates: the report is the one the fields ask for.
TEST_F(VendorPaymentsTest, F5ListsTheVendorsAndLeavesTheFieldsAsTheyWere) {
  const struct {
    const char* what;
    const char* keys;
  } cases[] = {
      {"on the sort, a vendor chosen", R"(F5 "V200" Enter Enter "04/10/25" Enter "04/15/25" F10 Esc)"},
      {"on a typed date, a vendor chosen", R"(Enter "04/10/25" Enter F5 Enter "04/15/25" F5 Enter F10 Esc)"},
      {"left with Esc", R"(Enter "04/10/25" Enter F5 Esc "04/15/25" F10 Esc)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Run run = RunReport(c.keys);
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    EXPECT_NE(std::string::npos, run.transcript.find("search list \" Vendors \"")) << run.transcript;
    EXPECT_NE(std::string::npos, run.transcript.find("Blue River Freight")) << run.transcript;
    const Preview r = OnlyPreview(run.transcript, "Vendor Payments");
    EXPECT_TRUE(r.Contains("Sorted by Vendor")) << run.transcript;
    EXPECT_TRUE(r.Contains("Items due from 04/10/25 to 04/15/25")) << run.transcript;
    EXPECT_EQ((std::vector<std::string>{kInv101, kInv101Payment, kB7, kB9}), ListingOf(r).lines);
    ExpectFilesClosed();
  }
}

TEST_F(VendorPaymentsTest, EachLineHasItsRemarksLineAndTheGrandTotalIsRuled) {
  const Run run = RunReport(Keys(0, "", ""));
  const Preview r = OnlyPreview(run.transcript, "Vendor Payments");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  int items = 0, ruledAbove = 0;
  const std::vector<std::string> lines = r.Lines();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (!IsAmount(Cell(line, kGrossX, 12))) continue;
    if (Cell(line, kInvoiceX, 12).find("Total") == std::string::npos) {
      ++items;
      EXPECT_EQ("________________", Cell(line, kRemarksX, 17)) << line;
    } else {
      // A total line stands under a rule of its amounts: '=' for the grand total.
      ASSERT_GT(i, 0u);
      const char fill = Cell(line, kInvoiceX, 12) == "Grand Total" ? '=' : '-';
      EXPECT_EQ(std::string(12, fill), Cell(lines[i - 1], kGrossX, 12)) << line;
      EXPECT_EQ(std::string(11, fill), Cell(lines[i - 1], kDiscountX, 11)) << line;
      EXPECT_EQ(fill == '=' ? std::string(17, '_') : "", Cell(line, kRemarksX, 17)) << line;
      ++ruledAbove;
    }
  }
  EXPECT_EQ(6, items);
  EXPECT_EQ(4, ruledAbove);
  EXPECT_TRUE(r.Contains("Payment by")) << run.transcript;
}

TEST_F(VendorPaymentsTest, ALongListRepeatsItsHeadingOnEveryPageAndStillFoots) {
  for (int n = 0; n < 150; ++n) {
    const std::string number = "L-" + std::to_string(1000 + n);
    Add("ap_open_invoices", Json{{"code", "V100"},
                                 {"invoiceNumber", number},
                                 {"precedence", "1"},
                                 {"lineType", "I"},
                                 {"dueDate", "2025-06-01"},
                                 {"secondDate", "2025-05-20"},
                                 {"amount", 10.10},
                                 {"secondAmount", 0.20}});
  }
  const Run run = RunReport(Keys(0, "06/01/25", "06/01/25"));
  const Preview r = OnlyPreview(run.transcript, "Vendor Payments");
  ASSERT_GE(r.pages.size(), 2u) << run.transcript;
  for (const auto& page : r.pages) {
    bool heading = false;
    for (const std::string& line : page) heading = heading || Cell(line, kGrossX, 12) == "Due Date";
    EXPECT_TRUE(heading) << "a page without the column headings";
  }
  const Listing l = ListingOf(r);
  ASSERT_EQ(150u, l.lines.size());
  // The first line of each page names its vendor again.
  for (std::size_t p = 1; p < r.pages.size(); ++p) {
    for (const std::string& line : r.pages[p]) {
      if (!IsAmount(Cell(line, kGrossX, 12))) continue;
      EXPECT_EQ("V100", Cell(line, kCodeX, 10)) << "page " << p + 1;
      break;
    }
  }
  EXPECT_EQ((std::vector<std::string>{"Vendor Total|30.00|1485.00|1515.00", "Grand Total|30.00|1485.00|1515.00"}),
            l.totals);
}

TEST_F(VendorPaymentsTest, NothingInTheRangeShowsItsMessageAndNoReport) {
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"01/01/25", "03/31/25"}, {"06/01/25", ""}}) {
    const Run run = RunReport(Keys(0, from, to));
    EXPECT_EQ(std::vector<int>{197}, run.messages) << from << "-" << to;
    EXPECT_TRUE(OnlyPreview(run.transcript, "Vendor Payments").Empty()) << run.transcript;
    ExpectFilesClosed();
  }
}

TEST_F(VendorPaymentsTest, TheScreenRefusesDatesItCannotUse) {
  const struct {
    const char* what;
    const char* keys;
    int message;
  } cases[] = {
      {"a bad from date", "Enter \"13/45/25\" Enter Esc Esc", 13},
      {"a bad to date on F10", "Enter Enter \"02/30/25\" F10 Esc Esc", 13},
      {"from after to", "Enter \"04/20/25\" Enter \"04/10/25\" F10 Esc Esc", 205},
  };
  for (const auto& c : cases) {
    const Run run = RunReport(c.keys);
    EXPECT_EQ(0, run.result) << c.what;
    ASSERT_FALSE(run.messages.empty()) << c.what << "\n" << run.transcript;
    EXPECT_EQ(c.message, run.messages.front()) << c.what << "\n" << run.transcript;
    EXPECT_TRUE(OnlyPreview(run.transcript, "Vendor Payments").Empty()) << c.what;
    ExpectFilesClosed();
  }
}

TEST_F(VendorPaymentsTest, TheScreenRemembersTheUsersSortAndDatesAndShiftF9RestoresTheDefaults) {
  RunReport(Keys(1, "04/10/25", "04/15/25"), "ANNE");
  // The next run of the same user prints what she chose last.
  Run run = RunReport("F10 Esc", "ANNE");
  Preview r = OnlyPreview(run.transcript, "Vendor Payments");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  EXPECT_TRUE(r.Contains("Sorted by Due Date"));
  EXPECT_TRUE(r.Contains("Items due from 04/10/25 to 04/15/25"));
  // Shift+F9: sorted by vendor over every date.
  run = RunReport("Shift+F9 F10 Esc", "ANNE");
  r = OnlyPreview(run.transcript, "Vendor Payments");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  EXPECT_TRUE(r.Contains("Sorted by Vendor"));
  EXPECT_TRUE(r.Contains("Items due from FIRST to LAST"));
  // Another user starts from the defaults; Esc leaves without a report.
  run = RunReport("Esc", "BOB");
  EXPECT_TRUE(OnlyPreview(run.transcript, "Vendor Payments").Empty());
  ExpectFilesClosed();
}

TEST_F(VendorPaymentsTest, ARecordManagerErrorEndsTheRunCleanly) {
  WriteCompany();
  const struct {
    const char* fault;
    const char* file;
  } cases[] = {{"fail=6:ap_open_invoices:3:2", "ap_open_invoices"}, {"fail=5:vendors:3:2", "vendors"}};
  for (const auto& c : cases) {
    ASSERT_EQ(0, BtrvTestSwitch(c.fault));
    const Run run = RunReport(Keys(0, "", ""));
    BtrvTestSwitch("");
    EXPECT_EQ(0, run.result) << c.fault;
    EXPECT_NE(std::string::npos, run.transcript.find(c.file)) << c.fault << "\n" << run.transcript;
    const Preview r = OnlyPreview(run.transcript, "Vendor Payments");
    ASSERT_FALSE(r.Empty()) << c.fault << "\n" << run.transcript;
    EXPECT_TRUE(r.Contains("incomplete")) << c.fault;
    EXPECT_FALSE(r.Contains("Grand Total")) << c.fault << ": no totals that look final";
    ExpectFilesClosed();
  }
}

TEST_F(VendorPaymentsTest, AUserBreakEndsTheRunCleanly) {
  const Run run = RunReport("Enter Enter F10 Break Esc");
  EXPECT_EQ(0, run.result);
  const Preview r = OnlyPreview(run.transcript, "Vendor Payments");
  EXPECT_FALSE(r.Contains("Grand Total")) << run.transcript;
  ExpectFilesClosed();
}

}  // namespace
}  // namespace vendpaytest
