// The purge of files (command 390), driven by key scripts over companies
// built by the fixture loader: what each kind removes and keeps, that no
// balance moves, the masters with their user-defined data, pictures and
// note files, the promotions, the empty notes, the screen's refusals, and
// the books after a failure or a kill (nothing half removed).
//
// Today is 03/15/25 in every run; the screen's window starts as March 2025
// (03/01/25 - 03/31/25), the period of today.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/purge_files.h"
#include "qxabase/app_block.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"
#include "qxtest/killed_run.h"
#include "qxtest/sample_company.h"
#include "qxtest/transcript.h"
#include "records/dictionary.h"

namespace {

using fixture::Json;
namespace fs = std::filesystem;

constexpr int kCommand = 390;
constexpr int kMsgComplete = 1263;
constexpr int kMsgNothing = 197;

// The text of a field of a dumped record ("" when the dump left it out).
std::string Field(const Json& record, const char* name) {
  if (!record.contains(name)) return "";
  const Json& v = record[name];
  return v.is_string() ? v.get<std::string>() : v.dump();
}

class PurgeFilesTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/twelve_periods.json");
    SharedAppBlockGet()->currentCommand = kCommand;
  }

  Run Purge(const std::string& keys) {
    return RunScripted(keys, [] { return RunPurgeFiles(); });
  }

  // The records of file `name` as the dumper names their fields.
  std::vector<Json> Records(const char* name) {
    const records::FileDef* file = fixture::FileByNameOrNumber(name);
    const Json dump = fixture::DumpCompany(Snapshot({file->number}));
    std::vector<Json> out;
    if (dump["files"].contains(name)) {
      for (const Json& r : dump["files"][name]) out.push_back(r);
    }
    return out;
  }

  // The values of field `field` of the records of file `name`, sorted.
  std::vector<std::string> Names(const char* name, const char* field) {
    std::vector<std::string> out;
    for (const Json& r : Records(name)) out.push_back(Field(r, field));
    std::sort(out.begin(), out.end());
    return out;
  }
};

// ---- Transactions in a window of dates -----------------------------------------------------------

// A kind walked by date, as its records are made in the fixture.
struct WindowKind {
  const char* name;
  const char* keys;  // choose it in field 1
  const char* headers;
  const char* lines;  // null: the kind has none
  const char* number;  // the field that names a header and its lines
  bool hasRule;        // false: every record of the window goes
  Json (*header)(const std::string& number, const std::string& date, bool qualifies);
  Json (*line)(const std::string& number, int sequence);
};

const WindowKind kWindowKinds[] = {
    {"general ledger", "", "gl_headers", "gl_lines", "transactionNumber", true,
     [](const std::string& n, const std::string& d, bool q) {
       return Json{{"journalCode", "GJ"}, {"transactionNumber", n}, {"date", d}, {"postedFlag", q ? "Y" : "N"}};
     },
     [](const std::string& n, int s) {
       return Json{{"journalCode", "GJ"}, {"transactionNumber", n}, {"lineNumber", s}, {"account", "1010"},
                   {"side", s ? "C" : "D"}, {"amount", 12.5}};
     }},
    {"receivables", R"("R")", "ar_headers", "ar_details", "transactionNumber", true,
     [](const std::string& n, const std::string& d, bool q) {
       return Json{{"transactionNumber", n}, {"custVendCode", "ACME"}, {"date", d}, {"postedFlag", q ? "Y" : "N"}};
     },
     [](const std::string& n, int s) {
       return Json{{"ledgerCode", "AR"}, {"transactionNumber", n}, {"account", s ? "4000" : "1100"}, {"amount", 5.0}};
     }},
    {"payables", R"("Y")", "ap_headers", "ap_details", "transactionNumber", true,
     [](const std::string& n, const std::string& d, bool q) {
       return Json{{"transactionNumber", n}, {"custVendCode", "SUPPLY"}, {"date", d}, {"postedFlag", q ? "Y" : "N"}};
     },
     [](const std::string& n, int s) {
       return Json{{"ledgerCode", "AP"}, {"transactionNumber", n}, {"account", s ? "2000" : "5000"}, {"amount", 5.0}};
     }},
    {"cash", R"("C")", "cash_headers", "cash_lines", "transactionNumber", true,
     [](const std::string& n, const std::string& d, bool q) {
       return Json{{"journalCode", "CR"}, {"transactionNumber", n}, {"date", d}, {"postedFlag", q ? "Y" : "N"}};
     },
     [](const std::string& n, int s) {
       return Json{{"journalCode", "CR"}, {"transactionNumber", n}, {"invoiceNumber", std::to_string(s)},
                   {"amount", 7.0}};
     }},
    {"purchase orders", R"("H")", "order_headers", "order_lines", "transactionNumber", true,
     [](const std::string& n, const std::string& d, bool q) {
       return Json{{"typeLetter", "O"}, {"transactionNumber", n}, {"keyPart", 1}, {"date", d},
                   {"closedFlag", q ? "Y" : "N"}};
     },
     // A line still waiting for receipts: it holds an open order back.
     [](const std::string& n, int s) {
       return Json{{"typeLetter", "O"}, {"transactionNumber", n}, {"keyPart", 1}, {"sequence", s},
                   {"receiptLink", 100 + s}, {"secondQuantity", 10.0}, {"quantity", 4.0}};
     }},
    {"purchasing", R"("U")", "purchasing_headers", "purchasing_lines", "transactionNumber", true,
     [](const std::string& n, const std::string& d, bool q) {
       return Json{{"typeLetter", "I"}, {"transactionNumber", n}, {"keyPart", 1}, {"date", d},
                   {"postedFlag", q ? "Y" : "N"}, {"closedFlag", "N"}};
     },
     [](const std::string& n, int s) {
       return Json{{"typeLetter", "I"}, {"transactionNumber", n}, {"keyPart", 1}, {"sequence", s}};
     }},
    {"billing", R"("B")", "billing_headers", "billing_lines", "transactionNumber", true,
     [](const std::string& n, const std::string& d, bool q) {
       return Json{{"typeLetter", "I"}, {"transactionNumber", n}, {"keyPart", 1}, {"date", d},
                   {"postedFlag", q ? "Y" : "N"}, {"closedFlag", "N"}};
     },
     [](const std::string& n, int s) {
       return Json{{"typeLetter", "I"}, {"transactionNumber", n}, {"keyPart", 1}, {"sequence", s}};
     }},
    {"sales analysis", R"("L")", "sales_history", nullptr, "transactionNumber", false,
     [](const std::string& n, const std::string& d, bool) {
       return Json{{"typeLetter", "I"}, {"transactionNumber", n}, {"sequence", 1}, {"date", d}};
     },
     nullptr},
    {"serial numbers", R"("N")", "serial_numbers", "serial_movements", "serialNumber", true,
     [](const std::string& n, const std::string& d, bool q) {
       return Json{{"productCode", "SCANNER"}, {"serialNumber", n}, {"inStock", q ? "N" : "Y"}, {"date", d}};
     },
     [](const std::string& n, int s) {
       return Json{{"productCode", "SCANNER"}, {"serialNumber", n}, {"date", s ? "2025-01-02" : "2025-01-01"},
                   {"movement", s ? "S" : "R"}};
     }},
    {"assembly", R"("A")", "assembly_headers", "assembly_components", "transactionNumber", true,
     [](const std::string& n, const std::string& d, bool q) {
       return Json{{"transactionNumber", n}, {"productCode", "KIT"}, {"date", d}, {"postedFlag", q ? "Y" : "N"}};
     },
     [](const std::string& n, int s) {
       return Json{{"transactionNumber", n}, {"componentCode", s ? "BOLT" : "NUT"}};
     }},
    {"customer history", R"("T")", "customer_history", "customer_history_details", "documentNumber", false,
     [](const std::string& n, const std::string& d, bool) {
       return Json{{"code", "ACME"}, {"documentNumber", n}, {"date", d}, {"amount", 100.0}};
     },
     [](const std::string& n, int s) { return Json{{"code", "ACME"}, {"documentNumber", n}, {"lineNumber", s}}; }},
    {"vendor history", R"("V")", "vendor_history", "vendor_history_details", "documentNumber", false,
     [](const std::string& n, const std::string& d, bool) {
       return Json{{"code", "SUPPLY"}, {"documentNumber", n}, {"date", d}, {"amount", 100.0}};
     },
     [](const std::string& n, int s) {
       return Json{{"code", "SUPPLY"}, {"documentNumber", n}, {"lineNumber", s}};
     }},
    {"quotes", R"("Q")", "quote_headers", "quote_lines", "transactionNumber", false,
     [](const std::string& n, const std::string& d, bool) {
       return Json{{"typeLetter", "Q"}, {"transactionNumber", n}, {"keyPart", 1}, {"date", d}};
     },
     [](const std::string& n, int s) {
       return Json{{"typeLetter", "Q"}, {"transactionNumber", n}, {"keyPart", 1}, {"sequence", s}};
     }},
};

// A header of the test: its name, its date and whether it qualifies.
struct Dated {
  const char* number;
  const char* date;
  bool qualifies;
  bool stays;
};
const Dated kDated[] = {
    {"B", "2025-02-28", true, true},    // before From
    {"F", "2025-03-01", true, false},   // on From
    {"N", "2025-03-10", false, true},   // inside, not qualifying
    {"I1", "2025-03-15", true, false},  // three qualifying in a row
    {"I2", "2025-03-15", true, false},
    {"I3", "2025-03-16", true, false},
    {"T", "2025-03-31", true, false},   // on Through
    {"A", "2025-04-01", true, true},    // after Through
};

// For each kind walked by date, only the qualifying headers of the window
// go, each with all its lines; the others stay whole.
TEST_F(PurgeFilesTest, WindowKindsRemoveWhatQualifiesInsideTheWindow) {
  for (const WindowKind& k : kWindowKinds) {
    SCOPED_TRACE(k.name);
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/twelve_periods.json");
    std::vector<std::string> stay, stayLines;
    for (const Dated& d : kDated) {
      if (!k.hasRule && !d.qualifies) continue;
      Add(k.headers, k.header(d.number, d.date, d.qualifies));
      for (int s = 0; k.line && s < 2; ++s) Add(k.lines, k.line(d.number, s));
      if (!d.stays) continue;
      stay.push_back(d.number);
      if (k.line) stayLines.insert(stayLines.end(), 2, d.number);
    }
    std::sort(stay.begin(), stay.end());
    std::sort(stayLines.begin(), stayLines.end());
    const Run run = Purge(std::string(k.keys) + " F10 Enter Esc");
    EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
    EXPECT_EQ(Names(k.headers, k.number), stay);
    if (k.lines) {
      EXPECT_EQ(Names(k.lines, k.number), stayLines);
    }
  }
}

// What counts as posted, kind by kind.
struct PostedCase {
  const char* name;
  const char* keys;
  const char* file;
  Json header;
  std::vector<Json> lines;
  const char* linesFile;
  bool goes;
};

TEST_F(PurgeFilesTest, WhatCountsAsPostedOrDone) {
  auto gl = [](const char* flag, const char* reference) {
    return Json{{"journalCode", "GJ"}, {"transactionNumber", "1"}, {"date", "2025-03-10"}, {"postedFlag", flag},
                {"reference", reference}};
  };
  auto bipo = [](const char* posted, const char* closed) {
    return Json{{"typeLetter", "I"}, {"transactionNumber", "1"}, {"keyPart", 1}, {"date", "2025-03-10"},
                {"postedFlag", posted}, {"closedFlag", closed}};
  };
  auto order = [&](const char* closed) {
    Json h = bipo("N", closed);
    h["typeLetter"] = "O";
    return h;
  };
  auto orderLine = [](int link, double ordered, double received) {
    return Json{{"typeLetter", "O"}, {"transactionNumber", "1"}, {"keyPart", 1}, {"sequence", 1},
                {"receiptLink", link}, {"secondQuantity", ordered}, {"quantity", received}};
  };
  const PostedCase cases[] = {
      {"G/L not posted", "", "gl_headers", gl("N", "Rent"), {}, nullptr, false},
      {"G/L deleted in entry", "", "gl_headers", gl("N", "DELETED"), {}, nullptr, true},
      {"G/L posted 'y'", "", "gl_headers", gl("y", "Rent"), {}, nullptr, true},
      {"receivables posted 'y'", R"("R")", "ar_headers",
       Json{{"transactionNumber", "1"}, {"date", "2025-03-10"}, {"postedFlag", "y"}}, {}, nullptr, true},
      {"billing posted 'y'", R"("B")", "billing_headers", bipo("y", "N"), {}, nullptr, false},
      {"billing posted 'Y'", R"("B")", "billing_headers", bipo("Y", "N"), {}, nullptr, true},
      {"billing closed", R"("B")", "billing_headers", bipo("N", "Y"), {}, nullptr, true},
      {"an order waiting for receipts", R"("H")", "order_headers", order("N"), {orderLine(7, 10, 4)},
       "order_lines", false},
      {"an order closed", R"("H")", "order_headers", order("Y"), {orderLine(7, 10, 4)}, "order_lines", true},
      {"an order line of nothing ordered", R"("H")", "order_headers", order("N"), {orderLine(7, 0, 0)},
       "order_lines", true},
      {"an order line received in full", R"("H")", "order_headers", order("N"), {orderLine(7, 10, 10)},
       "order_lines", true},
      {"an order line received beyond the order", R"("H")", "order_headers", order("N"), {orderLine(7, 10, 12)},
       "order_lines", true},
      {"an order line without a link", R"("H")", "order_headers", order("N"), {orderLine(0, 10, 4)},
       "order_lines", true},
      {"an order without lines", R"("H")", "order_headers", order("N"), {}, nullptr, true},
  };
  for (const PostedCase& c : cases) {
    SCOPED_TRACE(c.name);
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/twelve_periods.json");
    Add(c.file, c.header);
    for (const Json& l : c.lines) Add(c.linesFile, l);
    const Run run = Purge(std::string(c.keys) + " F10 Enter Esc");
    EXPECT_EQ(run.messages, std::vector<int>{c.goes ? kMsgComplete : kMsgNothing}) << run.transcript;
    EXPECT_EQ(Records(c.file).size(), c.goes ? 0u : 1u);
    if (c.linesFile) {
      EXPECT_EQ(Records(c.linesFile).size(), c.goes ? 0u : c.lines.size());
    }
  }
}

// The purchase orders of the sample company, stored as its purchasing side
// stores them: headers and lines under the order's own letter 'O'.  Order
// 7001 (HARDLINE, two lines) and 7002 (CLEANPRO, ten cases) are dated in
// the first half of March and nothing of them is received.  An order stays
// while a line still waits for goods; a received or closed order goes with
// every one of its lines; no line is ever left without its order.
TEST_F(PurgeFilesTest, SamplePurchaseOrdersStayWhileWaitingAndGoWithTheirLines) {
  // The order's number as the dump shows it, without its leading blanks.
  const auto number = [](const Json& r) {
    std::string n = Field(r, "transactionNumber");
    return n.erase(0, n.find_first_not_of(' '));
  };
  // The line key of a header or line: type letter, number, third key part.
  const auto key = [&](const Json& r) { return Field(r, "typeLetter") + number(r) + "/" + Field(r, "keyPart"); };
  struct Case {
    const char* name;
    const char* received;  // the order whose lines are received in full; "" none
    const char* closed;    // the order closed in entry; "" none
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {"as delivered: both wait for goods", "", "", {"7001", "7002"}},
      {"7001 received in full", "7001", "", {"7002"}},
      {"7002 closed", "", "7002", {"7001"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Json company = fixture::DumpCompany(qxtest::SampleCompany(qxtest::TestToday()));
    std::map<std::string, std::size_t> linesBefore;  // by order
    for (Json& l : company["files"]["order_lines"]) {
      if (number(l) == c.received) l["quantity"] = l["secondQuantity"];
      ++linesBefore[number(l)];
    }
    for (Json& h : company["files"]["order_headers"])
      if (number(h) == c.closed) h["closedFlag"] = "Y";
    ASSERT_EQ(linesBefore, (std::map<std::string, std::size_t>{{"7001", 2}, {"7002", 1}}));
    LoadFixture(company);

    const Run run = Purge(R"("H" Enter "03/01/25" Enter "03/15/25" F10 Enter Esc)");
    EXPECT_EQ(run.messages, std::vector<int>{c.left.size() == 2 ? kMsgNothing : kMsgComplete}) << run.transcript;
    std::vector<std::string> left;
    std::set<std::string> headerKeys;
    for (const Json& h : Records("order_headers")) {
      left.push_back(number(h));
      headerKeys.insert(key(h));
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, c.left);
    std::map<std::string, std::size_t> linesAfter;
    for (const Json& l : Records("order_lines")) {
      EXPECT_TRUE(headerKeys.count(key(l))) << "a line without its order: " << key(l);
      ++linesAfter[number(l)];
    }
    for (const std::string& order : c.left) EXPECT_EQ(linesAfter[order], linesBefore[order]) << order;
    EXPECT_EQ(linesAfter.size(), c.left.size());
  }
}

// ---- The accountant's check ----------------------------------------------------------------------

// The figures a purge must never move: the accounts and the open items as
// stored, and each remaining customer's, vendor's and product's amounts.
struct Figures {
  fixture::CompanyImage stored;
  std::map<std::string, std::vector<double>> amounts;  // by file and code

  bool operator==(const Figures& other) const {
    return stored.files == other.stored.files && amounts == other.amounts;
  }
};

Figures FiguresOf(PurgeFilesTest* test, const fixture::CompanyImage& image) {
  Figures f;
  for (int file : {1, 2, 5, 71, 72})
    if (image.files.count(file)) f.stored.files[file] = image.files.at(file);
  (void)test;
  const Json dump = fixture::DumpCompany(image);
  auto number = [](const Json& r, const char* name) { return r.contains(name) ? r[name].get<double>() : 0.0; };
  for (const char* file : {"customers", "vendors"})
    if (dump["files"].contains(file))
      for (const Json& r : dump["files"][file])
        f.amounts[std::string(file) + " " + Field(r, "code")] = {
            number(r, "periodStartBalance"), number(r, "periodDebits"), number(r, "periodCredits"),
            number(r, "balance")};
  if (dump["files"].contains("products"))
    for (const Json& r : dump["files"]["products"])
      f.amounts["products " + Field(r, "number")] = {number(r, "quantityOnHand"), number(r, "valueOnHand"),
                                                     number(r, "secondQuantityOnHand")};
  return f;
}

// On the sample company, every kind of purge (over the whole of last year
// and this one, or up to the end of this year) leaves the accounts and the
// open items byte for byte as they were, and every customer, vendor and
// product that remains with its amounts: what goes had none.
TEST_F(PurgeFilesTest, NoBalanceMovesOnTheSampleCompany) {
  const std::string window = R"( Enter "01/01/24" Enter "12/31/25" F10 Enter)";
  const std::string cutOff = R"( Enter "12/31/25" F10 Enter)";
  struct Case {
    const char* name;
    std::string keys;
  };
  std::vector<Case> cases;
  for (const WindowKind& k : kWindowKinds) cases.push_back({k.name, std::string(k.keys) + window});
  cases.push_back({"promotions", R"("E")" + window});
  cases.push_back({"product history", R"("O")" + cutOff});
  cases.push_back({"customers", R"("M")" + cutOff});
  cases.push_back({"vendors", R"("D")" + cutOff});
  cases.push_back({"products", R"("P" Enter)" + cutOff});
  cases.push_back({"services", R"("S")" + cutOff});
  cases.push_back({"audit trail log", R"("I")" + cutOff});
  cases.push_back({"check register", R"("K" Enter "1010")" + cutOff});
  cases.push_back({"AutoComplete", R"("F" F10 Enter Enter)"});
  cases.push_back({"empty notes", R"("E" "E" F10 Enter)"});
  WriteImage(qxtest::SampleCompany(qxtest::TestToday()));
  std::set<int> purged;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fixture::CompanyImage before = Snapshot();
    const Run run = Purge(c.keys + " Esc");
    ASSERT_FALSE(run.messages.empty()) << run.transcript;
    EXPECT_TRUE(run.messages.back() == kMsgComplete || run.messages.back() == kMsgNothing) << run.transcript;
    const fixture::CompanyImage after = Snapshot();
    Figures was = FiguresOf(this, before), is = FiguresOf(this, after);
    // Only what remains is compared: a removed account had nothing on it.
    std::erase_if(was.amounts, [&](const auto& entry) { return !is.amounts.count(entry.first); });
    EXPECT_TRUE(was == is);
    for (const auto& [file, images] : before.files)
      if (!after.files.count(file) || after.files.at(file) != images) purged.insert(file);
  }
  // The sample company gives the kinds of old records something to purge.
  for (int file : {27, 62, 14, 20, 19, 60, 59, 54, 55, 77, 78, 79, 81, 82, 104, 75, 9})
    EXPECT_TRUE(purged.count(file)) << "nothing of file " << file << " was purged";
}

}  // namespace

namespace {

// ---- Master records ------------------------------------------------------------------------------

// A customer goes with its user-defined data and note file when its last
// activity lies on or before the cut-off and its account holds nothing; a
// customer with an amount, no activity date, a later one, or open items
// left stays whole.
TEST_F(PurgeFilesTest, DormantCustomersGoWithTheirDataAndNotes) {
  struct Case {
    const char* code;
    const char* last;  // last activity; "" none
    const char* amount;  // the account's field that holds something; "" none
    bool openItem;
    bool goes;
  };
  const Case cases[] = {
      {"GONE", "2024-06-30", "", false, true},        {"ONCUTOFF", "2024-12-31", "", false, true},
      {"LATER", "2025-01-02", "", false, false},      {"NODATE", "", "", false, false},
      {"START", "2024-06-30", "periodStartBalance", false, false},
      {"DEBITS", "2024-06-30", "periodDebits", false, false},
      {"CREDITS", "2024-06-30", "periodCredits", false, false},
      {"OWES", "2024-06-30", "balance", false, false}, {"ITEMS", "2024-06-30", "", true, false},
  };
  std::vector<std::string> stay;
  for (const Case& c : cases) {
    Json r{{"code", c.code}, {"name", std::string(c.code) + " Ltd"}, {"noteFile", std::string(c.code) + ".TXT"}};
    if (*c.last) r["lastInvoiceDate"] = c.last;
    if (*c.amount) r[c.amount] = 0.01;
    Add("customers", r);
    Add("customer_user_data", Json{{"code", c.code}, {"fieldNumber", 1}, {"value", "Region north"}});
    Add("customer_user_data", Json{{"code", c.code}, {"fieldNumber", 2}, {"value", "Key account"}});
    if (c.openItem)
      Add("ar_open_invoices", Json{{"code", c.code}, {"invoiceNumber", "1"}, {"lineType", "I"}, {"status", "P"}});
    if (!c.goes) stay.push_back(c.code);
  }
  WriteCompany();
  for (const Case& c : cases) qxtest::WriteAll(fs::path(company_) / (std::string(c.code) + ".TXT"), "A note.\n");
  const Run run = Purge(R"("M" Enter "12/31/24" F10 Enter Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
  std::sort(stay.begin(), stay.end());
  EXPECT_EQ(Names("customers", "code"), stay);
  std::vector<std::string> data;
  for (const std::string& code : stay) data.insert(data.end(), 2, code);
  EXPECT_EQ(Names("customer_user_data", "code"), data);
  for (const Case& c : cases)
    EXPECT_EQ(fs::exists(fs::path(company_) / (std::string(c.code) + ".TXT")), !c.goes) << c.code;
}

// A product goes with its user-defined data, picture and note when the
// chosen date lies on or before the cut-off and it holds no stock, no value,
// is no assembly and no bill of materials uses it.
TEST_F(PurgeFilesTest, ProductsWithoutStockOrBillsGo) {
  struct Case {
    const char* number;
    const char* field;  // the field that holds something; "" none
    Json value;
    bool goes;
  };
  const Case cases[] = {
      {"GONE", "", 0, true},
      {"STOCK", "quantityOnHand", 2.0, false},
      {"VALUE", "valueOnHand", 10.0, false},
      {"COMMITTED", "secondQuantityOnHand", 1.0, false},
      {"HELD", "purgeHold", 1.0, false},
      {"ASSEMBLY", "assemblyFlag", "Y", false},
      {"KIT", "", 0, false},     // an assembly in a bill
      {"BOLT", "", 0, false},    // a component in a bill
      {"RECENT", "lastPurchaseDate", "2025-01-05", false},
      {"SOLDONLY", "lastPurchaseDate", 0, false},
  };
  for (const Case& c : cases) {
    Json r{{"number", c.number}, {"description", c.number}, {"lastPurchaseDate", "2024-05-01"},
           {"lastSaleDate", "2024-05-02"}, {"noteFile", std::string(c.number) + ".TXT"}};
    if (*c.field) r[c.field] = c.value;
    if (std::string(c.number) == "SOLDONLY") r.erase("lastPurchaseDate");
    Add("products", r);
    Add("product_user_data", Json{{"code", c.number}, {"fieldNumber", 1}, {"value", "Shelf A"}});
    Add("product_pictures", Json{{"productNumber", c.number}, {"pictureFile", std::string(c.number) + ".PNG"}});
  }
  Add("bills_of_materials", Json{{"assemblyNumber", "KIT"}, {"componentNumber", "BOLT"}, {"unitsRequired", 4.0}});
  WriteCompany();
  for (const Case& c : cases) qxtest::WriteAll(fs::path(company_) / (std::string(c.number) + ".TXT"), "Note\n");
  // Products purge by the last purchase date (the first choice) up to field 5.
  const Run run = Purge(R"("P" Enter Enter "12/31/24" F10 Enter Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
  std::vector<std::string> stay;
  for (const Case& c : cases)
    if (!c.goes) stay.push_back(c.number);
  std::sort(stay.begin(), stay.end());
  EXPECT_EQ(Names("products", "number"), stay);
  EXPECT_EQ(Names("product_user_data", "code"), stay);
  EXPECT_EQ(Names("product_pictures", "productNumber"), stay);
  EXPECT_FALSE(fs::exists(fs::path(company_) / "GONE.TXT"));
  EXPECT_TRUE(fs::exists(fs::path(company_) / "KIT.TXT"));

  // By the last sales date, the product never purchased goes too.
  const Run bySales = Purge(R"("P" Enter "S" Enter "12/31/24" F10 Enter Esc)");
  EXPECT_EQ(bySales.messages, std::vector<int>{kMsgComplete}) << bySales.transcript;
  const std::vector<std::string> left = Names("products", "number");
  EXPECT_EQ(std::count(left.begin(), left.end(), "SOLDONLY"), 0);
}

// Services go with their user-defined data when last sold on or before the
// cut-off; one never sold stays.
TEST_F(PurgeFilesTest, ServicesLastSoldBeforeTheCutOffGo) {
  Add("services", Json{{"code", "OLD"}, {"lastSaleDate", "2024-02-01"}});
  Add("services", Json{{"code", "NEW"}, {"lastSaleDate", "2025-02-01"}});
  Add("services", Json{{"code", "NEVER"}});
  Add("service_user_data", Json{{"code", "OLD"}, {"fieldNumber", 1}, {"value", "x"}});
  Add("service_user_data", Json{{"code", "NEW"}, {"fieldNumber", 1}, {"value", "y"}});
  const Run run = Purge(R"("S" Enter "12/31/24" F10 Enter Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
  EXPECT_EQ(Names("services", "code"), (std::vector<std::string>{"NEVER", "NEW"}));
  EXPECT_EQ(Names("service_user_data", "code"), std::vector<std::string>{"NEW"});
}

// A master that work still to post names stays, whatever its dates: the
// work could not be posted without it.  Work that is posted, closed or
// complete holds nothing back.
TEST_F(PurgeFilesTest, MastersThatWorkStillToPostNamesStay) {
  auto bipo = [&](const char* headers, const char* lines, const char* type, const char* number, const char* account,
                  const char* posted, const char* closed, std::vector<std::pair<const char*, int>> items) {
    Add(headers, Json{{"typeLetter", type}, {"transactionNumber", number}, {"keyPart", 1}, {"custVendCode", account},
                      {"date", "2025-03-10"}, {"postedFlag", posted}, {"closedFlag", closed}});
    int sequence = 0;
    for (const auto& [item, kind] : items) {
      Json line{{"typeLetter", type}, {"transactionNumber", number}, {"keyPart", 1}, {"sequence", ++sequence},
                {"item", item}, {"lineKind", kind}};
      // An order line still waiting for its receipts keeps its order open.
      if (std::string(type) == "O") line.update(Json{{"receiptLink", 100 + sequence}, {"secondQuantity", 10.0}});
      Add(lines, line);
    }
  };
  // Customers and vendors.
  for (const char* code : {"ARWAIT", "BILLWAIT", "BILLED", "CLOSED", "IDLE"})
    Add("customers", Json{{"code", code}, {"lastInvoiceDate", "2024-06-30"}});
  for (const char* code : {"APWAIT", "BUYWAIT", "ORDERWAIT", "ORDERDONE", "IDLEV"})
    Add("vendors", Json{{"code", code}, {"lastInvoiceDate", "2024-06-30"}});
  Add("ar_headers", Json{{"transactionNumber", "R1"}, {"custVendCode", "ARWAIT"}, {"postedFlag", "N"}});
  Add("ap_headers", Json{{"transactionNumber", "P1"}, {"custVendCode", "APWAIT"}, {"postedFlag", "N"}});
  bipo("billing_headers", "billing_lines", "I", "B1", "BILLWAIT", "N", "N", {{"WAITING", 1}, {"SVCWAIT", 6}});
  bipo("billing_headers", "billing_lines", "I", "B2", "BILLED", "Y", "N", {{"SOLD", 1}, {"SVCSOLD", 6}});
  bipo("billing_headers", "billing_lines", "I", "B3", "CLOSED", "N", "Y", {{"SOLD", 2}});
  bipo("purchasing_headers", "purchasing_lines", "I", "U1", "BUYWAIT", "N", "N", {{"INBOUND", 1}});
  bipo("order_headers", "order_lines", "O", "O1", "ORDERWAIT", "N", "N", {{"ONORDER", 1}});
  Add("order_headers", Json{{"typeLetter", "O"}, {"transactionNumber", "O2"}, {"keyPart", 1},
                            {"custVendCode", "ORDERDONE"}, {"closedFlag", "N"}});  // no line waits: complete
  // Products and services.
  for (const char* number : {"WAITING", "SOLD", "INBOUND", "ONORDER", "MADE", "PART", "ADJUSTED", "IDLEP"})
    Add("products", Json{{"number", number}, {"lastPurchaseDate", "2024-05-01"}});
  for (const char* code : {"SVCWAIT", "SVCSOLD", "SVCPART", "SVCBILL", "IDLES"})
    Add("services", Json{{"code", code}, {"lastSaleDate", "2024-05-01"}});
  Add("assembly_headers", Json{{"transactionNumber", "A1"}, {"productCode", "MADE"}, {"postedFlag", "N"}});
  Add("assembly_components", Json{{"transactionNumber", "A1"}, {"componentCode", "PART"}});
  Add("assembly_components", Json{{"transactionNumber", "A1"}, {"componentCode", "SVCPART"}});
  Add("inventory_transactions",
      Json{{"productCode", "ADJUSTED"}, {"transactionNumber", "T1"}, {"date", "2025-03-10"}, {"postedFlag", "N"}});
  Add("bills_of_materials", Json{{"assemblyNumber", "KITX"}, {"componentNumber", "SVCBILL"}});
  WriteCompany();

  const struct {
    const char* keys;
    const char* file;
    const char* field;
    std::vector<std::string> stay;
  } kinds[] = {
      {R"("M" Enter "12/31/24" F10 Enter Esc)", "customers", "code", {"ARWAIT", "BILLWAIT"}},
      {R"("D" Enter "12/31/24" F10 Enter Esc)", "vendors", "code", {"APWAIT", "BUYWAIT", "ORDERWAIT"}},
      {R"("P" Enter Enter "12/31/24" F10 Enter Esc)", "products", "number",
       {"ADJUSTED", "INBOUND", "MADE", "ONORDER", "PART", "WAITING"}},
      {R"("S" Enter "12/31/24" F10 Enter Esc)", "services", "code", {"SVCBILL", "SVCPART", "SVCWAIT"}},
  };
  for (const auto& kind : kinds) {
    const Run run = Purge(kind.keys);
    EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << kind.file << run.transcript;
    EXPECT_EQ(Names(kind.file, kind.field), kind.stay) << kind.file;
  }
  // The work itself is untouched.
  EXPECT_EQ(Names("billing_headers", "transactionNumber").size(), 3u);
  EXPECT_EQ(Names("assembly_components", "componentCode"), (std::vector<std::string>{"PART", "SVCPART"}));
}

// Product history detail: posted records up to the cut-off go, their
// quantity and amount kept in the product's purged totals; one whose
// product is gone goes without; an entered transaction not yet posted
// stays for its posting.
TEST_F(PurgeFilesTest, ProductHistoryIsCarriedIntoThePurgedTotals) {
  Add("products", Json{{"number", "BOLT"}, {"purgedQuantity", 100.0}, {"purgedAmount", 50.0}});
  auto activity = [](const char* product, const char* number, const char* date, double qty, double amount,
                     const char* posted) {
    return Json{{"productCode", product}, {"transactionNumber", number}, {"date", date}, {"quantity", qty},
                {"extendedAmount", amount}, {"postedFlag", posted}};
  };
  Add("inventory_transactions", activity("BOLT", "1", "2024-03-01", 10.0, 5.25, "Y"));
  Add("inventory_transactions", activity("BOLT", "2", "2024-04-01", -4.0, -2.10, "Y"));
  Add("inventory_transactions", activity("BOLT", "3", "2024-05-01", 7.0, 3.5, "N"));
  Add("inventory_transactions", activity("BOLT", "4", "2025-02-01", 1.0, 0.5, "Y"));
  Add("inventory_transactions", activity("GONE", "5", "2024-03-01", 3.0, 1.5, "Y"));
  const Run run = Purge(R"("O" Enter "12/31/24" F10 Enter Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
  EXPECT_EQ(Names("inventory_transactions", "transactionNumber"), (std::vector<std::string>{"3", "4"}));
  const std::vector<Json> products = Records("products");
  ASSERT_EQ(products.size(), 1u);
  EXPECT_DOUBLE_EQ(products[0]["purgedQuantity"].get<double>(), 106.0);
  EXPECT_DOUBLE_EQ(products[0]["purgedAmount"].get<double>(), 53.15);
}

// The audit trail log: the entries up to the cut-off go.
TEST_F(PurgeFilesTest, AuditTrailEntriesUpToTheCutOffGo) {
  for (int i = 1; i <= 4; ++i)
    Add("audit_log", Json{{"entryNumber", i}, {"date", i < 3 ? "2024-12-31" : "2025-01-01"}, {"entityType", 22}});
  Add("audit_log", Json{{"entryNumber", 5}, {"entityType", 22}});  // no date: it goes too
  const Run run = Purge(R"("I" Enter "12/31/24" F10 Enter Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
  EXPECT_EQ(Names("audit_log", "entryNumber"), (std::vector<std::string>{"3", "4"}));
}

// ---- Promotions, check register, AutoComplete, notes -------------------------------------------

// A promotion inside the window goes with its details and customers; one
// with a detail partly outside keeps its header and its customers.
TEST_F(PurgeFilesTest, PromotionsInsideTheWindowGoWhole) {
  Add("promotions", Json{{"code", "SPRING"}, {"startDate", "2025-03-02"}, {"endDate", "2025-03-20"}});
  Add("promotions", Json{{"code", "SUMMER"}, {"startDate", "2025-03-05"}, {"endDate", "2025-04-30"}});
  for (const char* code : {"SPRING", "SUMMER"}) {
    Add("promotion_details", Json{{"code", code}, {"number", 1}, {"productCode", "BOLT"},
                                  {"firstDate", "2025-03-05"}, {"lastDate", "2025-03-20"}});
    Add("promotion_customers", Json{{"code", code}, {"number", 1}, {"customerCode", "ACME"}});
  }
  Add("promotion_details", Json{{"code", "SUMMER"}, {"number", 2}, {"productCode", "NUT"},
                                {"firstDate", "2025-03-25"}, {"lastDate", "2025-04-30"}});
  const Run run = Purge(R"("E" F10 Enter Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
  EXPECT_EQ(Names("promotions", "code"), std::vector<std::string>{"SUMMER"});
  EXPECT_EQ(Names("promotion_details", "productCode"), std::vector<std::string>{"NUT"});
  EXPECT_EQ(Names("promotion_customers", "code"), std::vector<std::string>{"SUMMER"});
}

// The check register: an account's posted entries up to Through go (the
// state byte is the posted flag); an entry not yet posted ('N', 'n' or no
// state: a check printed, its payment not posted) stays whatever its date;
// nothing to purge says so.
TEST_F(PurgeFilesTest, CheckRegisterEntriesThatAreDoneGo) {
  Add("gl_accounts", Json{{"code", "1010"}, {"name", "Bank"}, {"type", "D"}});
  Add("gl_accounts", Json{{"code", "1020"}, {"name", "Old bank"}, {"type", "D"}, {"activeFlag", "N"}});
  auto entry = [](const char* bank, const char* number, const char* date, const char* state) {
    Json e{{"bankAccount", bank}, {"checkNumber", number}, {"date", date}, {"status", "O"}, {"entrySide", "C"}};
    if (*state) e["state"] = state;
    return e;
  };
  Add("check_register", entry("1010", "100", "2025-01-10", "Y"));
  Add("check_register", entry("1010", "101", "2025-01-11", "N"));
  Add("check_register", entry("1010", "102", "2025-03-01", "Y"));
  Add("check_register", entry("1015", "103", "2025-01-10", "Y"));
  Add("check_register", entry("1010", "104", "2024-12-02", "n"));
  Add("check_register", entry("1010", "105", "2024-12-03", ""));
  const std::string toCheckRegister = R"("K" Enter "1010" Enter "02/28/25" F10)";
  const Run run = Purge(toCheckRegister + " Enter Esc");
  EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
  EXPECT_EQ(Names("check_register", "checkNumber"), (std::vector<std::string>{"101", "102", "103", "104", "105"}));
  const Run again = Purge(toCheckRegister + " Enter Esc");
  EXPECT_EQ(again.messages, std::vector<int>{kMsgNothing}) << again.transcript;
}

// AutoComplete: asked first; Yes empties the file, No changes nothing.
TEST_F(PurgeFilesTest, AutoCompleteIsAskedFirst) {
  Add("autocomplete", Json{{"fieldId", 3}, {"text", "Acme Hardware"}});
  Add("autocomplete", Json{{"fieldId", 3}, {"text", "Bolt & Nut"}});
  const std::string toAutoComplete = R"("F" F10)";
  const Run declined = Purge(toAutoComplete + " Right Enter Esc");
  EXPECT_EQ(declined.messages, std::vector<int>{1483}) << declined.transcript;
  EXPECT_EQ(Records("autocomplete").size(), 2u);
  const Run purged = Purge(toAutoComplete + " Enter Enter Esc");
  EXPECT_EQ(purged.messages, (std::vector<int>{1483, kMsgComplete})) << purged.transcript;
  EXPECT_TRUE(Records("autocomplete").empty());
  const Run empty = Purge(toAutoComplete + " Enter Enter Esc");
  EXPECT_EQ(empty.messages, (std::vector<int>{1483, kMsgNothing})) << empty.transcript;
}

// Empty notes: a name whose file is there (in any letter case, in a folder
// below the company) stays; a missing file's name is cleared; a blank name
// is left alone; a name leading out of the company folder is never
// followed.
TEST_F(PurgeFilesTest, EmptyNotesClearsTheNamesOfMissingFiles) {
  struct Case {
    const char* code;
    const char* note;
    const char* after;
  };
  const Case cases[] = {
      {"KEPT", "CUST01.TXT", "CUST01.TXT"},
      {"FOLDER", "NOTES\\Cust02.txt", "NOTES\\Cust02.txt"},
      {"MISSING", "GONE.TXT", ""},
      {"BLANK", "", ""},
      {"OUTSIDE", "..\\x.txt", "..\\x.txt"},
      {"OUTSIDE2", "..\\nothere.txt", "..\\nothere.txt"},
  };
  for (const Case& c : cases) Add("customers", Json{{"code", c.code}, {"noteFile", c.note}});
  Add("products", Json{{"number", "BOLT"}, {"noteFile", "BOLT.TXT"}});
  Add("services", Json{{"code", "INSTALL"}, {"noteFile", "install.txt"}});
  Add("notes", Json{{"code", "MEMO"}, {"noteFile", "MEMO.TXT"}});
  WriteCompany();
  qxtest::WriteAll(fs::path(company_) / "cust01.txt", "kept\n");
  fs::create_directories(fs::path(company_) / "notes");
  qxtest::WriteAll(fs::path(company_) / "notes" / "CUST02.TXT", "kept\n");
  qxtest::WriteAll(fs::path(company_) / "INSTALL.TXT", "kept\n");
  qxtest::WriteAll(fs::path(dir_) / "x.txt", "outside\n");
  const Run run = Purge(R"("E" "E" F10 Enter Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
  std::map<std::string, std::string> notes;
  for (const Json& r : Records("customers")) notes[Field(r, "code")] = Field(r, "noteFile");
  for (const Case& c : cases) EXPECT_EQ(notes[c.code], c.after) << c.code;
  EXPECT_EQ(Field(Records("products")[0], "noteFile"), "");
  EXPECT_EQ(Field(Records("services")[0], "noteFile"), "install.txt");
  EXPECT_EQ(Field(Records("notes")[0], "noteFile"), "");
  EXPECT_TRUE(fs::exists(fs::path(dir_) / "x.txt"));
}

// A master purge never deletes a note outside the company folder.
TEST_F(PurgeFilesTest, AMasterPurgeNeverDeletesANoteOutsideTheCompany) {
  Add("services", Json{{"code", "OLD"}, {"lastSaleDate", "2024-02-01"}, {"noteFile", "..\\x.txt"}});
  WriteCompany();
  qxtest::WriteAll(fs::path(dir_) / "x.txt", "outside\n");
  const Run run = Purge(R"("S" Enter "12/31/24" F10 Enter Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{kMsgComplete}) << run.transcript;
  EXPECT_TRUE(Records("services").empty());
  EXPECT_TRUE(fs::exists(fs::path(dir_) / "x.txt"));
}

// ---- The screen -----------------------------------------------------------------------------------

// The screen refuses what it cannot use, with its message and nothing
// removed; equal dates purge that one day; after a purge it stays for
// another kind.
TEST_F(PurgeFilesTest, TheScreenRefusesWhatItCannotUse) {
  Add("gl_accounts", Json{{"code", "1010"}, {"name", "Bank"}, {"type", "D"}});
  Add("gl_accounts", Json{{"code", "1020"}, {"name", "Old bank"}, {"type", "D"}, {"activeFlag", "N"}});
  Add("gl_headers", Json{{"journalCode", "GJ"}, {"transactionNumber", "1"}, {"date", "2025-03-10"},
                         {"postedFlag", "Y"}});
  Add("customers", Json{{"code", "GONE"}, {"lastInvoiceDate", "2024-06-30"}});
  Add("check_register", Json{{"bankAccount", "1010"}, {"checkNumber", "1"}, {"date", "2025-01-10"}, {"state", "Y"}});
  struct Case {
    const char* name;
    const char* keys;
    std::vector<int> messages;
    std::size_t glLeft, customersLeft, checksLeft;
  };
  const Case cases[] = {
      {"a date that is not one", R"(Enter "13/45/25" F10 Esc)", {13}, 1, 1, 1},
      {"Through before From", R"(Enter "03/20/25" Enter "03/19/25" F10 Esc)", {205}, 1, 1, 1},
      {"Through on From: that one day", R"(Enter "03/10/25" Enter "03/10/25" F10 Enter Esc)", {1263}, 0, 1, 1},
      {"a master kind without a cut-off", R"("M" Enter " " F10 Esc)", {21}, 1, 1, 1},
      {"a check-register account not on file", R"("K" Enter "1099" Enter Esc)", {69}, 1, 1, 1},
      {"a check-register account not in use", R"("K" Enter "1020" Enter Esc)", {571}, 1, 1, 1},
      {"a check-register account not in use at F10", R"("K" Enter "1010" Enter "02/28/25" Up "1020" F10 Esc)",
       {571}, 1, 1, 1},
      {"nothing in the check register to purge", R"("K" Enter "1010" Enter "01/01/25" F10 Enter Esc)", {197}, 1, 1,
       1},
      {"two kinds in one visit", R"(F10 Enter "M" Enter "12/31/24" F10 Enter Esc)", {1263, 1263}, 0, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const Run run = Purge(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_EQ(Records("gl_headers").size(), c.glLeft);
    EXPECT_EQ(Records("customers").size(), c.customersLeft);
    EXPECT_EQ(Records("check_register").size(), c.checksLeft);
  }
}

// ---- Failures and kills ------------------------------------------------------------------------------

// Six posted G/L transactions of three lines each in March.
void AddPostedTransactions(PurgeFilesTest* test, int count) {
  for (int i = 1; i <= count; ++i) {
    const std::string n = std::to_string(i);
    test->Add("gl_headers", Json{{"journalCode", "GJ"}, {"transactionNumber", n}, {"date", "2025-03-10"},
                                 {"postedFlag", "Y"}});
    for (int s = 0; s < 3; ++s)
      test->Add("gl_lines", Json{{"journalCode", "GJ"}, {"transactionNumber", n}, {"lineNumber", s},
                                 {"account", "1010"}, {"side", s ? "C" : "D"}, {"amount", s ? 5.0 : 10.0}});
  }
}

// Every transaction left has all its lines, and no line is without its
// transaction.
void ExpectNoneHalfRemoved(const std::vector<std::string>& headers, std::vector<std::string> lines) {
  std::vector<std::string> want;
  for (const std::string& h : headers) want.insert(want.end(), 3, h);
  std::sort(want.begin(), want.end());
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, want);
}

// A removal that fails mid-walk: its error box, no completion message; the
// transactions before it are gone, it and those after it whole.
TEST_F(PurgeFilesTest, AFailedRemovalEndsTheWalkAndKeepsItsTransactionWhole) {
  AddPostedTransactions(this, 6);
  struct Case {
    const char* name;
    const char* failure;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {"a line of the third", "fail=4:gl_lines:8:84", {"3", "4", "5", "6"}},
      {"the second's header", "fail=4:gl_headers:2:80", {"2", "3", "4", "5", "6"}},
      {"reading on", "fail=6:gl_headers:3:2", {"4", "5", "6"}},
      {"the first's commit", "fail=20:*:1:2", {"1", "2", "3", "4", "5", "6"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const Run run = Purge("F10 Enter Esc");
    BtrvTestSwitch("");
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    EXPECT_NE(qxtest::Flat(run.transcript).find("Error "), std::string::npos) << run.transcript;
    EXPECT_EQ(Names("gl_headers", "transactionNumber"), c.left);
    ExpectNoneHalfRemoved(Names("gl_headers", "transactionNumber"), Names("gl_lines", "transactionNumber"));
  }
}

// A removal is one unit with what belongs to it: a failing product update
// keeps the history record it would carry, a failing detail delete keeps
// its history document whole.
TEST_F(PurgeFilesTest, AFailureKeepsTheRemovalWhole) {
  Add("products", Json{{"number", "BOLT"}, {"purgedQuantity", 1.0}});
  Add("inventory_transactions", Json{{"productCode", "BOLT"}, {"transactionNumber", "1"}, {"date", "2024-03-01"},
                                     {"quantity", 10.0}, {"postedFlag", "Y"}});
  Add("customer_history", Json{{"code", "ACME"}, {"documentNumber", "D1"}, {"date", "2025-03-05"}});
  for (int s = 1; s <= 2; ++s)
    Add("customer_history_details", Json{{"code", "ACME"}, {"documentNumber", "D1"}, {"lineNumber", s}});
  struct Case {
    const char* name;
    const char* keys;
    const char* failure;
    const char* file;
    std::size_t left;
  };
  const Case cases[] = {
      {"the product of a history record", R"("O" Enter "12/31/24" F10 Enter Esc)", "fail=3:products:1:80",
       "inventory_transactions", 1},
      {"a detail of a history document", R"("T" F10 Enter Esc)", "fail=4:customer_history_details:2:84",
       "customer_history_details", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const fixture::CompanyImage before = Snapshot();
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const Run run = Purge(c.keys);
    BtrvTestSwitch("");
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    EXPECT_EQ(Records(c.file).size(), c.left);
    EXPECT_EQ(Snapshot().files, before.files) << "nothing of the removal stays";
  }
}

// A purge killed at any moment leaves no transaction half removed, and a
// rerun removes the rest.
TEST_F(PurgeFilesTest, AKilledPurgeLeavesNoTransactionHalfRemoved) {
  AddPostedTransactions(this, 150);
  const std::string transcript = File("killed.txt");
  const auto runChild = [&](long killAfter) {
    return qxtest::RunKilledChild(kCommand, "F10 Enter Esc", transcript, killAfter, [] { RunPurgeFiles(); });
  };
  WriteCompany();
  const qxtest::ChildRun whole = runChild(-1);
  EXPECT_TRUE(Records("gl_headers").empty());
  const int killedInTheRun = qxtest::KillAtRandomMoments(8, whole.micros, [&] { WriteCompany(); }, runChild, [&] {
    ExpectNoneHalfRemoved(Names("gl_headers", "transactionNumber"), Names("gl_lines", "transactionNumber"));
    Purge("F10 Enter Esc");
    EXPECT_TRUE(Records("gl_headers").empty());
    EXPECT_TRUE(Records("gl_lines").empty());
  });
  EXPECT_GT(killedInTheRun, 0) << "at least one kill fell inside a run";
}

}  // namespace
