// Column values as the report writer prints them: every kind and alignment
// the reports use, through their own formats.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qxabase/report.h"
#include "ravadodo/text.h"
#include "report_format.h"

namespace {

struct Values {
  char code[11] = "C100";
  char fixed[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};  // no NUL: a record field
  char letter = 'I';
  char merged[32] = "Net\xFF"
                    "30\xB7"
                    "days";
  std::int32_t day = 0;
  std::int32_t zero = 0;
  std::int32_t count = 42;
  std::int32_t seconds = 13 * 3600 + 5 * 60 + 9;
  float ratio = 2.5f;
  double amount = -1234.5;
  double quantity = 2.125;
};

struct Case {
  const char* name;
  ReportColumnKind kind;
  const char* format;
  int member;  // which value (below)
  int align;
  int width;
  const char* expected;
};

enum Member { kCode, kFixed, kLetter, kMerged, kDay, kZeroDay, kCount, kSeconds, kRatio, kAmount, kQuantity, kNone };

const void* Address(Values& v, int member) {
  switch (member) {
    case kCode: return v.code;
    case kFixed: return v.fixed;
    case kLetter: return &v.letter;
    case kMerged: return v.merged;
    case kDay: return &v.day;
    case kZeroDay: return &v.zero;
    case kCount: return &v.count;
    case kSeconds: return &v.seconds;
    case kRatio: return &v.ratio;
    case kAmount: return &v.amount;
    case kQuantity: return &v.quantity;
    default: return nullptr;
  }
}

// name                         kind            format       value     align          width  expected
const Case kCases[] = {
    {"text padded left", kColumnText, "%-8s", kCode, 0, 0, "C100    "},
    {"text padded right", kColumnText, "%8s", kCode, 0, 0, "    C100"},
    {"precision bounds a field without NUL", kColumnText, "%-5.5s", kFixed, 0, 0, "ABCDE"},
    {"type letter C dropped", kColumnText, "%-6sC", kCode, 0, 0, "C100  "},
    {"character", kColumnChar, "%c", kLetter, 0, 0, "I"},
    {"date by width", kColumnDate, "%8s", kDay, 0, 0, "03/15/25"},
    {"date by picture", kColumnDate, "nn/nn/nn", kDay, 0, 0, "03/15/25"},
    {"no date is blank", kColumnDate, "%8s", kZeroDay, 0, 0, "        "},
    {"whole number", kColumnLong, "%5d", kCount, 0, 0, "   42"},
    {"long conversion on an int32", kColumnLong, "%-6ld", kCount, 0, 0, "42    "},
    {"whole number trimmed", kColumnLongTrim, "%10ld", kCount, 0, 0, "42"},
    {"float", kColumnFloat, "%6.2f", kRatio, 0, 0, "  2.50"},
    {"amount", kColumnAmount, "%11.2f", kAmount, 0, 0, "   -1234.50"},
    {"quantity with type letter", kColumnDouble, "%11.4fF", kQuantity, 0, 0, "     2.1250"},
    {"amount through a text format", kColumnAmount, "%10s", kAmount, 0, 0, "  -1234.50"},
    {"time of day", kColumnTime, "%-10s", kSeconds, 0, 0, "13:05:09  "},
    {"merge text keeps hard blanks as blanks", kColumnMerge, "%s", kMerged, 0, 0, "Net 30 days"},
    {"merge text centred in its field", kColumnMerge, "%s", kMerged, kAlignCentre, 15, "  Net 30 days  "},
    {"right in a field", kColumnText, "%-8s", kCode, kAlignRight, 0, "    C100"},
    {"left in a field", kColumnText, "%8s", kCode, kAlignLeft, 0, "C100    "},
    {"number alignment keeps the format", kColumnText, "%-8s", kCode, kAlignNumber, 0, "C100    "},
    {"literal text around the value", kColumnLong, "No. %d.", kCount, 0, 0, "No. 42."},
    {"a null value prints nothing", kColumnText, "%-8s", kNone, 0, 0, ""},
};

TEST(ReportFormat, EveryKindAndAlignment) {
  for (const Case& c : kCases) {
    Values v;
    v.day = DateMake(2025, 3, 15);
    TagReportColumn col;
    col.kind = c.kind;
    std::snprintf(col.format, sizeof col.format, "%s", c.format);
    col.value = Address(v, c.member);
    col.align = c.align;
    col.width = c.width;
    EXPECT_EQ(qxreport::ColumnCellText(col), c.expected) << c.name;
  }
}

TEST(ReportFormat, RuleWidthFollowsTheField) {
  Values v;
  TagReportColumn col;
  col.kind = kColumnAmount;
  std::snprintf(col.format, sizeof col.format, "%%12.2f");
  col.value = &v.amount;
  EXPECT_EQ(qxreport::ColumnFieldWidth(col, qxreport::FormatColumnValue(col)), 12);
  col.kind = kColumnDate;
  col.format[0] = 0;
  col.value = &v.day;
  EXPECT_EQ(qxreport::ColumnFieldWidth(col, ""), 8);  // a date without a format: mm/dd/yy
  col.width = 20;
  EXPECT_EQ(qxreport::ColumnFieldWidth(col, ""), 20);
}

TEST(ReportFormat, FormatsThatDoNotMatchTheirKindStaySafe) {
  // A format meant for another type never reaches printf as it stands.
  Values v;
  TagReportColumn col;
  col.kind = kColumnText;
  std::snprintf(col.format, sizeof col.format, "%%d %%s %%n");
  col.value = v.code;
  EXPECT_EQ(qxreport::FormatColumnValue(col).rfind("C100", 0), 0u);
  col.kind = kColumnAmount;
  col.value = &v.amount;
  std::snprintf(col.format, sizeof col.format, "%%5d");
  EXPECT_EQ(qxreport::FormatColumnValue(col), "-1235");  // rounded half away from zero
  const double huge = 1e300;
  col.value = &huge;
  std::snprintf(col.format, sizeof col.format, "%%12.2f");
  EXPECT_LE(qxreport::FormatColumnValue(col).size(), 20u);
}

TEST(ReportFormat, NumbersNeverOutgrowTheirFieldAndAreNeverRounded) {
  // Every kind of number column, through the formats the reports use: a
  // number too wide for its field is never cut or rounded to fit.  Its cell
  // holds it whole (for the HTML file) and the field's width; on a page of
  // fixed width it fills the field with '*'.
  struct NumberCase {
    const char* name;
    ReportColumnKind kind;
    const char* format;
    double value;
    const char* shown;  // on a page of fixed width
    const char* whole;  // the cell's text
    int field;          // 0: it fits
  };
  const NumberCase cases[] = {
      {"amount that fits", kColumnAmount, "%11.2f", 12345678.91, "12345678.91", "12345678.91", 0},
      {"amount whose cents do not fit", kColumnAmount, "%11.2f", 123456789.01, "***********", "123456789.01", 11},
      {"amount left in its field", kColumnAmount, "%-11.2f", 1000000000.0, "***********", "1000000000.00", 11},
      {"amount that would round up", kColumnAmount, "%11.2f", 999999999.95, "***********", "999999999.95", 11},
      {"quantity whose decimals do not fit", kColumnDouble, "%11.4f", 1234567.125, "***********", "1234567.1250", 11},
      {"float", kColumnFloat, "%6.2f", 12345.5, "******", "12345.50", 6},
      {"amount through a text format", kColumnAmount, "%10s", 12345678.91, "**********", "12345678.91", 10},
      {"amount that fits a text format", kColumnAmount, "%-10.10s", 1234.5, "1234.50   ", "1234.50   ", 0},
      {"amount as a whole number", kColumnAmount, "%5d", 123456.0, "*****", "123456", 5},
      {"beyond any column", kColumnAmount, "%12.2f", 1e300, "************", "************", 0},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.name);
    double amount = c.value;
    float ratio = static_cast<float>(c.value);
    TagReportColumn col;
    col.kind = c.kind;
    std::snprintf(col.format, sizeof col.format, "%s", c.format);
    col.value = c.kind == kColumnFloat ? static_cast<const void*>(&ratio) : &amount;
    EXPECT_EQ(qxreport::ColumnCellText(col), c.shown);
    const qxreport::CellText cell = qxreport::ColumnCell(col);
    EXPECT_EQ(cell.text, c.whole);
    EXPECT_EQ(cell.field, c.field);
  }
}

// A report may give one column another format from row to row, and many
// columns share a format: each row prints by the format it holds now, as
// printf prints that format, whatever was formatted before it.
TEST(ReportFormat, EachRowPrintsByTheFormatItHoldsNow) {
  struct Family {
    ReportColumnKind kind;
    const char* pattern;  // printf-like, taking a width and a precision
    bool integer;
  };
  const Family families[] = {
      {kColumnLong, "%%%dd", true},        {kColumnLong, "%%-%dd", true},    {kColumnLong, "%%0%d.%dd", true},
      {kColumnLong, "%%#%dx", true},       {kColumnAmount, "%%%d.%df", false}, {kColumnAmount, "%%-+%d.%df", false},
      {kColumnAmount, "%%-%d.%df", false}, {kColumnAmount, "%%-0%d.%df", false},
      {kColumnAmount, "%%0%d.%df", false}, {kColumnAmount, "%% %d.%de", false}, {kColumnDouble, "%%#%d.%dg", false},
  };
  const double reals[] = {0.0, -0.0, 0.125, -2.675, 1234.5, -98765.4321, 1e-7};
  const std::int32_t integers[] = {0, 7, -42, 65535, -2147483647};
  for (int pass = 0; pass < 2; ++pass) {
    // The second pass runs the formats in the other order, over what the
    // first left behind.
    for (int w = 1; w <= 24; ++w) {
      const int width = pass == 0 ? w : 25 - w;
      for (const Family& f : families) {
        for (int precision = 0; precision <= 4; ++precision) {
          TagReportColumn col;
          col.kind = f.kind;
          std::snprintf(col.format, sizeof col.format, f.pattern, width, precision);
          for (std::size_t i = 0; i < (f.integer ? std::size(integers) : std::size(reals)); ++i) {
            char expected[128];
            if (f.integer) {
              // An integer column prints its value as a long long.
              std::string wide = col.format;
              wide.insert(wide.size() - 1, "ll");
              std::snprintf(expected, sizeof expected, wide.c_str(), static_cast<long long>(integers[i]));
            } else {
              std::snprintf(expected, sizeof expected, col.format, reals[i]);
            }
            if (static_cast<int>(std::strlen(expected)) > width) continue;  // the '*' rules, above
            col.value = f.integer ? static_cast<const void*>(&integers[i]) : &reals[i];
            SCOPED_TRACE(std::string(col.format) + " of " + expected);
            EXPECT_EQ(qxreport::ColumnCellText(col), expected);
          }
        }
      }
    }
  }
}

// Amounts are printed on every row: whatever the value, a fixed-point column
// prints the digits printf prints, rounded the same way (halves to even on
// the binary value: 0.125 to 0.12), and its sign (-0.00).
TEST(ReportFormat, FixedPointColumnsPrintWhatPrintfPrints) {
  std::mt19937_64 random(20261211);
  std::uniform_int_distribution<long long> cents(-10'000'000'000LL, 10'000'000'000LL);
  std::uniform_int_distribution<std::uint64_t> bits;
  const char* formats[] = {"%14.2f", "%-14.2f", "%.4f", "%f", "%30.0f", "%8.30f", "%3.2F"};
  std::vector<double> values = {0.0, -0.0, -0.001, 0.005, 0.125, 0.375, 2.675, -2.5, 1e15, 9.999999999e29};
  for (int i = 0; i < 20000; ++i) {
    values.push_back(static_cast<double>(cents(random)) / 100.0);
    values.push_back(static_cast<double>(cents(random)) / 8.0);  // exact halves and quarters of a cent
    double any = 0;
    const std::uint64_t b = bits(random);
    std::memcpy(&any, &b, sizeof any);
    if (std::isfinite(any) && std::fabs(any) < 1e29) values.push_back(any);
  }
  int checked = 0;
  for (const char* format : formats) {
    TagReportColumn col;
    col.kind = kColumnAmount;
    std::snprintf(col.format, sizeof col.format, "%s", format);
    const bool widthless = format[1] == '.' || format[1] == 'f';
    for (const double& v : values) {
      if (widthless && std::fabs(v) >= 1e15) continue;  // shown with an exponent, the rule above
      char expected[512];
      std::snprintf(expected, sizeof expected, format, v);
      col.value = &v;
      const std::string got = qxreport::ColumnCellText(col);
      if (got.find('*') != std::string::npos) continue;  // wider than its field: the '*' rules, above
      ++checked;
      if (got != expected) {
        ADD_FAILURE() << format << " of " << v << ": " << got << " instead of " << expected;
        return;
      }
    }
  }
  EXPECT_GT(checked, 100000);
}

TEST(ReportFormat, TimeOutsideADayIsBlank) {
  EXPECT_EQ(qxreport::TimeText(0), "00:00:00");
  EXPECT_EQ(qxreport::TimeText(86399), "23:59:59");
  EXPECT_EQ(qxreport::TimeText(86400), "");
  EXPECT_EQ(qxreport::TimeText(-1), "");
}

}  // namespace
