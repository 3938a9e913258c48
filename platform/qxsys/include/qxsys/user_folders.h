// The folders of the user who runs the program, as the XDG base-directory
// conventions name them.  The installation's own folders are only read at
// run time; what a user changes, and the files of a run, go here.
//
// Each function answers an absolute path without a trailing slash and makes
// nothing; the caller creates what it writes (MakeFolders).
#pragma once

#include <string>

namespace qxsys {

// $XDG_CONFIG_HOME/quarlex (~/.config/quarlex when it is unset, empty or
// not absolute): settings the user chose (the registry values, the toolbar).
std::string UserConfigFolder();

// $XDG_STATE_HOME/quarlex (~/.local/state/quarlex): what the program
// remembers for the user (the values of report selection screens).
std::string UserStateFolder();

// The folder for a run's temporary files: $TMPDIR, else $XDG_RUNTIME_DIR,
// else /tmp (each only when set to an absolute path).
std::string TemporaryFolder();

// Makes `folder` and the folders above it that are missing (mode 0700).
// Returns "" or the reason it could not be made.
std::string MakeFolders(const std::string& folder);

}  // namespace qxsys
