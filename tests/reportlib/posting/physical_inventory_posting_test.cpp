// Physical-inventory posting (command 327) on the company of
// fixtures/pi_post_company.json: three counts (a loss of 2 bolts at 3.00, a
// gain of half a dozen nuts at 6.00 a dozen, pipes as on hand) posted into
// the products and the general ledger, the counts cleared; the checks that
// stop a run; and the books after a run stopped by a record-manager error or
// killed at any moment.
#include "posting/physical_inventory_posting.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "posting_test_support.h"
#include "qxabase/audit_log.h"
#include "qxtest/killed_run.h"
#include "qxtest/transcript.h"
#include "records/support.h"

namespace {

using records::GLAccount;
using records::GLLine;
using records::InventoryTransaction;
using records::PhysicalCount;
using records::TagGLHeader;
using records::TagProduct;

constexpr int kCommand = 327;
constexpr int kMarch = 2;  // the period entry of March 2025
// The files a run writes.
constexpr std::initializer_list<int> kBooks = {records::kFileGLAccounts,   records::kFileGLLines,
                                               records::kFileGLHeaders,    records::kFileTranSequences,
                                               records::kFilePhysicalCounts, records::kFileProducts,
                                               records::kFileInventoryTransactions, records::kFileAuditLog};

class PhysicalInventoryPostingTest : public posttest::PostingTest {
 protected:
  fixture::Json Company(char mode = 'I') {
    fixture::Json json = ReadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/pi_post_company.json");
    for (auto& s : json["files"]["settings"])
      if (s["key"] == "0Interface") s["glMode"] = std::string(1, mode);
    return json;
  }
  std::string Post(const std::string& keys) {
    Start(keys);
    SharedAppBlockGet()->currentCommand = kCommand;
    EXPECT_EQ(0, RunPhysicalInventoryPost());
    return Transcript();
  }
  std::map<std::string, TagProduct> Products() {
    std::map<std::string, TagProduct> out;
    for (const TagProduct& p : All<TagProduct>(records::kFileProducts)) out[std::string(records::Trimmed(p.number))] = p;
    return out;
  }
  // Each account's current balance and its amount of March.
  std::map<std::string, std::pair<double, double>> Balances() {
    std::map<std::string, std::pair<double, double>> out;
    for (const GLAccount& a : All<GLAccount>(records::kFileGLAccounts))
      out[a.code] = {a.currentBalance, a.periodAmounts[kMarch]};
    return out;
  }
  fixture::CompanyImage Books() { return Snapshot(kBooks); }

  // The books after one completed run of the company in mode `mode`.
  void ExpectPosted(char mode, const std::string& transcript);
};

void PhysicalInventoryPostingTest::ExpectPosted(char mode, const std::string& t) {
  // The summary's totals are those of the entry posted: in company mode the
  // loss of 6.00 and the gain of 3.00 are one line of 3.00 each side.
  const std::string summary = mode == 'I' ? "Debits 6.00, credits 6.00." : "Debits 3.00, credits 3.00.";
  EXPECT_NE(std::string::npos, t.find("3 transactions posted.\n" + summary)) << t;

  auto products = Products();
  EXPECT_DOUBLE_EQ(8, products["BOLT-10"].quantityOnHand);
  EXPECT_NEAR(24.00, products["BOLT-10"].valueOnHand, 0.001);
  EXPECT_DOUBLE_EQ(36, products["NUT-10"].quantityOnHand);
  EXPECT_NEAR(18.00, products["NUT-10"].valueOnHand, 0.001);
  EXPECT_DOUBLE_EQ(4, products["PIPE-2"].quantityOnHand);
  EXPECT_NEAR(40.00, products["PIPE-2"].valueOnHand, 0.001);

  // One activity record per product changed: a loss of 2 (kind 5), a gain of 6.
  const auto activity = All<InventoryTransaction>(records::kFileInventoryTransactions);
  ASSERT_EQ(2u, activity.size());
  std::map<std::string, InventoryTransaction> byProduct;
  for (const auto& a : activity) byProduct[std::string(records::Trimmed(a.productCode))] = a;
  const InventoryTransaction& bolt = byProduct["BOLT-10"];
  EXPECT_EQ('5', bolt.kind);
  EXPECT_EQ('I', bolt.source);
  EXPECT_DOUBLE_EQ(-2, bolt.quantity);
  EXPECT_NEAR(-6.00, bolt.extendedAmount, 0.001);
  EXPECT_NEAR(3.00, bolt.unitCost, 0.001);
  EXPECT_EQ(DateMake(2025, 3, 15), bolt.date);
  EXPECT_EQ(DateMake(2025, 3, 1), bolt.periodKey);
  const InventoryTransaction& nut = byProduct["NUT-10"];
  EXPECT_EQ('1', nut.kind);
  EXPECT_DOUBLE_EQ(6, nut.quantity);
  EXPECT_NEAR(3.00, nut.extendedAmount, 0.001);
  EXPECT_NEAR(6.00, nut.unitCost, 0.001) << "per dozen";

  // One posted G/L transaction of journal IN, balanced.
  const auto headers = All<TagGLHeader>(records::kFileGLHeaders);
  ASSERT_EQ(1u, headers.size());
  EXPECT_EQ("IN", records::Trimmed(headers[0].journalCode));
  EXPECT_EQ('Y', headers[0].postedFlag);
  EXPECT_EQ("COUNT-MAR", records::Trimmed(headers[0].reference));
  std::map<std::string, double> lines;  // account/side -> amount
  for (const GLLine& l : All<GLLine>(records::kFileGLLines))
    lines[std::string(records::Trimmed(l.account)) + "/" + l.side] += l.amount;
  const std::map<std::string, double> expected =
      mode == 'I' ? std::map<std::string, double>{{"5100HW/D", 6.00}, {"5100HW/C", 3.00}, {"1300/C", 3.00}}
                  : std::map<std::string, double>{{"5100/D", 3.00}, {"1300/C", 3.00}};
  EXPECT_EQ(expected, lines);
  auto balances = Balances();
  EXPECT_NEAR(4997.00, balances["1300"].first, 0.001);
  EXPECT_NEAR(-3.00, balances["1300"].second, 0.001);
  EXPECT_NEAR(3.00, balances[mode == 'I' ? "5100HW" : "5100"].first, 0.001);
  EXPECT_NEAR(3.00, balances[mode == 'I' ? "5100HW" : "5100"].second, 0.001);

  EXPECT_TRUE(All<PhysicalCount>(records::kFilePhysicalCounts).empty()) << "the counts are cleared";
  const auto audit = All<records::AuditLogEntry>(records::kFileAuditLog);
  ASSERT_EQ(1u, audit.size());
  EXPECT_EQ(kEntityPhysicalInventory, audit[0].entityType);
  EXPECT_EQ(kChangeModified, audit[0].changeType);
}

TEST_F(PhysicalInventoryPostingTest, CountsArePostedOnceInEitherMode) {
  for (const char mode : {'I', 'C'}) {
    SCOPED_TRACE(std::string("mode ") + mode);
    LoadCompany(Company(mode));
    // The reference, then F10; the summary is acknowledged.
    ExpectPosted(mode, Post("Tab \"COUNT-MAR\" F10 Enter"));

    // A second run finds nothing to post and changes nothing.
    const auto after = Books();
    const std::string again = Post("F10 Enter");
    EXPECT_NE(std::string::npos, again.find("Nothing was selected or printed.")) << again;
    EXPECT_EQ(after.files, Books().files);
  }
}

TEST_F(PhysicalInventoryPostingTest, EveryCountAsOnHandPostsAZeroEntry) {
  fixture::Json company = Company('C');
  company["files"]["physical_counts"] = {{{"productCode", "BOLT-10"}, {"printedFlag", "Y"}, {"countedQuantity", 10}},
                                         {{"productCode", "PIPE-2"}, {"printedFlag", "Y"}, {"countedQuantity", 4}}};
  LoadCompany(company);
  const auto products = Books().files[records::kFileProducts];
  const std::string t = Post("F10 Enter");
  EXPECT_NE(std::string::npos, t.find("2 transactions posted.\nDebits 0.00, credits 0.00.")) << t;
  EXPECT_EQ(products, Books().files[records::kFileProducts]);
  EXPECT_TRUE(All<InventoryTransaction>(records::kFileInventoryTransactions).empty());
  EXPECT_TRUE(All<PhysicalCount>(records::kFilePhysicalCounts).empty());
  EXPECT_NEAR(5000.00, Balances()["1300"].first, 0.001);
}

// A loss that changes no value (a product of zero cost, or one whose
// quantities are not valued) is still a stock-out: the activity follows the
// quantity, and the value stays as it was.
TEST_F(PhysicalInventoryPostingTest, ALossWithoutValueIsRecordedAsAStockOut) {
  struct Case {
    const char* name;
    fixture::Json bolts;  // changes to the bolts: 8 counted of 10 on hand
  };
  const Case cases[] = {
      {"zero cost", {{"lastCost", 0.0}, {"standardCost", 0.0}, {"averageCost", 0.0}}},
      {"zero fraction", {{"purchaseUnitFactor", 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company('C');
    company["files"]["products"][0].update(c.bolts);
    LoadCompany(company);
    const std::string t = Post("F10 Enter");
    EXPECT_NE(std::string::npos, t.find("3 transactions posted.")) << t;
    const TagProduct bolt = Products()["BOLT-10"];
    EXPECT_DOUBLE_EQ(8, bolt.quantityOnHand);
    EXPECT_NEAR(30.00, bolt.valueOnHand, 0.001);
    const InventoryTransaction* loss = nullptr;
    const auto activity = All<InventoryTransaction>(records::kFileInventoryTransactions);
    for (const auto& a : activity)
      if (records::Trimmed(a.productCode) == std::string("BOLT-10")) loss = &a;
    ASSERT_NE(nullptr, loss);
    EXPECT_EQ('5', loss->kind);
    EXPECT_DOUBLE_EQ(-2, loss->quantity);
    EXPECT_EQ(0.0, loss->extendedAmount);
    EXPECT_FALSE(std::signbit(loss->extendedAmount)) << "no value of -0.00";
  }
}

// A costing letter other than 'L', 'S' and 'A' values the counts at the
// average cost, as the journal shows them.
TEST_F(PhysicalInventoryPostingTest, AnyOtherCostingLetterTakesTheAverageCost) {
  fixture::Json company = Company('C');
  for (auto& s : company["files"]["settings"])
    if (s["key"] == "0SysPrefs") s["costingMethod"] = "X";
  LoadCompany(company);
  // Bolts: 2 lost at 2.50 on average; nuts: half a dozen gained at 6.00;
  // the entry nets them to 2.00.
  const std::string t = Post("F10 Enter");
  EXPECT_NE(std::string::npos, t.find("3 transactions posted.\nDebits 2.00, credits 2.00.")) << t;
  EXPECT_NEAR(25.00, Products()["BOLT-10"].valueOnHand, 0.001);
  EXPECT_NEAR(4998.00, Balances()["1300"].first, 0.001);
  EXPECT_NEAR(2.00, Balances()["5100"].first, 0.001);
}

// Problems the checks find stop the run before anything is written.
TEST_F(PhysicalInventoryPostingTest, AProblemFoundByTheChecksPostsNothing) {
  struct Case {
    const char* name;
    fixture::Json extraCount;       // added to the counts
    const char* productAccountStem;  // "0Interface" adjustment account
    int message;
    bool confirmUnprinted = false;
  };
  const std::vector<Case> cases = {
      {"product not on file",
       {{"productCode", "GHOST"}, {"printedFlag", "Y"}, {"countedQuantity", 1}}, "5100", 1359},
      {"product account not on file", nullptr, "5200", 1363},
      {"count below the committed quantity", nullptr, "5100", 1365},
      {"count not yet printed", nullptr, "5100", 1357, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company('I');
    if (!c.extraCount.is_null()) company["files"]["physical_counts"].push_back(c.extraCount);
    if (c.confirmUnprinted) company["files"]["physical_counts"][2]["printedFlag"] = "N";  // pipes
    if (c.message == 1365) company["files"]["products"][0]["secondQuantityOnHand"] = 9;  // bolts: 8 counted
    for (auto& s : company["files"]["settings"])
      if (s["key"] == "0Interface") s["costOfGoodsAccount"] = c.productAccountStem;
    std::vector<posttest::LedgerOptions> options;
    if (c.confirmUnprinted) options.push_back({kLedgerPhysicalInventory, 0, 'Y', 'Y'});
    LoadCompany(company, options);
    const auto before = Books();
    // "Skip" past the problem: the run still stops at the end of the checks.
    const std::string t = Post("F10 Right Enter Right Enter Right Enter");
    const auto shown = qxtest::MessageNumbers(t);
    EXPECT_NE(shown.end(), std::find(shown.begin(), shown.end(), c.message)) << t;
    EXPECT_EQ(before.files, Books().files);
  }
}

// A record-manager error at any write of the run leaves the books as they
// were, with the counts kept; the counts then post as in a clean run.
TEST_F(PhysicalInventoryPostingTest, ARecordManagerErrorLeavesTheBooksWhole) {
  const std::vector<std::string> failures = {
      "fail=3:products:2:84",                // the second product update
      "fail=2:inventory_transactions:1:84",  // the first activity record
      "fail=2:gl_lines:2:84",                // a G/L line
      "fail=3:gl_accounts:1:84",             // the posting into the accounts
      "fail=4:physical_counts:3:84",         // clearing the last count
  };
  for (const std::string& failure : failures) {
    SCOPED_TRACE(failure);
    LoadCompany(Company('I'));
    const auto before = Books();
    ASSERT_EQ(0, BtrvTestSwitch(failure.c_str()));
    const std::string stopped = Post("Tab \"COUNT-MAR\" F10 Enter Enter Enter");
    BtrvTestSwitch("");
    EXPECT_EQ(std::string::npos, stopped.find("transactions posted")) << stopped;
    EXPECT_EQ(before.files, Books().files);
    ExpectPosted('I', Post("Tab \"COUNT-MAR\" F10 Enter"));
  }
}

// The process is killed at random moments of a run; each time the books are
// either as before the run or as after it, holding together as the
// accountant checks them, and a rerun completes them.
TEST_F(PhysicalInventoryPostingTest, AKilledRunLeavesTheBooksWhole) {
  auto runChild = [&](long killAfter) {
    return qxtest::RunKilledChild(kCommand, "Tab \"COUNT-MAR\" F10 Enter", dir_ + "/child.txt", killAfter,
                                  [] { RunPhysicalInventoryPost(); });
  };
  // The books hold together before the run: the inventory account carries
  // the products' values (an uncounted product holds the rest) against an
  // equity account.
  fixture::Json company = Company('I');
  double stock = 0;
  for (const auto& p : company["files"]["products"]) stock += p["valueOnHand"].get<double>();
  company["files"]["products"].push_back({{"number", "STOCK"}, {"description", "Other stock"}, {"department", "HW"},
                                          {"purchaseUnitFactor", 1}, {"quantityOnHand", 1},
                                          {"valueOnHand", 5000.0 - stock}, {"productType", 1}});
  company["files"]["gl_accounts"].push_back(
      {{"code", "3900"}, {"name", "Owner's equity"}, {"level", "1"}, {"kind", 3}, {"type", "D"},
       {"currentBalance", 5000.0}});
  LoadCompany(company);
  ASSERT_TRUE(CheckBooks().hold) << CheckBooks().report;
  const auto initial = Books();
  const qxtest::ChildRun whole = runChild(-1);
  ASSERT_FALSE(whole.killed);
  const auto complete = Books();
  ASSERT_NE(initial.files, complete.files);

  std::mt19937 random(20250315);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    LoadCompany(company);
    runChild(std::uniform_int_distribution<long>(0, whole.micros)(random));
    const qxtest::BooksReport books = CheckBooks();
    EXPECT_TRUE(books.hold) << books.report;
    const auto now = Books();
    const bool untouched = now.files == initial.files;
    if (!untouched) {
      EXPECT_TRUE(All<PhysicalCount>(records::kFilePhysicalCounts).empty());
      EXPECT_EQ(1u, All<TagGLHeader>(records::kFileGLHeaders).size());
      continue;
    }
    ExpectPosted('I', Post("Tab \"COUNT-MAR\" F10 Enter"));
  }
}

TEST_F(PhysicalInventoryPostingTest, TheControllerPostsUnderThatName) {
  LoadCompany(Company('I'));
  SharedAppBlock* app = SharedAppBlockGet();
  app->userLevel = 5;
  AppBlockTextSet(app->userName, sizeof app->userName, "MARY");
  Post("F10 Enter");
  const auto audit = All<records::AuditLogEntry>(records::kFileAuditLog);
  ASSERT_EQ(1u, audit.size());
  EXPECT_EQ("CONTROLLER", records::Trimmed(audit[0].userId));
}

}  // namespace
