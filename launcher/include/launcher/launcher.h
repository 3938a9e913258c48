// qxl15, the launcher: starts the main program qxa15 from the launcher's own
// folder with the launcher's arguments, the product's "common" folder (the
// parent folder's "common", where the shared libraries lie) first on the
// library search path.
//
// The launcher's folder must have a parent folder: a launcher in the root
// folder is refused.  The main program replaces the launcher's process
// (execv, no shell), so its exit status is the launcher's.
#pragma once

#include <string>
#include <vector>

namespace qxl {

// What the launcher does for the launcher file `selfPath` (an absolute path).
struct LaunchPlan {
  bool valid = false;         // false: the folder has no parent folder
  std::string mainProgram;    // the folder's "qxa15" with the launcher's own extension
  std::string workingFolder;  // the launcher's folder
  std::string commonFolder;   // the parent folder's "common"
};
LaunchPlan PlanLaunch(const std::string& selfPath);

// `path` as seen from `folder` (an absolute folder): a relative path is
// put under the folder; an absolute or empty one is returned as it is.
std::string PathFromFolder(const std::string& folder, const std::string& path);

// True when the ':'-separated search path `list` holds `folder` as one of
// its entries (letter case counts; a trailing '/' does not).
bool SearchPathHolds(const std::string& list, const std::string& folder);

// The library search path with `commonFolder` first: `current` unchanged
// when it holds the folder already, else the folder, ':' and `current` (the
// folder alone when `current` is null or empty, so that no empty entry, which
// would mean the current folder, is added).
std::string SearchPathWith(const std::string& commonFolder, const char* current);

// The main program's arguments: argv[0] the main program, then the
// launcher's own arguments, none when they are all blank.
std::vector<std::string> MainProgramArguments(const std::string& mainProgram, int argc,
                                              const char* const* argv);

// The launcher: returns only when the main program could not be started
// (non-zero, after a message on standard error).  The main program learns
// the folder the user started in from QX_START_FOLDER (kept when set), and
// relative QX_KEYS and QX_TRANSCRIPT paths are made absolute from it, since
// the main program starts in its own folder.
int LauncherMain(int argc, char** argv);

}  // namespace qxl
