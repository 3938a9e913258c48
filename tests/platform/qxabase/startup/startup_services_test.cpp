// The start-up services: the company-folder check, the base files, the
// record manager's folders, the application state and options, the opening
// command and the time-billing link.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/startup.h"
#include "qxtest/files.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace {

namespace fs = std::filesystem;

class StartupServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScreenResetForTest("", nullptr);
    SharedAppBlock* app = SharedAppBlockGet();
    *app = SharedAppBlock{};
  }
  void TearDown() override {
    BaseFilesClosePair();
    BaseFilesCloseTriple();
    BtrvReset();
  }
  // A company folder: every file of the dictionary, all empty.
  fs::path MakeCompany(const std::string& name) {
    const fs::path folder = root_ / name;
    fixture::Problem problem;
    EXPECT_TRUE(fixture::WriteCompany({}, folder, {}, &problem)) << problem.Text();
    return folder;
  }
  qxtest::TempDir folder_{"qxstartup"};
  const fs::path& root_ = folder_.path();
};

TEST_F(StartupServicesTest, CompanyFolderCheck) {
  const fs::path company = MakeCompany("company");
  // A folder whose record files do not include the settings file.
  const fs::path other = root_ / "other";
  fs::create_directories(other);
  unsigned char spec[32] = {10, 0, 0, 4, 1};
  spec[16] = 1;
  spec[18] = 4;
  ASSERT_EQ(0, BtrvCreate((other / "notes").c_str(), spec, spec + 16));
  // A folder whose database is not one of the record manager's.
  const fs::path damaged = root_ / "damaged";
  fs::create_directories(damaged);
  std::FILE* f = std::fopen((damaged / "qxrecords.sqlite").c_str(), "w");
  std::fputs("this is not a database, whatever its name says.............................", f);
  std::fclose(f);
  std::FILE* g = std::fopen((root_ / "plain file").c_str(), "w");
  std::fclose(g);

  struct Case {
    std::string path;
    int result, error;
  } cases[] = {
      {company.string(), 1, kCompanyPathOk},
      {"", 0, kCompanyPathEmpty},
      {"/" + std::string(143, 'x'), 0, kCompanyPathEmpty},
      {(root_ / "nowhere").string(), 0, kCompanyPathMissing},
      {(root_ / "plain file").string(), 0, kCompanyPathMissing},
      {root_.string(), 0, kCompanyPathNoCompany},
      {other.string(), 0, kCompanyPathNoCompany},
  };
  for (const Case& c : cases) {
    int error = 99, status = 99;
    EXPECT_EQ(c.result, CompanyPathOpen(records::kFileSettings, c.path.c_str(), &error, &status)) << c.path;
    EXPECT_EQ(c.error, error) << c.path;
  }
  int error = 0, status = 0;
  EXPECT_EQ(0, CompanyPathOpen(records::kFileSettings, damaged.c_str(), &error, &status));
  EXPECT_TRUE(error == kCompanyPathRecordError || error == kCompanyPathNoCompany) << error;
  // Nothing stays open: the company's settings file can be deleted at once.
  EXPECT_EQ(0, BtrvFileDelete((company / "settings").c_str()));
}

TEST_F(StartupServicesTest, RecordManagerFoldersComeFromTheApplicationBlock) {
  const fs::path company = MakeCompany("company");
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->companyPath, kFolderFieldSize, company.c_str());
  ASSERT_EQ(0, RecordManagerPathsSet());
  BtrvHandle h = 0;
  EXPECT_EQ(0, BtrvOpen(&h, "settings", 0, 0)) << "a file name alone is the company's";
  BtrvClose(h);
  EXPECT_STREQ(company.c_str(), GetDataFolder());
}

TEST_F(StartupServicesTest, BaseFilesAreMadeAtTheFirstOpenAndKeptOpen) {
  const fs::path base = root_ / "QXA4BASE";
  fs::create_directories(base);
  ASSERT_EQ(0, BaseFilesOpenPair(base.c_str(), "QXAFORM.DB", "QXAFFLD.DB"));
  ASSERT_EQ(0, BaseFilesOpenTriple(base.c_str(), "QXAREP.DB", "QXARCOL.DB", "QXARFNT.DB"));
  for (const char* name : {"QXAFORM.DB", "QXAFFLD.DB", "QXAREP.DB", "QXARCOL.DB", "QXARFNT.DB"}) {
    const std::string path = (base / name).string();
    EXPECT_EQ(0, BtrvFileExists(path.c_str())) << name;
    EXPECT_EQ(kStatusFileInUse, BtrvFileDelete(path.c_str())) << name << " is held open";
  }
  BaseFilesClosePair();
  BaseFilesCloseTriple();
  BaseFilesClosePair();  // a second close does nothing
  EXPECT_EQ(0, BtrvFileDelete((base / "QXAFORM.DB").c_str()));
  // Opened again: the same files (one made again), 98-byte records.
  ASSERT_EQ(0, BaseFilesOpenPair(base.c_str(), "QXAFORM.DB", "QXAFFLD.DB"));
  BaseFilesClosePair();
  BtrvHandle h = 0;
  ASSERT_EQ(0, BtrvOpen(&h, (base / "QXAFORM.DB").c_str(), 0, 0));
  unsigned char stat[64] = {};
  ASSERT_EQ(0, BtrvStat(h, stat, sizeof stat));
  BtrvClose(h);
  EXPECT_EQ(98, stat[0] | stat[1] << 8);
  EXPECT_EQ(1, stat[4]);
  EXPECT_NE(0, BaseFilesOpenPair((root_ / "missing").c_str(), "QXAFORM.DB", "QXAFFLD.DB"));
}

TEST_F(StartupServicesTest, ApplicationStateFillsWhatIsNotSet) {
  setenv("USER", "anne", 1);
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, "/opt/q/program/QXA4BASE");
  EXPECT_EQ(0, AppStateLoad(app->helpBuffer, app->helpContext));
  EXPECT_STREQ("anne", app->userName);
  EXPECT_STREQ("anne", app->toolbarSection);
  EXPECT_STREQ("/opt/q/program/QXA4BASE/help", app->helpBuffer);
  std::strcpy(app->userName, "bob");
  std::strcpy(app->toolbarSection, "Accounting");
  std::strcpy(app->helpBuffer, "/own/help");
  AppStateLoad(app->helpBuffer, 0);
  EXPECT_STREQ("bob", app->userName);
  EXPECT_STREQ("Accounting", app->toolbarSection);
  EXPECT_STREQ("/own/help", app->helpBuffer);
}

TEST_F(StartupServicesTest, OptionZeroIsTheMenuLevel) {
  SharedAppBlock* app = SharedAppBlockGet();
  struct Case {
    int userLevel, option, expected;
  } cases[] = {{0, 0, 6}, {3, 0, 3}, {6, 0, 6}, {9, 0, 6}, {3, 1, 0}};
  for (const Case& c : cases) {
    app->userLevel = c.userLevel;
    EXPECT_EQ(c.expected, AppQueryOption(c.option)) << c.userLevel << "/" << c.option;
  }
  EXPECT_EQ(0, AppApplyOption(3, 0));
  EXPECT_EQ(0, StartupChainDone());
  EXPECT_EQ(kAppModeRunning, app->appMode);
}

int Handler(const char*) { return 0; }

TEST_F(StartupServicesTest, TheOpeningCommandNeedsTheHandlerOfItsGroup) {
  CommandsResetForTest();
  EXPECT_EQ(0, RunOpeningCommand(101));
  CommandHandlerAdd(Handler, 0);
  EXPECT_EQ(1, RunOpeningCommand(101));
  EXPECT_EQ(0, RunOpeningCommand(301));
  EXPECT_EQ(0, RunOpeningCommand(-1));
  CommandsResetForTest();
}

TEST_F(StartupServicesTest, TheLinkIsActiveOnlyWhereItsFileIs) {
  const fs::path company = MakeCompany("company");
  AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, company.c_str());
  LinkFileOpen("QXAWPOS.DB");
  EXPECT_EQ(0, LinkStart(GetDataFolder(), LinkArgGet()));
  EXPECT_FALSE(LinkIsActive());
  unsigned char spec[32] = {10, 0, 0, 4, 1};
  spec[16] = 1;
  spec[18] = 4;
  ASSERT_EQ(0, BtrvCreate((company / "QXAWPOS.DB").c_str(), spec, spec + 16));
  LinkFileOpen("QXAWPOS.DB");
  EXPECT_EQ(1, LinkStart(GetDataFolder(), LinkArgGet()));
  EXPECT_TRUE(LinkIsActive());
  LinkStop();
  EXPECT_FALSE(LinkIsActive());
  LinkFileClose();
  EXPECT_EQ(0, LinkStart(GetDataFolder(), ""));
}

}  // namespace
