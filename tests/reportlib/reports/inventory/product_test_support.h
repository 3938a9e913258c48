// Helpers of the product report tests: a company folder built by the
// fixture loader from readable product records, or the sample company
// (qxtest::CompanyTest), runs on key scripts each as a user of its own, and
// a report read back from its HTML file as the lines of its pages, its links
// and its saved run.
#pragma once

#include <cstdio>
#include <cstring>
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
