// Receivables and payables posting (commands 321 and 322) as the accountant
// uses it, on the company of fixtures/arap_post_company.json: what a run
// posts into the customers and vendors, their open invoices and the general
// ledger, what it skips, marks, deletes and asks, the Backup/Restore
// detour, the general ledger on line, the time-billing link, and the books
// after a run stopped by a conflict or killed at any moment.
#include "posting/arap_posting.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "posting_test_support.h"
#include "qxabase/online_gl.h"
#include "qxabase/time_link.h"
#include "qxtest/killed_run.h"
#include "qxtest/transcript.h"

namespace {

using records::CustVendRecord;
using records::GLAccount;
using records::GLLine;
using records::TagGLHeader;
using records::TagOpenInvoice;
using records::TagRecPayHeader;
using Image = std::vector<std::uint8_t>;

constexpr int kMarch = 2;  // the period entry of March 2025
constexpr int kThisYear = 2;  // the statistics slot posting in 2025 updates

// The files of one ledger.
struct Files {
  int command;
  int headers, details, openInvoices, oiHeaders, parties;
  const char* journal;
};
constexpr Files kReceivables = {321, 7, 6, 5, 72, 22, "AR"};
constexpr Files kPayables = {322, 4, 3, 2, 71, 66, "AP"};
constexpr int kCompanyFiles[] = {1, 2, 3, 4, 5, 6, 7, 14, 22, 23, 26, 27, 29, 66, 71, 72};

// A trimmed text of a record image.
std::string TextAt(const Image& r, std::size_t offset, std::size_t length) {
  std::string s;
  for (std::size_t i = offset; i < offset + length && i < r.size() && r[i] != 0; ++i) s += static_cast<char>(r[i]);
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}
template <class T>
T NumberAt(const Image& r, std::size_t offset) {
  T v{};
  std::memcpy(&v, r.data() + offset, sizeof v);
  return v;
}

// How a record of a file is named in the expectations.
std::string KeyOf(int fileNo, const Image& r) {
  switch (fileNo) {
    case 2: case 5: return std::to_string(NumberAt<std::int32_t>(r, 42));  // open item number
    case 71: case 72: return TextAt(r, 0, 11) + "/" + TextAt(r, 11, 11);
    case 3: case 6: return TextAt(r, 7, 11) + " " + TextAt(r, 20, 11);
    case 26: return TextAt(r, 0, 7) + " " + TextAt(r, 7, 11) + " " + TextAt(r, 20, 11);
    case 27: return TextAt(r, 0, 7) + " " + TextAt(r, 7, 11);
    case 14: return TextAt(r, 11, 9);
    case 23: return TextAt(r, 0, 7);
    case 29: return TextAt(r, 0, 15);
    default: return TextAt(r, 0, 11);  // accounts, headers, customers, vendors
  }
}

using Books = std::map<int, std::vector<Image>>;

// What a run changed in one file, by the names of the records: changed in
// place, added, removed.  Every other record is byte for byte as it was.
struct Changes {
  std::set<std::string> changed, added, removed;
  bool operator==(const Changes&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Changes& c) {
  auto list = [&](const char* what, const std::set<std::string>& s) {
    out << what << "{";
    for (const auto& k : s) out << k << ";";
    out << "} ";
  };
  list("changed", c.changed);
  list("added", c.added);
  list("removed", c.removed);
  return out;
}

Changes Compare(int fileNo, const std::vector<Image>& before, const std::vector<Image>& after) {
  std::multiset<Image> gone(before.begin(), before.end()), come;
  for (const Image& r : after) {
    const auto same = gone.find(r);
    if (same != gone.end())
      gone.erase(same);
    else
      come.insert(r);
  }
  Changes c;
  std::set<std::string> goneKeys, comeKeys;
  for (const Image& r : gone) goneKeys.insert(KeyOf(fileNo, r));
  for (const Image& r : come) comeKeys.insert(KeyOf(fileNo, r));
  for (const auto& k : goneKeys) (comeKeys.count(k) ? c.changed : c.removed).insert(k);
  for (const auto& k : comeKeys)
    if (!goneKeys.count(k)) c.added.insert(k);
  return c;
}

// A customer's or vendor's figures that posting moves.
struct Party {
  double balance, periodDebits, periodCredits;
  int invoices;
  double gross, payments;
  std::int32_t lastInvoiceDate;
  double lastInvoiceAmount;
  std::int32_t lastPaymentDate;
  double lastPaymentAmount;
};

Party PartyOf(const CustVendRecord& r) {
  return {r.balance, r.periodDebits, r.periodCredits, r.invoiceCounts[kThisYear], r.grossAmounts[kThisYear],
          r.payments[kThisYear], r.lastInvoiceDate, r.lastInvoiceAmount, r.lastPaymentDate, r.lastPaymentAmount};
}

void ExpectParty(const std::string& code, const Party& want, const Party& got) {
  SCOPED_TRACE(code);
  EXPECT_NEAR(want.balance, got.balance, 0.001) << "balance";
  EXPECT_NEAR(want.periodDebits, got.periodDebits, 0.001) << "period debits";
  EXPECT_NEAR(want.periodCredits, got.periodCredits, 0.001) << "period credits";
  EXPECT_EQ(want.invoices, got.invoices) << "invoices this year";
  EXPECT_NEAR(want.gross, got.gross, 0.001) << "invoice amounts this year";
  EXPECT_NEAR(want.payments, got.payments, 0.001) << "payments this year";
  EXPECT_EQ(want.lastInvoiceDate, got.lastInvoiceDate) << "latest invoice";
  EXPECT_NEAR(want.lastInvoiceAmount, got.lastInvoiceAmount, 0.001) << "latest invoice amount";
  EXPECT_EQ(want.lastPaymentDate, got.lastPaymentDate) << "latest payment";
  EXPECT_NEAR(want.lastPaymentAmount, got.lastPaymentAmount, 0.001) << "latest payment amount";
}

class ArApPostingTest : public posttest::PostingTest {
 protected:
  fixture::Json Company() {
    return ReadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/arap_post_company.json");
  }

  // Runs command 321 (receivables) or 322 (payables) with the key script
  // `keys`; the transcript of the run, its lines joined.
  std::string Post(const Files& f, const std::string& keys) {
    Start(keys);
    SharedAppBlockGet()->currentCommand = f.command;
    EXPECT_EQ(0, RunArApPost(f.command == 321 ? 1 : 0));
    return qxtest::Flat(Transcript());
  }

  Books Take() {
    Books s;
    for (int fileNo : kCompanyFiles) s[fileNo] = Records(fileNo);
    return s;
  }

  // Current balance and March amount of every account.
  std::map<std::string, std::pair<double, double>> Balances() {
    std::map<std::string, std::pair<double, double>> out;
    for (const GLAccount& a : All<GLAccount>(records::kFileGLAccounts))
      out[a.code] = {a.currentBalance, a.periodAmounts[kMarch]};
    return out;
  }
  std::map<std::string, CustVendRecord> Parties(const Files& f) {
    std::map<std::string, CustVendRecord> out;
    for (const CustVendRecord& r : All<CustVendRecord>(f.parties)) out[r.code] = r;
    return out;
  }
  std::map<std::string, char> PostedFlags(const Files& f) {
    std::map<std::string, char> out;
    for (const TagRecPayHeader& h : All<TagRecPayHeader>(f.headers)) out[h.transactionNumber] = h.postedFlag;
    return out;
  }
  std::map<int, char> OpenItemStatus(const Files& f) {
    std::map<int, char> out;
    for (const TagOpenInvoice& o : All<TagOpenInvoice>(f.openInvoices)) out[o.itemNumber] = o.status;
    return out;
  }
  // The G/L lines posting wrote under journal `journal`: debit and credit
  // per account, comment codes included.
  std::map<std::string, double> BatchLines(const std::string& journal) {
    std::map<std::string, double> out;
    for (const GLLine& l : All<GLLine>(records::kFileGLLines))
      if (records::Trimmed(l.journalCode) == journal)
        out[std::string(l.account) + (l.IsDebit() ? " D" : " C")] += l.amount;
    for (auto& [k, v] : out) v = std::round(v * 100) / 100;
    return out;
  }

  // Changes `company`: the transaction `number` of `file` takes the fields of `patch`.
  static void Patch(fixture::Json& company, const char* file, const std::string& number, const fixture::Json& patch) {
    posttest::PatchTransaction(company, file, number, patch);
  }
  static void Drop(fixture::Json& company, const char* file, const std::string& number) {
    posttest::DropTransaction(company, file, number);
  }
};

void ExpectMoves(const std::map<std::string, double>& moves,
                 const std::map<std::string, std::pair<double, double>>& before,
                 const std::map<std::string, std::pair<double, double>>& after) {
  for (const auto& [code, b] : before) {
    const auto move = moves.find(code);
    const double m = move == moves.end() ? 0.0 : move->second;
    EXPECT_NEAR(b.first + m, after.at(code).first, 0.001) << "balance of " << code;
    EXPECT_NEAR(b.second + m, after.at(code).second, 0.001) << "March amount of " << code;
  }
}

// What the posted transactions of the fixture do to the accounts, in their
// natural signs.
const std::map<std::string, double> kReceivableMoves = {
    {"1100", +275.00}, {"4010", +580.00}, {"1010", +276.00}, {"4050", +54.00}, {"4020", +25.00}};
const std::map<std::string, double> kPayableMoves = {
    {"2010", +2160.00}, {"5010", +2500.00}, {"1020", -300.00}, {"6010", -40.00}};

struct LedgerCase {
  const char* name;
  Files files;
  const char* keys;  // the reference typed, F10, the skips answered, the summary read
  std::map<std::string, double> moves;
  std::string summary;
  std::map<std::string, Party> parties;  // what the figures become
  std::set<std::string> marked;          // headers newly marked posted
  std::set<std::string> openItems;       // open items marked posted
  std::map<std::string, double> lines;   // the run's G/L transaction
  std::string controlAccount;            // holds the sum of the balances
};

const LedgerCase kLedgerCases[] = {
    {"receivables",
     kReceivables,
     "Tab \"MARCH RUN\" F10 Left Enter Left Enter Enter",
     kReceivableMoves,
     "5 transactions posted. Debits 855.00, credits 855.00.",
     {
         // Invoice 500, payment 196 with 4 discount, finance charge 25.
         {"ACME", {1625.00, 525.00, 200.00, 3, 1150.00, 346.00, DateMake(2025, 3, 3), 500.00,
                   DateMake(2025, 3, 5), 196.00}},
         // The credit memo of 50.
         {"BETA", {450.00, 0, 50.00, 2, 650.00, 150.00, DateMake(2025, 2, 20), 75.00, DateMake(2025, 2, 25),
                   150.00}},
         // A cash customer: its statistics only.
         {"CASHCO", {0, 0, 0, 3, 730.00, 150.00, DateMake(2025, 2, 20), 75.00, DateMake(2025, 2, 25), 150.00}},
     },
     {"1001", "1002", "1003", "1004", "1005", "1008"},  // 1007 was posted before
     {"101", "102", "103", "104", "105"},
     {{"1100 D", 525.00}, {"1100 C", 250.00}, {"4010 C", 580.00}, {"1010 D", 276.00}, {"4050 D", 54.00},
      {"4020 C", 25.00}, {"CTHANKS D", 12.34}},
     "1100"},
    {"payables",
     kPayables,
     "F10 Left Enter Enter",
     kPayableMoves,
     "3 transactions posted. Debits 2840.00, credits 2840.00.",
     {
         {"RIVER", {2500.00, 0, 2500.00, 3, 3150.00, 150.00, DateMake(2025, 3, 2), 2500.00,
                    DateMake(2025, 2, 25), 150.00}},
         // The payment by check 3001, then the debit memo of 40.
         {"OFFICE", {460.00, 340.00, 0, 2, 650.00, 450.00, DateMake(2025, 2, 20), 75.00, DateMake(2025, 3, 6),
                     300.00}},
     },
     {"2001", "2002", "2003", "2004"},
     {"201", "202", "203"},
     {{"5010 D", 2500.00}, {"2010 C", 2500.00}, {"2010 D", 340.00}, {"1020 C", 300.00}, {"6010 C", 40.00}},
     "2010"},
};

TEST_F(ArApPostingTest, TheAccountantsCheck) {
  for (const LedgerCase& c : kLedgerCases) {
    SCOPED_TRACE(c.name);
    const Files& f = c.files;
    LoadCompany(Company());
    const Books before = Take();
    const auto balances = Balances();
    const std::string t = Post(f, c.keys);

    // The accounts moved by exactly the posted lines; the summary balances.
    ExpectMoves(c.moves, balances, Balances());
    EXPECT_NE(std::string::npos, t.find(c.summary)) << t;
    for (const auto& [code, want] : c.parties) ExpectParty(code, want, PartyOf(Parties(f).at(code)));
    double owed = 0;
    for (const auto& [code, r] : Parties(f)) owed += r.balance;
    EXPECT_NEAR(Account(c.controlAccount).currentBalance, owed, 0.001)
        << "the control account holds what the accounts owe";

    // The run's G/L transaction: one, numbered from the journal's sequence,
    // posted, dated the posting date, its lines summed per account.
    const Books after = Take();
    std::vector<TagGLHeader> batch;
    for (const TagGLHeader& h : All<TagGLHeader>(27))
      if (records::Trimmed(h.journalCode) == f.journal) batch.push_back(h);
    ASSERT_EQ(1u, batch.size());
    EXPECT_EQ('Y', batch[0].postedFlag);
    EXPECT_EQ(DateMake(2025, 3, 15), batch[0].date);
    EXPECT_EQ(f.command == 321 ? "MARCH RUN" : "", std::string(records::Trimmed(batch[0].reference)));
    EXPECT_EQ(c.lines, BatchLines(f.journal));
    for (const GLLine& l : All<GLLine>(26))
      EXPECT_EQ(f.command == 321 ? "Summary AR Post" : "Summary AP Post", std::string(l.description));

    // Every other record is byte for byte as it was.
    const std::string number = f.command == 321 ? "501" : "701";
    std::map<int, Changes> expected;
    for (int fileNo : kCompanyFiles) expected[fileNo] = {};
    expected[1].changed = {};
    for (const auto& [code, m] : c.moves) expected[1].changed.insert(code);
    expected[f.headers].changed = c.marked;
    expected[f.openInvoices].changed = c.openItems;
    for (const auto& [code, p] : c.parties) expected[f.parties].changed.insert(code);
    expected[23].changed = {f.journal};
    expected[27].added = {std::string(f.journal) + " " + number};
    for (const auto& [line, amount] : c.lines)
      expected[26].added.insert(std::string(f.journal) + " " + number + " " + line.substr(0, line.find(' ')));
    if (f.command == 322) expected[14].changed = {"3001"};
    for (int fileNo : kCompanyFiles)
      EXPECT_EQ(expected[fileNo], Compare(fileNo, before.at(fileNo), after.at(fileNo))) << "file " << fileNo;
    for (const records::TagCheckRegister& e : All<records::TagCheckRegister>(14))
      EXPECT_EQ(f.command == 322 && std::string(e.checkNumber) == "3001" ? 'Y' : 'N', e.state) << e.checkNumber;

    // Posting again finds nothing new: the skipped ones are asked about again.
    const auto posted = Balances();
    const std::string again = Post(f, c.keys);
    ExpectMoves({}, posted, Balances());
    EXPECT_EQ(std::string::npos, again.find("transactions posted")) << again;
  }
}

// What the transcript must hold for each question of the accountant's check.
TEST_F(ArApPostingTest, TheSkippedTransactionsAreNamed) {
  LoadCompany(Company());
  const std::string ar = Post(kReceivables, "F10 Left Enter Left Enter Enter");
  EXPECT_NE(std::string::npos, ar.find("Accounts Receivable : transaction 1006 is out of balance: debits 100.00, "
                                       "credits 90.00."))
      << ar;
  EXPECT_NE(std::string::npos, ar.find("Customer GHOST is not on file. Accounts Receivable : transaction 1009."))
      << ar;
  const std::string ap = Post(kPayables, "F10 Left Enter Enter");
  EXPECT_NE(std::string::npos, ap.find("Vendor NOBODY is not on file. Accounts Payable    : transaction 2005."))
      << ap;
}

// Without the pre-check a problem is met while the transaction is posted:
// the run stops there.  What came before stays posted; the transaction in
// hand is left exactly as it was, whatever it had written; no summary.
TEST_F(ArApPostingTest, WithoutThePreCheckAProblemStopsTheRun) {
  struct Case {
    const char* name;
    Files files;
    std::vector<std::string> dropped;  // receivable transactions left out of the company
    std::string openItemOf1003;        // "" as it is
    const char* message;
    std::set<std::string> marked;
    std::map<std::string, double> moves;
  };
  const Case cases[] = {
      {"a transaction out of balance",
       kReceivables,
       {},
       "",
       "Accounts Receivable : transaction 1006 is out of balance:",
       {"1001", "1002", "1003", "1004", "1005"},
       kReceivableMoves},
      {"a customer not on file",
       kReceivables,
       {"1006"},
       "",
       "Customer GHOST is not on file.",
       {"1001", "1002", "1003", "1004", "1005", "1007", "1008"},
       kReceivableMoves},
      {"an open invoice not on file",
       kReceivables,
       {},
       "999",
       "The open invoice of Accounts Receivable : transaction 1003 is not on file.",
       {"1001", "1002"},
       {{"1100", +300.00}, {"4010", +500.00}, {"1010", +196.00}, {"4050", +4.00}}},
      {"a vendor not on file", kPayables, {}, "", "Vendor NOBODY is not on file.", {"2001", "2002", "2003", "2004"},
       kPayableMoves},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    for (const std::string& n : c.dropped) Drop(company, "ar_headers", n);
    if (!c.openItemOf1003.empty()) Patch(company, "ar_headers", "1003", {{"openItemNumber", 999}});
    LoadCompany(company, {{.ledger = kLedgerReceivables, .checkFirst = 'N'},
                          {.ledger = kLedgerPayables, .checkFirst = 'N'}});
    const Files& f = c.files;
    const auto balances = Balances();
    const auto items = OpenItemStatus(f);
    const std::string t = Post(f, "F10 Enter Enter");
    EXPECT_NE(std::string::npos, t.find(c.message)) << t;
    EXPECT_EQ(std::string::npos, t.find("transactions posted")) << t;
    ExpectMoves(c.moves, balances, Balances());
    std::set<std::string> marked;
    for (const auto& [number, flag] : PostedFlags(f))
      if (flag == 'Y' && number != "1007") marked.insert(number);
    std::set<std::string> want = c.marked;
    want.erase("1007");
    EXPECT_EQ(want, marked);
    // The transaction in hand wrote its open invoice before the problem: gone with its unit.
    const auto itemsAfter = OpenItemStatus(f);
    EXPECT_EQ(items.at(f.command == 321 ? 109 : 205), itemsAfter.at(f.command == 321 ? 109 : 205));
    double owed = 0;
    for (const auto& [code, r] : Parties(f)) owed += r.balance;
    EXPECT_NEAR(Account(f.command == 321 ? "1100" : "2010").currentBalance, owed, 0.001);
  }
}

TEST_F(ArApPostingTest, TheDeleteOptionRemovesWhatWasPostedOrMarked) {
  struct Case {
    const char* name;
    std::vector<posttest::LedgerOptions> options;
    const char* keys;
  };
  const Case cases[] = {
      {"chosen on the screen", {}, "Tab Tab \"Y\" F10 Left Enter Left Enter Enter"},
      {"preset by the ledger's option",
       {{.ledger = kLedgerReceivables, .deleteAfterPosting = 'Y'}},
       "F10 Left Enter Left Enter Enter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(Company(), c.options);
    const auto balances = Balances();
    const auto itemsBefore = All<TagOpenInvoice>(5).size();
    const std::string t = Post(kReceivables, c.keys);
    EXPECT_NE(std::string::npos, t.find("5 transactions posted.")) << t;
    ExpectMoves(kReceivableMoves, balances, Balances());
    std::set<std::string> headers, details;
    for (const TagRecPayHeader& h : All<TagRecPayHeader>(7)) headers.insert(h.transactionNumber);
    for (const records::RecPayDetail& d : All<records::RecPayDetail>(6)) details.insert(d.transactionNumber);
    const std::set<std::string> kept = {"1006", "1009", "1010"};
    EXPECT_EQ(kept, headers);
    EXPECT_EQ(kept, details);
    // The open invoices stay: posted, they are the customers' open items.
    EXPECT_EQ(itemsBefore, All<TagOpenInvoice>(5).size());
    EXPECT_EQ('P', OpenItemStatus(kReceivables).at(101));
  }
}

TEST_F(ArApPostingTest, UnprintedTransactionsAreConfirmed) {
  struct Case {
    const char* name;
    const char* keys;
    bool summary;
    std::set<std::string> posted;
  };
  const Case cases[] = {
      // 1003, never printed, is asked about: skipped, it is neither checked
      // nor posted, and the run completes.
      {"skipped", "F10 Left Enter Left Enter Left Enter Enter", true,
       {"1001", "1002", "1004", "1005", "1007", "1008"}},
      // Stopped: what came before stays posted; no summary.
      {"stopped", "F10 Enter", false, {"1001", "1002", "1007"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = Company();
    Patch(company, "ar_headers", "1003", {{"journalPrinted", 0}});
    LoadCompany(company, {{.ledger = kLedgerReceivables, .confirmUnprinted = 'Y'}});
    const std::string t = Post(kReceivables, c.keys);
    EXPECT_NE(std::string::npos,
              t.find("Accounts Receivable : transaction 1003 has not been printed in the journal."))
        << t;
    EXPECT_EQ(c.summary, t.find("4 transactions posted.") != std::string::npos) << t;
    std::set<std::string> posted;
    for (const auto& [number, flag] : PostedFlags(kReceivables))
      if (flag == 'Y') posted.insert(number);
    EXPECT_EQ(c.posted, posted);
    EXPECT_EQ('N', OpenItemStatus(kReceivables).at(103));
  }
}

TEST_F(ArApPostingTest, F9DetoursThroughBackupAndComesBackWithItsDate) {
  LoadCompany(Company());
  SharedAppBlock* app = SharedAppBlockGet();
  ASSERT_EQ(1, CommandAccess(1, 321));
  // The user types 04/10/25 and asks for a backup first.
  std::string t = Post(kReceivables, "\"041025\" F9");
  EXPECT_EQ(602, app->currentCommand);
  EXPECT_EQ(321, app->nextCommand);
  EXPECT_EQ(DateMake(2025, 4, 10), app->carriedPostDate);
  EXPECT_FALSE(CommandAccessHeld(321)) << "the command lock is released before the detour";
  EXPECT_EQ('N', PostedFlags(kReceivables).at("1001")) << "nothing is posted on the way out";

  // The main loop runs 602, then 321 again: the screen starts from the
  // carried date, so April is posted (1010), not March.
  app->currentCommand = app->nextCommand;
  app->nextCommand = 0;
  const auto acme = Parties(kReceivables).at("ACME");
  t = Post(kReceivables, "F10 Enter");
  EXPECT_NE(std::string::npos, t.find("04/10/25")) << t;
  EXPECT_NE(std::string::npos, t.find("1 transactions posted.")) << t;
  EXPECT_EQ('Y', PostedFlags(kReceivables).at("1010"));
  EXPECT_EQ('N', PostedFlags(kReceivables).at("1001"));
  EXPECT_NEAR(acme.balance + 45.00, Parties(kReceivables).at("ACME").balance, 0.001);
  EXPECT_NEAR(1800.00 + 45.00, Account("1100").currentBalance, 0.001);
  EXPECT_EQ(0, app->carriedPostDate) << "the carried date is used once";
}

// In detail, each detail line is a G/L line of its own with its own
// description; comment lines go along but move no account.
TEST_F(ArApPostingTest, InDetailEachLineKeepsItsDescription) {
  fixture::Json company = Company();
  company["files"]["settings"].push_back(
      {{"key", "0PostOptions"}, {"ledgers", {fixture::Json::object(), {{"postInDetail", "Y"}}}}});
  LoadCompany(company);
  const auto balances = Balances();
  const std::string t = Post(kReceivables, "F10 Left Enter Left Enter Enter");
  EXPECT_NE(std::string::npos, t.find("Debits 855.00, credits 855.00.")) << t;
  ExpectMoves(kReceivableMoves, balances, Balances());
  std::multiset<std::string> lines;
  for (const GLLine& l : All<GLLine>(26))
    lines.insert(std::string(l.account) + " " + l.side + " " + l.description);
  const std::multiset<std::string> expected = {
      "1100 D Consulting, March", "4010 C Consulting, March", "CTHANKS D Thank you for your order",
      "1010 D Payment of 4001",   "4050 D Discount taken",    "1100 C Payment of 4001",
      "4050 D Damaged goods",     "1100 C Damaged goods",     "1100 D Finance charge",
      "4020 C Finance charge",    "1010 D Counter sale",      "4010 C Counter sale"};
  EXPECT_EQ(expected, lines);
}

// A conflict on a write stops the run in the middle of a transaction; a
// rerun posts the rest.  Every balance then equals the figure of one
// uninterrupted run: nothing half posted, nothing posted twice, and the G/L
// lines of the run's transactions (one per run) add up to one run's.
TEST_F(ArApPostingTest, AConflictStopsTheRunAndARerunCompletesIt) {
  // The single run's figures.
  LoadCompany(Company());
  Post(kReceivables, "F10 Left Enter Left Enter Enter");
  const auto wantBalances = Balances();
  const auto wantParties = Parties(kReceivables);
  const auto wantItems = OpenItemStatus(kReceivables);
  const auto wantLines = BatchLines("AR");

  const char* writes[] = {"3:customers", "3:ar_open_invoices", "3:gl_accounts", "2:gl_lines", "3:ar_headers",
                          "3:transaction_numbers"};
  for (const char* write : writes) {
    for (int n : {1, 2, 4}) {
      const std::string fail = std::string("fail=") + write + ":" + std::to_string(n) + ":84";
      SCOPED_TRACE(fail);
      LoadCompany(Company());
      ASSERT_EQ(0, BtrvTestSwitch(fail.c_str()));
      const std::string stopped = Post(kReceivables, "F10 Left Enter Left Enter Enter Enter");
      BtrvTestSwitch("");
      if (stopped.find("transactions posted") == std::string::npos) {
        EXPECT_NE(std::string::npos, stopped.find("84")) << stopped;
      }
      Post(kReceivables, "F10 Left Enter Left Enter Enter");
      const auto balances = Balances();
      for (const auto& [code, b] : wantBalances) {
        EXPECT_NEAR(b.first, balances.at(code).first, 0.001) << code;
        EXPECT_NEAR(b.second, balances.at(code).second, 0.001) << code;
      }
      for (const auto& [code, p] : wantParties) {
        ExpectParty(code, PartyOf(p), PartyOf(Parties(kReceivables).at(code)));
      }
      EXPECT_EQ(wantItems, OpenItemStatus(kReceivables));
      EXPECT_EQ(wantLines, BatchLines("AR"));
    }
  }
}

// The general ledger on line: each posted transaction has a G/L transaction
// of its own, posted at once; the accounts move as in a batch run.
TEST_F(ArApPostingTest, OnLineEachTransactionGetsItsOwnGLTransaction) {
  fixture::Json company = Company();
  company["files"]["settings"].push_back({{"key", "0SysPrefs"}, {"glOnLine", "Y"}});
  LoadCompany(company);
  const auto balances = Balances();
  const std::string t = Post(kReceivables, "Tab \"ONLINE\" F10 Left Enter Left Enter Enter");
  EXPECT_NE(std::string::npos, t.find("5 transactions posted. Debits 855.00, credits 855.00.")) << t;
  ExpectMoves(kReceivableMoves, balances, Balances());
  std::vector<std::string> numbers;
  for (const TagGLHeader& h : All<TagGLHeader>(27)) {
    EXPECT_EQ('Y', h.postedFlag);
    EXPECT_STREQ("ONLINE", h.reference);
    numbers.push_back(std::string(records::Trimmed(h.transactionNumber)));
  }
  EXPECT_EQ((std::vector<std::string>{"       501", "       502", "       503", "       504", "       505"}),
            numbers);
  // The comment line describes the invoice; it is no G/L line.
  for (const GLLine& l : All<GLLine>(26)) EXPECT_STRNE("CTHANKS", l.account);
  EXPECT_EQ('Y', PostedFlags(kReceivables).at("1005"));
}

// On line, a G/L transaction that cannot be written is asked about; skipped,
// its transaction is left exactly as it was, with nothing of its G/L
// transaction behind.
TEST_F(ArApPostingTest, OnLineAGLTransactionThatFailsIsSkippedWhole) {
  fixture::Json company = Company();
  company["files"]["settings"].push_back({{"key", "0SysPrefs"}, {"glOnLine", "Y"}});
  LoadCompany(company);
  const auto balances = Balances();
  // The first line of the first G/L transaction cannot be written.
  ASSERT_EQ(0, BtrvTestSwitch("fail=2:gl_lines:1:2"));
  const std::string t = Post(kReceivables, "F10 Left Enter Left Enter Left Enter Enter");
  BtrvTestSwitch("");
  EXPECT_NE(std::string::npos, t.find("Accounts Receivable : 1001 could not be posted to the general ledger."))
      << t;
  EXPECT_NE(std::string::npos, t.find("4 transactions posted.")) << t;
  EXPECT_EQ('N', PostedFlags(kReceivables).at("1001"));
  EXPECT_EQ('N', OpenItemStatus(kReceivables).at(101));
  EXPECT_EQ(4u, All<TagGLHeader>(27).size()) << "the skipped transaction's G/L header went with it";
  ExpectMoves({{"1100", -225.00}, {"4010", +80.00}, {"1010", +276.00}, {"4050", +54.00}, {"4020", +25.00}},
              balances, Balances());
}

// The time-billing link hears of each posted transaction once, after it is
// kept, and of none that a stop left unposted.
TEST_F(ArApPostingTest, TheTimeLinkHearsOfEachPostedTransactionOnce) {
  struct Case {
    const char* name;
    const char* fail;
    std::vector<std::string> written;
  };
  const Case cases[] = {
      {"a complete run", "", {"1001", "1002", "1003", "1004", "1005"}},
      {"a run stopped at 1003", "fail=3:customers:3:84", {"1001", "1002"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(Company());
    std::vector<std::string> calls;
    TimeLinkSetRecorder(&calls);
    BtrvTestSwitch(c.fail);
    Post(kReceivables, "F10 Left Enter Left Enter Enter");
    BtrvTestSwitch("");
    TimeLinkSetRecorder(nullptr);
    std::vector<std::string> written;
    for (const std::string& call : calls)
      if (call.rfind("write AR\t", 0) == 0) written.push_back(call.substr(9, call.find('\t', 9) - 9));
    EXPECT_EQ(c.written, written);
    EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "TimeLinkEnd completed"));
    EXPECT_EQ("TimeLinkRelease", calls.back());
  }
}

// A larger company: `count` receivable invoices and payments over twenty
// customers in March, each with its open invoice and two detail lines.
fixture::Json ManyTransactions(fixture::Json company, int count) {
  auto& files = company["files"];
  for (const char* name : {"ar_headers", "ar_details", "ar_open_invoices", "ar_open_invoice_headers", "customers"})
    files[name] = fixture::Json::array();
  for (int c = 0; c < 20; ++c) {
    char code[16];
    std::snprintf(code, sizeof code, "C%03d", c);
    files["customers"].push_back({{"code", code}, {"name", std::string("Customer ") + code}, {"accountType", "O"}});
  }
  for (int i = 0; i < count; ++i) {
    const std::string number = std::to_string(5000 + i);
    char code[16];
    std::snprintf(code, sizeof code, "C%03d", i % 20);
    const int day = i * 28 / count + 1;
    const std::string date = std::string("2025-03-") + (day < 10 ? "0" : "") + std::to_string(day);
    const bool payment = i % 3 == 2;
    const double amount = 10.00 + (i % 97) + 0.25 * (i % 7);
    const std::string invoice = "I" + number;
    files["ar_headers"].push_back({{"transactionNumber", number}, {"custVendCode", code},
                                   {"invoiceNumber", invoice}, {"reference", payment ? "Payment" : "Invoice"},
                                   {"typeLetter", payment ? "P" : "I"}, {"postedFlag", "N"}, {"date", date},
                                   {"journalPrinted", "2025-03-14"}, {"openItemNumber", 1000 + i}});
    files["ar_open_invoices"].push_back({{"code", code}, {"invoiceNumber", invoice}, {"precedence", "1"},
                                         {"lineType", payment ? "P" : "I"}, {"status", "N"},
                                         {"itemNumber", 1000 + i}, {"invoiceDate", date}, {"amount", amount}});
    files["ar_open_invoice_headers"].push_back({{"code", code}, {"invoiceNumber", invoice}, {"invoiceDate", date},
                                                {"amount", payment ? 0.0 : amount},
                                                {"balance", payment ? -amount : amount}});
    const char* debit = payment ? "1010" : "1100";
    const char* credit = payment ? "1100" : "4010";
    for (auto [account, side] : {std::pair{debit, "D"}, std::pair{credit, "C"}})
      files["ar_details"].push_back({{"ledgerCode", "AR"}, {"transactionNumber", number}, {"account", account},
                                     {"description", "Entry"}, {"side", side}, {"amount", amount},
                                     {"date", date}});
  }
  return company;
}

// The process is killed at random moments of a run; each time the books
// are those of the transactions marked posted, whole, and a rerun completes
// them to the figures of one run without a kill.
TEST_F(ArApPostingTest, AKilledRunLeavesNothingHalfPostedAndARerunCompletesIt) {
  constexpr int kTransactions = 300;
  const fixture::Json company = ManyTransactions(Company(), kTransactions);
  // What each transaction does: to its customer's balance, and to the accounts.
  std::map<std::string, std::pair<std::string, double>> owed;  // number -> customer, change
  std::map<std::string, std::map<std::string, double>> moves;
  for (const auto& h : company["files"]["ar_headers"]) {
    const std::string number = h["transactionNumber"];
    for (const auto& o : company["files"]["ar_open_invoices"])
      if (o["itemNumber"] == h["openItemNumber"])
        owed[number] = {h["custVendCode"], o["lineType"] == "P" ? -o["amount"].get<double>() : o["amount"].get<double>()};
  }
  for (const auto& d : company["files"]["ar_details"]) {
    const std::string account = d["account"];
    const bool debitKind = account != "4010";
    const bool debit = d["side"] == "D";
    moves[d["transactionNumber"]][account] += debit == debitKind ? d["amount"].get<double>() : -d["amount"].get<double>();
  }

  // The command in a child process, killed `killAfter` microseconds after
  // it starts (never when negative).
  auto runChild = [&](long killAfter) {
    return qxtest::RunKilledChild(321, "F10 Enter", dir_ + "/child.txt", killAfter, [] { RunArApPost(1); });
  };

  LoadCompany(company);
  const auto initial = Balances();
  const qxtest::ChildRun whole = runChild(-1);
  ASSERT_FALSE(whole.killed);
  const auto expected = Balances();
  const auto expectedParties = Parties(kReceivables);
  ASSERT_EQ('Y', PostedFlags(kReceivables).at("5000"));

  const int killedInTheRun = qxtest::KillAtRandomMoments(8, whole.micros, [&] { LoadCompany(company); }, runChild, [&] {
    // Nothing half posted: the accounts, the customers, the open invoices
    // and the run's G/L lines moved by exactly the transactions marked.
    std::map<std::string, double> marked, balances;
    double lines = 0;
    const auto items = OpenItemStatus(kReceivables);
    for (const TagRecPayHeader& h : All<TagRecPayHeader>(7)) {
      const bool posted = h.postedFlag == 'Y';
      EXPECT_EQ(posted ? 'P' : 'N', items.at(h.openItemNumber)) << h.transactionNumber;
      if (!posted) continue;
      for (const auto& [account, m] : moves.at(h.transactionNumber)) marked[account] += m;
      const auto& [customer, change] = owed.at(h.transactionNumber);
      balances[customer] += change;
      lines += std::fabs(moves.at(h.transactionNumber).at("1100"));
    }
    ExpectMoves(marked, initial, Balances());
    for (const auto& [code, r] : Parties(kReceivables))
      EXPECT_NEAR(balances[code], r.balance, 0.001) << code;
    double written = 0;
    for (const GLLine& l : All<GLLine>(26))
      if (std::string(l.account) == "1100") written += l.amount;
    EXPECT_NEAR(lines, written, 0.001) << "the G/L lines written are those of the marked transactions";
    // The rerun completes the books, posting nothing twice.
    Post(kReceivables, "F10 Enter");
    const auto after = Balances();
    for (const auto& [code, b] : expected) {
      EXPECT_NEAR(b.first, after.at(code).first, 0.001) << code;
      EXPECT_NEAR(b.second, after.at(code).second, 0.001) << code;
    }
    for (const auto& [code, r] : Parties(kReceivables))
      EXPECT_NEAR(expectedParties.at(code).balance, r.balance, 0.001) << code;
    for (const auto& [number, flag] : PostedFlags(kReceivables)) EXPECT_EQ('Y', flag) << number;
  });
  EXPECT_GT(killedInTheRun, 0) << "at least one kill fell inside a run";
}

}  // namespace
