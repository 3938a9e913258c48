// Helpers of the journal tests: a company folder built by the fixture loader
// from fixtures/ (or the sample company) (qxtest::CompanyTest), the
// data-dictionary folder the build wrote, the application block pointed at
// both, and commands run on a key script with their transcript.  Today is
// 03/15/25 in every run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"
#include "qxtest/sample_company.h"
#include "qxtest/transcript.h"
#include "records/dictionary.h"
#include "records/transactions.h"

namespace journaltest {

namespace fs = std::filesystem;
using fixture::Json;
using qxtest::MessageNumbers;
using qxtest::ReadAll;
using qxtest::WriteAll;

inline std::int32_t Day(int year, int month, int day) { return DateMake(year, month, day); }

// The text of the report the preview showed (between its first page line and
// its end line); "" when no preview ran.
inline std::string PreviewText(const std::string& transcript) {
  const std::size_t start = transcript.find("--- page 1 of");
  if (start == std::string::npos) return "";
  const std::size_t end = transcript.find("--- end of report ---", start);
  return transcript.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The report's pages as the preview showed them (each from its first line to
// its footer).
inline std::vector<std::string> ReportPages(const std::string& transcript) {
  std::vector<std::string> pages;
  const std::string text = PreviewText(transcript);
  std::size_t at = 0;
  while ((at = text.find("--- page ", at)) != std::string::npos) {
    const std::size_t start = text.find('\n', at) + 1;
    const std::size_t next = text.find("--- page ", start);
    pages.push_back(text.substr(start, next == std::string::npos ? std::string::npos : next - start));
    at = start;
  }
  return pages;
}

// The transcript of `run()` (a journal run on a key script) made with the
// record manager's fault switch set to `failure` (BtrvTestSwitch); the
// switch is cleared again before it returns.
template <class JournalRun>
std::string RunWithRecordFault(const char* failure, JournalRun run) {
  BtrvTestSwitch(failure);
  std::string transcript = run();
  BtrvTestSwitch("");
  return transcript;
}

class JournalTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    // The dictionaries as the build wrote them, in a folder of this test's own.
    fs::create_directories(dict_);
    fs::copy_file(std::string(QX_DICT_FOLDER) + "/qxrecords.sqlite", dict_ + "/qxrecords.sqlite");
    SharedAppBlock* app = SharedAppBlockGet();
    AppBlockTextSet(app->dictFolder, kFolderFieldSize, dict_.c_str());
    app->currentCommand = 301;
  }

  // The company of a fixture file of this folder, with `extra` records added.
  void LoadCompany(const std::string& name, const Json& extra = Json::object()) {
    LoadFixtureFile(std::string(QX_JOURNAL_FIXTURES) + "/" + name, extra);
  }

  // The sample company as of today.
  void LoadSampleCompany() { WriteImage(qxtest::SampleCompany(Today())); }

  std::vector<records::TagGLHeader> GLHeaders() {
    std::vector<records::TagGLHeader> out;
    const fixture::CompanyImage image = Snapshot({records::kFileGLHeaders});
    auto it = image.files.find(records::kFileGLHeaders);
    if (it == image.files.end()) return out;
    for (const auto& bytes : it->second) {
      records::TagGLHeader h{};
      EXPECT_TRUE(records::FromImage(bytes, &h));
      out.push_back(h);
    }
    return out;
  }

  // Starts the script device on `keys` with the system settings read
  // afresh; Finish gives the transcript.
  void Start(const std::string& keys) {
    qxtest::CompanyTest::Start(keys);
    SettingsRefresh(0, 0);
  }

  std::string dict_ = dir_ + "/QXACDICT";
};

}  // namespace journaltest
