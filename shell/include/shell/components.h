// The start-up checks of the main program's installation: every component
// file present and of the main program's own version, and the one-time
// upgrade of the old-format base file 93.
//
// Components are the programs, shared libraries and data that play the
// parts of the product's components (the table in components.cpp maps each
// component to its file).  A program's or library's version is the ELF note
// "Quarlex" (type 1) that the build stamps into it (cmake/version_note.c);
// the screens data carry theirs in the text file QXA4BASE/qxascrns.ver.
// A version is two words: (major << 16 | minor, patch << 16).
#pragma once

#include <string>

namespace qxa {

// The file version of the component file `path` into *mostSignificant and
// *leastSignificant.  Returns 1, or 0 when the file cannot be read or carries
// no version.
int ComponentFileVersion(const char* path, unsigned* mostSignificant, unsigned* leastSignificant);

// Where the component files lie.
struct ComponentFolders {
  std::string mainProgram;  // the main program's own file
  std::string program;      // the program folder (libQxa-3.so)
  std::string common;       // the common folder (the platform libraries)
  std::string baseData;     // the base-data folder (the screens data)
};

// The folders of this run: /proc/self/exe and SharedAppBlock's program,
// common and base-data folders.
ComponentFolders ComponentFoldersOfRun();

// True when every component file is present and of the main program's
// version.  The first that is not is reported ("The file %s cannot be
// located." or "The file %s is the wrong version.", then "Please re-install
// the application."); a main program whose own version cannot be read gives
// false with nothing shown.
bool CheckComponentVersions(const ComponentFolders& folders);
bool CheckComponentVersions();

// Converts base file 93 (FilePathGet(93)) to the current record format when
// it is of an older one.  Returns UpgradeBaseFile's result.
int ConvertBaseFiles();

// Converts the record file `path` when its file-format version is below the
// current one (112): its records are copied into a new file of 98-byte
// records (page size 4096, the old file's keys) made beside it under the
// extension ".V11", which then replaces the old file in one step.  Returns 1
// when done or when there was nothing to do (no such file, or a file of the
// current format), 0 when it failed: the old file is then as it was and no
// ".V11" file is left.  A failure to open the files is shown in the
// record-manager error box.
int UpgradeBaseFile(const char* path);

}  // namespace qxa
