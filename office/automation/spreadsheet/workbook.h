// The workbook a spreadsheet server keeps in memory: sheets of cells, each
// cell a value and a style, column widths and styles, frozen panes and the
// active sheet.  Styles are interned per workbook, so a cell holds a small
// style id and equal styles are stored once.
//
// Rows and columns are 1-based and bounded by the .xlsx limits (1,048,576
// rows, 16,384 columns).  Nothing here knows the automation interface or the
// file format; the server objects and the file writer use it.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "automation/spreadsheet/object_model.h"

namespace qx::automation::spreadsheet {

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

// A colour as the object model gives it: 0xBBGGRR (red in the low byte), or
// kAutomaticColor for the program's default.
inline constexpr std::int32_t kAutomaticColor = -1;

// A rectangle of cells.  `wholeColumns` marks column references ("A:IV"),
// whose rows run from 1 to kMaxRows.
struct Area {
  int firstRow = 1;
  int firstColumn = 1;
  int lastRow = 1;
  int lastColumn = 1;
  bool wholeColumns = false;

  std::uint64_t CellCount() const {
    return std::uint64_t(lastRow - firstRow + 1) * std::uint64_t(lastColumn - firstColumn + 1);
  }
};

// One side of a cell's border, in object-model values.
struct BorderLine {
  std::int16_t lineStyle = kLineNone;
  std::int16_t weight = kWeightThin;
  std::int32_t color = kAutomaticColor;

  auto operator<=>(const BorderLine&) const = default;
};

struct Style {
  std::string fontName = "Calibri";
  double fontSize = 11;
  bool bold = false;
  bool italic = false;
  std::int16_t underline = kUnderlineNone;
  std::int32_t fontColor = kAutomaticColor;
  std::int16_t horizontalAlignment = kAlignGeneral;
  std::string numberFormat;  // empty: General
  BorderLine left, right, top, bottom, diagonalDown, diagonalUp;

  auto operator<=>(const Style&) const = default;
};

// The distinct styles of a workbook; id 0 is the default style.
class StyleTable {
 public:
  StyleTable();
  std::uint32_t Intern(const Style& style);
  const Style& operator[](std::uint32_t id) const { return styles_[id]; }
  std::size_t size() const { return styles_.size(); }

 private:
  std::vector<Style> styles_;
  std::map<Style, std::uint32_t> ids_;
};

enum class CellKind : std::uint8_t { kNone, kText, kNumber, kBoolean, kFormula };

// A value as a cell takes it.  kNone clears the value.  A non-empty
// numberFormat replaces the cell's format; an empty one keeps it.
struct CellValue {
  CellKind kind = CellKind::kNone;
  double number = 0;          // kNumber; kBoolean 0/1
  std::string text;           // kText; kFormula with its leading '='
  std::string numberFormat;
};

// A cell: its value (kind kNone for none) and its style.  A cell without a
// value but with a style is written as a formatted blank.
struct Cell {
  CellKind kind = CellKind::kNone;
  std::uint32_t style = 0;
  double number = 0;
  std::string text;
};

struct Column {
  double width = -1;  // characters; negative: the default width
  std::uint32_t style = 0;
};

// Where a cell lies within the area being changed: borders draw the outer
// edges on the area's outer cells and the inside lines between its cells.
struct CellPlace {
  bool firstRow, lastRow, firstColumn, lastColumn;
};

class Sheet {
 public:
  explicit Sheet(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }

  // The cell, or null when it was never written or formatted.
  const Cell* Find(int row, int column) const;
  // The cell, created when missing; a new cell takes its column's style.
  Cell& At(int row, int column);
  // The cells row by row: row r's cells are rows()[r - 1], indexed by column - 1
  // (cells of kind kNone with style 0 are placeholders).
  const std::vector<std::vector<Cell>>& rows() const { return rows_; }
  std::vector<std::vector<Cell>>& rows() { return rows_; }

  std::map<int, Column> columns;  // by column number; only changed columns
  int frozenRows = 0;
  int frozenColumns = 0;
  int activeRow = 1;  // the selected cell, where panes freeze
  int activeColumn = 1;

 private:
  std::string name_;
  std::vector<std::vector<Cell>> rows_;
};

struct Workbook {
  std::vector<std::shared_ptr<Sheet>> sheets;
  std::size_t activeSheet = 0;
  int sheetsCreated = 0;  // new sheets are named "Sheet" and the next number
  std::string path;       // where it was last saved; empty before
  StyleTable styles;

  // Inserts a new sheet at `position` (0-based) and returns it.
  std::shared_ptr<Sheet> AddSheet(std::size_t position);
  // The 0-based position of `sheet`, or sheets.size() when it is not here.
  std::size_t IndexOf(const Sheet* sheet) const;
};

// Changes the style of every cell of `area` by `change`, creating cells as
// needed.  For a whole-column area the columns' styles change (with rows as
// inside rows) and so do their existing cells; no other cell is created.
void ChangeStyle(Workbook& workbook, Sheet& sheet, const Area& area,
                 const std::function<void(Style&, const CellPlace&)>& change);

// Puts `value` into every cell of `area`.
void SetValue(Workbook& workbook, Sheet& sheet, const Area& area, const CellValue& value);

// Sets the width of the area's columns.
void SetColumnWidth(Sheet& sheet, const Area& area, double width);

}  // namespace qx::automation::spreadsheet
