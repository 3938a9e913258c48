// Customer and vendor statements (commands 336, 343) run through their
// entry on key scripts over fixtures/statements.json, read back from the
// text or HTML file they write: the open items of an account and their
// signs, the invoice lines after an invoice, fully paid invoices, the
// message chosen by the oldest amount past due, statements over several
// pages, and the runs that print nothing.
//
// The cursor order of the receivable statements' screen: 1 run date,
// 2 selection, 3 first range, 4/5 its pair, 24 second range, 25/26 its
// pair, 45 copies, 46 close up, 47 fully paid invoices, 48-55 messages.
#include <algorithm>
#include <string>
#include <vector>

#include "documents_test_support.h"
#include "qxtest/files.h"
#include "qxtest/transcript.h"
#include "reports/arap/statements.h"

namespace documenttest {
namespace {

// Down to field 47, then Space: fully paid invoices are printed.
constexpr const char* kWithPaidInvoices = "Down Down Down Down Down Down Down Down Down Down Space F10";

class StatementsTest : public DocumentTest {
 protected:
  StatementsTest() : DocumentTest(336) {}
  Output Statements(const std::string& keys, int command = 0, const std::string& suffix = ".txt") {
    return RunReport(RunCustVendStatementsTo, keys, command, suffix);
  }

  // The detail lines of a page: from under the column headings' rule to the
  // first empty line.
  static std::vector<std::string> Details(const Page& page) {
    std::vector<std::string> lines;
    bool in = false;
    for (const std::string& l : page) {
      if (l.rfind("--------  ", 0) == 0) {
        in = true;
        continue;
      }
      if (!in) continue;
      if (l.find_first_not_of(' ') == std::string::npos) {
        if (!lines.empty() && lines.back() == "") break;
        lines.emplace_back();
        continue;
      }
      lines.push_back(Squeezed(l));
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
};

TEST_F(StatementsTest, TheStatementOfAnAccountWithItsOpenItems) {
  const Output o = Statements("F10");
  EXPECT_TRUE(o.run.messages.empty()) << o.run.transcript;
  ASSERT_EQ(1u, o.pages.size()) << o.text << "\nC2 has no open item, C3 none up to the statement date";
  const Page& page = o.pages[0];
  EXPECT_EQ((std::vector<std::string>{
                "03/20/25 INV1 Invoice 04/19/25 100.00 100.00",
                "12/16/24 INV2 Invoice 01/15/25 200.00 300.00",
                "02/10/25 INV2 Payment 01/15/25 -50.00 250.00",
                "02/10/25 INV2 Discount 01/15/25 -2.00 248.00",
                "",
                "Balance of invoice INV2 148.00",
                "",
                "03/10/25 RET1 Credit 03/10/25 -30.00 218.00",
            }),
            Details(page));
  EXPECT_EQ(std::string::npos, o.text.find("INV3")) << "a fully paid invoice is left out whole";
  EXPECT_NE("", LineWith(page, "Account   C1"));
  EXPECT_NE("", LineWith(page, "      Lake  View Farms"));
  // Current, 1-30, 31-60, over 60 days, the balance.
  std::string totals;
  for (std::size_t i = 0; i + 1 < page.size(); ++i)
    if (page[i].find("Balance Due") != std::string::npos) totals = page[i + 1];
  EXPECT_EQ("100.00 -30.00 0.00 148.00 218.00", Squeezed(totals)) << totals;
  EXPECT_NE("", LineWith(page, "Past due over 60, first line."));
  EXPECT_NE("", LineWith(page, "Past due over 60, second line."));
  EXPECT_EQ("", LineWith(page, "Continued"));
}

// The whole text of a run, byte for byte: each account's pages, the order
// of the accounts, the lines of each item, and which invoices are fully
// paid, also where an invoice's lines spell its account or its number in
// more than one way (it is then netted as the file's key 0 reads it).
TEST_F(StatementsTest, EachRunWritesItsGoldenText) {
  struct Item {
    const char* code;
    const char* invoice;
    const char* type;
    const char* date;
    double amount;
  };
  // More accounts: C4 owes, C5 owes more, C6 is owed (below zero).
  const Item more[] = {
      {"C4", "A400", "I", "2025-01-10", 310.00}, {"C4", "A401", "I", "2025-03-01", 45.50},
      {"C4", "A400", "P", "2025-02-01", 100.00}, {"C5", "B500", "I", "2024-11-30", 1250.00},
      {"C6", "F600", "I", "2025-02-14", 20.00},  {"C6", "F600", "C", "2025-02-20", 95.00},
  };
  struct Case {
    const char* name;
    const char* keys;
    const char* paymentCode;     // the code on the line that pays INV3 off
    const char* paymentInvoice;  // and its invoice number
    const char* golden;
  };
  const Case cases[] = {
      {"every account", "F10", "C1", "INV3", "statements_every.txt"},
      {"balances above zero, through the selection file", R"(Down Down "O" F10)", "C1", "INV3",
       "statements_above_zero.txt"},
      {"with fully paid invoices", kWithPaidInvoices, "C1", "INV3", "statements_with_paid.txt"},
      {"a payment that spells the account's code in lower case", "F10", "c1", "INV3",
       "statements_code_two_ways.txt"},
      {"a payment that writes the invoice number after a blank", "F10", "C1", " INV3",
       "statements_invoice_two_ways.txt"},
  };
  for (const Item& i : more)
    Add("ar_open_invoices", Json{{"code", i.code}, {"invoiceNumber", i.invoice}, {"precedence", "1"},
                                 {"lineType", i.type}, {"status", "P"}, {"invoiceDate", i.date},
                                 {"dueDate", i.date}, {"amount", i.amount}});
  for (const Case& c : cases) {
    for (Json& line : Fixture()["files"]["ar_open_invoices"]) {
      if (line["invoiceNumber"].get<std::string>().find("INV3") != std::string::npos && line["lineType"] == "P") {
        line["code"] = c.paymentCode;
        line["invoiceNumber"] = c.paymentInvoice;
      }
    }
    WriteCompany();
    const Output o = Statements(c.keys);
    EXPECT_TRUE(o.run.messages.empty()) << c.name << o.run.transcript;
    qxtest::ExpectGolden(o.text, std::string("tests/reportlib/reports/arap/golden/") + c.golden);
  }
}

TEST_F(StatementsTest, FullyPaidInvoicesPrintWhenTheScreenSaysSo) {
  const Output o = Statements(kWithPaidInvoices);
  ASSERT_EQ(1u, o.pages.size()) << o.text;
  const std::vector<std::string> details = Details(o.pages[0]);
  const std::vector<std::string> paid = {"01/05/25 INV3 Invoice 02/04/25 80.00 328.00",
                                         "02/20/25 INV3 Payment 02/04/25 -80.00 248.00", "",
                                         "Balance of invoice INV3 0.00", ""};
  EXPECT_NE(details.end(), std::search(details.begin(), details.end(), paid.begin(), paid.end()))
      << testing::PrintToString(details);
  EXPECT_NE("", LineWith(o.pages[0], "218.00")) << "the balance is the same";
}

TEST_F(StatementsTest, ALongStatementGoesOnOverPagesWithItsTotalsOnTheLast) {
  // Two detail lines a page: INV1, INV2 | its payment and discount | the
  // invoice line, RET1.
  WriteText("statement.txt",
            "{COMPANY:23}             Page {PAGE:2}\n"
            "{NAME}\n"
            "{DS}     {INV_NO}   {ITEM_TYPE:8}  {AMOUNT}\n"
            "{DS}     {INV_NO}   {ITEM_TYPE:8}  {AMOUNT}\n"
            "{CONTINUED}\n"
            "Balance due {BALANCE}\n"
            "{MESSAGE1}\n"
            "end of page\n");
  WriteText("statement-invoice.txt", "Invoice {INV_NO}  balance {INV_BALANCE}\n");
  for (const char footerAmounts : {'N', 'Y'}) {
    Fixture()["files"]["settings"][0]["statementFooterAmounts"] = std::string(1, footerAmounts);
    WriteCompany();
    WriteText("statement.txt", qxtest::ReadAll(company_ + "/templates/statement.txt"));
    const Output o = Statements("F10");
    ASSERT_EQ(3u, o.pages.size()) << o.text;
    const std::vector<Page> expected = {
        {"Bramblewood Trading Co.  Page  1", "Lake  View Farms",
         "03/20/25 INV1       Invoice              100.00", "12/16/24 INV2       Invoice              200.00",
         "Continued on the next page.", footerAmounts == 'N' ? "" : "Balance due", "", "end of page"},
        {"Bramblewood Trading Co.  Page  2", "Lake  View Farms",
         "02/10/25 INV2       Payment              -50.00", "02/10/25 INV2       Discount              -2.00",
         "Continued on the next page.", footerAmounts == 'N' ? "" : "Balance due", "", "end of page"},
        {"Bramblewood Trading Co.  Page  3", "Lake  View Farms", "Invoice INV2      balance       148.00",
         "03/10/25 RET1       Credit               -30.00", "", "Balance due       218.00",
         "Past due over 60, first line.", "end of page"},
    };
    for (std::size_t p = 0; p < expected.size(); ++p) {
      Page got = o.pages[p];
      for (std::string& l : got) l.erase(l.find_last_not_of(' ') + 1);
      EXPECT_EQ(expected[p], got) << "footer amounts " << footerAmounts << ", page " << p + 1;
    }
  }
}

TEST_F(StatementsTest, AHeadingLineByRowPrintsOnItsOwnLineOfTheText) {
  // The date goes beside the company (SAME_LINE); the account line is the
  // text's third line and prints there (BY_ROW), the name goes on where
  // the lines before it ended: on the second.
  WriteText("statement.txt",
            "{COMPANY:23}{SAME_LINE}\n"
            "                         Date {STATEMENT_DATE}\n"
            "Account {CODE} {BY_ROW}\n"
            "{NAME}\n"
            "\n"
            "{DS}     {INV_NO}   {AMOUNT}\n"
            "end of page\n");
  const Output o = Statements("F10");
  ASSERT_FALSE(o.pages.empty()) << o.text;
  Page got = o.pages[0];
  for (std::string& l : got) l.erase(l.find_last_not_of(' ') + 1);
  got.resize(3);
  EXPECT_EQ((Page{"Bramblewood Trading Co.  Date 03/31/25", "Lake  View Farms", "Account C1"}), got) << o.text;
}

TEST_F(StatementsTest, AVendorStatementShowsADebitMemoNegated) {
  const Output o = Statements("F10", 343);
  ASSERT_EQ(1u, o.pages.size()) << o.run.transcript;
  EXPECT_EQ((std::vector<std::string>{"03/01/25 P-100 Invoice 03/31/25 100.00 100.00",
                                      "03/15/25 P-101 Debit 03/15/25 -20.00 80.00"}),
            Details(o.pages[0]));
  EXPECT_NE("", LineWith(o.pages[0], "Cedar Mills"));
  EXPECT_EQ("", LineWith(o.pages[0], "Past due")) << "vendors get no messages";
}

TEST_F(StatementsTest, TheAccountsHtmlFileHoldsTheSameStatementAtItsPlaces) {
  const Output text = Statements("F10");
  const Output html = Statements("F10", 0, ".htm");
  // Each account's statement is a file of its own, named after the account.
  EXPECT_TRUE(html.text.empty()) << "the file named holds no account's statement";
  const std::string path = File("report-2-C1.htm");
  EXPECT_NE(std::string::npos, html.run.transcript.find("written " + path)) << html.run.transcript;
  const std::vector<Page> pages = FormPages(qxtest::ReadAll(path));
  ASSERT_EQ(1u, pages.size()) << html.run.transcript;
  Page page = pages[0];
  while (!page.empty() && page.back().empty()) page.pop_back();
  EXPECT_EQ(text.pages[0], page) << "the same lines in the same columns";
}

TEST_F(StatementsTest, RunsThatPrintNothing) {
  struct Case {
    const char* name;
    const char* statementText;  // the company's own text; null: the installation's
    const char* forms;          // the form settings' statement text; null: the default
    const char* keys;
    std::vector<int> messages;
    const char* shown;  // in the transcript
  };
  const Case cases[] = {
      {"nothing selected", nullptr, nullptr, R"(Down Down Down "ZZ" Down "ZZ" F10)", {197}, ""},
      {"a text that is missing", nullptr, "missing.txt", "F10", {827}, ""},
      {"a field that is not known", "{COMPANY}\n\n{BALANSE}\n{AMOUNT}\n", nullptr, "F10", {2621},
       "line 3 holds the field {BALANSE}"},
      {"left with Esc", nullptr, nullptr, "Esc", {}, ""},
  };
  for (const Case& c : cases) {
    WriteCompany();
    std::filesystem::remove_all(company_ + "/templates");
    if (c.statementText) WriteText("statement.txt", c.statementText);
    if (c.forms) {
      Add("settings", Json{{"key", "0MergeForms"}, {"texts", Json::array({c.forms})}});
      WriteCompany();
    }
    const Output o = Statements(c.keys);
    EXPECT_EQ(c.messages, o.run.messages) << c.name << o.run.transcript;
    EXPECT_TRUE(o.text.empty()) << c.name << ": nothing is printed";
    EXPECT_NE(std::string::npos, qxtest::Flat(o.run.transcript).find(c.shown)) << c.name;
    EXPECT_TRUE(NoSelectionFileLeft()) << c.name;
    if (c.forms) Fixture()["files"]["settings"].erase(Fixture()["files"]["settings"].size() - 1);
  }
}

TEST_F(StatementsTest, EscDuringTheRunStopsTheStatement) {
  const Output o = Statements("F10 Break");
  EXPECT_TRUE(o.run.messages.empty()) << "no record-manager message";
  EXPECT_NE(std::string::npos, o.text.find("*** Report stopped by the user ***")) << o.text;
}

TEST_F(StatementsTest, AReadErrorEndsTheRunAndLeavesNoSelectionFile) {
  // Closing date balances above zero: the accounts go through the
  // selection file.  Its fill reads each of the seven customers' items
  // first; the eighth read, C1's statement, fails.
  BtrvTestSwitch("fail=9:ar_open_invoices:8:2");
  const Output o = Statements(R"(Down Down "O" F10 Enter)");
  EXPECT_NE(std::string::npos, o.run.transcript.find("message box")) << o.run.transcript;
  EXPECT_TRUE(o.text.empty()) << "an incomplete report is not left as a file";
  EXPECT_TRUE(NoSelectionFileLeft());
}

}  // namespace
}  // namespace documenttest
