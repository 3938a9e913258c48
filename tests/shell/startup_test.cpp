// Pieces of the start-up: the company folder of QxAcArgs.ini, the folders
// of the run, the record manager's version and the toolbar.
#include <cstdlib>
#include <string>

#include "btrvc.h"
#include "qxabase/app_block.h"
#include "ravadodo.h"
#include "shell/startup.h"
#include "shell_test_support.h"

namespace {

class StartupPiecesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScreenResetForTest("", transcript_.c_str());
    SharedAppBlockGet()->companyPath[0] = 0;
    ASSERT_EQ(0, chdir(dir_.path().c_str()));
  }
  void TearDown() override {
    EXPECT_EQ(0, chdir("/"));
    BtrvTestSwitch("");
  }
  std::string Transcript() {
    ScreenResetForTest("", nullptr);
    return shelltest::Flat(shelltest::ReadAll(transcript_));
  }
  shelltest::TempDir dir_;
  std::string transcript_ = (dir_ / "transcript.txt").string();
};

TEST_F(StartupPiecesTest, ArgsFileGivesTheCompanyFolder) {
  const std::string here = dir_.path().string();
  struct Case {
    std::string text;
    std::string known;     // a company folder known before
    std::string expected;  // the company folder afterwards
  } cases[] = {
      {"/FILES:/data/Acme Books", "", "/data/Acme Books"},
      {"/files:/data/acme\r\n/other:1\r\n", "", "/data/acme"},  // the line ends the value; case kept
      {"  /Files:   /data/acme   \n", "", "/data/acme"},
      {"/FILES:books/acme\n", "", here + "/books/acme"},  // relative to the current (program) folder
      {"/FILES:/data/acme", "/given/on/the/command/line", "/given/on/the/command/line"},
      {"FILES:/data/acme", "", ""},
      {"/FILES:\r\n", "", ""},
      {"", "", ""},
      {std::string("/FILES:/data/a\0b", 16), "", "/data/a"},
      {"/FILES:/" + std::string(150, 'x'), "", ""},  // longer than the field: not used
  };
  for (const Case& c : cases) {
    SharedAppBlock* app = SharedAppBlockGet();
    AppBlockTextSet(app->companyPath, kFolderFieldSize, c.known.c_str());
    qxa::ParseArgsText(c.text.data(), c.text.size());
    EXPECT_EQ(c.expected, app->companyPath) << c.text;
  }
  EXPECT_NE(std::string::npos, Transcript().find("longer than 143 characters"));
}

TEST_F(StartupPiecesTest, ArgsFileIsReadOnlyUpToItsFirst4096Bytes) {
  shelltest::WriteAll(dir_ / "QxAcArgs.ini", std::string(4090, ' ') + "/FILES:/far/away");
  ASSERT_EQ(0, chmod((dir_ / "QxAcArgs.ini").c_str(), 0444));
  qxa::ReadArgsIni("QxAcArgs.ini");
  EXPECT_STREQ("", SharedAppBlockGet()->companyPath) << "the option lies past the bytes read";
  shelltest::WriteAll(dir_ / "QxAcArgs.ini", "/FILES:/near\n");
  qxa::ReadArgsIni("QxAcArgs.ini");
  EXPECT_STREQ("/near", SharedAppBlockGet()->companyPath);
  qxa::ReadArgsIni("missing.ini");
  EXPECT_STREQ("/near", SharedAppBlockGet()->companyPath);
}

TEST_F(StartupPiecesTest, FoldersOfTheRun) {
  const std::string root = dir_.path().string();
  struct Case {
    std::string current;
    std::string program, common, baseData, dictionary;
  } cases[] = {
      {root + "/opt/quarlex/program/", root + "/opt/quarlex/program", root + "/opt/quarlex/common",
       root + "/opt/quarlex/program/QXA4BASE", root + "/opt/quarlex/program/QXACDICT"},
      {"/", "/", "/common", "/QXA4BASE", "/QXACDICT"},
  };
  for (const Case& c : cases) {
    shelltest::fs::create_directories(c.current);
    ASSERT_EQ(0, chdir(c.current.c_str()));
    ASSERT_TRUE(qxa::SetupFolders()) << c.current;
    const SharedAppBlock* app = SharedAppBlockGet();
    EXPECT_EQ(c.program, app->programFolder);
    EXPECT_EQ(c.common, app->commonFolder);
    EXPECT_EQ(c.baseData, app->baseDataFolder);
    EXPECT_EQ(c.dictionary, app->dictFolder);
  }
  // A program folder whose folders do not fit their fields is refused whole.
  const shelltest::fs::path deep = dir_ / std::string(120, 'd');
  shelltest::fs::create_directories(deep);
  ASSERT_EQ(0, chdir(deep.c_str()));
  EXPECT_FALSE(qxa::SetupFolders());
  EXPECT_STREQ("/", SharedAppBlockGet()->programFolder) << "unchanged";
  EXPECT_NE(std::string::npos, Transcript().find("too deep"));
}

TEST_F(StartupPiecesTest, RecordManagerVersion) {
  struct Case {
    const char* version;
    bool ok;
    const char* shown;
  } cases[] = {
      {"version=7.0", true, nullptr},
      {"version=9.12", true, nullptr},
      {"version=6.1", false, "Btrieve version 6. 1 is in use by another"},
      {"version=5.15", false, "Btrieve version 5.15 is in use by another"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(0, BtrvTestSwitch(c.version));
    ScreenResetForTest("", transcript_.c_str());
    EXPECT_EQ(c.ok, qxa::CheckRecordManagerVersion()) << c.version;
    const std::string t = Transcript();
    if (c.shown) {
      EXPECT_NE(std::string::npos, t.find(c.shown)) << t;
      EXPECT_NE(std::string::npos, t.find("message number: 1170")) << t;
    } else {
      EXPECT_EQ(std::string::npos, t.find("message box")) << t;
    }
  }
}

TEST_F(StartupPiecesTest, TheToolbarIsReadFromTheInstallationAndSavedForTheUser) {
  SharedAppBlock* app = SharedAppBlockGet();
  shelltest::fs::create_directories(dir_ / "QXA4BASE");
  AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, (dir_ / "QXA4BASE").c_str());
  const std::string installed = "[Default]\nButton1=320,Post\nButton2=337,Aging\n";
  shelltest::WriteAll(dir_ / "QXA4BASE" / "qxastb.ini", installed);
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string kept = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
  const auto users = dir_ / "config" / "quarlex" / "qxastb.ini";
  struct Case {
    const char* section;
    const char* saved;
  } cases[] = {{"anne", "[anne]"}, {"", "[Default]"}};
  for (const Case& c : cases) {
    AppBlockTextSet(app->toolbarSection, sizeof app->toolbarSection, c.section);
    Toolbar toolbar{};
    qxa::LoadToolbar(&toolbar);
    EXPECT_EQ(2, toolbar.count);
    qxa::SaveToolbar(&toolbar);
    // The installation's file stays as it was; the user's section (the
    // default one's buttons under the user's name) is in the user's file.
    EXPECT_EQ(shelltest::ReadAll(dir_ / "QXA4BASE" / "qxastb.ini"), installed);
    const std::string ini = shelltest::ReadAll(users);
    EXPECT_NE(std::string::npos, ini.find(std::string(c.saved) + "\nButton1=320,Post")) << ini;
    EXPECT_EQ(std::string::npos, ini.find("[]")) << ini;
  }
  // The user's own section is loaded from the user's file from now on.
  shelltest::WriteAll(users, "[anne]\nButton1=118,Exit\n");
  AppBlockTextSet(app->toolbarSection, sizeof app->toolbarSection, "anne");
  Toolbar toolbar{};
  qxa::LoadToolbar(&toolbar);
  ASSERT_EQ(1, toolbar.count);
  EXPECT_EQ(118, toolbar.buttons[0].command);
  old ? ::setenv("XDG_CONFIG_HOME", kept.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
