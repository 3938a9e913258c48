// The aging report run unattended by the main program, as a scheduled job
// runs it:
//   qxa15 <company> /only /cmd:337 /param:"input='default' output='aging.htm'"
// from a program tree laid out as the installation lays it out, started in a
// folder of the user's: the HTML report is written there and the program
// ends with status 0.
#include <filesystem>
#include <string>

#include "aging_fixture.h"
#include "qxtest/programs.h"

namespace agingtest {
namespace {

class AgingProgramTest : public CompanyTest {};

TEST_F(AgingProgramTest, AnUnattendedRunWritesTheReportInTheUsersFolder) {
  Add("settings", ScheduleRecord());
  Add("settings", Json{{"key", "0Company"}, {"name", "Harbour Supply Co."}});
  Add("settings", Json{{"key", "0System"}});
  Add("customers", Account("C100", "Acme Supply"));
  Add("ar_open_invoices", Item("C100", "A-40", 'I', 1040, 40));
  Add("vendors", Account("V100", "Cedar Mills"));
  Add("ap_open_invoices", Item("V100", "V-95", 'I', 950, 95));
  WriteCompany();
  const qxtest::ProgramUser user(dir_, qxtest::BuiltProgramFiles(), "2025-03-31");

  const struct {
    int command;
    const char* account;
    const char* period;  // the column the item lands in
  } cases[] = {{337, "Acme Supply", "31-60"}, {344, "Cedar Mills", "V 91-120"}};
  for (const auto& c : cases) {
    const std::string name = "aging-" + std::to_string(c.command) + ".htm";
    const qxtest::Run run = user.Command(company_, c.command, "", {"/param:input='default' output='" + name + "'"});
    EXPECT_EQ(0, run.status) << run.transcript;
    const Report r = ReadReport((user.Folder() / name).string());
    ASSERT_FALSE(r.Empty()) << name << " was not written in the user's folder:\n" << run.transcript;
    EXPECT_TRUE(r.Contains(c.account)) << name;
    const int heading = r.Find("Invoice No.");
    const int item = r.Find(c.command == 337 ? "A-40" : "V-95");
    ASSERT_GE(item, 0);
    // The item's amount stands under its period's heading.
    const std::size_t column = r.lines[static_cast<std::size_t>(heading)].find(c.period);
    ASSERT_NE(std::string::npos, column) << c.period;
    const int right = static_cast<int>(column + std::string(c.period).size());
    EXPECT_EQ(c.command == 337 ? "1040.00" : "950.00", r.Cell(item, right - 11, 11)) << name;
  }
}

}  // namespace
}  // namespace agingtest
