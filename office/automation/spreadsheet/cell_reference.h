// A1-style references as a worksheet's Range member takes them: a cell
// ("B3", "$B$3"), a rectangle ("B3:E7", corners in any order) or whole
// columns ("A:IV").  Columns run A..XFD, rows 1..1,048,576.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "automation/spreadsheet/workbook.h"

namespace qx::automation::spreadsheet {

// The area `text` names, or nothing when it is not a reference.
std::optional<Area> ParseReference(std::string_view text);

// The smallest area holding both.
Area Span(const Area& a, const Area& b);

// The area as text ("B3", "B3:E7", "A:IV"), for messages.
std::string ReferenceText(const Area& area);

}  // namespace qx::automation::spreadsheet
