#include "param_dates.h"

#include <cstdio>

#include "daynumber.h"

namespace {

// Stand-in for the screen library's DateToText: mm/dd/yy.
void LocalDateToText(std::int32_t day, char* out, std::size_t size) {
  if (size == 0) return;
  out[0] = '\0';
  if (day <= 0) return;
  const daynum::CivilDate d = daynum::ToCivil(day);
  std::snprintf(out, size, "%02d/%02d/%02d", d.month, d.day, d.year % 100);
}

// Reads 1 to `maxDigits` decimal digits at `p`; false when there are none or more.
bool ReadNumber(const char*& p, int maxDigits, int& value, int& digits) {
  value = 0;
  digits = 0;
  while (*p >= '0' && *p <= '9') {
    if (++digits > maxDigits) return false;
    value = value * 10 + (*p++ - '0');
  }
  return digits > 0;
}

// Stand-in for the screen library's DateFromText: m/d/yy or m/d/yyyy.
std::int32_t LocalDateFromText(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ') ++p;
  int month = 0, day = 0, year = 0, digits = 0;
  if (!ReadNumber(p, 2, month, digits) || *p++ != '/') return 0;
  if (!ReadNumber(p, 2, day, digits) || *p++ != '/') return 0;
  if (!ReadNumber(p, 4, year, digits) || (digits != 2 && digits != 4)) return 0;
  while (*p == ' ') ++p;
  if (*p != '\0') return 0;
  if (digits == 2) year += year < 50 ? 2000 : 1900;
  return daynum::FromCivil(year, month, day);
}

ParamDateToTextFn gToText = LocalDateToText;
ParamDateFromTextFn gFromText = LocalDateFromText;

}  // namespace

void SetParamDateCalls(ParamDateToTextFn toText, ParamDateFromTextFn fromText) {
  gToText = toText != nullptr ? toText : LocalDateToText;
  gFromText = fromText != nullptr ? fromText : LocalDateFromText;
}

void ParamDateToText(std::int32_t day, char* out, std::size_t size) { gToText(day, out, size); }

std::int32_t ParamDateFromText(const char* text) { return gFromText(text); }
