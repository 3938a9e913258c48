// Helpers of the screen-library tests: a scripted run with its transcript.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "ravadodo.h"

namespace rvtest {

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
    char tmpl[] = "/tmp/rvtestXXXXXX";
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

// Starts the script device on `keys`, today fixed at 2025-03-15.
class ScriptedTest : public ::testing::Test {
 protected:
  void Start(const std::string& keys) {
    ScreenResetForTest(keys, transcriptPath_.c_str());
    DateSetToday(DateMake(2025, 3, 15));
  }
  std::string Transcript() {
    ScreenResetForTest("", nullptr);  // closes the transcript file
    return ReadAll(transcriptPath_);
  }
  // Compares with tests/platform/ravadodo/golden/<name>; QX_UPDATE_GOLDEN=1
  // writes the file instead.
  void ExpectGolden(const std::string& text, const std::string& name) {
    std::string path = std::string(QX_SOURCE_DIR) + "/tests/platform/ravadodo/golden/" + name;
    if (std::getenv("QX_UPDATE_GOLDEN")) {
      WriteAll(path, text);
      return;
    }
    std::string expected = ReadAll(path);
    EXPECT_EQ(expected, text) << "transcript differs from " << path;
  }
  TempDir dir_;
  std::string transcriptPath_ = dir_.File("transcript.txt");
};

}  // namespace rvtest
