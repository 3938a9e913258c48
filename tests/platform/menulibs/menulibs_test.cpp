// The menu libraries: each registers its group's handler; the commands whose
// function lies outside the system say so; QXA-1 opens a company.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "fixture/company.h"
#include "menulibs.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxtest/files.h"
#include "qxtest/scripted_screen.h"
#include "qxtest/transcript.h"
#include "ravadodo.h"

namespace {

namespace fs = std::filesystem;

class MenuLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CommandsResetForTest();
    for (auto init : {Qxa1Initialize, Qxa2Initialize, Qxa4Initialize, Qxa5Initialize, Qxa6Initialize})
      ASSERT_TRUE(init());
    SharedAppBlock* app = SharedAppBlockGet();
    app->companyPath[0] = 0;
    app->lastKey = 0;
    AppSetCommandOnly(false);
    AppGetSettings()->SetCompanyPath("");
  }
  void TearDown() override { CommandsResetForTest(); }
  void Keys(const std::string& keys) { screen_.Start(keys); }
  // The transcript, its lines joined (message boxes wrap long lines).
  std::string Transcript() { return qxtest::Flat(screen_.Finish()); }
  fs::path MakeCompany(const fs::path& folder) {
    fixture::Problem problem;
    EXPECT_TRUE(fixture::WriteCompany({}, folder, {}, &problem)) << problem.Text();
    return folder;
  }
  qxtest::TempDir folder_{"qxmenulib"};
  const fs::path& root_ = folder_.path();
  qxtest::ScriptedScreen screen_{root_.string(), 0};
};

TEST_F(MenuLibraryTest, EachLibraryRegistersItsGroupOnce) {
  struct Case {
    bool (*init)();
    CommandHandler handler;
    int slot;
  } cases[] = {{Qxa1Initialize, Qxa1RunMenuCommand, 0}, {Qxa2Initialize, Qxa2RunMenuCommand, 1},
               {Qxa4Initialize, Qxa4RunMenuCommand, 3}, {Qxa5Initialize, Qxa5RunMenuCommand, 4},
               {Qxa6Initialize, Qxa6RunMenuCommand, 5}};
  for (const Case& c : cases) {
    EXPECT_TRUE(c.init());  // a second time
    EXPECT_TRUE(CommandHandlerFind(c.handler, c.slot));
  }
  EXPECT_EQ(nullptr, CommandHandlerGet(2)) << "group 3 is Qxa-3's";
}

TEST_F(MenuLibraryTest, CommandsOutsideTheSystemSaySo) {
  struct Case {
    int id;
    const char* name;
  } cases[] = {{111, "Express setup"},     {121, "Customers"},       {152, "User access rights"},
               {201, "General-ledger transaction entry"}, {250, "Products"},
               {412, "Trial balance"},     {502, "Publisher"},       {602, "Backup and restore"}};
  for (const Case& c : cases) {
    Keys("Enter");
    SharedAppBlockGet()->lastKey = kKeyEsc;
    // Told, and not done: a command-only start of it ends with exit status 4.
    EXPECT_EQ(-1, CommandRun(c.id, nullptr)) << c.id;
    EXPECT_FALSE(CommandWasUnknown()) << c.id;
    EXPECT_EQ(0, SharedAppBlockGet()->lastKey) << c.id << ": the main loop would ask to leave";
    const std::string expected = std::string(c.name) + " (command " + std::to_string(c.id) + ") is not part of this system.";
    EXPECT_NE(std::string::npos, Transcript().find(expected)) << expected;
  }
  // Ids no menu offers are not the library's: nothing is shown, and the id
  // names no command.
  for (int id : {108, 199, 299, 499, 599, 601}) {
    Keys("");
    EXPECT_EQ(-1, CommandRun(id, nullptr)) << id;
    EXPECT_TRUE(CommandWasUnknown()) << id;
    EXPECT_EQ(std::string::npos, Transcript().find("message box")) << id;
  }
}

TEST_F(MenuLibraryTest, KeyCommandsOfTheMainWindow) {
  SharedAppBlock* app = SharedAppBlockGet();
  Keys("");
  CommandRun(104, nullptr);
  EXPECT_EQ(kKeyEsc, app->lastKey) << "Esc at the main window asks the loop to end";
  Keys("Esc");
  CommandRun(105, nullptr);
  EXPECT_EQ(0, app->lastKey);
  EXPECT_NE(std::string::npos, Transcript().find("Help: Contents"));
  Keys("Enter");
  app->messageArg = 479;
  CommandRun(100, nullptr);
  EXPECT_NE(std::string::npos, Transcript().find("The program you chose is not installed"));
  // Exit goes back to the main loop as a pick, so that the loop asks.
  Keys("");
  CommandRun(118, nullptr);
  KeyCode key = 0;
  AppGetKey(&key, 0, 0);
  EXPECT_EQ(kKeyMenuPick, key);
  EXPECT_EQ(118, MenuGetPick());
}

TEST_F(MenuLibraryTest, OpeningACompany) {
  const fs::path company = MakeCompany(root_ / "company");
  const fs::path deep = MakeCompany(root_ / std::string(70, 'd') / "company");
  fs::create_directories(root_ / "empty");
  setenv("HOME", root_.c_str(), 1);
  struct Case {
    const char* name;
    int command;
    std::string offered;   // the folder the command line or QxAcArgs.ini gave
    std::string keys;
    std::string opened;    // the company folder afterwards ("" none)
    int lastKey;
    const char* shown;     // a text the user was shown
  } cases[] = {
      {"the folder offered", 101, company.string(), "Enter", company.string(), kKeyEnter, "Open Company"},
      {"a folder typed, F10", 110, "", "\"" + company.string() + "/\" F10", company.string(), kKeyEnter, nullptr},
      {"in the home folder", 110, "", "\"~/company\" Enter", company.string(), kKeyEnter, nullptr},
      {"a folder too long for the field", 101, deep.string(), "Enter", deep.string(), kKeyEnter,
       "Leave the field empty"},
      {"Esc at the opening command", 101, company.string(), "Esc", "", kKeyEsc, nullptr},
      {"Esc at File, Open", 110, company.string(), "Esc", "", 0, nullptr},
      {"no such folder", 101, "", "\"/no/such/folder\" Enter Enter Esc", "", kKeyEsc, "does not exist"},
      {"no company there", 101, "", "\"" + (root_ / "empty").string() + "\" Enter Enter Esc", "", kKeyEsc,
       "holds no company"},
      {"a relative folder", 110, "", "\"books\" Enter Enter Esc", "", 0, "full path"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    SharedAppBlock* app = SharedAppBlockGet();
    AppBlockTextSet(app->companyPath, kFolderFieldSize, c.offered.c_str());
    Keys(c.keys);
    EXPECT_EQ(0, CommandRun(c.command, nullptr));
    EXPECT_EQ(c.lastKey, app->lastKey);
    const std::string t = Transcript();
    if (c.opened.empty()) {
      EXPECT_EQ(c.offered, app->companyPath) << "the company did not change";
    } else {
      EXPECT_EQ(c.opened, app->companyPath);
      EXPECT_EQ(c.opened, AppGetSettings()->CompanyPath());
    }
    if (c.shown) {
      EXPECT_NE(std::string::npos, t.find(c.shown)) << t;
    }
  }
}

TEST_F(MenuLibraryTest, ACommandOnlyStartOpensTheFolderGivenWithoutAsking) {
  const fs::path company = MakeCompany(root_ / "company");
  struct Case {
    std::string offered;
    int lastKey;
    const char* shown;
  } cases[] = {
      {company.string(), kKeyEnter, nullptr},
      {"", kKeyEsc, "needs the company folder on its command line"},
      {(root_ / "none").string(), kKeyEsc, "does not exist"},
  };
  for (const Case& c : cases) {
    SetUp();
    AppSetCommandOnly(true);
    AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, c.offered.c_str());
    Keys("");
    CommandRun(101, nullptr);
    EXPECT_EQ(c.lastKey, SharedAppBlockGet()->lastKey) << c.offered;
    const std::string t = Transcript();
    EXPECT_EQ(std::string::npos, t.find("Open Company")) << "nobody is asked";
    if (c.shown) {
      EXPECT_NE(std::string::npos, t.find(c.shown)) << t;
    }
  }
  AppSetCommandOnly(false);
}

}  // namespace
