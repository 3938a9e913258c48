// Physical-inventory posting as a user runs it: the main program started on
// the company with command 327, from a program tree laid out as the
// installation lays it out, keys read from a key script (QX_KEYS).  The
// counts post into the products and the general ledger and are cleared.
#include <algorithm>
#include <cstring>
#include <filesystem>
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

TEST(PhysicalInventoryPostingProgramTest, TheCountsPostFromTheMenuCommand) {
  qxtest::TempDir dir;
  qxtest::ProgramTree tree(dir / "inst", qxtest::BuiltProgramFiles());  // with this build's Qxa-3
  const path company = dir / "company";
  fixture::Problem problem;
  ASSERT_TRUE(fixture::LoadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/pi_post_company.json", company,
                                   fixture::WriteOptions{true}, &problem))
      << problem.Text();

  // The company opened; a reference typed; F10 posts; the summary read.
  const qxtest::Run run = qxtest::RunProgram(
      {tree.Qxa15(), company.string(), "/cmd:327"}, "Enter Tab \"COUNT-MAR\" F10 Enter",
      {"XDG_CONFIG_HOME=" + (dir / "config").string(), "QX_TODAY=2025-03-15"}, dir.path());
  EXPECT_EQ(0, run.status) << run.errors << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("form start: Physical Inventory Posting")) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("3 transactions posted.")) << run.transcript;

  fixture::CompanyImage image;
  const int files[] = {records::kFilePhysicalCounts, records::kFileProducts, records::kFileGLHeaders};
  ASSERT_TRUE(fixture::ReadCompany(company, files, &image, &problem)) << problem.Text();
  EXPECT_TRUE(image.files[records::kFilePhysicalCounts].empty());
  ASSERT_EQ(1u, image.files[records::kFileGLHeaders].size());
  records::TagGLHeader header{};
  std::memcpy(&header, image.files[records::kFileGLHeaders][0].data(), sizeof header);
  EXPECT_EQ('Y', header.postedFlag);
  EXPECT_EQ("COUNT-MAR", records::Trimmed(header.reference));
  for (const auto& bytes : image.files[records::kFileProducts]) {
    records::TagProduct p{};
    std::memcpy(&p, bytes.data(), std::min(bytes.size(), sizeof p));
    if (records::Trimmed(p.number) == "BOLT-10") {
      EXPECT_DOUBLE_EQ(8, p.quantityOnHand);
    }
  }
}

}  // namespace
