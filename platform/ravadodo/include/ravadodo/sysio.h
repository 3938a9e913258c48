// Files, paths, memory and item lists.
//
// Thin, checked wrappers over the operating system for the callers that work
// with handles and status numbers: every call returns 0 on success and a
// non-zero status otherwise (never throws).
#pragma once

#include <cstddef>
#include <vector>

// --- Files --------------------------------------------------------------------

// 0 when the path exists (mode 0), is readable (mode 4) or writable (mode 2),
// -1 otherwise.
int FileAccess(const char* path, int mode);

// Open modes: the low two bits choose 0 read, 1 write, 2 read and write;
// kFileCreate creates a missing file, kFileTruncate empties it.  Other bits
// (share modes) have no meaning here and are ignored.  A file that cannot be
// opened for writing because it is read-only is opened for reading when the
// mode asked for read and write.
inline constexpr int kFileRead = 0;
inline constexpr int kFileWrite = 1;
inline constexpr int kFileReadWrite = 2;
inline constexpr int kFileCreate = 0x1000;
inline constexpr int kFileTruncate = 0x2000;

// Opens `path`; `share` and `attributes` are ignored.  Sets *handle.  Returns
// 0, or the system's error number.
int FileOpen(const char* path, int mode, int share, int attributes, int* handle);
// Reads up to `size` bytes; *count gets the number read (0 at the end).
int FileRead(int handle, void* buffer, unsigned size, unsigned* count);
int FileWrite(int handle, const void* buffer, unsigned size, unsigned* count);
int FileClose(int handle);
int FileDelete(const char* path);
int FileRename(const char* from, const char* to);

// The version of a component file as two words (major << 16 | minor, patch
// << 16): every file of this build has the program's version.  `name` null
// is the program itself; otherwise the name is looked up (letter case
// ignored) in the program's folder and its library folders.  Returns 1 and
// sets the words when the file exists, 0 when it cannot be found.
int FileVersionGet(const char* name, unsigned* mostSignificant, unsigned* leastSignificant, int, int);

// Appends '/' to a path that does not end in one (`path` has room for one
// more character).  Returns path.
char* PathAddSlash(char* path);

// --- Memory -------------------------------------------------------------------

// count * size zeroed bytes; null when none (or when count * size overflows).
void* MemAlloc(std::size_t count, std::size_t size);
void MemFree(void* block);
// Bytes the program may still allocate (an estimate, at most 2 GiB - 1).
std::size_t MemAvailable();

// --- Item lists ---------------------------------------------------------------
// A growing list of fixed-size items (per-account totals, G/L lines).

struct ItemList {
  std::size_t itemSize = 0;
  std::vector<unsigned char> items;
};
// Starts an empty list of items of `itemSize` bytes.  Returns 0.
int ListInit(ItemList* list, std::size_t itemSize);
// Appends a copy of the item.  Returns 0, or -1 when out of memory.
int ListAdd(ItemList* list, const void* item);
// Copies item `index` (0-based) out.  Returns 0, or -1 past the end.
int ListGet(const ItemList* list, int index, void* item);
// The item in place (null past the end), for updating it.
void* ListAt(ItemList* list, int index);
int ListCount(const ItemList* list);
void ListFree(ItemList* list);
