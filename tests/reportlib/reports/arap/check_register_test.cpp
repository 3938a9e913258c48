// The check register (command 314), run through its entry on key scripts
// over the books of fixtures/checks_books.json and register entries of the
// test's own, read back from the preview in the transcript: the sections of
// each bank account and date range with the counts and totals that foot
// them, the lines as they print, the pages, the screen's defaults, checks
// and look-up, and clean ends.
#include <string>
#include <vector>

#include "checks_test_support.h"
#include "records/dictionary.h"
#include "reports/arap/check_register.h"

namespace checkstest {
namespace {

// Print columns of the detail line.
constexpr int kBankX = 0, kNumberX = 11, kCodeX = 22, kNameX = 37, kTranX = 68, kReferenceX = 81, kDateX = 94,
              kAmountX = 104, kStatusX = 117, kSourceX = 125, kPostedX = 129;

struct Entry {
  const char* bank;
  const char* number;
  char type;  // 'C', 'M', 'V' checks; 'D' deposits
  int month, day;
  double amount;
  char posted = 'Y';
  char source = 'P';
  const char* name = "Riverside Properties";
};

Json Record(const Entry& e) {
  return Json{{"bankAccount", e.bank},
              {"checkNumber", e.number},
              {"transactionNumber", std::string("CD ") + e.number},
              {"code", e.type == 'D' ? "" : "V100"},
              {"name", e.name},
              {"reference", e.type == 'D' ? "Deposit" : "Payment"},
              {"status", "O"},
              {"entrySide", std::string(1, e.type)},
              {"date", Date(2025, e.month, e.day)},
              {"amount", e.amount},
              {"kind", std::string(1, e.source)},
              {"state", std::string(1, e.posted)}};
}

// Three bank accounts: 1010 with checks of every kind and two deposits in
// March, an entry before and after March each; 1020 checks only; 1030 a
// deposit only; 1000 (not a bank of the chart) a check that sorts first.
// clang-format off
const Entry kEntries[] = {
    {"1000", "9001",     'C', 3, 12,   10.00},
    {"1010", "3099",     'C', 2, 27,  500.00},
    {"1010", "3101",     'C', 3,  3, 1250.00},
    {"1010", "3102",     'V', 3,  5,  300.00},
    {"1010", "3103",     'M', 3, 10,   75.25, 'N', 'G', "Port Alden Post Office"},
    {"1010", "3104",     'C', 3, 28, 1000.10, 'Y', 'D', "Northwind Commercial Refrigeration Co."},
    {"1010", "3105",     'C', 4,  2,   99.99},
    {"1010", "DEP-0301", 'D', 3,  4, 2000.00, 'Y', 'A', "Deposit"},
    {"1010", "DEP-0315", 'D', 3, 15, 1500.55, 'N', 'H', "Deposit"},
    {"1020", "5001",     'C', 3, 14, 4200.00},
    {"1020", "5002",     'C', 3, 28, 4150.00},
    {"1030", "DEP-0320", 'D', 3, 20, 10000.00, 'Y', 'X', "Transfer"},
};
// clang-format on

// The keys that choose `bank` and the dates, print, and close the preview.
std::string Keys(const std::string& bank, const std::string& from, const std::string& to) {
  return "\"" + bank + "\" Enter \"" + from + "\" Enter \"" + to + "\" F10 Esc";
}

// One section of the register as printed: the numbers listed, and the
// count and total of its totals line.
struct Section {
  std::vector<std::string> numbers;
  std::string count, total;
  std::vector<int> pages;  // the pages it stands on
};

Section SectionOf(const Preview& r, const std::string& title) {
  Section s;
  bool in = false;
  for (std::size_t p = 0; p < r.pages.size(); ++p) {
    for (const std::string& line : r.pages[p]) {
      const std::string trimmed = Cell(line, 0, static_cast<int>(line.size()));
      if (trimmed == "Checks" || trimmed == "Deposits") in = trimmed == title;
      if (!in) continue;
      if (s.pages.empty() || s.pages.back() != static_cast<int>(p)) s.pages.push_back(static_cast<int>(p));
      if (line.find("Total number of register entries:") != std::string::npos) {
        s.count = Cell(line, 68, 5);
        s.total = Cell(line, kAmountX, 12);
      } else if (line.size() > kAmountX && Cell(line, kDateX, 9).size() == 8 && Cell(line, kDateX, 9)[2] == '/') {
        s.numbers.push_back(Cell(line, kNumberX, 10));
      }
    }
  }
  return s;
}

class CheckRegisterTest : public listingtest::ListingTest {
 protected:
  CheckRegisterTest() : ListingTest(314) {}

  void SetUp() override {
    ListingTest::SetUp();
    UseFixtureFile(BooksFile());
  }

  void AddEntries() {
    for (const Entry& e : kEntries) Add("check_register", Record(e));
  }

  Run RunRegister(const std::string& keys) {
    return RunScripted(keys, [] { return RunCheckRegister(); });
  }
};

TEST_F(CheckRegisterTest, EachBankAndRangeListsItsChecksThenItsDepositsWithTotalsThatFoot) {
  AddEntries();
  const struct {
    const char* bank;
    const char* from;
    const char* to;
    std::vector<std::string> checks;
    const char* checkCount;
    const char* checkTotal;
    std::vector<std::string> deposits;
    const char* depositCount;
    const char* depositTotal;
  } cases[] = {
      {"1010", "03/01/25", "03/31/25", {"3101", "3102", "3103", "3104"}, "4", "2625.35",
       {"DEP-0301", "DEP-0315"}, "2", "3500.55"},
      {"1010", "03/04/25", "03/10/25", {"3102", "3103"}, "2", "375.25", {"DEP-0301"}, "1", "2000.00"},
      {"1010", "02/01/25", "04/30/25", {"3099", "3101", "3102", "3103", "3104", "3105"}, "6", "3225.34",
       {"DEP-0301", "DEP-0315"}, "2", "3500.55"},
      // A bank account with checks but no deposits prints no deposits section.
      {"1020", "03/01/25", "03/31/25", {"5001", "5002"}, "2", "8350.00", {}, "", ""},
      {"1010", "04/01/25", "04/30/25", {"3105"}, "1", "99.99", {}, "", ""},
      // Deposits only.
      {"1030", "03/01/25", "03/31/25", {}, "", "", {"DEP-0320"}, "1", "10000.00"},
      {"1030", "03/20/25", "03/20/25", {}, "", "", {"DEP-0320"}, "1", "10000.00"},
  };
  for (const auto& c : cases) {
    const std::string what = std::string(c.bank) + " " + c.from + "-" + c.to;
    const Run run = RunRegister(Keys(c.bank, c.from, c.to));
    EXPECT_TRUE(run.messages.empty()) << what << "\n" << run.transcript;
    const Preview r = OnlyPreview(run.transcript, "Check Register");
    ASSERT_FALSE(r.Empty()) << what << "\n" << run.transcript;
    const Section checks = SectionOf(r, "Checks"), deposits = SectionOf(r, "Deposits");
    EXPECT_EQ(c.checks, checks.numbers) << what;
    EXPECT_EQ(c.checkCount, checks.count) << what;
    EXPECT_EQ(c.checkTotal, checks.total) << what;
    EXPECT_EQ(c.deposits, deposits.numbers) << what;
    EXPECT_EQ(c.depositCount, deposits.count) << what;
    EXPECT_EQ(c.depositTotal, deposits.total) << what;
    EXPECT_TRUE(r.Contains(std::string("From: ") + c.from + " To: " + c.to)) << what;
    EXPECT_TRUE(r.Contains("* Not Posted")) << what;
    // Each section begins on a page of its own; the first on the first page.
    if (!c.checks.empty()) {
      EXPECT_EQ(std::vector<int>{0}, checks.pages) << what;
    }
    if (!c.deposits.empty()) {
      EXPECT_EQ(std::vector<int>{c.checks.empty() ? 0 : 1}, deposits.pages) << what;
    }
  }
}

TEST_F(CheckRegisterTest, EachLineShowsTheEntryItsStatusSourceAndPostedMark) {
  AddEntries();
  const Run run = RunRegister(Keys("1010", "03/01/25", "03/31/25"));
  const Preview r = OnlyPreview(run.transcript, "Check Register");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  const struct {
    const char* number;
    const char* name;
    const char* date;
    const char* amount;
    const char* source;
    const char* posted;
  } cases[] = {
      {"3101", "Riverside Properties", "03/03/25", "1250.00", "AP", ""},
      // A void check is listed under the void name.
      {"3102", "*** VOID ***", "03/05/25", "300.00", "AP", ""},
      {"3103", "Port Alden Post Office", "03/10/25", "75.25", "GL", "*"},
      // A long name shows its first 30 characters.
      {"3104", "Northwind Commercial Refrigera", "03/28/25", "1000.10", "CH", ""},
      {"DEP-0301", "Deposit", "03/04/25", "2000.00", "AR", ""},
      {"DEP-0315", "Deposit", "03/15/25", "1500.55", "CH", "*"},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& l : r.Lines())
      if (Cell(l, kNumberX, 10) == c.number && Cell(l, kDateX, 9) == c.date) line = l;
    ASSERT_FALSE(line.empty()) << c.number;
    EXPECT_EQ("1010", Cell(line, kBankX, 10)) << c.number;
    EXPECT_EQ(c.name, Cell(line, kNameX, 31)) << c.number;
    EXPECT_EQ(std::string("CD ") + c.number, Cell(line, kTranX, 12)) << c.number;
    EXPECT_EQ(c.amount, Cell(line, kAmountX, 12)) << c.number;
    // The status letter stands in the fourth place of its column.
    EXPECT_EQ('O', line.at(kStatusX + 3)) << c.number;
    EXPECT_EQ(c.source, Cell(line, kSourceX, 3)) << c.number;
    EXPECT_EQ(c.posted, Cell(line, kPostedX, 1)) << c.number;
  }
  // The checks' code and reference stand in their columns.
  bool found = false;
  for (const std::string& l : r.Lines())
    if (Cell(l, kNumberX, 10) == "3101")
      found = Cell(l, kCodeX, 14) == "V100" && Cell(l, kReferenceX, 12) == "Payment";
  EXPECT_TRUE(found);
  // The headings of each section.
  EXPECT_TRUE(r.Contains("Check")) << run.transcript;
  const int depositPage = r.PageOf("DEP-0301");
  bool depositHeading = false;
  for (const std::string& l : r.pages.at(static_cast<std::size_t>(depositPage)))
    depositHeading = depositHeading || (Cell(l, kNumberX, 10) == "Deposit" && Cell(l, kDateX, 9) == "Deposit");
  EXPECT_TRUE(depositHeading) << "the deposits' own headings";
}

TEST_F(CheckRegisterTest, ALongRegisterRepeatsItsHeadingOnEveryPageAndStillFoots) {
  // 150 checks of 1.01 to 150.01 (cents that do not add up exactly in binary).
  double expected = 0;
  for (int n = 0; n < 150; ++n) {
    const double amount = n + 1.01;
    expected += amount;
    const std::string number = std::to_string(7000 + n);
    Add("check_register", Record(Entry{"1010", number.c_str(), 'C', 3, 1 + n % 28, amount}));
  }
  const Run run = RunRegister(Keys("1010", "03/01/25", "03/31/25"));
  const Preview r = OnlyPreview(run.transcript, "Check Register");
  ASSERT_GE(r.pages.size(), 3u) << run.transcript;
  const Section checks = SectionOf(r, "Checks");
  EXPECT_EQ(150u, checks.numbers.size());
  EXPECT_EQ("150", checks.count);
  char total[32];
  std::snprintf(total, sizeof total, "%.2f", expected);
  EXPECT_EQ(total, checks.total);
  for (const auto& page : r.pages) {
    int headings = 0;
    for (const std::string& l : page) headings += Cell(l, kNameX, 30) == "Name" ? 1 : 0;
    EXPECT_EQ(1, headings) << "each page has its column headings once";
  }
}

// --- The screen -----------------------------------------------------------------------------

TEST_F(CheckRegisterTest, TheScreenOpensOnTheCashAccountAndThisPeriod) {
  AddEntries();
  // Accepting the defaults prints 1010 over March.
  const Run run = RunRegister("F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("03/01/25")) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("03/31/25"));
  const Preview r = OnlyPreview(run.transcript, "Check Register");
  EXPECT_EQ((std::vector<std::string>{"3101", "3102", "3103", "3104"}), SectionOf(r, "Checks").numbers);

  // Shift+F9 brings the defaults back over what was typed.
  const Run restored = RunRegister("\"1020\" Enter \"03/20/25\" Shift+F9 F10 Esc");
  EXPECT_TRUE(restored.messages.empty()) << restored.transcript;
  EXPECT_EQ((std::vector<std::string>{"3101", "3102", "3103", "3104"}),
            SectionOf(OnlyPreview(restored.transcript, "Check Register"), "Checks").numbers);

  // Esc leaves without a report.
  const Run left = RunRegister("Esc");
  EXPECT_TRUE(left.messages.empty());
  EXPECT_EQ(std::string::npos, left.transcript.find("preview:"));
}

TEST_F(CheckRegisterTest, TheScreenRefusesWhatItCannotPrint) {
  AddEntries();
  const struct {
    const char* keys;
    int message;
  } cases[] = {
      {"\" \" Enter Esc", 21},                                      // no bank account
      {"\"9999\" Enter Esc", 89},                                   // not in the chart
      {"Enter \"02/30/25\" Enter Esc", 13},                         // no such day
      {"Enter \"03/20/25\" Enter \"03/10/25\" Enter Esc", 205},     // from after to
      {"Enter Enter \"13/01/25\" F10 Esc", 13},                     // F10 checks the field it leaves
  };
  for (const auto& c : cases) {
    const Run run = RunRegister(c.keys);
    EXPECT_EQ(std::vector<int>{c.message}, run.messages) << c.keys << "\n" << run.transcript;
    EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << c.keys;
  }
}

TEST_F(CheckRegisterTest, F5ListsTheAccountsAndTakesTheOneChosen) {
  AddEntries();
  // The list starts at 1010; the next account is 1020.
  const Run run = RunRegister("F5 Down Enter F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("Cash - Payroll")) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "Check Register");
  EXPECT_EQ((std::vector<std::string>{"5001", "5002"}), SectionOf(r, "Checks").numbers);
}

// --- Nothing to print and clean ends ----------------------------------------------------------

TEST_F(CheckRegisterTest, NothingSelectedShowsItsMessageAndNoReport) {
  const Run empty = RunRegister(Keys("1010", "03/01/25", "03/31/25"));
  EXPECT_EQ(std::vector<int>{197}, empty.messages) << "an empty register";
  EXPECT_EQ(std::string::npos, empty.transcript.find("preview:"));

  AddEntries();
  WriteCompany();
  const char* const cases[] = {
      "\"1010\" Enter \"01/01/25\" Enter \"01/31/25\" F10 Esc",  // no entry in the range
      "\"1200\" Enter F10 Esc",                                    // an account without entries
  };
  for (const char* keys : cases) {
    const Run run = RunRegister(keys);
    EXPECT_EQ(std::vector<int>{197}, run.messages) << keys << "\n" << run.transcript;
    EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << keys;
  }
}

void ExpectRegisterFilesClosed() {
  listingtest::ExpectFilesClosed({records::kFileCheckRegister, records::kFileGLAccounts});
}

TEST_F(CheckRegisterTest, AUserBreakEndsTheRunCleanly) {
  for (int n = 0; n < 100; ++n) {
    const std::string number = std::to_string(7000 + n);
    Add("check_register", Record(Entry{"1010", number.c_str(), 'C', 3, 2, 10.00}));
  }
  Add("check_register", Record(Entry{"1010", "DEP-1", 'D', 3, 2, 10.00}));
  const Run run = RunRegister("F10 Break Esc");
  EXPECT_EQ(0, run.result);
  const Preview r = OnlyPreview(run.transcript, "Check Register");
  ASSERT_FALSE(r.Empty()) << "what was printed is shown\n" << run.transcript;
  EXPECT_TRUE(r.Contains("Report stopped by the user"));
  EXPECT_LT(SectionOf(r, "Checks").numbers.size(), 100u);
  EXPECT_FALSE(r.Contains("Total number of register entries:")) << "no totals of a stopped run";
  EXPECT_FALSE(r.Contains("DEP-1"));
  ExpectRegisterFilesClosed();
}

TEST_F(CheckRegisterTest, ARecordManagerErrorEndsTheRunCleanly) {
  AddEntries();
  WriteCompany();
  // The third read of the next entry fails.
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:check_register:3:2"));
  const Run run = RunRegister(Keys("1010", "03/01/25", "03/31/25"));
  BtrvTestSwitch("");
  EXPECT_EQ(0, run.result);
  EXPECT_NE(std::string::npos, run.transcript.find("check_register")) << "the error box names the file\n"
                                                                       << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "Check Register");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  EXPECT_TRUE(r.Contains("incomplete"));
  EXPECT_FALSE(r.Contains("Total number of register entries:")) << "no totals that look final";
  ExpectRegisterFilesClosed();
}

}  // namespace
}  // namespace checkstest
