// The main program run as a user runs it, from a program tree laid out as
// the installation lays it out: each way the start-up can fail, with the
// message it shows and its exit status, and the runs that succeed.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "btrvc.h"
#include "shell_test_support.h"

namespace {

using shelltest::fs::path;

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_ = std::make_unique<shelltest::ProgramTree>(dir_ / "inst");
    shelltest::MakeCompany(company_, "Harbour Supply Co.");
  }
  shelltest::Run Start(const std::vector<std::string>& args, const std::string& keys,
                       std::vector<std::string> env = {}) {
    std::vector<std::string> argv{tree_->Qxa15()};
    argv.insert(argv.end(), args.begin(), args.end());
    env.push_back("XDG_CONFIG_HOME=" + (dir_ / "config").string());
    env.push_back("QX_FAKE_QXA3_LOG=" + log_.string());
    return shelltest::RunProgram(argv, keys, env, dir_.path());
  }
  shelltest::TempDir dir_;
  std::unique_ptr<shelltest::ProgramTree> tree_;
  path company_ = dir_ / "company";
  path log_ = dir_ / "qxa3.log";
};

TEST_F(StartupTest, FailuresShowTheirMessageAndEndWithAStatus) {
  struct Case {
    const char* name;
    std::function<void(shelltest::ProgramTree&)> change;  // the installation's fault
    std::vector<std::string> args;
    std::string keys;
    std::string env;
    int status;
    std::vector<std::string> shown;  // texts of the transcript, in order
  };
  const std::string company = company_.string();
  const std::string longPath = "/" + std::string(150, 'a');
  const Case cases[] = {
      {"missing component", [](auto& t) { shelltest::fs::remove(t.Common() / "libQxa-5.so.15"); },
       {company}, "", "", 1,
       {"libQxa-5.so.15", "cannot be located.", "Please re-install the application."}},
      {"missing Qxa-3", [](auto& t) { shelltest::fs::remove(t.Program() / "libQxa-3.so"); },
       {company}, "", "", 1, {"libQxa-3.so", "cannot be located."}},
      {"wrong version", [](auto& t) { t.Copy(QX_WRONG_VERSION_FILE, t.Common() / "libQxWReg.so.15"); },
       {company}, "", "", 1, {"libQxWReg.so.15", "is the wrong version.", "Please re-install"}},
      {"screens data of another release",
       [](auto& t) { shelltest::WriteAll(t.Program() / "QXA4BASE" / "qxascrns.ver", "14.2.0\n"); },
       {company}, "", "", 1, {"qxascrns.ver", "is the wrong version."}},
      {"record manager not resident", nullptr, {company}, "", "QX_BTRV_TEST=resident=0", 1,
       {"** ERROR - Btrieve is not resident **"}},
      {"record manager older than 7", nullptr, {company}, "", "QX_BTRV_TEST=version=6.1", 1,
       {"message number: 1170", "Btrieve version 6. 1 is in use by another",
        "application.  The application must be closed", "prior to running Quarlex."}},
      // In the Open Company screen's words.
      {"company folder that does not exist", nullptr, {(dir_ / "nowhere").string()}, "", "", 3,
       {"The folder " + (dir_ / "nowhere").string() + " does not exist."}},
      {"company folder holding no company", nullptr, {dir_.path().string()}, "", "", 3,
       {"The folder " + dir_.path().string() + " holds no company: it has no settings file."}},
      {"company path longer than its field", nullptr, {longPath}, "", "", 2,
       {"longer than 143 characters"}},
      {"Esc at the opening command", nullptr, {company}, "Esc", "", 3, {"Open Company"}},
      {"command line refused", nullptr, {company, "--bogus"}, "", "", 2, {"Unknown option"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shelltest::TempDir treeDir;
    tree_ = std::make_unique<shelltest::ProgramTree>(treeDir / "inst");
    if (c.change) c.change(*tree_);
    std::vector<std::string> env;
    if (!c.env.empty()) env.push_back(c.env);
    const shelltest::Run run = Start(c.args, c.keys, env);
    EXPECT_EQ(c.status, run.status) << run.transcript << run.errors;
    std::size_t at = 0;
    for (const std::string& text : c.shown) {
      const std::size_t found = run.transcript.find(text, at);
      EXPECT_NE(std::string::npos, found) << "\"" << text << "\" not shown:\n" << run.transcript;
      if (found != std::string::npos) at = found;
    }
    EXPECT_FALSE(run.errors.empty()) << "no message on standard error";
    EXPECT_FALSE(shelltest::fs::exists(log_)) << "a command ran";
  }
}

TEST_F(StartupTest, OpensTheCompanyAndEndsWhenTheScriptRunsOut) {
  const shelltest::Run run = Start({company_.string()}, "Enter");
  EXPECT_EQ(0, run.status) << run.transcript << run.errors;
  EXPECT_NE(std::string::npos, run.transcript.find("Open Company")) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find(company_.string())) << run.transcript;
  // The first start made the base files and noted the base-file upgrade as done.
  EXPECT_NE(std::string::npos,
            shelltest::ReadAll(dir_ / "config" / "quarlex" / "qxa15.ini").find("Converted=1"));
  for (const char* file : {"QXAMAST.DB", "QXAFORM.DB", "QXAFFLD.DB", "QXAREP.DB", "QXARCOL.DB", "QXARFNT.DB"})
    EXPECT_EQ(0, BtrvFileExists((tree_->Program() / "QXA4BASE" / file).c_str())) << file;
}

TEST_F(StartupTest, CommandOnlyRunsItsCommandOnceWithItsParameters) {
  const shelltest::Run run =
      Start({company_.string(), "/only", "/cmd:337", "/param:input='default' output='aging.htm'"}, "");
  EXPECT_EQ(0, run.status) << run.transcript << run.errors;
  EXPECT_EQ("337 input='default' output='aging.htm'\n", shelltest::ReadAll(log_));
  EXPECT_EQ(std::string::npos, run.transcript.find("Open Company")) << "a command-only start asked";
}

TEST_F(StartupTest, CommandOnlyWithACommandNobodyServesFails) {
  const shelltest::Run run = Start({company_.string(), "/only", "/cmd:850"}, "");
  EXPECT_EQ(4, run.status) << run.transcript << run.errors;
}

TEST_F(StartupTest, ArgsFileNamesTheCompanyWhenTheCommandLineDoesNot) {
  shelltest::WriteAll(tree_->Program() / "QxAcArgs.ini", "/Files:" + company_.string() + "\r\nother=1\r\n");
  const shelltest::Run run = Start({}, "Enter");
  EXPECT_EQ(0, run.status) << run.transcript << run.errors;
  EXPECT_NE(std::string::npos, run.transcript.find(company_.string())) << run.transcript;
}

// Start-up moves into the program's folder before it reads the args file,
// so the file is the program folder's, not the one of the folder the user
// starts the program in; a relative folder in it is taken from there too.
TEST_F(StartupTest, ArgsFileIsTheProgramFoldersWhereverTheProgramIsStarted) {
  const path other = dir_ / "other company";
  shelltest::MakeCompany(other, "Someone Else Ltd.");
  shelltest::WriteAll(dir_ / "QxAcArgs.ini", "/FILES:" + other.string() + "\n");  // the user's folder
  const struct {
    const char* name;
    std::string programFolderFile;  // empty: none
    std::string opened;             // the company the opening command shows; empty: none named
  } cases[] = {
      {"the program folder's file", "/FILES:" + company_.string() + "\n", company_.string()},
      {"a relative folder, from the program's folder", "/FILES:../../company\n", company_.string()},
      {"no file in the program's folder", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    shelltest::fs::remove(tree_->Program() / "QxAcArgs.ini");
    if (!c.programFolderFile.empty()) shelltest::WriteAll(tree_->Program() / "QxAcArgs.ini", c.programFolderFile);
    const shelltest::Run run = Start({}, "Esc");
    EXPECT_EQ(std::string::npos, run.transcript.find(other.string())) << run.transcript;
    if (!c.opened.empty()) {
      EXPECT_NE(std::string::npos, run.transcript.find(c.opened)) << run.transcript;
    }
  }
}

TEST_F(StartupTest, TheLauncherStartsTheProgramWithItsArguments) {
  std::vector<std::string> argv{tree_->Qxl15(), company_.string(), "/only", "/cmd:344"};
  const shelltest::Run run = shelltest::RunProgram(
      argv, "", {"XDG_CONFIG_HOME=" + (dir_ / "config").string(), "QX_FAKE_QXA3_LOG=" + log_.string()},
      dir_.path());
  EXPECT_EQ(0, run.status) << run.transcript << run.errors;
  EXPECT_EQ("344 \n", shelltest::ReadAll(log_));
}

}  // namespace

namespace {

TEST_F(StartupTest, TheWinPopProgramStartsAfterTheCompanyIsOpen) {
  const path notes = dir_ / "notes";
  shelltest::fs::create_directories(notes);
  shelltest::WriteAll(notes / "reminder", "#!/bin/sh\npwd > started.txt\n");
  shelltest::fs::permissions(notes / "reminder", shelltest::fs::perms::owner_all);
  shelltest::WriteAll(tree_->Program() / "WINPOP.INI", "[windows]\nrun=" + (notes / "reminder").string() + "\n");
  EXPECT_EQ(0, Start({company_.string()}, "Enter").status);
  for (int i = 0; i < 100 && !shelltest::fs::exists(notes / "started.txt"); ++i) usleep(20000);
  EXPECT_EQ(notes.string() + "\n", shelltest::ReadAll(notes / "started.txt"));

  // A program that is not there changes nothing.
  shelltest::WriteAll(tree_->Program() / "WINPOP.INI", "[windows]\nrun=/no/such/program\n");
  const shelltest::Run run = Start({company_.string()}, "Enter");
  EXPECT_EQ(0, run.status) << run.transcript;
  EXPECT_EQ(std::string::npos, run.transcript.find("message box")) << run.transcript;
}

}  // namespace
