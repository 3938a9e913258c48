// Day numbers: the system's one representation of a date.
//
// Day 1 is 1 January 1900; 0 means "no date".  Stored records keep dates as
// int32 day numbers, so they compare and subtract as plain integers.  These
// functions convert between day numbers and civil (proleptic Gregorian)
// dates; they are constexpr and have no dependencies.
#pragma once

#include <cstdint>

namespace daynum {

struct CivilDate {
  int year;
  int month;  // 1-12
  int day;    // 1-31
};

constexpr bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

constexpr bool IsValidCivil(int year, int month, int day) {
  return year >= 1900 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

namespace detail {
// Days from 1970-01-01 to the given civil date (any valid date).
constexpr std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}
constexpr std::int64_t kEpochOffset = DaysFromCivil(1900, 1, 1) - 1;  // day 1 = 1900-01-01
}  // namespace detail

// The day number of a valid civil date; 0 when the date is not valid.
constexpr std::int32_t FromCivil(int year, int month, int day) {
  if (!IsValidCivil(year, month, day)) return 0;
  return static_cast<std::int32_t>(detail::DaysFromCivil(year, month, day) - detail::kEpochOffset);
}

// The civil date of a day number (>= 1).  Day 0 gives {0, 0, 0}.
constexpr CivilDate ToCivil(std::int32_t dayNumber) {
  if (dayNumber <= 0) return {0, 0, 0};
  std::int64_t z = dayNumber + detail::kEpochOffset + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

static_assert(FromCivil(1900, 1, 1) == 1);
static_assert(FromCivil(1900, 3, 1) == 60);  // 1900 is not a leap year
static_assert(ToCivil(FromCivil(2024, 2, 29)).day == 29);

}  // namespace daynum
