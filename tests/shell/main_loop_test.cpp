// The main loop driven by key scripts: picks and keys reach the handler of
// their command group, follow-up chains and detours, Exit and Esc, the
// start command, the toolbar and the sibling programs.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "ravadodo.h"
#include "shell/main_loop.h"
#include "shell/menu_tables.h"
#include "shell_test_support.h"

namespace {

// What the handlers saw: each command with its parameter text and the
// fields the loop set for it.
struct Ran {
  int id;
  std::string parameter;
  int lastKey;
  int messageArg;
  bool operator==(const Ran& o) const { return id == o.id && parameter == o.parameter; }
};
std::vector<Ran> g_ran;
// What a command does (by id); by default it ends with lastKey 0.
std::map<int, std::function<void(SharedAppBlock*)>> g_behaviour;
std::map<int, int> g_runs;

int RecordingHandler(const char* parameter) {
  SharedAppBlock* app = SharedAppBlockGet();
  const int id = app->currentCommand;
  g_ran.push_back({id, parameter ? parameter : "", app->lastKey, app->messageArg});
  ++g_runs[id];
  app->lastKey = 0;
  if (auto it = g_behaviour.find(id); it != g_behaviour.end()) it->second(app);
  return 0;
}

std::vector<int> Ids() {
  std::vector<int> ids;
  for (const Ran& r : g_ran) ids.push_back(r.id);
  return ids;
}

class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CommandsResetForTest();
    for (int slot = 0; slot < kCommandGroupCount; ++slot) CommandHandlerAdd(RecordingHandler, slot);
    g_ran.clear();
    g_behaviour.clear();
    g_runs.clear();
    SharedAppBlock* app = SharedAppBlockGet();
    app->currentCommand = -1;
    app->nextCommand = 0;
    app->lastKey = 0;
    app->messageArg = 0;
    AppSetCommandOnly(false);
    AppSetMenuCommand(false);
    AppSetStartCommand(0);
    AppGetCommandLine()->Parse(0, nullptr);
  }
  // Runs the loop on the key script `keys` (the script running out closes
  // the window, which ends the loop) and returns its result.
  int Run(const std::string& keys, Toolbar* toolbar = nullptr) {
    ScreenResetForTest(keys, transcriptPath_.c_str());
    AppSetTitle("Quarlex Accounting (Single-User)");
    AppCreateMainWindow();
    qxa::BuildMenuBar();
    Toolbar none{};
    const int result = qxa::RunMainLoop(toolbar ? toolbar : &none);
    ScreenResetForTest("", nullptr);
    transcript_ = shelltest::ReadAll(transcriptPath_);
    return result;
  }
  shelltest::TempDir dir_;
  std::string transcriptPath_ = (dir_ / "transcript.txt").string();
  std::string transcript_;
};

TEST_F(MainLoopTest, PicksReachTheHandlerOfTheirGroup) {
  struct Case {
    const char* keys;
    int id;
  } cases[] = {
      {"Alt+E Enter", 120},                    // Edit, Accounts: group 1
      {"Alt+T Enter", 201},                    // Transactions, General Ledger: group 2
      {"Alt+J Enter", 301},                    // Journals, General Ledger: group 3
      {"Alt+P \"g\"", 320},                    // Posting by its hot letter
      {"Alt+R Down Enter Down Enter", 337},    // Reports, Receivables, Aging
      {"Alt+R Down Down Enter \"t\"", 349},    // Payables sub-menu, LeTters
      {"Alt+A Down Enter", 501},               // the separator is skipped: Query, group 5
      {"Alt+A Enter", 401},                    // Financial Reporter: group 4
      {"Alt+F Down Down Down Enter", 602},     // Backup/Restore: group 6
      {"Alt+D Down Enter Enter", 364},         // PerioDic, Receivables, Finance Charges
      {"F10 Right Right Down Down Down Enter Down Enter", 216},  // Cash Entry, AUtoPay
  };
  for (const Case& c : cases) {
    g_ran.clear();
    Run(c.keys);
    EXPECT_EQ(std::vector<int>{c.id}, Ids()) << c.keys;
  }
}

TEST_F(MainLoopTest, KeysWithoutAMenuEntryBecomeCommands) {
  Run("F1 F4 Shift+F1 Ctrl+B Ctrl+U Ctrl+V Shift+F10 F7");
  EXPECT_EQ((std::vector<int>{105, 102, 106}), Ids());
}

TEST_F(MainLoopTest, EscAsksBeforeTheProgramEnds) {
  g_behaviour[104] = [](SharedAppBlock* app) { app->lastKey = kKeyEsc; };
  Run("Esc \"n\" Alt+J Enter Esc \"y\" Alt+J Enter");
  EXPECT_EQ((std::vector<int>{104, 301, 104}), Ids());
  EXPECT_NE(std::string::npos, transcript_.find("Do you want to leave Quarlex Accounting (Single-User)?"));
}

TEST_F(MainLoopTest, ExitAsksForConfirmation) {
  Run("Alt+F \"x\" \"n\" Alt+J Enter Alt+F \"x\" \"y\" Alt+J Enter");
  EXPECT_EQ(std::vector<int>{301}, Ids()) << "Exit is the loop's own; the second Exit ended it";
}

TEST_F(MainLoopTest, ADetourRunsFirstThenTheCommandAgain) {
  // A posting screen's F9: Backup/Restore first, then the posting screen.
  g_behaviour[320] = [](SharedAppBlock* app) {
    if (g_runs[320] == 1) {
      app->currentCommand = 602;
      app->nextCommand = 320;
    }
  };
  Run("Alt+P Enter");
  EXPECT_EQ((std::vector<int>{320, 602, 320}), Ids());
}

TEST_F(MainLoopTest, EscInADetourLeavesNothingQueued) {
  g_behaviour[320] = [](SharedAppBlock* app) {
    app->currentCommand = 602;
    app->nextCommand = 320;
  };
  g_behaviour[602] = [](SharedAppBlock* app) { app->lastKey = kKeyEsc; };
  Run("Alt+P Enter Alt+J Enter");
  EXPECT_EQ((std::vector<int>{320, 602, 301}), Ids()) << "the posting was not run again";
  EXPECT_EQ(0, SharedAppBlockGet()->nextCommand);
  EXPECT_EQ(std::string::npos, transcript_.find("Do you want to leave")) << "Journals asked to leave";
}

TEST_F(MainLoopTest, FollowUps) {
  struct Case {
    const char* name;
    int followUp;
    int followUpKey;      // the key the follow-up ends with
    std::vector<int> ran; // after "Alt+J Enter Alt+E Enter"
  } cases[] = {
      {"a follow-up re-runs the current command first", 202, 0, {301, 301, 202, 120}},
      {"110 runs without the current command", 110, 0, {301, 110, 120}},
      {"101 left with Esc ends the program", 101, kKeyEsc, {301, 101}},
      {"107 left with Esc ends the program", 107, kKeyEsc, {301, 107}},
      {"110 left with Esc does not", 110, kKeyEsc, {301, 110, 120}},
      {"101 left normally goes on", 101, 0, {301, 101, 120}},
  };
  for (const Case& c : cases) {
    SetUp();
    g_behaviour[301] = [&](SharedAppBlock* app) { app->nextCommand = c.followUp; };
    g_behaviour[c.followUp] = [&](SharedAppBlock* app) { app->lastKey = c.followUpKey; };
    Run("Alt+J Enter Alt+E Enter");
    EXPECT_EQ(c.ran, Ids()) << c.name;
    EXPECT_EQ(std::string::npos, transcript_.find("Do you want to leave")) << c.name;
  }
}

TEST_F(MainLoopTest, ACommandLeftAt111RunsOnceMoreAndEscThenEnds) {
  g_behaviour[301] = [](SharedAppBlock* app) { app->currentCommand = 111; };
  g_behaviour[111] = [](SharedAppBlock* app) {
    if (g_runs[111] == 1) app->lastKey = kKeyEsc;
  };
  Run("Alt+J Enter Alt+E Enter");
  EXPECT_EQ((std::vector<int>{301, 111}), Ids());
}

TEST_F(MainLoopTest, CommandOnlyRunsItsCommandOnceWithItsParameters) {
  const char* args[] = {"/only", "/cmd:337", "/param:input='default' output='aging.htm'"};
  ASSERT_EQ(0, AppGetCommandLine()->Parse(3, args));
  AppSetCommandOnly(true);
  AppSetStartCommand(337);
  g_behaviour[337] = [](SharedAppBlock* app) { app->lastKey = kKeyEsc; };  // no one is asked
  EXPECT_EQ(0, Run("Alt+J Enter"));
  ASSERT_EQ(1u, g_ran.size());
  EXPECT_EQ(337, g_ran[0].id);
  EXPECT_EQ("input='default' output='aging.htm'", g_ran[0].parameter);
  EXPECT_EQ(std::string::npos, transcript_.find("Do you want to leave"));
}

TEST_F(MainLoopTest, TheStartCommandRunsOnceAndAloneTakesTheParameters) {
  const char* args[] = {"/cmd:350", "/param:input='default'"};
  ASSERT_EQ(0, AppGetCommandLine()->Parse(2, args));
  AppSetMenuCommand(true);
  AppSetStartCommand(350);
  Run("Alt+R Down Down Down Enter Enter");  // Reports, Inventory, Product Listing
  ASSERT_EQ(2u, g_ran.size());
  EXPECT_EQ((Ran{350, "input='default'", 0, 0}), g_ran[0]);
  EXPECT_EQ((Ran{350, "", 0, 0}), g_ran[1]);
}

TEST_F(MainLoopTest, AToolbarButtonPostsItsCommandAsAPick) {
  Toolbar toolbar{};
  toolbar.count = 2;
  toolbar.buttons[0] = {320, "Post"};
  toolbar.buttons[1] = {337, "Aging"};
  Run("Alt+2 Alt+1", &toolbar);
  EXPECT_EQ((std::vector<int>{337, 320}), Ids());
}

// ---- Sibling programs -------------------------------------------------------------

class SiblingProgramTest : public MainLoopTest {
 protected:
  void SetUp() override {
    MainLoopTest::SetUp();
    shelltest::fs::create_directories(payroll_);
    shelltest::fs::create_directories(empty_);
    shelltest::WriteAll(payroll_ / "qxp15", "#!/bin/sh\npwd > started.txt\n");
    shelltest::fs::permissions(payroll_ / "qxp15", shelltest::fs::perms::owner_all);
    shelltest::WriteAll(empty_ / "qxjc13", "not a program\n");
    shelltest::fs::permissions(empty_ / "qxjc13", shelltest::fs::perms::owner_read);
    // Slots: 0 payroll (701), 1 point of sale (703), 2 order entry (702),
    // 3 the command that names no file (705), 4 job cost (704).
    shelltest::MakeCompany(company_, "Sibling Co.",
                           {payroll_.string(), empty_.string(), "", "/", empty_.string() + "/"});
    AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, company_.c_str());
  }
  shelltest::fs::path company_ = dir_ / "company";
  shelltest::fs::path payroll_ = dir_ / "payroll";
  shelltest::fs::path empty_ = dir_ / "empty folder";
};

TEST_F(SiblingProgramTest, ProgramsStartFromTheFoldersOfTheSystemRecord) {
  ScreenResetForTest("Enter", transcriptPath_.c_str());
  struct Case {
    int id;
    int result, messageKey, started;
  } cases[] = {
      {700, 0, 0, 0},    // not a sibling program
      {701, 1, 0, 1},    // payroll: found and started
      {702, 1, 617, 0},  // order entry: a blank folder is not installed
      {703, 1, 617, 0},  // point of sale: no program file in its folder
      {705, 1, 617, 0},  // names no file: never the root folder itself
      {704, 1, 0, 0},    // job cost: there but not a program: the system's text is shown
      {706, 0, 0, 0},
  };
  for (const Case& c : cases) {
    int messageKey = -1, started = -1;
    EXPECT_EQ(c.result, qxa::RunAddOnProgram(c.id, &messageKey, &started)) << c.id;
    EXPECT_EQ(c.messageKey, messageKey) << c.id;
    EXPECT_EQ(c.started, started) << c.id;
  }
  ScreenResetForTest("", nullptr);
  EXPECT_NE(std::string::npos, shelltest::ReadAll(transcriptPath_).find("Permission denied"));
  // The program runs in its own folder and is not waited for.
  for (int i = 0; i < 1000 && !shelltest::fs::exists(payroll_ / "started.txt"); ++i) usleep(20000);
  EXPECT_EQ(payroll_.string() + "\n", shelltest::ReadAll(payroll_ / "started.txt"));
  qxa::ReapStartedPrograms();
}

TEST_F(SiblingProgramTest, TheLoopShowsCommand100ForAProgramNotInstalled) {
  AppSetMenuCommand(true);
  AppSetStartCommand(702);
  Run("");
  ASSERT_EQ(1u, g_ran.size());
  EXPECT_EQ(100, g_ran[0].id);
  EXPECT_EQ(617, g_ran[0].lastKey);
  EXPECT_EQ(479, g_ran[0].messageArg);
}

TEST_F(SiblingProgramTest, TheLoopRuns103AfterAProgramStarted) {
  AppSetMenuCommand(true);
  AppSetStartCommand(701);
  Run("");
  EXPECT_EQ(std::vector<int>{103}, Ids());
  for (int i = 0; i < 1000 && !shelltest::fs::exists(payroll_ / "started.txt"); ++i) usleep(20000);
  EXPECT_TRUE(shelltest::fs::exists(payroll_ / "started.txt"));
}

}  // namespace
