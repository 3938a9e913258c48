// The address of a customer or vendor as documents print it: its lines
// without the blank ones, the closing line with the zip code, and the run's
// copy of a letter or label closed up to the top or the bottom.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "address_lines.h"

namespace {

records::CustVendRecord Address(std::vector<std::string> lines, const char* zip) {
  records::CustVendRecord r{};
  std::snprintf(r.name, sizeof r.name, "Lake  View Farms");
  for (std::size_t i = 0; i < lines.size() && i < 3; ++i)
    std::snprintf(r.addressLines[i], sizeof r.addressLines[i], "%s", lines[i].c_str());
  std::snprintf(r.zipCode, sizeof r.zipCode, "%s", zip);
  return r;
}

std::vector<std::string> Lines(const records::CustVendRecord& r) {
  std::vector<std::string> out;
  for (const auto& l : r.addressLines) out.emplace_back(l);
  return out;
}

TEST(AddressFormatTest, TheClosingLineIsTheLastLineWithTheZipCode) {
  struct Case {
    std::vector<std::string> lines;
    const char* zip;
    std::string closing;
  };
  const Case cases[] = {
      {{"12 Harbour Road", "Lakeside, WA 98370", ""}, "98370", "Lakeside, WA 98370"},
      {{"12 Harbour Road", "", "Lakeside, WA"}, "98370", "Lakeside, WA  98370"},
      {{"PO Box 7", "Kingsport, WA", ""}, "983461234", "Kingsport, WA  98346-1234"},
      {{"PO Box 7", "Kingsport, WA 98346-1234", ""}, "983461234", "Kingsport, WA 98346-1234"},
      {{"", "", ""}, "98370", "98370"},
      {{"Main Street", "", ""}, "", "Main Street"},
  };
  for (const Case& c : cases) {
    const records::CustVendRecord r = Address(c.lines, c.zip);
    EXPECT_EQ(c.closing, FormatAddressLine(r)) << c.lines[0];
    char buffer[61];
    FormatAddressLine(&r, buffer);
    EXPECT_EQ(c.closing, std::string(buffer));
  }
}

TEST(AddressFormatTest, BlankLinesCloseUpToTheTopOrTheBottom) {
  struct Case {
    const char* name;
    int apart;
    bool bottom;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"up", 0, false, {"Rural Route 4", "Kingsport, WA 98346", ""}},
      {"up, closing line apart", 1, false, {"Rural Route 4", "", ""}},
      {"to the bottom", 0, true, {"", "Rural Route 4", "Kingsport, WA 98346"}},
      {"to the bottom, apart", 1, true, {"", "", "Rural Route 4"}},
  };
  for (const Case& c : cases) {
    records::CustVendRecord r = Address({"Rural Route 4", "", "Kingsport, WA 98346"}, "98346");
    AddressFormatBegin(&r, c.apart);
    if (c.bottom) AddressFormatEnd(&r, c.apart);
    EXPECT_EQ(c.lines, Lines(r)) << c.name;
    EXPECT_STREQ("Lake  View Farms", r.name) << "the name stays as it is";
  }
}

TEST(AddressFormatTest, TheAddressLinesLeaveOutTheBlankOnes) {
  const records::CustVendRecord r = Address({"", "  9 Mill Lane ", "Lakeside"}, "");
  EXPECT_EQ((std::vector<std::string>{"9 Mill Lane", "Lakeside"}), AddressLines(r));
}

}  // namespace
