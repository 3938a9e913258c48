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
#include "qxtest/transcript.h"
#include "records/amounts.h"
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
  // Writes the company of the fixture file as `edit` changes it.
  void WriteEdited(const std::function<void(fixture::Json& files)>& edit) {
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/global_change.json");
    edit(Fixture()["files"]);
    WriteCompany();
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
      {"account type cash needs no terms", Keys(0, 0, "Right Right", 0, "CRAG", "CRAG"), records::kFileCustomers,
       {Customer("CRAG", [](auto& r) { r.accountType = 'C'; })}},
      {"vendor area code by vendor code", Keys(1, 1, "\"999\"", 0, "STONE", ""), records::kFileVendors,
       {Customer("STONE", [](auto& r) { std::memcpy(r.phone1, "(999)", 5); })},
       {Address("STONE", [](auto& r) { std::memcpy(r.phones[0], "(999)", 5); })}},
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
      {"a negative salesperson rate", "Right Right Right Enter Enter \"-2\" Enter Esc Esc", {1553}},
      {"a negative salesperson rate on F10", "Right Right Right Enter Enter \"-2\" F10 Enter Esc", {1553}},
      {"an account not on file", "Enter Right Right Right Right Right Right Right Enter \"9999\" Enter Esc Esc", {69}},
      {"a summary account", "Enter Right Right Right Right Right Right Right Enter \"1000\" Enter Esc Esc", {145}},
      {"an empty area code", Keys(0, 3, "", 0, "", "") + " Esc", {1563}},
      // Three digits and nothing else: four digits, or a letter, are
      // refused as they are left, and again on F10.
      {"an area code of four digits", "Enter Right Right Right Enter \"6465\" Enter Enter Esc", {1569}},
      {"an area code with a letter", "Enter Right Right Right Enter \"64a\" Enter Enter Esc", {1569}},
      {"an area code of four digits on F10", "Enter Right Right Right Enter \"6465\" F10 Enter Esc", {1569}},
      {"a negative rate", "Enter Right Enter \"-1\" Enter Esc Esc", {1553}},
      {"a negative minimum charge", "Enter Right Right Enter \"-1\" Enter Esc Esc", {487}},
      {"a minimum charge too large", "Enter Right Right Enter \"1e13\" Enter Esc Esc", {1807}},
      {"a value that is no number",
       "Enter Right Right Right Right Right Right Right Right Right Enter \"12x\" Enter Esc Esc", {1567}},
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

// The phone shapes an area-code change meets.  Only a number that begins
// with an area code in parentheses has it replaced; any other number is
// kept whole (it has no area code to replace, and five bytes written over
// its start would destroy it), and the end message counts such numbers.
// ACME (zip 10001) has every other phone of its group, and of its
// alternate address, written with an area code.
TEST_F(GlobalChangeTest, AnAreaCodeChangeReplacesOnlyAnAreaCodeInParentheses) {
  struct Shape {
    const char* phone;
    const char* after;  // null: left as it is
  };
  const Shape shapes[] = {
      {"(212) 5550101", "(646) 5550101"}, {"(212)555-0101", "(646)555-0101"}, {"5550199", nullptr},
      {"212-555-0201", nullptr},          {"", nullptr},                      {"   ", nullptr},
  };
  struct Where {
    const char* name;
    const char* file;
    const char* field;
    int index;  // in an array field; -1 for none
  };
  const Where places[] = {
      {"the customer's phone", "customers", "phone1", -1},
      {"the customer's fax", "customers", "fax", -1},
      {"the alternate address's phone", "customer_addresses", "phones", 1},
  };
  for (const Where& where : places) {
    for (const Shape& shape : shapes) {
      SCOPED_TRACE(std::string(where.name) + " \"" + shape.phone + "\"");
      WriteEdited([&](fixture::Json& files) {
        fixture::Json& field = files[where.file][0][where.field];
        (where.index < 0 ? field : field[where.index]) = shape.phone;
      });
      const auto before = Snapshot();
      const Run run = Change(Keys(0, 3, "\"646\"", 0, "10001", "10003"));
      const bool left = shape.after == nullptr && std::string(shape.phone).find_first_not_of(' ') != std::string::npos;
      EXPECT_EQ(run.messages, std::vector<int>{left ? 1577 : 1551}) << run.transcript;
      if (left) {
        EXPECT_NE(qxtest::Flat(run.transcript).find("left as they were: 1,"), std::string::npos) << run.transcript;
      }
      // The phone of the case becomes `after` or stays; every other one
      // moves to (646), and an empty one stays empty.
      auto phone = [&](const char* field, int index, char* text) {
        const bool mine = std::string(where.field) == field && where.index == index;
        if (!mine && text[0] == '(') std::memcpy(text, "(646)", 5);
        if (mine && shape.after) std::memcpy(text, shape.after, std::strlen(shape.after));
      };
      const bool onCustomer = std::string(where.file) == "customers";
      const auto expected = Expected(
          Expected(before, records::kFileCustomers,
                   {Customer("ACME",
                             [&](auto& r) {
                               phone(onCustomer ? "phone1" : "", -1, r.phone1);
                               phone("", -1, r.phone2);
                               phone(onCustomer ? "fax" : "", -1, r.fax);
                             })}),
          records::kFileCustomerAddresses, {Address("ACME", [&](auto& r) {
            for (int i = 0; i < 3; ++i) phone(onCustomer ? "" : "phones", i, r.phones[i]);
          })});
      EXPECT_EQ(Snapshot().files, expected.files) << run.transcript;
    }
  }
}

// Every number a global change writes is one its stored field and the money
// bound hold: a value beyond is refused on the screen, with the largest (or
// lowest) value allowed, and nothing is written; the bounds themselves are
// taken and stored as typed.
TEST_F(GlobalChangeTest, ANumberIsRefusedBeyondWhatItsFieldHolds) {
  const std::string credit = "Enter Right Right Right Right Right Right Right Right Right Enter ";
  const std::string minimum = "Enter Right Right Enter ";
  const std::string rate = "Enter Right Enter ";
  const std::string spRate = "Right Right Right Enter Enter ";
  const std::string spAmount = "Right Right Right Enter Right Enter ";
  auto leaving = [](const std::string& to, const std::string& value) { return to + "\"" + value + "\" Enter Esc Esc"; };
  struct Case {
    const char* name;
    std::string keys;
    std::vector<int> messages;
    const char* shown = "";  // a text of the message
    int fileNo = 0;          // where the changes are expected
    std::vector<Expect> changes = {};
  };
  const Case cases[] = {
      {"credit limit of fifteen nines", leaving(credit, "999999999999999"), {1807}, "allowed is 9999999999.99"},
      {"credit limit just above the bound", leaving(credit, "10000000000"), {1807}, "allowed is 9999999999.99"},
      {"credit limit far below zero", leaving(credit, "-1e13"), {1581}, "allowed is -9999999999.99"},
      {"credit limit too large, on F10", credit + "\"999999999999999\" F10 Enter Esc Esc", {1807}},
      {"minimum finance charge of fifty billion", leaving(minimum, "50000000000"), {1807}, "allowed is 9999999999.99"},
      {"minimum finance charge negative", leaving(minimum, "-1"), {487}},
      {"finance charge rate of 1e39", leaving(rate, "1e39"), {1579}, "allowed is 999.99"},
      {"finance charge rate of 1000", leaving(rate, "1000"), {1579}, "allowed is 999.99"},
      {"salesperson rate of 1e39", leaving(spRate, "1e39"), {1579}, "allowed is 999.99"},
      {"salesperson amount of 1e300", leaving(spAmount, "1e300"), {1807}, "allowed is 9999999999.99"},
      {"salesperson amount of -1e300", leaving(spAmount, "-1e300"), {1581}, "allowed is -9999999999.99"},
      {"a hexadecimal number", leaving(spAmount, "0x10"), {1567}},
      {"credit limit at the bound", Keys(0, 9, "\"9999999999.99\"", 0, "ACME", "ACME"), {1551}, "",
       records::kFileCustomers, {Customer("ACME", [](auto& r) { r.creditLimit = 9999999999.99; })}},
      {"credit limit to the cent", Keys(0, 9, "\"1234.567\"", 0, "ACME", "ACME"), {1551}, "",
       records::kFileCustomers, {Customer("ACME", [](auto& r) { r.creditLimit = 1234.57; })}},
      {"finance charge rate at the bound", Keys(0, 1, "\"999.99\"", 0, "ACME", "ACME"), {1551}, "",
       records::kFileCustomers, {Customer("ACME", [](auto& r) { r.financeChargeRate = 999.99f; })}},
      {"salesperson amount at the lowest", Keys(3, 1, "\"-9999999999.99\"", 0, "S1", "S1"), {1551}, "",
       records::kFileSalespersons, {Salesperson("S1", [](auto& r) { r.amount = -9999999999.99; })}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const auto before = Snapshot();
    const Run run = Change(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_NE(qxtest::Flat(run.transcript).find(c.shown), std::string::npos) << run.transcript;
    const auto after = Snapshot();
    EXPECT_EQ(after.files, (c.changes.empty() ? before : Expected(before, c.fileNo, c.changes)).files)
        << run.transcript;
    for (const auto& [fileNo, images] : after.files) {
      const records::FileDef* def = records::FindFile(fileNo);
      records::UnsoundNumber unsound;
      for (const Bytes& image : images)
        EXPECT_FALSE(def && records::FindUnsoundNumber(*def, image, &unsound))
            << "file " << fileNo << " " << CodeOf(image) << " " << unsound.field << " " << unsound.value;
    }
  }
}

// The rules of a type change: an account becomes open item or balance
// forward only with terms, whatever else it has (RIVER and STONE have no
// tax code; STONE has no terms); a negative-stock product leaves its type
// only when its stock covers what is committed; a product becomes
// non-inventory only with no stock, no value on hand and no bill of
// materials; a customer or vendor with open items keeps its account, and
// one with open items or a balance does not become cash (a cash account
// keeps no balance: the postings would leave its transactions in the
// receivables account alone).  The records a rule passes over are counted
// in the end message.
TEST_F(GlobalChangeTest, TypeChangesFollowTheirRules) {
  const fixture::Json products = fixture::Json::array({
      {{"number", "ZN3"}, {"description", "Committed"}, {"productType", 3}, {"secondQuantityOnHand", 4.0},
       {"lastCost", 2.0}, {"standardCost", 2.0}, {"averageCost", 2.0}},
      {{"number", "ZNEG"}, {"description", "Below zero"}, {"productType", 3}, {"quantityOnHand", -2.0},
       {"lastCost", 2.0}, {"standardCost", 2.0}, {"averageCost", 2.0}},
      {{"number", "ZOK"}, {"description", "Nothing held"}, {"productType", 3}, {"lastCost", 2.0},
       {"standardCost", 2.0}, {"averageCost", 2.0}},
      {{"number", "ZVAL"}, {"description", "Value left"}, {"productType", 1}, {"valueOnHand", -30.28},
       {"lastCost", 2.0}, {"standardCost", 2.0}, {"averageCost", 2.0}},
  });
  auto nonInventory = [](auto& r) {
    r.productType = 2;
    r.lastCost = 0.0;
    r.standardCost = 0.0;
    r.averageCost = 0.0;
  };
  struct Case {
    const char* name;
    std::string keys;
    int fileNo;
    std::vector<int> messages;
    std::vector<Expect> changes;
    const char* shown = "";
  };
  const Case cases[] = {
      {"balance forward to open item: CRAG has no terms", Keys(0, 0, "", 0, "", ""), records::kFileCustomers,
       {1571},
       {Customer("ACME", [](auto& r) { r.accountType = 'O'; }), Customer("BOLT", [](auto& r) { r.accountType = 'O'; })},
       "Records changed: 2. Passed over: 1,"},
      {"a vendor without a tax code back from cash to balance forward", Keys(1, 0, "Right", 0, "", ""),
       records::kFileVendors, {1571}, {Vendor("RIVER", [](auto& r) { r.accountType = 'B'; })},
       "Records changed: 1. Passed over: 1,"},
      {"nothing changed, all passed over", Keys(1, 0, "Right", 0, "STONE", "STONE"), records::kFileVendors, {1571},
       {}, "Records changed: 0. Passed over: 1,"},
      {"negative-stock with stock committed to non-inventory", Keys(2, 0, "Right", 0, "ZN3", "ZN3"),
       records::kFileProducts, {1575}, {}},
      {"negative-stock with stock committed to normal", Keys(2, 0, "", 0, "ZN3", "ZN3"), records::kFileProducts,
       {1575}, {}},
      {"negative-stock below zero to normal", Keys(2, 0, "", 0, "ZNEG", "ZNEG"), records::kFileProducts, {1575}, {}},
      {"none on hand but value left in the inventory account to non-inventory", Keys(2, 0, "Right", 0, "ZVAL", "ZVAL"),
       records::kFileProducts, {1575}, {}},
      {"negative-stock holding nothing to non-inventory", Keys(2, 0, "Right", 0, "ZOK", "ZOK"),
       records::kFileProducts, {1551}, {Product("ZOK", nonInventory)}},
      {"negative-stock covering its commitments to normal", Keys(2, 0, "", 0, "P-NEG", "P-NEG"),
       records::kFileProducts, {1551}, {Product("P-NEG", [](auto& r) { r.productType = 1; })}},
      {"non-inventory only without stock, commitments or bill of materials", Keys(2, 0, "Right", 0, "", ""),
       records::kFileProducts, {1575}, {Product("P-ZERO", nonInventory), Product("ZOK", nonInventory)},
       "Records changed: 2. Passed over: 6,"},
      {"A/R account: a customer with open items keeps its account", Keys(0, 7, "\"1210\"", 0, "", ""),
       records::kFileCustomers, {1573},
       {Customer("ACME", [](auto& r) { SetText(r.glAccount, "1210"); }),
        Customer("CRAG", [](auto& r) { SetText(r.glAccount, "1210"); })},
       "Records changed: 2. Passed over: 1,"},
      {"A/P account: a vendor with open items keeps its account", Keys(1, 2, "\"2110\"", 0, "", ""),
       records::kFileVendors, {1573}, {Vendor("STONE", [](auto& r) { SetText(r.glAccount, "2110"); })}},
      {"to cash: BOLT has open items, CRAG a balance", Keys(0, 0, "Right Right", 0, "", ""),
       records::kFileCustomers, {1583}, {Customer("ACME", [](auto& r) { r.accountType = 'C'; })},
       "Records changed: 1. Passed over: 2,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteEdited([&](fixture::Json& files) {
      for (const fixture::Json& p : products) files["products"].push_back(p);
      files["vendors"][0]["accountType"] = "C";  // RIVER, with terms and no tax code
      files["customers"][2]["balance"] = 25.0;   // CRAG, without open items
    });
    const auto before = Snapshot();
    const Run run = Change(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_NE(qxtest::Flat(run.transcript).find(c.shown), std::string::npos) << run.transcript;
    EXPECT_EQ(Snapshot().files, Expected(before, c.fileNo, c.changes).files) << run.transcript;
  }
}

// Conditions take what the value fields take and compare as the files
// order: an area code with or without its parentheses; codes without
// regard to letter case, so that "gc04", which the file keeps between GC03
// and GC05, lies in a range from GC01 to GC05.
TEST_F(GlobalChangeTest, ConditionsTakeTheFormsTheValuesTake) {
  const fixture::Json extra = fixture::Json::array({
      {{"code", "GC03"}, {"name", "Three"}, {"accountType", "O"}},
      {{"code", "gc04"}, {"name", "Four"}, {"accountType", "O"}},
      {{"code", "GC05"}, {"name", "Five"}, {"accountType", "O"}},
      {{"code", "GC06"}, {"name", "Six"}, {"accountType", "O"}},
  });
  auto acme212 = [](auto& r) { PhoneGroupTo646(r); };
  struct Case {
    const char* name;
    std::string keys;
    std::vector<int> messages;
    std::vector<Expect> changes = {};
    std::vector<Expect> addressChanges = {};
  };
  const Case cases[] = {
      {"area code 212 without parentheses", Keys(0, 3, "\"646\"", 1, "212", "212"), {1551},
       {Customer("ACME", acme212)}, {Address("ACME", [](auto& r) { std::memcpy(r.phones[0], "(646)", 5); })}},
      {"area code (212) with them", Keys(0, 3, "\"646\"", 1, "(212)", "(212)"), {1551},
       {Customer("ACME", acme212)}, {Address("ACME", [](auto& r) { std::memcpy(r.phones[0], "(646)", 5); })}},
      {"area codes from 200 to (299)", Keys(0, 3, "\"646\"", 1, "200", "(299)"), {1551},
       {Customer("ACME", acme212), Customer("BOLT", [](auto& r) { std::memcpy(r.phone1, "(646)", 5); })},
       {Address("ACME", [](auto& r) { std::memcpy(r.phones[0], "(646)", 5); })}},
      {"an area code bound that is none", Keys(0, 3, "\"646\"", 1, "21", "212") + " Esc", {1569}},
      {"customer codes from GC01 to GC05, one in lower case", Keys(0, 4, "\"EX\"", 1, "GC01", "GC05"), {1551},
       {Customer("GC03", [](auto& r) { SetText(r.taxCode, "EX"); }),
        Customer("gc04", [](auto& r) { SetText(r.taxCode, "EX"); }),
        Customer("GC05", [](auto& r) { SetText(r.taxCode, "EX"); })}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteEdited([&](fixture::Json& files) {
      for (const fixture::Json& r : extra) files["customers"].push_back(r);
    });
    const auto before = Snapshot();
    const Run run = Change(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    const auto expected =
        Expected(Expected(before, records::kFileCustomers, c.changes), records::kFileCustomerAddresses, c.addressChanges);
    EXPECT_EQ(Snapshot().files, expected.files) << run.transcript;
  }
}

}  // namespace
