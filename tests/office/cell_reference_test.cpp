// A1 references as a worksheet's Range member reads them.
#include "automation/spreadsheet/cell_reference.h"

#include <gtest/gtest.h>

namespace {

using namespace qx::automation::spreadsheet;

TEST(CellReference, ReadsCellsRectanglesAndColumns) {
  const struct {
    const char* text;
    int firstRow, firstColumn, lastRow, lastColumn;
    bool wholeColumns;
  } cases[] = {
      {"A1", 1, 1, 1, 1, false},
      {"b3", 3, 2, 3, 2, false},
      {"$B$3", 3, 2, 3, 2, false},
      {"B3:E1", 1, 2, 3, 5, false},  // corners in any order
      {"IV65535", 65535, 256, 65535, 256, false},
      {"XFD1048576", 1048576, 16384, 1048576, 16384, false},
      {"A:IV", 1, 1, kMaxRows, 256, true},
      {"C:A", 1, 1, kMaxRows, 3, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto area = ParseReference(c.text);
    ASSERT_TRUE(area.has_value());
    EXPECT_EQ(area->firstRow, c.firstRow);
    EXPECT_EQ(area->firstColumn, c.firstColumn);
    EXPECT_EQ(area->lastRow, c.lastRow);
    EXPECT_EQ(area->lastColumn, c.lastColumn);
    EXPECT_EQ(area->wholeColumns, c.wholeColumns);
  }
}

TEST(CellReference, RefusesWhatNamesNoCell) {
  for (const char* text : {"", "A", "1", "A0", "A01", "A1048577", "XFE1", "AAAA1", "A1:", ":A1", "1:3", "A1B",
                           "A-1", "A 1", "A:1"}) {
    EXPECT_FALSE(ParseReference(text).has_value()) << text;
  }
}

TEST(CellReference, WritesAreasBack) {
  EXPECT_EQ(ReferenceText(*ParseReference("E1:B3")), "B1:E3");
  EXPECT_EQ(ReferenceText(*ParseReference("AA7")), "AA7");
  EXPECT_EQ(ReferenceText(*ParseReference("A:IV")), "A:IV");
}

}  // namespace
