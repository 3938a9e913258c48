// The service listing (command 351) run through its entry on key scripts
// over the sample company and read back from the preview in the transcript:
// the orders of each sort and rank, the ranges, the department subtotals and
// the total, the sales columns, the checks of the screen, and the ways a
// run selects nothing or meets a record-manager error.
//
// The screen's fields in cursor order with both choices on the service
// code: 1 sort field, 2/3 its range, 8 rank field, 9/10 its range, 17 print
// the sales columns.  Space changes a choice; typing replaces a field's text.
//
// The sample company's services (code, department, price, units sold this
// year, sales dollars): ASSEMBLY OF 40 7.5 300; CONSULT OF 90 12.5 1125;
// DELIVERY OF 25 64 1600; INSTALL WS 65 46.5 3022.50; REPAIR WS 72 18 1296;
// TRAINING OF 55, never sold.
#include <string>
#include <vector>

#include "btrvc.h"
#include "preview_report.h"
#include "product_test_support.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "records/dictionary.h"
#include "reports/inventory/service_listing.h"

namespace producttest {
namespace {

constexpr int kCountX = 21;

class ServiceListingTest : public CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    LoadSampleCompany();
  }

  // Each run a user of its own, so that no run starts from the selection
  // the one before remembered.
  Run RunListing(const std::string& keys) { return Scripted(keys, [] { return RunServiceListing(); }); }
};

// What a listing shows: its services in order (code, description, measure,
// fraction, dept, price, units, dollars), its subtotals with the services of
// each group, and its total.
using Listing = GroupedListing;

Listing ListingOf(const PreviewReport& r) {
  return ReadGroupedListing(r, kCountX, "Total Services", [&r](int i) -> std::vector<std::string> {
    if (r.Cell(i, 22, 30).empty() || !r.Cell(i, 0, 1).empty()) return {};
    return {r.Cell(i, 1, 14), r.Cell(i, 22, 30), r.Cell(i, 56, 8), r.Cell(i, 69, 8),
            r.Cell(i, 82, 5), r.Cell(i, 95, 10), r.Cell(i, 108, 10), r.Cell(i, 121, 12)};
  });
}

TEST_F(ServiceListingTest, TheDefaultsListEveryServiceInCodeOrderWithTheTotal) {
  const Run run = RunListing("F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Service Listing");
  ASSERT_TRUE(r.shown) << run.transcript;
  EXPECT_TRUE(r.Contains("Sorted by: Service Code"));
  EXPECT_TRUE(r.Contains("Ranked by: Service Code"));
  EXPECT_TRUE(r.Contains("Sale Units"));
  const Listing l = ListingOf(r);
  const std::vector<std::vector<std::string>> expected = {
      {"ASSEMBLY", "Kit assembly labour", "HOUR", "1", "OF", "40.0000", "7.5000", "300.00"},
      {"CONSULT", "Office layout consulting", "HOUR", "1", "OF", "90.0000", "12.5000", "1125.00"},
      {"DELIVERY", "Local delivery", "TRIP", "1", "OF", "25.0000", "64.0000", "1600.00"},
      {"INSTALL", "Installation labour", "HOUR", "1", "WS", "65.0000", "46.5000", "3022.50"},
      {"REPAIR", "Repair labour", "HOUR", "1", "WS", "72.0000", "18.0000", "1296.00"},
      {"TRAINING", "Equipment training", "HOUR", "1", "OF", "55.0000", "0.0000", "0.00"},
  };
  EXPECT_EQ(expected, l.rows) << run.transcript;
  EXPECT_TRUE(l.subtotals.empty()) << "no subtotals unless sorted by department";
  EXPECT_EQ(6, l.total);
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
}

TEST_F(ServiceListingTest, EachSortAndRankGivesItsOrderAndRange) {
  const struct {
    const char* name;
    const char* keys;
    std::vector<std::string> codes;
    int total;
  } cases[] = {
      {"codes C to I", "Down \"C\" Down \"I\" F10 Esc", {"CONSULT", "DELIVERY"}, 2},
      {"codes from install", "Down \"install\" F10 Esc", {"INSTALL", "REPAIR", "TRAINING"}, 3},
      // Sort by description (second choice).
      {"by description", "Space F10 Esc", {"TRAINING", "INSTALL", "ASSEMBLY", "DELIVERY", "CONSULT", "REPAIR"}, 6},
      // Rank by sales dollars (fourth choice): the listing runs by dollars.
      {"ranked by dollars",
       "Down Down Down Space Space Space F10 Esc",
       {"TRAINING", "ASSEMBLY", "CONSULT", "REPAIR", "DELIVERY", "INSTALL"},
       6},
      {"dollars 1000 to 2000", "Down Down Down Space Space Space Down \"1000\" Down \"2000\" F10 Esc",
       {"CONSULT", "REPAIR", "DELIVERY"}, 3},
      // Rank by units sold (third choice), at least 40.
      {"units from 40", "Down Down Down Space Space Down \"40\" F10 Esc", {"INSTALL", "DELIVERY"}, 2},
      // Rank by the last sales date (fifth choice): sold in the last ten
      // days (today is 03/15/25).
      {"sold since 03/05/25", "Down Down Down Space Space Space Space Down \"030525\" F10 Esc",
       {"REPAIR", "INSTALL", "DELIVERY"}, 3},
  };
  for (const auto& c : cases) {
    const Run run = RunListing(c.keys);
    const Listing l = ListingOf(ReadPreview(run.transcript, "Service Listing"));
    EXPECT_EQ(c.codes, l.Items()) << c.name << "\n" << run.transcript;
    EXPECT_EQ(c.total, l.total) << c.name;
    EXPECT_TRUE(run.messages.empty()) << c.name << "\n" << run.transcript;
  }
}

TEST_F(ServiceListingTest, ByDepartmentEachGroupHasItsSubtotalAndTheyFootToTheTotal) {
  // Sort by G/L department (third choice), ranked by service code.
  const Run run = RunListing("Space Space F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Service Listing");
  EXPECT_TRUE(r.Contains("Sorted by: G/L Department")) << run.transcript;
  const Listing l = ListingOf(r);
  EXPECT_EQ((std::vector<std::string>{"ASSEMBLY", "CONSULT", "DELIVERY", "TRAINING", "INSTALL", "REPAIR"}), l.Items())
      << run.transcript;
  ASSERT_EQ(2u, l.subtotals.size()) << run.transcript;
  // Each subtotal counts the services printed above it since the one before.
  EXPECT_EQ("Subtotal OF:", l.subtotals[0].caption);
  EXPECT_EQ(4, l.subtotals[0].count);
  EXPECT_EQ((std::vector<std::string>{"ASSEMBLY", "CONSULT", "DELIVERY", "TRAINING"}), l.subtotals[0].members);
  EXPECT_EQ("Subtotal WS:", l.subtotals[1].caption);
  EXPECT_EQ(2, l.subtotals[1].count);
  EXPECT_EQ(l.subtotals[0].count + l.subtotals[1].count, l.total);
}

TEST_F(ServiceListingTest, WithoutTheSalesColumnsTheirHeadingsAndValuesAreLeftOut) {
  // Field 17 on its second entry.
  const Run run = RunListing("Down Down Down Down Down Down Space F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Service Listing");
  ASSERT_TRUE(r.shown) << run.transcript;
  EXPECT_FALSE(r.Contains("Sale Units")) << run.transcript;
  EXPECT_FALSE(r.Contains("Sale $"));
  EXPECT_FALSE(r.Contains("3022.50"));
  const Listing l = ListingOf(r);
  ASSERT_EQ(6u, l.rows.size()) << run.transcript;
  EXPECT_EQ("65.0000", l.rows[3][5]) << "the price stays";
  EXPECT_EQ("", l.rows[3][6]);
  EXPECT_EQ("", l.rows[3][7]);
}

TEST_F(ServiceListingTest, TheScreensChecksAndEmptySelectionsEndCleanly) {
  const struct {
    const char* name;
    const char* keys;
    std::vector<int> messages;
  } cases[] = {
      // A sort to below the first service: nothing to print, told once.
      {"to below the first", "Down Down \"A\" F10", {197}},
      {"from after to", "Down \"R\" Down \"C\" F10 Enter Esc", {205}},
      // Rank by the last sales date; a date that does not exist.
      {"a bad date", "Down Down Down Space Space Space Space Down \"134509\" Down Enter Esc", {13}},
      // Units from 5000: every service is read, none is printed.
      {"no service in the rank range", "Down Down Down Space Space Down \"5000\" F10", {197}},
      {"left with Esc", "Esc", {}},
  };
  for (const auto& c : cases) {
    const Run run = RunListing(c.keys);
    EXPECT_EQ(c.messages, run.messages) << c.name << "\n" << run.transcript;
    EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << c.name << "\n" << run.transcript;
    EXPECT_EQ(0, run.result);
  }
}

void ExpectServicesReleased() {
  for (BtrvHandle h = 1; h < 512; ++h) EXPECT_EQ(-1, TempIndexKey(h)) << "an index is left on handle " << h;
  const std::string path = FilePathGet(records::kFileServices);
  EXPECT_EQ(0, BtrvFileRename(path.c_str(), (path + "_moved").c_str())) << path << " is still open";
  EXPECT_EQ(0, BtrvFileRename((path + "_moved").c_str(), path.c_str()));
}

TEST_F(ServiceListingTest, AUserBreakOrARecordManagerErrorEndsTheRunCleanly) {
  // By department (an index is built), stopped at once.
  const Run stopped = RunListing("Space Space F10 Break");
  EXPECT_TRUE(ReadPreview(stopped.transcript, "Service Listing").Contains("stopped by the user"))
      << stopped.transcript;
  ExpectServicesReleased();

  ASSERT_EQ(0, BtrvTestSwitch("fail=6:services:3:2"));
  const Run failed = RunListing("Space Space F10 Esc");
  BtrvTestSwitch("");
  EXPECT_NE(std::string::npos, failed.transcript.find("services")) << failed.transcript;
  const PreviewReport r = ReadPreview(failed.transcript, "Service Listing");
  EXPECT_TRUE(r.Contains("report is incomplete")) << failed.transcript;
  EXPECT_EQ(-1, ListingOf(r).total) << "no total under an incomplete listing";
  ExpectServicesReleased();
}

TEST_F(ServiceListingTest, EachUsersLastSelectionComesBack) {
  AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, "ANNE");
  RunScripted("Space Space F10 Esc", [] { return RunServiceListing(); });
  const Run again = RunScripted("F10 Esc", [] { return RunServiceListing(); });
  EXPECT_TRUE(ReadPreview(again.transcript, "Service Listing").Contains("Sorted by: G/L Department"))
      << again.transcript;
  const Run defaults = RunScripted("Shift+F9 F10 Esc", [] { return RunServiceListing(); });
  EXPECT_TRUE(ReadPreview(defaults.transcript, "Service Listing").Contains("Sorted by: Service Code"))
      << defaults.transcript;
}

}  // namespace
}  // namespace producttest
