// The product listing (command 350) run through its entry over the sample
// company and small fixtures, read back from the HTML file it writes or
// from the preview in the transcript: the order and the groups of each sort,
// the ranges, the subtotals and the total, the lines and their links, the
// saved run, and the ways a run selects nothing or cannot run.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "oemtext.h"
#include "product_test_support.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "reports/inventory/product_listing.h"

namespace producttest {
namespace {

// Print columns of the lines.
constexpr int kCountX = 29;

class ListingTest : public CompanyTest {
 protected:
  // Runs the listing with `params` into an HTML file and reads it back.
  Report RunReport(const std::string& params, Run* run = nullptr, const std::string& keys = "") {
    const std::string out = File("listing-" + std::to_string(runs_ + 1) + ".htm");
    const std::string text = params + (params.empty() ? "" : " ") + "output='" + out + "'";
    Run r = RunScripted(keys, [&] { return RunProductListing(text.c_str()); });
    if (run) *run = r;
    return ReadReport(out);
  }
};

// What a listing shows: its products in order, its subtotals with the
// products of each group, and its total.
struct Listing {
  std::vector<std::string> products;
  struct Group {
    std::string value;
    int count = 0;
    std::vector<std::string> members;  // the products printed since the previous subtotal
  };
  std::vector<Group> subtotals;
  std::vector<std::string> sinceSubtotal;
  int total = -1;
};

Listing ListingOf(const Report& r, const std::set<std::string>& numbers) {
  Listing l;
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i) {
    const std::string& line = r.lines[static_cast<std::size_t>(i)];
    const std::string first = r.Cell(i, 0, 14);
    if (!line.empty() && line[0] != ' ' && numbers.count(first)) {
      l.products.push_back(first);
      l.sinceSubtotal.push_back(first);
      continue;
    }
    const std::string caption = Trim(line.substr(0, std::min<std::size_t>(line.size(), kCountX)));
    if (caption.rfind("Subtotal ", 0) == 0) {
      Listing::Group g;
      g.value = caption.substr(9, caption.size() - 10);  // "Subtotal " ... ":"
      g.count = std::stoi(r.Cell(i, kCountX, 8));
      g.members = l.sinceSubtotal;
      l.sinceSubtotal.clear();
      l.subtotals.push_back(g);
    } else if (caption == "Total Products :") {
      l.total = std::stoi(r.Cell(i, kCountX, 8));
    }
  }
  return l;
}

std::string TextOf(const char* field, std::size_t size) {
  std::string s(field, strnlen(field, size));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string ValueOf(const records::TagProduct& p, int field) {
  switch (field) {
    case 1: return TextOf(p.number, sizeof p.number);
    case 2: return TextOf(p.description, sizeof p.description);
    case 5: return TextOf(p.bin, sizeof p.bin);
    case 8: return TextOf(p.department, sizeof p.department);
    case 10: return TextOf(p.vendor, sizeof p.vendor);
    case 82: return TextOf(p.warehouse, sizeof p.warehouse);
    default: return "?";
  }
}

// --- The sample company --------------------------------------------------------------

// Each field the screen offers to sort by, with a range on it (from the
// second value to the one before the last) and a range on the rank field:
// the products within both, in the order of the sort field and then the
// product number, one subtotal per group under a grouping sort, every
// product counted once, and the subtotals adding up to the total.
TEST_F(ListingTest, EachSortOrdersTheSelectedProductsAndItsSubtotalsFootToTheTotal) {
  LoadSampleCompany();
  const std::vector<records::TagProduct> products = SampleProducts();
  std::set<std::string> numbers;
  for (const auto& p : products) numbers.insert(ValueOf(p, 1));
  const struct {
    int field;
    const char* caption;
    bool groups;
  } sorts[] = {{1, "Product Number", false}, {2, "Description", false}, {8, "G/L Department", true},
               {5, "Bin", true},             {10, "Vendor", true},      {82, "Warehouse", true}};
  for (const auto& s : sorts) {
    SCOPED_TRACE(s.caption);
    std::vector<std::string> values;
    for (const auto& p : products) values.push_back(ValueOf(p, s.field));
    std::sort(values.begin(), values.end(), [](const std::string& a, const std::string& b) {
      return oem::CompareText(a, b) < 0;
    });
    values.erase(std::unique(values.begin(), values.end(),
                             [](const std::string& a, const std::string& b) { return oem::CompareText(a, b) == 0; }),
                 values.end());
    // A range that leaves out a group at each end where there are enough.
    const std::string from = values.size() > 2 ? values[1] : "";
    const std::string to = values.size() > 2 ? values[values.size() - 2] : "";
    const std::string rankFrom = "C", rankTo = "T";

    std::vector<const records::TagProduct*> expected;
    for (const auto& p : products) {
      const std::string v = ValueOf(p, s.field), n = ValueOf(p, 1);
      if (!from.empty() && oem::CompareText(v, from) < 0) continue;
      if (!to.empty() && oem::CompareText(v, to) > 0) continue;
      if (oem::CompareText(n, rankFrom) < 0 || oem::CompareText(n, rankTo) > 0) continue;
      expected.push_back(&p);
    }
    std::stable_sort(expected.begin(), expected.end(), [&](const auto* a, const auto* b) {
      const int c = oem::CompareText(ValueOf(*a, s.field), ValueOf(*b, s.field));
      return c != 0 ? c < 0 : oem::CompareText(ValueOf(*a, 1), ValueOf(*b, 1)) < 0;
    });
    std::vector<std::string> expectedNumbers;
    for (const auto* p : expected) expectedNumbers.push_back(ValueOf(*p, 1));
    ASSERT_GT(expectedNumbers.size(), 2u) << "a range that selects something";

    Run run;
    const Report r = RunReport(std::string("input='default' sortfld='") + s.caption + "' sortfrom='" + from +
                                   "' sortto='" + to + "' rankfld='Product Number' rankfrom='" + rankFrom +
                                   "' rankto='" + rankTo + "'",
                               &run);
    ASSERT_FALSE(r.Empty()) << run.transcript;
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    EXPECT_NE(-1, r.Find(std::string("Sorted by: ") + s.caption));
    EXPECT_NE(-1, r.Find("Ranked by: Product Number"));
    const Listing l = ListingOf(r, numbers);
    EXPECT_EQ(expectedNumbers, l.products);
    EXPECT_EQ(static_cast<int>(expectedNumbers.size()), l.total);

    if (!s.groups) {
      EXPECT_TRUE(l.subtotals.empty());
      continue;
    }
    // One subtotal per group, after its last product; each counts exactly
    // the products of its group, and together they are the total.
    std::vector<std::string> groupsSeen;
    int sum = 0;
    for (const Listing::Group& g : l.subtotals) {
      EXPECT_EQ(static_cast<int>(g.members.size()), g.count) << g.value;
      for (const std::string& n : g.members) {
        const auto* p = *std::find_if(expected.begin(), expected.end(),
                                      [&](const auto* q) { return ValueOf(*q, 1) == n; });
        const std::string v = ValueOf(*p, s.field);
        EXPECT_EQ(v.empty() ? "(none)" : v, g.value) << n;
      }
      groupsSeen.push_back(g.value);
      sum += g.count;
    }
    EXPECT_TRUE(l.sinceSubtotal.empty()) << "the last group has its subtotal";
    EXPECT_EQ(l.total, sum);
    const std::set<std::string> distinct(groupsSeen.begin(), groupsSeen.end());
    EXPECT_EQ(distinct.size(), groupsSeen.size()) << "a group is never split";
  }
}

// --- Ranges ---------------------------------------------------------------------------

class RangeTest : public ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    Add("products", Product("A1", "Anchor bolts", Json{{"lastSaleDate", Date(2025, 1, 10)}}));
    Add("products", Product("B1", "Brass hinges", Json{{"lastSaleDate", Date(2025, 2, 10)}}));
    Add("products", Product("B2", "Brass screws", Json{{"lastSaleDate", Date(2025, 3, 1)}}));
    Add("products", Product("C1", "Cable ties", Json{{"lastSaleDate", Date(2025, 3, 2)}}));
  }
};

TEST_F(RangeTest, EdgesOfARange) {
  const std::set<std::string> numbers = {"A1", "B1", "B2", "C1"};
  const struct {
    const char* name;
    const char* params;
    std::vector<std::string> listed;  // empty: nothing written
    std::vector<int> messages;
  } cases[] = {
      {"empty from runs from the first", "sortfrom='' sortto='b1'", {"A1", "B1"}, {}},
      {"empty to runs to the last", "sortfrom='B2' sortto=''", {"B2", "C1"}, {}},
      {"from equal to to", "sortfrom='B1' sortto='B1'", {"B1"}, {}},
      {"a prefix ends before longer numbers", "sortfrom='B' sortto='B'", {}, {197}},
      {"from after to", "sortfrom='C' sortto='A'", {}, {205}},
      {"a date up to and including its day", "rankfld='Last Sales Date' rankfrom='' rankto='03/01/25'",
       {"A1", "B1", "B2"}, {}},
      {"a bad date", "rankfld='Last Sales Date' rankfrom='02/30/25' rankto=''", {}, {13}},
      {"dates from after to", "rankfld='Last Sales Date' rankfrom='03/02/25' rankto='03/01/25'", {}, {205}},
  };
  for (const auto& c : cases) {
    Run run;
    const Report r = RunReport(std::string("input='default' sortfld='Product Number' ") + c.params, &run);
    EXPECT_EQ(c.messages, run.messages) << c.name;
    if (c.listed.empty()) {
      EXPECT_TRUE(r.Empty()) << c.name;
      continue;
    }
    EXPECT_EQ(c.listed, ListingOf(r, numbers).products) << c.name;
  }
}

// However the run finds nothing, the user is told once, and nothing is
// written: an empty file, a first product already past the end of the sort
// range, and products in the sort range that the rank range leaves out.
TEST_F(ListingTest, NothingSelectedIsToldOnceWhicheverWayTheRunFoundNothing) {
  const struct {
    const char* name;
    bool products;
    const char* params;
  } cases[] = {
      {"no products", false, "input='default'"},
      {"first product past the end", true, "input='default' sortfld='Product Number' sortto='A'"},
      {"first bin past the end", true, "input='default' sortfld='Bin' sortto='A'"},
      {"none within the rank range", true, "input='default' sortfld='Bin' rankfld='Description' rankfrom='X'"},
  };
  for (const auto& c : cases) {
    fixture_ = Json{{"files", Json::object()}};
    if (c.products) {
      Add("products", Product("P1", "Pliers", Json{{"bin", "B-01"}}));
      Add("products", Product("P2", "Punch", Json{{"bin", "C-01"}}));
    }
    WriteCompany();
    Run run;
    const Report r = RunReport(c.params, &run);
    EXPECT_EQ(std::vector<int>{197}, run.messages) << c.name << run.transcript;
    EXPECT_TRUE(r.Empty()) << c.name;
    for (BtrvHandle h = 1; h < 512; ++h) EXPECT_EQ(-1, TempIndexKey(h)) << c.name << ": an index is left";
  }
}

// A product read but not printed (here: below the rank range) never carries
// its group: the subtotal of the group before it still comes out, and the
// next group counts only its own products.
TEST_F(ListingTest, AProductNotPrintedNeverMergesOneGroupIntoTheNext) {
  Add("products", Product("P1", "Pliers", Json{{"bin", "A-01"}}));
  Add("products", Product("P3", "Punch", Json{{"bin", "A-01"}}));
  Add("products", Product("P0", "Pincers", Json{{"bin", "B-01"}}));
  Add("products", Product("P4", "Pick", Json{{"bin", "b-01"}}));
  Add("products", Product("P5", "Plane", Json{{"bin", "B-01 "}}));
  Run run;
  const Report r = RunReport("input='default' sortfld='Bin' rankfld='Product Number' rankfrom='P2'", &run);
  const Listing l = ListingOf(r, {"P0", "P1", "P3", "P4", "P5"});
  EXPECT_EQ((std::vector<std::string>{"P3", "P4", "P5"}), l.products) << run.transcript;
  ASSERT_EQ(2u, l.subtotals.size()) << run.transcript;
  EXPECT_EQ("A-01", l.subtotals[0].value);
  EXPECT_EQ(1, l.subtotals[0].count);
  EXPECT_EQ(2, l.subtotals[1].count) << "letter case and trailing blanks make no other group";
  EXPECT_EQ(3, l.total);
}

// --- Lines ---------------------------------------------------------------------------

// Every field at its widest and the largest numbers: each value stands
// whole in its own column, none overwrites another.
TEST_F(ListingTest, EveryValueStandsWholeInItsOwnColumn) {
  Json extra = Json{{"bin", "BIN-7890"},
                    {"department", "DEPT5"},
                    {"vendor", "VENDOR-789"},
                    {"warehouse", "WHS"},
                    {"unitOfMeasure", "BUYMEAS8"},
                    {"purchaseUnitFactor", 32000},
                    {"salesUnitFactor", -32000},
                    {"sellingPrice", 123456.1234},
                    {"lastCost", 98765432.5},
                    {"standardCost", 9999999999.99},  // the largest amount the system holds
                    {"averageCost", -0.25},
                    {"lastSaleDate", Date(2025, 3, 1)},
                    {"lastPurchaseDate", Date(2024, 12, 31)},
                    {"sellingMeasure", "SELLMEA8"},
                    {"vendorPartNumber", "PART-NUMBER-14"},
                    {"minimumQuantity", 9999999},
                    {"reorderQuantity", 4294967295u}};
  Add("products", Product("NUMBER-1234567", "Description of thirty chars xx", extra));
  Run run;
  const Report r = RunReport("input='default'", &run);
  const int line = r.Find("NUMBER-1234567");
  ASSERT_NE(-1, line) << run.transcript;
  // The HTML file shows every number whole, never rounded: a column too
  // narrow for one is widened, and the columns after it move right.
  const auto words = [&](int i) {
    std::istringstream in(r.lines[static_cast<std::size_t>(line + i)]);
    return std::vector<std::string>(std::istream_iterator<std::string>(in), {});
  };
  EXPECT_EQ(words(0), (std::vector<std::string>{"NUMBER-1234567", "Description", "of", "thirty", "chars", "xx",
                                                "DEPT5", "WHS", "32000", "-32000", "9999999", "123456.1234",
                                                "98765432.5000", "9999999999.9900", "-0.2500"}));
  EXPECT_EQ(words(1), (std::vector<std::string>{"VENDOR-789", "PART-NUMBER-14", "BIN-7890", "BUYMEAS8", "SELLMEA8",
                                                "4294967295", "03/01/25", "12/31/24"}));
  // The fields before the first widened column keep their places.
  const struct {
    int line;
    int x;
    int width;
    const char* text;
  } cells[] = {
      {0, 0, 14, "NUMBER-1234567"}, {0, 17, 30, "Description of thirty chars xx"},
      {0, 48, 8, "DEPT5"},          {0, 57, 5, "WHS"},
      {0, 63, 8, "32000"},          {0, 72, 9, "-32000"},
      {1, 17, 10, "VENDOR-789"},
      {1, 29, 14, "PART-NUMBER-14"}, {1, 48, 8, "BIN-7890"},
      {1, 63, 8, "BUYMEAS8"},       {1, 72, 9, "SELLMEA8"},
  };
  for (const auto& c : cells) {
    EXPECT_EQ(c.text, r.Cell(line + c.line, c.x, c.width)) << "line " << c.line << " at " << c.x << ":\n"
                                                          << r.lines[static_cast<std::size_t>(line + c.line)];
  }
}

// A department, a warehouse and a bin shorter than their columns begin
// under their headings, "Dept.", "WHC" and "Bin", as the other texts do.
TEST_F(ListingTest, ShortTextsStandUnderTheirHeadings) {
  Add("products",
      Product("SHORT-1", "Short texts", Json{{"bin", "D-01"}, {"department", "JN"}, {"warehouse", "MA"}}));
  Run run;
  const Report r = RunReport("input='default'", &run);
  const int line = r.Find("SHORT-1");
  ASSERT_NE(-1, line) << run.transcript;
  const int heading = r.Find("Dept.");
  ASSERT_NE(-1, heading) << run.transcript;
  const struct {
    int headingRow, line;  // the heading's row and the product's line it heads
    const char* heading;
    const char* value;
  } cells[] = {{0, 0, "Dept.", "JN"}, {1, 0, "WHC", "MA "}, {1, 1, "Bin", "D-01"}};
  for (const auto& c : cells) {
    const std::string& head = r.lines[static_cast<std::size_t>(heading + c.headingRow)];
    const std::string& row = r.lines[static_cast<std::size_t>(line + c.line)];
    const std::size_t x = head.find(c.heading);
    ASSERT_NE(std::string::npos, x) << head;
    EXPECT_EQ(x, row.find(c.value)) << c.value << " under " << c.heading << ":\n" << head << "\n" << row;
  }
}

TEST_F(ListingTest, ADateNeverEnteredIsLeftOut) {
  Add("products", Product("NEW", "Never sold", Json{{"lastPurchaseDate", Date(2025, 2, 3)}}));
  const Report r = RunReport("input='default'");
  const int line = r.Find("NEW ");
  ASSERT_NE(-1, line);
  EXPECT_EQ("", r.Cell(line + 1, 91, 10));
  EXPECT_EQ("02/03/25", r.Cell(line + 1, 102, 10));
}

// Each product's number and description open its entry screen; its costs
// run the activity detail report for that product alone.
TEST_F(ListingTest, AProductsCellsLinkToItsScreenAndItsActivity) {
  Add("products", Product("O'NEIL-7", "Quoted number"));
  Add("products", Product("PLAIN", "Plain number"));
  const Report r = RunReport("input='default'");
  for (const std::string number : {"O'NEIL-7", "PLAIN"}) {
    const int line = r.Find(number + " ");
    ASSERT_NE(-1, line) << number;
    const std::vector<Report::Link> links = r.LinksOn(line);
    ASSERT_EQ(4u, links.size()) << number;
    std::string quoted = number;
    if (const std::size_t q = quoted.find('\''); q != std::string::npos) quoted.insert(q, "'");
    for (const Report::Link& l : links) {
      if (l.command == 250) {
        EXPECT_EQ(1, l.kind);
        EXPECT_EQ("cdno='" + quoted + "'", l.params);
      } else {
        EXPECT_EQ(359, l.command) << l.text;
        EXPECT_EQ(2, l.kind);
        EXPECT_EQ("input='default' sortfld='Product Number' sortfrom='" + quoted + "' sortto='" + quoted + "'",
                  l.params);
      }
    }
    EXPECT_EQ(2, std::count_if(links.begin(), links.end(), [](const auto& l) { return l.command == 250; }));
  }
  EXPECT_EQ(0, std::count_if(r.links.begin(), r.links.end(), [&](const Report::Link& l) {
              return l.line != r.Find("O'NEIL-7 ") && l.line != r.Find("PLAIN ");
            })) << "only product lines carry links";
}

// --- The saved run -------------------------------------------------------------------------

// The preview's "Run again" (F6) runs the saved run through the command
// routing, as a user does; both reports go to the transcript.
TEST_F(ListingTest, TheSavedRunRunsTheSameListingAgain) {
  LoadSampleCompany();
  const std::string params =
      "input='default' sortfld='Vendor' sortfrom='HARDLINE' sortto='PAPERMILL' rankfld='Description' "
      "rankfrom='B' rankto='s'";
  const Run run = RunScripted("F6 Esc Esc", [&] { return RunProductListing(params.c_str()); });
  std::vector<std::string> reports;
  const std::string begin = "preview: Product Listing", end = "--- end of report ---";
  for (std::size_t at = run.transcript.find(begin); at != std::string::npos; at = run.transcript.find(begin, at + 1))
    reports.push_back(run.transcript.substr(at, run.transcript.find(end, at) - at));
  ASSERT_EQ(2u, reports.size()) << run.transcript;
  EXPECT_EQ(reports[0], reports[1]);
  EXPECT_NE(std::string::npos, reports[0].find("Subtotal INKWELL:"));
  EXPECT_EQ(std::string::npos, reports[0].find("CLEANPRO")) << "the vendor range was applied";
  EXPECT_NE(std::string::npos,
            reports[0].find("Selection: Sort by: Vendor, from HARDLINE to PAPERMILL; "
                            "Rank by: Description, from B to s\n"))
      << reports[0];
}

TEST_F(ListingTest, TheHtmlFileCarriesTheSavedRunWithoutItsOutput) {
  Add("products", Product("P1", "Pliers", Json{{"bin", "A-01"}}));
  const Report r = RunReport("input='default' sortfld='Bin' sortfrom='A' rankfld='Description' rankto='Q'");
  EXPECT_EQ(350, r.savedRun.command);
  EXPECT_EQ(2, r.savedRun.kind);
  EXPECT_EQ("input='usersel' sortfld='Bin' sortfrom='A' sortto='' rankfld='Description' rankfrom='' rankto='Q'",
            r.savedRun.params);
}

// A saved run names no file: a string with input='usersel' never writes
// one, whatever "output" it carries.
TEST_F(ListingTest, ASavedRunNeverWritesAFile) {
  Add("products", Product("P1", "Pliers"));
  Run run;
  const Report r = RunReport("input='usersel' sortfld='Product Number'", &run, "Esc");
  EXPECT_TRUE(r.Empty());
  EXPECT_NE(std::string::npos, run.transcript.find("preview: Product Listing")) << run.transcript;
}

// --- Refusals and clean ends ----------------------------------------------------------------

TEST_F(ListingTest, AParameterStringThatCannotBeUsedRunsNothing) {
  Add("products", Product("P1", "Pliers"));
  const std::string overlong(41, 'Z');
  const struct {
    std::string params;
    int message;
  } cases[] = {
      {"input='default' sortfld='Shoe Size'", 2001},
      {"input='default' sortfrom='" + overlong + "'", 2001},
      {"input='default' psbeg='" + std::string(15, 'P') + "'", 2001},
      {"input='screen' colour='red'", 2001},
      {"input='default' rankfld='Sales Units' rankfrom='lots'", 2001},
      {"input='default' rankfld='Transaction Date'", 2001},
  };
  for (const auto& c : cases) {
    Run run;
    const Report r = RunReport(c.params, &run);
    EXPECT_TRUE(r.Empty()) << c.params;
    EXPECT_EQ(std::vector<int>{c.message}, run.messages) << c.params;
  }
}

void ExpectEverythingReleased() {
  for (BtrvHandle h = 1; h < 512; ++h) EXPECT_EQ(-1, TempIndexKey(h)) << "an index is left on handle " << h;
  const std::string path = FilePathGet(records::kFileProducts);
  EXPECT_EQ(0, BtrvFileRename(path.c_str(), (path + "_moved").c_str())) << path << " is still open";
  EXPECT_EQ(0, BtrvFileRename((path + "_moved").c_str(), path.c_str()));
}

TEST_F(ListingTest, AUserBreakEndsTheRunCleanly) {
  for (int i = 0; i < 30; ++i) Add("products", Product("P" + std::to_string(100 + i), "Part", Json{{"bin", "A"}}));
  Run run;
  const Report r = RunReport("input='default' sortfld='Bin'", &run, "Break");
  EXPECT_NE(-1, r.Find("stopped by the user")) << run.transcript;
  EXPECT_EQ(-1, r.Find("Total Products")) << "a stopped run shows no total";
  ExpectEverythingReleased();
}

TEST_F(ListingTest, ARecordManagerErrorEndsTheRunCleanly) {
  for (int i = 0; i < 5; ++i) Add("products", Product("P" + std::to_string(100 + i), "Part", Json{{"bin", "A"}}));
  WriteCompany();
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:products:3:2"));
  Run run;
  const Report r = RunReport("input='default' sortfld='Bin'", &run);
  BtrvTestSwitch("");
  EXPECT_TRUE(r.Empty()) << "no file that looks like a finished report";
  EXPECT_NE(std::string::npos, run.transcript.find("products")) << run.transcript;
  ExpectEverythingReleased();
}

}  // namespace
}  // namespace producttest
