#include "qxsys/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace qxsys {

namespace {

constexpr std::size_t kKeptErrorOutput = 2000;

struct Pipe {
  int read = -1;
  int write = -1;
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  bool Open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read = fds[0];
    write = fds[1];
    return true;
  }
  void CloseRead() {
    if (read >= 0) ::close(read);
    read = -1;
  }
  void CloseWrite() {
    if (write >= 0) ::close(write);
    write = -1;
  }
};

struct FileActions {
  posix_spawn_file_actions_t actions;
  bool ready = posix_spawn_file_actions_init(&actions) == 0;
  ~FileActions() {
    if (ready) posix_spawn_file_actions_destroy(&actions);
  }
};

// Blocks SIGPIPE for this thread while the program's input is written, and
// takes back a SIGPIPE that the writing raised, so that a program that stops
// reading gives EPIPE here instead of ending the caller's process.
class SigpipeGuard {
 public:
  SigpipeGuard() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    blocked_ = pthread_sigmask(SIG_BLOCK, &pipe, &old_) == 0;
  }
  ~SigpipeGuard() {
    if (!blocked_) return;
    if (!wasPending_) {
      sigset_t pipe;
      sigemptyset(&pipe);
      sigaddset(&pipe, SIGPIPE);
      const struct timespec none = {0, 0};
      while (sigtimedwait(&pipe, nullptr, &none) > 0) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }

 private:
  sigset_t old_;
  bool wasPending_ = false;
  bool blocked_ = false;
};

long long NowMilliseconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

}  // namespace

std::string RunProgram(const std::vector<std::string>& argv, const ProgramInput& programInput,
                       const ProgramOptions& options) {
  const std::string_view input = programInput.fd >= 0 ? std::string_view() : programInput.text;
  const int timeoutSeconds = options.timeoutSeconds;
  if (argv.empty() || argv[0].empty()) return "No program is named.";
  const std::string& name = argv[0];
  Pipe in, err;
  if ((programInput.fd < 0 && !in.Open()) || !err.Open()) return name + ": " + std::strerror(errno) + ".";
  FileActions files;
  if (!files.ready) return name + ": cannot be started.";
  posix_spawn_file_actions_adddup2(&files.actions, programInput.fd >= 0 ? programInput.fd : in.read, 0);
  posix_spawn_file_actions_addopen(&files.actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&files.actions, err.write, 2);
  posix_spawn_file_actions_addclosefrom_np(&files.actions, 3);

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int started = name.find('/') == std::string::npos
                          ? posix_spawnp(&pid, name.c_str(), &files.actions, nullptr, args.data(), environ)
                          : posix_spawn(&pid, name.c_str(), &files.actions, nullptr, args.data(), environ);
  if (started == ENOENT && !options.whenMissing.empty()) return options.whenMissing;
  if (started != 0) return name + ": cannot be started: " + std::strerror(started) + ".";
  in.CloseRead();
  err.CloseWrite();

  std::string errorOutput;
  bool timedOut = false;
  bool ended = false;
  int status = 0;
  const auto collectErrorOutput = [&] {
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(err.read, buffer, sizeof buffer);
      if (n > 0) {
        if (errorOutput.size() < kKeptErrorOutput) errorOutput.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n == 0 || (errno != EAGAIN && errno != EINTR)) err.CloseRead();
      return;
    }
  };
  {
    SigpipeGuard guard;
    ::fcntl(in.write, F_SETFL, O_NONBLOCK);
    ::fcntl(err.read, F_SETFL, O_NONBLOCK);
    std::size_t written = 0;
    if (input.empty() || programInput.fd >= 0) in.CloseWrite();
    const long long deadline = NowMilliseconds() + static_cast<long long>(timeoutSeconds) * 1000;
    // Until the program ends: a program that leaves a child behind holding
    // its error output must not keep the caller waiting.
    while (!ended) {
      struct pollfd fds[2];
      nfds_t count = 0;
      if (in.write >= 0) fds[count++] = {in.write, POLLOUT, 0};
      if (err.read >= 0) fds[count++] = {err.read, POLLIN, 0};
      const long long left = deadline - NowMilliseconds();
      if (left <= 0) {
        timedOut = true;
        break;
      }
      // With both pipes closed only the end is awaited, in short steps.
      const int ready = ::poll(fds, count, static_cast<int>(std::min<long long>(left, count ? 50 : 2)));
      if (ready < 0 && errno != EINTR) break;
      for (nfds_t k = 0; ready > 0 && k < count; ++k) {
        if (!fds[k].revents) continue;
        if (fds[k].fd == in.write) {
          const ssize_t n = ::write(in.write, input.data() + written, input.size() - written);
          if (n > 0) written += static_cast<std::size_t>(n);
          // A program that ends its reading early has what it wanted.
          if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) in.CloseWrite();
        } else {
          collectErrorOutput();
        }
      }
      const pid_t done = ::waitpid(pid, &status, WNOHANG);
      ended = done == pid || (done < 0 && errno != EINTR);
    }
    in.CloseWrite();
  }
  if (ended && err.read >= 0) collectErrorOutput();
  if (!ended) {
    if (timedOut) ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  errorOutput = Trimmed(errorOutput.substr(0, kKeptErrorOutput));
  if (timedOut) return name + ": did not finish within " + std::to_string(timeoutSeconds) + " seconds.";
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  std::string what = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                       : "ended by signal " + std::to_string(WTERMSIG(status));
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127 && errorOutput.empty()) what += " (not found)";
  return name + ": " + what + (errorOutput.empty() ? "." : ": " + errorOutput);
}

}  // namespace qxsys
