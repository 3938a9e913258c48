#include "automation/spreadsheet/cell_reference.h"

#include <algorithm>

namespace qx::automation::spreadsheet {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads "$AB" or "AB" into a column number; 0 when absent or out of range.
int ReadColumn(std::string_view& text) {
  std::string_view rest = text;
  if (!rest.empty() && rest.front() == '$') rest.remove_prefix(1);
  int column = 0;
  std::size_t letters = 0;
  while (letters < rest.size() && IsLetter(rest[letters])) {
    column = column * 26 + ((rest[letters] | 0x20) - 'a' + 1);
    if (++letters > 3) return 0;
  }
  if (letters == 0 || column > kMaxColumns) return 0;
  text = rest.substr(letters);
  return column;
}

// Reads "$12" or "12" into a row number; 0 when absent or out of range.
int ReadRow(std::string_view& text) {
  std::string_view rest = text;
  if (!rest.empty() && rest.front() == '$') rest.remove_prefix(1);
  if (rest.empty() || !IsDigit(rest.front()) || rest.front() == '0') return 0;
  int row = 0;
  std::size_t digits = 0;
  while (digits < rest.size() && IsDigit(rest[digits])) {
    row = row * 10 + (rest[digits] - '0');
    if (++digits > 7 || row > kMaxRows) return 0;
  }
  text = rest.substr(digits);
  return row;
}

// One end of a reference: a cell, or a column alone when columnsOnly.
bool ReadEnd(std::string_view text, bool columnsOnly, int* row, int* column) {
  *column = ReadColumn(text);
  if (*column == 0) return false;
  if (columnsOnly) return text.empty();
  *row = ReadRow(text);
  return *row != 0 && text.empty();
}

std::string ColumnLetters(int column) {
  std::string letters;
  for (; column > 0; column = (column - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
  }
  return letters;
}

}  // namespace

std::optional<Area> ParseReference(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view first = text.substr(0, colon);
  const std::string_view second = colon == std::string_view::npos ? first : text.substr(colon + 1);
  // Whole columns: no digit anywhere.
  const bool columnsOnly = colon != std::string_view::npos &&
                           std::none_of(text.begin(), text.end(), IsDigit);
  Area a, b;
  if (!ReadEnd(first, columnsOnly, &a.firstRow, &a.firstColumn) ||
      !ReadEnd(second, columnsOnly, &b.firstRow, &b.firstColumn)) {
    return std::nullopt;
  }
  a.lastRow = a.firstRow;
  a.lastColumn = a.firstColumn;
  b.lastRow = b.firstRow;
  b.lastColumn = b.firstColumn;
  Area area = Span(a, b);
  if (columnsOnly) {
    area.firstRow = 1;
    area.lastRow = kMaxRows;
    area.wholeColumns = true;
  }
  return area;
}

Area Span(const Area& a, const Area& b) {
  Area area;
  area.firstRow = std::min(a.firstRow, b.firstRow);
  area.lastRow = std::max(a.lastRow, b.lastRow);
  area.firstColumn = std::min(a.firstColumn, b.firstColumn);
  area.lastColumn = std::max(a.lastColumn, b.lastColumn);
  area.wholeColumns = a.wholeColumns && b.wholeColumns;
  return area;
}

std::string ReferenceText(const Area& area) {
  if (area.wholeColumns) {
    return ColumnLetters(area.firstColumn) + ":" + ColumnLetters(area.lastColumn);
  }
  std::string text = ColumnLetters(area.firstColumn) + std::to_string(area.firstRow);
  if (area.lastRow != area.firstRow || area.lastColumn != area.firstColumn) {
    text += ":" + ColumnLetters(area.lastColumn) + std::to_string(area.lastRow);
  }
  return text;
}

}  // namespace qx::automation::spreadsheet
