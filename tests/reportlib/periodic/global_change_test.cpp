// Global change (command 393), driven by key scripts over the company of
// fixtures/global_change.json: each kind of change reaches exactly the
// records in range (and, for area codes, their alternate addresses) and no
// other byte; the rules that keep a record
// consistent hold; Esc, "No" and bad input change nothing; a failed rewrite
// leaves every record as it was.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/global_change.h"
#include "qxabase/app_block.h"
#include "qxtest/company_test.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A change expected in the record whose code starts it.
struct Expect {
  std::string code;
  std::function<void(Bytes&)> edit;
};

template <class Rec, class F>
Expect On(std::string code, F change) {
  return {std::move(code), [change](Bytes& bytes) {
            Rec r{};
            std::memcpy(&r, bytes.data(), sizeof r);
            change(r);
            std::memcpy(bytes.data(), &r, sizeof r);
          }};
}
template <class F>
Expect Customer(std::string code, F change) {
  return On<records::CustVendRecord>(std::move(code), change);
}
template <class F>
Expect Product(std::string code, F change) {
  return On<records::TagProduct>(std::move(code), change);
}

template <class F>
Expect Vendor(std::string code, F change) {
  return On<records::CustVendRecord>(std::move(code), change);
}
template <class F>
Expect Salesperson(std::string code, F change) {
  return On<records::Salesperson>(std::move(code), change);
}

template <class F>
Expect Address(std::string code, F change) {
  return On<records::AlternateAddress>(std::move(code), change);
}

template <std::size_t N>
void SetText(char (&field)[N], const char* text) {
  std::memset(field, 0, N);
  std::memcpy(field, text, strnlen(text, N - 1));
}

// A customer's whole phone group (both phones and the fax) moved to area
// code (646).
void PhoneGroupTo646(records::CustVendRecord& r) {
  std::memcpy(r.phone1, "(646)", 5);
  std::memcpy(r.phone2, "(646)", 5);
  std::memcpy(r.fax, "(646)", 5);
}

class GlobalChangeTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    SharedAppBlockGet()->currentCommand = 393;
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/global_change.json");
  }
  Run Change(const std::string& keys) {
    return RunScripted(keys, [] { return RunGlobalChange(); });
  }
};

std::string CodeOf(const Bytes& record) {
  return std::string(reinterpret_cast<const char*>(record.data()),
                     strnlen(reinterpret_cast<const char*>(record.data()), 15));
}

// `before` with the expected changes made to file `fileNo`.
fixture::CompanyImage Expected(fixture::CompanyImage before, int fileNo, const std::vector<Expect>& changes) {
  for (const Expect& e : changes) {
    bool found = false;
    for (Bytes& record : before.files.at(fileNo)) {
      if (CodeOf(record) != e.code) continue;
      e.edit(record);
      found = true;
    }
    EXPECT_TRUE(found) << e.code;
  }
  return before;
}

// Keys: the entity (Right presses from Customer), the field to change (Right
// presses), the value keys, the condition (Right presses), From and To.
std::string Keys(int entity, int field, const std::string& value, int condition, const std::string& from,
                 const std::string& to) {
  auto rights = [](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "Right ";
    return s;
  };
  auto text = [](const std::string& t) { return t.empty() ? std::string() : "\"" + t + "\" "; };
  return rights(entity) + "Enter " + rights(field) + "Enter " + value + " Enter " + rights(condition) + "Enter " +
         text(from) + "Enter " + text(to) + "F10 Enter Esc";
}

TEST_F(GlobalChangeTest, EachKindOfChangeReachesExactlyTheRecordsInRange) {
  struct Case {
    const char* name;
    std::string keys;
    int fileNo;
    std::vector<Expect> changes;
    std::vector<Expect> addressChanges = {};  // the alternate addresses of the file's records
  };
  const Case cases[] = {
      {"credit limit (double) by customer code range", Keys(0, 9, "\"7500\"", 0, "ACME", "BOLT"),
       records::kFileCustomers,
       {Customer("ACME", [](auto& r) { r.creditLimit = 7500.0; }),
        Customer("BOLT", [](auto& r) { r.creditLimit = 7500.0; })}},
      {"finance charge (float) where the rate lies in 1.4-2.0", Keys(0, 1, "\"1.75\"", 1, "1.4", "2"),
       records::kFileCustomers,
       {Customer("ACME", [](auto& r) { r.financeChargeRate = 1.75f; }),
        Customer("BOLT", [](auto& r) { r.financeChargeRate = 1.75f; })}},
      {"both bounds empty: every record", Keys(0, 2, "\"2.5\"", 0, "", ""), records::kFileCustomers,
       {Customer("ACME", [](auto& r) { r.minimumFinanceCharge = 2.5; }),
        Customer("BOLT", [](auto& r) { r.minimumFinanceCharge = 2.5; }),
        Customer("CRAG", [](auto& r) { r.minimumFinanceCharge = 2.5; })}},
      {"salesperson code by zip code", Keys(0, 5, "\"S2\"", 0, "10000", "20002"), records::kFileCustomers,
       {Customer("ACME", [](auto& r) { SetText(r.salesperson, "S2"); }),
        Customer("BOLT", [](auto& r) { SetText(r.salesperson, "S2"); })}},
      {"term code of one customer", Keys(0, 6, "\"N60\"", 0, "CRAG", "CRAG"), records::kFileCustomers,
       {Customer("CRAG", [](auto& r) { SetText(r.termsCode, "N60"); })}},
      {"area code of the whole phone group, matched pairwise", Keys(0, 3, "\"646\"", 1, "(212)", "(212)"),
       records::kFileCustomers,
       {Customer("ACME", PhoneGroupTo646)},
       {Address("ACME", [](auto& r) { std::memcpy(r.phones[0], "(646)", 5); })}},
      {"area code by zip code: the customer's addresses follow it", Keys(0, 3, "\"646\"", 0, "10001", "10001"),
       records::kFileCustomers,
       {Customer("ACME", PhoneGroupTo646)},
       {Address("ACME",
                [](auto& r) {
                  std::memcpy(r.phones[0], "(646)", 5);
                  std::memcpy(r.phones[1], "(646)", 5);
                })}},
      {"account type: a customer without terms keeps its type", Keys(0, 0, "", 0, "", ""),
       records::kFileCustomers,
       {Customer("ACME", [](auto& r) { r.accountType = 'O'; }),
        Customer("BOLT", [](auto& r) { r.accountType = 'O'; })}},
      {"account type cash needs nothing", Keys(0, 0, "Right Right", 0, "", ""), records::kFileCustomers,
       {Customer("ACME", [](auto& r) { r.accountType = 'C'; }), Customer("BOLT", [](auto& r) { r.accountType = 'C'; }),
        Customer("CRAG", [](auto& r) { r.accountType = 'C'; })}},
      {"A/R account: a customer with open items keeps its account", Keys(0, 7, "\"1210\"", 0, "", ""),
       records::kFileCustomers,
       {Customer("ACME", [](auto& r) { SetText(r.glAccount, "1210"); }),
        Customer("CRAG", [](auto& r) { SetText(r.glAccount, "1210"); })}},
      {"A/P account: a vendor with open items keeps its account", Keys(1, 2, "\"2110\"", 0, "", ""),
       records::kFileVendors, {Customer("STONE", [](auto& r) { SetText(r.glAccount, "2110"); })}},
      {"vendor area code by vendor code", Keys(1, 1, "\"999\"", 0, "STONE", ""), records::kFileVendors,
       {Customer("STONE", [](auto& r) { std::memcpy(r.phone1, "(999)", 5); })},
       {Address("STONE", [](auto& r) { std::memcpy(r.phones[0], "(999)", 5); })}},
      {"non-inventory only without stock or bill of materials, and costs cleared", Keys(2, 0, "Right", 0, "", ""),
       records::kFileProducts,
       {Product("P-ZERO",
                [](auto& r) {
                  r.productType = 2;
                  r.lastCost = 0.0;
                  r.standardCost = 0.0;
                  r.averageCost = 0.0;
                })}},
      {"negative-stock type to normal when the stock allows it", Keys(2, 0, "", 0, "P-NEG", "P-NEG"),
       records::kFileProducts, {Product("P-NEG", [](auto& r) { r.productType = 1; })}},
      {"tax code by zip code", Keys(0, 4, "\"EX\"", 0, "10000", "20002"), records::kFileCustomers,
       {Customer("ACME", [](auto& r) { SetText(r.taxCode, "EX"); }),
        Customer("BOLT", [](auto& r) { SetText(r.taxCode, "EX"); })}},
      {"tax code where it is A", Keys(0, 4, "\"st\"", 2, "A", "A"), records::kFileCustomers,
       {Customer("ACME", [](auto& r) { SetText(r.taxCode, "ST"); }),
        Customer("BOLT", [](auto& r) { SetText(r.taxCode, "ST"); })}},
      {"customer message code where there is none", Keys(0, 8, "\"PAST\"", 0, "BOLT", "CRAG"),
       records::kFileCustomers,
       {Customer("BOLT", [](auto& r) { SetText(r.messageCode, "PAST"); }),
        Customer("CRAG", [](auto& r) { SetText(r.messageCode, "PAST"); })}},
      {"vendor message code by vendor code", Keys(1, 3, "\"THANK\"", 0, "RIVER", "RIVER"), records::kFileVendors,
       {Vendor("RIVER", [](auto& r) { SetText(r.messageCode, "THANK"); })}},
      {"recall by the vendor's code", Keys(2, 1, "Right", 0, "", ""), records::kFileProducts,
       {Product("P-ASSY", [](auto& r) { r.recallBy = 'V'; }), Product("P-NEG", [](auto& r) { r.recallBy = 'V'; }),
        Product("P-STOCK", [](auto& r) { r.recallBy = 'V'; }), Product("P-ZERO", [](auto& r) { r.recallBy = 'V'; })}},
      {"one product not commissionable", Keys(2, 2, "Right", 0, "P-STOCK", "P-STOCK"), records::kFileProducts,
       {Product("P-STOCK", [](auto& r) { r.commissionable = 'N'; })}},
      {"serialized products", Keys(2, 3, "", 0, "P-N", "P-ZZ"), records::kFileProducts,
       {Product("P-NEG", [](auto& r) { r.serialized = 'Y'; }), Product("P-STOCK", [](auto& r) { r.serialized = 'Y'; }),
        Product("P-ZERO", [](auto& r) { r.serialized = 'Y'; })}},
      {"salesperson rate (float) by code", Keys(3, 0, "\"7.25\"", 0, "S1", "S1"), records::kFileSalespersons,
       {Salesperson("S1", [](auto& r) { r.rate = 7.25f; })}},
      {"salesperson rate where the rate lies in 6-7", Keys(3, 0, "\"7\"", 1, "6", "7"), records::kFileSalespersons,
       {Salesperson("S2", [](auto& r) { r.rate = 7.0f; })}},
      {"salesperson amount (double) from a zero bound: open", Keys(3, 1, "\"30\"", 1, "0", "25"),
       records::kFileSalespersons,
       {Salesperson("S1", [](auto& r) { r.amount = 30.0; }), Salesperson("S2", [](auto& r) { r.amount = 30.0; })}},
      // The look-ups: F5 on the value, on the bounds.
      {"a tax code picked from its list", Keys(0, 4, "F5 Down Down Enter", 0, "", ""), records::kFileCustomers,
       {Customer("ACME", [](auto& r) { SetText(r.taxCode, "ST"); }), Customer("BOLT", [](auto& r) { SetText(r.taxCode, "ST"); }),
        Customer("CRAG", [](auto& r) { SetText(r.taxCode, "ST"); })}},
      {"a salesperson picked from its list", Keys(0, 5, "F5 Down Enter", 2, "CRAG", "CRAG"), records::kFileCustomers,
       {Customer("CRAG", [](auto& r) { SetText(r.salesperson, "S2"); })}},
      {"a message code picked from its list", Keys(1, 3, "F5 Enter", 0, "STONE", "STONE"), records::kFileVendors,
       {Vendor("STONE", [](auto& r) { SetText(r.messageCode, "PAST"); })}},
      {"a terms code picked from its list", Keys(0, 6, "F5 Down Enter", 0, "ACME", "ACME"), records::kFileCustomers,
       {Customer("ACME", [](auto& r) { SetText(r.termsCode, "N60"); })}},
      {"an account picked from its list and checked", Keys(0, 7, "F5 Down Down Enter", 0, "CRAG", "CRAG"),
       records::kFileCustomers, {Customer("CRAG", [](auto& r) { SetText(r.glAccount, "1210"); })}},
      {"customer bounds picked from their list",
       "Enter Right Right Right Right Right Right Right Right Right Enter \"7500\" Enter Enter "
       "F5 Down Enter Enter F5 Down Enter F10 Enter Esc",
       records::kFileCustomers, {Customer("BOLT", [](auto& r) { r.creditLimit = 7500.0; })}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const auto before = Snapshot();
    const Run run = Change(c.keys);
    EXPECT_EQ(run.result, 1) << run.transcript;
    EXPECT_EQ(run.messages, std::vector<int>{1551}) << run.transcript;
    const int addresses =
        c.fileNo == records::kFileVendors ? records::kFileVendorAddresses : records::kFileCustomerAddresses;
    const auto expected = Expected(Expected(before, c.fileNo, c.changes), addresses, c.addressChanges);
    const auto after = Snapshot();
    for (const auto& [fileNo, records] : expected.files)
      EXPECT_EQ(after.files.at(fileNo), records) << "file " << fileNo << "\n" << run.transcript;
  }
}

TEST_F(GlobalChangeTest, RefusedOrCancelledRequestsChangeNothing) {
  struct Case {
    const char* name;
    std::string keys;
    std::vector<int> messages;
  };
  const Case cases[] = {
      {"Esc on the screen", "Enter Right Enter \"9\" Esc", {}},
      {"nothing in range", Keys(0, 9, "\"10\"", 0, "X", "Z"), {197}},
      {"an empty value: No", Keys(0, 9, "", 0, "", "") + " Enter Esc", {1565}},
      {"an empty value: Esc", Keys(0, 9, "", 0, "", "") + " Esc Esc", {1565}},
      {"an empty code", Keys(0, 5, "", 0, "", "") + " Esc", {21}},
      {"a code not on file", Keys(0, 5, "\"S9\"", 0, "", "") + " Esc", {1549}},
      {"an empty tax code", Keys(0, 4, "", 0, "", "") + " Esc", {21}},
      {"a tax code not on file", Keys(0, 4, "\"ZZ\"", 0, "", "") + " Esc", {1549}},
      {"a message code not on file", Keys(1, 3, "\"ZZ\"", 0, "", "") + " Esc", {1549}},
      {"a negative salesperson rate", Keys(3, 0, "\"-2\"", 0, "", "") + " Esc", {1553}},
      {"an account not on file", "Enter Right Right Right Right Right Right Right Enter \"9999\" Enter Esc Esc", {69}},
      {"a summary account", "Enter Right Right Right Right Right Right Right Enter \"1000\" Enter Esc Esc", {145}},
      {"an empty area code", Keys(0, 3, "", 0, "", "") + " Esc", {1563}},
      // Three digits and nothing else: four digits, or a letter, are
      // refused as they are left, and again on F10.
      {"an area code of four digits", "Enter Right Right Right Enter \"6465\" Enter Enter Esc", {1569}},
      {"an area code with a letter", "Enter Right Right Right Enter \"64a\" Enter Enter Esc", {1569}},
      {"an area code of four digits on F10", "Enter Right Right Right Enter \"6465\" F10 Enter Esc", {1569}},
      {"a negative rate", Keys(0, 1, "\"-1\"", 0, "", "") + " Esc", {1553}},
      {"a negative minimum charge", "Enter Right Right Enter \"-1\" Enter Esc Esc", {487}},
      {"a minimum charge too large", "Enter Right Right Enter \"1e13\" Enter Esc Esc", {1807}},
      {"a value that is no number", Keys(0, 9, "\"12x\"", 0, "", "") + " Esc", {1567}},
      {"a bound that is no number", Keys(0, 9, "\"10\"", 1, "abc", "") + " Esc", {1567}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const auto before = Snapshot();
    const Run run = Change(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_EQ(Snapshot().files, before.files) << run.transcript;
  }
}

TEST_F(GlobalChangeTest, ConfirmingAnEmptyValueStoresIt) {
  WriteCompany();
  const Run run = Change(
      R"(Enter Right Right Right Right Right Right Right Right Right Enter Enter Enter "CRAG" Enter "CRAG" F10 Right Enter Enter Esc)");
  EXPECT_EQ(run.messages, (std::vector<int>{1565, 1551})) << run.transcript;
  const auto after = Snapshot({records::kFileCustomers});
  for (const auto& bytes : after.files.at(records::kFileCustomers)) {
    records::CustVendRecord r{};
    std::memcpy(&r, bytes.data(), sizeof r);
    EXPECT_EQ(static_cast<double>(r.creditLimit), CodeOf(bytes) == "CRAG" ? 0.0 : CodeOf(bytes) == "ACME" ? 1000.0 : 2500.0);
  }
}

// A number field shows 0 where a text field shows nothing: beside number
// bounds the screen says that 0 sets no limit.
TEST_F(GlobalChangeTest, NumberBoundsSayThatZeroSetsNoLimit) {
  WriteCompany();
  const Run number = Change(R"(Right Right Right Enter Enter "7" Enter Right Enter Esc)");
  const std::string end = number.transcript.substr(number.transcript.find("--- form end"));
  EXPECT_NE(end.find("From (0: no limit)"), std::string::npos) << end;
  EXPECT_NE(end.find("To (0: no limit)"), std::string::npos) << end;
  const Run text = Change(R"(Right Right Right Enter Enter "7" Enter Enter Esc)");
  EXPECT_EQ(text.transcript.find("(0: no limit)"), std::string::npos) << "a code bound: no such note";
}

TEST_F(GlobalChangeTest, AFailedRewriteLeavesEveryRecordAsItWas) {
  struct Case {
    const char* name;
    const char* failure;
    std::string keys;
  };
  const Case cases[] = {
      {"the second customer", "fail=3:customers:2:80", Keys(0, 9, "\"7500\"", 0, "", "")},
      {"an alternate address after its customer", "fail=3:customer_addresses:1:80",
       Keys(0, 3, "\"646\"", 0, "10001", "10001")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const auto before = Snapshot();
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const Run run = Change(c.keys);
    BtrvTestSwitch("");
    // The record error box, not the message of a change made.
    EXPECT_NE(run.transcript.find("message box"), std::string::npos) << run.transcript;
    EXPECT_EQ(std::find(run.messages.begin(), run.messages.end(), 1551), run.messages.end()) << run.transcript;
    EXPECT_EQ(Snapshot().files, before.files) << run.transcript;
  }
}

}  // namespace
