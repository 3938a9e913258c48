// BtrvcSharing: record locks, change conflicts, open modes and transactions, between
// handles of one process and between processes (the second process is a
// forked child that reports through its exit code).
#include <signal.h>

#include <string>
#include <vector>

#include "btrvc_fixture.h"

namespace btrvc_test {
namespace {

constexpr int kLockedEqual = kOpGetEqual + kLockBias;

class BtrvcSharing : public BtrvcPeople {
 protected:
  void SetUp() override {
    BtrvcPeople::SetUp();
    AddPeople();
    ASSERT_EQ(BtrvOpen(&other_, path_.c_str(), 0, 0), 0);
  }
  // In a child: opens the file and returns the status of `body` on the handle.
  int Child(const std::function<int(BtrvHandle)>& body, int mode = 0) {
    const std::string path = path_;
    return InChild([&] {
      BtrvHandle h = 0;
      const int st = BtrvOpen(&h, path.c_str(), mode, 0);
      if (st != 0) return 100 + st;
      return body(h);
    });
  }
  BtrvHandle other_ = 0;
};

TEST_F(BtrvcSharing, LockedRecordAnswers84ToOtherHandles) {
  ASSERT_EQ(Get(kLockedEqual, h_, IdKey(2)).status, 0);
  EXPECT_EQ(Get(kLockedEqual, other_, IdKey(2)).status, kStatusRecordInUse);
  // Reading without a lock is allowed; changing is not.
  ASSERT_EQ(Get(kOpGetEqual, other_, IdKey(2)).status, 0);
  EXPECT_EQ(Update(other_, Person(2, "other", 1)), kStatusRecordInUse);
  EXPECT_EQ(Delete(other_), kStatusRecordInUse);
  // The holder changes it and keeps the lock.
  EXPECT_EQ(Update(h_, Person(2, "mine", 1)), 0);
  EXPECT_EQ(Get(kLockedEqual, other_, IdKey(2)).status, kStatusRecordInUse);
  // A failed locked read leaves the other handle where it was.
  ASSERT_EQ(Get(kOpGetEqual, other_, IdKey(1)).status, 0);
  EXPECT_EQ(Get(kOpGetNext + kLockBias, other_).status, kStatusRecordInUse);
  EXPECT_EQ(IdOf(Get(kOpGetNext, other_).record), 2);

  ASSERT_EQ(BtrvUnlock(-1, h_), 0);
  EXPECT_EQ(Get(kLockedEqual, other_, IdKey(2)).status, 0);
  EXPECT_EQ(Get(kLockedEqual, h_, IdKey(2)).status, kStatusRecordInUse);
  ASSERT_EQ(BtrvClose(other_), 0);  // closing releases
  EXPECT_EQ(Get(kLockedEqual, h_, IdKey(2)).status, 0);
}

TEST_F(BtrvcSharing, SeveralLocksUntilUnlockAll) {
  ASSERT_EQ(Get(kLockedEqual, h_, IdKey(1)).status, 0);
  ASSERT_EQ(Get(kLockedEqual, h_, IdKey(3)).status, 0);
  ASSERT_EQ(Get(kOpGetFirst + kLockBias, h_).status, 0);  // already held: fine
  EXPECT_EQ(Get(kLockedEqual, other_, IdKey(1)).status, kStatusRecordInUse);
  EXPECT_EQ(Get(kLockedEqual, other_, IdKey(3)).status, kStatusRecordInUse);
  EXPECT_EQ(Get(kLockedEqual, other_, IdKey(4)).status, 0);
  ASSERT_EQ(BtrvUnlock(-2, h_), 0);
  EXPECT_EQ(Get(kLockedEqual, other_, IdKey(1)).status, 0);
  EXPECT_EQ(Get(kLockedEqual, other_, IdKey(3)).status, 0);
}

TEST_F(BtrvcSharing, DeletingALockedRecordReleasesItsLock) {
  ASSERT_EQ(Get(kLockedEqual, h_, IdKey(2)).status, 0);
  ASSERT_EQ(Delete(h_), 0);
  ASSERT_EQ(Insert(h_, Person(2, "again", 1)), 0);  // may take the same position
  EXPECT_EQ(Get(kLockedEqual, other_, IdKey(2)).status, 0);
}

TEST_F(BtrvcSharing, LocksHoldAgainstAnotherProcess) {
  ASSERT_EQ(Get(kLockedEqual, h_, IdKey(2)).status, 0);
  EXPECT_EQ(Child([](BtrvHandle h) {
              if (Get(kLockedEqual, h, IdKey(2)).status != kStatusRecordInUse) return 1;
              if (Get(kOpGetEqual, h, IdKey(2)).status != 0) return 2;
              if (Update(h, Person(2, "child", 1)) != kStatusRecordInUse) return 3;
              if (Get(kLockedEqual, h, IdKey(3)).status != 0) return 4;
              return 0;
            }),
            0);
  ASSERT_EQ(BtrvUnlock(-2, h_), 0);
  EXPECT_EQ(Child([](BtrvHandle h) { return Get(kLockedEqual, h, IdKey(2)).status; }), 0);
}

TEST_F(BtrvcSharing, LocksOfAKilledProcessAreReleased) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const std::string path = path_;
  const pid_t pid = fork();
  if (pid == 0) {
    BtrvHandle h = 0;
    char ok = BtrvOpen(&h, path.c_str(), 0, 0) == 0 && Get(kLockedEqual, h, IdKey(2)).status == 0;
    if (write(ready[1], &ok, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_TRUE(ok);
  EXPECT_EQ(Get(kLockedEqual, h_, IdKey(2)).status, kStatusRecordInUse);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(Get(kLockedEqual, h_, IdKey(2)).status, 0);
  close(ready[0]);
  close(ready[1]);
}

TEST_F(BtrvcSharing, UpdateOfARecordChangedSinceItWasReadAnswers80) {
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  ASSERT_EQ(Get(kOpGetEqual, other_, IdKey(2)).status, 0);
  ASSERT_EQ(Update(other_, Person(2, "changed", 1)), 0);
  EXPECT_EQ(Update(h_, Person(2, "stale", 1)), kStatusConflict);
  EXPECT_EQ(Delete(h_), kStatusConflict);
  EXPECT_EQ(NameOf(Get(kOpGetEqual, other_, IdKey(2)).record), "changed");
  // Read again, the change goes through.
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  EXPECT_EQ(Update(h_, Person(2, "fresh", 1)), 0);

  // The same between processes, and for a record deleted meanwhile.
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(3)).status, 0);
  ASSERT_EQ(Child([](BtrvHandle h) {
              if (Get(kOpGetEqual, h, IdKey(3)).status != 0) return 1;
              return Delete(h);
            }),
            0);
  EXPECT_EQ(Update(h_, Person(3, "gone", 1)), kStatusConflict);
}

TEST_F(BtrvcSharing, WalkSeesAnotherProcessesChanges) {
  ASSERT_EQ(IdOf(Get(kOpGetFirst, h_).record), 1);
  ASSERT_EQ(IdOf(Get(kOpGetNext, h_).record), 2);
  ASSERT_EQ(Child([](BtrvHandle h) {
              if (Get(kOpGetEqual, h, IdKey(3)).status != 0) return 1;
              if (Delete(h) != 0) return 2;
              return Insert(h, Person(9, "nine", 1));
            }),
            0);
  std::vector<int> rest;
  for (Read r = Get(kOpGetNext, h_); r.status == 0; r = Get(kOpGetNext, h_))
    rest.push_back(IdOf(r.record));
  EXPECT_EQ(rest, (std::vector<int>{4, 5, 9}));
}

TEST_F(BtrvcSharing, ExclusiveOpenExcludesOtherProcessesOnly) {
  // This process has the file open (shared): another process cannot have it
  // exclusively, but may share it.
  EXPECT_EQ(Child([](BtrvHandle) { return 0; }, kOpenExclusive), 100 + kStatusFileInUse);
  EXPECT_EQ(Child([](BtrvHandle) { return 0; }, kOpenShared), 0);

  // Exclusive here: several handles of this process, none elsewhere.
  BtrvHandle ex1 = 0, ex2 = 0;
  ASSERT_EQ(BtrvOpen(&ex1, path_.c_str(), kOpenExclusive, 0), 0);
  ASSERT_EQ(BtrvOpen(&ex2, path_.c_str(), kOpenExclusive, 0), 0);
  EXPECT_EQ(Child([](BtrvHandle) { return 0; }, kOpenNormal), 100 + kStatusFileInUse);
  ASSERT_EQ(BtrvClose(ex1), 0);
  EXPECT_EQ(Child([](BtrvHandle) { return 0; }, kOpenNormal), 100 + kStatusFileInUse);
  ASSERT_EQ(BtrvClose(ex2), 0);
  EXPECT_EQ(Child([](BtrvHandle) { return 0; }, kOpenNormal), 0);

  // Once this process closes the file, another may take it exclusively, and
  // then this process cannot open it.
  BtrvReset();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const std::string path = path_;
  const pid_t pid = fork();
  if (pid == 0) {
    BtrvHandle h = 0;
    char ok = BtrvOpen(&h, path.c_str(), kOpenExclusive, 0) == 0;
    if (write(ready[1], &ok, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  EXPECT_TRUE(ok);
  BtrvHandle h = 0;
  EXPECT_EQ(BtrvOpen(&h, path_.c_str(), kOpenNormal, 0), kStatusFileInUse);
  EXPECT_EQ(BtrvFileDelete(path_.c_str()), kStatusFileInUse);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(BtrvOpen(&h, path_.c_str(), kOpenExclusive, 0), 0);
  close(ready[0]);
  close(ready[1]);
}

TEST_F(BtrvcSharing, ReadOnlyHandleRefusesWrites) {
  BtrvHandle ro = 0;
  ASSERT_EQ(BtrvOpen(&ro, path_.c_str(), kOpenReadOnly, 0), 0);
  ASSERT_EQ(Get(kOpGetFirst, ro).status, 0);
  EXPECT_EQ(Insert(ro, Person(7, "x", 1)), kStatusAccessDenied);
  EXPECT_EQ(Update(ro, Person(1, "x", 1)), kStatusAccessDenied);
  EXPECT_EQ(Delete(ro), kStatusAccessDenied);
  BtrvHandle ro2 = 0;
  EXPECT_EQ(BtrvOpen(&ro2, path_.c_str(), 0xFFFE, 0), 0);
  EXPECT_EQ(BtrvOpen(&ro2, path_.c_str(), 0x123, 0), kStatusInvalidOperation);
}

// ---- BtrvcTransactions ----------------------------------------------------------------------

class BtrvcTransactions : public BtrvcSharing {
 protected:
  void SetUp() override {
    BtrvcSharing::SetUp();
    ASSERT_EQ(Create(orders_, kPersonLength, PersonKeys()), 0);
    ASSERT_EQ(BtrvOpen(&o_, orders_.c_str(), 0, 0), 0);
  }
  std::string orders_ = dir_.File("ORDERS.DAT");
  BtrvHandle o_ = 0;
};

TEST_F(BtrvcTransactions, AbortLeavesNothingInAnyFile) {
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  EXPECT_EQ(BtrvTransaction(kOpBeginTransaction), kStatusTransactionActive);
  ASSERT_EQ(Insert(h_, Person(6, "six", 1)), 0);
  ASSERT_EQ(Insert(o_, Person(1, "order", 1)), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(1)).status, 0);
  ASSERT_EQ(Update(h_, Person(1, "renamed", 1)), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  ASSERT_EQ(Delete(h_), 0);
  EXPECT_EQ(Count(h_), 5);  // the transaction sees its own work
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  EXPECT_EQ(Count(h_), 5);
  EXPECT_EQ(Count(o_), 0);
  EXPECT_EQ(NameOf(Get(kOpGetEqual, h_, IdKey(1)).record), "Alpha");
  EXPECT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  EXPECT_EQ(Get(kOpGetEqual, h_, IdKey(6)).status, kStatusKeyNotFound);
}

TEST_F(BtrvcTransactions, CommitShowsEverythingAtOnceToOtherProcesses) {
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(h_, Person(6, "six", 1)), 0);
  ASSERT_EQ(Insert(o_, Person(1, "order", 1)), 0);
  const std::string orders = orders_;
  auto counts = [&] {
    return Child([&](BtrvHandle h) {
      BtrvHandle o = 0;
      if (BtrvOpen(&o, orders.c_str(), 0, 0) != 0) return 99;
      return Count(h) * 10 + Count(o);
    });
  };
  EXPECT_EQ(counts(), 50);  // uncommitted work is not visible elsewhere
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  EXPECT_EQ(counts(), 61);
  EXPECT_EQ(BtrvTransaction(kOpEndTransaction), kStatusNoTransaction);
}

TEST_F(BtrvcTransactions, DuplicateInsideATransactionKeepsTheRest) {
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(h_, Person(6, "six", 1)), 0);
  EXPECT_EQ(Insert(h_, Person(6, "again", 1)), kStatusDuplicateKey);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  EXPECT_EQ(Count(h_), 6);
}

TEST_F(BtrvcTransactions, FileCreatedInAnAbortedTransactionIsGone) {
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(h_, Person(6, "six", 1)), 0);
  ASSERT_EQ(Create(dir_.File("TEMP.DAT"), kPersonLength, PersonKeys()), 0);
  EXPECT_EQ(BtrvFileExists(dir_.File("TEMP.DAT").c_str()), 0);
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  EXPECT_EQ(BtrvFileExists(dir_.File("TEMP.DAT").c_str()), kStatusFileNotFound);
}

TEST_F(BtrvcTransactions, ResetAbortsAnOpenTransaction) {
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(h_, Person(6, "six", 1)), 0);
  ASSERT_EQ(BtrvReset(), 0);
  ASSERT_EQ(BtrvOpen(&h_, path_.c_str(), 0, 0), 0);
  EXPECT_EQ(Count(h_), 5);
  EXPECT_EQ(BtrvTransaction(kOpEndTransaction), kStatusNoTransaction);
}

}  // namespace
}  // namespace btrvc_test
