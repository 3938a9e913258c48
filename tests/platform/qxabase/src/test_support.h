// Helpers of the base library's tests: a scripted screen with its
// transcript, and a company folder built by the fixture loader.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase.h"
#include "ravadodo.h"

namespace qxtest {

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A fixture file of fixtures/.
inline std::string FixturePath(const std::string& name) { return std::string(QX_QXABASE_FIXTURES) + "/" + name; }

// Every test runs on the script device in a folder of its own, with the
// company in <folder>/company, the text store of the source tree, and today
// fixed at 2025-03-15.
class BaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qxabasetestXXXXXX";
    dir_ = mkdtemp(tmpl);
    transcript_ = dir_ + "/transcript.txt";
    company_ = dir_ + "/company";
    *SharedAppBlockGet() = SharedAppBlock{};
    AppBlockTextSet(SharedAppBlockGet()->baseDataFolder, kFolderFieldSize, (std::string(QX_SOURCE_DIR) + "/data").c_str());
    AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, company_.c_str());
    TextStoreReset();
    SettingsRefresh(0, 0);
    CommandsResetForTest();
    Start("");
  }
  void TearDown() override {
    CommandAccess(0, -1);
    BtrvReset();
    ScreenResetForTest("", nullptr);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // Starts the key script `keys` (and a new transcript).
  void Start(const std::string& keys) {
    ScreenResetForTest(keys, transcript_.c_str());
    DateSetToday(DateMake(2025, 3, 15));
  }
  // The transcript so far (the script device is closed and started again
  // without keys).
  std::string Transcript() {
    ScreenResetForTest("", nullptr);
    std::string t = ReadAll(transcript_);
    ScreenResetForTest("", (dir_ + "/after.txt").c_str());
    return t;
  }

  // Builds the company folder from fixtures/<name>.
  void LoadCompany(const std::string& name) {
    fixture::Problem problem;
    ASSERT_TRUE(fixture::LoadFixture(FixturePath(name), company_, fixture::WriteOptions{true}, &problem))
        << problem.Text();
  }
  // Builds the company folder from a fixture text.
  void LoadCompanyText(const std::string& json) {
    fixture::CompanyImage image;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::ParseFixture(fixture::Json::parse(json), &image, &problem)) << problem.Text();
    ASSERT_TRUE(fixture::WriteCompany(image, company_, fixture::WriteOptions{true}, &problem)) << problem.Text();
  }

  std::string dir_;
  std::string transcript_;
  std::string company_;
};

}  // namespace qxtest
