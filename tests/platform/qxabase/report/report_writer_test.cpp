// The page model: what the report's calls put on which line of which page,
// checked through the run's plain text.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qxabase/report.h"
#include "qxtest/report_html.h"
#include "report_model.h"
#include "report_test_support.h"
#include "sample_report.h"

namespace {

using reporttest::ExpectGolden;
using reporttest::ReadAll;

class ReportWriterTest : public reporttest::ScriptedReportTest {
 protected:
  // Opens a bare run for the cases below: 40 columns, no footer.
  void OpenBare(int lineWidth = 40) {
    info_ = TagRepInfo{};
    info_.lineWidth = lineWidth;
    ASSERT_EQ(ReportOpen(&info_, "Cases"), 1);
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    std::string text = ReportText(&info_, "=====\n");
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }
};

TagReportColumn Column(ReportColumnKind kind, const char* format, int x, const void* value) {
  TagReportColumn c;
  c.kind = kind;
  std::snprintf(c.format, sizeof c.format, "%s", format);
  c.x = static_cast<std::uint16_t>(x);
  c.value = value;
  return c;
}

TEST_F(ReportWriterTest, TwoPageReportMatchesItsGoldenText) {
  ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestPreview, nullptr), 1);
  const std::string text = ReportText(&info_);
  ExpectGolden(text, "customer_balances.txt");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 1) << "two pages";
  EXPECT_EQ(info_.pageLength, 12);
  EXPECT_EQ(info_.links, 1) << "the preview takes links";
}

TEST_F(ReportWriterTest, TextFileHoldsThePrintedText) {
  const std::string path = dir_.File("balances.txt");
  ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestTextFile, path.c_str()), 1);
  const std::string text = ReportText(&info_);
  EXPECT_EQ(info_.links, 0) << "a text file takes no links";
  EXPECT_EQ(ReportClose(&info_), 0);
  EXPECT_EQ(ReadAll(path), text);
  EXPECT_EQ(info_.run, nullptr);
}

TEST_F(ReportWriterTest, HeadingBlockBesideTitleAdvancesByTheLargerPlusOne) {
  // A heading of 4 lines beside a title of 2: the page heading's next line is 5.
  OpenBare(80);
  ReportPageStart(&info_, 0, 1);
  const int kept = info_.lineCount;
  ReportBlockBegin(&info_, kFontHeading);
  for (const char* t : {"Closing Date : 03/15/25", "Sorted by... : Code", "Ranked by... : Name"})
    ReportWriteText(&info_, t, 1, 1);
  ReportWriteText(&info_, "* Not Posted", 1, 1);
  const int heading = ReportBlockEnd(&info_);
  info_.lineCount = kept;
  ReportBlockBegin(&info_, kFontTitle);
  ReportWriteText(&info_, "AGING", -4, 1);
  ReportWriteText(&info_, "RECEIVABLE", -4, 1);
  const int title = ReportBlockEnd(&info_);
  info_.lineCount = kept + 1 + std::max(heading, title);
  EXPECT_EQ(heading, 4);
  EXPECT_EQ(title, 2);
  EXPECT_EQ(info_.lineCount, 5);
  EXPECT_EQ(info_.font.number, kFontDetail) << "a block gives back the font in use before it";
  const auto lines = Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], " Closing Date : 03/15/25" + std::string(13, ' ') + "AGING");
  EXPECT_EQ(lines[1], " Sorted by... : Code" + std::string(15, ' ') + "RECEIVABLE");
}

TEST_F(ReportWriterTest, PositionCodesOfWriteText) {
  OpenBare(40);
  struct Case {
    const char* text;
    int x;
    int feeds;
  };
  const Case cases[] = {
      {"centre", -4, 1},  {"right", -3, 1}, {"left half", -5, 0}, {"right half", -6, 1},
      {"at 5", 5, 0},     {"+more", -1, 1}, {"flush", -2, 1},
  };
  for (const Case& c : cases) ReportWriteText(&info_, c.text, c.x, c.feeds);
  const std::vector<std::string> expected = {
      "                 centre",
      "                                   right",
      "     left half           right half",
      "     at 5+more",
      "flush",
  };
  const auto lines = Lines();
  ASSERT_GE(lines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
}

TEST_F(ReportWriterTest, BlanksOfAFieldNeverEraseTextAlreadyOnTheLine) {
  OpenBare();
  double total = 99.5;
  TagReportColumn totals[] = {
      Column(kColumnText, "%-30s", 0, "account name"),
      Column(kColumnAmount, "%12.2f", 20, &total),
      TagReportColumn{},
  };
  totals[0].hidden = 1;
  ReportWriteText(&info_, "Subtotal West:", 1, 0);
  ReportWriteColumns(&info_, totals, 1);
  EXPECT_EQ(Lines()[0], " Subtotal West:            99.50");
}

TEST_F(ReportWriterTest, RulesSkipHiddenColumnsAndFollowFieldWidths) {
  OpenBare();
  double debit = 10, credit = 20;
  TagReportColumn row[] = {
      Column(kColumnText, "%-10s", 0, "Account"),
      Column(kColumnAmount, "%8.2f", 12, &debit),
      Column(kColumnAmount, "%8.2f", 22, &credit),
      TagReportColumn{},
  };
  row[0].hidden = 1;
  ReportWriteRule(&info_, row, 1, '-');
  ReportWriteColumns(&info_, row, 1);
  ReportWriteRule(&info_, row, 0, '=');
  ReportWriteRule(&info_, row, 1, '_');  // a second rule on the same line replaces the first
  const auto lines = Lines();
  EXPECT_EQ(lines[0], "            --------  --------");
  EXPECT_EQ(lines[1], "               10.00     20.00");
  EXPECT_EQ(lines[2], "            ________  ________");
}

TEST_F(ReportWriterTest, RowKindsAreLineFeeds) {
  OpenBare();
  TagReportColumn a[] = {Column(kColumnText, "%s", 0, "part one"), TagReportColumn{}};
  TagReportColumn b[] = {Column(kColumnText, "%s", 10, "part two"), TagReportColumn{}};
  ReportWriteColumns(&info_, a, 0);  // stays on the line
  ReportWriteColumns(&info_, b, 2);  // ends it, one empty line after
  ReportWriteColumns(&info_, a, 1);
  EXPECT_EQ(info_.lineCount, 3);
  const auto lines = Lines();
  EXPECT_EQ(lines[0], "part one  part two");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "part one");
}

TEST_F(ReportWriterTest, PagesStartOnlyWhenTheCurrentOneHoldsSomething) {
  OpenBare();
  ReportNewPage(&info_);  // nothing written yet: no empty first page
  ReportPageStart(&info_, 0, 1);
  ReportWriteText(&info_, "first", 0, 1);
  ReportPageStart(&info_, 0, 2);  // the page holds a line: a new page
  ReportWriteText(&info_, "second", 0, 1);
  ReportNewPage(&info_);
  ReportNewPage(&info_);  // the report ends with new pages: none is left empty
  EXPECT_EQ(ReportText(&info_, "|"), "first\n|second\n");
}

TEST_F(ReportWriterTest, FooterNumbersPagesOfReportPages) {
  OpenBare(40);
  info_.reportPage = 1;
  ReportWriteText(&info_, "one", 0, 1);
  ReportPageStart(&info_, 7, 1);  // renumbered
  ReportWriteText(&info_, "two", 0, 1);
  EXPECT_EQ(ReportText(&info_, "|"),
            "one\n\n03/15/25                     Page 1 of 2\n|two\n\n03/15/25                     Page 7 of 2\n");
}

// An amount is never shown as another, rounded one.  The same two items and
// their total, beside a column of 12.50s, as the aging report's lines and
// totals stand: a page of fixed width (here a text file, as the preview and
// the printer show it) fills a column too narrow for an amount with '*' and
// says so after the totals; an HTML file shows every amount whole, its
// column as wide as its widest value, the columns after it moved right.
TEST_F(ReportWriterTest, AnAmountTooWideForItsColumnIsNeverShownRounded) {
  struct Case {
    const char* name;
    double item;            // the second item; the first is 10.00
    const char* text[3];    // the amount column of the two items and the total, on a page of fixed width
    const char* html[3];    // and in the HTML file
    int starred;            // amounts shown as '*' on the page (the note's count)
  };
  const Case cases[] = {
      {"an amount that fits stays as it is", 99999989.99,
       {"      10.00", "99999989.99", "99999999.99"}, {"10.00", "99999989.99", "99999999.99"}, 0},
      {"a billion keeps its cents", 999999990.00,
       {"      10.00", "***********", "***********"}, {"10.00", "999999990.00", "1000000000.00"}, 2},
      {"the item of the aging report", 123456789.01,
       {"      10.00", "***********", "***********"}, {"10.00", "123456789.01", "123456799.01"}, 2},
      {"a total the cents of which do not fit", 213792625.75,
       {"      10.00", "***********", "***********"}, {"10.00", "213792625.75", "213792635.75"}, 2},
      {"a negative amount", -999999999.99,
       {"      10.00", "***********", "***********"}, {"10.00", "-999999999.99", "-999999989.99"}, 2},
  };
  const char* const captions[] = {"Code", "Amount", "Next"};
  const int x[] = {0, 7, 19};
  const int width[] = {6, 11, 11};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double amounts[] = {10.00, c.item, 10.00 + c.item};
    const char* const codes[] = {"A-1", "A-2", "Total"};
    for (const bool html : {false, true}) {
      SCOPED_TRACE(html ? "HTML" : "text");
      const std::string path = dir_.File(html ? "amounts.htm" : "amounts.txt");
      info_ = TagRepInfo{};
      info_.destinationGiven = 1;
      info_.destination = html ? kDestHtmlFile : kDestTextFile;
      info_.reportPage = 1;
      std::snprintf(info_.filePath, sizeof info_.filePath, "%s", path.c_str());
      ASSERT_EQ(ReportOpen(&info_, "Amounts"), 1);
      TagReportColumn headings[4] = {};
      for (int i = 0; i < 3; ++i) {
        headings[i] = Column(kColumnText, "%s", x[i], captions[i]);
        headings[i].align = i == 0 ? kAlignLeft : kAlignRight;
        headings[i].width = width[i];
      }
      ReportWriteColumns(&info_, headings, 1);
      ReportWriteRule(&info_, headings, 1, '-');
      for (int row = 0; row < 3; ++row) {
        double amount = amounts[row], next = 12.5;
        TagReportColumn line[] = {
            Column(kColumnText, "%-6s", 0, codes[row]),
            Column(kColumnAmount, "%11.2f", 7, &amount),
            Column(kColumnAmount, "%11.2f", 19, &next),
            TagReportColumn{},
        };
        ReportWriteColumns(&info_, line, 1);
      }
      ASSERT_EQ(ReportClose(&info_), 0);
      std::vector<std::string> lines;
      if (html) {
        lines = qxtest::ReadHtmlReport(path).lines;
      } else {
        std::istringstream in(ReadAll(path));
        for (std::string l; std::getline(in, l);) lines.push_back(l);
      }
      ASSERT_GE(lines.size(), 5u);
      // The amount's column ends where its heading does, on every line, and
      // the next column follows it after one blank.
      const std::size_t end = lines[0].find("Amount") + 6;
      for (int row = 0; row < 3; ++row) {
        const std::string& l = lines[static_cast<std::size_t>(row) + 2];
        SCOPED_TRACE(l);
        const char* shown = html ? c.html[row] : c.text[row];
        EXPECT_EQ(l.rfind(shown, end - 1), end - std::strlen(shown)) << "the amount ends under its heading";
        EXPECT_EQ(l.substr(end, 12), "       12.50") << "the next column keeps its place after it";
        EXPECT_EQ(l.find(codes[row]), 0u);
      }
      const std::string all = [&] {
        std::string t;
        for (const std::string& l : lines) t += l + "\n";
        return t;
      }();
      const std::string note = std::to_string(c.starred) + " amounts are too wide for their columns and show as ****";
      if (html || c.starred == 0) {
        EXPECT_EQ(all.find("too wide"), std::string::npos) << all;
      } else {
        EXPECT_NE(all.find(note), std::string::npos) << all;
      }
      // Never a rounded figure: the cents of every amount show, or none of it.
      for (const double a : amounts) {
        char rounded[32];
        std::snprintf(rounded, sizeof rounded, "%.1f", a);
        if (std::fabs(a * 10 - std::round(a * 10)) > 1e-6) {
          EXPECT_EQ(all.find(std::string(rounded) + " "), std::string::npos) << rounded;
        }
      }
    }
  }
}

TEST_F(ReportWriterTest, EarlierPagesFollowTheWidthAndPageCountOfTheWholeReport) {
  // The pages before the last are kept aside as they are finished; when the
  // run is rendered, a title centred on the first page stands over the
  // widest line of the report (written on the last page), and every footer
  // counts every page.
  OpenBare(0);
  info_.reportPage = 1;
  for (int page = 1; page <= 3; ++page) {
    ReportPageStart(&info_, 0, 1);
    ReportWriteText(&info_, "TITLE", -4, 1);
    ReportWriteText(&info_, ("page " + std::to_string(page)).c_str(), 0, 1);
  }
  ReportWriteText(&info_, std::string(120, '=').c_str(), 0, 1);
  const auto lines = Lines();
  const std::string footer = "03/15/25" + std::string(101, ' ') + "Page 1 of 3";
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], std::string(57, ' ') + "TITLE");
  EXPECT_EQ(lines[1], "page 1");
  EXPECT_EQ(lines[3], footer);
  const std::string text = ReportText(&info_, "|");
  EXPECT_NE(text.find("Page 2 of 3"), std::string::npos) << text;
  EXPECT_NE(text.find("Page 3 of 3"), std::string::npos) << text;
}

// The descriptors of this process that name deleted files in `folder`.
int DeletedFilesIn(const std::string& folder) {
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    const std::string target = std::filesystem::read_symlink(entry.path(), ec).string();
    if (!ec && target.rfind(folder + "/", 0) == 0 && target.find("(deleted)") != std::string::npos) ++n;
  }
  return n;
}

// $TMPDIR set for one test, and put back however it ends.
class TempFolderSetting {
 public:
  explicit TempFolderSetting(const std::string& folder) {
    const char* old = std::getenv("TMPDIR");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TMPDIR", folder.c_str(), 1);
  }
  ~TempFolderSetting() {
    if (had_) setenv("TMPDIR", old_.c_str(), 1);
    else unsetenv("TMPDIR");
  }

 private:
  bool had_ = false;
  std::string old_;
};

TEST_F(ReportWriterTest, FinishedPagesWaitInATemporaryFileThatLeavesNoTrace) {
  const std::string folder = dir_.File("tmp");
  std::filesystem::create_directory(folder);
  TempFolderSetting tmp(folder);
  const std::string path = dir_.File("pages.txt");
  info_ = TagRepInfo{};
  info_.destinationGiven = 1;
  info_.destination = kDestTextFile;
  std::snprintf(info_.filePath, sizeof info_.filePath, "%s", path.c_str());
  ASSERT_EQ(ReportOpen(&info_, "Pages"), 1);
  std::string expected;
  for (int page = 1; page <= 3; ++page) {
    ReportNewPage(&info_);
    const std::string line = "line of page " + std::to_string(page);
    ReportWriteText(&info_, line.c_str(), 0, 1);
    expected += (page > 1 ? "\f\n" : "") + line + "\n";
  }
  EXPECT_EQ(DeletedFilesIn(folder), 1) << "the finished pages are in one file of $TMPDIR, with no name left";
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_EQ(ReportClose(&info_), 0);
  EXPECT_EQ(ReadAll(path), expected);
  EXPECT_EQ(DeletedFilesIn(folder), 0) << "closing the run lets the file go";
}

// Kept pages wait in memory and go to the file in runs: every page reads
// back as it was kept, in any order, whether its bytes are in the file yet or
// not, and while later pages are being kept.
TEST_F(ReportWriterTest, EveryKeptPageReadsBackWhereverItsBytesWait) {
  const std::string folder = dir_.File("tmp");
  std::filesystem::create_directory(folder);
  TempFolderSetting tmp(folder);
  qxreport::PageStore store;
  auto textOf = [](int i) {
    return "page " + std::to_string(i) + " " + std::string(static_cast<std::size_t>(i % 7) * 700, 'x');
  };
  auto check = [&](std::size_t i) {
    const qxreport::Page page = store.Read(i);
    ASSERT_EQ(page.lines.size(), 1u) << "page " << i;
    ASSERT_EQ(page.lines[0].cells.size(), 1u) << "page " << i;
    EXPECT_EQ(page.lines[0].cells[0].text, textOf(static_cast<int>(i))) << "page " << i;
    EXPECT_EQ(page.number, static_cast<int>(i));
  };
  constexpr int kPages = 600;  // about 1.2 MB: several runs to the file and some pending
  for (int i = 0; i < kPages; ++i) {
    qxreport::Page& page = store.Last();
    page.number = i;
    page.lines.push_back(qxreport::Line{{qxreport::Cell{qxreport::Place::kAt, 0, textOf(i)}}});
    store.Next();
    if (i % 97 == 0) check(static_cast<std::size_t>(i / 2));
  }
  for (std::size_t i = static_cast<std::size_t>(kPages); i-- > 0;) check(i);
  for (std::size_t i = 0; i < static_cast<std::size_t>(kPages); i += 13) check(i);
  EXPECT_EQ(DeletedFilesIn(folder), 1);
}

TEST_F(ReportWriterTest, PagesThatCannotBeKeptDeliverNothingAndSaySo) {
  TempFolderSetting tmp(dir_.File("no such folder"));
  const std::string path = dir_.File("balances.htm");
  reporttest::WriteAll(path, "earlier report");
  ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestHtmlFile, path.c_str()), 1);
  EXPECT_EQ(ReportTestReady(&info_), 27) << "the report is told to end";
  int key = 0;
  EXPECT_EQ(ReportCheckUserBreak(&info_, &key), 1);
  EXPECT_EQ(ReportClose(&info_), -1);
  EXPECT_EQ(ReadAll(path), "earlier report");
  const std::string transcript = Transcript();
  EXPECT_NE(transcript.find("\"Customer Balances\" could not be prepared"), std::string::npos) << transcript;
  EXPECT_NE(transcript.find("no such folder"), std::string::npos) << transcript;
}

TEST_F(ReportWriterTest, BlockEndCountsALineNotYetEnded) {
  OpenBare();
  ReportBlockBegin(&info_, kFontHeading);
  ReportWriteText(&info_, "one", 0, 1);
  ReportWriteText(&info_, "two", 0, 0);
  EXPECT_EQ(ReportBlockEnd(&info_), 2);
}

TEST_F(ReportWriterTest, FontsAreKeptAndGivenBack) {
  OpenBare();
  ReportSetFont(&info_, kFontTitle);
  EXPECT_EQ(info_.font.number, kFontTitle);
  EXPECT_NE(info_.font.style & kFontBold, 0);
  const TagRepFont kept = info_.font;
  ReportSetFont(&info_, kFontColumnHeading);
  ReportSetFont(&info_, &kept);
  EXPECT_EQ(info_.font.number, kFontTitle);
}

TEST_F(ReportWriterTest, AutomaticPageBreakWhenTheReportAsksForIt) {
  OpenBare();
  info_.autoPageBreak = 1;
  info_.pageLength = 2;
  for (const char* t : {"a", "b", "c"}) ReportWriteText(&info_, t, 0, 1);
  EXPECT_EQ(ReportText(&info_, "|"), "a\nb\n|c\n");
}

TEST_F(ReportWriterTest, MergedLineGoesUnderItsPlacedColumns) {
  OpenBare();
  char amount[] = "1,250.00";
  TagReportColumn field[] = {Column(kColumnMerge, "%s", 20, amount), TagReportColumn{}};
  ReportWriteColumns(&info_, field, 0);
  MergeRecordWrite(&info_, "Balance due\xB7now:");
  EXPECT_EQ(Lines()[0], "Balance due now:    1,250.00");
  EXPECT_EQ(info_.lineCount, 1);
}

TEST_F(ReportWriterTest, SavedRunShowsAsTheSelectionAboveTheFirstPage) {
  OpenBare();
  TagSavedRunInfo saved{kDrillRunReport, 1, 337, {}, {}};
  std::snprintf(saved.params, sizeof saved.params,
                "input='usersel' sortfld='Customer Code' sortfrom='' rankfld='O''Brien' output='x.htm'");
  ReportWriteSelParams(&info_, &saved);
  ReportWriteText(&info_, "body", 0, 1);
  // Without words from the report, the pairs of its string.
  EXPECT_EQ(ReportText(&info_), "Selection: sortfld 'Customer Code'  rankfld 'O'Brien'\n\nbody\n");
  // With them, the words.
  std::snprintf(saved.words, sizeof saved.words, "Sort by: Customer Code, all; Aged by: Due Date");
  ReportWriteSelParams(&info_, &saved);
  EXPECT_EQ(ReportText(&info_), "Selection: Sort by: Customer Code, all; Aged by: Due Date\n\nbody\n");
}

TEST_F(ReportWriterTest, OutOfRangeValuesStayBounded) {
  OpenBare();
  info_.lineCount = 1 << 30;  // a wild line count
  ReportWriteText(&info_, "far", 5000, 1);
  ReportSkipLines(&info_, 1 << 30);
  EXPECT_LE(info_.lineCount, 20000);
  EXPECT_LT(ReportText(&info_).size(), 100000u);
}

TEST_F(ReportWriterTest, ARunThatIsNotOpenTakesNothing) {
  TagRepInfo never{};
  EXPECT_EQ(ReportWriteText(&never, "x", 0, 1), 0);
  EXPECT_EQ(ReportWriteColumns(&never, nullptr, 1), 0);
  EXPECT_EQ(ReportBlockEnd(&never), 0);
  EXPECT_EQ(ReportTestReady(&never), 1);
  EXPECT_EQ(ReportText(&never), "");
  EXPECT_EQ(ReportClose(&never), 0);
  EXPECT_EQ(ReportClose(nullptr), 0);

  // A copy of an open run's TagRepInfo made before it was closed does not
  // reach the closed run.
  OpenBare();
  TagRepInfo copy = info_;
  ReportClose(&info_);
  EXPECT_EQ(ReportWriteText(&copy, "late", 0, 1), 0);
  EXPECT_EQ(ReportText(&copy), "");
}

TEST_F(ReportWriterTest, RunsStackWhileAnotherIsOpen) {
  // A form run keeps a copy of its TagRepInfo, opens an alignment run on the
  // same record, closes it and puts the copy back: the first run goes on.
  info_ = TagRepInfo{};
  info_.destinationGiven = 1;
  info_.destination = kDestTextFile;
  std::snprintf(info_.filePath, sizeof info_.filePath, "%s", dir_.File("outer.txt").c_str());
  ASSERT_EQ(ReportOpen(&info_, "Outer"), 1);
  ReportWriteText(&info_, "outer line", 0, 1);
  const TagRepInfo kept = info_;
  std::snprintf(info_.filePath, sizeof info_.filePath, "%s", dir_.File("inner.txt").c_str());
  ASSERT_EQ(ReportOpen(&info_, "Inner"), 1);
  ReportWriteText(&info_, "inner line", 0, 1);
  ReportClose(&info_);
  info_ = kept;
  ReportWriteText(&info_, "outer again", 0, 1);
  ReportClose(&info_);
  EXPECT_EQ(ReadAll(dir_.File("inner.txt")), "inner line\n");
  EXPECT_EQ(ReadAll(dir_.File("outer.txt")), "outer line\nouter again\n");
}

TEST_F(ReportWriterTest, DiscardedRunDeliversNothing) {
  const std::string path = dir_.File("none.htm");
  ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestHtmlFile, path.c_str()), 1);
  info_.discard = 1;
  EXPECT_EQ(ReportClose(&info_), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ReportWriterTest, TestModeAndDefaults) {
  OpenBare();
  EXPECT_EQ(info_.destination, kDestPreview) << "no destination given: the preview";
  EXPECT_NE(ReportTestMode(&info_, 4), 0) << "the preview keeps a saved run";
  EXPECT_NE(ReportTestMode(&info_, 1), 0);
  EXPECT_EQ(ReportTestMode(&info_, 2), 0);
  EXPECT_EQ(ReportTestReady(&info_), 0);
  EXPECT_EQ(info_.copies, 1);
  EXPECT_EQ(info_.pageLength, 66) << "a form (no report page) uses the whole sheet at 6 lines an inch";
  ReportClose(&info_);

  struct Case {
    std::uint8_t reportPage, landscape, lpi;
    int expected;
  };
  for (const Case& c : {Case{1, 0, 0, 60}, Case{1, 1, 0, 45}, Case{0, 1, 0, 51}, Case{1, 0, 8, 80}}) {
    info_ = TagRepInfo{};
    info_.reportPage = c.reportPage;
    info_.landscape = c.landscape;
    info_.linesPerInch = c.lpi;
    ASSERT_EQ(ReportOpen(&info_, "Paper"), 1);
    EXPECT_EQ(info_.pageLength, c.expected);
    ReportClose(&info_);
  }
}

// A selection screen that stays open after F10: the report hid its window
// while it printed; the screen's standard hook shows it again.
Window gScreen{};
bool gShownAgain = false;
int PrintAndStay(Form*, KeyCode) {
  WinShow(&gScreen, 0);
  return 0;
}
int Check(Form*, KeyCode) {
  gShownAgain = WinTop() == &gScreen;
  return 1;
}

TEST_F(ReportWriterTest, StandardReportCallbackShowsTheScreenAgain) {
  Start("F10 Tab F2");
  TagFormField fields[3] = {};
  for (int i = 0; i < 2; ++i) {
    fields[i].number = static_cast<std::uint8_t>(i + 1);
    fields[i].row = static_cast<std::uint8_t>(i + 1);
    fields[i].column = 12;
    std::snprintf(fields[i].mask, sizeof fields[i].mask, "%%-10s");
  }
  Form form{};
  gScreen = Window{};
  FormBegin(&form);
  ASSERT_EQ(FormFieldsCreate(&form, fields, 1), 1);
  ASSERT_EQ(WinOpen(&gScreen, 5, 10, 6, 40, 1, 1, ' ', "Report"), 0);
  FormAttachWindow(&gScreen, &form, 1);
  form.eventHook = StandardReportCallback;
  FormOnKey(&form, kKeyF10, PrintAndStay, "Print");
  FormOnKey(&form, kKeyF2, Check, "Check");
  gShownAgain = false;
  FormRun(&form, 0);
  WinClose(&gScreen, 1);
  FormEnd(&form);
  EXPECT_TRUE(gShownAgain);
}

}  // namespace
