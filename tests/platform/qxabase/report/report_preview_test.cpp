// The preview driven by key scripts: its text in the transcript, links and
// the saved run followed as nested commands (the outer command's state and
// lock given back), search, printing through a stand-in `lp`.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "oemtext.h"
#include "qxabase/access.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/report.h"
#include "report_model.h"
#include "report_test_support.h"
#include "sample_report.h"

namespace {

using reporttest::ReadAll;
using reporttest::WriteAll;

// What a nested command saw when the preview ran it.
struct Call {
  int command;
  std::string params;
  bool locked;  // the command could take its lock, as the command frame does
};
std::vector<Call> gCalls;
bool gNestedReport = false;

// The report in the preview is the aging report itself: its balance links
// run the same command again, for one account.
constexpr int kOuterCommand = sample::kAgingReport;

// A menu library's dispatcher, with the command frame's bracket and lock.
int Dispatch(const char* params) {
  SharedAppBlock* app = SharedAppBlockGet();
  const int id = app->currentCommand;
  CommandActiveSet(1);
  const bool locked = CommandAccess(1, id) != 0;
  gCalls.push_back({id, params ? params : "", locked});
  // A command changes the block as commands do.
  app->inCommand = 1;
  app->commandFlag = 9;
  app->lastKey = 27;
  app->nextCommand = 602;
  if (locked && gNestedReport && id == sample::kAgingReport) {
    TagRepInfo nested{};
    sample::OpenCustomerBalances(&nested, kDestPreview, nullptr);
    ReportClose(&nested);
  }
  app->inCommand = 0;
  CommandAccess(0, -1);
  CommandActiveSet(0);
  return locked ? 0 : -1;
}

class ReportPreviewTest : public reporttest::ScriptedReportTest {
 protected:
  void SetUp() override {
    ScriptedReportTest::SetUp();
    CommandsResetForTest();
    for (int slot = 0; slot < kCommandGroupCount; ++slot) CommandHandlerAdd(Dispatch, slot);
    gCalls.clear();
    gNestedReport = false;
    SharedAppBlock* app = SharedAppBlockGet();
    app->currentCommand = kOuterCommand;
    app->nextCommand = 0;
    app->lastKey = 0;
    app->inCommand = 1;
    app->commandFlag = 5;
    app->fromMenu = 1;
    // The outer command runs inside its own frame.
    CommandActiveSet(1);
    ASSERT_EQ(CommandAccess(1, kOuterCommand), 1);
  }
  void TearDown() override {
    ScriptedReportTest::TearDown();
    CommandAccess(0, -1);
    CommandsResetForTest();
  }

  // Runs the sample report into the preview with `keys`; returns the transcript.
  std::string Preview(const std::string& keys) {
    Start(keys);
    EXPECT_EQ(sample::OpenCustomerBalances(&info_, kDestPreview, nullptr), 1);
    EXPECT_EQ(ReportClose(&info_), 0);
    return Transcript();
  }

  void ExpectOuterStateBack() {
    const SharedAppBlock* app = SharedAppBlockGet();
    EXPECT_EQ(app->currentCommand, kOuterCommand);
    EXPECT_EQ(app->nextCommand, 0);
    EXPECT_EQ(app->lastKey, 0);
    EXPECT_EQ(app->inCommand, 1);
    EXPECT_EQ(app->commandFlag, 5);
    EXPECT_EQ(app->fromMenu, 1);
    EXPECT_TRUE(CommandAccessHeld(kOuterCommand)) << "the outer command's lock is taken back";
  }
};

TEST_F(ReportPreviewTest, TranscriptHoldsTheReportText) {
  const std::string transcript = Preview("Esc");
  EXPECT_NE(transcript.find("report: Customer Balances -> preview"), std::string::npos);
  EXPECT_NE(transcript.find("preview: Customer Balances (2 pages)"), std::string::npos);
  EXPECT_NE(transcript.find("--- page 2 of 2 ---"), std::string::npos);
  EXPECT_NE(transcript.find("O'Brien & Sons <Wholesale>"), std::string::npos);
  EXPECT_NE(transcript.find("Caf\xC3\xA9 Z\xC3\xBCrich"), std::string::npos);
  EXPECT_NE(transcript.find("preview: closed"), std::string::npos);
  EXPECT_TRUE(gCalls.empty());
}

// The transcript's text is made in code page 437; every byte must come out
// as the page's UTF-8 text read back would give it.
TEST(ReportTranscriptText, EveryByteReadsBackAsFromTheUtf8Text) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  for (const std::string& text : {all, std::string("Caf\x82 Z\x81rich \xC9\xCD\xBB\n"), std::string()})
    EXPECT_EQ(qxreport::PagesCp437RoundTrip(text), oem::FromUtf8(qxreport::ToUtf8(text)));
}

TEST_F(ReportPreviewTest, FollowingLinksRunsTheirCommandsNested) {
  struct Case {
    const char* keys;
    int command;
    const char* params;
  };
  const Case cases[] = {
      {"Tab Enter Esc", sample::kCustomerScreen, "cdno='ACME'"},
      {"Tab Tab Enter Esc", sample::kPurchaseHistory, "input='default' cdno='ACME'"},
      {"Tab Tab Tab Enter Esc", sample::kAgingReport, "input='default' cvbeg='ACME' cvend='ACME'"},
      {"Shift+Tab Enter Esc", sample::kAgingReport, "input='default' cvbeg='PIONEER' cvend='PIONEER'"},
      {"PgDn Tab Enter Esc", sample::kCustomerScreen, "cdno='QUILL'"},
      {"Click(8,3) Esc", sample::kCustomerScreen, "cdno='ACME'"},
      // A search moves to the page of what it found: the next link is there.
      {"F3 \"zenith\" Enter Tab Enter Esc", sample::kCustomerScreen, "cdno='QUILL'"},
      // Tab goes on from the last link of a page to the first of the next,
      // and round from either end of the report to the other.
      {"Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Enter Esc",
       sample::kCustomerScreen, "cdno='QUILL'"},
      {"Tab Shift+Tab Enter Esc", sample::kAgingReport, "input='default' cvbeg='ZENITH' cvend='ZENITH'"},
      {"Ctrl+End Tab Tab Tab Tab Tab Tab Tab Enter Esc", sample::kCustomerScreen, "cdno='ACME'"},
      // A search from the last page goes round to the first (where Tab then
      // starts from the top of the screen).
      {"Ctrl+End F3 \"baker\" Enter Tab Enter Esc", sample::kCustomerScreen, "cdno='ACME'"},
      // The saved run without its output: the nested run shows in the preview.
      {"F6 Esc", sample::kAgingReport, "input='usersel' sortfld='Customer Code' closedate='03/15/25' type='0'"},
  };
  for (const Case& c : cases) {
    gCalls.clear();
    Preview(c.keys);
    ASSERT_EQ(gCalls.size(), 1u) << c.keys;
    EXPECT_EQ(gCalls[0].command, c.command) << c.keys;
    EXPECT_EQ(gCalls[0].params, c.params) << c.keys;
    EXPECT_TRUE(gCalls[0].locked) << c.keys << ": the nested command takes its lock, even the outer one's";
    ExpectOuterStateBack();
  }
}

TEST_F(ReportPreviewTest, NestedReportOpensItsOwnPreviewAndReturns) {
  gNestedReport = true;
  const std::string transcript = Preview("F6 Tab Esc Esc");
  ASSERT_EQ(gCalls.size(), 1u);
  std::size_t first = transcript.find("preview: Customer Balances (2 pages)");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(transcript.find("preview: Customer Balances (2 pages)", first + 1), std::string::npos)
      << "the nested run's preview";
  std::size_t closed = transcript.find("preview: closed");
  ASSERT_NE(closed, std::string::npos);
  EXPECT_NE(transcript.find("preview: closed", closed + 1), std::string::npos);
  ExpectOuterStateBack();
}

TEST_F(ReportPreviewTest, LinkThatCannotBeReadIsRefused) {
  Start("Enter");
  qxreport::Link link;
  link.kind = kDrillOpenScreen;
  link.commandId = 121;
  link.params = "cdno='ACME";  // no closing quote
  EXPECT_EQ(qxreport::FollowLink(link), -1);
  EXPECT_TRUE(gCalls.empty());
  EXPECT_NE(Transcript().find("cannot be followed"), std::string::npos);
}

TEST(ReportLinkParams, OutputPairsAreTakenOut) {
  struct Case {
    const char* in;
    std::optional<std::string> out;
  };
  const Case cases[] = {
      {"input='default' cdno='C100'", "input='default' cdno='C100'"},
      {"input='default' output='/tmp/x.htm' cdno='C100'", "input='default' cdno='C100'"},
      {"output='a.htm'", ""},
      {"  OUTPUT = 'a.htm'   cdno='O''Brien' ", "cdno='O''Brien'"},
      {"cdno='it''s output=''x.htm''' output='y.htm'", "cdno='it''s output=''x.htm'''"},
      {"", ""},
      {"cdno=", ""},
      {"cdno='C100", std::nullopt},
      {"cdno", std::nullopt},
      {"cdno C100'", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(qxreport::WithoutOutput(c.in), c.out) << c.in;
}

class ReportPrintTest : public ReportPreviewTest {
 protected:
  void SetUp() override {
    ReportPreviewTest::SetUp();
    // A stand-in for lp on the front of PATH: it keeps its arguments and input.
    bin_ = dir_.File("bin");
    std::filesystem::create_directory(bin_);
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin_ + ":" + oldPath_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    ReportPreviewTest::TearDown();
  }
  void FakeLp(const std::string& body) {
    const std::string script = bin_ + "/lp";
    WriteAll(script, "#!/bin/sh\n" + body);
    ::chmod(script.c_str(), 0755);
  }
  std::string bin_, oldPath_;
};

TEST_F(ReportPrintTest, PrintsTheTextThroughLp) {
  FakeLp("printf '%s\\n' \"$@\" > '" + dir_.File("args") + "'\ncat > '" + dir_.File("input") + "'\n");
  const std::string transcript = Preview("F7 Enter Esc");
  EXPECT_NE(transcript.find("preview: printed"), std::string::npos) << transcript;
  const std::string args = ReadAll(dir_.File("args"));
  EXPECT_NE(args.find("-t\nCustomer Balances\n"), std::string::npos) << args;
  EXPECT_NE(args.find("-n\n1\n"), std::string::npos);
  EXPECT_NE(args.find("cpi=12\n"), std::string::npos) << "80 columns within half-inch margins need 12 an inch";
  const std::string input = ReadAll(dir_.File("input"));
  EXPECT_NE(input.find('\f'), std::string::npos) << "pages end with a form feed";
  EXPECT_NE(input.find("O'Brien & Sons <Wholesale>"), std::string::npos);
  EXPECT_NE(input.find("Caf\xC3\xA9 Z\xC3\xBCrich"), std::string::npos);
  EXPECT_NE(input.find("Page 2 of 2"), std::string::npos);
}

// What lp said, once, with what to set up when no printer can take the job.
TEST_F(ReportPrintTest, PrinterErrorIsShownWithWhatToDo) {
  const struct {
    const char* name;
    const char* said;    // by lp on its error output
    const char* shown;   // in the box; "" none
    const char* advice;  // in the box after it; "" none
  } cases[] = {
      {"no printer set up", "lp: Error - No default destination.", "lp: Error - No default destination.",
       "No printer is set up as the default. Set one up with CUPS"},
      {"a printer not set up", "lp: The printer or class does not exist.",
       "lp: The printer or class does not exist.", "lpstat -p lists those that are"},
      {"the print service down", "lp: Error - Scheduler Not Responding.", "Scheduler Not Responding.",
       "start it (systemctl start cups)"},
      {"another fault", "lp: out of paper", "lp: out of paper.", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLp(std::string("echo '") + c.said + "' >&2\nexit 1\n");
    std::string transcript = Preview("F7 Enter Enter Esc");
    // The box's lines, joined again.
    for (std::size_t at; (at = transcript.find('\n')) != std::string::npos;) transcript[at] = ' ';
    const std::size_t box = transcript.find("The report could not be printed:");
    ASSERT_NE(box, std::string::npos) << transcript;
    const std::string told = transcript.substr(box, transcript.find("buttons:", box) - box);
    EXPECT_NE(told.find(c.shown), std::string::npos) << told;
    EXPECT_EQ(told.find(".."), std::string::npos) << "a sentence ends twice: " << told;
    if (*c.advice) {
      EXPECT_NE(told.find(c.advice), std::string::npos) << told;
    } else {
      EXPECT_EQ(told.find("CUPS"), std::string::npos) << told;
    }
  }
}

TEST_F(ReportPrintTest, WideCondensedLandscapeRunsChooseTheirPitch) {
  qxreport::Document doc;
  doc.title = "Wide";
  doc.settings.lineWidth = 136;
  doc.settings.copies = 2;
  doc.settings.landscape = true;
  doc.settings.reportPage = true;  // half-inch margins
  std::vector<std::string> argv = qxreport::PrintCommand(doc);
  auto has = [&](const std::string& a) { return std::find(argv.begin(), argv.end(), a) != argv.end(); };
  EXPECT_TRUE(has("cpi=15")) << "136 columns on 11 inches";
  EXPECT_TRUE(has("landscape"));
  EXPECT_TRUE(has("2"));
  doc.settings.landscape = false;
  argv = qxreport::PrintCommand(doc);
  EXPECT_TRUE(has("cpi=20")) << "136 columns on 8.5 inches";
  doc.settings.lineWidth = 80;
  doc.settings.condensed = true;
  argv = qxreport::PrintCommand(doc);
  EXPECT_TRUE(has("cpi=17")) << "condensed";
}

}  // namespace
