// The billing and purchasing journals (commands 305 and 304), driven by key
// scripts over the books of fixtures/ledger_books.json with the
// transactions of fixtures/bipo_transactions.json (March 2025 is the period
// of today, 03/15/25), and over the sample company.
//
// "Journal" mode of the billing journal prints 1001, 1002 (invoices of
// department OF), 1003 (a return of OF) and 1004 (an invoice of SV); 1005
// is posted, 1006 of February, 1007 of April.  The purchasing journal
// prints purchase 2001 and return 2002; 2003 is an open order.
#include "journals/billing_purchasing_journal.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ledger_journal_support.h"

namespace {

using namespace journaltest;
using records::TagBiPoHeader;

constexpr int kBilling = 305;
constexpr int kPurchasing = 304;

std::string Number(const TagBiPoHeader& h) {
  return Trimmed(std::string(h.transactionNumber, strnlen(h.transactionNumber, sizeof h.transactionNumber)));
}

// The transaction numbers of the header rows of the report, in the order
// printed (billing rows hold the number at x 13, purchasing rows at x 16).
std::vector<std::string> RowsShown(const std::string& report, std::size_t x) {
  std::vector<std::string> out;
  for (const std::string& line : Lines(report)) {
    const std::string number = Cell(line, x, 10);
    if (number.size() == 4 && number.find_first_not_of("0123456789") == std::string::npos &&
        Cell(line, 0, 5).size() >= 2)
      out.push_back(number);
  }
  return out;
}

// The header row of document `number` (its number at x).
std::string RowOf(const std::string& report, const std::string& number, std::size_t x) {
  for (const std::string& line : Lines(report))
    if (Cell(line, x, 10) == number && Cell(line, 0, 5).size() >= 2) return line;
  return "";
}

// The lines of the report, squeezed, from the one holding `from` up to the
// one holding `to` (excluded; by default the page's footer): the order of
// rows and totals.
std::vector<std::string> SqueezedLines(const std::string& report, const std::string& from,
                                       const std::string& to = "Page ") {
  std::vector<std::string> out;
  bool in = false;
  for (const std::string& raw : Lines(report)) {
    const std::string line = Trimmed(Squeezed(raw));
    if (!in && line.find(from) != std::string::npos) in = true;
    if (in && line.find(to) != std::string::npos) break;
    if (in && !line.empty()) out.push_back(line);
  }
  return out;
}

class BiPoJournalTest : public LedgerJournalTest {
 protected:
  void LoadFixture(const Json& extra = Json::object()) { LoadBooks("bipo_transactions.json", extra); }

  std::string RunJournal(int commandId, const std::string& keys, int expected = 0) {
    SharedAppBlockGet()->currentCommand = commandId;
    Start(keys);
    EXPECT_EQ(commandId == kBilling ? RunBillingJournal(commandId) : RunPurchasingJournal(commandId), expected);
    return Finish();
  }

  std::map<std::string, TagBiPoHeader> Headers(int fileNo) {
    std::map<std::string, TagBiPoHeader> out;
    for (const TagBiPoHeader& h : Records<TagBiPoHeader>(fileNo)) out[std::string(1, h.typeLetter) + Number(h)] = h;
    return out;
  }

  // The headers marked printed ("I1001", "R1003", ...).
  std::set<std::string> Stamped(int fileNo) {
    std::set<std::string> out;
    for (const auto& [key, h] : Headers(fileNo))
      if (h.journalPrinted == 'Y') out.insert(key);
    return out;
  }
};

// --- "Journal" mode ----------------------------------------------------------------------

TEST_F(BiPoJournalTest, TheBillingJournalPrintsThePeriodsUnpostedDocumentsWithTheirTotalsAndMarksThem) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  const std::string transcript = RunJournal(kBilling, "F10");
  const std::vector<std::string> pages = ReportPages(transcript);
  ASSERT_GE(pages.size(), 2u) << transcript;
  const std::string& headers = pages[0];
  EXPECT_NE(headers.find("Billing Journal"), std::string::npos) << headers;
  EXPECT_NE(headers.find("Select: Date From: 03/01/25 To: 03/31/25"), std::string::npos) << headers;
  EXPECT_EQ(RowsShown(headers, 13), (std::vector<std::string>{"1001", "1002", "1003", "1004"})) << headers;

  // A row: type, department, number, customer, name, date and amounts; no
  // unposted mark in a journal.
  const std::string row = RowOf(headers, "1001", 13);
  EXPECT_EQ(Cell(row, 0, 5), "Inv");
  EXPECT_EQ(Cell(row, 6, 5), "OF");
  EXPECT_EQ(Cell(row, 12, 1), "");
  EXPECT_EQ(Cell(row, 24, 10), "C100");
  EXPECT_EQ(Cell(row, 35, 21), "Alder Hardware");
  EXPECT_EQ(Cell(row, 57, 8), "03/05/25");
  EXPECT_EQ(Squeezed(row.substr(66)), " 200.00 15.00 13.00 228.00 0.00 228.00") << row;
  EXPECT_EQ(Cell(RowOf(headers, "1002", 13), 35, 22), "Birch Builders Supply") << "cut to its column";
  EXPECT_EQ(Cell(RowOf(headers, "1003", 13), 0, 5), "Ret");

  // Subtotals by type within department, then by department; a return
  // counts negative but for the amount paid; nothing between 1001 and 1002.
  EXPECT_EQ(SqueezedLines(headers, "Inv OF 1001"),
            (std::vector<std::string>{
                "Inv OF 1001 C100 Alder Hardware 03/05/25 200.00 15.00 13.00 228.00 0.00 228.00",
                "Inv OF 1002 C200 Birch Builders Supply 03/07/25 189.00 0.00 12.29 201.29 50.00 151.29",
                "Invoices subtotal 389.00 15.00 25.29 429.29 50.00 379.29",
                "Ret OF 1003 C100 Alder Hardware 03/10/25 100.00 0.00 6.50 106.50 20.00 86.50",
                "Returns subtotal -100.00 0.00 -6.50 -106.50 20.00 -86.50",
                "Department subtotal 289.00 15.00 18.79 322.79 70.00 292.79",
                "Inv SV 1004 C300 Cedar Cafe 03/12/25 122.50 0.00 0.00 122.50 0.00 122.50",
                "Invoices subtotal 122.50 0.00 0.00 122.50 0.00 122.50",
                "Department subtotal 122.50 0.00 0.00 122.50 0.00 122.50",
                "Journal totals 411.50 15.00 18.79 445.29 70.00 415.29",
            }))
      << headers;

  // The lines summed per item within kind and department: the return of a
  // drill nets against the sale; a dozen and a half pens; a service whose
  // description comes from its record; the freight code; the product not on
  // file; no line of the posted or the other periods' documents, and none
  // of no effect.  The item section's total is the documents' gross.
  const std::string& items = pages[1];
  EXPECT_NE(items.find("Summary by Item"), std::string::npos) << items;
  EXPECT_NE(items.find("Sales Price"), std::string::npos);
  EXPECT_EQ(SqueezedLines(items, "OF Stock"),
            (std::vector<std::string>{
                "OF Stock EA DRILL Cordless drill 1.0000 80.00 80.00 100.00 -20.00",
                "OF Stock MN PAP-500 Copy paper, case 5.0000 200.00 40.00 40.00 0.00",
                "OF Stock MN PEN-12 Ballpoint pens 1 6/12 9.00 6.00 6.00 0.00",
                "Stock total 289.00",
                "Dept. total 289.00",
                "SV Stock GONE * Not on file * 1.0000 10.00 10.00",
                "Stock total 10.00",
                "SV Code FRT Freight charge 12.50",
                "Code total 12.50",
                "SV Service INSTALL Installation 2.0000 100.00 50.00 50.00 0.00",
                "Service total 100.00",
                "Dept. total 122.50",
                "Grand total 411.50",
            }))
      << items;

  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{1395}) << transcript;
  EXPECT_NE(transcript.find("Product GONE of invoice 1004 is not on file."), std::string::npos) << transcript;

  // Each printed header is marked; nothing else of the company changed.
  fixture::CompanyImage expected = before;
  const std::set<std::string> printed = {"I1001", "I1002", "R1003", "I1004"};
  for (auto& bytes : expected.files[records::kFileBillingHeaders]) {
    TagBiPoHeader h{};
    ASSERT_TRUE(records::FromImage(bytes, &h));
    if (printed.count(std::string(1, h.typeLetter) + Number(h)) == 0) continue;
    h.journalPrinted = 'Y';
    const auto image = records::ImageOf(h);
    bytes.assign(image.begin(), image.end());
  }
  EXPECT_EQ(Snapshot().files, expected.files);
}

// A billing order keeps its lines under 'I': the item section finds them
// under the order, so that it foots to the documents as printed.  (The
// purchasing journal's open order 2003, stored the same way, stays out of
// both sections: the test below.)
TEST_F(BiPoJournalTest, ABillingOrdersLinesAreSummedUnderTheOrder) {
  const Json order = {{"typeLetter", "O"},     {"transactionNumber", "      1008"}, {"keyPart", 0},
                      {"custVendCode", "C100"}, {"department", "OF"},            {"closedFlag", "N"},
                      {"journalPrinted", "N"},  {"postedFlag", "N"},              {"periodKey", 45716},
                      {"date", "2025-03-13"},   {"tax", 0.0},                     {"grossAmount", 40.0},
                      {"total", 40.0},          {"amountPaid", 0.0},              {"netToPay", 40.0},
                      {"name", "Alder Hardware"}};
  const Json line = {{"typeLetter", "I"}, {"transactionNumber", "      1008"}, {"keyPart", 0},
                     {"sequence", 1},     {"lineKind", 1},                    {"item", "PAP-500"},
                     {"department", "OF"}, {"periodKey", 45716},              {"amount", 40.0},
                     {"quantity", 1.0},   {"postedFlag", "N"}};
  LoadFixture({{"billing_headers", Json::array({order})}, {"billing_lines", Json::array({line})}});
  const std::string transcript = RunJournal(kBilling, "F10");
  const std::vector<std::string> pages = ReportPages(transcript);
  ASSERT_GE(pages.size(), 2u) << transcript;
  EXPECT_FALSE(RowOf(pages[0], "1008", 13).empty()) << pages[0];
  const std::string totals = LineWith(pages[0], "Journal totals");
  const std::string grand = LineWith(pages[1], "Grand total");
  EXPECT_EQ(Cell(totals, 66, 11), "451.50") << totals;
  EXPECT_EQ(Cell(grand, 89, 11), "451.50") << grand;
  EXPECT_NE(Squeezed(pages[1]).find("OF Stock MN PAP-500 Copy paper, case 6.0000 240.00"), std::string::npos)
      << pages[1];
}

TEST_F(BiPoJournalTest, ThePurchasingJournalShowsNoBillingColumnsAndLeavesOpenOrdersOut) {
  LoadFixture();
  const std::string transcript = RunJournal(kPurchasing, "F10");
  const std::vector<std::string> pages = ReportPages(transcript);
  ASSERT_GE(pages.size(), 2u) << transcript;
  const std::string& headers = pages[0];
  EXPECT_NE(headers.find("Purchasing Journal"), std::string::npos) << headers;
  for (const char* billingOnly : {"Freight", "Amount Paid", "Net to Pay", "Cust."})
    EXPECT_EQ(headers.find(billingOnly), std::string::npos) << billingOnly << "\n" << headers;
  EXPECT_EQ(SqueezedLines(headers, "MR MR 2001"),
            (std::vector<std::string>{
                "MR MR 2001 V100 Riverside Properties 03/04/25 255.00 0.00 255.00",
                "Purchases subtotal 255.00 0.00 255.00",
                "Ret RT 2002 V200 Paper & Pen Office Supply 03/09/25 8.00 0.00 8.00",
                "Returns subtotal -8.00 0.00 -8.00",
                // The last department's subtotal, as every other department's.
                "Department subtotal 247.00 0.00 247.00",
                "Journal totals 247.00 0.00 247.00",
            }))
      << headers;

  // Priced against the last cost; the handling code is a purchasing code.
  const std::string& items = pages[1];
  EXPECT_NE(items.find("Last P.Price"), std::string::npos) << items;
  EXPECT_EQ(SqueezedLines(items, "OF Stock"),
            (std::vector<std::string>{
                "OF Stock MN PAP-500 Copy paper, case 10.0000 250.00 25.00 25.00 0.00",
                "OF Stock MN PEN-12 Ballpoint pens -2 -8.00 4.00 3.60 11.11",
                "Stock total 242.00",
                "OF Code HANDL Handling charge 5.00",
                "Code total 5.00",
                "Dept. total 247.00",
                "Grand total 247.00",
            }))
      << items;
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
  EXPECT_EQ(Stamped(records::kFilePurchasingHeaders), (std::set<std::string>{"I2001", "R2002"}));
}

TEST_F(BiPoJournalTest, ASecondJournalRunPrintsTheSameAgain) {
  LoadFixture();
  const std::string first = PreviewText(RunJournal(kBilling, "F10"));
  const std::string second = PreviewText(RunJournal(kBilling, "F10"));
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, second) << "marking posts nothing";
}

// --- "Listing" mode ----------------------------------------------------------------------
// Space chooses "Listing"; Enter goes on to the first column field, whose
// pick window opens (Enter keeps the invoice number); its from and to fields
// follow, then the second column (Enter keeps the date), its from and to
// fields, and the choice of documents.

struct ListingCase {
  const char* name;
  int commandId;
  const char* keys;
  std::vector<std::string> shown;
  std::vector<std::string> marked;  // shown with the unposted mark
};

const ListingCase kListings[] = {
    // Posted or not, any period, in department and type order.
    {"a range of invoice numbers", kBilling, R"(Space Enter Enter Enter "1001" Enter "1005" F10)",
     {"1001", "1002", "1005", "1003", "1004"}, {"1001", "1002", "1003", "1004"}},
    {"invoices only", kBilling, R"(Space Enter Enter Enter "1001" Enter "1006" Enter Enter Enter Enter Enter Space F10)",
     {"1001", "1002", "1005", "1006", "1004"}, {"1001", "1002", "1004", "1006"}},
    // The open order is never listed.
    {"every purchase", kPurchasing, "Space F10", {"2001", "2002"}, {"2001", "2002"}},
};

TEST_F(BiPoJournalTest, ListingOverARangePrintsItMarksTheUnpostedAndChangesNoByte) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  for (const ListingCase& c : kListings) {
    SCOPED_TRACE(c.name);
    const std::string transcript = RunJournal(c.commandId, c.keys);
    const std::vector<std::string> pages = ReportPages(transcript);
    ASSERT_GE(pages.size(), 2u) << transcript;
    const std::size_t numberX = c.commandId == kBilling ? 13 : 16, markX = c.commandId == kBilling ? 12 : 13;
    EXPECT_EQ(RowsShown(pages[0], numberX), c.shown) << pages[0];
    EXPECT_NE(pages[0].find(c.commandId == kBilling ? "Billing Listing" : "Purchasing Listing"), std::string::npos);
    EXPECT_NE(pages[0].find("* Not posted"), std::string::npos) << "the legend";
    std::vector<std::string> marked;
    for (const std::string& number : c.shown)
      if (Cell(RowOf(pages[0], number, numberX), markX, 1) == "*") marked.push_back(number);
    EXPECT_EQ(std::set<std::string>(marked.begin(), marked.end()),
              std::set<std::string>(c.marked.begin(), c.marked.end()))
        << pages[0];
    // Items not on file are told in "Journal" mode only.
    EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
  }
  EXPECT_EQ(Snapshot().files, before.files);
}

TEST_F(BiPoJournalTest, AListingSumsTheLinesOfTheDocumentsItLists) {
  LoadFixture();
  const std::vector<std::string> pages = ReportPages(RunJournal(kBilling, kListings[0].keys));
  ASSERT_GE(pages.size(), 2u);
  // 1005's posted sale is listed; 1006 and 1007 are outside the range.
  EXPECT_EQ(SqueezedLines(pages[1], "OF Stock", "SV Stock"),
            (std::vector<std::string>{
                "OF Stock EA DRILL Cordless drill 1.0000 80.00 80.00 100.00 -20.00",
                "OF Stock MN PAP-500 Copy paper, case 105.0000 4200.00 40.00 40.00 0.00",
                "OF Stock MN PEN-12 Ballpoint pens 1 6/12 9.00 6.00 6.00 0.00",
                "Stock total 4289.00",
                "Dept. total 4289.00",
            }))
      << pages[1];
  EXPECT_NE(Squeezed(pages[1]).find("Grand total 4411.50"), std::string::npos) << pages[1];
}

// --- Items not on file ----------------------------------------------------------------------

struct MissingItemCase {
  const char* name;
  int commandId;
  const char* file;
  Json line;            // added to the fixture's lines
  const char* item;     // as the item row shows it
  int message;
  const char* told;
};

Json MissingLine(const char* type, int number, int kind, const char* item) {
  return {{"typeLetter", type}, {"transactionNumber", TranNo(std::to_string(number))}, {"sequence", 9},
          {"lineKind", kind},   {"item", item},  {"department", "SV"},
          {"periodKey", 45716}, {"amount", 7.0}, {"quantity", 1.0}};
}

const MissingItemCase kMissingItems[] = {
    {"a service", kBilling, "billing_lines", MissingLine("I", 1004, 6, "NOPE"), "NOPE", 1397,
     "Service NOPE of invoice 1004 is not on file."},
    // Billing codes are billing's own: the purchasing code HANDL is not one.
    {"a billing code", kBilling, "billing_lines", MissingLine("I", 1004, 4, "  HANDL"), "HANDL", 1399,
     "Billing code HANDL of invoice 1004 is not on file."},
    {"a purchasing code", kPurchasing, "purchasing_lines", MissingLine("I", 2001, 4, "  FRT"), "FRT", 1401,
     "Purchasing code FRT of purchase 2001 is not on file."},
};

TEST_F(BiPoJournalTest, AnItemNotOnFileIsNamedOnItsRowAndToldInJournalModeOnly) {
  for (const MissingItemCase& c : kMissingItems) {
    SCOPED_TRACE(c.name);
    LoadFixture({{c.file, {c.line}}});
    const std::string listing = RunJournal(c.commandId, "Space F10");
    const std::string journal = RunJournal(c.commandId, "F10");
    for (const std::string* transcript : {&listing, &journal}) {
      const std::string row = LineWith(PreviewText(*transcript), std::string(c.item) + " ");
      EXPECT_NE(row.find("* Not on file *"), std::string::npos) << *transcript;
      EXPECT_EQ(Cell(row, 89, 11), "7.00") << row;
    }
    EXPECT_EQ(MessageNumbers(listing), std::vector<int>{}) << listing;
    std::vector<int> told = MessageNumbers(journal);
    if (c.commandId == kBilling) told.erase(std::remove(told.begin(), told.end(), 1395), told.end());  // GONE
    EXPECT_EQ(told, std::vector<int>{c.message}) << journal;
    EXPECT_NE(journal.find(c.told), std::string::npos) << journal;
  }
}

// --- Nothing to print, Esc ----------------------------------------------------------------

TEST_F(BiPoJournalTest, NothingToPrintSaysSo) {
  LoadBooks("");
  for (const int command : {kBilling, kPurchasing}) {
    const std::string transcript = RunJournal(command, "F10");
    EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{197}) << transcript;
    EXPECT_EQ(PreviewText(transcript), "");
  }
}

TEST_F(BiPoJournalTest, EscLeavesTheWindowWithoutPrinting) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  const std::string transcript = RunJournal(kBilling, "Esc", 27);
  EXPECT_EQ(PreviewText(transcript), "");
  EXPECT_EQ(Snapshot().files, before.files);
}

// --- A user break and record-manager errors ------------------------------------------------

TEST_F(BiPoJournalTest, AUserBreakStopsTheRunBeforeTheNextDocument) {
  LoadFixture();
  const std::string transcript = RunJournal(kBilling, "F10 Break");
  EXPECT_NE(transcript.find("*** Report stopped by the user ***"), std::string::npos) << transcript;
  EXPECT_EQ(Stamped(records::kFileBillingHeaders), std::set<std::string>{}) << "nothing printed, nothing marked";
  EXPECT_EQ(PreviewText(transcript).find("Summary by Item"), std::string::npos) << transcript;
  EXPECT_NE(transcript.find("preview: closed"), std::string::npos);
}

struct RecordErrorCase {
  const char* name;
  const char* failure;  // the test switch
  int op;               // the operation the error box names
  int fileNo;
  std::set<std::string> stamped;
  bool items;           // whether the run still reached its item section
};

const RecordErrorCase kRecordErrors[] = {
    // The run ends at once: the report closes, 1002 on stay unmarked.
    {"marking the second document", "fail=3:billing_headers:2:2", kOpUpdate, records::kFileBillingHeaders,
     {"I1001"}, false},
    // The item section ends as at the end of the file; its totals print.
    {"reading the next line", "fail=6:billing_lines:2:2", kOpGetNext, records::kFileBillingLines,
     {"I1001", "I1002", "R1003", "I1004"}, true},
};

TEST_F(BiPoJournalTest, ARecordManagerErrorNamesTheOperationThatFailedAndTheRunEndsCleanly) {
  for (const RecordErrorCase& c : kRecordErrors) {
    SCOPED_TRACE(c.name);
    LoadFixture();
    const std::string transcript = RunWithRecordFault(c.failure, [&] { return RunJournal(kBilling, "F10"); });
    EXPECT_NE(transcript.find(RecordErrorText(2, c.op, c.fileNo)), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("preview: closed"), std::string::npos) << "the report is closed";
    EXPECT_EQ(PreviewText(transcript).find("Grand total") != std::string::npos, c.items) << transcript;
    EXPECT_EQ(Stamped(records::kFileBillingHeaders), c.stamped);
  }
}

// --- The sample company -----------------------------------------------------------------------

TEST_F(BiPoJournalTest, OnTheSampleCompanyTheItemSectionFootsToTheDocumentsGross) {
  LoadSampleCompany();
  for (const int command : {kBilling, kPurchasing}) {
    SCOPED_TRACE(command);
    const int headerFile = command == kBilling ? records::kFileBillingHeaders : records::kFilePurchasingHeaders;
    std::set<std::string> unposted;
    for (const auto& [key, h] : Headers(headerFile))
      if (h.postedFlag != 'Y' && h.typeLetter != 'O' && h.date >= Day(2025, 3, 1) && h.date <= Day(2025, 3, 31))
        unposted.insert(key);
    ASSERT_FALSE(unposted.empty());

    const std::string transcript = RunJournal(command, "F10");
    const std::string report = PreviewText(transcript);
    EXPECT_EQ(Stamped(headerFile), unposted);
    EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
    const std::string totals = LineWith(report, "Journal totals");
    const std::string grand = LineWith(report, "Grand total");
    ASSERT_FALSE(totals.empty() || grand.empty()) << report;
    EXPECT_EQ(Cell(totals, command == kBilling ? 66 : 76, 11), Cell(grand, 89, 11)) << totals << "\n" << grand;
  }
}

}  // namespace
