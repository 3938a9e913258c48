// The customer and vendor directory (commands 338 and 345) run through its
// entry, read back from the HTML file it writes (or from the transcript of
// a key script): every sort of the sample company with a range, the account
// lines, terms, addresses and alternate addresses, group subtotals that foot
// to the total, links, the saved run, and clean ends.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "listing_test_support.h"
#include "oemtext.h"
#include "qxabase/dictionary.h"
#include "records/masters.h"
#include "reports/arap/directory.h"
#include "qxtest/sample_company.h"

namespace listingtest {
namespace {

// Print columns of the account line.
constexpr int kNameX = 11, kPhoneX = 52, kDeptX = 67, kSalesX = 73, kTermsX = 79, kDiscX = 84, kDueX = 89,
              kTypeX = 99, kLimitX = 108, kBalanceX = 120;
// The count of the subtotal and total lines.
constexpr int kCountX = 32;

Json Customer(const std::string& code, const std::string& name, Json extra = Json::object()) {
  Json r{{"code", code},
         {"name", name},
         {"addressLines", Json::array({"12 Harbour Road", "Lakeside, WA 98370", ""})},
         {"phone1", "(360) 5550100"},
         {"glAccount", "1200"},
         {"accountType", "O"},
         {"creditLimit", 5000},
         {"balance", 100}};
  for (auto it = extra.begin(); it != extra.end(); ++it) r[it.key()] = it.value();
  return r;
}

Json Terms(const std::string& code, const std::string& type, const std::string& text, int discountDays,
           int dueDays) {
  return Json{{"code", code}, {"type", type}, {"termsText", text}, {"discountDays", discountDays}, {"dueDays", dueDays}};
}

Json AlternateAddress(const std::string& code, const std::string& first, const std::string& phone = "") {
  Json r{{"code", code}, {"addressLines", Json::array({first, "PO Box 410", "Kingsport, WA 98346", ""})}};
  if (!phone.empty()) r["phones"] = Json::array({phone});
  return r;
}

long long Cents(const std::string& cell) {
  double v = 0;
  if (std::sscanf(cell.c_str(), "%lf", &v) != 1) return -1;
  return std::llround(v * 100);
}

bool IsNumber(const std::string& cell) {
  double v = 0;
  char rest = 0;
  return !cell.empty() && std::sscanf(cell.c_str(), "%lf%c", &v, &rest) == 1;
}

// An account line: its code from the first print column, its balance a number.
bool IsAccountLine(const HtmlReport& r, int i) {
  const std::string& l = r.lines[static_cast<std::size_t>(i)];
  return !l.empty() && l[0] != ' ' && IsNumber(r.Cell(i, kBalanceX, 12));
}

std::vector<std::string> AccountOrder(const HtmlReport& r) {
  std::vector<std::string> codes;
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i)
    if (IsAccountLine(r, i)) codes.push_back(r.Cell(i, 0, 10));
  return codes;
}

// The accounts of each group add up to its subtotal line (count and
// balance), and all accounts to the total line.  Returns the subtotals'
// captions in order.
std::vector<std::string> ExpectFoots(const HtmlReport& r, const std::string& totalCaption) {
  std::vector<std::string> groups;
  long long groupCount = 0, groupCents = 0, count = 0, cents = 0;
  bool total = false;
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i) {
    if (IsAccountLine(r, i)) {
      ++groupCount;
      ++count;
      const long long c = Cents(r.Cell(i, kBalanceX, 12));
      groupCents += c;
      cents += c;
      continue;
    }
    const std::string caption = r.Cell(i, 1, 30);
    if (caption.rfind("Subtotal", 0) == 0) {
      groups.push_back(caption);
      EXPECT_EQ(std::to_string(groupCount), r.Cell(i, kCountX, 6)) << caption;
      EXPECT_EQ(groupCents, Cents(r.Cell(i, kBalanceX, 12))) << caption;
      groupCount = groupCents = 0;
    }
    if (caption == totalCaption) {
      total = true;
      EXPECT_EQ(std::to_string(count), r.Cell(i, kCountX, 6)) << "accounts of the total";
      EXPECT_EQ(cents, Cents(r.Cell(i, kBalanceX, 12))) << "balance of the total";
    }
  }
  EXPECT_TRUE(total) << "no line \"" << totalCaption << "\"";
  return groups;
}

class DirectoryTest : public ListingTest {
 protected:
  DirectoryTest() : ListingTest(338) {}

  HtmlReport RunReport(int command, const std::string& params, Run* run = nullptr, const std::string& keys = "") {
    return RunToFile(params, [command](const char* text) { return RunCustVendDirectory(command, text); }, run, keys);
  }

  // The sample company in place of the fixture.
  fixture::CompanyImage LoadSampleCompany() {
    const fixture::CompanyImage image = qxtest::SampleCompany(Today());
    WriteImage(image);
    return image;
  }
};

// --- The sample company ---------------------------------------------------------------------

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  std::string s(field, strnlen(field, N));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

struct SortCase {
  int command;
  const char* caption;
  std::string (*value)(const records::CustVendRecord&);
  bool grouped;
};

const SortCase kSortCases[] = {
    {338, "Customer Code", [](const records::CustVendRecord& r) { return Text(r.code); }, false},
    {338, "Customer Name", [](const records::CustVendRecord& r) { return Text(r.name); }, false},
    {338, "G/L Department", [](const records::CustVendRecord& r) { return Text(r.department); }, true},
    {338, "Salesperson", [](const records::CustVendRecord& r) { return Text(r.salesperson); }, true},
    {338, "Zip Code", [](const records::CustVendRecord& r) { return Text(r.zipCode); }, true},
    {338, "Account", [](const records::CustVendRecord& r) { return Text(r.glAccount); }, true},
    {345, "Vendor Code", [](const records::CustVendRecord& r) { return Text(r.code); }, false},
    {345, "Vendor Name", [](const records::CustVendRecord& r) { return Text(r.name); }, false},
    {345, "Territory", [](const records::CustVendRecord& r) { return Text(r.territory); }, true},
    {345, "Vendor Type", [](const records::CustVendRecord& r) { return Text(r.vendorType); }, true},
    {345, "Zip Code", [](const records::CustVendRecord& r) { return Text(r.zipCode); }, true},
    {345, "Account", [](const records::CustVendRecord& r) { return Text(r.glAccount); }, true},
};

void PrintTo(const SortCase& c, std::ostream* os) { *os << c.command << " by " << c.caption; }

class SampleSorts : public DirectoryTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(SampleSorts, EverySortListsItsRangeInOrderWithGroupsThatFoot) {
  const SortCase& c = GetParam();
  const fixture::CompanyImage image = LoadSampleCompany();
  const int file = c.command == 338 ? records::kFileCustomers : records::kFileVendors;
  std::vector<records::CustVendRecord> accounts;
  for (const auto& bytes : image.files.at(file)) {
    records::CustVendRecord r{};
    std::memcpy(&r, bytes.data(), std::min(bytes.size(), sizeof r));
    accounts.push_back(r);
  }
  ASSERT_GE(accounts.size(), 3u);
  // The range: from the second value to the one before the last, when the
  // company holds enough different ones; else open.
  std::vector<std::string> values;
  for (const auto& r : accounts) values.push_back(c.value(r));
  auto less = [](const std::string& a, const std::string& b) { return oem::CompareText(a, b) < 0; };
  std::sort(values.begin(), values.end(), less);
  values.erase(std::unique(values.begin(), values.end(),
                           [](const std::string& a, const std::string& b) { return oem::CompareText(a, b) == 0; }),
               values.end());
  std::string from, to;
  if (values.size() >= 4) {
    from = values[1];
    to = values[values.size() - 2];
  }
  std::vector<const records::CustVendRecord*> expected;
  for (const auto& r : accounts) {
    const std::string v = c.value(r);
    if (!from.empty() && (oem::CompareText(v, from) < 0 || oem::CompareText(v, to) > 0)) continue;
    expected.push_back(&r);
  }
  std::stable_sort(expected.begin(), expected.end(), [&](const auto* a, const auto* b) {
    const int byValue = oem::CompareText(c.value(*a), c.value(*b));
    return byValue != 0 ? byValue < 0 : oem::CompareText(Text(a->code), Text(b->code)) < 0;
  });
  std::vector<std::string> expectedCodes;
  for (const auto* r : expected) expectedCodes.push_back(Text(r->code));

  auto quoted = [](std::string s) {
    for (std::size_t at = s.find('\''); at != std::string::npos; at = s.find('\'', at + 2)) s.insert(at, "'");
    return s;
  };
  const std::string params = std::string("input='default' sortfld='") + c.caption + "' sortfrom='" + quoted(from) +
                             "' sortto='" + quoted(to) + "'";
  Run run;
  const HtmlReport r = RunReport(c.command, params, &run);
  ASSERT_FALSE(r.Empty()) << params << "\n" << run.transcript;
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_EQ(expectedCodes, AccountOrder(r)) << params;
  EXPECT_TRUE(r.Contains(std::string("Sorted by: ") + c.caption));
  const std::vector<std::string> groups = ExpectFoots(r, c.command == 338 ? "Total Customers:" : "Total Vendors:");
  if (c.grouped) {
    std::vector<std::string> distinct;
    for (const auto* a : expected)
      if (distinct.empty() || oem::CompareText(distinct.back(), c.value(*a)) != 0) distinct.push_back(c.value(*a));
    EXPECT_EQ(distinct.size(), groups.size()) << "one subtotal per group";
  } else {
    EXPECT_TRUE(groups.empty()) << "codes and names give no groups";
  }
}

INSTANTIATE_TEST_SUITE_P(Directory, SampleSorts, ::testing::ValuesIn(kSortCases), [](const auto& info) {
  std::string n = std::to_string(info.param.command) + "_" + info.param.caption;
  for (char& ch : n)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
});

// --- Account lines ------------------------------------------------------------------------

TEST_F(DirectoryTest, AnAccountShowsItsTermsAddressPhonesAndContact) {
  Add("terms", Terms("2N30", "N", "2%", 10, 30));
  Add("customers", Customer("C100", "Acme Supply",
                            Json{{"termsCode", "2N30"},
                                 {"department", "EAST"},
                                 {"salesperson", "JM"},
                                 {"addressLines", Json::array({"", "12 Harbour Road", "Lakeside, WA 98370"})},
                                 {"phone2", "(360) 5550101"},
                                 {"fax", "(360) 5550199"},
                                 {"contact", "Dana Whitfield"},
                                 {"creditLimit", 7500},
                                 {"balance", 1234.5}}));
  const HtmlReport r = RunReport(338, "input='default'");
  const int i = FindLine(r, "C100");
  ASSERT_GE(i, 0);
  EXPECT_EQ("Acme Supply", r.Cell(i, kNameX, 40));
  EXPECT_EQ("(360) 5550100", r.Cell(i, kPhoneX, 14));
  EXPECT_EQ("EAST", r.Cell(i, kDeptX, 5));
  EXPECT_EQ("JM", r.Cell(i, kSalesX, 5));
  EXPECT_EQ("2%", r.Cell(i, kTermsX, 4));
  EXPECT_EQ("10", r.Cell(i, kDiscX, 4));
  EXPECT_EQ("30", r.Cell(i, kDueX, 8));
  EXPECT_EQ("Open", r.Cell(i, kTypeX, 7));
  EXPECT_EQ("7500.00", r.Cell(i, kLimitX, 11));
  EXPECT_EQ("1234.50", r.Cell(i, kBalanceX, 12));
  // Under it: the G/L account with the address (its blank line left out)
  // and the second phone; the fax; the contact.
  EXPECT_EQ("1200", r.Cell(i + 1, 0, 10));
  EXPECT_EQ("12 Harbour Road", r.Cell(i + 1, kNameX, 40));
  EXPECT_EQ("(360) 5550101", r.Cell(i + 1, kPhoneX, 14));
  EXPECT_EQ("Lakeside, WA 98370", r.Cell(i + 2, kNameX, 40));
  EXPECT_EQ("(360) 5550199", r.Cell(i + 2, kPhoneX, 14));
  EXPECT_EQ("Dana Whitfield", r.Cell(i + 3, kNameX, 40));
  EXPECT_EQ("", r.lines[static_cast<std::size_t>(i + 4)]) << "an empty line after the account";
  EXPECT_TRUE(r.Contains("Customer Directory"));
  EXPECT_GE(FindLine(r, "Account", "Name/Contact/Address"), 0) << "the column headings";
}

TEST_F(DirectoryTest, TermsDaysOfNinetyNineShowLastOnlyUnderDayTerms) {
  const struct {
    const char* code;
    Json terms;  // null: no terms record on file
    const char* discount;
    const char* due;
  } cases[] = {
      {"C100", Terms("EOM", "D", "", 99, 99), "Last", "Last"},
      {"C200", Terms("N99", "N", "", 99, 99), "99", "99"},
      {"C300", Terms("D10", "D", "1%", 10, 99), "10", "Last"},
      {"C400", nullptr, "", ""},
  };
  for (const auto& c : cases) {
    const std::string terms = c.terms.is_null() ? std::string("GONE") : c.terms["code"].get<std::string>();
    if (!c.terms.is_null()) Add("terms", c.terms);
    Add("customers", Customer(c.code, std::string("Customer ") + c.code, Json{{"termsCode", terms}}));
  }
  const HtmlReport r = RunReport(338, "input='default'");
  for (const auto& c : cases) {
    const int i = FindLine(r, c.code);
    ASSERT_GE(i, 0) << c.code;
    EXPECT_EQ(c.discount, r.Cell(i, kDiscX, 4)) << c.code;
    EXPECT_EQ(c.due, r.Cell(i, kDueX, 8)) << c.code;
  }
}

TEST_F(DirectoryTest, TheAccountTypeIsTheOneTheLedgerKeeps) {
  // An account typed neither balance forward nor cash is kept as an
  // open-item account, whatever letter it holds.
  const std::pair<const char*, const char*> cases[] = {
      {"O", "Open"}, {"B", "Bal Fwd"}, {"C", "Cash"}, {"", "Open"}, {"X", "Open"}};
  int n = 0;
  for (const auto& [type, text] : cases)
    Add("customers", Customer("C" + std::to_string(++n), "Customer", Json{{"accountType", type}}));
  const HtmlReport r = RunReport(338, "input='default'");
  n = 0;
  for (const auto& [type, text] : cases) {
    const std::string code = "C" + std::to_string(++n);
    EXPECT_EQ(text, r.Cell(FindLine(r, code), kTypeX, 7)) << "type '" << type << "'";
  }
}

// --- Groups ------------------------------------------------------------------------------------

TEST_F(DirectoryTest, AVendorDirectoryByTerritoryHasASubtotalPerTerritory) {
  const struct {
    const char* code;
    const char* territory;
    double balance;
  } vendors[] = {{"V100", "NORTH", 100}, {"V200", "south", 250.25}, {"V300", "NORTH", 50}, {"V400", "WEST", 10},
                 {"V500", "SOUTH", 4.75}, {"V600", "", 1}};
  for (const auto& v : vendors)
    Add("vendors", Customer(v.code, std::string("Vendor ") + v.code,
                            Json{{"territory", v.territory}, {"balance", v.balance}}));
  const HtmlReport r = RunReport(345, "input='default' sortfld='Territory'");
  ASSERT_FALSE(r.Empty());
  EXPECT_TRUE(r.Contains("Vendor Directory"));
  EXPECT_GE(FindLine(r, "Account", "Type"), 0);
  // Territories compare without regard to case: "south" and "SOUTH" are one.
  EXPECT_EQ((std::vector<std::string>{"V600", "V100", "V300", "V200", "V500", "V400"}), AccountOrder(r));
  const std::vector<std::string> groups = ExpectFoots(r, "Total Vendors:");
  EXPECT_EQ((std::vector<std::string>{"Subtotal (none):", "Subtotal NORTH:", "Subtotal south:", "Subtotal WEST:"}),
            groups);
  const int total = FindLine(r, "Total Vendors:");
  EXPECT_EQ("6", r.Cell(total, kCountX, 6));
  EXPECT_EQ("416.00", r.Cell(total, kBalanceX, 12));
}

TEST_F(DirectoryTest, ARankRangeThatLeavesAGroupEmptyNeverMergesItIntoTheNext) {
  Add("customers", Customer("C100", "One", Json{{"salesperson", "AR"}, {"balance", 10}}));
  Add("customers", Customer("C200", "Two", Json{{"salesperson", "AR"}, {"balance", 900}}));
  Add("customers", Customer("C300", "Three", Json{{"salesperson", "JM"}, {"balance", 20}}));
  Add("customers", Customer("C400", "Four", Json{{"salesperson", "KT"}, {"balance", 30}}));
  const HtmlReport r = RunReport(338, "input='default' sortfld='Salesperson' rankfld='Current Balance' rankto='100'");
  EXPECT_EQ((std::vector<std::string>{"C100", "C300", "C400"}), AccountOrder(r));
  EXPECT_EQ((std::vector<std::string>{"Subtotal AR:", "Subtotal JM:", "Subtotal KT:"}),
            ExpectFoots(r, "Total Customers:"));
}

TEST_F(DirectoryTest, ZipCodesOfNineDigitsShowTheirTwoParts) {
  Add("customers", Customer("C100", "One", Json{{"zipCode", "983701234"}}));
  Add("customers", Customer("C200", "Two", Json{{"zipCode", "98371"}}));
  const HtmlReport r = RunReport(338, "input='default' sortfld='Zip Code'");
  EXPECT_EQ((std::vector<std::string>{"Subtotal 98370-1234:", "Subtotal 98371:"}), ExpectFoots(r, "Total Customers:"));
}

// --- Alternate addresses ------------------------------------------------------------------

TEST_F(DirectoryTest, AlternateAddressesFollowTheirAccountAndNeverSplitOverAPage) {
  // Enough accounts with three alternate addresses each to fill pages.
  for (int n = 10; n < 40; ++n) {
    const std::string code = "C" + std::to_string(n);
    Add("customers", Customer(code, "Customer " + code));
    for (const char* place : {"Receiving dock", "Billing office", "Warehouse"})
      Add("customer_addresses", AlternateAddress(code, std::string(place) + " " + code, "(360) 5550" + std::to_string(n)));
  }
  Add("vendor_addresses", AlternateAddress("C10", "A vendor's address, not a customer's"));
  const HtmlReport r = RunReport(338, "input='default'");
  ASSERT_FALSE(r.Empty());
  EXPECT_FALSE(r.Contains("not a customer's"));
  // Each account's own three, after its lines and before the next account.
  for (int n = 10; n < 40; ++n) {
    const std::string code = "C" + std::to_string(n);
    const int account = FindLine(r, code, "Customer " + code);
    const int next = n + 1 < 40 ? FindLine(r, "C" + std::to_string(n + 1), "Customer") : static_cast<int>(r.lines.size());
    ASSERT_GE(account, 0) << code;
    for (const char* place : {"Receiving dock", "Billing office", "Warehouse"}) {
      const int line = FindLine(r, std::string(place) + " " + code);
      EXPECT_TRUE(line > account && line < next) << place << " of " << code;
    }
    const int dock = FindLine(r, std::string("Receiving dock ") + code);
    EXPECT_EQ("(360) 5550" + std::to_string(n), r.Cell(dock, kPhoneX, 14)) << "the phone beside the first line";
  }
  // Every page starts with the heading, and each alternate address stands
  // whole on one page: its caption, its lines, then an empty line.
  const auto pages = Pages(r);
  ASSERT_GT(pages.size(), 2u);
  for (std::size_t p = 0; p < pages.size(); ++p) {
    const auto& lines = pages[p];
    const auto title = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return !l.empty(); });
    ASSERT_NE(title, lines.end());
    EXPECT_NE(std::string::npos, title->find("Customer Directory")) << "page " << p + 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].find("Alternate Address") == std::string::npos) continue;
      ASSERT_LT(i + 4, lines.size()) << "an alternate address split at the end of page " << p + 1;
      EXPECT_NE(std::string::npos, lines[i + 3].find("Kingsport")) << "page " << p + 1;
      EXPECT_EQ("", lines[i + 4]) << "page " << p + 1;
    }
  }
}

// --- Links and the saved run -----------------------------------------------------------------

TEST_F(DirectoryTest, AccountsLinkToTheirScreensHistoryAgingAndAccount) {
  Add("customers", Customer("C100", "Acme Supply", Json{{"glAccount", "1210"}}));
  Add("vendors", Customer("V100", "Cedar Mills", Json{{"glAccount", "2010"}}));
  struct Expected {
    int command, kind;
    const char* params;
  };
  const struct {
    int menu;
    const char* code;
    std::vector<Expected> account;  // code, name, balance
    Expected gl;
  } cases[] = {
      {338, "C100",
       {{121, 1, "cdno='C100'"}, {329, 2, "cdno='C100'"}, {337, 2, "input='default' cvbeg='C100' cvend='C100'"}},
       {120, 1, "cdno='1210'"}},
      {345, "V100",
       {{122, 1, "cdno='V100'"}, {122, 1, "cdno='V100'"}, {344, 2, "input='default' cvbeg='V100' cvend='V100'"}},
       {120, 1, "cdno='2010'"}},
  };
  for (const auto& c : cases) {
    const HtmlReport r = RunReport(c.menu, "input='default'");
    const int i = FindLine(r, c.code);
    const std::vector<HtmlReport::Link> links = r.LinksOn(i);
    ASSERT_EQ(c.account.size(), links.size()) << c.code;
    for (std::size_t k = 0; k < links.size(); ++k) {
      EXPECT_EQ(c.account[k].command, links[k].command) << c.code << " link " << k;
      EXPECT_EQ(c.account[k].kind, links[k].kind) << c.code << " link " << k;
      EXPECT_EQ(c.account[k].params, links[k].params) << c.code << " link " << k;
    }
    const std::vector<HtmlReport::Link> gl = r.LinksOn(i + 1);
    ASSERT_EQ(1u, gl.size()) << c.code;
    EXPECT_EQ(c.gl.command, gl[0].command);
    EXPECT_EQ(c.gl.params, gl[0].params);
    EXPECT_EQ(c.menu, r.savedRun.command);
  }
}

TEST_F(DirectoryTest, TheSavedRunRunsTheReportAgainIdentically) {
  const std::pair<const char*, const char*> names[] = {
      {"C100", "Zephyr Tools"}, {"C200", "O'Brien Hardware"}, {"C300", "baker & sons"}, {"C400", "O'Connor Paints"}};
  for (const auto& [code, name] : names) Add("customers", Customer(code, name, Json{{"salesperson", "JM"}}));
  const std::string params =
      "input='default' sortfld='Customer Name' sortfrom='b' sortto='O''Connor Paints' rankfld='Current Balance' "
      "rankfrom='50'";
  const HtmlReport html = RunReport(338, params);
  EXPECT_EQ(338, html.savedRun.command);
  EXPECT_EQ(2, html.savedRun.kind);
  EXPECT_EQ("input='usersel' sortfld='Customer Name' sortfrom='b' sortto='O''Connor Paints' "
            "rankfld='Current Balance' rankfrom='50' rankto=''",
            html.savedRun.params);

  // The preview's "Run again" (F6) runs the saved run through the command
  // routing, as a user does; both reports go to the transcript.
  const Run run = RunScripted("F6 Esc Esc", [&] { return RunCustVendDirectory(338, params.c_str()); });
  const std::vector<std::string> reports = PreviewedReports(run.transcript, "Customer/Vendor Directory");
  ASSERT_EQ(2u, reports.size()) << run.transcript;
  EXPECT_EQ(reports[0], reports[1]);
  EXPECT_NE(std::string::npos, reports[0].find("O'Connor Paints"));
  EXPECT_EQ(std::string::npos, reports[0].find("Zephyr"));
}

// --- The screen ---------------------------------------------------------------------------------

TEST_F(DirectoryTest, TheScreenAsksOnlyForTheRangesAndRemembersThemPerReport) {
  Add("customers", Customer("C100", "Acme Supply"));
  Add("customers", Customer("C200", "Birch Traders"));
  Add("customers", Customer("C300", "Quarry Inc"));
  // Sort by name (Space on field 1), names from "B" to "P", run, close the preview.
  const Run run = RunScripted("Space Down \"B\" Down \"P\" F10 Esc",
                              [&] { return RunCustVendDirectory(338, nullptr); });
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("Birch Traders"));
  EXPECT_EQ(std::string::npos, run.transcript.find("Acme Supply")) << "the name range was applied";
  EXPECT_EQ(std::string::npos, run.transcript.find("Aging")) << "the directory asks nothing of aging";
  // Its window keeps its 13 rows: no room is kept for fields it does not show.
  std::istringstream screen(run.transcript.substr(0, run.transcript.find("--- end of screen ---")));
  int top = -1, bottom = -1, row = 0;
  for (std::string line; std::getline(screen, line); ++row) {
    if (top < 0 && line.find("\u250c") != std::string::npos) top = row;
    if (line.find("\u2514") != std::string::npos) bottom = row;
  }
  EXPECT_EQ(13, bottom - top + 1) << run.transcript;

  const Run again = RunScripted("Esc", [&] { return RunCustVendDirectory(338, nullptr); });
  EXPECT_NE(std::string::npos, again.transcript.find("Sort by Customer Name")) << again.transcript;
  EXPECT_EQ(std::string::npos, again.transcript.find("preview:")) << "Esc runs no report";
  const Run vendors = RunScripted("Esc", [&] { return RunCustVendDirectory(345, nullptr); });
  EXPECT_NE(std::string::npos, vendors.transcript.find("Sort by Vendor Code")) << vendors.transcript;
}

// --- Clean ends ------------------------------------------------------------------------------------

// No temporary index is left on any handle, and the company's files are
// closed: a record file that a handle holds cannot be renamed.
void ExpectEverythingReleased() {
  for (BtrvHandle h = 1; h < 512; ++h) EXPECT_EQ(-1, TempIndexKey(h)) << "an index is left on handle " << h;
  ExpectFilesClosed({records::kFileCustomers, records::kFileCustomerAddresses, records::kFileTerms,
                     records::kFileSalespersons});
}

void AddNamedCustomers(qxtest::CompanyTest* t) {
  for (int n = 100; n < 130; ++n)
    t->Add("customers", Customer("C" + std::to_string(n), "Customer " + std::to_string(n),
                                 Json{{"salesperson", n % 2 ? "AR" : "JM"}, {"balance", n}}));
}

TEST_F(DirectoryTest, NothingSelectedIsToldOnceAndWritesNoFile) {
  AddNamedCustomers(this);
  const char* cases[] = {
      "input='default' sortfld='Customer Code' sortfrom='D'",               // past every code
      "input='default' rankfld='Current Balance' rankfrom='5000'",          // every account read, none kept
      "input='default' sortfld='Salesperson' sortfrom='ZZ' sortto='ZZZ'",  // through the sort index
  };
  for (const char* params : cases) {
    Run run;
    const HtmlReport r = RunReport(338, params, &run);
    EXPECT_TRUE(r.Empty()) << params;
    EXPECT_EQ(std::vector<int>{197}, run.messages) << params;
  }
  ExpectEverythingReleased();
}

TEST_F(DirectoryTest, AUserBreakEndsTheRunCleanly) {
  AddNamedCustomers(this);
  Run run;
  const HtmlReport r = RunReport(338, "input='default' sortfld='Salesperson'", &run, "Break");
  EXPECT_EQ(0, run.result);
  ASSERT_FALSE(r.Empty()) << "what was printed is delivered";
  EXPECT_TRUE(r.Contains("Report stopped by the user"));
  EXPECT_FALSE(r.Contains("Total Customers:"));
  ExpectEverythingReleased();
}

TEST_F(DirectoryTest, ARecordManagerErrorEndsTheRunCleanly) {
  AddNamedCustomers(this);
  const struct {
    const char* spec;
    const char* file;  // named by the error box
  } cases[] = {{"fail=6:customers:4:2", "customers"}, {"fail=9:customer_addresses:3:2", "customer_addresses"}};
  for (const auto& c : cases) {
    ASSERT_EQ(0, BtrvTestSwitch(c.spec));
    Run run;
    const HtmlReport r = RunReport(338, "input='default' sortfld='Salesperson'", &run);
    BtrvTestSwitch("");
    EXPECT_EQ(0, run.result) << c.spec;
    EXPECT_TRUE(r.Empty()) << c.spec << ": no file that looks like a finished report";
    EXPECT_NE(std::string::npos, run.transcript.find(c.file)) << run.transcript;
    ExpectEverythingReleased();
  }
}

TEST_F(DirectoryTest, ARecordManagerErrorInThePreviewShowsWhatWasPrintedAsIncomplete) {
  AddNamedCustomers(this);
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:customers:4:2"));
  const Run run = RunScripted("Esc", [] { return RunCustVendDirectory(338, "input='default' sortfld='Salesperson'"); });
  BtrvTestSwitch("");
  const std::vector<std::string> reports = PreviewedReports(run.transcript, "Customer/Vendor Directory");
  ASSERT_EQ(1u, reports.size()) << run.transcript;
  EXPECT_NE(std::string::npos, reports[0].find("*** The report is incomplete")) << reports[0];
  EXPECT_EQ(std::string::npos, reports[0].find("Total Customers:")) << "no total of a walk cut short";
  ExpectEverythingReleased();
}

TEST_F(DirectoryTest, AParameterStringThatCannotBeReadRunsNothing) {
  AddNamedCustomers(this);
  const struct {
    const char* params;
    int message;
  } cases[] = {
      {"input='default' sortfld='Shoe Size'", 2001},
      {"input='default' sortfld='Territory'", 2001},  // a vendor field
      {"input='screen' colour='red'", 2001},
      {"input='default' rankfld='Last Sales Date' rankfrom='02/30/25'", 2001},
      {"input='default' sortfrom='Z' sortto='A'", 205},
  };
  for (const auto& c : cases) {
    Run run;
    const HtmlReport r = RunReport(338, c.params, &run);
    EXPECT_TRUE(r.Empty()) << c.params;
    EXPECT_EQ(std::vector<int>{c.message}, run.messages) << c.params;
  }
}

}  // namespace
}  // namespace listingtest
