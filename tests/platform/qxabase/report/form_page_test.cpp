// Form pages (preprinted stock): the HTML places every run of characters at
// its line and column in inches, from the run's margins, at the pitch and
// line spacing the printer is given; and, where the tools are installed,
// the printed job (lp's text through cupsfilter with the program's options)
// and the HTML printed by headless Chromium put the same texts at the same
// place on the paper.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "report_test_support.h"

namespace reporttest {
namespace {

// A page of stock: its margins (hundredths of an inch) and its texts.
struct Stock {
  const char* name;
  int left, top, right, bottom;
  struct Text {
    int line, x;
    const char* text;
  };
  std::vector<Text> texts;
};

// The 1099's two-up stock (no margins) and the 1096's (25, 32, 25, 25).
const Stock kStocks[] = {
    {"1099", 0, 0, 0, 0, {{1, 4, "Harbor Tool & Supply Co."}, {15, 38, "    1200.00"}, {32, 22, "X"}, {48, 38, "     650.00"}}},
    {"1096", 25, 32, 25, 25, {{7, 5, "Harbor Tool & Supply Co."}, {19, 58, "        2550.00"}, {27, 5, "X"}}},
};

// Opens a form run of `stock` to `destination` (an HTML file, or the printer).
void WriteStock(TagRepInfo* info, const Stock& stock, ReportDestination destination, const std::string& file) {
  *info = TagRepInfo{};
  info->destinationGiven = 1;
  info->destination = destination;
  std::snprintf(info->filePath, sizeof info->filePath, "%s", file.c_str());
  info->reportPage = 0;
  info->linesPerInch = 6;
  info->lineWidth = 80;
  info->marginLeft = stock.left;
  info->marginTop = stock.top;
  info->marginRight = stock.right;
  info->marginBottom = stock.bottom;
  ASSERT_EQ(1, ReportOpen(info, stock.name));
  for (const Stock::Text& t : stock.texts) {
    info->lineCount = t.line;
    ReportWriteText(info, t.text, t.x, 1);
  }
  ASSERT_EQ(0, ReportClose(info));
}

std::string Inches(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4fin", v);
  return text;
}

class FormPageTest : public ScriptedReportTest {};

TEST_F(FormPageTest, TheHtmlPlacesEachTextAtItsLineAndColumnInInches) {
  for (const Stock& stock : kStocks) {
    const std::string html = dir_.File(std::string(stock.name) + ".htm");
    WriteStock(&info_, stock, kDestHtmlFile, html);
    const std::string page = ReadAll(html);
    EXPECT_NE(std::string::npos, page.find("class=\"page form\"")) << stock.name;
    EXPECT_EQ(std::string::npos, page.find("<pre>")) << stock.name << ": a form page is no text block";
    EXPECT_NE(std::string::npos, page.find("width: 8.5000in; height: 11.0000in")) << stock.name;
    // 80 columns fit at 10 an inch; 6 lines an inch.
    EXPECT_NE(std::string::npos, page.find("font-size: 12.000pt; line-height: 12.000pt")) << page;
    for (const Stock::Text& t : stock.texts) {
      // Each word of the text at the column of its first character.
      const std::string text = t.text;
      std::size_t at = text.find_first_not_of(' ');
      while (at != std::string::npos) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string word = text.substr(at, end - at);
        const std::string place = "left:" + Inches(stock.left / 100.0 + (t.x + static_cast<double>(at)) / 10.0) +
                                  ";top:" + Inches(stock.top / 100.0 + t.line / 6.0);
        const std::string escaped = std::regex_replace(word, std::regex("&"), "&amp;");
        EXPECT_NE(std::string::npos, page.find("style=\"" + place + "\">" + escaped + "</span>"))
            << stock.name << ": " << word << " at " << place;
        at = text.find_first_not_of(' ', end);
      }
    }
    // Printed as it stands: no heading, no run block, no page margin.
    EXPECT_NE(std::string::npos, page.find(".run { display: none; }")) << stock.name;
    EXPECT_NE(std::string::npos, page.find("@page { margin: 0; }")) << stock.name;
  }
}

// --- On paper --------------------------------------------------------------------------------

// The program named, found on PATH or in /usr/sbin; "" when it is missing.
std::string Tool(const std::string& name) {
  for (const std::string& dir : {std::string("/usr/sbin"), std::string("/usr/bin"), std::string("/sbin")}) {
    const std::string path = dir + "/" + name;
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

int Shell(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }

// The words of a PDF's first page as pdftotext -bbox gives them: their left
// edge and their baseline's bottom, in points.
struct Word {
  double x, right, bottom;
};
std::vector<Word> Words(const std::string& pdf, const std::string& pdftotext) {
  const std::string out = pdf + ".bbox";
  if (Shell(pdftotext + " -bbox -f 1 -l 1 " + pdf + " " + out) != 0) return {};
  std::vector<Word> words;
  const std::regex word("<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\"");
  const std::string text = ReadAll(out);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), word); it != std::sregex_iterator(); ++it)
    words.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3])});
  std::sort(words.begin(), words.end(),
            [](const Word& a, const Word& b) { return a.bottom != b.bottom ? a.bottom < b.bottom : a.x < b.x; });
  return words;
}

// The lines of a page: for the words of each baseline, where the first
// begins and the last ends.
std::vector<Word> Lines(const std::vector<Word>& words) {
  std::vector<Word> lines;
  for (const Word& w : words) {
    if (!lines.empty() && std::fabs(lines.back().bottom - w.bottom) < 2) {
      lines.back().x = std::min(lines.back().x, w.x);
      lines.back().right = std::max(lines.back().right, w.right);
    } else {
      lines.push_back(w);
    }
  }
  return lines;
}

// Stands in for lp: keeps its arguments and the text it was given.
class FormPaperTest : public FormPageTest {
 protected:
  void SetUp() override {
    FormPageTest::SetUp();
    bin_ = dir_.File("bin");
    std::filesystem::create_directory(bin_);
    WriteAll(bin_ + "/lp", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + dir_.File("lp.args") + "'\ncat > '" +
                               dir_.File("lp.txt") + "'\n");
    ::chmod((bin_ + "/lp").c_str(), 0755);
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin_ + ":" + oldPath_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    FormPageTest::TearDown();
  }
  std::string bin_, oldPath_;
};

// Needs cupsfilter (Debian package cups), chromium and pdftotext
// (poppler-utils), which the project's install script installs: under CI
// (CI set) a missing tool fails the test; elsewhere the test is skipped.
TEST_F(FormPaperTest, ThePrintedJobAndThePrintedHtmlPutEachTextAtTheSamePlace) {
  const std::string cupsfilter = Tool("cupsfilter"), chromium = Tool("chromium"), pdftotext = Tool("pdftotext");
  if (cupsfilter.empty() || chromium.empty() || pdftotext.empty()) {
    const std::string missing = std::string(cupsfilter.empty() ? " cupsfilter (package cups)" : "") +
                                (chromium.empty() ? " chromium" : "") +
                                (pdftotext.empty() ? " pdftotext (package poppler-utils)" : "");
    if (std::getenv("CI")) FAIL() << "the placement check needs" << missing << ": scripts/install-deps.sh installs it";
    GTEST_SKIP() << "the placement check needs" << missing;
  }
  for (const Stock& stock : kStocks) {
    const std::string name = stock.name;
    // The job as lp gets it, rendered to PDF with lp's options.
    WriteStock(&info_, stock, kDestPrinter, "");
    std::istringstream args(ReadAll(dir_.File("lp.args")));
    std::string options;
    for (std::string a, last; std::getline(args, a); last = a)
      if (last == "-o") options += " -o " + a;
    const std::string job = dir_.File(name + "-job.pdf");
    ASSERT_EQ(0, Shell(cupsfilter + " -m application/pdf" + options + " " + dir_.File("lp.txt") + " > " + job))
        << name << options;
    // The HTML printed by the browser at 100 %.
    const std::string html = dir_.File(name + ".htm"), page = dir_.File(name + "-html.pdf");
    WriteStock(&info_, stock, kDestHtmlFile, html);
    ASSERT_EQ(0, Shell(chromium + " --headless --no-sandbox --disable-gpu --no-pdf-header-footer --print-to-pdf=" +
                       page + " file://" + html + " >/dev/null"))
        << name;

    const std::vector<Word> printed = Words(job, pdftotext), browsed = Words(page, pdftotext);
    ASSERT_FALSE(printed.empty()) << name << "\n" << ReadAll(job + ".bbox") << ReadAll(dir_.File("lp.args")) << ReadAll(dir_.File("lp.txt"));
    ASSERT_FALSE(browsed.empty()) << name;
    // Within a twentieth of an inch (3.6 points), line by line: where each
    // line's text begins and ends, and its baseline.  (The printer's PDF
    // carries no text encoding the reader can map, so its words are cut at
    // other places than the browser's; their extent on the paper is what
    // counts.)
    constexpr double kNear = 3.6;
    const std::vector<Word> printedLines = Lines(printed), browsedLines = Lines(browsed);
    ASSERT_EQ(printedLines.size(), browsedLines.size()) << name;
    for (std::size_t i = 0; i < printedLines.size(); ++i) {
      EXPECT_NEAR(printedLines[i].x, browsedLines[i].x, kNear) << name << " line " << i;
      EXPECT_NEAR(printedLines[i].right, browsedLines[i].right, kNear) << name << " line " << i;
      EXPECT_NEAR(printedLines[i].bottom, browsedLines[i].bottom, kNear) << name << " line " << i;
    }
    // And where the stock has its box: the void mark of the 1099 at line 32,
    // column 22; the 1096's "X" at line 27, column 5, inside the margins.
    const Stock::Text& mark = stock.texts[2];
    const double markX = (stock.left / 100.0 + mark.x / 10.0) * 72, markBottom = (stock.top / 100.0 + (mark.line + 1) / 6.0) * 72;
    bool found = false;
    for (const Word& w : printed) found = found || (std::fabs(w.x - markX) < kNear && std::fabs(w.bottom - markBottom) < kNear);
    EXPECT_TRUE(found) << name << ": no mark at " << markX << ", " << markBottom;
  }
}

}  // namespace
}  // namespace reporttest
