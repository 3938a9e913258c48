// The warehouse status reports (command 398), driven by key scripts
// through their selection screen over small fixtures and read back from
// the preview in the transcript: the consolidated figures of a master item,
// each report's page against its golden page, the screen's choices and
// checks, and a walk that stops part way.
//
// The screen's fields in cursor order with both criteria on the master
// item code: 1 the report, 2 the sort field, 3/4 its range, 13 the rank
// field, 14/15 its range.  Space changes a choice; typing replaces a
// field's text.
#include <string>
#include <vector>

#include "preview_report.h"
#include "product_test_support.h"
#include "reports/inventory/warehouse_status.h"

namespace producttest {
namespace {

constexpr const char* kDetailTitle = "Master Item Activity";
constexpr const char* kSummaryTitle = "Warehouse Status Summary";

Json MasterItem(const std::string& code, const std::string& description, const std::string& bin) {
  return Json{{"code", code}, {"description", description}, {"bin", bin}, {"department", "OF"}, {"vendor", "V1"}};
}

Json SubItem(const std::string& number, const std::string& warehouse, double onHand, double committed,
             double value, double cost) {
  return Product(number, "Sub-item " + number,
                 Json{{"warehouse", warehouse},
                      {"quantityOnHand", onHand},
                      {"secondQuantityOnHand", committed},
                      {"quantityAvailable", onHand - committed},
                      {"valueOnHand", value},
                      {"averageCost", cost}});
}

class WarehouseTest : public CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    SharedAppBlockGet()->currentCommand = 398;
    // M1 in two warehouses; M2 with no sub-item.
    Add("master_items", MasterItem("M1", "Zinc plates", "B-02"));
    Add("master_items", MasterItem("M2", "Nothing here", "B-01"));
    Add("products", SubItem("P1", "WH1", 10, 2, 100.0, 10.0));
    Add("products", SubItem("P2", "WH2", 5, 0, 55.0, 11.0));
    Add("master_item_members", Json{{"masterItem", "M1"}, {"productNumber", "P1"}});
    Add("master_item_members", Json{{"masterItem", "M1"}, {"productNumber", "P2"}});
  }

  // M3 of one sub-item, described so that it comes first by description.
  void AddAnvils() {
    Add("master_items", MasterItem("M3", "Anvils", "C-01"));
    Add("products", SubItem("P3", "WH1", 4, 1, 8.0, 2.0));
    Add("master_item_members", Json{{"masterItem", "M3"}, {"productNumber", "P3"}});
  }

  Run Report(const std::string& keys, const std::string& user = "USER") {
    AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, user.c_str());
    return RunScripted(keys, [] { return RunWarehouseStatusReport(); });
  }

  // The master item codes and product numbers the lines of a report start
  // with, in order.
  static std::vector<std::string> Codes(const PreviewReport& r, int x) {
    std::vector<std::string> out;
    for (int i = 0; i < static_cast<int>(r.lines.size()); ++i) {
      const std::string code = r.Cell(i, x, 10);
      if (code.size() == 2 && (code[0] == 'M' || code[0] == 'P') && std::isdigit(static_cast<unsigned char>(code[1])))
        out.push_back(code);
    }
    return out;
  }
};

// True when the report ends with a total: a rule under the value column
// alone, then the sum.
bool HasTotal(const PreviewReport& r) {
  for (const std::string& line : r.lines)
    if (qxtest::Trim(line) == "-----------") return true;
  return false;
}

std::string PageText(const PreviewReport& r) {
  std::string text;
  for (const std::string& line : r.lines) text += line + "\n";
  return text;
}

// M1 consolidated: 15 on hand, 2 committed, 13 available (in either
// fraction, both 1), an average cost of 155.00 / 15, and its value; M2 has
// no sub-item and is left out.  Both pages as the golden pages show them.
TEST_F(WarehouseTest, EachReportShowsTheConsolidatedMasterItem) {
  const Run summary = Report("Space F10 Esc");
  const PreviewReport s = ReadPreview(summary.transcript, kSummaryTitle);
  ASSERT_TRUE(s.shown) << summary.transcript;
  const int m1 = s.Find(" M1 ");
  ASSERT_NE(-1, m1);
  const int quantityX[] = {42, 53, 64, 75, 86, 97};
  const char* expected[] = {"15.0000", "2.0000", "13.0000", "15.0000", "2.0000", "13.0000"};
  for (int q = 0; q < 6; ++q) EXPECT_EQ(expected[q], s.Cell(m1, quantityX[q], 10)) << q;
  EXPECT_EQ("10.3333", s.Cell(m1, 108, 11));
  EXPECT_EQ("155.00", s.Cell(m1, 120, 11));
  EXPECT_EQ((std::vector<std::string>{"M1"}), Codes(s, 1)) << "M2 has no sub-item";
  EXPECT_TRUE(HasTotal(s));
  qxtest::ExpectGolden(PageText(s), "tests/reportlib/reports/inventory/golden/warehouse_summary.txt");

  const Run detail = Report("F10 Esc", "DETAIL");
  const PreviewReport d = ReadPreview(detail.transcript, kDetailTitle);
  ASSERT_TRUE(d.shown) << detail.transcript;
  EXPECT_EQ((std::vector<std::string>{"P1", "P2", "M1"}), Codes(d, 5));
  EXPECT_EQ("10.0000", d.Cell(d.Find(" P1 "), 113, 11)) << "each sub-item its own cost";
  EXPECT_EQ("11.0000", d.Cell(d.Find(" P2 "), 113, 11));
  EXPECT_EQ("10.3333", d.Cell(d.Find(" M1 "), 113, 11));
  EXPECT_EQ("", d.Cell(d.Find(" M1 "), 0, 4)) << "no warehouse on the consolidated line";
  qxtest::ExpectGolden(PageText(d), "tests/reportlib/reports/inventory/golden/master_item_activity.txt");
}

TEST_F(WarehouseTest, ValuesThatSumToZeroPrintNoTotal) {
  AddAnvils();
  fixture_["files"]["products"] = Json::array({SubItem("P1", "WH1", 1, 0, 10.0, 10.0),
                                               SubItem("P2", "WH2", 1, 0, -10.0, 0.0),
                                               SubItem("P3", "WH1", 0, 0, 0.0, 0.0)});
  const Run run = Report("Space F10 Esc");
  const PreviewReport s = ReadPreview(run.transcript, kSummaryTitle);
  ASSERT_TRUE(s.shown) << run.transcript;
  EXPECT_EQ("0.00", s.Cell(s.Find(" M1 "), 120, 11));
  EXPECT_EQ("0.0000", s.Cell(s.Find(" M3 "), 108, 11)) << "nothing on hand: no average cost";
  EXPECT_FALSE(HasTotal(s)) << run.transcript;
}

TEST_F(WarehouseTest, TheChecksAndChoicesOfTheScreen) {
  AddAnvils();
  const struct {
    const char* name;
    const char* keys;
    std::vector<int> messages;
    std::vector<std::string> listed;  // the detail's lines; empty: no report
  } cases[] = {
      {"sorted by description", "Down Space F10 Esc", {}, {"P3", "M3", "P1", "P2", "M1"}},
      // Bin is the fourth choice; its pair takes the bins.
      {"a bin range", "Down Space Space Space Down \"B\" Down \"B-99\" F10 Esc", {}, {"P1", "P2", "M1"}},
      {"from after to, by the one text rule", "Down Down \"m2\" Down \"M1\" F10 Enter Esc", {205}, {}},
      {"a master item range", "Down Down \"m2\" Down \"m3\" F10 Esc", {}, {"P3", "M3"}},
      {"a description rank", "Down Down Down Down Space Down \"A\" Down \"B\" F10 Esc", {}, {"P3", "M3"}},
      // F5 on the from field: the master items' list, the second taken.
      {"the look-up", "Down Down F5 Down Enter F10 Esc", {}, {"P3", "M3"}},
      {"Esc", "Space Esc", {}, {}},
  };
  int user = 0;
  for (const auto& c : cases) {
    const Run run = Report(c.keys, "USER" + std::to_string(++user));
    EXPECT_EQ(c.messages, run.messages) << c.name << "\n" << run.transcript;
    EXPECT_EQ(c.listed, Codes(ReadPreview(run.transcript, kDetailTitle), 5)) << c.name << "\n" << run.transcript;
  }
}

// Leaving the sort field backwards (Up, Shift+Tab) keeps the pair in use:
// the code range typed before still stands, and F10 first opens the pair
// of the field now chosen.
TEST_F(WarehouseTest, LeavingTheSortFieldBackwardsKeepsItsPair) {
  for (const char* back : {"Up", "Shift+Tab"}) {
    const Run run = Report(std::string("Down Down \"M3\" Up Space ") + back + " Esc", std::string("U") + back);
    const std::string end = run.transcript.substr(run.transcript.find("--- form end"));
    EXPECT_NE(std::string::npos, end.find("Sort by Description")) << back << "\n" << end;
    EXPECT_NE(std::string::npos, end.find("From M3")) << back << "\n" << end;
  }
  const Run run = Report("Down Down \"M3\" Up Space Up F10 Esc", "UF10");
  EXPECT_FALSE(ReadPreview(run.transcript, kDetailTitle).shown) << "the pair is opened first\n" << run.transcript;
}

TEST_F(WarehouseTest, EachUsersLastSelectionComesBackAndEscStoresNothing) {
  // The summary, by vendor (fifth choice).
  Report("Space Down Space Space Space Space F10 Esc", "ANNE");
  const std::string anne = StartScreen(Report("Esc", "ANNE").transcript);
  EXPECT_NE(std::string::npos, anne.find("Report  Summary")) << anne;
  EXPECT_NE(std::string::npos, anne.find("Sort by Vendor")) << anne;
  EXPECT_NE(std::string::npos, StartScreen(Report("Esc", "BOB").transcript).find("Sort by Master Item Code"));
  // Esc after a change keeps what was stored.
  Report("Down Space Esc", "ANNE");
  EXPECT_NE(std::string::npos, StartScreen(Report("Esc", "ANNE").transcript).find("Sort by Vendor"));
  // Shift+F9 the defaults.
  const Run defaults = Report("Shift+F9 F10 Esc", "ANNE");
  EXPECT_TRUE(ReadPreview(defaults.transcript, kDetailTitle).shown) << defaults.transcript;
}

// A failing read: the error box once, then the "incomplete" line, no total
// and no message 197.
TEST_F(WarehouseTest, AReadErrorEndsTheReportIncomplete) {
  for (const char* failure : {"fail=6:master_items:1:2", "fail=5:products:2:2"}) {
    SCOPED_TRACE(failure);
    WriteCompany();
    ASSERT_EQ(0, BtrvTestSwitch(failure));
    const Run run = Report("Space F10 Esc");
    BtrvTestSwitch("");
    const PreviewReport s = ReadPreview(run.transcript, kSummaryTitle);
    ASSERT_TRUE(s.shown) << run.transcript;
    EXPECT_TRUE(s.Contains("The report is incomplete"));
    EXPECT_FALSE(HasTotal(s)) << "no total";
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    std::size_t boxes = 0;
    for (std::size_t at = run.transcript.find("--- message box"); at != std::string::npos;
         at = run.transcript.find("--- message box", at + 1))
      ++boxes;
    EXPECT_EQ(1u, boxes) << run.transcript;
  }
}

}  // namespace
}  // namespace producttest
