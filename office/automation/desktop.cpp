#include "automation/desktop.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

extern char** environ;

namespace qx::automation {

namespace {

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// Openers run on after the call; each is collected once it has ended, so
// that none stays behind as a zombie of the caller's process.
std::vector<pid_t>& Started() {
  static std::vector<pid_t> started;
  return started;
}

void ReapEnded() {
  auto& started = Started();
  for (auto it = started.begin(); it != started.end();) {
    const pid_t result = ::waitpid(*it, nullptr, WNOHANG);
    it = result == 0 ? std::next(it) : started.erase(it);  // ended, or not ours any more
  }
}

}  // namespace

ShowResult ShowFileOnDesktop(const std::string& path, std::string* error) {
  ReapEnded();
  if (!HasDisplay()) return ShowResult::kNoDisplay;

  posix_spawn_file_actions_t actions;
  if (const int rc = posix_spawn_file_actions_init(&actions); rc != 0) {
    *error = std::strerror(rc);
    return ShowResult::kFailed;
  }
  for (int fd : {0, 1, 2}) {
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  // An absolute path cannot be taken for an option ("-x") or a URL ("a:b").
  std::error_code ignored;
  const std::string absolute = std::filesystem::absolute(path, ignored).string();
  const char* argv[] = {"xdg-open", absolute.empty() ? path.c_str() : absolute.c_str(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, "xdg-open", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    *error = std::string("xdg-open: ") + std::strerror(rc);
    return ShowResult::kFailed;
  }
  Started().push_back(pid);
  return ShowResult::kStarted;
}

}  // namespace qx::automation
