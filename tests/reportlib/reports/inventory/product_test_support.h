// Helpers of the product report tests: a company folder built by the
// fixture loader from readable product records (or the sample company), a
// report entry run under a key script, and a report read back from its HTML
// file as the lines of its pages, its links and its saved run.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "sample/sample_company.h"

namespace producttest {

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
  for (const auto& [from, to] : entities)
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + std::strlen(to)))
      s.replace(at, std::strlen(from), to);
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

inline std::string Trim(const std::string& s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// A report read back from its HTML file.
struct Report {
  std::string html;
  std::vector<std::string> lines;  // the text lines of every page, in order
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

  // The text at print columns [x, x + width) of line `i`, trimmed.
  std::string Cell(int i, int x, int width) const {
    if (i < 0 || i >= static_cast<int>(lines.size())) return "<no line>";
    const std::string& l = lines[static_cast<std::size_t>(i)];
    return static_cast<std::size_t>(x) < l.size()
               ? Trim(l.substr(static_cast<std::size_t>(x), static_cast<std::size_t>(width)))
               : "";
  }
  // The index of the first line from `from` that holds `text`; −1 when none.
  int Find(const std::string& text, int from = 0) const {
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
      if (lines[static_cast<std::size_t>(i)].find(text) != std::string::npos) return i;
    return -1;
  }
  std::vector<Link> LinksOn(int i) const {
    std::vector<Link> out;
    for (const Link& l : links)
      if (l.line == i) out.push_back(l);
    return out;
  }
};

// A link's URL: "qxa:<command>?kind=<kind>&p=<percent-encoded string>".
inline Report::Link ParseLink(const std::string& url) {
  Report::Link link;
  const std::size_t query = url.find("?kind="), p = url.find("p=");
  if (url.rfind("qxa:", 0) != 0 || query == std::string::npos || p == std::string::npos) return link;
  link.command = std::atoi(url.c_str() + 4);
  link.kind = std::atoi(url.c_str() + query + 6);
  link.params = PercentDecode(url.substr(p + 2));
  return link;
}

// The value of the first `attribute="..."` at or after `from` in `html`.
inline std::string AttributeAt(const std::string& html, std::size_t from, const std::string& attribute) {
  const std::size_t at = html.find(attribute + "=\"", from);
  if (at == std::string::npos) return "";
  const std::size_t begin = at + attribute.size() + 2;
  return html.substr(begin, html.find('"', begin) - begin);
}

inline Report ReadReport(const std::string& path) {
  Report r;
  r.html = ReadAll(path);
  if (r.html.empty()) return r;
  if (const std::size_t again = r.html.find("<a class=\"again\""); again != std::string::npos)
    r.savedRun = ParseLink(Unescape(AttributeAt(r.html, again, "href")));
  std::size_t at = 0;
  while ((at = r.html.find("<pre>\n", at)) != std::string::npos) {
    at += 6;
    const std::size_t end = r.html.find("</pre>", at);
    std::istringstream page(r.html.substr(at, end - at));
    std::string raw;
    while (std::getline(page, raw)) {
      const int index = static_cast<int>(r.lines.size());
      std::string text;
      for (std::size_t i = 0; i < raw.size();) {
        if (raw[i] != '<') {
          text += raw[i++];
          continue;
        }
        const std::size_t close = raw.find('>', i);
        if (close == std::string::npos) break;
        if (raw.compare(i, 8, "<a href=") == 0) {
          Report::Link link = ParseLink(Unescape(AttributeAt(raw, i, "href")));
          const std::size_t endAnchor = raw.find("</a>", close);
          link.text = Unescape(raw.substr(close + 1, endAnchor - close - 1));
          link.line = index;
          r.links.push_back(link);
        }
        i = close + 1;
      }
      r.lines.push_back(Unescape(text));
    }
    at = end;
  }
  return r;
}

// A product record of a fixture: the number, description and the fields
// given.  The fields records/ leaves unnamed go in `raw` (ProductExtras).
inline Json Product(const std::string& number, const std::string& description, Json extra = Json::object()) {
  Json r{{"number", number},          {"description", description}, {"productType", 1},
         {"purchaseUnitFactor", 1},   {"salesUnitFactor", 1},       {"warehouse", "MAI"}};
  for (auto it = extra.begin(); it != extra.end(); ++it) r[it.key()] = it.value();
  return r;
}

inline std::string HexText(const std::string& s, std::size_t width) {
  std::string out;
  char b[3];
  for (std::size_t i = 0; i < width; ++i) {
    std::snprintf(b, sizeof b, "%02x", i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
    out += b;
  }
  return out;
}

inline std::string Hex32(std::uint32_t v) {
  char text[9];
  std::snprintf(text, sizeof text, "%02x%02x%02x%02x", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, (v >> 24) & 0xFF);
  return text;
}

// The bytes of a product that records/ leaves unnamed
// (reports/inventory/product_record_fields.h): the selling measure (76),
// the vendor's part number (113), the minimum and reorder quantities (274).
inline Json ProductExtras(const std::string& sellingMeasure, const std::string& partNumber, std::uint32_t minimum,
                          std::uint32_t reorder) {
  return Json{{"76", HexText(sellingMeasure, 9)},
              {"113", HexText(partNumber, 15)},
              {"274", Hex32(minimum) + Hex32(reorder)}};
}

inline std::string Date(int y, int m, int d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

// A company folder of its own, today 03/15/25, the data of the source
// tree's base-data folder, user "ANNE".
class CompanyTest : public ::testing::Test {
 public:
  void Add(const std::string& file, Json record) { fixture_["files"][file].push_back(std::move(record)); }

 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qxproductsXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    company_ = dir_ + "/company";
    SharedAppBlock* app = SharedAppBlockGet();
    *app = SharedAppBlock{};
    AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, (std::string(QX_SOURCE_DIR) + "/data").c_str());
    AppBlockTextSet(app->companyPath, kFolderFieldSize, company_.c_str());
    AppBlockTextSet(app->userName, sizeof app->userName, "ANNE");
    app->currentCommand = 350;
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

  static int Today() { return DateMake(2025, 3, 15); }

  void WriteCompany() {
    fixture::CompanyImage image;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::ParseFixture(fixture_, &image, &problem)) << problem.Text();
    ASSERT_TRUE(fixture::WriteCompany(image, company_, fixture::WriteOptions{true}, &problem)) << problem.Text();
    written_ = true;
  }

  // The sample company in place of the fixture; its image kept in sample_.
  void LoadSampleCompany() {
    sample::Options options;
    options.today = Today();
    std::string error;
    ASSERT_TRUE(sample::BuildSampleCompany(options, &sample_, &error)) << error;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::WriteCompany(sample_, company_, fixture::WriteOptions{true}, &problem)) << problem.Text();
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
    DateSetToday(Today());
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
  fixture::CompanyImage sample_;
  bool written_ = false;
  int runs_ = 0;
};

}  // namespace producttest
