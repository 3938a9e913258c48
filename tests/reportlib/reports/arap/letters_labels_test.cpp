// Mailing labels (339, 346) and form letters (341, 349) run through their
// entry on key scripts over fixtures/statements.json: labels at their
// stock's places in the text, the HTML file and the printer's job, padded
// and without their empty lines; letters closed up around their values,
// their copies, and a text with a field that cannot be merged.
//
// The cursor order of the labels' screen: 1 run date, 2 selection, 3 first
// range, 4/5 its pair, 24 second range, 25/26 its pair, 45 copies,
// 46 close up, 56 stock, 57 fonts.  Letters end at 46.
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "documents_test_support.h"
#include "qxtest/transcript.h"
#include "reports/arap/letters_labels.h"

namespace documenttest {
namespace {

// To the stock, "A" four times (Avery 5160 Laser: three across), print.
constexpr const char* kLabels5160 =
    "Down Down Down Down Down Down Down Down Down Down \"AAAA\" F10";

// The first range from C1 to C1.
constexpr const char* kOnlyC1 = "Down Down Down \"C1\" Down \"C1\" ";

class LettersLabelsTest : public DocumentTest {
 protected:
  LettersLabelsTest() : DocumentTest(339) {}
  Output Labels(const std::string& keys, const std::string& suffix = ".txt") {
    return RunReport(RunCustVendLettersLabelsTo, keys, 339, suffix);
  }
  Output Letters(const std::string& keys) { return RunReport(RunCustVendLettersLabelsTo, keys, 341); }

  // The text at print columns [x, x + width) of `line`, blanks trimmed.
  static std::string At(const std::string& line, int x, int width) {
    if (static_cast<int>(line.size()) <= x) return "";
    std::string s = line.substr(static_cast<std::size_t>(x), static_cast<std::size_t>(width));
    s.erase(s.find_last_not_of(' ') + 1);
    s.erase(0, s.find_first_not_of(' ') == std::string::npos ? s.size() : s.find_first_not_of(' '));
    return s;
  }

  // The labels of a page by their places: the first line of each label,
  // row by row (5160: rows of six lines below three lines of top margin,
  // labels at columns 2, 29 and 57, 26 columns wide).
  template <class LineAt>
  static std::vector<std::vector<std::string>> Rows(LineAt line, int rows) {
    std::vector<std::vector<std::string>> out;
    for (int r = 0; r < rows; ++r) {
      std::vector<std::string> names;
      for (int x : {2, 29, 57}) names.push_back(At(line(3 + 6 * r), x, 26));
      out.push_back(names);
    }
    return out;
  }
};

const std::vector<std::vector<std::string>> kRows = {
    {"Lake  View Farms", "No Items Ltd", "Later Co"},
    {"Dunmore Library", "Elmcrest School", "Foxglove Design"},
    {"Granite Works", "", ""},
};

TEST_F(LettersLabelsTest, LabelsGoAcrossThenDownAtTheStocksPlaces) {
  const Output o = Labels(kLabels5160);
  EXPECT_TRUE(o.run.messages.empty()) << o.run.transcript;
  ASSERT_EQ(1u, o.pages.size()) << o.text;
  const Page& page = o.pages[0];
  auto line = [&](int i) { return i < static_cast<int>(page.size()) ? page[static_cast<std::size_t>(i)] : ""; };
  EXPECT_EQ(kRows, Rows(line, 3));
  for (int i = 0; i < 3; ++i) EXPECT_EQ("", line(i)) << "the top margin";
  // C5's empty second address line is dropped; its label is padded below.
  EXPECT_EQ("3100 Elm Avenue", At(line(10), 29, 26));
  EXPECT_EQ("Port Alden, WA 98370", At(line(11), 29, 26));
  EXPECT_EQ("", At(line(12), 29, 26));
  // Short labels are padded: the next row starts six lines down.
  EXPECT_EQ("Lakeside, WA 98370", At(line(5), 2, 26));
  EXPECT_EQ("", At(line(6), 2, 26));
  EXPECT_EQ(18u, page.size()) << "the top margin, two rows of six lines, the last row's three lines";
  EXPECT_NE(std::string::npos, o.run.transcript.find("Customer Labels 5160"));
}

TEST_F(LettersLabelsTest, TheHtmlFileAndThePrinterGetTheSamePlaces) {
  const std::vector<Page> html = FormPages(Labels(kLabels5160, ".htm").text);
  ASSERT_EQ(1u, html.size());
  auto htmlLine = [&](int i) { return i < static_cast<int>(html[0].size()) ? html[0][static_cast<std::size_t>(i)] : ""; };
  EXPECT_EQ(kRows, Rows(htmlLine, 3));

  // The preview prints through lp: a stand-in first on PATH keeps the job.
  const std::string bin = File("bin");
  std::filesystem::create_directory(bin);
  qxtest::WriteAll(bin + "/lp", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + File("lp-args") + "'\ncat > '" +
                                    File("lp-job") + "'\n");
  ::chmod((bin + "/lp").c_str(), 0755);
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (bin + ":" + path).c_str(), 1);
  const Run run = RunScripted(std::string(kLabels5160) + " F7 Enter Esc", [] { return RunCustVendLettersLabels(339, 0); });
  setenv("PATH", path.c_str(), 1);
  EXPECT_NE(std::string::npos, run.transcript.find("preview: printed")) << run.transcript;
  const std::vector<Page> job = Pages(qxtest::ReadAll(File("lp-job")));
  ASSERT_EQ(1u, job.size());
  auto jobLine = [&](int i) { return i < static_cast<int>(job[0].size()) ? job[0][static_cast<std::size_t>(i)] : ""; };
  EXPECT_EQ(kRows, Rows(jobLine, 3));
  const std::string args = qxtest::ReadAll(File("lp-args"));
  EXPECT_NE(std::string::npos, args.find("cpi=10\n")) << "large fonts: ten characters an inch\n" << args;
  EXPECT_NE(std::string::npos, args.find("lpi=6\n"));
  EXPECT_NE(std::string::npos, args.find("page-top=0\n")) << "the stock's own margins, none added";
}

TEST_F(LettersLabelsTest, CopiesOfALabelFillTheRowWithoutEndingItEarly) {
  // C1 to C2, two of each: C1, C1, C2 | C2.
  const Output two =
      Labels("Down Down Down \"C1\" Down \"C2\" Down Down Down Down \"2\" Down Down \"AAAA\" F10");
  ASSERT_EQ(1u, two.pages.size()) << two.run.transcript;
  auto line = [&](int i) {
    return i < static_cast<int>(two.pages[0].size()) ? two.pages[0][static_cast<std::size_t>(i)] : "";
  };
  EXPECT_EQ((std::vector<std::vector<std::string>>{{"Lake  View Farms", "Lake  View Farms", "No Items Ltd"},
                                                   {"No Items Ltd", "", ""}}),
            Rows(line, 2));
}

TEST_F(LettersLabelsTest, LetterLinesCloseUpAroundTheirValues) {
  WriteText("customer-letter.txt",
            "{DATE_LONG}\n"
            "{NAME}, account {CODE}.\n"
            "Dear {CONTACT},\n"
            "{ADDRESS3}\n"
            "The end.\n");
  const Output o = Letters(std::string("Down Down Down \"C1\" Down \"C2\" F10"));
  EXPECT_TRUE(o.run.messages.empty()) << o.run.transcript;
  ASSERT_EQ(2u, o.pages.size()) << o.text;
  EXPECT_EQ((Page{"March 31, 2025", "Lake  View Farms, account C1.", "Dear Ann Lake,", "The end."}), o.pages[0])
      << "both blanks of the name stay; an empty line of the address leaves nothing";
  EXPECT_EQ((Page{"March 31, 2025", "No Items Ltd, account C2.", "Dear ,", "The end."}), o.pages[1])
      << "a line without its value prints as text";
}

TEST_F(LettersLabelsTest, CopiesOfALetterTakeAPageEachUnlessTheSettingsSayOtherwise) {
  WriteText("customer-letter.txt", "Dear {NAME},\nThank you.\n");
  const std::string keys = std::string(kOnlyC1) + "Down Down Down Down \"2\" F10";
  EXPECT_EQ(2u, Letters(keys).pages.size());
  Add("settings", Json{{"key", "0MergeForms"}, {"lettersSamePage", "Y"}});
  WriteCompany();
  WriteText("customer-letter.txt", "Dear {NAME},\nThank you.\n");
  const Output o = Letters(keys);
  ASSERT_EQ(1u, o.pages.size());
  EXPECT_EQ((Page{"Dear Lake  View Farms,", "Thank you.", "Dear Lake  View Farms,", "Thank you."}), o.pages[0]);
}

TEST_F(LettersLabelsTest, AFieldThatCannotBeMergedSpoilsOnlyItsLine) {
  WriteText("customer-letter.txt", "Dear {NAME},\nYour balance {BALANSE}.\nThank you.\n");
  const Output o = Letters(std::string("Down Down Down \"C1\" Down \"C2\" F10"));
  EXPECT_EQ(std::vector<int>{2621}, o.run.messages) << "shown once for the run";
  EXPECT_NE(std::string::npos, qxtest::Flat(o.run.transcript).find("line 2 holds the field {BALANSE}"));
  ASSERT_EQ(2u, o.pages.size());
  EXPECT_EQ((Page{"Dear Lake  View Farms,", "Thank you."}), o.pages[0]);
  EXPECT_EQ((Page{"Dear No Items Ltd,", "Thank you."}), o.pages[1]);
  // The letters went out short of a line: the command did not do its work
  // (a command-only run exits 4).
  EXPECT_TRUE(o.notDone);

  WriteText("customer-letter.txt", "Dear {NAME},\nThank you.\n");
  EXPECT_FALSE(Letters(std::string("Down Down Down \"C1\" Down \"C2\" F10")).notDone);
}

TEST_F(LettersLabelsTest, TheClosingLineAndTheAddressSwitches) {
  WriteText("labels.txt", "{NAME}\n{ADDRESS1}\n{ADDRESS2}\n{ADDRESS3}\n{CITY_LINE}\n");
  Add("settings", Json{{"key", "0MergeForms"}, {"closingLine", "Y"}, {"addressApart", "Y"}, {"addressBottom", "N"}});
  WriteCompany();
  WriteText("labels.txt", "{NAME}\n{ADDRESS1}\n{ADDRESS2}\n{ADDRESS3}\n{CITY_LINE}\n");
  const Output o = Labels(kLabels5160);
  ASSERT_EQ(1u, o.pages.size()) << o.run.transcript;
  const Page& page = o.pages[0];
  // Elmcrest School: its closing line once, below its street.
  EXPECT_EQ("Elmcrest School", At(page[9], 29, 26));
  EXPECT_EQ("3100 Elm Avenue", At(page[10], 29, 26));
  EXPECT_EQ("Port Alden, WA 98370", At(page[11], 29, 26));
  EXPECT_EQ("", At(page[12], 29, 26));
}

TEST_F(LettersLabelsTest, LabelsThatDoNotFitPrintNothing) {
  Add("settings", Json{{"key", "0LabelLayouts"},
                       {"stocks", Json::array({Json::object(), Json::object(), Json::object(), Json::object(),
                                               Json{{"across", 4}, {"rows", 10}, {"width", 263}, {"height", 100},
                                                    {"pitchAcross", 275}, {"pitchDown", 100}, {"top", 50},
                                                    {"left", 19}}})}});
  const Output o = Labels(std::string(kLabels5160) + " Esc");
  EXPECT_EQ(std::vector<int>{2601}, o.run.messages);
  EXPECT_TRUE(o.text.empty());
  EXPECT_TRUE(NoSelectionFileLeft());
}

TEST_F(LettersLabelsTest, VendorLabelsAndLetters) {
  const Output labels = RunReport(RunCustVendLettersLabelsTo, "F10", 346);
  ASSERT_EQ(1u, labels.pages.size()) << labels.run.transcript;
  EXPECT_EQ((Page{"Cedar Mills", "4 Sawmill Road", "Kingsport, WA 98346"}), labels.pages[0]);
  EXPECT_NE(std::string::npos, labels.run.transcript.find("Vendor Labels Standard"));
  const Output letters = RunReport(RunCustVendLettersLabelsTo, "F10", 349);
  ASSERT_EQ(1u, letters.pages.size());
  EXPECT_NE("", LineWith(letters.pages[0], "You are account V1 in our books."));
}

}  // namespace
}  // namespace documenttest
