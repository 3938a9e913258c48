// The menu libraries the main program calls at start-up, in this order:
// QXA-1, QXA-2, Qxa-3, QXA-4, QXA-5, QXA-6.  Each registers its command
// group's handler with the base library.  Qxa-3 (journals, posting,
// period-end and reports) is loaded from the program folder (libQxa-3.so)
// and its `RegisterMenuHandler` export called; the other five are linked.
#pragma once

#include <string>

namespace qxa {

// Calls the six initialisation exports.  A libQxa-3.so that is missing is
// left to the component check (which names it); one that is there but cannot
// be loaded, or lacks its export, is reported and gives false.
bool InitMenuLibraries(const std::string& programFolder);

}  // namespace qxa
