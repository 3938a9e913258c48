// The data dictionary of fields, its record files, field lists, and the
// temporary sort indexes built from it.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "records/masters.h"
#include "records/transactions.h"
#include "records/support.h"
#include "test_support.h"

namespace {

class DictionaryTest : public qxtest::BaseTest {};

TEST_F(DictionaryTest, FieldsOfTheScreensAndReportsByTableAndNumber) {
  const struct {
    const char* table;
    int field;
    std::size_t offset;
    int length;
    int type;
  } cases[] = {
      {"customers", 1, offsetof(records::CustVendRecord, code), 11, kDictText},
      {"customers", 53, 350, 41, kDictText},
      {"customers", 67, 707, 11, kDictText},
      {"customers", 30, 198, 4, kDictInt32},
      {"customers", 40, 246, 8, kDictAmount},
      {"vendors", 60, 575, 11, kDictText},         // read with the customers' table
      {"customers        ", 19, 126, 4, kDictDate},  // a padded table name
      {"products", 5, offsetof(records::TagProduct, bin), 9, kDictText},
      {"products", 56, 426, 8, kDictDouble},
      {"inventory_transactions", 5, 31, 4, kDictDate},
      {"audit_log", 2, 4, 15, kDictText},
      {"ap_headers", 9, 53, 4, kDictDate},
      {"ar_headers", 1, 0, 11, kDictText},
      {"billing_headers", 32, 397, 4, kDictDate},
      {"TEMPCSVD.DB", 105, 992, 1, kDictChar},
      {"TEMPCSVD.DB", 106, 993, 2, kDictInt16},
      {"TEMPCSVD.DB", 79, 824, 8, kDictAmount},
      {"TEMPCUST.DB", 2, 11, 11, kDictText},
  };
  for (const auto& c : cases) {
    const DictFieldDef* d = DictFieldFind(c.table, c.field);
    ASSERT_NE(nullptr, d) << c.table << " " << c.field;
    EXPECT_EQ(c.offset, static_cast<std::size_t>(d->offset)) << c.table << " " << c.field;
    EXPECT_EQ(c.length, d->length) << c.table << " " << c.field;
    EXPECT_EQ(c.type, d->valueType) << c.table << " " << c.field;
  }
  EXPECT_EQ(nullptr, DictFieldFind("customers", 999));
  EXPECT_EQ(nullptr, DictFieldFind("nosuchtable", 1));
  EXPECT_STREQ("customers", DictTableOf(66));
  EXPECT_STREQ("ap_open_invoices", DictTableOf(5));
  EXPECT_STREQ("products", DictTableOf(43 | kFileModeExclusive));
}

TEST_F(DictionaryTest, DefinitionsAreReadThroughTheDictionaryFile) {
  // No data-dictionary folder: the temporary folder's copy serves.
  BtrvHandle h = 0;
  ASSERT_EQ(0, DictQueryInit(&h));
  DictFieldDef def{};
  ASSERT_EQ(0, DictQueryJoin(h, 53, "customers", &def));
  EXPECT_EQ(350, def.offset);
  EXPECT_STREQ("Name", def.caption);
  EXPECT_STREQ("%-40s", def.format);
  ASSERT_EQ(0, DictQueryJoin(h, 9, "ar_headers      ", &def)) << "a journal's padded file table name";
  EXPECT_EQ(53, def.offset);
  Start("Enter");
  EXPECT_EQ(kStatusKeyNotFound, DictQueryJoin(h, 77, "customers", &def));
  EXPECT_NE(std::string::npos, Transcript().find("The data dictionary has no field 77 in table customers."));
  EXPECT_EQ(0, BtrvClose(h));

  unsigned char segment[16];
  int collating = 5;
  ASSERT_EQ(0, DictQueryLink(segment, DictFieldFind("customers", 53), &collating));
  EXPECT_EQ(0, collating);
  EXPECT_EQ(351, segment[0] | segment[1] << 8) << "positions count from 1";
  EXPECT_EQ(41, segment[2]);
  const unsigned flags = segment[4] | segment[5] << 8;
  EXPECT_TRUE(flags & kKeyFlagNoCase);
  EXPECT_TRUE(flags & kKeyFlagDuplicates);
  EXPECT_FALSE(flags & kKeyFlagSegmented) << "the caller marks all but the last segment";
}

TEST_F(DictionaryTest, FieldListsFitTheirBufferOrAreRefused) {
  unsigned char list[810];
  ASSERT_EQ(0, DictFieldListBuild("TEMPCSVD.DB", sizeof list, list, 1, 53, 105, -1));
  ASSERT_EQ(3, DictFieldListCount(list));
  EXPECT_EQ(105, DictFieldListAt(list, 2)->fieldNumber);
  EXPECT_EQ(nullptr, DictFieldListAt(list, 3));
  unsigned char small[100];
  EXPECT_EQ(2, DictFieldListBuild("TEMPCSVD.DB", sizeof small, small, 1, 53, -1));
  unsigned char accounts[2160];
  EXPECT_EQ(0, DictFieldListBuild(FileTableName(1), sizeof accounts, accounts, 1, 3, 9, 60, 61, 62, 63, 64, 65, 66,
                                  67, 68, 69, 70, 71, 72, -1));
  EXPECT_EQ(16, DictFieldListCount(accounts));
  Start("Enter");
  EXPECT_EQ(1, DictFieldListBuild("products", sizeof list, list, 1, 4242, -1));
}

TEST_F(DictionaryTest, TheDictionaryFilesOfAnInstallation) {
  const std::string folder = dir_ + "/QXACDICT";
  std::filesystem::create_directories(folder);
  ASSERT_EQ(0, DictionaryFilesWrite(folder.c_str()));
  AppBlockTextSet(SharedAppBlockGet()->dictFolder, kFolderFieldSize, folder.c_str());

  // The journals read a column by the 12-character table name and the
  // column number as a 32-bit integer.
  BtrvHandle columns = 0;
  ASSERT_EQ(0, BtrvOpen(&columns, FilePathGet(kFileColumnDictionary), 0, 0));
  unsigned char key[255] = {};
  std::memcpy(key, "Inhd        ", 12);
  const std::int32_t column = 32;
  std::memcpy(key + 12, &column, 4);
  unsigned char record[130] = {};
  ASSERT_EQ(0, BtrvGetOp(kOpGetGreaterOrEqual, columns, key, record));
  EXPECT_EQ(0, std::memcmp(record, "Inhd", 4));
  EXPECT_STREQ("Date", reinterpret_cast<const char*>(record + 12));
  EXPECT_EQ(32, record[28] | record[29] << 8);
  BtrvClose(columns);

  // Every column of the column dictionary has its field in the header file's table.
  const struct {
    const char* table;
    int file;
  } journals[] = {{"Apth", 4}, {"Arth", 7}, {"Inhd", 32}, {"Pohd", 41}, {"Asth", 11}, {"Chth", 18}};
  ASSERT_EQ(0, BtrvOpen(&columns, FilePathGet(kFileColumnDictionary), 0, 0));
  char k[255] = {};
  int count = 0;
  for (int status = BtrvGetOp(kOpGetFirst, columns, k, record); status == 0;
       status = BtrvGetOp(kOpGetNext, columns, k, record)) {
    ++count;
    const int number = record[28] | record[29] << 8;
    int file = 0;
    for (const auto& j : journals)
      if (std::memcmp(record, j.table, 4) == 0) file = j.file;
    ASSERT_NE(0, file);
    EXPECT_NE(nullptr, DictFieldFind(FileTableName(file), number)) << std::string(reinterpret_cast<const char*>(record), 4) << " " << number;
  }
  EXPECT_GT(count, 30);
  BtrvClose(columns);

  BtrvHandle fields = 0;
  ASSERT_EQ(0, DictQueryInit(&fields));
  DictFieldDef def{};
  EXPECT_EQ(0, DictQueryJoin(fields, 82, "products", &def));
  BtrvClose(fields);
}

// A data-dictionary folder without the dictionaries (a development build)
// gets both at the first query, so the journals find their columns.
TEST_F(DictionaryTest, AFolderWithoutTheDictionariesGetsThem) {
  const std::string folder = dir_ + "/program/QXACDICT";
  AppBlockTextSet(SharedAppBlockGet()->dictFolder, kFolderFieldSize, folder.c_str());
  BtrvHandle h = 0;
  ASSERT_EQ(0, DictQueryInit(&h));
  BtrvClose(h);
  EXPECT_EQ(0, BtrvFileExists(FilePathGet(kFileFieldDictionary)));
  EXPECT_EQ(0, BtrvFileExists((folder + "/WQXACCOL.DB").c_str()));
}

// Products sorted by bin then description through a temporary index; the
// index goes when dropped, and key 0 is current again.
TEST_F(DictionaryTest, ATemporaryIndexOrdersTheRecordsByItsFields) {
  LoadCompany("twelve_periods.json");
  FileSet set;
  ASSERT_EQ(0, FileSetOpen(&set, records::kFileProducts, 0));
  const BtrvHandle h = set.handle[0];
  ASSERT_EQ(0, TempIndexCreate(records::kFileProducts, h, 5, 2, -1));
  EXPECT_GT(TempIndexKey(h), 0);
  EXPECT_EQ(TempIndexKey(h), BtrvGetKey(h));
  std::vector<std::string> order;
  char key[255] = {};
  records::TagProduct p{};
  for (int s = BtrvGetOp(kOpGetFirst, h, key, &p); s == 0; s = BtrvGetOp(kOpGetNext, h, key, &p))
    order.push_back(p.number);
  // Bins A1 (Binder clips, Stapler), b2, B3: letter case does not part them.
  EXPECT_EQ((std::vector<std::string>{"P-200", "P-400", "P-300", "P-100"}), order);
  EXPECT_STREQ("", MsgWaitTopKey()) << "its wait window is closed";
  EXPECT_NE(std::string::npos, Transcript().find("wait: Creating the sort index..."));

  EXPECT_EQ(0, TempIndexDrop(records::kFileProducts, h));
  EXPECT_EQ(0, BtrvGetKey(h));
  EXPECT_EQ(-1, TempIndexKey(h));
  EXPECT_EQ(0, TempIndexDrop(records::kFileProducts, h)) << "dropping where none was made does nothing";

  Start("Enter");
  EXPECT_NE(0, TempIndexCreate(records::kFileProducts, h, 777, -1, -1));
  EXPECT_EQ(-1, TempIndexKey(h));
  EXPECT_NE(std::string::npos, Transcript().find("no field 777 in table products"));
}

}  // namespace

namespace {

// The journals' "Listing" criteria over transaction headers.
TEST(CriterionTest, FromToOnADictionaryField) {
  records::TagRecPayHeader h{};
  CriterionBlock c;
  CriterionInit(&c);
  EXPECT_TRUE(CriterionIsSet(&c));
  EXPECT_TRUE(CriterionMatch(&c, &h)) << "no field: every record passes";

  const struct {
    int field;
    const char* from;
    const char* to;
    const char* text;  // the header's transaction number or its date
    bool matches;
  } cases[] = {
      {1, "R-100", "R-200", "r-150", true},  // codes compare without case
      {1, "R-100", "R-200", "R-201", false},
      {1, "", "R-200", "A-1", true},         // an open from end
      {1, "FIRST", "LAST ", "ZZZ", true},
      {9, "03/01/25", "03/31/25", "03/31/25", true},
      {9, "03/01/25", "03/31/25", "04/01/25", false},
      {9, "", "02/28/25", "02/28/25", true},
  };
  for (const auto& k : cases) {
    CriterionInit(&c);
    CriterionFieldsSet(&c, DictFieldFind("ap_headers", k.field));
    CriterionValueSet(&c, k.from, k.to);
    EXPECT_TRUE(CriterionIsSet(&c)) << k.from << " " << k.to;
    h = records::TagRecPayHeader{};
    if (k.field == 1) std::strncpy(h.transactionNumber, k.text, sizeof h.transactionNumber - 1);
    else h.date = DateFromText(k.text);
    EXPECT_EQ(k.matches, CriterionMatch(&c, &h)) << k.field << " " << k.text;
  }
  CriterionValueSet(&c, "03/01/25", "03/31/25");
  EXPECT_STREQ("03/01/25", reinterpret_cast<const char*>(&c) + 16) << "the journals read the from text at 16";
  EXPECT_STREQ("03/31/25", reinterpret_cast<const char*>(&c) + 271) << "and the to text at 271";

  CriterionValueSet(&c, "03/31/25", "03/01/25");
  EXPECT_FALSE(CriterionIsSet(&c)) << "from after to";
  CriterionValueSet(&c, "13/45/25", "");
  EXPECT_FALSE(CriterionIsSet(&c)) << "not a date";
}

}  // namespace
