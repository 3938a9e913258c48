// The qxa: link handler: the links reports write are opened at their
// command, parameters and company; anything else a web page might hand it
// is refused before anything starts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "launcher/url_handler.h"

namespace {

using qxl::ParseQxaUrl;
using qxl::QxaLink;

TEST(QxaUrl, OpensTheLinksReportsWrite) {
  const struct {
    const char* url;
    int command, kind;
    const char* params;
    const char* company;
  } cases[] = {
      {"qxa:329?kind=2&p=input%3D%27default%27%20cdno%3D%27O%27%27BRIEN%27&co=%2Fhome%2Fann%2Fbooks", 329, 2,
       "input='default' cdno='O''BRIEN'", "/home/ann/books"},
      {"qxa:337?kind=2&p=input%3D%27usersel%27%20sortfld%3D%27Customer%20Code%27%20sortfrom%3D%27%27", 337, 2,
       "input='usersel' sortfld='Customer Code' sortfrom=''", ""},
      {"qxa:359?kind=1&p=", 359, 1, "", ""},
      {"qxa:350?kind=2&p=input%3D%27default%27&co=%2Fdata%2FCaf%C3%A9", 350, 2, "input='default'", "/data/Caf\xC3\xA9"},
  };
  for (const auto& c : cases) {
    QxaLink link;
    std::string why;
    ASSERT_TRUE(ParseQxaUrl(c.url, &link, &why)) << c.url << ": " << why;
    EXPECT_EQ(link.command, c.command);
    EXPECT_EQ(link.kind, c.kind);
    EXPECT_EQ(link.params, c.params);
    EXPECT_EQ(link.company, c.company);
  }
}

TEST(QxaUrl, RefusesWhatNoReportWrites) {
  const struct {
    const char* url;
    const char* why;
  } cases[] = {
      {"http://example.com/", "not a qxa: link"},
      {"qxa:121?kind=1&p=cdno%3D%27A%27", "does not name a report"},        // a screen outside the system
      {"qxa:602?kind=2&p=", "does not name a report"},                      // backup/restore
      {"qxa:3370?kind=2&p=", "does not name a report"},
      {"qxa:337?kind=3&p=", "kind"},
      {"qxa:337?p=input%3D%27default%27", "lacks"},
      {"qxa:337?kind=2&p=output%3D%27%2Fetc%2Fx.htm%27", "names a file to write"},
      {"qxa:337?kind=2&p=input%3D%27default%27%20OUTPUT%3D%27x.htm%27", "names a file to write"},
      {"qxa:337?kind=2&p=input%3D%27default", "not closed"},
      {"qxa:337?kind=2&p=input%3Ddefault", "not quoted"},
      {"qxa:337?kind=2&p=%27%3D%27x%27", "not pairs"},
      {"qxa:337?kind=2&p=cdno%3D%27A%0A%27", "cannot be read"},              // a line break
      {"qxa:337?kind=2&p=cdno%3D%27A%2", "cannot be read"},
      {"qxa:337?kind=2&p=&co=relative%2Fbooks", "not a full path"},
      {"qxa:337?kind=2&p=&run=1", "that links do not have"},
  };
  for (const auto& c : cases) {
    QxaLink link;
    link.command = 7;
    std::string why;
    EXPECT_FALSE(ParseQxaUrl(c.url, &link, &why)) << c.url;
    EXPECT_NE(why.find(c.why), std::string::npos) << c.url << ": " << why;
    EXPECT_EQ(link.command, 7) << "a refused link changes nothing";
  }
}

// The handler as the desktop runs it: it starts the launcher beside it with
// the link's command, parameters and company, or refuses and starts nothing.
TEST(QxaUrl, TheHandlerStartsTheLauncherBesideIt) {
  char pattern[] = "/tmp/qxaurlXXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::filesystem::path folder = pattern;
  std::filesystem::copy_file(QX_QXAURL_FILE, folder / "qxaurl");
  const std::filesystem::path calls = folder / "calls.txt";
  {
    std::ofstream launcher(folder / "qxl15");
    launcher << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << calls.string() << "'\n";
  }
  ::chmod((folder / "qxl15").c_str(), 0755);
  const auto run = [&](const std::string& url) {
    const std::string command = "'" + (folder / "qxaurl").string() + "' '" + url + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(0, run("qxa:329?kind=2&p=input%3D%27default%27%20cdno%3D%27A%20B%27&co=%2Fbooks"));
  std::ifstream in(calls);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_EQ(got.str(), "/books\n/only\n/cmd:329\n/param:input='default' cdno='A B'\n");
  std::filesystem::remove(calls);
  EXPECT_EQ(2, run("qxa:393?kind=2&p="));  // global change: not a link of a report
  EXPECT_FALSE(std::filesystem::exists(calls));
  std::filesystem::remove_all(folder);
}

}  // namespace
