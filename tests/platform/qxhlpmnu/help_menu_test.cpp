// The help menu: which ids it serves, what each shows, and a missing text.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "qxabase/app_block.h"
#include "qxhlpmnu.h"
#include "qxtest/files.h"
#include "qxtest/scripted_screen.h"
#include "ravadodo.h"

namespace {

namespace fs = std::filesystem;

class HelpMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SharedAppBlock* app = SharedAppBlockGet();
    AppBlockTextSet(app->helpBuffer, sizeof app->helpBuffer, QX_SOURCE_DIR "/data/help");
    AppSetTitle("Quarlex Accounting (Single-User)");
  }
  void Keys(const std::string& keys) { screen_.Start(keys); }
  std::string Transcript() { return screen_.Finish(); }
  qxtest::TempDir folder_{"qxhelp"};
  const fs::path& root_ = folder_.path();
  qxtest::ScriptedScreen screen_{root_.string(), 0};
};

TEST_F(HelpMenuTest, ServesItsOwnIdsAndTheKeyCommands) {
  struct Case {
    int id;
    int result;
    const char* shown;  // null: nothing
  } cases[] = {
      {kHelpContentsCommand, 1, "HELP CONTENTS"},
      {105, 1, "HELP CONTENTS"},
      {kHelpKeysCommand, 1, "Shift+F1          These keys"},
      {106, 1, "--- Help: Keys ---"},
      {kHelpAboutCommand, 1, "Version " QX_PROJECT_VERSION},
      {0, 0, nullptr},
      {-1, 0, nullptr},
      {850, 0, nullptr},
  };
  for (const Case& c : cases) {
    Keys("Esc");
    EXPECT_EQ(c.result, HelpMenuRun(c.id)) << c.id;
    const std::string t = Transcript();
    if (c.shown) {
      EXPECT_NE(std::string::npos, t.find(c.shown)) << c.id << "\n" << t;
    } else {
      EXPECT_TRUE(t.empty()) << c.id << "\n" << t;
    }
  }
}

TEST_F(HelpMenuTest, AMissingTextIsNamed) {
  AppBlockTextSet(SharedAppBlockGet()->helpBuffer, sizeof SharedAppBlockGet()->helpBuffer, root_.c_str());
  Keys("Enter");
  EXPECT_EQ(-1, HelpShowText("contents.txt", "Help: Contents"));
  EXPECT_NE(std::string::npos, Transcript().find("cannot be found"));
}

TEST_F(HelpMenuTest, TheHelpTitleFollowsTheMenuBar) {
  Keys("Alt+H Down Down Enter Enter");
  AppCreateMainWindow();
  static const TagMenuItem list[] = {{1, 1, 110, 0, 0, 'O', " Open ", nullptr}, {1, 2, -1, 0, 0, 0, nullptr, nullptr}};
  static const TagMenuItem top[] = {{0, 2, 0, 0, 0x2100, 'F', "File", list}, {0, 0, -1, 0, 0, 0, nullptr, nullptr}};
  MenuBuild(top);
  HelpMenuAdd(AppGetMainWindow(), "QXABASE.DLL");
  KeyCode key = 0;
  AppGetKey(&key, 0, 0);
  ASSERT_EQ(kKeyMenuPick, key);
  EXPECT_EQ(kHelpAboutCommand, MenuGetPick()) << "the separator is skipped";
  EXPECT_EQ(0u, ScreenSnapshot().find("  File  Help"));
  Transcript();
}

}  // namespace
