#include "lock_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace btrvc {
namespace {

constexpr off_t kMapSize = 4096;
// Open modes lock one byte per file at kOpenBase + id; record locks one byte
// at id * 2^32 + position, above every open-mode byte.
constexpr off_t kOpenBase = 1 << 20;
// The byte a process waiting for the write lock holds shared, below every
// open-mode byte (file ids start at 1).
constexpr off_t kWaitingByte = kOpenBase;

off_t OpenByte(std::int64_t fileId) { return kOpenBase + static_cast<off_t>(fileId); }
off_t RecordByte(std::int64_t fileId, std::int64_t position) {
  return static_cast<off_t>(fileId) << 32 | static_cast<off_t>(position & 0xFFFFFFFF);
}

bool SetLock(int fd, short type, off_t start, off_t length) {
  struct flock fl{};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = length;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// True when a lock of `type` on the range would conflict with a lock that
// another descriptor holds.
bool Conflicts(int fd, short type, off_t start, off_t length) {
  struct flock fl{};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = length;
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

}  // namespace

LockFile::~LockFile() {
  if (commits_ != nullptr) munmap(commits_, kMapSize);
  if (fd_ >= 0) close(fd_);
}

int LockFile::Open(const std::string& folder) {
  path_ = folder + "/qxrecords.lock";
  fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) return errno;
  struct stat st{};
  if (fstat(fd_, &st) != 0) return errno;
  if (st.st_size < kMapSize && ftruncate(fd_, kMapSize) != 0) return errno;
  void* map = mmap(nullptr, kMapSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (map == MAP_FAILED) return errno;
  commits_ = static_cast<std::atomic<std::uint64_t>*>(map);
  return 0;
}

std::uint64_t LockFile::Commits() const { return commits_->load(std::memory_order_acquire); }

std::uint64_t LockFile::CountCommit() {
  return commits_->fetch_add(1, std::memory_order_acq_rel) + 1;
}

bool LockFile::SetOpenMode(std::int64_t fileId, int mode) {
  const short type = mode == 0 ? F_UNLCK : mode == 1 ? F_RDLCK : F_WRLCK;
  return SetLock(fd_, type, OpenByte(fileId), 1);
}

bool LockFile::OpenElsewhere(std::int64_t fileId) const {
  return Conflicts(fd_, F_WRLCK, OpenByte(fileId), 1);
}

bool LockFile::RecordLocked(std::int64_t fileId, std::int64_t position) const {
  return Conflicts(fd_, F_WRLCK, RecordByte(fileId, position), 1);
}

void LockFile::SetWaiting(bool waiting) { SetLock(fd_, waiting ? F_RDLCK : F_UNLCK, kWaitingByte, 1); }

bool LockFile::OthersWaiting() const { return Conflicts(fd_, F_WRLCK, kWaitingByte, 1); }

int LockFile::OpenHandleDescriptor() const { return open(path_.c_str(), O_RDWR | O_CLOEXEC); }

bool LockFile::LockRecord(int fd, std::int64_t fileId, std::int64_t position) {
  return SetLock(fd, F_WRLCK, RecordByte(fileId, position), 1);
}

void LockFile::UnlockRecord(int fd, std::int64_t fileId, std::int64_t position) {
  SetLock(fd, F_UNLCK, RecordByte(fileId, position), 1);
}

void LockFile::UnlockAllRecords(int fd, std::int64_t fileId) {
  SetLock(fd, F_UNLCK, RecordByte(fileId, 0), off_t{1} << 32);
}

void LockFile::AbandonAfterFork() {
  if (commits_ != nullptr) munmap(commits_, kMapSize);
  if (fd_ >= 0) close(fd_);
  commits_ = nullptr;
  fd_ = -1;
}

}  // namespace btrvc
