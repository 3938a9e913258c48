// Command routing by group, the command bracket, per-command flags, the
// module check and the commands the base library serves itself.
#include <string>
#include <vector>

#include "test_support.h"

namespace {

class CommandsTest : public qxtest::BaseTest {};

// Each group's handler notes the command it was handed and the parameter.
std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}
template <int Group>
int Handler(const char* parameter) {
  Calls().push_back(std::to_string(Group) + ":" + std::to_string(SharedAppBlockGet()->currentCommand) + ":" +
                    (parameter ? parameter : "null"));
  return 0;
}

TEST_F(CommandsTest, EveryGroupReachesItsOwnHandler) {
  const CommandHandler handlers[] = {Handler<1>, Handler<2>, Handler<3>, Handler<4>, Handler<5>, Handler<6>};
  for (int slot = 0; slot < kCommandGroupCount; ++slot) ASSERT_TRUE(CommandHandlerAdd(handlers[slot], slot));
  Calls().clear();
  const struct {
    int command;
    const char* expected;
  } cases[] = {
      {101, "1:101:null"}, {250, "2:250:null"}, {337, "3:337:output='aging.htm'"},
      {399, "3:399:null"}, {450, "4:450:null"}, {512, "5:512:null"}, {602, "6:602:null"},
  };
  for (const auto& c : cases) {
    const char* parameter = c.command == 337 ? "output='aging.htm'" : nullptr;
    EXPECT_EQ(0, CommandRun(c.command, parameter)) << c.command;
    ASSERT_FALSE(Calls().empty());
    EXPECT_EQ(c.expected, Calls().back()) << c.command;
  }
  EXPECT_EQ(std::string::npos, Transcript().find("message box")) << "no command was refused";
}

TEST_F(CommandsTest, AnUnregisteredGroupIsRefusedClearly) {
  ASSERT_TRUE(CommandHandlerAdd(Handler<3>, 2));
  Calls().clear();
  const int refused[] = {150, 701, 99, -1};
  for (int command : refused) {
    SharedAppBlockGet()->currentCommand = command;
    EXPECT_EQ(-1, CommandRun(command, nullptr)) << command;
    EXPECT_EQ(-1, SharedAppBlockGet()->currentCommand) << command;
  }
  EXPECT_TRUE(Calls().empty());
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("No part of the program is installed to run command 150 (group 1).")) << t;
  EXPECT_NE(std::string::npos, t.find("message number: 1921")) << t;
}

TEST_F(CommandsTest, RegistrationIsFoundOnlyInItsSlot) {
  EXPECT_FALSE(CommandHandlerFind(Handler<3>, 2));
  EXPECT_TRUE(CommandHandlerAdd(Handler<3>, 2));
  EXPECT_TRUE(CommandHandlerAdd(Handler<3>, 2)) << "registering again is harmless";
  EXPECT_TRUE(CommandHandlerFind(Handler<3>, 2));
  EXPECT_FALSE(CommandHandlerFind(Handler<3>, 3));
  EXPECT_FALSE(CommandHandlerFind(Handler<4>, 2));
  EXPECT_FALSE(CommandHandlerAdd(Handler<3>, 6));
  EXPECT_FALSE(CommandHandlerAdd(Handler<3>, -1));
  EXPECT_FALSE(CommandHandlerAdd(nullptr, 1));
}

TEST_F(CommandsTest, AHandlerIsRemovedOnlyFromTheSlotThatHoldsIt) {
  const struct {
    const char* name;
    CommandHandler remove;
    int slot;
    bool removed;
    CommandHandler left;  // what slot 2 holds afterwards
  } cases[] = {
      {"the handler registered there", Handler<3>, 2, true, nullptr},
      {"another library's handler stays", Handler<4>, 2, false, Handler<3>},
      {"the handler, named with another slot", Handler<3>, 3, false, Handler<3>},
      {"no handler", nullptr, 2, false, Handler<3>},
      {"a slot outside the groups", Handler<3>, 6, false, Handler<3>},
      {"a negative slot", Handler<3>, -1, false, Handler<3>},
  };
  for (const auto& c : cases) {
    CommandsResetForTest();
    ASSERT_TRUE(CommandHandlerAdd(Handler<3>, 2));
    EXPECT_EQ(c.removed, CommandHandlerRemove(c.remove, c.slot)) << c.name;
    EXPECT_EQ(c.left, CommandHandlerGet(2)) << c.name;
  }
  // Once removed, the group is refused as an unregistered one.
  ASSERT_TRUE(CommandHandlerRemove(Handler<3>, 2));
  EXPECT_FALSE(CommandHandlerRemove(Handler<3>, 2)) << "already gone";
  Calls().clear();
  EXPECT_EQ(-1, CommandRun(337, nullptr));
  EXPECT_TRUE(Calls().empty());
}

TEST_F(CommandsTest, BracketsNestAndTheOutermostClearsFromMenu) {
  SharedAppBlockGet()->fromMenu = 1;
  EXPECT_EQ(1, CommandActiveSet(1));
  EXPECT_EQ(2, CommandActiveSet(1));
  EXPECT_EQ(1, CommandActiveSet(0));
  EXPECT_TRUE(CommandIsActive());
  EXPECT_EQ(1, SharedAppBlockGet()->fromMenu) << "an inner command's end keeps the outer command's state";
  EXPECT_EQ(0, CommandActiveSet(0));
  EXPECT_FALSE(CommandIsActive());
  EXPECT_EQ(0, SharedAppBlockGet()->fromMenu);
  EXPECT_EQ(0, CommandActiveSet(0)) << "closing a bracket that is not open does nothing";
}

TEST_F(CommandsTest, FlagsResetClearsTheCommandsFlags) {
  SharedAppBlockGet()->commandFlag = 7;
  SharedAppBlockGet()->messageArg = 479;
  SharedAppBlockGet()->nextCommand = 320;
  EXPECT_EQ(0, CommandFlagsReset(0, 0));
  EXPECT_EQ(0, SharedAppBlockGet()->commandFlag);
  EXPECT_EQ(0, SharedAppBlockGet()->messageArg);
  EXPECT_EQ(320, SharedAppBlockGet()->nextCommand) << "a queued command is the main loop's";
}

TEST_F(CommandsTest, ModuleListsOfTheCommands) {
  EXPECT_TRUE(ModulesAvailable(0, 1, 0));
  EXPECT_TRUE(ModulesAvailable(0, 2, 0));
  EXPECT_TRUE(ModulesAvailable(1, 3, 1, 5, 6, 4, 0));
  EXPECT_TRUE(ModulesAvailable(0, 7, 0));
  EXPECT_TRUE(ModulesAvailable(0)) << "an empty list asks for nothing";
  EXPECT_EQ(std::string::npos, Transcript().find("message box"));
  Start("Enter");
  EXPECT_FALSE(ModulesAvailable(0, 3, 12, 0));
  EXPECT_NE(std::string::npos, Transcript().find("Module 12 is not part of this installation."));
}

TEST_F(CommandsTest, TheLibrarysOwnCommandsSayTheyAreOutsideTheSystem) {
  Start("Enter Enter Enter Enter Enter");
  EXPECT_EQ(0, PostCash());
  EXPECT_EQ(0, PromoPriceReport(0));
  EXPECT_EQ(0, Command395Run());
  EXPECT_EQ(0, MailMergeCustomers(0));
  EXPECT_EQ(0, MailMergeVendors(0));
  const std::string t = Transcript();
  for (const char* text : {"Cash posting (command 323)\nis not part of this system.",
                           "The promotional price report (command 363)\nis not part of this system.",
                           "This command (command 395)\nis not part of this system.",
                           "Mail merge to customers (command 396)\nis not part of this system.",
                           "Mail merge to vendors (command 397)\nis not part of this system."}) {
    EXPECT_NE(std::string::npos, t.find(text)) << text << "\n" << t;
  }
}

}  // namespace
