// Access rights and the command lock.
//
// The lock of a command id is one byte of `qxcommands.lock` in the company
// folder, at the offset of the id, write-locked with fcntl while the command
// runs: the kernel releases it when the program ends in any way, so a killed
// program never leaves a command locked.  fcntl locks do not conflict within
// one process, so the commands this program runs are also kept in a table of
// its own (which also records the command bracket they were taken in).
#include "qxabase/access.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <string>

#include "internal.h"
#include "qxabase/app_block.h"
#include "qxabase/messages.h"

namespace {

constexpr int kMsgCommandRunning = 1931;  // %1 title, %2 id
constexpr int kMsgCommandRunningElsewhere = 1933;

struct LockState {
  std::map<int, int> held;  // command id -> bracket depth when taken
  std::string folder;       // the company folder of `fd`
  int fd = -1;
  pid_t owner = 0;          // the process the table belongs to
};

// A child made by fork holds none of its parent's locks (the kernel does not
// hand fcntl locks down), so it starts from an empty table.
LockState& Locks() {
  static LockState state;
  if (state.owner != ::getpid()) {
    if (state.fd >= 0) ::close(state.fd);
    state = LockState{};
    state.owner = ::getpid();
  }
  return state;
}

// The lock file of the current company folder, opened (or made) on first
// use; −1 when the company folder is not set or does not take the file (the
// lock then holds within this program only).
int LockFile() {
  LockState& s = Locks();
  const std::string folder = SharedAppBlockGet()->companyPath;
  if (s.fd >= 0 && s.folder == folder) return s.fd;
  // Closing the descriptor would drop every lock it holds, so it is only
  // exchanged while this program holds no command.
  if (s.fd >= 0 && !s.held.empty()) return s.fd;
  if (s.fd >= 0) {
    ::close(s.fd);
    s.fd = -1;
  }
  s.folder = folder;
  if (folder.empty()) return -1;
  s.fd = ::open(qxb::JoinPath(folder, "qxcommands.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  return s.fd;
}

bool LockByte(int fd, int id, short type) {
  struct flock fl{};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = id;
  fl.l_len = 1;
  return ::fcntl(fd, F_SETLK, &fl) == 0;
}

void Release(int id) {
  LockState& s = Locks();
  if (s.held.erase(id) && s.fd >= 0) LockByte(s.fd, id, F_UNLCK);
}

}  // namespace

// The users record of the company names no rights yet: whoever runs the
// program is its only user with every right (the program's title says
// "Single-User").  Per-user rights go here once the record carries them.
int UserAccessCheckSession(int* scratch) {
  if (scratch) *scratch = 0;
  return 1;
}

int UserAccessCheckCommand(int) { return 1; }

int UserAccessCheckRight(int, int, const char*, int) { return 1; }

int CommandAccess(int take, int commandId) {
  LockState& s = Locks();
  if (!take) {
    if (commandId > 0) {
      Release(commandId);
    } else {
      const int depth = qxb::CommandDepth();
      for (auto it = s.held.begin(); it != s.held.end();) {
        const int id = it->first;
        const bool inBracket = it->second >= depth;
        ++it;
        if (inBracket) Release(id);
      }
    }
    return 1;
  }
  if (commandId <= 0) return 1;
  const std::string title = qxb::CommandTitle(commandId);
  if (s.held.count(commandId)) {
    MsgShowArgsList(kMsgCommandRunning, 0, 0, 1,
                    {MsgArg{MsgArg::Kind::kText, title.c_str(), 0, 0},
                     MsgArg{MsgArg::Kind::kNumber, nullptr, commandId, 0}});
    return 0;
  }
  const int fd = LockFile();
  if (fd >= 0 && !LockByte(fd, commandId, F_WRLCK)) {
    MsgShowArgsList(kMsgCommandRunningElsewhere, 0, 0, 1,
                    {MsgArg{MsgArg::Kind::kText, title.c_str(), 0, 0},
                     MsgArg{MsgArg::Kind::kNumber, nullptr, commandId, 0}});
    return 0;
  }
  s.held[commandId] = qxb::CommandDepth();
  return 1;
}

bool CommandAccessHeld(int commandId) { return Locks().held.count(commandId) != 0; }
