// Date and time pictures as word processors write them: "dddd, MMMM dd, yyyy"
// gives "Monday, March 02, 2009" and "h:mm:ss am/pm" gives "3:07:09 pm".
//
//   d dd ddd dddd   day of the month (2, 02), weekday (Mon, Monday)
//   M MM MMM MMMM   month (3, 03, Mar, March)
//   yy yyyy         year (09, 2009); y and yyy count as yy and yyyy
//   h hh / H HH     hour on the 12-hour clock / on the 24-hour clock
//   m mm            minute      s ss   second
//   am/pm AM/PM     morning or afternoon, in the case written
//   'text'          text as it stands
// Any other character stands for itself.  Names are English.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace qx::automation::wordprocessor {

std::string FormatDateTime(std::string_view picture, const std::tm& time);

}  // namespace qx::automation::wordprocessor
