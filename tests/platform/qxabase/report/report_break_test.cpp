// The user break: Esc while a report runs (a `Break` token of the key
// script) stops it cleanly, where it is, and the run says so.
#include <string>

#include <gtest/gtest.h>

#include "qxabase/report.h"
#include "ravadodo/dialogs.h"
#include "report_test_support.h"
#include "sample_report.h"

namespace {

using reporttest::ReadAll;

// The fourth customer is one a report would ask about (a journal's
// out-of-balance message): the script answers the box, then presses Esc.
void AskAboutTheFourth(int index) {
  if (index == 3) MsgBoxShow("Customer DELTA has a credit balance.", "Check");
}

class ReportBreakTest : public reporttest::ScriptedReportTest {};

TEST_F(ReportBreakTest, EscInTheMiddleStopsTheReportWhereItIs) {
  Start("Enter Break");
  info_ = TagRepInfo{};
  info_.pageLength = 12;
  info_.showProgress = 1;
  ASSERT_EQ(ReportOpen(&info_, "Customer Balances"), 1);
  EXPECT_EQ(sample::WriteCustomerBalances(&info_, AskAboutTheFourth), 27);
  EXPECT_EQ(info_.userBreak, 1);
  EXPECT_EQ(ReportTestReady(&info_), 27);

  // The three customers before the break, then the notice, and nothing after.
  const std::string text = ReportText(&info_);
  EXPECT_NE(text.find("CAFE"), std::string::npos);
  EXPECT_EQ(text.find("DELTA"), std::string::npos);
  const std::string last = "*** Report stopped by the user ***\n";
  ASSERT_GE(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last) << text;
  ReportWriteText(&info_, "totals after the break", 0, 1);
  EXPECT_EQ(ReportText(&info_), text) << "a stopped run takes no more lines";

  int key = 0;
  EXPECT_EQ(ReportCheckUserBreak(&info_, &key), 1) << "the break stays";
  EXPECT_EQ(key, 27);
  EXPECT_EQ(ReportClose(&info_), 0);

  const std::string transcript = Transcript();
  EXPECT_NE(transcript.find("wait: Preparing the report \"Customer Balances\"..."), std::string::npos);
  EXPECT_NE(transcript.find("Customer DELTA has a credit balance."), std::string::npos);
  EXPECT_NE(transcript.find("*** Report stopped by the user ***"), std::string::npos) << "the preview shows it";
}

TEST_F(ReportBreakTest, StoppedHtmlReportIsWrittenAndMarked) {
  Start("Enter Break");
  const std::string path = dir_.File("stopped.htm");
  ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestHtmlFile, path.c_str(), AskAboutTheFourth), 1);
  EXPECT_EQ(info_.userBreak, 1);
  EXPECT_EQ(ReportClose(&info_), 0);
  const std::string html = ReadAll(path);
  EXPECT_NE(html.find("stopped by the user"), std::string::npos);
  EXPECT_NE(html.find("*** Report stopped by the user ***"), std::string::npos);
  EXPECT_EQ(html.find("DELTA"), std::string::npos);
}

TEST_F(ReportBreakTest, ScriptThatRunsOutDoesNotStopAReport) {
  // An unattended run (no keys at all) must write its whole report.
  Start("");
  ASSERT_EQ(sample::OpenCustomerBalances(&info_, kDestPreview, nullptr), 1);
  EXPECT_EQ(info_.userBreak, 0);
  EXPECT_NE(ReportText(&info_).find("ZENITH"), std::string::npos);
}

TEST_F(ReportBreakTest, CheckWithoutARunInfoStopsTheRunOpenedLast) {
  Start("Break");
  info_ = TagRepInfo{};
  ASSERT_EQ(ReportOpen(&info_, "Journal"), 1);
  ReportWriteText(&info_, "first header", 0, 1);
  int key = 0;
  EXPECT_EQ(CheckUserBreak(&key), 1);
  EXPECT_EQ(key, 27);
  EXPECT_EQ(info_.userBreak, 1);
  // The notice is centred on its own line.
  EXPECT_EQ(ReportText(&info_), "first header\n" + std::string(23, ' ') + "*** Report stopped by the user ***\n");
}

TEST_F(ReportBreakTest, OtherKeysDoNotStopIt) {
  Start("");
  KeyPush('x');
  KeyPush(kKeyF10);
  info_ = TagRepInfo{};
  ASSERT_EQ(ReportOpen(&info_, "Journal"), 1);
  EXPECT_EQ(ReportCheckUserBreak(&info_, nullptr), 0);
  KeyPush(kKeyEsc);
  EXPECT_EQ(ReportCheckUserBreak(&info_, nullptr), 1);
}

}  // namespace
