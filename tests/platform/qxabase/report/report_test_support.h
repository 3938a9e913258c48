// Helpers of the report-writer tests: temporary folders, golden files and a
// scripted screen with its transcript.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "qxabase/report.h"
#include "ravadodo.h"

namespace reporttest {

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

// A temporary folder removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/qxreportXXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Compares with tests/platform/qxabase/report/golden/<name>; QX_UPDATE_GOLDEN=1
// writes the file instead.
inline void ExpectGolden(const std::string& text, const std::string& name) {
  const std::string path = std::string(QX_SOURCE_DIR) + "/tests/platform/qxabase/report/golden/" + name;
  if (std::getenv("QX_UPDATE_GOLDEN")) {
    WriteAll(path, text);
    return;
  }
  EXPECT_EQ(ReadAll(path), text) << "differs from " << path;
}

// Each test starts the script device on its keys, today fixed at 2025-03-15.
class ScriptedReportTest : public ::testing::Test {
 protected:
  void Start(const std::string& keys) {
    ScreenResetForTest(keys, transcriptPath_.c_str());
    DateSetToday(DateMake(2025, 3, 15));
  }
  void SetUp() override { Start(""); }
  void TearDown() override {
    if (info_.run) ReportClose(&info_);
  }
  std::string Transcript() {
    ScreenResetForTest("", nullptr);  // closes the transcript file
    DateSetToday(DateMake(2025, 3, 15));
    return ReadAll(transcriptPath_);
  }

  TempDir dir_;
  std::string transcriptPath_ = dir_.File("transcript.txt");
  TagRepInfo info_{};
};

}  // namespace reporttest
