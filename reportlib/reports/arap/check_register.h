// The check register report (command 314).
#pragma once

// Entry of command 314.  Returns 0.
int RunCheckRegister();
