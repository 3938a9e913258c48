// The warehouse status summary and master item activity (command 398).
#pragma once

// Entry of command 398.  Returns 0.
int RunWarehouseStatusReport();
