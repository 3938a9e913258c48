// Helper programs run without a shell: exit status, error output, time
// limit, input from a text or an open file, and a missing program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "qxsys/run_program.h"

namespace {

using qxsys::ProgramInput;
using qxsys::ProgramOptions;
using qxsys::RunProgram;

TEST(RunProgram, ReportsExitStatusErrorOutputAndTime) {
  EXPECT_EQ(RunProgram({"cat"}, std::string(1 << 20, 'x')), "");
  // A program that reads nothing: the unread input must not end this process.
  EXPECT_EQ(RunProgram({"true"}, std::string(1 << 20, 'x')), "");
  EXPECT_EQ(RunProgram({"sh", "-c", "echo 'lp: no such printer' >&2; exit 3"}, ""),
            "sh: exit status 3: lp: no such printer");
  EXPECT_EQ(RunProgram({"sleep", "10"}, "", 1), "sleep: did not finish within 1 seconds.");
  EXPECT_EQ(RunProgram({"/nonexistent/lp"}, ""), "/nonexistent/lp: cannot be started: No such file or directory.");
  // Arguments reach the program as they are: nothing is read by a shell.
  EXPECT_EQ(RunProgram({"test", "$(false)", "=", "$(false)"}, ""), "");
}

TEST(RunProgram, ReadsAnOpenFileFromWhereItStands) {
  char name[] = "/tmp/qxsys-inputXXXXXX";
  const int fd = ::mkstemp(name);
  ASSERT_GE(fd, 0);
  ::unlink(name);
  ASSERT_EQ(::write(fd, "skipped|page one\n", 17), 17);
  ::lseek(fd, 8, SEEK_SET);
  // The program sees only what follows the file's position.
  EXPECT_EQ(RunProgram({"sh", "-c", "test \"$(cat)\" = 'page one'"}, ProgramInput{{}, fd}), "");
  ::close(fd);
}

TEST(RunProgram, SaysWhatIsMissingInTheCallersWords) {
  ProgramOptions options;
  options.whenMissing = "lp is not installed (Debian package cups-client).";
  EXPECT_EQ(RunProgram({"qx-no-such-program"}, ProgramInput{"x", -1}, options), options.whenMissing);
  // A program that exists but fails keeps its own message.
  EXPECT_EQ(RunProgram({"false"}, ProgramInput{"", -1}, options), "false: exit status 1.");
}

}  // namespace
