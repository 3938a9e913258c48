// The finance charges (command 364) at several sizes, beside raw SQLite
// doing the same record work.
//
// The company holds n customers with 20 open invoices each, their open-invoice lines and
// headers; half of each customer's invoices are past due on 31 March 2025,
// so that n customers take 10 n charges.  The runs (sized_posting_bench.h):
//   - "cmd": qxa15 <company> /only /cmd:364 on a company written by qxload,
//     in All mode as of that date, keys F10 (charge) and Esc (the report's
//     preview closed): each overdue invoice gets a finance-charge line, its
//     header moves, each customer is rewritten, every line is entered in the
//     audit log, the report lists every charge, and one G/L transaction is
//     written and posted, all in one transaction;
//   - "qxa": the same command in this program;
//   - "raw": raw SQLite doing the same record work in tables of the client's
//     shape (position, image, one encoded column per key with an index on
//     each, WAL, synchronous NORMAL) in one transaction, as the run commits:
//     it walks the customers in code order and each one's lines in invoice
//     order, inserts the charge lines and audit entries, rewrites the
//     headers and the customers, and writes and posts the G/L transaction;
//   - "floor": the same charges set-based over tables of plain columns: the
//     charge lines and audit entries inserted from the overdue lines by one
//     statement each, the headers and customers moved by one UPDATE each.
// QX_BENCH_CHARGES="10000,100000" chooses the sizes in charges (a tenth
// as many customers).
#include <benchmark/benchmark.h>

#include <chrono>
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
#include "sized_posting_bench.h"

namespace {

using namespace benchsupport;
using records::CustVendRecord;
using records::OpenInvoiceHeader;
using records::TagOpenInvoice;

constexpr int kInvoicesEach = 20;
constexpr double kRate = 1.5;
constexpr double kAmount = 250.0;

std::int32_t AsOf() { return DateMake(2025, 3, 31); }


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

double QxaAll(const std::string&, int charges) {
  const auto start = std::chrono::steady_clock::now();
  RunGenerateFinanceCharges();
  const double seconds = SecondsSince(start);
  return ChargeLines() == charges ? seconds : -1;
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

double RawRun(const std::string& path, int expected) {
  sqlite3* db = OpenForRun(path);
  const auto start = std::chrono::steady_clock::now();
  long charged = 0;
  {
    Table customers(db, records::kFileCustomers, false);
    Table lines(db, records::kFileReceivablesOpenInvoices, false);
    Table headers(db, records::kFileReceivablesOpenInvoiceHeaders, false);
    Table accounts(db, records::kFileGLAccounts, false);
    Table glHeaders(db, records::kFileGLHeaders, false);
    Table glLines(db, records::kFileGLLines, false);
    Table audit(db, records::kFileAuditLog, false);
    sqlite3_stmt* walk = Prepare(db, ("SELECT position, image FROM " + customers.name() + " ORDER BY k0, position").c_str());
    sqlite3_stmt* invoices = Prepare(
        db, ("SELECT position, image FROM " + lines.name() + " WHERE k1 >= ? AND k1 < ? ORDER BY k1, position").c_str());
    Exec(db, "BEGIN IMMEDIATE");
    double total = 0;
    std::int32_t entry = 0;
    std::vector<CustVendRecord> walked;
    std::vector<sqlite3_int64> at;
    while (sqlite3_step(walk) == SQLITE_ROW) {
      CustVendRecord c;
      std::memcpy(&c, sqlite3_column_blob(walk, 1), sizeof c);
      walked.push_back(c);
      at.push_back(sqlite3_column_int64(walk, 0));
    }
    sqlite3_reset(walk);
    for (std::size_t i = 0; i < walked.size(); ++i) {
      CustVendRecord c = walked[i];
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
        const sqlite3_int64 headerAt =
            headers.Equal(0, EncodeKey(headers.file().keys[0], reinterpret_cast<const std::uint8_t*>(&f)), &h);
        const OpenInvoiceHeader read = h;
        h.balance = NumRound(h.balance + f.amount, 2);
        headers.Rewrite(headerAt, &read, &h);
        records::AuditLogEntry e{};
        e.entryNumber = ++entry;
        e.date = AsOf();
        e.entityType = 7;
        e.changeType = 1;
        audit.Insert(&e);
        customerTotal += f.amount;
        ++charged;
      }
      const CustVendRecord read = c;
      c.balance = NumRound(c.balance + customerTotal, 2);
      c.periodDebits = NumRound(c.periodDebits + customerTotal, 2);
      customers.Rewrite(at[i], &read, &c);
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
      const sqlite3_int64 accountAt = accounts.Equal(0, TextKey(account, 11, true), &a);
      const records::GLAccount read = a;
      a.currentBalance = NumRound(a.currentBalance + total, 2);
      accounts.Rewrite(accountAt, &read, &a);
    }
    Exec(db, "COMMIT");
    sqlite3_finalize(walk);
    sqlite3_finalize(invoices);
  }
  const double seconds = SecondsSince(start);
  sqlite3_close(db);
  return charged == expected ? seconds : -1;
}

// ---- The set-based floor ---------------------------------------------------------------------

void FloorLoad(const std::string& path, const fixture::CompanyImage& c) {
  sqlite3* db = OpenFresh(path);
  Exec(db,
       "CREATE TABLE customers(code TEXT PRIMARY KEY, rate REAL, balance REAL, debits REAL);"
       "CREATE TABLE lines(code TEXT, invoice TEXT, precedence TEXT, type TEXT, due INTEGER, amount REAL);"
       "CREATE INDEX lines_invoice ON lines(code, invoice, precedence);"
       "CREATE TABLE headers(code TEXT, invoice TEXT, balance REAL, PRIMARY KEY(code, invoice));"
       "CREATE TABLE audit(number INTEGER PRIMARY KEY, date INTEGER, reference TEXT);"
       "BEGIN");
  auto each = [&](int file, const char* sql, auto bind) {
    sqlite3_stmt* st = Prepare(db, sql);
    for (const auto& image : c.files.at(file)) {
      bind(st, image.data());
      StepReset(st);
    }
    sqlite3_finalize(st);
  };
  each(records::kFileCustomers, "INSERT INTO customers VALUES(?, ?, ?, 0)", [](sqlite3_stmt* st, const std::uint8_t* p) {
    CustVendRecord r;
    std::memcpy(&r, p, sizeof r);
    Bind(st, 1, TextKey(r.code, sizeof r.code, true));
    sqlite3_bind_double(st, 2, r.financeChargeRate);
    sqlite3_bind_double(st, 3, r.balance);
  });
  each(records::kFileReceivablesOpenInvoices, "INSERT INTO lines VALUES(?, ?, ?, ?, ?, ?)",
       [](sqlite3_stmt* st, const std::uint8_t* p) {
         TagOpenInvoice l;
         std::memcpy(&l, p, sizeof l);
         Bind(st, 1, TextKey(l.code, sizeof l.code, true));
         Bind(st, 2, TextKey(l.invoiceNumber, sizeof l.invoiceNumber, false));
         sqlite3_bind_text(st, 3, &l.precedence, 1, SQLITE_TRANSIENT);
         sqlite3_bind_text(st, 4, &l.lineType, 1, SQLITE_TRANSIENT);
         sqlite3_bind_int(st, 5, l.dueDate);
         sqlite3_bind_double(st, 6, l.amount);
       });
  each(records::kFileReceivablesOpenInvoiceHeaders, "INSERT INTO headers VALUES(?, ?, ?)",
       [](sqlite3_stmt* st, const std::uint8_t* p) {
         OpenInvoiceHeader h;
         std::memcpy(&h, p, sizeof h);
         Bind(st, 1, TextKey(h.code, sizeof h.code, true));
         Bind(st, 2, TextKey(h.invoiceNumber, sizeof h.invoiceNumber, false));
         sqlite3_bind_double(st, 3, h.balance);
       });
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

double FloorRun(const std::string& path, int expected) {
  sqlite3* db = OpenForRun(path);
  const auto start = std::chrono::steady_clock::now();
  const std::string asOf = std::to_string(AsOf());
  const std::string charge = "round(c.rate * l.amount * (min(" + asOf + " - l.due, 30) / 3000.0), 2)";
  const std::string overdue = " FROM lines l JOIN customers c ON c.code = l.code WHERE l.type = 'I' AND l.due < " + asOf;
  Exec(db, ("BEGIN IMMEDIATE;"
            "CREATE TEMP TABLE charges AS SELECT l.code AS code, l.invoice AS invoice, " + charge + " AS amount" +
            overdue + ";"
            "INSERT INTO lines SELECT code, invoice, '5', 'F', " + asOf + ", amount FROM charges;"
            "INSERT INTO audit(date, reference) SELECT " + asOf + ", code || ' ' || invoice FROM charges;"
            "UPDATE headers SET balance = round(balance + ch.amount, 2) FROM charges ch"
            " WHERE headers.code = ch.code AND headers.invoice = ch.invoice;"
            "UPDATE customers SET balance = round(balance + t.amount, 2), debits = round(debits + t.amount, 2)"
            " FROM (SELECT code, total(amount) AS amount FROM charges GROUP BY code) AS t WHERE customers.code = t.code;")
               .c_str());
  const int charged = sqlite3_changes(db) >= 0 ? expected : 0;
  int lines = 0;
  sqlite3_stmt* count = Prepare(db, "SELECT count(*) FROM charges");
  if (sqlite3_step(count) == SQLITE_ROW) lines = sqlite3_column_int(count, 0);
  sqlite3_finalize(count);
  Exec(db, "DROP TABLE charges; COMMIT");
  const double seconds = SecondsSince(start);
  sqlite3_close(db);
  return lines == charged ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  PostingBench bench;
  bench.label = "all";
  bench.unit = "charge";
  bench.command = 364;
  bench.keys = "F10 Esc";
  bench.today = "2025-03-31";
  bench.todayDate = AsOf();
  // The sizes are of customers; each customer takes kInvoicesEach / 2 charges.
  bench.company = [](int charges) { return Company(charges / (kInvoicesEach / 2)); };
  bench.summary = [](int) { return std::string("Total finance charges"); };
  bench.inProcess = QxaAll;
  bench.raws = {{"raw", RawLoad, RawRun}, {"floor", FloorLoad, FloorRun}};
  return RunSizedBenches(argc, argv, "finance-charges-bench", {bench}, "QX_BENCH_CHARGES", "10000,100000");
}
