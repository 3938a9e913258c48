// The product selection screen, driven by key scripts as a user drives it
// through the product listing: the checks of the ranges, the look-up, the
// defaults key, the remembered selections, and a screen that cannot be made.
//
// The screen's fields in cursor order with both criteria on the product
// number: 1 sort field, 2/3 its range, 14 rank field, 15/16 its range.
// Space changes a choice; typing replaces a field's text.
#include <filesystem>
#include <string>
#include <vector>

#include "product_test_support.h"
#include "reports/inventory/product_listing.h"

namespace producttest {
namespace {

class ScreenTest : public CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    Add("products", Product("A1", "Zinc plate", Json{{"bin", "C-01"}}));
    Add("products", Product("B1", "Anvil", Json{{"bin", "A-01"}}));
    Add("products", Product("C1", "Bolt", Json{{"bin", "B-01"}, {"purchaseUnits", Json::array({0, 0, 24})},
                                                 {"purchaseUnitFactor", 12}}));
    Add("products", Product("D1", "Drill", Json{{"bin", "B-02"}, {"lastSaleDate", Date(2025, 3, 1)}}));
  }

  void User(const char* name) {
    AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, name);
  }

  Run Screen(const std::string& keys) {
    return RunScripted(keys, [&] { return RunProductListing(nullptr); });
  }

  static std::string StartScreen(const Run& run) { return producttest::StartScreen(run.transcript); }

  // The products the preview listed, in order.
  static std::vector<std::string> Listed(const Run& run) {
    std::vector<std::string> out;
    const std::size_t begin = run.transcript.find("preview: Product Listing");
    if (begin == std::string::npos) return out;
    const std::size_t end = run.transcript.find("--- end of report ---", begin);
    std::istringstream lines(run.transcript.substr(begin, end - begin));
    std::string line;
    while (std::getline(lines, line)) {
      const std::string first = Trim(line.substr(0, std::min<std::size_t>(line.size(), 14)));
      if (first.size() == 2 && first[0] >= 'A' && first[0] <= 'D' && first[1] == '1') out.push_back(first);
    }
    return out;
  }
};

TEST_F(ScreenTest, TheDefaultsRunEveryProductInNumberOrder) {
  const Run run = Screen("F10 Esc");
  EXPECT_NE(std::string::npos, StartScreen(run).find("Sort by Product Number")) << run.transcript;
  EXPECT_NE(std::string::npos, StartScreen(run).find("From FIRST"));
  EXPECT_EQ((std::vector<std::string>{"A1", "B1", "C1", "D1"}), Listed(run)) << run.transcript;
}

TEST_F(ScreenTest, TheChecksOfF10KeepTheFormUntilTheRangeIsRight) {
  const struct {
    const char* name;
    const char* keys;
    std::vector<int> messages;
    std::vector<std::string> listed;
  } cases[] = {
      // From "C" after to "A": the message, the form stays; Esc leaves it.
      {"from after to", "Down \"C\" Down \"A\" F10 Enter Esc", {205}, {}},
      // The same corrected on the form (the cursor waits on the from field):
      // the report runs.
      {"corrected", "Down \"C\" Down \"A\" F10 Enter Down \"D9\" F10 Esc", {205}, {"C1", "D1"}},
      // Rank by the last sales date (fifth choice), a date that does not exist.
      {"a bad date", "Down Down Down Space Space Space Space Down \"023025\" Down Enter Esc", {13}, {}},
      {"a good date range", "Down Down Down Space Space Space Space Down \"030125\" Down \"030125\" F10 Esc",
       {},
       {"D1"}},
      // Rank by purchase units (sixth choice): C1's 24 units in twelves are 2.
      {"units in the product's measure", "Down Down Down Space Space Space Space Space Down \"2\" Down \"2\" F10 Esc",
       {},
       {"C1"}},
  };
  int user = 0;
  for (const auto& c : cases) {
    // A user of its own: each case starts from the defaults, not from the
    // selection the case before it remembered.
    User(("USER" + std::to_string(++user)).c_str());
    const Run run = Screen(c.keys);
    EXPECT_EQ(c.messages, run.messages) << c.name << "\n" << run.transcript;
    EXPECT_EQ(c.listed, Listed(run)) << c.name << "\n" << run.transcript;
  }
}

TEST_F(ScreenTest, TheLookUpFillsTheFieldWithThePickedProduct) {
  // F5 on the from field, the second product of the list; F10.  The to
  // field, left empty, shows "LAST ".
  const Run run = Screen("Down F5 Down Enter F10 Esc");
  EXPECT_NE(std::string::npos, run.transcript.find("Anvil")) << "the list shows the descriptions\n" << run.transcript;
  EXPECT_EQ((std::vector<std::string>{"B1", "C1", "D1"}), Listed(run)) << run.transcript;
}

TEST_F(ScreenTest, EachUsersLastSelectionComesBackAndShiftF9BringsTheDefaults) {
  // Sort by bin (fourth choice), bins from "B" to "B-99".
  User("ANNE");
  const Run first = Screen("Space Space Space Down \"B\" Down \"B-99\" F10 Esc");
  EXPECT_EQ((std::vector<std::string>{"C1", "D1"}), Listed(first)) << first.transcript;

  User("BOB");
  EXPECT_NE(std::string::npos, StartScreen(Screen("Esc")).find("Sort by Product Number"));

  User("ANNE");
  const std::string anne = StartScreen(Screen("Esc"));
  EXPECT_NE(std::string::npos, anne.find("Sort by Bin")) << anne;
  EXPECT_NE(std::string::npos, anne.find("To B-99")) << anne;

  // Shift+F9 puts back this run's defaults; the run they make is remembered.
  const Run defaults = Screen("Shift+F9 F10 Esc");
  EXPECT_EQ((std::vector<std::string>{"A1", "B1", "C1", "D1"}), Listed(defaults)) << defaults.transcript;
  EXPECT_NE(std::string::npos, StartScreen(Screen("Esc")).find("Sort by Product Number"));

  // Esc after a change remembers nothing.
  Screen("Space Esc");
  EXPECT_NE(std::string::npos, StartScreen(Screen("Esc")).find("Sort by Product Number"));
}

// A screen whose fields cannot be made (here a mask of its definition is
// not one the screen library understands) runs nothing: no report on values
// nobody saw.
TEST_F(ScreenTest, AScreenThatCannotBeMadeRunsNothing) {
  const Run run = WithFormChanged("form-350.txt", "field 26 row=9 col=14 mask=\"%-10s\"",
                                  "field 26 row=9 col=14 mask=\"%-10q\"", [&] { return Screen("F10 Esc"); });
  EXPECT_NE(std::string::npos, run.transcript.find("message box")) << "the reason is shown\n" << run.transcript;
  EXPECT_EQ(std::string::npos, run.transcript.find("report: Product Listing")) << run.transcript;
  EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << run.transcript;
}

}  // namespace
}  // namespace producttest
