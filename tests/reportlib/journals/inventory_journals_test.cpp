// The physical-inventory journal (307), the assembly journal (306) and the
// inventory transaction journal (399), driven by key scripts over the books
// of fixtures/inventory_books.json (March 2025 is the period of today,
// 03/15/25).
//
// The books: products BOLT-10 (unit 1, last cost 2.50, 12 on hand), NUT-10
// (sold by the dozen: unit 12, 6.00 a dozen, 30 on hand), PIPE-2 (unit 1,
// last 10.00, standard 8.00, average 9.00, 4 on hand), SAMPLE (unit 0: not
// valued) and TABLE-1; the service LABOR; accounts 1300 Inventory, 5100
// Inventory Adjustments and 5100HW.
//   Counts: ANCHOR-5 (no such product), BOLT-10 10 (2 short), NUT-10 36 (6
//   over), PIPE-2 5 (1 over), SAMPLE 1.
//   Assembly: 201 builds TABLE-1 from BOLT-10, LABOR and WIDGET-X (on no
//   file); 202 takes KIT-9 (no such product) apart into NUT-10, overridden
//   and short; 203 is deleted; 204 is posted; 205 is of April.
//   Inventory transactions: 301, 302, 303, 305 and 99 (posted, February)
//   were entered ('T'); 304 comes from an assembly ('A').
#include "journals/assembly_journal.h"
#include "journals/inventory_journal.h"
#include "journals/physical_inventory_journal.h"

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ledger_journal_support.h"
#include "qxabase/messages.h"

namespace {

using namespace journaltest;
using records::AssemblyHeader;
using records::PhysicalCount;
using qxtest::Flat;

constexpr int kAssemblyJournal = 306;
constexpr int kPhysicalInventoryJournal = 307;
constexpr int kInventoryJournal = 399;

class InventoryJournalsTest : public LedgerJournalTest {
 protected:
  // The books, with "0Interface" and "0SysPrefs" changed as `interface` and
  // `prefs` say, and with only the files' records `keep` names when given.
  void LoadBooks(const Json& interface = Json::object(), const Json& prefs = Json::object()) {
    UseFixtureFile(std::string(QX_JOURNAL_FIXTURES) + "/inventory_books.json");
    for (Json& record : Fixture()["files"]["settings"]) {
      const Json& changes = record["key"] == "0Interface" ? interface : record["key"] == "0SysPrefs" ? prefs : Json();
      if (changes.is_object())
        for (auto it = changes.begin(); it != changes.end(); ++it) record[it.key()] = it.value();
    }
    WriteCompany();
  }
  // Leaves only the records of `file` whose `field` is one of `values`.
  void Keep(const std::string& file, const std::string& field, const std::set<std::string>& values) {
    Json kept = Json::array();
    for (const Json& r : Fixture()["files"][file])
      if (values.count(r[field].get<std::string>())) kept.push_back(r);
    Fixture()["files"][file] = kept;
    WriteCompany();
  }

  std::string PhysicalInventory(const std::string& keys = "") {
    return Run(kPhysicalInventoryJournal, keys, [] { return RunPhysicalInventoryJournal(); });
  }
  std::string Assembly(const std::string& keys) {
    return Run(kAssemblyJournal, keys, [] { return RunAssemblyJournal(); });
  }
  std::string Transactions(const std::string& keys) {
    return Run(kInventoryJournal, keys, [] { return RunInventoryTransactionJournal(); });
  }

  std::map<std::string, char> CountFlags() {
    std::map<std::string, char> out;
    for (const PhysicalCount& c : Records<PhysicalCount>(records::kFilePhysicalCounts))
      out[Trimmed(std::string(c.productCode, strnlen(c.productCode, sizeof c.productCode)))] = c.printedFlag;
    return out;
  }
  std::set<std::string> StampedAssemblies() {
    std::set<std::string> out;
    for (const AssemblyHeader& h : Records<AssemblyHeader>(records::kFileAssemblyHeaders)) {
      if (h.journalPrinted == 0) continue;
      EXPECT_EQ(h.journalPrinted, Today());
      out.insert(Trimmed(std::string(h.transactionNumber, strnlen(h.transactionNumber, sizeof h.transactionNumber))));
    }
    return out;
  }
};

// The lines of the G/L entry page: "account name: Dr x" or "... Cr x", and
// the product when the line names one.
std::vector<std::string> EntryLines(const std::string& page) {
  std::vector<std::string> out;
  bool inTable = false;
  for (const std::string& line : Lines(page)) {
    if (line.find("Account #") != std::string::npos) {
      inTable = true;
      continue;
    }
    if (!inTable || line.find("---") != std::string::npos || Trimmed(line).empty() || line.find("Page") != std::string::npos)
      continue;
    const std::string debit = Cell(line, 73, 12), credit = Cell(line, 86, 12), product = Cell(line, 99, 14);
    out.push_back(Cell(line, 0, 10) + " " + Cell(line, 11, 30) + ": " + (debit.empty() ? "Cr " + credit : "Dr " + debit) +
                  (product.empty() ? "" : " " + product));
  }
  return out;
}

// ---- Physical-inventory journal ----------------------------------------------------------------

TEST_F(InventoryJournalsTest, PhysicalInventoryPrintsEveryCountAndMarksItPrinted) {
  LoadBooks();
  const fixture::CompanyImage before = Snapshot();
  const std::string transcript = PhysicalInventory();
  const std::vector<std::string> pages = ReportPages(transcript);
  ASSERT_EQ(pages.size(), 2u) << transcript;
  const std::string& counts = pages[0];
  EXPECT_NE(counts.find("Physical Inventory Journal"), std::string::npos);

  struct Expected {
    const char* product;
    const char* warehouse;
    const char* description;
    const char* fraction;
    const char* perpetual;
    const char* physical;
    const char* difference;
    const char* unitCost;
  };
  const Expected kLines[] = {
      // The product is on no file: its quantities are zero.
      {"ANCHOR-5", "", "* Product not on file *", "0", "0.0000", "0.0000", "0.0000", "0.0000"},
      {"BOLT-10", "MN", "Hex bolt 10mm", "1", "12.0000", "10.0000", "2.0000", "2.5000"},
      // Counted by the dozen: whole dozens and the rest in twelfths.
      {"NUT-10", "MN", "Hex nut 10mm", "12", "2 6/12", "3", "-6/12", "6.0000"},
      {"PIPE-2", "EA", "Copper pipe 2in", "1", "4.0000", "5.0000", "-1.0000", "10.0000"},
      // Not valued: its count shows as nothing and changes nothing.
      {"SAMPLE", "MN", "Display sample", "0", "5.0000", "0.0000", "0.0000", "1.0000"},
  };
  for (const Expected& e : kLines) {
    SCOPED_TRACE(e.product);
    const std::string line = LineWith(counts, std::string(" ") + e.product + " ");
    ASSERT_FALSE(line.empty()) << counts;
    EXPECT_EQ(Cell(line, 0, 5), e.warehouse);
    EXPECT_EQ(Cell(line, 21, 30), e.description);
    EXPECT_EQ(Cell(line, 61, 4), e.fraction);
    EXPECT_EQ(Cell(line, 82, 12), e.perpetual);
    EXPECT_EQ(Cell(line, 95, 12), e.physical);
    EXPECT_EQ(Cell(line, 108, 12), e.difference);
    EXPECT_EQ(Cell(line, 121, 12), e.unitCost);
  }
  // -5.00 for the bolts, +3.00 for half a dozen nuts, +10.00 for the pipe.
  EXPECT_EQ(EntryLines(pages[1]), (std::vector<std::string>{"1300 Inventory: Dr 8.00", "5100 Inventory Adjustments: Cr 8.00"}))
      << pages[1];
  // The missing product is told, first in the file as it is.
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{1359}) << transcript;

  // Every count carries 'Y'; nothing else of the company changed.
  fixture::CompanyImage expected = before;
  for (auto& bytes : expected.files[records::kFilePhysicalCounts]) {
    PhysicalCount c{};
    ASSERT_TRUE(records::FromImage(bytes, &c));
    c.printedFlag = 'Y';
    const auto image = records::ImageOf(c);
    bytes.assign(image.begin(), image.end());
  }
  EXPECT_EQ(Snapshot().files, expected.files);
}

struct EntryCase {
  const char* name;
  Json interface;
  Json prefs;
  std::set<std::string> counts;  // the counts kept (all when empty)
  std::vector<std::string> lines;
  std::vector<int> messages;
};

TEST_F(InventoryJournalsTest, TheGLEntryFollowsTheModeAndTheCostingAndBalances) {
  const EntryCase kCases[] = {
      {"a loss in plain mode: the adjustment account is debited",
       Json::object(), Json::object(), {"BOLT-10"},
       {"5100 Inventory Adjustments: Dr 5.00", "1300 Inventory: Cr 5.00"}, {}},
      {"the average cost", Json::object(), {{"costingMethod", "A"}}, {},
       {"1300 Inventory: Dr 7.50", "5100 Inventory Adjustments: Cr 7.50"}, {1359}},
      {"the standard cost", Json::object(), {{"costingMethod", "S"}}, {},
       {"1300 Inventory: Dr 7.00", "5100 Inventory Adjustments: Cr 7.00"}, {1359}},
      // The entry posting will make: posting takes the average for any other code.
      {"the average cost for any other code", Json::object(), {{"costingMethod", "X"}}, {},
       {"1300 Inventory: Dr 7.50", "5100 Inventory Adjustments: Cr 7.50"}, {1359}},
      {"the company's adjustment account", {{"glMode", "C"}}, Json::object(), {},
       {"1300 Inventory: Dr 8.00", "5100 Inventory Adjustments: Cr 8.00"}, {1359}},
      // Each product's difference goes to the adjustment account joined with
      // its department; 5100PL is not in the chart of accounts.
      {"per product", {{"glMode", "I"}}, Json::object(), {},
       {"1300 Inventory: Dr 8.00", "5100HW Adjustments - Hardware: Dr 5.00 BOLT-10",
        "5100HW Adjustments - Hardware: Cr 3.00 NUT-10", "5100PL * Not on file *: Cr 10.00 PIPE-2"},
       {1359, 1363}},
      {"per product, a net loss last", {{"glMode", "I"}}, Json::object(), {"BOLT-10"},
       {"5100HW Adjustments - Hardware: Dr 5.00 BOLT-10", "1300 Inventory: Cr 5.00"}, {}},
      {"an inventory account not on file", {{"inventoryAccount", "1399"}}, Json::object(), {"BOLT-10"},
       {"5100 Inventory Adjustments: Dr 5.00", "1399 * Not on file *: Cr 5.00"}, {1361}},
  };
  for (const EntryCase& c : kCases) {
    SCOPED_TRACE(c.name);
    LoadBooks(c.interface, c.prefs);
    if (!c.counts.empty()) Keep("physical_counts", "productCode", c.counts);
    const std::string transcript = PhysicalInventory();
    const std::vector<std::string> pages = ReportPages(transcript);
    ASSERT_EQ(pages.size(), 2u) << transcript;
    EXPECT_NE(pages[1].find("General Ledger Summary"), std::string::npos);
    EXPECT_EQ(EntryLines(pages[1]), c.lines) << pages[1];
    EXPECT_EQ(MessageNumbers(transcript), c.messages) << transcript;
  }
}

TEST_F(InventoryJournalsTest, PhysicalInventoryEndsWithoutAReportWhenItCannotRun) {
  // No count: nothing to print.
  LoadBooks();
  Keep("physical_counts", "productCode", {});
  std::string transcript = PhysicalInventory();
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{197}) << transcript;
  EXPECT_EQ(PreviewText(transcript), "");

  // The company's adjustment account is not in the chart of accounts.
  LoadBooks({{"glMode", "C"}, {"costOfGoodsAccount", "5999"}});
  transcript = PhysicalInventory();
  EXPECT_EQ(PreviewText(transcript), "") << transcript;
  EXPECT_NE(Flat(transcript).find("5999"), std::string::npos) << "the message names the account";
  EXPECT_EQ(CountFlags()["BOLT-10"], 'N') << "nothing was printed";
}

TEST_F(InventoryJournalsTest, PhysicalInventoryStopsCleanlyOnABreakOrARecordError) {
  // A failing rewrite ends the walk; the entry still shows for what was read.
  LoadBooks();
  std::string transcript = RunWithRecordFault("fail=3:physical_counts:3:2", [&] { return PhysicalInventory(); });
  EXPECT_NE(transcript.find(RecordErrorText(2, kOpUpdate, records::kFilePhysicalCounts)), std::string::npos)
      << transcript;
  EXPECT_NE(PreviewText(transcript).find("General Ledger Summary"), std::string::npos);
  EXPECT_NE(transcript.find("preview: closed"), std::string::npos);
  EXPECT_EQ(CountFlags(), (std::map<std::string, char>{
                              {"ANCHOR-5", 'Y'}, {"BOLT-10", 'Y'}, {"NUT-10", 'N'}, {"PIPE-2", 'N'}, {"SAMPLE", 'Y'}}));

  // The user stops the run (after answering the missing product's message)
  // before its first line: nothing is marked.
  LoadBooks();
  transcript = PhysicalInventory("Enter Break");
  EXPECT_NE(transcript.find("*** Report stopped by the user ***"), std::string::npos) << transcript;
  EXPECT_NE(transcript.find("preview: closed"), std::string::npos);
  EXPECT_EQ(CountFlags()["BOLT-10"], 'N');
}

// ---- Assembly journal ----------------------------------------------------------------------------

TEST_F(InventoryJournalsTest, AssemblyJournalPrintsThePeriodsTransactionsWithTheirComponentsAndStampsThem) {
  LoadBooks();
  const fixture::CompanyImage before = Snapshot();
  const std::string transcript = Assembly("F10");
  const std::string report = PreviewText(transcript);
  ASSERT_FALSE(report.empty()) << transcript;
  EXPECT_NE(report.find("Assembly Journal"), std::string::npos);
  EXPECT_NE(report.find("Select: Date From: 03/01/25 To: 03/31/25"), std::string::npos) << report;

  // The transaction rows; 204 is posted and 205 of April.
  const std::string built = LineWith(report, "       201 ");
  EXPECT_EQ(Squeezed(built), " 201 03/10/25 MN TABLE-1 Work table Build No Assembly 2.00 150.00");
  EXPECT_EQ(Cell(built, 102, 12), "2.00");
  EXPECT_EQ(Cell(built, 115, 12), "150.00");
  EXPECT_EQ(Squeezed(LineWith(report, "       202 ")), " 202 03/11/25 KIT-9 Strip kit No Disassembly 1.00 40.00");
  EXPECT_EQ(Squeezed(LineWith(report, "       203 ")), " 203 03/12/25 MN TABLE-1 Work table DELETED No Assembly 1.00 10.00");
  EXPECT_EQ(LineWith(report, "       204 "), "");
  EXPECT_EQ(LineWith(report, "       205 "), "");
  EXPECT_NE(report.find("Disassembled Disassembled"), std::string::npos) << "the cells over 202's figures";

  // Components: a product, a service, one on neither file (all it needs is short).
  EXPECT_EQ(Squeezed(LineWith(report, "BOLT-10")), " BOLT-10 Hex bolt 10mm MN No BOX 12.0000 8.0000 0.0000 4.0000 20.00");
  EXPECT_EQ(Squeezed(LineWith(report, "LABOR")), " LABOR Assembly labour No HOUR 0.00 2.00 0.00 0.00 50.00");
  EXPECT_EQ(Squeezed(LineWith(report, "WIDGET-X")), " WIDGET-X * Not on file * No 0.0000 3.0000 3.0000 0.0000 9.00");
  EXPECT_EQ(Squeezed(LineWith(report, "NUT-10")), " NUT-10 Hex nut 10mm MN Yes DOZEN 30.0000 36.0000 6.0000 0.0000 18.00");
  const std::string squeezed = Squeezed(report);
  for (const char* summary : {"Components: 3 Any override: No Any shortage: Yes",
                              "Components: 1 Any override: Yes Any shortage: Yes",
                              "Transactions printed: 3 Components printed: 4 Total non-override dollars: 200.00"})
    EXPECT_NE(squeezed.find(summary), std::string::npos) << summary << "\n" << report;
  // The deleted transaction has no components.
  EXPECT_EQ(squeezed.find("Components: 0"), std::string::npos);

  EXPECT_EQ(MessageNumbers(transcript), (std::vector<int>{1369, 1369})) << transcript;
  EXPECT_NE(Flat(transcript).find("WIDGET-X of transaction 201 is not on file"), std::string::npos);
  EXPECT_NE(Flat(transcript).find("KIT-9 of transaction 202 is not on file"), std::string::npos);

  // 201-203 carry today; nothing else changed.
  EXPECT_EQ(StampedAssemblies(), (std::set<std::string>{"201", "202", "203"}));
  fixture::CompanyImage expected = before;
  for (auto& bytes : expected.files[records::kFileAssemblyHeaders]) {
    AssemblyHeader h{};
    ASSERT_TRUE(records::FromImage(bytes, &h));
    if (h.periodKey != 45716 || h.postedFlag == 'Y') continue;
    h.journalPrinted = Today();
    const auto image = records::ImageOf(h);
    bytes.assign(image.begin(), image.end());
  }
  EXPECT_EQ(Snapshot().files, expected.files);
}

TEST_F(InventoryJournalsTest, AssemblyListingOverARangeChangesNoByte) {
  LoadBooks();
  const fixture::CompanyImage before = Snapshot();
  // Space chooses "Listing"; Enter opens the column pick of criterion 1,
  // Enter keeps the transaction number, Enter goes on to its from and to.
  const std::string transcript = Assembly(R"(Space Enter Enter Enter "202" Enter "204" F10)");
  const std::string report = PreviewText(transcript);
  EXPECT_NE(report.find("Assembly Listing"), std::string::npos) << transcript;
  for (const char* shown : {"       202 ", "       203 ", "       204 "})
    EXPECT_NE(LineWith(report, shown), "") << shown << "\n" << report;
  EXPECT_EQ(LineWith(report, "       201 "), "");
  EXPECT_EQ(Cell(LineWith(report, "       204 "), 83, 6), "Yes") << "posted";
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << "warnings are the journal's";
  EXPECT_EQ(Snapshot().files, before.files);
}

TEST_F(InventoryJournalsTest, AssemblyJournalWithNothingToPrintSaysSo) {
  LoadBooks();
  Keep("assembly_headers", "reference", {"Posted", "April"});
  const std::string transcript = Assembly("F10");
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{197}) << transcript;
  EXPECT_EQ(PreviewText(transcript), "");
}

struct AssemblyFailureCase {
  const char* name;
  const char* failure;
  std::string text;  // what the user is told
  std::set<std::string> stamped;
  bool runSummary;
};

TEST_F(InventoryJournalsTest, AssemblyJournalEndsCleanlyOnRecordErrorsInUseAndABreak) {
  const AssemblyFailureCase kCases[] = {
      {"stamping the second header fails: the run summary still follows", "fail=3:assembly_headers:2:2",
       RecordErrorText(2, kOpUpdate, records::kFileAssemblyHeaders), {"201"}, true},
      {"reading the first component fails: the run goes on", "fail=9:assembly_components:1:2",
       RecordErrorText(2, kOpGetGreaterOrEqual, records::kFileAssemblyComponents), {"201", "202", "203"}, true},
      {"another user has the first header", "fail=3:assembly_headers:1:84",
       "message number: 551", {"202", "203"}, true},
  };
  for (const AssemblyFailureCase& c : kCases) {
    SCOPED_TRACE(c.name);
    LoadBooks();
    const std::string transcript = RunWithRecordFault(c.failure, [&] { return Assembly("F10"); });
    const std::size_t told = transcript.find(c.text);
    EXPECT_NE(told, std::string::npos) << transcript;
    EXPECT_NE(transcript.find("preview: closed"), std::string::npos);
    if (c.text == "message number: 551") {
      EXPECT_LT(transcript.find("preview: closed"), told) << "told after the report";
    }
    EXPECT_EQ(PreviewText(transcript).find("Transactions printed") != std::string::npos, c.runSummary);
    EXPECT_EQ(StampedAssemblies(), c.stamped);
  }

  LoadBooks();
  const std::string transcript = Assembly("F10 Break");
  EXPECT_NE(transcript.find("*** Report stopped by the user ***"), std::string::npos) << transcript;
  EXPECT_NE(transcript.find("preview: closed"), std::string::npos);
  EXPECT_EQ(StampedAssemblies(), std::set<std::string>{});
}

// ---- Inventory transaction journal -------------------------------------------------------------------

// The transaction numbers a listing shows, in order.
std::vector<std::string> Listed(const std::string& report) {
  std::vector<std::string> out;
  for (const std::string& line : Lines(report)) {
    if (line.size() < 40 || line[0] != ' ' || line.find("IA-") == std::string::npos) continue;
    out.push_back(Trimmed(line.substr(0, 12)));
  }
  return out;
}

TEST_F(InventoryJournalsTest, InventoryJournalListsTheEnteredTransactionsInItemOrder) {
  LoadBooks();
  const fixture::CompanyImage before = Snapshot();
  const std::string transcript = Transactions("F10 Esc");
  const std::string report = PreviewText(transcript);
  // 304 comes from an assembly: never listed.
  EXPECT_EQ(Listed(report), (std::vector<std::string>{"301", "305", "302", "99", "303"})) << report;
  EXPECT_NE(report.find("INVENTORY ADJUSTMENTS LISTING"), std::string::npos);
  EXPECT_NE(Squeezed(report).find("Sort on: Item No From: FIRST To: LAST"), std::string::npos) << report;
  EXPECT_NE(Squeezed(report).find("Rank on: Item No From: FIRST To: LAST"), std::string::npos);
  EXPECT_EQ(Squeezed(LineWith(report, "REC-1")),
            " 301 03/05/25 IA-IncQty. MN BOLT-10 Hex bolt 10mm REC-1 1300 24.0000 2.5000 60.00");
  // Half a dozen nuts, as decimals of the measure.
  EXPECT_EQ(Squeezed(LineWith(report, "DAMAGE")),
            " 302 03/07/25 IA-DecQty. EA NUT-10 Hex nut 10mm DAMAGE 5100 -0.5000 6.0000 -3.00");
  EXPECT_EQ(Squeezed(LineWith(report, "MOVE")),
            " 305 03/20/25 IA-Trans. EA GHOST-1 * Not on file * MOVE 1300 5.0000 1.0000 5.00");
  EXPECT_NE(LineWith(report, "REVALUE").find("IA-IncVal."), std::string::npos);
  EXPECT_NE(LineWith(report, " OLD ").find("IA-DecVal."), std::string::npos);
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
  EXPECT_NE(transcript.find("form end: Inventory Transaction Journal"), std::string::npos) << "the window stays open";
  // The journal writes nothing but the user's remembered parameters.
  fixture::CompanyImage after = Snapshot();
  after.files.erase(records::kFileReportMru);
  fixture::CompanyImage expected = before;
  expected.files.erase(records::kFileReportMru);
  EXPECT_EQ(after.files, expected.files);
}

struct SelectionCase {
  const char* name;
  const char* keys;
  std::vector<std::string> listed;
  const char* heading;  // a line of the page head, blanks squeezed
};

TEST_F(InventoryJournalsTest, InventoryJournalSortsAndRanksOnTheChosenFields) {
  // Space changes a choice; Enter goes on to the next field in use.
  const SelectionCase kCases[] = {
      {"a date range, in date order", R"(Enter Space Space Enter "030125" Enter "031025" F10 Esc)",
       {"301", "302"}, "Sort on: Tran Date From: 03/01/25 To: 03/10/25"},
      {"transaction numbers typed short", R"(Enter Space Enter "302" Enter "305" F10 Esc)",
       {"302", "303", "305"}, "Sort on: Tran No From: 302 To: 305"},
      {"ranked on the warehouse",
       R"(Enter Enter Enter Enter Space Space Space Space Space Space Space Enter "EA" Enter "EA" F10 Esc)",
       {"305", "302"}, "Rank on: Warehouse From: EA To: EA"},
      {"the master item, an open end", R"(Enter Space Space Space Space Space Enter "FASTENERS" F10 Esc)",
       {"301", "302", "99", "303"}, "Sort on: Master Itm From: FASTENERS To: LAST"},
      // F5 lists the transactions by number: the first, then the third.
      {"transaction numbers looked up", "Enter Space Enter F5 Enter Enter F5 Down Down Enter F10 Esc",
       {"99", "301", "302"}, "Sort on: Tran No From: 99 To: 302"},
      {"fractions of the measure", "Space F10 Esc", {"301", "305", "302", "99", "303"}, "NUT-10 Hex nut 10mm DAMAGE 5100 -6/12"},
  };
  for (const SelectionCase& c : kCases) {
    SCOPED_TRACE(c.name);
    LoadBooks({}, {{"rememberReportParams", "N"}});
    const std::string transcript = Transactions(c.keys);
    const std::string report = PreviewText(transcript);
    EXPECT_EQ(Listed(report), c.listed) << transcript;
    EXPECT_NE(Squeezed(report).find(c.heading), std::string::npos) << report;
  }
}

TEST_F(InventoryJournalsTest, InventoryJournalRefusesBadDatesAndSaysWhenNothingIsSelected) {
  LoadBooks();
  // A date that is no date, in the sort pair: the cursor stays.
  std::string transcript = Transactions(R"(Enter Space Space Enter "023025" Enter Esc)");
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{13}) << transcript;
  EXPECT_EQ(PreviewText(transcript), "");
  // In the rank pair it is refused when the journal is to print.
  transcript = Transactions(R"(Enter Enter Enter Enter Space Space Enter "023025" F10 Esc)");
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{13}) << transcript;
  EXPECT_EQ(PreviewText(transcript), "");
  // Nothing in the range.
  transcript = Transactions(R"(Enter Enter "ZZZ" F10 Esc)");
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{197}) << transcript;
}

TEST_F(InventoryJournalsTest, InventoryJournalRemembersWhatItPrintedFromAndShiftF9PutsTheDefaultsBack) {
  LoadBooks();
  Transactions(R"(Enter Space Enter "302" Enter "305" F10 Esc)");
  EXPECT_EQ(Listed(PreviewText(Transactions("F10 Esc"))), (std::vector<std::string>{"302", "303", "305"}));
  EXPECT_EQ(Listed(PreviewText(Transactions("Shift+F9 F10 Esc"))),
            (std::vector<std::string>{"301", "305", "302", "99", "303"}));
}

TEST_F(InventoryJournalsTest, InventoryJournalEndsARunCleanlyOnARecordErrorOrABreak) {
  LoadBooks();
  std::string transcript =
      RunWithRecordFault("fail=6:inventory_transactions:2:2", [&] { return Transactions("F10 Esc"); });
  EXPECT_NE(transcript.find(RecordErrorText(2, kOpGetNext, records::kFileInventoryTransactions)), std::string::npos)
      << transcript;
  EXPECT_EQ(Listed(PreviewText(transcript)), std::vector<std::string>{"301"});
  EXPECT_NE(transcript.find("preview: closed"), std::string::npos);

  transcript = Transactions("F10 Break Esc");
  EXPECT_NE(transcript.find("*** Report stopped by the user ***"), std::string::npos) << transcript;
  EXPECT_NE(transcript.find("preview: closed"), std::string::npos);
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << "a stopped run is not an empty one";
}

// ---- The sample company ------------------------------------------------------------------------------

// The debits and the credits of the G/L entry lines.
std::pair<double, double> EntryTotals(const std::vector<std::string>& lines) {
  double debit = 0, credit = 0;
  for (const std::string& line : lines) {
    const std::size_t at = line.find(": ");
    const std::string side = line.substr(at + 2, 2);
    const double amount = std::stod(line.substr(at + 5));
    (side == "Dr" ? debit : credit) += amount;
  }
  return {debit, credit};
}

TEST_F(InventoryJournalsTest, OnTheSampleCompanyEachJournalPrintsWhatItShould) {
  LoadSampleCompany();
  // Every count prints and is marked; the entry balances.
  std::string transcript = PhysicalInventory();
  std::vector<std::string> pages = ReportPages(transcript);
  ASSERT_GE(pages.size(), 2u) << transcript;
  const std::vector<std::string> entry = EntryLines(pages.back());
  ASSERT_EQ(entry.size(), 2u) << pages.back();
  const auto [debit, credit] = EntryTotals(entry);
  EXPECT_NEAR(debit, credit, 0.005) << pages.back();
  for (const auto& [product, flag] : CountFlags()) EXPECT_EQ(flag, 'Y') << product;

  // The period's unposted assembly transactions print and are stamped.
  std::set<std::string> unposted;
  for (const AssemblyHeader& h : Records<AssemblyHeader>(records::kFileAssemblyHeaders))
    if (h.postedFlag != 'Y' && h.date >= Day(2025, 3, 1) && h.date <= Day(2025, 3, 31))
      unposted.insert(Trimmed(std::string(h.transactionNumber, strnlen(h.transactionNumber, sizeof h.transactionNumber))));
  ASSERT_FALSE(unposted.empty());
  transcript = Assembly("F10");
  EXPECT_NE(PreviewText(transcript).find("Transactions printed: " + std::to_string(unposted.size())), std::string::npos)
      << transcript;
  EXPECT_EQ(StampedAssemblies(), unposted);

  // Every entered inventory transaction is listed.
  std::size_t entered = 0;
  for (const records::InventoryTransaction& r : Records<records::InventoryTransaction>(records::kFileInventoryTransactions))
    entered += r.IsEntered() ? 1 : 0;
  ASSERT_GT(entered, 0u);
  transcript = Transactions("F10 Esc");
  EXPECT_EQ(Listed(PreviewText(transcript)).size(), entered) << transcript;
}

}  // namespace
