// Helpers of the posting tests: a company built by the fixture loader in a
// folder of the test's own (qxtest::CompanyTest), the ledger posting
// options, and the records read back.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase.h"
#include "qxabase/posting.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace posttest {

using qxtest::ReadAll;

// The posting options of one ledger as the settings record "0PostOptions"
// stores them ('Y', 'N', or 0 for the default).
struct LedgerOptions {
  int ledger = 0;
  char deleteAfterPosting = 0;
  char checkFirst = 0;
  char confirmUnprinted = 0;
  char askIfUnflagged = 0;
};

// The record "0PostOptions" as a fixture entry, by its field names.
inline fixture::Json PostOptionsRecord(const std::vector<LedgerOptions>& ledgers) {
  fixture::Json entries = fixture::Json::array();
  for (const LedgerOptions& o : ledgers) {
    while (static_cast<int>(entries.size()) <= o.ledger) entries.push_back(fixture::Json::object());
    fixture::Json& e = entries[static_cast<std::size_t>(o.ledger)];
    const auto set = [&e](const char* name, char value) {
      if (value != 0) e[name] = std::string(1, value);
    };
    set("deleteAfterPosting", o.deleteAfterPosting);
    set("checkFirst", o.checkFirst);
    set("confirmUnprinted", o.confirmUnprinted);
    set("askIfUnflagged", o.askIfUnflagged);
  }
  return fixture::Json{{"key", "0PostOptions"}, {"ledgers", entries}};
}

// Changes `company`: the records of `file` whose transaction number is
// `number` take the fields of `patch`.
inline void PatchTransaction(fixture::Json& company, const char* file, const std::string& number,
                             const fixture::Json& patch) {
  for (auto& r : company["files"][file])
    if (r["transactionNumber"] == number) r.update(patch);
}

// Drops the records of `file` whose transaction number is `number`.
inline void DropTransaction(fixture::Json& company, const char* file, const std::string& number) {
  auto& records = company["files"][file];
  fixture::Json kept = fixture::Json::array();
  for (const auto& r : records)
    if (r["transactionNumber"] != number) kept.push_back(r);
  records = kept;
}

// Every test runs on the script device (started without keys) in a folder
// of its own, with the company in <folder>/company, the base data of the
// source tree, no command routed or locked, and today fixed at 2025-03-15.
class PostingTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    AppPathsSet(nullptr, nullptr, qxtest::SourceDataFolder().c_str());
    SettingsRefresh(0, 0);
    CommandsResetForTest();
    Start("");
  }
  void TearDown() override {
    BtrvTestSwitch("");
    CommandFinish();
    CommandAccess(0, -1);
    CompanyTest::TearDown();
  }

  // The transcript so far; the script device starts again without keys.
  std::string Transcript() {
    std::string t = Finish();
    Start("");
    return t;
  }

  static fixture::Json ReadFixture(const std::string& path) {
    std::ifstream in(path);
    return fixture::Json::parse(in);
  }
  // Builds the company folder from a parsed fixture, with the posting options
  // of `options` added to its settings.
  void LoadCompany(fixture::Json json, const std::vector<LedgerOptions>& options = {}) {
    if (!options.empty()) json["files"]["settings"].push_back(PostOptionsRecord(options));
    LoadFixture(std::move(json));
    SettingsRefresh(0, 0);
  }

  // The byte images of file `fileNo`'s records, in the order they were
  // written.  Read through this process's connection: call it when no
  // posting unit is open, to see what is stored.
  std::vector<std::vector<std::uint8_t>> Records(int fileNo) { return Snapshot({fileNo}).files[fileNo]; }
  template <class Record>
  std::vector<Record> All(int fileNo) {
    std::vector<Record> out;
    for (const auto& bytes : Records(fileNo)) {
      Record r{};
      std::memcpy(&r, bytes.data(), std::min(bytes.size(), sizeof r));
      out.push_back(r);
    }
    return out;
  }
  records::GLAccount Account(const std::string& code) {
    for (const auto& a : All<records::GLAccount>(records::kFileGLAccounts))
      if (code == a.code) return a;
    ADD_FAILURE() << "no account " << code;
    return {};
  }
  // The header of journal `journal` and number `number` (as stored, e.g. "  1001").
  std::vector<std::uint8_t> HeaderImage(const std::string& journal, const std::string& number) {
    for (const auto& bytes : Records(records::kFileGLHeaders)) {
      records::TagGLHeader h{};
      std::memcpy(&h, bytes.data(), sizeof h);
      if (records::Trimmed(h.journalCode) == journal && Trimmed(h.transactionNumber) == number) return bytes;
    }
    return {};
  }
  records::TagGLHeader Header(const std::string& journal, const std::string& number) {
    records::TagGLHeader h{};
    const auto bytes = HeaderImage(journal, number);
    if (bytes.empty())
      ADD_FAILURE() << "no header " << journal << " " << number;
    else
      std::memcpy(&h, bytes.data(), sizeof h);
    return h;
  }
  static std::string Trimmed(const char (&field)[11]) {
    std::string s(records::Trimmed(field));
    s.erase(0, s.find_first_not_of(' '));
    return s;
  }
};

}  // namespace posttest
