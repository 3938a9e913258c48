// Grouped commits (BtrvGroupBegin ...): each transaction of a group stays
// whole, other processes see a group when it commits, a failed commit takes
// the whole group back and says so; and what the client no longer asks
// SQLite for (reads by position inside a write transaction, live walks over
// writes elsewhere, lock probes on a file held exclusively) still answers as
// asking would.  Other processes are forked children reporting through
// their exit code.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "btrvc_fixture.h"

namespace btrvc_test {
namespace {

class BtrvcGroups : public BtrvcPeople {
 protected:
  void SetUp() override {
    BtrvcPeople::SetUp();
    AddPeople();
  }
  void TearDown() override {
    BtrvTestSwitch("");
    BtrvcPeople::TearDown();
  }
  // The number of people another process sees (-1: it could not open the
  // file).  The count comes back through a pipe: an exit code holds 0-255.
  int SeenElsewhere() {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const std::string path = path_;
    InChild([&] {
      BtrvHandle h = 0;
      const int n = BtrvOpen(&h, path.c_str(), 0, 0) == 0 ? Count(h) : -1;
      return write(fds[1], &n, sizeof n) == static_cast<ssize_t>(sizeof n) ? 0 : 1;
    });
    int n = -1;
    if (read(fds[0], &n, sizeof n) != static_cast<ssize_t>(sizeof n)) n = -1;
    close(fds[0]);
    close(fds[1]);
    return n;
  }
  // One transaction inserting person `id`, ended by `op`; its status.
  int InsertAlone(std::int32_t id, int op = kOpEndTransaction) {
    if (int st = BtrvTransaction(kOpBeginTransaction)) return st;
    if (int st = Insert(h_, Person(id, "p" + std::to_string(id), id))) return st;
    return BtrvTransaction(op);
  }
};

// A file's stamp moves with every write of this process to the file, through
// any handle, and with an abort; reads leave it; no other file, and no later
// opening of the same file, is ever given one it had.
TEST_F(BtrvcGroups, AFileStampMovesWithEachWriteToItAndIsNeverGivenAgain) {
  BtrvHandle other = 0;
  ASSERT_EQ(BtrvOpen(&other, path_.c_str(), kOpenNormal, 0), 0);
  const std::string elsewhere = dir_.File("OTHER.DAT");
  ASSERT_EQ(Create(elsewhere, kPersonLength, PersonKeys()), 0);
  BtrvHandle second = 0;
  ASSERT_EQ(BtrvOpen(&second, elsewhere.c_str(), kOpenNormal, 0), 0);
  EXPECT_EQ(BtrvFileStamp(0), 0u);
  std::set<std::uint64_t> given;
  auto fresh = [&](std::uint64_t stamp) { return stamp != 0 && given.insert(stamp).second; };
  EXPECT_TRUE(fresh(BtrvFileStamp(h_)));
  EXPECT_EQ(BtrvFileStamp(h_), BtrvFileStamp(other)) << "one file, one stamp, whatever the handle";
  EXPECT_TRUE(fresh(BtrvFileStamp(second)));

  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  const std::uint64_t atBegin = BtrvFileStamp(h_);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  Get(kOpGetLast, other);
  EXPECT_EQ(BtrvFileStamp(h_), atBegin) << "reads leave it";
  ASSERT_EQ(Insert(other, Person(6, "echo", 1)), 0);
  EXPECT_TRUE(fresh(BtrvFileStamp(h_))) << "an insert through another handle";
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(6)).status, 0);
  ASSERT_EQ(Update(h_, Person(6, "echo", 2)), 0);
  EXPECT_TRUE(fresh(BtrvFileStamp(other))) << "an update";
  const std::uint64_t beforeSecond = BtrvFileStamp(h_);
  ASSERT_EQ(Insert(second, Person(1, "one", 1)), 0);
  EXPECT_EQ(BtrvFileStamp(h_), beforeSecond) << "a write to another file";
  EXPECT_TRUE(fresh(BtrvFileStamp(second)));
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(6)).status, 0);
  ASSERT_EQ(Delete(h_), 0);
  EXPECT_TRUE(fresh(BtrvFileStamp(h_))) << "a delete";
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  EXPECT_TRUE(fresh(BtrvFileStamp(h_))) << "an abort";

  BtrvClose(h_);
  BtrvClose(other);
  h_ = 0;
  ASSERT_EQ(BtrvOpen(&h_, path_.c_str(), kOpenNormal, 0), 0);
  ASSERT_EQ(Insert(h_, Person(7, "foxtrot", 1)), 0);
  EXPECT_TRUE(fresh(BtrvFileStamp(h_))) << "the file opened again, and written";
  BtrvClose(second);
  BtrvReset();  // every file closed and forgotten
  ASSERT_EQ(BtrvOpen(&h_, path_.c_str(), kOpenNormal, 0), 0);
  EXPECT_TRUE(fresh(BtrvFileStamp(h_))) << "the file opened anew";
}

TEST_F(BtrvcGroups, EachTransactionStaysWholeAndTheGroupCommitsWhenFull) {
  ASSERT_EQ(BtrvGroupBegin(3, 1000), 0);
  ASSERT_EQ(InsertAlone(6), 0);
  EXPECT_EQ(SeenElsewhere(), 5);  // ended, not yet committed
  // An aborted transaction takes back its own writes only.
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(h_, Person(7, "seven", 7)), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(1)).status, 0);
  ASSERT_EQ(Update(h_, Person(1, "renamed", 1)), 0);
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  EXPECT_EQ(Count(h_), 6);
  EXPECT_EQ(NameOf(Get(kOpGetEqual, h_, IdKey(1)).record), "Alpha");
  ASSERT_EQ(InsertAlone(8), 0);
  EXPECT_EQ(SeenElsewhere(), 5);
  ASSERT_EQ(InsertAlone(9), 0);  // the third transaction kept: the group commits
  EXPECT_EQ(SeenElsewhere(), 8);
  EXPECT_EQ(Get(kOpGetEqual, h_, IdKey(7)).status, kStatusKeyNotFound);
}

TEST_F(BtrvcGroups, AGroupCommitsWhenOldEnoughWhenAskedAndWhenGroupingEnds) {
  ASSERT_EQ(BtrvGroupBegin(1000, 50), 0);
  ASSERT_EQ(InsertAlone(6), 0);
  ASSERT_EQ(BtrvGroupCommit(), 0);
  EXPECT_EQ(SeenElsewhere(), 6);
  ASSERT_EQ(InsertAlone(7), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  EXPECT_EQ(SeenElsewhere(), 6);
  ASSERT_EQ(InsertAlone(8), 0);  // ends the group that is old enough
  EXPECT_EQ(SeenElsewhere(), 8);
  ASSERT_EQ(InsertAlone(9), 0);
  ASSERT_EQ(BtrvGroupEnd(), 0);
  EXPECT_EQ(SeenElsewhere(), 9);
  ASSERT_EQ(InsertAlone(10), 0);  // without grouping each transaction commits
  EXPECT_EQ(SeenElsewhere(), 10);
}

TEST_F(BtrvcGroups, ATransactionInHandKeepsItsGroupUntilItEnds) {
  ASSERT_EQ(BtrvGroupBegin(1000, 1000), 0);
  ASSERT_EQ(InsertAlone(6), 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(h_, Person(7, "seven", 7)), 0);
  // Half a transaction is never committed: the group waits for its end.
  ASSERT_EQ(BtrvGroupCommit(), 0);
  EXPECT_EQ(SeenElsewhere(), 5);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  EXPECT_EQ(SeenElsewhere(), 7);
}

TEST_F(BtrvcGroups, AWriteOutsideATransactionCommitsTheGroupBeforeIt) {
  ASSERT_EQ(BtrvGroupBegin(1000, 1000), 0);
  ASSERT_EQ(InsertAlone(6), 0);
  ASSERT_EQ(Insert(h_, Person(7, "seven", 7)), 0);
  EXPECT_EQ(SeenElsewhere(), 7);
}

// SQLite keeps the undo of each transaction of a group apart from the
// group's: in memory while small, in a file once large.  Either way an abort
// takes back exactly its own writes, in the records and in every index.
TEST_F(BtrvcGroups, AnAbortTakesBackItsOwnWritesWhateverTheirSize) {
  constexpr std::int32_t kMore = 30000;
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  for (std::int32_t id = 10; id < 10 + kMore; ++id)
    ASSERT_EQ(Insert(h_, Person(id, "p" + std::to_string(id % 97), id)), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  // What each key sees: the records walked along it and the sum of their ids.
  auto along = [this](int key) {
    BtrvKeyScope scope(h_);
    BtrvSetKey(h_, key, -1);
    std::int64_t n = 0, ids = 0;
    for (Read r = Get(kOpGetFirst, h_); r.status == 0; r = Get(kOpGetNext, h_)) {
      ++n;
      ids += IdOf(r.record);
    }
    return std::to_string(n) + " records, ids " + std::to_string(ids);
  };
  struct Case {
    const char* name;
    std::int32_t deleted;  // by the aborted transaction, with as many inserted
  } cases[] = {{"a few records", 10}, {"more pages than the memory holds", 20000}};
  std::int32_t next = 100000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(BtrvGroupBegin(1000, 60000), 0);
    ASSERT_EQ(InsertAlone(next++), 0);
    const std::string before[] = {along(0), along(1), along(2)};
    ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
    std::int32_t done = 0;
    for (Read r = Get(kOpGetEqual, h_, IdKey(10)); done < c.deleted && r.status == 0; r = Get(kOpGetNext, h_)) {
      ASSERT_EQ(Delete(h_), 0);
      ++done;
    }
    ASSERT_EQ(done, c.deleted);
    for (std::int32_t i = 0; i < c.deleted; ++i) ASSERT_EQ(Insert(h_, Person(200000 + i, "gone", -1)), 0);
    ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
    for (int key = 0; key < 3; ++key) EXPECT_EQ(along(key), before[key]) << "key " << key;
    ASSERT_EQ(InsertAlone(next++), 0);
    ASSERT_EQ(BtrvGroupEnd(), 0);
    // Another process sees the group's two kept transactions.
    EXPECT_EQ(SeenElsewhere(), 5 + kMore + (next - 100000));
  }
}

TEST_F(BtrvcGroups, AFailedCommitTakesTheWholeGroupBackAndSaysSo) {
  struct Case {
    const char* name;
    int (*commit)();  // what makes the group commit: its third transaction, or a call
    int units;
  } cases[] = {
      {"the group's last transaction", [] { return BtrvTransaction(kOpEndTransaction); }, 3},
      {"asked for", [] {
         BtrvTransaction(kOpEndTransaction);
         return BtrvGroupCommit();
       }, 1000},
      {"grouping ends", [] {
         BtrvTransaction(kOpEndTransaction);
         return BtrvGroupEnd();
       }, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(BtrvGroupBegin(c.units, 1000), 0);
    ASSERT_EQ(BtrvTestSwitch("commit=1:2"), 0);
    ASSERT_EQ(InsertAlone(6), 0);
    ASSERT_EQ(InsertAlone(7), 0);
    ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
    ASSERT_EQ(Insert(h_, Person(8, "eight", 8)), 0);
    EXPECT_EQ(c.commit(), kStatusIoError);
    EXPECT_EQ(Count(h_), 5);
    EXPECT_EQ(SeenElsewhere(), 5);
    // The next group starts afresh.
    ASSERT_EQ(BtrvTestSwitch(""), 0);
    ASSERT_EQ(InsertAlone(9), 0);
    ASSERT_EQ(BtrvGroupEnd(), 0);
    EXPECT_EQ(SeenElsewhere(), 6);
    ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(9)).status, 0);
    ASSERT_EQ(Delete(h_), 0);
  }
}

TEST_F(BtrvcGroups, AProcessWaitingForTheWriteLockIsLetInBetweenGroups) {
  // A child commits groups back to back for longer than anyone waits for
  // the write lock (5 seconds), until told to stop.
  int go[2], stop[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(stop), 0);
  const std::string path = path_;
  BtrvReset();
  const pid_t writer = fork();
  if (writer == 0) {
    close(go[0]);
    close(stop[1]);
    fcntl(stop[0], F_SETFL, O_NONBLOCK);
    BtrvHandle h = 0;
    if (BtrvOpen(&h, path.c_str(), 0, 0) != 0) _exit(90);
    BtrvGroupBegin(100000, 100);  // a group ends by its time only
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    bool told = false;
    for (std::int32_t id = 100; std::chrono::steady_clock::now() < end; ++id) {
      if (BtrvTransaction(kOpBeginTransaction) != 0) _exit(91);
      if (Insert(h, Person(id, "busy", id)) != 0) _exit(92);
      if (BtrvTransaction(kOpEndTransaction) != 0) _exit(93);
      if (!told && id == 300) {
        told = write(go[1], "g", 1) == 1;
      }
      char c = 0;
      if (told && id % 64 == 0 && read(stop[0], &c, 1) == 1) break;
    }
    BtrvGroupEnd();
    _exit(0);
  }
  close(go[1]);
  close(stop[0]);
  char c = 0;
  ASSERT_EQ(read(go[0], &c, 1), 1);
  ASSERT_EQ(BtrvOpen(&h_, path_.c_str(), 0, 0), 0);
  const auto start = std::chrono::steady_clock::now();
  const int status = Insert(h_, Person(6, "waited", 6));
  const auto waited = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(write(stop[1], "s", 1), 1);
  int exit = 0;
  waitpid(writer, &exit, 0);
  EXPECT_EQ(status, 0) << "waited "
                       << std::chrono::duration_cast<std::chrono::milliseconds>(waited).count() << " ms";
  EXPECT_TRUE(WIFEXITED(exit) && WEXITSTATUS(exit) == 0) << exit;
  close(go[0]);
  close(stop[1]);
}

// ---- What the client answers without asking SQLite ---------------------------------------

TEST_F(BtrvcGroups, ReadsByPositionSeeEveryChangeOfTheTransaction) {
  BtrvHandle other = 0;
  ASSERT_EQ(BtrvOpen(&other, path_.c_str(), 0, 0), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  unsigned char place[4];
  ASSERT_EQ(BtrvPosition(kOpGetDirect, h_, place), 0);
  auto direct = [&](BtrvHandle h) {
    std::string record(kPersonLength, '\0');
    std::memcpy(record.data(), place, 4);
    const int st = BtrvGetOp(kOpGetDirect, h, nullptr, record.data(), kPersonLength);
    return st == 0 ? NameOf(record) : "status " + std::to_string(st);
  };
  ASSERT_EQ(BtrvGroupBegin(1000, 1000), 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(h_, Person(6, "six", 6)), 0);
  EXPECT_EQ(direct(h_), "bravo");
  ASSERT_EQ(Update(h_, Person(2, "changed", -3)), 0);
  EXPECT_EQ(direct(other), "changed");
  ASSERT_EQ(Update(other, Person(2, "again", -3)), 0);
  EXPECT_EQ(direct(h_), "again");
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(BtrvPosition(0, h_, place), 0);
  ASSERT_EQ(Update(h_, Person(2, "dropped", -3)), 0);
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  EXPECT_EQ(direct(other), "again");
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Delete(other), 0);
  EXPECT_EQ(direct(h_), "status " + std::to_string(kStatusInvalidPosition));
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  ASSERT_EQ(BtrvGroupEnd(), 0);
  // An update through a handle whose image another handle made stale is
  // refused as before.
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(3)).status, 0);
  ASSERT_EQ(Get(kOpGetEqual, other, IdKey(3)).status, 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Update(other, Person(3, "first", 0)), 0);
  EXPECT_EQ(Update(h_, Person(3, "second", 0)), kStatusConflict);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
}

// Updates of records the group knows, kept back until SQLite must see them:
// every read sees them, the group's commit keeps them, and an abort takes
// back its own transaction's changes and no others.
TEST_F(BtrvcGroups, UpdatesOfKnownRecordsAreSeenEverywhereAndAnAbortTakesBackOnlyItsOwn) {
  auto noteOf = [](const Read& r) {
    if (r.status != 0) return "status " + std::to_string(r.status);
    return r.record.substr(32, r.record.find('\0', 32) - 32);
  };
  // Each transaction looks person 2 up by its unique key and rewrites its note.
  auto rewrite = [&](BtrvHandle h, const char* note) {
    const Read r = Get(kOpGetEqual, h, IdKey(2));
    if (r.status != 0) return r.status;
    return Update(h, Person(2, "bravo", -3, note));
  };
  auto walkedNote = [&](BtrvHandle h) {
    BtrvKeyScope scope(h);
    BtrvSetKey(h, 1, -1);
    for (Read r = Get(kOpGetFirst, h); r.status == 0; r = Get(kOpGetNext, h))
      if (IdOf(r.record) == 2) return noteOf(r);
    return std::string("not walked");
  };
  BtrvHandle other = 0;
  ASSERT_EQ(BtrvOpen(&other, path_.c_str(), 0, 0), 0);
  const std::string path = path_;
  auto noteElsewhere = [&] {
    return InChild([&] {
      BtrvHandle h = 0;
      if (BtrvOpen(&h, path.c_str(), 0, 0) != 0) return 99;
      const std::string note = noteOf(Get(kOpGetEqual, h, IdKey(2)));
      return note.empty() ? 0 : note[0] - '0';
    });
  };
  ASSERT_EQ(BtrvGroupBegin(1000, 1000), 0);
  for (const char* note : {"1", "2"}) {
    ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
    ASSERT_EQ(rewrite(h_, note), 0);
    ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  }
  EXPECT_EQ(noteOf(Get(kOpGetEqual, other, IdKey(2))), "2");
  EXPECT_EQ(walkedNote(other), "2");
  // An abort after more changes, a walk and a delete of the record puts
  // back what the transactions before it left.
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(rewrite(h_, "3"), 0);
  EXPECT_EQ(walkedNote(other), "3");
  ASSERT_EQ(rewrite(h_, "4"), 0);
  EXPECT_EQ(noteOf(Get(kOpGetEqual, other, IdKey(2))), "4");
  ASSERT_EQ(Delete(other), 0);
  EXPECT_EQ(noteOf(Get(kOpGetEqual, h_, IdKey(2))), "status " + std::to_string(kStatusKeyNotFound));
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  EXPECT_EQ(noteOf(Get(kOpGetEqual, h_, IdKey(2))), "2");
  EXPECT_EQ(walkedNote(h_), "2");
  EXPECT_EQ(noteElsewhere(), 0);  // the group is not committed yet
  // A handle closed with its change pending: the change stays and commits.
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(rewrite(other, "5"), 0);
  ASSERT_EQ(rewrite(other, "6"), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  ASSERT_EQ(BtrvClose(other), 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(rewrite(h_, "7"), 0);
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  EXPECT_EQ(noteOf(Get(kOpGetEqual, h_, IdKey(2))), "6");
  ASSERT_EQ(BtrvGroupEnd(), 0);
  EXPECT_EQ(noteElsewhere(), 6);
  // A commit that fails takes the kept changes back with the group.
  ASSERT_EQ(BtrvGroupBegin(1000, 1000), 0);
  ASSERT_EQ(BtrvTestSwitch("commit=1:28"), 0);
  for (const char* note : {"8", "9"}) {
    ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
    ASSERT_EQ(rewrite(h_, note), 0);
    ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  }
  EXPECT_NE(BtrvGroupEnd(), 0);
  EXPECT_EQ(noteOf(Get(kOpGetEqual, h_, IdKey(2))), "6");
  EXPECT_EQ(noteElsewhere(), 6);
}

// Every way of reading a record delivers its kept-back update, from either
// handle of the process: look-ups by a unique key, by a key with duplicates
// and by a range, walks both ways, and a read by position.
TEST_F(BtrvcGroups, EveryReadDeliversAKeptBackUpdate) {
  auto noteOf = [](const Read& r) {
    if (r.status != 0) return "status " + std::to_string(r.status);
    return std::to_string(IdOf(r.record)) + " " + r.record.substr(32, r.record.find('\0', 32) - 32);
  };
  struct Case {
    const char* name;
    std::function<Read(BtrvHandle)> read;
  };
  unsigned char place[4] = {};
  const Case cases[] = {
      {"equal on the unique key", [](BtrvHandle h) { return Get(kOpGetEqual, h, IdKey(2)); }},
      {"greater or equal on the unique key", [](BtrvHandle h) { return Get(kOpGetGreaterOrEqual, h, IdKey(2)); }},
      {"greater on the unique key", [](BtrvHandle h) { return Get(kOpGetGreater, h, IdKey(1)); }},
      {"less or equal on the unique key", [](BtrvHandle h) { return Get(kOpGetLessOrEqual, h, IdKey(2)); }},
      {"equal on a key with duplicates",
       [](BtrvHandle h) {
         BtrvKeyScope scope(h);
         BtrvSetKey(h, 2, -1);
         return Get(kOpGetEqual, h, AmountKey(-3));
       }},
      {"a walk backwards",
       [](BtrvHandle h) {
         Read r = Get(kOpGetLast, h);
         while (r.status == 0 && IdOf(r.record) != 2) r = Get(kOpGetPrevious, h);
         return r;
       }},
      {"a walk forwards on a key with duplicates",
       [](BtrvHandle h) {
         BtrvKeyScope scope(h);
         BtrvSetKey(h, 1, -1);
         Read r = Get(kOpGetFirst, h);
         while (r.status == 0 && IdOf(r.record) != 2) r = Get(kOpGetNext, h);
         return r;
       }},
      {"by position",
       [&place](BtrvHandle h) {
         std::string record(kPersonLength, '\0');
         std::memcpy(record.data(), place, 4);
         const int st = BtrvGetOp(kOpGetDirect, h, nullptr, record.data(), kPersonLength);
         return Read{st, st == 0 ? record : std::string(), ""};
       }},
  };
  BtrvHandle other = 0;
  ASSERT_EQ(BtrvOpen(&other, path_.c_str(), 0, 0), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  ASSERT_EQ(BtrvPosition(kOpGetDirect, h_, place), 0);
  ASSERT_EQ(BtrvGroupBegin(1000, 1000), 0);
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string note = "kept " + std::to_string(++round);
    ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
    ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
    ASSERT_EQ(Update(h_, Person(2, "bravo", -3, note)), 0);
    ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
    EXPECT_EQ(noteOf(c.read(other)), "2 " + note);
    EXPECT_EQ(noteOf(c.read(h_)), "2 " + note);
  }
  EXPECT_EQ(BtrvGroupEnd(), 0);
  for (const Case& c : cases) EXPECT_EQ(noteOf(c.read(other)), "2 kept " + std::to_string(round)) << c.name;
}

// A record whose update is kept back can have its keys changed or be
// deleted, by either handle; what follows finds it where its keys now put
// it, with every change, before and after the group commits, and an abort
// puts back the kept-back state.
TEST_F(BtrvcGroups, AKeptBackRecordChangesItsKeysAndIsDeletedAsAnyOther) {
  auto show = [](const Read& r) {
    if (r.status != 0) return "status " + std::to_string(r.status);
    return std::to_string(IdOf(r.record)) + " " + NameOf(r.record) + " " +
           r.record.substr(32, r.record.find('\0', 32) - 32);
  };
  auto byName = [](BtrvHandle h, const std::string& name) {
    BtrvKeyScope scope(h);
    BtrvSetKey(h, 1, -1);
    return Get(kOpGetEqual, h, NameKey(name));
  };
  BtrvHandle other = 0;
  ASSERT_EQ(BtrvOpen(&other, path_.c_str(), 0, 0), 0);
  const std::string notFound = "status " + std::to_string(kStatusKeyNotFound);
  ASSERT_EQ(BtrvGroupBegin(1000, 1000), 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  ASSERT_EQ(Update(h_, Person(2, "bravo", -3, "kept")), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  // Another name (a key with duplicates) through the other handle.
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Get(kOpGetEqual, other, IdKey(2)).status, 0);
  ASSERT_EQ(Update(other, Person(2, "zulu", -3, "kept")), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  EXPECT_EQ(show(byName(h_, "zulu")), "2 zulu kept");
  EXPECT_EQ(show(byName(h_, "bravo")), "3 BRAVO ");
  // Another id (the unique key): the old id finds nothing, in this process
  // as the record is known by it.
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  ASSERT_EQ(Update(h_, Person(2, "zulu", -3, "again")), 0);
  ASSERT_EQ(Update(h_, Person(9, "zulu", -3, "again")), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  EXPECT_EQ(show(Get(kOpGetEqual, other, IdKey(2))), notFound);
  EXPECT_EQ(show(Get(kOpGetEqual, other, IdKey(9))), "9 zulu again");
  // A new record may take the id given up.
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(other, Person(2, "new", 1, "new")), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  EXPECT_EQ(show(Get(kOpGetEqual, h_, IdKey(2))), "2 new new");
  // A kept-back record deleted, and the delete aborted.
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(9)).status, 0);
  ASSERT_EQ(Update(h_, Person(9, "zulu", -3, "pending")), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Get(kOpGetEqual, other, IdKey(9)).status, 0);
  ASSERT_EQ(Delete(other), 0);
  EXPECT_EQ(show(Get(kOpGetEqual, h_, IdKey(9))), notFound);
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  EXPECT_EQ(show(Get(kOpGetEqual, h_, IdKey(9))), "9 zulu pending");
  EXPECT_EQ(Count(other), 6);
  // Updates kept back in an aborted transaction, of a record known before it
  // and of one it found first, are gone with it.
  ASSERT_EQ(Get(kOpGetEqual, other, IdKey(4)).status, 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(4)).status, 0);
  ASSERT_EQ(Update(h_, Person(4, "Charlie", -100.25, "aborted")), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(5)).status, 0);
  ASSERT_EQ(Update(h_, Person(5, "delta", 7, "aborted")), 0);
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  EXPECT_EQ(show(Get(kOpGetEqual, other, IdKey(4))), "4 Charlie ");
  EXPECT_EQ(show(Get(kOpGetEqual, h_, IdKey(5))), "5 delta ");
  ASSERT_EQ(BtrvGroupEnd(), 0);
  const std::string path = path_;
  EXPECT_EQ(InChild([&] {
              BtrvHandle h = 0;
              if (BtrvOpen(&h, path.c_str(), 0, 0) != 0) return 99;
              const Read r = Get(kOpGetEqual, h, IdKey(9));
              if (r.status != 0) return 98;
              return r.record.substr(32, 7) == "pending" && Count(h) == 6 ? 0 : 1;
            }),
            0);
}

// More records than the client keeps known, each with an update kept back:
// the ones it writes to make room, in a transaction that is then aborted,
// stay as the transactions before it left them; a supplementary index made
// afterwards, and the commit, see every update.
TEST_F(BtrvcGroups, ManyKeptBackRecordsSurviveAnAbortThatMadeRoomAndReachAnIndex) {
  constexpr int kPeople = 1500;
  for (std::int32_t id = 10; id < 10 + kPeople; ++id) ASSERT_EQ(Insert(h_, Person(id, "p", id)), 0);
  auto amountOf = [](const Read& r) {
    double a = 0;
    if (r.status == 0) std::memcpy(&a, r.record.data() + 24, 8);
    return a;
  };
  ASSERT_EQ(BtrvGroupBegin(1000, 60000), 0);
  ASSERT_EQ(BtrvTestSwitch("group=1000:600000"), 0);
  for (std::int32_t id = 10; id < 10 + kPeople; ++id) {
    ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
    ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(id)).status, 0);
    ASSERT_EQ(Update(h_, Person(id, "p", id, "kept")), 0);
    ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  }
  // One transaction reads and rewrites every one of them again, and aborts.
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  for (std::int32_t id = 10; id < 10 + kPeople; ++id) {
    ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(id)).status, 0);
    ASSERT_EQ(Update(h_, Person(id, "p", id, "dropped")), 0);
  }
  ASSERT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  int kept = 0;
  for (std::int32_t id = 10; id < 10 + kPeople; ++id) {
    const Read r = Get(kOpGetEqual, h_, IdKey(id));
    kept += r.status == 0 && r.record.substr(32, 4) == "kept" ? 1 : 0;
  }
  EXPECT_EQ(kept, kPeople);
  // A last round of changes, walked through an index made from the file.
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(10)).status, 0);
  ASSERT_EQ(Update(h_, Person(10, "p", 10, "last")), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  const std::string spec = Segments({{{33, 4, kKeyFlagDuplicates, kKeyTypeString}}});
  ASSERT_EQ(BtrvCreateIndex(h_, static_cast<unsigned>(spec.size()), spec.data()), 0);
  {
    BtrvKeyScope scope(h_);
    ASSERT_EQ(BtrvSetKey(h_, 3, -1), 0);
    std::string last(255, '\0');
    last.replace(0, 4, "last");
    EXPECT_EQ(amountOf(Get(kOpGetEqual, h_, last)), 10.0);
    std::string key(255, '\0');
    key.replace(0, 4, "kept");
    int walked = 0;
    for (Read r = Get(kOpGetEqual, h_, key); r.status == 0 && r.record.substr(32, 4) == "kept";
         r = Get(kOpGetNext, h_))
      ++walked;
    EXPECT_EQ(walked, kPeople - 1);
  }
  ASSERT_EQ(BtrvGroupEnd(), 0);
  const std::string path = path_;
  EXPECT_EQ(InChild([&] {
              BtrvHandle h = 0;
              if (BtrvOpen(&h, path.c_str(), 0, 0) != 0) return 99;
              int n = 0;
              for (Read r = Get(kOpGetFirst, h); r.status == 0; r = Get(kOpGetNext, h))
                n += r.record.substr(32, 4) == "kept" ? 1 : 0;
              return n == kPeople - 1 ? 0 : 1;
            }),
            0);
}

// A change of the catalogue (a file made and renamed) in the middle
// of a group with kept-back updates: the updates hold, and commit with the
// group.
TEST_F(BtrvcGroups, AKeptBackUpdateHoldsOverAChangeOfTheCatalogue) {
  ASSERT_EQ(BtrvGroupBegin(1000, 1000), 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  ASSERT_EQ(Insert(h_, Person(6, "six", 6)), 0);
  ASSERT_EQ(Get(kOpGetEqual, h_, IdKey(2)).status, 0);
  ASSERT_EQ(Update(h_, Person(2, "bravo", -3, "kept")), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
  const std::string scratch = dir_.File("SCRATCH.DAT"), moved = dir_.File("MOVED.DAT");
  ASSERT_EQ(Create(scratch, kPersonLength, PersonKeys()), 0);
  ASSERT_EQ(BtrvFileRename(scratch.c_str(), moved.c_str()), 0);
  const Read r = Get(kOpGetEqual, h_, IdKey(2));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.record.substr(32, 4), "kept");
  ASSERT_EQ(Update(h_, Person(2, "bravo", -3, "more")), 0);
  ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
  ASSERT_EQ(BtrvGroupEnd(), 0);
  const std::string path = path_;
  EXPECT_EQ(InChild([&] {
              BtrvHandle h = 0;
              if (BtrvOpen(&h, path.c_str(), 0, 0) != 0) return 99;
              const Read got = Get(kOpGetEqual, h, IdKey(2));
              return got.status == 0 && got.record.substr(32, 4) == "more" ? 0 : 1;
            }),
            0);
}

TEST_F(BtrvcGroups, AWalkFollowsWritesOfAnotherHandle) {
  struct Case {
    const char* name;
    int key;                                       // the key the walk follows
    std::function<int(BtrvHandle)> write;          // done through the other handle while on id 2
    std::vector<std::string> rest;                 // the people the walk goes on with
  } cases[] = {
      {"a change of another key", 0,
       [](BtrvHandle o) {
         if (int st = Get(kOpGetEqual, o, IdKey(3)).status) return st;
         return Update(o, Person(3, "Aaron", 0));
       },
       {"3 Aaron", "4 Charlie", "5 delta"}},
      {"a change of the walked key ahead", 1,
       [](BtrvHandle o) {
         if (int st = Get(kOpGetEqual, o, IdKey(4)).status) return st;
         return Update(o, Person(4, "Abe", -100.25));
       },
       {"3 BRAVO", "5 delta"}},
      {"a change of the walked key behind", 1,
       [](BtrvHandle o) {
         if (int st = Get(kOpGetEqual, o, IdKey(1)).status) return st;
         return Update(o, Person(1, "echo", 10.5));
       },
       {"3 BRAVO", "4 Charlie", "5 delta", "1 echo"}},
      {"a change of no key", 1,
       [](BtrvHandle o) {
         if (int st = Get(kOpGetEqual, o, IdKey(3)).status) return st;
         return Update(o, Person(3, "BRAVO", 0, "noted"));
       },
       {"3 BRAVO noted", "4 Charlie", "5 delta"}},
      {"an insert ahead", 0, [](BtrvHandle o) { return Insert(o, Person(6, "foxtrot", 1)); },
       {"3 BRAVO", "4 Charlie", "5 delta", "6 foxtrot"}},
      {"a delete ahead", 0,
       [](BtrvHandle o) {
         if (int st = Get(kOpGetEqual, o, IdKey(3)).status) return st;
         return Delete(o);
       },
       {"4 Charlie", "5 delta"}},
  };
  for (const bool inTransaction : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (inTransaction ? " in a transaction" : ""));
      ScratchFolder dir;
      const std::string path = dir.File("PEOPLE.DAT");
      ASSERT_EQ(Create(path, kPersonLength, PersonKeys()), 0);
      BtrvHandle walk = 0, other = 0;
      ASSERT_EQ(BtrvOpen(&walk, path.c_str(), 0, 0), 0);
      ASSERT_EQ(BtrvOpen(&other, path.c_str(), 0, 0), 0);
      for (const auto& p : {Person(1, "Alpha", 10.5), Person(2, "bravo", -3), Person(3, "BRAVO", 0),
                            Person(4, "Charlie", -100.25), Person(5, "delta", 7)})
        ASSERT_EQ(Insert(walk, p), 0);
      if (inTransaction) {
        ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
      }
      ASSERT_EQ(BtrvSetKey(walk, c.key, -1), 0);
      ASSERT_EQ(IdOf(Get(kOpGetFirst, walk).record), 1);
      ASSERT_EQ(IdOf(Get(kOpGetNext, walk).record), 2);
      ASSERT_EQ(c.write(other), 0);
      std::vector<std::string> rest;
      for (Read r = Get(kOpGetNext, walk); r.status == 0; r = Get(kOpGetNext, walk)) {
        const std::string note = r.record.substr(32, r.record.find('\0', 32) - 32);
        rest.push_back(std::to_string(IdOf(r.record)) + " " + NameOf(r.record) + (note.empty() ? "" : " " + note));
      }
      EXPECT_EQ(rest, c.rest);
      if (inTransaction) {
        ASSERT_EQ(BtrvTransaction(kOpEndTransaction), 0);
      }
      BtrvClose(walk);
      BtrvClose(other);
    }
  }
}

TEST_F(BtrvcGroups, LocksHoldBetweenHandlesOfAFileHeldExclusively) {
  BtrvReset();
  BtrvHandle mine = 0, also = 0;
  ASSERT_EQ(BtrvOpen(&mine, path_.c_str(), kOpenExclusive, 0), 0);
  ASSERT_EQ(BtrvOpen(&also, path_.c_str(), 0, 0), 0);
  ASSERT_EQ(Get(kOpGetEqual + kLockBias, also, IdKey(2)).status, 0);
  ASSERT_EQ(Get(kOpGetEqual, mine, IdKey(2)).status, 0);
  EXPECT_EQ(Update(mine, Person(2, "mine", -3)), kStatusRecordInUse);
  EXPECT_EQ(Delete(mine), kStatusRecordInUse);
  ASSERT_EQ(BtrvUnlock(-2, also), 0);
  EXPECT_EQ(Update(mine, Person(2, "mine", -3)), 0);
  // A lock that its holder's close released no longer counts either.
  ASSERT_EQ(Get(kOpGetEqual + kLockBias, also, IdKey(3)).status, 0);
  ASSERT_EQ(BtrvClose(also), 0);
  ASSERT_EQ(Get(kOpGetEqual, mine, IdKey(3)).status, 0);
  EXPECT_EQ(Update(mine, Person(3, "mine too", 0)), 0);
  // The exclusive holder's own locks never stand in its way.
  ASSERT_EQ(Get(kOpGetEqual + kLockBias, mine, IdKey(4)).status, 0);
  EXPECT_EQ(Update(mine, Person(4, "held", -100.25)), 0);
}

}  // namespace
}  // namespace btrvc_test
