// General-ledger posting (command 320): posts the unposted general-ledger
// transactions of the fiscal period of a posting date into the accounts,
// enters check transactions in the check register, and marks each posted
// transaction (or deletes it, as the screen's option says).
#pragma once

// The command's entry, called by the dispatcher inside the command frame.
// Shows the posting screen (posting/posting_frame.h) and returns 0 when it is
// left, whatever was posted.
int RunGLPost();
