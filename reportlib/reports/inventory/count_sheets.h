// Product count sheets (command 356).
#pragma once

// Entry of command 356.  Returns 0.
int RunProductCountSheets();
