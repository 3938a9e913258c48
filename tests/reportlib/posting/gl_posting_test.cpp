// General-ledger posting (command 320) as the accountant uses it, on the
// company of fixtures/gl_post_company.json: what a run posts, skips, marks,
// deletes and asks, the Backup/Restore detour, and the books after a run
// stopped by a conflict or killed at any moment.
#include "posting/gl_posting.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "posting_test_support.h"
#include "qxtest/killed_run.h"

namespace {

using records::GLAccount;
using records::TagGLHeader;

constexpr int kMarch = 2;  // the period entry of March 2025

// An account's current balance and its amount of March.
struct Balance {
  double current;
  double march;
};

class GLPostingTest : public posttest::PostingTest {
 protected:
  void SetUp() override {
    PostingTest::SetUp();
    SharedAppBlockGet()->currentCommand = 320;
  }
  fixture::Json Company() {
    return ReadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/gl_post_company.json");
  }

  // Runs command 320 with the key script `keys`; the transcript of the run.
  std::string Post(const std::string& keys) {
    Start(keys);
    SharedAppBlockGet()->currentCommand = 320;
    EXPECT_EQ(0, RunGLPost());
    return Transcript();
  }

  std::map<std::string, Balance> Balances();
  std::vector<std::vector<std::string>> KillRunsAtRandom(const fixture::Json& company);
};

std::map<std::string, Balance> GLPostingTest::Balances() {
  std::map<std::string, Balance> out;
  for (const GLAccount& a : All<GLAccount>(records::kFileGLAccounts))
    out[a.code] = {a.currentBalance, a.periodAmounts[kMarch]};
  return out;
}

void ExpectBalances(const std::map<std::string, double>& moves, const std::map<std::string, Balance>& before,
                    const std::map<std::string, Balance>& after) {
  for (const auto& [code, b] : before) {
    const auto move = moves.find(code);
    const double m = move == moves.end() ? 0.0 : move->second;
    EXPECT_NEAR(b.current + m, after.at(code).current, 0.001) << "balance of " << code;
    EXPECT_NEAR(b.march + m, after.at(code).march, 0.001) << "March amount of " << code;
  }
}

// The accounts moved by exactly the lines of 1001, 1002 and CK 2001, each in
// its natural sign.
const std::map<std::string, double> kPostedMoves = {
    {"1010", +500.00}, {"4010", +500.00}, {"5010", +1200.00}, {"1020", -1275.25}, {"6010", +75.25}};

TEST_F(GLPostingTest, TheAccountantsCheck) {
  LoadCompany(Company());
  const auto before = Balances();
  const auto held = HeaderImage("GJ", "1003");
  const auto april = HeaderImage("GJ", "1007");
  const auto unbalanced = HeaderImage("GJ", "1006");
  // F10 posts; the out-of-balance 1006 is skipped when asked; the summary is read.
  const std::string t = Post("F10 Left Enter Enter");

  ExpectBalances(kPostedMoves, before, Balances());
  EXPECT_NE(std::string::npos,
            t.find("3 transactions posted.\nDebits 1775.25, credits 1775.25.\nHeld transactions left unposted: 1."))
      << "the summary counts the held 1003 it left:\n" << t;
  EXPECT_NE(std::string::npos,
            t.find("Transaction 1006 of journal GJ is out of balance:\ndebits 100.00, credits 90.00."))
      << t;
  for (const char* n : {"1001", "1002", "1004", "1005"}) EXPECT_EQ('Y', Header("GJ", n).postedFlag) << n;
  EXPECT_EQ('Y', Header("CK", "2001").postedFlag);
  EXPECT_EQ(held, HeaderImage("GJ", "1003")) << "a held transaction is left exactly as it was";
  EXPECT_EQ(april, HeaderImage("GJ", "1007")) << "a transaction of April is left exactly as it was";
  EXPECT_EQ(unbalanced, HeaderImage("GJ", "1006")) << "the out-of-balance transaction stays unposted";

  const auto checks = All<records::TagCheckRegister>(records::kFileCheckRegister);
  ASSERT_EQ(1u, checks.size()) << "the check reaches the register once";
  EXPECT_STREQ("1020", checks[0].bankAccount);
  EXPECT_STREQ("2001", checks[0].checkNumber);
  EXPECT_DOUBLE_EQ(75.25, checks[0].amount);

  // Posting again finds nothing new: 1006 is asked about again and skipped.
  const auto posted = Balances();
  const std::string again = Post("F10 Left Enter Enter");
  ExpectBalances({}, posted, Balances());
  EXPECT_EQ(1u, All<records::TagCheckRegister>(records::kFileCheckRegister).size());
  EXPECT_EQ(std::string::npos, again.find("transactions posted")) << again;
  EXPECT_EQ(std::string::npos, again.find("Nothing was selected")) << "1006 was considered:\n" << again;
}

TEST_F(GLPostingTest, APeriodWithNothingToPostSaysSo) {
  struct Case {
    const char* name;
    std::vector<std::string> kept;  // the transactions of the company
    const char* keys;
    std::vector<std::string> posted;  // marked 'Y' afterwards
    const char* shown;
  };
  const char* const nothing = "Nothing was selected or printed.";
  const Case cases[] = {
      // Posted or deleted in entry only: nothing to post, yet both are marked.
      {"only posted or deleted transactions", {"1004", "1005", "1007"}, "F10 Enter", {"1004", "1005"}, nothing},
      // June holds no transaction at all.
      {"an empty period", {"1001", "1007"}, "\"061525\" F10 Enter", {}, nothing},
      // The held 1003 is left as it is, and the user is told why nothing was posted.
      {"only a held transaction", {"1003", "1007"}, "F10 Enter", {},
       "Nothing was posted: every unposted transaction of the period is held.\nHeld transactions left unposted: 1."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    for (const char* file : {"gl_headers", "gl_lines"}) {
      fixture::Json kept = fixture::Json::array();
      for (const auto& r : company["files"][file]) {
        std::string n = r["transactionNumber"].get<std::string>();
        n.erase(0, n.find_first_not_of(' '));
        if (std::find(c.kept.begin(), c.kept.end(), n) != c.kept.end()) kept.push_back(r);
      }
      company["files"][file] = kept;
    }
    LoadCompany(company);
    const auto before = Balances();
    const std::string t = Post(c.keys);
    EXPECT_NE(std::string::npos, t.find(c.shown)) << t;
    ExpectBalances({}, before, Balances());
    std::vector<std::string> posted;
    for (const TagGLHeader& h : All<TagGLHeader>(records::kFileGLHeaders))
      if (h.postedFlag == 'Y') posted.push_back(Trimmed(h.transactionNumber));
    EXPECT_EQ(c.posted, posted);
  }
}

TEST_F(GLPostingTest, WithoutThePreCheckAnOutOfBalanceTransactionStopsTheRun) {
  LoadCompany(Company(), {{.ledger = kLedgerGeneral, .checkFirst = 'N'}});
  const auto before = Balances();
  const std::string t = Post("F10 Enter");
  // Everything before 1006 stays posted; 1006 and what follows are not
  // touched, and no summary claims a complete run.
  ExpectBalances(kPostedMoves, before, Balances());
  EXPECT_NE(std::string::npos, t.find("Transaction 1006 of journal GJ is out of balance:")) << t;
  EXPECT_EQ(std::string::npos, t.find("transactions posted")) << t;
  EXPECT_EQ('N', Header("GJ", "1006").postedFlag);
  EXPECT_EQ('Y', Header("GJ", "1005").postedFlag);
}

TEST_F(GLPostingTest, TheDeleteOptionRemovesWhatWasPostedOrMarked) {
  struct Case {
    const char* name;
    std::vector<posttest::LedgerOptions> options;
    const char* keys;
  };
  const Case cases[] = {
      {"chosen on the screen", {}, "Tab \"Y\" F10 Left Enter Enter"},
      {"preset by the ledger's option",
       {{.ledger = kLedgerGeneral, .deleteAfterPosting = 'Y'}},
       "F10 Left Enter Enter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(Company(), c.options);
    const auto before = Balances();
    const std::string t = Post(c.keys);
    ExpectBalances(kPostedMoves, before, Balances());
    for (const char* n : {"1001", "1002", "1004", "1005"}) EXPECT_TRUE(HeaderImage("GJ", n).empty()) << n;
    EXPECT_TRUE(HeaderImage("CK", "2001").empty());
    for (const char* n : {"1003", "1006", "1007"}) EXPECT_FALSE(HeaderImage("GJ", n).empty()) << n;
    std::map<std::string, int> lines;
    for (const auto& l : All<records::GLLine>(records::kFileGLLines)) ++lines[Trimmed(l.transactionNumber)];
    EXPECT_EQ((std::map<std::string, int>{{"1003", 2}, {"1006", 2}, {"1007", 2}}), lines);
    EXPECT_NE(std::string::npos, t.find("3 transactions posted.")) << t;
  }
}

TEST_F(GLPostingTest, UnprintedTransactionsAreConfirmed) {
  struct Case {
    const char* name;
    const char* keys;
    bool summary;
    std::map<std::string, double> moves;
  };
  const Case cases[] = {
      // 1006, never printed, is asked about first: skipped, it is neither
      // checked nor posted, and the run completes.
      {"skipped", "F10 Left Enter Enter", true, kPostedMoves},
      // Stopped: what came before stays posted; no summary.
      {"stopped", "F10 Enter", false, kPostedMoves},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(Company(), {{.ledger = kLedgerGeneral, .confirmUnprinted = 'Y'}});
    const auto before = Balances();
    const std::string t = Post(c.keys);
    ExpectBalances(c.moves, before, Balances());
    EXPECT_NE(std::string::npos,
              t.find("Transaction 1006 of journal GJ has not been printed in the journal."))
        << t;
    EXPECT_EQ(std::string::npos, t.find("out of balance")) << "asked before it is checked";
    EXPECT_EQ(c.summary, t.find("3 transactions posted.") != std::string::npos) << t;
    EXPECT_EQ('N', Header("GJ", "1006").postedFlag);
  }
}

TEST_F(GLPostingTest, F9DetoursThroughBackupAndComesBackWithItsDate) {
  LoadCompany(Company());
  SharedAppBlock* app = SharedAppBlockGet();
  ASSERT_EQ(1, CommandAccess(1, 320));
  // The user types 04/10/25 and asks for a backup first.
  std::string t = Post("\"041025\" F9");
  EXPECT_EQ(602, app->currentCommand);
  EXPECT_EQ(320, app->nextCommand);
  EXPECT_EQ(DateMake(2025, 4, 10), app->carriedPostDate);
  EXPECT_FALSE(CommandAccessHeld(320)) << "the command lock is released before the detour";
  EXPECT_EQ('N', Header("GJ", "1001").postedFlag) << "nothing is posted on the way out";

  // The main loop runs 602, then 320 again: the screen starts from the
  // carried date, so April is posted (1007), not March.
  app->currentCommand = app->nextCommand;
  app->nextCommand = 0;
  const auto before = Balances();
  t = Post("F10 Enter");
  EXPECT_NE(std::string::npos, t.find("04/10/25")) << t;
  EXPECT_EQ('Y', Header("GJ", "1007").postedFlag);
  EXPECT_EQ('N', Header("GJ", "1001").postedFlag);
  EXPECT_NEAR(before.at("1010").current + 40.00, Balances().at("1010").current, 0.001);
  EXPECT_NE(std::string::npos, t.find("1 transactions posted.")) << t;
  EXPECT_EQ(0, app->carriedPostDate) << "the carried date is used once";

  // The next time the screen starts from today again.
  t = Post("Esc");
  EXPECT_NE(std::string::npos, t.find("03/15/25")) << t;
  EXPECT_EQ(std::string::npos, t.find("04/10/25")) << t;
}

// A failure the run meets is shown, and the run stops as it was: nothing
// claims the period posted, and the transaction in hand stays unposted.
TEST_F(GLPostingTest, FailuresAreShownAndStopTheRun) {
  struct Case {
    const char* name;
    const char* fail;  // the record manager's test switch
    const char* file;  // the file the error box names
    std::map<std::string, double> moves;
    std::vector<const char*> posted;  // G/L numbers marked posted afterwards
  };
  const Case cases[] = {
      {"the first read", "fail=9:gl_headers:1:2", "gl_headers", {}, {"1004"}},
      {"a read in the middle of the walk",
       "fail=6:gl_headers:1:2",
       "gl_headers",
       {{"1010", 500.00}, {"4010", 500.00}},
       {"1001", "1004"}},
      // The check's register entry cannot be written: the check is not posted
      // either (what came before it is).
      {"the check register",
       "fail=2:check_register:1:2",
       "check_register",
       {{"1010", 500.00}, {"4010", 500.00}, {"5010", 1200.00}, {"1020", -1200.00}},
       {"1001", "1002", "1004"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(Company());
    const auto before = Balances();
    ASSERT_EQ(0, BtrvTestSwitch(c.fail));
    const std::string t = Post("F10 Enter Enter");
    BtrvTestSwitch("");
    EXPECT_NE(std::string::npos, t.find(c.file)) << "the record-manager error box names the file:\n" << t;
    EXPECT_EQ(std::string::npos, t.find("Nothing was selected")) << t;
    EXPECT_EQ(std::string::npos, t.find("transactions posted")) << t;
    ExpectBalances(c.moves, before, Balances());
    std::vector<std::string> posted;
    for (const TagGLHeader& h : All<TagGLHeader>(records::kFileGLHeaders))
      if (h.postedFlag == 'Y') posted.push_back(Trimmed(h.transactionNumber));
    EXPECT_EQ(std::vector<std::string>(c.posted.begin(), c.posted.end()), posted);
  }
}

// A conflict on the rewrite of a header stops the run in the middle of a
// transaction; a rerun posts the rest.  Every balance then equals the figure
// of one uninterrupted run: nothing half posted, nothing posted twice.
TEST_F(GLPostingTest, AConflictStopsTheRunAndARerunCompletesIt) {
  // Each posted transaction rewrites its header twice (marked posted by the
  // G/L posting, then marked by the run); the n-th rewrite conflicts.
  for (int n : {1, 2, 3, 4, 5, 6, 7}) {
    SCOPED_TRACE("rewrite " + std::to_string(n) + " conflicts");
    LoadCompany(Company());
    const auto before = Balances();
    ASSERT_EQ(0, BtrvTestSwitch(("fail=3:gl_headers:" + std::to_string(n) + ":84").c_str()));
    const std::string stopped = Post("F10 Left Enter Enter Enter");
    BtrvTestSwitch("");
    EXPECT_NE(std::string::npos, stopped.find("84")) << stopped;
    EXPECT_EQ(std::string::npos, stopped.find("transactions posted")) << stopped;
    Post("F10 Left Enter Enter");
    ExpectBalances(kPostedMoves, before, Balances());
    EXPECT_EQ(1u, All<records::TagCheckRegister>(records::kFileCheckRegister).size());
  }
}

// A larger company: `count` transactions of three lines in March over
// accounts 1010-1050, each dated in order.
fixture::Json ManyTransactions(fixture::Json company, int count) {
  auto& headers = company["files"]["gl_headers"];
  auto& lines = company["files"]["gl_lines"];
  headers = fixture::Json::array();
  lines = fixture::Json::array();
  const char* accounts[] = {"1010", "1020", "4010", "5010", "6010"};
  for (int i = 0; i < count; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%10d", 5000 + i);
    const std::string date =
        "2025-03-" + std::string(i * 28 / count + 1 < 10 ? "0" : "") + std::to_string(i * 28 / count + 1);
    headers.push_back({{"journalCode", "GJ"},
                       {"transactionNumber", number},
                       {"date", date},
                       {"reference", "Batch entry"},
                       {"postedFlag", "N"},
                       {"journalPrinted", "2025-03-14"}});
    const double a = 10.00 + (i % 97), b = 1.25 * (i % 13);
    const char* d = accounts[i % 5];
    const char* c1 = accounts[(i + 1) % 5];
    const char* c2 = accounts[(i + 3) % 5];
    lines.push_back({{"journalCode", "GJ"},
                     {"transactionNumber", number},
                     {"lineNumber", 1},
                     {"account", d},
                     {"side", "D"},
                     {"amount", a + b},
                     {"date", date}});
    lines.push_back({{"journalCode", "GJ"},
                     {"transactionNumber", number},
                     {"lineNumber", 1000},
                     {"account", c1},
                     {"side", "C"},
                     {"amount", a},
                     {"date", date}});
    lines.push_back({{"journalCode", "GJ"},
                     {"transactionNumber", number},
                     {"lineNumber", 1001},
                     {"account", c2},
                     {"side", "C"},
                     {"amount", b},
                     {"date", date}});
  }
  return company;
}

// What each transaction of a company does to the accounts, in their natural
// signs: by transaction number, the change of each account.
std::map<std::string, std::map<std::string, double>> MovesOf(const fixture::Json& company) {
  std::map<std::string, bool> debitKind;
  for (const auto& a : company["files"]["gl_accounts"]) {
    const int kind = a["kind"].get<int>();
    debitKind[a["code"].get<std::string>()] = kind == 1 || kind == 5 || kind == 7;
  }
  std::map<std::string, std::map<std::string, double>> moves;
  for (const auto& l : company["files"]["gl_lines"]) {
    std::string number = l["transactionNumber"].get<std::string>();
    number.erase(0, number.find_first_not_of(' '));
    const std::string account = l["account"].get<std::string>();
    const bool debit = l["side"].get<std::string>() == "D";
    const double amount = l["amount"].get<double>();
    moves[number][account] += debit == debitKind[account] ? amount : -amount;
  }
  return moves;
}

// The process is killed at random moments of runs posting `company`; each
// time the books are those of the transactions marked posted, whole, and a
// rerun completes them to the figures of one run without a kill.  The
// numbers marked posted at each kill, in the order of the walk.
std::vector<std::vector<std::string>> GLPostingTest::KillRunsAtRandom(const fixture::Json& company) {
  const auto moves = MovesOf(company);
  // The command in a child process, killed `killAfter` microseconds after
  // it starts (never when negative).
  auto runChild = [&](long killAfter) {
    return qxtest::RunKilledChild(320, "F10 Enter", dir_ + "/child.txt", killAfter, [] { RunGLPost(); });
  };

  // The figures of one run without a kill, and how long it takes.
  LoadCompany(company);
  const auto initial = Balances();
  const qxtest::ChildRun whole = runChild(-1);
  EXPECT_FALSE(whole.killed);
  const auto expected = Balances();
  EXPECT_NE(expected.at("1010").current, 10000.00);

  std::mt19937 random(20250315);
  int killedInTheRun = 0;
  std::vector<std::vector<std::string>> postedAtKill;
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    LoadCompany(company);
    const long wait = std::uniform_int_distribution<long>(0, whole.micros)(random);
    if (runChild(wait).killed) ++killedInTheRun;
    // Nothing half posted: the accounts moved by exactly the transactions
    // marked posted.
    std::map<std::string, double> marked;
    std::vector<std::string> posted;
    for (const TagGLHeader& h : All<TagGLHeader>(records::kFileGLHeaders)) {
      if (h.postedFlag != 'Y') continue;
      posted.push_back(Trimmed(h.transactionNumber));
      for (const auto& [account, m] : moves.at(posted.back())) marked[account] += m;
    }
    ExpectBalances(marked, initial, Balances());
    postedAtKill.push_back(posted);
    // The rerun completes the books, posting nothing twice.
    Post("F10 Enter");
    const auto after = Balances();
    for (const auto& [code, b] : expected) {
      EXPECT_NEAR(b.current, after.at(code).current, 0.001) << code;
      EXPECT_NEAR(b.march, after.at(code).march, 0.001) << code;
    }
    for (const TagGLHeader& h : All<TagGLHeader>(records::kFileGLHeaders)) {
      EXPECT_EQ('Y', h.postedFlag) << Trimmed(h.transactionNumber);
    }
  }
  EXPECT_GT(killedInTheRun, 0) << "at least one kill fell inside a run";
  std::string counts;
  for (const auto& p : postedAtKill) counts += std::to_string(p.size()) + " ";
  RecordProperty("posted_when_killed", counts);
  return postedAtKill;
}

TEST_F(GLPostingTest, AKilledRunLeavesNothingHalfPostedAndARerunCompletesIt) {
  KillRunsAtRandom(ManyTransactions(Company(), 400));
}

// The run's transactions reach the disk in groups (here of 7, and never by
// their age): a kill takes back the group in hand whole, so the transactions
// posted are the first groups of the walk, and the rerun posts the rest once.
TEST_F(GLPostingTest, AKillInsideAGroupLeavesWholeGroupsOnly) {
  constexpr int kTransactions = 400, kGroup = 7;
  ASSERT_EQ(0, BtrvTestSwitch("group=7:600000"));
  int inside = 0;
  for (const auto& posted : KillRunsAtRandom(ManyTransactions(Company(), kTransactions))) {
    const int n = static_cast<int>(posted.size());
    if (n == kTransactions) continue;  // the kill came after the run
    ++inside;
    EXPECT_EQ(n % kGroup, 0) << n << " posted";
    for (int i = 0; i < n; ++i) EXPECT_EQ(posted[i], std::to_string(5000 + i));
  }
  EXPECT_GT(inside, 0);
}

}  // namespace
