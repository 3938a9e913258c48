// Date text in report parameter strings.
//
// Dates travel in parameter strings as the screen library's date text
// (DateToText, "mm/dd/yy") and are read back with its DateFromText, so that a
// saved run shows and reads dates the way the selection screens do.  Both
// calls use day numbers; day 0 means "no date" and is written as the empty
// text, which reads back as 0.
#pragma once

#include <cstddef>
#include <cstdint>

// Room for any date text, NUL included.
constexpr std::size_t kParamDateTextSize = 16;

// Writes the date text of `day` into `out` (`size` bytes, NUL-terminated);
// the empty text for day 0.
void ParamDateToText(std::int32_t day, char* out, std::size_t size);
// The day number of a date text; 0 when the text is blank or not a valid date.
std::int32_t ParamDateFromText(const char* text);
