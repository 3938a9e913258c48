// Sibling programs (commands 701-705): payroll, order entry, point of sale
// and job cost, started from the folders of the company's "0System" record.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "btrvc.h"  // settings.h names BtrvHandle
#include "oemtext.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/settings.h"
#include "shell/main_loop.h"

extern char** environ;

namespace qxa {
namespace {

// The record "0System" is read into a buffer of this size.
constexpr int kSystemRecordBuffer = 512;
constexpr int kFolderSlotSize = 36;

struct SiblingProgram {
  int id;
  int slot;          // the folder field of "0System" that names its folder
  const char* file;  // null: the command names no program file
};
constexpr SiblingProgram kSiblings[] = {
    {701, 0, "qxp15"},    // payroll
    {702, 2, "qxoe15"},   // order entry
    {703, 1, "qxpos15"},  // point of sale
    {704, 4, "qxjc13"},   // job cost
    {705, 3, nullptr},
};

std::vector<pid_t>& Started() {
  static std::vector<pid_t> pids;
  return pids;
}

// A spawn's file actions and attributes, released on every way out.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
};

}  // namespace

bool ProgramExists(const std::string& folder, const char* file) {
  if (!file || !*file) return false;
  struct stat st {};
  return stat((folder + file).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int RunAddOnProgram(int id, int* messageKey, int* started) {
  *messageKey = 0;
  *started = 0;
  const SiblingProgram* program = nullptr;
  for (const SiblingProgram& p : kSiblings)
    if (p.id == id) program = &p;
  if (!program) return 0;
  unsigned char record[kSystemRecordBuffer] = {};
  if (SystemRecordGet(kSystemRecordBuffer, "0System        ", record) != 0) return 1;
  const char* field = reinterpret_cast<const char*>(record) + offsetof(records::SystemRecord, programFolders) +
                      kFolderSlotSize * program->slot;
  std::string folder = oem::ToUtf8(std::string(field, strnlen(field, kFolderSlotSize)));
  const char* blanks = " \t";
  const std::size_t from = folder.find_first_not_of(blanks);
  folder = from == std::string::npos ? std::string() : folder.substr(from, folder.find_last_not_of(blanks) - from + 1);
  // A blank folder, or a command that names no program file, is a program
  // that is not installed: never the file system's root or a bare folder.
  if (folder.empty() || !program->file) {
    *messageKey = kNotInstalledMessageKey;
    return 1;
  }
  if (folder.back() != '/') folder += '/';
  if (!ProgramExists(folder, program->file)) {
    *messageKey = kNotInstalledMessageKey;
    return 1;
  }
  return StartProgram(folder, program->file, messageKey, started);
}

int SpawnDetached(const std::string& path, const std::string& folder, int* pidOut) {
  SpawnSetup setup;
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&setup.actions, folder.c_str());
  for (int fd = 0; fd <= 2; ++fd)
    posix_spawn_file_actions_addopen(&setup.actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  // A session of its own: the terminal's keys and its closing do not reach it.
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSID);
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = 0;
  const int error = posix_spawn(&pid, path.c_str(), &setup.actions, &setup.attributes, argv, environ);
  if (error == 0) {
    Started().push_back(pid);
    if (pidOut) *pidOut = pid;
  }
  return error;
}

int StartProgram(const std::string& folder, const char* file, int* messageKey, int* started) {
  const int error = SpawnDetached(folder + file, folder);
  *started = error == 0;
  if (error != 0) ReportStartFailure(error, messageKey);
  return 1;
}

void ReportStartFailure(int error, int* messageKey) {
  if (error == ENOENT || error == ENOTDIR) {
    *messageKey = kNotInstalledMessageKey;
    return;
  }
  const std::string caption = AppGetCaption();
  const std::string text = oem::FromUtf8(std::strerror(error));
  MsgBoxShowStyle(0, text.c_str(), caption.c_str(), kMsgStyleInfo, 0);
}

void ReapStartedPrograms() {
  auto& pids = Started();
  pids.erase(std::remove_if(pids.begin(), pids.end(),
                            [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; }),
             pids.end());
}

}  // namespace qxa
