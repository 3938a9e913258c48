// Crash safety: a writer process posts transactions in a loop (three journal
// lines in one file, the balances they move and a control record in another)
// and is killed with SIGKILL at random moments.  After each kill every
// transaction it reported committed must be there whole, and nothing of a
// transaction it had not finished may be seen.  With grouped commits only
// whole groups survive, and the writer's next round goes on after them.
#include <signal.h>

#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "btrvc_fixture.h"

namespace btrvc_test {
namespace {

constexpr unsigned kLength = 32;
constexpr int kAccounts = 4;
constexpr int kLinesPerTransaction = 3;
constexpr std::int32_t kControl = -1;  // the balance record holding the last transaction

// Lines: i32 transaction at 0, i32 line at 4, i32 account at 8, f64 amount at 12.
// Balances: i32 account at 0, f64 balance at 4, i32 last transaction at 12.
struct Line {
  std::int32_t txn, line, account;
  double amount;
};

std::string Pack(std::int32_t a, std::int32_t b, std::int32_t c, double d) {
  std::string r(kLength, '\0');
  std::memcpy(r.data(), &a, 4);
  std::memcpy(r.data() + 4, &b, 4);
  std::memcpy(r.data() + 8, &c, 4);
  std::memcpy(r.data() + 12, &d, 8);
  return r;
}

std::string Balance(std::int32_t account, double balance, std::int32_t last) {
  std::string r(kLength, '\0');
  std::memcpy(r.data(), &account, 4);
  std::memcpy(r.data() + 4, &balance, 8);
  std::memcpy(r.data() + 12, &last, 4);
  return r;
}

template <class T>
T At(const std::string& r, std::size_t offset) {
  T v;
  std::memcpy(&v, r.data() + offset, sizeof v);
  return v;
}

double AmountOf(std::int32_t txn, int line) { return txn * (line + 1) * (line == 2 ? -1.0 : 1.0); }

// The writer's loop; returns only on a failure (its status as exit code).
// With `group` > 0 its transactions are committed in groups of that many,
// and a transaction is reported once its group is committed.
int WriteForever(const std::string& lines, const std::string& balances, int reportFd, int group) {
  BtrvHandle l = 0, b = 0;
  if (BtrvOpen(&l, lines.c_str(), 0, 0) || BtrvOpen(&b, balances.c_str(), 0, 0)) return 90;
  // Groups end by their size only.
  if (group > 0 && (BtrvTestSwitch(("group=" + std::to_string(group) + ":600000").c_str()) != 0 ||
                    BtrvGroupBegin(group, 1000) != 0))
    return 93;
  std::string key(255, '\0'), rec(kLength, '\0');
  std::memcpy(key.data(), &kControl, 4);
  if (BtrvGetOp(kOpGetEqual, b, key.data(), rec.data(), kLength)) return 91;
  for (std::int32_t t = At<std::int32_t>(rec, 12) + 1;; ++t) {
    if (int st = BtrvTransaction(kOpBeginTransaction)) return st;
    for (int i = 0; i < kLinesPerTransaction; ++i) {
      const std::int32_t account = (t + i) % kAccounts;
      const double amount = AmountOf(t, i);
      const std::string line = Pack(t, i, account, amount);
      if (int st = BtrvWriteOp(kOpInsert, l, nullptr, line.data(), kLength)) return st;
      std::memcpy(key.data(), &account, 4);
      if (int st = BtrvGetOp(kOpGetEqual, b, key.data(), rec.data(), kLength)) return st;
      const std::string moved = Balance(account, At<double>(rec, 4) + amount, t);
      if (int st = BtrvWriteOp(kOpUpdate, b, nullptr, moved.data(), kLength)) return st;
    }
    std::memcpy(key.data(), &kControl, 4);
    if (int st = BtrvGetOp(kOpGetEqual, b, key.data(), rec.data(), kLength)) return st;
    const std::string control = Balance(kControl, 0, t);
    if (int st = BtrvWriteOp(kOpUpdate, b, nullptr, control.data(), kLength)) return st;
    if (int st = BtrvTransaction(kOpEndTransaction)) return st;
    if (group > 0 && t % group != 0) continue;
    if (write(reportFd, &t, sizeof t) != sizeof t) return 92;
  }
}

// Kills the writer (transactions grouped by `group`, or not when 0) at
// random moments, and checks what survived each kill.
void KillTheWriterAtRandom(int group) {
  ScratchFolder dir;
  const std::string lines = dir.File("LINES.DAT"), balances = dir.File("BALANCES.DAT");
  ASSERT_EQ(Create(lines, kLength, {{{1, 4, 0, kKeyTypeInteger}, {5, 4, 0, kKeyTypeInteger}},
                                    {{9, 4, kKeyFlagDuplicates, kKeyTypeInteger}}}),
            0);
  ASSERT_EQ(Create(balances, kLength, {{{1, 4, 0, kKeyTypeInteger}}}), 0);
  {
    BtrvHandle b = 0;
    ASSERT_EQ(BtrvOpen(&b, balances.c_str(), 0, 0), 0);
    for (std::int32_t a = -1; a < kAccounts; ++a) ASSERT_EQ(Insert(b, Balance(a, 0, 0)), 0);
    BtrvReset();
  }

  std::mt19937 random(20240611);
  std::int32_t reported = 0;
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      close(pipeFds[0]);
      _exit(WriteForever(lines, balances, pipeFds[1], group));
    }
    close(pipeFds[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + random() % 170));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself with "
                                     << WEXITSTATUS(status);
    std::int32_t t = 0;
    while (read(pipeFds[0], &t, sizeof t) == sizeof t) reported = std::max(reported, t);
    close(pipeFds[0]);

    // Read back what survived.
    BtrvHandle l = 0, b = 0;
    ASSERT_EQ(BtrvOpen(&l, lines.c_str(), 0, 0), 0);
    ASSERT_EQ(BtrvOpen(&b, balances.c_str(), 0, 0), 0);
    std::map<std::int32_t, int> linesOf;
    std::map<std::int32_t, double> sums;
    std::string key(255, '\0'), rec(kLength, '\0');
    for (int st = BtrvGetOp(kOpGetFirst, l, key.data(), rec.data(), kLength); st == 0;
         st = BtrvGetOp(kOpGetNext, l, key.data(), rec.data(), kLength)) {
      const auto txn = At<std::int32_t>(rec, 0);
      const auto line = At<std::int32_t>(rec, 4);
      ++linesOf[txn];
      EXPECT_EQ(At<double>(rec, 12), AmountOf(txn, line));
      sums[At<std::int32_t>(rec, 8)] += At<double>(rec, 12);
    }
    std::memcpy(key.data(), &kControl, 4);
    ASSERT_EQ(BtrvGetOp(kOpGetEqual, b, key.data(), rec.data(), kLength), 0);
    const auto last = At<std::int32_t>(rec, 12);

    // Committed and reported: present.  At most the one transaction (or
    // group) whose commit the kill overtook before it was reported may be
    // there besides, and only whole groups.
    const int unit = group > 0 ? group : 1;
    EXPECT_GE(last, reported);
    EXPECT_LE(last, reported + unit);
    EXPECT_EQ(last % unit, 0) << "a group survived in part";
    EXPECT_EQ(static_cast<std::int32_t>(linesOf.size()), last);
    for (const auto& [txn, n] : linesOf) {
      EXPECT_EQ(n, kLinesPerTransaction) << "transaction " << txn;
      EXPECT_TRUE(txn >= 1 && txn <= last) << "transaction " << txn;
    }
    for (std::int32_t a = 0; a < kAccounts; ++a) {
      std::memcpy(key.data(), &a, 4);
      ASSERT_EQ(BtrvGetOp(kOpGetEqual, b, key.data(), rec.data(), kLength), 0);
      EXPECT_EQ(At<double>(rec, 4), sums[a]) << "account " << a;
    }
    BtrvReset();
    reported = last;
  }
  EXPECT_GT(reported, 8) << "the writer hardly ran";
}

TEST(BtrvcCrashSafety, KilledWriterLeavesOnlyWholeTransactions) { KillTheWriterAtRandom(0); }

TEST(BtrvcCrashSafety, KilledGroupingWriterLeavesOnlyWholeGroups) { KillTheWriterAtRandom(5); }

}  // namespace
}  // namespace btrvc_test
