// Files by number: file sets, paths and table names, temporary record files.
//
// A command names the record-manager files it needs by `RecordFileNo`
// (records/dictionary.h) and opens them together as a file set; the set is
// closed on every way out (its destructor closes it too, so a set that goes
// out of scope is never left open).  The company's files live in the company
// folder (SharedAppBlock::companyPath); the base files (93, 96-100) in the
// base-data folder; the journal column dictionary (94) and the field
// dictionary (95) in the data-dictionary folder.  Temporary record files
// live in a folder of this program's own that is removed when it ends.
//
// Record files are not operating-system files: whether one exists, and
// deleting or renaming one, go through the record manager (BtrvFileExists,
// BtrvFileDelete, BtrvFileRename with the path that FilePathGet or FileCreate
// gives).
#pragma once

#include <cstdint>
#include <type_traits>

#include "btrvc.h"

// --- File sets ------------------------------------------------------------------

inline constexpr int kFileSetMaxFiles = 19;

// Open modes ORed into a file number of a file-set list (27 | 0x400).
inline constexpr int kFileModeShared = 0x100;     // shared use
inline constexpr int kFileModeReadOnly = 0x200;   // read only: writes answer 46
inline constexpr int kFileModeExclusive = 0x400;  // exclusive use: 85 while another program has it open
inline constexpr int kFileModeMask = 0x700;

// The files of one command, in the order of its list.  Not copyable; closed
// by FileSetClose or when it goes out of scope.
struct FileSet {
  FileSet() = default;
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;
  ~FileSet();

  int count = 0;                                // files open; 0 when closed
  int fileNo[kFileSetMaxFiles] = {};            // RecordFileNo of each, mode bits removed
  BtrvHandle handle[kFileSetMaxFiles] = {};     // in list order
  std::uint8_t* record[kFileSetMaxFiles] = {};  // a zeroed buffer of the file's record length
  unsigned recordLength[kFileSetMaxFiles] = {};

  // The handle of the first file of the set numbered `fileNo`; 0 when none.
  BtrvHandle HandleOf(int fileNo) const;
};

// Opens the files of the zero-ended list (1 to 19 numbers, each optionally
// ORed with one open mode) into `set`, their handles in list order; a file
// named twice gets two handles.  Returns 0, or the record-manager status of
// the first file that failed: the files opened before it are closed again
// and the record-manager error box has named the file.  A list that is
// empty, longer than 19 or names a file the system does not know is refused
// with a message (status 1).  A set that is still open is closed first.
int FileSetOpenList(FileSet* set, const int* zeroEndedList);

// FileSetOpenList for a command that must have its files while another
// program may hold one of them for a while (a posting of the same company
// opens them for itself alone): a file that another program has open in a
// mode that excludes this one (85) is waited for, up to `waitMillis`, under
// a wait window.  Meanwhile the files opened are closed again and the whole
// list is tried again, so that a program never holds some of its files
// while it waits for the rest.  Then as FileSetOpenList: 0, or the status of
// the file that failed after the error box.  A `waitMillis` of 0 waits for
// nothing.
int FileSetOpenListWaiting(FileSet* set, const int* zeroEndedList, int waitMillis);

// FileSetOpen(&set, 27 | mode, 26 | mode, 23, 1 | mode, 0): the list as the
// callers write it, ended by 0.
template <class... Ids>
int FileSetOpen(FileSet* set, Ids... ids) {
  static_assert(((std::is_integral_v<Ids> || std::is_enum_v<Ids>) && ...), "file numbers are ints");
  const int list[] = {static_cast<int>(ids)..., 0};
  return FileSetOpenList(set, list);
}

// Closes every file of the set and frees its buffers.  Closing a set twice,
// or one that never opened, does nothing.
void FileSetClose(FileSet* set);

// --- Paths and names ---------------------------------------------------------------

// File numbers beyond the company's files.
inline constexpr int kFileBaseConvert = 93;       // the base file converted once at start-up
inline constexpr int kFileColumnDictionary = 94;  // WQXACCOL.DB, the journals' column dictionary
inline constexpr int kFileFieldDictionary = 95;   // the data dictionary of fields (DictQueryInit)
inline constexpr int kFileBaseFirst = 96;         // base files 96-100, opened at start-up
inline constexpr int kFileBaseLast = 100;

// The full path of file `fileNo` (mode bits ignored): its folder (above) and
// its name.  "" for a number the system does not know, or when its folder is
// not set.  The company's files are in the company folder, except the
// remembered report values (records::kFileReportMru), which are the user's:
// in $XDG_STATE_HOME/quarlex/remembered/<company folder's name>-<hash of its
// path>.  The text lives until eight more calls of FilePathGet.
const char* FilePathGet(int fileNo);

// The same into `out` (`size` bytes).  Returns 0, or −1 when the number is
// unknown or the path does not fit.
int FilePathGet(int fileNo, char* out, int size);

// The table name of file `fileNo` (mode bits ignored): its name in the data
// dictionary ("customers", "WQXACCOL.DB").  "" for an unknown number.  The
// text is constant.
const char* FileTableName(int fileNo);

// --- Temporary record files ----------------------------------------------------------

// The folder of this program's temporary record files (made on first use,
// removed when the program ends).  "" when it cannot be made.
const char* TempFolderGet();

// For a temporary file the data dictionary defines ("TEMPCUST.DB",
// "TEMPCSVD.DB"): the file's path in the temporary folder into `pathOut`
// (at least 260 bytes; may be null) and its key specification as BtrvCreate
// takes it (16-byte segments) into `keySpecs` (may be null; room for 8
// segments), the number of keys into *keyCount (may be null).  Returns 0, or
// 1 when the dictionary does not know the name (nothing is written).
int TempFilePathGet(const char* name, char* pathOut, int* keyCount, void* keySpecs);

// Creates the temporary record file `name` in the temporary folder from a
// 16-byte file specification and its key segments (as BtrvCreate takes
// them; a file of that name made earlier and closed since is replaced) and
// opens it with `mode` (0 or 0x100 shared, 0x400 exclusive) into *handle;
// the full path goes into `pathOut` (at least 260 bytes).  Returns 0, or the
// record-manager status after the error box (nothing is left open).
int FileCreate(int mode, BtrvHandle* handle, char* pathOut, const char* name, const void* fileSpec,
               const void* keySpecs);
