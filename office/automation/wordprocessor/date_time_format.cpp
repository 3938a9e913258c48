#include "automation/wordprocessor/date_time_format.h"

#include <cstdio>

namespace qx::automation::wordprocessor {

namespace {

constexpr const char* kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

std::string Number(int value, std::size_t digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", static_cast<int>(digits), value);
  return text;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

}  // namespace

std::string FormatDateTime(std::string_view picture, const std::tm& time) {
  std::string out;
  std::size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (StartsWithIgnoringCase(picture.substr(i), "am/pm")) {
      const bool upper = c == 'A';
      const bool morning = time.tm_hour < 12;
      out += upper ? (morning ? "AM" : "PM") : (morning ? "am" : "pm");
      i += 5;
      continue;
    }
    if (c == '\'') {
      const std::size_t end = picture.find('\'', i + 1);
      const std::size_t stop = end == std::string_view::npos ? picture.size() : end;
      out.append(picture.substr(i + 1, stop - i - 1));
      i = stop == picture.size() ? stop : stop + 1;
      continue;
    }
    std::size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    switch (c) {
      case 'd': {
        const int weekday = time.tm_wday >= 0 && time.tm_wday < 7 ? time.tm_wday : 0;
        if (run >= 4) out += kWeekdays[weekday];
        else if (run == 3) out.append(kWeekdays[weekday], 3);
        else out += Number(time.tm_mday, run);
        break;
      }
      case 'M': {
        const int month = time.tm_mon >= 0 && time.tm_mon < 12 ? time.tm_mon : 0;
        if (run >= 4) out += kMonths[month];
        else if (run == 3) out.append(kMonths[month], 3);
        else out += Number(month + 1, run);
        break;
      }
      case 'y': {
        const int year = time.tm_year + 1900;
        out += run <= 2 ? Number(year % 100, 2) : Number(year, 4);
        break;
      }
      case 'h': {
        const int hour = time.tm_hour % 12 == 0 ? 12 : time.tm_hour % 12;
        out += Number(hour, run >= 2 ? 2 : 1);
        break;
      }
      case 'H': out += Number(time.tm_hour, run >= 2 ? 2 : 1); break;
      case 'm': out += Number(time.tm_min, run >= 2 ? 2 : 1); break;
      case 's': out += Number(time.tm_sec, run >= 2 ? 2 : 1); break;
      default: out.append(picture.substr(i, run)); break;
    }
    i += run;
  }
  return out;
}

}  // namespace qx::automation::wordprocessor
