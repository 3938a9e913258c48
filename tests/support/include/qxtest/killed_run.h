// A unit run in a child process on a key script and killed at a chosen
// moment: the tests that show a run killed midway leaves the company either
// as it was or as the whole run leaves it.
//
// Header only: a test that includes it links the base library (QxaBase), the
// screen library (ravadodo) and the record-manager client (btrvc).
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "qxabase.h"
#include "qxtest/scripted_screen.h"
#include "ravadodo.h"

namespace qxtest {

// How a run in a child process ended: how long it ran (microseconds from
// its start to its end), and whether the kill ended it.
struct ChildRun {
  long micros;
  bool killed;
};

// Runs `run()` as command `commandId` in a child process on the key script
// `keys` (its transcript written to `transcriptPath`), today `today`, and
// kills the child `killAfter` microseconds after the command starts (never
// when negative).  The child shares no record-manager connection with this
// process.  {0, false} when the child could not be started.
template <class Unit>
ChildRun RunKilledChild(int commandId, const std::string& keys, const std::string& transcriptPath, long killAfter,
                        Unit run, std::int32_t today = TestToday()) {
  BtrvReset();
  int ready[2];
  if (pipe(ready) != 0) return {0, false};
  const pid_t child = fork();
  if (child == 0) {
    close(ready[0]);
    ScreenResetForTest(keys.c_str(), transcriptPath.c_str());
    DateSetToday(today);
    SharedAppBlockGet()->currentCommand = commandId;
    const char go = 1;
    if (write(ready[1], &go, 1) != 1) _exit(2);
    run();
    _exit(0);
  }
  close(ready[1]);
  char go = 0;
  const bool started = read(ready[0], &go, 1) == 1;
  close(ready[0]);
  const auto start = std::chrono::steady_clock::now();
  if (started && killAfter >= 0) {
    std::this_thread::sleep_for(std::chrono::microseconds(killAfter));
    kill(child, SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  const auto ran = std::chrono::steady_clock::now() - start;
  return {static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(ran).count()), WIFSIGNALED(status)};
}

// The rounds of a kill test: `rounds` times, `load()` makes the company
// again, `run(killAfter)` runs the command in a child killed at a moment
// drawn (from one seed, so that a failure repeats) within `micros`, the
// time of a whole run, and `check()` looks at what the kill left, under a
// trace naming the round.  Returns how many kills fell inside a run.
template <class Load, class Run, class Check>
int KillAtRandomMoments(int rounds, long micros, Load load, Run run, Check check) {
  std::mt19937 random(20250315);
  int killedInTheRun = 0;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    load();
    const long wait = std::uniform_int_distribution<long>(0, micros)(random);
    if (run(wait).killed) ++killedInTheRun;
    check();
  }
  return killedInTheRun;
}

}  // namespace qxtest
