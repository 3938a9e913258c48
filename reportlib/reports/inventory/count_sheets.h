// Product count sheets (command 356): one line per selected product with
// its identity, buying measure and fraction, warehouse, department, bin and
// vendor, and blank rules for the units and fractions counted and a remark;
// a count per group under a grouping sort and the total.
#pragma once

// Entry of command 356.  Returns 0.
int RunProductCountSheets();
