// Assembly posting as a user runs it: the main program started on the
// company with command 326, from a program tree laid out as the installation
// lays it out, keys read from a key script (QX_KEYS).  The reference typed on
// the screen heads the run's G/L transaction.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxtest/files.h"
#include "qxtest/programs.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace {

using std::filesystem::path;

std::string Stripped(const char* text, std::size_t width) {
  std::string s(text, strnlen(text, width));
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

TEST(AssemblyPostingProgramTest, F10PostsThePeriodUnderTheTypedReference) {
  qxtest::TempDir dir;
  qxtest::ProgramTree tree(dir / "inst", qxtest::BuiltProgramFiles());  // with this build's Qxa-3
  const path company = dir / "company";
  fixture::Problem problem;
  ASSERT_TRUE(fixture::LoadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/assembly_post_company.json",
                                   company, fixture::WriteOptions{true}, &problem))
      << problem.Text();

  const qxtest::Run run = qxtest::RunProgram({tree.Qxa15(), company.string(), "/cmd:326"},
                                             "Enter Tab \"MARCH RUN\" F10 Enter",
                                             {"XDG_CONFIG_HOME=" + (dir / "config").string(), "QX_TODAY=2025-03-15"},
                                             dir.path());
  EXPECT_EQ(0, run.status) << run.errors << run.transcript;
  const std::string& t = run.transcript;
  ASSERT_NE(std::string::npos, t.find("form start: Assembly Posting")) << t;
  EXPECT_NE(std::string::npos, t.find("3 transactions posted.")) << t;
  EXPECT_NE(std::string::npos, t.find("Debits 240.00, credits 240.00.")) << t;

  fixture::CompanyImage image;
  const int files[] = {records::kFileAssemblyHeaders, records::kFileProducts, records::kFileGLHeaders};
  ASSERT_TRUE(fixture::ReadCompany(company, files, &image, &problem)) << problem.Text();
  std::map<std::string, char> marks;
  for (const auto& bytes : image.files[records::kFileAssemblyHeaders]) {
    records::AssemblyHeader h{};
    std::memcpy(&h, bytes.data(), std::min(bytes.size(), sizeof h));
    marks[Stripped(h.transactionNumber, sizeof h.transactionNumber)] = h.postedFlag;
  }
  EXPECT_EQ((std::map<std::string, char>{
                {"301", 'Y'}, {"302", 'Y'}, {"303", 'Y'}, {"304", 'Y'}, {"305", 'Y'}, {"306", 'N'}}),
            marks);
  for (const auto& bytes : image.files[records::kFileProducts]) {
    records::TagProduct p{};
    std::memcpy(&p, bytes.data(), std::min(bytes.size(), sizeof p));
    if (Stripped(p.number, sizeof p.number) == "TABLE") {
      EXPECT_DOUBLE_EQ(2.0, p.quantityOnHand);
    }
  }
  int batches = 0;
  for (const auto& bytes : image.files[records::kFileGLHeaders]) {
    records::TagGLHeader h{};
    std::memcpy(&h, bytes.data(), std::min(bytes.size(), sizeof h));
    ++batches;
    EXPECT_EQ("AS", Stripped(h.journalCode, sizeof h.journalCode));
    EXPECT_EQ("MARCH RUN", Stripped(h.reference, sizeof h.reference));
    EXPECT_EQ('Y', h.postedFlag);
  }
  EXPECT_EQ(1, batches);
}

}  // namespace
