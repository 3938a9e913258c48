// What a spreadsheet makes of text typed into a cell (or put as a cell's
// value):
//
//   'text        text, without the apostrophe ("'0042" stays "0042")
//   =formula     a formula, when it reads as one: parentheses and quotes
//                close, no "==", it neither starts with an operator that needs
//                a left operand nor ends with one; otherwise ("=====",
//                "== Totals ==", a lone "=") it is text
//   number       a number with a format that shows it as typed, when the
//                text (blanks around it ignored) is: an optional sign, an
//                optional "$", digits with optional grouping commas (every
//                group of three), an optional "." and decimals, an optional
//                "%"; or such a number without a sign in parentheses, which
//                is negative.  "%" divides by 100.  "$" and "%" do not mix.
//   m/d/yyyy     a date (m/d/yy: years 00-29 are 2000-2029, 30-99 1930-1999),
//                shown "m/d/yyyy"; a date that does not exist is text
//   anything else  text, as typed
//
// Number formats: plain digits keep the cell's format ("-42" stays General);
// otherwise the format is built from what was typed: "$" prefix, "#,##0" for
// grouping or "0" without, ".00.." for the decimals typed, "%" suffix, and
// for parentheses the form "F_);(F)" that shows negatives in parentheses.
//   "1,234.50" -> 1234.5  "#,##0.00"      "$5"      -> 5       "$0"
//   "12.5%"    -> 0.125   "0.0%"          "(1,234)" -> -1234   "#,##0_);(#,##0)"
//   "3.10"     -> 3.1     "0.00"          "12/31/2009" -> date "m/d/yyyy"
#pragma once

#include <string_view>

#include "automation/spreadsheet/workbook.h"

namespace qx::automation::spreadsheet {

CellValue ReadTypedText(std::string_view text);

// The serial day number a spreadsheet stores for a date (1 = 1900-01-01,
// counting the nonexistent 1900-02-29 as its programs do), or 0 when the
// date does not exist or lies before 1900.
int DateSerial(int year, int month, int day);

}  // namespace qx::automation::spreadsheet
