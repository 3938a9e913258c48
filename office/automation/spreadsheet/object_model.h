// The spreadsheet object model as controllers reach it: the dispatch ids of
// its members and the values of its enumerations.  The server in this folder
// answers these ids; controllers call them by the same names.
//
// Objects: Application -> Workbooks -> Workbook -> Worksheets -> Worksheet ->
// Range -> Font / Borders -> Border; Application -> ActiveWindow (Window).
#pragma once

#include "automation/dispatch.h"

namespace qx::automation::spreadsheet {

// Member dispatch ids.  One id can name members of several classes (Item,
// Count, Add, Select, Color).
namespace member {
inline constexpr DispId kValue = 0x06;                 // Range: cell value (put)
inline constexpr DispId kCount = 0x76;                 // Worksheets: number of sheets (get)
inline constexpr DispId kLineStyle = 0x77;             // Border (put)
inline constexpr DispId kWeight = 0x78;                // Border (put)
inline constexpr DispId kHorizontalAlignment = 0x88;   // Range (put)
inline constexpr DispId kFont = 0x92;                  // Range (get)
inline constexpr DispId kBold = 0x60;                  // Font (put)
inline constexpr DispId kColor = 0x63;                 // Font, Border: RGB colour (put)
inline constexpr DispId kItalic = 0x65;                // Font (put)
inline constexpr DispId kSize = 0x68;                  // Font: points (put)
inline constexpr DispId kUnderline = 0x6A;             // Font (put)
inline constexpr DispId kName = 0x6E;                  // Font: face name (put)
inline constexpr DispId kItem = 0xAA;                  // Worksheets, Borders (get)
inline constexpr DispId kAdd = 0xB5;                   // Workbooks, Worksheets (method)
inline constexpr DispId kRange = 0xC5;                 // Worksheet (get)
inline constexpr DispId kSelect = 0xEB;                // Worksheet, Range (method)
inline constexpr DispId kColumnWidth = 0xF2;           // Range: characters (put)
inline constexpr DispId kSave = 0x11B;                 // Workbook (method)
inline constexpr DispId kSaveAs = 0x11C;               // Workbook (method)
inline constexpr DispId kQuit = 0x12E;                 // Application (method)
inline constexpr DispId kActivate = 0x130;             // Worksheet (method)
inline constexpr DispId kBorders = 0x1B3;              // Range (get)
inline constexpr DispId kWorksheets = 0x1EE;           // Workbook (get)
inline constexpr DispId kVisible = 0x22E;              // Application (put)
inline constexpr DispId kWorkbooks = 0x23C;            // Application (get)
inline constexpr DispId kFreezePanes = 0x28A;          // Window (put)
inline constexpr DispId kActiveWindow = 0x2F7;         // Application (get)
inline constexpr DispId kSheetsInNewWorkbook = 0x3E1;  // Application (put)
inline constexpr DispId kUserControl = 0x4BA;          // Application (put)
}  // namespace member

// HorizontalAlignment values.
inline constexpr int kAlignGeneral = 1;
inline constexpr int kAlignLeft = -4131;
inline constexpr int kAlignCenter = -4108;
inline constexpr int kAlignRight = -4152;
inline constexpr int kAlignFill = 5;
inline constexpr int kAlignJustify = -4130;
inline constexpr int kAlignCenterAcrossSelection = 7;
inline constexpr int kAlignDistributed = -4117;

// Border LineStyle values.
inline constexpr int kLineContinuous = 1;
inline constexpr int kLineDash = -4115;
inline constexpr int kLineDashDot = 4;
inline constexpr int kLineDashDotDot = 5;
inline constexpr int kLineDot = -4118;
inline constexpr int kLineDouble = -4119;
inline constexpr int kLineSlantDashDot = 13;
inline constexpr int kLineNone = -4142;

// Border Weight values.
inline constexpr int kWeightHairline = 1;
inline constexpr int kWeightThin = 2;
inline constexpr int kWeightMedium = -4138;
inline constexpr int kWeightThick = 4;

// Font Underline values (1 and -1, "true", also mean single).
inline constexpr int kUnderlineNone = -4142;
inline constexpr int kUnderlineSingle = 2;
inline constexpr int kUnderlineDouble = -4119;
inline constexpr int kUnderlineSingleAccounting = 4;
inline constexpr int kUnderlineDoubleAccounting = 5;

// Borders.Item indexes.
inline constexpr int kDiagonalDown = 5;
inline constexpr int kDiagonalUp = 6;
inline constexpr int kEdgeLeft = 7;
inline constexpr int kEdgeTop = 8;
inline constexpr int kEdgeBottom = 9;
inline constexpr int kEdgeRight = 10;
inline constexpr int kInsideVertical = 11;
inline constexpr int kInsideHorizontal = 12;

// Worksheets.Add Type value for a worksheet.
inline constexpr int kSheetTypeWorksheet = -4167;

}  // namespace qx::automation::spreadsheet
