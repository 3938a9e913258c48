#include "oemtext.h"

#include <gtest/gtest.h>

namespace {

TEST(OemText, RoundTripsEveryByteThroughUtf8) {
  std::string all;
  for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(oem::FromUtf8(oem::ToUtf8(all)), all);
  EXPECT_EQ(oem::FromUtf8(oem::ToUtf8(all, true)), all);
}

TEST(OemText, ConvertsKnownCharacters) {
  struct Case {
    const char* cp437;
    const char* utf8;
  } cases[] = {
      {"Caf\x82", "Café"},
      {"\xC4\xC4", "──"},
      {"\x9C" "5", "£5"},
      {"plain", "plain"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(oem::ToUtf8(c.cp437), c.utf8) << c.utf8;
    EXPECT_EQ(oem::FromUtf8(c.utf8), c.cp437) << c.utf8;
  }
}

TEST(OemText, ReplacesWhatCodePage437CannotHoldAndMalformedUtf8) {
  EXPECT_EQ(oem::FromUtf8("a€b"), "a?b");
  EXPECT_EQ(oem::FromUtf8("a\xC3"), "a?");
  EXPECT_EQ(oem::FromUtf8("a\xE2\x82x"), "a??x");
}

TEST(OemText, CompareTextIgnoresCaseAndTrailingBlanks) {
  struct Case {
    std::string a, b;
    int sign;
  } cases[] = {
      {"Smith", "SMITH   ", 0},
      {"smith", std::string("SMITH\0\0", 7), 0},
      {"\x87" "a", "\x80" "A", 0},  // ç folds to Ç
      {"Abc", "abd", -1},
      {"ab", "ab c", -1},
      {"O'Brien", "o'brien", 0},
      {"", "   ", 0},
  };
  for (const auto& c : cases) {
    int r = oem::CompareText(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
  }
}

}  // namespace
