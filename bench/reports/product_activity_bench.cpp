// The product activity detail report (command 359) over a scaled sample
// company -- 1,000 products with 20,000 inventory transactions, and 10,000
// with 200,000 (QX_BENCH_TRANSACTIONS="20000,200000" chooses the sizes, a
// product for each 20) -- over every date to an HTML file.  Beside it:
//   - "floor": raw SQLite reading the same records in the same order (every
//     product in number order, each one's transactions by its product-and-
//     date key) and writing the same HTML: a line per product and per
//     transaction with their drill-down links (each column its own anchor,
//     its qxa: URL and title, as the report writes them), pages under their
//     headings;
//   - "read": raw SQLite reading the same records, and nothing more.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "btrvc.h"
#include "fixture/company.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"
#include "report_bench.h"
#include "reports/inventory/product_activity_detail.h"
#include "sample/sample_company.h"

namespace {

namespace fs = std::filesystem;

long long g_transactions = 0;

// The products' history: transactions spread over their products, each a
// receipt or a sale on a day of the last two years.
void AddHistory(fixture::CompanyImage* image, int wanted, std::int32_t today) {
  auto& history = image->files[records::kFileInventoryTransactions];
  const auto& products = image->files.at(records::kFileProducts);
  const int have = static_cast<int>(history.size());
  for (int i = have; i < wanted; ++i) {
    records::TagProduct p{};
    std::memcpy(&p, products[static_cast<std::size_t>(i) % products.size()].data(), sizeof p);
    records::InventoryTransaction t{};
    std::memcpy(t.productCode, p.number, sizeof t.productCode);
    std::snprintf(t.transactionNumber, sizeof t.transactionNumber, "%10d", (100000 + i) % 1000000000);
    const bool receipt = i % 3 == 0;
    t.date = today - 730 + (i * 7919) % 730;
    t.kind = receipt ? '1' : '5';
    t.source = receipt ? 'M' : 'B';
    std::snprintf(t.sourceTransaction, sizeof t.sourceTransaction, "D%d", i % 100000000);
    t.quantity = receipt ? 12.0 : -2.0;
    t.unitCost = 1.5;
    t.extendedAmount = t.quantity * 1.5;
    t.postedFlag = 'Y';
    std::vector<std::uint8_t> bytes(sizeof t);
    std::memcpy(bytes.data(), &t, sizeof t);
    history.push_back(std::move(bytes));
  }
}

bool MakeCompany(int transactions, const reportbench::BenchFolder& folder) {
  sample::Options options;
  options.today = DateMake(2025, 3, 31);
  options.products = transactions / 20;
  fixture::CompanyImage image;
  std::string error;
  if (!sample::BuildSampleCompany(options, &image, &error)) {
    std::fprintf(stderr, "sample company: %s\n", error.c_str());
    return false;
  }
  AddHistory(&image, transactions, options.today);
  g_transactions = static_cast<long long>(image.files[records::kFileInventoryTransactions].size());
  return reportbench::UseCompany(image, folder, 359, options.today);
}

void DetailToHtml(benchmark::State& state, int) {
  const std::string output = reportbench::SizedFolder().root + "/detail.htm";
  const std::string params = "input='default' rankfrom='' rankto='' output='" + output + "'";
  for (auto _ : state) {
    fs::remove(output);
    RunProductActivityDetail(params.c_str());
    if (!fs::exists(output)) state.SkipWithError("no report was written");
  }
  state.SetItemsProcessed(state.iterations() * g_transactions);
  state.counters["html_MB"] = static_cast<double>(reportbench::FileSize(output)) / 1e6;
}

// ---- The floor -------------------------------------------------------------------------

void Escaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
}

void PercentEncoded(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  for (const unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
}

// A line's link, made once per line: the escaped URL and title of its
// anchors (every column of a line opens the same screen).
struct Anchor {
  std::string open;  // <a href="..." title="...">
  void Make(int command, std::string_view params, const std::string& company) {
    std::string url = "qxa:" + std::to_string(command) + "?kind=1&p=";
    PercentEncoded(url, params);
    url += "&co=";
    url += company;
    open = "<a href=\"";
    Escaped(open, url);
    open += "\" title=\"Opens screen " + std::to_string(command) + ": ";
    Escaped(open, params);
    open += "\">";
  }
  // A column's text as its anchor, its trailing blanks after it.
  void Cell(std::string& out, std::string_view text) const {
    const std::size_t end = text.find_last_not_of(' ');
    if (end == std::string_view::npos) {
      out += text;
      return;
    }
    out += open;
    Escaped(out, text.substr(0, end + 1));
    out += "</a>";
    out.append(text.size() - end - 1, ' ');
  }
};

// The products in number order, each one's transactions in date order read
// by its key, a product line and a line per transaction with their
// drill-down links (every column of a line its own anchor, as the report
// writes them), in pages of 60 lines under their headings, written page by
// page to one HTML file.
void Floor(benchmark::State& state, int) {
  const reportbench::BenchFolder& folder = reportbench::SizedFolder();
  sqlite3* db = nullptr;
  sqlite3_open_v2((folder.company + "/qxrecords.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* walk = nullptr;
  sqlite3_stmt* history = nullptr;
  sqlite3_prepare_v2(db, ("SELECT image FROM " + reportbench::TableOf(db, "products") + " ORDER BY k0, pos").c_str(), -1,
                     &walk, nullptr);
  sqlite3_prepare_v2(db,
                     ("SELECT image FROM " + reportbench::TableOf(db, "inventory_transactions") +
                      " WHERE k1 >= ?1 AND k1 < ?2 ORDER BY k1, pos")
                         .c_str(),
                     -1, &history, nullptr);
  std::string company;
  PercentEncoded(company, folder.company);
  const std::string path = folder.root + "/floor.htm";
  long long lines = 0;
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>Product Activity "
                      "Detail Report</title>\n</head>\n<body>\n";
    int lineOnPage = 60, page = 0;
    auto room = [&] {
      if (lineOnPage < 60) return;
      if (page > 0) {
        out += "</pre>\n</div>\n";
        std::fwrite(out.data(), 1, out.size(), file);
        out.clear();
      }
      out += "<div class=\"page\" id=\"page-" + std::to_string(++page) + "\">\n<pre>\n";
      out += "                                                  <span class=\"f8\">Product Activity Detail Report</span>\n"
             "    <span class=\"f13\">Item No./      </span>            <span class=\"f13\">Item Description/</span>\n"
             "    --------------             --------   ----------   ---------- ------------ ----------- ------------\n";
      lineOnPage = 3;
    };
    char text[160];
    Anchor product, transaction;
    lines = 0;
    while (sqlite3_step(walk) == SQLITE_ROW) {
      records::TagProduct p;
      std::memcpy(&p, sqlite3_column_blob(walk, 0), sizeof p);
      std::string key = reportbench::PaddedField(p.number, sizeof p.number);
      for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      const std::string past = key + '\xff';
      sqlite3_bind_blob(history, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
      sqlite3_bind_blob(history, 2, past.data(), static_cast<int>(past.size()), SQLITE_STATIC);
      double quantity = p.purgedQuantity, value = p.purgedAmount;
      const std::string number = reportbench::PaddedField(p.number, 14);
      product.Make(250, "cdno='" + number.substr(0, number.find_last_not_of(' ') + 1) + "'", company);
      room();
      out += "    ";
      product.Cell(out, number);
      out += "       ";
      product.Cell(out, reportbench::PaddedField(p.warehouse, 5));
      out += ' ';
      product.Cell(out, reportbench::PaddedField(p.description, 30));
      const int n = std::snprintf(text, sizeof text, "%42s %12.4f %12.2f\n", "", double(quantity), double(value));
      out.append(text, static_cast<std::size_t>(n));
      ++lineOnPage;
      while (sqlite3_step(history) == SQLITE_ROW) {
        records::InventoryTransaction t;
        std::memcpy(&t, sqlite3_column_blob(history, 0), sizeof t);
        quantity += t.quantity;
        value += t.extendedAmount;
        const std::string document = reportbench::PaddedField(t.sourceTransaction, 14);
        transaction.Make(t.source == 'M' ? 221 : 230,
                         "tranno='" + document.substr(0, document.find_last_not_of(' ') + 1) + "' mrno='0'", company);
        int y = 0, m = 0, d = 0;
        DateSplit(t.date, &y, &m, &d);
        room();
        out += "    ";
        transaction.Cell(out, document);
        out += "             ";
        // The columns after the document, each its own anchor.
        std::snprintf(text, sizeof text, "%02d/%02d/%02d|%10s|%10s|%12.4f|%11.4f|%12.2f|%12.4f|%12.2f", m, d,
                      y % 100, t.source == 'M' ? "Purchase" : "Invoice", t.source == 'M' ? "Purchase" : "Invoice",
                      double(t.quantity), double(t.unitCost), double(t.extendedAmount), quantity, value);
        std::string_view columns(text);
        for (std::size_t at = 0; at <= columns.size();) {
          const std::size_t bar = std::min(columns.find('|', at), columns.size());
          transaction.Cell(out, columns.substr(at, bar - at));
          out += ' ';
          at = bar + 1;
        }
        out += '\n';
        ++lineOnPage;
        ++lines;
      }
      sqlite3_reset(history);
      out += '\n';
      ++lineOnPage;
    }
    sqlite3_reset(walk);
    out += "</pre>\n</div>\n</body>\n</html>\n";
    const bool written = file != nullptr && std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (file == nullptr || std::fclose(file) != 0 || !written) state.SkipWithError("the floor's HTML was not written");
  }
  if (lines < g_transactions) state.SkipWithError("the floor printed too few transactions");
  sqlite3_finalize(walk);
  sqlite3_finalize(history);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * g_transactions);
  state.counters["html_MB"] = static_cast<double>(reportbench::FileSize(path)) / 1e6;
}

// The same records straight from SQLite: the products by their number, the
// transactions by product and date.
void Read(benchmark::State& state, int) {
  reportbench::RawRead(state, reportbench::SizedFolder().company,
                       {{"products", "k0, pos"}, {"inventory_transactions", "k1, pos"}}, g_transactions);
}

}  // namespace

int main(int argc, char** argv) {
  reportbench::SizedReports spec;
  spec.prefix = "qxactivitybench";
  spec.unit = "activitie";
  spec.sizes = reportbench::Sizes("QX_BENCH_TRANSACTIONS", "20000,200000");
  spec.make = MakeCompany;
  spec.items = [](int n) { return static_cast<long long>(n); };
  spec.runs = {{"report", DetailToHtml}, {"floor", Floor}, {"read", Read}};
  spec.floor = "floor";
  return reportbench::RunSizedReports(argc, argv, spec);
}
