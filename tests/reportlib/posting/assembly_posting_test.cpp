// Assembly posting (command 326) on the company of
// fixtures/assembly_post_company.json: what a run does to the products, the
// activity records and the general ledger, how it is stopped, and the books
// after a run stopped by a conflict or killed at any moment.
#include "posting/assembly_posting.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "posting_test_support.h"
#include "qxtest/killed_run.h"

namespace {

using records::AssemblyHeader;
using records::InventoryTransaction;
using records::TagProduct;

// What a product holds after a run.
struct Stock {
  double quantity, second, value, average, lastCost;
  std::int32_t lastCostDate;
};

class AssemblyPostingTest : public posttest::PostingTest {
 protected:
  fixture::Json Company() {
    return ReadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/assembly_post_company.json");
  }

  // Runs command 326 with the key script `keys`; the transcript of the run.
  std::string Post(const std::string& keys) {
    Start(keys);
    SharedAppBlockGet()->currentCommand = 326;
    EXPECT_EQ(0, RunAssemblyPost());
    return Transcript();
  }

  std::map<std::string, Stock> Products() {
    std::map<std::string, Stock> out;
    for (const TagProduct& p : All<TagProduct>(records::kFileProducts))
      out[std::string(records::Trimmed(p.number))] = {p.quantityOnHand, p.secondQuantityOnHand, p.valueOnHand,
                                         p.averageCost,    p.lastCost,             p.lastPurchaseDate};
    return out;
  }
  // The posted flag of each assembly transaction on file, by number.
  std::map<std::string, char> Marks() {
    std::map<std::string, char> out;
    for (const AssemblyHeader& h : All<AssemblyHeader>(records::kFileAssemblyHeaders))
      out[Trimmed(h.transactionNumber)] = h.postedFlag;
    return out;
  }
  double Balance(const char* code) { return Account(code).currentBalance; }

  // The "AS" G/L transactions: their debit and credit totals, and whether
  // each is posted.
  struct Batch {
    double debit = 0, credit = 0;
    char posted = 0;
  };
  std::vector<Batch> Batches() {
    std::map<std::string, Batch> byNumber;
    for (const auto& h : All<records::TagGLHeader>(records::kFileGLHeaders))
      if (records::Trimmed(h.journalCode) == std::string("AS")) byNumber[h.transactionNumber].posted = h.postedFlag;
    for (const auto& l : All<records::GLLine>(records::kFileGLLines)) {
      if (records::Trimmed(l.journalCode) != std::string("AS")) continue;
      Batch& b = byNumber[l.transactionNumber];
      (l.IsDebit() ? b.debit : b.credit) += l.amount;
    }
    std::vector<Batch> out;
    for (const auto& [n, b] : byNumber) out.push_back(b);
    return out;
  }
};

void ExpectStock(const std::map<std::string, Stock>& expected, const std::map<std::string, Stock>& actual) {
  for (const auto& [code, e] : expected) {
    SCOPED_TRACE(code);
    const Stock& a = actual.at(code);
    EXPECT_NEAR(e.quantity, a.quantity, 0.0001);
    EXPECT_NEAR(e.second, a.second, 0.0001);
    EXPECT_NEAR(e.value, a.value, 0.001);
    EXPECT_NEAR(e.average, a.average, 0.0001);
    EXPECT_NEAR(e.lastCost, a.lastCost, 0.0001);
    EXPECT_EQ(e.lastCostDate, a.lastCostDate);
  }
}

// After posting 301 (assembly of 2 tables with labour), 302 (disassembly of
// a kit: its parts return to stock) and 303 (2 packs of 12 hinges).
const std::map<std::string, Stock> kPosted = {
    {"TABLE", {2, 0, 150.00, 75.0, 75.0, DateMake(2025, 3, 10)}},
    {"LEG", {14, 10, 70.00, 5.0, 0, DateMake(2025, 1, 15)}},
    {"TOP", {4, 3, 110.00, 27.5, 0, DateMake(2025, 1, 15)}},
    {"KIT", {2, 2, 80.00, 40.0, 0, DateMake(2025, 1, 15)}},
    // 24 hinges worth 50.00 more; the last cost is that of one pack.
    {"CASE12", {36, 12, 80.00, 26.6667, 25.0, DateMake(2025, 3, 12)}},
};

TEST_F(AssemblyPostingTest, PostingMovesStockValueAndLedgerOnce) {
  LoadCompany(Company());
  const std::string t = Post("F10");

  ExpectStock(kPosted, Products());
  // The summary ties to the "AS" transaction: the disassembly's 40.00 is
  // on both sides of the inventory account, as the entry holds it.
  EXPECT_NE(std::string::npos, t.find("3 transactions posted.\nDebits 240.00, credits 240.00.")) << t;
  EXPECT_EQ((std::map<std::string, char>{
                {"301", 'Y'}, {"302", 'Y'}, {"303", 'Y'}, {"304", 'Y'}, {"305", 'Y'}, {"306", 'N'}}),
            Marks());
  // Labour (90.00 of service cost) is taken into inventory.
  EXPECT_NEAR(5090.00, Balance("1300"), 0.001);
  EXPECT_NEAR(90.00, Balance("4900"), 0.001);
  const auto batches = Batches();
  ASSERT_EQ(1u, batches.size());
  EXPECT_EQ('Y', batches[0].posted);
  EXPECT_NEAR(240.00, batches[0].debit, 0.001);
  EXPECT_NEAR(240.00, batches[0].credit, 0.001);

  // One activity record for every product touched, signed by direction.
  struct Activity {
    std::string product, transaction;
    char kind;
    double quantity, value, unitCost;
  };
  const std::vector<Activity> expected = {
      {"CASE12", "303", '1', 24, 50.00, 25.0},  {"KIT", "302", '5', -1, -40.00, 40.0},
      {"LEG", "301", '5', -8, -40.00, 5.0},     {"LEG", "302", '1', 4, 20.00, 5.0},
      {"LEG", "303", '5', -2, -10.00, 5.0},     {"TABLE", "301", '1', 2, 150.00, 75.0},
      {"TOP", "301", '5', -2, -60.00, 30.0},    {"TOP", "302", '1', 1, 20.00, 20.0},
  };
  std::vector<Activity> written;
  for (const InventoryTransaction& a : All<InventoryTransaction>(records::kFileInventoryTransactions)) {
    std::string n(a.sourceTransaction, strnlen(a.sourceTransaction, sizeof a.sourceTransaction));
    n.erase(0, n.find_first_not_of(' '));
    n.erase(n.find_last_not_of(' ') + 1);
    EXPECT_EQ('A', a.source);
    EXPECT_EQ(45716, a.periodKey);
    written.push_back({std::string(records::Trimmed(a.productCode)), n, a.kind, a.quantity, a.extendedAmount, a.unitCost});
  }
  std::sort(written.begin(), written.end(), [](const Activity& x, const Activity& y) {
    return std::tie(x.product, x.transaction) < std::tie(y.product, y.transaction);
  });
  ASSERT_EQ(expected.size(), written.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].product + " " + expected[i].transaction);
    EXPECT_EQ(expected[i].transaction, written[i].transaction);
    EXPECT_EQ(expected[i].kind, written[i].kind);
    EXPECT_NEAR(expected[i].quantity, written[i].quantity, 0.0001);
    EXPECT_NEAR(expected[i].value, written[i].value, 0.001);
    EXPECT_NEAR(expected[i].unitCost, written[i].unitCost, 0.0001);
  }

  // A rerun finds nothing to post and changes nothing.
  const std::string again = Post("F10 Enter");
  EXPECT_NE(std::string::npos, again.find("Nothing was selected")) << again;
  ExpectStock(kPosted, Products());
  EXPECT_NEAR(5090.00, Balance("1300"), 0.001);
  EXPECT_EQ(1u, Batches().size());
  EXPECT_EQ(expected.size(), All<InventoryTransaction>(records::kFileInventoryTransactions).size());
}

TEST_F(AssemblyPostingTest, DeleteAfterPostingRemovesTransactionsAndTheirLines) {
  LoadCompany(Company());
  Post("Tab Tab \"Y\" F10");
  ExpectStock(kPosted, Products());
  EXPECT_EQ((std::map<std::string, char>{{"306", 'N'}}), Marks());
  for (const auto& c : All<records::AssemblyComponent>(records::kFileAssemblyComponents))
    EXPECT_EQ("306", Trimmed(c.transactionNumber)) << "only April's lines are left";
}

TEST_F(AssemblyPostingTest, NothingToPost) {
  struct Case {
    const char* name;
    std::vector<std::string> kept;  // the transactions of the company
    const char* keys;
    std::map<std::string, char> marks;  // afterwards
  };
  const Case cases[] = {
      {"an empty period", {"301", "306"}, "\"061525\" F10 Enter", {{"301", 'N'}, {"306", 'N'}}},
      // Posted or deleted in entry only: nothing to post, yet both are marked.
      {"only posted or deleted transactions",
       {"304", "305", "306"},
       "F10 Enter",
       {{"304", 'Y'}, {"305", 'Y'}, {"306", 'N'}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    fixture::Json kept = fixture::Json::array();
    for (const auto& h : company["files"]["assembly_headers"]) {
      std::string n = h["transactionNumber"].get<std::string>();
      n.erase(0, n.find_first_not_of(' '));
      if (std::find(c.kept.begin(), c.kept.end(), n) != c.kept.end()) kept.push_back(h);
    }
    company["files"]["assembly_headers"] = kept;
    LoadCompany(company);
    const auto before = Products();
    const std::string t = Post(c.keys);
    EXPECT_NE(std::string::npos, t.find("Nothing was selected")) << t;
    EXPECT_EQ(c.marks, Marks());
    EXPECT_TRUE(Batches().empty());
    EXPECT_NEAR(5000.00, Balance("1300"), 0.001);
    EXPECT_NEAR(before.at("LEG").quantity, Products().at("LEG").quantity, 0.0001);
  }
}

// A component short of stock without an override: the check asks first
// (skip posts the rest, stop posts nothing more); without the check the
// posting itself refuses it and stops.
TEST_F(AssemblyPostingTest, AShortComponentIsRefused) {
  struct Case {
    const char* name;
    char checkFirst;
    const char* keys;
    std::map<std::string, char> marks;
  };
  const Case cases[] = {
      {"checked and skipped", 'Y', "F10 Right Enter",
       {{"301", 'N'}, {"302", 'Y'}, {"303", 'Y'}, {"304", 'Y'}, {"305", 'Y'}, {"306", 'N'}}},
      {"checked and stopped", 'Y', "F10 Enter",
       {{"301", 'N'}, {"302", 'N'}, {"303", 'N'}, {"304", 'N'}, {"305", 'Y'}, {"306", 'N'}}},
      {"found while posting", 'N', "F10 Enter",
       {{"301", 'N'}, {"302", 'N'}, {"303", 'N'}, {"304", 'N'}, {"305", 'Y'}, {"306", 'N'}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    company["files"]["assembly_components"][1]["quantityShort"] = 1;  // TOP of 301
    LoadCompany(company, {{.ledger = kLedgerAssembly, .checkFirst = c.checkFirst}});
    const auto before = Products();
    const std::string t = Post(c.keys);
    EXPECT_NE(std::string::npos, t.find("Component TOP of assembly 301 is short")) << t;
    EXPECT_EQ(c.marks, Marks());
    // 301 moved nothing: its legs are where they were (or moved by 302/303 only).
    const double legs = c.marks.at("302") == 'Y' ? 20 + 4 - 2 : 20;
    EXPECT_NEAR(legs, Products().at("LEG").quantity, 0.0001);
    // The ledger carries exactly what was posted.
    const double service = c.marks.at("303") == 'Y' ? 40.00 : 0.0;
    EXPECT_NEAR(5000.00 + service, Balance("1300"), 0.001);
    for (const auto& b : Batches()) {
      EXPECT_EQ('Y', b.posted);
      EXPECT_NEAR(b.debit, b.credit, 0.001);
    }
  }
}

// A header whose value is not what its components cost would put into the
// inventory account what no product holds: it is asked about before
// anything of it is written, and skipped or stopped it moves nothing.
TEST_F(AssemblyPostingTest, AValueThatIsNotWhatTheComponentsCostIsRefused) {
  const struct {
    const char* name;
    const char* keys;
    std::map<std::string, char> marks;
  } cases[] = {
      {"skipped", "F10 Right Enter Enter",
       {{"301", 'N'}, {"302", 'Y'}, {"303", 'Y'}, {"304", 'Y'}, {"305", 'Y'}, {"306", 'N'}}},
      {"stopped", "F10 Enter",
       {{"301", 'N'}, {"302", 'N'}, {"303", 'N'}, {"304", 'N'}, {"305", 'Y'}, {"306", 'N'}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    company["files"]["assembly_headers"][1]["value"] = 155.0;  // 301: its components cost 150.00
    LoadCompany(company);
    const auto before = Products();
    const std::string t = Post(c.keys);
    EXPECT_NE(std::string::npos, t.find("The value of assembly 301 is 155.00,\nbut its components' costs come to 150.00."))
        << t;
    EXPECT_EQ(c.marks, Marks());
    const auto after = Products();
    EXPECT_NEAR(before.at("TABLE").value, after.at("TABLE").value, 0.001) << "301 built nothing";
    // The inventory account moved as the products' value did (303's labour
    // went into stock with it).
    double moved = 0;
    for (const auto& [code, stock] : after) moved += stock.value - before.at(code).value;
    EXPECT_NEAR(5000.00 + moved, Balance("1300"), 0.001);
    for (const auto& b : Batches()) EXPECT_NEAR(b.debit, b.credit, 0.001);
  }
}

// A conflict on any product rewrite stops the run in the middle of a
// transaction; that transaction is left whole, what came before stays
// posted with its ledger entry, and a rerun completes the books to the
// figures of one uninterrupted run.
TEST_F(AssemblyPostingTest, AConflictStopsTheRunAndARerunCompletesIt) {
  // 301 rewrites three products, 302 three, 303 two.
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE("product rewrite " + std::to_string(n) + " conflicts");
    LoadCompany(Company());
    ASSERT_EQ(0, BtrvTestSwitch(("fail=3:products:" + std::to_string(n) + ":84").c_str()));
    const std::string stopped = Post("F10 Enter");
    BtrvTestSwitch("");
    EXPECT_NE(std::string::npos, stopped.find("84")) << stopped;
    EXPECT_EQ(std::string::npos, stopped.find("transactions posted")) << stopped;
    double service = 0;
    const auto marks = Marks();
    if (marks.at("301") == 'Y') service += 50;
    if (marks.at("303") == 'Y') service += 40;
    EXPECT_NEAR(5000.00 + service, Balance("1300"), 0.001) << "the ledger matches what was posted";
    Post("F10");
    ExpectStock(kPosted, Products());
    EXPECT_NEAR(5090.00, Balance("1300"), 0.001);
    EXPECT_NEAR(90.00, Balance("4900"), 0.001);
    EXPECT_EQ(8u, All<InventoryTransaction>(records::kFileInventoryTransactions).size());
  }
}

// A commit that fails takes back its whole group, the run's G/L entry with
// it: the run stops with the one error, posts nothing of the group, and a
// rerun posts everything once.
TEST_F(AssemblyPostingTest, AFailedCommitTakesItsGroupBackAndTheLedgerStillMatches) {
  LoadCompany(Company());
  const auto marks = Marks();
  ASSERT_EQ(0, BtrvTestSwitch("group=3:600000 commit=1:2"));
  const std::string stopped = Post("F10 Enter Enter");
  BtrvTestSwitch("");
  std::size_t boxes = 0;
  for (std::size_t at = stopped.find("--- message box"); at != std::string::npos;
       at = stopped.find("--- message box", at + 1))
    ++boxes;
  EXPECT_EQ(1u, boxes) << stopped;
  EXPECT_NE(std::string::npos, stopped.find("Error 2:")) << stopped;
  EXPECT_EQ(std::string::npos, stopped.find("transactions posted")) << stopped;
  EXPECT_EQ(marks, Marks());
  EXPECT_TRUE(Batches().empty());
  EXPECT_NEAR(5000.00, Balance("1300"), 0.001);
  Post("F10");
  ExpectStock(kPosted, Products());
  EXPECT_NEAR(5090.00, Balance("1300"), 0.001);
}

// A larger company: `count` assemblies of a table from 4 legs and a top and
// 10.00 of labour, each dated in March.  Its books hold together: the
// inventory account carries the products' values against an equity account,
// so the trial balance holds.
fixture::Json ManyAssemblies(fixture::Json company, int count) {
  auto& headers = company["files"]["assembly_headers"];
  auto& lines = company["files"]["assembly_components"];
  headers = fixture::Json::array();
  lines = fixture::Json::array();
  auto& products = company["files"]["products"];
  products[1]["quantityOnHand"] = 4.0 * count;
  products[1]["valueOnHand"] = 20.0 * count;
  products[2]["quantityOnHand"] = 1.0 * count;
  products[2]["valueOnHand"] = 30.0 * count;
  double stock = 0;
  for (const auto& p : products) stock += p["valueOnHand"].get<double>();
  auto& accounts = company["files"]["gl_accounts"];
  accounts[0]["currentBalance"] = stock;
  accounts.push_back({{"code", "3900"}, {"name", "Owner's equity"}, {"level", "1"}, {"kind", 3}, {"type", "D"},
                      {"currentBalance", stock}});
  for (int i = 0; i < count; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%10d", 5000 + i);
    const int day = i * 28 / count + 1;
    const std::string date = "2025-03-" + std::string(day < 10 ? "0" : "") + std::to_string(day);
    headers.push_back({{"transactionNumber", number}, {"productCode", "TABLE"}, {"reference", "Run"},
                       {"date", date}, {"journalPrinted", "2025-03-14"}, {"postedFlag", "N"},
                       {"quantity", 1}, {"value", 60.0}, {"assemblyLetter", "A"}});
    lines.push_back({{"transactionNumber", number}, {"componentCode", "LEG"}, {"overrideFlag", "N"},
                     {"consumeLetter", "A"}, {"quantityNeeded", 4}, {"cost", 20.0}});
    lines.push_back({{"transactionNumber", number}, {"componentCode", "TOP"}, {"overrideFlag", "N"},
                     {"consumeLetter", "A"}, {"quantityNeeded", 1}, {"cost", 30.0}});
    lines.push_back({{"transactionNumber", number}, {"componentCode", "LABOR"}, {"overrideFlag", "N"},
                     {"consumeLetter", "A"}, {"quantityNeeded", 1}, {"cost", 10.0}});
  }
  return company;
}

// The process is killed at random moments of a run.  Each time the books
// hold together as an accountant checks them (the trial balance, the
// inventory account equal to the products' values, every posted G/L
// transaction balanced), the ledger has taken exactly the transactions
// marked posted with nothing left for the general-ledger posting, and a
// rerun leaves the books as one uninterrupted run does.
TEST_F(AssemblyPostingTest, AKilledRunLeavesEachTransactionWhole) {
  constexpr int kTransactions = 300;
  const fixture::Json company = ManyAssemblies(Company(), kTransactions);
  auto runChild = [&](long killAfter) {
    return qxtest::RunKilledChild(326, "F10", dir_ + "/child.txt", killAfter, [] { RunAssemblyPost(); });
  };
  // What a test compares of the books: the products, the marks, and each
  // account's balance and March amount.
  auto accounts = [&] {
    std::map<std::string, std::pair<double, double>> out;
    for (const auto& a : All<records::GLAccount>(records::kFileGLAccounts))
      out[a.code] = {a.currentBalance, a.periodAmounts[2]};
    return out;
  };
  // Groups of 20 transactions, so that kills fall between the commits of a
  // run (one group would hold the whole run).
  ASSERT_EQ(0, BtrvTestSwitch("group=20:600000"));
  LoadCompany(company);
  ASSERT_TRUE(CheckBooks().hold) << CheckBooks().report;
  const qxtest::ChildRun whole = runChild(-1);
  ASSERT_FALSE(whole.killed);
  const auto stock = Products();
  const auto marks = Marks();
  const auto ledger = accounts();
  ASSERT_NEAR(kTransactions, stock.at("TABLE").quantity, 0.0001);
  ASSERT_NEAR(10.0 * kTransactions, ledger.at("4900").first, 0.001);

  const int killedInTheRun = qxtest::KillAtRandomMoments(16, whole.micros, [&] { LoadCompany(company); }, runChild, [&] {
    long posted = 0;
    for (const auto& [n, flag] : Marks()) posted += flag == 'Y';
    const auto now = Products();
    EXPECT_NEAR(posted, now.at("TABLE").quantity, 0.0001);
    EXPECT_NEAR(4.0 * (kTransactions - posted), now.at("LEG").quantity, 0.0001);
    EXPECT_EQ(3 * posted, static_cast<long>(All<InventoryTransaction>(records::kFileInventoryTransactions).size()));
    const qxtest::BooksReport books = CheckBooks();
    EXPECT_TRUE(books.hold) << "after " << posted << " transactions:\n" << books.report;
    // The ledger took the labour of exactly the transactions posted, and no
    // "AS" transaction waits for the general-ledger posting.
    EXPECT_NEAR(10.0 * posted, Balance("4900"), 0.001);
    for (const auto& b : Batches()) EXPECT_EQ('Y', b.posted);

    runChild(-1);
    ExpectStock(stock, Products());
    EXPECT_EQ(marks, Marks());
    const auto after = accounts();
    for (const auto& [code, b] : ledger) {
      EXPECT_NEAR(b.first, after.at(code).first, 0.001) << code;
      EXPECT_NEAR(b.second, after.at(code).second, 0.001) << code;
    }
    EXPECT_EQ(3 * kTransactions,
              static_cast<long>(All<InventoryTransaction>(records::kFileInventoryTransactions).size()));
  });
  EXPECT_GT(killedInTheRun, 0) << "at least one kill fell inside a run";
}

// The service account missing from the chart: every transaction with labour
// is asked about before anything of it is written; skipped, it is left
// untouched, and the rest post, the ledger holding only what they booked.
TEST_F(AssemblyPostingTest, AMissingServiceAccountLeavesItsTransactionsUntouched) {
  struct Case {
    const char* name;
    char checkFirst;
  };
  for (const Case& c : {Case{"posted without the check", 'N'}, Case{"checked first", 'Y'}}) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    auto& accounts = company["files"]["gl_accounts"];
    accounts.erase(1);  // 4900, labour applied
    LoadCompany(company, {{.ledger = kLedgerAssembly, .checkFirst = c.checkFirst}});
    const auto before = Products();
    // Skip 301 and 303 (both with labour); the summary of 302.
    const std::string t = Post("F10 Right Enter Right Enter Enter");
    EXPECT_NE(std::string::npos, t.find("301")) << t;
    EXPECT_EQ(2u, [&] {
      std::size_t n = 0;
      for (std::size_t at = t.find("4900"); at != std::string::npos; at = t.find("4900", at + 1)) ++n;
      return n;
    }()) << "asked once for each transaction with labour:\n" << t;
    EXPECT_NE(std::string::npos, t.find("1 transactions posted.")) << t;
    EXPECT_EQ((std::map<std::string, char>{
                  {"301", 'N'}, {"302", 'Y'}, {"303", 'N'}, {"304", 'Y'}, {"305", 'Y'}, {"306", 'N'}}),
              Marks());
    const auto after = Products();
    // 301 and 303 moved nothing: only the kit was taken apart.
    EXPECT_NEAR(before.at("TABLE").value, after.at("TABLE").value, 0.001);
    EXPECT_NEAR(before.at("CASE12").value, after.at("CASE12").value, 0.001);
    EXPECT_NEAR(before.at("LEG").quantity + 4, after.at("LEG").quantity, 0.0001);
    EXPECT_NEAR(before.at("KIT").value - 40, after.at("KIT").value, 0.001);
    EXPECT_NEAR(5000.00, Balance("1300"), 0.001);
    for (const auto& l : All<records::GLLine>(records::kFileGLLines))
      EXPECT_NE(std::string("4900"), records::Trimmed(l.account)) << "no line to the missing account";
    for (const auto& b : Batches()) {
      EXPECT_EQ('Y', b.posted);
      EXPECT_NEAR(b.debit, b.credit, 0.001);
    }
  }
}

}  // namespace
