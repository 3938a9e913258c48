// Inventory posting (command 328) on the company of
// fixtures/inventory_post_company.json: what a run does to the products, the
// adjustments and the general ledger, what it refuses, and the books after a
// run stopped by a record-manager failure or killed at any moment.
#include "posting/inventory_posting.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "posting_test_support.h"
#include "qxtest/killed_run.h"

namespace {

using records::GLLine;
using records::InventoryTransaction;
using records::TagGLHeader;
using records::TagProduct;

struct Stock {
  double quantity, second, value, average;
};

// One merged line of an "IA" transaction.
struct Line {
  std::string account;
  char side;
  double amount;
  bool operator==(const Line& o) const {
    return account == o.account && side == o.side && std::fabs(amount - o.amount) < 0.001;
  }
};
std::ostream& operator<<(std::ostream& out, const Line& l) {
  return out << l.side << ' ' << l.account << ' ' << l.amount;
}

// An "IA" transaction as the ledger holds it.
struct IATransaction {
  std::int32_t date;
  char posted;
  double amount;
  std::vector<Line> lines;  // in line-number order
};

class InventoryPostingTest : public posttest::PostingTest {
 protected:
  fixture::Json Company() {
    return ReadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/inventory_post_company.json");
  }

  // Runs command 328 with the key script `keys`; the transcript of the run.
  std::string Post(const std::string& keys) {
    Start(keys);
    SharedAppBlockGet()->currentCommand = 328;
    EXPECT_EQ(0, RunInventoryPost());
    return Transcript();
  }

  std::map<std::string, Stock> Products() {
    std::map<std::string, Stock> out;
    for (const TagProduct& p : All<TagProduct>(records::kFileProducts))
      out[std::string(records::Trimmed(p.number))] = {p.quantityOnHand, p.secondQuantityOnHand, p.valueOnHand,
                                                      p.averageCost};
    return out;
  }
  std::map<std::string, char> Marks() {
    std::map<std::string, char> out;
    for (const InventoryTransaction& t : All<InventoryTransaction>(records::kFileInventoryTransactions))
      if (t.source == 'T') out[Trimmed(t.transactionNumber)] = t.postedFlag;
    return out;
  }
  std::vector<IATransaction> IA() {
    std::map<std::string, IATransaction> byNumber;
    for (const TagGLHeader& h : All<TagGLHeader>(records::kFileGLHeaders))
      if (records::Trimmed(h.journalCode) == std::string("IA"))
        byNumber[h.transactionNumber] = {h.date, h.postedFlag, h.amount, {}};
    std::vector<GLLine> lines = All<GLLine>(records::kFileGLLines);
    std::sort(lines.begin(), lines.end(), [](const GLLine& a, const GLLine& b) { return a.lineNumber < b.lineNumber; });
    for (const GLLine& l : lines) {
      if (records::Trimmed(l.journalCode) != std::string("IA")) continue;
      byNumber[l.transactionNumber].lines.push_back({std::string(records::Trimmed(l.account)), l.side, l.amount});
    }
    std::vector<IATransaction> out;
    for (auto& [n, t] : byNumber) out.push_back(t);
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.date < b.date; });
    return out;
  }
  double Balance(const char* code) { return Account(code).currentBalance; }

  // The accountant's invariants: the inventory account holds the products'
  // value, every "IA" transaction is posted and balances.
  void ExpectBooksAgree() {
    double value = 0;
    for (const auto& [code, s] : Products()) value += s.value;
    EXPECT_NEAR(value, Balance("1300"), 0.001) << "the inventory account equals the products' value";
    for (const IATransaction& t : IA()) {
      EXPECT_EQ('Y', t.posted);
      double debit = 0, credit = 0;
      for (const Line& l : t.lines) (l.side == 'D' ? debit : credit) += l.amount;
      EXPECT_NEAR(debit, credit, 0.001);
    }
  }
};

// Posting up to 30 April: T1-T4 posted, T5 marked, T6 (May) left.
const std::map<std::string, char> kPostedMarks = {{"T1", 'Y'}, {"T2", 'Y'}, {"T3", 'Y'},
                                                  {"T4", 'Y'}, {"T5", 'Y'}, {"T6", 'N'}};
constexpr char kPostApril[] = "\"043025\" F10";

void ExpectSinglePost(const std::map<std::string, Stock>& products,
                      const std::vector<IATransaction>& ia) {
  const Stock& p1 = products.at("P1");
  EXPECT_NEAR(16, p1.quantity, 0.0001);
  EXPECT_NEAR(16, p1.second, 0.0001);
  EXPECT_NEAR(160.00, p1.value, 0.001);
  EXPECT_NEAR(10.0, p1.average, 0.00001);
  EXPECT_NEAR(17, products.at("P2").quantity, 0.0001);
  EXPECT_NEAR(170.00, products.at("P2").value, 0.001);
  ASSERT_EQ(2u, ia.size());
  EXPECT_EQ(DateMake(2025, 3, 31), ia[0].date);
  EXPECT_NEAR(50.00, ia[0].amount, 0.001);
  // One merged line per account and side, debits numbered from 1 and
  // credits from 10000 in the order they were first written.
  EXPECT_EQ((std::vector<Line>{{"5100", 'D', 40.00}, {"1300", 'D', 50.00}, {"1300", 'C', 40.00}, {"5200", 'C', 50.00}}),
            ia[0].lines);
  EXPECT_EQ(DateMake(2025, 4, 30), ia[1].date);
  EXPECT_NEAR(20.00, ia[1].amount, 0.001);
  EXPECT_EQ((std::vector<Line>{{"1300", 'D', 20.00}, {"5200", 'C', 20.00}}), ia[1].lines);
}

TEST_F(InventoryPostingTest, PostsEachPeriodOnceIntoItsOwnTransaction) {
  LoadCompany(Company());
  const std::string t = Post(std::string(kPostApril) + " Enter");
  EXPECT_NE(std::string::npos, t.find("4 transactions posted.\nDebits 110.00, credits 110.00.")) << t;
  ExpectSinglePost(Products(), IA());
  EXPECT_EQ(kPostedMarks, Marks());
  for (const IATransaction& ia : IA()) EXPECT_EQ('Y', ia.posted);
  // Each month takes its own figures.
  const records::GLAccount inventory = Account("1300");
  EXPECT_NEAR(330.00, inventory.currentBalance, 0.001);
  EXPECT_NEAR(10.00, inventory.periodAmounts[2], 0.001);
  EXPECT_NEAR(20.00, inventory.periodAmounts[3], 0.001);
  EXPECT_NEAR(40.00, Balance("5100"), 0.001);
  EXPECT_NEAR(-70.00, Balance("5200"), 0.001);
  ExpectBooksAgree();
  // The stock-outs keep the price they were posted at.
  for (const InventoryTransaction& a : All<InventoryTransaction>(records::kFileInventoryTransactions)) {
    if (Trimmed(a.transactionNumber) == "T1") {
      EXPECT_NEAR(10.0, a.unitCost, 0.0001);
      EXPECT_NEAR(-30.00, a.extendedAmount, 0.001);
    }
  }

  // A rerun finds nothing to post and changes nothing.
  const auto products = Products();
  const std::string again = Post(std::string(kPostApril) + " Enter");
  EXPECT_NE(std::string::npos, again.find("Nothing was selected")) << again;
  ExpectSinglePost(Products(), IA());
  EXPECT_NEAR(330.00, Balance("1300"), 0.001);
}

// Each refusal leaves the company as it was.
TEST_F(InventoryPostingTest, RefusedRunsWriteNothing) {
  struct Case {
    const char* name;
    const char* keys;
    const char* said;
    void (*change)(fixture::Json&);
  };
  const Case cases[] = {
      {"a date that is not a date", "\"139925\" F10", "The date is not valid", nullptr},
      {"a date in a closed period", "\"021525\" F10", "The date 02/15/2025 falls in period 2", nullptr},
      {"an account not on file, stopped", "\"043025\" F10 Enter", "Account 5999 of inventory transaction T3",
       [](fixture::Json& c) { c["files"]["inventory_transactions"][3]["glAccount"] = "5999"; }},
      {"a product not on file, stopped", "\"043025\" F10 Enter", "Product P9 of inventory transaction T3",
       [](fixture::Json& c) { c["files"]["inventory_transactions"][3]["productCode"] = "P9"; }},
      {"the inventory account missing", "\"043025\" F10 Enter", "Inventory account 1399",
       [](fixture::Json& c) { c["files"]["settings"][1]["inventoryAccount"] = "1399"; }},
      {"the inventory account a summary account", "\"043025\" F10 Enter", "Inventory account 1300 of the interface settings is a summary",
       [](fixture::Json& c) { c["files"]["gl_accounts"][1]["type"] = "G"; }},
      {"no interface settings", "\"043025\" F10 Enter", "name no inventory account",
       [](fixture::Json& c) { c["files"]["settings"].erase(1); }},
      {"a transaction in a closed period, stopped", "\"043025\" F10 Enter",
       "Inventory transaction T1 (IA-DecQty., product P1) is dated 02/20/25,\nin period 2, which is closed.",
       [](fixture::Json& c) {
         c["files"]["inventory_transactions"][1]["date"] = "2025-02-20";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    if (c.change) c.change(company);
    LoadCompany(company);
    const auto before = Snapshot({records::kFileInventoryTransactions, records::kFileProducts, records::kFileGLHeaders,
                                  records::kFileGLLines, records::kFileGLAccounts, records::kFileTranSequences});
    const std::string t = Post(c.keys);
    EXPECT_NE(std::string::npos, t.find(c.said)) << t;
    EXPECT_EQ(std::string::npos, t.find("transactions posted")) << t;
    const auto after = Snapshot({records::kFileInventoryTransactions, records::kFileProducts, records::kFileGLHeaders,
                                 records::kFileGLLines, records::kFileGLAccounts, records::kFileTranSequences});
    EXPECT_TRUE(before.files == after.files) << "nothing was written";
  }
}

// "Skip" in the check pass leaves the transaction unposted and unmarked and
// posts the others.
TEST_F(InventoryPostingTest, ASkippedTransactionStaysAsItWas) {
  struct Case {
    const char* name;
    const char* field;
    const char* value;
  };
  const Case cases[] = {{"an account not on file", "glAccount", "5999"}, {"a product not on file", "productCode", "P9"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    company["files"]["inventory_transactions"][3][c.field] = c.value;  // T3
    LoadCompany(company);
    const std::string t = Post("\"043025\" F10 Right Enter Enter");
    EXPECT_NE(std::string::npos, t.find("3 transactions posted.\nDebits 100.00, credits 100.00.")) << t;
    std::map<std::string, char> marks = kPostedMarks;
    marks["T3"] = 'N';
    EXPECT_EQ(marks, Marks());
    EXPECT_NEAR(17, Products().at("P1").quantity, 0.0001);
    EXPECT_NEAR(170.00, Products().at("P1").value, 0.001);
    ExpectBooksAgree();
  }
}

TEST_F(InventoryPostingTest, OtherActivityNeitherStopsNorJoinsTheRun) {
  fixture::Json company = Company();
  auto& trans = company["files"]["inventory_transactions"];
  // Unposted activity of billing, marked 'D', placed before T2.
  fixture::Json billing = trans[2];
  billing["transactionNumber"] = "     B1";
  billing["date"] = "2025-03-08";
  billing["source"] = "B";
  billing["secondSource"] = "D";
  trans.push_back(billing);
  // T1 takes all of P1; T3 is then priced at the average kept.
  trans[1]["quantity"] = -20;
  LoadCompany(company);
  const std::string t = Post(std::string(kPostApril) + " Enter");
  EXPECT_NE(std::string::npos, t.find("4 transactions posted.\nDebits 280.00, credits 280.00.")) << t;
  EXPECT_EQ(kPostedMarks, Marks());
  for (const InventoryTransaction& a : All<InventoryTransaction>(records::kFileInventoryTransactions)) {
    if (Trimmed(a.transactionNumber) == "B1") {
      EXPECT_EQ('N', a.postedFlag) << "another posting's activity";
    }
    if (Trimmed(a.transactionNumber) == "T3") {
      EXPECT_NEAR(-10.00, a.extendedAmount, 0.001);
    }
  }
  EXPECT_NEAR(-1, Products().at("P1").quantity, 0.0001);
  EXPECT_NEAR(-10.00, Products().at("P1").value, 0.001);
  EXPECT_NEAR(10.0, Products().at("P1").average, 0.0001);
  ExpectBooksAgree();
}

// A stock-out entered with a positive quantity raises its product's value:
// the inventory account is debited with it, so the two still agree.
TEST_F(InventoryPostingTest, TheInventoryAccountFollowsTheProductsValue) {
  fixture::Json company = Company();
  company["files"]["inventory_transactions"][3]["quantity"] = 1;  // T3
  LoadCompany(company);
  const std::string t = Post(std::string(kPostApril) + " Enter");
  EXPECT_NE(std::string::npos, t.find("4 transactions posted.\nDebits 110.00, credits 110.00.")) << t;
  EXPECT_NEAR(18, Products().at("P1").quantity, 0.0001);
  EXPECT_NEAR(180.00, Products().at("P1").value, 0.001);
  ExpectBooksAgree();
}

// What each kind of adjustment does to its product and the inventory
// account: quantity in, a transfer in and a raised value bring value in;
// a transfer out and a lowered value take it out, whatever sign the amount
// was entered with.
TEST_F(InventoryPostingTest, EachKindMovesValueItsOwnWay) {
  const struct {
    char kind;
    double quantity, amount;
    double value;  // P2's value after the run (100.00 before)
  } cases[] = {
      {'1', 1, 10.0, 110.0},  {'6', 2, 28.80, 128.80}, {'6', 2, -28.80, 128.80}, {'7', 0, 20.0, 120.0},
      {'2', -2, 20.0, 80.0},  {'2', -2, -20.0, 80.0},  {'8', 0, 15.0, 85.0},     {'8', 0, -15.0, 85.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("kind ") + c.kind + " amount " + std::to_string(c.amount));
    fixture::Json company = Company();
    fixture::Json kept = fixture::Json::array();
    for (const fixture::Json& t : company["files"]["inventory_transactions"])
      if (t["source"] != "T") kept.push_back(t);
    kept.push_back({{"productCode", "P2"}, {"transactionNumber", "K1"}, {"date", "2025-03-10"},
                    {"kind", std::string(1, c.kind)}, {"source", "T"}, {"reference", "Kind"}, {"glAccount", "5200"},
                    {"postedFlag", "N"}, {"unitDivisor", 1}, {"salesUnitFactor", 1}, {"quantity", c.quantity},
                    {"extendedAmount", c.amount}});
    company["files"]["inventory_transactions"] = kept;
    LoadCompany(company);
    const std::string t = Post(std::string(kPostApril) + " Enter");
    const Stock p2 = Products().at("P2");
    EXPECT_NEAR(10 + c.quantity, p2.quantity, 0.0001) << t;
    EXPECT_NEAR(c.value, p2.value, 0.001) << t;
    const double moved = std::fabs(c.value - 100.0);
    const bool in = c.value > 100.0;
    const std::vector<IATransaction> ia = IA();
    ASSERT_EQ(1u, ia.size()) << t;
    EXPECT_EQ((std::vector<Line>{{in ? "1300" : "5200", 'D', moved}, {in ? "5200" : "1300", 'C', moved}}),
              ia[0].lines);
    ExpectBooksAgree();
  }
}

// A failure of any write stops the run in the middle of a transaction; that
// transaction is left whole, those before it stay posted with their ledger
// entry, and a rerun completes the books to the figures of one run.
TEST_F(InventoryPostingTest, AFailedWriteLeavesEachTransactionWhole) {
  struct Case {
    const char* file;
    int op, calls;
  };
  // Four product updates, five marks, two "IA" headers.
  const Case cases[] = {{"products", 3, 4}, {"inventory_transactions", 3, 5}, {"gl_headers", 2, 2}};
  for (const Case& c : cases) {
    for (int n = 1; n <= c.calls; ++n) {
      const std::string spec =
          "fail=" + std::to_string(c.op) + ":" + c.file + ":" + std::to_string(n) + ":84";
      SCOPED_TRACE(spec);
      LoadCompany(Company());
      ASSERT_EQ(0, BtrvTestSwitch(spec.c_str()));
      const std::string stopped = Post(std::string(kPostApril) + " Enter");
      BtrvTestSwitch("");
      EXPECT_NE(std::string::npos, stopped.find("84")) << stopped;
      EXPECT_EQ(std::string::npos, stopped.find("transactions posted")) << stopped;
      ExpectBooksAgree();
      // What was marked moved its product, and nothing else did.
      double p2 = 10;
      const auto marks = Marks();
      if (marks.at("T2") == 'Y') p2 += 5;
      if (marks.at("T4") == 'Y') p2 += 2;
      EXPECT_NEAR(p2, Products().at("P2").quantity, 0.0001);

      Post(std::string(kPostApril) + " Enter");
      EXPECT_EQ(kPostedMarks, Marks());
      const auto products = Products();
      EXPECT_NEAR(16, products.at("P1").quantity, 0.0001);
      EXPECT_NEAR(160.00, products.at("P1").value, 0.001);
      EXPECT_NEAR(170.00, products.at("P2").value, 0.001);
      EXPECT_NEAR(330.00, Balance("1300"), 0.001);
      ExpectBooksAgree();
    }
  }
}

// `count` adjustments over March and April, stock-outs of P1 and stock-ins
// of P2 in turn.
fixture::Json ManyAdjustments(fixture::Json company, int count) {
  auto& trans = company["files"]["inventory_transactions"];
  const fixture::Json out = trans[1], in = trans[2];
  trans = fixture::Json::array();
  company["files"]["products"][0]["quantityOnHand"] = count;
  company["files"]["products"][0]["secondQuantityOnHand"] = count;
  company["files"]["products"][0]["valueOnHand"] = 10.0 * count;
  company["files"]["gl_accounts"][1]["currentBalance"] = 10.0 * count + 100.0;
  for (int i = 0; i < count; ++i) {
    fixture::Json t = i % 2 ? in : out;
    char number[16];
    std::snprintf(number, sizeof number, "%10d", 5000 + i);
    t["transactionNumber"] = number;
    const int month = i < count / 2 ? 3 : 4, day = i % 28 + 1;
    char date[16];
    std::snprintf(date, sizeof date, "2025-%02d-%02d", month, day);
    t["date"] = date;
    t["quantity"] = i % 2 ? 1 : -1;
    if (i % 2) t["extendedAmount"] = 10.0;
    trans.push_back(t);
  }
  return company;
}

// The process is killed at random moments of a run; each time every
// transaction is posted whole or not at all and the books agree, and a
// rerun completes them.
TEST_F(InventoryPostingTest, AKilledRunLeavesEachTransactionWhole) {
  constexpr int kTransactions = 300;
  const fixture::Json company = ManyAdjustments(Company(), kTransactions);
  auto runChild = [&](long killAfter) {
    return qxtest::RunKilledChild(328, kPostApril, dir_ + "/child.txt", killAfter, [] { RunInventoryPost(); });
  };
  LoadCompany(company);
  const qxtest::ChildRun whole = runChild(-1);
  ASSERT_FALSE(whole.killed);
  for (const auto& [number, mark] : Marks()) ASSERT_EQ('Y', mark) << number;
  const auto done = Products();
  const double doneBalance = Balance("1300");

  std::mt19937 random(20250430);
  for (int round = 0; round < 8; ++round) {
    LoadCompany(company);
    const long killAfter = std::uniform_int_distribution<long>(0, whole.micros)(random);
    SCOPED_TRACE("killed after " + std::to_string(killAfter) + " us");
    runChild(killAfter);
    long outs = 0, ins = 0;
    for (const InventoryTransaction& t : All<InventoryTransaction>(records::kFileInventoryTransactions))
      if (t.postedFlag == 'Y') (t.quantity < 0 ? outs : ins) += 1;
    const auto stock = Products();
    EXPECT_NEAR(kTransactions - outs, stock.at("P1").quantity, 0.0001);
    EXPECT_NEAR(10 + ins, stock.at("P2").quantity, 0.0001);
    ExpectBooksAgree();

    runChild(-1);
    EXPECT_NEAR(done.at("P1").value, Products().at("P1").value, 0.001);
    EXPECT_NEAR(done.at("P2").value, Products().at("P2").value, 0.001);
    EXPECT_NEAR(doneBalance, Balance("1300"), 0.001);
    ExpectBooksAgree();
  }
}

}  // namespace
