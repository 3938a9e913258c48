// Message boxes, wait windows, lists and the end of a key script.
#include <string>
#include <vector>

#include "oemtext.h"
#include "test_support.h"

namespace {

class DialogTest : public rvtest::ScriptedTest {};

TEST_F(DialogTest, MessageBoxTranscriptShowsTextAndAnswer) {
  Start("Right Enter");
  EXPECT_EQ(2, MsgBoxAsk("Post 12 transactions to period 3?\nThe journal has not been printed.", "General Ledger Posting",
                         "Yes,No", 1));
  EXPECT_EQ(
      "--- message box: General Ledger Posting ---\n"
      "Post 12 transactions to period 3?\n"
      "The journal has not been printed.\n"
      "buttons: [Yes] [No]\n"
      "answer: [No] by Enter\n"
      "--- end of message box ---\n",
      Transcript());
}

TEST_F(DialogTest, ButtonsByEnterLetterKeyAndEsc) {
  struct Case {
    const char* keys;
    const char* buttons;
    int defaultButton;
    int expected;
  } cases[] = {
      {"Enter", "Yes,No", 0, 1},
      {"Enter", "\x01Yes,No", 2, 2},       // the default-button form
      {"\"n\"", "Yes,No", 1, 2},
      {"Esc", "Yes,No", 1, 2},             // Esc is the last button: No
      {"F1", " Continue,F1 Help", 1, 2},   // a key button answers its key
      {"Esc", " Continue,F1 Help", 1, 1},  // but is not Esc's answer
      {"Tab Tab Enter", " Ok ,Cancel", 1, 1},
      {"Left Enter", "Yes,No,Cancel", 1, 3},
      {"Enter", nullptr, 0, 1},            // no list: " Ok "
  };
  for (const Case& c : cases) {
    Start(c.keys);
    EXPECT_EQ(c.expected, MsgBoxAsk("Text", "Caption", c.buttons, c.defaultButton)) << c.keys << " on " << (c.buttons ? c.buttons : "null");
  }
}

TEST_F(DialogTest, StyleChoosesButtonsAndMarksErrors) {
  Start("Enter Right Enter");
  EXPECT_EQ(1, MsgBoxShowStyle(0, "The path is invalid. Please try again.", nullptr, kMsgStyleError, 1));
  EXPECT_EQ(2, MsgBoxShowStyle(0, "Leave?", "Quarlex", kMsgStyleYesNo | kMsgStyleQuestion, 0));
  std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("--- message box: Quarlex Accounting - Error ---")) << t;
  EXPECT_NE(std::string::npos, t.find("message number: 1\n")) << t;
  EXPECT_NE(std::string::npos, t.find("buttons: [Yes] [No]")) << t;
}

TEST_F(DialogTest, LongTextIsWrapped) {
  Start("Enter");
  std::string longText(150, 'x');
  longText.replace(60, 1, " ");
  MsgBoxShow(longText.c_str(), "Caption");
  std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find(std::string(60, 'x') + "\n")) << t;
}

// When the script runs out every waiting loop ends as if the window had been
// closed: forms cancel, message boxes take their cancel answer, the main
// window's wait gives Exit, and the exit question answers yes.
TEST_F(DialogTest, ScriptRunningOutEndsEveryWaitingLoop) {
  Start("\"A\"");
  TagFormField table[2] = {};
  table[0].number = 1;
  table[0].row = 1;
  table[0].column = 10;
  std::snprintf(table[0].mask, sizeof table[0].mask, "%%-10s");
  Form form{};
  FormBegin(&form);
  ASSERT_EQ(1, FormFieldsCreate(&form, table, 1));
  EXPECT_EQ(27, FormRun(&form, 0));
  EXPECT_EQ(1, FormWasCancelled(&form));
  EXPECT_EQ(27, FormRun(&form, 0));  // and again: it never waits
  FormEnd(&form);
  EXPECT_EQ(2, MsgBoxAsk("Save the changes?", "Budget", "Yes,No", 1));
  EXPECT_TRUE(AppIsClosing());
  KeyCode key = 0;
  AppCreateMainWindow();
  AppGetKey(&key, 0, 0);
  EXPECT_EQ(kKeyMenuPick, key);
  EXPECT_EQ(118, MenuGetPick());
  EXPECT_EQ(1, AppConfirmExit());
  EXPECT_EQ(kKeyClose, KeyRead());
  EXPECT_EQ(kKeyClose, KeyPoll());
  std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("answer: [No] by window closed")) << t;
}

TEST_F(DialogTest, ReportsSeeABreakThroughThePoll) {
  Start("Break Enter");
  EXPECT_EQ(kKeyEsc, KeyPoll());
  EXPECT_EQ(0, KeyPoll());  // "Enter" waits for the loop that reads it
  EXPECT_EQ(kKeyEnter, KeyRead());
  EXPECT_EQ(kKeyClose, KeyPoll());
}

TEST_F(DialogTest, PushedKeysComeFirst) {
  Start("Enter");
  KeyPush(kKeyDown);
  EXPECT_EQ(kKeyDown, KeyRead());
  EXPECT_EQ(kKeyEnter, KeyRead());
}

TEST_F(DialogTest, DamagedScriptBehavesAsClosed) {
  const struct {
    const char* script;
    const char* told;
  } cases[] = {
      {"Enter Nonsense", "key script line 1: \"Nonsense\" is not a key name"},
      {"Enter\n\"never closed", "key script line 2: a quoted text is not closed"},
      // A number no screen row can be is refused, not wrapped around.
      {"Click(99999999999,3)", "key script line 1: write a click as Click(row,col)"},
      {"Click(3,4)junk", "key script line 1: write a click as Click(row,col)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    Start(c.script);
    EXPECT_EQ(kKeyClose, KeyRead());
    EXPECT_NE(std::string::npos, Transcript().find(c.told)) << Transcript();
  }
}

TEST_F(DialogTest, WaitWindowIsTranscribed) {
  Start("");
  int h = WaitWindowOpen("Creating the sort index...");
  EXPECT_GT(h, 0);
  EXPECT_NE(std::string::npos, ScreenSnapshot().find("Creating the sort index..."));
  WaitWindowStep(h);
  WaitWindowClose(h);
  EXPECT_EQ(std::string::npos, ScreenSnapshot().find("Creating"));
  WaitWindowClose(h);  // a second close does nothing
  EXPECT_EQ("wait: Creating the sort index...\n", Transcript());
}

TEST_F(DialogTest, ChoiceList) {
  const char* entries[] = {"Customer Code", "Customer Name", "Zip Code", "Account"};
  struct Case {
    const char* keys;
    int expected;
  } cases[] = {{"Down Down Enter", 3}, {"\"z\" Enter", 3}, {"\"c\" Enter", 2}, {"\"cc\" Enter", 1}, {"End Up Enter", 3}, {"Esc", 0}, {"", 0}};
  for (const Case& c : cases) {
    Start(c.keys);
    EXPECT_EQ(c.expected, PickChoose("Sort by", entries, 4, 1)) << c.keys;
  }
}

// --- Search lists over a sorted table ------------------------------------------------------

struct Customers {
  std::vector<std::string> codes;
  std::vector<int> marks;
  std::int64_t positioned = -1;  // the row the source was last left on
};

int FetchCustomer(SearchList* l, int op, std::int64_t* bm, const char* text, char* line, int size) {
  auto* c = static_cast<Customers*>(l->context);
  std::int64_t n = static_cast<std::int64_t>(c->codes.size());
  std::int64_t i = -1;
  switch (op) {
    case kSearchFirst: i = 0; break;
    case kSearchLast: i = n - 1; break;
    case kSearchNext: i = *bm + 1; break;
    case kSearchPrev: i = *bm - 1; break;
    case kSearchFetch: i = *bm; break;
    case kSearchSeek:
      for (i = 0; i < n && oem::CompareText(c->codes[static_cast<std::size_t>(i)], text) < 0; ++i) {
      }
      break;
  }
  if (i < 0 || i >= n) return 9;
  *bm = i;
  c->positioned = i;
  std::snprintf(line, static_cast<std::size_t>(size), "%-10s %s", c->codes[static_cast<std::size_t>(i)].c_str(),
                c->marks[static_cast<std::size_t>(i)] ? "Y" : " ");
  return 0;
}

class SearchListTest : public rvtest::ScriptedTest {
 protected:
  void SetUp() override {
    for (const char* code : {"ADAMS", "BAKER", "CLARK", "DAVIS", "EVANS", "FOX", "GRANT", "HILL", "IRWIN", "JONES",
                             "KING", "LEWIS", "MOORE", "NASH", "OWEN", "PRICE", "QUINN", "REED", "SMITH", "SMYTHE"})
      data_.codes.push_back(code);
    data_.marks.assign(data_.codes.size(), 0);
    list_.title = "Customers";
    list_.fetch = FetchCustomer;
    list_.context = &data_;
    list_.rows = 8;
  }
  Customers data_;
  SearchList list_;
};

TEST_F(SearchListTest, TypingSeeksAndEnterChooses) {
  Start(R"("sm" Down Enter)");
  EXPECT_EQ(0, SearchListRun(&list_));
  EXPECT_EQ(19, list_.chosen);  // SMITH, then down to SMYTHE
  EXPECT_EQ(19, data_.positioned);
  EXPECT_NE(std::string::npos, Transcript().find("search list \"Customers\": [SMYTHE]"));
}

TEST_F(SearchListTest, ScrollsPastThePage) {
  Start("PgDn PgDn Down Up Up Enter");  // five rows a page
  EXPECT_EQ(0, SearchListRun(&list_));
  EXPECT_EQ(9, list_.chosen);
  Start("End Enter");
  EXPECT_EQ(0, SearchListRun(&list_));
  EXPECT_EQ(19, list_.chosen);
  Start("End Home Enter");
  EXPECT_EQ(0, SearchListRun(&list_));
  EXPECT_EQ(0, list_.chosen);
}

TEST_F(SearchListTest, KeyHandlerWorksOnTheCurrentRow) {
  Start("Down F3 F3 Down F3 F10");
  list_.onKey = [](SearchList* l, KeyCode key, std::int64_t bm) {
    auto* c = static_cast<Customers*>(l->context);
    if (key == kKeyF10) return -1;
    if (key != kKeyF3 || c->positioned != bm) return 0;
    c->marks[static_cast<std::size_t>(bm)] ^= 1;
    return 1;
  };
  EXPECT_EQ(-1, SearchListRun(&list_));
  EXPECT_EQ(kKeyF10, list_.lastKey);
  EXPECT_EQ((std::vector<int>{0, 0, 1, 0}), std::vector<int>(data_.marks.begin(), data_.marks.begin() + 4));
}

// Rows wider than the window move sideways with Right and Left; where
// everything fits, those keys are the caller's.
TEST_F(SearchListTest, WideRowsMoveSideways) {
  static std::vector<std::string> shown;
  static std::vector<KeyCode> keys;
  shown.clear();
  keys.clear();
  list_.cols = 60;
  list_.fetch = [](SearchList*, int op, std::int64_t* bm, const char*, char* line, int size) {
    if (op != kSearchFirst && op != kSearchFetch && op != kSearchSeek) return 9;
    *bm = 0;
    std::snprintf(line, static_cast<std::size_t>(size), "ADAMS      left part %s right part END",
                  std::string(60, '.').c_str());
    return 0;
  };
  list_.onKey = [](SearchList*, KeyCode key, std::int64_t) {
    keys.push_back(key);
    if (key == kKeyF3) shown.push_back(ScreenSnapshot());
    return 0;
  };
  Start("F3 Right F3 Right Right Right F3 Left Left Left Left F3 Esc");
  EXPECT_EQ(27, SearchListRun(&list_));
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_NE(shown[0].find("ADAMS"), std::string::npos);
  EXPECT_EQ(shown[1].find("ADAMS"), std::string::npos) << "moved right by a step";
  EXPECT_NE(shown[1].find("left part"), std::string::npos);
  EXPECT_NE(shown[2].find("right part END"), std::string::npos) << "no further than the row's end";
  EXPECT_NE(shown[3].find("ADAMS"), std::string::npos) << "back at the start";
  EXPECT_EQ(keys, std::vector<KeyCode>(4, kKeyF3)) << "the list took Left and Right";
  EXPECT_NE(shown[0].find("Left/Right Sideways"), std::string::npos) << "the keys are named" << shown[0];

  // Rows that fit: Left and Right reach the handler.
  list_.fetch = FetchCustomer;
  keys.clear();
  Start("Right Left Esc");
  EXPECT_EQ(27, SearchListRun(&list_));
  EXPECT_EQ(keys, (std::vector<KeyCode>{kKeyRight, kKeyLeft}));
}

TEST_F(SearchListTest, EscAndEmptySource) {
  Start("Esc");
  EXPECT_EQ(27, SearchListRun(&list_));
  data_.codes.clear();
  data_.marks.clear();
  Start("Enter");
  EXPECT_EQ(9, SearchListRun(&list_));
  EXPECT_NE(std::string::npos, Transcript().find("There is nothing to choose from."));
}

}  // namespace

namespace {

// A window's status text, set record after record by a long run, is
// replaced in place when its length stays: the screen must be what drawing
// the frame again would show.
TEST(WindowStatusTextTest, ReplacedInPlaceAsTheFrameDrawnAgainShowsIt) {
  rvtest::TempDir dir("rvstatus");
  qxtest::ScriptedScreen screen(dir.path().string(), qxtest::TestToday());
  screen.Start("");
  Window w{};
  ASSERT_EQ(WinOpen(&w, 5, 10, 6, 40, 1, 1, 32, "Posting"), 0);
  for (const char* status : {"Records: 1", "Records: 2", "Records: 9", "Records: 10", "Records: 11", "", "Done"}) {
    SCOPED_TRACE(status);
    WinStatusText(&w, status);
    const std::string inPlace = ScreenSnapshot();
    WinSetup(&w);  // the whole frame drawn again
    EXPECT_EQ(ScreenSnapshot(), inPlace);
  }
  WinClose(&w, 1);
  screen.Finish();
}

}  // namespace
