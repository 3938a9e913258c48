// What a spreadsheet makes of typed cell text.
#include "automation/spreadsheet/typed_text.h"

#include <gtest/gtest.h>

namespace {

using namespace qx::automation::spreadsheet;

struct Typed {
  const char* text;
  CellKind kind;
  double number;           // kNumber
  const char* textValue;   // kText, kFormula
  const char* format;      // "" keeps the cell's format
};

TEST(TypedText, BecomesTextFormulaNumberOrDate) {
  const int dec31 = DateSerial(2009, 12, 31);
  const Typed cases[] = {
      {"", CellKind::kNone, 0, "", ""},
      {"'0042", CellKind::kText, 0, "0042", ""},
      {"'=A1", CellKind::kText, 0, "=A1", ""},
      {"=A1*2", CellKind::kFormula, 0, "=A1*2", ""},
      {"=", CellKind::kText, 0, "=", ""},
      {"=SUM(B2:B9)/2", CellKind::kFormula, 0, "=SUM(B2:B9)/2", ""},
      {"=IF(A1=\"(\",1,2)", CellKind::kFormula, 0, "=IF(A1=\"(\",1,2)", ""},
      {"=-A1", CellKind::kFormula, 0, "=-A1", ""},
      {"=A1<=B1", CellKind::kFormula, 0, "=A1<=B1", ""},
      {"=====", CellKind::kText, 0, "=====", ""},
      {"== Totals ==", CellKind::kText, 0, "== Totals ==", ""},
      {"=SUM(B2:B9", CellKind::kText, 0, "=SUM(B2:B9", ""},
      {"=A1)", CellKind::kText, 0, "=A1)", ""},
      {"=A1+", CellKind::kText, 0, "=A1+", ""},
      {"=\"open", CellKind::kText, 0, "=\"open", ""},
      {"=A1==B1", CellKind::kText, 0, "=A1==B1", ""},
      {"=  ", CellKind::kText, 0, "=  ", ""},
      {"42", CellKind::kNumber, 42, "", ""},
      {"-42", CellKind::kNumber, -42, "", ""},
      {"+7", CellKind::kNumber, 7, "", ""},
      {"  12  ", CellKind::kNumber, 12, "", ""},
      {"007", CellKind::kNumber, 7, "", ""},
      {"3.10", CellKind::kNumber, 3.1, "", "0.00"},
      {".5", CellKind::kNumber, 0.5, "", "0.0"},
      {"1,234.50", CellKind::kNumber, 1234.5, "", "#,##0.00"},
      {"1,234,567", CellKind::kNumber, 1234567, "", "#,##0"},
      {"$5", CellKind::kNumber, 5, "", "$0"},
      {"-$1,234.5", CellKind::kNumber, -1234.5, "", "$#,##0.0"},
      {"12.5%", CellKind::kNumber, 0.125, "", "0.0%"},
      {"(1,234)", CellKind::kNumber, -1234, "", "#,##0_);(#,##0)"},
      {"($5.00)", CellKind::kNumber, -5, "", "$0.00_);($0.00)"},
      {"(5)", CellKind::kNumber, -5, "", "0_);(0)"},
      {"12/31/2009", CellKind::kNumber, double(dec31), "", "m/d/yyyy"},
      {"12/31/09", CellKind::kNumber, double(dec31), "", "m/d/yyyy"},
      {"2/29/2000", CellKind::kNumber, double(DateSerial(2000, 2, 29)), "", "m/d/yyyy"},
      {"1/1/29", CellKind::kNumber, double(DateSerial(2029, 1, 1)), "", "m/d/yyyy"},
      {"1/1/30", CellKind::kNumber, double(DateSerial(1930, 1, 1)), "", "m/d/yyyy"},
      // Text: what is not quite a number or a date.
      {"1,2345", CellKind::kText, 0, "1,2345", ""},
      {"12,345,67", CellKind::kText, 0, "12,345,67", ""},
      {",5", CellKind::kText, 0, ",5", ""},
      {"$5%", CellKind::kText, 0, "$5%", ""},
      {"(-5)", CellKind::kText, 0, "(-5)", ""},
      {"-(5)", CellKind::kText, 0, "-(5)", ""},
      {"1e5", CellKind::kText, 0, "1e5", ""},
      {"5-", CellKind::kText, 0, "5-", ""},
      {"-", CellKind::kText, 0, "-", ""},
      {".", CellKind::kText, 0, ".", ""},
      {"2/29/2009", CellKind::kText, 0, "2/29/2009", ""},
      {"2/29/1900", CellKind::kText, 0, "2/29/1900", ""},
      {"13/1/2009", CellKind::kText, 0, "13/1/2009", ""},
      {"1/2/123", CellKind::kText, 0, "1/2/123", ""},
      {"1/2", CellKind::kText, 0, "1/2", ""},
      {" Smith ", CellKind::kText, 0, " Smith ", ""},
  };
  for (const Typed& c : cases) {
    SCOPED_TRACE(c.text);
    const CellValue value = ReadTypedText(c.text);
    EXPECT_EQ(value.kind, c.kind);
    if (c.kind == CellKind::kNumber) {
      EXPECT_DOUBLE_EQ(value.number, c.number);
    } else {
      EXPECT_EQ(value.text, c.textValue);
    }
    EXPECT_EQ(value.numberFormat, c.format);
  }
}

TEST(TypedText, DatesCountDaysAsSpreadsheetsDo) {
  EXPECT_EQ(DateSerial(1900, 1, 1), 1);
  EXPECT_EQ(DateSerial(1900, 2, 28), 59);
  EXPECT_EQ(DateSerial(1900, 3, 1), 61);  // after the 29 February 1900 they count
  EXPECT_EQ(DateSerial(2009, 12, 31), 40178);
  EXPECT_EQ(DateSerial(9999, 12, 31), 2958465);
  EXPECT_EQ(DateSerial(1899, 12, 31), 0);
  EXPECT_EQ(DateSerial(2009, 2, 29), 0);
}

}  // namespace
