// The purchase-order status report (command 308), run through its entry on
// key scripts over the books of fixtures/checks_books.json (today 03/31/25)
// and purchase orders and receipts of the test's own, read back from the
// preview in the transcript: the orders and lines each range and choice
// selects, quantities that foot (backordered = ordered - received, the
// receipts' running backorder ending where the line stands), and clean ends.
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "checks_test_support.h"
#include "records/dictionary.h"
#include "reports/arap/po_status.h"

namespace checkstest {
namespace {

// Print columns of a row.
constexpr int kNumberX = 5, kMrX = 22, kItemX = 31, kDateX = 58, kVendorX = 71, kOrderedX = 86, kReceivedX = 99,
              kBackorderedX = 112;
constexpr int kQuantityWidth = 11;

struct Order {
  const char* number;
  const char* vendor;
  int month, day;
  char closed = 'N';
};

struct OrderLine {
  const char* order;
  int sequence;
  const char* item;
  double ordered, received;
  int link;
};

struct Receipt {
  const char* number;
  int mr;
  int month, day;
  char closed;
  const char* item;
  double quantity;
  int link;
  char type = 'I';
};

// PO-1001 (03/05): a line partly received by two receipts (a third, closed,
// never counts), a fully received line, a line with nothing ordered.
// PO-1002 (03/20): a line with nothing received and no receipts.
// PO-1003 (02/15): before March.  PO-1004 (03/15): closed.
// PO-1005 (03/25): a line received beyond what was ordered.
// PO-1006 (04/10): after March.
// PO-1007 (03/28): a line whose only receipt is closed, and a line without a
// receipt link while an unlinked receipt is on file.
// clang-format off
const Order kOrders[] = {
    {"PO-1001", "HARDLINE", 3,  5},
    {"PO-1002", "CLEANPRO", 3, 20},
    {"PO-1003", "HARDLINE", 2, 15},
    {"PO-1004", "HARDLINE", 3, 15, 'Y'},
    {"PO-1005", "CLEANPRO", 3, 25},
    {"PO-1006", "HARDLINE", 4, 10},
    {"PO-1007", "HARDLINE", 3, 28},
};
const OrderLine kLines[] = {
    {"PO-1001", 1, "DRL-18V",      10,  4, 101},
    {"PO-1001", 2, "SCR-ASST-200", 12, 12, 102},
    {"PO-1001", 3, "NOTE-LINE",     0,  0, 0},
    {"PO-1002", 1, "TWL-PPR-CS",    5,  0, 0},
    {"PO-1003", 1, "DRL-18V",       8,  0, 0},
    {"PO-1004", 1, "DRL-18V",       3,  0, 0},
    {"PO-1005", 1, "TWL-PPR-CS",    4,  6, 105},
    {"PO-1006", 1, "SCR-ASST-200",  2,  0, 0},
    {"PO-1007", 1, "DRL-18V",       5,  2, 107},
    {"PO-1007", 2, "SCR-ASST-200",  3,  1, 0},
};
const Receipt kReceipts[] = {
    {"R-501", 7, 3, 10, 'N', "DRL-18V",      3, 101},
    {"R-502", 8, 3, 12, 'N', "DRL-18V",      1, 101},
    {"R-504", 9, 3, 13, 'Y', "DRL-18V",      2, 101},
    {"R-503", 4, 3, 14, 'N', "SCR-ASST-200", 12, 102},
    {"R-505", 5, 3, 26, 'N', "TWL-PPR-CS",   6, 105},
    // A return against the line is no receipt of goods.
    {"R-506", 6, 3, 27, 'N', "DRL-18V",      1, 101, 'R'},
    {"R-507", 1, 3, 29, 'Y', "DRL-18V",      2, 107},
    {"R-508", 2, 3, 29, 'N', "SCR-ASST-200", 1, 0},
};
// clang-format on

// One printed row: an order line or a receipt under it.
struct Row {
  std::string number, mr, item, date, vendor, ordered, received, backordered;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << "[" << r.number << "|" << r.mr << "|" << r.item << "|" << r.date << "|" << r.vendor << "|"
             << r.ordered << "|" << r.received << "|" << r.backordered << "]";
}

std::vector<Row> RowsOf(const Preview& p) {
  std::vector<Row> rows;
  for (const std::string& l : p.Lines()) {
    const std::string date = Cell(l, kDateX, 12);
    if (date.size() != 8 || date[2] != '/') continue;
    rows.push_back(Row{Cell(l, kNumberX, 16), Cell(l, kMrX, 8), Cell(l, kItemX, 26), date, Cell(l, kVendorX, 14),
                       Cell(l, kOrderedX, kQuantityWidth), Cell(l, kReceivedX, kQuantityWidth),
                       Cell(l, kBackorderedX, kQuantityWidth)});
  }
  return rows;
}

// The keys that type the dates, set the two choices, print and close the preview.
std::string Keys(const std::string& from, const std::string& to, bool allLines, bool receipts) {
  return "\"" + from + "\" Enter \"" + to + "\" Enter " + (allLines ? "Space " : "") + "Enter " +
         (receipts ? "" : "Space ") + "F10 Esc";
}

class POStatusTest : public listingtest::ListingTest {
 protected:
  POStatusTest() : ListingTest(308) {}

  void SetUp() override {
    ListingTest::SetUp();
    UseFixtureFile(BooksFile());
  }

  void AddOrders() {
    for (const Order& o : kOrders)
      Add("order_headers", Json{{"typeLetter", "O"},
                                {"transactionNumber", o.number},
                                {"custVendCode", o.vendor},
                                {"closedFlag", std::string(1, o.closed)},
                                {"postedFlag", "N"},
                                {"date", Date(2025, o.month, o.day)}});
    for (const OrderLine& l : kLines)
      Add("order_lines", Json{{"typeLetter", "O"},
                              {"transactionNumber", l.order},
                              {"sequence", l.sequence},
                              {"lineKind", 1},
                              {"item", l.item},
                              {"quantityDecimals", 2},
                              {"receiptLink", l.link},
                              {"secondQuantity", l.ordered},
                              {"quantity", l.received}});
    for (const Receipt& r : kReceipts) {
      const std::string type(1, r.type);
      Add("purchasing_headers", Json{{"typeLetter", type},
                                     {"transactionNumber", r.number},
                                     {"keyPart", r.mr},
                                     {"custVendCode", "HARDLINE"},
                                     {"closedFlag", std::string(1, r.closed)},
                                     {"postedFlag", "Y"},
                                     {"date", Date(2025, r.month, r.day)}});
      Add("purchasing_lines", Json{{"typeLetter", type},
                                   {"transactionNumber", r.number},
                                   {"keyPart", r.mr},
                                   {"sequence", 1},
                                   {"lineKind", 1},
                                   {"item", r.item},
                                   {"receiptLink", r.link},
                                   {"quantity", r.quantity}});
    }
  }

  Run RunReport(const std::string& keys) {
    return RunScripted(keys, [] { return RunPOStatusReport(); });
  }
};

Row OrderRow(const char* number, const char* item, const char* date, const char* vendor, const char* ordered,
             const char* received, const char* backordered) {
  return Row{number, "", item, date, vendor, ordered, received, backordered};
}
Row ReceiptRowOf(const char* number, const char* mr, const char* item, const char* date, const char* received,
                 const char* backordered) {
  return Row{number, mr, item, date, "HARDLINE", "", received, backordered};
}

TEST_F(POStatusTest, EachRangeAndChoiceListsTheOpenLinesWithQuantitiesThatFoot) {
  AddOrders();
  const Row drill = OrderRow("PO-1001", "DRL-18V", "03/05/25", "HARDLINE", "10.00", "4.00", "6.00");
  const Row screws = OrderRow("PO-1001", "SCR-ASST-200", "03/05/25", "HARDLINE", "12.00", "12.00", "0.00");
  const Row towels = OrderRow("PO-1002", "TWL-PPR-CS", "03/20/25", "CLEANPRO", "5.00", "0.00", "5.00");
  const Row over = OrderRow("PO-1005", "TWL-PPR-CS", "03/25/25", "CLEANPRO", "4.00", "6.00", "0.00");
  const Row february = OrderRow("PO-1003", "DRL-18V", "02/15/25", "HARDLINE", "8.00", "0.00", "8.00");
  const Row april = OrderRow("PO-1006", "SCR-ASST-200", "04/10/25", "HARDLINE", "2.00", "0.00", "2.00");
  // No receipt of theirs prints, so these lines keep their own figures.
  const Row late1 = OrderRow("PO-1007", "DRL-18V", "03/28/25", "HARDLINE", "5.00", "2.00", "3.00");
  const Row late2 = OrderRow("PO-1007", "SCR-ASST-200", "03/28/25", "HARDLINE", "3.00", "1.00", "2.00");
  // Order lines whose receipts follow leave received and backordered to them.
  Row drillHead = drill, screwsHead = screws, overHead = over;
  for (Row* r : {&drillHead, &screwsHead, &overHead}) r->received = r->backordered = "";
  const Row r501 = ReceiptRowOf("R-501", "7", "DRL-18V", "03/10/25", "3.00", "7.00");
  const Row r502 = ReceiptRowOf("R-502", "8", "DRL-18V", "03/12/25", "1.00", "6.00");
  const Row r503 = ReceiptRowOf("R-503", "4", "SCR-ASST-200", "03/14/25", "12.00", "0.00");
  // More received than ordered: nothing backordered, never a negative figure.
  const Row r505 = ReceiptRowOf("R-505", "5", "TWL-PPR-CS", "03/26/25", "6.00", "0.00");

  const struct {
    const char* from;
    const char* to;
    bool allLines, receipts;
    std::vector<Row> rows;
    const char* options;
  } cases[] = {
      {"03/01/25", "03/31/25", false, false, {drill, towels, late1, late2}, ""},
      {"03/01/25", "03/31/25", true, false, {drill, screws, towels, over, late1, late2}, "Showing fully received lines"},
      {"03/01/25", "03/31/25", false, true, {drillHead, r501, r502, towels, late1, late2}, "Showing receipts"},
      {"03/01/25", "03/31/25", true, true,
       {drillHead, r501, r502, screwsHead, r503, towels, overHead, r505, late1, late2},
       "Showing fully received lines and receipts"},
      {"02/01/25", "04/30/25", false, false, {drill, towels, february, april, late1, late2}, ""},
      {"03/20/25", "03/20/25", false, false, {towels}, ""},
      // An empty end is open: no lower or upper limit.
      {"03/01/25", " ", false, false, {drill, towels, april, late1, late2}, ""},
      {" ", " ", false, false, {drill, towels, february, april, late1, late2}, ""},
  };
  for (const auto& c : cases) {
    const std::string what = std::string(c.from) + "-" + c.to + (c.allLines ? " all" : "") +
                             (c.receipts ? " receipts" : "");
    const Run run = RunReport(Keys(c.from, c.to, c.allLines, c.receipts));
    EXPECT_TRUE(run.messages.empty()) << what << "\n" << run.transcript;
    const Preview r = OnlyPreview(run.transcript, "Purchase Orders Status");
    ASSERT_FALSE(r.Empty()) << what << "\n" << run.transcript;
    EXPECT_EQ(c.rows, RowsOf(r)) << what << "\n" << run.transcript;
    // An open end is left empty on the selection line.
    std::string selection = std::string("Orders dated from ") + c.from + " to " + c.to;
    if (std::string(c.to) == " ") selection.resize(selection.size() - 2);
    if (std::string(c.from) == " ") selection.replace(selection.find("from  "), 6, "from ");
    EXPECT_TRUE(r.Contains(selection)) << what << "\n" << run.transcript;
    if (*c.options) {
      EXPECT_TRUE(r.Contains(c.options)) << what;
    } else {
      EXPECT_FALSE(r.Contains("Showing")) << what;
    }
    // Every order line foots: backordered is what was ordered less what came.
    for (const Row& row : RowsOf(r)) {
      if (row.ordered.empty() || row.received.empty()) continue;
      const double backordered = std::max(0.0, std::stod(row.ordered) - std::stod(row.received));
      EXPECT_DOUBLE_EQ(backordered, std::stod(row.backordered)) << what << " " << row;
    }
  }
}

TEST_F(POStatusTest, TheScreenOpensOnThisPeriodWithoutReceivedLinesAndWithReceipts) {
  AddOrders();
  const Run run = RunReport("F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "Purchase Orders Status");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  EXPECT_TRUE(r.Contains("Orders dated from 03/01/25 to 03/31/25")) << run.transcript;
  std::vector<std::string> numbers;
  for (const Row& row : RowsOf(r)) numbers.push_back(row.number);
  EXPECT_EQ((std::vector<std::string>{"PO-1001", "R-501", "R-502", "PO-1002", "PO-1007", "PO-1007"}), numbers);

  // Esc leaves without a report.
  const Run left = RunReport("Esc");
  EXPECT_TRUE(left.messages.empty());
  EXPECT_EQ(std::string::npos, left.transcript.find("preview:"));

  // A date that is not one is refused and nothing prints.
  const Run bad = RunReport("\"02/30/25\" Enter Esc");
  EXPECT_EQ(std::vector<int>{13}, bad.messages) << bad.transcript;
  EXPECT_EQ(std::string::npos, bad.transcript.find("preview:"));
}

TEST_F(POStatusTest, NothingSelectedShowsItsMessageAndNoReport) {
  const Run empty = RunReport("F10 Esc");
  EXPECT_EQ(std::vector<int>{197}, empty.messages) << "no orders at all\n" << empty.transcript;
  EXPECT_EQ(std::string::npos, empty.transcript.find("preview:"));

  AddOrders();
  WriteCompany();
  for (const std::string& keys : {Keys("01/01/25", "01/31/25", true, true), Keys("03/15/25", "03/15/25", true, true)}) {
    const Run run = RunReport(keys);
    EXPECT_EQ(std::vector<int>{197}, run.messages) << keys << "\n" << run.transcript;
    EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << keys;
  }
}

TEST_F(POStatusTest, AUserBreakEndsTheRunCleanly) {
  for (int n = 0; n < 100; ++n) {
    const std::string number = "PO-" + std::to_string(3000 + n);
    Add("order_headers", Json{{"typeLetter", "O"}, {"transactionNumber", number}, {"custVendCode", "HARDLINE"},
                              {"closedFlag", "N"}, {"date", Date(2025, 3, 2)}});
    Add("order_lines", Json{{"typeLetter", "O"}, {"transactionNumber", number}, {"sequence", 1}, {"lineKind", 1},
                            {"item", "DRL-18V"}, {"secondQuantity", 1.0}});
  }
  const Run run = RunReport("F10 Break Esc");
  EXPECT_EQ(0, run.result);
  const Preview r = OnlyPreview(run.transcript, "Purchase Orders Status");
  ASSERT_FALSE(r.Empty()) << "what was printed is shown\n" << run.transcript;
  EXPECT_TRUE(r.Contains("Report stopped by the user")) << run.transcript;
  EXPECT_LT(RowsOf(r).size(), 100u);
  listingtest::ExpectFilesClosed({records::kFileOrderHeaders, records::kFileOrderLines,
                                  records::kFilePurchasingHeaders, records::kFilePurchasingLines});
}

TEST_F(POStatusTest, ARecordManagerErrorEndsTheRunCleanly) {
  AddOrders();
  WriteCompany();
  const struct {
    const char* spec;
    const char* file;
  } cases[] = {
      {"fail=6:order_headers:1:2", "order_headers"},
      {"fail=6:order_lines:2:2", "order_lines"},
      {"fail=6:purchasing_lines:1:2", "purchasing_lines"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(0, BtrvTestSwitch(c.spec));
    const Run run = RunReport(Keys("03/01/25", "03/31/25", true, true));
    BtrvTestSwitch("");
    EXPECT_EQ(0, run.result);
    EXPECT_NE(std::string::npos, run.transcript.find(c.file)) << c.spec << ": the error box names the file\n"
                                                              << run.transcript;
    const Preview r = OnlyPreview(run.transcript, "Purchase Orders Status");
    ASSERT_FALSE(r.Empty()) << c.spec << "\n" << run.transcript;
    EXPECT_TRUE(r.Contains("incomplete")) << c.spec;
    listingtest::ExpectFilesClosed({records::kFileOrderHeaders, records::kFileOrderLines,
                                    records::kFilePurchasingHeaders, records::kFilePurchasingLines});
  }
}

}  // namespace
}  // namespace checkstest
