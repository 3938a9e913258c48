// The general-ledger journal (command 301), driven by key scripts and
// parameter strings over the sample company and over the journals' fixture
// company (fixtures/gl_company.json: March 2025 is the period of today,
// 03/15/25).
//
// In the fixture company the March transactions that "Journal" mode prints
// are, in journal-code order: AP 2001, AR 1001, GJ 3001 (with a comment line
// on the account CNOTE), GJ 3002 (out of balance by 10.00), GJ 3006 (an
// account not on file) and GJ 3007 (deleted).  GJ 3003 is posted, GJ 3004
// held, GJ 3005 dated in February and PR 4001 in April.
#include "journals/gl_journal.h"

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dispatch/exports.h"
#include "journal_test_support.h"
#include "posting/gl_posting.h"

namespace {

using namespace journaltest;

std::string Tran(const records::TagGLHeader& h) {
  std::string t(h.transactionNumber, strnlen(h.transactionNumber, sizeof h.transactionNumber));
  t.erase(0, t.find_first_not_of(' '));
  return std::string(records::Trimmed(h.journalCode)) + " " + t;
}

// The transactions a report shows, "GJ 3001" for a line that begins with a
// journal code and a transaction number, in the order printed.
std::vector<std::string> TransactionsShown(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? text.size() : end + 1;
    if (line.size() < 20 || line[0] == ' ' || line[0] == '-') continue;
    const std::string code = line.substr(0, line.find(' '));
    std::string number = line.substr(9, 11);
    number.erase(0, number.find_first_not_of(' '));
    number.erase(number.find_last_not_of(' ') + 1);
    if (code.size() <= 6 && !number.empty() && std::isdigit(static_cast<unsigned char>(number[0])))
      out.push_back(code + " " + number);
  }
  return out;
}

// The text with every run of blanks made one blank, so that amounts compare
// without counting the blanks of their columns.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (const char c : text)
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  return out;
}

// The line of the report that holds `text` ("" when none does).
std::string LineWith(const std::string& report, const std::string& text) {
  const std::size_t at = report.find(text);
  if (at == std::string::npos) return "";
  const std::size_t start = report.rfind('\n', at) + 1;
  return report.substr(start, report.find('\n', at) - start);
}

// The text of each page of an HTML report, as its <pre> blocks hold it.
std::vector<std::string> HtmlPages(const std::string& path) {
  std::vector<std::string> pages;
  htmlDocPtr doc = htmlReadFile(path.c_str(), "UTF-8", HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
  if (doc == nullptr) return pages;
  xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
  xmlXPathObjectPtr found = xmlXPathEvalExpression(BAD_CAST "//div[@class='page']/pre", ctx);
  for (int i = 0; found && found->nodesetval && i < found->nodesetval->nodeNr; ++i) {
    xmlChar* text = xmlNodeGetContent(found->nodesetval->nodeTab[i]);
    std::string s = reinterpret_cast<char*>(text);
    xmlFree(text);
    if (!s.empty() && s[0] == '\n') s.erase(0, 1);
    pages.push_back(s);
  }
  xmlXPathFreeObject(found);
  xmlXPathFreeContext(ctx);
  xmlFreeDoc(doc);
  return pages;
}

class GLJournalTest : public JournalTest {
 protected:
  void LoadFixture() { LoadCompany("gl_company.json"); }

  // Runs command 301 at its selection window on `keys`; the transcript.
  std::string RunWindow(const std::string& keys, const char* parameters = nullptr) {
    Start(keys);
    EXPECT_EQ(RunGLJournal(parameters), 0);
    return Finish();
  }

  // Runs command 301 unattended through the dispatcher, as the main program
  // hands it a parameter string; the transcript.
  std::string RunUnattended(const std::string& parameters) {
    Start("");
    EXPECT_EQ(RunMenuCommand(parameters.c_str()), 0);
    return Finish();
  }

  std::string HtmlPath() const { return dir_ + "/journal.htm"; }

  std::map<std::string, records::TagGLHeader> HeadersByTransaction() {
    std::map<std::string, records::TagGLHeader> out;
    for (const records::TagGLHeader& h : GLHeaders()) out[Tran(h)] = h;
    return out;
  }

  std::set<std::string> Stamped() {
    std::set<std::string> out;
    for (const auto& [tran, h] : HeadersByTransaction())
      if (h.journalPrinted != 0) out.insert(tran);
    return out;
  }
};

const std::vector<std::string> kMarchUnposted = {"AP 2001", "AR 1001", "GJ 3001", "GJ 3002", "GJ 3006", "GJ 3007"};

// --- "Journal" mode --------------------------------------------------------------------

TEST_F(GLJournalTest, JournalModePrintsThePeriodsUnpostedTransactionsAndStampsThem) {
  LoadFixture();
  const std::string transcript = RunWindow("F10 Esc");
  const std::string report = PreviewText(transcript);
  ASSERT_FALSE(report.empty()) << transcript;
  EXPECT_EQ(TransactionsShown(report), kMarchUnposted) << report;
  EXPECT_NE(report.find("General Ledger Journal"), std::string::npos);
  EXPECT_NE(report.find("Dates from 03/01/25 to 03/31/25"), std::string::npos) << report;

  // Lines with their account names; a comment line shows its description
  // alone; an account not on file is named so.
  EXPECT_NE(LineWith(report, "Rent for March").find("6100       Rent"), std::string::npos) << report;
  const std::string comment = LineWith(report, "See the payroll register");
  EXPECT_EQ(comment.find("CNOTE"), std::string::npos) << comment;
  EXPECT_EQ(comment.find("99.00"), std::string::npos) << comment;
  EXPECT_NE(LineWith(report, "Closed account").find("* Not on file *"), std::string::npos) << report;
  EXPECT_NE(LineWith(report, "      3007").find("DELETED"), std::string::npos) << report;

  // Totals per transaction and for the journal (the comment line is not summed).
  EXPECT_NE(Squeezed(report).find("Transaction totals 2750.25 2750.25"), std::string::npos) << report;
  EXPECT_NE(Squeezed(report).find("Transaction totals 100.00 90.00"), std::string::npos) << report;
  EXPECT_NE(Squeezed(report).find("Journal totals 4570.25 4560.25"), std::string::npos) << report;

  // 3002 is out of balance; 3006's account 9999 is not on file.
  EXPECT_EQ(MessageNumbers(transcript), (std::vector<int>{1351, 1355})) << transcript;

  // Every printed header, the deleted one too, carries today as its
  // journal-printed date; the others are untouched; nothing is posted.
  const auto headers = HeadersByTransaction();
  for (const auto& [tran, h] : headers) {
    const bool printed = std::count(kMarchUnposted.begin(), kMarchUnposted.end(), tran) > 0;
    EXPECT_EQ(h.journalPrinted, printed ? Today() : 0) << tran;
  }
  EXPECT_EQ(headers.at("GJ 3003").postedFlag, 'Y');
  EXPECT_EQ(headers.at("GJ 3001").postedFlag, 'N');
}

TEST_F(GLJournalTest, ASecondJournalRunStillListsWhatTheFirstStamped) {
  LoadFixture();
  const std::string first = PreviewText(RunWindow("F10 Esc"));
  const std::string second = PreviewText(RunWindow("F10 Esc"));
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, second);
}

TEST_F(GLJournalTest, CommentsPrintInPlaceOfTheTotals) {
  LoadFixture();
  fs::create_directories(company_ + "/comments");
  WriteAll(company_ + "/comments/GL_GJ_3001.txt", "Approved by M. Ortiz\r\nCaf\xC3\xA9 receipts attached\n");
  // Mode, copies, journal date, then "Print comments": Yes.
  const std::string report = PreviewText(RunWindow("Enter Enter Enter Space F10 Esc"));
  ASSERT_FALSE(report.empty());
  const std::size_t start = report.find("      3001");
  const std::size_t end = report.find("      3002");
  ASSERT_LT(start, end) << report;
  const std::string block = report.substr(start, end - start);
  EXPECT_NE(block.find("Transaction Comments:  GJ/3001"), std::string::npos) << block;
  EXPECT_NE(block.find("     Approved by M. Ortiz\n"), std::string::npos) << block;
  EXPECT_NE(block.find("Caf\xC3\xA9 receipts attached"), std::string::npos) << block;
  EXPECT_EQ(block.find("Transaction totals"), std::string::npos) << block;
  EXPECT_EQ(std::count(block.begin(), block.end(), '\n') > 0, true);
  // A transaction without comments keeps its totals.
  EXPECT_NE(Squeezed(report).find("Transaction totals 100.00 90.00"), std::string::npos);
}

TEST_F(GLJournalTest, AHeaderInUseEndsTheWalkAfterItAndIsReportedOnce) {
  LoadFixture();
  // A second user holds GJ 3002.
  BtrvHandle other = 0;
  ASSERT_EQ(BtrvOpen(&other, FilePathGet(records::kFileGLHeaders), kOpenNormal, 0), kStatusOk);
  char key[255] = {};
  std::memcpy(key, "GJ     ", 7);
  std::memcpy(key + 7, "      3002 ", 11);
  records::TagGLHeader held{};
  ASSERT_EQ(BtrvGetOp(kOpGetEqual + kLockBias, other, key, &held, sizeof held), kStatusOk);
  const std::string transcript = RunWindow("F10 Esc");
  BtrvClose(other);

  const std::string report = PreviewText(transcript);
  EXPECT_EQ(TransactionsShown(report), (std::vector<std::string>{"AP 2001", "AR 1001", "GJ 3001", "GJ 3002"}));
  EXPECT_NE(Squeezed(report).find("Journal totals 4550.25 4540.25"), std::string::npos) << report;
  EXPECT_EQ(Stamped(), (std::set<std::string>{"AP 2001", "AR 1001", "GJ 3001"}));
  EXPECT_EQ(MessageNumbers(transcript), (std::vector<int>{1351, 551})) << transcript;
  EXPECT_LT(transcript.find("preview: closed"), transcript.rfind("message number: 551")) << "551 follows the report";
}

// --- "Listing" mode --------------------------------------------------------------------

TEST_F(GLJournalTest, ListingOverAJournalCodeRangePrintsOnlyThoseAndChangesNoByte) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  // Listing; copies; from "AP" to "GJ"; the dates stay March 2025.
  const std::string transcript = RunWindow(R"(Space Enter Enter "AP" Enter "GJ" Enter F10 Esc)");
  const std::string report = PreviewText(transcript);
  EXPECT_EQ(TransactionsShown(report),
            (std::vector<std::string>{"AP 2001", "AR 1001", "GJ 3001", "GJ 3002", "GJ 3003", "GJ 3004", "GJ 3006",
                                      "GJ 3007"}))
      << report;
  EXPECT_NE(report.find("General Ledger Listing"), std::string::npos);
  EXPECT_NE(report.find("Journals from AP to GJ"), std::string::npos) << report;
  EXPECT_NE(LineWith(report, "Accrued supplies").find("Yes"), std::string::npos) << "3003 is posted";
  // A listing neither warns nor stamps.
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
  EXPECT_EQ(Snapshot().files, before.files);
}

TEST_F(GLJournalTest, ALinkToOneTransactionFindsItWheneverDatedAndWritesNothing) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  for (const char* tran : {"3003", "3005", "      3005"}) {
    SCOPED_TRACE(tran);
    const std::string transcript = RunUnattended(std::string("input='default' type='1' tran='") + tran +
                                                 "' output='" + HtmlPath() + "'");
    const std::vector<std::string> pages = HtmlPages(HtmlPath());
    ASSERT_EQ(pages.size(), 1u) << transcript;
    const std::string number = std::string(tran).substr(std::string(tran).find_first_not_of(' '));
    EXPECT_EQ(TransactionsShown(pages[0]), std::vector<std::string>{"GJ " + number}) << pages[0];
    EXPECT_NE(pages[0].find("Dates from FIRST to LAST"), std::string::npos) << pages[0];
    EXPECT_NE(pages[0].find("Journals from FIRST to LAST"), std::string::npos) << pages[0];
  }
  EXPECT_EQ(Snapshot().files, before.files);
}

// --- Unattended runs --------------------------------------------------------------------

TEST_F(GLJournalTest, AnUnattendedRunWritesTheHtmlThePreviewShows) {
  LoadFixture();
  const std::string listing = "type='1' jrnlbeg='AP' jrnlend='GJ' datebeg='03/01/25' dateend='03/31/25'";
  // At the window, preset by the same string, printed to the preview.
  const std::vector<std::string> shown = ReportPages(RunWindow("F10 Esc", (listing + " output='screen'").c_str()));
  // Unattended, as command 301 with a parameter string.
  const std::string transcript = RunUnattended(listing + " output='" + HtmlPath() + "'");
  EXPECT_EQ(transcript.find("form start"), std::string::npos) << "no window: " << transcript;
  const std::vector<std::string> written = HtmlPages(HtmlPath());
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(written, shown);
}

TEST_F(GLJournalTest, AnUnattendedJournalRunStampsAndNeverAsks) {
  LoadFixture();
  const std::string transcript = RunUnattended("output='" + HtmlPath() + "'");
  const std::vector<std::string> pages = HtmlPages(HtmlPath());
  ASSERT_EQ(pages.size(), 1u) << transcript;
  EXPECT_EQ(TransactionsShown(pages[0]), kMarchUnposted);
  EXPECT_EQ(Stamped(), std::set<std::string>(kMarchUnposted.begin(), kMarchUnposted.end()));
  // The warnings go to the transcript; no box is shown.
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
  EXPECT_NE(transcript.find("journal: message 1351: Transaction 3002 of journal GJ is out of balance"),
            std::string::npos)
      << transcript;
  EXPECT_NE(transcript.find("journal: message 1355: Account 9999"), std::string::npos) << transcript;
}

// An amount heading stands over the right of its amounts: the last letter of
// "Debits" and of "Credits" over the last digit of each total.
TEST_F(GLJournalTest, TheAmountHeadingsStandOverTheRightOfTheirAmounts) {
  LoadFixture();
  RunUnattended("output='" + HtmlPath() + "'");
  const std::vector<std::string> pages = HtmlPages(HtmlPath());
  ASSERT_FALSE(pages.empty());
  const std::string heading = LineWith(pages[0], "Debits");
  const std::string totals = LineWith(pages[0], "Transaction totals");
  ASSERT_FALSE(totals.empty()) << pages[0];
  for (const std::string caption : {"Debits", "Credits"}) {
    const std::size_t last = heading.find(caption) + caption.size() - 1;
    ASSERT_LT(last, totals.size()) << caption << "\n" << heading << "\n" << totals;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(totals[last])) &&
                (last + 1 >= totals.size() || totals[last + 1] == ' '))
        << caption << " does not end over its amounts:\n" << heading << "\n" << totals;
  }
}

TEST_F(GLJournalTest, AnUnattendedRunThatSelectsNothingSaysSoInItsFile) {
  LoadFixture();
  WriteAll(HtmlPath(), "yesterday's journal");
  const std::string transcript = RunUnattended("type='1' jrnlbeg='ZZ' output='" + HtmlPath() + "'");
  EXPECT_NE(transcript.find("journal: message 197: "), std::string::npos) << transcript;
  EXPECT_EQ(HtmlPages(HtmlPath()), std::vector<std::string>{"Nothing was printed.\n"});
}

struct RangeErrorCase {
  const char* name;
  const char* parameters;
  const char* note;  // what the transcript says
};

const RangeErrorCase kRangeErrors[] = {
    {"journal codes reversed", "type='1' jrnlbeg='GJ' jrnlend='AP'", "journal: message 205: "},
    {"dates reversed", "type='1' datebeg='03/31/25' dateend='03/01/25'", "journal: message 205: "},
    {"a date that does not exist", "type='1' datebeg='02/30/25'", "journal: The date is not valid."},
    {"a key the journal does not know", "type='1' jrnlfrom='AP'", "cannot be used: parameter \"jrnlfrom\""},
};

TEST_F(GLJournalTest, AnUnattendedRangeErrorIsNotedAndTheRunEnds) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  for (const RangeErrorCase& c : kRangeErrors) {
    SCOPED_TRACE(c.name);
    const std::string transcript = RunUnattended(std::string(c.parameters) + " output='" + HtmlPath() + "'");
    EXPECT_NE(transcript.find(c.note), std::string::npos) << transcript;
    EXPECT_EQ(transcript.find("message number"), std::string::npos) << "a box waits for a key: " << transcript;
    EXPECT_FALSE(fs::exists(HtmlPath())) << "nothing is written";
  }
  EXPECT_EQ(Snapshot().files, before.files);
}

struct WindowErrorCase {
  const char* name;
  const char* keys;
  std::vector<int> messages;
};

// Listing is chosen with Space; Enter moves on over the copies to the
// journal-code range, then the date range.
const WindowErrorCase kWindowErrors[] = {
    {"journal codes reversed", R"(Space Enter Enter "GJ" Enter "AP" Enter F10 Esc)", {205}},
    {"dates reversed", R"(Space Enter Enter Enter Enter "03/31/25" Enter "03/01/25" F10 Esc)", {205}},
    {"a date that does not exist", R"(Space Enter Enter Enter Enter "13/45/25" Enter Enter Esc)", {13}},
    {"a journal date that does not exist", R"(Enter Enter "02/30/25" Enter Enter Esc)", {13}},
};

TEST_F(GLJournalTest, TheWindowRefusesABadRangeAndStaysOpen) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  for (const WindowErrorCase& c : kWindowErrors) {
    SCOPED_TRACE(c.name);
    const std::string transcript = RunWindow(c.keys);
    EXPECT_EQ(MessageNumbers(transcript), c.messages) << transcript;
    EXPECT_EQ(PreviewText(transcript), "") << "nothing printed";
    EXPECT_NE(transcript.find("form end: General Ledger Journal (cancelled)"), std::string::npos) << transcript;
  }
  EXPECT_EQ(Snapshot().files, before.files);
}

// --- Record-manager errors ------------------------------------------------------------------

struct RecordErrorCase {
  const char* name;
  const char* failure;  // the test switch
  int op;               // the operation the error names
};

const RecordErrorCase kRecordErrors[] = {
    // The second get next of the walk fails.
    {"reading the next header", "fail=6:gl_headers:2:2", kOpGetNext},
    {"stamping a header", "fail=3:gl_headers:1:2", kOpUpdate},
    {"reading the first header", "fail=12:gl_headers:1:2", kOpGetFirst},
};

TEST_F(GLJournalTest, ARecordManagerErrorNamesTheOperationThatFailed) {
  for (const RecordErrorCase& c : kRecordErrors) {
    SCOPED_TRACE(c.name);
    LoadFixture();
    const std::string transcript = RunWithRecordFault(c.failure, [&] { return RunWindow("F10 Esc"); });
    EXPECT_NE(transcript.find(RecordErrorText(2, c.op, records::kFileGLHeaders)), std::string::npos) << transcript;
  }
}

// --- The sample company, journal then posting --------------------------------------------------

TEST_F(GLJournalTest, PostingPostsExactlyWhatTheJournalListed) {
  LoadSampleCompany();
  // The month's cash came posted, with the G/L transactions its posting wrote.
  std::set<std::string> postedBefore;
  for (const auto& [tran, h] : HeadersByTransaction())
    if (h.postedFlag == 'Y') postedBefore.insert(tran);
  EXPECT_EQ(postedBefore, (std::set<std::string>{"CD 1009", "CR 1006"}));
  const std::string report = PreviewText(RunWindow("F10 Esc"));
  const std::vector<std::string> listed = TransactionsShown(report);
  ASSERT_FALSE(listed.empty()) << report;
  for (const auto& [tran, h] : HeadersByTransaction()) {
    if (postedBefore.count(tran)) continue;
    EXPECT_EQ(h.journalPrinted != 0, std::count(listed.begin(), listed.end(), tran) > 0) << tran;
  }
  // Stamping posts nothing: the journal lists the same again.
  EXPECT_EQ(TransactionsShown(PreviewText(RunWindow("F10 Esc"))), listed);

  const std::string totals = LineWith(report, "Journal totals");
  ASSERT_FALSE(totals.empty()) << report;
  std::string debits = totals.substr(100, 12);
  debits.erase(0, debits.find_first_not_of(' '));

  SharedAppBlockGet()->currentCommand = 320;
  Start("F10");
  EXPECT_EQ(RunGLPost(), 0);
  const std::string posting = Finish();
  std::set<std::string> posted;
  for (const auto& [tran, h] : HeadersByTransaction())
    if (h.postedFlag == 'Y' && !postedBefore.count(tran)) posted.insert(tran);
  EXPECT_EQ(posted, std::set<std::string>(listed.begin(), listed.end())) << posting;
  EXPECT_NE(posting.find("Debits " + debits + ", credits " + debits), std::string::npos)
      << "the posting summary shows the journal's totals " << debits << "\n"
      << posting;
}

}  // namespace
