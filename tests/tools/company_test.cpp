// Loading company folders from fixtures and dumping them back: a refused
// fixture writes nothing, a loaded one dumps back as it was given.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "same_company.h"
#include "records/dictionary.h"

namespace fixture {
namespace {

namespace fs = std::filesystem;

const fs::path kSmallCompany = fs::path(QX_TEST_DATA) / "records" / "small_company.json";

class Scratch {
 public:
  Scratch() {
    root_ = fs::temp_directory_path() / ("qx-company-" + std::to_string(::getpid()) + "-" +
                                         std::to_string(counter_++));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~Scratch() { fs::remove_all(root_); }
  fs::path operator/(const std::string& name) const { return root_ / name; }

 private:
  static inline int counter_ = 0;
  fs::path root_;
};

std::string Dump(const fs::path& folder) {
  CompanyImage company;
  Problem problem;
  EXPECT_TRUE(ReadCompany(folder, {}, &company, &problem)) << problem.Text();
  std::ostringstream out;
  WriteFixture(company, out);
  return out.str();
}

CompanyImage Parse(const std::string& text) {
  CompanyImage company;
  Problem problem;
  EXPECT_TRUE(ParseFixture(Json::parse(text), &company, &problem)) << problem.Text();
  return company;
}

TEST(Loader, LoadsEveryFileAndDumpsTheRecordsBack) {
  Scratch scratch;
  Problem problem;
  ASSERT_TRUE(LoadFixture(kSmallCompany, scratch / "co", {}, &problem)) << problem.Text();
  // Every file of the dictionary exists, filled or empty.
  for (const records::FileDef& f : records::AllFiles()) {
    EXPECT_EQ(BtrvFileExists(((scratch / "co") / f.name).c_str()), kStatusOk) << f.name;
  }
  const std::string dumped = Dump(scratch / "co");
  // The dump is a fixture of the same records: loading it gives the same
  // dump again, and the records are those of the original fixture.
  CompanyImage fromFile, fromDump;
  ASSERT_TRUE(ReadFixtureFile(kSmallCompany, &fromFile, &problem)) << problem.Text();
  fromDump = Parse(dumped);
  EXPECT_TRUE(SameCompany(fromDump, fromFile));
  const Json d = Json::parse(dumped);
  EXPECT_EQ(d["files"]["customers"][1]["name"], "Bolt & Nut Café");
  EXPECT_EQ(d["files"]["gl_headers"][0]["transactionNumber"], "      1001");
}

TEST(Loader, RefusesABadFixtureNamingFileRecordAndFieldAndWritesNothing) {
  struct Case {
    const char* name;
    std::string fixture;
    const char* file;
    long record;
    std::string field;
    const char* message;
  } cases[] = {
      {"unknown field", R"({"files": {"customers": [{"code": "A"}, {"code": "B", "balanse": 1}]}})",
       "customers (22)", 2, "balanse", "no field"},
      {"text too long", R"({"files": {"22": [{"code": "ACCOUNTCODE1"}]}})", "customers (22)", 1, "code", "too long"},
      {"bad date", R"({"files": {"gl_headers": [{"journalCode": "GJ", "date": "2025-13-01"}]}})",
       "gl_headers (27)", 1, "date", "not a date"},
      {"not a number", R"({"files": {"products": [{"number": "P1", "quantityOnHand": "ten"}]}})",
       "products (43)", 1, "quantityOnHand", "not a number"},
      {"wrong length", R"({"files": {"customers": [{"code": "A", "length": 794}]}})", "customers (22)", 1,
       "length", "795 long"},
      {"unknown file", R"({"files": {"customers": [], "widgets": [{}]}})", "widgets", -1, "", "no file"},
      {"unknown file number", R"({"files": {"999": [{}]}})", "999", -1, "", "no file"},
      {"file twice", R"({"files": {"customers": [], "22": []}})", "customers (22)", -1, "", "given twice"},
      {"records not an array", R"({"files": {"customers": {"code": "A"}}})", "customers (22)", -1, "", "array"},
      {"record not an object", R"({"files": {"customers": ["A"]}})", "customers (22)", 1, "", "not a record"},
      {"unknown member", R"({"files": {}, "company": "x"})", "", -1, "", "no member \"company\""},
      {"duplicate code", R"({"files": {"customers": [{"code": "ACME"}, {"code": "X"}, {"code": "acme"}]}})",
       "customers (22)", 3, "", "record 1 has the same code"},
      // An offset that wraps around when the bytes' count is added to it.
      {"raw bytes at the last offset there is",
       R"({"files": {"customers": [{"code": "A", "raw": {"18446744073709551615": "ff"}}]}})", "customers (22)", 1,
       "raw", "beyond the record's length 795"},
      {"raw bytes running past the end", R"({"files": {"customers": [{"code": "A", "raw": {"794": "0000"}}]}})",
       "customers (22)", 1, "raw", "2 bytes at offset 794 lie beyond"},
      {"a long unknown field name", R"({"files": {"customers": [{"code": "A", ")" + std::string(5000, 'x') + R"(": 1}]}})",
       "customers (22)", 1, std::string(37, 'x') + "...", "no field"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch scratch;
    const fs::path fixtureFile = scratch / "fixture.json";
    std::ofstream(fixtureFile) << c.fixture;
    Problem problem;
    EXPECT_FALSE(LoadFixture(fixtureFile, scratch / "co", {}, &problem));
    EXPECT_EQ(problem.file, c.file);
    EXPECT_EQ(problem.record, c.record);
    EXPECT_EQ(problem.field, c.field);
    EXPECT_NE(problem.message.find(c.message), std::string::npos) << problem.Text();
    EXPECT_EQ(0u, problem.Text().rfind(fixtureFile.string(), 0)) << "the fixture is not named: " << problem.Text();
    EXPECT_LT(problem.Text().size(), 300u) << "a message holds a whole value";
    EXPECT_FALSE(fs::exists(scratch / "co")) << "a refused fixture left a folder behind";
  }
}

TEST(Loader, RefusesTextThatIsNotAFixtureNamingTheLineAndColumn) {
  const std::string deep = R"({"files": {"customers": [{"code": )" + std::string(100000, '[') + std::string(100000, ']') + "}]}}";
  const struct {
    const char* name;
    std::string text;
    long line, column;
    const char* message;
  } cases[] = {
      {"cut short", R"({"files": {"customers": [ )", 1, 27, "unexpected end of input"},
      {"a comma too many", "{\"files\": {\n  \"customers\": [{\"code\": \"A\",, }]}}", 2, 30, "unexpected ','"},
      {"a number too large for any number", "{\"files\": {\"customers\": [\n {\"code\": \"A\", \"balance\": 1e999}]}}", 2,
       27, "number overflow parsing '1e999'"},
      {"a text not in UTF-8", "{\"files\": {\"customers\": [{\"code\": \"\xFF\"}]}}", 1, 36, "UTF-8"},
      // Far beyond what a record can nest: refused before anything deeper is looked at.
      {"arrays nested 100,000 deep", deep, 1, 38, "nested deeper than a fixture can mean"},
      {"a record nested one level too deep",
       R"({"files": {"customers": [{"code": [[[[]]]]}]}})", 1, 38, "nested deeper"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch scratch;
    const fs::path fixtureFile = scratch / "fixture.json";
    std::ofstream(fixtureFile, std::ios::binary) << c.text;
    Problem problem;
    EXPECT_FALSE(LoadFixture(fixtureFile, scratch / "co", {}, &problem));
    EXPECT_EQ(c.line, problem.line) << problem.Text();
    EXPECT_EQ(c.column, problem.column) << problem.Text();
    EXPECT_NE(problem.message.find(c.message), std::string::npos) << problem.Text();
    EXPECT_EQ(0u, problem.Text().find(fixtureFile.string() + ", line ")) << problem.Text();
    EXPECT_LT(problem.Text().size(), 300u);
    EXPECT_FALSE(fs::exists(scratch / "co"));
  }
}

TEST(Loader, RefusesInvalidJsonAndAMissingFixture) {
  Scratch scratch;
  std::ofstream(scratch / "broken.json") << R"({"files": {"customers": [ )";
  Problem problem;
  EXPECT_FALSE(LoadFixture(scratch / "broken.json", scratch / "co", {}, &problem));
  EXPECT_NE(problem.message.find("not valid JSON"), std::string::npos);
  EXPECT_FALSE(LoadFixture(scratch / "missing.json", scratch / "co", {}, &problem));
  EXPECT_NE(problem.message.find("cannot read"), std::string::npos);
  EXPECT_FALSE(fs::exists(scratch / "co"));
}

TEST(Loader, ReplacesACompanyOnlyWhenAskedAndOnlyWhenTheNewOneLoads) {
  Scratch scratch;
  const fs::path co = scratch / "co";
  Problem problem;
  ASSERT_TRUE(LoadFixture(kSmallCompany, co, {}, &problem)) << problem.Text();
  const std::string before = Dump(co);

  const CompanyImage other = Parse(R"({"files": {"customers": [{"code": "NEW", "name": "New Customer"}]}})");
  EXPECT_FALSE(WriteCompany(other, co, {}, &problem));
  EXPECT_NE(problem.message.find("--replace"), std::string::npos);
  EXPECT_EQ(Dump(co), before);

  // A new company that fails half way (a duplicate key is only found while
  // writing) leaves the old one whole.
  const CompanyImage failing =
      Parse(R"({"files": {"gl_accounts": [{"code": "9999"}], "customers": [{"code": "X"}, {"code": "X"}]}})");
  EXPECT_FALSE(WriteCompany(failing, co, {.replace = true}, &problem));
  EXPECT_EQ(problem.record, 2);
  EXPECT_EQ(Dump(co), before);

  ASSERT_TRUE(WriteCompany(other, co, {.replace = true}, &problem)) << problem.Text();
  const Json after = Json::parse(Dump(co));
  EXPECT_EQ(after["files"].size(), 1u);
  EXPECT_EQ(after["files"]["customers"][0]["code"], "NEW");
}

TEST(Loader, AFolderThatIsAFileIsRefused) {
  Scratch scratch;
  std::ofstream(scratch / "plain") << "x";
  Problem problem;
  EXPECT_FALSE(WriteCompany(CompanyImage{}, scratch / "plain", {}, &problem));
  EXPECT_NE(problem.message.find("not a folder"), std::string::npos);
}

TEST(Dumper, ReadsTheNamedFilesAndRefusesAFolderWithoutACompany) {
  Scratch scratch;
  Problem problem;
  ASSERT_TRUE(LoadFixture(kSmallCompany, scratch / "co", {}, &problem)) << problem.Text();
  CompanyImage company;
  const int wanted[] = {records::kFileCustomers, records::kFileSettings};
  ASSERT_TRUE(ReadCompany(scratch / "co", wanted, &company, &problem)) << problem.Text();
  EXPECT_EQ(company.files.size(), 2u);
  EXPECT_EQ(company.files[records::kFileCustomers].size(), 2u);
  EXPECT_EQ(company.files[records::kFileSettings].size(), 2u);

  fs::create_directories(scratch / "empty");
  EXPECT_FALSE(ReadCompany(scratch / "empty", {}, &company, &problem));
  EXPECT_NE(problem.message.find("holds no company"), std::string::npos);
}

TEST(Dumper, KeepsTheOrderRecordsWereWrittenIn) {
  Scratch scratch;
  // Duplicate dates on key 1; key 0 orders the codes the other way round.
  const CompanyImage company = Parse(R"({"files": {"gl_headers": [
      {"journalCode": "GJ", "transactionNumber": "3", "date": "2025-01-01"},
      {"journalCode": "GJ", "transactionNumber": "1", "date": "2025-01-01"},
      {"journalCode": "GJ", "transactionNumber": "2", "date": "2025-01-01"}]}})");
  Problem problem;
  ASSERT_TRUE(WriteCompany(company, scratch / "co", {}, &problem)) << problem.Text();
  CompanyImage read;
  ASSERT_TRUE(ReadCompany(scratch / "co", {}, &read, &problem)) << problem.Text();
  EXPECT_TRUE(SameCompany(read, company));
}

}  // namespace
}  // namespace fixture
