#include "automation/wordprocessor/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace qx::automation::wordprocessor {

namespace {

std::string SystemError(const std::string& what, int error) { return what + ": " + std::strerror(error) + "."; }

// Closes a descriptor on every way out.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Writes `bytes` to a new temporary file in `folder` and flushes it; sets
// *name.  Permissions are those of `existing` when given.
std::string WriteTemporary(const std::string& folder, std::string_view bytes, const struct stat* existing,
                           std::string* name) {
  std::random_device random;
  Descriptor file;
  for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", random());
    *name = folder + "/.qxsave-" + suffix + ".tmp";
    file.fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file.fd < 0 && errno != EEXIST) {
      return SystemError("Cannot create a file in the folder \"" + folder + "\"", errno);
    }
  }
  if (file.fd < 0) return "Cannot create a temporary file in the folder \"" + folder + "\".";
  if (existing) ::fchmod(file.fd, existing->st_mode & 07777);
  std::string error;
  for (std::size_t done = 0; done < bytes.size() && error.empty();) {
    const ssize_t n = ::write(file.fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) error = SystemError("Cannot write \"" + *name + "\"", errno);
    else done += static_cast<std::size_t>(n);
  }
  if (error.empty() && ::fsync(file.fd) != 0 && errno != EINVAL) {
    error = SystemError("Cannot flush \"" + *name + "\"", errno);
  }
  if (!error.empty()) ::unlink(name->c_str());
  return error;
}

void SyncFolder(const std::string& folder) {
  Descriptor dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (dir.fd >= 0) ::fsync(dir.fd);  // some file systems refuse; the rename stands anyway
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string ReadWholeFile(const std::string& path, std::size_t limit, std::string* bytes) {
  Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return SystemError("\"" + path + "\"", errno);
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) return SystemError("\"" + path + "\"", errno);
  if (!S_ISREG(info.st_mode)) return "\"" + path + "\" is not a file.";
  if (static_cast<std::size_t>(info.st_size) > limit) {
    return "\"" + path + "\" is larger than " + std::to_string(limit >> 20) + " MB.";
  }
  std::string data;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return SystemError("Cannot read \"" + path + "\"", errno);
    if (n == 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
    if (data.size() > limit) return "\"" + path + "\" is larger than " + std::to_string(limit >> 20) + " MB.";
  }
  *bytes = std::move(data);
  return {};
}

std::string ReplaceFile(const std::string& path, std::string_view bytes) {
  if (path.empty() || path.back() == '/') return "The file name is empty.";
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return "\"" + path + "\" is a folder.";
  const std::string folder = FolderOf(path);
  std::string temporary;
  if (std::string error = WriteTemporary(folder, bytes, exists ? &existing : nullptr, &temporary); !error.empty()) {
    return error;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return SystemError("Cannot replace \"" + path + "\"", error);
  }
  SyncFolder(folder);
  return {};
}

std::string WriteNewFile(const std::string& folder, const std::string& stem, const std::string& extension,
                         std::string_view bytes, std::string* path) {
  std::string temporary;
  if (std::string error = WriteTemporary(folder, bytes, nullptr, &temporary); !error.empty()) return error;
  // The name is claimed with an exclusive create, so a file that exists (or
  // appears meanwhile) is never replaced; the complete file then takes the
  // claimed name in one rename.
  for (int n = 1; n <= 9999; ++n) {
    const std::string name = folder + "/" + stem + (n == 1 ? "" : "-" + std::to_string(n)) + extension;
    Descriptor claim{::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666)};
    if (claim.fd < 0) {
      if (errno == EEXIST) continue;
      const int error = errno;
      ::unlink(temporary.c_str());
      return SystemError("Cannot create \"" + name + "\"", error);
    }
    if (::rename(temporary.c_str(), name.c_str()) != 0) {
      const int error = errno;
      ::unlink(temporary.c_str());
      ::unlink(name.c_str());
      return SystemError("Cannot create \"" + name + "\"", error);
    }
    SyncFolder(folder);
    *path = name;
    return {};
  }
  ::unlink(temporary.c_str());
  return "The folder \"" + folder + "\" has no free name for \"" + stem + extension + "\".";
}

}  // namespace qx::automation::wordprocessor
