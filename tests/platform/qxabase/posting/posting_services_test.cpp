// The posting services on a small ledger (fixtures/ledger.json): the header
// walk and the units it draws, G/L transactions posted, refused, written,
// numbered and removed, the check register, the pre-check, the ledger
// options and the summary.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "posting_test_support.h"

namespace {

using records::GLAccount;
using records::GLLine;
using records::TagGLHeader;

constexpr int kMarch = 2;  // the period entry of March 2025

class PostingServicesTest : public posttest::PostingTest {
 protected:
  void SetUp() override {
    PostingTest::SetUp();
    LoadCompany(ReadFixture(std::string(QX_POSTING_FIXTURES) + "/ledger.json"));
  }
  void TearDown() override {
    FileSetClose(&files_);
    PostingTest::TearDown();
  }
  void Open() {
    ASSERT_EQ(0, FileSetOpen(&files_, 27, 26, 23, 1));
    ASSERT_EQ(0, FiscalPeriodOfDate(kPeriodCheckOpen, DateMake(2025, 3, 15), &period_));
  }
  BtrvHandle H(int fileNo) const { return files_.HandleOf(fileNo); }

  // Key 0 of the headers file: the journal code and the number right-aligned.
  static std::string HeaderKey(const std::string& journal, const std::string& number) {
    std::string key(255, '\0');
    std::memset(key.data(), ' ', 18);
    std::memcpy(key.data(), journal.data(), journal.size());
    std::memcpy(key.data() + 7 + 10 - number.size(), number.data(), number.size());
    return key;
  }
  // The header `number` of `journal` read through the open headers file (key 0).
  TagGLHeader Read(const std::string& journal, const std::string& number) {
    TagGLHeader h{};
    std::string key = HeaderKey(journal, number);
    BtrvSetKey(H(27), 0, -1);
    EXPECT_EQ(0, BtrvGetOp(kOpGetEqual, H(27), key.data(), &h)) << journal << number;
    return h;
  }
  // Whether another program reads the reference `reference` on GJ `number`:
  // what is on disk.
  static bool ReferenceOnDisk(const std::string& number, const std::string& reference) {
    const pid_t pid = fork();
    if (pid == 0) {
      BtrvHandle h = 0;
      std::string key = HeaderKey("GJ", number);
      TagGLHeader stored{};
      const bool same = BtrvOpen(&h, FilePathGet(27), 0, 0) == 0 &&
                        BtrvGetOp(kOpGetEqual, h, key.data(), &stored) == 0 &&
                        records::Trimmed(stored.reference) == reference;
      _exit(same ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  // Opens a unit and gives the header GJ `number` the reference `text` in it.
  void ChangeReference(const std::string& number, const char* text) {
    TagPostWork work{};
    TagGLHeader h = Read("GJ", number);
    ASSERT_EQ(0, PostUnitBegin(&work));
    records::SetText(h.reference, text);
    ASSERT_EQ(0, BtrvWriteOp(kOpUpdate, H(27), nullptr, &h));
  }
  static std::string Number(const TagGLHeader& h) { return Trimmed(h.transactionNumber); }

  // Everything stored in the files a refused posting must leave alone.
  std::vector<std::vector<std::uint8_t>> Books() {
    auto books = Records(records::kFileGLAccounts);
    for (auto& r : Records(records::kFileGLHeaders)) books.push_back(r);
    return books;
  }

  FileSet files_;
  records::FiscalPeriodInfo period_{};
};

TEST_F(PostingServicesTest, TheWalkStartsAtThePeriodsFirstDayAndFollowsTheDates) {
  Open();
  BtrvSetKey(H(27), 1, -1);
  TagPostWork work{};
  TagGLHeader h{};
  char key[255] = {};
  PostRunStart();
  std::vector<std::string> seen;
  int status = PostTranRead('N', kOpGetGreaterOrEqual, H(27), 27, key, &h, &period_, &work);
  while (status == 0) {
    seen.push_back(Number(h));
    status = PostTranRead('N', kOpGetNext, H(27), 27, key, &h, &period_, &work);
  }
  EXPECT_EQ(9, status);
  // February's 1000 comes before the period: a walk from the file's start
  // would have ended on it at once.
  EXPECT_EQ((std::vector<std::string>{"1001", "1002", "2001", "1006", "1008", "1007"}), seen);
  CommandFinish();
}

TEST_F(PostingServicesTest, AHeadersUnitIsKeptWhenTheNextIsAskedForAndDroppedOnAStop) {
  Open();
  BtrvSetKey(H(27), 1, -1);
  TagPostWork work{};
  TagGLHeader h{};
  char key[255] = {};
  PostRunStart();
  ASSERT_EQ(0, PostTranRead('N', kOpGetGreaterOrEqual, H(27), 27, key, &h, &period_, &work));
  records::SetText(h.reference, "done");
  ASSERT_EQ(0, BtrvWriteOp(kOpUpdate, H(27), nullptr, &h));
  ASSERT_EQ(0, PostTranRead('N', kOpGetNext, H(27), 27, key, &h, &period_, &work));
  EXPECT_EQ("1002", Number(h));
  records::SetText(h.reference, "half done");
  ASSERT_EQ(0, BtrvWriteOp(kOpUpdate, H(27), nullptr, &h));
  CommandFinish();  // the run stops while 1002 is in hand
  EXPECT_STREQ("done", Header("GJ", "1001").reference);
  EXPECT_STREQ("March rent", Header("GJ", "1002").reference);
}

TEST_F(PostingServicesTest, RunsOfTheirOwnWalkBracketEachTransaction) {
  Open();
  TagPostWork work{};
  PostRunStart();
  ChangeReference("1001", "kept");
  ASSERT_EQ(0, PostUnitCommit(&work));
  ChangeReference("1002", "dropped");
  CommandFinish();
  EXPECT_STREQ("kept", Header("GJ", "1001").reference);
  EXPECT_STREQ("March rent", Header("GJ", "1002").reference);
}

// A run's units reach the disk in groups: before the user is waited for,
// at the summary, and at the end of the command at the latest.
TEST_F(PostingServicesTest, WhatARunPostedIsOnDiskBeforeTheUserIsAsked) {
  Open();
  TagPostWork work{};
  PostRunStart();
  ChangeReference("1001", "kept");
  ASSERT_EQ(0, PostUnitCommit(&work));
  EXPECT_TRUE(ReferenceOnDisk("1001", "Cash sale")) << "a unit alone is not committed yet";
  Start("Enter");
  MsgShowArgs(1349, 0x100, kButtonsStopSkip, 1, "GJ", "1002", 0);
  EXPECT_TRUE(ReferenceOnDisk("1001", "kept")) << "committed before the question waited";
  CommandFinish();
}

TEST_F(PostingServicesTest, AFailedGroupCommitIsToldAndNothingOfTheGroupIsKept) {
  struct Case {
    const char* name;
    bool goOn;  // the run goes on after the question (else it ends there)
  } cases[] = {{"answered by the next commit", true}, {"shown as the command ends", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(ReadFixture(std::string(QX_POSTING_FIXTURES) + "/ledger.json"));
    Open();
    TagPostWork work{};
    PostRunStart();
    ChangeReference("1001", "lost");
    ASSERT_EQ(0, PostUnitCommit(&work));
    ASSERT_EQ(0, BtrvTestSwitch("commit=1:2"));
    Start("Enter Enter");
    MsgShowArgs(1349, 0x100, kButtonsStopSkip, 1, "GJ", "1002", 0);
    if (c.goOn) {
      ChangeReference("1002", "not kept either");
      EXPECT_EQ(kStatusIoError, PostUnitCommit(&work));
      EXPECT_EQ(kOpEndTransaction, work.operation);
    }
    CommandFinish();
    const std::string t = Transcript();
    // Told once: by the caller of the commit that answered it, or here.
    EXPECT_EQ(t.find("Error 2:") != std::string::npos, !c.goOn) << t;
    FileSetClose(&files_);
    EXPECT_STREQ("Cash sale", Header("GJ", "1001").reference);
    EXPECT_STREQ("March rent", Header("GJ", "1002").reference);
    BtrvTestSwitch("");
  }
}

// The summary keeps the run's units (the one in hand and the group before
// it), and is never shown over a commit that failed.
TEST_F(PostingServicesTest, TheSummaryKeepsTheRunAndShowsTheTotals) {
  struct Case {
    const char* name;
    const char* switches;
    char posted;           // 1001 and 1002 afterwards
    const char* told;      // in the transcript
    const char* notTold;
  } cases[] = {
      {"kept", "", 'Y', "Debits 1775.25, credits 1775.25.", "Error"},
      {"a failed commit", "commit=1:2", 'N', "Error 2:", "transactions posted"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(ReadFixture(std::string(QX_POSTING_FIXTURES) + "/ledger.json"));
    Open();
    BtrvSetKey(H(27), 1, -1);
    TagPostWork work{};
    TagGLHeader h{};
    char key[255] = {};
    PostRunStart();
    for (const int op : {kOpGetGreaterOrEqual, kOpGetNext}) {
      ASSERT_EQ(0, PostTranRead('N', op, H(27), 27, key, &h, &period_, &work));
      h.postedFlag = 'Y';
      ASSERT_EQ(0, BtrvWriteOp(kOpUpdate, H(27), nullptr, &h));
    }
    ASSERT_EQ(0, BtrvTestSwitch(c.switches));
    Start("Enter");
    EXPECT_EQ(c.posted == 'Y' ? 0 : kStatusIoError, PostSummary(511, 0, 3, 1775.25, 1775.249));
    CommandFinish();
    BtrvTestSwitch("");
    FileSetClose(&files_);
    EXPECT_EQ(c.posted, Header("GJ", "1001").postedFlag);
    EXPECT_EQ(c.posted, Header("GJ", "1002").postedFlag);
    const std::string t = Transcript();
    EXPECT_NE(std::string::npos, t.find(c.told)) << t;
    EXPECT_EQ(std::string::npos, t.find(c.notTold)) << t;
  }
}

TEST_F(PostingServicesTest, PostingMovesEachAccountInItsNaturalSign) {
  struct Move {
    const char* account;
    double balance;  // after the posting
    double march;    // the period amount of March after it
  };
  struct Case {
    const char* name;
    const char* number;
    double total;
    std::vector<Move> moves;
  };
  const std::vector<Case> cases = {
      {"a cash sale raises cash (debit kind 1) and sales (credit kind 4)",
       "1001",
       500.00,
       {{"1010", 10500.00, 500.00}, {"4010", 20500.00, 500.00}}},
      {"rent paid raises rent (debit kind 5) and lowers the checking account",
       "1002",
       1200.00,
       {{"5010", 2400.00, 1200.00}, {"1020", 3800.00, -1200.00}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FileSetClose(&files_);
    LoadCompany(ReadFixture(std::string(QX_POSTING_FIXTURES) + "/ledger.json"));
    Open();
    TagGLHeader h = Read("GJ", c.number);
    TagPostWork work{};
    double debit = -1, credit = -1;
    PostRunStart();
    EXPECT_EQ(0, PostGLBatch(H(27), H(26), H(1), &debit, &credit, &period_, &h, &work, 0));
    EXPECT_EQ(0, work.status);
    EXPECT_DOUBLE_EQ(c.total, debit);
    EXPECT_DOUBLE_EQ(c.total, credit);
    EXPECT_EQ('Y', h.postedFlag) << "the caller's header is marked too";
    CommandFinish();
    EXPECT_EQ('Y', Header("GJ", c.number).postedFlag);
    for (const Move& m : c.moves) {
      const GLAccount a = Account(m.account);
      EXPECT_DOUBLE_EQ(m.balance, a.currentBalance) << m.account;
      EXPECT_DOUBLE_EQ(m.march, a.periodAmounts[kMarch]) << m.account;
    }
  }
}

TEST_F(PostingServicesTest, ARefusedTransactionChangesNothing) {
  struct Case {
    const char* name;
    const char* number;
    int entryIndex;  // of the period record handed over
    int status;
    int fileNo;
    const char* key;
    double debit, credit;
  };
  const Case cases[] = {
      {"out of balance", "1006", kMarch, kPostStatusOutOfBalance, 26, "GJ           1006", 100.00, 90.00},
      {"an account not on file", "1008", kMarch, 4, 1, "9999", 25.00, 25.00},
      {"a period record naming no period", "1001", -1, kPostStatusNoPeriod, 0, "GJ           1001", 500.00,
       500.00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    const auto before = Books();
    TagGLHeader h = Read("GJ", c.number);
    records::FiscalPeriodInfo period = period_;
    period.entryIndex = c.entryIndex;
    TagPostWork work{};
    double debit = 0, credit = 0;
    PostRunStart();
    EXPECT_EQ(c.status, PostGLBatch(H(27), H(26), H(1), &debit, &credit, &period, &h, &work, 0));
    EXPECT_EQ(c.status, work.status);
    EXPECT_EQ(c.fileNo, work.fileNo);
    EXPECT_STREQ(c.key, work.key);
    EXPECT_DOUBLE_EQ(c.debit, debit);
    EXPECT_DOUBLE_EQ(c.credit, credit);
    CommandFinish();
    FileSetClose(&files_);
    EXPECT_EQ(before, Books());
  }
}

TEST_F(PostingServicesTest, ABatchPostedOutsideAWalkIsAUnitOfItsOwn) {
  Open();
  // The header rewrite, the last write of the posting, is refused: the
  // accounts written before it are taken back with it.
  const auto before = Books();
  TagGLHeader h = Read("GJ", "1001");
  TagPostWork work{};
  double debit = 0, credit = 0;
  PostRunStart();
  ASSERT_EQ(0, BtrvTestSwitch("fail=3:gl_headers:1:84"));
  EXPECT_EQ(84, PostGLBatch(H(27), H(26), H(1), &debit, &credit, &period_, &h, &work, 0));
  BtrvTestSwitch("");
  EXPECT_EQ(27, work.fileNo);
  EXPECT_EQ(kOpUpdate, work.operation);
  FileSetClose(&files_);
  EXPECT_EQ(before, Books());

  // Without the failure it is kept though no run commits it.
  Open();
  h = Read("GJ", "1001");
  EXPECT_EQ(0, PostGLBatch(H(27), H(26), H(1), &debit, &credit, &period_, &h, &work, 0));
  CommandFinish();
  EXPECT_DOUBLE_EQ(10500.00, Account("1010").currentBalance);
}

TEST_F(PostingServicesTest, OutOfBalanceIsReportedWithItsTotalsAndDropsTheOpenUnit) {
  Open();
  BtrvSetKey(H(27), 1, -1);
  TagPostWork work{};
  TagGLHeader h{};
  char key[255] = {};
  PostRunStart();
  ASSERT_EQ(0, PostTranRead('N', kOpGetGreaterOrEqual, H(27), 27, key, &h, &period_, &work));
  records::SetText(h.reference, "touched");
  ASSERT_EQ(0, BtrvWriteOp(kOpUpdate, H(27), nullptr, &h));
  TagGLHeader bad = Read("GJ", "1006");
  double debit = 0, credit = 0;
  PostGLBatch(H(27), H(26), H(1), &debit, &credit, &period_, &bad, &work, 0);
  Start("Enter");
  EXPECT_EQ(kPostStop, PostOutOfBalance(debit, credit, &bad, &work));
  EXPECT_EQ(kPostStop, work.result);
  EXPECT_STREQ("Cash sale", Header("GJ", "1001").reference) << "the open unit is dropped";
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("Transaction 1006 of journal GJ is out of balance:")) << t;
  EXPECT_NE(std::string::npos, t.find("debits 100.00, credits 90.00.")) << t;
}

TEST_F(PostingServicesTest, LinesAreNumberedBySideAndSummaryLinesAddUp) {
  Open();
  TagPostWork work{};
  int debitCounter = 1, creditCounter = 1000;
  auto line = [](const char* account, char side, double amount, const char* description) {
    GLLine l{};
    records::SetPadded(l.journalCode, "AR");
    records::SetText(l.transactionNumber, "      3001");
    records::SetText(l.account, account);
    records::SetText(l.description, description);
    l.side = side;
    l.amount = amount;
    l.date = DateMake(2025, 3, 15);
    return l;
  };
  struct Write {
    int mode;
    GLLine line;
  };
  std::vector<Write> writes = {
      {0, line("1010", 'D', 10.00, "Detail")},          {0, line("4010", 'C', 10.00, "Detail")},
      {1, line("4010", 'C', 5.00, "Summary AR Post")},  {1, line("4010", 'C', 7.25, "Summary AR Post")},
      {1, line("1010", 'D', -3.00, "Summary AR Post")},  // booked as a credit of 3.00
      {0, line("4010", 'C', 1.00, "Detail")},            // detail lines never merge
  };
  PostRunStart();
  for (Write& w : writes)
    ASSERT_EQ(0, PostGLLine(w.mode, H(26), &debitCounter, &creditCounter, &w.line, &work));
  CommandFinish();
  EXPECT_EQ(2, debitCounter);
  EXPECT_EQ(1004, creditCounter);
  struct Stored {
    int number;
    std::string account;
    char side;
    double amount;
  };
  std::vector<Stored> stored;
  for (const GLLine& l : All<GLLine>(records::kFileGLLines))
    if (Trimmed(l.transactionNumber) == "3001")
      stored.push_back({l.lineNumber, std::string(l.account), l.side, l.amount});
  ASSERT_EQ(5u, stored.size());
  const Stored expected[] = {{1, "1010", 'D', 10.00},
                             {1000, "4010", 'C', 10.00},
                             {1001, "4010", 'C', 12.25},
                             {1002, "1010", 'C', 3.00},
                             {1003, "4010", 'C', 1.00}};
  for (std::size_t i = 0; i < stored.size(); ++i) {
    EXPECT_EQ(expected[i].number, stored[i].number) << i;
    EXPECT_EQ(expected[i].account, stored[i].account) << i;
    EXPECT_EQ(expected[i].side, stored[i].side) << i;
    EXPECT_DOUBLE_EQ(expected[i].amount, stored[i].amount) << i;
  }
}

TEST_F(PostingServicesTest, NumbersComeFromTheJournalsSequenceAndSkipNumbersTaken) {
  Open();
  char number[11];
  ASSERT_EQ(0, NextTranNumber(3, H(23), "GJ", number));
  EXPECT_STREQ("      1011", number);
  ASSERT_EQ(0, NextTranNumber(3, H(23), "GJ     ", number));
  EXPECT_STREQ("      1012", number);
  ASSERT_EQ(0, NextTranNumber(3, H(23), "AR", number));
  EXPECT_STREQ("         1", number) << "a journal without a sequence starts at 1";

  // 1013 was typed in entry: the next header created in GJ takes 1014.
  TagGLHeader typed = Read("GJ", "1001");
  records::SetText(typed.transactionNumber, "      1013");
  ASSERT_EQ(0, BtrvWriteOp(kOpInsert, H(27), nullptr, &typed));
  TagGLHeader h{};
  records::SetPadded(h.journalCode, "GJ");
  h.date = DateMake(2025, 3, 15);
  h.postedFlag = h.sourceFlag = h.checkFlag = 'N';
  TagPostWork work{};
  PostRunStart();
  ASSERT_EQ(0, GLTranHeaderCreate(H(23), &h, h.transactionNumber, &work));
  EXPECT_EQ("1013", Number(h));
  ASSERT_EQ(0, GLTranDetailCreate(H(27), &h, &work));
  EXPECT_EQ("1014", Number(h));
  CommandFinish();
  EXPECT_EQ('N', Header("GJ", "1014").postedFlag);
  for (const auto& s : All<records::TranSequence>(records::kFileTranSequences)) {
    if (records::Trimmed(s.journalCode) == "GJ") {
      EXPECT_EQ(1014, s.lastNumber);
    }
  }
}

TEST_F(PostingServicesTest, ARemovedHeaderTakesItsLinesAndTheWalkGoesOn) {
  Open();
  BtrvSetKey(H(27), 1, -1);
  TagPostWork work{};
  TagGLHeader h{};
  char key[255] = {};
  PostRunStart();
  ASSERT_EQ(0, PostTranRead('Y', kOpGetGreaterOrEqual, H(27), 27, key, &h, &period_, &work));
  ASSERT_EQ(0, PostTranRead('Y', kOpGetNext, H(27), 27, key, &h, &period_, &work));
  ASSERT_EQ("1002", Number(h));
  ASSERT_EQ(0, PostGLTranRemove(4, H(27), H(26), &h, &work));
  ASSERT_EQ(0, PostTranRead('Y', kOpGetNext, H(27), 27, key, &h, &period_, &work));
  EXPECT_EQ("2001", Number(h)) << "the walk goes on after the removed header";
  CommandFinish();
  EXPECT_TRUE(HeaderImage("GJ", "1002").empty());
  int linesOf1002 = 0, lines = 0;
  for (const GLLine& l : All<GLLine>(records::kFileGLLines)) {
    ++lines;
    if (Trimmed(l.transactionNumber) == "1002") ++linesOf1002;
  }
  EXPECT_EQ(0, linesOf1002);
  EXPECT_EQ(12, lines) << "the other transactions keep theirs";
}

TEST_F(PostingServicesTest, ACheckReachesTheRegisterOnce) {
  Open();
  TagGLHeader h = Read("CK", "2001");
  TagGLHeader check{};
  TagPostWork work{};
  PostRunStart();
  ASSERT_EQ(0, GLPostCheckRegister(H(27), H(23), period_.endDate, &check, &h, &work));
  ASSERT_EQ(0, GLPostDetail(H(26), &check, &h, &work));
  EXPECT_STREQ("1020", check.holdText);
  EXPECT_DOUBLE_EQ(75.25, check.amount);
  {
    CBaseCheckReg reg;
    EXPECT_TRUE(reg.UpdateFromGLTran(&check));
    EXPECT_TRUE(reg.UpdateFromGLTran(&check)) << "registering it again";
    EXPECT_TRUE(reg.Post(2001, "1020"));
    EXPECT_FALSE(reg.Post(2002, nullptr));
    EXPECT_EQ(4, reg.GetResult());
  }
  CommandFinish();
  const auto entries = All<records::TagCheckRegister>(records::kFileCheckRegister);
  ASSERT_EQ(1u, entries.size());
  EXPECT_STREQ("1020", entries[0].bankAccount);
  EXPECT_STREQ("2001", entries[0].checkNumber);
  EXPECT_STREQ("Office Supply Co", entries[0].name);
  EXPECT_DOUBLE_EQ(75.25, entries[0].amount);
  EXPECT_EQ(DateMake(2025, 3, 10), entries[0].date);
  EXPECT_EQ('Y', entries[0].state) << "posted through the general ledger";
  for (const auto& s : All<records::TranSequence>(records::kFileTranSequences)) {
    if (records::Trimmed(s.journalCode) == "CK") {
      EXPECT_EQ(2001, s.lastNumber);
    }
  }
}

TEST_F(PostingServicesTest, ThePreCheckAsksAboutEachProblem) {
  Open();
  TagPostWork work{};
  // 1006 is out of balance: skipped; 1008 names account 9999: stopped.
  const TagGLHeader good = Read("GJ", "1001"), unbalanced = Read("GJ", "1006"), unknown = Read("GJ", "1008");
  Start("Left Enter Enter");
  EXPECT_EQ(kPostGoOn, GLPostCheck(H(26), H(1), &good, &work));
  EXPECT_EQ(kPostSkip, GLPostCheck(H(26), H(1), &unbalanced, &work));
  EXPECT_EQ(kPostStop, GLPostCheck(H(26), H(1), &unknown, &work));
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("Transaction 1006 of journal GJ is out of balance:")) << t;
  EXPECT_NE(std::string::npos, t.find("Account 9999 of transaction 1008 (journal GJ)")) << t;
}

TEST_F(PostingServicesTest, LedgerOptionsTakeTheStoredRecordOrTheDefaults) {
  EXPECT_EQ(0, PostLedgerOption(kLedgerGeneral));
  EXPECT_EQ(1, LedgerCheckFlag(kLedgerGeneral));
  EXPECT_EQ(0, LedgerConfirmFlag(kLedgerGeneral));
  LoadCompany(
      ReadFixture(std::string(QX_POSTING_FIXTURES) + "/ledger.json"),
      {{.ledger = kLedgerGeneral, .deleteAfterPosting = 'Y', .checkFirst = 'N', .confirmUnprinted = 'Y'}});
  EXPECT_EQ(1, PostLedgerOption(kLedgerGeneral));
  EXPECT_EQ(0, LedgerCheckFlag(kLedgerGeneral));
  EXPECT_EQ(1, LedgerConfirmFlag(kLedgerGeneral));
  EXPECT_EQ(0, PostLedgerOption(kLedgerReceivables)) << "another ledger keeps the defaults";
  EXPECT_EQ(1, LedgerCheckFlag(kLedgerReceivables));
  EXPECT_EQ(0, LedgerCheckFlag(kLedgerCount)) << "no such ledger";
}

TEST_F(PostingServicesTest, LookUpsLeaveTheKeyAndTheStatusInTheWorkRecord) {
  Open();
  TagPostWork work{};
  GLAccount a{};
  EXPECT_EQ(0, PostReadAccount(0, H(1), "1020      ", &a, &work));
  EXPECT_STREQ("Checking account", a.name);
  EXPECT_EQ(4, PostReadAccount(1, H(1), "9999", &a, &work));
  EXPECT_STREQ("9999", work.key);
  EXPECT_EQ(1, work.fileNo);
  EXPECT_EQ(kOpGetEqual, work.operation);
  EXPECT_EQ(4, work.status);
  records::TranSequence seq{};
  EXPECT_EQ(0, PostReadRecordWork(H(23), 23, "CK", &seq, &work));
  EXPECT_EQ(2000, seq.lastNumber);
}

TEST_F(PostingServicesTest, TheFirstAskIsTrueOncePerRun) {
  PostRunStart();
  EXPECT_TRUE(PostTranNext());
  EXPECT_FALSE(PostTranNext());
  PostRunStart();
  EXPECT_TRUE(PostTranNext());
}

TEST_F(PostingServicesTest, AFailingReadLeavesItsStepInTheWorkRecord) {
  Open();
  BtrvSetKey(H(27), 1, -1);
  TagPostWork work{};
  TagGLHeader h{};
  char key[255] = {};
  PostRunStart();
  ASSERT_EQ(0, BtrvTestSwitch("fail=9:gl_headers:1:2"));
  EXPECT_EQ(2, PostTranRead('N', kOpGetGreaterOrEqual, H(27), 27, key, &h, &period_, &work));
  EXPECT_EQ(27, work.fileNo);
  EXPECT_EQ(kOpGetGreaterOrEqual, work.operation);
  EXPECT_EQ(2, work.status);
}

}  // namespace
