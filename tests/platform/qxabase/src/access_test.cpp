// Access rights and the command lock: taken and released by command id,
// refused while held here or by another program on the same company, and
// released per command bracket.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace {

class AccessTest : public qxtest::BaseTest {
 protected:
  void SetUp() override {
    BaseTest::SetUp();
    std::filesystem::create_directories(company_);
  }
};

TEST_F(AccessTest, ASingleUserInstallHasEveryRight) {
  int scratch = 5;
  EXPECT_EQ(1, UserAccessCheckSession(&scratch));
  EXPECT_EQ(0, scratch);
  EXPECT_EQ(1, UserAccessCheckCommand(1));
  EXPECT_EQ(1, UserAccessCheckRight(41, 0, "CLERK", 1));
}

TEST_F(AccessTest, ASecondTakeOfAHeldCommandIsRefused) {
  Start("Enter");
  EXPECT_EQ(1, CommandAccess(1, 320));
  EXPECT_TRUE(CommandAccessHeld(320));
  EXPECT_EQ(0, CommandAccess(1, 320));
  EXPECT_EQ(1, CommandAccess(1, 337)) << "another command is not held by it";
  EXPECT_EQ(1, CommandAccess(0, 320));
  EXPECT_FALSE(CommandAccessHeld(320));
  EXPECT_EQ(1, CommandAccess(0, 320)) << "releasing again is safe";
  EXPECT_EQ(1, CommandAccess(1, 320)) << "a released command can be taken again";
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("General Ledger Posting is already running.")) << t;
}

TEST_F(AccessTest, NoCommandIdHoldsNothing) {
  EXPECT_EQ(1, CommandAccess(1, -1));
  EXPECT_EQ(1, CommandAccess(1, 0));
  EXPECT_FALSE(CommandAccessHeld(-1));
}

// A command run from inside another (a drill-down into a second report)
// releases its own lock at the end of its frame, not the outer command's.
TEST_F(AccessTest, ReleasingAllReleasesOnlyTheCommandsOfTheOpenBracket) {
  CommandActiveSet(1);
  ASSERT_EQ(1, CommandAccess(1, 337));
  CommandActiveSet(1);
  ASSERT_EQ(1, CommandAccess(1, 338));
  CommandAccess(0, -1);
  CommandActiveSet(0);
  EXPECT_FALSE(CommandAccessHeld(338));
  EXPECT_TRUE(CommandAccessHeld(337));
  CommandAccess(0, -1);
  CommandActiveSet(0);
  EXPECT_FALSE(CommandAccessHeld(337));
}

// Two programs on one company: while this one posts, the other is refused;
// once released, the other may run it.
TEST_F(AccessTest, AnotherProgramOnTheSameCompanyIsRefused) {
  ASSERT_EQ(1, CommandAccess(1, 320));
  auto childTakes = [](int command) {
    const pid_t pid = fork();
    if (pid == 0) {
      ScreenResetForTest("Enter", nullptr);
      _exit(CommandAccess(1, command));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(0, childTakes(320));
  EXPECT_EQ(1, childTakes(321));
  CommandAccess(0, 320);
  EXPECT_EQ(1, childTakes(320));
}

}  // namespace
