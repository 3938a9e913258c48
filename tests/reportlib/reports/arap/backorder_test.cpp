// The back-order status report (command 340): its parameter string, and
// runs through its entry over a company of back orders read back from the
// HTML file (or the transcript of a key script): both orders, ranges, the
// quantities of each line, links, the saved run, the screen and clean ends.
#include <cstring>
#include <string>
#include <vector>

#include "listing_test_support.h"
#include "qxabase/dictionary.h"
#include "records/dictionary.h"
#include "reports/arap/backorder_params.h"
#include "reports/arap/backorder_status.h"

namespace listingtest {
namespace {

// --- The parameter string -------------------------------------------------------------------

TEST(BackorderParamString, ReadsTheKeysOfTheReport) {
  const struct {
    const char* text;
    ParseMode mode;
    bool ok;
    ParamStatus status;
    int sortBy;
    const char* first;
    const char* last;
  } cases[] = {
      {"sortby='2' cpbeg='C100' cpend='C300'", ParseMode::kStrict, true, ParamStatus::kOk, 2, "C100", "C300"},
      {"cpbeg='P-100' cpend=''", ParseMode::kStrict, true, ParamStatus::kOk, 1, "P-100", ""},
      {"cpbeg='ABCDEFGHIJKLMN'", ParseMode::kStrict, true, ParamStatus::kOk, 1, "ABCDEFGHIJKLMN", ""},
      {"cpbeg='ABCDEFGHIJKLMNO'", ParseMode::kStrict, false, ParamStatus::kValueTooLong, 1, "", ""},
      {"sortby='3'", ParseMode::kStrict, false, ParamStatus::kBadValue, 1, "", ""},
      {"sortby='customer'", ParseMode::kStrict, false, ParamStatus::kBadValue, 1, "", ""},
      {"sortby='2' colour='red'", ParseMode::kStrict, false, ParamStatus::kUnknownKey, 2, "", ""},
      {"sortby='2' colour='red' cpend='C9'", ParseMode::kLenient, true, ParamStatus::kOk, 2, "", "C9"},
  };
  for (const auto& c : cases) {
    BackorderParams p;
    CBackorderParamString parser(c.text, static_cast<int>(std::strlen(c.text)) + 1);
    EXPECT_EQ(c.ok, parser.ParseInto(&p, c.mode)) << c.text;
    EXPECT_EQ(c.status, parser.LastStatus()) << c.text;
    EXPECT_EQ(c.sortBy, p.sortBy) << c.text;
    EXPECT_STREQ(c.first, p.firstCode) << c.text;
    EXPECT_STREQ(c.last, p.lastCode) << c.text;
  }
}

TEST(BackorderParamString, TheInputIsAKeyWordAndTheOutputAPath) {
  BackorderParams p;
  const char* text = "input='SCREEN' output='Reports/Back Orders.HTM'";
  CBackorderParamString parser(text, static_cast<int>(std::strlen(text)) + 1);
  ASSERT_TRUE(parser.ParseInto(&p));
  EXPECT_STREQ("screen", p.input);
  EXPECT_STREQ("Reports/Back Orders.HTM", p.output);
}

TEST(BackorderParamString, TheSavedRunReadsBackAsTheSameSelection) {
  BackorderParams p;
  p.sortBy = kBackorderByCustomer;
  std::strcpy(p.firstCode, "O'NEIL");
  std::strcpy(p.output, "kept.htm");
  char buffer[1024] = {};
  CReportParamString out(buffer, sizeof buffer);
  ASSERT_TRUE(WriteBackorderSavedRun(p, &out));
  EXPECT_STREQ("input='usersel' sortby='2' cpbeg='O''NEIL' cpend=''", buffer);
  BackorderParams back;
  CBackorderParamString parser(buffer, sizeof buffer);
  ASSERT_TRUE(parser.ParseInto(&back));
  EXPECT_EQ(kBackorderByCustomer, back.sortBy);
  EXPECT_STREQ("O'NEIL", back.firstCode);
  EXPECT_STREQ("", back.output) << "the output is never saved";
}

TEST(BackorderParamString, ACustomerCodeHoldsTenCharacters) {
  BackorderParams p;
  std::strcpy(p.firstCode, "ABCDEFGHIJK");
  EXPECT_TRUE(BackorderCodesFit(p)) << "a product code of 11 characters";
  p.sortBy = kBackorderByCustomer;
  EXPECT_FALSE(BackorderCodesFit(p));
  std::strcpy(p.firstCode, "ABCDEFGHIJ ");
  EXPECT_TRUE(BackorderCodesFit(p)) << "trailing blanks do not count";
}

// --- The report -------------------------------------------------------------------------------

// Print columns of the line.
constexpr int kInvoiceX = 5, kDateX = 22, kCustomerX = 37, kProductX = 53, kOrderedX = 70, kShippedX = 85,
              kBackOrderedX = 100, kOnHandX = 115;
constexpr int kQuantityWidth = 11;

Json Product(const std::string& number, double onHand, double committed) {
  return Json{{"number", number},
              {"description", "Product " + number},
              {"productType", 1},
              {"quantityOnHand", onHand},
              {"secondQuantityOnHand", committed}};
}

Json BackOrder(const std::string& invoice, const std::string& product, const std::string& customer, double ordered,
               double backOrdered) {
  return Json{{"transactionNumber", invoice},
              {"productCode", product},
              {"description", "Product " + product},
              {"customerCode", customer},
              {"salesFraction", 1},
              {"date", Date(2025, 3, 10)},
              {"secondQuantity", ordered},
              {"quantity", ordered - backOrdered},
              {"backOrderedQuantity", backOrdered}};
}

class BackorderTest : public ListingTest {
 protected:
  BackorderTest() : ListingTest(340) {}

  // P-100 has 100 free (120 on hand, 20 committed); P-GONE is not on file.
  void AddBackOrders() {
    Add("products", Product("P-100", 120, 20));
    Add("products", Product("P-200", 5, 0));
    Add("products", Product("P-300", 0, 0));
    for (const char* code : {"C100", "C200", "C300"}) Add("customers", Json{{"code", code}, {"name", code}});
    Add("back_orders", BackOrder("I-1001", "P-200", "C200", 10, 4));
    Add("back_orders", BackOrder("I-1002", "P-100", "C100", 50, 20));
    Add("back_orders", BackOrder("I-1003", "P-200", "C100", 8, 8));
    Add("back_orders", BackOrder("I-1004", "P-100", "C300", 30, 0));  // filled
    Add("back_orders", BackOrder("I-1005", "P-300", "C200", 12, 2.5));
    Add("back_orders", BackOrder("I-1006", "P-GONE", "C300", 3, 3));
  }

  HtmlReport RunReport(const std::string& params, Run* run = nullptr, const std::string& keys = "") {
    return RunToFile(params, RunBackorderReport, run, keys);
  }
};

// The invoices of the report's lines, in order.
std::vector<std::string> Invoices(const HtmlReport& r) {
  std::vector<std::string> invoices;
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i) {
    const std::string invoice = r.Cell(i, kInvoiceX, 10);
    if (invoice.rfind("I-", 0) == 0) invoices.push_back(invoice);
  }
  return invoices;
}

TEST_F(BackorderTest, EachOrderAndRangeListsItsOpenBackOrders) {
  AddBackOrders();
  const struct {
    const char* params;
    std::vector<std::string> invoices;
  } cases[] = {
      {"input='default'", {"I-1002", "I-1001", "I-1003", "I-1005", "I-1006"}},
      {"input='default' sortby='1' cpbeg='P-200' cpend='P-300'", {"I-1001", "I-1003", "I-1005"}},
      {"input='default' cpbeg='p-2' cpend='p-200'", {"I-1001", "I-1003"}},
      {"input='default' sortby='2'", {"I-1002", "I-1003", "I-1001", "I-1005", "I-1006"}},
      {"input='default' sortby='2' cpbeg='C200'", {"I-1001", "I-1005", "I-1006"}},
      {"input='default' sortby='2' cpend='C100'", {"I-1002", "I-1003"}},
      {"input='default' sortby='2' cpbeg='C2' cpend='C2ZZ'", {"I-1001", "I-1005"}},
  };
  for (const auto& c : cases) {
    Run run;
    const HtmlReport r = RunReport(c.params, &run);
    ASSERT_FALSE(r.Empty()) << c.params << "\n" << run.transcript;
    EXPECT_EQ(c.invoices, Invoices(r)) << c.params;
    EXPECT_TRUE(run.messages.empty()) << c.params;
  }
}

TEST_F(BackorderTest, EachLineShowsWhatWasOrderedShippedAndIsOnHand) {
  AddBackOrders();
  const HtmlReport r = RunReport("input='default'");
  ASSERT_TRUE(r.Contains("Backorder Status Report"));
  EXPECT_GE(FindLine(r, "Sorted By:", "Product"), 0);
  EXPECT_GE(FindLine(r, "Invoice #", "Qty On Hand"), 0);
  const struct {
    const char* invoice;
    const char* customer;
    const char* product;
    const char* ordered;
    const char* shipped;
    const char* backOrdered;
    const char* onHand;
  } cases[] = {
      {"I-1002", "C100", "P-100", "50.0000", "30.0000", "20.0000", "100.0000"},
      {"I-1001", "C200", "P-200", "10.0000", "6.0000", "4.0000", "5.0000"},
      {"I-1005", "C200", "P-300", "12.0000", "9.5000", "2.5000", "0.0000"},
      // A back order whose product has left the file is still open.
      {"I-1006", "C300", "P-GONE", "3.0000", "0.0000", "3.0000", ""},
  };
  for (const auto& c : cases) {
    const int i = FindLine(r, c.invoice);
    ASSERT_GE(i, 0) << c.invoice;
    EXPECT_EQ("03/10/25", r.Cell(i, kDateX, 8)) << c.invoice;
    EXPECT_EQ(c.customer, r.Cell(i, kCustomerX, 10)) << c.invoice;
    EXPECT_EQ(c.product, r.Cell(i, kProductX, 14)) << c.invoice;
    EXPECT_EQ(c.ordered, r.Cell(i, kOrderedX, kQuantityWidth)) << c.invoice;
    EXPECT_EQ(c.shipped, r.Cell(i, kShippedX, kQuantityWidth)) << c.invoice;
    EXPECT_EQ(c.backOrdered, r.Cell(i, kBackOrderedX, kQuantityWidth)) << c.invoice;
    EXPECT_EQ(c.onHand, r.Cell(i, kOnHandX, kQuantityWidth)) << c.invoice;
  }
  EXPECT_EQ(-1, FindLine(r, "I-1004")) << "a filled back order never prints";
  // The back orders of one product stand together, an empty line before the next.
  const int first = FindLine(r, "I-1001"), second = FindLine(r, "I-1003");
  EXPECT_EQ(first + 1, second);
  EXPECT_EQ("", r.lines[static_cast<std::size_t>(first - 1)]);
  EXPECT_EQ("", r.lines[static_cast<std::size_t>(second + 1)]);
}

TEST_F(BackorderTest, LinesLinkToTheInvoiceTheCustomerAndTheProduct) {
  AddBackOrders();
  const HtmlReport r = RunReport("input='default' sortby='2' cpbeg='C200'");
  const std::vector<HtmlReport::Link> links = r.LinksOn(FindLine(r, "I-1001"));
  ASSERT_EQ(3u, links.size());
  const struct {
    int command;
    const char* params;
  } expected[] = {{230, "tranno='I-1001'"}, {121, "cdno='C200'"}, {250, "cdno='P-200'"}};
  for (std::size_t k = 0; k < links.size(); ++k) {
    EXPECT_EQ(expected[k].command, links[k].command);
    EXPECT_EQ(1, links[k].kind);
    EXPECT_EQ(expected[k].params, links[k].params);
  }
  EXPECT_EQ(340, r.savedRun.command);
  EXPECT_EQ(2, r.savedRun.kind);
  EXPECT_EQ("input='usersel' sortby='2' cpbeg='C200' cpend=''", r.savedRun.params);
}

TEST_F(BackorderTest, TheSavedRunRunsTheReportAgainIdentically) {
  AddBackOrders();
  const std::string params = "input='default' sortby='2' cpbeg='C1' cpend='C2ZZ'";
  const Run run = RunScripted("F6 Esc Esc", [&] { return RunBackorderReport(params.c_str()); });
  const std::vector<std::string> reports = PreviewedReports(run.transcript, "Backorder");
  ASSERT_EQ(2u, reports.size()) << run.transcript;
  EXPECT_EQ(reports[0], reports[1]);
  EXPECT_NE(std::string::npos, reports[0].find("I-1005"));
  EXPECT_EQ(std::string::npos, reports[0].find("I-1006"));
}

// --- The screen ---------------------------------------------------------------------------------

TEST_F(BackorderTest, TheScreenChoosesTheOrderAndTheRangeOfItsCodes) {
  AddBackOrders();
  // Customer order (Space on field 1), from C200, run, close the preview.
  const Run byCustomer = RunScripted("Space Down \"C200\" F10 Esc", [] { return RunBackorderReport(nullptr); });
  EXPECT_TRUE(byCustomer.messages.empty()) << byCustomer.transcript;
  EXPECT_NE(std::string::npos, byCustomer.transcript.find("I-1005")) << byCustomer.transcript;
  EXPECT_EQ(std::string::npos, byCustomer.transcript.find("I-1002")) << "C100 lies before the range";

  // F5 in the product from field lists the products; the second is chosen.
  const Run picked = RunScripted("Down F5 Down Enter F10 Esc", [] { return RunBackorderReport(nullptr); });
  EXPECT_TRUE(picked.messages.empty()) << picked.transcript;
  EXPECT_NE(std::string::npos, picked.transcript.find("I-1001")) << picked.transcript;
  EXPECT_EQ(std::string::npos, picked.transcript.find("I-1002")) << "P-100 lies before P-200";

  // A to before its from is refused where it is typed; nothing runs.
  const Run refused = RunScripted("Down \"P-300\" Down \"P-100\" F10 Esc Esc", [] { return RunBackorderReport(nullptr); });
  EXPECT_EQ(std::vector<int>{205}, refused.messages) << refused.transcript;
  EXPECT_EQ(std::string::npos, refused.transcript.find("preview:"));

  // A preset shows in the screen.
  const Run preset = RunScripted("Esc", [] { return RunBackorderReport("sortby='2' cpbeg='C300'"); });
  EXPECT_NE(std::string::npos, preset.transcript.find("Customer")) << preset.transcript;
  EXPECT_NE(std::string::npos, preset.transcript.find("C300")) << preset.transcript;
  EXPECT_EQ(std::string::npos, preset.transcript.find("preview:")) << "Esc runs no report";
}

// --- Nothing to print, refusals and clean ends ---------------------------------------------------

TEST_F(BackorderTest, NothingSelectedOrAnUnreadablePresetWritesNoFile) {
  AddBackOrders();
  const struct {
    const char* params;
    int message;
  } cases[] = {
      {"input='default' cpbeg='Q'", 197},
      {"input='default' sortby='2' cpend='A'", 197},
      {"input='default' cpbeg='P-400' cpend='P-999'", 197},
      {"input='default' sortby='9'", 2001},
      {"input='default' sortby='2' cpbeg='CUSTOMER-0001'", 2001},
      {"input='default' cpbeg='P-300' cpend='P-100'", 205},
  };
  for (const auto& c : cases) {
    Run run;
    const HtmlReport r = RunReport(c.params, &run);
    EXPECT_TRUE(r.Empty()) << c.params;
    EXPECT_EQ(std::vector<int>{c.message}, run.messages) << c.params;
  }
}

TEST_F(BackorderTest, AFileWithoutOpenBackOrdersSelectsNothing) {
  Add("products", Product("P-100", 1, 0));
  Add("back_orders", BackOrder("I-1", "P-100", "C100", 5, 0));
  Run run;
  EXPECT_TRUE(RunReport("input='default'", &run).Empty());
  EXPECT_EQ(std::vector<int>{197}, run.messages);
}

void ExpectBackorderFilesClosed() {
  ExpectFilesClosed({records::kFileBackOrders, records::kFileProducts, records::kFileCustomers});
}

TEST_F(BackorderTest, AUserBreakEndsTheRunCleanly) {
  Add("products", Product("P-100", 1, 0));
  for (int n = 0; n < 200; ++n) Add("back_orders", BackOrder("I-" + std::to_string(2000 + n), "P-100", "C100", 2, 1));
  Run run;
  const HtmlReport r = RunReport("input='default'", &run, "Break");
  EXPECT_EQ(0, run.result);
  ASSERT_FALSE(r.Empty()) << "what was printed is delivered";
  EXPECT_TRUE(r.Contains("Report stopped by the user"));
  EXPECT_LT(Invoices(r).size(), 200u);
  ExpectBackorderFilesClosed();
}

TEST_F(BackorderTest, ARecordManagerErrorEndsTheRunCleanly) {
  AddBackOrders();
  const struct {
    const char* spec;
    const char* file;  // named by the error box
  } cases[] = {{"fail=6:back_orders:2:2", "back_orders"}, {"fail=5:products:2:2", "products"}};
  for (const auto& c : cases) {
    ASSERT_EQ(0, BtrvTestSwitch(c.spec));
    Run run;
    const HtmlReport r = RunReport("input='default'", &run);
    BtrvTestSwitch("");
    EXPECT_EQ(0, run.result) << c.spec;
    EXPECT_TRUE(r.Empty()) << c.spec << ": no file that looks like a finished report";
    EXPECT_NE(std::string::npos, run.transcript.find(c.file)) << run.transcript;
    ExpectBackorderFilesClosed();
  }
}

TEST_F(BackorderTest, ARecordManagerErrorInThePreviewShowsWhatWasPrintedAsIncomplete) {
  AddBackOrders();
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:back_orders:2:2"));
  const Run run = RunScripted("Esc", [] { return RunBackorderReport("input='default'"); });
  BtrvTestSwitch("");
  const std::vector<std::string> reports = PreviewedReports(run.transcript, "Backorder");
  ASSERT_EQ(1u, reports.size()) << run.transcript;
  EXPECT_NE(std::string::npos, reports[0].find("I-1002")) << "what was printed is shown";
  EXPECT_NE(std::string::npos, reports[0].find("*** The report is incomplete")) << reports[0];
  ExpectBackorderFilesClosed();
}

}  // namespace
}  // namespace listingtest
