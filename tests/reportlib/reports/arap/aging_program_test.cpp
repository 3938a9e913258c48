// The aging report run unattended by the main program, as a scheduled job
// runs it:
//   qxa15 <company> /only /cmd:337 /param:"input='default' output='aging.htm'"
// from a program tree laid out as the installation lays it out, started in a
// folder of the user's: the HTML report is written there and the program
// ends with status 0.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "aging_fixture.h"

namespace agingtest {
namespace {

namespace fs = std::filesystem;

void Copy(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::status(from).permissions());
}

// program/ (qxa15, libQxa-3.so, QXA4BASE, QXACDICT) and common/ (the shared
// libraries under their SONAME file names).
void MakeProgramTree(const fs::path& root) {
  const fs::path program = root / "program", common = root / "common";
  fs::create_directories(program / "QXACDICT");
  fs::create_directories(common);
  Copy(QX_QXA15_FILE, program / "qxa15");
  Copy(QX_QXA3_FILE, program / "libQxa-3.so");
  fs::copy(QX_SOURCE_DIR "/data", program / "QXA4BASE", fs::copy_options::recursive);
  fs::remove(program / "QXA4BASE" / "CMakeLists.txt");
  std::ofstream(program / "QXA4BASE" / "qxascrns.ver") << QX_PROJECT_VERSION "\n";
  std::istringstream libs(QX_COMMON_LIBRARIES);
  std::string entry;  // "file=name|file=name"
  while (std::getline(libs, entry, '|')) {
    const std::size_t eq = entry.find('=');
    Copy(entry.substr(0, eq), common / entry.substr(eq + 1));
  }
}

// Runs the program in `work` with an empty key script; its exit status.
int RunProgram(const std::vector<std::string>& argv, const fs::path& work, const fs::path& config) {
  const fs::path keys = work / "keys.txt", transcript = work / "transcript.txt";
  std::ofstream(keys) << "";
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(work.c_str()) != 0) _exit(126);
    setenv("QX_KEYS", keys.c_str(), 1);
    setenv("QX_TRANSCRIPT", transcript.c_str(), 1);
    setenv("QX_TODAY", "2025-03-31", 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    unsetenv("QX_BASEDATA");
    unsetenv("QX_BTRV_TEST");
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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
  const fs::path tree = File("inst"), user = File("user"), config = File("config");
  MakeProgramTree(tree);
  fs::create_directories(user);

  const struct {
    int command;
    const char* account;
    const char* period;  // the column the item lands in
  } cases[] = {{337, "Acme Supply", "31-60"}, {344, "Cedar Mills", "V 91-120"}};
  for (const auto& c : cases) {
    const std::string name = "aging-" + std::to_string(c.command) + ".htm";
    const int status = RunProgram({(tree / "program" / "qxa15").string(), company_, "/only",
                                   "/cmd:" + std::to_string(c.command),
                                   "/param:input='default' output='" + name + "'"},
                                  user, config);
    EXPECT_EQ(0, status) << ReadAll((user / "transcript.txt").string());
    const Report r = ReadReport((user / name).string());
    ASSERT_FALSE(r.Empty()) << name << " was not written in the user's folder:\n"
                            << ReadAll((user / "transcript.txt").string());
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
