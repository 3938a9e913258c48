// The base-library services the journals call (qxabase/journal_services.h,
// qxabase/tran_comments.h): transaction comments read from the company's
// comments folder, the pick window over transaction headers, the unposted
// count of billing and purchasing, the completion of a service line and the
// open ends of range bounds.
#include <string>
#include <vector>

#include "journal_test_support.h"
#include "qxabase/journal_services.h"
#include "qxabase/tran_comments.h"

namespace {

using namespace journaltest;

class JournalServicesTest : public JournalTest {};

// --- Transaction comments -------------------------------------------------------------------

std::vector<std::string> Lines(CBaseTranComments& comments) {
  std::vector<std::string> out;
  if (!comments.NoteOpen()) return out;
  for (bool more = comments.NoteReadFirst(); more; more = comments.NoteReadNext()) out.push_back(comments.NoteLine());
  comments.NoteClose();
  return out;
}

TEST_F(JournalServicesTest, CommentFilesAreNamedByLedgerAndTransaction) {
  struct Case {
    const char* prefix;
    const char* first;
    const char* second;
    const char* name;
  } const cases[] = {
      {"GL", "GJ     ", "      1001 ", "GL_GJ_1001.txt"},
      {"AR", "  2025/7   ", nullptr, "AR_2025%2F7.txt"},
      {"CA", "../x", nullptr, "CA_%2E%2E%2Fx.txt"},  // never leaves the folder
      {"AP", "A B", nullptr, "AP_A%20B.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(CBaseTranComments::NoteFileName(c.prefix, c.first, c.second), c.name);
}

TEST_F(JournalServicesTest, CommentsAreReadLineByLine) {
  const std::string folder = company_ + "/comments";
  fs::create_directories(folder);
  WriteAll(folder + "/GL_GJ_1001.txt", "First line\r\nCaf\xC3\xA9 second\n\nlast without an end");
  WriteAll(folder + "/AP_77.txt", "A payables comment\n");
  fs::create_directories(folder + "/CA_5.txt");  // a folder is no comment file

  CBaseGLTranComments gl;
  gl.FormGLNoteName("GJ     ", "      1001 ");
  EXPECT_TRUE(gl.NoteExist());
  EXPECT_EQ(Lines(gl), (std::vector<std::string>{"First line", "Caf\x82 second", "", "last without an end"}));
  gl.FormGLNoteName("GJ     ", "      1002 ");
  EXPECT_FALSE(gl.NoteExist());
  EXPECT_FALSE(gl.NoteOpen());
  EXPECT_FALSE(gl.NoteReadFirst());
  EXPECT_STREQ(gl.NoteLine(), "");

  CBaseRPTranComments payables(records::kFilePayablesDetails), receivables(records::kFileReceivablesDetails);
  payables.FormRPNoteName("        77");
  receivables.FormRPNoteName("        77");
  EXPECT_EQ(Lines(payables), std::vector<std::string>{"A payables comment"});
  EXPECT_FALSE(receivables.NoteExist());

  CBaseCashTranComments cash;
  cash.FormCashNoteName("5");
  EXPECT_FALSE(cash.NoteExist());
}

// --- Range bounds -------------------------------------------------------------------------------

TEST_F(JournalServicesTest, RangeBoundConvertOpensOnlyTheOpenEnds) {
  struct Case {
    const char* typed;
    const char* bound;
  } const cases[] = {
      {"FIRST", ""}, {"LAST ", ""}, {"last", ""}, {"  First  ", ""}, {"", ""},
      {"FIRSTS", "FIRSTS"}, {"A100", "A100"}, {"03/15/25", "03/15/25"},
  };
  for (const Case& c : cases) {
    char text[32];
    std::snprintf(text, sizeof text, "%s", c.typed);
    EXPECT_STREQ(RangeBoundConvert(text), c.bound) << c.typed;
  }
  EXPECT_EQ(RangeBoundConvert(nullptr), nullptr);
}

// --- Billing and purchasing -----------------------------------------------------------------------

Json BiPo(const char* type, const char* number, const char* date, const char* posted) {
  return Json{{"typeLetter", type}, {"transactionNumber", std::string(10 - std::strlen(number), ' ') + number},
              {"postedFlag", posted}, {"closedFlag", "N"}, {"date", date}};
}

TEST_F(JournalServicesTest, JournalSelectRunCountsTheUnpostedHeadersOfTheDates) {
  LoadCompany("gl_company.json",
              {{"billing_headers",
                {BiPo("I", "1", "2025-02-28", "N"), BiPo("I", "2", "2025-03-01", "N"), BiPo("R", "3", "2025-03-31", "n"),
                 BiPo("I", "4", "2025-03-15", "Y"), BiPo("I", "5", "2025-04-01", "N")}},
               {"purchasing_headers",
                {BiPo("I", "6", "2025-03-10", "N"), BiPo("O", "7", "2025-03-10", "N"), BiPo("I", "8", "2025-03-11", "N")}}});
  FileSet files;
  ASSERT_EQ(FileSetOpen(&files, records::kFileBillingHeaders, records::kFilePurchasingHeaders), 0);
  for (const BtrvHandle h : {files.handle[0], files.handle[1]}) BtrvSetKey(h, 0, -1);
  long count = -1;
  EXPECT_TRUE(JournalSelectRun(files.handle[0], 0, 1, &count, Day(2025, 3, 1), Day(2025, 3, 31)));
  EXPECT_EQ(count, 2) << "the first and last day of March, unposted";
  EXPECT_TRUE(JournalSelectRun(files.handle[1], 0, 0, &count, Day(2025, 3, 1), Day(2025, 3, 31)));
  EXPECT_EQ(count, 2) << "a closed order does not count";
  EXPECT_TRUE(JournalSelectRun(files.handle[0], 0, 1, &count, Day(2025, 6, 1), Day(2025, 6, 30)));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(BtrvGetKey(files.handle[0]), 0) << "the key is put back";
  Start("");
  BtrvTestSwitch("fail=6:billing_headers:1:2");
  EXPECT_FALSE(JournalSelectRun(files.handle[0], 0, 1, &count, Day(2025, 3, 1), Day(2025, 3, 31)));
  BtrvTestSwitch("");
  EXPECT_NE(Finish().find(RecordErrorText(2, kOpGetNext, records::kFileBillingHeaders)), std::string::npos);
}

TEST_F(JournalServicesTest, AServiceLineIsCompletedFromItsService) {
  records::ServiceRecord service{};
  records::SetText(service.description, "Installation");
  records::SetText(service.department, "SVC");
  records::BiPoLine line{};
  EXPECT_EQ(JournalFieldDefault(&line, &service), 0);
  EXPECT_EQ(records::Trimmed(line.description), "Installation");
  EXPECT_EQ(std::string(line.department, sizeof line.department), "SVC   ");
  records::SetText(line.description, "On site, two days");
  EXPECT_EQ(JournalFieldDefault(&line, &service), 0);
  EXPECT_EQ(records::Trimmed(line.description), "On site, two days") << "a typed description stays";
  EXPECT_EQ(JournalFieldDefault(nullptr, &service), 1);
}

// --- The pick window over headers ----------------------------------------------------------

Json Receivable(const char* number, const char* customer) {
  return Json{{"transactionNumber", std::string(10 - std::strlen(number), ' ') + number},
              {"custVendCode", customer}, {"postedFlag", "N"}, {"date", "2025-03-03"}};
}

TEST_F(JournalServicesTest, APickWindowChoosesAHeaderAndPutsTheKeyBack) {
  LoadCompany("gl_company.json",
              {{"ar_headers", {Receivable("101", "C100"), Receivable("205", "C200"), Receivable("310", "C300")}}});
  FileSet files;
  ASSERT_EQ(FileSetOpen(&files, records::kFileReceivablesHeaders), 0);
  BtrvSetKey(files.handle[0], 2, -1);
  struct Case {
    const char* name;
    const char* start;  // the field's text
    const char* keys;
    int picked;
    const char* number;
  } const cases[] = {
      {"from the field's number", "205", "Enter", 1, "       205"},
      {"moving down", "", "Down Down Enter", 1, "       310"},
      {"typing a number: the first at or after it", "", R"("300" Enter)", 1, "       310"},
      {"Esc", "", "Esc", 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.keys);
    char text[64];
    std::snprintf(text, sizeof text, "%s", c.start);
    records::TagRecPayHeader h{};
    EXPECT_EQ(JournalPickA(text, files.handle[0], &h, records::kFileReceivablesHeaders, 4, 2, 8, 75), c.picked);
    Finish();
    if (c.number) {
      EXPECT_EQ(std::string(records::Trimmed(h.transactionNumber)), c.number);
    }
    EXPECT_EQ(BtrvGetKey(files.handle[0]), 2);
  }
}

}  // namespace
