// A1 names of the cells a request addresses.
#pragma once

#include <string>

namespace qx::office {

inline constexpr int kMaxRequestRow = 1048576;  // the rows of an .xlsx sheet
inline constexpr int kMaxRequestColumn = 256;   // A..IV

// Sets *name to the A1 name of (row, column): columns 1..26 are A..Z, 27 is
// AA, 52 AZ, 53 BA, 256 IV; the row number follows.  Returns false and leaves
// *name alone when row is outside 1..kMaxRequestRow, column outside
// 1..kMaxRequestColumn or name is null.
bool MakeCellName(int row, int column, std::string* name);

}  // namespace qx::office
