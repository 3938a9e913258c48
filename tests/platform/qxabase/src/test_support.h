// Helpers of the base library's tests: a company folder of the test's own
// built by the fixture loader from fixtures/, and a scripted screen with its
// transcript.
#pragma once

#include <string>

#include "qxabase.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"

namespace qxtest {

// A fixture file of fixtures/.
inline std::string FixturePath(const std::string& name) { return std::string(QX_QXABASE_FIXTURES) + "/" + name; }

// Every test runs on the script device (started without keys) in a folder
// of its own, with the company in <folder>/company, the text store of the
// source tree, no command routed or locked, and today fixed at 2025-03-15.
class BaseTest : public CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    SettingsRefresh(0, 0);
    CommandsResetForTest();
    Start("");
  }
  void TearDown() override {
    CommandAccess(0, -1);
    CompanyTest::TearDown();
  }

  // The transcript so far; the script device starts again without keys.
  std::string Transcript() {
    std::string t = Finish();
    Start("");
    return t;
  }

  // Builds the company folder from fixtures/<name>.
  void LoadCompany(const std::string& name) { LoadFixtureFile(FixturePath(name)); }
  // Builds the company folder from a fixture text.
  void LoadCompanyText(const std::string& json) { LoadFixture(fixture::Json::parse(json)); }
};

}  // namespace qxtest
