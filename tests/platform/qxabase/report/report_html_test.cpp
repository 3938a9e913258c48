// The HTML renderer: the sample report as an HTML file, read back by strict
// parsers (libxml2's XML and HTML parsers, Python's html.parser with a
// well-formedness check), its texts as written, its columns as on paper and
// its links carrying the right commands and parameters.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include "qxabase/report.h"
#include "qxabase/startup.h"
#include "qxtest/report_html.h"
#include "report_test_support.h"
#include "sample_report.h"

namespace {

using reporttest::ReadAll;

std::vector<std::string> gParseErrors;

void CollectError(void*, const xmlError* error) {
  if (error && error->level >= XML_ERR_ERROR) gParseErrors.push_back(error->message ? error->message : "?");
}

struct Anchor {
  std::string text, href;
};

class ReportHtmlTest : public reporttest::ScriptedReportTest {
 protected:
  // Writes the sample report as HTML and reads it back.
  void Write() {
    path_ = dir_.File("balances.htm");
    ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestHtmlFile, path_.c_str()), 1);
    text_ = ReportText(&info_);
    ASSERT_EQ(ReportClose(&info_), 0);
    html_ = ReadAll(path_);
    ASSERT_FALSE(html_.empty());
  }

  xmlDocPtr ParseXml() {
    gParseErrors.clear();
    xmlSetStructuredErrorFunc(nullptr, reinterpret_cast<xmlStructuredErrorFunc>(CollectError));
    xmlDocPtr doc = xmlReadMemory(html_.data(), static_cast<int>(html_.size()), "balances.htm", "UTF-8",
                                  XML_PARSE_NONET);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    return doc;
  }

  std::vector<Anchor> Anchors(xmlDocPtr doc) {
    std::vector<Anchor> out;
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    xmlXPathObjectPtr found = xmlXPathEvalExpression(BAD_CAST "//a", ctx);
    for (int i = 0; found && found->nodesetval && i < found->nodesetval->nodeNr; ++i) {
      xmlNodePtr node = found->nodesetval->nodeTab[i];
      xmlChar* text = xmlNodeGetContent(node);
      xmlChar* href = xmlGetProp(node, BAD_CAST "href");
      out.push_back({reinterpret_cast<char*>(text), href ? reinterpret_cast<char*>(href) : ""});
      xmlFree(text);
      xmlFree(href);
    }
    xmlXPathFreeObject(found);
    xmlXPathFreeContext(ctx);
    return out;
  }

  std::vector<std::string> PageTexts(xmlDocPtr doc) {
    std::vector<std::string> out;
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    xmlXPathObjectPtr found = xmlXPathEvalExpression(BAD_CAST "//div[@class='page']/pre", ctx);
    for (int i = 0; found && found->nodesetval && i < found->nodesetval->nodeNr; ++i) {
      xmlChar* text = xmlNodeGetContent(found->nodesetval->nodeTab[i]);
      std::string s = reinterpret_cast<char*>(text);
      xmlFree(text);
      if (!s.empty() && s[0] == '\n') s.erase(0, 1);  // the newline after <pre> is not content
      out.push_back(s);
    }
    xmlXPathFreeObject(found);
    xmlXPathFreeContext(ctx);
    return out;
  }

  std::string path_, text_, html_;
};

TEST_F(ReportHtmlTest, StrictParsersReadItWithoutErrors) {
  Write();
  xmlDocPtr doc = ParseXml();
  ASSERT_NE(doc, nullptr) << "not well-formed: " << (gParseErrors.empty() ? "" : gParseErrors[0]);
  EXPECT_TRUE(gParseErrors.empty()) << gParseErrors[0];
  xmlFreeDoc(doc);

  gParseErrors.clear();
  xmlSetStructuredErrorFunc(nullptr, reinterpret_cast<xmlStructuredErrorFunc>(CollectError));
  htmlDocPtr hdoc = htmlReadMemory(html_.data(), static_cast<int>(html_.size()), "balances.htm", "UTF-8",
                                   HTML_PARSE_NONET | HTML_PARSE_PEDANTIC);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  ASSERT_NE(hdoc, nullptr);
  EXPECT_TRUE(gParseErrors.empty()) << "HTML parser: " << gParseErrors[0];
  xmlFreeDoc(hdoc);

  const std::string command = std::string(QX_PYTHON) + " " + QX_HTML_CHECK + " " + path_;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(ReportHtmlTest, TextsShowAsWrittenAndColumnsAsOnPaper) {
  Write();
  xmlDocPtr doc = ParseXml();
  ASSERT_NE(doc, nullptr);
  const std::vector<std::string> pages = PageTexts(doc);
  xmlFreeDoc(doc);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_NE(pages[0].find("O'Brien & Sons <Wholesale>"), std::string::npos);
  EXPECT_NE(pages[0].find("Caf\xC3\xA9 Z\xC3\xBCrich"), std::string::npos) << "code page 437 shown in UTF-8";
  EXPECT_NE(pages[1].find("Quill & Ink \"Stationers\""), std::string::npos);

  // Each page's lines are character for character those of the printed text
  // (the printed first page also carries the selection above it).
  std::vector<std::string> printed;
  std::size_t start = 0;
  while (true) {
    const std::size_t ff = text_.find("\f\n", start);
    printed.push_back(text_.substr(start, ff == std::string::npos ? std::string::npos : ff - start));
    if (ff == std::string::npos) break;
    start = ff + 2;
  }
  ASSERT_EQ(printed.size(), 2u);
  ASSERT_EQ(printed[0].rfind("Selection:", 0), 0u);
  printed[0].erase(0, printed[0].find("\n\n") + 2);
  EXPECT_EQ(pages[0], printed[0]);
  EXPECT_EQ(pages[1], printed[1]);
}

TEST_F(ReportHtmlTest, LinksCarryTheirCommandKindAndParameters) {
  Write();
  xmlDocPtr doc = ParseXml();
  ASSERT_NE(doc, nullptr);
  const std::vector<Anchor> anchors = Anchors(doc);
  xmlFreeDoc(doc);

  std::map<std::string, std::string> byText;
  for (const Anchor& a : anchors) byText[a.text] = a.href;
  struct Case {
    const char* text;
    const char* prefix;
    const char* params;
  };
  const Case cases[] = {
      {"OBRIEN", "qxa:121?kind=1&p=", "cdno='OBRIEN'"},
      {"O'Brien & Sons <Wholesale>", "qxa:329?kind=2&p=", "input='default' cdno='OBRIEN'"},
      {"4890.10", "qxa:337?kind=2&p=", "input='default' cvbeg='OBRIEN' cvend='OBRIEN'"},
      {"Run again", "qxa:337?kind=2&p=",
       "input='usersel' sortfld='Customer Code' closedate='03/15/25' output='' type='0'"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(byText.count(c.text)) << "no link on " << c.text;
    const std::string href = byText[c.text];
    ASSERT_EQ(href.rfind(c.prefix, 0), 0u) << href;
    const std::string encoded = href.substr(std::string(c.prefix).size());
    EXPECT_EQ(encoded.find_first_of(" '=&"), std::string::npos) << "the parameters are URL-encoded: " << encoded;
    EXPECT_EQ(qxtest::PercentDecode(encoded), c.params) << c.text;
  }
  EXPECT_EQ(byText["OBRIEN"], "qxa:121?kind=1&p=cdno%3D%27OBRIEN%27");
  // One code, one name and one balance link per customer, and the saved run.
  EXPECT_EQ(anchors.size(), sample::Customers().size() * 3 + 1);
}

TEST_F(ReportHtmlTest, FolderThatDoesNotExistIsRefusedAtOpen) {
  const std::string path = dir_.File("missing/balances.htm");
  EXPECT_EQ(sample::OpenCustomerBalances(&info_, kDestHtmlFile, path.c_str()), 0);
  EXPECT_EQ(info_.run, nullptr);
  const std::string transcript = Transcript();
  EXPECT_NE(transcript.find("cannot be written to the file"), std::string::npos) << transcript;
  EXPECT_NE(transcript.find("does not exist"), std::string::npos) << transcript;
}

TEST_F(ReportHtmlTest, FailedWriteSaysSoAndLeavesNoTemporaryFile) {
  const std::string path = dir_.File("balances.htm");
  ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestHtmlFile, path.c_str()), 1);
  std::filesystem::create_directory(path);  // the name is taken by a folder meanwhile
  EXPECT_EQ(ReportClose(&info_), -1);
  const std::string transcript = Transcript();
  EXPECT_NE(transcript.find("could not be written"), std::string::npos) << transcript;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    if (entry.path().filename().string().rfind("balances.htm.", 0) == 0) ++files;
  EXPECT_EQ(files, 0);
}

TEST_F(ReportHtmlTest, UnwritableFolderKeepsTheEarlierReport) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  const std::string folder = dir_.File("reports");
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/balances.htm";
  reporttest::WriteAll(path, "earlier report");
  ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestHtmlFile, path.c_str()), 1);
  ::chmod(folder.c_str(), 0555);
  EXPECT_EQ(ReportClose(&info_), -1);
  ::chmod(folder.c_str(), 0755);
  EXPECT_EQ(ReadAll(path), "earlier report");
}

// The main program works in its own folder; a relative output name means the
// folder the user started it in.
TEST_F(ReportHtmlTest, ARelativeFileNameMeansTheFolderTheUserStartedIn) {
  const std::string program = dir_.File("program"), user = dir_.File("user");
  for (const std::string& folder : {program, user, user + "/reports", program + "/reports"})
    std::filesystem::create_directories(folder);
  // The folder and the start folder come back however the test ends.
  struct Restore {
    std::filesystem::path folder = std::filesystem::current_path();
    ~Restore() {
      std::error_code ec;
      std::filesystem::current_path(folder, ec);
      StartFolderSet("");
    }
  } restore;
  std::filesystem::current_path(program);
  struct Case {
    const char* name;
    std::string startFolder;
    std::string output;
    std::string written;  // where the file lands
  } cases[] = {
      {"a plain name", user, "aging.htm", user + "/aging.htm"},
      {"a start folder given with its slash", user + "/", "aging.htm", user + "/aging.htm"},
      {"a name below the start folder", user, "reports/aging.htm", user + "/reports/aging.htm"},
      {"an absolute name", user, program + "/reports/aging.htm", program + "/reports/aging.htm"},
      {"no start folder known: the current one", "", "aging.htm", program + "/aging.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartFolderSet(c.startFolder.c_str());
    Start("");
    ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestHtmlFile, c.output.c_str()), 1);
    ASSERT_EQ(ReportClose(&info_), 0);
    EXPECT_NE(ReadAll(c.written).find("</html>"), std::string::npos);
    EXPECT_NE(Transcript().find("written " + c.written), std::string::npos) << "the note names the file written";
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path()))
      if (entry.path().extension() == ".htm") written.push_back(entry.path().string());
    EXPECT_EQ(written, std::vector<std::string>{c.written}) << "one file, in its place only";
    std::filesystem::remove(c.written);
  }
  // A start folder that is gone is told at the start of the run.
  StartFolderSet(dir_.File("gone").c_str());
  Start("");
  EXPECT_EQ(sample::OpenCustomerBalances(&info_, kDestHtmlFile, "aging.htm"), 0);
  EXPECT_NE(Transcript().find(dir_.File("gone") + "/aging.htm"), std::string::npos);
}

TEST_F(ReportHtmlTest, ReplacesAnEarlierFileWhole) {
  const std::string path = dir_.File("balances.htm");
  reporttest::WriteAll(path, std::string(200000, 'x'));
  Write();
  EXPECT_EQ(html_.find("xxxx"), std::string::npos);
  EXPECT_EQ(html_.rfind("</html>\n"), html_.size() - 8);
}

}  // namespace
