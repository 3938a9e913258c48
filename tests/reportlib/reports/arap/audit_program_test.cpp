// The audit trail log run by the main program of a program tree laid out as
// the installation lays it out, as its one command (qxa15 <company> /only
// /cmd:394), on a key script as a user at the keyboard: the selected entries
// show in the preview and the program ends with status 0.
#include <string>

#include "checks_test_support.h"
#include "qxtest/programs.h"

namespace checkstest {
namespace {

class AuditProgramTest : public listingtest::ListingTest {
 protected:
  AuditProgramTest() : ListingTest(0) {}
};

TEST_F(AuditProgramTest, TheCommandShowsTheSelectedEntriesThroughTheMainProgram) {
  Add("audit_log", Json{{"entryNumber", 1}, {"userId", "ANNE"}, {"date", Date(2025, 3, 3)}, {"time", 3600},
                        {"entityType", 22}, {"changeType", 1}, {"reference", "C100"}});
  Add("audit_log", Json{{"entryNumber", 2}, {"userId", "BOB"}, {"date", Date(2025, 3, 4)}, {"time", 7200},
                        {"entityType", 66}, {"changeType", 3}, {"reference", "V200"}});
  WriteCompany();
  const qxtest::ProgramUser user(dir_, qxtest::BuiltProgramFiles(), "2025-03-31");

  // Sorted by user id, BOB only.
  const qxtest::Run run = user.Command(company_, 394, "Space Enter \"BOB\" Enter \"BOB\" F10 Esc");
  EXPECT_EQ(0, run.status) << run.transcript << run.errors;
  const std::size_t preview = run.transcript.find("preview: Audit Trail Log");
  ASSERT_NE(std::string::npos, preview) << run.transcript;
  const std::string report = run.transcript.substr(preview, run.transcript.find("--- end of report ---", preview) - preview);
  EXPECT_NE(std::string::npos, report.find("Sorted by: User Id")) << report;
  EXPECT_NE(std::string::npos, report.find("V200")) << report;
  EXPECT_NE(std::string::npos, report.find("Deleted")) << report;
  EXPECT_EQ(std::string::npos, report.find("C100")) << report;
}

}  // namespace
}  // namespace checkstest
