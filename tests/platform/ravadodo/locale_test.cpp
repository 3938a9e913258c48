// The locale the terminal device chooses from the user's: under a locale
// with a decimal comma or Turkish letter cases, amounts still read and print
// with a point and letters change case as in C.  The locales are made for
// the test with localedef; the test is skipped where they cannot be.
#include <clocale>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "internal.h"
#include "ravadodo.h"

namespace {

class TerminalLocaleTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("qx-locale-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    const std::string name = GetParam();
    const std::string source = name.substr(0, name.find('.'));
    const std::string command =
        "localedef -i " + source + " -f UTF-8 '" + (folder_ / name).string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << name << " cannot be made here (no locale sources)";
    setenv("LOCPATH", folder_.c_str(), 1);
    setenv("LANG", name.c_str(), 1);
    unsetenv("LC_ALL");
    unsetenv("LC_NUMERIC");
    unsetenv("LC_CTYPE");
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    unsetenv("LANG");
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::filesystem::path folder_;
};

TEST_P(TerminalLocaleTest, AmountsKeepTheirPointAndLettersTheirCases) {
  // The locale is in use: what the user's programs see.
  ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr) << GetParam();
  rv::ChooseTerminalLocale();
  char text[64];
  EXPECT_STREQ(NumToText(text, 1234.5, 2), "1234.50");
  double value = 0;
  ASSERT_EQ(TextToValue("12.50", 0, &value), 0);
  EXPECT_EQ(value, 12.5);
  std::snprintf(text, sizeof text, "%.2f", 785.51);
  EXPECT_STREQ(text, "785.51");
  EXPECT_EQ(std::toupper('i'), 'I');
  EXPECT_EQ(std::tolower('I'), 'i');
  // Still UTF-8, for the line characters.
  EXPECT_NE(std::string(std::setlocale(LC_CTYPE, nullptr)).find("UTF-8"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Locales, TerminalLocaleTest, ::testing::Values("de_DE.UTF-8", "tr_TR.UTF-8"),
                         [](const auto& info) { return std::string(info.param).substr(0, 5); });

}  // namespace
