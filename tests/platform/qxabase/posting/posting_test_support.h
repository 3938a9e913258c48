// Helpers of the posting tests: a company built by the fixture loader in a
// folder of the test's own, the scripted screen with its transcript, the
// ledger posting options, and the records read back.
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
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace posttest {

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The posting options of one ledger as the settings record "0PostOptions"
// stores them ('Y', 'N', or 0 for the default).
struct LedgerOptions {
  int ledger = 0;
  char deleteAfterPosting = 0;
  char checkFirst = 0;
  char confirmUnprinted = 0;
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
  }
  return fixture::Json{{"key", "0PostOptions"}, {"ledgers", entries}};
}

// Every test runs on the script device in a folder of its own, with the
// company in <folder>/company, the base data of the source tree, and today
// fixed at 2025-03-15.
class PostingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qxpostingtestXXXXXX";
    dir_ = mkdtemp(tmpl);
    transcript_ = dir_ + "/transcript.txt";
    company_ = dir_ + "/company";
    const std::string data = std::string(QX_SOURCE_DIR) + "/data";
    *SharedAppBlockGet() = SharedAppBlock{};
    AppBlockTextSet(SharedAppBlockGet()->baseDataFolder, kFolderFieldSize, data.c_str());
    AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, company_.c_str());
    AppPathsSet(nullptr, nullptr, data.c_str());
    TextStoreReset();
    SettingsRefresh(0, 0);
    CommandsResetForTest();
    BtrvTestSwitch("");
    Start("");
  }
  void TearDown() override {
    BtrvTestSwitch("");
    CommandFinish();
    CommandAccess(0, -1);
    BtrvReset();
    ScreenResetForTest("", nullptr);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // Starts the key script `keys` (and a new transcript).
  void Start(const std::string& keys) {
    ScreenResetForTest(keys, transcript_.c_str());
    DateSetToday(DateMake(2025, 3, 15));
  }
  // The transcript so far; the script device starts again without keys.
  std::string Transcript() {
    ScreenResetForTest("", nullptr);
    std::string t = ReadAll(transcript_);
    ScreenResetForTest("", (dir_ + "/after.txt").c_str());
    DateSetToday(DateMake(2025, 3, 15));
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
    fixture::CompanyImage image;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::ParseFixture(json, &image, &problem)) << problem.Text();
    ASSERT_TRUE(fixture::WriteCompany(image, company_, fixture::WriteOptions{true}, &problem))
        << problem.Text();
    SettingsRefresh(0, 0);
  }

  // The byte images of file `fileNo`'s records, in the order they were
  // written.  Read through this process's connection: call it when no
  // posting unit is open, to see what is stored.
  std::vector<std::vector<std::uint8_t>> Records(int fileNo) {
    fixture::CompanyImage image;
    fixture::Problem problem;
    const int files[] = {fileNo};
    EXPECT_TRUE(fixture::ReadCompany(company_, files, &image, &problem)) << problem.Text();
    return image.files[fileNo];
  }
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

  std::string dir_;
  std::string transcript_;
  std::string company_;
};

}  // namespace posttest
