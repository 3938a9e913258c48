// The spreadsheet server: an automation object model over workbooks kept in
// memory and saved as .xlsx files.  A controller starts it by its
// programmatic identifier ("Quarlex.Spreadsheet", see automation/registry.h)
// and drives it by the member ids of object_model.h:
//
//   Application  SheetsInNewWorkbook (put, 1..255), Workbooks (get),
//                ActiveWindow (get), Visible (put: true shows every saved
//                workbook with the desktop's opener), UserControl (put),
//                Quit (closes every workbook without saving)
//   Workbooks    Add ([Template]: left out only) -> Workbook
//   Workbook     Worksheets (get), SaveAs (Filename, [FileFormat: 51 only],
//                [Password, WriteResPassword: empty only], 8 more ignored),
//                Save (to the SaveAs file)
//   Worksheets   Count (get), Item (number or name), Add ([Before], [After],
//                [Count], [Type]) -> the new sheet, which becomes active
//   Worksheet    Range (Cell1, [Cell2]), Select ([Replace]), Activate
//   Range        Value (put: typed text, see typed_text.h, or a number),
//                Font (get), HorizontalAlignment (put), ColumnWidth (put,
//                0..255 characters), Borders (get), Select
//   Font         Bold, Italic, Underline, Size (1..409), Name, Color (puts)
//   Borders      Item (5..12) -> Border: LineStyle, Weight, Color (puts)
//   Window       FreezePanes (put: freezes the active sheet above and left
//                of its selected cell)
//
// Refusals are exceptions whose source is "Spreadsheet" and whose description
// says what was wrong.  One change may touch at most kMaxCellsPerChange cells
// (whole columns count only their existing cells when formatted).
#pragma once

#include <cstdint>

#include "automation/dispatch.h"

namespace qx::automation::spreadsheet {

inline constexpr std::uint64_t kMaxCellsPerChange = std::uint64_t(1) << 22;

// A new server instance: its Application object, with no workbook.
DispatchPtr CreateApplication();

}  // namespace qx::automation::spreadsheet
