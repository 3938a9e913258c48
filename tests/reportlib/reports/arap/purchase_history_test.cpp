// The customer purchase history (command 329): its parameter string, and
// runs through its entry over a company of one customer's invoices and
// returns, read back from the HTML file (or the transcript of a key script):
// the lines of each range and their total, returns and skipped lines, links,
// the saved run, the date screen and clean ends.
#include <cstring>
#include <string>
#include <vector>

#include "listing_test_support.h"
#include "records/dictionary.h"
#include "reports/arap/purchase_history.h"
#include "reports/arap/purchase_history_params.h"

namespace listingtest {
namespace {

// --- The parameter string -------------------------------------------------------------------

TEST(PurchaseHistParamString, ReadsTheKeysOfTheReport) {
  const struct {
    const char* text;
    bool ok;
    ParamStatus status;
    const char* customer;
    std::int32_t from, to;
  } cases[] = {
      {"cdno='C100' datebeg='03/01/25' dateend='03/31/25'", true, ParamStatus::kOk, "C100", DateMake(2025, 3, 1),
       DateMake(2025, 3, 31)},
      {"cdno='ABCDEFGHIJ' dateend=''", true, ParamStatus::kOk, "ABCDEFGHIJ", 0, 0},
      {"cdno='ABCDEFGHIJK'", false, ParamStatus::kValueTooLong, "", 0, 0},
      {"datebeg='13/45/25'", false, ParamStatus::kBadValue, "", 0, 0},
      {"cdno='C1' sortby='2'", false, ParamStatus::kUnknownKey, "C1", 0, 0},
  };
  for (const auto& c : cases) {
    PurchaseHistParams p;
    CPurchaseHistParamString parser(c.text, static_cast<int>(std::strlen(c.text)) + 1);
    EXPECT_EQ(c.ok, parser.ParseInto(&p)) << c.text;
    EXPECT_EQ(c.status, parser.LastStatus()) << c.text;
    EXPECT_STREQ(c.customer, p.customerCode) << c.text;
    EXPECT_EQ(c.from, p.dateFrom) << c.text;
    EXPECT_EQ(c.to, p.dateTo) << c.text;
  }
}

TEST(PurchaseHistParamString, TheSavedRunReadsBackAsTheSameSelection) {
  PurchaseHistParams p;
  std::strcpy(p.customerCode, "O'NEIL");
  p.dateFrom = DateMake(2025, 3, 1);
  std::strcpy(p.output, "kept.htm");
  char buffer[1024] = {};
  CReportParamString out(buffer, sizeof buffer);
  ASSERT_TRUE(PurchaseHistWriteParams(p, &out));
  EXPECT_STREQ("input='usersel' cdno='O''NEIL' datebeg='03/01/25' dateend=''", buffer);
  PurchaseHistParams back;
  CPurchaseHistParamString parser(buffer, sizeof buffer);
  ASSERT_TRUE(parser.ParseInto(&back));
  EXPECT_STREQ("O'NEIL", back.customerCode);
  EXPECT_EQ(p.dateFrom, back.dateFrom);
  EXPECT_EQ(0, back.dateTo);
  EXPECT_STREQ("usersel", back.input);
}

// --- The report -------------------------------------------------------------------------------

constexpr int kItemX = 1, kTypeX = 18, kDateX = 27, kUnitsX = 36, kFractionX = 50, kPriceX = 60, kTotalX = 72,
              kDescriptionX = 84, kInvoiceX = 125;

Json Header(const std::string& number, char type, const std::string& customer, const std::string& date,
            const char* closed = "N") {
  return Json{{"typeLetter", std::string(1, type)}, {"transactionNumber", number}, {"keyPart", 0},
              {"custVendCode", customer},           {"closedFlag", closed},        {"postedFlag", "Y"},
              {"date", date}};
}

Json Line(const std::string& number, char type, int sequence, int kind, const std::string& item, double units,
          double price, double amount) {
  return Json{{"typeLetter", std::string(1, type)},
              {"transactionNumber", number},
              {"keyPart", 0},
              {"sequence", sequence},
              {"lineKind", kind},
              {"item", item},
              {"description", "Line " + std::to_string(sequence) + " of " + number},
              {"salesFraction", 1},
              {"quantity", units},
              {"purchaseUnitCost", price},
              {"amount", amount}};
}

class PurchaseHistoryTest : public ListingTest {
 protected:
  PurchaseHistoryTest() : ListingTest(329) {}

  // Customer C100's March: I-1001 (a product, a code, a service and a line
  // of kind 5 that never prints) and the return R-1002; around it February,
  // April, a closed invoice, a kind that is neither invoice nor return, and
  // the invoices of C200 and of C10 (whose code C100's begins with).
  void AddHistory() {
    Add("customers", Json{{"code", "C100"}, {"name", "Alder Hardware"}});
    Add("customers", Json{{"code", "C200"}, {"name", "Birch Traders"}});
    Add("customers", Json{{"code", "C10"}, {"name", "Cedar Works"}});
    Add("billing_headers", Header("I-1001", 'I', "C100", Date(2025, 3, 5)));
    Add("billing_lines", Line("I-1001", 'I', 1, 1, "P-100", 5, 40, 200));
    Add("billing_lines", Line("I-1001", 'I', 2, 5, "NOTE", 0, 0, 99));
    Add("billing_lines", Line("I-1001", 'I', 3, 4, "  FRT", 1, 12.5, 12.5));
    Add("billing_lines", Line("I-1001", 'I', 4, 6, "SVC-1", 2, 15, 30));
    Add("billing_headers", Header("R-1002", 'R', "C100", Date(2025, 3, 12)));
    Add("billing_lines", Line("R-1002", 'R', 1, 2, "P-100", 1, 40, 40));
    Add("billing_headers", Header("I-1003", 'I', "C100", Date(2025, 2, 10)));
    Add("billing_lines", Line("I-1003", 'I', 1, 1, "P-200", 11, 5, 55));
    Add("billing_headers", Header("I-1004", 'I', "C100", Date(2025, 3, 20), "Y"));
    Add("billing_lines", Line("I-1004", 'I', 1, 1, "P-200", 1, 7, 7));
    Add("billing_headers", Header("Q-1005", 'Q', "C100", Date(2025, 3, 15)));
    Add("billing_lines", Line("Q-1005", 'Q', 1, 1, "P-200", 1, 8, 8));
    Add("billing_headers", Header("I-1006", 'I', "C100", Date(2025, 4, 2)));
    Add("billing_lines", Line("I-1006", 'I', 1, 3, "P-300", 2, 5, 10));
    Add("billing_headers", Header("I-2001", 'I', "C200", Date(2025, 3, 6)));
    Add("billing_lines", Line("I-2001", 'I', 1, 1, "P-100", 1, 40, 40));
    Add("billing_headers", Header("I-3001", 'I', "C10", Date(2025, 3, 7)));
    Add("billing_lines", Line("I-3001", 'I', 1, 1, "P-100", 3, 40, 120));
  }

  // 200 invoices of C100 in March, each of one line of 2.00: several pages.
  void AddLongHistory() {
    Add("customers", Json{{"code", "C100"}, {"name", "Alder Hardware"}});
    for (int n = 0; n < 200; ++n) {
      const std::string number = "I-" + std::to_string(5000 + n);
      Add("billing_headers", Header(number, 'I', "C100", Date(2025, 3, 1 + n % 28)));
      Add("billing_lines", Line(number, 'I', 1, 1, "P-100", 1, 2, 2));
    }
  }

  HtmlReport RunReport(const std::string& params, Run* run = nullptr, const std::string& keys = "") {
    return RunToFile(params, RunCustPurchaseHistory, run, keys);
  }
};

// The invoice and item of each line of the report, in order.
std::vector<std::string> Lines(const HtmlReport& r) {
  std::vector<std::string> lines;
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i) {
    const std::string invoice = r.Cell(i, kInvoiceX, 10);
    if (invoice.size() == 6 && invoice[1] == '-') lines.push_back(invoice + " " + r.Cell(i, kItemX, 16));
  }
  return lines;
}

// The index of the line that holds `text`; -1 when none.
int LineHolding(const HtmlReport& r, const std::string& text) {
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i)
    if (r.lines[static_cast<std::size_t>(i)].find(text) != std::string::npos) return i;
  return -1;
}

// The amount of the total line; "" when there is none.
std::string TotalOf(const HtmlReport& r) {
  const int i = FindLine(r, "Total");
  return i < 0 ? "" : r.Cell(i, kTotalX, 11);
}

TEST_F(PurchaseHistoryTest, EachRangeListsTheCustomersLinesAndTheirTotal) {
  AddHistory();
  const struct {
    const char* params;
    std::vector<std::string> lines;
    const char* total;
  } cases[] = {
      {"cdno='C100' datebeg='03/01/25' dateend='03/31/25'",
       {"I-1001 P-100", "I-1001 FRT", "I-1001 SVC-1", "R-1002 P-100"},
       "202.50"},
      // An open end takes in April.
      {"cdno='C100' datebeg='03/01/25' dateend=''",
       {"I-1001 P-100", "I-1001 FRT", "I-1001 SVC-1", "R-1002 P-100", "I-1006 P-300"},
       "212.50"},
      {"cdno='C100' datebeg='01/01/25' dateend='03/05/25'",
       {"I-1003 P-200", "I-1001 P-100", "I-1001 FRT", "I-1001 SVC-1"},
       "297.50"},
      {"cdno='c10' datebeg='01/01/25' dateend='12/31/25'", {"I-3001 P-100"}, "120.00"},
      {"cdno='C200' datebeg='03/06/25' dateend='03/06/25'", {"I-2001 P-100"}, "40.00"},
  };
  for (const auto& c : cases) {
    Run run;
    const HtmlReport r = RunReport(c.params, &run);
    ASSERT_FALSE(r.Empty()) << c.params << "\n" << run.transcript;
    EXPECT_EQ(c.lines, Lines(r)) << c.params;
    EXPECT_EQ(c.total, TotalOf(r)) << c.params;
    EXPECT_TRUE(run.messages.empty()) << c.params;
  }
}

TEST_F(PurchaseHistoryTest, EachLineShowsTheSaleAndAReturnCountsAgainstTheTotal) {
  AddHistory();
  const HtmlReport r = RunReport("cdno='C100' datebeg='03/01/25' dateend='03/31/25'");
  ASSERT_TRUE(r.Contains("CUSTOMER PURCHASE HISTORY"));
  EXPECT_GE(FindLine(r, "Customer: C100 Alder Hardware"), 0);
  EXPECT_GE(FindLine(r, "Date From: 03/01/25 To 03/31/25"), 0);
  EXPECT_GE(FindLine(r, "Item Code", "Item Description"), 0);
  const struct {
    const char* line;  // text that only this line holds
    const char* item;
    const char* type;
    const char* date;
    const char* units;
    const char* price;
    const char* total;
    const char* invoice;
  } cases[] = {
      {"Line 1 of I-1001", "P-100", "Product", "03/05/25", "5.0000", "40.0000", "200.00", "I-1001"},
      {"Line 3 of I-1001", "FRT", "Code", "03/05/25", "1.0000", "12.5000", "12.50", "I-1001"},
      {"Line 4 of I-1001", "SVC-1", "Service", "03/05/25", "2.0000", "15.0000", "30.00", "I-1001"},
      {"Line 1 of R-1002", "P-100", "Product", "03/12/25", "-1.0000", "40.0000", "-40.00", "R-1002"},
  };
  for (const auto& c : cases) {
    const int i = LineHolding(r, c.line);
    ASSERT_GE(i, 0) << c.line;
    EXPECT_EQ(c.item, r.Cell(i, kItemX, 16)) << c.line;
    EXPECT_EQ(c.type, r.Cell(i, kTypeX, 8)) << c.line;
    EXPECT_EQ(c.date, r.Cell(i, kDateX, 8)) << c.line;
    EXPECT_EQ(c.units, r.Cell(i, kUnitsX, 11)) << c.line;
    EXPECT_EQ("1", r.Cell(i, kFractionX, 9)) << c.line;
    EXPECT_EQ(c.price, r.Cell(i, kPriceX, 11)) << c.line;
    EXPECT_EQ(c.total, r.Cell(i, kTotalX, 11)) << c.line;
    EXPECT_EQ(c.line, r.Cell(i, kDescriptionX, 40)) << c.line;
    EXPECT_EQ(c.invoice, r.Cell(i, kInvoiceX, 10)) << c.line;
  }
  EXPECT_FALSE(r.Contains("Line 2 of I-1001")) << "a line of kind 5 never prints";
  EXPECT_EQ("202.50", TotalOf(r));
}

TEST_F(PurchaseHistoryTest, ItemsAndInvoicesLinkToTheirScreens) {
  AddHistory();
  const HtmlReport r = RunReport("cdno='C100' datebeg='03/01/25' dateend='03/31/25'");
  const struct {
    const char* line;
    int itemCommand;
    const char* item;
    int invoiceCommand;
    const char* invoice;
  } cases[] = {
      {"Line 1 of I-1001", 250, "cdno='P-100'", 230, "tranno='I-1001'"},
      {"Line 3 of I-1001", 127, "cdno='FRT'", 230, "tranno='I-1001'"},
      {"Line 4 of I-1001", 124, "cdno='SVC-1'", 230, "tranno='I-1001'"},
      {"Line 1 of R-1002", 250, "cdno='P-100'", 233, "tranno='R-1002'"},
  };
  for (const auto& c : cases) {
    const std::vector<HtmlReport::Link> links = r.LinksOn(LineHolding(r, c.line));
    ASSERT_EQ(2u, links.size()) << c.line;
    EXPECT_EQ(c.itemCommand, links[0].command) << c.line;
    EXPECT_EQ(c.item, links[0].params) << c.line;
    EXPECT_EQ(c.invoiceCommand, links[1].command) << c.line;
    EXPECT_EQ(c.invoice, links[1].params) << c.line;
  }
  EXPECT_EQ(329, r.savedRun.command);
  EXPECT_EQ(2, r.savedRun.kind);
  EXPECT_EQ("input='usersel' cdno='C100' datebeg='03/01/25' dateend='03/31/25'", r.savedRun.params);
}

TEST_F(PurchaseHistoryTest, TheSavedRunRunsTheReportAgainIdentically) {
  AddHistory();
  const Run run = RunScripted("F6 Esc Esc", [] {
    return RunCustPurchaseHistory("cdno='C100' datebeg='03/01/25' dateend='03/31/25'");
  });
  const std::vector<std::string> reports = PreviewedReports(run.transcript, "Customer Inquiry");
  ASSERT_EQ(2u, reports.size()) << run.transcript;
  EXPECT_EQ(reports[0], reports[1]);
  EXPECT_NE(std::string::npos, reports[0].find("R-1002"));
  EXPECT_EQ(std::string::npos, reports[0].find("I-1006"));
}

// --- The date screen ---------------------------------------------------------------------------

TEST_F(PurchaseHistoryTest, APresetWithoutDatesAsksForThem) {
  AddHistory();
  // The screen opens on today (the company keeps no fiscal periods); the
  // from date typed over it, F10 runs the report.
  const Run accepted = RunScripted("\"030125\" F10 Esc", [] { return RunCustPurchaseHistory("cdno='C100'"); });
  EXPECT_NE(std::string::npos, accepted.transcript.find("From date 03/31/25")) << accepted.transcript;
  const std::vector<std::string> reports = PreviewedReports(accepted.transcript, "Customer Inquiry");
  ASSERT_EQ(1u, reports.size()) << accepted.transcript;
  EXPECT_NE(std::string::npos, reports[0].find("Date From: 03/01/25 To 03/31/25")) << reports[0];
  EXPECT_NE(std::string::npos, reports[0].find("R-1002"));

  const struct {
    const char* keys;
    std::vector<int> messages;
  } refused[] = {
      {"Esc", {}},                                     // Esc ends the command
      {"Down \"030125\" F10 Esc Esc", {205}},          // to before from
      {"\"023025\" Enter Esc Esc", {13}},               // no such date
  };
  for (const auto& c : refused) {
    const Run run = RunScripted(c.keys, [] { return RunCustPurchaseHistory("cdno='C100'"); });
    EXPECT_EQ(std::string::npos, run.transcript.find("report: ")) << c.keys << "\n" << run.transcript;
    EXPECT_EQ(c.messages, run.messages) << c.keys << "\n" << run.transcript;
  }
}

// --- Nothing to print, refusals and clean ends ---------------------------------------------------

TEST_F(PurchaseHistoryTest, NothingSelectedOrAnUnusablePresetWritesNoFile) {
  AddHistory();
  const struct {
    const char* params;
    int message;
  } cases[] = {
      {"cdno='C999' datebeg='01/01/25' dateend='12/31/25'", 197},
      {"cdno='C100' datebeg='05/01/25' dateend=''", 197},
      {"cdno='C100' datebeg='03/13/25' dateend='03/31/25'", 197},  // only a closed invoice and a 'Q'
      {"cdno='C100' datebeg='03/31/25' dateend='03/01/25'", 205},
      {"cdno='C100' datebeg='03/01/25' dateend='02/30/25'", 2001},
      {"cdno='C100' colour='red' datebeg='03/01/25'", 2001},
  };
  for (const auto& c : cases) {
    Run run;
    const HtmlReport r = RunReport(c.params, &run);
    EXPECT_TRUE(r.Empty()) << c.params;
    EXPECT_EQ(std::vector<int>{c.message}, run.messages) << c.params << "\n" << run.transcript;
  }
}

TEST_F(PurchaseHistoryTest, WithoutAParameterStringNothingIsSelected) {
  AddHistory();
  const Run run = RunScripted("", [] { return RunCustPurchaseHistory(nullptr); });
  EXPECT_EQ(0, run.result);
  EXPECT_EQ(std::vector<int>{197}, run.messages) << run.transcript;
}

void ExpectHistoryFilesClosed() {
  ExpectFilesClosed({records::kFileBillingHeaders, records::kFileBillingLines, records::kFileCustomers});
}

TEST_F(PurchaseHistoryTest, ALongHistoryRunsOverPagesAndItsTotalFoots) {
  AddLongHistory();
  const HtmlReport r = RunReport("cdno='C100' datebeg='03/01/25' dateend='03/31/25'");
  EXPECT_EQ(200u, Lines(r).size());
  EXPECT_EQ("400.00", TotalOf(r));
  const auto pages = Pages(r);
  ASSERT_GT(pages.size(), 1u);
  for (const auto& page : pages) {
    bool heading = false;
    for (const std::string& line : page) heading = heading || line.find("CUSTOMER PURCHASE HISTORY") != std::string::npos;
    EXPECT_TRUE(heading) << "every page has its heading";
  }
}

TEST_F(PurchaseHistoryTest, AUserBreakEndsTheRunCleanly) {
  AddLongHistory();
  Run run;
  const HtmlReport r = RunReport("cdno='C100' datebeg='03/01/25' dateend='03/31/25'", &run, "Break");
  EXPECT_EQ(0, run.result);
  ASSERT_FALSE(r.Empty()) << "what was printed is delivered";
  EXPECT_TRUE(r.Contains("Report stopped by the user"));
  EXPECT_LT(Lines(r).size(), 200u);
  EXPECT_EQ("", TotalOf(r)) << "no total of a stopped run";
  ExpectHistoryFilesClosed();
}

TEST_F(PurchaseHistoryTest, ARecordManagerErrorEndsTheRunCleanly) {
  AddHistory();
  const struct {
    const char* spec;
    const char* file;  // named by the error box
  } cases[] = {{"fail=6:billing_headers:1:2", "billing_headers"},
               {"fail=6:billing_lines:2:2", "billing_lines"},
               {"fail=0:billing_lines:1:2", "billing_lines"}};
  for (const auto& c : cases) {
    ASSERT_EQ(0, BtrvTestSwitch(c.spec));
    Run run;
    const HtmlReport r = RunReport("cdno='C100' datebeg='03/01/25' dateend='03/31/25'", &run);
    BtrvTestSwitch("");
    EXPECT_EQ(0, run.result) << c.spec;
    EXPECT_TRUE(r.Empty()) << c.spec << ": no file that looks like a finished report";
    EXPECT_NE(std::string::npos, run.transcript.find(c.file)) << run.transcript;
    ExpectHistoryFilesClosed();
  }
}

TEST_F(PurchaseHistoryTest, ARecordManagerErrorInThePreviewShowsWhatWasPrintedAsIncomplete) {
  AddHistory();
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:billing_headers:1:2"));
  const Run run = RunScripted("Esc", [] {
    return RunCustPurchaseHistory("cdno='C100' datebeg='03/01/25' dateend='03/31/25'");
  });
  BtrvTestSwitch("");
  const std::vector<std::string> reports = PreviewedReports(run.transcript, "Customer Inquiry");
  ASSERT_EQ(1u, reports.size()) << run.transcript;
  EXPECT_NE(std::string::npos, reports[0].find("I-1001")) << "what was printed is shown";
  EXPECT_EQ(std::string::npos, reports[0].find("R-1002"));
  EXPECT_NE(std::string::npos, reports[0].find("*** The report is incomplete")) << reports[0];
  EXPECT_EQ(std::string::npos, reports[0].find("242.50")) << "no total of an incomplete run";
  ExpectHistoryFilesClosed();
}

}  // namespace
}  // namespace listingtest
