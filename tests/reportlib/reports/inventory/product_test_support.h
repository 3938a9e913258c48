// Helpers of the product report tests: a company folder built by the
// fixture loader from readable product records, or the sample company
// (qxtest::CompanyTest), runs on key scripts each as a user of its own, and
// a report read back from its HTML file as the lines of its pages, its links
// and its saved run.
#pragma once

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"
#include "qxtest/report_html.h"
#include "qxtest/sample_company.h"
#include "qxtest/transcript.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "sample/sample_company.h"

namespace producttest {

using fixture::Json;
using qxtest::MessageNumbers;
using qxtest::ReadAll;
using qxtest::Trim;
using Report = qxtest::HtmlReport;

inline Report ReadReport(const std::string& path) { return qxtest::ReadHtmlReport(path); }

// The screen a form showed when it started (the first in `transcript`).
inline std::string StartScreen(const std::string& transcript) {
  const std::size_t at = transcript.find("--- form start");
  if (at == std::string::npos) return "";
  return transcript.substr(at, transcript.find("--- end of screen ---", at) - at);
}

// A product record of a fixture: the number, description and the fields
// given.
inline Json Product(const std::string& number, const std::string& description, Json extra = Json::object()) {
  Json r{{"number", number},          {"description", description}, {"productType", 1},
         {"purchaseUnitFactor", 1},   {"salesUnitFactor", 1},       {"warehouse", "MAI"}};
  for (auto it = extra.begin(); it != extra.end(); ++it) r[it.key()] = it.value();
  return r;
}

inline std::string Date(int y, int m, int d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

// A company folder of its own, today 03/15/25, the data of the source
// tree's base-data folder, user "ANNE", command 350.
class CompanyTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    SharedAppBlock* app = SharedAppBlockGet();
    AppBlockTextSet(app->userName, sizeof app->userName, "ANNE");
    app->currentCommand = 350;
  }

  // The sample company in place of the fixture; its image kept in sample_.
  void LoadSampleCompany() {
    sample_ = qxtest::SampleCompany(Today());
    WriteImage(sample_);
  }

  // Runs `entry` on `keys` as a user never seen before, so that no run
  // starts from the selection the one before remembered.
  template <class Entry>
  Run Scripted(const std::string& keys, Entry entry) {
    const std::string user = "USER" + std::to_string(runs_ + 1);
    AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, user.c_str());
    return RunScripted(keys, entry);
  }

  // Runs `run` over a copy of the base data in which form definition
  // `form` (its file name) has the text `good` replaced by `bad`: a screen
  // whose definition cannot be used.
  template <class F>
  Run WithFormChanged(const std::string& form, const std::string& good, const std::string& bad, F run) {
    namespace fs = std::filesystem;
    const fs::path data = File("data");
    fs::copy(fs::path(QX_SOURCE_DIR) / "data", data, fs::copy_options::recursive);
    std::string text = ReadAll((data / "forms" / form).string());
    const std::size_t at = text.find(good);
    EXPECT_NE(std::string::npos, at) << good;
    if (at != std::string::npos) text.replace(at, good.size(), bad);
    std::ofstream((data / "forms" / form).string(), std::ios::trunc) << text;
    AppPathsSet(nullptr, nullptr, data.c_str());
    const Run result = run();
    AppPathsSet(nullptr, nullptr, (std::string(QX_SOURCE_DIR) + "/data").c_str());
    fs::remove_all(data);
    return result;
  }

  // The product records of the sample company LoadSampleCompany wrote, in
  // the order of its image.
  std::vector<records::TagProduct> SampleProducts() const {
    std::vector<records::TagProduct> out;
    for (const auto& bytes : sample_.files.at(records::kFileProducts)) {
      records::TagProduct p{};
      std::memcpy(&p, bytes.data(), sizeof p);
      out.push_back(p);
    }
    return out;
  }

  fixture::CompanyImage sample_;
};

}  // namespace producttest
