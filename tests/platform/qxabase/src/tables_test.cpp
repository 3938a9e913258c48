// Table classes and the active-record tables.
#include <cstring>
#include <string>
#include <vector>

#include "qxabase/batch_1099.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/support.h"
#include "test_support.h"

namespace {

class TablesTest : public qxtest::BaseTest {
 protected:
  void SetUp() override {
    BaseTest::SetUp();
    LoadCompany("twelve_periods.json");
  }
};

TEST_F(TablesTest, TheActiveAccountTablePassesOverAccountsNotInUse) {
  CDbTblActiveAcct accounts;
  ASSERT_EQ(0, accounts.Open(records::kFileGLAccounts, kFileModeReadOnly, 0));
  std::vector<std::string> walked;
  char key[255] = {};
  records::GLAccount a{};
  for (int s = accounts.Read(kOpGetFirst, key, &a); s == 0; s = accounts.Read(kOpGetNext, key, &a))
    walked.push_back(a.code);
  EXPECT_EQ((std::vector<std::string>{"1000", "5100", "6000"}), walked);

  walked.clear();
  for (int s = accounts.Read(kOpGetLast, key, &a); s == 0; s = accounts.Read(kOpGetPrevious, key, &a))
    walked.push_back(a.code);
  EXPECT_EQ((std::vector<std::string>{"6000", "5100", "1000"}), walked) << "backwards too";

  std::strcpy(key, "4000");
  EXPECT_EQ(kStatusKeyNotFound, accounts.Read(kOpGetEqual, key, &a));
  std::strcpy(key, "2000");
  ASSERT_EQ(0, accounts.Read(kOpGetGreaterOrEqual, key, &a));
  EXPECT_STREQ("5100", a.code) << "4000 is passed over";
  std::strcpy(key, "7000");
  EXPECT_EQ(kStatusEndOfFile, accounts.Read(kOpGetGreaterOrEqual, key, &a));
}

TEST_F(TablesTest, ATableOverTheCallersHandleLeavesItOpen) {
  FileSet set;
  ASSERT_EQ(0, FileSetOpen(&set, records::kFileCustomers, 0));
  {
    CDbTblActiveCustVend customers(set.handle[0], records::kFileCustomers);
    char key[255] = "BIRCH";
    records::CustVendRecord c{};
    ASSERT_EQ(0, customers.Read(kOpGetEqual, key, &c));
    EXPECT_EQ(0, customers.GetDefaults());
    unsigned char position[4];
    ASSERT_EQ(0, customers.Position(kOpGetDirect, position));
    c.creditLimit = 2500;
    ASSERT_EQ(0, customers.Modify(kOpUpdate));
    ASSERT_EQ(0, customers.Read(kOpGetFirst, key, &c));
    ASSERT_EQ(0, customers.Position(0, position));
    ASSERT_EQ(0, customers.Read(kOpGetNext, key, &c));
    EXPECT_STREQ("CEDAR", c.code) << "the walk goes on from the restored position";
  }
  char key[255] = "BIRCH";
  records::CustVendRecord c{};
  ASSERT_EQ(0, BtrvGetOp(kOpGetEqual, set.handle[0], key, &c)) << "the handle is still open";
  EXPECT_EQ(2500, c.creditLimit);
}

TEST_F(TablesTest, OpeningAFileTheCompanyLacksGivesItsStatus) {
  ASSERT_EQ(0, BtrvFileDelete(FilePathGet(records::kFileServices)));
  CDbTblActiveServ services;
  EXPECT_EQ(kStatusFileNotFound, services.Open(records::kFileServices, 0, 0));
  EXPECT_EQ(0, services.Handle());
  services.Close();
}

// A batch rewritten through one file set can be rewritten through another
// at once: the rewrite lets its lock go (the 1096 printed from inside the
// 1099 run writes the batch the 1099 run wrote).
class BatchTableTest : public qxtest::BaseTest {};

TEST_F(BatchTableTest, ARewriteLeavesTheBatchFreeForAnotherFileSet) {
  LoadCompanyText(R"({"files": {"form_1099_batches": [
      {"name": "B2024", "formCount": 3, "totalAmount": 2550.0, "form1096": "N"}]}})");
  FileSet first, second;
  ASSERT_EQ(0, FileSetOpen(&first, records::kFile1099Batches, 0));
  ASSERT_EQ(0, FileSetOpen(&second, records::kFile1099Batches, 0));
  QxaBatchFileForm1099 one(first.handle[0]), other(second.handle[0]);
  records::TagBatchForm1099 batch{};
  ASSERT_EQ(0, one.TableRead("B2024", kOpGetEqual));
  one.CopyData(&batch);
  batch.form1096 = 'Y';
  ASSERT_EQ(0, one.TableWrite(&batch, 0));
  ASSERT_EQ(0, other.TableRead("B2024", kOpGetEqual));
  other.CopyData(&batch);
  std::snprintf(batch.contactName, sizeof batch.contactName, "%s", "Pat Quinlan");
  EXPECT_EQ(0, other.TableWrite(&batch, 0)) << "the first file set holds no lock on the batch";
  ASSERT_EQ(0, one.TableRead("B2024", kOpGetEqual));
  one.CopyData(&batch);
  EXPECT_EQ('Y', batch.form1096);
  EXPECT_STREQ("Pat Quinlan", batch.contactName);
}

}  // namespace
