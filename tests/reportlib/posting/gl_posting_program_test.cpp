// General-ledger posting as a user runs it: the main program started on the
// company with command 320, from a program tree laid out as the installation
// lays it out, keys read from a key script (QX_KEYS).  F9 leaves the posting
// screen for Backup/Restore (602); the main loop brings the screen back with
// the date typed before the detour, and F10 posts that date's period.
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxtest/files.h"
#include "qxtest/programs.h"
#include "records/dictionary.h"
#include "records/transactions.h"

namespace {

using std::filesystem::path;

TEST(GLPostingProgramTest, F9DetoursThroughBackupRestoreAndComesBackWithTheDate) {
  qxtest::TempDir dir;
  qxtest::ProgramTree tree(dir / "inst", qxtest::BuiltProgramFiles());  // with this build's Qxa-3
  const path company = dir / "company";
  fixture::Problem problem;
  ASSERT_TRUE(fixture::LoadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/gl_post_company.json", company,
                                   fixture::WriteOptions{true}, &problem))
      << problem.Text();

  // The company opened; the date 04/10/25 typed, F9; 602's message read;
  // back on the screen, F10 posts April; the summary read.  The script then
  // runs out and the program ends as if its window were closed.
  const qxtest::Run run = qxtest::RunProgram(
      {tree.Qxa15(), company.string(), "/cmd:320"}, "Enter \"041025\" F9 Enter F10 Enter",
      {"XDG_CONFIG_HOME=" + (dir / "config").string(), "QX_TODAY=2025-03-15"}, dir.path());
  EXPECT_EQ(0, run.status) << run.errors << run.transcript;
  const std::string& t = run.transcript;
  const std::size_t firstScreen = t.find("form start: General Ledger Posting");
  const std::size_t detour = t.find("message number: 602", firstScreen);
  const std::size_t secondScreen = t.find("form start: General Ledger Posting", firstScreen + 1);
  ASSERT_NE(std::string::npos, firstScreen) << t;
  ASSERT_NE(std::string::npos, detour) << t;
  ASSERT_NE(std::string::npos, secondScreen) << "the posting screen comes back after 602:\n" << t;
  EXPECT_LT(detour, secondScreen) << t;
  EXPECT_NE(std::string::npos, t.find("04/10/25", secondScreen)) << "with the carried date:\n" << t;
  EXPECT_NE(std::string::npos, t.find("1 transactions posted.", secondScreen)) << t;

  // April's transaction is posted; March's are not (1004 was posted before).
  const std::map<std::string, char> expected = {{"1001", 'N'}, {"1002", 'N'}, {"2001", 'N'}, {"1003", 'N'},
                                                {"1004", 'Y'}, {"1005", 'N'}, {"1006", 'N'}, {"1007", 'Y'}};
  fixture::CompanyImage image;
  const int files[] = {records::kFileGLHeaders};
  ASSERT_TRUE(fixture::ReadCompany(company, files, &image, &problem)) << problem.Text();
  std::map<std::string, char> flags;
  for (const auto& bytes : image.files[records::kFileGLHeaders]) {
    records::TagGLHeader h{};
    std::memcpy(&h, bytes.data(), sizeof h);
    std::string number(records::Trimmed(h.transactionNumber));
    flags[number.substr(number.find_first_not_of(' '))] = h.postedFlag;
  }
  EXPECT_EQ(expected, flags);
}

}  // namespace
