// Unposted counters and their list, the audit trail log, the adjustment
// account check and the time-billing link.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "records/support.h"
#include "records/transactions.h"
#include "test_support.h"

namespace {

class LedgerServicesTest : public qxtest::BaseTest {};

TEST_F(LedgerServicesTest, UnpostedTransactionsAreListedPerLedger) {
  CUnpostTransCount gl(27), ar(7), billing(32);
  ar.AddUnpostTrans(DateMake(2025, 3, 12));
  ar.AddUnpostTrans(DateMake(2025, 3, 2));
  ar.AddUnpostTrans(DateMake(2025, 3, 20));
  billing.AddUnpostTrans(DateMake(2025, 3, 5));
  EXPECT_EQ(0, gl.UnpostedTransactionsExists());
  EXPECT_NE(0, ar.UnpostedTransactionsExists());
  EXPECT_EQ(7, ar.GetLedgerID());
  EXPECT_EQ(3, ar.Count());
  Start("Enter");
  EXPECT_EQ(2, UnpostedListShow(&gl, &ar, &billing, nullptr));
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("Receivables               3   03/02/25 - 03/20/25")) << t;
  EXPECT_NE(std::string::npos, t.find("Billing                   1   03/05/25")) << t;
  EXPECT_EQ(std::string::npos, t.find("General Ledger")) << "a ledger without any is left out";
  EXPECT_EQ(0, UnpostedListShow(&gl, 0)) << "nothing to list shows nothing";
}

TEST_F(LedgerServicesTest, TheAuditLogNumbersItsEntries) {
  LoadCompany("twelve_periods.json");
  AuditLog log;
  log.SetUser("CONTROLLER-OF-ALL");
  EXPECT_STREQ("CONTROLLER-OF-", log.User()) << "a user id is 14 characters";
  ASSERT_EQ(0, log.RegTransactionLog(kEntityPhysicalInventory, kChangeModified, "IA1001"));
  ASSERT_EQ(0, log.RegTransactionLog(kEntityCustomer, kChangeAdded, "ALDER"));
  BtrvHandle h = 0;
  ASSERT_EQ(0, BtrvOpen(&h, FilePathGet(75), 0, 0));
  char key[255] = {};
  records::AuditLogEntry e{};
  ASSERT_EQ(0, BtrvGetOp(kOpGetFirst, h, key, &e));
  EXPECT_EQ(1, e.entryNumber);
  EXPECT_STREQ("CONTROLLER-OF-", e.userId);
  EXPECT_EQ(DateToday(), e.date);
  EXPECT_EQ(33, e.entityType);
  EXPECT_STREQ("IA1001", e.reference);
  ASSERT_EQ(0, BtrvGetOp(kOpGetNext, h, key, &e));
  EXPECT_EQ(2, e.entryNumber);
  BtrvClose(h);

  char id[41], name[41], change[11];
  log.GetEntityStringNames(kEntityPhysicalInventory, id, name);
  EXPECT_STREQ("33", id);
  EXPECT_STREQ("Physical Inventory", name);
  log.GetEntityStringNames(1266, id, name);
  EXPECT_STREQ("66", id) << "the id is the type modulo 100";
  EXPECT_STREQ("Vendor", name);
  log.GetEntityStringNames(99, id, name);
  EXPECT_STREQ("Entity 99", name);
  log.GetChangeType(kChangeModified, change);
  EXPECT_STREQ("Changed", change);
  log.GetChangeType(42, change);
  EXPECT_STREQ("Change 42", change);
}

// Each entry takes the number after the log's last, however the logs of
// one program and its transactions interleave: two logs writing in one
// transaction, an aborted transaction's entry given again, an entry taken
// away between transactions.
TEST_F(LedgerServicesTest, TheAuditLogNumbersFollowTheLastEntryAcrossTransactions) {
  LoadCompany("twelve_periods.json");
  AuditLog a, b;
  auto numbers = [] {
    std::vector<std::int32_t> out;
    BtrvHandle h = 0;
    if (BtrvOpen(&h, FilePathGet(75), 0, 0) != 0) return out;
    char key[255] = {};
    records::AuditLogEntry e{};
    for (int op = kOpGetFirst; BtrvGetOp(op, h, key, &e) == 0; op = kOpGetNext) out.push_back(e.entryNumber);
    BtrvClose(h);
    return out;
  };
  ASSERT_EQ(0, BtrvTransaction(kOpBeginTransaction));
  ASSERT_EQ(0, a.RegTransactionLog(kEntityCustomer, kChangeAdded, "A1"));
  ASSERT_EQ(0, b.RegTransactionLog(kEntityCustomer, kChangeAdded, "B1"));
  ASSERT_EQ(0, a.RegTransactionLog(kEntityCustomer, kChangeAdded, "A2"));
  ASSERT_EQ(0, a.RegTransactionLog(kEntityCustomer, kChangeAdded, "A3"));
  ASSERT_EQ(0, BtrvTransaction(kOpEndTransaction));
  EXPECT_EQ(numbers(), (std::vector<std::int32_t>{1, 2, 3, 4}));

  ASSERT_EQ(0, BtrvTransaction(kOpBeginTransaction));
  ASSERT_EQ(0, a.RegTransactionLog(kEntityCustomer, kChangeAdded, "A4"));
  ASSERT_EQ(0, BtrvTransaction(kOpAbortTransaction));
  EXPECT_EQ(numbers(), (std::vector<std::int32_t>{1, 2, 3, 4})) << "the aborted entry is gone";
  ASSERT_EQ(0, BtrvTransaction(kOpBeginTransaction));
  ASSERT_EQ(0, a.RegTransactionLog(kEntityCustomer, kChangeAdded, "A5"));
  ASSERT_EQ(0, BtrvTransaction(kOpEndTransaction));
  EXPECT_EQ(numbers(), (std::vector<std::int32_t>{1, 2, 3, 4, 5})) << "its number is given again";

  // Another program takes the last two entries away.
  BtrvHandle h = 0;
  ASSERT_EQ(0, BtrvOpen(&h, FilePathGet(75), 0, 0));
  char key[255] = {};
  records::AuditLogEntry e{};
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(0, BtrvGetOp(kOpGetLast, h, key, &e));
    ASSERT_EQ(0, BtrvWriteOp(kOpDelete, h, nullptr, nullptr, 0));
  }
  BtrvClose(h);
  ASSERT_EQ(0, BtrvTransaction(kOpBeginTransaction));
  ASSERT_EQ(0, a.RegTransactionLog(kEntityCustomer, kChangeAdded, "A6"));
  ASSERT_EQ(0, b.RegTransactionLog(kEntityCustomer, kChangeAdded, "B2"));
  ASSERT_EQ(0, BtrvTransaction(kOpEndTransaction));
  ASSERT_EQ(0, a.RegTransactionLog(kEntityCustomer, kChangeAdded, "A7"));
  EXPECT_EQ(numbers(), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6})) << "outside a transaction as inside";
}

TEST_F(LedgerServicesTest, TheAdjustmentAccountMustBeInTheChartOfAccounts) {
  LoadCompany("twelve_periods.json");
  char account[11] = {};
  EXPECT_NE(0, AccountExists(account));
  EXPECT_STREQ("5100", account) << "a blank account takes the interface's";
  std::strcpy(account, "7000");
  Start("Enter");
  EXPECT_EQ(0, AccountExists(account)) << "an account not in use";
  std::strcpy(account, "9999");
  Start("Enter");
  EXPECT_EQ(0, AccountExists(account));
  EXPECT_NE(std::string::npos, Transcript().find("The adjustment account 9999 is not in the chart of accounts"));
}

records::TagRecPayHeader Receipt() {
  records::TagRecPayHeader h{};
  records::SetText(h.transactionNumber, "R-1001");
  records::SetText(h.custVendCode, "ALDER");
  records::SetText(h.invoiceNumber, "INV-77");
  records::SetText(h.reference, "CHK 5521");
  h.date = DateMake(2025, 3, 14);
  return h;
}

// What receivables posting does for one posted receipt.
int HandOver(const records::TagRecPayHeader& header) {
  void* context = TimeLinkRecordOpen();
  void* entry = TimeLinkRecordNew();
  char buffer[64] = {};
  int status = TimeLinkFieldSetInt(1, 5, &header, 0);
  if (status == 0) status = TimeLinkFieldSet(12, context, buffer);
  while (status == 0) {
    status = *static_cast<const char*>(entry) == 'E' ? TimeLinkRecordKey(entry) : TimeLinkRecordRef(entry);
    if (status != 0) return status;
    status = TimeLinkFieldSet(6, context, buffer);
  }
  return status == 9 ? TimeLinkRecordClose(1, 4, 0, TimeLinkRecordSave(context)) : status;
}

TEST_F(LedgerServicesTest, TheTimeLinkIsInactiveUnlessConfigured) {
  TimeLinkConfigure(nullptr);
  EXPECT_EQ(0, TimeLinkInit());
  EXPECT_EQ(1, TimeLinkReady());
  EXPECT_EQ(0, TimeLinkActive());
}

TEST_F(LedgerServicesTest, AConfiguredLinkReceivesEachPostedReceipt) {
  const std::string folder = dir_ + "/timebilling";
  std::filesystem::create_directories(folder);
  TimeLinkConfigure(folder.c_str());
  ASSERT_EQ(1, TimeLinkActive());
  ASSERT_EQ(1, TimeLinkReady());
  ASSERT_EQ(0, TimeLinkConnect(1, company_.c_str(), ""));
  ASSERT_EQ(0, HandOver(Receipt()));
  TimeLinkEnd(1, 1);
  TimeLinkFlush();
  TimeLinkRelease();
  EXPECT_EQ("AR\tR-1001\tALDER\tINV-77\t2025-03-14\tCHK 5521\n", qxtest::ReadAll(folder + "/qxtimelink.txt"));

  TimeLinkConfigure((dir_ + "/gone").c_str());
  Start("Enter");
  EXPECT_EQ(0, TimeLinkReady());
  EXPECT_NE(0, TimeLinkConnect(1, nullptr, ""));
  char error[200];
  EXPECT_GT(TimeLinkErrorText(error, sizeof error), 0);
  EXPECT_NE(nullptr, std::strstr(error, "cannot be found"));
  TimeLinkConfigure(nullptr);
}

TEST_F(LedgerServicesTest, ARecorderStandsInForTheLinkInTests) {
  std::vector<std::string> calls;
  TimeLinkConfigure(nullptr);
  TimeLinkSetRecorder(&calls);
  EXPECT_EQ(1, TimeLinkActive());
  TimeLinkInit();
  TimeLinkConnect(1, "/company", "");
  HandOver(Receipt());
  TimeLinkEnd(1, 0);
  TimeLinkRelease();
  TimeLinkSetRecorder(nullptr);
  EXPECT_EQ((std::vector<std::string>{"TimeLinkInit", "TimeLinkConnect /company",
                                      "write AR\tR-1001\tALDER\tINV-77\t2025-03-14\tCHK 5521",
                                      "TimeLinkEnd abandoned", "TimeLinkRelease"}),
            calls);
}

}  // namespace
