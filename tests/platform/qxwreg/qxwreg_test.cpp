// Registry values kept in an ini file of the configuration folder, and the
// reading of other ini files.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "qxwreg.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qxwregXXXXXX";
    root_ = mkdtemp(tmpl);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ASSERT_EQ(0, RegInit("qxa15", 15));
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path File() const { return root_ / "config" / "quarlex" / "qxa15.ini"; }
  fs::path root_;
};

TEST_F(RegistryTest, FileLivesInTheConfigurationFolder) {
  EXPECT_EQ(File().string(), RegFilePath());
  EXPECT_EQ(7, RegGetInt("BaseFiles", "Converted", 7));  // no file yet: the default
  EXPECT_FALSE(fs::exists(File()));
  ASSERT_EQ(0, RegSetInt("BaseFiles", "Converted", 1));
  EXPECT_EQ("[BaseFiles]\nConverted=1\n", ReadAll(File()));
  EXPECT_EQ(1, RegGetInt("basefiles", "CONVERTED", 0));  // names without regard to case
}

TEST_F(RegistryTest, HomeServesWhenTheConfigurationVariableIsNotAbsolute) {
  setenv("HOME", root_.c_str(), 1);
  for (const char* xdg : {"", "relative/path"}) {
    setenv("XDG_CONFIG_HOME", xdg, 1);
    ASSERT_EQ(0, RegInit("qxa15", 15));
    EXPECT_EQ((root_ / ".config" / "quarlex" / "qxa15.ini").string(), RegFilePath()) << xdg;
  }
}

TEST_F(RegistryTest, ValuesThatAreNotWholeNumbersGiveTheDefault) {
  fs::create_directories(File().parent_path());
  std::ofstream(File()) << "[S]\nA=12\nB=twelve\nC=\nD=99999999999\nE= -4 \nF=3x\n";
  struct Case {
    const char* name;
    int expected;
  } cases[] = {{"A", 12}, {"B", -1}, {"C", -1}, {"D", -1}, {"E", -4}, {"F", -1}, {"G", -1}};
  for (const Case& c : cases) EXPECT_EQ(c.expected, RegGetInt("S", c.name, -1)) << c.name;
}

TEST_F(RegistryTest, ChangingOneValueKeepsEverythingElse) {
  fs::create_directories(File().parent_path());
  std::ofstream(File()) << "; settings of the program\n[Other]\nX=1\n\n[BaseFiles]\nConverted=0\n"
                           "Note=kept\n\n[Last]\nY=2\n";
  ASSERT_EQ(0, RegSetInt("BaseFiles", "Converted", 1));
  ASSERT_EQ(0, RegSetInt("BaseFiles", "Added", 5));
  ASSERT_EQ(0, RegSetString("New", "Name", "text with = sign"));
  EXPECT_EQ(
      "; settings of the program\n[Other]\nX=1\n\n[BaseFiles]\nConverted=1\nNote=kept\nAdded=5\n\n"
      "[Last]\nY=2\n\n[New]\nName=text with = sign\n",
      ReadAll(File()));
  char out[8];
  EXPECT_EQ(7, RegGetString("new", "name", "", out, sizeof out));  // cut to the buffer
  EXPECT_STREQ("text wi", out);
}

TEST_F(RegistryTest, RefusedWritesLeaveTheFileAsItWas) {
  ASSERT_EQ(0, RegSetInt("A", "B", 1));
  const std::string before = ReadAll(File());
  EXPECT_EQ(-1, RegSetString("A", "B", "two\nlines"));
  EXPECT_EQ(-1, RegSetInt("A[", "B", 2));
  EXPECT_EQ(-1, RegSetInt("A", "", 2));
  EXPECT_EQ(before, ReadAll(File()));
  EXPECT_FALSE(fs::exists(File().string() + ".new"));
}

TEST_F(RegistryTest, UnusableApplicationNamesLeaveNoRegistry) {
  for (const char* name : {"", "../escape", "a/b", ".hidden"}) {
    EXPECT_EQ(-1, RegInit(name, 1)) << name;
    EXPECT_STREQ("", RegFilePath());
    EXPECT_EQ(-1, RegSetInt("A", "B", 1));
    EXPECT_EQ(3, RegGetInt("A", "B", 3));
  }
  EXPECT_FALSE(fs::exists(root_ / "config"));
}

TEST_F(RegistryTest, ProfileStrings) {
  const fs::path ini = root_ / "WINPOP.INI";
  std::ofstream(ini) << "[windows]\r\nload=\r\n; run=commented\r\n  RUN = /opt/tools/notes  \r\n"
                        "[other]\r\nrun=/bin/false\r\n";
  char out[260];
  const std::string file = ini.string(), missing = (root_ / "none.ini").string();
  struct Case {
    const char* section;
    const char* key;
    const char* file;
    const char* expected;
  } cases[] = {
      {"windows", "run", file.c_str(), "/opt/tools/notes"},
      {"Windows", "load", file.c_str(), ""},
      {"windows", "missing", file.c_str(), "dflt"},
      {"nosection", "run", file.c_str(), "dflt"},
      {"windows", "run", missing.c_str(), "dflt"},
  };
  for (const Case& c : cases) {
    int n = ProfileGetString(c.section, c.key, "dflt", out, sizeof out, c.file);
    EXPECT_STREQ(c.expected, out) << c.section << "/" << c.key;
    EXPECT_EQ(static_cast<int>(std::strlen(c.expected)), n);
  }
}

}  // namespace
