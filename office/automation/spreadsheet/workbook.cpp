#include "automation/spreadsheet/workbook.h"

#include <optional>
#include <unordered_map>
#include <utility>

namespace qx::automation::spreadsheet {

StyleTable::StyleTable() { Intern(Style{}); }

std::uint32_t StyleTable::Intern(const Style& style) {
  const auto [it, inserted] = ids_.try_emplace(style, static_cast<std::uint32_t>(styles_.size()));
  if (inserted) styles_.push_back(style);
  return it->second;
}

const Cell* Sheet::Find(int row, int column) const {
  if (row < 1 || static_cast<std::size_t>(row) > rows_.size()) return nullptr;
  const std::vector<Cell>& cells = rows_[row - 1];
  if (column < 1 || static_cast<std::size_t>(column) > cells.size()) return nullptr;
  const Cell& cell = cells[column - 1];
  return cell.kind == CellKind::kNone && cell.style == 0 ? nullptr : &cell;
}

Cell& Sheet::At(int row, int column) {
  if (static_cast<std::size_t>(row) > rows_.size()) rows_.resize(row);
  std::vector<Cell>& cells = rows_[row - 1];
  if (static_cast<std::size_t>(column) > cells.size()) {
    // Rows fill from the left a cell at a time: grow in steps of 16 columns.
    if (static_cast<std::size_t>(column) > cells.capacity()) cells.reserve((column + 15) / 16 * 16);
    cells.resize(column);
  }
  Cell& cell = cells[column - 1];
  if (cell.kind == CellKind::kNone && cell.style == 0) {
    if (const auto it = columns.find(column); it != columns.end()) cell.style = it->second.style;
  }
  return cell;
}

std::shared_ptr<Sheet> Workbook::AddSheet(std::size_t position) {
  auto sheet = std::make_shared<Sheet>("Sheet" + std::to_string(++sheetsCreated));
  sheets.insert(sheets.begin() + static_cast<std::ptrdiff_t>(position), sheet);
  return sheet;
}

std::size_t Workbook::IndexOf(const Sheet* sheet) const {
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (sheets[i].get() == sheet) return i;
  }
  return sheets.size();
}

namespace {

// Restyles many cells that mostly share a few styles: each (old style, place)
// pair is worked out and interned once.
class Restyler {
 public:
  Restyler(StyleTable& styles, const std::function<void(Style&, const CellPlace&)>& change)
      : styles_(styles), change_(change) {}

  std::uint32_t operator()(std::uint32_t old, const CellPlace& place) {
    const std::uint64_t key = std::uint64_t(old) << 4 | place.firstRow | place.lastRow << 1 |
                              place.firstColumn << 2 | place.lastColumn << 3;
    // Most changes touch one cell, or cells of one style: the last answer
    // saves the map.
    if (last_ && last_->first == key) return last_->second;
    if (const auto it = done_.find(key); it != done_.end()) return it->second;
    Style style = styles_[old];
    change_(style, place);
    const std::uint32_t id = styles_.Intern(style);
    if (last_) done_.emplace(last_->first, last_->second);
    last_.emplace(key, id);
    return id;
  }

 private:
  StyleTable& styles_;
  const std::function<void(Style&, const CellPlace&)>& change_;
  std::optional<std::pair<std::uint64_t, std::uint32_t>> last_;
  std::unordered_map<std::uint64_t, std::uint32_t> done_;
};

CellPlace PlaceIn(const Area& area, int row, int column) {
  return {row == area.firstRow, row == area.lastRow, column == area.firstColumn,
          column == area.lastColumn};
}

}  // namespace

void ChangeStyle(Workbook& workbook, Sheet& sheet, const Area& area,
                 const std::function<void(Style&, const CellPlace&)>& change) {
  Restyler restyle(workbook.styles, change);
  if (!area.wholeColumns) {
    for (int row = area.firstRow; row <= area.lastRow; ++row) {
      for (int column = area.firstColumn; column <= area.lastColumn; ++column) {
        Cell& cell = sheet.At(row, column);
        cell.style = restyle(cell.style, PlaceIn(area, row, column));
      }
    }
    return;
  }
  for (int column = area.firstColumn; column <= area.lastColumn; ++column) {
    Column& info = sheet.columns[column];
    info.style = restyle(info.style, {false, false, column == area.firstColumn,
                                      column == area.lastColumn});
  }
  auto& rows = sheet.rows();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int row = static_cast<int>(r) + 1;
    for (int column = area.firstColumn;
         column <= area.lastColumn && static_cast<std::size_t>(column) <= rows[r].size(); ++column) {
      Cell& cell = rows[r][column - 1];
      if (cell.kind == CellKind::kNone && cell.style == 0) continue;
      cell.style = restyle(cell.style, PlaceIn(area, row, column));
    }
  }
}

void SetValue(Workbook& workbook, Sheet& sheet, const Area& area, const CellValue& value) {
  const std::function<void(Style&, const CellPlace&)> setFormat =
      [&value](Style& style, const CellPlace&) { style.numberFormat = value.numberFormat; };
  Restyler restyle(workbook.styles, setFormat);
  for (int row = area.firstRow; row <= area.lastRow; ++row) {
    for (int column = area.firstColumn; column <= area.lastColumn; ++column) {
      Cell& cell = sheet.At(row, column);
      cell.kind = value.kind;
      cell.number = value.number;
      cell.text = value.text;
      if (!value.numberFormat.empty() && workbook.styles[cell.style].numberFormat != value.numberFormat) {
        cell.style = restyle(cell.style, {});
      }
    }
  }
}

void SetColumnWidth(Sheet& sheet, const Area& area, double width) {
  for (int column = area.firstColumn; column <= area.lastColumn; ++column) {
    sheet.columns[column].width = width;
  }
}

}  // namespace qx::automation::spreadsheet
