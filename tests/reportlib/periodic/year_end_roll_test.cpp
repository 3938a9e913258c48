// Year-end roll of the statistics (commands 369, 374 and 384), driven by key
// scripts over companies built by the fixture loader: every group of every
// customer, vendor, product and service moves one year on, slot by slot,
// and nothing else of the records changes; the question is asked once; a
// refusal or a record-manager failure leaves every record as it was.
//
// A group's slots: 0 the year before last, 1 last year, 2 this year, 3 the
// forecast, 4 what was already posted to next year.  The roll makes them
// {1, 2, 4, 3, 0}: the forecast stays, the new year starts with what was
// posted to it.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/year_end_roll.h"
#include "qxabase/app_block.h"
#include "qxtest/company_test.h"
#include "qxtest/transcript.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace {

using fixture::Json;
using Image = std::vector<std::uint8_t>;

constexpr int kCustomers = records::kFileCustomers;
constexpr int kVendors = records::kFileVendors;
constexpr int kProducts = records::kFileProducts;
constexpr int kServices = records::kFileServices;

constexpr int kMsgRoll = 1503;
constexpr int kMsgDone = 1267;

// Five values of a group that make every slot's move visible: slot s holds
// base + s + 1.
Json Group(double base) {
  Json g = Json::array();
  for (int s = 0; s < 5; ++s) g.push_back(base + s + 1);
  return g;
}

// The group of `before` after the roll.
std::vector<double> Rolled(const std::vector<double>& before) {
  return {before[1], before[2], before[4], before[3], 0.0};
}

template <class T>
std::vector<double> GroupAt(const Image& r, std::size_t offset) {
  std::vector<double> g;
  for (int s = 0; s < 5; ++s) {
    T v{};
    std::memcpy(&v, r.data() + offset + s * sizeof(T), sizeof v);
    g.push_back(static_cast<double>(v));
  }
  return g;
}

// The statistics groups of a file, by offset and kind.
struct GroupAtOffset {
  std::size_t offset;
  bool int32;
};
struct MasterFile {
  const char* name;       // the fixture's file name
  int fileNo;
  const char* codeField;  // the record's key field
  int unnamedOffset;      // 4 bytes that no field names
  std::vector<std::pair<const char*, GroupAtOffset>> groups;
};

const MasterFile kCustomerFile{"customers", kCustomers, "code", 30,
                               {{"invoiceCounts", {190, true}},
                                {"otherCounts", {210, true}},
                                {"grossAmounts", {230, false}},
                                {"costOfGoods", {270, false}},
                                {"payments", {310, false}}}};
const MasterFile kVendorFile{"vendors", kVendors, "code", 30, kCustomerFile.groups};
const MasterFile kProductFile{"products", kProducts, "number", 46,
                              {{"purchaseUnits", {370, false}},
                               {"salesUnits", {410, false}},
                               {"purchaseDollars", {450, false}},
                               {"salesDollars", {490, false}},
                               {"costOfSales", {530, false}},
                               {"grossProfit", {570, false}}}};
const MasterFile kServiceFile{"services", kServices, "code", 107,
                              {{"salesDollars", {115, false}}, {"salesUnits", {155, false}}}};

class YearEndRollTest : public qxtest::CompanyTest {
 protected:
  // Three records of `file`, each group with values of its own, and bytes
  // no field names set, so that a roll that touches more than the groups
  // shows.
  void AddRecords(const MasterFile& file) {
    for (int i = 0; i < 3; ++i) {
      Json r{{file.codeField, std::string(file.name).substr(0, 4) + std::to_string(i + 1)}};
      double base = 100.0 * (i + 1);
      for (const auto& [field, at] : file.groups) {
        r[field] = Group(base);
        base += 10.0;
      }
      r["raw"] = {{std::to_string(file.unnamedOffset), "5150c0de"}};
      Add(file.name, r);
    }
  }

  std::vector<Image> Records(int fileNo) { return Snapshot({fileNo}).files[fileNo]; }

  // Every record of `after` is `before` with each group rolled: the slots
  // checked one by one, then every other byte compared.
  void ExpectRolled(const MasterFile& file, const std::vector<Image>& before, const std::vector<Image>& after,
                    int times = 1) {
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      SCOPED_TRACE(std::string(file.name) + " record " + std::to_string(i + 1));
      Image expected = before[i];
      for (const auto& [field, at] : file.groups) {
        std::vector<double> want = at.int32 ? GroupAt<std::int32_t>(before[i], at.offset)
                                            : GroupAt<double>(before[i], at.offset);
        for (int t = 0; t < times; ++t) want = Rolled(want);
        const std::vector<double> got = at.int32 ? GroupAt<std::int32_t>(after[i], at.offset)
                                                 : GroupAt<double>(after[i], at.offset);
        EXPECT_EQ(got, want) << field;
        const std::size_t width = at.int32 ? 4 : 8;
        std::memcpy(expected.data() + at.offset, after[i].data() + at.offset, 5 * width);
      }
      EXPECT_EQ(after[i], expected) << "bytes outside the groups changed";
    }
  }

  qxtest::CompanyTest::Run RunCustVend(const std::string& keys, int fileNo) {
    SharedAppBlockGet()->currentCommand = fileNo == kCustomers ? 369 : 374;
    return RunScripted(keys, [&] { return RunCustVendYearEnd(fileNo); });
  }
  qxtest::CompanyTest::Run RunInventory(const std::string& keys) {
    SharedAppBlockGet()->currentCommand = 384;
    return RunScripted(keys, [&] { return RunInventoryYearEnd(); });
  }
};

// --- Customers and vendors ------------------------------------------------------------

TEST_F(YearEndRollTest, CustomersAndVendorsRollEveryGroupOnce) {
  for (const MasterFile* file : {&kCustomerFile, &kVendorFile}) {
    SCOPED_TRACE(file->name);
    AddRecords(kCustomerFile);
    AddRecords(kVendorFile);
    WriteCompany();
    const std::vector<Image> customers = Records(kCustomers);
    const std::vector<Image> vendors = Records(kVendors);

    const auto run = RunCustVend("Enter Enter", file->fileNo);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.messages, (std::vector<int>{kMsgRoll, kMsgDone})) << run.transcript;
    EXPECT_NE(run.transcript.find("Year-End Statistics"), std::string::npos) << "the status box";
    ExpectRolled(*file, file->fileNo == kCustomers ? customers : vendors, Records(file->fileNo));
    // The other ledger is not touched.
    const int other = file->fileNo == kCustomers ? kVendors : kCustomers;
    EXPECT_EQ(Records(other), other == kCustomers ? customers : vendors);
    Fixture() = Json{{"files", Json::object()}};
  }
}

TEST_F(YearEndRollTest, RunningTwiceRollsTwice) {
  AddRecords(kCustomerFile);
  WriteCompany();
  const std::vector<Image> before = Records(kCustomers);
  RunCustVend("Enter Enter", kCustomers);
  const auto second = RunCustVend("Enter Enter", kCustomers);
  EXPECT_EQ(second.messages, (std::vector<int>{kMsgRoll, kMsgDone}));
  ExpectRolled(kCustomerFile, before, Records(kCustomers), 2);
}

struct RefusalCase {
  const char* name;
  const char* keys;
};
const RefusalCase kRefusals[] = {
    {"No", R"("N")"},
    {"Esc", "Esc"},
    {"the second button", "Right Enter"},
};

TEST_F(YearEndRollTest, AnsweringNoChangesNothing) {
  AddRecords(kCustomerFile);
  AddRecords(kProductFile);
  AddRecords(kServiceFile);
  WriteCompany();
  const fixture::CompanyImage before = Snapshot({kCustomers, kProducts, kServices});
  for (const RefusalCase& c : kRefusals) {
    SCOPED_TRACE(c.name);
    const auto customers = RunCustVend(c.keys, kCustomers);
    EXPECT_EQ(customers.messages, std::vector<int>{kMsgRoll}) << customers.transcript;
    const auto inventory = RunInventory(c.keys);
    EXPECT_EQ(inventory.result, 0);
    EXPECT_EQ(inventory.messages, std::vector<int>{kMsgRoll}) << inventory.transcript;
    EXPECT_EQ(Snapshot({kCustomers, kProducts, kServices}).files, before.files);
  }
}

// --- Products and services ------------------------------------------------------------

TEST_F(YearEndRollTest, InventoryRollsProductsThenServices) {
  AddRecords(kProductFile);
  AddRecords(kServiceFile);
  AddRecords(kCustomerFile);
  WriteCompany();
  const std::vector<Image> products = Records(kProducts);
  const std::vector<Image> services = Records(kServices);
  const std::vector<Image> customers = Records(kCustomers);

  const auto run = RunInventory("Enter Enter");
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.messages, (std::vector<int>{kMsgRoll, kMsgDone})) << run.transcript;
  ExpectRolled(kProductFile, products, Records(kProducts));
  ExpectRolled(kServiceFile, services, Records(kServices));
  EXPECT_EQ(Records(kCustomers), customers);
}

TEST_F(YearEndRollTest, AnEmptyFileRollsNothingAndSaysDone) {
  const auto customers = RunCustVend("Enter Enter", kCustomers);
  EXPECT_EQ(customers.messages, (std::vector<int>{kMsgRoll, kMsgDone})) << customers.transcript;
  const auto inventory = RunInventory("Enter Enter");
  EXPECT_EQ(inventory.result, 0);
  EXPECT_EQ(inventory.messages, (std::vector<int>{kMsgRoll, kMsgDone})) << inventory.transcript;
}

// --- Failures -----------------------------------------------------------------------------

struct FailureCase {
  const char* name;
  int command;          // 369 customers, 384 inventory
  const char* failure;  // BtrvTestSwitch
  const char* shown;    // in the error box
  int result;           // of the inventory entry
};

// Whatever step fails, the whole command's roll is undone: a roll left half
// done could not be told apart from one never made, and a rerun would roll
// the records already rolled again.
const FailureCase kFailures[] = {
    {"rewriting the second customer", 369, "fail=3:customers:2:84", "Error 84:", 0},
    {"reading the next customer", 369, "fail=6:customers:2:2", "Error 2:", 0},
    {"rewriting the last product: services are not touched", 384, "fail=3:products:3:80", "Error 80:", 80},
    {"reading the next product", 384, "fail=6:products:1:2", "Error 2:", 2},
    {"rewriting a service: the products are undone too", 384, "fail=3:services:2:84", "Error 84:", 0},
    {"opening the services", 384, "fail=0:services:1:85", "Error 85:", 0},
    {"committing the roll", 384, "fail=20:*:1:2", "Error 2:", 0},
};

TEST_F(YearEndRollTest, AFailureLeavesEveryRecordAsItWas) {
  AddRecords(kCustomerFile);
  AddRecords(kProductFile);
  AddRecords(kServiceFile);
  WriteCompany();
  const fixture::CompanyImage before = Snapshot({kCustomers, kProducts, kServices});
  for (const FailureCase& c : kFailures) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const auto run = c.command == 369 ? RunCustVend("Enter Enter Enter", kCustomers)
                                      : RunInventory("Enter Enter Enter");
    BtrvTestSwitch("");
    EXPECT_EQ(run.messages, std::vector<int>{kMsgRoll}) << run.transcript;
    EXPECT_NE(qxtest::Flat(run.transcript).find(c.shown), std::string::npos) << run.transcript;
    if (c.command == 384) {
      EXPECT_EQ(run.result, c.result);
    }
    EXPECT_EQ(Snapshot({kCustomers, kProducts, kServices}).files, before.files);
  }
  // The roll then runs whole.
  const auto run = RunInventory("Enter Enter");
  EXPECT_EQ(run.messages, (std::vector<int>{kMsgRoll, kMsgDone})) << run.transcript;
  ExpectRolled(kProductFile, before.files.at(kProducts), Records(kProducts));
  ExpectRolled(kServiceFile, before.files.at(kServices), Records(kServices));
}

}  // namespace
