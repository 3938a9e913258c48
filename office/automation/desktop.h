// Showing a saved file to the user: the desktop's opener (xdg-open) starts
// the program the user chose for the file.  Only where a display exists
// (DISPLAY or WAYLAND_DISPLAY set); on a text console or in a service there is
// nothing to show it on.
#pragma once

#include <string>

namespace qx::automation {

enum class ShowResult { kStarted, kNoDisplay, kFailed };

// Starts the opener on `path` and returns without waiting for it; its input
// and output go to /dev/null so that it cannot disturb a terminal program.
// On kFailed, *error says why.  Openers started earlier that have ended are
// reaped here.
ShowResult ShowFileOnDesktop(const std::string& path, std::string* error);

}  // namespace qx::automation
