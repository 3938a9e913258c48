// Helpers of the report-writer tests: temporary folders, golden files of
// golden/ and a scripted screen with its transcript.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "qxabase/report.h"
#include "qxtest/files.h"
#include "qxtest/scripted_screen.h"

namespace reporttest {

using qxtest::ReadAll;
using qxtest::TempDir;
using qxtest::WriteAll;

// Compares with tests/platform/qxabase/report/golden/<name>; QX_UPDATE_GOLDEN=1
// writes the file instead.
inline void ExpectGolden(const std::string& text, const std::string& name) {
  qxtest::ExpectGolden(text, "tests/platform/qxabase/report/golden/" + name);
}

// Each test starts the script device on its keys, today fixed at 2025-03-15;
// a report still open at the end is closed.
class ScriptedReportTest : public ::testing::Test {
 protected:
  void Start(const std::string& keys) { screen_.Start(keys); }
  void SetUp() override { Start(""); }
  void TearDown() override {
    if (info_.run) ReportClose(&info_);
  }
  std::string Transcript() { return screen_.Finish(); }

  TempDir dir_{"qxreport"};
  qxtest::ScriptedScreen screen_{dir_.path().string(), qxtest::TestToday()};
  TagRepInfo info_{};
};

}  // namespace reporttest
