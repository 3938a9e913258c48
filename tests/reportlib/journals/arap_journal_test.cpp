// The receivables and payables journals (commands 302 and 303), driven by
// key scripts over the books of fixtures/ledger_books.json with the
// transactions of fixtures/arap_transactions.json (March 2025 is the period
// of today, 03/15/25), and over the sample company.
//
// The receivables transactions that "Journal" mode prints are 101-107, in
// period-key order: 103 has a comment line on the account CNOTE, 104 is for
// a customer not on file, 105 is out of balance by 10.00, 106 has an account
// not on file and 107 is deleted.  108 is posted, 109 of February, 110 of
// April.
#include "journals/arap_journal.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ledger_journal_support.h"

namespace {

using namespace journaltest;
using records::TagRecPayHeader;

constexpr int kReceivables = 302;
constexpr int kPayables = 303;

// The G/L summary page's table: its debits and credits, its totals line.
const SummaryLayout kSummary = {"Acct#", 63, 77, "Summary totals"};

class ArApJournalTest : public LedgerJournalTest {
 protected:
  void LoadFixture(const Json& extra = Json::object()) { LoadBooks("arap_transactions.json", extra); }

  std::string RunJournal(int commandId, const std::string& keys) {
    return Run(commandId, keys, [commandId] { return RunArApJournal(commandId); });
  }

  std::map<std::string, TagRecPayHeader> Headers(int fileNo) {
    std::map<std::string, TagRecPayHeader> out;
    for (const TagRecPayHeader& h : Records<TagRecPayHeader>(fileNo)) out[Number(h)] = h;
    return out;
  }

  std::set<std::string> Stamped(int fileNo) {
    std::set<std::string> out;
    for (const auto& [number, h] : Headers(fileNo))
      if (h.journalPrinted != 0) out.insert(number);
    return out;
  }
};

const std::vector<std::string> kMarchReceivables = {"101", "102", "103", "104", "105", "106", "107"};

// --- "Journal" mode ---------------------------------------------------------------------

TEST_F(ArApJournalTest, JournalModePrintsThePeriodsUnpostedTransactionsAndStampsThem) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  const std::string transcript = RunJournal(kReceivables, "F10");
  const std::vector<std::string> pages = ReportPages(transcript);
  ASSERT_GE(pages.size(), 2u) << transcript;
  std::string journal;
  for (std::size_t i = 0; i + 1 < pages.size(); ++i) journal += pages[i];
  EXPECT_EQ(TransactionsShown(journal, 0), kMarchReceivables) << journal;
  EXPECT_NE(journal.find("Receivables Journal"), std::string::npos);
  EXPECT_NE(journal.find("Select: Date From: 03/01/25 To: 03/31/25"), std::string::npos) << journal;

  // The header line, then each line with its account's name and its side.
  const std::string header = LineWith(journal, "INV-101");
  EXPECT_EQ(Cell(header, 11, 10), "C100");
  EXPECT_EQ(Cell(header, 22, 25), "Alder Hardware");
  EXPECT_EQ(Cell(header, 61, 8), "03/03/25");
  EXPECT_EQ(Cell(header, 81, 8), "04/02/25");
  EXPECT_EQ(Cell(header, 90, 8), "10.00") << "discount available";
  EXPECT_EQ(Cell(header, 99, 4), "I");
  const std::string debit = LineWith(journal, "Accounts Receivable       Hardware sale");
  EXPECT_EQ(Cell(debit, 104, 11), "500.00") << debit;
  EXPECT_EQ(Cell(debit, 116, 11), "");
  EXPECT_EQ(Cell(debit, 128, 4), "No");
  EXPECT_EQ(Cell(LineWith(journal, "Sales                     Hardware sale"), 116, 11), "500.00");
  // A comment line shows its description alone and is not summed.
  const std::string comment = LineWith(journal, "Damaged on delivery");
  EXPECT_EQ(Trimmed(comment), "Damaged on delivery") << comment;
  // Names of what is not on file; the customer's name is cut to 25.
  EXPECT_EQ(Cell(LineWith(journal, "INV-104"), 22, 25), "* Not on file *");
  EXPECT_EQ(Cell(LineWith(journal, "4999"), 22, 25), "* Not on file *");
  EXPECT_EQ(Cell(LineWith(journal, "FC-102"), 22, 26), "Birch Builders Supply Com");
  EXPECT_EQ(Squeezed(LineWith(journal, "       107")), " 107 DELETED");

  // Each transaction's totals, and the journal's.
  const std::string squeezed = Squeezed(journal);
  EXPECT_NE(squeezed.find("Birch Builders"), std::string::npos);
  for (const char* totals : {"Transaction totals 500.00 500.00", "Transaction totals 40.00 40.00",
                             "Transaction totals 300.00 290.00", "Journal totals 1060.00 1050.00"})
    EXPECT_NE(squeezed.find(totals), std::string::npos) << totals << "\n" << journal;

  // Told in order: the missing customer, the out-of-balance transaction, the
  // missing account.
  EXPECT_EQ(MessageNumbers(transcript), (std::vector<int>{1343, 1379, 1377})) << transcript;
  EXPECT_NE(transcript.find("Accounts Receivable transaction 105 is out of balance:\ndebits 300.00, credits 290.00."),
            std::string::npos)
      << transcript;

  // Each printed header, the deleted one too, carries the journal date;
  // nothing else of the company changed.
  fixture::CompanyImage expected = before;
  for (auto& bytes : expected.files[records::kFileReceivablesHeaders]) {
    TagRecPayHeader h{};
    ASSERT_TRUE(records::FromImage(bytes, &h));
    if (std::count(kMarchReceivables.begin(), kMarchReceivables.end(), Number(h)) == 0) continue;
    h.journalPrinted = Today();
    const auto image = records::ImageOf(h);
    bytes.assign(image.begin(), image.end());
  }
  EXPECT_EQ(Snapshot().files, expected.files);
}

TEST_F(ArApJournalTest, TheGLSummaryNetsThePeriodsDistributionPerAccountControlFirst) {
  // A cash sale puts account 1010 before the control account in account order.
  LoadFixture({{"ar_headers", {{{"transactionNumber", TranNo("111")}, {"custVendCode", "C300"},
                                {"invoiceNumber", "CS-111"}, {"reference", "Cash sale"}, {"typeLetter", "I"},
                                {"postedFlag", "N"}, {"date", "2025-03-14"}, {"periodKey", 45716}}}},
               {"ar_details", {{{"ledgerCode", "AR"}, {"transactionNumber", TranNo("111")}, {"account", "1010"},
                                {"description", "Cash sale"}, {"side", "D"}, {"amount", 50.0}},
                               {{"ledgerCode", "AR"}, {"transactionNumber", TranNo("111")}, {"account", "4000"},
                                {"description", "Cash sale"}, {"side", "C"}, {"amount", 50.0}}}}});
  const std::vector<std::string> pages = ReportPages(RunJournal(kReceivables, "F10"));
  ASSERT_FALSE(pages.empty());
  const std::string& summary = pages.back();
  EXPECT_NE(summary.find("General Ledger Summary"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Receivables distribution"), std::string::npos) << summary;
  // 107 is deleted, 108 posted, 109 and 110 of other periods: none counts;
  // the comment line of 103 carries nothing.  105's 10.00 shows in the totals.
  EXPECT_EQ(SummaryLines(summary, kSummary), (std::vector<std::string>{
                                       "1200 Accounts Receivable: Dr 980.00",
                                       "1010 Cash - Operating: Dr 50.00",
                                       "4000 Sales: Cr 960.00",
                                       "4010 Finance Charges: Cr 25.00",
                                       "4100 Sales Returns: Dr 40.00",
                                       "4999 * Not on file *: Cr 75.00",
                                       "totals: 1070.00 / 1060.00",
                                   }))
      << summary;
}

TEST_F(ArApJournalTest, ThePayablesJournalPrintsItsControlAccountEvenAtZero) {
  LoadFixture();
  const std::string transcript = RunJournal(kPayables, "F10");
  const std::vector<std::string> pages = ReportPages(transcript);
  ASSERT_GE(pages.size(), 2u) << transcript;
  EXPECT_NE(pages[0].find("Payables Journal"), std::string::npos);
  EXPECT_NE(pages[0].find("Vendor Name"), std::string::npos);
  EXPECT_EQ(TransactionsShown(pages[0], 0), (std::vector<std::string>{"202", "203", "204"})) << pages[0];
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{1345}) << transcript;
  EXPECT_NE(transcript.find("Vendor V999 is not on file.\nAccounts Payable transaction 204."), std::string::npos)
      << transcript;
  // 202 and 203 cancel each other: the control account 2000 still prints
  // (at zero, as a credit); 6300 does not.
  EXPECT_EQ(SummaryLines(pages.back(), kSummary), (std::vector<std::string>{
                                            "2000 Accounts Payable: Cr 0.00",
                                            "6100 Rent: Dr 50.00",
                                            "6800 Bank Charges: Cr 50.00",
                                            "totals: 50.00 / 50.00",
                                        }))
      << pages.back();
  EXPECT_EQ(Stamped(records::kFilePayablesHeaders), (std::set<std::string>{"202", "203", "204"}));
}

TEST_F(ArApJournalTest, ASecondJournalRunPrintsTheSameAgain) {
  LoadFixture();
  const std::string first = PreviewText(RunJournal(kReceivables, "F10"));
  const std::string second = PreviewText(RunJournal(kReceivables, "F10"));
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, second) << "stamping posts nothing";
}

TEST_F(ArApJournalTest, CommentsTakeThePlaceOfTheirTransactionsTotals) {
  LoadFixture();
  WriteComments("AR_101.txt", "Delivered by van\nSigned for by J. Alder\n");
  // Mode, journal date, then "Print comments": Yes.
  const std::string report = PreviewText(RunJournal(kReceivables, "Enter Enter Space F10"));
  const std::size_t start = report.find("INV-101"), end = report.find("FC-102");
  ASSERT_LT(start, end) << report;
  const std::string block = report.substr(start, end - start);
  EXPECT_NE(block.find("Transaction Comments:  101"), std::string::npos) << block;
  EXPECT_NE(block.find("\n Delivered by van\n Signed for by J. Alder\n"), std::string::npos) << block;
  EXPECT_EQ(block.find("Transaction totals"), std::string::npos) << block;
  const std::vector<std::string> lines = Lines(block);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), " " + std::string(132, '-')), 2) << "two rules: " << block;
  // The others keep their totals; the journal's totals count 101.
  EXPECT_NE(Squeezed(report).find("Transaction totals 25.00 25.00"), std::string::npos);
  EXPECT_NE(Squeezed(report).find("Journal totals 1060.00 1050.00"), std::string::npos);
}

TEST_F(ArApJournalTest, AHeaderInUseStaysUnstampedAndIsToldOnceAfterTheReport) {
  LoadFixture();
  BtrvHandle other = 0;
  ASSERT_EQ(BtrvOpen(&other, FilePathGet(records::kFileReceivablesHeaders), kOpenNormal, 0), kStatusOk);
  char key[255] = {};
  std::memcpy(key, TranNo("103").c_str(), 10);
  TagRecPayHeader held{};
  ASSERT_EQ(BtrvGetOp(kOpGetEqual + kLockBias, other, key, &held, sizeof held), kStatusOk);
  const std::string transcript = RunJournal(kReceivables, "F10");
  BtrvClose(other);

  EXPECT_EQ(TransactionsShown(PreviewText(transcript), 0), kMarchReceivables) << "the walk goes on";
  std::set<std::string> stamped(kMarchReceivables.begin(), kMarchReceivables.end());
  stamped.erase("103");
  EXPECT_EQ(Stamped(records::kFileReceivablesHeaders), stamped);
  EXPECT_EQ(MessageNumbers(transcript), (std::vector<int>{1343, 1379, 1377, 551})) << transcript;
  EXPECT_LT(transcript.find("preview: closed"), transcript.rfind("message number: 551")) << "551 follows the report";
}

TEST_F(ArApJournalTest, AUserBreakStopsTheRunBeforeTheNextHeader) {
  LoadFixture();
  const std::string transcript = RunJournal(kReceivables, "F10 Break");
  EXPECT_NE(transcript.find("*** Report stopped by the user ***"), std::string::npos) << transcript;
  EXPECT_EQ(Stamped(records::kFileReceivablesHeaders), std::set<std::string>{}) << "nothing printed, nothing stamped";
  EXPECT_NE(transcript.find("preview: closed"), std::string::npos);
}

// --- "Listing" mode --------------------------------------------------------------------
// Space chooses "Listing"; Enter goes on to "Print comments", then to the
// first column field, whose pick window opens (Enter keeps the transaction
// number, Down Enter chooses the customer code); the from and to fields
// follow.

struct ListingCase {
  const char* name;
  const char* keys;
  std::vector<std::string> shown;
};

const ListingCase kListings[] = {
    // Warnings are "Journal" mode's: 104, 105 and 106 raise none here.
    {"a transaction-number range", R"(Space Enter Enter Enter Enter "103" Enter "106" F10)",
     {"103", "104", "105", "106"}},
    // Posted or not, in any period, in transaction-number order.
    {"a customer range", R"(Space Enter Enter Down Enter Enter "C200" Enter "C300" F10)",
     {"102", "103", "107", "108", "109"}},
};

TEST_F(ArApJournalTest, ListingOverARangePrintsItAndChangesNoByte) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  for (const ListingCase& c : kListings) {
    SCOPED_TRACE(c.name);
    const std::string transcript = RunJournal(kReceivables, c.keys);
    const std::string report = PreviewText(transcript);
    EXPECT_EQ(TransactionsShown(report, 0), c.shown) << report;
    EXPECT_NE(report.find("Receivables Listing"), std::string::npos);
    EXPECT_EQ(report.find("General Ledger Summary"), std::string::npos) << "no summary in a listing";
    EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
  }
  // 108 is posted: its lines say so.
  const std::string report = PreviewText(RunJournal(kReceivables, kListings[1].keys));
  EXPECT_EQ(Cell(LineWith(report, "Posted sale"), 128, 4), "Yes") << report;
  EXPECT_EQ(Snapshot().files, before.files);
}

TEST_F(ArApJournalTest, NothingToPrintSaysSo) {
  LoadBooks("");
  const std::string transcript = RunJournal(kPayables, "F10");
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{197}) << transcript;
  EXPECT_EQ(PreviewText(transcript), "");
}

TEST_F(ArApJournalTest, EscLeavesTheWindowWithoutPrinting) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  const std::string transcript = RunJournal(kReceivables, "Esc");
  EXPECT_NE(transcript.find("form end: Receivables Journal (cancelled)"), std::string::npos) << transcript;
  EXPECT_EQ(PreviewText(transcript), "");
  EXPECT_EQ(Snapshot().files, before.files);
}

// --- Record-manager errors ------------------------------------------------------------------

struct RecordErrorCase {
  const char* name;
  const char* failure;  // the test switch
  int op;               // the operation the error box names
  int fileNo;
  std::set<std::string> stamped;
  bool summary;         // whether the run still reached its summary
};

const RecordErrorCase kRecordErrors[] = {
    // The run ends at once: the report closes, 102 on stay unstamped.
    {"stamping the second header", "fail=3:ar_headers:2:2", kOpUpdate, records::kFileReceivablesHeaders, {"101"},
     false},
    // The transaction prints without its lines; the run goes on.
    {"reading a transaction's lines", "fail=9:ar_details:1:2", kOpGetGreaterOrEqual,
     records::kFileReceivablesDetails, {"101", "102", "103", "104", "105", "106", "107"}, true},
    // The walk ends as at the end of the file.
    {"reading the next header", "fail=6:ar_headers:2:2", kOpGetNext, records::kFileReceivablesHeaders,
     {"101", "102"}, true},
};

TEST_F(ArApJournalTest, ARecordManagerErrorNamesTheOperationThatFailedAndTheRunEndsCleanly) {
  for (const RecordErrorCase& c : kRecordErrors) {
    SCOPED_TRACE(c.name);
    LoadFixture();
    const std::string transcript = RunWithRecordFault(c.failure, [&] { return RunJournal(kReceivables, "F10"); });
    EXPECT_NE(transcript.find(RecordErrorText(2, c.op, c.fileNo)), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("preview: closed"), std::string::npos) << "the report is closed";
    EXPECT_EQ(PreviewText(transcript).find("General Ledger Summary") != std::string::npos, c.summary);
    EXPECT_EQ(Stamped(records::kFileReceivablesHeaders), c.stamped);
  }
}

// --- The sample company -----------------------------------------------------------------------

TEST_F(ArApJournalTest, OnTheSampleCompanyEachJournalListsItsPeriodAndItsSummaryBalances) {
  LoadSampleCompany();
  for (const int command : {kReceivables, kPayables}) {
    SCOPED_TRACE(command);
    const int headerFile =
        command == kReceivables ? records::kFileReceivablesHeaders : records::kFilePayablesHeaders;
    std::set<std::string> unposted;
    for (const auto& [number, h] : Headers(headerFile))
      if (h.postedFlag != 'Y' && h.date >= Day(2025, 3, 1) && h.date <= Day(2025, 3, 31)) unposted.insert(number);
    ASSERT_FALSE(unposted.empty());

    const std::string transcript = RunJournal(command, "F10");
    const std::vector<std::string> pages = ReportPages(transcript);
    ASSERT_GE(pages.size(), 2u) << transcript;
    std::string journal;
    for (std::size_t i = 0; i + 1 < pages.size(); ++i) journal += pages[i];
    const std::vector<std::string> shown = TransactionsShown(journal, 0);
    EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()), unposted);
    EXPECT_EQ(Stamped(headerFile), unposted);
    EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
    // Balanced transactions: the journal's totals and the summary's foot.
    const std::string totals = LineWith(journal, "Journal totals");
    EXPECT_EQ(Cell(totals, 104, 11), Cell(totals, 116, 11)) << totals;
    const std::vector<std::string> summary = SummaryLines(pages.back(), kSummary);
    ASSERT_FALSE(summary.empty()) << pages.back();
    const std::string foot = summary.back();
    EXPECT_EQ(foot.substr(0, foot.find(" / ")), "totals: " + foot.substr(foot.find(" / ") + 3)) << foot;
  }
}

}  // namespace
