// G/L account checks of the base library.
#pragma once

// The company's adjustment account for physical inventory: when `account`
// (at least 11 bytes) is blank it is filled with the adjustment account of
// "0Interface" (offset 61).  Returns non-zero when that account is in the
// chart of accounts (file 1) and may be used, leaving it in `account`; else
// 0 after a message that names the account (or says that none is set).
int AccountExists(char* account);
