// File sets, file paths and table names, and the temporary record files.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "records/dictionary.h"
#include "records/masters.h"
#include "test_support.h"

namespace {

using records::kFileCustomers;
using records::kFileGLAccounts;
using records::kFileProducts;
using records::kFileSettings;

class FilesTest : public qxtest::BaseTest {
 protected:
  void SetUp() override {
    BaseTest::SetUp();
    LoadCompany("twelve_periods.json");
  }
  void TearDown() override {
    BtrvTestSwitch(nullptr);
    BaseTest::TearDown();
  }
};

TEST_F(FilesTest, HandlesFollowTheListAndAFileNamedTwiceGetsTwo) {
  FileSet set;
  ASSERT_EQ(0, FileSetOpen(&set, kFileCustomers | kFileModeExclusive, kFileGLAccounts, kFileCustomers, 0));
  ASSERT_EQ(3, set.count);
  EXPECT_EQ(kFileCustomers, set.fileNo[0]);
  EXPECT_EQ(kFileGLAccounts, set.fileNo[1]);
  EXPECT_EQ(kFileCustomers, set.fileNo[2]);
  EXPECT_NE(set.handle[0], set.handle[2]);
  EXPECT_EQ(set.handle[0], set.HandleOf(kFileCustomers));
  EXPECT_EQ(sizeof(records::CustVendRecord), set.recordLength[0]);
  EXPECT_EQ(sizeof(records::GLAccount), set.recordLength[1]);

  // Each handle reads for itself: the first walks on while the second stays.
  char key[255] = {};
  records::CustVendRecord first{}, second{};
  ASSERT_EQ(0, BtrvGetOp(kOpGetFirst, set.handle[0], key, &first));
  ASSERT_EQ(0, BtrvGetOp(kOpGetNext, set.handle[0], key, &first));
  ASSERT_EQ(0, BtrvGetOp(kOpGetFirst, set.handle[2], key, &second));
  EXPECT_STREQ("BIRCH", first.code);
  EXPECT_STREQ("ALDER", second.code);

  const BtrvHandle h = set.handle[1];
  FileSetClose(&set);
  EXPECT_EQ(0, set.count);
  EXPECT_EQ(kStatusFileNotOpen, BtrvClose(h)) << "the set closed its files";
  FileSetClose(&set);  // closing twice is harmless
}

// A failure in the middle of the list closes what was opened before it and
// names the file that failed.
TEST_F(FilesTest, AFailureInTheMiddleClosesWhatWasOpened) {
  Start("Enter");
  ASSERT_EQ(0, BtrvTestSwitch("fail=0:products:1:94"));
  FileSet set;
  EXPECT_EQ(kStatusPermissionError, FileSetOpen(&set, kFileCustomers | kFileModeExclusive, kFileGLAccounts,
                                                kFileProducts, kFileSettings, 0));
  EXPECT_EQ(0, set.count);
  // A file open anywhere cannot be deleted: both opened files were closed.
  EXPECT_EQ(0, BtrvFileDelete(FilePathGet(kFileCustomers)));
  EXPECT_EQ(0, BtrvFileDelete(FilePathGet(kFileGLAccounts)));
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("Error 94:")) << t;
  EXPECT_NE(std::string::npos, t.find("while opening the file of file 43 (products).")) << t;
}

// A file another program holds is waited for: the set opens once it lets
// the file go, or, held past the wait, the error names it and nothing of the
// set stays open.
TEST_F(FilesTest, AFileHeldByAnotherProgramIsWaitedFor) {
  struct Case {
    const char* name;
    int holdMillis;  // -1: until the test ends
    int waitMillis;
    int status;
  };
  const Case cases[] = {
      {"let go within the wait", 300, 5000, kStatusOk},
      {"held past the wait", -1, 300, kStatusFileInUse},
      {"not waited for", 300, 0, kStatusFileInUse},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const std::string path = FilePathGet(kFileProducts);
    const pid_t pid = fork();
    if (pid == 0) {
      BtrvHandle h = 0;
      const char opened = BtrvOpen(&h, path.c_str(), kOpenExclusive, 0) == 0;
      if (write(ready[1], &opened, 1) != 1) _exit(1);
      if (c.holdMillis < 0) pause();
      usleep(static_cast<useconds_t>(c.holdMillis) * 1000);
      _exit(0);
    }
    char opened = 0;
    ASSERT_EQ(1, read(ready[0], &opened, 1));
    ASSERT_TRUE(opened);
    Start("Enter");
    FileSet set;
    const int list[] = {kFileCustomers, kFileProducts | kFileModeExclusive, 0};
    EXPECT_EQ(c.status, FileSetOpenListWaiting(&set, list, c.waitMillis));
    EXPECT_EQ(c.status == kStatusOk ? 2 : 0, set.count);
    FileSetClose(&set);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    const std::string t = Transcript();
    EXPECT_EQ(c.waitMillis > 0, t.find("Waiting for another program") != std::string::npos) << t;
    EXPECT_EQ(c.status != kStatusOk, t.find("Error 85:") != std::string::npos) << t;
  }
}

TEST_F(FilesTest, ListsThatCannotBeOpenedAreRefused) {
  struct Case {
    std::vector<int> list;
    const char* says;
  } cases[] = {
      {{0}, "no file was asked for"},
      {{kFileCustomers, 250, 0}, "file 250 is not a file of the company"},
      {std::vector<int>(20, kFileCustomers), "more than 19 files were asked for at once"},
  };
  for (Case& c : cases) {
    if (c.list.back() != 0) c.list.push_back(0);
    Start("Enter");
    FileSet set;
    EXPECT_NE(0, FileSetOpenList(&set, c.list.data())) << c.says;
    EXPECT_EQ(0, set.count);
    EXPECT_NE(std::string::npos, Transcript().find(c.says)) << c.says;
  }
  FileSet full;
  std::vector<int> nineteen(19, kFileSettings);
  nineteen.push_back(0);
  EXPECT_EQ(0, FileSetOpenList(&full, nineteen.data()));
  EXPECT_EQ(19, full.count);
}

TEST_F(FilesTest, ASetGoingOutOfScopeIsClosed) {
  BtrvHandle h = 0;
  {
    FileSet set;
    ASSERT_EQ(0, FileSetOpen(&set, kFileCustomers | kFileModeExclusive, 0));
    h = set.handle[0];
  }
  EXPECT_EQ(kStatusFileNotOpen, BtrvClose(h));
}

TEST_F(FilesTest, PathsAndTableNames) {
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->dictFolder, kFolderFieldSize, "/opt/qxa/program/QXACDICT");
  AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, "/opt/qxa/program/QXA4BASE");
  EXPECT_EQ(company_ + "/customers", std::string(FilePathGet(kFileCustomers)));
  EXPECT_EQ(company_ + "/customers", std::string(FilePathGet(kFileCustomers | kFileModeShared)));
  EXPECT_EQ("/opt/qxa/program/QXA4BASE/QXAMAST.DB", std::string(FilePathGet(93)));
  EXPECT_EQ("/opt/qxa/program/QXA4BASE/QXAFORM.DB", std::string(FilePathGet(96)));
  EXPECT_EQ("/opt/qxa/program/QXACDICT/WQXACCOL.DB", std::string(FilePathGet(94)));
  EXPECT_STREQ("", FilePathGet(250));
  EXPECT_STREQ("customers", FileTableName(kFileCustomers));
  EXPECT_STREQ("WQXACCOL.DB", FileTableName(94));
  EXPECT_STREQ("", FileTableName(0));
  char small[10];
  EXPECT_EQ(-1, FilePathGet(kFileCustomers, small, sizeof small)) << "a path that does not fit is refused";
  EXPECT_STREQ("", small);
  AppBlockTextSet(app->companyPath, kFolderFieldSize, "");
  EXPECT_STREQ("", FilePathGet(kFileCustomers)) << "no company open";
}

// The finance charges' work file: its keys come from the data dictionary,
// the library chooses the folder, and a second create replaces the first.
TEST_F(FilesTest, TemporaryFilesAreMadeFromTheDictionary) {
  int keyCount = 0;
  unsigned char keys[8 * 16] = {};
  char path[260] = {};
  ASSERT_EQ(0, TempFilePathGet("TEMPCUST.DB", path, &keyCount, keys));
  EXPECT_EQ(1, keyCount);
  EXPECT_EQ(std::string(TempFolderGet()) + "/TEMPCUST.DB", std::string(path));
  EXPECT_EQ(1, TempFilePathGet("NOSUCH.DB", path, &keyCount, keys));

  unsigned char spec[16] = {100, 0, 0x00, 0x04, 1};
  for (int round = 0; round < 2; ++round) {
    BtrvHandle h = 0;
    char made[260] = {};
    ASSERT_EQ(0, FileCreate(256, &h, made, "TEMPCUST.DB", spec, keys));
    EXPECT_STREQ(path, made);
    unsigned char line[100] = {};
    char key[255] = {};
    const char* order[] = {"CEDAR", "ALDER", "BIRCH"};
    for (int i = 0; i < 3; ++i) {
      std::memset(line, 0, sizeof line);
      std::strcpy(reinterpret_cast<char*>(line), order[i]);
      std::strcpy(reinterpret_cast<char*>(line) + 11, round == 0 ? "INV-1" : "INV-2");
      ASSERT_EQ(0, BtrvWriteOp(kOpInsert, h, key, line));
    }
    ASSERT_EQ(0, BtrvGetOp(kOpGetFirst, h, key, line));
    EXPECT_STREQ("ALDER", reinterpret_cast<char*>(line)) << "customer code order";
    EXPECT_STREQ(round == 0 ? "INV-1" : "INV-2", reinterpret_cast<char*>(line) + 11);
    int count = 1;
    while (BtrvGetOp(kOpGetNext, h, key, line) == 0) ++count;
    EXPECT_EQ(3, count) << "the second create started an empty file";
    BtrvClose(h);
  }
  EXPECT_EQ(0, BtrvFileDelete(path));
}

}  // namespace
