// Helpers of the aging report tests: a company folder built by the fixture
// loader from readable records, a scripted screen, and the report read back
// from its HTML file as the lines of its pages and its links.
#pragma once

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace agingtest {

using fixture::Json;

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The message numbers shown, in order (from a transcript).
inline std::vector<int> MessageNumbers(const std::string& transcript) {
  std::vector<int> numbers;
  const std::string tag = "message number: ";
  for (std::size_t at = transcript.find(tag); at != std::string::npos; at = transcript.find(tag, at + 1))
    numbers.push_back(std::stoi(transcript.substr(at + tag.size())));
  return numbers;
}

inline std::string Unescape(std::string s) {
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [from, to] : entities) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + std::strlen(to)))
      s.replace(at, std::strlen(from), to);
  }
  return s;
}

inline std::string PercentDecode(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// A report read back from its HTML file.
struct Report {
  std::string html;
  std::vector<std::string> lines;  // the text lines of every page, in order (footers included)
  struct Link {
    int command = 0;
    int kind = 0;
    std::string params;
    std::string text;  // the linked text
    int line = -1;     // the index in `lines`
  };
  std::vector<Link> links;
  Link savedRun;  // "Run again"; command 0 when none

  bool Empty() const { return html.empty(); }

  // The index of the first line that starts (after blanks) with `start`
  // and, when given, contains `also`; −1 when none.
  int Find(const std::string& start, const std::string& also = "", int from = 0) const {
    for (int i = from; i < static_cast<int>(lines.size()); ++i) {
      const std::string& l = lines[static_cast<std::size_t>(i)];
      const std::size_t b = l.find_first_not_of(' ');
      if (b == std::string::npos || l.compare(b, start.size(), start) != 0) continue;
      if (!also.empty() && l.find(also) == std::string::npos) continue;
      return i;
    }
    return -1;
  }
  // True when some line holds `text`.
  bool Contains(const std::string& text) const {
    for (const std::string& l : lines)
      if (l.find(text) != std::string::npos) return true;
    return false;
  }
  // The text at print columns [x, x + width) of line `i`, trimmed.
  std::string Cell(int i, int x, int width) const {
    if (i < 0 || i >= static_cast<int>(lines.size())) return "<no line>";
    const std::string& l = lines[static_cast<std::size_t>(i)];
    std::string s = static_cast<std::size_t>(x) < l.size() ? l.substr(static_cast<std::size_t>(x), static_cast<std::size_t>(width)) : "";
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
  }
  // The links whose text is on line `i`.
  std::vector<Link> LinksOn(int i) const {
    std::vector<Link> out;
    for (const Link& l : links)
      if (l.line == i) out.push_back(l);
    return out;
  }
};

// A qxa: URL: qxa:<command>?kind=<kind>&p=<percent-encoded parameters>.
inline Report::Link ParseLink(const std::string& url) {
  Report::Link link;
  const std::size_t q = url.find("?kind="), p = url.find("&p=");
  if (url.rfind("qxa:", 0) != 0 || q == std::string::npos || p == std::string::npos) return link;
  link.command = std::stoi(url.substr(4, q - 4));
  link.kind = std::stoi(url.substr(q + 6, p - q - 6));
  link.params = PercentDecode(url.substr(p + 3));
  return link;
}

// The text of an HTML line without its elements.
inline std::string WithoutTags(const std::string& html) {
  std::string out;
  bool inTag = false;
  for (char c : html) {
    if (c == '<') inTag = true;
    else if (c == '>') inTag = false;
    else if (!inTag) out += c;
  }
  return Unescape(out);
}

inline Report ReadReport(const std::string& path) {
  Report r;
  r.html = ReadAll(path);
  if (r.html.empty()) return r;
  const std::string again = "<a class=\"again\" href=\"";
  if (std::size_t at = r.html.find(again); at != std::string::npos) {
    at += again.size();
    r.savedRun = ParseLink(Unescape(r.html.substr(at, r.html.find('"', at) - at)));
  }
  std::size_t at = 0;
  while ((at = r.html.find("<pre>\n", at)) != std::string::npos) {
    at += 6;
    const std::size_t end = r.html.find("</pre>", at);
    std::istringstream page(r.html.substr(at, end - at));
    std::string raw;
    while (std::getline(page, raw)) {
      const int index = static_cast<int>(r.lines.size());
      const std::string anchor = "<a href=\"";
      for (std::size_t a = raw.find(anchor); a != std::string::npos; a = raw.find(anchor, a + 1)) {
        const std::size_t urlStart = a + anchor.size(), urlEnd = raw.find('"', urlStart);
        const std::size_t textStart = raw.find('>', urlEnd) + 1, textEnd = raw.find("</a>", textStart);
        Report::Link link = ParseLink(Unescape(raw.substr(urlStart, urlEnd - urlStart)));
        link.text = Unescape(raw.substr(textStart, textEnd - textStart));
        link.line = index;
        r.links.push_back(link);
      }
      r.lines.push_back(WithoutTags(raw));
    }
    at = end;
  }
  return r;
}

// A company folder of its own, today 03/31/25, the data of the
// installation's base-data folder, user "ANNE".
class CompanyTest : public ::testing::Test {
 public:
  void Add(const std::string& file, Json record) { fixture_["files"][file].push_back(std::move(record)); }

 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qxagingXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    company_ = dir_ + "/company";
    SharedAppBlock* app = SharedAppBlockGet();
    *app = SharedAppBlock{};
    AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, (std::string(QX_SOURCE_DIR) + "/data").c_str());
    AppBlockTextSet(app->companyPath, kFolderFieldSize, company_.c_str());
    AppBlockTextSet(app->userName, sizeof app->userName, "ANNE");
    app->currentCommand = 337;
    TextStoreReset();
    BtrvTestSwitch("");
    fixture_ = Json{{"files", Json::object()}};
  }
  void TearDown() override {
    BtrvTestSwitch("");
    BtrvReset();
    ScreenResetForTest("", nullptr);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  void WriteCompany() {
    fixture::CompanyImage image;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::ParseFixture(fixture_, &image, &problem)) << problem.Text();
    ASSERT_TRUE(fixture::WriteCompany(image, company_, fixture::WriteOptions{true}, &problem)) << problem.Text();
    written_ = true;
  }

  struct Run {
    int result = -1;
    std::string transcript;
    std::vector<int> messages;
  };

  // Runs `entry` on the key script `keys` with today fixed, writing the
  // company first when it has not been written.
  template <class Entry>
  Run RunScripted(const std::string& keys, Entry entry) {
    if (!written_) WriteCompany();
    const std::string transcript = dir_ + "/transcript-" + std::to_string(++runs_) + ".txt";
    ScreenResetForTest(keys, transcript.c_str());
    DateSetToday(DateMake(2025, 3, 31));
    SettingsRefresh(0, 0);
    Run run;
    run.result = entry();
    ScreenResetForTest("", nullptr);
    run.transcript = ReadAll(transcript);
    run.messages = MessageNumbers(run.transcript);
    return run;
  }

  std::string File(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_, company_;
  Json fixture_;
  bool written_ = false;
  int runs_ = 0;
};

inline std::string Date(int y, int m, int d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

// yyyy-mm-dd of a day number.
inline std::string DateOfDay(int day) {
  int y = 0, m = 0, d = 0;
  DateSplit(day, &y, &m, &d);
  return Date(y, m, d);
}

}  // namespace agingtest
