// Files, paths, memory and item lists.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <strings.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include "internal.h"

int FileAccess(const char* path, int mode) {
  if (!path || !*path) return -1;
  int how = F_OK;
  if (mode & 2) how |= W_OK;
  if (mode & 4) how |= R_OK;
  return ::access(path, how) == 0 ? 0 : -1;
}

int FileOpen(const char* path, int mode, int, int, int* handle) {
  if (!path || !handle) return EINVAL;
  int flags = O_CLOEXEC;
  switch (mode & 3) {
    case kFileWrite: flags |= O_WRONLY; break;
    case kFileReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
  }
  if (mode & kFileCreate) flags |= O_CREAT;
  if (mode & kFileTruncate) flags |= O_TRUNC;
  int fd = ::open(path, flags, 0644);
  if (fd < 0 && (mode & 3) == kFileReadWrite && (errno == EACCES || errno == EROFS))
    fd = ::open(path, (flags & ~O_RDWR) | O_RDONLY, 0644);
  if (fd < 0) return errno ? errno : EIO;
  *handle = fd;
  return 0;
}

int FileRead(int handle, void* buffer, unsigned size, unsigned* count) {
  if (count) *count = 0;
  std::size_t done = 0;
  auto* p = static_cast<char*>(buffer);
  while (done < size) {
    ssize_t n = ::read(handle, p + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (count) *count = static_cast<unsigned>(done);
  return 0;
}

int FileWrite(int handle, const void* buffer, unsigned size, unsigned* count) {
  if (count) *count = 0;
  std::size_t done = 0;
  auto* p = static_cast<const char*>(buffer);
  while (done < size) {
    ssize_t n = ::write(handle, p + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  if (count) *count = static_cast<unsigned>(done);
  return 0;
}

int FileClose(int handle) { return ::close(handle) == 0 ? 0 : errno; }

int FileDelete(const char* path) {
  if (!path) return EINVAL;
  return ::unlink(path) == 0 ? 0 : errno;
}

int FileRename(const char* from, const char* to) {
  if (!from || !to) return EINVAL;
  return std::rename(from, to) == 0 ? 0 : errno;
}

namespace {

// A file named case-insensitively in `dir`; empty when none.
std::string FindNoCase(const std::filesystem::path& dir, const std::string& name) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    std::string f = entry.path().filename().string();
    if (strcasecmp(f.c_str(), name.c_str()) == 0) return entry.path().string();
  }
  return {};
}

}  // namespace

int FileVersionGet(const char* name, unsigned* ms, unsigned* ls, int, int) {
  std::filesystem::path program = AppProgramFolder();
  bool found = false;
  if (!name) {
    found = true;
  } else {
    std::filesystem::path n(name);
    if (n.is_absolute()) {
      found = std::filesystem::exists(n);
    } else {
      for (const auto& dir : {program, program / ".." / "common", program / "common"})
        if (!FindNoCase(dir, name).empty()) {
          found = true;
          break;
        }
    }
  }
  if (!found) return 0;
#ifdef QX_VERSION_MAJOR
  const unsigned major = QX_VERSION_MAJOR, minor = QX_VERSION_MINOR, patch = QX_VERSION_PATCH;
#else
  const unsigned major = 0, minor = 0, patch = 0;
#endif
  if (ms) *ms = major << 16 | minor;
  if (ls) *ls = patch << 16;
  return 1;
}

char* PathAddSlash(char* path) {
  if (!path) return path;
  std::size_t n = std::strlen(path);
  if (n == 0 || path[n - 1] != '/') {
    path[n] = '/';
    path[n + 1] = 0;
  }
  return path;
}

void* MemAlloc(std::size_t count, std::size_t size) {
  if (count == 0 || size == 0) return nullptr;
  if (count > SIZE_MAX / size) return nullptr;
  return std::calloc(count, size);
}

void MemFree(void* block) { std::free(block); }

std::size_t MemAvailable() {
  struct sysinfo si {};
  std::size_t avail = 0x7FFFFFFF;
  if (sysinfo(&si) == 0) {
    unsigned long long bytes = static_cast<unsigned long long>(si.freeram) * si.mem_unit;
    if (bytes < avail) avail = static_cast<std::size_t>(bytes);
  }
  return avail;
}

int ListInit(ItemList* list, std::size_t itemSize) {
  if (!list) return -1;
  list->itemSize = itemSize;
  list->items.clear();
  return 0;
}

int ListAdd(ItemList* list, const void* item) {
  if (!list || !item || list->itemSize == 0) return -1;
  try {
    auto* p = static_cast<const unsigned char*>(item);
    list->items.insert(list->items.end(), p, p + list->itemSize);
  } catch (...) {
    return -1;
  }
  return 0;
}

int ListCount(const ItemList* list) {
  return list && list->itemSize ? static_cast<int>(list->items.size() / list->itemSize) : 0;
}

int ListGet(const ItemList* list, int index, void* item) {
  if (!list || !item || index < 0 || index >= ListCount(list)) return -1;
  std::memcpy(item, list->items.data() + static_cast<std::size_t>(index) * list->itemSize, list->itemSize);
  return 0;
}

void* ListAt(ItemList* list, int index) {
  if (!list || index < 0 || index >= ListCount(list)) return nullptr;
  return list->items.data() + static_cast<std::size_t>(index) * list->itemSize;
}

void ListFree(ItemList* list) {
  if (!list) return;
  list->items.clear();
  list->items.shrink_to_fit();
}
