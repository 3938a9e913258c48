// The product activity detail report (command 359) run through its entry
// over small fixtures and the sample company, read back from the HTML file
// it writes or the preview in the transcript: the balances an accountant
// checks, the sources and links of the transactions, the units, the
// products of type 2, the saved run, and the runs that are refused or stop
// part way.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "preview_report.h"
#include "product_test_support.h"
#include "records/transactions.h"
#include "reports/inventory/product_activity_detail.h"

namespace producttest {
namespace {

// Print columns of the lines.
constexpr int kNumberX = 4, kDateX = 31, kSourceX = 42, kQuantityX = 66, kCostX = 79, kExtendedX = 91,
              kBalanceQuantityX = 104, kBalanceX = 117;

// An inventory transaction of a fixture.
Json Transaction(const std::string& product, const std::string& number, const std::string& date, char source,
                 char kind, double quantity, double extended, Json extra = Json::object()) {
  Json r{{"productCode", product},
         {"transactionNumber", number},
         {"date", date},
         {"source", std::string(1, source)},
         {"kind", std::string(1, kind)},
         {"quantity", quantity},
         {"unitCost", quantity != 0 ? extended / quantity : 0.0},
         {"extendedAmount", extended},
         {"postedFlag", "Y"}};
  for (auto it = extra.begin(); it != extra.end(); ++it) r[it.key()] = it.value();
  return r;
}

// What the report shows: each product's start balance and transaction
// lines, and the grand total.
struct Detail {
  struct Line {
    std::string document, date, source;
    double quantity = 0, extended = 0, balanceQuantity = 0, balance = 0;
    int index = -1;  // in the report's lines
  };
  struct Item {
    std::string number;
    double quantity = 0, value = 0;
    int index = -1;
    std::vector<Line> lines;
  };
  std::vector<Item> items;
  std::string total;  // "" when none was printed
  const Item* Find(const std::string& number) const {
    for (const Item& i : items)
      if (i.number == number) return &i;
    return nullptr;
  }
};

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

bool IsDate(const std::string& text) { return text.size() == 8 && text[2] == '/' && text[5] == '/'; }

// A printed number; NaN for a cell that holds none ("****", "2 6/12" reads 2).
double Number(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  return text.empty() ? 0.0 : end == text.c_str() ? std::nan("") : v;
}

// The detail of report lines `lines` (an HTML report's or a preview's).
template <class Report>
Detail DetailOf(const Report& r) {
  Detail d;
  const int rule = r.Find("--------------");
  for (int i = rule + 1; rule >= 0 && i < static_cast<int>(r.lines.size()); ++i) {
    const std::string& line = r.lines[static_cast<std::size_t>(i)];
    // The headings and rules of a later page, and the page footers.
    if (line.find("Balance Qty.") != std::string::npos || line.find("Item Description/") != std::string::npos ||
        line.find("-----") != std::string::npos || line.find(" Page ") != std::string::npos)
      continue;
    if (line.find("============") != std::string::npos) {
      d.total = r.Cell(i + 1, kBalanceX, 12);
      break;
    }
    if (IsDate(r.Cell(i, kDateX, 8)) && !d.items.empty()) {
      Detail::Line l;
      l.document = r.Cell(i, kNumberX, 14);
      l.date = r.Cell(i, kDateX, 8);
      l.source = r.Cell(i, kSourceX, 10);
      l.quantity = Number(r.Cell(i, kQuantityX, 12));
      l.extended = Number(r.Cell(i, kExtendedX, 12));
      l.balanceQuantity = Number(r.Cell(i, kBalanceQuantityX, 12));
      l.balance = Number(r.Cell(i, kBalanceX, 12));
      l.index = i;
      d.items.back().lines.push_back(l);
    } else if (!r.Cell(i, kNumberX, 14).empty() && !r.Cell(i, kBalanceX, 12).empty() && line.size() > 5 &&
               line[4] != ' ') {
      Detail::Item item;
      item.number = r.Cell(i, kNumberX, 14);
      item.quantity = Number(r.Cell(i, kBalanceQuantityX, 12));
      item.value = Number(r.Cell(i, kBalanceX, 12));
      item.index = i;
      d.items.push_back(item);
    }
  }
  return d;
}

class DetailTest : public CompanyTest {
 protected:
  // Runs the report with `params` into an HTML file and reads it back.
  Report RunReport(const std::string& params, Run* run = nullptr) {
    const std::string out = File("detail-" + std::to_string(runs_ + 1) + ".htm");
    const std::string text = params + " output='" + out + "'";
    Run r = RunScripted("", [&] { return RunProductActivityDetail(text.c_str()); });
    if (run) *run = r;
    return ReadReport(out);
  }

  // The accountant's fixture: three products and their transactions
  // around February 2024.
  void AddAccountantsBooks() {
    Add("products", Product("A100", "Anchors", Json{{"purgedQuantity", 0}, {"purgedAmount", 0}}));
    Add("products", Product("B200", "Bolts", Json{{"purgedQuantity", 10}, {"purgedAmount", 100.0}}));
    Add("products", Product("C300", "Clamps", Json{{"purgedQuantity", 3}, {"purgedAmount", 30.0}}));
    Add("inventory_transactions", Transaction("A100", "1", Date(2024, 3, 15), 'M', '1', 4, 40.0));
    Add("inventory_transactions", Transaction("B200", "2", Date(2024, 1, 5), 'M', '1', 5, 50.0));
    Add("inventory_transactions", Transaction("B200", "3", Date(2024, 2, 1), 'B', '5', -1, -10.0));
    Add("inventory_transactions", Transaction("B200", "4", Date(2024, 2, 10), 'B', '5', -3, -30.0));
    Add("inventory_transactions", Transaction("B200", "5", Date(2024, 2, 29), 'T', '1', 2, 22.0));
    Add("inventory_transactions", Transaction("B200", "6", Date(2024, 3, 1), 'B', '5', -1, -11.0));
  }
};

// --- The balances ---------------------------------------------------------------------

// The accountant's check: each product starts from its purged totals and
// the transactions before the range; the lines in the range run the
// balance on; those after it are left out; the total is the sum of the
// products' ending values.
TEST_F(DetailTest, TheBalancesAnAccountantChecks) {
  AddAccountantsBooks();
  const struct {
    const char* name;
    const char* from;
    double startQuantity, startValue;
    std::vector<double> balances;
    std::vector<double> values;
  } cases[] = {
      {"February", "02/01/24", 15, 150.0, {14, 11, 13}, {140.0, 110.0, 132.0}},
      {"an open from date", "", 10, 100.0, {15, 14, 11, 13}, {150.0, 140.0, 110.0, 132.0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Run run;
    const Report r = RunReport(std::string("input='default' sortfld='Product Number' rankfld='Transaction Date' ") +
                                   "rankfrom='" + c.from + "' rankto='02/29/24'",
                               &run);
    ASSERT_FALSE(r.Empty()) << run.transcript;
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    const Detail d = DetailOf(r);
    ASSERT_EQ(3u, d.items.size()) << r.html;
    EXPECT_EQ("A100", d.items[0].number);
    EXPECT_EQ(0.0, d.items[0].quantity);
    EXPECT_EQ(0.0, d.items[0].value);
    EXPECT_TRUE(d.items[0].lines.empty()) << "A100's only transaction lies after the range";

    const Detail::Item& b = d.items[1];
    EXPECT_EQ("B200", b.number);
    EXPECT_EQ(c.startQuantity, b.quantity);
    EXPECT_EQ(c.startValue, b.value);
    std::vector<double> balances, values;
    for (const Detail::Line& l : b.lines) {
      balances.push_back(l.balanceQuantity);
      values.push_back(l.balance);
    }
    EXPECT_EQ(c.balances, balances);
    EXPECT_EQ(c.values, values);
    ASSERT_FALSE(b.lines.empty());
    EXPECT_EQ("02/29/24", b.lines.back().date) << "a transaction on the to date is listed";

    EXPECT_EQ("C300", d.items[2].number);
    EXPECT_EQ(3.0, d.items[2].quantity);
    EXPECT_EQ(30.0, d.items[2].value);
    EXPECT_TRUE(d.items[2].lines.empty());
    EXPECT_EQ("162.00", d.total);
    EXPECT_NE(-1, r.Find("Range by Transaction Date From " + std::string(*c.from ? c.from : "FIRST") +
                         " To 02/29/24"));
  }
}

// --- Sources and links ------------------------------------------------------------------

TEST_F(DetailTest, EachSourceIsNamedAndLinksToItsDocument) {
  Add("products", Product("P1", "Pliers"));
  // A document number of 13 characters written over the receipt's bytes,
  // and one with a receipt number after its NUL.
  const struct {
    char source, kind;
    Json document;
    const char* name;
    int command;  // 0: no link
    const char* params;
  } cases[] = {
      {'B', '5', "1234567890-12", "Invoice", 230, "tranno='1234567890' mrno='12'"},
      {'M', '1', Json{{"hex", "504f37303031000000000037000000"}}, "Merch_Rec", 221, "tranno='PO7001' mrno='7'"},
      {'R', '5', "RET-1", "Purch_Ret", 222, "tranno='RET-1' mrno='0'"},
      {'S', '1', "CR-9", "Sales_Ret", 233, "tranno='CR-9' mrno='0'"},
      {'T', '1', "", "IA-IncQty.", 205, "cdno='T5'"},
      {'T', '3', "", "Inventory", 205, "cdno='T6'"},
      {'T', '7', "", "IA-IncVal.", 205, "cdno='T7'"},
      {'A', '1', "ASM1", "Assembly", 0, ""},
      {'X', '1', "X1", "", 0, ""},
  };
  int day = 1;
  for (const auto& c : cases) {
    const std::string number = c.source == 'T' ? "T" + std::to_string(day) : std::to_string(day);
    Add("inventory_transactions", Transaction("P1", number, Date(2025, 3, day), c.source, c.kind, 1, 5.0,
                                              Json{{"sourceTransaction", c.document}, {"reference", "REF"}}));
    ++day;
  }
  Run run;
  const Report r = RunReport("input='default' rankfrom='' rankto=''", &run);
  const Detail d = DetailOf(r);
  ASSERT_EQ(1u, d.items.size()) << run.transcript;
  const Detail::Item& item = d.items[0];
  ASSERT_EQ(std::size(cases), item.lines.size()) << r.html;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    const Detail::Line& l = item.lines[i];
    SCOPED_TRACE(std::string(1, c.source) + c.kind);
    EXPECT_EQ(c.name, l.source);
    const std::vector<Report::Link> links = r.LinksOn(l.index);
    if (c.command == 0) {
      EXPECT_TRUE(links.empty());
      continue;
    }
    EXPECT_GE(links.size(), 7u) << "every cell links";
    for (const Report::Link& link : links) {
      EXPECT_EQ(c.command, link.command);
      EXPECT_EQ(1, link.kind);
      EXPECT_EQ(c.params, link.params);
    }
  }
  EXPECT_EQ("1234567890-12", item.lines[0].document) << "the document number shown whole";
  EXPECT_EQ("PO7001", item.lines[1].document) << "not the receipt number after it";
  const std::vector<Report::Link> product = r.LinksOn(item.index);
  ASSERT_EQ(3u, product.size());
  for (const Report::Link& link : product) {
    EXPECT_EQ(250, link.command);
    EXPECT_EQ("cdno='P1'", link.params);
  }
}

// --- Units and products of type 2 ------------------------------------------------------------

TEST_F(DetailTest, UnitsInFractionsAndProductsOfType2) {
  Add("products", Product("DOZ", "Eggs by the dozen", Json{{"purchaseUnitFactor", 12}}));
  Add("products", Product("NONE", "A fraction of 0", Json{{"purchaseUnitFactor", 0}, {"purgedQuantity", 3}}));
  Add("products", Product("SVC", "No stock", Json{{"productType", 2}}));
  Add("products", Product("WIDE", "A quantity too wide", Json{{"purgedQuantity", 9999999999.99}}));
  Add("inventory_transactions", Transaction("DOZ", "1", Date(2025, 3, 2), 'M', '1', 30, 25.0));
  Add("inventory_transactions", Transaction("SVC", "2", Date(2025, 3, 2), 'B', '5', -1, 0.0));
  const struct {
    const char* name;
    const char* params;
    const char* units;
    const char* dozen;  // the quantity of DOZ's transaction
    bool type2;
  } cases[] = {
      {"decimals", "", "Units in Decimal", "2.5000", false},
      {"fractions", "decorfrac='0'", "Units in Fractions", "2 6/12", false},
      {"type 2 kept", "incnoinv='1'", "Units in Decimal", "2.5000", true},
      {"type 2 left out", "incnoinv='0'", "Units in Decimal", "2.5000", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Run run;
    const Report r = RunReport(std::string("input='default' rankfrom='' rankto='' ") + c.params, &run);
    EXPECT_NE(-1, r.Find(c.units)) << run.transcript;
    const Detail d = DetailOf(r);
    const Detail::Item* dozen = d.Find("DOZ");
    ASSERT_NE(nullptr, dozen) << r.html;
    ASSERT_EQ(1u, dozen->lines.size());
    EXPECT_EQ(c.dozen, r.Cell(dozen->lines[0].index, kQuantityX, 12));
    EXPECT_EQ(c.type2, d.Find("SVC") != nullptr);
    const Detail::Item* none = d.Find("NONE");
    ASSERT_NE(nullptr, none);
    EXPECT_EQ(3.0, none->quantity) << "a fraction of 0 counts as 1";
    const Detail::Item* wide = d.Find("WIDE");
    ASSERT_NE(nullptr, wide);
    EXPECT_EQ("************", r.Cell(wide->index, kBalanceQuantityX, 12)) << "never cut into another number";
    EXPECT_EQ(' ', r.lines[static_cast<std::size_t>(wide->index)][kBalanceX - 1]);
  }
}

// --- Saved runs and refusals ---------------------------------------------------------------------

// The saved run at the top of the HTML, run again, gives the same report.
TEST_F(DetailTest, TheSavedRunGivesTheSameReport) {
  AddAccountantsBooks();
  Add("products", Product("D400", "Drills", Json{{"productType", 2}, {"bin", "B-1"}}));
  Add("inventory_transactions", Transaction("D400", "7", Date(2024, 2, 3), 'B', '5', -1, -9.0));
  const Report first = RunReport(
      "input='default' sortfld='Product Number' sortfrom='B' rankfld='Transaction Date' rankfrom='02/01/24' "
      "rankto='02/29/24' incnoinv='1' decorfrac='0'");
  ASSERT_EQ(359, first.savedRun.command);
  EXPECT_EQ(
      "input='usersel' sortfld='Product Number' sortfrom='B' sortto='' rankfld='Transaction Date' "
      "rankfrom='02/01/24' rankto='02/29/24' incnoinv='1' decorfrac='0'",
      first.savedRun.params);
  const std::string saved = first.savedRun.params;
  const Run again = RunScripted("Esc", [&] { return RunProductActivityDetail(saved.c_str()); });
  const PreviewReport preview = ReadPreview(again.transcript, "Product Transaction Activity");
  ASSERT_TRUE(preview.shown) << again.transcript;
  const Detail a = DetailOf(first), b = DetailOf(preview);
  ASSERT_EQ(3u, a.items.size());
  ASSERT_EQ(a.items.size(), b.items.size());
  for (std::size_t i = 0; i < a.items.size(); ++i) {
    EXPECT_EQ(first.lines[static_cast<std::size_t>(a.items[i].index)],
              preview.lines[static_cast<std::size_t>(b.items[i].index)]);
    ASSERT_EQ(a.items[i].lines.size(), b.items[i].lines.size());
    for (std::size_t j = 0; j < a.items[i].lines.size(); ++j)
      EXPECT_EQ(first.lines[static_cast<std::size_t>(a.items[i].lines[j].index)],
                preview.lines[static_cast<std::size_t>(b.items[i].lines[j].index)]);
  }
  EXPECT_EQ(a.total, b.total);
  EXPECT_NE(nullptr, b.Find("D400")) << "the type-2 product, kept by the saved run";
}

TEST_F(DetailTest, AParameterStringThatCannotBeUsedRunsNothing) {
  Add("products", Product("P1", "Pliers"));
  const struct {
    const char* params;
    int message;
  } cases[] = {
      {"input='default' sortfld='Shoe Size'", 2001},
      {"input='default' sortfld='Sales Units'", 2001},  // a field no key of the file orders
      {"input='default' rankfld='Product Number'", 2001},
      {"input='default' rankfrom='02/30/24'", 13},
      {"input='default' rankfrom='03/01/25' rankto='02/01/25'", 205},
      {"input='screen' colour='red'", 2001},
  };
  for (const auto& c : cases) {
    Run run;
    const Report r = RunReport(c.params, &run);
    EXPECT_EQ(std::vector<int>{c.message}, run.messages) << c.params << "\n" << run.transcript;
    EXPECT_TRUE(r.Empty()) << c.params;
  }
}

// A failing read of the transaction file: the error box once, then the
// "incomplete" line in place of the total; no HTML file is left looking
// like a finished report.
TEST_F(DetailTest, ATransactionFileErrorEndsTheReportIncomplete) {
  AddAccountantsBooks();
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:inventory_transactions:2:2"));
  Run run;
  const Report r = RunReport("input='default' rankfrom='' rankto=''", &run);
  EXPECT_TRUE(r.Empty());
  EXPECT_NE(std::string::npos, run.transcript.find(RecordErrorText(2, kOpGetNext, records::kFileInventoryTransactions)))
      << run.transcript;

  ASSERT_EQ(0, BtrvTestSwitch("fail=6:inventory_transactions:2:2"));
  const Run preview = RunScripted("Esc", [&] { return RunProductActivityDetail("input='default' rankfrom=''"); });
  const PreviewReport p = ReadPreview(preview.transcript, "Product Transaction Activity");
  ASSERT_TRUE(p.shown) << preview.transcript;
  EXPECT_TRUE(p.Contains("The report is incomplete"));
  EXPECT_FALSE(p.Contains("============")) << "no total";
  EXPECT_EQ(1, Count(preview.transcript, "--- message box")) << "the error box once";
}

// The sample company, every date: each product's balance ends at what it
// has on hand once the adjustments not yet posted are taken into it, and
// the total is the sum of the ending values; its history has a line of
// every source.
TEST_F(DetailTest, OnTheSampleCompanyEveryBalanceEndsAtWhatIsOnHand) {
  LoadSampleCompany();
  std::map<std::string, double> unpostedUnits, unpostedValue;
  for (const auto& bytes : sample_.files.at(records::kFileInventoryTransactions)) {
    records::InventoryTransaction t{};
    std::memcpy(&t, bytes.data(), sizeof t);
    if (t.postedFlag == 'Y') continue;
    unpostedUnits[std::string(records::Trimmed(t.productCode))] += t.quantity;
    unpostedValue[std::string(records::Trimmed(t.productCode))] += t.extendedAmount;
  }
  Run run;
  const Report r = RunReport("input='default' rankfrom='' rankto='' decorfrac='1'", &run);
  ASSERT_FALSE(r.Empty()) << run.transcript;
  const Detail d = DetailOf(r);
  double total = 0;
  std::set<std::string> sources;
  for (const records::TagProduct& p : SampleProducts()) {
    if (p.productType == records::TagProduct::kNonInventory) continue;
    const std::string number(records::Trimmed(p.number));
    const Detail::Item* item = d.Find(number);
    ASSERT_NE(nullptr, item) << number;
    const double fraction = p.purchaseUnitFactor > 0 ? p.purchaseUnitFactor : 1;
    const double units = (p.quantityOnHand + unpostedUnits[number]) / fraction;
    const double ending = item->lines.empty() ? item->quantity : item->lines.back().balanceQuantity;
    const double value = item->lines.empty() ? item->value : item->lines.back().balance;
    EXPECT_NEAR(units, ending, 0.00005) << number;
    EXPECT_NEAR(p.valueOnHand + unpostedValue[number], value, 0.005) << number;
    total += value;
    for (const Detail::Line& l : item->lines) sources.insert(l.source);
  }
  EXPECT_NEAR(total, Number(d.total), 0.005);
  for (const char* s : {"Assembly", "Invoice", "Merch_Rec", "Purch_Ret", "Sales_Ret", "Setup", "Convert",
                        "Phys.Inv", "J.C.", "Remote", "O.E.", "P.O.S.", "IA-IncQty.", "IA-DecQty.", "IA-Trans.",
                        "IA-IncVal.", "IA-DecVal."})
    EXPECT_TRUE(sources.count(s)) << s;
}

// --- The selection screen ------------------------------------------------------------------
//
// The fields in cursor order with the sort on the product number: 1 the
// sort field, 2/3 its range, 14/15 the dates, 16 decimals or fractions, 17
// whether products of type 2 are left out.  Space changes a choice; typing
// replaces a field's text.

class DetailScreenTest : public DetailTest {
 protected:
  void SetUp() override {
    DetailTest::SetUp();
    Add("products", Product("A1", "Anvil"));
    Add("products", Product("B1", "Bolt", Json{{"warehouse", "WST"}}));
    Add("products", Product("C1", "Clamp", Json{{"purchaseUnitFactor", 12}}));
    Add("products", Product("D1", "Drill"));
    Add("inventory_transactions", Transaction("A1", "11", Date(2023, 6, 1), 'M', '1', 1, 1.0));
    Add("inventory_transactions", Transaction("C1", "12", Date(2024, 2, 10), 'M', '1', 18, 2.0));
    Add("inventory_transactions", Transaction("D1", "13", Date(2026, 1, 1), 'B', '5', -1, -1.0));
  }

  Run Screen(const std::string& keys, const std::string& user) {
    AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, user.c_str());
    return RunScripted(keys, [&] { return RunProductActivityDetail(nullptr); });
  }

  // The products the preview listed, and their transactions' dates.
  static std::vector<std::string> Listed(const Run& run) {
    std::vector<std::string> out;
    for (const Detail::Item& i : DetailOf(ReadPreview(run.transcript, "Product Transaction Activity")).items) {
      out.push_back(i.number);
      for (const Detail::Line& l : i.lines) out.push_back(" " + l.date);
    }
    return out;
  }

  static std::string StartScreen(const Run& run) { return producttest::StartScreen(run.transcript); }
};

TEST_F(DetailScreenTest, TheChecksOfTheScreen) {
  const struct {
    const char* name;
    const char* keys;
    std::vector<int> messages;
    std::vector<std::string> listed;
  } cases[] = {
      {"the defaults: every product, every date", "F10 Esc", {},
       {"A1", " 06/01/23", "B1", "C1", " 02/10/24", "D1", " 01/01/26"}},
      // Warehouse is the sixth choice: its pair takes the warehouse codes.
      {"warehouse", "Space Space Space Space Space Down \"MAI\" Down \"MAI\" F10 Esc", {},
       {"A1", " 06/01/23", "C1", " 02/10/24", "D1", " 01/01/26"}},
      {"a date that is not one", "Down Down Down \"134509\" Down Enter Esc", {13}, {}},
      // From "D" after to "C": the cursor waits on the from field, which
      // takes the corrected value.
      {"from after to", "Down \"D\" Down \"C9\" F10 Enter \"B\" F10 Esc", {205}, {"B1", "C1", " 02/10/24"}},
      {"dates from after to", "Down Down Down \"022924\" Down \"020124\" F10 Enter \"020124\" F10 Esc", {205},
       {"A1", "B1", "C1", "D1"}},
      {"a date range", "Down Down Down \"010124\" Down \"123124\" F10 Esc", {},
       {"A1", "B1", "C1", " 02/10/24", "D1"}},
      {"an open to date", "Down Down Down \"010124\" Down \"\" F10 Esc", {},
       {"A1", "B1", "C1", " 02/10/24", "D1", " 01/01/26"}},
      {"Esc runs nothing", "Space Esc", {}, {}},
  };
  int user = 0;
  for (const auto& c : cases) {
    const Run run = Screen(c.keys, "USER" + std::to_string(++user));
    EXPECT_EQ(c.messages, run.messages) << c.name << "\n" << run.transcript;
    EXPECT_EQ(c.listed, Listed(run)) << c.name << "\n" << run.transcript;
  }
}

TEST_F(DetailScreenTest, FractionsAndTheTransactionLookUp) {
  // Field 16 "Fraction": C1's 18 in dozens is 1 6/12.
  const Run fractions = Screen("Down Down Down Down Down Space F10 Esc", "FRAN");
  const PreviewReport p = ReadPreview(fractions.transcript, "Product Transaction Activity");
  EXPECT_TRUE(p.Contains("Units in Fractions")) << fractions.transcript;
  const Detail d = DetailOf(p);
  const Detail::Item* clamp = d.Find("C1");
  ASSERT_NE(nullptr, clamp) << fractions.transcript;
  ASSERT_EQ(1u, clamp->lines.size());
  EXPECT_EQ("1 6/12", p.Cell(clamp->lines[0].index, kQuantityX, 12));

  // F5 on the from date: the transactions by number, the first (11) taken.
  const Run looked = Screen("Down Down Down F5 Enter F10 Esc", "LOOK");
  EXPECT_NE(std::string::npos, looked.transcript.find("Inventory Transactions")) << looked.transcript;
  EXPECT_EQ((std::vector<std::string>{"A1", " 06/01/23", "B1", "C1", " 02/10/24", "D1", " 01/01/26"}),
            Listed(looked))
      << looked.transcript;
  EXPECT_NE(std::string::npos, looked.transcript.find("Range by Transaction Date From 06/01/23 To LAST"));
}

TEST_F(DetailScreenTest, EachUsersLastSelectionComesBackAndShiftF9BringsTheDefaults) {
  // Sort by bin (fourth choice), "No" in field 17.
  const Run first = Screen("Space Space Space Down Down Down Down Down Down Space F10 Esc", "ANNE");
  ASSERT_TRUE(ReadPreview(first.transcript, "Product Transaction Activity").shown) << first.transcript;
  EXPECT_NE(std::string::npos, StartScreen(Screen("Esc", "BOB")).find("Sort by Product Number"));
  const std::string anne = StartScreen(Screen("Esc", "ANNE"));
  EXPECT_NE(std::string::npos, anne.find("Sort by Bin")) << anne;
  // Esc after a change remembers nothing.
  Screen("Space Esc", "ANNE");
  EXPECT_NE(std::string::npos, StartScreen(Screen("Esc", "ANNE")).find("Sort by Bin"));
  // Shift+F9 puts back the defaults, whatever was remembered.
  const Run defaults = Screen("Shift+F9 F10 Esc", "ANNE");
  EXPECT_NE(std::string::npos, defaults.transcript.find("Sort by Product Number From FIRST To LAST"))
      << defaults.transcript;
}

// A screen whose fields cannot be made (a mask of its definition the screen
// library does not understand) runs nothing: no report on the defaults
// over the whole file.
TEST_F(DetailScreenTest, AScreenThatCannotBeMadeRunsNothing) {
  const Run run = WithFormChanged("form-359.txt", "mask=\"nn/nn/nn\" label=\"From\"", "mask=\"%-10q\" label=\"From\"",
                                  [&] { return Screen("F10 Esc", "ANNE"); });
  EXPECT_NE(std::string::npos, run.transcript.find("message box")) << "the reason is shown\n" << run.transcript;
  EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << run.transcript;
}

}  // namespace
}  // namespace producttest
