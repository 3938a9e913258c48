// Date text in report parameter strings.
//
// Dates travel in parameter strings as the screen library's date text
// (DateToText) and are read back with its DateFromText, so that a saved run
// shows and reads dates the way the selection screens do.  These two calls
// reach the screen library through a seam: SetParamDateCalls installs its
// functions; until then a local month/day/year form stands in ("03/31/24";
// DateFromText also takes a four-digit year, and reads a two-digit year yy as
// 20yy when yy < 50, else 19yy).
//
// Both calls use day numbers (daynumber.h); day 0 means "no date" and is
// written as the empty text, which reads back as 0.
#pragma once

#include <cstddef>
#include <cstdint>

// Room for any date text, NUL included.
constexpr std::size_t kParamDateTextSize = 16;

// Writes the date text of `day` into `out` (`size` bytes, NUL-terminated);
// the empty text for day 0.
using ParamDateToTextFn = void (*)(std::int32_t day, char* out, std::size_t size);

// The day number of a date text; 0 when the text is blank or not a valid date.
using ParamDateFromTextFn = std::int32_t (*)(const char* text);

// Installs the screen library's date calls; a null argument restores the
// local form for that call.  Call it once at start-up, before any report runs.
void SetParamDateCalls(ParamDateToTextFn toText, ParamDateFromTextFn fromText);

// The installed calls.
void ParamDateToText(std::int32_t day, char* out, std::size_t size);
std::int32_t ParamDateFromText(const char* text);
