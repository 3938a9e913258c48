// The finance charges against raw SQLite doing the same reads and writes.
//
// A generated company holds 10,000 customers (QX_BENCH_CUSTOMERS changes the
// count) with 20 open invoices each, 200,000 open-invoice lines with their
// headers; half of each customer's invoices are past due on 31 March 2025.
// "all/qxa" runs command 364 on the script device in All mode as of that
// date (F10, then Esc to close the report's preview): each overdue invoice
// gets a finance-charge line, its header moves, each customer is rewritten,
// every line is entered in the audit log, and one G/L transaction is
// written and posted, all in one transaction.  The raw side keeps the same
// records in tables of the same shape (position, image, one encoded column
// per key with an index on each, WAL, synchronous NORMAL) and does the same
// in one transaction: it walks the customers in code order and each one's
// lines in invoice order, inserts the charge lines and audit entries,
// rewrites the headers and the customers, and writes and posts the G/L
// transaction.  The ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/finance_charges.h"
#include "qxabase.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/support.h"
#include "records/transactions.h"

namespace {

using namespace benchsupport;
using records::CustVendRecord;
using records::OpenInvoiceHeader;
using records::TagOpenInvoice;

constexpr int kInvoicesEach = 20;
constexpr double kRate = 1.5;
constexpr double kAmount = 250.0;

int Customers() { return CountFromEnv("QX_BENCH_CUSTOMERS", 10000); }
std::int32_t AsOf() { return DateMake(2025, 3, 31); }

std::string g_root;

records::GLAccount Account(const char* code, int kind, double balance) {
  records::GLAccount a{};
  records::SetText(a.code, code);
  records::SetText(a.name, code);
  a.level = '1';
  a.kind = static_cast<std::uint8_t>(kind);
  a.type = 'D';
  a.currentBalance = balance;
  return a;
}

// The overdue invoices are the even ones, due in February; the others are
// due in April.
bool Overdue(int invoice) { return invoice % 2 == 0; }

fixture::CompanyImage Company(int count) {
  fixture::CompanyImage c;
  auto& settings = c.files[records::kFileSettings];
  settings.push_back(Image(OpenYear2025()));
  records::InterfaceRecord iface{};
  records::SetPadded(iface.key, "0Interface");
  records::SetText(iface.receivablesAccount, "1100");
  records::SetText(iface.financeChargeAccount, "4300");
  settings.push_back(Image(iface));
  c.files[records::kFileGLAccounts].push_back(Image(Account("1100", 1, count * kInvoicesEach * kAmount)));
  c.files[records::kFileGLAccounts].push_back(Image(Account("4300", 4, 0)));
  auto& customers = c.files[records::kFileCustomers];
  auto& lines = c.files[records::kFileReceivablesOpenInvoices];
  auto& headers = c.files[records::kFileReceivablesOpenInvoiceHeaders];
  customers.reserve(static_cast<std::size_t>(count));
  lines.reserve(static_cast<std::size_t>(count) * kInvoicesEach);
  headers.reserve(static_cast<std::size_t>(count) * kInvoicesEach);
  std::int32_t item = 0;
  for (int i = 0; i < count; ++i) {
    CustVendRecord r{};
    char code[12];
    std::snprintf(code, sizeof code, "C%06d", i);
    records::SetText(r.code, code);
    records::SetText(r.name, "Generated customer");
    r.accountType = 'O';
    r.financeChargeRate = static_cast<float>(kRate);
    r.minimumFinanceCharge = 2.0;
    r.balance = kInvoicesEach * kAmount;
    customers.push_back(Image(r));
    for (int n = 0; n < kInvoicesEach; ++n) {
      const std::int32_t due = Overdue(n) ? DateMake(2025, 2, 10 + n) : DateMake(2025, 4, 10 + n);
      TagOpenInvoice l{};
      records::SetText(l.code, code);
      char invoice[11];
      std::snprintf(invoice, sizeof invoice, "%07d", i * kInvoicesEach + n);
      records::SetText(l.invoiceNumber, invoice);
      l.precedence = l.precedenceCode = l.precedenceByte = '1';
      l.lineType = 'I';
      l.status = 'P';
      l.itemNumber = ++item;
      l.dueDate = l.secondDate = l.invoiceDate = due;
      l.amount = kAmount;
      lines.push_back(Image(l));
      OpenInvoiceHeader h{};
      records::SetText(h.code, code);
      records::SetText(h.invoiceNumber, invoice);
      h.invoiceDate = h.dueDate = due;
      h.amount = h.balance = kAmount;
      headers.push_back(Image(h));
    }
  }
  return c;
}

// The charge of an overdue invoice: 1.5 % for the days late, at most 30.
double Charge(std::int32_t due) {
  const long days = std::min<long>(AsOf() - due, 30);
  return NumRound(kRate * kAmount * (static_cast<double>(days) / 3000.0), 2);
}

// ---- Command 364 -----------------------------------------------------------------------------

// The number of finance-charge lines in the company.
int ChargeLines() {
  BtrvHandle h = 0;
  if (BtrvOpen(&h, FilePathGet(records::kFileReceivablesOpenInvoices), 0, 0) != 0) return -1;
  TagOpenInvoice l{};
  char key[255] = {};
  int n = 0;
  for (int op = kOpGetFirst; BtrvGetOp(op, h, key, &l) == kStatusOk; op = kOpGetNext) n += l.lineType == 'F';
  BtrvClose(h);
  return n;
}

void QxaAll(benchmark::State& state) {
  const int n = Customers();
  const std::string folder = g_root + "/qxa";
  for (auto _ : state) {
    state.PauseTiming();
    if (!PrepareCommand(state, Company(n), folder, "F10 Esc", AsOf(), 364)) return;
    state.ResumeTiming();
    RunGenerateFinanceCharges();
    state.PauseTiming();
    const int charged = ChargeLines();
    state.ResumeTiming();
    if (charged != n * kInvoicesEach / 2) state.SkipWithError("the run did not charge the invoices it should");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(n) * kInvoicesEach / 2);
}

// ---- Raw SQLite ----------------------------------------------------------------------------

void RawLoad(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = OpenFresh(path);
  Exec(db, "BEGIN");
  for (int fileNo : {records::kFileCustomers, records::kFileReceivablesOpenInvoices,
                     records::kFileReceivablesOpenInvoiceHeaders, records::kFileGLAccounts, records::kFileGLHeaders,
                     records::kFileGLLines, records::kFileAuditLog}) {
    Table t(db, fileNo, true);
    if (auto it = c.files.find(fileNo); it != c.files.end())
      for (const auto& image : it->second) t.Insert(image.data());
  }
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

void RawRun(benchmark::State& state) {
  const int n = Customers();
  const std::string path = g_root + "/raw.sqlite";
  long charged = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RawLoad(path, Company(n));
    state.ResumeTiming();
    sqlite3* db = OpenForRun(path);
    {
      Table customers(db, records::kFileCustomers, false);
      Table lines(db, records::kFileReceivablesOpenInvoices, false);
      Table headers(db, records::kFileReceivablesOpenInvoiceHeaders, false);
      Table accounts(db, records::kFileGLAccounts, false);
      Table glHeaders(db, records::kFileGLHeaders, false);
      Table glLines(db, records::kFileGLLines, false);
      Table audit(db, records::kFileAuditLog, false);
      sqlite3_stmt* walk = Prepare(db, "SELECT position, image FROM t22 ORDER BY k0, position");
      sqlite3_stmt* invoices =
          Prepare(db, "SELECT position, image FROM t5 WHERE k1 >= ? AND k1 < ? ORDER BY k1, position");
      Exec(db, "BEGIN IMMEDIATE");
      double total = 0;
      std::int32_t entry = 0;
      while (sqlite3_step(walk) == SQLITE_ROW) {
        CustVendRecord c;
        std::memcpy(&c, sqlite3_column_blob(walk, 1), sizeof c);
        const std::string code = TextKey(c.code, sizeof c.code, true);
        Bind(invoices, 1, code);
        Bind(invoices, 2, code + std::string(1, '\xff'));
        std::vector<TagOpenInvoice> found;
        while (sqlite3_step(invoices) == SQLITE_ROW) {
          TagOpenInvoice l;
          std::memcpy(&l, sqlite3_column_blob(invoices, 1), sizeof l);
          found.push_back(l);
        }
        sqlite3_reset(invoices);
        double customerTotal = 0;
        for (const TagOpenInvoice& l : found) {
          if (!(l.dueDate < AsOf())) continue;
          TagOpenInvoice f = l;
          f.lineType = 'F';
          f.precedence = f.precedenceCode = f.precedenceByte = '5';
          f.dueDate = f.secondDate = f.invoiceDate = AsOf();
          f.amount = Charge(l.dueDate);
          f.origin = 'F';
          lines.Insert(&f);
          OpenInvoiceHeader h;
          const sqlite3_int64 at =
              headers.Equal(0, EncodeKey(headers.file().keys[0], reinterpret_cast<const std::uint8_t*>(&f)), &h);
          h.balance = NumRound(h.balance + f.amount, 2);
          headers.Update(at, &h);
          records::AuditLogEntry e{};
          e.entryNumber = ++entry;
          e.date = AsOf();
          e.entityType = 7;
          e.changeType = 1;
          audit.Insert(&e);
          customerTotal += f.amount;
          ++charged;
        }
        c.balance = NumRound(c.balance + customerTotal, 2);
        c.periodDebits = NumRound(c.periodDebits + customerTotal, 2);
        customers.Update(sqlite3_column_int64(walk, 0), &c);
        total += customerTotal;
      }
      records::TagGLHeader gh{};
      records::SetPadded(gh.journalCode, "AR");
      gh.postedFlag = 'Y';
      gh.amount = total;
      glHeaders.Insert(&gh);
      for (const char* account : {"1100", "4300"}) {
        records::GLLine gl{};
        records::SetPadded(gl.journalCode, "AR");
        records::SetText(gl.account, account);
        gl.amount = total;
        glLines.Insert(&gl);
        records::GLAccount a;
        const sqlite3_int64 at = accounts.Equal(0, TextKey(account, 11, true), &a);
        a.currentBalance = NumRound(a.currentBalance + total, 2);
        accounts.Update(at, &a);
      }
      Exec(db, "COMMIT");
      sqlite3_finalize(walk);
      sqlite3_finalize(invoices);
    }
    sqlite3_close(db);
  }
  state.SetItemsProcessed(charged);
}

}  // namespace

int main(int argc, char** argv) {
  return BenchMain(argc, argv, "finance-charges-bench", "charges", &g_root, [] {
    Register("all/qxa", QxaAll);
    Register("all/raw", RawRun);
  });
}
