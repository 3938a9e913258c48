// Helpers of the journal tests: a company folder built by the fixture loader
// (or the sample company), the data-dictionary folder the build wrote, the
// application block pointed at both, and commands run on a key script with
// their transcript.  Today is 03/15/25 in every run.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/transactions.h"
#include "sample/sample_company.h"

namespace journaltest {

namespace fs = std::filesystem;
using fixture::Json;

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// The message numbers shown in a transcript, in order.
inline std::vector<int> MessageNumbers(const std::string& transcript) {
  std::vector<int> numbers;
  const std::string tag = "message number: ";
  for (std::size_t at = transcript.find(tag); at != std::string::npos; at = transcript.find(tag, at + 1))
    numbers.push_back(std::stoi(transcript.substr(at + tag.size())));
  return numbers;
}

inline std::int32_t Day(int year, int month, int day) { return DateMake(year, month, day); }

// The text of the report the preview showed (between its first page line and
// its end line); "" when no preview ran.
inline std::string PreviewText(const std::string& transcript) {
  const std::size_t start = transcript.find("--- page 1 of");
  if (start == std::string::npos) return "";
  const std::size_t end = transcript.find("--- end of report ---", start);
  return transcript.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qxjournalXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    company_ = dir_ + "/company";
    dict_ = dir_ + "/QXACDICT";
    // The dictionaries as the build wrote them, in a folder of this test's own.
    fs::create_directories(dict_);
    fs::copy_file(std::string(QX_DICT_FOLDER) + "/qxrecords.sqlite", dict_ + "/qxrecords.sqlite");
    SharedAppBlock* app = SharedAppBlockGet();
    *app = SharedAppBlock{};
    AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, (std::string(QX_SOURCE_DIR) + "/data").c_str());
    AppBlockTextSet(app->companyPath, kFolderFieldSize, company_.c_str());
    AppBlockTextSet(app->dictFolder, kFolderFieldSize, dict_.c_str());
    app->currentCommand = 301;
    TextStoreReset();
    BtrvTestSwitch("");
    DateSetToday(Today());
  }
  void TearDown() override {
    BtrvTestSwitch("");
    BtrvReset();
    ScreenResetForTest("", nullptr);
    DateSetToday(0);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  static std::int32_t Today() { return Day(2025, 3, 15); }

  // The company of a fixture file of this folder, with `extra` records added.
  void LoadCompany(const std::string& name, const Json& extra = Json::object()) {
    std::ifstream in(std::string(QX_JOURNAL_FIXTURES) + "/" + name);
    Json fixture = Json::parse(in);
    for (auto it = extra.begin(); it != extra.end(); ++it)
      for (const Json& record : it.value()) fixture["files"][it.key()].push_back(record);
    fixture::CompanyImage image;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::ParseFixture(fixture, &image, &problem)) << problem.Text();
    ASSERT_TRUE(fixture::WriteCompany(image, company_, fixture::WriteOptions{true}, &problem)) << problem.Text();
  }

  // The sample company as of today.
  void LoadSampleCompany() {
    sample::Options options;
    options.today = Today();
    fixture::CompanyImage image;
    std::string error;
    ASSERT_TRUE(sample::BuildSampleCompany(options, &image, &error)) << error;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::WriteCompany(image, company_, fixture::WriteOptions{true}, &problem)) << problem.Text();
  }

  // Every record of the company, as byte images by file.
  fixture::CompanyImage Snapshot() {
    fixture::CompanyImage image;
    fixture::Problem problem;
    EXPECT_TRUE(fixture::ReadCompany(company_, {}, &image, &problem)) << problem.Text();
    return image;
  }

  std::vector<records::TagGLHeader> GLHeaders() {
    std::vector<records::TagGLHeader> out;
    const fixture::CompanyImage image = Snapshot();
    auto it = image.files.find(records::kFileGLHeaders);
    if (it == image.files.end()) return out;
    for (const auto& bytes : it->second) {
      records::TagGLHeader h{};
      EXPECT_TRUE(records::FromImage(bytes, &h));
      out.push_back(h);
    }
    return out;
  }

  // Starts the script device on `keys`; Finish gives the transcript.
  void Start(const std::string& keys) {
    transcriptPath_ = dir_ + "/transcript-" + std::to_string(++runs_) + ".txt";
    ScreenResetForTest(keys, transcriptPath_.c_str());
    DateSetToday(Today());
    SettingsRefresh(0, 0);
  }
  std::string Finish() {
    ScreenResetForTest("", nullptr);  // closes the transcript
    DateSetToday(Today());
    return ReadAll(transcriptPath_);
  }

  std::string dir_, company_, dict_, transcriptPath_;
  int runs_ = 0;
};

}  // namespace journaltest
