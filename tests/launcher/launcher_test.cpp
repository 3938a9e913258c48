// The launcher: the folder rules, the library search path, the arguments it
// passes, and the launcher itself started from a program folder.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "launcher/launcher.h"

namespace {

namespace fs = std::filesystem;

TEST(Launcher, PlanForTheLaunchersFolder) {
  struct Case {
    const char* self;
    bool valid;
    const char* mainProgram;
    const char* common;
  } cases[] = {
      {"/opt/quarlex/program/qxl15", true, "/opt/quarlex/program/qxa15", "/opt/quarlex/common"},
      {"/opt/quarlex/program/qxl15.bin", true, "/opt/quarlex/program/qxa15.bin", "/opt/quarlex/common"},
      {"/home/anne/q/v15/prog/qxl15", true, "/home/anne/q/v15/prog/qxa15", "/home/anne/q/v15/common"},
      // One level below the root: the root is its parent.
      {"/program/qxl15", true, "/program/qxa15", "/common"},
      // In the root there is no parent folder.
      {"/qxl15", false, "/qxa15", ""},
      {"qxl15", false, "", ""},
      {"", false, "", ""},
  };
  for (const Case& c : cases) {
    const qxl::LaunchPlan plan = qxl::PlanLaunch(c.self);
    EXPECT_EQ(c.valid, plan.valid) << c.self;
    EXPECT_EQ(c.mainProgram, plan.mainProgram) << c.self;
    if (c.valid) {
      EXPECT_EQ(c.common, plan.commonFolder) << c.self;
    }
  }
}

TEST(Launcher, TheCommonFolderGoesFirstOnTheSearchPathUnlessItIsThere) {
  const std::string common = "/opt/q/common";
  struct Case {
    const char* current;  // null: unset
    std::string expected;
  } cases[] = {
      {nullptr, common},
      {"", common},  // never an empty entry: that would be the current folder
      {"/usr/local/lib", common + ":/usr/local/lib"},
      {"/opt/q/common", "/opt/q/common"},
      {"/usr/lib:/opt/q/common", "/usr/lib:/opt/q/common"},
      {"/a:/opt/q/common/:/b", "/a:/opt/q/common/:/b"},
      {"/opt/Q/common", common + ":/opt/Q/common"},          // letter case counts
      {"/opt/q/common2", common + ":/opt/q/common2"},        // a longer name is another folder
      {"/x/opt/q/common", common + ":/x/opt/q/common"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, qxl::SearchPathWith(common, c.current)) << (c.current ? c.current : "(unset)");
}

TEST(Launcher, ArgumentsPassThroughUnlessAllBlank) {
  struct Case {
    std::vector<const char*> argv;
    std::vector<std::string> expected;
  } cases[] = {
      {{"qxl15"}, {"/p/qxa15"}},
      {{"qxl15", "   ", ""}, {"/p/qxa15"}},
      {{"qxl15", "/data/acme", "/cmd:337"}, {"/p/qxa15", "/data/acme", "/cmd:337"}},
      {{"qxl15", " ", "/data/my books"}, {"/p/qxa15", " ", "/data/my books"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected,
              qxl::MainProgramArguments("/p/qxa15", static_cast<int>(c.argv.size()), c.argv.data()));
}

class LauncherRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qxl15XXXXXX";
    root_ = mkdtemp(tmpl);
    fs::create_directories(root_ / "program");
    fs::copy_file(QX_QXL15_FILE, root_ / "program" / "qxl15");
  }
  void TearDown() override { fs::remove_all(root_); }
  // Runs the launcher with `args` and `searchPath` (null: unset), and the
  // further environment `env` ("NAME=value"); returns its exit status, and
  // its standard error in *errors.
  int Launch(const std::vector<std::string>& args, const char* searchPath, std::string* errors,
             const std::vector<std::string>& env = {}) {
    const fs::path err = root_ / "stderr.txt";
    pid_t pid = fork();
    if (pid == 0) {
      if (searchPath)
        setenv("LD_LIBRARY_PATH", searchPath, 1);
      else
        unsetenv("LD_LIBRARY_PATH");
      unsetenv("QX_START_FOLDER");
      unsetenv("QX_KEYS");
      unsetenv("QX_TRANSCRIPT");
      for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
      std::freopen(err.c_str(), "w", stderr);
      std::vector<char*> argv;
      const std::string self = (root_ / "program" / "qxl15").string();
      argv.push_back(const_cast<char*>(self.c_str()));
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream in(err);
    std::stringstream s;
    s << in.rdbuf();
    *errors = s.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Read(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path root_;
};

TEST_F(LauncherRunTest, StartsTheMainProgramInItsFolderWithTheCommonFolderFirst) {
  // A main program that tells what it got, and ends with a status of its own.
  std::ofstream(root_ / "program" / "qxa15")
      << "#!/bin/sh\n{ echo \"path=$LD_LIBRARY_PATH\"; echo \"pwd=$(pwd)\"; echo \"args=$#:$*\"; echo \"start=$QX_START_FOLDER\"; } > "
      << (root_ / "out.txt").string() << "\nexit 7\n";
  fs::permissions(root_ / "program" / "qxa15", fs::perms::owner_all);
  std::string errors;
  EXPECT_EQ(7, Launch({"/data/acme", "/cmd:337"}, "/usr/lib", &errors)) << errors;
  EXPECT_EQ("path=" + (root_ / "common").string() + ":/usr/lib\npwd=" + (root_ / "program").string() +
                "\nargs=2:/data/acme /cmd:337\nstart=" + fs::current_path().string() + "\n",
            Read(root_ / "out.txt"));
  EXPECT_EQ(7, Launch({"  "}, (root_ / "common").c_str(), &errors)) << errors;
  EXPECT_EQ("path=" + (root_ / "common").string() + "\npwd=" + (root_ / "program").string() + "\nargs=0:\nstart=" + fs::current_path().string() + "\n",
            Read(root_ / "out.txt"));
}

TEST_F(LauncherRunTest, TheKeyScriptAndTranscriptAreFilesOfTheUsersFolder) {
  std::ofstream(root_ / "program" / "qxa15")
      << "#!/bin/sh\n{ echo \"keys=$QX_KEYS\"; echo \"transcript=$QX_TRANSCRIPT\"; } > " << (root_ / "out.txt").string()
      << "\n";
  fs::permissions(root_ / "program" / "qxa15", fs::perms::owner_all);
  const std::string user = fs::current_path().string();
  const struct {
    std::vector<std::string> env;
    std::string told;
  } cases[] = {
      {{"QX_KEYS=keys/run 1.txt", "QX_TRANSCRIPT=t.txt"},
       "keys=" + user + "/keys/run 1.txt\ntranscript=" + user + "/t.txt\n"},
      {{"QX_KEYS=/srv/jobs/keys.txt", "QX_TRANSCRIPT="}, "keys=/srv/jobs/keys.txt\ntranscript=\n"},
      {{}, "keys=\ntranscript=\n"},
  };
  for (const auto& c : cases) {
    std::string errors;
    EXPECT_EQ(0, Launch({}, nullptr, &errors, c.env)) << errors;
    EXPECT_EQ(c.told, Read(root_ / "out.txt"));
  }
}

TEST_F(LauncherRunTest, AMissingMainProgramIsReportedOnStandardError) {
  std::string errors;
  EXPECT_NE(0, Launch({}, nullptr, &errors));
  EXPECT_NE(std::string::npos, errors.find("cannot start")) << errors;
  EXPECT_NE(std::string::npos, errors.find((root_ / "program" / "qxa15").string())) << errors;
}

}  // namespace
