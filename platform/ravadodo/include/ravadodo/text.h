// Dates, numbers, strings and screen texts.
//
// Dates are day numbers: day 1 is 1 January 1900, 0 means no date.  Date text
// on screens is mm/dd/yy; mm/dd/yyyy is accepted too.  A two-digit year yy
// means the year Y ending in yy with  T - 50 <= Y <= T + 49,  T being the year
// of today (with today in 2025: 00..74 -> 2000..2074, 75..99 -> 1975..1999).
//
// Money and quantities are doubles.  NumRound rounds half away from zero on
// the decimal value the double stands for (2.675 -> 2.68, -1.005 -> -1.01),
// as an accountant expects, not on the binary value.  Amounts compare at
// cents (NumIsZero, NumEqual).
//
// Texts are code page 437 and NUL-ended; functions that change a text do it in
// place and return it.
#pragma once

#include <string>

// --- Dates --------------------------------------------------------------------

// Today's day number.  The environment variable QX_TODAY=yyyy-mm-dd, or
// DateSetToday, fixes it (tests and scripted runs).
int DateToday();
// Fixes today (0 = the real date again).
void DateSetToday(int day);

// The date as "mm/dd/yy" into `out` (at least 9 bytes); "" for 0 or an
// impossible day number.  Returns out.
char* DateToText(char* out, int day);
// The same as "mm/dd/yyyy" (at least 11 bytes).
char* DateToTextLong(char* out, int day);
// The day number of a date text: m/d/yy or m/d/yyyy (separators '/', '-' or
// '.', blanks around the parts ignored).  0 when the text is blank
// ("  /  /  ") or not a valid date of 1900 or later.
int DateFromText(const char* text);
// 1 when the text is a valid date, 0 otherwise (a blank date is not valid).
int DateIsValid(const char* text);

// Day number <-> year, month, day (0 when the date is not valid).
int DateMake(int year, int month, int day);
void DateSplit(int day, int* year, int* month, int* dayOfMonth);
int DateYear(int day);
// Adds days; adds years keeping month and day (29 February becomes
// 28 February in a year that has none).  0 stays 0.
int DateAddDays(int day, int days);
int DateAddYears(int day, int years);
// Day numbers count days already: the number itself, so that two dates
// subtract to the days between them.
inline long DateToDays(int day) { return day; }
// Seconds since 1 January 1970 (UTC), as a creation stamp.
unsigned long DateTimeStamp();

// --- Numbers ------------------------------------------------------------------

// Rounds to `decimals` places (0..10), half away from zero on the decimal
// value.
double NumRound(double value, int decimals);
// True when the amount is zero at cents; the pointer form also sets such an
// amount to exactly 0.0.
bool NumIsZero(double value);
bool NumIsZero(double* value);
// True when the two amounts are equal at cents.
bool NumEqual(double a, double b);
// a / b, or 0 when b is 0.
double NumDivide(double a, double b);
// The value rounded to `decimals` places as text ("-1234.50"), no thousands
// separators, into `out` (at least 32 bytes).  Returns out.
char* NumToText(char* out, double value, int decimals);

// Formats `value` by a column format ("%11.2f", "%11.4fF", "%8.0fF", "%5d",
// "%-10s" is refused): the trailing type letter is dropped.  `decimals` > 0
// replaces the format's precision (the quantity's number of decimals); 0
// keeps it.  Writes into `out` (at least 64 bytes).  Returns the length, or -1
// for a format that is not a number format.
int StrFormatValue(char* out, const char* format, int decimals, double value);

// Formats a quantity by a column format ("%11.4fF") and the product's unit
// divisor (the number of units in one: 12 for a dozen).  `decimal` non-zero,
// or a divisor of 1 or less: the value in decimals, as StrFormatValue.
// `decimal` 0 and a divisor above 1: whole units and the rest as a fraction of
// the divisor, "2 6/12" for 2.5 with divisor 12, "2" when there is no rest,
// "-1 3/12" for -1.25; right-aligned in the format's width (left-aligned with
// "%-").  Writes into `out` (at least 64 bytes).  Returns the length, or -1
// for a format that is not a number format.
int StrFormatQuantity(char* out, const char* format, int decimal, int divisor, double value);

// Reads a quantity typed as decimals ("2.5", "-3"), as whole units and a
// fraction ("2 6/12", "6/12"), or, with a divisor above 1, as whole units and
// units of the divisor ("2 6" = 2 + 6/divisor).  Returns 0 and sets *value,
// or -1 when the text is not a quantity (then *value is unchanged).  A blank
// text is 0.
int TextToValue(const char* text, int divisor, double* value);

// --- Strings ------------------------------------------------------------------

// True when the text is empty or holds only blanks (NULs end it).
bool StrIsBlank(const char* text);

// Removes blanks by mode bits: 1 leading, 4 trailing, 2 every blank inside
// the text ("  /  /  " -> "//" with mode 7).  Modes in use: 4 trailing,
// 5 both ends, 7 every blank.  Returns text.
char* StrTrim(int mode, char* text);
// The same with another character than the blank (StrTrimChar(t, 6, '0')).
char* StrTrimChar(char* text, int mode, char ch);
// Pads with blanks to exactly `width` characters, cutting a longer text (the
// key form of codes).  `text` holds at least width + 1 bytes.  Returns text.
char* StrPad(char* text, int width);
// Right-aligns the text (trimmed of blanks at both ends) in `width`
// characters; a longer text is left as it is.  Returns text.
char* StrJustify(char* text, int width);
// Tells whether a text holds nothing under a picture of n and c ("nn/nn/nn",
// "(nnn) nnnnnnnn"): 1 when every place of the picture is blank (the text may
// show the picture's literal characters, or be empty), 0 when something was
// entered.  Reports use it to leave out an empty date or phone.
int StrApplyMask(const char* text, const char* picture);
// Lays the characters of `text` into a picture: literals of the picture are
// kept, the other characters fill the places in order ("0315" with
// "nn/nn" -> "03/15").  `out` holds at least strlen(picture) + 1 bytes.
char* StrMaskFormat(char* out, const char* text, const char* picture);

// --- Screen texts -------------------------------------------------------------
// Numbered blocks of texts kept as data: QXA4BASE/texts/text-NNN.txt with one
// line per entry,  N "text"  (N from 0), `#` comments.  Texts are UTF-8 in the
// file and code page 437 once loaded.

// Loads block `block` into texts[0 .. count-1] (entries missing from the
// file point at ""); the texts stay valid until ScreenTextFree(texts).
// Returns 0, or non-zero when the block is missing or damaged (a message box
// names the file and line).
int ScreenTextLoad(int block, const char** texts, int count);
// Frees the block loaded into `texts` (nothing when none is).
void ScreenTextFree(const char** texts);
