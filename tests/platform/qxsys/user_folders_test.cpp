// The user's folders by the XDG variables, with their fall-backs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "qxsys/user_folders.h"

namespace {

// Sets (or, with null, removes) an environment variable for one scope.
class Variable {
 public:
  Variable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~Variable() { had_ ? ::setenv(name_, old_.c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(UserFolders, FollowTheXdgVariablesOrTheHomeFolder) {
  Variable home("HOME", "/home/ann");
  {
    Variable config("XDG_CONFIG_HOME", "/cfg/");
    Variable state("XDG_STATE_HOME", "/st");
    EXPECT_EQ(qxsys::UserConfigFolder(), "/cfg/quarlex");
    EXPECT_EQ(qxsys::UserStateFolder(), "/st/quarlex");
  }
  // Unset, empty or relative: the home folder's defaults.
  Variable config("XDG_CONFIG_HOME", "");
  Variable state("XDG_STATE_HOME", "relative/state");
  EXPECT_EQ(qxsys::UserConfigFolder(), "/home/ann/.config/quarlex");
  EXPECT_EQ(qxsys::UserStateFolder(), "/home/ann/.local/state/quarlex");
}

TEST(UserFolders, TemporaryFilesGoWhereTheSessionSays) {
  {
    Variable tmp("TMPDIR", "/scratch");
    Variable runtime("XDG_RUNTIME_DIR", "/run/user/1000");
    EXPECT_EQ(qxsys::TemporaryFolder(), "/scratch");
  }
  {
    Variable tmp("TMPDIR", nullptr);
    Variable runtime("XDG_RUNTIME_DIR", "/run/user/1000");
    EXPECT_EQ(qxsys::TemporaryFolder(), "/run/user/1000");
  }
  Variable tmp("TMPDIR", nullptr);
  Variable runtime("XDG_RUNTIME_DIR", nullptr);
  EXPECT_EQ(qxsys::TemporaryFolder(), "/tmp");
}

TEST(UserFolders, MakeFoldersMakesTheMissingOnesOrSaysWhy) {
  char pattern[] = "/tmp/qxsys-foldersXXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string root = pattern;
  EXPECT_EQ(qxsys::MakeFolders(root + "/a/b/c"), "");
  EXPECT_TRUE(std::filesystem::is_directory(root + "/a/b/c"));
  EXPECT_EQ(qxsys::MakeFolders(root + "/a/b/c"), "");  // there already
  std::FILE* file = std::fopen((root + "/plain").c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_NE(qxsys::MakeFolders(root + "/plain/sub"), "");
  std::filesystem::remove_all(root);
}

}  // namespace
