// The warehouse status reports (command 398): stock by master item, from
// one selection screen (the report, the master item field to sort and
// select by with its range, the field to rank by with its range; the last
// selection remembered per user under "WarehStatus").  "Summary" prints one
// line per master item with its sub-items' quantities and value taken
// together; "Detail", the master item activity, prints each sub-item with
// its own cost, then the consolidated line.  Master items without sub-items
// are left out.  The report goes to the preview.
#pragma once

// Entry of command 398.  Returns 0.
int RunWarehouseStatusReport();
