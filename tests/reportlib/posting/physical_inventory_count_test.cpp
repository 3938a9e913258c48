// Physical-inventory count entry (command 391) on the company of
// fixtures/count_entry_company.json, driven by key scripts: what the grid
// writes to the count file, what it refuses, the unposted transactions that
// keep it closed, emptying the file, and the counts carried through the
// journal and the posting.
#include "posting/physical_inventory_count.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "journals/physical_inventory_journal.h"
#include "posting/physical_inventory_posting.h"
#include "posting_test_support.h"

namespace {

using records::PhysicalCount;

class CountEntryTest : public posttest::PostingTest {
 protected:
  fixture::Json Company() {
    return ReadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/count_entry_company.json");
  }

  std::string Enter(const std::string& keys) {
    Start(keys);
    SharedAppBlockGet()->currentCommand = 391;
    EXPECT_EQ(0, RunPhysicalInventoryEntry());
    return Transcript();
  }

  // The count file: each product's counted quantity and printed flag.
  struct Count {
    double quantity;
    char printed;
    bool operator==(const Count& o) const { return quantity == o.quantity && printed == o.printed; }
  };
  std::map<std::string, Count> Counts() {
    std::map<std::string, Count> out;
    for (const PhysicalCount& c : All<PhysicalCount>(records::kFilePhysicalCounts))
      out[std::string(records::Trimmed(c.productCode))] = {c.countedQuantity, c.printedFlag};
    return out;
  }
};

const std::map<std::string, double> kLoaded = {{"BOLT-10", 5}, {"PIPE-2", 12345.6789}};

// On the blank row at the bottom of the grid: a product, Enter, a quantity
// to add, Enter (the row is written and a new blank row offered).
std::string Row(const std::string& product, const std::string& added) {
  return "\"" + product + "\" Enter \"" + added + "\" Enter ";
}

TEST_F(CountEntryTest, EnteredCountsAddToWhatIsOnFile) {
  LoadCompany(Company());
  const std::string t = Enter(Row("BOLT-10", "3") + Row("PIPE-2", "0.0001") + Row("nut-12", "2 6/12") + "F10");
  const auto counts = Counts();
  ASSERT_EQ(3u, counts.size()) << t;
  EXPECT_EQ(8, counts.at("BOLT-10").quantity);
  // The sum of two doubles, not a figure read back from the screen.
  EXPECT_EQ(12345.6789 + 0.0001, counts.at("PIPE-2").quantity);
  EXPECT_DOUBLE_EQ(12345.679, counts.at("PIPE-2").quantity);
  // Two dozen and a half are thirty nuts; the grid shows them as the
  // journal prints them.
  EXPECT_EQ(30, counts.at("NUT-12").quantity);
  EXPECT_EQ('N', counts.at("NUT-12").printed);
  // The listed count of BOLT-10 shows its new total; NUT-12 is listed below.
  const std::string end = t.substr(t.rfind("form end"));
  EXPECT_NE(std::string::npos, end.find("BOLT-10       Hex bolt 10mm                 8.0000                    8.0000"))
      << end;
  EXPECT_NE(std::string::npos, end.find("NUT-12        Hex nut, dozen                2 6/12                    2 6/12"))
      << end;
  // Loaded again, each count shows its total.
  const std::string again = Enter("F10");
  EXPECT_NE(std::string::npos, again.find("NUT-12        Hex nut, dozen                2 6/12")) << again;
  EXPECT_NE(std::string::npos, again.find("12345.6790")) << again;
}

// Each refusal shows its message and keeps the row open; nothing is written.
TEST_F(CountEntryTest, RefusedEntriesWriteNothing) {
  struct Case {
    const char* name;
    const char* keys;
    int message;
  };
  const Case cases[] = {
      {"no such product", "\"BOLT-99\" Enter", 279},
      {"a non-inventory product", "\"SVC-FIT\" Enter", 283},
      {"a blank code", "Enter", 21},
      {"not a quantity", "\"BOLT-10\" Enter \"1/2/3\" Enter", 345},
      {"a total below zero", "\"BOLT-10\" Enter \"-6\" Enter", 249},
      {"a listed count changed", "Up \"X\" Enter", 277},
      {"a look-up on a listed count", "Up F5", 281},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(Company());
    const auto before = Counts();
    // The message read; Esc, then Yes: the count entry is left.
    const std::string t = Enter(std::string(c.keys) + " Enter Esc Enter");
    EXPECT_NE(std::string::npos, t.find("Leave the count entry?")) << t;
    EXPECT_NE(std::string::npos, t.find("message number: " + std::to_string(c.message) + "\n")) << t;
    EXPECT_EQ(before, Counts());
  }
}

// Billing, purchasing or assembly work still to post keeps the grid closed.
TEST_F(CountEntryTest, UnpostedTransactionsKeepTheCountClosed) {
  struct Case {
    const char* name;
    const char* file;
    fixture::Json header;
    bool closed;
    const char* listed = "";  // the ledger the list names
  };
  const Case cases[] = {
      {"a billing invoice", "billing_headers", {{"transactionNumber", "I1"}, {"typeLetter", "I"}, {"postedFlag", "N"}}, true, "Billing"},
      {"a billing invoice flagged n", "billing_headers", {{"transactionNumber", "I1"}, {"typeLetter", "I"}, {"postedFlag", "n"}}, true, "Billing"},
      {"a purchase without a flag", "purchasing_headers", {{"transactionNumber", "P1"}, {"typeLetter", "I"}}, true, "Purchasing"},
      {"an assembly", "assembly_headers", {{"transactionNumber", "A1"}, {"reference", "Build"}, {"postedFlag", "N"}}, true, "Assembly"},
      {"an assembly without a flag", "assembly_headers", {{"transactionNumber", "A1"}, {"reference", "Build"}}, true, "Assembly"},
      {"a deleted assembly", "assembly_headers", {{"transactionNumber", "A1"}, {"reference", "DELETED"}, {"postedFlag", "N"}}, false},
      {"a posted invoice", "billing_headers", {{"transactionNumber", "I1"}, {"typeLetter", "I"}, {"postedFlag", "Y"}}, false},
      {"a purchase order", "purchasing_headers", {{"transactionNumber", "P1"}, {"typeLetter", "O"}, {"postedFlag", "N"}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    fixture::Json header = c.header;
    header["date"] = "2025-03-10";
    company["files"][c.file] = fixture::Json::array({header});
    LoadCompany(company);
    const std::string t = Enter("F10");
    EXPECT_EQ(c.closed, t.find("message number: 193\n") != std::string::npos) << t;
    if (c.closed) {
      EXPECT_NE(std::string::npos, t.find(std::string("  ") + c.listed + " ")) << t;
    }
    EXPECT_EQ(!c.closed, t.find("form start: Physical Inventory Count Entry") != std::string::npos) << t;
  }
}

TEST_F(CountEntryTest, F6EmptiesTheCountFileWhollyOrNotAtAll) {
  struct Case {
    const char* name;
    const char* keys;
    const char* failure;  // BtrvTestSwitch
    bool emptied;
    int message;  // shown, or 0
  };
  const Case cases[] = {
      {"answered Yes", "F6 Enter F10", "", true, 0},
      {"answered No", "F6 Right Enter F10", "", false, 0},
      // The first open is the grid's own; the second, exclusive, finds
      // another program holding the file.
      {"the file held elsewhere", "F6 Enter F10", "fail=0:physical_counts:2:85", false, 555},
      {"a delete failing", "F6 Enter Enter F10", "fail=4:physical_counts:2:84", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(Company());
    ASSERT_EQ(0, BtrvTestSwitch(c.failure));
    const std::string t = Enter(c.keys);
    BtrvTestSwitch("");
    EXPECT_EQ(c.emptied ? 0u : 2u, Counts().size()) << t;
    if (c.message) {
      EXPECT_NE(std::string::npos, t.find("message number: " + std::to_string(c.message) + "\n")) << t;
    }
    // The grid is emptied with the file.
    if (c.emptied) {
      EXPECT_EQ(std::string::npos, t.find("BOLT-10       Hex bolt", t.rfind("form end"))) << t;
    }
  }
}

TEST_F(CountEntryTest, AFailedWriteKeepsTheRowForCorrection) {
  LoadCompany(Company());
  const auto before = Counts();
  ASSERT_EQ(0, BtrvTestSwitch("fail=2:physical_counts:1:84"));
  const std::string t = Enter(Row("NUT-12", "1") + "Enter Esc Enter");
  BtrvTestSwitch("");
  EXPECT_NE(std::string::npos, t.find("message number: 1053")) << t;
  EXPECT_NE(std::string::npos, t.find("84")) << t;
  EXPECT_EQ(before, Counts());
  // Tried again, the row is written.
  Enter(Row("NUT-12", "1") + "F10");
  EXPECT_EQ(12, Counts().at("NUT-12").quantity);
}

TEST_F(CountEntryTest, TodayInNoFiscalPeriodIsSaid) {
  LoadCompany(Company());
  Start("");
  DateSetToday(DateMake(2027, 6, 1));
  SharedAppBlockGet()->currentCommand = 391;
  EXPECT_EQ(0, RunPhysicalInventoryEntry());
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("06/01/2027")) << t;
  EXPECT_EQ(std::string::npos, t.find("form start")) << t;
}

// Counts entered in the grid are printed and posted as the same counts
// loaded from a fixture: the same products and the same G/L entry.
TEST_F(CountEntryTest, EnteredCountsPostAsLoadedOnes) {
  auto post = [&](bool entered) {
    fixture::Json company = Company();
    company["files"]["physical_counts"] = fixture::Json::array();
    if (!entered) {
      company["files"]["physical_counts"] = fixture::Json::array({
          {{"productCode", "BOLT-10"}, {"printedFlag", "N"}, {"countedQuantity", 8}},
          {{"productCode", "NUT-12"}, {"printedFlag", "N"}, {"countedQuantity", 42}},
      });
    }
    LoadCompany(company);
    if (entered) Enter(Row("BOLT-10", "8") + Row("NUT-12", "3 6") + "F10");
    Start("");
    SharedAppBlockGet()->currentCommand = 307;
    RunPhysicalInventoryJournal();
    Transcript();
    Start("F10 Enter");
    SharedAppBlockGet()->currentCommand = 327;
    RunPhysicalInventoryPost();
    const std::string t = Transcript();
    std::map<std::string, std::vector<double>> books;
    for (const records::TagProduct& p : All<records::TagProduct>(records::kFileProducts))
      books[p.number] = {p.quantityOnHand, p.valueOnHand};
    for (const records::GLAccount& a : All<records::GLAccount>(records::kFileGLAccounts))
      books[a.code] = {a.currentBalance};
    EXPECT_NE(std::string::npos, t.find("transactions posted")) << t;
    EXPECT_TRUE(Counts().empty());
    return books;
  };
  const auto loaded = post(false);
  EXPECT_EQ(loaded, post(true));
  EXPECT_EQ(42, loaded.at("NUT-12")[0]);
}

}  // namespace
