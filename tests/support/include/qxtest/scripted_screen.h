// The script device of the screen library as the tests drive it: keys from a
// key script, everything shown written to a transcript file, and today fixed.
//
// Header only: a test that includes it links the screen library (ravadodo).
#pragma once

#include <cstdint>
#include <string>

#include "qxtest/files.h"
#include "ravadodo.h"

namespace qxtest {

// Today in most tests: 03/15/25.
inline std::int32_t TestToday() { return DateMake(2025, 3, 15); }

// Runs of the script device, each with a transcript of its own in `folder`
// (transcript-1.txt, transcript-2.txt, ...).
class ScriptedScreen {
 public:
  // `today`: the date every run takes as today; 0 leaves the real date.
  ScriptedScreen(std::string folder, std::int32_t today) : folder_(std::move(folder)), today_(today) {}

  // Drops every window, form and menu and starts the device on `keys` (the
  // text of a key script) with a new transcript.
  void Start(const std::string& keys) {
    path_ = folder_ + "/transcript-" + std::to_string(++runs_) + ".txt";
    ScreenResetForTest(keys, path_.c_str());
    if (today_) DateSetToday(today_);
  }

  // Ends the run: the device is left without keys or transcript (today
  // still fixed), and the transcript of the run is returned.
  std::string Finish() {
    ScreenResetForTest("", nullptr);  // closes the transcript file
    if (today_) DateSetToday(today_);
    return ReadAll(path_);
  }

  std::int32_t today() const { return today_; }

 private:
  std::string folder_;
  std::int32_t today_;
  std::string path_;
  int runs_ = 0;
};

}  // namespace qxtest
