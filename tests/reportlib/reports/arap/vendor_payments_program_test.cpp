// The vendor payments report run by the main program of a program tree laid
// out as the installation lays it out, as its one command (qxa15 <company>
// /only /cmd:347), on a key script as a user at the keyboard: the report
// shows in the preview with totals that foot, and the program ends with
// status 0.
#include <string>

#include "checks_test_support.h"
#include "qxtest/programs.h"

namespace vendpaytest {
namespace {

class VendorPaymentsProgramTest : public listingtest::ListingTest {
 protected:
  VendorPaymentsProgramTest() : ListingTest(0) {}
};

TEST_F(VendorPaymentsProgramTest, TheCommandShowsTheReportThroughTheMainProgram) {
  UseFixtureFile(qxtest::SourceDir() + "/tests/reportlib/reports/arap/fixtures/vendor_payments.json");
  WriteCompany();
  const qxtest::ProgramUser user(dir_, qxtest::BuiltProgramFiles(), "2025-03-31");

  // Sorted by due date, the items due from 04/10/25 on.
  const qxtest::Run run = user.Command(company_, 347, "Space Enter \"04/10/25\" Enter F10 Esc");
  EXPECT_EQ(0, run.status) << run.transcript << run.errors;
  EXPECT_NE(std::string::npos, run.transcript.find("preview: Vendor Payments")) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("Items due from 04/10/25 to LAST")) << run.transcript;
  // The grand total line: discount, payment by discount date, payment by due date.
  EXPECT_NE(std::string::npos,
            run.transcript.find("Grand Total       28.00                 1880.50                 1908.50"))
      << run.transcript;
}

}  // namespace
}  // namespace vendpaytest
