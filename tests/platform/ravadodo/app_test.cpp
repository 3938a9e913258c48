// Command line, settings object and start state.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ravadodo.h"

namespace {

struct Expected {
  std::string path;
  int mode = 0;
  int command = 0;
  std::string codeA, codeB;
  long number = -1;
  std::string parameter;
  std::string output = "";
};

TEST(CommandLineTest, ParsesEveryValue) {
  struct Case {
    std::vector<const char*> args;
    Expected expected;
  } cases[] = {
      // args                                      path, mode, command, code A, code B, number, parameter
      {{}, {"", 0, 0, "", "", -1, ""}},
      {{"/files:/data/acme"}, {"/data/acme", 0, 0, "", "", -1, ""}},
      {{"/data/acme"}, {"/data/acme", 0, 0, "", "", -1, ""}},
      {{"/cmd:337", "/only", "/param:input='default' output='aging.htm'"},
       {"", 1, 337, "", "", -1, "input='default' output='aging.htm'"}},
      {{"-mode=2", "/CMD:101"}, {"", 2, 101, "", "", -1, ""}},
      {{"--files=/data/acme", "--only", "--cmd=337"}, {"/data/acme", 1, 337, "", "", -1, ""}},
      {{"/a:ABCDEFGHIJKLMN", "/b:X", "/n:42"}, {"", 0, 0, "ABCDEFGHIJKLMN", "X", 42, ""}},
      {{"/files:C:\\Acme", "/mode:0", "/cmd:320"}, {"C:\\Acme", 0, 320, "", "", -1, ""}},
      {{"/cmd:336", "/only", "/output:statements.htm"}, {"", 1, 336, "", "", -1, "", "statements.htm"}},
  };
  for (const Case& c : cases) {
    AppCommandLine cl;
    ASSERT_EQ(0, cl.Parse(static_cast<int>(c.args.size()), c.args.data())) << cl.ErrorText();
    EXPECT_EQ(0, cl.Status());
    EXPECT_EQ(c.expected.path, cl.CompanyPath());
    EXPECT_EQ(c.expected.mode, cl.StartMode());
    EXPECT_EQ(c.expected.command, cl.StartCommand());
    EXPECT_EQ(c.expected.codeA, cl.CodeA());
    EXPECT_EQ(c.expected.codeB, cl.CodeB());
    EXPECT_EQ(c.expected.number, cl.StartNumber());
    EXPECT_EQ(c.expected.parameter, cl.ParameterText());
    EXPECT_EQ(c.expected.output, cl.OutputFile());
  }
}

TEST(CommandLineTest, RefusesBadInputWithAClearText) {
  struct Case {
    std::vector<const char*> args;
    const char* says;
  } cases[] = {
      {{"/a:ABCDEFGHIJKLMNO"}, "longer than 14 characters"},
      {{"/cmd:abc"}, "/cmd needs a command number"},
      {{"/cmd:0"}, "/cmd needs a command number"},
      {{"/mode:3"}, "/mode needs 0, 1 or 2"},
      {{"/mode:1", "/mode:2", "/cmd:5"}, "given twice"},
      {{"-x"}, "Unknown option \"-x\""},
      {{"--cmd"}, "/cmd needs a command number"},
      {{"/only"}, "needs a command"},
      {{"/one", "/two"}, "Only one company folder"},
      {{"acme", "other"}, "Only one company folder"},
      {{"/n:-1"}, "/n needs a whole number"},
      {{"/n:99999999999"}, "/n needs a whole number"},
      {{"/files:"}, "/files needs a folder"},
      {{"/cmd:336", "/only", "/output"}, "/output needs a file"},
      {{"/cmd:336", "/output:st.htm"}, "give /only"},
      {{"/cmd:336", "/only", "/output:a\tb.htm"}, "control character"},
  };
  for (const Case& c : cases) {
    AppCommandLine cl;
    EXPECT_EQ(-1, cl.Parse(static_cast<int>(c.args.size()), c.args.data()));
    EXPECT_EQ(-1, cl.Status());
    EXPECT_NE(std::string::npos, std::string(cl.ErrorText()).find(c.says)) << cl.ErrorText();
    EXPECT_NE(std::string::npos, std::string(cl.ErrorText()).find("Usage:"));
    EXPECT_STREQ("", cl.CompanyPath());
    EXPECT_EQ(-1, cl.StartNumber());
  }
}

TEST(CommandLineTest, HelpAndVersionAskForTheirTextsInsteadOfARun) {
  using Information = AppCommandLine::Information;
  const struct {
    std::vector<const char*> args;
    Information asked;
  } cases[] = {
      {{"--help"}, Information::kUsage},   {{"-h"}, Information::kUsage},
      {{"/help"}, Information::kUsage},    {{"/?"}, Information::kUsage},
      {{"/cmd:337", "--help"}, Information::kUsage},  // wherever it stands
      {{"--version"}, Information::kVersion}, {{"/cmd:337"}, Information::kNone},
  };
  for (const auto& c : cases) {
    AppCommandLine cl;
    EXPECT_EQ(0, cl.Parse(static_cast<int>(c.args.size()), c.args.data())) << cl.ErrorText();
    EXPECT_EQ(c.asked, cl.InformationAsked()) << c.args.back();
  }
  // "-h" is help; "/h" names no option of ours, so it is a company folder.
  AppCommandLine folder;
  const char* h[] = {"/h"};
  EXPECT_EQ(0, folder.Parse(1, h));
  EXPECT_EQ(Information::kNone, folder.InformationAsked());
  EXPECT_STREQ("/h", folder.CompanyPath());
  EXPECT_NE(std::string::npos, std::string(AppCommandLine::Usage()).find("--help"));
  EXPECT_EQ(0u, AppCommandLine::VersionText().find("qxa15 (Quarlex Accounting) "));
}

TEST(CommandLineTest, OneTextWithQuotes) {
  AppCommandLine cl;
  ASSERT_EQ(0, cl.Parse("/files:\"/my data/acme\" /cmd:337 /param:\"input='default' output='x y.htm'\""))
      << cl.ErrorText();
  EXPECT_STREQ("/my data/acme", cl.CompanyPath());
  EXPECT_EQ(337, cl.StartCommand());
  EXPECT_STREQ("input='default' output='x y.htm'", cl.ParameterText());
  // A failed parse leaves nothing of an earlier one.
  EXPECT_EQ(-1, cl.Parse("/cmd:337 -bogus"));
  EXPECT_EQ(0, cl.StartCommand());
  EXPECT_STREQ("", cl.CompanyPath());
}

TEST(SettingsTest, PresenceMaskFollowsTheTexts) {
  AppSettings s;
  s.SetCompanyPath("/data/acme");
  s.SetCodeA("ABC");
  EXPECT_EQ(AppSettings::kCompanyPathBit | AppSettings::kCodeABit, s.PresenceMask());
  s.SetCodeA("");
  s.SetCodeB("0123456789ABCDEFGH");
  s.SetStartNumberText("42");
  EXPECT_EQ(AppSettings::kCompanyPathBit | AppSettings::kCodeBBit | AppSettings::kStartNumberBit, s.PresenceMask());
  EXPECT_STREQ("0123456789ABCD", s.CodeB());
  s.SetCompanyPath(nullptr);
  EXPECT_EQ(AppSettings::kCodeBBit | AppSettings::kStartNumberBit, s.PresenceMask());
  EXPECT_EQ(8u, AppSettings::kCompanyPathBit);
  EXPECT_EQ(16u, AppSettings::kCodeABit);
  EXPECT_EQ(32u, AppSettings::kCodeBBit);
  EXPECT_EQ(64u, AppSettings::kStartNumberBit);
}

TEST(StartStateTest, ModesAndStartValue) {
  AppSetCommandOnly(true);
  AppSetStartCommand(337);
  EXPECT_TRUE(AppIsCommandOnly());
  EXPECT_EQ(337, AppGetStartCommand());
  AppSetStartCommand(0);
  EXPECT_EQ(0, AppGetStartCommand());
  char text[12];
  EXPECT_STREQ("", AppStartValueText(text, -1));
  EXPECT_STREQ("42", AppStartValueText(text, 42));
  EXPECT_EQ(AppGetCommandLine(), AppGetCommandLine());
  EXPECT_EQ(AppGetSettings(), AppGetSettings());
}

}  // namespace
