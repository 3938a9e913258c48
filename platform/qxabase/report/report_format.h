// Formatting of column values by their printf-like formats.
//
// Column formats come from the reports' static tables ("%-14s", "%c",
// "%11.2f", "%11.4fF", "%-10.10s", "%5d", a picture such as "nn/nn/nn" for a
// date).  They are never handed to printf as they stand: the one conversion
// is parsed and rebuilt for the value's own type, so that a format that does
// not match its column's kind prints something sensible instead of reading
// the wrong type.  A number is never shown as another, rounded one: one too
// wide for its column is told as such (CellText), never cut down.
#pragma once

#include <string>

#include "qxabase/report.h"

namespace qxreport {

struct FormatSpec {
  std::string prefix;     // literal text before the conversion
  std::string suffix;     // literal text after it (a type letter F, C or m is dropped)
  bool left = false;      // '-'
  bool zero = false;      // '0'
  bool plus = false;      // '+'
  bool space = false;     // ' '
  bool alternate = false; // '#'
  int width = -1;         // -1 none
  int precision = -1;     // -1 none
  char conversion = 0;    // s c d i u x X o f F e E g G; 0 when the format holds none
};

FormatSpec ParseFormat(const char* format);

// The column's value as its kind and format make it (code page 437), before
// any alignment in a field.  A number is never cut or rounded to fit its
// field: one wider than the field comes whole.  A null value gives "".
std::string FormatColumnValue(const TagReportColumn& column);

// What a column puts on its line: its text, and for a number wider than its
// field the field's width (0 when the text fits).  Such a number's text is
// the number whole, without blanks; `flushLeft` when the column keeps a
// number at its field's start (a '-' format or left alignment), else at its
// end.  The renderers show it as a run of '*' filling the field (text,
// preview, printer) or whole in a widened column (HTML).
struct CellText {
  std::string text;
  int field = 0;
  bool flushLeft = false;
};
CellText ColumnCell(const TagReportColumn& column);

// The cell text of a column as a page of fixed width shows it: the formatted
// value placed in its field when the column asks for an alignment, a number
// wider than its field as a run of '*' that fills the field.
std::string ColumnCellText(const TagReportColumn& column);

// The width of the column's field: its `width`, else the format's width,
// else the width of `text`.
int ColumnFieldWidth(const TagReportColumn& column, const std::string& text);

// hh:mm:ss of seconds since midnight; "" outside a day.
std::string TimeText(long seconds);

}  // namespace qxreport
