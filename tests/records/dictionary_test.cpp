// The data dictionary: every file can be created from it, and its keys order
// and refuse records as their declarations say.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "daynumber.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace records {
namespace {

namespace fs = std::filesystem;

class Folder {
 public:
  Folder() {
    path_ = fs::temp_directory_path() / ("qx-dictionary-" + std::to_string(::getpid()) + "-" +
                                         std::to_string(counter_++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Folder() {
    BtrvReset();
    fs::remove_all(path_);
  }
  std::string File(const FileDef& f) const { return (path_ / f.name).string(); }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

// A file of the dictionary, created and open.
class OpenFile {
 public:
  OpenFile(const Folder& folder, int number) : def_(*FindFile(number)) {
    const std::vector<std::uint8_t> spec = CreateSpecification(def_);
    const std::string path = folder.File(def_);
    status_ = BtrvCreate(path.c_str(), spec.data(), spec.data() + kFileSpecSize);
    if (status_ == kStatusOk) status_ = BtrvOpen(&handle_, path.c_str(), kOpenNormal, 0);
  }
  ~OpenFile() {
    if (handle_) BtrvClose(handle_);
  }
  int status() const { return status_; }
  BtrvHandle handle() const { return handle_; }
  template <class Record>
  int Insert(const Record& r) {
    std::uint8_t key[255] = {};
    return BtrvWriteOp(kOpInsert, handle_, key, &r, sizeof r);
  }

 private:
  const FileDef& def_;
  BtrvHandle handle_ = 0;
  int status_ = 0;
};

TEST(Dictionary, IsConsistent) { EXPECT_TRUE(DictionaryIsConsistent()); }

TEST(Dictionary, FindsFilesByNumberAndByNameWithoutCase) {
  ASSERT_NE(FindFile(kFileCustomers), nullptr);
  EXPECT_STREQ(FindFile(kFileCustomers)->name, "customers");
  EXPECT_EQ(FindFile("CUSTOMERS"), FindFile(kFileCustomers));
  EXPECT_EQ(FindFile("Settings"), FindFile(kFileSettings));
  EXPECT_EQ(FindFile(9999), nullptr);
  EXPECT_EQ(FindFile("no_such_file"), nullptr);
}

// Every file is created from its specification, and the record manager
// reports back the length and keys the dictionary gave.
TEST(Dictionary, CreatesEveryFile) {
  Folder folder;
  for (const FileDef& f : AllFiles()) {
    SCOPED_TRACE(f.name);
    OpenFile file(folder, f.number);
    ASSERT_EQ(file.status(), kStatusOk);
    std::vector<std::uint8_t> stat(kFileSpecSize + 64 * kKeySegmentSize);
    ASSERT_EQ(BtrvStat(file.handle(), stat.data(), static_cast<unsigned>(stat.size())), kStatusOk);
    EXPECT_EQ(stat[0] | stat[1] << 8, f.recordLength);
    EXPECT_EQ(stat[4], f.keys.size());
    EXPECT_EQ((stat[10] & kFileFlagVariableLength) != 0, f.variableLength);
  }
}

TEST(Keys, CustomerCodesAreLookedUpWithoutCaseAndOnceEach) {
  Folder folder;
  OpenFile customers(folder, kFileCustomers);
  ASSERT_EQ(customers.status(), kStatusOk);
  CustVendRecord c{};
  SetText(c.code, "ACME");
  SetText(c.name, "Acme Tools");
  ASSERT_EQ(customers.Insert(c), kStatusOk);

  char key[255] = "acme";
  CustVendRecord found{};
  EXPECT_EQ(BtrvGetOp(kOpGetEqual, customers.handle(), key, &found), kStatusOk);
  EXPECT_STREQ(found.name, "Acme Tools");

  CustVendRecord twin{};
  SetText(twin.code, "Acme");
  EXPECT_EQ(customers.Insert(twin), kStatusDuplicateKey);

  // The code is the record's identity: an update may not change it.
  SetText(found.code, "ACME2");
  EXPECT_EQ(BtrvWriteOp(kOpUpdate, customers.handle(), key, &found), kStatusModifiableKey);
}

TEST(Keys, DateKeysOrderByDayAndAllowSharedDates) {
  Folder folder;
  OpenFile headers(folder, kFileGLHeaders);
  ASSERT_EQ(headers.status(), kStatusOk);
  const std::int32_t dates[] = {daynum::FromCivil(2025, 1, 10), daynum::FromCivil(1999, 12, 31),
                                daynum::FromCivil(2024, 2, 29), daynum::FromCivil(2025, 1, 10)};
  int number = 0;
  for (std::int32_t d : dates) {
    TagGLHeader h{};
    SetPadded(h.journalCode, "GJ");
    SetText(h.transactionNumber, std::to_string(++number));
    h.date = d;
    ASSERT_EQ(headers.Insert(h), kStatusOk);
  }
  ASSERT_EQ(BtrvSetKey(headers.handle(), 1, -1), kStatusOk);
  char key[255] = {};
  TagGLHeader h{};
  std::vector<std::int32_t> read;
  for (int st = BtrvGetOp(kOpGetFirst, headers.handle(), key, &h); st == kStatusOk;
       st = BtrvGetOp(kOpGetNext, headers.handle(), key, &h)) {
    read.push_back(h.date);
  }
  EXPECT_EQ(read, (std::vector<std::int32_t>{dates[1], dates[2], dates[0], dates[3]}));
}

// Inventory posting reads key 2 from 'N': the unposted records in date
// order, and a posted one is found no more once its flag changes.
TEST(Keys, PostedFlagKeyReadsTheUnpostedFirstAndFollowsTheFlag) {
  Folder folder;
  OpenFile file(folder, kFileInventoryTransactions);
  ASSERT_EQ(file.status(), kStatusOk);
  const struct {
    char flag;
    std::int32_t date;
  } rows[] = {{'Y', 100}, {'N', 300}, {'N', 200}, {'Y', 50}};
  for (const auto& row : rows) {
    InventoryTransaction t{};
    SetText(t.productCode, "PEN");
    t.postedFlag = row.flag;
    t.date = row.date;
    t.source = 'T';
    ASSERT_EQ(file.Insert(t), kStatusOk);
  }
  ASSERT_EQ(BtrvSetKey(file.handle(), 2, -1), kStatusOk);
  char key[255] = {'N'};
  InventoryTransaction t{};
  ASSERT_EQ(BtrvGetOp(kOpGetGreaterOrEqual, file.handle(), key, &t), kStatusOk);
  EXPECT_EQ(t.date, 200);
  t.postedFlag = 'Y';  // marked posted: the key may change
  ASSERT_EQ(BtrvWriteOp(kOpUpdate, file.handle(), key, &t), kStatusOk);
  char again[255] = {'N'};
  ASSERT_EQ(BtrvGetOp(kOpGetGreaterOrEqual, file.handle(), again, &t), kStatusOk);
  EXPECT_EQ(t.date, 300);
}

TEST(Keys, SettingsRecordsKeepTheirOwnLengths) {
  Folder folder;
  OpenFile settings(folder, kFileSettings);
  ASSERT_EQ(settings.status(), kStatusOk);
  InterfaceRecord interface{};
  SetPadded(interface.key, "0Interface");
  CompanyRecord company{};
  SetPadded(company.key, "0Company");
  std::uint8_t key[255] = {};
  ASSERT_EQ(BtrvWriteOp(kOpInsert, settings.handle(), key, &interface, sizeof interface), kStatusOk);
  ASSERT_EQ(BtrvWriteOp(kOpInsert, settings.handle(), key, &company, sizeof company), kStatusOk);

  struct Case {
    const char* name;
    unsigned length;
  } cases[] = {{"0Interface", 182}, {"0Company", 818}};
  for (const Case& c : cases) {
    const SettingsKey k = MakeSettingsKey(c.name);
    std::uint8_t buffer[1024];
    unsigned length = 0;
    char keyBuffer[255] = {};
    std::memcpy(keyBuffer, k.text, sizeof k.text);
    ASSERT_EQ(BtrvGetOp(kOpGetEqual, settings.handle(), keyBuffer, buffer, sizeof buffer, &length), kStatusOk);
    EXPECT_EQ(length, c.length) << c.name;
  }
}

TEST(Keys, PlaceholdersKeepTheNumbersOfTheKeysTheCommandsRead) {
  // Cash headers: the commands read keys 2, 3, 4, 7 and 11.
  const FileDef& cash = *FindFile(kFileCashHeaders);
  ASSERT_EQ(cash.keys.size(), 12u);
  EXPECT_EQ(cash.keys[7].segments[0].offset, 106);   // posted flag first
  EXPECT_EQ(cash.keys[11].segments[0].offset, 120);  // period key
  EXPECT_TRUE(cash.keys[5].duplicates);
  EXPECT_EQ(cash.keys[5].segments[0].offset, cash.keys[0].segments[0].offset);
  // Billing headers: key 8 is the customer then the date.
  const FileDef& billing = *FindFile(kFileBillingHeaders);
  ASSERT_EQ(billing.keys.size(), 9u);
  EXPECT_EQ(billing.keys[8].segments[0].offset, 16);
  EXPECT_EQ(billing.keys[8].segments[1].offset, 397);
}

}  // namespace
}  // namespace records
