// Dates, numbers and strings of the screen library.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "ravadodo.h"

namespace {

class TodayFixed : public ::testing::Test {
 protected:
  void SetUp() override { DateSetToday(DateMake(2025, 3, 15)); }
  void TearDown() override { DateSetToday(0); }
};

std::string Text(int day) {
  char buf[16];
  return DateToText(buf, day);
}

using DateTextTest = TodayFixed;

TEST_F(DateTextTest, TextToDayNumber) {
  struct Case {
    const char* text;
    int y, m, d;  // 0: not a date
  } cases[] = {
      {"03/15/25", 2025, 3, 15},   {"3/5/25", 2025, 3, 5},      {"03/15/2025", 2025, 3, 15},
      {"031525", 2025, 3, 15},     {"2025-03-15", 2025, 3, 15}, {" 3/ 5/25", 2025, 3, 5},
      {"02/29/2000", 2000, 2, 29}, {"02/29/00", 2000, 2, 29},   {"02/29/24", 2024, 2, 29},
      {"02/29/2024", 2024, 2, 29}, {"01/01/1900", 1900, 1, 1},  {"12/31/9999", 9999, 12, 31},
      // Two-digit years: 1975 .. 2074 while today is in 2025.
      {"01/01/74", 2074, 1, 1},    {"12/31/74", 2074, 12, 31},  {"01/01/75", 1975, 1, 1},
      {"12/31/99", 1999, 12, 31},  {"06/30/50", 2050, 6, 30},
      // Not dates.
      {"02/30/25", 0, 0, 0},       {"13/01/25", 0, 0, 0},       {"00/10/25", 0, 0, 0},
      {"02/29/1900", 0, 0, 0},     {"02/29/25", 0, 0, 0},       {"04/31/25", 0, 0, 0},
      {"12/31/1899", 0, 0, 0},     {"1/1/190", 0, 0, 0},        {"ab/cd/ef", 0, 0, 0},
      {"  /  /  ", 0, 0, 0},       {"", 0, 0, 0},               {"03/15", 0, 0, 0},
      {"03/15/25/1", 0, 0, 0},     {"3/15/25x", 0, 0, 0},       {"123/1/25", 0, 0, 0},
  };
  for (const Case& c : cases) {
    int expected = c.y ? DateMake(c.y, c.m, c.d) : 0;
    EXPECT_EQ(expected, DateFromText(c.text)) << c.text;
    EXPECT_EQ(c.y ? 1 : 0, DateIsValid(c.text)) << c.text;
  }
}

TEST_F(DateTextTest, DayNumberToText) {
  EXPECT_EQ(1, DateMake(1900, 1, 1));
  EXPECT_EQ(60, DateMake(1900, 3, 1));  // 1900 has no 29 February
  EXPECT_EQ("01/01/00", Text(1));
  EXPECT_EQ("03/15/25", Text(DateToday()));
  EXPECT_EQ("02/29/24", Text(DateMake(2024, 2, 29)));
  EXPECT_EQ("", Text(0));
  EXPECT_EQ("", Text(-5));
  char buf[16];
  EXPECT_STREQ("03/15/2025", DateToTextLong(buf, DateToday()));
  // Every text written reads back as the same day within the pivot window.
  for (int day = DateMake(1975, 1, 1); day <= DateMake(2074, 12, 31); day += 97)
    EXPECT_EQ(day, DateFromText(Text(day).c_str())) << Text(day);
}

TEST_F(DateTextTest, PivotFollowsToday) {
  DateSetToday(DateMake(2060, 6, 1));  // window 2010 .. 2109
  EXPECT_EQ(DateMake(2010, 1, 1), DateFromText("01/01/10"));
  EXPECT_EQ(DateMake(2109, 1, 1), DateFromText("01/01/09"));
  EXPECT_EQ(DateMake(2099, 1, 1), DateFromText("01/01/99"));
}

TEST_F(DateTextTest, Arithmetic) {
  EXPECT_EQ(DateMake(2025, 2, 28), DateAddYears(DateMake(2024, 2, 29), 1));
  EXPECT_EQ(DateMake(2028, 2, 29), DateAddYears(DateMake(2024, 2, 29), 4));
  EXPECT_EQ(DateMake(2024, 3, 1), DateAddDays(DateMake(2024, 2, 28), 2));
  EXPECT_EQ(0, DateAddDays(0, 5));
  EXPECT_EQ(0, DateAddYears(0, 1));
  EXPECT_EQ(366, DateToDays(DateMake(2025, 1, 1)) - DateToDays(DateMake(2024, 1, 1)));
  EXPECT_EQ(2024, DateYear(DateMake(2024, 12, 31)));
}

TEST(NumberTest, RoundsHalfAwayFromZeroOnTheDecimalValue) {
  struct Case {
    double value;
    int decimals;
    double expected;
  } cases[] = {
      {2.675, 2, 2.68},       {-2.675, 2, -2.68},    {1.005, 2, 1.01},     {-1.005, 2, -1.01},
      {0.285, 2, 0.29},       {1.015, 2, 1.02},      {8.345, 2, 8.35},     {2.665, 2, 2.67},
      {0.125, 2, 0.13},       {-0.125, 2, -0.13},    {1.23449, 2, 1.23},   {99.995, 2, 100.0},
      {1234567.895, 2, 1234567.9}, {0.0049, 2, 0.0}, {1e-9, 2, 0.0},       {2.5, 0, 3.0},
      {-2.5, 0, -3.0},        {0.5, 0, 1.0},         {1.2345, 3, 1.235},   {1.00005, 4, 1.0001},
      {1.04166666, 4, 1.0417}, {123.45675, 4, 123.4568}, {-0.00005, 4, -0.0001}, {19.99, 2, 19.99},
      {0.0, 2, 0.0},          {1e15 + 0.5, 0, 1e15 + 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, NumRound(c.value, c.decimals)) << c.value << " to " << c.decimals;
}

// Rounding as the first implementation did it, through the text of the
// double's 15 significant digits: NumRound must answer exactly as it did.
double RoundThroughText(double value, int decimals) {
  if (!std::isfinite(value) || value == 0.0) return value;
  decimals = std::clamp(decimals, 0, 10);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
  char digits[16];
  digits[0] = buf[0];
  std::memcpy(digits + 1, buf + 2, 14);
  digits[15] = 0;
  const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
  const int keep = exponent + 1 + decimals;
  if (keep >= 15) {
    const double p = std::pow(10.0, decimals);
    const double scaled = value * p;
    return std::fabs(scaled) < 9007199254740992.0 ? std::round(scaled) / p : value;
  }
  if (keep < 0) return 0.0;
  std::string kept(digits, static_cast<std::size_t>(keep));
  const bool up = digits[keep] >= '5';
  if (kept.empty()) kept = "0";
  if (up) {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i < 0)
      kept.insert(kept.begin(), '1');
    else
      ++kept[i];
  }
  const double r = std::strtod((kept + "e" + std::to_string(-decimals)).c_str(), nullptr);
  return value < 0 ? -r : r;
}

// A million amounts of the kinds the books hold, each rounded as the text
// did it, to the last bit (and the sign of a zero).
TEST(NumberTest, RoundsEveryAmountAsThroughItsText) {
  std::mt19937_64 random(20250315);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
  auto integer = [&](std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(random);
  };
  auto sign = [&] { return random() & 1 ? -1.0 : 1.0; };
  struct Kind {
    const char* name;
    double (*make)(decltype(uniform)&, decltype(integer)&, decltype(sign)&);
  };
  const Kind kinds[] = {
      {"cents", [](auto&, auto& i, auto&) { return static_cast<double>(i(-100000000000, 100000000000)) / 100; }},
      {"half cents", [](auto&, auto& i, auto&) { return (static_cast<double>(i(-1000000000, 1000000000)) + 0.5) / 100; }},
      {"mills", [](auto&, auto& i, auto&) { return static_cast<double>(i(-10000000000, 10000000000)) / 1000; }},
      {"price times quantity",
       [](auto&, auto& i, auto&) {
         return static_cast<double>(i(1, 9999999)) / 100 * (static_cast<double>(i(-99999, 99999)) / 1000);
       }},
      {"sums with binary noise",
       [](auto&, auto& i, auto&) {
         double sum = 0;
         for (int k = i(2, 12); k > 0; --k) sum += static_cast<double>(i(-999999, 999999)) / 100;
         return sum;
       }},
      {"small differences", [](auto& u, auto&, auto& s) { return s() * u(0, 1e-6); }},
      {"any magnitude", [](auto& u, auto& i, auto& s) { return s() * u(1, 10) * std::pow(10.0, i(-15, 18)); }},
      {"near the digit limit", [](auto& u, auto&, auto& s) { return s() * u(1e13, 1e16); }},
      {"nines", [](auto&, auto& i, auto& s) {
         return s() * (std::pow(10.0, i(-8, 14)) - std::pow(10.0, i(-15, -1)));
       }},
      {"any bits", [](auto&, auto& i, auto&) {
         return std::bit_cast<double>(static_cast<std::uint64_t>(i(0, INT64_MAX)) << 1 | (i(0, 1)));
       }},
  };
  constexpr int kPerKind = 100000;
  for (const Kind& kind : kinds) {
    int wrong = 0;
    for (int n = 0; n < kPerKind; ++n) {
      const double value = kind.make(uniform, integer, sign);
      const int decimals = static_cast<int>(integer(0, 10));
      const double expected = RoundThroughText(value, decimals);
      const double got = NumRound(value, decimals);
      if (std::bit_cast<std::uint64_t>(expected) == std::bit_cast<std::uint64_t>(got) ||
          (std::isnan(expected) && std::isnan(got)))
        continue;
      if (++wrong <= 5)
        ADD_FAILURE() << kind.name << ": " << std::hexfloat << value << " to " << decimals << " gave " << got
                      << ", the text gives " << expected;
    }
    EXPECT_EQ(wrong, 0) << kind.name;
  }
}

TEST(NumberTest, ComparesAmountsAtCents) {
  EXPECT_TRUE(NumIsZero(0.004));
  EXPECT_FALSE(NumIsZero(0.005));
  EXPECT_TRUE(NumIsZero(-0.0049));
  double tiny = 1e-12;
  EXPECT_TRUE(NumIsZero(&tiny));
  EXPECT_EQ(0.0, tiny);
  double cent = 0.01;
  EXPECT_FALSE(NumIsZero(&cent));
  EXPECT_EQ(0.01, cent);
  EXPECT_TRUE(NumEqual(0.1 + 0.2, 0.3));
  EXPECT_TRUE(NumEqual(100.004, 100.0));
  EXPECT_FALSE(NumEqual(1.004, 1.005));
  EXPECT_EQ(0.0, NumDivide(5.0, 0.0));
  EXPECT_EQ(2.5, NumDivide(10.0, 4.0));
}

TEST(NumberTest, Text) {
  char buf[64];
  EXPECT_STREQ("1234.50", NumToText(buf, 1234.5, 2));
  EXPECT_STREQ("0.00", NumToText(buf, -0.001, 2));
  EXPECT_STREQ("2.68", NumToText(buf, 2.675, 2));
  EXPECT_STREQ("-3", NumToText(buf, -2.5, 0));
  EXPECT_STREQ("1.0417", NumToText(buf, 1.041666, 4));
}

// Amounts of every size and number of places: the text is what "%.*f"
// prints of the rounded value, and never "-0".
TEST(NumberTest, TextIsTheRoundedValueAsPrintfPrintsIt) {
  std::mt19937_64 random(1211);
  std::uniform_int_distribution<long long> mills(-100'000'000'000LL, 100'000'000'000LL);
  std::uniform_int_distribution<int> places(0, 10);
  char buf[64];
  char expected[64];
  for (int i = 0; i < 200000; ++i) {
    const double value = static_cast<double>(mills(random)) / (i % 2 ? 1000.0 : 8.0);
    const int decimals = places(random);
    double rounded = NumRound(value, decimals);
    if (rounded == 0.0) rounded = 0.0;
    std::snprintf(expected, sizeof expected, "%.*f", decimals, rounded);
    NumToText(buf, value, decimals);
    if (std::strcmp(buf, expected) != 0) {
      ADD_FAILURE() << value << " to " << decimals << " places: " << buf << " instead of " << expected;
      return;
    }
  }
  // Too long for the 32 bytes: cut, as printf cuts it, and still ended.
  NumToText(buf, 1e40, 2);
  EXPECT_EQ(31u, std::strlen(buf));
  EXPECT_EQ(0, std::strncmp(buf, "10000000000000000303786028427003", 31));
}

TEST(NumberTest, FormatValueByColumnFormat) {
  struct Case {
    const char* format;
    int decimals;
    double value;
    const char* expected;
  } cases[] = {
      {"%11.2f", 0, 2.675, "       2.68"}, {"%11.4fF", 0, 1.5, "     1.5000"},
      {"%11.4fF", 2, 1.5, "       1.50"}, {"%8.0fF", 0, 12.5, "      13"},
      {"%5d", 0, 12.5, "   13"},          {"%-8.1f", 0, -0.04, "0.0     "},
      {"%12.2f", 0, -1234.005, "    -1234.01"},
  };
  char out[64];
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<int>(std::string(c.expected).size()), StrFormatValue(out, c.format, c.decimals, c.value));
    EXPECT_STREQ(c.expected, out) << c.format << " " << c.value;
  }
  EXPECT_EQ(-1, StrFormatValue(out, "%-10s", 0, 1.0));
}

TEST(NumberTest, QuantitiesInUnitsAndFractions) {
  struct Case {
    int decimal, divisor;
    double value;
    const char* expected;
  } cases[] = {
      {0, 12, 2.5, "     2 6/12"}, {0, 12, 3.0, "          3"}, {0, 12, -1.25, "    -1 3/12"},
      {0, 12, 0.25, "       3/12"}, {1, 12, 2.5, "     2.5000"}, {0, 1, 2.5, "     2.5000"},
      {0, 0, 2.5, "     2.5000"},  {0, 12, 2.9999999, "          3"},
  };
  char out[64];
  for (const Case& c : cases) {
    StrFormatQuantity(out, "%11.4fF", c.decimal, c.divisor, c.value);
    EXPECT_STREQ(c.expected, out) << c.value << " / " << c.divisor;
  }
  StrFormatQuantity(out, "%-11.4fF", 0, 12, 2.5);
  EXPECT_STREQ("2 6/12     ", out);
}

TEST(NumberTest, ReadsQuantities) {
  struct Case {
    const char* text;
    int divisor;
    int status;
    double value;
  } cases[] = {
      {"2.5", 12, 0, 2.5},   {"2 6/12", 12, 0, 2.5}, {"2 6", 12, 0, 2.5},  {"6/12", 12, 0, 0.5},
      {"-1 3/12", 12, 0, -1.25}, {"  ", 12, 0, 0.0}, {"7", 1, 0, 7.0},     {"abc", 12, -1, 0},
      {"2 6", 1, -1, 0},     {"1/0", 12, -1, 0},     {"1.2.3", 12, -1, 0},  {"2.5 1/2", 12, -1, 0},
  };
  for (const Case& c : cases) {
    double v = 99.0;
    EXPECT_EQ(c.status, TextToValue(c.text, c.divisor, &v)) << c.text;
    EXPECT_EQ(c.status == 0 ? c.value : 99.0, v) << c.text;
  }
}

TEST(StringTest, TrimByMode) {
  struct Case {
    int mode;
    const char* text;
    const char* expected;
  } cases[] = {
      {5, "  ab c  ", "ab c"}, {4, "  ab c  ", "  ab c"}, {1, "  ab c  ", "ab c  "},
      {7, "  ab c  ", "abc"},  {7, "  /  /  ", "//"},     {5, "    ", ""},
  };
  for (const Case& c : cases) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s", c.text);
    EXPECT_STREQ(c.expected, StrTrim(c.mode, buf)) << c.mode << " '" << c.text << "'";
  }
  char zeros[] = "00120";
  EXPECT_STREQ("120", StrTrimChar(zeros, 1, '0'));
}

TEST(StringTest, PadJustifyBlank) {
  char a[16] = "AR";
  EXPECT_STREQ("AR     ", StrPad(a, 7));
  char b[16] = "ABCDEFGHIJ";
  EXPECT_STREQ("ABCD", StrPad(b, 4));
  char c[16] = " 123 ";
  EXPECT_STREQ("       123", StrJustify(c, 10));
  char d[16] = "12345678901";
  EXPECT_STREQ("12345678901", StrJustify(d, 10));
  EXPECT_TRUE(StrIsBlank("   "));
  EXPECT_TRUE(StrIsBlank(""));
  EXPECT_TRUE(StrIsBlank(nullptr));
  EXPECT_FALSE(StrIsBlank("  x"));
}

TEST(StringTest, MaskPictures) {
  EXPECT_EQ(1, StrApplyMask("  /  /  ", "nn/nn/nn"));
  EXPECT_EQ(1, StrApplyMask("", "nn/nn/nn"));
  EXPECT_EQ(0, StrApplyMask("03/15/25", "nn/nn/nn"));
  EXPECT_EQ(1, StrApplyMask("(   )         ", "(nnn) nnnnnnnn"));
  EXPECT_EQ(0, StrApplyMask("(555) 1234567 ", "(nnn) nnnnnnnn"));
  EXPECT_EQ(0, StrApplyMask("5551234567", "(nnn) nnnnnnnn"));
  char out[32];
  EXPECT_STREQ("03/15/25", StrMaskFormat(out, "031525", "nn/nn/nn"));
  EXPECT_STREQ("03/15/25", StrMaskFormat(out, "03/15/25", "nn/nn/nn"));
  EXPECT_STREQ("(555) 1234567 ", StrMaskFormat(out, "5551234567", "(nnn) nnnnnnnn"));
  EXPECT_STREQ("12345-    ", StrMaskFormat(out, "12345", "ccccc-cccc"));
  EXPECT_STREQ("  /  /  ", StrMaskFormat(out, "", "nn/nn/nn"));
}

}  // namespace
