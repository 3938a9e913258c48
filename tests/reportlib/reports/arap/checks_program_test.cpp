// The check register and the checks-to-print listing run by the main
// program of a program tree laid out as the installation lays it out, each
// as its one command (qxa15 <company> /only /cmd:314), on a key script as a
// user at the keyboard: the report shows in the preview and the program
// ends with status 0.
#include <string>

#include "checks_test_support.h"
#include "qxtest/programs.h"

namespace checkstest {
namespace {

class ChecksProgramTest : public listingtest::ListingTest {
 protected:
  ChecksProgramTest() : ListingTest(0) {}
};

TEST_F(ChecksProgramTest, EachCommandShowsItsReportThroughTheMainProgram) {
  UseFixtureFile(BooksFile());
  Add("check_register", Json{{"bankAccount", "1010"}, {"checkNumber", "3101"}, {"transactionNumber", "CD 3101"},
                             {"name", "Riverside Properties"}, {"status", "O"}, {"entrySide", "C"},
                             {"date", Date(2025, 3, 3)}, {"amount", 1250.0}, {"kind", "P"}, {"state", "N"}});
  Add("cash_headers", Json{{"journalCode", "CD"}, {"transactionNumber", "      2001"}, {"bankAccount", "1010"},
                           {"reference", "Payment"}, {"paidToCode", "V100"}, {"typeLetter", "C"},
                           {"payeeName", "Cedar Mills"}, {"date", Date(2025, 3, 20)}});
  Add("cash_lines", Json{{"journalCode", "CD"}, {"transactionNumber", "      2001"}, {"invoiceNumber", "INV-7"},
                         {"amount", 392.0}, {"discount", 8.0}, {"invoiceAmount", 400.0}});
  WriteCompany();
  const qxtest::ProgramUser user(dir_, qxtest::BuiltProgramFiles(), "2025-03-31");

  const struct {
    int command;
    const char* keys;
    const char* title;
    const char* line;  // a line of the report
  } cases[] = {
      {314, "F10 Esc", "Check Register", "Total number of register entries: 1"},
      {313, "Esc", "Checks to Print", "1 Grand Total(s)    :"},
  };
  for (const auto& c : cases) {
    const qxtest::Run run = user.Command(company_, c.command, c.keys);
    EXPECT_EQ(0, run.status) << c.command << "\n" << run.transcript << run.errors;
    EXPECT_NE(std::string::npos, run.transcript.find(std::string("preview: ") + c.title)) << run.transcript;
    EXPECT_NE(std::string::npos, run.transcript.find(c.line)) << run.transcript;
  }
}

}  // namespace
}  // namespace checkstest
