// The purchase-order status report run by the main program of a program
// tree laid out as the installation lays it out, as its one command
// (qxa15 <company> /only /cmd:308), on a key script as a user at the
// keyboard: the report shows in the preview and the program ends with 0.
#include <string>

#include "checks_test_support.h"
#include "qxtest/programs.h"

namespace checkstest {
namespace {

class POStatusProgramTest : public listingtest::ListingTest {
 protected:
  POStatusProgramTest() : ListingTest(0) {}
};

TEST_F(POStatusProgramTest, TheCommandShowsItsReportThroughTheMainProgram) {
  UseFixtureFile(BooksFile());
  Add("order_headers", Json{{"typeLetter", "O"}, {"transactionNumber", "PO-2001"}, {"custVendCode", "HARDLINE"},
                            {"closedFlag", "N"}, {"date", Date(2025, 3, 12)}});
  Add("order_lines", Json{{"typeLetter", "O"}, {"transactionNumber", "PO-2001"}, {"sequence", 1}, {"lineKind", 1},
                          {"item", "DRL-18V"}, {"quantityDecimals", 2}, {"secondQuantity", 9.0}, {"quantity", 2.5}});
  WriteCompany();
  const qxtest::ProgramUser user(dir_, qxtest::BuiltProgramFiles(), "2025-03-31");

  const qxtest::Run run = user.Command(company_, 308, "F10 Esc");
  EXPECT_EQ(0, run.status) << run.transcript << run.errors;
  EXPECT_NE(std::string::npos, run.transcript.find("preview: Purchase Orders Status")) << run.transcript;
  // The program's transcript runs the report's lines together: the order
  // line stands with its ordered, received and backordered quantities.
  EXPECT_NE(std::string::npos, run.transcript.find("PO-2001                   DRL-18V")) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("9.00         2.50         6.50")) << run.transcript;
}

}  // namespace
}  // namespace checkstest
