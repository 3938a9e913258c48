// The price breaks report (command 353) run on key scripts over the sample
// company and small fixtures, read back from the preview: each table's
// line by its type, the quantity levels under it, the range of codes, a
// table split by a page break, and the ways a run ends early.
//
// The screen's fields in cursor order: 1 the first table code, 2 the last.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "records/dictionary.h"
#include "reports/inventory/price_breaks.h"
#include "stock_reports_support.h"

namespace producttest {
namespace {

class PriceBreaksTest : public StockReportTest {
 protected:
  Run Breaks(const std::string& keys) { return Scripted(keys, [] { return RunPriceBreaksReport(); }); }
};

// A table as printed: its first line's cells, then the limit and the
// percentage of each further level.
struct Table {
  std::vector<std::string> first;  // code, description, type, rounding, limit, percent, amount
  std::vector<std::string> levels;  // "limit percent" of the level lines
};

bool IsRule(const std::string& line) { return line.find("------") != std::string::npos; }

// The tables of one page's lines (after its rule).
std::vector<Table> TablesOfLines(const std::vector<std::string>& lines) {
  std::vector<Table> out;
  bool body = false;
  for (const std::string& line : lines) {
    if (IsRule(line)) {
      body = true;
      continue;
    }
    // The heading, blank lines and the page's footer ("Page 1 of 2") carry no table.
    if (!body || CellOf(line, 0, 136).empty() || line.find("PRICE TABLE") != std::string::npos ||
        line.find(" Page ") != std::string::npos || line.find("***") != std::string::npos)
      continue;
    if (!CellOf(line, 1, 5).empty()) {
      // The amount of a dollar, percent or flat table stands where the limit
      // and the percentage of a quantity table do.
      const bool quantity = CellOf(line, 38, 8) == "Quantity";
      out.push_back({{CellOf(line, 1, 5), CellOf(line, 7, 30), CellOf(line, 38, 8), CellOf(line, 47, 8),
                      quantity ? CellOf(line, 56, 7) : "", quantity ? CellOf(line, 72, 7) : "",
                      quantity ? "" : CellOf(line, 64, 11)},
                     {}});
    } else if (!out.empty()) {
      out.back().levels.push_back(CellOf(line, 56, 7) + " " + CellOf(line, 72, 7));
    }
  }
  return out;
}

std::vector<Table> TablesOf(const std::string& transcript) {
  std::vector<Table> out;
  for (const auto& page : PreviewPages(transcript, "Price Breaks")) {
    for (Table& t : TablesOfLines(page)) out.push_back(std::move(t));
  }
  return out;
}

std::vector<std::string> Codes(const std::vector<Table>& tables) {
  std::vector<std::string> out;
  for (const Table& t : tables) out.push_back(t.first[0]);
  return out;
}

TEST_F(PriceBreaksTest, EveryTableOfTheSampleWithItsLevelsOrItsAmount) {
  LoadSampleCompany();
  const Run run = Breaks("F10 Esc");
  ASSERT_NE(std::string::npos, run.transcript.find("preview: Price Breaks")) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("PRICE TABLE"));
  EXPECT_NE(std::string::npos, run.transcript.find("Percent/Amount"));
  const std::vector<Table> tables = TablesOf(run.transcript);
  ASSERT_EQ(6u, tables.size()) << run.transcript;
  const std::vector<std::vector<std::string>> firsts = {
      {"BULK", "Bulk buyer ladder", "Quantity", "Dime", "12", "2.500", ""},
      {"CASE", "Full case discount", "Quantity", "Dollar", "24", "4.000", ""},
      {"DLR1", "One dollar off", "Dollar", "None", "", "", "1.0000"},
      {"FLAT2", "Contract flat price", "Flat", "Penny", "", "", "27.5000"},
      {"PREF5", "Preferred customer discount", "Percent", "Nickel", "", "", "5.0000"},
      {"QTY10", "Quantity discount", "Quantity", "Penny", "10", "5.000", ""},
  };
  for (std::size_t i = 0; i < firsts.size(); ++i) EXPECT_EQ(firsts[i], tables[i].first) << run.transcript;
  // Five levels all set: four more lines; a level 1 limit of 0 ends the
  // table at its first line.
  EXPECT_EQ((std::vector<std::string>{"24 5.000", "48 7.500", "96 10.000", "500 12.500"}), tables[0].levels);
  EXPECT_TRUE(tables[1].levels.empty());
  EXPECT_TRUE(tables[2].levels.empty());
  EXPECT_EQ((std::vector<std::string>{"50 10.000", "100 15.000"}), tables[5].levels);
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
}

TEST_F(PriceBreaksTest, TheRangeOfCodesChoosesTheTables) {
  LoadSampleCompany();
  const struct {
    const char* name;
    const char* keys;
    std::vector<std::string> codes;
    std::vector<int> messages;
  } cases[] = {
      {"C to F", "\"C\" Down \"FLAT2\" F10 Esc", {"CASE", "DLR1", "FLAT2"}, {}},
      // "PREF5" lies after "P".
      {"C to P", "\"C\" Down \"P\" F10 Esc", {"CASE", "DLR1", "FLAT2"}, {}},
      {"from Q to the end", "\"Q\" F10 Esc", {"QTY10"}, {}},
      {"lower case", "\"dlr1\" Down \"dlr1\" F10 Esc", {"DLR1"}, {}},
      {"nothing after the last", "\"ZZ\" F10", {}, {197}},
      {"between two tables", "\"E\" Down \"EZ\" F10", {}, {197}},
      {"from after to", "\"Q\" Down \"B\" F10 Enter Esc", {}, {205}},
      {"left with Esc", "Esc", {}, {}},
  };
  for (const auto& c : cases) {
    const Run run = Breaks(c.keys);
    EXPECT_EQ(c.codes, Codes(TablesOf(run.transcript))) << c.name << "\n" << run.transcript;
    EXPECT_EQ(c.messages, run.messages) << c.name << "\n" << run.transcript;
    EXPECT_EQ(0, run.result);
    if (c.codes.empty()) {
      EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << c.name;
    }
  }
}

// Tables of five levels run over several pages: a table split by a page
// break names itself again at the top of the next page, and every level is
// printed once.  The first table's size moves where the others fall on the
// page, so that some run splits a table.
TEST_F(PriceBreaksTest, ATableSplitByAPageBreakRepeatsItsFirstLine) {
  int splits = 0;
  for (int firstLevels = 1; firstLevels <= 5; ++firstLevels) {
    Json tables = Json::array();
    for (int t = 0; t < 14; ++t) {
      Json levels = Json::array();
      const int count = t == 0 ? firstLevels : 5;
      for (int l = 0; l < count; ++l) levels.push_back(Json{{"limit", 10 * (l + 1) + t}, {"percent", l + 1}});
      char code[8];
      std::snprintf(code, sizeof code, "T%02d", t);
      tables.push_back(Json{{"tableCode", code}, {"description", "Ladder"}, {"type", "Q"}, {"levels", levels}});
    }
    LoadFixture(Json{{"files", {{"price_breaks", tables}}}});
    const Run run = Breaks("F10 Esc");
    const auto pages = PreviewPages(run.transcript, "Price Breaks");
    ASSERT_GE(pages.size(), 2u) << run.transcript;
    std::map<std::string, int> levelLines;
    std::string lastCode;
    for (const auto& page : pages) {
      const std::vector<Table> onPage = TablesOfLines(page);
      ASSERT_FALSE(onPage.empty()) << run.transcript;
      // A page that goes on with the table the page before ended in.
      if (onPage.front().first[0] == lastCode) ++splits;
      for (const Table& t : onPage) levelLines[t.first[0]] += static_cast<int>(t.levels.size());
      lastCode = onPage.back().first[0];
    }
    ASSERT_EQ(14u, levelLines.size()) << run.transcript;
    for (const auto& [code, levels] : levelLines)
      EXPECT_EQ(code == "T00" ? firstLevels - 1 : 4, levels) << code << ": each further level once\n" << run.transcript;
  }
  EXPECT_GE(splits, 1) << "no run split a table";
}

TEST_F(PriceBreaksTest, AUserBreakOrARecordManagerErrorEndsTheRunCleanly) {
  LoadSampleCompany();
  const Run stopped = Breaks("F10 Break");
  EXPECT_NE(std::string::npos, stopped.transcript.find("stopped by the user")) << stopped.transcript;
  ExpectReleased(records::kFilePriceBreaks);

  ASSERT_EQ(0, BtrvTestSwitch("fail=6:price_breaks:2:2"));
  const Run failed = Breaks("F10 Esc");
  BtrvTestSwitch("");
  EXPECT_NE(std::string::npos, failed.transcript.find("price_breaks")) << failed.transcript;
  EXPECT_NE(std::string::npos, failed.transcript.find("report is incomplete")) << failed.transcript;
  EXPECT_EQ((std::vector<std::string>{"BULK", "CASE"}), Codes(TablesOf(failed.transcript)));
  ExpectReleased(records::kFilePriceBreaks);

  // A failing first read: the error box and no report.
  ASSERT_EQ(0, BtrvTestSwitch("fail=9:price_breaks:1:2"));
  const Run first = Breaks("F10 Esc");
  BtrvTestSwitch("");
  EXPECT_NE(std::string::npos, first.transcript.find("price_breaks")) << first.transcript;
  EXPECT_EQ(std::string::npos, first.transcript.find("preview:"));
  ExpectReleased(records::kFilePriceBreaks);
}

TEST_F(PriceBreaksTest, EachUsersLastRangeComesBack) {
  LoadSampleCompany();
  AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, "ANNE");
  RunScripted("\"Q\" F10 Esc", [] { return RunPriceBreaksReport(); });
  const Run again = RunScripted("F10 Esc", [] { return RunPriceBreaksReport(); });
  EXPECT_EQ(std::vector<std::string>{"QTY10"}, Codes(TablesOf(again.transcript))) << again.transcript;
  const Run defaults = RunScripted("Shift+F9 F10 Esc", [] { return RunPriceBreaksReport(); });
  EXPECT_EQ(6u, TablesOf(defaults.transcript).size()) << defaults.transcript;
}

}  // namespace
}  // namespace producttest
