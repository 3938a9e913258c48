#include "param_dates.h"

#include <cstdio>

#include "ravadodo/text.h"

void ParamDateToText(std::int32_t day, char* out, std::size_t size) {
  if (size == 0) return;
  char text[kParamDateTextSize] = {};
  DateToText(text, day);
  std::snprintf(out, size, "%s", text);
}

std::int32_t ParamDateFromText(const char* text) {
  return text == nullptr ? 0 : DateFromText(text);
}
