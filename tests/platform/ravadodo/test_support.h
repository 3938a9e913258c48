// Helpers of the screen-library tests: a scripted run with its transcript,
// compared with the golden files of golden/.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "qxtest/files.h"
#include "qxtest/scripted_screen.h"

namespace rvtest {

using qxtest::ReadAll;
using qxtest::TempDir;
using qxtest::WriteAll;

// Starts the script device on `keys`, today fixed at 2025-03-15.
class ScriptedTest : public ::testing::Test {
 protected:
  void Start(const std::string& keys) { screen_.Start(keys); }
  std::string Transcript() { return screen_.Finish(); }
  // Compares with tests/platform/ravadodo/golden/<name>; QX_UPDATE_GOLDEN=1
  // writes the file instead.
  void ExpectGolden(const std::string& text, const std::string& name) {
    qxtest::ExpectGolden(text, "tests/platform/ravadodo/golden/" + name);
  }
  TempDir dir_{"rvtest"};
  qxtest::ScriptedScreen screen_{dir_.path().string(), qxtest::TestToday()};
};

}  // namespace rvtest
