// Helpers of the statement, letter and label tests: the company of
// fixtures/statements.json (today 03/31/25), a run of an entry on a key
// script with its report written to a file and read back by page, and the
// company's own texts.
#pragma once

#include <cmath>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"
#include "qxtest/report_html.h"
#include "ravadodo.h"

namespace documenttest {

using fixture::Json;
using Page = std::vector<std::string>;

class DocumentTest : public qxtest::CompanyTest {
 protected:
  explicit DocumentTest(int command) : qxtest::CompanyTest(DateMake(2025, 3, 31)), command_(command) {}

  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    SharedAppBlock* app = SharedAppBlockGet();
    AppBlockTextSet(app->userName, sizeof app->userName, "ANNE");
    app->currentCommand = command_;
    UseFixtureFile(QX_SOURCE_DIR "/tests/reportlib/reports/arap/fixtures/statements.json");
  }

  struct Output {
    Run run;
    std::string text;         // the report as its text file holds it ("" when none was written)
    std::vector<Page> pages;  // its pages, trailing empty lines removed
    bool notDone = false;     // the run said it did not do its work (a command-only run exits 4)
  };

  // Runs `entry(command, output)` on `keys` with its report written to a
  // text file (`suffix` ".htm" for HTML: then `text` is the HTML).  It runs
  // as a command runs (CommandRun), so that what it says of its work is its
  // own.
  template <class Entry>
  Output RunReport(Entry entry, const std::string& keys, int command = 0, const std::string& suffix = ".txt") {
    const std::string out = File("report-" + std::to_string(++reports_) + suffix);
    const int id = command ? command : command_;
    Output o;
    static std::function<int()> current;
    current = [&] { return entry(id, out.c_str()); };
    const CommandHandler handler = [](const char*) { return current(); };
    const int slot = id / 100 - 1;
    const CommandHandler before = CommandHandlerGet(slot);
    CommandHandlerAdd(handler, slot);
    o.run = RunScripted(keys, [&] {
      const int result = CommandRun(id, "");
      o.notDone = result == -1;
      return result;
    });
    if (before) CommandHandlerAdd(before, slot);
    else CommandHandlerRemove(handler, slot);
    o.text = qxtest::ReadAll(out);
    if (suffix == ".txt") o.pages = Pages(o.text);
    return o;
  }

  static std::vector<Page> Pages(const std::string& text) {
    std::vector<Page> pages;
    if (text.empty()) return pages;
    pages.emplace_back();
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line[0] == '\f') {
        pages.emplace_back();
        line.erase(0, 1);
        if (line.empty()) continue;
      }
      pages.back().push_back(line);
    }
    for (Page& p : pages)
      while (!p.empty() && p.back().find_first_not_of(' ') == std::string::npos) p.pop_back();
    while (!pages.empty() && pages.back().empty()) pages.pop_back();
    return pages;
  }

  // A line with its blanks run together and trimmed.
  static std::string Squeezed(const std::string& line) {
    std::string out;
    for (char c : line)
      if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
  }

  // The pages of an HTML file of form pages, each as its text lines: every
  // run of characters put back at its line and column from the inches it
  // is placed at (the column from the font's size, the line from the line
  // height of the page's style).
  static std::vector<Page> FormPages(const std::string& html) {
    const std::regex style(R"(font-size: ([0-9.]+)pt; line-height: ([0-9.]+)pt)");
    std::smatch m;
    if (!std::regex_search(html, m, style)) return {};
    const double column = std::stod(m[1]) * 0.6 / 72, line = std::stod(m[2]) / 72;
    const std::regex run(R"(<(?:span|a) class="c[^"]*" style="left:([0-9.]+)in;top:([0-9.]+)in"[^>]*>([^<]*)</)");
    std::vector<Page> pages;
    std::size_t at = 0;
    while ((at = html.find("<div class=\"page form\"", at)) != std::string::npos) {
      const std::size_t end = html.find("</div>", at);
      const std::string body = html.substr(at, end - at);
      Page page;
      for (auto it = std::sregex_iterator(body.begin(), body.end(), run); it != std::sregex_iterator(); ++it) {
        const auto x = static_cast<std::size_t>(std::lround(std::stod((*it)[1]) / column));
        const auto y = static_cast<std::size_t>(std::lround(std::stod((*it)[2]) / line));
        const std::string text = qxtest::HtmlUnescape((*it)[3]);
        if (page.size() <= y) page.resize(y + 1);
        std::string& l = page[y];
        if (l.size() < x + text.size()) l.resize(x + text.size(), ' ');
        l.replace(x, text.size(), text);
      }
      pages.push_back(page);
      at = end;
    }
    return pages;
  }

  // The company's own text `name` (UTF-8).
  void WriteText(const std::string& name, const std::string& text) {
    if (!written_) WriteCompany();
    std::filesystem::create_directories(company_ + "/templates");
    qxtest::WriteAll(company_ + "/templates/" + name, text);
  }

  // True when no selection file is left in the temporary folder.
  static bool NoSelectionFileLeft() {
    char path[260] = {};
    if (TempFilePathGet("TEMPCSVD.DB", path, nullptr, nullptr) != 0) return false;
    return BtrvFileExists(path) != 0;
  }

  // The line of `page` that holds `text`; "" when none does.
  static std::string LineWith(const Page& page, const std::string& text) {
    for (const std::string& l : page)
      if (l.find(text) != std::string::npos) return l;
    return "";
  }

  int command_;
  int reports_ = 0;
};

}  // namespace documenttest
