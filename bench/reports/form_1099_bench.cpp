// The 1099 forms (command 348) over 2,000 and 20,000 1099 vendors
// (QX_BENCH_1099="2000,20000" chooses the sizes), each with an amount for
// the tax year, added to the small sample company: every form written as
// text (the preview's text, as the key script's transcript and the printer
// get it) and its batch recorded.  Beside it:
//   - "floor": raw SQLite reading the same records in the same order (the
//     vendors in code order, each 1099 vendor's amount of the year looked
//     up by its key) and writing the same forms' text (33 lines a form, each
//     field at its column, two forms a page) to a file;
//   - "read": raw SQLite reading the same records, and nothing more.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/support.h"
#include "report_bench.h"
#include "reports/arap/form_1099.h"
#include "sample/sample_company.h"

namespace {

using reportbench::SizedFolder;

std::int32_t g_today = 0;

// The vendors, coded from Z00000 so that none meets the sample's own, and
// their amounts of 2024 (every fourth below the minimum of 600).
void AddVendors(fixture::CompanyImage* image, int count) {
  auto& vendors = image->files[records::kFileVendors];
  auto& amounts = image->files[records::kFileVendor1099Amounts];
  for (int n = 0; n < count; ++n) {
    char code[16];
    std::snprintf(code, sizeof code, "Z%05d", n);
    records::CustVendRecord v{};
    reportbench::SetText(v.code, code);
    reportbench::SetText(v.idNumber, "90-" + std::to_string(1000000 + n));
    v.form1099 = 'Y';
    v.accountType = 'O';
    reportbench::SetText(v.name, std::string("Contractor ") + code);
    reportbench::SetText(v.addressLines[0], std::to_string(n % 900 + 1) + " Mill Road");
    reportbench::SetText(v.addressLines[1], "Port Alden, WA");
    reportbench::SetText(v.zipCode, "98370");
    vendors.push_back(reportbench::Bytes(v));
    records::Vendor1099AmountRecord a{};
    reportbench::SetText(a.vendorCode, code);
    a.taxYear = 2024;
    a.amount = n % 4 == 0 ? 450.0 : 600.0 + (n % 500) * 10.25;
    amounts.push_back(reportbench::Bytes(a));
  }
}

bool MakeCompany(int vendors, const reportbench::BenchFolder& folder) {
  sample::Options options;
  options.today = g_today = DateMake(2025, 3, 31);
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  AddVendors(&image, vendors);
  return reportbench::UseCompany(image, folder, 348, options.today);
}

// Each run names a batch of its own: a batch printed before prints nothing.
void FormsToText(benchmark::State& state, int vendors) {
  const std::string transcript = SizedFolder().root + "/forms.txt";
  static int run = 0;
  for (auto _ : state) {
    const std::string keys =
        "Enter Enter \"2024\" Enter \"600\" Enter \"N\" Enter \"BENCH" + std::to_string(++run) + "\" F10";
    // A new script device takes the clock's today again.
    ScreenResetForTest(keys, transcript.c_str());
    DateSetToday(g_today);
    RunPrint1099();
  }
  reportbench::EndTranscriptRuns(state, transcript, vendors, "the forms' text");
}

// ---- The floor -------------------------------------------------------------------------

// One text line of a form: texts and amounts at their columns.
class Line {
 public:
  Line& At(int column, const std::string& text) {
    if (text_.size() < static_cast<std::size_t>(column)) text_.resize(static_cast<std::size_t>(column), ' ');
    text_.replace(static_cast<std::size_t>(column), std::min(text.size(), text_.size() - column), text);
    if (text_.size() < column + text.size()) text_ += text.substr(text_.size() - column);
    return *this;
  }
  Line& Amount(int column, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%11.2f", value);
    return At(column, text);
  }
  void To(std::string& out) {
    while (!text_.empty() && text_.back() == ' ') text_.pop_back();
    out += text_;
    out += '\n';
  }

 private:
  std::string text_;
};

// Appends one form of 33 lines: the payer, the recipient and the amount.
void Form(std::string& out, const records::CompanyRecord& c, const records::CustVendRecord& v, double amount) {
  auto blank = [&](int n) { out.append(static_cast<std::size_t>(n), '\n'); };
  auto left = [](const std::string& s) { return s.substr(0, 33); };
  blank(1);
  Line().At(4, left(reportbench::TrimmedField(c.name))).To(out);
  Line().Amount(38, 0).To(out);
  Line().At(4, left(reportbench::TrimmedField(c.addressLine1))).To(out);
  Line().At(4, left(reportbench::TrimmedField(c.addressLine2))).To(out);
  Line().At(4, left(reportbench::TrimmedField(c.cityStateZip))).Amount(38, 0).To(out);
  Line().At(4, left(reportbench::TrimmedField(c.phone))).To(out);
  Line().Amount(38, 0).To(out);
  blank(3);
  Line().At(4, reportbench::TrimmedField(c.federalId)).At(21, reportbench::TrimmedField(v.idNumber)).Amount(38, 0).Amount(51, 0).To(out);
  blank(1);
  Line().At(4, left(reportbench::TrimmedField(v.name))).To(out);
  blank(1);
  Line().Amount(38, amount).Amount(51, 0).To(out);
  blank(1);
  Line().At(4, left(reportbench::TrimmedField(v.addressLines[0]))).To(out);
  Line().At(4, "").Amount(51, 0).To(out);
  blank(1);
  Line().At(4, left(reportbench::TrimmedField(v.addressLines[1]) + "  " + reportbench::TrimmedField(v.zipCode))).To(out);
  blank(4);
  Line().Amount(38, 0).At(51, reportbench::TrimmedField(c.stateNumber)).Amount(64, 0).To(out);
  blank(7);
}

void Floor(benchmark::State& state, int vendors) {
  const reportbench::BenchFolder& folder = SizedFolder();
  sqlite3* db = nullptr;
  sqlite3_open_v2((folder.company + "/qxrecords.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  const std::string vendorTable = reportbench::TableOf(db, "vendors");
  const std::string amountTable = reportbench::TableOf(db, "vendor_1099_amounts");
  const std::string settingsTable = reportbench::TableOf(db, "settings");
  sqlite3_stmt* walk = nullptr;
  sqlite3_stmt* amount = nullptr;
  sqlite3_stmt* company = nullptr;
  sqlite3_prepare_v2(db, ("SELECT image FROM " + vendorTable + " ORDER BY k0, pos").c_str(), -1, &walk, nullptr);
  sqlite3_prepare_v2(db, ("SELECT image FROM " + amountTable + " WHERE k0 = ?").c_str(), -1, &amount, nullptr);
  sqlite3_prepare_v2(db, ("SELECT image FROM " + settingsTable + " WHERE k0 = ?").c_str(), -1, &company, nullptr);
  const std::string path = folder.root + "/floor.txt";
  long forms = 0;
  for (auto _ : state) {
    records::CompanyRecord c{};
    std::string key(15, ' ');
    key.replace(0, 8, "0Company");
    sqlite3_bind_blob(company, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    if (sqlite3_step(company) == SQLITE_ROW)
      std::memcpy(&c, sqlite3_column_blob(company, 0), std::min<std::size_t>(sizeof c, sqlite3_column_bytes(company, 0)));
    sqlite3_reset(company);
    std::string out;
    forms = 0;
    while (sqlite3_step(walk) == SQLITE_ROW) {
      records::CustVendRecord v;
      std::memcpy(&v, sqlite3_column_blob(walk, 0), sizeof v);
      if (v.form1099 != 'Y') continue;
      // The amount's key: the vendor code (blank-padded) and the year.
      std::string k(reinterpret_cast<const char*>(v.code), sizeof v.code);
      for (char& ch : k)
        if (ch == '\0') ch = ' ';
      std::int32_t year = 2024;
      const std::uint32_t flipped = static_cast<std::uint32_t>(year) ^ 0x80000000u;
      for (int i = 0; i < 4; ++i) k += static_cast<char>(flipped >> (24 - 8 * i));
      sqlite3_bind_blob(amount, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
      double value = 0;
      if (sqlite3_step(amount) == SQLITE_ROW) {
        records::Vendor1099AmountRecord a;
        std::memcpy(&a, sqlite3_column_blob(amount, 0), sizeof a);
        value = a.amount;
      }
      sqlite3_reset(amount);
      if (value < 600) continue;
      if (forms % 2 == 0) out += "--- page " + std::to_string(forms / 2 + 1) + " ---\n";
      Form(out, c, v, value);
      ++forms;
    }
    sqlite3_reset(walk);
    if (!reportbench::WriteWhole(path, out)) state.SkipWithError("the floor's text was not written");
  }
  if (forms < vendors / 2) state.SkipWithError("the floor printed too few forms");
  for (sqlite3_stmt* st : {walk, amount, company}) sqlite3_finalize(st);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * vendors);
  state.counters["text_MB"] = static_cast<double>(reportbench::FileSize(path)) / 1e6;
}

void Read(benchmark::State& state, int vendors) {
  reportbench::RawRead(state, SizedFolder().company, {{"vendors", "k0, pos"}, {"vendor_1099_amounts", "k0, pos"}},
                       vendors);
}

}  // namespace

int main(int argc, char** argv) {
  reportbench::SizedReports spec;
  spec.prefix = "qx1099bench";
  spec.unit = "vendor";
  spec.sizes = reportbench::Sizes("QX_BENCH_1099", "2000,20000");
  spec.make = MakeCompany;
  spec.items = [](int n) { return static_cast<long long>(n); };
  spec.runs = {{"report", FormsToText}, {"floor", Floor}, {"read", Read}};
  spec.floor = "floor";
  return reportbench::RunSizedReports(argc, argv, spec);
}
