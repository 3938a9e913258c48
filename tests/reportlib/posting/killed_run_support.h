// Helper of the posting tests that kill a run: a posting command run in a
// child process on a key script, killed at a chosen moment.  Header only; it
// needs the libraries the posting tests link.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "btrvc.h"
#include "qxabase.h"
#include "ravadodo.h"

namespace posttest {

// How a run in a child process ended: how long it ran (microseconds from
// its start to its end), and whether the kill ended it.
struct ChildRun {
  long micros;
  bool killed;
};

// Runs `post()` as command `commandId` in a child process on the key script
// `keys` (its transcript written to `transcriptPath`), with today 03/15/25,
// and kills the child `killAfter` microseconds after the command starts
// (never when negative).  The child shares no record-manager connection with
// this process.  {0, false} when the child could not be started.
template <class Post>
ChildRun RunPostingChild(int commandId, const std::string& keys, const std::string& transcriptPath, long killAfter,
                         Post post) {
  BtrvReset();
  int ready[2];
  if (pipe(ready) != 0) return {0, false};
  const pid_t child = fork();
  if (child == 0) {
    close(ready[0]);
    ScreenResetForTest(keys.c_str(), transcriptPath.c_str());
    DateSetToday(DateMake(2025, 3, 15));
    SharedAppBlockGet()->currentCommand = commandId;
    const char go = 1;
    if (write(ready[1], &go, 1) != 1) _exit(2);
    post();
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

}  // namespace posttest
