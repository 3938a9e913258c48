// Saves a workbook as an .xlsx file.  The only place that knows the file
// format (through libxlsxwriter).
#pragma once

#include <string>

#include "automation/spreadsheet/workbook.h"

namespace qx::automation::spreadsheet {

// Writes `workbook` to exactly `path` (whatever its extension).  The file is
// written beside its final place under a temporary name and renamed over
// `path` once complete, so a reader sees the old file or the new one, never
// a part; a file it replaces keeps its permissions.  Returns an empty text on
// success, else what went wrong (and `path` is untouched).
std::string SaveWorkbookFile(const Workbook& workbook, const std::string& path);

}  // namespace qx::automation::spreadsheet
