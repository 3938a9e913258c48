// Records, files and session services of the record-manager client: write
// rules and statuses, variable-length records, file creation, statistics,
// delete and rename, the old-format upgrade, paths, supplementary indexes and
// the test switches.
#include <spawn.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "btrvc_fixture.h"

extern char** environ;

namespace btrvc_test {
namespace {

// ---- Write rules and statuses ------------------------------------------------

TEST_F(BtrvcPeople, UniqueKeyRefusesADuplicateAndChangesNothing) {
  AddPeople();
  EXPECT_EQ(Insert(h_, Person(3, "someone", 1)), kStatusDuplicateKey);
  EXPECT_EQ(Count(h_), 5);
  // An update onto another record's unique key leaves the record as it was.
  Read r = Get(kOpGetEqual, h_, IdKey(4));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(Update(h_, Person(2, "Charlie", -100.25)), kStatusDuplicateKey);
  r = Get(kOpGetEqual, h_, IdKey(4));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(NameOf(r.record), "Charlie");
  EXPECT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
}

TEST_F(BtrvcPeople, StatusesOfMisuse) {
  AddPeople();
  BtrvHandle fresh = 0;  // a handle that has read nothing yet
  ASSERT_EQ(BtrvOpen(&fresh, path_.c_str(), 0, 0), 0);
  std::string rec(kPersonLength, '\0');
  std::string key(255, '\0');
  struct Case {
    const char* what;
    int status;
    int expected;
  } cases[] = {
      {"get on handle 0", BtrvGetOp(kOpGetFirst, 0, key.data(), rec.data()), kStatusFileNotOpen},
      {"close of handle 0", BtrvClose(0), kStatusFileNotOpen},
      {"get on an unused handle", BtrvGetOp(kOpGetFirst, 999, key.data(), rec.data()),
       kStatusFileNotOpen},
      {"set key past the keys", BtrvSetKey(h_, 3, -1), kStatusInvalidKeyNumber},
      {"set key negative", BtrvSetKey(h_, -1, -1), kStatusInvalidKeyNumber},
      {"unknown get operation", BtrvGetOp(14, h_, key.data(), rec.data()),
       kStatusInvalidOperation},
      {"unknown write operation", BtrvWriteOp(5, h_, nullptr, rec.data()),
       kStatusInvalidOperation},
      {"update before any read", Update(fresh, Person(1, "x", 0)), kStatusInvalidPositioning},
      {"delete before any read", Delete(fresh), kStatusInvalidPositioning},
      {"store position before any read", BtrvPosition(23, fresh, rec.data()),
       kStatusInvalidPositioning},
      {"next before any read", BtrvGetOp(kOpGetNext, fresh, key.data(), rec.data()),
       kStatusInvalidPositioning},
      {"equal without a key buffer", BtrvGetOp(kOpGetEqual, h_, nullptr, rec.data()),
       kStatusKeyBufferTooShort},
      {"unknown unlock mode", BtrvUnlock(5, h_), kStatusInvalidOperation},
      {"open without a handle pointer", BtrvOpen(nullptr, path_.c_str(), 0, 0), kStatusInvalidOperation},
      {"transaction end without begin", BtrvTransaction(kOpEndTransaction), kStatusNoTransaction},
      {"transaction abort without begin", BtrvTransaction(kOpAbortTransaction),
       kStatusNoTransaction},
      {"get key of a closed handle", BtrvGetKey(999), -1},
  };
  for (const auto& c : cases) EXPECT_EQ(c.status, c.expected) << c.what;

  // After a delete there is no record to update or delete, nor a position to store.
  ASSERT_EQ(Get(kOpGetFirst, h_).status, 0);
  ASSERT_EQ(Delete(h_), 0);
  EXPECT_EQ(Delete(h_), kStatusInvalidPositioning);
  EXPECT_EQ(Update(h_, Person(1, "x", 0)), kStatusInvalidPositioning);
  EXPECT_EQ(BtrvPosition(23, h_, rec.data()), kStatusInvalidPositioning);
}

TEST_F(BtrvcPeople, ShortBuffersAnswer22AndLeaveThePositionAlone) {
  AddPeople();
  ASSERT_EQ(Get(kOpGetFirst, h_).status, 0);
  std::string small(50, 'x');
  std::string key(255, '\0');
  unsigned got = 0;
  EXPECT_EQ(BtrvGetOp(kOpGetNext, h_, key.data(), small.data(), 50, &got),
            kStatusDataBufferTooShort);
  EXPECT_EQ(got, kPersonLength);
  // Retried with room, the same next record comes.
  Read r = Get(kOpGetNext, h_);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(IdOf(r.record), 2);
  // A fixed-length record shorter than the file's length is refused.
  EXPECT_EQ(BtrvWriteOp(kOpInsert, h_, nullptr, Person(9, "x", 0).data(), 60),
            kStatusDataBufferTooShort);
  EXPECT_EQ(Count(h_), 5);
}

TEST_F(BtrvcPeople, KeyBufferReceivesTheKeyImageAsStored) {
  AddPeople();
  ASSERT_EQ(BtrvSetKey(h_, 1, -1), 0);
  Read r = Get(kOpGetEqual, h_, NameKey("BRAVO"));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.key.substr(0, 20), std::string("bravo") + std::string(15, '\0'));
  r = Get(kOpGetNext, h_);
  EXPECT_EQ(r.key.substr(0, 20), std::string("BRAVO") + std::string(15, '\0'));
  // Insert gives the new record's key on the current key.
  std::string key(255, '\0');
  const std::string rec = Person(8, "Echo", 2);
  ASSERT_EQ(BtrvWriteOp(kOpInsert, h_, key.data(), rec.data(), kPersonLength), 0);
  EXPECT_EQ(key.substr(0, 4), std::string("Echo"));
}

TEST_F(BtrvcPeople, RecordsKeepEveryByte) {
  std::string rec = Person(1, "Alpha", 1, "note");
  for (std::size_t i = 40; i < kPersonLength; ++i) rec[i] = static_cast<char>(i * 7);
  ASSERT_EQ(Insert(h_, rec), 0);
  Read r = Get(kOpGetFirst, h_);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.record, rec);
}

TEST(Btrvc, KeyThatMayNotChangeAnswers10) {
  ScratchFolder dir;
  const std::string path = dir.File("CODES.DAT");
  ASSERT_EQ(Create(path, 20, {{{1, 4, 0, kKeyTypeString}}, {{5, 4, kKeyFlagDuplicates, kKeyTypeInteger}}}),
            0);
  BtrvHandle h = 0;
  ASSERT_EQ(BtrvOpen(&h, path.c_str(), 0, 0), 0);
  std::string r(20, '\0');
  r.replace(0, 4, "abcd");
  ASSERT_EQ(Insert(h, r), 0);
  std::string changed = r;
  changed[6] = 1;
  EXPECT_EQ(Update(h, changed), kStatusModifiableKey);
  changed = r;
  changed[10] = 'z';  // not a key byte
  EXPECT_EQ(Update(h, changed), 0);
  BtrvReset();
}

// ---- Variable-length records --------------------------------------------------------

class BtrvcSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Create(path_, 226, {{{1, 15, 0, kKeyTypeString}}}, kFileFlagVariableLength), 0);
    ASSERT_EQ(BtrvOpen(&h_, path_.c_str(), 0, 0), 0);
  }
  void TearDown() override { BtrvReset(); }
  static std::string Setting(const std::string& key, std::size_t length, char fill) {
    std::string r(length, fill);
    r.replace(0, 15, std::string(15, '\0'));
    r.replace(0, key.size(), key);
    return r;
  }
  ScratchFolder dir_;
  std::string path_ = dir_.File("SETTINGS.DAT");
  BtrvHandle h_ = 0;
};

TEST_F(BtrvcSettingsFile, RecordsKeepTheirOwnLength) {
  const std::string schedule = Setting("0Schedule", 226, 's');
  const std::string company = Setting("0Company", 818, 'c');
  ASSERT_EQ(BtrvWriteOp(kOpInsert, h_, nullptr, schedule.data(), 226), 0);
  ASSERT_EQ(BtrvWriteOp(kOpInsert, h_, nullptr, company.data(), 818), 0);

  std::string buf(818, '\0');
  unsigned got = 0;
  // NULs after the text match the blanks of a blank-padded key.
  std::string key = "0Company       ";
  ASSERT_EQ(BtrvGetOp(kOpGetEqual, h_, key.data(), buf.data(), 818, &got), 0);
  EXPECT_EQ(got, 818u);
  EXPECT_EQ(buf, company);
  key = "0Schedule" + std::string(6, '\0');
  ASSERT_EQ(BtrvGetOp(kOpGetEqual, h_, key.data(), buf.data(), 818, &got), 0);
  EXPECT_EQ(got, 226u);
  EXPECT_EQ(buf.substr(0, 226), schedule);

  // The company record does not fit a 226-byte buffer.
  key = "0Company";
  key.resize(15, ' ');
  std::string small(226, '\0');
  EXPECT_EQ(BtrvGetOp(kOpGetEqual, h_, key.data(), small.data(), 226, &got),
            kStatusDataBufferTooShort);
  EXPECT_EQ(got, 818u);

  // An update may change the length.
  ASSERT_EQ(BtrvGetOp(kOpGetEqual, h_, key.data(), buf.data(), 818, &got), 0);
  const std::string shorter = Setting("0Company", 300, 'd');
  ASSERT_EQ(BtrvWriteOp(kOpUpdate, h_, nullptr, shorter.data(), 300), 0);
  ASSERT_EQ(BtrvGetOp(kOpGetEqual, h_, key.data(), buf.data(), 818, &got), 0);
  EXPECT_EQ(got, 300u);
  EXPECT_EQ(buf.substr(0, 300), shorter);

  // A record too short to hold its key is refused.
  EXPECT_EQ(BtrvWriteOp(kOpInsert, h_, nullptr, "0X", 2), kStatusDataBufferTooShort);
}

// ---- Files ---------------------------------------------------------------------------------

TEST(Btrvc, BadSpecificationsAreRefused) {
  ScratchFolder dir;
  struct Case {
    const char* what;
    unsigned recordLength;
    std::vector<KeySpec> keys;
    int expected;
  } cases[] = {
      {"record length 0", 0, {}, kStatusInvalidRecordLength},
      {"key past the record", 10, {{{8, 4, 0, kKeyTypeString}}}, kStatusInvalidRecordLength},
      {"key at position 0", 10, {{{0, 4, 0, kKeyTypeString}}}, kStatusInvalidRecordLength},
      {"segment of length 0", 10, {{{1, 0, 0, kKeyTypeString}}}, kStatusInvalidKeyLength},
      {"integer of 3 bytes", 10, {{{1, 3, 0, kKeyTypeInteger}}}, kStatusInvalidKeyLength},
      {"float of 2 bytes", 10, {{{1, 2, 0, kKeyTypeFloat}}}, kStatusInvalidKeyLength},
      {"key longer than 255", 400, {{{1, 200, 0, kKeyTypeString}, {201, 100, 0, kKeyTypeString}}},
       kStatusInvalidKeyLength},
      {"segments disagree on duplicates", 10,
       {{{1, 2, kKeyFlagDuplicates, kKeyTypeString}, {3, 2, 0, kKeyTypeString}}},
       kStatusInconsistentKeyFlags},
      {"unknown key type", 10, {{{1, 2, 0, 99}}}, kStatusKeyTypeError},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Create(dir.File("BAD.DAT"), c.recordLength, c.keys), c.expected) << c.what;
  // An alternate collating sequence must begin with 0xAC.
  EXPECT_EQ(Create(dir.File("BAD.DAT"), 10, {{{1, 4, kKeyFlagAltCollating, kKeyTypeString}}}, 0, 0,
                   std::string(kCollatingSequenceSize, 'x')),
            kStatusInvalidCollatingSequence);
  EXPECT_EQ(BtrvFileExists(dir.File("BAD.DAT").c_str()), kStatusFileNotFound);
}

TEST(Btrvc, CreateExistsDeleteAndNamesWithoutCase) {
  ScratchFolder dir;
  const std::string path = dir.File("Ledger.dat");
  EXPECT_EQ(BtrvFileExists(path.c_str()), kStatusFileNotFound);
  BtrvHandle h = 0;
  EXPECT_EQ(BtrvOpen(&h, path.c_str(), 0, 0), kStatusFileNotFound);
  EXPECT_EQ(BtrvOpen(&h, (dir.path() + "/no-such-folder/X.DAT").c_str(), 0, 0), kStatusFileNotFound);
  ASSERT_EQ(Create(path, kPersonLength, PersonKeys()), 0);
  EXPECT_EQ(BtrvFileExists(dir.File("LEDGER.DAT").c_str()), 0);
  EXPECT_EQ(Create(dir.File("LEDGER.DAT"), kPersonLength, PersonKeys()), kStatusFileExists);

  ASSERT_EQ(BtrvOpen(&h, dir.File("ledger.DAT").c_str(), 0, 0), 0);
  ASSERT_EQ(Insert(h, Person(1, "a", 1)), 0);
  // An open file is neither deleted nor replaced.
  EXPECT_EQ(BtrvFileDelete(path.c_str()), kStatusFileInUse);
  const std::string spec = FileSpec(kPersonLength, 3);
  const std::string segs = Segments(PersonKeys());
  EXPECT_EQ(BtrvCreate(path.c_str(), spec.data(), segs.data(), true), kStatusFileInUse);
  ASSERT_EQ(BtrvClose(h), 0);
  EXPECT_EQ(BtrvClose(h), kStatusFileNotOpen);

  // Replace empties it.
  ASSERT_EQ(BtrvCreate(path.c_str(), spec.data(), segs.data(), true), 0);
  ASSERT_EQ(BtrvOpen(&h, path.c_str(), 0, 0), 0);
  EXPECT_EQ(Count(h), 0);
  ASSERT_EQ(BtrvClose(h), 0);

  ASSERT_EQ(BtrvFileDelete(path.c_str()), 0);
  EXPECT_EQ(BtrvFileExists(path.c_str()), kStatusFileNotFound);
  EXPECT_EQ(BtrvFileDelete(path.c_str()), kStatusFileNotFound);
  EXPECT_EQ(BtrvFileExists(dir.File("").c_str()), kStatusInvalidFileName);
}

TEST(Btrvc, RenameReplacesTheTargetInOneStep) {
  ScratchFolder dir;
  const std::string a = dir.File("A.DAT"), b = dir.File("B.DAT");
  ASSERT_EQ(Create(a, kPersonLength, PersonKeys()), 0);
  ASSERT_EQ(Create(b, kPersonLength, PersonKeys()), 0);
  BtrvHandle h = 0;
  ASSERT_EQ(BtrvOpen(&h, a.c_str(), 0, 0), 0);
  ASSERT_EQ(Insert(h, Person(1, "from a", 1)), 0);
  EXPECT_EQ(BtrvFileRename(a.c_str(), b.c_str()), kStatusFileInUse);
  ASSERT_EQ(BtrvClose(h), 0);
  ASSERT_EQ(BtrvOpen(&h, b.c_str(), 0, 0), 0);
  EXPECT_EQ(BtrvFileRename(a.c_str(), b.c_str()), kStatusFileInUse);
  ASSERT_EQ(BtrvClose(h), 0);

  ASSERT_EQ(BtrvFileRename(a.c_str(), b.c_str()), 0);
  EXPECT_EQ(BtrvFileExists(a.c_str()), kStatusFileNotFound);
  ASSERT_EQ(BtrvOpen(&h, b.c_str(), 0, 0), 0);
  Read r = Get(kOpGetFirst, h);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(NameOf(r.record), "from a");
  ASSERT_EQ(BtrvClose(h), 0);

  ScratchFolder other;
  EXPECT_EQ(BtrvFileRename(b.c_str(), other.File("B.DAT").c_str()), kStatusInvalidFileName);
  EXPECT_EQ(BtrvFileRename(dir.File("NONE.DAT").c_str(), a.c_str()), kStatusFileNotFound);
  BtrvReset();
}

TEST_F(BtrvcPeople, StatGivesTheSpecificationAndCounts) {
  AddPeople();
  std::vector<unsigned char> st(16 + 3 * 16, 0xEE);
  ASSERT_EQ(BtrvStat(h_, st.data(), static_cast<unsigned>(st.size())), 0);
  auto u16 = [&](std::size_t at) { return st[at] | st[at + 1] << 8; };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  EXPECT_EQ(u16(0), static_cast<int>(kPersonLength));
  EXPECT_EQ(u16(2), 4096);
  EXPECT_EQ(st[4], 3);
  EXPECT_EQ(st[5], kFormatVersionCurrent);
  EXPECT_EQ(u32(6), 5);
  EXPECT_EQ(u32(16 + 6), 5);   // five ids
  EXPECT_EQ(u32(32 + 6), 4);   // bravo and BRAVO are one name
  EXPECT_EQ(u32(48 + 6), 5);
  const std::string segs = Segments(PersonKeys());
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(std::memcmp(st.data() + 16 + 16 * k, segs.data() + 16 * k, 6), 0) << k;
    EXPECT_EQ(std::memcmp(st.data() + 16 + 16 * k + 10, segs.data() + 16 * k + 10, 2), 0) << k;
  }
  EXPECT_EQ(BtrvStat(h_, st.data(), 40), kStatusDataBufferTooShort);
}

// The one-time upgrade of an old-format file: stat it, create the new file
// under a temporary name from its key specifications, copy the records, then
// replace the old file by the new one.
TEST(Btrvc, OldFormatFileUpgradesThroughATemporaryFile) {
  ScratchFolder dir;
  const std::string old = dir.File("BASE.DAT"), fresh = dir.File("BASE.V11");
  ASSERT_EQ(Create(old, 90, {{{1, 10, 0, kKeyTypeString}}}, 0, 0x60), 0);
  BtrvHandle h = 0;
  ASSERT_EQ(BtrvOpen(&h, old.c_str(), 0, 0), 0);
  for (int i = 0; i < 3; ++i) {
    std::string r(90, static_cast<char>('a' + i));
    ASSERT_EQ(Insert(h, r), 0);
  }
  std::vector<unsigned char> st(512, 0);
  ASSERT_EQ(BtrvStat(h, st.data(), 512), 0);
  ASSERT_LT(st[5], 112);

  std::string spec(16, '\0');
  Put16(spec, 0, 98);
  Put16(spec, 2, 4096);
  spec[4] = static_cast<char>(st[4]);
  ASSERT_EQ(BtrvCreate(fresh.c_str(), spec.data(), st.data() + 16), 0);
  BtrvHandle n = 0;
  ASSERT_EQ(BtrvOpen(&n, fresh.c_str(), 0, 0), 0);
  std::string key(255, '\0'), rec(98, '\0');
  int status = 0;
  for (int op = kOpGetFirst; (status = BtrvGetOp(op, h, key.data(), rec.data(), 0)) == 0;
       op = kOpGetNext) {
    ASSERT_EQ(BtrvWriteOp(kOpInsert, n, key.data(), rec.data(), 0), 0);
  }
  EXPECT_EQ(status, kStatusEndOfFile);
  ASSERT_EQ(BtrvClose(h), 0);
  ASSERT_EQ(BtrvClose(n), 0);
  ASSERT_EQ(BtrvFileDelete(old.c_str()), 0);
  ASSERT_EQ(BtrvFileRename(fresh.c_str(), old.c_str()), 0);

  ASSERT_EQ(BtrvOpen(&h, old.c_str(), 0, 0), 0);
  ASSERT_EQ(BtrvStat(h, st.data(), 512), 0);
  EXPECT_EQ(st[5], kFormatVersionCurrent);
  EXPECT_EQ(st[0] | st[1] << 8, 98);
  EXPECT_EQ(st[6], 3);
  ASSERT_EQ(BtrvGetOp(kOpGetLast, h, key.data(), rec.data(), 0), 0);
  EXPECT_EQ(rec.substr(0, 90), std::string(90, 'c'));
  BtrvReset();
}

// ---- Paths and session -------------------------------------------------------------------------

TEST(Btrvc, PathWithoutAFolderIsTakenFromTheCompanyFolder) {
  ScratchFolder company, program;
  ASSERT_EQ(Create(company.File("CUST.DAT"), kPersonLength, PersonKeys()), 0);
  std::string block(kPathsBlockSize, '\0');
  block.replace(0, program.path().size(), program.path());
  block.replace(3 * kPathsFolderSize, company.path().size(), company.path());
  const std::int32_t one = 1;
  std::memcpy(block.data() + 868, &one, 4);
  ASSERT_EQ(BtrvSetPaths(block.data()), 0);
  BtrvHandle h = 0;
  EXPECT_EQ(BtrvOpen(&h, "cust.dat", 0, 0), 0);
  // A folder written with backslashes names the same folder.
  std::string back = company.path() + "\\CUST.DAT";
  BtrvHandle h2 = 0;
  EXPECT_EQ(BtrvOpen(&h2, back.c_str(), 0, 0), 0);
  BtrvReset();
  EXPECT_EQ(BtrvClose(h), kStatusFileNotOpen);  // reset closed every handle
  std::string empty(kPathsBlockSize, '\0');
  BtrvSetPaths(empty.data());
}

TEST(Btrvc, VersionResidenceAndCollatingSequence) {
  int major = 0, minor = -1, third = -1;
  ASSERT_EQ(BtrvGetVersion(&major, &minor, &third), 0);
  EXPECT_GE(major, 7);
  EXPECT_EQ(BtrvCheckResident("."), 0);
  std::string acs(kCollatingSequenceSize, '\0');
  ASSERT_EQ(BtrvGetCollatingSequence(acs.data()), 0);
  EXPECT_EQ(static_cast<unsigned char>(acs[0]), 0xAC);
  EXPECT_EQ(acs[9 + 'a'], 'A');
  EXPECT_EQ(acs[9 + 'A'], 'A');
  EXPECT_EQ(static_cast<unsigned char>(acs[9 + 0x81]), 0x9A);  // u-umlaut
  EXPECT_EQ(acs[9 + '1'], '1');
}

// ---- Test switches ---------------------------------------------------------------------------

class BtrvcSwitches : public BtrvcPeople {
 protected:
  void TearDown() override {
    BtrvTestSwitch(nullptr);
    BtrvcPeople::TearDown();
  }
};

TEST_F(BtrvcSwitches, NotResidentAndAnOldVersion) {
  ASSERT_EQ(BtrvTestSwitch("resident=0 version=6.1"), 0);
  EXPECT_NE(BtrvCheckResident("."), 0);
  int major = 0, minor = 0, third = 0;
  ASSERT_EQ(BtrvGetVersion(&major, &minor, &third), 0);
  EXPECT_EQ(major, 6);
  EXPECT_EQ(minor, 1);
  ASSERT_EQ(BtrvTestSwitch(""), 0);
  EXPECT_EQ(BtrvCheckResident("."), 0);
}

TEST_F(BtrvcSwitches, InjectedStatusOnTheNthCallChangesNothing) {
  AddPeople();
  ASSERT_EQ(BtrvTestSwitch("fail=3:people.dat:2:80 fail=405:PEOPLE.DAT:1:84 fail=6:*:3:2"), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(1)).status, 0);
  EXPECT_EQ(Update(h_, Person(1, "first", 1)), 0);
  EXPECT_EQ(Update(h_, Person(1, "second", 1)), kStatusConflict);
  EXPECT_EQ(Update(h_, Person(1, "third", 1)), 0);
  Read r = Get(kOpGetEqual, h_, IdKey(1));
  EXPECT_EQ(NameOf(r.record), "third");

  EXPECT_EQ(Get(kOpGetEqual + kLockBias, h_, IdKey(2)).status, kStatusRecordInUse);
  EXPECT_EQ(Get(kOpGetEqual + kLockBias, h_, IdKey(2)).status, 0);

  ASSERT_EQ(Get(kOpGetFirst, h_).status, 0);
  EXPECT_EQ(Get(kOpGetNext, h_).status, 0);
  EXPECT_EQ(Get(kOpGetNext, h_).status, 0);
  EXPECT_EQ(Get(kOpGetNext, h_).status, kStatusIoError);
  Read next = Get(kOpGetNext, h_);  // the failed call did not move the handle
  EXPECT_EQ(IdOf(next.record), 4);

  EXPECT_EQ(BtrvTestSwitch("fail=3:x"), kStatusInvalidOperation);
  EXPECT_EQ(BtrvTestSwitch("nonsense=1"), kStatusInvalidOperation);
}

TEST(BtrvcSwitchEnvironment, IsReadWhenTheClientFirstRuns) {
  if (std::getenv("QX_BTRV_TEST_CHILD") != nullptr) {
    // The re-started program: the environment said "not resident".
    EXPECT_NE(BtrvCheckResident("."), 0);
    return;
  }
  std::vector<std::string> env = {"QX_BTRV_TEST=resident=0", "QX_BTRV_TEST_CHILD=1"};
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string self = "/proc/self/exe";
  std::string filter = "--gtest_filter=BtrvcSwitchEnvironment.*";
  char* argv[] = {self.data(), filter.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, envp.data()), 0);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// ---- Supplementary indexes -------------------------------------------------------------------

std::string AmountDescending() {
  return Segments({{{25, 8, kKeyFlagDuplicates | kKeyFlagDescending, kKeyTypeFloat}}});
}

TEST_F(BtrvcPeople, SupplementaryIndexBelongsToItsHandle) {
  AddPeople();
  const std::string spec = AmountDescending();
  ASSERT_EQ(BtrvCreateIndex(h_, static_cast<unsigned>(spec.size()), spec.data()), 0);
  ASSERT_EQ(BtrvSetKey(h_, 3, -1), 0);  // one past the file's keys
  std::vector<int> order;
  for (Read r = Get(kOpGetFirst, h_); r.status == 0; r = Get(kOpGetNext, h_))
    order.push_back(IdOf(r.record));
  EXPECT_EQ(order, (std::vector<int>{1, 5, 3, 2, 4}));

  // Writes through another handle of the process keep it current.
  BtrvHandle other = 0;
  ASSERT_EQ(BtrvOpen(&other, path_.c_str(), 0, 0), 0);
  EXPECT_EQ(BtrvSetKey(other, 3, -1), kStatusInvalidKeyNumber);
  ASSERT_EQ(Insert(other, Person(6, "big", 99)), 0);
  ASSERT_EQ(Get(kOpGetEqual, other, IdKey(4)).status, 0);
  ASSERT_EQ(Delete(other), 0);
  order.clear();
  for (Read r = Get(kOpGetFirst, h_); r.status == 0; r = Get(kOpGetNext, h_))
    order.push_back(IdOf(r.record));
  EXPECT_EQ(order, (std::vector<int>{6, 1, 5, 3, 2}));

  // A second index takes the next number; dropping the current key goes back to key 0.
  ASSERT_EQ(BtrvCreateIndex(h_, static_cast<unsigned>(spec.size()), spec.data()), 0);
  EXPECT_EQ(BtrvSetKey(h_, 4, -1), 0);
  EXPECT_EQ(BtrvDropIndex(h_, 4), 0);
  EXPECT_EQ(BtrvGetKey(h_), 0);
  EXPECT_EQ(BtrvDropIndex(h_, 4), kStatusInvalidKeyNumber);
  EXPECT_EQ(BtrvDropIndex(h_, 1), kStatusInvalidKeyNumber);
  EXPECT_EQ(BtrvCreateIndex(h_, 8, spec.data()), kStatusInvalidKeyLength);

  // Closing the handle drops its index; a new handle numbers from the file's keys again.
  ASSERT_EQ(BtrvClose(h_), 0);
  ASSERT_EQ(BtrvOpen(&h_, path_.c_str(), 0, 0), 0);
  EXPECT_EQ(BtrvSetKey(h_, 3, -1), kStatusInvalidKeyNumber);
  ASSERT_EQ(BtrvCreateIndex(h_, static_cast<unsigned>(spec.size()), spec.data()), 0);
  EXPECT_EQ(BtrvSetKey(h_, 3, -1), 0);
}

TEST_F(BtrvcPeople, SupplementaryIndexSurvivesAnAbortedTransaction) {
  AddPeople();
  const std::string spec = AmountDescending();
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(h_, Person(6, "temp", 50)), 0);
  ASSERT_EQ(BtrvCreateIndex(h_, static_cast<unsigned>(spec.size()), spec.data()), 0);
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  ASSERT_EQ(BtrvSetKey(h_, 3, -1), 0);
  std::vector<int> order;
  for (Read r = Get(kOpGetFirst, h_); r.status == 0; r = Get(kOpGetNext, h_))
    order.push_back(IdOf(r.record));
  EXPECT_EQ(order, (std::vector<int>{1, 5, 3, 2, 4}));
}

}  // namespace
}  // namespace btrvc_test
