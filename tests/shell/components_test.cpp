// The component check (file versions from the ELF note and the screens
// data's version file) and the one-time upgrade of base file 93.
#include <cstring>
#include <string>
#include <vector>

#include "btrvc.h"
#include "ravadodo.h"
#include "shell/components.h"
#include "shell_test_support.h"

namespace {

namespace fs = shelltest::fs;

constexpr unsigned kMajor = QX_VERSION_MAJOR, kMinor = QX_VERSION_MINOR, kPatch = QX_VERSION_PATCH;

TEST(ComponentVersion, ReadFromTheNoteOfProgramsAndLibrariesAndFromTheVersionFile) {
  shelltest::TempDir dir;
  shelltest::WriteAll(dir / "screens.ver", "15.2.7\n");
  shelltest::WriteAll(dir / "bad.ver", "fifteen\n");
  shelltest::WriteAll(dir / "empty", "");
  struct Case {
    std::string path;
    int result;
    unsigned ms, ls;
  } cases[] = {
      {QX_QXA15_FILE, 1, kMajor << 16 | kMinor, kPatch << 16},
      {QX_QXABASE_FILE, 1, kMajor << 16 | kMinor, kPatch << 16},
      {QX_WRONG_VERSION_FILE, 1, 14u << 16 | 9, 3u << 16},
      {(dir / "screens.ver").string(), 1, 15u << 16 | 2, 7u << 16},
      {(dir / "bad.ver").string(), 0, 0, 0},
      {(dir / "empty").string(), 0, 0, 0},
      {"/bin/sh", 0, 0, 0},  // a program of another maker carries no note
      {(dir / "none").string(), 0, 0, 0},
  };
  for (const Case& c : cases) {
    unsigned ms = 0, ls = 0;
    EXPECT_EQ(c.result, qxa::ComponentFileVersion(c.path.c_str(), &ms, &ls)) << c.path;
    EXPECT_EQ(c.ms, ms) << c.path;
    EXPECT_EQ(c.ls, ls) << c.path;
  }
}

class ComponentCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { ScreenResetForTest("", transcript_.c_str()); }
  std::string Transcript() {
    ScreenResetForTest("", nullptr);
    return shelltest::Flat(shelltest::ReadAll(transcript_));
  }
  qxa::ComponentFolders Folders() const {
    return {tree_.Qxa15(), tree_.Program().string(), tree_.Common().string(),
            (tree_.Program() / "QXA4BASE").string()};
  }
  shelltest::TempDir dir_;
  std::string transcript_ = (dir_ / "transcript.txt").string();
  shelltest::ProgramTree tree_{dir_ / "inst"};
};

TEST_F(ComponentCheckTest, ACompleteInstallationPasses) {
  EXPECT_TRUE(qxa::CheckComponentVersions(Folders()));
  EXPECT_EQ(std::string::npos, Transcript().find("message box"));
}

TEST_F(ComponentCheckTest, TheFirstMissingOrMismatchingFileIsReported) {
  fs::remove(tree_.Common() / "libQxa-2.so.15");
  tree_.Copy(QX_WRONG_VERSION_FILE, tree_.Common() / "libQxa-6.so.15");
  EXPECT_FALSE(qxa::CheckComponentVersions(Folders()));
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("libQxa-2.so.15")) << t;
  EXPECT_NE(std::string::npos, t.find("cannot be located.")) << t;
  EXPECT_NE(std::string::npos, t.find("Please re-install the application.")) << t;
  EXPECT_EQ(std::string::npos, t.find("libQxa-6")) << "only the first fault is reported";
}

TEST_F(ComponentCheckTest, AMainProgramWithoutAVersionFailsSilently) {
  qxa::ComponentFolders folders = Folders();
  folders.mainProgram = "/bin/sh";
  EXPECT_FALSE(qxa::CheckComponentVersions(folders));
  EXPECT_EQ(std::string::npos, Transcript().find("message box"));
}

// ---- Base-file upgrade ------------------------------------------------------------------

class BaseFileUpgradeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BtrvTestSwitch("");
    ScreenResetForTest("", nullptr);
  }
  void TearDown() override {
    BtrvTestSwitch("");
    BtrvReset();
  }
  // An old-format file of `length`-byte records with one unique key on the
  // first 10 bytes, holding `count` records ("REC0001 ..." and a tail).
  void MakeOldFile(unsigned length, int count) {
    unsigned char spec[32] = {};
    spec[0] = length & 0xFF;
    spec[1] = length >> 8;
    spec[2] = 0x00;
    spec[3] = 0x04;  // page size 1024
    spec[4] = 1;
    spec[5] = 0x60;  // an old format
    unsigned char* key = spec + 16;
    key[0] = 1;
    key[2] = 10;
    key[4] = kKeyFlagExtendedType & 0xFF;
    key[5] = kKeyFlagExtendedType >> 8;
    ASSERT_EQ(0, BtrvCreate(path_.c_str(), spec, key));
    BtrvHandle h = 0;
    ASSERT_EQ(0, BtrvOpen(&h, path_.c_str(), 0, 0));
    for (int i = 1; i <= count; ++i) {
      std::vector<unsigned char> record(length, 'x');
      char code[16];
      std::snprintf(code, sizeof code, "REC%07d", i);
      std::memcpy(record.data(), code, 10);
      record[length - 1] = 'E';  // the old record's last byte (past 98 when longer)
      ASSERT_EQ(0, BtrvWriteOp(kOpInsert, h, nullptr, record.data()));
    }
    BtrvClose(h);
  }
  // Record length, format version and record count of the file at `path`.
  struct Stat {
    unsigned length = 0, format = 0, records = 0;
  };
  Stat StatOf(const std::string& path) {
    Stat s;
    BtrvHandle h = 0;
    if (BtrvOpen(&h, path.c_str(), 0, 0) != 0) return s;
    std::vector<unsigned char> buffer(1024);
    BtrvStat(h, buffer.data(), static_cast<unsigned>(buffer.size()));
    BtrvClose(h);
    s.length = buffer[0] | buffer[1] << 8;
    s.format = buffer[5];
    s.records = buffer[6] | buffer[7] << 8 | buffer[8] << 16;
    return s;
  }
  shelltest::TempDir dir_;
  std::string path_ = (dir_ / "QXAMAST.DB").string();
  std::string converted_ = (dir_ / "QXAMAST.V11").string();
};

TEST_F(BaseFileUpgradeTest, OldFilesAreConvertedWholeIncludingLongRecords) {
  struct Case {
    unsigned length;
    int records;
  } cases[] = {{120, 3}, {98, 2}, {40, 1}, {300, 0}};
  for (const Case& c : cases) {
    BtrvFileDelete(path_.c_str());
    MakeOldFile(c.length, c.records);
    EXPECT_EQ(1, qxa::UpgradeBaseFile(path_.c_str())) << c.length;
    const Stat s = StatOf(path_);
    EXPECT_EQ(98u, s.length) << c.length;
    EXPECT_EQ(unsigned{kFormatVersionCurrent}, s.format) << c.length;
    EXPECT_EQ(static_cast<unsigned>(c.records), s.records) << c.length;
    EXPECT_NE(0, BtrvFileExists(converted_.c_str())) << "no .V11 file is left";
    // The first 98 bytes of each old record survive; a shorter one is padded with zeros.
    BtrvHandle h = 0;
    ASSERT_EQ(0, BtrvOpen(&h, path_.c_str(), 0, 0));
    unsigned char key[64] = {}, record[98] = {};
    int st = BtrvGetOp(kOpGetFirst, h, key, record, sizeof record);
    for (int i = 1; st == 0; ++i, st = BtrvGetOp(kOpGetNext, h, key, record, sizeof record)) {
      char expected[16];
      std::snprintf(expected, sizeof expected, "REC%07d", i);
      EXPECT_EQ(0, std::memcmp(record, expected, 10));
      EXPECT_EQ(c.length > 98 ? 'x' : (c.length == 98 ? 'E' : 0), record[97]) << c.length;
    }
    BtrvClose(h);
  }
}

TEST_F(BaseFileUpgradeTest, NothingToDo) {
  EXPECT_EQ(1, qxa::UpgradeBaseFile(path_.c_str())) << "no file";
  unsigned char spec[32] = {};
  spec[0] = 98;
  spec[3] = 0x10;
  spec[4] = 1;
  spec[16] = 1;
  spec[18] = 10;
  ASSERT_EQ(0, BtrvCreate(path_.c_str(), spec, spec + 16));
  EXPECT_EQ(1, qxa::UpgradeBaseFile(path_.c_str())) << "already of the current format";
  EXPECT_NE(0, BtrvFileExists(converted_.c_str()));
}

TEST_F(BaseFileUpgradeTest, AFailedCopyLeavesTheOldFileAndNoLeftover) {
  struct Case {
    const char* failure;
  } cases[] = {
      {"fail=2:QXAMAST.V11:2:18"},  // the second insert: disk full
      {"fail=6:QXAMAST.DB:1:2"},    // a read of the old file
      {"fail=0:QXAMAST.V11:1:85"},  // the new file cannot be opened
      {"fail=14:QXAMAST.V11:1:18"}, // nor made
  };
  for (const Case& c : cases) {
    BtrvFileDelete(path_.c_str());
    MakeOldFile(120, 3);
    ASSERT_EQ(0, BtrvTestSwitch(c.failure)) << c.failure;
    ScreenResetForTest("", nullptr);
    EXPECT_EQ(0, qxa::UpgradeBaseFile(path_.c_str())) << c.failure;
    BtrvTestSwitch("");
    const Stat s = StatOf(path_);
    EXPECT_EQ(120u, s.length) << c.failure;
    EXPECT_EQ(0x60u, s.format) << c.failure;
    EXPECT_EQ(3u, s.records) << c.failure;
    EXPECT_NE(0, BtrvFileExists(converted_.c_str())) << c.failure;
  }
}

TEST_F(BaseFileUpgradeTest, ALeftoverOfAnInterruptedUpgradeIsReplaced) {
  MakeOldFile(120, 2);
  unsigned char spec[32] = {};
  spec[0] = 10;
  spec[3] = 0x10;
  spec[4] = 1;
  spec[16] = 1;
  spec[18] = 4;
  ASSERT_EQ(0, BtrvCreate(converted_.c_str(), spec, spec + 16));
  EXPECT_EQ(1, qxa::UpgradeBaseFile(path_.c_str()));
  EXPECT_EQ(98u, StatOf(path_).length);
  EXPECT_EQ(2u, StatOf(path_).records);
}

}  // namespace
