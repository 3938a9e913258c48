// The report run frame: the destination an "output" text chooses, the parse
// of presets, the page heading's line count, and the guards.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cv_param_string.h"
#include "qxabase/report.h"
#include "qxabase/startup.h"
#include "ravadodo.h"
#include "report_frame.h"

namespace {

// With keys to come (a terminal, a key script): any text but an HTML name
// shows the preview.  (Without them, such a text is refused: the command
// line test shows it.)
TEST(SetReportDestination, TheOutputTextChoosesPreviewOrFile) {
  ScreenResetForTest("", nullptr);
  StartFolderSet("/home/anne");
  const struct {
    const char* output;
    std::uint8_t destination;
    std::uint8_t given;
    std::uint8_t links;
    const char* path;
  } cases[] = {
      {"", 0, 0, 0, ""},
      {"   ", 0, 0, 0, ""},
      {"screen", kDestPreview, 1, 0, ""},
      {"printer", kDestPreview, 1, 0, ""},
      {"Aging.HTM", kDestHtmlFile, 1, 1, "/home/anne/Aging.HTM"},
      {"/tmp/aging.html", kDestHtmlFile, 1, 1, "/tmp/aging.html"},
  };
  for (const auto& c : cases) {
    TagRepInfo info;
    std::memset(static_cast<void*>(&info), 0x5A, sizeof info);  // the frame zeroes what it does not set
    info.run = nullptr;
    ASSERT_EQ(0, SetReportDestination(c.output, &info)) << c.output;
    EXPECT_EQ(c.destination, info.destination) << c.output;
    EXPECT_EQ(c.given, info.destinationGiven) << c.output;
    EXPECT_EQ(c.given, info.quiet) << c.output;
    EXPECT_EQ(c.links, info.links) << c.output;
    EXPECT_EQ(1, info.reportPage);
    EXPECT_EQ(1, info.showProgress);
    EXPECT_STREQ(c.path, info.filePath) << c.output;
    EXPECT_EQ(c.links ? kDestHtmlFile : 0, info.fileKind) << c.output;
  }
  StartFolderSet("");
}

TEST(SetReportDestination, APathTooLongForTheRunIsRefused) {
  ScreenResetForTest("", nullptr);
  const std::string name = "/tmp/" + std::string(300, 'a') + ".htm";
  TagRepInfo info{};
  EXPECT_EQ(1, SetReportDestination(name.c_str(), &info));
}

TEST(ResolveReportOutput, ARelativeNameStaysInTheUsersFolder) {
  StartFolderSet("/home/anne/jobs");
  const struct {
    const char* output;
    const char* path;  // null: refused
  } cases[] = {
      {"aging.htm", "/home/anne/jobs/aging.htm"},
      {"reports/aging.htm", "/home/anne/jobs/reports/aging.htm"},
      {"./reports/../aging.htm", "/home/anne/jobs/aging.htm"},
      {"/srv/reports/../aging.htm", "/srv/aging.htm"},  // an absolute name is the user's own
      {"../aging.htm", nullptr},
      {"../../etc/x.htm", nullptr},
      {"reports/../../x.htm", nullptr},
      {"x.htm/../../passwd", nullptr},
      {"..", nullptr},
      {"reports/", nullptr},  // names no file
      {"aging\n.htm", nullptr},
  };
  for (const auto& c : cases) {
    std::string path, why;
    const bool resolved = ResolveReportOutput(c.output, &path, &why);
    EXPECT_EQ(c.path != nullptr, resolved) << c.output << ": " << why;
    if (c.path) {
      EXPECT_EQ(c.path, path) << c.output;
    } else {
      EXPECT_FALSE(why.empty()) << c.output;
    }
  }
  StartFolderSet("");
}

TEST(ParsePreset, SavedRunsSkipUnknownKeysEveryOtherPresetRefusesThem) {
  ScreenResetForTest("", nullptr);
  EXPECT_EQ("usersel", ParamStringInput("sortfld='x' INPUT='x' input='UserSel'"));
  EXPECT_EQ("", ParamStringInput("sortfld='x'"));
  EXPECT_TRUE(IsSavedRunInput("usersel"));
  EXPECT_FALSE(IsSavedRunInput("default"));

  const struct {
    const char* text;
    bool ok;
  } cases[] = {
      {"input='usersel' colour='red' type='0'", true},
      {"input='default' colour='red' type='0'", false},  // a link, or a scheduled job's run
      {"input='screen' colour='red' type='0'", false},
      {"colour='red' type='0'", false},
      {"input='default' type='0", false},  // malformed whatever its input
      {"", true},
  };
  for (const auto& c : cases) {
    CustVendReportParams p{};
    CCustVendParamString parser(0);
    EXPECT_EQ(c.ok, ParsePreset(&parser, c.text, &p)) << c.text;
  }
}

TEST(WritePageHeading, TheTitleStandsBesideTheHeadingNotUnderIt) {
  ScreenResetForTest("", nullptr);
  DateSetToday(DateMake(2025, 3, 15));
  TagRepInfo info{};
  info.destinationGiven = 1;
  info.destination = kDestTextFile;
  std::snprintf(info.filePath, sizeof info.filePath, "/tmp/qx_frame_heading.txt");
  info.discard = 1;
  ASSERT_EQ(1, ReportOpen(&info, "Heading"));
  ReportWriteText(&info, "a line before", 0, 1);
  WritePageHeading(
      &info,
      [](TagRepInfo* i) {
        for (int n = 0; n < 4; ++n) ReportWriteText(i, "heading", 1, 1);
      },
      [](TagRepInfo* i) {
        ReportWriteText(i, "TITLE", kReportCentred, 1);
        ReportWriteText(i, "SUBTITLE", kReportCentred, 1);
      },
      nullptr);
  // A new page: four heading lines, the title beside them, one line more.
  EXPECT_EQ(5, info.lineCount);
  ReportRunGuard guard(&info);
  EXPECT_EQ(0, guard.Close());
  EXPECT_EQ(nullptr, info.run);
  EXPECT_EQ(0, guard.Close()) << "closing twice does nothing";
}

TEST(Links, ARowsLinksAreClearedBeforeItsOwnAreHung) {
  TagReportColumn row[4] = {};
  row[0].kind = row[1].kind = row[2].kind = kColumnText;
  const TagDrillDownInfo old = MakeDrillDown(kDrillOpenScreen, 121);
  for (int i = 0; i < 3; ++i) row[i].link = &old;
  const TagDrillDownInfo link = MakeDrillDown(kDrillRunReport, 337);
  EXPECT_EQ(kDrillRunReport, link.kind);
  EXPECT_EQ(1, link.one);
  EXPECT_EQ(337, link.commandId);
  ClearLinks(row);
  LinkColumns(row, {1}, &link);
  EXPECT_EQ(nullptr, row[0].link);
  EXPECT_EQ(&link, row[1].link);
  EXPECT_EQ(nullptr, row[2].link);
}

}  // namespace
