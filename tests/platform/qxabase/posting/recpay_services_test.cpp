// The services of receivables and payables posting on the open items of
// fixtures/open_items.json: open-invoice lines read by item number and
// rewritten with their invoice's header kept in step, a transaction removed,
// and a G/L line posted into its account.
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "posting_test_support.h"
#include "qxabase/open_invoice_lines.h"
#include "qxabase/open_invoices.h"
#include "qxabase/recpay_posting.h"

namespace {

using records::OpenInvoiceHeader;
using records::TagOpenInvoice;
using records::TagRecPayHeader;

constexpr int kMarch = 2;  // the period entry of March 2025

class RecPayServicesTest : public posttest::PostingTest {
 protected:
  void SetUp() override {
    PostingTest::SetUp();
    LoadCompany(ReadFixture(std::string(QX_POSTING_FIXTURES) + "/open_items.json"));
  }
  void TearDown() override {
    FileSetClose(&files_);
    PostingTest::TearDown();
  }
  void Open() {
    ASSERT_EQ(0, FileSetOpen(&files_, 5, 72, 2, 71, 7, 6, 1));
    ASSERT_EQ(0, FiscalPeriodOfDate(kPeriodCheckOpen, DateMake(2025, 3, 15), &period_));
  }
  BtrvHandle H(int fileNo) const { return files_.HandleOf(fileNo); }

  // The headers of file `fileNo`: "code/invoice" -> amount, balance.
  std::map<std::string, std::pair<double, double>> Headers(int fileNo) {
    std::map<std::string, std::pair<double, double>> out;
    for (const OpenInvoiceHeader& h : All<OpenInvoiceHeader>(fileNo))
      out[std::string(h.code) + "/" + h.invoiceNumber] = {h.amount, h.balance};
    return out;
  }

  FileSet files_;
  records::FiscalPeriodInfo period_{};
};

TEST_F(RecPayServicesTest, AnInvoiceHeaderMovesByWhatItsLineChangeMovesIt) {
  struct Case {
    const char* name;
    int lineFile;
    int item;
    int mode;  // of OpenInvoiceUpdate
    void (*change)(TagOpenInvoice*);
    std::map<std::string, std::pair<double, double>> headers;  // afterwards
  };
  const Case cases[] = {
      {"posting a line changes its source letter only", 5, 12, 1, [](TagOpenInvoice*) {},
       {{"ACME/A-1", {100.00, 69.00}}, {"ACME/A-2", {250.00, 250.00}}}},
      {"a payment's amount and discount", 5, 12, 0,
       [](TagOpenInvoice* l) {
         l->amount = 40.00;
         l->discount = 2.00;
       },
       {{"ACME/A-1", {100.00, 58.00}}, {"ACME/A-2", {250.00, 250.00}}}},
      {"an invoice's amount", 5, 13, 0, [](TagOpenInvoice* l) { l->amount = 200.00; },
       {{"ACME/A-1", {100.00, 69.00}}, {"ACME/A-2", {200.00, 200.00}}}},
      {"a payment moved to another invoice", 5, 12, 0,
       [](TagOpenInvoice* l) { records::SetText(l->invoiceNumber, "A-2"); },
       {{"ACME/A-1", {100.00, 100.00}}, {"ACME/A-2", {250.00, 219.00}}}},
      // B-1 has no header: it is made from its invoice and its credit memo.
      {"an invoice without a header", 5, 15, 1, [](TagOpenInvoice*) {},
       {{"ACME/A-1", {100.00, 69.00}}, {"ACME/A-2", {250.00, 250.00}}, {"BETA/B-1", {75.00, 70.00}}}},
      // Payables: a vendor's credit memo adds to what is owed.
      {"a vendor's credit memo", 2, 22, 0, [](TagOpenInvoice* l) { l->amount = 30.00; },
       {{"OFFICE/OF-1", {230.00, 230.00}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FileSetClose(&files_);
    LoadCompany(ReadFixture(std::string(QX_POSTING_FIXTURES) + "/open_items.json"));
    Open();
    QxOIHeader oiHeader(QxOIHeader::GetHdrFileId(c.lineFile), H(QxOIHeader::GetHdrFileId(c.lineFile)),
                        H(c.lineFile));
    ASSERT_TRUE(oiHeader.Init());
    TagPostWork work{};
    TagOpenInvoice line{};
    ASSERT_EQ(0, OpenInvoiceRead(H(c.lineFile), c.lineFile, c.item, &line, &work));
    const char status = line.status;
    c.change(&line);
    EXPECT_EQ(0, OpenInvoiceUpdate(H(c.lineFile), c.lineFile, &line, &work, &oiHeader, c.mode));
    EXPECT_EQ(c.headers, Headers(QxOIHeader::GetHdrFileId(c.lineFile)));
    for (const TagOpenInvoice& l : All<TagOpenInvoice>(c.lineFile)) {
      if (l.itemNumber == c.item) {
        EXPECT_EQ(c.mode == 1 ? 'P' : status, l.status) << "posting marks the line posted";
      }
    }
  }
}

TEST_F(RecPayServicesTest, ALineIsReadByItsItemNumber) {
  Open();
  BtrvSetKey(H(5), 1, -1);
  TagPostWork work{};
  TagOpenInvoice line{};
  ASSERT_EQ(0, OpenInvoiceRead(H(5), 5, 13, &line, &work));
  EXPECT_STREQ("A-2", line.invoiceNumber);
  EXPECT_EQ(1, BtrvGetKey(H(5))) << "the handle keeps its key";
  EXPECT_STREQ("13", work.key);
  // Unnumbered lines carry 0: the number 0 names none of them.
  EXPECT_EQ(4, OpenInvoiceRead(H(5), 5, 0, &line, &work));
  EXPECT_EQ(5, work.fileNo);
  EXPECT_EQ(4, OpenInvoiceRead(H(5), 5, 99, &line, &work));
  EXPECT_EQ(4, work.status);
}

// A line added by the period-end processes takes the number one past the
// file's highest, however the file was written since the last one was added:
// by another handle (an insert above it, a line renumbered, the highest
// deleted), in a transaction taken back, or with no transaction at all.
TEST_F(RecPayServicesTest, ANewLineIsNumberedOnePastTheFilesHighest) {
  Open();
  const int fileNo = 5;
  BtrvHandle other = 0;
  ASSERT_EQ(0, BtrvOpen(&other, FilePathGet(fileNo), kOpenNormal, 0));
  ASSERT_EQ(0, BtrvSetKey(other, 3, -1));
  auto highest = [&]() {
    char key[255] = {};
    TagOpenInvoice last{};
    EXPECT_EQ(0, BtrvGetOp(kOpGetLast, other, key, &last, sizeof last));
    return last.itemNumber;
  };
  TagOpenInvoice model{};
  {
    char key[255] = {};
    ASSERT_EQ(0, BtrvGetOp(kOpGetLast, other, key, &model, sizeof model));
  }
  QxOIHeader oiHeader(QxOIHeader::GetHdrFileId(fileNo), H(QxOIHeader::GetHdrFileId(fileNo)), H(fileNo));
  ASSERT_TRUE(oiHeader.Init());
  auto add = [&](const char* why) {
    SCOPED_TRACE(why);
    const std::int32_t expected = highest() + 1;
    TagOpenInvoice line = model;
    line.itemNumber = 0;
    line.amount = 1.00;
    ASSERT_EQ(0, RecPayTranWrite(kOpInsert, 0, H(fileNo), fileNo, &line, &oiHeader));
    EXPECT_EQ(expected, line.itemNumber);
    EXPECT_EQ(expected, highest());
  };
  auto insertOther = [&](std::int32_t number) {
    TagOpenInvoice line = model;
    line.itemNumber = number;
    char key[255] = {};
    ASSERT_EQ(0, BtrvWriteOp(kOpInsert, other, key, &line, sizeof line));
  };

  ASSERT_EQ(0, BtrvTransaction(kOpBeginTransaction));
  add("the first of a transaction");
  add("the next, after it");
  insertOther(highest() + 10);
  add("after another handle added a line above it");
  {
    // Another handle gives the highest line a higher number still.
    char key[255] = {};
    TagOpenInvoice last{};
    ASSERT_EQ(0, BtrvGetOp(kOpGetLast, other, key, &last, sizeof last));
    last.itemNumber += 7;
    ASSERT_EQ(0, BtrvWriteOp(kOpUpdate, other, key, &last, sizeof last));
  }
  add("after another handle renumbered the highest");
  {
    char key[255] = {};
    TagOpenInvoice last{};
    ASSERT_EQ(0, BtrvGetOp(kOpGetLast, other, key, &last, sizeof last));
    ASSERT_EQ(0, BtrvWriteOp(kOpDelete, other, key, nullptr, 0));
  }
  add("after another handle deleted the highest");
  ASSERT_EQ(0, BtrvTransaction(kOpAbortTransaction));
  add("outside a transaction, after an abort took the others back");
  ASSERT_EQ(0, BtrvTransaction(kOpBeginTransaction));
  add("in the next transaction");
  ASSERT_EQ(0, BtrvTransaction(kOpEndTransaction));
  ASSERT_EQ(0, BtrvTransaction(kOpBeginTransaction));
  add("in the one after it");
  add("and again");
  ASSERT_EQ(0, BtrvTransaction(kOpEndTransaction));
  add("outside a transaction");
  add("outside a transaction, again");
  BtrvClose(other);
}

TEST_F(RecPayServicesTest, TheHeaderObjectChecksItsFilesFirst) {
  Open();
  TagOpenInvoice line{};
  TagPostWork work{};
  {
    QxOIHeader lines(5, H(5), H(5));  // a line file given as the header file
    EXPECT_FALSE(lines.Init());
    EXPECT_EQ(1, lines.GetResultError());
    QxOIHeader closed(72, 4000, H(5));
    EXPECT_FALSE(closed.Init());
    EXPECT_EQ(3, closed.GetResultError());
    EXPECT_FALSE(closed.SaveDtlBeforeModification(&line, false)) << "not ready";
  }
  // Without handles it opens the files itself.
  QxOIHeader own(72, QxOIHeader::m_iINVALID_FILE_ID, QxOIHeader::m_iINVALID_FILE_ID);
  ASSERT_TRUE(own.Init());
  EXPECT_EQ(5, own.LineFileNo());
  ASSERT_EQ(0, OpenInvoiceRead(H(5), 5, 13, &line, &work));
  line.amount = 240.00;
  EXPECT_EQ(0, OpenInvoiceUpdate(H(5), 5, &line, &work, &own, 0));
  EXPECT_EQ((std::pair{240.00, 240.00}), Headers(72).at("ACME/A-2"));
}

TEST_F(RecPayServicesTest, RemovingATransactionTakesItsLinesAndLetsTheWalkGoOn) {
  Open();
  BtrvSetKey(H(7), 2, -1);
  TagPostWork work{};
  TagRecPayHeader h{};
  char key[255] = {};
  const auto items = Records(5);
  PostRunStart();
  ASSERT_EQ(0, PostTranRead('Y', kOpGetGreaterOrEqual, H(7), 7, key, &h, &period_, &work));
  ASSERT_STREQ("10", h.transactionNumber);
  EXPECT_EQ(0, PostRecPayTranRemove(kOpDelete, H(7), H(6), H(5), 7, &h, &work));
  ASSERT_EQ(0, PostTranRead('Y', kOpGetNext, H(7), 7, key, &h, &period_, &work));
  EXPECT_STREQ("100", h.transactionNumber) << "the walk goes on after the removed header";
  EXPECT_EQ(9, PostTranRead('Y', kOpGetNext, H(7), 7, key, &h, &period_, &work));
  CommandFinish();
  std::vector<std::string> headers, details;
  for (const TagRecPayHeader& r : All<TagRecPayHeader>(7)) headers.push_back(r.transactionNumber);
  for (const records::RecPayDetail& d : All<records::RecPayDetail>(6)) details.push_back(d.transactionNumber);
  EXPECT_EQ(std::vector<std::string>{"100"}, headers);
  EXPECT_EQ((std::vector<std::string>{"100", "100"}), details) << "a number sharing its prefix keeps its lines";
  EXPECT_EQ(items, Records(5)) << "the open invoices stay";
}

TEST_F(RecPayServicesTest, AGLLineGoesIntoItsAccountInItsNaturalSign) {
  struct Case {
    const char* name;
    const char* account;
    char side;
    double amount;
    double change;  // of the balance and of March's amount
  };
  const Case cases[] = {
      {"a debit raises a debit-balance account", "1010", 'D', 50.00, +50.00},
      {"a credit raises a credit-balance account", "2010", 'C', 50.00, +50.00},
      {"a debit lowers a credit-balance account", "2010", 'D', 12.50, -12.50},
      {"a negative debit counts as a credit", "1010", 'D', -20.00, -20.00},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const records::GLAccount before = Account(c.account);
    records::GLLine line{};
    records::SetText(line.account, c.account);
    line.side = c.side;
    line.amount = c.amount;
    TagPostWork work{};
    EXPECT_EQ(0, PostGLLineToAccount(H(1), &line, &period_, &work));
    const records::GLAccount after = Account(c.account);
    EXPECT_DOUBLE_EQ(before.currentBalance + c.change, after.currentBalance);
    EXPECT_DOUBLE_EQ(before.periodAmounts[kMarch] + c.change, after.periodAmounts[kMarch]);
  }
  // Refused: nothing changes.
  const auto accounts = Records(1);
  records::GLLine line{};
  records::SetText(line.account, "9999");
  line.side = 'D';
  line.amount = 5.00;
  TagPostWork work{};
  EXPECT_EQ(4, PostGLLineToAccount(H(1), &line, &period_, &work));
  EXPECT_STREQ("9999", work.key);
  EXPECT_EQ(1, work.fileNo);
  records::FiscalPeriodInfo none = period_;
  none.entryIndex = -1;
  records::SetText(line.account, "1010");
  EXPECT_EQ(kPostStatusNoPeriod, PostGLLineToAccount(H(1), &line, &none, &work));
  EXPECT_EQ(accounts, Records(1));
}

}  // namespace
