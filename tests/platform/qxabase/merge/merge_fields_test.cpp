// The fields of a text line: the template language's tokens, the kinds a
// merge may print, the placements of the invoice number and the item date,
// the message of a field that cannot be merged, and the values the fields
// take.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qxabase.h"
#include "qxtest/company_test.h"
#include "qxtest/transcript.h"

namespace {

struct Found {
  int kind, id, position, length;
  char align;
  int error;
  bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
  return out << "{" << f.kind << "/" << f.id << " @" << f.position << " w" << f.length << " " << f.align << " e"
             << f.error << "}";
}

class MergeFieldsTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    MergeFieldTableReset();
    Start("");
  }
  void TearDown() override {
    Finish();
    qxtest::CompanyTest::TearDown();
  }

  // The fields of `line` in a merge of the kinds given, and the line after it.
  std::vector<Found> Fields(const std::string& text, std::vector<int> kinds, std::string* after = nullptr,
                            std::vector<int> placed = {}) {
    MergeRun run;
    EXPECT_TRUE(MergeBegin(&run, "test.txt"));
    kinds.push_back(-1);
    EXPECT_EQ(0, MergeSourcesOpenList(&run, 1, kinds.data()));
    for (int p : placed) FormLayoutTokenPos(&run, p, text.c_str());
    std::vector<char> line(text.begin(), text.end());
    line.push_back('\0');
    std::vector<Found> found;
    MergeField f;
    while (MergeFieldNext(&run, kMergeFill, line.data(), &f))
      found.push_back({f.kind, f.id, f.position, f.length, f.align, f.error});
    if (after) *after = line.data();
    MergeEnd(&run);
    return found;
  }
};

const std::vector<int> kStatements = {1, 2, 4, 9, 10};
const std::vector<int> kLetters = {1, 4};

TEST_F(MergeFieldsTest, TokensNameAFieldItsWidthAndItsAlignment) {
  struct Case {
    const char* line;
    std::vector<Found> fields;
  };
  const Case cases[] = {
      {"{NAME}", {{1, 21, 0, 40, 'L', 0}}},
      {"Dear {name},", {{1, 21, 5, 40, 'L', 0}}},  // names in any case
      {"  {AMOUNT:10R} {BALANCE}", {{9, 4, 2, 10, 'R', 0}, {4, 22, 15, 12, 'N', 0}}},
      {"{CODE:12}{ZIP:C}", {{1, 20, 0, 12, 'L', 0}, {1, 28, 9, 10, 'C', 0}}},
      {"{ NAME} {1} 50% {", {}},  // a "{" without a letter after it is text
      {"{NOSUCH}", {{0, 0, 0, 0, 'L', kMergeErrorUnknown}}},
      {"{NAME", {{0, 0, 0, 0, 'L', kMergeErrorBadToken}}},
      {"{NAME:0}", {{0, 0, 0, 0, 'L', kMergeErrorBadToken}}},
      {"{NAME:abc}", {{0, 0, 0, 0, 'L', kMergeErrorBadToken}}},
      {"{NAME:300}", {{0, 0, 0, 0, 'L', kMergeErrorBadToken}}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.fields, Fields(c.line, kStatements)) << c.line;
  std::string after;
  Fields("To {NAME} at {CODE}.", kLetters, &after);
  EXPECT_EQ("To        at       .", after) << "every token is blanked where it stood";
}

TEST_F(MergeFieldsTest, ALetterCannotPrintTheStatementsFields) {
  EXPECT_EQ((std::vector<Found>{{9, 4, 0, 12, 'N', kMergeErrorNotHere}, {2, 1, 9, 40, 'L', kMergeErrorNotHere}}),
            Fields("{AMOUNT} {COMPANY}", kLetters));
}

TEST_F(MergeFieldsTest, TheInvoiceNumberAndDatePrintWhereTheyArePlaced) {
  const std::string line = "{DS} {INV_NO} paid: {INV_NO} {AMOUNT}";
  EXPECT_EQ((std::vector<Found>{{9, 4, 29, 12, 'N', 0}}), Fields(line, kStatements)) << "nothing placed";
  int first = 0, second = 0, date = 0;
  ASSERT_EQ(1, FormLayoutTokenFind("{INV_NO", line.c_str(), &first));
  second = first + 1;
  ASSERT_EQ(1, FormLayoutTokenFind("{INV_NO", line.c_str(), &second));
  ASSERT_EQ(1, FormLayoutTokenFind("{ds", line.c_str(), &date));
  EXPECT_EQ(5, first);
  EXPECT_EQ(20, second);
  EXPECT_EQ(0, date);
  EXPECT_EQ((std::vector<Found>{{9, 2, 0, 8, 'L', 0}, {9, 3, 20, 10, 'L', 0}, {9, 4, 29, 12, 'N', 0}}),
            Fields(line, kStatements, nullptr, {date, second}));
}

TEST_F(MergeFieldsTest, AFieldInErrorIsShownOncePerLineWithItsTextAndLine) {
  MergeRun run;
  ASSERT_TRUE(MergeBegin(&run, "statement.txt"));
  MergeLineEnd(&run, 1, kMergeErrorUnknown, 7, 0, "{BALANSE}");
  MergeLineEnd(&run, 1, kMergeErrorUnknown, 7, 0, "{BALANSE}");
  MergeLineEnd(&run, 1, kMergeErrorNotHere, 9, 0, "{AMOUNT}");
  const std::string t = qxtest::Flat(Finish());
  EXPECT_EQ((std::vector<int>{2621, 2622}), qxtest::MessageNumbers(t));
  EXPECT_NE(std::string::npos, t.find("The text statement.txt cannot be merged: line 7 holds the field {BALANSE}"));
  EXPECT_NE(std::string::npos, t.find("line 9 holds the field {AMOUNT}"));
  Start("");
}

TEST_F(MergeFieldsTest, ValuesOfTheRecordTheSummaryAndTheItem) {
  MergeAccount account;
  std::snprintf(account.record.code, sizeof account.record.code, "C100");
  std::snprintf(account.record.name, sizeof account.record.name, "Lake  View Farms");
  std::snprintf(account.record.zipCode, sizeof account.record.zipCode, "983701234");
  std::snprintf(account.closingLine, sizeof account.closingLine, "Lakeside, WA 98370");
  MergeRun run;
  ASSERT_TRUE(MergeBegin(&run, "x"));
  run.account = &account;
  CustVendAccountBlock summary{};
  summary.closingBalance = 1234567.5;
  summary.pastDue3 = -12.345;
  summary.asOfDate = DateMake(2025, 3, 31);
  StatementItem item;
  item.line.amount = -50;
  item.line.lineType = 'T';
  item.invoiceBalance = 148;
  const char messages[98] = {};
  auto field = [](int kind, int id, int length) {
    MergeField f;
    f.kind = kind;
    f.id = id;
    f.length = length;
    return f;
  };
  char text[64];
  MergeField f = field(1, 21, 40);
  EXPECT_TRUE(MergeFieldFromRecord(&run, text, f.length, &f));
  EXPECT_STREQ("Lake  View Farms", text);
  MergeHardBlanks(text);
  EXPECT_STREQ("Lake\xB7\xB7View\xB7" "Farms", text);
  f = field(1, 28, 10);
  EXPECT_TRUE(MergeFieldFromRecord(&run, text, f.length, &f));
  EXPECT_STREQ("98370-1234", text);
  f = field(1, 25, 31);
  EXPECT_FALSE(MergeFieldFromRecord(&run, text, f.length, &f)) << "no contact: the field is missing";
  EXPECT_STREQ("", text);
  f = field(1, 21, 4);
  MergeFieldFromRecord(&run, text, f.length, &f);
  EXPECT_STREQ("Lake", text) << "a value is cut to its field's width";
  f = field(4, 8, 40);
  MergeFieldCompute(text, f.length, &account, &summary, &f);
  EXPECT_STREQ("Lakeside, WA 98370", text);
  f = field(4, 22, 12);
  MergeFieldCompute(text, f.length, &account, &summary, &f);
  EXPECT_STREQ("1234567.50", text);
  f = field(4, 22, 8);
  MergeFieldCompute(text, f.length, &account, &summary, &f);
  EXPECT_STREQ("********", text) << "an amount too wide for its field never prints cut";
  f = field(4, 26, 12);
  MergeFieldCompute(text, f.length, &account, &summary, &f);
  EXPECT_STREQ("-12.35", text);
  f = field(4, 6, 18);
  MergeFieldCompute(text, f.length, &account, &summary, &f);
  EXPECT_STREQ("March 31, 2025", text);
  f = field(9, 1, 10);
  MergeFieldAmount(text, f.length, &summary, messages, &item, &f);
  EXPECT_STREQ("Discount", text);
  f = field(9, 8, 12);
  MergeFieldAmount(text, f.length, &summary, messages, &item, &f);
  EXPECT_STREQ("50.00", text) << "a payment column shows what lowers the balance";
  f = field(9, 7, 12);
  MergeFieldAmount(text, f.length, &summary, messages, &item, &f);
  EXPECT_STREQ("", text) << "and the charges column nothing";
  MergeEnd(&run);
}

}  // namespace
